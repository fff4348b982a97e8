// CTrunkValidator: before new members are written to a trunk, every feature that must agree across
// an aggregated link is read from the switch, and the chosen ports are checked against it in a fixed
// order; the first conflict names itself with its message.
#pragma once

#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QObject;

// What the checks compare, per port (index 0 is port 1) and for the whole switch. Values that were
// not read stay 0 (and lists empty), which lets the checks that use them pass.
struct CTrunkValidatorData {
    static constexpr int kStpValues = 7;
    static constexpr int kMaxStpRecords = 52;

    explicit CTrunkValidatorData(int nPortNum = 0);

    int nPortNum = 0;
    std::vector<int> inAnyTrunk;  // 1 for a member of some trunk
    std::vector<int> pvid, priority, speed, medium, portSecurity, loopDetection, rate1, rate2;
    std::vector<int> dot1xPort, voiceVlanMode, surveillance1, surveillance2, dhcpScreening;
    std::vector<std::array<int, kStpValues>> stp;  // at most kMaxStpRecords
    std::vector<int> fdbHits;                       // FDB destination-hit values, as read
    int dot1xState = 0, stpState = 0, surveillanceState = 0;  // 1 enabled, 2 disabled
    int mirrorState = 0, mirrorTarget = 0;
    QString currentMembers;              // this trunk's members, decimal list
    std::vector<QString> vlanEgress;     // one decimal list per VLAN with egress ports
    std::vector<QString> vlanUntagged;   // one per VLAN with untagged ports
    std::vector<QString> acl;            // one per ACL entry with ports
    QString mirrorSource1, mirrorSource2, autoLearn, arpSpoofing;
    bool bAutoLearnRead = false;         // the auto-learn list arrived (an unread list passes check 7)
};

// The checks, in order, for the selected ports (flags, non-zero = selected). rereadStpState, when
// given, reads the global STP state again just before the STP check. Returns the message of the first
// check that fails, or an empty text when all pass.
QString CheckTrunkMembers(CTrunkValidatorData& data, const std::vector<int>& flags,
                          const std::function<void(int& nStpState)>& rereadStpState = {});

class CTrunkValidator {
public:
    CTrunkValidator(QObject* pPage, int nPortNum);
    ~CTrunkValidator();

    // Sessions in close order, with their member names, for the page's DestroyWindow.
    void ForEachSession(const std::function<void(CCommonSNMP&, const char*)>& f);

    // Zeroes everything and starts every read; false when there are no ports to hold.
    bool Start(const QString& strCurrentMembers);
    bool IsReading() const;
    QString Check(const std::vector<int>& flags);

    // One SET of the trunk's member list and mode on the write session; true when the agent took it.
    bool Write(const QString& strTrunkId, const QByteArray& members, const QString& strMode);

    CTrunkValidatorData& Data() { return m_data; }

private:
    struct CRead;
    int ReadStpState();
    void StartWalks();

    int m_nPortNum;
    CTrunkValidatorData m_data;
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CCommonSNMP m_cCommonSNMPMirror;
    CCommonSNMP m_cCommonSNMPTableACL;
    CCommonSNMP m_cCommonSNMPPoint;
    CCommonSNMP m_cCommonSNMPTableVlan;
    CCommonSNMP m_cCommonSNMPTableTrunk;
    CCommonSNMP m_cCommonSNMPTableStaticPor;
    CCommonSNMP m_cCommonSNMPTableGetVlanTrunk;
    CCommonSNMP m_cCommonSNMPArp;
    CCommonSNMP m_cCommonSNMPSurveillance;
    CCommonSNMP m_cCommonSNMPFdb;
    CCommonSNMP m_cCommonSNMPDhcp;
    QObject* m_pPage;
    std::vector<std::unique_ptr<CPageWalk>> m_walks;  // destroyed before the sessions
    int m_nPortRow = 0, m_nStpRow = 0, m_nSurveillanceRow = 0;
};
