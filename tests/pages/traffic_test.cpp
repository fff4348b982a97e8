// The traffic and port-security pages against tqx-sim (TQX-8800, 24 ports): jumbo frames, multicast
// filtering per VLAN, DHCP server screening and ARP spoofing prevention. Each page's refusals are one
// table (its message, nothing sent), its writes are read back with snmpget, and the switch itself
// refuses what would split a trunk.
#include "pages/common/IpAddressCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/traffic/ArpSpoofingDlg.h"
#include "pages/traffic/DhcpScreeningDlg.h"
#include "pages/traffic/JumboFrameDlg.h"
#include "pages/traffic/MulticastFilterDlg.h"

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
