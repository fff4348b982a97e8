#include "pages/lldp/LldpGlobalDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/MessageBox.h"
#include "pages/common/PortList.h"
#include "pages/common/Responsive.h"
#include "pages/lldp/LldpOids.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <QVBoxLayout>

namespace {

// The read, values 0 to 8 in this order.
const QStringList& ReadOids()
{
    static const QStringList oids = {oid::kLldpState,
                                     oid::kLldpTxHold,
                                     oid::kLldpTxInterval,
                                     oid::kLldpReinitDelay,
                                     oid::kLldpTxDelay,
                                     oid::kLldpLocChassisIdSubtype,
                                     oid::kLldpLocChassisId,
                                     oid::kLldpLocSysName,
                                     oid::kLldpLocSysDesc};
    return oids;
}

QLineEdit* Edit(QWidget* pParent, int nId, bool bReadOnly)
{
    auto* pEdit = SetControlId(new QLineEdit(pParent), nId);
    pEdit->setReadOnly(bReadOnly);
    return pEdit;
}

} // namespace

CLldpGlobalDlg::CLldpGlobalDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPSet, "m_cCommonSNMPSet");

    m_pEnable = SetControlId(new QCheckBox(QStringLiteral(" LLDP Enable "), this), IDC_ENABLE);
    m_pApplyState = AddButton(IDC_APPLY_STATE, QStringLiteral("Apply"), [this] { OnApplyState(); });
    m_pTxHold = Edit(this, IDC_TX_HOLD, false);
    m_pTxInterval = Edit(this, IDC_TX_INTERVAL, false);
    m_pReinitDelay = Edit(this, IDC_REINIT_DELAY, false);
    m_pTxDelay = Edit(this, IDC_TX_DELAY, false);
    m_pApplyParameters = AddButton(IDC_APPLY_PARAMETERS, QStringLiteral("Apply"), [this] { OnApplyParameters(); });
    m_pChassisSubtype = Edit(this, IDC_CHASSIS_SUBTYPE, true);
    m_pChassisId = Edit(this, IDC_CHASSIS_ID, true);
    m_pSystemName = Edit(this, IDC_SYSTEM_NAME, true);
    m_pSystemDescription = Edit(this, IDC_SYSTEM_DESCRIPTION, true);
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });

    auto label = [this](const char* pszText) { return new QLabel(QString::fromLatin1(pszText), this); };
    auto* pLayout = new QVBoxLayout(this);
    auto* pState = new QHBoxLayout;
    pState->addWidget(m_pEnable);
    pState->addStretch();
    pState->addWidget(m_pApplyState);
    pLayout->addLayout(pState);

    auto* pTimers = new QGroupBox(QStringLiteral("LLDP Parameters"), this);
    auto* pTimerGrid = new QGridLayout(pTimers);
    const struct {
        const char* pszLabel;
        QLineEdit* pEdit;
        const char* pszUnit;
    } timers[] = {
        {"Message TX Hold Multiplier:", m_pTxHold, "(2-10)"},
        {"Message TX Interval:", m_pTxInterval, "(5-32768) Sec"},
        {"LLDP Reinit Delay:", m_pReinitDelay, "(1-10) Sec"},
        {"LLDP TX Delay:", m_pTxDelay, "(1-8192) Sec"},
    };
    int nRow = 0;
    for (const auto& t : timers) {
        pTimerGrid->addWidget(label(t.pszLabel), nRow, 0);
        pTimerGrid->addWidget(t.pEdit, nRow, 1);
        pTimerGrid->addWidget(label(t.pszUnit), nRow, 2);
        ++nRow;
    }
    pTimerGrid->addWidget(m_pApplyParameters, nRow, 2, Qt::AlignRight);
    pLayout->addWidget(pTimers);

    auto* pLocal = new QGroupBox(QStringLiteral("Local System Information"), this);
    auto* pLocalGrid = new QGridLayout(pLocal);
    const std::pair<const char*, QLineEdit*> fields[] = {{"Chassis ID Subtype:", m_pChassisSubtype},
                                                         {"Chassis ID:", m_pChassisId},
                                                         {"System Name:", m_pSystemName},
                                                         {"System Description:", m_pSystemDescription}};
    nRow = 0;
    for (const auto& [pszLabel, pEdit] : fields) {
        pLocalGrid->addWidget(label(pszLabel), nRow, 0);
        pLocalGrid->addWidget(pEdit, nRow++, 1);
    }
    pLayout->addWidget(pLocal);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    pBottom->addWidget(pClose);
    pLayout->addLayout(pBottom);
    resize(520, 400);

    // One GET of the nine values.
    m_walk.SetAcceptCount(static_cast<int>(ReadOids().size()));
    m_walk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        for (int i = 0; i <= 4; ++i)
            cells << reply.Value(i);
        cells << LldpChassisSubtypeText(reply.Value(5)) << ByteDump(reply.Bytes(6))
              << CUtf8Text::FromDevice(reply.Bytes(7)) << CUtf8Text::FromDevice(reply.Bytes(8));
        return true;
    });
    m_walk.SetRowSink([this](const QStringList& cells) { ShowValues(cells); });
    m_walk.SetEndSink([this](int) { m_pApplyState->setEnabled(true); });
}

