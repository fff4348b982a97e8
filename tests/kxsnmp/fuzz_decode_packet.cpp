// Fuzz target: any datagram decoded into a message, and a successfully decoded one encoded again.
// Names converted once are remembered by the codec, so the same datagram is decoded a second time
// and must give the same message, and the names of a re-encoded message must read back unchanged.
#include <kxsnmp/SnmpMsg.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

// Decodes the first n bytes of data into a new message; the code raised, or 0.
std::unique_ptr<CSnmpMsg> DecodeInto(const std::uint8_t* data, std::size_t size, int& code)
{
    auto msg = std::make_unique<CSnmpMsg>(nullptr, "127.0.0.1", "", 0);
    const std::size_t n = std::min<std::size_t>(size, KX_SNMP_PACKET_SIZE);
    std::memcpy(msg->m_byPacket, data, n);
    msg->m_nPacketLength = static_cast<int>(n);
    // An input longer than the buffer also claims a packet length beyond it.
    if (size > KX_SNMP_PACKET_SIZE)
        msg->m_nPacketLength = static_cast<int>(size);
    code = 0;
    try {
        msg->SnmpDecode();
    } catch (const CSnmpException& e) {
        code = e.m_wCode;
        if (e.m_strMessage.isEmpty())
            __builtin_trap();  // every raised code has a text
    }
    return msg;
}

bool SameBindings(const CSnmpMsg& a, const CSnmpMsg& b)
{
    const auto& la = a.m_pPdu->m_varBindList;
    const auto& lb = b.m_pPdu->m_varBindList;
    if (la.size() != lb.size())
        return false;
    for (std::size_t i = 0; i < la.size(); ++i) {
        const CSnmpVarBind& x = *la[i];
        const CSnmpVarBind& y = *lb[i];
        if (x.m_strOid != y.m_strOid || x.m_byType != y.m_byType || x.m_wLength != y.m_wLength ||
            x.GetInteger() != y.GetInteger() || x.GetBytes() != y.GetBytes() || x.GetOidText() != y.GetOidText())
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    int code = 0;
    const std::unique_ptr<CSnmpMsg> msg = DecodeInto(data, size, code);
    // Whatever was read can be inspected and re-encoded without reading outside its value.
    for (const auto& vb : msg->m_pPdu->m_varBindList) {
        (void)vb->GetInteger();
        (void)vb->GetBytes();
        (void)vb->GetOidText();
    }

    int again = 0;
    const std::unique_ptr<CSnmpMsg> second = DecodeInto(data, size, again);
    if (again != code || second->m_strCommunity != msg->m_strCommunity || second->m_wPduType != msg->m_wPduType ||
        !SameBindings(*msg, *second))
        __builtin_trap();

    if (code == 0) {
        // The request id grows from run to run, so a message near the limit may or may not fit.
        try {
            msg->SnmpEncode();
            if (msg->m_nPacketLength <= 0 || msg->m_nPacketLength > KX_SNMP_PACKET_SIZE)
                __builtin_trap();
        } catch (const CSnmpException& e) {
            if (e.m_wCode != KX_E_ENCODE_OVERFLOW && e.m_wCode != KX_E_OID_TOO_LONG)
                __builtin_trap();
            return 0;
        }
        // Decoded names and OID values are texts of plain arcs: they read back as they were. (A
        // Trap is encoded with the request's three numbers, which its decoding does not expect.)
        if (msg->m_wPduType == KX_PDU_TRAP)
            return 0;
        int back = 0;
        const std::unique_ptr<CSnmpMsg> reread = DecodeInto(msg->m_byPacket, static_cast<std::size_t>(msg->m_nPacketLength), back);
        if (back != 0)
            __builtin_trap();
        const auto& la = msg->m_pPdu->m_varBindList;
        const auto& lb = reread->m_pPdu->m_varBindList;
        if (la.size() != lb.size())
            __builtin_trap();
        for (std::size_t i = 0; i < la.size(); ++i)
            if (la[i]->m_strOid != lb[i]->m_strOid || la[i]->GetOidText() != lb[i]->GetOidText())
                __builtin_trap();
    }
    return 0;
}
