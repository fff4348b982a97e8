// CCommonSNMP against net-snmp's own snmpd: GET, SET, walks, SNMPv3 security levels, time-outs,
// closing during a walk, and the failure paths that must leave a session usable.
#include "SessionSupport.h"

#include "snmp/engine/Snmp.h"
#include "Agents.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

using namespace snmptest;
using namespace std::chrono_literals;

namespace {

const char* const kSysLocation = "1.3.6.1.2.1.1.6.0";
const char* const kSysName = "1.3.6.1.2.1.1.5.0";
const char* const kIfNumber = "1.3.6.1.2.1.2.1.0";
const char* const kIfIndex = "1.3.6.1.2.1.2.2.1.1";
const char* const kIfDescr = "1.3.6.1.2.1.2.2.1.2";

std::vector<tqxtest::SnmpdUser> Users()
{
    return {
        {"md5des", "MD5", "md5password", "DES", "despassword", "priv"},
        {"shades", "SHA", "shapassword", "DES", "despassword", "priv"},
        {"md5auth", "MD5", "md5password", "", "", "auth"},
        {"shaauth", "SHA", "shapassword", "", "", "auth"},
        {"plain", "", "", "", "", "noauth"},
    };
}

tqxtest::SnmpdAgent& Agent()
{
    static tqxtest::SnmpdAgent agent(Users());
    return agent;
}

// Reads one object; returns the engine result and the value text.
int Get(const char* oid, QString* value = nullptr, int timeout = 0)
{
    CCommonSNMP session;
    if (!session.Open(0))
        return -100;
    EXPECT_EQ(session.AddOid(QString::fromLatin1(oid), 4, nullptr), 0);
    std::unique_ptr<CSnmp> reply;
    const int rc = session.GetNextSync(reply, timeout);
    EXPECT_EQ(rc == 0, reply != nullptr);
    if (rc == 0 && value) {
        int type = 0;
        reply->getValue(0, type, *value);
    }
    return rc;
}

int IfNumber()
{
    QString value;
    EXPECT_EQ(Get(kIfNumber, &value), 0);
    return value.toInt();
}

class SessionSnmpd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Agent().ok()) << Agent().process().output();
        UseAgent(Agent().port(), "1", "3000");
    }
    void TearDown() override { ResetSettings(); }
};

} // namespace

TEST_F(SessionSnmpd, V1SetThenGetReadsTheValueBack)
{
    CCommonSNMP set;
    ASSERT_TRUE(set.Open(3));
    ASSERT_EQ(set.AddOid(QString::fromLatin1(kSysName), 2, "tqx-engine-test"), 0);
    std::unique_ptr<CSnmp> reply;
    ASSERT_EQ(set.GetNextSync(reply, 0), 0);
    ASSERT_NE(reply, nullptr);

    QString value;
    ASSERT_EQ(Get(kSysName, &value), 0);
    EXPECT_EQ(value, QStringLiteral("tqx-engine-test"));
    ASSERT_EQ(Get(kSysLocation, &value), 0);
    EXPECT_EQ(value, QStringLiteral("test bench"));

    // Send gives the same answer as the walker's synchronous step.
    CCommonSNMP get;
    ASSERT_TRUE(get.Open(0));
    ASSERT_EQ(get.AddOid(QString::fromLatin1(kSysLocation), 4, nullptr), 0);
    ASSERT_EQ(get.Send(reply, 0), 0);
    int type = 0;
    reply->getValue(0, type, value);
    EXPECT_EQ(type, kSnmpTypeOctetString);
    EXPECT_EQ(value, QStringLiteral("test bench"));
}

TEST_F(SessionSnmpd, AgentErrorsAreFailuresWithoutAReply)
{
    // A write with the read community is refused.
    g_strSetCommunity = QStringLiteral("public");
    CCommonSNMP set;
    ASSERT_TRUE(set.Open(3));
    ASSERT_EQ(set.AddOid(QString::fromLatin1(kSysName), 2, "refused"), 0);
    std::unique_ptr<CSnmp> reply;
    EXPECT_GT(set.GetNextSync(reply, 0), 0);
    EXPECT_EQ(reply, nullptr);

    // A missing object fails with noSuchName in SNMPv1 and SNMPv3 alike.
    EXPECT_EQ(Get("1.3.6.1.4.1.32473.99.99.0"), 2);
    UseV3({"1", "plain", "1", "", "1", ""});
    EXPECT_EQ(Get("1.3.6.1.4.1.32473.99.99.0"), 2);
}

