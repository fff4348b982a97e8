#include "pages/mib/InterfaceTableDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/ListCtrl.h"
#include "pages/mib/MibText.h"

#include <QAbstractButton>
#include <QLabel>

namespace {
const QStringList kColumns = {
    QStringLiteral("1.3.6.1.2.1.2.2.1.1"),  // ifIndex
    QStringLiteral("1.3.6.1.2.1.2.2.1.8"),  // ifOperStatus
    QStringLiteral("1.3.6.1.2.1.2.2.1.5"),  // ifSpeed
};
} // namespace

CInterfaceTableDlg::CInterfaceTableDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");

    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pCount = SetControlId(new QLabel(this), IDC_COUNT);
    auto* pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });

    LayOutList(m_pList, m_pCount, {pRefresh, pClose});
    resize(420, 360);

    m_walk.SetList(m_pList, m_pCount);
    m_walk.SetRefresh(pRefresh);
    m_walk.SetAcceptCount(3);
    m_walk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        cells << reply.Value(0) << LinkStatusText(reply.Value(1)) << SpeedText(reply.Value(2));
        return true;
    });
}

bool CInterfaceTableDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Interface Table"));
    InsertColumnAuto(*m_pList, 0, Heading(" Index", 8));
    InsertColumnAuto(*m_pList, 1, Heading(" Link Status", 12));
    InsertColumnAuto(*m_pList, 2, Heading(" Speed(b/s)", 21));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    // The table is read when the page is shown, not here.
    m_pList->DeleteAllItems();
    m_pCount->setText(QStringLiteral("0"));
    return true;
}

void CInterfaceTableDlg::OnShowWindow(bool bShow)
{
    if (bShow)
        PostClick(IDC_REFRESH);
}

void CInterfaceTableDlg::OnRefresh()
{
    m_walk.Start(kColumns);
}

QString CInterfaceTableDlg::LinkStatusText(const QString& strOperStatus)
{
    if (strOperStatus == QLatin1String("1"))
        return QStringLiteral("Connected");
    if (strOperStatus == QLatin1String("2"))
        return QStringLiteral("UnConnected");
    if (strOperStatus == QLatin1String("3"))
        return QStringLiteral("Test");
    return QStringLiteral("Unknown");
}

QString CInterfaceTableDlg::SpeedText(const QString& strSpeed)
{
    return QString::number(DecimalPrefix(strSpeed) / 1000000) + QLatin1Char('M');
}
