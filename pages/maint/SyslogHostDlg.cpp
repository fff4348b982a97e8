#include "pages/maint/SyslogHostDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/IpAddressCtrl.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/maint/MaintOids.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <QVBoxLayout>

namespace {

// Read in this order; the reply is applied binding by binding.
const QStringList kObjects = {oid::kSyslogServer, oid::kSyslogPort, oid::kSyslogFacility, oid::kSyslogSeverity,
                              oid::kSyslogState};
constexpr int kPauseMs = 30;

} // namespace

CSyslogHostDlg::CSyslogHostDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPSet, "m_cCommonSNMPSet");

    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pServer = SetControlId(new CIpAddressCtrl(this), IDC_SERVER);
    m_pPort = SetControlId(new QLineEdit(this), IDC_PORT);
    m_pFacility = SetControlId(new QComboBox(this), IDC_FACILITY);
    for (int i = 0; i < 8; ++i)
        m_pFacility->addItem(QStringLiteral("local") + QString::number(i));
    m_pSeverity = SetControlId(new QComboBox(this), IDC_SEVERITY);
    m_pSeverity->addItems({QStringLiteral("warning"), QStringLiteral("info"), QStringLiteral("all")});
    m_pEnable = SetControlId(new QCheckBox(QStringLiteral("SysLogEnable"), this), IDC_ENABLE);
    auto* pApplyState = AddButton(IDC_APPLY_STATE, QStringLiteral("Apply"), [this] { OnApplyState(); });
    auto* pApply = AddButton(IDC_APPLY, QStringLiteral("&Apply"), [this] { OnApply(); });
    auto* pRefresh = AddButton(IDC_REFRESH, QStringLiteral("&Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("&Close"), [this] { reject(); });
    connect(m_pEnable, &QCheckBox::clicked, this, [this] { EnableServer(m_pEnable->isChecked()); });
    connect(m_pPort, &QLineEdit::textChanged, this, [this] { OnPortChanged(); });

    auto* pLayout = new QVBoxLayout(this);
    auto* pState = new QHBoxLayout;
    pState->addWidget(m_pEnable);
    pState->addStretch();
    pState->addWidget(pApplyState);
    pLayout->addLayout(pState);
    auto* pGrid = new QGridLayout;
    pGrid->addWidget(new QLabel(QStringLiteral("Server IP:"), this), 0, 0);
    pGrid->addWidget(m_pServer, 0, 1);
    pGrid->addWidget(new QLabel(QStringLiteral("UDP Port:"), this), 0, 2);
    pGrid->addWidget(m_pPort, 0, 3);
    pGrid->addWidget(new QLabel(QStringLiteral("Facility:"), this), 1, 0);
    pGrid->addWidget(m_pFacility, 1, 1);
    pGrid->addWidget(new QLabel(QStringLiteral("Severity:"), this), 1, 2);
    pGrid->addWidget(m_pSeverity, 1, 3);
    pLayout->addLayout(pGrid);
    pLayout->addWidget(m_pList, 1);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    pBottom->addWidget(pApply);
    pBottom->addWidget(pRefresh);
    pBottom->addWidget(pClose);
    pLayout->addLayout(pBottom);
    resize(470, 300);

    m_walk.SetList(m_pList);
    m_walk.SetRefresh(pRefresh);
    m_walk.SetRowSink([this](const QStringList& cells) { ShowSyslog(cells); });
}

bool CSyslogHostDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Syslog Host Configuration"));
    InsertColumnAuto(*m_pList, 0, QStringLiteral("  Host IP                "));
    InsertColumnAuto(*m_pList, 1, QStringLiteral("  UDP Port "));
    InsertColumnAuto(*m_pList, 2, QStringLiteral("  Facility    "));
    InsertColumnAuto(*m_pList, 3, QStringLiteral("  Severity    "));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    EnableServer(false);
    m_pPort->setText(QStringLiteral("514"));
    OnRefresh();
    return true;
}

void CSyslogHostDlg::OnRefresh()
{
    m_walk.Start(kObjects, kSnmpPduGet);  // clears the list; the reply fills the fields
}

int CSyslogHostDlg::FacilityIndex(const QString& strValue)
{
    bool ok = false;
    const int n = strValue.toInt(&ok);
    return ok && n >= 128 && n <= 184 && n % 8 == 0 ? (n - 128) / 8 : 0;
}

