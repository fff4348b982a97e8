#include "pages/lldp/LldpRemoteDlg.h"

#include "core/Settings.h"
#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/common/PortList.h"
#include "pages/common/Responsive.h"
#include "pages/lldp/LldpOids.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <vector>

namespace {

constexpr int kFixedWidth = 150;

QString Entity(int n)
{
    return QStringLiteral("  %1").arg(n);
}

} // namespace

CLldpRemoteDlg::CLldpRemoteDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMPEnabled, "m_cCommonSNMPEnabled");
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");

    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pCount = SetControlId(new QLineEdit(this), IDC_COUNT);
    m_pCount->setReadOnly(true);
    m_pCount->setMaximumWidth(60);
    // The template's search box and Find button have no function.
    auto* pFindCombo = SetControlId(new QComboBox(this), IDC_FIND_COMBO);
    auto* pFind = AddButton(IDC_FIND, QStringLiteral("Find"), [] {});
    m_pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });

    auto* pLayout = new QVBoxLayout(this);
    auto* pTop = new QHBoxLayout;
    pTop->addWidget(pFindCombo);
    pTop->addWidget(pFind);
    pTop->addStretch();
    pLayout->addLayout(pTop);
    pLayout->addWidget(m_pList);
    auto* pBottom = new QHBoxLayout;
    pBottom->addWidget(new QLabel(QStringLiteral("Entity:"), this));
    pBottom->addWidget(m_pCount);
    pBottom->addStretch();
    pBottom->addWidget(m_pRefresh);
    pBottom->addWidget(pClose);
    pLayout->addLayout(pBottom);
    resize(980, 380);

    m_walk.SetList(m_pList);
    m_walk.SetRefresh(m_pRefresh);
    m_walk.SetAcceptCount(7);
    m_walk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        cells << LocalPortOfSuffix(reply.Suffix(0)) << LldpChassisSubtypeText(reply.Value(0))
              << ByteDump(reply.Bytes(1)) << LldpPortSubtypeText(reply.Value(2));
        for (int i = 3; i <= 6; ++i)
            cells << CUtf8Text::FromDevice(reply.Bytes(i));
        return true;
    });
    m_walk.SetRowSink([this](const QStringList& cells) { AddRow(cells); });
    m_walk.SetEndSink([this](int nError) { OnWalkEnd(nError); });
}

bool CLldpRemoteDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("LLDP Remote Port Information"));
    m_pList->SetExtendedStyle(CListCtrl::kGridLines | CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    // Chassis ID and the three texts are centred and 150 wide, the others as wide as their heading.
    int nCol = 0;
    std::vector<int> centred;
    for (const char* pszHeading : {"Port", "Entity", "Chassis ID Subtype", "Chassis ID", "Port ID Subtype", "Port ID",
                                   "Port Description", "System Name", "System Description"}) {
        const QString heading = QString::fromLatin1(pszHeading);
        if (heading == QLatin1String("Chassis ID") || nCol >= 6) {
            m_pList->InsertColumn(nCol, heading, kFixedWidth);
            centred.push_back(nCol);
        } else {
            InsertColumnAuto(*m_pList, nCol, heading);
        }
        ++nCol;
    }
    for (int c : centred)
        m_pList->headerItem()->setTextAlignment(c, Qt::AlignCenter);
    m_pCount->setText(QStringLiteral("0"));
    OnRefresh();
    return true;
}

QString CLldpRemoteDlg::LocalPortOfSuffix(const QString& strSuffix)
{
    const QStringList parts = strSuffix.split(QLatin1Char('.'));
    return parts.size() >= 2 ? parts.at(parts.size() - 2) : QString();
}

void CLldpRemoteDlg::OnRefresh()
{
    m_pCount->setText(QStringLiteral("0"));
    if (g_strSnmpVersion.trimmed() != QLatin1String("1"))
        return;
    QString strState;
    const int rc = RunWhileResponsive(this, [this, &strState] {
        if (!m_cCommonSNMPEnabled.Open(kSnmpPduGet))
            return -1;
        m_cCommonSNMPEnabled.AddOid(oid::kLldpState, kSnmpTypeNull, nullptr);
        std::unique_ptr<CSnmp> pReply;
        int nType = 0;
        if (m_cCommonSNMPEnabled.GetNextSync(pReply, 0) != 0 || !pReply || pReply->getValuesCount() < 1 ||
            pReply->getValue(0, nType, strState) != 0)
            return -1;
        return 0;
    });
    if (rc != 0) {
        AppMessageBox(QStringLiteral("Get LLDP remote port information unsuccessful!"), this);
        return;
    }
    const bool bEnabled = strState != QLatin1String("2");
    m_pList->setEnabled(bEnabled);
    m_pRefresh->setEnabled(bEnabled);
    m_walk.Start(oid::LldpRemoteColumns());
}

void CLldpRemoteDlg::AddRow(const QStringList& cells)
{
    const int nRow = m_pList->GetItemCount();
    const QString strEntity = Entity(nRow + 1);
    m_pList->InsertItem(nRow, cells.value(0));
    m_pList->SetItemText(nRow, 1, strEntity);
    for (int c = 1; c < cells.size(); ++c)
        m_pList->SetItemText(nRow, c + 1, cells.value(c));
    m_pCount->setText(strEntity);
}

void CLldpRemoteDlg::OnWalkEnd(int nError)
{
    if (m_pList->GetItemCount() == 0 && (nError == 0 || nError == kSnmpEndOfTable)) {
        m_pCount->setText(QStringLiteral("0"));
        AppMessageBox(QStringLiteral("There is no LLDP Remote Port"), this);
    }
}
