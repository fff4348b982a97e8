#include "panel/VirtualDev.h"

#include "core/Settings.h"
#include "core/Trace.h"
#include "panel/BitmapDialog.h"
#include "panel/Launcher.h"
#include "panel/MyBitmapApp.h"

#include <QCursor>
#include <QFileInfo>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <mutex>

// ---------------------------------------------------------------------------------------------
// Subject and observer. Each side forgets the other when destroyed, so a lamp replaced or
// destroyed before its port (or a port destroyed before its lamps) leaves no dangling pointer.

CStateSubject::~CStateSubject()
{
    for (CStateObserver* pObserver : m_observers)
        if (pObserver->m_pSubject == this)
            pObserver->m_pSubject = nullptr;
}

void CStateSubject::Attach(CStateObserver* pObserver)
{
    if (!pObserver)
        return;
    if (pObserver->m_pSubject && pObserver->m_pSubject != this)
        pObserver->m_pSubject->Detach(pObserver);
    pObserver->m_pSubject = this;
    m_observers.push_back(pObserver);
}

void CStateSubject::Detach(CStateObserver* pObserver)
{
    std::erase(m_observers, pObserver);
    if (pObserver && pObserver->m_pSubject == this)
        pObserver->m_pSubject = nullptr;
}

void CStateSubject::Notify(CStateObserver* pObserver)
{
    if (pObserver)
        pObserver->Update();
}

void CStateSubject::NotifyAll()
{
    // Copy: an observer's Update may not change the list, but stay safe if it does.
    const std::vector<CStateObserver*> observers = m_observers;
    for (CStateObserver* pObserver : observers)
        pObserver->Update();
}

CStateObserver::~CStateObserver()
{
    if (m_pSubject)
        m_pSubject->Detach(this);
}

// ---------------------------------------------------------------------------------------------
// CVirtualDev

CVirtualDev::CVirtualDev() : m_strName(QStringLiteral("VirtualDev")) {}

CVirtualDev::~CVirtualDev() = default;

bool CVirtualDev::IsKindOf(const char* pszClassName) const
{
    return pszClassName && std::strcmp(GetRuntimeClassName(), pszClassName) == 0;
}

void CVirtualDev::SetHostCursor(bool bPanelCursor)
{
    if (!m_pHostWnd)
        return;
    if (!bPanelCursor) {
        m_pHostWnd->setCursor(Qt::ArrowCursor);
        return;
    }
    static const QCursor cursor = PanelCursor();
    m_pHostWnd->setCursor(cursor);
}

void CVirtualDev::OnMouseMove(int x, int y)
{
    if (IsOver(x, y))
        SetHostCursor(false);
}

void CVirtualDev::OnMouseAction(int, int) {}

void CVirtualDev::SetType(int) {}

bool LoadPanelBitmap(CDib& dib, const QString& strName)
{
    // Only plain files: a description naming a device or a pipe must not block or stream forever.
    if (strName.isEmpty() || !QFileInfo(strName).isFile())
        return false;
    return dib.Load(strName);
}

bool CVirtualDev::LoadBitmap()
{
    return LoadPanelBitmap(m_bitmap, m_pszBmpName);
}

void CVirtualDev::Draw()
{
    if (!m_hDC)
        return;
    const QRect rc = GetRect();  // clamped: a hostile size must not overflow the drawing arithmetic
    m_bitmap.Draw(m_hDC, rc.x(), rc.y(), rc.width(), rc.height());
}

void CVirtualDev::OnClick(int, int) {}

void CVirtualDev::AddChild(std::unique_ptr<CVirtualDev> pChild)
{
    if (pChild)
        m_children.push_back(std::move(pChild));
}

CVirtualDev* CVirtualDev::GetChild(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetChildCount())
        return nullptr;
    return m_children[static_cast<std::size_t>(nIndex)].get();
}

bool CVirtualDev::SetChild(int nIndex, std::unique_ptr<CVirtualDev> pChild)
{
    if (nIndex < 0 || nIndex >= GetChildCount() || !pChild)
        return false;
    m_children[static_cast<std::size_t>(nIndex)] = std::move(pChild);
    return true;
}

bool CVirtualDev::ReplaceChild(const char* pszClassName, const QString& strID, std::unique_ptr<CVirtualDev> pChild)
{
    if (!pChild)
        return false;
    for (int i = 0; i < GetChildCount(); ++i) {
        const CVirtualDev* pOld = GetChild(i);
        if (pOld->IsKindOf(pszClassName) && pOld->m_strID == strID) {
            pChild->SetRect(pOld->m_nLeft, pOld->m_nTop, pOld->m_nWidth, pOld->m_nHeight);
            return SetChild(i, std::move(pChild));
        }
    }
    return false;
}

