// Request tracking: matching by request id, time-outs, owners that are gone, delivery by callback and
// by posted event, send failures and hostile datagrams, against a scripted responder.
#include "net_Support.h"

#include <kxsnmp/SnmpLog.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace nettest;

namespace {

const QString kOidA = QStringLiteral("1.3.6.1.2.1.1.5.0");
const QString kOidB = QStringLiteral("1.3.6.1.2.1.1.6.0");
const QString kOidC = QStringLiteral("1.3.6.1.2.1.1.4.0");

std::int64_t FirstValue(const CSnmpMsg& msg)
{
    return msg.m_pPdu->m_varBindList.empty() ? -1 : msg.m_pPdu->m_varBindList.front()->GetInteger();
}

} // namespace

using TrackingTest = NetTest;

TEST_F(TrackingTest, ResponsesInReverseOrderReachTheirOwnRequests)
{
    Owner owner;
    CSnmpMsg* a = NewRequest(&owner, KX_PDU_GET, {kOidA});
    CSnmpMsg* b = NewRequest(&owner, KX_PDU_GET, {kOidB});
    const std::uint32_t idA = SendSnmpMsg(a);
    const std::uint32_t idB = SendSnmpMsg(b);
    EXPECT_NE(idA, idB);
    EXPECT_EQ(SendSnmpMsg(a), idA);  // already pending: not sent or tracked twice
    EXPECT_EQ(GetSnmpSocket()->m_pendingList.size(), 2u);
    ASSERT_TRUE(responder().WaitRequests(2));
    EXPECT_EQ(responder().RequestId(0), idA);
    EXPECT_EQ(responder().RequestId(1), idB);

    responder().Answer(responder().requests[1], {{kOidB, Int(22)}});
    responder().Answer(responder().requests[0], {{kOidA, Int(11)}});
    ASSERT_TRUE(PumpUntil([&] { return owner.calls.size() == 2; }));
    EXPECT_EQ(responder().requests.size(), 2u);

    EXPECT_EQ(owner.calls[0].raw, b);
    EXPECT_EQ(owner.calls[1].raw, a);
    for (const auto& [call, id, oid, value] : {std::tuple{&owner.calls[0], idB, kOidB, 22},
                                                std::tuple{&owner.calls[1], idA, kOidA, 11}}) {
        EXPECT_EQ(call->code, 0);
        EXPECT_EQ(call->msg->m_wPduType, KX_PDU_RESPONSE);
        EXPECT_EQ(call->msg->m_pPdu->m_dwRequestId, id);
        EXPECT_EQ(call->msg->m_strIpAddr, QStringLiteral("127.0.0.1"));
        ASSERT_EQ(call->msg->m_pPdu->m_varBindList.size(), 1u);  // the request's NULL binding was replaced
        EXPECT_EQ(call->msg->m_pPdu->m_varBindList[0]->m_strOid, oid);
        EXPECT_EQ(FirstValue(*call->msg), value);
    }
    EXPECT_TRUE(GetSnmpSocket()->m_pendingList.empty());
}

TEST_F(TrackingTest, LateResponseAfterTimeOutIsDropped)
{
    Owner owner;
    CSnmpMsg* a = NewRequest(&owner, KX_PDU_GET, {kOidA});
    SendSnmpMsg(a);
    ASSERT_TRUE(responder().WaitRequests(1));
    // Real timer, 500 ms: expires on the first tick a whole second after the send second.
    ASSERT_TRUE(PumpUntil([&] { return !owner.calls.empty(); }, 6000));
    ASSERT_EQ(owner.calls.size(), 1u);
    EXPECT_EQ(owner.calls[0].code, KX_E_TIMEOUT);
    EXPECT_EQ(owner.calls[0].raw, a);
    EXPECT_EQ(owner.calls[0].msg->m_error.m_wCode, 0);  // a time-out leaves m_error alone
    EXPECT_EQ(owner.calls[0].msg->m_wPduType, KX_PDU_GET);

    responder().Answer(responder().requests[0], {{kOidA, Int(1)}});
    PumpFor(300);
    EXPECT_EQ(owner.calls.size(), 1u);
}

