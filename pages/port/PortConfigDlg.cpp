#include "pages/port/PortConfigDlg.h"

#include "core/Settings.h"
#include "pages/common/Controls.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/common/Responsive.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <QVBoxLayout>

namespace {

// The port table, indexed by port: speed setting, operating mode, flow control setting, default
// priority, operating flow control and the connector in use.
const QString kSpeedSetting = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.13.1.2");
const QString kOperMode = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.13.1.3");
const QString kFlowControl = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.13.1.5");
const QString kDefaultPriority = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.12.3.1.1.2");
const QString kOperFlowControl = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.13.1.6");
const QString kMedia = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.13.1.7");

enum Column { kColIndex, kColSpeed, kColOperMode, kColFlow, kColPriority, kColOperFlow };

QString Pick(const QString& strValue, std::initializer_list<const char*> texts, const char* pszOther)
{
    bool ok = false;
    const int n = strValue.toInt(&ok);
    if (ok && n >= 1 && n <= static_cast<int>(texts.size()))
        return QString::fromLatin1(texts.begin()[n - 1]);
    return QString::fromLatin1(pszOther);
}

} // namespace

CPortConfigDlg::CPortConfigDlg(QWidget* parent, int nClickedPort)
    : CPageDlg(IDD, parent),
      m_nPortNum(std::max(g_nDevicePortNum, 0)),
      m_nExtraPortNum(ExtraPortNum(g_nDevicePortNum)),
      m_nClickedPort(nClickedPort)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPTable, "m_cCommonSNMPTable");
    // The trunk session is released by its own destructor.

    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pSpeed = SetControlId(new QComboBox(this), IDC_SPEED);
    m_pSpeed->addItems({QStringLiteral("1000M-Full"), QStringLiteral("100M-Full"), QStringLiteral("100M-Half"),
                        QStringLiteral("10M-Full"), QStringLiteral("10M-Half"), QStringLiteral("Auto"),
                        QStringLiteral("Disable")});
    m_pFlow = SetControlId(new QComboBox(this), IDC_FLOW);
    m_pPort = SetControlId(new QLineEdit(this), IDC_PORT);
    m_pPort->setReadOnly(true);
    m_pPort->setMaximumWidth(60);
    m_pRefresh = AddButton(IDC_REFRESH, QStringLiteral("&Refresh"), [this] { OnRefresh(); });
    m_pApply = AddButton(IDC_APPLY, QStringLiteral("&Apply"), [this] { OnApply(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("&Close"), [this] { reject(); });
    connect(m_pList, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* pItem) { OnClickRow(m_pList->indexOfTopLevelItem(pItem)); });
    connect(m_pList, &QTreeWidget::itemSelectionChanged, this, [this] { OnSelectionChanged(); });

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pList);
    auto* pEditRow = new QHBoxLayout;
    pEditRow->addWidget(new QLabel(QStringLiteral("Port:"), this));
    pEditRow->addWidget(m_pPort);
    pEditRow->addWidget(new QLabel(QStringLiteral("Speed:"), this));
    pEditRow->addWidget(m_pSpeed);
    pEditRow->addWidget(new QLabel(QStringLiteral("Flow Control:"), this));
    pEditRow->addWidget(m_pFlow);
    pEditRow->addStretch();
    pEditRow->addWidget(m_pApply);
    pLayout->addLayout(pEditRow);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    pBottom->addWidget(m_pRefresh);
    pBottom->addWidget(pClose);
    pLayout->addLayout(pBottom);
    resize(720, 460);

    // A row per port; the cells are the raw values, rendered on the page's thread where the row's
    // number (for the long operating-mode forms) is known.
    m_walk.SetAcceptCount(6);
    m_walk.SetFirstTimeout(kFirstReadTimeoutMs);
    m_walk.SetRefresh(m_pRefresh);
    m_walk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        for (int i = 0; i < 6; ++i)
            cells << reply.Value(i);
        return true;
    });
    m_walk.SetRowSink([this](const QStringList& cells) { AddPortRow(cells); });
    m_walk.SetEndSink([this](int nError) { OnPortWalkEnd(nError); });
}