CVirtualDev* CVirtualDev::FindChild(const char* pszClassName, const QString& strID) const
{
    for (const auto& pChild : m_children)
        if (pChild->IsKindOf(pszClassName) && pChild->m_strID == strID)
            return pChild.get();
    return nullptr;
}

CVirtualDev* CVirtualDev::FindNthChild(const char* pszClassName, int n) const
{
    if (n < 0)
        return nullptr;
    for (const auto& pChild : m_children)
        if (pChild->IsKindOf(pszClassName) && n-- == 0)
            return pChild.get();
    return nullptr;
}

void CVirtualDev::AttachWindow(QWidget* pWnd)
{
    m_pHostWnd = pWnd;
    QSize size;
    if (const auto* pDialog = qobject_cast<const CBitmapDialog*>(pWnd))
        size = pDialog->ClientRect().size();
    else if (pWnd)
        size = pWnd->size();
    m_rcClient = QRect(QPoint(0, 0), size);
    m_nDesignWidth = size.width();
    m_nDesignHeight = size.height();
    for (const auto& pChild : m_children)
        pChild->AttachWindow(pWnd);
}

void CVirtualDev::SetDC(QPainter* pDC)
{
    m_hDC = pDC;
    for (const auto& pChild : m_children)
        pChild->SetDC(pDC);
}

void CVirtualDev::DrawChildren()
{
    for (const auto& pChild : m_children) {
        pChild->Draw();
        pChild->m_bDirty = false;
    }
}

void CVirtualDev::RedrawDirty()
{
    for (const auto& pChild : m_children) {
        if (pChild->m_bDirty) {
            pChild->Draw();
            pChild->m_bDirty = false;
        }
        pChild->DrawChildren();
    }
}

void CVirtualDev::SetStatus(int nStatus)
{
    if (nStatus != m_nStatus) {
        m_nStatus = nStatus;
        m_bDirty = true;
    }
}

void CVirtualDev::SetRect(int nLeft, int nTop, int nWidth, int nHeight)
{
    m_nLeft = nLeft;
    m_nTop = nTop;
    m_nWidth = nWidth;
    m_nHeight = nHeight;
}

namespace {

// A QRect from any four ints: QRect keeps left + width - 1, which must not overflow, so the values
// of a hostile description are clamped to a quarter of the int range.
constexpr long long kRectLimit = INT_MAX / 4;

QRect SafeRect(long long l, long long t, long long w, long long h)
{
    const auto c = [](long long v) { return static_cast<int>(std::clamp(v, -kRectLimit, kRectLimit)); };
    return QRect(c(l), c(t), c(w), c(h));
}

long long Scale(int a, int b, int c)
{
    return static_cast<long long>(a) * b / c;
}

}  // namespace

QRect CVirtualDev::GetRect() const
{
    return SafeRect(m_nLeft, m_nTop, m_nWidth, m_nHeight);
}

QRect CVirtualDev::GetScreenRect() const
{
    // Before the tree is attached to a window (or on a window of no size) the panel pixels are
    // taken as they are, rather than dividing by zero.
    if (m_nDesignWidth <= 0 || m_nDesignHeight <= 0)
        return GetRect();
    const int cx = m_rcClient.width();
    const int cy = m_rcClient.height();
    return SafeRect(Scale(cx, m_nLeft, m_nDesignWidth), Scale(cy, m_nTop, m_nDesignHeight),
                    Scale(cx, m_nWidth, m_nDesignWidth), Scale(cy, m_nHeight, m_nDesignHeight));
}

bool CVirtualDev::IsOver(int x, int y) const
{
    const QRect rc = GetScreenRect();
    const long long l = rc.x(), t = rc.y(), w = rc.width(), h = rc.height();
    return l + 2 < x && x < l + w - 2 && t + 2 < y && y < t + h - 2;
}

void CVirtualDev::SetBmpName(const QString& strName)
{
    m_pszBmpName = strName.left(kMaxBmpName);
}

// ---------------------------------------------------------------------------------------------
// The root passes mouse moves and clicks to its direct children.

void CDevModule::OnMouseMove(int x, int y)
{
    for (const auto& pChild : m_children)
        pChild->OnMouseMove(x, y);
}

void CDevModule::OnClick(int x, int y)
{
    for (const auto& pChild : m_children)
        pChild->OnClick(x, y);
}

void CModule::ResetPorts()
{
    for (const auto& pChild : m_children) {
        if (pChild->IsKindOf("CPort"))
            static_cast<CPort*>(pChild.get())->SetPortStatus(PORT_ENABLE);
        else if (pChild->IsKindOf("CModule"))
            static_cast<CModule*>(pChild.get())->ResetPorts();
    }
}

// ---------------------------------------------------------------------------------------------
// CPort

namespace {

std::mutex g_clickHookMutex;
CPort::ClickHook g_clickHook;

}  // namespace

// A port without STATUS starts "enabled without link", the state the main window's reset gives.
CPort::CPort()
{
    m_nStatus = PORT_ENABLE;
}

