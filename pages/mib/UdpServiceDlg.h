// UDP Service: the device's UDP listeners, read at opening.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

class CListCtrl;

class CUdpServiceDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int { IDD = 482, IDC_LIST = 209, IDC_REFRESH = 241 };

    explicit CUdpServiceDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();

private:
    CCommonSNMP m_cCommonSNMP;
    CPageWalk m_walk{this, m_cCommonSNMP};
    CListCtrl* m_pList;
};
