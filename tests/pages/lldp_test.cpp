// The LLDP pages against tqx-sim: the global page's read, its refusals (nothing sent) and its writes
// read back; the MED page's span of per-port writes and its state with the agent disabled; the
// remote page showing what the agent's remote table holds, following the control channel's
// neighbours and links, and staying empty over SNMPv3.
#include "pages/common/MessageBox.h"
#include "pages/lldp/LldpGlobalDlg.h"
#include "pages/lldp/LldpMedDlg.h"
#include "pages/lldp/LldpOids.h"
#include "pages/lldp/LldpRemoteDlg.h"

#include "MessageRecorder.h"
#include "config_support.h"

#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <regex>

using namespace viewstest;
using namespace configtest;
using tqxtest::App;
using tqxtest::CMessageRecorder;
using tqxtest::WaitFor;

namespace {

const std::string L = "1.3.6.1.4.1.32473.10.75.6.24.";
const std::string kRem = "1.0.8802.1.1.2.1.4.1.1";
using G = CLldpGlobalDlg;
using M = CLldpMedDlg;
using R = CLldpRemoteDlg;

std::string Edit(const QWidget& page, int nId)
{
    const auto* p = FindControl<QLineEdit>(&page, nId);
    return p ? p->text().toStdString() : "<no edit>";
}

QComboBox* Combo(QWidget& page, int nId)
{
    return FindControl<QComboBox>(&page, nId);
}

bool ControlEnabled(const QWidget& page, int nId)
{
    const auto* p = FindControl<QWidget>(&page, nId);
    return p && p->isEnabled();
}

bool GlobalRead(const CLldpGlobalDlg& page)
{
    return WaitFor([&] { return !page.IsReading() && Enabled(page, G::IDC_APPLY_STATE); }, 20000);
}

// The remote table as net-snmp's snmpwalk sees it: per row (in walk order) the local port and the
// system name, as the page shows them.
std::vector<std::vector<std::string>> NetSnmpRemote(std::uint16_t port)
{
    const std::string out = tqxtest::ToolOutput(
        QStringLiteral("snmpwalk"), {QStringLiteral("-v1"), QStringLiteral("-c"), QStringLiteral("public"),
                                     QStringLiteral("-On"), QStringLiteral("127.0.0.1:%1").arg(port),
                                     QString::fromStdString(kRem + ".9")});
    std::vector<std::vector<std::string>> rows;
    const std::regex line("\\.1\\.0\\.8802\\.1\\.1\\.2\\.1\\.4\\.1\\.1\\.9\\.\\d+\\.(\\d+)\\.\\d+ = STRING: \"?([^\"\\n]*)\"?");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it)
        rows.push_back({(*it)[1].str(), (*it)[2].str()});
    return rows;
}

// The page's rows cut to port and system name.
std::vector<std::vector<std::string>> PortAndName(const Rows& rows)
{
    std::vector<std::vector<std::string>> cut;
    for (const auto& row : rows)
        cut.push_back({row.at(0), row.at(7)});
    return cut;
}

} // namespace

TEST(Lldp, SubtypeTexts)
{
    EXPECT_EQ(LldpChassisSubtypeText("1"), "chassisComponent");
    EXPECT_EQ(LldpChassisSubtypeText("4"), "macAddress");
    EXPECT_EQ(LldpChassisSubtypeText("7"), "local");
    EXPECT_EQ(LldpPortSubtypeText("3"), "macAddress");
    EXPECT_EQ(LldpPortSubtypeText("5"), "interfaceName");
    EXPECT_EQ(LldpPortSubtypeText("6"), "agentCircuitld");
    for (const char* other : {"0", "8", "", "x"}) {
        EXPECT_EQ(LldpChassisSubtypeText(other), other);
        EXPECT_EQ(LldpPortSubtypeText(other), other);
    }
    EXPECT_EQ(R::LocalPortOfSuffix("1234.23.7"), "23");
    EXPECT_EQ(R::LocalPortOfSuffix("7"), "");
}

