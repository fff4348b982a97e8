// Control lines, command lines and SET requests against a small PoE switch: nothing crashes, every
// control line gets an answer of the documented form, and SETs never leave an active VLAN with untagged
// ports outside its egress ports, a PVID naming no VLAN, a port in two trunks, or spanning-tree timers
// and port values that break their rules, or LLDP timers out of their relation and neighbours heard
// where the agent cannot hear them.
#include "sim/Device.h"
#include "sim/Options.h"
#include "sim/Lldp.h"
#include "sim/PortBitmap.h"
#include "sim/Stp.h"
#include "sim/SnmpAdmin.h"
#include "sim/Trunk.h"
#include "sim/Vlan.h"

#include <algorithm>
#include <set>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

const char* const kDevice =
    "1.3.6.1.2.1.1.3.0|67|0\n"
    "1.3.6.1.2.1.1.5.0|4|sw\n"
    "1.3.6.1.2.1.2.2.1.3.1|2|6\n1.3.6.1.2.1.2.2.1.3.2|2|6\n1.3.6.1.2.1.2.2.1.3.9|2|6\n1.3.6.1.2.1.2.2.1.3.10|2|6\n"
    "1.3.6.1.2.1.2.2.1.5.1|66|100000000\n1.3.6.1.2.1.2.2.1.5.9|66|1000000000\n"
    "1.3.6.1.2.1.2.2.1.7.1|2|1\n1.3.6.1.2.1.2.2.1.7.9|2|1\n"
    "1.3.6.1.2.1.2.2.1.8.1|2|1\n1.3.6.1.2.1.2.2.1.8.9|2|2\n"
    "1.3.6.1.2.1.17.4.2.0|2|300\n"
    "1.3.6.1.2.1.17.7.1.2.1.1.2.1|65|2\n"
    "1.3.6.1.2.1.17.7.1.2.2.1.2.1|2|1\n1.3.6.1.2.1.17.7.1.2.2.1.3.1|2|3\n"
    "1.3.6.1.2.1.17.7.1.2.2.1.2.1.0.0.94.0.83.16|2|1\n1.3.6.1.2.1.17.7.1.2.2.1.3.1.0.0.94.0.83.16|2|3\n"
    "1.3.6.1.2.1.17.7.1.2.2.1.2.1.0.0.94.0.83.17|2|9\n1.3.6.1.2.1.17.7.1.2.2.1.3.1.0.0.94.0.83.17|2|5\n"
    "1.3.6.1.4.1.32473.10.76.10.1.9.0|2|0\n1.3.6.1.4.1.32473.10.76.10.1.10.0|2|0\n"
    "1.3.6.1.4.1.32473.10.76.10.1.13.1.2.1|2|6\n1.3.6.1.4.1.32473.10.76.10.1.13.1.7.9|2|2\n"
    "1.3.6.1.4.1.32473.10.76.10.1.15.1.0|2|1\n"
    "1.3.6.1.4.1.32473.10.75.6.22.1.1.3.1.1|2|1\n1.3.6.1.4.1.32473.10.75.6.22.1.1.4.1.1|2|1\n"
    "1.3.6.1.4.1.32473.10.75.6.22.1.1.13.1.1|4|POWER ON\n1.3.6.1.4.1.32473.10.75.6.22.6.0|4|60.0\n"
    "1.3.6.1.4.1.32473.10.75.6.23.1.1.21.1|2|1\n";

