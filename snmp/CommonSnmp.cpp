// CCommonSNMP: the session object over the engine classes.
#include "snmp/CommonSnmp.h"

#include "core/Settings.h"
#include "core/Trace.h"

#include <algorithm>

std::atomic<int> g_nWalkRequestId{0};

namespace {

// One SNMPv1 walk step in flight: what its completion needs, independent of the session's lifetime.
struct CV1Step {
    std::shared_ptr<CCommonSnmpShared> shared;
    SnmpCallback callback;
    void* user;
    unsigned opening;  // the session's opening that sent the step
};

} // namespace

CCommonSNMP::CCommonSNMP()
    : m_pShared(std::make_shared<CCommonSnmpShared>())
{
    m_pszHost = g_strDeviceIP.toLatin1();
    m_nVersion = g_strSnmpVersion.trimmed().toInt();
    bool ok = false;
    m_nTimeout = g_strSnmpTimeout.trimmed().toInt(&ok);
    if (!ok || m_nTimeout <= 0)
        m_nTimeout = 3000;
    m_nWalkTimeout = m_nTimeout;
    m_pszGetCommunity = g_strGetCommunity.toLatin1();
    m_pszSetCommunity = g_strSetCommunity.toLatin1();
    m_strSecurityLevel = g_strSecurityLevel;
    m_strAuthProtocol = g_strAuthProtocol;
    m_strPrivProtocol = g_strPrivProtocol;
    m_pszUserName = g_strUserName.toLatin1();
    m_pszAuthPassword = g_strAuthPassword.toLatin1();
    m_pszPrivPassword = g_strPrivPassword.toLatin1();
}

CCommonSNMP::~CCommonSNMP()
{
    m_bWalkActive = false;
    m_bWalkStop = true;
    const bool locked = m_hEventLock.acquire(m_nTimeout + 1000);
    if (m_hWalkThread.joinable() && m_hWalkThread.get_id() == std::this_thread::get_id()) {
        // Destroyed from its own walk callback: the thread returns as soon as the callback does,
        // without touching this object again.
        m_pShared->m_bGone = true;
        m_hWalkThread.detach();
    }
    StopWalkThread();

    delete m_pSnmpTable;
    m_pSnmpTable = nullptr;
    delete m_pSnmp;
    m_pSnmp = nullptr;
    if (locked)
        m_hEventLock.release();
}

bool CCommonSNMP::AcquireLock()
{
    // A callback running on the walk thread must not wait for a lock that Open or the destructor
    // holds while they wait for that very thread to end.
    if (std::this_thread::get_id() == m_walkThreadId.load())
        return m_hEventLock.acquire(-1, [this] { return m_bWalkStop.load(); });
    return m_hEventLock.acquire();
}

void CCommonSNMP::StopWalkThread()
{
    if (!m_hWalkThread.joinable())
        return;
    if (m_hWalkThread.get_id() == std::this_thread::get_id()) {
        // Called from the walk's own callback: the thread ends by itself once the callback returns
        // without asking for another step.
        return;
    }
    m_hWalkThread.join();
    std::lock_guard lock(m_walkMutex);
    m_bWalkThreadRunning = false;
    m_walkThreadId = std::thread::id();
}

void CCommonSNMP::JoinFinishedWalkThread()
{
    // With m_walkMutex held: a thread that has ended its loop only returns, so joining is short.
    if (m_hWalkThread.joinable() && !m_bWalkThreadRunning && m_hWalkThread.get_id() != std::this_thread::get_id())
        m_hWalkThread.join();
}

