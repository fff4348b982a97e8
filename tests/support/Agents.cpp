#include "Agents.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <fstream>
#include <random>

extern char** environ;

namespace tqxtest {

std::uint16_t FreeUdpPort()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    std::uint16_t port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        socklen_t len = sizeof addr;
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            port = ntohs(addr.sin_port);
    }
    if (fd >= 0)
        ::close(fd);
    return port;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tqxtest-XXXXXX").string();
    if (char* made = ::mkdtemp(pattern.data()))
        m_path = made;
}

TempDir::~TempDir()
{
    std::error_code ec;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ec);
}

ChildProcess::~ChildProcess()
{
    stop();
}

bool ChildProcess::start(const std::vector<std::string>& argv, const std::vector<std::string>& env)
{
    if (argv.empty() || m_pid > 0)
        return false;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e)
        envStrings.emplace_back(*e);
    envStrings.insert(envStrings.end(), env.begin(), env.end());
    std::vector<char*> cargv, cenv;
    for (const auto& a : argv)
        cargv.push_back(const_cast<char*>(a.c_str()));
    cargv.push_back(nullptr);
    for (const auto& e : envStrings)
        cenv.push_back(const_cast<char*>(e.c_str()));
    cenv.push_back(nullptr);

    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, cargv.data(), cenv.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        return false;
    }
    m_pid = pid;
    {
        std::lock_guard lock(m_mutex);
        m_output.clear();
        m_eof = false;
    }
    m_reader = std::thread(&ChildProcess::readLoop, this, fds[0]);
    return true;
}

void ChildProcess::readLoop(int fd)
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        std::lock_guard lock(m_mutex);
        m_output.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    std::lock_guard lock(m_mutex);
    m_eof = true;
}

bool ChildProcess::waitForOutput(const std::string& text, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_output.find(text) != std::string::npos)
                return true;
            if (m_eof)
                return false;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string ChildProcess::output() const
{
    std::lock_guard lock(m_mutex);
    return m_output;
}

void ChildProcess::clearOutput()
{
    std::lock_guard lock(m_mutex);
    m_output.clear();
}

bool ChildProcess::running() const
{
    if (m_pid <= 0)
        return false;
    // WNOWAIT leaves the child waitable, so stop() still collects its status.
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return false;
    return info.si_pid == 0;
}

