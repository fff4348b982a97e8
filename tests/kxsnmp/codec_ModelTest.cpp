// The message model: bindings and their values, PDUs, messages, OID descriptors, exceptions and
// run-time classes. Freed memory is checked by the leak sanitizer of the test build.
#include "codec_Support.h"

#include <kxsnmp/SnmpLog.h>
#include <kxsnmp/SnmpOid.h>

#include <gtest/gtest.h>

#include <cstring>

using namespace codectest;

TEST(VarBind, FreshAndNullBindings)
{
    CSnmpPdu pdu;
    CSnmpVarBind* vb = pdu.AddOid("1.3.6.1.2.1.1.1.0");
    EXPECT_EQ(vb->m_strOid, "1.3.6.1.2.1.1.1.0");
    EXPECT_EQ(vb->m_byType, KX_ASN_NULL);
    EXPECT_EQ(vb->m_wLength, 0);
    EXPECT_EQ(vb->m_pValue, nullptr);
    EXPECT_EQ(pdu.m_dwRequestId, 0u);
    EXPECT_EQ(pdu.m_dwErrorStatus, 0u);
    EXPECT_EQ(pdu.m_dwErrorIndex, 0u);
}

TEST(VarBind, SetValueStoresEachShape)
{
    CSnmpPdu pdu;
    const std::uint8_t bytes[] = {1, 2, 3};
    const CSnmpVarBind* i32 = pdu.AddOid("1", std::uint32_t(0x01020304), KX_ASN_GAUGE);
    const CSnmpVarBind* i64 = pdu.AddOid("2", std::int64_t(-2), KX_ASN_COUNTER);
    const CSnmpVarBind* blk = pdu.AddOid("3", bytes, 3, KX_ASN_OPAQUE);
    const CSnmpVarBind* str = pdu.AddOid("4", QString("abc"), KX_ASN_OCTET_STRING);
    const CSnmpVarBind* oid = pdu.AddOid("5", QString("1.3.6"), KX_ASN_OBJECT_ID);
    const CSnmpVarBind* ip = pdu.AddOid("6", QString("10.1.1.1"), KX_ASN_IPADDRESS);
    const CSnmpVarBind* neg = pdu.AddOid("7", bytes, -4, KX_ASN_OCTET_STRING);

    EXPECT_EQ(i32->m_wLength, 4);
    EXPECT_EQ(std::memcmp(i32->m_pValue, "\x04\x03\x02\x01", 4), 0);  // little-endian
    EXPECT_EQ(i64->m_wLength, 8);
    EXPECT_EQ(i64->GetInteger(), -2);
    EXPECT_EQ(std::memcmp(i64->m_pValue, "\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 8), 0);
    EXPECT_EQ(blk->m_wLength, 3);
    EXPECT_EQ(std::memcmp(blk->m_pValue, "\x01\x02\x03\x00", 4), 0);  // one zero byte after the value
    EXPECT_EQ(str->m_wLength, 3);
    EXPECT_STREQ(static_cast<const char*>(str->m_pValue), "abc");
    EXPECT_EQ(oid->m_wLength, 5);
    EXPECT_EQ(*static_cast<const QString*>(oid->m_pValue), "1.3.6");
    // A text for a type that takes none records the type only.
    EXPECT_EQ(ip->m_byType, KX_ASN_IPADDRESS);
    EXPECT_EQ(ip->m_wLength, 0);
    EXPECT_EQ(ip->m_pValue, nullptr);
    EXPECT_EQ(neg->m_wLength, 0);
    EXPECT_TRUE(neg->GetBytes().isEmpty());
}

TEST(VarBind, IntegerReadersInterpretByType)
{
    CSnmpPdu pdu;
    EXPECT_EQ(pdu.AddOid("1", std::uint32_t(0xFFFFFFFF), KX_ASN_INTEGER)->GetInteger(), -1);
    EXPECT_EQ(pdu.AddOid("1", std::uint32_t(0xFFFFFFFF), KX_ASN_COUNTER)->GetInteger(), 4294967295LL);
    EXPECT_EQ(pdu.AddOid("1", std::int64_t(0x123456789LL), KX_ASN_COUNTER)->GetUInt32(), 0x23456789u);
    EXPECT_EQ(pdu.AddOid("1", QString("x"), KX_ASN_OCTET_STRING)->GetInteger(), 'x');
    EXPECT_EQ(pdu.AddOid("1")->GetInteger(), 0);
}

TEST(VarBind, ChangedTypeOrLengthNeverReadsPastTheValue)
{
    // Callers own the public fields; a binding whose type or length was changed after SetValue must
    // still encode, serialise and free only what it allocated.
    CSnmpMsg::m_sdwReqid = 0;
    CSnmpMsg msg(nullptr, "", "public", KX_PDU_SET);
    CSnmpVarBind* a = msg.m_pPdu->AddOid("1.3.1", QString("ab"), KX_ASN_OCTET_STRING);
    a->m_wLength = 400;
    CSnmpVarBind* b = msg.m_pPdu->AddOid("1.3.2", QString("1.3.6"), KX_ASN_OBJECT_ID);
    b->m_byType = KX_ASN_OCTET_STRING;
    CSnmpVarBind* c = msg.m_pPdu->AddOid("1.3.3", std::uint32_t(7), KX_ASN_INTEGER);
    c->m_byType = KX_ASN_OBJECT_ID;
    CSnmpVarBind* d = msg.m_pPdu->AddOid("1.3.4", QString("z"), KX_ASN_OCTET_STRING);
    d->m_byType = KX_ASN_INTEGER;
    d->m_wLength = 8;
    msg.SnmpEncode();
    // Values are read within their allocation (the 3-byte block of "ab" and its terminator); a
    // value of the wrong shape for the new type is sent empty.
    EXPECT_TRUE(msg.Packet().endsWith(Hex("30 09 06 02 2B 01 04 03 61 62 00"
                                          " 30 06 06 02 2B 02 04 00"
                                          " 30 06 06 02 2B 03 06 00"
                                          " 30 07 06 02 2B 04 02 01 7A")))
        << ToHex(msg.Packet());
    const CSnmpLogContents log = ReadSnmpLogData(SerializeSnmpMsg(msg));
    ASSERT_EQ(log.messages.size(), 1u) << log.strError.toStdString();
    ASSERT_EQ(log.messages[0]->m_pPdu->m_varBindList.size(), 4u);
    // The recorded length of 400 is kept and padded with zeros.
    EXPECT_EQ(log.messages[0]->m_pPdu->m_varBindList[0]->GetBytes(), QByteArray("ab") + QByteArray(398, '\0'));
}

TEST(Pdu, BindingsStayInOrderAndAreRemovedTogether)
{
    CSnmpPdu pdu;
    for (int i = 0; i < 25; ++i)
        pdu.AddOid(QString("1.3.%1").arg(i), std::uint32_t(i), KX_ASN_INTEGER);
    ASSERT_EQ(pdu.m_varBindList.size(), 25u);
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(pdu.m_varBindList[i]->GetUInt32(), static_cast<std::uint32_t>(i));
    pdu.RemoveVarBinds();
    EXPECT_TRUE(pdu.m_varBindList.empty());
}

TEST(Msg, ConstructionOwnerAndCallback)
{
    struct Owner : QObject {
        void OnResult(std::uint16_t, CSnmpMsg*) {}
    };
    auto* owner = new Owner;
    CSnmpMsg msg(owner, "192.0.2.7", "public", KX_PDU_GETNEXT);
    EXPECT_EQ(msg.m_pOwner, owner);
    EXPECT_EQ(msg.m_hOwnerWnd.data(), owner);
    EXPECT_EQ(msg.m_strIpAddr, "192.0.2.7");
    EXPECT_EQ(msg.m_strCommunity, "public");
    EXPECT_EQ(msg.m_wPduType, KX_PDU_GETNEXT);
    ASSERT_NE(msg.m_pPdu, nullptr);
    EXPECT_TRUE(msg.m_pPdu->m_varBindList.empty());
    EXPECT_EQ(msg.m_nPacketLength, 0);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(msg.m_byPacket), KX_SNMP_PACKET_SIZE),
              QByteArray(KX_SNMP_PACKET_SIZE, '\0'));
    EXPECT_EQ(msg.m_pfnCallback, nullptr);

    msg.SetSnmpCallback(static_cast<SnmpCallback>(&Owner::OnResult));
    EXPECT_EQ(msg.m_pfnCallback, static_cast<SnmpCallback>(&Owner::OnResult));
    msg.SetIpAddr("198.51.100.1");
    EXPECT_EQ(msg.m_strIpAddr, "198.51.100.1");

    // The handle tells whether the owner still exists.
    delete owner;
    EXPECT_TRUE(msg.m_hOwnerWnd.isNull());
    EXPECT_EQ(CSnmpMsg(nullptr, "", "", 0).m_hOwnerWnd.data(), nullptr);
}

