#include "pages/common/TrunkMap.h"

#include "pages/common/PortList.h"
#include "pages/common/SwitchOids.h"

const QString CTrunkMap::kMemberListOid = oid::kLaPortChannelMemberList;

CTrunkMap::CTrunkMap(QObject* pPage, CCommonSNMP& session) : m_walk(pPage, session)
{
    m_walk.SetAcceptCount(1);
    m_walk.SetRowSink([this](const QStringList& cells) { ApplyRow(cells); });
}

bool CTrunkMap::Start(int nPortNum)
{
    m_map.assign(static_cast<std::size_t>(std::max(nPortNum, 0)), 0);
    m_walk.SetRenderer([nPortNum](const CWalkReply& reply, QStringList& cells) {
        QString strPorts;
        if (PortListFromBitmap(reply.Bytes(0), nPortNum, strPorts) == 0)
            return false;
        cells << reply.Suffix(0) << strPorts;
        return true;
    });
    return m_walk.Start({kMemberListOid});
}

void CTrunkMap::ApplyRow(const QStringList& cells)
{
    QString strIndex = cells.value(0);
    if (strIndex.startsWith(QLatin1Char('.')))
        strIndex.remove(0, 1);
    bool ok = false;
    const int nTrunk = strIndex.toInt(&ok);
    if (!ok)
        return;
    const std::vector<int> flags = PortFlagsFromList(cells.value(1), static_cast<int>(m_map.size()));
    for (std::size_t i = 0; i < flags.size(); ++i)
        if (flags[i])
            m_map[i] = nTrunk;
}

int CTrunkMap::TrunkOf(int nPort) const
{
    if (nPort < 1 || nPort > static_cast<int>(m_map.size()))
        return 0;
    return m_map[static_cast<std::size_t>(nPort - 1)];
}

bool TrunkRuleHolds(const std::vector<int>& map, const std::vector<int>& flags)
{
    for (std::size_t i = 0; i < flags.size() && i < map.size(); ++i) {
        if (!flags[i] || map[i] == 0)
            continue;
        for (std::size_t j = 0; j < map.size(); ++j)
            if (map[j] == map[i] && (j >= flags.size() || !flags[j]))
                return false;
    }
    return true;
}

bool CTrunkMap::KeepsTrunksWhole(const std::vector<int>& flags) const
{
    return TrunkRuleHolds(m_map, flags);
}
