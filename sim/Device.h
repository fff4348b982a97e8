// The simulated switch: its objects, what a write to them does, and the control commands that change
// the device from outside (link, PoE, fan, faults). Independent of the SNMP agent around it.
#pragma once

#include "sim/Feature.h"
#include "sim/Models.h"
#include "sim/RowTable.h"
#include "sim/SnmpAdmin.h"
#include "sim/Snmprec.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tqxsim {

namespace oids {
// Objects with behaviour behind them.
extern const Oid sysUpTime, sysContact, sysName, sysLocation, ifNumber, ifEntry, ifXEntry, agingTime, fdbEntry,
    fdbDynamicCount;
extern const Oid reboot, saveConfig, fanStatus, portEntry, poeEntry, poeRemaining, poeDisplayMode, timeRangeEntry;
} // namespace oids

// Something the switch tells its trap hosts about.
struct SimNotification {
    enum Kind { LinkUp, LinkDown, ColdStart } kind = ColdStart;
    int port = 0;         // link changes: the port (its ifIndex)
    bool fiber = false;   // link changes: the port runs on a fibre connector
    std::chrono::steady_clock::time_point due{};
};

class CLldpFeature;

class CSimDevice {
public:
    using Clock = std::chrono::steady_clock;

    // model may be null: then the device is whatever the loaded objects describe.
    explicit CSimDevice(const ModelInfo* model = nullptr);

    // Adds objects (later ones replace earlier ones). Call Start when everything is loaded.
    void Merge(const ObjectMap& objects);
    // The communities and users the agent settings start with (call before Start).
    void SetAgentAccounts(AgentAccounts accounts) { m_accounts = std::move(accounts); }
    // Adds a subtree that SET may change.
    void AddWritable(const Oid& prefix) { m_writable.push_back(prefix); }
    // Finds the ports, fixes the derived objects and takes the first saved configuration.
    void Start();

    std::optional<Value> Get(const Oid& oid) const;
    // The first object after oid (or at oid when inclusive); false at the end.
    bool Next(const Oid& oid, bool inclusive, Oid* nextOid, Value* value) const;

    // Whether a SET of value to oid may go ahead, and the error it gets when not. request holds every
    // binding of the same SET (a new row's columns may only come with the row status that creates it).
    SetError CheckSet(const Oid& oid, const Value& value, const ObjectMap* request = nullptr) const;
    // Stores a checked value; returns the previous one for Undo.
    std::optional<Value> Set(const Oid& oid, const Value& value);
    void Undo(const Oid& oid, const std::optional<Value>& previous);
    // Runs what a completed write does (port state, PoE, save, reboot).
    void Committed(const Oid& oid);

    // One control line, answered "ok" or "error: ...".
    std::string Control(std::string_view line);

    // Time-driven behaviour: the pending reboot and, when enabled, random link and PoE changes.
    void Tick(Clock::time_point now);
    // True while the device is rebooting: it answers nothing.
    bool Rebooting(Clock::time_point now) const { return now < m_bootDone; }

    void SetDynamics(bool on, std::uint64_t seed) { m_dynamics = on; m_dynRandom.seed(seed); }
    // The UDP port of the TFTP servers the switch fetches from and sends to (takes effect at Start).
    void SetTftpPort(std::uint16_t port) { m_nTftpPort = port; }
    // How often the switch sends a TFTP packet before it gives up (takes effect at Start).
    void SetTftpTries(int tries) { m_nTftpTries = tries; }

    // Whether SET may change oid, and so whether it belongs to the configuration.
    bool IsWritable(const Oid& oid) const;
    // The configuration: every writable object but the reboot and save triggers.
    ObjectMap ConfigObjects() const;
    // Replaces the configuration by config (objects it lacks are gone) and runs what follows, as a
    // reboot does with the saved configuration.
    void ReplaceConfig(const ObjectMap& config);
    // Restarts at once, as a reboot does.
    void Restart() { DoReboot(Clock::now()); }
    // Tells the features what happened.
    void Emit(const DeviceEvent& event);
    void SetRebootTime(std::chrono::milliseconds t) { m_rebootTime = t; }

