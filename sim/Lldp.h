// LLDP (IEEE 802.1AB): the vendor agent settings and the LLDP-MIB's local system group and remote
// table. The local system is the switch itself (chassis id its bridge address, name and description
// those of the system group, read as they are now). Neighbours are attached to ports; a neighbour is
// in the remote table while its port has link and the agent is enabled, and it arrives again (new
// time mark and remote index) when the link comes back or the agent is enabled again.
#pragma once

#include "sim/Feature.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace tqxsim {

namespace oids {
extern const Oid lldpVendor, lldpState, lldpTxHold, lldpTxInterval, lldpReinitDelay, lldpTxDelay, lldpPsePortEntry,
    lldpLocalSystem, lldpRemEntry;
} // namespace oids

// What a neighbour advertises.
struct LldpNeighbour {
    int chassisIdSubtype = 4;  // macAddress
    std::string chassisId;
    int portIdSubtype = 5;     // interfaceName
    std::string portId;
    std::string portDesc;
    std::string sysName;
    std::string sysDesc;
    bool router = false;       // capabilities: router, else station only
};

class CLldpFeature : public CSimFeature {
public:
    static constexpr std::int64_t kHoldMin = 2, kHoldMax = 10, kIntervalMin = 5, kIntervalMax = 32768,
                                  kReinitMin = 1, kReinitMax = 10, kDelayMin = 1, kDelayMax = 8192;

    // poePorts: ports 1..poePorts have the MED Power PSE TLV switch. uplink: the port of the default
    // upstream neighbour (0: none). get: the device's objects as a manager reads them now. uptime: the
    // device's sysUpTime in hundredths of a second.
    CLldpFeature(int portCount, int poePorts, int uplink, std::function<std::optional<Value>(const Oid&)> get,
                 std::function<std::uint32_t()> uptime);

    // A neighbour on port (replacing the one there); it shows when the port has link.
    void AddNeighbour(ObjectMap& objects, int port, LldpNeighbour neighbour);
    // The neighbour on port goes; false when there was none.
    bool RemoveNeighbour(ObjectMap& objects, int port);
    // A neighbour described from its system name alone, as a host running an LLDP agent sends it.
    static LldpNeighbour HostNeighbour(const std::string& name);

    void AddDefaults(ObjectMap& objects, const ModelInfo& model) const override;
    bool Handles(const Oid& oid) const override;
    SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const override;
    void Committed(ObjectMap& objects, const Oid& oid) override;
    void PortChanged(ObjectMap& objects, int port) const override;
    void Restarted(ObjectMap& objects) const override;
    bool Serve(const Oid& oid, const Value& stored, Value* served) const override;

private:
    // The remote table row of port as the link and the agent state give it now.
    void UpdatePort(ObjectMap& objects, int port) const;

    int m_nPorts;
    int m_nPoePorts;
    std::function<std::optional<Value>(const Oid&)> m_get;
    std::function<std::uint32_t()> m_uptime;
    std::map<int, LldpNeighbour> m_neighbours;  // by local port
    mutable std::uint32_t m_nNextIndex = 1;     // lldpRemIndex of the next arrival
};

} // namespace tqxsim
