// tqx-art: draws the program bitmaps and every model kit (front-panel background, port pictures,
// panel description, User.ini) and writes the bitmaps through the module's own bitmap writer.
// The panel description is written from the same geometry the pictures are drawn with, so every
// port and lamp object lies exactly over its picture. Output is deterministic: no system fonts
// (a built-in pixel font), no antialiasing, no randomness beyond a fixed hash.
//
//   tqx-art [--preview DIR] OUTROOT
// writes OUTROOT/panel/bitmaps/*.bmp and OUTROOT/models/<MODEL>/*; with --preview also a PNG per
// model showing the panel as the module paints it (ports in mixed states, lamps lit).

#include "panel/Dib.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <map>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Colours

const QRgb kMetal = qRgb(58, 62, 68);
const QRgb kMetalHi = qRgb(96, 101, 108);
const QRgb kMetalLo = qRgb(30, 32, 36);
const QRgb kRecess = qRgb(22, 23, 25);
const QRgb kRecessHi = qRgb(84, 88, 95);
const QRgb kRecessLo = qRgb(12, 12, 14);
const QRgb kInk = qRgb(214, 218, 222);
const QRgb kInkDim = qRgb(150, 155, 162);
const QRgb kShield = qRgb(162, 165, 170);
const QRgb kShieldLo = qRgb(112, 115, 120);
const QRgb kCavity = qRgb(14, 14, 16);
const QRgb kGold = qRgb(206, 172, 64);
const QRgb kLampOff = qRgb(34, 40, 35);
const QRgb kMagenta = qRgb(255, 0, 255);

std::uint32_t Hash(std::uint32_t v)
{
    v ^= v >> 16;
    v *= 0x7feb352dU;
    v ^= v >> 15;
    v *= 0x846ca68bU;
    v ^= v >> 16;
    return v;
}

QRgb Shade(QRgb c, int d)
{
    auto clamp = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
    return qRgb(clamp(qRed(c) + d), clamp(qGreen(c) + d), clamp(qBlue(c) + d));
}

// ---------------------------------------------------------------------------------------------
// A 5 x 7 pixel font, so that the pictures do not depend on the fonts installed.

struct Glyph
{
    char ch;
    const char* rows[7];
};