// The nine values: the agent's settings and the local system (chassis id in hex).
TEST(LldpGlobal, ShowsTheAgentAndTheLocalSystem)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    ASSERT_TRUE(sw.Control({"set 1.3.6.1.2.1.1.5.0 4 access-3f", "set " + L + "2.0 2 6"}));
    tqxtest::UseAgent(sw.port(), false, "2000");
    CLldpGlobalDlg page;
    page.show();
    ASSERT_TRUE(GlobalRead(page));
    EXPECT_EQ(page.windowTitle(), "LLDP Global Settings");
    EXPECT_TRUE(Checked(page, G::IDC_ENABLE));
    EXPECT_EQ(Edit(page, G::IDC_TX_HOLD), "6");
    EXPECT_EQ(Edit(page, G::IDC_TX_INTERVAL), "30");
    EXPECT_EQ(Edit(page, G::IDC_REINIT_DELAY), "2");
    EXPECT_EQ(Edit(page, G::IDC_TX_DELAY), "2");
    EXPECT_EQ(Edit(page, G::IDC_CHASSIS_SUBTYPE), "macAddress");
    EXPECT_EQ(Edit(page, G::IDC_CHASSIS_ID), "025451010000");
    EXPECT_EQ(Edit(page, G::IDC_SYSTEM_NAME), "access-3f");
    EXPECT_EQ(Edit(page, G::IDC_SYSTEM_DESCRIPTION), "TQX-8800 24-Port 10/100Mbps + 4 Gigabit Combo Managed Switch");
    page.reject();
}

// Every check of the parameters, in its order: its message and no SET. Then values that pass go in
// one SET and the page reads them back.
TEST(LldpGlobal, ChecksStopTheWriteAndGoodValuesAreReadBack)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    CMessageRecorder boxes(true);
    CLldpGlobalDlg page;
    page.show();
    ASSERT_TRUE(GlobalRead(page));
    const struct {
        const char *hold, *interval, *reinit, *delay, *message;
    } cases[] = {
        {"11", "30", "2", "2", "The Message TX Hold Multipier should be 2-10"},
        {"1", "30", "2", "2", "The Message TX Hold Multipier should be 2-10"},
        {"", "30", "2", "2", "The Message TX Hold Multipier should be 2-10"},
        {"4", "4", "2", "2", "The Message TX Hold Multipier should be 5-32768 "},
        {"4", "32769", "2", "2", "The Message TX Hold Multipier should be 5-32768 "},
        {"4", "30", "0", "2", "The LLDP Reinit Delay should be 1-10"},
        {"4", "30", "11", "2", "The LLDP Reinit Delay should be 1-10"},
        {"4", "30", "2", "0", "The LLDP TX Delay should be 1-8192"},
        {"4", "30", "2", "8193", "The LLDP TX Delay should be 1-8192"},
        {"4", "30", "2", "8", "LLDP TX Delay should be <= 0.25 * (Message TX Interval)"},
        // The first failed check speaks, whatever follows.
        {"11", "4", "0", "0", "The Message TX Hold Multipier should be 2-10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.hold) + "/" + c.interval + "/" + c.reinit + "/" + c.delay);
        SetText(page, G::IDC_TX_HOLD, c.hold);
        SetText(page, G::IDC_TX_INTERVAL, c.interval);
        SetText(page, G::IDC_REINIT_DELAY, c.reinit);
        SetText(page, G::IDC_TX_DELAY, c.delay);
        boxes.clear();
        sw.ClearLog();
        Click(page, G::IDC_APPLY_PARAMETERS);
        EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
    }
    EXPECT_TRUE(sw.Sets().empty());

    // Interval 30 takes a delay of 7.
    boxes.clear();
    SetText(page, G::IDC_TX_HOLD, "5");
    SetText(page, G::IDC_TX_INTERVAL, "30");
    SetText(page, G::IDC_REINIT_DELAY, "3");
    SetText(page, G::IDC_TX_DELAY, "7");
    Click(page, G::IDC_APPLY_PARAMETERS);
    EXPECT_TRUE(boxes.texts.empty());
    const auto sets = sw.Sets(1);
    ASSERT_EQ(sets.size(), 1u);
    for (const char* o : {"2.0", "3.0", "4.0", "5.0"})
        EXPECT_NE(sets[0].find(L + o), std::string::npos) << o << ": " << sets[0];
    EXPECT_EQ(SnmpGetHex(sw.port(), L + "2.0"), "5");
    EXPECT_EQ(SnmpGetHex(sw.port(), L + "4.0"), "3");
    EXPECT_EQ(SnmpGetHex(sw.port(), L + "5.0"), "7");
    // What the page shows is read from the switch: change it there, and the next write's read shows it.
    ASSERT_TRUE(sw.Control({"set " + L + "3.0 2 40"}));
    ASSERT_TRUE(GlobalRead(page));
    Click(page, G::IDC_APPLY_STATE);
    ASSERT_TRUE(GlobalRead(page));
    EXPECT_EQ(Edit(page, G::IDC_TX_INTERVAL), "40");
    EXPECT_EQ(Edit(page, G::IDC_TX_HOLD), "5");
    page.reject();
}

