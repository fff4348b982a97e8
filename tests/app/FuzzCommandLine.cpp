// The command-line parser on arbitrary bytes: nothing may overflow, and every value must respect its
// field's limit, hold no space and no slash, and the port must be a valid one.
#include "app/CommandLine.h"
#include "core/Settings.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
void Check(bool ok)
{
    if (!ok)
        std::abort();
}

void CheckText(const QString& value, int field)
{
    Check(value.size() <= static_cast<int>(kFieldLimit[field]));
    Check(!value.contains(QLatin1Char(' ')) && !value.contains(QLatin1Char('/')));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ResetSettings();
    ParseParameters(std::string_view(reinterpret_cast<const char*>(data), size));
    CheckText(g_strDeviceIP, 2);
    CheckText(g_strGetCommunity, 3);
    CheckText(g_strSetCommunity, 4);
    Check(g_bWriteAccess == 0 || g_bWriteAccess == 1);
    CheckText(g_strSnmpVersion, 6);
    Check(g_nSnmpPort >= 1 && g_nSnmpPort <= 65535);
    CheckText(g_strSecurityLevel, 11);
    CheckText(g_strUserName, 12);
    CheckText(g_strAuthPassword, 13);
    CheckText(g_strPrivPassword, 14);
    CheckText(g_strAuthProtocol, 15);
    CheckText(g_strPrivProtocol, 16);
    return 0;
}
