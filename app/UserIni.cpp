#include "app/UserIni.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>

#include <climits>

namespace {

const QString kSection = QStringLiteral("DeviceInfo");

QString ValueText(const QVariant& value)
{
    // The INI reader splits unquoted commas into a list; the file's text had them joined.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    if (value.canConvert<QString>())
        return value.toString();
    return QString();
}

} // namespace

CUserIni::CUserIni(const QString& path)
{
    // QSettings keeps every file it has read and, for a file of unchanged size and time stamp, answers
    // from that copy: a file rewritten within the same millisecond would read as before. The file's
    // bytes are therefore read here, each time, and parsed from a private copy under a new name.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    file.close();
    QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/tqx-userini-XXXXXX.ini"));
    if (!copy.open() || copy.write(bytes) != bytes.size() || !copy.flush())
        return;
    copy.close();
    QSettings settings(copy.fileName(), QSettings::IniFormat);
    const QStringList groups = settings.childGroups();
    QString group;
    if (groups.contains(kSection)) {
        group = kSection;
    } else {
        for (const QString& g : groups) {
            if (g.compare(kSection, Qt::CaseInsensitive) == 0) {
                group = g;
                break;
            }
        }
    }
    if (group.isEmpty())
        return;
    settings.beginGroup(group);
    for (const QString& key : settings.childKeys()) {
        const QVariant value = settings.value(key);
        m_exact.insert(key, value);
        const QString lower = key.toLower();
        if (!m_values.contains(lower))
            m_values.insert(lower, value);
    }
}

QString CUserIni::GetString(const QString& key, const QString& def) const
{
    auto it = m_exact.constFind(key);
    if (it == m_exact.constEnd()) {
        it = m_values.constFind(key.toLower());
        if (it == m_values.constEnd())
            return def.left(kProfileTextMax);
    }
    QString text = ValueText(*it);
    if (text.size() > kProfileTextMax) {
        int cut = kProfileTextMax;
        if (text.at(cut - 1).isHighSurrogate())
            --cut;
        text.truncate(cut);
    }
    return text;
}

int CUserIni::GetInt(const QString& key, int def) const
{
    const QString text = GetString(key).trimmed();
    if (text.isEmpty())
        return def;
    int i = 0;
    bool negative = false;
    if (text.at(0) == QLatin1Char('-') || text.at(0) == QLatin1Char('+')) {
        negative = text.at(0) == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > INT_MAX)
            value = INT_MAX;
    }
    return negative ? 0 : static_cast<int>(value);
}

int YesFlag(const QString& text)
{
    return text == QLatin1String("Y") || text == QLatin1String("y") ? 1 : 0;
}

CDeviceInfo ReadDeviceInfo(const QString& path)
{
    const CUserIni ini(path);
    CDeviceInfo info;
    info.strDeviceName = ini.GetString(QStringLiteral("DeviceName"));
    info.nDevicePortNum = qBound(0, ini.GetInt(QStringLiteral("DevicePortNum"), 28), kMaxDevicePortNum);
    info.strXMLName = ini.GetString(QStringLiteral("XMLName"));
    info.bIsAllGiga = YesFlag(ini.GetString(QStringLiteral("IsAllGiga")));
    info.bIsHasFan = YesFlag(ini.GetString(QStringLiteral("IsHasFan")));
    return info;
}

QString UserIniPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/User.ini");
}
