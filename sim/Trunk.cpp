#include "sim/Trunk.h"

#include "sim/PortBitmap.h"

namespace tqxsim {

namespace oids {
const Oid trunkState = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 8, 1, 2, 0};
const Oid trunkEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 8, 1, 3, 1};
} // namespace oids

namespace {

const Oid kVendor = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10};

Oid V(std::initializer_list<std::uint32_t> arcs)
{
    Oid o = kVendor;
    o.insert(o.end(), arcs);
    return o;
}

Oid At(const Oid& column, std::uint32_t index)
{
    Oid o = column;
    o.push_back(index);
    return o;
}

} // namespace

std::vector<std::set<int>> TrunkMembers(const ObjectMap& objects, const ObjectMap& request)
{
    std::vector<std::set<int>> trunks;
    const Oid column = At(oids::trunkEntry, trunkMembers);
    for (auto it = objects.upper_bound(column); it != objects.end() && OidHasPrefix(it->first, column); ++it) {
        auto written = request.find(it->first);
        auto ports = PortsOf(written != request.end() ? written->second.bytes : it->second.bytes);
        if (!ports.empty())
            trunks.push_back(std::move(ports));
    }
    return trunks;
}

bool SplitsTrunk(const std::set<int>& ports, const std::vector<std::set<int>>& trunks)
{
    for (const auto& trunk : trunks) {
        size_t in = 0;
        for (int p : trunk)
            in += ports.count(p);
        if (in != 0 && in != trunk.size())
            return true;
    }
    return false;
}

void CTrunkFeature::AddDefaults(ObjectMap& objects, const ModelInfo& model) const
{
    auto put = [&](const Oid& oid, const Value& v) { objects.emplace(oid, v); };
    const std::string noPorts(BitmapBytes(m_nPorts), '\0');
    std::set<int> all;
    for (int p = 1; p <= m_nPorts; ++p)
        all.insert(p);
    put(oids::trunkState, Value::Integer(1));
    for (std::uint32_t t = 1; t <= kTrunks; ++t) {
        put(At(At(oids::trunkEntry, trunkIndex), t), Value::Integer(t));
        put(At(At(oids::trunkEntry, trunkMembers), t), Value::Text(noPorts));
        put(At(At(oids::trunkEntry, trunkMode), t), Value::Integer(2)); // static
    }
    // What else a trunk's members must agree on, at its factory setting, one row per port (the STP
    // port settings are the spanning-tree feature's).
    struct PortSetting {
        Oid column;
        std::int64_t value;
    };
    const PortSetting settings[] = {
        {V({14, 2, 1, 1, 2}), 2},   // port security: disabled
        {V({17, 4, 1, 2}), 2},      // loop detection: disabled
        {V({13, 1, 2, 1, 2}), 0},   // rate control, ingress: no limit
        {V({13, 1, 2, 1, 3}), 0},   // rate control, egress: no limit
        {V({11, 2, 9, 1, 2}), 3},   // 802.1X port access control: forceAuthorized
        {V({21, 1, 6, 1, 2}), 2},   // voice VLAN port mode: manual
        {V({26, 1, 5, 1, 2}), 2},   // surveillance VLAN port mode: manual
        {V({26, 1, 5, 1, 3}), 1},   // surveillance VLAN port: static member
    };
    for (int p = 1; p <= m_nPorts; ++p)
        for (const auto& s : settings)
            put(At(s.column, static_cast<std::uint32_t>(p)), Value::Integer(s.value));
    put(V({11, 2, 1, 0}), Value::Integer(2));                     // 802.1X: disabled
    put(V({18, 1, 0}), Value::Integer(2));                        // port mirroring: disabled
    put(V({18, 2, 0}), Value::Integer(1));                        // mirroring target port
    put(V({18, 3, 0}), Value::Text(noPorts));                     // mirrored ports, ingress
    put(V({18, 4, 0}), Value::Text(noPorts));                     // mirrored ports, egress
    put(V({9, 2, 0}), Value::Text(BitmapOf(all, noPorts.size()))); // address learning: every port
    put(V({14, 7, 1, 0}), Value::Text(noPorts));                  // DHCP server screening ports: none
    (void)model;
}

bool CTrunkFeature::Handles(const Oid& oid) const
{
    return oid == oids::trunkState || (OidHasPrefix(oid, oids::trunkEntry) && oid.size() == oids::trunkEntry.size() + 2);
}

SetError CTrunkFeature::CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const
{
    auto it = objects.find(oid);
    if (it == objects.end())
        return SetError::NoCreation;
    if (value.tag != it->second.tag)
        return SetError::WrongType;
    if (oid == oids::trunkState)
        return value.number == 1 || value.number == 2 ? SetError::None : SetError::WrongValue;
    switch (oid[oids::trunkEntry.size()]) {
    case trunkMode:
        return value.number >= 1 && value.number <= 3 ? SetError::None : SetError::WrongValue;
    case trunkMembers:
        break;
    default:
        return SetError::NotWritable;
    }
    if (value.bytes.size() > kMaxBitmapBytes)
        return SetError::WrongLength;
    const auto ports = PortsOf(value.bytes);
    // An empty list takes the trunk apart; a trunk has 2 to 8 members of this device.
    if (!WithinPorts(value.bytes, m_nPorts) ||
        (!ports.empty() && (ports.size() < size_t(kMinMembers) || ports.size() > size_t(kMaxMembers))))
        return SetError::WrongValue;
    // A port belongs to one trunk at most, counting the other trunks as this request leaves them.
    const Oid column = At(oids::trunkEntry, trunkMembers);
    for (auto other = objects.upper_bound(column); other != objects.end() && OidHasPrefix(other->first, column); ++other) {
        if (other->first == oid)
            continue;
        auto written = request.find(other->first);
        for (int p : PortsOf(written != request.end() ? written->second.bytes : other->second.bytes))
            if (ports.count(p))
                return SetError::InconsistentValue;
    }
    return SetError::None;
}

} // namespace tqxsim
