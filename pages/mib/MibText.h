// Number reading shared by the views' renderings.
#pragma once

#include <QString>

#include <cstdint>

// The leading decimal digits of text as a number, 0 when there are none (like the C library's
// strtoull without a sign); values beyond 64 bits saturate.
inline std::uint64_t DecimalPrefix(const QString& text)
{
    std::uint64_t value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        const unsigned digit = static_cast<unsigned>(c.unicode() - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return UINT64_MAX;
        value = value * 10 + digit;
    }
    return value;
}