TEST_F(SessionSnmpd, V1WalkDeliversEveryRowThenEndsPastTheTable)
{
    const int ifCount = IfNumber();
    ASSERT_GT(ifCount, 0);
    CCommonSNMP session;
    WalkOwner owner;
    owner.session = &session;
    owner.columns = 2;
    ASSERT_TRUE(session.Open(1));
    ASSERT_EQ(session.AddOid(QString::fromLatin1(kIfIndex), 4, nullptr), 0);
    ASSERT_EQ(session.AddOid(QString::fromLatin1(kIfDescr), 4, nullptr), 0);
    ASSERT_EQ(session.StartWalk(&WalkOwner::Row, &owner, 0), 0);
    ASSERT_TRUE(owner.finished.wait(20000));
    EXPECT_TRUE(session.WaitWalkDone(1000));
    std::lock_guard lock(owner.mutex);
    EXPECT_EQ(static_cast<int>(owner.rows.size()), ifCount);
    EXPECT_EQ(owner.finalError, kSnmpEndOfTable);
    EXPECT_EQ(owner.lateReplies, 0);
    ASSERT_FALSE(owner.rows.empty());
    for (std::size_t i = 0; i < owner.rows.size(); ++i)
        EXPECT_EQ(owner.suffixes[i], QLatin1Char('.') + owner.rows[i][0]);
}

TEST_F(SessionSnmpd, SynchronousStepsContinueAfterTheLastRow)
{
    const int ifCount = IfNumber();
    CCommonSNMP session;
    ASSERT_TRUE(session.Open(1));
    ASSERT_EQ(session.AddOid(QString::fromLatin1(kIfIndex), 4, nullptr), 0);
    std::vector<QString> seen;
    int rc = 0;
    std::unique_ptr<CSnmp> reply;
    for (int guard = 0; guard < 1000 && (rc = session.GetNextSync(reply, 0)) == 0; ++guard) {
        int type = 0;
        QString value;
        reply->getValue(0, type, value);
        seen.push_back(value);
    }
    EXPECT_EQ(rc, kSnmpEndOfTable);
    EXPECT_EQ(static_cast<int>(seen.size()), ifCount);
    EXPECT_EQ(session.GetNextSync(reply, 0), kSnmpEndOfTable);  // stays at the end

    // A column with no rows ends at once.
    ASSERT_TRUE(session.Open(1));
    ASSERT_EQ(session.AddOid(QStringLiteral("1.3.6.1.2.1.2.2.1.99"), 4, nullptr), 0);
    EXPECT_EQ(session.GetNextSync(reply, 0), kSnmpEndOfTable);
}

TEST_F(SessionSnmpd, EndOfTheAgentsMibEndsTheColumnInBothVersions)
{
    // Past the agent's last object SNMPv1 answers noSuchName and SNMPv3 endOfMibView; a column there
    // ends, the other columns go on, and the row is short by that column.
    for (const char* version : {"1", "3"}) {
        SCOPED_TRACE(version);
        UseAgent(Agent().port(), version, "3000");
        if (std::string(version) == "3")
            UseV3({"1", "plain", "1", "", "1", ""});
        CCommonSNMP session;
        ASSERT_TRUE(session.Open(1));
        ASSERT_EQ(session.AddOid(QStringLiteral("2.99"), 4, nullptr), 0);
        ASSERT_EQ(session.AddOid(QString::fromLatin1(kIfIndex), 4, nullptr), 0);
        std::unique_ptr<CSnmp> reply;
        ASSERT_EQ(session.GetNextSync(reply, 0), 0);
        ASSERT_EQ(reply->getValuesCount(), 1);
        QString oid, suffix;
        reply->getOid(0, oid);
        EXPECT_TRUE(oid.startsWith(QString::fromLatin1(kIfIndex) + QLatin1Char('.'))) << oid.toStdString();
        EXPECT_EQ(session.GetSuffix(0, reply.get(), suffix), 0);
        EXPECT_EQ(QString::fromLatin1(kIfIndex) + suffix, oid);

        ASSERT_TRUE(session.Open(1));
        ASSERT_EQ(session.AddOid(QStringLiteral("2.99"), 4, nullptr), 0);
        EXPECT_EQ(session.GetNextSync(reply, 0), kSnmpEndOfTable);
    }
}

