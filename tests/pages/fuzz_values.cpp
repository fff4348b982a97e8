// Values from the device as the pages read them: UTF-8 name texts (read, written back, read
// again), MAC addresses from table indexes, port-list bitmaps, bridge and port ids, and the views'
// renderings of numbers and states, the LLDP subtypes and remote row indexes.
#include "pages/common/Format.h"
#include "pages/common/PortList.h"
#include "pages/lldp/LldpOids.h"
#include "pages/lldp/LldpRemoteDlg.h"
#include "pages/mib/ForwardingTableDlg.h"
#include "pages/mib/InterfaceTableDlg.h"
#include "pages/mib/SystemInfoDlg.h"
#include "pages/mib/TcpServiceDlg.h"
#include "pages/stp/StpOids.h"
#include "pages/surveillance/SurveillanceOui.h"
#include "pages/surveillance/SurveillanceVlanDlg.h"
#include "pages/stp/StpPortTableDlg.h"
#include "pages/snmp/SnmpScalarPages.h"
#include "pages/snmp/SnmpTablePages.h"
#include "pages/trunk/TrunkConfigDlg.h"
#include "pages/trunk/TrunkValidator.h"
#include "pages/vlan/VlanEntry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <array>
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
    if (VidFromText(value) < 0)
        std::abort();
    CTrunkConfigDlg::ModeText(value);
    // Spanning-tree ids and states: two octets "XX XX", eight "XX:..:XX", anything else as received.
    const QString octets = CStpPortTableDlg::OctetsText(bytes, value);
    const bool bShaped = bytes.size() == 2 ? octets.size() == 5 : bytes.size() == 8 ? octets.size() == 23 : octets == value;
    if (!bShaped || BridgeIdText(bytes, value).size() > std::max<qsizetype>(23, value.size()))
        std::abort();
    CStpPortTableDlg::StatusText(value);
    if (CStpPortTableDlg::EnableText(value).size() != 1)
        std::abort();

    // The agent pages: a view row's index suffix and mask as a switch could send them, the name index
    // of any text (unsigned sub-identifiers only), and the checks of what a user may type.
    QString strName, strSubtree, strMask;
    if (CSnmpAdminModel::ViewFromSuffix(value, bytes, strName, strSubtree, strMask) &&
        strMask.count(QLatin1Char('.')) > strSubtree.count(QLatin1Char('.')))
        std::abort();
    if (CSnmpAdminModel::NameIndex(text).contains(QLatin1Char('-')))
        std::abort();
    QByteArray out;
    if (CSnmpEngineIdDlg::Check(value, out).isEmpty() && (out.size() < 5 || out.size() > 32))
        std::abort();
    if (CSnmpViewDlg::CheckSubtree(value).isEmpty()) {
        const int nArcs = static_cast<int>(value.count(QLatin1Char('.'))) + 1;
        if (CSnmpViewDlg::CheckMask(text, nArcs, out).isEmpty() && out.size() > nArcs)
            std::abort();
    }
    std::array<int, 4> address{};
    for (std::size_t i = 0; i < 4 && i < size; ++i)
        address[i] = data[i];
    CSnmpHostDlg::ValidHost(static_cast<int>(size % 5), address);

    // The trunk checks over what a switch could report: every list and per-port value taken from the
    // bytes, the selection too; a check reads only the ports it holds values for.
    for (int nPorts : {0, 10, 24, 52}) {
        CTrunkValidatorData d(nPorts);
        QString list;
        PortListFromBitmap(bytes, nPorts, list);
        d.currentMembers = list;
        d.vlanEgress = {list};
        d.vlanUntagged = {list.left(list.size() / 2)};
        d.acl = {list};
        d.mirrorSource1 = d.arpSpoofing = d.autoLearn = list;
        d.bAutoLearnRead = size % 2 == 0;
        for (std::size_t i = 0; i < static_cast<std::size_t>(nPorts); ++i) {
            const int v = i < size ? data[i] % 4 : 0;
            for (std::vector<int>* p : {&d.inAnyTrunk, &d.pvid, &d.medium, &d.speed, &d.dot1xPort, &d.surveillance1})
                (*p)[i] = v;
            d.stp.push_back({v, v, v, v, v, v, v});
        }
        d.fdbHits.assign(bytes.begin(), bytes.end());
        d.dot1xState = d.stpState = d.surveillanceState = size % 3 == 0 ? 1 : 2;
        std::vector<int> flags = PortFlagsFromList(list, nPorts);
        flags.resize(static_cast<std::size_t>(size % 60), 1);
        CheckTrunkMembers(d, flags);
    }
    // LLDP: a subtype is its text or the value as received; a row index's local port is one of its parts.
    const QString strText = QString::fromLatin1(bytes);
    for (const QString& subtype : {LldpChassisSubtypeText(strText), LldpPortSubtypeText(strText)})
        if (subtype != strText && (subtype.isEmpty() || subtype.size() > 16))
            std::abort();
    const QString strPort = CLldpRemoteDlg::LocalPortOfSuffix(strText);
    if (!strPort.isEmpty() && !strText.split(QLatin1Char('.')).contains(strPort))
        std::abort();
    // Surveillance entries: six octets as MAC text, and typed addresses checked; an address that
    // passes names a row of six arcs of 0..255.
    if (FormatMacBytes(bytes).size() != 17)
        std::abort();
    CSurveillanceVlanDlg::ComponentText(value);
    const QStringList listed = {FormatMacBytes(bytes), surveillance::kDefaultOui};
    for (auto page : {surveillance::CEntryPage::Settings, surveillance::CEntryPage::Oui})
        for (const QString& typed : {value, text})
            if (surveillance::CheckNewEntry(page, text, typed, size % 2 == 0, listed).isEmpty()) {
                const QStringList arcs = surveillance::OuiIndex(typed).mid(1).split(QLatin1Char('.'));
                if (arcs.size() != 6 || std::any_of(arcs.begin(), arcs.end(), [](const QString& a) { return a.toInt() > 255; }))
                    std::abort();
            }
    return 0;
}
