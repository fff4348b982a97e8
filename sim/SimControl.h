// Client of tqx-sim's control channel (--control PATH): sends one command line and reads the answer.
// Header-only so tests of any area can include it.
#pragma once

#include <chrono>
#include <cstring>
#include <string>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// Sends command (e.g. "link 3 down") to the simulator listening on socketPath and waits up to
// timeoutMs for its answer line. *answer (when given) gets the answer without the line end, or a
// description of what went wrong. True when the simulator answered "ok".
inline bool SimControl(const std::string& socketPath, const std::string& command, std::string* answer,
                       int timeoutMs = 5000)
{
    std::string scratch;
    std::string& out = answer ? *answer : scratch;
    out.clear();
    sockaddr_un addr{};
    if (socketPath.size() >= sizeof addr.sun_path || command.find('\n') != std::string::npos) {
        out = "error: bad socket path or command";
        return false;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        out = "error: no socket";
        return false;
    }
    bool ok = false;
    const std::string line = command + "\n";
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        out = "error: cannot connect to " + socketPath;
    } else if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size())) {
        out = "error: cannot send";
    } else {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::string got;
        while (got.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now()).count();
            pollfd p{fd, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
                break;
            char buf[512];
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            got.append(buf, static_cast<size_t>(n));
        }
        const size_t nl = got.find('\n');
        if (nl == std::string::npos) {
            out = "error: no answer";
        } else {
            out = got.substr(0, nl);
            ok = out == "ok";
        }
    }
    ::close(fd);
    return ok;
}
