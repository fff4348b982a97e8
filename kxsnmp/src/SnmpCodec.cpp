// The SNMPv1 BER codec of CSnmpMsg: definite lengths, fixed 512-byte buffers, 32-bit integers in
// minimal two's-complement form and OBJECT IDENTIFIERs as dotted text.
#include "BerBuffer.h"

#include <kxsnmp/SnmpMsg.h>

#include <algorithm>
#include <cstring>

namespace {
[[noreturn]] void Raise(std::uint16_t wCode)
{
    throw CSnmpException(wCode);
}

// Reads the length field at pos: code 6 for 0x80, 7 for more than 4 length bytes, 15 when the
// field or the content runs past total.
int ParseLength(const std::uint8_t* pby, int nTotal, int& nPos)
{
    if (nPos >= nTotal)
        Raise(KX_E_PACKET_OVERRUN);
    const std::uint8_t byFirst = pby[nPos++];
    std::uint64_t qwLength = byFirst;
    if (byFirst & 0x80) {
        const int n = byFirst & 0x7F;
        if (n == 0)
            Raise(KX_E_INDEFINITE_LENGTH);
        if (n > 4)
            Raise(KX_E_LENGTH_TOO_LONG);
        if (n > nTotal - nPos)
            Raise(KX_E_PACKET_OVERRUN);
        qwLength = 0;
        for (int i = 0; i < n; ++i)
            qwLength = (qwLength << 8) | pby[nPos++];
    }
    if (qwLength > static_cast<std::uint64_t>(nTotal - nPos))
        Raise(KX_E_PACKET_OVERRUN);
    return static_cast<int>(qwLength);
}

std::uint8_t ParseHeader(const std::uint8_t* pby, int nTotal, int& nPos, int& nLength)
{
    if (nPos >= nTotal)
        Raise(KX_E_PACKET_OVERRUN);
    const std::uint8_t byTag = pby[nPos];
    if ((byTag & 0x1F) == 0x1F)
        Raise(KX_E_BAD_TAG);
    ++nPos;
    nLength = ParseLength(pby, nTotal, nPos);
    return byTag;
}

// Appends the decimal text of dw and a dot.
char* AppendArc(char* p, std::uint32_t dw)
{
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + dw % 10);
        dw /= 10;
    } while (dw);
    while (n)
        *p++ = digits[--n];
    *p++ = '.';
    return p;
}

bool IsIntegerType(std::uint8_t byType)
{
    return byType == KX_ASN_INTEGER || (byType >= KX_ASN_COUNTER && byType <= KX_ASN_TIMETICKS);
}

bool IsBlockType(std::uint8_t byType)
{
    return byType == KX_ASN_OCTET_STRING || byType == KX_ASN_IPADDRESS || byType == KX_ASN_OPAQUE;
}
}  // namespace

// ---- CBerBuffer ----

CBerBuffer::CBerBuffer() {}  // NOLINT: m_data is deliberately left uninitialised

CBerBuffer::CBerBuffer(const std::uint8_t* pbyData, int nLength)
{
    m_nTotal = std::clamp(nLength, 0, KX_SNMP_PACKET_SIZE);
    if (pbyData && m_nTotal > 0)
        std::memcpy(m_data, pbyData, static_cast<std::size_t>(m_nTotal));
}

void CBerBuffer::PutByte(std::uint8_t by)
{
    if (m_nPos >= KX_SNMP_PACKET_SIZE)
        Raise(KX_E_ENCODE_OVERFLOW);
    m_data[m_nPos++] = by;
}

void CBerBuffer::PutBytes(const std::uint8_t* pby, int n)
{
    if (n < 0 || n > KX_SNMP_PACKET_SIZE - m_nPos)
        Raise(KX_E_ENCODE_OVERFLOW);
    if (n > 0)
        std::memcpy(m_data + m_nPos, pby, static_cast<std::size_t>(n));
    m_nPos += n;
}

void CBerBuffer::WriteHeader(std::uint8_t byTag, int nLength)
{
    PutByte(byTag);
    if (nLength < 0x80) {
        PutByte(static_cast<std::uint8_t>(nLength));
    } else if (nLength <= 0xFF) {
        PutByte(0x81);
        PutByte(static_cast<std::uint8_t>(nLength));
    } else {
        // Every length here is below 65536: all parts are bounded by the 512-byte buffers.
        PutByte(0x82);
        PutByte(static_cast<std::uint8_t>(nLength >> 8));
        PutByte(static_cast<std::uint8_t>(nLength));
    }
}

