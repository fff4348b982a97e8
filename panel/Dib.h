// CDib: a device-independent bitmap held in memory with its colour table, read from and written to
// bitmap files by our own codec, and drawn through QPainter from an image prepared once at load.
#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <vector>

class QIODevice;
class QPainter;

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;

// Registers the program bitmaps (:/bitmaps/158.bmp ...) compiled into the static panel library.
// Safe to call any number of times; CDib::LoadResource and CMyBitmapApp call it themselves.
void InitPanelResources();

class CDib
{
public:
    static constexpr int kFileHeaderSize = 14;
    static constexpr int kInfoHeaderSize = 40;
    // Limits for pictures read from files: larger ones are refused before anything is allocated.
    static constexpr int kMaxDimension = 16384;
    static constexpr qint64 kMaxPixels = 16 * 1024 * 1024;

    CDib() = default;
    CDib(const CDib& other) = default;
    CDib& operator=(const CDib& other) = default;
    CDib(CDib&& other) noexcept = default;
    CDib& operator=(CDib&& other) noexcept = default;
    virtual ~CDib() = default;

    // Copies destRect.size() pixels unscaled to destRect's top-left, from srcRect's top-left of the
    // picture (srcRect's size is not used). Returns the number of scan lines drawn.
    virtual int Paint(QPainter* dc, const QRect& destRect, const QRect& srcRect) const;
    // Stretches the whole picture into the rectangle (nearest-pixel source copy).
    virtual void Draw(QPainter* dc, int x, int y, int width, int height) const;
    // Draw at the picture's own size.
    virtual void DrawAt(QPainter* dc, int x, int y) const;
    // Opens the file and calls Read; false when it cannot be opened or read.
    virtual bool ReadFile(const QString& path);
    // Reads a bitmap file stream from its current position.
    virtual bool Read(QIODevice& file);
    // Creates or truncates the file and calls Write.
    virtual bool WriteFile(const QString& path);
    virtual bool Write(QIODevice& file);

    // From a bitmap file on disk: our reader for "BM" files, Qt's image reader for other formats.
    bool Load(const QString& fileName);
    // From the program bitmaps: a number such as "158" names :/bitmaps/158.bmp; a name starting with
    // ":" is used as a resource path.
    bool LoadResource(const QString& name);
    bool LoadResource(int number) { return LoadResource(QString::number(number)); }
    // Takes the picture of an image. bitCount 0 keeps 1 or 8 bits for monochrome and indexed images
    // and makes 24 bits of anything else; 1, 4 or 8 need an indexed image whose colour table fits.
    bool CreateFromImage(const QImage& image, int bitCount = 0);
    void CreatePalette();

    int GetWidth() const;
    int GetHeight() const;
    int GetBitCount() const;
    const BYTE* GetBits() const { return m_bits.empty() ? nullptr : m_bits.data(); }
    // The 40-byte header followed by the colour table; null when empty.
    const BYTE* GetInfo() const { return m_info.empty() ? nullptr : m_info.data(); }
    int GetInfoSize() const { return static_cast<int>(m_info.size()); }
    // The header's used-colours field when not 0, else 2 to the power of the bit count.
    int GetColorCount() const;
    // The palette: one entry per colour for pictures of 8 bits or fewer, empty otherwise.
    const QList<QRgb>& GetPalette() const { return m_palette; }
    bool HasPalette() const { return !m_palette.isEmpty(); }
    bool IsLoaded() const { return !m_info.empty(); }
    bool IsFromFile() const { return m_bFromFile; }
    // The prepared picture that drawing uses (RGB32); null when empty.
    const QImage& GetImage() const { return m_image; }
    void Clear();

    // Bytes per row in a bitmap file: rows are padded to whole 32-bit words.
    static int RowLength(int bitCount, int width) { return static_cast<int>((static_cast<qint64>(bitCount) * width + 31) / 32 * 4); }
    // Colour-table entries written to a file: 2, 16 or 256 for 1, 4 or 8 bits, none otherwise.
    static int TableSize(int bitCount);

private:
    DWORD HeaderField(int offset) const;
    void SetHeaderField(int offset, DWORD value);
    bool PrepareImage();

    std::vector<BYTE> m_info;   // 40-byte header + colour table
    std::vector<BYTE> m_bits;   // pixel rows, bottom-up, file row length
    QList<QRgb> m_palette;      // colour table of pictures of 8 bits or fewer
    bool m_bFromFile = false;
    QImage m_image;
};
