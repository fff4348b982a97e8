// The auto surveillance VLAN pages against tqx-sim (TQX-8800): the settings with their conflicts, and
// the device and OUI entries of both pages, refused (message, nothing sent) or written and read back.
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/surveillance/SurveillanceOuiDlg.h"
#include "pages/surveillance/SurveillanceVlanDlg.h"

#include "MessageRecorder.h"
#include "config_support.h"

#include <QCheckBox>
#include <QComboBox>

#include <gtest/gtest.h>

using namespace viewstest;
using namespace configtest;
using tqxtest::App;
using tqxtest::CMessageRecorder;
using tqxtest::WaitFor;

namespace {

const std::string kV = "1.3.6.1.4.1.32473.10.76.10.";
const std::string kState = kV + "26.1.1.0";
const std::string kVid = kV + "26.1.2.0";
const std::string kPriority = kV + "26.1.3.0";
const std::string kOui = kV + "26.2.1.1.";
const std::string kVendor = ".10.94.49.0.0.0";

using S = CSurveillanceVlanDlg;
using O = CSurveillanceOuiDlg;

std::unique_ptr<Switch> Open8800()
{
    auto sw = std::make_unique<Switch>("TQX-8800");
    if (!sw->ok())
        return nullptr;
    tqxtest::UseAgent(sw->port(), false, "2000");
    g_nDevicePortNum = 24;
    return sw;
}

QComboBox* Combo(QWidget& page, int nId) { return FindControl<QComboBox>(&page, nId); }

QStringList Items(QWidget& page, int nId)
{
    QStringList items;
    for (int i = 0; i < Combo(page, nId)->count(); ++i)
        items << Combo(page, nId)->itemText(i);
    return items;
}

void Choose(QWidget& page, int nId, const QString& text)
{
    Combo(page, nId)->setCurrentIndex(Combo(page, nId)->findText(text));
}

// snmpwalk of the OUI table: "column.index = value" lines after the entry OID.
std::vector<std::string> WalkOui(std::uint16_t port)
{
    const std::string out = tqxtest::ToolOutput(
        QStringLiteral("snmpwalk"), {QStringLiteral("-v2c"), QStringLiteral("-c"), QStringLiteral("public"),
                                     QStringLiteral("-On"), QStringLiteral("-r1"), QStringLiteral("-t2"),
                                     QStringLiteral("127.0.0.1:%1").arg(port), QString::fromStdString(kOui.substr(0, kOui.size() - 1))});
    std::vector<std::string> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("." + kOui, 0) == 0 && line.find("No more variables") == std::string::npos)
            lines.push_back(line.substr(kOui.size() + 1));
    return lines;
}

// The OIDs of one request-log line.
std::vector<std::string> OidsOf(const std::string& line)
{
    std::vector<std::string> oids;
    std::istringstream in(line.substr(line.find("oids=") + 5));
    std::string oid;
    while (std::getline(in, oid, ','))
        oids.push_back(oid);
    return oids;
}

template <class Page>
bool Settled(Page& page)
{
    return WaitFor([&] { return !page.IsReading(); }, 10000);
}

} // namespace

