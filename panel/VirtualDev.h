// The panel object tree: one small object per visible element of the switch front panel.
// Kinds are told apart by the class name each object reports (GetRuntimeClassName).
#pragma once

#include "panel/Dib.h"

#include <QObject>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QWidget;

class CStateObserver;

// The state a port, console-type object or panel publishes to the lamps and LEDs that watch it.
class CStateSubject {
public:
    CStateSubject() = default;
    CStateSubject(const CStateSubject&) = delete;
    CStateSubject& operator=(const CStateSubject&) = delete;
    ~CStateSubject();

    void Attach(CStateObserver* pObserver);
    void Detach(CStateObserver* pObserver);
    void SetState(int nState) { m_nState = nState; }
    int GetState() const { return m_nState; }
    void Notify(CStateObserver* pObserver);
    void NotifyAll();
    const std::vector<CStateObserver*>& GetObservers() const { return m_observers; }

private:
    std::vector<CStateObserver*> m_observers;  // not owned, in subscription order
    int m_nState = 0;
};

class CStateObserver {
public:
    CStateObserver() = default;
    CStateObserver(const CStateObserver&) = delete;
    CStateObserver& operator=(const CStateObserver&) = delete;
    virtual ~CStateObserver();
    virtual void Update() = 0;

    CStateSubject* m_pSubject = nullptr;  // the subject watched, none until attached
};

// Loads a panel picture from a plain file (relative to the working folder); false otherwise.
bool LoadPanelBitmap(CDib& dib, const QString& strName);

// Limit of the bitmap-name buffers: at most this many characters are kept.
inline constexpr int kMaxBmpName = 99;

class CVirtualDev {
public:
    CVirtualDev();
    CVirtualDev(const CVirtualDev&) = delete;
    CVirtualDev& operator=(const CVirtualDev&) = delete;
    virtual ~CVirtualDev();

    // Class name reported at run time; CVirtualDev and CPower report the root class's "CObject".
    virtual const char* GetRuntimeClassName() const { return "CObject"; }
    bool IsKindOf(const char* pszClassName) const;

    virtual void OnMouseMove(int x, int y);
    virtual void OnMouseAction(int x, int y);
    virtual void SetType(int nType);
    virtual bool LoadBitmap();
    virtual void Draw();
    virtual void OnClick(int x, int y);

    // The subject other objects may watch, or none; the observer part of a lamp or LED, or none.
    virtual CStateSubject* GetSubject() { return nullptr; }
    virtual CStateObserver* GetObserver() { return nullptr; }

    void AddChild(std::unique_ptr<CVirtualDev> pChild);
    CVirtualDev* GetChild(int nIndex) const;
    int GetChildCount() const { return static_cast<int>(m_children.size()); }
    bool SetChild(int nIndex, std::unique_ptr<CVirtualDev> pChild);
    bool ReplaceChild(const char* pszClassName, const QString& strID, std::unique_ptr<CVirtualDev> pChild);
    CVirtualDev* FindChild(const char* pszClassName, const QString& strID) const;
    CVirtualDev* FindNthChild(const char* pszClassName, int n) const;

    void AttachWindow(QWidget* pWnd);
    void SetDC(QPainter* pDC);
    void DrawChildren();
    void RedrawDirty();

    void SetStatus(int nStatus);
    int GetStatus() const { return m_nStatus; }
    bool IsDirty() const { return m_bDirty; }
    void ClearDirty() { m_bDirty = false; }

    void SetRect(int nLeft, int nTop, int nWidth, int nHeight);
    // The rectangle as described: top-left (left, top), size (width, height), so that the far edges
    // are left + width and top + height (QRect::right() is one less, as always with QRect).
    QRect GetRect() const;
    int GetLeft() const { return m_nLeft; }
    int GetTop() const { return m_nTop; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }

    // The object's rectangle on the host window's client area, and whether a point is over it
    // (strictly inside that rectangle shrunk by 2 pixels on every side).
    QRect GetScreenRect() const;
    bool IsOver(int x, int y) const;

    void SetID(const QString& strID) { m_strID = strID; }
    const QString& GetID() const { return m_strID; }
    void SetName(const QString& strName) { m_strName = strName; }
    const QString& GetName() const { return m_strName; }
    void SetBmpName(const QString& strName);
    const QString& GetBmpName() const { return m_pszBmpName; }

    QWidget* GetHostWnd() const { return m_pHostWnd; }
    QPainter* GetDC() const { return m_hDC; }
    const CDib& GetBitmap() const { return m_bitmap; }

protected:
    void SetHostCursor(bool bPanelCursor);

    std::vector<std::unique_ptr<CVirtualDev>> m_children;
    QString m_strID;
    QString m_strName;
    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nDesignWidth = 0;
    int m_nDesignHeight = 0;
    QRect m_rcClient;
    int m_nStatus = 0;
    bool m_bDirty = true;
    QPainter* m_hDC = nullptr;
    QWidget* m_pHostWnd = nullptr;
    QString m_pszBmpName;
    CDib m_bitmap;
};

