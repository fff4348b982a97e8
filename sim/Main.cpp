// tqx-sim: a simulated switch served by net-snmp's agent library.
#include "sim/AgentAccess.h"
#include "sim/Device.h"
#include "sim/Maintenance.h"
#include "sim/Models.h"
#include "sim/Options.h"
#include "sim/Snmprec.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/agent/net-snmp-agent-includes.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

extern "C" void init_vacm_conf(void);
// The agent library's session of its listening transport.
extern "C" netsnmp_session* main_session;

// net-snmp keeps a few allocations until the process ends; they are not ours to free.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libnetsnmp\nleak:libcrypto\n";
}

using namespace tqxsim;

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

CSimDevice* g_device = nullptr;
bool g_logRequests = false;
std::mt19937_64 g_dropRandom;
netsnmp_callback g_agentCallback = nullptr;

struct DelayedPdu {
    CSimDevice::Clock::time_point due;
    netsnmp_session* session;
    int reqid;
    netsnmp_pdu* pdu;
    void* magic;
};
std::deque<DelayedPdu> g_delayed;

// Values being written, kept for the undo phase of a SET.
std::map<Oid, std::optional<Value>> g_undo;
std::map<Oid, Value> g_pendingSet;

Oid ToOid(const oid* name, size_t len)
{
    Oid o(len);
    for (size_t i = 0; i < len; ++i)
        o[i] = static_cast<std::uint32_t>(name[i]);
    return o;
}

std::vector<oid> FromOid(const Oid& o)
{
    return std::vector<oid>(o.begin(), o.end());
}

void PutValue(netsnmp_variable_list* vb, const Value& v)
{
    switch (v.tag) {
    case Tag::Integer: {
        long n = static_cast<long>(v.number);
        snmp_set_var_typed_value(vb, ASN_INTEGER, &n, sizeof n);
        break;
    }
    case Tag::Counter32:
    case Tag::Gauge32:
    case Tag::TimeTicks: {
        u_long n = static_cast<u_long>(v.number);
        const u_char type = v.tag == Tag::Counter32 ? ASN_COUNTER : v.tag == Tag::Gauge32 ? ASN_GAUGE : ASN_TIMETICKS;
        snmp_set_var_typed_value(vb, type, &n, sizeof n);
        break;
    }
    case Tag::Counter64: {
        struct counter64 c;
        c.high = static_cast<u_long>(v.number64 >> 32);
        c.low = static_cast<u_long>(v.number64 & 0xffffffffULL);
        snmp_set_var_typed_value(vb, ASN_COUNTER64, &c, sizeof c);
        break;
    }
    case Tag::OctetString:
        snmp_set_var_typed_value(vb, ASN_OCTET_STR, v.bytes.data(), v.bytes.size());
        break;
    case Tag::IpAddress:
        snmp_set_var_typed_value(vb, ASN_IPADDRESS, v.bytes.data(), v.bytes.size());
        break;
    case Tag::ObjectId: {
        auto o = FromOid(v.oid);
        snmp_set_var_typed_value(vb, ASN_OBJECT_ID, o.data(), o.size() * sizeof(oid));
        break;
    }
    case Tag::Null:
        snmp_set_var_typed_value(vb, ASN_NULL, nullptr, 0);
        break;
    }
}

bool TakeValue(const netsnmp_variable_list* vb, Value* v)
{
    switch (vb->type) {
    case ASN_INTEGER:
        *v = Value::Integer(*vb->val.integer);
        return true;
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
        *v = Value::Unsigned(vb->type == ASN_COUNTER ? Tag::Counter32 : vb->type == ASN_GAUGE ? Tag::Gauge32 : Tag::TimeTicks,
                             static_cast<std::uint32_t>(*vb->val.integer));
        return true;
    case ASN_COUNTER64:
        v->tag = Tag::Counter64;
        v->number64 = (static_cast<std::uint64_t>(vb->val.counter64->high) << 32) | (vb->val.counter64->low & 0xffffffffULL);
        return true;
    case ASN_OCTET_STR:
        *v = Value::Text(std::string(reinterpret_cast<const char*>(vb->val.string), vb->val_len));
        return true;
    case ASN_IPADDRESS:
        if (vb->val_len != 4)
            return false;
        v->tag = Tag::IpAddress;
        v->bytes.assign(reinterpret_cast<const char*>(vb->val.string), 4);
        return true;
    case ASN_OBJECT_ID:
        v->tag = Tag::ObjectId;
        v->oid = ToOid(vb->val.objid, vb->val_len / sizeof(oid));
        return true;
    default:
        return false;
    }
}

