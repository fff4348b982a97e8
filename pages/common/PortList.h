// Port lists: the forms a set of switch ports takes on the pages.
//   - binary (an OCTET STRING of the device): byte k covers ports 8k+1 to 8k+8, bit 0x80 the lowest;
//   - decimal list text: ascending port numbers joined by "," ("1,2,5,24"; empty for no port);
//   - port range text: runs of consecutive ports as first-last ("1-3,5,7-8");
//   - hex text for writing: one lower-case digit per four ports from port 1, padded by port count.
// N is the device's port count (g_nDevicePortNum). Values from the device are outside input: every
// decoder reads at most the value's own bytes, however long or short it is.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The decimal list of the ports set in the first ceil(N/8) bytes of bitmap (fewer when the value is
// shorter), all eight bits of each; returns the number of ports found.
int PortListFromBitmap(const QByteArray& bitmap, int nPortNum, QString& strList);
// The same ports as port range text.
QString PortRangeFromBitmap(const QByteArray& bitmap, int nPortNum);
// The ports (1-based, ascending) of the same bytes.
std::vector<int> PortsFromBitmap(const QByteArray& bitmap, int nPortNum);

// Member flags (index 0 is port 1, non-zero = member) as hex text: ports in groups of four from port
// 1, each group one digit 8*first + 4*second + 2*third + fourth; a last partial group is completed
// with non-members.
QString HexFromPortFlags(const std::vector<int>& flags);
// Pads hex text with "0" by port count: 10 ports "00000", 16 "0000", 24 "00", 28 "0", 48 "0000",
// 52 "000", any other count nothing (so 10 to 28 ports give 4 bytes, 48 and 52 give 8).
QString PadPortHex(const QString& strHex, int nPortNum);
// Hex text to bytes: an odd-length text gets a "0" appended, each pair of digits (either case) is a
// byte, at most nMaxBytes of them. A pair that is not two hex digits ends the conversion there.
QByteArray BytesFromHex(const QString& strHex, int nMaxBytes = 256);
// Each byte as two upper-case hex digits, concatenated.
QString ByteDump(const QByteArray& bytes);

// The bytes to write for member flags: HexFromPortFlags, PadPortHex, BytesFromHex.
QByteArray PortBitmapFromFlags(const std::vector<int>& flags, int nPortNum);
// Member flags (N of them) of a decimal list text; numbers outside 1..N are left out.
std::vector<int> PortFlagsFromList(const QString& strList, int nPortNum);
// Whether port nPort (1-based) is in a decimal list text.
bool PortInList(const QString& strList, int nPort);
