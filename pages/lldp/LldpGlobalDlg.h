// LLDP Global Settings: the agent's state and timers, and the local system as the switch announces
// it (chassis id subtype and id, system name and description). Two Apply buttons: the state alone,
// and the four timers after their checks.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

#include <QString>
#include <QStringList>

class QCheckBox;
class QLabel;
class QLineEdit;

class CLldpGlobalDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 179,
        IDC_ENABLE = 1091,
        IDC_APPLY_STATE = 1094,
        IDC_TX_HOLD = 1093,
        IDC_TX_INTERVAL = 1105,
        IDC_REINIT_DELAY = 1005,
        IDC_TX_DELAY = 1008,
        IDC_APPLY_PARAMETERS = 1095,
        IDC_CHASSIS_SUBTYPE = 1106,
        IDC_CHASSIS_ID = 1009,
        IDC_SYSTEM_NAME = 1096,
        IDC_SYSTEM_DESCRIPTION = 1011,
    };
    // Pause between the attempts of a write, and after the one that was answered.
    static constexpr int kRetryPauseMs = 1000;
    static constexpr int kAfterWriteMs = 2000;
    static constexpr int kWriteAttempts = 3;

    explicit CLldpGlobalDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRead();
    void OnApplyState();
    void OnApplyParameters();

    bool IsReading() const { return m_walk.IsRunning(); }

private:
    void ShowValues(const QStringList& cells);
    // Sends the prepared SET up to kWriteAttempts times, a pause apart, until one is answered; 0 then.
    int SendRetried();

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CPageWalk m_walk{this, m_cCommonSNMP};
    QCheckBox* m_pEnable;
    QWidget* m_pApplyState;
    QWidget* m_pApplyParameters;
    QLineEdit* m_pTxHold;
    QLineEdit* m_pTxInterval;
    QLineEdit* m_pReinitDelay;
    QLineEdit* m_pTxDelay;
    QLineEdit* m_pChassisSubtype;
    QLineEdit* m_pChassisId;
    QLineEdit* m_pSystemName;
    QLineEdit* m_pSystemDescription;
};
