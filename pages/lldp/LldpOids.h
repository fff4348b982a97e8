// The switch's LLDP agent: the vendor settings and the LLDP-MIB's local system and remote table.
#pragma once

#include <QString>
#include <QStringList>

namespace oid {

inline const QString kLldpState = QStringLiteral("1.3.6.1.4.1.32473.10.75.6.24.1.0");
inline const QString kLldpTxHold = QStringLiteral("1.3.6.1.4.1.32473.10.75.6.24.2.0");
inline const QString kLldpTxInterval = QStringLiteral("1.3.6.1.4.1.32473.10.75.6.24.3.0");
inline const QString kLldpReinitDelay = QStringLiteral("1.3.6.1.4.1.32473.10.75.6.24.4.0");
inline const QString kLldpTxDelay = QStringLiteral("1.3.6.1.4.1.32473.10.75.6.24.5.0");
// The LLDP-MED Power PSE TLV switch of each PoE port: column, then ".PORT".
inline const QString kLldpPseColumn = QStringLiteral("1.3.6.1.4.1.32473.10.75.6.24.7.1.2");

inline const QString kLldpLocChassisIdSubtype = QStringLiteral("1.0.8802.1.1.2.1.3.1.0");
inline const QString kLldpLocChassisId = QStringLiteral("1.0.8802.1.1.2.1.3.2.0");
inline const QString kLldpLocSysName = QStringLiteral("1.0.8802.1.1.2.1.3.3.0");
inline const QString kLldpLocSysDesc = QStringLiteral("1.0.8802.1.1.2.1.3.4.0");

// lldpRemTable columns 4 to 10: chassis id subtype, chassis id, port id subtype, port id, port
// description, system name, system description.
inline QStringList LldpRemoteColumns()
{
    QStringList columns;
    for (int c = 4; c <= 10; ++c)
        columns << QStringLiteral("1.0.8802.1.1.2.1.4.1.1.%1").arg(c);
    return columns;
}

inline QString LldpPseCell(int nPort)
{
    return kLldpPseColumn + QLatin1Char('.') + QString::number(nPort);
}

} // namespace oid

// LLDP-MIB subtype texts (LldpChassisIdSubtype, LldpPortIdSubtype 1 to 7); other values as received.
QString LldpChassisSubtypeText(const QString& strValue);
QString LldpPortSubtypeText(const QString& strValue);
