#include "pages/vlan/VlanConfigDlg.h"

#include "core/Settings.h"
#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/common/PortList.h"
#include "pages/common/SwitchOids.h"
#include "pages/vlan/PvidConfigDlg.h"
#include "pages/vlan/VlanEditDlg.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QThread>
#include <QVBoxLayout>

CVlanConfigDlg::CVlanConfigDlg(QWidget* parent) : CPageDlg(IDD, parent), m_nPortNum(std::max(g_nDevicePortNum, 0))
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPTable, "m_cCommonSNMPTable");
    AddSession(m_cCommonSNMPVoiceVlan, "m_cCommonSNMPVoiceVlan");
    AddSession(m_cCommonSNMPTableVlan, "m_cCommonSNMPTableVlan");
    AddSession(m_cCommonSNMPTableVlanDelete, "m_cCommonSNMPTableVlanDelete");

    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pAsymmetric = SetControlId(new QCheckBox(QStringLiteral("Enable Asymmetric VLAN"), this), IDC_ASYMMETRIC);
    auto* pApply = AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); });
    auto* pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pAdd = AddButton(IDC_ADD, QStringLiteral("Add"), [this] { OnAdd(); });
    auto* pEdit = AddButton(IDC_EDIT, QStringLiteral("Edit"), [this] { OnEdit(); });
    auto* pDelete = AddButton(IDC_DELETE, QStringLiteral("Delete"), [this] { OnDelete(); });
    auto* pPvid = AddButton(IDC_PVID, QStringLiteral("PVID"), [this] { OnPvid(); });
    auto* pClose = AddButton(IDC_CLOSE, QStringLiteral("Close"), [this] { accept(); });
    connect(m_pList, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (FindControl<QAbstractButton>(this, IDC_EDIT)->isEnabled())
            OnEdit();
    });

    auto* pLayout = new QVBoxLayout(this);
    auto* pTop = new QHBoxLayout;
    pTop->addWidget(m_pAsymmetric);
    pTop->addWidget(pApply);
    pTop->addStretch();
    pLayout->addLayout(pTop);
    pLayout->addWidget(m_pList);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    for (QWidget* p : {pRefresh, pAdd, pEdit, pDelete, pPvid, pClose})
        pBottom->addWidget(p);
    pLayout->addLayout(pBottom);
    resize(790, 400);

    // Voice and surveillance VLAN state and ids: one GET.
    m_walkVoice.SetAcceptCount(4);
    m_walkVoice.SetRowSink([this](const QStringList& cells) {
        m_nVoiceVlanState = cells.value(0) == QLatin1String("1") ? 1 : 2;
        m_nVoiceVlanId = cells.value(1).toInt();
        m_nSurveillanceVlanState = cells.value(2) == QLatin1String("1") ? 1 : 2;
        m_nSurveillanceVlanId = cells.value(3).toInt();
    });
    // PVIDs in the order the walk returns them, at most one per port.
    m_walkPvid.SetAcceptCount(1);
    m_walkPvid.SetRowSink([this](const QStringList& cells) {
        if (m_nPvidNext < m_pvids.size())
            m_pvids[m_nPvidNext++] = cells.value(0).toInt();
    });
    // The VLAN table: name, egress, untagged and row state; only active rows are listed.
    m_walkVlan.SetAcceptCount(4);
    const int nPortNum = m_nPortNum;
    m_walkVlan.SetRenderer([nPortNum](const CWalkReply& reply, QStringList& cells) {
        if (reply.Value(3) != QLatin1String(oid::kRowActive))
            return false;
        QString strEgress, strUntagged;
        const int nEgress = PortListFromBitmap(reply.Bytes(1), nPortNum, strEgress);
        const int nUntagged = PortListFromBitmap(reply.Bytes(2), nPortNum, strUntagged);
        cells << oid::RowIndex(reply.Suffix(0)) << CUtf8Text::FromDevice(reply.Bytes(0)) << QString::number(nEgress)
              << strEgress << strUntagged << QString::number(nUntagged);
        return true;
    });
    m_walkVlan.SetRowSink([this](const QStringList& cells) { OnVlanRow(cells); });
    m_walkVlan.SetEndSink([this](int) { OnVlanEnd(); });
}

