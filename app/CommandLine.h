// The command line of the management suite: a run of fields, each a slash, one tag character and a
// value up to the next slash, for example "/M1 /I10.90.90.90 /Rpublic /Wprivate /Atrue /V1 /P161".
// Fields are told apart by position only; tags are never examined. Space characters are dropped
// wherever they occur inside a value. A value longer than its field's limit is cut to that limit.
#pragma once

#include <QString>
#include <QStringList>

#include <cstddef>
#include <string_view>

// Longest value kept for each field (1-based index; 0 unused). Longer values are cut.
inline constexpr std::size_t kFieldLimit[17] = {0, 19, 15, 51, 51, 11, 7, 7, 7, 7, 7, 7, 31, 31, 31, 7, 7};

// Copies the value that starts at index *pos of line into dest (capacity destSize bytes, NUL
// included), skipping every space character and stopping on a slash (not consumed) or at the end of
// the line; *pos is advanced past each character consumed. Characters beyond the capacity are
// consumed but not stored; a UTF-8 sequence cut in half by the limit is dropped whole.
void GetNextParameter(std::string_view line, char* dest, std::size_t destSize, int* pos);

// Fills the command-line settings (g_strDeviceIP ... g_strPrivProtocol, g_nSnmpPort) from line.
// Returns true when the line ended normally, false when it is empty, lacks "/I" or has an empty
// address; settings not reached keep their values.
bool ParseParameters(std::string_view line);

// The line the parser reads: the program's arguments (program name excluded) joined by single blanks.
QString CommandLineFromArguments(const QStringList& arguments);

// The UDP port field's value as a port: a decimal number 1..65535, else 161.
int PortFromField(std::string_view value);
