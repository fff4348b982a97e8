// tqx-sim's transfers over real TFTP (Debian's tftpd-hpa on the loopback) and its syslog messages,
// driven by net-snmp's command-line tools.
#include "Agents.h"
#include "SimTools.h"
#include "sim/Maintenance.h"
#include "sim/SimControl.h"
#include "sim/Tftp.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using tqxtest::SimAgent;
using tqxtest::TftpServer;
using simtest::RunShell;

namespace {

const std::string M = "1.3.6.1.4.1.32473.10.76.10.3";
const std::string S = "1.3.6.1.4.1.32473.10.76.10.16.1";
const std::string kSysDescr = "1.3.6.1.2.1.1.1.0";
const std::string kSysName = "1.3.6.1.2.1.1.5.0";

std::string Set(std::uint16_t port, const std::string& args)
{
    return RunShell("MIBS= /usr/bin/snmpset -On -Le -r 2 -t 2 -v2c -c private 127.0.0.1:" + std::to_string(port) + " " + args);
}

// The value text of one object ("" when the read failed).
std::string Get(std::uint16_t port, const std::string& oid)
{
    const std::string out =
        RunShell("MIBS= /usr/bin/snmpget -On -Oqv -Le -r 5 -t 1 -v2c -c public 127.0.0.1:" + std::to_string(port) + " " + oid);
    if (out.find("Timeout") != std::string::npos || out.find("No Such") != std::string::npos)
        return "";
    std::string line = out.substr(0, out.find('\n'));
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
        line = line.substr(1, line.size() - 2);
    return line;
}

// Reads state until it is 0 or 2 (at most limit); every state seen, in order, without repeats.
std::string WaitForEnd(std::uint16_t port, const std::string& stateOid, std::chrono::seconds limit = 30s)
{
    std::string seen;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string v = Get(port, stateOid);
        if (!v.empty() && (seen.empty() || seen.back() != v.back()))
            seen += v;
        if (v == "0" || v == "2")
            break;
        std::this_thread::sleep_for(50ms);
    }
    return seen;
}

// Whether the states seen match pattern; a short transfer may pass its state 3 between two reads.
::testing::AssertionResult Seen(const std::string& seen, const std::string& pattern)
{
    if (std::regex_match(seen, std::regex(pattern)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "states seen: \"" << seen << "\", wanted " << pattern;
}

std::string ReadFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::filesystem::path& p, const std::string& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> TftpArgs(const TftpServer& tftp)
{
    return {"--tftp-port", std::to_string(tftp.port())};
}

} // namespace

// The client against the real server: sizes around the block size (a multiple of 512 ends with an
// empty block), both directions, and a file the server does not have.
TEST(SimTftp, ClientAgainstTftpdHpa)
{
    TftpServer tftp;
    ASSERT_TRUE(tftp.ok()) << tftp.process().output();
    tqxsim::TftpOptions o;
    o.serverAddress = 0x7f000001;
    o.serverPort = tftp.port();
    for (const size_t size : {size_t(0), size_t(1), size_t(511), size_t(512), size_t(1024), size_t(70000)}) {
        SCOPED_TRACE(size);
        std::string data(size, '\0');
        for (size_t i = 0; i < size; ++i)
            data[i] = static_cast<char>(i * 7 + i / 512);
        const std::string name = "f" + std::to_string(size);
        const auto put = tqxsim::TftpPut(o, name, data);
        ASSERT_TRUE(put.ok) << put.error;
        EXPECT_EQ(ReadFile(tftp.folder() / name), data);
        std::string back;
        const auto get = tqxsim::TftpGet(o, name, &back);
        ASSERT_TRUE(get.ok) << get.error;
        EXPECT_EQ(back, data);
    }
    std::string none;
    const auto missing = tqxsim::TftpGet(o, "not-there", &none);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("not found"), std::string::npos) << missing.error;
    // A limit below the file's size ends the fetch.
    o.maxBytes = 600;
    EXPECT_FALSE(tqxsim::TftpGet(o, "f1024", &none).ok);
}

