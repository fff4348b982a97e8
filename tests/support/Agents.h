// Test agents: tqx-sim and net-snmp's snmpd started as child processes on a free loopback port.
// Both capture the agent's output so a test can see what reached the agent.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tqxtest {

// A UDP port on 127.0.0.1 that was free a moment ago.
std::uint16_t FreeUdpPort();

// A temporary folder removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// A child process whose standard output and error are collected in the background.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] (a path) with the given arguments; extra "NAME=VALUE" entries join the environment.
    bool start(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});
    // Waits until the collected output contains text; false after the time-out or when the child ended.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds timeout) const;
    std::string output() const;
    // Forgets the output collected so far (so a later waitForOutput sees only new lines).
    void clearOutput();
    bool running() const;
    // SIGTERM, then SIGKILL after the grace time; returns the exit status (-1 when killed or not started).
    int stop(std::chrono::milliseconds grace = std::chrono::milliseconds(3000));
    int pid() const { return m_pid; }

private:
    void readLoop(int fd);

    int m_pid = -1;
    int m_exitStatus = -1;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::string m_output;
    bool m_eof = false;
};

// tqx-sim for one model on 127.0.0.1:port() (no model: the data files of extraArgs alone). Extra
// arguments go on its command line.
class SimAgent {
public:
    explicit SimAgent(const std::string& model = "TQX-8800", const std::vector<std::string>& extraArgs = {});
    bool ok() const { return m_ok; }
    std::uint16_t port() const { return m_port; }
    std::string address() const { return "127.0.0.1"; }
    ChildProcess& process() { return m_process; }

private:
    std::uint16_t m_port = 0;
    bool m_ok = false;
    ChildProcess m_process;
};

struct SnmpdUser {
    std::string name;
    std::string authProtocol;  // "" (none), "MD5" or "SHA"
    std::string authPassword;
    std::string privProtocol;  // "" (none), "DES" or "AES"
    std::string privPassword;
    std::string level;         // "noauth", "auth" or "priv": the least level snmpd accepts for the user
    bool readWrite = true;
};

// net-snmp's snmpd with communities public (read) and private (read-write) and the given v3 users,
// configured in a temporary folder; extraConfig lines are appended to its snmpd.conf.
class SnmpdAgent {
public:
    explicit SnmpdAgent(const std::vector<SnmpdUser>& users = {}, const std::vector<std::string>& extraConfig = {});
    bool ok() const { return m_ok; }
    std::uint16_t port() const { return m_port; }
    std::string address() const { return "127.0.0.1"; }
    ChildProcess& process() { return m_process; }

private:
    TempDir m_dir;
    std::uint16_t m_port = 0;
    bool m_ok = false;
    ChildProcess m_process;
};

// Debian's tftpd-hpa (in.tftpd) in the foreground on 127.0.0.1:port(), serving and taking files in
// folder() (chrooted to it, new files allowed). Ready once it answers a request.
class TftpServer {
public:
    TftpServer();
    bool ok() const { return m_ok; }
    std::uint16_t port() const { return m_port; }
    const std::filesystem::path& folder() const { return m_dir.path(); }
    ChildProcess& process() { return m_process; }

private:
    TempDir m_dir;
    std::uint16_t m_port = 0;
    bool m_ok = false;
    ChildProcess m_process;
};

// net-snmp's snmptrapd on address:port (address one of this machine's own), logging every notification
// it receives on its standard output, one line each with numeric OIDs. SNMPv1 and SNMPv2c
// notifications of any community are taken; extraConfig adds lines to its snmptrapd.conf (e.g. the
// createUser line of an SNMPv3 sender).
class TrapReceiver {
public:
    explicit TrapReceiver(const std::string& address, const std::vector<std::string>& extraConfig = {});
    bool ok() const { return m_ok; }
    std::uint16_t port() const { return m_port; }
    ChildProcess& process() { return m_process; }

private:
    TempDir m_dir;
    std::uint16_t m_port = 0;
    bool m_ok = false;
    ChildProcess m_process;
};

// A UDP socket on 127.0.0.1:port() that collects what is sent to it (a syslog server, say).
class UdpReceiver {
public:
    UdpReceiver();
    ~UdpReceiver();
    UdpReceiver(const UdpReceiver&) = delete;
    UdpReceiver& operator=(const UdpReceiver&) = delete;
    bool ok() const { return m_fd >= 0; }
    std::uint16_t port() const { return m_port; }
    // The next datagram, or false after the time-out.
    bool receive(std::string* datagram, std::chrono::milliseconds timeout);

private:
    int m_fd = -1;
    std::uint16_t m_port = 0;
};

// An IPv4 address of this machine other than a loopback one (trap hosts must be real hosts), or ""
// when it has none.
std::string LocalHostAddress();

// Path of a program built by this project (relative to the build folder), e.g. "sim/tqx-sim".
std::string BuiltProgram(const std::string& relative);

} // namespace tqxtest
