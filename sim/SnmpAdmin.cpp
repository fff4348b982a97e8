#include "sim/SnmpAdmin.h"

#include <algorithm>

namespace tqxsim {

namespace oids {
const Oid snmpAdmin = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 25};
const Oid snmpGlobalState = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 25, 1, 0};
const Oid snmpUserEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 25, 2, 1, 1};
const Oid snmpGroupEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 25, 3, 1, 1};
const Oid snmpViewEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 25, 4, 1, 1};
const Oid snmpCommunityEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 25, 5, 1, 1};
const Oid snmpHostEntry = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 25, 6, 1, 1};
const Oid snmpEngineId = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 25, 7, 0};
const Oid snmpTrapSwitches = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 25, 8};
} // namespace oids

namespace {

constexpr int kEnabled = 1, kDisabled = 2;
enum { authNone = 1, authMd5, authSha };
// Privacy: 1 none, 2 DES; 3 AES serves the users of the command line that ask for it.
enum { privNone = 1, privDes, privAes };
// The agent's passwords: 8 characters at least (the key derivation needs them), 32 for MD5 and DES,
// 40 for SHA.
constexpr size_t kMinPassword = 8;

const Oid kBridgeAddress = {1, 3, 6, 1, 2, 1, 17, 1, 1, 0};

Oid TrapSwitch(std::uint32_t n) { return {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 25, 8, n, 0}; }

std::string Cell(const Row& row, std::uint32_t column)
{
    auto it = row.find(column);
    return it == row.end() ? std::string() : it->second.bytes;
}

std::int64_t Number(const Row& row, std::uint32_t column)
{
    auto it = row.find(column);
    return it == row.end() ? 0 : it->second.number;
}

// A name index and nothing else, or followed by exactly extra arcs each within 1..maxLast.
bool NameThen(const Oid& index, size_t extra, std::uint32_t maxLast)
{
    size_t pos = 0;
    std::string name;
    if (!ReadNameIndex(index, &pos, &name) || index.size() != pos + extra)
        return false;
    for (size_t i = pos; i < index.size(); ++i)
        if (index[i] < 1 || index[i] > maxLast)
            return false;
    return true;
}

RowColumn NameColumn(std::uint32_t id)
{
    RowColumn c{id, Tag::OctetString, 0, 0, 1, CSnmpAdminFeature::kMaxNameBytes, Value::Text(""), false, false, nullptr};
    c.fromIndex = [](const Oid& index) {
        size_t pos = 0;
        std::string name;
        ReadNameIndex(index, &pos, &name);
        return Value::Text(name);
    };
    return c;
}

// A column holding the index arc at position n after the name (version, model, level).
RowColumn ArcAfterName(std::uint32_t id, size_t n, std::int64_t lo, std::int64_t hi, bool writable)
{
    RowColumn c{id, Tag::Integer, lo, hi, 0, 0, Value::Integer(lo), writable, false, nullptr};
    c.fromIndex = [n](const Oid& index) {
        size_t pos = 0;
        std::string name;
        ReadNameIndex(index, &pos, &name);
        return Value::Integer(pos + n < index.size() ? index[pos + n] : 0);
    };
    return c;
}

RowColumn Text(std::uint32_t id, size_t maxLength, std::function<SetError(const Value&)> check = nullptr)
{
    return {id, Tag::OctetString, 0, 0, 0, maxLength, Value::Text(""), true, false, std::move(check)};
}

RowColumn Number(std::uint32_t id, std::int64_t lo, std::int64_t hi, std::int64_t initial)
{
    return {id, Tag::Integer, lo, hi, 0, 0, Value::Integer(initial), true, false, nullptr};
}

RowColumn Status(std::uint32_t id)
{
    return {id, Tag::Integer, kActive, kDestroy, 0, 0, Value::Integer(kNotInService), true, false, nullptr};
}

RowTableInfo UserTable()
{
    RowTableInfo t;
    t.entry = oids::snmpUserEntry;
    t.statusColumn = userStatus;
    t.maxRows = CSnmpAdminFeature::kMaxUsers;
    t.columns = {NameColumn(userName),
                 ArcAfterName(userVersion, 0, 1, 3, false),
                 Text(userGroup, CSnmpAdminFeature::kMaxNameBytes),
                 Number(userAuthProtocol, authNone, authSha, authNone),
                 Text(userAuthPassword, 40),
                 Number(userPrivProtocol, privNone, privAes, privNone),
                 Text(userPrivPassword, 32),
                 Status(userStatus)};
    // Index: name, version (1 v1, 2 v2c, 3 v3).
    t.validIndex = [](const Oid& index) { return NameThen(index, 1, 3); };
    // An active user names its group; only SNMPv3 users have keys, each from a password the agent can
    // derive a key from, and privacy only with authentication.
    t.consistent = [](const Oid&, const Row& row) {
        if (Cell(row, userGroup).empty())
            return SetError::InconsistentValue;
        const auto auth = Number(row, userAuthProtocol);
        const auto priv = Number(row, userPrivProtocol);
        if (Number(row, userVersion) != 3)
            return auth == authNone && priv == privNone ? SetError::None : SetError::InconsistentValue;
        const size_t authLength = Cell(row, userAuthPassword).size();
        const size_t privLength = Cell(row, userPrivPassword).size();
        if (auth != authNone && (authLength < kMinPassword || authLength > (auth == authSha ? 40u : 32u)))
            return SetError::InconsistentValue;
        if (priv != privNone && (auth == authNone || privLength < kMinPassword))
            return SetError::InconsistentValue;
        return SetError::None;
    };
    return t;
}

RowTableInfo GroupTable()
{
    RowTableInfo t;
    t.entry = oids::snmpGroupEntry;
    t.statusColumn = groupStatus;
    t.maxRows = CSnmpAdminFeature::kMaxGroups;
    t.columns = {NameColumn(groupName),
                 ArcAfterName(groupModel, 0, 1, 3, false),
                 // The level may be written, but only as the index has it (a creating program may
                 // name it in its first SET).
                 ArcAfterName(groupLevel, 1, 1, 3, true),
                 Text(groupReadView, CSnmpAdminFeature::kMaxNameBytes),
                 Text(groupWriteView, CSnmpAdminFeature::kMaxNameBytes),
                 Text(groupNotifyView, CSnmpAdminFeature::kMaxNameBytes),
                 Status(groupStatus)};
    // Index: name, security model (1 v1, 2 v2c, 3 v3), security level (1 noAuthNoPriv, 2 authNoPriv,
    // 3 authPriv); SNMPv1 and SNMPv2c know no other level than noAuthNoPriv.
    t.validIndex = [](const Oid& index) {
        return NameThen(index, 2, 3) && (index[index.size() - 2] == 3 || index.back() == 1);
    };
    t.consistent = [](const Oid& index, const Row& row) {
        return Number(row, groupLevel) == index.back() ? SetError::None : SetError::InconsistentValue;
    };
    return t;
}

RowTableInfo ViewTable()
{
    RowTableInfo t;
    t.entry = oids::snmpViewEntry;
    t.statusColumn = viewStatus;
    t.maxRows = CSnmpAdminFeature::kMaxViews;
    // The mask: one byte per subtree arc, 0 (any value) or 1 (this arc must match).
    auto maskBytes = [](const Value& v) {
        return std::all_of(v.bytes.begin(), v.bytes.end(), [](char c) { return c == 0 || c == 1; })
                   ? SetError::None : SetError::WrongValue;
    };
    t.columns = {NameColumn(viewName),
                 Text(viewMask, 32, maskBytes),
                 Number(viewType, 1, 2, 1),
                 Status(viewStatus)};
    // Index: name, arc count, the subtree's arcs (1 to 32 of them).
    t.validIndex = [](const Oid& index) {
        size_t pos = 0;
        std::string name;
        if (!ReadNameIndex(index, &pos, &name) || pos >= index.size())
            return false;
        const std::uint32_t arcs = index[pos];
        return arcs >= 1 && arcs <= 32 && index.size() == pos + 1 + arcs;
    };
    // No more mask bytes than the subtree has arcs.
    t.consistent = [](const Oid& index, const Row& row) {
        size_t pos = 0;
        std::string name;
        ReadNameIndex(index, &pos, &name);
        return Cell(row, viewMask).size() <= index[pos] ? SetError::None : SetError::InconsistentValue;
    };
    return t;
}

RowTableInfo CommunityTable()
{
    RowTableInfo t;
    t.entry = oids::snmpCommunityEntry;
    t.statusColumn = communityStatus;
    t.maxRows = CSnmpAdminFeature::kMaxCommunities;
    t.columns = {NameColumn(communityName), Text(communityUser, CSnmpAdminFeature::kMaxNameBytes), Status(communityStatus)};
    t.validIndex = [](const Oid& index) { return NameThen(index, 0, 0); };
    // An active community names the user whose group's views it answers with.
    t.consistent = [](const Oid&, const Row& row) {
        return Cell(row, communityUser).empty() ? SetError::InconsistentValue : SetError::None;
    };
    return t;
}

RowTableInfo HostTable()
{
    RowTableInfo t;
    t.entry = oids::snmpHostEntry;
    t.statusColumn = hostStatus;
    t.maxRows = CSnmpAdminFeature::kMaxHosts;
    RowColumn address{hostAddress, Tag::IpAddress, 0, 0, 4, 4, Value(), false, false, nullptr};
    address.fromIndex = [](const Oid& index) {
        Value v;
        v.tag = Tag::IpAddress;
        for (std::uint32_t a : index)
            v.bytes.push_back(static_cast<char>(a));
        return v;
    };
    // Version: 1 v1, 2 v2c, 3 v3 noAuthNoPriv, 4 v3 authNoPriv, 5 v3 authPriv.
    t.columns = {address, Text(hostName, CSnmpAdminFeature::kMaxNameBytes), Number(hostVersion, 1, 5, 2), Status(hostStatus)};
    // Index: a unicast host address.
    t.validIndex = [](const Oid& index) {
        return index.size() == 4 && std::all_of(index.begin(), index.end(), [](std::uint32_t a) { return a <= 255; }) &&
               index[0] != 0 && index[0] < 224 && index[0] != 127;
    };
    t.consistent = [](const Oid&, const Row& row) {
        return Cell(row, hostName).empty() ? SetError::InconsistentValue : SetError::None;
    };
    return t;
}

} // namespace

