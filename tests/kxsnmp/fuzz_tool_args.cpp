// Fuzz target: the kxsnmp client's command line. Arguments are the input split at zero bytes.
#include "ToolArgs.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QStringList args;
    QByteArray current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args << QString::fromUtf8(current);
            current.clear();
        } else {
            current.append(static_cast<char>(data[i]));
        }
    }
    args << QString::fromUtf8(current);
    kxtool::ToolRequest request;
    QString error;
    if (kxtool::ParseToolArgs(args, request, error)) {
        // What is accepted is well formed.
        if (request.host.isEmpty() || request.bindings.empty() || request.port < 1 || request.port > 65535)
            __builtin_trap();
        for (const auto& b : request.bindings) {
            if (kxtool::NormaliseOid(b.oid) != b.oid)
                __builtin_trap();
            QByteArray bytes;
            if (b.type == 'x' && !kxtool::ParseHexValue(b.value, bytes))
                __builtin_trap();
        }
    } else if (error.isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
