// The library's error type: a 16-bit code and its text. Thrown and caught by value.
#pragma once

#include <kxsnmp/KxObject.h>

#include <QString>

#include <cstdint>

// Error codes. The text of each is SnmpErrorText(code).
constexpr std::uint16_t KX_SNMP_ERROR = 0;            // success in a notification
constexpr std::uint16_t KX_E_AUTH_PARSE = 1;          // message is not a SEQUENCE
constexpr std::uint16_t KX_E_VERSION = 2;             // version is not 0
constexpr std::uint16_t KX_E_PDU_TYPE = 3;            // binding list is not a SEQUENCE
constexpr std::uint16_t KX_E_VARBIND = 4;             // binding not a SEQUENCE or name not an OID
constexpr std::uint16_t KX_E_BAD_TAG = 5;             // high-tag-number form
constexpr std::uint16_t KX_E_INDEFINITE_LENGTH = 6;   // length octet 0x80
constexpr std::uint16_t KX_E_LENGTH_TOO_LONG = 7;     // more than 4 length octets
constexpr std::uint16_t KX_E_MALFORMED_NULL = 8;      // NULL with content
constexpr std::uint16_t KX_E_UNEXPECTED_TYPE = 9;     // binding value of an unknown type
constexpr std::uint16_t KX_E_VALUE_TOO_LONG = 12;     // integer wider than its target
constexpr std::uint16_t KX_E_OID_TOO_LONG = 13;       // more than 64 arcs
constexpr std::uint16_t KX_E_ENCODE_OVERFLOW = 14;    // encoded message over 512 bytes
constexpr std::uint16_t KX_E_PACKET_OVERRUN = 15;     // a length runs past the received packet
constexpr std::uint16_t KX_E_TIMEOUT = 16;            // no response within the time-out
constexpr std::uint16_t KX_E_SOCKET = 255;            // sending a datagram failed

// The library's text for an error code ("Snmp error", "Snmp timeout.", ...); empty for a code
// without text (10, 11 and every code not listed above). The text of 255 still holds its
// "%04x" placeholder; FormatSocketErrorText fills it.
KXSNMP_EXPORT QString SnmpErrorText(std::uint16_t wCode);
// The text of code 255 formatted with a socket error number: "Socket error, error code= 0x000a".
KXSNMP_EXPORT QString FormatSocketErrorText(int nSocketError);

// An error raised inside the library, carrying a code and its text.
class KXSNMP_EXPORT CSnmpException : public kxsnmp::CObject
{
public:
    // Empty text; the code is set before the object is used.
    CSnmpException();
    // The text is the library's text for the code.
    explicit CSnmpException(std::uint16_t wCode);
    CSnmpException(std::uint16_t wCode, const QString& strMessage);
    CSnmpException(const CSnmpException& other);
    CSnmpException& operator=(CSnmpException other);
    ~CSnmpException() override;

    std::uint16_t m_wCode = 0;
    QString m_strMessage;
};
