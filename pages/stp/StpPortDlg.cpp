#include "pages/stp/StpPortDlg.h"

#include "core/Settings.h"
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
#include <QVBoxLayout>

namespace {

using T = CStpPortTableDlg;

QLabel* ValueText(QWidget* pParent, int nId)
{
    auto* pLabel = SetControlId(new QLabel(pParent), nId);
    pLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pLabel->setMinimumWidth(80);
    return pLabel;
}

} // namespace

CStpPortDlg::CStpPortDlg(std::vector<QStringList> rows, int nRow, QWidget* parent)
    : CPageDlg(IDD, parent), m_rows(std::move(rows)), m_nRow(nRow)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPSet, "m_cCommonSNMPSet");
    AddSession(m_cCommonSNMPTable, "m_cCommonSNMPTable");

    m_pPrev = AddButton(IDC_PREV, QStringLiteral("<= Prev Port"), [this] { OnPrev(); });
    m_pNext = AddButton(IDC_NEXT, QStringLiteral("Next Port =>"), [this] { OnNext(); });
    m_pPriority = SetControlId(new QComboBox(this), IDC_PRIORITY);
    m_pPriority->setEditable(true);
    for (int n = 0; n <= 240; n += 16)
        m_pPriority->addItem(QString::number(n));
    m_pPriority->lineEdit()->setValidator(new QIntValidator(0, 65535, m_pPriority));
    m_pPathCost = SetControlId(new QLineEdit(this), IDC_PATH_COST);
    m_pPathCost->setMaxLength(9);
    // A sign may be typed, so that a negative cost meets its message.
    m_pPathCost->setValidator(new QIntValidator(-99999999, 999999999, m_pPathCost));
    m_pPathCost->setMaximumWidth(110);
    m_pEnable = SetControlId(new QCheckBox(QStringLiteral("Enable"), this), IDC_ENABLE);
    m_pPort = ValueText(this, IDC_PORT);
    m_pStatus = ValueText(this, IDC_STATUS);
    m_pDesignatedRoot = ValueText(this, IDC_DESIGNATED_ROOT);
    m_pDesignatedCost = ValueText(this, IDC_DESIGNATED_COST);
    m_pDesignatedBridge = ValueText(this, IDC_DESIGNATED_BRIDGE);
    m_pDesignatedPort = ValueText(this, IDC_DESIGNATED_PORT);
    m_pForwardings = ValueText(this, IDC_FORWARDINGS);
    auto* pApply = AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); });
    auto* pOk = AddButton(IDOK, QStringLiteral("OK"), [this] { OnOK(); });
    auto* pCancel = AddButton(IDCANCEL, QStringLiteral("Cancel"), [this] { reject(); });

    auto label = [this](const char* pszText) { return new QLabel(QString::fromLatin1(pszText), this); };
    auto* pLayout = new QVBoxLayout(this);
    auto* pTop = new QHBoxLayout;
    pTop->addWidget(label("Port:"));
    pTop->addWidget(m_pPort);
    pTop->addStretch();
    pTop->addWidget(m_pPrev);
    pTop->addWidget(m_pNext);
    pLayout->addLayout(pTop);

    auto* pSettings = new QGroupBox(QStringLiteral("Settings"), this);
    auto* pSettingsRow = new QHBoxLayout(pSettings);
    pSettingsRow->addWidget(label("Priority:"));
    pSettingsRow->addWidget(m_pPriority);
    pSettingsRow->addSpacing(16);
    pSettingsRow->addWidget(label("Cost:(1-200000000,\n0=auto)"));
    pSettingsRow->addWidget(m_pPathCost);
    pSettingsRow->addSpacing(16);
    pSettingsRow->addWidget(m_pEnable);
    pSettingsRow->addStretch();
    pLayout->addWidget(pSettings);

    auto* pState = new QGroupBox(QStringLiteral("Port State"), this);
    auto* pGrid = new QGridLayout(pState);
    const struct {
        const char* pszLabel;
        QLabel* pValue;
    } values[] = {
        {"Status:", m_pStatus},
        {"Designated Root:", m_pDesignatedRoot},
        {"Designated Cost:", m_pDesignatedCost},
        {"Designated Bridge:", m_pDesignatedBridge},
        {"Designated Port:", m_pDesignatedPort},
        {"Forward Transitions:", m_pForwardings},
    };
    int nRowInGrid = 0;
    for (const auto& v : values) {
        pGrid->addWidget(label(v.pszLabel), nRowInGrid, 0);
        pGrid->addWidget(v.pValue, nRowInGrid++, 1);
    }
    pGrid->setColumnStretch(1, 1);
    pLayout->addWidget(pState);

    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    pBottom->addWidget(pApply);
    pBottom->addWidget(pOk);
    pBottom->addWidget(pCancel);
    pLayout->addLayout(pBottom);
    resize(500, 330);
}

