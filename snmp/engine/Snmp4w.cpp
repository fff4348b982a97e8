// The window-bound sender: the request runs on a worker, the callback on the window's thread.
#include "snmp/engine/Snmp.h"
#include "snmp/engine/SnmpTransport.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <mutex>
#include <string>

using namespace snmpengine;

namespace {

// Whether the window still exists. Cleared on the window's thread while it is being destroyed, so a
// callback that runs on that thread never sees a destroyed window.
struct CWindowGuard {
    std::mutex mutex;
    bool alive = true;
};

} // namespace

int CSnmp4w::send(const char* host, SnmpCallback callback, void* user, QObject* window, int timeoutMs)
{
    if (!m_pSnmp || m_pSnmp->getValuesCount() == 0 || !window || !callback)
        return -1;
    const int id = NextRequestId();
    m_pSnmp->setRequestID(id);
    std::shared_ptr<CSnmp> snapshot = m_pSnmp->clone();

    // The relay receives the queued call in the window's thread; it belongs to no parent so that
    // send may be called from any thread.
    auto* relay = new QObject;
    if (relay->thread() != window->thread())
        relay->moveToThread(window->thread());
    auto guard = std::make_shared<CWindowGuard>();
    QObject::connect(window, &QObject::destroyed, relay, [guard] {
        std::lock_guard lock(guard->mutex);
        guard->alive = false;
    }, Qt::DirectConnection);

    RunOnWorker([snapshot, hostText = std::string(host ? host : ""), callback, user, timeoutMs, id, relay, guard] {
        std::unique_ptr<CSnmp> answer;
        int rc = Transact(*snapshot, snapshot->getType(), snapshot->varBinds(), hostText.c_str(), timeoutMs,
                          nullptr, answer);
        if (rc == kSnmpOk)
            rc = CheckPlainReply(snapshot->getType(), answer);
        // The functor may be copied or dropped unrun: the holder frees the reply then.
        auto holder = std::make_shared<std::unique_ptr<CSnmp>>(std::move(answer));
        std::lock_guard lock(guard->mutex);
        if (!guard->alive) {
            relay->deleteLater();
            return;
        }
        QMetaObject::invokeMethod(
            relay,
            [relay, guard, holder, callback, user, id, rc] {
                relay->deleteLater();
                {
                    std::lock_guard lock(guard->mutex);
                    if (!guard->alive)
                        return;
                }
                if (rc == kSnmpOk && *holder)
                    callback(holder->release(), id, user, 0);
                else
                    callback(nullptr, id, user, rc == kSnmpOk ? kSnmpFailed : rc);
            },
            Qt::QueuedConnection);
    });
    return 0;
}
