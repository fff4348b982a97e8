// Fuzz target: any datagram decoded into a message, and a successfully decoded one encoded again.
#include <kxsnmp/SnmpMsg.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CSnmpMsg msg(nullptr, "127.0.0.1", "", 0);
    const std::size_t n = std::min<std::size_t>(size, KX_SNMP_PACKET_SIZE);
    std::memcpy(msg.m_byPacket, data, n);
    msg.m_nPacketLength = static_cast<int>(n);
    // An input longer than the buffer also claims a packet length beyond it.
    if (size > KX_SNMP_PACKET_SIZE)
        msg.m_nPacketLength = static_cast<int>(size);
    bool decoded = true;
    try {
        msg.SnmpDecode();
    } catch (const CSnmpException& e) {
        decoded = false;
        if (e.m_strMessage.isEmpty())
            __builtin_trap();  // every raised code has a text
    }
    // Whatever was read can be inspected and re-encoded without reading outside its value.
    for (const auto& vb : msg.m_pPdu->m_varBindList) {
        (void)vb->GetInteger();
        (void)vb->GetBytes();
        (void)vb->GetOidText();
    }
    if (decoded) {
        // The request id grows from run to run, so a message near the limit may or may not fit.
        try {
            msg.SnmpEncode();
            if (msg.m_nPacketLength <= 0 || msg.m_nPacketLength > KX_SNMP_PACKET_SIZE)
                __builtin_trap();
        } catch (const CSnmpException& e) {
            if (e.m_wCode != KX_E_ENCODE_OVERFLOW && e.m_wCode != KX_E_OID_TOO_LONG)
                __builtin_trap();
        }
    }
    return 0;
}
