// Where the per-port controls of a page go, by port count: one cell per port, in lines of a fixed
// number of ports, and the size the page opens with. The pages with a control (or a column of
// controls) per port take their grid from here: the VLAN member boxes, the PVID edits, the trunk
// member boxes.
#pragma once

#include <QPoint>
#include <QSize>

struct CPortGrid {
    QSize window;        // the page's size at opening
    QPoint origin;       // top-left of port 1's cell
    int nPitchX = 0;     // from one cell to the next in a line
    int nPerLine = 0;    // ports per line
    int nLinePitch = 0;  // from one line to the next
    int nCellWidth = 0;  // width of the control in a cell

    // Top-left of port nPort's cell (1-based).
    QPoint Cell(int nPort) const;
    int Lines(int nPortNum) const;
};

// The VLAN member boxes: three boxes per port (tagged, untagged, not a member) under its number.
// A line of cells is one block of the three rows; nLinePitch leads from one block to the next.
// Boxes are 17 px wide, 11 px apart for 16 ports, 2 for 24, 29 for 10, none for 28, 48 and 52;
// 48 and 52 ports break after port 24 and 26.
CPortGrid VlanMemberGrid(int nPortNum);
// The vertical distance between the rows of one VLAN member block (number, tagged, untagged, none).
inline constexpr int kVlanMemberRowPitch = 20;

// The PVID edits: 40 x 20 with the port number above, lines 45 px apart, 8 ports a line for 16
// ports, 12 for 24 and 48, 14 for 28, 13 for 52, 10 ports in one line.
CPortGrid PvidGrid(int nPortNum);

// The trunk member boxes: 20 px wide under their numbers, the first at x = 55, 17 px apart plus 4 px
// for 16 ports and 25 px for 10; 48 and 52 ports break after port 24 and 26, 45 px lower.
CPortGrid TrunkMemberGrid(int nPortNum);
