// LLDP Remote Port Information: the neighbours the switch's LLDP agent has heard, one row each with
// the local port, the entity number and what the neighbour announced. The table is read over SNMPv1
// only, as the module reads it.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

#include <QString>
#include <QStringList>

class CListCtrl;
class QLineEdit;

class CLldpRemoteDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 180,
        IDC_FIND_COMBO = 1097,
        IDC_FIND = 1098,
        IDC_LIST = 1099,
        IDC_COUNT = 1108,
        IDC_REFRESH = 1109,
    };

    explicit CLldpRemoteDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();

    bool IsReading() const { return m_walk.IsRunning(); }

    // The local port of a remote table row index (time mark, local port, remote index).
    static QString LocalPortOfSuffix(const QString& strSuffix);

private:
    void AddRow(const QStringList& cells);
    void OnWalkEnd(int nError);

    CCommonSNMP m_cCommonSNMPEnabled;
    CCommonSNMP m_cCommonSNMP;
    CPageWalk m_walk{this, m_cCommonSNMP};
    CListCtrl* m_pList;
    QLineEdit* m_pCount;
    QWidget* m_pRefresh;
};