bool CPortConfigDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Port Configuration"));
    InsertColumnAuto(*m_pList, kColIndex, QStringLiteral("Index "));
    InsertColumnAuto(*m_pList, kColSpeed, QStringLiteral("PortControlSpeed "));
    InsertColumnAuto(*m_pList, kColOperMode, QStringLiteral("OperMode  "));
    InsertColumnAuto(*m_pList, kColFlow, QStringLiteral("FlowControlMode  "));
    InsertColumnAuto(*m_pList, kColPriority, QStringLiteral("DefaultPriority  "));
    InsertColumnAuto(*m_pList, kColOperFlow, QStringLiteral("OperFlowControlMode  "));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    m_pFlow->addItems({QStringLiteral("Enable"), QStringLiteral("Disable")});
    m_pSpeed->setEnabled(false);
    m_pPortMedia.assign(static_cast<std::size_t>(m_nPortNum), 0);
    OnRefresh();
    return true;
}

QString CPortConfigDlg::SpeedText(const QString& strValue)
{
    return Pick(strValue, {"1000MFull", "100MFull", "100MHalf", "10MFull", "10MHalf", "Auto", "Disable"}, "1000MFull");
}

QString CPortConfigDlg::OperModeText(const QString& strValue)
{
    return Pick(strValue, {"Down", "1000MFull", "100MFull", "100MHalf", "10MFull", "10MHalf"}, "1000MFull");
}

QString CPortConfigDlg::OperModeLongText(const QString& strValue)
{
    return Pick(strValue, {"Down", "1000M C Full", "100M C Full", "100M C Half", "10M C Full", "10M C Half"},
                "1000M C Full");
}

QString CPortConfigDlg::FlowControlText(const QString& strValue)
{
    return strValue == QLatin1String("1") ? QStringLiteral("Enable") : QStringLiteral("Disable");
}

QString CPortConfigDlg::PriorityText(const QString& strValue)
{
    return Pick(strValue, {"Low", "Middle", "High", "Highest"}, "Low");
}

QString CPortConfigDlg::OperFlowControlText(const QString& strValue)
{
    if (strValue == QLatin1String("1"))
        return QStringLiteral("Enabled");
    if (strValue == QLatin1String("2"))
        return QStringLiteral("Disabled");
    return strValue;
}

QString CPortConfigDlg::OperModeShown(const QString& strValue, int nMedia, int nPort, int nPortNum, int nExtraPortNum,
                                      bool bAllGiga)
{
    const QString strShort = OperModeText(strValue);
    if (nPort <= nPortNum - nExtraPortNum || nPort > nPortNum)
        return strShort;
    QString strLong = OperModeLongText(strValue);
    switch (nMedia) {
    case kMedia100BaseX:
        if (strLong == QLatin1String("100M C Half"))
            return QStringLiteral("100M F Half");
        if (strLong == QLatin1String("100M C Full"))
            return QStringLiteral("100M F Full");
        return strLong;
    case kMedia1000BaseX:
        return strLong == QLatin1String("1000M C Full") ? QStringLiteral("1000M F Full") : strLong;
    case kMediaCopper:
        return (nPort <= nPortNum - 2 || bAllGiga) ? strLong : strShort;
    default:
        return strShort;
    }
}

QString CPortConfigDlg::SpeedTextOfIndex(int nIndex)
{
    return SpeedText(QString::number(nIndex + 1));
}

int CPortConfigDlg::MediaOf(int nPort) const
{
    if (nPort < 1 || nPort > static_cast<int>(m_pPortMedia.size()))
        return 0;
    return m_pPortMedia[static_cast<std::size_t>(nPort - 1)];
}

