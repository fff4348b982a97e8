// net-snmp's command-line tools against tqx-sim, for the simulator's tests: a shell command's
// output, the tools with numeric OIDs and no MIB files, and one value picked out of their output.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <regex>
#include <string>

namespace simtest {

// Runs a shell command and returns what it printed (stdout and stderr).
inline std::string RunShell(const std::string& command)
{
    std::string out;
    FILE* p = ::popen(("( " + command + " ) 2>&1").c_str(), "r");
    if (!p)
        return "popen failed";
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    ::pclose(p);
    return out;
}

// The client tools with numeric OIDs, no MIB files, the given time-out and retries (none where a test
// counts answers or expects a time-out).
inline std::string Snmp(const std::string& tool, const std::string& auth, std::uint16_t port, const std::string& args,
                        const std::string& timeout = "3", int retries = 2)
{
    return RunShell("MIBS= /usr/bin/" + tool + " -On -Le -r " + std::to_string(retries) + " -t " + timeout + " " + auth +
                    " 127.0.0.1:" + std::to_string(port) + " " + args);
}

inline std::string V1(const std::string& community = "public") { return "-v1 -c " + community; }
inline std::string V2(const std::string& community = "public") { return "-v2c -c " + community; }

// The value of "OID = TYPE: VALUE" for one OID in the tool's output, or "" when it is not there.
inline std::string ValueOf(const std::string& output, const std::string& oid)
{
    std::regex line("(^|\\n)\\." + std::regex_replace(oid, std::regex("\\."), "\\.") + " = ([^\\n]*)");
    std::smatch m;
    return std::regex_search(output, m, line) ? m[2].str() : std::string();
}

} // namespace simtest
