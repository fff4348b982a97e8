#include "sim/Tftp.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tqxsim {

namespace {

using Clock = std::chrono::steady_clock;

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

void PutWord(std::string& s, std::uint16_t v)
{
    s.push_back(static_cast<char>(v >> 8));
    s.push_back(static_cast<char>(v & 0xff));
}

std::string Request(TftpOpcode op, const std::string& file)
{
    std::string p;
    PutWord(p, static_cast<std::uint16_t>(op));
    p += file;
    p.push_back('\0');
    p += "octet";
    p.push_back('\0');
    return p;
}

std::string Ack(std::uint16_t block)
{
    std::string p;
    PutWord(p, static_cast<std::uint16_t>(TftpOpcode::Ack));
    PutWord(p, block);
    return p;
}

std::string DataPacket(std::uint16_t block, const std::string& data, std::size_t offset)
{
    std::string p;
    PutWord(p, static_cast<std::uint16_t>(TftpOpcode::Data));
    PutWord(p, block);
    if (offset < data.size())
        p.append(data, offset, kTftpBlockSize);
    return p;
}

std::string ErrorPacket(std::uint16_t code, const char* text)
{
    std::string p;
    PutWord(p, static_cast<std::uint16_t>(TftpOpcode::Error));
    PutWord(p, code);
    p += text;
    p.push_back('\0');
    return p;
}

// One transfer's socket: the server's request port first, then the port (transfer id) the server
// answers from.
class CTransfer {
public:
    explicit CTransfer(const TftpOptions& o) : m_options(o)
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        m_peer.sin_family = AF_INET;
        m_peer.sin_addr.s_addr = htonl(o.serverAddress);
        m_peer.sin_port = htons(o.serverPort);
    }
    ~CTransfer()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CTransfer(const CTransfer&) = delete;
    CTransfer& operator=(const CTransfer&) = delete;

    bool Ok() const { return m_fd >= 0; }

    void Send(const std::string& packet)
    {
        m_last = packet;
        m_tries = 1;
        Resend();
    }

    // The next packet of the server's transfer; false with *error on time-out, stop or socket trouble.
    // Sends the last packet again when the server is silent for the retransmission time.
    bool Receive(TftpPacket* packet, std::string* error)
    {
        auto due = Clock::now() + std::chrono::milliseconds(m_options.retransmitMs);
        while (true) {
            if (m_options.stop && m_options.stop->load()) {
                *error = "stopped";
                return false;
            }
            const auto now = Clock::now();
            if (now >= due) {
                if (m_tries >= m_options.tries) {
                    *error = "timeout";
                    return false;
                }
                ++m_tries;
                Resend();
                due = now + std::chrono::milliseconds(m_options.retransmitMs);
                continue;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count();
            pollfd p{m_fd, POLLIN, 0};
            const int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left + 1, 200)));
            if (n < 0 && errno != EINTR) {
                *error = std::strerror(errno);
                return false;
            }
            if (n <= 0)
                continue;
            std::uint8_t buf[kTftpBlockSize + 4 + 64];
            sockaddr_in from{};
            socklen_t fromLen = sizeof from;
            const ssize_t got = ::recvfrom(m_fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
            if (got < 0)
                continue; // e.g. a port-unreachable report of an earlier send: the server may still come
            if (from.sin_addr.s_addr != m_peer.sin_addr.s_addr)
                continue;
            if (m_bTidKnown && from.sin_port != m_peer.sin_port) {
                // Another transfer's packet: tell its sender, keep ours going.
                const std::string e = ErrorPacket(5, "Unknown transfer ID");
                ::sendto(m_fd, e.data(), e.size(), 0, reinterpret_cast<sockaddr*>(&from), sizeof from);
                continue;
            }
            if (!ParseTftpPacket(buf, static_cast<std::size_t>(got), packet))
                continue;
            if (!m_bTidKnown) {
                m_bTidKnown = true;
                m_peer.sin_port = from.sin_port;
            }
            if (m_options.heardAt)
                *m_options.heardAt = Clock::now().time_since_epoch().count();
            return true;
        }
    }

    void SendError(std::uint16_t code, const char* text)
    {
        if (!m_bTidKnown)
            return;
        const std::string e = ErrorPacket(code, text);
        ::sendto(m_fd, e.data(), e.size(), 0, reinterpret_cast<sockaddr*>(&m_peer), sizeof m_peer);
    }

