// Messages without a network: bindings from caller text, reply values read back, suffixes.
#include "snmp/engine/Snmp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

TEST(SnmpMessage, AddValueAcceptsWellFormedAndRefusesMalformedInput)
{
    struct Case {
        const char* oid;
        int type;
        const char* value;
        int expected;
    };
    const Case cases[] = {
        {"1.3.6.1.2.1.1.5.0", 2, "switch", 0},
        {".1.3.6.1.2.1.1.5.0", 2, "", 0},
        {"1.3.6.1.2.1.1.5.0", 4, nullptr, 0},
        {"1.3.6.1.4.1.32473.10.76.10.1.9.0", 1, "1", 0},
        {"1.3.6.1.4.1.32473.1.0", 1, "-2147483648", 0},
        {"1.3.6.1.4.1.32473.1.0", 1, "2147483648", -1},
        {"1.3.6.1.4.1.32473.1.0", 1, "12abc", -1},
        {"1.3.6.1.4.1.32473.1.0", 1, "", -1},
        {"1.3.6.1.4.1.32473.1.0", 1, nullptr, -1},
        {"1.3.6.1.4.1.32473.1.0", 1, "+-3", -1},
        {"1.3.6.1.4.1.32473.1.0", 10, "4294967295", 0},
        {"1.3.6.1.4.1.32473.1.0", 10, "4294967296", -1},
        {"1.3.6.1.4.1.32473.1.0", 10, "-1", -1},
        {"1.3.6.1.4.1.32473.1.0", 8, "192.168.1.254", 0},
        {"1.3.6.1.4.1.32473.1.0", 8, "192.168.1.256", -1},
        {"1.3.6.1.4.1.32473.1.0", 8, "192.168.1", -1},
        {"1.3.6.1.4.1.32473.1.0", 8, "1.2.3.4.5", -1},
        {"1.3.6.1.4.1.32473.1.0", 7, "1", -1},
        {"1.3.6.1.4.1.32473.1.0", 5, "1.3.6.1.4.1.32473", 0},
        {"iso.3.6", 4, nullptr, -1},
        {"1.3..6", 4, nullptr, -1},
        {"1.3.6.", 4, nullptr, -1},
        {"", 4, nullptr, -1},
        {"1.3.6.1.4294967296", 4, nullptr, -1},
        {nullptr, 4, nullptr, -1},
    };
    for (const Case& c : cases) {
        CSnmpV1 msg(0);
        EXPECT_EQ(msg.addValue(c.oid, c.type, c.value), c.expected)
            << (c.oid ? c.oid : "(null)") << " type " << c.type << " value " << (c.value ? c.value : "(null)");
        EXPECT_EQ(msg.getValuesCount(), c.expected == 0 ? 1 : 0);
    }
}

TEST(SnmpMessage, RawBytesKeepEmbeddedZerosAndReadBack)
{
    CSnmpV1 msg(0);
    const char ports[] = {'\x80', '\0', '\x01'};
    ASSERT_EQ(msg.addValue("1.3.6.1.2.1.17.7.1.4.3.1.2.5", 2, ports, 3), 0);
    QByteArray bytes;
    ASSERT_EQ(msg.getValue(0, bytes), 0);
    EXPECT_EQ(bytes, QByteArray(ports, 3));
    char buffer[2] = {};
    EXPECT_EQ(msg.getValue(0, buffer, sizeof buffer), 2);  // truncated to the buffer
    EXPECT_EQ(buffer[0], '\x80');
    int type = 0;
    QString text;
    EXPECT_EQ(msg.getValue(1, type, text), -1);
    EXPECT_EQ(msg.getOid(-1, text), -1);
}

