// The traffic and port-security pages against tqx-sim (TQX-8800, 24 ports): jumbo frames, multicast
// filtering per VLAN, DHCP server screening, ARP spoofing prevention and 802.1X. Each page's refusals are one
// table (its message, nothing sent), its writes are read back with snmpget, and the switch itself
// refuses what would split a trunk.
#include "pages/common/IpAddressCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/dot1x/Dot1xGlobalDlg.h"
#include "pages/dot1x/Dot1xPortDlg.h"
#include "pages/traffic/ArpSpoofingDlg.h"
#include "pages/traffic/DhcpScreeningDlg.h"
#include "pages/traffic/JumboFrameDlg.h"
#include "pages/traffic/MulticastFilterDlg.h"

#include "MessageRecorder.h"
#include "config_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>

#include <gtest/gtest.h>

using namespace viewstest;
using namespace configtest;
using tqxtest::App;
using tqxtest::CMessageRecorder;
using tqxtest::WaitFor;

namespace {

const std::string kV = "1.3.6.1.4.1.32473.10.76.10.";
const std::string kJumbo = kV + "1.12.0";
const std::string kMcastMode = kV + "7.8.1.2.";
const std::string kVlanEntry = kV + "7.6.1.";
const std::string kDhcp = kV + "14.7.1.0";
const std::string kArp = kV + "14.3.1.1.";
const std::string kTrunk1 = kV + "8.1.3.1.2.1";
// Ports 6 and 7 as a 24-port list.
const std::string kPorts6And7 = "4x 060000";

using A = CArpSpoofingAddDlg;
using D = CDhcpScreeningDlg;
using L = CArpSpoofingDlg;
using M = CMulticastFilterDlg;

std::string Set(const std::string& oid, const std::string& tagValue)
{
    return "set " + oid + " " + tagValue;
}

// A TQX-8800 with the arranged objects, the pages pointed at it.
std::unique_ptr<Switch> Open8800(const std::vector<std::string>& arrange = {})
{
    auto sw = std::make_unique<Switch>("TQX-8800");
    if (!sw->ok() || !sw->Control(arrange))
        return nullptr;
    tqxtest::UseAgent(sw->port(), false, "2000");
    g_nDevicePortNum = 24;
    return sw;
}

QComboBox* Combo(QWidget& page, int nId)
{
    return FindControl<QComboBox>(&page, nId);
}

void Choose(QWidget& page, int nId, int nIndex)
{
    QComboBox* pCombo = Combo(page, nId);
    pCombo->setCurrentIndex(nIndex);
    emit pCombo->activated(nIndex);
}

void SetCheck(QWidget& page, int nId, bool bChecked)
{
    FindControl<QCheckBox>(&page, nId)->setChecked(bChecked);
}

// The add page filled in: address text (as typed, fields it lacks stay blank), MAC text and ports.
void FillArp(CArpSpoofingAddDlg& page, const QString& strIp, const QString& strMac, const std::vector<int>& ports)
{
    FindControl<CIpAddressCtrl>(&page, A::IDC_IP)->Clear();
    FindControl<CIpAddressCtrl>(&page, A::IDC_IP)->SetAddress(strIp);
    SetText(page, A::IDC_MAC, strMac);
    for (int p : ports)
        SetCheck(page, A::IDC_BOX_BASE + p, true);
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

} // namespace

// Apply shows the message for the box first, writes, and closes the page; a new page shows what the
// switch holds. A write that gets no answer still had its message.
TEST(JumboFrame, ApplyTellsThenWritesAndTheSwitchKeepsIt)
{
    App();
    auto sw = Open8800();
    ASSERT_NE(sw, nullptr);
    EXPECT_EQ(SnmpGetHex(sw->port(), kJumbo), "2");
    struct Case {
        bool bEnable;
        const char* message;
        const char* value;
    };
    for (const Case& c : {Case{true, "Enabled Jumbo Frame", "1"}, Case{false, "Disabled Jumbo Frame", "2"}}) {
        SCOPED_TRACE(c.message);
        CMessageRecorder boxes;
        CJumboFrameDlg page;
        page.show();
        EXPECT_EQ(Checked(page, CJumboFrameDlg::IDC_ENABLE), !c.bEnable);
        SetCheck(page, CJumboFrameDlg::IDC_ENABLE, c.bEnable);
        Click(page, CJumboFrameDlg::IDOK);
        EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
        EXPECT_FALSE(page.isVisible());
        EXPECT_EQ(SnmpGetHex(sw->port(), kJumbo), c.value);
    }
    // No answer: the message all the same, the setting unchanged.
    ASSERT_TRUE(sw->Control({"drop 1"}));
    CMessageRecorder boxes;
    CJumboFrameDlg page;
    page.show();
    SetCheck(page, CJumboFrameDlg::IDC_ENABLE, true);
    Click(page, CJumboFrameDlg::IDOK);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Enabled Jumbo Frame"});
    EXPECT_FALSE(page.isVisible());
    ASSERT_TRUE(sw->Control({"drop 0"}));
    EXPECT_EQ(SnmpGetHex(sw->port(), kJumbo), "2");
}

// The list holds a row per VLAN with its name; one VLAN is set alone, "All" sets every listed VLAN in
// one request; a VLAN that is destroyed takes its row with it.
TEST(MulticastFilter, OneVlanOrAllInOneRequest)
{
    App();
    auto sw = Open8800();
    ASSERT_NE(sw, nullptr);
    ASSERT_TRUE(SnmpSet(sw->port(), {kVlanEntry + "5.2", "i", "4", kVlanEntry + "1.2", "s", "Office"}));
    ASSERT_TRUE(SnmpSet(sw->port(), {kVlanEntry + "5.3", "i", "4"}));
    CMulticastFilterDlg page;
    page.show();
    const auto settled = [&] { return !page.IsReading() && Enabled(page, M::IDC_APPLY); };
    ASSERT_TRUE(WaitFor(settled, 10000));
    const std::string fwd = "Forward Unregistered Groups", filter = "Filtering Unregistered Groups";
    EXPECT_EQ(ListRows(page, M::IDC_LIST), (Rows{{"1", "default", fwd}, {"2", "Office", fwd}, {"3", "", fwd}}));
    ASSERT_EQ(Combo(page, M::IDC_VLAN)->count(), 3);
    EXPECT_EQ(Combo(page, M::IDC_VLAN)->currentText(), "1");

    sw->ClearLog();
    Combo(page, M::IDC_VLAN)->setCurrentIndex(1);
    Combo(page, M::IDC_MODE)->setCurrentIndex(1);
    Click(page, M::IDC_APPLY);
    ASSERT_TRUE(WaitFor(settled, 10000));
    ASSERT_EQ(sw->Sets(1).size(), 1u);
    EXPECT_EQ(OidsOf(sw->Sets()[0]), std::vector<std::string>{kMcastMode + "2"});
    EXPECT_EQ(SnmpGetHex(sw->port(), kMcastMode + "2"), "1");
    EXPECT_EQ(SnmpGetHex(sw->port(), kMcastMode + "1"), "0");
    EXPECT_EQ(ListRows(page, M::IDC_LIST), (Rows{{"1", "default", fwd}, {"2", "Office", filter}, {"3", "", fwd}}));

    sw->ClearLog();
    SetCheck(page, M::IDC_ALL, true);
    EXPECT_FALSE(Combo(page, M::IDC_VLAN)->isEnabled());
    Click(page, M::IDC_APPLY);
    ASSERT_TRUE(WaitFor(settled, 10000));
    ASSERT_EQ(sw->Sets(1).size(), 1u);
    EXPECT_EQ(OidsOf(sw->Sets()[0]), (std::vector<std::string>{kMcastMode + "1", kMcastMode + "2", kMcastMode + "3"}));
    for (const char* vid : {"1", "2", "3"})
        EXPECT_EQ(SnmpGetHex(sw->port(), kMcastMode + vid), "1") << vid;
    EXPECT_EQ(ListRows(page, M::IDC_LIST), (Rows{{"1", "default", filter}, {"2", "Office", filter}, {"3", "", filter}}));

    ASSERT_TRUE(SnmpSet(sw->port(), {kVlanEntry + "5.3", "i", "6"}));
    EXPECT_EQ(SnmpGetHex(sw->port(), kMcastMode + "3"), "");
    Click(page, M::IDC_REFRESH);
    ASSERT_TRUE(WaitFor(settled, 10000));
    EXPECT_EQ(ListRows(page, M::IDC_LIST).size(), 2u);
    page.reject();
}

// Ports 6 and 7 form a trunk: a span that would set only one of them is refused with its message and
// nothing sent; a span over both is written, read back and listed.
TEST(DhcpScreening, SpansKeepTrunksWhole)
{
    App();
    auto sw = Open8800({Set(kTrunk1, kPorts6And7)});
    ASSERT_NE(sw, nullptr);
    const std::string trunk =
        "Cannot add ports with different DHCP Server Screening Port Settings to an aggregated link.";
    struct Case {
        const char* what;
        int nFrom, nTo, nState;  // nState: 0 Disabled, 1 Enabled
        std::string message;
    };
    const Case cases[] = {
        {"5 to 6 enabled, 7 left out", 5, 6, 1, trunk},
        {"7 alone enabled", 7, 7, 1, trunk},
        {"7 to 10 enabled, 6 left out", 7, 10, 1, trunk},
    };
    CDhcpScreeningDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return !page.IsReadingTrunks(); }, 10000));
    ASSERT_EQ(page.Trunks().TrunkOf(6), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CMessageRecorder boxes;
        sw->ClearLog();
        Choose(page, D::IDC_FROM_PORT, c.nFrom - 1);
        Choose(page, D::IDC_TO_PORT, c.nTo - 1);
        Choose(page, D::IDC_STATE, c.nState);
        Click(page, D::IDC_APPLY);
        EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
        EXPECT_TRUE(sw->Sets().empty());
    }
    {
        // To Port below From Port is put back to From Port.
        CMessageRecorder boxes;
        Choose(page, D::IDC_FROM_PORT, 9);
        Choose(page, D::IDC_TO_PORT, 4);
        EXPECT_EQ(boxes.texts, std::vector<std::string>{"'To Port' can not be smaller than 'From Port'"});
        EXPECT_EQ(Combo(page, D::IDC_TO_PORT)->currentText(), "10");
    }
    CMessageRecorder boxes;
    sw->ClearLog();
    Choose(page, D::IDC_FROM_PORT, 2);
    Choose(page, D::IDC_TO_PORT, 6);
    Choose(page, D::IDC_STATE, 1);
    Click(page, D::IDC_APPLY);
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(sw->Sets(1).size(), 1u);
    EXPECT_EQ(SnmpGetHex(sw->port(), kDhcp), "3E 00 00 00");  // ports 3 to 7, padded as written
    const Rows rows = ListRows(page, D::IDC_LIST);
    ASSERT_EQ(rows.size(), 24u);
    for (int p = 1; p <= 24; ++p)
        EXPECT_EQ(rows[p - 1], (std::vector<std::string>{std::to_string(p), p >= 3 && p <= 7 ? "Enabled" : "Disabled"}));
    // A page opened now shows the same.
    CDhcpScreeningDlg again;
    again.show();
    EXPECT_EQ(ListRows(again, D::IDC_LIST), rows);
    again.reject();
    page.reject();
}

