// Link aggregation: the trunk state, the eight port-channel rows (member list and mode), and the
// defaults of the other features' per-port settings that must agree across a trunk's members, so the
// member check of a management program finds each of them.
#pragma once

#include "sim/Feature.h"

#include <set>
#include <vector>

namespace tqxsim {

namespace oids {
extern const Oid trunkState, trunkEntry;
} // namespace oids

// The member ports of each trunk that has members, as request leaves the member lists.
std::vector<std::set<int>> TrunkMembers(const ObjectMap& objects, const ObjectMap& request);
// Whether ports holds some, but not all, members of one of trunks: a setting that would split it.
bool SplitsTrunk(const std::set<int>& ports, const std::vector<std::set<int>>& trunks);

enum TrunkColumn { trunkIndex = 1, trunkMembers = 2, trunkMode = 3 };

class CTrunkFeature : public CSimFeature {
public:
    static constexpr int kTrunks = 8;
    static constexpr int kMinMembers = 2, kMaxMembers = 8;

    explicit CTrunkFeature(int portCount) : m_nPorts(portCount) {}

    void AddDefaults(ObjectMap& objects, const ModelInfo& model) const override;
    bool Handles(const Oid& oid) const override;
    SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const override;
    void Committed(ObjectMap&, const Oid&) override {}

private:
    int m_nPorts;
};

} // namespace tqxsim
