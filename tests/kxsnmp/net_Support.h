// Test support for the socket and table tests: a Qt application for the test process, an owner object
// that records deliveries and a scripted UDP responder (replies built with SnmpBer.h).
#pragma once

#include <kxsnmp/SnmpDll.h>

#include "SnmpBer.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QThread>
#include <QUdpSocket>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace nettest {

// One QCoreApplication for the whole test program.
inline QCoreApplication* App()
{
    static int argc = 1;
    static char name[] = "kxsnmp-net-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                                 : new QCoreApplication(argc, argv);
    return app;
}

// Runs the event loop until pred() holds or the limit passes (a generous bound, not a timing check).
inline bool PumpUntil(const std::function<bool()>& pred, int limitMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

inline void PumpFor(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
}

struct Delivery {
    std::uint16_t code;
    CSnmpMsg* raw;                 // the pointer as delivered, to tell messages apart
    std::unique_ptr<CSnmpMsg> msg;
};

// An owner window: records callback deliveries and posted result events.
class Owner : public QObject
{
public:
    void OnResult(std::uint16_t code, CSnmpMsg* msg)
    {
        calls.push_back({code, msg, std::unique_ptr<CSnmpMsg>(msg)});
        if (onResult)
            onResult(code);
    }
    bool event(QEvent* e) override
    {
        if (e->type() == WM_SNMP_RESULT) {
            auto* result = static_cast<CSnmpResultEvent*>(e);
            CSnmpMsg* msg = result->TakeMessage();
            posted.push_back({result->Code(), msg, std::unique_ptr<CSnmpMsg>(msg)});
            return true;
        }
        return QObject::event(e);
    }
    std::vector<Delivery> calls;
    std::vector<Delivery> posted;
    std::function<void(std::uint16_t)> onResult;
};

// A message to 127.0.0.1 owned by owner, optionally with the owner's callback.
inline CSnmpMsg* NewRequest(Owner* owner, std::uint16_t pduType, const std::vector<QString>& oids, bool callback = true,
                            const QString& address = QStringLiteral("127.0.0.1"))
{
    auto* msg = new CSnmpMsg(owner, address, QStringLiteral("public"), pduType);
    if (callback)
        msg->SetSnmpCallback(static_cast<SnmpCallback>(&Owner::OnResult));
    for (const QString& oid : oids)
        msg->m_pPdu->AddOid(oid);
    return msg;
}

using snmpber::Int;
using snmpber::Oid;
using snmpber::Response;
using snmpber::Tlv;
using snmpber::Value;

struct Request {
    QByteArray bytes;
    QHostAddress from;
    quint16 port = 0;
    std::unique_ptr<CSnmpMsg> msg;  // decoded with the library's decoder
};

// A UDP responder on 127.0.0.1 driven by the test: it records requests, and the test answers them.
class Responder
{
public:
    Responder()
    {
        m_socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
        QObject::connect(&m_socket, &QUdpSocket::readyRead, [this] {
            while (m_socket.hasPendingDatagrams()) {
                Request r;
                r.bytes.resize(m_socket.pendingDatagramSize());
                m_socket.readDatagram(r.bytes.data(), r.bytes.size(), &r.from, &r.port);
                r.msg = std::make_unique<CSnmpMsg>();
                std::memcpy(r.msg->m_byPacket, r.bytes.constData(), std::min<qsizetype>(r.bytes.size(), 512));
                r.msg->m_nPacketLength = static_cast<std::int32_t>(std::min<qsizetype>(r.bytes.size(), 512));
                try {
                    r.msg->SnmpDecode();
                } catch (const CSnmpException&) {
                }
                requests.push_back(std::move(r));
            }
        });
    }
    quint16 port() const { return m_socket.localPort(); }
    bool WaitRequests(size_t n) { return PumpUntil([&] { return requests.size() >= n; }); }
    void Send(const Request& to, const QByteArray& datagram) { m_socket.writeDatagram(datagram, to.from, to.port); }
    // Answers a request with the given values for its bindings.
    void Answer(const Request& to, const std::vector<Value>& values, std::uint32_t errorStatus = 0)
    {
        Send(to, Response(to.msg->m_pPdu->m_dwRequestId, values, errorStatus));
    }
    std::uint32_t RequestId(size_t i) const { return requests.at(i).msg->m_pPdu->m_dwRequestId; }

    std::vector<Request> requests;

private:
    QUdpSocket m_socket;
};

// Initialises the library for one test and points it at a responder.
class NetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        App();
        m_responder = std::make_unique<Responder>();
        SnmpInit(QCoreApplication::instance());
        SetSnmpPort(responder().port());
        SetSnmpTimeout(500);
    }
    void TearDown() override
    {
        SnmpDone();
        SetSnmpPort(161);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_responder.reset();
    }
    Responder& responder() { return *m_responder; }

private:
    std::unique_ptr<Responder> m_responder;
};

} // namespace nettest
