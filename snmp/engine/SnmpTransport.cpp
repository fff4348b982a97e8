// The exchange of one request with net-snmp's single-session API, and the worker threads.
#include "snmp/engine/SnmpTransport.h"

#include "core/Settings.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace snmpengine {
namespace {

// Guards net-snmp's process-wide state that session open and close touch (the transport and user
// lists, SNMPv3 engine discovery). Requests on open sessions run in parallel.
std::mutex& LibraryMutex()
{
    static std::mutex mutex;
    return mutex;
}

// net-snmp keeps SNMPv3 state for the whole process (the user list, the engine boot and time
// records it updates on every authenticated answer) without locks of its own, so SNMPv3 exchanges
// run one at a time. A request waits for its turn at most its own time-out.
std::timed_mutex& V3Mutex()
{
    static std::timed_mutex mutex;
    return mutex;
}

void InitLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // No configuration files (a user's snmp.conf must not change our sessions), no persistent
        // state written at exit, no MIB modules: every OID is numeric.
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
        ::setenv("MIBS", "", 1);
        netsnmp_set_mib_directory("/nonexistent-tqx-mibs");
        init_snmp("tqxengine");
    });
}

std::vector<oid> ToNetOid(const std::vector<std::uint32_t>& in)
{
    return std::vector<oid>(in.begin(), in.end());
}

std::vector<std::uint32_t> FromNetOid(const oid* in, size_t length)
{
    std::vector<std::uint32_t> out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i)
        out.push_back(static_cast<std::uint32_t>(in[i]));
    return out;
}

std::string Peer(const char* host)
{
    const std::string h = host ? host : "";
    const int port = g_nSnmpPort >= 1 && g_nSnmpPort <= 65535 ? g_nSnmpPort : 161;
    if (h.find(':') != std::string::npos)
        return "udp6:[" + h + "]:" + std::to_string(port);
    return "udp:" + h + ":" + std::to_string(port);
}

std::string SessionKey(const CSnmp& settings, const std::string& peer)
{
    std::string key = peer + '\x1f' + std::to_string(settings.version());
    if (const auto* v1 = dynamic_cast<const CSnmpV1*>(&settings)) {
        key += '\x1f' + v1->community().toStdString();
    } else if (const auto* v3 = dynamic_cast<const CSnmpV3*>(&settings)) {
        key += '\x1f' + v3->userName().toStdString() + '\x1f' + std::to_string(v3->msgFlags()) + '\x1f'
            + std::to_string(v3->authArith()) + '\x1f' + v3->authPwd().toStdString() + '\x1f'
            + std::to_string(v3->priArith()) + '\x1f' + v3->priPwd().toStdString() + '\x1f'
            + std::to_string(v3->msgMaxSize());
    }
    return key;
}

bool SameBytes(const u_char* a, size_t aLen, const u_char* b, size_t bLen)
{
    return aLen == bLen && (aLen == 0 || std::memcmp(a, b, aLen) == 0);
}

// net-snmp keeps one user entry per (engine, name) for the whole process and reuses its keys for
// later sessions. An entry left by a session with other credentials would make this session use
// that session's keys, so it is dropped and rebuilt from ours. Called with LibraryMutex held.
void DropStaleUsers(const netsnmp_session& s)
{
    const std::string name(s.securityName, s.securityNameLen);
    for (usmUser* u = usm_get_userList(); u;) {
        usmUser* next = u->next;
        if (u->secName && name == u->secName) {
            bool same = SameBytes(u->authKeyKu, u->authKeyKuLen, s.securityAuthKey, s.securityAuthKeyLen)
                && u->authProtocol && netsnmp_oid_equals(u->authProtocol, u->authProtocolLen, s.securityAuthProto,
                                                         s.securityAuthProtoLen) == 0;
            if (same && s.securityLevel == SNMP_SEC_LEVEL_AUTHPRIV)
                same = SameBytes(u->privKeyKu, u->privKeyKuLen, s.securityPrivKey, s.securityPrivKeyLen)
                    && u->privProtocol
                    && netsnmp_oid_equals(u->privProtocol, u->privProtocolLen, s.securityPrivProto,
                                          s.securityPrivProtoLen) == 0;
            if (!same) {
                usm_remove_user(u);
                usm_free_user(u);
            }
        }
        u = next;
    }
}

