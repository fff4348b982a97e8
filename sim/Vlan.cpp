#include "sim/Vlan.h"

#include "sim/PortBitmap.h"

#include <algorithm>

namespace tqxsim {

namespace oids {
const Oid vlanEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 7, 6, 1};
const Oid vlanPvid = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 7, 7, 1, 1};
const Oid vlanAsymmetric = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 7, 5, 0};
const Oid voiceVlanState = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 21, 1, 2, 0};
const Oid voiceVlanId = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 21, 1, 3, 0};
const Oid surveillanceState = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 26, 1, 1, 0};
const Oid surveillanceId = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 26, 1, 2, 0};
} // namespace oids

namespace {

constexpr int kEnabled = 1, kDisabled = 2;

// The value of a scalar as it will be after request.
std::int64_t NumberAfter(const ObjectMap& objects, const ObjectMap& request, const Oid& oid, std::int64_t fallback)
{
    if (auto it = request.find(oid); it != request.end())
        return it->second.number;
    if (auto it = objects.find(oid); it != objects.end())
        return it->second.number;
    return fallback;
}

Oid At(const Oid& column, std::uint32_t index)
{
    Oid o = column;
    o.push_back(index);
    return o;
}

RowTableInfo VlanTable(int portCount)
{
    // A port list names only the device's ports.
    auto portList = [portCount](const Value& v) {
        return WithinPorts(v.bytes, portCount) ? SetError::None : SetError::WrongValue;
    };
    const Value noPorts = Value::Text(std::string(BitmapBytes(portCount), '\0'));
    RowTableInfo t;
    t.entry = oids::vlanEntry;
    t.statusColumn = vlanRowStatus;
    t.maxRows = CVlanFeature::kMaxVlans;
    t.columns = {
        {vlanName, Tag::OctetString, 0, 0, 0, CVlanFeature::kMaxNameBytes, Value::Text(""), true, false, nullptr},
        {vlanEgress, Tag::OctetString, 0, 0, 0, kMaxBitmapBytes, noPorts, true, false, portList},
        {vlanForbidden, Tag::OctetString, 0, 0, 0, kMaxBitmapBytes, noPorts, true, false, portList},
        {vlanUntagged, Tag::OctetString, 0, 0, 0, kMaxBitmapBytes, noPorts, true, false, portList},
        {vlanRowStatus, Tag::Integer, kActive, kDestroy, 0, 0, Value::Integer(kNotInService), true, false, nullptr},
    };
    t.validIndex = [](const Oid& index) { return index.size() == 1 && index[0] >= 1 && index[0] <= 4094; };
    // Untagged ports are egress ports, and no egress port is forbidden.
    t.consistent = [](const Oid&, const Row& row) {
        auto ports = [&](std::uint32_t c) {
            auto it = row.find(c);
            return it == row.end() ? std::set<int>() : PortsOf(it->second.bytes);
        };
        const auto egress = ports(vlanEgress);
        const auto untagged = ports(vlanUntagged);
        const auto forbidden = ports(vlanForbidden);
        if (!std::includes(egress.begin(), egress.end(), untagged.begin(), untagged.end()))
            return SetError::InconsistentValue;
        for (int p : forbidden)
            if (egress.count(p))
                return SetError::InconsistentValue;
        return SetError::None;
    };
    // The default VLAN is always there and always active, and so is the surveillance VLAN while it
    // is enabled.
    t.mayLeave = [](const ObjectMap& objects, const Oid& index, int) {
        auto state = objects.find(oids::surveillanceState);
        auto id = objects.find(oids::surveillanceId);
        const bool surveillance = state != objects.end() && state->second.number == kEnabled && id != objects.end() &&
                                  index == Oid{static_cast<std::uint32_t>(id->second.number)};
        return index == Oid{1} || surveillance ? SetError::InconsistentValue : SetError::None;
    };
    return t;
}

} // namespace

CVlanFeature::CVlanFeature(int portCount) : m_nPorts(portCount), m_table(VlanTable(portCount)) {}

