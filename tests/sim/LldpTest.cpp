// tqx-sim's LLDP agent: its settings and their refusals, the local system group and the remote table
// following the links, the agent state and the control channel, driven by net-snmp's tools.
#include "Agents.h"
#include "sim/SimControl.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

using tqxtest::SimAgent;

namespace {

std::string RunShell(const std::string& command)
{
    std::string out;
    FILE* p = ::popen(("( " + command + " ) 2>&1").c_str(), "r");
    if (!p)
        return "popen failed";
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    ::pclose(p);
    return out;
}

std::string Snmp(const std::string& tool, const std::string& community, std::uint16_t port, const std::string& args)
{
    return RunShell("MIBS= /usr/bin/" + tool + " -On -Le -r 2 -t 3 -v2c -c " + community + " 127.0.0.1:" +
                    std::to_string(port) + " " + args);
}

const std::string L = "1.3.6.1.4.1.32473.10.75.6.24";
const std::string kLoc = "1.0.8802.1.1.2.1.3";
const std::string kRem = "1.0.8802.1.1.2.1.4.1.1";

// The remote table as "local port: system name" lines (column 9, index time mark, port, remote index),
// and the remote indexes by port.
struct Remote {
    std::vector<std::string> names;
    std::vector<int> indexes;
};

Remote RemoteTable(std::uint16_t port)
{
    const std::string out = Snmp("snmpwalk", "public", port, kRem + ".9");
    Remote r;
    const std::regex line("\\." + std::regex_replace(kRem, std::regex("\\."), "\\.") +
                          "\\.9\\.(\\d+)\\.(\\d+)\\.(\\d+) = STRING: \"?([^\"\\n]*)\"?");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it) {
        r.names.push_back((*it)[2].str() + ": " + (*it)[4].str());
        r.indexes.push_back(std::stoi((*it)[3].str()));
    }
    return r;
}

} // namespace

// Every refused write names the error a switch gives; the TX delay is held to a quarter of the
// interval as the whole request leaves them.
TEST(SimLldp, RefusesWhatTheAgentRefuses)
{
    SimAgent sim("TQX-8810P");
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    struct Case {
        const char* args;
        const char* error;  // "" when taken
    };
    const std::string psePort = L + ".7.1.2.";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {L + ".2.0 i 1", "wrongValue"},        {L + ".2.0 i 11", "wrongValue"},
        {L + ".3.0 i 4", "wrongValue"},        {L + ".3.0 i 32769", "wrongValue"},
        {L + ".4.0 i 0", "wrongValue"},        {L + ".4.0 i 11", "wrongValue"},
        {L + ".5.0 i 0", "wrongValue"},        {L + ".5.0 i 8193", "wrongValue"},
        {L + ".1.0 i 3", "wrongValue"},        {psePort + "1 i 0", "wrongValue"},
        {L + ".2.0 s 4", "wrongType"},         {psePort + "9 i 1", "noCreation"},
        {kLoc + ".3.0 s other", "notWritable"},
        // Interval 30 takes a delay of 7 at most; the default delay 2 needs an interval of 8 at least.
        {L + ".3.0 i 30 " + L + ".5.0 i 8", "inconsistentValue"},
        {L + ".3.0 i 7", "inconsistentValue"},
        {L + ".3.0 i 30 " + L + ".5.0 i 7", ""},
        {L + ".5.0 i 8", "inconsistentValue"},
        {L + ".3.0 i 32768 " + L + ".5.0 i 8192", ""},
        {L + ".2.0 i 10 " + L + ".4.0 i 10", ""},
        {psePort + "8 i 1", ""},
    };
    for (const auto& [args, error] : cases) {
        SCOPED_TRACE(args);
        const std::string out = Snmp("snmpset", "private", sim.port(), args);
        if (error.empty())
            EXPECT_EQ(out.find("Reason"), std::string::npos) << out;
        else
            EXPECT_NE(out.find("Reason: " + error), std::string::npos) << out;
    }
    const std::string got = Snmp("snmpget", "public", sim.port(),
                                 L + ".2.0 " + L + ".3.0 " + L + ".4.0 " + L + ".5.0 " + psePort + "8 " + psePort + "1");
    EXPECT_NE(got.find("." + L + ".2.0 = INTEGER: 10"), std::string::npos) << got;
    EXPECT_NE(got.find("." + L + ".3.0 = INTEGER: 32768"), std::string::npos) << got;
    EXPECT_NE(got.find("." + L + ".4.0 = INTEGER: 10"), std::string::npos) << got;
    EXPECT_NE(got.find("." + L + ".5.0 = INTEGER: 8192"), std::string::npos) << got;
    EXPECT_NE(got.find("." + psePort + "8 = INTEGER: 1"), std::string::npos) << got;
    EXPECT_NE(got.find("." + psePort + "1 = INTEGER: 2"), std::string::npos) << got;
}

