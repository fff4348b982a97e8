// CGradientProgressCtrl: a progress bar filled with bands that run from a start colour to an end
// colour. Painted off-screen and copied to the window in one go; the background is not erased first.
// Colours are COLORREF values (0x00BBGGRR), as the pages give them.
#pragma once

#include <QColor>
#include <QImage>
#include <QProgressBar>

#include <cstdint>

class CGradientProgressCtrl : public QProgressBar {
    Q_OBJECT
public:
    explicit CGradientProgressCtrl(QWidget* parent = nullptr);

    static QColor FromColorRef(std::uint32_t clr);

    // Also makes the lower bound the position.
    void SetRange(int nLower, int nUpper);
    void SetPos(int nPos);
    int GetPos() const { return m_nPos; }
    void SetStep(int nStep) { m_nStep = nStep; }
    void SetStartColor(std::uint32_t clr) { m_clrStart = clr; update(); }
    void SetEndColor(std::uint32_t clr) { m_clrEnd = clr; update(); }
    void SetBkColor(const QColor& clr) { m_clrBk = clr; update(); }
    void SetTextColor(const QColor& clr) { m_clrText = clr; update(); }
    void ShowPercent(bool bShow) { m_bShowPercent = bShow; update(); }

    // The number of bands the colours give (the largest difference of one component).
    int BandCount() const;
    // The client area: the control less its one-pixel edge.
    QRect ClientRect() const;
    // The picture of a client area of size (what paintEvent copies to the window).
    QImage Render(const QSize& size) const;

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nStep = 10;
    int m_nPos = 0;
    std::uint32_t m_clrStart = 0x0000FF;
    std::uint32_t m_clrEnd = 0xFF0000;
    QColor m_clrBk;
    QColor m_clrText = Qt::white;
    bool m_bShowPercent = false;
};
