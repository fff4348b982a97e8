#include "ToolArgs.h"

#include <QHostAddress>

#include <cctype>

#include <limits>

namespace kxtool {

namespace {

bool ParseNumber(const QString& text, long long min, long long max, long long& value)
{
    bool ok = false;
    const long long v = text.toLongLong(&ok, 10);
    if (!ok || v < min || v > max)
        return false;
    value = v;
    return true;
}

bool ParseCommand(const QString& word, Command& command)
{
    static const struct { const char* name; Command command; } kCommands[] = {
        {"get", Command::Get}, {"next", Command::Next}, {"set", Command::Set}, {"walk", Command::Walk}};
    for (const auto& c : kCommands) {
        if (word == QLatin1String(c.name)) {
            command = c.command;
            return true;
        }
    }
    return false;
}

bool IsIpv4Dotted(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString& part : parts) {
        long long v = 0;
        if (part.isEmpty() || part.size() > 3 || !ParseNumber(part, 0, 255, v))
            return false;
        for (QChar ch : part)
            if (!ch.isDigit())
                return false;
    }
    return true;
}

// Checks a set value against its type letter; returns an empty text when it is fine.
QString CheckValue(char type, const QString& value)
{
    long long v = 0;
    QByteArray bytes;
    switch (type) {
    case 'i':
        return ParseNumber(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), v)
            ? QString() : QStringLiteral("INTEGER value must be a signed 32-bit number: ") + value;
    case 'u': case 'c': case 't':
        return ParseNumber(value, 0, std::numeric_limits<std::uint32_t>::max(), v)
            ? QString() : QStringLiteral("value must be an unsigned 32-bit number: ") + value;
    case 'a':
        return IsIpv4Dotted(value) ? QString() : QStringLiteral("IpAddress value must be dotted decimal a.b.c.d: ") + value;
    case 'o':
        return NormaliseOid(value).isEmpty() ? QStringLiteral("OBJECT IDENTIFIER value is not a dotted-decimal OID: ") + value : QString();
    case 'x':
        return ParseHexValue(value, bytes) ? QString() : QStringLiteral("hex value must be pairs of hex digits: ") + value;
    case 's': case 'n':
        return QString();
    default:
        return QStringLiteral("unknown value type '") + QLatin1Char(type) + QStringLiteral("' (use i u c t a o s x n)");
    }
}

} // namespace

QString ToolUsage()
{
    return QStringLiteral(
        "usage: kxsnmp get|next|walk [options] host OID...\n"
        "       kxsnmp set [options] host OID type value [OID type value]...\n"
        "options:\n"
        "  -c community   community string (default public)\n"
        "  -p port        agent UDP port, 1-65535 (default 161)\n"
        "  -t ms          response time-out in milliseconds, 1-600000 (default 5000)\n"
        "  --hex          print each request packet in hexadecimal as it is sent\n"
        "  --log          append every message to ./snmp.log\n"
        "host: an IPv4 address or a host name. walk takes exactly one OID.\n"
        "set types: i INTEGER, u Gauge, c Counter, t TimeTicks, a IpAddress, o OBJECT IDENTIFIER,\n"
        "           s OCTET STRING text, x OCTET STRING hex, n NULL\n");
}

QString NormaliseOid(const QString& text)
{
    QString oid = text.startsWith(QLatin1Char('.')) ? text.mid(1) : text;
    const QStringList arcs = oid.split(QLatin1Char('.'));
    if (arcs.size() < 2 || arcs.size() > 64)
        return QString();
    for (const QString& arc : arcs) {
        if (arc.isEmpty() || arc.size() > 10)
            return QString();
        for (QChar ch : arc)
            if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
                return QString();
        long long v = 0;
        if (!ParseNumber(arc, 0, std::numeric_limits<std::uint32_t>::max(), v))
            return QString();
    }
    const long long first = arcs[0].toLongLong();
    const long long second = arcs[1].toLongLong();
    if (first > 2 || (first < 2 && second > 39))
        return QString();
    return oid;
}

