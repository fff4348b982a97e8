#include "pages/traffic/ArpSpoofingDlg.h"

#include "core/Settings.h"
#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/IpAddressCtrl.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/common/PortGrid.h"
#include "pages/common/PortList.h"
#include "pages/common/Responsive.h"
#include "pages/common/SwitchOids.h"
#include "pages/traffic/TrafficOids.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>


// The list page.

CArpSpoofingDlg::CArpSpoofingDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPTable, "m_cCommonSNMPTable");
    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pTotal = SetControlId(new QLabel(QStringLiteral("0"), this), IDC_TOTAL);
    auto* pAdd = AddButton(IDC_ADD, QStringLiteral("Add"), [this] { OnAdd(); });
    auto* pDelete = AddButton(IDC_DELETE, QStringLiteral("Delete"), [this] { OnDelete(); });
    m_pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pList);
    auto* pBottom = new QHBoxLayout;
    pBottom->addWidget(new QLabel(QStringLiteral("Total Entries:"), this));
    pBottom->addWidget(m_pTotal);
    pBottom->addStretch();
    for (QWidget* p : std::initializer_list<QWidget*>{pAdd, pDelete, m_pRefresh, pClose})
        pBottom->addWidget(p);
    pLayout->addLayout(pBottom);
    resize(640, 360);

    const int nPortNum = std::max(g_nDevicePortNum, 0);
    m_walk.SetRefresh(m_pRefresh);
    m_walk.SetAcceptCount(4);
    // Only active entries are listed.
    m_walk.SetRenderer([nPortNum](const CWalkReply& reply, QStringList& cells) {
        if (reply.Value(3) != QLatin1String(oid::kRowActive))
            return false;
        cells << reply.Value(0) << FormatMacBytes(reply.Bytes(1)) << PortRangeFromBitmap(reply.Bytes(2), nPortNum);
        return true;
    });
    m_walk.SetList(m_pList, m_pTotal);
    m_walk.SetNumberedRows(true);
}

bool CArpSpoofingDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("ARP Spoofing Prevention Setting"));
    int nCol = 0;
    for (const char* pszHeading : {"Index", "Router/Gateway IP Address", "Router/Gateway MAC Address", "Ports"})
        InsertColumnAuto(*m_pList, nCol++, Heading(pszHeading, 4));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    m_pList->header()->setStretchLastSection(true);  // port ranges are longer than their heading
    OnRefresh();
    return true;
}

void CArpSpoofingDlg::OnRefresh()
{
    m_pList->DeleteAllItems();
    m_pTotal->setText(QStringLiteral("0"));
    QStringList columns;
    for (int c = oid::kArpGatewayIp; c <= oid::kArpRowStatus; ++c)
        columns << oid::ArpSpoofingColumn(c);
    m_walk.Start(columns);
}

void CArpSpoofingDlg::OnAdd()
{
    if (m_pList->GetItemCount() >= kMaxEntries) {
        AppMessageBox(QStringLiteral("The Maximum of Entry is 64, can not add any more"), this);
        return;
    }
    CArpSpoofingAddDlg page(std::max(g_nDevicePortNum, 0), this);
    RunSubPage(page);
    OnRefresh();
}

void CArpSpoofingDlg::OnDelete()
{
    const int nRow = m_pList->GetSelectedRow();
    if (nRow < 0) {
        AppMessageBox(QStringLiteral("Please select the entry you would be delete!"), this);
        return;
    }
    const QString strStatus = oid::ArpSpoofingColumn(oid::kArpRowStatus) + QLatin1Char('.') + m_pList->GetItemText(nRow, 1);
    if (SendSetWhileResponsive(this, m_cCommonSNMP, [&] { m_cCommonSNMP.AddOid(strStatus, kSnmpTypeInteger, oid::kRowDestroy); }))
        OnRefresh();
}

// The add page.

namespace {

const CResizeAnchor kAddAnchors[] = {
    {CArpSpoofingAddDlg::IDC_APPLY, CResizeDlg::kMoveXY, 100},
    {CPageDlg::IDCANCEL, CResizeDlg::kMoveXY, 100},
    {CArpSpoofingAddDlg::IDC_GROUP_PORTS, CResizeDlg::kSizeXY, 100},
};

} // namespace

