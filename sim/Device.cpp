#include "sim/Device.h"

#include "sim/Lldp.h"
#include "sim/Maintenance.h"
#include "sim/PortBitmap.h"
#include "sim/Stp.h"
#include "sim/Syslog.h"
#include "sim/Dot1x.h"
#include "sim/Surveillance.h"
#include "sim/Traffic.h"
#include "sim/Trunk.h"
#include "sim/Vlan.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <sstream>

namespace tqxsim {

namespace oids {
const Oid sysUpTime = {1, 3, 6, 1, 2, 1, 1, 3, 0};
const Oid sysContact = {1, 3, 6, 1, 2, 1, 1, 4, 0};
const Oid sysName = {1, 3, 6, 1, 2, 1, 1, 5, 0};
const Oid sysLocation = {1, 3, 6, 1, 2, 1, 1, 6, 0};
const Oid ifNumber = {1, 3, 6, 1, 2, 1, 2, 1, 0};
const Oid ifEntry = {1, 3, 6, 1, 2, 1, 2, 2, 1};
const Oid ifXEntry = {1, 3, 6, 1, 2, 1, 31, 1, 1, 1};
const Oid agingTime = {1, 3, 6, 1, 2, 1, 17, 4, 2, 0};
const Oid fdbEntry = {1, 3, 6, 1, 2, 1, 17, 7, 1, 2, 2, 1};
const Oid fdbDynamicCount = {1, 3, 6, 1, 2, 1, 17, 7, 1, 2, 1, 1, 2};
const Oid reboot = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 1, 9, 0};
const Oid saveConfig = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 1, 10, 0};
const Oid fanStatus = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 1, 15, 1, 0};
const Oid portEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 1, 13, 1};
const Oid poeEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 75, 6, 22, 1, 1};
const Oid poeRemaining = {1, 3, 6, 1, 4, 1, 32473, 10, 75, 6, 22, 6, 0};
const Oid poeDisplayMode = {1, 3, 6, 1, 4, 1, 32473, 10, 75, 6, 22, 8, 0};
const Oid timeRangeEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 75, 6, 23, 1, 1};
} // namespace oids

namespace {

enum IfColumn { ifType = 3, ifSpeed = 5, ifAdminStatus = 7, ifOperStatus = 8, ifLastChange = 9 };
enum IfXColumn { ifHighSpeed = 15, ifAlias = 18 };
enum PortColumn { portSpeedSetting = 2, portOperMode = 3, portFlowSetting = 5, portOperFlow = 6, portMedia = 7 };
// Speed settings: 1 1000M full, 2 100M full, 3 100M half, 4 10M full, 5 10M half, 6 auto, 7 disabled.
enum Speed { speed1000Full = 1, speed100Full, speed100Half, speed10Full, speed10Half, speedAuto, speedDisabled };
enum PoeColumn { poeState = 3, poeTimeRange = 4, poePriority = 5, poeLimitClass = 6, poeUserLimitOn = 7,
                 poeUserLimit = 8, poePower = 9, poeVoltage = 10, poeCurrent = 11,
                 poeClass = 12, poeStatus = 13 };
constexpr int kTimeRangeRowStatus = 21;
constexpr int kMaxTimeRanges = 8;
const Oid kVendor = {1, 3, 6, 1, 4, 1, 32473};

Oid Append(const Oid& prefix, std::initializer_list<std::uint32_t> arcs)
{
    Oid o = prefix;
    o.insert(o.end(), arcs);
    return o;
}

std::string Watts(double w)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", w);
    return buf;
}

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

bool ParseInt(std::string_view s, long long lo, long long hi, long long* out)
{
    if (s.empty() || s.size() > 12)
        return false;
    long long v = 0;
    size_t i = 0;
    bool negative = s[0] == '-';
    if (negative)
        i = 1;
    if (i == s.size())
        return false;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        v = v * 10 + (s[i] - '0');
    }
    if (negative)
        v = -v;
    if (v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

bool ParseFraction(std::string_view s, double* out)
{
    if (s.empty() || s.size() > 32)
        return false;
    std::string text(s);
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !(v >= 0.0 && v <= 1.0))
        return false;
    *out = v;
    return true;
}

// The PoE time ranges: rows 1..8; 2 name, 3 date range on (1) or off (2), 4..6 first day (year, month,
// day), 7..8 start (hour, minute), 9..11 last day, 12..13 end, 14..20 Monday..Sunday on (1) or off (2).
// A new row spans every date and the whole day, on no weekday.
RowTableInfo TimeRangeTable()
{
    RowTableInfo t;
    t.entry = oids::timeRangeEntry;
    t.statusColumn = kTimeRangeRowStatus;
    t.maxRows = kMaxTimeRanges;
    const std::int64_t initial[] = {2, 2010, 1, 1, 0, 0, 2037, 12, 31, 23, 59, 2, 2, 2, 2, 2, 2, 2};
    // What each column may hold: date switch, year, month, day, hour, minute, weekday switches.
    const std::pair<std::int64_t, std::int64_t> ranges[] = {{1, 2},    {2000, 2037}, {1, 12}, {1, 31}, {0, 23},
                                                            {0, 59},   {2000, 2037}, {1, 12}, {1, 31}, {0, 23},
                                                            {0, 59},   {1, 2},       {1, 2},  {1, 2},  {1, 2},
                                                            {1, 2},    {1, 2},       {1, 2}};
    t.columns.push_back({1, Tag::Integer, 0, 0, 0, 0, Value::Integer(0), false, true, nullptr});
    t.columns.push_back({2, Tag::OctetString, 0, 0, 0, 32, Value::Text(""), true, false, nullptr});
    for (std::uint32_t c = 3; c < kTimeRangeRowStatus; ++c)
        t.columns.push_back({c, Tag::Integer, ranges[c - 3].first, ranges[c - 3].second, 0, 0,
                             Value::Integer(initial[c - 3]), true, false, nullptr});
    t.columns.push_back({kTimeRangeRowStatus, Tag::Integer, 1, 6, 0, 0, Value::Integer(kNotInService), true, false, nullptr});
    t.validIndex = [](const Oid& index) { return index.size() == 1 && index[0] >= 1 && index[0] <= kMaxTimeRanges; };
    return t;
}

} // namespace

