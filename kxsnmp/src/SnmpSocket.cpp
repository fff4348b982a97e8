#include <kxsnmp/SnmpDll.h>
#include <kxsnmp/SnmpLog.h>
#include <kxsnmp/SnmpSocket.h>

#include <QHostAddress>
#include <QPointer>

#include <algorithm>
#include <cstring>

CSnmpResultEvent::CSnmpResultEvent(std::uint16_t wCode, CSnmpMsg* pMsg)
    : QEvent(WM_SNMP_RESULT), m_wCode(wCode), m_pMsg(pMsg)
{
}

CSnmpResultEvent::~CSnmpResultEvent()
{
    CSnmpMsg::Release(m_pMsg);
}

CSnmpMsg* CSnmpResultEvent::TakeMessage()
{
    CSnmpMsg* pMsg = m_pMsg;
    m_pMsg = nullptr;
    return pMsg;
}

void DeliverSnmpResult(CSnmpMsg* pMsg, std::uint16_t wCode)
{
    if (!pMsg)
        return;
    QObject* pOwner = pMsg->m_hOwnerWnd.data();
    if (!pOwner) {
        // The owner is gone (or there never was one): nobody can take the message.
        pMsg->Release();
        return;
    }
    if (const SnmpCallback pfnCallback = pMsg->m_pfnCallback) {
        (pOwner->*pfnCallback)(wCode, pMsg);
        return;
    }
    QCoreApplication::postEvent(pOwner, new CSnmpResultEvent(wCode, pMsg));
}

CSnmpSocket::CSnmpSocket(QCoreApplication* /*pApp*/)
{
    connect(this, &QUdpSocket::readyRead, this, &CSnmpSocket::OnReadyRead);
}

CSnmpSocket::~CSnmpSocket()
{
    ReleasePending();
}

bool CSnmpSocket::Create()
{
    if (bind(QHostAddress::AnyIPv4, 0)) {
        m_nCreateError = 0;
        return true;
    }
    m_nCreateError = static_cast<int>(error());
    return false;
}

void CSnmpSocket::ReleasePending()
{
    std::list<CSnmpMsg*> pending;
    pending.swap(m_pendingList);
    for (CSnmpMsg* pMsg : pending)
        CSnmpMsg::Release(pMsg);
}

void CSnmpSocket::LogSnmpPacket(CSnmpMsg* pMsg)
{
    AppendSnmpLog(*pMsg);
}

std::uint32_t CSnmpSocket::SendSnmpMsg(CSnmpMsg* pMsg)
{
    if (!pMsg)
        return 0;
    // A message still waiting for its response belongs to the socket: sending it again would deliver
    // (and hand over) the same message twice.
    if (std::find(m_pendingList.begin(), m_pendingList.end(), pMsg) != m_pendingList.end())
        return pMsg->m_pPdu->m_dwRequestId;
    try {
        pMsg->SnmpEncode();
        pMsg->m_timeSent = SnmpClockSeconds();
        if (state() != QAbstractSocket::BoundState)
            throw CSnmpException(KX_E_SOCKET, FormatSocketErrorText(m_nCreateError ? m_nCreateError
                                                                                   : static_cast<int>(QAbstractSocket::UnknownSocketError)));
        // Only a dotted IPv4 address is sent to; anything else would be sent nowhere in particular.
        QHostAddress address;
        if (!address.setAddress(pMsg->m_strIpAddr) || address.protocol() != QAbstractSocket::IPv4Protocol)
            throw CSnmpException(KX_E_SOCKET,
                                 FormatSocketErrorText(static_cast<int>(QAbstractSocket::SocketAddressNotAvailableError)));
        const qint64 nSent = writeDatagram(reinterpret_cast<const char*>(pMsg->m_byPacket), pMsg->m_nPacketLength,
                                           address, static_cast<quint16>(GetSnmpPort()));
        if (nSent != pMsg->m_nPacketLength)
            throw CSnmpException(KX_E_SOCKET, FormatSocketErrorText(static_cast<int>(error())));
        if (m_bLogPackets)
            LogSnmpPacket(pMsg);
        m_pendingList.push_back(pMsg);
    } catch (const CSnmpException& e) {
        pMsg->m_error = e;
        if (m_bLogPackets)
            LogSnmpPacket(pMsg);
        const std::uint32_t dwRequestId = pMsg->m_pPdu->m_dwRequestId;
        DeliverSnmpResult(pMsg, e.m_wCode);
        return dwRequestId;
    }
    return pMsg->m_pPdu->m_dwRequestId;
}

void CSnmpSocket::OnReadyRead()
{
    QPointer<CSnmpSocket> self(this);
    ++m_nBusy;
    // Bounded per notification; datagrams still waiting raise the next notification.
    for (int n = 0; n < 256 && self && state() == QAbstractSocket::BoundState && hasPendingDatagrams(); ++n)
        OnReceive(0);
    if (self)
        --m_nBusy;
}

void CSnmpSocket::OnReceive(int /*nErrorCode*/)
{
    CSnmpMsg* pTemp = new CSnmpMsg(nullptr, QString(), QString(), 0);
    try {
        const qint64 nSize = pendingDatagramSize();
        if (nSize > KX_SNMP_PACKET_SIZE) {
            // Drain the oversized datagram so that it does not block the ones behind it.
            readDatagram(nullptr, 0);
            throw CSnmpException(static_cast<std::uint16_t>(QAbstractSocket::DatagramTooLargeError),
                                 QStringLiteral("CSnmpSocket::OnReceive(): Socket Error!"));
        }
        QHostAddress sender;
        const qint64 nRead = readDatagram(reinterpret_cast<char*>(pTemp->m_byPacket), KX_SNMP_PACKET_SIZE, &sender);
        if (nRead < 0)
            throw CSnmpException(static_cast<std::uint16_t>(error()),
                                 QStringLiteral("CSnmpSocket::OnReceive(): Socket Error!"));
        pTemp->m_nPacketLength = static_cast<std::int32_t>(nRead);
        pTemp->SetIpAddr(sender.toString());
        pTemp->SnmpDecode();
        if (m_bLogPackets)
            LogSnmpPacket(pTemp);

        const std::uint32_t dwRequestId = pTemp->m_pPdu->m_dwRequestId;
        auto it = m_pendingList.begin();
        while (it != m_pendingList.end() && (*it)->m_pPdu->m_dwRequestId != dwRequestId)
            ++it;
        if (it != m_pendingList.end()) {
            CSnmpMsg* pMatch = *it;
            m_pendingList.erase(it);
            std::memcpy(pMatch->m_byPacket, pTemp->m_byPacket, sizeof(pMatch->m_byPacket));
            pMatch->m_nPacketLength = pTemp->m_nPacketLength;
            pMatch->m_pPdu->RemoveVarBinds();
            std::uint16_t wCode = 0;
            try {
                pMatch->SnmpDecode();
            } catch (const CSnmpException& e) {
                // The same bytes decoded once already; should this ever differ, the owner still hears of it.
                pMatch->m_error = e;
                wCode = e.m_wCode;
            }
            CSnmpMsg::Release(pTemp);
            pTemp = nullptr;
            DeliverSnmpResult(pMatch, wCode);
        }
    } catch (const CSnmpException& e) {
        pTemp->m_error = e;
        if (m_bLogPackets)
            LogSnmpPacket(pTemp);
    }
    CSnmpMsg::Release(pTemp);
}
