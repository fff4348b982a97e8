// The status poller and the lamp painting against tqx-sim: link walk results per port (speed rule,
// combo ports and fibre twins), PoE mode, budget and texts, changes followed within two cycles, the
// blink seen in the window image, pages pausing the poller, and a device that stops answering.
#include "mainwin_support.h"

#include "panel/MyBitmapApp.h"
#include "panel/PanelDeviceThread.h"
#include "sim/SimControl.h"

#include <QImage>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

using namespace mainwintest;

namespace {

std::string ControlPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / (std::string(name) + "-" + std::to_string(::getpid()))).string();
}

// Waits for n more walks to end after the current count.
bool WaitPolls(CModuleDlg& dlg, int n, int ms = 30000)
{
    const int target = dlg.PollCount() + n;
    return WaitFor([&] { return dlg.PollCount() >= target; }, ms);
}

int PortState(CModuleDlg& dlg, int nObject)
{
    const CVirtualDev* p = dlg.GetRoot().FindNthChild("CPort", nObject);
    return p ? p->GetStatus() : -1;
}

QImage LampImage(CModuleDlg& dlg, int nObject)
{
    const QImage window = dlg.grab().toImage();
    const QPoint corner = dlg.LampCorner(nObject) + dlg.ClientRect().topLeft();
    return window.copy(QRect(corner, QSize(6, 4)));
}

// The device timing, for the cases about how walks and cycles overlap.
constexpr int kDeviceTiming = 0;

// A window polling tqx-sim over SNMPv1, or SNMPv3 as the pages' user; the cycle's pause unit is
// 50 ms unless a case needs the device timing.
struct SimWindow {
    std::string control;
    tqxtest::SimAgent sim;
    KitFolder kit;
    std::unique_ptr<CModuleDlg> dlg;
    SimWindow(const std::string& model, const std::string& name, std::vector<std::string> extra = {}, bool bV3 = false,
              int nStepMs = 50)
        : control(ControlPath((name + (bV3 ? "-v3" : "")).c_str())),
          sim(model, [&] {
              extra.insert(extra.end(), {"--control", control});
              if (bV3)
                  for (const std::string& a : tqxtest::kPagesUser.SimArgs())
                      extra.push_back(a);
              return extra;
          }()),
          kit(model)
    {
        App();
        g_nPollStepMs = nStepMs;
        UseAgent(sim.port(), bV3);
        dlg = std::make_unique<CModuleDlg>(KitDir(model) + QStringLiteral("/User.ini"));
        dlg->OnInitDialog();
        dlg->show();
    }
    ~SimWindow()
    {
        dlg.reset();
        g_nPollStepMs = 0;
    }
    bool Control(const std::string& command)
    {
        std::string answer;
        const bool ok = SimControl(control, command, &answer);
        EXPECT_TRUE(ok) << command << ": " << answer;
        return ok;
    }
};