TEST(SnmpMessage, ValuesReadBackAsTextInEveryType)
{
    CSnmpV3 msg(0);
    ASSERT_EQ(msg.addValue("1.3.6.1.1.0", 1, "-7"), 0);
    ASSERT_EQ(msg.addValue("1.3.6.1.2.0", 8, "10.0.0.1"), 0);
    ASSERT_EQ(msg.addValue("1.3.6.1.3.0", 10, "3000000000"), 0);
    ASSERT_EQ(msg.addValue("1.3.6.1.4.0", 5, ".1.3.6.1.4.1.32473"), 0);
    const struct {
        int type;
        const char* text;
    } expected[] = {{1, "-7"}, {8, "10.0.0.1"}, {10, "3000000000"}, {5, "1.3.6.1.4.1.32473"}};
    for (int i = 0; i < 4; ++i) {
        int type = 0;
        QString text;
        ASSERT_EQ(msg.getValue(i, type, text), 0);
        EXPECT_EQ(type, expected[i].type);
        EXPECT_EQ(text, QString::fromLatin1(expected[i].text));
    }
    QString oid;
    ASSERT_EQ(msg.getOid(3, oid), 0);
    EXPECT_EQ(oid, QStringLiteral("1.3.6.1.4.0"));
}

TEST(SnmpMessage, SuffixIsTheRowIndexBelowTheColumn)
{
    CSnmpV1 reply(0);
    SnmpVarBind vb;
    vb.oid = {1, 3, 6, 1, 4, 1, 32473, 10, 75, 6, 22, 1, 1, 13, 1, 12};
    vb.column = {1, 3, 6, 1, 4, 1, 32473, 10, 75, 6, 22, 1, 1, 13};
    reply.addVarBind(vb);
    SnmpVarBind plain;
    plain.oid = {1, 3, 6, 1, 2, 1, 1, 5, 0};
    reply.addVarBind(plain);
    CSnmpV1 msg(0);
    CSnmpTable table(&msg);
    QString suffix;
    EXPECT_EQ(table.getSuffix(0, &reply, suffix), 0);
    EXPECT_EQ(suffix, QStringLiteral(".1.12"));
    EXPECT_EQ(table.getSuffix(1, &reply, suffix), -1);
    EXPECT_TRUE(suffix.isEmpty());
    EXPECT_EQ(table.getSuffix(2, &reply, suffix), -1);
    EXPECT_EQ(table.getSuffix(0, nullptr, suffix), -1);
}

TEST(SnmpMessage, NothingIsSentWithoutBindings)
{
    CSnmpV1 msg(0);
    std::unique_ptr<CSnmp> reply;
    EXPECT_EQ(msg.send("127.0.0.1", reply, 100), kSnmpFailed);
    CSnmpTable table(&msg);
    EXPECT_NE(table.getNext("127.0.0.1", reply, 100), 0);
    EXPECT_EQ(table.getNext("127.0.0.1", [](CSnmp*, int, void*, int) -> unsigned { return 0; }, nullptr, 100), -1);
    EXPECT_EQ(reply, nullptr);
}

TEST(SnmpMessage, V3SettersRefuseUnknownCodes)
{
    CSnmpV3 msg(0);
    EXPECT_EQ(msg.setMsgFlags(2), -1);
    EXPECT_EQ(msg.setMsgFlags(3), 0);
    EXPECT_EQ(msg.setAuthArith(2), -1);
    EXPECT_EQ(msg.setPriArith(5), -1);
    EXPECT_EQ(msg.setMsgSecurityModel(1), -1);
    EXPECT_EQ(msg.setType(2), -1);
    EXPECT_EQ(msg.msgFlags(), 3);
}

TEST(SnmpEngine, StartsWithoutReadingMibFiles)
{
    // Even with MIB loading asked for in the environment, the engine reads no MIB module (and so
    // prints no warnings about missing ones) when it starts on the first request.
    ::setenv("MIBS", "ALL", 1);
    char path[] = "/tmp/tqx-engine-stderr-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    std::fflush(stderr);
    const int saved = ::dup(2);
    ::dup2(fd, 2);
    CSnmpV1 msg(0);
    ASSERT_EQ(msg.addValue("1.3.6.1.2.1.1.5.0", 4, nullptr), 0);
    std::unique_ptr<CSnmp> reply;
    const int rc = msg.send("127.0.0.1", reply, 100);  // nothing listens on port 161 here
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::string text(4096, '\0');
    ::lseek(fd, 0, SEEK_SET);
    text.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::read(fd, text.data(), text.size()))));
    ::close(fd);
    ::unlink(path);
    EXPECT_NE(rc, 0);
    EXPECT_EQ(text.find("MIB"), std::string::npos) << text;
    EXPECT_EQ(text.find("Cannot find module"), std::string::npos) << text;
}
