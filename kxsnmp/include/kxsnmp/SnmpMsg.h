// The SNMPv1 message model: a message with its packet, its PDU and the PDU's variable bindings,
// and the message's BER encoder and decoder.
#pragma once

#include <kxsnmp/KxObject.h>
#include <kxsnmp/SnmpException.h>
#include <kxsnmp/SnmpTypes.h>

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CSnmpMsg;

// One variable binding: a name, a value type, the value's length and the owned value.
//
// m_pValue by type: integer types a 4-byte (m_wLength 4) or 8-byte (m_wLength 8) little-endian
// integer; OCTET STRING, IpAddress and Opaque m_wLength bytes followed by one zero byte; OBJECT
// IDENTIFIER a QString with the dotted text (m_wLength is its length); null when there is none.
// The binding remembers what it allocated, so it frees and reads the value safely even when a
// caller changes m_byType or m_wLength afterwards.
class KXSNMP_EXPORT CSnmpVarBind : public kxsnmp::CObject
{
    KX_DECLARE_DYNCREATE(CSnmpVarBind)
public:
    CSnmpVarBind();
    // Name set, type NULL, length 0, no value.
    explicit CSnmpVarBind(const QString& strOid);
    ~CSnmpVarBind() override;
    CSnmpVarBind(const CSnmpVarBind&) = delete;
    CSnmpVarBind& operator=(const CSnmpVarBind&) = delete;

    // A 4-byte integer value of the given type.
    void SetValue(std::uint32_t dwValue, std::uint8_t byType);
    // An 8-byte integer value of the given type.
    void SetValue(std::int64_t llValue, std::uint8_t byType);
    // nLength bytes copied into a block of nLength + 1 zeroed bytes; a negative length or a null
    // pointer with a positive length stores an empty value. Lengths are capped at 65535.
    void SetValue(const std::uint8_t* pbyValue, int nLength, std::uint8_t byType);
    // Records the type; for OCTET STRING stores the text's UTF-8 bytes, for OBJECT IDENTIFIER the
    // text itself; for any other type stores nothing.
    void SetValue(const QString& strValue, std::uint8_t byType);

    void Serialize(kxsnmp::CArchive& ar) override;
    void Release();
    static void Release(CSnmpVarBind* p);

    // Bindings come and go by the dozen with every message: freed ones are kept on a short list
    // of the freeing thread and reused by the next ones created on it.
    static void* operator new(std::size_t nSize);
    static void operator delete(void* p, std::size_t nSize) noexcept;
    static void* operator new(std::size_t, void* pPlace) noexcept { return pPlace; }
    static void operator delete(void*, void*) noexcept {}

    // Reading the value. Each returns a zero/empty result when the binding has no value of that form.
    bool HasValue() const { return m_pValue != nullptr; }
    // The integer value: an 8-byte value as stored; a 4-byte value sign-extended for INTEGER and
    // zero-extended for Counter, Gauge and TimeTicks.
    std::int64_t GetInteger() const;
    // The low 32 bits of an integer value.
    std::uint32_t GetUInt32() const;
    // The bytes of a byte-block value (without the trailing zero).
    QByteArray GetBytes() const;
    // The dotted text of an OBJECT IDENTIFIER value.
    QString GetOidText() const;

    QString m_strOid;
    std::uint8_t m_byType = KX_ASN_NULL;
    std::uint16_t m_wLength = 0;
    void* m_pValue = nullptr;

private:
    enum class Kind : std::uint8_t { None, Block, Text };
    void FreeValue();
    void SetBlock(const void* pData, int nLength, int nSize);
    void SetText(const QString& strText);

    // Blocks up to this size, and the text of an OBJECT IDENTIFIER value, live inside the binding
    // instead of on the heap.
    static constexpr int kInlineSize = 40;

    Kind m_kind = Kind::None;
    int m_nBlockSize = 0;  // bytes of a block value, the trailing zero included
    alignas(8) std::uint8_t m_inline[kInlineSize];

    friend class CSnmpMsg;
};

// A PDU: request id, error status, error index and the ordered, owned variable bindings.
class KXSNMP_EXPORT CSnmpPdu : public kxsnmp::CObject
{
    KX_DECLARE_DYNCREATE(CSnmpPdu)
public:
    CSnmpPdu();
    ~CSnmpPdu() override;
    CSnmpPdu(const CSnmpPdu&) = delete;
    CSnmpPdu& operator=(const CSnmpPdu&) = delete;

