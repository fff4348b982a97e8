// CCommonSNMP: one conversation with the managed device, SNMPv1 with communities or SNMPv3 with
// user-based security, built from the process settings. Serialises the use of its one engine message
// with a request lock, runs table walks in the background and remembers which replies are its own.
//
// Typical use:
//   read:  Open(0); AddOid(oid + ".0", 4, nullptr); GetNextSync(reply, t); on 0 read reply, drop it.
//   write: Open(3); AddOid(oid, type, value) per object; GetNextSync(reply, t) or Send; 0 is success.
//   walk:  Open(1); AddOid(column, 4, nullptr) per column; StartWalk(callback, user, 0). The callback
//          checks IsOwnRequest, uses and deletes the reply, and calls StartWalk again or SignalDone.
// A time-out argument of 0 means m_nTimeout. Results: see snmp/engine/Snmp.h; -1 also when nothing
// can be sent (no message, no bindings).
#pragma once

#include "snmp/Event.h"
#include "snmp/RequestLock.h"
#include "snmp/engine/Snmp.h"

#include <QString>

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

// Process-wide number of the last SNMPv3 walk started by any session.
extern std::atomic<int> g_nWalkRequestId;

// State that an SNMPv1 walk step still in flight may touch after its session is gone.
struct CCommonSnmpShared {
    std::mutex m_listMutex;                 // guards m_listRequestId
    std::list<int> m_listRequestId;         // ids of walk steps started and not yet claimed
    Event m_hEventDone{Event::Reset::Manual, true};  // signalled while no walk is running
    std::atomic<bool> m_bClosing{false};
    std::atomic<bool> m_bGone{false};       // the session was destroyed from its own walk callback
    std::atomic<unsigned> m_nOpening{0};    // counts Open calls: a step of an earlier opening is dropped
    unsigned m_nWalkOpening = 0;            // the opening of the last SNMPv1 step started (m_listMutex)
};

class CCommonSNMP {
public:
    CCommonSNMP();
    virtual ~CCommonSNMP();
    CCommonSNMP(const CCommonSNMP&) = delete;
    CCommonSNMP& operator=(const CCommonSNMP&) = delete;

    // 0 GET, 1 GET-NEXT, 3 SET. False for an unsupported version (only 1 and 3) or PDU type. Forgets
    // what the previous opening sent: a walk step still in flight is dropped when its reply comes,
    // never handed to the callback.
    bool Open(int nPduType);
    // A QString value is sent as Latin-1 text; text in other encodings goes as bytes through
    // AddOidValue.
    int AddOid(const QString& strOid, int nType, const char* pszValue);
    int AddOid(const QString& strOid, int nType, const QString& strValue);
    int AddOidValue(const QString& strOid, int nType, const char* pValue, unsigned long nLength);
    int AddOidValue(const QString& strOid, int nType, const QByteArray& value);
    int Send(std::unique_ptr<CSnmp>& reply, int nTimeout);
    int GetNextSync(std::unique_ptr<CSnmp>& reply, int nTimeout);
    // Starts one walk step: 0 when started, -1 when refused (closing, no message or no bindings), in
    // which case m_hEventDone is signalled. SNMPv1 steps call back on an engine worker thread, SNMPv3
    // steps on this session's walk thread; the request lock is never held during the callback, so
    // the callback may call any operation of the session (usually StartWalk or SignalDone).
    int StartWalk(SnmpCallback pfnCallback, void* pUser, int nTimeout);
    int GetSuffix(int nColumn, const CSnmp* pReply, QString& strSuffix);
    // True once for an id this session started and has not yet claimed.
    bool IsOwnRequest(int nRequestId);
    void SignalDone();
    // Stops walking and waits for the running walk to end, at most m_nTimeout + 1000 ms. A step still
    // in flight afterwards is not handed to the owner as its own (IsOwnRequest is false for it).
    void Close();

    // A message for nPduType built from the process settings the way Open builds its own (the read or
    // write community, or the SNMPv3 user), for pages that send through the engine directly. Null
    // for an unsupported version or PDU type.
    static std::unique_ptr<CSnmp> NewMessage(int nPduType);

    // For owners and tests.
    bool IsWalkDone() const { return m_pShared->m_hEventDone.isSet(); }
    bool WaitWalkDone(int ms) const { return m_pShared->m_hEventDone.wait(ms); }
    int Version() const { return m_nVersion; }
    int Timeout() const { return m_nTimeout; }

private:
    // A message for nPduType with this session's version and credentials; null when either is unsupported.
    std::unique_ptr<CSnmp> BuildMessage(int nPduType) const;
    void ConfigureV3(CSnmpV3* pSnmp) const;
    void StopWalkThread();
    void JoinFinishedWalkThread();
    void WalkThreadProc();
    bool AcquireLock();
    static unsigned int V1StepDone(CSnmp* reply, int requestId, void* user, int error);

    int m_nVersion = 0;
    CSnmp* m_pSnmp = nullptr;
    CSnmpTable* m_pSnmpTable = nullptr;
    QByteArray m_pszHost;
    int m_nTimeout = 3000;
    std::shared_ptr<CCommonSnmpShared> m_pShared;  // m_listRequestId, m_hEventDone, m_bClosing
    CRequestLock m_hEventLock;
    QByteArray m_pszGetCommunity, m_pszSetCommunity;
    QString m_strSecurityLevel, m_strAuthProtocol, m_strPrivProtocol;
    QByteArray m_pszUserName, m_pszAuthPassword, m_pszPrivPassword;
    std::thread m_hWalkThread;
    std::atomic<bool> m_bWalkActive{false};
    SnmpCallback m_pfnWalkCallback = nullptr;
    void* m_pWalkUser = nullptr;
    int m_nWalkTimeout = 3000;
    int m_nWalkRequestId = 0;

    // Walk-thread bookkeeping: whether the thread is still looping (guarded by m_walkMutex, so that a
    // new StartWalk never relies on a thread that has decided to end), and a stop request that makes
    // its lock waits give up so Open and the destructor can join it.
    std::mutex m_walkMutex;
    bool m_bWalkThreadRunning = false;
    std::atomic<bool> m_bWalkStop{false};
    std::atomic<std::thread::id> m_walkThreadId{};
};