CSimDevice::CSimDevice(const ModelInfo* model) : m_model(model), m_boot(Clock::now()), m_timeRanges(TimeRangeTable())
{
    // What a write may change: the system group's texts, the port admin state and alias, the bridge's
    // aging time and the vendor configuration subtree, except the status objects the device computes itself.
    m_writable = {oids::sysContact, oids::sysName, oids::sysLocation, Append(oids::ifEntry, {ifAdminStatus}),
                  Append(oids::ifXEntry, {ifAlias}), oids::agingTime, kVendor};
    m_readOnly = {oids::fanStatus,
                  Append(oids::portEntry, {1}),
                  Append(oids::portEntry, {portOperMode}),
                  Append(oids::portEntry, {portOperFlow}),
                  Append(oids::portEntry, {portMedia}),
                  Append(oids::poeEntry, {1}),
                  Append(oids::poeEntry, {2}),
                  Append(oids::poeEntry, {poePower}),
                  Append(oids::poeEntry, {poeVoltage}),
                  Append(oids::poeEntry, {poeCurrent}),
                  Append(oids::poeEntry, {poeClass}),
                  Append(oids::poeEntry, {poeStatus}),
                  Append(oids::timeRangeEntry, {1}),
                  oids::poeRemaining,
                  oids::fwState,
                  oids::cfgState};
}

void CSimDevice::Merge(const ObjectMap& objects)
{
    for (const auto& [oid, value] : objects)
        m_objects[oid] = value;
}

std::optional<std::int64_t> CSimDevice::GetInt(const Oid& oid) const
{
    auto it = m_objects.find(oid);
    if (it == m_objects.end())
        return std::nullopt;
    return it->second.tag == Tag::Counter64 ? static_cast<std::int64_t>(it->second.number64) : it->second.number;
}

void CSimDevice::PutInt(const Oid& column, int index, std::int64_t v)
{
    Oid o = column;
    o.push_back(static_cast<std::uint32_t>(index));
    auto it = m_objects.find(o);
    if (it != m_objects.end())
        it->second.number = v;
}

void CSimDevice::Start()
{
    if (auto up = m_objects.find(oids::sysUpTime); up != m_objects.end())
        m_uptimeBase = static_cast<std::uint32_t>(up->second.number);
    m_boot = Clock::now();
    m_ports.clear();
    // A port is an ifTable row of an Ethernet type; with a model, exactly its front ports.
    const Oid typeColumn = Append(oids::ifEntry, {ifType});
    for (auto it = m_objects.lower_bound(typeColumn); it != m_objects.end() && OidHasPrefix(it->first, typeColumn);
         ++it) {
        if (it->first.size() != typeColumn.size() + 1)
            continue;
        int index = static_cast<int>(it->first.back());
        if (m_model ? (index < 1 || index > m_model->ports)
                    : !(it->second.number == 6 || it->second.number == 62 || it->second.number == 117))
            continue;
        Port p;
        p.index = index;
        p.carrier = GetInt(Append(oids::ifEntry, {ifOperStatus, it->first.back()})).value_or(2) == 1;
        auto speed = GetInt(Append(oids::ifEntry, {ifSpeed, it->first.back()})).value_or(100000000);
        p.linkMbps = static_cast<int>(speed / 1000000);
        if (m_model) {
            p.combo = index > m_model->ports - m_model->comboPorts;
            p.maxMbps = (m_model->allGiga || p.combo) ? 1000 : 100;
            p.poe = index <= m_model->poePorts;
        } else {
            p.maxMbps = std::max(p.linkMbps, 10);
            auto media = GetInt(Append(oids::portEntry, {portMedia, it->first.back()}));
            p.combo = media && *media >= 2;
            p.poe = m_objects.count(Append(oids::poeEntry, {poeStatus, 1, it->first.back()})) != 0;
        }
        if (p.poe) {
            auto status = m_objects.find(Append(oids::poeEntry, {poeStatus, 1, it->first.back()}));
            p.poweredDevice = status != m_objects.end() && status->second.bytes == "POWER ON";
        }
        m_ports[index] = p;
    }
    // Each feature keeps its objects in the object map; a model's switch starts with their defaults.
    const int portCount = m_model ? m_model->ports : (m_ports.empty() ? 0 : m_ports.rbegin()->first);
    m_features.clear();
    m_features.push_back(std::make_unique<CVlanFeature>(portCount));
    m_features.push_back(std::make_unique<CTrunkFeature>(portCount));
    m_features.push_back(std::make_unique<CJumboFrameFeature>());
    m_features.push_back(std::make_unique<CMulticastFilterFeature>());
    m_features.push_back(std::make_unique<CDhcpScreeningFeature>(portCount));
    m_features.push_back(std::make_unique<CArpSpoofingFeature>(portCount));
    m_features.push_back(std::make_unique<CDot1xFeature>(portCount));
    m_features.push_back(std::make_unique<CSurveillanceFeature>());
    m_features.push_back(std::make_unique<CMaintenanceFeature>(*this, m_model ? m_model->name : std::string(),
                                                               m_model ? m_model->description : std::string(),
                                                               m_nTftpPort, m_nTftpTries));
    m_features.push_back(std::make_unique<CSyslogFeature>());
    auto admin = std::make_unique<CSnmpAdminFeature>(m_accounts, m_model && m_model->poePorts > 0);
    m_snmpAdmin = admin.get();
    m_features.push_back(std::move(admin));
    m_lldp = nullptr;
    if (m_model) {
        // The upstream neighbour sits on the highest port with link.
        int uplink = 0;
        for (const auto& [index, p] : m_ports)
            if (p.carrier)
                uplink = index;
        auto lldp = std::make_unique<CLldpFeature>(portCount, m_model->poePorts, uplink,
                                                   [this](const Oid& o) { return Get(o); },
                                                   [this] { return UptimeTicks(Clock::now()); });
        m_lldp = lldp.get();
        m_features.push_back(std::move(lldp));
        // Spanning tree is worked out for a model's switch; a recording serves its objects as recorded.
        m_features.push_back(std::make_unique<CStpFeature>(portCount, [this] { return UptimeTicks(Clock::now()); }));
        for (const Oid& o : CStpFeature::WritableObjects())
            if (std::find(m_writable.begin(), m_writable.end(), o) == m_writable.end())
                m_writable.push_back(o);
        for (const auto& f : m_features)
            f->AddDefaults(m_objects, *m_model);
        for (auto& [index, p] : m_ports)
            RecomputePort(p);
        RecomputePoe();
        for (const auto& f : m_features)
            f->Restarted(m_objects);
        for (const auto& f : m_features)
            f->Follow(m_objects);
    }
    TakeSavedConfig();
}

