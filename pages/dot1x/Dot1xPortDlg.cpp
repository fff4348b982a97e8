#include "pages/dot1x/Dot1xPortDlg.h"

#include "core/Settings.h"
#include "pages/common/Controls.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/common/Responsive.h"
#include "pages/common/SwitchOids.h"
#include "pages/dot1x/Dot1xOids.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString StatusText(const QString& strStatus)
{
    if (strStatus == QLatin1String("1"))
        return QStringLiteral("authorized");
    if (strStatus == QLatin1String("2"))
        return QStringLiteral("unauthorized");
    return QStringLiteral("other");
}

const char* const kControls[] = {"forceUnauthorized", "auto", "forceAuthorized"};

QString ControlText(const QString& strControl)
{
    bool ok = false;
    const int n = strControl.toInt(&ok);
    return ok && n >= 1 && n <= 3 ? QString::fromLatin1(kControls[n - 1]) : QStringLiteral("other");
}

} // namespace

CDot1xPortDlg::CDot1xPortDlg(QWidget* parent)
    : CPageDlg(IDD, parent), m_nPortNum(std::max(g_nDevicePortNum, 0)), m_controls(static_cast<std::size_t>(m_nPortNum), 0)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPTableTrunkInfo, "m_cCommonSNMPTableTrunkInfo");
    AddSession(m_cCommonSNMPTable, "m_cCommonSNMPTable");
    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pFromPort = SetControlId(new QComboBox(this), IDC_FROM_PORT);
    m_pToPort = SetControlId(new QComboBox(this), IDC_TO_PORT);
    for (int p = 1; p <= m_nPortNum; ++p) {
        m_pFromPort->addItem(QString::number(p));
        m_pToPort->addItem(QString::number(p));
    }
    m_pControl = SetControlId(new QComboBox(this), IDC_CONTROL);
    for (const char* pszControl : kControls)
        m_pControl->addItem(QString::fromLatin1(pszControl));
    auto* pApply = AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); });
    m_pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });

    auto* pLayout = new QVBoxLayout(this);
    auto* pSettings = new QHBoxLayout;
    const auto add = [&](const char* pszLabel, QWidget* pControl) {
        pSettings->addWidget(new QLabel(QString::fromLatin1(pszLabel), this));
        pSettings->addWidget(pControl);
        pSettings->addSpacing(12);
    };
    add("From Port", m_pFromPort);
    add("To Port", m_pToPort);
    add("Port Control", m_pControl);
    pSettings->addStretch();
    pSettings->addWidget(pApply);
    pLayout->addLayout(pSettings);
    pLayout->addWidget(m_pList);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    pBottom->addWidget(m_pRefresh);
    pBottom->addWidget(pClose);
    pLayout->addLayout(pBottom);
    resize(860, 420);

    m_walk.SetRefresh(m_pRefresh);
    m_walk.SetAcceptCount(2);
    m_walk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        cells << reply.Suffix(0) << reply.Value(0) << reply.Value(1);
        return true;
    });
    m_walk.SetRowSink([this](const QStringList& cells) { AddRow(cells); });
}

bool CDot1xPortDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("802.1X Port Configuration"));
    int nCol = 0;
    for (const QString& heading : oid::Dot1xHeadings())
        InsertColumnAuto(*m_pList, nCol++, heading);
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    m_pFromPort->setCurrentIndex(0);
    m_pToPort->setCurrentIndex(0);
    m_pControl->setCurrentIndex(0);
    OnRefresh();
    m_trunks.Start(m_nPortNum);
    return true;
}

void CDot1xPortDlg::OnRefresh()
{
    std::fill(m_controls.begin(), m_controls.end(), 0);
    m_pList->DeleteAllItems();
    m_walk.Start({oid::kDot1xPortStatus, oid::kDot1xPortControl});
}

void CDot1xPortDlg::AddRow(const QStringList& cells)
{
    const QString strPort = oid::RowIndex(cells.value(0));
    const int nRow = m_pList->InsertItem(m_pList->GetItemCount(), strPort);
    m_pList->SetItemText(nRow, 1, StatusText(cells.value(1)));
    m_pList->SetItemText(nRow, 2, ControlText(cells.value(2)));
    const int nPort = strPort.toInt();
    if (nPort >= 1 && nPort <= m_nPortNum)
        m_controls[static_cast<std::size_t>(nPort - 1)] = cells.value(2).toInt();
}

QString CDot1xPortDlg::CheckSpan(int nFrom, int nTo, int nControl, const std::vector<int>& controls,
                                 const std::vector<int>& trunks)
{
    const int nPortNum = static_cast<int>(controls.size());
    for (int p = nFrom; p <= nTo; ++p)
        if (p >= 1 && p <= static_cast<int>(trunks.size()) && trunks[static_cast<std::size_t>(p - 1)] != 0)
            return QStringLiteral("Cannot add an aggregated link to the 802.1X-enabled port");
    // The ports outside the span that are force-unauthorized or auto already.
    int nUnauthorized = 0, nAuto = 0;
    for (int p = 1; p <= nPortNum; ++p) {
        if (p >= nFrom && p <= nTo)
            continue;
        nUnauthorized += controls[static_cast<std::size_t>(p - 1)] == 1;
        nAuto += controls[static_cast<std::size_t>(p - 1)] == 2;
    }
    const int nSpan = std::max(0, std::min(nTo, nPortNum) - std::max(nFrom, 1) + 1);
    if (nControl == 1 && nUnauthorized + nSpan >= nPortNum)
        return QStringLiteral("Could not set all port  Force Unauthorized to the port access control.");
    if (nControl == 2 && nAuto + nSpan >= nPortNum)
        return QStringLiteral("Could not set all port AUTO  to the port access control.");
    if ((nControl == 1 || nControl == 2) && nUnauthorized + nAuto + nSpan >= nPortNum)
        return QStringLiteral("Could not set all port AUTO or Force Unauthorized to the port access control.");
    return QString();
}

void CDot1xPortDlg::OnApply()
{
    const int nFrom = m_pFromPort->currentText().toInt();
    const int nTo = m_pToPort->currentText().toInt();
    const int nControl = m_pControl->currentIndex() + 1;
    if (nFrom < 1 || nTo < nFrom)
        return;
    const QString strError = CheckSpan(nFrom, nTo, nControl, m_controls, m_trunks.Map());
    if (!strError.isEmpty()) {
        AppMessageBox(strError, this);
        return;
    }
    // One request per 30 ports; the first that fails ends the span.
    const QString strValue = QString::number(nControl);
    const int rc = RunWhileResponsive(this, [&] {
        int nBound = 0;
        for (int p = nFrom; p <= nTo; ++p) {
            if (nBound == 0 && !m_cCommonSNMP.Open(kSnmpPduSet))
                return -1;
            m_cCommonSNMP.AddOid(oid::kDot1xPortControl + QLatin1Char('.') + QString::number(p), kSnmpTypeInteger, strValue);
            if (++nBound == kPortsPerRequest || p == nTo) {
                std::unique_ptr<CSnmp> pReply;
                if (m_cCommonSNMP.GetNextSync(pReply, 0) != 0)
                    return -1;
                nBound = 0;
            }
        }
        return 0;
    });
    (void)rc;
    OnRefresh();
}
