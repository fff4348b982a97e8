// Port lists as switches carry them in OCTET STRING objects: byte k holds ports 8k+1..8k+8, the most
// significant bit the lowest port.
#pragma once

#include <cstddef>
#include <set>
#include <string>

namespace tqxsim {

// The ports set in bitmap, every bit counted.
inline std::set<int> PortsOf(const std::string& bitmap)
{
    std::set<int> ports;
    for (size_t k = 0; k < bitmap.size(); ++k)
        for (int bit = 0; bit < 8; ++bit)
            if (static_cast<unsigned char>(bitmap[k]) & (0x80 >> bit))
                ports.insert(static_cast<int>(k * 8) + bit + 1);
    return ports;
}

// The bitmap of ports in bytes octets (ports that do not fit are left out).
inline std::string BitmapOf(const std::set<int>& ports, size_t bytes)
{
    std::string bitmap(bytes, '\0');
    for (int p : ports)
        if (p >= 1 && static_cast<size_t>(p - 1) / 8 < bytes)
            bitmap[static_cast<size_t>(p - 1) / 8] = static_cast<char>(bitmap[static_cast<size_t>(p - 1) / 8] | (0x80 >> ((p - 1) % 8)));
    return bitmap;
}

// The octets a bitmap of portCount ports takes.
inline size_t BitmapBytes(int portCount) { return portCount > 0 ? static_cast<size_t>(portCount + 7) / 8 : 0; }

// The longest bitmap a write may carry (a device of 512 ports).
constexpr size_t kMaxBitmapBytes = 64;

// Whether bitmap names only ports 1..portCount.
inline bool WithinPorts(const std::string& bitmap, int portCount)
{
    const auto ports = PortsOf(bitmap);
    return ports.empty() || *ports.rbegin() <= portCount;
}

} // namespace tqxsim
