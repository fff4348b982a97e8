// Messages and replies: bindings built from caller text, values read back as text or bytes.
#include "snmp/engine/Snmp.h"

#include <QStringList>

#include <charconv>
#include <cstring>
#include <limits>

namespace {

constexpr std::size_t kMaxOidLength = 128;
constexpr std::size_t kMaxOctetString = 65535;

bool ParseSigned(const char* text, std::size_t length, std::int64_t lo, std::int64_t hi, std::int64_t& out)
{
    if (!text || length == 0)
        return false;
    const char* end = text + length;
    const char* begin = text;
    if (*begin == '+') {
        ++begin;
        if (begin == end || *begin == '-')
            return false;
    }
    std::int64_t value = 0;
    auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || value < lo || value > hi)
        return false;
    out = value;
    return true;
}

bool ParseIpv4(const char* text, std::size_t length, QByteArray& out)
{
    QByteArray bytes;
    const char* p = text;
    const char* end = text + length;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (p == end || *p != '.')
                return false;
            ++p;
        }
        const char* start = p;
        while (p != end && *p >= '0' && *p <= '9' && p - start < 3)
            ++p;
        std::int64_t v = 0;
        if (!ParseSigned(start, static_cast<std::size_t>(p - start), 0, 255, v))
            return false;
        bytes.append(static_cast<char>(v));
    }
    if (p != end)
        return false;
    out = bytes;
    return true;
}

} // namespace

bool SnmpParseOid(const char* text, std::size_t length, std::vector<std::uint32_t>& oid)
{
    std::vector<std::uint32_t> result;
    if (!text || length == 0)
        return false;
    const char* p = text;
    const char* end = text + length;
    if (*p == '.')
        ++p;
    if (p == end)
        return false;
    while (true) {
        const char* start = p;
        while (p != end && *p >= '0' && *p <= '9')
            ++p;
        if (p == start || p - start > 10)
            return false;
        std::uint64_t v = 0;
        std::from_chars(start, p, v);
        if (v > std::numeric_limits<std::uint32_t>::max() || result.size() >= kMaxOidLength)
            return false;
        result.push_back(static_cast<std::uint32_t>(v));
        if (p == end)
            break;
        if (*p != '.')
            return false;
        ++p;
        if (p == end)
            return false;
    }
    if (result.size() < 2)
        return false;
    oid = std::move(result);
    return true;
}

QString SnmpOidText(const std::vector<std::uint32_t>& oid)
{
    QString text;
    for (std::size_t i = 0; i < oid.size(); ++i) {
        if (i)
            text += QLatin1Char('.');
        text += QString::number(oid[i]);
    }
    return text;
}

CSnmp::~CSnmp() = default;

std::unique_ptr<CSnmp> CSnmp::clone() const
{
    auto copy = cloneSettings();
    copy->m_nType = m_nType;
    copy->m_vars = m_vars;
    copy->m_nRequestId = m_nRequestId;
    copy->m_nErrorStatus = m_nErrorStatus;
    copy->m_nErrorIndex = m_nErrorIndex;
    copy->m_nRevision = m_nRevision;
    return copy;
}

int CSnmp::setType(int type)
{
    if (type != kSnmpPduGet && type != kSnmpPduGetNext && type != kSnmpPduSet)
        return -1;
    m_nType = type;
    ++m_nRevision;
    return 0;
}

void CSnmp::clearVarBindList()
{
    m_vars.clear();
    ++m_nRevision;
}

int CSnmp::addValue(const char* oid, int type, const char* value)
{
    return addValue(oid, type, value, value ? std::strlen(value) : 0);
}

int CSnmp::addValue(const char* oid, int type, const char* value, unsigned long length)
{
    if (!oid)
        return -1;
    SnmpVarBind vb;
    if (!SnmpParseOid(oid, std::strlen(oid), vb.oid))
        return -1;
    vb.type = type;
    switch (type) {
    case kSnmpTypeNull:
        break;
    case kSnmpTypeOctetString:
        if (!value && length != 0)
            return -1;
        if (length > kMaxOctetString)
            return -1;
        vb.bytes = QByteArray(value ? value : "", static_cast<qsizetype>(length));
        break;
    case kSnmpTypeInteger:
        if (!ParseSigned(value, length, std::numeric_limits<std::int32_t>::min(),
                         std::numeric_limits<std::int32_t>::max(), vb.number))
            return -1;
        break;
    case kSnmpTypeCounter32:
    case kSnmpTypeUnsigned32:
    case kSnmpTypeTimeTicks:
        if (!ParseSigned(value, length, 0, std::numeric_limits<std::uint32_t>::max(), vb.number))
            return -1;
        break;
    case kSnmpTypeIpAddress:
        if (!value || !ParseIpv4(value, length, vb.bytes))
            return -1;
        break;
    case kSnmpTypeObjectId:
        if (!value || !SnmpParseOid(value, length, vb.oidValue))
            return -1;
        break;
    default:
        return -1;
    }
    addVarBind(std::move(vb));
    return 0;
}