std::uint32_t CSimDevice::UptimeTicks(Clock::time_point now) const
{
    auto cs = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_boot).count() / 10;
    return static_cast<std::uint32_t>(m_uptimeBase + static_cast<std::uint64_t>(cs));
}

std::optional<Value> CSimDevice::Get(const Oid& oid) const
{
    auto it = m_objects.find(oid);
    if (it == m_objects.end())
        return std::nullopt;
    if (oid == oids::sysUpTime)
        return Value::Unsigned(Tag::TimeTicks, UptimeTicks(Clock::now()));
    Value served;
    for (const auto& f : m_features)
        if (f->Serve(oid, it->second, &served))
            return served;
    if (const CSimFeature* f = FeatureOf(oid); f && f->Secret(oid))
        return Value::Text("");
    return it->second;
}

bool CSimDevice::Next(const Oid& oid, bool inclusive, Oid* nextOid, Value* value) const
{
    auto it = inclusive ? m_objects.lower_bound(oid) : m_objects.upper_bound(oid);
    if (it == m_objects.end())
        return false;
    *nextOid = it->first;
    *value = *Get(it->first);
    return true;
}

bool CSimDevice::IsWritable(const Oid& oid) const
{
    for (const auto& p : m_readOnly)
        if (OidHasPrefix(oid, p))
            return false;
    for (const auto& p : m_writable)
        if (OidHasPrefix(oid, p))
            return true;
    return false;
}

CSimDevice::Port* CSimDevice::FindPort(int index)
{
    auto it = m_ports.find(index);
    return it == m_ports.end() ? nullptr : &it->second;
}

const CSimFeature* CSimDevice::FeatureOf(const Oid& oid) const
{
    for (const auto& f : m_features)
        if (f->Handles(oid))
            return f.get();
    return nullptr;
}

// What a switch refuses of a port's speed setting: a speed its connector cannot run, a trunk member
// leaving the speed of its trunk (unless the same request sets the whole trunk) and the last enabled
// port being disabled. request holds every binding of the SET.
SetError CSimDevice::CheckSpeedSetting(int index, std::int64_t speed, const ObjectMap& request) const
{
    if (speed < speed1000Full || speed > speedDisabled)
        return SetError::WrongValue;
    auto port = m_ports.find(index);
    if (port == m_ports.end())
        return SetError::None;
    const auto idx = static_cast<std::uint32_t>(index);
    const auto media = GetInt(Append(oids::portEntry, {portMedia, idx})).value_or(1);
    if (speed == speed1000Full && port->second.maxMbps < 1000)
        return SetError::WrongValue;
    // A 100Base-X module runs 100M forced only; a 1000Base-X module 1000M full or auto-negotiation.
    if (media == 3 && !(speed == speed100Full || speed == speed100Half || speed == speedDisabled))
        return SetError::WrongValue;
    if (media == 4 && speed >= speed100Full && speed <= speed10Half)
        return SetError::WrongValue;
    // The speed each port has once the request is applied.
    auto speedAfter = [&](int p) {
        const Oid o = Append(oids::portEntry, {portSpeedSetting, static_cast<std::uint32_t>(p)});
        if (auto it = request.find(o); it != request.end())
            return it->second.number;
        return GetInt(o).value_or(speedAuto);
    };
    const Oid members = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 8, 1, 3, 1, 2};
    for (auto it = m_objects.upper_bound(members); it != m_objects.end() && OidHasPrefix(it->first, members); ++it) {
        const auto trunk = PortsOf(it->second.bytes);
        if (!trunk.count(index))
            continue;
        if (speed == speed100Half || speed == speed10Half)
            return SetError::InconsistentValue;  // a trunk runs full duplex
        for (int other : trunk)
            if (speedAfter(other) != speed)
                return SetError::InconsistentValue;
    }
    if (speed == speedDisabled) {
        bool anyEnabled = false;
        for (const auto& [p, info] : m_ports)
            anyEnabled = anyEnabled || speedAfter(p) != speedDisabled;
        if (!anyEnabled)
            return SetError::InconsistentValue;
    }
    return SetError::None;
}

