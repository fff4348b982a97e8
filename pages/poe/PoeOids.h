// The PoE objects the PoE pages share: the port table (index unit 1, then port) and the time-range
// table (index the range number, 1 to 8).
#pragma once

#include <QString>

namespace oid {

inline const QString kPoePortEntry = QStringLiteral("1.3.6.1.4.1.32473.10.75.6.22.1.1");
inline const QString kTimeRangeEntry = QStringLiteral("1.3.6.1.4.1.32473.10.75.6.23.1.1");

// Column c of the PoE port table, or its cell for port p.
inline QString PoeColumn(int c)
{
    return kPoePortEntry + QLatin1Char('.') + QString::number(c);
}
inline QString PoeCell(int c, int p)
{
    return PoeColumn(c) + QStringLiteral(".1.") + QString::number(p);
}
// Column c of the time-range table, or its cell for range n.
inline QString TimeRangeColumn(int c)
{
    return kTimeRangeEntry + QLatin1Char('.') + QString::number(c);
}
inline QString TimeRangeCell(int c, int n)
{
    return TimeRangeColumn(c) + QLatin1Char('.') + QString::number(n);
}

} // namespace oid

// Columns of the time-range table: 1 number, 2 name, 3 date limits in use, 4..6 from year, month, day,
// 7..8 start hour, minute, 9..11 to year, month, day, 12..13 end hour, minute, 14..20 Monday..Sunday,
// 21 row status.
enum TimeRangeColumn : int {
    kTrNumber = 1,
    kTrName = 2,
    kTrDateOn = 3,
    kTrFromYear = 4,
    kTrStartHour = 7,
    kTrToYear = 9,
    kTrEndHour = 12,
    kTrMonday = 14,
    kTrRowStatus = 21,
};

// One time range as the pages keep it: its number, name and row status.
struct TimeRangeEntry {
    int nNumber = 0;
    QString strName;
    QString strStatus;
};
