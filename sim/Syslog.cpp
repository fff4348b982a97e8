#include "sim/Syslog.h"

#include <cstring>
#include <ctime>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tqxsim {

namespace oids {
const Oid syslogServer = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 16, 1, 1, 0};
const Oid syslogPort = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 16, 1, 2, 0};
const Oid syslogSeverity = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 16, 1, 4, 0};
const Oid syslogFacility = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 16, 1, 5, 0};
const Oid syslogState = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 16, 1, 6, 0};
} // namespace oids

namespace {

const Oid kSysName = {1, 3, 6, 1, 2, 1, 1, 5, 0};
enum Severity { kError = 3, kWarning = 4, kNotice = 5, kInfo = 6 };

const Value* Find(const ObjectMap& objects, const Oid& oid)
{
    auto it = objects.find(oid);
    return it == objects.end() ? nullptr : &it->second;
}

} // namespace

void CSyslogFeature::AddDefaults(ObjectMap& objects, const ModelInfo&) const
{
    Value none;
    none.tag = Tag::IpAddress;
    none.bytes.assign(4, '\0');
    objects.emplace(oids::syslogServer, none);
    objects.emplace(oids::syslogPort, Value::Integer(514));
    objects.emplace(oids::syslogSeverity, Value::Integer(kInfo));
    objects.emplace(oids::syslogFacility, Value::Integer(128));
    objects.emplace(oids::syslogState, Value::Integer(2));
}

bool CSyslogFeature::Handles(const Oid& oid) const
{
    return oid == oids::syslogServer || oid == oids::syslogPort || oid == oids::syslogSeverity ||
           oid == oids::syslogFacility || oid == oids::syslogState;
}

SetError CSyslogFeature::CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap&) const
{
    const Value* current = Find(objects, oid);
    if (!current)
        return SetError::NoCreation;
    if (value.tag != current->tag)
        return SetError::WrongType;
    const auto n = value.number;
    if (oid == oids::syslogServer) {
        // A host: not multicast, not broadcast.
        return value.bytes.size() == 4 && static_cast<unsigned char>(value.bytes[0]) < 224 ? SetError::None
                                                                                          : SetError::WrongValue;
    }
    if (oid == oids::syslogPort)
        return n >= 1 && n <= 65535 ? SetError::None : SetError::WrongValue;
    if (oid == oids::syslogSeverity)
        return n == 4 || n == 6 || n == 7 ? SetError::None : SetError::WrongValue;
    if (oid == oids::syslogFacility)
        return n >= 128 && n <= 184 && n % 8 == 0 ? SetError::None : SetError::WrongValue;
    return n == 1 || n == 2 ? SetError::None : SetError::WrongValue;
}

int CSyslogFeature::SeverityOf(const DeviceEvent& event)
{
    switch (event.kind) {
    case DeviceEvent::Kind::LinkDown: return kWarning;
    case DeviceEvent::Kind::LinkUp: return kNotice;
    case DeviceEvent::Kind::ConfigSaved: return kInfo;
    case DeviceEvent::Kind::Rebooted: return kWarning;
    case DeviceEvent::Kind::TransferDone: return kInfo;
    case DeviceEvent::Kind::TransferFailed: return kError;
    }
    return kInfo;
}

std::string CSyslogFeature::TextOf(const DeviceEvent& event)
{
    switch (event.kind) {
    case DeviceEvent::Kind::LinkDown: return "Port " + std::to_string(event.port) + " link down";
    case DeviceEvent::Kind::LinkUp: return "Port " + std::to_string(event.port) + " link up";
    case DeviceEvent::Kind::ConfigSaved: return "Configuration saved";
    case DeviceEvent::Kind::Rebooted: return "System restarted";
    case DeviceEvent::Kind::TransferDone: return "Transfer succeeded: " + event.text;
    case DeviceEvent::Kind::TransferFailed: return "Transfer failed: " + event.text;
    }
    return event.text;
}

std::string CSyslogFeature::Message(int facility, int severity, const std::string& host, const std::string& text)
{
    // RFC 3164: "<PRI>Mmm dd hh:mm:ss HOST TAG: TEXT", the day padded with a blank.
    const std::time_t t = std::time(nullptr);
    std::tm now{};
    localtime_r(&t, &now);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%b %e %H:%M:%S", &now);
    std::string name;
    for (char c : host)
        name.push_back(c > ' ' && c < 0x7f ? c : '-');
    if (name.empty())
        name = "switch";
    return "<" + std::to_string(facility + severity) + ">" + stamp + " " + name + " switch: " + text;
}

void CSyslogFeature::OnEvent(const ObjectMap& objects, const DeviceEvent& event)
{
    auto number = [&](const Oid& o, std::int64_t fallback) {
        const Value* v = Find(objects, o);
        return v ? v->number : fallback;
    };
    const Value* server = Find(objects, oids::syslogServer);
    if (number(oids::syslogState, 2) != 1 || !server || server->bytes.size() != 4 || server->bytes == std::string(4, '\0'))
        return;
    const int severity = SeverityOf(event);
    if (severity > number(oids::syslogSeverity, kInfo))
        return;
    const Value* host = Find(objects, kSysName);
    const std::string message = Message(static_cast<int>(number(oids::syslogFacility, 128)), severity,
                                        host ? host->bytes : std::string(), TextOf(event));
    sockaddr_in to{};
    to.sin_family = AF_INET;
    std::memcpy(&to.sin_addr.s_addr, server->bytes.data(), 4);
    to.sin_port = htons(static_cast<std::uint16_t>(number(oids::syslogPort, 514)));
    // A socket for the moment, as the switch's own sockets are not listed among its listeners.
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    ::sendto(fd, message.data(), message.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&to), sizeof to);
    ::close(fd);
}

} // namespace tqxsim
