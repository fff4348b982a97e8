#include "panel/Dib.h"

#include "core/Trace.h"

#include <QFile>
#include <QIODevice>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace {

// Offsets of the fields of the 40-byte information header.
constexpr int kOffSize = 0;
constexpr int kOffWidth = 4;
constexpr int kOffHeight = 8;
constexpr int kOffPlanesBits = 12; // planes (16 bits) then bit count (16 bits)
constexpr int kOffCompression = 16;
constexpr int kOffSizeImage = 20;
constexpr int kOffClrUsed = 32;

DWORD Le32(const BYTE* p)
{
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}

WORD Le16(const BYTE* p)
{
    return WORD(p[0] | p[1] << 8);
}

void PutLe32(BYTE* p, DWORD v)
{
    p[0] = BYTE(v);
    p[1] = BYTE(v >> 8);
    p[2] = BYTE(v >> 16);
    p[3] = BYTE(v >> 24);
}

// Reads exactly n bytes; false when the stream ends first. Reads in chunks so that a stream that lies
// about what it holds never makes us allocate more than it actually delivers.
bool ReadExact(QIODevice& file, std::vector<BYTE>& out, qint64 n)
{
    out.clear();
    if (!file.isSequential() && file.size() - file.pos() < n)
        return false;
    constexpr qint64 kChunk = 1 << 16;
    while (qint64(out.size()) < n) {
        const qint64 want = std::min(kChunk, n - qint64(out.size()));
        const std::size_t old = out.size();
        out.resize(old + std::size_t(want));
        const qint64 got = file.read(reinterpret_cast<char*>(out.data() + old), want);
        if (got <= 0)
            return false;
        out.resize(old + std::size_t(got));
    }
    return true;
}

bool ValidGeometry(qint64 width, qint64 height)
{
    return width > 0 && height > 0 && width <= CDib::kMaxDimension && height <= CDib::kMaxDimension
        && width * height <= CDib::kMaxPixels;
}

} // namespace

int CDib::TableSize(int bitCount)
{
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

DWORD CDib::HeaderField(int offset) const
{
    return m_info.size() >= std::size_t(kInfoHeaderSize) ? Le32(m_info.data() + offset) : 0;
}

void CDib::SetHeaderField(int offset, DWORD value)
{
    PutLe32(m_info.data() + offset, value);
}

int CDib::GetWidth() const
{
    return int(HeaderField(kOffWidth));
}

int CDib::GetHeight() const
{
    return int(HeaderField(kOffHeight));
}

int CDib::GetBitCount() const
{
    return int(HeaderField(kOffPlanesBits) >> 16);
}

int CDib::GetColorCount() const
{
    if (!IsLoaded())
        return 0;
    const DWORD used = HeaderField(kOffClrUsed);
    if (used != 0)
        return int(std::min<DWORD>(used, 1u << 30));
    const int bits = GetBitCount();
    return bits >= 31 ? (1 << 30) : (1 << bits);
}

void CDib::Clear()
{
    m_info.clear();
    m_bits.clear();
    m_palette.clear();
    m_image = QImage();
    m_bFromFile = false;
}

void CDib::CreatePalette()
{
    m_palette.clear();
    const int bits = GetBitCount();
    if (!IsLoaded() || bits > 8)
        return;
    const int stored = (int(m_info.size()) - kInfoHeaderSize) / 4;
    const int count = std::min({GetColorCount(), 1 << bits, stored});
    m_palette.reserve(count);
    for (int i = 0; i < count; ++i) {
        const BYTE* q = m_info.data() + kInfoHeaderSize + 4 * i; // blue, green, red, reserved
        m_palette.append(qRgb(q[2], q[1], q[0]));
    }
}

// Decodes the rows into the RGB32 image that drawing uses, once per load.
bool CDib::PrepareImage()
{
    const int width = GetWidth();
    const int height = GetHeight();
    const int bits = GetBitCount();
    const int rowLen = RowLength(bits, width);
    m_image = QImage(width, height, QImage::Format_RGB32);
    if (m_image.isNull())
        return false;
    const int colours = int(m_palette.size());
    auto index = [&](int i) { return i < colours ? m_palette[i] : qRgb(0, 0, 0); };
    for (int y = 0; y < height; ++y) {
        const BYTE* row = m_bits.data() + std::size_t(height - 1 - y) * std::size_t(rowLen);
        auto* out = reinterpret_cast<QRgb*>(m_image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            switch (bits) {
            case 1: out[x] = index((row[x >> 3] >> (7 - (x & 7))) & 1); break;
            case 4: out[x] = index((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)); break;
            case 8: out[x] = index(row[x]); break;
            case 16: {
                const WORD v = Le16(row + 2 * x); // 5-5-5
                const int r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                out[x] = qRgb(r << 3 | r >> 2, g << 3 | g >> 2, b << 3 | b >> 2);
                break;
            }
            case 24: out[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
            case 32: out[x] = qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]); break;
            default: return false;
            }
        }
    }
    return true;
}

