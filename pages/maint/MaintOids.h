// The switch's firmware, configuration-transfer and syslog objects (scalars: ".0" is appended).
#pragma once

#include <QString>

namespace oid {

inline const QString kFirmwareServer = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.3.1.0");
inline const QString kFirmwareFile = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.3.2.0");
inline const QString kFirmwareOperation = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.3.3.0");
inline const QString kFirmwareState = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.3.4.0");
inline const QString kConfigServer = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.3.5.0");
inline const QString kConfigFile = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.3.6.0");
inline const QString kConfigOperation = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.3.7.0");
inline const QString kConfigState = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.3.8.0");

inline const QString kSyslogServer = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.16.1.1.0");
inline const QString kSyslogPort = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.16.1.2.0");
inline const QString kSyslogSeverity = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.16.1.4.0");
inline const QString kSyslogFacility = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.16.1.5.0");
inline const QString kSyslogState = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.16.1.6.0");

} // namespace oid
