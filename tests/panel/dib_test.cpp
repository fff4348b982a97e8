// The bitmap codec: files written and read back, the colour-table rule, row lengths, drawing, and
// hostile files refused.
#include "panel/Dib.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstring>
#include <vector>

namespace {

QByteArray WriteToBytes(CDib& dib)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(dib.Write(buffer));
    return bytes;
}

bool ReadFromBytes(CDib& dib, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return dib.Read(buffer);
}

quint32 Le32(const QByteArray& b, int at)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | quint8(b[at + i]);
    return v;
}

void PutLe32(QByteArray& b, int at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (8 * i));
}

void PutLe16(QByteArray& b, int at, quint16 v)
{
    b[at] = char(v);
    b[at + 1] = char(v >> 8);
}

// A bitmap file assembled by hand, so that every header field can be set to what a test needs.
QByteArray MakeFile(int width, int height, int bits, int used, const QList<QRgb>& table, const QByteArray& pixels,
                    int compression = 0)
{
    QByteArray b(54, '\0');
    b[0] = 'B';
    b[1] = 'M';
    const int offset = 54 + 4 * int(table.size());
    PutLe32(b, 2, quint32(offset + pixels.size()));
    PutLe32(b, 10, quint32(offset));
    PutLe32(b, 14, 40);
    PutLe32(b, 18, quint32(width));
    PutLe32(b, 22, quint32(height));
    PutLe16(b, 26, 1);
    PutLe16(b, 28, quint16(bits));
    PutLe32(b, 30, quint32(compression));
    PutLe32(b, 46, quint32(used));
    for (QRgb c : table) {
        b.append(char(qBlue(c)));
        b.append(char(qGreen(c)));
        b.append(char(qRed(c)));
        b.append('\0');
    }
    b.append(pixels);
    return b;
}

// An indexed test picture whose colour index varies with x and y.
QImage IndexedPattern(int width, int height, int colours)
{
    QImage img(width, height, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < colours; ++i)
        table.append(qRgb((i * 37) & 0xFF, (i * 91 + 13) & 0xFF, (255 - i * 53) & 0xFF));
    img.setColorTable(table);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y, uint((x * 3 + y * 7) % colours));
    return img;
}

