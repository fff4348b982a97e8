// Interoperation with net-snmp's own BER code: messages our encoder builds are parsed by net-snmp's
// parser to the same PDU, and messages net-snmp builds decode to the same PDU in ours. The PDUs are
// random (fixed seed) over every request and response type and every value type.
#include "codec_Support.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace codectest;

namespace {

// One binding as plain data, the common ground of both libraries.
struct Value {
    std::string oid;            // dotted
    std::uint8_t type = 0x05;
    std::int64_t integer = 0;   // integer types: INTEGER signed 32-bit, the others unsigned 32-bit
    QByteArray bytes;           // OCTET STRING, IpAddress, Opaque
    std::string objid;          // OBJECT IDENTIFIER value, dotted
};

struct Pdu {
    std::uint16_t type = 0xA0;
    std::string community;
    std::uint32_t reqid = 0, errstat = 0, errindex = 0;
    std::vector<Value> values;
};

std::string RandomOid(std::mt19937& rng)
{
    // First arc 0 to 2 and second below 40: both libraries agree on those first sub-identifiers.
    std::string text = std::to_string(rng() % 3) + "." + std::to_string(rng() % 40);
    const int extra = static_cast<int>(rng() % 14);
    for (int i = 0; i < extra; ++i) {
        std::uint32_t arc;
        switch (rng() % 4) {
        case 0: arc = rng() % 128; break;
        case 1: arc = rng() % 16384; break;
        case 2: arc = rng(); break;
        default: arc = 0xFFFFFFFFu - rng() % 3; break;
        }
        text += "." + std::to_string(arc);
    }
    return text;
}

std::uint32_t RandomNumber(std::mt19937& rng)
{
    switch (rng() % 5) {
    case 0: return rng() % 256;
    case 1: return 0x7F + rng() % 3;  // around the one/two byte edge
    case 2: return 0x80000000u - 1 + rng() % 3;
    case 3: return 0xFFFFFFFFu - rng() % 3;
    default: return rng();
    }
}

Pdu RandomPdu(std::mt19937& rng)
{
    Pdu p;
    p.type = static_cast<std::uint16_t>(0xA0 + rng() % 4);
    const int communityLength = static_cast<int>(rng() % 12);
    for (int i = 0; i < communityLength; ++i)
        p.community += static_cast<char>('!' + rng() % 94);
    p.reqid = RandomNumber(rng) & 0x7FFFFFFF;  // net-snmp keeps request ids positive
    p.errstat = rng() % 6;
    p.errindex = rng() % 8;
    const int count = static_cast<int>(rng() % 7);
    static const std::uint8_t types[] = {0x02, 0x04, 0x05, 0x06, 0x40, 0x41, 0x42, 0x43, 0x44};
    for (int i = 0; i < count; ++i) {
        Value v;
        v.oid = RandomOid(rng);
        v.type = types[rng() % std::size(types)];
        switch (v.type) {
        case 0x02: v.integer = static_cast<std::int32_t>(RandomNumber(rng)); break;
        case 0x41: case 0x42: case 0x43: v.integer = RandomNumber(rng); break;
        case 0x04: case 0x44: {
            const int n = static_cast<int>(rng() % 24);
            for (int k = 0; k < n; ++k)
                v.bytes.append(static_cast<char>(rng()));
            if (v.type == 0x44 && !v.bytes.isEmpty())
                v.bytes[0] = 0x01;  // keep clear of net-snmp's special opaque float/double forms
            break;
        }
        case 0x40:
            for (int k = 0; k < 4; ++k)
                v.bytes.append(static_cast<char>(rng()));
            break;
        case 0x06: v.objid = RandomOid(rng); break;
        default: break;
        }
        p.values.push_back(v);
    }
    return p;
}

// ---- ours ----

void AddToOurs(CSnmpPdu& pdu, const Value& v)
{
    const QString name = QString::fromStdString(v.oid);
    switch (v.type) {
    case 0x02: case 0x41: case 0x42: case 0x43:
        pdu.AddOid(name, static_cast<std::uint32_t>(v.integer), v.type);
        break;
    case 0x04: case 0x40: case 0x44:
        pdu.AddOid(name, reinterpret_cast<const std::uint8_t*>(v.bytes.constData()), static_cast<int>(v.bytes.size()), v.type);
        break;
    case 0x06: pdu.AddOid(name, QString::fromStdString(v.objid), 0x06); break;
    default: pdu.AddOid(name); break;
    }
}

Pdu FromOurs(const CSnmpMsg& msg)
{
    Pdu p;
    p.type = msg.m_wPduType;
    p.community = msg.m_strCommunity.toStdString();
    p.reqid = msg.m_pPdu->m_dwRequestId;
    p.errstat = msg.m_pPdu->m_dwErrorStatus;
    p.errindex = msg.m_pPdu->m_dwErrorIndex;
    for (const auto& vb : msg.m_pPdu->m_varBindList) {
        Value v;
        v.oid = vb->m_strOid.toStdString();
        v.type = vb->m_byType;
        if (v.type == 0x02)
            v.integer = static_cast<std::int32_t>(vb->GetInteger());
        else if (v.type >= 0x41 && v.type <= 0x43)
            v.integer = vb->GetInteger();
        v.bytes = vb->GetBytes();
        if (v.type == 0x02 || (v.type >= 0x41 && v.type <= 0x43))
            v.bytes.clear();
        v.objid = vb->GetOidText().toStdString();
        p.values.push_back(v);
    }
    return p;
}

// ---- net-snmp ----

std::string OidText(const oid* name, size_t length)
{
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += (i ? "." : "") + std::to_string(static_cast<unsigned long>(name[i]));
    return text;
}

std::vector<oid> OidArcs(const std::string& text)
{
    std::vector<oid> arcs;
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t dot = std::min(text.find('.', pos), text.size());
        arcs.push_back(std::stoul(text.substr(pos, dot - pos)));
        pos = dot + 1;
    }
    return arcs;
}

