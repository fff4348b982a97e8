#include "pages/vlan/VlanEditDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/MessageBox.h"
#include "pages/common/PortGrid.h"
#include "pages/common/PortList.h"
#include "pages/common/SwitchOids.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QThread>

namespace {

const CResizeAnchor kAnchors[] = {
    {CPageDlg::IDOK, CResizeDlg::kMoveXY, 100},
    {CPageDlg::IDCANCEL, CResizeDlg::kMoveXY, 100},
    {CVlanEditDlg::IDC_VLAN_GROUP, CResizeDlg::kSizeX, 100},
    {CVlanEditDlg::IDC_PORT_GROUP, CResizeDlg::kSizeXY, 100},
    {CVlanEditDlg::IDC_HINT, CResizeDlg::kMoveY, 70},
    {CVlanEditDlg::IDC_ROW_LABELS, CResizeDlg::kMoveY, 50},
    {CVlanEditDlg::IDC_VID_LABEL, CResizeDlg::kMoveX, 100},
    {CVlanEditDlg::IDC_VID, CResizeDlg::kMoveX, 100},
};

// Removes one occurrence of port nPort from a decimal list text.
QString WithoutPort(const QString& strList, int nPort)
{
    QStringList parts = strList.split(QLatin1Char(','), Qt::SkipEmptyParts);
    const int i = static_cast<int>(parts.indexOf(QString::number(nPort)));
    if (i >= 0)
        parts.removeAt(i);
    return parts.join(QLatin1Char(','));
}

} // namespace