// The settings are read into the page, written with one SET and read back by a new page; disabled, only
// the state is written.
TEST(SurveillanceVlan, SettingsWrittenAndReadBack)
{
    App();
    auto sw = Open8800();
    ASSERT_NE(sw, nullptr);
    ASSERT_TRUE(SnmpSet(sw->port(), {kV + "7.6.1.5.20", "i", "4"}));
    {
        CMessageRecorder boxes;
        S page;
        page.show();
        ASSERT_TRUE(Settled(page));
        EXPECT_FALSE(Checked(page, S::IDC_STATE));
        EXPECT_EQ(Items(page, S::IDC_VLAN), (QStringList{"1", "20"}));
        EXPECT_EQ(Combo(page, S::IDC_VLAN)->currentText(), "1");
        EXPECT_EQ(Combo(page, S::IDC_PRIORITY)->currentText(), "Low");
        FindControl<QCheckBox>(&page, S::IDC_STATE)->setChecked(true);
        Choose(page, S::IDC_VLAN, QStringLiteral("20"));
        Choose(page, S::IDC_PRIORITY, QStringLiteral("High"));
        sw->ClearLog();
        Click(page, S::IDC_APPLY);
        EXPECT_TRUE(boxes.texts.empty());
        const auto sets = sw->Sets(1);
        ASSERT_EQ(sets.size(), 1u);
        EXPECT_EQ(OidsOf(sets[0]), (std::vector<std::string>{kVid, kPriority, kState}));
        EXPECT_EQ(SnmpGetHex(sw->port(), kState), "1");
        EXPECT_EQ(SnmpGetHex(sw->port(), kVid), "20");
        EXPECT_EQ(SnmpGetHex(sw->port(), kPriority), "1");
        page.reject();
    }
    S page;
    page.show();
    ASSERT_TRUE(Settled(page));
    EXPECT_TRUE(Checked(page, S::IDC_STATE));
    EXPECT_EQ(Combo(page, S::IDC_VLAN)->currentText(), "20");
    EXPECT_EQ(Combo(page, S::IDC_PRIORITY)->currentText(), "High");
    FindControl<QCheckBox>(&page, S::IDC_STATE)->setChecked(false);
    sw->ClearLog();
    Click(page, S::IDC_APPLY);
    const auto sets = sw->Sets(1);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(OidsOf(sets[0]), std::vector<std::string>{kState});
    EXPECT_EQ(SnmpGetHex(sw->port(), kState), "2");
    EXPECT_EQ(SnmpGetHex(sw->port(), kVid), "20");
}