void CheckLinkWalk(bool bV3)
{
    SimWindow w("TQX-8800", "poller-link", {}, bV3);
    ASSERT_TRUE(w.sim.ok());
    CModuleDlg& dlg = *w.dlg;
    ASSERT_EQ(dlg.portNum(), 24);
    ASSERT_TRUE(WaitPolls(dlg, 1));
    // Changes made now show within two cycles.
    ASSERT_TRUE(w.Control("speed 5 100"));
    ASSERT_TRUE(w.Control("speed 22 100"));
    ASSERT_TRUE(w.Control("admin 3 down"));
    ASSERT_TRUE(w.Control("link 7 down"));
    ASSERT_TRUE(w.Control("medium 23 3"));
    ASSERT_TRUE(WaitPolls(dlg, 2));

    const struct {
        int port;
        int led;    // lamp mode
        int state;  // state of its port object
        int media;  // 0: whatever copper medium the device reports
    } cases[] = {
        {5, 1, PORT_LINK10, 0},   // 100 Mb/s is the top speed of a copper port
        {22, 0, PORT_LINK100, 0}, // a combo port's top speed is 1 Gb/s
        {21, 1, PORT_LINK10, 0},
        {3, 2, PORT_DISABLED, 0},
        {7, 3, PORT_ENABLE, 0},
        {23, 0, PORT_ENABLE, 3},  // the link is on the fibre twin: the copper port shows no link
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        EXPECT_EQ(dlg.LedState(c.port - 1), c.led);
        EXPECT_EQ(PortState(dlg, c.port - 1), c.state);
        if (c.media)
            EXPECT_EQ(dlg.PortMedia(c.port - 1), c.media);
        else
            EXPECT_NE(dlg.PortMedia(c.port - 1), 3);
    }
    // The twin of port 23 (port object 23 + 4 - 1) carries its link state; the other twins none.
    EXPECT_EQ(PortState(dlg, 26), PORT_LINK100);
    EXPECT_EQ(PortState(dlg, 24), PORT_ENABLE);
    EXPECT_TRUE(dlg.IsBlinkTimerActive());

    // Bringing a port down changes its lamp within two cycles.
    ASSERT_TRUE(w.Control("link 5 down"));
    ASSERT_TRUE(WaitPolls(dlg, 2));
    EXPECT_EQ(dlg.LedState(4), 3);
    EXPECT_EQ(PortState(dlg, 4), PORT_ENABLE);
}

TEST(Poller, LinkWalkGivesLampModesAndPortStates)
{
    for (const bool bV3 : {false, true}) {
        SCOPED_TRACE(bV3 ? "SNMPv3" : "SNMPv1");
        CheckLinkWalk(bV3);
    }
}

TEST(Poller, CommaListsSplitAndStayAligned)
{
    QString head = QStringLiteral("unchanged"), rest = QStringLiteral("unchanged");
    EXPECT_FALSE(SplitFirst(QStringLiteral("no separator"), QLatin1Char(','), head, rest));
    EXPECT_EQ(head, QStringLiteral("unchanged"));
    EXPECT_TRUE(SplitFirst(QStringLiteral("12,3,"), QLatin1Char(','), head, rest));
    EXPECT_EQ(head, QStringLiteral("12"));
    EXPECT_EQ(rest, QStringLiteral("3,"));
    // A device text with commas of its own stays one entry of the list.
    EXPECT_EQ(ListEntry(QStringLiteral("POWER ON, class 3")), QStringLiteral("POWER ON class 3"));
}

TEST(Poller, ShowLinkStatusRules)
{
    SimWindow w("TQX-8800", "poller-rules");
    ASSERT_TRUE(w.sim.ok());
    CModuleDlg& dlg = *w.dlg;
    dlg.close();  // the poller stops; what follows is applied by hand
    ASSERT_FALSE(dlg.IsPolling());
    g_bIsAllGiga = 0;
    // Ports: 1 gig copper (below top), 2 row without number, 25 beyond the front ports.
    dlg.ShowLinkStatus("1,0,25,9,", "1,1,1,1,", "1,1,1,1,", "1000000000,100000000,100000000,10000000,", "1,1,1,1,");
    EXPECT_EQ(dlg.LedState(0), 0);   // 1 Gb/s is not the 100 Mb/s top speed of a copper port: only "equal" counts
    EXPECT_EQ(dlg.LedState(8), 0);
    EXPECT_EQ(dlg.LedState(24), 3);  // nothing written beyond the front ports
    g_bIsAllGiga = 1;
    dlg.ShowLinkStatus("9,", "1,", "1,", "1000000000,", "1,");
    EXPECT_EQ(dlg.LedState(8), 1);
    EXPECT_EQ(PortState(dlg, 8), PORT_LINK10);

    dlg.ShowPoeStatus("1,2,3,4,", "POWER ON,POWER OFF,Time-based OFF,searching,");
    const int expected[] = {1, 2, 2, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dlg.LedState(i), expected[i]) << i;
        EXPECT_EQ(PortState(dlg, i), expected[i]) << i;
        EXPECT_EQ(dlg.PortMedia(i), 2) << i;
    }
    EXPECT_EQ(PortState(dlg, 10), PORT_DISABLED);  // port 1 of a PoE walk switches the rest off first
}

