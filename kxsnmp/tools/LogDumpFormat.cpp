#include "LogDumpFormat.h"

#include "ToolFormat.h"

namespace kxtool {

namespace {

QString PduTypeName(std::uint16_t type)
{
    switch (type) {
    case KX_PDU_GET: return QStringLiteral("GetRequest");
    case KX_PDU_GETNEXT: return QStringLiteral("GetNextRequest");
    case KX_PDU_RESPONSE: return QStringLiteral("GetResponse");
    case KX_PDU_SET: return QStringLiteral("SetRequest");
    case KX_PDU_TRAP: return QStringLiteral("Trap");
    default: return QStringLiteral("unknown");
    }
}

} // namespace

QString FormatSnmpLog(const CSnmpLogContents& contents)
{
    QString text;
    int n = 0;
    for (const auto& msg : contents.messages) {
        ++n;
        const CSnmpPdu& pdu = *msg->m_pPdu;
        text += QStringLiteral("message %1\n").arg(n);
        text += QStringLiteral("  address: %1\n").arg(msg->m_strIpAddr);
        text += QStringLiteral("  community: %1\n").arg(msg->m_strCommunity);
        text += QStringLiteral("  pdu type: 0x%1 (%2)\n")
                    .arg(msg->m_wPduType, 2, 16, QLatin1Char('0')).arg(PduTypeName(msg->m_wPduType));
        text += QStringLiteral("  request id: %1\n").arg(pdu.m_dwRequestId);
        text += QStringLiteral("  error status: %1 (%2), error index: %3\n")
                    .arg(pdu.m_dwErrorStatus).arg(ErrorStatusName(pdu.m_dwErrorStatus)).arg(pdu.m_dwErrorIndex);
        text += QStringLiteral("  bindings: %1\n").arg(pdu.m_varBindList.size());
        for (const auto& binding : pdu.m_varBindList)
            text += QStringLiteral("    ") + FormatBinding(*binding) + QLatin1Char('\n');
        text += QLatin1Char('\n');
    }
    if (!contents.bComplete)
        text += QStringLiteral("log damaged at byte %1: %2\n").arg(contents.nErrorOffset).arg(contents.strError);
    return text;
}

} // namespace kxtool