// The PoE port settings: state 1/2, a time range that exists and is active (or 0, none), priority 1..3,
// limit class 1..5 (auto, class 1..4), user-defined limit in use 1/2 and the user-defined limit in watts
// as text, 1.0 to 30.0 in steps of 0.2.
SetError CSimDevice::CheckPoeSetting(const Oid& oid, const Value& value, const ObjectMap& request) const
{
    const auto in = [&](std::int64_t lo, std::int64_t hi) {
        return value.number >= lo && value.number <= hi ? SetError::None : SetError::WrongValue;
    };
    switch (oid[oids::poeEntry.size()]) {
    case poeState: return in(1, 2);
    case poePriority: return in(1, 3);
    case poeLimitClass: return in(1, 5);
    case poeUserLimitOn: return in(1, 2);
    case poeTimeRange: {
        if (value.number == 0)
            return SetError::None;
        if (value.number < 0 || value.number > kMaxTimeRanges)
            return SetError::WrongValue;
        // The range as the same request leaves it.
        const Oid status = Append(oids::timeRangeEntry, {kTimeRangeRowStatus, static_cast<std::uint32_t>(value.number)});
        const auto written = request.find(status);
        const auto active = written != request.end() ? written->second.number : GetInt(status).value_or(0);
        return active == 1 || active == 4 ? SetError::None : SetError::InconsistentValue;
    }
    case poeUserLimit: {
        char* end = nullptr;
        const double watts = std::strtod(value.bytes.c_str(), &end);
        const double steps = watts * 5;
        if (value.bytes.empty() || end != value.bytes.c_str() + value.bytes.size() || !(watts >= 1.0 && watts <= 30.0)
            || std::abs(steps - std::round(steps)) > 1e-6)
            return SetError::WrongValue;
        return SetError::None;
    }
    default:
        return SetError::None;
    }
}

SetError CSimDevice::CheckSet(const Oid& oid, const Value& value, const ObjectMap* request) const
{
    if (const CSimFeature* f = FeatureOf(oid)) {
        if (!IsWritable(oid))
            return SetError::NotWritable;
        return f->CheckSet(m_objects, oid, value, request ? *request : ObjectMap{{oid, value}});
    }
    if (m_timeRanges.Handles(oid)) {
        if (!IsWritable(oid))
            return SetError::NotWritable;
        return m_timeRanges.CheckSet(m_objects, oid, value, request ? *request : ObjectMap{{oid, value}});
    }
    auto it = m_objects.find(oid);
    if (it == m_objects.end())
        return IsWritable(oid) ? SetError::NoCreation : SetError::NotWritable;
    if (!IsWritable(oid))
        return SetError::NotWritable;
    if (value.tag != it->second.tag)
        return SetError::WrongType;
    if (value.tag == Tag::OctetString && value.bytes.size() > 255)
        return SetError::WrongLength;
    if (oid == oids::reboot || oid == oids::saveConfig)
        return value.number == 1 ? SetError::None : SetError::WrongValue;
    if (oid.size() == oids::ifEntry.size() + 2 && OidHasPrefix(oid, Append(oids::ifEntry, {ifAdminStatus})))
        return (value.number == 1 || value.number == 2) ? SetError::None : SetError::WrongValue;
    if (oid == oids::agingTime) // seconds, as the bridge MIB bounds it
        return (value.number >= 10 && value.number <= 1000000) ? SetError::None : SetError::WrongValue;
    if (oid == oids::poeDisplayMode)
        return (value.number == 1 || value.number == 2) ? SetError::None : SetError::WrongValue;
    if (OidHasPrefix(oid, Append(oids::portEntry, {portSpeedSetting})) && oid.size() == oids::portEntry.size() + 2)
        return CheckSpeedSetting(static_cast<int>(oid.back()), value.number, request ? *request : ObjectMap{{oid, value}});
    if (OidHasPrefix(oid, Append(oids::portEntry, {portFlowSetting})) && oid.size() == oids::portEntry.size() + 2)
        return (value.number == 1 || value.number == 2) ? SetError::None : SetError::WrongValue;
    if (OidHasPrefix(oid, oids::poeEntry) && oid.size() == oids::poeEntry.size() + 3)
        return CheckPoeSetting(oid, value, request ? *request : ObjectMap{{oid, value}});
    return SetError::None;
}

std::optional<Value> CSimDevice::Set(const Oid& oid, const Value& value)
{
    std::optional<Value> previous;
    if (auto it = m_objects.find(oid); it != m_objects.end())
        previous = it->second;
    m_objects[oid] = value;
    return previous;
}

