#include "pages/trunk/TrunkValidator.h"

#include "pages/common/PortList.h"
#include "pages/common/SwitchOids.h"

#include <QStringList>

namespace {

const QString kVendor = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.");
QString V(const char* pszTail)
{
    return kVendor + QLatin1String(pszTail);
}

// The selected ports (1-based), in port order.
std::vector<int> Selected(const std::vector<int>& flags)
{
    std::vector<int> ports;
    for (std::size_t i = 0; i < flags.size(); ++i)
        if (flags[i])
            ports.push_back(static_cast<int>(i) + 1);
    return ports;
}

int At(const std::vector<int>& values, int nPort)
{
    const auto i = static_cast<std::size_t>(nPort - 1);
    return nPort >= 1 && i < values.size() ? values[i] : 0;
}

// The selected ports are all in the list or all outside it; the first selected port decides which.
bool Uniform(const QString& strList, const std::vector<int>& selected)
{
    if (selected.empty())
        return true;
    const bool bIn = PortInList(strList, selected.front());
    for (int nPort : selected)
        if (PortInList(strList, nPort) != bIn)
            return false;
    return true;
}

// Every selected port has the value of the first selected one.
bool Same(const std::vector<int>& values, const std::vector<int>& selected)
{
    for (int nPort : selected)
        if (At(values, nPort) != At(values, selected.front()))
            return false;
    return true;
}

bool Any(const std::vector<int>& values, const std::vector<int>& selected, int nValue)
{
    for (int nPort : selected)
        if (At(values, nPort) == nValue)
            return true;
    return false;
}

std::array<int, CTrunkValidatorData::kStpValues> StpOf(const CTrunkValidatorData& data, int nPort)
{
    const auto i = static_cast<std::size_t>(nPort - 1);
    return i < data.stp.size() ? data.stp[i] : std::array<int, CTrunkValidatorData::kStpValues>{};
}

int IntOf(const QString& text)
{
    return text.toInt();
}

} // namespace

CTrunkValidatorData::CTrunkValidatorData(int nPorts) : nPortNum(std::max(nPorts, 0))
{
    const auto n = static_cast<std::size_t>(nPortNum);
    for (std::vector<int>* p : {&inAnyTrunk, &pvid, &priority, &speed, &medium, &portSecurity, &loopDetection, &rate1,
                                &rate2, &dot1xPort, &voiceVlanMode, &surveillance1, &surveillance2, &dhcpScreening})
        p->assign(n, 0);
}

