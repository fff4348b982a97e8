// Device text through the UTF-8 reader, the writer and back, and MAC rendering of an index.
#include "pages/common/Format.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = CUtf8Text::FromDevice(bytes);
    if (text.size() > CUtf8Text::kMaxUnitsFromDevice)
        std::abort();
    const QByteArray back = CUtf8Text::ToDevice(text);
    if (back.size() >= CUtf8Text::kBufferSize)
        std::abort();
    // What the writer produced reads back as the same text, as far as it fitted.
    const QString again = CUtf8Text::FromDevice(back);
    if (!text.startsWith(again))
        std::abort();
    if (FormatMacFromOid(QString::fromLatin1(bytes)).size() > 19)
        std::abort();
    return 0;
}
