// The VLAN pages against tqx-sim: what the list shows is what the agent holds; VLANs made, edited
// and deleted through the pages read back with net-snmp's snmpget as exactly the bitmaps written;
// the PVIDs go in two batches on a 48-port switch; every refusal shows its text and sends nothing;
// an agent that refuses a port-list write leaves no VLAN active that was not asked for.
#include "pages/common/MessageBox.h"
#include "pages/common/PortList.h"
#include "pages/common/SwitchOids.h"
#include "pages/vlan/PvidConfigDlg.h"
#include "pages/vlan/VlanConfigDlg.h"
#include "pages/vlan/VlanEditDlg.h"

#include "MessageRecorder.h"
#include "config_support.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

using namespace viewstest;
using namespace configtest;
using tqxtest::App;
using tqxtest::CMessageRecorder;
using tqxtest::WaitFor;

namespace {

const std::string kEgress = "1.3.6.1.4.1.32473.10.76.10.7.6.1.2.";
const std::string kUntagged = "1.3.6.1.4.1.32473.10.76.10.7.6.1.4.";
const std::string kName = "1.3.6.1.4.1.32473.10.76.10.7.6.1.1.";
const std::string kRowState = "1.3.6.1.4.1.32473.10.76.10.7.6.1.5.";
const std::string kPvid = "1.3.6.1.4.1.32473.10.76.10.7.7.1.1.";
const std::string kTrunkMembers = "1.3.6.1.4.1.32473.10.76.10.8.1.3.1.2.";

// Hex text as snmpget shows it ("E0 00 00 00") to a decimal port list.
std::string ListOfHex(const std::string& hex, int nPortNum)
{
    QString strList;
    PortListFromBitmap(QByteArray::fromHex(QByteArray::fromStdString(hex).replace(' ', "")), nPortNum, strList);
    return strList.toStdString();
}

bool Settled(const CVlanConfigDlg& page)
{
    return !page.IsRefreshing() && Enabled(page, CVlanConfigDlg::IDC_REFRESH);
}

int RowOf(const QWidget& page, const std::string& vid)
{
    const Rows rows = ListRows(page, CVlanConfigDlg::IDC_LIST);
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (rows[r][0] == vid)
            return static_cast<int>(r);
    return -1;
}

// Runs the VLAN page's sub-pages with drive(page) once their reads are done.
class SubPages : public SubPageRunner {
public:
    explicit SubPages(std::function<void(CPageDlg&)> drive)
        : SubPageRunner(std::move(drive), [](CPageDlg& page) {
              if (auto* p = qobject_cast<CVlanEditDlg*>(&page))
                  return !p->Helper().Trunks().IsRunning();
              if (auto* p = qobject_cast<CPvidConfigDlg*>(&page))
                  return !p->IsReading();
              return true;
          })
    {
    }
};

// Types text into edit key by key, as the user would.
void Type(QLineEdit* pEdit, const QString& text)
{
    pEdit->setFocus();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(pEdit, &press);
    }
}

void Choose(CPageDlg& page, int nPort, int nBase)
{
    Click(page, nBase + nPort);
}

} // namespace

