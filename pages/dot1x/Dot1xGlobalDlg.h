// 802.1X Config Information: the switch's 802.1X state, RADIUS server and key, and the authenticator
// timers; PortSet opens the port access control page.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

#include <array>

class CIpAddressCtrl;
class CListCtrl;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CDot1xGlobalDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 468,
        IDC_PORT_SET = 1000,
        IDC_TX_PERIOD = 1003,
        IDC_QUIET_PERIOD = 1008,
        IDC_SUPP_TIMEOUT = 1009,
        IDC_ENABLE = 1012,
        IDC_RADIUS_IP = 1013,
        IDC_KEY = 1014,
        IDC_CONFIRM_KEY = 1015,
        IDC_REAUTH_ENABLED = 1040,
        IDC_SERVER_TIMEOUT = 1041,
        IDC_MAX_REQ = 1042,
        IDC_REAUTH_PERIOD = 1043,
        IDC_LIST = 1045,
        IDC_APPLY = 242,
    };

    explicit CDot1xGlobalDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnApply();
    void OnPortSet();
    bool IsReading() const { return m_read.IsRunning(); }

    // The message that refuses the RADIUS address, the key or a timer, in the page's order; empty
    // when the settings may be written.
    static QString CheckSettings(const std::array<int, 4>& ip, const QString& strKey, const QString& strConfirm,
                                 const std::array<QString, 6>& timers);

private:
    void Read();
    void ShowGlobals(const QStringList& cells);
    std::array<QString, 6> Timers() const;

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CCommonSNMP m_cCommonSNMParg;
    CPageWalk m_read{this, m_cCommonSNMParg};
    CListCtrl* m_pList;
    QCheckBox* m_pEnable;
    CIpAddressCtrl* m_pRadius;
    QLineEdit* m_pKey;
    QLineEdit* m_pConfirm;
    std::array<QLineEdit*, 6> m_timers{};  // QuietPeriod, TxPeriod, SuppTimeout, ServerTimeout, MaxReq, ReAuthPeriod
    QComboBox* m_pReAuth;
};
