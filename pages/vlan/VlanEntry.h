// One active VLAN as the VLAN page read it, and the list of them the sub-pages receive.
#pragma once

#include <QString>

#include <vector>

struct VlanEntry {
    int vid = 0;
    QString name;          // as shown (from the device's UTF-8)
    QString egressList;    // decimal list text
    QString untaggedList;  // decimal list text
    int egressCount = 0;
    int untaggedCount = 0;
};

// In the order the walk returned the rows.
using VlanList = std::vector<VlanEntry>;

inline const VlanEntry* FindVlan(const VlanList& vlans, int nVid)
{
    for (const VlanEntry& entry : vlans)
        if (entry.vid == nVid)
            return &entry;
    return nullptr;
}

// A VLAN id typed or listed as text: only decimal digits (blanks around them allowed), else 0.
inline int VidFromText(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 9)
        return 0;
    for (const QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    return t.toInt();
}
