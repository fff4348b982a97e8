#include "app/ModuleApp.h"

#include "app/CommandLine.h"
#include "app/InstanceGuard.h"
#include "app/ModuleDlg.h"
#include "app/Pages.h"
#include "core/Settings.h"
#include "app/Snapshot.h"
#include "core/Trace.h"
#include "app/UserIni.h"
#include "pages/common/MessageBox.h"

#include <QSocketNotifier>
#include <kxsnmp/SnmpDll.h>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalFds[2] = {-1, -1};

void OnTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalFds[0], &byte, 1);
}

} // namespace

CModuleApp::CModuleApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

CModuleApp::~CModuleApp()
{
    delete m_pGuard;
}

void InitMessageLibrary(QApplication* app)
{
    // The message library runs on the thread that initialises it, with this application object;
    // requests that get no answer time out after 5000 ms. Its result is not used.
    SnmpInit(app);
    SetSnmpTimeout(5000);
}

void InstallTerminationHandler()
{
    if (g_signalFds[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalFds) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char buf[16];
        while (::read(g_signalFds[1], buf, sizeof buf) > 0) {
        }
        TRACE() << "terminated by signal";
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget* w : windows)
            w->close();
        QCoreApplication::exit(0);
    });
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

bool CModuleApp::InitInstance()
{
    // 1. The socket layer needs no initialisation here, and 2. neither do COM and the 3-D controls.

    // 3. The SNMP message library.
    InitMessageLibrary(this);

    // 4. Nothing to do without a command line.
    const QString line = CommandLineFromArguments(arguments());
    if (line.isEmpty()) {
        AppMessageBox(QStringLiteral("No parameter input !"));
        return false;
    }

    // 5. The command line; a bad line leaves the defaults in place.
    const QByteArray bytes = line.toUtf8();
    ParseParameters(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    // The message library sends to the agent's port from the command line too.
    SetSnmpPort(g_nSnmpPort);

    // 6. The device name from the settings file next to the program.
    const QString deviceName = CUserIni(UserIniPath()).GetString(QStringLiteral("DeviceName"));

    // 7.-10. One module per device: a second start hands over to the first and ends silently.
    const QString instance = CInstanceGuard::InstanceName(deviceName, g_strDeviceIP);
    m_pGuard = new CInstanceGuard(instance);
    if (m_pGuard->claim() == CInstanceGuard::Claim::Secondary)
        return false;

    // 11. The main window, run modally; when it closes, the process ends.
    InstallTerminationHandler();
    RegisterModulePages();
    CModuleDlg dlg(UserIniPath());
    connect(m_pGuard, &CInstanceGuard::activateRequested, &dlg, &CModuleDlg::OnActivateRequest);
    connect(m_pGuard, &CInstanceGuard::commandRequested, &dlg, &CModuleDlg::OnCommandRequest);
    ArmSnapshot(&dlg);
    dlg.DoModal();
    return false;
}
