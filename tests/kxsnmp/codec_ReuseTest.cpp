// What the codec remembers between messages: converted OBJECT IDENTIFIERs and freed bindings are
// reused, and reuse must never change a result. Names and contents are checked against a small
// encoder of the test's own.
#include "codec_Support.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace codectest;

namespace {

// The contents of an OBJECT IDENTIFIER of plain decimal arcs.
QByteArray OidContent(const std::vector<std::uint32_t>& arcs)
{
    QByteArray out;
    auto put = [&](std::uint32_t v) {
        QByteArray groups;
        do {
            groups.prepend(static_cast<char>((v & 0x7F) | (groups.isEmpty() ? 0 : 0x80)));
            v >>= 7;
        } while (v);
        out += groups;
    };
    if (arcs.size() >= 2) {
        put(arcs[0] * 40 + arcs[1]);
        for (std::size_t i = 2; i < arcs.size(); ++i)
            put(arcs[i]);
    }
    return out;
}

QString OidText(const std::vector<std::uint32_t>& arcs)
{
    QStringList parts;
    for (std::uint32_t a : arcs)
        parts << QString::number(a);
    return parts.join(u'.');
}

// The encoded name of the only binding of a packet built by SnmpEncode.
QByteArray FirstName(const QByteArray& packet)
{
    // 30 L 02 01 00 04 n community A2 L (3 integers) 30 L 30 L 06 n name
    int pos = 0;
    auto skipHeader = [&] {
        ++pos;
        const int first = static_cast<std::uint8_t>(packet[pos++]);
        int len = first;
        if (first & 0x80) {
            len = 0;
            for (int i = 0; i < (first & 0x7F); ++i)
                len = (len << 8) | static_cast<std::uint8_t>(packet[pos++]);
        }
        return len;
    };
    skipHeader();                // message
    pos += skipHeader();         // version
    pos += skipHeader();         // community
    skipHeader();                // PDU
    for (int i = 0; i < 3; ++i)  // request id, error status, error index
        pos += skipHeader();
    skipHeader();  // binding list
    skipHeader();  // binding
    const int len = skipHeader();
    return packet.mid(pos, len);
}

QByteArray EncodeName(const QString& name)
{
    CSnmpMsg msg(nullptr, "127.0.0.1", "public", KX_PDU_GET);
    msg.m_pPdu->AddOid(name);
    msg.SnmpEncode();
    return FirstName(msg.Packet());
}

// Many distinct names, more than any cache holds, so that entries are replaced and share slots.
std::vector<std::vector<std::uint32_t>> ManyNames()
{
    std::vector<std::vector<std::uint32_t>> names;
    for (std::uint32_t column = 1; column <= 22; ++column)
        for (std::uint32_t index : {1u, 2u, 9u, 10u, 127u, 128u, 300u, 16384u, 65535u, 2147483648u, 4294967295u}) {
            names.push_back({1, 3, 6, 1, 2, 1, 2, 2, 1, column, index});  // last arcs of every size
            for (std::uint32_t port = 1; port <= 12; ++port)
                names.push_back({1, 3, 6, 1, 2, 1, 2, 2, 1, column, index, port});
        }
    for (std::uint32_t i = 0; i < 200; ++i)  // short ones and first arcs other than 1.3
        names.push_back({i % 3, i % 40, i});
    return names;
}

}  // namespace

TEST(CodecReuse, NamesEncodeAndDecodeExactlyAcrossRepeatsAndEvictions)
{
    const auto names = ManyNames();
    for (int pass = 0; pass < 3; ++pass) {
        for (const auto& arcs : names) {
            const QString text = OidText(arcs);
            const QByteArray content = OidContent(arcs);
            ASSERT_EQ(ToHex(EncodeName(text)), ToHex(content)) << text.toStdString() << " pass " << pass;

            const Decoded d = Decode(Response(Binding(Hex("05 00"), Tlv(0x06, content))));
            ASSERT_EQ(d.code, 0) << text.toStdString();
            ASSERT_EQ(d.msg->m_pPdu->m_varBindList.size(), 1u);
            ASSERT_EQ(d.msg->m_pPdu->m_varBindList[0]->m_strOid, text) << "pass " << pass;
        }
    }
}

TEST(CodecReuse, NameAndOidValueOfOneBindingStayApart)
{
    // Names already converted, then bindings whose OID value is new: among this many, some values
    // are remembered in the place the binding's name was remembered in.
    for (std::uint32_t i = 0; i < 3000; ++i) {
        const std::vector<std::uint32_t> name{1, 3, 6, 1, 4, 1, 32473, i};
        const std::vector<std::uint32_t> value{1, 3, 6, 1, 2, 1, i * 7 + 3, i};
        EncodeName(OidText(name));
        CSnmpMsg msg(nullptr, "127.0.0.1", "public", KX_PDU_SET);
        msg.m_pPdu->AddOid(OidText(name), OidText(value), KX_ASN_OBJECT_ID);
        msg.SnmpEncode();
        const QByteArray expected = Tlv(0x30, Tlv(0x06, OidContent(name)) + Tlv(0x06, OidContent(value)));
        ASSERT_TRUE(msg.Packet().endsWith(expected)) << i << ": " << ToHex(msg.Packet());
    }
}