QString CheckTrunkMembers(CTrunkValidatorData& d, const std::vector<int>& flags,
                          const std::function<void(int& nStpState)>& rereadStpState)
{
    const std::vector<int> sel = Selected(flags);
    if (sel.empty())
        return QString();

    // 1: a port of another trunk.
    for (int p : sel)
        if (At(d.inAnyTrunk, p) && !PortInList(d.currentMembers, p))
            return QStringLiteral("Cannot add the port as it is a member of another aggregated link !");
    // 2: one medium type.
    {
        int nFirst = 0;
        for (int p : sel) {
            const int m = At(d.medium, p);
            if (nFirst == 0)
                nFirst = m;
            else if (m != nFirst)
                return QStringLiteral("Cannot add ports of different types to an aggregated link !");
        }
    }
    // 3: full duplex, one speed.
    {
        int nFirst = 0;
        for (int p : sel) {
            const int s = At(d.speed, p);
            if (nFirst == 0) {
                nFirst = s;
                if (s == 3 || s == 5)
                    return QStringLiteral("Cannot add a port in half-duplex mode to an aggregated link.");
            } else if (s != nFirst) {
                return QStringLiteral("Cannot add ports of different speed to an aggregated link.");
            }
        }
    }
    // 4: DHCP server screening alike.
    if (Any(d.dhcpScreening, sel, 1) && !Same(d.dhcpScreening, sel))
        return QStringLiteral("Cannot add ports with different DHCP Server Screening Port Settings to an aggregated link.");
    // 5: 802.1X.
    if (d.dot1xState == 1) {
        if (Any(d.dot1xPort, sel, 2))
            return QStringLiteral("Cannot add the 802.1X-enabled port to an aggregated link.");
        if (Any(d.dot1xPort, sel, 1))
            return QStringLiteral("Setting the Channel Mode Fail.");
    }
    // 6: VLAN membership alike.
    for (const std::vector<QString>* pRecords : {&d.vlanEgress, &d.vlanUntagged})
        for (const QString& strList : *pRecords)
            if (!Uniform(strList, sel))
                return QStringLiteral("Cannot add ports with different VLAN configurations to an aggregated link !");
    // 7: address learning on.
    if (d.bAutoLearnRead)
        for (int p : sel)
            if (!PortInList(d.autoLearn, p))
                return QStringLiteral("Cannot add a Auto-learn disabled port to an aggregated link.");
    // 8: priority, PVID, port security, loop detection.
    if (!Same(d.priority, sel))
        return QStringLiteral("Cannot add ports with different 802.1p default priorities to an aggregated link.");
    if (!Same(d.pvid, sel))
        return QStringLiteral("Cannot add ports with different PVIDs to an aggregated link.");
    if (Any(d.portSecurity, sel, 1))
        return QStringLiteral("Cannot add a port-security anabled port to an aggregated link.");
    if (Any(d.loopDetection, sel, 1))
        return QStringLiteral("Cannot add a LBD-enabled port to an aggregated link.");
    // 9, 10: port mirroring.
    if (!Uniform(d.mirrorSource1, sel) || !Uniform(d.mirrorSource2, sel))
        return QStringLiteral("Cannot add ports of Port Mirror enable ports to an aggregated link.");
    if (d.mirrorState == 1 && std::find(sel.begin(), sel.end(), d.mirrorTarget) != sel.end())
        return QStringLiteral("Cannot add a mirror port to an aggregated link.");
    // 11: ARP spoofing prevention.
    if (!Uniform(d.arpSpoofing, sel))
        return QStringLiteral("Cannot add ports of ARP Spoofing Prevent enable ports to an aggregated link.");
    // 12: rate control.
    if (!Same(d.rate1, sel) || !Same(d.rate2, sel))
        return QStringLiteral("Cannot add ports with different rate control configurations to an aggregated link.");
    // 13: spanning-tree port settings, when STP runs.
    if (rereadStpState)
        rereadStpState(d.stpState);
    if (d.stpState == 1)
        for (int p : sel)
            if (StpOf(d, p) != StpOf(d, sel.front()))
                return QStringLiteral("Cannot add a port with different RSTP port setting to an aggregated link. ");
    // 14: voice VLAN auto mode.
    if (Any(d.voiceVlanMode, sel, 1))
        return QStringLiteral("Cannot add a port in Voice Vlan Auto mode to an aggregated link.");
    // 15: FDB destination hit.
    for (int nHit : d.fdbHits)
        if (std::find(sel.begin(), sel.end(), nHit) != sel.end())
            return QStringLiteral("Cannot add ports with different FDB-destination-hit configurations to an aggregated link.");
    // 16: ACLs.
    for (const QString& strList : d.acl)
        if (!Uniform(strList, sel))
            return QStringLiteral("Cannot add an ACL enabled port to an aggregated link.");
    // 17: surveillance VLAN.
    if (d.surveillanceState == 1) {
        if (Any(d.surveillance1, sel, 1))
            return QStringLiteral("Cannot add a port in  Auto Surveillance VLAN Auto mode to an aggregated link");
        if (Any(d.surveillance2, sel, 2))
            return QStringLiteral("Cannot add a port in Auto Surveillance Vlan Auto dynamic mode to an aggregated link");
    }
    return QString();
}

CTrunkValidator::CTrunkValidator(QObject* pPage, int nPortNum)
    : m_nPortNum(std::max(nPortNum, 0)), m_data(m_nPortNum), m_pPage(pPage)
{
}

CTrunkValidator::~CTrunkValidator() = default;

void CTrunkValidator::ForEachSession(const std::function<void(CCommonSNMP&, const char*)>& f)
{
    f(m_cCommonSNMP, "m_cCommonSNMP");
    f(m_cCommonSNMPSet, "m_cCommonSNMPSet");
    f(m_cCommonSNMPMirror, "m_cCommonSNMPMirror");
    f(m_cCommonSNMPTableACL, "m_cCommonSNMPTableACL");
    f(m_cCommonSNMPPoint, "m_cCommonSNMPPoint");
    f(m_cCommonSNMPTableVlan, "m_cCommonSNMPTableVlan");
    f(m_cCommonSNMPTableTrunk, "m_cCommonSNMPTableTrunk");
    f(m_cCommonSNMPTableStaticPor, "m_cCommonSNMPTableStaticPor");
    f(m_cCommonSNMPTableGetVlanTrunk, "m_cCommonSNMPTableGetVlanTrunk");
    f(m_cCommonSNMPArp, "m_cCommonSNMPArp");
    f(m_cCommonSNMPSurveillance, "m_cCommonSNMPSurveillance");
    f(m_cCommonSNMPFdb, "m_cCommonSNMPFdb");
    f(m_cCommonSNMPDhcp, "m_cCommonSNMPDhcp");
}

bool CTrunkValidator::IsReading() const
{
    for (const auto& pWalk : m_walks)
        if (pWalk->IsRunning())
            return true;
    return false;
}

