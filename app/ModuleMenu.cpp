// The menu bar of the main window, its trimming by device name, and the pages its commands open.
#include "app/ModuleDlg.h"

#include "core/Trace.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include <map>

namespace {

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

void CModuleDlg::RegisterPage(int nCommand, PageFactory factory)
{
    if (factory)
        PageFactories()[nCommand] = std::move(factory);
    else
        PageFactories().erase(nCommand);
}

namespace {

CModuleDlg::PortPageFactory& PortPageFactoryOf()
{
    static CModuleDlg::PortPageFactory factory;
    return factory;
}

} // namespace

void CModuleDlg::RegisterPortPage(PortPageFactory factory)
{
    PortPageFactoryOf() = std::move(factory);
}

void CModuleDlg::OnPortClick(int nPortObject)
{
    int nPort = nPortObject;
    if (nPort > m_nPortNum && nPort <= m_nPortNum + m_nExtraPortNum)
        nPort -= m_nExtraPortNum;
    if (nPort < 1 || nPort > m_nPortNum)
        return;
    QWidget* pModal = QApplication::activeModalWidget();
    if (m_bPageOpen || (pModal && pModal != this)) {
        TRACE() << "port" << nPort << "clicked: a page or question is open";
        return;
    }
    const PortPageFactory& factory = PortPageFactoryOf();
    if (!factory) {
        TRACE() << "port" << nPort << "clicked: page" << PageTemplate(ID_PORT_CONFIG) << "is not available in this build";
        return;
    }
    std::unique_ptr<QDialog> pPage = factory(nPort);
    if (!pPage)
        return;
    TRACE() << "port" << nPort << "clicked: opens page" << PageTemplate(ID_PORT_CONFIG);
    OpenPage(*pPage);
    TRACE() << "page" << PageTemplate(ID_PORT_CONFIG) << "closed";
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

const CModuleDlg::PageFactory* CModuleDlg::FindPageFactory(int nCommand)
{
    const auto it = PageFactories().find(nCommand);
    return it == PageFactories().end() ? nullptr : &it->second;
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