int CSnmp::getErrorInfo(int& status, int& index) const
{
    status = m_nErrorStatus;
    index = m_nErrorIndex;
    return 0;
}

int CSnmp::getOid(int position, QString& oid) const
{
    if (position < 0 || position >= getValuesCount())
        return -1;
    oid = SnmpOidText(m_vars[static_cast<std::size_t>(position)].oid);
    return 0;
}

int CSnmp::getValue(int position, int& type, QString& text) const
{
    if (position < 0 || position >= getValuesCount())
        return -1;
    const SnmpVarBind& vb = m_vars[static_cast<std::size_t>(position)];
    type = vb.type;
    switch (vb.type) {
    case kSnmpTypeInteger:
    case kSnmpTypeCounter32:
    case kSnmpTypeUnsigned32:
    case kSnmpTypeTimeTicks:
        text = QString::number(vb.number);
        break;
    case kSnmpTypeCounter64:
        text = QString::number(vb.number64);
        break;
    case kSnmpTypeOctetString:
    case kSnmpTypeOpaque:
        text = QString::fromLatin1(vb.bytes);
        break;
    case kSnmpTypeIpAddress: {
        QStringList parts;
        for (char c : vb.bytes)
            parts << QString::number(static_cast<unsigned char>(c));
        text = parts.join(QLatin1Char('.'));
        break;
    }
    case kSnmpTypeObjectId:
        text = SnmpOidText(vb.oidValue);
        break;
    default:
        text.clear();
        break;
    }
    return 0;
}

int CSnmp::getValue(int position, QByteArray& bytes) const
{
    if (position < 0 || position >= getValuesCount())
        return -1;
    const SnmpVarBind& vb = m_vars[static_cast<std::size_t>(position)];
    if (vb.type == kSnmpTypeOctetString || vb.type == kSnmpTypeOpaque || vb.type == kSnmpTypeIpAddress) {
        bytes = vb.bytes;
    } else {
        int type = 0;
        QString text;
        getValue(position, type, text);
        bytes = text.toLatin1();
    }
    return 0;
}

int CSnmp::getValue(int position, char* buffer, unsigned long length) const
{
    QByteArray bytes;
    if (getValue(position, bytes) != 0)
        return -1;
    const auto n = std::min<unsigned long>(length, static_cast<unsigned long>(bytes.size()));
    if (buffer && n)
        std::memcpy(buffer, bytes.constData(), n);
    return static_cast<int>(n);
}

std::unique_ptr<CSnmp> CSnmpV1::cloneSettings() const
{
    auto copy = std::make_unique<CSnmpV1>(0);
    copy->m_community = m_community;
    return copy;
}

std::unique_ptr<CSnmp> CSnmpV3::cloneSettings() const
{
    auto copy = std::make_unique<CSnmpV3>(0);
    copy->m_nMaxSize = m_nMaxSize;
    copy->m_nSecurityModel = m_nSecurityModel;
    copy->m_userName = m_userName;
    copy->m_nFlags = m_nFlags;
    copy->m_nAuthArith = m_nAuthArith;
    copy->m_authPwd = m_authPwd;
    copy->m_nPriArith = m_nPriArith;
    copy->m_priPwd = m_priPwd;
    return copy;
}

int CSnmpV3::setMsgSecurityModel(int model)
{
    if (model != 3)
        return -1;
    m_nSecurityModel = model;
    return 0;
}

int CSnmpV3::setMsgFlags(int flags)
{
    if (flags != 0 && flags != 1 && flags != 3)
        return -1;
    m_nFlags = flags;
    return 0;
}

int CSnmpV3::setAuthArith(int arith)
{
    if (arith != 0 && arith != 1)
        return -1;
    m_nAuthArith = arith;
    return 0;
}

void CSnmpV3::setAuthPwd(const char* password, int length)
{
    m_authPwd = password && length > 0 ? QByteArray(password, length) : QByteArray();
}

int CSnmpV3::setPriArith(int arith)
{
    if (arith != 0 && arith != 1)
        return -1;
    m_nPriArith = arith;
    return 0;
}

void CSnmpV3::setPriPwd(const char* password, int length)
{
    m_priPwd = password && length > 0 ? QByteArray(password, length) : QByteArray();
}