// Opens a session; kSnmpOk with handle set, kSnmpTimeout when SNMPv3 discovery got no answer, or
// kSnmpFailed.
int OpenSession(const CSnmp& settings, const std::string& peer, int timeoutMs, void*& handle)
{
    netsnmp_session s;
    snmp_sess_init(&s);
    std::string peerCopy = peer;
    s.peername = peerCopy.data();
    s.retries = 0;
    s.timeout = static_cast<long>(timeoutMs) * 1000L;
    QByteArray community, user;
    if (const auto* v1 = dynamic_cast<const CSnmpV1*>(&settings)) {
        s.version = SNMP_VERSION_1;
        community = v1->community();
        s.community = reinterpret_cast<u_char*>(community.data());
        s.community_len = static_cast<size_t>(community.size());
    } else if (const auto* v3 = dynamic_cast<const CSnmpV3*>(&settings)) {
        if (v3->securityModel() != 3)
            return kSnmpFailed;
        s.version = SNMP_VERSION_3;
        user = v3->userName();
        s.securityName = user.data();
        s.securityNameLen = static_cast<size_t>(user.size());
        s.securityModel = USM_SEC_MODEL_NUMBER;
        if (v3->msgMaxSize() > 0)
            s.rcvMsgMaxSize = static_cast<size_t>(v3->msgMaxSize());
        switch (v3->msgFlags()) {
        case 0: s.securityLevel = SNMP_SEC_LEVEL_NOAUTH; break;
        case 1: s.securityLevel = SNMP_SEC_LEVEL_AUTHNOPRIV; break;
        default: s.securityLevel = SNMP_SEC_LEVEL_AUTHPRIV; break;
        }
        if (s.securityLevel != SNMP_SEC_LEVEL_NOAUTH) {
            if (v3->authArith() == 1) {
                s.securityAuthProto = usmHMACSHA1AuthProtocol;
                s.securityAuthProtoLen = USM_AUTH_PROTO_SHA_LEN;
            } else {
                s.securityAuthProto = usmHMACMD5AuthProtocol;
                s.securityAuthProtoLen = USM_AUTH_PROTO_MD5_LEN;
            }
            QByteArray pwd = v3->authPwd();
            s.securityAuthKeyLen = sizeof(s.securityAuthKey);
            if (generate_Ku(s.securityAuthProto, static_cast<u_int>(s.securityAuthProtoLen),
                            reinterpret_cast<const u_char*>(pwd.constData()), static_cast<size_t>(pwd.size()),
                            s.securityAuthKey, &s.securityAuthKeyLen) != SNMPERR_SUCCESS)
                return kSnmpFailed;
        }
        if (s.securityLevel == SNMP_SEC_LEVEL_AUTHPRIV) {
            if (v3->priArith() == 1) {
                s.securityPrivProto = usmAESPrivProtocol;
                s.securityPrivProtoLen = USM_PRIV_PROTO_AES_LEN;
            } else {
                s.securityPrivProto = usmDESPrivProtocol;
                s.securityPrivProtoLen = USM_PRIV_PROTO_DES_LEN;
            }
            QByteArray pwd = v3->priPwd();
            s.securityPrivKeyLen = sizeof(s.securityPrivKey);
            if (generate_Ku(s.securityAuthProto, static_cast<u_int>(s.securityAuthProtoLen),
                            reinterpret_cast<const u_char*>(pwd.constData()), static_cast<size_t>(pwd.size()),
                            s.securityPrivKey, &s.securityPrivKeyLen) != SNMPERR_SUCCESS)
                return kSnmpFailed;
        }
    } else {
        return kSnmpFailed;
    }

    std::lock_guard lock(LibraryMutex());
    if (s.version == SNMP_VERSION_3 && s.securityLevel != SNMP_SEC_LEVEL_NOAUTH)
        DropStaleUsers(s);
    handle = snmp_sess_open(&s);
    if (!handle) {
        int liberr = 0, syserr = 0;
        char* text = nullptr;
        snmp_error(&s, &liberr, &syserr, &text);
        std::free(text);
        return liberr == SNMPERR_TIMEOUT ? kSnmpTimeout : kSnmpFailed;
    }
    return kSnmpOk;
}

void CloseSession(void* handle)
{
    if (!handle)
        return;
    std::lock_guard lock(LibraryMutex());
    snmp_sess_close(handle);
}

