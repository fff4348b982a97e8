#include "pages/common/ResizeDlg.h"

#include "pages/common/Controls.h"

#include <QResizeEvent>
#include <QSizeGrip>

CResizeDlg::CResizeDlg(int nTemplate, QWidget* parent) : CPageDlg(nTemplate, parent) {}

void CResizeDlg::SetAnchors(const CResizeAnchor* pAnchors, int nCount)
{
    m_anchors.clear();
    for (int i = 0; pAnchors && i < nCount; ++i) {
        const CResizeAnchor& a = pAnchors[i];
        if (a.nPercent < 0 || a.nPercent > 100 || a.nMode < kMoveX || a.nMode > kSizeXY)
            continue;
        m_anchors.push_back(a);
    }
}

bool CResizeDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    // Resizable, never below the opening size; the grip shows where to drag.
    setSizeGripEnabled(false);
    m_sizeMin = size();
    m_sizeLast = size();
    setMinimumSize(m_sizeMin);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (!m_pGrip) {
        m_pGrip = new QSizeGrip(this);
        m_pGrip->resize(m_pGrip->sizeHint());
    }
    PlaceGrip();
    m_pGrip->show();
    return true;
}

void CResizeDlg::PlaceGrip()
{
    if (m_pGrip)
        m_pGrip->move(width() - m_pGrip->width(), height() - m_pGrip->height());
}

void CResizeDlg::resizeEvent(QResizeEvent* pEvent)
{
    CPageDlg::resizeEvent(pEvent);
    if (!IsInitialised())
        return;
    const bool bMinimised = isMinimized();
    const int dx = bMinimised ? 0 : width() - m_sizeLast.width();
    const int dy = bMinimised ? 0 : height() - m_sizeLast.height();
    for (const CResizeAnchor& a : m_anchors) {
        QWidget* pControl = FindControl<QWidget>(this, a.nId);
        if (!pControl || pControl == this)
            continue;
        QRect r = pControl->geometry();
        const int mx = dx * a.nPercent / 100;
        const int my = dy * a.nPercent / 100;
        switch (a.nMode) {
        case kMoveX: r.translate(mx, 0); break;
        case kMoveY: r.translate(0, my); break;
        case kMoveXY: r.translate(mx, my); break;
        case kSizeX: r.setWidth(r.width() + mx); break;
        case kSizeY: r.setHeight(r.height() + my); break;
        case kSizeXY: r.setSize(QSize(r.width() + mx, r.height() + my)); break;
        default: break;
        }
        pControl->setGeometry(r);
    }
    PlaceGrip();
    if (!bMinimised)
        m_sizeLast = size();
}
