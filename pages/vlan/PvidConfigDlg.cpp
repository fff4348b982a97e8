#include "pages/vlan/PvidConfigDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/MessageBox.h"
#include "pages/common/PortGrid.h"
#include "pages/common/SwitchOids.h"

#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QThread>

namespace {

const CResizeAnchor kAnchors[] = {
    {CPageDlg::IDOK, CResizeDlg::kMoveXY, 100},
    {CPageDlg::IDCANCEL, CResizeDlg::kMoveXY, 100},
    {CPvidConfigDlg::IDC_REFRESH, CResizeDlg::kMoveXY, 100},
    {CPvidConfigDlg::IDC_GROUP, CResizeDlg::kSizeXY, 100},
};

} // namespace

CPvidConfigDlg::CPvidConfigDlg(int nPortNum, const VlanList& vlans, const QString& strVids, QWidget* parent)
    : CResizeDlg(IDD, parent),
      m_nPortNum(std::max(nPortNum, 0)),
      m_vlans(vlans),
      m_strVids(strVids),
      m_pvids(static_cast<std::size_t>(m_nPortNum), 1)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPTable, "m_cCommonSNMPTable");
    AddSession(m_cCommonSNMPSet, "m_cCommonSNMPSet");

    const CPortGrid grid = PvidGrid(m_nPortNum);
    const int nLines = grid.Lines(m_nPortNum);
    auto* pGroup = SetControlId(new QGroupBox(QStringLiteral("PVID"), this), IDC_GROUP);
    pGroup->setGeometry(10, 8, grid.window.width() - 20, nLines * grid.nLinePitch + 30);
    pGroup->lower();
    m_edits.resize(static_cast<std::size_t>(m_nPortNum), nullptr);
    for (int p = 1; p <= m_nPortNum; ++p) {
        const QPoint cell = grid.Cell(p);
        auto* pLabel = SetControlId(new QLabel(QString::number(p), this), IDC_PORT_LABEL_BASE + p);
        pLabel->setGeometry(cell.x(), cell.y() - 18, grid.nCellWidth, 16);
        pLabel->setAlignment(Qt::AlignCenter);
        auto* pEdit = SetControlId(new QLineEdit(this), IDC_PVID_BASE + p);
        pEdit->setGeometry(cell.x(), cell.y(), grid.nCellWidth, 20);
        pEdit->setAlignment(Qt::AlignCenter);
        pEdit->setMaxLength(4);
        pEdit->setValidator(new QIntValidator(0, 9999, pEdit));
        connect(pEdit, &QLineEdit::textChanged, this, [this, p](const QString& text) {
            m_pvids[static_cast<std::size_t>(p - 1)] = text.toInt();
        });
        m_edits[static_cast<std::size_t>(p - 1)] = pEdit;
    }
    auto* pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pOk = AddButton(IDOK, QStringLiteral("OK"), [this] { OnOK(); });
    auto* pCancel = AddButton(IDCANCEL, QStringLiteral("Cancel"), [this] { reject(); });
    const int nHeight = std::max(grid.window.height(), pGroup->geometry().bottom() + 50);
    const int nWidth = grid.window.width();
    pRefresh->setGeometry(nWidth - 265, nHeight - 38, 75, 25);
    pOk->setGeometry(nWidth - 180, nHeight - 38, 75, 25);
    pCancel->setGeometry(nWidth - 95, nHeight - 38, 75, 25);
    resize(nWidth, nHeight);
    SetAnchors(kAnchors, static_cast<int>(std::size(kAnchors)));

    // Each value's port is its row index.
    m_walk.SetAcceptCount(1);
    m_walk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        cells << oid::RowIndex(reply.Suffix(0)) << reply.Value(0);
        return true;
    });
    m_walk.SetRowSink([this](const QStringList& cells) {
        bool ok = false;
        const int nPort = cells.value(0).toInt(&ok);
        if (ok && nPort >= 1 && nPort <= m_nPortNum)
            m_pvids[static_cast<std::size_t>(nPort - 1)] = cells.value(1).toInt();
    });
    m_walk.SetEndSink([this](int nError) { OnPvidEnd(nError); });
}

bool CPvidConfigDlg::OnInitDialog()
{
    CResizeDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("PVID Configuration"));
    move(200, 200);
    OnRefresh();
    m_trunks.Start(m_nPortNum);
    return true;
}

void CPvidConfigDlg::OnRefresh()
{
    m_walk.Start({oid::kVlanPvid});
}

void CPvidConfigDlg::OnPvidEnd(int nError)
{
    if (nError != kSnmpEndOfTable)
        return;
    for (std::size_t i = 0; i < m_edits.size(); ++i)
        m_edits[i]->setText(QString::number(m_pvids[i]));
}

QString CPvidConfigDlg::CheckInput() const
{
    // PVIDs on trunk members are the web interface's to set.
    for (int p = 1; p <= m_nPortNum; ++p) {
        const int nPvid = m_pvids[static_cast<std::size_t>(p - 1)];
        const int nTrunk = m_trunks.TrunkOf(p);
        if (nPvid == 1 || nTrunk == 0)
            continue;
        for (int q = 1; q <= m_nPortNum; ++q)
            if (q != p && m_trunks.TrunkOf(q) == nTrunk && m_pvids[static_cast<std::size_t>(q - 1)] != nPvid)
                return QStringLiteral("You should let all Trunk member in the same PVID !");
        return QStringLiteral("Setting PVID on a Trunk is not supported. Please use Web interface for the settings.");
    }
    for (int p = 1; p <= m_nPortNum; ++p) {
        const VlanEntry* pEntry = FindVlan(m_vlans, m_pvids[static_cast<std::size_t>(p - 1)]);
        if (!pEntry)
            return QStringLiteral("Invalid PVID");
        if (pEntry->egressCount < 1)
            return QStringLiteral("Invalid PVID,VlAN is empty");
    }
    return QString();
}

void CPvidConfigDlg::OnOK()
{
    const QString strError = CheckInput();
    if (!strError.isEmpty()) {
        AppMessageBox(strError, this);
        return;
    }
    for (int p = 1; p <= m_nPortNum; ++p) {
        if (p == kBatch + 1 && m_nPortNum >= kBatch)
            QThread::msleep(kBatchPauseMs);
        if (!m_cCommonSNMPSet.Open(kSnmpPduSet))
            return;
        m_cCommonSNMPSet.AddOid(oid::kVlanPvid + QLatin1Char('.') + QString::number(p), kSnmpTypeUnsigned32,
                                QString::number(m_pvids[static_cast<std::size_t>(p - 1)]));
        std::unique_ptr<CSnmp> pReply;
        if (m_cCommonSNMPSet.Send(pReply, 0) != 0)
            return;  // the first refused write stops; the page stays open
    }
    accept();
}
