// Page reads against net-snmp's command-line tools making the same reads on the same tqx-sim
// (TQX-8848, 48 ports, 256 VLANs), each side repeated in turn in this run, medians compared:
//   - the 802.1Q VLAN page's Refresh, from the click to the last row listed, against snmpget of its
//     two scalar groups and snmpwalk -v1 of the PVID column and the four VLAN table columns;
//   - the trunk member page from its construction to the validator's last read, against the same
//     reads one after another: one snmpwalk -v1 per column walked, one snmpget per group of scalars,
//     one snmpgetnext for the DHCP screening list;
//   - the Port Configuration and Spanning Tree Table refreshes, against snmpwalk -v1 of the same
//     columns.
// The tools are separate processes (as a user would run them); their time includes their start-up,
// without MIB loading (MIBS empty, -m '' -M /nonexistent), which the page does not do either. The
// figure of the tools' start-up alone (the same number of runs of an snmpget that finds nothing, timed
// in each repetition too) is printed beside each comparison. Ratio = tool time / page time: at least 1 means the page is no
// slower than the tools.
#include "AgentSettings.h"
#include "Agents.h"
#include "core/Settings.h"
#include "pages/common/Controls.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/SwitchOids.h"
#include "pages/port/PortConfigDlg.h"
#include "pages/stp/StpOids.h"
#include "pages/stp/StpPortTableDlg.h"
#include "pages/trunk/TrunkMemberDlg.h"
#include "pages/vlan/VlanConfigDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kPorts = 48;
constexpr int kVlans = 256;
const std::string kVendor = "1.3.6.1.4.1.32473.10.76.10.";

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Runs the event loop until cond holds or ms pass (a 1 ms precise heartbeat keeps it waking).
bool Until(const std::function<bool()>& cond, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// One net-snmp tool run (tool: snmpwalk, snmpget, snmpgetnext, snmpset) with SNMPv1 on the agent;
// the number of values it printed, or -1 when it could not be started or failed.
long Tool(const char* tool, std::uint16_t port, const std::vector<std::string>& args, const char* community = "public")
{
    std::string command = std::string("MIBS= /usr/bin/") + tool + " -v1 -c " + community +
                          " -On -m '' -M /nonexistent -t 2 -r 0 127.0.0.1:" + std::to_string(port);
    for (const std::string& a : args)
        command += " " + a;
    command += " 2>/dev/null";
    FILE* out = ::popen(command.c_str(), "r");
    if (!out)
        return -1;
    long values = 0;
    char line[4096];
    while (std::fgets(line, sizeof line, out))
        if (line[0] == '.')
            ++values;
    return ::pclose(out) == 0 ? values : -1;
}

// One read as the tools make it: a walk of one column, a GET of a group of scalars, or a GET-NEXT.
struct Read {
    const char* tool;
    std::vector<std::string> oids;
};

// Every read in order; the number of values printed, or -1 when a tool failed.
long ToolReads(std::uint16_t port, const std::vector<Read>& reads)
{
    long values = 0;
    for (const Read& read : reads) {
        const long n = Tool(read.tool, port, read.oids);
        if (n < 0) {
            std::fprintf(stderr, "%s %s failed\n", read.tool, read.oids.front().c_str());
            return -1;
        }
        values += n;
    }
    return values;
}

// Reads with every walk split into one snmpwalk per column, as the tool walks.
std::vector<Read> PerColumn(const std::vector<Read>& reads)
{
    std::vector<Read> out;
    for (const Read& read : reads) {
        if (std::string(read.tool) == "snmpwalk")
            for (const std::string& column : read.oids)
                out.push_back({"snmpwalk", {column}});
        else
            out.push_back(read);
    }
    return out;
}

// The tools' start-up alone: runs snmpget runs of a GET that the agent answers with an error.
double StartupSeconds(std::uint16_t port, std::size_t runs)
{
    const auto start = Clock::now();
    for (std::size_t r = 0; r < runs; ++r)
        Tool("snmpget", port, {"1.3.6.1.2.1.2.2.1.3.99999"});
    return Seconds(start);
}

std::string V(const char* tail)
{
    return kVendor + tail;
}

std::string S(const QString& oid)
{
    return oid.toStdString();
}

// VLANs 2..kVlans, each with every port as a tagged member, five VLANs per SET; true when the agent
// then holds kVlans active rows.
bool CreateVlans(std::uint16_t port)
{
    std::vector<std::string> args;
    for (int vid = 2; vid <= kVlans; ++vid) {
        const std::string index = "." + std::to_string(vid);
        char name[16];
        std::snprintf(name, sizeof name, "vlan%04d", vid);
        args.insert(args.end(), {S(oid::kVlanStaticRowState) + index, "i", "4", S(oid::kVlanStaticName) + index, "s",
                                 name, S(oid::kVlanStaticEgressPorts) + index, "x", "FFFFFFFFFFFF"});
        if (args.size() == 45 || vid == kVlans) {
            if (Tool("snmpset", port, args, "private") < 0)
                return false;
            args.clear();
        }
    }
    return Tool("snmpwalk", port, {S(oid::kVlanStaticRowState)}) == kVlans;
}

void Report(const char* what, const std::vector<double>& page, const std::vector<double>& tool,
            const std::vector<double>& startups, std::size_t runs)
{
    const double p = Median(page), t = Median(tool), startup = Median(startups);
    std::printf("%s\n", what);
    std::printf("  page:  median %.1f ms (min %.1f, max %.1f) over %zu runs\n", p * 1e3,
                *std::min_element(page.begin(), page.end()) * 1e3, *std::max_element(page.begin(), page.end()) * 1e3,
                page.size());
    std::printf("  tools: median %.1f ms (min %.1f, max %.1f), %zu processes a run, their start-up alone (median) %.1f ms\n",
                t * 1e3, *std::min_element(tool.begin(), tool.end()) * 1e3,
                *std::max_element(tool.begin(), tool.end()) * 1e3, runs, startup * 1e3);
    std::printf("  ratio tools / page: %.2f", t / p);
    if (t > startup)
        std::printf(" (%.2f without the tools' start-up)", (t - startup) / p);
    std::printf("\n");
}

bool VlanBench(std::uint16_t port, int repeats)
{
    using namespace oid;
    const std::vector<Read> reads = PerColumn({
        {"snmpget", {S(kVoiceVlanState), S(kVoiceVlanId), S(kSurveillanceVlanState), S(kSurveillanceVlanId)}},
        {"snmpget", {S(kAsymmetricVlan)}},
        {"snmpwalk", {S(kVlanPvid)}},
        {"snmpwalk", {S(kVlanStaticName), S(kVlanStaticEgressPorts), S(kVlanStaticUntaggedPorts), S(kVlanStaticRowState)}},
    });
    const long expected = 4 + 1 + kPorts + 4L * kVlans;

    CVlanConfigDlg page;
    page.show();
    const auto settled = [&] {
        return !page.IsRefreshing() && FindControl<QAbstractButton>(&page, CVlanConfigDlg::IDC_REFRESH)->isEnabled();
    };
    if (!Until(settled, 30000) || page.Vlans().size() != kVlans) {
        std::fprintf(stderr, "VLAN page: %zu VLANs listed, %d expected\n", page.Vlans().size(), kVlans);
        return false;
    }
    const long warm = ToolReads(port, reads);
    if (warm != expected) {
        std::fprintf(stderr, "VLAN reads by the tools: %ld values, %ld expected\n", warm, expected);
        return false;
    }
    std::vector<double> pageTimes, toolTimes, startupTimes;
    for (int r = 0; r < repeats; ++r) {
        auto start = Clock::now();
        page.OnRefresh();
        if (!Until(settled, 30000) || page.Vlans().size() != kVlans || page.Pvids().back() != 1) {
            std::fprintf(stderr, "VLAN page refresh %d: %zu VLANs\n", r, page.Vlans().size());
            return false;
        }
        pageTimes.push_back(Seconds(start));
        start = Clock::now();
        if (ToolReads(port, reads) != expected)
            return false;
        toolTimes.push_back(Seconds(start));
        startupTimes.push_back(StartupSeconds(port, reads.size()));
    }
    Report("802.1Q VLAN page Refresh of 256 VLANs (48 ports) against snmpget/snmpwalk -v1 of the same objects",
           pageTimes, toolTimes, startupTimes, reads.size());
    return true;
}

bool TrunkBench(std::uint16_t port, int repeats)
{
    using namespace oid;
    // The validator's reads, in the order it starts them.
    const std::vector<Read> reads = PerColumn({
        {"snmpwalk", {S(kLaPortChannelMemberList), S(kLaPortChannelMode)}},
        {"snmpwalk", {S(kVlanStaticEgressPorts), S(kVlanStaticUntaggedPorts)}},
        {"snmpwalk", {V("15.2.1.1.10")}},
        {"snmpget", {V("18.3.0"), V("18.4.0"), V("9.2.0")}},
        {"snmpwalk", {V("14.3.1.1.3")}},
        {"snmpwalk", {V("26.1.5.1.2"), V("26.1.5.1.3")}},
        {"snmpwalk", {V("6.2.1.4"), V("6.2.1.2"), V("6.2.1.5"), V("6.2.1.16"), V("6.2.1.18"), V("6.2.1.17"),
                      V("6.2.1.14"), V("11.2.9.1.2"), V("21.1.6.1.2")}},
        {"snmpwalk", {V("1.13.1.2"), V("12.3.1.1.2"), S(kVlanPvid), V("14.2.1.1.2"), V("1.13.1.7"), V("17.4.1.2"),
                      V("13.1.2.1.2"), V("13.1.2.1.3")}},
        {"snmpget", {V("18.1.0"), V("18.2.0")}},
        {"snmpwalk", {V("9.3.1.3")}},
        {"snmpget", {V("11.2.1.0"), V("6.1.1.0"), V("26.1.1.0")}},
        {"snmpgetnext", {V("14.7.1")}},
    });
    const auto open = [&]() -> bool {
        CTrunkMemberDlg page(kPorts, QStringLiteral("1"), QStringLiteral("LACP"), QString());
        page.show();
        if (!Until([&] { return !page.Validator().IsReading(); }, 30000))
            return false;
        // Every VLAN's egress list and every port's settings arrived.
        const CTrunkValidatorData& data = page.Validator().Data();
        return data.vlanEgress.size() == kVlans && data.speed.back() != 0 && data.stp.size() == kPorts;
    };
    if (!open()) {
        std::fprintf(stderr, "trunk member page: the validator's reads did not all arrive\n");
        return false;
    }
    const long values = ToolReads(port, reads);
    if (values < 2L * kVlans + 17L * kPorts) {
        std::fprintf(stderr, "trunk reads by the tools: %ld values\n", values);
        return false;
    }
    std::vector<double> pageTimes, toolTimes, startupTimes;
    for (int r = 0; r < repeats; ++r) {
        auto start = Clock::now();
        if (!open())
            return false;
        pageTimes.push_back(Seconds(start));
        start = Clock::now();
        if (ToolReads(port, reads) != values)
            return false;
        toolTimes.push_back(Seconds(start));
        startupTimes.push_back(StartupSeconds(port, reads.size()));
    }
    Report("Trunk member page, opening to the validator's last read (48 ports, 256 VLANs), against the same "
           "reads one after another by snmpwalk/snmpget/snmpgetnext -v1",
           pageTimes, toolTimes, startupTimes, reads.size());
    return true;
}

bool PortConfigBench(std::uint16_t port, int repeats)
{
    using namespace oid;
    const std::vector<Read> reads = PerColumn({
        {"snmpwalk", {S(kLaPortChannelMemberList)}},
        {"snmpwalk", {V("1.13.1.2"), V("1.13.1.3"), V("1.13.1.5"), V("12.3.1.1.2"), V("1.13.1.6"), V("1.13.1.7")}},
    });
    const long expected = 8 + 6L * kPorts;

    CPortConfigDlg page;
    page.show();
    const auto settled = [&] {
        return !page.IsRefreshing() && FindControl<QAbstractButton>(&page, CPortConfigDlg::IDC_REFRESH)->isEnabled();
    };
    const auto rows = [&] { return FindControl<CListCtrl>(&page, CPortConfigDlg::IDC_LIST)->GetItemCount(); };
    if (!Until(settled, 30000) || rows() != kPorts) {
        std::fprintf(stderr, "Port Configuration: %d ports listed, %d expected\n", rows(), kPorts);
        return false;
    }
    const long warm = ToolReads(port, reads);
    if (warm != expected) {
        std::fprintf(stderr, "port reads by the tools: %ld values, %ld expected\n", warm, expected);
        return false;
    }
    std::vector<double> pageTimes, toolTimes, startupTimes;
    for (int r = 0; r < repeats; ++r) {
        auto start = Clock::now();
        page.OnRefresh();
        if (!Until(settled, 30000) || rows() != kPorts) {
            std::fprintf(stderr, "Port Configuration refresh %d: %d ports\n", r, rows());
            return false;
        }
        pageTimes.push_back(Seconds(start));
        start = Clock::now();
        if (ToolReads(port, reads) != expected)
            return false;
        toolTimes.push_back(Seconds(start));
        startupTimes.push_back(StartupSeconds(port, reads.size()));
    }
    Report("Port Configuration Refresh (48 ports and the trunks' members) against snmpwalk -v1 of the same columns",
           pageTimes, toolTimes, startupTimes, reads.size());
    return true;
}

bool StpPortTableBench(std::uint16_t port, int repeats)
{
    using T = CStpPortTableDlg;
    std::vector<Read> reads;
    for (int c : {oid::kStpPort, oid::kStpPortPriority, oid::kStpPortPathCost, oid::kStpPortEnable, oid::kStpPortState,
                  oid::kStpPortDesignatedRoot, oid::kStpPortDesignatedCost, oid::kStpPortDesignatedBridge,
                  oid::kStpPortDesignatedPort, oid::kStpPortForwardTransitions})
        reads.push_back({"snmpwalk", {S(oid::StpPortColumn(c))}});
    const long expected = 10L * kPorts;

    T page;
    page.show();
    const auto rows = [&] { return FindControl<CListCtrl>(&page, T::IDC_LIST)->GetItemCount(); };
    const auto settled = [&] {
        return !page.IsReading() && FindControl<QAbstractButton>(&page, T::IDC_REFRESH)->isEnabled() && rows() == kPorts;
    };
    if (!Until(settled, 30000)) {
        std::fprintf(stderr, "Spanning Tree Table: %d ports listed, %d expected\n", rows(), kPorts);
        return false;
    }
    const long warm = ToolReads(port, reads);
    if (warm != expected) {
        std::fprintf(stderr, "STP port reads by the tools: %ld values, %ld expected\n", warm, expected);
        return false;
    }
    std::vector<double> pageTimes, toolTimes, startupTimes;
    for (int r = 0; r < repeats; ++r) {
        auto start = Clock::now();
        page.OnRefresh();
        if (!Until(settled, 30000)) {
            std::fprintf(stderr, "Spanning Tree Table refresh %d: %d ports\n", r, rows());
            return false;
        }
        pageTimes.push_back(Seconds(start));
        start = Clock::now();
        if (ToolReads(port, reads) != expected)
            return false;
        toolTimes.push_back(Seconds(start));
        startupTimes.push_back(StartupSeconds(port, reads.size()));
    }
    Report("Spanning Tree Table Refresh (48 ports, ten columns) against snmpwalk -v1 of the same columns", pageTimes,
           toolTimes, startupTimes, reads.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("tqx.trace=false"));
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;

    tqxtest::SimAgent agent("TQX-8848");
    if (!agent.ok()) {
        std::fprintf(stderr, "tqx-sim did not start (%s)\n", tqxtest::BuiltProgram("sim/tqx-sim").c_str());
        return 1;
    }
    tqxtest::UseAgent(agent.port(), "1");
    g_nDevicePortNum = kPorts;
    if (!CreateVlans(agent.port())) {
        std::fprintf(stderr, "could not create %d VLANs on tqx-sim\n", kVlans);
        return 1;
    }
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.start(1);

    std::printf("TQX-8848 on tqx-sim, %d VLANs, %d runs of each side in turn\n", kVlans, repeats);
    if (!VlanBench(agent.port(), repeats) || !TrunkBench(agent.port(), repeats) || !PortConfigBench(agent.port(), repeats) ||
        !StpPortTableBench(agent.port(), repeats))
        return 1;
    return 0;
}
