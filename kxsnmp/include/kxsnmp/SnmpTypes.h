// Type codes of values and PDUs, and the library's fixed limits.
#pragma once

#include <cstdint>

// ASN.1 value types; the code is the value's BER tag.
constexpr std::uint8_t KX_ASN_INTEGER = 0x02;
constexpr std::uint8_t KX_ASN_OCTET_STRING = 0x04;
constexpr std::uint8_t KX_ASN_NULL = 0x05;
constexpr std::uint8_t KX_ASN_OBJECT_ID = 0x06;
constexpr std::uint8_t KX_ASN_SEQUENCE = 0x30;
constexpr std::uint8_t KX_ASN_IPADDRESS = 0x40;
constexpr std::uint8_t KX_ASN_COUNTER = 0x41;
constexpr std::uint8_t KX_ASN_GAUGE = 0x42;
constexpr std::uint8_t KX_ASN_TIMETICKS = 0x43;
constexpr std::uint8_t KX_ASN_OPAQUE = 0x44;
// Library-only type of OID descriptors for MAC addresses; never sent on the wire.
constexpr std::uint8_t KX_ASN_MACADDRESS = 0x4F;

// SNMPv1 PDU types.
constexpr std::uint16_t KX_PDU_GET = 0xA0;
constexpr std::uint16_t KX_PDU_GETNEXT = 0xA1;
constexpr std::uint16_t KX_PDU_RESPONSE = 0xA2;
constexpr std::uint16_t KX_PDU_SET = 0xA3;
constexpr std::uint16_t KX_PDU_TRAP = 0xA4;

// Every packet and every encoding buffer holds at most this many bytes.
constexpr int KX_SNMP_PACKET_SIZE = 512;
// An OBJECT IDENTIFIER has at most this many arcs.
constexpr int KX_SNMP_MAX_ARCS = 64;
// Length of the fixed text fields of an OID table record.
constexpr int KX_OID_TEXT_SIZE = 128;
