// The table walker and synchronous message sends.
#include "snmp/engine/Snmp.h"
#include "snmp/engine/SnmpTransport.h"

#include <algorithm>
#include <mutex>
#include <string>

using namespace snmpengine;

// Position of a walk: per column its OID, the OID last returned and whether it has ended. Shared
// with asynchronous steps so that a step may outlive its walker.
struct SnmpWalkState {
    std::mutex mutex;  // one step at a time
    SessionCache session;
    bool initialised = false;
    std::uint64_t revision = 0;
    std::vector<std::vector<std::uint32_t>> roots;
    std::vector<std::vector<std::uint32_t>> current;
    std::vector<bool> ended;
};

namespace {

constexpr int kNoSuchName = 2;

bool IsPrefix(const std::vector<std::uint32_t>& root, const std::vector<std::uint32_t>& oid)
{
    return oid.size() > root.size() && std::equal(root.begin(), root.end(), oid.begin());
}

bool IsException(int type)
{
    return type == kSnmpTypeNoSuchObject || type == kSnmpTypeNoSuchInstance || type == kSnmpTypeEndOfMibView;
}

int Step(SnmpWalkState& state, const CSnmp& message, const std::string& host, int timeoutMs,
         std::unique_ptr<CSnmp>& reply)
{
    std::lock_guard lock(state.mutex);
    reply.reset();
    if (message.getValuesCount() == 0)
        return kSnmpFailed;
    if (message.getType() != kSnmpPduGetNext) {
        const int rc = Transact(message, message.getType(), message.varBinds(), host.c_str(), timeoutMs,
                                &state.session, reply);
        return rc == kSnmpOk ? CheckPlainReply(message.getType(), reply) : rc;
    }
    if (!state.initialised || state.revision != message.revision()) {
        state.initialised = true;
        state.revision = message.revision();
        state.roots.clear();
        for (const SnmpVarBind& vb : message.varBinds())
            state.roots.push_back(vb.oid);
        state.current = state.roots;
        state.ended.assign(state.roots.size(), false);
    }

    // Each pass either returns or ends one more column, so this runs at most once per column + 1.
    while (true) {
        std::vector<std::size_t> active;
        for (std::size_t i = 0; i < state.ended.size(); ++i)
            if (!state.ended[i])
                active.push_back(i);
        if (active.empty())
            return kSnmpEndOfTable;
        std::vector<SnmpVarBind> vars;
        for (std::size_t col : active) {
            SnmpVarBind vb;
            vb.oid = state.current[col];
            vars.push_back(std::move(vb));
        }
        std::unique_ptr<CSnmp> answer;
        const int rc = Transact(message, kSnmpPduGetNext, vars, host.c_str(), timeoutMs, &state.session, answer);
        if (rc != kSnmpOk)
            return rc;
        int status = 0, index = 0;
        answer->getErrorInfo(status, index);
        if (status == kNoSuchName && message.version() == 1) {
            // SNMPv1 end of the MIB for the binding named by the error index.
            if (index < 1 || static_cast<std::size_t>(index) > active.size()) {
                std::fill(state.ended.begin(), state.ended.end(), true);
                return kSnmpEndOfTable;
            }
            state.ended[active[static_cast<std::size_t>(index - 1)]] = true;
            continue;
        }
        if (status != 0)
            return status;
        if (static_cast<std::size_t>(answer->getValuesCount()) != active.size())
            return kSnmpFailed;

        auto row = message.cloneSettings();
        row->setType(kSnmpPduGetNext);
        for (std::size_t i = 0; i < active.size(); ++i) {
            const std::size_t col = active[i];
            SnmpVarBind vb = answer->varBinds()[i];
            if (IsException(vb.type) || !IsPrefix(state.roots[col], vb.oid) || !(vb.oid > state.current[col])) {
                state.ended[col] = true;
                continue;
            }
            state.current[col] = vb.oid;
            vb.column = state.roots[col];
            row->addVarBind(std::move(vb));
        }
        if (row->getValuesCount() == 0)
            return kSnmpEndOfTable;
        reply = std::move(row);
        return kSnmpOk;
    }
}

} // namespace

int CSnmp::send(const char* host, std::unique_ptr<CSnmp>& reply, int timeoutMs)
{
    reply.reset();
    if (getValuesCount() == 0)
        return kSnmpFailed;
    const int rc = Transact(*this, m_nType, m_vars, host, timeoutMs, nullptr, reply);
    return rc == kSnmpOk ? CheckPlainReply(m_nType, reply) : rc;
}

CSnmpTable::CSnmpTable(CSnmp* message)
    : m_pSnmp(message), m_state(std::make_shared<SnmpWalkState>())
{
}

CSnmpTable::~CSnmpTable() = default;

int CSnmpTable::getNext(const char* host, std::unique_ptr<CSnmp>& reply, int timeoutMs)
{
    reply.reset();
    if (!m_pSnmp || m_pSnmp->getValuesCount() == 0)
        return kSnmpFailed;
    return Step(*m_state, *m_pSnmp, host ? host : "", timeoutMs, reply);
}

int CSnmpTable::getNext(const char* host, SnmpCallback callback, void* user, int timeoutMs)
{
    if (!m_pSnmp || m_pSnmp->getValuesCount() == 0 || !callback)
        return -1;
    const int id = NextRequestId();
    m_pSnmp->setRequestID(id);
    std::shared_ptr<CSnmp> snapshot = m_pSnmp->clone();
    RunOnWorker([state = m_state, snapshot, hostText = std::string(host ? host : ""), callback, user, timeoutMs, id] {
        std::unique_ptr<CSnmp> reply;
        const int rc = Step(*state, *snapshot, hostText, timeoutMs, reply);
        if (rc == kSnmpOk)
            callback(reply.release(), id, user, 0);
        else
            callback(nullptr, id, user, rc);
    });
    return 0;
}

int CSnmpTable::getSuffix(int column, const CSnmp* reply, QString& suffix) const
{
    suffix.clear();
    if (!reply || column < 0 || column >= reply->getValuesCount())
        return -1;
    const SnmpVarBind& vb = reply->varBinds()[static_cast<std::size_t>(column)];
    if (vb.column.empty() || !IsPrefix(vb.column, vb.oid))
        return -1;
    for (std::size_t i = vb.column.size(); i < vb.oid.size(); ++i)
        suffix += QLatin1Char('.') + QString::number(vb.oid[i]);
    return 0;
}
