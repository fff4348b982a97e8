// tqx-sim as a running agent, driven by net-snmp's command-line tools.
#include "Agents.h"
#include "SimTools.h"
#include "sim/SimControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using namespace simtest;
using tqxtest::ChildProcess;
using tqxtest::SimAgent;

namespace {

int CountLines(const std::string& output, const std::string& prefix)
{
    int n = 0;
    size_t pos = 0;
    while ((pos = output.find("\n" + prefix, pos)) != std::string::npos) {
        ++n;
        ++pos;
    }
    return n + (output.rfind(prefix, 0) == 0 ? 1 : 0);
}

const std::string kSysDescr = "1.3.6.1.2.1.1.1.0";
const std::string kSysUpTime = "1.3.6.1.2.1.1.3.0";
const std::string kSysLocation = "1.3.6.1.2.1.1.6.0";
const std::string kIfOper = "1.3.6.1.2.1.2.2.1.8";
const std::string kIfSpeed = "1.3.6.1.2.1.2.2.1.5";
const std::string kMedium = "1.3.6.1.4.1.32473.10.76.10.1.13.1.7";
const std::string kFan = "1.3.6.1.4.1.32473.10.76.10.1.15.1.0";
const std::string kPoeStatus = "1.3.6.1.4.1.32473.10.75.6.22.1.1.13";
const std::string kPoeRemaining = "1.3.6.1.4.1.32473.10.75.6.22.6.0";
const std::string kReboot = "1.3.6.1.4.1.32473.10.76.10.1.9.0";
const std::string kSave = "1.3.6.1.4.1.32473.10.76.10.1.10.0";
const std::string kFdbPort = "1.3.6.1.2.1.17.7.1.2.2.1.2";
const std::string kFdbCount = "1.3.6.1.2.1.17.7.1.2.1.1.2";

std::string Program() { return tqxtest::BuiltProgram("sim/tqx-sim"); }

// The objects of a walk's output below root, by the OID after root: "1.0.28.240.18.52.86" -> "INTEGER: 3".
std::map<std::string, std::string> Rows(const std::string& output, const std::string& root)
{
    std::map<std::string, std::string> rows;
    std::istringstream in(output);
    std::string line;
    const std::string prefix = "." + root + ".";
    while (std::getline(in, line)) {
        const size_t eq = line.find(" = ");
        if (line.rfind(prefix, 0) == 0 && eq != std::string::npos)
            rows[line.substr(prefix.size(), eq - prefix.size())] = line.substr(eq + 3);
    }
    return rows;
}

std::string Hex(const std::string& bytes)
{
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
        out += ' ';
    }
    return out;
}

} // namespace

TEST(SimAgent, ServesEachModelOverV1AndV2c)
{
    struct Case {
        const char* model;
        int ports;
        bool poe;
        bool fan;
    };
    for (const Case c : {Case{"TQX-8800", 24, false, false}, Case{"TQX-8810P", 10, true, false},
                         Case{"TQF-8828P", 28, true, false}, Case{"TQX-8816", 16, false, false},
                         Case{"TQX-8848", 48, false, true}, Case{"TQX-8852", 52, false, true}}) {
        SCOPED_TRACE(c.model);
        SimAgent sim(c.model);
        ASSERT_TRUE(sim.ok()) << sim.process().output();
        for (const auto& version : {V1(), V2()}) {
            SCOPED_TRACE(version);
            const std::string sys = Snmp("snmpget", version, sim.port(), kSysDescr + " 1.3.6.1.2.1.2.1.0");
            EXPECT_NE(ValueOf(sys, kSysDescr).find(c.model), std::string::npos) << sys;
            EXPECT_EQ(ValueOf(sys, "1.3.6.1.2.1.2.1.0"), "INTEGER: " + std::to_string(c.ports + 1)) << sys;
            // One ifTable row per front port, then the VLAN interface after them.
            const std::string walk = Snmp("snmpwalk", version, sim.port(), kIfOper);
            EXPECT_EQ(CountLines(walk, "." + kIfOper + "."), c.ports + 1) << walk;
            EXPECT_NE(ValueOf(walk, kIfOper + "." + std::to_string(c.ports)), "");
            EXPECT_NE(ValueOf(walk, kIfOper + ".1001"), "");
            const std::string media = Snmp("snmpwalk", version, sim.port(), kMedium);
            EXPECT_EQ(CountLines(media, "." + kMedium + "."), c.ports) << media;
            const std::string poe = Snmp("snmpwalk", version, sim.port(), kPoeStatus);
            EXPECT_EQ(poe.find("POWER ON") != std::string::npos, c.poe) << poe;
            const std::string fan = Snmp("snmpget", version, sim.port(), kFan);
            EXPECT_EQ(ValueOf(fan, kFan) == "INTEGER: 1", c.fan) << fan;
        }
    }
}

TEST(SimAgent, WritesAreKeptAndUptimeAdvances)
{
    SimAgent sim("TQX-8800");
    ASSERT_TRUE(sim.ok());
    for (const auto& [version, text] : {std::pair{V1("private"), "lab one"}, std::pair{V2("private"), "lab two"}}) {
        const std::string set = Snmp("snmpset", version, sim.port(), kSysLocation + " s '" + text + "'");
        EXPECT_EQ(ValueOf(set, kSysLocation), std::string("STRING: \"") + text + "\"") << set;
        const std::string get = Snmp("snmpget", V2(), sim.port(), kSysLocation);
        EXPECT_EQ(ValueOf(get, kSysLocation), std::string("STRING: \"") + text + "\"") << get;
    }
    auto ticks = [&] {
        const std::string v = ValueOf(Snmp("snmpget", V2(), sim.port(), "-Ot " + kSysUpTime), kSysUpTime);
        return v.empty() ? -1L : std::stol(v.substr(v.find(':') + 1));
    };
    const long first = ticks();
    std::this_thread::sleep_for(300ms);
    EXPECT_GT(ticks(), first);
    EXPECT_GE(first, 0);
}

// The refusals are the agent library's, so they must read exactly as net-snmp's own snmpd gives them.
TEST(SimAgent, RefusedWritesMatchSnmpd)
{
    SimAgent sim("TQX-8800");
    tqxtest::SnmpdAgent snmpd;
    ASSERT_TRUE(sim.ok());
    ASSERT_TRUE(snmpd.ok()) << snmpd.process().output();
    struct Case {
        std::string auth;
        std::string args;
        std::string reason;
        bool compareWithSnmpd;
    };
    const std::vector<Case> cases = {
        {V2("public"), "1.3.6.1.2.1.1.5.0 s x", "Reason: noAccess", true},
        {V1("public"), "1.3.6.1.2.1.1.5.0 s x", "Reason: (noSuchName)", true},
        {V2("private"), kSysLocation + " i 3", "Reason: wrongType", false},
        {V1("private"), kSysLocation + " i 3", "Reason: (badValue)", false},
        {V2("private"), "1.3.6.1.2.1.1.7.0 i 3", "Reason: notWritable", true},
        {V1("private"), "1.3.6.1.2.1.1.7.0 i 3", "Reason: (noSuchName)", true},
        {V2("private"), kSave + " i 7", "Reason: wrongValue", false},
        {V2("private"), "1.3.6.1.2.1.2.2.1.8.3 i 2", "Reason: notWritable", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.auth + " " + c.args);
        const std::string out = Snmp("snmpset", c.auth, sim.port(), c.args);
        EXPECT_NE(out.find(c.reason), std::string::npos) << out;
        if (c.compareWithSnmpd) {
            const std::string ref = Snmp("snmpset", c.auth, snmpd.port(), c.args);
            EXPECT_NE(ref.find(c.reason), std::string::npos) << "snmpd said: " << ref;
        }
    }
    // Nothing was changed by the refused writes.
    EXPECT_EQ(ValueOf(Snmp("snmpget", V2(), sim.port(), "1.3.6.1.2.1.1.5.0"), "1.3.6.1.2.1.1.5.0"),
              "STRING: \"TQX-8800\"");
}

TEST(SimAgent, SnmpV3LevelsAndProtocols)
{
    const std::vector<std::string> users = {
        "--user", "plain:noAuthNoPriv",
        "--user", "md5only:authNoPriv:MD5:md5secret1",
        "--user", "shaonly:authNoPriv:SHA:shasecret1",
        "--user", "md5des:authPriv:MD5:md5secret2:DES:dessecret2",
        "--user", "shaaes:authPriv:SHA:shasecret3:AES:aessecret3",
        "--read-user", "reader:authNoPriv:SHA:readsecret",
        "--log-requests",
    };
    SimAgent sim("TQX-8800", users);
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    struct Case {
        std::string auth;
        std::string args;
        bool answered;
        std::string expect; // text in the output
        std::string level;  // as the request log must show it
    };
    const std::string get = "snmpget";
    const std::vector<Case> cases = {
        {"-v3 -u plain -l noAuthNoPriv", kSysDescr, true, "TQX-8800", "noAuthNoPriv"},
        {"-v3 -u md5only -l authNoPriv -a MD5 -A md5secret1", kSysDescr, true, "TQX-8800", "authNoPriv"},
        {"-v3 -u shaonly -l authNoPriv -a SHA -A shasecret1", kSysDescr, true, "TQX-8800", "authNoPriv"},
        {"-v3 -u md5des -l authPriv -a MD5 -A md5secret2 -x DES -X dessecret2", kSysDescr, true, "TQX-8800", "authPriv"},
        {"-v3 -u shaaes -l authPriv -a SHA -A shasecret3 -x AES -X aessecret3", kSysDescr, true, "TQX-8800", "authPriv"},
        // Below the user's level: refused by access control, as snmpd refuses it.
        {"-v3 -u shaaes -l authNoPriv -a SHA -A shasecret3", kSysDescr, true, "authorizationError", "authNoPriv"},
        {"-v3 -u md5only -l noAuthNoPriv", kSysDescr, true, "authorizationError", "noAuthNoPriv"},
        // Wrong keys never get past the security layer.
        {"-v3 -u md5only -l authNoPriv -a MD5 -A wrongsecret", kSysDescr, false, "Authentication failure", ""},
        {"-v3 -u shaaes -l authPriv -a SHA -A shasecret3 -x AES -X wrongsecret", kSysDescr, false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.auth);
        sim.process().clearOutput();
        const std::string out = Snmp(get, c.auth, sim.port(), c.args, "2", c.answered ? 2 : 0);
        EXPECT_NE(out.find(c.expect), std::string::npos) << out;
        if (!c.answered) {
            EXPECT_EQ(out.find("TQX-8800"), std::string::npos) << out;
        }
        if (!c.level.empty()) {
            const std::string user = c.auth.substr(c.auth.find("-u ") + 3, c.auth.find(" -l") - c.auth.find("-u ") - 3);
            EXPECT_TRUE(sim.process().waitForOutput("request version=3 community=- user=" + user + " level=" + c.level +
                                                        " pdu=GET oids=" + kSysDescr + "\n", 3s))
                << sim.process().output();
        }
    }
    // snmpd refuses the same down-graded requests with the same error.
    tqxtest::SnmpdAgent snmpd({{"shaaes", "SHA", "shasecret3", "AES", "aessecret3", "priv"},
                               {"md5only", "MD5", "md5secret1", "", "", "auth"}});
    ASSERT_TRUE(snmpd.ok()) << snmpd.process().output();
    for (const std::string auth : {"-v3 -u shaaes -l authNoPriv -a SHA -A shasecret3", "-v3 -u md5only -l noAuthNoPriv"})
        EXPECT_NE(Snmp(get, auth, snmpd.port(), kSysDescr, "2").find("authorizationError"), std::string::npos) << auth;
    // Writes: a read-write user may, a read-only user may not.
    EXPECT_NE(Snmp("snmpset", "-v3 -u shaaes -l authPriv -a SHA -A shasecret3 -x AES -X aessecret3", sim.port(),
                   kSysLocation + " s v3room").find("STRING: \"v3room\""), std::string::npos);
    EXPECT_NE(Snmp("snmpset", "-v3 -u reader -l authNoPriv -a SHA -A readsecret", sim.port(), kSysLocation + " s no")
                  .find("noAccess"), std::string::npos);
}

TEST(SimAgent, RequestLogLines)
{
    SimAgent sim("TQX-8800", {"--log-requests"});
    ASSERT_TRUE(sim.ok());
    Snmp("snmpget", V1(), sim.port(), kSysDescr + " " + kSysUpTime);
    Snmp("snmpgetnext", V2(), sim.port(), kIfOper);
    Snmp("snmpbulkget", V2(), sim.port(), "-Cn0 -Cr2 " + kIfOper);
    Snmp("snmpset", V2("private"), sim.port(), kSysLocation + " s x");
    for (const std::string line : {
             "request version=1 community=public user=- level=- pdu=GET oids=1.3.6.1.2.1.1.1.0,1.3.6.1.2.1.1.3.0\n",
             "request version=2c community=public user=- level=- pdu=GETNEXT oids=1.3.6.1.2.1.2.2.1.8\n",
             "request version=2c community=public user=- level=- pdu=GETBULK oids=1.3.6.1.2.1.2.2.1.8\n",
             "request version=2c community=private user=- level=- pdu=SET oids=1.3.6.1.2.1.1.6.0\n"})
        EXPECT_TRUE(sim.process().waitForOutput(line, 3s)) << line << sim.process().output();
}