void CBerBuffer::WriteInteger(std::uint32_t dwValue, std::uint8_t byTag)
{
    int n = 4;
    // Drop the top byte while the top 9 bits of what remains are all zeros or all ones.
    while (n > 1) {
        const std::uint32_t dwTop9 = (dwValue >> (8 * n - 9)) & 0x1FF;
        if (dwTop9 != 0 && dwTop9 != 0x1FF)
            break;
        --n;
    }
    WriteHeader(byTag, n);
    for (int i = n - 1; i >= 0; --i)
        PutByte(static_cast<std::uint8_t>(dwValue >> (8 * i)));
}

void CBerBuffer::WriteUnsigned(std::uint32_t dwValue, std::uint8_t byTag)
{
    if (!(dwValue & 0x80000000u)) {
        WriteInteger(dwValue, byTag);
        return;
    }
    WriteHeader(byTag, 5);
    PutByte(0);
    for (int i = 3; i >= 0; --i)
        PutByte(static_cast<std::uint8_t>(dwValue >> (8 * i)));
}

void CBerBuffer::WriteByteString(std::uint8_t byTag, const std::uint8_t* pby, int n)
{
    WriteHeader(byTag, n);
    PutBytes(pby, n);
}

void CBerBuffer::WriteNull()
{
    WriteHeader(KX_ASN_NULL, 0);
}

void CBerBuffer::WriteOid(const QString& strOid)
{
    // Each piece between dots is read like atoi: leading blanks, an optional sign, then digits up
    // to the first other character; an empty or non-numeric piece is 0. Values are taken modulo
    // 2^32, so "-1" is 4294967295.
    std::uint32_t arcs[KX_SNMP_MAX_ARCS];
    int nArcs = 0;
    const char16_t* p = reinterpret_cast<const char16_t*>(strOid.constData());
    const char16_t* const pEnd = p + strOid.size();
    for (;;) {
        if (nArcs == KX_SNMP_MAX_ARCS)
            Raise(KX_E_OID_TOO_LONG);
        while (p < pEnd && (*p == u' ' || *p == u'\t'))
            ++p;
        bool bNegative = false;
        if (p < pEnd && (*p == u'-' || *p == u'+'))
            bNegative = *p++ == u'-';
        std::uint32_t dw = 0;
        for (; p < pEnd && *p >= u'0' && *p <= u'9'; ++p)
            dw = dw * 10u + static_cast<std::uint32_t>(*p - u'0');
        arcs[nArcs++] = bNegative ? 0u - dw : dw;
        while (p < pEnd && *p != u'.')
            ++p;
        if (p == pEnd)
            break;
        ++p;
    }

    std::uint8_t content[KX_SNMP_MAX_ARCS * 5];
    int nContent = 0;
    auto putSubId = [&](std::uint32_t dw) {
        std::uint8_t groups[5];
        int n = 0;
        do {
            groups[n++] = static_cast<std::uint8_t>(dw & 0x7F);
            dw >>= 7;
        } while (dw);
        while (n > 1)
            content[nContent++] = groups[--n] | 0x80;
        content[nContent++] = groups[0];
    };
    if (nArcs >= 2) {
        putSubId(arcs[0] * 40u + arcs[1]);
        for (int i = 2; i < nArcs; ++i)
            putSubId(arcs[i]);
    }
    WriteHeader(KX_ASN_OBJECT_ID, nContent);
    PutBytes(content, nContent);
}

std::uint8_t CBerBuffer::ReadHeader(int& nLength)
{
    return ParseHeader(m_data, m_nTotal, m_nPos, nLength);
}

std::uint8_t CBerBuffer::PeekTag() const
{
    if (m_nPos >= m_nTotal)
        Raise(KX_E_PACKET_OVERRUN);
    return m_data[m_nPos];
}

int CBerBuffer::PeekLength() const
{
    int nPos = m_nPos;
    int nLength = 0;
    ParseHeader(m_data, m_nTotal, nPos, nLength);
    return nLength;
}

int CBerBuffer::ReadLength()
{
    return ParseLength(m_data, m_nTotal, m_nPos);
}

void CBerBuffer::SkipTag()
{
    if (m_nPos >= m_nTotal)
        Raise(KX_E_PACKET_OVERRUN);
    ++m_nPos;
}

std::uint32_t CBerBuffer::ReadInt32()
{
    SkipTag();
    const int n = ReadLength();
    if (n > 4)
        Raise(KX_E_VALUE_TOO_LONG);
    std::uint32_t dw = (n > 0 && (m_data[m_nPos] & 0x80)) ? 0xFFFFFFFFu : 0u;
    for (int i = 0; i < n; ++i)
        dw = (dw << 8) | m_data[m_nPos++];
    return dw;
}

std::int64_t CBerBuffer::ReadInt64()
{
    SkipTag();
    const int n = ReadLength();
    if (n > 8)
        Raise(KX_E_VALUE_TOO_LONG);
    std::uint64_t qw = (n > 0 && (m_data[m_nPos] & 0x80)) ? ~std::uint64_t(0) : 0u;
    for (int i = 0; i < n; ++i)
        qw = (qw << 8) | m_data[m_nPos++];
    return static_cast<std::int64_t>(qw);
}

