// Auto Surveillance VLAN OUI Settings: the OUIs whose devices the surveillance VLAN takes, the vendor's
// default OUI among them.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

class CListCtrl;
class QCheckBox;
class QLineEdit;

class CSurveillanceOuiDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 222,
        IDC_ADD = 1001,
        IDC_DELETE = 1003,
        IDC_DESCRIPTION = 1005,
        IDC_REFRESH = 1044,
        IDC_CLOSE = 1128,
        IDC_LIST = 1209,
        IDC_OUI = 1212,
        IDC_DEFAULT_MODE = 1219,
    };

    explicit CSurveillanceOuiDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();
    void OnAdd();
    void OnDelete();
    bool IsReading() const { return m_walk.IsRunning(); }

private:

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPTable;
    CPageWalk m_walk{this, m_cCommonSNMPTable};
    CListCtrl* m_pList;
    QLineEdit* m_pDescription;
    QLineEdit* m_pOui;
    QCheckBox* m_pDefaultMode;
};