CVlanEditDlg::CVlanEditDlg(bool bAdd, int nPortNum, const VlanList& vlans, int nMode, int nVid, QWidget* parent)
    : CResizeDlg(IDD, parent),
      m_bAdd(bAdd),
      m_nPortNum(std::max(nPortNum, 0)),
      m_vlans(vlans),
      m_nMode(nMode),
      m_nVid(bAdd ? 0 : nVid),
      m_egress(static_cast<std::size_t>(m_nPortNum), 0),
      m_untagged(static_cast<std::size_t>(m_nPortNum), 0),
      m_notMember(static_cast<std::size_t>(m_nPortNum), 1),
      m_untaggedBefore(static_cast<std::size_t>(m_nPortNum), 0),
      m_helper(this, m_nPortNum)
{
    m_helper.ForEachSession([this](CCommonSNMP& s, const char* pszName) { AddSession(s, pszName); });

    const CPortGrid grid = VlanMemberGrid(m_nPortNum);
    const int nLines = grid.Lines(m_nPortNum);
    const int nPortsBottom = grid.origin.y() + (nLines - 1) * grid.nLinePitch + 4 * kVlanMemberRowPitch;

    auto* pVlanGroup = SetControlId(new QGroupBox(QStringLiteral("VLAN"), this), IDC_VLAN_GROUP);
    pVlanGroup->setGeometry(10, 5, grid.window.width() - 20, 55);
    auto* pNameLabel = new QLabel(QStringLiteral("VLAN Name:"), this);
    pNameLabel->setGeometry(20, 28, 80, 20);
    m_pName = SetControlId(new QLineEdit(this), IDC_NAME);
    m_pName->setGeometry(100, 26, 160, 22);
    m_pName->setMaxLength(20);
    auto* pVidLabel = SetControlId(new QLabel(QStringLiteral("VID:"), this), IDC_VID_LABEL);
    pVidLabel->setGeometry(grid.window.width() - 150, 28, 40, 20);
    m_pVid = SetControlId(new QLineEdit(this), IDC_VID);
    m_pVid->setGeometry(grid.window.width() - 105, 26, 70, 22);
    m_pVid->setMaxLength(4);

    auto* pPortGroup = SetControlId(new QGroupBox(QStringLiteral("Port Settings"), this), IDC_PORT_GROUP);
    pPortGroup->setGeometry(10, 65, grid.window.width() - 20, nPortsBottom - 65 + 10);
    pPortGroup->lower();
    auto* pRowLabels = SetControlId(new QWidget(this), IDC_ROW_LABELS);
    pRowLabels->setGeometry(14, grid.origin.y(), grid.origin.x() - 16, nLines * grid.nLinePitch);
    for (int nLine = 0; nLine < nLines; ++nLine) {
        const char* const rows[] = {"Tag Ports:", "Untag Ports:", "Not Member:"};
        for (int r = 0; r < 3; ++r) {
            auto* pLabel = new QLabel(QLatin1String(rows[r]), pRowLabels);
            pLabel->setGeometry(0, nLine * grid.nLinePitch + (r + 1) * kVlanMemberRowPitch, grid.origin.x() - 16, 17);
        }
    }
    auto* pHint = SetControlId(new QLabel(QStringLiteral("Each port is a tagged member, an untagged member or not a member."), this),
                               IDC_HINT);
    pHint->setGeometry(14, nPortsBottom + 18, grid.window.width() - 200, 20);

    m_boxes.resize(static_cast<std::size_t>(m_nPortNum) * 3, nullptr);
    for (int p = 1; p <= m_nPortNum; ++p) {
        const QPoint cell = grid.Cell(p);
        auto* pNumber = SetControlId(new QLabel(QString::number(p), this), IDC_PORT_LABEL_BASE + p);
        pNumber->setGeometry(cell.x() - 2, cell.y(), grid.nCellWidth + 4, 17);
        pNumber->setAlignment(Qt::AlignCenter);
        const int ids[] = {IDC_TAG_BASE + p, IDC_UNTAG_BASE + p, IDC_NOT_MEMBER_BASE + p};
        for (int b = 0; b < 3; ++b) {
            auto* pBox = SetControlId(new QCheckBox(this), ids[b]);
            pBox->setGeometry(cell.x(), cell.y() + (b + 1) * kVlanMemberRowPitch, grid.nCellWidth, 17);
            connect(pBox, &QCheckBox::clicked, this, [this, p, b](bool bChecked) { OnPortBox(p, b, bChecked); });
            m_boxes[static_cast<std::size_t>(p - 1) * 3 + static_cast<std::size_t>(b)] = pBox;
        }
    }
    auto* pOk = AddButton(IDOK, QStringLiteral("OK"), [this] { OnOK(); });
    auto* pCancel = AddButton(IDCANCEL, QStringLiteral("Cancel"), [this] { reject(); });
    pOk->setGeometry(grid.window.width() - 180, grid.window.height() - 40, 75, 25);
    pCancel->setGeometry(grid.window.width() - 95, grid.window.height() - 40, 75, 25);
    const int nHeight = std::max(grid.window.height(), nPortsBottom + 60);
    resize(grid.window.width(), nHeight);
    pOk->move(pOk->x(), nHeight - 40);
    pCancel->move(pCancel->x(), nHeight - 40);
    SetAnchors(kAnchors, static_cast<int>(std::size(kAnchors)));

    // The ports as the VLAN has them (all not members for a new one); the untagged ports of every
    // VLAN, which asymmetric mode off keeps from being untagged twice.
    QStringList untagged;
    for (const VlanEntry& entry : m_vlans)
        if (!entry.untaggedList.isEmpty())
            untagged << entry.untaggedList;
    m_strUntaggedAnywhere = untagged.join(QLatin1Char(','));
    for (int p = 1; p <= m_nPortNum; ++p)
        SetChoice(p, kNotMember);
    if (!m_bAdd) {
        if (const VlanEntry* pEntry = FindVlan(m_vlans, m_nVid)) {
            m_pName->setText(pEntry->name.left(20));
            const std::vector<int> egress = PortFlagsFromList(pEntry->egressList, m_nPortNum);
            m_untaggedBefore = PortFlagsFromList(pEntry->untaggedList, m_nPortNum);
            for (int p = 1; p <= m_nPortNum; ++p) {
                const auto i = static_cast<std::size_t>(p - 1);
                if (m_untaggedBefore[i])
                    SetChoice(p, kUntag);
                else if (egress[i])
                    SetChoice(p, kTag);
            }
        }
        m_pVid->setText(QString::number(m_nVid));
    }
}

bool CVlanEditDlg::OnInitDialog()
{
    CResizeDlg::OnInitDialog();
    setWindowTitle(m_bAdd ? QStringLiteral("Add VLAN") : QStringLiteral("Edit VLAN"));
    m_pVid->setEnabled(m_bAdd);
    move(200, 200);
    m_helper.StartTrunkWalk();
    return true;
}

int CVlanEditDlg::Choice(int nPort) const
{
    if (nPort < 1 || nPort > m_nPortNum)
        return kNotMember;
    const auto i = static_cast<std::size_t>(nPort - 1);
    return m_untagged[i] ? kUntag : m_egress[i] ? kTag : kNotMember;
}

void CVlanEditDlg::SetChoice(int nPort, int nBox)
{
    const auto i = static_cast<std::size_t>(nPort - 1);
    m_egress[i] = nBox != kNotMember;
    m_untagged[i] = nBox == kUntag;
    m_notMember[i] = nBox == kNotMember;
    for (int b = 0; b < 3; ++b)
        m_boxes[i * 3 + static_cast<std::size_t>(b)]->setChecked(b == nBox);
}

