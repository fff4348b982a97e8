// Jumbo Frame Configuration: one check box for the switch's jumbo frame setting.
#pragma once

#include "pages/common/PageDlg.h"
#include "snmp/CommonSnmp.h"

class QCheckBox;

class CJumboFrameDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int { IDD = 174, IDC_ENABLE = 1062 };

    explicit CJumboFrameDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    // Apply: the message for the box's state, the write, the read of what the switch took; then the
    // page closes.
    void OnOK();

private:
    void Read();

    CCommonSNMP m_cCommonSNMP;
    QCheckBox* m_pEnable;
};
