// PoE Configuration: the PoE ports with state, time range, priority, power limit and the figures the
// switch measures; state, priority, limit and time range are set for a span of ports, one request per
// port.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "pages/poe/PoeOids.h"
#include "snmp/CommonSnmp.h"

#include <QString>
#include <QStringList>

#include <vector>

class CListCtrl;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CPoeConfigDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 490,
        IDC_LIST = 201,
        IDC_TO_PORT = 211,
        IDC_STATE = 212,
        IDC_PRIORITY = 219,
        IDC_REFRESH = 241,
        IDC_APPLY = 242,
        IDC_CLASS = 1065,
        IDC_USER_DEFINE = 1066,
        IDC_FROM_PORT = 1069,
        IDC_LIMIT = 1070,
        IDC_TIME_RANGE = 1085,
    };
    static constexpr int kWriteTimeoutMs = 20000;
    static constexpr int kPortPauseMs = 300;

    explicit CPoeConfigDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();
    void OnApply();

    bool IsReading() const { return m_timeRangeWalk.IsRunning() || m_portWalk.IsRunning(); }
    const std::vector<TimeRangeEntry>& TimeRanges() const { return m_timeRanges; }

    // The message that refuses a user-defined limit text, empty when it may be sent.
    static QString CheckUserLimit(const QString& strLimit);
    // The list's Power Limit text: the user-defined limit when in use, else the class.
    static QString PowerLimitText(const QString& strUserOn, const QString& strUserLimit, const QString& strClass);

private:
    void ReadTimeRanges();
    void OnTimeRangeEnd(int nError);
    void StartPortWalk();
    void AddPortRow(const QStringList& cells);
    void OnPortWalkEnd(int nError);
    void OnSelectRow(int nRow);
    void OnFromPortChanged(int nIndex);
    void OnToPortChanged(int nIndex);
    void SetPortCount(int nCount);
    QString TimeRangeName(const QString& strNumber) const;
    void EnableButtons(bool bEnable);

    CCommonSNMP m_cCommonSNMPTimeRang;
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CPageWalk m_timeRangeWalk{this, m_cCommonSNMPTimeRang};
    CPageWalk m_portWalk{this, m_cCommonSNMP};
    CListCtrl* m_pList;
    QComboBox* m_pFromPort;
    QComboBox* m_pToPort;
    QComboBox* m_pState;
    QComboBox* m_pPriority;
    QComboBox* m_pClass;
    QComboBox* m_pTimeRange;
    QCheckBox* m_pUserDefine;
    QLineEdit* m_pLimit;
    QWidget* m_pRefresh;
    QWidget* m_pApply;
    std::vector<TimeRangeEntry> m_timeRanges;
};
