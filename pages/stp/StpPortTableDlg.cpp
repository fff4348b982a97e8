#include "pages/stp/StpPortTableDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/ListCtrl.h"
#include "pages/stp/StpOids.h"
#include "pages/stp/StpPortDlg.h"

#include <QLabel>

#include <algorithm>

namespace {

// The walk's columns, one list column each in this order.
const QStringList& PortColumns()
{
    static const QStringList columns = {
        oid::StpPortColumn(oid::kStpPort),
        oid::StpPortColumn(oid::kStpPortPriority),
        oid::StpPortColumn(oid::kStpPortPathCost),
        oid::StpPortColumn(oid::kStpPortEnable),
        oid::StpPortColumn(oid::kStpPortState),
        oid::StpPortColumn(oid::kStpPortDesignatedRoot),
        oid::StpPortColumn(oid::kStpPortDesignatedCost),
        oid::StpPortColumn(oid::kStpPortDesignatedBridge),
        oid::StpPortColumn(oid::kStpPortDesignatedPort),
        oid::StpPortColumn(oid::kStpPortForwardTransitions),
    };
    return columns;
}

// A reply with fewer values ends the table.
constexpr int kRowValues = 6;

} // namespace

CStpPortTableDlg::CStpPortTableDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");

    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pCount = SetControlId(new QLabel(QStringLiteral("0"), this), IDC_COUNT);
    m_pPortConfig = AddButton(IDC_PORT_CONFIG, QStringLiteral("Port Config"), [this] { OnPortConfig(); });
    auto* pBridgeConfig = AddButton(IDC_BRIDGE_CONFIG, QStringLiteral("Bridge Config"), [] {});
    m_pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });
    LayOutList(m_pList, m_pCount, {m_pPortConfig, pBridgeConfig, m_pRefresh, pClose});
    connect(m_pList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* pItem) {
        if (pItem && pItem->isSelected())
            OnPortConfig();
    });
    resize(980, 460);

    m_walk.SetList(m_pList, m_pCount);
    m_walk.SetAcceptCount(kRowValues);
    m_walk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        for (int i = 0; i < reply.Count(); ++i) {
            switch (i) {
            case kColEnable: cells << EnableText(reply.Value(i)); break;
            case kColStatus: cells << StatusText(reply.Value(i)); break;
            case kColDesignatedRoot:
            case kColDesignatedBridge:
            case kColDesignatedPort: cells << OctetsText(reply.Bytes(i), reply.Value(i)); break;
            default: cells << reply.Value(i); break;
            }
        }
        return true;
    });
    m_walk.SetEndSink([this](int) {
        // Long path costs (up to nine digits) need more than the heading's width.
        const int nWidth = m_pList->columnWidth(kColCost);
        m_pList->resizeColumnToContents(kColCost);
        m_pList->setColumnWidth(kColCost, std::max(nWidth, m_pList->columnWidth(kColCost)));
        EnableButtons(true);
    });
}

bool CStpPortTableDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    int nCol = 0;
    for (const char* pszHeading : {"Port", "Priority", "Cost ", "Enable", "Status  ", " ==Designated Root== ",
                                   "Designated Cost", " ==Designated Bridge== ", "Designated Port", "Forwardings"})
        InsertColumnAuto(*m_pList, nCol++, QString::fromLatin1(pszHeading));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    setWindowTitle(QStringLiteral("Spanning Tree Table"));
    return true;
}

void CStpPortTableDlg::OnShowWindow(bool bShow)
{
    if (bShow)
        PostClick(IDC_REFRESH);
}

void CStpPortTableDlg::EnableButtons(bool bEnable)
{
    m_pPortConfig->setEnabled(bEnable);
    m_pRefresh->setEnabled(bEnable);
}

void CStpPortTableDlg::OnRefresh()
{
    EnableButtons(false);
    m_walk.Start(PortColumns());
}

QString CStpPortTableDlg::EnableText(const QString& strValue)
{
    return strValue == QLatin1String("1") ? QStringLiteral("Y") : QStringLiteral("N");
}

QString CStpPortTableDlg::StatusText(const QString& strValue)
{
    static const char* const kStates[] = {"Disabled", "Blocked", "Monitored", "Learn", "Forward", "Token"};
    for (int n = 1; n <= 6; ++n)
        if (strValue == QString::number(n))
            return QString::fromLatin1(kStates[n - 1]);
    return strValue;
}

QString CStpPortTableDlg::OctetsText(const QByteArray& bytes, const QString& strReceived)
{
    if (bytes.size() == 2)
        return QStringLiteral("%1 %2")
            .arg(static_cast<unsigned char>(bytes[0]), 2, 16, QLatin1Char('0'))
            .arg(static_cast<unsigned char>(bytes[1]), 2, 16, QLatin1Char('0'))
            .toUpper();
    return BridgeIdText(bytes, strReceived);
}

std::vector<QStringList> CStpPortTableDlg::Rows() const
{
    std::vector<QStringList> rows;
    for (int r = 0; r < m_pList->GetItemCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m_pList->GetColumnCount(); ++c)
            cells << m_pList->GetItemText(r, c);
        rows.push_back(cells);
    }
    return rows;
}

void CStpPortTableDlg::OnPortConfig()
{
    // The port page shows the rows of this table; without a row there is no port to show.
    if (m_pList->GetItemCount() == 0)
        return;
    CStpPortDlg page(Rows(), m_pList->GetSelectedRow());
    if (RunSubPage(page) == QDialog::Accepted)
        OnRefresh();
}
