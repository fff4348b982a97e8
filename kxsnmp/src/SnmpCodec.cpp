// The SNMPv1 BER codec of CSnmpMsg: definite lengths, fixed 512-byte buffers, 32-bit integers in
// minimal two's-complement form and OBJECT IDENTIFIERs as dotted text.
#include "BerBuffer.h"
#include "KxThreadLocal.h"

#include <kxsnmp/SnmpMsg.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {
[[noreturn]] void Raise(std::uint16_t wCode)
{
    throw CSnmpException(wCode);
}

// Reads the length field at pos: code 6 for 0x80, 7 for more than 4 length bytes, 15 when the
// field or the content runs past total.
int ParseLongLength(const std::uint8_t* pby, int nTotal, int& nPos);

inline int ParseLength(const std::uint8_t* pby, int nTotal, int& nPos)
{
    // The short form that fits, the usual case, without a call.
    if (nPos < nTotal) {
        const std::uint8_t byFirst = pby[nPos];
        if (byFirst < 0x80 && byFirst <= nTotal - nPos - 1) {
            ++nPos;
            return byFirst;
        }
    }
    return ParseLongLength(pby, nTotal, nPos);
}

int ParseLongLength(const std::uint8_t* pby, int nTotal, int& nPos)
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

inline std::uint8_t ParseHeader(const std::uint8_t* pby, int nTotal, int& nPos, int& nLength)
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

// Appends dw in base 128, most significant group first, every byte but the last with bit 0x80.
inline std::uint8_t* PutSubId(std::uint8_t* p, std::uint32_t dw)
{
    if (dw < 0x80) {
        *p++ = static_cast<std::uint8_t>(dw);
        return p;
    }
    int nShift = 7;
    while (nShift < 28 && (dw >> (nShift + 7)) != 0)
        nShift += 7;
    for (; nShift > 0; nShift -= 7)
        *p++ = static_cast<std::uint8_t>(0x80 | ((dw >> nShift) & 0x7F));
    *p++ = static_cast<std::uint8_t>(dw & 0x7F);
    return p;
}

// Number of decimal digits of dw.
inline int DecimalDigits(std::uint32_t dw)
{
    int n = 1;
    while (dw >= 10000) {
        dw /= 10000;
        n += 4;
    }
    if (dw >= 100)
        n += dw >= 1000 ? 3 : 2;
    else if (dw >= 10)
        n += 1;
    return n;
}

// Writes the decimal digits of dw so that they end just before pEnd.
inline void PutDecimal(char16_t* pEnd, std::uint32_t dw)
{
    do {
        *--pEnd = static_cast<char16_t>(u'0' + dw % 10);
        dw /= 10;
    } while (dw);
}

// The contents of an OBJECT IDENTIFIER from its dotted text, as read like atoi piece by piece:
// leading blanks, an optional sign, then digits up to the first other character; an empty or
// non-numeric piece is 0, values are taken modulo 2^32 (so "-1" is 4294967295). Code 13 for more
// than 64 arcs. Returns the number of bytes written to pContent (at most 320).
int EncodeOidText(const QString& strOid, std::uint8_t* pContent)
{
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

    std::uint8_t* const pStart = pContent;
    if (nArcs >= 2) {
        pContent = PutSubId(pContent, arcs[0] * 40u + arcs[1]);
        for (int i = 2; i < nArcs; ++i)
            pContent = PutSubId(pContent, arcs[i]);
    }
    return static_cast<int>(pContent - pStart);
}