bool CCommonSNMP::Open(int nPduType)
{
    m_bWalkActive = false;
    const bool onWalkThread = std::this_thread::get_id() == m_walkThreadId.load();
    if (!onWalkThread)
        m_bWalkStop = true;
    if (!AcquireLock())
        return false;
    if (!onWalkThread) {
        StopWalkThread();
        m_bWalkStop = false;
    }

    // What the previous opening sent is no longer this session's.
    {
        std::lock_guard lock(m_pShared->m_listMutex);
        m_pShared->m_listRequestId.clear();
        ++m_pShared->m_nOpening;
    }

    delete m_pSnmpTable;
    m_pSnmpTable = nullptr;
    delete m_pSnmp;
    m_pSnmp = BuildMessage(nPduType).release();
    if (!m_pSnmp) {
        m_hEventLock.release();
        return false;
    }
    m_pSnmpTable = new CSnmpTable(m_pSnmp);
    m_pShared->m_bClosing = false;
    m_hEventLock.release();
    return true;
}

std::unique_ptr<CSnmp> CCommonSNMP::BuildMessage(int nPduType) const
{
    std::unique_ptr<CSnmp> pSnmp;
    if (m_nVersion == 1) {
        auto pV1 = std::make_unique<CSnmpV1>(0);
        if (pV1->setType(nPduType) != 0)
            return nullptr;
        pV1->clearVarBindList();
        if (nPduType == kSnmpPduGet || nPduType == kSnmpPduGetNext)
            pV1->setCommunity(m_pszGetCommunity.constData());
        else if (nPduType == kSnmpPduSet)
            pV1->setCommunity(m_pszSetCommunity.constData());
        pSnmp = std::move(pV1);
    } else if (m_nVersion == 3) {
        auto pV3 = std::make_unique<CSnmpV3>(0);
        if (pV3->setType(nPduType) != 0)
            return nullptr;
        pV3->clearVarBindList();
        ConfigureV3(pV3.get());
        pSnmp = std::move(pV3);
    }
    return pSnmp;
}

std::unique_ptr<CSnmp> CCommonSNMP::NewMessage(int nPduType)
{
    const CCommonSNMP settings;
    return settings.BuildMessage(nPduType);
}

void CCommonSNMP::ConfigureV3(CSnmpV3* pSnmp) const
{
    pSnmp->setMsgMaxSize(1024);
    pSnmp->setMsgSecurityModel(3);
    pSnmp->setUserName(m_pszUserName.constData());
    const auto applyAuth = [&] {
        if (m_strAuthProtocol == QLatin1String("2")) {
            pSnmp->setAuthArith(0);
            pSnmp->setAuthPwd(m_pszAuthPassword.constData(), static_cast<int>(m_pszAuthPassword.size()));
        } else if (m_strAuthProtocol == QLatin1String("3")) {
            pSnmp->setAuthArith(1);
            pSnmp->setAuthPwd(m_pszAuthPassword.constData(), static_cast<int>(m_pszAuthPassword.size()));
        } else {
            pSnmp->setMsgFlags(0);
        }
    };
    if (m_strSecurityLevel == QLatin1String("2")) {
        pSnmp->setMsgFlags(1);
        applyAuth();
    } else if (m_strSecurityLevel == QLatin1String("3")) {
        pSnmp->setMsgFlags(3);
        applyAuth();
        if (m_strPrivProtocol == QLatin1String("2")) {
            pSnmp->setPriArith(0);
            pSnmp->setPriPwd(m_pszPrivPassword.constData(), static_cast<int>(m_pszPrivPassword.size()));
        } else {
            // No privacy protocol: authenticated without privacy (unless authentication fell away).
            pSnmp->setMsgFlags(1);
        }
    } else {
        pSnmp->setMsgFlags(0);
    }
}

int CCommonSNMP::AddOid(const QString& strOid, int nType, const char* pszValue)
{
    if (!AcquireLock())
        return -1;
    const QByteArray oid = strOid.toLatin1();
    const int rc = m_pSnmp ? m_pSnmp->addValue(oid.constData(), nType, pszValue) : -1;
    m_hEventLock.release();
    return rc;
}

