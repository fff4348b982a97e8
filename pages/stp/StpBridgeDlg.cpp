#include "pages/stp/StpBridgeDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/MessageBox.h"
#include "pages/common/Responsive.h"
#include "pages/stp/StpOids.h"
#include "pages/stp/StpPortTableDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <QVBoxLayout>

namespace {

// The bridge read, values 0 to 12 in this order.
const QStringList& BridgeOids()
{
    static const QStringList oids = {
        oid::StpScalar(oid::kStpPriority),          oid::StpScalar(oid::kStpTimeSinceTopologyChange),
        oid::StpScalar(oid::kStpTopChanges),        oid::StpScalar(oid::kStpDesignatedRoot),
        oid::StpScalar(oid::kStpRootPort),          oid::StpScalar(oid::kStpBridgeMaxAge),
        oid::StpScalar(oid::kStpBridgeHelloTime),   oid::StpScalar(oid::kStpBridgeForwardDelay),
        oid::StpScalar(oid::kStpHelloTime),         oid::StpScalar(oid::kStpHoldTime),
        oid::StpScalar(oid::kStpForwardDelay),      oid::kStpState,
        oid::kStpVersion,
    };
    return oids;
}

// The read's reply holds more than 10 values.
constexpr int kBridgeValues = 11;
// The write waits this long before the reply is let go.
constexpr int kAfterWriteMs = 30;

QLineEdit* TimerEdit(QWidget* pParent, int nId)
{
    auto* pEdit = SetControlId(new QLineEdit(QStringLiteral("0"), pParent), nId);
    pEdit->setMaxLength(4);
    pEdit->setValidator(new QIntValidator(0, 9999, pEdit));
    pEdit->setMaximumWidth(70);
    return pEdit;
}

QLabel* ValueText(QWidget* pParent, int nId)
{
    auto* pLabel = SetControlId(new QLabel(pParent), nId);
    pLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pLabel->setMinimumWidth(60);
    return pLabel;
}

} // namespace

