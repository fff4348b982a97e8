#include "pages/traffic/DhcpScreeningDlg.h"

#include "core/Settings.h"
#include "pages/common/Controls.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/common/PortList.h"
#include "pages/common/Responsive.h"
#include "pages/traffic/TrafficOids.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

CDhcpScreeningDlg::CDhcpScreeningDlg(QWidget* parent)
    : CPageDlg(IDD, parent), m_nPortNum(std::max(g_nDevicePortNum, 0)), m_enabled(static_cast<std::size_t>(m_nPortNum), 0)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPSet, "m_cCommonSNMPSet");
    AddSession(m_cCommonSNMPTable, "m_cCommonSNMPTable");
    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pFromPort = SetControlId(new QComboBox(this), IDC_FROM_PORT);
    m_pToPort = SetControlId(new QComboBox(this), IDC_TO_PORT);
    m_pState = SetControlId(new QComboBox(this), IDC_STATE);
    for (int p = 1; p <= m_nPortNum; ++p) {
        m_pFromPort->addItem(QString::number(p));
        m_pToPort->addItem(QString::number(p));
    }
    m_pState->addItems({QStringLiteral("Disabled"), QStringLiteral("Enabled")});
    auto* pApply = AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); });
    auto* pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });
    connect(m_pFromPort, &QComboBox::activated, this, [this](int nIndex) { m_pToPort->setCurrentIndex(nIndex); });
    connect(m_pToPort, &QComboBox::activated, this, [this](int nIndex) { OnToPortChanged(nIndex); });

    auto* pLayout = new QVBoxLayout(this);
    auto* pSettings = new QHBoxLayout;
    const auto add = [&](const char* pszLabel, QWidget* pControl) {
        pSettings->addWidget(new QLabel(QString::fromLatin1(pszLabel), this));
        pSettings->addWidget(pControl);
        pSettings->addSpacing(12);
    };
    add("From Port", m_pFromPort);
    add("To Port", m_pToPort);
    add("State", m_pState);
    pSettings->addStretch();
    pSettings->addWidget(pApply);
    pLayout->addLayout(pSettings);
    pLayout->addWidget(m_pList);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    pBottom->addWidget(pRefresh);
    pBottom->addWidget(pClose);
    pLayout->addLayout(pBottom);
    resize(560, 420);
}

bool CDhcpScreeningDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("DHCP Server Screening Port Settings"));
    for (const auto& [nCol, pszHeading, nWidth] : {std::tuple{0, "Port", 100}, {1, "State", 400}}) {
        m_pList->InsertColumn(nCol, QString::fromLatin1(pszHeading), nWidth);
        m_pList->headerItem()->setTextAlignment(nCol, Qt::AlignCenter);
    }
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    m_pFromPort->setCurrentIndex(0);
    m_pToPort->setCurrentIndex(m_pToPort->count() - 1);
    m_pState->setCurrentIndex(0);
    OnRefresh();
    // The trunks come while the page runs; Apply checks against what has arrived.
    m_trunks.Start(m_nPortNum);
    return true;
}

void CDhcpScreeningDlg::OnRefresh()
{
    std::fill(m_enabled.begin(), m_enabled.end(), 0);
    if (m_cCommonSNMP.Open(kSnmpPduGet)) {
        m_cCommonSNMP.AddOid(oid::kDhcpScreeningPorts, kSnmpTypeNull, nullptr);
        std::unique_ptr<CSnmp> pReply;
        if (RunWhileResponsive(this, [&] { return m_cCommonSNMP.Send(pReply, 0); }) == 0 && pReply &&
            pReply->getValuesCount() >= 1) {
            QByteArray bitmap;
            pReply->getValue(0, bitmap);
            for (int p : PortsFromBitmap(bitmap, m_nPortNum))
                m_enabled[static_cast<std::size_t>(p - 1)] = 1;
        }
    }
    ShowPorts();
}

void CDhcpScreeningDlg::ShowPorts()
{
    m_pList->DeleteAllItems();
    for (int p = 1; p <= m_nPortNum; ++p) {
        const int nRow = m_pList->InsertItem(p - 1, QString::number(p));
        m_pList->SetItemText(nRow, 1, m_enabled[static_cast<std::size_t>(p - 1)] ? QStringLiteral("Enabled")
                                                                                  : QStringLiteral("Disabled"));
        for (int c = 0; c < 2; ++c)
            m_pList->topLevelItem(nRow)->setTextAlignment(c, Qt::AlignCenter);
    }
}

void CDhcpScreeningDlg::OnToPortChanged(int nIndex)
{
    if (nIndex < m_pFromPort->currentIndex()) {
        AppMessageBox(QStringLiteral("'To Port' can not be smaller than 'From Port'"), this);
        m_pToPort->setCurrentIndex(m_pFromPort->currentIndex());
    }
}

void CDhcpScreeningDlg::OnApply()
{
    const int nFrom = m_pFromPort->currentText().toInt();
    const int nTo = m_pToPort->currentText().toInt();
    std::vector<int> flags = m_enabled;
    for (int p = std::max(nFrom, 1); p <= std::min(nTo, m_nPortNum); ++p)
        flags[static_cast<std::size_t>(p - 1)] = m_pState->currentIndex() == 1 ? 1 : 0;
    // The members of a trunk are all screened or none is.
    if (!m_trunks.KeepsTrunksWhole(flags)) {
        AppMessageBox(QStringLiteral("Cannot add ports with different DHCP Server Screening Port Settings to an aggregated link."),
                      this);
        return;
    }
    if (!m_cCommonSNMPSet.Open(kSnmpPduSet))
        return;
    m_cCommonSNMPSet.AddOidValue(oid::kDhcpScreeningPorts, kSnmpTypeOctetString, PortBitmapFromFlags(flags, m_nPortNum));
    std::unique_ptr<CSnmp> pReply;
    if (RunWhileResponsive(this, [&] { return m_cCommonSNMPSet.Send(pReply, 0); }) == 0)
        OnRefresh();
}
