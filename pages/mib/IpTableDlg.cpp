#include "pages/mib/IpTableDlg.h"

#include "core/Settings.h"
#include "pages/common/Controls.h"
#include "pages/common/ListCtrl.h"

#include <QAbstractButton>
#include <QLabel>

namespace {
const QStringList kColumns = {
    QStringLiteral("1.3.6.1.2.1.4.20.1.1"),  // ipAdEntAddr
    QStringLiteral("1.3.6.1.2.1.4.20.1.3"),  // ipAdEntNetMask
};
} // namespace

CIpTableDlg::CIpTableDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");

    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pCount = SetControlId(new QLabel(QStringLiteral("0"), this), IDC_COUNT);
    auto* pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { accept(); });

    LayOutList(m_pList, m_pCount, {pRefresh, pClose});
    resize(360, 300);

    m_walk.SetList(m_pList, m_pCount);
    m_walk.SetRefresh(pRefresh);
    m_walk.SetAcceptCount(2);
}

bool CIpTableDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("IP Table : ") + g_strDeviceIP);
    InsertColumnAuto(*m_pList, 0, Heading(" IP", 16));
    InsertColumnAuto(*m_pList, 1, Heading(" Netmask", 15));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    return true;
}

void CIpTableDlg::OnShowWindow(bool bShow)
{
    if (bShow)
        PostClick(IDC_REFRESH);
}

void CIpTableDlg::OnRefresh()
{
    m_walk.Start(kColumns);
}
