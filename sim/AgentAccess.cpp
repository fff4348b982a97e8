#include "sim/AgentAccess.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/agent/net-snmp-agent-includes.h>
#include <net-snmp/library/lcd_time.h>
#include <net-snmp/library/snmpUDPDomain.h>
#include <net-snmp/library/vacm.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <arpa/inet.h>

// Symbols of the agent library that its installed headers leave out.
extern "C" int snmp_enableauthentraps;
extern "C" void netsnmp_udp_com2SecList_free(void);
// The agent library's session of its listening transport.
extern "C" netsnmp_session* main_session;

namespace {
constexpr int kAuthTrapsEnabled = 1, kAuthTrapsDisabled = 2;  // snmpEnableAuthenTraps
}

namespace tqxsim {

namespace {

Oid With(Oid a, std::initializer_list<std::uint32_t> arcs)
{
    a.insert(a.end(), arcs);
    return a;
}

std::string Text(const Row& row, std::uint32_t column)
{
    auto it = row.find(column);
    return it == row.end() ? std::string() : it->second.bytes;
}

std::int64_t Number(const Row& row, std::uint32_t column)
{
    auto it = row.find(column);
    return it == row.end() ? 0 : it->second.number;
}

// The active rows of a table with their indexes.
std::vector<std::pair<Oid, Row>> ActiveRows(const CRowTable& table, const ObjectMap& objects)
{
    std::vector<std::pair<Oid, Row>> rows;
    for (const Oid& index : table.Indexes(objects))
        if (table.Active(objects, index))
            rows.emplace_back(index, table.Read(objects, index));
    return rows;
}

// A word of a configuration line, quoted so that any bytes but NUL pass.
std::string Quoted(const std::string& s)
{
    std::string q = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\')
            q.push_back('\\');
        q.push_back(c);
    }
    return q + "\"";
}

bool Fits(const std::string& s) { return !s.empty() && s.size() < VACMSTRINGLEN - 1 && s.find('\0') == std::string::npos; }

void Copy(char* to, const std::string& from)
{
    std::memset(to, 0, VACMSTRINGLEN);
    std::memcpy(to, from.data(), std::min(from.size(), size_t(VACMSTRINGLEN - 2)));
}

void ClearAgent()
{
    snmpd_free_trapsinks();
    netsnmp_udp_com2SecList_free();
    vacm_destroyAllGroupEntries();
    vacm_destroyAllAccessEntries();
    vacm_destroyAllViewEntries();
    while (struct usmUser* u = usm_get_userList()) {
        usm_remove_user(u);
        usm_free_user(u);
    }
}

void AddGroupMember(int model, const std::string& securityName, const std::string& group)
{
    if (!Fits(securityName) || !Fits(group))
        return;
    struct vacm_groupEntry* g = vacm_createGroupEntry(model, securityName.c_str());
    if (!g)
        return;
    Copy(g->groupName, group);
    g->storageType = SNMP_STORAGE_PERMANENT;
    g->status = SNMP_ROW_ACTIVE;
    free(g->reserved);
    g->reserved = nullptr;
}

// The engine ID of the agent, and of its listening session (which answers discovery with it).
void SetEngineId(const std::string& id)
{
    const auto* bytes = reinterpret_cast<const u_char*>(id.data());
    set_exact_engineID(bytes, id.size());
    // Discovery answers with the boots and time the timing cache holds for the engine.
    set_enginetime(bytes, static_cast<u_int>(id.size()), snmpv3_local_snmpEngineBoots(), snmpv3_local_snmpEngineTime(), TRUE);
    u_char check[64];
    const size_t n = snmpv3_get_engineID(check, sizeof check);
    if (n != id.size() || std::memcmp(check, bytes, n) != 0)
        std::fprintf(stderr, "tqx-sim: the agent did not take the engine ID\n");
    if (!main_session)
        return;
    for (auto [field, length] : {std::pair{&main_session->securityEngineID, &main_session->securityEngineIDLen},
                                 {&main_session->contextEngineID, &main_session->contextEngineIDLen}}) {
        if (!*field)
            continue;
        free(*field);
        *field = static_cast<u_char*>(malloc(id.size()));
        std::memcpy(*field, id.data(), id.size());
        *length = id.size();
    }
}

std::uint32_t Switch(const ObjectMap& settings, SnmpTrap n)
{
    auto it = settings.find(With(oids::snmpTrapSwitches, {static_cast<std::uint32_t>(n), 0}));
    return it == settings.end() ? 2 : static_cast<std::uint32_t>(it->second.number);
}

} // namespace

