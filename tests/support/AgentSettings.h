// The process settings for talking to one test agent on the loopback: SNMPv1 or SNMPv3, the step
// time-out, and the SNMPv3 user both ends agree on (the module's settings and tqx-sim's --user).
#pragma once

#include "core/Settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tqxtest {

// An SNMPv3 user as the module's settings hold it: level 1 noAuthNoPriv, 2 authNoPriv, 3 authPriv;
// authentication 1 none, 2 MD5, 3 SHA; privacy 1 none, 2 DES (the command line's digits).
struct V3User {
    const char* level;
    const char* name;
    const char* auth;
    const char* authPassword;
    const char* priv;
    const char* privPassword;

    // tqx-sim's arguments that serve this user at its own level.
    std::vector<std::string> SimArgs() const
    {
        static const char* const kLevels[] = {"noAuthNoPriv", "authNoPriv", "authPriv"};
        static const char* const kAuth[] = {"", "MD5", "SHA"};
        static const char* const kPriv[] = {"", "DES"};
        const auto at = [](const char* digit, int count) {
            const int i = digit[0] - '1';
            return i >= 0 && i < count ? i : 0;
        };
        std::string arg = std::string(name) + ":" + kLevels[at(level, 3)];
        if (at(auth, 3) > 0)
            arg += std::string(":") + kAuth[at(auth, 3)] + ":" + authPassword;
        if (at(priv, 2) > 0)
            arg += std::string(":") + kPriv[at(priv, 2)] + ":" + privPassword;
        return {"--user", arg};
    }
};

// The authPriv user (SHA, DES) of the page and window tests.
inline constexpr V3User kPagesUser{"3", "pages", "3", "pagespassword", "2", "pagesprivacy"};

// Defaults, then the agent at 127.0.0.1:port with the given version; a time-out in milliseconds when
// given (else the default of the settings).
inline void UseAgent(std::uint16_t port, const char* version = "1", const char* timeoutMs = nullptr)
{
    ResetSettings();
    g_strDeviceIP = QStringLiteral("127.0.0.1");
    g_nSnmpPort = port;
    g_strSnmpVersion = QString::fromLatin1(version);
    if (timeoutMs)
        g_strSnmpTimeout = QString::fromLatin1(timeoutMs);
}

// SNMPv3 as user, on the agent chosen before.
inline void UseV3(const V3User& user)
{
    g_strSnmpVersion = QStringLiteral("3");
    g_strSecurityLevel = QString::fromLatin1(user.level);
    g_strUserName = QString::fromLatin1(user.name);
    g_strAuthProtocol = QString::fromLatin1(user.auth);
    g_strAuthPassword = QString::fromLatin1(user.authPassword);
    g_strPrivProtocol = QString::fromLatin1(user.priv);
    g_strPrivPassword = QString::fromLatin1(user.privPassword);
}

// The agent at 127.0.0.1:port, SNMPv1 or, with bV3, as kPagesUser.
inline void UseAgent(std::uint16_t port, bool bV3, const char* timeoutMs = nullptr)
{
    UseAgent(port, "1", timeoutMs);
    if (bV3)
        UseV3(kPagesUser);
}

} // namespace tqxtest