Oid NameIndex(const std::string& text)
{
    Oid o{static_cast<std::uint32_t>(text.size())};
    for (unsigned char c : text)
        o.push_back(c);
    return o;
}

bool ReadNameIndex(const Oid& index, size_t* pos, std::string* text)
{
    if (*pos >= index.size())
        return false;
    const std::uint32_t length = index[*pos];
    if (length < 1 || length > CSnmpAdminFeature::kMaxNameBytes || index.size() - *pos - 1 < length)
        return false;
    std::string s;
    for (std::uint32_t i = 0; i < length; ++i) {
        const std::uint32_t b = index[*pos + 1 + i];
        if (b > 255)
            return false;
        s.push_back(static_cast<char>(b));
    }
    *pos += 1 + length;
    *text = s;
    return true;
}

CSnmpAdminFeature::CSnmpAdminFeature(AgentAccounts accounts, bool poe)
    : m_accounts(std::move(accounts)), m_bPoe(poe), m_users(UserTable()), m_groups(GroupTable()), m_views(ViewTable()),
      m_communities(CommunityTable()), m_hosts(HostTable())
{
}

std::string CSnmpAdminFeature::FactoryEngineId(const std::string& mac)
{
    std::string id = {'\x80', '\x00', '\x7e', '\xd9', '\x03'};
    return id + (mac.size() == 6 ? mac : std::string(6, '\0'));
}