// EncodeOidText with one pass for texts of plain digits and dots, the usual form; a text with any
// other character goes through EncodeOidText.
int EncodeOid(const QString& strOid, std::uint8_t* pContent)
{
    std::uint8_t* const pStart = pContent;
    const char16_t* p = reinterpret_cast<const char16_t*>(strOid.constData());
    const char16_t* const pEnd = p + strOid.size();
    std::uint32_t dwFirst = 0;
    int nArcs = 0;
    for (;;) {
        if (nArcs == KX_SNMP_MAX_ARCS)
            Raise(KX_E_OID_TOO_LONG);
        std::uint32_t dw = 0;
        for (; p < pEnd; ++p) {
            const std::uint32_t dwDigit = static_cast<std::uint32_t>(*p) - u'0';
            if (dwDigit > 9)
                break;
            dw = dw * 10u + dwDigit;
        }
        if (p < pEnd && *p != u'.')
            return EncodeOidText(strOid, pStart);
        if (nArcs == 0)
            dwFirst = dw;
        else if (nArcs == 1)
            pContent = PutSubId(pContent, dwFirst * 40u + dw);
        else
            pContent = PutSubId(pContent, dw);
        ++nArcs;
        if (p == pEnd)
            break;
        ++p;
    }
    return static_cast<int>(pContent - pStart);
}

// Recently converted OBJECT IDENTIFIERs of this thread, both ways: the same names come back in
// every request and response of a poll. Each direction is a direct-mapped table keyed by the
// whole text or the whole contents; an entry is stored only after a conversion succeeded, so a
// hit gives exactly what converting again would give.
struct OidCache
{
    static constexpr int kSize = 256;
    static constexpr std::size_t kMask = kSize - 1;
    static constexpr int kMaxText = 96;   // characters of a text that is kept
    static constexpr int kMaxBytes = 48;  // content bytes that are kept

    struct Entry
    {
        bool bValid = false;
        std::uint8_t nBytes = 0;
        std::uint8_t bytes[kMaxBytes];
        QString strText;
    };
    Entry encoded[kSize];  // by the hash of the text
    Entry decoded[kSize];  // by the hash of the contents

    // The names of a walk are new in every message but share all arcs except the last with the
    // names before them (the column, and the row's index but for its last arc). A second pair of
    // tables keeps those prefixes, so that only the last arc of a new name is converted.
    static constexpr int kPrefixSize = 128;
    static constexpr std::size_t kPrefixMask = kPrefixSize - 1;
    struct EncodedPrefix
    {
        bool bValid = false;
        std::uint8_t nBytes = 0;  // content bytes of the prefix
        std::uint8_t nArcs = 0;   // arcs of the prefix
        std::uint8_t nChars = 0;  // characters of the prefix text, the last dot not included
        std::uint8_t bytes[kMaxBytes];
        char16_t chars[kMaxText];
    };
    struct DecodedPrefix
    {
        bool bValid = false;
        std::uint8_t nBytes = 0;
        std::uint8_t nArcs = 0;
        std::uint8_t bytes[kMaxBytes];
        QString strText;  // without the last dot
    };
    EncodedPrefix encodedPrefix[kPrefixSize];  // by the hash of the prefix text
    DecodedPrefix decodedPrefix[kPrefixSize];  // by the hash of the prefix contents
};

// The thread's cache, made on first use and freed when the thread ends; null once the thread's
// objects are being destroyed (conversions then go uncached).
KX_FAST_TLS thread_local OidCache* t_pOidCache = nullptr;
KX_FAST_TLS thread_local bool t_bOidCacheClosed = false;

struct OidCacheOwner
{
    ~OidCacheOwner()
    {
        delete t_pOidCache;
        t_pOidCache = nullptr;
        t_bOidCacheClosed = true;
    }
};

OidCache* MakeOidCache()
{
    if (!t_bOidCacheClosed) {
        thread_local OidCacheOwner t_owner;
        t_pOidCache = new OidCache;
    }
    return t_pOidCache;
}

inline OidCache* TheOidCache()
{
    OidCache* pCache = t_pOidCache;
    return pCache ? pCache : MakeOidCache();
}

inline std::uint64_t Load64(const std::uint8_t* p)
{
    std::uint64_t qw;
    std::memcpy(&qw, p, 8);
    return qw;
}

