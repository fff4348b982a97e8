#include "sim/Maintenance.h"

#include "sim/Device.h"

#include <array>
#include <cstring>
#include <sstream>

namespace tqxsim {

namespace oids {
const Oid fwServer = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 3, 1, 0};
const Oid fwFile = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 3, 2, 0};
const Oid fwOperation = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 3, 3, 0};
const Oid fwState = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 3, 4, 0};
const Oid cfgServer = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 3, 5, 0};
const Oid cfgFile = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 3, 6, 0};
const Oid cfgOperation = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 3, 7, 0};
const Oid cfgState = {1, 3, 6, 1, 4, 1, 32473, 10, 76, 10, 3, 8, 0};
} // namespace oids

namespace {

using Clock = std::chrono::steady_clock;

const Oid kSysDescr = {1, 3, 6, 1, 2, 1, 1, 1, 0};
constexpr const char kMagic[8] = {'T', 'Q', 'X', 'F', 'W', '1', 0, 0};
constexpr std::size_t kModelBytes = 24, kVersionBytes = 16;
constexpr std::size_t kMaxFileName = 64;
// How long the switch takes to write what it fetched, and to restart on a new firmware.
constexpr auto kConfigWriteTime = std::chrono::milliseconds(500);
constexpr auto kFirmwareWriteTime = std::chrono::milliseconds(1500);
constexpr auto kRestartDelay = std::chrono::milliseconds(2000);
constexpr std::size_t kFirmwarePayload = 64 * 1024;
// A server silent for this long: the switch reports that it is still trying (4) rather than transferring.
constexpr auto kSilentServer = std::chrono::seconds(20);

void PutU32(std::string& s, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        s.push_back(static_cast<char>((v >> shift) & 0xff));
}

std::uint32_t GetU32(const std::string& s, std::size_t at)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}

std::string Padded(const std::string& text, std::size_t n)
{
    std::string s = text.substr(0, n);
    s.resize(n, '\0');
    return s;
}

std::string Unpadded(const std::string& s, std::size_t at, std::size_t n)
{
    const std::string field = s.substr(at, n);
    return field.substr(0, field.find('\0'));
}

bool Printable(const std::string& s)
{
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7f)
            return false;
    return true;
}

std::string Dotted(const Value& v)
{
    if (v.bytes.size() != 4)
        return "0.0.0.0";
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += (i ? "." : "") + std::to_string(static_cast<unsigned char>(v.bytes[static_cast<size_t>(i)]));
    return s;
}

std::uint32_t HostOrder(const Value& v)
{
    if (v.bytes.size() != 4)
        return 0;
    std::uint32_t a = 0;
    for (unsigned char c : v.bytes)
        a = a << 8 | c;
    return a;
}

const Value* Find(const ObjectMap& objects, const Oid& oid)
{
    auto it = objects.find(oid);
    return it == objects.end() ? nullptr : &it->second;
}

} // namespace

std::uint32_t Crc32(const std::string& bytes)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes)
        crc = table[(crc ^ b) & 0xff] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string MakeFirmwareImage(const std::string& model, const std::string& version, std::size_t payloadSize)
{
    // The payload stands for the code; it differs from version to version.
    std::string payload(payloadSize, '\0');
    std::uint32_t x = Crc32(model + "/" + version) | 1;
    for (auto& c : payload) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x & 0xff);
    }
    std::string image(kMagic, sizeof kMagic);
    image += Padded(model, kModelBytes);
    image += Padded(version, kVersionBytes);
    PutU32(image, static_cast<std::uint32_t>(payload.size()));
    PutU32(image, Crc32(payload));
    image.append(8, '\0');
    return image + payload;
}

bool CheckFirmwareImage(const std::string& image, const std::string& model, std::string* version, std::string* why)
{
    if (image.size() < kFirmwareHeaderSize || image.compare(0, sizeof kMagic, kMagic, sizeof kMagic) != 0) {
        *why = "not a firmware image";
        return false;
    }
    const std::string imageModel = Unpadded(image, 8, kModelBytes);
    if (imageModel != model) {
        *why = "firmware for " + imageModel + ", not " + model;
        return false;
    }
    const std::uint32_t length = GetU32(image, 48);
    if (image.size() - kFirmwareHeaderSize != length) {
        *why = "image length does not match its header";
        return false;
    }
    if (Crc32(image.substr(kFirmwareHeaderSize)) != GetU32(image, 52)) {
        *why = "bad checksum";
        return false;
    }
    const std::string v = Unpadded(image, 32, kVersionBytes);
    if (v.empty() || !Printable(v)) {
        *why = "bad version";
        return false;
    }
    *version = v;
    return true;
}

std::string WriteConfigFile(const std::string& model, const ObjectMap& objects)
{
    std::string text = "tqx-config 1\nmodel " + model + "\n";
    for (const auto& [oid, value] : objects)
        text += FormatLine(oid, value) + "\n";
    text += "end " + std::to_string(objects.size()) + "\n";
    return text;
}

