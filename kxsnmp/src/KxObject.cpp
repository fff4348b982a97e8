#include <kxsnmp/KxObject.h>

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace kxsnmp {

namespace {
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTagFlag = 0x8000;
constexpr std::uint16_t kMaxClassNameLength = 64;
}  // namespace

const CRuntimeClass CObject::classCObject = {"CObject", 0xFFFF, nullptr, nullptr};

CObject* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBase) const
{
    for (const CRuntimeClass* p = this; p; p = p->m_pBaseClass)
        if (p == pBase)
            return true;
    return false;
}

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }
CObject::~CObject() = default;
void CObject::Serialize(CArchive&) {}
void CObject::AssertValid() const {}
void CObject::Dump(QDebug dc) const { dc << "a" << GetRuntimeClass()->m_lpszClassName << "at" << static_cast<const void*>(this); }

bool CObject::IsKindOf(const CRuntimeClass* pClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}

CArchive::CArchive(QDataStream& stream, Mode mode) : m_stream(stream), m_mode(mode) {}

void CArchive::SetCorrupt()
{
    if (m_stream.status() == QDataStream::Ok)
        m_stream.setStatus(QDataStream::ReadCorruptData);
}

qint64 CArchive::BytesLeft() const
{
    QIODevice* dev = m_stream.device();
    if (!dev || dev->isSequential())
        return -1;
    return dev->bytesAvailable();
}

bool CArchive::Require(qint64 n)
{
    if (!IsOk())
        return false;
    const qint64 left = BytesLeft();
    if (n < 0 || (left >= 0 && left < n)) {
        m_stream.setStatus(QDataStream::ReadPastEnd);
        return false;
    }
    return true;
}

void CArchive::WriteString(const QString& str)
{
    // Same bytes as QDataStream's own QString operator: byte count, then UTF-16 code units.
    m_stream << str;
}

void CArchive::ReadString(QString& str)
{
    str.clear();
    quint32 nBytes = 0;
    m_stream >> nBytes;
    if (!IsOk())
        return;
    if (nBytes == 0xFFFFFFFFu)  // a null string
        return;
    if (nBytes % 2 != 0) {
        SetCorrupt();
        return;
    }
    if (!Require(nBytes))
        return;
    // Read in pieces, so that on a device that cannot tell its size a bogus length costs no more
    // memory than the bytes that actually arrive.
    constexpr quint32 kPieceUnits = 32768;
    QString result;
    quint32 nUnits = nBytes / 2;
    while (nUnits > 0 && IsOk()) {
        const quint32 n = std::min(nUnits, kPieceUnits);
        const qsizetype nOld = result.size();
        result.resize(nOld + n);
        char16_t* p = reinterpret_cast<char16_t*>(result.data()) + nOld;
        for (quint32 i = 0; i < n; ++i) {
            quint16 unit = 0;
            m_stream >> unit;
            p[i] = unit;
        }
        nUnits -= n;
    }
    if (IsOk())
        str = result;
}

void CArchive::WriteClass(const CRuntimeClass* pClass)
{
    for (std::size_t i = 0; i < m_classes.size(); ++i) {
        if (m_classes[i] == pClass) {
            m_stream << static_cast<quint16>(kClassTagFlag | i);
            return;
        }
    }
    m_classes.push_back(pClass);
    const auto nLength = static_cast<quint16>(std::strlen(pClass->m_lpszClassName));
    m_stream << kNewClassTag << pClass->m_wSchema << nLength;
    m_stream.writeRawData(pClass->m_lpszClassName, nLength);
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* pClassExpected)
{
    quint16 wTag = 0;
    m_stream >> wTag;
    if (!IsOk())
        return nullptr;
    if (wTag == kNewClassTag) {
        quint16 wSchema = 0;
        quint16 nLength = 0;
        m_stream >> wSchema >> nLength;
        if (!IsOk() || nLength > kMaxClassNameLength || !Require(nLength)) {
            SetCorrupt();
            return nullptr;
        }
        char szName[kMaxClassNameLength + 1] = {};
        if (m_stream.readRawData(szName, nLength) != nLength) {
            SetCorrupt();
            return nullptr;
        }
        // Only the expected class (or one derived from it that the caller can create) is accepted.
        if (std::strcmp(szName, pClassExpected->m_lpszClassName) != 0 || wSchema != pClassExpected->m_wSchema) {
            SetCorrupt();
            return nullptr;
        }
        m_classes.push_back(pClassExpected);
        return pClassExpected;
    }
    if ((wTag & kClassTagFlag) == 0) {
        SetCorrupt();
        return nullptr;
    }
    const std::size_t index = wTag & ~kClassTagFlag;
    if (index >= m_classes.size() || !m_classes[index]->IsDerivedFrom(pClassExpected)) {
        SetCorrupt();
        return nullptr;
    }
    return m_classes[index];
}

}  // namespace kxsnmp
