// Firmware and Configuration Upgrade/Backup: makes the switch fetch a firmware image or a
// configuration from a TFTP server, or send its configuration to one, and follows the transfer with
// a progress bar until the switch reports the result.
//
// A transfer: the server address and file name are written (address callback), then the operation
// (operation callback); timer 2074 reads the transfer state until the switch reports an end; timer
// 2125 moves the bar on by itself; timer 2126 gives up 230 s after the switch last reported a long
// wait (state 3); timer 2124 puts the controls back once the transfer has ended.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

#include <QString>

#include <atomic>
#include <map>

class CGradientProgressCtrl;
class CIpAddressCtrl;
class QComboBox;
class QLabel;
class QLineEdit;
class QTimer;

// Consecutive time-outs of state reads.
extern std::atomic<int> g_nStateTimeouts;

class CFirmwareDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 470,
        IDC_SERVER = 203,
        IDC_FILE_NAME = 206,
        IDC_FILE_TYPE = 207,
        IDC_OPERATION = 212,
        IDC_APPLY = 242,
        IDC_PROGRESS = 1035,
        IDC_PROGRESS_LABEL = 1036,
    };
    enum : int { TIMER_STATE = 2074, TIMER_RESTORE = 2124, TIMER_PROGRESS = 2125, TIMER_OVERALL = 2126 };
    static constexpr int kMaxFileName = 64;
    static constexpr std::uint32_t kBarStart = 0xC83C3C, kBarEnd = 0xFF3C3C;

    explicit CFirmwareDlg(QWidget* parent = nullptr);
    ~CFirmwareDlg() override;

    bool OnInitDialog() override;
    void DestroyWindow() override;
    void OnApply();
    void OnTimer(int nIdEvent);

    // Every timer period and request time-out is multiplied by this factor (default 1: the device's
    // timing); time-outs stay at least 1 s. Only tests change it, before they open the page, so that
    // a transfer with its 15 s reads and 230 s time-out runs in a test's time.
    static void SetTimerScale(double dScale);
    static double TimerScale();

    // For tests and the demo picture: whether a timer is running, and what the page is doing.
    bool IsTimerActive(int nIdEvent) const;
    bool IsFinished() const { return m_bFinished; }
    bool IsPatient() const { return m_bPatient; }
    int Progress() const { return m_nProgress; }

private:
    void OnFileNameChanged();
    void StartOperation();
    void OnAddressEnd(int nError);
    void OnOperationEnd(int nError);
    void OnStateRow(const QStringList& cells);
    void OnStateEnd(int nError);
    // Ends the transfer with text shown (none when empty): timers 2125, 2126 and 2074 stopped, the
    // controls restored by timer 2124.
    void Finish(const QString& strText);
    QString FailureText() const;
    void SetTimer(int nIdEvent, int nElapseMs);
    void KillTimer(int nIdEvent);
    void EnableControls(bool bEnable);

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSetOp;
    CPageWalk m_walkAddress{this, m_cCommonSNMP};   // the address and name SET
    CPageWalk m_walkState{this, m_cCommonSNMP};     // the state reads
    CPageWalk m_walkOperation{this, m_cCommonSNMPSetOp};

    QComboBox* m_pOperation;
    QComboBox* m_pFileType;
    CIpAddressCtrl* m_pServer;
    QLineEdit* m_pFileName;
    QLabel* m_pProgressLabel;
    CGradientProgressCtrl* m_pProgress;
    QWidget* m_pApply;
    QWidget* m_pClose;
    std::map<int, QTimer*> m_timers;

    int m_nFileKind = 0;  // 1 firmware, 2 configuration
    int m_nProgress = 1;
    bool m_bFinished = false;
    bool m_bPatient = false;
};
