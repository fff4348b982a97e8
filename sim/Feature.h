// One feature of the simulated switch (VLANs, trunks, ...): its objects' defaults, the checks on writes
// to them and what a completed write does. The device keeps every object in its object map, so a
// feature's state is saved, restored and served like every other object; a feature only adds rules.
#pragma once

#include "sim/Models.h"
#include "sim/Snmprec.h"

#include <chrono>
#include <string>

namespace tqxsim {

// Something that happened on the device, for the features that report it (syslog).
struct DeviceEvent {
    enum class Kind { LinkUp, LinkDown, ConfigSaved, Rebooted, TransferDone, TransferFailed };
    Kind kind = Kind::LinkUp;
    int port = 0;       // LinkUp, LinkDown
    std::string text;   // Transfer*: what was transferred
};

enum class SetError { None, NotWritable, WrongType, WrongValue, WrongLength, NoCreation, InconsistentValue,
                      ResourceUnavailable };

class CSimFeature {
public:
    virtual ~CSimFeature() = default;

    // Adds the feature's objects that objects does not hold yet, as a model's switch has them after a
    // reset to factory defaults.
    virtual void AddDefaults(ObjectMap& objects, const ModelInfo& model) const = 0;
    // Whether the feature decides about writes to oid (then CheckSet has the last word on them).
    virtual bool Handles(const Oid& oid) const = 0;
    // The error a SET of value to oid gets, or None. request holds every binding of the same SET.
    virtual SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value,
                              const ObjectMap& request) const = 0;
    // After a write to oid was stored: what follows from it (rows made or removed, dependent objects).
    virtual void Committed(ObjectMap& objects, const Oid& oid) = 0;

    // Features whose objects follow the ports or the clock:
    // a port's interface objects were worked out again (link, admin state, speed).
    virtual void PortChanged(ObjectMap&, int /*port*/) const {}
    // The device started or rebooted: counters begin again and derived objects are worked out anew.
    virtual void Restarted(ObjectMap&) const {}
    // A value that depends on the moment it is read: true with *served set from what the map holds.
    virtual bool Serve(const Oid&, const Value& /*stored*/, Value* /*served*/) const { return false; }
    // Whether oid holds a secret that reads as an empty text (a password).
    virtual bool Secret(const Oid&) const { return false; }
    // Time-driven work (a transfer going on), called from the device's time loop.
    virtual void Tick(ObjectMap& objects, std::chrono::steady_clock::time_point now) { (void)objects; (void)now; }
    // After any completed write and at start: objects that follow another feature's objects (rows kept
    // per VLAN) are brought up to date.
    virtual void Follow(ObjectMap&) const {}
    // What happened on the device.
    virtual void OnEvent(const ObjectMap& objects, const DeviceEvent& event) { (void)objects; (void)event; }
};

} // namespace tqxsim