int CSyslogHostDlg::SeverityIndex(const QString& strValue)
{
    if (strValue == QLatin1String("4"))
        return 0;
    if (strValue == QLatin1String("6"))
        return 1;
    if (strValue == QLatin1String("7"))
        return 2;
    return -1;
}

int CSyslogHostDlg::SeverityValue(int nIndex)
{
    static const int kValues[] = {4, 6, 7};
    return nIndex >= 0 && nIndex < 3 ? kValues[nIndex] : 6;
}

void CSyslogHostDlg::ShowSyslog(const QStringList& cells)
{
    for (int i = 0; i < cells.size(); ++i) {
        const QString& v = cells[i];
        switch (i) {
        case 0: m_pServer->SetAddress(v); break;
        case 1: m_pPort->setText(v); break;
        case 2: m_pFacility->setCurrentIndex(FacilityIndex(v)); break;
        case 3:
            if (const int n = SeverityIndex(v); n >= 0)
                m_pSeverity->setCurrentIndex(n);
            break;
        case 4:
            m_pEnable->setChecked(v == QLatin1String("1"));
            EnableServer(m_pEnable->isChecked());
            break;
        default: break;
        }
    }
}

void CSyslogHostDlg::EnableServer(bool bEnable)
{
    for (QWidget* p : {static_cast<QWidget*>(m_pServer), static_cast<QWidget*>(m_pPort),
                       static_cast<QWidget*>(m_pFacility), static_cast<QWidget*>(m_pSeverity)})
        p->setEnabled(bEnable);
}

void CSyslogHostDlg::OnPortChanged()
{
    const QString strText = m_pPort->text();
    if (strText.size() <= kMaxPortText)
        return;
    const int nCaret = std::min(m_pPort->cursorPosition(), int(kMaxPortText));
    m_pPort->setText(strText.left(kMaxPortText));
    m_pPort->setCursorPosition(nCaret);
}

void CSyslogHostDlg::OnApplyState()
{
    if (!m_cCommonSNMPSet.Open(kSnmpPduSet))
        return;
    m_cCommonSNMPSet.AddOid(oid::kSyslogState, kSnmpTypeInteger, m_pEnable->isChecked() ? "1" : "2");
    std::unique_ptr<CSnmp> pReply;
    m_cCommonSNMPSet.GetNextSync(pReply, 0);  // silent either way: the Refresh shows what the switch holds
}

void CSyslogHostDlg::OnApply()
{
    if (m_pEnable->isChecked()) {
        if (m_pSeverity->currentText().isEmpty() || m_pFacility->currentText().isEmpty() ||
            m_pServer->FilledFields() == 0)
            return;
        if (!m_cCommonSNMPSet.Open(kSnmpPduSet))
            return;
        const int nFirst = m_pServer->Field(0).toInt();
        const int nLast = m_pServer->Field(3).toInt();
        if (nFirst == 0 || nFirst == 255 || nLast == 0 || nLast == 255) {
            AppMessageBox(QStringLiteral("Syslog Server IP Error."), this);
            return;
        }
        m_cCommonSNMPSet.AddOid(oid::kSyslogServer, kSnmpTypeIpAddress, m_pServer->Address());
        bool ok = false;
        const int nPort = m_pPort->text().toInt(&ok);
        if (!ok || nPort < 1 || nPort > 65535) {
            AppMessageBox(QStringLiteral("Invalid UDP port range (1-65535)"), this);
            return;
        }
        m_cCommonSNMPSet.AddOid(oid::kSyslogPort, kSnmpTypeInteger, QString::number(nPort));
        m_cCommonSNMPSet.AddOid(oid::kSyslogSeverity, kSnmpTypeInteger,
                                QString::number(SeverityValue(m_pSeverity->currentIndex())));
        m_cCommonSNMPSet.AddOid(oid::kSyslogFacility, kSnmpTypeInteger,
                                QString::number(FacilityValue(m_pFacility->currentIndex())));
        std::unique_ptr<CSnmp> pReply;
        m_cCommonSNMPSet.GetNextSync(pReply, 0);
    }
    QThread::msleep(kPauseMs);  // the switch takes the server before the state
    OnApplyState();
    OnRefresh();
}