// A quick hash of a short byte run for the cache tables: up to four 8-byte words at both ends
// and the middle. Runs that differ elsewhere only share a slot; the full comparison on lookup
// keeps results exact.
inline std::size_t HashBytes(const void* pData, std::size_t n)
{
    const auto* p = static_cast<const std::uint8_t*>(pData);
    std::uint64_t qw = n * 0x9E3779B97F4A7C15ull;
    if (n >= 16) {
        qw ^= Load64(p + n - 8) * 0xFF51AFD7ED558CCDull;
        qw ^= Load64(p + n - 16) * 0xC4CEB9FE1A85EC53ull;
        qw ^= Load64(p + (n - 8) / 2) * 0x94D049BB133111EBull;
        qw ^= Load64(p) * 0xBF58476D1CE4E5B9ull;
    } else if (n >= 8) {
        qw ^= Load64(p + n - 8) * 0xFF51AFD7ED558CCDull;
        qw ^= Load64(p) * 0xC4CEB9FE1A85EC53ull;
    } else {
        std::uint64_t qwTail = 0;
        for (std::size_t i = 0; i < n; ++i)
            qwTail = (qwTail << 8) | p[i];
        qw ^= qwTail * 0xFF51AFD7ED558CCDull;
    }
    qw ^= qw >> 32;
    qw *= 0xC4CEB9FE1A85EC53ull;
    qw ^= qw >> 29;
    return static_cast<std::size_t>(qw);
}

// Whether n bytes at pA and pB are equal; runs of up to 16 bytes without a call.
inline bool SameBytes(const std::uint8_t* pA, const std::uint8_t* pB, std::size_t n)
{
    if (n >= 8 && n <= 16)
        return Load64(pA) == Load64(pB) && Load64(pA + n - 8) == Load64(pB + n - 8);
    if (n < 8) {
        for (std::size_t i = 0; i < n; ++i)
            if (pA[i] != pB[i])
                return false;
        return true;
    }
    // Names of one table differ mostly at their end: that is looked at first.
    return Load64(pA + n - 8) == Load64(pB + n - 8) && std::memcmp(pA, pB, n - 8) == 0;
}

// Copies n bytes; runs of up to 32 bytes, the usual size of names and values, without a call.
inline void CopyBytes(std::uint8_t* pTo, const std::uint8_t* pFrom, std::size_t n)
{
    if (n >= 8 && n <= 16) {
        const std::uint64_t qwHead = Load64(pFrom), qwTail = Load64(pFrom + n - 8);
        std::memcpy(pTo, &qwHead, 8);
        std::memcpy(pTo + n - 8, &qwTail, 8);
    } else if (n > 16 && n <= 32) {
        std::uint64_t qw[4] = {Load64(pFrom), Load64(pFrom + 8), Load64(pFrom + n - 16), Load64(pFrom + n - 8)};
        std::memcpy(pTo, &qw[0], 16);
        std::memcpy(pTo + n - 16, &qw[2], 16);
    } else if (n < 8) {
        for (std::size_t i = 0; i < n; ++i)
            pTo[i] = pFrom[i];
    } else {
        std::memcpy(pTo, pFrom, n);
    }
}

// Number of sub-identifiers in n content bytes (bytes without bit 0x80 end one).
inline int SubIdCount(const std::uint8_t* p, int n)
{
    int nCount = 0;
    for (int i = 0; i < n; ++i)
        nCount += (p[i] & 0x80) == 0;
    return nCount;
}

