// Requests built from OID tables: which descriptors make bindings, how Set values are converted,
// walking a table, and the display text of received values.
#include "net_Support.h"

#include "Agents.h"

#include <kxsnmp/SnmpClass.h>

#include <cstring>
#include <filesystem>

using namespace nettest;

namespace {

const _OidEnumEntry kStates[] = {{1, "enabled"}, {2, "disabled"}, {0, nullptr}};
const _OidEnumEntry kNoLabels[] = {{7, nullptr}};

_KxOidTable Record(std::uint8_t type, std::uint16_t access, const char* oid, const _OidEnumEntry* labels = nullptr)
{
    _KxOidTable r{};
    r.byType = type;
    r.wAccess = access;
    std::strncpy(r.szOid, oid, sizeof(r.szOid) - 1);
    std::strncpy(r.szName, "object", sizeof(r.szName) - 1);
    r.pEnumTable = labels;
    return r;
}

QString Hex(const QByteArray& b) { return QString::fromLatin1(b.toHex()); }

} // namespace

class ClassTest : public NetTest
{
protected:
    // Sends one request of the object and returns the request as the responder decoded it.
    CSnmpMsg& SendAndCapture(CSnmpClass& table, std::uint16_t pduType)
    {
        const size_t before = responder().requests.size();
        table.SendSnmp(pduType);
        EXPECT_TRUE(responder().WaitRequests(before + 1));
        return *responder().requests.back().msg;
    }
    std::vector<QString> Names(const CSnmpMsg& msg)
    {
        std::vector<QString> names;
        for (const auto& b : msg.m_pPdu->m_varBindList)
            names.push_back(b->m_strOid);
        return names;
    }
    Owner owner;
};

TEST_F(ClassTest, AccessModesChooseTheBindingsOfReadsAndWrites)
{
    const _KxOidTable records[] = {
        Record(KX_ASN_INTEGER, 0x0001, "1.3.6.1.9.1"),  // read-only
        Record(KX_ASN_INTEGER, 0x0002, "1.3.6.1.9.2"),  // read-write
        Record(KX_ASN_INTEGER, 0x0003, "1.3.6.1.9.3"),  // not readable
        Record(KX_ASN_INTEGER, 0x0012, "1.3.6.1.9.4"),  // read-write key
        Record(KX_ASN_INTEGER, 0x0002, ""),             // no OID: never sent
    };
    CSnmpClass table(&owner, QStringLiteral("127.0.0.1"), QStringLiteral("public"), QStringLiteral("private"), 5,
                     records, QStringLiteral(".0"));
    for (auto& oid : table.GetOidList())
        oid->m_strValue = QStringLiteral("9");

    const CSnmpMsg& get = SendAndCapture(table, KX_PDU_GET);
    EXPECT_EQ(get.m_strCommunity, QStringLiteral("public"));
    EXPECT_EQ(get.m_wPduType, KX_PDU_GET);
    EXPECT_EQ(Names(get), (std::vector<QString>{"1.3.6.1.9.1.0", "1.3.6.1.9.2.0", "1.3.6.1.9.4.0"}));
    EXPECT_EQ(get.m_pPdu->m_varBindList[0]->m_byType, KX_ASN_NULL);
    EXPECT_EQ(table.m_dwLastReqId, get.m_pPdu->m_dwRequestId);

    const CSnmpMsg& set = SendAndCapture(table, KX_PDU_SET);
    EXPECT_EQ(set.m_strCommunity, QStringLiteral("private"));
    EXPECT_EQ(set.m_wPduType, KX_PDU_SET);
    EXPECT_EQ(Names(set), (std::vector<QString>{"1.3.6.1.9.2.0", "1.3.6.1.9.3.0"}));
    EXPECT_EQ(table.m_wPduType, KX_PDU_SET);
}