TEST(VlanPage, CreatesEditsAndDeletesAVlanThatReadsBackAsWritten)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    // Asymmetric VLANs on, so that a port may be untagged in VLAN 1 and a new VLAN alike.
    ASSERT_TRUE(sw.Control({"set 1.3.6.1.4.1.32473.10.76.10.7.5.0 2 1"})) << sw.LastError();
    // VLAN 300 exists but is not in service: it is not listed.
    ASSERT_TRUE(SnmpSet(sw.port(), {kRowState + "300", "i", "5"}));
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    CMessageRecorder boxes(true);

    CVlanConfigDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return Settled(page); }, 20000));
    EXPECT_EQ(page.windowTitle(), QStringLiteral("802.1Q VLAN Configuration"));
    EXPECT_TRUE(Checked(page, CVlanConfigDlg::IDC_ASYMMETRIC));
    // VLAN 1 as the agent has it.
    const std::string all = ListOfHex(SnmpGetHex(sw.port(), kEgress + "1"), 24);
    ASSERT_FALSE(all.empty());
    Rows rows = ListRows(page, CVlanConfigDlg::IDC_LIST);
    ASSERT_EQ(rows.size(), 1u) << Describe(rows);
    EXPECT_EQ(rows[0][0], "1");
    EXPECT_EQ(rows[0][2], "24");
    EXPECT_EQ(rows[0][3], all);
    EXPECT_EQ(rows[0][4], ListOfHex(SnmpGetHex(sw.port(), kUntagged + "1"), 24));

    // Add VLAN 100 "Lab-100": ports 1 and 2 tagged, 3 untagged, 24 tagged.
    {
        SubPages sub([](CPageDlg& edit) {
            EXPECT_EQ(edit.windowTitle(), QStringLiteral("Add VLAN"));
            SetText(edit, CVlanEditDlg::IDC_VID, QStringLiteral("100"));
            SetText(edit, CVlanEditDlg::IDC_NAME, QStringLiteral("Lab-100"));
            for (int p : {1, 2, 24})
                Choose(edit, p, CVlanEditDlg::IDC_TAG_BASE);
            Choose(edit, 3, CVlanEditDlg::IDC_UNTAG_BASE);
            Click(edit, CPageDlg::IDOK);
        });
        Click(page, CVlanConfigDlg::IDC_ADD);
        EXPECT_EQ(sub.nRuns, 1);
    }
    EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();
    // 24 ports: hex e00001 padded to e0000100, four bytes.
    EXPECT_EQ(SnmpGetHex(sw.port(), kEgress + "100"), "E0 00 01 00");
    EXPECT_EQ(SnmpGetHex(sw.port(), kUntagged + "100"), "20 00 00 00");
    EXPECT_EQ(SnmpGetHex(sw.port(), kRowState + "100"), "1");
    ASSERT_TRUE(WaitFor([&] { return Settled(page) && RowOf(page, "100") >= 0; }, 20000));
    rows = ListRows(page, CVlanConfigDlg::IDC_LIST);
    EXPECT_EQ(rows[static_cast<std::size_t>(RowOf(page, "100"))],
              (std::vector<std::string>{"100", "Lab-100", "4", "1,2,3,24", "3"}));

    // Edit it: port 3 becomes tagged, port 5 untagged, port 24 leaves; the name stays.
    FindControl<CListCtrl>(&page, CVlanConfigDlg::IDC_LIST)->SelectRow(RowOf(page, "100"));
    {
        SubPages sub([](CPageDlg& edit) {
            EXPECT_EQ(edit.windowTitle(), QStringLiteral("Edit VLAN"));
            EXPECT_FALSE(FindControl<QLineEdit>(&edit, CVlanEditDlg::IDC_VID)->isEnabled());
            EXPECT_EQ(FindControl<QLineEdit>(&edit, CVlanEditDlg::IDC_NAME)->text(), QStringLiteral("Lab-100"));
            EXPECT_TRUE(Checked(edit, CVlanEditDlg::IDC_UNTAG_BASE + 3));
            EXPECT_TRUE(Checked(edit, CVlanEditDlg::IDC_TAG_BASE + 24));
            Choose(edit, 3, CVlanEditDlg::IDC_TAG_BASE);
            Choose(edit, 5, CVlanEditDlg::IDC_UNTAG_BASE);
            Choose(edit, 24, CVlanEditDlg::IDC_NOT_MEMBER_BASE);
            Click(edit, CPageDlg::IDOK);
        });
        Click(page, CVlanConfigDlg::IDC_EDIT);
        EXPECT_EQ(sub.nRuns, 1);
    }
    EXPECT_EQ(SnmpGetHex(sw.port(), kEgress + "100"), "E8 00 00 00");
    EXPECT_EQ(SnmpGetHex(sw.port(), kUntagged + "100"), "08 00 00 00");
    EXPECT_EQ(SnmpGetHex(sw.port(), kRowState + "100"), "1");
    ASSERT_TRUE(WaitFor([&] { return Settled(page) && RowOf(page, "100") >= 0; }, 20000));
    EXPECT_EQ(ListRows(page, CVlanConfigDlg::IDC_LIST)[static_cast<std::size_t>(RowOf(page, "100"))],
              (std::vector<std::string>{"100", "Lab-100", "4", "1,2,3,5", "5"}));

    // Delete it after the question.
    FindControl<CListCtrl>(&page, CVlanConfigDlg::IDC_LIST)->SelectRow(RowOf(page, "100"));
    Click(page, CVlanConfigDlg::IDC_DELETE);
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0], "The VLAN 100 settings in IGMP Snooping and MAC Address Table maybe be affected,continue?");
    ASSERT_TRUE(WaitFor([&] { return Settled(page); }, 20000));
    EXPECT_EQ(RowOf(page, "100"), -1);
    EXPECT_EQ(SnmpGetHex(sw.port(), kRowState + "100"), "");
    EXPECT_TRUE(boxes.texts.empty());
    page.accept();
}

