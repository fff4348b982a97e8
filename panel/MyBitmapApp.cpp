#include "panel/MyBitmapApp.h"

#include <QBitmap>
#include <QPainter>
#include <QPixmap>

#include <mutex>

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void InitPanelBitmapsResource()
{
    Q_INIT_RESOURCE(panelbitmaps);
}

void InitPanelResources()
{
    static std::once_flag once;
    std::call_once(once, InitPanelBitmapsResource);
}

CMyBitmapApp* g_pMyBitmapApp = nullptr;

CMyBitmapApp::CMyBitmapApp(QObject* parent)
    : QObject(parent)
{
    InitPanelResources();
    setObjectName(QStringLiteral("CMyBitmapApp"));
    if (g_pMyBitmapApp == nullptr)
        g_pMyBitmapApp = this;
}

CMyBitmapApp::~CMyBitmapApp()
{
    Clear();
    if (g_pMyBitmapApp == this)
        g_pMyBitmapApp = nullptr;
}

bool CMyBitmapApp::Append(int key, const QImage& image)
{
    if (image.isNull())
        return false;
    Entry entry;
    // Kept in the painter's native format, so that each draw is a plain copy.
    entry.image = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    entry.nWidth = image.width();
    entry.nHeight = image.height();
    entry.nOrdinal = m_entries.empty() ? 1 : m_entries.back().nOrdinal + 1;
    entry.nKey = key;
    m_entries.push_back(std::move(entry));
    return true;
}

bool CMyBitmapApp::AddBitmap(QPainter* /*dc*/, int nResource)
{
    CDib dib;
    if (!dib.LoadResource(nResource))
        return false;
    return Append(nResource, dib.GetImage());
}

bool CMyBitmapApp::AddDib(int key, const CDib& dib)
{
    return Append(key, dib.GetImage());
}

const CMyBitmapApp::Entry* CMyBitmapApp::Lookup(int key) const
{
    if (m_entries.empty())
        return nullptr;
    // The first entry if it matches, else the following ones in order; back at the first, it is used.
    for (const Entry& entry : m_entries)
        if (entry.nKey == key)
            return &entry;
    return &m_entries.front();
}

const QImage* CMyBitmapApp::Find(int key) const
{
    const Entry* entry = Lookup(key);
    return entry ? &entry->image : nullptr;
}

static void CopyImage(QPainter* dc, const QImage& image, int x, int y, int srcX, int srcY)
{
    const QRect wanted(srcX, srcY, image.width(), image.height());
    const QRect source = wanted.intersected(image.rect());
    if (source.isEmpty())
        return;
    dc->drawImage(QPoint(x, y) + (source.topLeft() - wanted.topLeft()), image, source);
}

void CMyBitmapApp::DrawCached(QPainter* dc, int key, int x, int y, int srcX, int srcY) const
{
    const Entry* entry = Lookup(key);
    if (dc == nullptr || entry == nullptr)
        return;
    CopyImage(dc, entry->image, x, y, srcX, srcY);
}

void CMyBitmapApp::DrawNth(QPainter* dc, int n, int x, int y, int srcX, int srcY) const
{
    if (dc == nullptr || m_entries.empty())
        return;
    const int count = int(m_entries.size());
    const int index = ((n % count) + count) % count;
    CopyImage(dc, m_entries[std::size_t(index)].image, x, y, srcX, srcY);
}

void CMyBitmapApp::DrawAtSlot(int slot, int key) const
{
    DrawAtSlot(m_pPaintDC, slot, key);
}

void CMyBitmapApp::DrawAtSlot(QPainter* dc, int slot, int key) const
{
    if (key == 0)
        return;
    const int index = slot & 0x7F;
    // The index field reaches 127 but the table has 100 entries: higher indexes draw nothing.
    if (index >= kPositionCount)
        return;
    const Position& pos = m_positions[std::size_t(index)];
    if (slot & 0x80)
        DrawCached(dc, key, pos.x1, pos.y1);
    else
        DrawCached(dc, key, pos.x2, pos.y2);
}

void CMyBitmapApp::Clear()
{
    m_entries.clear();
}

bool CMyBitmapApp::AddPosition(int x, int y)
{
    if (m_nPositionCount >= kPositionCount)
        return false;
    Position& pos = m_positions[std::size_t(m_nPositionCount++)];
    pos.x1 = x;
    pos.y1 = y;
    return true;
}

void CMyBitmapApp::SetPosition(int index, const Position& pos)
{
    if (index >= 0 && index < kPositionCount)
        m_positions[std::size_t(index)] = pos;
}

CMyBitmapApp::Position CMyBitmapApp::GetPosition(int index) const
{
    if (index < 0 || index >= kPositionCount)
        return {};
    return m_positions[std::size_t(index)];
}

void CMyBitmapApp::ClearPositions()
{
    m_positions = {};
    m_nPositionCount = 0;
}

// Magenta pixels of a program picture become transparent.
static QPixmap MaskedPixmap(int number)
{
    CDib dib;
    if (!dib.LoadResource(number))
        return {};
    QPixmap pixmap = QPixmap::fromImage(dib.GetImage());
    pixmap.setMask(QBitmap::fromImage(dib.GetImage().createMaskFromColor(qRgb(255, 0, 255), Qt::MaskInColor)));
    return pixmap;
}

QIcon PanelIcon()
{
    return QIcon(MaskedPixmap(447));
}

QCursor PanelCursor()
{
    const QPixmap pixmap = MaskedPixmap(398);
    if (pixmap.isNull())
        return QCursor(Qt::PointingHandCursor);
    // The hot spot is the tip of the pointing finger.
    return QCursor(pixmap, 5, 0);
}