// Builds the message with net-snmp; forward or reverse encoding. Empty on failure.
QByteArray BuildWithNetSnmp(const Pdu& p, bool forward)
{
    netsnmp_session session;
    snmp_sess_init(&session);
    session.version = SNMP_VERSION_1;
    std::string community = p.community;
    session.community = reinterpret_cast<u_char*>(community.data());
    session.community_len = community.size();

    netsnmp_pdu* pdu = snmp_pdu_create(p.type);
    pdu->version = SNMP_VERSION_1;
    pdu->community = static_cast<u_char*>(malloc(community.size() + 1));
    std::memcpy(pdu->community, community.c_str(), community.size() + 1);
    pdu->community_len = community.size();
    pdu->reqid = p.reqid;
    pdu->errstat = p.errstat;
    pdu->errindex = p.errindex;
    if (forward)
        pdu->flags |= UCD_MSG_FLAG_FORWARD_ENCODE;
    for (const Value& v : p.values) {
        const std::vector<oid> name = OidArcs(v.oid);
        switch (v.type) {
        case 0x02: {
            const long value = static_cast<long>(v.integer);
            snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_INTEGER, &value, sizeof value);
            break;
        }
        case 0x41: case 0x42: case 0x43: {
            const u_long value = static_cast<u_long>(v.integer);
            snmp_pdu_add_variable(pdu, name.data(), name.size(), v.type, &value, sizeof value);
            break;
        }
        case 0x04: case 0x40: case 0x44:
            snmp_pdu_add_variable(pdu, name.data(), name.size(), v.type, v.bytes.constData(),
                                  static_cast<size_t>(v.bytes.size()));
            break;
        case 0x06: {
            const std::vector<oid> value = OidArcs(v.objid);
            snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_OBJECT_ID, value.data(), value.size() * sizeof(oid));
            break;
        }
        default:
            snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_NULL, nullptr, 0);
            break;
        }
    }

    size_t size = 4096;
    auto* buffer = static_cast<u_char*>(malloc(size));
    size_t offset = 0;
    QByteArray packet;
    int rc = 0;
    if (forward) {
        size_t length = size;
        if ((rc = snmp_build(&buffer, &length, &offset, &session, pdu)) == 0)
            packet = QByteArray(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(length));
    } else {
        if ((rc = snmp_build(&buffer, &size, &offset, &session, pdu)) == 0)
            packet = QByteArray(reinterpret_cast<const char*>(buffer + size - offset), static_cast<qsizetype>(offset));
    }
    if (rc != 0)
        ADD_FAILURE() << "snmp_build: " << snmp_api_errstring(session.s_snmp_errno) << " / " << snmp_api_errstring(snmp_errno);
    free(buffer);
    snmp_free_pdu(pdu);
    return packet;
}