// A write the switch does not answer is sent three times, a second apart, and says nothing; one that
// is answered is sent once.
TEST(LldpGlobal, AnUnansweredWriteIsTriedThreeTimes)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "300");
    CMessageRecorder boxes(true);
    CLldpGlobalDlg page;
    page.show();
    ASSERT_TRUE(GlobalRead(page));
    ASSERT_TRUE(sw.Control({"drop 1"}));
    sw.ClearLog();
    FindControl<QCheckBox>(&page, G::IDC_ENABLE)->setChecked(false);
    Click(page, G::IDC_APPLY_STATE);
    EXPECT_EQ(sw.Sets(3).size(), 3u);
    ASSERT_TRUE(sw.Control({"drop 0"}));
    ASSERT_TRUE(WaitFor([&] { return !page.IsReading() && Enabled(page, G::IDC_APPLY_STATE); }, 20000));
    sw.ClearLog();
    FindControl<QCheckBox>(&page, G::IDC_ENABLE)->setChecked(false);
    Click(page, G::IDC_APPLY_STATE);
    ASSERT_TRUE(GlobalRead(page));
    EXPECT_EQ(sw.Sets(1).size(), 1u);
    EXPECT_FALSE(Checked(page, G::IDC_ENABLE));
    EXPECT_EQ(SnmpGetHex(sw.port(), L + "1.0"), "2");
    EXPECT_TRUE(boxes.texts.empty());
    page.reject();
}

// The state write disables the agent; the MED page then says so and keeps its controls off; enabled
// again, the page works.
TEST(LldpMed, DisabledAgentKeepsThePageOff)
{
    App();
    Switch sw("TQX-8810P");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 10;
    CMessageRecorder boxes(true);
    {
        CLldpGlobalDlg page;
        page.show();
        ASSERT_TRUE(GlobalRead(page));
        FindControl<QCheckBox>(&page, G::IDC_ENABLE)->setChecked(false);
        Click(page, G::IDC_APPLY_STATE);
        ASSERT_TRUE(GlobalRead(page));
        EXPECT_FALSE(Checked(page, G::IDC_ENABLE));
        EXPECT_EQ(SnmpGetHex(sw.port(), L + "1.0"), "2");
        page.reject();
    }
    {
        CLldpMedDlg page;
        page.show();
        EXPECT_TRUE(WaitFor([&] { return !page.IsReading() && ListRows(page, M::IDC_LIST).size() == 8; }, 20000));
        EXPECT_EQ(boxes.texts, std::vector<std::string>{"The LLDP is disable ,so can not set LLDP MED !"});
        for (int id : {M::IDC_FROM_PORT, M::IDC_TO_PORT, M::IDC_TLV, M::IDC_LIST, M::IDC_APPLY, M::IDC_REFRESH})
            EXPECT_FALSE(ControlEnabled(page, id)) << id;
        page.reject();
    }
    ASSERT_TRUE(sw.Control({"set " + L + "1.0 2 1"}));
    boxes.clear();
    CLldpMedDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return !page.IsReading() && Enabled(page, M::IDC_REFRESH); }, 20000));
    EXPECT_TRUE(boxes.texts.empty());
    for (int id : {M::IDC_FROM_PORT, M::IDC_TO_PORT, M::IDC_TLV, M::IDC_LIST, M::IDC_APPLY})
        EXPECT_TRUE(ControlEnabled(page, id)) << id;
    page.reject();
}

// From port 3 to port 5 with "Enable": three SETs of value 1, one per port, read back in the list.
// A To Port below From Port is refused.
TEST(LldpMed, ASpanIsOneSetPerPort)
{
    App();
    Switch sw("TQX-8810P");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 10;
    CMessageRecorder boxes(true);
    CLldpMedDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return !page.IsReading() && Enabled(page, M::IDC_REFRESH); }, 20000));
    EXPECT_EQ(page.windowTitle(), "LLDP MED Settings");
    Rows rows = ListRows(page, M::IDC_LIST);
    ASSERT_EQ(rows.size(), 8u) << Describe(rows);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"    1", "Disable"}));
    EXPECT_EQ(Combo(page, M::IDC_FROM_PORT)->itemText(0), "   1 ");
    EXPECT_EQ(Combo(page, M::IDC_TLV)->currentText(), "Disable");

    Combo(page, M::IDC_FROM_PORT)->setCurrentIndex(2);
    emit Combo(page, M::IDC_FROM_PORT)->activated(2);
    EXPECT_EQ(Combo(page, M::IDC_TO_PORT)->currentIndex(), 2);
    Combo(page, M::IDC_TO_PORT)->setCurrentIndex(1);
    emit Combo(page, M::IDC_TO_PORT)->activated(1);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"'To Port' can not be smaller than 'From Port'"});
    EXPECT_EQ(Combo(page, M::IDC_TO_PORT)->currentIndex(), 2);
    boxes.clear();

    Combo(page, M::IDC_TO_PORT)->setCurrentIndex(4);
    Combo(page, M::IDC_TLV)->setCurrentIndex(0);
    sw.ClearLog();
    Click(page, M::IDC_APPLY);
    const auto sets = sw.Sets(3);
    ASSERT_EQ(sets.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(sets[i].find("oids=" + L + "7.1.2." + std::to_string(i + 3)), std::string::npos) << sets[i];
    for (int p = 1; p <= 8; ++p)
        EXPECT_EQ(SnmpGetHex(sw.port(), L + "7.1.2." + std::to_string(p)), p >= 3 && p <= 5 ? "1" : "2") << p;
    ASSERT_TRUE(WaitFor([&] { return !page.IsReading() && Enabled(page, M::IDC_REFRESH); }, 20000));
    rows = ListRows(page, M::IDC_LIST);
    ASSERT_EQ(rows.size(), 8u);
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(rows[r][1], r >= 2 && r <= 4 ? "Enable" : "Disable") << r;
    EXPECT_TRUE(boxes.texts.empty());
    page.reject();
}

