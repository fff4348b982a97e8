// OID descriptors from which table requests are built, their value labels, and the record type
// of the applications' OID tables.
#pragma once

#include <kxsnmp/KxObject.h>
#include <kxsnmp/SnmpTypes.h>

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// One label of an enumerated INTEGER in an application's label table. A table ends at the first
// entry whose pszLabel is null.
struct _OidEnumEntry
{
    std::int32_t nValue;
    const char* pszLabel;
};

// One object of an application's OID table.
struct _KxOidTable
{
    std::uint8_t byType;                  // value type code, KX_ASN_MACADDRESS included
    std::uint16_t wAccess;                // access mode and handling flags (KX_ACCESS_...)
    char szOid[KX_OID_TEXT_SIZE];         // NUL-terminated dotted OID (a column OID may end in a dot)
    char szName[KX_OID_TEXT_SIZE];        // NUL-terminated object name
    const _OidEnumEntry* pEnumTable;      // label table or null
    std::uint32_t dwUserData;             // application value, not interpreted by the library
};

// Access mode (bits 0-1) and handling flags of wAccess / m_wAccess.
constexpr std::uint16_t KX_ACCESS_MODE_MASK = 0x0003;
constexpr std::uint16_t KX_ACCESS_READ_ONLY = 0x0001;    // never written by a SetRequest
constexpr std::uint16_t KX_ACCESS_NOT_READABLE = 0x0003; // left out of Get and GetNext requests
constexpr std::uint16_t KX_ACCESS_HEX_TEXT = 0x0004;     // OCTET STRING shown as lower-case hex
constexpr std::uint16_t KX_ACCESS_KEY = 0x0010;          // index object: never set, always kept

// One label of an enumerated INTEGER object.
class KXSNMP_EXPORT CEnumData : public kxsnmp::CObject
{
    KX_DECLARE_DYNCREATE(CEnumData)
public:
    CEnumData();
    CEnumData(int nValue, const QString& strLabel);
    ~CEnumData() override;

    // Deletes the object (heap objects only).
    void Release();
    // Deletes p; nothing when p is null.
    static void Release(CEnumData* p);

    std::int32_t m_nValue = 0;
    QString m_strLabel;
};

// An OID descriptor: type, access flags, OID, name, a value to write and the value labels.
class KXSNMP_EXPORT CSnmpOid : public kxsnmp::CObject
{
    KX_DECLARE_DYNCREATE(CSnmpOid)
public:
    CSnmpOid();
    // Copies the record's fields (texts up to their terminator or their 128 characters) and one
    // label per label-table entry, in table order; the value is empty.
    explicit CSnmpOid(const _KxOidTable& record);
    CSnmpOid(std::uint8_t byType, std::uint16_t wAccess, const QString& strOid, const QString& strName,
             const QString& strValue);
    ~CSnmpOid() override;
    CSnmpOid(const CSnmpOid&) = delete;
    CSnmpOid& operator=(const CSnmpOid&) = delete;

    void Release();
    static void Release(CSnmpOid* p);

    std::uint8_t m_byType = KX_ASN_NULL;
    std::uint16_t m_wAccess = 0;
    QString m_strOid;
    QString m_strName;
    QString m_strValue;
    std::vector<std::unique_ptr<CEnumData>> m_enumList;
    std::uint32_t m_dwUserData = 0;
};