// EncodeOid through the prefix table: a text whose last piece is plain digits after a prefix of
// at least two arcs takes the prefix's contents from the table and converts only the last arc.
// Each piece of a text converts on its own, so this gives exactly what EncodeOid gives.
int EncodeByPrefix(OidCache& cache, const QString& strOid, std::uint8_t* pContent)
{
    const char16_t* const pText = reinterpret_cast<const char16_t*>(strOid.constData());
    const int nText = static_cast<int>(strOid.size());
    int nDot = nText;
    while (nDot > 0 && pText[nDot - 1] >= u'0' && pText[nDot - 1] <= u'9')
        --nDot;
    const int nDigits = nText - nDot;
    --nDot;  // the last dot, if that is what ends the prefix
    OidCache::EncodedPrefix* pEntry = nullptr;
    if (nDigits >= 1 && nDot >= 1 && pText[nDot] == u'.' && nDot <= OidCache::kMaxText) {
        const std::size_t nBytes = sizeof(char16_t) * static_cast<std::size_t>(nDot);
        pEntry = &cache.encodedPrefix[HashBytes(pText, nBytes) & OidCache::kPrefixMask];
        if (pEntry->bValid && pEntry->nChars == nDot && pEntry->nArcs < KX_SNMP_MAX_ARCS &&
            SameBytes(reinterpret_cast<const std::uint8_t*>(pEntry->chars), reinterpret_cast<const std::uint8_t*>(pText),
                      nBytes)) {
            std::uint32_t dw = 0;
            for (int i = nDot + 1; i < nText; ++i)
                dw = dw * 10u + static_cast<std::uint32_t>(pText[i] - u'0');
            CopyBytes(pContent, pEntry->bytes, pEntry->nBytes);
            return static_cast<int>(PutSubId(pContent + pEntry->nBytes, dw) - pContent);
        }
    }
    const int nContent = EncodeOid(strOid, pContent);
    // The last piece is the last sub-identifier when the text has three arcs or more.
    const int nSubIds = SubIdCount(pContent, nContent);
    if (pEntry && nSubIds >= 2 && nContent > 0) {
        int nLast = nContent - 1;
        while (nLast > 0 && (pContent[nLast - 1] & 0x80))
            --nLast;
        if (nLast <= OidCache::kMaxBytes) {
            pEntry->bValid = true;
            pEntry->nBytes = static_cast<std::uint8_t>(nLast);
            pEntry->nArcs = static_cast<std::uint8_t>(nSubIds);  // the prefix: nSubIds - 1 sub-ids, nSubIds arcs
            pEntry->nChars = static_cast<std::uint8_t>(nDot);
            CopyBytes(pEntry->bytes, pContent, static_cast<std::size_t>(nLast));
            std::memcpy(pEntry->chars, pText, sizeof(char16_t) * static_cast<std::size_t>(nDot));
        }
    }
    return nContent;
}