bool CDib::Read(QIODevice& file)
{
    Clear();
    const qint64 start = file.pos();

    BYTE fileHeader[kFileHeaderSize];
    if (file.read(reinterpret_cast<char*>(fileHeader), kFileHeaderSize) != kFileHeaderSize)
        return false;
    if (Le16(fileHeader) != 0x4D42) {
        TRACE() << "Error:Unexpected file type, not a DIB";
        return false;
    }
    const DWORD bitsOffset = Le32(fileHeader + 10);

    BYTE header[kInfoHeaderSize];
    if (file.read(reinterpret_cast<char*>(header), kInfoHeaderSize) != kInfoHeaderSize)
        return false;
    if (Le32(header + kOffSize) != DWORD(kInfoHeaderSize)) {
        TRACE() << "Error:OS2 PM BMP Format not supported";
        return false;
    }
    const qint64 width = qint32(Le32(header + kOffWidth));
    const qint64 rawHeight = qint32(Le32(header + kOffHeight));
    const bool topDown = rawHeight < 0;
    const qint64 height = topDown ? -rawHeight : rawHeight;
    const int bits = Le16(header + kOffPlanesBits + 2);
    const DWORD compression = Le32(header + kOffCompression);
    DWORD used = Le32(header + kOffClrUsed);

    if (!ValidGeometry(width, height)) {
        TRACE() << "Error:bitmap dimensions refused" << width << "x" << rawHeight;
        return false;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        TRACE() << "Error:unsupported bit count" << bits;
        return false;
    }
    if (compression != 0) {
        TRACE() << "Error:compressed bitmaps not supported";
        return false;
    }
    if (bitsOffset < DWORD(kFileHeaderSize + kInfoHeaderSize))
        return false;

    int colours = 0;
    if (bits <= 8) {
        // A used-colours count beyond what the bit count can address is capped.
        if (used > (1u << bits))
            used = 1u << bits;
        colours = used != 0 ? int(used) : (1 << bits);
    }
    std::vector<BYTE> table;
    if (colours > 0 && !ReadExact(file, table, 4 * qint64(colours)))
        return false;

    const qint64 rowLen = RowLength(bits, int(width));
    const qint64 needed = rowLen * height;
    // Bytes read so far, counted here: a sequential stream has no position to ask.
    const qint64 consumed = kFileHeaderSize + kInfoHeaderSize + 4 * qint64(colours);
    const qint64 gap = qint64(bitsOffset) - consumed;
    if (gap < 0) {
        if (file.isSequential() || !file.seek(start + qint64(bitsOffset)))
            return false;
    } else if (gap > 0 && file.skip(gap) != gap) {
        return false;
    }
    std::vector<BYTE> pixels;
    if (!ReadExact(file, pixels, needed))
        return false;
    if (topDown) {
        // Keep rows bottom-up in memory like every other picture.
        for (qint64 y = 0; y < height / 2; ++y)
            std::swap_ranges(pixels.begin() + y * rowLen, pixels.begin() + (y + 1) * rowLen,
                             pixels.begin() + (height - 1 - y) * rowLen);
    }

    m_info.assign(header, header + kInfoHeaderSize);
    m_info.insert(m_info.end(), table.begin(), table.end());
    SetHeaderField(kOffHeight, DWORD(height));
    SetHeaderField(kOffClrUsed, used);
    m_bits = std::move(pixels);
    CreatePalette();
    if (!PrepareImage()) {
        Clear();
        return false;
    }
    m_bFromFile = true;
    return true;
}

bool CDib::Write(QIODevice& file)
{
    if (!IsLoaded())
        return false;
    // Rows are kept at the file row length in memory, so no repacking is needed before writing.
    const int table = TableSize(GetBitCount());
    const DWORD tableBytes = DWORD(4 * table);
    const DWORD bitsOffset = DWORD(kFileHeaderSize + kInfoHeaderSize) + tableBytes;
    const DWORD fileSize = bitsOffset + DWORD(m_bits.size());

    std::vector<BYTE> out(bitsOffset, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLe32(out.data() + 2, fileSize);
    PutLe32(out.data() + 10, bitsOffset);
    std::memcpy(out.data() + kFileHeaderSize, m_info.data(), kInfoHeaderSize);
    PutLe32(out.data() + kFileHeaderSize + kOffSizeImage, 0);
    const std::size_t stored = std::min<std::size_t>(m_info.size() - kInfoHeaderSize, tableBytes);
    std::memcpy(out.data() + kFileHeaderSize + kInfoHeaderSize, m_info.data() + kInfoHeaderSize, stored);
    out.insert(out.end(), m_bits.begin(), m_bits.end());
    return file.write(reinterpret_cast<const char*>(out.data()), qint64(out.size())) == qint64(out.size());
}

bool CDib::ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Clear();
        return false;
    }
    return Read(file);
}

bool CDib::WriteFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return Write(file) && file.flush();
}

bool CDib::Load(const QString& fileName)
{
    if (fileName.isEmpty()) {
        Clear();
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        Clear();
        return false;
    }
    if (file.peek(2) == "BM")
        return Read(file);
    // Not a bitmap file: let Qt's image reader try its formats (PNG and the like).
    QImageReader reader(&file);
    reader.setAllocationLimit(int(kMaxPixels * 4 / (1024 * 1024)));
    const QImage image = reader.read();
    return CreateFromImage(image);
}

