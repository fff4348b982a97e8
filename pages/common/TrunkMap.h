// The port-to-trunk map of the switch: the trunk (port channel 1 to 8) each port belongs to, 0 for
// none. Pages that must not split a trunk (VLANs, PVIDs, spanning-tree ports, port settings, DHCP
// screening, ARP spoofing, 802.1X) fill it with a walk of the trunks' member lists on a session of
// their own and check a selection of ports against it.
#pragma once

#include "pages/common/PageWalk.h"

#include <QString>

#include <vector>

class CCommonSNMP;
class QObject;

// The trunk rule: for every selected port (flags[i] non-zero for port i + 1) that belongs to trunk t
// in map (map[i] the trunk of port i + 1, 0 for none), every port of trunk t is selected too.
bool TrunkRuleHolds(const std::vector<int>& map, const std::vector<int>& flags);

class CTrunkMap {
public:
    // laPortChannelMemberList: the member ports of each port channel, a binary port list.
    static const QString kMemberListOid;

    CTrunkMap(QObject* pPage, CCommonSNMP& session);

    // Clears the map for nPortNum ports and starts the walk; rows arrive while the page runs. A
    // row whose list holds ports gives each listed port up to nPortNum the row's index.
    bool Start(int nPortNum);
    bool IsRunning() const { return m_walk.IsRunning(); }
    // Called on the page's thread when the walk has ended (its error code; -2 is the end of the table).
    void SetEndSink(CPageWalk::EndSink sink) { m_walk.SetEndSink(std::move(sink)); }

    // 0 for a port in no trunk, or outside 1..N.
    int TrunkOf(int nPort) const;
    const std::vector<int>& Map() const { return m_map; }
    // For tests and pages that know the trunks already.
    void SetMap(std::vector<int> map) { m_map = std::move(map); }

    // The trunk rule over this map (see TrunkRuleHolds).
    bool KeepsTrunksWhole(const std::vector<int>& flags) const;

private:
    void ApplyRow(const QStringList& cells);

    CPageWalk m_walk;
    std::vector<int> m_map;
};