bool CStpPortDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    m_pPriority->setCurrentText(QStringLiteral("0"));
    // The trunks come while the page runs; Apply checks against what has arrived.
    m_trunks.Start(std::max(g_nDevicePortNum, 0));
    ShowPort();
    setWindowTitle(QStringLiteral(" Port STP Configuration"));
    return true;
}

void CStpPortDlg::ShowPort()
{
    const int nLast = static_cast<int>(m_rows.size()) - 1;
    m_nRow = std::clamp(m_nRow, 0, std::max(nLast, 0));
    // Each button says whether there is a port on its side (a table of one or two rows included).
    m_pPrev->setEnabled(m_nRow > 0);
    m_pNext->setEnabled(m_nRow < nLast);
    if (m_rows.empty())
        return;
    const QStringList& row = m_rows[static_cast<std::size_t>(m_nRow)];
    m_pPort->setText(row.value(T::kColPort));
    m_pStatus->setText(row.value(T::kColStatus));
    m_pDesignatedRoot->setText(row.value(T::kColDesignatedRoot));
    m_pDesignatedCost->setText(row.value(T::kColDesignatedCost));
    m_pDesignatedBridge->setText(row.value(T::kColDesignatedBridge));
    m_pDesignatedPort->setText(row.value(T::kColDesignatedPort));
    m_pForwardings->setText(row.value(T::kColForwardings));

    // The port's settings as the switch holds them now.
    if (!m_cCommonSNMP.Open(kSnmpPduGet))
        return;
    const QString strIndex = QLatin1Char('.') + row.value(T::kColPort);
    for (int c : {oid::kStpPortPriority, oid::kStpPortPathCost, oid::kStpPortEnable})
        m_cCommonSNMP.AddOid(oid::StpPortColumn(c) + strIndex, kSnmpTypeNull, nullptr);
    std::unique_ptr<CSnmp> pReply;
    const int rc = RunWhileResponsive(this, [&] { return m_cCommonSNMP.Send(pReply, 0); });
    if (rc != 0 || !pReply || pReply->getValuesCount() < 3)
        return;
    QString strValues[3];
    for (int i = 0; i < 3; ++i) {
        int nType = 0;
        pReply->getValue(i, nType, strValues[i]);
    }
    m_pPriority->setCurrentText(strValues[0]);
    m_pPathCost->setText(strValues[1]);
    m_pEnable->setChecked(strValues[2] == QLatin1String("1"));
}

void CStpPortDlg::OnPrev()
{
    --m_nRow;
    ShowPort();
}

void CStpPortDlg::OnNext()
{
    ++m_nRow;
    ShowPort();
}

void CStpPortDlg::OnApply()
{
    if (m_rows.empty())
        return;
    const int nPriority = m_pPriority->currentText().toInt();
    const int nPathCost = m_pPathCost->text().toInt();
    if (nPathCost < 0 || nPathCost > kMaxPathCost) {
        AppMessageBox(QStringLiteral("Invalid Path Cost(1-200000000)"), this);
        return;
    }
    const QStringList& row = m_rows[static_cast<std::size_t>(m_nRow)];
    const QString strPort = row.value(T::kColPort);
    const QString strEnable = m_pEnable->isChecked() ? QStringLiteral("Y") : QStringLiteral("N");
    // A trunk's members share their STP settings: a member keeps them.
    if (m_trunks.TrunkOf(strPort.toInt()) != 0) {
        if (QString::number(nPriority) == row.value(T::kColPriority) &&
            QString::number(nPathCost) == row.value(T::kColCost) && strEnable == row.value(T::kColEnable))
            return;
        AppMessageBox(QStringLiteral("Cannot add ports with different STP configurations to an aggregated link."), this);
        return;
    }
    if (!m_cCommonSNMPSet.Open(kSnmpPduSet))
        return;
    const QString strIndex = QLatin1Char('.') + strPort;
    m_cCommonSNMPSet.AddOid(oid::StpPortColumn(oid::kStpPortPriority) + strIndex, kSnmpTypeInteger,
                            QString::number(nPriority));
    m_cCommonSNMPSet.AddOid(oid::kStpPortCost + strIndex, kSnmpTypeInteger, QString::number(nPathCost));
    m_cCommonSNMPSet.AddOid(oid::StpPortColumn(oid::kStpPortEnable) + strIndex, kSnmpTypeInteger,
                            m_pEnable->isChecked() ? QStringLiteral("1") : QStringLiteral("2"));
    // No message either way: the table read again shows what the switch holds.
    RunWhileResponsive(this, [this] {
        std::unique_ptr<CSnmp> pReply;
        return m_cCommonSNMPSet.Send(pReply, 0);
    });
}

void CStpPortDlg::OnOK()
{
    OnApply();
    accept();
}