// The root: filled from DEVICEPANEL, owned by the panel window.
class CDevModule : public CVirtualDev {
public:
    const char* GetRuntimeClassName() const override { return "CDevModule"; }
    void OnMouseMove(int x, int y) override;
    bool LoadBitmap() override { return true; }
    void Draw() override {}
    void OnClick(int x, int y) override;
    CStateSubject* GetSubject() override { return &m_subject; }

    CStateSubject m_subject;
};

class CPanel : public CVirtualDev {
public:
    const char* GetRuntimeClassName() const override { return "CPanel"; }
    CStateSubject* GetSubject() override { return &m_subject; }

    CStateSubject m_subject;
};

class CModule : public CVirtualDev {
public:
    const char* GetRuntimeClassName() const override { return "CModule"; }
    CStateSubject* GetSubject() override { return &m_subject; }
    // Every direct port goes to "enabled without link"; nested modules are reset the same way.
    void ResetPorts();

    CStateSubject m_subject;
};

using CModuleList = std::vector<std::unique_ptr<CModule>>;

class CSlot : public CVirtualDev {
public:
    const char* GetRuntimeClassName() const override { return "CSlot"; }
};

// Port states: 0 link below top speed, 1 link at top speed, 2 disabled, 3 enabled without link, 4 empty.
enum EPortState { PORT_LINK100 = 0, PORT_LINK10 = 1, PORT_DISABLED = 2, PORT_ENABLE = 3, PORT_EMPTY = 4 };

class CPort : public CVirtualDev {
public:
    CPort();
    const char* GetRuntimeClassName() const override { return "CPort"; }
    void OnMouseMove(int x, int y) override;
    bool LoadBitmap() override;
    void OnClick(int x, int y) override;
    CStateSubject* GetSubject() override { return &m_subject; }

    void SetPortBitmap(int nState, const QString& strName);
    QString GetPortBitmap(int nState) const;
    // Changes the port state, sets every subscribed lamp for it and reloads the port picture.
    void SetPortStatus(int nState);
    void SetPortNum(int nPortNum) { m_nPortNum = nPortNum; }
    int GetPortNum() const { return m_nPortNum; }

    // Called after the port-click announcement with the port number; opens the port page once set.
    using ClickHook = std::function<void(int nPortNum)>;
    static void SetClickHook(ClickHook hook);

    CStateSubject m_subject;

private:
    QString m_szPortBmp[5];
    int m_nPortNum = 0;  // 1-based position of the port among the ports of the description
};

class CCom : public CVirtualDev {
public:
    const char* GetRuntimeClassName() const override { return "CCom"; }
    void OnMouseMove(int x, int y) override;
    bool LoadBitmap() override;
    void OnClick(int x, int y) override;
    CStateSubject* GetSubject() override { return &m_subject; }

    CStateSubject m_subject;
    int m_nComData = 0;
};

class CPower : public CVirtualDev {
public:
    bool LoadBitmap() override;
    CStateSubject* GetSubject() override { return &m_subject; }

    CStateSubject m_subject;
};

// Lamp states: 0 on, 1 on in the second colour, 2 off. Kinds: 0 link, 1 speed, 2 power, 3 console.
enum ELampState { LAMP_ON = 0, LAMP_1G = 1, LAMP_OFF = 2 };
enum ELampType { LAMP_LINK = 0, LAMP_S100M = 1, LAMP_POWER = 2, LAMP_CONSOLE = 3 };

class CLamp : public CVirtualDev, public CStateObserver {
public:
    CLamp();
    const char* GetRuntimeClassName() const override { return "CLamp"; }
    void SetType(int nType) override { m_nType = nType; }
    bool LoadBitmap() override { return true; }
    void Draw() override {}  // the main window paints port lamps from the bitmap store
    CStateObserver* GetObserver() override { return this; }
    void Update() override;

    bool IsType(int nType) const { return m_nType == nType; }
    int GetType() const { return m_nType; }

    CVirtualDev* m_pOwner = nullptr;  // the element the lamp was described under

private:
    int m_nType = LAMP_LINK;
};

class CLed : public CVirtualDev, public CStateObserver {
public:
    CLed();
    const char* GetRuntimeClassName() const override { return "CLed"; }
    bool LoadBitmap() override;
    CStateObserver* GetObserver() override { return this; }
    void Update() override { Draw(); }

    void SetLedBitmap(int nValue, const QString& strName);
    QString GetLedBitmap(int nValue) const;
    void SetValue(int nValue);
    int GetValue() const { return m_nValue; }

private:
    int m_nValue = 0;
    QString m_szLedBmp[10];
};

// Main-window reset of the tree: the 1st to 48th direct ports become "enabled", the 49th to 52nd
// "empty", later ones are left alone; direct modules reset their own ports.
void ResetPanelPorts(CVirtualDev& root);

// The panel's port-click announcement, for the main window and outside listeners.
class CPortClickNotifier : public QObject {
    Q_OBJECT
public:
    static CPortClickNotifier& Instance();

signals:
    void portClicked(int nPortNum);
};
