// One feature of the simulated switch (VLANs, trunks, ...): its objects' defaults, the checks on writes
// to them and what a completed write does. The device keeps every object in its object map, so a
// feature's state is saved, restored and served like every other object; a feature only adds rules.
#pragma once

#include "sim/Models.h"
#include "sim/Snmprec.h"

namespace tqxsim {

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
    virtual void Committed(ObjectMap& objects, const Oid& oid) const = 0;
    // Whether oid holds a secret that reads as an empty text (a password).
    virtual bool Secret(const Oid&) const { return false; }
};

} // namespace tqxsim
