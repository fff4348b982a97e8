// 802.1Q VLAN Configuration: the switch's active static VLANs with their member ports; VLANs are
// added, edited and deleted, the asymmetric-VLAN mode switched and the PVIDs set from here.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "pages/vlan/VlanEntry.h"
#include "snmp/CommonSnmp.h"

#include <vector>

class CListCtrl;
class QCheckBox;

class CVlanConfigDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 447,
        IDC_LIST = 1341,
        IDC_ASYMMETRIC = 1008,
        IDC_REFRESH = 1338,
        IDC_ADD = 1335,
        IDC_EDIT = 1336,
        IDC_DELETE = 1337,
        IDC_PVID = 1339,
        IDC_APPLY = 1047,
        IDC_CLOSE = IDOK,
    };
    static constexpr int kMaxVlans = 256;

    explicit CVlanConfigDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();
    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnApply();
    void OnPvid();

    const VlanList& Vlans() const { return m_vlans; }
    const std::vector<int>& Pvids() const { return m_pvids; }
    // True while any read of the refresh is still running.
    bool IsRefreshing() const;

private:
    void ReadAsymmetricMode();
    void OnVlanRow(const QStringList& cells);
    void OnVlanEnd();
    void EnableButtons(bool bEnable);
    int SelectedVid(const QString& strEmpty, int* pRow);

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPTable;
    CCommonSNMP m_cCommonSNMPVoiceVlan;
    CCommonSNMP m_cCommonSNMPTableVlan;
    CCommonSNMP m_cCommonSNMPTableVlanDelete;
    CPageWalk m_walkPvid{this, m_cCommonSNMPTable};
    CPageWalk m_walkVoice{this, m_cCommonSNMPVoiceVlan};
    CPageWalk m_walkVlan{this, m_cCommonSNMPTableVlan};
    CListCtrl* m_pList;
    QCheckBox* m_pAsymmetric;
    int m_nPortNum;
    VlanList m_vlans;
    std::vector<int> m_pvids;
    std::size_t m_nPvidNext = 0;
    int m_nVoiceVlanState = 2;
    int m_nVoiceVlanId = 0;
    int m_nSurveillanceVlanState = 2;
    int m_nSurveillanceVlanId = 0;
};