TEST(Poller, PoeModelFollowsDisplayMode)
{
    SimWindow w("TQX-8810P", "poller-poe");
    ASSERT_TRUE(w.sim.ok());
    CModuleDlg& dlg = *w.dlg;
    ASSERT_EQ(dlg.portNum(), 10);
    ASSERT_TRUE(WaitPolls(dlg, 1));
    EXPECT_TRUE(dlg.LedPoeMode());
    EXPECT_FALSE(dlg.IsPowMax());

    // The power-budget warning: 7 W or less left turns it on, more turns it off again.
    {
        TraceRecorder trace;
        const auto traced = [&](const char* text) {
            const auto lines = trace.lines();
            return std::find(lines.begin(), lines.end(), text) != lines.end();
        };
        ASSERT_TRUE(w.Control("set 1.3.6.1.4.1.32473.10.75.6.22.6.0 4 7.0"));
        EXPECT_TRUE(WaitFor([&] { return dlg.IsPowMax(); }, 30000));
        EXPECT_TRUE(WaitFor([&] { return traced("pThis->m_BIsPowMax = TRUE"); }, 5000));  // traced after the flag is set
        ASSERT_TRUE(w.Control("set 1.3.6.1.4.1.32473.10.75.6.22.6.0 4 7.1"));
        EXPECT_TRUE(WaitFor([&] { return !dlg.IsPowMax(); }, 30000));
        EXPECT_TRUE(WaitFor([&] { return traced("pThis->m_BIsPowMax = FALSE"); }, 5000));  // traced after the flag is set
    }
    const QImage linkMode = dlg.grab().toImage();

    // PoE display mode.
    ASSERT_TRUE(w.Control("set 1.3.6.1.4.1.32473.10.75.6.22.8.0 2 2"));
    ASSERT_TRUE(w.Control("poe 3 off"));
    ASSERT_TRUE(WaitFor([&] { return !dlg.LedPoeMode() && dlg.PortMedia(0) == 2; }, 30000));
    ASSERT_TRUE(WaitPolls(dlg, 1));
    EXPECT_EQ(dlg.LedState(0), 1);  // "POWER ON"
    EXPECT_EQ(dlg.LedState(2), 2);  // "POWER OFF"
    EXPECT_EQ(PortState(dlg, 2), PORT_DISABLED);
    // The two mode indicators swap places.
    const QImage poeMode = dlg.grab().toImage();
    const QPoint top = QPoint(81, 42) + dlg.ClientRect().topLeft();
    const QPoint bottom = QPoint(81, 55) + dlg.ClientRect().topLeft();
    ASSERT_NE(g_pMyBitmapApp->Find(191), nullptr);
    const QSize size = g_pMyBitmapApp->Find(191)->size();
    EXPECT_NE(linkMode.copy(QRect(top, size)), poeMode.copy(QRect(top, size)));
    EXPECT_EQ(linkMode.copy(QRect(top, size)), poeMode.copy(QRect(bottom, size)));
    EXPECT_EQ(linkMode.copy(QRect(bottom, size)), poeMode.copy(QRect(top, size)));
}