TEST_F(ClassTest, SetValuesAreConvertedByTheDescriptorType)
{
    struct Case {
        const char* what;
        std::uint8_t type;
        std::uint16_t access;
        const _OidEnumEntry* labels;
        const char* value;
        bool bound;
        std::uint8_t wireType;
        QByteArray wire;  // hex of a byte value, or decimal of an integer
    };
    const Case cases[] = {
        {"label", KX_ASN_INTEGER, 2, kStates, "disabled", true, KX_ASN_INTEGER, "2"},
        {"label case differs", KX_ASN_INTEGER, 2, kStates, "Disabled", false, 0, ""},
        {"empty label table", KX_ASN_INTEGER, 2, kNoLabels, "-12x", true, KX_ASN_INTEGER, "-12"},
        {"integer text", KX_ASN_INTEGER, 2, nullptr, " 42", true, KX_ASN_INTEGER, "42"},
        {"hex text", KX_ASN_OCTET_STRING, 6, nullptr, "ff00a", true, KX_ASN_OCTET_STRING, "ff000a"},
        {"plain text", KX_ASN_OCTET_STRING, 2, nullptr, "vlan 1", true, KX_ASN_OCTET_STRING, "766c616e2031"},
        {"object identifier", KX_ASN_OBJECT_ID, 2, nullptr, "1.3.6.1.4", true, KX_ASN_OBJECT_ID, ""},
        {"address", KX_ASN_IPADDRESS, 2, nullptr, "10.90.90.90", true, KX_ASN_IPADDRESS, "0a5a5a5a"},
        {"short address", KX_ASN_IPADDRESS, 2, nullptr, "1.2", true, KX_ASN_IPADDRESS, "01020000"},
        {"counter", KX_ASN_COUNTER, 2, nullptr, "7", true, KX_ASN_COUNTER, "7"},
        {"timeticks", KX_ASN_TIMETICKS, 2, nullptr, "100", true, KX_ASN_TIMETICKS, "100"},
        {"mac", KX_ASN_MACADDRESS, 2, nullptr, "00:11:22:aa:bb:cc", true, KX_ASN_OCTET_STRING, "001122aabbcc"},
        {"mac with dashes", KX_ASN_MACADDRESS, 2, nullptr, "00-11-22", false, 0, ""},
        {"opaque is not written", KX_ASN_OPAQUE, 2, nullptr, "ab", false, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const _KxOidTable records[] = {Record(c.type, c.access, "1.3.6.1.4.1.32473.1", c.labels)};
        CSnmpClass table(&owner, QStringLiteral("127.0.0.1"), QStringLiteral("public"), QStringLiteral("private"), 1,
                         records, QStringLiteral(".0"));
        table.GetOidList()[0]->m_strValue = QString::fromLatin1(c.value);
        const CSnmpMsg& set = SendAndCapture(table, KX_PDU_SET);
        ASSERT_EQ(set.m_pPdu->m_varBindList.size(), c.bound ? 1u : 0u);
        if (!c.bound)
            continue;
        const CSnmpVarBind& b = *set.m_pPdu->m_varBindList[0];
        EXPECT_EQ(b.m_strOid, QStringLiteral("1.3.6.1.4.1.32473.1.0"));
        EXPECT_EQ(b.m_byType, c.wireType);
        if (c.wireType == KX_ASN_OBJECT_ID)
            EXPECT_EQ(b.GetOidText(), QString::fromLatin1(c.value));
        else if (c.wireType == KX_ASN_OCTET_STRING || c.wireType == KX_ASN_IPADDRESS)
            EXPECT_EQ(Hex(b.GetBytes()), QString::fromLatin1(c.wire));
        else
            EXPECT_EQ(QString::number(static_cast<std::int32_t>(b.GetUInt32())), QString::fromLatin1(c.wire));
    }
}

TEST_F(ClassTest, HexSetValueIsReplacedByItsBytes)
{
    const _KxOidTable records[] = {Record(KX_ASN_OCTET_STRING, 0x0006, "1.3.6.1.4.1.32473.10.76.10.7.6.1.2")};
    CSnmpClass table(&owner, QStringLiteral("127.0.0.1"), QStringLiteral("public"), QStringLiteral("private"), 1,
                     records, QString());
    table.GetOidList()[0]->m_strValue = QStringLiteral("8000");
    SendAndCapture(table, KX_PDU_SET);
    EXPECT_EQ(table.GetOidList()[0]->m_strValue, QString::fromLatin1(QByteArray("\x80\x00", 2)));
}

TEST_F(ClassTest, WalkKeepsTheRowIndexAndEndsOutsideTheTable)
{
    const _KxOidTable records[] = {
        Record(KX_ASN_OCTET_STRING, 0x0002, "1.3.6.1.4.1.32473.10.76.10.7.6.1.1"),
        Record(KX_ASN_OCTET_STRING, 0x0006, "1.3.6.1.4.1.32473.10.76.10.7.6.1.2"),
    };
    CSnmpClass table(&owner, QStringLiteral("127.0.0.1"), QStringLiteral("public"), QStringLiteral("private"), 2,
                     records, QString());
    table.SetSnmpCallback(static_cast<SnmpCallback>(&Owner::OnResult));

    const CSnmpMsg& first = SendAndCapture(table, KX_PDU_GETNEXT);
    EXPECT_EQ(Names(first), (std::vector<QString>{"1.3.6.1.4.1.32473.10.76.10.7.6.1.1",
                                                  "1.3.6.1.4.1.32473.10.76.10.7.6.1.2"}));
    responder().Answer(responder().requests.back(),
                       {{"1.3.6.1.4.1.32473.10.76.10.7.6.1.1.5", Tlv(0x04, "default")},
                        {"1.3.6.1.4.1.32473.10.76.10.7.6.1.2.5", Tlv(0x04, QByteArray("\xff\x00", 2))}});
    ASSERT_TRUE(PumpUntil([&] { return owner.calls.size() == 1; }));
    const CSnmpPdu& row = *owner.calls[0].msg->m_pPdu;
    EXPECT_FALSE(table.IsEndOfTable(&row));
    EXPECT_EQ(table.m_strIndex, QStringLiteral(".5"));
    EXPECT_EQ(table.FormatValue(row.m_varBindList[0].get(), table.GetOidList()[0].get()), QStringLiteral("default"));
    EXPECT_EQ(table.FormatValue(row.m_varBindList[1].get(), table.GetOidList()[1].get()), QStringLiteral("ff00"));

    const CSnmpMsg& next = SendAndCapture(table, KX_PDU_GETNEXT);
    EXPECT_EQ(Names(next), (std::vector<QString>{"1.3.6.1.4.1.32473.10.76.10.7.6.1.1.5",
                                                 "1.3.6.1.4.1.32473.10.76.10.7.6.1.2.5"}));

    struct EndCase { QString name; bool end; QString index; };
    const EndCase ends[] = {
        {"1.3.6.1.4.1.32473.10.76.10.7.6.1.2.5", true, ""},       // the next column: past the table
        {"1.3.6.1.4.1.32473.10.76.10.7.6.1.10.5", false, "0.5"},  // substring search: counts as inside
        {"1.3.6.1.4.1.32473.10.76.10.7.6.1.1.7.1", false, ".7.1"},
    };
    for (const EndCase& e : ends) {
        SCOPED_TRACE(e.name.toStdString());
        CSnmpPdu pdu;
        pdu.AddOid(e.name);
        EXPECT_EQ(table.IsEndOfTable(&pdu), e.end);
        EXPECT_EQ(table.m_strIndex, e.index);
    }
    CSnmpPdu empty;
    table.m_strIndex = QStringLiteral(".3");
    EXPECT_TRUE(table.IsEndOfTable(&empty));
    EXPECT_TRUE(table.m_strIndex.isEmpty());

    CSnmpClass none(&owner, QStringLiteral("127.0.0.1"), QStringLiteral("public"), QStringLiteral("private"), 0,
                    nullptr, QString());
    CSnmpPdu one;
    one.AddOid(QStringLiteral("1.3.6.1"));
    EXPECT_TRUE(none.IsEndOfTable(&one));
}

TEST_F(ClassTest, RemoveReadOnlyObjidKeepsKeysAndWritableOnes)
{
    const _KxOidTable records[] = {Record(KX_ASN_INTEGER, 0x0011, "1.3.6.1.9.1"),
                                   Record(KX_ASN_INTEGER, 0x0012, "1.3.6.1.9.2"),
                                   Record(KX_ASN_INTEGER, 0x0001, "1.3.6.1.9.3"),
                                   Record(KX_ASN_INTEGER, 0x0016, "1.3.6.1.9.4")};
    CSnmpClass table(&owner, QStringLiteral("127.0.0.1"), QStringLiteral("public"), QStringLiteral("private"), 4,
                     records, QString());
    table.RemoveReadOnlyObjid();
    ASSERT_EQ(table.GetOidList().size(), 3u);
    EXPECT_EQ(table.GetOidList()[0]->m_strOid, QStringLiteral("1.3.6.1.9.1"));
    EXPECT_EQ(table.GetOidList()[1]->m_strOid, QStringLiteral("1.3.6.1.9.2"));
    EXPECT_EQ(table.GetOidList()[2]->m_strOid, QStringLiteral("1.3.6.1.9.4"));
}

TEST(ClassFormat, ValuesFormatByTheDescriptorOrTheBindingType)
{
    CSnmpOid labelled(KX_ASN_INTEGER, 2, "1.3", "state", "");
    labelled.m_enumList.push_back(std::make_unique<CEnumData>(1, QStringLiteral("enabled")));
    CSnmpOid hex(KX_ASN_OCTET_STRING, 6, "1.3", "ports", "");
    CSnmpOid mac(KX_ASN_MACADDRESS, 2, "1.3", "mac", "");
    CSnmpOid address(KX_ASN_IPADDRESS, 2, "1.3", "ip", "");
    CSnmpOid integer(KX_ASN_INTEGER, 2, "1.3", "n", "");

    auto bytes = [](const QByteArray& b, std::uint8_t type) {
        auto v = std::make_unique<CSnmpVarBind>(QStringLiteral("1.3"));
        v->SetValue(reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<int>(b.size()), type);
        return v;
    };
    auto number = [](std::uint32_t n, std::uint8_t type) {
        auto v = std::make_unique<CSnmpVarBind>(QStringLiteral("1.3"));
        v->SetValue(n, type);
        return v;
    };
    auto oid = [] {
        auto v = std::make_unique<CSnmpVarBind>(QStringLiteral("1.3"));
        v->SetValue(QStringLiteral("1.3.6.1.4.1.32473"), KX_ASN_OBJECT_ID);
        return v;
    };
    auto none = [](std::uint8_t type) {
        auto v = std::make_unique<CSnmpVarBind>(QStringLiteral("1.3"));
        v->m_byType = type;
        return v;
    };
    struct Case { const char* what; std::unique_ptr<CSnmpVarBind> binding; const CSnmpOid* oid; QString text; };
    Case cases[] = {
        {"label", number(1, KX_ASN_INTEGER), &labelled, "enabled"},
        {"value without label", number(3, KX_ASN_INTEGER), &labelled, "3"},
        {"negative integer", number(0xffffffffu, KX_ASN_INTEGER), nullptr, "-1"},
        {"counter prints signed", number(0x80000000u, KX_ASN_COUNTER), nullptr, "-2147483648"},
        {"gauge", number(42, KX_ASN_GAUGE), nullptr, "42"},
        {"ip address", bytes("\x0a\x5a\x5a\x5a", KX_ASN_IPADDRESS), nullptr, "10.90.90.90"},
        {"ip address of an octet string", bytes("\x0a\x5a\x5a\x5a", KX_ASN_OCTET_STRING), &address, "10.90.90.90"},
        {"hex flagged", bytes("\x01\xab", KX_ASN_OCTET_STRING), &hex, "01ab"},
        {"hex keeps zero bytes", bytes(QByteArray("\x00\x10", 2), KX_ASN_OCTET_STRING), &hex, "0010"},
        {"text stops at a zero byte", bytes(QByteArray("ab\0cd", 5), KX_ASN_OCTET_STRING), nullptr, "ab"},
        {"opaque as text", bytes("xy", KX_ASN_OPAQUE), nullptr, "xy"},
        {"mac", bytes(QByteArray("\x00\x11\x22\xaa\xbb\xcc\xdd", 7), KX_ASN_OCTET_STRING), &mac, "00:11:22:aa:bb:cc"},
        {"null", none(KX_ASN_NULL), nullptr, "Null"},
        {"oid", oid(), nullptr, "1.3.6.1.4.1.32473"},
        {"unknown type", bytes("x", 0x46), nullptr, ""},
        // Values that are missing, of another form or too short give an empty text.
        {"short ip address", bytes("\x0a\x5a", KX_ASN_IPADDRESS), nullptr, ""},
        {"short mac", bytes(QByteArray("\x00\x11\x22", 3), KX_ASN_OCTET_STRING), &mac, ""},
        {"integer without value", none(KX_ASN_INTEGER), nullptr, ""},
        {"integer descriptor, string value", bytes("1234", KX_ASN_OCTET_STRING), &integer, ""},
        {"string descriptor, oid value", oid(), &hex, ""},
        {"octet string without value", none(KX_ASN_OCTET_STRING), nullptr, ""},
    };
    CSnmpClass table(nullptr, QString(), QString(), QString(), 0, nullptr, QString());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(table.FormatValue(c.binding.get(), c.oid), c.text);
    }
    EXPECT_EQ(table.FormatValue(nullptr, nullptr), QString());
}

