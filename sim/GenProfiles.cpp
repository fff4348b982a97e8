// Writes the built-in device profiles, one snmprec file per model, from the model table:
//   tqx-sim-profiles DIR          write DIR/<model>.snmprec
//   tqx-sim-profiles --check DIR  exit 1 when a file in DIR differs from what would be written
#include "sim/Device.h"
#include "sim/Models.h"
#include "sim/Snmprec.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

using namespace tqxsim;

namespace {

Oid O(std::string_view dotted)
{
    Oid o;
    if (!ParseOid(dotted, &o)) {
        std::cerr << "bad OID in generator: " << dotted << "\n";
        std::exit(2);
    }
    return o;
}

Oid At(const Oid& base, std::initializer_list<std::uint32_t> arcs)
{
    Oid o = base;
    o.insert(o.end(), arcs);
    return o;
}

Value Int(std::int64_t v) { return Value::Integer(v); }
Value Txt(std::string s) { return Value::Text(std::move(s)); }
Value U(Tag t, std::uint32_t v) { return Value::Unsigned(t, v); }
Value Bytes(std::string b) { return Value::Text(std::move(b)); }
Value ObjId(std::string_view s) { Value v; v.tag = Tag::ObjectId; v.oid = O(s); return v; }
Value Ip(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d)
{
    Value v;
    v.tag = Tag::IpAddress;
    v.bytes = {static_cast<char>(a), static_cast<char>(b), static_cast<char>(c), static_cast<char>(d)};
    return v;
}

Value IpText(const std::string& dotted)
{
    Value v;
    std::string error;
    if (!ParseValue("64", dotted, &v, &error)) {
        std::cerr << "bad address in generator: " << dotted << "\n";
        std::exit(2);
    }
    return v;
}

// The management VLAN's interface is 1000 + VLAN id; the loopback of the IP stack has an index of its
// own that the interface table does not list.
constexpr int kLoopbackIf = 2001;

std::string Mac(int model, int index)
{
    // Locally administered addresses: 02:54:51:<model>:<index>.
    return {char(0x02), char(0x54), char(0x51), char(model & 0xff), char((index >> 8) & 0xff), char(index & 0xff)};
}

// A port with link in the profile (see the ifTable mix in Build): every fourth port has none, port 6 is
// disabled. Learned addresses sit only on such ports.
bool LinkUp(int port) { return port % 4 != 0 && port != 6; }

// The nearest port with link at or below p (p itself when it has link), within the model's ports.
int PortWithLink(const ModelInfo& m, int p)
{
    p = std::min(p, m.ports);
    while (p > 1 && !LinkUp(p))
        --p;
    return p;
}

// The forwarding databases of the Q-bridge: fdb 1 (the default VLAN) and fdb 100 (a second VLAN),
// one row per address with its port (dot1qTpFdbPort, 0 for the switch itself) and status
// (dot1qTpFdbStatus: 3 learned, 4 self, 5 static), index fdb id then the six address octets.
// The learned hosts come from the documentation range 00-00-5E-00-53-xx; 00-1C-F0-12-34-56 is a
// router on the uplink seen in both VLANs. The per-fdb counts of learned rows and the aging time
// complete the bridge.
void AddForwardingTables(ObjectMap& o, const ModelInfo& m, int modelNumber)
{
    struct FdbRow {
        std::uint32_t fdb;
        std::string mac;
        int port;
        int status;
    };
    auto doc = [](int last) { return std::string{char(0x00), char(0x00), char(0x5e), char(0x00), char(0x53), char(last)}; };
    const std::string router = {char(0x00), char(0x1c), char(0xf0), char(0x12), char(0x34), char(0x56)};
    const int uplink = PortWithLink(m, m.ports);
    std::vector<FdbRow> rows;
    // A dozen hosts in VLAN 1, two of them behind port 5 and two behind port 15 (on the small model the
    // ports above its count fold onto its own ports with link).
    const int hostPorts[] = {1, 2, 3, 5, 5, 7, 10, 11, 15, 15, 18, 21};
    int host = 0x10;
    for (int p : hostPorts) {
        const int port = p <= m.ports ? p : PortWithLink(m, (p - 1) % m.ports + 1);
        rows.push_back({1, doc(host++), port, 3});
    }
    rows.push_back({1, router, uplink, 3});
    rows.push_back({1, Mac(modelNumber, 0), 0, 4});       // the switch itself
    rows.push_back({1, doc(0xf0), 2, 5});                 // a server pinned to port 2
    rows.push_back({100, router, uplink, 3});
    rows.push_back({100, doc(0x80), 9, 3});
    rows.push_back({100, doc(0x81), PortWithLink(m, 14), 3});
    rows.push_back({100, Mac(modelNumber, 0), 0, 4});
    const Oid fdbEntry = O("1.3.6.1.2.1.17.7.1.2.2.1");
    std::map<std::uint32_t, std::uint32_t> learned;
    for (const FdbRow& r : rows) {
        Oid index = {r.fdb};
        for (unsigned char c : r.mac)
            index.push_back(c);
        Oid port = At(fdbEntry, {2});
        port.insert(port.end(), index.begin(), index.end());
        Oid status = At(fdbEntry, {3});
        status.insert(status.end(), index.begin(), index.end());
        o[port] = Int(r.port);
        o[status] = Int(r.status);
        learned[r.fdb] += r.status == 3 ? 1 : 0;
    }
    for (const auto& [fdb, count] : learned)
        o[At(O("1.3.6.1.2.1.17.7.1.2.1.1"), {2, fdb})] = U(Tag::Counter32, count);
    o[O("1.3.6.1.2.1.17.4.1.0")] = U(Tag::Counter32, 0); // dot1dTpLearnedEntryDiscards
    o[O("1.3.6.1.2.1.17.4.2.0")] = Int(300);             // dot1dTpAgingTime, seconds
}

ObjectMap Build(const ModelInfo& m, int modelNumber)
{
    ObjectMap o;
    const Oid sys = O("1.3.6.1.2.1.1");
    o[At(sys, {1, 0})] = Txt(m.description);
    o[At(sys, {2, 0})] = ObjId("1.3.6.1.4.1.32473.10." + m.objectIdSuffix);
    o[At(sys, {3, 0})] = U(Tag::TimeTicks, 0);
    o[At(sys, {4, 0})] = Txt("admin@example.net");
    o[At(sys, {5, 0})] = Txt(m.name);
    o[At(sys, {6, 0})] = Txt("Rack 1");
    o[At(sys, {7, 0})] = Int(2);

    // Ports 1..N, then the management VLAN interface at a high index as the device lists it.
    const int vlanIf = 1000 + 1;
    o[O("1.3.6.1.2.1.2.1.0")] = Int(m.ports + 1);
    const Oid ifEntry = O("1.3.6.1.2.1.2.2.1");
    const Oid ifX = O("1.3.6.1.2.1.31.1.1.1");
    const Oid port = O("1.3.6.1.4.1.32473.10.76.10.1.13.1");
    for (int p = 1; p <= m.ports + 1; ++p) {
        const bool isVlan = p == m.ports + 1;
        const auto i = static_cast<std::uint32_t>(isVlan ? vlanIf : p);
        const bool combo = !isVlan && p > m.ports - m.comboPorts;
        const int maxMbps = (m.allGiga || combo) ? 1000 : 100;
        // A plausible mix: every fourth port without link, port 6 disabled, every fifth fast port at 10M.
        const bool admin = isVlan || p != 6;
        const bool carrier = isVlan || p % 4 != 0;
        const bool up = admin && carrier;
        const int linkMbps = (!combo && p % 5 == 0) ? 10 : maxMbps;
        const std::uint32_t speed = isVlan ? 0 : static_cast<std::uint32_t>((up ? linkMbps : maxMbps) * 1000000);
        const std::uint32_t traffic = up ? static_cast<std::uint32_t>(1000003u * p % 90000000u + 120000u) : 0;
        o[At(ifEntry, {1, i})] = Int(i);
        o[At(ifEntry, {2, i})] = Txt(isVlan ? "Vlan 1" : (combo ? "Port " + std::to_string(p) + " (combo)" : "Port " + std::to_string(p)));
        o[At(ifEntry, {3, i})] = Int(isVlan ? 136 : 6);
        o[At(ifEntry, {4, i})] = Int(isVlan ? 1500 : 1518);
        o[At(ifEntry, {5, i})] = U(Tag::Gauge32, speed);
        o[At(ifEntry, {6, i})] = Bytes(Mac(modelNumber, isVlan ? 0 : p));
        o[At(ifEntry, {7, i})] = Int(admin ? 1 : 2);
        o[At(ifEntry, {8, i})] = Int(up ? 1 : 2);
        o[At(ifEntry, {9, i})] = U(Tag::TimeTicks, 0);
        o[At(ifEntry, {10, i})] = U(Tag::Counter32, traffic);
        o[At(ifEntry, {11, i})] = U(Tag::Counter32, traffic / 700);
        o[At(ifEntry, {12, i})] = U(Tag::Counter32, traffic / 9000);
        o[At(ifEntry, {13, i})] = U(Tag::Counter32, 0);
        o[At(ifEntry, {14, i})] = U(Tag::Counter32, up && p % 7 == 0 ? 3 : 0);
        o[At(ifEntry, {15, i})] = U(Tag::Counter32, 0);
        o[At(ifEntry, {16, i})] = U(Tag::Counter32, traffic / 2 * 3);
        o[At(ifEntry, {17, i})] = U(Tag::Counter32, traffic / 500);
        o[At(ifEntry, {18, i})] = U(Tag::Counter32, traffic / 6000);
        o[At(ifEntry, {19, i})] = U(Tag::Counter32, 0);
        o[At(ifEntry, {20, i})] = U(Tag::Counter32, 0);
        o[At(ifEntry, {21, i})] = U(Tag::Gauge32, 0);
        o[At(ifEntry, {22, i})] = ObjId("0.0");
        o[At(ifX, {1, i})] = Txt(isVlan ? "vlan1" : "port" + std::to_string(p));
        o[At(ifX, {6, i})] = [&] { Value v; v.tag = Tag::Counter64; v.number64 = traffic; return v; }();
        o[At(ifX, {10, i})] = [&] { Value v; v.tag = Tag::Counter64; v.number64 = traffic / 2 * 3; return v; }();
        o[At(ifX, {15, i})] = U(Tag::Gauge32, speed / 1000000);
        o[At(ifX, {18, i})] = Txt("");
        if (isVlan)
            continue;
        // Vendor port table: index, speed setting (6 auto), operating mode, flow control, operating flow
        // control, medium (1 single copper port, 2 copper on a combo port, 3/4 its fibre connector).
        int mode = 1;
        if (up)
            mode = linkMbps >= 1000 ? 2 : linkMbps >= 100 ? 3 : 5;
        o[At(port, {1, i})] = Int(p);
        o[At(port, {2, i})] = Int(6);
        o[At(port, {3, i})] = Int(mode);
        o[At(port, {5, i})] = Int(2);
        o[At(port, {6, i})] = Int(2);
        // The second-to-last combo port runs on a 1000Base-X SFP module, the others on copper.
        o[At(port, {7, i})] = Int(!combo ? 1 : p == m.ports - 1 ? 4 : 2);
        o[O("1.3.6.1.4.1.32473.10.76.10.12.3.1.1.1." + std::to_string(p))] = Int(p);
        o[O("1.3.6.1.4.1.32473.10.76.10.12.3.1.1.2." + std::to_string(p))] = Int(1);
    }
    o[O("1.3.6.1.4.1.32473.10.76.10.1.9.0")] = Int(0);  // reboot
    o[O("1.3.6.1.4.1.32473.10.76.10.1.10.0")] = Int(0); // save configuration
    if (m.hasFan)
        o[O("1.3.6.1.4.1.32473.10.76.10.1.15.1.0")] = Int(1);
    if (m.poePorts > 0) {
        const Oid poe = O("1.3.6.1.4.1.32473.10.75.6.22.1.1");
        for (int p = 1; p <= m.poePorts; ++p) {
            const auto i = static_cast<std::uint32_t>(p);
            const bool device = p % 3 != 0;
            o[At(poe, {1, 1, i})] = Int(1);
            o[At(poe, {2, 1, i})] = Int(p);
            o[At(poe, {3, 1, i})] = Int(1);
            o[At(poe, {4, 1, i})] = Int(0);
            o[At(poe, {5, 1, i})] = Int(2);
            o[At(poe, {6, 1, i})] = Int(1);
            o[At(poe, {7, 1, i})] = Int(2);
            o[At(poe, {8, 1, i})] = Txt("15.4");
            o[At(poe, {9, 1, i})] = Txt("0.0");
            o[At(poe, {10, 1, i})] = Txt("0.0");
            o[At(poe, {11, 1, i})] = Txt("0");
            o[At(poe, {12, 1, i})] = Txt("N/A");
            o[At(poe, {13, 1, i})] = Txt(device ? "POWER ON" : "POWER OFF");
        }
        char budget[32];
        std::snprintf(budget, sizeof budget, "%.1f", m.poeBudgetWatts);
        o[O("1.3.6.1.4.1.32473.10.75.6.22.5.0")] = Txt(budget); // total budget
        o[O("1.3.6.1.4.1.32473.10.75.6.22.6.0")] = Txt(budget); // remaining, worked out at start
        o[O("1.3.6.1.4.1.32473.10.75.6.22.8.0")] = Int(1);      // lamps show link (1) or PoE (2)
    }
    // The switch's own addresses: the management address on the VLAN interface, and the loopback of
    // its IP stack (which the device does not list as an interface of its own).
    o[O("1.3.6.1.2.1.4.1.0")] = Int(2);
    o[O("1.3.6.1.2.1.4.2.0")] = Int(64);
    const auto host = static_cast<std::uint8_t>(10 + modelNumber % 200);
    const std::string addr = "192.0.2." + std::to_string(host);
    struct IpRow {
        std::string index;
        Value addr, mask;
        int ifIndex;
    };
    for (const IpRow& r : {IpRow{"127.0.0.1", Ip(127, 0, 0, 1), Ip(255, 0, 0, 0), kLoopbackIf},
                           IpRow{addr, Ip(192, 0, 2, host), Ip(255, 255, 255, 0), vlanIf}}) {
        o[O("1.3.6.1.2.1.4.20.1.1." + r.index)] = r.addr;
        o[O("1.3.6.1.2.1.4.20.1.2." + r.index)] = Int(r.ifIndex);
        o[O("1.3.6.1.2.1.4.20.1.3." + r.index)] = r.mask;
        o[O("1.3.6.1.2.1.4.20.1.4." + r.index)] = Int(1);
        o[O("1.3.6.1.2.1.4.20.1.5." + r.index)] = Int(65535);
    }
    // TCP: the Telnet and web servers listening, an administrator's Telnet and web sessions from a
    // management station, and a web connection it closed a moment ago.
    const std::string station = "192.0.2.200";
    struct TcpRow {
        int state;
        std::string local;
        int localPort;
        std::string remote;
        int remotePort;
    };
    for (const TcpRow& r : {TcpRow{2, "0.0.0.0", 23, "0.0.0.0", 0}, TcpRow{2, "0.0.0.0", 80, "0.0.0.0", 0},
                            TcpRow{5, addr, 23, station, 51514}, TcpRow{11, addr, 80, station, 51716},
                            TcpRow{5, addr, 80, station, 51720}}) {
        const std::string idx = r.local + "." + std::to_string(r.localPort) + "." + r.remote + "." +
                                std::to_string(r.remotePort);
        o[O("1.3.6.1.2.1.6.13.1.1." + idx)] = Int(r.state);
        o[O("1.3.6.1.2.1.6.13.1.2." + idx)] = IpText(r.local);
        o[O("1.3.6.1.2.1.6.13.1.3." + idx)] = Int(r.localPort);
        o[O("1.3.6.1.2.1.6.13.1.4." + idx)] = IpText(r.remote);
        o[O("1.3.6.1.2.1.6.13.1.5." + idx)] = Int(r.remotePort);
    }
    // UDP listeners: the agent and its notification socket. Syslog and TFTP transfers send from a
    // short-lived socket and listen on nothing.
    for (int udpPort : {161, 162}) {
        const std::string idx = "0.0.0.0." + std::to_string(udpPort);
        o[O("1.3.6.1.2.1.7.5.1.1." + idx)] = Ip(0, 0, 0, 0);
        o[O("1.3.6.1.2.1.7.5.1.2." + idx)] = Int(udpPort);
    }
    // Bridge: address, port count, transparent bridging.
    o[O("1.3.6.1.2.1.17.1.1.0")] = Bytes(Mac(modelNumber, 0));
    o[O("1.3.6.1.2.1.17.1.2.0")] = Int(m.ports);
    o[O("1.3.6.1.2.1.17.1.3.0")] = Int(2);
    for (int p = 1; p <= m.ports; ++p) {
        o[O("1.3.6.1.2.1.17.1.4.1.1." + std::to_string(p))] = Int(p);
        o[O("1.3.6.1.2.1.17.1.4.1.2." + std::to_string(p))] = Int(p);
    }
    AddForwardingTables(o, m, modelNumber);
    return o;
}

std::string Render(const ModelInfo& m, const ObjectMap& objects)
{
    std::ostringstream out;
    out << "# " << m.name << " device profile, written by tqx-sim-profiles from the model table; do not edit.\n";
    for (const auto& [oid, value] : objects)
        out << FormatLine(oid, value) << "\n";
    return out.str();
}

} // namespace

