#include "panel/BitmapDialog.h"

#include "core/Trace.h"
#include "panel/PanelLoader.h"

#include <QAbstractButton>
#include <QChildEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>

#include <algorithm>
#include <exception>

CBitmapDialog::CBitmapDialog(QWidget* pParent) : QDialog(pParent)
{
    setMouseTracking(true);
}

CBitmapDialog::~CBitmapDialog() = default;

bool CBitmapDialog::SetBackground(int nResourceId, int nMode)
{
    m_nBkMode = nMode;
    const bool bOk = m_dibBackground.LoadResource(nResourceId);
    ApplyControlColors();
    update();
    return bOk;
}

QRect CBitmapDialog::ClientRect() const
{
    return rect().adjusted(0, FrameAllowance(), 0, 0);
}

int CBitmapDialog::FrameAllowance() const
{
    const auto* pMenu = findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
    if (!pMenu || pMenu->isHidden())
        return 0;
    return std::max(pMenu->height(), pMenu->sizeHint().height());
}

std::vector<QPoint> CBitmapDialog::TilePositions(const QSize& picture, const QSize& area)
{
    std::vector<QPoint> positions;
    if (picture.width() <= 0 || picture.height() <= 0)
        return positions;
    for (int y = 0; y < area.height(); y += picture.height())
        for (int x = 0; x < area.width(); x += picture.width())
            positions.emplace_back(x, y);
    return positions;
}

void CBitmapDialog::LoadPanel(const QString& strFileName)
{
    const int nAllowance = FrameAllowance();
    CPanelLoader loader;
    loader.Load(strFileName, &m_root, &m_modules);

    m_nBkMode = BK_STRETCH;
    try {
        if (!LoadPanelBitmap(m_dibBackground, m_root.GetBmpName()))
            TRACE() << "panel background" << m_root.GetBmpName() << "could not be loaded";
    } catch (const std::exception& e) {
        TRACE() << "panel background" << m_root.GetBmpName() << "could not be loaded:" << e.what();
        m_dibBackground.Clear();
    }

    // A description may ask for any size; the window stays within what a screen can show.
    const QRect rc = m_root.GetRect();
    const auto side = [](int n) { return std::clamp(n, 0, kMaxWindowSide); };
    if (rc.width() > kMaxWindowSide || rc.height() > kMaxWindowSide || rc.width() < 0 || rc.height() < 0)
        TRACE() << "panel size" << rc.width() << "x" << rc.height() << "is out of range, clamped";
    move(std::clamp(rc.left(), -kMaxWindowSide, kMaxWindowSide), std::clamp(rc.top(), -kMaxWindowSide, kMaxWindowSide));
    resize(side(rc.width()), side(rc.height()) + nAllowance);
    m_root.AttachWindow(this);
    ApplyControlColors();
    update();
}

void CBitmapDialog::ApplyControlColors()
{
    m_bApplyPending = false;
    if (!m_dibBackground.IsLoaded())
        return;
    const QList<QWidget*> controls = findChildren<QWidget*>();
    for (QWidget* pControl : controls) {
        if (qobject_cast<QSlider*>(pControl)) {
            // Track bars keep their default background: painted opaque, with the window colour.
            pControl->setAutoFillBackground(true);
            continue;
        }
        const bool bButton = qobject_cast<QAbstractButton*>(pControl) != nullptr;
        const bool bStatic = qobject_cast<QLabel*>(pControl) || qobject_cast<QGroupBox*>(pControl)
            || (qobject_cast<QFrame*>(pControl) && pControl->metaObject() == &QFrame::staticMetaObject);
        if (!bButton && !bStatic)
            continue;
        pControl->setAutoFillBackground(false);
        QPalette palette = pControl->palette();
        palette.setBrush(QPalette::Window, Qt::transparent);
        palette.setBrush(QPalette::Button, Qt::transparent);
        pControl->setPalette(palette);
    }
}

void CBitmapDialog::childEvent(QChildEvent* pEvent)
{
    QDialog::childEvent(pEvent);
    // A control is not complete when it is added: look at it once the event loop runs again.
    if (pEvent->added() && pEvent->child()->isWidgetType() && !m_bApplyPending) {
        m_bApplyPending = true;
        QMetaObject::invokeMethod(this, &CBitmapDialog::ApplyControlColors, Qt::QueuedConnection);
    }
}

void CBitmapDialog::paintEvent(QPaintEvent*)
{
    QPainter dc(this);
    const QRect rcClient = ClientRect();
    dc.translate(rcClient.topLeft());
    OnEraseBkgnd(dc);
    OnPaint(dc);
}

void CBitmapDialog::OnEraseBkgnd(QPainter& dc)
{
    const QSize client = ClientRect().size();
    const QRect area(QPoint(0, 0), client);
    if (!m_dibBackground.IsLoaded()) {
        dc.fillRect(area, palette().window());
        return;
    }
    switch (m_nBkMode) {
    case BK_STRETCH:
        m_dibBackground.Draw(&dc, 0, 0, client.width(), client.height());
        m_root.AttachWindow(this);
        m_root.SetDC(&dc);
        m_root.DrawChildren();
        // The painter lives only while the window paints; nothing may draw through it later.
        m_root.SetDC(nullptr);
        break;
    case BK_CENTER:
        dc.fillRect(area, palette().window());
        m_dibBackground.DrawAt(&dc, (client.width() - m_dibBackground.GetWidth()) / 2,
                               (client.height() - m_dibBackground.GetHeight()) / 2);
        break;
    default:
        for (const QPoint& pt : TilePositions(QSize(m_dibBackground.GetWidth(), m_dibBackground.GetHeight()), client))
            m_dibBackground.DrawAt(&dc, pt.x(), pt.y());
        break;
    }
}

void CBitmapDialog::OnPaint(QPainter&) {}

void CBitmapDialog::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() == Qt::LeftButton)
        OnLButtonDown(pEvent->position().toPoint() - ClientRect().topLeft());
    QDialog::mousePressEvent(pEvent);
}

void CBitmapDialog::mouseMoveEvent(QMouseEvent* pEvent)
{
    OnMouseMove(pEvent->position().toPoint() - ClientRect().topLeft());
    QDialog::mouseMoveEvent(pEvent);
}

void CBitmapDialog::OnLButtonDown(const QPoint& ptPanel)
{
    m_root.OnClick(ptPanel.x(), ptPanel.y());
}

void CBitmapDialog::OnMouseMove(const QPoint& ptPanel)
{
    m_root.OnMouseMove(ptPanel.x(), ptPanel.y());
}