bool CVlanConfigDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    m_pList->InsertColumn(0, QStringLiteral("VLAN ID"), 80);
    m_pList->InsertColumn(1, QStringLiteral("VLAN Name"), 120);
    m_pList->InsertColumn(2, QStringLiteral("No.of Ports"), 100);
    m_pList->InsertColumn(3, QStringLiteral("Egress Port Member"), 220);
    m_pList->InsertColumn(4, QStringLiteral("Untag Port Member"), 220);
    m_pList->headerItem()->setTextAlignment(1, Qt::AlignCenter);
    setWindowTitle(QStringLiteral("802.1Q VLAN Configuration"));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    m_pvids.assign(static_cast<std::size_t>(m_nPortNum), 0);
    m_pAsymmetric->setChecked(false);
    OnRefresh();
    return true;
}

bool CVlanConfigDlg::IsRefreshing() const
{
    return m_walkVoice.IsRunning() || m_walkPvid.IsRunning() || m_walkVlan.IsRunning();
}

void CVlanConfigDlg::EnableButtons(bool bEnable)
{
    for (int nId : {IDC_APPLY, IDC_REFRESH, IDC_CLOSE})
        FindControl<QWidget>(this, nId)->setEnabled(bEnable);
    // Without write access Add, Edit, Delete and PVID stay off for the life of the page.
    for (int nId : {IDC_ADD, IDC_EDIT, IDC_DELETE})
        FindControl<QWidget>(this, nId)->setEnabled(bEnable && g_bWriteAccess);
    FindControl<QWidget>(this, IDC_PVID)->setEnabled(g_bWriteAccess);
}

void CVlanConfigDlg::ReadAsymmetricMode()
{
    if (!m_cCommonSNMP.Open(kSnmpPduGet))
        return;
    m_cCommonSNMP.AddOid(oid::kAsymmetricVlan, kSnmpTypeNull, nullptr);
    std::unique_ptr<CSnmp> pReply;
    if (m_cCommonSNMP.GetNextSync(pReply, 0) != 0 || !pReply || pReply->getValuesCount() < 1)
        return;
    int nType = 0;
    QString strValue;
    if (pReply->getValue(0, nType, strValue) == 0)
        m_pAsymmetric->setChecked(strValue == QLatin1String("1"));
}

void CVlanConfigDlg::OnRefresh()
{
    m_walkVoice.Start({oid::kVoiceVlanState, oid::kVoiceVlanId, oid::kSurveillanceVlanState, oid::kSurveillanceVlanId},
                      kSnmpPduGet);
    m_vlans.clear();
    ReadAsymmetricMode();
    m_nPvidNext = 0;
    m_walkPvid.Start({oid::kVlanPvid});
    m_pList->DeleteAllItems();
    EnableButtons(false);
    m_walkVlan.Start({oid::kVlanStaticName, oid::kVlanStaticEgressPorts, oid::kVlanStaticUntaggedPorts,
                      oid::kVlanStaticRowState});
}

void CVlanConfigDlg::OnVlanRow(const QStringList& cells)
{
    VlanEntry entry;
    entry.vid = cells.value(0).toInt();
    entry.name = cells.value(1);
    entry.egressCount = cells.value(2).toInt();
    entry.egressList = cells.value(3);
    entry.untaggedList = cells.value(4);
    entry.untaggedCount = cells.value(5).toInt();
    m_vlans.push_back(entry);
    const int nRow = m_pList->InsertItem(m_pList->GetItemCount(), cells.value(0));
    for (int c = 1; c <= 4; ++c)
        m_pList->SetItemText(nRow, c, cells.value(c));
    m_pList->topLevelItem(nRow)->setTextAlignment(1, Qt::AlignCenter);
    EnableButtons(true);
}

void CVlanConfigDlg::OnVlanEnd()
{
    EnableButtons(true);
}

// The VID of the selected row; strEmpty is shown for an empty list (and with the information icon
// when no row is selected). 0 when there is none.
int CVlanConfigDlg::SelectedVid(const QString& strEmpty, int* pRow)
{
    if (m_pList->GetItemCount() == 0) {
        AppMessageBox(strEmpty, this);
        return 0;
    }
    const int nRow = m_pList->GetSelectedRow();
    if (nRow < 0) {
        AppMessageBox(strEmpty, this, MsgIcon::Information);
        return 0;
    }
    *pRow = nRow;
    return -1;
}

void CVlanConfigDlg::OnAdd()
{
    if (m_pList->GetItemCount() >= kMaxVlans) {
        AppMessageBox(QStringLiteral(" Number of VLAN group is over limit"), this);
        return;
    }
    CVlanEditDlg page(true, m_nPortNum, m_vlans, m_pAsymmetric->isChecked() ? 1 : 2);
    if (RunSubPage(page) == QDialog::Accepted)
        OnRefresh();
}

