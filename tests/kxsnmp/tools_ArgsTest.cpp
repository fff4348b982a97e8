// Command line of the kxsnmp client.
#include "ToolArgs.h"

#include <gtest/gtest.h>

using kxtool::Command;
using kxtool::ParseToolArgs;
using kxtool::ToolRequest;

namespace {

QStringList Args(const char* line)
{
    return QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

TEST(ToolArgs, AcceptsEachCommandWithItsOptions)
{
    ToolRequest r;
    QString error;
    ASSERT_TRUE(ParseToolArgs(Args("get -c secret -p 1161 -t 700 --hex 10.0.0.1 .1.3.6.1.2.1.1.5.0 1.3.6.1.2.1.1.6.0"),
                              r, error)) << error.toStdString();
    EXPECT_EQ(r.command, Command::Get);
    EXPECT_EQ(r.community, QStringLiteral("secret"));
    EXPECT_EQ(r.port, 1161);
    EXPECT_EQ(r.timeoutMs, 700);
    EXPECT_TRUE(r.hex);
    EXPECT_FALSE(r.log);
    EXPECT_EQ(r.host, QStringLiteral("10.0.0.1"));
    ASSERT_EQ(r.bindings.size(), 2u);
    EXPECT_EQ(r.bindings[0].oid, QStringLiteral("1.3.6.1.2.1.1.5.0"));  // leading dot dropped

    ASSERT_TRUE(ParseToolArgs(Args("set localhost 1.3.6.1.2.1.1.5.0 s name 1.3.6.1.4.1.1.0 i -5 1.3.6.1.4.1.2.0 x 0a:FF"),
                              r, error)) << error.toStdString();
    EXPECT_EQ(r.command, Command::Set);
    EXPECT_EQ(r.community, QStringLiteral("public"));
    EXPECT_EQ(r.port, 161);
    EXPECT_EQ(r.timeoutMs, 5000);
    ASSERT_EQ(r.bindings.size(), 3u);
    EXPECT_EQ(r.bindings[1].type, 'i');
    EXPECT_EQ(r.bindings[1].value, QStringLiteral("-5"));

    ASSERT_TRUE(ParseToolArgs(Args("walk --log 127.0.0.1 1.3.6.1.2.1.1"), r, error));
    EXPECT_EQ(r.command, Command::Walk);
    EXPECT_TRUE(r.log);
    ASSERT_TRUE(ParseToolArgs(Args("next 127.0.0.1 1.3"), r, error));
    EXPECT_EQ(r.command, Command::Next);
}

TEST(ToolArgs, RefusesBadCommandLinesWithAReason)
{
    struct Case { const char* line; const char* reason; };
    const Case cases[] = {
        {"", "missing command"},
        {"fetch 127.0.0.1 1.3", "unknown command"},
        {"get", "missing host"},
        {"get 127.0.0.1", "missing OID"},
        {"get -c", "needs a value"},
        {"get -p 0 127.0.0.1 1.3", "port must be"},
        {"get -p 65536 127.0.0.1 1.3", "port must be"},
        {"get -p 16x 127.0.0.1 1.3", "port must be"},
        {"get -t 0 127.0.0.1 1.3", "time-out must be"},
        {"get -x 127.0.0.1 1.3", "unknown option"},
        {"get 127.0.0.1 1.3.a", "not a dotted-decimal OID"},
        {"get 127.0.0.1 1", "not a dotted-decimal OID"},
        {"get 127.0.0.1 1..3", "not a dotted-decimal OID"},
        {"get 127.0.0.1 1.3.4294967296", "not a dotted-decimal OID"},
        {"get 127.0.0.1 3.1", "not a dotted-decimal OID"},
        {"walk 127.0.0.1 1.3 1.3.6", "exactly one OID"},
        {"set 127.0.0.1 1.3.6.1 i", "triples"},
        {"set 127.0.0.1 1.3.6.1 q 1", "unknown value type"},
        {"set 127.0.0.1 1.3.6.1 ii 1", "one letter"},
        {"set 127.0.0.1 1.3.6.1 i 2147483648", "signed 32-bit"},
        {"set 127.0.0.1 1.3.6.1 u -1", "unsigned 32-bit"},
        {"set 127.0.0.1 1.3.6.1 a 1.2.3", "dotted decimal"},
        {"set 127.0.0.1 1.3.6.1 a 1.2.3.256", "dotted decimal"},
        {"set 127.0.0.1 1.3.6.1 o 1.x", "not a dotted-decimal OID"},
        {"set 127.0.0.1 1.3.6.1 x abc", "hex value"},
        {"set 127.0.0.1 1.3.6.1 x zz", "hex value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ToolRequest r;
        QString error;
        EXPECT_FALSE(ParseToolArgs(Args(c.line), r, error));
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
    }
    QStringList many{QStringLiteral("get"), QStringLiteral("127.0.0.1")};
    for (int i = 0; i < 65; ++i)
        many << QStringLiteral("1.3.6.%1").arg(i);
    ToolRequest r;
    QString error;
    EXPECT_FALSE(ParseToolArgs(many, r, error));
    EXPECT_TRUE(error.contains(QLatin1String("at most 64"))) << error.toStdString();
}
