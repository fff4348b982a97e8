// The switch's IEEE 802.1X objects.
#pragma once

#include <QString>
#include <QStringList>

namespace oid {

// 802.1X state: 1 enabled, 2 disabled.
inline const QString kDot1xState = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.11.2.1.0");
inline const QString kDot1xRadiusServer = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.11.1.1.0");
inline const QString kDot1xRadiusKey = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.11.1.2.0");
// QuietPeriod, TxPeriod, SuppTimeout, ServerTimeout, MaxReq, ReAuthPeriod, ReAuthEnabled (1 yes, 2 no).
inline QString Dot1xGlobal(int n) { return QStringLiteral("1.3.6.1.4.1.32473.10.76.10.11.2.%1.0").arg(n); }
enum : int {
    kDot1xQuietPeriod = 2, kDot1xTxPeriod = 3, kDot1xSuppTimeout = 4, kDot1xServerTimeout = 5, kDot1xMaxReq = 6,
    kDot1xReAuthPeriod = 7, kDot1xReAuthEnabled = 8,
};
// Port access control (1 forceUnauthorized, 2 auto, 3 forceAuthorized) and port status (1 authorized,
// 2 unauthorized), indexed by port.
inline const QString kDot1xPortControl = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.11.2.9.1.2");
inline const QString kDot1xPortStatus = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.11.2.9.1.3");

// The ten columns of both 802.1X pages.
inline QStringList Dot1xHeadings()
{
    return {QStringLiteral("Index"), QStringLiteral("AuthControlledPortStatus"), QStringLiteral("AuthControlledPortControl"),
            QStringLiteral("QuietPeriod"), QStringLiteral("TxPeriod"), QStringLiteral("SuppTimeout"),
            QStringLiteral("ServerTimeout"), QStringLiteral("MaxReq"), QStringLiteral("ReAuthPeriod"),
            QStringLiteral("ReAuthEnabled")};
}

} // namespace oid