TEST(VlanPage, ANonAsciiNameRoundTripsAsUtf8)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    CMessageRecorder boxes(true);
    CVlanConfigDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return Settled(page); }, 20000));
    const QString name = QStringLiteral("B\u00fcro-\u00c4\u00d6 \u65e5");
    SubPages sub([&](CPageDlg& edit) {
        SetText(edit, CVlanEditDlg::IDC_VID, QStringLiteral("42"));
        SetText(edit, CVlanEditDlg::IDC_NAME, name);
        Choose(edit, 7, CVlanEditDlg::IDC_TAG_BASE);
        Click(edit, CPageDlg::IDOK);
    });
    Click(page, CVlanConfigDlg::IDC_ADD);
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(SnmpGetHex(sw.port(), kName + "42"), "42 C3 BC 72 6F 2D C3 84 C3 96 20 E6 97 A5");
    ASSERT_TRUE(WaitFor([&] { return Settled(page) && RowOf(page, "42") >= 0; }, 20000));
    EXPECT_EQ(ListRows(page, CVlanConfigDlg::IDC_LIST)[static_cast<std::size_t>(RowOf(page, "42"))][1],
              name.toStdString());
    page.accept();
}

// Every refusal of the list page and the add/edit page: its message, in its order, and no SET.
TEST(VlanPage, RefusalsShowTheirTextAndSendNothing)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    // Trunk 1 holds ports 5 and 6; VLAN 100 exists with ports 1 and 2.
    ASSERT_TRUE(sw.Control({"set " + kTrunkMembers + "1 4x 0c000000"})) << sw.LastError();
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    {
        CMessageRecorder boxes(true);
        CVlanConfigDlg page;
        page.show();
        ASSERT_TRUE(WaitFor([&] { return Settled(page); }, 20000));
        SubPages sub([](CPageDlg& edit) {
            SetText(edit, CVlanEditDlg::IDC_VID, QStringLiteral("100"));
            Choose(edit, 1, CVlanEditDlg::IDC_TAG_BASE);
            Choose(edit, 2, CVlanEditDlg::IDC_TAG_BASE);
            Click(edit, CPageDlg::IDOK);
        });
        Click(page, CVlanConfigDlg::IDC_ADD);
        ASSERT_TRUE(WaitFor([&] { return Settled(page) && RowOf(page, "100") >= 0; }, 20000));
        page.accept();
    }

    CMessageRecorder boxes(false);
    CVlanConfigDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return Settled(page) && RowOf(page, "100") >= 0; }, 20000));
    sw.ClearLog();
    auto* pList = FindControl<CListCtrl>(&page, CVlanConfigDlg::IDC_LIST);

    // The list page: no selection (information icon), VLAN 1, a question answered Cancel.
    pList->clearSelection();
    Click(page, CVlanConfigDlg::IDC_EDIT);
    Click(page, CVlanConfigDlg::IDC_DELETE);
    ASSERT_EQ(boxes.requests.size(), 2u);
    EXPECT_EQ(boxes.texts[0], "Please select the VLAN !");
    EXPECT_EQ(boxes.texts[1], "Please select the VLAN want to be deleted!");
    EXPECT_EQ(boxes.requests[0].icon, MsgIcon::Information);
    EXPECT_EQ(boxes.requests[1].icon, MsgIcon::Information);
    boxes.clear();
    pList->SelectRow(RowOf(page, "1"));
    Click(page, CVlanConfigDlg::IDC_DELETE);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Can't delete the VLAN!"});
    EXPECT_TRUE(boxes.asked.empty());
    boxes.clear();
    pList->SelectRow(RowOf(page, "100"));
    Click(page, CVlanConfigDlg::IDC_DELETE);  // Cancel
    EXPECT_EQ(boxes.asked.size(), 1u);
    boxes.clear();
    Click(page, CVlanConfigDlg::IDC_APPLY);  // Cancel
    EXPECT_EQ(boxes.asked, std::vector<std::string>{"The setting of VLAN, IGMP Snooping, Management VLAN and MAC Address "
                                                    "Table will be \n reset to default."});
    boxes.clear();

    // The add/edit page's checks, each case a fresh page.
    struct Case {
        const char* what;
        bool bAdd;
        int nVid;
        QString vid, name;
        std::vector<std::pair<int, int>> choices;  // port, box base
        std::string message;
    };
    const int T = CVlanEditDlg::IDC_TAG_BASE, U = CVlanEditDlg::IDC_UNTAG_BASE, X = CVlanEditDlg::IDC_NOT_MEMBER_BASE;
    const std::string kRange = "Invalid VLAN ID, VLAN ID should be (2-4094) !";
    const Case cases[] = {
        {"VID 1", true, 0, "1", "", {{1, T}}, kRange},
        {"VID 4095", true, 0, "4095", "", {{1, T}}, kRange},
        {"no VID", true, 0, "", "", {{1, T}}, kRange},
        {"letters", true, 0, "abc", "", {{1, T}}, kRange},
        {"digits and a letter", true, 0, "12a", "", {{1, T}}, kRange},
        {"a sign", true, 0, "-5", "", {{1, T}}, kRange},
        {"VID in use", true, 0, "100", "", {{1, T}}, "The VLAN ID has been used, please input again !"},
        {"full stop in the name", true, 0, "200", "lab.200", {{1, T}}, "Invalid Vlan Name."},
        {"slash in the name", true, 0, "200", "a/b", {{1, T}}, "Invalid Vlan Name."},
        {"VID checked before the name", true, 0, "0", "a.b", {{1, T}}, kRange},
        {"half a trunk tagged", true, 0, "200", "ok", {{5, T}}, "Members in VLAN have to be in the same trunk !"},
        {"half a trunk untagged", false, 100, "", "ok", {{5, U}, {6, T}}, "Members in VLAN have to be in the same trunk !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVlanEditDlg edit(c.bAdd, 24, page.Vlans(), 1, c.nVid);
        edit.show();
        ASSERT_TRUE(WaitFor([&] { return !edit.Helper().Trunks().IsRunning(); }, 10000));
        if (c.bAdd)
            SetText(edit, CVlanEditDlg::IDC_VID, c.vid);
        SetText(edit, CVlanEditDlg::IDC_NAME, c.name);
        for (const auto& [port, base] : c.choices)
            Choose(edit, port, base);
        Click(edit, CPageDlg::IDOK);
        EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
        EXPECT_TRUE(edit.isVisible());
        edit.reject();
        boxes.clear();
    }
    // The last member of the only VLAN with members may not go.
    {
        VlanList only = {VlanEntry{7, "seven", "4", "", 1, 0}};
        CVlanEditDlg edit(false, 24, only, 1, 7);
        edit.show();
        ASSERT_TRUE(WaitFor([&] { return !edit.Helper().Trunks().IsRunning(); }, 10000));
        Choose(edit, 4, X);
        Click(edit, CPageDlg::IDOK);
        EXPECT_EQ(boxes.texts, std::vector<std::string>{"You have to include at least one member in the vlan"});
        edit.reject();
        boxes.clear();
    }
    EXPECT_TRUE(sw.Sets().empty()) << sw.Sets().front();
    page.accept();
}

