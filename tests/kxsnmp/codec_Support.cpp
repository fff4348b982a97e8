#include "codec_Support.h"

#include <algorithm>
#include <cstring>

namespace codectest {

QByteArray Hex(const char* text)
{
    QByteArray compact(text);
    compact.replace(' ', "");
    return QByteArray::fromHex(compact);
}

std::string ToHex(const QByteArray& bytes)
{
    return bytes.toHex(' ').toUpper().toStdString();
}

QByteArray Tlv(std::uint8_t tag, const QByteArray& content)
{
    QByteArray out(1, static_cast<char>(tag));
    const auto n = content.size();
    if (n < 0x80) {
        out.append(static_cast<char>(n));
    } else if (n <= 0xFF) {
        out.append('\x81').append(static_cast<char>(n));
    } else {
        out.append('\x82').append(static_cast<char>(n >> 8)).append(static_cast<char>(n & 0xFF));
    }
    return out + content;
}

QByteArray Response(const QByteArray& bindings, std::uint8_t pduTag)
{
    const QByteArray pdu = Hex("02 01 01 02 01 00 02 01 00") + Tlv(0x30, bindings);
    return Tlv(0x30, Hex("02 01 00") + Tlv(0x04, "public") + Tlv(pduTag, pdu));
}

QByteArray Binding(const QByteArray& value, const QByteArray& name)
{
    return Tlv(0x30, name + value);
}

Decoded Decode(const QByteArray& packet, int packetLength)
{
    Decoded d;
    d.msg = std::make_unique<CSnmpMsg>(nullptr, QString(), QString(), 0);
    const auto n = std::min<qsizetype>(packet.size(), KX_SNMP_PACKET_SIZE);
    std::memcpy(d.msg->m_byPacket, packet.constData(), static_cast<std::size_t>(n));
    d.msg->m_nPacketLength = packetLength != kPacketSize ? packetLength : static_cast<int>(n);
    try {
        d.msg->SnmpDecode();
    } catch (const CSnmpException& e) {
        d.code = e.m_wCode;
        d.text = e.m_strMessage;
    }
    return d;
}

}  // namespace codectest