bool AddVar(netsnmp_pdu* pdu, const SnmpVarBind& vb)
{
    const std::vector<oid> name = ToNetOid(vb.oid);
    switch (vb.type) {
    case kSnmpTypeNull:
        return snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_NULL, nullptr, 0) != nullptr;
    case kSnmpTypeOctetString:
        return snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_OCTET_STR, vb.bytes.constData(),
                                     static_cast<size_t>(vb.bytes.size())) != nullptr;
    case kSnmpTypeIpAddress:
        return vb.bytes.size() == 4
            && snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_IPADDRESS, vb.bytes.constData(), 4) != nullptr;
    case kSnmpTypeInteger: {
        long v = static_cast<long>(vb.number);
        return snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_INTEGER, &v, sizeof v) != nullptr;
    }
    case kSnmpTypeCounter32:
    case kSnmpTypeUnsigned32:
    case kSnmpTypeTimeTicks: {
        u_long v = static_cast<u_long>(vb.number);
        const u_char asn = vb.type == kSnmpTypeCounter32 ? ASN_COUNTER
            : vb.type == kSnmpTypeTimeTicks               ? ASN_TIMETICKS
                                                          : ASN_UNSIGNED;
        return snmp_pdu_add_variable(pdu, name.data(), name.size(), asn, &v, sizeof v) != nullptr;
    }
    case kSnmpTypeObjectId: {
        const std::vector<oid> value = ToNetOid(vb.oidValue);
        return snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_OBJECT_ID, value.data(),
                                     value.size() * sizeof(oid)) != nullptr;
    }
    default:
        return false;
    }
}

bool ConvertVar(const netsnmp_variable_list* v, SnmpVarBind& vb)
{
    vb.oid = FromNetOid(v->name, v->name_length);
    switch (v->type) {
    case ASN_INTEGER:
        vb.type = kSnmpTypeInteger;
        vb.number = v->val.integer ? *v->val.integer : 0;
        break;
    case ASN_OCTET_STR:
    case ASN_OPAQUE:
        vb.type = v->type == ASN_OCTET_STR ? kSnmpTypeOctetString : kSnmpTypeOpaque;
        vb.bytes = QByteArray(reinterpret_cast<const char*>(v->val.string), static_cast<qsizetype>(v->val_len));
        break;
    case ASN_NULL:
        vb.type = kSnmpTypeNull;
        break;
    case ASN_OBJECT_ID:
        vb.type = kSnmpTypeObjectId;
        vb.oidValue = FromNetOid(v->val.objid, v->val_len / sizeof(oid));
        break;
    case ASN_IPADDRESS:
        vb.type = kSnmpTypeIpAddress;
        vb.bytes = QByteArray(reinterpret_cast<const char*>(v->val.string),
                              static_cast<qsizetype>(std::min<size_t>(v->val_len, 4)));
        break;
    case ASN_COUNTER:
    case ASN_UNSIGNED:
    case ASN_TIMETICKS:
        vb.type = v->type == ASN_COUNTER ? kSnmpTypeCounter32
            : v->type == ASN_TIMETICKS   ? kSnmpTypeTimeTicks
                                         : kSnmpTypeUnsigned32;
        vb.number = v->val.integer ? static_cast<std::uint32_t>(*v->val.integer) : 0;
        break;
    case ASN_COUNTER64:
        vb.type = kSnmpTypeCounter64;
        if (v->val.counter64)
            vb.number64 = (static_cast<std::uint64_t>(v->val.counter64->high) << 32) | v->val.counter64->low;
        break;
    case SNMP_NOSUCHOBJECT:
        vb.type = kSnmpTypeNoSuchObject;
        break;
    case SNMP_NOSUCHINSTANCE:
        vb.type = kSnmpTypeNoSuchInstance;
        break;
    case SNMP_ENDOFMIBVIEW:
        vb.type = kSnmpTypeEndOfMibView;
        break;
    default:
        // Some other application type: keep its raw bytes.
        vb.type = kSnmpTypeOpaque;
        if (v->val.string)
            vb.bytes = QByteArray(reinterpret_cast<const char*>(v->val.string), static_cast<qsizetype>(v->val_len));
        break;
    }
    return true;
}

// Worker threads: started on demand, each waits up to a minute for new work before it ends.
class WorkerPool {
public:
    ~WorkerPool()
    {
        std::unique_lock lock(m_mutex);
        m_bStop = true;
        m_cv.notify_all();
        m_cvIdle.wait(lock, [this] { return m_nThreads == 0; });
    }

    void post(std::function<void()> job)
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        if (m_nIdle > 0) {
            m_cv.notify_one();
            return;
        }
        ++m_nThreads;
        std::thread([this] { loop(); }).detach();
    }

private:
    void loop()
    {
        std::unique_lock lock(m_mutex);
        while (true) {
            if (m_jobs.empty()) {
                if (m_bStop)
                    break;
                ++m_nIdle;
                const bool woke = m_cv.wait_for(lock, std::chrono::seconds(60),
                                                [this] { return !m_jobs.empty() || m_bStop; });
                --m_nIdle;
                if (!woke)
                    break;
                continue;
            }
            auto job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
        }
        --m_nThreads;
        m_cvIdle.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_cv, m_cvIdle;
    std::deque<std::function<void()>> m_jobs;
    int m_nThreads = 0;
    int m_nIdle = 0;
    bool m_bStop = false;
};

} // namespace

