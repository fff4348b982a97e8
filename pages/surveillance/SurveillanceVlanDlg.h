// Auto Surveillance VLAN Settings: the global state, VLAN and priority of the surveillance VLAN, and
// the user-defined surveillance devices (MAC addresses and their component type).
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

class CListCtrl;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CSurveillanceVlanDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 220,
        IDC_PRIORITY = 219,
        IDC_ADD = 1001,
        IDC_DELETE = 1003,
        IDC_DESCRIPTION = 1005,
        IDC_REFRESH = 1044,
        IDC_CLOSE = 1128,
        IDC_VLAN = 1202,
        IDC_LIST = 1209,
        IDC_MAC = 1212,
        IDC_STATE = 1214,
        IDC_APPLY = 1216,
        IDC_COMPONENT = 1218,
    };

    explicit CSurveillanceVlanDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();
    void OnApply();
    void OnAdd();
    void OnDelete();
    bool IsReading() const { return m_walkTable.IsRunning() || m_walkVlans.IsRunning(); }

    // The list's text for a component type value: 0 to 4 by the combo's names, 5 the vendor's type.
    static QString ComponentText(const QString& strType);

private:
    void ReadSettings();
    void ReadTable();
    void AddVlan(const QString& strVid);

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPTable;
    CCommonSNMP m_cCommonSNMPVlan;
    CPageWalk m_walkTable{this, m_cCommonSNMPTable};
    CPageWalk m_walkVlans{this, m_cCommonSNMPVlan};
    QString m_strVlanId;  // the VLAN id the switch holds, selected when its VLAN arrives
    CListCtrl* m_pList;
    QCheckBox* m_pState;
    QComboBox* m_pVlan;
    QComboBox* m_pPriority;
    QComboBox* m_pComponent;
    QLineEdit* m_pDescription;
    QLineEdit* m_pMac;
};
