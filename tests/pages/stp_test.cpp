// The spanning-tree pages against tqx-sim: the bridge page's read, checks and write, the port table
// as the agent holds it, the port page's Prev and Next, its trunk rule and its write.
#include "pages/common/MessageBox.h"
#include "pages/stp/StpBridgeDlg.h"
#include "pages/stp/StpOids.h"
#include "pages/stp/StpPortDlg.h"
#include "pages/stp/StpPortTableDlg.h"

#include "MessageRecorder.h"
#include "config_support.h"

#include <QComboBox>

#include <gtest/gtest.h>

using namespace viewstest;
using namespace configtest;
using tqxtest::App;
using tqxtest::CMessageRecorder;
using tqxtest::WaitFor;

namespace {

const std::string kV = "1.3.6.1.4.1.32473.10.76.10.";
const std::string kStp = "1.3.6.1.2.1.17.2.";
const std::string kStpPort = "1.3.6.1.2.1.17.2.15.1.";
const std::string kTrunk1 = kV + "8.1.3.1.2.1";
const std::string kBridgeId = "80:00:02:54:51:01:00:00";

using B = CStpBridgeDlg;
using T = CStpPortTableDlg;
using P = CStpPortDlg;

std::string Set(const std::string& oid, const std::string& tagValue)
{
    return "set " + oid + " " + tagValue;
}

QComboBox* Combo(QWidget& page, int nId)
{
    return FindControl<QComboBox>(&page, nId);
}

std::string Edit(QWidget& page, int nId)
{
    return FindControl<QLineEdit>(&page, nId)->text().toStdString();
}

bool ControlEnabled(QWidget& page, int nId)
{
    return FindControl<QWidget>(&page, nId)->isEnabled();
}

// The port table read to its end.
bool TableRead(const CStpPortTableDlg& table, std::size_t nRows)
{
    return WaitFor([&] { return !table.IsReading() && ListRows(table, T::IDC_LIST).size() == nRows; }, 20000);
}

void SetCheck(QWidget& page, int nId, bool bChecked)
{
    FindControl<QCheckBox>(&page, nId)->setChecked(bChecked);
}

} // namespace

TEST(StpPortTable, Renderings)
{
    const std::pair<const char*, const char*> states[] = {{"1", "Disabled"}, {"2", "Blocked"}, {"3", "Monitored"},
                                                          {"4", "Learn"},    {"5", "Forward"}, {"6", "Token"},
                                                          {"7", "7"},        {"", ""}};
    for (const auto& [value, text] : states)
        EXPECT_EQ(T::StatusText(value), text) << value;
    EXPECT_EQ(T::EnableText("1"), "Y");
    EXPECT_EQ(T::EnableText("2"), "N");
    EXPECT_EQ(T::OctetsText(QByteArray::fromHex("8001"), "x"), "80 01");
    EXPECT_EQ(T::OctetsText(QByteArray::fromHex("0f00025451abcdef"), "x"), "0F:00:02:54:51:AB:CD:EF");
    EXPECT_EQ(T::OctetsText(QByteArray::fromHex("800102"), "as received"), "as received");
    EXPECT_EQ(BridgeIdText(QByteArray::fromHex("8001"), "as received"), "as received");
}

