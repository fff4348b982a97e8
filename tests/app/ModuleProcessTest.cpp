// Real starts of the built TqxModule on the offscreen platform, each in its own folder with a User.ini.
#include "app/InstanceGuard.h"

#include "Agents.h"

#include <QImage>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct ModuleProcess : ::testing::Test {
    tqxtest::TempDir dir;
    fs::path program = dir.path() / "TqxModule";
    fs::path runtime = dir.path() / "run";

    void SetUp() override
    {
        std::error_code ec;
        fs::create_hard_link(TQX_MODULE_PROGRAM, program, ec);
        if (ec)
            fs::copy_file(TQX_MODULE_PROGRAM, program, ec);
        ASSERT_FALSE(ec) << ec.message();
        std::ofstream(dir.path() / "User.ini") << "[DeviceInfo]\nDeviceName=TQX-8800\nDevicePortNum=24\nXMLName=TQX8800.xml\n";
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
        // Children inherit these; each test has its own runtime folder for locks and sockets.
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::unsetenv("TQX_SNAPSHOT");
    }

    bool Start(tqxtest::ChildProcess& p, const std::string& ip)
    {
        return p.start({program.string(), "/M1", "/I" + ip, "/Rpublic", "/Wprivate", "/Atrue", "/V1", "/P161"});
    }

    // Starts a module that must become the one serving its device.
    void StartServing(tqxtest::ChildProcess& p, const std::string& ip)
    {
        ASSERT_TRUE(Start(p, ip));
        ASSERT_TRUE(p.waitForOutput("instance listening on", 30s)) << p.output();
    }

    // Whether the child still runs; it is not reaped, so stop() still collects its exit status.
    static bool Running(const tqxtest::ChildProcess& p)
    {
        if (p.pid() <= 0)
            return false;
        siginfo_t info{};
        return ::waitid(P_PID, static_cast<id_t>(p.pid()), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
    }

    // Waits (bounded) for the process to end by itself; returns its exit status, or -2 if it did not end.
    static int WaitForExit(tqxtest::ChildProcess& p, std::chrono::milliseconds bound)
    {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        while (Running(p) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        return Running(p) ? -2 : p.stop();
    }

    std::string SocketPath(const std::string& ip) const
    {
        return (runtime / CInstanceGuard::SocketName(CInstanceGuard::InstanceName("TQX-8800", QString::fromStdString(ip))).toStdString())
            .string();
    }
};

TEST_F(ModuleProcess, SecondStartForSameDeviceRaisesFirstAndEnds)
{
    tqxtest::ChildProcess first, second, other;
    StartServing(first, "127.0.0.1");

    ASSERT_TRUE(Start(second, "127.0.0.1"));
    // Bound for a hang check; the second start normally ends well within a second.
    EXPECT_EQ(WaitForExit(second, 10s), 0) << second.output();
    EXPECT_EQ(second.output().find("listening"), std::string::npos) << second.output();
    EXPECT_TRUE(first.waitForOutput("activated", 10s)) << first.output();

    // Another address for the same model runs beside it.
    StartServing(other, "127.0.0.2");
    EXPECT_TRUE(Running(first));
    EXPECT_TRUE(Running(other));

    // Both end cleanly on SIGTERM and leave no lock or socket behind.
    EXPECT_EQ(first.stop(10s), 0) << first.output();
    EXPECT_EQ(other.stop(10s), 0) << other.output();
    EXPECT_TRUE(fs::is_empty(runtime));
}

TEST_F(ModuleProcess, TerminatedWhileAPageAskedForOnTheSocketIsOpen)
{
    tqxtest::ChildProcess p;
    StartServing(p, "127.0.0.1");
    // The client hangs up while the page is open (and the module has seen it go).
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = SocketPath("127.0.0.1");
    ASSERT_LT(path.size(), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, path.c_str(), path.size());
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const std::string line = "command 32805\n";
    ASSERT_EQ(::write(fd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    ASSERT_TRUE(p.waitForOutput("command 32805 opens page 80", 30s)) << p.output();
    ::close(fd);
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(Running(p));
    EXPECT_EQ(p.stop(10s), 0) << p.output();
    EXPECT_TRUE(fs::is_empty(runtime));
}

TEST_F(ModuleProcess, LeftoversOfACrashDoNotBlock)
{
    // A socket file with nobody listening on it.
    const std::string path = SocketPath("127.0.0.1");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, path.c_str(), path.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
    ASSERT_TRUE(fs::exists(path));

    tqxtest::ChildProcess crashed;
    StartServing(crashed, "127.0.0.1");
    ::kill(crashed.pid(), SIGKILL);
    crashed.stop();
    ASSERT_TRUE(fs::exists(path));
    ASSERT_TRUE(fs::exists(path + ".lock"));

    tqxtest::ChildProcess next, again;
    StartServing(next, "127.0.0.1");
    ASSERT_TRUE(Start(again, "127.0.0.1"));
    EXPECT_EQ(WaitForExit(again, 10s), 0) << again.output();
    EXPECT_TRUE(next.waitForOutput("activated", 10s)) << next.output();
    EXPECT_EQ(next.stop(10s), 0) << next.output();
}

TEST_F(ModuleProcess, SnapshotIsWrittenAndTheOffscreenWindowCloses)
{
    const fs::path png = dir.path() / "shot.png";
    ::setenv("TQX_SNAPSHOT", png.c_str(), 1);
    tqxtest::ChildProcess p;
    ASSERT_TRUE(Start(p, "10.90.90.90"));
    EXPECT_EQ(WaitForExit(p, 60s), 0) << p.output();
    ::unsetenv("TQX_SNAPSHOT");
    EXPECT_NE(p.output().find("snapshot written to " + png.string()), std::string::npos) << p.output();
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(png.string()))) << p.output();
    EXPECT_GT(image.width(), 0);
    EXPECT_GT(image.height(), 0);
}

TEST_F(ModuleProcess, EmptyCommandLineEndsWithItsMessage)
{
    tqxtest::ChildProcess p;
    ASSERT_TRUE(p.start({program.string()}));
    EXPECT_EQ(WaitForExit(p, 60s), 0) << p.output();
    EXPECT_NE(p.output().find("No parameter input !"), std::string::npos) << p.output();
}

} // namespace
