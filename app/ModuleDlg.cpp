#include "app/ModuleDlg.h"

#include "core/Settings.h"
#include "app/Tools.h"
#include "core/Trace.h"
#include "app/UserIni.h"
#include "pages/common/MessageBox.h"
#include "panel/Launcher.h"
#include "panel/MyBitmapApp.h"
#include "snmp/CommonSnmp.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include <set>

bool g_bBlinkPhase = false;
std::atomic<int> g_nWalkSkips{0};

namespace {

// Lamp pictures of the bitmap store, in the order they are loaded.
constexpr int kBmpOverlay = 158;
constexpr int kBmpSteadyEven = 159;
constexpr int kBmpSteadyOdd = 160;
constexpr int kBmpLinkAEven = 161;
constexpr int kBmpLinkAOdd = 162;
constexpr int kBmpLinkBEven = 163;
constexpr int kBmpLinkBOdd = 164;
constexpr int kBmpWarning = 190;
constexpr int kBmpModeA = 191;
constexpr int kBmpModeB = 192;
constexpr int kLampBitmaps[] = {160, 159, 161, 162, 158, 163, 164, 190, 191, 192};

const QString kOidFan = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.15.1");
const QString kOidPoeMode = QStringLiteral("1.3.6.1.4.1.32473.10.75.6.22.8");
const QString kOidPoeRemaining = QStringLiteral("1.3.6.1.4.1.32473.10.75.6.22.6");
const QString kOidPoeStatus = QStringLiteral("1.3.6.1.4.1.32473.10.75.6.22.1.1.13");
const QString kOidReboot = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.9");
const QString kOidSave = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.10");
const QString kOidSkip = QStringLiteral("1.3.6.1.4.1.32473.7777.1.");
const QString kLinkColumns[] = {
    QStringLiteral("1.3.6.1.2.1.2.2.1.3"),  // ifType
    QStringLiteral("1.3.6.1.2.1.2.2.1.5"),  // ifSpeed
    QStringLiteral("1.3.6.1.2.1.2.2.1.7"),  // ifAdminStatus
    QStringLiteral("1.3.6.1.2.1.2.2.1.8"),  // ifOperStatus
    QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.13.1.7"),  // active medium
};

// Windows that walk callbacks may still reach: a callback finds its window here, under the lock,
// or drops its reply. A window leaves the set in its destructor, after its sessions were closed.
std::mutex g_liveMutex;
std::set<const CModuleDlg*> g_liveDlgs;

struct CMenuItem {
    int nCommand;     // 0 for a separator
    const char* pszText;
    int nTemplate;    // dialog template of the page, 0 for a tool
};

struct CMenuPopup {
    const char* pszText;
    std::vector<CMenuItem> items;
};

std::map<int, CModuleDlg::PageFactory>& PageFactories()
{
    static std::map<int, CModuleDlg::PageFactory> factories;
    return factories;
}

// The page commands and their templates, including the two reached only by command requests.
const std::map<int, int>& PageTemplates()
{
    static const std::map<int, int> templates = {
        {CModuleDlg::ID_PORT_CONFIG, 201}, {CModuleDlg::ID_SNMP_GLOBAL, 209}, {CModuleDlg::ID_SNMP_USER, 198},
        {CModuleDlg::ID_SNMP_GROUP, 200}, {CModuleDlg::ID_SNMP_VIEW, 203}, {CModuleDlg::ID_SNMP_COMMUNITY, 204},
        {CModuleDlg::ID_SNMP_HOST, 205}, {CModuleDlg::ID_SNMP_ENGINE_ID, 210}, {CModuleDlg::ID_SNMP_TRAP, 207},
        {CModuleDlg::ID_SYSLOG_HOST, 499}, {CModuleDlg::ID_JUMBO_FRAME, 174}, {CModuleDlg::ID_SURVEILLANCE_VLAN, 220},
        {CModuleDlg::ID_VLAN, 447}, {CModuleDlg::ID_TRUNK, 487}, {CModuleDlg::ID_MULTICAST_FILTERING, 195},
        {CModuleDlg::ID_8021X, 468}, {CModuleDlg::ID_ARP_SPOOFING, 196}, {CModuleDlg::ID_DHCP_SCREENING, 194},
        {CModuleDlg::ID_FIRMWARE, 470}, {CModuleDlg::ID_POE_PORT_CONFIG, 490}, {CModuleDlg::ID_TIME_BASED_POE, 177},
        {CModuleDlg::ID_LLDP_GLOBAL, 179}, {CModuleDlg::ID_LLDP_REMOTE, 180}, {CModuleDlg::ID_LLDP_MED, 181},
        {CModuleDlg::ID_SYSTEM_INFO, 80}, {CModuleDlg::ID_INTERFACE_TABLE, 49}, {CModuleDlg::ID_IP_TABLE, 208},
        {CModuleDlg::ID_FORWARDING_TABLE, 278}, {CModuleDlg::ID_TCP_SERVICE, 481}, {CModuleDlg::ID_UDP_SERVICE, 482},
        {CModuleDlg::ID_8021D, 85}, {CModuleDlg::ID_DEVICE_CONFIGURE, 484}, {CModuleDlg::ID_SURVEILLANCE_OUI, 222},
    };
    return templates;
}

} // namespace