    // Fault injection, changed by options and the control channel.
    double m_dDropFraction = 0;
    int m_nDelayMs = 0;

    // The agent settings' rules (the tables the agent enforces).
    const CSnmpAdminFeature& SnmpAdmin() const { return *m_snmpAdmin; }
    // Whether the agent's global state is disabled: it then answers and sends nothing.
    bool SnmpSilent() const;
    // Reboots so far (0 until the first); the agent takes its saved engine ID at each.
    int BootCount() const { return m_nBoots; }
    // The notifications due by now, oldest first; they are forgotten once taken.
    std::vector<SimNotification> TakeNotifications(Clock::time_point now);

    const ObjectMap& Objects() const { return m_objects; }
    int PortCount() const { return static_cast<int>(m_ports.size()); }
    std::uint32_t UptimeTicks(Clock::time_point now) const;

private:
    struct Port {
        int index = 0;
        bool carrier = false;
        int linkMbps = 100;
        int maxMbps = 100;
        bool combo = false;
        bool poe = false;
        bool poweredDevice = false;
        bool scheduledOff = false; // outside its time range when it last was worked out
        bool halfDuplex = false;   // forced to a half-duplex speed
        bool forced = false;       // runs a forced speed rather than auto-negotiation
    };

    const CSimFeature* FeatureOf(const Oid& oid) const;
    Port* FindPort(int index);
    SetError CheckSpeedSetting(int index, std::int64_t speed, const ObjectMap& request) const;
    SetError CheckPoeSetting(const Oid& oid, const Value& value, const ObjectMap& request) const;
    // The link speed and duplex a port's speed setting gives (written: the setting was just written).
    void ApplySpeedSetting(Port& port, bool written);
    void RecomputePort(Port& port);
    // A port without link forgets the addresses learned on it; they are learned again when it comes back.
    void FollowLinkInFdb(const Port& port, bool up);
    // Works out the PoE figures of one port (all when null) and the remaining budget.
    void RecomputePoe(Port* only = nullptr);
    bool ScheduledOff(const Port& p) const;
    void TakeSavedConfig();
    // Whether the local time lies in time range number range (PoE allowed then).
    bool InTimeRange(std::uint32_t range) const;
    void DoReboot(Clock::time_point now);
    void PutInt(const Oid& column, int index, std::int64_t v);
    std::optional<std::int64_t> GetInt(const Oid& oid) const;

    const ModelInfo* m_model;
    ObjectMap m_objects;
    ObjectMap m_saved;
    std::vector<Oid> m_writable;
    std::vector<Oid> m_readOnly;
    std::map<int, Port> m_ports;
    std::uint32_t m_uptimeBase = 0;
    Clock::time_point m_boot;
    Clock::time_point m_bootDone{};
    std::optional<Clock::time_point> m_rebootAt;
    std::chrono::milliseconds m_rebootTime{1000};
    bool m_dynamics = false;
    std::mt19937_64 m_dynRandom;
    Clock::time_point m_nextDynamics{};
    Clock::time_point m_nextPoeCheck{};
    std::map<int, ObjectMap> m_flushedFdb; // by port: forwarding rows taken out while it has no link
    CRowTable m_timeRanges;
    std::uint16_t m_nTftpPort = 69;
    AgentAccounts m_accounts;
    const CSnmpAdminFeature* m_snmpAdmin = nullptr; // one of m_features
    CLldpFeature* m_lldp = nullptr;                 // one of m_features, with a model only
    int m_nBoots = 0;
    std::vector<SimNotification> m_notifications;
    int m_nTftpTries = 300;
    std::vector<std::unique_ptr<CSimFeature>> m_features; // the features with tables and rules of their own
};

} // namespace tqxsim
