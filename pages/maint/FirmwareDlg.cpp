#include "pages/maint/FirmwareDlg.h"

#include "core/Trace.h"
#include "pages/common/Controls.h"
#include "pages/common/IpAddressCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/maint/GradientProgressCtrl.h"
#include "pages/maint/MaintOids.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

std::atomic<int> g_nStateTimeouts{0};

namespace {

std::atomic<double> g_dTimerScale{1.0};

constexpr int kAddressTimeoutMs = 10000;
constexpr int kOperationTimeoutMs = 15000;
constexpr int kStateTimeoutMs = 6000;

const QString kUpgradeQuestion = QStringLiteral(
    "The connection will be disconnected.\nPlease do not apply other changes when uploading.\n"
    "Reconnect to the device later when uploading completes.");
const QString kInvalidServer = QStringLiteral("Invalid TFTP server IP.");

// A request's time-out under the timer scale, never below a second (a loopback answer's worst case).
int ScaledTimeout(int nMs)
{
    return std::max(1000, static_cast<int>(std::lround(nMs * g_dTimerScale.load())));
}

} // namespace

void CFirmwareDlg::SetTimerScale(double dScale)
{
    g_dTimerScale = dScale > 0 ? dScale : 1.0;
}

double CFirmwareDlg::TimerScale()
{
    return g_dTimerScale;
}

CFirmwareDlg::CFirmwareDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPSetOp, "m_cCommonSNMPSetOp");

    m_pOperation = SetControlId(new QComboBox(this), IDC_OPERATION);
    m_pFileType = SetControlId(new QComboBox(this), IDC_FILE_TYPE);
    m_pFileType->addItems({QStringLiteral("Configuration"), QStringLiteral("Firmware")});
    m_pServer = SetControlId(new CIpAddressCtrl(this), IDC_SERVER);
    m_pFileName = SetControlId(new QLineEdit(this), IDC_FILE_NAME);
    m_pProgressLabel = SetControlId(new QLabel(QStringLiteral("Progress:"), this), IDC_PROGRESS_LABEL);
    m_pProgress = SetControlId(new CGradientProgressCtrl(this), IDC_PROGRESS);
    m_pProgress->setMinimumHeight(18);
    m_pApply = AddButton(IDC_APPLY, QStringLiteral("&Apply"), [this] { OnApply(); });
    m_pClose = AddButton(IDCANCEL, QStringLiteral("&Close"), [this] { reject(); });
    connect(m_pFileName, &QLineEdit::textChanged, this, [this] { OnFileNameChanged(); });

    for (int nId : {int(TIMER_STATE), int(TIMER_RESTORE), int(TIMER_PROGRESS), int(TIMER_OVERALL)}) {
        auto* pTimer = new QTimer(this);
        pTimer->setSingleShot(true);  // a timer is killed when it fires, before it is handled
        connect(pTimer, &QTimer::timeout, this, [this, nId] { OnTimer(nId); });
        m_timers[nId] = pTimer;
    }

    auto* pLayout = new QVBoxLayout(this);
    auto* pForm = new QFormLayout;
    pForm->addRow(QStringLiteral("Operation:"), m_pOperation);
    pForm->addRow(QStringLiteral("File Type:"), m_pFileType);
    pForm->addRow(QStringLiteral("TFTP Server IP:"), m_pServer);
    pForm->addRow(QStringLiteral("File Name:"), m_pFileName);
    pLayout->addLayout(pForm);
    auto* pBar = new QHBoxLayout;
    pBar->addWidget(m_pProgressLabel);
    pBar->addWidget(m_pProgress, 1);
    pLayout->addLayout(pBar);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    pBottom->addWidget(m_pApply);
    pBottom->addWidget(m_pClose);
    pLayout->addLayout(pBottom);
    resize(420, 210);

    m_walkAddress.SetFirstTimeout(ScaledTimeout(kAddressTimeoutMs));
    m_walkAddress.SetEndSink([this](int nError) { OnAddressEnd(nError); });
    m_walkOperation.SetFirstTimeout(ScaledTimeout(kOperationTimeoutMs));
    m_walkOperation.SetEndSink([this](int nError) { OnOperationEnd(nError); });
    m_walkState.SetFirstTimeout(ScaledTimeout(kStateTimeoutMs));
    m_walkState.SetRowSink([this](const QStringList& cells) { OnStateRow(cells); });
    m_walkState.SetEndSink([this](int nError) { OnStateEnd(nError); });
}

CFirmwareDlg::~CFirmwareDlg()
{
    DestroyWindow();
}

bool CFirmwareDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Firmware and Configuration Upgrade/Backup"));
    m_pOperation->addItems({QStringLiteral("Upgrade"), QStringLiteral("Backup")});
    m_pOperation->setCurrentIndex(0);
    m_pFileType->setCurrentIndex(0);
    m_pProgress->SetStartColor(kBarStart);
    m_pProgress->SetEndColor(kBarEnd);
    m_pProgress->SetRange(0, 100);
    m_pProgressLabel->hide();
    m_pProgress->hide();
    return true;
}

