// The switch objects that more than one page reads or writes: the static VLAN table, the PVIDs and
// the link-aggregation objects. Columns are given without their row index.
#pragma once

#include <QString>

namespace oid {

// The vendor static VLAN table, indexed by VLAN id.
inline const QString kVlanStaticName = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.7.6.1.1");
inline const QString kVlanStaticEgressPorts = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.7.6.1.2");
inline const QString kVlanForbiddenEgressPorts = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.7.6.1.3");
inline const QString kVlanStaticUntaggedPorts = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.7.6.1.4");
inline const QString kVlanStaticRowState = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.7.6.1.5");
// Port VLAN ids, indexed by port.
inline const QString kVlanPvid = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.7.7.1.1");
// Asymmetric VLAN mode: 1 on, 2 off.
inline const QString kAsymmetricVlan = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.7.5.0");
// Voice and surveillance VLAN: state (1 enabled) and VLAN id.
inline const QString kVoiceVlanState = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.21.1.2.0");
inline const QString kVoiceVlanId = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.21.1.3.0");
inline const QString kSurveillanceVlanState = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.26.1.1.0");
inline const QString kSurveillanceVlanId = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.26.1.2.0");

// Link aggregation: the state (1 enabled, 2 disabled) and the port-channel table, indexed by trunk
// id 1 to 8: member ports (binary port list) and mode (1 LACP, 2 static, 3 disabled).
inline const QString kLaState = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.8.1.2.0");
inline const QString kLaPortChannelMemberList = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.8.1.3.1.2");
inline const QString kLaPortChannelMode = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.8.1.3.1.3");

// Row state values of the tables with a row status.
inline constexpr const char* kRowActive = "1";
inline constexpr const char* kRowNotInService = "2";
inline constexpr const char* kRowCreateAndWait = "5";
inline constexpr const char* kRowDestroy = "6";

// The row index of a reply's suffix: the suffix without its leading ".".
inline QString RowIndex(QString strSuffix)
{
    if (strSuffix.startsWith(QLatin1Char('.')))
        strSuffix.remove(0, 1);
    return strSuffix;
}

} // namespace oid