TEST(CodecReuse, ATextChangedInPlaceIsEncodedAsItIsNow)
{
    QString name = QString::fromLatin1("1.3.6.1.4.1.9");  // one owner, so it can change in place
    EXPECT_EQ(ToHex(EncodeName(name)), "2B 06 01 04 01 09");
    name[12] = u'8';
    EXPECT_EQ(ToHex(EncodeName(name)), "2B 06 01 04 01 08");
    name.data()[12] = u'7';
    EXPECT_EQ(ToHex(EncodeName(name)), "2B 06 01 04 01 07");
    name.append(u'0');
    EXPECT_EQ(ToHex(EncodeName(name)), "2B 06 01 04 01 46");
    // Texts with the same contents in other forms: the atoi reading still applies.
    EXPECT_EQ(ToHex(EncodeName(" 1.3.6.1.4.1.70")), "2B 06 01 04 01 46");
    EXPECT_EQ(ToHex(EncodeName("1.3.6.1.4.1.70x")), "2B 06 01 04 01 46");
    // Siblings of a prefix in such a form, and last pieces that are not plain digits after a
    // remembered prefix.
    EXPECT_EQ(ToHex(EncodeName(" 1.3.6.-1.71")), "2B 06 8F FF FF FF 7F 47");
    EXPECT_EQ(ToHex(EncodeName(" 1.3.6.-1.72")), "2B 06 8F FF FF FF 7F 48");
    EXPECT_EQ(ToHex(EncodeName(" 1.3.6.-1.-1")), "2B 06 8F FF FF FF 7F 8F FF FF FF 7F");
    EXPECT_EQ(ToHex(EncodeName(" 1.3.6.-1.")), "2B 06 8F FF FF FF 7F 00");
    EXPECT_EQ(ToHex(EncodeName(" 1.3.6.-1.4294967297")), "2B 06 8F FF FF FF 7F 01");
    EXPECT_EQ(ToHex(EncodeName("1.3")), "2B");
    EXPECT_EQ(ToHex(EncodeName("1.4")), "2C");
}

TEST(CodecReuse, DecodedNamesAreIndependentCopies)
{
    const QByteArray packet = Response(Binding(Hex("05 00"), Hex("06 03 2B 06 01")));
    Decoded first = Decode(packet);
    ASSERT_EQ(first.code, 0);
    first.msg->m_pPdu->m_varBindList[0]->m_strOid[0] = u'9';
    first.msg->m_pPdu->m_varBindList[0]->m_strOid.append(".7");
    const Decoded second = Decode(packet);
    ASSERT_EQ(second.code, 0);
    EXPECT_EQ(second.msg->m_pPdu->m_varBindList[0]->m_strOid, "1.3.6.1");
    EXPECT_EQ(first.msg->m_pPdu->m_varBindList[0]->m_strOid, "9.3.6.1.7");
}

TEST(CodecReuse, ErrorsAreRaisedAgainAfterSimilarInputSucceeded)
{
    // A name whose prefix was decoded before: the cut-off last sub-identifier still raises 4.
    ASSERT_EQ(Decode(Response(Binding(Hex("05 00"), Hex("06 04 2B 06 81 01")))).code, 0);
    EXPECT_EQ(Decode(Response(Binding(Hex("05 00"), Hex("06 03 2B 06 81")))).code, KX_E_VARBIND);
    // Over 64 arcs, twice: never remembered.
    QString long65 = "1.3";
    for (int i = 2; i < 65; ++i)
        long65 += ".1";
    for (int i = 0; i < 2; ++i) {
        CSnmpMsg msg(nullptr, "127.0.0.1", "public", KX_PDU_GET);
        msg.m_pPdu->AddOid(long65);
        try {
            msg.SnmpEncode();
            ADD_FAILURE() << "65 arcs encoded";
        } catch (const CSnmpException& e) {
            EXPECT_EQ(e.m_wCode, KX_E_OID_TOO_LONG);
        }
        EXPECT_EQ(msg.m_nPacketLength, 0);
    }
    QByteArray content65 = Hex("2B");
    for (int i = 2; i < 65; ++i)
        content65 += '\x01';
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(Decode(Response(Binding(Hex("05 00"), Tlv(0x06, content65)))).code, KX_E_OID_TOO_LONG);
    // 64 arcs, two names with the same 63 first ones (the second built on the remembered prefix),
    // then 65: the limit holds whichever way a name is converted.
    std::vector<std::uint32_t> arcs{1, 3};
    while (arcs.size() < 64)
        arcs.push_back(static_cast<std::uint32_t>(arcs.size()));
    for (std::uint32_t last : {63u, 200u}) {
        arcs.back() = last;
        EXPECT_EQ(ToHex(EncodeName(OidText(arcs))), ToHex(OidContent(arcs)));
        const Decoded d = Decode(Response(Binding(Hex("05 00"), Tlv(0x06, OidContent(arcs)))));
        ASSERT_EQ(d.code, 0);
        EXPECT_EQ(d.msg->m_pPdu->m_varBindList[0]->m_strOid, OidText(arcs));
    }
    arcs.push_back(1);
    CSnmpMsg msg(nullptr, "127.0.0.1", "public", KX_PDU_GET);
    msg.m_pPdu->AddOid(OidText(arcs));
    EXPECT_THROW(msg.SnmpEncode(), CSnmpException);
    EXPECT_EQ(Decode(Response(Binding(Hex("05 00"), Tlv(0x06, OidContent(arcs))))).code, KX_E_OID_TOO_LONG);
}

