// The packet log: one little-endian archive per message, appended to a file and read back.
#include "codec_Support.h"

#include <kxsnmp/SnmpLog.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace codectest;

namespace {

std::unique_ptr<CSnmpMsg> SampleMessage(int n)
{
    const std::uint8_t bytes[] = {0xC0, 0xA8, 0x00, 0x01, 0x00, 0xFF};
    auto msg = std::make_unique<CSnmpMsg>(nullptr, QString("10.0.0.%1").arg(n), QString::fromUtf8("comm\xC3\xA9"),
                                          KX_PDU_RESPONSE);
    msg->m_pPdu->m_dwRequestId = 0x80000000u + n;
    msg->m_pPdu->m_dwErrorStatus = 2;
    msg->m_pPdu->m_dwErrorIndex = 0xFFFFFFFFu;
    msg->m_pPdu->AddOid("1.3.6.1.2.1.1.1.0", bytes, 6, KX_ASN_OCTET_STRING);
    msg->m_pPdu->AddOid("1.3.6.1.2.1.1.3.0", std::uint32_t(12345 + n), KX_ASN_TIMETICKS);
    msg->m_pPdu->AddOid("1.3.6.1.2.1.31.1.1.1.6.1", std::int64_t(0x1234567890LL), KX_ASN_COUNTER);
    msg->m_pPdu->AddOid("1.3.6.1.2.1.2.2.1.10.1", std::uint32_t(77), KX_ASN_COUNTER);
    msg->m_pPdu->AddOid("1.3.6.1.2.1.4.20.1.1", bytes, 4, KX_ASN_IPADDRESS);
    msg->m_pPdu->AddOid("1.3.6.1.4.1.32473.9", bytes, 0, KX_ASN_OPAQUE);
    msg->m_pPdu->AddOid("1.3.6.1.2.1.1.2.0", QString("1.3.6.1.4.1.32473"), KX_ASN_OBJECT_ID);
    msg->m_pPdu->AddOid("1.3.6.1.2.1.1.5.0");
    msg->m_pPdu->AddOid("1.3.6.1.2.1.17.4.3.1.1", QString("ignored"), KX_ASN_MACADDRESS);
    msg->m_pPdu->AddOid("1.3.6.1.2.1.2.2.1.8.1", std::uint32_t(-1), KX_ASN_INTEGER);
    return msg;
}

void ExpectSame(const CSnmpMsg& a, const CSnmpMsg& b)
{
    EXPECT_EQ(b.m_strIpAddr, a.m_strIpAddr);
    EXPECT_EQ(b.m_strCommunity, a.m_strCommunity);
    EXPECT_EQ(b.m_wPduType, a.m_wPduType);
    EXPECT_EQ(b.m_pPdu->m_dwRequestId, a.m_pPdu->m_dwRequestId);
    EXPECT_EQ(b.m_pPdu->m_dwErrorStatus, a.m_pPdu->m_dwErrorStatus);
    EXPECT_EQ(b.m_pPdu->m_dwErrorIndex, a.m_pPdu->m_dwErrorIndex);
    ASSERT_EQ(b.m_pPdu->m_varBindList.size(), a.m_pPdu->m_varBindList.size());
    for (std::size_t i = 0; i < a.m_pPdu->m_varBindList.size(); ++i) {
        const CSnmpVarBind& x = *a.m_pPdu->m_varBindList[i];
        const CSnmpVarBind& y = *b.m_pPdu->m_varBindList[i];
        EXPECT_EQ(y.m_strOid, x.m_strOid) << i;
        EXPECT_EQ(y.m_byType, x.m_byType) << i;
        EXPECT_EQ(y.m_wLength, x.m_wLength) << i;
        EXPECT_EQ(y.HasValue(), x.HasValue()) << i;
        EXPECT_EQ(y.GetInteger(), x.GetInteger()) << i;
        EXPECT_EQ(y.GetBytes(), x.GetBytes()) << i;
        EXPECT_EQ(y.GetOidText(), x.GetOidText()) << i;
    }
}

}  // namespace

