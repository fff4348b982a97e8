#include <kxsnmp/SnmpClass.h>
#include <kxsnmp/SnmpDll.h>

#include <cctype>
#include <cstdint>
#include <limits>

namespace {

// atoi as the original platform has it: leading blanks, an optional sign, decimal digits up to the
// first other character; results outside the 32-bit range are clamped.
int AtoiText(const QByteArray& text)
{
    qsizetype i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 1LL << 32)
            break;  // already outside the range; the clamp below decides
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<int>(value);
}

int HexDigit(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

bool HoldsInteger(const CSnmpVarBind* pVarBind)
{
    switch (pVarBind->m_byType) {
    case KX_ASN_INTEGER: case KX_ASN_COUNTER: case KX_ASN_GAUGE: case KX_ASN_TIMETICKS:
        return pVarBind->HasValue();
    default:
        return false;
    }
}

bool HoldsBytes(const CSnmpVarBind* pVarBind)
{
    switch (pVarBind->m_byType) {
    case KX_ASN_OCTET_STRING: case KX_ASN_IPADDRESS: case KX_ASN_OPAQUE:
        return pVarBind->HasValue();
    default:
        return false;
    }
}

} // namespace

CSnmpClass::CSnmpClass(QObject* pWnd, const QString& strIpAddr, const QString& strReadCommunity,
                       const QString& strWriteCommunity, int nCount, const _KxOidTable* pTable,
                       const QString& strSuffix)
    : m_pWnd(pWnd), m_strIpAddr(strIpAddr), m_strReadCommunity(strReadCommunity),
      m_strWriteCommunity(strWriteCommunity), m_nOidCount(nCount), m_strSuffix(strSuffix)
{
    if (pTable) {
        for (int i = 0; i < nCount; ++i)
            m_oidList.push_back(std::make_unique<CSnmpOid>(pTable[i]));
    }
}

CSnmpClass::~CSnmpClass() = default;

std::uint32_t CSnmpClass::SendSnmp(std::uint16_t wPduType)
{
    m_wPduType = wPduType;
    const bool bSet = wPduType == KX_PDU_SET;
    auto* pMsg = new CSnmpMsg(m_pWnd, m_strIpAddr, bSet ? m_strWriteCommunity : m_strReadCommunity, wPduType);
    if (m_pfnCallback)
        pMsg->SetSnmpCallback(m_pfnCallback);
    CSnmpPdu* pPdu = pMsg->m_pPdu.get();

    for (const auto& pOid : m_oidList) {
        const QString strName = pOid->m_strOid + m_strSuffix + m_strIndex;
        if (pOid->m_strOid.isEmpty())
            continue;
        const std::uint16_t wMode = pOid->m_wAccess & KX_ACCESS_MODE_MASK;
        if (!bSet) {
            if (wMode == KX_ACCESS_NOT_READABLE)
                continue;
            pPdu->AddOid(strName);
            continue;
        }
        if (wMode == KX_ACCESS_READ_ONLY || (pOid->m_wAccess & KX_ACCESS_KEY))
            continue;
        const QString& strValue = pOid->m_strValue;
        switch (pOid->m_byType) {
        case KX_ASN_INTEGER:
            if (!pOid->m_enumList.empty()) {
                for (const auto& pEnum : pOid->m_enumList) {
                    if (pEnum->m_strLabel == strValue) {
                        pPdu->AddOid(strName, static_cast<std::uint32_t>(pEnum->m_nValue), KX_ASN_INTEGER);
                        break;
                    }
                }
            } else {
                pPdu->AddOid(strName, static_cast<std::uint32_t>(AtoiText(strValue.toLatin1())), KX_ASN_INTEGER);
            }
            break;
        case KX_ASN_OCTET_STRING:
            if (pOid->m_wAccess & KX_ACCESS_HEX_TEXT) {
                const QByteArray bytes = HexTextToBytes(strValue);
                pOid->m_strValue = QString::fromLatin1(bytes);
                pPdu->AddOid(strName, reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                             static_cast<int>(bytes.size()), KX_ASN_OCTET_STRING);
            } else {
                pPdu->AddOid(strName, strValue, KX_ASN_OCTET_STRING);
            }
            break;
        case KX_ASN_OBJECT_ID:
            pPdu->AddOid(strName, strValue, KX_ASN_OBJECT_ID);
            break;
        case KX_ASN_IPADDRESS: {
            const QByteArray bytes = AddressTextToBytes(strValue);
            pPdu->AddOid(strName, reinterpret_cast<const std::uint8_t*>(bytes.constData()), 4, KX_ASN_IPADDRESS);
            break;
        }
        case KX_ASN_COUNTER: case KX_ASN_GAUGE: case KX_ASN_TIMETICKS:
            pPdu->AddOid(strName, static_cast<std::uint32_t>(AtoiText(strValue.toLatin1())), pOid->m_byType);
            break;
        case KX_ASN_MACADDRESS: {
            QByteArray bytes;
            if (MacTextToBytes(strValue, bytes))
                pPdu->AddOid(strName, reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                             static_cast<int>(bytes.size()), KX_ASN_OCTET_STRING);
            break;
        }
        default:
            break;
        }
    }
    m_dwLastReqId = SendSnmpMsg(pMsg);
    return m_dwLastReqId;
}

