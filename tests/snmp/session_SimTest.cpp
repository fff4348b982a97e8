// CCommonSNMP against tqx-sim: the panel's link-status walk, writes, SNMPv3 levels as they reach
// the agent (its request log), and a device that drops every request.
#include "SessionSupport.h"

#include "Agents.h"

#include <gtest/gtest.h>

#include <set>

#include <filesystem>

using namespace snmptest;
using namespace std::chrono_literals;

namespace {

const char* const kLinkColumns[] = {
    "1.3.6.1.2.1.2.2.1.3", "1.3.6.1.2.1.2.2.1.5", "1.3.6.1.2.1.2.2.1.7", "1.3.6.1.2.1.2.2.1.8",
    "1.3.6.1.4.1.32473.10.76.10.1.13.1.7",
};
const char* const kSysName = "1.3.6.1.2.1.1.5.0";
const char* const kSysLocation = "1.3.6.1.2.1.1.6.0";

bool SimBuilt()
{
    return std::filesystem::exists(tqxtest::BuiltProgram("sim/tqx-sim"));
}

tqxtest::SimAgent& Sim()
{
    static tqxtest::SimAgent agent(
        "TQX-8848", {"--log-requests", "--user", "anylevel:noAuthNoPriv:SHA:shapassword:DES:despassword",
                     "--user", "md5aes:authPriv:MD5:md5password:AES:aespassword"});
    return agent;
}

int Get(const char* oid, QString* value = nullptr, int timeout = 0)
{
    CCommonSNMP session;
    if (!session.Open(0) || session.AddOid(QString::fromLatin1(oid), 4, nullptr) != 0)
        return -100;
    std::unique_ptr<CSnmp> reply;
    const int rc = session.GetNextSync(reply, timeout);
    if (rc == 0 && value) {
        int type = 0;
        reply->getValue(0, type, *value);
    }
    return rc;
}

class SessionSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!SimBuilt())
            GTEST_SKIP() << "tqx-sim is not built in this build folder";
        ASSERT_TRUE(Sim().ok()) << Sim().process().output();
        UseAgent(Sim().port(), "1", "3000");
    }
    void TearDown() override { ResetSettings(); }
};

} // namespace

TEST_F(SessionSim, LinkWalkGivesOneRowPerPortThenEnds)
{
    CCommonSNMP session;
    WalkOwner owner;
    owner.session = &session;
    owner.columns = 5;
    owner.stepTimeout = 500;
    ASSERT_TRUE(session.Open(1));
    for (const char* column : kLinkColumns)
        ASSERT_EQ(session.AddOid(QString::fromLatin1(column), 4, nullptr), 0);
    ASSERT_EQ(session.StartWalk(&WalkOwner::Row, &owner, 500), 0);
    ASSERT_TRUE(owner.finished.wait(30000));
    std::lock_guard lock(owner.mutex);
    ASSERT_EQ(owner.rows.size(), 48u);
    for (std::size_t i = 0; i < owner.rows.size(); ++i)
        EXPECT_EQ(owner.suffixes[i], QStringLiteral(".%1").arg(i + 1));
    EXPECT_EQ(owner.rows[0][0], QStringLiteral("6"));  // ifType ethernetCsmacd
    // The rows after the ports (a high ifIndex) have no medium: the reply is short, the walk ends.
    EXPECT_EQ(owner.finalError, 0);
    EXPECT_EQ(owner.finalCount, 4);

    // Stepping on past the short row reaches the end of every column.
    std::unique_ptr<CSnmp> reply;
    int rc = 0;
    for (int guard = 0; guard < 20 && (rc = session.GetNextSync(reply, 500)) == 0; ++guard) {
    }
    EXPECT_EQ(rc, kSnmpEndOfTable);
}

