// CVlanPortHelper: the writes of the add/edit VLAN page (row state, the port lists, the name) and
// the trunk member walk that tells which ports must stay together.
#pragma once

#include "pages/common/TrunkMap.h"
#include "snmp/CommonSnmp.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class QObject;
class QWidget;

class CVlanPortHelper {
public:
    CVlanPortHelper(QObject* pPage, int nPortNum);

    // Sessions in declaration order, with their member names, for the page's DestroyWindow.
    template <class F>
    void ForEachSession(F f)
    {
        f(m_cCommonSNMP, "m_cCommonSNMP");
        f(m_cCommonSNMPEgrePort, "m_cCommonSNMPEgrePort");
        f(m_cCommonSNMPUntagPort, "m_cCommonSNMPUntagPort");
        f(m_cCommonSNMPAllPort, "m_cCommonSNMPAllPort");
        f(m_cCommonSNMPTable, "m_cCommonSNMPTable");
    }

    // Clears the port-to-trunk map and starts the trunk member walk.
    void StartTrunkWalk();
    CTrunkMap& Trunks() { return m_trunks; }
    const CTrunkMap& Trunks() const { return m_trunks; }

    // dot1qVlanStaticRowState.vid = strState; true when the agent took it.
    bool SetRowState(int nVid, const char* pszState);
    // dot1qVlanStaticName.vid = the name in UTF-8.
    bool SetName(int nVid, const QString& strName);
    // A port list from member flags, written to the egress (bUntagged false) or untagged column;
    // strTrace is the trace heading. A list that gives no byte shows "Parameter Error !".
    bool SetPortList(int nVid, const std::vector<int>& flags, bool bUntagged, const char* pszTrace, QWidget* pParent);

private:
    int m_nPortNum;
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPEgrePort;
    CCommonSNMP m_cCommonSNMPUntagPort;
    CCommonSNMP m_cCommonSNMPAllPort;
    CCommonSNMP m_cCommonSNMPTable;
    CTrunkMap m_trunks;
    std::unique_ptr<CSnmp> m_pResponse;
};
