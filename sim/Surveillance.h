// The auto surveillance VLAN: its global state, VLAN id and priority, and the table of OUIs and device
// MAC addresses whose traffic it takes (the vendor's OUI, which the switch ships, and up to five more).
#pragma once

#include "sim/RowTable.h"

namespace tqxsim {

namespace oids {
extern const Oid surveillancePriority, surveillanceOuiEntry;
} // namespace oids

enum SurveillanceOuiColumn { ouiAddress = 1, ouiDescription = 2, ouiMask = 3, ouiComponent = 4, ouiRowStatus = 5 };

class CSurveillanceFeature : public CSimFeature {
public:
    static constexpr size_t kMaxUserEntries = 5;
    static constexpr size_t kMaxDescriptionBytes = 32;
    // The vendor's surveillance OUI, the row every switch ships and keeps.
    static const Oid kDefaultOui;
    // The component type of the vendor's row; user rows take 0..4.
    static constexpr int kVendorComponent = 5;

    CSurveillanceFeature();
    void AddDefaults(ObjectMap& objects, const ModelInfo& model) const override;
    bool Handles(const Oid& oid) const override;
    SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const override;
    void Committed(ObjectMap& objects, const Oid& oid) override;

    // Whether six arcs are a unicast MAC address (each 0..255, not all zero, group bit clear).
    static bool UnicastMacIndex(const Oid& index);
    // Whether six octets are a mask of leading one bits (at least one).
    static bool PrefixMask(const std::string& mask);

    const CRowTable& Table() const { return m_table; }

private:
    CRowTable m_table;
};

} // namespace tqxsim