int CCommonSNMP::AddOid(const QString& strOid, int nType, const QString& strValue)
{
    const QByteArray value = strValue.toLatin1();
    return AddOid(strOid, nType, value.constData());
}

int CCommonSNMP::AddOidValue(const QString& strOid, int nType, const char* pValue, unsigned long nLength)
{
    if (!AcquireLock())
        return -1;
    const QByteArray oid = strOid.toLatin1();
    const int rc = m_pSnmp ? m_pSnmp->addValue(oid.constData(), nType, pValue, nLength) : -1;
    m_hEventLock.release();
    return rc;
}

int CCommonSNMP::AddOidValue(const QString& strOid, int nType, const QByteArray& value)
{
    return AddOidValue(strOid, nType, value.constData(), static_cast<unsigned long>(value.size()));
}

int CCommonSNMP::Send(std::unique_ptr<CSnmp>& reply, int nTimeout)
{
    reply.reset();
    if (!AcquireLock())
        return -1;
    int rc = -1;
    if (m_pSnmp && m_pSnmpTable && m_pSnmp->getValuesCount() > 0)
        rc = m_pSnmp->send(m_pszHost.constData(), reply, nTimeout == 0 ? m_nTimeout : nTimeout);
    m_hEventLock.release();
    return rc;
}

int CCommonSNMP::GetNextSync(std::unique_ptr<CSnmp>& reply, int nTimeout)
{
    reply.reset();
    if (!AcquireLock())
        return -1;
    int rc = -1;
    if (m_pSnmp && m_pSnmpTable && m_pSnmp->getValuesCount() > 0)
        rc = m_pSnmpTable->getNext(m_pszHost.constData(), reply, nTimeout == 0 ? m_nTimeout : nTimeout);
    m_hEventLock.release();
    return rc;
}

int CCommonSNMP::GetSuffix(int nColumn, const CSnmp* pReply, QString& strSuffix)
{
    strSuffix.clear();
    if (!AcquireLock())
        return -1;
    int rc = -1;
    if (m_pSnmp && m_pSnmpTable && m_pSnmp->getValuesCount() > 0)
        rc = m_pSnmpTable->getSuffix(nColumn, pReply, strSuffix);
    m_hEventLock.release();
    return rc;
}

unsigned int CCommonSNMP::V1StepDone(CSnmp* reply, int requestId, void* user, int error)
{
    std::unique_ptr<CV1Step> step(static_cast<CV1Step*>(user));
    // StartWalk records the id while holding the list lock; wait for that before the owner checks it.
    { std::lock_guard lock(step->shared->m_listMutex); }
    if (step->opening != step->shared->m_nOpening.load()) {
        // Sent before the session was opened again: nobody waits for it any more, and unless the new
        // opening has started a walk of its own, none is running now.
        if (error == 0)
            delete reply;
        std::lock_guard lock(step->shared->m_listMutex);
        if (step->shared->m_nWalkOpening != step->shared->m_nOpening.load())
            step->shared->m_hEventDone.set();
    } else {
        step->callback(reply, requestId, step->user, error);
    }
    // A session that was closed meanwhile starts no further step: its walk has ended here.
    if (step->shared->m_bClosing)
        step->shared->m_hEventDone.set();
    return 0;
}

