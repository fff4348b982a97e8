// Traffic and port-security features: jumbo frames, multicast filtering per VLAN, DHCP server screening
// ports and the ARP spoofing prevention entries. None of them may split a trunk.
#pragma once

#include "sim/RowTable.h"

namespace tqxsim {

namespace oids {
extern const Oid jumboFrame, multicastFilterEntry, dhcpScreeningPorts, arpSpoofingEntry;
} // namespace oids

enum MulticastFilterColumn { mcastVlanId = 1, mcastMode = 2 };
enum ArpSpoofingColumn { arpGatewayIp = 1, arpGatewayMac = 2, arpPorts = 3, arpRowStatus = 4 };

// Jumbo frames V.1.12.0: 1 enabled, 2 disabled.
class CJumboFrameFeature : public CSimFeature {
public:
    void AddDefaults(ObjectMap& objects, const ModelInfo& model) const override;
    bool Handles(const Oid& oid) const override;
    SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const override;
    void Committed(ObjectMap&, const Oid&) override {}
};

// The multicast filtering mode of each VLAN: one row per row of the VLAN table, coming and going with
// it (0 forward unregistered groups, the default; 1 filter them).
class CMulticastFilterFeature : public CSimFeature {
public:
    void AddDefaults(ObjectMap&, const ModelInfo&) const override {}
    bool Handles(const Oid& oid) const override;
    SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const override;
    void Committed(ObjectMap&, const Oid&) override {}
    void Follow(ObjectMap& objects) const override;
};

// The ports on which DHCP server replies are screened, a port list that keeps trunks whole.
class CDhcpScreeningFeature : public CSimFeature {
public:
    explicit CDhcpScreeningFeature(int portCount) : m_nPorts(portCount) {}
    void AddDefaults(ObjectMap& objects, const ModelInfo& model) const override;
    bool Handles(const Oid& oid) const override;
    SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const override;
    void Committed(ObjectMap&, const Oid&) override {}

private:
    int m_nPorts;
};

// The ARP spoofing prevention entries, indexed by the gateway's IP address: its MAC address and the
// ports it is guarded on. At most 64 entries; a gateway is a unicast host address with a unicast MAC,
// and an active entry's ports keep trunks whole.
class CArpSpoofingFeature : public CSimFeature {
public:
    static constexpr size_t kMaxEntries = 64;

    explicit CArpSpoofingFeature(int portCount);
    void AddDefaults(ObjectMap&, const ModelInfo&) const override {}
    bool Handles(const Oid& oid) const override;
    SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const override;
    void Committed(ObjectMap& objects, const Oid& oid) override;

    // Whether a.b.c.d may be a gateway: 1..223 first (not 127), last not 0 or 255.
    static bool UnicastHost(const Oid& index);
    // Whether six octets are a unicast MAC address (not all zeros, group bit clear).
    static bool UnicastMac(const std::string& mac);

    const CRowTable& Table() const { return m_table; }

private:
    int m_nPorts;
    CRowTable m_table;
};

} // namespace tqxsim