TEST(Poller, SlowPoeWalkMakesLaterCyclesSkip)
{
    SimWindow w("TQX-8810P", "poller-skip", {}, false, kDeviceTiming);
    ASSERT_TRUE(w.sim.ok());
    CModuleDlg& dlg = *w.dlg;
    ASSERT_TRUE(w.Control("set 1.3.6.1.4.1.32473.10.75.6.22.8.0 2 2"));
    ASSERT_TRUE(WaitFor([&] { return dlg.PortMedia(0) == 2; }, 30000));
    // 900 ms an answer: the mode read times out (the mode stays), each walk step just makes its
    // 1000 ms, and the walk outlasts a cycle, so the next cycles are skipped while it runs.
    g_nWalkSkips = 0;
    ASSERT_TRUE(w.Control("delay 900"));
    ASSERT_TRUE(WaitFor([&] { return g_nWalkSkips.load() > 0; }, 30000));
    EXPECT_TRUE(dlg.IsWalkBusy());
    EXPECT_LE(g_nWalkSkips.load(), 3);
    // The slow walk still completes and is applied.
    const int nBefore = dlg.PollCount();
    ASSERT_TRUE(WaitFor([&] { return dlg.PollCount() > nBefore; }, 30000));
    EXPECT_FALSE(dlg.LedPoeMode());
    EXPECT_EQ(dlg.LedState(0), 1);
    EXPECT_EQ(dlg.PortMedia(0), 2);
}

// A switch slow enough that the link walk outlasts a cycle: the cycles skip while it runs instead of
// starting it again, so it completes and its states show.
TEST(Poller, SlowLinkWalkIsLetFinish)
{
    SimWindow w("TQX-8800", "poller-slow-link", {}, false, 100);
    ASSERT_TRUE(w.sim.ok());
    CModuleDlg& dlg = *w.dlg;
    ASSERT_TRUE(WaitPolls(dlg, 1));
    // 50 ms an answer: some 26 steps take about 1.3 s, a cycle 1.1 s, a skipped cycle 0.3 s.
    ASSERT_TRUE(w.Control("delay 50"));
    ASSERT_TRUE(w.Control("link 7 down"));
    g_nWalkSkips = 0;
    const int nBefore = dlg.PollCount();
    int nMaxSkips = 0;
    ASSERT_TRUE(WaitFor([&] {
        nMaxSkips = std::max(nMaxSkips, g_nWalkSkips.load());
        return dlg.PollCount() > nBefore + 1;
    }, 30000));
    EXPECT_GT(nMaxSkips, 0);
    EXPECT_LE(nMaxSkips, 3);
    EXPECT_EQ(dlg.LedState(6), 3);  // port 7 without link
    EXPECT_EQ(dlg.LedState(0), 1);
}

TEST(Poller, FourthCycleGoesAheadWhileAWalkStillRuns)
{
    SimWindow w("TQF-8828P", "poller-forced", {}, false, kDeviceTiming);
    ASSERT_TRUE(w.sim.ok());
    CModuleDlg& dlg = *w.dlg;
    ASSERT_TRUE(w.Control("set 1.3.6.1.4.1.32473.10.75.6.22.8.0 2 2"));
    ASSERT_TRUE(WaitFor([&] { return dlg.PortMedia(0) == 2; }, 30000));
    // 700 ms an answer: each step of the walk over 24 PoE ports makes its 1000 ms, and the walk
    // outlasts four cycles. Three cycles are skipped, then the fourth goes ahead although the walk
    // still runs: the count starts again while the window never stopped being busy.
    ASSERT_TRUE(w.Control("delay 700"));
    ASSERT_TRUE(WaitFor([&] { return g_nWalkSkips.load() > 0; }, 30000));
    bool bIdleBetween = false;
    int nMaxSkips = 0;
    EXPECT_TRUE(WaitFor([&] {
        nMaxSkips = std::max(nMaxSkips, g_nWalkSkips.load());
        bIdleBetween = bIdleBetween || !dlg.IsWalkBusy();
        return nMaxSkips == 3 && g_nWalkSkips.load() == 0;
    }, 30000)) << "skips seen: " << nMaxSkips;
    EXPECT_FALSE(bIdleBetween);
    // A prompt device again: the walks complete and are applied.
    ASSERT_TRUE(w.Control("delay 0"));
    ASSERT_TRUE(WaitPolls(dlg, 1));
    EXPECT_EQ(dlg.PortMedia(0), 2);
}

