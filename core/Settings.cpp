#include "core/Settings.h"

QString g_strDeviceIP;
QString g_strGetCommunity = QStringLiteral("public");
QString g_strSetCommunity = QStringLiteral("private");
int g_bWriteAccess = 1;
QString g_strSnmpVersion = QStringLiteral("1");
int g_nSnmpPort = 161;
QString g_strSecurityLevel = QStringLiteral("1");
QString g_strUserName;
QString g_strAuthPassword;
QString g_strPrivPassword;
QString g_strAuthProtocol = QStringLiteral("1");
QString g_strPrivProtocol = QStringLiteral("1");
QString g_strSnmpTimeout = QStringLiteral("3000");

QString g_strDeviceName;
int g_nDevicePortNum = 28;
int g_bIsAllGiga = 0;
int g_bIsHasFan = 0;

void ResetSettings()
{
    g_strDeviceIP.clear();
    g_strGetCommunity = QStringLiteral("public");
    g_strSetCommunity = QStringLiteral("private");
    g_bWriteAccess = 1;
    g_strSnmpVersion = QStringLiteral("1");
    g_nSnmpPort = 161;
    g_strSecurityLevel = QStringLiteral("1");
    g_strUserName.clear();
    g_strAuthPassword.clear();
    g_strPrivPassword.clear();
    g_strAuthProtocol = QStringLiteral("1");
    g_strPrivProtocol = QStringLiteral("1");
    g_strSnmpTimeout = QStringLiteral("3000");
    g_strDeviceName.clear();
    g_nDevicePortNum = 28;
    g_bIsAllGiga = 0;
    g_bIsHasFan = 0;
}

int ExtraPortNum(int portNum)
{
    switch (portNum) {
    case 24:
    case 48:
    case 16:
    case 52:
    case 28:
        return 4;
    case 10:
        return 2;
    default:
        return 0;
    }
}