void CFirmwareDlg::DestroyWindow()
{
    if (IsDestroyed())
        return;
    // No timer may start another request once the sessions are closing.
    for (auto& [nId, pTimer] : m_timers)
        pTimer->stop();
    CPageDlg::DestroyWindow();
}

void CFirmwareDlg::SetTimer(int nIdEvent, int nElapseMs)
{
    if (IsDestroyed())
        return;
    const int nMs = std::max(1, static_cast<int>(std::lround(nElapseMs * TimerScale())));
    m_timers.at(nIdEvent)->start(nMs);
}

void CFirmwareDlg::KillTimer(int nIdEvent)
{
    m_timers.at(nIdEvent)->stop();
}

bool CFirmwareDlg::IsTimerActive(int nIdEvent) const
{
    auto it = m_timers.find(nIdEvent);
    return it != m_timers.end() && it->second->isActive();
}

void CFirmwareDlg::EnableControls(bool bEnable)
{
    for (QWidget* p : {static_cast<QWidget*>(m_pOperation), static_cast<QWidget*>(m_pFileType),
                       static_cast<QWidget*>(m_pServer), static_cast<QWidget*>(m_pFileName), m_pApply, m_pClose})
        p->setEnabled(bEnable);
}

void CFirmwareDlg::OnFileNameChanged()
{
    const QString strText = m_pFileName->text();
    if (strText.size() <= kMaxFileName)
        return;
    const int nCaret = std::min(m_pFileName->cursorPosition(), int(kMaxFileName));
    AppMessageBox(QStringLiteral("The maximum length of file name is 64!"), this);
    m_pFileName->setText(strText.left(kMaxFileName));
    m_pFileName->setCursorPosition(nCaret);
}

QString CFirmwareDlg::FailureText() const
{
    return m_nFileKind == 1 ? QStringLiteral("Firmware Upgrade Fail !") : QStringLiteral("Config Restore Fail !");
}

void CFirmwareDlg::OnApply()
{
    m_pProgressLabel->hide();
    m_pProgress->hide();
    m_bFinished = false;
    m_bPatient = false;
    if (m_pOperation->currentIndex() == 0 && !AppQuestionBox(kUpgradeQuestion, this))
        return;
    m_nProgress = 1;
    m_pProgress->SetPos(m_nProgress);  // not the last transfer's end
    m_pProgressLabel->show();
    m_pProgress->show();

    if (m_pServer->FilledFields() != 4) {
        AppMessageBox(kInvalidServer, this);
        m_pServer->SetFocus();
        return;
    }
    const int nFirst = m_pServer->Field(0).toInt();
    const int nLast = m_pServer->Field(3).toInt();
    if (m_pServer->Address() == QLatin1String("0.0.0.0") || nFirst == 0 || nFirst == 255 || nLast == 0 ||
        nLast == 255) {
        AppMessageBox(kInvalidServer, this);
        return;
    }
    const bool bFirmware = m_pFileType->currentIndex() == 1;
    m_nFileKind = bFirmware ? 1 : 2;
    if (!bFirmware)
        m_bPatient = true;
    const QString strName = m_pFileName->text();
    std::vector<CSetValue> values{{bFirmware ? oid::kFirmwareServer : oid::kConfigServer, kSnmpTypeIpAddress,
                                   m_pServer->Address().toLatin1()}};
    if (strName.isEmpty()) {
        AppMessageBox(QStringLiteral("Invalid file."), this);
        return;
    }
    values.push_back({bFirmware ? oid::kFirmwareFile : oid::kConfigFile, kSnmpTypeOctetString, strName.toLatin1()});
    // Disabled first: a start that fails ends the transfer at once and restores them.
    EnableControls(false);
    const bool bStarted = m_walkAddress.StartSet(values);
    TRACE() << QString::asprintf("setting file name and iP status =========  %d", bStarted ? 0 : -1);
}

void CFirmwareDlg::OnAddressEnd(int nError)
{
    if (IsDestroyed())
        return;
    if (nError == 0) {
        StartOperation();
    } else if (nError == kSnmpTimeout) {
        m_bFinished = true;
        AppMessageBox(QStringLiteral("Setting file name TimeOut !"), this);
        SetTimer(TIMER_RESTORE, 5);
    } else {
        // Refused by the switch, or not sent: the transfer cannot start.
        TRACE() << "setting file name and iP refused:" << nError;
        Finish(FailureText());
    }
}

