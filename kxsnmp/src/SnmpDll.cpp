#include <kxsnmp/SnmpDll.h>

#include <QPointer>
#include <QThread>

#include <atomic>
#include <chrono>
#include <cstdio>

namespace {

CSnmpDll* g_pSnmpDll = nullptr;
int g_nSnmpPort = 161;
std::atomic<std::int64_t (*)()> g_pfnClock{nullptr};

// Delivers a message that cannot be sent at all (no library object, wrong thread).
std::uint32_t RefuseSend(CSnmpMsg* pMsg, const QString& strReason)
{
    pMsg->m_error = CSnmpException(KX_E_SOCKET, strReason);
    const std::uint32_t dwRequestId = pMsg->m_pPdu->m_dwRequestId;
    DeliverSnmpResult(pMsg, KX_E_SOCKET);
    return dwRequestId;
}

} // namespace

CSnmpDll::CSnmpDll()
{
    setObjectName(QStringLiteral("Snmp.Dll"));
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, [this] { OnTimer(1); });
}

CSnmpDll::~CSnmpDll()
{
    m_timer.stop();
    if (m_pSnmpSocket) {
        m_pSnmpSocket->ReleasePending();
        if (m_pSnmpSocket->m_nBusy > 0) {
            // Destroyed from inside the socket's own notification: let it unwind first.
            m_pSnmpSocket->close();
            m_pSnmpSocket->deleteLater();
        } else {
            delete m_pSnmpSocket;
        }
        m_pSnmpSocket = nullptr;
    }
}

bool CSnmpDll::OnInitDialog()
{
    m_timer.start();
    m_pSnmpSocket = new CSnmpSocket(QCoreApplication::instance());
    if (!m_pSnmpSocket->Create()) {
        const QByteArray text = QStringLiteral("m_pSnmpSocket->Create() : m_pSnmpSocket->GetLastError()=%1\n")
                                    .arg(m_pSnmpSocket->m_nCreateError).toUtf8();
        std::fputs(text.constData(), stderr);
    }
    return true;
}

void CSnmpDll::OnTimer(int nIDEvent)
{
    if (nIDEvent != 1 || !m_pSnmpSocket)
        return;
    const qint64 now = SnmpClockSeconds();
    auto& pending = m_pSnmpSocket->m_pendingList;
    for (auto it = pending.begin(); it != pending.end(); ++it) {
        CSnmpMsg* pMsg = *it;
        if ((now - pMsg->m_timeSent) * 1000 > static_cast<qint64>(m_nTimeout)) {
            pending.erase(it);
            QPointer<CSnmpDll> self(this);
            ++m_nBusy;
            DeliverSnmpResult(pMsg, KX_E_TIMEOUT);
            if (self)
                --m_nBusy;
            return;  // one expired request per tick
        }
    }
}

std::int64_t SnmpClockSeconds()
{
    if (auto pfnClock = g_pfnClock.load(std::memory_order_relaxed))
        return pfnClock();
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void SetSnmpClock(std::int64_t (*pfnClock)())
{
    g_pfnClock.store(pfnClock, std::memory_order_relaxed);
}

int SnmpInit(QCoreApplication* /*pApp*/)
{
    if (g_pSnmpDll)
        return 0;
    g_pSnmpDll = new CSnmpDll;
    g_pSnmpDll->OnInitDialog();
    return 0;
}

void SnmpDone()
{
    CSnmpDll* pDll = g_pSnmpDll;
    g_pSnmpDll = nullptr;
    if (!pDll)
        return;
    if (pDll->m_nBusy > 0) {
        // Called from a callback of the time-out timer: finish that tick first.
        if (pDll->m_pSnmpSocket)
            pDll->m_pSnmpSocket->ReleasePending();
        pDll->deleteLater();
    } else {
        delete pDll;
    }
}

std::uint32_t SendSnmpMsg(CSnmpMsg* pMsg)
{
    if (!pMsg)
        return 0;
    if (!g_pSnmpDll || !g_pSnmpDll->m_pSnmpSocket)
        return RefuseSend(pMsg, QStringLiteral("SendSnmpMsg(): the library is not initialised (SnmpInit)."));
    if (QThread::currentThread() != g_pSnmpDll->thread())
        return RefuseSend(pMsg, QStringLiteral("SendSnmpMsg(): called from another thread than SnmpInit's."));
    return g_pSnmpDll->m_pSnmpSocket->SendSnmpMsg(pMsg);
}

void SetSnmpTimeout(int nTimeout)
{
    if (g_pSnmpDll)
        g_pSnmpDll->m_nTimeout = nTimeout;
}

void SetSnmpPort(int nPort)
{
    if (nPort >= 1 && nPort <= 65535)
        g_nSnmpPort = nPort;
}

int GetSnmpPort()
{
    return g_nSnmpPort;
}

CSnmpSocket* GetSnmpSocket()
{
    return g_pSnmpDll ? g_pSnmpDll->m_pSnmpSocket : nullptr;
}

CSnmpDll* GetSnmpDllDlg()
{
    return g_pSnmpDll;
}