bool ReadConfigFile(const std::string& text, const std::string& model, ObjectMap* objects, std::string* why)
{
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != "tqx-config 1") {
        *why = "not a configuration file";
        return false;
    }
    if (!std::getline(in, line) || line != "model " + model) {
        *why = "configuration of another model (" + line + ")";
        return false;
    }
    ObjectMap read;
    int number = 2;
    bool ended = false;
    while (std::getline(in, line)) {
        ++number;
        if (ended) {
            if (!line.empty()) {
                *why = "text after the end";
                return false;
            }
            continue;
        }
        if (line.rfind("end ", 0) == 0) {
            if (line.substr(4) != std::to_string(read.size())) {
                *why = "object count does not match";
                return false;
            }
            ended = true;
            continue;
        }
        ObjectMap one;
        std::vector<ParseIssue> issues;
        ParseSnmprec(line, &one, &issues);
        if (!issues.empty() || one.size() != 1 || read.count(one.begin()->first)) {
            *why = "line " + std::to_string(number) + " is broken";
            return false;
        }
        read.insert(*one.begin());
    }
    if (!ended) {
        *why = "truncated";
        return false;
    }
    *objects = std::move(read);
    return true;
}

CMaintenanceFeature::~CMaintenanceFeature()
{
    m_bStop = true;
    Join();
}

void CMaintenanceFeature::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void CMaintenanceFeature::AddDefaults(ObjectMap& objects, const ModelInfo& model) const
{
    const Value noAddress = [] {
        Value v;
        v.tag = Tag::IpAddress;
        v.bytes.assign(4, '\0');
        return v;
    }();
    objects.emplace(oids::fwServer, noAddress);
    objects.emplace(oids::fwFile, Value::Text(""));
    objects.emplace(oids::fwOperation, Value::Integer(0));
    objects.emplace(oids::fwState, Value::Integer(kTransferOk));
    objects.emplace(oids::cfgServer, noAddress);
    objects.emplace(oids::cfgFile, Value::Text(""));
    objects.emplace(oids::cfgOperation, Value::Integer(0));
    objects.emplace(oids::cfgState, Value::Integer(kTransferOk));
    (void)model;
}

bool CMaintenanceFeature::Handles(const Oid& oid) const
{
    for (const Oid* o : {&oids::fwServer, &oids::fwFile, &oids::fwOperation, &oids::fwState, &oids::cfgServer,
                         &oids::cfgFile, &oids::cfgOperation, &oids::cfgState})
        if (oid == *o)
            return true;
    return false;
}

SetError CMaintenanceFeature::CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value,
                                       const ObjectMap& request) const
{
    if (oid == oids::fwState || oid == oids::cfgState)
        return SetError::NotWritable;
    if (!Find(objects, oid))
        return SetError::NoCreation;
    if (oid == oids::fwServer || oid == oids::cfgServer) {
        if (value.tag != Tag::IpAddress || value.bytes.size() != 4)
            return SetError::WrongType;
        // No multicast or broadcast server.
        return static_cast<unsigned char>(value.bytes[0]) >= 224 ? SetError::WrongValue : SetError::None;
    }
    if (oid == oids::fwFile || oid == oids::cfgFile) {
        if (value.tag != Tag::OctetString)
            return SetError::WrongType;
        if (value.bytes.size() > kMaxFileName)
            return SetError::WrongLength;
        return Printable(value.bytes) ? SetError::None : SetError::WrongValue;
    }
    // An operation: 1 fetch, 2 send, one transfer at a time, to a server and file set before or in
    // the same request.
    if (value.tag != Tag::Integer)
        return SetError::WrongType;
    if (value.number != 1 && value.number != 2)
        return SetError::WrongValue;
    if (m_job)
        return SetError::ResourceUnavailable;
    const bool firmware = oid == oids::fwOperation;
    auto after = [&](const Oid& o) -> const Value* {
        if (const Value* v = Find(request, o))
            return v;
        return Find(objects, o);
    };
    const Value* server = after(firmware ? oids::fwServer : oids::cfgServer);
    const Value* file = after(firmware ? oids::fwFile : oids::cfgFile);
    if (!server || HostOrder(*server) == 0 || !file || file->bytes.empty())
        return SetError::InconsistentValue;
    return SetError::None;
}