void CVlanFeature::Reset(ObjectMap& objects) const
{
    for (const Oid& index : m_table.Indexes(objects))
        m_table.Erase(objects, index);
    std::set<int> all;
    for (int p = 1; p <= m_nPorts; ++p)
        all.insert(p);
    const Value every = Value::Text(BitmapOf(all, BitmapBytes(m_nPorts)));
    m_table.Write(objects, {1}, {{vlanName, Value::Text("default")}, {vlanEgress, every}, {vlanUntagged, every},
                                 {vlanRowStatus, Value::Integer(kActive)}});
    for (int p = 1; p <= m_nPorts; ++p)
        objects[At(oids::vlanPvid, static_cast<std::uint32_t>(p))] = Value::Unsigned(Tag::Gauge32, 1);
}

void CVlanFeature::AddDefaults(ObjectMap& objects, const ModelInfo&) const
{
    if (m_table.Indexes(objects).empty())
        Reset(objects);
    for (const auto& [oid, v] : {std::pair{oids::vlanAsymmetric, kDisabled}, {oids::voiceVlanState, kDisabled},
                                 {oids::voiceVlanId, 1}})
        objects.emplace(oid, Value::Integer(v));
}

bool CVlanFeature::Handles(const Oid& oid) const
{
    return m_table.Handles(oid) || (OidHasPrefix(oid, oids::vlanPvid) && oid.size() == oids::vlanPvid.size() + 1) ||
           oid == oids::vlanAsymmetric || oid == oids::voiceVlanState || oid == oids::voiceVlanId;
}

SetError CVlanFeature::CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const
{
    if (m_table.Handles(oid))
        return m_table.CheckSet(objects, oid, value, request);
    auto it = objects.find(oid);
    if (it == objects.end())
        return SetError::NoCreation;
    if (value.tag != it->second.tag)
        return SetError::WrongType;
    if (OidHasPrefix(oid, oids::vlanPvid)) {
        // A port's VLAN id names an active VLAN that has member ports.
        if (value.number < 1 || value.number > 4094)
            return SetError::WrongValue;
        const Oid vlan = {static_cast<std::uint32_t>(value.number)};
        if (!m_table.Exists(objects, vlan) && !request.count(m_table.Cell(vlanRowStatus, vlan)))
            return SetError::InconsistentValue;
        const Row row = m_table.After(objects, vlan, request);
        auto status = row.find(vlanRowStatus);
        auto egress = row.find(vlanEgress);
        if (status == row.end() || status->second.number != kActive || egress == row.end() ||
            PortsOf(egress->second.bytes).empty())
            return SetError::InconsistentValue;
        return SetError::None;
    }
    if (oid == oids::voiceVlanId)
        return value.number >= 1 && value.number <= 4094 ? SetError::None : SetError::WrongValue;
    if (value.number != kEnabled && value.number != kDisabled)
        return SetError::WrongValue;
    // Asymmetric VLANs do not go together with the voice or the surveillance VLAN (whose own writes the
    // surveillance feature checks).
    const bool asymmetric = NumberAfter(objects, request, oids::vlanAsymmetric, kDisabled) == kEnabled;
    const bool voice = NumberAfter(objects, request, oids::voiceVlanState, kDisabled) == kEnabled;
    const bool surveillance = NumberAfter(objects, request, oids::surveillanceState, kDisabled) == kEnabled;
    if (asymmetric && (voice || surveillance))
        return SetError::InconsistentValue;
    return SetError::None;
}

void CVlanFeature::Committed(ObjectMap& objects, const Oid& oid)
{
    if (oid == oids::vlanAsymmetric) {
        // Switching the VLAN mode resets the VLANs to the factory default.
        Reset(objects);
        return;
    }
    if (!m_table.Handles(oid))
        return;
    m_table.Committed(objects, oid);
    const Oid index(oid.begin() + static_cast<long>(oids::vlanEntry.size()) + 1, oid.end());
    if (index.size() != 1 || m_table.Exists(objects, index))
        return;
    // The ports of a VLAN that is gone return to the default VLAN.
    for (auto it = objects.upper_bound(oids::vlanPvid); it != objects.end() && OidHasPrefix(it->first, oids::vlanPvid); ++it)
        if (it->second.number == index[0])
            it->second.number = 1;
}

} // namespace tqxsim
