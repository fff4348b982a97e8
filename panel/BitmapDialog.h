// CBitmapDialog: the base of the main window. It owns the panel (background picture, object tree,
// module list), draws them whenever the background is erased, makes buttons and static controls
// transparent over the picture, and passes mouse moves and clicks to the tree.
#pragma once

#include "panel/Dib.h"
#include "panel/VirtualDev.h"
#include "snmp/Event.h"

#include <QDialog>
#include <QPoint>
#include <QRect>

#include <vector>

class QPainter;

class CBitmapDialog : public QDialog {
    Q_OBJECT
public:
    // Background modes: 1 stretched (set once the panel is loaded), 2 centred, anything else tiled.
    enum { BK_NONE = 0, BK_STRETCH = 1, BK_CENTER = 2, BK_TILE = 3 };

    // Largest window the panel description may ask for; larger sizes are clamped.
    static constexpr int kMaxWindowSide = 8192;

    explicit CBitmapDialog(QWidget* pParent = nullptr);
    ~CBitmapDialog() override;

    // Stores the mode and loads the background from the program bitmap of that number.
    bool SetBackground(int nResourceId, int nMode);
    // Loads the panel description into the tree, the background picture named by the root's BMP,
    // and sizes the window to the panel plus the frame allowance.
    void LoadPanel(const QString& strFileName);

    // The area the panel is drawn on: the window below its menu bar (when it has one), in window
    // coordinates. Points given to the tree are relative to its top-left corner.
    QRect ClientRect() const;
    // What the window adds to the panel's height: the menu bar (the window manager draws caption
    // and borders outside the window).
    int FrameAllowance() const;
    // Top-left corners at which a picture of the size given is drawn to tile an area from (0, 0).
    static std::vector<QPoint> TilePositions(const QSize& picture, const QSize& area);

    CDevModule& GetRoot() { return m_root; }
    CModuleList& GetModules() { return m_modules; }
    const CDib& GetBackground() const { return m_dibBackground; }
    int GetBkMode() const { return m_nBkMode; }
    Event& GetPollDone() { return m_hPollDone; }

    // Makes the buttons and static controls among the window's children transparent over the
    // picture (track bars keep their own background). Run after LoadPanel and when controls are added.
    void ApplyControlColors();

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void childEvent(QChildEvent* pEvent) override;

    // Erases the background into the painter (translated to the client area); then OnPaint draws on
    // top. Derived windows override OnPaint for what they paint over the panel.
    virtual void OnEraseBkgnd(QPainter& dc);
    virtual void OnPaint(QPainter& dc);
    virtual void OnLButtonDown(const QPoint& ptPanel);
    virtual void OnMouseMove(const QPoint& ptPanel);

    Event m_hPollDone{Event::Reset::Automatic, false};
    CDib m_dibBackground;
    CDevModule m_root;
    CModuleList m_modules;
    int m_nBkMode = BK_NONE;

private:
    bool m_bApplyPending = false;
};
