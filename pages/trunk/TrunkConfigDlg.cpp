#include "pages/trunk/TrunkConfigDlg.h"

#include "core/Settings.h"
#include "pages/common/Controls.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/common/PortList.h"
#include "pages/common/SwitchOids.h"
#include "pages/trunk/TrunkMemberDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <QVBoxLayout>

CTrunkConfigDlg::CTrunkConfigDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPSet, "m_cCommonSNMPSet");

    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pTrunkId = SetControlId(new QLineEdit(this), IDC_TRUNK_ID);
    m_pMode = SetControlId(new QComboBox(this), IDC_MODE);
    m_pMode->addItems({QStringLiteral("LACP"), QStringLiteral("Static"), QStringLiteral("Disable")});
    m_pEnable = SetControlId(new QCheckBox(QStringLiteral("Enable Trunk"), this), IDC_ENABLE);
    auto* pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pApplyMode = AddButton(IDC_APPLY_MODE, QStringLiteral("Apply"), [this] { OnApplyMode(); });
    auto* pMember = AddButton(IDC_PORT_MEMBER, QStringLiteral("PortMember"), [this] { OnPortMember(); });
    auto* pApplyState = AddButton(IDC_APPLY_STATE, QStringLiteral("Apply"), [this] { OnApplyState(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });
    connect(m_pList, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* pItem) { OnSelectRow(m_pList->indexOfTopLevelItem(pItem)); });

    auto* pLayout = new QVBoxLayout(this);
    auto* pState = new QHBoxLayout;
    pState->addWidget(m_pEnable);
    pState->addStretch();
    pState->addWidget(pApplyState);
    pLayout->addLayout(pState);
    pLayout->addWidget(m_pList);
    auto* pEditRow = new QHBoxLayout;
    pEditRow->addWidget(new QLabel(QStringLiteral("Trunk ID:"), this));
    pEditRow->addWidget(m_pTrunkId);
    pEditRow->addWidget(new QLabel(QStringLiteral("Channel Mode:"), this));
    pEditRow->addWidget(m_pMode);
    pEditRow->addWidget(pApplyMode);
    pEditRow->addWidget(pMember);
    pLayout->addLayout(pEditRow);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    pBottom->addWidget(pRefresh);
    pBottom->addWidget(pClose);
    pLayout->addLayout(pBottom);
    resize(520, 380);

    // Every reply is a row: trunk id, mode, members. The walk ends on the engine's code only.
    m_walk.SetList(m_pList);
    m_walk.SetRefresh(pRefresh);
    m_walk.SetAcceptCount(0);
    const int nPortNum = g_nDevicePortNum;
    m_walk.SetRenderer([nPortNum](const CWalkReply& reply, QStringList& cells) {
        QString strMembers;
        PortListFromBitmap(reply.Bytes(0), nPortNum, strMembers);
        cells << oid::RowIndex(reply.Suffix(0)) << ModeText(reply.Value(1)) << strMembers;
        return true;
    });
}

bool CTrunkConfigDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Trunk Configuration"));
    InsertColumnAuto(*m_pList, 0, Heading("TrunkID", 4));
    InsertColumnAuto(*m_pList, 1, Heading("PortChannelMode", 4));
    InsertColumnAuto(*m_pList, 2, Heading("PortMember", 28));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    FindControl<QWidget>(this, IDC_PORT_MEMBER)->setEnabled(false);
    OnRefresh();
    return true;
}

QString CTrunkConfigDlg::ModeText(const QString& strValue)
{
    if (strValue == QLatin1String("1"))
        return QStringLiteral("LACP");
    if (strValue == QLatin1String("2"))
        return QStringLiteral("Static");
    return QStringLiteral("Disable");
}

void CTrunkConfigDlg::ReadState()
{
    if (!m_cCommonSNMP.Open(kSnmpPduGet))
        return;
    m_cCommonSNMP.AddOid(oid::kLaState, kSnmpTypeNull, nullptr);
    std::unique_ptr<CSnmp> pReply;
    if (m_cCommonSNMP.Send(pReply, 0) != 0 || !pReply || pReply->getValuesCount() < 1)
        return;
    int nType = 0;
    QString strValue;
    pReply->getValue(0, nType, strValue);
    const bool bEnabled = strValue == QLatin1String("1");
    m_pEnable->setChecked(bEnabled);
    FindControl<QWidget>(this, IDC_PORT_MEMBER)->setEnabled(bEnabled);
}

void CTrunkConfigDlg::OnRefresh()
{
    ReadState();
    m_walk.Start({oid::kLaPortChannelMemberList, oid::kLaPortChannelMode});
}

void CTrunkConfigDlg::OnSelectRow(int nRow)
{
    if (nRow < 0 || nRow >= m_pList->GetItemCount())
        return;
    m_pTrunkId->setText(m_pList->GetItemText(nRow, 0));
    const int nItem = m_pMode->findText(m_pList->GetItemText(nRow, 1), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (nItem >= 0)
        m_pMode->setCurrentIndex(nItem);
    m_strMembers = m_pList->GetItemText(nRow, 2);
}

void CTrunkConfigDlg::OnApplyState()
{
    if (!m_cCommonSNMPSet.Open(kSnmpPduSet))
        return;
    m_cCommonSNMPSet.AddOid(oid::kLaState, kSnmpTypeInteger, m_pEnable->isChecked() ? "1" : "2");
    std::unique_ptr<CSnmp> pReply;
    if (m_cCommonSNMPSet.Send(pReply, 0) != 0)
        return;
    pReply.reset();
    QThread::msleep(10);
    OnRefresh();
}

void CTrunkConfigDlg::OnApplyMode()
{
    const QString strId = m_pTrunkId->text();
    if (strId.isEmpty())
        return;
    bool ok = false;
    const int nId = strId.trimmed().toInt(&ok);
    if (!ok || nId < 1 || nId > 8) {
        AppMessageBox(QStringLiteral("Invliad VLAN ID, VLAN ID should be (1-8) !"), this);
        m_pTrunkId->setFocus();
        m_pTrunkId->selectAll();
        return;
    }
    const int nItem = m_pMode->currentIndex();
    if (!m_cCommonSNMPSet.Open(kSnmpPduSet))
        return;
    m_cCommonSNMPSet.AddOid(oid::kLaPortChannelMode + QLatin1Char('.') + QString::number(nId), kSnmpTypeInteger,
                            nItem == 0 ? "1" : nItem == 1 ? "2" : "3");
    std::unique_ptr<CSnmp> pReply;
    if (m_cCommonSNMPSet.Send(pReply, 0) != 0)
        return;
    pReply.reset();
    QThread::msleep(50);
    OnRefresh();
}

void CTrunkConfigDlg::OnPortMember()
{
    if (m_pTrunkId->text().isEmpty()) {
        AppMessageBox(QStringLiteral("Please select the Trunk !"), this);
        return;
    }
    if (m_pMode->currentText() == QLatin1String("Disable")) {
        AppMessageBox(QStringLiteral("Link Aggregation State is disable."), this);
        return;
    }
    CTrunkMemberDlg page(g_nDevicePortNum, m_pTrunkId->text(), m_pMode->currentText(), m_strMembers);
    const int nResult = RunSubPage(page);
    if (nResult == QDialog::Accepted) {
        m_pTrunkId->setText(page.TrunkId());
        m_strMembers = page.MemberList();
        OnRefresh();
    }
}