TEST_F(SessionSim, WritesAreKeptInBothVersions)
{
    struct Case {
        const char* version;
        const char* value;
    };
    for (const Case& c : {Case{"1", "rack 7"}, Case{"3", "rack 9"}}) {
        SCOPED_TRACE(c.version);
        UseAgent(Sim().port(), c.version, "3000");
        if (std::string(c.version) == "3")
            UseV3({"3", "anylevel", "3", "shapassword", "2", "despassword"});
        CCommonSNMP set;
        ASSERT_TRUE(set.Open(3));
        ASSERT_EQ(set.AddOid(QString::fromLatin1(kSysLocation), 2, c.value), 0);
        std::unique_ptr<CSnmp> reply;
        ASSERT_EQ(set.GetNextSync(reply, 0), 0);
        QString value;
        ASSERT_EQ(Get(kSysLocation, &value), 0);
        EXPECT_EQ(value, QString::fromLatin1(c.value));
    }
    // A write below the user's least level is refused, not reported as done.
    UseV3({"3", "md5aes", "2", "md5password", "1", ""});
    CCommonSNMP set;
    ASSERT_TRUE(set.Open(3));
    ASSERT_EQ(set.AddOid(QString::fromLatin1(kSysLocation), 2, "refused"), 0);
    std::unique_ptr<CSnmp> reply;
    EXPECT_NE(set.GetNextSync(reply, 0), 0);
    EXPECT_EQ(reply, nullptr);
}

TEST_F(SessionSim, V3SecurityLevelsAsTheyReachTheAgent)
{
    struct Case {
        const char *level, *auth, *priv, *onWire;
    };
    const Case cases[] = {
        {"1", "3", "2", "noAuthNoPriv"},
        {"2", "3", "1", "authNoPriv"},
        {"2", "1", "1", "noAuthNoPriv"},  // level 2 without an authentication protocol
        {"3", "3", "2", "authPriv"},
        {"3", "3", "1", "authNoPriv"},    // level 3 without a privacy protocol
        {"3", "1", "2", "noAuthNoPriv"},  // level 3 without an authentication protocol
        {"7", "3", "2", "noAuthNoPriv"},  // unknown level
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.level) + "/" + c.auth + "/" + c.priv);
        UseAgent(Sim().port(), "1", "3000");
        UseV3({c.level, "anylevel", c.auth, "shapassword", c.priv, "despassword"});
        Sim().process().clearOutput();
        QString value;
        EXPECT_EQ(Get(kSysName, &value), 0);
        EXPECT_EQ(value, QStringLiteral("TQX-8848"));
        const std::string line = std::string("user=anylevel level=") + c.onWire + " pdu=GET oids=" + kSysName;
        EXPECT_TRUE(Sim().process().waitForOutput(line, 5s)) << Sim().process().output();
    }
}

TEST_F(SessionSim, EngineMessageWithMd5AndAesPrivacy)
{
    CSnmpV3 msg(0);
    msg.setType(0);
    msg.clearVarBindList();
    msg.setMsgMaxSize(1024);
    msg.setMsgSecurityModel(3);
    msg.setUserName("md5aes");
    msg.setMsgFlags(3);
    msg.setAuthArith(0);
    msg.setAuthPwd("md5password", 11);
    msg.setPriArith(1);
    msg.setPriPwd("aespassword", 11);
    ASSERT_EQ(msg.addValue(kSysName, 4, nullptr), 0);
    std::unique_ptr<CSnmp> reply;
    ASSERT_EQ(msg.send("127.0.0.1", reply, 3000), 0);
    int type = 0;
    QString value;
    reply->getValue(0, type, value);
    EXPECT_EQ(value, QStringLiteral("TQX-8848"));
    EXPECT_TRUE(Sim().process().waitForOutput("user=md5aes level=authPriv pdu=GET oids=1.3.6.1.2.1.1.5.0", 5s));
}

TEST(SessionSimDrop, DeviceThatDropsEverythingTimesOut)
{
    if (!SimBuilt())
        GTEST_SKIP() << "tqx-sim is not built in this build folder";
    tqxtest::SimAgent sim("TQX-8800", {"--drop", "1", "--user", "anylevel:noAuthNoPriv"});
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    for (const char* version : {"1", "3"}) {
        SCOPED_TRACE(version);
        UseAgent(sim.port(), "1", "500");
        if (std::string(version) == "3")
            UseV3({"1", "anylevel", "1", "", "1", ""});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Get(kSysName), kSnmpTimeout);

        CCommonSNMP session;
        WalkOwner owner;
        owner.session = &session;
        owner.columns = 1;
        ASSERT_TRUE(session.Open(1));
        ASSERT_EQ(session.AddOid(QString::fromLatin1(kLinkColumns[0]), 4, nullptr), 0);
        ASSERT_EQ(session.StartWalk(&WalkOwner::Row, &owner, 0), 0);
        ASSERT_TRUE(owner.finished.wait(10000));
        EXPECT_EQ(owner.finalError, kSnmpTimeout);
        EXPECT_TRUE(session.WaitWalkDone(2000));
        EXPECT_LT(Elapsed(start), 15000ms);
    }
    ResetSettings();
}

