#include "sim/Stp.h"

#include <algorithm>

namespace tqxsim {

namespace oids {
const Oid dot1dStp = {1, 3, 6, 1, 2, 1, 17, 2};
const Oid dot1dStpPortEntry = {1, 3, 6, 1, 2, 1, 17, 2, 15, 1};
const Oid stpState = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 6, 1, 1, 0};
const Oid stpVersion = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 6, 1, 2, 0};
const Oid stpPortEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 6, 2, 1};
} // namespace oids

namespace {

const Oid kBridgeAddress = {1, 3, 6, 1, 2, 1, 17, 1, 1, 0};
const Oid kIfEntry = {1, 3, 6, 1, 2, 1, 2, 2, 1};
const Oid kIfXEntry = {1, 3, 6, 1, 2, 1, 31, 1, 1, 1};
enum { ifSpeed = 5, ifOperStatus = 8, ifHighSpeed = 15 };

constexpr int kEnabled = 1, kDisabled = 2;
constexpr int kVersionStp = 0, kVersionRstp = 2;
// IEEE 802.1D: the hold time is fixed at one second; the bridge runs protocol 3, ieee8021d.
constexpr std::int64_t kHoldTime = 100;
constexpr int kIeee8021d = 3;

Oid Scalar(std::uint32_t n) { return {1, 3, 6, 1, 2, 1, 17, 2, n, 0}; }

Oid Cell(const Oid& entry, std::uint32_t column, std::uint32_t port)
{
    Oid o = entry;
    o.push_back(column);
    o.push_back(port);
    return o;
}

std::int64_t Number(const ObjectMap& objects, const Oid& oid, std::int64_t fallback)
{
    auto it = objects.find(oid);
    return it == objects.end() ? fallback : it->second.number;
}

// The value of oid once request is applied.
std::int64_t NumberAfter(const ObjectMap& objects, const ObjectMap& request, const Oid& oid, std::int64_t fallback)
{
    if (auto it = request.find(oid); it != request.end())
        return it->second.number;
    return Number(objects, oid, fallback);
}

// Sets the number of an object the feature keeps, adding it with tag when it is missing.
void Put(ObjectMap& objects, const Oid& oid, Tag tag, std::int64_t v)
{
    Value& x = objects[oid];
    x.tag = tag;
    x.number = v;
}

void PutBytes(ObjectMap& objects, const Oid& oid, std::string bytes)
{
    objects[oid] = Value::Text(std::move(bytes));
}

// The 8-octet bridge id: the priority in two octets, then the bridge address.
std::string BridgeId(const ObjectMap& objects)
{
    const auto priority = static_cast<std::uint32_t>(Number(objects, Scalar(stpPriority), 32768));
    std::string id = {static_cast<char>((priority >> 8) & 0xff), static_cast<char>(priority & 0xff)};
    auto address = objects.find(kBridgeAddress);
    std::string mac = address != objects.end() ? address->second.bytes : std::string();
    mac.resize(6, '\0');
    return id + mac;
}

// Whether oid is COLUMN.PORT below entry with a column in columns and a port of the device.
bool IsCell(const Oid& oid, const Oid& entry, std::initializer_list<std::uint32_t> columns, int ports)
{
    if (oid.size() != entry.size() + 2 || !OidHasPrefix(oid, entry))
        return false;
    const std::uint32_t port = oid.back();
    return std::find(columns.begin(), columns.end(), oid[entry.size()]) != columns.end() && port >= 1 &&
           port <= static_cast<std::uint32_t>(ports);
}

} // namespace

CStpFeature::CStpFeature(int portCount, std::function<std::uint32_t()> uptime)
    : m_nPorts(portCount), m_uptime(std::move(uptime))
{
}

std::vector<Oid> CStpFeature::WritableObjects()
{
    std::vector<Oid> writable = {Scalar(stpPriority), Scalar(stpBridgeMaxAge), Scalar(stpBridgeHelloTime),
                                 Scalar(stpBridgeForwardDelay)};
    for (std::uint32_t c : {stpPortPriority, stpPortEnable, stpPortPathCost, stpPortPathCost32}) {
        Oid column = oids::dot1dStpPortEntry;
        column.push_back(c);
        writable.push_back(column);
    }
    return writable;
}

std::int64_t CStpFeature::PathCostOfSpeed(std::int64_t mbps)
{
    if (mbps <= 0)
        return kMaxPathCost;
    return std::clamp<std::int64_t>(20000000 / mbps, 1, kMaxPathCost);
}