// What the VLAN and trunk rules keep true, whatever was written to them.
void CheckVlansAndTrunks(const tqxsim::ObjectMap& objects)
{
    using namespace tqxsim;
    auto cell = [&](const Oid& entry, std::uint32_t column, std::uint32_t index) -> const Value* {
        Oid o = entry;
        o.push_back(column);
        o.push_back(index);
        auto it = objects.find(o);
        return it == objects.end() ? nullptr : &it->second;
    };
    Oid status = oids::vlanEntry;
    status.push_back(vlanRowStatus);
    for (auto it = objects.upper_bound(status); it != objects.end() && OidHasPrefix(it->first, status); ++it) {
        if (it->second.number != kActive)
            continue;
        const Value* egress = cell(oids::vlanEntry, vlanEgress, it->first.back());
        const Value* untagged = cell(oids::vlanEntry, vlanUntagged, it->first.back());
        if (!egress || !untagged)
            std::abort();
        const auto e = PortsOf(egress->bytes), u = PortsOf(untagged->bytes);
        if (!std::includes(e.begin(), e.end(), u.begin(), u.end()))
            std::abort();
    }
    if (!cell(oids::vlanEntry, vlanRowStatus, 1))
        std::abort(); // the default VLAN stays
    for (auto it = objects.upper_bound(oids::vlanPvid); it != objects.end() && OidHasPrefix(it->first, oids::vlanPvid); ++it)
        if (it->second.number < 1 || it->second.number > 4094 ||
            !cell(oids::vlanEntry, vlanRowStatus, static_cast<std::uint32_t>(it->second.number)))
            std::abort();
    std::set<int> inTrunks;
    for (std::uint32_t t = 1; t <= CTrunkFeature::kTrunks; ++t) {
        const Value* members = cell(oids::trunkEntry, trunkMembers, t);
        if (!members)
            std::abort();
        for (int p : PortsOf(members->bytes))
            if (!inTrunks.insert(p).second)
                std::abort();
    }
}

// What the spanning-tree rules keep true: timers in range and in relation, the root's id made of the
// priority and the bridge address, each port's state following its link and its STP setting, and the
// standard and vendor views of a port's priority agreeing.
void CheckStp(const tqxsim::ObjectMap& objects, int nPorts)
{
    using namespace tqxsim;
    auto number = [&](const Oid& o) {
        auto it = objects.find(o);
        if (it == objects.end())
            std::abort();
        return it->second.number;
    };
    auto scalar = [](std::uint32_t n) { return Oid{1, 3, 6, 1, 2, 1, 17, 2, n, 0}; };
    auto cell = [](const Oid& entry, std::uint32_t column, int port) {
        Oid o = entry;
        o.push_back(column);
        o.push_back(static_cast<std::uint32_t>(port));
        return o;
    };
    const auto maxAge = number(scalar(stpBridgeMaxAge));
    const auto hello = number(scalar(stpBridgeHelloTime));
    const auto delay = number(scalar(stpBridgeForwardDelay));
    if (maxAge < 600 || maxAge > 4000 || hello < 100 || hello > 1000 || delay < 400 || delay > 3000 ||
        2 * (delay - 100) < maxAge || maxAge < 2 * (hello + 100) || number(scalar(stpMaxAge)) != maxAge)
        std::abort();
    const auto priority = number(scalar(stpPriority));
    const auto root = objects.find(scalar(stpDesignatedRoot));
    if (priority % 4096 != 0 || root == objects.end() || root->second.bytes.size() != 8 ||
        static_cast<unsigned char>(root->second.bytes[0]) != (priority >> 8))
        std::abort();
    for (int p = 1; p <= nPorts; ++p) {
        const auto oper = objects.find(cell({1, 3, 6, 1, 2, 1, 2, 2, 1}, 8, p));
        const bool link = oper != objects.end() && oper->second.number == 1;
        const bool on = number(cell(oids::dot1dStpPortEntry, stpPortEnable, p)) == 1;
        if (number(cell(oids::dot1dStpPortEntry, stpPortState, p)) != (link && on ? 5 : 1) ||
            number(cell(oids::dot1dStpPortEntry, stpPortPriority, p)) != number(cell(oids::stpPortEntry, stpVendorPriority, p)))
            std::abort();
    }
}

// What the agent tables keep true: every active row is one the agent can enforce.
void CheckAgentTables(const tqxsim::CSnmpAdminFeature& admin, const tqxsim::ObjectMap& objects)
{
    using namespace tqxsim;
    for (const Oid& index : admin.Users().Indexes(objects)) {
        if (!admin.Users().Active(objects, index))
            continue;
        const Row row = admin.Users().Read(objects, index);
        if (row.at(userGroup).bytes.empty() || (row.at(userVersion).number != 3 && row.at(userAuthProtocol).number != 1))
            std::abort();
        if (row.at(userAuthProtocol).number != 1 && row.at(userAuthPassword).bytes.size() < 8)
            std::abort();
    }
    for (const Oid& index : admin.Views().Indexes(objects)) {
        size_t pos = 0;
        std::string name;
        if (!ReadNameIndex(index, &pos, &name) || index.size() != pos + 1 + index[pos])
            std::abort();
        if (admin.Views().Active(objects, index) && admin.Views().Read(objects, index).at(viewMask).bytes.size() > index[pos])
            std::abort();
    }
    if (admin.Communities().Indexes(objects).size() > CSnmpAdminFeature::kMaxCommunities ||
        admin.Hosts().Indexes(objects).size() > CSnmpAdminFeature::kMaxHosts)
        std::abort();
}

