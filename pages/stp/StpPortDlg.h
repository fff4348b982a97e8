// Port STP Configuration: one port of the spanning-tree table at a time, with Prev and Next; sets the
// port's priority, path cost and STP participation. A trunk member keeps the settings of its trunk.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/TrunkMap.h"
#include "snmp/CommonSnmp.h"

#include <QString>
#include <QStringList>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class CStpPortDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 84,
        IDC_APPLY = 3,
        IDC_PATH_COST = 23,
        IDC_PRIORITY = 1007,
        IDC_ENABLE = 1009,
        IDC_PORT = 1075,
        IDC_PREV = 1111,
        IDC_DESIGNATED_COST = 1184,
        IDC_DESIGNATED_ROOT = 1185,
        IDC_STATUS = 1186,
        IDC_DESIGNATED_BRIDGE = 1187,
        IDC_DESIGNATED_PORT = 1188,
        IDC_FORWARDINGS = 1189,
        IDC_NEXT = 2222,
    };
    static constexpr int kMaxPathCost = 200000000;

    // rows: the spanning-tree table as shown (cells in its column order); nRow: the selected row.
    CStpPortDlg(std::vector<QStringList> rows, int nRow, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnPrev();
    void OnNext();
    void OnApply();
    // OK: Apply, then the page ends with OK whatever Apply did.
    void OnOK();

    int Row() const { return m_nRow; }
    bool IsReadingTrunks() const { return m_trunks.IsRunning(); }
    CTrunkMap& Trunks() { return m_trunks; }

private:
    // Shows row m_nRow (clamped to the table) and reads the port's settings.
    void ShowPort();

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CCommonSNMP m_cCommonSNMPTable;
    CTrunkMap m_trunks{this, m_cCommonSNMPTable};
    std::vector<QStringList> m_rows;
    int m_nRow;
    QWidget* m_pPrev;
    QWidget* m_pNext;
    QComboBox* m_pPriority;
    QLineEdit* m_pPathCost;
    QCheckBox* m_pEnable;
    QLabel* m_pPort;
    QLabel* m_pStatus;
    QLabel* m_pDesignatedRoot;
    QLabel* m_pDesignatedCost;
    QLabel* m_pDesignatedBridge;
    QLabel* m_pDesignatedPort;
    QLabel* m_pForwardings;
};
