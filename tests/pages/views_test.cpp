// The public MIB views against tqx-sim: every row shown is what the agent holds (compared with
// net-snmp's own walk of the same columns), renderings, counts, Refresh, the forwarding filter, the
// System Information write, a device that stops answering, and closing during a walk.
#include "pages/mib/ForwardingTableDlg.h"
#include "pages/mib/InterfaceTableDlg.h"
#include "pages/mib/IpTableDlg.h"
#include "pages/mib/SystemInfoDlg.h"
#include "pages/mib/TcpServiceDlg.h"
#include "pages/mib/UdpServiceDlg.h"
#include "sim/SimControl.h"

#include "MessageRecorder.h"
#include "views_support.h"

#include <QElapsedTimer>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace viewstest;
using tqxtest::App;
using tqxtest::UseAgent;
using tqxtest::WaitFor;

namespace {

// tqx-sim's arguments for the SNMPv3 user of the v3 rows.
const std::vector<std::string> kV3 = tqxtest::kPagesUser.SimArgs();

std::string ControlPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / (std::string("pages-") + name + "-" + std::to_string(::getpid())))
        .string();
}

// Rows as a page shows them once a walk with rows has ended.
Rows FinishedRows(CPageDlg& page, int nList, int nRefresh)
{
    page.show();
    EXPECT_TRUE(WaitFor([&] { return !ListRows(page, nList).empty() && Enabled(page, nRefresh); }, 20000));
    return ListRows(page, nList);
}

} // namespace

TEST(InterfaceTable, ShowsTheAgentsRowsOverV1AndV3)
{
    App();
    for (const bool bV3 : {false, true}) {
        SCOPED_TRACE(bV3 ? "SNMPv3" : "SNMPv1");
        const std::string control = ControlPath("if");
        tqxtest::SimAgent sim("TQX-8800", {"--control", control, kV3[0], kV3[1]});
        ASSERT_TRUE(sim.ok());
        // Edge renderings: ten million bits per second, an operating status outside 1..3.
        ASSERT_TRUE(SimControl(control, "set 1.3.6.1.2.1.2.2.1.5.3 66 10000000", nullptr));
        ASSERT_TRUE(SimControl(control, "set 1.3.6.1.2.1.2.2.1.8.4 2 7", nullptr));
        UseAgent(sim.port(), bV3, "2000");
        // The profile's ifIndex, ifOperStatus and ifSpeed as the page shows them.
        const Rows expected = {
            {"1", "Connected", "100M"},    {"2", "Connected", "100M"},    {"3", "Connected", "10M"},
            {"4", "Unknown", "100M"},      {"5", "Connected", "10M"},     {"6", "UnConnected", "100M"},
            {"7", "Connected", "100M"},    {"8", "UnConnected", "100M"},  {"9", "Connected", "100M"},
            {"10", "Connected", "10M"},    {"11", "Connected", "100M"},   {"12", "UnConnected", "100M"},
            {"13", "Connected", "100M"},   {"14", "Connected", "100M"},   {"15", "Connected", "10M"},
            {"16", "UnConnected", "100M"}, {"17", "Connected", "100M"},   {"18", "Connected", "100M"},
            {"19", "Connected", "100M"},   {"20", "UnConnected", "100M"}, {"21", "Connected", "1000M"},
            {"22", "Connected", "1000M"},  {"23", "Connected", "1000M"},  {"24", "UnConnected", "1000M"},
            {"1001", "Connected", "0M"},
        };

        tqxtest::TraceRecorder trace;
        CInterfaceTableDlg page;
        page.show();
        EXPECT_EQ(page.windowTitle(), QStringLiteral("Interface Table"));
        EXPECT_TRUE(WaitFor([&] { return ListRows(page, 1088) == expected && Enabled(page, 3); }, 20000))
            << Describe(ListRows(page, 1088));
        EXPECT_EQ(Text(page, 1095), std::to_string(expected.size()));

        // Refresh reads again: the agent's change shows, nothing is doubled.
        ASSERT_TRUE(SimControl(control, "set 1.3.6.1.2.1.2.2.1.8.4 2 1", nullptr));
        FindControl<QAbstractButton>(&page, 3)->click();
        EXPECT_FALSE(Enabled(page, 3));
        EXPECT_TRUE(WaitFor([&] { return Enabled(page, 3); }, 20000));
        const Rows again = ListRows(page, 1088);
        ASSERT_EQ(again.size(), expected.size());
        EXPECT_EQ(again[3][1], "Connected");
        page.reject();
        const auto lines = trace.lines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), "==================DestroyWindow==============="), lines.end());
        EXPECT_NE(std::find(lines.begin(), lines.end(), "==================m_cCommonSNMP.Close==============="), lines.end());
    }
}

