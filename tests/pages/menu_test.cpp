// The main window's menu opens each view: the page runs modally with the main window hidden, shows
// the agent's data, and the window comes back when it closes.
#include "app/ModuleDlg.h"
#include "app/Pages.h"
#include "pages/common/PageDlg.h"
#include "pages/port/PortConfigDlg.h"
#include "panel/VirtualDev.h"

#include "views_support.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTimer>

#include <gtest/gtest.h>

using namespace viewstest;
using tqxtest::App;
using tqxtest::UseAgent;

TEST(PageMenu, EachViewOpensFromTheMenuAndShowsTheDevice)
{
    App();
    tqxtest::SimAgent sim("TQX-8800");
    ASSERT_TRUE(sim.ok());
    UseAgent(sim.port(), false, "2000");
    RegisterModulePages();
    CModuleDlg dlg{QString()};
    dlg.OnInitDialog();
    dlg.show();

    const struct {
        int command, page, probe;  // probe: a list (or, for System Information, the description; for STP the root)
    } cases[] = {
        {CModuleDlg::ID_INTERFACE_TABLE, 49, 1088}, {CModuleDlg::ID_IP_TABLE, 208, 208},
        {CModuleDlg::ID_SYSTEM_INFO, 80, 1302},     {CModuleDlg::ID_FORWARDING_TABLE, 278, 1205},
        {CModuleDlg::ID_TCP_SERVICE, 481, 234},     {CModuleDlg::ID_UDP_SERVICE, 482, 209},
        {CModuleDlg::ID_VLAN, 447, 1341},           {CModuleDlg::ID_TRUNK, 487, 201},
        {CModuleDlg::ID_PORT_CONFIG, 201, 201},      {CModuleDlg::ID_8021D, 85, 1189},
        {CModuleDlg::ID_MULTICAST_FILTERING, 195, 1045}, {CModuleDlg::ID_DHCP_SCREENING, 194, 1045},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const auto missing = CModuleDlg::PagesNotBuilt();
        EXPECT_EQ(std::find(missing.begin(), missing.end(), c.command), missing.end());
        QAction* pItem = dlg.FindCommand(c.command);
        ASSERT_NE(pItem, nullptr);
        int nTemplate = 0;
        bool bData = false, bMainHidden = false;
        // While the page runs modally, look at it until it has shown the device, then close it.
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            auto* pPage = qobject_cast<CPageDlg*>(QApplication::activeModalWidget());
            if (!pPage)
                return;
            nTemplate = pPage->TemplateId();
            bMainHidden = !dlg.isVisible();
            if (auto* pList = FindControl<CListCtrl>(pPage, c.probe))
                bData = pList->GetItemCount() > 0;
            else
                bData = !Text(*pPage, c.probe).empty();
            if (bData || probe.property("ticks").toInt() > 300) {
                // A picture of each page for whoever looks at the build's results.
                QDir().mkpath(QStringLiteral(TQX_BINARY_DIR "/tests/pages/artefacts"));
                pPage->grab().save(QStringLiteral(TQX_BINARY_DIR "/tests/pages/artefacts/page-%1.png").arg(nTemplate));
                pPage->reject();
            }
            probe.setProperty("ticks", probe.property("ticks").toInt() + 1);
        });
        probe.start(20);
        pItem->trigger();
        probe.stop();
        EXPECT_EQ(nTemplate, c.page);
        EXPECT_TRUE(bData);
        EXPECT_TRUE(bMainHidden);
        EXPECT_TRUE(dlg.isVisible());
    }
    dlg.close();
}

// A click on a port of the panel opens Port Configuration with that port chosen; a click on the
// fibre connector of a combo port chooses the combo port.
TEST(PageMenu, AClickOnAPortOpensItsPortConfiguration)
{
    App();
    tqxtest::SimAgent sim("TQX-8800");
    ASSERT_TRUE(sim.ok());
    UseAgent(sim.port(), false, "2000");
    RegisterModulePages();
    const QString old = QDir::currentPath();
    QDir::setCurrent(QStringLiteral(TQX_SOURCE_DIR "/models/TQX-8800"));
    {
        CModuleDlg dlg(QStringLiteral(TQX_SOURCE_DIR "/models/TQX-8800/User.ini"));
        dlg.OnInitDialog();
        dlg.show();
        const struct {
            int object;  // 0-based among the panel's ports
            const char* port;
        } cases[] = {{4, "5"}, {20, "21"}, {26, "23"}};
        for (const auto& c : cases) {
            SCOPED_TRACE(c.object);
            auto* pPort = dynamic_cast<CPort*>(dlg.GetRoot().FindNthChild("CPort", c.object));
            ASSERT_NE(pPort, nullptr);
            int nTemplate = 0;
            QString strPort;
            QTimer probe;
            QObject::connect(&probe, &QTimer::timeout, [&] {
                auto* pPage = qobject_cast<CPortConfigDlg*>(QApplication::activeModalWidget());
                if (!pPage)
                    return;
                nTemplate = pPage->TemplateId();
                strPort = pPage->SelectedPort();
                if (!strPort.isEmpty() || probe.property("ticks").toInt() > 300)
                    pPage->reject();
                probe.setProperty("ticks", probe.property("ticks").toInt() + 1);
            });
            probe.start(20);
            const QPoint at = pPort->GetRect().center() + dlg.ClientRect().topLeft();
            QMouseEvent press(QEvent::MouseButtonPress, at, dlg.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(&dlg, &press);
            probe.stop();
            EXPECT_EQ(nTemplate, CPortConfigDlg::IDD);
            EXPECT_EQ(strPort.toStdString(), c.port);
            EXPECT_TRUE(dlg.isVisible());
        }
        dlg.close();
    }
    QDir::setCurrent(old);
}