// Every check of the add page in its order, one row each: its message and no SET. Ports 6 and 7 form a
// trunk. Last, a valid entry whose question is cancelled sends nothing either.
TEST(ArpSpoofing, EveryRefusalOfTheAddPageShowsItsMessageAndSendsNothing)
{
    App();
    auto sw = Open8800({Set(kTrunk1, kPorts6And7)});
    ASSERT_NE(sw, nullptr);
    const std::string format = "Please enter correct IP format(ex:192.168.0.10)";
    const std::string invalid = "Invalid IP.", invalid2 = "Invalid  IP.", multicastIp = "Multicast IP is not allowed";
    const std::string mac = "Please enter correct MAC format(ex:00-00-00-00-00-01)";
    const std::string trunk = "ARP Spoofing Prevention enabled port must match to the aggregated link port.";
    const std::string good = "00-1C-F0-12-34-56";
    struct Case {
        const char* ip;
        std::string strMac;
        std::vector<int> ports;
        std::string message;
    };
    const Case cases[] = {
        {"", good, {1}, format},
        {"192.168.1", good, {1}, format},
        {"0.0.0.0", good, {1}, invalid},
        {"0.1.2.3", good, {1}, invalid2},
        {"255.1.2.3", good, {1}, invalid2},
        {"10.1.2.0", good, {1}, invalid},
        {"10.1.2.255", good, {1}, invalid},
        {"224.0.0.1", good, {1}, multicastIp},
        {"127.0.0.1", good, {1}, multicastIp},
        {"128.0.0.1", good, {1}, multicastIp},
        {"223.255.255.1", good, {1}, multicastIp},
        {"10.1.2.3", "00-1C-F0-12-34", {1}, mac},
        {"10.1.2.3", "00:1C:F0:12:34:56", {1}, mac},
        {"10.1.2.3", "00-1C-F0-12-34-5G", {1}, mac},
        {"10.1.2.3", "00-00-00-00-00-00", {1}, mac},
        {"10.1.2.3", "ff-ff-ff-ff-ff-ff", {1}, "Broadcast MAC is not allowed."},
        {"10.1.2.3", "01-00-5E-00-00-01", {1}, "Multicast MAC address is not allowed."},
        {"10.1.2.3", good, {6}, trunk},
        {"10.1.2.3", good, {5, 7}, trunk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.ip) + " " + c.strMac);
        CMessageRecorder boxes(true);
        CArpSpoofingAddDlg page(24);
        page.show();
        ASSERT_TRUE(WaitFor([&] { return !page.IsReadingTrunks(); }, 10000));
        FillArp(page, QString::fromLatin1(c.ip), QString::fromStdString(c.strMac), c.ports);
        sw->ClearLog();
        Click(page, A::IDC_APPLY);
        EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
        EXPECT_TRUE(boxes.asked.empty());
        EXPECT_TRUE(sw->Sets().empty());
        EXPECT_TRUE(page.isVisible());
        page.reject();
    }
    CMessageRecorder boxes(false);
    CArpSpoofingAddDlg page(24);
    page.show();
    ASSERT_TRUE(WaitFor([&] { return !page.IsReadingTrunks(); }, 10000));
    FillArp(page, QStringLiteral("10.1.2.3"), QString::fromStdString(good), {6, 7});
    sw->ClearLog();
    Click(page, A::IDC_APPLY);
    EXPECT_TRUE(boxes.texts.empty());
    ASSERT_EQ(boxes.requests.size(), 1u);
    EXPECT_EQ(boxes.asked, std::vector<std::string>{"Make sure the host IP and MAC exists or you will lose the connection."});
    EXPECT_TRUE(sw->Sets().empty());
    page.reject();
}