TEST(ClassConvert, TextToBytes)
{
    struct HexCase { const char* text; const char* hex; };
    for (const HexCase& c : std::initializer_list<HexCase>{{"ff00a", "ff000a"}, {"", ""}, {"0", "00"}, {"AbCd", "abcd"},
                                                          {"1g", "01"}, {"g1", "00"}, {"zz01", "0001"}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Hex(CSnmpClass::HexTextToBytes(QString::fromLatin1(c.text))), QString::fromLatin1(c.hex));
    }

    struct AddressCase { const char* text; const char* hex; };
    for (const AddressCase& c : std::initializer_list<AddressCase>{{"10.90.90.90", "0a5a5a5a"}, {"1.2", "01020000"},
                                                                  {"", "00000000"}, {"1.2.3.4.5", "01020304"},
                                                                  {"1.1000.3", "01000000"}, {"300.-1.2x.7", "2cff0207"},
                                                                  {"1..3", "01000300"}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Hex(CSnmpClass::AddressTextToBytes(QString::fromLatin1(c.text))), QString::fromLatin1(c.hex));
    }

    struct MacCase { const char* text; bool ok; const char* hex; };
    for (const MacCase& c : std::initializer_list<MacCase>{
             {"00:11:22:aa:bb:cc", true, "001122aabbcc"}, {"0 1", true, "0001"}, {"", true, "00"},
             {"0:1:2:3:4:5:6", false, ""}, {"001:2", false, ""}, {"00-11", false, ""}, {"a:  -b", true, "0a0b"},
             {"AB:Cd", true, "abcd"}, {"1:", true, "01"}, {"g1", true, "01"}}) {
        SCOPED_TRACE(c.text);
        QByteArray bytes("junk");
        EXPECT_EQ(CSnmpClass::MacTextToBytes(QString::fromLatin1(c.text), bytes), c.ok);
        if (c.ok)
            EXPECT_EQ(Hex(bytes), QString::fromLatin1(c.hex));
    }
}

