// CMyBitmapApp: the bitmap store. It caches program bitmaps by number, prepared once as images, and
// copies them to a painter at given positions; the port lamps are drawn only through it. The store
// needs no window of its own here: it is a plain object, created with the main window and reachable
// through g_pMyBitmapApp while it lives.
#pragma once

#include "panel/Dib.h"

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QObject>
#include <QPoint>

#include <array>
#include <vector>

class QPainter;

class CMyBitmapApp : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPositionCount = 100;

    struct Position
    {
        int x1 = 0, y1 = 0; // filled from description elements whose identifier is "0"
        int x2 = 0, y2 = 0;
    };

    explicit CMyBitmapApp(QObject* parent = nullptr);
    ~CMyBitmapApp() override;

    // Appends an entry for the program bitmap of that number (:/bitmaps/<number>.bmp). dc is the
    // painter the entry will be drawn on; it may be null, images work with every painter.
    bool AddBitmap(QPainter* dc, int nResource);
    bool AddBitmap(int nResource) { return AddBitmap(nullptr, nResource); }
    // Appends an entry with a picture that is already loaded.
    bool AddDib(int key, const CDib& dib);

    // Copies the whole picture found by key, from (srcX, srcY) of it, to (x, y) of dc. A key that was
    // never registered draws the first entry.
    void DrawCached(QPainter* dc, int key, int x, int y, int srcX = 0, int srcY = 0) const;
    // The same for the entry n places after the first (counting round the list).
    void DrawNth(QPainter* dc, int n, int x, int y, int srcX = 0, int srcY = 0) const;
    // Nothing when key is 0. Otherwise entry slot & 0x7F of the position table gives the place:
    // (x1, y1) when bit 0x80 of slot is set, else (x2, y2). Draws on dc, or without dc on the
    // painter set by SetPaintDC.
    Q_INVOKABLE void DrawAtSlot(int slot, int key) const;
    void DrawAtSlot(QPainter* dc, int slot, int key) const;
    // The main window's painter for DrawAtSlot, set while it paints (null to forget it).
    void SetPaintDC(QPainter* dc) { m_pPaintDC = dc; }
    QPainter* GetPaintDC() const { return m_pPaintDC; }

    void Clear();
    int GetCount() const { return int(m_entries.size()); }
    // Ordinal (1 for the first entry, then one more than the previous) and key of entry i.
    int GetOrdinal(int i) const { return m_entries.at(std::size_t(i)).nOrdinal; }
    int GetKey(int i) const { return m_entries.at(std::size_t(i)).nKey; }
    // The prepared picture for key, by the lookup rule; null when the store is empty.
    const QImage* Find(int key) const;

    // Position table.
    bool AddPosition(int x, int y); // next free (x1, y1); false when the table is full
    void SetPosition(int index, const Position& pos);
    Position GetPosition(int index) const;
    int GetPositionCount() const { return m_nPositionCount; }
    void ClearPositions();

private:
    struct Entry
    {
        QImage image;
        int nWidth = 0;
        int nHeight = 0;
        int nOrdinal = 0;
        int nKey = 0;
    };
    bool Append(int key, const QImage& image);
    const Entry* Lookup(int key) const;

    std::vector<Entry> m_entries; // in registration order; the lookup walks it as a ring from the first
    std::array<Position, kPositionCount> m_positions{};
    int m_nPositionCount = 0;
    QPainter* m_pPaintDC = nullptr;
};

// The one store of the process, set by its constructor and cleared by its destructor.
extern CMyBitmapApp* g_pMyBitmapApp;

// Icon 447 and cursor 398 of the program. Their pictures use magenta as the transparent colour.
// Both need a QGuiApplication.
QIcon PanelIcon();
QCursor PanelCursor();