// The table as the agent holds a TQX-8800's ports (every fourth without link, port 6 down, port 5
// at 10M, 21 to 24 gigabit), over SNMPv1 and SNMPv3.
TEST(StpPortTable, ShowsThePortsAsTheAgentHoldsThem)
{
    App();
    for (bool bV3 : {false, true}) {
        SCOPED_TRACE(bV3 ? "SNMPv3" : "SNMPv1");
        Switch sw("TQX-8800", bV3 ? tqxtest::kPagesUser.SimArgs() : std::vector<std::string>{});
        ASSERT_TRUE(sw.ok());
        ASSERT_TRUE(sw.Control({Set(kStpPort + "2.7", "2 64"), "link 9 down", "link 9 up"}));
        tqxtest::UseAgent(sw.port(), bV3, "2000");
        g_nDevicePortNum = 24;
        CStpPortTableDlg table;
        table.show();
        EXPECT_EQ(table.windowTitle(), "Spanning Tree Table");
        ASSERT_TRUE(TableRead(table, 24));
        const Rows rows = ListRows(table, T::IDC_LIST);
        const std::vector<std::vector<std::string>> expected = {
            {"1", "128", "200000", "Y", "Forward", kBridgeId, "0", kBridgeId, "80 01", "0"},
            {"4", "128", "200000", "Y", "Disabled", kBridgeId, "0", kBridgeId, "80 04", "0"},
            {"5", "128", "2000000", "Y", "Forward", kBridgeId, "0", kBridgeId, "80 05", "0"},
            {"6", "128", "200000", "Y", "Disabled", kBridgeId, "0", kBridgeId, "80 06", "0"},
            {"7", "64", "200000", "Y", "Forward", kBridgeId, "0", kBridgeId, "80 07", "0"},
            {"9", "128", "200000", "Y", "Forward", kBridgeId, "0", kBridgeId, "80 09", "1"},
            {"24", "128", "20000", "Y", "Disabled", kBridgeId, "0", kBridgeId, "80 18", "0"},
        };
        for (const auto& row : expected)
            EXPECT_EQ(rows.at(std::stoul(row[0]) - 1), row) << Describe(rows);
        EXPECT_EQ(Text(table, T::IDC_COUNT), "24");
        EXPECT_TRUE(Enabled(table, T::IDC_PORT_CONFIG));
        EXPECT_TRUE(Enabled(table, T::IDC_REFRESH));
        table.reject();
    }
}

// Every check of the bridge and port pages, one row each: its message (none for a trunk member left
// as it is) and no SET. Ports 3 and 4 form trunk 1.
TEST(Stp, EveryRefusalShowsItsMessageAndSendsNothing)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    ASSERT_TRUE(sw.Control({Set(kTrunk1, "4x 30000000"), Set(kV + "6.1.1.0", "2 1")})) << sw.LastError();
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    const std::string age = "Invalid Age Time value, the valid Age Time range is  (600-4000) ms !";
    const std::string delay = "Invalid Forward Delay value, the valid Forward Delay range is (400-3000) ms !";
    const std::string hello = "Invalid Hello Time value, the valid Hello Time range is (100-1000) ms !";
    const std::string helloRelation = "To set the parameters Hello Time and Max Age the following relation is to be "
                                      "satisfied: \nMax Age >= (2*(Hello Time + 1.0))";
    const std::string delayRelation = "To set the parameters Forward Delay and Max Age, the following relation is to "
                                      "be satisfied: \n2*(Forward Delay - 1) >= Max Age";
    const std::string cost = "Invalid Path Cost(1-200000000)";
    const std::string trunk = "Cannot add ports with different STP configurations to an aggregated link.";
    struct Case {
        const char* what;
        int nPort;                      // 0: the bridge page, else the port page of that port
        const char *a, *b, *c;          // bridge: max age, forward delay, hello; port: priority, cost, "Y"/"N"
        std::string message;            // "" none
    };
    const Case cases[] = {
        {"max age 599, the others out of range too", 0, "599", "100", "50", age},
        {"max age 4001", 0, "4001", "1500", "200", age},
        {"no max age", 0, "", "1500", "200", age},
        {"forward delay 399", 0, "2000", "399", "200", delay},
        {"forward delay 3001", 0, "2000", "3001", "200", delay},
        {"hello time 99", 0, "2000", "1500", "99", hello},
        {"hello time 1001", 0, "2000", "1500", "1001", hello},
        {"hello time 901 for max age 2000", 0, "2000", "1500", "901", helloRelation},
        {"forward delay 1000 for max age 2000", 0, "2000", "1000", "200", delayRelation},
        {"path cost -1", 1, "128", "-1", "Y", cost},
        {"path cost 200000001", 1, "128", "200000001", "Y", cost},
        {"trunk member, another priority", 3, "16", "200000", "Y", trunk},
        {"trunk member, another cost", 4, "128", "0", "Y", trunk},
        {"trunk member, out of STP", 3, "128", "200000", "N", trunk},
        {"trunk member as it is", 4, "128", "200000", "Y", ""},
    };
    CStpPortTableDlg table;
    table.show();
    ASSERT_TRUE(TableRead(table, 24));
    const std::vector<QStringList> rows = table.Rows();
    table.reject();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CMessageRecorder boxes;
        std::unique_ptr<CPageDlg> page;
        if (c.nPort == 0) {
            auto bridge = std::make_unique<CStpBridgeDlg>();
            bridge->show();
            ASSERT_TRUE(WaitFor([&] { return !bridge->IsReading(); }, 10000));
            ASSERT_TRUE(ControlEnabled(*bridge, B::IDC_MAX_AGE));
            SetText(*bridge, B::IDC_MAX_AGE, c.a);
            SetText(*bridge, B::IDC_FORWARD_DELAY, c.b);
            SetText(*bridge, B::IDC_HELLO_TIME, c.c);
            page = std::move(bridge);
        } else {
            auto port = std::make_unique<CStpPortDlg>(rows, c.nPort - 1);
            port->show();
            ASSERT_TRUE(WaitFor([&] { return !port->IsReadingTrunks(); }, 10000));
            ASSERT_EQ(Text(*port, P::IDC_PORT), std::to_string(c.nPort));
            Combo(*port, P::IDC_PRIORITY)->setCurrentText(c.a);
            SetText(*port, P::IDC_PATH_COST, c.b);
            SetCheck(*port, P::IDC_ENABLE, std::string(c.c) == "Y");
            page = std::move(port);
        }
        sw.ClearLog();
        Click(*page, c.nPort == 0 ? int(B::IDOK) : int(P::IDC_APPLY));
        EXPECT_EQ(boxes.texts, c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
        EXPECT_TRUE(sw.Sets().empty()) << sw.Sets().front();
        EXPECT_TRUE(page->isVisible());
        page->reject();
    }
}

