// The agent's scalar settings: the global state, the engine ID and the trap switches. Each reads on
// open and writes on Apply.
#pragma once

#include "pages/snmp/SnmpAdminModel.h"

#include <vector>

class QCheckBox;
class QLineEdit;

class CSnmpGlobalStateDlg : public CSnmpAdminPage {
    Q_OBJECT
public:
    enum : int { IDD = 209, IDC_ENABLE = 1155, IDC_APPLY = 1000, IDC_CANCEL = 1025 };
    explicit CSnmpGlobalStateDlg(QWidget* parent = nullptr);
    bool OnInitDialog() override;
    void OnApply();
    bool IsReading() const { return m_read.IsRunning(); }

private:
    void Read();
    CPageWalk m_read{this, m_model.m_cCommonSNMP};
    QCheckBox* m_pEnable;
};

class CSnmpEngineIdDlg : public CSnmpAdminPage {
    Q_OBJECT
public:
    enum : int { IDD = 210, IDC_ENGINE_ID = 1160, IDC_APPLY = 1000, IDC_DEFAULT = 1150, IDC_CLOSE = 1199 };
    static constexpr const char* kDefaultEngineId = "8000081c044653";
    explicit CSnmpEngineIdDlg(QWidget* parent = nullptr);
    bool OnInitDialog() override;
    void OnApply();
    void OnDefault();
    bool IsReading() const { return m_read.IsRunning(); }

    // The checks of an engine ID text: the message of the first failure, or empty; bytes gets the
    // value to send.
    static QString Check(const QString& strText, QByteArray& bytes);

private:
    void Read();
    void Write(const QString& strText);
    CPageWalk m_read{this, m_model.m_cCommonSNMPTable};
    QLineEdit* m_pEngineId;
};

class CSnmpTrapDlg : public CSnmpAdminPage {
    Q_OBJECT
public:
    enum : int { IDD = 207, IDC_APPLY = 1197, IDC_CLOSE = 1198 };
    explicit CSnmpTrapDlg(QWidget* parent = nullptr);
    bool OnInitDialog() override;
    void OnApply();
    bool IsReading() const { return m_read.IsRunning(); }
    // Whether the device's name marks a PoE model (a "p" or "P" in it): then the three PoE boxes are
    // shown, read and written.
    static bool HasPoe();

private:
    struct CSwitch {
        int nObject;  // .N.0 under the trap switches
        int nId;
        const char* pszText;
    };
    static const std::vector<CSwitch>& AllSwitches();
    // The switches this device has: six, or nine with PoE.
    std::vector<CSwitch> Switches() const;
    CPageWalk m_read{this, m_model.m_cCommonSNMP};
};
