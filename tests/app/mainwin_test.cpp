// The main window: menu and its trimming by device name, the page-opening rule, command requests on
// the instance socket, the tools with their questions, requests and messages, the About box.
#include "mainwin_support.h"

#include "app/InstanceGuard.h"
#include "app/Tools.h"
#include "MessageRecorder.h"
#include "panel/Launcher.h"
#include "sim/SimControl.h"

#include <QAction>
#include <QLabel>
#include <QLocalSocket>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

using namespace mainwintest;

namespace {

struct Launches {
    std::vector<std::string> telnet, browse;
    bool browseResult = true;
    Launches()
    {
        CLauncher::SetTelnetHandler([this](const QString& a) { telnet.push_back(a.toStdString()); return true; });
        CLauncher::SetBrowseHandler([this](const QString& a) { browse.push_back(a.toStdString()); return browseResult; });
    }
    ~Launches()
    {
        CLauncher::SetTelnetHandler({});
        CLauncher::SetBrowseHandler({});
    }
};

std::string WriteIni(const tqxtest::TempDir& dir, const std::string& name, const std::string& body)
{
    const auto path = dir.path() / name;
    std::ofstream(path) << body;
    return path.string();
}

// The sim's SET requests in its request log.
int CountSets(const std::string& log, const std::string& oid)
{
    int n = 0;
    for (std::size_t pos = 0; (pos = log.find("pdu=SET", pos)) != std::string::npos; ++pos) {
        const std::size_t end = log.find('\n', pos);
        if (log.substr(pos, end - pos).find(oid) != std::string::npos)
            ++n;
    }
    return n;
}

TEST(MainWindow, MenuIsTrimmedByDeviceName)
{
    App();
    KitFolder kit("TQX-8800");
    const int kPoe[] = {CModuleDlg::ID_POE_PORT_CONFIG, CModuleDlg::ID_TIME_BASED_POE, CModuleDlg::ID_LLDP_GLOBAL,
                        CModuleDlg::ID_LLDP_REMOTE, CModuleDlg::ID_LLDP_MED};
    const struct {
        const char* name;
        bool jumbo;
        bool poe;
    } cases[] = {
        {"TQX-8800", true, false},
        {"TQX-8810P", true, true},
        {"tqx-8810p", true, true},
        {"TQF-8828P", false, true},
        {"TQF-8828", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tqxtest::TempDir dir;  // a settings file of its own for every case
        UseAgent(tqxtest::FreeUdpPort());  // nobody answers: the poller's reads just time out
        const std::string ini = WriteIni(dir, "User.ini",
            std::string("[DeviceInfo]\nDeviceName=") + c.name + "\nDevicePortNum=24\nXMLName=TQX8800.xml\n");
        CModuleDlg dlg(QString::fromStdString(ini));
        dlg.OnInitDialog();
        EXPECT_EQ(dlg.FindCommand(CModuleDlg::ID_JUMBO_FRAME) != nullptr, c.jumbo);
        for (int id : kPoe)
            EXPECT_EQ(dlg.FindCommand(id) != nullptr, c.poe) << id;
        bool bLldpMenu = false;
        for (QMenu* pMenu : dlg.MenuBar()->findChildren<QMenu*>())
            bLldpMenu |= pMenu->title() == QLatin1String("LLDP");
        EXPECT_EQ(bLldpMenu, c.poe);
        // Everything else stays; the About item carries the device name.
        for (int id : {CModuleDlg::ID_PORT_CONFIG, CModuleDlg::ID_SNMP_HOST, CModuleDlg::ID_VLAN, CModuleDlg::ID_8021D,
                       CModuleDlg::ID_TELNET, CModuleDlg::ID_WEB, CModuleDlg::ID_REBOOT, CModuleDlg::ID_SAVE_CONFIG})
            EXPECT_NE(dlg.FindCommand(id), nullptr) << id;
        ASSERT_NE(dlg.FindCommand(CModuleDlg::ID_APP_ABOUT), nullptr);
        EXPECT_EQ(dlg.FindCommand(CModuleDlg::ID_APP_ABOUT)->text().toStdString(), std::string("About ") + c.name + "...");
        EXPECT_EQ(dlg.windowTitle().toStdString(), std::string(c.name) + ": 127.0.0.1");
        EXPECT_TRUE(dlg.IsPolling());
    }
}

TEST(MainWindow, DegradedWindowKeepsTheFullMenuAndDoesNotPoll)
{
    App();
    tqxtest::TempDir dir;
    UseAgent(tqxtest::FreeUdpPort());
    tqxtest::CMessageRecorder messages;
    CModuleDlg dlg(QString::fromStdString(WriteIni(dir, "User.ini", "[DeviceInfo]\nDeviceName=TQF-8828\n")));
    dlg.OnInitDialog();
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Read User.ini Error !"});
    EXPECT_FALSE(dlg.IsPolling());
    EXPECT_NE(dlg.FindCommand(CModuleDlg::ID_JUMBO_FRAME), nullptr);
    EXPECT_NE(dlg.FindCommand(CModuleDlg::ID_LLDP_MED), nullptr);
}

// A page that notes what the main window looked like while it ran, then closes itself.
struct PageProbe {
    int opened = 0;
    bool mainVisible = true;
    bool pageOpen = false;
    CModuleDlg::PageFactory Factory(CModuleDlg* pDlg)
    {
        return [this, pDlg](QWidget* pParent) {
            auto page = std::make_unique<QDialog>(pParent);
            QDialog* p = page.get();
            QTimer::singleShot(50, p, [this, p, pDlg] {
                ++opened;
                mainVisible = pDlg->isVisible();
                pageOpen = pDlg->IsPageOpen();
                p->accept();
            });
            return page;
        };
    }
};

TEST(MainWindow, PagesHideTheWindowExceptTheSnmpHostTable)
{
    App();
    UseAgent(tqxtest::FreeUdpPort());
    CModuleDlg dlg{QString()};  // no settings: no poller, nothing sent
    dlg.show();
    PageProbe probe;
    const struct {
        int command;
        bool hidden;
    } cases[] = {{CModuleDlg::ID_SYSTEM_INFO, true}, {CModuleDlg::ID_SNMP_HOST, false}, {CModuleDlg::ID_DEVICE_CONFIGURE, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        CModuleDlg::RegisterPage(c.command, probe.Factory(&dlg));
        const int before = probe.opened;
        EXPECT_TRUE(dlg.OnCommand(c.command));
        EXPECT_EQ(probe.opened, before + 1);
        EXPECT_EQ(probe.mainVisible, !c.hidden);
        EXPECT_EQ(probe.pageOpen, c.hidden);
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_FALSE(dlg.isMinimized());
        EXPECT_FALSE(dlg.IsPageOpen());
        CModuleDlg::RegisterPage(c.command, {});
    }
    // A page that is not built opens nothing and leaves the window as it is.
    const std::vector<int> missing = CModuleDlg::PagesNotBuilt();
    ASSERT_FALSE(missing.empty());
    EXPECT_TRUE(dlg.OnCommand(missing.front()));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.OnCommand(12345));
}

TEST(MainWindow, RunningWindowOutlivesItsHiddenPhase)
{
    // Hiding the window for a page must not end the window's own run.
    App();
    UseAgent(tqxtest::FreeUdpPort());
    CModuleDlg dlg{QString()};
    PageProbe probe;
    CModuleDlg::RegisterPage(CModuleDlg::ID_IP_TABLE, probe.Factory(&dlg));
    bool bVisibleAfterPage = false;
    QTimer::singleShot(200, &dlg, [&] {
        dlg.OnCommand(CModuleDlg::ID_IP_TABLE);
        bVisibleAfterPage = dlg.isVisible();
        dlg.close();
    });
    TraceRecorder trace;
    dlg.DoModal();
    CModuleDlg::RegisterPage(CModuleDlg::ID_IP_TABLE, {});
    EXPECT_EQ(probe.opened, 1);
    EXPECT_FALSE(probe.mainVisible);
    EXPECT_TRUE(bVisibleAfterPage);
    const auto lines = trace.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "==================m_cCommonSNMPPoeStat.Close==============="), lines.end());
}