void CPort::SetClickHook(ClickHook hook)
{
    std::lock_guard lock(g_clickHookMutex);
    g_clickHook = std::move(hook);
}

void CPort::OnMouseMove(int x, int y)
{
    if (IsOver(x, y))
        SetHostCursor(true);
}

void CPort::OnClick(int x, int y)
{
    if (!IsOver(x, y))
        return;
    emit CPortClickNotifier::Instance().portClicked(m_nPortNum);
    ClickHook hook;
    {
        std::lock_guard lock(g_clickHookMutex);
        hook = g_clickHook;
    }
    if (hook)
        hook(m_nPortNum);
}

bool CPort::LoadBitmap()
{
    if (m_nStatus >= 0 && m_nStatus <= 4) {
        if (!LoadPanelBitmap(m_bitmap, m_szPortBmp[m_nStatus]))
            return false;
    }
    m_subject.SetState(m_nStatus);
    return true;
}

void CPort::SetPortBitmap(int nState, const QString& strName)
{
    if (nState >= 0 && nState <= 4)
        m_szPortBmp[nState] = strName.left(kMaxBmpName);
}

QString CPort::GetPortBitmap(int nState) const
{
    return nState >= 0 && nState <= 4 ? m_szPortBmp[nState] : QString();
}

void CPort::SetPortStatus(int nState)
{
    if (nState == m_nStatus)
        return;
    SetStatus(nState);
    const std::vector<CStateObserver*> observers = m_subject.GetObservers();
    for (CStateObserver* pObserver : observers) {
        const auto* pLamp = dynamic_cast<const CLamp*>(pObserver);
        const bool bLinkOrSpeed = pLamp && (pLamp->IsType(LAMP_S100M) || pLamp->IsType(LAMP_LINK));
        int nLamp = LAMP_OFF;
        if (nState == PORT_LINK100 && bLinkOrSpeed)
            nLamp = LAMP_ON;
        else if (nState == PORT_LINK10 && bLinkOrSpeed)
            nLamp = LAMP_1G;
        m_subject.SetState(nLamp);
        m_subject.Notify(pObserver);
    }
    LoadBitmap();
}

// ---------------------------------------------------------------------------------------------
// Console-type objects: the console port (Telnet on click), master, redundant power, fan.

void CCom::OnMouseMove(int x, int y)
{
    if (IsOver(x, y))
        SetHostCursor(true);
}

bool CCom::LoadBitmap()
{
    m_subject.SetState(m_nStatus);
    m_subject.NotifyAll();
    return true;
}

void CCom::OnClick(int x, int y)
{
    if (!IsOver(x, y))
        return;
    if (!CLauncher::Telnet(g_strDeviceIP))
        TRACE() << "Telnet could not be started";
}

bool CPower::LoadBitmap()
{
    m_subject.SetState(m_nStatus);
    m_subject.NotifyAll();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Lamps and LEDs

// A lamp without STATUS starts off.
CLamp::CLamp()
{
    m_strName = QStringLiteral("Lamp");
    m_nStatus = LAMP_OFF;
}

void CLamp::Update()
{
    if (!m_pSubject)
        return;
    const int nState = m_pSubject->GetState();
    SetStatus(nState == 0 ? LAMP_ON : nState == 1 ? LAMP_1G : LAMP_OFF);
    Draw();
}

CLed::CLed()
{
    m_strName = QStringLiteral("Led");
}

bool CLed::LoadBitmap()
{
    if (m_nValue < 0 || m_nValue > 9)
        return true;
    return LoadPanelBitmap(m_bitmap, m_szLedBmp[m_nValue]);
}

void CLed::SetLedBitmap(int nValue, const QString& strName)
{
    if (nValue >= 0 && nValue <= 9)
        m_szLedBmp[nValue] = strName.left(kMaxBmpName);
}

QString CLed::GetLedBitmap(int nValue) const
{
    return nValue >= 0 && nValue <= 9 ? m_szLedBmp[nValue] : QString();
}

void CLed::SetValue(int nValue)
{
    m_nValue = nValue;
    LoadBitmap();
}

// ---------------------------------------------------------------------------------------------

void ResetPanelPorts(CVirtualDev& root)
{
    int nPorts = 0;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        CVirtualDev* pChild = root.GetChild(i);
        if (pChild->IsKindOf("CPort")) {
            ++nPorts;
            if (nPorts <= 48)
                static_cast<CPort*>(pChild)->SetPortStatus(PORT_ENABLE);
            else if (nPorts <= 52)
                static_cast<CPort*>(pChild)->SetPortStatus(PORT_EMPTY);
        } else if (pChild->IsKindOf("CModule")) {
            static_cast<CModule*>(pChild)->ResetPorts();
        }
    }
}

CPortClickNotifier& CPortClickNotifier::Instance()
{
    static CPortClickNotifier notifier;
    return notifier;
}