TEST_F(TrackingTest, ExpiredRequestsAreDeliveredOnePerTickOldestFirst)
{
    Owner owner;
    CSnmpMsg* msgs[3] = {NewRequest(&owner, KX_PDU_GET, {kOidA}), NewRequest(&owner, KX_PDU_GET, {kOidB}),
                         NewRequest(&owner, KX_PDU_GET, {kOidC})};
    for (CSnmpMsg* m : msgs)
        SendSnmpMsg(m);
    // All three sent long enough ago: each tick hands over exactly the oldest one.
    for (CSnmpMsg* m : GetSnmpSocket()->m_pendingList)
        m->m_timeSent -= 10;
    CSnmpDll* dll = GetSnmpDllDlg();
    for (size_t tick = 0; tick < 3; ++tick) {
        dll->OnTimer(1);
        ASSERT_EQ(owner.calls.size(), tick + 1);
        EXPECT_EQ(owner.calls[tick].raw, msgs[tick]);
        EXPECT_EQ(owner.calls[tick].code, KX_E_TIMEOUT);
    }
    dll->OnTimer(1);
    EXPECT_EQ(owner.calls.size(), 3u);
}

// The library's clock, stepped by the test: s_now is what SnmpClockSeconds() reads while installed.
struct SteppedClock {
    static inline std::int64_t s_now = 1000;
    SteppedClock() { SetSnmpClock([] { return s_now; }); }
    ~SteppedClock() { SetSnmpClock(nullptr); }
};

TEST_F(TrackingTest, ExpiryFollowsWholeSecondsOfTheLibraryClockAgainstTheTimeOut)
{
    SteppedClock clock;
    struct Case { int timeoutMs; int ageSeconds; bool expired; };
    const Case cases[] = {{5000, 5, false}, {5000, 6, true}, {500, 0, false}, {500, 1, true}, {1000, 1, false},
                          {1000, 2, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.timeoutMs << " ms, sent " << c.ageSeconds << " s ago");
        Owner owner;
        SetSnmpTimeout(c.timeoutMs);
        SendSnmpMsg(NewRequest(&owner, KX_PDU_GET, {kOidA}));
        ASSERT_EQ(GetSnmpSocket()->m_pendingList.size(), 1u);
        EXPECT_EQ(GetSnmpSocket()->m_pendingList.front()->m_timeSent, SteppedClock::s_now);
        SteppedClock::s_now += c.ageSeconds;
        GetSnmpDllDlg()->OnTimer(1);
        EXPECT_EQ(owner.calls.size(), c.expired ? 1u : 0u);
        GetSnmpSocket()->ReleasePending();
    }
}

TEST_F(TrackingTest, TimeOutsRunOnTheMonotonicClockNotTheWallClock)
{
    // The library's own clock is steady_clock's seconds: the wall clock (seconds since 1970) can be
    // stepped back or forward while requests wait.
    const auto steady = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::steady_clock::now().time_since_epoch()).count();
    EXPECT_LE(std::abs(SnmpClockSeconds() - steady), 1);
    Owner owner;
    SendSnmpMsg(NewRequest(&owner, KX_PDU_GET, {kOidA}));
    ASSERT_EQ(GetSnmpSocket()->m_pendingList.size(), 1u);
    EXPECT_LE(std::abs(GetSnmpSocket()->m_pendingList.front()->m_timeSent - steady), 1);
    EXPECT_GT(std::abs(GetSnmpSocket()->m_pendingList.front()->m_timeSent - QDateTime::currentSecsSinceEpoch()), 60)
        << "this machine's monotonic clock happens to read like the wall clock";
    GetSnmpSocket()->ReleasePending();
}

