// Trunk member: one box per port for the members of one trunk. The validator reads the switch while
// the page is open; OK checks the count and every feature that must agree, then writes the members.
#pragma once

#include "pages/common/ResizeDlg.h"
#include "pages/trunk/TrunkValidator.h"

#include <QString>

#include <vector>

class QCheckBox;
class QLineEdit;

class CTrunkMemberDlg : public CResizeDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 171,
        IDC_TRUNK_ID = 1003,
        IDC_MODE = 1004,
        IDC_GROUP_TOP = 1050,
        IDC_MODE_LABEL = 1051,
        IDC_GROUP_PORTS = 1052,
        IDC_BOX_BASE = 2000,
        IDC_PORT_LABEL_BASE = 2500,
    };

    CTrunkMemberDlg(int nPortNum, const QString& strTrunkId, const QString& strMode, const QString& strMembers,
                    QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK();

    const std::vector<int>& Members() const { return m_members; }
    QString MemberList() const;
    QString TrunkId() const { return m_strTrunkId; }
    CTrunkValidator& Validator() { return m_validator; }

private:
    int m_nPortNum;
    QString m_strTrunkId;
    QString m_strMode;
    QString m_strMembers;
    std::vector<int> m_members;
    CTrunkValidator m_validator;
    QLineEdit* m_pTrunkId;
    QLineEdit* m_pMode;
};