// The rows are the agent's remote table; a neighbour added through the control channel shows after
// Refresh, and is gone once its port's link is down.
TEST(LldpRemote, ListsTheRemoteTableAndFollowsTheLinks)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    CMessageRecorder boxes(true);
    CLldpRemoteDlg page;
    page.show();
    auto read = [&](std::size_t nRows) {
        return WaitFor([&] { return !page.IsReading() && ListRows(page, R::IDC_LIST).size() == nRows; }, 20000);
    };
    ASSERT_TRUE(read(3)) << Describe(ListRows(page, R::IDC_LIST));
    Rows rows = ListRows(page, R::IDC_LIST);
    EXPECT_EQ(PortAndName(rows), NetSnmpRemote(sw.port()));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"23", "  3", "macAddress", "001CF0123456", "local", "12",
                                                 "downlink to floor 1", "core-rtr-1",
                                                 "Core router, 48 x 1G, 4 x 10G, software 4.2.7"}));
    EXPECT_EQ(rows[0][1], "  1");
    EXPECT_EQ(rows[0][4], "interfaceName");
    EXPECT_EQ(Edit(page, R::IDC_COUNT), "  3");

    ASSERT_TRUE(sw.Control({"neighbour 5 add printer-2"}));
    Click(page, R::IDC_REFRESH);
    ASSERT_TRUE(read(4));
    rows = ListRows(page, R::IDC_LIST);
    EXPECT_EQ(PortAndName(rows), NetSnmpRemote(sw.port()));
    EXPECT_EQ(rows.back()[0], "5");
    EXPECT_EQ(rows.back()[7], "printer-2");
    EXPECT_EQ(Edit(page, R::IDC_COUNT), "  4");

    ASSERT_TRUE(sw.Control({"link 5 down", "link 1 down"}));
    Click(page, R::IDC_REFRESH);
    ASSERT_TRUE(read(2));
    EXPECT_EQ(PortAndName(ListRows(page, R::IDC_LIST)),
              (std::vector<std::vector<std::string>>{{"2", "ws-eng-02"}, {"23", "core-rtr-1"}}));
    EXPECT_TRUE(boxes.texts.empty());

    // No neighbour left: the page says so.
    ASSERT_TRUE(sw.Control({"link 2 down", "link 23 down"}));
    Click(page, R::IDC_REFRESH);
    ASSERT_TRUE(WaitFor([&] { return !boxes.texts.empty(); }, 20000));
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"There is no LLDP Remote Port"});
    EXPECT_EQ(Edit(page, R::IDC_COUNT), "0");
    page.reject();
}

// Over SNMPv3 the page reads nothing and stays empty.
TEST(LldpRemote, StaysEmptyUnlessTheVersionIsOne)
{
    App();
    Switch sw("TQX-8800", tqxtest::kPagesUser.SimArgs());
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), true, "2000");
    CMessageRecorder boxes(true);
    sw.ClearLog();
    CLldpRemoteDlg page;
    page.show();
    QApplication::processEvents();
    EXPECT_TRUE(ListRows(page, R::IDC_LIST).empty());
    EXPECT_EQ(Edit(page, R::IDC_COUNT), "0");
    EXPECT_TRUE(Enabled(page, R::IDC_REFRESH));
    EXPECT_TRUE(sw.Requests().empty());
    EXPECT_TRUE(boxes.texts.empty());
    page.reject();
}
