// The panel object tree: class names, the "over" rule, the port's lamp rule, the reset, clicks.
#include "core/Settings.h"
#include "panel/Launcher.h"
#include "panel/VirtualDev.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <memory>
#include <vector>

namespace {

int argc = 1;
char arg0[] = "tree_model_test";
char* argv[] = {arg0, nullptr};
QApplication& App()
{
    static QApplication app(argc, argv);
    return app;
}

template <class T>
T* Add(CVirtualDev& parent, int l = 0, int t = 0, int w = 0, int h = 0)
{
    auto p = std::make_unique<T>();
    p->SetRect(l, t, w, h);
    T* raw = p.get();
    parent.AddChild(std::move(p));
    return raw;
}

CLamp* AddLamp(CPort& port, int nType)
{
    CLamp* pLamp = Add<CLamp>(port);
    pLamp->SetType(nType);
    port.m_subject.Attach(pLamp);
    return pLamp;
}

TEST(PanelTree, ClassNamesAndDefaults)
{
    const struct {
        std::unique_ptr<CVirtualDev> object;
        const char* className;
        const char* name;
    } cases[] = {
        {std::make_unique<CVirtualDev>(), "CObject", "VirtualDev"}, {std::make_unique<CDevModule>(), "CDevModule", "VirtualDev"},
        {std::make_unique<CPanel>(), "CPanel", "VirtualDev"},       {std::make_unique<CModule>(), "CModule", "VirtualDev"},
        {std::make_unique<CSlot>(), "CSlot", "VirtualDev"},         {std::make_unique<CPort>(), "CPort", "VirtualDev"},
        {std::make_unique<CCom>(), "CCom", "VirtualDev"},           {std::make_unique<CPower>(), "CObject", "VirtualDev"},
        {std::make_unique<CLamp>(), "CLamp", "Lamp"},               {std::make_unique<CLed>(), "CLed", "Led"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(c.object->GetRuntimeClassName(), c.className);
        EXPECT_EQ(c.object->GetName(), QString::fromLatin1(c.name)) << c.className;
        EXPECT_TRUE(c.object->IsDirty()) << c.className;
        EXPECT_TRUE(c.object->GetID().isEmpty());
    }
}

TEST(PanelTree, OverMeansStrictlyInsideTheRectangleShrunkByTwo)
{
    CVirtualDev dev;
    dev.SetRect(10, 20, 30, 40);  // x 10..40, y 20..60
    const struct {
        int x, y;
        bool over;
    } cases[] = {
        {12, 30, false}, {13, 30, true},  {38, 30, false}, {37, 30, true},  // left and right edges
        {20, 22, false}, {20, 23, true},  {20, 58, false}, {20, 57, true},  // top and bottom edges
        {0, 0, false},   {25, 40, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dev.IsOver(c.x, c.y), c.over) << c.x << "," << c.y;
}

TEST(PanelTree, ScreenRectangleFollowsTheHostWindow)
{
    QApplication& app = App();
    (void)app;
    QWidget window;
    window.resize(200, 100);
    CVirtualDev dev;
    dev.SetRect(10, 20, 30, 40);
    dev.AttachWindow(&window);
    EXPECT_EQ(dev.GetScreenRect(), QRect(10, 20, 30, 40));
    // A huge rectangle from a hostile description neither overflows nor is "over" everything.
    dev.SetRect(INT_MAX, INT_MAX, INT_MAX, INT_MAX);
    EXPECT_FALSE(dev.IsOver(5, 5));
}

TEST(PanelTree, SetPortStatusSetsEachLampByItsKind)
{
    const struct {
        int port;
        int link, speed, power;
    } cases[] = {
        {PORT_LINK100, LAMP_ON, LAMP_ON, LAMP_OFF}, {PORT_LINK10, LAMP_1G, LAMP_1G, LAMP_OFF},
        {PORT_DISABLED, LAMP_OFF, LAMP_OFF, LAMP_OFF}, {PORT_EMPTY, LAMP_OFF, LAMP_OFF, LAMP_OFF},
        {7, LAMP_OFF, LAMP_OFF, LAMP_OFF},
    };
    for (const auto& c : cases) {
        CPort port;
        CLamp* pLink = AddLamp(port, LAMP_LINK);
        CLamp* pSpeed = AddLamp(port, LAMP_S100M);
        CLamp* pPower = AddLamp(port, LAMP_POWER);
        pPower->SetStatus(LAMP_ON);
        port.SetPortStatus(c.port);
        EXPECT_EQ(port.GetStatus(), c.port);
        EXPECT_EQ(pLink->GetStatus(), c.link) << c.port;
        EXPECT_EQ(pSpeed->GetStatus(), c.speed) << c.port;
        EXPECT_EQ(pPower->GetStatus(), c.power) << c.port;
    }
}

TEST(PanelTree, SetPortStatusWithTheCurrentStateChangesNothing)
{
    CPort port;
    CLamp* pLink = AddLamp(port, LAMP_LINK);
    port.SetPortStatus(PORT_LINK100);
    ASSERT_EQ(pLink->GetStatus(), LAMP_ON);
    pLink->SetStatus(LAMP_1G);
    pLink->ClearDirty();
    port.ClearDirty();
    port.SetPortStatus(PORT_LINK100);
    EXPECT_EQ(pLink->GetStatus(), LAMP_1G);
    EXPECT_FALSE(pLink->IsDirty());
    EXPECT_FALSE(port.IsDirty());
}

TEST(PanelTree, ReplacedOrOrphanedLampsAreNeverNotified)
{
    // A lamp whose parent is a panel is not subscribed to anything.
    CPanel panel;
    CLamp* pPanelLamp = Add<CLamp>(panel);
    pPanelLamp->m_pOwner = &panel;
    panel.m_subject.SetState(0);
    EXPECT_EQ(pPanelLamp->GetStatus(), LAMP_OFF);
    EXPECT_EQ(pPanelLamp->m_pSubject, nullptr);

    // A subscribed lamp replaced by another object is dropped from the port's subject (the sanitizer
    // build catches a notification of the destroyed lamp).
    CPort port;
    AddLamp(port, LAMP_LINK);
    CLamp* pSecond = AddLamp(port, LAMP_LINK);
    ASSERT_TRUE(port.SetChild(0, std::make_unique<CSlot>()));
    EXPECT_EQ(port.m_subject.GetObservers().size(), 1u);
    port.SetPortStatus(PORT_LINK100);
    EXPECT_EQ(pSecond->GetStatus(), LAMP_ON);

    // The subject going first leaves the lamp with no subject rather than a dangling one.
    CLamp lamp;
    {
        CPort shortLived;
        shortLived.m_subject.Attach(&lamp);
    }
    EXPECT_EQ(lamp.m_pSubject, nullptr);
    lamp.Update();
}

TEST(PanelTree, ChildLookups)
{
    CDevModule root;
    Add<CPanel>(root)->SetID("P");
    Add<CLamp>(root)->SetID("1");
    CPort* pFirst = Add<CPort>(root, 1, 2, 3, 4);
    pFirst->SetID("1");
    CPort* pSecond = Add<CPort>(root);
    pSecond->SetID("2");

    EXPECT_EQ(root.FindNthChild("CPort", 0), pFirst);
    EXPECT_EQ(root.FindNthChild("CPort", 1), pSecond);
    EXPECT_EQ(root.FindNthChild("CPort", 2), nullptr);
    EXPECT_EQ(root.FindNthChild("CPort", -1), nullptr);
    EXPECT_EQ(root.FindChild("CPort", "1"), pFirst);
    EXPECT_EQ(root.FindChild("CSlot", "1"), nullptr);
    EXPECT_EQ(root.GetChild(3), pSecond);
    EXPECT_EQ(root.GetChild(4), nullptr);
    EXPECT_EQ(root.GetChild(-1), nullptr);

    // ReplaceChild gives the new object the old one's rectangle.
    EXPECT_TRUE(root.ReplaceChild("CPort", "1", std::make_unique<CSlot>()));
    EXPECT_STREQ(root.GetChild(2)->GetRuntimeClassName(), "CSlot");
    EXPECT_EQ(root.GetChild(2)->GetRect(), QRect(1, 2, 3, 4));
    EXPECT_FALSE(root.ReplaceChild("CPort", "9", std::make_unique<CSlot>()));
    EXPECT_FALSE(root.SetChild(99, std::make_unique<CSlot>()));

    // Bitmap names keep at most 99 characters.
    root.SetBmpName(QString(150, 'a'));
    EXPECT_EQ(root.GetBmpName().size(), kMaxBmpName);
}

TEST(PanelTree, ResetGivesPortsOneTo48EnabledAnd49To52Empty)
{
    CDevModule root;
    std::vector<CPort*> ports;
    Add<CPanel>(root);
    for (int i = 0; i < 54; ++i) {
        ports.push_back(Add<CPort>(root));
        ports.back()->SetPortStatus(PORT_LINK100);
    }
    CModule* pModule = Add<CModule>(root);
    CPort* pModulePort = Add<CPort>(*pModule);
    pModulePort->SetPortStatus(PORT_DISABLED);
    CModule* pNested = Add<CModule>(*pModule);
    CPort* pNestedPort = Add<CPort>(*pNested);
    pNestedPort->SetPortStatus(PORT_LINK10);

    ResetPanelPorts(root);
    for (int i = 0; i < 54; ++i) {
        const int expected = i < 48 ? PORT_ENABLE : i < 52 ? PORT_EMPTY : PORT_LINK100;
        EXPECT_EQ(ports[static_cast<std::size_t>(i)]->GetStatus(), expected) << "port " << i + 1;
    }
    EXPECT_EQ(pModulePort->GetStatus(), PORT_ENABLE);
    EXPECT_EQ(pNestedPort->GetStatus(), PORT_ENABLE);
}

TEST(PanelTree, PortClickAnnouncesThePortAndRunsTheHook)
{
    QApplication& app = App();
    (void)app;
    CDevModule root;
    CPort* pPort = Add<CPort>(root, 100, 10, 20, 20);
    pPort->SetPortNum(7);
    std::vector<int> hooked;
    CPort::SetClickHook([&](int n) { hooked.push_back(n); });
    std::vector<int> announced;
    const auto connection = QObject::connect(&CPortClickNotifier::Instance(), &CPortClickNotifier::portClicked,
                                             [&](int n) { announced.push_back(n); });

    root.OnClick(101, 11);  // on the edge: not over the port
    EXPECT_TRUE(announced.empty());
    root.OnClick(110, 20);
    EXPECT_EQ(announced, std::vector<int>{7});
    EXPECT_EQ(hooked, std::vector<int>{7});
    QObject::disconnect(connection);
    CPort::SetClickHook({});
}

TEST(PanelTree, ConsoleClickStartsTelnetToTheDevice)
{
    ResetSettings();
    g_strDeviceIP = QStringLiteral("192.0.2.7");
    CDevModule root;
    Add<CCom>(root, 0, 0, 30, 20);
    std::vector<QString> started;
    CLauncher::SetTelnetHandler([&](const QString& a) {
        started.push_back(a);
        return true;
    });
    root.OnClick(50, 50);
    EXPECT_TRUE(started.empty());
    root.OnClick(15, 10);
    EXPECT_EQ(started, std::vector<QString>{QStringLiteral("192.0.2.7")});
    CLauncher::SetTelnetHandler({});
    ResetSettings();
}

TEST(PanelTree, LauncherRefusesAddressesThatAreNotAddresses)
{
    const struct {
        const char* address;
        bool safe;
    } cases[] = {
        {"192.0.2.1", true}, {"switch-7.example.net", true}, {"fe80::1%eth0", true}, {"", false},
        {"-l root", false},  {"-e", false},                  {"a;rm -rf /", false},  {"a b", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CLauncher::IsSafeAddress(QString::fromLatin1(c.address)), c.safe) << c.address;
    EXPECT_FALSE(CLauncher::DefaultTelnet(QStringLiteral("-oProxyCommand=x")));
    EXPECT_FALSE(CLauncher::DefaultBrowse(QStringLiteral("x/../y")));
}

// Sets an environment variable for its lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// A folder of executables standing in for installed programs.
void AddProgram(const QTemporaryDir& dir, const QString& name, const QString& body = QStringLiteral("exit 0\n"))
{
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(("#!/bin/sh\n" + body).toUtf8());
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(PanelTree, TelnetFindsTheDesktopTerminalOrSaysWhatToInstall)
{
    const struct {
        const char* what;
        std::vector<const char*> installed;
        const char* program;   // chosen terminal, or null
        const char* args;
        const char* problem;   // part of the message when nothing can start
    } cases[] = {
        {"the desktop's own terminal first", {"telnet", "xterm", "gnome-terminal", "x-terminal-emulator"},
         "x-terminal-emulator", "-e telnet 192.0.2.9", nullptr},
        {"then xdg-terminal-exec", {"telnet", "xterm", "xdg-terminal-exec"}, "xdg-terminal-exec", "telnet 192.0.2.9", nullptr},
        {"a desktop terminal with its own option", {"telnet", "xterm", "gnome-terminal"}, "gnome-terminal",
         "-- telnet 192.0.2.9", nullptr},
        {"xterm last", {"telnet", "xterm"}, "xterm", "-e telnet 192.0.2.9", nullptr},
        {"no terminal", {"telnet"}, nullptr, nullptr, "sudo apt install xterm"},
        {"no telnet client", {"xterm", "x-terminal-emulator"}, nullptr, nullptr, "sudo apt install telnet"},
    };
    ScopedEnv noTerminal("TERMINAL", QByteArray());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        for (const char* program : c.installed)
            AddProgram(dir, QString::fromLatin1(program));
        ScopedEnv path("PATH", dir.path().toUtf8());
        const CLauncher::TelnetCommand command = CLauncher::FindTelnetCommand(QStringLiteral("192.0.2.9"));
        if (c.program) {
            EXPECT_EQ(command.program, dir.filePath(QString::fromLatin1(c.program)));
            EXPECT_EQ(command.args.join(QLatin1Char(' ')).toStdString(), c.args);
        } else {
            EXPECT_TRUE(command.program.isEmpty());
            EXPECT_TRUE(command.problem.contains(QString::fromLatin1(c.problem))) << command.problem.toStdString();
            QString problem;
            EXPECT_FALSE(CLauncher::DefaultTelnet(QStringLiteral("192.0.2.9"), &problem));
            EXPECT_EQ(problem, command.problem);
        }
    }
}

TEST(PanelTree, DefaultTelnetRunsTelnetInTheTerminalOfTERMINAL)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString record = dir.filePath(QStringLiteral("args.txt"));
    AddProgram(dir, QStringLiteral("telnet"));
    AddProgram(dir, QStringLiteral("xterm"));
    AddProgram(dir, QStringLiteral("term.sh"), QStringLiteral("echo \"$@\" > '%1.tmp' && mv '%1.tmp' '%1'\n").arg(record));
    ScopedEnv path("PATH", (dir.path() + QStringLiteral(":/usr/bin:/bin")).toUtf8());
    ScopedEnv terminal("TERMINAL", QByteArray("term.sh --title Device"));
    ASSERT_TRUE(CLauncher::DefaultTelnet(QStringLiteral("192.0.2.9")));
    for (int i = 0; i < 100 && !QFile::exists(record); ++i)
        QThread::msleep(50);
    QFile result(record);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly)) << "the terminal was not started";
    EXPECT_EQ(result.readAll().trimmed(), QByteArray("--title Device -e telnet 192.0.2.9"));
}

TEST(PanelTree, ComAndPowerPublishTheirStateToEveryObserver)
{
    CCom com;
    CLamp* pA = Add<CLamp>(com);
    CLamp* pB = Add<CLamp>(com);
    com.m_subject.Attach(pA);
    com.m_subject.Attach(pB);
    com.SetStatus(1);
    EXPECT_TRUE(com.LoadBitmap());
    EXPECT_EQ(pA->GetStatus(), LAMP_1G);
    EXPECT_EQ(pB->GetStatus(), LAMP_1G);

    CLed led;
    led.SetLedBitmap(3, QStringLiteral("three.bmp"));
    led.SetLedBitmap(10, QStringLiteral("ignored.bmp"));
    EXPECT_EQ(led.GetLedBitmap(3), QStringLiteral("three.bmp"));
    EXPECT_TRUE(led.GetLedBitmap(10).isEmpty());
    led.SetValue(12);  // outside 0..9: nothing to load
    EXPECT_EQ(led.GetValue(), 12);
    EXPECT_TRUE(led.LoadBitmap());
}

}  // namespace
