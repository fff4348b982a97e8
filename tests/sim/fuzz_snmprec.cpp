// snmprec reader: any input is read without crashing, and every object it accepts survives being
// written out and read back unchanged.
#include "sim/Snmprec.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    using namespace tqxsim;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ObjectMap objects;
    std::vector<ParseIssue> issues;
    const int count = ParseSnmprec(text, &objects, &issues);
    if (count < static_cast<int>(objects.size()))
        std::abort();
    for (const auto& issue : issues)
        if (issue.line < 1 || issue.message.empty())
            std::abort();
    for (const auto& [oid, value] : objects) {
        ObjectMap again;
        std::vector<ParseIssue> none;
        ParseSnmprec(FormatLine(oid, value), &again, &none);
        if (!none.empty() || again.size() != 1 || again.begin()->first != oid || !(again.begin()->second == value))
            std::abort();
    }
    return 0;
}
