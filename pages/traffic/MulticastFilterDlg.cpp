#include "pages/traffic/MulticastFilterDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/Responsive.h"
#include "pages/common/SwitchOids.h"
#include "pages/traffic/TrafficOids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const QString kForward = QStringLiteral("Forward Unregistered Groups");
const QString kFilter = QStringLiteral("Filtering Unregistered Groups");

} // namespace

CMulticastFilterDlg::CMulticastFilterDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPTable, "m_cCommonSNMPTable");
    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pMode = SetControlId(new QComboBox(this), IDC_MODE);
    m_pVlan = SetControlId(new QComboBox(this), IDC_VLAN);
    m_pAll = SetControlId(new QCheckBox(QStringLiteral("All"), this), IDC_ALL);
    m_pApply = AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); });
    m_pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });
    connect(m_pAll, &QCheckBox::toggled, this, [this](bool bAll) { m_pVlan->setEnabled(!bAll); });

    auto* pLayout = new QVBoxLayout(this);
    auto* pSettings = new QHBoxLayout;
    pSettings->addWidget(new QLabel(QStringLiteral("VLAN ID"), this));
    pSettings->addWidget(m_pVlan);
    pSettings->addWidget(m_pAll);
    pSettings->addSpacing(12);
    pSettings->addWidget(new QLabel(QStringLiteral("Multicast Filtering Mode"), this));
    pSettings->addWidget(m_pMode);
    pSettings->addStretch();
    pSettings->addWidget(m_pApply);
    pLayout->addLayout(pSettings);
    pLayout->addWidget(m_pList);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    pBottom->addWidget(m_pRefresh);
    pBottom->addWidget(pClose);
    pLayout->addLayout(pBottom);
    resize(620, 380);

    m_walk.SetAcceptCount(3);
    m_walk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        cells << reply.Value(0) << CUtf8Text::FromDevice(reply.Bytes(1)) << ModeText(reply.Value(2));
        return true;
    });
    m_walk.SetRowSink([this](const QStringList& cells) { AddRow(cells); });
    m_walk.SetEndSink([this](int) { OnWalkEnd(); });
}

bool CMulticastFilterDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Multicast Filtering Mode Configuration"));
    int nCol = 0;
    for (const auto& [pszHeading, nWidth] : {std::pair{"VLAN ID", 100}, {"VLAN Name", 150}, {"Multicast Filtering Mode", 320}}) {
        m_pList->InsertColumn(nCol, QString::fromLatin1(pszHeading), nWidth);
        m_pList->headerItem()->setTextAlignment(nCol++, Qt::AlignCenter);
    }
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars | CListCtrl::kGridLines);
    m_pMode->addItems({kForward, kFilter});
    m_pMode->setCurrentIndex(0);
    OnRefresh();
    return true;
}

QString CMulticastFilterDlg::ModeText(const QString& strMode)
{
    return strMode == QLatin1String("0") ? kForward : kFilter;
}

void CMulticastFilterDlg::OnRefresh()
{
    m_pList->DeleteAllItems();
    m_pVlan->clear();
    m_pApply->setEnabled(false);
    m_pRefresh->setEnabled(false);
    m_walk.Start({oid::kMulticastFilterVlan, oid::kVlanStaticName, oid::kMulticastFilterMode});
}

void CMulticastFilterDlg::AddRow(const QStringList& cells)
{
    const int nRow = m_pList->InsertItem(m_pList->GetItemCount(), cells.value(0));
    m_pList->SetItemText(nRow, 1, cells.value(1));
    m_pList->SetItemText(nRow, 2, cells.value(2));
    for (int c = 0; c < 3; ++c)
        m_pList->topLevelItem(nRow)->setTextAlignment(c, Qt::AlignCenter);
    m_pVlan->addItem(cells.value(0));
    if (m_pVlan->count() == 1)
        m_pVlan->setCurrentIndex(0);
}

void CMulticastFilterDlg::OnWalkEnd()
{
    m_pApply->setEnabled(true);
    m_pRefresh->setEnabled(true);
}

void CMulticastFilterDlg::OnApply()
{
    QStringList vlans;
    if (m_pAll->isChecked()) {
        for (int r = 0; r < m_pList->GetItemCount(); ++r)
            vlans << m_pList->GetItemText(r, 0);
    } else if (m_pVlan->currentIndex() >= 0) {
        vlans << m_pVlan->currentText();
    }
    if (vlans.isEmpty() || !m_cCommonSNMP.Open(kSnmpPduSet))
        return;
    // Every VLAN of the request in one SET.
    const char* pszMode = m_pMode->currentIndex() == 0 ? "0" : "1";
    for (const QString& strVid : vlans)
        m_cCommonSNMP.AddOid(oid::kMulticastFilterMode + QLatin1Char('.') + strVid, kSnmpTypeInteger, pszMode);
    std::unique_ptr<CSnmp> pReply;
    if (RunWhileResponsive(this, [&] { return m_cCommonSNMP.GetNextSync(pReply, 0); }) != 0)
        return;
    pReply.reset();
    OnRefresh();
}
