// What the agent enforces, made from the device's agent settings: net-snmp's community mapping, view
// based access control and user store are rebuilt from the active rows whenever the rows change, the
// trap hosts become the agent's notification destinations, and the device's notifications go to them
// as the trap switches allow. The engine ID is taken at start and after every reboot.
#pragma once

#include "sim/Device.h"

namespace tqxsim {

class CAgentAccess {
public:
    // trapPort: the UDP port notifications go to on every trap host (162 on a real network).
    explicit CAgentAccess(int trapPort) : m_nTrapPort(trapPort) {}
    ~CAgentAccess();
    CAgentAccess(const CAgentAccess&) = delete;
    CAgentAccess& operator=(const CAgentAccess&) = delete;

    // Call after the agent library is initialised, then after everything that may change the device.
    void Follow(CSimDevice& device, CSimDevice::Clock::time_point now);

private:
    void Apply(const ObjectMap& settings, const CSnmpAdminFeature& rules);
    void Send(const CSimDevice& device, const SimNotification& n, const ObjectMap& settings);

    int m_nTrapPort;
    bool m_bStarted = false;
    int m_nBoots = 0;
    ObjectMap m_applied;
};

} // namespace tqxsim