int CBerBuffer::ReadByteString(std::uint8_t* pbyOut)
{
    SkipTag();
    const int n = ReadLength();
    std::memcpy(pbyOut, m_data + m_nPos, static_cast<std::size_t>(n));
    m_nPos += n;
    return n;
}

QString CBerBuffer::ReadCommunity()
{
    SkipTag();
    const int n = ReadLength();
    const QString str = QString::fromLatin1(reinterpret_cast<const char*>(m_data + m_nPos), n);
    m_nPos += n;
    return str;
}

void CBerBuffer::ReadNull()
{
    SkipTag();
    const int n = ReadLength();
    if (n != 0)
        Raise(KX_E_MALFORMED_NULL);
}

QString CBerBuffer::ReadOid()
{
    if (PeekTag() != KX_ASN_OBJECT_ID)
        Raise(KX_E_VARBIND);
    ++m_nPos;
    const int nLength = ReadLength();
    const int nEnd = m_nPos + nLength;

    // At most 64 arcs of at most 10 digits and a dot each.
    char szText[KX_SNMP_MAX_ARCS * 11];
    char* pText = szText;
    int nArcs = 0;
    bool bFirst = true;
    while (m_nPos < nEnd) {
        std::uint32_t dw = 0;
        std::uint8_t by = 0;
        do {
            // A sub-identifier whose last byte still has bit 0x80 set runs past the content.
            if (m_nPos >= nEnd)
                Raise(KX_E_VARBIND);
            by = m_data[m_nPos++];
            dw = (dw << 7) | (by & 0x7Fu);
        } while (by & 0x80);
        if (bFirst) {
            bFirst = false;
            nArcs = 2;
            pText = AppendArc(pText, dw / 40);
            pText = AppendArc(pText, dw % 40);
        } else {
            if (++nArcs > KX_SNMP_MAX_ARCS)
                Raise(KX_E_OID_TOO_LONG);
            pText = AppendArc(pText, dw);
        }
    }
    if (pText > szText)
        --pText;  // the final dot
    return QString::fromLatin1(szText, static_cast<qsizetype>(pText - szText));
}

// ---- CSnmpMsg codec ----

void CSnmpMsg::SnmpBuildVarOp(CSnmpVarBind* pVarBind, std::uint8_t* pbyOut, std::uint16_t& wPos)
{
    // The name and then the value are written into one buffer; the header goes in front.
    CBerBuffer value;
    value.WriteOid(pVarBind->m_strOid);

    const std::uint8_t byType = pVarBind->m_byType;
    const bool bBlock = pVarBind->m_kind == CSnmpVarBind::Kind::Block;
    if (byType == KX_ASN_INTEGER) {
        // An 8-byte value is sent from its low 32 bits; a binding without a value sends 0.
        value.WriteInteger(pVarBind->GetUInt32(), byType);
    } else if (IsIntegerType(byType)) {
        // Counter, Gauge and TimeTicks are unsigned: a value with the top bit set gets a leading
        // zero byte, so that receivers do not read it as negative (0xFFFFFFFF is not 0xFF).
        value.WriteUnsigned(pVarBind->GetUInt32(), byType);
    } else if (IsBlockType(byType)) {
        const int n = bBlock ? std::min<int>(pVarBind->m_wLength, pVarBind->m_nBlockSize) : 0;
        value.WriteByteString(byType, static_cast<const std::uint8_t*>(pVarBind->m_pValue), n);
    } else if (byType == KX_ASN_NULL) {
        value.WriteNull();
    } else if (byType == KX_ASN_OBJECT_ID) {
        value.WriteOid(pVarBind->GetOidText());
    } else {
        return;  // a type that is not sent (such as the MAC address type) is left out
    }

    CBerBuffer header;
    header.WriteHeader(KX_ASN_SEQUENCE, value.m_nPos);
    const int nTotal = header.m_nPos + value.m_nPos;
    if (nTotal > KX_SNMP_PACKET_SIZE - wPos)
        Raise(KX_E_ENCODE_OVERFLOW);
    std::uint8_t* p = pbyOut + wPos;
    std::memcpy(p, header.m_data, static_cast<std::size_t>(header.m_nPos));
    std::memcpy(p + header.m_nPos, value.m_data, static_cast<std::size_t>(value.m_nPos));
    wPos = static_cast<std::uint16_t>(wPos + nTotal);
}

void CSnmpMsg::SnmpParseVarOp(CSnmpVarBind*) {}

