#include <kxsnmp/SnmpException.h>

#include <utility>

QString SnmpErrorText(std::uint16_t wCode)
{
    switch (wCode) {
    case 0: return QStringLiteral("Snmp error");
    case 1: return QStringLiteral("Authentication parsing failed.");
    case 2: return QStringLiteral("Snmp version mismatch.");
    case 3: return QStringLiteral("Bad pdu type.");
    case 4: return QStringLiteral("variables binding list parsing failed.");
    case 5: return QStringLiteral("Bad tag.");
    case 6: return QStringLiteral("Indefinite length.");
    case 7: return QStringLiteral("Length field is too long.");
    case 8: return QStringLiteral("Malformed null.");
    case 9: return QStringLiteral("Unexpected ASN type.");
    case 12: return QStringLiteral("Value length is too long.");
    case 13: return QStringLiteral("Snmp object identifier is too long.");
    case 14: return QStringLiteral("Buffer overflow while snmp encoding.");
    case 15: return QStringLiteral("Response packet excesses the buffer length.");
    case 16: return QStringLiteral("Snmp timeout.");
    case 255: return QStringLiteral("Socket error, error code= 0x%04x");
    default: return QString();
    }
}

QString FormatSocketErrorText(int nSocketError)
{
    return QStringLiteral("Socket error, error code= 0x%1")
        .arg(static_cast<unsigned>(nSocketError), 4, 16, QLatin1Char('0'));
}

CSnmpException::CSnmpException() = default;
CSnmpException::CSnmpException(std::uint16_t wCode) : m_wCode(wCode), m_strMessage(SnmpErrorText(wCode)) {}
CSnmpException::CSnmpException(std::uint16_t wCode, const QString& strMessage) : m_wCode(wCode), m_strMessage(strMessage) {}
CSnmpException::CSnmpException(const CSnmpException& other)
    : CObject(other), m_wCode(other.m_wCode), m_strMessage(other.m_strMessage)
{
}

CSnmpException& CSnmpException::operator=(CSnmpException other)
{
    m_wCode = other.m_wCode;
    m_strMessage = std::move(other.m_strMessage);
    return *this;
}

CSnmpException::~CSnmpException() = default;