void CVlanEditDlg::OnPortBox(int nPort, int nBox, bool bChecked)
{
    if (nPort < 1 || nPort > m_nPortNum || nBox < kTag || nBox > kNotMember)
        return;
    const auto i = static_cast<std::size_t>(nPort - 1);
    QCheckBox* pBox = m_boxes[i * 3 + static_cast<std::size_t>(nBox)];
    // A click on the checked box keeps it: the three boxes are one choice.
    if (!bChecked) {
        pBox->setChecked(true);
        return;
    }
    if (nBox == kUntag && m_nMode == kAsymmetricOff && PortInList(m_strUntaggedAnywhere, nPort)) {
        // Without asymmetric VLANs a port is untagged in one VLAN only.
        pBox->setChecked(false);
        return;
    }
    const bool bWasUntagged = m_untagged[i] != 0;
    SetChoice(nPort, nBox);
    if (!m_bAdd && bWasUntagged && nBox != kUntag && m_untaggedBefore[i]) {
        m_strUntaggedAnywhere = WithoutPort(m_strUntaggedAnywhere, nPort);
        m_untaggedBefore[i] = 0;
    }
}

QString CVlanEditDlg::CheckInput() const
{
    if (m_bAdd) {
        const int nVid = VidFromText(m_pVid->text().left(9));
        if (nVid < 2 || nVid > 4094)
            return QStringLiteral("Invalid VLAN ID, VLAN ID should be (2-4094) !");
        if (FindVlan(m_vlans, nVid))
            return QStringLiteral("The VLAN ID has been used, please input again !");
    }
    if (HasForbiddenNameChar(m_pName->text().left(99)))
        return QStringLiteral("Invalid Vlan Name.");
    if (!m_helper.Trunks().KeepsTrunksWhole(m_egress) || !m_helper.Trunks().KeepsTrunksWhole(m_untagged))
        return QStringLiteral("Members in VLAN have to be in the same trunk !");
    if (!m_bAdd && std::none_of(m_egress.begin(), m_egress.end(), [](int f) { return f != 0; })) {
        const bool bOthers = std::any_of(m_vlans.begin(), m_vlans.end(),
                                         [this](const VlanEntry& e) { return e.vid != m_nVid && e.egressCount > 0; });
        if (!bOthers)
            return QStringLiteral("You have to include at least one member in the vlan");
    }
    return QString();
}

void CVlanEditDlg::OnOK()
{
    const QString strError = CheckInput();
    if (!strError.isEmpty()) {
        AppMessageBox(strError, this);
        return;
    }
    const int nVid = m_bAdd ? VidFromText(m_pVid->text()) : m_nVid;
    bool bDone = WritePorts(nVid);
    if (bDone) {
        m_helper.SetName(nVid, m_pName->text());
        QThread::msleep(50);
        bDone = m_helper.SetRowState(nVid, oid::kRowActive);
    }
    if (!bDone) {
        // No VLAN is left active (or out of service) with ports that were not chosen: a new row goes
        // again, an edited one gets its lists back and is active again.
        if (m_bAdd)
            m_helper.SetRowState(nVid, oid::kRowDestroy);
        else
            Restore(nVid);
        AppMessageBox(QStringLiteral("Setting the VLAN member ports failed."), this);
        return;
    }
    accept();
}

// The row state, then every port as an egress member (so that the new untagged ports fit), then the
// untagged ports, then the egress ports; false at the first write the agent refuses.
bool CVlanEditDlg::WritePorts(int nVid)
{
    if (m_bAdd) {
        if (!m_helper.SetRowState(nVid, oid::kRowCreateAndWait))
            return false;
    } else if (nVid != 1) {
        if (!m_helper.SetRowState(nVid, oid::kRowNotInService))
            return false;
    }
    if (nVid != 1) {
        const std::vector<int> all(static_cast<std::size_t>(m_nPortNum), 1);
        if (!m_helper.SetPortList(nVid, all, false, " ======szAllPortList========== ", this))
            return false;
    }
    if (!m_helper.SetPortList(nVid, m_untagged, true, " ======szUntagged========== ", this))
        return false;
    return m_helper.SetPortList(nVid, m_egress, false, " ======szPortList========== ", this);
}

void CVlanEditDlg::Restore(int nVid)
{
    const VlanEntry* pEntry = FindVlan(m_vlans, nVid);
    if (pEntry) {
        const std::vector<int> all(static_cast<std::size_t>(m_nPortNum), 1);
        m_helper.SetPortList(nVid, all, false, " ======szAllPortList========== ", this);
        m_helper.SetPortList(nVid, PortFlagsFromList(pEntry->untaggedList, m_nPortNum), true,
                             " ======szUntagged========== ", this);
        m_helper.SetPortList(nVid, PortFlagsFromList(pEntry->egressList, m_nPortNum), false,
                             " ======szPortList========== ", this);
    }
    m_helper.SetRowState(nVid, oid::kRowActive);
}
