#include "sim/Surveillance.h"

#include "sim/Vlan.h"

namespace tqxsim {

namespace oids {
const Oid surveillancePriority = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 26, 1, 3, 0};
const Oid surveillanceOuiEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 26, 2, 1, 1};
} // namespace oids

const Oid CSurveillanceFeature::kDefaultOui = {0x0A, 0x5E, 0x31, 0, 0, 0};

namespace {

constexpr int kEnabled = 1, kDisabled = 2;
constexpr int kLowestPriority = 3;

std::int64_t NumberAfter(const ObjectMap& objects, const ObjectMap& request, const Oid& oid, std::int64_t fallback)
{
    if (auto it = request.find(oid); it != request.end())
        return it->second.number;
    if (auto it = objects.find(oid); it != objects.end())
        return it->second.number;
    return fallback;
}

// Whether VLAN vid is in the VLAN table and active.
bool VlanActive(const ObjectMap& objects, std::int64_t vid)
{
    Oid status = oids::vlanEntry;
    status.push_back(vlanRowStatus);
    status.push_back(static_cast<std::uint32_t>(vid));
    auto it = objects.find(status);
    return it != objects.end() && it->second.number == kActive;
}

std::string Octets(const Oid& index)
{
    std::string s;
    for (std::uint32_t a : index)
        s.push_back(static_cast<char>(a));
    return s;
}

RowTableInfo OuiTable()
{
    RowTableInfo t;
    t.entry = oids::surveillanceOuiEntry;
    t.statusColumn = ouiRowStatus;
    t.maxRows = CSurveillanceFeature::kMaxUserEntries + 1;  // and the vendor's row
    RowColumn address{ouiAddress, Tag::OctetString, 0, 0, 6, 6, Value{}, false, false, nullptr, nullptr};
    address.fromIndex = [](const Oid& index) { return Value::Text(Octets(index)); };
    // An OUI (the last three octets zero) matches its 24-bit prefix, any other address itself.
    RowColumn mask{ouiMask, Tag::OctetString, 0, 0, 6, 6, Value{}, true, false, nullptr, nullptr};
    mask.check = [](const Value& v) {
        return CSurveillanceFeature::PrefixMask(v.bytes) ? SetError::None : SetError::WrongValue;
    };
    mask.fromIndex = [](const Oid& index) {
        const bool oui = index.size() == 6 && index[3] == 0 && index[4] == 0 && index[5] == 0;
        return Value::Text(oui ? std::string("\xFF\xFF\xFF\0\0\0", 6) : std::string(6, '\xFF'));
    };
    t.columns = {
        address,
        {ouiDescription, Tag::OctetString, 0, 0, 0, CSurveillanceFeature::kMaxDescriptionBytes, Value::Text(""), true,
         false, nullptr},
        mask,
        // The vendor's own component type is not one a user row may take.
        {ouiComponent, Tag::Integer, 0, CSurveillanceFeature::kVendorComponent - 1, 0, 0, Value::Integer(4), true,
         false, nullptr},
        {ouiRowStatus, Tag::Integer, kActive, kDestroy, 0, 0, Value::Integer(kNotInService), true, false, nullptr},
    };
    t.validIndex = [](const Oid& index) { return CSurveillanceFeature::UnicastMacIndex(index); };
    // The vendor's row stays, in service.
    t.mayLeave = [](const ObjectMap&, const Oid& index, int) {
        return index == CSurveillanceFeature::kDefaultOui ? SetError::InconsistentValue : SetError::None;
    };
    return t;
}

} // namespace

bool CSurveillanceFeature::UnicastMacIndex(const Oid& index)
{
    if (index.size() != 6)
        return false;
    bool zero = true;
    for (std::uint32_t a : index) {
        if (a > 255)
            return false;
        zero = zero && a == 0;
    }
    return !zero && !(index[0] & 0x01);
}

bool CSurveillanceFeature::PrefixMask(const std::string& mask)
{
    if (mask.size() != 6 || mask[0] == '\0')
        return false;
    bool ended = false;
    for (char c : mask)
        for (int bit = 7; bit >= 0; --bit) {
            const bool one = (static_cast<unsigned char>(c) >> bit) & 1;
            if (one && ended)
                return false;
            ended = ended || !one;
        }
    return true;
}

CSurveillanceFeature::CSurveillanceFeature() : m_table(OuiTable()) {}

void CSurveillanceFeature::AddDefaults(ObjectMap& objects, const ModelInfo&) const
{
    objects.emplace(oids::surveillanceState, Value::Integer(kDisabled));
    objects.emplace(oids::surveillanceId, Value::Integer(1));
    objects.emplace(oids::surveillancePriority, Value::Integer(kLowestPriority));
    if (!m_table.Exists(objects, kDefaultOui))
        m_table.Write(objects, kDefaultOui,
                      {{ouiDescription, Value::Text("Orvale")},
                       {ouiMask, Value::Text(std::string("\xFF\xFF\xFF\0\0\0", 6))},
                       {ouiComponent, Value::Integer(kVendorComponent)},
                       {ouiRowStatus, Value::Integer(kActive)}});
}

bool CSurveillanceFeature::Handles(const Oid& oid) const
{
    return oid == oids::surveillanceState || oid == oids::surveillanceId || oid == oids::surveillancePriority ||
           m_table.Handles(oid);
}

SetError CSurveillanceFeature::CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value,
                                        const ObjectMap& request) const
{
    if (m_table.Handles(oid)) {
        // The vendor's row is the switch's own: it takes no writes.
        const Oid index(oid.begin() + static_cast<long>(oids::surveillanceOuiEntry.size()) + 1, oid.end());
        if (index == kDefaultOui && oid[oids::surveillanceOuiEntry.size()] != ouiRowStatus)
            return SetError::NotWritable;
        return m_table.CheckSet(objects, oid, value, request);
    }
    auto it = objects.find(oid);
    if (it == objects.end())
        return SetError::NoCreation;
    if (value.tag != it->second.tag)
        return SetError::WrongType;
    if (oid == oids::surveillancePriority)
        return value.number >= 0 && value.number <= kLowestPriority ? SetError::None : SetError::WrongValue;
    if (oid == oids::surveillanceId) {
        if (value.number < 1 || value.number > 4094)
            return SetError::WrongValue;
        if (!VlanActive(objects, value.number))
            return SetError::InconsistentValue;
    } else if (value.number != kEnabled && value.number != kDisabled) {
        return SetError::WrongValue;
    }
    // An enabled surveillance VLAN is an existing VLAN other than the voice VLAN, outside asymmetric mode.
    if (NumberAfter(objects, request, oids::surveillanceState, kDisabled) != kEnabled)
        return SetError::None;
    const std::int64_t vid = NumberAfter(objects, request, oids::surveillanceId, 1);
    if (!VlanActive(objects, vid) || NumberAfter(objects, request, oids::vlanAsymmetric, kDisabled) == kEnabled)
        return SetError::InconsistentValue;
    if (NumberAfter(objects, request, oids::voiceVlanState, kDisabled) == kEnabled &&
        NumberAfter(objects, request, oids::voiceVlanId, 1) == vid)
        return SetError::InconsistentValue;
    return SetError::None;
}

void CSurveillanceFeature::Committed(ObjectMap& objects, const Oid& oid)
{
    if (m_table.Handles(oid))
        m_table.Committed(objects, oid);
}

} // namespace tqxsim