// The edits keep their limits, and the three boxes of a port are one choice.
TEST(VlanEditPage, EditLimitsAndTheThreeBoxChoice)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    // Port 3 is untagged in VLAN 1 and port 9 in VLAN 20, which the page edits.
    const VlanList vlans = {VlanEntry{1, "default", "1,2,3,4", "1,2,3", 4, 3}, VlanEntry{20, "twenty", "8,9", "9", 2, 1}};
    {
        CVlanEditDlg add(true, 24, vlans, CVlanEditDlg::kAsymmetricOff);
        add.show();
        auto* pVid = FindControl<QLineEdit>(&add, CVlanEditDlg::IDC_VID);
        auto* pName = FindControl<QLineEdit>(&add, CVlanEditDlg::IDC_NAME);
        Type(pVid, QStringLiteral("123456"));
        EXPECT_EQ(pVid->text(), QStringLiteral("1234"));
        Type(pName, QString(25, QLatin1Char('n')));
        EXPECT_EQ(pName->text(), QString(20, QLatin1Char('n')));
        // Every port starts as not a member; a click on the checked box keeps it.
        EXPECT_TRUE(Checked(add, CVlanEditDlg::IDC_NOT_MEMBER_BASE + 10));
        Click(add, CVlanEditDlg::IDC_NOT_MEMBER_BASE + 10);
        EXPECT_TRUE(Checked(add, CVlanEditDlg::IDC_NOT_MEMBER_BASE + 10));
        Choose(add, 10, CVlanEditDlg::IDC_TAG_BASE);
        EXPECT_EQ(add.Choice(10), CVlanEditDlg::kTag);
        EXPECT_FALSE(Checked(add, CVlanEditDlg::IDC_NOT_MEMBER_BASE + 10));
        Choose(add, 10, CVlanEditDlg::IDC_UNTAG_BASE);
        EXPECT_EQ(add.Choice(10), CVlanEditDlg::kUntag);
        EXPECT_FALSE(Checked(add, CVlanEditDlg::IDC_TAG_BASE + 10));
        // Asymmetric mode off: a port untagged elsewhere cannot be untagged here, and nothing changes.
        Choose(add, 3, CVlanEditDlg::IDC_TAG_BASE);
        Choose(add, 3, CVlanEditDlg::IDC_UNTAG_BASE);
        EXPECT_EQ(add.Choice(3), CVlanEditDlg::kTag);
        EXPECT_TRUE(Checked(add, CVlanEditDlg::IDC_TAG_BASE + 3));
        EXPECT_FALSE(Checked(add, CVlanEditDlg::IDC_UNTAG_BASE + 3));
        add.reject();
    }
    {
        // Editing VLAN 20: port 9 leaves its untagged place and may take it again.
        CVlanEditDlg edit(false, 24, vlans, CVlanEditDlg::kAsymmetricOff, 20);
        edit.show();
        EXPECT_EQ(edit.Choice(8), CVlanEditDlg::kTag);
        EXPECT_EQ(edit.Choice(9), CVlanEditDlg::kUntag);
        EXPECT_EQ(edit.UntaggedAnywhere(), QStringLiteral("1,2,3,9"));
        Choose(edit, 9, CVlanEditDlg::IDC_TAG_BASE);
        EXPECT_EQ(edit.UntaggedAnywhere(), QStringLiteral("1,2,3"));
        Choose(edit, 9, CVlanEditDlg::IDC_UNTAG_BASE);
        EXPECT_EQ(edit.Choice(9), CVlanEditDlg::kUntag);
        edit.reject();
    }
}

