// Text of a packet log for kxsnmp-logdump: one block per logged message.
#pragma once

#include <kxsnmp/SnmpLog.h>

#include <QString>

namespace kxtool {

// The blocks of every message, then a line on where reading stopped when the log is damaged.
QString FormatSnmpLog(const CSnmpLogContents& contents);

} // namespace kxtool