private:
    void Resend()
    {
        ::sendto(m_fd, m_last.data(), m_last.size(), 0, reinterpret_cast<sockaddr*>(&m_peer), sizeof m_peer);
    }

    TftpOptions m_options;
    int m_fd = -1;
    sockaddr_in m_peer{};
    bool m_bTidKnown = false;
    std::string m_last;
    int m_tries = 0;
};

TftpResult Failed(std::string why)
{
    TftpResult r;
    r.error = std::move(why);
    return r;
}

} // namespace

bool ParseTftpPacket(const std::uint8_t* bytes, std::size_t size, TftpPacket* out)
{
    if (!bytes || size < 4)
        return false;
    const std::uint16_t op = Word(bytes);
    TftpPacket p;
    switch (op) {
    case static_cast<std::uint16_t>(TftpOpcode::Data):
        if (size > 4 + kTftpBlockSize)
            return false;
        p.opcode = TftpOpcode::Data;
        p.block = Word(bytes + 2);
        p.data.assign(reinterpret_cast<const char*>(bytes + 4), size - 4);
        break;
    case static_cast<std::uint16_t>(TftpOpcode::Ack):
        if (size != 4)
            return false;
        p.opcode = TftpOpcode::Ack;
        p.block = Word(bytes + 2);
        break;
    case static_cast<std::uint16_t>(TftpOpcode::Error): {
        if (size > 4 + kTftpBlockSize)
            return false;
        p.opcode = TftpOpcode::Error;
        p.errorCode = Word(bytes + 2);
        const char* text = reinterpret_cast<const char*>(bytes + 4);
        p.errorText.assign(text, strnlen(text, size - 4));
        break;
    }
    default:
        return false;
    }
    *out = std::move(p);
    return true;
}

TftpResult TftpGet(const TftpOptions& options, const std::string& file, std::string* data)
{
    CTransfer t(options);
    if (!t.Ok())
        return Failed("no socket");
    data->clear();
    t.Send(Request(TftpOpcode::Rrq, file));
    std::uint16_t expected = 1;
    while (true) {
        TftpPacket p;
        std::string error;
        if (!t.Receive(&p, &error))
            return Failed(error);
        if (p.opcode == TftpOpcode::Error)
            return Failed(p.errorText.empty() ? "error " + std::to_string(p.errorCode) : p.errorText);
        if (p.opcode != TftpOpcode::Data)
            continue;
        if (p.block != expected) {
            // A block we have already: our acknowledgement got lost.
            if (p.block == static_cast<std::uint16_t>(expected - 1))
                t.Send(Ack(p.block));
            continue;
        }
        if (data->size() + p.data.size() > options.maxBytes) {
            t.SendError(3, "File too large");
            return Failed("file too large");
        }
        data->append(p.data);
        t.Send(Ack(p.block));
        if (p.data.size() < kTftpBlockSize) {
            TftpResult r;
            r.ok = true;
            return r;
        }
        ++expected; // wraps after 65535 as most servers do
    }
}

TftpResult TftpPut(const TftpOptions& options, const std::string& file, const std::string& data)
{
    if (data.size() > options.maxBytes)
        return Failed("file too large");
    CTransfer t(options);
    if (!t.Ok())
        return Failed("no socket");
    t.Send(Request(TftpOpcode::Wrq, file));
    std::uint16_t awaited = 0;    // the block whose acknowledgement comes next
    std::size_t offset = 0;       // of the block after it
    bool lastSent = false;        // the short (final) block is out
    while (true) {
        TftpPacket p;
        std::string error;
        if (!t.Receive(&p, &error))
            return Failed(error);
        if (p.opcode == TftpOpcode::Error)
            return Failed(p.errorText.empty() ? "error " + std::to_string(p.errorCode) : p.errorText);
        if (p.opcode != TftpOpcode::Ack || p.block != awaited)
            continue; // a duplicate acknowledgement is not answered (no sorcerer's apprentice)
        if (lastSent) {
            TftpResult r;
            r.ok = true;
            return r;
        }
        ++awaited;
        const std::string packet = DataPacket(awaited, data, offset);
        lastSent = packet.size() - 4 < kTftpBlockSize;
        offset += kTftpBlockSize;
        t.Send(packet);
    }
}

} // namespace tqxsim