void CMaintenanceFeature::Committed(ObjectMap& objects, const Oid& oid)
{
    if (oid != oids::fwOperation && oid != oids::cfgOperation)
        return;
    const Value* op = Find(objects, oid);
    if (!op || m_job)
        return;
    Job job;
    job.firmware = oid == oids::fwOperation;
    job.upgrade = op->number == 1;
    const Value* server = Find(objects, job.firmware ? oids::fwServer : oids::cfgServer);
    const Value* file = Find(objects, job.firmware ? oids::fwFile : oids::cfgFile);
    if (!server || !file)
        return;
    job.server = Dotted(*server);
    job.file = file->bytes;
    objects[job.firmware ? oids::fwState : oids::cfgState] = Value::Integer(kTransferRunning);

    std::string outgoing;
    if (!job.upgrade) {
        if (job.firmware) {
            outgoing = MakeFirmwareImage(m_model, m_version, kFirmwarePayload);
        } else {
            ObjectMap config = m_device.ConfigObjects();
            config.erase(oids::fwOperation);
            config.erase(oids::cfgOperation);
            outgoing = WriteConfigFile(m_model, config);
        }
    }
    Join();
    {
        std::lock_guard lock(m_mutex);
        m_bFetched = false;
        m_result = {};
        m_data.clear();
    }
    m_job = job;
    TftpOptions options;
    options.serverAddress = HostOrder(*server);
    options.serverPort = m_nTftpPort;
    options.tries = m_nTftpTries;
    options.stop = &m_bStop;
    m_heardAt = Clock::now().time_since_epoch().count();
    m_bSilent = false;
    options.heardAt = &m_heardAt;
    m_thread = std::thread([this, options, job, outgoing = std::move(outgoing)] {
        std::string data;
        const TftpResult r = job.upgrade ? TftpGet(options, job.file, &data) : TftpPut(options, job.file, outgoing);
        std::lock_guard lock(m_mutex);
        m_result = r;
        m_data = std::move(data);
        m_bFetched = true;
    });
}

void CMaintenanceFeature::Finish(ObjectMap& objects, bool ok, const std::string& why)
{
    const Job job = *m_job;
    m_job.reset();
    m_writtenAt.reset();
    objects[job.firmware ? oids::fwState : oids::cfgState] = Value::Integer(ok ? kTransferOk : kTransferFailed);
    DeviceEvent e;
    e.kind = ok ? DeviceEvent::Kind::TransferDone : DeviceEvent::Kind::TransferFailed;
    e.text = std::string(job.firmware ? "firmware " : "configuration ") +
             (job.upgrade ? (job.firmware ? "upgrade" : "restore") : "backup") + " with " + job.server + ", file " +
             job.file + (ok ? "" : ": " + why);
    m_device.Emit(e);
}

void CMaintenanceFeature::Tick(ObjectMap& objects, Clock::time_point now)
{
    if (m_restartAt && now >= *m_restartAt) {
        // The new firmware runs after the restart.
        m_restartAt.reset();
        m_version = m_newVersion;
        if (!m_baseDescription.empty())
            objects[kSysDescr] = Value::Text(m_baseDescription + ", firmware " + m_version);
        m_device.Restart();
        return;
    }
    if (!m_job)
        return;
    if (m_writtenAt) {
        if (now < *m_writtenAt)
            return;
        if (m_job->firmware) {
            m_restartAt = now + kRestartDelay;
        } else {
            ObjectMap config = std::move(m_restored);
            for (const Oid* o : {&oids::fwOperation, &oids::cfgOperation})
                if (const Value* v = Find(objects, *o))
                    config[*o] = *v;
            m_device.ReplaceConfig(config);
        }
        Finish(objects, true, "");
        return;
    }
    TftpResult result;
    std::string data;
    {
        std::lock_guard lock(m_mutex);
        if (!m_bFetched) {
            // Written when it changes only, so that a state set through the control channel stays.
            const auto heard = Clock::time_point(Clock::duration(m_heardAt.load()));
            const bool silent = now - heard >= kSilentServer;
            if (silent != m_bSilent) {
                m_bSilent = silent;
                objects[m_job->firmware ? oids::fwState : oids::cfgState] =
                    Value::Integer(silent ? kTransferWriting : kTransferRunning);
            }
            return;
        }
        result = m_result;
        data = std::move(m_data);
    }
    Join();
    if (!result.ok) {
        Finish(objects, false, result.error);
        return;
    }
    if (!m_job->upgrade) {
        Finish(objects, true, "");
        return;
    }
    // Checked before anything is written: a bad file changes nothing.
    std::string why;
    if (m_job->firmware) {
        if (!CheckFirmwareImage(data, m_model, &m_newVersion, &why)) {
            Finish(objects, false, why);
            return;
        }
    } else {
        ObjectMap config;
        if (!ReadConfigFile(data, m_model, &config, &why)) {
            Finish(objects, false, why);
            return;
        }
        for (const auto& [oid, value] : config) {
            const Value* current = Find(objects, oid);
            if (!m_device.IsWritable(oid) || oid == oids::fwOperation || oid == oids::cfgOperation ||
                (current && current->tag != value.tag)) {
                Finish(objects, false, "object " + OidToString(oid) + " cannot be restored");
                return;
            }
        }
        m_restored = std::move(config);
    }
    objects[m_job->firmware ? oids::fwState : oids::cfgState] = Value::Integer(kTransferWriting);
    m_writtenAt = now + (m_job->firmware ? kFirmwareWriteTime : kConfigWriteTime);
}

} // namespace tqxsim
