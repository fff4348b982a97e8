// Fuzz target: binding text from callers (OID text, value text or bytes for every type code) and
// reading the binding back in every form.
#include "snmp/engine/Snmp.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int type = data[0] % 18;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t split = rest.find('\n');
    const std::string oid = rest.substr(0, split);
    const std::string value = split == std::string::npos ? std::string() : rest.substr(split + 1);

    std::vector<std::uint32_t> parsed;
    if (SnmpParseOid(oid.data(), oid.size(), parsed))
        (void)SnmpOidText(parsed);

    CSnmpV1 msg(0);
    msg.addValue(oid.c_str(), type, value.c_str());
    msg.addValue(oid.c_str(), type, value.data(), value.size());
    msg.addValue(oid.c_str(), type, nullptr);
    for (int i = 0; i < msg.getValuesCount(); ++i) {
        int t = 0;
        QString text;
        QByteArray bytes;
        char buffer[8];
        msg.getValue(i, t, text);
        msg.getValue(i, bytes);
        msg.getValue(i, buffer, sizeof buffer);
        msg.getOid(i, text);
    }
    CSnmpTable table(&msg);
    QString suffix;
    table.getSuffix(0, &msg, suffix);
    return 0;
}