int main(int argc, char** argv)
{
    bool check = argc == 3 && std::string(argv[1]) == "--check";
    if (!(argc == 2 || check)) {
        std::cerr << "usage: tqx-sim-profiles [--check] DIR\n";
        return 2;
    }
    const std::string dir = argv[argc - 1];
    int stale = 0;
    int number = 0;
    for (const auto& m : Models()) {
        // The device works out its derived objects (PoE figures, operating modes), so the file holds
        // what the running simulator serves.
        CSimDevice device(&m);
        device.Merge(Build(m, ++number));
        device.Start();
        // The agent settings are left out: their factory rows come from the command line
        // (communities, users) at every start.
        ObjectMap objects = device.Objects();
        for (auto it = objects.lower_bound(oids::snmpAdmin); it != objects.end() && OidHasPrefix(it->first, oids::snmpAdmin);)
            it = objects.erase(it);
        // So is the LLDP-MIB: the local system is read from the system group as it is, the remote
        // table is what the agent hears after its start.
        const Oid lldpMib = {1, 0, 8802, 1, 1, 2};
        for (auto it = objects.lower_bound(lldpMib); it != objects.end() && OidHasPrefix(it->first, lldpMib);)
            it = objects.erase(it);
        const std::string text = Render(m, objects);
        const std::string path = dir + "/" + m.name + ".snmprec";
        if (check) {
            std::ifstream in(path, std::ios::binary);
            std::stringstream existing;
            existing << in.rdbuf();
            if (!in || existing.str() != text) {
                std::cerr << path << " is not what the model table gives; regenerate the profiles\n";
                ++stale;
            }
            continue;
        }
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out) {
            std::cerr << "cannot write " << path << "\n";
            return 1;
        }
    }
    return stale ? 1 : 0;
}
