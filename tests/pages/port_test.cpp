// Port Configuration and Device Configure against tqx-sim: the port table as the agent holds it, every
// check of Apply with its message and nothing sent, the questions, the writes (and a write the switch
// refuses), and the configuration description's objects read and set.
#include "pages/common/MessageBox.h"
#include "pages/device/DeviceConfigDlg.h"
#include "pages/port/PortConfigDlg.h"

#include "MessageRecorder.h"
#include "config_support.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace viewstest;
using namespace configtest;
using tqxtest::App;
using tqxtest::CMessageRecorder;
using tqxtest::WaitFor;

namespace {

const std::string kV = "1.3.6.1.4.1.32473.10.76.10.";
const std::string kSpeed = kV + "1.13.1.2.";
const std::string kFlow = kV + "1.13.1.5.";

std::string Set(const std::string& tail, const std::string& tagValue)
{
    return "set " + kV + tail + " " + tagValue;
}

bool WaitRead(const CPortConfigDlg& page)
{
    return WaitFor([&] { return !page.IsRefreshing(); }, 20000);
}

// Clicks the row of port nPort as a user does: selection, then the click.
void ClickPort(CPortConfigDlg& page, int nPort)
{
    auto* pList = FindControl<CListCtrl>(&page, CPortConfigDlg::IDC_LIST);
    for (int r = 0; r < pList->GetItemCount(); ++r) {
        if (pList->GetItemText(r, 0) == QString::number(nPort)) {
            pList->SelectRow(r);
            emit pList->itemClicked(pList->topLevelItem(r), 0);
            return;
        }
    }
    ADD_FAILURE() << "no row for port " << nPort;
}

void Choose(CPortConfigDlg& page, int nSpeed, int nFlow)
{
    FindControl<QComboBox>(&page, CPortConfigDlg::IDC_SPEED)->setCurrentIndex(nSpeed);
    FindControl<QComboBox>(&page, CPortConfigDlg::IDC_FLOW)->setCurrentIndex(nFlow);
}

} // namespace

// The rows as the agent holds the ports of a TQX-8800 (24 ports, 21 to 24 combo, 23 on a 1000Base-X
// module): every fourth port without link, port 6 disabled, every fifth fast port at 10M.
TEST(PortConfig, TheTableShowsThePortsAsTheAgentHoldsThem)
{
    App();
    for (bool bV3 : {false, true}) {
        SCOPED_TRACE(bV3 ? "SNMPv3" : "SNMPv1");
        Switch sw("TQX-8800", bV3 ? tqxtest::kPagesUser.SimArgs() : std::vector<std::string>{});
        ASSERT_TRUE(sw.ok());
        ASSERT_TRUE(sw.Control({Set("1.13.1.5.7", "2 1"), Set("12.3.1.1.2.2", "2 4"), "link 7 down", "link 7 up"}));
        tqxtest::UseAgent(sw.port(), bV3, "2000");
        g_nDevicePortNum = 24;
        CPortConfigDlg page;
        page.show();
        ASSERT_TRUE(WaitRead(page));
        const Rows rows = ListRows(page, CPortConfigDlg::IDC_LIST);
        ASSERT_EQ(rows.size(), 24u);
        const std::vector<std::vector<std::string>> expected = {
            {"1", "Auto", "100MFull", "Disable", "Low", "Disabled"},
            {"2", "Auto", "100MFull", "Disable", "Highest", "Disabled"},
            {"4", "Auto", "Down", "Disable", "Low", "Disabled"},
            {"5", "Auto", "10MFull", "Disable", "Low", "Disabled"},
            {"6", "Auto", "Down", "Disable", "Low", "Disabled"},
            {"7", "Auto", "100MFull", "Enable", "Low", "Enabled"},
            {"21", "Auto", "1000M C Full", "Disable", "Low", "Disabled"},
            {"22", "Auto", "1000M C Full", "Disable", "Low", "Disabled"},
            {"23", "Auto", "1000M F Full", "Disable", "Low", "Disabled"},
            {"24", "Auto", "Down", "Disable", "Low", "Disabled"},
        };
        for (const auto& row : expected)
            EXPECT_EQ(rows.at(std::stoul(row[0]) - 1), row) << Describe(rows);
        EXPECT_EQ(page.MediaOf(1), CPortConfigDlg::kMediaFast);
        EXPECT_EQ(page.MediaOf(23), CPortConfigDlg::kMedia1000BaseX);
        EXPECT_TRUE(Enabled(page, CPortConfigDlg::IDC_APPLY));
        page.reject();
    }
}