TEST_F(SessionSnmpd, V3EachSecurityLevelAndProtocol)
{
    struct Case {
        const char *level, *user, *auth, *authPwd, *priv, *privPwd;
    };
    const Case cases[] = {
        {"1", "plain", "1", "", "1", ""},
        {"2", "md5auth", "2", "md5password", "1", ""},
        {"2", "shaauth", "3", "shapassword", "1", ""},
        {"3", "md5des", "2", "md5password", "2", "despassword"},
        {"3", "shades", "3", "shapassword", "2", "despassword"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        UseAgent(Agent().port(), "1", "3000");
        UseV3({c.level, c.user, c.auth, c.authPwd, c.priv, c.privPwd});
        QString value;
        EXPECT_EQ(Get(kSysLocation, &value), 0);
        EXPECT_EQ(value, QStringLiteral("test bench"));
    }
    // Wrong password: the agent's report is a failure, not a time-out and not a success.
    UseV3({"2", "shaauth", "3", "wrongpassword", "1", ""});
    const int rc = Get(kSysLocation);
    EXPECT_NE(rc, 0);
    EXPECT_NE(rc, kSnmpTimeout);
}

TEST_F(SessionSnmpd, V3SecurityLevelDowngradesReachTheAgent)
{
    // Level 3 without a privacy protocol goes out authNoPriv: a user that requires privacy refuses
    // it, a user that requires authentication only accepts it.
    UseV3({"3", "shades", "3", "shapassword", "1", ""});
    EXPECT_NE(Get(kSysLocation), 0);
    UseV3({"3", "shaauth", "3", "shapassword", "1", ""});
    EXPECT_EQ(Get(kSysLocation), 0);
    // Level 3 without an authentication protocol goes out unauthenticated.
    UseV3({"3", "md5auth", "1", "md5password", "2", "despassword"});
    EXPECT_NE(Get(kSysLocation), 0);
    UseV3({"3", "plain", "1", "", "2", "despassword"});
    EXPECT_EQ(Get(kSysLocation), 0);
}

TEST_F(SessionSnmpd, V3WalkRunsOnTheSessionThreadToTheEnd)
{
    const int ifCount = IfNumber();
    UseV3({"3", "md5des", "2", "md5password", "2", "despassword"});
    CCommonSNMP session;
    WalkOwner owner;
    owner.session = &session;
    owner.columns = 2;
    ASSERT_TRUE(session.Open(1));
    ASSERT_EQ(session.AddOid(QString::fromLatin1(kIfIndex), 4, nullptr), 0);
    ASSERT_EQ(session.AddOid(QString::fromLatin1(kIfDescr), 4, nullptr), 0);
    ASSERT_EQ(session.StartWalk(&WalkOwner::Row, &owner, 0), 0);
    ASSERT_TRUE(owner.finished.wait(20000));
    EXPECT_TRUE(session.WaitWalkDone(5000));
    std::lock_guard lock(owner.mutex);
    EXPECT_EQ(static_cast<int>(owner.rows.size()), ifCount);
    EXPECT_EQ(owner.finalError, kSnmpEndOfTable);
    // Each step has its own id, claimed once.
    EXPECT_FALSE(session.IsOwnRequest(g_nWalkRequestId.load()));
}

TEST_F(SessionSnmpd, IsOwnRequestIsTrueOnceAndFalseAfterClose)
{
    CCommonSNMP session;
    ASSERT_TRUE(session.Open(1));
    ASSERT_EQ(session.AddOid(QString::fromLatin1(kIfIndex), 4, nullptr), 0);
    struct Seen {
        Event done;
        int id = 0;
    } seen;
    ASSERT_EQ(session.StartWalk(
                  [](CSnmp* reply, int id, void* user, int error) -> unsigned {
                      if (error == 0)
                          delete reply;
                      static_cast<Seen*>(user)->id = id;
                      static_cast<Seen*>(user)->done.set();
                      return 0;
                  },
                  &seen, 0),
              0);
    ASSERT_TRUE(seen.done.wait(10000));
    EXPECT_TRUE(session.IsOwnRequest(seen.id));
    EXPECT_FALSE(session.IsOwnRequest(seen.id));
    EXPECT_FALSE(session.IsOwnRequest(seen.id + 100000));
    session.SignalDone();
    session.Close();
    EXPECT_EQ(session.StartWalk(&WalkOwner::Row, nullptr, 0), -1);
    EXPECT_TRUE(session.IsWalkDone());
}

TEST_F(SessionSnmpd, OwnerMayDestroyTheSessionFromItsWalkCallback)
{
    for (const char* version : {"1", "3"}) {
        SCOPED_TRACE(version);
        UseAgent(Agent().port(), version, "3000");
        if (std::string(version) == "3")
            UseV3({"1", "plain", "1", "", "1", ""});
        struct Owner {
            std::unique_ptr<CCommonSNMP> session = std::make_unique<CCommonSNMP>();
            Event done;
            int error = 99;
        } owner;
        ASSERT_TRUE(owner.session->Open(1));
        ASSERT_EQ(owner.session->AddOid(QString::fromLatin1(kIfIndex), 4, nullptr), 0);
        ASSERT_EQ(owner.session->StartWalk(
                      [](CSnmp* reply, int, void* user, int error) -> unsigned {
                          auto* o = static_cast<Owner*>(user);
                          delete (error == 0 ? reply : nullptr);
                          o->error = error;
                          o->session.reset();  // the window closes while its walk calls back
                          o->done.set();
                          return 0;
                      },
                      &owner, 0),
                  0);
        ASSERT_TRUE(owner.done.wait(10000));
        EXPECT_EQ(owner.error, 0);
        std::this_thread::sleep_for(100ms);  // the engine's thread finishes after the callback
    }
}

TEST_F(SessionSnmpd, UnsupportedVersionFailsCleanlyAndLeavesTheSessionUsable)
{
    g_strSnmpVersion = QStringLiteral("2");
    CCommonSNMP session;
    EXPECT_FALSE(session.Open(0));
    EXPECT_EQ(session.AddOid(QString::fromLatin1(kSysLocation), 4, nullptr), -1);
    std::unique_ptr<CSnmp> reply;
    EXPECT_EQ(session.GetNextSync(reply, 0), -1);
    EXPECT_EQ(session.Send(reply, 0), -1);
    QString suffix;
    EXPECT_EQ(session.GetSuffix(0, nullptr, suffix), -1);
    EXPECT_EQ(session.StartWalk(&WalkOwner::Row, nullptr, 0), -1);
    EXPECT_TRUE(session.IsWalkDone());
    const auto start = std::chrono::steady_clock::now();
    session.Close();
    EXPECT_LT(Elapsed(start), 2000ms);
    EXPECT_FALSE(session.Open(1));  // a second failed Open does not block either

    // Version 1 with an unknown PDU type fails too; nothing is sent without bindings.
    g_strSnmpVersion = QStringLiteral("1");
    CCommonSNMP v1;
    EXPECT_FALSE(v1.Open(2));
    ASSERT_TRUE(v1.Open(0));
    EXPECT_EQ(v1.GetNextSync(reply, 0), -1);
    EXPECT_EQ(v1.StartWalk(&WalkOwner::Row, nullptr, 0), -1);
    EXPECT_TRUE(v1.IsWalkDone());
}

TEST(SessionSilent, SilentDeviceGivesTimeOutsNeverAHang)
{
    SilentPeer peer;
    for (const char* version : {"1", "3"}) {
        SCOPED_TRACE(version);
        UseAgent(peer.port(), "1", "400");
        if (std::string(version) == "3")
            UseV3({"2", "md5auth", "2", "md5password", "1", ""});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Get(kSysLocation, nullptr, 300), kSnmpTimeout);
        EXPECT_EQ(Get(kSysLocation), kSnmpTimeout);  // time-out 0: the session's 400 ms
        EXPECT_LT(Elapsed(start), 10000ms);
    }
    ResetSettings();
}