TEST_F(TrackingTest, MessageOfADestroyedOwnerIsReleasedNotDelivered)
{
    auto gone = std::make_unique<Owner>();
    auto goneLater = std::make_unique<Owner>();
    Owner alive;
    SendSnmpMsg(NewRequest(gone.get(), KX_PDU_GET, {kOidA}));                     // answered after the owner went
    SendSnmpMsg(NewRequest(goneLater.get(), KX_PDU_GET, {kOidB}, false));         // timed out after it went
    CSnmpMsg* kept = NewRequest(&alive, KX_PDU_GET, {kOidC});
    SendSnmpMsg(kept);
    ASSERT_TRUE(responder().WaitRequests(3));
    gone.reset();
    goneLater.reset();

    responder().Answer(responder().requests[0], {{kOidA, Int(1)}});
    ASSERT_TRUE(PumpUntil([&] { return GetSnmpSocket()->m_pendingList.size() == 2; }));
    for (CSnmpMsg* m : GetSnmpSocket()->m_pendingList)
        m->m_timeSent -= 10;
    GetSnmpDllDlg()->OnTimer(1);  // the orphan, released
    EXPECT_EQ(GetSnmpSocket()->m_pendingList.size(), 1u);
    EXPECT_TRUE(alive.calls.empty());

    responder().Answer(responder().requests[2], {{kOidC, Int(3)}});
    ASSERT_TRUE(PumpUntil([&] { return alive.calls.size() == 1; }));
    EXPECT_EQ(alive.calls[0].raw, kept);
    // Leak checking at exit shows the two orphans were released.
}

TEST_F(TrackingTest, WithoutCallbackTheResultIsPostedWithItsCode)
{
    EXPECT_EQ(static_cast<int>(WM_SNMP_RESULT), QEvent::User + 0x0401);
    Owner owner;
    CSnmpMsg* answered = NewRequest(&owner, KX_PDU_GET, {kOidA}, false);
    CSnmpMsg* expired = NewRequest(&owner, KX_PDU_GET, {kOidB}, false);
    CSnmpMsg* failed = NewRequest(&owner, KX_PDU_GET, {kOidC}, false, QStringLiteral("not-an-address"));
    SendSnmpMsg(answered);
    SendSnmpMsg(expired);
    SendSnmpMsg(failed);
    ASSERT_TRUE(responder().WaitRequests(2));
    responder().Answer(responder().requests[0], {{kOidA, Int(5)}});
    ASSERT_TRUE(PumpUntil([&] { return owner.posted.size() == 2; }));
    for (CSnmpMsg* m : GetSnmpSocket()->m_pendingList)
        m->m_timeSent -= 10;
    GetSnmpDllDlg()->OnTimer(1);
    ASSERT_TRUE(PumpUntil([&] { return owner.posted.size() == 3; }));
    EXPECT_TRUE(owner.calls.empty());

    EXPECT_EQ(owner.posted[0].raw, failed);  // a failed send is delivered at once
    EXPECT_EQ(owner.posted[0].code, KX_E_SOCKET);
    EXPECT_EQ(owner.posted[1].raw, answered);
    EXPECT_EQ(owner.posted[1].code, 0);
    EXPECT_EQ(FirstValue(*owner.posted[1].msg), 5);
    EXPECT_EQ(owner.posted[2].raw, expired);
    EXPECT_EQ(owner.posted[2].code, KX_E_TIMEOUT);
}

// A request to an unusable address that counts its own lifetime.
struct CountedMsg : CSnmpMsg {
    static inline int s_nLive = 0;
    explicit CountedMsg(QObject* pOwner)
        : CSnmpMsg(pOwner, QStringLiteral("not-an-address"), QStringLiteral("public"), KX_PDU_GET)
    {
        ++s_nLive;
        m_pPdu->AddOid(kOidA);
    }
    ~CountedMsg() override { --s_nLive; }
};

TEST_F(TrackingTest, PostedResultForAnOwnerDestroyedBeforeDeliveryIsReleased)
{
    auto owner = std::make_unique<Owner>();
    Owner twin;
    SendSnmpMsg(new CountedMsg(owner.get()));
    SendSnmpMsg(new CountedMsg(&twin));
    EXPECT_EQ(CountedMsg::s_nLive, 2);  // both results wait in posted events
    owner.reset();  // the posted event goes with its receiver and releases the message
    EXPECT_EQ(CountedMsg::s_nLive, 1);
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(twin.posted.size(), 1u);
    EXPECT_EQ(twin.posted[0].code, KX_E_SOCKET);
    twin.posted.clear();
    EXPECT_EQ(CountedMsg::s_nLive, 0);
}

