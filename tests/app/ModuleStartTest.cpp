#include "app/ModuleApp.h"
#include "app/ModuleDlg.h"
#include "core/Settings.h"

#include "Agents.h"
#include "MessageRecorder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

using Recorder = tqxtest::CMessageRecorder;

TEST(ModuleApp, EmptyCommandLineIsReportedAndEnds)
{
    Recorder messages;
    int argc = 1;
    char arg0[] = "TqxModule";
    char* argv[] = {arg0, nullptr};
    CModuleApp app(argc, argv);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(messages.texts, std::vector<std::string>{"No parameter input !"});
}

struct DlgCase {
    const char* name;
    std::string ini;
    std::vector<std::string> messages;
    std::string title;
    std::string deviceName;
    int ports;
    int extra;
};

TEST(ModuleDlg, InitialisationReadsUserIniAndTitlesTheWindow)
{
    int argc = 1;
    char arg0[] = "TqxModule";
    char* argv[] = {arg0, nullptr};
    QApplication app(argc, argv);
    tqxtest::TempDir dir;
    const std::string error = "Read User.ini Error !";
    const DlgCase cases[] = {
        {"complete", "[DeviceInfo]\nDeviceName=TQX-8800\nDevicePortNum=24\nXMLName=TQX8800.xml\nIsHasFan=Y\n", {}, "TQX-8800: 10.90.90.90",
         "TQX-8800", 24, 4},
        {"10 ports", "[DeviceInfo]\nDeviceName=TQX-8810P\nDevicePortNum=10\nXMLName=a.xml\n", {}, "TQX-8810P: 10.90.90.90",
         "TQX-8810P", 10, 2},
        {"no device name", "[DeviceInfo]\nDevicePortNum=24\nXMLName=TQX8800.xml\n", {error}, "", "", 28, 0},
        {"no panel description", "[DeviceInfo]\nDeviceName=TQX-8800\nDevicePortNum=48\n", {error}, "", "TQX-8800", 48, 4},
    };
    for (const DlgCase& c : cases) {
        ResetSettings();
        g_strDeviceIP = "10.90.90.90";
        const auto path = dir.path() / (std::string(c.name) + ".ini");
        std::ofstream(path) << c.ini;
        Recorder messages;
        CModuleDlg dlg(QString::fromStdString(path.string()));
        EXPECT_TRUE(dlg.OnInitDialog()) << c.name;
        EXPECT_EQ(messages.texts, c.messages) << c.name;
        EXPECT_EQ(dlg.windowTitle().toStdString(), c.title) << c.name;
        EXPECT_EQ(g_strDeviceName.toStdString(), c.deviceName) << c.name;
        EXPECT_EQ(g_nDevicePortNum, c.ports) << c.name;
        EXPECT_EQ(dlg.extraPortNum(), c.extra) << c.name;
    }
    EXPECT_EQ(g_bIsHasFan, 0);  // the last case stopped before the flags
}

} // namespace