void CSnmpMsg::SnmpEncode()
{
    m_pPdu->m_dwRequestId = ++m_sdwReqid;

    std::uint8_t bindings[KX_SNMP_PACKET_SIZE];
    std::uint16_t wBindings = 0;
    for (const auto& pVarBind : m_pPdu->m_varBindList)
        SnmpBuildVarOp(pVarBind.get(), bindings, wBindings);

    CBerBuffer bindingsHeader, errorIndex, errorStatus, requestId, pduHeader, community, version, message;
    bindingsHeader.WriteHeader(KX_ASN_SEQUENCE, wBindings);
    errorIndex.WriteInteger(m_pPdu->m_dwErrorIndex, KX_ASN_INTEGER);
    errorStatus.WriteInteger(m_pPdu->m_dwErrorStatus, KX_ASN_INTEGER);
    requestId.WriteInteger(m_pPdu->m_dwRequestId, KX_ASN_INTEGER);
    const int nPdu = requestId.m_nPos + errorStatus.m_nPos + errorIndex.m_nPos + bindingsHeader.m_nPos + wBindings;
    if (nPdu > KX_SNMP_PACKET_SIZE)
        Raise(KX_E_ENCODE_OVERFLOW);
    pduHeader.WriteHeader(static_cast<std::uint8_t>(m_wPduType & 0xFF), nPdu);
    const QByteArray communityBytes = m_strCommunity.toLatin1();
    if (communityBytes.size() > KX_SNMP_PACKET_SIZE)
        Raise(KX_E_ENCODE_OVERFLOW);
    community.WriteByteString(KX_ASN_OCTET_STRING, reinterpret_cast<const std::uint8_t*>(communityBytes.constData()),
                              static_cast<int>(communityBytes.size()));
    version.WriteInteger(0, KX_ASN_INTEGER);
    const int nBody = version.m_nPos + community.m_nPos + pduHeader.m_nPos + nPdu;
    if (nBody > KX_SNMP_PACKET_SIZE)
        Raise(KX_E_ENCODE_OVERFLOW);
    message.WriteHeader(KX_ASN_SEQUENCE, nBody);
    const int nTotal = message.m_nPos + nBody;
    if (nTotal > KX_SNMP_PACKET_SIZE)
        Raise(KX_E_ENCODE_OVERFLOW);

    std::uint8_t* p = m_byPacket;
    for (const CBerBuffer* pPart : {&message, &version, &community, &pduHeader, &requestId, &errorStatus, &errorIndex,
                                    &bindingsHeader}) {
        std::memcpy(p, pPart->m_data, static_cast<std::size_t>(pPart->m_nPos));
        p += pPart->m_nPos;
    }
    std::memcpy(p, bindings, wBindings);
    m_nPacketLength = nTotal;
}

void CSnmpMsg::SnmpDecode()
{
    CBerBuffer in(m_byPacket, m_nPacketLength);
    int nLength = 0;

    if (in.ReadHeader(nLength) != KX_ASN_SEQUENCE)
        Raise(KX_E_AUTH_PARSE);
    const std::uint32_t dwVersion = in.ReadInt32();
    m_strCommunity = in.ReadCommunity();
    if (dwVersion != 0)
        Raise(KX_E_VERSION);

    m_wPduType = in.ReadHeader(nLength);
    if (m_wPduType != KX_PDU_TRAP) {
        m_pPdu->m_dwRequestId = in.ReadInt32();
        m_pPdu->m_dwErrorStatus = in.ReadInt32();
        m_pPdu->m_dwErrorIndex = in.ReadInt32();
    }
    if (in.ReadHeader(nLength) != KX_ASN_SEQUENCE)
        Raise(KX_E_PDU_TYPE);

    std::uint8_t bytes[KX_SNMP_PACKET_SIZE];
    while (in.m_nPos < in.m_nTotal) {
        if (in.ReadHeader(nLength) != KX_ASN_SEQUENCE)
            Raise(KX_E_VARBIND);
        const QString strName = in.ReadOid();
        const std::uint8_t byTag = in.PeekTag();
        const int nValueLength = in.PeekLength();
        if (IsIntegerType(byTag)) {
            if (nValueLength <= 4)
                m_pPdu->AddOid(strName, in.ReadInt32(), byTag);
            else
                m_pPdu->AddOid(strName, in.ReadInt64(), byTag);
        } else if (IsBlockType(byTag)) {
            const int n = in.ReadByteString(bytes);
            m_pPdu->AddOid(strName, bytes, n, byTag);
        } else if (byTag == KX_ASN_NULL) {
            in.ReadNull();
            m_pPdu->AddOid(strName);
        } else if (byTag == KX_ASN_OBJECT_ID) {
            m_pPdu->AddOid(strName, in.ReadOid(), KX_ASN_OBJECT_ID);
        } else {
            Raise(KX_E_UNEXPECTED_TYPE);
        }
    }
}