TEST(CodecReuse, ReusedBindingsStartEmpty)
{
    std::vector<std::unique_ptr<CSnmpVarBind>> held;
    for (int i = 0; i < 300; ++i) {
        held.push_back(std::make_unique<CSnmpVarBind>(QString("1.3.%1").arg(i)));
        if (i % 3 == 0)
            held.back()->SetValue(QString("1.3.6.%1").arg(i), KX_ASN_OBJECT_ID);
        else
            held.back()->SetValue(std::uint32_t(0xDEADBEEF), KX_ASN_COUNTER);
    }
    held.clear();
    for (int i = 0; i < 300; ++i) {
        auto vb = std::make_unique<CSnmpVarBind>();
        EXPECT_TRUE(vb->m_strOid.isEmpty());
        EXPECT_EQ(vb->m_byType, KX_ASN_NULL);
        EXPECT_EQ(vb->m_wLength, 0);
        EXPECT_FALSE(vb->HasValue());
        EXPECT_EQ(vb->GetUInt32(), 0u);
        held.push_back(std::move(vb));
    }
    // A value text lives inside its binding and changes with it.
    CSnmpVarBind vb("1.3");
    vb.SetValue(QString("1.3.6.1"), KX_ASN_OBJECT_ID);
    vb.SetValue(QString("1.3.6.2"), KX_ASN_OBJECT_ID);
    EXPECT_EQ(vb.GetOidText(), "1.3.6.2");
    vb.SetValue(*static_cast<const QString*>(vb.m_pValue), KX_ASN_OBJECT_ID);  // its own text
    EXPECT_EQ(vb.GetOidText(), "1.3.6.2");
    vb.SetValue(std::int64_t(-2), KX_ASN_INTEGER);
    EXPECT_EQ(vb.GetOidText(), QString());
    EXPECT_EQ(vb.GetInteger(), -2);
}

TEST(CodecReuse, ThreadsEncodeDecodeAndFreeEachOthersMessages)
{
    // Each thread round-trips messages of its own names; half of them are freed by another thread.
    constexpr int kThreads = 4;
    constexpr int kRounds = 400;
    std::vector<std::unique_ptr<CSnmpMsg>> handOver[kThreads];
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &handOver, &failures] {
            for (int r = 0; r < kRounds; ++r) {
                const std::vector<std::uint32_t> arcs{1, 3, 6, 1, 4, 1, std::uint32_t(t), std::uint32_t(r % 50)};
                CSnmpMsg out(nullptr, "127.0.0.1", "public", KX_PDU_RESPONSE);
                out.m_pPdu->AddOid(OidText(arcs), OidText(arcs) + ".0", KX_ASN_OBJECT_ID);
                out.m_pPdu->AddOid(OidText(arcs) + ".1", std::uint32_t(r), KX_ASN_GAUGE);
                out.SnmpEncode();
                auto in = std::make_unique<CSnmpMsg>(nullptr, "127.0.0.1", QString(), 0);
                std::memcpy(in->m_byPacket, out.m_byPacket, static_cast<std::size_t>(out.m_nPacketLength));
                in->m_nPacketLength = out.m_nPacketLength;
                in->SnmpDecode();
                const auto& list = in->m_pPdu->m_varBindList;
                if (list.size() != 2 || list[0]->m_strOid != OidText(arcs) ||
                    list[0]->GetOidText() != OidText(arcs) + ".0" || list[1]->GetUInt32() != std::uint32_t(r))
                    ++failures;
                if (r % 2)
                    handOver[t].push_back(std::move(in));
            }
        });
    }
    for (auto& th : threads)
        th.join();
    threads.clear();
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&handOver, t] { handOver[(t + 1) % kThreads].clear(); });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(failures.load(), 0);
}
