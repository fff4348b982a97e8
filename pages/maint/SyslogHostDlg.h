// Syslog Host Configuration: the switch's global syslog state and its one syslog server (address,
// UDP port, facility, severity level), read at opening and on Refresh.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

#include <QString>
#include <QStringList>

class CIpAddressCtrl;
class CListCtrl;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CSyslogHostDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 499,
        IDC_LIST = 202,
        IDC_SERVER = 203,
        IDC_PORT = 206,
        IDC_SEVERITY = 207,
        IDC_FACILITY = 211,
        IDC_APPLY_STATE = 1000,
        IDC_ENABLE = 1016,
        IDC_REFRESH = 241,
        IDC_APPLY = 242,
    };
    static constexpr int kMaxPortText = 5;

    explicit CSyslogHostDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();
    // "Apply": the global state.
    void OnApplyState();
    // "&Apply": the server (when syslog is enabled), then the global state, then Refresh.
    void OnApply();

    // The facility combo's index for a value the switch reports (local0 for anything unknown), and
    // the value of an index.
    static int FacilityIndex(const QString& strValue);
    static int FacilityValue(int nIndex) { return 128 + 8 * nIndex; }
    // The severity combo's index for a value (-1 for one it does not list), and the value of an index.
    static int SeverityIndex(const QString& strValue);
    static int SeverityValue(int nIndex);

private:
    void ShowSyslog(const QStringList& cells);
    void EnableServer(bool bEnable);
    void OnPortChanged();

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CPageWalk m_walk{this, m_cCommonSNMP};
    CListCtrl* m_pList;
    CIpAddressCtrl* m_pServer;
    QLineEdit* m_pPort;
    QComboBox* m_pFacility;
    QComboBox* m_pSeverity;
    QCheckBox* m_pEnable;
};
