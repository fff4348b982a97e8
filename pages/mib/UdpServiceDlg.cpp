#include "pages/mib/UdpServiceDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/ListCtrl.h"

#include <QAbstractButton>

namespace {
const QStringList kColumns = {
    QStringLiteral("1.3.6.1.2.1.7.5.1.2"),  // udpLocalPort
    QStringLiteral("1.3.6.1.2.1.7.5.1.1"),  // udpLocalAddress
};
} // namespace

CUdpServiceDlg::CUdpServiceDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    setWindowTitle(QStringLiteral("UDP Service"));

    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    auto* pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });

    LayOutList(m_pList, nullptr, {pRefresh, pClose});
    resize(300, 300);

    m_walk.SetList(m_pList);
    m_walk.SetRefresh(pRefresh);
    // Every reply is a row; only an error (the end of the table) ends the walk.
    m_walk.SetAcceptCount(0);
}

bool CUdpServiceDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    InsertColumnAuto(*m_pList, 0, QStringLiteral("  Local Port "));
    InsertColumnAuto(*m_pList, 1, Heading("  Local IP", 6));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    OnRefresh();
    return true;
}

void CUdpServiceDlg::OnRefresh()
{
    m_walk.Start(kColumns);
}
