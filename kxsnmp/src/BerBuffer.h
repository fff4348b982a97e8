// Cursor over a fixed 512-byte buffer, used by the message codec to write and read BER elements.
// Every write and read is bounded by the buffer; failures throw CSnmpException.
#pragma once

#include <kxsnmp/SnmpException.h>
#include <kxsnmp/SnmpTypes.h>

#include <QString>

#include <cstdint>

// The library's per-thread state (reuse lists, OID cache) is a few pointers: it is reached with
// the initial-exec model, one load instead of a call per access.
#if defined(__GNUC__) || defined(__clang__)
#define KX_FAST_TLS __attribute__((tls_model("initial-exec")))
#else
#define KX_FAST_TLS
#endif

class CBerBuffer
{
public:
    // An empty buffer for encoding. Bytes at and after m_nPos are never read, so the buffer is
    // not cleared first (it is built several times per binding).
    CBerBuffer();
    // A copy of nLength bytes of pbyData for decoding (nLength is clamped to 0..512); nothing at
    // or after m_nTotal is ever read.
    CBerBuffer(const std::uint8_t* pbyData, int nLength);

    std::uint8_t m_data[KX_SNMP_PACKET_SIZE];
    std::int32_t m_nPos = 0;
    std::int32_t m_nTotal = 0;

    // ---- encoding (code 14 when the buffer is full, 13 for an OID of too many arcs) ----
    void PutByte(std::uint8_t by);
    void PutBytes(const std::uint8_t* pby, int n);
    // Tag, then the length in definite form (1, 2 or 3 bytes).
    void WriteHeader(std::uint8_t byTag, int nLength);
    // Minimal two's-complement form of a 32-bit value.
    void WriteInteger(std::uint32_t dwValue, std::uint8_t byTag);
    // Unsigned form of a 32-bit value: as WriteInteger below 2^31, else 00 and the 4 bytes.
    void WriteUnsigned(std::uint32_t dwValue, std::uint8_t byTag);
    void WriteByteString(std::uint8_t byTag, const std::uint8_t* pby, int n);
    void WriteNull();
    void WriteOid(const QString& strOid);

    // ---- decoding ----
    // Tag and length of the element at the cursor, advancing past both (codes 5, 6, 7, 15).
    std::uint8_t ReadHeader(int& nLength);
    // The tag byte at the cursor (code 15 when there is none).
    std::uint8_t PeekTag() const;
    // Value readers: skip the tag byte unchecked, then read the length and the content.
    std::uint32_t ReadInt32();
    QString ReadCommunity();
    // The dotted text of an OBJECT IDENTIFIER; code 4 when the tag is not 0x06.
    QString ReadOid();

    int Left() const { return m_nTotal - m_nPos; }

private:
    int ReadLength();  // the length field at the cursor, advancing past it
    // The dotted text of nArcs (at least one) arcs.
    static QString OidText(const std::uint32_t* arcs, int nArcs);
    void SkipTag();
};