// With 256 VLANs listed, Add says so and sends nothing.
TEST(VlanPage, TheTwoHundredFiftySeventhVlanIsRefused)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    for (int nFirst = 2; nFirst <= 256; nFirst += 20) {
        std::vector<std::string> args;
        for (int v = nFirst; v < nFirst + 20 && v <= 256; ++v)
            args.insert(args.end(), {kRowState + std::to_string(v), "i", "4"});
        ASSERT_TRUE(SnmpSet(sw.port(), args)) << nFirst;
    }
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    CMessageRecorder boxes(true);
    CVlanConfigDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return Settled(page); }, 60000));
    ASSERT_EQ(ListRows(page, CVlanConfigDlg::IDC_LIST).size(), 256u);
    EXPECT_EQ(page.Vlans().size(), 256u);
    sw.ClearLog();
    SubPages sub([](CPageDlg&) {});
    Click(page, CVlanConfigDlg::IDC_ADD);
    EXPECT_EQ(sub.nRuns, 0);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{" Number of VLAN group is over limit"});
    EXPECT_TRUE(sw.Sets().empty());
    page.accept();
}

// Write access off: Add, Edit, Delete and PVID stay off, whatever the refresh does.
TEST(VlanPage, WithoutWriteAccessTheWriteButtonsStayOff)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    g_bWriteAccess = false;
    CVlanConfigDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return Settled(page); }, 20000));
    EXPECT_EQ(ListRows(page, CVlanConfigDlg::IDC_LIST).size(), 1u);
    for (int nId : {CVlanConfigDlg::IDC_ADD, CVlanConfigDlg::IDC_EDIT, CVlanConfigDlg::IDC_DELETE, CVlanConfigDlg::IDC_PVID})
        EXPECT_FALSE(Enabled(page, nId)) << nId;
    for (int nId : {CVlanConfigDlg::IDC_REFRESH, CVlanConfigDlg::IDC_APPLY, CVlanConfigDlg::IDC_CLOSE})
        EXPECT_TRUE(Enabled(page, nId)) << nId;
    g_bWriteAccess = true;
    page.accept();
}

