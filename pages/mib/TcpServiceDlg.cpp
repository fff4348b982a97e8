#include "pages/mib/TcpServiceDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/ListCtrl.h"

#include <QAbstractButton>

namespace {
const QStringList kColumns = {
    QStringLiteral("1.3.6.1.2.1.6.13.1.3"),  // tcpConnLocalPort
    QStringLiteral("1.3.6.1.2.1.6.13.1.2"),  // tcpConnLocalAddress
    QStringLiteral("1.3.6.1.2.1.6.13.1.4"),  // tcpConnRemAddress
    QStringLiteral("1.3.6.1.2.1.6.13.1.5"),  // tcpConnRemPort
    QStringLiteral("1.3.6.1.2.1.6.13.1.1"),  // tcpConnState
};
} // namespace

CTcpServiceDlg::CTcpServiceDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    setWindowTitle(QStringLiteral("TCP Service"));

    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    auto* pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });

    LayOutList(m_pList, nullptr, {pRefresh, pClose});
    resize(520, 320);

    m_walk.SetList(m_pList);
    m_walk.SetRefresh(pRefresh);
    // Every reply is a row; only an error (the end of the table) ends the walk.
    m_walk.SetAcceptCount(0);
    m_walk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        for (int i = 0; i < reply.Count(); ++i)
            cells << (i == 4 ? StateText(reply.Value(i)) : reply.Value(i));
        return true;
    });
}

bool CTcpServiceDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    InsertColumnAuto(*m_pList, 0, Heading("Local Port", 1));
    InsertColumnAuto(*m_pList, 1, Heading(" Local IP", 8));
    InsertColumnAuto(*m_pList, 2, Heading(" Remote IP", 7));
    InsertColumnAuto(*m_pList, 3, Heading("Remote Port"));
    InsertColumnAuto(*m_pList, 4, Heading(" Status", 1));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    OnRefresh();
    return true;
}

void CTcpServiceDlg::OnRefresh()
{
    m_walk.Start(kColumns);
}

QString CTcpServiceDlg::StateText(const QString& strState)
{
    static const char* const kNames[] = {"listen",   "synSent",  "synReceived", "established", "finWait1", "finWait2",
                                         "closeWait", "lastAck", "closing",     "timeWait",    "deleteTCB"};
    for (int n = 2; n <= 12; ++n)
        if (strState == QString::number(n))
            return QLatin1String(kNames[n - 2]);
    return QStringLiteral("closed");
}