// Writes the contents of the OBJECT IDENTIFIER of strOid to pContent (at least 320 bytes) and
// returns their length; code 13 for more than 64 arcs. The bytes are always copied out of the
// cache: converting the next text may replace the entry they came from.
int OidContent(const QString& strOid, std::uint8_t* pContent)
{
    OidCache::Entry* pEntry = nullptr;
    OidCache* pCache = strOid.size() <= OidCache::kMaxText ? TheOidCache() : nullptr;
    if (pCache) {
        const std::size_t nBytes = sizeof(QChar) * static_cast<std::size_t>(strOid.size());
        pEntry = &pCache->encoded[HashBytes(strOid.constData(), nBytes) & OidCache::kMask];
        if (pEntry->bValid && pEntry->strText.size() == strOid.size() &&
            (pEntry->strText.constData() == strOid.constData() ||
             SameBytes(reinterpret_cast<const std::uint8_t*>(pEntry->strText.constData()),
                       reinterpret_cast<const std::uint8_t*>(strOid.constData()), nBytes))) {
            CopyBytes(pContent, pEntry->bytes, pEntry->nBytes);
            return pEntry->nBytes;
        }
    }
    const int nContent = pCache ? EncodeByPrefix(*pCache, strOid, pContent) : EncodeOid(strOid, pContent);
    if (pEntry && nContent <= OidCache::kMaxBytes) {
        pEntry->bValid = true;
        pEntry->strText = strOid;
        pEntry->nBytes = static_cast<std::uint8_t>(nContent);
        CopyBytes(pEntry->bytes, pContent, static_cast<std::size_t>(nContent));
    }
    return nContent;
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

CBerBuffer::CBerBuffer(const std::uint8_t* pbyData, int nLength)
{
    m_nTotal = std::clamp(nLength, 0, KX_SNMP_PACKET_SIZE);
    if (pbyData && m_nTotal > 0)
        std::memcpy(m_data, pbyData, static_cast<std::size_t>(m_nTotal));
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

QString CBerBuffer::ReadCommunity()
{
    SkipTag();
    const int n = ReadLength();
    const QString str = QString::fromLatin1(reinterpret_cast<const char*>(m_data + m_nPos), n);
    m_nPos += n;
    return str;
}

QString CBerBuffer::ReadOid()
{
    if (PeekTag() != KX_ASN_OBJECT_ID)
        Raise(KX_E_VARBIND);
    ++m_nPos;
    const int nLength = ReadLength();
    const int nEnd = m_nPos + nLength;

    OidCache::Entry* pEntry = nullptr;
    OidCache* pCache = nLength <= OidCache::kMaxBytes ? TheOidCache() : nullptr;
    if (pCache) {
        const std::uint8_t* pContent = m_data + m_nPos;
        pEntry = &pCache->decoded[HashBytes(pContent, static_cast<std::size_t>(nLength)) & OidCache::kMask];
        if (pEntry->bValid && pEntry->nBytes == nLength &&
            SameBytes(pEntry->bytes, pContent, static_cast<std::size_t>(nLength))) {
            m_nPos = nEnd;
            return pEntry->strText;
        }
    }
    const int nStart = m_nPos;

    // A new name whose prefix (all but the last sub-identifier) was seen: the prefix's text from
    // the prefix table and the last arc converted.
    OidCache::DecodedPrefix* pPrefix = nullptr;
    int nLast = 0;  // where the last sub-identifier starts
    if (pCache && nLength >= 2 && !(m_data[nEnd - 1] & 0x80)) {
        nLast = nLength - 1;
        while (nLast > 0 && (m_data[nStart + nLast - 1] & 0x80))
            --nLast;
        if (nLast > 0) {
            const std::uint8_t* pContent = m_data + nStart;
            pPrefix = &pCache->decodedPrefix[HashBytes(pContent, static_cast<std::size_t>(nLast)) & OidCache::kPrefixMask];
            if (pPrefix->bValid && pPrefix->nBytes == nLast && pPrefix->nArcs < KX_SNMP_MAX_ARCS &&
                SameBytes(pPrefix->bytes, pContent, static_cast<std::size_t>(nLast))) {
                std::uint32_t dw = 0;
                for (int i = nStart + nLast; i < nEnd; ++i)
                    dw = (dw << 7) | (m_data[i] & 0x7Fu);
                const int nPrefixText = static_cast<int>(pPrefix->strText.size());
                QString strText(nPrefixText + 1 + DecimalDigits(dw), Qt::Uninitialized);
                char16_t* pText = reinterpret_cast<char16_t*>(strText.data());
                std::memcpy(pText, pPrefix->strText.constData(), sizeof(char16_t) * static_cast<std::size_t>(nPrefixText));
                pText[nPrefixText] = u'.';
                PutDecimal(pText + strText.size(), dw);
                m_nPos = nEnd;
                if (pEntry) {
                    pEntry->bValid = true;
                    pEntry->nBytes = static_cast<std::uint8_t>(nLength);
                    CopyBytes(pEntry->bytes, m_data + nStart, static_cast<std::size_t>(nLength));
                    pEntry->strText = strText;
                }
                return strText;
            }
        }
    }

    // The arcs first, then the text in one piece of exactly the right size.
    std::uint32_t arcs[KX_SNMP_MAX_ARCS];
    int nArcs = 0;
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
        if (nArcs == 0) {
            arcs[0] = dw / 40;
            arcs[1] = dw % 40;
            nArcs = 2;
        } else {
            if (nArcs == KX_SNMP_MAX_ARCS)
                Raise(KX_E_OID_TOO_LONG);
            arcs[nArcs++] = dw;
        }
    }
    QString strText = nArcs == 0 ? QString::fromLatin1("", 0) : OidText(arcs, nArcs);  // empty is not null
    if (pPrefix && nArcs >= 3) {
        pPrefix->bValid = true;
        pPrefix->nBytes = static_cast<std::uint8_t>(nLast);
        pPrefix->nArcs = static_cast<std::uint8_t>(nArcs - 1);
        CopyBytes(pPrefix->bytes, m_data + nStart, static_cast<std::size_t>(nLast));
        pPrefix->strText = strText.left(strText.size() - 1 - DecimalDigits(arcs[nArcs - 1]));
    }
    if (pEntry) {
        pEntry->bValid = true;
        pEntry->nBytes = static_cast<std::uint8_t>(nLength);
        std::memcpy(pEntry->bytes, m_data + nStart, static_cast<std::size_t>(nLength));
        pEntry->strText = strText;
    }
    return strText;
}

QString CBerBuffer::OidText(const std::uint32_t* arcs, int nArcs)
{

    int nText = nArcs - 1;  // the dots
    for (int i = 0; i < nArcs; ++i)
        nText += DecimalDigits(arcs[i]);
    QString strText(nText, Qt::Uninitialized);
    char16_t* pText = reinterpret_cast<char16_t*>(strText.data());
    for (int i = 0; i < nArcs; ++i) {
        if (i > 0)
            *pText++ = u'.';
        const std::uint32_t dw = arcs[i];
        if (dw < 10) {
            *pText++ = static_cast<char16_t>(u'0' + dw);
        } else {
            pText += DecimalDigits(dw);
            PutDecimal(pText, dw);
        }
    }
    return strText;
}

// ---- CSnmpMsg codec ----

namespace {
// Bytes of a tag and a definite length below 65536.
inline int HeaderSize(int nLength)
{
    return nLength < 0x80 ? 2 : nLength <= 0xFF ? 3 : 4;
}

inline std::uint8_t* PutHeader(std::uint8_t* p, std::uint8_t byTag, int nLength)
{
    *p++ = byTag;
    if (nLength < 0x80) {
        *p++ = static_cast<std::uint8_t>(nLength);
    } else if (nLength <= 0xFF) {
        *p++ = 0x81;
        *p++ = static_cast<std::uint8_t>(nLength);
    } else {
        *p++ = 0x82;
        *p++ = static_cast<std::uint8_t>(nLength >> 8);
        *p++ = static_cast<std::uint8_t>(nLength);
    }
    return p;
}

// Content bytes of the minimal two's-complement form of a 32-bit value.
inline int IntegerSize(std::uint32_t dwValue)
{
    int n = 4;
    while (n > 1) {
        const std::uint32_t dwTop9 = (dwValue >> (8 * n - 9)) & 0x1FF;
        if (dwTop9 != 0 && dwTop9 != 0x1FF)
            break;
        --n;
    }
    return n;
}

inline std::uint8_t* PutInteger(std::uint8_t* p, std::uint32_t dwValue, std::uint8_t byTag)
{
    const int n = IntegerSize(dwValue);
    *p++ = byTag;
    *p++ = static_cast<std::uint8_t>(n);
    for (int i = n - 1; i >= 0; --i)
        *p++ = static_cast<std::uint8_t>(dwValue >> (8 * i));
    return p;
}

// Appends a binding named strName (taken over) to the PDU's list, which grows in blocks of 10
// like CSnmpPdu::AddOid's.
CSnmpVarBind* AppendBinding(CSnmpPdu& pdu, QString& strName)
{
    auto& list = pdu.m_varBindList;
    if (list.size() == list.capacity())
        list.reserve(list.size() + 10);
    list.push_back(std::make_unique<CSnmpVarBind>());
    CSnmpVarBind* p = list.back().get();
    p->m_strOid.swap(strName);
    return p;
}
}  // namespace

void CSnmpMsg::SnmpBuildVarOp(CSnmpVarBind* pVarBind, std::uint8_t* pbyOut, std::uint16_t& wPos)
{
    // The sizes of name and value first; the binding is then written straight into pbyOut when it
    // fits in what is left of the 512 bytes.
    std::uint8_t name[KX_SNMP_MAX_ARCS * 5];
    const int nName = OidContent(pVarBind->m_strOid, name);

    const std::uint8_t byType = pVarBind->m_byType;
    std::uint8_t valueScratch[KX_SNMP_MAX_ARCS * 5];
    const std::uint8_t* pValue = valueScratch;
    int nValue = 0;
    if (IsIntegerType(byType)) {
        // An 8-byte value is sent from its low 32 bits; a binding without a value sends 0.
        // INTEGER in the minimal two's-complement form. Counter, Gauge and TimeTicks are unsigned:
        // a value with the top bit set gets a leading zero byte, so that receivers do not read it
        // as negative (0xFFFFFFFF is not 0xFF).
        const std::uint32_t dw = pVarBind->GetUInt32();
        if (byType != KX_ASN_INTEGER && (dw & 0x80000000u)) {
            valueScratch[0] = 0;
            nValue = 5;
        } else {
            nValue = IntegerSize(dw);
        }
        for (int i = 0; i < nValue && i < 4; ++i)
            valueScratch[nValue - 1 - i] = static_cast<std::uint8_t>(dw >> (8 * i));
    } else if (IsBlockType(byType)) {
        const bool bBlock = pVarBind->m_kind == CSnmpVarBind::Kind::Block;
        nValue = bBlock ? std::min<int>(pVarBind->m_wLength, pVarBind->m_nBlockSize) : 0;
        pValue = static_cast<const std::uint8_t*>(pVarBind->m_pValue);
    } else if (byType == KX_ASN_NULL) {
        nValue = 0;
    } else if (byType == KX_ASN_OBJECT_ID) {
        const QString strEmpty;
        const QString& strValue = pVarBind->m_kind == CSnmpVarBind::Kind::Text
                                      ? *static_cast<const QString*>(pVarBind->m_pValue)
                                      : strEmpty;
        nValue = OidContent(strValue, valueScratch);
    } else {
        return;  // a type that is not sent (such as the MAC address type) is left out
    }

    const int nContent = HeaderSize(nName) + nName + HeaderSize(nValue) + nValue;
    const int nTotal = HeaderSize(nContent) + nContent;
    if (nTotal > KX_SNMP_PACKET_SIZE - wPos)
        Raise(KX_E_ENCODE_OVERFLOW);
    std::uint8_t* p = PutHeader(pbyOut + wPos, KX_ASN_SEQUENCE, nContent);
    p = PutHeader(p, KX_ASN_OBJECT_ID, nName);
    CopyBytes(p, name, static_cast<std::size_t>(nName));
    p = PutHeader(p + nName, byType, nValue);
    if (nValue > 0)
        CopyBytes(p, pValue, static_cast<std::size_t>(nValue));
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

    // The size of every part first, so that nothing is written unless the whole message fits.
    const std::uint32_t dwRequestId = m_pPdu->m_dwRequestId;
    const std::uint32_t dwErrorStatus = m_pPdu->m_dwErrorStatus;
    const std::uint32_t dwErrorIndex = m_pPdu->m_dwErrorIndex;
    const int nPdu = 2 + IntegerSize(dwRequestId) + 2 + IntegerSize(dwErrorStatus) + 2 + IntegerSize(dwErrorIndex) +
                     HeaderSize(wBindings) + wBindings;
    if (nPdu > KX_SNMP_PACKET_SIZE)
        Raise(KX_E_ENCODE_OVERFLOW);
    const qsizetype nCommunity = m_strCommunity.size();
    if (nCommunity > KX_SNMP_PACKET_SIZE)
        Raise(KX_E_ENCODE_OVERFLOW);
    const int nBody = 3 + HeaderSize(static_cast<int>(nCommunity)) + static_cast<int>(nCommunity) + HeaderSize(nPdu) + nPdu;
    if (nBody > KX_SNMP_PACKET_SIZE)
        Raise(KX_E_ENCODE_OVERFLOW);
    const int nTotal = HeaderSize(nBody) + nBody;
    if (nTotal > KX_SNMP_PACKET_SIZE)
        Raise(KX_E_ENCODE_OVERFLOW);

    // Wire order: message header, version, community, PDU header, request-id, error-status,
    // error-index, bindings header, bindings.
    std::uint8_t* p = PutHeader(m_byPacket, KX_ASN_SEQUENCE, nBody);
    p = PutInteger(p, 0, KX_ASN_INTEGER);
    p = PutHeader(p, KX_ASN_OCTET_STRING, static_cast<int>(nCommunity));
    // Latin-1, one byte per character; characters outside it become '?'.
    const QChar* pChar = m_strCommunity.constData();
    for (qsizetype i = 0; i < nCommunity; ++i) {
        const char16_t ch = pChar[i].unicode();
        *p++ = ch > 0xFF ? std::uint8_t('?') : static_cast<std::uint8_t>(ch);
    }
    p = PutHeader(p, static_cast<std::uint8_t>(m_wPduType & 0xFF), nPdu);
    p = PutInteger(p, dwRequestId, KX_ASN_INTEGER);
    p = PutInteger(p, dwErrorStatus, KX_ASN_INTEGER);
    p = PutInteger(p, dwErrorIndex, KX_ASN_INTEGER);
    p = PutHeader(p, KX_ASN_SEQUENCE, wBindings);
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

    CSnmpPdu& pdu = *m_pPdu;
    while (in.m_nPos < in.m_nTotal) {
        if (in.ReadHeader(nLength) != KX_ASN_SEQUENCE)
            Raise(KX_E_VARBIND);
        QString strName = in.ReadOid();
        // The value's tag and length are checked before its type: a bad header of a value of any
        // type raises 5, 6, 7 or 15.
        const int nValueStart = in.m_nPos;
        int n = 0;
        const std::uint8_t byTag = in.ReadHeader(n);
        const std::uint8_t* pContent = in.m_data + in.m_nPos;
        if (IsIntegerType(byTag)) {
            if (n > 8)
                Raise(KX_E_VALUE_TOO_LONG);
            std::uint64_t qw = (n > 0 && (pContent[0] & 0x80)) ? ~std::uint64_t(0) : 0u;
            for (int i = 0; i < n; ++i)
                qw = (qw << 8) | pContent[i];
            in.m_nPos += n;
            CSnmpVarBind* pVarBind = AppendBinding(pdu, strName);
            if (n <= 4)
                pVarBind->SetValue(static_cast<std::uint32_t>(qw), byTag);
            else
                pVarBind->SetValue(static_cast<std::int64_t>(qw), byTag);
        } else if (IsBlockType(byTag)) {
            in.m_nPos += n;
            AppendBinding(pdu, strName)->SetValue(pContent, n, byTag);
        } else if (byTag == KX_ASN_NULL) {
            if (n != 0)
                Raise(KX_E_MALFORMED_NULL);
            AppendBinding(pdu, strName);
        } else if (byTag == KX_ASN_OBJECT_ID) {
            in.m_nPos = nValueStart;
            QString strValue = in.ReadOid();
            AppendBinding(pdu, strName)->SetValue(strValue, KX_ASN_OBJECT_ID);
        } else {
            Raise(KX_E_UNEXPECTED_TYPE);
        }
    }
}
