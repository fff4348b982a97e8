// The main window's lamps: the pictures of the port, fan and mode lamps, their blinking, and painting
// them over the panel.
#include "app/ModuleDlg.h"

#include "core/Trace.h"
#include "panel/MyBitmapApp.h"

#include <QPainter>
#include <QTimer>

bool g_bBlinkPhase = false;

namespace {

// Lamp pictures of the bitmap store, in the order they are loaded.
constexpr int kBmpOverlay = 158;
constexpr int kBmpSteadyEven = 159;
constexpr int kBmpSteadyOdd = 160;
constexpr int kBmpLinkAEven = 161;
constexpr int kBmpLinkAOdd = 162;
constexpr int kBmpLinkBEven = 163;
constexpr int kBmpLinkBOdd = 164;
constexpr int kBmpWarning = 190;
constexpr int kBmpModeA = 191;
constexpr int kBmpModeB = 192;
constexpr int kLampBitmaps[] = {160, 159, 161, 162, 158, 163, 164, 190, 191, 192};

} // namespace

void CModuleDlg::LoadLampBitmaps()
{
    for (int nBitmap : kLampBitmaps)
        if (!m_pBitmapApp->AddBitmap(nBitmap))
            TRACE() << "lamp bitmap" << nBitmap << "could not be loaded";
}

void CModuleDlg::StartBlinkTimer()
{
    m_pBlinkTimer->start();
}

bool CModuleDlg::IsBlinkTimerActive() const
{
    return m_pBlinkTimer->isActive();
}

// ---------------------------------------------------------------------------------------------
// Painting

QPoint CModuleDlg::LampCorner(int nPortObject) const
{
    const CVirtualDev* pPort = m_root.FindNthChild("CPort", nPortObject);
    if (!pPort || pPort->GetChildCount() == 0)
        return QPoint(0, 0);
    return pPort->GetChild(0)->GetRect().topLeft();
}

void CModuleDlg::DrawBitmap(QPainter& dc, int nKey)
{
    // What the draw-bitmap message does: the store's picture at m_ptDraw.
    if (g_pMyBitmapApp)
        g_pMyBitmapApp->DrawCached(&dc, nKey, m_ptDraw.x(), m_ptDraw.y());
}

void CModuleDlg::OnTimer(int nId)
{
    if (nId != kBlinkTimerId)
        return;
    UpdateBlinkingLamps();
    g_bBlinkPhase = !g_bBlinkPhase;
}

void CModuleDlg::UpdateBlinkingLamps()
{
    // Only lamps that blink change between ticks; a panel without one repaints nothing.
    if (!g_pMyBitmapApp || !isVisible())
        return;
    QRegion region;
    const QPoint ptOffset = ClientRect().topLeft();
    for (int j = 0; j < m_nPortNum && j < kLedStates; ++j) {
        int nState, nMedia;
        {
            std::lock_guard lock(m_stateMutex);
            nState = m_byLedState[static_cast<std::size_t>(j)];
            nMedia = j < static_cast<int>(m_pPortMedia.size()) ? m_pPortMedia[static_cast<std::size_t>(j)] : 0;
        }
        if (nState != 0 && nState != 1)
            continue;
        const int nObject = (nMedia == 3 || nMedia == 4) ? j + m_nExtraPortNum : j;
        const QImage* pImage = g_pMyBitmapApp->Find(nState == 1 ? kBmpLinkAOdd : kBmpLinkBOdd);
        const QSize size = pImage ? pImage->size() : QSize(8, 8);
        region += QRect(LampCorner(nObject) + ptOffset, size);
    }
    if (!region.isEmpty())
        repaint(region);
}

void CModuleDlg::OnPaint(QPainter& dc)
{
    if (!m_bInitialised || !g_pMyBitmapApp)
        return;
    std::array<std::uint8_t, kLedStates> ledState;
    std::vector<int> media;
    QString strFan;
    {
        std::lock_guard lock(m_stateMutex);
        ledState = m_byLedState;
        media = m_pPortMedia;
        strFan = m_strFanState;
    }
    const auto draw = [&dc](int nKey, int x, int y) { g_pMyBitmapApp->DrawCached(&dc, nKey, x, y); };

    // Indicators by layout.
    switch (m_nPortNum) {
    case 24:
        draw(kBmpOverlay, 24, 25);
        break;
    case 16:
        draw(kBmpOverlay, 25, 26);
        break;
    case 48:
        draw(kBmpOverlay, 21, 27);
        if (strFan == QLatin1String("2"))
            draw(kBmpWarning, 55, 33);
        break;
    case 10:
        draw(kBmpOverlay, 12, 25);
        if (m_bLedPoeMode) {
            draw(kBmpModeA, 81, 42);
            draw(kBmpModeB, 81, 55);
        } else {
            draw(kBmpModeB, 81, 42);
            draw(kBmpModeA, 81, 55);
        }
        if (m_BIsPowMax)
            draw(kBmpWarning, 42, 38);
        break;
    default:
        if (m_strDeviceName == QLatin1String("TQF-8828P"))
            draw(kBmpOverlay, 25, 23);
        break;
    }

    // Fibre twins, steady.
    for (int i = m_nPortNum; i < m_nPortNum + m_nExtraPortNum; ++i) {
        m_ptDraw = LampCorner(i);
        if (m_nPortNum == 10)
            DrawBitmap(dc, kBmpSteadyEven);
        else
            DrawBitmap(dc, (i + 1) % 2 ? kBmpSteadyOdd : kBmpSteadyEven);
    }

    // Front ports: the steady picture, then the state's picture (on the twin when the link is there).
    for (int j = 0; j < m_nPortNum && j < kLedStates; ++j) {
        const int n = j + 1;
        const bool bOdd = n % 2 != 0;
        if (!m_root.FindNthChild("CPort", j))
            continue;  // a description with fewer ports than the settings say: nothing to draw on
        m_ptDraw = LampCorner(j);
        if (m_ptDraw.x() != 0)
            DrawBitmap(dc, bOdd ? kBmpSteadyOdd : kBmpSteadyEven);
        const int nMedia = j < static_cast<int>(media.size()) ? media[static_cast<std::size_t>(j)] : 0;
        if (nMedia == 3 || nMedia == 4) {
            m_ptDraw = LampCorner(j + m_nExtraPortNum);
            DrawBitmap(dc, bOdd ? kBmpSteadyOdd : kBmpSteadyEven);
        }
        switch (ledState[static_cast<std::size_t>(j)]) {
        case 2:
            DrawBitmap(dc, bOdd ? kBmpSteadyOdd : kBmpSteadyEven);
            break;
        case 1:
            if (!g_bBlinkPhase)
                DrawBitmap(dc, bOdd ? kBmpLinkAOdd : kBmpLinkAEven);
            break;
        case 0:
            if (g_bBlinkPhase)
                DrawBitmap(dc, bOdd ? kBmpLinkBOdd : kBmpLinkBEven);
            break;
        default:
            break;
        }
    }
}