CAgentAccess::~CAgentAccess()
{
    if (m_bStarted)
        snmpd_free_trapsinks();
}

void CAgentAccess::Follow(CSimDevice& device, CSimDevice::Clock::time_point now)
{
    // The agent settings as the device holds them; a device without them (a recording) runs the
    // factory settings.
    ObjectMap settings;
    const ObjectMap& objects = device.Objects();
    for (auto it = objects.lower_bound(oids::snmpAdmin); it != objects.end() && OidHasPrefix(it->first, oids::snmpAdmin); ++it)
        settings.insert(*it);
    if (settings.empty())
        settings = device.SnmpAdmin().FactoryObjects();
    const bool booted = !m_bStarted || device.BootCount() != m_nBoots;
    if (booted) {
        // The engine ID the agent runs with is the one it found at boot; users' keys follow it.
        auto id = settings.find(oids::snmpEngineId);
        if (id != settings.end() && id->second.bytes.size() >= 5 && id->second.bytes.size() <= 32)
            SetEngineId(id->second.bytes);
        m_nBoots = device.BootCount();
    }
    if (booted || settings != m_applied) {
        Apply(settings, device.SnmpAdmin());
        m_applied = settings;
        m_bStarted = true;
    }
    const bool silent = device.SnmpSilent();
    snmp_enableauthentraps = !silent && Switch(settings, trapAuthentication) == 1 ? kAuthTrapsEnabled
                                                                                  : kAuthTrapsDisabled;
    for (const SimNotification& n : device.TakeNotifications(now))
        if (!silent)
            Send(device, n, settings);
}

void CAgentAccess::Apply(const ObjectMap& settings, const CSnmpAdminFeature& rules)
{
    ClearAgent();
    // Views: one entry per row; the row's mask has one byte per arc, the agent's one bit per arc, and
    // arcs beyond the mask must match.
    for (const auto& [index, row] : ActiveRows(rules.Views(), settings)) {
        size_t pos = 0;
        std::string name;
        if (!ReadNameIndex(index, &pos, &name) || !Fits(name))
            continue;
        std::vector<oid> subtree(index.begin() + static_cast<long>(pos) + 1, index.end());
        struct vacm_viewEntry* v = vacm_createViewEntry(name.c_str(), subtree.data(), subtree.size());
        if (!v)
            continue;
        const std::string mask = Text(row, viewMask);
        std::memset(v->viewMask, 0, sizeof v->viewMask);
        for (size_t i = 0; i < subtree.size() && i / 8 < sizeof v->viewMask; ++i)
            if (i >= mask.size() || mask[i] == 1)
                v->viewMask[i / 8] |= static_cast<u_char>(0x80 >> (i % 8));
        v->viewMaskLen = (subtree.size() + 7) / 8;
        v->viewType = Number(row, viewType) == 2 ? SNMP_VIEW_EXCLUDED : SNMP_VIEW_INCLUDED;
        v->viewStorageType = SNMP_STORAGE_PERMANENT;
        v->viewStatus = SNMP_ROW_ACTIVE;
        free(v->reserved);
        v->reserved = nullptr;
    }
    // Groups: what a member may read, write and be notified of, at its model and least level.
    for (const auto& [index, row] : ActiveRows(rules.Groups(), settings)) {
        const std::string name = Text(row, groupName);
        if (!Fits(name))
            continue;
        struct vacm_accessEntry* a = vacm_createAccessEntry(name.c_str(), "", static_cast<int>(Number(row, groupModel)),
                                                            static_cast<int>(Number(row, groupLevel)));
        if (!a)
            continue;
        Copy(a->views[VACM_VIEW_READ], Text(row, groupReadView));
        Copy(a->views[VACM_VIEW_WRITE], Text(row, groupWriteView));
        Copy(a->views[VACM_VIEW_NOTIFY], Text(row, groupNotifyView));
        a->contextMatch = CONTEXT_MATCH_EXACT;
        a->storageType = SNMP_STORAGE_PERMANENT;
        a->status = SNMP_ROW_ACTIVE;
        free(a->reserved);
        a->reserved = nullptr;
    }
    // Users: SNMPv1/v2c users are the security names communities map to; SNMPv3 users get their keys
    // from their passwords, localised to the engine ID running now.
    for (const auto& [index, row] : ActiveRows(rules.Users(), settings)) {
        const std::string name = Text(row, userName);
        const int version = static_cast<int>(Number(row, userVersion));
        if (version == 3) {
            static const char* const kAuth[] = {"", "", "MD5", "SHA"};
            static const char* const kPriv[] = {"", "", "DES", "AES"};
            const auto auth = Number(row, userAuthProtocol);
            const auto priv = Number(row, userPrivProtocol);
            std::string line = Quoted(name);
            if (auth >= 2 && auth <= 3) {
                line += std::string(" ") + kAuth[auth] + " " + Quoted(Text(row, userAuthPassword));
                if (priv >= 2 && priv <= 3)
                    line += std::string(" ") + kPriv[priv] + " " + Quoted(Text(row, userPrivPassword));
            }
            std::vector<char> buffer(line.begin(), line.end());
            buffer.push_back('\0');
            usm_parse_create_usmUser("createUser", buffer.data());
        }
        AddGroupMember(version, name, Text(row, userGroup));
    }
    // Communities: each answers as the user it names, with that user's group at its model.
    for (const auto& [index, row] : ActiveRows(rules.Communities(), settings)) {
        const std::string community = Text(row, communityName);
        const std::string user = Text(row, communityUser);
        if (!Fits(user) || community.find('\0') != std::string::npos)
            continue;
        struct in_addr any{};
        netsnmp_udp_com2SecEntry_create(nullptr, community.c_str(), user.c_str(), "", &any, &any, 0);
    }
    // Trap hosts: SNMPv1 traps, SNMPv2c notifications, or SNMPv3 notifications as a user at a level.
    const std::string port = std::to_string(m_nTrapPort);
    for (const auto& [index, row] : ActiveRows(rules.Hosts(), settings)) {
        char address[INET_ADDRSTRLEN] = {};
        const std::string bytes = Text(row, hostAddress);
        if (bytes.size() != 4 || !inet_ntop(AF_INET, bytes.data(), address, sizeof address))
            continue;
        const std::string name = Text(row, hostName);
        const auto version = Number(row, hostVersion);
        if (version == 1 || version == 2) {
            create_trap_session_with_src(address, port.c_str(), name.c_str(), nullptr,
                                         version == 1 ? SNMP_VERSION_1 : SNMP_VERSION_2c,
                                         version == 1 ? SNMP_MSG_TRAP : SNMP_MSG_TRAP2);
        } else if (version >= 3 && version <= 5) {
            const int level = version == 3 ? SNMP_SEC_LEVEL_NOAUTH : version == 4 ? SNMP_SEC_LEVEL_AUTHNOPRIV
                                                                                   : SNMP_SEC_LEVEL_AUTHPRIV;
            const std::string dst = std::string("udp:") + address + ":" + port;
            netsnmp_create_v3user_notification_session(dst.c_str(), name.c_str(), level, nullptr, SNMP_MSG_TRAP2,
                                                       nullptr, 0, nullptr, nullptr, nullptr, nullptr);
        }
    }
}

