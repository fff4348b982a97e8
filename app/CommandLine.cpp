#include "app/CommandLine.h"

#include "core/Settings.h"

#include <algorithm>
#include <climits>

namespace {

// Length of the UTF-8 sequence introduced by lead byte c (1 for ASCII and for stray bytes).
std::size_t Utf8SequenceLength(unsigned char c)
{
    if ((c & 0xE0) == 0xC0)
        return 2;
    if ((c & 0xF0) == 0xE0)
        return 3;
    if ((c & 0xF8) == 0xF0)
        return 4;
    return 1;
}

// Drops an incomplete multi-byte sequence at the end of dest[0..n).
std::size_t TrimPartialUtf8(const char* dest, std::size_t n)
{
    std::size_t cont = 0;
    while (cont < 3 && cont < n && (static_cast<unsigned char>(dest[n - 1 - cont]) & 0xC0) == 0x80)
        ++cont;
    if (cont == n)
        return n;
    const std::size_t lead = n - 1 - cont;
    const std::size_t need = Utf8SequenceLength(static_cast<unsigned char>(dest[lead]));
    return need > cont + 1 ? lead : n;
}

// Reads one field of at most limit bytes at *pos as text.
QString ReadField(std::string_view line, int field, int* pos)
{
    char buf[64];
    static_assert(sizeof buf > 51);
    GetNextParameter(line, buf, kFieldLimit[field] + 1, pos);
    return QString::fromUtf8(buf);
}

} // namespace

void GetNextParameter(std::string_view line, char* dest, std::size_t destSize, int* pos)
{
    std::size_t i = *pos < 0 ? 0 : static_cast<std::size_t>(*pos);
    std::size_t n = 0;
    bool cut = false;
    while (i < line.size() && line[i] != '/') {
        if (line[i] != ' ') {
            if (n + 1 < destSize)
                dest[n++] = line[i];
            else
                cut = true;
        }
        ++i;
    }
    if (cut)
        n = TrimPartialUtf8(dest, n);
    if (destSize > 0)
        dest[n] = '\0';
    *pos = static_cast<int>(i);
}

int PortFromField(std::string_view value)
{
    if (value.empty())
        return 161;
    int port = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            return 161;
        port = std::min(port * 10 + (c - '0'), 1000000);
    }
    return port >= 1 && port <= 65535 ? port : 161;
}

bool ParseParameters(std::string_view line)
{
    if (line.empty())
        return false;
    // Positions are ints; a command line never comes near that size, but a caller's buffer might.
    if (line.size() > static_cast<std::size_t>(INT_MAX / 2))
        line = line.substr(0, INT_MAX / 2);
    const int length = static_cast<int>(line.size());

    int pos = 2;  // the first slash and tag are skipped unread
    ReadField(line, 1, &pos);
    if (pos >= length)
        return true;
    if (line.find("/I") == std::string_view::npos)
        return false;

    for (int field = 2; field <= 16; ++field) {
        pos += 2;  // the slash and the tag
        if (pos > length)
            pos = length + 1;  // keep "past the end" without growing further
        const QString value = ReadField(line, field, &pos);
        switch (field) {
        case 2:
            g_strDeviceIP = value;
            if (value.isEmpty())
                return false;
            break;
        case 3:
            if (!value.isEmpty())
                g_strGetCommunity = value;
            break;
        case 4:
            if (!value.isEmpty())
                g_strSetCommunity = value;
            break;
        case 5:
            g_bWriteAccess = (value == QLatin1String("TRUE") || value == QLatin1String("true")) ? 1 : 0;
            break;
        case 6:
            if (!value.isEmpty())
                g_strSnmpVersion = value;
            break;
        case 7: {
            const QByteArray bytes = value.toUtf8();
            g_nSnmpPort = PortFromField(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            break;
        }
        case 11:
            if (!value.isEmpty())
                g_strSecurityLevel = value;
            break;
        case 12:
            if (!value.isEmpty())
                g_strUserName = value;
            break;
        case 13:
            if (!value.isEmpty())
                g_strAuthPassword = value;
            break;
        case 14:
            if (!value.isEmpty())
                g_strPrivPassword = value;
            break;
        case 15:
            if (!value.isEmpty())
                g_strAuthProtocol = value;
            break;
        case 16:
            if (!value.isEmpty())
                g_strPrivProtocol = value;
            break;
        default:  // fields 8, 9 and 10 are read and discarded
            break;
        }
        if (pos >= length)
            return true;
        // The SNMPv3 fields are read only for versions other than "1".
        if (field == 7 && g_strSnmpVersion == QLatin1String("1"))
            return true;
    }
    return true;
}

QString CommandLineFromArguments(const QStringList& arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}