// Voice and surveillance VLANs keep the mode and their VLANs.
TEST(VlanPage, VoiceAndSurveillanceVlansAreKept)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    CMessageRecorder boxes(true);
    {
        // VLAN 30 with a member, then voice VLAN 30 and surveillance VLAN 31 switched on.
        CVlanConfigDlg page;
        page.show();
        ASSERT_TRUE(WaitFor([&] { return Settled(page); }, 20000));
        for (const char* vid : {"30", "31"}) {
            ASSERT_TRUE(WaitFor([&] { return Settled(page); }, 20000));
            SubPages sub([vid](CPageDlg& edit) {
                SetText(edit, CVlanEditDlg::IDC_VID, QString::fromLatin1(vid));
                Choose(edit, 11, CVlanEditDlg::IDC_TAG_BASE);
                Click(edit, CPageDlg::IDOK);
            });
            Click(page, CVlanConfigDlg::IDC_ADD);
        }
        page.accept();
    }
    ASSERT_TRUE(sw.Control({"set 1.3.6.1.4.1.32473.10.76.10.21.1.3.0 2 30", "set 1.3.6.1.4.1.32473.10.76.10.21.1.2.0 2 1",
                            "set 1.3.6.1.4.1.32473.10.76.10.26.1.2.0 2 31", "set 1.3.6.1.4.1.32473.10.76.10.26.1.1.0 2 1"}))
        << sw.LastError();
    boxes.clear();
    CVlanConfigDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return Settled(page) && RowOf(page, "31") >= 0; }, 20000));
    sw.ClearLog();
    auto* pList = FindControl<CListCtrl>(&page, CVlanConfigDlg::IDC_LIST);
    pList->SelectRow(RowOf(page, "30"));
    Click(page, CVlanConfigDlg::IDC_DELETE);
    pList->SelectRow(RowOf(page, "31"));
    Click(page, CVlanConfigDlg::IDC_DELETE);
    FindControl<QCheckBox>(&page, CVlanConfigDlg::IDC_ASYMMETRIC)->setChecked(true);
    Click(page, CVlanConfigDlg::IDC_APPLY);
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{
                               "The Vlan ID is Voice vlan ID.", "The Vlan ID is Surveillance VLAN  ID.",
                               "Voice Vlan is enable,the vlan mode can't change to Asymmetric mode!\nIf you could "
                               "disable it, please set it through the web!"}));
    EXPECT_TRUE(boxes.asked.empty());
    // The box shows the switch's mode again.
    EXPECT_FALSE(Checked(page, CVlanConfigDlg::IDC_ASYMMETRIC));
    EXPECT_TRUE(sw.Sets().empty());
    page.accept();
}

