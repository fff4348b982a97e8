// Spanning tree: the bridge MIB's dot1dStp group and the vendor STP objects. The switch is the only
// bridge there is, so it is its own root: its designated root and every port's designated root and
// bridge are its bridge id (priority and bridge address), with root cost 0. Port states follow the
// links, path costs the port speeds unless set, and every change of a port's state counts as a
// topology change. The timers are held to the ranges and relations of IEEE 802.1D.
#pragma once

#include "sim/Feature.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tqxsim {

namespace oids {
extern const Oid dot1dStp, dot1dStpPortEntry, stpState, stpVersion, stpPortEntry;
} // namespace oids

// dot1dStp scalars (1.3.6.1.2.1.17.2.N.0).
enum StpScalar {
    stpProtocol = 1, stpPriority = 2, stpTimeSinceTopologyChange = 3, stpTopChanges = 4,
    stpDesignatedRoot = 5, stpRootCost = 6, stpRootPort = 7, stpMaxAge = 8, stpHelloTime = 9, stpHoldTime = 10,
    stpForwardDelay = 11, stpBridgeMaxAge = 12, stpBridgeHelloTime = 13, stpBridgeForwardDelay = 14,
};
// dot1dStpPortEntry columns (1.3.6.1.2.1.17.2.15.1.C.PORT).
enum StpPortColumn {
    stpPort = 1, stpPortPriority = 2, stpPortState = 3, stpPortEnable = 4, stpPortPathCost = 5,
    stpPortDesignatedRoot = 6, stpPortDesignatedCost = 7, stpPortDesignatedBridge = 8, stpPortDesignatedPort = 9,
    stpPortForwardTransitions = 10, stpPortPathCost32 = 11,
};
// Vendor per-port STP columns (1.3.6.1.4.1.32473.10.76.10.6.2.1.C.PORT).
enum StpVendorColumn {
    stpVendorPriority = 2, stpVendorEnable = 4, stpVendorPathCost = 5, stpVendorEdge = 14, stpVendorPointToPoint = 16,
    stpVendorMigration = 17, stpVendorAdminEdge = 18,
};

class CStpFeature : public CSimFeature {
public:
    // Port states (dot1dStpPortState).
    enum { kPortDisabled = 1, kPortForwarding = 5 };
    // Timer limits in hundredths of a second.
    static constexpr std::int64_t kMaxAgeMin = 600, kMaxAgeMax = 4000, kForwardDelayMin = 400,
                                  kForwardDelayMax = 3000, kHelloMin = 100, kHelloMax = 1000;
    static constexpr std::int64_t kMaxPathCost = 200000000;

    // uptime: the device's sysUpTime now, in hundredths of a second.
    CStpFeature(int portCount, std::function<std::uint32_t()> uptime);

    // The standard objects a manager may write (the vendor ones are in the writable vendor subtree).
    static std::vector<Oid> WritableObjects();
    // The path cost IEEE 802.1D-2004 gives a port running mbps (20000000 / Mbit/s).
    static std::int64_t PathCostOfSpeed(std::int64_t mbps);

    void AddDefaults(ObjectMap& objects, const ModelInfo& model) const override;
    bool Handles(const Oid& oid) const override;
    SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const override;
    void Committed(ObjectMap& objects, const Oid& oid) override;
    void PortChanged(ObjectMap& objects, int port) const override;
    void Restarted(ObjectMap& objects) const override;
    bool Serve(const Oid& oid, const Value& stored, Value* served) const override;

private:
    // The bridge's derived objects and every port's designated root and bridge.
    void UpdateBridge(ObjectMap& objects) const;
    // One port's state, path cost and designated values; a change of state is a topology change.
    void UpdatePort(ObjectMap& objects, int port, bool count) const;

    int m_nPorts;
    std::function<std::uint32_t()> m_uptime;
};

} // namespace tqxsim