bool CSnmpClass::IsEndOfTable(const CSnmpPdu* pPdu)
{
    if (m_oidList.empty() || !pPdu || pPdu->m_varBindList.empty()) {
        m_strIndex.clear();
        return true;
    }
    const QString strPrefix = m_oidList.front()->m_strOid + m_strSuffix;
    const QString& strName = pPdu->m_varBindList.front()->m_strOid;
    if (!strName.contains(strPrefix)) {
        m_strIndex.clear();
        return true;
    }
    m_strIndex = strName.right(strName.size() - strPrefix.size());
    return false;
}

QString CSnmpClass::FormatValue(const CSnmpVarBind* pVarBind, const CSnmpOid* pOid) const
{
    if (!pVarBind)
        return QString();
    const std::uint8_t byType = pOid ? pOid->m_byType : pVarBind->m_byType;
    switch (byType) {
    case KX_ASN_INTEGER: {
        if (!HoldsInteger(pVarBind))
            return QString();
        const auto nValue = static_cast<std::int32_t>(pVarBind->GetUInt32());
        if (pOid) {
            for (const auto& pEnum : pOid->m_enumList)
                if (pEnum->m_nValue == nValue)
                    return pEnum->m_strLabel;
        }
        return QString::number(nValue);
    }
    case KX_ASN_OCTET_STRING: case KX_ASN_OPAQUE: {
        if (!HoldsBytes(pVarBind))
            return QString();
        const QByteArray bytes = pVarBind->GetBytes();
        if (pOid && (pOid->m_wAccess & KX_ACCESS_HEX_TEXT))
            return QString::fromLatin1(bytes.toHex());
        const qsizetype nEnd = bytes.indexOf('\0');
        return QString::fromUtf8(nEnd < 0 ? bytes : bytes.left(nEnd));
    }
    case KX_ASN_NULL:
        return QStringLiteral("Null");
    case KX_ASN_OBJECT_ID:
        return pVarBind->m_byType == KX_ASN_OBJECT_ID ? pVarBind->GetOidText() : QString();
    case KX_ASN_IPADDRESS: {
        const QByteArray bytes = HoldsBytes(pVarBind) ? pVarBind->GetBytes() : QByteArray();
        if (bytes.size() < 4)
            return QString();
        return QStringLiteral("%1.%2.%3.%4")
            .arg(static_cast<std::uint8_t>(bytes[0])).arg(static_cast<std::uint8_t>(bytes[1]))
            .arg(static_cast<std::uint8_t>(bytes[2])).arg(static_cast<std::uint8_t>(bytes[3]));
    }
    case KX_ASN_COUNTER: case KX_ASN_GAUGE: case KX_ASN_TIMETICKS:
        if (!HoldsInteger(pVarBind))
            return QString();
        return QString::number(static_cast<std::int32_t>(pVarBind->GetUInt32()));
    case KX_ASN_MACADDRESS: {
        const QByteArray bytes = HoldsBytes(pVarBind) ? pVarBind->GetBytes() : QByteArray();
        if (bytes.size() < 6)
            return QString();
        return QString::fromLatin1(bytes.left(6).toHex(':'));
    }
    default:
        return QString();
    }
}

void CSnmpClass::RemoveReadOnlyObjid()
{
    std::erase_if(m_oidList, [](const std::unique_ptr<CSnmpOid>& pOid) {
        return (pOid->m_wAccess & KX_ACCESS_MODE_MASK) == KX_ACCESS_READ_ONLY && !(pOid->m_wAccess & KX_ACCESS_KEY);
    });
}

QByteArray CSnmpClass::HexTextToBytes(const QString& strText)
{
    const QByteArray text = strText.toLatin1();
    const qsizetype n = (text.size() + 1) / 2;
    QByteArray bytes(n, '\0');
    for (qsizetype i = 0; i < n; ++i) {
        int value = 0;
        for (qsizetype k = 2 * i; k < 2 * i + 2 && k < text.size(); ++k) {
            const int digit = HexDigit(text[k]);
            if (digit < 0)
                break;
            value = value * 16 + digit;
        }
        bytes[i] = static_cast<char>(value);
    }
    return bytes;
}

QByteArray CSnmpClass::AddressTextToBytes(const QString& strText)
{
    QByteArray bytes(4, '\0');
    const QList<QByteArray> groups = strText.toLatin1().split('.');
    int nPos = 0;
    for (const QByteArray& group : groups) {
        if (nPos >= 4)
            break;
        if (group.size() > 3)
            break;
        bytes[nPos++] = static_cast<char>(AtoiText(group) & 0xFF);
    }
    return bytes;
}

bool CSnmpClass::MacTextToBytes(const QString& strText, QByteArray& bytes)
{
    bytes.clear();
    const QByteArray text = strText.toLatin1();
    int nValue = 0;
    int nGroupLength = 0;
    qsizetype i = 0;
    for (;;) {
        const bool bEnd = i >= text.size();
        if (bEnd || text[i] == ' ' || text[i] == ':') {
            if (bytes.size() >= 6) {
                bytes.clear();
                return false;
            }
            bytes.append(static_cast<char>(nValue));
            nValue = 0;
            nGroupLength = 0;
            if (bEnd)
                return true;
            ++i;
            while (i < text.size() && HexDigit(text[i]) < 0)
                ++i;
            if (i >= text.size())
                return true;  // a trailing separator ends the text
            continue;
        }
        if (++nGroupLength > 2) {
            bytes.clear();
            return false;
        }
        const int digit = HexDigit(text[i]);
        nValue = nValue * 16 + (digit < 0 ? 0 : digit);
        ++i;
    }
}
