#include <kxsnmp/SnmpOid.h>

#include "KxRuntimeClass.h"

#include <cstring>

KX_IMPLEMENT_SERIAL(CEnumData, kxsnmp::CObject::classCObject, 1)
KX_IMPLEMENT_SERIAL(CSnmpOid, kxsnmp::CObject::classCObject, 1)

namespace {
// A fixed text field: up to its terminator, never past its size.
QString FixedText(const char* psz, std::size_t nSize)
{
    return QString::fromUtf8(psz, static_cast<qsizetype>(strnlen(psz, nSize)));
}
}  // namespace

CEnumData::CEnumData() = default;
CEnumData::CEnumData(int nValue, const QString& strLabel) : m_nValue(nValue), m_strLabel(strLabel) {}
CEnumData::~CEnumData() = default;
void CEnumData::Release() { delete this; }
void CEnumData::Release(CEnumData* p) { delete p; }

CSnmpOid::CSnmpOid() = default;

CSnmpOid::CSnmpOid(const _KxOidTable& record)
    : m_byType(record.byType),
      m_wAccess(record.wAccess),
      m_strOid(FixedText(record.szOid, sizeof record.szOid)),
      m_strName(FixedText(record.szName, sizeof record.szName)),
      m_dwUserData(record.dwUserData)
{
    if (record.pEnumTable)
        for (const _OidEnumEntry* p = record.pEnumTable; p->pszLabel; ++p)
            m_enumList.push_back(std::make_unique<CEnumData>(p->nValue, QString::fromUtf8(p->pszLabel)));
}

CSnmpOid::CSnmpOid(std::uint8_t byType, std::uint16_t wAccess, const QString& strOid, const QString& strName,
                   const QString& strValue)
    : m_byType(byType), m_wAccess(wAccess), m_strOid(strOid), m_strName(strName), m_strValue(strValue)
{
}

CSnmpOid::~CSnmpOid() = default;
void CSnmpOid::Release() { delete this; }
void CSnmpOid::Release(CSnmpOid* p) { delete p; }
