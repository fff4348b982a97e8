// Qt helpers shared by the widget tests: one application object, waits that keep the event loop
// running, a recorder for the trace channel, and the
// output of a command-line tool (net-snmp's snmpwalk and friends).
#pragma once

#include "core/Settings.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tqxtest {

inline QApplication& App()
{
    static int argc = 1;
    static char arg0[] = "TqxModule";
    static char* argv[] = {arg0, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs the event loop until cond holds or ms pass; returns cond().
inline bool WaitFor(const std::function<bool()>& cond, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

// Collects the lines of the trace channel while it lives.
class TraceRecorder {
public:
    TraceRecorder()
    {
        s_pActive = this;
        m_previous = qInstallMessageHandler(&TraceRecorder::Handler);
    }
    ~TraceRecorder()
    {
        qInstallMessageHandler(m_previous);
        s_pActive = nullptr;
    }
    std::vector<std::string> lines() const
    {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }

private:
    static void Handler(QtMsgType, const QMessageLogContext&, const QString& text)
    {
        if (TraceRecorder* p = s_pActive) {
            std::lock_guard lock(p->m_mutex);
            p->m_lines.push_back(text.toStdString());
        }
    }
    static inline TraceRecorder* s_pActive = nullptr;
    QtMessageHandler m_previous = nullptr;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

// Standard output of program with args (empty when it cannot run within ms).
inline std::string ToolOutput(const QString& program, const QStringList& args, int ms = 30000)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(ms)) {
        process.kill();
        process.waitForFinished(1000);
        return std::string();
    }
    return process.readAllStandardOutput().toStdString();
}

} // namespace tqxtest
