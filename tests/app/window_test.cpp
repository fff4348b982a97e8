// What the main window does while the switch is slow or gone, and when a tool cannot start: the
// event loop keeps running through Save and Reboot, Telnet says what is missing, the title says
// when the device stops answering and when it is back.
#include "mainwin_support.h"

#include "MessageRecorder.h"
#include "sim/SimControl.h"

#include <QCursor>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

using namespace mainwintest;

namespace {

std::string ControlPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / (std::string(name) + "-" + std::to_string(::getpid()))).string();
}

TEST(Window, SaveAndRebootKeepTheEventLoopRunningWhileTheSwitchIsSilent)
{
    App();
    const std::string control = ControlPath("window-silent");
    tqxtest::SimAgent sim("TQX-8800", {"--control", control});
    ASSERT_TRUE(sim.ok());
    UseAgent(sim.port());
    ASSERT_TRUE(SimControl(control, "drop 1", nullptr));
    CModuleDlg dlg{QString()};
    dlg.show();
    tqxtest::CMessageRecorder messages(true);

    const struct {
        const char* what;
        void (CModuleDlg::*tool)();
        std::vector<std::string> texts;
    } cases[] = {
        {"save", &CModuleDlg::OnSaveConfig, {"failed"}},
        {"reboot", &CModuleDlg::OnReboot, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        // A timer of the window's event loop, and what it sees while the tool waits for the switch.
        int ticks = 0, busyTicks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            ++ticks;
            const QCursor* pCursor = QApplication::overrideCursor();
            if (pCursor && pCursor->shape() == Qt::WaitCursor && !dlg.isEnabled())
                ++busyTicks;
        });
        timer.start(100);
        (dlg.*c.tool)();
        timer.stop();
        EXPECT_GE(ticks, 10) << "the event loop stood still";  // the request waits 3 s or more
        EXPECT_EQ(busyTicks, ticks);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(dlg.isEnabled());
        EXPECT_EQ(messages.texts, c.texts);
    }
}

TEST(Window, TelnetWithoutAClientOrTerminalSaysWhatToInstall)
{
    App();
    UseAgent(tqxtest::FreeUdpPort());
    CModuleDlg dlg{QString()};
    tqxtest::CMessageRecorder messages(true);
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    const QByteArray path = qgetenv("PATH");
    const QByteArray terminal = qgetenv("TERMINAL");
    qputenv("PATH", empty.path().toUtf8());
    qunsetenv("TERMINAL");
    dlg.OnTelnet();
    qputenv("PATH", path);
    if (!terminal.isEmpty())
        qputenv("TERMINAL", terminal);
    EXPECT_EQ(messages.asked, std::vector<std::string>{"Do you want to TELNET this device?"});
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.texts[0].find("sudo apt install telnet"), std::string::npos) << messages.texts[0];
}

TEST(Window, TitleSaysWhileTheSwitchDoesNotRespond)
{
    const std::string control = ControlPath("window-title");
    tqxtest::SimAgent sim("TQX-8800", {"--control", control});
    ASSERT_TRUE(sim.ok());
    KitFolder kit("TQX-8800");
    App();
    UseAgent(sim.port());
    CModuleDlg dlg(KitDir("TQX-8800") + QStringLiteral("/User.ini"));
    dlg.OnInitDialog();
    dlg.show();
    const QString normal = QStringLiteral("TQX-8800: 127.0.0.1");
    ASSERT_TRUE(WaitFor([&] { return dlg.PollCount() > 0; }, 30000));
    EXPECT_EQ(dlg.windowTitle(), normal);

    TraceRecorder trace;
    ASSERT_TRUE(SimControl(control, "drop 1", nullptr));
    ASSERT_TRUE(WaitFor([&] { return !dlg.IsDeviceAnswering(); }, 30000));
    EXPECT_EQ(dlg.windowTitle(), normal + QStringLiteral(" (not responding)"));
    ASSERT_TRUE(SimControl(control, "drop 0", nullptr));
    ASSERT_TRUE(WaitFor([&] { return dlg.IsDeviceAnswering(); }, 30000));
    EXPECT_EQ(dlg.windowTitle(), normal);
    const auto lines = trace.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "device is not responding"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "device answers again"), lines.end());
    dlg.DestroyWindow();
}

} // namespace
