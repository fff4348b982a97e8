// LLDP MED Settings: the LLDP-MED Power PSE TLV switch of each PoE port, listed by port and set for a
// span of ports. Nothing can be set while the switch's LLDP agent is disabled.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

class CListCtrl;
class QComboBox;

class CLldpMedDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 181,
        IDC_FROM_PORT = 1100,
        IDC_TO_PORT = 211,
        IDC_TLV = 1101,
        IDC_LIST = 1104,
        IDC_APPLY = 1102,
        IDC_REFRESH = 1044,
    };
    static constexpr int kPorts = 8;
    // Pause after the span's writes before the list is read again.
    static constexpr int kAfterWriteMs = 1000;

    explicit CLldpMedDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();
    void OnApply();

    bool IsReading() const { return m_walk.IsRunning(); }

private:
    // The two port boxes, the TLV box, the list, Apply and Refresh.
    void EnableSettings(bool bEnable);

    CCommonSNMP m_cCommonSNMPEnable;
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CPageWalk m_walk{this, m_cCommonSNMP};
    QComboBox* m_pFromPort;
    QComboBox* m_pToPort;
    QComboBox* m_pTlv;
    CListCtrl* m_pList;
    QWidget* m_pApply;
    QWidget* m_pRefresh;
    bool m_bLldpDisabled = false;  // as the last refresh read the agent's state
};
