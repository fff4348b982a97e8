// The library's transport: one UDP socket that sends encoded requests, keeps them pending until their
// response or time-out, matches responses by request id and hands each finished message to its owner.
#pragma once

#include <kxsnmp/KxSnmpExport.h>
#include <kxsnmp/SnmpMsg.h>

#include <QCoreApplication>
#include <QEvent>
#include <QUdpSocket>

#include <cstdint>
#include <list>

// Type of the event posted to an owner for a message that has no callback: QEvent::User + 0x0401.
constexpr QEvent::Type WM_SNMP_RESULT = static_cast<QEvent::Type>(QEvent::User + 0x0401);

// The result of a request, posted to the owner of a message without a callback. The owner takes the
// message with TakeMessage() and then owns it; a message that is not taken is released with the
// event, also when the owner is destroyed before the event arrives.
class KXSNMP_EXPORT CSnmpResultEvent : public QEvent
{
public:
    CSnmpResultEvent(std::uint16_t wCode, CSnmpMsg* pMsg);
    ~CSnmpResultEvent() override;
    CSnmpResultEvent(const CSnmpResultEvent&) = delete;
    CSnmpResultEvent& operator=(const CSnmpResultEvent&) = delete;

    // The result code: 0 response, 16 time-out, or the code of the error that stopped the send.
    std::uint16_t Code() const { return m_wCode; }
    // The message, still owned by the event.
    CSnmpMsg* Message() const { return m_pMsg; }
    // Hands the message to the caller; the event no longer releases it.
    CSnmpMsg* TakeMessage();

private:
    std::uint16_t m_wCode;
    CSnmpMsg* m_pMsg;
};

// Delivers a finished message: calls its callback on the owner, or posts a CSnmpResultEvent to the
// owner. A message whose owner no longer exists (or that never had one) is released instead.
KXSNMP_EXPORT void DeliverSnmpResult(CSnmpMsg* pMsg, std::uint16_t wCode);

class KXSNMP_EXPORT CSnmpSocket : public QUdpSocket
{
public:
    explicit CSnmpSocket(QCoreApplication* pApp = nullptr);
    // Releases every pending message without notifying its owner.
    ~CSnmpSocket() override;

    // Binds a datagram socket to any local IPv4 address and a port chosen by the system.
    bool Create();
    // Encodes and sends the message to its address and the library's port and keeps it pending.
    // A message that cannot be encoded or sent is delivered at once with the error code; a message that
    // is already pending is left as it is. Returns the message's request id.
    std::uint32_t SendSnmpMsg(CSnmpMsg* pMsg);
    // Reads one waiting datagram and completes the pending request it answers.
    virtual void OnReceive(int nErrorCode);
    // Removes every pending message and releases it without notifying.
    void ReleasePending();

    // Packet-log switch: off when created; the library itself never changes it.
    bool m_bLogPackets = false;
    // Requests awaiting a response, oldest first; owned by the socket.
    std::list<CSnmpMsg*> m_pendingList;
    // The system's error number of a failed Create(), 0 when the socket was created.
    int m_nCreateError = 0;
    // Greater than 0 while the socket is delivering results from a readyRead notification.
    int m_nBusy = 0;

protected:
    // Appends the message to the packet log; nothing is logged when the file cannot be opened.
    void LogSnmpPacket(CSnmpMsg* pMsg);

private:
    void OnReadyRead();
};