TEST(SessionSilent, CloseDuringAWalkReturnsWithinTheBoundAndDropsTheLateReply)
{
    SilentPeer peer;
    for (const char* version : {"1", "3"}) {
        SCOPED_TRACE(version);
        UseAgent(peer.port(), "1", "1000");
        if (std::string(version) == "3")
            UseV3({"1", "plain", "1", "", "1", ""});
        auto session = std::make_unique<CCommonSNMP>();
        auto owner = std::make_unique<WalkOwner>();
        owner->session = session.get();
        owner->columns = 1;
        ASSERT_TRUE(session->Open(1));
        ASSERT_EQ(session->AddOid(QString::fromLatin1(kIfIndex), 4, nullptr), 0);
        ASSERT_EQ(session->StartWalk(&WalkOwner::Row, owner.get(), 0), 0);
        EXPECT_FALSE(session->IsWalkDone());
        std::this_thread::sleep_for(100ms);
        const auto start = std::chrono::steady_clock::now();
        session->Close();
        EXPECT_LT(Elapsed(start), 1000ms + 1000ms + 1500ms);
        EXPECT_TRUE(session->IsWalkDone());
        EXPECT_EQ(session->StartWalk(&WalkOwner::Row, owner.get(), 0), -1);
        session.reset();
        std::this_thread::sleep_for(200ms);
        std::lock_guard lock(owner->mutex);
        // The step's time-out arrived after Close: never taken as the owner's.
        EXPECT_FALSE(owner->finished.isSet());
        EXPECT_EQ(owner->rows.size(), 0u);
        if (std::string(version) == "1")
            EXPECT_EQ(owner->lateReplies, 1);
        else
            EXPECT_EQ(owner->callbacks, 0);  // the walk thread drops the step of a closed walk
    }
    ResetSettings();
}