// Dropped requests are never answered and loopback answers take milliseconds, so short time-outs tell
// them apart; a delay longer than one time-out and shorter than another shows it is a delay.
TEST(SimAgent, DropAndDelay)
{
    {
        SimAgent sim("TQX-8800", {"--drop", "1"});
        ASSERT_TRUE(sim.ok());
        EXPECT_NE(Snmp("snmpget", V2(), sim.port(), kSysDescr, "0.3", 0).find("Timeout"), std::string::npos);
    }
    {
        // Half the requests dropped: some answers, some time-outs, and the same pattern for the same seed.
        auto pattern = [] {
            SimAgent sim("TQX-8800", {"--drop", "0.5", "--seed", "7"});
            std::string p;
            for (int i = 0; i < 10 && sim.ok(); ++i)
                p += Snmp("snmpget", V2(), sim.port(), kSysDescr, "0.3", 0).find("TQX-8800") != std::string::npos ? '1' : '0';
            return p;
        };
        const std::string a = pattern();
        EXPECT_EQ(a.size(), 10u);
        EXPECT_NE(a.find('0'), std::string::npos) << a;
        EXPECT_NE(a.find('1'), std::string::npos) << a;
        EXPECT_EQ(pattern(), a);
    }
    {
        // The same faults switched at run time through the control channel.
        tqxtest::TempDir dir;
        const std::string sock = (dir.path() / "ctl").string();
        SimAgent sim("TQX-8800", {"--control", sock});
        ASSERT_TRUE(sim.ok());
        ASSERT_TRUE(SimControl(sock, "drop 1", nullptr));
        EXPECT_NE(Snmp("snmpget", V2(), sim.port(), kSysDescr, "0.3", 0).find("Timeout"), std::string::npos);
        ASSERT_TRUE(SimControl(sock, "drop 0", nullptr));
        ASSERT_TRUE(SimControl(sock, "delay 600", nullptr));
        EXPECT_NE(Snmp("snmpget", V2(), sim.port(), kSysDescr, "0.2", 0).find("Timeout"), std::string::npos);
        ASSERT_TRUE(SimControl(sock, "delay 0", nullptr));
        EXPECT_NE(Snmp("snmpget", V2(), sim.port(), kSysDescr, "3", 0).find("TQX-8800"), std::string::npos);
        std::string answer;
        EXPECT_FALSE(SimControl(sock, "drop 2", &answer));
        EXPECT_EQ(answer.rfind("error: ", 0), 0u) << answer;
    }
    {
        SimAgent sim("TQX-8800", {"--delay", "600", "--user", "u3:authPriv:SHA:shasecret3:AES:aessecret3"});
        ASSERT_TRUE(sim.ok());
        EXPECT_NE(Snmp("snmpget", V2(), sim.port(), kSysDescr, "0.2", 0).find("Timeout"), std::string::npos);
        EXPECT_NE(Snmp("snmpget", V2(), sim.port(), kSysDescr, "6").find("TQX-8800"), std::string::npos);
        EXPECT_NE(Snmp("snmpget", "-v3 -u u3 -l authPriv -a SHA -A shasecret3 -x AES -X aessecret3", sim.port(),
                       kSysDescr, "6").find("TQX-8800"), std::string::npos);
    }
}

TEST(SimAgent, ControlChannelChangesTheNextWalk)
{
    tqxtest::TempDir dir;
    const std::string sock = (dir.path() / "ctl").string();
    struct Case {
        const char* model;
        std::string command;
        bool ok;
        std::string oid;    // checked after the command when not empty
        std::string value;
    };
    const std::vector<Case> cases = {
        {"TQX-8800", "link 3 down", true, kIfOper + ".3", "INTEGER: 2"},
        {"TQX-8800", "link 4 up", true, kIfOper + ".4", "INTEGER: 1"},
        // A port that loses its link forgets the addresses learned on it and learns them again when the
        // link is back; static and own entries stay. Of fdb 1's 13 learned rows port 3 (down above) had
        // one, port 5 two and port 2 one.
        {"TQX-8800", "link 5 down", true, kFdbPort + ".1.0.0.94.0.83.19", ""},
        {"TQX-8800", "link 5 down", true, kFdbCount + ".1", "Counter32: 10"},
        {"TQX-8800", "link 2 down", true, kFdbPort + ".1.0.0.94.0.83.240", "INTEGER: 2"},
        {"TQX-8800", "link 5 up", true, kFdbPort + ".1.0.0.94.0.83.20", "INTEGER: 5"},
        {"TQX-8800", "link 2 up", true, kFdbCount + ".1", "Counter32: 12"},
        {"TQX-8800", "admin 4 down", true, kIfOper + ".4", "INTEGER: 2"},
        {"TQX-8800", "admin 4 down", true, "1.3.6.1.2.1.2.2.1.7.4", "INTEGER: 2"},
        {"TQX-8800", "speed 2 10", true, kIfSpeed + ".2", "Gauge32: 10000000"},
        {"TQX-8800", "medium 22 3", true, kMedium + ".22", "INTEGER: 3"},
        {"TQX-8800", "medium 22 3", true, kIfSpeed + ".22", "Gauge32: 100000000"},
        {"TQX-8800", "medium 5 3", false, kMedium + ".5", "INTEGER: 1"},
        {"TQX-8800", "fan fault", false, "", ""},
        {"TQX-8800", "set 1.3.6.1.2.1.1.5.0 4 edge switch", true, "1.3.6.1.2.1.1.5.0", "STRING: \"edge switch\""},
        {"TQX-8800", "set 1.3.6.1.4.1.32473.99.1.0 66 12", true, "1.3.6.1.4.1.32473.99.1.0", "Gauge32: 12"},
        {"TQX-8800", "set 1.3.6.1.2.1.1.5.0 9 x", false, "", ""},
        {"TQX-8800", "link 99 up", false, "", ""},
        {"TQX-8800", "link 3 sideways", false, "", ""},
        {"TQX-8800", "frobnicate", false, "", ""},
        {"TQX-8848", "fan fault", true, kFan, "INTEGER: 2"},
        {"TQX-8848", "fan ok", true, kFan, "INTEGER: 1"},
        {"TQX-8810P", "poe 3 on", true, kPoeStatus + ".1.3", "STRING: \"POWER ON\""},
        {"TQX-8810P", "poe 1 off", true, kPoeStatus + ".1.1", "STRING: \"POWER OFF\""},
        {"TQX-8810P", "poe 9 on", false, "", ""},
    };
    std::string model;
    std::unique_ptr<SimAgent> sim;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + ": " + c.command);
        if (model != c.model) {
            sim.reset();
            sim = std::make_unique<SimAgent>(c.model, std::vector<std::string>{"--control", sock});
            model = c.model;
            ASSERT_TRUE(sim->ok()) << sim->process().output();
        }
        std::string answer;
        EXPECT_EQ(SimControl(sock, c.command, &answer), c.ok) << answer;
        EXPECT_EQ(answer.rfind(c.ok ? "ok" : "error: ", 0), 0u) << answer;
        if (!c.oid.empty()) {
            // Walk the column (or group) the object is in, as a poller would.
            const std::string out = Snmp("snmpwalk", V2(), sim->port(), c.oid.substr(0, c.oid.rfind('.')));
            EXPECT_EQ(ValueOf(out, c.oid), c.value) << out;
        }
    }
}

TEST(SimAgent, PoeBudgetFollowsPoweredPorts)
{
    tqxtest::TempDir dir;
    const std::string sock = (dir.path() / "ctl").string();
    SimAgent sim("TQX-8810P", {"--control", sock});
    ASSERT_TRUE(sim.ok());
    auto remaining = [&] {
        const std::string v = ValueOf(Snmp("snmpget", V2(), sim.port(), kPoeRemaining), kPoeRemaining);
        return v.size() > 10 ? std::stod(v.substr(9, v.size() - 10)) : -1.0; // STRING: "20.6"
    };
    const double before = remaining();
    ASSERT_GT(before, 7.0);
    for (int p = 1; p <= 8; ++p)
        ASSERT_TRUE(SimControl(sock, "poe " + std::to_string(p) + " on", nullptr));
    const double full = remaining();
    EXPECT_LT(full, before);
    EXPECT_LE(full, 7.0); // every port drawing power: the budget warning level
    ASSERT_TRUE(SimControl(sock, "poe 1 off", nullptr));
    EXPECT_GT(remaining(), full);
    // A status set through the control channel stays until that port changes again.
    ASSERT_TRUE(SimControl(sock, "set " + kPoeStatus + ".1.2 4 Searching", nullptr));
    std::this_thread::sleep_for(1500ms);
    ASSERT_TRUE(SimControl(sock, "poe 3 off", nullptr));
    const std::string walk = Snmp("snmpwalk", V2(), sim.port(), kPoeStatus);
    EXPECT_EQ(ValueOf(walk, kPoeStatus + ".1.2"), "STRING: \"Searching\"") << walk;
    EXPECT_EQ(ValueOf(walk, kPoeStatus + ".1.3"), "STRING: \"POWER OFF\"") << walk;
}

TEST(SimAgent, SaveAndReboot)
{
    SimAgent sim("TQX-8800", {"--reboot-time", "300"});
    ASSERT_TRUE(sim.ok());
    const std::string rw = V2("private");
    EXPECT_NE(Snmp("snmpset", rw, sim.port(), "1.3.6.1.2.1.1.4.0 s saved").find("saved"), std::string::npos);
    EXPECT_NE(Snmp("snmpset", rw, sim.port(), kSave + " i 1").find("INTEGER: 1"), std::string::npos);
    EXPECT_NE(Snmp("snmpset", rw, sim.port(), kSysLocation + " s unsaved").find("unsaved"), std::string::npos);
    std::this_thread::sleep_for(1500ms);
    const std::string before = ValueOf(Snmp("snmpget", V2(), sim.port(), "-Ot " + kSysUpTime), kSysUpTime);
    ASSERT_FALSE(before.empty());
    EXPECT_NE(Snmp("snmpset", rw, sim.port(), kReboot + " i 1").find("INTEGER: 1"), std::string::npos);
    // After the reboot (a short silence) the clock starts again and only the saved configuration is left.
    const long ticksBefore = std::stol(before.substr(before.find(':') + 1));
    long ticksAfter = -1;
    for (int i = 0; i < 20 && (ticksAfter < 0 || ticksAfter >= ticksBefore); ++i) {
        std::this_thread::sleep_for(200ms);
        const std::string v = ValueOf(Snmp("snmpget", V2(), sim.port(), "-Ot " + kSysUpTime, "0.5", 0), kSysUpTime);
        ticksAfter = v.empty() ? -1 : std::stol(v.substr(v.find(':') + 1));
    }
    EXPECT_GE(ticksAfter, 0);
    EXPECT_LT(ticksAfter, ticksBefore);
    const std::string sys = Snmp("snmpget", V2(), sim.port(), "1.3.6.1.2.1.1.4.0 " + kSysLocation);
    EXPECT_EQ(ValueOf(sys, "1.3.6.1.2.1.1.4.0"), "STRING: \"saved\"") << sys;
    EXPECT_EQ(ValueOf(sys, kSysLocation), "STRING: \"Rack 1\"") << sys; // the profile's own location
}

TEST(SimAgent, ServesRecordings)
{
    tqxtest::TempDir dir;
    const auto file = dir.path() / "device.snmprec";
    std::ofstream(file) << "# a recorded device\n"
                        << "1.3.6.1.2.1.1.1.0|4|Recorded switch\n"
                        << "1.3.6.1.2.1.1.5.0|4x|6564676531\n"
                        << "1.3.6.1.2.1.1.7.0|2|seventy\n"
                        << "1.3.6.1.2.1.1.8.0|5|\n"
                        << "1.3.6.1.2.1.2.2.1.10.1|65|4000000000\n"
                        << "1.0.8802.1.1.2.1.3.7.1.4.1|4|port one\n";
    for (bool withModel : {false, true}) {
        SCOPED_TRACE(withModel ? "on top of a model" : "alone");
        const std::uint16_t port = tqxtest::FreeUdpPort();
        std::vector<std::string> argv = {Program(), "--data", file.string(), "--listen",
                                         "udp:127.0.0.1:" + std::to_string(port)};
        if (withModel)
            argv.insert(argv.end(), {"--model", "TQX-8810P"});
        ChildProcess sim;
        ASSERT_TRUE(sim.start(argv));
        ASSERT_TRUE(sim.waitForOutput("listening on", 15s)) << sim.output();
        EXPECT_NE(sim.output().find(file.string() + ":4: bad Integer value"), std::string::npos) << sim.output();
        const std::string out = Snmp("snmpget", V2(), port,
                                     kSysDescr + " 1.3.6.1.2.1.1.5.0 1.3.6.1.2.1.2.2.1.10.1 1.0.8802.1.1.2.1.3.7.1.4.1");
        EXPECT_EQ(ValueOf(out, kSysDescr), "STRING: \"Recorded switch\"") << out;
        EXPECT_EQ(ValueOf(out, "1.3.6.1.2.1.1.5.0"), "STRING: \"edge1\"") << out;
        EXPECT_EQ(ValueOf(out, "1.3.6.1.2.1.2.2.1.10.1"), "Counter32: 4000000000") << out;
        EXPECT_EQ(ValueOf(out, "1.0.8802.1.1.2.1.3.7.1.4.1"), "STRING: \"port one\"") << out;
        // A walk goes on past a Null object.
        const std::string walk = Snmp("snmpwalk", V2(), port, "1.3.6.1.2.1.1");
        EXPECT_NE(walk.find("1.3.6.1.2.1.1.5.0"), std::string::npos) << walk;
        const std::string next = Snmp("snmpgetnext", V2(), port, "1.3.6.1.2.1.1.7.0");
        EXPECT_EQ(next.rfind(".1.3.6.1.2.1.2.", 0), 0u) << next;
        const std::string poe = Snmp("snmpget", V2(), port, kPoeRemaining);
        EXPECT_EQ(ValueOf(poe, kPoeRemaining).rfind("STRING", 0) == 0, withModel) << poe;
        EXPECT_EQ(sim.stop(), 0);
    }
}