TEST(TableViews, IpTcpAndUdpShowTheAgentsRows)
{
    App();
    tqxtest::SimAgent sim("TQF-8828P");
    ASSERT_TRUE(sim.ok());
    UseAgent(sim.port(), false, "2000");
    // The profile's tables as the pages show them.
    struct Case {
        const char* name;
        std::function<std::unique_ptr<CPageDlg>()> make;
        int list, refresh, count;
        Rows expected;
    };
    const Case cases[] = {
        {"IP", [] { return std::make_unique<CIpTableDlg>(); }, 208, 103, 209,
         {{"127.0.0.1", "255.0.0.0"}, {"192.0.2.13", "255.255.255.0"}}},
        {"TCP", [] { return std::make_unique<CTcpServiceDlg>(); }, 234, 241, 0,
         {{"23", "0.0.0.0", "0.0.0.0", "0", "listen"},
          {"80", "0.0.0.0", "0.0.0.0", "0", "listen"},
          {"23", "192.0.2.13", "192.0.2.200", "51514", "established"},
          {"80", "192.0.2.13", "192.0.2.200", "51716", "timeWait"},
          {"80", "192.0.2.13", "192.0.2.200", "51720", "established"}}},
        {"UDP", [] { return std::make_unique<CUdpServiceDlg>(); }, 209, 241, 0, {{"161", "0.0.0.0"}, {"162", "0.0.0.0"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CPageDlg> page = c.make();
        page->show();
        EXPECT_TRUE(WaitFor([&] { return ListRows(*page, c.list) == c.expected && Enabled(*page, c.refresh); }, 20000))
            << Describe(ListRows(*page, c.list));
        if (c.count)
            EXPECT_EQ(Text(*page, c.count), std::to_string(c.expected.size()));
        page->reject();
    }
}

TEST(ViewRendering, ValuesAsThePagesShowThem)
{
    const struct {
        QString (*render)(const QString&);
        const char* in;
        const char* out;
    } cases[] = {
        {&CInterfaceTableDlg::LinkStatusText, "1", "Connected"},
        {&CInterfaceTableDlg::LinkStatusText, "2", "UnConnected"},
        {&CInterfaceTableDlg::LinkStatusText, "3", "Test"},
        {&CInterfaceTableDlg::LinkStatusText, "7", "Unknown"},
        {&CInterfaceTableDlg::LinkStatusText, "", "Unknown"},
        {&CInterfaceTableDlg::SpeedText, "10000000", "10M"},
        {&CInterfaceTableDlg::SpeedText, "100000000", "100M"},
        {&CInterfaceTableDlg::SpeedText, "999999", "0M"},
        {&CInterfaceTableDlg::SpeedText, "4294967295", "4294M"},
        {&CInterfaceTableDlg::SpeedText, "", "0M"},
        {&CSystemInfoDlg::RuntimeText, "3600000", "10 Hour 0 Min"},
        {&CSystemInfoDlg::RuntimeText, "1818000", "5 Hour 3 Min"},
        {&CSystemInfoDlg::RuntimeText, "359999", "0 Hour 59 Min"},
        {&CSystemInfoDlg::RuntimeText, "4294967295", "11930 Hour 27 Min"},
        {&CSystemInfoDlg::RuntimeText, "", ""},
        {&CTcpServiceDlg::StateText, "1", "closed"},
        {&CTcpServiceDlg::StateText, "2", "listen"},
        {&CTcpServiceDlg::StateText, "5", "established"},
        {&CTcpServiceDlg::StateText, "11", "timeWait"},
        {&CTcpServiceDlg::StateText, "12", "deleteTCB"},
        {&CTcpServiceDlg::StateText, "13", "closed"},
        {&CTcpServiceDlg::StateText, "05", "closed"},
        {&CForwardingTableDlg::StatusText, "1", "Other"},
        {&CForwardingTableDlg::StatusText, "3", "Learn"},
        {&CForwardingTableDlg::StatusText, "4", "Own"},
        {&CForwardingTableDlg::StatusText, "5", "Static"},
        {&CForwardingTableDlg::StatusText, "6", "6"},
        {&CForwardingTableDlg::StatusText, "", ""},
        {&CForwardingTableDlg::MacFromIndex, ".100.0.28.240.18.52.86", "00-1C-F0-12-34-56"},
        {&CForwardingTableDlg::MacFromIndex, "1.0.28.240.18.52.86", "00-1C-F0-12-34-56"},
        {&CForwardingTableDlg::MacFromIndex, "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.render(QString::fromLatin1(c.in)).toStdString(), c.out) << c.in;
}

TEST(ForwardingTable, ShowsTheProfilesDatabases)
{
    App();
    tqxtest::SimAgent sim("TQX-8816");
    ASSERT_TRUE(sim.ok());
    UseAgent(sim.port(), false, "2000");
    // The profile's two filtering databases (1, then 100) in index order: MAC, status, port.
    const Rows expected = {
        {"00-00-5E-00-53-10", "Learn", "1"},  {"00-00-5E-00-53-11", "Learn", "2"},  {"00-00-5E-00-53-12", "Learn", "3"},
        {"00-00-5E-00-53-13", "Learn", "5"},  {"00-00-5E-00-53-14", "Learn", "5"},  {"00-00-5E-00-53-15", "Learn", "7"},
        {"00-00-5E-00-53-16", "Learn", "10"}, {"00-00-5E-00-53-17", "Learn", "11"}, {"00-00-5E-00-53-18", "Learn", "15"},
        {"00-00-5E-00-53-19", "Learn", "15"}, {"00-00-5E-00-53-1A", "Learn", "2"},  {"00-00-5E-00-53-1B", "Learn", "5"},
        {"00-00-5E-00-53-F0", "Static", "2"}, {"00-1C-F0-12-34-56", "Learn", "15"}, {"02-54-51-04-00-00", "Own", "0"},
        {"00-00-5E-00-53-80", "Learn", "9"},  {"00-00-5E-00-53-81", "Learn", "14"}, {"00-1C-F0-12-34-56", "Learn", "15"},
        {"02-54-51-04-00-00", "Own", "0"},
    };
    CForwardingTableDlg page;
    page.show();
    EXPECT_TRUE(WaitFor([&] { return ListRows(page, 1205) == expected && Enabled(page, 20); }, 20000))
        << Describe(ListRows(page, 1205));
    EXPECT_EQ(Text(page, 1220), std::to_string(expected.size()));
    EXPECT_EQ(Text(page, 1216), "300");
    page.reject();
}

TEST(TableViews, EmptyTablesGiveNoRowsACountOfZeroAndRefresh)
{
    App();
    tqxtest::TempDir dir;
    const auto data = dir.path() / "system-only.snmprec";
    std::ofstream(data) << "1.3.6.1.2.1.1.1.0|4|bare agent\n1.3.6.1.2.1.1.5.0|4|bare\n";
    tqxtest::SimAgent sim("", {"--data", data.string(), "--log-requests"});
    ASSERT_TRUE(sim.ok());
    UseAgent(sim.port(), false, "2000");
    CInterfaceTableDlg interfaces;
    interfaces.show();
    CIpTableDlg ip;
    ip.show();
    CUdpServiceDlg udp;
    udp.show();
    CForwardingTableDlg fdb;
    fdb.show();
    WaitFor([] { return false; }, 300);
    EXPECT_TRUE(WaitFor([&] { return Enabled(interfaces, 3) && Enabled(ip, 103) && Enabled(udp, 241) && Enabled(fdb, 20); }, 10000));
    EXPECT_TRUE(ListRows(interfaces, 1088).empty());
    EXPECT_EQ(Text(interfaces, 1095), "0");
    EXPECT_TRUE(ListRows(ip, 208).empty());
    EXPECT_EQ(Text(ip, 209), "0");
    EXPECT_TRUE(ListRows(udp, 209).empty());
    EXPECT_TRUE(ListRows(fdb, 1205).empty());
    EXPECT_EQ(Text(fdb, 1220), " 0");
    // Each page did ask: the first step of every walk reached the agent.
    for (const char* oids : {"oids=1.3.6.1.2.1.2.2.1.1,", "oids=1.3.6.1.2.1.4.20.1.1,", "oids=1.3.6.1.2.1.7.5.1.2,",
                             "oids=1.3.6.1.2.1.17.7.1.2.2.1.3,"})
        EXPECT_NE(sim.process().output().find(oids), std::string::npos) << oids;
    for (CPageDlg* p : std::initializer_list<CPageDlg*>{&interfaces, &ip, &udp, &fdb})
        p->reject();
}

TEST(ForwardingTable, RowsFilterMacsAndAgeTime)
{
    App();
    // Filtering databases 1 and 100, ports that share digits (1, 5, 15), one MAC in both databases.
    tqxtest::TempDir dir;
    const auto data = dir.path() / "fdb.snmprec";
    {
        std::ofstream out(data);
        const struct {
            const char* index;
            int port, status;
        } entries[] = {
            {"1.0.28.240.18.52.86", 5, 3},    {"1.0.28.240.18.52.87", 15, 3}, {"1.0.28.240.18.52.88", 1, 3},
            {"1.0.28.240.18.52.89", 5, 5},    {"1.0.1.2.3.4.5", 0, 4},         {"100.0.28.240.18.52.86", 5, 3},
            {"100.170.187.204.221.238.255", 15, 2},
        };
        // Sorted by OID: all status values, then all ports.
        for (const auto& e : entries)
            out << "1.3.6.1.2.1.17.7.1.2.2.1.3." << e.index << "|2|" << e.status << "\n";
        for (const auto& e : entries)
            out << "1.3.6.1.2.1.17.7.1.2.2.1.2." << e.index << "|2|" << e.port << "\n";
        out << "1.3.6.1.2.1.17.4.2.0|2|300\n";
    }
    // The table walk and the age-time read run on two sessions at once, over either version.
    for (const bool bV3 : {false, true}) {
        SCOPED_TRACE(bV3 ? "SNMPv3" : "SNMPv1");
        tqxtest::SimAgent sim("", {"--data", data.string(), kV3[0], kV3[1]});
        ASSERT_TRUE(sim.ok());
        UseAgent(sim.port(), bV3, "2000");

        CForwardingTableDlg page;
        page.show();
        EXPECT_EQ(page.windowTitle(), QStringLiteral("Forwarding Table"));
        // In index order: database 1, then database 100 with the same MAC as the first learned entry.
        const Rows all = {
            {"00-01-02-03-04-05", "Own", "0"},    {"00-1C-F0-12-34-56", "Learn", "5"}, {"00-1C-F0-12-34-57", "Learn", "15"},
            {"00-1C-F0-12-34-58", "Learn", "1"},  {"00-1C-F0-12-34-59", "Static", "5"}, {"00-1C-F0-12-34-56", "Learn", "5"},
            {"AA-BB-CC-DD-EE-FF", "Invalid", "15"},
        };
        EXPECT_TRUE(WaitFor([&] { return ListRows(page, 1205) == all && Enabled(page, 20); }, 20000))
            << Describe(ListRows(page, 1205));
        EXPECT_EQ(Text(page, 1220), "7");
        EXPECT_EQ(Text(page, 1216), "300");

        const struct {
            const char* filter;
            Rows rows;
        } filters[] = {
            {"5", {all[1], all[4], all[5]}},
            {"1", {all[3]}},
            {"15", {all[2], all[6]}},
            {"05", {}},
            {"7", {}},
        };
        for (const auto& f : filters) {
            SCOPED_TRACE(f.filter);
            FindControl<QLineEdit>(&page, 1213)->setText(QString::fromLatin1(f.filter));
            FindControl<QAbstractButton>(&page, 20)->click();
            EXPECT_TRUE(WaitFor([&] { return Enabled(page, 20); }, 20000));
            EXPECT_EQ(ListRows(page, 1205), f.rows) << Describe(ListRows(page, 1205));
            EXPECT_EQ(Text(page, 1220), f.rows.empty() ? " 0" : std::to_string(f.rows.size()));
        }
        page.reject();
    }
}

TEST(SystemInformation, ReadsChecksAndWritesUtf8)
{
    App();
    const std::string control = ControlPath("sys");
    tqxtest::SimAgent sim("TQX-8848", {"--log-requests", "--control", control});
    ASSERT_TRUE(sim.ok());
    // Exactly ten hours of uptime, and a location already in UTF-8 on the device.
    ASSERT_TRUE(SimControl(control, "set 1.3.6.1.2.1.1.6.0 4x 52c3a4756d652032", nullptr));
    UseAgent(sim.port(), false, "2000");
    tqxtest::CMessageRecorder messages;
    tqxtest::TraceRecorder trace;

    CSystemInfoDlg page;
    page.show();
    EXPECT_EQ(page.windowTitle(), QStringLiteral("System Information"));
    auto* pName = FindControl<QLineEdit>(&page, 1310);
    auto* pLocation = FindControl<QLineEdit>(&page, 1313);
    ASSERT_TRUE(pName && pLocation);
    EXPECT_TRUE(WaitFor([&] { return !Text(page, 1302).empty(); }, 10000));
    EXPECT_EQ(Text(page, 1302), "TQX-8848 48-Port 10/100Mbps + 4 Gigabit Combo Managed Switch");
    EXPECT_EQ(Text(page, 1303), "1.3.6.1.4.1.32473.10.76.8848");
    EXPECT_NE(Text(page, 1304).find(" Hour "), std::string::npos);
    EXPECT_EQ(pName->text(), QStringLiteral("TQX-8848"));
    EXPECT_EQ(pLocation->text(), QString::fromUtf8("R\xc3\xa4ume 2"));
    EXPECT_EQ(pName->maxLength(), 20);
    EXPECT_EQ(FindControl<QLineEdit>(&page, 1312)->maxLength(), 32);
    EXPECT_EQ(pLocation->maxLength(), 20);

    // Refused names send nothing; with both invalid only the name is reported.
    const struct {
        const char* name;
        const char* location;
        std::vector<std::string> messages;
    } refused[] = {
        {"core.sw", "Rack 1", {"Invalid System Name."}},
        {"core sw", "Rack#1", {"Invalid System Location."}},
        {"a/b", "c:d", {"Invalid System Name."}},
    };
    sim.process().clearOutput();
    for (const auto& r : refused) {
        messages.clear();
        pName->setText(QString::fromLatin1(r.name));
        pLocation->setText(QString::fromLatin1(r.location));
        FindControl<QAbstractButton>(&page, 1145)->click();
        EXPECT_EQ(messages.texts, r.messages) << r.name;
        EXPECT_TRUE(page.isVisible());
        EXPECT_EQ(pName->text(), QString::fromLatin1(r.name));
    }
    WaitFor([] { return false; }, 200);
    EXPECT_EQ(sim.process().output().find("pdu=SET"), std::string::npos) << sim.process().output();

    // A valid name with blanks, underscores and non-ASCII letters arrives as UTF-8 and reads back.
    messages.clear();
    const QString name = QString::fromUtf8("B\xc3\xbcro S\xc3\xbc" "d_1");
    const QString location = QString::fromUtf8("\xc3\x89tage (2)");
    pName->setText(name);
    pLocation->setText(location);
    FindControl<QAbstractButton>(&page, 1145)->click();
    EXPECT_TRUE(messages.texts.empty());
    const std::string hex = tqxtest::ToolOutput(
        QStringLiteral("snmpget"), {QStringLiteral("-v1"), QStringLiteral("-c"), QStringLiteral("public"), QStringLiteral("-Ox"),
                                    QStringLiteral("-Oqv"), QStringLiteral("127.0.0.1:%1").arg(sim.port()),
                                    QStringLiteral("1.3.6.1.2.1.1.5.0"), QStringLiteral("1.3.6.1.2.1.1.4.0")});
    EXPECT_EQ(QByteArray::fromHex(QByteArray::fromStdString(hex).split('\n').value(0)), name.toUtf8()) << hex;
    pName->clear();
    pLocation->clear();
    FindControl<QAbstractButton>(&page, 103)->click();
    EXPECT_TRUE(WaitFor([&] { return pName->text() == name && pLocation->text() == location; }, 10000))
        << pName->text().toStdString();
    // One SET, of the name and the location: the contact is not written.
    std::istringstream log(sim.process().output());
    std::vector<std::string> sets;
    for (std::string line; std::getline(log, line);)
        if (line.find("pdu=SET") != std::string::npos)
            sets.push_back(line.substr(line.find("oids=")));
    EXPECT_EQ(sets, std::vector<std::string>{"oids=1.3.6.1.2.1.1.5.0,1.3.6.1.2.1.1.6.0"});

    page.findChild<QAbstractButton*>(QStringLiteral("1146"))->click();
    EXPECT_FALSE(page.isVisible());
    const auto lines = trace.lines();
    const auto at = [&](const char* text) { return std::find(lines.begin(), lines.end(), text) - lines.begin(); };
    EXPECT_LT(at("==================DestroyWindow==============="), at("==================m_cCommonSNMP.Close==============="));
    EXPECT_LT(at("==================m_cCommonSNMP.Close==============="), at("==================m_cCommonSNMPSet.Close==============="));
    EXPECT_LT(at("==================m_cCommonSNMPSet.Close==============="), static_cast<long>(lines.size()));
}

TEST(SystemInformation, WritesOverV3AndARefusedWriteChangesNothing)
{
    App();
    tqxtest::SimAgent sim("TQX-8848", {"--log-requests", kV3[0], kV3[1]});
    ASSERT_TRUE(sim.ok());
    tqxtest::CMessageRecorder messages;
    const auto deviceName = [&] {
        const std::string out = tqxtest::ToolOutput(
            QStringLiteral("snmpget"), {QStringLiteral("-v1"), QStringLiteral("-c"), QStringLiteral("public"),
                                        QStringLiteral("-Oqv"), QStringLiteral("127.0.0.1:%1").arg(sim.port()),
                                        QStringLiteral("1.3.6.1.2.1.1.5.0")});
        return out.substr(0, out.find('\n'));
    };
    const struct {
        const char* name;
        bool bV3;
        const char* setCommunity;  // nullptr: the default write community
        const char* written;
        const char* after;         // the device's name afterwards, as snmpget prints it
    } cases[] = {
        {"SNMPv3", true, nullptr, "core3", "\"core3\""},
        {"the read community for writing", false, "public", "refused", "\"core3\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseAgent(sim.port(), c.bV3, "2000");
        if (c.setCommunity)
            g_strSetCommunity = QString::fromLatin1(c.setCommunity);
        sim.process().clearOutput();
        CSystemInfoDlg page;
        page.show();
        auto* pName = FindControl<QLineEdit>(&page, 1310);
        ASSERT_NE(pName, nullptr);
        ASSERT_TRUE(WaitFor([&] { return !pName->text().isEmpty(); }, 10000));
        pName->setText(QString::fromLatin1(c.written));
        FindControl<QAbstractButton>(&page, 1145)->click();
        ASSERT_TRUE(sim.process().waitForOutput("pdu=SET", std::chrono::seconds(5)));
        EXPECT_EQ(deviceName(), c.after);
        EXPECT_TRUE(messages.texts.empty());
        page.reject();
    }
}

TEST(TableViews, DeviceThatStopsAnsweringKeepsTheRowsReadSoFar)
{
    App();
    const std::string control = ControlPath("stop");
    tqxtest::SimAgent sim("TQX-8848", {"--control", control, "--delay", "20"});
    ASSERT_TRUE(sim.ok());
    UseAgent(sim.port(), false, "500");
    const Rows expected = [] {
        CInterfaceTableDlg whole;
        return FinishedRows(whole, 1088, 3);
    }();
    ASSERT_GE(expected.size(), 48u);
    CInterfaceTableDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return ListRows(page, 1088).size() >= 5; }, 20000));
    tqxtest::TraceRecorder trace;
    ASSERT_TRUE(SimControl(control, "drop 1", nullptr));
    EXPECT_TRUE(WaitFor([&] { return Enabled(page, 3); }, 10000));
    const Rows shown = ListRows(page, 1088);
    // The page's texts stay; the trace says the walk was cut short.
    const std::string cut = "ended on a time-out after " + std::to_string(shown.size()) + " rows, before the end of the table";
    const auto lines = trace.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(cut) != std::string::npos; }));
    ASSERT_GE(shown.size(), 5u);
    ASSERT_LT(shown.size(), expected.size());
    EXPECT_EQ(shown, Rows(expected.begin(), expected.begin() + static_cast<long>(shown.size())));
    EXPECT_EQ(Text(page, 1095), std::to_string(shown.size()));
    WaitFor([] { return false; }, 700);
    EXPECT_EQ(ListRows(page, 1088), shown);
    page.reject();
}

