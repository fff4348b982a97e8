// The main window's life (construction, start, run, tear-down) and the dispatch of its commands.
#include "app/ModuleDlg.h"

#include "core/Settings.h"
#include "core/Trace.h"
#include "app/Tools.h"
#include "app/UserIni.h"
#include "pages/common/MessageBox.h"
#include "panel/MyBitmapApp.h"
#include "snmp/CommonSnmp.h"
#include "snmp/LiveOwners.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QMenuBar>
#include <QTimer>

struct CModuleDlg::CSessions {
    CCommonSNMP general, set, fan, devStat, poe, poeStat;
};

CModuleDlg::CModuleDlg(const QString& iniPath, QWidget* parent)
    : CBitmapDialog(parent), m_strIniPath(iniPath), m_pSessions(std::make_unique<CSessions>()),
      m_cCommonSNMP(m_pSessions->general), m_cCommonSNMPset(m_pSessions->set), m_cCommonSNMPFan(m_pSessions->fan),
      m_cCommonSNMPDevStat(m_pSessions->devStat), m_cCommonSNMPPoe(m_pSessions->poe), m_cCommonSNMPPoeStat(m_pSessions->poeStat)
{
    m_byLedState.fill(3);
    if (QGuiApplication::instance())
        setWindowIcon(PanelIcon());
    // The bitmap store of the process lives as long as this window.
    m_pBitmapApp = std::make_unique<CMyBitmapApp>();
    m_pBlinkTimer = new QTimer(this);
    m_pBlinkTimer->setInterval(kBlinkMs);
    connect(m_pBlinkTimer, &QTimer::timeout, this, [this] { OnTimer(kBlinkTimerId); });
    BuildMenu();
    resize(640, FrameAllowance() + 240);
    CLiveOwners::Add(this);
}

CModuleDlg::~CModuleDlg()
{
    DestroyWindow();
    CLiveOwners::Remove(this);
    CPort::SetClickHook({});
    m_pBitmapApp.reset();
}

bool CModuleDlg::OnInitDialog()
{
    // 2. Icons and the values the poller starts from.
    m_bLedPoeMode = true;
    m_BIsPowMax = false;
    {
        std::lock_guard lock(m_stateMutex);
        m_strFanState = QStringLiteral("1");
    }

    // 3.-6. The settings file.
    const CDeviceInfo info = ReadDeviceInfo(m_strIniPath);
    g_strDeviceName = info.strDeviceName;
    m_strDeviceName = info.strDeviceName;
    if (m_strDeviceName.isEmpty()) {
        AppMessageBox(QStringLiteral("Read User.ini Error !"), this);
        return true;
    }
    m_nPortNum = info.nDevicePortNum;
    g_nDevicePortNum = info.nDevicePortNum;
    m_nExtraPortNum = ExtraPortNum(m_nPortNum);
    m_strXMLName = info.strXMLName;
    if (m_strXMLName.isEmpty()) {
        AppMessageBox(QStringLiteral("Read User.ini Error !"), this);
        return true;
    }
    g_bIsAllGiga = info.bIsAllGiga;
    g_bIsHasFan = info.bIsHasFan;

    // 7. Media codes, all 0.
    {
        std::lock_guard lock(m_stateMutex);
        m_pPortMedia.assign(static_cast<std::size_t>(std::max(m_nPortNum, 0)), 0);
    }

    // 8. The panel, with the window sized to it. Without a panel the window keeps a usable size.
    LoadPanel(m_strXMLName);
    if (m_root.GetRect().isEmpty())
        resize(640, FrameAllowance() + 240);

    // A click on a port opens its page.
    CPort::SetClickHook([this](int nPortObject) { OnPortClick(nPortObject); });

    // 9. The lamp pictures, into the bitmap store.
    LoadLampBitmaps();

    // 10. and 11. Title and the About item.
    UpdateTitle();
    if (QAction* pAbout = FindCommand(ID_APP_ABOUT))
        pAbout->setText(QStringLiteral("About ") + m_strDeviceName + QStringLiteral("..."));

    // 12. Nothing is known of the lamps yet.
    SetAllLedStates(3);
    m_bInitialised = true;

    // 13. The poller.
    m_pPanelThread = std::make_unique<CPanelDeviceThread>(this);
    m_pPanelThread->Resume();

    // 14. Menu trimming by the device name.
    TrimMenu();
    return true;
}

int CModuleDlg::DoModal()
{
    OnInitDialog();
    // A dialog's own modal loop ends when the dialog is hidden, and the window hides while a page
    // is open; so the loop here runs until the window is finished (closed, accepted or rejected).
    QEventLoop loop;
    int rc = 0;
    connect(this, &QDialog::finished, &loop, [&loop, &rc](int result) {
        rc = result;
        loop.quit();
    });
    show();
    loop.exec();
    DestroyWindow();
    return rc;
}