TEST(SimAgent, StopsCleanlyAndRefusesBadArguments)
{
    SimAgent sim("TQX-8800");
    ASSERT_TRUE(sim.ok());
    EXPECT_EQ(sim.process().stop(), 0) << sim.process().output();

    const std::string listen = "--listen udp:127.0.0.1:" + std::to_string(tqxtest::FreeUdpPort());
    struct Case {
        std::string args;
        int status;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"--help", 0, "--user SPEC"},
        {listen, 2, "give --model NAME or --data FILE"},
        {"--model TQX-8800", 2, "give --listen"},
        {"--model TQX-9999 " + listen, 2, "unknown model \"TQX-9999\""},
        {"--model TQX-8800 " + listen + " --drop 1.5", 2, "--drop wants a fraction"},
        {"--model TQX-8800 " + listen + " --user bob:authPriv:MD5:longenough", 2, "needs a privacy protocol"},
        {"--model TQX-8800 " + listen + " --user bob:authNoPriv:MD5:short", 2, "8 to 64 characters"},
        {"--model TQX-8800 " + listen + " --bogus", 2, "unknown argument \"--bogus\""},
        {"--data /nonexistent.snmprec " + listen, 1, "cannot read /nonexistent.snmprec"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const std::string out = RunShell(Program() + " " + c.args + "; echo status=$?");
        EXPECT_NE(out.find(c.text), std::string::npos) << out;
        EXPECT_NE(out.find("status=" + std::to_string(c.status)), std::string::npos) << out;
    }
}

TEST(SimProfiles, MatchTheModelTable)
{
    const std::string out = RunShell(tqxtest::BuiltProgram("sim/tqx-sim-profiles") + " --check " + TQX_SOURCE_DIR +
                                "/sim/profiles; echo status=$?");
    EXPECT_NE(out.find("status=0"), std::string::npos) << out;
}

TEST(SimAgent, TimeRangeRowsComeAndGoByRowStatus)
{
    SimAgent sim("TQX-8810P");
    ASSERT_TRUE(sim.ok());
    const std::string rw = V2("private");
    const std::string table = "1.3.6.1.4.1.32473.10.75.6.23.1.1";
    EXPECT_EQ(CountLines(Snmp("snmpwalk", V2(), sim.port(), table), "." + table + "."), 0);
    // Created with its name in the same request; the other columns get defaults.
    const std::string created = Snmp("snmpset", rw, sim.port(), table + ".2.3 s night " + table + ".21.3 i 4");
    EXPECT_NE(created.find("INTEGER: 4"), std::string::npos) << created;
    const std::string walk = Snmp("snmpwalk", V2(), sim.port(), table);
    EXPECT_EQ(CountLines(walk, "." + table + "."), 21) << walk;
    EXPECT_EQ(ValueOf(walk, table + ".1.3"), "INTEGER: 3");
    EXPECT_EQ(ValueOf(walk, table + ".2.3"), "STRING: \"night\"");
    EXPECT_EQ(ValueOf(walk, table + ".21.3"), "INTEGER: 1"); // active
    struct Case {
        std::string args;
        std::string reason;
    };
    for (const Case& c : {Case{table + ".21.3 i 4", "inconsistentValue"}, Case{table + ".21.9 i 4", "noCreation"},
                          Case{table + ".7.5 i 8", "noCreation"}, Case{table + ".1.3 i 5", "notWritable"}}) {
        SCOPED_TRACE(c.args);
        EXPECT_NE(Snmp("snmpset", rw, sim.port(), c.args).find(c.reason), std::string::npos);
    }
    EXPECT_NE(Snmp("snmpset", rw, sim.port(), table + ".21.3 i 6").find("INTEGER: 6"), std::string::npos);
    EXPECT_EQ(CountLines(Snmp("snmpwalk", V2(), sim.port(), table), "." + table + "."), 0);

    // PoE follows a port's time range: range 1 spans every day all day, range 2 includes no day.
    std::string everyDay;
    for (int day = 14; day <= 20; ++day)
        everyDay += " " + table + "." + std::to_string(day) + ".1 i 1";
    ASSERT_NE(Snmp("snmpset", rw, sim.port(), table + ".21.1 i 4" + everyDay).find("INTEGER: 4"), std::string::npos);
    ASSERT_NE(Snmp("snmpset", rw, sim.port(), table + ".21.2 i 4").find("INTEGER: 4"), std::string::npos);
    const std::string poe = "1.3.6.1.4.1.32473.10.75.6.22.1.1";
    ASSERT_NE(Snmp("snmpset", rw, sim.port(), poe + ".4.1.1 i 1 " + poe + ".4.1.2 i 2").find("INTEGER: 2"),
              std::string::npos);
    EXPECT_NE(Snmp("snmpset", rw, sim.port(), poe + ".4.1.4 i 9").find("wrongValue"), std::string::npos);
    const std::string status = Snmp("snmpwalk", V2(), sim.port(), kPoeStatus);
    EXPECT_EQ(ValueOf(status, kPoeStatus + ".1.1"), "STRING: \"POWER ON\"") << status;
    EXPECT_EQ(ValueOf(status, kPoeStatus + ".1.2"), "STRING: \"Time-based OFF\"") << status;
}

// The forwarding databases as a forwarding-table page reads them: status and port of each address in
// every filtering database, and the aging time beside them.
TEST(SimAgent, ForwardingTablesAndAgingTime)
{
    const std::string fdb = "1.3.6.1.2.1.17.7.1.2.2.1";
    const std::string aging = "1.3.6.1.2.1.17.4.2.0";
    for (const auto& [model, ports] : {std::pair{"TQX-8800", 24}, std::pair{"TQX-8810P", 10}, std::pair{"TQF-8828P", 28},
                                       std::pair{"TQX-8816", 16}, std::pair{"TQX-8848", 48},
                                       std::pair{"TQX-8852", 52}}) {
        SCOPED_TRACE(model);
        SimAgent sim(model);
        ASSERT_TRUE(sim.ok()) << sim.process().output();
        const auto status = Rows(Snmp("snmpwalk", V1(), sim.port(), fdb + ".3"), fdb + ".3");
        const auto port = Rows(Snmp("snmpwalk", V1(), sim.port(), fdb + ".2"), fdb + ".2");
        ASSERT_FALSE(status.empty());
        std::set<std::string> fdbIds, portValues;
        std::map<std::string, int> learned;
        for (const auto& [index, value] : status) {
            ASSERT_TRUE(port.count(index)) << index; // both columns have the same rows
            fdbIds.insert(index.substr(0, index.find('.')));
            portValues.insert(port.at(index));
            learned[index.substr(0, index.find('.'))] += value == "INTEGER: 3";
        }
        EXPECT_EQ(port.size(), status.size());
        EXPECT_EQ(fdbIds, (std::set<std::string>{"1", "100"}));
        // Ports that differ only in their digits, so an exact port filter can be told from a prefix match.
        for (const std::string p : {"1", "5", "10"})
            EXPECT_TRUE(portValues.count("INTEGER: " + p)) << p;
        EXPECT_EQ(portValues.count("INTEGER: 15") == 1, ports >= 15);
        EXPECT_EQ(status.count("1.0.28.240.18.52.86"), 1u);
        EXPECT_EQ(status.count("100.0.28.240.18.52.86"), 1u);
        EXPECT_EQ(status.at("100.0.28.240.18.52.86"), "INTEGER: 3");
        // The switch's own address is the bridge address, on no port, in each database; one static entry.
        const std::string bridge = ValueOf(Snmp("snmpget", V1(), sim.port(), "-Ox 1.3.6.1.2.1.17.1.1.0"),
                                           "1.3.6.1.2.1.17.1.1.0");
        const auto oper = Rows(Snmp("snmpwalk", V1(), sim.port(), kIfOper), kIfOper);
        int own = 0, pinned = 0;
        for (const auto& [index, value] : status) {
            const int p = std::stoi(port.at(index).substr(9));
            EXPECT_LE(p, ports) << index;
            if (value == "INTEGER: 4") {
                ++own;
                EXPECT_EQ(p, 0) << index;
                std::string mac;
                std::istringstream octets(index.substr(index.find('.') + 1));
                for (std::string o; std::getline(octets, o, '.');)
                    mac += static_cast<char>(std::stoi(o));
                EXPECT_EQ("Hex-STRING: " + Hex(mac), bridge) << index;
            } else {
                pinned += value == "INTEGER: 5";
                EXPECT_GE(p, 1) << index;
                // An address is learned only where a link is.
                if (value == "INTEGER: 3")
                    EXPECT_EQ(oper.count(std::to_string(p)) ? oper.at(std::to_string(p)) : "", "INTEGER: 1") << index;
            }
        }
        EXPECT_EQ(own, 2);
        EXPECT_EQ(pinned, 1);
        const auto counts = Rows(Snmp("snmpwalk", V1(), sim.port(), "1.3.6.1.2.1.17.7.1.2.1.1.2"),
                                 "1.3.6.1.2.1.17.7.1.2.1.1.2");
        for (const auto& [id, n] : learned)
            EXPECT_EQ(counts.count(id) ? counts.at(id) : "", "Counter32: " + std::to_string(n)) << id;

        // The aging time: 300 s, writable within the bridge MIB's 10..1000000.
        EXPECT_EQ(ValueOf(Snmp("snmpget", V1(), sim.port(), aging), aging), "INTEGER: 300");
        struct Write {
            std::string auth;
            std::string value;
            std::string answer;
        };
        for (const Write& w : {Write{V2("private"), "9", "Reason: wrongValue"},
                               Write{V2("private"), "1000001", "Reason: wrongValue"},
                               Write{V1("private"), "0", "Reason: (badValue)"},
                               Write{V2("private"), "10", "INTEGER: 10"},
                               Write{V1("private"), "1000000", "INTEGER: 1000000"}}) {
            SCOPED_TRACE(w.auth + " " + w.value);
            const std::string out = Snmp("snmpset", w.auth, sim.port(), aging + " i " + w.value);
            EXPECT_NE(out.find(w.answer), std::string::npos) << out;
        }
        EXPECT_EQ(ValueOf(Snmp("snmpget", V1(), sim.port(), aging), aging), "INTEGER: 1000000");
    }
}

