// STP Configuration: the bridge's spanning-tree state, root and timers as the switch runs them; sets
// the bridge timers, priority, RSTP on or off and the protocol version. Port Setting opens the port
// table.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class CStpBridgeDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 85,
        IDC_MAX_AGE = 11,
        IDC_FORWARD_DELAY = 13,
        IDC_HELLO_TIME = 14,
        IDC_PRIORITY = 1007,
        IDC_ENABLE_RSTP = 1008,
        IDC_PORT_SETTING = 1048,
        IDC_VERSION = 1085,
        IDC_DESIGNATED_ROOT = 1189,
        IDC_TIME_SINCE_CHANGE = 1190,
        IDC_TOP_CHANGES = 1191,
        IDC_FORWARD_DELAY_TEXT = 1192,
        IDC_HELLO_TIME_TEXT = 1193,
        IDC_HOLD_TIME_TEXT = 1194,
        IDC_ROOT_PORT = 1195,
    };
    // Version combo items.
    enum Version : int { kRstp = 0, kStpCompatible = 1 };

    explicit CStpBridgeDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRead();
    // Apply (button 1): the checks, then one SET of the timers, priority, version and state. The page
    // stays open.
    void OnApply();
    void OnEnableRstp();
    void OnPortSetting();

    bool IsReading() const { return m_walk.IsRunning(); }

    // The message of the first check the timers (hundredths of a second) fail, empty when they pass.
    static QString CheckTimers(int nMaxAge, int nForwardDelay, int nHelloTime);

private:
    void ShowBridge(const QStringList& cells);
    // The version and priority combos and the three timer edits.
    void EnableSettings(bool bEnable);

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CPageWalk m_walk{this, m_cCommonSNMP};
    QLineEdit* m_pMaxAge;
    QLineEdit* m_pForwardDelay;
    QLineEdit* m_pHelloTime;
    QComboBox* m_pPriority;
    QCheckBox* m_pEnableRstp;
    QComboBox* m_pVersion;
    QWidget* m_pPortSetting;
    QLabel* m_pDesignatedRoot;
    QLabel* m_pRootPort;
    QLabel* m_pTimeSinceChange;
    QLabel* m_pTopChanges;
    QLabel* m_pHelloTimeText;
    QLabel* m_pHoldTimeText;
    QLabel* m_pForwardDelayText;
};