const Glyph kFont[] = {
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "}},
    {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
    {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
    {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "}},
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
    {'C', {" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'G', {" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'I', {" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'J', {"  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
    {'N', {"#   #", "#   #", "##  #", "# # #", "#  ##", "#   #", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
    {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "}},
    {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
    {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
    {'-', {"     ", "     ", "     ", " ### ", "     ", "     ", "     "}},
    {'/', {"    #", "    #", "   # ", "  #  ", " #   ", "#    ", "#    "}},
    {'.', {"     ", "     ", "     ", "     ", "     ", "     ", "  #  "}},
    {'+', {"     ", "  #  ", "  #  ", "#####", "  #  ", "  #  ", "     "}},
};

const Glyph* FindGlyph(char ch)
{
    for (const Glyph& g : kFont)
        if (g.ch == ch)
            return &g;
    return nullptr;
}

int TextWidth(const QString& text, int scale = 1)
{
    return text.isEmpty() ? 0 : (int(text.size()) * 6 - 1) * scale;
}

void DrawText(QImage& img, int x, int y, const QString& text, QRgb colour, int scale = 1)
{
    for (const QChar qc : text) {
        if (const Glyph* g = FindGlyph(char(qc.toLatin1()))) {
            for (int r = 0; r < 7; ++r)
                for (int c = 0; c < 5; ++c)
                    if (g->rows[r][c] == '#')
                        for (int dy = 0; dy < scale; ++dy)
                            for (int dx = 0; dx < scale; ++dx) {
                                const int px = x + c * scale + dx, py = y + r * scale + dy;
                                if (img.rect().contains(px, py))
                                    img.setPixel(px, py, colour);
                            }
        }
        x += 6 * scale;
    }
}

void DrawTextCentred(QImage& img, int cx, int y, const QString& text, QRgb colour, int scale = 1)
{
    DrawText(img, cx - TextWidth(text, scale) / 2, y, text, colour, scale);
}

void Fill(QImage& img, const QRect& r, QRgb c)
{
    const QRect clipped = r.intersected(img.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            img.setPixel(x, y, c);
}

// A 1-pixel bevel: light on the top and left edges, dark on the bottom and right (or the reverse).
void Bevel(QImage& img, const QRect& r, QRgb topLeft, QRgb bottomRight)
{
    Fill(img, QRect(r.left(), r.top(), r.width(), 1), topLeft);
    Fill(img, QRect(r.left(), r.top(), 1, r.height()), topLeft);
    Fill(img, QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    Fill(img, QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

void Blit(QImage& dst, const QImage& src, int x, int y)
{
    QPainter p(&dst);
    p.drawImage(QPoint(x, y), src);
}

QImage Blank(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

QImage FromRows(const std::vector<std::vector<QRgb>>& rows)
{
    QImage img(int(rows.front().size()), int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, rows[std::size_t(y)][std::size_t(x)]);
    return img;
}

// ---------------------------------------------------------------------------------------------
// Lamps and indicators

// A lamp of w x 4 pixels lit in colour c; the highlight sits on the top row for the top port row
// (odd numbers) and on the bottom row for the bottom port row (even numbers).
QImage Lamp(int w, int h, QRgb c, bool highlightTop, bool lit)
{
    QImage img = Blank(w, h, c);
    for (int y = 0; y < h; ++y) {
        const int fromHi = highlightTop ? y : h - 1 - y;
        const int d = lit ? (fromHi == 0 ? 70 : -18 * (fromHi - 1)) : (fromHi == 0 ? 18 : -4 * fromHi);
        for (int x = 0; x < w; ++x) {
            const int edge = (x == 0 || x == w - 1) ? (lit ? -40 : -6) : 0;
            img.setPixel(x, y, Shade(c, d + edge));
        }
    }
    return img;
}

// A round indicator lens of w x h: rim in the panel's recess colour, lit or dark core.
QImage Indicator(int w, int h, QRgb core, bool lit)
{
    QImage img = Blank(w, h, kRecessLo);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool corner = (x == 0 || x == w - 1) && (y == 0 || y == h - 1);
            if (corner)
                continue;
            int d = 0;
            if (lit)
                d = (y == 1 && x >= 1 && x <= 2) ? 90 : -10 * (y * 2 / h) - ((x == 0 || x == w - 1) ? 30 : 0);
            else
                d = (y == 1 && x == 1) ? 20 : -3 * y;
            img.setPixel(x, y, Shade(core, d));
        }
    return img;
}

const QRgb kGreen = qRgb(52, 214, 60);
const QRgb kAmber = qRgb(246, 166, 32);
const QRgb kRed = qRgb(236, 62, 36);
const QRgb kIndicatorOff = qRgb(44, 52, 46);

// ---------------------------------------------------------------------------------------------
// Port pictures

enum PortState { kLink100 = 0, kLink10 = 1, kDisable = 2, kEnable = 3, kEmpty = 4 };
const char* const kStateFile[5] = {"link100", "link10", "disable", "enable", "empty"};

constexpr int kJackW = 22, kJackH = 18;
constexpr int kSfpW = 24, kSfpH = 18;
constexpr int kLampW = 6, kLampH = 4;

QImage FlipVertical(const QImage& img)
{
    return img.mirrored(false, true);
}

void DrawCross(QImage& img, const QRect& r, QRgb c)
{
    const int n = std::min(r.width(), r.height());
    for (int i = 0; i < n; ++i) {
        const int x0 = r.left() + i * r.width() / n;
        const int y0 = r.top() + i;
        for (int k = 0; k < 2; ++k) {
            Fill(img, QRect(x0 + k, r.top() + (y0 - r.top()), 1, 1), c);
            Fill(img, QRect(r.right() - (x0 - r.left()) - k, y0, 1, 1), c);
        }
    }
}

// RJ-45 jack drawn for the top row (latch notch up, lamps in the top corners); the bottom row uses
// the vertical mirror image.
QImage Jack(PortState state)
{
    QImage img = Blank(kJackW, kJackH, kShield);
    Bevel(img, img.rect(), Shade(kShield, 30), kShieldLo);
    // Lamp windows in the top corners.
    Fill(img, QRect(1, 1, kLampW, kLampH), kLampOff);
    Fill(img, QRect(kJackW - 1 - kLampW, 1, kLampW, kLampH), kLampOff);
    const QRect body(3, 6, 16, 10);
    const QRect notch(8, 2, 6, 4);
    Fill(img, QRect(body.left() - 1, body.top() - 1, body.width() + 2, body.height() + 2), kShieldLo);
    Fill(img, QRect(notch.left() - 1, notch.top(), notch.width() + 2, notch.height()), kShieldLo);
    Fill(img, body, kCavity);
    Fill(img, notch, kCavity);
    // Contact springs at the far side of the cavity.
    for (int i = 0; i < 8; ++i)
        Fill(img, QRect(body.left() + 1 + 2 * i, body.bottom() - 2, 1, 3), kGold);

    switch (state) {
    case kLink100:
    case kLink10: {
        // A plug seated in the jack: clear plastic body, its latch in the notch, the cable colour
        // showing through the middle, contacts at the front.
        const QRgb plastic = qRgb(188, 194, 198);
        const QRgb cable = state == kLink10 ? qRgb(56, 108, 196) : qRgb(128, 132, 136);
        Fill(img, QRect(body.left() + 1, body.top() + 1, body.width() - 2, body.height() - 1), plastic);
        Fill(img, QRect(notch.left() + 1, notch.top() + 1, notch.width() - 2, notch.height()), Shade(plastic, -22));
        Fill(img, QRect(body.left() + 4, body.top() + 2, body.width() - 8, 4), cable);
        for (int i = 0; i < 8; ++i)
            Fill(img, QRect(body.left() + 1 + 2 * i, body.bottom() - 1, 1, 2), kGold);
        Fill(img, QRect(body.left() + 1, body.top() + 1, body.width() - 2, 1), Shade(plastic, 30));
        break;
    }
    case kDisable:
        DrawCross(img, QRect(body.left() + 2, body.top() + 1, body.width() - 4, body.height() - 2), kRed);
        break;
    case kEmpty: {
        // A dust cap over the opening.
        const QRgb cap = qRgb(40, 41, 45);
        Fill(img, QRect(body.left() - 1, body.top() - 1, body.width() + 2, body.height() + 2), cap);
        Fill(img, QRect(notch.left() - 1, notch.top(), notch.width() + 2, notch.height()), cap);
        Bevel(img, QRect(body.left() - 1, body.top() - 1, body.width() + 2, body.height() + 2), Shade(cap, 22), Shade(cap, -14));
        Fill(img, QRect(body.left() + 5, body.top() + 3, body.width() - 10, 3), Shade(cap, 14));
        break;
    }
    case kEnable:
        break;
    }
    return img;
}

// SFP cage drawn for the top row (lamp strip above the cage); the bottom row uses the mirror image.
QImage Sfp(PortState state)
{
    QImage img = Blank(kSfpW, kSfpH, kRecess);
    Fill(img, QRect(2, 0, kLampW, kLampH), kLampOff);
    const QRect cage(0, 5, kSfpW, kSfpH - 5);
    const QRgb steel = qRgb(176, 179, 184);
    Fill(img, cage, steel);
    Bevel(img, cage, Shade(steel, 32), Shade(steel, -60));
    // Spring fingers along the cage's upper edge.
    for (int x = 2; x < kSfpW - 2; x += 3)
        Fill(img, QRect(x, cage.top() + 1, 2, 1), Shade(steel, -34));
    const QRect opening(2, cage.top() + 3, kSfpW - 4, cage.height() - 5);
    Fill(img, opening, kCavity);

    switch (state) {
    case kLink100:
    case kLink10: {
        // A transceiver with a duplex LC connector and its bail latch.
        const QRgb module = qRgb(200, 202, 206);
        Fill(img, opening, module);
        Bevel(img, opening, Shade(module, 26), Shade(module, -50));
        const QRgb lc = state == kLink10 ? qRgb(58, 196, 206) : qRgb(214, 204, 168);
        Fill(img, QRect(opening.left() + 3, opening.top() + 2, 6, opening.height() - 3), lc);
        Fill(img, QRect(opening.right() - 8, opening.top() + 2, 6, opening.height() - 3), lc);
        Fill(img, QRect(opening.left() + 5, opening.top() + 3, 2, 2), kCavity);
        Fill(img, QRect(opening.right() - 6, opening.top() + 3, 2, 2), kCavity);
        Fill(img, QRect(opening.left() + 1, opening.top() + 1, opening.width() - 2, 1), Shade(module, -70));
        break;
    }
    case kDisable:
        DrawCross(img, QRect(opening.left() + 4, opening.top() + 1, opening.width() - 8, opening.height() - 2), kRed);
        break;
    case kEmpty: {
        const QRgb plug = qRgb(34, 34, 38);
        Fill(img, opening, plug);
        for (int x = opening.left() + 2; x < opening.right() - 1; x += 4)
            Fill(img, QRect(x, opening.top() + 1, 2, opening.height() - 2), Shade(plug, 16));
        break;
    }
    case kEnable:
        // An empty cage: the connector at the back shows.
        Fill(img, QRect(opening.left() + 6, opening.top() + opening.height() / 2, opening.width() - 12, 1), Shade(kGold, -60));
        break;
    }
    return img;
}

QString PortFile(bool sfp, bool top, int state)
{
    return QStringLiteral("%1_%2_%3.bmp").arg(sfp ? "sfp" : "rj45", top ? "top" : "bot", kStateFile[state]);
}

QImage PortPicture(bool sfp, bool top, int state)
{
    const QImage img = sfp ? Sfp(PortState(state)) : Jack(PortState(state));
    return top ? img : FlipVertical(img);
}

// ---------------------------------------------------------------------------------------------
// Models and their geometry

struct ModelSpec
{
    QString name;       // DeviceName
    QString folder;     // models/<folder>
    QString base;       // file base of the description and background
    int ports;          // DevicePortNum
    int combo;          // ports with a fibre twin (the last ones)
    int block;          // ports per block of the plain copper ports
    bool poe;
    bool fan;
    bool allGiga;
    bool rack;          // rack ears
    QPoint pwr;         // where the power indicator (158) is painted
    QString subtitle;
};

struct PortGeo
{
    int object;     // index among the port objects
    int number;     // front-panel number (a twin carries the number of its combo port)
    bool sfp;
    bool top;
    QRect rect;
    QRect lamp;     // the link lamp: first child
    QRect lamp2;    // second lamp (copper only)
};

constexpr int kPanelH = 92;
constexpr int kTopY = 30;
constexpr int kBottomY = 52;
constexpr int kPitch = 26;
constexpr int kSfpPitch = 28;
constexpr int kBlockGap = 10;
constexpr int kLeftArea = 134;

struct Layout
{
    int width = 0;
    std::vector<PortGeo> ports; // port objects in order: 1..N, then the twins
    std::vector<QRect> blocks;  // recesses around the port blocks
    QRect comboFrame;           // frame around the combo copper ports and the SFP cages
    QRect console;
    QRect fanLed, pmaxLed, modeLed1, modeLed2;
};

QRect LampRect(const QRect& port, bool sfp, bool top, bool second)
{
    if (sfp)
        return top ? QRect(port.left() + 2, port.top(), kLampW, kLampH)
                   : QRect(port.left() + 2, port.bottom() - kLampH + 1, kLampW, kLampH);
    const int x = second ? port.right() - kLampW : port.left() + 1;
    return top ? QRect(x, port.top() + 1, kLampW, kLampH) : QRect(x, port.bottom() - kLampH, kLampW, kLampH);
}

Layout MakeLayout(const ModelSpec& m)
{
    Layout l;
    int x = kLeftArea;
    auto addCopper = [&](int first, int count) {
        const int blockLeft = x;
        for (int n = first; n < first + count; ++n) {
            const int col = (n - first) / 2;
            const bool top = (n % 2) == 1;
            PortGeo g;
            g.object = n - 1;
            g.number = n;
            g.sfp = false;
            g.top = top;
            g.rect = QRect(blockLeft + col * kPitch, top ? kTopY : kBottomY, kJackW, kJackH);
            g.lamp = LampRect(g.rect, false, top, false);
            g.lamp2 = LampRect(g.rect, false, top, true);
            l.ports.push_back(g);
        }
        const int cols = (count + 1) / 2;
        const int right = blockLeft + (cols - 1) * kPitch + kJackW;
        l.blocks.push_back(QRect(QPoint(blockLeft - 3, kTopY - 3), QPoint(right + 2, kBottomY + kJackH + 2)));
        x = right + kBlockGap;
    };
    const int plain = m.ports - m.combo;
    for (int first = 1; first <= plain; first += m.block)
        addCopper(first, std::min(m.block, plain - first + 1));
    const int comboLeft = x;
    addCopper(plain + 1, m.combo);
    x += 4;
    const int sfpLeft = x;
    for (int k = 0; k < m.combo; ++k) {
        const int n = plain + 1 + k;
        const bool top = (n % 2) == 1;
        PortGeo g;
        g.object = m.ports + k;
        g.number = n;
        g.sfp = true;
        g.top = top;
        g.rect = QRect(sfpLeft + (k / 2) * kSfpPitch, top ? kTopY : kBottomY, kSfpW, kSfpH);
        g.lamp = LampRect(g.rect, true, top, false);
        l.ports.push_back(g);
    }
    const int sfpRight = sfpLeft + ((m.combo + 1) / 2 - 1) * kSfpPitch + kSfpW;
    l.blocks.push_back(QRect(QPoint(sfpLeft - 3, kTopY - 3), QPoint(sfpRight + 2, kBottomY + kSfpH + 2)));
    l.comboFrame = QRect(QPoint(comboLeft - 6, kTopY - 13), QPoint(sfpRight + 5, kBottomY + kJackH + 13));
    x = sfpRight + 22;
    l.console = QRect(x, kTopY, kJackW, kJackH);
    x += kJackW + 34;
    if (m.rack)
        x += 10;
    l.width = x;
    if (m.fan)
        l.fanLed = QRect(55, 33, 6, 5);
    if (m.ports == 10) {
        l.pmaxLed = QRect(42, 38, 6, 5);
        l.modeLed1 = QRect(81, 42, 6, 5);
        l.modeLed2 = QRect(81, 55, 6, 5);
    }
    return l;
}

const std::vector<ModelSpec>& Models()
{
    static const std::vector<ModelSpec> models = {
        {"TQX-8800", "TQX-8800", "TQX8800", 24, 4, 12, false, false, false, true, {24, 25}, "MANAGED SWITCH"},
        {"TQX-8810P", "TQX-8810P", "TQX8810P", 10, 2, 8, true, false, false, false, {12, 25}, "POE SWITCH"},
        {"TQF-8828P", "TQF-8828P", "TQF8828P", 28, 4, 12, true, false, false, true, {25, 23}, "POE SWITCH"},
        {"TQX-8848", "TQX-8848", "TQX8848", 48, 4, 12, false, true, true, true, {21, 27}, "MANAGED SWITCH"},
        {"TQX-8816", "TQX-8816", "TQX8816", 16, 4, 12, false, false, false, true, {25, 26}, "MANAGED SWITCH"},
        {"TQX-8852", "TQX-8852", "TQX8852", 52, 4, 12, false, true, true, true, {21, 27}, "GIGABIT SWITCH"},
    };
    return models;
}

// ---------------------------------------------------------------------------------------------
// The background: the whole front panel as it looks with every port enabled and no lamp lit.

void LedWindow(QImage& img, const QRect& r, const QString& label, bool labelRight = true)
{
    Blit(img, Indicator(r.width(), r.height(), kIndicatorOff, false), r.left(), r.top());
    if (labelRight)
        DrawText(img, r.right() + 3, r.top() + r.height() / 2 - 3, label, kInk);
    else
        DrawTextCentred(img, r.center().x() + 1, r.bottom() + 3, label, kInk);
}

QImage Background(const ModelSpec& m, const Layout& l)
{
    QImage img(l.width, kPanelH, QImage::Format_RGB32);
    // Brushed metal: a few shades in horizontal streaks.
    for (int y = 0; y < kPanelH; ++y) {
        const int rowShade = int(Hash(std::uint32_t(y) * 2654435761U + 17) % 5) - 2;
        for (int x = 0; x < l.width; ++x) {
            const std::uint32_t streak = Hash(std::uint32_t(y) * 7919U + std::uint32_t(x / (9 + int(Hash(y) % 13))));
            const int d = rowShade + (streak % 7 == 0 ? 2 : 0) - (streak % 11 == 0 ? 2 : 0);
            img.setPixel(x, y, Shade(kMetal, d));
        }
    }
    // Top and bottom edges of the bent front plate.
    Fill(img, QRect(0, 0, l.width, 1), kMetalHi);
    Fill(img, QRect(0, 1, l.width, 1), Shade(kMetalHi, -18));
    Fill(img, QRect(0, kPanelH - 2, l.width, 1), Shade(kMetalLo, 10));
    Fill(img, QRect(0, kPanelH - 1, l.width, 1), kMetalLo);

    if (m.rack) {
        // Rack ears with their mounting slots.
        for (const int left : {0, l.width - 14}) {
            const QRect ear(left, 2, 14, kPanelH - 4);
            Fill(img, ear, Shade(kMetal, 8));
            Fill(img, QRect(left == 0 ? ear.right() : ear.left(), 2, 1, kPanelH - 4), kMetalLo);
            for (const int cy : {16, kPanelH - 24}) {
                const QRect slot(left + 3, cy, 8, 6);
                Fill(img, slot.adjusted(1, 0, -1, 0), kRecessLo);
                Fill(img, slot.adjusted(0, 1, 0, -1), kRecessLo);
                Fill(img, QRect(slot.left() + 1, slot.bottom(), slot.width() - 2, 1), kMetalHi);
            }
        }
    }

    // Status indicators and the model label on the left.
    LedWindow(img, QRect(m.pwr, QSize(7, 8)), QStringLiteral("PWR"));
    if (!l.fanLed.isNull())
        LedWindow(img, l.fanLed, QStringLiteral("FAN"));
    if (!l.pmaxLed.isNull()) {
        LedWindow(img, l.pmaxLed, QStringLiteral("MAX"));
        LedWindow(img, l.modeLed1, QStringLiteral("LINK"));
        LedWindow(img, l.modeLed2, QStringLiteral("POE"));
        DrawText(img, l.modeLed1.left(), l.modeLed1.top() - 9, QStringLiteral("MODE"), kInkDim);
    }
    const int labelX = m.rack ? 20 : 12;
    DrawText(img, labelX, 64, m.name, kInk, 2);
    DrawText(img, labelX, 81, m.subtitle, kInkDim);

    // Port blocks.
    for (const QRect& b : l.blocks) {
        Fill(img, b, kRecess);
        Bevel(img, b, kRecessLo, kRecessHi);
    }
    // The combo group: a thin silkscreen frame around the combo copper ports and the SFP cages.
    const QRect f = l.comboFrame;
    Fill(img, QRect(f.left(), f.top(), 4, 1), kInkDim);
    Fill(img, QRect(f.right() - 3, f.top(), 4, 1), kInkDim);
    Fill(img, QRect(f.left(), f.top(), 1, f.height()), kInkDim);
    Fill(img, QRect(f.right(), f.top(), 1, f.height()), kInkDim);
    Fill(img, QRect(f.left(), f.bottom(), 4, 1), kInkDim);
    Fill(img, QRect(f.right() - 3, f.bottom(), 4, 1), kInkDim);
    const QString comboText = QStringLiteral("COMBO");
    DrawTextCentred(img, f.center().x(), f.bottom() + 2 > kPanelH - 9 ? f.top() - 8 : f.bottom() + 2, comboText, kInkDim);

    for (const PortGeo& g : l.ports) {
        Blit(img, PortPicture(g.sfp, g.top, g.sfp ? kEmpty : kEnable), g.rect.left(), g.rect.top());
        const int cx = g.rect.center().x() + 1;
        if (g.top)
            DrawTextCentred(img, cx, g.rect.top() - 10, QString::number(g.number), kInk);
        else
            DrawTextCentred(img, cx, g.rect.bottom() + 4, QString::number(g.number), kInk);
    }

    // Console port.
    Blit(img, Jack(kEnable), l.console.left(), l.console.top());
    Fill(img, QRect(l.console.left() + 1, l.console.top() + 1, kLampW, kLampH), kShield);
    Fill(img, QRect(l.console.right() - kLampW, l.console.top() + 1, kLampW, kLampH), kShield);
    DrawTextCentred(img, l.console.center().x() + 1, l.console.bottom() + 4, QStringLiteral("CONSOLE"), kInk);
    DrawTextCentred(img, l.console.center().x() + 1, l.console.top() - 10, QStringLiteral("RS232"), kInkDim);
    return img;
}

// ---------------------------------------------------------------------------------------------
// The panel description

QString Esc(const QString& s)
{
    return s.toHtmlEscaped();
}

void Rect(QString& out, const QString& indent, const QRect& r)
{
    out += indent + QStringLiteral("<LEFT>%1</LEFT>\n").arg(r.left());
    out += indent + QStringLiteral("<TOP>%1</TOP>\n").arg(r.top());
    out += indent + QStringLiteral("<WIDTH>%1</WIDTH>\n").arg(r.width());
    out += indent + QStringLiteral("<HEIGHT>%1</HEIGHT>\n").arg(r.height());
}

QByteArray PanelXml(const ModelSpec& m, const Layout& l)
{
    QString x;
    x += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    x += QStringLiteral("<!-- %1 front panel. Written by tqx-art from the geometry it draws with: regenerate, do not edit. -->\n").arg(Esc(m.name));
    x += QStringLiteral("<DEVICE>\n");
    x += QStringLiteral("  <DEVICEPANEL OBJECTS=\"OBJECTS\">\n");
    x += QStringLiteral("    <ID>%1</ID>\n").arg(Esc(m.name));
    Rect(x, QStringLiteral("    "), QRect(0, 0, l.width, kPanelH));
    x += QStringLiteral("    <BMP>%1.bmp</BMP>\n").arg(m.base);
    x += QStringLiteral("    <NAME>%1</NAME>\n").arg(Esc(m.name));
    x += QStringLiteral("    <OBJECTS>\n");
    for (const PortGeo& g : l.ports) {
        const bool twin = g.object >= m.ports;
        const QString id = twin ? QStringLiteral("%1F").arg(g.number) : QString::number(g.number);
        x += QStringLiteral("      <PORT LAMPS=\"LAMPS\">\n");
        x += QStringLiteral("        <ID>%1</ID>\n").arg(id);
        Rect(x, QStringLiteral("        "), g.rect);
        x += QStringLiteral("        <BMP>%1</BMP>\n").arg(PortFile(g.sfp, g.top, twin ? kEmpty : kEnable));
        x += QStringLiteral("        <STATUS>%1</STATUS>\n").arg(twin ? "PORTEMPTY" : "PORTENABLE");
        x += QStringLiteral("        <NAME>%1</NAME>\n").arg(twin ? QStringLiteral("Port %1 SFP").arg(g.number) : QStringLiteral("Port %1").arg(g.number));
        const char* const tags[5] = {"BMPLINK100", "BMPLINK10", "BMPDISABLE", "BMPENABLE", "BMPEMPTY"};
        for (int s = 0; s < 5; ++s)
            x += QStringLiteral("        <%1>%2</%1>\n").arg(tags[s], PortFile(g.sfp, g.top, s));
        x += QStringLiteral("        <LAMPS>\n");
        // The link lamp comes first: its corner is where the lamp pictures are painted. Its
        // identifier "0" also puts its corner into the bitmap store's position table, one entry per
        // port object in order.
        x += QStringLiteral("          <LAMP>\n");
        x += QStringLiteral("            <ID>0</ID>\n");
        Rect(x, QStringLiteral("            "), g.lamp);
        x += QStringLiteral("            <STATUS>LAMPOFF</STATUS>\n");
        x += QStringLiteral("            <TYPE>LINK</TYPE>\n");
        x += QStringLiteral("            <NAME>Link %1</NAME>\n").arg(id);
        x += QStringLiteral("          </LAMP>\n");
        if (!g.sfp) {
            x += QStringLiteral("          <LAMP>\n");
            x += QStringLiteral("            <ID>%1%2</ID>\n").arg(m.poe ? "P" : "S").arg(id);
            Rect(x, QStringLiteral("            "), g.lamp2);
            x += QStringLiteral("            <STATUS>LAMPOFF</STATUS>\n");
            x += QStringLiteral("            <TYPE>%1</TYPE>\n").arg(m.poe ? "POWER" : "S100M");
            x += QStringLiteral("            <NAME>%1 %2</NAME>\n").arg(m.poe ? "PoE" : "Speed", id);
            x += QStringLiteral("          </LAMP>\n");
        }
        x += QStringLiteral("        </LAMPS>\n");
        x += QStringLiteral("      </PORT>\n");
    }
    x += QStringLiteral("      <CONSOLE>\n");
    x += QStringLiteral("        <ID>CONSOLE</ID>\n");
    Rect(x, QStringLiteral("        "), l.console);
    x += QStringLiteral("        <NAME>Console</NAME>\n");
    x += QStringLiteral("      </CONSOLE>\n");
    x += QStringLiteral("      <POWER>\n");
    x += QStringLiteral("        <ID>PWR</ID>\n");
    Rect(x, QStringLiteral("        "), QRect(m.pwr, QSize(7, 8)));
    x += QStringLiteral("        <NAME>Power</NAME>\n");
    x += QStringLiteral("      </POWER>\n");
    if (!l.fanLed.isNull()) {
        x += QStringLiteral("      <FAN>\n");
        x += QStringLiteral("        <ID>FAN</ID>\n");
        Rect(x, QStringLiteral("        "), l.fanLed);
        x += QStringLiteral("        <NAME>Fan</NAME>\n");
        x += QStringLiteral("      </FAN>\n");
    }
    x += QStringLiteral("    </OBJECTS>\n");
    x += QStringLiteral("  </DEVICEPANEL>\n");
    x += QStringLiteral("</DEVICE>\n");
    return x.toUtf8();
}

QByteArray UserIni(const ModelSpec& m)
{
    QString s;
    s += QStringLiteral("[DeviceInfo]\r\n");
    s += QStringLiteral("DeviceName=%1\r\n").arg(m.name);
    s += QStringLiteral("DevicePortNum=%1\r\n").arg(m.ports);
    s += QStringLiteral("XMLName=%1.xml\r\n").arg(m.base);
    s += QStringLiteral("IsAllGiga=%1\r\n").arg(m.allGiga ? "Y" : "N");
    s += QStringLiteral("IsHasFan=%1\r\n").arg(m.fan ? "Y" : "N");
    return s.toUtf8();
}

// ---------------------------------------------------------------------------------------------
// Program icon 447 and cursor 398 (magenta is transparent)

QImage Icon447()
{
    QImage img = Blank(32, 32, kMagenta);
    const QRect box(1, 7, 30, 18);
    Fill(img, box, kMetal);
    Bevel(img, box, kMetalHi, kMetalLo);
    Fill(img, QRect(3, 10, 26, 12), kRecess);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 2; ++r) {
            const QRect jack(4 + c * 6 + (c >= 2 ? 1 : 0), 11 + r * 5, 5, 4);
            Fill(img, jack, kShield);
            Fill(img, jack.adjusted(1, 1, -1, 0), kCavity);
            img.setPixel(jack.left(), r == 0 ? jack.top() : jack.bottom(), (c + r) % 2 ? kGreen : kAmber);
        }
    Fill(img, QRect(4, 8, 2, 1), kGreen);
    return img;
}

QImage Cursor398()
{
    static const char* const rows[] = {
        "     ##         ",
        "    #..#        ",
        "    #..#        ",
        "    #..#        ",
        "    #..###      ",
        "    #..#..###   ",
        "    #..#..#..## ",
        " ## #..#..#..#.#",
        "#..##.........##",
        "#...#..........#",
        " #..#..........#",
        "  #............#",
        "  #...........# ",
        "   #..........# ",
        "   #.........#  ",
        "    #........#  ",
        "    #........#  ",
        "    ##########  ",
    };
    QImage img = Blank(32, 32, kMagenta);
    for (int y = 0; y < int(std::size(rows)); ++y)
        for (int x = 0; rows[y][x] != 0; ++x) {
            if (rows[y][x] == '#')
                img.setPixel(x, y, qRgb(0, 0, 0));
            else if (rows[y][x] == '.')
                img.setPixel(x, y, qRgb(255, 255, 255));
        }
    return img;
}

// ---------------------------------------------------------------------------------------------
// Output

// Writes through the module's bitmap writer: 8 bits with an exact colour table when the picture has
// at most 256 colours and may be indexed, else 24 bits.
bool WriteBmp(const QString& path, const QImage& rgb, bool mayIndex)
{
    CDib dib;
    bool made = false;
    if (mayIndex) {
        std::map<QRgb, int> colours;
        for (int y = 0; y < rgb.height() && colours.size() <= 256; ++y)
            for (int x = 0; x < rgb.width(); ++x)
                colours.emplace(rgb.pixel(x, y) | 0xFF000000u, 0);
        if (colours.size() <= 256) {
            QList<QRgb> table;
            for (auto& [c, i] : colours) {
                i = int(table.size());
                table.append(c);
            }
            QImage indexed(rgb.size(), QImage::Format_Indexed8);
            indexed.setColorTable(table);
            for (int y = 0; y < rgb.height(); ++y)
                for (int x = 0; x < rgb.width(); ++x)
                    indexed.setPixel(x, y, uint(colours[rgb.pixel(x, y) | 0xFF000000u]));
            made = dib.CreateFromImage(indexed, 8);
        }
    }
    if (!made)
        made = dib.CreateFromImage(rgb, 24);
    if (!made || !dib.WriteFile(path)) {
        std::fprintf(stderr, "tqx-art: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool WriteText(const QString& path, const QByteArray& data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size()) {
        std::fprintf(stderr, "tqx-art: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

struct ProgramBitmaps
{
    std::map<int, QImage> images;
};

ProgramBitmaps MakeProgramBitmaps()
{
    ProgramBitmaps p;
    p.images[158] = Indicator(7, 8, kGreen, true);
    p.images[159] = Lamp(5, 4, kLampOff, false, false);
    p.images[160] = Lamp(5, 4, kLampOff, true, false);
    p.images[161] = Lamp(6, 4, kGreen, false, true);
    p.images[162] = Lamp(6, 4, kGreen, true, true);
    p.images[163] = Lamp(6, 4, kAmber, false, true);
    p.images[164] = Lamp(6, 4, kAmber, true, true);
    p.images[190] = Indicator(6, 5, kRed, true);
    p.images[191] = Indicator(6, 5, kGreen, true);
    p.images[192] = Indicator(6, 5, kIndicatorOff, false);
    p.images[398] = Cursor398();
    p.images[447] = Icon447();
    return p;
}

// The panel as the module paints it: background, port pictures by state, lamps and indicators.
QImage Preview(const ModelSpec& m, const Layout& l, const QImage& background, const ProgramBitmaps& p)
{
    QImage img = background;
    for (const PortGeo& g : l.ports) {
        const std::uint32_t h = Hash(std::uint32_t(g.object) * 31U + 7);
        int state = int(h % 4);
        if (g.object >= m.ports)
            state = g.number % 3 == 0 ? kLink10 : kEmpty;
        Blit(img, PortPicture(g.sfp, g.top, state), g.rect.left(), g.rect.top());
        const bool odd = g.number % 2 == 1;
        Blit(img, p.images.at(odd ? 160 : 159), g.lamp.left(), g.lamp.top());
        if (state == kLink10)
            Blit(img, p.images.at(odd ? 162 : 161), g.lamp.left(), g.lamp.top());
        else if (state == kLink100)
            Blit(img, p.images.at(odd ? 164 : 163), g.lamp.left(), g.lamp.top());
    }
    Blit(img, p.images.at(158), m.pwr.x(), m.pwr.y());
    if (!l.fanLed.isNull())
        Blit(img, p.images.at(190), l.fanLed.left(), l.fanLed.top());
    if (!l.modeLed1.isNull()) {
        Blit(img, p.images.at(191), l.modeLed1.left(), l.modeLed1.top());
        Blit(img, p.images.at(192), l.modeLed2.left(), l.modeLed2.top());
        Blit(img, p.images.at(190), l.pmaxLed.left(), l.pmaxLed.top());
    }
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    QString root;
    QString preview;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--preview") && i + 1 < argc) {
            preview = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == QLatin1String("--icon") && i + 1 < argc) {
            // The program icon for desktops: icon 447 at twice its size, magenta transparent.
            QImage icon = Icon447().convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < icon.height(); ++y)
                for (int x = 0; x < icon.width(); ++x)
                    if ((icon.pixel(x, y) & 0xFFFFFFu) == (kMagenta & 0xFFFFFFu))
                        icon.setPixel(x, y, 0);
            const QString file = QString::fromLocal8Bit(argv[++i]);
            if (!icon.scaled(icon.size() * 2).save(file)) {
                std::fprintf(stderr, "tqx-art: cannot write %s\n", qPrintable(file));
                return 1;
            }
            return 0;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            std::printf("usage: tqx-art [--preview DIR] OUTROOT\n"
                        "writes OUTROOT/panel/bitmaps/*.bmp and OUTROOT/models/<MODEL>/*\n"
                        "       tqx-art --icon FILE.png\n"
                        "writes the program icon for desktops\n");
            return 0;
        } else if (arg.startsWith(QLatin1Char('-')) || !root.isEmpty()) {
            std::fprintf(stderr, "tqx-art: unexpected argument %s\nusage: tqx-art [--preview DIR] OUTROOT\n", argv[i]);
            return 2;
        } else {
            root = arg;
        }
    }
    if (root.isEmpty()) {
        std::fprintf(stderr, "usage: tqx-art [--preview DIR] OUTROOT\n");
        return 2;
    }

    bool ok = true;
    const QDir out(root);
    const QString bitmaps = out.filePath(QStringLiteral("panel/bitmaps"));
    if (!QDir().mkpath(bitmaps) || (!preview.isEmpty() && !QDir().mkpath(preview))) {
        std::fprintf(stderr, "tqx-art: cannot create the output folders\n");
        return 1;
    }
    const ProgramBitmaps program = MakeProgramBitmaps();
    for (const auto& [number, image] : program.images)
        ok &= WriteBmp(QDir(bitmaps).filePath(QStringLiteral("%1.bmp").arg(number)), image, false);

    for (const ModelSpec& m : Models()) {
        const QString dir = out.filePath(QStringLiteral("models/") + m.folder);
        if (!QDir().mkpath(dir)) {
            std::fprintf(stderr, "tqx-art: cannot create %s\n", qPrintable(dir));
            return 1;
        }
        const Layout l = MakeLayout(m);
        const QImage background = Background(m, l);
        ok &= WriteBmp(QDir(dir).filePath(m.base + QStringLiteral(".bmp")), background, true);
        for (const bool sfp : {false, true})
            for (const bool top : {true, false})
                for (int s = 0; s < 5; ++s)
                    ok &= WriteBmp(QDir(dir).filePath(PortFile(sfp, top, s)), PortPicture(sfp, top, s), true);
        ok &= WriteText(QDir(dir).filePath(m.base + QStringLiteral(".xml")), PanelXml(m, l));
        ok &= WriteText(QDir(dir).filePath(QStringLiteral("User.ini")), UserIni(m));
        if (!preview.isEmpty()) {
            const QImage shot = Preview(m, l, background, program);
            ok &= shot.scaled(shot.size() * 2).save(QDir(preview).filePath(m.folder + QStringLiteral(".png")));
        }
    }
    return ok ? 0 : 1;
}
