// PVID Configuration: one edit per port with its port VLAN id. OK checks the trunks and the VLANs
// named and writes every port's PVID.
#pragma once

#include "pages/common/PageWalk.h"
#include "pages/common/ResizeDlg.h"
#include "pages/common/TrunkMap.h"
#include "pages/vlan/VlanEntry.h"
#include "snmp/CommonSnmp.h"

#include <vector>

class QLineEdit;

class CPvidConfigDlg : public CResizeDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 173,
        IDC_REFRESH = 1044,
        IDC_GROUP = 1058,
        IDC_PORT_LABEL_BASE = 4500,
        IDC_PVID_BASE = 5000,
    };
    // Ports written before the pause, and the pause.
    static constexpr int kBatch = 40;
    static constexpr int kBatchPauseMs = 50;

    CPvidConfigDlg(int nPortNum, const VlanList& vlans, const QString& strVids, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();
    void OnOK();

    const std::vector<int>& Pvids() const { return m_pvids; }
    CTrunkMap& Trunks() { return m_trunks; }
    bool IsReading() const { return m_walk.IsRunning() || m_trunks.IsRunning(); }
    // The message of the first check OK fails, empty when all pass.
    QString CheckInput() const;

private:
    void OnPvidEnd(int nError);

    int m_nPortNum;
    const VlanList& m_vlans;
    QString m_strVids;
    std::vector<int> m_pvids;
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPTable;
    CCommonSNMP m_cCommonSNMPSet;
    CPageWalk m_walk{this, m_cCommonSNMP};
    CTrunkMap m_trunks{this, m_cCommonSNMPTable};
    std::vector<QLineEdit*> m_edits;
};
