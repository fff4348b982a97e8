#include "pages/trunk/TrunkMemberDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/MessageBox.h"
#include "pages/common/PortGrid.h"
#include "pages/common/PortList.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>

namespace {

const CResizeAnchor kAnchors[] = {
    {CPageDlg::IDOK, CResizeDlg::kMoveXY, 100},
    {CPageDlg::IDCANCEL, CResizeDlg::kMoveXY, 100},
    {CTrunkMemberDlg::IDC_GROUP_PORTS, CResizeDlg::kSizeXY, 100},
    {CTrunkMemberDlg::IDC_GROUP_TOP, CResizeDlg::kSizeX, 100},
    {CTrunkMemberDlg::IDC_MODE_LABEL, CResizeDlg::kMoveX, 100},
    {CTrunkMemberDlg::IDC_MODE, CResizeDlg::kMoveX, 100},
};

} // namespace

CTrunkMemberDlg::CTrunkMemberDlg(int nPortNum, const QString& strTrunkId, const QString& strMode,
                                 const QString& strMembers, QWidget* parent)
    : CResizeDlg(IDD, parent),
      m_nPortNum(std::max(nPortNum, 0)),
      m_strTrunkId(strTrunkId),
      m_strMode(strMode),
      m_strMembers(strMembers),
      m_members(PortFlagsFromList(strMembers, m_nPortNum)),
      m_validator(this, m_nPortNum)
{
    m_validator.ForEachSession([this](CCommonSNMP& s, const char* pszName) { AddSession(s, pszName); });

    const CPortGrid grid = TrunkMemberGrid(m_nPortNum);
    const int nWidth = grid.window.width();
    const int nLines = grid.Lines(m_nPortNum);
    auto* pTop = SetControlId(new QGroupBox(this), IDC_GROUP_TOP);
    pTop->setGeometry(10, 5, nWidth - 20, 50);
    auto* pIdLabel = new QLabel(QStringLiteral("Trunk ID:"), this);
    pIdLabel->setGeometry(20, 22, 60, 20);
    m_pTrunkId = SetControlId(new QLineEdit(this), IDC_TRUNK_ID);
    m_pTrunkId->setGeometry(85, 20, 60, 22);
    m_pTrunkId->setReadOnly(true);
    auto* pModeLabel = SetControlId(new QLabel(QStringLiteral("Mode:"), this), IDC_MODE_LABEL);
    pModeLabel->setGeometry(nWidth - 170, 22, 45, 20);
    m_pMode = SetControlId(new QLineEdit(this), IDC_MODE);
    m_pMode->setGeometry(nWidth - 120, 20, 90, 22);
    m_pMode->setReadOnly(true);

    auto* pPorts = SetControlId(new QGroupBox(QStringLiteral("Member Ports"), this), IDC_GROUP_PORTS);
    pPorts->setGeometry(10, 60, nWidth - 20, grid.origin.y() - 60 + nLines * grid.nLinePitch);
    pPorts->lower();
    for (int p = 1; p <= m_nPortNum; ++p) {
        const QPoint cell = grid.Cell(p);
        auto* pLabel = SetControlId(new QLabel(QString::number(p), this), IDC_PORT_LABEL_BASE + p);
        pLabel->setGeometry(cell.x() - 2, cell.y() - 18, grid.nCellWidth + 4, 16);
        pLabel->setAlignment(Qt::AlignCenter);
        auto* pBox = SetControlId(new QCheckBox(this), IDC_BOX_BASE + p);
        pBox->setGeometry(cell.x(), cell.y(), grid.nCellWidth, 17);
        pBox->setChecked(m_members[static_cast<std::size_t>(p - 1)] != 0);
        connect(pBox, &QCheckBox::toggled, this,
                [this, p](bool bChecked) { m_members[static_cast<std::size_t>(p - 1)] = bChecked ? 1 : 0; });
    }
    auto* pOk = AddButton(IDOK, QStringLiteral("OK"), [this] { OnOK(); });
    auto* pCancel = AddButton(IDCANCEL, QStringLiteral("Cancel"), [this] { reject(); });
    const int nHeight = std::max(grid.window.height(), pPorts->geometry().bottom() + 50);
    pOk->setGeometry(nWidth - 180, nHeight - 38, 75, 25);
    pCancel->setGeometry(nWidth - 95, nHeight - 38, 75, 25);
    resize(nWidth, nHeight);
    SetAnchors(kAnchors, static_cast<int>(std::size(kAnchors)));
}

bool CTrunkMemberDlg::OnInitDialog()
{
    CResizeDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Trunk member"));
    if (!m_validator.Start(m_strMembers))
        AppMessageBox(QStringLiteral("TrunkValid Init Error !"), this);
    m_pTrunkId->setText(m_strTrunkId);
    m_pMode->setText(m_strMode);
    return true;
}

QString CTrunkMemberDlg::MemberList() const
{
    QStringList ports;
    for (std::size_t i = 0; i < m_members.size(); ++i)
        if (m_members[i])
            ports << QString::number(i + 1);
    return ports.join(QLatin1Char(','));
}

void CTrunkMemberDlg::OnOK()
{
    const QString strMode = m_pMode->text() == QLatin1String("LACP") ? QStringLiteral("1") : QStringLiteral("2");
    const auto nChecked = std::count_if(m_members.begin(), m_members.end(), [](int f) { return f != 0; });
    if (nChecked < 2) {
        AppMessageBox(QStringLiteral("The mininum port members for an aggregated link is 2 !"), this);
        return;
    }
    if (nChecked > 8) {
        AppMessageBox(QStringLiteral("The maxinum port member for an aggregated link is exceeded !"), this);
        return;
    }
    const QString strError = m_validator.Check(m_members);
    if (!strError.isEmpty()) {
        AppMessageBox(strError, this);
        return;
    }
    const QByteArray bytes = BytesFromHex(PadPortHex(HexFromPortFlags(m_members), m_nPortNum));
    if (bytes.size() < 1) {
        AppMessageBox(QStringLiteral("Parameter Error !"), this);
        return;
    }
    // The trunk page shows what the switch took.
    m_validator.Write(m_strTrunkId, bytes, strMode);
    accept();
}
