// The spanning-tree objects the bridge, port table and port pages read and write: the bridge MIB's
// dot1dStp group and the vendor STP state, version and per-port path cost.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace oid {

// dot1dStp scalars, 1.3.6.1.2.1.17.2.N.0.
inline QString StpScalar(int n)
{
    return QStringLiteral("1.3.6.1.2.1.17.2.%1.0").arg(n);
}
// dot1dStpPortEntry columns, 1.3.6.1.2.1.17.2.15.1.C (the port number follows).
inline QString StpPortColumn(int c)
{
    return QStringLiteral("1.3.6.1.2.1.17.2.15.1.%1").arg(c);
}

enum StpScalar : int {
    kStpPriority = 2, kStpTimeSinceTopologyChange = 3, kStpTopChanges = 4, kStpDesignatedRoot = 5, kStpRootPort = 7,
    kStpHelloTime = 9, kStpHoldTime = 10, kStpForwardDelay = 11, kStpBridgeMaxAge = 12, kStpBridgeHelloTime = 13,
    kStpBridgeForwardDelay = 14,
};
enum StpPortColumn : int {
    kStpPort = 1, kStpPortPriority = 2, kStpPortState = 3, kStpPortEnable = 4, kStpPortPathCost = 5,
    kStpPortDesignatedRoot = 6, kStpPortDesignatedCost = 7, kStpPortDesignatedBridge = 8, kStpPortDesignatedPort = 9,
    kStpPortForwardTransitions = 10,
};

// The vendor STP state (1 enabled, 2 disabled) and protocol version (0 STP compatible, 2 RSTP).
inline const QString kStpState = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.6.1.1.0");
inline const QString kStpVersion = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.6.1.2.0");
// The vendor path cost of a port (0: by the port's speed), indexed by port.
inline const QString kStpPortCost = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.6.2.1.5");

} // namespace oid

// A bridge id of eight octets as "%02X:%02X:%02X:%02X:%02X:%02X:%02X:%02X"; any other value as
// received (strReceived).
inline QString BridgeIdText(const QByteArray& bytes, const QString& strReceived)
{
    if (bytes.size() != 8)
        return strReceived;
    QStringList parts;
    for (char c : bytes)
        parts << QStringLiteral("%1").arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(QLatin1Char(':'));
}
