#include <kxsnmp/SnmpMsg.h>

#include "KxRuntimeClass.h"
#include "KxThreadLocal.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

// Freed bindings on the reuse list are poisoned under AddressSanitizer, so a use after free is
// still reported.
#if defined(__SANITIZE_ADDRESS__)
#define KX_WITH_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KX_WITH_ASAN 1
#endif
#endif
#ifdef KX_WITH_ASAN
#include <sanitizer/asan_interface.h>
#define KX_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define KX_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define KX_POISON(p, n) ((void)(p), (void)(n))
#define KX_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

KX_IMPLEMENT_SERIAL(CSnmpVarBind, kxsnmp::CObject::classCObject, 1)
KX_IMPLEMENT_SERIAL(CSnmpPdu, kxsnmp::CObject::classCObject, 1)
KX_IMPLEMENT_SERIAL(CSnmpMsg, kxsnmp::CObject::classCObject, 1)

std::uint32_t CSnmpMsg::m_sdwReqid = 0;

namespace {
bool IsIntegerType(std::uint8_t byType)
{
    return byType == KX_ASN_INTEGER || (byType >= KX_ASN_COUNTER && byType <= KX_ASN_TIMETICKS);
}

bool IsBlockType(std::uint8_t byType)
{
    return byType == KX_ASN_OCTET_STRING || byType == KX_ASN_IPADDRESS || byType == KX_ASN_OPAQUE;
}
}  // namespace

// ---- CSnmpVarBind ----

namespace {
// Per-thread list of freed bindings. The state is trivially destructible, so it can be used
// while the thread's other objects are destroyed; PoolCloser frees the list when the thread ends
// and closes the pool, after which bindings come from and go straight back to the heap.
struct FreeBinding
{
    FreeBinding* pNext;
};

struct BindingPool
{
    FreeBinding* pHead;
    int nCount;
    bool bArmed;   // the closer has been set up on this thread
    bool bClosed;  // the thread is ending
};

constexpr int kMaxPooledBindings = 256;

KX_FAST_TLS thread_local BindingPool t_pool{nullptr, 0, false, false};

struct PoolCloser
{
    bool bActive = false;
    ~PoolCloser()
    {
        t_pool.bClosed = true;
        while (t_pool.pHead) {
            FreeBinding* p = t_pool.pHead;
            KX_UNPOISON(p, sizeof(CSnmpVarBind));
            t_pool.pHead = p->pNext;
            ::operator delete(p);
        }
        t_pool.nCount = 0;
    }
};

thread_local PoolCloser t_closer;
}  // namespace

void* CSnmpVarBind::operator new(std::size_t nSize)
{
    BindingPool& pool = t_pool;
    if (nSize == sizeof(CSnmpVarBind) && pool.pHead) {
        FreeBinding* p = pool.pHead;
        KX_UNPOISON(p, sizeof(CSnmpVarBind));
        pool.pHead = p->pNext;
        --pool.nCount;
        return p;
    }
    return ::operator new(nSize);
}

void CSnmpVarBind::operator delete(void* p, std::size_t nSize) noexcept
{
    if (!p)
        return;
    BindingPool& pool = t_pool;
    if (nSize != sizeof(CSnmpVarBind) || pool.bClosed || pool.nCount >= kMaxPooledBindings) {
        ::operator delete(p);
        return;
    }
    if (!pool.bArmed) {
        pool.bArmed = true;
        t_closer.bActive = true;  // registers the closer for this thread
    }
    auto* pFree = static_cast<FreeBinding*>(p);
    pFree->pNext = pool.pHead;
    pool.pHead = pFree;
    ++pool.nCount;
    KX_POISON(p, sizeof(CSnmpVarBind));
}

CSnmpVarBind::CSnmpVarBind() = default;
CSnmpVarBind::CSnmpVarBind(const QString& strOid) : m_strOid(strOid) {}
CSnmpVarBind::~CSnmpVarBind() { FreeValue(); }