TEST(PacketLog, ArchiveLayoutIsLittleEndianInFieldOrder)
{
    CSnmpMsg msg(nullptr, "a", "c", KX_PDU_RESPONSE);
    msg.m_pPdu->m_dwRequestId = 0x01020304;
    msg.m_pPdu->m_dwErrorIndex = 1;
    msg.m_pPdu->AddOid("1", std::uint32_t(0x0A0B0C0D), KX_ASN_COUNTER);
    msg.m_pPdu->AddOid("2", std::int64_t(5), KX_ASN_COUNTER);
    msg.m_pPdu->AddOid("3", QString("x"), KX_ASN_OCTET_STRING);
    msg.m_nPacketLength = 9;  // not written
    const std::string expected =
        "02 00 00 00 61 00 "                          // address "a"
        "02 00 00 00 63 00 "                          // community "c"
        "A2 00 "                                      // PDU type
        "04 03 02 01 00 00 00 00 01 00 00 00 "        // request id, error status, error index
        "03 00 00 00 "                                // three bindings
        "FF FF 01 00 0C 00 43 53 6E 6D 70 56 61 72 42 69 6E 64 "  // new class CSnmpVarBind, schema 1
        "02 00 00 00 31 00 41 04 00 0D 0C 0B 0A "     // "1", Counter, length 4, 4 bytes
        "00 80 "                                      // the same class again
        "02 00 00 00 32 00 41 08 00 05 00 00 00 00 00 00 00 "  // 8-byte value
        "00 80 02 00 00 00 33 00 04 01 00 78";        // OCTET STRING "x"
    EXPECT_EQ(ToHex(SerializeSnmpMsg(msg)), expected);
}

TEST(PacketLog, AppendedMessagesReadBackInOrder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("snmp.log");
    std::vector<std::unique_ptr<CSnmpMsg>> written;
    for (int i = 0; i < 3; ++i) {
        written.push_back(SampleMessage(i));
        ASSERT_TRUE(AppendSnmpLog(*written.back(), path));
    }
    // An encoded and a decoded message log the same way as a built one.
    CSnmpMsg::m_sdwReqid = 41;
    written.push_back(SampleMessage(1));
    written[3]->SnmpEncode();
    ASSERT_TRUE(AppendSnmpLog(*written[3], path));
    Decoded d = Decode(written[3]->Packet());
    ASSERT_EQ(d.code, 0);
    d.msg->SetIpAddr(written[3]->m_strIpAddr);
    ASSERT_TRUE(AppendSnmpLog(*d.msg, path));

    const CSnmpLogContents log = ReadSnmpLog(path);
    EXPECT_TRUE(log.bComplete) << log.strError.toStdString();
    ASSERT_EQ(log.messages.size(), 5u);
    for (int i = 0; i < 4; ++i)
        ExpectSame(*written[i], *log.messages[i]);
    // The MAC-address binding is not sent, so the decoded copy lacks it.
    EXPECT_EQ(log.messages[4]->m_pPdu->m_varBindList.size(), written[3]->m_pPdu->m_varBindList.size() - 1);
    EXPECT_EQ(log.messages[4]->m_pPdu->m_dwRequestId, 42u);
    EXPECT_EQ(log.messages[3]->m_pPdu->m_dwRequestId, 42u);
}

TEST(PacketLog, DefaultFileIsSnmpLogInTheCurrentDirectory)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const auto msg = SampleMessage(9);
    const bool appended = AppendSnmpLog(*msg);
    const CSnmpLogContents log = ReadSnmpLog();
    const bool exists = QFile::exists(dir.filePath("snmp.log"));
    QDir::setCurrent(old);
    EXPECT_TRUE(appended);
    EXPECT_TRUE(exists);
    ASSERT_EQ(log.messages.size(), 1u);
    ExpectSame(*msg, *log.messages[0]);

    EXPECT_FALSE(AppendSnmpLog(*msg, dir.filePath("missing-folder/snmp.log")));
    const CSnmpLogContents missing = ReadSnmpLog(dir.filePath("nothing.log"));
    EXPECT_FALSE(missing.bComplete);
    EXPECT_TRUE(missing.messages.empty());
    EXPECT_FALSE(missing.strError.isEmpty());
}