// An entry added through the list page: the three writes in order, the row read back and listed with
// its port ranges; Delete removes it; Delete without a row and Add at 64 entries are refused.
TEST(ArpSpoofing, AddListAndDelete)
{
    App();
    auto sw = Open8800({Set(kTrunk1, kPorts6And7)});
    ASSERT_NE(sw, nullptr);
    CMessageRecorder boxes(true);
    CArpSpoofingDlg list;
    list.show();
    const auto settled = [&] { return !list.IsReading() && Enabled(list, L::IDC_REFRESH); };
    ASSERT_TRUE(WaitFor(settled, 10000));
    EXPECT_TRUE(ListRows(list, L::IDC_LIST).empty());
    {
        SubPageRunner runner(
            [](CPageDlg& p) {
                auto& add = static_cast<CArpSpoofingAddDlg&>(p);
                FillArp(add, QStringLiteral("192.168.1.1"), QStringLiteral("00-1c-f0-12-34-56"), {1, 2, 3, 6, 7, 9});
                add.grab().save(QStringLiteral(TQX_BINARY_DIR "/tests/pages/artefacts/page-197-arp-add.png"));
                Click(add, A::IDC_APPLY);
            },
            [](CPageDlg& p) { return !static_cast<CArpSpoofingAddDlg&>(p).IsReadingTrunks(); });
        sw->ClearLog();
        Click(list, L::IDC_ADD);
        EXPECT_EQ(runner.nRuns, 1);
    }
    EXPECT_TRUE(boxes.texts.empty());
    ASSERT_TRUE(WaitFor(settled, 10000));
    const std::string index = ".192.168.1.1";
    const std::vector<std::string> sets = sw->Sets(3);
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_EQ(OidsOf(sets[0]), std::vector<std::string>{kArp + "4" + index});
    EXPECT_EQ(OidsOf(sets[1]), (std::vector<std::string>{kArp + "2" + index, kArp + "3" + index}));
    EXPECT_EQ(OidsOf(sets[2]), std::vector<std::string>{kArp + "4" + index});
    EXPECT_EQ(SnmpGetHex(sw->port(), kArp + "2" + index), "00 1C F0 12 34 56");
    EXPECT_EQ(SnmpGetHex(sw->port(), kArp + "3" + index), "E6 80 00 00");
    EXPECT_EQ(SnmpGetHex(sw->port(), kArp + "4" + index), "1");
    EXPECT_EQ(ListRows(list, L::IDC_LIST), (Rows{{"1", "192.168.1.1", "00-1C-F0-12-34-56", "1-3,6-7,9"}}));
    EXPECT_EQ(Text(list, L::IDC_TOTAL), "1");
    // A picture of the page with its entry for whoever looks at the build's results.
    QDir().mkpath(QStringLiteral(TQX_BINARY_DIR "/tests/pages/artefacts"));
    list.grab().save(QStringLiteral(TQX_BINARY_DIR "/tests/pages/artefacts/page-196-arp.png"));

    sw->ClearLog();
    Click(list, L::IDC_DELETE);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Please select the entry you would be delete!"});
    EXPECT_TRUE(sw->Sets().empty());
    boxes.clear();
    FindControl<CListCtrl>(&list, L::IDC_LIST)->SelectRow(0);
    Click(list, L::IDC_DELETE);
    ASSERT_TRUE(WaitFor(settled, 10000));
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(SnmpGetHex(sw->port(), kArp + "4" + index), "");
    EXPECT_TRUE(ListRows(list, L::IDC_LIST).empty());
    list.reject();

    // 64 entries: Add says so and runs no add page.
    std::vector<std::string> arrange;
    for (int n = 1; n <= 64; ++n) {
        const std::string ip = "10.0." + std::to_string(n / 200) + "." + std::to_string(n % 200 + 1);
        arrange.push_back(Set(kArp + "1." + ip, "64 " + ip));
        arrange.push_back(Set(kArp + "2." + ip, "4x 001CF0000001"));
        arrange.push_back(Set(kArp + "3." + ip, "4x 800000"));
        arrange.push_back(Set(kArp + "4." + ip, "2 1"));
    }
    ASSERT_TRUE(sw->Control(arrange)) << sw->LastError();
    CArpSpoofingDlg full;
    full.show();
    ASSERT_TRUE(WaitFor([&] { return !full.IsReading() && Text(full, L::IDC_TOTAL) == "64"; }, 20000));
    SubPageRunner runner([](CPageDlg&) {});
    Click(full, L::IDC_ADD);
    EXPECT_EQ(runner.nRuns, 0);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"The Maximum of Entry is 64, can not add any more"});
    full.reject();
}

