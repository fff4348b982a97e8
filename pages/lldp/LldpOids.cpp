#include "pages/lldp/LldpOids.h"

namespace {

QString SubtypeText(const QString& strValue, const char* const (&texts)[7])
{
    bool ok = false;
    const int n = strValue.toInt(&ok);
    return ok && n >= 1 && n <= 7 ? QString::fromLatin1(texts[n - 1]) : strValue;
}

} // namespace

QString LldpChassisSubtypeText(const QString& strValue)
{
    static const char* const kTexts[7] = {"chassisComponent", "interfaceAlias", "portComponent", "macAddress",
                                          "networkAddress",   "interfaceName",  "local"};
    return SubtypeText(strValue, kTexts);
}

QString LldpPortSubtypeText(const QString& strValue)
{
    static const char* const kTexts[7] = {"interfaceAlias", "portComponent", "macAddress", "networkAddress",
                                          "interfaceName",  "agentCircuitld", "local"};
    return SubtypeText(strValue, kTexts);
}