void CStpFeature::AddDefaults(ObjectMap& objects, const ModelInfo&) const
{
    auto put = [&](const Oid& oid, const Value& v) { objects.emplace(oid, v); };
    put(oids::stpState, Value::Integer(kDisabled));
    put(oids::stpVersion, Value::Integer(kVersionRstp));
    put(Scalar(stpProtocol), Value::Integer(kIeee8021d));
    put(Scalar(stpPriority), Value::Integer(32768));
    put(Scalar(stpTimeSinceTopologyChange), Value::Unsigned(Tag::TimeTicks, 0));
    put(Scalar(stpTopChanges), Value::Unsigned(Tag::Counter32, 0));
    put(Scalar(stpBridgeMaxAge), Value::Integer(2000));
    put(Scalar(stpBridgeHelloTime), Value::Integer(200));
    put(Scalar(stpBridgeForwardDelay), Value::Integer(1500));
    for (int p = 1; p <= m_nPorts; ++p) {
        const auto port = static_cast<std::uint32_t>(p);
        put(Cell(oids::dot1dStpPortEntry, stpPort, port), Value::Integer(p));
        put(Cell(oids::dot1dStpPortEntry, stpPortPriority, port), Value::Integer(128));
        put(Cell(oids::dot1dStpPortEntry, stpPortEnable, port), Value::Integer(kEnabled));
        put(Cell(oids::dot1dStpPortEntry, stpPortForwardTransitions, port), Value::Unsigned(Tag::Counter32, 0));
        // What a trunk's members must agree on, as the vendor table holds it: priority, STP on the
        // port, path cost (0: by speed), edge port, point-to-point (2 auto), migration check, admin edge.
        for (const auto& [column, v] : {std::pair{stpVendorPriority, 128}, {stpVendorEnable, kEnabled},
                                        {stpVendorPathCost, 0}, {stpVendorEdge, 2}, {stpVendorPointToPoint, 2},
                                        {stpVendorMigration, 2}, {stpVendorAdminEdge, 2}})
            put(Cell(oids::stpPortEntry, static_cast<std::uint32_t>(column), port), Value::Integer(v));
    }
    UpdateBridge(objects);
    for (int p = 1; p <= m_nPorts; ++p)
        UpdatePort(objects, p, false);
}

bool CStpFeature::Handles(const Oid& oid) const
{
    return oid == oids::stpState || oid == oids::stpVersion || oid == Scalar(stpPriority) ||
           oid == Scalar(stpBridgeMaxAge) || oid == Scalar(stpBridgeHelloTime) || oid == Scalar(stpBridgeForwardDelay) ||
           IsCell(oid, oids::dot1dStpPortEntry, {stpPortPriority, stpPortEnable, stpPortPathCost, stpPortPathCost32},
                  m_nPorts) ||
           IsCell(oid, oids::stpPortEntry,
                  {stpVendorPriority, stpVendorEnable, stpVendorPathCost, stpVendorEdge, stpVendorPointToPoint,
                   stpVendorMigration, stpVendorAdminEdge},
                  m_nPorts);
}