// What the LLDP rules keep true: the timers in range and the TX delay at most a quarter of the
// interval; remote rows only while the agent runs, on ports with link, one neighbour per port.
void CheckLldp(const tqxsim::ObjectMap& objects)
{
    using namespace tqxsim;
    auto number = [&](const Oid& o) {
        auto it = objects.find(o);
        if (it == objects.end())
            std::abort();
        return it->second.number;
    };
    const auto interval = number(oids::lldpTxInterval);
    const auto delay = number(oids::lldpTxDelay);
    if (interval < 5 || interval > 32768 || delay < 1 || 4 * delay > interval || number(oids::lldpTxHold) < 2 ||
        number(oids::lldpTxHold) > 10)
        std::abort();
    const bool enabled = number(oids::lldpState) == 1;
    std::set<std::uint32_t> ports;
    Oid column = oids::lldpRemEntry;
    column.push_back(4);
    for (auto it = objects.lower_bound(column); it != objects.end() && OidHasPrefix(it->first, column); ++it) {
        const std::uint32_t port = it->first[it->first.size() - 2];
        const auto oper = objects.find(Oid{1, 3, 6, 1, 2, 1, 2, 2, 1, 8, port});
        if (!enabled || oper == objects.end() || oper->second.number != 1 || !ports.insert(port).second)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    using namespace tqxsim;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.empty())
        return 0;
    const std::string_view body = input.substr(1);

    if (input[0] % 3 == 0) {
        // A command line: arguments separated by NUL bytes.
        std::vector<std::string> args;
        size_t start = 0;
        while (start <= body.size()) {
            size_t end = body.find('\0', start);
            if (end == std::string_view::npos)
                end = body.size();
            args.emplace_back(body.substr(start, end - start));
            start = end + 1;
        }
        Options o;
        std::string error;
        if (!ParseOptions(args, &o, &error) && error.empty())
            std::abort();
        return 0;
    }

    CSimDevice device(FindModel("TQX-8810P"));
    ObjectMap objects;
    ParseSnmprec(kDevice, &objects, nullptr);
    device.Merge(objects);
    device.Start();
    size_t start = 0;
    while (start < body.size()) {
        size_t end = body.find('\n', start);
        if (end == std::string_view::npos)
            end = body.size();
        const std::string_view line = body.substr(start, end - start);
        start = end + 1;
        if (input[0] % 3 == 1) {
            const std::string answer = device.Control(line);
            if (answer != "ok" && answer.rfind("error: ", 0) != 0)
                std::abort();
        } else {
            // A SET request: "OID|TAG|VALUE" bindings separated by ";", run as the agent runs them: all
            // checked against the whole request, then all stored, then all committed.
            std::string text(line);
            std::replace(text.begin(), text.end(), ';', '\n');
            ObjectMap request;
            ParseSnmprec(text, &request, nullptr);
            bool accepted = !request.empty();
            for (const auto& [oid, value] : request)
                accepted = accepted && device.CheckSet(oid, value, &request) == SetError::None;
            if (accepted) {
                for (const auto& [oid, value] : request)
                    device.Set(oid, value);
                for (const auto& [oid, value] : request)
                    device.Committed(oid);
                // A written object is there afterwards, unless the write destroyed its row.
                const auto& [oid, value] = *request.begin();
                if (request.size() == 1 && !device.Get(oid) && !(value.tag == Tag::Integer && value.number == kDestroy))
                    std::abort();
            }
            CheckVlansAndTrunks(device.Objects());
            CheckStp(device.Objects(), device.PortCount());
            CheckAgentTables(device.SnmpAdmin(), device.Objects());
            CheckLldp(device.Objects());
        }
        Oid next;
        Value v;
        device.Next({1, 3}, false, &next, &v);
    }
    device.Tick(CSimDevice::Clock::now() + std::chrono::seconds(5));
    return 0;
}