    // Appends a binding with a NULL value (Get and GetNext requests). Each returns the new binding.
    CSnmpVarBind* AddOid(const QString& strOid);
    CSnmpVarBind* AddOid(const QString& strOid, std::uint32_t dwValue, std::uint8_t byType);
    CSnmpVarBind* AddOid(const QString& strOid, std::int64_t llValue, std::uint8_t byType);
    CSnmpVarBind* AddOid(const QString& strOid, const QString& strValue, std::uint8_t byType);
    CSnmpVarBind* AddOid(const QString& strOid, const std::uint8_t* pbyValue, int nLength, std::uint8_t byType);
    // Removes and releases every binding, from the tail.
    void RemoveVarBinds();

    void Serialize(kxsnmp::CArchive& ar) override;
    void Release();
    static void Release(CSnmpPdu* p);

    std::uint32_t m_dwRequestId = 0;
    std::uint32_t m_dwErrorStatus = 0;
    std::uint32_t m_dwErrorIndex = 0;
    std::vector<std::unique_ptr<CSnmpVarBind>> m_varBindList;
};

// The owner's result handler, called on the message's m_pOwner with the result code and the
// message. A member function of a QObject-derived class is passed with
// static_cast<SnmpCallback>(&Owner::OnSnmpResult).
using SnmpCallback = void (QObject::*)(std::uint16_t wCode, CSnmpMsg* pMsg);

// One SNMPv1 message: owner, agent address, community, PDU type, the PDU and the encoded packet.
class KXSNMP_EXPORT CSnmpMsg : public kxsnmp::CObject
{
    KX_DECLARE_DYNCREATE(CSnmpMsg)
public:
    CSnmpMsg();
    // Stores owner, address, community and PDU type; an empty PDU; a zeroed packet of length 0.
    CSnmpMsg(QObject* pOwner, const QString& strIpAddr, const QString& strCommunity, std::uint16_t wPduType);
    ~CSnmpMsg() override;
    CSnmpMsg(const CSnmpMsg&) = delete;
    CSnmpMsg& operator=(const CSnmpMsg&) = delete;

    void SetIpAddr(const QString& strIpAddr);
    void SetSnmpCallback(SnmpCallback pfnCallback);

    // Assigns the next request id and encodes the message into m_byPacket / m_nPacketLength.
    // INTEGER values and the PDU's numbers are sent in the minimal two's-complement form of their
    // low 32 bits; Counter, Gauge and TimeTicks as unsigned 32-bit values (a leading zero byte when
    // the top bit is set). The community is sent as Latin-1, one byte per character.
    // Throws CSnmpException 13 (OID too long) or 14 (over 512 bytes; the packet is left unchanged).
    void SnmpEncode();
    // Decodes the first m_nPacketLength bytes of m_byPacket into the community, the PDU type, the
    // PDU's numbers and new bindings appended to the PDU. Throws CSnmpException 1 to 9, 12, 13 or
    // 15; what was read before the failure stays in the message. An OBJECT IDENTIFIER without
    // content bytes reads as empty text; one whose last sub-identifier runs past its content
    // raises 4. Arcs are printed as unsigned decimals.
    void SnmpDecode();

    void Serialize(kxsnmp::CArchive& ar) override;
    // Deletes the message (heap messages only).
    void Release();
    // Deletes p; nothing when p is null.
    static void Release(CSnmpMsg* p);

    // The valid part of the packet buffer.
    QByteArray Packet() const;

    QPointer<QObject> m_hOwnerWnd;  // tracks the owner: null once it has been destroyed
    QObject* m_pOwner = nullptr;
    QString m_strIpAddr;
    QString m_strCommunity;
    std::uint16_t m_wPduType = 0;
    std::unique_ptr<CSnmpPdu> m_pPdu;
    std::uint8_t m_byPacket[KX_SNMP_PACKET_SIZE] = {};
    std::int32_t m_nPacketLength = 0;
    CSnmpException m_error;
    std::int64_t m_timeSent = 0;  // SnmpClockSeconds() at the last transmission
    SnmpCallback m_pfnCallback = nullptr;

    // The last request id handed out; 0 at load, wraps at 32 bits.
    static std::uint32_t m_sdwReqid;

protected:
    // Appends one encoded binding to pbyOut (KX_SNMP_PACKET_SIZE bytes) at wPos and advances it.
    // A binding of a type that is not sent is left out. Throws 13 or 14.
    void SnmpBuildVarOp(CSnmpVarBind* pVarBind, std::uint8_t* pbyOut, std::uint16_t& wPos);
    // Nothing: bindings are parsed inside SnmpDecode.
    void SnmpParseVarOp(CSnmpVarBind* pVarBind);
};
