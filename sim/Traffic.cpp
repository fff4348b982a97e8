#include "sim/Traffic.h"

#include "sim/PortBitmap.h"
#include "sim/Trunk.h"
#include "sim/Vlan.h"

namespace tqxsim {

namespace oids {
const Oid jumboFrame = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 1, 12, 0};
const Oid multicastFilterEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 7, 8, 1};
const Oid dhcpScreeningPorts = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 14, 7, 1, 0};
const Oid arpSpoofingEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 14, 3, 1, 1};
} // namespace oids

namespace {

constexpr int kEnabled = 1, kDisabled = 2;

Oid At(const Oid& prefix, std::initializer_list<std::uint32_t> arcs)
{
    Oid o = prefix;
    o.insert(o.end(), arcs);
    return o;
}

// Whether oid is entry.column.index with an index of indexArcs arcs.
bool IsCell(const Oid& oid, const Oid& entry, size_t indexArcs)
{
    return oid.size() == entry.size() + 1 + indexArcs && OidHasPrefix(oid, entry);
}

SetError CheckScalar(const ObjectMap& objects, const Oid& oid, const Value& value)
{
    auto it = objects.find(oid);
    if (it == objects.end())
        return SetError::NoCreation;
    return value.tag == it->second.tag ? SetError::None : SetError::WrongType;
}

} // namespace

// Jumbo frames.

void CJumboFrameFeature::AddDefaults(ObjectMap& objects, const ModelInfo&) const
{
    objects.emplace(oids::jumboFrame, Value::Integer(kDisabled));
}

bool CJumboFrameFeature::Handles(const Oid& oid) const { return oid == oids::jumboFrame; }

SetError CJumboFrameFeature::CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap&) const
{
    if (SetError e = CheckScalar(objects, oid, value); e != SetError::None)
        return e;
    return value.number == kEnabled || value.number == kDisabled ? SetError::None : SetError::WrongValue;
}

// Multicast filtering.

bool CMulticastFilterFeature::Handles(const Oid& oid) const
{
    return OidHasPrefix(oid, oids::multicastFilterEntry) && oid.size() > oids::multicastFilterEntry.size();
}

SetError CMulticastFilterFeature::CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value,
                                           const ObjectMap&) const
{
    // Rows are the VLANs': a mode is set for a VLAN that exists, the VLAN id column is the index.
    if (!IsCell(oid, oids::multicastFilterEntry, 1) || !objects.count(oid))
        return SetError::NoCreation;
    if (oid[oids::multicastFilterEntry.size()] != mcastMode)
        return SetError::NotWritable;
    if (value.tag != Tag::Integer)
        return SetError::WrongType;
    return value.number == 0 || value.number == 1 ? SetError::None : SetError::WrongValue;
}

void CMulticastFilterFeature::Follow(ObjectMap& objects) const
{
    const Oid vlanStatus = At(oids::vlanEntry, {vlanRowStatus});
    std::set<std::uint32_t> vlans;
    for (auto it = objects.upper_bound(vlanStatus); it != objects.end() && OidHasPrefix(it->first, vlanStatus); ++it)
        if (it->first.size() == vlanStatus.size() + 1)
            vlans.insert(it->first.back());
    for (std::uint32_t column : {mcastVlanId, mcastMode}) {
        const Oid prefix = At(oids::multicastFilterEntry, {column});
        for (auto it = objects.upper_bound(prefix); it != objects.end() && OidHasPrefix(it->first, prefix);)
            it = vlans.count(it->first.back()) && it->first.size() == prefix.size() + 1 ? std::next(it) : objects.erase(it);
    }
    for (std::uint32_t vid : vlans) {
        objects.emplace(At(oids::multicastFilterEntry, {mcastVlanId, vid}), Value::Integer(vid));
        objects.emplace(At(oids::multicastFilterEntry, {mcastMode, vid}), Value::Integer(0));
    }
}

// DHCP server screening.

void CDhcpScreeningFeature::AddDefaults(ObjectMap& objects, const ModelInfo&) const
{
    objects.emplace(oids::dhcpScreeningPorts, Value::Text(std::string(BitmapBytes(m_nPorts), '\0')));
}

