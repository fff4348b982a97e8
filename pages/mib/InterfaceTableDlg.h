// Interface Table: ifIndex, link status and speed of every interface, read when the page is shown.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

class CListCtrl;
class QLabel;

class CInterfaceTableDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int { IDD = 49, IDC_LIST = 1088, IDC_COUNT = 1095, IDC_REFRESH = 3 };

    explicit CInterfaceTableDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnShowWindow(bool bShow) override;
    void OnRefresh();

    // "1" Connected, "2" UnConnected, "3" Test, anything else Unknown.
    static QString LinkStatusText(const QString& strOperStatus);
    // Bits per second to whole megabits: "100000000" gives "100M".
    static QString SpeedText(const QString& strSpeed);

private:
    CCommonSNMP m_cCommonSNMP;
    CPageWalk m_walk{this, m_cCommonSNMP};
    CListCtrl* m_pList;
    QLabel* m_pCount;
};