TEST(Poller, FanFaultShowsItsIndicator)
{
    SimWindow w("TQX-8848", "poller-fan");
    ASSERT_TRUE(w.sim.ok());
    CModuleDlg& dlg = *w.dlg;
    ASSERT_TRUE(WaitPolls(dlg, 1));
    ASSERT_EQ(dlg.FanState(), QStringLiteral("1"));
    const QPoint at = QPoint(55, 33) + dlg.ClientRect().topLeft();
    ASSERT_NE(g_pMyBitmapApp->Find(190), nullptr);
    const QRect rc(at, g_pMyBitmapApp->Find(190)->size());
    const QImage good = dlg.grab().toImage().copy(rc);
    ASSERT_TRUE(w.Control("fan fault"));
    ASSERT_TRUE(WaitFor([&] { return dlg.FanState() == QStringLiteral("2"); }, 20000));
    WaitFor([] { return false; }, 100);
    EXPECT_NE(dlg.grab().toImage().copy(rc), good);
    ASSERT_TRUE(w.Control("fan ok"));
    ASSERT_TRUE(WaitFor([&] { return dlg.FanState() == QStringLiteral("1"); }, 20000));
    WaitFor([] { return false; }, 100);
    EXPECT_EQ(dlg.grab().toImage().copy(rc), good);
}

TEST(Poller, LampsBlinkInOppositePhases)
{
    SimWindow w("TQX-8800", "poller-blink");
    ASSERT_TRUE(w.sim.ok());
    CModuleDlg& dlg = *w.dlg;
    ASSERT_TRUE(WaitPolls(dlg, 1));
    dlg.close();  // keep the tables still
    dlg.show();
    // Port 1 links at its top speed (mode 1), port 5 below it (mode 0, 10 Mb/s), port 3 is known.
    ASSERT_EQ(dlg.LedState(0), 1);
    ASSERT_EQ(dlg.LedState(4), 0);
    g_bBlinkPhase = false;
    const QImage a1 = LampImage(dlg, 0), a5 = LampImage(dlg, 4);
    dlg.OnTimer(CModuleDlg::kBlinkTimerId);
    ASSERT_TRUE(g_bBlinkPhase);
    const QImage b1 = LampImage(dlg, 0), b5 = LampImage(dlg, 4);
    dlg.OnTimer(CModuleDlg::kBlinkTimerId);
    EXPECT_NE(a1, b1);
    EXPECT_NE(a5, b5);
    EXPECT_EQ(LampImage(dlg, 0), a1);
    // Mode 1 shows its picture in phase false, mode 0 in phase true: the lamps alternate oppositely,
    // and a lamp that blinks shows the steady picture in its other phase.
    const QImage steadyOdd = b1;  // port 1 (odd) at rest
    EXPECT_EQ(a5, LampImage(dlg, 4));
    EXPECT_NE(steadyOdd, a1);
    // An idle lamp does not change.
    dlg.OnTimer(CModuleDlg::kBlinkTimerId);
    const QImage idle = LampImage(dlg, 25);  // a fibre twin without link
    dlg.OnTimer(CModuleDlg::kBlinkTimerId);
    EXPECT_EQ(idle, LampImage(dlg, 25));
}

TEST(Poller, NoRequestsWhileAPageIsOpen)
{
    SimWindow w("TQX-8800", "poller-page", {"--log-requests"});
    ASSERT_TRUE(w.sim.ok());
    CModuleDlg& dlg = *w.dlg;
    ASSERT_TRUE(WaitPolls(dlg, 1));
    std::string during;
    CModuleDlg::RegisterPage(CModuleDlg::ID_SYSTEM_INFO, [&](QWidget* pParent) {
        auto page = std::make_unique<QDialog>(pParent);
        QDialog* p = page.get();
        // A walk in flight when the page opens may finish; then nothing more is asked for a cycle.
        // Then at least four cycles of 550 ms pass with the page open.
        QTimer::singleShot(1500, p, [&] { w.sim.process().clearOutput(); });
        QTimer::singleShot(1500 + 2500, p, [&, p] {
            during = w.sim.process().output();
            p->accept();
        });
        return page;
    });
    const int nBefore = dlg.LedState(0);
    dlg.OnCommand(CModuleDlg::ID_SYSTEM_INFO);
    CModuleDlg::RegisterPage(CModuleDlg::ID_SYSTEM_INFO, {});
    EXPECT_EQ(during.find("request "), std::string::npos) << during;
    EXPECT_EQ(dlg.LedState(0), nBefore);
    // Polling goes on after the page.
    EXPECT_TRUE(WaitPolls(dlg, 1));
}

