#include "pages/common/Responsive.h"

#include "snmp/CommonSnmp.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <thread>

int RunWhileResponsive(QWidget* pWindow, const std::function<int()>& work)
{
    QPointer<QWidget> window(pWindow);
    const bool bWasEnabled = window && window->isEnabled();
    if (bWasEnabled)
        window->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);

    QEventLoop loop;
    std::atomic<bool> bDone{false};
    int nResult = -1;
    std::thread worker([&] {
        nResult = work();
        bDone = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The loop also ends when the application is told to quit; the request still finishes (its
    // time-out bounds it) before the result is handed back.
    if (!bDone)
        loop.exec();
    worker.join();

    QApplication::restoreOverrideCursor();
    if (window && bWasEnabled)
        window->setEnabled(true);
    return nResult;
}

bool SendSetWhileResponsive(QWidget* pWindow, CCommonSNMP& session, const std::function<void()>& addBindings)
{
    if (!session.Open(kSnmpPduSet))
        return false;
    addBindings();
    std::unique_ptr<CSnmp> pReply;
    return RunWhileResponsive(pWindow, [&] { return session.Send(pReply, 0); }) == 0;
}