CArpSpoofingAddDlg::CArpSpoofingAddDlg(int nPortNum, QWidget* parent) : CResizeDlg(IDD, parent), m_nPortNum(std::max(nPortNum, 0))
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPTable, "m_cCommonSNMPTable");

    const CPortGrid grid = TrunkMemberGrid(m_nPortNum);
    const int nWidth = std::max(grid.window.width(), 440);
    auto* pIpLabel = new QLabel(QStringLiteral("Router/Gateway IP Address"), this);
    pIpLabel->setGeometry(20, 15, 190, 20);
    m_pIp = SetControlId(new CIpAddressCtrl(this), IDC_IP);
    m_pIp->setGeometry(215, 12, 200, 24);
    auto* pMacLabel = new QLabel(QStringLiteral("Router/Gateway MAC Address"), this);
    pMacLabel->setGeometry(20, 45, 190, 20);
    m_pMac = SetControlId(new QLineEdit(this), IDC_MAC);
    m_pMac->setGeometry(215, 42, 200, 24);
    m_pMac->setMaxLength(17);

    // The port boxes sit where the trunk member boxes do, below the address fields.
    constexpr int kTop = 75;
    const int nLines = grid.Lines(m_nPortNum);
    auto* pPorts = SetControlId(new QGroupBox(QStringLiteral("Ports"), this), IDC_GROUP_PORTS);
    pPorts->setGeometry(10, kTop, nWidth - 20, grid.origin.y() + nLines * grid.nLinePitch);
    pPorts->lower();
    m_pAllPorts = SetControlId(new QCheckBox(QStringLiteral("All Ports"), this), IDC_ALL_PORTS);
    m_pAllPorts->setGeometry(20, kTop + 18, 100, 20);
    for (int p = 1; p <= m_nPortNum; ++p) {
        const QPoint cell = grid.Cell(p) + QPoint(0, kTop - 20);
        auto* pLabel = new QLabel(QString::number(p), this);
        pLabel->setGeometry(cell.x() - 2, cell.y() - 18, grid.nCellWidth + 4, 16);
        pLabel->setAlignment(Qt::AlignCenter);
        auto* pBox = SetControlId(new QCheckBox(this), IDC_BOX_BASE + p);
        pBox->setGeometry(cell.x(), cell.y(), grid.nCellWidth, 17);
        m_boxes.push_back(pBox);
    }
    connect(m_pAllPorts, &QCheckBox::toggled, this, [this](bool bAll) {
        for (QCheckBox* pBox : m_boxes)
            pBox->setChecked(bAll);
    });
    auto* pApply = AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); });
    auto* pCancel = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });
    const int nHeight = pPorts->geometry().bottom() + 50;
    pApply->setGeometry(nWidth - 180, nHeight - 38, 75, 25);
    pCancel->setGeometry(nWidth - 95, nHeight - 38, 75, 25);
    resize(nWidth, nHeight);
    SetAnchors(kAddAnchors, static_cast<int>(std::size(kAddAnchors)));
}

bool CArpSpoofingAddDlg::OnInitDialog()
{
    CResizeDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Add ARP Spoofing Prevention Entry"));
    // The trunks come while the page runs; Apply checks against what has arrived.
    m_trunks.Start(m_nPortNum);
    return true;
}

QString CArpSpoofingAddDlg::CheckGatewayIp(const std::array<int, 4>& fields, int nFilled)
{
    if (nFilled < 4)
        return QStringLiteral("Please enter correct IP format(ex:192.168.0.10)");
    if (fields == std::array<int, 4>{0, 0, 0, 0})
        return QStringLiteral("Invalid IP.");
    if (fields[0] == 0 || fields[0] == 255)
        return QStringLiteral("Invalid  IP.");
    if (fields[3] == 0 || fields[3] == 255)
        return QStringLiteral("Invalid IP.");
    // Host addresses of the class A, B and C ranges.
    const auto address = [](int a, int b, int c, int d) {
        return (static_cast<quint32>(a) << 24) | (static_cast<quint32>(b) << 16) | (static_cast<quint32>(c) << 8) |
               static_cast<quint32>(d);
    };
    const quint32 ip = address(fields[0], fields[1], fields[2], fields[3]);
    const bool bHost = (ip >= address(1, 0, 0, 1) && ip <= address(126, 255, 255, 254)) ||
                       (ip >= address(128, 1, 0, 1) && ip <= address(191, 254, 255, 254)) ||
                       (ip >= address(192, 0, 1, 1) && ip <= address(223, 255, 254, 254));
    return bHost ? QString() : QStringLiteral("Multicast IP is not allowed");
}