bool CTrunkValidator::Start(const QString& strCurrentMembers)
{
    m_data = CTrunkValidatorData(m_nPortNum);
    m_data.currentMembers = strCurrentMembers;
    m_nPortRow = m_nStpRow = m_nSurveillanceRow = 0;
    if (m_nPortNum < 1)
        return false;
    StartWalks();
    return true;
}

void CTrunkValidator::StartWalks()
{
    m_walks.clear();
    const int n = m_nPortNum;
    auto add = [this](CCommonSNMP& session, int nAccept, CPageWalk::Renderer renderer, CPageWalk::RowSink sink,
                      const QStringList& oids, int nPdu) {
        auto pWalk = std::make_unique<CPageWalk>(m_pPage, session);
        pWalk->SetAcceptCount(nAccept);
        if (renderer)
            pWalk->SetRenderer(std::move(renderer));
        pWalk->SetRowSink(std::move(sink));
        pWalk->Start(oids, nPdu);
        m_walks.push_back(std::move(pWalk));
    };
    // A binary port list as a decimal list (empty when it holds no port).
    auto lists = [n](int nValues) {
        return [n, nValues](const CWalkReply& reply, QStringList& cells) {
            for (int i = 0; i < nValues; ++i) {
                QString s;
                PortListFromBitmap(reply.Bytes(i), n, s);
                cells << s;
            }
            return true;
        };
    };
    auto setPorts = [n](std::vector<int>& target, const QString& strList) {
        const std::vector<int> flags = PortFlagsFromList(strList, n);
        for (std::size_t i = 0; i < flags.size() && i < target.size(); ++i)
            if (flags[i])
                target[i] = 1;
    };

    // Membership in any trunk.
    add(m_cCommonSNMPTableTrunk, 1, lists(1),
        [this, setPorts](const QStringList& c) { setPorts(m_data.inAnyTrunk, c.value(0)); },
        {oid::kLaPortChannelMemberList, oid::kLaPortChannelMode}, kSnmpPduGetNext);
    // VLAN egress and untagged records.
    add(m_cCommonSNMPTableVlan, 2, lists(2),
        [this](const QStringList& c) {
            if (!c.value(0).isEmpty())
                m_data.vlanEgress.push_back(c.value(0));
            if (!c.value(1).isEmpty())
                m_data.vlanUntagged.push_back(c.value(1));
        },
        {oid::kVlanStaticEgressPorts, oid::kVlanStaticUntaggedPorts}, kSnmpPduGetNext);
    // ACL records.
    add(m_cCommonSNMPTableACL, 1, lists(1),
        [this](const QStringList& c) {
            if (!c.value(0).isEmpty())
                m_data.acl.push_back(c.value(0));
        },
        {V("15.2.1.1.10")}, kSnmpPduGetNext);
    // Mirror source lists and the auto-learn list.
    add(m_cCommonSNMPMirror, 3, lists(3),
        [this](const QStringList& c) {
            m_data.mirrorSource1 = c.value(0);
            m_data.mirrorSource2 = c.value(1);
            m_data.autoLearn = c.value(2);
            m_data.bAutoLearnRead = true;
        },
        {V("18.3.0"), V("18.4.0"), V("9.2.0")}, kSnmpPduGet);
    // ARP spoofing: the list of the last row.
    add(m_cCommonSNMPArp, 1, lists(1), [this](const QStringList& c) { m_data.arpSpoofing = c.value(0); },
        {V("14.3.1.1.3")}, kSnmpPduGetNext);
    // Surveillance-VLAN port states, row r is port r.
    add(m_cCommonSNMPSurveillance, 2, {},
        [this](const QStringList& c) {
            if (m_nSurveillanceRow < m_nPortNum) {
                const auto i = static_cast<std::size_t>(m_nSurveillanceRow++);
                m_data.surveillance1[i] = IntOf(c.value(0));
                m_data.surveillance2[i] = IntOf(c.value(1));
            }
        },
        {V("26.1.5.1.2"), V("26.1.5.1.3")}, kSnmpPduGetNext);
    // The seven STP port values, the 802.1X port state and the voice-VLAN mode, row r is port r.
    add(m_cCommonSNMPTableGetVlanTrunk, 9, {},
        [this](const QStringList& c) {
            if (m_nStpRow >= m_nPortNum)
                return;
            const auto i = static_cast<std::size_t>(m_nStpRow++);
            if (m_data.stp.size() < static_cast<std::size_t>(CTrunkValidatorData::kMaxStpRecords)) {
                std::array<int, CTrunkValidatorData::kStpValues> record{};
                for (int k = 0; k < CTrunkValidatorData::kStpValues; ++k)
                    record[static_cast<std::size_t>(k)] = IntOf(c.value(k));
                m_data.stp.push_back(record);
            }
            m_data.dot1xPort[i] = IntOf(c.value(7));
            m_data.voiceVlanMode[i] = IntOf(c.value(8));
        },
        {V("6.2.1.4"), V("6.2.1.2"), V("6.2.1.5"), V("6.2.1.16"), V("6.2.1.18"), V("6.2.1.17"), V("6.2.1.14"),
         V("11.2.9.1.2"), V("21.1.6.1.2")},
        kSnmpPduGetNext);
    // Per-port settings, row r is port r.
    add(m_cCommonSNMPTableStaticPor, 8, {},
        [this](const QStringList& c) {
            if (m_nPortRow >= m_nPortNum)
                return;
            const auto i = static_cast<std::size_t>(m_nPortRow++);
            m_data.speed[i] = IntOf(c.value(0));
            m_data.priority[i] = IntOf(c.value(1));
            m_data.pvid[i] = IntOf(c.value(2));
            m_data.portSecurity[i] = IntOf(c.value(3));
            m_data.medium[i] = IntOf(c.value(4));
            m_data.loopDetection[i] = IntOf(c.value(5));
            m_data.rate1[i] = IntOf(c.value(6));
            m_data.rate2[i] = IntOf(c.value(7));
        },
        {V("1.13.1.2"), V("12.3.1.1.2"), oid::kVlanPvid, V("14.2.1.1.2"), V("1.13.1.7"), V("17.4.1.2"),
         V("13.1.2.1.2"), V("13.1.2.1.3")},
        kSnmpPduGetNext);
    // Mirroring state and target port.
    add(m_cCommonSNMPPoint, 2, {},
        [this](const QStringList& c) {
            m_data.mirrorState = IntOf(c.value(0));
            m_data.mirrorTarget = IntOf(c.value(1));
        },
        {V("18.1.0"), V("18.2.0")}, kSnmpPduGet);
    // FDB destination-hit values.
    add(m_cCommonSNMPFdb, 1, {}, [this](const QStringList& c) { m_data.fdbHits.push_back(IntOf(c.value(0))); },
        {V("9.3.1.3")}, kSnmpPduGetNext);
    // Global 802.1X, STP and surveillance states.
    add(m_cCommonSNMP, 3, {},
        [this](const QStringList& c) {
            m_data.dot1xState = c.value(0) == QLatin1String("1") ? 1 : 2;
            m_data.stpState = c.value(1) == QLatin1String("1") ? 1 : 2;
            m_data.surveillanceState = c.value(2) == QLatin1String("1") ? 1 : 2;
        },
        {V("11.2.1.0"), V("6.1.1.0"), V("26.1.1.0")}, kSnmpPduGet);

    // DHCP server screening ports: the object after the column's start, read at once.
    if (m_cCommonSNMPDhcp.Open(kSnmpPduGetNext)) {
        m_cCommonSNMPDhcp.AddOid(V("14.7.1"), kSnmpTypeNull, nullptr);
        std::unique_ptr<CSnmp> pReply;
        if (m_cCommonSNMPDhcp.GetNextSync(pReply, 0) == 0 && pReply && pReply->getValuesCount() > 0) {
            QByteArray bytes;
            if (pReply->getValue(0, bytes) == 0) {
                const std::vector<int> flags = PortFlagsFromList([&] {
                    QString s;
                    PortListFromBitmap(bytes, n, s);
                    return s;
                }(), n);
                m_data.dhcpScreening = flags;
            }
        }
    }
}