void CSimDevice::Undo(const Oid& oid, const std::optional<Value>& previous)
{
    if (previous)
        m_objects[oid] = *previous;
    else
        m_objects.erase(oid);
}

void CSimDevice::Committed(const Oid& oid)
{
    auto now = Clock::now();
    if (oid == oids::reboot) {
        // Answer first, then go down for the reboot.
        m_rebootAt = now + std::chrono::milliseconds(200);
        return;
    }
    if (oid == oids::saveConfig) {
        TakeSavedConfig();
        DeviceEvent e;
        e.kind = DeviceEvent::Kind::ConfigSaved;
        Emit(e);
        return;
    }
    if (oid == oids::snmpEngineId) {
        // The engine ID goes to non-volatile memory at once; the agent takes it at the next reboot.
        m_saved[oid] = m_objects[oid];
        return;
    }
    for (const auto& f : m_features) {
        if (f->Handles(oid)) {
            f->Committed(m_objects, oid);
            for (const auto& follower : m_features)
                follower->Follow(m_objects);
            return;
        }
    }
    if (m_timeRanges.Handles(oid)) {
        m_timeRanges.Committed(m_objects, oid);
        // The ports on a changed time range follow it.
        for (auto& [index, p] : m_ports)
            if (p.poe && ScheduledOff(p) != p.scheduledOff)
                RecomputePoe(&p);
        return;
    }
    const bool ifAdmin = OidHasPrefix(oid, Append(oids::ifEntry, {ifAdminStatus})) && oid.size() == oids::ifEntry.size() + 2;
    const bool speedSetting =
        OidHasPrefix(oid, Append(oids::portEntry, {portSpeedSetting})) && oid.size() == oids::portEntry.size() + 2;
    const bool flowSetting =
        OidHasPrefix(oid, Append(oids::portEntry, {portFlowSetting})) && oid.size() == oids::portEntry.size() + 2;
    if (ifAdmin || speedSetting || flowSetting) {
        if (Port* p = FindPort(static_cast<int>(oid.back()))) {
            if (speedSetting) {
                ApplySpeedSetting(*p, true);
            }
            RecomputePort(*p);
        }
        return;
    }
    if (OidHasPrefix(oid, oids::poeEntry) && oid.size() == oids::poeEntry.size() + 3)
        RecomputePoe(FindPort(static_cast<int>(oid.back())));
}

void CSimDevice::ApplySpeedSetting(Port& p, bool written)
{
    const auto speed = GetInt(Append(oids::portEntry, {portSpeedSetting, static_cast<std::uint32_t>(p.index)}));
    switch (speed.value_or(speedAuto)) {
    case speed1000Full: p.linkMbps = 1000; break;
    case speed100Full: case speed100Half: p.linkMbps = 100; break;
    case speed10Full: case speed10Half: p.linkMbps = 10; break;
    case speedAuto:
        // Auto-negotiation runs at the port's top speed; a port that never left auto keeps the speed
        // its counterpart offers.
        if (written || p.forced)
            p.linkMbps = p.maxMbps;
        p.halfDuplex = false;
        p.forced = false;
        return;
    default:
        return;  // disabled: the port keeps its speed for when it comes back
    }
    p.halfDuplex = speed == speed100Half || speed == speed10Half;
    p.forced = true;
}

void CSimDevice::RecomputePort(Port& p)
{
    const auto idx = static_cast<std::uint32_t>(p.index);
    const bool admin = GetInt(Append(oids::ifEntry, {ifAdminStatus, idx})).value_or(1) == 1;
    const bool disabled = GetInt(Append(oids::portEntry, {portSpeedSetting, idx})).value_or(6) == 7;
    const bool up = admin && !disabled && p.carrier;
    const Oid operOid = Append(oids::ifEntry, {ifOperStatus, idx});
    const auto before = GetInt(operOid);
    PutInt(Append(oids::ifEntry, {ifOperStatus}), p.index, up ? 1 : 2);
    if (before && *before != (up ? 1 : 2)) {
        PutInt(Append(oids::ifEntry, {ifLastChange}), p.index, UptimeTicks(Clock::now()));
        DeviceEvent e;
        e.kind = up ? DeviceEvent::Kind::LinkUp : DeviceEvent::Kind::LinkDown;
        e.port = p.index;
        Emit(e);
        const bool fiber = GetInt(Append(oids::portEntry, {portMedia, idx})).value_or(1) >= 3;
        if (m_notifications.size() >= 256)  // nobody takes them: keep the newest
            m_notifications.erase(m_notifications.begin());
        m_notifications.push_back({up ? SimNotification::LinkUp : SimNotification::LinkDown, p.index, fiber, Clock::now()});
    }
    const int mbps = up ? p.linkMbps : p.maxMbps;
    PutInt(Append(oids::ifEntry, {ifSpeed}), p.index, std::min<std::int64_t>(std::int64_t(mbps) * 1000000, 4294967295LL));
    PutInt(Append(oids::ifXEntry, {ifHighSpeed}), p.index, mbps);
    // Operating mode: 1 down, 2 1000M full, 3/4 100M full/half, 5/6 10M full/half; flow control runs
    // as set while the link is up.
    int mode = 1;
    if (up)
        mode = p.linkMbps >= 1000 ? 2 : (p.linkMbps >= 100 ? 3 : 5) + (p.halfDuplex ? 1 : 0);
    PutInt(Append(oids::portEntry, {portOperMode}), p.index, mode);
    if (m_objects.count(Append(oids::portEntry, {portOperFlow, idx}))) {
        const bool flow = GetInt(Append(oids::portEntry, {portFlowSetting, idx})).value_or(2) == 1;
        PutInt(Append(oids::portEntry, {portOperFlow}), p.index, up && flow ? 1 : 2);
    }
    FollowLinkInFdb(p, up);
    for (const auto& f : m_features)
        f->PortChanged(m_objects, p.index);
}