// Parses a message with net-snmp's parser; false when it refuses it.
bool ParseWithNetSnmp(const QByteArray& packet, Pdu& out)
{
    netsnmp_session session;
    snmp_sess_init(&session);
    session.version = SNMP_VERSION_1;
    netsnmp_pdu* pdu = snmp_pdu_create(0);
    QByteArray data = packet;
    const int rc = snmp_parse(nullptr, &session, pdu, reinterpret_cast<u_char*>(data.data()), static_cast<size_t>(data.size()));
    if (rc == 0) {
        out.type = static_cast<std::uint16_t>(pdu->command);
        out.community.assign(reinterpret_cast<const char*>(pdu->community), pdu->community_len);
        out.reqid = static_cast<std::uint32_t>(pdu->reqid);
        out.errstat = static_cast<std::uint32_t>(pdu->errstat);
        out.errindex = static_cast<std::uint32_t>(pdu->errindex);
        for (netsnmp_variable_list* var = pdu->variables; var; var = var->next_variable) {
            Value v;
            v.oid = OidText(var->name, var->name_length);
            v.type = var->type;
            if (v.type == ASN_INTEGER)
                v.integer = static_cast<std::int32_t>(*var->val.integer);
            else if (v.type >= 0x41 && v.type <= 0x43)
                v.integer = static_cast<std::uint32_t>(*var->val.integer);
            else if (v.type == ASN_OCTET_STR || v.type == ASN_IPADDRESS || v.type == ASN_OPAQUE)
                v.bytes = QByteArray(reinterpret_cast<const char*>(var->val.string), static_cast<qsizetype>(var->val_len));
            else if (v.type == ASN_OBJECT_ID)
                v.objid = OidText(var->val.objid, var->val_len / sizeof(oid));
            out.values.push_back(v);
        }
    }
    snmp_free_pdu(pdu);
    return rc == 0;
}

void ExpectSamePdu(const Pdu& want, const Pdu& got, int caseNo)
{
    EXPECT_EQ(got.type, want.type) << "case " << caseNo;
    EXPECT_EQ(got.community, want.community) << "case " << caseNo;
    EXPECT_EQ(got.reqid, want.reqid) << "case " << caseNo;
    EXPECT_EQ(got.errstat, want.errstat) << "case " << caseNo;
    EXPECT_EQ(got.errindex, want.errindex) << "case " << caseNo;
    ASSERT_EQ(got.values.size(), want.values.size()) << "case " << caseNo;
    for (size_t i = 0; i < want.values.size(); ++i) {
        const Value& a = want.values[i];
        const Value& b = got.values[i];
        EXPECT_EQ(b.oid, a.oid) << "case " << caseNo << " binding " << i;
        EXPECT_EQ(int(b.type), int(a.type)) << "case " << caseNo << " binding " << i;
        EXPECT_EQ(b.integer, a.integer) << "case " << caseNo << " binding " << i;
        EXPECT_EQ(b.bytes, a.bytes) << "case " << caseNo << " binding " << i;
        EXPECT_EQ(b.objid, a.objid) << "case " << caseNo << " binding " << i;
    }
}