int ErrorCode(SetError e)
{
    switch (e) {
    case SetError::None: return SNMP_ERR_NOERROR;
    case SetError::NotWritable: return SNMP_ERR_NOTWRITABLE;
    case SetError::WrongType: return SNMP_ERR_WRONGTYPE;
    case SetError::WrongValue: return SNMP_ERR_WRONGVALUE;
    case SetError::WrongLength: return SNMP_ERR_WRONGLENGTH;
    case SetError::NoCreation: return SNMP_ERR_NOCREATION;
    case SetError::InconsistentValue: return SNMP_ERR_INCONSISTENTVALUE;
    case SetError::ResourceUnavailable: return SNMP_ERR_RESOURCEUNAVAILABLE;
    }
    return SNMP_ERR_GENERR;
}

// One handler serves every object of the device from its object map.
int DeviceHandler(netsnmp_mib_handler*, netsnmp_handler_registration*, netsnmp_agent_request_info* reqinfo,
                  netsnmp_request_info* requests)
{
    CSimDevice& dev = *g_device;
    ObjectMap request; // every binding of this SET, for checks that look at the whole request
    if (reqinfo->mode == MODE_SET_RESERVE1) {
        for (netsnmp_request_info* r = requests; r; r = r->next) {
            Value v;
            if (TakeValue(r->requestvb, &v))
                request[ToOid(r->requestvb->name, r->requestvb->name_length)] = v;
        }
    }
    for (netsnmp_request_info* r = requests; r; r = r->next) {
        if (r->processed)
            continue;
        netsnmp_variable_list* vb = r->requestvb;
        const Oid name = ToOid(vb->name, vb->name_length);
        switch (reqinfo->mode) {
        case MODE_GET: {
            if (auto v = dev.Get(name)) {
                PutValue(vb, *v);
            } else {
                // An instance missing from a known column is noSuchInstance, anything else noSuchObject.
                Oid column(name.begin(), name.end() - 1);
                Oid next;
                Value nv;
                const bool known = dev.Next(column, false, &next, &nv) && OidHasPrefix(next, column);
                snmp_set_var_typed_value(vb, known ? SNMP_NOSUCHINSTANCE : SNMP_NOSUCHOBJECT, nullptr, 0);
            }
            break;
        }
        case MODE_GETNEXT: {
            Oid next;
            Value v;
            bool found = dev.Next(name, r->inclusive != 0, &next, &v);
            // A Null value would read as "nothing here" to the agent and end the walk early: step over it.
            while (found && v.tag == Tag::Null)
                found = dev.Next(Oid(next), false, &next, &v);
            if (found) {
                auto o = FromOid(next);
                snmp_set_var_objid(vb, o.data(), o.size());
                PutValue(vb, v);
            }
            break;
        }
        case MODE_SET_RESERVE1: {
            Value v;
            SetError e = TakeValue(vb, &v) ? dev.CheckSet(name, v, &request) : SetError::WrongType;
            if (e != SetError::None)
                netsnmp_set_request_error(reqinfo, r, ErrorCode(e));
            else
                g_pendingSet[name] = v;
            break;
        }
        case MODE_SET_RESERVE2:
            break;
        case MODE_SET_ACTION:
            if (auto it = g_pendingSet.find(name); it != g_pendingSet.end())
                g_undo[name] = dev.Set(name, it->second);
            break;
        case MODE_SET_UNDO:
            if (auto it = g_undo.find(name); it != g_undo.end()) {
                dev.Undo(name, it->second);
                g_undo.erase(it);
            }
            g_pendingSet.erase(name);
            break;
        case MODE_SET_COMMIT:
            if (g_undo.count(name))
                dev.Committed(name);
            g_undo.erase(name);
            g_pendingSet.erase(name);
            break;
        case MODE_SET_FREE:
            g_undo.erase(name);
            g_pendingSet.erase(name);
            break;
        default:
            break;
        }
    }
    return SNMP_ERR_NOERROR;
}

