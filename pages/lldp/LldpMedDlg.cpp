#include "pages/lldp/LldpMedDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/common/PortSpan.h"
#include "pages/common/Responsive.h"
#include "pages/lldp/LldpOids.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QThread>
#include <QVBoxLayout>

namespace {

constexpr int kEnableIndex = 0, kDisableIndex = 1;

QComboBox* PortCombo(QWidget* pParent, int nId)
{
    auto* pCombo = SetControlId(new QComboBox(pParent), nId);
    for (int n = 1; n <= CLldpMedDlg::kPorts; ++n)
        pCombo->addItem(QStringLiteral("   %1 ").arg(n));
    return pCombo;
}

} // namespace

CLldpMedDlg::CLldpMedDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMPEnable, "m_cCommonSNMPEnable");
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPSet, "m_cCommonSNMPSet");

    m_pFromPort = PortCombo(this, IDC_FROM_PORT);
    m_pToPort = PortCombo(this, IDC_TO_PORT);
    m_pTlv = SetControlId(new QComboBox(this), IDC_TLV);
    m_pTlv->addItems({QStringLiteral("Enable"), QStringLiteral("Disable")});
    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pApply = AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); });
    m_pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });
    connect(m_pFromPort, &QComboBox::activated, this, [this](int nIndex) { m_pToPort->setCurrentIndex(nIndex); });
    connect(m_pToPort, &QComboBox::activated, this, [this] { KeepPortSpanOrder(*m_pFromPort, *m_pToPort, this); });

    auto* pLayout = new QVBoxLayout(this);
    auto* pSpan = new QHBoxLayout;
    for (const auto& [pszLabel, pControl] : {std::pair<const char*, QWidget*>{"From Port", m_pFromPort},
                                             {"To Port", m_pToPort},
                                             {"Power PSE TLV", m_pTlv}}) {
        pSpan->addWidget(new QLabel(QString::fromLatin1(pszLabel), this));
        pSpan->addWidget(pControl);
        pSpan->addSpacing(12);
    }
    pSpan->addStretch();
    pSpan->addWidget(m_pApply);
    pLayout->addLayout(pSpan);
    pLayout->addWidget(m_pList);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    pBottom->addWidget(m_pRefresh);
    pBottom->addWidget(pClose);
    pLayout->addLayout(pBottom);
    resize(460, 380);

    m_walk.SetList(m_pList);
    m_walk.SetAcceptCount(1);
    m_walk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        cells << (reply.Value(0) == QLatin1String("2") ? QStringLiteral("Disable") : QStringLiteral("Enable"));
        return true;
    });
    // Rows are numbered from 1 in the order the switch lists its ports.
    m_walk.SetRowSink([this](const QStringList& cells) {
        const int nRow = m_pList->GetItemCount();
        m_pList->InsertItem(nRow, QStringLiteral("    %1").arg(nRow + 1));
        m_pList->SetItemText(nRow, 1, cells.value(0));
        for (int c = 0; c < 2; ++c)
            m_pList->topLevelItem(nRow)->setTextAlignment(c, Qt::AlignCenter);
        m_pRefresh->setEnabled(false);
    });
    // While the agent is disabled the page's controls stay off.
    m_walk.SetEndSink([this](int) { m_pRefresh->setEnabled(!m_bLldpDisabled); });
}

bool CLldpMedDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("LLDP MED Settings"));
    m_pFromPort->setCurrentIndex(0);
    m_pToPort->setCurrentIndex(0);
    m_pTlv->setCurrentIndex(kDisableIndex);
    m_pList->InsertColumn(0, QStringLiteral("   Port "), 80);
    m_pList->InsertColumn(1, QStringLiteral("Power PSE TLV"), 300);
    for (int c = 0; c < 2; ++c)
        m_pList->headerItem()->setTextAlignment(c, Qt::AlignCenter);
    m_pList->SetExtendedStyle(CListCtrl::kGridLines | CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    OnRefresh();
    return true;
}

void CLldpMedDlg::EnableSettings(bool bEnable)
{
    for (QWidget* p : std::initializer_list<QWidget*>{m_pFromPort, m_pToPort, m_pTlv, m_pList, m_pApply, m_pRefresh})
        p->setEnabled(bEnable);
}

void CLldpMedDlg::OnRefresh()
{
    QString strState;
    const int rc = RunWhileResponsive(this, [this, &strState] {
        if (!m_cCommonSNMPEnable.Open(kSnmpPduGet))
            return -1;
        m_cCommonSNMPEnable.AddOid(oid::kLldpState, kSnmpTypeNull, nullptr);
        std::unique_ptr<CSnmp> pReply;
        int nType = 0;
        if (m_cCommonSNMPEnable.GetNextSync(pReply, 0) != 0 || !pReply || pReply->getValuesCount() < 1 ||
            pReply->getValue(0, nType, strState) != 0)
            return -1;
        return 0;
    });
    m_bLldpDisabled = rc == 0 && strState == QLatin1String("2");
    if (m_bLldpDisabled)
        AppMessageBox(QStringLiteral("The LLDP is disable ,so can not set LLDP MED !"), this);
    EnableSettings(!m_bLldpDisabled);
    m_walk.Start({oid::kLldpPseColumn});
}

void CLldpMedDlg::OnApply()
{
    CWaitCursor wait;
    const int nFrom = m_pFromPort->currentText().trimmed().toInt();
    const int nTo = m_pToPort->currentText().trimmed().toInt();
    const char* pszValue = m_pTlv->currentIndex() == kEnableIndex ? "1" : "2";
    RunWhileResponsive(this, [&] {
        for (int nPort = nFrom; nPort <= nTo; ++nPort) {
            if (!m_cCommonSNMPSet.Open(kSnmpPduSet))
                return -1;
            m_cCommonSNMPSet.AddOid(oid::LldpPseCell(nPort), kSnmpTypeInteger, pszValue);
            std::unique_ptr<CSnmp> pReply;
            m_cCommonSNMPSet.GetNextSync(pReply, 0);
        }
        QThread::msleep(kAfterWriteMs);
        return 0;
    });
    OnRefresh();
}
