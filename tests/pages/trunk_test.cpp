// The trunk pages against tqx-sim: the list and its renderings, the state and mode writes, the
// member page's count checks, and the validator: one case per check, each conflict put in place on
// the agent, each expecting its message and no SET; with no conflict the members are written.
#include "pages/common/MessageBox.h"
#include "pages/trunk/TrunkConfigDlg.h"
#include "pages/trunk/TrunkMemberDlg.h"
#include "pages/trunk/TrunkValidator.h"

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
const std::string kMembers = kV + "8.1.3.1.2.";
const std::string kMode = kV + "8.1.3.1.3.";

std::string Set(const std::string& tail, const std::string& tagValue)
{
    return "set " + kV + tail + " " + tagValue;
}

// Opens the member page of trunk 1 (LACP, no members yet), waits for the validator's reads, checks
// ports and presses OK. Returns the page's message boxes.
std::vector<std::string> TryMembers(const std::vector<int>& ports, bool* pAccepted = nullptr,
                                    const QString& strMembers = QString())
{
    CMessageRecorder boxes(true);
    CTrunkMemberDlg page(24, QStringLiteral("1"), QStringLiteral("LACP"), strMembers);
    page.show();
    EXPECT_EQ(page.windowTitle(), QStringLiteral("Trunk member"));
    EXPECT_TRUE(WaitFor([&] { return !page.Validator().IsReading(); }, 20000));
    for (int p : ports)
        Click(page, CTrunkMemberDlg::IDC_BOX_BASE + p);
    Click(page, CPageDlg::IDOK);
    if (pAccepted)
        *pAccepted = page.result() == QDialog::Accepted && !page.isVisible();
    page.reject();
    return boxes.texts;
}

} // namespace