// A table walk and a write through CSnmpClass against the simulated switch.
class ClassOnAgentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        App();
        if (!std::filesystem::exists(tqxtest::BuiltProgram("sim/tqx-sim")))
            GTEST_SKIP() << "tqx-sim is not built";
        m_sim = std::make_unique<tqxtest::SimAgent>();
        ASSERT_TRUE(m_sim->ok()) << m_sim->process().output();
        SnmpInit(QCoreApplication::instance());
        SetSnmpPort(m_sim->port());
        SetSnmpTimeout(2000);
    }
    void TearDown() override
    {
        SnmpDone();
        SetSnmpPort(161);
    }
    // Sends one request and waits for its delivery.
    Delivery& Request(CSnmpClass& table, std::uint16_t pduType)
    {
        const size_t before = owner.calls.size();
        const std::uint32_t id = table.SendSnmp(pduType);
        EXPECT_TRUE(PumpUntil([&] { return owner.calls.size() > before; }));
        Delivery& d = owner.calls.back();
        EXPECT_EQ(d.code, 0);
        EXPECT_EQ(d.msg->m_pPdu->m_dwRequestId, id);
        return d;
    }
    Owner owner;
    std::unique_ptr<tqxtest::SimAgent> m_sim;
};

TEST_F(ClassOnAgentTest, WalksTheInterfaceTableRowByRowToItsEnd)
{
    static const _OidEnumEntry kOper[] = {{1, "up"}, {2, "down"}, {0, nullptr}};
    const _KxOidTable columns[] = {
        Record(KX_ASN_INTEGER, 0x0011, "1.3.6.1.2.1.2.2.1.1"),
        Record(KX_ASN_OCTET_STRING, 0x0001, "1.3.6.1.2.1.2.2.1.2"),
        Record(KX_ASN_MACADDRESS, 0x0001, "1.3.6.1.2.1.2.2.1.6"),
        Record(KX_ASN_INTEGER, 0x0001, "1.3.6.1.2.1.2.2.1.8", kOper),
    };
    CSnmpClass table(&owner, QStringLiteral("127.0.0.1"), QStringLiteral("public"), QStringLiteral("private"), 4,
                     columns, QString());
    table.SetSnmpCallback(static_cast<SnmpCallback>(&Owner::OnResult));
    std::vector<QStringList> rows;
    for (int guard = 0; guard < 200; ++guard) {
        Delivery& d = Request(table, KX_PDU_GETNEXT);
        if (HasFailure())
            return;
        const CSnmpPdu& pdu = *d.msg->m_pPdu;
        ASSERT_EQ(pdu.m_dwErrorStatus, 0u);
        if (table.IsEndOfTable(&pdu))
            break;
        ASSERT_EQ(pdu.m_varBindList.size(), 4u);
        QStringList row{table.m_strIndex};
        for (size_t i = 0; i < 4; ++i)
            row << table.FormatValue(pdu.m_varBindList[i].get(), table.GetOidList()[i].get());
        rows.push_back(row);
    }
    ASSERT_EQ(rows.size(), 25u);  // the profile's 24 ports and the CPU interface
    EXPECT_EQ(rows[0], (QStringList{".1", "1", "Port 1", "02:54:51:01:00:01", "up"}));
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][0], QLatin1Char('.') + rows[i][1]);  // the index is the row's ifIndex
        if (i > 0)
            EXPECT_GT(rows[i][1].toInt(), rows[i - 1][1].toInt());
        EXPECT_TRUE(rows[i][4] == QLatin1String("up") || rows[i][4] == QLatin1String("down")) << rows[i][4].toStdString();
    }
    EXPECT_TRUE(table.m_strIndex.isEmpty());
}

