// Messages per second for building, encoding and decoding one GetResponse of 10 bindings of mixed
// types, with KxSnmp and with net-snmp (snmp_build + snmp_parse of the same PDU), in one run.
// Prints both rates and their ratio, first for the same message over and over (a poll of the same
// objects), then for messages whose 10 names are new each time (rows of a table of 1024 rows, a
// long walk), where nothing KxSnmp converted before can be reused.
// Usage: kxsnmp_codec_bench [seconds per round, default 1]
#include <kxsnmp/SnmpMsg.h>

#include <QStringList>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const std::uint8_t kMac[] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
const std::uint8_t kIp[] = {192, 168, 1, 20};
const char kDescr[] = "TQX-8800 24-port managed switch";

volatile std::uint32_t g_sink;

// The names of the 10 bindings, as arcs (net-snmp's side) and as dotted texts (KxSnmp's).
struct Name
{
    std::vector<oid> arcs;
};

std::vector<Name> BaseNames()
{
    return {{{1, 3, 6, 1, 2, 1, 1, 1, 0}},        {{1, 3, 6, 1, 2, 1, 1, 2, 0}},
            {{1, 3, 6, 1, 2, 1, 1, 3, 0}},        {{1, 3, 6, 1, 2, 1, 2, 2, 1, 8, 1}},
            {{1, 3, 6, 1, 2, 1, 2, 2, 1, 10, 1}}, {{1, 3, 6, 1, 2, 1, 2, 2, 1, 5, 1}},
            {{1, 3, 6, 1, 2, 1, 2, 2, 1, 6, 1}},  {{1, 3, 6, 1, 2, 1, 4, 20, 1, 1, 192, 168, 1, 20}},
            {{1, 3, 6, 1, 2, 1, 2, 2, 1, 7, 1}},  {{1, 3, 6, 1, 2, 1, 1, 7, 0}}};
}

QString NameText(const Name& name)
{
    QStringList parts;
    for (oid a : name.arcs)
        parts << QString::number(a);
    return parts.join(u'.');
}

// One set of names for every message, or kRows sets whose last arc is the row number (1..kRows).
// Both sides get their names ready before the clock runs.
constexpr int kRows = 1024;

struct Rows
{
    std::vector<std::vector<Name>> arcs;  // [row][binding]
    std::vector<std::vector<QString>> texts;
};

Rows MakeRows(int nRows)
{
    Rows r;
    for (int row = 0; row < nRows; ++row) {
        std::vector<Name> names = BaseNames();
        std::vector<QString> texts;
        for (Name& n : names) {
            if (nRows > 1)
                n.arcs.back() = static_cast<oid>(row + 1);
            texts.push_back(NameText(n));
        }
        r.arcs.push_back(std::move(names));
        r.texts.push_back(std::move(texts));
    }
    return r;
}

const Rows& SameNames()
{
    static const Rows rows = MakeRows(1);
    return rows;
}

const Rows& NewNames()
{
    static const Rows rows = MakeRows(kRows);
    return rows;
}

// One GetResponse with KxSnmp: build, encode, decode into a second message.
void OursMessage(const std::vector<QString>& n)
{
    CSnmpMsg out(nullptr, QStringLiteral("127.0.0.1"), QStringLiteral("public"), KX_PDU_RESPONSE);
    CSnmpPdu& pdu = *out.m_pPdu;
    pdu.AddOid(n[0], reinterpret_cast<const std::uint8_t*>(kDescr), sizeof kDescr - 1, KX_ASN_OCTET_STRING);
    pdu.AddOid(n[1], QStringLiteral("1.3.6.1.4.1.32473.1.8800"), KX_ASN_OBJECT_ID);
    pdu.AddOid(n[2], std::uint32_t(123456789), KX_ASN_TIMETICKS);
    pdu.AddOid(n[3], std::uint32_t(1), KX_ASN_INTEGER);
    pdu.AddOid(n[4], std::uint32_t(3000000000u), KX_ASN_COUNTER);
    pdu.AddOid(n[5], std::uint32_t(1000000000), KX_ASN_GAUGE);
    pdu.AddOid(n[6], kMac, 6, KX_ASN_OCTET_STRING);
    pdu.AddOid(n[7], kIp, 4, KX_ASN_IPADDRESS);
    pdu.AddOid(n[8], std::uint32_t(-2), KX_ASN_INTEGER);
    pdu.AddOid(n[9]);
    out.SnmpEncode();

    CSnmpMsg in(nullptr, QStringLiteral("127.0.0.1"), QString(), 0);
    std::memcpy(in.m_byPacket, out.m_byPacket, static_cast<std::size_t>(out.m_nPacketLength));
    in.m_nPacketLength = out.m_nPacketLength;
    in.SnmpDecode();
    g_sink = in.m_pPdu->m_varBindList[4]->GetUInt32();
}

