// Cost of a polling main window: CPU time and peak memory of a process running the main window for a
// 48-port switch (tqx-sim, TQX-8848) for N seconds (default 60), against a process showing an idle
// dialog of the same size with the same panel picture. Each side runs in its own child process so
// that its figures are its own; both run in this one run, one after the other.
//
//   bench_mainwin_poll [SECONDS]
#include "app/ModuleDlg.h"
#include "core/Settings.h"

#include "Agents.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLoggingCategory>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* kKit = TQX_SOURCE_DIR "/models/TQX-8848";

int RunModule(int argc, char** argv, int port, int seconds, int* pPolls)
{
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("tqx.trace=false"));
    QDir::setCurrent(QString::fromLatin1(kKit));
    ResetSettings();
    g_strDeviceIP = QStringLiteral("127.0.0.1");
    g_nSnmpPort = port;
    CModuleDlg dlg(QString::fromLatin1(kKit) + QStringLiteral("/User.ini"));
    QTimer::singleShot(seconds * 1000, &dlg, [&dlg] { dlg.close(); });
    dlg.DoModal();
    *pPolls = dlg.PollCount();
    return 0;
}

int RunIdle(int argc, char** argv, int seconds)
{
    QApplication app(argc, argv);
    QDialog dlg;
    auto* pLabel = new QLabel(&dlg);
    const QImage picture(QString::fromLatin1(kKit) + QStringLiteral("/TQX8848.bmp"));
    pLabel->setPixmap(QPixmap::fromImage(picture));
    pLabel->adjustSize();
    dlg.resize(pLabel->size() + QSize(0, 24));  // the module's window: panel plus menu bar
    dlg.show();
    QTimer::singleShot(seconds * 1000, &dlg, [&dlg] { dlg.close(); });
    dlg.exec();
    return 0;
}

struct Figures {
    double cpuSeconds = 0;
    long maxRssKb = 0;
    int polls = 0;
    bool ok = false;
};

Figures RunChild(char* self, const std::string& mode, int port, int seconds)
{
    Figures f;
    int pipeFd[2];
    if (::pipe(pipeFd) != 0)
        return f;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFd[0]);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        int argc = 1;
        char* argv[] = {self, nullptr};
        int polls = 0;
        if (mode == "module")
            RunModule(argc, argv, port, seconds, &polls);
        else
            RunIdle(argc, argv, seconds);
        [[maybe_unused]] const ssize_t n = ::write(pipeFd[1], &polls, sizeof polls);
        ::_exit(0);
    }
    ::close(pipeFd[1]);
    int status = 0;
    rusage usage{};
    if (pid > 0 && ::wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        f.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
            + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        f.maxRssKb = usage.ru_maxrss;
        f.ok = ::read(pipeFd[0], &f.polls, sizeof f.polls) == sizeof f.polls;
    }
    ::close(pipeFd[0]);
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    tqxtest::SimAgent sim("TQX-8848");
    if (!sim.ok()) {
        std::fprintf(stderr, "tqx-sim did not start (build the tqx-sim target first)\n");
        return 1;
    }
    const Figures idle = RunChild(argv[0], "idle", 0, seconds);
    const Figures module = RunChild(argv[0], "module", sim.port(), seconds);
    if (!idle.ok || !module.ok) {
        std::fprintf(stderr, "a child run failed\n");
        return 1;
    }
    std::printf("%d s on the offscreen platform, 48-port tqx-sim on udp:127.0.0.1:%u\n", seconds, sim.port());
    std::printf("idle QDialog with static picture: CPU %.3f s, peak memory %ld KiB\n", idle.cpuSeconds, idle.maxRssKb);
    std::printf("polling main window (%d walks):    CPU %.3f s, peak memory %ld KiB\n", module.polls, module.cpuSeconds,
                module.maxRssKb);
    std::printf("ratio main window / idle dialog: CPU %.2f, peak memory %.2f\n",
                idle.cpuSeconds > 0 ? module.cpuSeconds / idle.cpuSeconds : 0.0,
                idle.maxRssKb > 0 ? double(module.maxRssKb) / double(idle.maxRssKb) : 0.0);
    return 0;
}
