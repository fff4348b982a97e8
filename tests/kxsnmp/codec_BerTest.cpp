// Encoding and decoding of SNMPv1 messages: the wire forms of integers, lengths, arcs and OIDs,
// whole messages, and every error the codec raises.
#include "codec_Support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace codectest;

namespace {

// The encoded value of a single binding named 1.3 (the part after the binding header and name).
QByteArray EncodedValue(const std::function<void(CSnmpPdu&)>& add)
{
    OpenMsg msg(nullptr, "127.0.0.1", "public", KX_PDU_SET);
    add(*msg.m_pPdu);
    std::uint8_t out[KX_SNMP_PACKET_SIZE] = {};
    std::uint16_t pos = 0;
    msg.SnmpBuildVarOp(msg.m_pPdu->m_varBindList.front().get(), out, pos);
    const int header = out[1] < 0x80 ? 2 : 2 + (out[1] & 0x7F);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(out + header), 3), Hex("06 01 2B"));
    return QByteArray(reinterpret_cast<const char*>(out + header + 3), pos - header - 3);
}

// Encodes a fresh message and returns the packet, or the error code.
struct Encoded {
    QByteArray packet;
    int code = 0;
};
Encoded Encode(CSnmpMsg& msg)
{
    Encoded e;
    try {
        msg.SnmpEncode();
    } catch (const CSnmpException& ex) {
        e.code = ex.m_wCode;
    }
    e.packet = msg.Packet();
    return e;
}

}  // namespace

TEST(BerEncode, GetRequestMatchesTheReferencePacket)
{
    CSnmpMsg::m_sdwReqid = 0;
    CSnmpMsg msg(nullptr, "127.0.0.1", "public", KX_PDU_GET);
    msg.m_pPdu->AddOid("1.3.6.1.2.1.1.5.0");
    msg.SnmpEncode();
    EXPECT_EQ(msg.m_pPdu->m_dwRequestId, 1u);
    EXPECT_EQ(msg.m_nPacketLength, 40);
    EXPECT_EQ(ToHex(msg.Packet()), "30 26 02 01 00 04 06 70 75 62 6C 69 63 A0 19 02 01 01 02 01 00 02 01 00 "
                                   "30 0E 30 0C 06 08 2B 06 01 02 01 01 05 00 05 00");
}

TEST(BerEncode, RequestIdsCountUpAndWrap)
{
    CSnmpMsg::m_sdwReqid = 0xFFFFFFFEu;
    CSnmpMsg a(nullptr, "", "c", KX_PDU_GET), b(nullptr, "", "c", KX_PDU_GET), c(nullptr, "", "c", KX_PDU_GET);
    a.SnmpEncode();
    b.SnmpEncode();
    c.SnmpEncode();
    EXPECT_EQ(a.m_pPdu->m_dwRequestId, 0xFFFFFFFFu);
    EXPECT_EQ(b.m_pPdu->m_dwRequestId, 0u);
    EXPECT_EQ(c.m_pPdu->m_dwRequestId, 1u);
    // All 32-bit values share the one minimal rule: all bits set is the single byte FF.
    EXPECT_TRUE(a.Packet().contains(Hex("A0 0B 02 01 FF")));
}

