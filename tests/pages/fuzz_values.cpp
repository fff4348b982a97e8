// Values from the device as the pages read them: UTF-8 name texts (read, written back, read
// again), MAC addresses from table indexes, port-list bitmaps, and the views' renderings of numbers
// and states.
#include "pages/common/Format.h"
#include "pages/common/PortList.h"
#include "pages/mib/ForwardingTableDlg.h"
#include "pages/mib/InterfaceTableDlg.h"
#include "pages/mib/SystemInfoDlg.h"
#include "pages/mib/TcpServiceDlg.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = CUtf8Text::FromDevice(bytes);
    if (text.size() > CUtf8Text::kMaxUnitsFromDevice)
        std::abort();
    const QByteArray back = CUtf8Text::ToDevice(text);
    if (back.size() >= CUtf8Text::kBufferSize)
        std::abort();
    // What the writer produced reads back as the same text, as far as it fitted.
    if (!text.startsWith(CUtf8Text::FromDevice(back)))
        std::abort();

    // Numbers, states and indexes arrive as the engine's text: one character per byte.
    const QString value = QString::fromLatin1(bytes);
    if (FormatMacFromOid(value).size() > 19 || CForwardingTableDlg::MacFromIndex(value).size() > 19)
        std::abort();
    if (!CInterfaceTableDlg::SpeedText(value).endsWith(QLatin1Char('M')))
        std::abort();
    CInterfaceTableDlg::LinkStatusText(value);
    CSystemInfoDlg::RuntimeText(value);
    CTcpServiceDlg::StateText(value);
    CForwardingTableDlg::StatusText(value);

    // Port-list bitmaps of any length, for every panel size: decoded within the value and the port
    // count, and what is written from the decoded list decodes to the same ports.
    for (int nPorts : {0, 10, 16, 24, 28, 48, 52}) {
        QString list;
        const int nCount = PortListFromBitmap(bytes, nPorts, list);
        const qsizetype nExamined = std::min<qsizetype>(bytes.size(), (nPorts + 7) / 8);
        if (nCount < 0 || nCount > nExamined * 8)
            std::abort();
        const std::vector<int> ports = PortsFromBitmap(bytes, nPorts);
        if (static_cast<int>(ports.size()) != nCount || (!ports.empty() && ports.back() > nExamined * 8))
            std::abort();
        PortRangeFromBitmap(bytes, nPorts);
        const std::vector<int> flags = PortFlagsFromList(list, nPorts);
        QString again;
        PortListFromBitmap(PortBitmapFromFlags(flags, nPorts), nPorts, again);
        std::vector<int> inRange;
        for (int p : ports)
            if (p <= nPorts)
                inRange.push_back(p);
        if (PortFlagsFromList(again, nPorts) != flags || PortsFromBitmap(PortBitmapFromFlags(flags, nPorts), nPorts) != inRange)
            std::abort();
    }
    BytesFromHex(value, 8);
    return 0;
}
