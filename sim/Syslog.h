// Syslog: the switch reports events (link up and down, configuration saved, restart, transfer results)
// to one syslog server as RFC 3164 messages over UDP.
//
// Objects (S = 1.3.6.1.4.1.32473.10.76.10.16.1): S.1 server address (default 0.0.0.0, none), S.2 UDP
// port (1..65535, default 514), S.4 severity level (4 warning, 6 info, 7 all; default 6), S.5 facility
// (128 local0 .. 184 local7 in steps of 8: the facility code times 8; default 128), S.6 state (1
// enabled, 2 disabled; default 2). An event is sent when its severity is at or above the level (its
// number at most the level's).
#pragma once

#include "sim/Feature.h"

#include <string>

namespace tqxsim {

namespace oids {
extern const Oid syslogServer, syslogPort, syslogSeverity, syslogFacility, syslogState;
} // namespace oids

class CSyslogFeature : public CSimFeature {
public:
    void AddDefaults(ObjectMap& objects, const ModelInfo& model) const override;
    bool Handles(const Oid& oid) const override;
    SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const override;
    void Committed(ObjectMap&, const Oid&) override {}
    void OnEvent(const ObjectMap& objects, const DeviceEvent& event) override;

    // The message of event as it goes on the wire (priority facility + severity, time, host, tag).
    static std::string Message(int facility, int severity, const std::string& host, const std::string& text);
    // The severity an event is reported with and its text.
    static int SeverityOf(const DeviceEvent& event);
    static std::string TextOf(const DeviceEvent& event);
};

} // namespace tqxsim
