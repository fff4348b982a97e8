// One request/answer exchange over net-snmp, and the engine's worker threads. Internal to the engine.
#pragma once

#include "snmp/engine/Snmp.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace snmpengine {

// A net-snmp session kept open between requests of one walker; reopened when the peer or the
// credentials change. Closed with the object.
class SessionCache {
public:
    SessionCache() = default;
    ~SessionCache();
    SessionCache(const SessionCache&) = delete;
    SessionCache& operator=(const SessionCache&) = delete;

    void* handle = nullptr;
    std::string key;
    void close();
};

// Sends vars (with settings' version, community or credentials and PDU type pduType) to host and
// waits at most timeoutMs. Returns 0 with reply set (reply carries the agent's error status, if any,
// in getErrorInfo), kSnmpTimeout or kSnmpFailed. cache may be null (a session for this call only).
int Transact(const CSnmp& settings, int pduType, const std::vector<SnmpVarBind>& vars, const char* host,
             int timeoutMs, SessionCache* cache, std::unique_ptr<CSnmp>& reply);

// Maps a GET/SET answer to the public result: 0, the error status, or 2 for missing objects.
int CheckPlainReply(int pduType, std::unique_ptr<CSnmp>& reply);

// Runs job on an engine worker thread (never the caller's).
void RunOnWorker(std::function<void()> job);

int NextRequestId();

} // namespace snmpengine