void CModuleDlg::StopPoller()
{
    m_bStopping = true;  // walks in progress end at their next row
    if (!m_pPanelThread)
        return;
    m_pPanelThread->Stop();
    if (!m_pPanelThread->Join(kStopWaitMs))
        TRACE() << "poller did not stop within" << kStopWaitMs << "ms; waiting for its current request";
    m_pPanelThread.reset();  // joins: every wait of the poller is bounded and wakes at the stop
}

void CModuleDlg::closeEvent(QCloseEvent* pEvent)
{
    StopPoller();
    CBitmapDialog::closeEvent(pEvent);
}

void CModuleDlg::DestroyWindow()
{
    if (m_bDestroyed)
        return;
    m_bDestroyed = true;
    StopPoller();
    m_pBlinkTimer->stop();
    TRACE() << "==================DestroyWindow===============";
    m_cCommonSNMP.Close();
    TRACE() << "==================m_cCommonSNMP.Close===============";
    m_cCommonSNMPset.Close();
    TRACE() << "==================m_cCommonSNMPset.Close===============";
    m_cCommonSNMPFan.Close();
    TRACE() << "==================m_cCommonSNMPFan.Close===============";
    m_cCommonSNMPPoe.Close();
    TRACE() << "==================m_cCommonSNMPPoe.Close===============";
    m_cCommonSNMPDevStat.Close();
    TRACE() << "==================m_cCommonSNMPDevStat.Close===============";
    m_cCommonSNMPPoeStat.Close();
    TRACE() << "==================m_cCommonSNMPPoeStat.Close===============";
}

void CModuleDlg::resizeEvent(QResizeEvent* pEvent)
{
    CBitmapDialog::resizeEvent(pEvent);
    if (m_pMenuBar)
        m_pMenuBar->setGeometry(0, 0, width(), FrameAllowance());
}

void CModuleDlg::changeEvent(QEvent* pEvent)
{
    CBitmapDialog::changeEvent(pEvent);
}

// ---------------------------------------------------------------------------------------------
// Commands

bool CModuleDlg::OnCommand(int nCommand)
{
    switch (nCommand) {
    case ID_TELNET:
        OnTelnet();
        return true;
    case ID_WEB:
        OnWeb();
        return true;
    case ID_REBOOT:
        OnReboot();
        return true;
    case ID_SAVE_CONFIG:
        OnSaveConfig();
        return true;
    case ID_APP_ABOUT:
        OnAbout();
        return true;
    default:
        break;
    }
    const int nTemplate = PageTemplate(nCommand);
    if (nTemplate == 0)
        return false;
    const PageFactory* pFactory = FindPageFactory(nCommand);
    if (!pFactory) {
        TRACE() << "command" << nCommand << ": page" << nTemplate << "is not available in this build";
        return true;
    }
    std::unique_ptr<QDialog> pPage = (*pFactory)(this);
    if (pPage) {
        TRACE() << "command" << nCommand << "opens page" << nTemplate;
        OpenPage(*pPage, nCommand != ID_SNMP_HOST);
        TRACE() << "page" << nTemplate << "closed";
    }
    return true;
}

void CModuleDlg::OnCommandRequest(int nCommand)
{
    const bool bKnown = FindCommand(nCommand) != nullptr || nCommand == ID_DEVICE_CONFIGURE
        || nCommand == ID_SURVEILLANCE_OUI;
    if (!bKnown) {
        TRACE() << "command request" << nCommand << "is not a command of this window";
        return;
    }
    QWidget* pModal = QApplication::activeModalWidget();
    if (m_bPageOpen || (pModal && pModal != this)) {
        TRACE() << "command request" << nCommand << "ignored: a page or question is open";
        return;
    }
    OnCommand(nCommand);
}

void CModuleDlg::OnSysCommand(int nCommand)
{
    if ((nCommand & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(m_strDeviceName, this);
        about.exec();
    }
}

void CModuleDlg::OpenPage(QDialog& page, bool bHide)
{
    if (!bHide) {
        page.exec();
        return;
    }
    hide();
    m_bPageOpen = true;
    setWindowState(windowState() | Qt::WindowMinimized);
    page.exec();
    m_bPageOpen = false;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    showNormal();
}

void CModuleDlg::OnActivateRequest()
{
    TRACE() << "activated";
    if (m_bPageOpen) {
        if (QWidget* pModal = QApplication::activeModalWidget()) {
            pModal->raise();
            pModal->activateWindow();
        }
        return;
    }
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    showNormal();
    // Topmost for a moment raises the window above the foreground application.
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    show();
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    show();
    raise();
    activateWindow();
}