// The local system is the switch as the system group and the bridge describe it now.
TEST(SimLldp, LocalSystemIsTheSwitch)
{
    SimAgent sim("TQX-8800");
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    ASSERT_EQ(Snmp("snmpset", "private", sim.port(), "1.3.6.1.2.1.1.5.0 s access-3f").find("Reason"), std::string::npos);
    const std::string out = Snmp("snmpwalk", "public", sim.port(), kLoc);
    EXPECT_NE(out.find("." + kLoc + ".1.0 = INTEGER: 4"), std::string::npos) << out;
    EXPECT_NE(out.find("." + kLoc + ".2.0 = Hex-STRING: 02 54 51 01 00 00"), std::string::npos) << out;
    EXPECT_NE(out.find("." + kLoc + ".3.0 = STRING: \"access-3f\""), std::string::npos) << out;
    EXPECT_NE(out.find("." + kLoc + ".4.0 = STRING: \"TQX-8800 24-Port 10/100Mbps + 4 Gigabit Combo Managed Switch"),
              std::string::npos)
        << out;
}

// Neighbours show while their port has link and the agent runs; each arrival gets a new remote index.
TEST(SimLldp, RemoteTableFollowsLinksAgentAndControlChannel)
{
    tqxtest::TempDir dir;
    const std::string sock = (dir.path() / "ctl").string();
    SimAgent sim("TQX-8800", {"--control", sock});
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    auto control = [&](const std::string& line) {
        std::string answer;
        return SimControl(sock, line, &answer) ? std::string("ok") : answer;
    };
    using Names = std::vector<std::string>;
    Remote r = RemoteTable(sim.port());
    EXPECT_EQ(r.names, (Names{"1: ws-eng-01", "2: ws-eng-02", "23: core-rtr-1"}));
    // The whole row, as a real neighbour describes itself.
    const std::string row = Snmp("snmpwalk", "public", sim.port(), kRem);
    auto cell = [&](int column, const std::string& value) {
        return std::regex_search(row, std::regex("\\.1\\.1\\." + std::to_string(column) + "\\.\\d+\\.23\\." +
                                                     std::to_string(r.indexes.at(2)) + " = " + value));
    };
    EXPECT_TRUE(cell(4, "INTEGER: 4")) << row;
    EXPECT_TRUE(cell(5, "Hex-STRING: 00 1C F0 12 34 56")) << row;
    EXPECT_TRUE(cell(6, "INTEGER: 7")) << row;
    EXPECT_TRUE(cell(8, "STRING: \"downlink to floor 1\"")) << row;

    EXPECT_EQ(control("link 2 down"), "ok");
    EXPECT_EQ(RemoteTable(sim.port()).names, (Names{"1: ws-eng-01", "23: core-rtr-1"}));
    EXPECT_EQ(control("link 2 up"), "ok");
    r = RemoteTable(sim.port());
    ASSERT_EQ(r.names.size(), 3u);
    EXPECT_EQ(r.names.back(), "2: ws-eng-02") << "back with a later time mark";
    EXPECT_GT(r.indexes.back(), 3);

    // Port 4 has no link: its neighbour shows once the link is up. A neighbour removed is gone.
    EXPECT_EQ(control("neighbour 4 add lab-pc"), "ok");
    EXPECT_EQ(control("neighbour 5 add printer-2"), "ok");
    EXPECT_EQ(RemoteTable(sim.port()).names.size(), 4u);
    EXPECT_EQ(RemoteTable(sim.port()).names.back(), "5: printer-2");
    EXPECT_EQ(control("link 4 up"), "ok");
    EXPECT_EQ(RemoteTable(sim.port()).names.back(), "4: lab-pc");
    EXPECT_EQ(control("neighbour 5 remove"), "ok");
    EXPECT_EQ(RemoteTable(sim.port()).names.size(), 4u);

    // Disabled, the agent forgets every neighbour; enabled, it hears them again.
    ASSERT_EQ(Snmp("snmpset", "private", sim.port(), L + ".1.0 i 2").find("Reason"), std::string::npos);
    EXPECT_TRUE(RemoteTable(sim.port()).names.empty());
    EXPECT_EQ(control("link 4 down"), "ok");
    EXPECT_EQ(control("link 4 up"), "ok");
    EXPECT_TRUE(RemoteTable(sim.port()).names.empty());
    ASSERT_EQ(Snmp("snmpset", "private", sim.port(), L + ".1.0 i 1").find("Reason"), std::string::npos);
    r = RemoteTable(sim.port());
    EXPECT_EQ(r.names.size(), 4u);
    // Enabled once more, it keeps what it hears.
    ASSERT_EQ(Snmp("snmpset", "private", sim.port(), L + ".1.0 i 1").find("Reason"), std::string::npos);
    EXPECT_EQ(RemoteTable(sim.port()).indexes, r.indexes);

    for (const char* bad : {"neighbour 5 remove", "neighbour 99 add x", "neighbour 5 add", "neighbour 5 move x"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(control(bad).rfind("error: ", 0), 0u);
    }
}
