#include "ToolFormat.h"

namespace kxtool {

QString HexBytes(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

namespace {

QString QuotedOrHex(const QByteArray& bytes)
{
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 || b >= 0x7f) && b != '\t' && b != '\r' && b != '\n')
            return QStringLiteral("Hex-STRING: ") + HexBytes(bytes);
    }
    QString text = QStringLiteral("STRING: \"");
    for (char c : bytes) {
        if (c == '"' || c == '\\')
            text += QLatin1Char('\\');
        text += QLatin1Char(c);
    }
    return text + QLatin1Char('"');
}

} // namespace

QString FormatBinding(const CSnmpVarBind& binding)
{
    QString value;
    switch (binding.m_byType) {
    case KX_ASN_INTEGER:
        value = QStringLiteral("INTEGER: ") + QString::number(binding.GetInteger());
        break;
    case KX_ASN_OCTET_STRING:
        value = QuotedOrHex(binding.GetBytes());
        break;
    case KX_ASN_NULL:
        value = QStringLiteral("NULL");
        break;
    case KX_ASN_OBJECT_ID:
        value = QStringLiteral("OID: ") + binding.GetOidText();
        break;
    case KX_ASN_IPADDRESS: {
        const QByteArray b = binding.GetBytes();
        if (b.size() == 4)
            value = QStringLiteral("IpAddress: %1.%2.%3.%4")
                        .arg(static_cast<unsigned char>(b[0])).arg(static_cast<unsigned char>(b[1]))
                        .arg(static_cast<unsigned char>(b[2])).arg(static_cast<unsigned char>(b[3]));
        else
            value = QStringLiteral("IpAddress (%1 bytes): ").arg(b.size()) + HexBytes(b);
        break;
    }
    case KX_ASN_COUNTER:
        value = QStringLiteral("Counter32: ") + QString::number(binding.GetInteger());
        break;
    case KX_ASN_GAUGE:
        value = QStringLiteral("Gauge32: ") + QString::number(binding.GetInteger());
        break;
    case KX_ASN_TIMETICKS:
        value = QStringLiteral("Timeticks: ") + QString::number(binding.GetInteger());
        break;
    case KX_ASN_OPAQUE:
        value = QStringLiteral("Opaque: ") + HexBytes(binding.GetBytes());
        break;
    default:
        value = QStringLiteral("type 0x%1").arg(binding.m_byType, 2, 16, QLatin1Char('0'));
        break;
    }
    return binding.m_strOid + QStringLiteral(" = ") + value;
}

QString ErrorStatusName(std::uint32_t status)
{
    static const char* const kNames[] = {"noError", "tooBig", "noSuchName", "badValue", "readOnly", "genErr"};
    return status < std::size(kNames) ? QString::fromLatin1(kNames[status]) : QStringLiteral("unknown");
}

} // namespace kxtool