// What the switch itself refuses, through net-snmp's snmpset (each row refused, the last taken), so a
// manager other than these pages cannot split a trunk or break a table either. Ports 6 and 7 form a
// trunk.
TEST(TrafficSwitch, RefusesWhatASwitchRefuses)
{
    App();
    auto sw = Open8800({Set(kTrunk1, kPorts6And7)});
    ASSERT_NE(sw, nullptr);
    const std::string good = "001CF0123456";
    struct Case {
        const char* what;
        std::vector<std::string> args;
        bool bTaken;
    };
    const Case cases[] = {
        {"jumbo 3", {kJumbo, "i", "3"}, false},
        {"jumbo as text", {kJumbo, "s", "1"}, false},
        {"multicast mode 2", {kMcastMode + "1", "i", "2"}, false},
        {"multicast mode of a VLAN that does not exist", {kMcastMode + "5", "i", "1"}, false},
        {"multicast VLAN id column", {kV + "7.8.1.1.1", "i", "1"}, false},
        {"DHCP screening on port 6 only", {kDhcp, "x", "04000000"}, false},
        {"DHCP screening on port 32 of 24", {kDhcp, "x", "00000001"}, false},
        {"ARP entry for a multicast gateway", {kArp + "4.224.0.0.1", "i", "5"}, false},
        {"ARP entry with a multicast MAC", {kArp + "4.10.0.0.1", "i", "4", kArp + "2.10.0.0.1", "x", "01005E000001"}, false},
        {"ARP entry with a MAC of 5 octets", {kArp + "4.10.0.0.1", "i", "4", kArp + "2.10.0.0.1", "x", "001CF01234"}, false},
        {"ARP entry splitting the trunk",
         {kArp + "4.10.0.0.1", "i", "4", kArp + "2.10.0.0.1", "x", good, kArp + "3.10.0.0.1", "x", "04000000"}, false},
        {"ARP entry without a MAC put into service", {kArp + "4.10.0.0.2", "i", "4"}, false},
        {"DHCP screening on ports 6 and 7", {kDhcp, "x", "06000000"}, true},
        {"ARP entry on the whole trunk",
         {kArp + "4.10.0.0.1", "i", "4", kArp + "2.10.0.0.1", "x", good, kArp + "3.10.0.0.1", "x", "06000000"}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SnmpSet(sw->port(), c.args), c.bTaken) << c.what;
    EXPECT_EQ(SnmpGetHex(sw->port(), kDhcp), "06 00 00 00");
    EXPECT_EQ(SnmpGetHex(sw->port(), kArp + "1.10.0.0.1"), "10.0.0.1");  // the gateway column spells the index
    EXPECT_EQ(SnmpGetHex(sw->port(), kArp + "4.10.0.0.2"), "");
}

// Every check of the 802.1X global page in its order, one row each: its message and no SET, the
// timers included (nothing is written before all of them are checked).
TEST(Dot1xGlobal, EveryRefusalShowsItsMessageAndSendsNothing)
{
    App();
    auto sw = Open8800();
    ASSERT_NE(sw, nullptr);
    using G = CDot1xGlobalDlg;
    const std::string ip = "Invalid RADIUS Server IP Address.";
    struct Case {
        const char* what;
        const char *radius, *key, *confirm;
        std::array<const char*, 6> timers;  // QuietPeriod, TxPeriod, SuppTimeout, ServerTimeout, MaxReq, ReAuthPeriod
        std::string message;
    };
    const std::array<const char*, 6> ok = {"60", "30", "30", "30", "2", "3600"};
    const Case cases[] = {
        {"address 0.0.0.0, key empty too", "0.0.0.0", "", "", ok, ip},
        {"first octet 0", "0.1.2.3", "k", "k", ok, ip},
        {"first octet 255", "255.1.2.3", "k", "k", ok, ip},
        {"last octet 0", "10.1.2.0", "k", "k", ok, ip},
        {"last octet 255, a timer wrong too", "10.1.2.255", "k", "k", {"65536", "30", "30", "30", "2", "3600"}, ip},
        {"no key", "10.1.2.3", "", "", ok, "Invalid Key."},
        {"key not confirmed", "10.1.2.3", "secret", "secreT", ok, "Please confirm the key again !"},
        {"QuietPeriod 65536", "10.1.2.3", "k", "k", {"65536", "30", "30", "30", "2", "3600"}, "Invalid QuietPeriod (0-65535)"},
        {"QuietPeriod not a number", "10.1.2.3", "k", "k", {"x", "30", "30", "30", "2", "3600"}, "Invalid QuietPeriod (0-65535)"},
        {"TxPeriod 0, MaxReq 11", "10.1.2.3", "k", "k", {"0", "0", "30", "30", "11", "3600"}, "Invalid TxPeriod (1-65535)"},
        {"SuppTimeout 65536", "10.1.2.3", "k", "k", {"0", "1", "65536", "30", "2", "3600"}, "Invalid SuppTimeout (1-65535)"},
        {"ServerTimeout 0", "10.1.2.3", "k", "k", {"0", "1", "1", "0", "2", "3600"}, "Invalid ServerTimeout (1-65535)"},
        {"MaxReq 11", "10.1.2.3", "k", "k", {"0", "1", "1", "1", "11", "3600"}, "Invalid MaxReq (1-10)"},
        {"MaxReq 0", "10.1.2.3", "k", "k", {"0", "1", "1", "1", "0", "3600"}, "Invalid MaxReq (1-10)"},
        {"ReAuthPeriod 0", "10.1.2.3", "k", "k", {"0", "1", "1", "1", "1", "0"}, "Invalid ReAuthPeriod (1-4294967295)"},
        {"ReAuthPeriod 4294967296", "10.1.2.3", "k", "k", {"0", "1", "1", "1", "1", "4294967296"},
         "Invalid ReAuthPeriod (1-4294967295)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CMessageRecorder boxes;
        CDot1xGlobalDlg page;
        page.show();
        ASSERT_TRUE(WaitFor([&] { return !page.IsReading(); }, 10000));
        SetCheck(page, G::IDC_ENABLE, true);
        FindControl<CIpAddressCtrl>(&page, G::IDC_RADIUS_IP)->SetAddress(QString::fromLatin1(c.radius));
        SetText(page, G::IDC_KEY, QString::fromLatin1(c.key));
        SetText(page, G::IDC_CONFIRM_KEY, QString::fromLatin1(c.confirm));
        const int ids[] = {G::IDC_QUIET_PERIOD, G::IDC_TX_PERIOD, G::IDC_SUPP_TIMEOUT, G::IDC_SERVER_TIMEOUT,
                           G::IDC_MAX_REQ, G::IDC_REAUTH_PERIOD};
        for (int i = 0; i < 6; ++i)
            SetText(page, ids[i], QString::fromLatin1(c.timers[static_cast<std::size_t>(i)]));
        sw->ClearLog();
        Click(page, G::IDC_APPLY);
        EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
        EXPECT_TRUE(sw->Sets().empty());
        page.reject();
    }
}

// The globals read at opening; Apply with the box checked writes state, server and key, then the
// timers; the key shows in no trace line and reads back empty. Unchecked, only the state is written.
TEST(Dot1xGlobal, SettingsAreWrittenAndTheKeyStaysSecret)
{
    App();
    auto sw = Open8800();
    ASSERT_NE(sw, nullptr);
    using G = CDot1xGlobalDlg;
    const QString key = QStringLiteral("Radius-Key-4711");
    tqxtest::TraceRecorder trace;
    CMessageRecorder boxes;
    {
        CDot1xGlobalDlg page;
        page.show();
        ASSERT_TRUE(WaitFor([&] { return !page.IsReading(); }, 10000));
        EXPECT_FALSE(Checked(page, G::IDC_ENABLE));
        EXPECT_EQ(FindControl<QLineEdit>(&page, G::IDC_QUIET_PERIOD)->text(), "60");
        EXPECT_EQ(FindControl<QLineEdit>(&page, G::IDC_REAUTH_PERIOD)->text(), "3600");
        SetCheck(page, G::IDC_ENABLE, true);
        FindControl<CIpAddressCtrl>(&page, G::IDC_RADIUS_IP)->SetAddress(QStringLiteral("10.0.0.5"));
        SetText(page, G::IDC_KEY, key);
        SetText(page, G::IDC_CONFIRM_KEY, key);
        const std::pair<int, const char*> timers[] = {{G::IDC_QUIET_PERIOD, "0"}, {G::IDC_TX_PERIOD, "15"},
                                                      {G::IDC_SUPP_TIMEOUT, "20"}, {G::IDC_SERVER_TIMEOUT, "25"},
                                                      {G::IDC_MAX_REQ, "10"}, {G::IDC_REAUTH_PERIOD, "4294967295"}};
        for (const auto& [id, value] : timers)
            SetText(page, id, QString::fromLatin1(value));
        Combo(page, G::IDC_REAUTH_ENABLED)->setCurrentIndex(0);
        sw->ClearLog();
        Click(page, G::IDC_APPLY);
        EXPECT_TRUE(boxes.texts.empty());
        const std::vector<std::string> sets = sw->Sets(2);
        ASSERT_EQ(sets.size(), 2u);
        EXPECT_EQ(OidsOf(sets[0]), (std::vector<std::string>{kV + "11.2.1.0", kV + "11.1.1.0", kV + "11.1.2.0"}));
        EXPECT_EQ(OidsOf(sets[1]).size(), 7u);
        page.reject();
    }
    EXPECT_EQ(SnmpGetHex(sw->port(), kV + "11.2.1.0"), "1");
    EXPECT_EQ(SnmpGetHex(sw->port(), kV + "11.1.1.0"), "10.0.0.5");
    EXPECT_EQ(SnmpGetHex(sw->port(), kV + "11.1.2.0"), "");  // a secret reads as an empty text
    const char* const expected[] = {"0", "15", "20", "25", "10", "4294967295", "1"};
    for (int n = 2; n <= 8; ++n)
        EXPECT_EQ(SnmpGetHex(sw->port(), kV + "11.2." + std::to_string(n) + ".0"), expected[n - 2]) << n;
    for (const std::string& line : trace.lines())
        EXPECT_EQ(line.find(key.toStdString()), std::string::npos) << line;
    EXPECT_EQ(sw->Requests().size() > 0, true);
    for (const std::string& line : sw->Requests())
        EXPECT_EQ(line.find(key.toStdString()), std::string::npos) << line;

    CDot1xGlobalDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return !page.IsReading(); }, 10000));
    EXPECT_TRUE(Checked(page, G::IDC_ENABLE));
    EXPECT_EQ(FindControl<CIpAddressCtrl>(&page, G::IDC_RADIUS_IP)->Address(), "10.0.0.5");
    SetCheck(page, G::IDC_ENABLE, false);
    sw->ClearLog();
    Click(page, G::IDC_APPLY);
    const std::vector<std::string> sets = sw->Sets(1);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(OidsOf(sets[0]), std::vector<std::string>{kV + "11.2.1.0"});
    EXPECT_EQ(SnmpGetHex(sw->port(), kV + "11.2.1.0"), "2");
    EXPECT_EQ(SnmpGetHex(sw->port(), kV + "11.2.2.0"), "0");  // the timers stay
    page.reject();
}