void CSimDevice::FollowLinkInFdb(const Port& p, bool up)
{
    enum { fdbPort = 2, fdbStatus = 3, learned = 3 };
    const Oid statusColumn = Append(oids::fdbEntry, {fdbStatus});
    // The learned-row count of the filtering database a row (index fdb id, address) belongs to.
    auto count = [&](const Oid& row, int delta) {
        Oid o = oids::fdbDynamicCount;
        o.push_back(row[statusColumn.size()]);
        if (auto it = m_objects.find(o); it != m_objects.end() && it->second.number + delta >= 0)
            it->second.number += delta;
    };
    if (up) {
        auto flushed = m_flushedFdb.find(p.index);
        if (flushed == m_flushedFdb.end())
            return;
        for (const auto& [oid, value] : flushed->second) {
            m_objects[oid] = value;
            if (OidHasPrefix(oid, statusColumn))
                count(oid, 1);
        }
        m_flushedFdb.erase(flushed);
        return;
    }
    std::vector<Oid> rows;
    for (auto it = m_objects.lower_bound(statusColumn); it != m_objects.end() && OidHasPrefix(it->first, statusColumn);
         ++it) {
        if (it->second.tag != Tag::Integer || it->second.number != learned || it->first.size() <= statusColumn.size())
            continue;
        Oid portOid = it->first;
        portOid[oids::fdbEntry.size()] = fdbPort;
        if (GetInt(portOid).value_or(-1) == p.index)
            rows.push_back(it->first);
    }
    for (const Oid& status : rows) {
        Oid portOid = status;
        portOid[oids::fdbEntry.size()] = fdbPort;
        auto& keep = m_flushedFdb[p.index];
        keep[status] = m_objects[status];
        keep[portOid] = m_objects[portOid];
        m_objects.erase(status);
        m_objects.erase(portOid);
        count(status, -1);
    }
}

bool CSimDevice::ScheduledOff(const Port& p) const
{
    const auto range = GetInt(Append(oids::poeEntry, {poeTimeRange, 1, static_cast<std::uint32_t>(p.index)})).value_or(0);
    return range > 0 && range <= kMaxTimeRanges && !InTimeRange(static_cast<std::uint32_t>(range));
}

void CSimDevice::RecomputePoe(Port* only)
{
    if (!m_model || m_model->poePorts == 0)
        return;
    // Only the port that changed is worked out again, so values set through the control channel on
    // other ports stay as they were.
    for (auto& [index, p] : m_ports) {
        if (!p.poe || (only && only != &p))
            continue;
        const auto idx = static_cast<std::uint32_t>(index);
        const bool enabled = GetInt(Append(oids::poeEntry, {poeState, 1, idx})).value_or(1) == 1;
        p.scheduledOff = ScheduledOff(p);
        const bool on = enabled && p.poweredDevice && !p.scheduledOff;
        // A class 0 device drawing a plausible share of the budget; the figures are text as the device gives them.
        auto put = [&](int column, std::string text) {
            Oid o = Append(oids::poeEntry, {static_cast<std::uint32_t>(column), 1, idx});
            if (auto it = m_objects.find(o); it != m_objects.end())
                it->second.bytes = std::move(text);
        };
        put(poeStatus, on ? "POWER ON" : (enabled && p.poweredDevice && p.scheduledOff) ? "Time-based OFF" : "POWER OFF");
        put(poePower, Watts(on ? 7.4 : 0.0));
        put(poeVoltage, on ? "53.5" : "0.0");
        put(poeCurrent, on ? "138" : "0");
        put(poeClass, on ? "Class 0" : "N/A");
    }
    // The remaining budget is what the ports' power figures leave of the total.
    double used = 0;
    for (const auto& [index, p] : m_ports) {
        auto it = m_objects.find(Append(oids::poeEntry, {poePower, 1, static_cast<std::uint32_t>(index)}));
        if (p.poe && it != m_objects.end() && it->second.tag == Tag::OctetString) {
            const double w = std::strtod(it->second.bytes.c_str(), nullptr);
            if (w > 0 && w < 1e6)
                used += w;
        }
    }
    if (auto it = m_objects.find(oids::poeRemaining); it != m_objects.end())
        it->second.bytes = Watts(std::max(0.0, m_model->poeBudgetWatts - used));
}