QString CArpSpoofingAddDlg::CheckGatewayMac(const QString& strMac)
{
    static const QRegularExpression kForm(QStringLiteral("^[0-9A-Fa-f]{2}(-[0-9A-Fa-f]{2}){5}$"));
    const QString strHex = QString(strMac).remove(QLatin1Char('-')).toLower();
    if (!kForm.match(strMac).hasMatch() || strHex == QLatin1String("000000000000"))
        return QStringLiteral("Please enter correct MAC format(ex:00-00-00-00-00-01)");
    if (strHex == QLatin1String("ffffffffffff"))
        return QStringLiteral("Broadcast MAC is not allowed.");
    if (strHex.left(2).toInt(nullptr, 16) & 0x01)
        return QStringLiteral("Multicast MAC address is not allowed.");
    return QString();
}

std::vector<int> CArpSpoofingAddDlg::PortFlags() const
{
    std::vector<int> flags;
    for (const QCheckBox* pBox : m_boxes)
        flags.push_back(pBox->isChecked() ? 1 : 0);
    return flags;
}

void CArpSpoofingAddDlg::OnApply()
{
    std::array<int, 4> fields{};
    const int nFilled = m_pIp->GetAddress(fields);
    QString strError = CheckGatewayIp(fields, nFilled);
    if (strError.isEmpty())
        strError = CheckGatewayMac(m_pMac->text());
    const std::vector<int> flags = PortFlags();
    if (strError.isEmpty() && !m_trunks.KeepsTrunksWhole(flags))
        strError = QStringLiteral("ARP Spoofing Prevention enabled port must match to the aggregated link port.");
    if (!strError.isEmpty()) {
        AppMessageBox(strError, this);
        return;
    }
    if (!AppQuestionBox(QStringLiteral("Make sure the host IP and MAC exists or you will lose the connection."), this))
        return;

    const QString strIndex = QLatin1Char('.') + m_pIp->Address();
    const QString strStatus = oid::ArpSpoofingColumn(oid::kArpRowStatus) + strIndex;
    const QByteArray mac = QByteArray::fromHex(m_pMac->text().remove(QLatin1Char('-')).toLatin1());
    // The entry is made out of service, filled, then put into service.
    if (!SendSetWhileResponsive(this, m_cCommonSNMP, [&] { m_cCommonSNMP.AddOid(strStatus, kSnmpTypeInteger, oid::kRowCreateAndWait); }))
        return;
    const bool bFilled = SendSetWhileResponsive(this, m_cCommonSNMP, [&] {
        m_cCommonSNMP.AddOidValue(oid::ArpSpoofingColumn(oid::kArpGatewayMac) + strIndex, kSnmpTypeOctetString, mac);
        m_cCommonSNMP.AddOidValue(oid::ArpSpoofingColumn(oid::kArpPorts) + strIndex, kSnmpTypeOctetString,
                                  PortBitmapFromFlags(flags, m_nPortNum));
    });
    if (bFilled && SendSetWhileResponsive(this, m_cCommonSNMP, [&] { m_cCommonSNMP.AddOid(strStatus, kSnmpTypeInteger, oid::kRowActive); })) {
        accept();
        return;
    }
    // An entry the switch did not take is not left behind half made.
    SendSetWhileResponsive(this, m_cCommonSNMP, [&] { m_cCommonSNMP.AddOid(strStatus, kSnmpTypeInteger, oid::kRowDestroy); });
}
