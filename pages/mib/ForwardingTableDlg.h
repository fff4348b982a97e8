// Forwarding Table: the learned and static MAC addresses of every filtering database with their
// status and port, optionally only those of one port, and the bridge's age time.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

class CListCtrl;
class QLabel;
class QLineEdit;

class CForwardingTableDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 278,
        IDC_REFRESH = 20,
        IDC_LIST = 1205,
        IDC_PORT_FILTER = 1213,
        IDC_AGE_TIME = 1216,
        IDC_CLOSE = 1217,
        IDC_COUNT = 1220,
    };

    explicit CForwardingTableDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    // The table walk, then the age-time read.
    void OnRefresh();

    // dot1qTpFdbStatus by its first digit: Other, Invalid, Learn, Own, Static; else as received.
    static QString StatusText(const QString& strStatus);
    // The row index (filtering database id and six MAC octets) as the MAC address.
    static QString MacFromIndex(const QString& strSuffix);

private:
    void GetAgeTime();

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPGetTime;
    CPageWalk m_walk{this, m_cCommonSNMP};
    CPageWalk m_ageRead{this, m_cCommonSNMPGetTime};
    QLineEdit* m_pFilter;
    CListCtrl* m_pList;
    QLabel* m_pAgeTime;
    QLabel* m_pCount;
    QAbstractButton* m_pRefresh;
};
