// Port Configuration: every port with its configured speed, operating mode, flow control and default
// priority; the speed and flow control of one port at a time are set after checks against the port's
// media, its trunk and the rule that not every port may be disabled.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "pages/common/TrunkMap.h"
#include "snmp/CommonSnmp.h"

#include <QString>
#include <QStringList>

#include <vector>

class CListCtrl;
class QComboBox;
class QLineEdit;

class CPortConfigDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 201,
        IDC_LIST = 201,
        IDC_SPEED = 209,
        IDC_FLOW = 210,
        IDC_PORT = 216,
        IDC_REFRESH = 241,
        IDC_APPLY = 242,
    };
    // Combo 209 indexes; index + 1 is the speed code written to the device.
    enum Speed : int { k1000Full, k100Full, k100Half, k10Full, k10Half, kAuto, kDisable };
    // Media codes of the port table.
    enum Media : int { kMediaFast = 1, kMediaCopper = 2, kMedia100BaseX = 3, kMedia1000BaseX = 4 };
    // Time-outs of the port walk's first request and of the write.
    static constexpr int kFirstReadTimeoutMs = 8000;
    static constexpr int kWriteTimeoutMs = 9000;

    // nClickedPort: the port a click on the panel opened the page for (its row is then selected as
    // if clicked once the table is read); 0 when opened from the menu.
    explicit CPortConfigDlg(QWidget* parent = nullptr, int nClickedPort = 0);

    bool OnInitDialog() override;
    void OnRefresh();
    void OnApply();
    // A click on row nRow: the port goes into the port box and the combos show its settings.
    void OnClickRow(int nRow);

    bool IsRefreshing() const { return m_walk.IsRunning() || m_trunks.IsRunning(); }
    const QString& SelectedPort() const { return m_strSelectedPort; }
    int MediaOf(int nPort) const;
    int TrunkOf(int nPort) const { return m_trunks.TrunkOf(nPort); }

    // Renderings of the port table's values.
    static QString SpeedText(const QString& strValue);
    static QString OperModeText(const QString& strValue);
    // The long form used on ports with a second connector ("C" copper).
    static QString OperModeLongText(const QString& strValue);
    static QString FlowControlText(const QString& strValue);
    static QString PriorityText(const QString& strValue);
    static QString OperFlowControlText(const QString& strValue);
    // The operating mode shown for port nPort of nPortNum ports, of which the last nExtraPortNum have
    // a second connector: on those the long form, rewritten by the connector in use.
    static QString OperModeShown(const QString& strValue, int nMedia, int nPort, int nPortNum, int nExtraPortNum,
                                 bool bAllGiga);
    // The speed column's text for a combo 209 index ("1000MFull" ... "Disable").
    static QString SpeedTextOfIndex(int nIndex);

    // The message of the first check Apply fails for port n with combo 209 index s, empty when all
    // pass. Uses the list as shown, the media and trunk map read.
    QString CheckApply(int n, int s) const;

private:
    void AddPortRow(const QStringList& cells);
    void OnPortWalkEnd(int nError);
    void OnSelectionChanged();
    int RowOfPort(int nPort) const;

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPTable;
    CCommonSNMP m_cCommonSNMPTrunk;
    CPageWalk m_walk{this, m_cCommonSNMPTable};
    CTrunkMap m_trunks{this, m_cCommonSNMPTrunk};
    CListCtrl* m_pList;
    QComboBox* m_pSpeed;
    QComboBox* m_pFlow;
    QLineEdit* m_pPort;
    QWidget* m_pApply;
    QWidget* m_pRefresh;
    QString m_strSelectedPort;
    std::vector<int> m_pPortMedia;
    int m_nPortNum;
    int m_nExtraPortNum;
    int m_nClickedPort;
};