TEST(Msg, ReleaseDeletesAndIsSafeOnNull)
{
    CSnmpMsg::Release(nullptr);
    CSnmpPdu::Release(nullptr);
    CSnmpVarBind::Release(nullptr);
    CSnmpOid::Release(nullptr);
    CEnumData::Release(nullptr);

    // A message holding a binding of every type; the leak sanitizer checks that all is freed.
    const std::uint8_t bytes[] = {1, 2, 3, 4};
    auto* msg = new CSnmpMsg(nullptr, "", "public", KX_PDU_SET);
    msg->m_pPdu->AddOid("1.1");
    msg->m_pPdu->AddOid("1.2", std::uint32_t(1), KX_ASN_INTEGER);
    msg->m_pPdu->AddOid("1.3", std::int64_t(1), KX_ASN_COUNTER);
    msg->m_pPdu->AddOid("1.4", std::uint32_t(1), KX_ASN_GAUGE);
    msg->m_pPdu->AddOid("1.5", std::uint32_t(1), KX_ASN_TIMETICKS);
    msg->m_pPdu->AddOid("1.6", QString("text"), KX_ASN_OCTET_STRING);
    msg->m_pPdu->AddOid("1.7", bytes, 4, KX_ASN_IPADDRESS);
    msg->m_pPdu->AddOid("1.8", bytes, 2, KX_ASN_OPAQUE);
    msg->m_pPdu->AddOid("1.9", QString("1.3.6.1"), KX_ASN_OBJECT_ID);
    msg->m_pPdu->AddOid("1.10", QString("x"), KX_ASN_MACADDRESS);
    msg->Release();

    (new CSnmpVarBind("1.3"))->Release();
    (new CSnmpPdu)->Release();
    (new CEnumData(1, "up"))->Release();
    (new CSnmpOid(KX_ASN_INTEGER, 0, "1.3", "x", ""))->Release();
    SUCCEED();
}

