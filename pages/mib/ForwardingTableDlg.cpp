#include "pages/mib/ForwardingTableDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/ListCtrl.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
const QStringList kColumns = {
    QStringLiteral("1.3.6.1.2.1.17.7.1.2.2.1.3"),  // dot1qTpFdbStatus
    QStringLiteral("1.3.6.1.2.1.17.7.1.2.2.1.2"),  // dot1qTpFdbPort
};
const QString kAgingTime = QStringLiteral("1.3.6.1.2.1.17.4.2.0");  // dot1dTpAgingTime
} // namespace

CForwardingTableDlg::CForwardingTableDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPGetTime, "m_cCommonSNMPGetTime");

    m_pFilter = SetControlId(new QLineEdit(this), IDC_PORT_FILTER);
    m_pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDC_CLOSE, QStringLiteral("Close"), [this] { accept(); });
    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pAgeTime = SetControlId(new QLabel(this), IDC_AGE_TIME);
    m_pCount = SetControlId(new QLabel(this), IDC_COUNT);

    auto* pLayout = new QVBoxLayout(this);
    auto* pTop = new QHBoxLayout;
    pTop->addWidget(new QLabel(QStringLiteral("Destination Port:"), this));
    pTop->addWidget(m_pFilter);
    pTop->addWidget(m_pRefresh);
    pTop->addStretch();
    pLayout->addLayout(pTop);
    pLayout->addWidget(m_pList);
    auto* pBottom = new QHBoxLayout;
    pBottom->addWidget(new QLabel(QStringLiteral("Age Time:"), this));
    pBottom->addWidget(m_pAgeTime);
    pBottom->addWidget(new QLabel(QStringLiteral("Seconds"), this));
    pBottom->addSpacing(24);
    pBottom->addWidget(new QLabel(QStringLiteral("Entries:"), this));
    pBottom->addWidget(m_pCount);
    pBottom->addStretch();
    pBottom->addWidget(pClose);
    pLayout->addLayout(pBottom);
    resize(440, 400);

    m_walk.SetList(m_pList, m_pCount);
    m_walk.SetRefresh(m_pRefresh);
    m_walk.SetAcceptCount(2);
    m_ageRead.SetAcceptCount(1);
    m_ageRead.SetRowSink([this](const QStringList& cells) { m_pAgeTime->setText(cells.value(0)); });
}

bool CForwardingTableDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Forwarding Table"));
    InsertColumnAuto(*m_pList, 0, QString(7, QLatin1Char(' ')) + Heading("MAC", 14));
    InsertColumnAuto(*m_pList, 1, Heading(" Status", 6));
    InsertColumnAuto(*m_pList, 2, Heading(" Port", 5));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    m_pFilter->setEnabled(true);
    m_pRefresh->setEnabled(true);
    m_pRefresh->setFocus();
    OnRefresh();
    return true;
}

void CForwardingTableDlg::OnRefresh()
{
    // The filter is taken when the walk starts; the renderer works on its own copy.
    const QString strFilter = m_pFilter->text();
    m_walk.SetRenderer([strFilter](const CWalkReply& reply, QStringList& cells) {
        const QString strPort = reply.Value(1);
        if (!strFilter.isEmpty() && strFilter != strPort)
            return false;
        cells << MacFromIndex(reply.Suffix(0)) << StatusText(reply.Value(0)) << strPort;
        return true;
    });
    m_walk.Start(kColumns, kSnmpPduGetNext, QStringLiteral(" 0"));
    repaint();
    GetAgeTime();
}

void CForwardingTableDlg::GetAgeTime()
{
    // One GET on the second session, beside the table walk; the page does not wait for it, so a
    // slow or silent device never freezes the window. A failed read leaves the label as it is.
    m_ageRead.Start({kAgingTime}, kSnmpPduGet);
}

QString CForwardingTableDlg::StatusText(const QString& strStatus)
{
    static const char* const kNames[] = {"Other", "Invalid", "Learn", "Own", "Static"};
    if (!strStatus.isEmpty() && strStatus[0] >= QLatin1Char('1') && strStatus[0] <= QLatin1Char('5'))
        return QLatin1String(kNames[strStatus[0].unicode() - '1']);
    return strStatus;
}

QString CForwardingTableDlg::MacFromIndex(const QString& strSuffix)
{
    // Drop the filtering database id and its separators; the six octets remain.
    const QString strIndex = strSuffix.startsWith(QLatin1Char('.')) ? strSuffix.mid(1) : strSuffix;
    const qsizetype nDot = strIndex.indexOf(QLatin1Char('.'));
    return FormatMacFromOid(nDot < 0 ? QString() : strIndex.mid(nDot + 1));
}