int ExtraPortNum(int portNum)
{
    switch (portNum) {
    case 24:
    case 48:
    case 16:
    case 52:
    case 28:
        return 4;
    case 10:
        return 2;
    default:
        return 0;
    }
}

QString ListEntry(const QString& strValue)
{
    QString strEntry = strValue;
    strEntry.remove(QLatin1Char(','));
    return strEntry;
}

// Binding j of a walk reply: its row suffix and value text. False for a binding of the placeholder
// subtree, which adds nothing to the row.
static bool ReadRowBinding(CCommonSNMP& session, const CSnmp& reply, int j, QString& strSuffix, QString& strValue)
{
    QString strOid;
    reply.getOid(j, strOid);
    if (strOid.contains(kOidSkip))
        return false;
    session.GetSuffix(j, &reply, strSuffix);
    int nType = 0;
    reply.getValue(j, nType, strValue);
    return true;
}

bool SplitFirst(const QString& strList, QChar cSep, QString& strHead, QString& strRest)
{
    const qsizetype n = strList.indexOf(cSep);
    if (n < 0)
        return false;
    strHead = strList.left(n);
    strRest = strList.mid(n + 1);
    return true;
}

void CModuleDlg::RegisterPage(int nCommand, PageFactory factory)
{
    if (factory)
        PageFactories()[nCommand] = std::move(factory);
    else
        PageFactories().erase(nCommand);
}

int CModuleDlg::PageTemplate(int nCommand)
{
    const auto it = PageTemplates().find(nCommand);
    return it == PageTemplates().end() ? 0 : it->second;
}

std::vector<int> CModuleDlg::PagesNotBuilt()
{
    std::vector<int> ids;
    for (const auto& [nCommand, nTemplate] : PageTemplates())
        if (!PageFactories().count(nCommand))
            ids.push_back(nCommand);
    return ids;
}

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
    std::lock_guard lock(g_liveMutex);
    g_liveDlgs.insert(this);
}

CModuleDlg::~CModuleDlg()
{
    DestroyWindow();
    {
        std::lock_guard lock(g_liveMutex);
        g_liveDlgs.erase(this);
    }
    m_pBitmapApp.reset();
}

void CModuleDlg::BuildMenu()
{
    const std::vector<CMenuPopup> menu = {
        {"&Device Manager   ", {
            {ID_PORT_CONFIG, "&Port Configuration...", 201},
            {-1, "&SNMP Setting", 0},
            {ID_SNMP_GLOBAL, "SNMP Global State ", 209},
            {ID_SNMP_USER, "SNMP User Table", 198},
            {ID_SNMP_GROUP, "SNMP Group Table", 200},
            {ID_SNMP_VIEW, "SNMP View Table", 203},
            {ID_SNMP_COMMUNITY, "SNMP Community Table ", 204},
            {ID_SNMP_HOST, "SNMP Host Table", 205},
            {ID_SNMP_ENGINE_ID, "SNMP Engine ID", 210},
            {ID_SNMP_TRAP, "SNMP Trap Configuration", 207},
            {-2, nullptr, 0},
            {ID_SYSLOG_HOST, "&Syslog Host Configuration...", 499},
            {0, nullptr, 0},
            {ID_JUMBO_FRAME, "&Jumbo Frame Configuration...", 174},
            {ID_SURVEILLANCE_VLAN, "&Auto Surveillance VLAN Setting ", 220},
            {ID_VLAN, "&VLAN Configuration...", 447},
            {ID_TRUNK, "&Trunk Configuration...", 487},
            {ID_MULTICAST_FILTERING, "&Multicast Filtering Mode configuration...", 195},
            {0, nullptr, 0},
            {ID_8021X, "&802.1X Configuration...", 468},
            {ID_ARP_SPOOFING, "&ARP Spoofing Prevention Setting...", 196},
            {ID_DHCP_SCREENING, "&DHCP Server Screening Port Configuration...", 194},
            {0, nullptr, 0},
            {ID_FIRMWARE, "&Firmware and Configuration Upgrade/Backup...", 470},
            {ID_SAVE_CONFIG, "&Save Configuration...", 0},
            {ID_REBOOT, "&Reboot", 0},
            {0, nullptr, 0},
            {ID_POE_PORT_CONFIG, "&PoE Port Config", 490},
            {ID_TIME_BASED_POE, "&Time_Based PoE", 177},
            {-1, "LLDP", 0},
            {ID_LLDP_GLOBAL, "&LLDP Global Setting", 179},
            {ID_LLDP_REMOTE, "&LLDP Remote Port Information", 180},
            {ID_LLDP_MED, "&LLDP MED Setting", 181},
            {-2, nullptr, 0},
        }},
        {"&Public MIB   ", {
            {ID_SYSTEM_INFO, "&System Information...", 80},
            {ID_INTERFACE_TABLE, "In&terface Table...", 49},
            {ID_IP_TABLE, "&IP Table...", 208},
            {ID_FORWARDING_TABLE, "Forwarding Table...", 278},
            {ID_TCP_SERVICE, "&TCP Service...", 481},
            {ID_UDP_SERVICE, "&UDP Service...", 482},
            {ID_8021D, "802.1D...", 85},
        }},
        {"&Tools   ", {
            {ID_TELNET, "&Telnet...", 0},
            {ID_WEB, "&Web...", 0},
        }},
        {"&About   ", {
            {ID_APP_ABOUT, "About TQX-8800...", 0},
        }},
    };

    m_pMenuBar = new QMenuBar(this);
    m_pMenuBar->setNativeMenuBar(false);
    for (const CMenuPopup& popup : menu) {
        QMenu* pTop = m_pMenuBar->addMenu(QString::fromLatin1(popup.pszText));
        QMenu* pMenu = pTop;
        for (const CMenuItem& item : popup.items) {
            if (item.nCommand == -1) {
                pMenu = pTop->addMenu(QString::fromLatin1(item.pszText));
            } else if (item.nCommand == -2) {
                pMenu = pTop;
            } else if (item.nCommand == 0) {
                pMenu->addSeparator();
            } else {
                QAction* pAction = pMenu->addAction(QString::fromLatin1(item.pszText));
                pAction->setData(item.nCommand);
                pAction->setObjectName(QString::number(item.nCommand));
                const int nCommand = item.nCommand;
                connect(pAction, &QAction::triggered, this, [this, nCommand] { OnCommand(nCommand); });
            }
        }
    }
    m_pMenuBar->adjustSize();
}