bool CDib::LoadResource(const QString& name)
{
#ifndef TQX_NO_PANEL_RESOURCES
    InitPanelResources();
#endif
    if (name.isEmpty()) {
        Clear();
        return false;
    }
    QString path = name;
    if (!name.startsWith(QLatin1Char(':')))
        path = QStringLiteral(":/bitmaps/") + name
            + (name.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive) ? QString() : QStringLiteral(".bmp"));
    return ReadFile(path);
}

bool CDib::CreateFromImage(const QImage& source, int bitCount)
{
    Clear();
    if (source.isNull() || !ValidGeometry(source.width(), source.height()))
        return false;
    const bool indexed = source.format() == QImage::Format_Mono || source.format() == QImage::Format_MonoLSB
        || source.format() == QImage::Format_Indexed8;
    if (bitCount == 0)
        bitCount = !indexed ? 24 : (source.depth() == 1 ? 1 : 8);
    if (bitCount != 1 && bitCount != 4 && bitCount != 8)
        bitCount = 24;

    const int width = source.width();
    const int height = source.height();
    const int rowLen = RowLength(bitCount, width);
    std::vector<BYTE> bits(std::size_t(rowLen) * std::size_t(height), 0);
    const int table = TableSize(bitCount);
    std::vector<BYTE> info(std::size_t(kInfoHeaderSize + 4 * table), 0);

    if (bitCount <= 8) {
        if (!indexed)
            return false;
        const QImage image = source.convertToFormat(QImage::Format_Indexed8);
        const QList<QRgb> colours = image.colorTable();
        if (colours.size() > table)
            return false;
        for (int i = 0; i < int(colours.size()); ++i) {
            BYTE* q = info.data() + kInfoHeaderSize + 4 * i;
            q[0] = BYTE(qBlue(colours[i]));
            q[1] = BYTE(qGreen(colours[i]));
            q[2] = BYTE(qRed(colours[i]));
        }
        for (int y = 0; y < height; ++y) {
            const uchar* in = image.constScanLine(y);
            BYTE* row = bits.data() + std::size_t(height - 1 - y) * std::size_t(rowLen);
            for (int x = 0; x < width; ++x) {
                const int v = in[x];
                switch (bitCount) {
                case 1: row[x >> 3] |= BYTE((v & 1) << (7 - (x & 7))); break;
                case 4: row[x >> 1] |= BYTE((v & 15) << ((x & 1) ? 0 : 4)); break;
                default: row[x] = BYTE(v); break;
                }
            }
        }
    } else {
        const QImage image = source.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            BYTE* row = bits.data() + std::size_t(height - 1 - y) * std::size_t(rowLen);
            for (int x = 0; x < width; ++x) {
                row[3 * x] = BYTE(qBlue(in[x]));
                row[3 * x + 1] = BYTE(qGreen(in[x]));
                row[3 * x + 2] = BYTE(qRed(in[x]));
            }
        }
    }

    m_info = std::move(info);
    SetHeaderField(kOffSize, kInfoHeaderSize);
    SetHeaderField(kOffWidth, DWORD(width));
    SetHeaderField(kOffHeight, DWORD(height));
    SetHeaderField(kOffPlanesBits, 1u | DWORD(bitCount) << 16);
    SetHeaderField(kOffSizeImage, DWORD(bits.size()));
    m_bits = std::move(bits);
    CreatePalette();
    if (!PrepareImage()) {
        Clear();
        return false;
    }
    m_bFromFile = false;
    return true;
}

int CDib::Paint(QPainter* dc, const QRect& destRect, const QRect& srcRect) const
{
    if (dc == nullptr || m_image.isNull() || destRect.width() <= 0 || destRect.height() <= 0)
        return 0;
    const QRect wanted(srcRect.left(), srcRect.top(), destRect.width(), destRect.height());
    const QRect source = wanted.intersected(m_image.rect());
    if (source.isEmpty())
        return 0;
    dc->drawImage(destRect.topLeft() + (source.topLeft() - wanted.topLeft()), m_image, source);
    return source.height();
}

void CDib::Draw(QPainter* dc, int x, int y, int width, int height) const
{
    if (dc == nullptr || m_image.isNull() || width <= 0 || height <= 0)
        return;
    if (width == m_image.width() && height == m_image.height()) {
        dc->drawImage(QPoint(x, y), m_image);
        return;
    }
    // A source copy: nearest pixels, no smoothing.
    const bool smooth = dc->testRenderHint(QPainter::SmoothPixmapTransform);
    if (smooth)
        dc->setRenderHint(QPainter::SmoothPixmapTransform, false);
    dc->drawImage(QRect(x, y, width, height), m_image);
    if (smooth)
        dc->setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void CDib::DrawAt(QPainter* dc, int x, int y) const
{
    Draw(dc, x, y, GetWidth(), GetHeight());
}
