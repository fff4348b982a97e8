// DHCP Server Screening Port Settings: the ports on which the switch screens DHCP server replies, set
// for a span of ports; the members of a trunk keep one setting.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/TrunkMap.h"
#include "snmp/CommonSnmp.h"

#include <vector>

class CListCtrl;
class QComboBox;

class CDhcpScreeningDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 194,
        IDC_APPLY = 1000,
        IDC_REFRESH = 1001,
        IDC_FROM_PORT = 1007,
        IDC_LIST = 1045,
        IDC_TO_PORT = 1085,
        IDC_STATE = 1087,
    };

    explicit CDhcpScreeningDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();
    void OnApply();
    bool IsReadingTrunks() const { return m_trunks.IsRunning(); }
    CTrunkMap& Trunks() { return m_trunks; }

private:
    void ShowPorts();
    void OnToPortChanged(int nIndex);

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CCommonSNMP m_cCommonSNMPTable;
    CTrunkMap m_trunks{this, m_cCommonSNMPTable};
    int m_nPortNum;
    std::vector<int> m_enabled;  // per port, index 0 is port 1
    CListCtrl* m_pList;
    QComboBox* m_pFromPort;
    QComboBox* m_pToPort;
    QComboBox* m_pState;
};