int CCommonSNMP::StartWalk(SnmpCallback pfnCallback, void* pUser, int nTimeout)
{
    if (!AcquireLock()) {
        m_pShared->m_hEventDone.set();
        return -1;
    }
    if (m_pShared->m_bClosing || !m_pSnmp || !m_pSnmpTable || m_pSnmp->getValuesCount() == 0 || !pfnCallback) {
        m_pShared->m_hEventDone.set();
        m_hEventLock.release();
        return -1;
    }
    const int timeout = nTimeout == 0 ? m_nTimeout : nTimeout;
    int rc = -1;
    if (m_nVersion == 1) {
        auto* step = new CV1Step{m_pShared, pfnCallback, pUser, m_pShared->m_nOpening.load()};
        {
            std::lock_guard lock(m_pShared->m_listMutex);
            m_pShared->m_hEventDone.reset();
            m_pShared->m_nWalkOpening = step->opening;
            rc = m_pSnmpTable->getNext(m_pszHost.constData(), &CCommonSNMP::V1StepDone, step, timeout);
            if (rc == 0)
                m_pShared->m_listRequestId.push_back(m_pSnmp->getRequestID());
        }
        if (rc != 0) {
            delete step;
            m_pShared->m_hEventDone.set();
        }
    } else if (m_nVersion == 3) {
        std::lock_guard lock(m_walkMutex);
        m_pfnWalkCallback = pfnCallback;
        m_pWalkUser = pUser;
        m_nWalkTimeout = timeout;
        m_nWalkRequestId = ++g_nWalkRequestId;
        {
            std::lock_guard listLock(m_pShared->m_listMutex);
            m_pShared->m_listRequestId.push_back(m_nWalkRequestId);
        }
        m_bWalkActive = true;
        m_pShared->m_hEventDone.reset();
        if (!m_bWalkThreadRunning) {
            JoinFinishedWalkThread();
            m_bWalkThreadRunning = true;
            m_hWalkThread = std::thread([this] { WalkThreadProc(); });
            m_walkThreadId = m_hWalkThread.get_id();
        }
        rc = 0;
    }
    m_hEventLock.release();
    return rc;
}

void CCommonSNMP::WalkThreadProc()
{
    const std::shared_ptr<CCommonSnmpShared> shared = m_pShared;
    m_walkThreadId = std::this_thread::get_id();
    while (true) {
        {
            std::lock_guard lock(m_walkMutex);
            if (!m_bWalkActive) {
                m_bWalkThreadRunning = false;
                m_walkThreadId = std::thread::id();
                m_pShared->m_hEventDone.set();
                return;
            }
        }
        if (!m_hEventLock.acquire(-1, [this] { return m_bWalkStop.load() || !m_bWalkActive.load(); }))
            continue;
        if (!m_pSnmp || !m_pSnmpTable || m_pSnmp->getValuesCount() == 0) {
            m_bWalkActive = false;
            m_hEventLock.release();
            continue;
        }
        TRACE() << "getNext begin";
        std::unique_ptr<CSnmp> reply;
        const int rc = m_pSnmpTable->getNext(m_pszHost.constData(), reply, m_nWalkTimeout);
        TRACE() << "getNext end";
        const bool ready = m_pSnmp && m_pSnmpTable && m_pSnmp->getValuesCount() > 0;
        m_hEventLock.release();

        SnmpCallback callback = nullptr;
        void* user = nullptr;
        int id = 0;
        {
            std::lock_guard lock(m_walkMutex);
            if (m_bWalkActive && ready) {
                m_bWalkActive = false;
                callback = m_pfnWalkCallback;
                user = m_pWalkUser;
                id = m_nWalkRequestId;
            }
        }
        if (callback) {
            callback(rc == 0 ? reply.release() : nullptr, id, user, rc);
            if (shared->m_bGone) {
                shared->m_hEventDone.set();
                return;
            }
        }
    }
}

bool CCommonSNMP::IsOwnRequest(int nRequestId)
{
    std::lock_guard lock(m_pShared->m_listMutex);
    auto& list = m_pShared->m_listRequestId;
    const auto it = std::find(list.begin(), list.end(), nRequestId);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

void CCommonSNMP::SignalDone()
{
    m_pShared->m_hEventDone.set();
}

void CCommonSNMP::Close()
{
    m_pShared->m_bClosing = true;
    m_bWalkActive = false;
    {
        std::lock_guard lock(m_pShared->m_listMutex);
        m_pShared->m_listRequestId.clear();
    }
    m_pShared->m_hEventDone.wait(m_nTimeout + 1000);
}