QAction* CModuleDlg::FindCommand(int nCommand) const
{
    if (!m_pMenuBar)
        return nullptr;
    return m_pMenuBar->findChild<QAction*>(QString::number(nCommand));
}

void CModuleDlg::TrimMenu()
{
    const auto remove = [this](int nCommand) {
        if (QAction* pAction = FindCommand(nCommand)) {
            for (QObject* p = pAction->parent(); p; p = p->parent())
                if (auto* pMenu = qobject_cast<QMenu*>(p)) {
                    pMenu->removeAction(pAction);
                    break;
                }
            delete pAction;
        }
    };
    if (m_strDeviceName.contains(QLatin1String("TQF")))
        remove(ID_JUMBO_FRAME);
    if (!m_strDeviceName.contains(QLatin1Char('P')) && !m_strDeviceName.contains(QLatin1Char('p'))) {
        for (int nCommand : {ID_POE_PORT_CONFIG, ID_TIME_BASED_POE, ID_LLDP_GLOBAL, ID_LLDP_MED, ID_LLDP_REMOTE})
            remove(nCommand);
        // The emptied LLDP pop-up goes too.
        const QList<QMenu*> menus = m_pMenuBar->findChildren<QMenu*>();
        for (QMenu* pMenu : menus)
            if (pMenu->title() == QLatin1String("LLDP") && pMenu->actions().isEmpty()) {
                if (auto* pParent = qobject_cast<QMenu*>(pMenu->parent()))
                    pParent->removeAction(pMenu->menuAction());
                delete pMenu;
                break;
            }
    }
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

    // 9. The lamp pictures, into the bitmap store.
    for (int nBitmap : kLampBitmaps)
        if (!m_pBitmapApp->AddBitmap(nBitmap))
            TRACE() << "lamp bitmap" << nBitmap << "could not be loaded";

    // 10. and 11. Title and the About item.
    setWindowTitle(m_strDeviceName + QStringLiteral(": ") + g_strDeviceIP);
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
    const auto it = PageFactories().find(nCommand);
    if (it == PageFactories().end()) {
        TRACE() << "command" << nCommand << ": page" << nTemplate << "is not available in this build";
        return true;
    }
    std::unique_ptr<QDialog> pPage = it->second(this);
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

// ---------------------------------------------------------------------------------------------
// Tools

void CModuleDlg::OnTelnet()
{
    if (!AppQuestionBox(QStringLiteral("Do you want to TELNET this device?"), this))
        return;
    // A failed start is silent.
    if (!g_strDeviceIP.isEmpty() && !CLauncher::Telnet(g_strDeviceIP))
        TRACE() << "telnet could not be started";
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
    CCommonSNMP session;
    std::unique_ptr<CSnmp> pReply;
    if (session.Open(kSnmpPduSet) && session.AddOid(kOidReboot + QStringLiteral(".0"), 1, "1") == 0) {
        const int rc = session.GetNextSync(pReply, 0);
        TRACE() << "reboot request:" << rc;
    }
    session.Close();
}

void CModuleDlg::OnSaveConfig()
{
    if (!AppQuestionBox(QStringLiteral("Do you want to save the configuration?"), this))
        return;
    std::unique_ptr<CSnmp> pReply;
    int rc = -1;
    if (m_cCommonSNMPset.Open(kSnmpPduSet) && m_cCommonSNMPset.AddOid(kOidSave + QStringLiteral(".0"), 1, "1") == 0)
        rc = m_cCommonSNMPset.GetNextSync(pReply, 4000);
    AppMessageBox(rc != 0 ? QStringLiteral("failed") : QStringLiteral("success"), this);
}

void CModuleDlg::OnAbout()
{
    CAboutDlg about(m_strDeviceName, this);
    OpenPage(about);
}

// ---------------------------------------------------------------------------------------------
// Polling (poller thread and walk callbacks)

int CModuleDlg::LedState(int nIndex) const
{
    std::lock_guard lock(m_stateMutex);
    return nIndex >= 0 && nIndex < kLedStates ? m_byLedState[static_cast<std::size_t>(nIndex)] : -1;
}

int CModuleDlg::PortMedia(int nIndex) const
{
    std::lock_guard lock(m_stateMutex);
    return nIndex >= 0 && nIndex < static_cast<int>(m_pPortMedia.size()) ? m_pPortMedia[static_cast<std::size_t>(nIndex)] : -1;
}

QString CModuleDlg::FanState() const
{
    std::lock_guard lock(m_stateMutex);
    return m_strFanState;
}

void CModuleDlg::SetAllLedStates(int nState)
{
    std::lock_guard lock(m_stateMutex);
    m_byLedState.fill(static_cast<std::uint8_t>(nState));
}

void CModuleDlg::GetGetFanStatus()
{
    if (!m_cCommonSNMPFan.Open(kSnmpPduGet))
        return;
    m_cCommonSNMPFan.AddOid(kOidFan + QStringLiteral(".0"), 4, nullptr);
    std::unique_ptr<CSnmp> pReply;
    if (m_cCommonSNMPFan.GetNextSync(pReply, 500) != 0 || !pReply)
        return;
    int nType = 0;
    QString strValue;
    pReply->getValue(0, nType, strValue);
    const bool bFanChanged = [&] {
        std::lock_guard lock(m_stateMutex);
        const QString strNew = strValue == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("2");
        const bool bChanged = strNew != m_strFanState;
        m_strFanState = strNew;
        return bChanged;
    }();
    if (bFanChanged)
        QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
}

int CModuleDlg::Get10PPOEOrLinkStatus()
{
    if (m_bWalkBusy && g_nWalkSkips < 3) {
        ++g_nWalkSkips;
        return -1;
    }
    g_nWalkSkips = 0;
    m_bWalkBusy = true;

    if (m_cCommonSNMPPoe.Open(kSnmpPduGet)) {
        m_cCommonSNMPPoe.AddOid(kOidPoeMode + QStringLiteral(".0"), 4, nullptr);
        m_cCommonSNMPPoe.AddOid(kOidPoeRemaining + QStringLiteral(".0"), 4, nullptr);
        std::unique_ptr<CSnmp> pReply;
        if (m_cCommonSNMPPoe.GetNextSync(pReply, 500) == 0 && pReply) {
            int nType = 0;
            QString strMode, strBudget;
            pReply->getValue(0, nType, strMode);
            pReply->getValue(1, nType, strBudget);
            const bool bOldMode = m_bLedPoeMode.exchange(strMode == QLatin1String("1"));
            // Read as a decimal number the way atof does: leading number, 0 when there is none.
            bool bOk = false;
            double dRemaining = strBudget.trimmed().toDouble(&bOk);
            if (!bOk) {
                const QString strTrim = strBudget.trimmed();
                qsizetype n = 0;
                while (n < strTrim.size() && (strTrim[n].isDigit() || strTrim[n] == QLatin1Char('.')
                                              || (n == 0 && (strTrim[n] == QLatin1Char('-') || strTrim[n] == QLatin1Char('+')))))
                    ++n;
                dRemaining = strTrim.left(n).toDouble();
            }
            const bool bPowMax = dRemaining <= 7.0;
            const bool bOldPowMax = m_BIsPowMax.exchange(bPowMax);
            TRACE() << (bPowMax ? "pThis->m_BIsPowMax = TRUE" : "pThis->m_BIsPowMax = FALSE");
            if (bOldMode != m_bLedPoeMode || bOldPowMax != bPowMax)
                QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
        }
    }

    if (m_pPanelThread && m_pPanelThread->SleepOrStop(500)) {
        m_bWalkBusy = false;
        return 0;
    }
    if (m_bLedPoeMode)
        GetLinkStatus();
    else
        GetPOEPortStatus();
    return 0;
}

void CModuleDlg::GetLinkStatus()
{
    {
        std::lock_guard lock(m_walkMutex);
        m_strLinkPort.clear();
        m_strLinkAdmin.clear();
        m_strLinkOper.clear();
        m_strLinkSpeed.clear();
        m_strLinkMedia.clear();
    }
    bool bStarted = m_cCommonSNMPDevStat.Open(kSnmpPduGetNext);
    if (bStarted) {
        for (const QString& strColumn : kLinkColumns)
            m_cCommonSNMPDevStat.AddOid(strColumn, 4, nullptr);
        bStarted = m_cCommonSNMPDevStat.StartWalk(&CModuleDlg::LinkRowCallback, this, 500) == 0;
    }
    if (!bStarted) {
        // Nothing will call back: end the walk here as a failed step.
        m_cCommonSNMPDevStat.SignalDone();
        QMetaObject::invokeMethod(this, [this] { SetAllLedStates(3); WalkEnded(false); }, Qt::QueuedConnection);
        m_bWalkBusy = false;
    }
}

void CModuleDlg::GetPOEPortStatus()
{
    TRACE() << "--1----GetPOEPortStatus---------";
    {
        std::lock_guard lock(m_walkMutex);
        m_strPoePorts.clear();
        m_strPoeValues.clear();
    }
    bool bStarted = m_cCommonSNMPPoeStat.Open(kSnmpPduGetNext);
    if (bStarted) {
        m_cCommonSNMPPoeStat.AddOid(kOidPoeStatus, 4, nullptr);
        bStarted = m_cCommonSNMPPoeStat.StartWalk(&CModuleDlg::PoeRowCallback, this, 1000) == 0;
    }
    if (!bStarted) {
        m_cCommonSNMPPoeStat.SignalDone();
        QMetaObject::invokeMethod(this, [this] { SetAllLedStates(3); WalkEnded(false); }, Qt::QueuedConnection);
        m_bWalkBusy = false;
    }
}

unsigned int CModuleDlg::LinkRowCallback(CSnmp* pReply, int nRequestId, void* pUser, int nError)
{
    std::unique_ptr<CSnmp> pOwned(nError == 0 ? pReply : nullptr);
    std::lock_guard lock(g_liveMutex);
    auto* pDlg = static_cast<CModuleDlg*>(pUser);
    if (g_liveDlgs.count(pDlg))
        pDlg->OnLinkStatusRow(std::move(pOwned), nRequestId, nError);
    return 0;
}

unsigned int CModuleDlg::PoeRowCallback(CSnmp* pReply, int nRequestId, void* pUser, int nError)
{
    std::unique_ptr<CSnmp> pOwned(nError == 0 ? pReply : nullptr);
    std::lock_guard lock(g_liveMutex);
    auto* pDlg = static_cast<CModuleDlg*>(pUser);
    if (g_liveDlgs.count(pDlg))
        pDlg->OnPoePortRow(std::move(pOwned), nRequestId, nError);
    return 0;
}

void CModuleDlg::OnLinkStatusRow(std::unique_ptr<CSnmp> pReply, int nRequestId, int nError)
{
    if (!m_cCommonSNMPDevStat.IsOwnRequest(nRequestId))
        return;  // the reply of an older or closed walk is dropped
    const bool bStopping = m_bStopping.load();
    if (nError == 0 && pReply) {
        QString strPort;
        QString strColumns[5];
        const int nCount = pReply->getValuesCount();
        for (int j = 0; j < nCount; ++j) {
            QString strSuffix, strValue;
            if (!ReadRowBinding(m_cCommonSNMPDevStat, *pReply, j, strSuffix, strValue))
                continue;
            if (j == 0)
                strPort = ListEntry(strSuffix.mid(strSuffix.indexOf(QLatin1Char('.')) + 1));
            if (j < 5)
                strColumns[j] = ListEntry(strValue);
        }
        bool bContinue = false;
        QString lists[5];
        {
            std::lock_guard lock(m_walkMutex);
            if (strPort.toInt() <= m_nPortNum) {
                const QString strComma = QStringLiteral(",");
                m_strLinkPort += strPort + strComma;
                m_strLinkAdmin += strColumns[2] + strComma;
                m_strLinkOper += strColumns[3] + strComma;
                m_strLinkSpeed += strColumns[1] + strComma;
                m_strLinkMedia += strColumns[4] + strComma;
                bContinue = true;
            }
            lists[0] = m_strLinkPort;
            lists[1] = m_strLinkAdmin;
            lists[2] = m_strLinkOper;
            lists[3] = m_strLinkSpeed;
            lists[4] = m_strLinkMedia;
        }
        if (bContinue && !bStopping) {
            if (m_cCommonSNMPDevStat.StartWalk(&CModuleDlg::LinkRowCallback, this, 500) == 0)
                return;
            // The next step could not be started: the walk ends as a failed one.
            QMetaObject::invokeMethod(this, [this] { SetAllLedStates(3); WalkEnded(false); }, Qt::QueuedConnection);
        } else if (!bContinue) {
            QMetaObject::invokeMethod(this, [this, lists] {
                ShowLinkStatus(lists[0], lists[1], lists[2], lists[3], lists[4]);
                update();
                WalkEnded(true);
            }, Qt::QueuedConnection);
        }
        m_cCommonSNMPDevStat.SignalDone();
        m_bWalkBusy = false;
        return;
    }

    QString lists[5];
    {
        std::lock_guard lock(m_walkMutex);
        lists[0] = m_strLinkPort;
        lists[1] = m_strLinkAdmin;
        lists[2] = m_strLinkOper;
        lists[3] = m_strLinkSpeed;
        lists[4] = m_strLinkMedia;
    }
    QMetaObject::invokeMethod(this, [this, nError, lists] {
        SetAllLedStates(3);
        if (nError == kSnmpTimeout)
            ResetPanelPorts(m_root);
        else if (nError == kSnmpEndOfTable)
            ShowLinkStatus(lists[0], lists[1], lists[2], lists[3], lists[4]);
        update();
        WalkEnded(nError == kSnmpEndOfTable);
    }, Qt::QueuedConnection);
    m_cCommonSNMPDevStat.SignalDone();
    m_bWalkBusy = false;
}

void CModuleDlg::OnPoePortRow(std::unique_ptr<CSnmp> pReply, int nRequestId, int nError)
{
    if (!m_cCommonSNMPPoeStat.IsOwnRequest(nRequestId))
        return;
    const bool bStopping = m_bStopping.load();
    if (nError == 0 && pReply) {
        QString strPort;
        QStringList values;
        const int nCount = pReply->getValuesCount();
        for (int j = 0; j < nCount; ++j) {
            QString strSuffix, strValue;
            if (!ReadRowBinding(m_cCommonSNMPPoeStat, *pReply, j, strSuffix, strValue))
                continue;
            if (j == 0)
                strPort = ListEntry(strSuffix.mid(3));
            values.push_back(ListEntry(strValue));
        }
        bool bContinue = false;
        QString strPorts, strValues;
        {
            std::lock_guard lock(m_walkMutex);
            if (strPort.toInt() <= m_nPortNum) {
                for (const QString& strValue : values) {
                    m_strPoeValues += strValue + QLatin1Char(',');
                    m_strPoePorts += strPort + QLatin1Char(',');
                }
                bContinue = true;
            }
            strPorts = m_strPoePorts;
            strValues = m_strPoeValues;
        }
        if (bContinue && !bStopping) {
            if (m_cCommonSNMPPoeStat.StartWalk(&CModuleDlg::PoeRowCallback, this, 1000) == 0)
                return;
            QMetaObject::invokeMethod(this, [this] { SetAllLedStates(3); WalkEnded(false); }, Qt::QueuedConnection);
        } else if (!bContinue) {
            QMetaObject::invokeMethod(this, [this, strPorts, strValues] {
                ShowPoeStatus(strPorts, strValues);
                update();
                WalkEnded(true);
            }, Qt::QueuedConnection);
        }
        m_cCommonSNMPPoeStat.SignalDone();
        m_bWalkBusy = false;
        return;
    }

    QString strPorts, strValues;
    {
        std::lock_guard lock(m_walkMutex);
        strPorts = m_strPoePorts;
        strValues = m_strPoeValues;
    }
    QMetaObject::invokeMethod(this, [this, nError, strPorts, strValues] {
        SetAllLedStates(3);
        if (nError == kSnmpEndOfTable)
            ShowPoeStatus(strPorts, strValues);
        update();
        WalkEnded(nError == kSnmpEndOfTable);
    }, Qt::QueuedConnection);
    m_cCommonSNMPPoeStat.SignalDone();
    m_bWalkBusy = false;
}

void CModuleDlg::WalkEnded(bool)
{
    ++m_nPollCount;
    emit pollApplied();
}

// ---------------------------------------------------------------------------------------------
// Applying walks (GUI thread)

namespace {

CPort* PortObject(CVirtualDev& root, int n)
{
    return n < 0 ? nullptr : static_cast<CPort*>(root.FindNthChild("CPort", n));
}

} // namespace

void CModuleDlg::ShowLinkStatus(const QString& strPorts, const QString& strAdmin, const QString& strOper,
                                const QString& strSpeed, const QString& strMedia)
{
    const int nFirstCombo = m_nPortNum == 10 ? m_nPortNum - 2 : m_nPortNum - 4;
    QString ports = strPorts, admin = strAdmin, oper = strOper, speed = strSpeed, media = strMedia;
    QString strPort, strAdminValue, strOperValue, strSpeedValue, strMediaValue;
    while (SplitFirst(ports, QLatin1Char(','), strPort, ports)) {
        // The lists were filled together; a short one reads as empty values.
        if (!SplitFirst(admin, QLatin1Char(','), strAdminValue, admin))
            strAdminValue.clear();
        if (!SplitFirst(oper, QLatin1Char(','), strOperValue, oper))
            strOperValue.clear();
        if (!SplitFirst(speed, QLatin1Char(','), strSpeedValue, speed))
            strSpeedValue.clear();
        if (!SplitFirst(media, QLatin1Char(','), strMediaValue, media))
            strMediaValue.clear();
        const int p = strPort.toInt();
        const int m = strMediaValue.toInt();
        int nState;
        if (strAdminValue != QLatin1String("1")) {
            nState = PORT_DISABLED;
        } else if (strOperValue != QLatin1String("1")) {
            nState = PORT_ENABLE;
        } else {
            const QString strTop = (g_bIsAllGiga || p > nFirstCombo) ? QStringLiteral("1000000000") : QStringLiteral("100000000");
            nState = strSpeedValue == strTop ? PORT_LINK10 : PORT_LINK100;
        }
        // Port numbers outside the front ports (and rows without a number) change nothing.
        if (p > m_nPortNum || p < 1 || p > kLedStates)
            continue;
        if (p == 1)
            for (int i = m_nPortNum; i < m_nPortNum + m_nExtraPortNum; ++i)
                if (CPort* pPort = PortObject(m_root, i))
                    pPort->SetPortStatus(PORT_ENABLE);
        if (m == 3 || m == 4) {
            if (CPort* pTwin = PortObject(m_root, p + m_nExtraPortNum - 1))
                pTwin->SetPortStatus(nState);
            if (CPort* pPort = PortObject(m_root, p - 1))
                pPort->SetPortStatus(PORT_ENABLE);
        } else if (CPort* pPort = PortObject(m_root, p - 1)) {
            pPort->SetPortStatus(nState);
        }
        std::lock_guard lock(m_stateMutex);
        m_byLedState[static_cast<std::size_t>(p - 1)] = static_cast<std::uint8_t>(nState);
        if (p - 1 < static_cast<int>(m_pPortMedia.size()))
            m_pPortMedia[static_cast<std::size_t>(p - 1)] = m;
    }
    StartBlinkTimer();
}

void CModuleDlg::ShowPoeStatus(const QString& strPorts, const QString& strValues)
{
    QString ports = strPorts, values = strValues, strPort, strValue;
    while (SplitFirst(ports, QLatin1Char(','), strPort, ports)) {
        if (!SplitFirst(values, QLatin1Char(','), strValue, values))
            strValue.clear();
        int nState = 0;
        if (strValue == QLatin1String("POWER ON"))
            nState = 1;
        else if (strValue == QLatin1String("POWER OFF") || strValue == QLatin1String("Time-based OFF"))
            nState = 2;
        const int p = strPort.toInt();
        if (p > m_nPortNum || p < 1 || p > kLedStates)
            continue;
        if (p == 1)
            for (int i = 8; i < m_nPortNum + m_nExtraPortNum; ++i)
                if (CPort* pPort = PortObject(m_root, i))
                    pPort->SetPortStatus(PORT_DISABLED);
        if (CPort* pPort = PortObject(m_root, p - 1))
            pPort->SetPortStatus(nState);
        std::lock_guard lock(m_stateMutex);
        m_byLedState[static_cast<std::size_t>(p - 1)] = static_cast<std::uint8_t>(nState);
        if (p - 1 < static_cast<int>(m_pPortMedia.size()))
            m_pPortMedia[static_cast<std::size_t>(p - 1)] = 2;
    }
    StartBlinkTimer();
}

void CModuleDlg::StartBlinkTimer()
{
    m_pBlinkTimer->start();
}

bool CModuleDlg::IsBlinkTimerActive() const
{
    return m_pBlinkTimer->isActive();
}

// ---------------------------------------------------------------------------------------------
// Painting

QPoint CModuleDlg::LampCorner(int nPortObject) const
{
    const CVirtualDev* pPort = m_root.FindNthChild("CPort", nPortObject);
    if (!pPort || pPort->GetChildCount() == 0)
        return QPoint(0, 0);
    return pPort->GetChild(0)->GetRect().topLeft();
}

void CModuleDlg::DrawBitmap(QPainter& dc, int nKey)
{
    // What the draw-bitmap message does: the store's picture at m_ptDraw.
    if (g_pMyBitmapApp)
        g_pMyBitmapApp->DrawCached(&dc, nKey, m_ptDraw.x(), m_ptDraw.y());
}

void CModuleDlg::OnTimer(int nId)
{
    if (nId != kBlinkTimerId)
        return;
    UpdateBlinkingLamps();
    g_bBlinkPhase = !g_bBlinkPhase;
}

void CModuleDlg::UpdateBlinkingLamps()
{
    // Only lamps that blink change between ticks; a panel without one repaints nothing.
    if (!g_pMyBitmapApp || !isVisible())
        return;
    QRegion region;
    const QPoint ptOffset = ClientRect().topLeft();
    for (int j = 0; j < m_nPortNum && j < kLedStates; ++j) {
        int nState, nMedia;
        {
            std::lock_guard lock(m_stateMutex);
            nState = m_byLedState[static_cast<std::size_t>(j)];
            nMedia = j < static_cast<int>(m_pPortMedia.size()) ? m_pPortMedia[static_cast<std::size_t>(j)] : 0;
        }
        if (nState != 0 && nState != 1)
            continue;
        const int nObject = (nMedia == 3 || nMedia == 4) ? j + m_nExtraPortNum : j;
        const QImage* pImage = g_pMyBitmapApp->Find(nState == 1 ? kBmpLinkAOdd : kBmpLinkBOdd);
        const QSize size = pImage ? pImage->size() : QSize(8, 8);
        region += QRect(LampCorner(nObject) + ptOffset, size);
    }
    if (!region.isEmpty())
        repaint(region);
}

void CModuleDlg::OnPaint(QPainter& dc)
{
    if (!m_bInitialised || !g_pMyBitmapApp)
        return;
    std::array<std::uint8_t, kLedStates> ledState;
    std::vector<int> media;
    QString strFan;
    {
        std::lock_guard lock(m_stateMutex);
        ledState = m_byLedState;
        media = m_pPortMedia;
        strFan = m_strFanState;
    }
    const auto draw = [&dc](int nKey, int x, int y) { g_pMyBitmapApp->DrawCached(&dc, nKey, x, y); };

    // Indicators by layout.
    switch (m_nPortNum) {
    case 24:
        draw(kBmpOverlay, 24, 25);
        break;
    case 16:
        draw(kBmpOverlay, 25, 26);
        break;
    case 48:
        draw(kBmpOverlay, 21, 27);
        if (strFan == QLatin1String("2"))
            draw(kBmpWarning, 55, 33);
        break;
    case 10:
        draw(kBmpOverlay, 12, 25);
        if (m_bLedPoeMode) {
            draw(kBmpModeA, 81, 42);
            draw(kBmpModeB, 81, 55);
        } else {
            draw(kBmpModeB, 81, 42);
            draw(kBmpModeA, 81, 55);
        }
        if (m_BIsPowMax)
            draw(kBmpWarning, 42, 38);
        break;
    default:
        if (m_strDeviceName == QLatin1String("TQF-8828P"))
            draw(kBmpOverlay, 25, 23);
        break;
    }

    // Fibre twins, steady.
    for (int i = m_nPortNum; i < m_nPortNum + m_nExtraPortNum; ++i) {
        m_ptDraw = LampCorner(i);
        if (m_nPortNum == 10)
            DrawBitmap(dc, kBmpSteadyEven);
        else
            DrawBitmap(dc, (i + 1) % 2 ? kBmpSteadyOdd : kBmpSteadyEven);
    }

    // Front ports: the steady picture, then the state's picture (on the twin when the link is there).
    for (int j = 0; j < m_nPortNum && j < kLedStates; ++j) {
        const int n = j + 1;
        const bool bOdd = n % 2 != 0;
        if (!m_root.FindNthChild("CPort", j))
            continue;  // a description with fewer ports than the settings say: nothing to draw on
        m_ptDraw = LampCorner(j);
        if (m_ptDraw.x() != 0)
            DrawBitmap(dc, bOdd ? kBmpSteadyOdd : kBmpSteadyEven);
        const int nMedia = j < static_cast<int>(media.size()) ? media[static_cast<std::size_t>(j)] : 0;
        if (nMedia == 3 || nMedia == 4) {
            m_ptDraw = LampCorner(j + m_nExtraPortNum);
            DrawBitmap(dc, bOdd ? kBmpSteadyOdd : kBmpSteadyEven);
        }
        switch (ledState[static_cast<std::size_t>(j)]) {
        case 2:
            DrawBitmap(dc, bOdd ? kBmpSteadyOdd : kBmpSteadyEven);
            break;
        case 1:
            if (!g_bBlinkPhase)
                DrawBitmap(dc, bOdd ? kBmpLinkAOdd : kBmpLinkAEven);
            break;
        case 0:
            if (g_bBlinkPhase)
                DrawBitmap(dc, bOdd ? kBmpLinkBOdd : kBmpLinkBEven);
            break;
        default:
            break;
        }
    }
}
