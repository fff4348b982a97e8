// Text helpers shared by the pages: MAC addresses from table indexes, the device's UTF-8 name
// texts, and the characters a name may not hold.
#pragma once

#include <QByteArray>
#include <QString>

// The 26 characters refused in names: ~ ` ! @ # $ % ^ & * { } [ ] | \ : ; " ' < > , . ? /
// (blank, hyphen, underscore, parentheses, plus and equals are allowed).
inline constexpr char kForbiddenNameChars[] = "~`!@#$%^&*{}[]|\\:;\"'<>,.?/";

// True when text holds any of kForbiddenNameChars.
bool HasForbiddenNameChar(const QString& text);

// A dotted-decimal run of sub-identifiers ("0.28.240.18.52.86") as upper-case hex pairs joined by
// hyphens ("00-1C-F0-12-34-56"). The result holds at most 19 characters (six octets take 17); a
// component that is not a number counts as 0.
QString FormatMacFromOid(const QString& strDotted);

// Six octets as "%02X-%02X-%02X-%02X-%02X-%02X" (octets missing as 00, octets beyond six left out).
QString FormatMacBytes(const QByteArray& mac);

// The switch keeps its name texts (system name and location, the names of other pages) in UTF-8.
class CUtf8Text {
public:
    // The pages' buffers: 128 bytes to the device (127 and a terminating zero).
    static constexpr int kBufferSize = 128;
    static constexpr int kMaxUnitsToDevice = 256;
    static constexpr int kMaxUnitsFromDevice = 255;

    // Text to UTF-8 for a SET: the first 256 UTF-16 units of text, each character encoded whole and
    // appended while the result stays below nBufferSize bytes (a character that does not fit ends
    // it). A character outside the basic plane takes 4 bytes; an unpaired surrogate becomes U+FFFD.
    static QByteArray ToDevice(const QString& text, int nBufferSize = kBufferSize);

    // A value read from the device to text: decoded sequence by sequence by its lead byte (below
    // 0xC0 one byte, 0xC0-0xDF two, 0xE0-0xEF three, 0xF0-0xF7 four, 0xF8-0xFB five, above six),
    // at most 255 UTF-16 units. Decoding ends at a zero byte or at a sequence cut short by the end
    // of the value; a code point that text cannot hold (a surrogate, above U+10FFFF) becomes U+FFFD.
    // Never reads past the value.
    static QString FromDevice(const QByteArray& value);
};
