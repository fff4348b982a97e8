// Helpers of the main-window tests: one application object, a window on a model kit, waits that
// keep the event loop running, and a recorder for the trace channel.
#pragma once

#include "app/ModuleDlg.h"
#include "app/Settings.h"

#include "Agents.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace mainwintest {

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

inline QString KitDir(const std::string& model)
{
    return QStringLiteral(TQX_SOURCE_DIR "/models/") + QString::fromStdString(model);
}

// Settings for talking SNMPv1 to an agent on 127.0.0.1:port.
inline void UseAgent(std::uint16_t port)
{
    ResetSettings();
    g_strDeviceIP = QStringLiteral("127.0.0.1");
    g_nSnmpPort = port;
    g_strSnmpVersion = QStringLiteral("1");
}

// The working folder is the kit's while a window on it lives (the panel pictures are found there).
class KitFolder {
public:
    explicit KitFolder(const std::string& model) : m_old(QDir::currentPath()) { QDir::setCurrent(KitDir(model)); }
    ~KitFolder() { QDir::setCurrent(m_old); }

private:
    QString m_old;
};

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

} // namespace mainwintest
