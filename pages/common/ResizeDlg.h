// CResizeDlg: a page whose controls sit at absolute positions and follow the window's size by an
// anchor table. Each row names a control, a mode and a percentage of the size change d applied as
// d * percentage / 100 (integer arithmetic):
//   0 moves it right by dx, 1 down by dy, 2 both, 3 widens it by dx, 4 makes it taller by dy,
//   5 widens it by dx and makes it taller by dy.
// The window cannot be made smaller than it was at opening; a size grip sits in the lower right
// corner.
#pragma once

#include "pages/common/PageDlg.h"

#include <QSize>

#include <vector>

class QSizeGrip;

struct CResizeAnchor {
    int nId;
    int nMode;
    int nPercent;
};

class CResizeDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int { kMoveX = 0, kMoveY = 1, kMoveXY = 2, kSizeX = 3, kSizeY = 4, kSizeXY = 5 };

    CResizeDlg(int nTemplate, QWidget* parent);

    // The anchor table; rows with a percentage outside 0..100 or an unknown mode are left out.
    void SetAnchors(const CResizeAnchor* pAnchors, int nCount);
    void SetAnchors(const std::vector<CResizeAnchor>& anchors) { SetAnchors(anchors.data(), static_cast<int>(anchors.size())); }

    bool OnInitDialog() override;

    QSizeGrip* SizeGrip() const { return m_pGrip; }
    QSize MinimumTrackSize() const { return m_sizeMin; }

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void PlaceGrip();

    std::vector<CResizeAnchor> m_anchors;
    QSizeGrip* m_pGrip = nullptr;
    QSize m_sizeMin;
    QSize m_sizeLast;
};
