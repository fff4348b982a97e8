#include "sim/Lldp.h"

#include <vector>

namespace tqxsim {

namespace oids {
const Oid lldpVendor = {1, 3, 6, 1, 4, 1, 32473, 10, 75, 6, 24};
const Oid lldpState = {1, 3, 6, 1, 4, 1, 32473, 10, 75, 6, 24, 1, 0};
const Oid lldpTxHold = {1, 3, 6, 1, 4, 1, 32473, 10, 75, 6, 24, 2, 0};
const Oid lldpTxInterval = {1, 3, 6, 1, 4, 1, 32473, 10, 75, 6, 24, 3, 0};
const Oid lldpReinitDelay = {1, 3, 6, 1, 4, 1, 32473, 10, 75, 6, 24, 4, 0};
const Oid lldpTxDelay = {1, 3, 6, 1, 4, 1, 32473, 10, 75, 6, 24, 5, 0};
const Oid lldpPsePortEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 75, 6, 24, 7, 1};
const Oid lldpLocalSystem = {1, 0, 8802, 1, 1, 2, 1, 3};
const Oid lldpRemEntry = {1, 0, 8802, 1, 1, 2, 1, 4, 1, 1};
} // namespace oids

namespace {

const Oid kSysDescr = {1, 3, 6, 1, 2, 1, 1, 1, 0};
const Oid kSysName = {1, 3, 6, 1, 2, 1, 1, 5, 0};
const Oid kBridgeAddress = {1, 3, 6, 1, 2, 1, 17, 1, 1, 0};
const Oid kIfOperStatus = {1, 3, 6, 1, 2, 1, 2, 2, 1, 8};

constexpr int kEnabled = 1, kDisabled = 2;
constexpr std::uint32_t kPseColumn = 2;
// lldpLocalSystem scalars.
enum { locChassisIdSubtype = 1, locChassisId = 2, locSysName = 3, locSysDesc = 4, locSysCapSupported = 5,
       locSysCapEnabled = 6 };
// lldpRemEntry columns (index: time mark, local port, remote index).
enum { remChassisIdSubtype = 4, remChassisId, remPortIdSubtype, remPortId, remPortDesc, remSysName, remSysDesc,
       remSysCapSupported, remSysCapEnabled };
// LldpSystemCapabilitiesMap: bit 2 bridge, bit 4 router, bit 7 station only (0x80 is bit 0).
const std::string kCapBridge = "\x20";
const std::string kCapRouter = "\x08";
const std::string kCapStation = std::string("\x01", 1);

Oid Local(std::uint32_t n) { return {1, 0, 8802, 1, 1, 2, 1, 3, n, 0}; }

std::int64_t Number(const ObjectMap& objects, const Oid& oid, std::int64_t fallback)
{
    auto it = objects.find(oid);
    return it == objects.end() ? fallback : it->second.number;
}

std::int64_t NumberAfter(const ObjectMap& objects, const ObjectMap& request, const Oid& oid, std::int64_t fallback)
{
    if (auto it = request.find(oid); it != request.end())
        return it->second.number;
    return Number(objects, oid, fallback);
}

bool IsPseCell(const Oid& oid, int ports)
{
    const Oid& e = oids::lldpPsePortEntry;
    return oid.size() == e.size() + 2 && OidHasPrefix(oid, e) && oid[e.size()] == kPseColumn && oid.back() >= 1 &&
           oid.back() <= static_cast<std::uint32_t>(ports);
}

// The remote table's objects of the row on port, if any.
std::vector<Oid> RowOf(const ObjectMap& objects, int port)
{
    std::vector<Oid> row;
    const Oid& e = oids::lldpRemEntry;
    for (auto it = objects.lower_bound(e); it != objects.end() && OidHasPrefix(it->first, e); ++it)
        if (it->first.size() == e.size() + 4 && it->first[e.size() + 2] == static_cast<std::uint32_t>(port))
            row.push_back(it->first);
    return row;
}

std::string Mac(std::initializer_list<unsigned char> bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

CLldpFeature::CLldpFeature(int portCount, int poePorts, int uplink, std::function<std::optional<Value>(const Oid&)> get,
                           std::function<std::uint32_t()> uptime)
    : m_nPorts(portCount), m_nPoePorts(poePorts), m_get(std::move(get)), m_uptime(std::move(uptime))
{
    // The neighbours a switch in an office sees at delivery: two workstations and the router upstream
    // (the addresses the forwarding table learns on those ports).
    auto host = [](const char* name, unsigned char last) {
        LldpNeighbour n = HostNeighbour(name);
        n.chassisId = Mac({0x00, 0x00, 0x5e, 0x00, 0x53, last});
        return n;
    };
    if (portCount >= 1)
        m_neighbours[1] = host("ws-eng-01", 0x10);
    if (portCount >= 2)
        m_neighbours[2] = host("ws-eng-02", 0x11);
    if (uplink > 2 && uplink <= portCount) {
        LldpNeighbour router;
        router.chassisIdSubtype = 4;
        router.chassisId = Mac({0x00, 0x1c, 0xf0, 0x12, 0x34, 0x56});
        router.portIdSubtype = 7;  // local
        router.portId = "12";
        router.portDesc = "downlink to floor 1";
        router.sysName = "core-rtr-1";
        router.sysDesc = "Core router, 48 x 1G, 4 x 10G, software 4.2.7";
        router.router = true;
        m_neighbours[uplink] = router;
    }
}

LldpNeighbour CLldpFeature::HostNeighbour(const std::string& name)
{
    // A locally administered address made from the name, so the same name gives the same chassis.
    std::uint32_t h = 2166136261u;
    for (unsigned char c : name)
        h = (h ^ c) * 16777619u;
    LldpNeighbour n;
    n.chassisIdSubtype = 4;
    n.chassisId = Mac({0x02, 0x00, static_cast<unsigned char>(h >> 24), static_cast<unsigned char>(h >> 16),
                       static_cast<unsigned char>(h >> 8), static_cast<unsigned char>(h)});
    n.portIdSubtype = 5;  // interfaceName
    n.portId = "eth0";
    n.portDesc = "eth0";
    n.sysName = name;
    n.sysDesc = "Linux 6.1.0 x86_64";
    return n;
}

void CLldpFeature::AddNeighbour(ObjectMap& objects, int port, LldpNeighbour neighbour)
{
    // A new neighbour replaces the old one: the old row leaves first.
    for (const Oid& o : RowOf(objects, port))
        objects.erase(o);
    m_neighbours[port] = std::move(neighbour);
    UpdatePort(objects, port);
}

bool CLldpFeature::RemoveNeighbour(ObjectMap& objects, int port)
{
    if (!m_neighbours.erase(port))
        return false;
    UpdatePort(objects, port);
    return true;
}

void CLldpFeature::AddDefaults(ObjectMap& objects, const ModelInfo&) const
{
    auto put = [&](const Oid& oid, const Value& v) { objects.emplace(oid, v); };
    // IEEE 802.1AB defaults: hold 4, interval 30 s, reinit delay 2 s, TX delay 2 s.
    put(oids::lldpState, Value::Integer(kEnabled));
    put(oids::lldpTxHold, Value::Integer(4));
    put(oids::lldpTxInterval, Value::Integer(30));
    put(oids::lldpReinitDelay, Value::Integer(2));
    put(oids::lldpTxDelay, Value::Integer(2));
    for (int p = 1; p <= m_nPoePorts; ++p) {
        Oid cell = oids::lldpPsePortEntry;
        cell.insert(cell.end(), {kPseColumn, static_cast<std::uint32_t>(p)});
        put(cell, Value::Integer(kDisabled));
    }
    // The local system: placeholders, served from the system group and the bridge address.
    put(Local(locChassisIdSubtype), Value::Integer(4));
    put(Local(locChassisId), Value::Text(""));
    put(Local(locSysName), Value::Text(""));
    put(Local(locSysDesc), Value::Text(""));
    put(Local(locSysCapSupported), Value::Text(kCapBridge));
    put(Local(locSysCapEnabled), Value::Text(kCapBridge));
}

bool CLldpFeature::Handles(const Oid& oid) const
{
    return oid == oids::lldpState || oid == oids::lldpTxHold || oid == oids::lldpTxInterval ||
           oid == oids::lldpReinitDelay || oid == oids::lldpTxDelay || IsPseCell(oid, m_nPoePorts);
}

SetError CLldpFeature::CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const
{
    auto it = objects.find(oid);
    if (it == objects.end())
        return SetError::NoCreation;
    if (value.tag != it->second.tag)
        return SetError::WrongType;
    const std::int64_t v = value.number;
    auto in = [v](std::int64_t lo, std::int64_t hi) { return v >= lo && v <= hi; };
    if (oid == oids::lldpState || IsPseCell(oid, m_nPoePorts))
        return in(kEnabled, kDisabled) ? SetError::None : SetError::WrongValue;
    if (oid == oids::lldpTxHold)
        return in(kHoldMin, kHoldMax) ? SetError::None : SetError::WrongValue;
    if (oid == oids::lldpReinitDelay)
        return in(kReinitMin, kReinitMax) ? SetError::None : SetError::WrongValue;
    const bool range = oid == oids::lldpTxInterval ? in(kIntervalMin, kIntervalMax) : in(kDelayMin, kDelayMax);
    if (!range)
        return SetError::WrongValue;
    // IEEE 802.1AB: txDelay <= 0.25 x msgTxInterval, as the whole request leaves them.
    const auto interval = NumberAfter(objects, request, oids::lldpTxInterval, 30);
    const auto delay = NumberAfter(objects, request, oids::lldpTxDelay, 2);
    return 4 * delay <= interval ? SetError::None : SetError::InconsistentValue;
}

void CLldpFeature::Committed(ObjectMap& objects, const Oid& oid)
{
    // Disabled, the agent forgets its neighbours; enabled, it hears those it misses (a state written
    // again as it was keeps the rows).
    if (oid == oids::lldpState)
        for (int p = 1; p <= m_nPorts; ++p)
            UpdatePort(objects, p);
}

void CLldpFeature::PortChanged(ObjectMap& objects, int port) const
{
    if (port >= 1 && port <= m_nPorts)
        UpdatePort(objects, port);
}

void CLldpFeature::Restarted(ObjectMap& objects) const
{
    // Everything learned is gone; the neighbours are heard again from their next advertisement.
    m_nNextIndex = 1;
    objects.erase(objects.lower_bound(oids::lldpRemEntry), objects.lower_bound(Oid{1, 0, 8802, 1, 1, 2, 1, 4, 1, 2}));
    for (int p = 1; p <= m_nPorts; ++p)
        UpdatePort(objects, p);
}

bool CLldpFeature::Serve(const Oid& oid, const Value&, Value* served) const
{
    const Oid* from = oid == Local(locChassisId) ? &kBridgeAddress
                      : oid == Local(locSysName) ? &kSysName
                      : oid == Local(locSysDesc) ? &kSysDescr
                                                 : nullptr;
    if (!from)
        return false;
    const std::optional<Value> v = m_get(*from);
    *served = Value::Text(v ? v->bytes : std::string());
    return true;
}

void CLldpFeature::UpdatePort(ObjectMap& objects, int port) const
{
    const auto p = static_cast<std::uint32_t>(port);
    Oid operStatus = kIfOperStatus;
    operStatus.push_back(p);
    auto n = m_neighbours.find(port);
    const bool present = n != m_neighbours.end() && Number(objects, operStatus, 2) == 1 &&
                         Number(objects, oids::lldpState, kEnabled) == kEnabled;
    const std::vector<Oid> row = RowOf(objects, port);
    if (!present) {
        for (const Oid& o : row)
            objects.erase(o);
        return;
    }
    if (!row.empty())
        return;  // already heard
    const LldpNeighbour& x = n->second;
    const std::uint32_t mark = m_uptime();
    const std::uint32_t index = m_nNextIndex++;
    auto cell = [&](std::uint32_t column, const Value& v) {
        Oid o = oids::lldpRemEntry;
        o.insert(o.end(), {column, mark, p, index});
        objects[o] = v;
    };
    cell(remChassisIdSubtype, Value::Integer(x.chassisIdSubtype));
    cell(remChassisId, Value::Text(x.chassisId));
    cell(remPortIdSubtype, Value::Integer(x.portIdSubtype));
    cell(remPortId, Value::Text(x.portId));
    cell(remPortDesc, Value::Text(x.portDesc));
    cell(remSysName, Value::Text(x.sysName));
    cell(remSysDesc, Value::Text(x.sysDesc));
    cell(remSysCapSupported, Value::Text(x.router ? kCapRouter : kCapStation));
    cell(remSysCapEnabled, Value::Text(x.router ? kCapRouter : kCapStation));
}

} // namespace tqxsim