void CPortConfigDlg::OnRefresh()
{
    std::fill(m_pPortMedia.begin(), m_pPortMedia.end(), 0);
    m_trunks.Start(m_nPortNum);
    m_pList->DeleteAllItems();
    m_pApply->setEnabled(false);
    m_walk.Start({kSpeedSetting, kOperMode, kFlowControl, kDefaultPriority, kOperFlowControl, kMedia});
}

void CPortConfigDlg::AddPortRow(const QStringList& cells)
{
    const int nRow = m_pList->GetItemCount();
    const int nPort = nRow + 1;
    const int nMedia = cells.value(5).toInt();
    if (nPort <= m_nPortNum)
        m_pPortMedia[static_cast<std::size_t>(nPort - 1)] = nMedia;
    m_pList->InsertItem(nRow, QString::number(nPort));
    m_pList->SetItemText(nRow, kColSpeed, SpeedText(cells.value(0)));
    m_pList->SetItemText(nRow, kColOperMode,
                         OperModeShown(cells.value(1), nMedia, nPort, m_nPortNum, m_nExtraPortNum, g_bIsAllGiga != 0));
    m_pList->SetItemText(nRow, kColFlow, FlowControlText(cells.value(2)));
    m_pList->SetItemText(nRow, kColPriority, PriorityText(cells.value(3)));
    m_pList->SetItemText(nRow, kColOperFlow, OperFlowControlText(cells.value(4)));
}

void CPortConfigDlg::OnPortWalkEnd(int nError)
{
    (void)nError;  // rows read before an error stay; the buttons come back either way
    m_pApply->setEnabled(true);
    m_pRefresh->setEnabled(true);
    // Opened by a click on the panel: that port, as if its row were clicked.
    if (m_nClickedPort > 0) {
        const int nRow = RowOfPort(m_nClickedPort);
        m_nClickedPort = 0;
        if (nRow >= 0) {
            m_pList->SelectRow(nRow);
            m_pList->scrollToItem(m_pList->topLevelItem(nRow));
            OnClickRow(nRow);
        }
    }
}

int CPortConfigDlg::RowOfPort(int nPort) const
{
    const QString strPort = QString::number(nPort);
    for (int r = 0; r < m_pList->GetItemCount(); ++r)
        if (m_pList->GetItemText(r, kColIndex) == strPort)
            return r;
    return -1;
}

void CPortConfigDlg::OnSelectionChanged()
{
    const int nRow = m_pList->GetSelectedRow();
    if (nRow < 0)
        return;
    m_pSpeed->setEnabled(true);
    // The first item that begins with the row's speed text, as a combo box selects a string.
    const QString strSpeed = m_pList->GetItemText(nRow, kColSpeed);
    for (int i = 0; i < m_pSpeed->count(); ++i) {
        if (m_pSpeed->itemText(i).startsWith(strSpeed, Qt::CaseInsensitive)) {
            m_pSpeed->setCurrentIndex(i);
            break;
        }
    }
}

void CPortConfigDlg::OnClickRow(int nRow)
{
    if (nRow < 0 || nRow >= m_pList->GetItemCount())
        return;
    m_strSelectedPort = m_pList->GetItemText(nRow, kColIndex);
    m_pPort->setText(m_strSelectedPort);
    const QString strSpeed = m_pList->GetItemText(nRow, kColSpeed);
    for (int i = k1000Full; i <= kDisable; ++i) {
        if (strSpeed == SpeedTextOfIndex(i)) {
            m_pSpeed->setCurrentIndex(i);
            break;
        }
    }
    m_pFlow->setCurrentIndex(m_pList->GetItemText(nRow, kColFlow) == QLatin1String("Enable") ? 0 : 1);
}