void CSnmpVarBind::FreeValue()
{
    if (m_kind == Kind::Block && m_pValue != m_inline)
        delete[] static_cast<std::uint8_t*>(m_pValue);
    else if (m_kind == Kind::Text)
        static_cast<QString*>(m_pValue)->~QString();
    m_pValue = nullptr;
    m_kind = Kind::None;
    m_nBlockSize = 0;
}

void CSnmpVarBind::SetBlock(const void* pData, int nLength, int nSize)
{
    if (m_kind != Kind::None)
        FreeValue();
    std::uint8_t* pBlock = m_inline;
    if (nSize <= kInlineSize) {
        // Whole inline block cleared at once: a fixed size is a few stores, not a call.
        std::memset(m_inline, 0, kInlineSize);
    } else {
        pBlock = new std::uint8_t[static_cast<std::size_t>(nSize)]();
    }
    if (pData && nLength > 0)
        std::memcpy(pBlock, pData, static_cast<std::size_t>(nLength));
    m_pValue = pBlock;
    m_kind = Kind::Block;
    m_nBlockSize = nSize;
}

void CSnmpVarBind::SetText(const QString& strText)
{
    static_assert(sizeof(QString) <= kInlineSize && alignof(QString) <= 8, "the text lives in m_inline");
    QString strCopy(strText);  // strText may be this binding's own value
    FreeValue();
    m_pValue = new (m_inline) QString(std::move(strCopy));
    m_kind = Kind::Text;
}

void CSnmpVarBind::SetValue(std::uint32_t dwValue, std::uint8_t byType)
{
    if (m_kind != Kind::None)
        FreeValue();
    m_byType = byType;
    m_wLength = 4;
    const std::uint32_t le = qToLittleEndian(dwValue);
    std::memcpy(m_inline, &le, 4);
    m_pValue = m_inline;
    m_kind = Kind::Block;
    m_nBlockSize = 4;
}

void CSnmpVarBind::SetValue(std::int64_t llValue, std::uint8_t byType)
{
    if (m_kind != Kind::None)
        FreeValue();
    m_byType = byType;
    m_wLength = 8;
    const std::int64_t le = qToLittleEndian(llValue);
    std::memcpy(m_inline, &le, 8);
    m_pValue = m_inline;
    m_kind = Kind::Block;
    m_nBlockSize = 8;
}

void CSnmpVarBind::SetValue(const std::uint8_t* pbyValue, int nLength, std::uint8_t byType)
{
    m_byType = byType;
    if (nLength < 0 || (!pbyValue && nLength > 0))
        nLength = 0;
    nLength = std::min(nLength, 0xFFFF);
    m_wLength = static_cast<std::uint16_t>(nLength);
    SetBlock(pbyValue, nLength, nLength + 1);
}

void CSnmpVarBind::SetValue(const QString& strValue, std::uint8_t byType)
{
    m_byType = byType;
    if (byType == KX_ASN_OCTET_STRING) {
        const QByteArray bytes = strValue.toUtf8();
        SetValue(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<int>(bytes.size()), byType);
    } else if (byType == KX_ASN_OBJECT_ID) {
        SetText(strValue);
        m_wLength = static_cast<std::uint16_t>(std::min<qsizetype>(strValue.size(), 0xFFFF));
    }
}

std::uint32_t CSnmpVarBind::GetUInt32() const
{
    if (m_kind != Kind::Block)
        return 0;
    if (m_nBlockSize >= 4)
        return qFromLittleEndian<std::uint32_t>(m_pValue);
    std::uint8_t bytes[4] = {};
    std::memcpy(bytes, m_pValue, static_cast<std::size_t>(m_nBlockSize));
    return qFromLittleEndian<std::uint32_t>(bytes);
}

std::int64_t CSnmpVarBind::GetInteger() const
{
    if (m_kind != Kind::Block)
        return 0;
    if (m_wLength == 8 && m_nBlockSize >= 8)
        return qFromLittleEndian<std::int64_t>(m_pValue);
    const std::uint32_t dw = GetUInt32();
    if (m_byType == KX_ASN_INTEGER)
        return static_cast<std::int32_t>(dw);
    return dw;
}

