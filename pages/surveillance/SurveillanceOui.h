// What the two surveillance VLAN pages share about the OUI and device table: the row index of an
// address, the checks before an entry is added or deleted, and the writes that add and delete it.
#pragma once

#include "snmp/CommonSnmp.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace surveillance {

// The vendor's surveillance OUI, the entry the switch ships and keeps.
inline const QString kDefaultOui = QStringLiteral("0A-5E-31-00-00-00");
inline constexpr int kMaxUserEntries = 5;

// The page an entry is added on: the settings page adds devices (MAC addresses), the OUI page OUIs.
enum class CEntryPage { Settings, Oui };

// The row index of "XX-XX-XX-XX-XX-XX": each hex pair as one decimal arc, with a leading "."
// ("00-1C-F0-12-34-56" gives ".0.28.240.18.52.86"). The text must have passed CheckNewEntry.
QString OuiIndex(const QString& strMac);

// The message that refuses a new entry, empty when it may be written. existingMacs are the addresses
// listed (as "XX-XX-XX-XX-XX-XX"); bDefaultMode is whether the page's mode is the vendor's default.
QString CheckNewEntry(CEntryPage page, const QString& strDescription, const QString& strMac, bool bDefaultMode,
                      const QStringList& existingMacs);

// Writes a new entry: created and put into service, then its description (and on the settings page
// its component type, nComponent >= 0). True when the switch took both; an entry it created but did
// not fill is destroyed again.
bool WriteNewEntry(QWidget* pPage, CCommonSNMP& session, const QString& strMac, const QString& strDescription,
                   int nComponent);

// The message that refuses deleting the entry of strMac (empty: none selected), empty when it may go.
QString CheckDelete(const QString& strMac);
// Destroys the entry of strMac; true when the switch took it.
bool DeleteEntry(QWidget* pPage, CCommonSNMP& session, const QString& strMac);

} // namespace surveillance