TEST(SimTransfer, ConfigurationBackupAndRestore)
{
    TftpServer tftp;
    ASSERT_TRUE(tftp.ok()) << tftp.process().output();
    SimAgent sim("TQX-8800", TftpArgs(tftp));
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    Set(sim.port(), kSysName + " s core-1");
    Set(sim.port(), M + ".5.0 a 127.0.0.1 " + M + ".6.0 s saved.cfg");
    Set(sim.port(), M + ".7.0 i 2");
    EXPECT_TRUE(Seen(WaitForEnd(sim.port(), M + ".8.0"), "3?0"));
    const std::string file = ReadFile(tftp.folder() / "saved.cfg");
    EXPECT_EQ(file.rfind("tqx-config 1\nmodel TQX-8800\n", 0), 0u) << file.substr(0, 200);
    EXPECT_NE(file.find("\n" + kSysName + "|4|core-1\n"), std::string::npos);
    EXPECT_NE(file.find("\n" + S + ".2.0|2|514\n"), std::string::npos);
    EXPECT_EQ(file.find(M + ".8.0"), std::string::npos) << "the state is not a setting";

    // Files that are not this switch's configuration fail and change nothing.
    const size_t cut = file.size() / 2;
    std::string otherModel = file;
    otherModel.replace(otherModel.find("TQX-8800"), 8, "TQX-8816");
    struct Bad {
        const char* name;
        std::string bytes;
    };
    for (const Bad& bad : {Bad{"truncated", file.substr(0, cut)}, Bad{"garbage", std::string(3000, '\x5a')},
                           Bad{"other model", otherModel}, Bad{"empty", ""}}) {
        SCOPED_TRACE(bad.name);
        WriteFile(tftp.folder() / "bad.cfg", bad.bytes);
        Set(sim.port(), kSysName + " s changed");
        Set(sim.port(), M + ".6.0 s bad.cfg " + M + ".7.0 i 1");
        EXPECT_TRUE(Seen(WaitForEnd(sim.port(), M + ".8.0"), "3?2"));
        EXPECT_EQ(Get(sim.port(), kSysName), "changed");
    }
    // The switch's own file brings the setting back, after it was written (state 4).
    Set(sim.port(), M + ".6.0 s saved.cfg " + M + ".7.0 i 1");
    EXPECT_TRUE(Seen(WaitForEnd(sim.port(), M + ".8.0"), "3?40"));
    EXPECT_EQ(Get(sim.port(), kSysName), "core-1");
}

