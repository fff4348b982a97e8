// The window-bound sender: the request runs on a worker, the callback on the window's thread.
#include "snmp/engine/Snmp.h"
#include "snmp/engine/SnmpTransport.h"

#include <QMetaObject>
#include <QObject>

#include <mutex>
#include <string>

using namespace snmpengine;

namespace {

// Lives in the window's thread as its child; the worker posts to it only while it exists.
class CReplyRelay : public QObject {
public:
    struct Guard {
        std::mutex mutex;
        bool alive = true;
    };

    explicit CReplyRelay(QObject* parent) : QObject(parent), m_guard(std::make_shared<Guard>()) {}
    ~CReplyRelay() override
    {
        std::lock_guard lock(m_guard->mutex);
        m_guard->alive = false;
    }
    std::shared_ptr<Guard> guard() const { return m_guard; }

private:
    std::shared_ptr<Guard> m_guard;
};

} // namespace

int CSnmp4w::send(const char* host, SnmpCallback callback, void* user, QObject* window, int timeoutMs)
{
    if (!m_pSnmp || m_pSnmp->getValuesCount() == 0 || !window || !callback)
        return -1;
    const int id = NextRequestId();
    m_pSnmp->setRequestID(id);
    std::shared_ptr<CSnmp> snapshot = m_pSnmp->clone();
    auto* relay = new CReplyRelay(window);
    auto guard = relay->guard();
    RunOnWorker([snapshot, hostText = std::string(host ? host : ""), callback, user, timeoutMs, id, relay, guard] {
        std::unique_ptr<CSnmp> answer;
        int rc = Transact(*snapshot, snapshot->getType(), snapshot->varBinds(), hostText.c_str(), timeoutMs,
                          nullptr, answer);
        if (rc == kSnmpOk)
            rc = CheckPlainReply(snapshot->getType(), answer);
        // The functor may be copied or dropped unrun (window gone): the holder frees the reply then.
        auto holder = std::make_shared<std::unique_ptr<CSnmp>>(std::move(answer));
        std::lock_guard lock(guard->mutex);
        if (!guard->alive)
            return;
        QMetaObject::invokeMethod(
            relay,
            [relay, holder, callback, user, id, rc] {
                relay->deleteLater();
                if (rc == kSnmpOk && *holder)
                    callback(holder->release(), id, user, 0);
                else
                    callback(nullptr, id, user, rc == kSnmpOk ? kSnmpFailed : rc);
            },
            Qt::QueuedConnection);
    });
    return 0;
}