// Asymmetric mode, or the voice VLAN on the chosen VLAN, stop Apply with its message before anything
// is written, and the page shows the switch's settings again; the voice VLAN on another VLAN does not.
TEST(SurveillanceVlan, ConflictsStopApply)
{
    App();
    auto sw = Open8800();
    ASSERT_NE(sw, nullptr);
    ASSERT_TRUE(SnmpSet(sw->port(), {kV + "7.6.1.5.20", "i", "4", kV + "7.6.1.5.30", "i", "4"}));
    struct Case {
        const char* what;
        std::vector<std::string> arrange;  // snmpset triples
        const char* vlan;
        const char* message;               // nullptr: written
    };
    const Case cases[] = {
        {"asymmetric mode", {kV + "7.5.0", "i", "1"}, "20", "Auto Surveillance Vlan can not support in Asymmetric VLAN mode."},
        {"voice VLAN on the chosen VLAN", {kV + "7.5.0", "i", "2", kV + "21.1.3.0", "i", "20", kV + "21.1.2.0", "i", "1"},
         "20", "The vlan ID already is voice vlan ID."},
        {"voice VLAN on another VLAN", {kV + "21.1.3.0", "i", "30", kV + "21.1.2.0", "i", "1"}, "20", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The asymmetric-mode write resets the VLANs: they are made again.
        ASSERT_TRUE(SnmpSet(sw->port(), c.arrange));
        SnmpSet(sw->port(), {kV + "7.6.1.5.20", "i", "4"});
        SnmpSet(sw->port(), {kV + "7.6.1.5.30", "i", "4"});
        CMessageRecorder boxes;
        S page;
        page.show();
        ASSERT_TRUE(Settled(page));
        FindControl<QCheckBox>(&page, S::IDC_STATE)->setChecked(true);
        Choose(page, S::IDC_VLAN, QString::fromLatin1(c.vlan));
        sw->ClearLog();
        Click(page, S::IDC_APPLY);
        if (c.message) {
            EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
            EXPECT_TRUE(sw->Sets().empty());
            ASSERT_TRUE(Settled(page));
            EXPECT_FALSE(Checked(page, S::IDC_STATE));  // read again
            EXPECT_EQ(SnmpGetHex(sw->port(), kState), "2");
        } else {
            EXPECT_TRUE(boxes.texts.empty());
            EXPECT_EQ(sw->Sets(1).size(), 1u);
            EXPECT_EQ(SnmpGetHex(sw->port(), kState), "1");
            EXPECT_EQ(SnmpGetHex(sw->port(), kVid), "20");
        }
        page.reject();
    }
}

// What both pages refuse before sending anything, in the order of their checks.
TEST(SurveillanceEntries, RefusalsSendNothing)
{
    App();
    auto sw = Open8800();
    ASSERT_NE(sw, nullptr);
    ASSERT_TRUE(SnmpSet(sw->port(), {kOui + "5.0.28.240.0.0.1", "i", "4"}));
    struct Case {
        bool bOuiPage;
        const char* description;
        const char* mac;
        bool bDefaultMode;
        const char* message;
    };
    const char* kFormat = "Please enter correct MAC format(ex:00-00-00-00-00-01)";
    const char* kDefault = "This OUI is default, please select the default mode!";
    const Case cases[] = {
        {false, "cam;1", "zz", false, "Invalid Description."},
        {true, "cam.1", "00-1C-F0-12-34-56", false, "Invalid Description."},
        {false, "cam", "00-1C-F0-12-34", false, kFormat},
        {false, "cam", "00:1C:F0:12:34:56", false, kFormat},
        {true, "cam", "0G-1C-F0-12-34-56", false, kFormat},
        {true, "cam", "00-00-00-00-00-00", false, kFormat},
        {false, "cam", "FF-FF-FF-FF-FF-FF", false, "Broadcast MAC is not allowed."},
        {true, "cam", "FF-FF-FF-FF-FF-FF", false, "Multicast MAC  is not allowed."},
        {false, "cam", "01-00-5E-00-00-01", false, "Multicast MAC is not allowed."},
        {true, "cam", "01-00-5E-00-00-01", false, "Multicast MAC  is not allowed."},
        {false, "cam", "0a-5e-31-00-00-00", false, kDefault},
        {false, "cam", "0A-5E-31-01-23-45", false, kDefault},
        {true, "cam", "0A-5E-31-F0-00-00", false, kDefault},
        {true, "cam", "0A-5E-31-00-00-00", true, "The OUI is already exist!"},
        {false, "cam", "00-1c-f0-00-00-01", false, "The OUI is already exist!"},
        {true, "cam", "00-1C-F0-00-00-01", false, "The OUI is already exist!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.bOuiPage ? "OUI page " : "settings page ") + c.mac);
        CMessageRecorder boxes;
        std::unique_ptr<CPageDlg> page;
        if (c.bOuiPage) {
            auto p = std::make_unique<O>();
            p->show();
            ASSERT_TRUE(Settled(*p));
            SetText(*p, O::IDC_OUI, QString::fromLatin1(c.mac));
            FindControl<QCheckBox>(p.get(), O::IDC_DEFAULT_MODE)->setChecked(c.bDefaultMode);
            page = std::move(p);
        } else {
            auto p = std::make_unique<S>();
            p->show();
            ASSERT_TRUE(Settled(*p));
            SetText(*p, S::IDC_MAC, QString::fromLatin1(c.mac));
            page = std::move(p);
        }
        SetText(*page, S::IDC_DESCRIPTION, QString::fromLatin1(c.description));
        EXPECT_EQ(ListRows(*page, S::IDC_LIST).size(), 2u);
        sw->ClearLog();
        Click(*page, S::IDC_ADD);
        EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
        EXPECT_TRUE(sw->Sets().empty());
        page->reject();
    }
}

// A device added on the settings page and an OUI on the OUI page, read back with snmpwalk and listed
// on both pages; the sixth user entry and deleting the vendor's are refused; Delete removes an entry.
TEST(SurveillanceEntries, AddedListedAndDeleted)
{
    App();
    auto sw = Open8800();
    ASSERT_NE(sw, nullptr);
    const std::string device = ".0.28.240.18.52.86", oui = ".0.28.241.0.0.0";
    CMessageRecorder boxes;
    {
        S page;
        page.show();
        ASSERT_TRUE(Settled(page));
        EXPECT_EQ(ListRows(page, S::IDC_LIST), (Rows{{"1", "Orvale_Surveillance_Device", "Orvale", "0A-5E-31-00-00-00"}}));
        Choose(page, S::IDC_COMPONENT, QStringLiteral("Video_Encoder"));
        SetText(page, S::IDC_DESCRIPTION, QStringLiteral("lobby cam"));
        SetText(page, S::IDC_MAC, QStringLiteral("00-1c-f0-12-34-56"));
        sw->ClearLog();
        Click(page, S::IDC_ADD);
        ASSERT_TRUE(Settled(page));
        EXPECT_TRUE(boxes.texts.empty());
        const auto sets = sw->Sets(2);
        ASSERT_EQ(sets.size(), 2u);
        EXPECT_EQ(OidsOf(sets[0]), std::vector<std::string>{kOui + "5" + device});
        EXPECT_EQ(OidsOf(sets[1]), (std::vector<std::string>{kOui + "2" + device, kOui + "4" + device}));
        EXPECT_EQ(ListRows(page, S::IDC_LIST),
                  (Rows{{"1", "Video_Encoder", "lobby cam", "00-1C-F0-12-34-56"},
                        {"2", "Orvale_Surveillance_Device", "Orvale", "0A-5E-31-00-00-00"}}));
        page.reject();
    }
    {
        O page;
        page.show();
        ASSERT_TRUE(Settled(page));
        SetText(page, O::IDC_DESCRIPTION, QStringLiteral("recorders"));
        SetText(page, O::IDC_OUI, QStringLiteral("00-1C-F1-00-00-00"));
        sw->ClearLog();
        Click(page, O::IDC_ADD);
        ASSERT_TRUE(Settled(page));
        EXPECT_TRUE(boxes.texts.empty());
        const auto sets = sw->Sets(2);
        ASSERT_EQ(sets.size(), 2u);
        EXPECT_EQ(OidsOf(sets[1]), std::vector<std::string>{kOui + "2" + oui});
        EXPECT_EQ(ListRows(page, O::IDC_LIST),
                  (Rows{{"1", "lobby cam", "00-1C-F0-12-34-56", "FF-FF-FF-FF-FF-FF"},
                        {"2", "recorders", "00-1C-F1-00-00-00", "FF-FF-FF-00-00-00"},
                        {"3", "Orvale", "0A-5E-31-00-00-00", "FF-FF-FF-00-00-00"}}));
        page.reject();
    }
    const auto walk = WalkOui(sw->port());
    const auto has = [&](const std::string& line) { return std::find(walk.begin(), walk.end(), line) != walk.end(); };
    EXPECT_EQ(walk.size(), 15u);
    EXPECT_TRUE(has("1" + device + " = Hex-STRING: 00 1C F0 12 34 56 "));
    EXPECT_TRUE(has("2" + device + " = STRING: \"lobby cam\""));
    EXPECT_TRUE(has("4" + device + " = INTEGER: 2"));
    EXPECT_TRUE(has("2" + oui + " = STRING: \"recorders\""));
    EXPECT_TRUE(has("4" + oui + " = INTEGER: 4"));

    // Three more user entries make five: the sixth is refused on both pages.
    for (const char* index : {"5.2.0.0.0.0.1", "5.2.0.0.0.0.2", "5.2.0.0.0.0.3"})
        ASSERT_TRUE(SnmpSet(sw->port(), {kOui + index, "i", "4"}));
    O page;
    page.show();
    ASSERT_TRUE(Settled(page));
    ASSERT_EQ(ListRows(page, O::IDC_LIST).size(), 6u);
    SetText(page, O::IDC_OUI, QStringLiteral("02-00-00-00-00-04"));
    sw->ClearLog();
    Click(page, O::IDC_ADD);
    {
        S settings;
        settings.show();
        ASSERT_TRUE(Settled(settings));
        SetText(settings, S::IDC_MAC, QStringLiteral("02-00-00-00-00-04"));
        Click(settings, S::IDC_ADD);
        settings.reject();
    }
    const std::string kFull = "OUI Table is full,Maximum user defined OUI is 5.";
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{kFull, kFull}));
    EXPECT_TRUE(sw->Sets().empty());

    // Delete: nothing selected, the vendor's entry (listed last), then the OUI added above.
    boxes.clear();
    auto* pList = FindControl<CListCtrl>(&page, O::IDC_LIST);
    Click(page, O::IDC_DELETE);
    pList->SelectRow(5);
    Click(page, O::IDC_DELETE);
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{"Please Selecte the OUI Entry you would to delete",
                                                     "The default Surveillance OUI can not be deleted."}));
    EXPECT_TRUE(sw->Sets().empty());
    pList->SelectRow(1);
    ASSERT_EQ(pList->GetItemText(1, 2), "00-1C-F1-00-00-00");
    Click(page, O::IDC_DELETE);
    ASSERT_TRUE(Settled(page));
    EXPECT_EQ(ListRows(page, O::IDC_LIST).size(), 5u);
    const auto after = WalkOui(sw->port());
    EXPECT_EQ(after.size(), 25u);
    for (const std::string& line : after)
        EXPECT_EQ(line.find(oui), std::string::npos) << line;
    page.reject();
}
