// IP Table: the device's addresses and netmasks, read when the page is shown.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

class CListCtrl;
class QLabel;

class CIpTableDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int { IDD = 208, IDC_LIST = 208, IDC_COUNT = 209, IDC_REFRESH = 103 };

    explicit CIpTableDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnShowWindow(bool bShow) override;
    void OnRefresh();

private:
    CCommonSNMP m_cCommonSNMP;
    CPageWalk m_walk{this, m_cCommonSNMP};
    CListCtrl* m_pList;
    QLabel* m_pCount;
};