TEST(TrunkValidator, EachCheckRefusesItsConflictOnTheAgent)
{
    App();
    struct Case {
        const char* what;
        std::vector<std::string> arrange;  // control commands
        std::string message;
    };
    const Case cases[] = {
        {"1 port 4 in trunk 2", {"set " + kMembers + "2 4x 10000000"},
         "Cannot add the port as it is a member of another aggregated link !"},
        {"2 medium", {Set("1.13.1.7.4", "2 3")}, "Cannot add ports of different types to an aggregated link !"},
        {"3 half duplex", {Set("1.13.1.2.3", "2 3")}, "Cannot add a port in half-duplex mode to an aggregated link."},
        {"3 speed", {Set("1.13.1.2.4", "2 4")}, "Cannot add ports of different speed to an aggregated link."},
        {"4 DHCP screening", {Set("14.7.1.0", "4x 200000")},
         "Cannot add ports with different DHCP Server Screening Port Settings to an aggregated link."},
        {"5 802.1X port", {Set("11.2.1.0", "2 1"), Set("11.2.9.1.2.3", "2 2")},
         "Cannot add the 802.1X-enabled port to an aggregated link."},
        {"5 802.1X other state", {Set("11.2.1.0", "2 1"), Set("11.2.9.1.2.3", "2 1"), Set("11.2.9.1.2.4", "2 1")},
         "Setting the Channel Mode Fail."},
        {"6 untagged in VLAN 1 alone", {Set("7.6.1.4.1", "4x dfffff")},
         "Cannot add ports with different VLAN configurations to an aggregated link !"},
        {"7 auto-learn", {Set("9.2.0", "4x efffff")}, "Cannot add a Auto-learn disabled port to an aggregated link."},
        {"8 priority", {Set("12.3.1.1.2.4", "2 5")},
         "Cannot add ports with different 802.1p default priorities to an aggregated link."},
        {"8 PVID", {Set("7.7.1.1.4", "66 2")}, "Cannot add ports with different PVIDs to an aggregated link."},
        {"8 port security", {Set("14.2.1.1.2.3", "2 1"), Set("14.2.1.1.2.4", "2 1")},
         "Cannot add a port-security anabled port to an aggregated link."},
        {"8 loop detection", {Set("17.4.1.2.3", "2 1"), Set("17.4.1.2.4", "2 1")},
         "Cannot add a LBD-enabled port to an aggregated link."},
        {"9 mirror source", {Set("18.4.0", "4x 200000")},
         "Cannot add ports of Port Mirror enable ports to an aggregated link."},
        {"10 mirror target", {Set("18.1.0", "2 1"), Set("18.2.0", "2 4")}, "Cannot add a mirror port to an aggregated link."},
        {"11 ARP spoofing", {Set("14.3.1.1.3.1", "4x 100000")},
         "Cannot add ports of ARP Spoofing Prevent enable ports to an aggregated link."},
        {"12 rate control", {Set("13.1.2.1.3.4", "2 7")},
         "Cannot add ports with different rate control configurations to an aggregated link."},
        {"13 STP port setting", {Set("6.1.1.0", "2 1"), Set("6.2.1.17.4", "2 9")},
         "Cannot add a port with different RSTP port setting to an aggregated link. "},
        {"14 voice VLAN auto", {Set("21.1.6.1.2.4", "2 1")},
         "Cannot add a port in Voice Vlan Auto mode to an aggregated link."},
        {"15 FDB destination hit", {Set("9.3.1.3.1", "2 3")},
         "Cannot add ports with different FDB-destination-hit configurations to an aggregated link."},
        {"16 ACL", {Set("15.2.1.1.10.1", "4x 200000")}, "Cannot add an ACL enabled port to an aggregated link."},
        {"17 surveillance auto", {Set("26.1.1.0", "2 1"), Set("26.1.5.1.2.3", "2 1")},
         "Cannot add a port in  Auto Surveillance VLAN Auto mode to an aggregated link"},
        {"17 surveillance dynamic", {Set("26.1.1.0", "2 1"), Set("26.1.5.1.2.3", "2 2"), Set("26.1.5.1.2.4", "2 2"),
                                     Set("26.1.5.1.3.4", "2 2")},
         "Cannot add a port in Auto Surveillance Vlan Auto dynamic mode to an aggregated link"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Switch sw("TQX-8800");
        ASSERT_TRUE(sw.ok());
        ASSERT_TRUE(sw.Control(c.arrange)) << sw.LastError();
        tqxtest::UseAgent(sw.port(), false, "2000");
        g_nDevicePortNum = 24;
        sw.ClearLog();
        EXPECT_EQ(TryMembers({3, 4}), std::vector<std::string>{c.message});
        EXPECT_TRUE(sw.Sets().empty()) << sw.Sets().front();
    }
}

// Without a conflict the members and the mode go in one SET; the STP port values may differ while
// STP is off; the agent then holds exactly the bitmap.
TEST(TrunkValidator, MembersWithoutAConflictAreWritten)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    ASSERT_TRUE(sw.Control({Set("6.1.1.0", "2 2"), Set("6.2.1.17.4", "2 9")})) << sw.LastError();
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    sw.ClearLog();
    bool bAccepted = false;
    EXPECT_TRUE(TryMembers({3, 4, 20}, &bAccepted).empty());
    EXPECT_TRUE(bAccepted);
    // The agent's request log reaches the test through a pipe: wait for the line, not for a time.
    tqxtest::WaitFor([&] { return !sw.Sets().empty(); }, 5000);
    const auto sets = sw.Sets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_NE(sets[0].find(kMembers + "1"), std::string::npos) << sets[0];
    EXPECT_NE(sets[0].find(kMode + "1"), std::string::npos) << sets[0];
    EXPECT_EQ(SnmpGetHex(sw.port(), kMembers + "1"), "30 00 10 00");
    EXPECT_EQ(SnmpGetHex(sw.port(), kMode + "1"), "1");
    // The trunk's own ports may stay in it.
    sw.ClearLog();
    EXPECT_TRUE(TryMembers({5}, &bAccepted, QStringLiteral("3,4,20")).empty());
    EXPECT_TRUE(bAccepted);
    EXPECT_EQ(SnmpGetHex(sw.port(), kMembers + "1"), "38 00 10 00");
}

TEST(TrunkMemberPage, CountsAreCheckedFirst)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    // Port 2 sits in trunk 3: the count checks come before the validator's.
    ASSERT_TRUE(sw.Control({"set " + kMembers + "3 4x 40000000"})) << sw.LastError();
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    sw.ClearLog();
    EXPECT_EQ(TryMembers({2}), std::vector<std::string>{"The mininum port members for an aggregated link is 2 !"});
    EXPECT_EQ(TryMembers({}), std::vector<std::string>{"The mininum port members for an aggregated link is 2 !"});
    EXPECT_EQ(TryMembers({2, 10, 11, 12, 13, 14, 15, 16, 17}),
              std::vector<std::string>{"The maxinum port member for an aggregated link is exceeded !"});
    EXPECT_EQ(TryMembers({2, 10}), std::vector<std::string>{"Cannot add the port as it is a member of another aggregated link !"});
    EXPECT_TRUE(sw.Sets().empty());
}

