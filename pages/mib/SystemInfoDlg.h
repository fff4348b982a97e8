// System Information: the system group, read at opening and on Refresh; Apply writes the name and
// the location (UTF-8 on the device) after checking them.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

class QLabel;
class QLineEdit;

class CSystemInfoDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 80,
        IDC_DESCRIPTION = 1302,
        IDC_OBJECT_ID = 1303,
        IDC_RUNTIME = 1304,
        IDC_NAME = 1310,
        IDC_CONTACT = 1312,
        IDC_LOCATION = 1313,
        IDC_REFRESH = 103,
        IDC_APPLY = 1145,
        IDC_CLOSE = 1146,
    };

    explicit CSystemInfoDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();
    // Apply: checks name, then location; writes both; the page stays open.
    void OnOK();
    void OnCancel() { reject(); }

    // Time ticks as "H Hour M Min"; empty for an empty value.
    static QString RuntimeText(const QString& strTicks);

private:
    void ShowSystem(const QStringList& cells);

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CPageWalk m_walk{this, m_cCommonSNMP};
    QLineEdit* m_pName;
    QLineEdit* m_pContact;
    QLineEdit* m_pLocation;
    QLabel* m_pDescription;
    QLabel* m_pObjectId;
    QLabel* m_pRuntime;
};
