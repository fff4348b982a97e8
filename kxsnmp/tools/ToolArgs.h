// Command line of the kxsnmp client: kxsnmp get|next|set|walk [options] host OID [type value]...
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace kxtool {

enum class Command { Get, Next, Set, Walk };

struct ToolBinding {
    QString oid;         // dotted decimal, without a leading dot
    char type = 0;       // set only: i u c t a o s x n
    QString value;       // set only: the value text as given
};

struct ToolRequest {
    Command command = Command::Get;
    QString community = QStringLiteral("public");
    int port = 161;
    int timeoutMs = 5000;
    bool hex = false;    // print every request packet as sent
    bool log = false;    // switch the library's packet log (./snmp.log) on
    QString host;
    std::vector<ToolBinding> bindings;
};

// Parses the arguments after the program name. On failure returns false and sets error to a one-line reason.
bool ParseToolArgs(const QStringList& args, ToolRequest& request, QString& error);

// The usage text printed with a bad command line.
QString ToolUsage();

// Checks a dotted-decimal OID (an optional leading dot is dropped): 2 to 64 arcs, each a 32-bit unsigned
// number. Returns the OID without the leading dot, or an empty string when it is not valid.
QString NormaliseOid(const QString& text);

// Hex text of a set value of type x: pairs of hex digits, optionally separated by spaces or colons.
bool ParseHexValue(const QString& text, QByteArray& bytes);

} // namespace kxtool
