// Multicast Filtering Mode Configuration: each VLAN's handling of unregistered multicast groups, set
// for one VLAN or for all of them in one request.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

class CListCtrl;
class QCheckBox;
class QComboBox;

class CMulticastFilterDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 195,
        IDC_APPLY = 1000,
        IDC_REFRESH = 1044,
        IDC_LIST = 1045,
        IDC_MODE = 1125,
        IDC_VLAN = 1192,
        IDC_ALL = 1193,
    };

    explicit CMulticastFilterDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();
    void OnApply();
    bool IsReading() const { return m_walk.IsRunning(); }

    // The list's text for a mode value: "0" forwards, anything else filters.
    static QString ModeText(const QString& strMode);

private:
    void AddRow(const QStringList& cells);
    void OnWalkEnd();

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPTable;
    CPageWalk m_walk{this, m_cCommonSNMPTable};
    CListCtrl* m_pList;
    QComboBox* m_pMode;
    QComboBox* m_pVlan;
    QCheckBox* m_pAll;
    QWidget* m_pApply;
    QWidget* m_pRefresh;
};
