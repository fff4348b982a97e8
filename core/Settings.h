// Process-wide settings: filled from the command line and User.ini during start-up and the main
// window's initialisation, before any other thread exists; read-only afterwards.
#pragma once

#include <QString>

extern QString g_strDeviceIP;        // field 2
extern QString g_strGetCommunity;    // field 3, "public"
extern QString g_strSetCommunity;    // field 4, "private"
extern int g_bWriteAccess;           // field 5, 1
extern QString g_strSnmpVersion;     // field 6, "1"
extern int g_nSnmpPort;              // field 7 when it holds 1..65535, else 161
extern QString g_strSecurityLevel;   // field 11, "1" noAuthNoPriv, "2" authNoPriv, "3" authPriv
extern QString g_strUserName;        // field 12
extern QString g_strAuthPassword;    // field 13
extern QString g_strPrivPassword;    // field 14
extern QString g_strAuthProtocol;    // field 15, "1" none, "2" MD5, "3" SHA
extern QString g_strPrivProtocol;    // field 16, "1" none, "2" DES
extern QString g_strSnmpTimeout;     // "3000" ms

extern QString g_strDeviceName;      // User.ini DeviceName
extern int g_nDevicePortNum;         // User.ini DevicePortNum, 28
extern int g_bIsAllGiga;             // User.ini IsAllGiga
extern int g_bIsHasFan;              // User.ini IsHasFan

// Ports with a fibre twin (the last ports, which have a second connector) for a port count: 4 for 24,
// 48, 16, 52 and 28, 2 for 10, 0 for any other.
int ExtraPortNum(int portNum);

// Puts every setting back to its default (start-up state; tests use it between cases).
void ResetSettings();