TEST(PacketLog, DamagedLogsKeepTheMessagesBeforeTheDamage)
{
    const QByteArray one = SerializeSnmpMsg(*SampleMessage(1));
    const QByteArray two = SerializeSnmpMsg(*SampleMessage(2));

    // Every truncation of the second archive keeps the first message and reports where it stopped.
    for (qsizetype cut = 1; cut < two.size(); ++cut) {
        const CSnmpLogContents log = ReadSnmpLogData(one + two.left(cut));
        ASSERT_EQ(log.messages.size(), 1u) << cut;
        EXPECT_FALSE(log.bComplete) << cut;
        EXPECT_EQ(log.nErrorOffset, one.size()) << cut;
    }

    auto patched = [&](qsizetype at, const char* hex) {
        QByteArray data = one;
        const QByteArray bytes = Hex(hex);
        data.replace(at, bytes.size(), bytes);
        return ReadSnmpLogData(data + two);
    };
    const qsizetype classTag = one.indexOf(Hex("FF FF 01 00 0C 00"));
    ASSERT_GT(classTag, 0);
    const qsizetype count = classTag - 4;
    struct Case {
        const char* name;
        qsizetype at;
        const char* hex;
    } cases[] = {
        {"huge address length", 0, "FE FF FF 7F"},
        {"odd address length", 0, "03 00 00 00"},
        {"huge binding count", count, "FF FF FF FF"},
        {"unknown class", classTag + 6, "58"},
        {"wrong schema", classTag + 2, "02 00"},
        {"long class name", classTag + 4, "FF 00"},
        {"class index not yet seen", classTag, "01 80"},
        {"no class tag", classTag, "05 00"},
    };
    for (const Case& c : cases) {
        const CSnmpLogContents log = patched(c.at, c.hex);
        EXPECT_TRUE(log.messages.empty()) << c.name;
        EXPECT_FALSE(log.bComplete) << c.name;
        EXPECT_EQ(log.nErrorOffset, 0) << c.name;
        EXPECT_FALSE(log.strError.isEmpty()) << c.name;
    }
    // A huge value length inside a binding.
    QByteArray data = one;
    const qsizetype value = data.indexOf(Hex("04 06 00 C0 A8"));
    ASSERT_GT(value, 0);
    data.replace(value + 1, 2, Hex("FF FF"));
    EXPECT_FALSE(ReadSnmpLogData(data).bComplete);
    EXPECT_TRUE(ReadSnmpLogData(QByteArray()).bComplete);
}

TEST(PacketLog, StreamsThatCannotTellTheirSizeAreReadSafely)
{
    // A device without a known size: a bogus string length must fail at the end of the data
    // rather than allocate what it claims.
    struct Sequential : QIODevice {
        QByteArray data;
        qsizetype offset = 0;
        void setData(const QByteArray& d) { data = d; }
        bool isSequential() const override { return true; }
        qint64 readData(char* out, qint64 max) override
        {
            const qint64 n = std::min<qint64>(max, data.size() - offset);
            std::memcpy(out, data.constData() + offset, static_cast<std::size_t>(n));
            offset += n;
            return n;
        }
        qint64 writeData(const char*, qint64) override { return -1; }
    };
    const QByteArray good = SerializeSnmpMsg(*SampleMessage(3));
    struct Case {
        const char* name;
        QByteArray data;
        bool ok;
    } cases[] = {
        {"good", good, true},
        {"huge address length", Hex("FE FF FF 7F 31 00 32 00"), false},
        {"truncated", good.left(good.size() - 1), false},
    };
    for (const Case& c : cases) {
        Sequential device;
        device.setData(c.data);
        ASSERT_TRUE(device.open(QIODevice::ReadOnly));
        QDataStream stream(&device);
        PrepareSnmpLogStream(stream);
        QString error;
        const auto msg = DeserializeSnmpMsg(stream, &error);
        EXPECT_EQ(msg != nullptr, c.ok) << c.name;
        EXPECT_EQ(error.isEmpty(), c.ok) << c.name;
        if (msg)
            ExpectSame(*SampleMessage(3), *msg);
    }
}
