// Add or edit one VLAN: its id, its name and, per port, one of three choices (tagged member,
// untagged member, not a member). OK checks the input and writes the VLAN through CVlanPortHelper.
#pragma once

#include "pages/common/ResizeDlg.h"
#include "pages/vlan/VlanEntry.h"
#include "pages/vlan/VlanPortHelper.h"

#include <QString>

#include <vector>

class QCheckBox;
class QLineEdit;

class CVlanEditDlg : public CResizeDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 172,
        IDC_NAME = 1053,
        IDC_VID = 1054,
        IDC_PORT_GROUP = 1055,
        IDC_ROW_LABELS = 1056,
        IDC_HINT = 1057,
        IDC_VLAN_GROUP = 1059,
        IDC_VID_LABEL = 1060,
        IDC_UNTAG_BASE = 3000,
        IDC_TAG_BASE = 3500,
        IDC_NOT_MEMBER_BASE = 4000,
        IDC_PORT_LABEL_BASE = 4500,
    };
    enum : int { kTag = 0, kUntag = 1, kNotMember = 2 };
    // Asymmetric VLAN mode as handed in: 1 on, 2 off.
    enum : int { kAsymmetricOn = 1, kAsymmetricOff = 2 };

    // bAdd: a new VLAN; else the VLAN nVid of vlans is edited.
    CVlanEditDlg(bool bAdd, int nPortNum, const VlanList& vlans, int nMode, int nVid = 0, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK();

    // The choice of port nPort (1-based): kTag, kUntag or kNotMember.
    int Choice(int nPort) const;
    // A click on box nBox (kTag, kUntag, kNotMember) of port nPort, as the user makes it.
    void OnPortBox(int nPort, int nBox, bool bChecked);
    const QString& UntaggedAnywhere() const { return m_strUntaggedAnywhere; }
    CVlanPortHelper& Helper() { return m_helper; }

    // The message of the first check OK fails, empty when all pass.
    QString CheckInput() const;

private:
    void SetChoice(int nPort, int nBox);
    bool WritePorts(int nVid);
    void Restore(int nVid);

    bool m_bAdd;
    int m_nPortNum;
    const VlanList& m_vlans;
    int m_nMode;
    int m_nVid;
    std::vector<int> m_egress;
    std::vector<int> m_untagged;
    std::vector<int> m_notMember;
    // Untagged ports as the VLAN had them when the page opened (edit mode).
    std::vector<int> m_untaggedBefore;
    QString m_strUntaggedAnywhere;
    CVlanPortHelper m_helper;
    QLineEdit* m_pName;
    QLineEdit* m_pVid;
    std::vector<QCheckBox*> m_boxes;  // three per port: tag, untag, not member
};
