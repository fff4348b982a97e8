// Cursor over a copy of a received packet (at most 512 bytes), used by the message codec to read
// BER elements. Every read is bounded by the valid bytes; failures throw CSnmpException.
#pragma once

#include <kxsnmp/SnmpException.h>
#include <kxsnmp/SnmpTypes.h>

#include <QString>

#include <cstdint>

class CBerBuffer
{
public:
    // A copy of nLength bytes of pbyData for decoding (nLength is clamped to 0..512); nothing at
    // or after m_nTotal is ever read.
    CBerBuffer(const std::uint8_t* pbyData, int nLength);

    std::uint8_t m_data[KX_SNMP_PACKET_SIZE];
    std::int32_t m_nPos = 0;
    std::int32_t m_nTotal = 0;

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
