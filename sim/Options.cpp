#include "sim/Options.h"

#include <cstdlib>

namespace tqxsim {

namespace {

bool ParseNumber(const std::string& s, long long lo, long long hi, long long* out)
{
    if (s.empty() || s.size() > 19)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    long long v = std::strtoll(s.c_str(), nullptr, 10);
    if (v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

// Texts that go into the agent's configuration lines: no blanks, quotes or control characters.
bool IsConfigWord(const std::string& s)
{
    if (s.empty() || s.size() > 64)
        return false;
    for (unsigned char c : s)
        if (c <= ' ' || c == '"' || c == '\'' || c == '#' || c == '\\' || c >= 0x7f)
            return false;
    return true;
}

std::vector<std::string> Split(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t p = s.find(sep, start);
        parts.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos)
            break;
        start = p + 1;
    }
    return parts;
}

} // namespace

const char* UsageText()
{
    return "usage: tqx-sim (--model NAME | --data FILE.snmprec) --listen udp:127.0.0.1:PORT [options]\n"
           "       tqx-sim [--model NAME] --write-firmware FILE [--version TEXT]\n"
           "Serves a simulated switch over SNMP until SIGTERM or SIGINT, or writes a firmware image.\n"
           "\n"
           "  --model NAME           TQX-8800, TQX-8810P, TQF-8828P, TQX-8816 or TQX-8848\n"
           "  --listen ADDRESS       transport address to answer on, e.g. udp:127.0.0.1:16100\n"
           "  --data FILE            snmprec recording to serve (on top of the model when both are given;\n"
           "                         repeatable). Broken lines are reported with their number and skipped\n"
           "  --read-community TEXT  SNMPv1/v2c read-only community (default public)\n"
           "  --write-community TEXT SNMPv1/v2c read-write community (default private)\n"
           "  --user SPEC            SNMPv3 read-write user, repeatable; SPEC is\n"
           "                           NAME:LEVEL[:AUTHPROTO:AUTHPASS[:PRIVPROTO:PRIVPASS]]\n"
           "                         LEVEL noAuthNoPriv, authNoPriv or authPriv is the least level the user\n"
           "                         must use; AUTHPROTO MD5 or SHA; PRIVPROTO DES or AES; passwords have\n"
           "                         8 to 64 characters without blanks, quotes or ':'\n"
           "  --read-user SPEC       the same for a read-only user\n"
           "  --writable OID         let SET change objects below OID too (repeatable)\n"
           "  --drop FRACTION        silently drop this share (0 to 1) of the requests\n"
           "  --seed N               seed of the drop decisions and of --dynamics (default 1)\n"
           "  --delay MS             answer every request MS milliseconds late\n"
           "  --reboot-time MS       how long a reboot keeps the device silent (default 1000)\n"
           "  --trap-port PORT       UDP port of the trap hosts' receivers (default 162)\n"
           "  --control PATH         Unix socket for control commands, one a line, each answered\n"
           "                         \"ok\" or \"error: ...\":\n"
           "                           link PORT up|down, admin PORT up|down, speed PORT MBPS,\n"
           "                           medium PORT 1|2|3|4 (3 and 4: fibre on a combo port), fan ok|fault,\n"
           "                           poe PORT on|off, snmp on|off, set OID TAG VALUE, unset OID, drop FRACTION,\n"
           "                           delay MS\n"
           "  --tftp-port PORT       UDP port of the TFTP servers the switch transfers files with (default 69)\n"
           "  --tftp-tries N         sends of one TFTP packet, 1 s apart, before a transfer fails (default 300)\n"
           "  --write-firmware FILE  write a firmware image for the model (default TQX-8800) and exit\n"
           "  --version TEXT         the version of that image (1 to 15 printable characters, default 1.0.1)\n"
           "  --dynamics             now and then change a link or a powered device (for demos)\n"
           "  --log-requests         print one line per request received on standard output:\n"
           "                           request version=V community=C user=U level=L pdu=P oids=O,...\n"
           "  --verbose              more of the agent's own log on standard error\n"
           "  --help                 this text\n";
}

bool ParseUserSpec(const std::string& text, UserSpec* out, std::string* error)
{
    const auto parts = Split(text, ':');
    UserSpec u;
    if (parts.size() != 2 && parts.size() != 4 && parts.size() != 6) {
        *error = "--user wants NAME:LEVEL[:AUTHPROTO:AUTHPASS[:PRIVPROTO:PRIVPASS]], got \"" + text + "\"";
        return false;
    }
    u.name = parts[0];
    if (!IsConfigWord(u.name)) {
        *error = "bad user name \"" + u.name + "\"";
        return false;
    }
    const std::string& level = parts[1];
    if (level == "noAuthNoPriv" || level == "noauth")
        u.level = 1;
    else if (level == "authNoPriv" || level == "auth")
        u.level = 2;
    else if (level == "authPriv" || level == "priv")
        u.level = 3;
    else {
        *error = "bad security level \"" + level + "\" (noAuthNoPriv, authNoPriv or authPriv)";
        return false;
    }
    if (parts.size() >= 4) {
        u.authProtocol = parts[2];
        u.authPassword = parts[3];
        if (u.authProtocol != "MD5" && u.authProtocol != "SHA") {
            *error = "bad authentication protocol \"" + u.authProtocol + "\" (MD5 or SHA)";
            return false;
        }
        if (!IsConfigWord(u.authPassword) || u.authPassword.size() < 8) {
            *error = "authentication password of user " + u.name + " needs 8 to 64 characters without blanks or quotes";
            return false;
        }
    }
    if (parts.size() == 6) {
        u.privProtocol = parts[4];
        u.privPassword = parts[5];
        if (u.privProtocol != "DES" && u.privProtocol != "AES") {
            *error = "bad privacy protocol \"" + u.privProtocol + "\" (DES or AES)";
            return false;
        }
        if (!IsConfigWord(u.privPassword) || u.privPassword.size() < 8) {
            *error = "privacy password of user " + u.name + " needs 8 to 64 characters without blanks or quotes";
            return false;
        }
    }
    if (u.level >= 2 && u.authProtocol.empty()) {
        *error = "user " + u.name + " at " + level + " needs an authentication protocol and password";
        return false;
    }
    if (u.level == 3 && u.privProtocol.empty()) {
        *error = "user " + u.name + " at authPriv needs a privacy protocol and password";
        return false;
    }
    *out = u;
    return true;
}

bool ParseOptions(const std::vector<std::string>& args, Options* out, std::string* error)
{
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string* v) {
            if (i + 1 >= args.size()) {
                *error = a + " needs a value";
                return false;
            }
            *v = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--model") {
            if (!value(&o.model))
                return false;
        } else if (a == "--listen") {
            if (!value(&o.listen))
                return false;
            if (!IsConfigWord(o.listen) || o.listen.find(',') != std::string::npos) {
                *error = "bad listening address \"" + o.listen + "\"";
                return false;
            }
        } else if (a == "--data") {
            if (!value(&v))
                return false;
            o.dataFiles.push_back(v);
        } else if (a == "--read-community" || a == "--write-community") {
            if (!value(&v))
                return false;
            if (!IsConfigWord(v)) {
                *error = "bad community \"" + v + "\" (1 to 64 characters, no blanks or quotes)";
                return false;
            }
            (a == "--read-community" ? o.readCommunity : o.writeCommunity) = v;
        } else if (a == "--user" || a == "--read-user") {
            if (!value(&v))
                return false;
            UserSpec u;
            if (!ParseUserSpec(v, &u, error))
                return false;
            u.readOnly = a == "--read-user";
            o.users.push_back(u);
        } else if (a == "--writable") {
            if (!value(&v))
                return false;
            Oid oid;
            if (!ParseOid(v, &oid)) {
                *error = "bad OID \"" + v + "\" for --writable";
                return false;
            }
            o.writable.push_back(oid);
        } else if (a == "--drop") {
            if (!value(&v))
                return false;
            char* end = nullptr;
            double d = std::strtod(v.c_str(), &end);
            if (v.empty() || end != v.c_str() + v.size() || !(d >= 0.0 && d <= 1.0)) {
                *error = "--drop wants a fraction from 0 to 1, got \"" + v + "\"";
                return false;
            }
            o.drop = d;
        } else if (a == "--seed") {
            long long n = 0;
            if (!value(&v))
                return false;
            if (!ParseNumber(v, 0, 0x7fffffffffffffffLL, &n)) {
                *error = "--seed wants a number, got \"" + v + "\"";
                return false;
            }
            o.seed = static_cast<unsigned long long>(n);
        } else if (a == "--delay" || a == "--reboot-time") {
            long long n = 0;
            if (!value(&v))
                return false;
            if (!ParseNumber(v, 0, 600000, &n)) {
                *error = a + " wants milliseconds from 0 to 600000, got \"" + v + "\"";
                return false;
            }
            (a == "--delay" ? o.delayMs : o.rebootMs) = static_cast<int>(n);
        } else if (a == "--trap-port") {
            long long n = 0;
            if (!value(&v))
                return false;
            if (!ParseNumber(v, 1, 65535, &n)) {
                *error = "--trap-port wants a UDP port from 1 to 65535, got \"" + v + "\"";
                return false;
            }
            o.trapPort = static_cast<int>(n);
        } else if (a == "--control") {
            if (!value(&o.controlPath))
                return false;
            if (o.controlPath.empty() || o.controlPath.size() > 100) {
                *error = "--control wants a socket path of 1 to 100 characters";
                return false;
            }
        } else if (a == "--tftp-port") {
            long long n = 0;
            if (!value(&v))
                return false;
            if (!ParseNumber(v, 1, 65535, &n)) {
                *error = "--tftp-port wants a port from 1 to 65535, got \"" + v + "\"";
                return false;
            }
            o.tftpPort = static_cast<int>(n);
        } else if (a == "--tftp-tries") {
            long long n = 0;
            if (!value(&v))
                return false;
            if (!ParseNumber(v, 1, 3600, &n)) {
                *error = "--tftp-tries wants a number from 1 to 3600, got \"" + v + "\"";
                return false;
            }
            o.tftpTries = static_cast<int>(n);
        } else if (a == "--write-firmware") {
            if (!value(&o.writeFirmware))
                return false;
            if (o.writeFirmware.empty()) {
                *error = "--write-firmware wants a file name";
                return false;
            }
        } else if (a == "--version") {
            if (!value(&v))
                return false;
            bool printable = !v.empty() && v.size() <= 15;
            for (unsigned char c : v)
                printable = printable && c > ' ' && c < 0x7f;
            if (!printable) {
                *error = "--version wants 1 to 15 printable characters without blanks, got \"" + v + "\"";
                return false;
            }
            o.firmwareVersion = v;
        } else if (a == "--log-requests") {
            o.logRequests = true;
        } else if (a == "--dynamics") {
            o.dynamics = true;
        } else if (a == "--verbose") {
            o.verbose = true;
        } else {
            *error = "unknown argument \"" + a + "\"";
            return false;
        }
    }
    if (o.help || !o.writeFirmware.empty()) {
        *out = o;
        return true;
    }
    if (o.model.empty() && o.dataFiles.empty()) {
        *error = "give --model NAME or --data FILE";
        return false;
    }
    if (o.listen.empty()) {
        *error = "give --listen ADDRESS, e.g. udp:127.0.0.1:16100";
        return false;
    }
    if (o.readCommunity == o.writeCommunity) {
        *error = "the read and write communities must differ";
        return false;
    }
    *out = o;
    return true;
}

} // namespace tqxsim