TEST(SessionSilent, DestroyingASessionDuringAWalkIsSafe)
{
    // The step's time-out comes due after the session is gone: it reaches the owner's callback as an
    // error (v1) or not at all (v3), never as a reply, and nothing touches the dead session (ASan).
    struct Seen {
        std::atomic<int> calls{0};
        std::atomic<int> replies{0};
        std::atomic<int> lastError{0};
    };
    SilentPeer peer;
    for (const char* version : {"1", "3"}) {
        SCOPED_TRACE(version);
        UseAgent(peer.port(), "1", "500");
        if (std::string(version) == "3")
            UseV3({"1", "plain", "1", "", "1", ""});
        static Seen seen;
        seen.calls = 0;
        seen.replies = 0;
        seen.lastError = 0;
        {
            CCommonSNMP session;
            ASSERT_TRUE(session.Open(1));
            ASSERT_EQ(session.AddOid(QString::fromLatin1(kIfIndex), 4, nullptr), 0);
            // A callback that does not touch the session: the owner is gone before the reply.
            ASSERT_EQ(session.StartWalk([](CSnmp* r, int, void*, int e) -> unsigned {
                                            ++seen.calls;
                                            seen.lastError = e;
                                            if (e == 0) {
                                                ++seen.replies;
                                                delete r;
                                            }
                                            return 0;
                                        },
                                        nullptr, 0),
                      0);
        }
        // Wait past the step's 500 ms for the time-out (v1), then a little longer for anything after it.
        const auto start = std::chrono::steady_clock::now();
        while (seen.calls == 0 && Elapsed(start) < 1200ms)
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(seen.replies, 0);
        if (std::string(version) == "1") {
            EXPECT_EQ(seen.calls, 1);
            EXPECT_EQ(seen.lastError, kSnmpTimeout);
        } else {
            EXPECT_EQ(seen.calls, 0);  // the walk thread ended with the session
        }
    }
    ResetSettings();
}

TEST_F(SessionSnmpd, WindowSenderCallsBackOnTheWindowThread)
{
    int argc = 1;
    char name[] = "engine-test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QObject window;
    CSnmpV1 msg(0);
    msg.setType(0);
    msg.setCommunity("public");
    ASSERT_EQ(msg.addValue(kSysLocation, 4, nullptr), 0);
    struct Result {
        QThread* thread = nullptr;
        int error = 99;
        int id = 0;
        QString value;
    } result;
    CSnmp4w sender;
    sender.setSnmp(&msg);
    const QByteArray host = g_strDeviceIP.toLatin1();
    ASSERT_EQ(sender.send(host.constData(),
                          [](CSnmp* reply, int id, void* user, int error) -> unsigned {
                              auto* r = static_cast<Result*>(user);
                              r->thread = QThread::currentThread();
                              r->error = error;
                              r->id = id;
                              if (error == 0) {
                                  int type = 0;
                                  reply->getValue(0, type, r->value);
                                  delete reply;
                              }
                              QCoreApplication::quit();
                              return 0;
                          },
                          &result, &window, 3000),
              0);
    const int id = msg.getRequestID();
    app.exec();
    EXPECT_EQ(result.thread, window.thread());
    EXPECT_EQ(result.error, 0);
    EXPECT_EQ(result.id, id);
    EXPECT_EQ(result.value, QStringLiteral("test bench"));

    // Started from another thread, the answer still arrives on the window's thread.
    result = Result{};
    std::thread other([&] {
        sender.send(host.constData(),
                    [](CSnmp* reply, int, void* user, int error) -> unsigned {
                        auto* r = static_cast<Result*>(user);
                        r->thread = QThread::currentThread();
                        r->error = error;
                        delete (error == 0 ? reply : nullptr);
                        QCoreApplication::quit();
                        return 0;
                    },
                    &result, &window, 3000);
    });
    other.join();
    app.exec();
    EXPECT_EQ(result.thread, window.thread());
    EXPECT_EQ(result.error, 0);

    // A window destroyed before the answer: no callback, nothing leaks.
    auto gone = std::make_unique<QObject>();
    bool called = false;
    ASSERT_EQ(sender.send(host.constData(), [](CSnmp*, int, void* u, int) -> unsigned { *static_cast<bool*>(u) = true; return 0; },
                          &called, gone.get(), 3000),
              0);
    gone.reset();
    for (int i = 0; i < 50; ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_FALSE(called);
}
