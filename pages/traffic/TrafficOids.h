// The switch objects of the traffic and port-security pages.
#pragma once

#include <QString>

namespace oid {

// Jumbo frames: 1 enabled, 2 disabled.
inline const QString kJumboFrame = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.12.0");
// The multicast filtering table, indexed by VLAN id: the VLAN id and the mode (0 forward unregistered
// groups, 1 filter them).
inline const QString kMulticastFilterVlan = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.7.8.1.1");
inline const QString kMulticastFilterMode = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.7.8.1.2");
// The DHCP server screening ports, a binary port list.
inline const QString kDhcpScreeningPorts = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.14.7.1.0");
// The ARP spoofing prevention table, indexed by the gateway IP address: gateway IP, gateway MAC (6
// octets), ports (binary port list), row status.
inline const QString kArpSpoofingEntry = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.14.3.1.1");
inline QString ArpSpoofingColumn(int nColumn) { return kArpSpoofingEntry + QLatin1Char('.') + QString::number(nColumn); }
enum : int { kArpGatewayIp = 1, kArpGatewayMac = 2, kArpPorts = 3, kArpRowStatus = 4 };

} // namespace oid