QString CPortConfigDlg::CheckApply(int n, int s) const
{
    const QString strPort = QString::number(n);
    // Every member of a trunk runs the same speed.
    const int nTrunk = m_trunks.TrunkOf(n);
    if (nTrunk != 0) {
        const QString strSpeed = SpeedTextOfIndex(s);
        for (int p = 1; p <= m_nPortNum; ++p) {
            if (p == n || m_trunks.TrunkOf(p) != nTrunk)
                continue;
            const int nRow = RowOfPort(p);
            if (nRow < 0 || m_pList->GetItemText(nRow, kColSpeed) != strSpeed)
                return QStringLiteral("LA port can not support in different speed.");
        }
    }
    int nDisabled = 0;
    for (int r = 0; r < m_pList->GetItemCount(); ++r)
        if (m_pList->GetItemText(r, kColIndex) != strPort && m_pList->GetItemText(r, kColSpeed) == QLatin1String("Disable"))
            ++nDisabled;
    if (nDisabled + 1 == m_nPortNum && s == kDisable)
        return QStringLiteral("Sorry, you cannot disable all ports.");
    const int nMedia = MediaOf(n);
    if (nMedia == kMediaFast && s == k1000Full && !g_bIsAllGiga)
        return QStringLiteral("Port ") + strPort + QStringLiteral(" can not support 1000M speed.");
    if (s == kAuto && nMedia == kMedia100BaseX)
        return QStringLiteral("Fiber Port ") + strPort + QStringLiteral(" with 100Base-x SFP Module can not support in Auto mode.");
    if (nMedia == kMedia1000BaseX && s >= k100Full && s <= k10Half)
        return QStringLiteral("Fiber Port ") + strPort + QStringLiteral(" with 1000Base-x SFP Module can not support this speed.");
    if (nMedia == kMedia100BaseX && s != k100Full && s != k100Half && s != kDisable)
        return QStringLiteral("Fiber Port ") + strPort + QStringLiteral(" with 100Base-x SFP Module can not support this speed.");
    if (nTrunk != 0 && (s == k100Half || s == k10Half))
        return QStringLiteral("LA port ") + strPort + QStringLiteral(" can not support in half-duplex mode.");
    return QString();
}

void CPortConfigDlg::OnApply()
{
    if (m_strSelectedPort.isEmpty()) {
        AppMessageBox(QStringLiteral("Please Select one port !"), this);
        return;
    }
    const int n = m_strSelectedPort.toInt();
    const int s = m_pSpeed->currentIndex();
    const QString strError = CheckApply(n, s);
    if (!strError.isEmpty()) {
        AppMessageBox(strError, this);
        return;
    }
    if (!m_cCommonSNMP.Open(kSnmpPduSet))
        return;
    const int nSpeedCode = s + 1;
    if (nSpeedCode != 6 && nSpeedCode != 7
        && !AppQuestionBox(QStringLiteral("The speed is set to force mode. \n* The speed mode must be the same as the "
                                          "counterpart. "),
                           this))
        return;
    const QString strIndex = QLatin1Char('.') + m_strSelectedPort;
    // Trunk members keep their speed: the trunk's is set on the web interface.
    if (m_trunks.TrunkOf(n) == 0)
        m_cCommonSNMP.AddOid(kSpeedSetting + strIndex, kSnmpTypeInteger, QString::number(nSpeedCode));
    const int nFlowCode = m_pFlow->currentIndex() == 0 ? 1 : 2;
    if (nFlowCode == 1
        && !AppQuestionBox(QStringLiteral("QoS works best when Flow Control is disabled. \n* When Flow Control is "
                                          "enabled.QoS may not perform accurate bandwidth allocation. \n* Do you still "
                                          "want to enable Flow Control?. "),
                           this))
        return;
    m_cCommonSNMP.AddOid(kFlowControl + strIndex, kSnmpTypeInteger, QString::number(nFlowCode));

    // The write may take seconds against a slow switch: the page keeps painting meanwhile.
    m_pRefresh->setEnabled(false);
    const int rc = RunWhileResponsive(this, [this] {
        std::unique_ptr<CSnmp> pReply;
        return m_cCommonSNMP.GetNextSync(pReply, kWriteTimeoutMs);
    });
    m_pRefresh->setEnabled(true);
    if (rc != 0)
        QThread::msleep(50);
    // No message either way: the table read again shows what the switch holds.
    OnRefresh();
}