TEST(SimTransfer, FirmwareUpgradeAndBackup)
{
    TftpServer tftp;
    ASSERT_TRUE(tftp.ok()) << tftp.process().output();
    const std::string program = tqxtest::BuiltProgram("sim/tqx-sim");
    auto write = [&](const std::string& name, const std::string& args) {
        return RunShell(program + " " + args + " --write-firmware " + (tftp.folder() / name).string());
    };
    EXPECT_EQ(write("good.bin", "--version 2.1.0"), "");
    EXPECT_EQ(write("other.bin", "--model TQX-8816 --version 2.1.0"), "");
    const std::string good = ReadFile(tftp.folder() / "good.bin");
    ASSERT_GT(good.size(), tqxsim::kFirmwareHeaderSize);
    std::string flipped = good;
    flipped[flipped.size() / 2] ^= 1;
    WriteFile(tftp.folder() / "flipped.bin", flipped);
    WriteFile(tftp.folder() / "short.bin", good.substr(0, good.size() - 100));
    EXPECT_NE(write("x.bin", "--version ''"), "") << "an empty version is refused";

    SimAgent sim("TQX-8800", TftpArgs(tftp));
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    const std::string description = Get(sim.port(), kSysDescr);
    Set(sim.port(), M + ".1.0 a 127.0.0.1");
    for (const char* bad : {"other.bin", "flipped.bin", "short.bin", "missing.bin"}) {
        SCOPED_TRACE(bad);
        Set(sim.port(), M + ".2.0 s " + bad + " " + M + ".3.0 i 1");
        EXPECT_TRUE(Seen(WaitForEnd(sim.port(), M + ".4.0"), "3?2"));
        EXPECT_EQ(Get(sim.port(), kSysDescr), description);
    }
    Set(sim.port(), kSysName + " s unsaved");
    Set(sim.port(), M + ".2.0 s good.bin " + M + ".3.0 i 1");
    EXPECT_TRUE(Seen(WaitForEnd(sim.port(), M + ".4.0"), "3?40"));
    // Then the switch restarts on the new firmware: unsaved settings are gone.
    std::string now;
    for (int i = 0; i < 100 && now.find("2.1.0") == std::string::npos; ++i) {
        now = Get(sim.port(), kSysDescr);
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(now, description + ", firmware 2.1.0");
    EXPECT_EQ(Get(sim.port(), kSysName), "TQX-8800");

    // A backup is an image of the running firmware (the server's address was not saved either).
    Set(sim.port(), M + ".1.0 a 127.0.0.1 " + M + ".2.0 s backup.bin " + M + ".3.0 i 2");
    EXPECT_TRUE(Seen(WaitForEnd(sim.port(), M + ".4.0"), "3?0"));
    std::string version, why;
    EXPECT_TRUE(tqxsim::CheckFirmwareImage(ReadFile(tftp.folder() / "backup.bin"), "TQX-8800", &version, &why)) << why;
    EXPECT_EQ(version, "2.1.0");
}

// What the switch refuses of the transfer and syslog objects; a server that does not answer keeps
// the transfer in state 3 (a second one is refused meanwhile) until the switch gives up (after five
// sends here), or reports 4 once the server has been silent for 20 s.
TEST(SimTransfer, RefusalsAndAnAbsentServer)
{
    SimAgent sim("TQX-8800", {"--tftp-port", std::to_string(tqxtest::FreeUdpPort()), "--tftp-tries", "5"});
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    struct Case {
        std::string args;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {M + ".3.0 i 1", "inconsistentValue"},   // no server or file yet
        {M + ".4.0 i 0", "notWritable"},
        {M + ".8.0 i 0", "notWritable"},
        {M + ".3.0 i 3", "wrongValue"},
        {M + ".2.0 s " + std::string(65, 'f'), "wrongLength"},
        {M + ".1.0 a 224.0.0.1", "wrongValue"},
        {M + ".6.0 i 1", "wrongType"},
        {S + ".2.0 i 0", "wrongValue"},
        {S + ".2.0 i 65536", "wrongValue"},
        {S + ".4.0 i 5", "wrongValue"},
        {S + ".5.0 i 130", "wrongValue"},
        {S + ".5.0 i 192", "wrongValue"},
        {S + ".6.0 i 3", "wrongValue"},
        {S + ".1.0 a 255.255.255.255", "wrongValue"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const std::string out = Set(sim.port(), c.args);
        EXPECT_NE(out.find("Reason: " + c.reason), std::string::npos) << out;
    }
    EXPECT_EQ(Get(sim.port(), M + ".3.0"), "0");
    Set(sim.port(), M + ".5.0 a 127.0.0.1 " + M + ".6.0 s x.cfg " + M + ".7.0 i 1");
    EXPECT_EQ(Get(sim.port(), M + ".8.0"), "3");
    const std::string second = Set(sim.port(), M + ".1.0 a 127.0.0.1 " + M + ".2.0 s x.bin " + M + ".3.0 i 1");
    EXPECT_NE(second.find("Reason: resourceUnavailable"), std::string::npos) << second;
    EXPECT_TRUE(Seen(WaitForEnd(sim.port(), M + ".8.0", 60s), "32"));

    SimAgent patient("TQX-8800", {"--tftp-port", std::to_string(tqxtest::FreeUdpPort()), "--tftp-tries", "40"});
    ASSERT_TRUE(patient.ok()) << patient.process().output();
    Set(patient.port(), M + ".1.0 a 127.0.0.1 " + M + ".2.0 s x.bin " + M + ".3.0 i 1");
    std::string seen;
    for (int i = 0; i < 300 && seen.find('4') == std::string::npos; ++i) {
        const std::string v = Get(patient.port(), M + ".4.0");
        if (!v.empty() && (seen.empty() || seen.back() != v.back()))
            seen += v;
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(seen, "34");
}

TEST(SimSyslog, EventsReachTheServerWithFacilityAndSeverity)
{
    tqxtest::TempDir dir;
    const std::string sock = (dir.path() / "ctl").string();
    tqxtest::UdpReceiver server;
    ASSERT_TRUE(server.ok());
    SimAgent sim("TQX-8800", {"--control", sock});
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    std::string answer;
    // Disabled by default: nothing is sent.
    ASSERT_TRUE(SimControl(sock, "link 1 down", &answer)) << answer;
    // local5 (168), level info (6).
    Set(sim.port(), S + ".1.0 a 127.0.0.1 " + S + ".2.0 i " + std::to_string(server.port()) + " " + S + ".5.0 i 168 " +
                        S + ".4.0 i 6 " + S + ".6.0 i 1");
    struct Case {
        std::string command;  // control line, or "save"
        std::string level;    // written before the command when not empty
        int priority;         // of the message that must arrive next
        std::string text;
    };
    const std::vector<Case> cases = {
        {"link 3 down", "", 168 + 4, "Port 3 link down"},
        {"link 3 up", "", 168 + 5, "Port 3 link up"},
        {"save", "", 168 + 6, "Configuration saved"},
        // At level warning the link-up (notice) and the save (info) stay home; the link-down arrives.
        {"link 3 down", "4", 168 + 4, "Port 3 link down"},
        {"link 3 up", "", 0, ""},
        {"save", "", 0, ""},
        {"link 5 down", "", 168 + 4, "Port 5 link down"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        if (!c.level.empty())
            Set(sim.port(), S + ".4.0 i " + c.level);
        if (c.command == "save")
            Set(sim.port(), "1.3.6.1.4.1.32473.10.76.10.1.10.0 i 1");
        else
            ASSERT_TRUE(SimControl(sock, c.command, &answer)) << answer;
        if (c.priority == 0)
            continue; // the next case shows that nothing came in between
        std::string message;
        ASSERT_TRUE(server.receive(&message, 5000ms));
        const std::regex form("<(\\d+)>[A-Z][a-z]{2} [ 1-3]\\d \\d\\d:\\d\\d:\\d\\d TQX-8800 switch: (.*)");
        std::smatch m;
        ASSERT_TRUE(std::regex_match(message, m, form)) << message;
        EXPECT_EQ(std::stoi(m[1].str()), c.priority) << message;
        EXPECT_EQ(m[2].str(), c.text);
    }
}