CStpBridgeDlg::CStpBridgeDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPSet, "m_cCommonSNMPSet");

    m_pMaxAge = TimerEdit(this, IDC_MAX_AGE);
    m_pForwardDelay = TimerEdit(this, IDC_FORWARD_DELAY);
    m_pHelloTime = TimerEdit(this, IDC_HELLO_TIME);
    m_pPriority = SetControlId(new QComboBox(this), IDC_PRIORITY);
    m_pPriority->setEditable(true);
    for (int n = 0; n <= 61440; n += 4096)
        m_pPriority->addItem(QString::number(n));
    m_pPriority->lineEdit()->setValidator(new QIntValidator(0, 65535, m_pPriority));
    m_pEnableRstp = SetControlId(new QCheckBox(QStringLiteral("Enable RSTP"), this), IDC_ENABLE_RSTP);
    m_pVersion = SetControlId(new QComboBox(this), IDC_VERSION);
    m_pVersion->addItems({QStringLiteral("RSTP"), QStringLiteral("STP Compatible")});
    m_pDesignatedRoot = ValueText(this, IDC_DESIGNATED_ROOT);
    m_pRootPort = ValueText(this, IDC_ROOT_PORT);
    m_pTimeSinceChange = ValueText(this, IDC_TIME_SINCE_CHANGE);
    m_pTopChanges = ValueText(this, IDC_TOP_CHANGES);
    m_pHelloTimeText = ValueText(this, IDC_HELLO_TIME_TEXT);
    m_pHoldTimeText = ValueText(this, IDC_HOLD_TIME_TEXT);
    m_pForwardDelayText = ValueText(this, IDC_FORWARD_DELAY_TEXT);
    m_pPortSetting = AddButton(IDC_PORT_SETTING, QStringLiteral("Port Setting"), [this] { OnPortSetting(); });
    auto* pApply = AddButton(IDOK, QStringLiteral("Apply"), [this] { OnApply(); });
    auto* pCancel = AddButton(IDCANCEL, QStringLiteral("Cancel"), [this] { reject(); });
    connect(m_pEnableRstp, &QCheckBox::clicked, this, [this] { OnEnableRstp(); });

    auto label = [this](const char* pszText) { return new QLabel(QString::fromLatin1(pszText), this); };
    auto* pLayout = new QVBoxLayout(this);
    auto* pTop = new QHBoxLayout;
    pTop->addWidget(m_pEnableRstp);
    pTop->addStretch();
    pTop->addWidget(label("Version:"));
    pTop->addWidget(m_pVersion);
    pLayout->addLayout(pTop);

    auto* pBridge = new QGroupBox(QStringLiteral("Bridge Parameters"), this);
    auto* pBridgeGrid = new QGridLayout(pBridge);
    pBridgeGrid->addWidget(label("Priority:"), 0, 0);
    pBridgeGrid->addWidget(m_pPriority, 0, 1);
    pBridgeGrid->addWidget(label("Max Age:"), 1, 0);
    pBridgeGrid->addWidget(m_pMaxAge, 1, 1);
    pBridgeGrid->addWidget(label("Hello Time:"), 1, 2);
    pBridgeGrid->addWidget(m_pHelloTime, 1, 3);
    pBridgeGrid->addWidget(label("Forward Delay:"), 1, 4);
    pBridgeGrid->addWidget(m_pForwardDelay, 1, 5);
    pBridgeGrid->addWidget(label("Time Unit: 1/100 Second"), 2, 0, 1, 6);
    pBridgeGrid->setColumnStretch(6, 1);
    pLayout->addWidget(pBridge);

    auto* pRoot = new QGroupBox(QStringLiteral("Root Bridge Information"), this);
    auto* pRootGrid = new QGridLayout(pRoot);
    // The root's id has a row of its own; the other values go in two columns.
    pRootGrid->addWidget(label("Designated Root:"), 0, 0);
    pRootGrid->addWidget(m_pDesignatedRoot, 0, 1, 1, 3);
    const struct {
        const char* pszLabel;
        QLabel* pValue;
        int nRow, nColumn;
    } values[] = {
        {"Root Port:", m_pRootPort, 1, 0},
        {"Topology Changes:", m_pTopChanges, 1, 2},
        {"Time Since Topology Change:", m_pTimeSinceChange, 2, 0},
        {"Hello Time:", m_pHelloTimeText, 2, 2},
        {"Hold Time:", m_pHoldTimeText, 3, 0},
        {"Forward Delay:", m_pForwardDelayText, 3, 2},
    };
    for (const auto& v : values) {
        pRootGrid->addWidget(label(v.pszLabel), v.nRow, v.nColumn);
        pRootGrid->addWidget(v.pValue, v.nRow, v.nColumn + 1);
    }
    pRootGrid->setColumnStretch(1, 1);
    pRootGrid->setColumnStretch(3, 1);
    pLayout->addWidget(pRoot);

    auto* pBottom = new QHBoxLayout;
    pBottom->addWidget(m_pPortSetting);
    pBottom->addStretch();
    pBottom->addWidget(pApply);
    pBottom->addWidget(pCancel);
    pLayout->addLayout(pBottom);
    resize(560, 330);

    // One GET of the thirteen values; the reply needs more than ten.
    m_walk.SetAcceptCount(kBridgeValues);
    m_walk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        for (int i = 0; i < reply.Count(); ++i)
            cells << (i == 3 ? BridgeIdText(reply.Bytes(i), reply.Value(i)) : reply.Value(i));
        return true;
    });
    m_walk.SetRowSink([this](const QStringList& cells) { ShowBridge(cells); });
}

bool CStpBridgeDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    m_pPriority->setCurrentText(QStringLiteral("0"));
    m_pVersion->setCurrentIndex(kRstp);
    OnRead();
    setWindowTitle(QStringLiteral(" STP Configuration"));
    // Nothing to set until the read shows the STP state.
    EnableSettings(false);
    m_pPortSetting->setEnabled(false);
    return true;
}

void CStpBridgeDlg::OnRead()
{
    m_walk.Start(BridgeOids(), kSnmpPduGet);
}

void CStpBridgeDlg::ShowBridge(const QStringList& cells)
{
    m_pPriority->setCurrentText(cells.value(0));
    m_pTimeSinceChange->setText(cells.value(1));
    m_pTopChanges->setText(cells.value(2));
    m_pDesignatedRoot->setText(cells.value(3));
    m_pRootPort->setText(cells.value(4));
    // The edits exchange integers.
    m_pMaxAge->setText(QString::number(cells.value(5).toInt()));
    m_pHelloTime->setText(QString::number(cells.value(6).toInt()));
    m_pForwardDelay->setText(QString::number(cells.value(7).toInt()));
    m_pHelloTimeText->setText(cells.value(8));
    m_pHoldTimeText->setText(cells.value(9));
    m_pForwardDelayText->setText(cells.value(10));
    const bool bOn = cells.value(11) == QLatin1String("1");
    m_pEnableRstp->setChecked(bOn);
    EnableSettings(bOn);
    m_pPortSetting->setEnabled(bOn);
    if (cells.value(12) == QLatin1String("0"))
        m_pVersion->setCurrentIndex(kStpCompatible);
    else if (cells.value(12) == QLatin1String("2"))
        m_pVersion->setCurrentIndex(kRstp);
}

