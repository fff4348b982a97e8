// 802.1Q VLANs: the static VLAN table (Q-BRIDGE column layout under the vendor subtree), the port VLAN
// ids, the asymmetric-VLAN mode and the voice- and surveillance-VLAN state and id.
#pragma once

#include "sim/RowTable.h"

namespace tqxsim {

namespace oids {
extern const Oid vlanEntry, vlanPvid, vlanAsymmetric, voiceVlanState, voiceVlanId, surveillanceState, surveillanceId;
} // namespace oids

enum VlanColumn { vlanName = 1, vlanEgress = 2, vlanForbidden = 3, vlanUntagged = 4, vlanRowStatus = 5 };

class CVlanFeature : public CSimFeature {
public:
    static constexpr int kMaxVlans = 256;
    static constexpr size_t kMaxNameBytes = 64;

    explicit CVlanFeature(int portCount);

    void AddDefaults(ObjectMap& objects, const ModelInfo& model) const override;
    bool Handles(const Oid& oid) const override;
    SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const override;
    void Committed(ObjectMap& objects, const Oid& oid) override;

    const CRowTable& Table() const { return m_table; }

private:
    // VLAN 1 with every port untagged, every port's PVID 1, and no other VLAN.
    void Reset(ObjectMap& objects) const;

    int m_nPorts;
    CRowTable m_table;
};

} // namespace tqxsim