void CAgentAccess::Send(const CSimDevice& device, const SimNotification& n, const ObjectMap& settings)
{
    if (n.kind == SimNotification::ColdStart) {
        if (Switch(settings, trapBootup) == 1)
            send_easy_trap(SNMP_TRAP_COLDSTART, 0);
        return;
    }
    if (Switch(settings, n.fiber ? trapFiberLink : trapCopperLink) != 1)
        return;
    // linkDown / linkUp with the port's ifIndex, ifAdminStatus and ifOperStatus.
    static const oid kTrapOid[] = {1, 3, 6, 1, 6, 3, 1, 1, 4, 1, 0};
    oid trap[] = {1, 3, 6, 1, 6, 3, 1, 1, 5, n.kind == SimNotification::LinkDown ? 3u : 4u};
    netsnmp_variable_list* vars = nullptr;
    snmp_varlist_add_variable(&vars, kTrapOid, OID_LENGTH(kTrapOid), ASN_OBJECT_ID, reinterpret_cast<u_char*>(trap),
                              sizeof trap);
    const auto port = static_cast<std::uint32_t>(n.port);
    for (std::uint32_t column : {1u, 7u, 8u}) {
        const Oid o = {1, 3, 6, 1, 2, 1, 2, 2, 1, column, port};
        long value = column == 1 ? n.port : (n.kind == SimNotification::LinkDown && column == 8 ? 2 : 1);
        if (column == 7)
            if (auto v = device.Get(o))
                value = static_cast<long>(v->number);
        std::vector<oid> name(o.begin(), o.end());
        snmp_varlist_add_variable(&vars, name.data(), name.size(), ASN_INTEGER, reinterpret_cast<u_char*>(&value),
                                  sizeof value);
    }
    send_v2trap(vars);
    snmp_free_varbind(vars);
}

} // namespace tqxsim
