// The bitmap store: registration, the lookup rule, the position table and DrawAtSlot.
#include "panel/MyBitmapApp.h"

#include <gtest/gtest.h>

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>

namespace {

// The lamp bitmaps in the order the main window registers them.
const int kMainWindowOrder[] = {160, 159, 161, 162, 158, 163, 164, 190, 191, 192};

QImage Target()
{
    QImage img(64, 64, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// Whether the picture registered under key appears at (x, y) of img.
bool DrawnAt(const QImage& img, int key, int x, int y)
{
    CDib dib;
    if (!dib.LoadResource(key))
        return false;
    const QImage& pic = dib.GetImage();
    for (int py = 0; py < pic.height(); ++py)
        for (int px = 0; px < pic.width(); ++px)
            if (img.pixel(x + px, y + py) != pic.pixel(px, py))
                return false;
    return true;
}

bool Untouched(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

class BitmapStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int key : kMainWindowOrder)
            ASSERT_TRUE(store.AddBitmap(key)) << key;
    }
    CMyBitmapApp store;
};

} // namespace

TEST_F(BitmapStoreTest, RegistersInOrderWithOrdinals)
{
    ASSERT_EQ(store.GetCount(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(store.GetOrdinal(i), i + 1);
        EXPECT_EQ(store.GetKey(i), kMainWindowOrder[i]);
    }
    EXPECT_FALSE(store.AddBitmap(9999));
    EXPECT_EQ(store.GetCount(), 10);
    EXPECT_EQ(g_pMyBitmapApp, &store);
    EXPECT_STREQ(store.metaObject()->className(), "CMyBitmapApp");
}

TEST_F(BitmapStoreTest, DrawCachedFindsByKeyAndFallsBackToFirst)
{
    struct Case { int key; int drawn; };
    const Case cases[] = {{162, 162}, {160, 160}, {192, 192}, {158, 158}, {999, 160}, {0, 160}, {-1, 160}};
    for (const Case& c : cases) {
        QImage img = Target();
        QPainter p(&img);
        store.DrawCached(&p, c.key, 10, 20);
        p.end();
        EXPECT_TRUE(DrawnAt(img, c.drawn, 10, 20)) << c.key;
    }
    // DrawNth counts from the first entry round the list.
    const struct { int n; int drawn; } nth[] = {{0, 160}, {2, 161}, {9, 192}, {10, 160}, {13, 162}};
    for (const auto& c : nth) {
        QImage img = Target();
        QPainter p(&img);
        store.DrawNth(&p, c.n, 3, 4);
        p.end();
        EXPECT_TRUE(DrawnAt(img, c.drawn, 3, 4)) << c.n;
    }
    // A source offset copies the picture from that point of it.
    QImage img = Target();
    QPainter p(&img);
    store.DrawCached(&p, 158, 0, 0, 2, 3);
    p.end();
    CDib dib;
    ASSERT_TRUE(dib.LoadResource(158));
    EXPECT_EQ(img.pixel(0, 0), dib.GetImage().pixel(2, 3));
    EXPECT_EQ(img.pixel(4, 4), dib.GetImage().pixel(6, 7));
    EXPECT_EQ(img.pixel(5, 0), qRgb(255, 255, 255));
}

TEST_F(BitmapStoreTest, DrawAtSlotUsesThePositionTable)
{
    store.SetPosition(5, {10, 20, 40, 3});
    struct Case { int slot; int key; int x, y; bool drawn; };
    const Case cases[] = {
        {0x85, 162, 10, 20, true}, // bit 0x80: (x1, y1)
        {0x05, 162, 40, 3, true},  // else (x2, y2)
        {0x85, 0, 10, 20, false},  // key 0 draws nothing
        {0x05, 0, 40, 3, false},
        {0xE4, 161, 0, 0, false},  // index 100 is beyond the table
        {0x7F, 161, 0, 0, false},
    };
    for (const Case& c : cases) {
        QImage img = Target();
        QPainter p(&img);
        store.DrawAtSlot(&p, c.slot, c.key);
        p.end();
        if (c.drawn)
            EXPECT_TRUE(DrawnAt(img, c.key, c.x, c.y)) << std::hex << c.slot;
        else
            EXPECT_TRUE(Untouched(img)) << std::hex << c.slot;
    }
    // Without a painter of the call, the one set by SetPaintDC is used; with none, nothing happens.
    store.DrawAtSlot(0x85, 162);
    QImage img = Target();
    QPainter p(&img);
    store.SetPaintDC(&p);
    QMetaObject::invokeMethod(&store, "DrawAtSlot", Q_ARG(int, 0x05), Q_ARG(int, 163));
    store.SetPaintDC(nullptr);
    p.end();
    EXPECT_TRUE(DrawnAt(img, 163, 40, 3));
}

TEST(BitmapStorePositions, AddPositionFillsConsecutiveEntriesUpToTheLimit)
{
    CMyBitmapApp store;
    for (int i = 0; i < CMyBitmapApp::kPositionCount; ++i)
        ASSERT_TRUE(store.AddPosition(i, 2 * i));
    EXPECT_FALSE(store.AddPosition(1000, 1000));
    EXPECT_EQ(store.GetPositionCount(), 100);
    EXPECT_EQ(store.GetPosition(0).x1, 0);
    EXPECT_EQ(store.GetPosition(37).x1, 37);
    EXPECT_EQ(store.GetPosition(37).y1, 74);
    EXPECT_EQ(store.GetPosition(37).x2, 0);
    EXPECT_EQ(store.GetPosition(99).y1, 198);
    EXPECT_EQ(store.GetPosition(100).x1, 0);
    store.ClearPositions();
    EXPECT_EQ(store.GetPositionCount(), 0);
    EXPECT_EQ(store.GetPosition(37).x1, 0);

    // An empty store draws nothing.
    QImage img = Target();
    QPainter p(&img);
    store.DrawCached(&p, 160, 0, 0);
    store.DrawNth(&p, 3, 0, 0);
    p.end();
    EXPECT_TRUE(Untouched(img));
}

TEST(BitmapStoreGlobal, PointerFollowsTheFirstLivingStore)
{
    EXPECT_EQ(g_pMyBitmapApp, nullptr);
    {
        CMyBitmapApp first;
        CMyBitmapApp second;
        EXPECT_EQ(g_pMyBitmapApp, &first);
    }
    EXPECT_EQ(g_pMyBitmapApp, nullptr);
}

TEST(BitmapStoreGlobal, IconAndCursorAreTransparentOutsideTheirDrawing)
{
    static int argc = 1;
    static char name[] = "bitmapstore_test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);

    const QIcon icon = PanelIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage iconImage = icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(iconImage.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(iconImage.pixel(16, 16)), 255);

    const QCursor cursor = PanelCursor();
    ASSERT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), QPoint(5, 0));
    const QImage cursorImage = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(cursorImage.pixel(31, 31)), 0);
    EXPECT_EQ(qAlpha(cursorImage.pixel(5, 0)), 255); // the finger tip
}