SetError CStpFeature::CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const
{
    auto it = objects.find(oid);
    if (it == objects.end())
        return SetError::NoCreation;
    if (value.tag != it->second.tag)
        return SetError::WrongType;
    const std::int64_t v = value.number;
    auto in = [v](std::int64_t lo, std::int64_t hi) { return v >= lo && v <= hi ? SetError::None : SetError::WrongValue; };
    if (oid == oids::stpState)
        return v == kEnabled || v == kDisabled ? SetError::None : SetError::WrongValue;
    if (oid == oids::stpVersion)
        return v == kVersionStp || v == kVersionRstp ? SetError::None : SetError::WrongValue;
    // Bridge priorities go in steps of 4096, port priorities in steps of 16 (IEEE 802.1D-2004).
    if (oid == Scalar(stpPriority))
        return v >= 0 && v <= 61440 && v % 4096 == 0 ? SetError::None : SetError::WrongValue;
    if (oid == Scalar(stpBridgeMaxAge) || oid == Scalar(stpBridgeHelloTime) || oid == Scalar(stpBridgeForwardDelay)) {
        const SetError range = oid == Scalar(stpBridgeMaxAge)     ? in(kMaxAgeMin, kMaxAgeMax)
                               : oid == Scalar(stpBridgeHelloTime) ? in(kHelloMin, kHelloMax)
                                                                   : in(kForwardDelayMin, kForwardDelayMax);
        if (range != SetError::None)
            return range;
        // 2 x (forward delay - 1 s) >= max age >= 2 x (hello time + 1 s), with the timers as the
        // request leaves them.
        const auto maxAge = NumberAfter(objects, request, Scalar(stpBridgeMaxAge), 2000);
        const auto hello = NumberAfter(objects, request, Scalar(stpBridgeHelloTime), 200);
        const auto delay = NumberAfter(objects, request, Scalar(stpBridgeForwardDelay), 1500);
        return 2 * (delay - 100) >= maxAge && maxAge >= 2 * (hello + 100) ? SetError::None : SetError::InconsistentValue;
    }
    const std::uint32_t column = oid[oid.size() - 2];
    if (OidHasPrefix(oid, oids::dot1dStpPortEntry)) {
        switch (column) {
        case stpPortPriority: return v >= 0 && v <= 240 && v % 16 == 0 ? SetError::None : SetError::WrongValue;
        case stpPortEnable: return v == kEnabled || v == kDisabled ? SetError::None : SetError::WrongValue;
        default: return in(1, kMaxPathCost);  // a path cost set: 0 (by speed) is the vendor column's
        }
    }
    switch (column) {
    case stpVendorPriority: return v >= 0 && v <= 240 && v % 16 == 0 ? SetError::None : SetError::WrongValue;
    case stpVendorPathCost: return in(0, kMaxPathCost);
    case stpVendorPointToPoint: return in(1, 3);
    default: return in(1, 2);
    }
}

void CStpFeature::Committed(ObjectMap& objects, const Oid& oid)
{
    const bool standard = IsCell(oid, oids::dot1dStpPortEntry,
                                 {stpPortPriority, stpPortEnable, stpPortPathCost, stpPortPathCost32}, m_nPorts);
    const bool vendor = IsCell(oid, oids::stpPortEntry, {stpVendorPriority, stpVendorEnable, stpVendorPathCost}, m_nPorts);
    if (!standard && !vendor) {
        if (OidHasPrefix(oid, oids::dot1dStp))
            UpdateBridge(objects);
        return;
    }
    // The standard and the vendor columns are two views of one setting: a write to either shows in both.
    const std::uint32_t port = oid.back();
    const std::uint32_t column = oid[oid.size() - 2];
    const std::int64_t v = objects[oid].number;
    if (standard) {
        switch (column) {
        case stpPortPriority: Put(objects, Cell(oids::stpPortEntry, stpVendorPriority, port), Tag::Integer, v); break;
        case stpPortEnable: Put(objects, Cell(oids::stpPortEntry, stpVendorEnable, port), Tag::Integer, v); break;
        default: Put(objects, Cell(oids::stpPortEntry, stpVendorPathCost, port), Tag::Integer, v); break;
        }
    } else if (column == stpVendorPriority) {
        Put(objects, Cell(oids::dot1dStpPortEntry, stpPortPriority, port), Tag::Integer, v);
    } else if (column == stpVendorEnable) {
        Put(objects, Cell(oids::dot1dStpPortEntry, stpPortEnable, port), Tag::Integer, v);
    }
    UpdatePort(objects, static_cast<int>(port), true);
}

void CStpFeature::PortChanged(ObjectMap& objects, int port) const
{
    if (port >= 1 && port <= m_nPorts)
        UpdatePort(objects, port, true);
}

void CStpFeature::Restarted(ObjectMap& objects) const
{
    Put(objects, Scalar(stpTopChanges), Tag::Counter32, 0);
    // No topology change since the start: the time since is the uptime.
    Put(objects, Scalar(stpTimeSinceTopologyChange), Tag::TimeTicks, 0);
    for (int p = 1; p <= m_nPorts; ++p)
        Put(objects, Cell(oids::dot1dStpPortEntry, stpPortForwardTransitions, static_cast<std::uint32_t>(p)),
            Tag::Counter32, 0);
    UpdateBridge(objects);
    for (int p = 1; p <= m_nPorts; ++p)
        UpdatePort(objects, p, false);
}

bool CStpFeature::Serve(const Oid& oid, const Value& stored, Value* served) const
{
    // The map holds the uptime of the last topology change; the object is the time since.
    if (oid != Scalar(stpTimeSinceTopologyChange))
        return false;
    const std::uint32_t now = m_uptime();
    const auto at = static_cast<std::uint32_t>(stored.number);
    *served = Value::Unsigned(Tag::TimeTicks, now >= at ? now - at : 0);
    return true;
}

