#include "pages/surveillance/SurveillanceOui.h"

#include "pages/common/Format.h"
#include "pages/common/Responsive.h"
#include "pages/common/SwitchOids.h"
#include "pages/surveillance/SurveillanceOids.h"

#include <QRegularExpression>

#include <functional>

namespace surveillance {


QString OuiIndex(const QString& strMac)
{
    const QString strHex = QString(strMac).remove(QLatin1Char('-'));
    QString strIndex;
    for (int i = 0; i + 1 < strHex.size(); i += 2)
        strIndex += QLatin1Char('.') + QString::number(strHex.mid(i, 2).toInt(nullptr, 16));
    return strIndex;
}

QString CheckNewEntry(CEntryPage page, const QString& strDescription, const QString& strMac, bool bDefaultMode,
                      const QStringList& existingMacs)
{
    static const QRegularExpression kForm(QStringLiteral("^[0-9A-Fa-f]{2}(-[0-9A-Fa-f]{2}){5}$"));
    if (HasForbiddenNameChar(strDescription))
        return QStringLiteral("Invalid Description.");
    const QString strHex = QString(strMac).remove(QLatin1Char('-')).toUpper();
    if (!kForm.match(strMac).hasMatch() || strHex == QLatin1String("000000000000"))
        return QStringLiteral("Please enter correct MAC format(ex:00-00-00-00-00-01)");
    const bool bSettings = page == CEntryPage::Settings;
    if (bSettings && strHex == QLatin1String("FFFFFFFFFFFF"))
        return QStringLiteral("Broadcast MAC is not allowed.");
    if (strHex.left(2).toInt(nullptr, 16) & 0x01)
        return bSettings ? QStringLiteral("Multicast MAC is not allowed.") : QStringLiteral("Multicast MAC  is not allowed.");
    // The settings page holds the vendor's prefix one digit longer than the OUI page.
    if (strHex.startsWith(bSettings ? QLatin1String("0A5E310") : QLatin1String("0A5E31")) && !bDefaultMode)
        return QStringLiteral("This OUI is default, please select the default mode!");
    const QString strUpper = strMac.toUpper();
    if (existingMacs.contains(strUpper))
        return QStringLiteral("The OUI is already exist!");
    if (existingMacs.size() - static_cast<int>(existingMacs.count(kDefaultOui)) >= kMaxUserEntries)
        return QStringLiteral("OUI Table is full,Maximum user defined OUI is 5.");
    return QString();
}

bool WriteNewEntry(QWidget* pPage, CCommonSNMP& session, const QString& strMac, const QString& strDescription,
                   int nComponent)
{
    const QString strIndex = OuiIndex(strMac);
    const QString strStatus = oid::SurveillanceOuiColumn(oid::kOuiRowStatus) + strIndex;
    if (!SendSetWhileResponsive(pPage, session, [&] { session.AddOid(strStatus, kSnmpTypeInteger, oid::kRowCreateAndGo); }))
        return false;
    const QByteArray component = QByteArray::number(nComponent);
    const bool bFilled = SendSetWhileResponsive(pPage, session, [&] {
        session.AddOidValue(oid::SurveillanceOuiColumn(oid::kOuiDescription) + strIndex, kSnmpTypeOctetString,
                            CUtf8Text::ToDevice(strDescription));
        if (nComponent >= 0)
            session.AddOid(oid::SurveillanceOuiColumn(oid::kOuiComponent) + strIndex, kSnmpTypeInteger,
                           component.constData());
    });
    if (bFilled)
        return true;
    // An entry without its description and type is not left behind.
    SendSetWhileResponsive(pPage, session, [&] { session.AddOid(strStatus, kSnmpTypeInteger, oid::kRowDestroy); });
    return false;
}

QString CheckDelete(const QString& strMac)
{
    if (strMac.isEmpty())
        return QStringLiteral("Please Selecte the OUI Entry you would to delete");
    if (strMac.compare(kDefaultOui, Qt::CaseInsensitive) == 0)
        return QStringLiteral("The default Surveillance OUI can not be deleted.");
    return QString();
}

bool DeleteEntry(QWidget* pPage, CCommonSNMP& session, const QString& strMac)
{
    const QString strStatus = oid::SurveillanceOuiColumn(oid::kOuiRowStatus) + OuiIndex(strMac);
    return SendSetWhileResponsive(pPage, session, [&] { session.AddOid(strStatus, kSnmpTypeInteger, oid::kRowDestroy); });
}

} // namespace surveillance