// Writes the agent refuses: the page says so and stays open, and every VLAN keeps the ports it had
// and stays active. VLAN 1 is written while active, so an untagged port that is not yet an egress
// member is refused at once; VLAN 100 is checked when it is activated again.
TEST(VlanPage, RefusedWritesActivateNothingAndAreReported)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    CMessageRecorder boxes(true);
    CVlanConfigDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return Settled(page); }, 20000));
    auto* pList = FindControl<CListCtrl>(&page, CVlanConfigDlg::IDC_LIST);
    // Port 7 leaves VLAN 1, then comes back untagged.
    pList->SelectRow(RowOf(page, "1"));
    {
        SubPages sub([](CPageDlg& edit) {
            Choose(edit, 7, CVlanEditDlg::IDC_NOT_MEMBER_BASE);
            Click(edit, CPageDlg::IDOK);
        });
        Click(page, CVlanConfigDlg::IDC_EDIT);
    }
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(SnmpGetHex(sw.port(), kEgress + "1"), "FD FF FF 00");
    ASSERT_TRUE(WaitFor([&] { return Settled(page); }, 20000));
    pList->SelectRow(RowOf(page, "1"));
    bool bStayedOpen = false;
    {
        SubPages sub([&](CPageDlg& edit) {
            Choose(edit, 7, CVlanEditDlg::IDC_UNTAG_BASE);
            Click(edit, CPageDlg::IDOK);
            bStayedOpen = edit.isVisible();
        });
        Click(page, CVlanConfigDlg::IDC_EDIT);
    }
    EXPECT_TRUE(bStayedOpen);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Setting the VLAN member ports failed."});
    EXPECT_EQ(ListOfHex(SnmpGetHex(sw.port(), kEgress + "1"), 24), "1,2,3,4,5,6,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24");
    EXPECT_EQ(ListOfHex(SnmpGetHex(sw.port(), kUntagged + "1"), 24), "1,2,3,4,5,6,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24");
    EXPECT_EQ(SnmpGetHex(sw.port(), kRowState + "1"), "1");
    boxes.clear();
    // Back as a tagged member first, then untagged.
    for (const int nBox : {CVlanEditDlg::IDC_TAG_BASE, CVlanEditDlg::IDC_UNTAG_BASE}) {
        ASSERT_TRUE(WaitFor([&] { return Settled(page); }, 20000));
        pList->SelectRow(RowOf(page, "1"));
        SubPages sub([nBox](CPageDlg& edit) {
            Choose(edit, 7, nBox);
            Click(edit, CPageDlg::IDOK);
        });
        Click(page, CVlanConfigDlg::IDC_EDIT);
        EXPECT_EQ(sub.nRuns, 1);
    }
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(SnmpGetHex(sw.port(), kUntagged + "1"), "FF FF FF 00");
    ASSERT_TRUE(WaitFor([&] { return Settled(page); }, 20000));

    // VLAN 100 with port 1; port 2 is forbidden in it, so it cannot be activated holding port 2.
    {
        SubPages sub([](CPageDlg& edit) {
            SetText(edit, CVlanEditDlg::IDC_VID, QStringLiteral("100"));
            Choose(edit, 1, CVlanEditDlg::IDC_TAG_BASE);
            Click(edit, CPageDlg::IDOK);
        });
        Click(page, CVlanConfigDlg::IDC_ADD);
    }
    ASSERT_TRUE(WaitFor([&] { return Settled(page) && RowOf(page, "100") >= 0; }, 20000));
    ASSERT_TRUE(sw.Control({"set 1.3.6.1.4.1.32473.10.76.10.7.6.1.3.100 4x 40000000"})) << sw.LastError();
    pList->SelectRow(RowOf(page, "100"));
    bStayedOpen = false;
    {
        SubPages sub([&](CPageDlg& edit) {
            Choose(edit, 2, CVlanEditDlg::IDC_TAG_BASE);
            Click(edit, CPageDlg::IDOK);
            bStayedOpen = edit.isVisible();
        });
        Click(page, CVlanConfigDlg::IDC_EDIT);
    }
    EXPECT_TRUE(bStayedOpen);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Setting the VLAN member ports failed."});
    EXPECT_EQ(SnmpGetHex(sw.port(), kEgress + "100"), "80 00 00 00");
    EXPECT_EQ(SnmpGetHex(sw.port(), kRowState + "100"), "1");
    page.accept();
}