TEST(Oid, DescriptorsFromTableRecords)
{
    static const _OidEnumEntry states[] = {{1, "up"}, {2, "down"}, {-3, "testing"}, {0, nullptr}};
    static const _OidEnumEntry none[] = {{5, nullptr}, {6, "never read"}};
    _KxOidTable record{};
    record.byType = KX_ASN_INTEGER;
    record.wAccess = 0x0011;
    std::strcpy(record.szOid, "1.3.6.1.2.1.2.2.1.8.");
    std::strcpy(record.szName, "ifOperStatus");
    record.pEnumTable = states;
    record.dwUserData = 0xDEADBEEF;

    const CSnmpOid oid(record);
    EXPECT_EQ(oid.m_byType, KX_ASN_INTEGER);
    EXPECT_EQ(oid.m_wAccess, 0x0011);
    EXPECT_EQ(oid.m_strOid, "1.3.6.1.2.1.2.2.1.8.");
    EXPECT_EQ(oid.m_strName, "ifOperStatus");
    EXPECT_TRUE(oid.m_strValue.isEmpty());
    EXPECT_EQ(oid.m_dwUserData, 0xDEADBEEFu);
    ASSERT_EQ(oid.m_enumList.size(), 3u);
    EXPECT_EQ(oid.m_enumList[2]->m_nValue, -3);
    EXPECT_EQ(oid.m_enumList[2]->m_strLabel, "testing");
    EXPECT_EQ(oid.m_enumList[0]->m_strLabel, "up");

    record.pEnumTable = none;
    EXPECT_TRUE(CSnmpOid(record).m_enumList.empty());
    record.pEnumTable = nullptr;
    EXPECT_TRUE(CSnmpOid(record).m_enumList.empty());

    // Text fields without a terminator end at their 128 characters.
    std::memset(record.szOid, '7', sizeof record.szOid);
    std::memset(record.szName, 'n', sizeof record.szName);
    const CSnmpOid full(record);
    EXPECT_EQ(full.m_strOid, QString(128, '7'));
    EXPECT_EQ(full.m_strName, QString(128, 'n'));

    const CSnmpOid direct(KX_ASN_OCTET_STRING, 0x0006, "1.3.6.1.2.1.17.7.1.4.3.1.2.", "dot1qVlanStaticEgressPorts", "ff00");
    EXPECT_EQ(direct.m_strValue, "ff00");
    EXPECT_TRUE(direct.m_enumList.empty());
}