bool CDhcpScreeningFeature::Handles(const Oid& oid) const { return oid == oids::dhcpScreeningPorts; }

SetError CDhcpScreeningFeature::CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value,
                                         const ObjectMap& request) const
{
    if (SetError e = CheckScalar(objects, oid, value); e != SetError::None)
        return e;
    if (value.bytes.size() > kMaxBitmapBytes)
        return SetError::WrongLength;
    if (!WithinPorts(value.bytes, m_nPorts))
        return SetError::WrongValue;
    return SplitsTrunk(PortsOf(value.bytes), TrunkMembers(objects, request)) ? SetError::InconsistentValue
                                                                             : SetError::None;
}

// ARP spoofing prevention.

bool CArpSpoofingFeature::UnicastHost(const Oid& index)
{
    if (index.size() != 4)
        return false;
    for (std::uint32_t a : index)
        if (a > 255)
            return false;
    return index[0] >= 1 && index[0] <= 223 && index[0] != 127 && index[3] != 0 && index[3] != 255;
}

bool CArpSpoofingFeature::UnicastMac(const std::string& mac)
{
    return mac.size() == 6 && mac != std::string(6, '\0') && !(static_cast<unsigned char>(mac[0]) & 0x01);
}

CArpSpoofingFeature::CArpSpoofingFeature(int portCount)
    : m_nPorts(portCount), m_table([portCount] {
          auto portList = [portCount](const Value& v) {
              return WithinPorts(v.bytes, portCount) ? SetError::None : SetError::WrongValue;
          };
          RowTableInfo t;
          t.entry = oids::arpSpoofingEntry;
          t.statusColumn = arpRowStatus;
          t.maxRows = kMaxEntries;
          RowColumn ip{arpGatewayIp, Tag::IpAddress, 0, 0, 4, 4, Value{}, false, false, nullptr, nullptr};
          ip.fromIndex = [](const Oid& index) {
              Value v;
              v.tag = Tag::IpAddress;
              for (std::uint32_t a : index)
                  v.bytes.push_back(static_cast<char>(a));
              return v;
          };
          t.columns = {
              ip,
              {arpGatewayMac, Tag::OctetString, 0, 0, 6, 6, Value::Text(std::string(6, '\0')), true, false, nullptr},
              {arpPorts, Tag::OctetString, 0, 0, 0, kMaxBitmapBytes, Value::Text(std::string(BitmapBytes(portCount), '\0')),
               true, false, portList},
              {arpRowStatus, Tag::Integer, kActive, kDestroy, 0, 0, Value::Integer(kNotInService), true, false, nullptr},
          };
          t.validIndex = [](const Oid& index) { return UnicastHost(index); };
          // An entry guards a real host: it takes effect only with a unicast MAC address.
          t.consistent = [](const Oid&, const Row& row) {
              auto mac = row.find(arpGatewayMac);
              return mac != row.end() && UnicastMac(mac->second.bytes) ? SetError::None : SetError::InconsistentValue;
          };
          return t;
      }())
{
}

bool CArpSpoofingFeature::Handles(const Oid& oid) const { return m_table.Handles(oid); }

SetError CArpSpoofingFeature::CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value,
                                       const ObjectMap& request) const
{
    if (SetError e = m_table.CheckSet(objects, oid, value, request); e != SetError::None)
        return e;
    // An entry that is or becomes active guards whole trunks.
    const Oid index(oid.begin() + static_cast<long>(oids::arpSpoofingEntry.size()) + 1, oid.end());
    const Row row = m_table.After(objects, index, request);
    auto status = row.find(arpRowStatus);
    auto ports = row.find(arpPorts);
    if (status == row.end() || status->second.number != kActive || ports == row.end())
        return SetError::None;
    return SplitsTrunk(PortsOf(ports->second.bytes), TrunkMembers(objects, request)) ? SetError::InconsistentValue
                                                                                     : SetError::None;
}

void CArpSpoofingFeature::Committed(ObjectMap& objects, const Oid& oid) { m_table.Committed(objects, oid); }

} // namespace tqxsim