QByteArray CSnmpVarBind::GetBytes() const
{
    if (m_kind != Kind::Block)
        return QByteArray();
    const int n = std::min<int>(m_wLength, m_nBlockSize);
    return QByteArray(static_cast<const char*>(m_pValue), n);
}

QString CSnmpVarBind::GetOidText() const
{
    return m_kind == Kind::Text ? *static_cast<const QString*>(m_pValue) : QString();
}

void CSnmpVarBind::Serialize(kxsnmp::CArchive& ar)
{
    QDataStream& s = ar.Stream();
    if (ar.IsStoring()) {
        ar.WriteString(m_strOid);
        s << m_byType << m_wLength;
        if (IsIntegerType(m_byType)) {
            // 4 value bytes for a 4-byte value, else 8; a missing value is written as zero.
            const int n = m_wLength == 4 ? 4 : 8;
            std::uint8_t bytes[8] = {};
            if (m_kind == Kind::Block)
                std::memcpy(bytes, m_pValue, static_cast<std::size_t>(std::min(m_nBlockSize, n)));
            s.writeRawData(reinterpret_cast<const char*>(bytes), n);
        } else if (IsBlockType(m_byType)) {
            const QByteArray bytes = GetBytes();
            s.writeRawData(bytes.constData(), static_cast<int>(bytes.size()));
            // Pad a value shorter than its recorded length, so the archive stays readable.
            for (int i = static_cast<int>(bytes.size()); i < m_wLength; ++i)
                s << std::uint8_t(0);
        } else if (m_byType == KX_ASN_OBJECT_ID) {
            ar.WriteString(GetOidText());
        }
        return;
    }

    FreeValue();
    ar.ReadString(m_strOid);
    s >> m_byType >> m_wLength;
    if (!ar.IsOk())
        return;
    if (IsIntegerType(m_byType)) {
        const int n = m_wLength == 4 ? 4 : 8;
        std::uint8_t bytes[8] = {};
        if (s.readRawData(reinterpret_cast<char*>(bytes), n) != n) {
            ar.SetCorrupt();
            return;
        }
        SetBlock(bytes, n, n);
    } else if (IsBlockType(m_byType)) {
        if (!ar.Require(m_wLength))
            return;
        SetBlock(nullptr, 0, m_wLength + 1);
        if (m_wLength > 0 && s.readRawData(static_cast<char*>(m_pValue), m_wLength) != m_wLength) {
            FreeValue();
            ar.SetCorrupt();
        }
    } else if (m_byType == KX_ASN_OBJECT_ID) {
        QString strText;
        ar.ReadString(strText);
        if (!ar.IsOk())
            return;
        SetText(strText);
    }
}

void CSnmpVarBind::Release() { delete this; }
void CSnmpVarBind::Release(CSnmpVarBind* p) { delete p; }

// ---- CSnmpPdu ----

CSnmpPdu::CSnmpPdu() = default;
CSnmpPdu::~CSnmpPdu() { RemoveVarBinds(); }

CSnmpVarBind* CSnmpPdu::AddOid(const QString& strOid)
{
    // The list grows in blocks of 10 bindings.
    if (m_varBindList.size() == m_varBindList.capacity())
        m_varBindList.reserve(m_varBindList.size() + 10);
    m_varBindList.push_back(std::make_unique<CSnmpVarBind>(strOid));
    return m_varBindList.back().get();
}

CSnmpVarBind* CSnmpPdu::AddOid(const QString& strOid, std::uint32_t dwValue, std::uint8_t byType)
{
    CSnmpVarBind* p = AddOid(strOid);
    p->SetValue(dwValue, byType);
    return p;
}

CSnmpVarBind* CSnmpPdu::AddOid(const QString& strOid, std::int64_t llValue, std::uint8_t byType)
{
    CSnmpVarBind* p = AddOid(strOid);
    p->SetValue(llValue, byType);
    return p;
}