// The bridge page shows the switch's state and timers; with RSTP on, the timers, priority, version
// and state go in one SET and a new page reads them back. A value the switch refuses changes nothing.
TEST(StpBridge, TimersAreWrittenAndReadBack)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    CMessageRecorder boxes;
    {
        CStpBridgeDlg page;
        page.show();
        EXPECT_EQ(page.windowTitle(), " STP Configuration");
        ASSERT_TRUE(WaitFor([&] { return !page.IsReading(); }, 10000));
        EXPECT_EQ(Text(page, B::IDC_DESIGNATED_ROOT), kBridgeId);
        EXPECT_EQ(Text(page, B::IDC_ROOT_PORT), "0");
        EXPECT_EQ(Text(page, B::IDC_TOP_CHANGES), "0");
        EXPECT_EQ(Text(page, B::IDC_HOLD_TIME_TEXT), "100");
        EXPECT_EQ(Text(page, B::IDC_HELLO_TIME_TEXT), "200");
        EXPECT_EQ(Text(page, B::IDC_FORWARD_DELAY_TEXT), "1500");
        EXPECT_EQ(Combo(page, B::IDC_PRIORITY)->currentText(), "32768");
        EXPECT_EQ(Edit(page, B::IDC_MAX_AGE), "2000");
        EXPECT_EQ(Edit(page, B::IDC_HELLO_TIME), "200");
        EXPECT_EQ(Edit(page, B::IDC_FORWARD_DELAY), "1500");
        // STP is off: nothing to set, no port settings; the box brings the settings, not Port Setting.
        EXPECT_FALSE(Checked(page, B::IDC_ENABLE_RSTP));
        for (int nId : {B::IDC_MAX_AGE, B::IDC_FORWARD_DELAY, B::IDC_HELLO_TIME, B::IDC_PRIORITY, B::IDC_VERSION,
                        B::IDC_PORT_SETTING})
            EXPECT_FALSE(ControlEnabled(page, nId)) << nId;
        Click(page, B::IDC_ENABLE_RSTP);
        for (int nId : {B::IDC_MAX_AGE, B::IDC_FORWARD_DELAY, B::IDC_HELLO_TIME, B::IDC_PRIORITY, B::IDC_VERSION})
            EXPECT_TRUE(ControlEnabled(page, nId)) << nId;
        EXPECT_FALSE(ControlEnabled(page, B::IDC_PORT_SETTING));

        // 4000 >= 2 x 900 + 200 and 2 x 2100 - 200 >= 4000.
        SetText(page, B::IDC_MAX_AGE, "4000");
        SetText(page, B::IDC_FORWARD_DELAY, "2100");
        SetText(page, B::IDC_HELLO_TIME, "900");
        Combo(page, B::IDC_PRIORITY)->setCurrentText("4096");
        Combo(page, B::IDC_VERSION)->setCurrentIndex(B::kStpCompatible);
        sw.ClearLog();
        Click(page, B::IDOK);
        EXPECT_TRUE(boxes.texts.empty());
        EXPECT_TRUE(page.isVisible());
        EXPECT_TRUE(ControlEnabled(page, B::IDC_PORT_SETTING));
        ASSERT_TRUE(WaitFor([&] { return !sw.Sets().empty(); }, 5000));
        const auto sets = sw.Sets();
        ASSERT_EQ(sets.size(), 1u);
        for (const std::string& o : {kStp + "12.0", kStp + "13.0", kStp + "14.0", kStp + "2.0", kV + "6.1.2.0", kV + "6.1.1.0"})
            EXPECT_NE(sets[0].find(o), std::string::npos) << o << " " << sets[0];
        page.reject();
    }
    const std::pair<std::string, std::string> written[] = {
        {kStp + "12.0", "4000"}, {kStp + "13.0", "900"}, {kStp + "14.0", "2100"},
        {kStp + "2.0", "4096"},  {kV + "6.1.2.0", "0"},  {kV + "6.1.1.0", "1"},
    };
    for (const auto& [o, v] : written)
        EXPECT_EQ(SnmpGetHex(sw.port(), o), v) << o;

    CStpBridgeDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return !page.IsReading(); }, 10000));
    EXPECT_EQ(Edit(page, B::IDC_MAX_AGE), "4000");
    EXPECT_EQ(Edit(page, B::IDC_HELLO_TIME), "900");
    EXPECT_EQ(Edit(page, B::IDC_FORWARD_DELAY), "2100");
    EXPECT_EQ(Text(page, B::IDC_HELLO_TIME_TEXT), "900");
    EXPECT_EQ(Text(page, B::IDC_FORWARD_DELAY_TEXT), "2100");
    EXPECT_EQ(Text(page, B::IDC_DESIGNATED_ROOT), "10:00:02:54:51:01:00:00");
    EXPECT_EQ(Combo(page, B::IDC_PRIORITY)->currentText(), "4096");
    EXPECT_EQ(Combo(page, B::IDC_VERSION)->currentIndex(), B::kStpCompatible);
    EXPECT_TRUE(Checked(page, B::IDC_ENABLE_RSTP));
    EXPECT_TRUE(ControlEnabled(page, B::IDC_PRIORITY));
    EXPECT_TRUE(ControlEnabled(page, B::IDC_PORT_SETTING));

    // A priority off the 4096 steps: the switch refuses the whole SET, the page says nothing.
    Combo(page, B::IDC_PRIORITY)->setCurrentText("4097");
    SetText(page, B::IDC_MAX_AGE, "2000");
    sw.ClearLog();
    Click(page, B::IDOK);
    ASSERT_TRUE(WaitFor([&] { return !sw.Sets().empty(); }, 5000));
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(SnmpGetHex(sw.port(), kStp + "2.0"), "4096");
    EXPECT_EQ(SnmpGetHex(sw.port(), kStp + "12.0"), "4000");

    // Port Setting runs the port table.
    std::size_t nRows = 0;
    SubPageRunner runner([&](CPageDlg& table) { nRows = ListRows(table, T::IDC_LIST).size(); },
                         [](CPageDlg& table) {
                             auto& t = static_cast<CStpPortTableDlg&>(table);
                             return !t.IsReading() && !t.Rows().empty();
                         });
    Click(page, B::IDC_PORT_SETTING);
    EXPECT_EQ(runner.nRuns, 1);
    EXPECT_EQ(nRows, 24u);
    page.reject();
}

