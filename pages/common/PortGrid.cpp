#include "pages/common/PortGrid.h"

#include <algorithm>

QPoint CPortGrid::Cell(int nPort) const
{
    const int nIndex = std::max(nPort, 1) - 1;
    const int nPer = std::max(nPerLine, 1);
    return origin + QPoint(nIndex % nPer * nPitchX, nIndex / nPer * nLinePitch);
}

int CPortGrid::Lines(int nPortNum) const
{
    const int nPer = std::max(nPerLine, 1);
    return std::max(1, (std::max(nPortNum, 0) + nPer - 1) / nPer);
}

namespace {

// Ports per line where a long front panel breaks in two.
int HalfPanel(int nPortNum)
{
    if (nPortNum == 48)
        return 24;
    if (nPortNum == 52)
        return 26;
    return std::max(nPortNum, 1);
}

} // namespace

CPortGrid VlanMemberGrid(int nPortNum)
{
    int nGap = 0;
    switch (nPortNum) {
    case 16: nGap = 11; break;
    case 24: nGap = 2; break;
    case 10: nGap = 29; break;
    default: break;
    }
    CPortGrid grid;
    grid.nCellWidth = 17;
    grid.nPitchX = 17 + nGap;
    grid.nPerLine = HalfPanel(nPortNum);
    // A block holds the number and three rows of boxes; the next block starts 35 px below it.
    grid.nLinePitch = 4 * kVlanMemberRowPitch + 35;
    grid.origin = QPoint(80, 100);
    switch (nPortNum) {
    case 48: grid.window = QSize(530, 400); break;
    case 52: grid.window = QSize(550, 400); break;
    default: grid.window = QSize(570, 360); break;
    }
    return grid;
}

CPortGrid PvidGrid(int nPortNum)
{
    CPortGrid grid;
    grid.nCellWidth = 40;
    grid.nPitchX = 43;
    grid.nLinePitch = 45;
    grid.origin = QPoint(20, 40);
    switch (nPortNum) {
    case 16: grid.nPerLine = 8; break;
    case 24: case 48: grid.nPerLine = 12; break;
    case 28: grid.nPerLine = 14; break;
    case 52: grid.nPerLine = 13; break;
    case 10: grid.nPerLine = 10; break;
    default: grid.nPerLine = std::clamp(nPortNum, 1, 12); break;
    }
    switch (nPortNum) {
    case 48: grid.window = QSize(545, 345); break;
    case 24: grid.window = QSize(545, 255); break;
    case 10: grid.window = QSize(460, 255); break;
    case 28: grid.window = QSize(625, 255); break;
    case 52: grid.window = QSize(585, 345); break;
    default: grid.window = QSize(545, 255); break;
    }
    return grid;
}

CPortGrid TrunkMemberGrid(int nPortNum)
{
    int nGap = 0;
    if (nPortNum == 16)
        nGap = 4;
    else if (nPortNum == 10)
        nGap = 25;
    CPortGrid grid;
    grid.nCellWidth = 20;
    grid.nPitchX = 17 + nGap;
    grid.nPerLine = HalfPanel(nPortNum);
    grid.nLinePitch = 45;
    grid.origin = QPoint(55, 95);
    switch (nPortNum) {
    case 16: grid.window = QSize(447, 275); break;
    case 10: grid.window = QSize(520, 275); break;
    case 24: grid.window = QSize(550, 275); break;
    case 48: grid.window = QSize(520, 330); break;
    case 52: grid.window = QSize(560, 330); break;
    case 28: grid.window = QSize(580, 275); break;
    default: grid.window = QSize(550, 275); break;
    }
    return grid;
}
