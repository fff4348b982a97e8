// What the switch receives in a transfer: TFTP packets from the server (first byte 0), fetched
// firmware images (1) and configuration files (2). Nothing crashes; a packet read is of a kind a
// client accepts, a configuration read back from its own writing is the same.
#include "sim/Maintenance.h"
#include "sim/Tftp.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    using namespace tqxsim;
    if (size == 0)
        return 0;
    const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 3) {
    case 0: {
        TftpPacket p;
        if (ParseTftpPacket(data + 1, size - 1, &p)) {
            if (p.opcode != TftpOpcode::Data && p.opcode != TftpOpcode::Ack && p.opcode != TftpOpcode::Error)
                std::abort();
            if (p.data.size() > kTftpBlockSize || p.errorText.size() > kTftpBlockSize)
                std::abort();
        }
        break;
    }
    case 1: {
        std::string version, why;
        if (CheckFirmwareImage(body, "TQX-8800", &version, &why)) {
            if (version.empty() || body.size() < kFirmwareHeaderSize)
                std::abort();
        } else if (why.empty()) {
            std::abort();
        }
        break;
    }
    default: {
        ObjectMap objects;
        std::string why;
        if (ReadConfigFile(body, "TQX-8800", &objects, &why)) {
            ObjectMap again;
            if (!ReadConfigFile(WriteConfigFile("TQX-8800", objects), "TQX-8800", &again, &why) || again != objects)
                std::abort();
        } else if (why.empty()) {
            std::abort();
        }
        break;
    }
    }
    return 0;
}
