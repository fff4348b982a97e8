#include "pages/common/Format.h"

#include <QStringList>

#include <cstdio>
#include <cstring>

bool HasForbiddenNameChar(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x80 && c.unicode() != 0 && std::strchr(kForbiddenNameChars, c.toLatin1()))
            return true;
    return false;
}

QString FormatMacBytes(const QByteArray& mac)
{
    QStringList parts;
    for (int i = 0; i < 6; ++i)
        parts << QStringLiteral("%1").arg(i < mac.size() ? static_cast<unsigned char>(mac[i]) : 0, 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(QLatin1Char('-'));
}

QString FormatMacFromOid(const QString& strDotted)
{
    // Built as in a 20-byte buffer: 19 characters at most.
    constexpr int kMaxChars = 19;
    if (strDotted.isEmpty())
        return QString();
    const QStringList parts = strDotted.split(QLatin1Char('.'));
    QString result;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        char piece[16];
        const unsigned value = parts[i].toUInt();
        std::snprintf(piece, sizeof piece, i + 1 < parts.size() ? "%02X-" : "%02X", value);
        result += QLatin1String(piece);
        if (result.size() >= kMaxChars) {
            result.truncate(kMaxChars);
            break;
        }
    }
    return result;
}

namespace {

void AppendUtf8(QByteArray& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

QByteArray CUtf8Text::ToDevice(const QString& text, int nBufferSize)
{
    const qsizetype nUnits = std::min<qsizetype>(text.size(), kMaxUnitsToDevice);
    QByteArray out;
    QByteArray piece;
    for (qsizetype i = 0; i < nUnits; ++i) {
        char32_t cp = text[i].unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < nUnits && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(cp)) {
            cp = 0xFFFD;
        }
        piece.clear();
        AppendUtf8(piece, cp);
        if (out.size() + piece.size() > nBufferSize - 1)
            break;
        out += piece;
    }
    return out;
}

QString CUtf8Text::FromDevice(const QByteArray& value)
{
    const auto* p = reinterpret_cast<const unsigned char*>(value.constData());
    const qsizetype n = value.size();
    QString text;
    qsizetype i = 0;
    while (i < n && p[i] != 0) {
        const unsigned char lead = p[i];
        int length = 1;
        char32_t cp = lead;
        if (lead >= 0xFC) {
            length = 6;
            cp = lead & 0x01;
        } else if (lead >= 0xF8) {
            length = 5;
            cp = lead & 0x03;
        } else if (lead >= 0xF0) {
            length = 4;
            cp = lead & 0x07;
        } else if (lead >= 0xE0) {
            length = 3;
            cp = lead & 0x0F;
        } else if (lead >= 0xC0) {
            length = 2;
            cp = lead & 0x1F;
        }
        if (i + length > n)
            break;
        for (int k = 1; k < length; ++k)
            cp = (cp << 6) | (p[i + k] & 0x3F);
        i += length;
        if (cp == 0)
            break;  // an over-long zero ends the text like a zero byte
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            cp = 0xFFFD;
        const int units = cp > 0xFFFF ? 2 : 1;
        if (text.size() + units > kMaxUnitsFromDevice)
            break;
        if (units == 2) {
            text += QChar(QChar::highSurrogate(cp));
            text += QChar(QChar::lowSurrogate(cp));
        } else {
            text += QChar(static_cast<char16_t>(cp));
        }
    }
    return text;
}