bool CLldpGlobalDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("LLDP Global Settings"));
    OnRead();
    return true;
}

void CLldpGlobalDlg::OnRead()
{
    m_walk.Start(ReadOids(), kSnmpPduGet);
}

void CLldpGlobalDlg::ShowValues(const QStringList& cells)
{
    m_pEnable->setChecked(cells.value(0) == QLatin1String("1"));
    m_pTxHold->setText(cells.value(1));
    m_pTxInterval->setText(cells.value(2));
    m_pReinitDelay->setText(cells.value(3));
    m_pTxDelay->setText(cells.value(4));
    m_pChassisSubtype->setText(cells.value(5));
    m_pChassisId->setText(cells.value(6));
    m_pSystemName->setText(cells.value(7));
    m_pSystemDescription->setText(cells.value(8));
}

int CLldpGlobalDlg::SendRetried()
{
    // Silent either way: the read that follows shows what the switch holds.
    return RunWhileResponsive(this, [this] {
        for (int nAttempt = 0; nAttempt < kWriteAttempts; ++nAttempt) {
            if (nAttempt > 0)
                QThread::msleep(kRetryPauseMs);
            std::unique_ptr<CSnmp> pReply;
            if (m_cCommonSNMPSet.GetNextSync(pReply, 0) == 0) {
                QThread::msleep(kAfterWriteMs);
                return 0;
            }
        }
        return -1;
    });
}

void CLldpGlobalDlg::OnApplyState()
{
    CWaitCursor wait;
    m_pApplyState->setEnabled(false);
    if (m_cCommonSNMPSet.Open(kSnmpPduSet)) {
        m_cCommonSNMPSet.AddOid(oid::kLldpState, kSnmpTypeInteger, m_pEnable->isChecked() ? "1" : "2");
        SendRetried();
    }
    // The read's end enables Apply again.
    OnRead();
}

void CLldpGlobalDlg::OnApplyParameters()
{
    if (!m_cCommonSNMPSet.Open(kSnmpPduSet))
        return;
    const struct {
        QLineEdit* pEdit;
        const QString& strOid;
        int nMin, nMax;
        const char* pszMessage;
    } checks[] = {
        {m_pTxHold, oid::kLldpTxHold, 2, 10, "The Message TX Hold Multipier should be 2-10"},
        {m_pTxInterval, oid::kLldpTxInterval, 5, 32768, "The Message TX Hold Multipier should be 5-32768 "},
        {m_pReinitDelay, oid::kLldpReinitDelay, 1, 10, "The LLDP Reinit Delay should be 1-10"},
        {m_pTxDelay, oid::kLldpTxDelay, 1, 8192, "The LLDP TX Delay should be 1-8192"},
    };
    for (const auto& c : checks) {
        const int n = c.pEdit->text().trimmed().toInt();
        if (n < c.nMin || n > c.nMax) {
            AppMessageBox(QString::fromLatin1(c.pszMessage), this);
            return;
        }
        m_cCommonSNMPSet.AddOid(c.strOid, kSnmpTypeInteger, QString::number(n));
    }
    // IEEE 802.1AB: the TX delay is at most a quarter of the TX interval.
    if (m_pTxInterval->text().trimmed().toInt() * 0.25 < m_pTxDelay->text().trimmed().toInt()) {
        AppMessageBox(QStringLiteral("LLDP TX Delay should be <= 0.25 * (Message TX Interval)"), this);
        return;
    }
    CWaitCursor wait;
    m_pApplyParameters->setEnabled(false);
    SendRetried();
    OnRead();
    m_pApplyParameters->setEnabled(true);
}