TEST(Exception, CodesTextsAndCopies)
{
    struct Case {
        std::uint16_t code;
        const char* text;
    } cases[] = {
        {0, "Snmp error"},
        {1, "Authentication parsing failed."},
        {2, "Snmp version mismatch."},
        {3, "Bad pdu type."},
        {4, "variables binding list parsing failed."},
        {5, "Bad tag."},
        {6, "Indefinite length."},
        {7, "Length field is too long."},
        {8, "Malformed null."},
        {9, "Unexpected ASN type."},
        {10, ""},
        {11, ""},
        {12, "Value length is too long."},
        {13, "Snmp object identifier is too long."},
        {14, "Buffer overflow while snmp encoding."},
        {15, "Response packet excesses the buffer length."},
        {16, "Snmp timeout."},
        {17, ""},
        {255, "Socket error, error code= 0x%04x"},
    };
    for (const Case& c : cases) {
        const CSnmpException e(c.code);
        EXPECT_EQ(e.m_wCode, c.code);
        EXPECT_EQ(e.m_strMessage, c.text) << c.code;
    }
    EXPECT_EQ(FormatSocketErrorText(10054), "Socket error, error code= 0x2746");
    EXPECT_EQ(FormatSocketErrorText(0x12345), "Socket error, error code= 0x12345");

    const CSnmpException custom(104, "CSnmpSocket::OnReceive(): Socket Error!");
    CSnmpException copy(custom);
    EXPECT_EQ(copy.m_wCode, 104);
    EXPECT_EQ(copy.m_strMessage, "CSnmpSocket::OnReceive(): Socket Error!");
    CSnmpException assigned;
    EXPECT_TRUE(assigned.m_strMessage.isEmpty());
    assigned = CSnmpException(16);
    EXPECT_EQ(assigned.m_wCode, 16);
    EXPECT_EQ(assigned.m_strMessage, "Snmp timeout.");
}

TEST(RuntimeClass, NamesSchemasAndCreation)
{
    struct Case {
        const kxsnmp::CRuntimeClass* rc;
        const char* name;
    } cases[] = {{&CSnmpMsg::classCSnmpMsg, "CSnmpMsg"},
                 {&CSnmpPdu::classCSnmpPdu, "CSnmpPdu"},
                 {&CSnmpVarBind::classCSnmpVarBind, "CSnmpVarBind"},
                 {&CSnmpOid::classCSnmpOid, "CSnmpOid"},
                 {&CEnumData::classCEnumData, "CEnumData"}};
    for (const Case& c : cases) {
        EXPECT_STREQ(c.rc->m_lpszClassName, c.name);
        EXPECT_EQ(c.rc->m_wSchema, 1);
        std::unique_ptr<kxsnmp::CObject> obj(c.rc->CreateObject());
        ASSERT_NE(obj, nullptr) << c.name;
        EXPECT_EQ(obj->GetRuntimeClass(), c.rc);
        EXPECT_TRUE(obj->IsKindOf(&kxsnmp::CObject::classCObject));
    }
    // The exception has no run-time class of its own.
    EXPECT_STREQ(CSnmpException(1).GetRuntimeClass()->m_lpszClassName, "CObject");
    EXPECT_FALSE(CSnmpPdu().IsKindOf(&CSnmpMsg::classCSnmpMsg));
}