TEST(TableViews, SilentDeviceNeverFreezesAPage)
{
    App();
    tqxtest::SimAgent sim("TQX-8800", {"--drop", "1"});
    ASSERT_TRUE(sim.ok());
    UseAgent(sim.port(), false, "3000");
    const struct {
        std::function<std::unique_ptr<CPageDlg>()> make;
        int refresh;
    } pages[] = {
        {[] { return std::make_unique<CInterfaceTableDlg>(); }, 3},
        {[] { return std::make_unique<CIpTableDlg>(); }, 103},
        {[] { return std::make_unique<CSystemInfoDlg>(); }, 0},
        {[] { return std::make_unique<CForwardingTableDlg>(); }, 20},
        {[] { return std::make_unique<CTcpServiceDlg>(); }, 241},
        {[] { return std::make_unique<CUdpServiceDlg>(); }, 241},
    };
    std::vector<std::unique_ptr<CPageDlg>> open;
    for (const auto& p : pages) {
        QElapsedTimer timer;
        timer.start();
        open.push_back(p.make());
        open.back()->show();
        tqxtest::WaitFor([] { return false; }, 50);
        // A read that blocked the window would take the whole 3000 ms time-out here.
        EXPECT_LT(timer.elapsed(), 2000) << open.back()->windowTitle().toStdString();
    }
    // Every read is under way (Refresh off), then times out: no rows, Refresh back, the fields as
    // they were.
    for (std::size_t i = 0; i < open.size(); ++i)
        if (pages[i].refresh)
            EXPECT_FALSE(Enabled(*open[i], pages[i].refresh)) << i;
    for (std::size_t i = 0; i < open.size(); ++i)
        if (pages[i].refresh)
            EXPECT_TRUE(WaitFor([&] { return Enabled(*open[i], pages[i].refresh); }, 10000)) << i;
    EXPECT_TRUE(ListRows(*open[0], 1088).empty());
    EXPECT_EQ(Text(*open[2], 1302), "");
    EXPECT_EQ(Text(*open[3], 1216), "");
    for (auto& p : open)
        p->reject();
}