TEST_F(ClassOnAgentTest, WritesAGroupAndReadsItBack)
{
    const _KxOidTable objects[] = {
        Record(KX_ASN_OCTET_STRING, 0x0002, "1.3.6.1.2.1.1.4"),
        Record(KX_ASN_OCTET_STRING, 0x0002, "1.3.6.1.2.1.1.6"),
        Record(KX_ASN_OCTET_STRING, 0x0001, "1.3.6.1.2.1.1.1"),  // read-only: read, never written
    };
    CSnmpClass group(&owner, QStringLiteral("127.0.0.1"), QStringLiteral("public"), QStringLiteral("private"), 3,
                     objects, QStringLiteral(".0"));
    group.SetSnmpCallback(static_cast<SnmpCallback>(&Owner::OnResult));
    group.GetOidList()[0]->m_strValue = QStringLiteral("net team");
    group.GetOidList()[1]->m_strValue = QStringLiteral("rack 7");
    Delivery& set = Request(group, KX_PDU_SET);
    ASSERT_FALSE(HasFailure());
    EXPECT_EQ(set.msg->m_pPdu->m_dwErrorStatus, 0u);
    EXPECT_EQ(set.msg->m_pPdu->m_varBindList.size(), 2u);

    Delivery& get = Request(group, KX_PDU_GET);
    ASSERT_FALSE(HasFailure());
    const CSnmpPdu& pdu = *get.msg->m_pPdu;
    ASSERT_EQ(pdu.m_varBindList.size(), 3u);
    EXPECT_EQ(group.FormatValue(pdu.m_varBindList[0].get(), group.GetOidList()[0].get()), QStringLiteral("net team"));
    EXPECT_EQ(group.FormatValue(pdu.m_varBindList[1].get(), group.GetOidList()[1].get()), QStringLiteral("rack 7"));
    EXPECT_TRUE(group.FormatValue(pdu.m_varBindList[2].get(), group.GetOidList()[2].get()).startsWith(QLatin1String("TQX-8800")));
}