TEST(BerEncode, IntegersUseTheMinimalTwosComplementFormOfTheirLow32Bits)
{
    struct Case {
        std::uint8_t type;
        std::int64_t value;
        bool wide;
        const char* hex;
    } cases[] = {
        {KX_ASN_INTEGER, 0, false, "02 01 00"},
        {KX_ASN_INTEGER, 127, false, "02 01 7F"},
        {KX_ASN_INTEGER, 128, false, "02 02 00 80"},
        {KX_ASN_INTEGER, -1, false, "02 01 FF"},
        {KX_ASN_INTEGER, -128, false, "02 01 80"},
        {KX_ASN_INTEGER, -129, false, "02 02 FF 7F"},
        {KX_ASN_INTEGER, 2147483648LL, false, "02 04 80 00 00 00"},
        {KX_ASN_INTEGER, 0x7FFFFFFF, false, "02 04 7F FF FF FF"},
        // Counter, Gauge and TimeTicks are unsigned: the top bit set takes a leading zero byte.
        {KX_ASN_COUNTER, 4294967295LL, false, "41 05 00 FF FF FF FF"},
        {KX_ASN_GAUGE, 0x80000000LL, false, "42 05 00 80 00 00 00"},
        {KX_ASN_TIMETICKS, 0xFFFFFF00LL, false, "43 05 00 FF FF FF 00"},
        {KX_ASN_GAUGE, 0x7FFFFFFF, false, "42 04 7F FF FF FF"},
        {KX_ASN_GAUGE, 255, false, "42 02 00 FF"},
        {KX_ASN_TIMETICKS, 65536, false, "43 03 01 00 00"},
        {KX_ASN_COUNTER, 0x100000005LL, true, "41 01 05"},
        {KX_ASN_COUNTER, 2147483648LL, true, "41 05 00 80 00 00 00"},
    };
    for (const Case& c : cases) {
        const QByteArray value = EncodedValue([&](CSnmpPdu& pdu) {
            if (c.wide)
                pdu.AddOid("1.3", c.value, c.type);
            else
                pdu.AddOid("1.3", static_cast<std::uint32_t>(c.value), c.type);
        });
        EXPECT_EQ(ToHex(value), c.hex) << "value " << c.value << " type " << int(c.type);
    }
}

TEST(BerEncode, LengthsUseTheShortOr0x81Or0x82Form)
{
    struct Case {
        int length;
        const char* header;
    } cases[] = {{0, "04 00"}, {127, "04 7F"}, {128, "04 81 80"}, {200, "04 81 C8"}, {255, "04 81 FF"},
                 {256, "04 82 01 00"}, {300, "04 82 01 2C"}};
    for (const Case& c : cases) {
        const QByteArray bytes(c.length, 'x');
        const QByteArray value = EncodedValue([&](CSnmpPdu& pdu) {
            pdu.AddOid("1.3", reinterpret_cast<const std::uint8_t*>(bytes.constData()), c.length, KX_ASN_OCTET_STRING);
        });
        const QByteArray header = Hex(c.header);
        EXPECT_EQ(ToHex(value.left(header.size())), c.header) << c.length;
        EXPECT_EQ(value.mid(header.size()), bytes) << c.length;
    }
    // The binding's own SEQUENCE header takes the long form as well.
    OpenMsg msg(nullptr, "", "public", KX_PDU_SET);
    const QByteArray big(300, 'y');
    msg.m_pPdu->AddOid("1.3", reinterpret_cast<const std::uint8_t*>(big.constData()), 300, KX_ASN_OCTET_STRING);
    std::uint8_t out[KX_SNMP_PACKET_SIZE];
    std::uint16_t pos = 0;
    msg.SnmpBuildVarOp(msg.m_pPdu->m_varBindList[0].get(), out, pos);
    EXPECT_EQ(ToHex(QByteArray(reinterpret_cast<const char*>(out), 4)), "30 82 01 33");
    EXPECT_EQ(pos, 4 + 3 + 4 + 300);
}

TEST(BerEncode, ObjectIdentifiersUseBase128SubIdentifiersOverThe32BitRange)
{
    struct Case {
        const char* text;
        const char* hex;
    } cases[] = {
        {"1.3.128", "06 03 2B 81 00"},
        {"1.3.16383", "06 03 2B FF 7F"},
        {"1.3.16384", "06 04 2B 81 80 00"},
        {"1.3.4294967295", "06 06 2B 8F FF FF FF 7F"},
        {"1.3.0", "06 02 2B 00"},
        {"1.3.6.1.", "06 04 2B 06 01 00"},  // a trailing dot is the arc 0
        {"2.8", "06 01 58"},
        {"2.100", "06 02 81 34"},           // first sub-identifier 180
        {"1", "06 00"},                     // a single arc has no contents
        {"", "06 00"},
        {"1.3.x7", "06 02 2B 00"},          // a piece without leading digits is 0
        {"1.3.12abc", "06 02 2B 0C"},       // digits are read up to the first other character
    };
    for (const Case& c : cases) {
        const QByteArray value = EncodedValue([&](CSnmpPdu& pdu) { pdu.AddOid("1.3", QString(c.text), KX_ASN_OBJECT_ID); });
        EXPECT_EQ(ToHex(value), c.hex) << c.text;
    }
}

