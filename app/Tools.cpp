#include "app/Tools.h"

#include "app/ModuleDlg.h"
#include "core/Settings.h"
#include "core/Trace.h"
#include "pages/common/MessageBox.h"
#include "pages/common/Responsive.h"
#include "panel/Launcher.h"
#include "snmp/CommonSnmp.h"

#include "panel/MyBitmapApp.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>


CAboutDlg::CAboutDlg(const QString& strDeviceName, QWidget* parent) : QDialog(parent)
{
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setWindowTitle(strDeviceName + QStringLiteral(" Module"));
    if (QGuiApplication::instance())
        setWindowIcon(PanelIcon());

    auto* pLayout = new QVBoxLayout(this);
    auto* pTop = new QGridLayout;
    auto* pIcon = new QLabel(this);
    pIcon->setPixmap(PanelIcon().pixmap(32, 32));
    pTop->addWidget(pIcon, 0, 0, 4, 1, Qt::AlignTop);

    auto* pDevice = new QLabel(strDeviceName + QStringLiteral(" Management Module"), this);
    pDevice->setObjectName(QString::number(IDC_DEVICE_TEXT));
    pTop->addWidget(pDevice, 0, 1, 1, 2);
    const struct { const char* name; const char* value; } rows[] = {
        {"Firmware Version         ", ": 2.00.xxx"},
        {"Quillon Module Version   ", ": 2.0.0.11"},
    };
    int nRow = 1;
    for (const auto& row : rows) {
        pTop->addWidget(new QLabel(QString::fromLatin1(row.name), this), nRow, 1);
        pTop->addWidget(new QLabel(QString::fromLatin1(row.value), this), nRow, 2);
        ++nRow;
    }
    pTop->addWidget(new QLabel(QStringLiteral("Hardware: A1"), this), nRow, 1, 1, 2);
    pLayout->addLayout(pTop);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    pButtons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    pLayout->addWidget(pButtons);
}

// ---------------------------------------------------------------------------------------------
// The main window's tools

namespace {

const QString kOidReboot = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.9");
const QString kOidSave = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.10");

} // namespace

void CModuleDlg::OnTelnet()
{
    if (!AppQuestionBox(QStringLiteral("Do you want to TELNET this device?"), this))
        return;
    // A start that cannot happen says why, and what to install.
    QString strProblem;
    if (!g_strDeviceIP.isEmpty() && !CLauncher::Telnet(g_strDeviceIP, &strProblem))
        AppMessageBox(strProblem, this);
}

void CModuleDlg::OnWeb()
{
    if (!AppQuestionBox(QStringLiteral("Do you want to access this device with browser?"), this))
        return;
    if (g_strDeviceIP.isEmpty())
        return;
    if (!CLauncher::Browse(g_strDeviceIP))
        AppMessageBox(QStringLiteral("Failed to get IE path !"), this);
}

void CModuleDlg::OnReboot()
{
    if (!AppQuestionBox(QStringLiteral("Do you want to reboot the device?"), this))
        return;
    RunWhileResponsive(this, [] {
        CCommonSNMP session;
        std::unique_ptr<CSnmp> pReply;
        if (session.Open(kSnmpPduSet) && session.AddOid(kOidReboot + QStringLiteral(".0"), 1, "1") == 0) {
            const int rc = session.GetNextSync(pReply, 0);
            TRACE() << "reboot request:" << rc;
        }
        session.Close();
        return 0;
    });
}

void CModuleDlg::OnSaveConfig()
{
    if (!AppQuestionBox(QStringLiteral("Do you want to save the configuration?"), this))
        return;
    const int rc = RunWhileResponsive(this, [this] {
        std::unique_ptr<CSnmp> pReply;
        if (m_cCommonSNMPset.Open(kSnmpPduSet) && m_cCommonSNMPset.AddOid(kOidSave + QStringLiteral(".0"), 1, "1") == 0)
            return m_cCommonSNMPset.GetNextSync(pReply, 4000);
        return -1;
    });
    AppMessageBox(rc != 0 ? QStringLiteral("failed") : QStringLiteral("success"), this);
}

void CModuleDlg::OnAbout()
{
    CAboutDlg about(m_strDeviceName, this);
    OpenPage(about);
}
