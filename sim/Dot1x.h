// IEEE 802.1X port authentication: the global state, the RADIUS server and key, the authenticator
// timers, and each port's access control with the port state it gives. No supplicant ever answers on
// the simulated ports, so an auto port stays unauthorized while 802.1X runs.
#pragma once

#include "sim/Feature.h"

namespace tqxsim {

namespace oids {
extern const Oid dot1xState, dot1xRadiusServer, dot1xRadiusKey, dot1xPortEntry;
} // namespace oids

// Globals V.11.2.N.0.
enum Dot1xGlobal {
    dot1xQuietPeriod = 2, dot1xTxPeriod = 3, dot1xSuppTimeout = 4, dot1xServerTimeout = 5, dot1xMaxReq = 6,
    dot1xReAuthPeriod = 7, dot1xReAuthEnabled = 8,
};
// Port columns V.11.2.9.1.C.PORT.
enum Dot1xPortColumn { dot1xPortControl = 2, dot1xPortStatus = 3 };

class CDot1xFeature : public CSimFeature {
public:
    enum { kForceUnauthorized = 1, kAuto = 2, kForceAuthorized = 3 };
    enum { kAuthorized = 1, kUnauthorized = 2 };
    static constexpr size_t kMaxKeyBytes = 64;

    explicit CDot1xFeature(int portCount) : m_nPorts(portCount) {}

    void AddDefaults(ObjectMap& objects, const ModelInfo& model) const override;
    bool Handles(const Oid& oid) const override;
    SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const override;
    void Committed(ObjectMap&, const Oid&) override {}
    void Follow(ObjectMap& objects) const override;
    bool Secret(const Oid& oid) const override { return oid == oids::dot1xRadiusKey; }

private:
    int m_nPorts;
};

} // namespace tqxsim