ObjectMap CSnmpAdminFeature::FactoryObjects() const
{
    ObjectMap o;
    o[oids::snmpGlobalState] = Value::Integer(kEnabled);
    o[oids::snmpEngineId] = Value::Text(FactoryEngineId(""));
    for (std::uint32_t n = trapAuthentication; n <= (m_bPoe ? trapPoeBudget : trapFirmware); ++n)
        o[TrapSwitch(n)] = Value::Integer(kEnabled);
    const auto active = Value::Integer(kActive);
    auto text = [](const std::string& s) { return Value::Text(s); };
    auto with = [](Oid a, std::initializer_list<std::uint32_t> arcs) {
        a.insert(a.end(), arcs);
        return a;
    };
    // Everything below 1 is seen through the view "all".
    m_views.Write(o, with(NameIndex("all"), {1, 1}), {{viewMask, text(std::string(1, '\1'))}, {viewType, Value::Integer(1)},
                                                     {viewStatus, active}});
    // The read community reads, the write community reads and writes; both receive every notification.
    for (const auto& [name, writes] : {std::pair{m_accounts.readCommunity, false}, {m_accounts.writeCommunity, true}}) {
        const Oid n = NameIndex(name);
        for (std::uint32_t version : {1u, 2u}) {
            m_users.Write(o, with(n, {version}), {{userGroup, text(name)}, {userStatus, active}});
            m_groups.Write(o, with(n, {version, 1}), {{groupReadView, text("all")}, {groupWriteView, text(writes ? "all" : "")},
                                                     {groupNotifyView, text("all")}, {groupStatus, active}});
        }
        m_communities.Write(o, n, {{communityUser, text(name)}, {communityStatus, active}});
    }
    // Each SNMPv3 user of the command line in a group of its own at its least level.
    for (const auto& u : m_accounts.users) {
        const Oid n = NameIndex(u.name);
        const std::int64_t auth = u.authProtocol == "MD5" ? authMd5 : u.authProtocol == "SHA" ? authSha : authNone;
        const std::int64_t priv = u.privProtocol == "DES" ? privDes : u.privProtocol == "AES" ? privAes : privNone;
        m_users.Write(o, with(n, {3}), {{userGroup, text(u.name)}, {userAuthProtocol, Value::Integer(auth)},
                                        {userAuthPassword, text(u.authPassword)}, {userPrivProtocol, Value::Integer(priv)},
                                        {userPrivPassword, text(u.privPassword)}, {userStatus, active}});
        m_groups.Write(o, with(n, {3, static_cast<std::uint32_t>(u.level)}),
                       {{groupReadView, text("all")}, {groupWriteView, text(u.readOnly ? "" : "all")},
                        {groupNotifyView, text("all")}, {groupStatus, active}});
    }
    return o;
}