TEST(TableViews, ClosingDuringAWalkReturnsWithinTheSessionBoundAndAsksNoMore)
{
    App();
    const auto getNexts = [](const std::string& log) {
        int n = 0;
        for (std::size_t pos = 0; (pos = log.find("pdu=GETNEXT", pos)) != std::string::npos; ++pos)
            ++n;
        return n;
    };
    for (const bool bV3 : {false, true}) {
        SCOPED_TRACE(bV3 ? "SNMPv3" : "SNMPv1");
        tqxtest::SimAgent sim("TQX-8848", {"--delay", "1500", "--log-requests", kV3[0], kV3[1]});
        ASSERT_TRUE(sim.ok());
        UseAgent(sim.port(), bV3, "3000");
        auto page = std::make_unique<CTcpServiceDlg>();
        page->show();
        // The walk's first step has reached the agent, whose answer comes 1500 ms later.
        ASSERT_TRUE(WaitFor([&] { return getNexts(sim.process().output()) > 0; }, 10000));
        ASSERT_FALSE(Enabled(*page, 241));
        QElapsedTimer timer;
        timer.start();
        page->reject();
        page.reset();
        // The bound: the session's time-out plus 1000 ms, with room for a slow machine.
        EXPECT_LT(timer.elapsed(), 3000 + 1000 + 2000);
        const int nAtClose = getNexts(sim.process().output());
        // The answer to the step in flight arrives after the close; it must start no next step.
        WaitFor([] { return false; }, 1500 + 1000);
        EXPECT_EQ(getNexts(sim.process().output()), nAtClose) << sim.process().output();
    }
}

