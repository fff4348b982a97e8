// The switch objects of the auto surveillance VLAN pages.
#pragma once

#include <QString>

namespace oid {

// The surveillance VLAN priority: 0 highest to 3 lowest (state and VLAN id are in SwitchOids.h).
inline const QString kSurveillanceVlanPriority = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.26.1.3.0");
// The surveillance OUI and device table, indexed by six MAC octets: the OUI or MAC (6 octets), the
// description, the OUI mask (6 octets), the component type and the row status.
inline const QString kSurveillanceOuiEntry = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.26.2.1.1");
inline QString SurveillanceOuiColumn(int nColumn)
{
    return kSurveillanceOuiEntry + QLatin1Char('.') + QString::number(nColumn);
}
enum : int { kOuiAddress = 1, kOuiDescription = 2, kOuiMask = 3, kOuiComponent = 4, kOuiRowStatus = 5 };
inline constexpr const char* kRowCreateAndGo = "4";

} // namespace oid