TEST_F(TrackingTest, UnusableAddressOrPacketIsDeliveredAtOnce)
{
    QString longOid = QStringLiteral("1.3");
    for (int i = 0; i < 63; ++i)
        longOid += QStringLiteral(".1");
    struct Case { const char* what; QString address; QString oid; std::uint16_t code; const char* text; };
    const Case cases[] = {
        {"not an address", QStringLiteral("not-an-address"), kOidA, KX_E_SOCKET, "Socket error, error code= 0x"},
        {"out of range", QStringLiteral("999.1.1.1"), kOidA, KX_E_SOCKET, "Socket error, error code= 0x"},
        {"IPv6 on the IPv4 socket", QStringLiteral("::1"), kOidA, KX_E_SOCKET, "Socket error, error code= 0x"},
        {"65 arcs", QStringLiteral("127.0.0.1"), longOid, KX_E_OID_TOO_LONG, "Snmp object identifier is too long."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Owner owner;
        CSnmpMsg* msg = NewRequest(&owner, KX_PDU_GET, {c.oid}, true, c.address);
        SendSnmpMsg(msg);
        ASSERT_EQ(owner.calls.size(), 1u);  // before SendSnmpMsg returned
        EXPECT_EQ(owner.calls[0].raw, msg);
        EXPECT_EQ(owner.calls[0].code, c.code);
        EXPECT_EQ(msg->m_error.m_wCode, c.code);
        EXPECT_TRUE(msg->m_error.m_strMessage.startsWith(QLatin1String(c.text))) << msg->m_error.m_strMessage.toStdString();
        EXPECT_TRUE(GetSnmpSocket()->m_pendingList.empty());
    }
    PumpFor(100);
    EXPECT_TRUE(responder().requests.empty());
}

TEST_F(TrackingTest, HostileDatagramsAreDroppedAndTheRequestStillMatches)
{
    Owner owner;
    CSnmpMsg* msg = NewRequest(&owner, KX_PDU_GET, {kOidA});
    const std::uint32_t id = SendSnmpMsg(msg);
    ASSERT_TRUE(responder().WaitRequests(1));
    const Request& req = responder().requests[0];
    const QByteArray good = Response(id, {{kOidA, Int(7)}});
    responder().Send(req, QByteArray("\x30\x80garbage", 9));                      // indefinite length
    responder().Send(req, QByteArray(600, '\x30'));                               // over 512 bytes
    responder().Send(req, good + QByteArray(100, '\0') + QByteArray(500, 'x'));   // oversized with a valid head
    responder().Send(req, Response(id + 1000, {{kOidA, Int(8)}}));                // no such request
    responder().Send(req, good.left(good.size() - 3));                            // truncated
    responder().Send(req, QByteArray());                                          // empty datagram
    responder().Send(req, good);
    ASSERT_TRUE(PumpUntil([&] { return !owner.calls.empty(); }));
    PumpFor(200);
    ASSERT_EQ(owner.calls.size(), 1u);
    EXPECT_EQ(owner.calls[0].code, 0);
    EXPECT_EQ(FirstValue(*owner.calls[0].msg), 7);
}

TEST_F(TrackingTest, WithoutInitialisationASendFailsAtOnce)
{
    SnmpDone();
    Owner owner;
    SendSnmpMsg(NewRequest(&owner, KX_PDU_GET, {kOidA}));
    ASSERT_EQ(owner.calls.size(), 1u);
    EXPECT_EQ(owner.calls[0].code, KX_E_SOCKET);
    EXPECT_EQ(GetSnmpSocket(), nullptr);
    SnmpInit(QCoreApplication::instance());
}

TEST_F(TrackingTest, DoneReleasesPendingMessagesWithoutNotifying)
{
    Owner owner;
    SendSnmpMsg(NewRequest(&owner, KX_PDU_GET, {kOidA}));
    SendSnmpMsg(NewRequest(&owner, KX_PDU_GET, {kOidB}, false));
    ASSERT_TRUE(responder().WaitRequests(2));
    SnmpDone();
    EXPECT_EQ(GetSnmpDllDlg(), nullptr);
    responder().Answer(responder().requests[0], {{kOidA, Int(1)}});
    PumpFor(200);
    EXPECT_TRUE(owner.calls.empty());
    EXPECT_TRUE(owner.posted.empty());
    SnmpInit(QCoreApplication::instance());
}

TEST_F(TrackingTest, CallbackMayEndTheLibrary)
{
    Owner owner;
    owner.onResult = [](std::uint16_t) { SnmpDone(); };
    SendSnmpMsg(NewRequest(&owner, KX_PDU_GET, {kOidA}));
    SendSnmpMsg(NewRequest(&owner, KX_PDU_GET, {kOidB}));
    ASSERT_TRUE(responder().WaitRequests(2));
    responder().Answer(responder().requests[0], {{kOidA, Int(1)}});
    responder().Answer(responder().requests[1], {{kOidB, Int(2)}});
    ASSERT_TRUE(PumpUntil([&] { return !owner.calls.empty(); }));
    PumpFor(200);
    EXPECT_EQ(owner.calls.size(), 1u);
    EXPECT_EQ(GetSnmpDllDlg(), nullptr);
    SnmpInit(QCoreApplication::instance());
    SetSnmpTimeout(500);

    // The same from a time-out tick.
    owner.calls.clear();
    SendSnmpMsg(NewRequest(&owner, KX_PDU_GET, {kOidA}));
    GetSnmpSocket()->m_pendingList.front()->m_timeSent -= 10;
    GetSnmpDllDlg()->OnTimer(1);
    EXPECT_EQ(owner.calls.size(), 1u);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SnmpInit(QCoreApplication::instance());
}

TEST_F(TrackingTest, PacketLogIsOffUntilSwitchedOnThenHoldsEveryMessage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));

    Owner owner;
    EXPECT_FALSE(GetSnmpSocket()->m_bLogPackets);
    SendSnmpMsg(NewRequest(&owner, KX_PDU_GET, {kOidA}));
    ASSERT_TRUE(responder().WaitRequests(1));
    responder().Answer(responder().requests[0], {{kOidA, Int(1)}});
    ASSERT_TRUE(PumpUntil([&] { return owner.calls.size() == 1; }));
    EXPECT_FALSE(QFile::exists(QStringLiteral("snmp.log")));

    GetSnmpSocket()->m_bLogPackets = true;
    const std::uint32_t id = SendSnmpMsg(NewRequest(&owner, KX_PDU_GETNEXT, {kOidB}));
    ASSERT_TRUE(responder().WaitRequests(2));
    responder().Answer(responder().requests[1], {{kOidC, Tlv(0x04, "bench")}});
    ASSERT_TRUE(PumpUntil([&] { return owner.calls.size() == 2; }));
    SendSnmpMsg(NewRequest(&owner, KX_PDU_GET, {kOidA}, true, QStringLiteral("999.1.1.1")));  // failed send

    const CSnmpLogContents log = ReadSnmpLog(QStringLiteral("snmp.log"));
    QDir::setCurrent(previous);
    ASSERT_TRUE(log.bComplete) << log.strError.toStdString();
    ASSERT_EQ(log.messages.size(), 3u);
    EXPECT_EQ(log.messages[0]->m_wPduType, KX_PDU_GETNEXT);
    EXPECT_EQ(log.messages[0]->m_pPdu->m_dwRequestId, id);
    EXPECT_EQ(log.messages[0]->m_pPdu->m_varBindList.at(0)->m_strOid, kOidB);
    EXPECT_EQ(log.messages[1]->m_wPduType, KX_PDU_RESPONSE);  // the received datagram
    EXPECT_EQ(log.messages[1]->m_strIpAddr, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(log.messages[1]->m_pPdu->m_varBindList.at(0)->GetBytes(), QByteArray("bench"));
    EXPECT_EQ(log.messages[2]->m_strIpAddr, QStringLiteral("999.1.1.1"));
}

TEST_F(TrackingTest, SendFromAnotherThreadIsRefused)
{
    Owner owner;
    CSnmpMsg* msg = NewRequest(&owner, KX_PDU_GET, {kOidA});
    std::thread([msg] { SendSnmpMsg(msg); }).join();
    ASSERT_EQ(owner.calls.size(), 1u);
    EXPECT_EQ(owner.calls[0].code, KX_E_SOCKET);
    EXPECT_TRUE(GetSnmpSocket()->m_pendingList.empty());
    PumpFor(100);
    EXPECT_TRUE(responder().requests.empty());
}
