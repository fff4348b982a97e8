// Spanning Tree Table: every port's STP settings and state as the switch runs them; Port Config (or a
// double click) opens the port page for the selected row.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

class CListCtrl;
class QLabel;

class CStpPortTableDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 83,
        IDC_REFRESH = 3,
        IDC_PORT_CONFIG = 101,
        IDC_BRIDGE_CONFIG = 102,
        IDC_COUNT = 301,
        IDC_LIST = 1088,
    };
    // The list's columns.
    enum Column : int {
        kColPort, kColPriority, kColCost, kColEnable, kColStatus, kColDesignatedRoot, kColDesignatedCost,
        kColDesignatedBridge, kColDesignatedPort, kColForwardings,
    };

    explicit CStpPortTableDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnShowWindow(bool bShow) override;
    void OnRefresh();
    void OnPortConfig();

    bool IsReading() const { return m_walk.IsRunning(); }
    // The rows as shown, cell by cell.
    std::vector<QStringList> Rows() const;

    // Renderings of the table's values.
    static QString EnableText(const QString& strValue);
    static QString StatusText(const QString& strValue);
    // Designated root, bridge and port: two octets "%02X %02X", eight "%02X:...:%02X", any other
    // value as received.
    static QString OctetsText(const QByteArray& bytes, const QString& strReceived);

private:
    void EnableButtons(bool bEnable);

    CCommonSNMP m_cCommonSNMP;
    CPageWalk m_walk{this, m_cCommonSNMP};
    CListCtrl* m_pList;
    QLabel* m_pCount;
    QWidget* m_pPortConfig;
    QWidget* m_pRefresh;
};