// The pure checks: the uniformity rule is decided by the first selected port, and unread values pass.
TEST(TrunkValidator, UniformityAndUnreadValues)
{
    CTrunkValidatorData d(8);
    const std::vector<int> sel = {0, 0, 1, 1, 0, 0, 0, 0};
    EXPECT_EQ(CheckTrunkMembers(d, sel), QString());
    d.vlanEgress = {QStringLiteral("1,2,3,4"), QStringLiteral("5,6")};
    EXPECT_EQ(CheckTrunkMembers(d, sel), QString());
    d.vlanEgress.push_back(QStringLiteral("4"));
    EXPECT_EQ(CheckTrunkMembers(d, sel), QStringLiteral("Cannot add ports with different VLAN configurations to an aggregated link !"));
    d.vlanEgress.pop_back();
    // A medium of 0 (not read) on the first port does not decide.
    d.medium = {0, 0, 0, 2, 0, 0, 0, 0};
    EXPECT_EQ(CheckTrunkMembers(d, sel), QString());
    // The STP state is read again just before its check.
    d.stp.assign(8, {});
    d.stp[3][6] = 4;
    d.stpState = 2;
    EXPECT_EQ(CheckTrunkMembers(d, sel), QString());
    int nReads = 0;
    EXPECT_EQ(CheckTrunkMembers(d, sel, [&](int& s) { ++nReads; s = 1; }),
              QStringLiteral("Cannot add a port with different RSTP port setting to an aggregated link. "));
    EXPECT_EQ(nReads, 1);
    // An auto-learn list that did not arrive passes; one that arrived empty does not.
    d.stp.clear();
    d.bAutoLearnRead = true;
    EXPECT_EQ(CheckTrunkMembers(d, sel, [](int&) {}), QStringLiteral("Cannot add a Auto-learn disabled port to an aggregated link."));
}

TEST(TrunkPage, ListsTheTrunksAndWritesStateAndMode)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    ASSERT_TRUE(sw.Control({"set " + kMembers + "2 4x 0c000000", "set " + kMode + "2 2 2", "set " + kMode + "3 2 3",
                            "set " + kV + "8.1.2.0 2 1"}))
        << sw.LastError();
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    CMessageRecorder boxes(true);
    CTrunkConfigDlg page;
    page.show();
    EXPECT_EQ(page.windowTitle(), QStringLiteral("Trunk Configuration"));
    ASSERT_TRUE(WaitFor([&] { return !page.IsRefreshing(); }, 20000));
    Rows rows = ListRows(page, CTrunkConfigDlg::IDC_LIST);
    ASSERT_EQ(rows.size(), 8u) << Describe(rows);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"2", "Static", "5,6"}));
    EXPECT_EQ(rows[2][1], "Disable");
    EXPECT_TRUE(Checked(page, CTrunkConfigDlg::IDC_ENABLE));
    EXPECT_TRUE(Enabled(page, CTrunkConfigDlg::IDC_PORT_MEMBER));

    // Selecting a row fills the edit and the combo.
    auto* pList = FindControl<CListCtrl>(&page, CTrunkConfigDlg::IDC_LIST);
    page.OnSelectRow(1);
    auto* pMode = FindControl<QComboBox>(&page, CTrunkConfigDlg::IDC_MODE);
    EXPECT_EQ(FindControl<QLineEdit>(&page, CTrunkConfigDlg::IDC_TRUNK_ID)->text(), QStringLiteral("2"));
    EXPECT_EQ(pMode->currentText(), QStringLiteral("Static"));
    EXPECT_EQ(page.SelectedMembers(), QStringLiteral("5,6"));

    // Mode: LACP for trunk 2.
    pMode->setCurrentIndex(0);
    Click(page, CTrunkConfigDlg::IDC_APPLY_MODE);
    EXPECT_EQ(SnmpGetHex(sw.port(), kMode + "2"), "1");
    ASSERT_TRUE(WaitFor([&] { return !page.IsRefreshing() && pList->GetItemCount() == 8; }, 20000));
    EXPECT_EQ(ListRows(page, CTrunkConfigDlg::IDC_LIST)[1][1], "LACP");

    // Refusals: a trunk id outside 1..8, a disabled trunk's members, no trunk at all. Nothing sent.
    sw.ClearLog();
    SetText(page, CTrunkConfigDlg::IDC_TRUNK_ID, QStringLiteral("9"));
    Click(page, CTrunkConfigDlg::IDC_APPLY_MODE);
    auto* pId = FindControl<QLineEdit>(&page, CTrunkConfigDlg::IDC_TRUNK_ID);
    EXPECT_EQ(pId->selectedText(), QStringLiteral("9"));
    pMode->setCurrentIndex(2);
    Click(page, CTrunkConfigDlg::IDC_PORT_MEMBER);
    SetText(page, CTrunkConfigDlg::IDC_TRUNK_ID, QString());
    Click(page, CTrunkConfigDlg::IDC_APPLY_MODE);  // nothing at all
    Click(page, CTrunkConfigDlg::IDC_PORT_MEMBER);
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{"Invliad VLAN ID, VLAN ID should be (1-8) !",
                                                     "Link Aggregation State is disable.", "Please select the Trunk !"}));
    EXPECT_TRUE(sw.Sets().empty());

    // State: off, and PortMember goes off with it.
    FindControl<QCheckBox>(&page, CTrunkConfigDlg::IDC_ENABLE)->setChecked(false);
    Click(page, CTrunkConfigDlg::IDC_APPLY_STATE);
    EXPECT_EQ(SnmpGetHex(sw.port(), kV + "8.1.2.0"), "2");
    EXPECT_FALSE(Enabled(page, CTrunkConfigDlg::IDC_PORT_MEMBER));
    page.reject();
}