// The system texts keep the bytes a SET wrote: UTF-8 names read back exactly, and so does anything else
// up to the length a DisplayString allows.
TEST(SimAgent, SystemTextsKeepTheirBytes)
{
    SimAgent sim("TQX-8800");
    ASSERT_TRUE(sim.ok());
    const std::string sysName = "1.3.6.1.2.1.1.5.0";
    const std::string defaults = Snmp("snmpget", V1(), sim.port(), "1.3.6.1.2.1.1.4.0 " + kSysLocation);
    EXPECT_EQ(ValueOf(defaults, "1.3.6.1.2.1.1.4.0"), "STRING: \"admin@example.net\"") << defaults;
    EXPECT_EQ(ValueOf(defaults, kSysLocation), "STRING: \"Rack 1\"") << defaults;
    struct Case {
        std::string oid;
        std::string bytes;
        bool ok;
    };
    const std::vector<Case> cases = {
        {sysName, "B\xC3\xBCro-Schalter", true},
        {kSysLocation, "\xE6\x9C\xBA\xE6\x88\xBF 3", true},
        {sysName, std::string("a\0\xFF\xFE", 4), true},
        {sysName, std::string(255, 'n'), true},
        {sysName, std::string(256, 'n'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oid + " " + Hex(c.bytes.substr(0, 16)));
        std::string hex = Hex(c.bytes);
        hex.erase(std::remove(hex.begin(), hex.end(), ' '), hex.end());
        const std::string before = Snmp("snmpget", V1(), sim.port(), "-Ox " + c.oid);
        const std::string set = Snmp("snmpset", V1("private"), sim.port(), c.oid + " x " + hex);
        const std::string get = Snmp("snmpget", V1(), sim.port(), "-Ox " + c.oid);
        if (c.ok) {
            // The tools print at most 16 bytes a line; compare the value with the breaks taken out.
            std::string value = get.substr(get.find("Hex-STRING: ") + 12);
            value.erase(std::remove(value.begin(), value.end(), '\n'), value.end());
            EXPECT_EQ(value, Hex(c.bytes)) << set << get;
        } else {
            EXPECT_NE(set.find("Reason: (badValue)"), std::string::npos) << set;
            EXPECT_EQ(get, before);
        }
    }
}

// The connection and listener tables as TCP and UDP service pages read them: every row's index is made of
// its own address and port columns, and the rows come in index order.
TEST(SimAgent, ConnectionTablesMatchTheirIndexes)
{
    SimAgent sim("TQX-8816");
    ASSERT_TRUE(sim.ok());
    const std::string tcp = "1.3.6.1.2.1.6.13.1";
    const std::string udp = "1.3.6.1.2.1.7.5.1";
    const std::string walk = Snmp("snmpwalk", "-OQ " + V1(), sim.port(), tcp);
    const auto rows = Rows(walk, tcp);
    std::map<std::string, std::map<int, std::string>> byIndex;
    for (const auto& [key, value] : rows)
        byIndex[key.substr(key.find('.') + 1)][std::stoi(key.substr(0, key.find('.')))] = value;
    std::multiset<std::string> states;
    for (const auto& [index, cols] : byIndex) {
        ASSERT_EQ(cols.size(), 5u) << index;
        EXPECT_EQ(cols.at(2) + "." + cols.at(3) + "." + cols.at(4) + "." + cols.at(5), index);
        states.insert(cols.at(1));
    }
    EXPECT_EQ(states.count("2"), 2u);
    EXPECT_EQ(states.count("5"), 2u);
    EXPECT_EQ(states.count("11"), 1u);
    for (const std::string listener : {"0.0.0.0.23.0.0.0.0.0", "0.0.0.0.80.0.0.0.0.0"})
        EXPECT_TRUE(byIndex.count(listener)) << walk;
    const auto udpRows = Rows(Snmp("snmpwalk", "-OQ " + V1(), sim.port(), udp), udp);
    std::set<std::string> listeners;
    for (const auto& [key, value] : udpRows) {
        const std::string index = key.substr(key.find('.') + 1);
        if (key[0] == '1')
            EXPECT_EQ(value + "." + udpRows.at("2." + index), index);
        listeners.insert(index);
    }
    EXPECT_EQ(listeners, (std::set<std::string>{"0.0.0.0.161", "0.0.0.0.162"}));
    // The IP table: the loopback and the management address, the latter on the interface listed in ifTable.
    const auto ip = Rows(Snmp("snmpwalk", "-OQ " + V1(), sim.port(), "1.3.6.1.2.1.4.20.1"), "1.3.6.1.2.1.4.20.1");
    EXPECT_EQ(ip.count("3.127.0.0.1") ? ip.at("3.127.0.0.1") : "", "255.0.0.0");
    std::string management;
    for (const auto& [key, value] : ip)
        if (key.rfind("1.", 0) == 0 && value != "127.0.0.1")
            management = value;
    ASSERT_FALSE(management.empty());
    EXPECT_EQ(ip.at("3." + management), "255.255.255.0");
    const std::string ifIndex = ip.at("2." + management);
    EXPECT_NE(ValueOf(Snmp("snmpget", V1(), sim.port(), "1.3.6.1.2.1.2.2.1.1." + ifIndex), "1.3.6.1.2.1.2.2.1.1." + ifIndex),
              "");
    for (const auto& [index, cols] : byIndex)
        if (cols.at(1) != "2")
            EXPECT_EQ(cols.at(2), management) << index;
}

// A recording of another agent, served by tqx-sim alone, answers the same walks as that agent.
TEST(SimAgent, ServesARecordingOfSnmpd)
{
    tqxtest::SnmpdAgent snmpd;
    ASSERT_TRUE(snmpd.ok()) << snmpd.process().output();
    tqxtest::TempDir dir;
    const std::string file = (dir.path() / "snmpd.snmprec").string();
    const std::string script = std::string(TQX_SOURCE_DIR) + "/tests/support/snmprec_record.py";
    const std::string agent = "127.0.0.1:" + std::to_string(snmpd.port());
    const std::string recorded = RunShell("python3 " + script + " " + agent + " public " + file + "; echo status=$?");
    ASSERT_NE(recorded.find("status=0"), std::string::npos) << recorded;

    const std::uint16_t port = tqxtest::FreeUdpPort();
    ChildProcess sim;
    ASSERT_TRUE(sim.start({Program(), "--data", file, "--listen", "udp:127.0.0.1:" + std::to_string(port)}));
    ASSERT_TRUE(sim.waitForOutput("listening on", 15s)) << sim.output();
    // ifIndex, ifDescr, ifSpeed, ifPhysAddress (binary), ifOperStatus; the system group without the clock.
    for (const std::string root : {"1.3.6.1.2.1.2.2.1.1", "1.3.6.1.2.1.2.2.1.2", "1.3.6.1.2.1.2.2.1.5",
                                   "1.3.6.1.2.1.2.2.1.6", "1.3.6.1.2.1.2.2.1.8", "1.3.6.1.2.1.1"}) {
        SCOPED_TRACE(root);
        auto theirs = Rows(Snmp("snmpwalk", V1(), snmpd.port(), "-Ox " + root), root);
        auto ours = Rows(Snmp("snmpwalk", V1(), port, "-Ox " + root), root);
        theirs.erase("3.0");
        ours.erase("3.0");
        EXPECT_FALSE(theirs.empty());
        EXPECT_EQ(ours, theirs);
    }
    EXPECT_EQ(sim.stop(), 0);

    // An agent that does not answer, and bad arguments: a clear message, and no file.
    const std::string gone = (dir.path() / "gone.snmprec").string();
    struct Case {
        std::string args;
        std::string status;
        std::string text;
    };
    for (const Case& c : {Case{"-t 0.2 -r 0 127.0.0.1:" + std::to_string(tqxtest::FreeUdpPort()) + " public " + gone, "1",
                               "snmpwalk failed"},
                          Case{"-t 0 " + agent + " public " + gone, "2", "usage:"},
                          Case{"-r many " + agent + " public " + gone, "2", "usage:"},
                          Case{"-t", "2", "usage:"},
                          Case{agent + " public " + gone + " 1.3.6.1.9", "1", "holds no objects"},
                          Case{agent + " public", "2", "usage:"},
                          Case{"-v1 public " + gone, "2", "HOST:PORT"},
                          Case{agent + " public " + gone + " system", "2", "numeric OID"}}) {
        SCOPED_TRACE(c.args);
        const std::string out = RunShell("python3 " + script + " " + c.args + "; echo status=$?");
        EXPECT_NE(out.find("status=" + c.status), std::string::npos) << out;
        EXPECT_NE(out.find(c.text), std::string::npos) << out;
        EXPECT_FALSE(std::filesystem::exists(gone));
    }
}

namespace {

const std::string kVlan = "1.3.6.1.4.1.32473.10.76.10.7.6.1";
const std::string kPvid = "1.3.6.1.4.1.32473.10.76.10.7.7.1.1";
const std::string kAsymmetric = "1.3.6.1.4.1.32473.10.76.10.7.5.0";
const std::string kVoiceState = "1.3.6.1.4.1.32473.10.76.10.21.1.2.0";
const std::string kSurveillanceState = "1.3.6.1.4.1.32473.10.76.10.26.1.1.0";
const std::string kTrunkState = "1.3.6.1.4.1.32473.10.76.10.8.1.2.0";
const std::string kTrunk = "1.3.6.1.4.1.32473.10.76.10.8.1.3.1";

// snmpset's output names the refusal ("Reason: inconsistentValue ..."); a write that went through
// echoes the values.
bool Refused(const std::string& output, const std::string& reason)
{
    return output.find("Reason: " + reason) != std::string::npos;
}

} // namespace

// The static VLAN table as the VLAN pages use it on a 28-port switch: the default VLAN, a VLAN created,
// filled, edited and destroyed in the pages' order of writes, and every refusal with its error code.
TEST(SimAgent, VlanTableRowsAndRefusals)
{
    SimAgent sim("TQF-8828P");
    ASSERT_TRUE(sim.ok());
    const std::string rw = V2("private");
    auto set = [&](const std::string& args) { return Snmp("snmpset", rw, sim.port(), args); };
    auto get = [&](const std::string& args) { return Snmp("snmpget", V2(), sim.port(), args); };

    // VLAN 1 holds every port untagged; every PVID is 1.
    std::string out = get(kVlan + ".1.1 " + kVlan + ".2.1 " + kVlan + ".3.1 " + kVlan + ".4.1 " + kVlan + ".5.1");
    EXPECT_EQ(ValueOf(out, kVlan + ".1.1"), "STRING: \"default\"") << out;
    EXPECT_EQ(ValueOf(out, kVlan + ".2.1"), "Hex-STRING: FF FF FF F0 ") << out;
    EXPECT_EQ(ValueOf(out, kVlan + ".3.1"), "Hex-STRING: 00 00 00 00 ") << out;
    EXPECT_EQ(ValueOf(out, kVlan + ".4.1"), "Hex-STRING: FF FF FF F0 ") << out;
    EXPECT_EQ(ValueOf(out, kVlan + ".5.1"), "INTEGER: 1") << out;
    const auto pvids = Rows(Snmp("snmpwalk", V2(), sim.port(), kPvid), kPvid);
    EXPECT_EQ(pvids.size(), 28u);
    EXPECT_EQ(std::count_if(pvids.begin(), pvids.end(), [](const auto& r) { return r.second == "Gauge32: 1"; }), 28);

    // Added as the add page writes it: wait, all ports as egress, the untagged ports, the egress ports,
    // the name (UTF-8, kept byte for byte), active. Ports 1, 2 and 28 are C0 00 00 10.
    ASSERT_EQ(set(kVlan + ".5.10 i 5").find("Reason"), std::string::npos);
    for (const std::string& args : {kVlan + ".2.10 x FFFFFFF0", kVlan + ".4.10 x 40000000", kVlan + ".2.10 x C0000010",
                                    kVlan + ".1.10 x 42C3BC726F", kVlan + ".5.10 i 1"}) {
        out = set(args);
        EXPECT_EQ(out.find("Reason"), std::string::npos) << args << ": " << out;
    }
    out = get("-Ox " + kVlan + ".1.10 " + kVlan + ".2.10 " + kVlan + ".4.10 " + kVlan + ".5.10");
    EXPECT_EQ(ValueOf(out, kVlan + ".1.10"), "Hex-STRING: 42 C3 BC 72 6F ") << out;
    EXPECT_EQ(ValueOf(out, kVlan + ".2.10"), "Hex-STRING: C0 00 00 10 ") << out;
    EXPECT_EQ(ValueOf(out, kVlan + ".4.10"), "Hex-STRING: 40 00 00 00 ") << out;
    EXPECT_EQ(ValueOf(out, kVlan + ".5.10"), "INTEGER: 1") << out;
    // Created active in one request with its ports; a VLAN waiting and one active without ports.
    EXPECT_EQ(set(kVlan + ".5.12 i 4 " + kVlan + ".2.12 x 30000000 " + kVlan + ".4.12 x 10000000").find("Reason"),
              std::string::npos);
    EXPECT_EQ(set(kVlan + ".5.13 i 5").find("Reason"), std::string::npos);
    EXPECT_EQ(set(kVlan + ".5.14 i 4").find("Reason"), std::string::npos);

    struct Case {
        std::string args;
        std::string reason;
    };
    const std::string tooLong(65, 'n');
    const Case cases[] = {
        {kVlan + ".5.1 i 6", "inconsistentValue"},          // the default VLAN stays
        {kVlan + ".5.1 i 2", "inconsistentValue"},          // ... and stays active
        {kVlan + ".5.10 i 5", "inconsistentValue"},         // exists already
        {kVlan + ".5.10 i 4", "inconsistentValue"},
        {kVlan + ".5.11 i 1", "inconsistentValue"},         // no such VLAN
        {kVlan + ".5.11 i 6", "inconsistentValue"},
        {kVlan + ".5.10 i 3", "wrongValue"},                // notReady is the agent's to say
        {kVlan + ".5.10 i 7", "wrongValue"},
        {kVlan + ".5.4095 i 5", "noCreation"},              // VIDs are 1..4094
        {kVlan + ".5.0 i 5", "noCreation"},
        {kVlan + ".1.11 s x", "noCreation"},                // a column of a VLAN that does not exist
        {kVlan + ".6.10 i 1", "noCreation"},                // no such column
        {kVlan + ".5.10 s 1", "wrongType"},
        {kVlan + ".2.10 i 1", "wrongType"},
        {kVlan + ".1.10 s " + tooLong, "wrongLength"},
        {kVlan + ".2.10 x 00000008", "wrongValue"},         // port 29 on a 28-port switch
        {kVlan + ".4.10 x 20000000", "inconsistentValue"},  // untagged port 3 is no egress port
        {kVlan + ".2.10 x 80000000", "inconsistentValue"},  // leaves untagged port 2 outside
        {kVlan + ".3.10 x 80000000", "inconsistentValue"},  // forbidden egress port 1
        {kVlan + ".4.1 x FFFFFFF0 " + kVlan + ".2.1 x 7FFFFFF0", "inconsistentValue"},
        {kVlan + ".5.15 i 4 " + kVlan + ".2.15 x 80000000 " + kVlan + ".4.15 x 40000000", "inconsistentValue"},
        {kPvid + ".3 u 99", "inconsistentValue"},           // no VLAN 99
        {kPvid + ".3 u 13", "inconsistentValue"},           // VLAN 13 is not active
        {kPvid + ".3 u 14", "inconsistentValue"},           // VLAN 14 has no ports
        {kPvid + ".3 u 0", "wrongValue"},
        {kPvid + ".3 u 4095", "wrongValue"},
        {kPvid + ".3 i 10", "wrongType"},
        {kPvid + ".29 u 1", "noCreation"},                  // no port 29
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        out = set(c.args);
        EXPECT_TRUE(Refused(out, c.reason)) << out;
    }
    // Nothing refused was kept: the VLANs are 1, 10, 12, 13 (waiting) and 14, as before.
    const auto states = Rows(Snmp("snmpwalk", V2(), sim.port(), kVlan + ".5"), kVlan + ".5");
    EXPECT_EQ(states, (std::map<std::string, std::string>{{"1", "INTEGER: 1"}, {"10", "INTEGER: 1"},
                                                          {"12", "INTEGER: 1"}, {"13", "INTEGER: 2"},
                                                          {"14", "INTEGER: 1"}}));
    EXPECT_EQ(ValueOf(get(kVlan + ".2.10"), kVlan + ".2.10"), "Hex-STRING: C0 00 00 10 ");

    // Edited as the edit page writes it: out of service, all ports, untagged, egress, name, active.
    for (const std::string& args : {kVlan + ".5.10 i 2", kVlan + ".2.10 x FFFFFFF0", kVlan + ".4.10 x 00000000",
                                    kVlan + ".2.10 x 20000000", kVlan + ".1.10 s lab", kVlan + ".5.10 i 1"}) {
        out = set(args);
        EXPECT_EQ(out.find("Reason"), std::string::npos) << args << ": " << out;
    }
    EXPECT_EQ(ValueOf(get(kVlan + ".2.10"), kVlan + ".2.10"), "Hex-STRING: 20 00 00 00 ");
    // A port on VLAN 10; when the VLAN goes, the port is back on VLAN 1.
    EXPECT_NE(set(kPvid + ".3 u 10").find("Gauge32: 10"), std::string::npos);
    EXPECT_NE(set(kVlan + ".5.10 i 6").find("INTEGER: 6"), std::string::npos);
    out = get(kVlan + ".5.10 " + kPvid + ".3");
    EXPECT_NE(ValueOf(out, kVlan + ".5.10").find("No Such Instance"), std::string::npos) << out;
    EXPECT_EQ(ValueOf(out, kPvid + ".3"), "Gauge32: 1") << out;

    // At most 256 VLANs: fill up to the limit in requests of 40 rows; the next one is refused.
    int next = 100;
    for (int have = 4; have < 256;) {
        std::string args;
        for (int i = 0; i < 40 && have < 256; ++i, ++have)
            args += " " + kVlan + ".5." + std::to_string(next++) + " i 5";
        ASSERT_EQ(set(args).find("Reason"), std::string::npos);
    }
    EXPECT_EQ(CountLines(Snmp("snmpwalk", V2(), sim.port(), kVlan + ".5"), "." + kVlan + ".5."), 256);
    EXPECT_TRUE(Refused(set(kVlan + ".5.4000 i 5"), "resourceUnavailable"));
}

// Asymmetric VLANs exclude the voice and the surveillance VLAN; switching the mode resets the VLANs.
TEST(SimAgent, VlanModes)
{
    SimAgent sim("TQX-8800");
    ASSERT_TRUE(sim.ok());
    const std::string rw = V2("private");
    auto set = [&](const std::string& args) { return Snmp("snmpset", rw, sim.port(), args); };
    ASSERT_EQ(set(kVlan + ".5.20 i 4 " + kVlan + ".2.20 x 0F0000 " + kPvid + ".5 u 20").find("Reason"), std::string::npos);
    struct Case {
        std::string args;
        std::string reason; // "" when it goes through
    };
    const Case cases[] = {
        {kVoiceState + " i 1", ""},
        {kAsymmetric + " i 1", "inconsistentValue"},
        {kVoiceState + " i 2 " + kAsymmetric + " i 1", ""}, // together in one request: fine
        {kSurveillanceState + " i 1", "inconsistentValue"},
        {kVoiceState + " i 1", "inconsistentValue"},
        {kAsymmetric + " i 3", "wrongValue"},
        {kAsymmetric + " i 2", ""},
        {kSurveillanceState + " i 1", ""},
        {kAsymmetric + " i 1", "inconsistentValue"},
        {"1.3.6.1.4.1.32473.10.76.10.21.1.3.0 i 4095", "wrongValue"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const std::string out = set(c.args);
        if (c.reason.empty())
            EXPECT_EQ(out.find("Reason"), std::string::npos) << out;
        else
            EXPECT_TRUE(Refused(out, c.reason)) << out;
    }
    // The mode was written (twice): VLAN 20 is gone and port 5 is back on VLAN 1.
    const std::string out = Snmp("snmpget", V2(), sim.port(), kVlan + ".5.20 " + kPvid + ".5 " + kAsymmetric);
    EXPECT_NE(ValueOf(out, kVlan + ".5.20").find("No Such Instance"), std::string::npos) << out;
    EXPECT_EQ(ValueOf(out, kPvid + ".5"), "Gauge32: 1") << out;
    EXPECT_EQ(ValueOf(out, kAsymmetric), "INTEGER: 2") << out;
}

// Trunks on a 48-port switch: member lists and modes written as the trunk page writes them, the
// member rules, and the objects a trunk member check reads, each at its default and each changeable by
// SET or the control channel.
TEST(SimAgent, TrunkMembersAndWhatTheyMustAgreeOn)
{
    tqxtest::TempDir dir;
    const std::string sock = (dir.path() / "ctl").string();
    SimAgent sim("TQX-8848", {"--control", sock});
    ASSERT_TRUE(sim.ok());
    const std::string rw = V2("private");
    auto set = [&](const std::string& args) { return Snmp("snmpset", rw, sim.port(), args); };

    std::string out = Snmp("snmpwalk", V2(), sim.port(), "1.3.6.1.4.1.32473.10.76.10.8.1");
    EXPECT_EQ(ValueOf(out, kTrunkState), "INTEGER: 1") << out;
    for (int t = 1; t <= 8; ++t) {
        SCOPED_TRACE(t);
        EXPECT_EQ(ValueOf(out, kTrunk + ".1." + std::to_string(t)), "INTEGER: " + std::to_string(t));
        EXPECT_EQ(ValueOf(out, kTrunk + ".2." + std::to_string(t)), "Hex-STRING: 00 00 00 00 00 00 ");
        EXPECT_EQ(ValueOf(out, kTrunk + ".3." + std::to_string(t)), "INTEGER: 2");
    }
    EXPECT_EQ(CountLines(out, "." + kTrunk + ".2."), 8);

    // Ports 3 and 4 (30 00 ...) in trunk 1 with LACP, in one request as the member page sends it.
    out = set(kTrunk + ".2.1 x 3000000000000000 " + kTrunk + ".3.1 i 1");
    EXPECT_EQ(out.find("Reason"), std::string::npos) << out;
    struct Case {
        std::string args;
        std::string reason;
    };
    const Case cases[] = {
        {kTrunk + ".2.2 x 0800000000000000", "wrongValue"},        // one member
        {kTrunk + ".2.2 x 00FF800000000000", "wrongValue"},        // nine members
        {kTrunk + ".2.2 x 0000000000018000", "wrongValue"},        // port 48 and port 49, which is not there
        {kTrunk + ".2.2 x 1800000000000000", "inconsistentValue"}, // port 4 is in trunk 1
        {kTrunk + ".2.2 x 0C " + kTrunk + ".2.3 x 0C", "inconsistentValue"}, // two trunks of one request
        {kTrunk + ".2.2 s " + std::string(65, 'x'), "wrongLength"},
        {kTrunk + ".2.2 i 1", "wrongType"},
        {kTrunk + ".3.2 i 4", "wrongValue"},
        {kTrunk + ".3.2 i 0", "wrongValue"},
        {kTrunk + ".1.2 i 2", "notWritable"},
        {kTrunk + ".2.9 x 0C", "noCreation"},
        {kTrunkState + " i 0", "wrongValue"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        out = set(c.args);
        EXPECT_TRUE(Refused(out, c.reason)) << out;
    }
    // Ports move from trunk 1 to trunk 2 in one request; trunk 8 takes eight ports (41 to 48).
    EXPECT_EQ(set(kTrunk + ".2.1 x 00 " + kTrunk + ".2.2 x 3000000000000000").find("Reason"), std::string::npos);
    EXPECT_EQ(set(kTrunk + ".2.8 x 0000000000FF0000").find("Reason"), std::string::npos);
    out = Snmp("snmpwalk", V2(), sim.port(), kTrunk + ".2");
    EXPECT_EQ(ValueOf(out, kTrunk + ".2.1"), "Hex-STRING: 00 ") << out;
    EXPECT_EQ(ValueOf(out, kTrunk + ".2.2"), "Hex-STRING: 30 00 00 00 00 00 00 00 ") << out;
    EXPECT_EQ(ValueOf(out, kTrunk + ".2.8"), "Hex-STRING: 00 00 00 00 00 FF 00 00 ") << out;

    // The member check's reads, at their defaults (port 48 for the per-port ones).
    const std::string v = "1.3.6.1.4.1.32473.10.76.10.";
    const std::vector<std::pair<std::string, std::string>> defaults = {
        {"1.13.1.2.48", "INTEGER: 6"},     {"1.13.1.7.48", "INTEGER: 2"},     {"12.3.1.1.2.48", "INTEGER: 1"},
        {"7.7.1.1.48", "Gauge32: 1"},      {"14.2.1.1.2.48", "INTEGER: 2"},   {"17.4.1.2.48", "INTEGER: 2"},
        {"13.1.2.1.2.48", "INTEGER: 0"},   {"13.1.2.1.3.48", "INTEGER: 0"},   {"6.2.1.2.48", "INTEGER: 128"},
        {"6.2.1.4.48", "INTEGER: 1"},      {"6.2.1.5.48", "INTEGER: 0"},      {"6.2.1.14.48", "INTEGER: 2"},
        {"6.2.1.16.48", "INTEGER: 2"},     {"6.2.1.17.48", "INTEGER: 2"},     {"6.2.1.18.48", "INTEGER: 2"},
        {"11.2.9.1.2.48", "INTEGER: 3"},   {"21.1.6.1.2.48", "INTEGER: 2"},   {"26.1.5.1.2.48", "INTEGER: 2"},
        {"26.1.5.1.3.48", "INTEGER: 1"},   {"6.1.1.0", "INTEGER: 2"},         {"11.2.1.0", "INTEGER: 2"},
        {"26.1.1.0", "INTEGER: 2"},        {"18.1.0", "INTEGER: 2"},          {"18.2.0", "INTEGER: 1"},
        {"18.3.0", "Hex-STRING: 00 00 00 00 00 00 "}, {"18.4.0", "Hex-STRING: 00 00 00 00 00 00 "},
        {"9.2.0", "Hex-STRING: FF FF FF FF FF FF "},  {"14.7.1.0", "Hex-STRING: 00 00 00 00 00 00 "},
    };
    std::string oids;
    for (const auto& [oid, value] : defaults)
        oids += " " + v + oid;
    out = Snmp("snmpget", V2(), sim.port(), "-Ox" + oids);
    for (const auto& [oid, value] : defaults)
        EXPECT_EQ(ValueOf(out, v + oid), value) << oid << "\n" << out;
    // A conflict arranged by SET (port security on port 3) and one by the control channel (an ACL
    // row holding port 4), both read back as the check reads them.
    EXPECT_EQ(set(v + "14.2.1.1.2.3 i 1").find("Reason"), std::string::npos);
    std::string answer;
    EXPECT_TRUE(SimControl(sock, "set " + v + "15.2.1.1.10.1 4x 1000000000000000", &answer)) << answer;
    out = Snmp("snmpwalk", V2(), sim.port(), "-Ox " + v + "15.2.1.1.10");
    EXPECT_EQ(ValueOf(out, v + "15.2.1.1.10.1"), "Hex-STRING: 10 00 00 00 00 00 00 00 ") << out;
    EXPECT_EQ(ValueOf(Snmp("snmpget", V2(), sim.port(), v + "14.2.1.1.2.3"), v + "14.2.1.1.2.3"), "INTEGER: 1");
}

// VLANs and trunks are kept by "Save configuration" and lost by a reboot without it.
TEST(SimAgent, VlansAndTrunksAreSavedLikeTheRest)
{
    SimAgent sim("TQX-8816", {"--reboot-time", "300"});
    ASSERT_TRUE(sim.ok());
    const std::string rw = V2("private");
    auto set = [&](const std::string& args) { return Snmp("snmpset", rw, sim.port(), args); };
    ASSERT_EQ(set(kVlan + ".5.30 i 4 " + kVlan + ".2.30 x C000 " + kVlan + ".1.30 s kept").find("Reason"), std::string::npos);
    ASSERT_EQ(set(kPvid + ".2 u 30").find("Reason"), std::string::npos);
    ASSERT_EQ(set(kTrunk + ".2.1 x 3000 " + kTrunk + ".3.1 i 1").find("Reason"), std::string::npos);
    ASSERT_NE(set(kSave + " i 1").find("INTEGER: 1"), std::string::npos);
    // After the save: another VLAN and trunk, VLAN 30's name changed, VLAN 1's ports changed.
    ASSERT_EQ(set(kVlan + ".5.31 i 5").find("Reason"), std::string::npos);
    ASSERT_EQ(set(kVlan + ".1.30 s lost").find("Reason"), std::string::npos);
    ASSERT_EQ(set(kVlan + ".4.1 x 0000 " + kVlan + ".2.1 x 0FFF").find("Reason"), std::string::npos);
    ASSERT_EQ(set(kTrunk + ".2.2 x 0C00 " + kTrunk + ".2.1 x 0000").find("Reason"), std::string::npos);
    ASSERT_NE(set(kReboot + " i 1").find("INTEGER: 1"), std::string::npos);
    std::string out;
    for (int i = 0; i < 20 && ValueOf(out, kVlan + ".1.30").empty(); ++i) {
        std::this_thread::sleep_for(200ms);
        out = Snmp("snmpget", V2(), sim.port(),
                   kVlan + ".1.30 " + kVlan + ".5.31 " + kVlan + ".2.1 " + kVlan + ".4.1 " + kPvid + ".2 " + kTrunk +
                       ".2.1 " + kTrunk + ".2.2 " + kTrunk + ".3.1",
                   "0.5", 0);
    }
    EXPECT_EQ(ValueOf(out, kVlan + ".1.30"), "STRING: \"kept\"") << out;
    EXPECT_NE(ValueOf(out, kVlan + ".5.31").find("No Such Instance"), std::string::npos) << out;
    EXPECT_EQ(ValueOf(out, kVlan + ".2.1"), "Hex-STRING: FF FF ") << out;
    EXPECT_EQ(ValueOf(out, kVlan + ".4.1"), "Hex-STRING: FF FF ") << out;
    EXPECT_EQ(ValueOf(out, kPvid + ".2"), "Gauge32: 30") << out;
    EXPECT_EQ(ValueOf(out, kTrunk + ".2.1"), "Hex-STRING: 30 00 ") << out;
    EXPECT_EQ(ValueOf(out, kTrunk + ".2.2"), "Hex-STRING: 00 00 ") << out;
    EXPECT_EQ(ValueOf(out, kTrunk + ".3.1"), "INTEGER: 1") << out;
}

// A port's speed and flow-control settings: refused as a switch refuses them, followed by the
// operating mode and flow control, and kept across a reboot once saved.
TEST(SimAgent, PortSettingsRefusalsAndWhatFollowsThem)
{
    tqxtest::TempDir dir;
    const std::string sock = (dir.path() / "ctl").string();
    SimAgent sim("TQX-8800", {"--control", sock, "--reboot-time", "300"});
    ASSERT_TRUE(sim.ok());
    auto set = [&](const std::string& args) { return Snmp("snmpset", V2("private"), sim.port(), args); };
    const std::string speed = "1.3.6.1.4.1.32473.10.76.10.1.13.1.2.";
    const std::string mode = "1.3.6.1.4.1.32473.10.76.10.1.13.1.3.";
    const std::string flow = "1.3.6.1.4.1.32473.10.76.10.1.13.1.5.";
    const std::string operFlow = "1.3.6.1.4.1.32473.10.76.10.1.13.1.6.";
    std::string answer;
    // Port 21 on a 100Base-X module, ports 3 and 4 in trunk 1; port 23 runs a 1000Base-X module.
    ASSERT_TRUE(SimControl(sock, "medium 21 3", &answer)) << answer;
    ASSERT_TRUE(SimControl(sock, "set 1.3.6.1.4.1.32473.10.76.10.8.1.3.1.2.1 4x 30000000", &answer)) << answer;
    std::string all23;
    for (int p = 1; p <= 23; ++p)
        all23 += " " + speed + std::to_string(p) + " i 7";
    const struct {
        std::string args;
        std::string reason;  // "" accepted
    } cases[] = {
        {speed + "1 i 0", "wrongValue"},
        {speed + "1 i 8", "wrongValue"},
        {speed + "1 i 1", "wrongValue"},             // 1000M on a fast port
        {speed + "21 i 6", "wrongValue"},            // auto on a 100Base-X module
        {speed + "21 i 4", "wrongValue"},            // 10M on it
        {speed + "21 i 3", ""},                      // 100M half on it
        {speed + "23 i 2", "wrongValue"},            // 100M on a 1000Base-X module
        {speed + "23 i 1", ""},
        {speed + "3 i 2", "inconsistentValue"},      // one trunk member alone
        {speed + "3 i 3 " + speed + "4 i 3", "inconsistentValue"},  // a trunk in half duplex
        {speed + "3 i 2 " + speed + "4 i 2", ""},    // the whole trunk
        {flow + "2 i 3", "wrongValue"},
        {all23, ""},
        {speed + "24 i 7", "inconsistentValue"},     // the last enabled port
        {speed + "24 i 7 " + speed + "1 i 6", ""},   // unless another comes back in the same request
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const std::string out = set(c.args);
        if (c.reason.empty())
            EXPECT_EQ(out.find("Reason"), std::string::npos) << out;
        else
            EXPECT_TRUE(Refused(out, c.reason)) << out;
    }
    // Port 2: forced 100M half duplex with flow control; operating mode 4 (100M half), flow control
    // running while the link is up. Saved, then auto again and rebooted: the saved setting runs.
    EXPECT_EQ(set(speed + "2 i 3 " + flow + "2 i 1").find("Reason"), std::string::npos);
    std::string out = Snmp("snmpget", V2(), sim.port(), mode + "2 " + operFlow + "2 " + kIfSpeed + ".2");
    EXPECT_EQ(ValueOf(out, mode + "2"), "INTEGER: 4") << out;
    EXPECT_EQ(ValueOf(out, operFlow + "2"), "INTEGER: 1") << out;
    EXPECT_EQ(ValueOf(out, kIfSpeed + ".2"), "Gauge32: 100000000") << out;
    ASSERT_TRUE(SimControl(sock, "link 2 down", &answer)) << answer;
    out = Snmp("snmpget", V2(), sim.port(), mode + "2 " + operFlow + "2");
    EXPECT_EQ(ValueOf(out, mode + "2"), "INTEGER: 1") << out;
    EXPECT_EQ(ValueOf(out, operFlow + "2"), "INTEGER: 2") << out;
    ASSERT_TRUE(SimControl(sock, "link 2 up", &answer)) << answer;
    EXPECT_EQ(set(kSave + " i 1").find("Reason"), std::string::npos);
    EXPECT_EQ(set(speed + "2 i 6").find("Reason"), std::string::npos);
    EXPECT_EQ(ValueOf(Snmp("snmpget", V2(), sim.port(), mode + "2"), mode + "2"), "INTEGER: 3");
    EXPECT_EQ(set(kReboot + " i 1").find("Reason"), std::string::npos);
    std::this_thread::sleep_for(700ms);
    for (int i = 0; i < 20 && ValueOf(Snmp("snmpget", V2(), sim.port(), mode + "2", "0.5", 0), mode + "2").empty(); ++i)
        std::this_thread::sleep_for(100ms);
    out = Snmp("snmpget", V2(), sim.port(), speed + "2 " + mode + "2");
    EXPECT_EQ(ValueOf(out, speed + "2"), "INTEGER: 3") << out;
    EXPECT_EQ(ValueOf(out, mode + "2"), "INTEGER: 4") << out;
}

namespace {

const std::string kStp = "1.3.6.1.2.1.17.2";
const std::string kStpPort = "1.3.6.1.2.1.17.2.15.1";
const std::string kStpVendor = "1.3.6.1.4.1.32473.10.76.10.6";

} // namespace

// Spanning tree on a 24-port switch that is the only bridge: its own root, port states and path
// costs that follow the links and speeds, topology changes counted, the timers and priorities held
// to IEEE 802.1D, the standard and vendor port columns showing one setting, and all of it saved.
TEST(SimAgent, SpanningTreeFollowsThePortsAndRefusesWhatIEEE8021DRefuses)
{
    tqxtest::TempDir dir;
    const std::string sock = (dir.path() / "ctl").string();
    SimAgent sim("TQX-8800", {"--control", sock, "--reboot-time", "300"});
    ASSERT_TRUE(sim.ok());
    auto set = [&](const std::string& args) { return Snmp("snmpset", V2("private"), sim.port(), args); };
    auto get = [&](const std::string& args) { return Snmp("snmpget", V2(), sim.port(), args); };
    auto control = [&](const std::string& line) {
        std::string answer;
        EXPECT_TRUE(SimControl(sock, line, &answer)) << line << ": " << answer;
    };

    // Bridge id 32768 and 02:54:51:01:00:00, the designated root and every port's designated bridge.
    // Ports 4 (no link) and 6 (admin down) are disabled; costs by speed: 100M, 10M (port 5), 1000M.
    std::string out = Snmp("snmpwalk", V2(), sim.port(), kStp);
    const std::string bridgeId = "Hex-STRING: 80 00 02 54 51 01 00 00 ";
    const std::vector<std::pair<std::string, std::string>> initial = {
        {".2.0", "INTEGER: 32768"},         {".4.0", "Counter32: 0"},          {".5.0", bridgeId},
        {".6.0", "INTEGER: 0"},             {".7.0", "INTEGER: 0"},            {".8.0", "INTEGER: 2000"},
        {".9.0", "INTEGER: 200"},           {".10.0", "INTEGER: 100"},         {".11.0", "INTEGER: 1500"},
        {".15.1.3.1", "INTEGER: 5"},        {".15.1.3.4", "INTEGER: 1"},       {".15.1.3.6", "INTEGER: 1"},
        {".15.1.5.1", "INTEGER: 200000"},   {".15.1.5.5", "INTEGER: 2000000"}, {".15.1.5.21", "INTEGER: 20000"},
        {".15.1.6.7", bridgeId},            {".15.1.8.24", bridgeId},          {".15.1.7.1", "INTEGER: 0"},
        {".15.1.9.1", "Hex-STRING: 80 01 "}, {".15.1.9.24", "Hex-STRING: 80 18 "},
    };
    for (const auto& [tail, value] : initial)
        EXPECT_EQ(ValueOf(out, kStp + tail), value) << tail;
    EXPECT_EQ(CountLines(out, "." + kStpPort + ".1."), 24);

    const struct {
        std::string args;
        std::string reason;  // "" accepted
    } cases[] = {
        {kStp + ".12.0 i 599", "wrongValue"},
        {kStp + ".12.0 i 4001", "wrongValue"},
        {kStp + ".14.0 i 399", "wrongValue"},
        {kStp + ".14.0 i 3001", "wrongValue"},
        {kStp + ".13.0 i 99", "wrongValue"},
        {kStp + ".13.0 i 1001", "wrongValue"},
        {kStp + ".12.0 i 2000 " + kStp + ".13.0 i 900", ""},  // 2000 >= 2 x (900 + 100)
        {kStp + ".13.0 i 901", "inconsistentValue"},
        {kStp + ".14.0 i 1000", "inconsistentValue"},         // 2 x (1000 - 100) < 2000
        {kStp + ".12.0 i 4000 " + kStp + ".14.0 i 2100", ""},  // both in one request
        {kStp + ".12.0 s 2000", "wrongType"},
        {kStp + ".2.0 i 4097", "wrongValue"},                 // steps of 4096
        {kStp + ".2.0 i 65536", "wrongValue"},
        {kStpPort + ".2.1 i 8", "wrongValue"},                // steps of 16
        {kStpPort + ".2.1 i 256", "wrongValue"},
        {kStpPort + ".4.1 i 3", "wrongValue"},
        {kStpPort + ".5.1 i 0", "wrongValue"},                // "by speed" is the vendor column's 0
        {kStpPort + ".3.1 i 1", "notWritable"},
        {kStpPort + ".2.25 i 16", "noCreation"},              // no port 25
        {kStpVendor + ".2.1.5.1 i 200000001", "wrongValue"},
        {kStpVendor + ".2.1.5.1 i -1", "wrongValue"},
        {kStpVendor + ".2.1.2.1 i 24", "wrongValue"},
        {kStpVendor + ".1.1.0 i 3", "wrongValue"},
        {kStpVendor + ".1.2.0 i 1", "wrongValue"},            // 0 STP compatible, 2 RSTP
        {kStpVendor + ".1.1.0 i 1 " + kStpVendor + ".1.2.0 i 0", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        out = set(c.args);
        if (c.reason.empty())
            EXPECT_EQ(out.find("Reason"), std::string::npos) << out;
        else
            EXPECT_TRUE(Refused(out, c.reason)) << out;
    }
    // The bridge runs the timers it was given, as root.
    out = get(kStp + ".8.0 " + kStp + ".9.0 " + kStp + ".11.0 " + kStp + ".12.0 " + kStp + ".13.0 " + kStp + ".14.0");
    EXPECT_EQ(ValueOf(out, kStp + ".8.0"), "INTEGER: 4000") << out;
    EXPECT_EQ(ValueOf(out, kStp + ".9.0"), "INTEGER: 900") << out;
    EXPECT_EQ(ValueOf(out, kStp + ".11.0"), "INTEGER: 2100") << out;

    // Priorities: the bridge's is in its id; a port's, written to the vendor column, is in the
    // standard one and in its port id. A cost set replaces the speed's; 0 gives it back.
    ASSERT_EQ(set(kStp + ".2.0 i 4096 " + kStpVendor + ".2.1.2.3 i 16 " + kStpVendor + ".2.1.5.3 i 77").find("Reason"),
              std::string::npos);
    out = get(kStp + ".5.0 " + kStpPort + ".6.3 " + kStpPort + ".2.3 " + kStpPort + ".9.3 " + kStpPort + ".5.3");
    EXPECT_EQ(ValueOf(out, kStp + ".5.0"), "Hex-STRING: 10 00 02 54 51 01 00 00 ") << out;
    EXPECT_EQ(ValueOf(out, kStpPort + ".6.3"), "Hex-STRING: 10 00 02 54 51 01 00 00 ") << out;
    EXPECT_EQ(ValueOf(out, kStpPort + ".2.3"), "INTEGER: 16") << out;
    EXPECT_EQ(ValueOf(out, kStpPort + ".9.3"), "Hex-STRING: 10 03 ") << out;
    EXPECT_EQ(ValueOf(out, kStpPort + ".5.3"), "INTEGER: 77") << out;
    ASSERT_EQ(set(kStpVendor + ".2.1.5.3 i 0 " + kStpPort + ".5.7 i 1234").find("Reason"), std::string::npos);
    out = get(kStpPort + ".5.3 " + kStpPort + ".5.7 " + kStpVendor + ".2.1.5.7");
    EXPECT_EQ(ValueOf(out, kStpPort + ".5.3"), "INTEGER: 200000") << out;
    EXPECT_EQ(ValueOf(out, kStpVendor + ".2.1.5.7"), "INTEGER: 1234") << out;

    // Link, admin state, speed and STP on the port: each change of a port's state is a topology
    // change; coming back to forwarding is a forward transition. A port at 10M costs its speed's.
    const struct {
        std::string action;  // control command, else SET arguments
        int port;
        std::string state, transitions, topChanges;
    } steps[] = {
        {"link 3 down", 3, "1", "0", "1"},
        {"link 3 up", 3, "5", "1", "2"},
        {"admin 2 down", 2, "1", "0", "3"},
        {"admin 2 up", 2, "5", "1", "4"},
        {kStpPort + ".4.2 i 2", 2, "1", "1", "5"},
        {kStpVendor + ".2.1.4.2 i 1", 2, "5", "2", "6"},
        {"1.3.6.1.4.1.32473.10.76.10.1.13.1.2.2 i 4", 2, "5", "2", "6"},  // 10M: the link stays up
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.action);
        if (s.action.rfind("link", 0) == 0 || s.action.rfind("admin", 0) == 0)
            control(s.action);
        else
            ASSERT_EQ(set(s.action).find("Reason"), std::string::npos);
        const std::string p = std::to_string(s.port);
        out = get(kStpPort + ".3." + p + " " + kStpPort + ".10." + p + " " + kStp + ".4.0");
        EXPECT_EQ(ValueOf(out, kStpPort + ".3." + p), "INTEGER: " + s.state) << out;
        EXPECT_EQ(ValueOf(out, kStpPort + ".10." + p), "Counter32: " + s.transitions) << out;
        EXPECT_EQ(ValueOf(out, kStp + ".4.0"), "Counter32: " + s.topChanges) << out;
    }
    out = get(kStpPort + ".5.2 " + kStpPort + ".4.2 " + kStpVendor + ".2.1.4.2");
    EXPECT_EQ(ValueOf(out, kStpPort + ".5.2"), "INTEGER: 2000000") << out;
    EXPECT_EQ(ValueOf(out, kStpPort + ".4.2"), "INTEGER: 1") << out;

    // Saved, changed, rebooted: the saved bridge settings come back, the counters start again.
    ASSERT_EQ(set(kSave + " i 1").find("Reason"), std::string::npos);
    ASSERT_EQ(set(kStp + ".2.0 i 8192 " + kStpPort + ".2.3 i 32").find("Reason"), std::string::npos);
    ASSERT_EQ(set(kReboot + " i 1").find("Reason"), std::string::npos);
    for (int i = 0; i < 20 && ValueOf(out, kStp + ".2.0") != "INTEGER: 4096"; ++i) {
        std::this_thread::sleep_for(200ms);
        out = Snmp("snmpget", V2(), sim.port(), kStp + ".2.0 " + kStp + ".4.0 " + kStp + ".5.0 " + kStpPort + ".2.3 " +
                   kStpPort + ".10.3 " + kStp + ".12.0", "0.5", 0);
    }
    EXPECT_EQ(ValueOf(out, kStp + ".2.0"), "INTEGER: 4096") << out;
    EXPECT_EQ(ValueOf(out, kStp + ".5.0"), "Hex-STRING: 10 00 02 54 51 01 00 00 ") << out;
    EXPECT_EQ(ValueOf(out, kStpPort + ".2.3"), "INTEGER: 16") << out;
    EXPECT_EQ(ValueOf(out, kStp + ".12.0"), "INTEGER: 4000") << out;
    EXPECT_EQ(ValueOf(out, kStp + ".4.0"), "Counter32: 0") << out;
    EXPECT_EQ(ValueOf(out, kStpPort + ".10.3"), "Counter32: 0") << out;
}

namespace {

const std::string kAdmin = "1.3.6.1.4.1.32473.10.76.10.25";

// The name index of a text: its length, then its bytes as unsigned numbers.
std::string NameIndex(const std::string& name)
{
    std::string s = std::to_string(name.size());
    for (unsigned char c : name)
        s += "." + std::to_string(c);
    return s;
}

std::string Cell(int table, int column, const std::string& index)
{
    return kAdmin + "." + std::to_string(table) + ".1.1." + std::to_string(column) + "." + index;
}

// snmpset of a row's cells in one request; the output.
std::string SetRow(std::uint16_t port, const std::string& args) { return Snmp("snmpset", V2("private"), port, args); }

bool Answers(std::uint16_t port, const std::string& auth)
{
    return Snmp("snmpget", auth, port, kSysDescr, "1", 0).find("TQX-8800") != std::string::npos;
}

} // namespace

// What the agent tables hold is what the agent enforces: communities, SNMPv3 users, groups and views
// made and destroyed through their row status, and the rows a switch refuses.
TEST(SimAgent, AgentTablesAreWhatTheAgentEnforces)
{
    SimAgent sim("TQX-8800", {"--user", "pages:authPriv:SHA:pagespassword:DES:pagesprivacy"});
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    const auto port = sim.port();
    // Factory rows: public and private for v1 and v2c, the command line's user, passwords unreadable.
    EXPECT_TRUE(Answers(port, V1("public")));
    EXPECT_TRUE(Answers(port, V2("private")));
    EXPECT_TRUE(Answers(port, "-v3 -u pages -l authPriv -a SHA -A pagespassword -x DES -X pagesprivacy"));
    EXPECT_EQ(ValueOf(Snmp("snmpget", V2(), port, Cell(2, 5, NameIndex("pages") + ".3")), Cell(2, 5, NameIndex("pages") + ".3")),
              "\"\"");

    // A community for the read-only user public: it reads with v1 and v2c, cannot write, and is gone
    // when its row is destroyed.
    const std::string guest = NameIndex("guest");
    EXPECT_NE(SetRow(port, Cell(5, 3, guest) + " i 5").find("INTEGER: 5"), std::string::npos);
    EXPECT_NE(SetRow(port, Cell(5, 2, guest) + " s public " + Cell(5, 3, guest) + " i 1").find("INTEGER: 1"), std::string::npos);
    EXPECT_TRUE(Answers(port, V1("guest")));
    EXPECT_TRUE(Answers(port, V2("guest")));
    EXPECT_NE(Snmp("snmpset", V2("guest"), port, kSysLocation + " s x").find("noAccess"), std::string::npos);
    SetRow(port, Cell(5, 3, guest) + " i 6");
    EXPECT_FALSE(Answers(port, V2("guest")));

    // SNMPv3 users made in the table, with their group at the user's level.
    struct User {
        std::string name, auth, authPassword, priv, privPassword, level, args;
    };
    const std::vector<User> users = {
        {"md5des", "2", "md5secret", "2", "dessecret", "3", "-l authPriv -a MD5 -A md5secret -x DES -X dessecret"},
        {"shaonly", "3", "shasecret", "1", "", "2", "-l authNoPriv -a SHA -A shasecret"},
        {"plain", "1", "", "1", "", "1", "-l noAuthNoPriv"},
        // A name beyond ASCII: its UTF-8 bytes are the index.
        {"b\xc3\xa4r", "2", "baersecret", "1", "", "2", "-l authNoPriv -a MD5 -A baersecret"},
    };
    for (const auto& u : users) {
        SCOPED_TRACE(u.name);
        const std::string user = NameIndex(u.name) + ".3";
        const std::string group = NameIndex("g" + u.name) + ".3." + u.level;
        SetRow(port, Cell(3, 7, group) + " i 5");
        SetRow(port, Cell(3, 3, group) + " i " + u.level + " " + Cell(3, 4, group) + " s all " + Cell(3, 7, group) + " i 1");
        SetRow(port, Cell(2, 8, user) + " i 5");
        std::string cells = Cell(2, 3, user) + " s g" + u.name + " " + Cell(2, 4, user) + " i " + u.auth + " " +
                            Cell(2, 6, user) + " i " + u.priv;
        if (!u.authPassword.empty())
            cells += " " + Cell(2, 5, user) + " s " + u.authPassword;
        if (!u.privPassword.empty())
            cells += " " + Cell(2, 7, user) + " s " + u.privPassword;
        SetRow(port, cells);
        EXPECT_NE(SetRow(port, Cell(2, 8, user) + " i 1").find("INTEGER: 1"), std::string::npos);
        EXPECT_TRUE(Answers(port, "-v3 -u '" + u.name + "' " + u.args));
    }
    EXPECT_FALSE(Answers(port, "-v3 -u md5des -l authPriv -a MD5 -A wrongsecret -x DES -X dessecret"));
    // Destroying the user takes the keys away.
    SetRow(port, Cell(2, 8, NameIndex("shaonly") + ".3") + " i 6");
    EXPECT_FALSE(Answers(port, "-v3 -u shaonly -l authNoPriv -a SHA -A shasecret"));

    // A view's subtree and mask limit what a community sees: the system group of every interface
    // column entry 1 (mask 1.1.1.1.1.1.1.1.1.0: the column arc is any).
    const std::string sys = NameIndex("sys") + ".7.1.3.6.1.2.1.1";
    const std::string ifs = NameIndex("sys") + ".11.1.3.6.1.2.1.2.2.1.1.1";
    SetRow(port, Cell(4, 5, sys) + " i 4");
    SetRow(port, Cell(4, 5, ifs) + " i 5");
    SetRow(port, Cell(4, 3, ifs) + " x 0101010101010101010001 " + Cell(4, 5, ifs) + " i 1");
    const std::string viewer = NameIndex("viewer");
    SetRow(port, Cell(3, 7, viewer + ".2.1") + " i 5");
    SetRow(port, Cell(3, 4, viewer + ".2.1") + " s sys " + Cell(3, 7, viewer + ".2.1") + " i 1");
    SetRow(port, Cell(2, 8, viewer + ".2") + " i 5");
    SetRow(port, Cell(2, 3, viewer + ".2") + " s viewer " + Cell(2, 8, viewer + ".2") + " i 1");
    SetRow(port, Cell(5, 3, viewer) + " i 5");
    SetRow(port, Cell(5, 2, viewer) + " s viewer " + Cell(5, 3, viewer) + " i 1");
    const auto seen = Rows(Snmp("snmpwalk", V2("viewer"), port, "1.3.6.1.2.1"), "1.3.6.1.2.1");
    for (const auto& [oid, value] : seen)
        EXPECT_TRUE(oid.rfind("1.", 0) == 0 || std::regex_match(oid, std::regex("2\\.2\\.1\\.[0-9]+\\.1"))) << oid;
    EXPECT_EQ(seen.count("1.5.0"), 1u);
    EXPECT_EQ(seen.count("2.2.1.8.1"), 1u);   // ifOperStatus.1: the column arc is any
    EXPECT_EQ(seen.count("2.2.1.8.2"), 0u);   // port 2 is not in the view
    EXPECT_FALSE(Answers(port, V1("viewer")));  // the user is a v2c user only

    // Rows a switch refuses.
    struct Refusal {
        std::string args, reason;
    };
    const std::vector<Refusal> refusals = {
        {Cell(2, 8, "0.2") + " i 5", "noCreation"},                             // an empty name
        {Cell(2, 8, NameIndex("x") + ".4") + " i 5", "noCreation"},             // version 4
        {Cell(3, 7, NameIndex("x") + ".2.3") + " i 5", "noCreation"},           // v2c at authPriv
        {Cell(4, 5, NameIndex("x") + ".2.1") + " i 5", "noCreation"},           // arc count and arcs differ
        {Cell(6, 4, "127.0.0.1") + " i 5", "noCreation"},                       // a loopback trap host
        {Cell(6, 4, "224.0.0.1") + " i 5", "noCreation"},                       // a group address
        {Cell(5, 3, NameIndex("x")) + " i 1", "inconsistentValue"},             // activating a missing row
        {Cell(5, 3, NameIndex("x")) + " i 4", "inconsistentValue"},             // createAndGo without a user
        {Cell(2, 8, NameIndex("v1user") + ".1") + " i 4 " + Cell(2, 3, NameIndex("v1user") + ".1") + " s public " +
             Cell(2, 4, NameIndex("v1user") + ".1") + " i 2", "inconsistentValue"},   // keys for a v1 user
        {Cell(2, 8, NameIndex("short") + ".3") + " i 4 " + Cell(2, 3, NameIndex("short") + ".3") + " s g " +
             Cell(2, 4, NameIndex("short") + ".3") + " i 2 " + Cell(2, 5, NameIndex("short") + ".3") + " s 1234567",
         "inconsistentValue"},                                                  // a password of 7 characters
        {Cell(4, 5, NameIndex("m") + ".2.1.3") + " i 4 " + Cell(4, 3, NameIndex("m") + ".2.1.3") + " x 0102", "wrongValue"},
        {Cell(4, 5, NameIndex("m") + ".2.1.3") + " i 4 " + Cell(4, 3, NameIndex("m") + ".2.1.3") + " x 010101",
         "inconsistentValue"},                                                  // more mask bytes than arcs
        {Cell(3, 7, NameIndex("lv") + ".3.2") + " i 4 " + Cell(3, 3, NameIndex("lv") + ".3.2") + " i 3",
         "inconsistentValue"},                                                  // a level other than the index's
        {kAdmin + ".7.0 x 01020304", "wrongLength"},                            // an engine ID of 4 octets
        {kAdmin + ".1.0 i 3", "wrongValue"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.args);
        EXPECT_TRUE(Refused(SetRow(port, r.args), r.reason)) << SetRow(port, r.args);
    }
    // The eleventh community is refused.
    const std::string walk = Snmp("snmpwalk", V2(), port, kAdmin + ".5.1.1.3");
    int communities = CountLines(walk, "." + kAdmin + ".5.1.1.3.");
    for (int i = communities; i < 10; ++i)
        EXPECT_NE(SetRow(port, Cell(5, 3, NameIndex("c" + std::to_string(i))) + " i 5").find("INTEGER: 5"), std::string::npos);
    EXPECT_TRUE(Refused(SetRow(port, Cell(5, 3, NameIndex("c10")) + " i 5"), "resourceUnavailable"));
}

// The host table and the trap switches decide where and which notifications go: link changes from the
// control channel and the cold start after a reboot, received by net-snmp's snmptrapd.
TEST(SimAgent, TrapHostsReceiveWhatTheSwitchesAllow)
{
    const std::string host = tqxtest::LocalHostAddress();
    if (host.empty())
        GTEST_SKIP() << "this machine has no address but the loopback one";
    tqxtest::TrapReceiver trapd(host);
    ASSERT_TRUE(trapd.ok()) << trapd.process().output();
    const std::string sock = (std::filesystem::temp_directory_path() / ("tqx-trap-" + std::to_string(::getpid()) + ".sock")).string();
    SimAgent sim("TQX-8800", {"--control", sock, "--trap-port", std::to_string(trapd.port()), "--reboot-time", "300"});
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    const auto port = sim.port();
    const std::string row = Cell(6, 4, host);
    EXPECT_NE(SetRow(port, row + " i 5").find("INTEGER: 5"), std::string::npos);
    SetRow(port, Cell(6, 2, host) + " s public " + Cell(6, 3, host) + " i 2 " + row + " i 1");
    const std::string linkDown = ".1.3.6.1.6.3.1.1.4.1.0 = OID: .1.3.6.1.6.3.1.1.5.3";
    const std::string linkUp = ".1.3.6.1.6.3.1.1.4.1.0 = OID: .1.3.6.1.6.3.1.1.5.4";
    ASSERT_TRUE(SimControl(sock, "link 1 down", nullptr));
    EXPECT_TRUE(trapd.process().waitForOutput(linkDown, 5s)) << trapd.process().output();
    EXPECT_NE(trapd.process().output().find(".1.3.6.1.2.1.2.2.1.1.1 = INTEGER: 1"), std::string::npos);
    // Twisted-pair link traps off: the next link-down is not sent, the link-up after switching on is.
    EXPECT_NE(SetRow(port, kAdmin + ".8.4.0 i 2").find("INTEGER: 2"), std::string::npos);
    trapd.process().clearOutput();
    ASSERT_TRUE(SimControl(sock, "link 2 down", nullptr));
    SetRow(port, kAdmin + ".8.4.0 i 1");
    ASSERT_TRUE(SimControl(sock, "link 2 up", nullptr));
    EXPECT_TRUE(trapd.process().waitForOutput(linkUp, 5s)) << trapd.process().output();
    EXPECT_EQ(trapd.process().output().find(linkDown), std::string::npos) << trapd.process().output();

    // Global state disabled: the agent answers nothing and sends nothing until the console turns it on.
    SetRow(port, kAdmin + ".1.0 i 2");
    EXPECT_FALSE(Answers(port, V2("public")));
    trapd.process().clearOutput();
    ASSERT_TRUE(SimControl(sock, "link 1 up", nullptr));
    ASSERT_TRUE(SimControl(sock, "snmp on", nullptr));
    EXPECT_TRUE(Answers(port, V2("public")));
    ASSERT_TRUE(SimControl(sock, "link 1 down", nullptr));
    EXPECT_TRUE(trapd.process().waitForOutput(linkDown, 5s)) << trapd.process().output();
    EXPECT_EQ(trapd.process().output().find(linkUp), std::string::npos) << trapd.process().output();

    // A saved host gets the cold start after a reboot; an SNMPv1 host gets SNMPv1 traps.
    SetRow(port, Cell(6, 3, host) + " i 1");
    SetRow(port, kSave + " i 1");
    trapd.process().clearOutput();
    SetRow(port, kReboot + " i 1");
    EXPECT_TRUE(trapd.process().waitForOutput("Cold Start Trap (0)", 10s)) << trapd.process().output();
    // Destroyed, the host gets nothing more; made again (SNMPv2c), it gets the next one.
    SetRow(port, row + " i 6");
    trapd.process().clearOutput();
    ASSERT_TRUE(SimControl(sock, "link 1 up", nullptr));
    SetRow(port, Cell(6, 4, host) + " i 5");
    SetRow(port, Cell(6, 2, host) + " s public " + row + " i 1");
    ASSERT_TRUE(SimControl(sock, "link 1 down", nullptr));
    EXPECT_TRUE(trapd.process().waitForOutput(linkDown, 5s)) << trapd.process().output();
    EXPECT_EQ(trapd.process().output().find("Link Up Trap"), std::string::npos) << trapd.process().output();
}

// The engine ID written is the one the agent runs with after the next reboot (it is kept without a
// save): SNMPv3 requests naming the new ID fail before and succeed after.
TEST(SimAgent, EngineIdTakesEffectAfterReboot)
{
    SimAgent sim("TQX-8800", {"--user", "pages:authNoPriv:MD5:pagespassword", "--reboot-time", "300"});
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    const std::string v3 = "-v3 -u pages -l authNoPriv -a MD5 -A pagespassword";
    const std::string factory = ValueOf(Snmp("snmpget", V2(), sim.port(), kAdmin + ".7.0"), kAdmin + ".7.0");
    EXPECT_EQ(factory, "Hex-STRING: 80 00 7E D9 03 02 54 51 01 00 00 ");
    EXPECT_TRUE(Answers(sim.port(), v3 + " -e 0x80007ed903025451010000"));
    EXPECT_NE(Snmp("snmpset", V2("private"), sim.port(), kAdmin + ".7.0 x 8000081c044653").find("80 00 08 1C 04 46 53"),
              std::string::npos);
    EXPECT_FALSE(Answers(sim.port(), v3 + " -e 0x8000081c044653"));
    EXPECT_TRUE(Answers(sim.port(), v3));
    Snmp("snmpset", V2("private"), sim.port(), kReboot + " i 1");
    bool back = false;
    for (int i = 0; i < 30 && !back; ++i)
        back = Answers(sim.port(), v3 + " -e 0x8000081c044653");
    EXPECT_TRUE(back);
    EXPECT_FALSE(Answers(sim.port(), v3 + " -e 0x80007ed903025451010000"));
}

// An SNMPv3 trap host gets notifications as its user (snmptrapd knows the user under the switch's
// engine ID); a request with an unknown community is an authentication failure, announced while
// that trap switch is on.
TEST(SimAgent, SnmpV3TrapHostAndAuthenticationFailures)
{
    const std::string host = tqxtest::LocalHostAddress();
    if (host.empty())
        GTEST_SKIP() << "this machine has no address but the loopback one";
    tqxtest::TrapReceiver trapd(host, {"createUser -e 0x80007ed903025451010000 md5u MD5 md5password"});
    ASSERT_TRUE(trapd.ok()) << trapd.process().output();
    const std::string sock = (std::filesystem::temp_directory_path() / ("tqx-trap3-" + std::to_string(::getpid()) + ".sock")).string();
    SimAgent sim("TQX-8800", {"--control", sock, "--trap-port", std::to_string(trapd.port()), "--user",
                              "md5u:authNoPriv:MD5:md5password"});
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    const auto port = sim.port();
    const std::string row = Cell(6, 4, host);
    SetRow(port, row + " i 5");
    EXPECT_NE(SetRow(port, Cell(6, 2, host) + " s md5u " + Cell(6, 3, host) + " i 4 " + row + " i 1").find("INTEGER: 1"),
              std::string::npos);
    ASSERT_TRUE(SimControl(sock, "link 1 down", nullptr));
    EXPECT_TRUE(trapd.process().waitForOutput(".1.3.6.1.6.3.1.1.4.1.0 = OID: .1.3.6.1.6.3.1.1.5.3", 5s))
        << trapd.process().output();
    const std::string authFailure = ".1.3.6.1.6.3.1.1.4.1.0 = OID: .1.3.6.1.6.3.1.1.5.5";
    EXPECT_FALSE(Answers(port, V2("nosuchcommunity")));
    EXPECT_TRUE(trapd.process().waitForOutput(authFailure, 5s)) << trapd.process().output();
    SetRow(port, kAdmin + ".8.1.0 i 2");
    trapd.process().clearOutput();
    EXPECT_FALSE(Answers(port, V2("nosuchcommunity")));
    ASSERT_TRUE(SimControl(sock, "link 1 up", nullptr));
    EXPECT_TRUE(trapd.process().waitForOutput(".1.3.6.1.6.3.1.1.5.4", 5s)) << trapd.process().output();
    EXPECT_EQ(trapd.process().output().find(authFailure), std::string::npos) << trapd.process().output();
}

// The surveillance VLAN settings name an existing VLAN apart from the voice VLAN and outside asymmetric
// mode; the OUI table holds the vendor's row, which stays, and at most five more, each a unicast
// address with a prefix mask.
TEST(SimAgent, SurveillanceVlanAndOuiTable)
{
    SimAgent sim("TQX-8800");
    ASSERT_TRUE(sim.ok());
    const std::string rw = V2("private");
    const std::string v = "1.3.6.1.4.1.32473.10.76.10.";
    const std::string state = v + "26.1.1.0", vid = v + "26.1.2.0", priority = v + "26.1.3.0";
    const std::string oui = v + "26.2.1.1";
    const std::string vendor = ".10.94.49.0.0.0";
    const auto set = [&](const std::string& args) { return Snmp("snmpset", rw, sim.port(), args); };

    std::string walk = Snmp("snmpwalk", V2(), sim.port(), oui);
    EXPECT_EQ(Rows(walk, oui).size(), 5u) << walk;
    EXPECT_EQ(ValueOf(walk, oui + ".1" + vendor), "Hex-STRING: 0A 5E 31 00 00 00 ");
    EXPECT_EQ(ValueOf(walk, oui + ".3" + vendor), "Hex-STRING: FF FF FF 00 00 00 ");
    EXPECT_EQ(ValueOf(walk, oui + ".4" + vendor), "INTEGER: 5");
    EXPECT_EQ(ValueOf(walk, oui + ".5" + vendor), "INTEGER: 1");

    // VLAN 20 exists, the voice VLAN is 30 and enabled.
    ASSERT_NE(set(v + "7.6.1.5.20 i 4").find("INTEGER: 4"), std::string::npos);
    ASSERT_NE(set(v + "7.6.1.5.30 i 4").find("INTEGER: 4"), std::string::npos);
    ASSERT_NE(set(v + "21.1.3.0 i 30 " + v + "21.1.2.0 i 1").find("INTEGER: 1"), std::string::npos);
    struct Case {
        std::string args;
        std::string reason;
    };
    for (const Case& c : {
             Case{vid + " i 21", "inconsistentValue"},                    // no such VLAN
             Case{vid + " i 4095", "wrongValue"},
             Case{vid + " i 30 " + state + " i 1", "inconsistentValue"},  // the voice VLAN
             Case{priority + " i 4", "wrongValue"},
             Case{state + " i 3", "wrongValue"},
             Case{oui + ".5" + vendor + " i 6", "inconsistentValue"},     // the vendor's row stays
             Case{oui + ".2" + vendor + " s mine", "notWritable"},
             Case{oui + ".5.1.0.0.0.0.0 i 4", "noCreation"},              // multicast address
             Case{oui + ".5.0.0.0.0.0.0 i 4", "noCreation"},
             Case{oui + ".5.0.28.240.0.0 i 4", "noCreation"},             // five arcs
             Case{oui + ".5.0.28.240.300.0.0 i 4", "noCreation"},
             Case{oui + ".5.0.28.240.0.0.0 i 4 " + oui + ".3.0.28.240.0.0.0 x FF00FF000000", "wrongValue"},
             Case{oui + ".5.0.28.240.0.0.0 i 4 " + oui + ".4.0.28.240.0.0.0 i 5", "wrongValue"},
             Case{oui + ".5.0.28.240.0.0.0 i 4 " + oui + ".2.0.28.240.0.0.0 s " + std::string(33, 'd'), "wrongLength"},
         }) {
        SCOPED_TRACE(c.args);
        const std::string out = set(c.args);
        EXPECT_NE(out.find(c.reason), std::string::npos) << out;
    }
    EXPECT_EQ(Rows(Snmp("snmpwalk", V2(), sim.port(), oui), oui).size(), 5u);

    // Enabled on VLAN 20 at priority 1; then asymmetric mode is refused while it is on.
    EXPECT_NE(set(vid + " i 20 " + priority + " i 1 " + state + " i 1").find("INTEGER: 1"), std::string::npos);
    const std::string globals = Snmp("snmpget", V2(), sim.port(), state + " " + vid + " " + priority);
    EXPECT_EQ(ValueOf(globals, state), "INTEGER: 1");
    EXPECT_EQ(ValueOf(globals, vid), "INTEGER: 20");
    EXPECT_EQ(ValueOf(globals, priority), "INTEGER: 1");
    EXPECT_NE(set(v + "7.5.0 i 1").find("inconsistentValue"), std::string::npos);
    // Its VLAN stays while it is enabled.
    EXPECT_NE(set(v + "7.6.1.5.20 i 6").find("inconsistentValue"), std::string::npos);
    EXPECT_NE(set(v + "7.6.1.5.20 i 2").find("inconsistentValue"), std::string::npos);

    // Five user rows: an OUI gets the OUI mask, a device address a full one; a sixth is refused.
    const std::vector<std::string> rows = {".0.28.240.0.0.0", ".0.28.240.18.52.86", ".2.0.0.0.0.1", ".2.0.0.0.0.2",
                                           ".2.0.0.0.0.3"};
    for (const std::string& row : rows)
        ASSERT_NE(set(oui + ".5" + row + " i 4 " + oui + ".2" + row + " s cam " + oui + ".4" + row + " i 2")
                      .find("INTEGER: 2"),
                  std::string::npos)
            << row;
    EXPECT_NE(set(oui + ".5.2.0.0.0.0.4 i 4").find("resourceUnavailable"), std::string::npos);
    walk = Snmp("snmpwalk", V2(), sim.port(), oui);
    EXPECT_EQ(Rows(walk, oui).size(), 30u) << walk;
    EXPECT_EQ(ValueOf(walk, oui + ".3.0.28.240.0.0.0"), "Hex-STRING: FF FF FF 00 00 00 ");
    EXPECT_EQ(ValueOf(walk, oui + ".3.0.28.240.18.52.86"), "Hex-STRING: FF FF FF FF FF FF ");
    EXPECT_EQ(ValueOf(walk, oui + ".1.0.28.240.18.52.86"), "Hex-STRING: 00 1C F0 12 34 56 ");
    EXPECT_EQ(ValueOf(walk, oui + ".2.0.28.240.18.52.86"), "STRING: \"cam\"");
    // A destroyed row makes room again.
    EXPECT_NE(set(oui + ".5" + rows[1] + " i 6").find("INTEGER: 6"), std::string::npos);
    EXPECT_NE(set(oui + ".5.2.0.0.0.0.4 i 4").find("INTEGER: 4"), std::string::npos);
    walk = Snmp("snmpwalk", V2(), sim.port(), oui);
    EXPECT_EQ(ValueOf(walk, oui + ".5" + rows[1]), "");
    EXPECT_EQ(ValueOf(walk, oui + ".5.2.0.0.0.0.4"), "INTEGER: 1");
}
