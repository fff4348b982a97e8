// Text of received bindings and error statuses for the kxsnmp client.
#pragma once

#include <kxsnmp/SnmpMsg.h>

#include <QByteArray>
#include <QString>

namespace kxtool {

// "OID = TYPE: value" for one binding.
QString FormatBinding(const CSnmpVarBind& binding);
// The name of an SNMPv1 error status ("noSuchName"), or "unknown".
QString ErrorStatusName(std::uint32_t status);
// Bytes as upper-case hexadecimal pairs separated by spaces.
QString HexBytes(const QByteArray& bytes);

} // namespace kxtool