TEST(PvidPage, WritesInTwoBatchesOnA48PortSwitch)
{
    App();
    Switch sw("TQX-8848");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 48;
    CMessageRecorder boxes(true);
    CVlanConfigDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return Settled(page); }, 20000));
    {
        SubPages sub([](CPageDlg& edit) {
            SetText(edit, CVlanEditDlg::IDC_VID, QStringLiteral("100"));
            for (int p : {5, 47})
                Choose(edit, p, CVlanEditDlg::IDC_TAG_BASE);
            Click(edit, CPageDlg::IDOK);
        });
        Click(page, CVlanConfigDlg::IDC_ADD);
    }
    ASSERT_TRUE(WaitFor([&] { return Settled(page) && RowOf(page, "100") >= 0; }, 20000));
    sw.ClearLog();
    {
        SubPages sub([](CPageDlg& pvid) {
            EXPECT_EQ(pvid.windowTitle(), QStringLiteral("PVID Configuration"));
            EXPECT_EQ(FindControl<QLineEdit>(&pvid, CPvidConfigDlg::IDC_PVID_BASE + 48)->text(), QStringLiteral("1"));
            SetText(pvid, CPvidConfigDlg::IDC_PVID_BASE + 47, QStringLiteral("100"));
            Click(pvid, CPageDlg::IDOK);
        });
        Click(page, CVlanConfigDlg::IDC_PVID);
        EXPECT_EQ(sub.nRuns, 1);
    }
    EXPECT_TRUE(boxes.texts.empty());
    const std::vector<std::string> sets = sw.Sets(48);
    ASSERT_EQ(sets.size(), 48u);
    for (int p = 1; p <= 48; ++p)
        EXPECT_NE(sets[static_cast<std::size_t>(p - 1)].find(kPvid + std::to_string(p)), std::string::npos) << p;
    EXPECT_EQ(SnmpGetHex(sw.port(), kPvid + "47"), "100");
    EXPECT_EQ(SnmpGetHex(sw.port(), kPvid + "46"), "1");
    ASSERT_TRUE(WaitFor([&] { return Settled(page); }, 20000));
    EXPECT_EQ(page.Pvids()[46], 100);
    page.accept();
}

TEST(PvidPage, RefusalsShowTheirTextAndSendNothing)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    // Trunk 2 holds ports 5 and 6.
    ASSERT_TRUE(sw.Control({"set " + kTrunkMembers + "2 4x 0c000000"})) << sw.LastError();
    tqxtest::UseAgent(sw.port(), false, "2000");
    g_nDevicePortNum = 24;
    const VlanList vlans = {VlanEntry{1, "default", "1,2,3", "1,2,3", 3, 3}, VlanEntry{100, "lab", "5,6", "", 2, 0},
                            VlanEntry{300, "empty", "", "", 0, 0}};
    CMessageRecorder boxes(true);
    struct Case {
        const char* what;
        std::vector<std::pair<int, const char*>> pvids;
        std::string message;
    };
    const Case cases[] = {
        {"one trunk member moved", {{5, "100"}}, "You should let all Trunk member in the same PVID !"},
        {"the whole trunk moved", {{5, "100"}, {6, "100"}},
         "Setting PVID on a Trunk is not supported. Please use Web interface for the settings."},
        {"no such VLAN", {{2, "999"}}, "Invalid PVID"},
        {"an empty text", {{2, ""}}, "Invalid PVID"},
        {"a VLAN without members", {{2, "300"}}, "Invalid PVID,VlAN is empty"},
    };
    sw.ClearLog();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPvidConfigDlg pvid(24, vlans, QStringLiteral("1,100,300"));
        pvid.show();
        ASSERT_TRUE(WaitFor([&] { return !pvid.IsReading(); }, 10000));
        EXPECT_EQ(pvid.Trunks().TrunkOf(6), 2);
        for (const auto& [port, text] : c.pvids) {
            SetText(pvid, CPvidConfigDlg::IDC_PVID_BASE + port, QString::fromLatin1(text));
        }
        Click(pvid, CPageDlg::IDOK);
        EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
        EXPECT_TRUE(pvid.isVisible());
        pvid.reject();
        boxes.clear();
    }
    EXPECT_TRUE(sw.Sets().empty());
}