void CStpBridgeDlg::EnableSettings(bool bEnable)
{
    for (QWidget* p : std::initializer_list<QWidget*>{m_pVersion, m_pPriority, m_pMaxAge, m_pForwardDelay, m_pHelloTime})
        p->setEnabled(bEnable);
}

void CStpBridgeDlg::OnEnableRstp()
{
    // Port Setting follows only the read and Apply.
    EnableSettings(m_pEnableRstp->isChecked());
}

QString CStpBridgeDlg::CheckTimers(int nMaxAge, int nForwardDelay, int nHelloTime)
{
    if (nMaxAge < 600 || nMaxAge > 4000)
        return QStringLiteral("Invalid Age Time value, the valid Age Time range is  (600-4000) ms !");
    if (nForwardDelay < 400 || nForwardDelay > 3000)
        return QStringLiteral("Invalid Forward Delay value, the valid Forward Delay range is (400-3000) ms !");
    if (nHelloTime < 100 || nHelloTime > 1000)
        return QStringLiteral("Invalid Hello Time value, the valid Hello Time range is (100-1000) ms !");
    if (nMaxAge < 2 * nHelloTime + 200)
        return QStringLiteral("To set the parameters Hello Time and Max Age the following relation is to be "
                              "satisfied: \nMax Age >= (2*(Hello Time + 1.0))");
    if (2 * nForwardDelay - 200 < nMaxAge)
        return QStringLiteral("To set the parameters Forward Delay and Max Age, the following relation is to be "
                              "satisfied: \n2*(Forward Delay - 1) >= Max Age");
    return QString();
}

void CStpBridgeDlg::OnApply()
{
    const int nMaxAge = m_pMaxAge->text().toInt();
    const int nForwardDelay = m_pForwardDelay->text().toInt();
    const int nHelloTime = m_pHelloTime->text().toInt();
    const int nPriority = m_pPriority->currentText().toInt();
    const QString strError = CheckTimers(nMaxAge, nForwardDelay, nHelloTime);
    if (!strError.isEmpty()) {
        AppMessageBox(strError, this);
        return;
    }
    if (!m_cCommonSNMPSet.Open(kSnmpPduSet))
        return;
    const bool bRstp = m_pEnableRstp->isChecked();
    m_cCommonSNMPSet.AddOid(oid::StpScalar(oid::kStpBridgeMaxAge), kSnmpTypeInteger, QString::number(nMaxAge));
    m_cCommonSNMPSet.AddOid(oid::StpScalar(oid::kStpBridgeHelloTime), kSnmpTypeInteger, QString::number(nHelloTime));
    m_cCommonSNMPSet.AddOid(oid::StpScalar(oid::kStpBridgeForwardDelay), kSnmpTypeInteger,
                            QString::number(nForwardDelay));
    m_cCommonSNMPSet.AddOid(oid::StpScalar(oid::kStpPriority), kSnmpTypeInteger, QString::number(nPriority));
    m_cCommonSNMPSet.AddOid(oid::kStpVersion, kSnmpTypeInteger,
                            m_pVersion->currentIndex() == kRstp ? QStringLiteral("2") : QStringLiteral("0"));
    m_cCommonSNMPSet.AddOid(oid::kStpState, kSnmpTypeInteger, bRstp ? QStringLiteral("1") : QStringLiteral("2"));
    m_pPortSetting->setEnabled(bRstp);
    // No message either way: the switch's values show at the next read.
    RunWhileResponsive(this, [this] {
        std::unique_ptr<CSnmp> pReply;
        const int rc = m_cCommonSNMPSet.Send(pReply, 0);
        QThread::msleep(kAfterWriteMs);
        return rc;
    });
}

void CStpBridgeDlg::OnPortSetting()
{
    CStpPortTableDlg table;
    RunSubPage(table);
}