SessionCache::~SessionCache()
{
    close();
}

void SessionCache::close()
{
    CloseSession(handle);
    handle = nullptr;
    key.clear();
}

int Transact(const CSnmp& settings, int pduType, const std::vector<SnmpVarBind>& vars, const char* host,
             int timeoutMs, SessionCache* cache, std::unique_ptr<CSnmp>& reply)
{
    reply.reset();
    if (vars.empty() || !host || !*host)
        return kSnmpFailed;
    if (timeoutMs <= 0)
        timeoutMs = 1;
    InitLibrary();

    std::unique_lock<std::timed_mutex> v3Turn(V3Mutex(), std::defer_lock);
    if (settings.version() == 3 && !v3Turn.try_lock_for(std::chrono::milliseconds(timeoutMs)))
        return kSnmpTimeout;

    SessionCache local;
    SessionCache& session = cache ? *cache : local;
    const std::string peer = Peer(host);
    const std::string key = SessionKey(settings, peer);
    if (session.handle && session.key != key)
        session.close();
    if (!session.handle) {
        void* handle = nullptr;
        const int rc = OpenSession(settings, peer, timeoutMs, handle);
        if (rc != kSnmpOk)
            return rc;
        session.handle = handle;
        session.key = key;
    }
    if (netsnmp_session* ss = snmp_sess_session(session.handle))
        ss->timeout = static_cast<long>(timeoutMs) * 1000L;

    const int type = pduType == kSnmpPduGetNext ? SNMP_MSG_GETNEXT : pduType == kSnmpPduSet ? SNMP_MSG_SET : SNMP_MSG_GET;
    netsnmp_pdu* pdu = snmp_pdu_create(type);
    if (!pdu)
        return kSnmpFailed;
    for (const SnmpVarBind& vb : vars) {
        if (!AddVar(pdu, vb)) {
            snmp_free_pdu(pdu);
            return kSnmpFailed;
        }
    }
    netsnmp_pdu* response = nullptr;
    const int status = snmp_sess_synch_response(session.handle, pdu, &response);  // frees pdu
    if (status != STAT_SUCCESS || !response) {
        if (response)
            snmp_free_pdu(response);
        // SNMPv3 discovery that got no answer ends in STAT_ERROR with the time-out as the reason.
        const netsnmp_session* ss = snmp_sess_session(session.handle);
        const bool timedOut = status == STAT_TIMEOUT || (ss && ss->s_snmp_errno == SNMPERR_TIMEOUT);
        // A broken session (for instance after an SNMPv3 report) is opened afresh next time.
        session.close();
        return timedOut ? kSnmpTimeout : kSnmpFailed;
    }
    auto out = settings.cloneSettings();
    out->setType(pduType);
    for (const netsnmp_variable_list* v = response->variables; v; v = v->next_variable) {
        SnmpVarBind vb;
        ConvertVar(v, vb);
        out->addVarBind(std::move(vb));
    }
    out->setErrorInfo(static_cast<int>(response->errstat), static_cast<int>(response->errindex));
    snmp_free_pdu(response);
    reply = std::move(out);
    return kSnmpOk;
}

int CheckPlainReply(int pduType, std::unique_ptr<CSnmp>& reply)
{
    int status = 0, index = 0;
    reply->getErrorInfo(status, index);
    if (status != 0) {
        reply.reset();
        return status;
    }
    if (pduType == kSnmpPduGet) {
        for (const SnmpVarBind& vb : reply->varBinds()) {
            if (vb.type == kSnmpTypeNoSuchObject || vb.type == kSnmpTypeNoSuchInstance
                || vb.type == kSnmpTypeEndOfMibView) {
                reply.reset();
                return SNMP_ERR_NOSUCHNAME;
            }
        }
    }
    return kSnmpOk;
}

void RunOnWorker(std::function<void()> job)
{
    // The library (and OpenSSL under it) is set up before the pool exists, so at exit the pool's
    // threads end before OpenSSL's own clean-up runs and their per-thread state is freed.
    InitLibrary();
    static WorkerPool pool;
    pool.post(std::move(job));
}

int NextRequestId()
{
    static std::atomic<int> counter{0};
    int id = ++counter;
    if (id <= 0) {
        counter = 1;
        id = 1;
    }
    return id;
}

} // namespace snmpengine
