// The switch's TFTP client (RFC 1350, octet mode): fetches a file from a server or sends one to it.
// A transfer runs blocking on the caller's thread, waiting at most a second at a time, so a stop flag
// set from elsewhere ends it promptly.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tqxsim {

enum class TftpOpcode : std::uint16_t { Rrq = 1, Wrq = 2, Data = 3, Ack = 4, Error = 5 };

// One received packet, as far as a client reads it.
struct TftpPacket {
    TftpOpcode opcode = TftpOpcode::Error;
    std::uint16_t block = 0;   // Data, Ack
    std::uint16_t errorCode = 0;
    std::string errorText;     // Error: the message up to its NUL (or the end of the packet)
    std::string data;          // Data: 0 to 512 bytes
};

constexpr std::size_t kTftpBlockSize = 512;

// Reads a packet a server sends to a client (Data, Ack, Error); false for anything else, a request,
// a short or over-long packet.
bool ParseTftpPacket(const std::uint8_t* bytes, std::size_t size, TftpPacket* out);

struct TftpOptions {
    std::uint32_t serverAddress = 0; // IPv4, host byte order
    std::uint16_t serverPort = 69;
    int retransmitMs = 1000;         // wait for an answer before sending the last packet again
    int tries = 300;                 // sends of one packet before the transfer gives up
    std::size_t maxBytes = 16u << 20; // a longer file is refused
    const std::atomic<bool>* stop = nullptr;
    // When given: set to steady_clock's time (ticks since its epoch) of each packet the server sends.
    std::atomic<std::int64_t>* heardAt = nullptr;
};

struct TftpResult {
    bool ok = false;
    std::string error; // why it failed: "timeout", the server's error text, ...
};

// Fetches file into *data.
TftpResult TftpGet(const TftpOptions& options, const std::string& file, std::string* data);
// Sends data as file.
TftpResult TftpPut(const TftpOptions& options, const std::string& file, const std::string& data);

} // namespace tqxsim
