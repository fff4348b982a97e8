#include "pages/common/PortList.h"

#include <QStringList>

#include <algorithm>

namespace {

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

std::vector<int> PortsFromBitmap(const QByteArray& bitmap, int nPortNum)
{
    std::vector<int> ports;
    const qsizetype nBytes = std::min<qsizetype>(bitmap.size(), (std::max(nPortNum, 0) + 7) / 8);
    for (qsizetype k = 0; k < nBytes; ++k) {
        const auto byte = static_cast<unsigned char>(bitmap[k]);
        for (int bit = 0; bit < 8; ++bit)
            if (byte & (0x80u >> bit))
                ports.push_back(static_cast<int>(k) * 8 + bit + 1);
    }
    return ports;
}

int PortListFromBitmap(const QByteArray& bitmap, int nPortNum, QString& strList)
{
    const std::vector<int> ports = PortsFromBitmap(bitmap, nPortNum);
    QStringList parts;
    for (int port : ports)
        parts << QString::number(port);
    strList = parts.join(QLatin1Char(','));
    return static_cast<int>(ports.size());
}

QString PortRangeFromBitmap(const QByteArray& bitmap, int nPortNum)
{
    const std::vector<int> ports = PortsFromBitmap(bitmap, nPortNum);
    QStringList parts;
    for (std::size_t i = 0; i < ports.size();) {
        std::size_t j = i;
        while (j + 1 < ports.size() && ports[j + 1] == ports[j] + 1)
            ++j;
        parts << (j == i ? QString::number(ports[i]) : QString::number(ports[i]) + QLatin1Char('-') + QString::number(ports[j]));
        i = j + 1;
    }
    return parts.join(QLatin1Char(','));
}

QString HexFromPortFlags(const std::vector<int>& flags)
{
    static const char kDigits[] = "0123456789abcdef";
    QString hex;
    for (std::size_t i = 0; i < flags.size(); i += 4) {
        int value = 0;
        for (std::size_t j = 0; j < 4; ++j)
            if (i + j < flags.size() && flags[i + j] != 0)
                value |= 8 >> j;
        hex += QLatin1Char(kDigits[value]);
    }
    return hex;
}

QString PadPortHex(const QString& strHex, int nPortNum)
{
    int nPad = 0;
    switch (nPortNum) {
    case 10: nPad = 5; break;
    case 16: nPad = 4; break;
    case 24: nPad = 2; break;
    case 28: nPad = 1; break;
    case 48: nPad = 4; break;
    case 52: nPad = 3; break;
    default: break;
    }
    return strHex + QString(nPad, QLatin1Char('0'));
}

QByteArray BytesFromHex(const QString& strHex, int nMaxBytes)
{
    QString text = strHex;
    if (text.size() % 2)
        text += QLatin1Char('0');
    QByteArray bytes;
    for (qsizetype i = 0; i + 1 < text.size() && bytes.size() < nMaxBytes; i += 2) {
        const int hi = HexDigit(text[i]);
        const int lo = HexDigit(text[i + 1]);
        if (hi < 0 || lo < 0)
            break;
        bytes.append(static_cast<char>(hi * 16 + lo));
    }
    return bytes;
}

QString ByteDump(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QByteArray PortBitmapFromFlags(const std::vector<int>& flags, int nPortNum)
{
    return BytesFromHex(PadPortHex(HexFromPortFlags(flags), nPortNum));
}

std::vector<int> PortFlagsFromList(const QString& strList, int nPortNum)
{
    std::vector<int> flags(static_cast<std::size_t>(std::max(nPortNum, 0)), 0);
    for (const QString& part : strList.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int port = part.trimmed().toInt(&ok);
        if (ok && port >= 1 && port <= nPortNum)
            flags[static_cast<std::size_t>(port - 1)] = 1;
    }
    return flags;
}

bool PortInList(const QString& strList, int nPort)
{
    const QString number = QString::number(nPort);
    for (const QString& part : strList.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (part.trimmed() == number)
            return true;
    return false;
}
