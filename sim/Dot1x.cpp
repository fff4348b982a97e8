#include "sim/Dot1x.h"

#include "sim/Trunk.h"

namespace tqxsim {

namespace oids {
const Oid dot1xState = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 11, 2, 1, 0};
const Oid dot1xRadiusServer = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 11, 1, 1, 0};
const Oid dot1xRadiusKey = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 11, 1, 2, 0};
const Oid dot1xPortEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 11, 2, 9, 1};
} // namespace oids

namespace {

constexpr int kEnabled = 1, kDisabled = 2;

Oid Global(std::uint32_t n) { return {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 11, 2, n, 0}; }

Oid PortCell(std::uint32_t column, int port)
{
    Oid o = oids::dot1xPortEntry;
    o.push_back(column);
    o.push_back(static_cast<std::uint32_t>(port));
    return o;
}

struct Timer {
    Dot1xGlobal n;
    std::int64_t min, max, initial;
};
// The authenticator's timers and counts with their ranges and factory values (IEEE 802.1X defaults).
const Timer kTimers[] = {
    {dot1xQuietPeriod, 0, 65535, 60}, {dot1xTxPeriod, 1, 65535, 30}, {dot1xSuppTimeout, 1, 65535, 30},
    {dot1xServerTimeout, 1, 65535, 30}, {dot1xMaxReq, 1, 10, 2}, {dot1xReAuthPeriod, 1, 4294967295LL, 3600},
};

} // namespace

void CDot1xFeature::AddDefaults(ObjectMap& objects, const ModelInfo&) const
{
    objects.emplace(oids::dot1xState, Value::Integer(kDisabled));
    Value none;
    none.tag = Tag::IpAddress;
    none.bytes = std::string(4, '\0');
    objects.emplace(oids::dot1xRadiusServer, none);
    objects.emplace(oids::dot1xRadiusKey, Value::Text(""));
    for (const Timer& t : kTimers)
        objects.emplace(Global(t.n), t.n == dot1xReAuthPeriod ? Value::Unsigned(Tag::Gauge32, static_cast<std::uint32_t>(t.initial))
                                                              : Value::Integer(t.initial));
    objects.emplace(Global(dot1xReAuthEnabled), Value::Integer(kDisabled));
    for (int p = 1; p <= m_nPorts; ++p) {
        objects.emplace(PortCell(dot1xPortControl, p), Value::Integer(kForceAuthorized));
        objects.emplace(PortCell(dot1xPortStatus, p), Value::Integer(kAuthorized));
    }
}

bool CDot1xFeature::Handles(const Oid& oid) const
{
    if (oid == oids::dot1xState || oid == oids::dot1xRadiusServer || oid == oids::dot1xRadiusKey ||
        oid == Global(dot1xReAuthEnabled))
        return true;
    for (const Timer& t : kTimers)
        if (oid == Global(t.n))
            return true;
    return oid.size() == oids::dot1xPortEntry.size() + 2 && OidHasPrefix(oid, oids::dot1xPortEntry);
}

SetError CDot1xFeature::CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const
{
    auto it = objects.find(oid);
    if (it == objects.end())
        return SetError::NoCreation;
    if (value.tag != it->second.tag)
        return SetError::WrongType;
    const auto in = [&](std::int64_t lo, std::int64_t hi) {
        return value.number >= lo && value.number <= hi ? SetError::None : SetError::WrongValue;
    };
    if (oid == oids::dot1xState || oid == Global(dot1xReAuthEnabled))
        return in(kEnabled, kDisabled);
    if (oid == oids::dot1xRadiusKey)
        return value.bytes.size() <= kMaxKeyBytes ? SetError::None : SetError::WrongLength;
    if (oid == oids::dot1xRadiusServer) {
        // A host address, or 0.0.0.0 for none.
        if (value.bytes.size() != 4)
            return SetError::WrongLength;
        const auto first = static_cast<unsigned char>(value.bytes[0]), last = static_cast<unsigned char>(value.bytes[3]);
        const bool none = value.bytes == std::string(4, '\0');
        return none || (first != 0 && first < 224 && last != 0 && last != 255) ? SetError::None : SetError::WrongValue;
    }
    for (const Timer& t : kTimers)
        if (oid == Global(t.n))
            return in(t.min, t.max);
    if (oid[oids::dot1xPortEntry.size()] != dot1xPortControl)
        return SetError::NotWritable;
    if (SetError e = in(kForceUnauthorized, kForceAuthorized); e != SetError::None)
        return e;
    const int port = static_cast<int>(oid.back());
    // A trunk's members are never authenticated one by one.
    if (value.number != kForceAuthorized)
        for (const auto& trunk : TrunkMembers(objects, request))
            if (trunk.count(port))
                return SetError::InconsistentValue;
    // Some port stays open for managing the switch.
    for (int p = 1; p <= m_nPorts; ++p) {
        const Oid cell = PortCell(dot1xPortControl, p);
        auto written = request.find(cell);
        auto stored = objects.find(cell);
        const auto control = written != request.end() ? written->second.number
                                                      : stored != objects.end() ? stored->second.number : kForceAuthorized;
        if (control == kForceAuthorized)
            return SetError::None;
    }
    return SetError::InconsistentValue;
}

void CDot1xFeature::Follow(ObjectMap& objects) const
{
    auto state = objects.find(oids::dot1xState);
    const bool running = state != objects.end() && state->second.number == kEnabled;
    for (int p = 1; p <= m_nPorts; ++p) {
        auto control = objects.find(PortCell(dot1xPortControl, p));
        const bool open = !running || control == objects.end() || control->second.number == kForceAuthorized;
        objects[PortCell(dot1xPortStatus, p)] = Value::Integer(open ? kAuthorized : kUnauthorized);
    }
}

} // namespace tqxsim