constexpr int kCases = 400;

}  // namespace

TEST(Interop, NetSnmpParsesWhatWeEncode)
{
    std::mt19937 rng(20261209);
    int encoded = 0;
    for (int n = 0; n < kCases; ++n) {
        Pdu want = RandomPdu(rng);
        CSnmpMsg::m_sdwReqid = want.reqid - 1;
        auto msg = std::make_unique<CSnmpMsg>(nullptr, "127.0.0.1", QString::fromStdString(want.community), want.type);
        msg->m_pPdu->m_dwErrorStatus = want.errstat;
        msg->m_pPdu->m_dwErrorIndex = want.errindex;
        for (const Value& v : want.values)
            AddToOurs(*msg->m_pPdu, v);
        try {
            msg->SnmpEncode();
        } catch (const CSnmpException& e) {
            ASSERT_EQ(e.m_wCode, KX_E_ENCODE_OVERFLOW) << "case " << n;
            continue;
        }
        ++encoded;
        Pdu got;
        ASSERT_TRUE(ParseWithNetSnmp(msg->Packet(), got)) << "case " << n << ": " << ToHex(msg->Packet());
        ExpectSamePdu(want, got, n);
    }
    EXPECT_GT(encoded, kCases * 9 / 10);
}

TEST(Interop, WeDecodeWhatNetSnmpBuilds)
{
    std::mt19937 rng(9122026);
    int decoded = 0;
    for (int n = 0; n < kCases; ++n) {
        const Pdu want = RandomPdu(rng);
        const bool forward = n % 2 == 1;
        const QByteArray packet = BuildWithNetSnmp(want, forward);
        ASSERT_FALSE(packet.isEmpty()) << "case " << n;
        ASSERT_EQ(static_cast<std::uint8_t>(packet[0]), 0x30) << "case " << n;
        if (packet.size() > KX_SNMP_PACKET_SIZE) {
            continue;
        }
        ++decoded;
        const Decoded d = Decode(packet);
        ASSERT_EQ(d.code, 0) << "case " << n << ": " << d.text.toStdString() << " " << ToHex(packet);
        ExpectSamePdu(want, FromOurs(*d.msg), n);
    }
    EXPECT_GT(decoded, kCases * 9 / 10);
}

TEST(Interop, NetSnmpTrapEndsWithBadPduType)
{
    netsnmp_session session;
    snmp_sess_init(&session);
    session.version = SNMP_VERSION_1;
    char community[] = "public";
    session.community = reinterpret_cast<u_char*>(community);
    session.community_len = 6;
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_TRAP);
    pdu->version = SNMP_VERSION_1;
    static oid enterprise[] = {1, 3, 6, 1, 4, 1, 32473};
    pdu->enterprise = static_cast<oid*>(malloc(sizeof enterprise));
    std::memcpy(pdu->enterprise, enterprise, sizeof enterprise);
    pdu->enterprise_length = std::size(enterprise);
    pdu->community = reinterpret_cast<u_char*>(strdup("public"));
    pdu->community_len = 6;
    pdu->trap_type = 6;
    pdu->specific_type = 1;
    const in_addr_t agent = htonl(0x7F000001);
    std::memcpy(pdu->agent_addr, &agent, 4);
    size_t size = 1024, offset = 0;
    auto* buffer = static_cast<u_char*>(malloc(size));
    ASSERT_EQ(snmp_build(&buffer, &size, &offset, &session, pdu), 0);
    const Decoded d = Decode(QByteArray(reinterpret_cast<const char*>(buffer + size - offset), static_cast<qsizetype>(offset)));
    free(buffer);
    snmp_free_pdu(pdu);
    EXPECT_EQ(d.code, KX_E_PDU_TYPE);
    EXPECT_EQ(d.msg->m_wPduType, KX_PDU_TRAP);
    EXPECT_EQ(d.msg->m_strCommunity, "public");
}
