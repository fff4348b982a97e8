// kxsnmp get|next|set|walk: an SNMPv1 command-line client on the KxSnmp library.
#include "ToolArgs.h"
#include "ToolFormat.h"

#include <kxsnmp/SnmpDll.h>

#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>

#include <cstdio>
#include <memory>

namespace {

void Print(FILE* out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), out);
    std::fputc('\n', out);
    std::fflush(out);
}

// Resolves the host argument to a dotted IPv4 address; empty when it has none.
QString ResolveIpv4(const QString& host)
{
    QHostAddress address;
    if (address.setAddress(host))
        return address.protocol() == QAbstractSocket::IPv4Protocol ? address.toString() : QString();
    const QHostInfo info = QHostInfo::fromName(host);
    for (const QHostAddress& a : info.addresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            return a.toString();
    return QString();
}

class CToolClient : public QObject
{
public:
    CToolClient(const kxtool::ToolRequest& request, const QString& address)
        : m_request(request), m_strAddress(address)
    {
    }

    bool Done() const { return m_bDone; }
    int ExitCode() const { return m_nExit; }

    void Start()
    {
        using kxtool::Command;
        switch (m_request.command) {
        case Command::Get: SendFor(KX_PDU_GET, m_request.bindings); break;
        case Command::Next: SendFor(KX_PDU_GETNEXT, m_request.bindings); break;
        case Command::Set: SendFor(KX_PDU_SET, m_request.bindings); break;
        case Command::Walk:
            m_strRoot = m_request.bindings.front().oid;
            m_strLast = m_strRoot;
            SendFor(KX_PDU_GETNEXT, {kxtool::ToolBinding{m_strRoot, 0, QString()}});
            break;
        }
    }

    void OnSnmpResult(std::uint16_t wCode, CSnmpMsg* pMsg)
    {
        std::unique_ptr<CSnmpMsg> msg(pMsg);
        m_bDelivered = true;
        if (wCode != 0) {
            const QString text = wCode == KX_E_TIMEOUT ? SnmpErrorText(KX_E_TIMEOUT) : pMsg->m_error.m_strMessage;
            Print(stderr, QStringLiteral("kxsnmp: ") + (text.isEmpty() ? SnmpErrorText(wCode) : text));
            Finish(1);
            m_held = std::move(msg);
            return;
        }
        const CSnmpPdu& pdu = *pMsg->m_pPdu;
        if (m_request.command == kxtool::Command::Walk && !m_bWalkGet) {
            WalkStep(pdu);
        } else {
            // A walk that found nothing below its root shows the root object only when it exists.
            if (!m_bWalkGet || pdu.m_dwErrorStatus == 0)
                for (const auto& binding : pdu.m_varBindList)
                    Print(stdout, kxtool::FormatBinding(*binding));
            if (pdu.m_dwErrorStatus != 0) {
                PrintErrorStatus(pdu);
                Finish(1);
            } else {
                Finish(0);
            }
        }
        m_held = std::move(msg);
    }

private:
    void PrintErrorStatus(const CSnmpPdu& pdu)
    {
        Print(stderr, QStringLiteral("kxsnmp: error status %1 (%2), error index %3")
                          .arg(pdu.m_dwErrorStatus).arg(kxtool::ErrorStatusName(pdu.m_dwErrorStatus))
                          .arg(pdu.m_dwErrorIndex));
    }

    void WalkStep(const CSnmpPdu& pdu)
    {
        const bool endOfView = pdu.m_dwErrorStatus == 2;  // noSuchName: past the last object
        if (pdu.m_dwErrorStatus != 0 && !endOfView) {
            PrintErrorStatus(pdu);
            Finish(1);
            return;
        }
        const QString name = pdu.m_varBindList.empty() ? QString() : pdu.m_varBindList.front()->m_strOid;
        if (!endOfView && pdu.m_varBindList.empty()) {
            Print(stderr, QStringLiteral("kxsnmp: response without bindings"));
            Finish(1);
            return;
        }
        if (endOfView || !name.startsWith(m_strRoot + QLatin1Char('.'))) {
            if (m_nRows == 0) {
                // Nothing below the root: the root itself may be an object, as other walkers do.
                m_bWalkGet = true;
                SendFor(KX_PDU_GET, {kxtool::ToolBinding{m_strRoot, 0, QString()}});
                return;
            }
            Finish(0);
            return;
        }
        if (!OidGreater(name, m_strLast)) {
            Print(stderr, QStringLiteral("kxsnmp: OID not increasing: %1 after %2").arg(name, m_strLast));
            Finish(1);
            return;
        }
        Print(stdout, kxtool::FormatBinding(*pdu.m_varBindList.front()));
        ++m_nRows;
        m_strLast = name;
        SendFor(KX_PDU_GETNEXT, {kxtool::ToolBinding{name, 0, QString()}});
    }

    static bool OidGreater(const QString& a, const QString& b)
    {
        const QStringList pa = a.split(QLatin1Char('.'));
        const QStringList pb = b.split(QLatin1Char('.'));
        for (qsizetype i = 0; i < pa.size() && i < pb.size(); ++i) {
            const qulonglong x = pa[i].toULongLong();
            const qulonglong y = pb[i].toULongLong();
            if (x != y)
                return x > y;
        }
        return pa.size() > pb.size();
    }

    void SendFor(std::uint16_t wPduType, const std::vector<kxtool::ToolBinding>& bindings)
    {
        auto* pMsg = new CSnmpMsg(this, m_strAddress, m_request.community, wPduType);
        pMsg->SetSnmpCallback(static_cast<SnmpCallback>(&CToolClient::OnSnmpResult));
        for (const auto& b : bindings)
            AddBinding(*pMsg->m_pPdu, b, wPduType == KX_PDU_SET);
        m_bDelivered = false;
        SendSnmpMsg(pMsg);
        // Not delivered yet means it went out: the message is pending and holds the packet as sent.
        if (m_request.hex && !m_bDelivered)
            Print(stdout, QStringLiteral("sent %1 bytes to %2:%3: %4")
                              .arg(pMsg->m_nPacketLength).arg(m_strAddress).arg(GetSnmpPort())
                              .arg(kxtool::HexBytes(pMsg->Packet())));
    }

    static void AddBinding(CSnmpPdu& pdu, const kxtool::ToolBinding& b, bool set)
    {
        if (!set || b.type == 'n') {
            pdu.AddOid(b.oid);
            return;
        }
        QByteArray bytes;
        switch (b.type) {
        case 'i': pdu.AddOid(b.oid, static_cast<std::uint32_t>(b.value.toInt()), KX_ASN_INTEGER); break;
        case 'u': pdu.AddOid(b.oid, static_cast<std::uint32_t>(b.value.toUInt()), KX_ASN_GAUGE); break;
        case 'c': pdu.AddOid(b.oid, static_cast<std::uint32_t>(b.value.toUInt()), KX_ASN_COUNTER); break;
        case 't': pdu.AddOid(b.oid, static_cast<std::uint32_t>(b.value.toUInt()), KX_ASN_TIMETICKS); break;
        case 'a': {
            const quint32 ip = QHostAddress(b.value).toIPv4Address();
            const std::uint8_t raw[4] = {static_cast<std::uint8_t>(ip >> 24), static_cast<std::uint8_t>(ip >> 16),
                                         static_cast<std::uint8_t>(ip >> 8), static_cast<std::uint8_t>(ip)};
            pdu.AddOid(b.oid, raw, 4, KX_ASN_IPADDRESS);
            break;
        }
        case 'o': pdu.AddOid(b.oid, kxtool::NormaliseOid(b.value), KX_ASN_OBJECT_ID); break;
        case 'x':
            kxtool::ParseHexValue(b.value, bytes);
            pdu.AddOid(b.oid, reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                       static_cast<int>(bytes.size()), KX_ASN_OCTET_STRING);
            break;
        default: pdu.AddOid(b.oid, b.value, KX_ASN_OCTET_STRING); break;
        }
    }

    void Finish(int code)
    {
        m_bDone = true;
        m_nExit = code;
        QCoreApplication::exit(code);
    }

    kxtool::ToolRequest m_request;
    QString m_strAddress;
    QString m_strRoot;
    QString m_strLast;
    int m_nRows = 0;
    bool m_bWalkGet = false;
    bool m_bDelivered = false;
    bool m_bDone = false;
    int m_nExit = 1;
    std::unique_ptr<CSnmpMsg> m_held;  // the last delivered message, kept until the next one
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 1 && (args[0] == QLatin1String("-h") || args[0] == QLatin1String("--help"))) {
        std::fputs(kxtool::ToolUsage().toUtf8().constData(), stdout);
        return 0;
    }
    kxtool::ToolRequest request;
    QString error;
    if (!kxtool::ParseToolArgs(args, request, error)) {
        Print(stderr, QStringLiteral("kxsnmp: ") + error);
        std::fputs(kxtool::ToolUsage().toUtf8().constData(), stderr);
        return 2;
    }
    const QString address = ResolveIpv4(request.host);
    if (address.isEmpty()) {
        Print(stderr, QStringLiteral("kxsnmp: no IPv4 address for host: ") + request.host);
        return 1;
    }

    SnmpInit(&app);
    SetSnmpTimeout(request.timeoutMs);
    SetSnmpPort(request.port);
    if (request.log && GetSnmpSocket())
        GetSnmpSocket()->m_bLogPackets = true;

    int code = 1;
    {
        CToolClient client(request, address);
        client.Start();
        if (!client.Done())
            app.exec();
        code = client.ExitCode();
    }
    SnmpDone();
    return code;
}
