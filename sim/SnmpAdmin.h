// The switch's own SNMP agent settings (S = 1.3.6.1.4.1.32473.10.76.10.25): global state, users,
// groups, views, communities, trap hosts, the engine ID and the trap switches. The tables are row
// tables whose rows the agent enforces (sim/AgentAccess.h turns the active rows into the agent's
// access control, user store and trap destinations).
//
// Name indexes are the name's length followed by its bytes as unsigned numbers (0..255), so any UTF-8
// name has exactly one index.
#pragma once

#include "sim/Options.h"
#include "sim/RowTable.h"

#include <string>
#include <vector>

namespace tqxsim {

namespace oids {
extern const Oid snmpAdmin, snmpGlobalState, snmpUserEntry, snmpGroupEntry, snmpViewEntry, snmpCommunityEntry,
    snmpHostEntry, snmpEngineId, snmpTrapSwitches;
} // namespace oids

enum SnmpUserColumn { userName = 1, userVersion, userGroup, userAuthProtocol, userAuthPassword, userPrivProtocol,
                      userPrivPassword, userStatus };
enum SnmpGroupColumn { groupName = 1, groupModel, groupLevel, groupReadView, groupWriteView, groupNotifyView,
                       groupStatus };
enum SnmpViewColumn { viewName = 1, viewMask = 3, viewType = 4, viewStatus = 5 };
enum SnmpCommunityColumn { communityName = 1, communityUser = 2, communityStatus = 3 };
enum SnmpHostColumn { hostAddress = 1, hostName = 2, hostVersion = 3, hostStatus = 4 };
// Trap switches S.8.N.0.
enum SnmpTrap { trapAuthentication = 1, trapBootup, trapFiberLink, trapCopperLink, trapRstp, trapFirmware,
                trapPoePower, trapPoeError, trapPoeBudget };

// What the factory rows are made of: the two communities and the users of the command line.
struct AgentAccounts {
    std::string readCommunity = "public";
    std::string writeCommunity = "private";
    std::vector<UserSpec> users;
};

// The name index of text: length, then each byte as an unsigned number.
Oid NameIndex(const std::string& text);
// Reads a name index at index[*pos] and moves *pos past it; false when it is not one.
bool ReadNameIndex(const Oid& index, size_t* pos, std::string* text);

class CSnmpAdminFeature : public CSimFeature {
public:
    static constexpr size_t kMaxNameBytes = 32;
    static constexpr size_t kMaxCommunities = 10, kMaxHosts = 10, kMaxUsers = 50, kMaxGroups = 50, kMaxViews = 50;

    CSnmpAdminFeature(AgentAccounts accounts, bool poe);

    void AddDefaults(ObjectMap& objects, const ModelInfo& model) const override;
    bool Handles(const Oid& oid) const override;
    SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const override;
    void Committed(ObjectMap& objects, const Oid& oid) override;
    // The passwords: kept, but read as empty texts.
    bool Secret(const Oid& oid) const override;

    // The factory settings alone (also what the agent runs on a device without them, e.g. a recording).
    ObjectMap FactoryObjects() const;
    // The engine ID a switch with this bridge address ships: enterprise 32473, format 3 (MAC).
    static std::string FactoryEngineId(const std::string& mac);

    const CRowTable& Users() const { return m_users; }
    const CRowTable& Groups() const { return m_groups; }
    const CRowTable& Views() const { return m_views; }
    const CRowTable& Communities() const { return m_communities; }
    const CRowTable& Hosts() const { return m_hosts; }

private:
    const CRowTable* TableOf(const Oid& oid) const;

    AgentAccounts m_accounts;
    bool m_bPoe;
    CRowTable m_users, m_groups, m_views, m_communities, m_hosts;
};

} // namespace tqxsim
