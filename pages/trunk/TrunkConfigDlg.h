// Trunk Configuration: the switch's trunks with their channel mode and members; link aggregation is
// switched on and off, a trunk's mode set, and its members edited on the member page.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"


class CListCtrl;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CTrunkConfigDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 487,
        IDC_LIST = 201,
        IDC_TRUNK_ID = 215,
        IDC_MODE = 1018,
        IDC_ENABLE = 1008,
        IDC_REFRESH = 241,
        IDC_APPLY_MODE = 242,
        IDC_PORT_MEMBER = 1000,
        IDC_APPLY_STATE = 1046,
    };

    explicit CTrunkConfigDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();
    void OnSelectRow(int nRow);
    void OnApplyState();
    void OnApplyMode();
    void OnPortMember();

    bool IsRefreshing() const { return m_walk.IsRunning(); }
    QString SelectedMembers() const { return m_strMembers; }

    // "1" LACP, "2" Static, anything else Disable.
    static QString ModeText(const QString& strValue);

private:
    void ReadState();

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CPageWalk m_walk{this, m_cCommonSNMP};
    CListCtrl* m_pList;
    QLineEdit* m_pTrunkId;
    QComboBox* m_pMode;
    QCheckBox* m_pEnable;
    QString m_strMembers;
};