CSnmpVarBind* CSnmpPdu::AddOid(const QString& strOid, const QString& strValue, std::uint8_t byType)
{
    CSnmpVarBind* p = AddOid(strOid);
    p->SetValue(strValue, byType);
    return p;
}

CSnmpVarBind* CSnmpPdu::AddOid(const QString& strOid, const std::uint8_t* pbyValue, int nLength, std::uint8_t byType)
{
    CSnmpVarBind* p = AddOid(strOid);
    p->SetValue(pbyValue, nLength, byType);
    return p;
}

void CSnmpPdu::RemoveVarBinds()
{
    while (!m_varBindList.empty())
        m_varBindList.pop_back();
}

void CSnmpPdu::Serialize(kxsnmp::CArchive& ar)
{
    QDataStream& s = ar.Stream();
    if (ar.IsStoring()) {
        s << m_dwRequestId << m_dwErrorStatus << m_dwErrorIndex;
        s << static_cast<quint32>(m_varBindList.size());
        for (const auto& pVarBind : m_varBindList) {
            ar.WriteClass(&CSnmpVarBind::classCSnmpVarBind);
            pVarBind->Serialize(ar);
        }
        return;
    }

    quint32 nCount = 0;
    s >> m_dwRequestId >> m_dwErrorStatus >> m_dwErrorIndex >> nCount;
    if (!ar.IsOk())
        return;
    // Each object needs at least its 2-byte class tag: a larger count cannot be genuine.
    const qint64 nLeft = ar.BytesLeft();
    if (nLeft >= 0 && static_cast<qint64>(nCount) * 2 > nLeft) {
        ar.SetCorrupt();
        return;
    }
    for (quint32 i = 0; i < nCount && ar.IsOk(); ++i) {
        if (!ar.ReadClass(&CSnmpVarBind::classCSnmpVarBind))
            return;
        auto pVarBind = std::make_unique<CSnmpVarBind>();
        pVarBind->Serialize(ar);
        if (!ar.IsOk())
            return;
        m_varBindList.push_back(std::move(pVarBind));
    }
}

void CSnmpPdu::Release() { delete this; }
void CSnmpPdu::Release(CSnmpPdu* p) { delete p; }

// ---- CSnmpMsg (model part; the codec is in SnmpCodec.cpp) ----

CSnmpMsg::CSnmpMsg() : m_pPdu(std::make_unique<CSnmpPdu>()) {}

CSnmpMsg::CSnmpMsg(QObject* pOwner, const QString& strIpAddr, const QString& strCommunity, std::uint16_t wPduType)
    : m_hOwnerWnd(pOwner),
      m_pOwner(pOwner),
      m_strIpAddr(strIpAddr),
      m_strCommunity(strCommunity),
      m_wPduType(wPduType),
      m_pPdu(std::make_unique<CSnmpPdu>())
{
}

CSnmpMsg::~CSnmpMsg() = default;

void CSnmpMsg::SetIpAddr(const QString& strIpAddr) { m_strIpAddr = strIpAddr; }
void CSnmpMsg::SetSnmpCallback(SnmpCallback pfnCallback) { m_pfnCallback = pfnCallback; }

QByteArray CSnmpMsg::Packet() const
{
    const int n = std::clamp<int>(m_nPacketLength, 0, KX_SNMP_PACKET_SIZE);
    return QByteArray(reinterpret_cast<const char*>(m_byPacket), n);
}

void CSnmpMsg::Serialize(kxsnmp::CArchive& ar)
{
    QDataStream& s = ar.Stream();
    if (ar.IsStoring()) {
        ar.WriteString(m_strIpAddr);
        ar.WriteString(m_strCommunity);
        s << m_wPduType;
    } else {
        ar.ReadString(m_strIpAddr);
        ar.ReadString(m_strCommunity);
        s >> m_wPduType;
        if (!ar.IsOk())
            return;
    }
    m_pPdu->Serialize(ar);
}

void CSnmpMsg::Release() { delete this; }
void CSnmpMsg::Release(CSnmpMsg* p) { delete p; }