TEST(SessionSimDelay, OpenDuringAWalkEndsItAndTheSessionWalksAgain)
{
    // The poller re-opens its session each cycle. Over SNMPv1 the reply to the step in flight is
    // dropped; over SNMPv3 Open stops the walk thread after its current step. Either way nothing more
    // reaches the first walk's callback, and the next walk runs alone (each row once).
    if (!SimBuilt())
        GTEST_SKIP() << "tqx-sim is not built in this build folder";
    tqxtest::SimAgent sim("TQX-8800", {"--delay", "150", "--user", "anylevel:noAuthNoPriv"});
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    for (const bool bV3 : {false, true}) {
        SCOPED_TRACE(bV3 ? "v3" : "v1");
        UseAgent(sim.port(), "1", "2000");
        if (bV3)
            UseV3({"1", "anylevel", "1", "", "1", ""});
        CCommonSNMP session;
        const auto walk = [&](WalkOwner& owner) {
            owner.session = &session;
            owner.columns = 1;
            ASSERT_EQ(session.AddOid(QString::fromLatin1(kLinkColumns[0]), 4, nullptr), 0);
            ASSERT_EQ(session.StartWalk(&WalkOwner::Row, &owner, 0), 0);
        };
        WalkOwner first;
        ASSERT_TRUE(session.Open(1));
        walk(first);
        const auto start = std::chrono::steady_clock::now();
        while ([&] { std::lock_guard lock(first.mutex); return first.rows.size() < 2; }()) {
            ASSERT_LT(Elapsed(start), 10s);
            std::this_thread::sleep_for(5ms);
        }
        const auto openStart = std::chrono::steady_clock::now();
        ASSERT_TRUE(session.Open(1));  // a step of the first walk is in flight now
        EXPECT_LT(Elapsed(openStart), 2000ms + 1500ms);
        int callbacksAtOpen = 0;
        {
            std::lock_guard lock(first.mutex);
            callbacksAtOpen = first.callbacks;
            EXPECT_LT(first.rows.size(), 24u);
            ASSERT_FALSE(first.finished.isSet());
        }
        WalkOwner second;
        walk(second);
        ASSERT_TRUE(second.finished.wait(30000));
        std::lock_guard lock(second.mutex);
        EXPECT_EQ(second.finalError, kSnmpEndOfTable);
        EXPECT_GE(second.rows.size(), 24u);  // the ports and the interfaces after them
        const std::set<QString> distinct(second.suffixes.begin(), second.suffixes.end());
        EXPECT_EQ(distinct.size(), second.suffixes.size());
        EXPECT_EQ(second.lateReplies, 0);
        std::lock_guard lockFirst(first.mutex);
        EXPECT_EQ(first.callbacks, callbacksAtOpen);
    }
    ResetSettings();
}

TEST_F(SessionSim, SessionsOnSeveralThreadsAtOnce)
{
    // Like the poller and an open page: reads and a walk in parallel, first SNMPv1, then SNMPv3.
    for (const char* version : {"1", "3"}) {
        SCOPED_TRACE(version);
        UseAgent(Sim().port(), "1", "3000");
        if (std::string(version) == "3")
            UseV3({"3", "anylevel", "3", "shapassword", "2", "despassword"});
        std::atomic<int> failures{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([t, &failures] {
                for (int i = 0; i < 5; ++i) {
                    if (t == 3) {
                        CCommonSNMP walker;
                        WalkOwner owner;
                        owner.session = &walker;
                        owner.columns = 5;
                        if (!walker.Open(1))
                            ++failures;
                        for (const char* column : kLinkColumns)
                            walker.AddOid(QString::fromLatin1(column), 4, nullptr);
                        if (walker.StartWalk(&WalkOwner::Row, &owner, 2000) != 0 || !owner.finished.wait(30000))
                            ++failures;
                        std::lock_guard lock(owner.mutex);
                        if (owner.rows.size() != 48)
                            ++failures;
                    } else if (Get(kSysName, nullptr, 2000) != 0) {
                        ++failures;
                    }
                }
            });
        }
        for (auto& thread : threads)
            thread.join();
        EXPECT_EQ(failures.load(), 0);
    }
}
