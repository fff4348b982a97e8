// 802.1X Port Configuration: each port's access control and state, set for a span of ports; trunk
// members are left out, and some port always stays force-authorized.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "pages/common/TrunkMap.h"
#include "snmp/CommonSnmp.h"

#include <vector>

class CListCtrl;
class QComboBox;

class CDot1xPortDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 168,
        IDC_APPLY = 1,
        IDC_FROM_PORT = 1007,
        IDC_REFRESH = 1044,
        IDC_LIST = 1045,
        IDC_TO_PORT = 1085,
        IDC_CONTROL = 1087,
    };
    // Port settings go out in requests of at most this many bindings.
    static constexpr int kPortsPerRequest = 30;

    explicit CDot1xPortDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();
    void OnApply();
    bool IsReading() const { return m_walk.IsRunning() || m_trunks.IsRunning(); }

    // The refusal of control value nControl (1..3) for ports nFrom..nTo, given every port's control
    // (index 0 is port 1) and the trunk of every port (0 none); empty when it may be written.
    static QString CheckSpan(int nFrom, int nTo, int nControl, const std::vector<int>& controls,
                             const std::vector<int>& trunks);

private:
    void AddRow(const QStringList& cells);

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPTableTrunkInfo;
    CCommonSNMP m_cCommonSNMPTable;
    CTrunkMap m_trunks{this, m_cCommonSNMPTableTrunkInfo};
    CPageWalk m_walk{this, m_cCommonSNMPTable};
    int m_nPortNum;
    std::vector<int> m_controls;
    CListCtrl* m_pList;
    QComboBox* m_pFromPort;
    QComboBox* m_pToPort;
    QComboBox* m_pControl;
    QWidget* m_pRefresh;
};