void CVlanConfigDlg::OnEdit()
{
    int nRow = -1;
    if (SelectedVid(QStringLiteral("Please select the VLAN !"), &nRow) == 0)
        return;
    const int nVid = VidFromText(m_pList->GetItemText(nRow, 0).left(50));
    if (nVid <= 0) {
        AppMessageBox(QStringLiteral("Invalid VLAN ID!"), this);
        return;
    }
    CVlanEditDlg page(false, m_nPortNum, m_vlans, m_pAsymmetric->isChecked() ? 1 : 2, nVid);
    if (RunSubPage(page) == QDialog::Accepted)
        OnRefresh();
}

void CVlanConfigDlg::OnDelete()
{
    int nRow = -1;
    if (SelectedVid(QStringLiteral("Please select the VLAN want to be deleted!"), &nRow) == 0)
        return;
    const QString strVid = m_pList->GetItemText(nRow, 0);
    if (strVid == QLatin1String("1")) {
        AppMessageBox(QStringLiteral("Can't delete the VLAN!"), this);
        return;
    }
    const int nVid = VidFromText(strVid);
    if (nVid <= 0)
        return;
    if (m_pAsymmetric->isChecked() && std::find(m_pvids.begin(), m_pvids.end(), nVid) != m_pvids.end()) {
        AppMessageBox(QStringLiteral("The VID is one of The PVID, so it cannot be deleted."), this);
        return;
    }
    if (m_nVoiceVlanState == 1 && nVid == m_nVoiceVlanId) {
        AppMessageBox(QStringLiteral("The Vlan ID is Voice vlan ID."), this);
        return;
    }
    if (m_nSurveillanceVlanState == 1 && nVid == m_nSurveillanceVlanId) {
        AppMessageBox(QStringLiteral("The Vlan ID is Surveillance VLAN  ID."), this);
        return;
    }
    if (!AppQuestionBox(QStringLiteral("The VLAN %1 settings in IGMP Snooping and MAC Address Table maybe be affected,continue?")
                            .arg(strVid),
                        this))
        return;
    if (!m_cCommonSNMPTableVlanDelete.Open(kSnmpPduSet))
        return;
    m_cCommonSNMPTableVlanDelete.AddOid(oid::kVlanStaticRowState + QLatin1Char('.') + QString::number(nVid),
                                        kSnmpTypeInteger, oid::kRowDestroy);
    std::unique_ptr<CSnmp> pReply;
    if (m_cCommonSNMPTableVlanDelete.GetNextSync(pReply, 0) == 0) {
        pReply.reset();
        OnRefresh();
    }
}

void CVlanConfigDlg::OnApply()
{
    if (m_nVoiceVlanState == 1) {
        AppMessageBox(QStringLiteral("Voice Vlan is enable,the vlan mode can't change to Asymmetric mode!\n"
                                     "If you could disable it, please set it through the web!"),
                      this);
        ReadAsymmetricMode();
        return;
    }
    if (m_nSurveillanceVlanState == 1) {
        AppMessageBox(QStringLiteral("Auto Surveillance VLAN is enable,the vlan mode can't change to Asymmetric mode!"), this);
        ReadAsymmetricMode();
        return;
    }
    if (!AppQuestionBox(QStringLiteral("The setting of VLAN, IGMP Snooping, Management VLAN and MAC Address Table will be \n"
                                       " reset to default."),
                        this))
        return;
    if (!m_cCommonSNMP.Open(kSnmpPduSet))
        return;
    m_cCommonSNMP.AddOid(oid::kAsymmetricVlan, kSnmpTypeInteger, m_pAsymmetric->isChecked() ? "1" : "2");
    std::unique_ptr<CSnmp> pReply;
    if (m_cCommonSNMP.GetNextSync(pReply, 0) == 0) {
        pReply.reset();
        QThread::msleep(50);
        OnRefresh();
    }
}

void CVlanConfigDlg::OnPvid()
{
    QStringList vids;
    for (int r = 0; r < m_pList->GetItemCount(); ++r)
        vids << m_pList->GetItemText(r, 0);
    {
        CPvidConfigDlg page(m_nPortNum, m_vlans, vids.join(QLatin1Char(',')));
        RunSubPage(page);
    }
    OnRefresh();
}
