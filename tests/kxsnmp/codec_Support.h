// Small helpers of the codec tests: hex text, a BER builder independent of the library's encoder,
// and decoding a packet into a fresh message.
#pragma once

#include <kxsnmp/SnmpMsg.h>

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <string>

namespace codectest {

// "30 26 02" -> bytes; spaces are ignored.
QByteArray Hex(const char* text);
// Bytes -> "30 26 02" (upper case, single spaces).
std::string ToHex(const QByteArray& bytes);

// One BER element with a definite length in the shortest form.
QByteArray Tlv(std::uint8_t tag, const QByteArray& content);
// A GetResponse "public", request id 1, whose binding list holds the given encoded bindings.
QByteArray Response(const QByteArray& bindings, std::uint8_t pduTag = 0xA2);
// One binding named 1.3 with an already encoded value.
QByteArray Binding(const QByteArray& value, const QByteArray& name = Hex("06 01 2B"));

struct Decoded {
    std::unique_ptr<CSnmpMsg> msg;
    int code = 0;  // 0 when the decode succeeded, else the exception's code
    QString text;  // the exception's text
};
// Decodes packet into a new message (at most 512 bytes are copied into the packet buffer); the
// packet length is the packet's size unless another is given.
constexpr int kPacketSize = -0x7FFFFFFF;
Decoded Decode(const QByteArray& packet, int packetLength = kPacketSize);

// Makes the protected binding encoder reachable.
struct OpenMsg : CSnmpMsg {
    using CSnmpMsg::CSnmpMsg;
    using CSnmpMsg::SnmpBuildVarOp;
};

}  // namespace codectest