bool CSimDevice::InTimeRange(std::uint32_t range) const
{
    auto col = [&](std::uint32_t c) { return GetInt(Append(oids::timeRangeEntry, {c, range})).value_or(0); };
    // A range that does not exist or is not active restricts nothing.
    if (col(kTimeRangeRowStatus) != 1)
        return true;
    const std::time_t t = std::time(nullptr);
    std::tm now{};
    localtime_r(&t, &now);
    const std::uint32_t dayColumn = 14 + static_cast<std::uint32_t>((now.tm_wday + 6) % 7); // 14 Monday .. 20 Sunday
    if (col(dayColumn) != 1)
        return false;
    if (col(3) == 1) {
        const long long today = (now.tm_year + 1900LL) * 10000 + (now.tm_mon + 1) * 100 + now.tm_mday;
        const long long from = col(4) * 10000 + col(5) * 100 + col(6);
        const long long to = col(9) * 10000 + col(10) * 100 + col(11);
        if (today < from || today > to)
            return false;
    }
    const long long minute = now.tm_hour * 60 + now.tm_min;
    const long long start = col(7) * 60 + col(8);
    const long long end = col(12) * 60 + col(13);
    return start <= end ? (minute >= start && minute <= end) : (minute >= start || minute <= end);
}

void CSimDevice::TakeSavedConfig()
{
    m_saved = ConfigObjects();
}

ObjectMap CSimDevice::ConfigObjects() const
{
    ObjectMap config;
    for (const auto& [oid, value] : m_objects)
        if (IsWritable(oid) && oid != oids::reboot && oid != oids::saveConfig)
            config[oid] = value;
    return config;
}

void CSimDevice::ReplaceConfig(const ObjectMap& config)
{
    for (auto it = m_objects.begin(); it != m_objects.end();) {
        if (IsWritable(it->first) && it->first != oids::reboot && it->first != oids::saveConfig)
            it = m_objects.erase(it);
        else
            ++it;
    }
    for (const auto& [oid, value] : config)
        m_objects[oid] = value;
    for (auto& [index, p] : m_ports) {
        ApplySpeedSetting(p, false);
        RecomputePort(p);
    }
    RecomputePoe();
    for (const auto& f : m_features)
        f->Restarted(m_objects);
    for (const auto& f : m_features)
        f->Follow(m_objects);
}

bool CSimDevice::SnmpSilent() const
{
    auto it = m_objects.find(oids::snmpGlobalState);
    return it != m_objects.end() && it->second.number == 2;
}

std::vector<SimNotification> CSimDevice::TakeNotifications(Clock::time_point now)
{
    std::vector<SimNotification> due;
    for (auto it = m_notifications.begin(); it != m_notifications.end();) {
        if (it->due <= now) {
            due.push_back(*it);
            it = m_notifications.erase(it);
        } else {
            ++it;
        }
    }
    return due;
}

void CSimDevice::Emit(const DeviceEvent& event)
{
    for (const auto& f : m_features)
        f->OnEvent(m_objects, event);
}

void CSimDevice::DoReboot(Clock::time_point now)
{
    // A reboot loses what was not saved and starts the clock again.
    m_uptimeBase = 0;
    m_boot = now;
    m_bootDone = now + m_rebootTime;
    ReplaceConfig(m_saved);
    if (auto it = m_objects.find(oids::reboot); it != m_objects.end())
        it->second.number = 0;
    DeviceEvent e;
    e.kind = DeviceEvent::Kind::Rebooted;
    Emit(e);
    // What changed while going down is not announced; the switch is back when its silence ends.
    m_notifications.clear();
    m_notifications.push_back({SimNotification::ColdStart, 0, false, m_bootDone});
    ++m_nBoots;
}

void CSimDevice::Tick(Clock::time_point now)
{
    for (const auto& f : m_features)
        f->Tick(m_objects, now);
    if (m_rebootAt && now >= *m_rebootAt) {
        m_rebootAt.reset();
        DoReboot(now);
    }
    if (m_model && m_model->poePorts > 0 && now >= m_nextPoeCheck) {
        // Time ranges switch PoE on and off as the clock passes their edges.
        m_nextPoeCheck = now + std::chrono::seconds(1);
        for (auto& [index, p] : m_ports)
            if (p.poe && ScheduledOff(p) != p.scheduledOff)
                RecomputePoe(&p);
    }
    if (m_dynamics && !m_ports.empty() && now >= m_nextDynamics) {
        // Now and then a cable is plugged or pulled, or a powered device comes or goes.
        m_nextDynamics = now + std::chrono::milliseconds(3000 + m_dynRandom() % 4000);
        auto it = m_ports.begin();
        std::advance(it, static_cast<long>(m_dynRandom() % m_ports.size()));
        Port& p = it->second;
        if (p.poe && m_dynRandom() % 2) {
            p.poweredDevice = !p.poweredDevice;
            RecomputePoe(&p);
        } else {
            p.carrier = !p.carrier;
            RecomputePort(p);
        }
    }
}