void CFirmwareDlg::StartOperation()
{
    TRACE() << "operation ==========";
    g_nStateTimeouts = 0;  // time-outs in a row count within one transfer
    const bool bFirmware = m_nFileKind == 1;
    const QByteArray value = m_pOperation->currentIndex() == 0 ? "1" : "2";
    SetTimer(TIMER_PROGRESS, 2000);
    m_walkOperation.StartSet({{bFirmware ? oid::kFirmwareOperation : oid::kConfigOperation, kSnmpTypeInteger, value}});
    SetTimer(TIMER_STATE, bFirmware ? 15000 : 3000);
}

void CFirmwareDlg::OnOperationEnd(int nError)
{
    if (IsDestroyed() || m_bFinished || nError == 0)
        return;
    if (nError == kSnmpTimeout) {
        m_bFinished = true;
        KillTimer(TIMER_PROGRESS);
        KillTimer(TIMER_STATE);
        AppMessageBox(QStringLiteral("Setting operation TimeOut !"), this);
        SetTimer(TIMER_RESTORE, 5);
        return;
    }
    // The switch refused the operation: the state it reports is an earlier transfer's.
    TRACE() << "operation refused:" << nError;
    Finish(FailureText());
}

void CFirmwareDlg::Finish(const QString& strText)
{
    m_bFinished = true;
    KillTimer(TIMER_PROGRESS);
    KillTimer(TIMER_OVERALL);
    KillTimer(TIMER_STATE);
    if (!strText.isEmpty())
        AppMessageBox(strText, this);
    SetTimer(TIMER_RESTORE, 5);
}

void CFirmwareDlg::OnStateRow(const QStringList& cells)
{
    if (IsDestroyed() || m_bFinished)
        return;
    TRACE() << "progress ====================";
    for (const QString& strState : cells) {
        TRACE() << QString::asprintf("========================State = %s ", qPrintable(strState));
        if (strState == QLatin1String("0") || strState == QLatin1String("1")) {
            m_pProgress->SetPos(99);
            Finish(QStringLiteral("Success !"));
        } else if (strState == QLatin1String("2")) {
            TRACE() << "2222222222222222222222222";
            Finish(FailureText());
        } else if (strState == QLatin1String("4")) {
            SetTimer(TIMER_STATE, 1500);
        } else if (strState == QLatin1String("3")) {
            m_bPatient = true;
            SetTimer(TIMER_STATE, 5000);
            SetTimer(TIMER_OVERALL, 230000);
        } else {
            // A state this page does not know: still under way, read again as for state 4 rather
            // than wait for nothing.
            SetTimer(TIMER_STATE, 1500);
        }
        if (m_bFinished)
            break;
    }
}

void CFirmwareDlg::OnStateEnd(int nError)
{
    if (IsDestroyed())
        return;
    if (nError == 0) {
        g_nStateTimeouts = 0;
        return;
    }
    if (m_bFinished)
        return;
    TRACE() << "progress ====================";
    if (nError == kSnmpTimeout) {
        TRACE() << "time out ===================";
        if (m_bPatient) {
            SetTimer(TIMER_STATE, 3000);
            g_nStateTimeouts = 0;
        } else if (++g_nStateTimeouts >= 4) {
            g_nStateTimeouts = 0;
            Finish(QStringLiteral("Get Info Time Out !"));
        } else {
            // Not yet the fourth: the state is read again as after any other reply.
            SetTimer(TIMER_STATE, 3000);
        }
        return;
    }
    g_nStateTimeouts = 0;
    Finish(QStringLiteral("Get Info Fail !"));
}

void CFirmwareDlg::OnTimer(int nIdEvent)
{
    if (IsDestroyed())
        return;
    switch (nIdEvent) {
    case TIMER_STATE:
        TRACE() << "start FIRMWARE_BACKUPSTATUS =======================";
        m_walkState.Start({m_nFileKind == 1 ? oid::kFirmwareState : oid::kConfigState}, kSnmpPduGet);
        break;
    case TIMER_PROGRESS:
        TRACE() << QString::asprintf("===m_ProgressTimes=%d, m_IsFinish=%d", m_nProgress, m_bFinished ? 1 : 0);
        if (m_nProgress < 90 && !m_bFinished) {
            m_pProgress->SetPos(m_nProgress);
            m_nProgress += 2;
            SetTimer(TIMER_PROGRESS, 2500);
        }
        break;
    case TIMER_OVERALL:
        if (!m_bFinished) {
            // Finished before the message, so that nothing else ends the transfer while it shows.
            m_bFinished = true;
            KillTimer(TIMER_PROGRESS);
            KillTimer(TIMER_STATE);
            AppMessageBox(QStringLiteral("Time out ! Please check TFTP Server IP and network."), this);
            SetTimer(TIMER_RESTORE, 5);
        }
        break;
    case TIMER_RESTORE:
        if (m_bFinished) {
            KillTimer(TIMER_OVERALL);
            KillTimer(TIMER_PROGRESS);
            KillTimer(TIMER_STATE);
            EnableControls(true);
        }
        break;
    default:
        AppMessageBox(QStringLiteral("default !"), this);
        break;
    }
}