int CTrunkValidator::ReadStpState()
{
    if (!m_cCommonSNMP.Open(kSnmpPduGet))
        return m_data.stpState;
    m_cCommonSNMP.AddOid(V("6.1.1.0"), kSnmpTypeNull, nullptr);
    std::unique_ptr<CSnmp> pReply;
    if (m_cCommonSNMP.GetNextSync(pReply, 0) != 0 || !pReply || pReply->getValuesCount() < 1)
        return m_data.stpState;
    int nType = 0;
    QString strValue;
    if (pReply->getValue(0, nType, strValue) != 0)
        return m_data.stpState;
    return strValue == QLatin1String("1") ? 1 : 2;
}

QString CTrunkValidator::Check(const std::vector<int>& flags)
{
    return CheckTrunkMembers(m_data, flags, [this](int& nState) { nState = ReadStpState(); });
}

bool CTrunkValidator::Write(const QString& strTrunkId, const QByteArray& members, const QString& strMode)
{
    if (!m_cCommonSNMPSet.Open(kSnmpPduSet))
        return false;
    m_cCommonSNMPSet.AddOidValue(oid::kLaPortChannelMemberList + QLatin1Char('.') + strTrunkId, kSnmpTypeOctetString,
                                 members);
    m_cCommonSNMPSet.AddOid(oid::kLaPortChannelMode + QLatin1Char('.') + strTrunkId, kSnmpTypeInteger, strMode);
    std::unique_ptr<CSnmp> pReply;
    return m_cCommonSNMPSet.Send(pReply, 0) == 0;
}
