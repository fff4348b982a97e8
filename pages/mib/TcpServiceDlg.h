// TCP Service: the device's TCP connections and listeners, read at opening.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

class CListCtrl;

class CTcpServiceDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int { IDD = 481, IDC_LIST = 234, IDC_REFRESH = 241 };

    explicit CTcpServiceDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();

    // tcpConnState as its name ("2" listen ... "12" deleteTCB); anything else, "1" included, closed.
    static QString StateText(const QString& strState);

private:
    CCommonSNMP m_cCommonSNMP;
    CPageWalk m_walk{this, m_cCommonSNMP};
    CListCtrl* m_pList;
};