void CSnmpAdminFeature::AddDefaults(ObjectMap& objects, const ModelInfo&) const
{
    ObjectMap factory = FactoryObjects();
    if (auto mac = objects.find(kBridgeAddress); mac != objects.end())
        factory[oids::snmpEngineId] = Value::Text(FactoryEngineId(mac->second.bytes));
    for (const auto& [oid, v] : factory)
        objects.emplace(oid, v);
}

const CRowTable* CSnmpAdminFeature::TableOf(const Oid& oid) const
{
    for (const CRowTable* t : {&m_users, &m_groups, &m_views, &m_communities, &m_hosts})
        if (t->Handles(oid))
            return t;
    return nullptr;
}

bool CSnmpAdminFeature::Handles(const Oid& oid) const
{
    return OidHasPrefix(oid, oids::snmpAdmin);
}

bool CSnmpAdminFeature::Secret(const Oid& oid) const
{
    return m_users.Handles(oid) && (oid[oids::snmpUserEntry.size()] == userAuthPassword ||
                                    oid[oids::snmpUserEntry.size()] == userPrivPassword);
}

SetError CSnmpAdminFeature::CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value,
                                     const ObjectMap& request) const
{
    if (const CRowTable* t = TableOf(oid))
        return t->CheckSet(objects, oid, value, request);
    auto it = objects.find(oid);
    if (it == objects.end())
        return SetError::NoCreation;
    if (value.tag != it->second.tag)
        return SetError::WrongType;
    if (oid == oids::snmpEngineId)  // 5 to 32 octets, as an SNMP engine ID is
        return value.bytes.size() >= 5 && value.bytes.size() <= 32 ? SetError::None : SetError::WrongLength;
    return value.number == kEnabled || value.number == kDisabled ? SetError::None : SetError::WrongValue;
}

void CSnmpAdminFeature::Committed(ObjectMap& objects, const Oid& oid)
{
    if (const CRowTable* t = TableOf(oid))
        t->Committed(objects, oid);
}

} // namespace tqxsim
