// Helpers for the session tests: a silent UDP peer, and a walk owner whose
// callback behaves like the module's pages.
#pragma once

#include "AgentSettings.h"
#include "core/Settings.h"
#include "snmp/CommonSnmp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

namespace snmptest {

using tqxtest::UseAgent;
using tqxtest::UseV3;

// A UDP socket bound to a free port of 127.0.0.1; port receives the port.
inline int BindLoopbackUdp(std::uint16_t& port)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}

// A bound UDP socket on 127.0.0.1 that never answers.
class SilentPeer {
public:
    SilentPeer() { m_fd = BindLoopbackUdp(m_port); }
    ~SilentPeer() { ::close(m_fd); }
    std::uint16_t port() const { return m_port; }

private:
    int m_fd = -1;
    std::uint16_t m_port = 0;
};

inline std::chrono::milliseconds Elapsed(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

// Walks with a session the way a page does: a full row continues the walk, anything else ends it.
struct WalkOwner {
    CCommonSNMP* session = nullptr;
    int columns = 0;
    int stepTimeout = 0;
    std::mutex mutex;
    std::vector<std::vector<QString>> rows;     // values per row
    std::vector<QString> suffixes;              // GetSuffix of column 0 per row
    int finalError = 0;
    int finalCount = -1;                        // bindings of the reply that ended the walk (error 0)
    int lateReplies = 0;
    int callbacks = 0;
    Event finished{Event::Reset::Manual, false};

    static unsigned int Row(CSnmp* reply, int requestId, void* user, int error)
    {
        auto* self = static_cast<WalkOwner*>(user);
        std::unique_ptr<CSnmp> owned(error == 0 ? reply : nullptr);
        std::lock_guard lock(self->mutex);
        ++self->callbacks;
        if (!self->session->IsOwnRequest(requestId)) {
            ++self->lateReplies;
            return 0;
        }
        if (error == 0 && owned->getValuesCount() == self->columns) {
            std::vector<QString> row;
            for (int i = 0; i < self->columns; ++i) {
                int type = 0;
                QString text;
                owned->getValue(i, type, text);
                row.push_back(text);
            }
            QString suffix;
            self->session->GetSuffix(0, owned.get(), suffix);
            self->suffixes.push_back(suffix);
            self->rows.push_back(row);
            if (self->session->StartWalk(&WalkOwner::Row, self, self->stepTimeout) == 0)
                return 0;
        }
        self->finalError = error;
        self->finalCount = error == 0 ? owned->getValuesCount() : -1;
        self->session->SignalDone();
        self->finished.set();
        return 0;
    }
};

} // namespace snmptest