TEST(TableViews, RecordingOfAnotherAgentShowsThatAgentsRows)
{
    App();
    // net-snmp's snmpd describes this machine's own interfaces and addresses; tqx-sim serves its
    // recording, and the pages must show exactly what snmpd itself answers.
    tqxtest::SnmpdAgent snmpd;
    ASSERT_TRUE(snmpd.ok());
    tqxtest::TempDir dir;
    const auto recording = dir.path() / "snmpd.snmprec";
    const std::string recorded = tqxtest::ToolOutput(
        QStringLiteral("python3"),
        {QStringLiteral(TQX_SOURCE_DIR "/tests/support/snmprec_record.py"), QStringLiteral("127.0.0.1:%1").arg(snmpd.port()),
         QStringLiteral("public"), QString::fromStdString(recording.string()), QStringLiteral("1.3.6.1.2.1")},
        120000);
    ASSERT_TRUE(std::filesystem::exists(recording)) << recorded;
    tqxtest::SimAgent sim("", {"--data", recording.string()});
    ASSERT_TRUE(sim.ok());

    // The same pages over snmpd itself give the rows to expect.
    UseAgent(snmpd.port(), false, "2000");
    const Rows interfaces = [] {
        CInterfaceTableDlg page;
        return FinishedRows(page, 1088, 3);
    }();
    ASSERT_FALSE(interfaces.empty());
    const Rows addresses = [] {
        CIpTableDlg page;
        return FinishedRows(page, 208, 103);
    }();
    ASSERT_FALSE(addresses.empty());

    UseAgent(sim.port(), false, "2000");
    CInterfaceTableDlg ifPage;
    ifPage.show();
    CIpTableDlg ipPage;
    ipPage.show();
    EXPECT_TRUE(WaitFor([&] { return ListRows(ifPage, 1088) == interfaces && Enabled(ifPage, 3); }, 20000))
        << Describe(ListRows(ifPage, 1088)) << "snmpd:\n" << Describe(interfaces);
    EXPECT_TRUE(WaitFor([&] { return ListRows(ipPage, 208) == addresses && Enabled(ipPage, 103); }, 20000))
        << Describe(ListRows(ipPage, 208)) << "snmpd:\n" << Describe(addresses);
    ifPage.reject();
    ipPage.reject();
}