// PortMember runs the member page with the selected trunk; its OK refreshes the list.
TEST(TrunkPage, PortMemberEditsTheSelectedTrunk)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    ASSERT_TRUE(sw.Control({"set " + kMembers + "4 4x 00030000", "set " + kMode + "4 2 2", "set " + kV + "8.1.2.0 2 1"}))
        << sw.LastError();
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    CMessageRecorder boxes(true);
    CTrunkConfigDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return !page.IsRefreshing(); }, 20000));
    page.OnSelectRow(3);
    int nRuns = 0;
    CPageDlg::SetSubPageRunner([&](CPageDlg& sub) {
        ++nRuns;
        auto& member = static_cast<CTrunkMemberDlg&>(sub);
        member.show();
        EXPECT_EQ(FindControl<QLineEdit>(&member, CTrunkMemberDlg::IDC_TRUNK_ID)->text(), QStringLiteral("4"));
        EXPECT_EQ(FindControl<QLineEdit>(&member, CTrunkMemberDlg::IDC_MODE)->text(), QStringLiteral("Static"));
        EXPECT_TRUE(Checked(member, CTrunkMemberDlg::IDC_BOX_BASE + 15));
        EXPECT_TRUE(Checked(member, CTrunkMemberDlg::IDC_BOX_BASE + 16));
        WaitFor([&] { return !member.Validator().IsReading(); }, 20000);
        Click(member, CTrunkMemberDlg::IDC_BOX_BASE + 17);
        Click(member, CPageDlg::IDOK);
        return member.result();
    });
    Click(page, CTrunkConfigDlg::IDC_PORT_MEMBER);
    CPageDlg::SetSubPageRunner({});
    EXPECT_EQ(nRuns, 1);
    EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();
    EXPECT_EQ(SnmpGetHex(sw.port(), kMembers + "4"), "00 03 80 00");
    EXPECT_EQ(SnmpGetHex(sw.port(), kMode + "4"), "2");
    ASSERT_TRUE(WaitFor([&] { return !page.IsRefreshing() && ListRows(page, CTrunkConfigDlg::IDC_LIST).size() == 8; }, 20000));
    EXPECT_EQ(ListRows(page, CTrunkConfigDlg::IDC_LIST)[3][2], "15,16,17");
    EXPECT_EQ(page.SelectedMembers(), QStringLiteral("15,16,17"));
    page.reject();
}