// The port page's rules over every port's control: a trunk in the span, and no span that leaves every
// port force-unauthorized or auto (24 ports; ports 6 and 7 a trunk where the row says so).
TEST(Dot1xPort, TheCoverageAndTrunkRules)
{
    const std::string trunk = "Cannot add an aggregated link to the 802.1X-enabled port";
    const std::string allUnauth = "Could not set all port  Force Unauthorized to the port access control.";
    const std::string allAuto = "Could not set all port AUTO  to the port access control.";
    const std::string allEither = "Could not set all port AUTO or Force Unauthorized to the port access control.";
    // Every port's control: all forceAuthorized but the given ranges.
    const auto controls = [](std::initializer_list<std::tuple<int, int, int>> ranges) {
        std::vector<int> c(24, 3);
        for (const auto& [first, last, v] : ranges)
            for (int p = first; p <= last; ++p)
                c[static_cast<std::size_t>(p - 1)] = v;
        return c;
    };
    std::vector<int> noTrunks(24, 0), trunk67(24, 0);
    trunk67[5] = trunk67[6] = 1;
    struct Case {
        const char* what;
        int nFrom, nTo, nControl;
        std::vector<int> controls, trunks;
        std::string message;
    };
    const Case cases[] = {
        {"span reaching a trunk member", 5, 6, 2, controls({}), trunk67, trunk},
        {"a trunk member alone, forceAuthorized", 7, 7, 3, controls({}), trunk67, trunk},
        {"ports 2-24 forceUnauthorized, port 1 too", 1, 1, 1, controls({{2, 24, 1}}), noTrunks, allUnauth},
        {"ports 2-24 forceUnauthorized, port 1 auto", 1, 1, 2, controls({{2, 24, 1}}), noTrunks, allEither},
        {"ports 2-24 forceUnauthorized, port 1 forceAuthorized", 1, 1, 3, controls({{2, 24, 1}}), noTrunks, ""},
        {"ports 1-12 auto, 13-24 auto", 13, 24, 2, controls({{1, 12, 2}}), noTrunks, allAuto},
        {"ports 1-12 auto, 13-24 forceUnauthorized", 13, 24, 1, controls({{1, 12, 2}}), noTrunks, allEither},
        {"ports 1-23 auto, port 24 stays forceAuthorized", 1, 23, 2, controls({}), noTrunks, ""},
        {"all 24 forceUnauthorized at once", 1, 24, 1, controls({}), noTrunks, allUnauth},
        {"span over the ports that are not forceAuthorized", 2, 24, 3, controls({{2, 24, 1}}), noTrunks, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDot1xPortDlg::CheckSpan(c.nFrom, c.nTo, c.nControl, c.controls, c.trunks).toStdString(), c.message)
            << c.what;
}

// Through the page against the switch: the refusal of the last forceAuthorized port sends nothing, 40
// ports go out in two requests of 30 and 10 bindings, and the list shows what the switch holds.
TEST(Dot1xPort, SpansAreWrittenThirtyPortsARequest)
{
    App();
    using P = CDot1xPortDlg;
    {
        std::vector<std::string> arrange;
        for (int p = 2; p <= 24; ++p)
            arrange.push_back(Set(kV + "11.2.9.1.2." + std::to_string(p), "2 1"));
        auto sw = Open8800(arrange);
        ASSERT_NE(sw, nullptr);
        CMessageRecorder boxes;
        CDot1xPortDlg page;
        page.show();
        ASSERT_TRUE(WaitFor([&] { return !page.IsReading(); }, 10000));
        ASSERT_EQ(ListRows(page, P::IDC_LIST).size(), 24u);
        EXPECT_EQ(ListRows(page, P::IDC_LIST)[1][2], "forceUnauthorized");
        sw->ClearLog();
        Click(page, P::IDC_APPLY);  // port 1 to port 1, forceUnauthorized
        EXPECT_EQ(boxes.texts,
                  std::vector<std::string>{"Could not set all port  Force Unauthorized to the port access control."});
        EXPECT_TRUE(sw->Sets().empty());
        // The switch refuses it too.
        EXPECT_FALSE(SnmpSet(sw->port(), {kV + "11.2.9.1.2.1", "i", "1"}));
        page.reject();
    }
    auto sw = std::make_unique<Switch>("TQX-8848");
    ASSERT_TRUE(sw->ok());
    tqxtest::UseAgent(sw->port(), false, "2000");
    g_nDevicePortNum = 48;
    ASSERT_TRUE(sw->Control({Set(kV + "11.2.1.0", "2 1")}));
    CMessageRecorder boxes;
    CDot1xPortDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return !page.IsReading(); }, 10000));
    Combo(page, P::IDC_FROM_PORT)->setCurrentIndex(0);
    Combo(page, P::IDC_TO_PORT)->setCurrentIndex(39);
    Combo(page, P::IDC_CONTROL)->setCurrentIndex(1);
    sw->ClearLog();
    Click(page, P::IDC_APPLY);
    EXPECT_TRUE(boxes.texts.empty());
    const std::vector<std::string> sets = sw->Sets(2);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(OidsOf(sets[0]).size(), 30u);
    EXPECT_EQ(OidsOf(sets[1]).size(), 10u);
    EXPECT_EQ(OidsOf(sets[1]).back(), kV + "11.2.9.1.2.40");
    EXPECT_EQ(SnmpGetHex(sw->port(), kV + "11.2.9.1.2.40"), "2");
    EXPECT_EQ(SnmpGetHex(sw->port(), kV + "11.2.9.1.2.41"), "3");
    ASSERT_TRUE(WaitFor([&] { return !page.IsReading() && ListRows(page, P::IDC_LIST).size() == 48u; }, 10000))
        << ListRows(page, P::IDC_LIST).size() << " reading " << page.IsReading();
    const Rows rows = ListRows(page, P::IDC_LIST);
    EXPECT_EQ((std::vector<std::string>(rows[39].begin(), rows[39].begin() + 3)),
              (std::vector<std::string>{"40", "unauthorized", "auto"}));  // 802.1X runs, no supplicant answers
    EXPECT_EQ((std::vector<std::string>(rows[40].begin(), rows[40].begin() + 3)),
              (std::vector<std::string>{"41", "authorized", "forceAuthorized"}));
    page.reject();
}