TEST(BerEncode, ValuesOfEveryOtherType)
{
    const std::uint8_t ip[] = {10, 0, 0, 1};
    const std::uint8_t opaque[] = {0x9F, 0x78, 0x04};
    struct Case {
        const char* name;
        std::function<void(CSnmpPdu&)> add;
        const char* hex;
    } cases[] = {
        {"null", [](CSnmpPdu& p) { p.AddOid("1.3"); }, "05 00"},
        {"ip", [&](CSnmpPdu& p) { p.AddOid("1.3", ip, 4, KX_ASN_IPADDRESS); }, "40 04 0A 00 00 01"},
        {"opaque", [&](CSnmpPdu& p) { p.AddOid("1.3", opaque, 3, KX_ASN_OPAQUE); }, "44 03 9F 78 04"},
        {"text", [](CSnmpPdu& p) { p.AddOid("1.3", QString("ab"), KX_ASN_OCTET_STRING); }, "04 02 61 62"},
        {"utf8 text", [](CSnmpPdu& p) { p.AddOid("1.3", QString::fromUtf8("\xC3\xA9"), KX_ASN_OCTET_STRING); },
         "04 02 C3 A9"},
        // A text given for a type that takes no text leaves the binding without a value: sent empty.
        {"ip from text", [](CSnmpPdu& p) { p.AddOid("1.3", QString("10.0.0.1"), KX_ASN_IPADDRESS); }, "40 00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToHex(EncodedValue(c.add)), c.hex) << c.name;
}

TEST(BerEncode, BindingsOfTypesNotSentAreLeftOut)
{
    OpenMsg msg(nullptr, "", "public", KX_PDU_SET);
    msg.m_pPdu->AddOid("1.3.6.1.2.1.17.4.3.1.1", QString("00:11:22:33:44:55"), KX_ASN_MACADDRESS);
    msg.m_pPdu->AddOid("1.3.6", std::uint32_t(5), 0x46);
    std::uint8_t out[KX_SNMP_PACKET_SIZE] = {};
    std::uint16_t pos = 7;
    for (const auto& vb : msg.m_pPdu->m_varBindList)
        msg.SnmpBuildVarOp(vb.get(), out, pos);
    EXPECT_EQ(pos, 7);

    CSnmpMsg::m_sdwReqid = 0;
    CSnmpMsg whole(nullptr, "", "public", KX_PDU_SET);
    whole.m_pPdu->AddOid("1.3.6.1.2.1.1.5.0", QString("sw"), KX_ASN_OCTET_STRING);
    whole.m_pPdu->AddOid("1.3.6.1.4.1.9.1", QString("x"), KX_ASN_MACADDRESS);
    whole.SnmpEncode();
    EXPECT_EQ(ToHex(whole.Packet()), "30 28 02 01 00 04 06 70 75 62 6C 69 63 A3 1B 02 01 01 02 01 00 02 01 00 "
                                     "30 10 30 0E 06 08 2B 06 01 02 01 01 05 00 04 02 73 77");
}

TEST(BerEncode, ErrorStatusIndexAndPduTypeAreWritten)
{
    CSnmpMsg::m_sdwReqid = 0x12344;
    CSnmpMsg msg(nullptr, "", "", 0x1A2);  // only the low byte is the tag
    msg.m_pPdu->m_dwErrorStatus = 5;
    msg.m_pPdu->m_dwErrorIndex = 300;
    msg.SnmpEncode();
    EXPECT_EQ(ToHex(msg.Packet()), "30 15 02 01 00 04 00 A2 0E 02 03 01 23 45 02 01 05 02 02 01 2C 30 00");
}

TEST(BerEncode, CommunityIsSentAsLatin1)
{
    // One byte per UTF-16 unit; a unit outside Latin-1 (each half of a surrogate pair too) is '?'.
    CSnmpMsg::m_sdwReqid = 0;
    CSnmpMsg msg(nullptr, "", QString::fromUtf8("caf\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), KX_PDU_GET);
    msg.SnmpEncode();
    EXPECT_EQ(ToHex(msg.Packet()), "30 19 02 01 00 04 07 63 61 66 E9 3F 3F 3F A0 0B 02 01 01 02 01 00 02 01 00 30 00");
}

TEST(BerEncode, ErrorsLeaveThePacketUntouched)
{
    QString oid64 = "1.3", oid65;
    for (int i = 2; i < 64; ++i)
        oid64 += ".7";
    oid65 = oid64 + ".7";
    const QByteArray big(480, 'z');

    struct Case {
        const char* name;
        std::function<void(CSnmpPdu&)> add;
        int code;
    } cases[] = {
        {"64 arcs", [&](CSnmpPdu& p) { p.AddOid(oid64); }, 0},
        {"65 arcs in a name", [&](CSnmpPdu& p) { p.AddOid(oid65); }, KX_E_OID_TOO_LONG},
        {"65 arcs in a value", [&](CSnmpPdu& p) { p.AddOid("1.3", oid65, KX_ASN_OBJECT_ID); }, KX_E_OID_TOO_LONG},
        {"value over 512", [](CSnmpPdu& p) {
             const QByteArray v(600, 'v');
             p.AddOid("1.3", reinterpret_cast<const std::uint8_t*>(v.constData()), 600, KX_ASN_OCTET_STRING);
         }, KX_E_ENCODE_OVERFLOW},
        {"bindings over 512", [](CSnmpPdu& p) {
             for (int i = 0; i < 40; ++i)
                 p.AddOid(QString("1.3.6.1.2.1.2.2.1.10.%1").arg(i));
         }, KX_E_ENCODE_OVERFLOW},
        {"message over 512", [&](CSnmpPdu& p) {
             p.AddOid("1.3", reinterpret_cast<const std::uint8_t*>(big.constData()), 480, KX_ASN_OCTET_STRING);
         }, KX_E_ENCODE_OVERFLOW},
        {"message of 512", [&](CSnmpPdu& p) {
             // 4 + 3 + 8 + 4 + 9 + 4 + (4 + 3 + 4 + n) = 512 for n = 469
             p.AddOid("1.3", reinterpret_cast<const std::uint8_t*>(big.constData()), 469, KX_ASN_OCTET_STRING);
         }, 0},
    };
    for (const Case& c : cases) {
        CSnmpMsg::m_sdwReqid = 0;
        CSnmpMsg msg(nullptr, "", "public", KX_PDU_SET);
        c.add(*msg.m_pPdu);
        const Encoded e = Encode(msg);
        EXPECT_EQ(e.code, c.code) << c.name;
        if (c.code) {
            EXPECT_EQ(msg.m_nPacketLength, 0) << c.name;
            EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(msg.m_byPacket), KX_SNMP_PACKET_SIZE),
                      QByteArray(KX_SNMP_PACKET_SIZE, '\0')) << c.name;
        } else {
            EXPECT_GT(msg.m_nPacketLength, 0) << c.name;
            EXPECT_LE(msg.m_nPacketLength, KX_SNMP_PACKET_SIZE) << c.name;
        }
    }
}

TEST(BerEncode, ExceptionCarriesItsText)
{
    CSnmpMsg msg(nullptr, "", QString(600, 'c'), KX_PDU_GET);
    try {
        msg.SnmpEncode();
        FAIL() << "no exception";
    } catch (const CSnmpException& e) {
        EXPECT_EQ(e.m_wCode, KX_E_ENCODE_OVERFLOW);
        EXPECT_EQ(e.m_strMessage, "Buffer overflow while snmp encoding.");
    }
}

TEST(BerDecode, ValuesOfEveryType)
{
    struct Case {
        const char* value;
        std::uint8_t type;
        std::uint16_t length;
        std::int64_t integer;  // for integer types
        const char* text;      // bytes as hex, or the OID text
    } cases[] = {
        {"02 01 FF", KX_ASN_INTEGER, 4, -1, nullptr},
        {"02 01 7F", KX_ASN_INTEGER, 4, 127, nullptr},
        {"02 02 00 80", KX_ASN_INTEGER, 4, 128, nullptr},
        {"02 00", KX_ASN_INTEGER, 4, 0, nullptr},
        {"02 04 80 00 00 00", KX_ASN_INTEGER, 4, -2147483648LL, nullptr},
        {"41 01 FF", KX_ASN_COUNTER, 4, 4294967295LL, nullptr},
        {"41 05 00 80 00 00 00", KX_ASN_COUNTER, 8, 2147483648LL, nullptr},
        {"42 05 00 FF FF FF FF", KX_ASN_GAUGE, 8, 4294967295LL, nullptr},
        {"43 08 7F FF FF FF FF FF FF FF", KX_ASN_TIMETICKS, 8, 0x7FFFFFFFFFFFFFFFLL, nullptr},
        {"02 06 FF 00 00 00 00 00", KX_ASN_INTEGER, 8, -0x10000000000LL, nullptr},
        {"04 03 61 62 63", KX_ASN_OCTET_STRING, 3, 0, "61 62 63"},
        {"04 00", KX_ASN_OCTET_STRING, 0, 0, ""},
        {"40 04 C0 A8 01 02", KX_ASN_IPADDRESS, 4, 0, "C0 A8 01 02"},
        {"44 02 00 01", KX_ASN_OPAQUE, 2, 0, "00 01"},
        {"05 00", KX_ASN_NULL, 0, 0, nullptr},
        {"06 03 2B 06 01", KX_ASN_OBJECT_ID, 7, 0, "1.3.6.1"},
        {"06 01 58", KX_ASN_OBJECT_ID, 3, 0, "2.8"},
        {"06 01 78", KX_ASN_OBJECT_ID, 3, 0, "3.0"},  // S / 40 and S mod 40 for every S
        {"06 02 81 34", KX_ASN_OBJECT_ID, 4, 0, "4.20"},
        {"06 06 2B 8F FF FF FF 7F", KX_ASN_OBJECT_ID, 14, 0, "1.3.4294967295"},
        {"06 03 2B 80 05", KX_ASN_OBJECT_ID, 5, 0, "1.3.5"},
        {"06 00", KX_ASN_OBJECT_ID, 0, 0, ""},
    };
    for (const Case& c : cases) {
        const Decoded d = Decode(Response(Binding(Hex(c.value))));
        ASSERT_EQ(d.code, 0) << c.value << ": " << d.text.toStdString();
        ASSERT_EQ(d.msg->m_pPdu->m_varBindList.size(), 1u) << c.value;
        const CSnmpVarBind& vb = *d.msg->m_pPdu->m_varBindList[0];
        EXPECT_EQ(vb.m_strOid, "1.3");
        EXPECT_EQ(vb.m_byType, c.type) << c.value;
        EXPECT_EQ(vb.m_wLength, c.length) << c.value;
        if (c.type == KX_ASN_OBJECT_ID) {
            EXPECT_EQ(vb.GetOidText(), c.text) << c.value;
        } else if (c.text) {
            EXPECT_EQ(ToHex(vb.GetBytes()), c.text) << c.value;
            // Byte blocks end in one zero byte after the value.
            EXPECT_EQ(static_cast<const char*>(vb.m_pValue)[vb.m_wLength], '\0') << c.value;
        } else if (c.type == KX_ASN_NULL) {
            EXPECT_FALSE(vb.HasValue());
        } else {
            EXPECT_EQ(vb.GetInteger(), c.integer) << c.value;
        }
    }
    // A 32-bit INTEGER of all ones is stored with all bits set.
    EXPECT_EQ(Decode(Response(Binding(Hex("02 01 FF")))).msg->m_pPdu->m_varBindList[0]->GetUInt32(), 0xFFFFFFFFu);
}

TEST(BerDecode, MessageFieldsAndBindingOrder)
{
    const QByteArray packet = Tlv(0x30, Hex("02 01 00") + Tlv(0x04, "priv") +
                                            Tlv(0xA2, Hex("02 04 80 00 00 07 02 01 02 02 01 01") +
                                                          Tlv(0x30, Binding(Hex("02 01 05"), Hex("06 02 2B 01")) +
                                                                        Binding(Hex("04 01 41"), Hex("06 02 2B 02")) +
                                                                        Binding(Hex("05 00"), Hex("06 02 2B 03")))));
    Decoded d;
    d.msg = std::make_unique<CSnmpMsg>(nullptr, "10.0.0.9", "", KX_PDU_GET);
    d.msg->m_pPdu->AddOid("9.9");  // bindings already there stay in front
    std::memcpy(d.msg->m_byPacket, packet.constData(), static_cast<std::size_t>(packet.size()));
    d.msg->m_nPacketLength = static_cast<int>(packet.size());
    d.msg->SnmpDecode();
    EXPECT_EQ(d.msg->m_strCommunity, "priv");
    EXPECT_EQ(d.msg->m_strIpAddr, "10.0.0.9");
    EXPECT_EQ(d.msg->m_wPduType, KX_PDU_RESPONSE);
    EXPECT_EQ(d.msg->m_pPdu->m_dwRequestId, 0x80000007u);
    EXPECT_EQ(d.msg->m_pPdu->m_dwErrorStatus, 2u);
    EXPECT_EQ(d.msg->m_pPdu->m_dwErrorIndex, 1u);
    ASSERT_EQ(d.msg->m_pPdu->m_varBindList.size(), 4u);
    const char* names[] = {"9.9", "1.3.1", "1.3.2", "1.3.3"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(d.msg->m_pPdu->m_varBindList[i]->m_strOid, names[i]);
}

TEST(BerDecode, ErrorsCarryTheirCodesAndKeepWhatWasRead)
{
    const QByteArray good = Binding(Hex("02 01 05"));
    QString arcs65 = "06 40 2B";
    for (int i = 0; i < 63; ++i)
        arcs65 += " 07";
    struct Case {
        const char* name;
        QByteArray packet;
        int code;
        int bindingsKept;
    } cases[] = {
        {"not a sequence", Hex("31 03 02 01 00"), KX_E_AUTH_PARSE, 0},
        {"empty packet", QByteArray(), KX_E_PACKET_OVERRUN, 0},
        {"version 1", Tlv(0x30, Hex("02 01 01") + Tlv(0x04, "public") + Hex("A2 00")), KX_E_VERSION, 0},
        {"high tag number", Hex("3F 03 02 01 00"), KX_E_BAD_TAG, 0},
        {"indefinite length", Hex("30 80 02 01 00 00 00"), KX_E_INDEFINITE_LENGTH, 0},
        {"five length bytes", Hex("30 85 00 00 00 00 05 02 01 00"), KX_E_LENGTH_TOO_LONG, 0},
        {"length past the end", Hex("30 10 02 01 00"), KX_E_PACKET_OVERRUN, 0},
        {"four-byte length past the end", Hex("30 84 FF FF FF FF 02 01 00"), KX_E_PACKET_OVERRUN, 0},
        {"length bytes past the end", Hex("30 82 01"), KX_E_PACKET_OVERRUN, 0},
        {"binding list not a sequence", Response(good).replace(Hex("02 01 00 30"), Hex("02 01 00 31")),
         KX_E_PDU_TYPE, 0},
        {"standard trap", Tlv(0x30, Hex("02 01 00") + Tlv(0x04, "public") +
                                        Tlv(0xA4, Hex("06 03 2B 06 01 40 04 7F 00 00 01 02 01 06 02 01 01 43 01 05") +
                                                      Tlv(0x30, good))),
         KX_E_PDU_TYPE, 0},
        {"binding not a sequence", Response(good + Tlv(0x31, Hex("06 01 2B 05 00"))), KX_E_VARBIND, 1},
        {"name not an oid", Response(good + Tlv(0x30, Hex("04 01 2B 05 00"))), KX_E_VARBIND, 1},
        {"name runs past its content", Response(good + Tlv(0x30, Hex("06 02 2B 86 05 00"))), KX_E_VARBIND, 1},
        {"name of 65 arcs", Response(good + Tlv(0x30, Hex(arcs65.toLatin1().constData()) + Hex("05 00"))),
         KX_E_OID_TOO_LONG, 1},
        {"malformed null", Response(good + Binding(Hex("05 01 00"))), KX_E_MALFORMED_NULL, 1},
        {"type 0x46", Response(good + Binding(Hex("46 01 00"))), KX_E_UNEXPECTED_TYPE, 1},
        {"type 0x4F", Response(good + Binding(Hex("4F 00"))), KX_E_UNEXPECTED_TYPE, 1},
        {"SNMPv2 exception value", Response(good + Binding(Hex("81 00"))), KX_E_UNEXPECTED_TYPE, 1},
        {"sequence as a value", Response(good + Binding(Hex("30 00"))), KX_E_UNEXPECTED_TYPE, 1},
        {"integer of 9 bytes", Response(good + Binding(Hex("02 09 01 02 03 04 05 06 07 08 09"))),
         KX_E_VALUE_TOO_LONG, 1},
        {"request id of 5 bytes", Tlv(0x30, Hex("02 01 00") + Tlv(0x04, "public") +
                                                Tlv(0xA2, Hex("02 05 01 00 00 00 00 02 01 00 02 01 00 30 00"))),
         KX_E_VALUE_TOO_LONG, 0},
        {"value length past the end", Response(good) + Hex("30 05 06 01 2B 04 09"), KX_E_PACKET_OVERRUN, 1},
        {"value tag missing", Response(good) + Hex("30 00 06 01 2B"), KX_E_PACKET_OVERRUN, 1},
        {"value in the high tag form", Response(good + Binding(Hex("5F 01 00"))), KX_E_BAD_TAG, 1},
    };
    for (const Case& c : cases) {
        const Decoded d = Decode(c.packet);
        EXPECT_EQ(d.code, c.code) << c.name;
        EXPECT_EQ(d.text, SnmpErrorText(static_cast<std::uint16_t>(c.code))) << c.name;
        EXPECT_EQ(static_cast<int>(d.msg->m_pPdu->m_varBindList.size()), c.bindingsKept) << c.name;
    }

    // The community is stored before the version is refused; the PDU type before a bad binding list.
    const Decoded v1 = Decode(Tlv(0x30, Hex("02 01 01") + Tlv(0x04, "secret") + Hex("A2 00")));
    EXPECT_EQ(v1.code, KX_E_VERSION);
    EXPECT_EQ(v1.msg->m_strCommunity, "secret");
    const Decoded trap = Decode(Tlv(0x30, Hex("02 01 00 04 01 63") + Tlv(0xA4, Hex("06 01 2B"))));
    EXPECT_EQ(trap.code, KX_E_PDU_TYPE);
    EXPECT_EQ(trap.msg->m_wPduType, KX_PDU_TRAP);
}

TEST(BerDecode, PacketLengthIsBoundedByTheBuffer)
{
    // A length field beyond the buffer, and a bogus packet length, never read past the 512 bytes.
    QByteArray packet = Hex("30 82 01 FC 02 01 00 04 00 A2 82 01 F5");
    packet.append(QByteArray(KX_SNMP_PACKET_SIZE - packet.size(), '\0'));
    EXPECT_EQ(Decode(packet, 100000).code, KX_E_PACKET_OVERRUN);
    EXPECT_EQ(Decode(Response(Binding(Hex("05 00"))), -5).code, KX_E_PACKET_OVERRUN);
}

TEST(BerRoundTrip, EncodedMessagesDecodeToTheSameFields)
{
    const std::uint8_t bytes[] = {0, 1, 2, 0xFF, 0x80};
    CSnmpMsg::m_sdwReqid = 0x7FFFFFFF;
    CSnmpMsg out(nullptr, "192.0.2.1", "community-x", KX_PDU_RESPONSE);
    out.m_pPdu->m_dwErrorStatus = 0xFFFFFFFFu;
    out.m_pPdu->m_dwErrorIndex = 2;
    out.m_pPdu->AddOid("1.3.6.1.2.1.1.3.0", std::uint32_t(123456), KX_ASN_TIMETICKS);
    out.m_pPdu->AddOid("1.3.6.1.2.1.2.2.1.10.1", std::uint32_t(0xFFFFFFF0u), KX_ASN_COUNTER);
    out.m_pPdu->AddOid("1.3.6.1.2.1.2.2.1.5.1", std::uint32_t(1000000000), KX_ASN_GAUGE);
    out.m_pPdu->AddOid("1.3.6.1.2.1.2.2.1.8.1", std::uint32_t(-7), KX_ASN_INTEGER);
    out.m_pPdu->AddOid("1.3.6.1.2.1.1.1.0", bytes, 5, KX_ASN_OCTET_STRING);
    out.m_pPdu->AddOid("1.3.6.1.2.1.4.20.1.1.10.0.0.1", bytes, 4, KX_ASN_IPADDRESS);
    out.m_pPdu->AddOid("1.3.6.1.4.1.32473.1", bytes, 3, KX_ASN_OPAQUE);
    out.m_pPdu->AddOid("1.3.6.1.2.1.1.2.0", QString("1.3.6.1.4.1.32473.1.4294967295"), KX_ASN_OBJECT_ID);
    out.m_pPdu->AddOid("1.3.6.1.2.1.1.4.0");
    out.SnmpEncode();

    const Decoded d = Decode(out.Packet());
    ASSERT_EQ(d.code, 0) << d.text.toStdString();
    EXPECT_EQ(d.msg->m_strCommunity, out.m_strCommunity);
    EXPECT_EQ(d.msg->m_wPduType, out.m_wPduType);
    EXPECT_EQ(d.msg->m_pPdu->m_dwRequestId, 0x80000000u);
    EXPECT_EQ(d.msg->m_pPdu->m_dwErrorStatus, 0xFFFFFFFFu);
    EXPECT_EQ(d.msg->m_pPdu->m_dwErrorIndex, 2u);
    ASSERT_EQ(d.msg->m_pPdu->m_varBindList.size(), out.m_pPdu->m_varBindList.size());
    for (std::size_t i = 0; i < out.m_pPdu->m_varBindList.size(); ++i) {
        const CSnmpVarBind& a = *out.m_pPdu->m_varBindList[i];
        const CSnmpVarBind& b = *d.msg->m_pPdu->m_varBindList[i];
        EXPECT_EQ(b.m_strOid, a.m_strOid) << i;
        EXPECT_EQ(b.m_byType, a.m_byType) << i;
        // An unsigned value with the top bit set comes back in the 8-byte form.
        EXPECT_EQ(b.m_wLength, a.m_byType == KX_ASN_COUNTER ? 8 : a.m_wLength) << i;
        EXPECT_EQ(b.GetInteger(), a.GetInteger()) << i;
        if (a.m_byType != KX_ASN_COUNTER) {
            EXPECT_EQ(b.GetBytes(), a.GetBytes()) << i;
        }
        EXPECT_EQ(b.GetOidText(), a.GetOidText()) << i;
    }
    // Encoding the decoded message again gives the same packet, apart from the new request id.
    CSnmpMsg::m_sdwReqid = 0x7FFFFFFF;
    d.msg->SnmpEncode();
    EXPECT_EQ(d.msg->Packet(), out.Packet());
}
