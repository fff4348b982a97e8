// Control lines, command lines and SET requests against a small PoE switch: nothing crashes, and every
// control line gets an answer of the documented form.
#include "sim/Device.h"
#include "sim/Options.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

const char* const kDevice =
    "1.3.6.1.2.1.1.3.0|67|0\n"
    "1.3.6.1.2.1.1.5.0|4|sw\n"
    "1.3.6.1.2.1.2.2.1.3.1|2|6\n1.3.6.1.2.1.2.2.1.3.2|2|6\n1.3.6.1.2.1.2.2.1.3.9|2|6\n1.3.6.1.2.1.2.2.1.3.10|2|6\n"
    "1.3.6.1.2.1.2.2.1.5.1|66|100000000\n1.3.6.1.2.1.2.2.1.5.9|66|1000000000\n"
    "1.3.6.1.2.1.2.2.1.7.1|2|1\n1.3.6.1.2.1.2.2.1.7.9|2|1\n"
    "1.3.6.1.2.1.2.2.1.8.1|2|1\n1.3.6.1.2.1.2.2.1.8.9|2|2\n"
    "1.3.6.1.2.1.17.4.2.0|2|300\n"
    "1.3.6.1.2.1.17.7.1.2.1.1.2.1|65|2\n"
    "1.3.6.1.2.1.17.7.1.2.2.1.2.1|2|1\n1.3.6.1.2.1.17.7.1.2.2.1.3.1|2|3\n"
    "1.3.6.1.2.1.17.7.1.2.2.1.2.1.0.0.94.0.83.16|2|1\n1.3.6.1.2.1.17.7.1.2.2.1.3.1.0.0.94.0.83.16|2|3\n"
    "1.3.6.1.2.1.17.7.1.2.2.1.2.1.0.0.94.0.83.17|2|9\n1.3.6.1.2.1.17.7.1.2.2.1.3.1.0.0.94.0.83.17|2|5\n"
    "1.3.6.1.4.1.32473.10.76.10.1.9.0|2|0\n1.3.6.1.4.1.32473.10.76.10.1.10.0|2|0\n"
    "1.3.6.1.4.1.32473.10.76.10.1.13.1.2.1|2|6\n1.3.6.1.4.1.32473.10.76.10.1.13.1.7.9|2|2\n"
    "1.3.6.1.4.1.32473.10.76.10.1.15.1.0|2|1\n"
    "1.3.6.1.4.1.32473.10.75.6.22.1.1.3.1.1|2|1\n1.3.6.1.4.1.32473.10.75.6.22.1.1.4.1.1|2|1\n"
    "1.3.6.1.4.1.32473.10.75.6.22.1.1.13.1.1|4|POWER ON\n1.3.6.1.4.1.32473.10.75.6.22.6.0|4|60.0\n"
    "1.3.6.1.4.1.32473.10.75.6.23.1.1.21.1|2|1\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    using namespace tqxsim;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.empty())
        return 0;
    const std::string_view body = input.substr(1);

    if (input[0] % 3 == 0) {
        // A command line: arguments separated by NUL bytes.
        std::vector<std::string> args;
        size_t start = 0;
        while (start <= body.size()) {
            size_t end = body.find('\0', start);
            if (end == std::string_view::npos)
                end = body.size();
            args.emplace_back(body.substr(start, end - start));
            start = end + 1;
        }
        Options o;
        std::string error;
        if (!ParseOptions(args, &o, &error) && error.empty())
            std::abort();
        return 0;
    }

    CSimDevice device(FindModel("TQX-8810P"));
    ObjectMap objects;
    ParseSnmprec(kDevice, &objects, nullptr);
    device.Merge(objects);
    device.Start();
    size_t start = 0;
    while (start < body.size()) {
        size_t end = body.find('\n', start);
        if (end == std::string_view::npos)
            end = body.size();
        const std::string_view line = body.substr(start, end - start);
        start = end + 1;
        if (input[0] % 3 == 1) {
            const std::string answer = device.Control(line);
            if (answer != "ok" && answer.rfind("error: ", 0) != 0)
                std::abort();
        } else {
            // "OID|TAG|VALUE" lines as SET requests.
            ObjectMap one;
            ParseSnmprec(line, &one, nullptr);
            for (const auto& [oid, value] : one) {
                if (device.CheckSet(oid, value, &one) != SetError::None)
                    continue;
                device.Set(oid, value);
                device.Committed(oid);
                if (!device.Get(oid) && !(oid.size() > 14 && oid[13] == 21))
                    std::abort();
            }
        }
        Oid next;
        Value v;
        device.Next({1, 3}, false, &next, &v);
    }
    device.Tick(CSimDevice::Clock::now() + std::chrono::seconds(5));
    return 0;
}