TEST(PortConfig, RenderingsOfEveryCode)
{
    EXPECT_EQ(CPortConfigDlg::SpeedText("3"), "100MHalf");
    EXPECT_EQ(CPortConfigDlg::SpeedText("7"), "Disable");
    EXPECT_EQ(CPortConfigDlg::SpeedText("0"), "1000MFull");
    EXPECT_EQ(CPortConfigDlg::OperModeText("6"), "10MHalf");
    EXPECT_EQ(CPortConfigDlg::OperModeText("9"), "1000MFull");
    EXPECT_EQ(CPortConfigDlg::PriorityText("3"), "High");
    EXPECT_EQ(CPortConfigDlg::PriorityText("5"), "Low");
    EXPECT_EQ(CPortConfigDlg::OperFlowControlText("7"), "7");
    // The long forms on the last ports of a 24-port switch without all-gigabit ports.
    const struct {
        const char* code;
        int media, port;
        bool allGiga;
        const char* shown;
    } cases[] = {
        {"3", 3, 21, false, "100M F Full"}, {"4", 3, 24, false, "100M F Half"}, {"2", 3, 21, false, "1000M C Full"},
        {"2", 4, 24, false, "1000M F Full"}, {"3", 4, 21, false, "100M C Full"}, {"2", 2, 22, false, "1000M C Full"},
        {"2", 2, 23, false, "1000MFull"},    {"2", 2, 23, true, "1000M C Full"}, {"2", 1, 21, false, "1000MFull"},
        {"3", 3, 20, false, "100MFull"},     {"1", 2, 21, false, "Down"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CPortConfigDlg::OperModeShown(c.code, c.media, c.port, 24, 4, c.allGiga), c.shown)
            << c.code << " media " << c.media << " port " << c.port;
}

// Each check of Apply in its order, arranged on the agent: the message, and nothing sent.
TEST(PortConfig, ApplyRefusesWithTheMessageAndSendsNothing)
{
    App();
    using P = CPortConfigDlg;
    struct Case {
        const char* what;
        std::vector<std::string> arrange;
        int port;  // 0: no row clicked
        int speed;
        std::string message;
    };
    std::vector<std::string> allButOneDisabled;
    for (int p = 2; p <= 24; ++p)
        allButOneDisabled.push_back(Set("1.13.1.2." + std::to_string(p), "2 7"));
    const std::string trunk34 = "set " + kV + "8.1.3.1.2.1 4x 30000000";
    const Case cases[] = {
        {"no row clicked", {}, 0, P::kAuto, "Please Select one port !"},
        {"trunk member at another speed", {trunk34, Set("1.13.1.2.4", "2 2")}, 3, P::kAuto,
         "LA port can not support in different speed."},
        {"the last enabled port", allButOneDisabled, 1, P::kDisable, "Sorry, you cannot disable all ports."},
        {"1000M on a fast port", {}, 1, P::k1000Full, "Port 1 can not support 1000M speed."},
        {"auto on a 100Base-X module", {"medium 21 3"}, 21, P::kAuto,
         "Fiber Port 21 with 100Base-x SFP Module can not support in Auto mode."},
        {"10M on a 100Base-X module", {"medium 21 3"}, 21, P::k10Full,
         "Fiber Port 21 with 100Base-x SFP Module can not support this speed."},
        {"1000M on a 100Base-X module", {"medium 22 3"}, 22, P::k1000Full,
         "Fiber Port 22 with 100Base-x SFP Module can not support this speed."},
        {"100M on a 1000Base-X module", {}, 23, P::k100Full,
         "Fiber Port 23 with 1000Base-x SFP Module can not support this speed."},
        {"half duplex on a trunk", {trunk34, Set("1.13.1.2.4", "2 3")}, 3, P::k100Half,
         "LA port 3 can not support in half-duplex mode."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Switch sw("TQX-8800");
        ASSERT_TRUE(sw.ok());
        ASSERT_TRUE(sw.Control(c.arrange)) << sw.LastError();
        tqxtest::UseAgent(sw.port(), false, "2000");
        g_nDevicePortNum = 24;
        CMessageRecorder boxes(true);
        CPortConfigDlg page;
        page.show();
        ASSERT_TRUE(WaitRead(page));
        if (c.port > 0)
            ClickPort(page, c.port);
        Choose(page, c.speed, 1);
        sw.ClearLog();
        Click(page, P::IDC_APPLY);
        EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
        EXPECT_TRUE(boxes.asked.empty());
        EXPECT_TRUE(sw.Sets().empty()) << sw.Sets().front();
        page.reject();
    }
}

// The questions: a forced speed asks about the counterpart, enabling flow control about QoS; Cancel
// sends nothing. Auto and Disable ask nothing; OK writes speed and flow control in one request.
TEST(PortConfig, QuestionsAndTheWrite)
{
    App();
    using P = CPortConfigDlg;
    const std::string force = "The speed is set to force mode. \n* The speed mode must be the same as the counterpart. ";
    const std::string qos = "QoS works best when Flow Control is disabled. \n* When Flow Control is enabled.QoS may not "
                            "perform accurate bandwidth allocation. \n* Do you still want to enable Flow Control?. ";
    const struct {
        const char* what;
        int speed, flow;
        bool answer;
        std::vector<std::string> asked;
        std::string speedAfter, flowAfter;  // snmpget of port 2 afterwards
        const char* rowSpeed;
        const char* rowMode;
    } cases[] = {
        {"forced, cancelled", P::k100Half, 1, false, {force}, "6", "2", "Auto", "100MFull"},
        {"forced half duplex", P::k100Half, 1, true, {force}, "3", "2", "100MHalf", "100MHalf"},
        {"10M full with flow control", P::k10Full, 0, true, {force, qos}, "4", "1", "10MFull", "10MFull"},
        {"auto with flow control, cancelled", P::kAuto, 0, false, {qos}, "6", "2", "Auto", "100MFull"},
        {"disable asks nothing", P::kDisable, 1, false, {}, "7", "2", "Disable", "Down"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Switch sw("TQX-8800");
        ASSERT_TRUE(sw.ok());
        tqxtest::UseAgent(sw.port(), false, "2000");
        g_nDevicePortNum = 24;
        CMessageRecorder boxes(c.answer);
        CPortConfigDlg page;
        page.show();
        ASSERT_TRUE(WaitRead(page));
        ClickPort(page, 2);
        EXPECT_EQ(FindControl<QLineEdit>(&page, P::IDC_PORT)->text(), "2");
        Choose(page, c.speed, c.flow);
        sw.ClearLog();
        Click(page, P::IDC_APPLY);
        EXPECT_EQ(boxes.asked, c.asked);
        EXPECT_TRUE(boxes.texts.empty());
        const bool bWritten = c.answer || c.asked.empty();
        const std::vector<std::string> sets = sw.Sets(bWritten ? 1 : 0);
        ASSERT_EQ(sets.size(), bWritten ? 1u : 0u);
        if (bWritten) {
            EXPECT_NE(sets.front().find(kSpeed + "2"), std::string::npos) << sets.front();
            EXPECT_NE(sets.front().find(kFlow + "2"), std::string::npos) << sets.front();
        }
        EXPECT_EQ(SnmpGetHex(sw.port(), kSpeed + "2"), c.speedAfter);
        EXPECT_EQ(SnmpGetHex(sw.port(), kFlow + "2"), c.flowAfter);
        // The table read again shows the switch's state.
        ASSERT_TRUE(WaitRead(page));
        const Rows rows = ListRows(page, P::IDC_LIST);
        ASSERT_GE(rows.size(), 2u);
        EXPECT_EQ(rows[1][1], c.rowSpeed);
        EXPECT_EQ(rows[1][2], c.rowMode);
        page.reject();
    }
}

// A trunk member keeps its speed: an accepted Apply writes flow control only. A write the switch
// refuses (all-gigabit set in the settings of a fast switch; the read community for writing) is not
// reported, and the table shows what the switch holds.
TEST(PortConfig, TrunkMembersWriteFlowControlOnlyAndRefusedWritesLeaveTheSwitch)
{
    App();
    using P = CPortConfigDlg;
    {
        Switch sw("TQX-8800");
        ASSERT_TRUE(sw.ok());
        ASSERT_TRUE(sw.Control({"set " + kV + "8.1.3.1.2.1 4x 30000000"}));
        tqxtest::UseAgent(sw.port(), false, "2000");
        g_nDevicePortNum = 24;
        CMessageRecorder boxes(true);
        CPortConfigDlg page;
        page.show();
        ASSERT_TRUE(WaitRead(page));
        EXPECT_EQ(page.TrunkOf(4), 1);
        ClickPort(page, 4);
        Choose(page, P::kAuto, 0);
        sw.ClearLog();
        Click(page, P::IDC_APPLY);
        const std::vector<std::string> sets = sw.Sets(1);
        ASSERT_EQ(sets.size(), 1u);
        EXPECT_NE(sets.front().find(kFlow + "4"), std::string::npos);
        EXPECT_EQ(sets.front().find(kSpeed), std::string::npos) << sets.front();
        EXPECT_EQ(SnmpGetHex(sw.port(), kFlow + "4"), "1");
        page.reject();
    }
    const struct {
        const char* what;
        bool allGiga;
        const char* writeCommunity;
        int speed;
    } refusals[] = {{"1000M on a fast port", true, "private", P::k1000Full}, {"read community", false, "public", P::k10Full}};
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.what);
        Switch sw("TQX-8800");
        ASSERT_TRUE(sw.ok());
        tqxtest::UseAgent(sw.port(), false, "2000");
        g_nDevicePortNum = 24;
        g_bIsAllGiga = r.allGiga;
        g_strSetCommunity = QString::fromLatin1(r.writeCommunity);
        CMessageRecorder boxes(true);
        CPortConfigDlg page;
        page.show();
        ASSERT_TRUE(WaitRead(page));
        ClickPort(page, 1);
        Choose(page, r.speed, 1);
        sw.ClearLog();
        Click(page, P::IDC_APPLY);
        EXPECT_TRUE(boxes.texts.empty());
        if (r.allGiga)  // the page's checks passed: the switch itself refused
            EXPECT_EQ(sw.Sets(1).size(), 1u);
        EXPECT_EQ(SnmpGetHex(sw.port(), kSpeed + "1"), "6");
        ASSERT_TRUE(WaitRead(page));
        EXPECT_EQ(ListRows(page, P::IDC_LIST).at(0).at(1), "Auto");
        page.reject();
    }
    ResetSettings();
}

// Device Configure: the kit's description read from the agent, an option set through the page, and
// a description naming an object the agent lacks still showing the others.
TEST(DeviceConfig, ShowsTheKitsObjectsAndSetsAnOption)
{
    App();
    using D = CDeviceConfigDlg;
    const QString kit = QStringLiteral(TQX_SOURCE_DIR "/models/TQX-8810P/TQX9048_CFG.XML");
    for (bool bV3 : {false, true}) {
        SCOPED_TRACE(bV3 ? "SNMPv3" : "SNMPv1");
        Switch sw("TQX-8810P", bV3 ? tqxtest::kPagesUser.SimArgs() : std::vector<std::string>{});
        ASSERT_TRUE(sw.ok());
        tqxtest::UseAgent(sw.port(), bV3, "2000");
        CMessageRecorder boxes(true);
        D page(nullptr, kit);
        page.show();
        ASSERT_TRUE(WaitFor([&] { return !page.IsReading(); }, 10000));
        EXPECT_TRUE(boxes.texts.empty());
        const Rows info = ListRows(page, D::IDC_INFO);
        ASSERT_GE(info.size(), 6u) << Describe(info);
        EXPECT_EQ(info[0], (std::vector<std::string>{"System Description",
                                                      "TQX-8810P 8-Port 10/100Mbps PoE + 2 Gigabit Combo Managed Switch"}));
        EXPECT_EQ(info[4], (std::vector<std::string>{"System Name", "TQX-8810P"}));
        EXPECT_NE(info[2][1].find(" Hour "), std::string::npos) << info[2][1];
        const Rows options = ListRows(page, D::IDC_OPTIONS);
        const auto row = std::find_if(options.begin(), options.end(), [](const auto& r) { return r[0] == "Link Aggregation"; });
        ASSERT_NE(row, options.end()) << Describe(options);
        EXPECT_EQ((*row)[1], "Enable");
        // The choice offers the other labels; Apply writes the chosen value and the list follows.
        auto* pList = FindControl<CListCtrl>(&page, D::IDC_OPTIONS);
        const int nRow = static_cast<int>(row - options.begin());
        pList->SelectRow(nRow);
        emit pList->itemClicked(pList->topLevelItem(nRow), 0);
        auto* pValues = FindControl<QComboBox>(&page, D::IDC_VALUES);
        ASSERT_EQ(pValues->count(), 1);
        EXPECT_EQ(pValues->currentText(), "Disable");
        sw.ClearLog();
        Click(page, D::IDC_APPLY);
        EXPECT_FALSE(Enabled(page, D::IDC_APPLY));
        ASSERT_TRUE(WaitFor([&] { return SnmpGetHex(sw.port(), kV + "8.1.2.0") == "2"; }, 5000));
        ASSERT_TRUE(WaitFor([&] {
            const Rows now = ListRows(page, D::IDC_OPTIONS);
            return now.size() > static_cast<size_t>(nRow) && now[static_cast<size_t>(nRow)][1] == "Disable";
        }, 6000));
        page.reject();
    }

    // A description with an object the agent does not have: the others show.
    tqxtest::TempDir dir;
    const QString file = QString::fromStdString((dir.path() / "TQX9048_CFG.XML").string());
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("<MIB><DEVINFO>"
              "<A><NAME>1.3.6.1.2.1.1.5</NAME><DESC>System Name</DESC></A>"
              "<B><NAME>1.3.6.1.4.1.32473.99.1</NAME><DESC>Nothing</DESC></B>"
              "<C><NAME>1.3.6.1.2.1.1.6</NAME><DESC>System Location</DESC></C>"
              "</DEVINFO><DEVCFG></DEVCFG></MIB>");
    out.close();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    {
        D page(nullptr, file);
        page.show();
        ASSERT_TRUE(WaitFor([&] { return !page.IsReading(); }, 10000));
        EXPECT_EQ(ListRows(page, D::IDC_INFO),
                  (Rows{{"System Name", "TQX-8800"}, {"System Location", "Rack 1"}}));
        page.reject();
    }
    // No description: the message, no crash, nothing asked.
    {
        CMessageRecorder boxes(true);
        sw.ClearLog();
        D page(nullptr, QString::fromStdString((dir.path() / "missing.xml").string()));
        page.show();
        EXPECT_EQ(boxes.texts, std::vector<std::string>{"No TQX9048_CFG.XML !"});
        EXPECT_FALSE(page.IsReading());
        EXPECT_TRUE(sw.Requests().empty());
        page.reject();
    }
}

TEST(DeviceConfig, HoursAndMinutes)
{
    EXPECT_EQ(CDeviceConfigDlg::HoursAndMinutes("0"), "0 Hour 0 Min");
    EXPECT_EQ(CDeviceConfigDlg::HoursAndMinutes("365999"), "1 Hour 0 Min");
    EXPECT_EQ(CDeviceConfigDlg::HoursAndMinutes("8646000"), "24 Hour 1 Min");
}
