#include "pages/maint/GradientProgressCtrl.h"

#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cstdlib>

namespace {

int Red(std::uint32_t c) { return static_cast<int>(c & 0xff); }
int Green(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xff); }
int Blue(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xff); }

} // namespace

CGradientProgressCtrl::CGradientProgressCtrl(QWidget* parent) : QProgressBar(parent)
{
    m_clrBk = palette().color(QPalette::Button);
    setAttribute(Qt::WA_OpaquePaintEvent);  // every pixel is painted: nothing to erase
    setTextVisible(false);
    QProgressBar::setRange(m_nLower, m_nUpper);
}

QColor CGradientProgressCtrl::FromColorRef(std::uint32_t clr)
{
    return QColor(Red(clr), Green(clr), Blue(clr));
}

void CGradientProgressCtrl::SetRange(int nLower, int nUpper)
{
    m_nLower = nLower;
    m_nUpper = nUpper;
    m_nPos = nLower;
    QProgressBar::setRange(nLower, std::max(nLower, nUpper));
    QProgressBar::setValue(nLower);
    update();
}

void CGradientProgressCtrl::SetPos(int nPos)
{
    m_nPos = nPos;
    QProgressBar::setValue(std::clamp(nPos, minimum(), maximum()));
    update();
}

int CGradientProgressCtrl::BandCount() const
{
    return std::max({std::abs(Red(m_clrEnd) - Red(m_clrStart)), std::abs(Green(m_clrEnd) - Green(m_clrStart)),
                     std::abs(Blue(m_clrEnd) - Blue(m_clrStart))});
}

QImage CGradientProgressCtrl::Render(const QSize& size) const
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int nWidth = size.width();
    const int nHeight = size.height();
    if (!(m_nLower < m_nPos && m_nPos < m_nUpper) || m_nUpper == 0) {
        painter.fillRect(0, 0, nWidth, nHeight, palette().color(QPalette::Button));
        return image;
    }
    const int nFilled = static_cast<int>(static_cast<double>(nWidth) * m_nPos / m_nUpper);
    // Equal colours still make one band of the start colour.
    const int nBands = std::max(1, BandCount());
    const double dBand = static_cast<double>(nWidth) / nBands;
    const double dRed = static_cast<double>(Red(m_clrEnd) - Red(m_clrStart)) / nBands;
    const double dGreen = static_cast<double>(Green(m_clrEnd) - Green(m_clrStart)) / nBands;
    const double dBlue = static_cast<double>(Blue(m_clrEnd) - Blue(m_clrStart)) / nBands;
    for (int i = 0; i < nBands; ++i) {
        const int nLeft = static_cast<int>(i * dBand);
        const int nRight = static_cast<int>((i + 1) * dBand);
        const QColor band(static_cast<int>(Red(m_clrStart) + i * dRed), static_cast<int>(Green(m_clrStart) + i * dGreen),
                          static_cast<int>(Blue(m_clrStart) + i * dBlue));
        painter.fillRect(nLeft, 0, nRight - nLeft, nHeight + 1, band);
        if (nRight > nFilled) {
            painter.fillRect(nFilled, 0, nWidth - nFilled, nHeight + 1, m_clrBk);
            break;
        }
    }
    if (m_bShowPercent) {
        painter.setPen(m_clrText);
        painter.drawText(QRect(0, 0, nWidth, nHeight), Qt::AlignCenter | Qt::TextSingleLine,
                         QString::asprintf("%.0f%%", m_nPos * 100.0 / m_nUpper));
    }
    return image;
}

QRect CGradientProgressCtrl::ClientRect() const
{
    return rect().adjusted(1, 1, -1, -1);
}

void CGradientProgressCtrl::paintEvent(QPaintEvent*)
{
    // The control's edge, then the client area's picture in one copy.
    const QRect client = ClientRect();
    const QImage image = Render(client.size());
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawImage(client.topLeft(), image);
}