std::string Printable(const char* p, size_t n)
{
    if (!p || n == 0)
        return "-";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        s.push_back(c > ' ' && c < 0x7f ? static_cast<char>(c) : '?');
    }
    return s;
}

const char* PduName(int command)
{
    switch (command) {
    case SNMP_MSG_GET: return "GET";
    case SNMP_MSG_GETNEXT: return "GETNEXT";
    case SNMP_MSG_GETBULK: return "GETBULK";
    case SNMP_MSG_SET: return "SET";
    case SNMP_MSG_INFORM: return "INFORM";
    case SNMP_MSG_TRAP2: return "TRAP2";
    case SNMP_MSG_REPORT: return "REPORT";
    default: return "OTHER";
    }
}

void LogRequest(const netsnmp_pdu* pdu)
{
    std::string line = "request version=";
    line += pdu->version == SNMP_VERSION_1 ? "1" : pdu->version == SNMP_VERSION_2c ? "2c" : pdu->version == SNMP_VERSION_3 ? "3" : "?";
    const bool v3 = pdu->version == SNMP_VERSION_3;
    line += " community=" + (v3 ? std::string("-") : Printable(reinterpret_cast<const char*>(pdu->community), pdu->community_len));
    line += " user=" + (v3 ? Printable(pdu->securityName, pdu->securityNameLen) : std::string("-"));
    const char* level = "-";
    if (v3)
        level = pdu->securityLevel == SNMP_SEC_LEVEL_AUTHPRIV ? "authPriv"
              : pdu->securityLevel == SNMP_SEC_LEVEL_AUTHNOPRIV ? "authNoPriv" : "noAuthNoPriv";
    line += std::string(" level=") + level;
    line += std::string(" pdu=") + PduName(pdu->command);
    line += " oids=";
    bool first = true;
    for (const netsnmp_variable_list* vb = pdu->variables; vb; vb = vb->next_variable) {
        if (!first)
            line += ",";
        first = false;
        line += OidToString(ToOid(vb->name, vb->name_length));
    }
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Sits in front of the agent's own packet callback: logs, drops and delays whole requests.
int PacketCallback(int op, netsnmp_session* session, int reqid, netsnmp_pdu* pdu, void* magic)
{
    if (op != NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE || !pdu)
        return g_agentCallback(op, session, reqid, pdu, magic);
    if (g_logRequests)
        LogRequest(pdu);
    const auto now = CSimDevice::Clock::now();
    // One draw per request keeps the drop pattern the same for a given seed.
    const double draw = std::uniform_real_distribution<double>(0.0, 1.0)(g_dropRandom);
    if (g_device->Rebooting(now) || g_device->SnmpSilent() || draw < g_device->m_dDropFraction)
        return 1; // handled: no answer
    if (g_device->m_nDelayMs > 0) {
        // A flood of delayed requests is bounded: beyond the limit they are dropped like a full queue would.
        if (g_delayed.size() >= 4096)
            return 1;
        netsnmp_pdu* copy = snmp_clone_pdu(pdu);
        if (copy) {
            g_delayed.push_back({now + std::chrono::milliseconds(g_device->m_nDelayMs), session, reqid, copy, magic});
            return 1;
        }
    }
    return g_agentCallback(op, session, reqid, pdu, magic);
}

void RunDelayed(CSimDevice::Clock::time_point now)
{
    while (!g_delayed.empty() && g_delayed.front().due <= now) {
        DelayedPdu d = g_delayed.front();
        g_delayed.pop_front();
        g_agentCallback(NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE, d.session, d.reqid, d.pdu, d.magic);
        snmp_free_pdu(d.pdu);
    }
}

bool ReadFile(const std::string& path, std::string* text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::stringstream s;
    s << in.rdbuf();
    *text = s.str();
    return !in.bad();
}

bool LoadSnmprec(const std::string& path, CSimDevice* dev)
{
    std::string text;
    if (!ReadFile(path, &text)) {
        std::fprintf(stderr, "tqx-sim: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    ObjectMap objects;
    std::vector<ParseIssue> issues;
    ParseSnmprec(text, &objects, &issues);
    for (const auto& i : issues)
        std::fprintf(stderr, "tqx-sim: %s:%d: %s; line skipped\n", path.c_str(), i.line, i.message.c_str());
    if (objects.empty()) {
        std::fprintf(stderr, "tqx-sim: %s holds no objects\n", path.c_str());
        return false;
    }
    dev->Merge(objects);
    return true;
}

std::string ProfilePath(const std::string& model)
{
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::vector<std::filesystem::path> dirs;
    if (!ec)
        dirs.push_back(exe.parent_path() / "profiles");
#ifdef TQX_SIM_PROFILE_DIR
    dirs.push_back(TQX_SIM_PROFILE_DIR);
#endif
    for (const auto& d : dirs) {
        auto p = d / (model + ".snmprec");
        if (std::filesystem::exists(p, ec))
            return p.string();
    }
    return {};
}

// The control channel: a Unix stream socket, one command a line, one answer line each.
class CControlServer {
public:
    ~CControlServer()
    {
        for (auto& c : m_clients)
            ::close(c.fd);
        if (m_listen >= 0) {
            ::close(m_listen);
            ::unlink(m_path.c_str());
        }
    }

    bool Open(const std::string& path)
    {
        m_path = path;
        struct stat st{};
        if (::lstat(path.c_str(), &st) == 0) {
            if (!S_ISSOCK(st.st_mode)) {
                std::fprintf(stderr, "tqx-sim: %s exists and is not a socket\n", path.c_str());
                return false;
            }
            // A socket nobody answers on was left behind by an earlier run; a live one belongs to
            // another simulator and is not taken over.
            int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un a{};
            a.sun_family = AF_UNIX;
            std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
            const bool live = probe >= 0 && ::connect(probe, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
            if (probe >= 0)
                ::close(probe);
            if (live) {
                std::fprintf(stderr, "tqx-sim: control socket %s is in use by another process\n", path.c_str());
                return false;
            }
            ::unlink(path.c_str());
        }
        m_listen = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(m_listen, 8) != 0) {
            std::fprintf(stderr, "tqx-sim: cannot open control socket %s: %s\n", path.c_str(), std::strerror(errno));
            if (m_listen >= 0)
                ::close(m_listen);
            m_listen = -1;
            return false;
        }
        return true;
    }

    void AddFds(fd_set* fds, int* maxFd) const
    {
        if (m_listen < 0)
            return;
        FD_SET(m_listen, fds);
        *maxFd = std::max(*maxFd, m_listen + 1);
        for (const auto& c : m_clients) {
            FD_SET(c.fd, fds);
            *maxFd = std::max(*maxFd, c.fd + 1);
        }
    }

    void Handle(const fd_set* fds, CSimDevice* dev)
    {
        if (m_listen < 0)
            return;
        if (FD_ISSET(m_listen, fds)) {
            int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd >= 0) {
                if (m_clients.size() >= 16 || fd >= FD_SETSIZE)
                    ::close(fd);
                else
                    m_clients.push_back({fd, {}});
            }
        }
        for (size_t i = 0; i < m_clients.size();) {
            Client& c = m_clients[i];
            bool keep = true;
            if (FD_ISSET(c.fd, fds)) {
                char buf[1024];
                ssize_t n = ::recv(c.fd, buf, sizeof buf, 0);
                if (n <= 0 && !(n < 0 && (errno == EAGAIN || errno == EINTR))) {
                    keep = false;
                } else if (n > 0) {
                    c.input.append(buf, static_cast<size_t>(n));
                    size_t nl;
                    while (keep && (nl = c.input.find('\n')) != std::string::npos) {
                        std::string line = c.input.substr(0, nl);
                        c.input.erase(0, nl + 1);
                        keep = Answer(c.fd, dev->Control(line));
                    }
                    if (keep && c.input.size() > 4096) {
                        Answer(c.fd, "error: line too long");
                        keep = false;
                    }
                }
            }
            if (keep) {
                ++i;
            } else {
                ::close(c.fd);
                m_clients.erase(m_clients.begin() + static_cast<long>(i));
            }
        }
    }

private:
    struct Client {
        int fd;
        std::string input;
    };

    static bool Answer(int fd, std::string text)
    {
        text.push_back('\n');
        return ::send(fd, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT) == static_cast<ssize_t>(text.size());
    }

    std::string m_path;
    int m_listen = -1;
    std::vector<Client> m_clients;
};

} // namespace

int main(int argc, char** argv)
{
    Options opt;
    std::string error;
    if (!ParseOptions(std::vector<std::string>(argv + 1, argv + argc), &opt, &error)) {
        std::fprintf(stderr, "tqx-sim: %s\n%s", error.c_str(), "Try tqx-sim --help.\n");
        return 2;
    }
    if (opt.help) {
        std::fputs(UsageText(), stdout);
        return 0;
    }

    if (!opt.writeFirmware.empty()) {
        const ModelInfo* target = FindModel(opt.model.empty() ? "TQX-8800" : opt.model);
        if (!target) {
            std::fprintf(stderr, "tqx-sim: unknown model \"%s\"\n", opt.model.c_str());
            return 2;
        }
        std::ofstream out(opt.writeFirmware, std::ios::binary | std::ios::trunc);
        const std::string image = MakeFirmwareImage(target->name, opt.firmwareVersion, 64 * 1024);
        out.write(image.data(), static_cast<std::streamsize>(image.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "tqx-sim: cannot write %s\n", opt.writeFirmware.c_str());
            return 1;
        }
        return 0;
    }

    const ModelInfo* model = nullptr;
    if (!opt.model.empty()) {
        model = FindModel(opt.model);
        if (!model) {
            std::string known;
            for (const auto& m : Models())
                known += (known.empty() ? "" : ", ") + m.name;
            std::fprintf(stderr, "tqx-sim: unknown model \"%s\" (known: %s)\n", opt.model.c_str(), known.c_str());
            return 2;
        }
    }
    CSimDevice device(model);
    if (model) {
        const std::string path = ProfilePath(model->name);
        if (path.empty()) {
            std::fprintf(stderr, "tqx-sim: the profile of %s is not installed\n", model->name.c_str());
            return 1;
        }
        if (!LoadSnmprec(path, &device))
            return 1;
    }
    for (const auto& f : opt.dataFiles)
        if (!LoadSnmprec(f, &device))
            return 1;
    for (const auto& w : opt.writable)
        device.AddWritable(w);
    device.SetTftpPort(static_cast<std::uint16_t>(opt.tftpPort));
    device.SetAgentAccounts({opt.readCommunity, opt.writeCommunity, opt.users});
    device.SetTftpTries(opt.tftpTries);
    device.Start();
    device.m_dDropFraction = opt.drop;
    device.m_nDelayMs = opt.delayMs;
    device.SetRebootTime(std::chrono::milliseconds(opt.rebootMs));
    device.SetDynamics(opt.dynamics, opt.seed);
    g_device = &device;
    g_logRequests = opt.logRequests;
    g_dropRandom.seed(opt.seed);

    CControlServer control;
    if (!opt.controlPath.empty() && !control.Open(opt.controlPath))
        return 1;

    // net-snmp: a master agent on our own configuration only (no files read or written, no MIB files).
    ::setenv("MIBS", "", 1);
    snmp_disable_log();
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_STDERR, opt.verbose ? LOG_INFO : LOG_WARNING);
    netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_APPTYPE, "tqx-sim");
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_ALARM_DONT_USE_SIG, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE, 0);
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_NO_ROOT_ACCESS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_AGENTX_MASTER, 0);
    netsnmp_ds_set_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_PORTS, opt.listen.c_str());

    // No SMUX peers: a switch has none, and each agent would try to take TCP port 199 for them.
    char noSmux[] = "-smux";
    add_to_init_list(noSmux);
    init_agent("tqx-sim");
    init_vacm_conf();
    // One registration per top-level subtree the device has (1.3 for the usual MIBs, 1.0 for IEEE ones).
    std::set<std::pair<std::uint32_t, std::uint32_t>> roots;
    for (const auto& [o, v] : device.Objects())
        roots.insert({o[0], o[1]});
    for (const auto& [a, b] : roots) {
        const oid root[] = {a, b};
        const std::string name = "tqx-sim-" + std::to_string(a) + "." + std::to_string(b);
        netsnmp_handler_registration* reg =
            netsnmp_create_handler_registration(name.c_str(), DeviceHandler, root, OID_LENGTH(root), HANDLER_CAN_RWRITE);
        if (!reg || netsnmp_register_handler(reg) != MIB_REGISTERED_OK) {
            std::fprintf(stderr, "tqx-sim: cannot register the device objects below %u.%u\n", a, b);
            return 1;
        }
    }

    // Access control comes from the device's agent settings once the agent runs (CAgentAccess); the
    // placeholder keeps the library from warning at start that there is none.
    char group[] = "group tqx-sim-start v1 tqx-sim-start";
    char access[] = "access tqx-sim-start \"\" any noauth exact none none none";
    netsnmp_config_remember(group);
    netsnmp_config_remember(access);
    init_snmp("tqx-sim");

    if (init_master_agent() != 0 || !main_session) {
        std::fprintf(stderr, "tqx-sim: cannot listen on %s\n", opt.listen.c_str());
        snmp_shutdown("tqx-sim");
        shutdown_agent();
        return 1;
    }
    // Communities, users, access control and trap hosts come from the device's agent settings.
    CAgentAccess agentAccess(opt.trapPort);
    agentAccess.Follow(device, CSimDevice::Clock::now());
    g_agentCallback = main_session->callback;
    main_session->callback = PacketCallback;

    struct sigaction sa{};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::printf("tqx-sim: listening on %s\n", opt.listen.c_str());
    std::fflush(stdout);

    while (!g_stop) {
        int maxFd = 0;
        fd_set fds;
        FD_ZERO(&fds);
        struct timeval tv = {0, 100000};
        int block = 0;
        snmp_select_info(&maxFd, &fds, &tv, &block);
        control.AddFds(&fds, &maxFd);
        const auto now = CSimDevice::Clock::now();
        if (!g_delayed.empty()) {
            auto wait = std::chrono::duration_cast<std::chrono::microseconds>(g_delayed.front().due - now).count();
            wait = std::max<long long>(0, wait);
            if (wait < static_cast<long long>(tv.tv_sec) * 1000000 + tv.tv_usec) {
                tv.tv_sec = static_cast<time_t>(wait / 1000000);
                tv.tv_usec = static_cast<suseconds_t>(wait % 1000000);
            }
        }
        const int n = ::select(maxFd, &fds, nullptr, nullptr, &tv);
        if (n > 0) {
            snmp_read(&fds);
            control.Handle(&fds, &device);
        } else if (n == 0) {
            snmp_timeout();
        } else if (errno != EINTR) {
            std::fprintf(stderr, "tqx-sim: select: %s\n", std::strerror(errno));
            break;
        }
        run_alarms();
        netsnmp_check_outstanding_agent_requests();
        const auto after = CSimDevice::Clock::now();
        RunDelayed(after);
        device.Tick(after);
        agentAccess.Follow(device, after);
    }

    for (auto& d : g_delayed)
        snmp_free_pdu(d.pdu);
    g_delayed.clear();
    snmp_shutdown("tqx-sim");
    shutdown_master_agent();
    shutdown_agent();
    return 0;
}