TEST(MainWindow, CommandRequestsOnTheInstanceSocket)
{
    App();
    tqxtest::TempDir dir;
    UseAgent(tqxtest::FreeUdpPort());
    KitFolder kit("TQX-8800");
    CModuleDlg dlg(QString::fromStdString(WriteIni(dir, "User.ini",
        "[DeviceInfo]\nDeviceName=TQF-8828\nDevicePortNum=24\nXMLName=TQX8800.xml\n")));
    dlg.OnInitDialog();
    dlg.show();
    CInstanceGuard guard(QStringLiteral("Module:mainwin-test"), QString::fromStdString(dir.path().string()));
    ASSERT_EQ(guard.claim(), CInstanceGuard::Claim::Primary);
    QObject::connect(&guard, &CInstanceGuard::commandRequested, &dlg, &CModuleDlg::OnCommandRequest);

    PageProbe probe;
    for (int id : {CModuleDlg::ID_SURVEILLANCE_OUI, CModuleDlg::ID_VLAN, CModuleDlg::ID_JUMBO_FRAME})
        CModuleDlg::RegisterPage(id, probe.Factory(&dlg));
    TraceRecorder trace;
    const auto traced = [&](const std::string& text) {
        const auto lines = trace.lines();
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    };
    // Sends one line and runs the window until what the line must cause has happened.
    const auto send = [&](const QByteArray& line, const std::function<bool()>& done) {
        QLocalSocket socket;
        socket.connectToServer(guard.socketPath());
        ASSERT_TRUE(socket.waitForConnected(3000));
        socket.write(line);
        socket.flush();
        EXPECT_TRUE(WaitFor(done, 5000)) << line.toStdString();
    };
    send("command 32831\n", [&] { return probe.opened == 1; });  // only reachable this way
    EXPECT_TRUE(probe.pageOpen);
    send("command 32834\n", [&] { return probe.opened == 2; });  // a menu command
    // Trimmed away for this device, and no command at all: refused, nothing opens.
    send("command 32817\n", [&] { return traced("command request 32817 is not a command of this window"); });
    send("command 99999\n", [&] { return traced("command request 99999 is not a command of this window"); });
    EXPECT_EQ(probe.opened, 2);
    EXPECT_TRUE(dlg.isVisible());
    for (int id : {CModuleDlg::ID_SURVEILLANCE_OUI, CModuleDlg::ID_VLAN, CModuleDlg::ID_JUMBO_FRAME})
        CModuleDlg::RegisterPage(id, {});
}