std::string CSimDevice::Control(std::string_view line)
{
    auto words = Words(line);
    if (words.empty())
        return "error: empty command";
    const std::string_view cmd = words[0];
    auto portArg = [&](Port** port) -> std::string {
        long long n = 0;
        if (words.size() < 2 || !ParseInt(words[1], 1, 100000, &n))
            return "error: " + std::string(cmd) + " needs a port number";
        *port = FindPort(static_cast<int>(n));
        if (!*port)
            return "error: no port " + std::string(words[1]);
        return "";
    };
    auto upDown = [&](std::string_view w, const char* a, const char* b, bool* on) {
        if (w == a) { *on = true; return true; }
        if (w == b) { *on = false; return true; }
        return false;
    };
    if (cmd == "link" || cmd == "admin") {
        Port* p = nullptr;
        if (auto e = portArg(&p); !e.empty())
            return e;
        bool on = false;
        if (words.size() != 3 || !upDown(words[2], "up", "down", &on))
            return "error: usage: " + std::string(cmd) + " PORT up|down";
        if (cmd == "link")
            p->carrier = on;
        else
            PutInt(Append(oids::ifEntry, {ifAdminStatus}), p->index, on ? 1 : 2);
        RecomputePort(*p);
        return "ok";
    }
    if (cmd == "speed") {
        Port* p = nullptr;
        if (auto e = portArg(&p); !e.empty())
            return e;
        long long mbps = 0;
        if (words.size() != 3 || !ParseInt(words[2], 1, 100000, &mbps))
            return "error: usage: speed PORT MBPS (1 to 100000)";
        p->linkMbps = static_cast<int>(mbps);
        RecomputePort(*p);
        return "ok";
    }
    if (cmd == "medium") {
        Port* p = nullptr;
        if (auto e = portArg(&p); !e.empty())
            return e;
        long long m = 0;
        if (words.size() != 3 || !ParseInt(words[2], 1, 4, &m))
            return "error: usage: medium PORT 1|2|3|4";
        if (m >= 2 && !p->combo)
            return "error: port " + std::to_string(p->index) + " has no second connector";
        const Oid o = Append(oids::portEntry, {portMedia, static_cast<std::uint32_t>(p->index)});
        if (!m_objects.count(o))
            return "error: this device has no port medium object";
        PutInt(Append(oids::portEntry, {portMedia}), p->index, m);
        if (m == 3)
            p->linkMbps = 100;
        else if (m == 4)
            p->linkMbps = 1000;
        RecomputePort(*p);
        return "ok";
    }
    if (cmd == "fan") {
        bool on = false;
        if (words.size() != 2 || !upDown(words[1], "ok", "fault", &on))
            return "error: usage: fan ok|fault";
        if (!m_objects.count(oids::fanStatus))
            return "error: this device has no fan";
        m_objects[oids::fanStatus].number = on ? 1 : 2;
        return "ok";
    }
    if (cmd == "poe") {
        Port* p = nullptr;
        if (auto e = portArg(&p); !e.empty())
            return e;
        bool on = false;
        if (words.size() != 3 || !upDown(words[2], "on", "off", &on))
            return "error: usage: poe PORT on|off";
        if (!p->poe)
            return "error: port " + std::to_string(p->index) + " has no PoE";
        // A powered device plugged in (its port's PoE enabled) or pulled out.
        p->poweredDevice = on;
        if (on)
            PutInt(Append(oids::poeEntry, {poeState, 1}), p->index, 1);
        RecomputePoe(p);
        return "ok";
    }
    if (cmd == "neighbour") {
        // neighbour PORT add NAME | neighbour PORT remove: an LLDP neighbour plugged into the port or gone.
        Port* p = nullptr;
        if (auto e = portArg(&p); !e.empty())
            return e;
        if (!m_lldp)
            return "error: this device has no LLDP agent";
        if (words.size() == 4 && words[2] == "add") {
            const std::string name(words[3]);
            if (name.size() > 255)
                return "error: the name has more than 255 bytes";
            m_lldp->AddNeighbour(m_objects, p->index, CLldpFeature::HostNeighbour(name));
            return "ok";
        }
        if (words.size() == 3 && words[2] == "remove")
            return m_lldp->RemoveNeighbour(m_objects, p->index) ? "ok" : "error: no neighbour on port " + std::to_string(p->index);
        return "error: usage: neighbour PORT add NAME | neighbour PORT remove";
    }
    if (cmd == "set") {
        // set OID TAG VALUE: the value is the rest of the line, so it may hold blanks.
        if (words.size() < 3)
            return "error: usage: set OID TAG VALUE";
        Oid oid;
        if (!ParseOid(words[1], &oid))
            return "error: bad OID " + std::string(words[1]);
        std::string_view rest = line.substr(static_cast<size_t>(words[2].data() + words[2].size() - line.data()));
        if (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n'))
            rest.remove_suffix(1);
        Value v;
        std::string error;
        if (!ParseValue(words[2], rest, &v, &error))
            return "error: " + error;
        m_objects[oid] = v;
        return "ok";
    }
    if (cmd == "snmp") {
        // The console's switch for the agent: the only way back once SNMP has turned it off.
        bool on = false;
        if (words.size() != 2 || !upDown(words[1], "on", "off", &on))
            return "error: usage: snmp on|off";
        if (!m_objects.count(oids::snmpGlobalState))
            return "error: this device has no agent settings";
        m_objects[oids::snmpGlobalState].number = on ? 1 : 2;
        return "ok";
    }
    if (cmd == "unset") {
        // unset OID: the object is gone (a switch without it).
        Oid oid;
        if (words.size() != 2 || !ParseOid(words[1], &oid))
            return "error: usage: unset OID";
        if (!m_objects.erase(oid))
            return "error: no object " + std::string(words[1]);
        return "ok";
    }
    if (cmd == "drop") {
        double f = 0;
        if (words.size() != 2 || !ParseFraction(words[1], &f))
            return "error: usage: drop FRACTION (0 to 1)";
        m_dDropFraction = f;
        return "ok";
    }
    if (cmd == "delay") {
        long long ms = 0;
        if (words.size() != 2 || !ParseInt(words[1], 0, 600000, &ms))
            return "error: usage: delay MS (0 to 600000)";
        m_nDelayMs = static_cast<int>(ms);
        return "ok";
    }
    return "error: unknown command \"" + std::string(cmd) + "\"";
}

} // namespace tqxsim