bool ParseHexValue(const QString& text, QByteArray& bytes)
{
    bytes.clear();
    QString digits;
    for (QChar ch : text) {
        if (ch == QLatin1Char(' ') || ch == QLatin1Char(':'))
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(ch.toLatin1())) || ch.unicode() > 0x7f)
            return false;
        digits += ch;
    }
    if (digits.size() % 2 != 0)
        return false;
    for (qsizetype i = 0; i < digits.size(); i += 2)
        bytes.append(static_cast<char>(digits.mid(i, 2).toUInt(nullptr, 16)));
    return true;
}

bool ParseToolArgs(const QStringList& args, ToolRequest& request, QString& error)
{
    request = ToolRequest();
    if (args.isEmpty()) {
        error = QStringLiteral("missing command");
        return false;
    }
    if (!ParseCommand(args[0], request.command)) {
        error = QStringLiteral("unknown command: ") + args[0];
        return false;
    }
    QStringList rest;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--hex")) {
            request.hex = true;
        } else if (arg == QLatin1String("--log")) {
            request.log = true;
        } else if (arg == QLatin1String("-c") || arg == QLatin1String("-p") || arg == QLatin1String("-t")) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("option ") + arg + QStringLiteral(" needs a value");
                return false;
            }
            const QString& value = args[++i];
            long long v = 0;
            if (arg == QLatin1String("-c")) {
                if (value.toUtf8().size() > 255) {
                    error = QStringLiteral("community is longer than 255 bytes");
                    return false;
                }
                request.community = value;
            } else if (arg == QLatin1String("-p")) {
                if (!ParseNumber(value, 1, 65535, v)) {
                    error = QStringLiteral("port must be a number from 1 to 65535: ") + value;
                    return false;
                }
                request.port = static_cast<int>(v);
            } else {
                if (!ParseNumber(value, 1, 600000, v)) {
                    error = QStringLiteral("time-out must be a number of milliseconds from 1 to 600000: ") + value;
                    return false;
                }
                request.timeoutMs = static_cast<int>(v);
            }
        } else if (arg.size() > 1 && arg.startsWith(QLatin1Char('-')) && !arg[1].isDigit()) {
            error = QStringLiteral("unknown option: ") + arg;
            return false;
        } else {
            rest.append(arg);
        }
    }
    if (rest.isEmpty()) {
        error = QStringLiteral("missing host");
        return false;
    }
    request.host = rest.takeFirst();
    if (request.host.isEmpty()) {
        error = QStringLiteral("empty host");
        return false;
    }
    if (rest.isEmpty()) {
        error = QStringLiteral("missing OID");
        return false;
    }
    const bool set = request.command == Command::Set;
    if (set && rest.size() % 3 != 0) {
        error = QStringLiteral("set needs OID type value triples");
        return false;
    }
    if (request.command == Command::Walk && rest.size() != 1) {
        error = QStringLiteral("walk takes exactly one OID");
        return false;
    }
    for (qsizetype i = 0; i < rest.size(); i += set ? 3 : 1) {
        ToolBinding binding;
        binding.oid = NormaliseOid(rest[i]);
        if (binding.oid.isEmpty()) {
            error = QStringLiteral("not a dotted-decimal OID: ") + rest[i];
            return false;
        }
        if (set) {
            const QString& type = rest[i + 1];
            if (type.size() != 1 || type[0].unicode() > 0x7f) {
                error = QStringLiteral("value type must be one letter: ") + type;
                return false;
            }
            binding.type = type[0].toLatin1();
            binding.value = rest[i + 2];
            const QString problem = CheckValue(binding.type, binding.value);
            if (!problem.isEmpty()) {
                error = problem;
                return false;
            }
        }
        request.bindings.push_back(binding);
    }
    if (request.bindings.size() > 64) {
        error = QStringLiteral("at most 64 OIDs in one request");
        return false;
    }
    return true;
}

} // namespace kxtool