// The same with net-snmp: snmp_build, then snmp_parse into a second PDU.
void NetSnmpMessage(const std::vector<Name>& n)
{
    static const oid value[] = {1, 3, 6, 1, 4, 1, 32473, 1, 8800};
    // The session is set up once: only the message work is measured.
    static netsnmp_session session = [] {
        netsnmp_session s;
        snmp_sess_init(&s);
        s.version = SNMP_VERSION_1;
        return s;
    }();
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_RESPONSE);
    pdu->version = SNMP_VERSION_1;
    pdu->community = reinterpret_cast<u_char*>(strdup("public"));
    pdu->community_len = 6;
    pdu->reqid = 1;
    const long one = 1, down = -2;
    const u_long ticks = 123456789, count = 3000000000u, gauge = 1000000000;
    auto add = [&](int i, u_char type, const void* v, size_t len) {
        snmp_pdu_add_variable(pdu, n[i].arcs.data(), n[i].arcs.size(), type, v, len);
    };
    add(0, ASN_OCTET_STR, kDescr, sizeof kDescr - 1);
    add(1, ASN_OBJECT_ID, value, sizeof value);
    add(2, ASN_TIMETICKS, &ticks, sizeof ticks);
    add(3, ASN_INTEGER, &one, sizeof one);
    add(4, ASN_COUNTER, &count, sizeof count);
    add(5, ASN_GAUGE, &gauge, sizeof gauge);
    add(6, ASN_OCTET_STR, kMac, 6);
    add(7, ASN_IPADDRESS, kIp, 4);
    add(8, ASN_INTEGER, &down, sizeof down);
    add(9, ASN_NULL, nullptr, 0);

    size_t size = 1024, offset = 0;
    auto* buffer = static_cast<u_char*>(malloc(size));
    if (snmp_build(&buffer, &size, &offset, &session, pdu) != 0) {
        std::fprintf(stderr, "snmp_build failed\n");
        std::exit(1);
    }
    netsnmp_pdu* parsed = snmp_pdu_create(0);
    if (snmp_parse(nullptr, &session, parsed, buffer + size - offset, offset) != 0) {
        std::fprintf(stderr, "snmp_parse failed\n");
        std::exit(1);
    }
    g_sink = static_cast<std::uint32_t>(*parsed->variables->next_variable->next_variable->next_variable->next_variable->val.integer);
    snmp_free_pdu(parsed);
    snmp_free_pdu(pdu);
    free(buffer);
}

int g_nextRow = 0;

void OursOnce() { OursMessage(SameNames().texts[0]); }
void NetSnmpOnce() { NetSnmpMessage(SameNames().arcs[0]); }

void OursNewNames()
{
    OursMessage(NewNames().texts[g_nextRow]);
    g_nextRow = (g_nextRow + 1) % kRows;
}

void NetSnmpNewNames()
{
    NetSnmpMessage(NewNames().arcs[g_nextRow]);
    g_nextRow = (g_nextRow + 1) % kRows;
}

double Rate(const std::function<void()>& once, double seconds)
{
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    long n = 0;
    auto now = start;
    while (now < end) {
        for (int i = 0; i < 256; ++i)
            once();
        n += 256;
        now = Clock::now();
    }
    return n / std::chrono::duration<double>(now - start).count();
}

// Warms both up, then takes the best of three alternating rounds each and prints the rates.
void Compare(const char* title, void (*ours)(), void (*theirs)(), double seconds)
{
    Rate(ours, 0.1);
    Rate(theirs, 0.1);
    double bestOurs = 0, bestTheirs = 0;
    for (int round = 0; round < 3; ++round) {
        bestOurs = std::max(bestOurs, Rate(ours, seconds));
        bestTheirs = std::max(bestTheirs, Rate(theirs, seconds));
    }
    std::printf("%s\n", title);
    std::printf("KxSnmp:   %12.0f messages/s\n", bestOurs);
    std::printf("net-snmp: %12.0f messages/s\n", bestTheirs);
    std::printf("ratio KxSnmp / net-snmp: %.2f\n", bestOurs / bestTheirs);
}

}  // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 1.0;
    SameNames();  // the names are made before the clock runs
    NewNames();
    Compare("GetResponse, 10 bindings, build + encode + decode", OursOnce, NetSnmpOnce, seconds);
    const std::string title = "GetResponse, 10 bindings, new names in every message (" + std::to_string(kRows)
        + " rows), build + encode + decode";
    Compare(title.c_str(), OursNewNames, NetSnmpNewNames, seconds);
    return 0;
}