TEST(MainWindow, ToolsAskFirstAndCancelSendsNothing)
{
    App();
    const std::string control = (std::filesystem::temp_directory_path() / ("mainwin-tools-" + std::to_string(::getpid()))).string();
    tqxtest::SimAgent sim("TQX-8800", {"--log-requests", "--control", control});
    ASSERT_TRUE(sim.ok());
    UseAgent(sim.port());
    CModuleDlg dlg{QString()};  // no poller: every request in the log comes from a tool
    Launches launches;
    tqxtest::CMessageRecorder messages;
    const std::string kSave = "1.3.6.1.4.1.32473.10.76.10.1.10.0";
    const std::string kReboot = "1.3.6.1.4.1.32473.10.76.10.1.9.0";
    {
        messages.answer = false;
        dlg.OnTelnet();
        dlg.OnWeb();
        dlg.OnReboot();
        dlg.OnSaveConfig();
        EXPECT_EQ(messages.asked, (std::vector<std::string>{"Do you want to TELNET this device?",
                                                          "Do you want to access this device with browser?",
                                                          "Do you want to reboot the device?",
                                                          "Do you want to save the configuration?"}));
    }
    // The one save and the one reboot below each find a single SET in the log: these cancels sent none.
    EXPECT_TRUE(launches.telnet.empty());
    EXPECT_TRUE(launches.browse.empty());
    EXPECT_TRUE(messages.texts.empty());

    messages.answer = true;
    dlg.OnTelnet();
    EXPECT_EQ(launches.telnet, std::vector<std::string>{"127.0.0.1"});
    dlg.OnWeb();
    launches.browseResult = false;
    dlg.OnWeb();
    EXPECT_EQ(launches.browse, (std::vector<std::string>{"127.0.0.1", "127.0.0.1"}));
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Failed to get IE path !"});
    messages.texts.clear();

    dlg.OnSaveConfig();
    EXPECT_EQ(messages.texts, std::vector<std::string>{"success"});
    ASSERT_TRUE(sim.process().waitForOutput(kSave, std::chrono::seconds(3)));
    EXPECT_EQ(CountSets(sim.process().output(), kSave), 1);

    // A device that drops every request: the save fails after its 4000 ms and says so.
    ASSERT_TRUE(SimControl(control, "drop 1", nullptr));
    messages.texts.clear();
    dlg.OnSaveConfig();
    EXPECT_EQ(messages.texts, std::vector<std::string>{"failed"});
    ASSERT_TRUE(SimControl(control, "drop 0", nullptr));

    // Reboot: one SET, no message either way.
    messages.texts.clear();
    dlg.OnReboot();
    ASSERT_TRUE(sim.process().waitForOutput(kReboot, std::chrono::seconds(3)));
    EXPECT_EQ(CountSets(sim.process().output(), kReboot), 1);
    EXPECT_TRUE(messages.texts.empty());
}