// A stream that cannot seek or tell its size, like a pipe.
class SequentialStream : public QIODevice
{
public:
    explicit SequentialStream(QByteArray data) : m_data(std::move(data)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_data.size() - m_at + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* out, qint64 max) override
    {
        const qint64 n = std::min<qint64>(max, m_data.size() - m_at);
        if (n > 0)
            std::memcpy(out, m_data.constData() + m_at, std::size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_at = 0;
};

} // namespace

TEST(DibTest, RowLengthRule)
{
    struct Case { int bits, width, expected; };
    const Case cases[] = {{24, 5, 16}, {24, 4, 12}, {1, 1, 4}, {1, 32, 4}, {1, 33, 8}, {4, 9, 8}, {8, 5, 8}, {32, 3, 12}};
    for (const Case& c : cases)
        EXPECT_EQ(CDib::RowLength(c.bits, c.width), c.expected) << c.bits << " bits, width " << c.width;

    // A 5-pixel 24-bit picture of 2 rows is stored with 16-byte rows.
    CDib dib;
    ASSERT_TRUE(dib.CreateFromImage(QImage(5, 2, QImage::Format_RGB32), 24));
    const QByteArray file = WriteToBytes(dib);
    EXPECT_EQ(file.size(), 54 + 2 * 16);
}

// Every bit depth survives writing and reading; the file layout follows the format (header fields,
// table size, bottom-up rows), and a picture read from a file is written back byte for byte.
TEST(DibTest, RoundTripsEveryBitDepth)
{
    struct Case { int bits, colours, table; };
    const Case cases[] = {{1, 2, 2}, {4, 16, 16}, {8, 200, 256}, {24, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        const int width = 13, height = 7;
        QImage source = c.bits == 24 ? QImage(width, height, QImage::Format_RGB32) : IndexedPattern(width, height, c.colours);
        if (c.bits == 24)
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    source.setPixel(x, y, qRgb(x * 19, y * 31, (x ^ y) * 11));

        CDib dib;
        ASSERT_TRUE(dib.CreateFromImage(source, c.bits));
        EXPECT_FALSE(dib.IsFromFile());
        EXPECT_EQ(dib.GetBitCount(), c.bits);
        EXPECT_EQ(dib.HasPalette(), c.bits <= 8);
        const QByteArray file = WriteToBytes(dib);

        const int rowLen = CDib::RowLength(c.bits, width);
        const int offset = 54 + 4 * c.table;
        EXPECT_EQ(file.left(2), QByteArray("BM"));
        EXPECT_EQ(Le32(file, 2), quint32(file.size()));
        EXPECT_EQ(Le32(file, 10), quint32(offset));
        EXPECT_EQ(Le32(file, 14), 40u);
        EXPECT_EQ(Le32(file, 34), 0u) << "image size field is written as 0";
        EXPECT_EQ(file.size(), offset + rowLen * height);
        if (c.bits == 24) {
            // The first stored row is the bottom one, pixels in blue, green, red order.
            const QRgb bottomLeft = source.pixel(0, height - 1);
            EXPECT_EQ(quint8(file[offset]), qBlue(bottomLeft));
            EXPECT_EQ(quint8(file[offset + 1]), qGreen(bottomLeft));
            EXPECT_EQ(quint8(file[offset + 2]), qRed(bottomLeft));
        }

        CDib back;
        ASSERT_TRUE(ReadFromBytes(back, file));
        EXPECT_TRUE(back.IsFromFile());
        EXPECT_EQ(back.GetWidth(), width);
        EXPECT_EQ(back.GetHeight(), height);
        EXPECT_EQ(back.GetBitCount(), c.bits);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(back.GetImage().pixel(x, y), source.pixel(x, y) | 0xFF000000u) << x << "," << y;
        EXPECT_EQ(WriteToBytes(back), file);
    }
}

TEST(DibTest, ColourTableFollowsUsedColoursField)
{
    const QList<QRgb> five = {qRgb(1, 2, 3), qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200), qRgb(9, 9, 9)};
    const QByteArray pixels("\x00\x02\x04\x01", 4); // one row of 4 pixels, 8 bits each

    CDib counted;
    ASSERT_TRUE(ReadFromBytes(counted, MakeFile(4, 1, 8, 5, five, pixels)));
    EXPECT_EQ(counted.GetColorCount(), 5);
    EXPECT_EQ(counted.GetPalette().size(), 5);
    EXPECT_EQ(counted.GetImage().pixel(1, 0), qRgb(0, 200, 0));
    EXPECT_EQ(counted.GetImage().pixel(2, 0), qRgb(9, 9, 9));

    QList<QRgb> full;
    for (int i = 0; i < 256; ++i)
        full.append(qRgb(i, 255 - i, i / 2));
    CDib whole;
    ASSERT_TRUE(ReadFromBytes(whole, MakeFile(4, 1, 8, 0, full, pixels)));
    EXPECT_EQ(whole.GetColorCount(), 256);
    EXPECT_EQ(whole.GetPalette().size(), 256);
    EXPECT_EQ(whole.GetImage().pixel(2, 0), full[4]);

    // Written back, a counted table is padded to the 256 entries an 8-bit file carries.
    const QByteArray rewritten = WriteToBytes(counted);
    EXPECT_EQ(rewritten.size(), 54 + 1024 + 4);
    CDib again;
    ASSERT_TRUE(ReadFromBytes(again, rewritten));
    EXPECT_EQ(again.GetPalette(), counted.GetPalette());

    CDib rgb;
    ASSERT_TRUE(ReadFromBytes(rgb, MakeFile(1, 1, 24, 0, {}, QByteArray("\x10\x20\x30\x00", 4))));
    EXPECT_FALSE(rgb.HasPalette());
    EXPECT_EQ(rgb.GetImage().pixel(0, 0), qRgb(0x30, 0x20, 0x10));
}

TEST(DibTest, TopDownFileReadsLikeBottomUp)
{
    QByteArray rows;
    rows.append("\x00\x00\xFF\x00", 4); // first stored row: red
    rows.append("\xFF\x00\x00\x00", 4); // second stored row: blue
    CDib bottomUp, topDown;
    ASSERT_TRUE(ReadFromBytes(bottomUp, MakeFile(1, 2, 24, 0, {}, rows)));
    ASSERT_TRUE(ReadFromBytes(topDown, MakeFile(1, -2, 24, 0, {}, rows)));
    EXPECT_EQ(bottomUp.GetImage().pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(topDown.GetImage().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(topDown.GetHeight(), 2);
}

TEST(DibTest, HostileFilesAreRefused)
{
    const QByteArray good = MakeFile(4, 2, 24, 0, {}, QByteArray(2 * 12, '\x40'));
    CDib check;
    ASSERT_TRUE(ReadFromBytes(check, good));

    struct Case { const char* what; QByteArray bytes; };
    std::vector<Case> cases;
    auto patched = [&](int at, quint32 v) { QByteArray b = good; PutLe32(b, at, v); return b; };
    QByteArray notBm = good;
    notBm[0] = 'X';
    cases.push_back({"not BM", notBm});
    cases.push_back({"OS/2 header size", patched(14, 12)});
    cases.push_back({"larger header size", patched(14, 124)});
    cases.push_back({"empty", QByteArray()});
    cases.push_back({"file header only", good.left(14)});
    cases.push_back({"truncated info header", good.left(30)});
    cases.push_back({"truncated rows", good.left(good.size() - 1)});
    cases.push_back({"bits offset past the end", patched(10, 4096)});
    cases.push_back({"bits offset inside the headers", patched(10, 20)});
    cases.push_back({"zero width", patched(18, 0)});
    cases.push_back({"negative width", patched(18, quint32(-4))});
    cases.push_back({"zero height", patched(22, 0)});
    cases.push_back({"huge width", patched(18, 100000)});
    cases.push_back({"huge height", patched(22, 0x7FFFFFFF)});
    cases.push_back({"most negative height", patched(22, 0x80000000u)});
    cases.push_back({"too many pixels", [&] { QByteArray b = patched(18, 16384); PutLe32(b, 22, 16384); return b; }()});
    cases.push_back({"claims 64 MB of rows", [&] { QByteArray b = patched(18, 8192); PutLe32(b, 22, 2048); PutLe16(b, 28, 32); return b; }()});
    cases.push_back({"bit count 7", [&] { QByteArray b = good; PutLe16(b, 28, 7); return b; }()});
    cases.push_back({"bit count 0", [&] { QByteArray b = good; PutLe16(b, 28, 0); return b; }()});
    cases.push_back({"compressed", patched(30, 1)});
    cases.push_back({"colour table cut short", MakeFile(4, 1, 8, 0, {qRgb(1, 1, 1)}, QByteArray()).left(60)});

    for (const Case& c : cases) {
        CDib dib;
        ASSERT_TRUE(dib.CreateFromImage(QImage(2, 2, QImage::Format_RGB32)));
        EXPECT_FALSE(ReadFromBytes(dib, c.bytes)) << c.what;
        EXPECT_FALSE(dib.IsLoaded()) << c.what;
        EXPECT_TRUE(dib.GetImage().isNull()) << c.what;
        EXPECT_EQ(dib.GetBits(), nullptr) << c.what;
        QImage target(4, 4, QImage::Format_RGB32);
        target.fill(Qt::white);
        QPainter p(&target);
        dib.DrawAt(&p, 0, 0);
        EXPECT_EQ(dib.Paint(&p, QRect(0, 0, 4, 4), QRect(0, 0, 4, 4)), 0) << c.what;
        p.end();
        EXPECT_EQ(target.pixel(0, 0), qRgb(255, 255, 255)) << c.what;
    }

    // A file-size field that lies does not matter: the rows are sized from the dimensions.
    CDib lying;
    EXPECT_TRUE(ReadFromBytes(lying, patched(2, 0xFFFFFFF0u)));
    EXPECT_TRUE(ReadFromBytes(lying, patched(2, 0)));
    // A used-colours count beyond the bit count is capped to what the pixels can address.
    CDib capped;
    ASSERT_TRUE(ReadFromBytes(capped, MakeFile(8, 1, 1, 1000, {qRgb(0, 0, 0), qRgb(255, 255, 255)}, QByteArray("\xAA\0\0\0", 4))));
    EXPECT_EQ(capped.GetPalette().size(), 2);
    EXPECT_EQ(capped.GetImage().pixel(0, 0), qRgb(255, 255, 255));
    // Pixel indexes beyond a short table draw black instead of reading past it.
    CDib shortTable;
    ASSERT_TRUE(ReadFromBytes(shortTable, MakeFile(2, 1, 8, 1, {qRgb(9, 9, 9)}, QByteArray("\x00\xFF\0\0", 4))));
    EXPECT_EQ(shortTable.GetImage().pixel(0, 0), qRgb(9, 9, 9));
    EXPECT_EQ(shortTable.GetImage().pixel(1, 0), qRgb(0, 0, 0));
}

TEST(DibTest, DrawStretchesAndPaintCopiesUnscaled)
{
    QImage source(3, 2, QImage::Format_RGB32);
    const QRgb colours[2][3] = {{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)},
                                {qRgb(10, 10, 10), qRgb(20, 20, 20), qRgb(30, 30, 30)}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            source.setPixel(x, y, colours[y][x]);
    CDib dib;
    ASSERT_TRUE(dib.CreateFromImage(source));

    QImage target(20, 20, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter p(&target);
        p.setRenderHint(QPainter::SmoothPixmapTransform); // a source copy ignores smoothing
        dib.Draw(&p, 2, 2, 6, 4);                          // twice the size
        dib.DrawAt(&p, 10, 10);
        // From source column 1, row 1 (counted from the top): a 2 x 1 piece.
        EXPECT_EQ(dib.Paint(&p, QRect(15, 2, 2, 1), QRect(1, 1, 2, 1)), 1);
        // A piece reaching past the picture is cut at its edge.
        EXPECT_EQ(dib.Paint(&p, QRect(15, 5, 5, 5), QRect(1, 1, 5, 5)), 1);
        dib.DrawAt(&p, 18, 19); // clipped by the target's edge
        dib.Draw(nullptr, 0, 0, 3, 2);
    }
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(target.pixel(2 + x, 2 + y), colours[y / 2][x / 2]) << x << "," << y;
    EXPECT_EQ(target.pixel(1, 2), qRgb(255, 255, 255));
    EXPECT_EQ(target.pixel(8, 2), qRgb(255, 255, 255));
    EXPECT_EQ(target.pixel(12, 11), colours[1][2]);
    EXPECT_EQ(target.pixel(15, 2), colours[1][1]);
    EXPECT_EQ(target.pixel(16, 2), colours[1][2]);
    EXPECT_EQ(target.pixel(17, 2), qRgb(255, 255, 255));
    EXPECT_EQ(target.pixel(16, 5), colours[1][2]);
    EXPECT_EQ(target.pixel(15, 6), qRgb(255, 255, 255));
    EXPECT_EQ(target.pixel(19, 19), colours[0][1]);

    CDib empty;
    QImage untouched(4, 4, QImage::Format_RGB32);
    untouched.fill(Qt::white);
    QPainter p(&untouched);
    empty.Draw(&p, 0, 0, 4, 4);
    p.end();
    EXPECT_EQ(untouched.pixel(1, 1), qRgb(255, 255, 255));
}

TEST(DibTest, LoadsFilesAndProgramBitmaps)
{
    CDib dib;
    EXPECT_FALSE(dib.Load(QString()));
    EXPECT_FALSE(dib.Load(QStringLiteral("/nonexistent/none.bmp")));
    EXPECT_FALSE(dib.ReadFile(QStringLiteral("/nonexistent/none.bmp")));
    EXPECT_FALSE(dib.LoadResource(QString()));
    EXPECT_FALSE(dib.LoadResource(9999));

    // A bitmap file written by WriteFile loads; another format goes through Qt's reader.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage source(5, 3, QImage::Format_RGB32);
    source.fill(qRgb(12, 34, 56));
    ASSERT_TRUE(dib.CreateFromImage(source));
    ASSERT_TRUE(dib.WriteFile(dir.filePath("a.bmp")));
    ASSERT_TRUE(source.save(dir.filePath("a.png")));
    for (const char* name : {"a.bmp", "a.png"}) {
        CDib loaded;
        ASSERT_TRUE(loaded.Load(dir.filePath(name))) << name;
        EXPECT_EQ(loaded.GetWidth(), 5);
        EXPECT_EQ(loaded.GetImage().pixel(4, 2), qRgb(12, 34, 56)) << name;
    }
    EXPECT_FALSE(dib.WriteFile(dir.filePath("missing/folder/a.bmp")));

    // The program bitmaps the panel draws, at their sizes.
    struct Case { int number, width, height; };
    const Case cases[] = {{158, 7, 8}, {159, 5, 4}, {160, 5, 4}, {161, 6, 4}, {162, 6, 4}, {163, 6, 4},
                          {164, 6, 4}, {190, 6, 5}, {191, 6, 5}, {192, 6, 5}, {398, 32, 32}, {447, 32, 32}};
    for (const Case& c : cases) {
        CDib res;
        ASSERT_TRUE(res.LoadResource(c.number)) << c.number;
        EXPECT_EQ(res.GetWidth(), c.width) << c.number;
        EXPECT_EQ(res.GetHeight(), c.height) << c.number;
        EXPECT_EQ(res.GetBitCount(), 24) << c.number;
    }
    CDib byName;
    EXPECT_TRUE(byName.LoadResource(QStringLiteral("158.bmp")));
    EXPECT_TRUE(byName.LoadResource(QStringLiteral(":/bitmaps/162.bmp")));
}

TEST(DibTest, CreateFromImageRefusesWhatItCannotHold)
{
    CDib dib;
    EXPECT_FALSE(dib.CreateFromImage(QImage()));
    // 4 bits cannot hold a 20-colour table; a true-colour image has no table for 8 bits.
    EXPECT_FALSE(dib.CreateFromImage(IndexedPattern(4, 4, 20), 4));
    EXPECT_FALSE(dib.CreateFromImage(QImage(4, 4, QImage::Format_RGB32), 8));
    EXPECT_FALSE(dib.IsLoaded());
    // Monochrome images keep 1 bit.
    QImage mono(9, 2, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(1);
    mono.setPixel(3, 1, 0);
    ASSERT_TRUE(dib.CreateFromImage(mono));
    EXPECT_EQ(dib.GetBitCount(), 1);
    EXPECT_EQ(dib.GetImage().pixel(3, 1), qRgb(0, 0, 0));
    EXPECT_EQ(dib.GetImage().pixel(4, 1), qRgb(255, 255, 255));
}

TEST(DibTest, ReadsFromStreamsThatCannotSeek)
{
    // Rows after a gap: the reader skips forward to the bits offset.
    QByteArray file = MakeFile(2, 1, 24, 0, {}, QByteArray("\x01\x02\x03\x04\x05\x06\0\0", 8));
    file.insert(54, QByteArray(10, '\x7F'));
    PutLe32(file, 10, 64);
    SequentialStream stream(file);
    CDib dib;
    ASSERT_TRUE(dib.Read(stream));
    EXPECT_EQ(dib.GetImage().pixel(1, 0), qRgb(6, 5, 4));

    // A file embedded after other data is read from the stream's current position.
    QBuffer embedded;
    embedded.setData(QByteArray("prefix!") + file);
    embedded.open(QIODevice::ReadOnly);
    embedded.seek(7);
    CDib inner;
    ASSERT_TRUE(inner.Read(embedded));
    EXPECT_EQ(inner.GetImage().pixel(1, 0), qRgb(6, 5, 4));

    // A header claiming 64 MB of rows over a short stream is refused without taking the memory.
    QByteArray lying = MakeFile(8192, 2048, 32, 0, {}, QByteArray(100, '\0'));
    SequentialStream short_(lying);
    EXPECT_FALSE(dib.Read(short_));
    EXPECT_FALSE(dib.IsLoaded());
}
