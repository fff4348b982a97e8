// Fuzz target: the bitmap file reader. Whatever it accepts must draw, write and read back the same.
#include "panel/Dib.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    CDib dib;
    if (!dib.Read(buffer)) {
        if (dib.IsLoaded() || !dib.GetImage().isNull())
            std::abort();
        return 0;
    }
    if (dib.GetImage().width() != dib.GetWidth() || dib.GetImage().height() != dib.GetHeight())
        std::abort();

    QImage target(16, 16, QImage::Format_RGB32);
    target.fill(0);
    {
        QPainter p(&target);
        dib.Draw(&p, 1, 1, 9, 7);
        dib.Paint(&p, QRect(0, 0, 8, 8), QRect(1, 1, 8, 8));
    }

    QByteArray written;
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    if (!dib.Write(out))
        std::abort();
    out.close();
    QBuffer again;
    again.setData(written);
    again.open(QIODevice::ReadOnly);
    CDib back;
    if (!back.Read(again) || back.GetImage() != dib.GetImage())
        std::abort();
    return 0;
}