void CStpFeature::UpdateBridge(ObjectMap& objects) const
{
    // The only bridge is the root: it takes its own timers and reaches the root at no cost.
    const std::string id = BridgeId(objects);
    PutBytes(objects, Scalar(stpDesignatedRoot), id);
    Put(objects, Scalar(stpRootCost), Tag::Integer, 0);
    Put(objects, Scalar(stpRootPort), Tag::Integer, 0);
    Put(objects, Scalar(stpMaxAge), Tag::Integer, Number(objects, Scalar(stpBridgeMaxAge), 2000));
    Put(objects, Scalar(stpHelloTime), Tag::Integer, Number(objects, Scalar(stpBridgeHelloTime), 200));
    Put(objects, Scalar(stpHoldTime), Tag::Integer, kHoldTime);
    Put(objects, Scalar(stpForwardDelay), Tag::Integer, Number(objects, Scalar(stpBridgeForwardDelay), 1500));
    for (int p = 1; p <= m_nPorts; ++p) {
        const auto port = static_cast<std::uint32_t>(p);
        PutBytes(objects, Cell(oids::dot1dStpPortEntry, stpPortDesignatedRoot, port), id);
        PutBytes(objects, Cell(oids::dot1dStpPortEntry, stpPortDesignatedBridge, port), id);
    }
}

void CStpFeature::UpdatePort(ObjectMap& objects, int p, bool count) const
{
    const auto port = static_cast<std::uint32_t>(p);
    // A port forwards while it has link and takes part in STP; a port without link, or taken out of
    // STP, is disabled.
    const bool link = Number(objects, Cell(kIfEntry, ifOperStatus, port), 2) == 1;
    const bool enabled = Number(objects, Cell(oids::dot1dStpPortEntry, stpPortEnable, port), kEnabled) == kEnabled;
    const int state = link && enabled ? kPortForwarding : kPortDisabled;
    const Oid stateOid = Cell(oids::dot1dStpPortEntry, stpPortState, port);
    const auto before = objects.find(stateOid);
    if (count && before != objects.end() && before->second.number != state) {
        Put(objects, Scalar(stpTopChanges), Tag::Counter32,
            (Number(objects, Scalar(stpTopChanges), 0) + 1) & 0xffffffffLL);
        Put(objects, Scalar(stpTimeSinceTopologyChange), Tag::TimeTicks, m_uptime());
        if (state == kPortForwarding) {
            const Oid transitions = Cell(oids::dot1dStpPortEntry, stpPortForwardTransitions, port);
            Put(objects, transitions, Tag::Counter32, (Number(objects, transitions, 0) + 1) & 0xffffffffLL);
        }
    }
    Put(objects, stateOid, Tag::Integer, state);
    // The cost set on the port, or the one its speed gives.
    std::int64_t cost = Number(objects, Cell(oids::stpPortEntry, stpVendorPathCost, port), 0);
    if (cost <= 0) {
        auto high = objects.find(Cell(kIfXEntry, ifHighSpeed, port));
        const std::int64_t mbps = high != objects.end() ? high->second.number
                                                        : Number(objects, Cell(kIfEntry, ifSpeed, port), 0) / 1000000;
        cost = PathCostOfSpeed(mbps);
    }
    Put(objects, Cell(oids::dot1dStpPortEntry, stpPortPathCost, port), Tag::Integer, cost);
    Put(objects, Cell(oids::dot1dStpPortEntry, stpPortPathCost32, port), Tag::Integer, cost);
    // The root's ports are the designated ports of their segments: cost 0, the bridge's own port id
    // (priority in the top four bits, then the port number).
    Put(objects, Cell(oids::dot1dStpPortEntry, stpPortDesignatedCost, port), Tag::Integer, 0);
    const auto priority = static_cast<std::uint32_t>(Number(objects, Cell(oids::dot1dStpPortEntry, stpPortPriority, port), 128));
    const std::uint32_t portId = ((priority & 0xf0) << 8) | (port & 0x0fff);
    PutBytes(objects, Cell(oids::dot1dStpPortEntry, stpPortDesignatedPort, port),
             std::string{static_cast<char>(portId >> 8), static_cast<char>(portId & 0xff)});
}

} // namespace tqxsim