TEST(MainWindow, SaveAndRebootOverV3AndARefusedSave)
{
    App();
    tqxtest::SimAgent sim("TQX-8800", {"--log-requests", tqxtest::kPagesUser.SimArgs()[0], tqxtest::kPagesUser.SimArgs()[1]});
    ASSERT_TRUE(sim.ok());
    const std::string kSave = "1.3.6.1.4.1.32473.10.76.10.1.10.0";
    const std::string kReboot = "1.3.6.1.4.1.32473.10.76.10.1.9.0";
    tqxtest::CMessageRecorder messages;
    messages.answer = true;
    {
        // The read community as the write community: the agent answers the SET with a refusal.
        UseAgent(sim.port());
        g_strSetCommunity = QStringLiteral("public");
        CModuleDlg dlg{QString()};
        QElapsedTimer timer;
        timer.start();
        dlg.OnSaveConfig();
        EXPECT_EQ(messages.texts, std::vector<std::string>{"failed"});
        EXPECT_LT(timer.elapsed(), 3000);  // refused at once, not the 4000 ms of a silent device
        ASSERT_TRUE(sim.process().waitForOutput(kSave, std::chrono::seconds(3)));
        EXPECT_EQ(CountSets(sim.process().output(), kSave), 1);
    }
    {
        // A standard agent without the switch's objects refuses the write (notWritable) with the
        // write community: also "failed", at once.
        tqxtest::SnmpdAgent snmpd;
        ASSERT_TRUE(snmpd.ok()) << snmpd.process().output();
        messages.texts.clear();
        UseAgent(snmpd.port());
        CModuleDlg dlg{QString()};
        QElapsedTimer timer;
        timer.start();
        dlg.OnSaveConfig();
        EXPECT_EQ(messages.texts, std::vector<std::string>{"failed"});
        EXPECT_LT(timer.elapsed(), 3000);
    }
    sim.process().clearOutput();
    messages.texts.clear();
    {
        UseAgent(sim.port(), true);
        CModuleDlg dlg{QString()};
        dlg.OnSaveConfig();
        EXPECT_EQ(messages.texts, std::vector<std::string>{"success"});
        ASSERT_TRUE(sim.process().waitForOutput(kSave, std::chrono::seconds(3)));
        EXPECT_EQ(CountSets(sim.process().output(), kSave), 1);
        messages.texts.clear();
        dlg.OnReboot();
        ASSERT_TRUE(sim.process().waitForOutput(kReboot, std::chrono::seconds(3)));
        EXPECT_EQ(CountSets(sim.process().output(), kReboot), 1);
        EXPECT_TRUE(messages.texts.empty());
        EXPECT_EQ(sim.process().output().find("version=1"), std::string::npos) << sim.process().output();
        EXPECT_NE(sim.process().output().find("version=3 community=- user=pages level=authPriv pdu=SET"), std::string::npos);
    }
}

TEST(MainWindow, AboutBoxTexts)
{
    App();
    CAboutDlg about(QStringLiteral("TQX-8810P"));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("TQX-8810P Module"));
    EXPECT_TRUE(about.windowFlags() & Qt::WindowStaysOnTopHint);
    auto* pDevice = about.findChild<QLabel*>(QStringLiteral("1049"));
    ASSERT_NE(pDevice, nullptr);
    EXPECT_EQ(pDevice->text(), QStringLiteral("TQX-8810P Management Module"));
    QStringList texts;
    for (QLabel* pLabel : about.findChildren<QLabel*>())
        texts << pLabel->text();
    for (const char* text : {"Firmware Version         ", ": 2.00.xxx", "Quillon Module Version   ", ": 2.0.0.11", "Hardware: A1"})
        EXPECT_TRUE(texts.contains(QString::fromLatin1(text))) << text;
}

} // namespace
