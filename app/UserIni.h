// User.ini, the settings file next to the program: section DeviceInfo with the model's keys
// DeviceName, DevicePortNum, XMLName, IsAllGiga and IsHasFan. Section and key names are matched
// ignoring case; text values are cut to 259 characters; a missing or unreadable file reads as empty.
#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

inline constexpr int kProfileTextMax = 259;
// Entries of the main window's per-port lamp table; a larger port count is cut to it.
inline constexpr int kMaxDevicePortNum = 100;

class CUserIni {
public:
    explicit CUserIni(const QString& path);

    // The text of key in DeviceInfo (at most kProfileTextMax characters), or def when it is missing.
    QString GetString(const QString& key, const QString& def = QString()) const;
    // The leading decimal number of key's text (0 when it has none, 0 for negative numbers), or def
    // when the key is missing or empty.
    int GetInt(const QString& key, int def) const;

private:
    QHash<QString, QVariant> m_values;  // by lower-case key
    QHash<QString, QVariant> m_exact;   // by key as written, preferred over a case-insensitive match
};

// Everything the main window reads, in its order: DeviceName, DevicePortNum, XMLName, IsAllGiga, IsHasFan.
struct CDeviceInfo {
    QString strDeviceName;
    int nDevicePortNum = 28;  // 0..kMaxDevicePortNum
    QString strXMLName;
    int bIsAllGiga = 0;       // 1 for "Y" or "y"
    int bIsHasFan = 0;        // 1 for "Y" or "y"
};

CDeviceInfo ReadDeviceInfo(const QString& path);

// 1 for "Y" or "y", else 0.
int YesFlag(const QString& text);

// The settings file of this program: User.ini in the folder of the running executable.
QString UserIniPath();
