// Fuzz target: any bytes read as a packet log; every message read back is serialised again and
// must read back the same.
#include <kxsnmp/SnmpLog.h>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const CSnmpLogContents log = ReadSnmpLogData(bytes);
    if (!log.bComplete && (log.nErrorOffset < 0 || log.nErrorOffset > static_cast<qint64>(size)))
        __builtin_trap();
    for (const auto& msg : log.messages) {
        const QByteArray again = SerializeSnmpMsg(*msg);
        const CSnmpLogContents reread = ReadSnmpLogData(again);
        if (!reread.bComplete || reread.messages.size() != 1 || SerializeSnmpMsg(*reread.messages[0]) != again)
            __builtin_trap();
    }
    return 0;
}