int ChildProcess::stop(std::chrono::milliseconds grace)
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + grace;
        int status = 0;
        pid_t done = 0;
        while ((done = ::waitpid(m_pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (done == 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            m_exitStatus = -1;
        } else {
            m_exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        m_pid = -1;
    }
    if (m_reader.joinable())
        m_reader.join();
    return m_exitStatus;
}

std::string BuiltProgram(const std::string& relative)
{
    return std::string(TQX_BINARY_DIR) + "/" + relative;
}

SimAgent::SimAgent(const std::string& model, const std::vector<std::string>& extraArgs)
{
    for (int attempt = 0; attempt < 5 && !m_ok; ++attempt) {
        m_process.stop();
        m_port = FreeUdpPort();
        std::vector<std::string> argv = {BuiltProgram("sim/tqx-sim"), "--listen", "udp:127.0.0.1:" + std::to_string(m_port)};
        if (!model.empty())
            argv.insert(argv.end(), {"--model", model});
        argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
        m_ok = m_process.start(argv) && m_process.waitForOutput("listening on", std::chrono::seconds(15));
    }
}

SnmpdAgent::SnmpdAgent(const std::vector<SnmpdUser>& users, const std::vector<std::string>& extraConfig)
{
    const auto conf = m_dir.path() / "snmpd.conf";
    for (int attempt = 0; attempt < 5 && !m_ok; ++attempt) {
        m_process.stop();
        m_port = FreeUdpPort();
        {
            std::ofstream out(conf);
            out << "agentaddress udp:127.0.0.1:" << m_port << "\n"
                << "rocommunity public 127.0.0.1\n"
                << "rwcommunity private 127.0.0.1\n"
                << "sysLocation test bench\n"
                << "sysContact tests\n";
            for (const auto& u : users) {
                out << "createUser " << u.name;
                if (!u.authProtocol.empty())
                    out << " " << u.authProtocol << " \"" << u.authPassword << "\"";
                if (!u.privProtocol.empty())
                    out << " " << u.privProtocol << " \"" << u.privPassword << "\"";
                out << "\n" << (u.readWrite ? "rwuser " : "rouser ") << u.name << " " << u.level << "\n";
            }
            for (const auto& line : extraConfig)
                out << line << "\n";
        }
        // -C: only our file; -f: foreground; -Lo: log to stdout; -I: no mib modules that need root.
        std::vector<std::string> argv = {"/usr/sbin/snmpd", "-f", "-Lo", "-C", "-c", conf.string(),
                                         "-M", "/nonexistent", "-m", "",
                                         "-I", "-smux,mteTrigger,mteTriggerConf,ipCidrRouteTable,hrSWRun"};
        const std::vector<std::string> env = {"SNMP_PERSISTENT_DIR=" + (m_dir.path() / "persist").string(),
                                              "MIBS=", "MIBDIRS=/nonexistent"};
        m_ok = m_process.start(argv, env) && m_process.waitForOutput("NET-SNMP version", std::chrono::seconds(15));
    }
}

TftpServer::TftpServer()
{
    const passwd* user = ::getpwuid(::geteuid());
    if (m_dir.path().empty() || !user)
        return;
    for (int attempt = 0; attempt < 5 && !m_ok; ++attempt) {
        m_process.stop();
        m_port = FreeUdpPort();
        if (!m_process.start({"/usr/sbin/in.tftpd", "--foreground", "--listen", "--address",
                              "127.0.0.1:" + std::to_string(m_port), "--secure", "--create", "--user", user->pw_name,
                              m_dir.path().string()}))
            continue;
        // Ready when a request for a file that is not there is answered (with an error packet).
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(m_port);
        const std::string probe = std::string("\0\1", 2) + "no-such-file" + std::string("\0octet\0", 7);
        for (int i = 0; i < 50 && !m_ok && m_process.running(); ++i) {
            ::sendto(fd, probe.data(), probe.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) == 1) {
                char buf[600];
                const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
                m_ok = n >= 4 && buf[0] == 0 && buf[1] == 5;
            }
        }
        ::close(fd);
    }
}

UdpReceiver::UdpReceiver()
{
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_port = ntohs(addr.sin_port);
}

UdpReceiver::~UdpReceiver()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool UdpReceiver::receive(std::string* datagram, std::chrono::milliseconds timeout)
{
    pollfd p{m_fd, POLLIN, 0};
    if (m_fd < 0 || ::poll(&p, 1, static_cast<int>(timeout.count())) != 1)
        return false;
    char buf[2048];
    const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
    if (n < 0)
        return false;
    datagram->assign(buf, static_cast<size_t>(n));
    return true;
}

TrapReceiver::TrapReceiver(const std::string& address, const std::vector<std::string>& extraConfig)
{
    const auto conf = m_dir.path() / "snmptrapd.conf";
    {
        std::ofstream out(conf);
        out << "disableAuthorization yes\n";
        for (const auto& line : extraConfig)
            out << line << "\n";
    }
    for (int attempt = 0; attempt < 5 && !m_ok; ++attempt) {
        m_process.stop();
        m_port = FreeUdpPort();
        // -f foreground, -Lo log to stdout, -C only our file, -On numeric OIDs, no MIB files.
        const std::vector<std::string> argv = {"/usr/sbin/snmptrapd", "-f", "-Lo", "-C", "-c", conf.string(), "-On",
                                               "-M", "/nonexistent", "-m", "",
                                               "udp:" + address + ":" + std::to_string(m_port)};
        const std::vector<std::string> env = {"SNMP_PERSISTENT_DIR=" + (m_dir.path() / "persist").string(), "MIBS=",
                                              "MIBDIRS=/nonexistent"};
        m_ok = m_process.start(argv, env) && m_process.waitForOutput("NET-SNMP version", std::chrono::seconds(15));
    }
}

std::string LocalHostAddress()
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return {};
    std::string found;
    for (ifaddrs* a = list; a && found.empty(); a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET)
            continue;
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
        const std::uint32_t host = ntohl(in->sin_addr.s_addr);
        if ((host >> 24) == 127)
            continue;
        char text[INET_ADDRSTRLEN] = {};
        if (::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text))
            found = text;
    }
    ::freeifaddrs(list);
    return found;
}

} // namespace tqxtest