void CheckDeviceThatStopsAnswering(bool bV3)
{
    // A cycle shorter than the slow walk below would restart it: the device timing here.
    SimWindow w("TQX-8800", "poller-gone", {"--log-requests"}, bV3, kDeviceTiming);
    ASSERT_TRUE(w.sim.ok());
    CModuleDlg& dlg = *w.dlg;
    ASSERT_TRUE(WaitPolls(dlg, 1));
    ASSERT_EQ(dlg.LedState(0), 1);
    // Slow answers stretch the walk; then the device goes silent in the middle of it: the drop
    // starts once the walk has asked for the row after port 8 (of 24), 150 ms a step.
    ASSERT_TRUE(w.Control("delay 150"));
    const std::string kAfterRow8 = "pdu=GETNEXT oids=1.3.6.1.2.1.2.2.1.3.8,";
    const std::string kAfterLastRow = "pdu=GETNEXT oids=1.3.6.1.2.1.2.2.1.3.24,";
    w.sim.process().clearOutput();
    ASSERT_TRUE(w.sim.process().waitForOutput(kAfterRow8, std::chrono::seconds(20))) << w.sim.process().output().substr(0, 3000);
    const int nPolls = dlg.PollCount();
    ASSERT_TRUE(w.Control("drop 1"));
    ASSERT_TRUE(WaitFor([&] { return dlg.PollCount() > nPolls; }, 20000));
    // That walk ended on the silence, short of the table's end, and took the lamps with it.
    EXPECT_EQ(w.sim.process().output().find(kAfterLastRow), std::string::npos) << w.sim.process().output();
    EXPECT_EQ(dlg.LedState(0), 3);
    for (int i = 0; i < CModuleDlg::kLedStates; ++i)
        ASSERT_EQ(dlg.LedState(i), 3) << i;
    EXPECT_EQ(PortState(dlg, 0), PORT_ENABLE);
    const QImage before = LampImage(dlg, 0);
    dlg.OnTimer(CModuleDlg::kBlinkTimerId);
    EXPECT_EQ(before, LampImage(dlg, 0));

    TraceRecorder trace;
    QElapsedTimer timer;
    timer.start();
    dlg.close();
    dlg.DestroyWindow();
    EXPECT_LT(timer.elapsed(), 15000);  // generous: bounded, not a speed figure
    EXPECT_FALSE(dlg.IsPolling());
    std::vector<std::string> closes;
    for (const std::string& line : trace.lines())
        if (line.rfind("==================", 0) == 0)
            closes.push_back(line);
    EXPECT_EQ(closes, (std::vector<std::string>{
        "==================DestroyWindow===============",
        "==================m_cCommonSNMP.Close===============",
        "==================m_cCommonSNMPset.Close===============",
        "==================m_cCommonSNMPFan.Close===============",
        "==================m_cCommonSNMPPoe.Close===============",
        "==================m_cCommonSNMPDevStat.Close===============",
        "==================m_cCommonSNMPPoeStat.Close===============",
    }));
}

TEST(Poller, DeviceThatStopsAnsweringLeavesLampsSteadyAndClosesInTime)
{
    // Over SNMPv3 the agent has been discovered and has answered whole walks before it goes silent.
    for (const bool bV3 : {false, true}) {
        SCOPED_TRACE(bV3 ? "SNMPv3" : "SNMPv1");
        CheckDeviceThatStopsAnswering(bV3);
    }
}

} // namespace