// Prev and Next move through the table's rows and stop at its ends; each port's settings are read
// from the agent as the page shows it.
TEST(StpPort, PrevAndNextStopAtTheEnds)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    ASSERT_TRUE(sw.Control({Set(kStpPort + "2.2", "2 64"), Set(kStpPort + "5.2", "2 1234"), Set(kStpPort + "4.2", "2 2")}));
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    CStpPortTableDlg table;
    table.show();
    ASSERT_TRUE(TableRead(table, 24));
    const std::vector<QStringList> rows = table.Rows();
    table.reject();

    // Opened with no row selected: the first row.
    CStpPortDlg page(rows, -1);
    page.show();
    EXPECT_EQ(page.windowTitle(), " Port STP Configuration");
    EXPECT_EQ(Text(page, P::IDC_PORT), "1");
    EXPECT_EQ(Text(page, P::IDC_STATUS), "Forward");
    EXPECT_EQ(Text(page, P::IDC_DESIGNATED_ROOT), kBridgeId);
    EXPECT_EQ(Text(page, P::IDC_DESIGNATED_BRIDGE), kBridgeId);
    EXPECT_EQ(Text(page, P::IDC_DESIGNATED_PORT), "80 01");
    EXPECT_EQ(Text(page, P::IDC_DESIGNATED_COST), "0");
    EXPECT_EQ(Text(page, P::IDC_FORWARDINGS), "0");
    EXPECT_EQ(Combo(page, P::IDC_PRIORITY)->currentText(), "128");
    EXPECT_EQ(Edit(page, P::IDC_PATH_COST), "200000");
    EXPECT_TRUE(Checked(page, P::IDC_ENABLE));
    EXPECT_FALSE(Enabled(page, P::IDC_PREV));
    EXPECT_TRUE(Enabled(page, P::IDC_NEXT));
    Click(page, P::IDC_NEXT);
    EXPECT_EQ(Text(page, P::IDC_PORT), "2");
    EXPECT_EQ(Combo(page, P::IDC_PRIORITY)->currentText(), "64");
    EXPECT_EQ(Edit(page, P::IDC_PATH_COST), "1234");
    EXPECT_FALSE(Checked(page, P::IDC_ENABLE));
    EXPECT_TRUE(Enabled(page, P::IDC_PREV));
    EXPECT_TRUE(Enabled(page, P::IDC_NEXT));
    for (int i = 0; i < 30 && Enabled(page, P::IDC_NEXT); ++i)
        Click(page, P::IDC_NEXT);
    EXPECT_EQ(Text(page, P::IDC_PORT), "24");
    EXPECT_EQ(page.Row(), 23);
    EXPECT_FALSE(Enabled(page, P::IDC_NEXT));
    Click(page, P::IDC_NEXT);
    EXPECT_EQ(Text(page, P::IDC_PORT), "24");
    Click(page, P::IDC_PREV);
    EXPECT_EQ(Text(page, P::IDC_PORT), "23");
    EXPECT_TRUE(Enabled(page, P::IDC_NEXT));
    page.reject();

    // A row beyond the table is the last; in a table of two rows each end closes its own side.
    CStpPortDlg last(rows, 99);
    last.show();
    EXPECT_EQ(Text(last, P::IDC_PORT), "24");
    EXPECT_FALSE(Enabled(last, P::IDC_NEXT));
    EXPECT_TRUE(Enabled(last, P::IDC_PREV));
    last.reject();
    CStpPortDlg two({rows[0], rows[1]}, 1);
    two.show();
    EXPECT_FALSE(Enabled(two, P::IDC_NEXT));
    Click(two, P::IDC_PREV);
    EXPECT_EQ(Text(two, P::IDC_PORT), "1");
    EXPECT_FALSE(Enabled(two, P::IDC_PREV));
    EXPECT_TRUE(Enabled(two, P::IDC_NEXT));
    // Closing closes the three sessions in their order.
    tqxtest::TraceRecorder trace;
    two.reject();
    std::vector<std::string> closing;
    for (const std::string& line : trace.lines())
        if (line.rfind("==================", 0) == 0)
            closing.push_back(line);
    EXPECT_EQ(closing, (std::vector<std::string>{"==================DestroyWindow===============",
                                                 "==================m_cCommonSNMP.Close===============",
                                                 "==================m_cCommonSNMPSet.Close===============",
                                                 "==================m_cCommonSNMPTable.Close==============="}));
}

// From the table: the port page writes priority, vendor path cost and STP on the port in one SET;
// OK applies and closes, and the table is read again with what the switch now holds.
TEST(StpPort, AWriteReachesTheAgentAndTheTableShowsIt)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    CMessageRecorder boxes;
    CStpPortTableDlg table;
    table.show();
    ASSERT_TRUE(TableRead(table, 24));
    FindControl<CListCtrl>(&table, T::IDC_LIST)->SelectRow(1);
    std::string afterApply, afterOk;
    SubPageRunner runner(
        [&](CPageDlg& p) {
            ASSERT_EQ(Text(p, P::IDC_PORT), "2");
            Combo(p, P::IDC_PRIORITY)->setCurrentText("32");
            SetText(p, P::IDC_PATH_COST, "5000");
            SetCheck(p, P::IDC_ENABLE, false);
            sw.ClearLog();
            Click(p, P::IDC_APPLY);
            ASSERT_TRUE(WaitFor([&] { return !sw.Sets().empty(); }, 5000));
            afterApply = sw.Sets().front();
            EXPECT_EQ(SnmpGetHex(sw.port(), kStpPort + "2.2"), "32");
            EXPECT_EQ(SnmpGetHex(sw.port(), kV + "6.2.1.5.2"), "5000");
            EXPECT_EQ(SnmpGetHex(sw.port(), kStpPort + "5.2"), "5000");
            EXPECT_EQ(SnmpGetHex(sw.port(), kStpPort + "4.2"), "2");
            EXPECT_EQ(SnmpGetHex(sw.port(), kStpPort + "3.2"), "1");  // out of STP: disabled
            // A cost of 0 goes as 0: the cost by speed again.
            SetText(p, P::IDC_PATH_COST, "0");
            SetCheck(p, P::IDC_ENABLE, true);
            sw.ClearLog();
            Click(p, P::IDOK);
            ASSERT_TRUE(WaitFor([&] { return !sw.Sets().empty(); }, 5000));
            afterOk = sw.Sets().front();
        },
        [](CPageDlg& p) { return !static_cast<CStpPortDlg&>(p).IsReadingTrunks(); });
    Click(table, T::IDC_PORT_CONFIG);
    EXPECT_EQ(runner.nRuns, 1);
    EXPECT_TRUE(boxes.texts.empty());
    for (const std::string& o : {kStpPort + "2.2", kV + "6.2.1.5.2", kStpPort + "4.2"})
        EXPECT_NE(afterApply.find(o), std::string::npos) << o << " " << afterApply;
    EXPECT_NE(afterOk.find(kV + "6.2.1.5.2"), std::string::npos) << afterOk;
    EXPECT_EQ(SnmpGetHex(sw.port(), kV + "6.2.1.5.2"), "0");
    ASSERT_TRUE(TableRead(table, 24));
    const Rows rows = ListRows(table, T::IDC_LIST);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"2", "32", "200000", "Y", "Forward", kBridgeId, "0", kBridgeId, "20 02",
                                                 "1"}))
        << Describe(rows);
    table.reject();
}
