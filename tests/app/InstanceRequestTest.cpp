// A page opened by a request on the instance socket, whatever the asking client does with its
// connection while the page runs: the page opens and closes as from the menu and the module goes on.
#include "mainwin_support.h"

#include "app/InstanceGuard.h"

#include <QLocalSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

using namespace mainwintest;

namespace {

int Count(const TraceRecorder& trace, const std::string& line)
{
    const auto lines = trace.lines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

std::string Text(const TraceRecorder& trace)
{
    std::string text;
    for (const std::string& line : trace.lines())
        text += line + "\n";
    return text;
}

// What the client does once its request has opened the page, and how long the page then stays open.
struct ClientCase {
    const char* name;
    QByteArray request;
    QByteArray more;     // written while the page is open
    bool disconnect;     // the client goes away while the page is open (else it stays, silent)
    int holdMs;
};

class InstancePage : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        UseAgent(tqxtest::FreeUdpPort());
        m_dlg = std::make_unique<CModuleDlg>(QString());
        m_dlg->show();
        m_guard = std::make_unique<CInstanceGuard>(QStringLiteral("Module:instance-page"),
                                                   QString::fromStdString(m_dir.path().string()));
        ASSERT_EQ(m_guard->claim(), CInstanceGuard::Claim::Primary);
        QObject::connect(m_guard.get(), &CInstanceGuard::commandRequested, m_dlg.get(), &CModuleDlg::OnCommandRequest);
        CModuleDlg::RegisterPage(CModuleDlg::ID_SYSTEM_INFO, [this](QWidget* pParent) {
            auto page = std::make_unique<QDialog>(pParent);
            QDialog* p = page.get();
            ++m_opened;
            // While the page's own loop runs, the client does its part; then the page is closed.
            QTimer::singleShot(0, p, [this, p] {
                if (m_pClient && !m_case.more.isEmpty()) {
                    m_pClient->write(m_case.more);
                    m_pClient->flush();
                }
                if (m_pClient && m_case.disconnect) {
                    m_pClient->disconnectFromServer();
                    m_pClient.reset();
                }
                QTimer::singleShot(m_case.holdMs, p, &QDialog::reject);
            });
            return page;
        });
    }

    void TearDown() override { CModuleDlg::RegisterPage(CModuleDlg::ID_SYSTEM_INFO, {}); }

    // Connects, writes the request and leaves the connection to the case.
    void Ask(const ClientCase& c)
    {
        m_case = c;
        m_pClient = std::make_unique<QLocalSocket>();
        m_pClient->connectToServer(m_guard->socketPath());
        ASSERT_TRUE(m_pClient->waitForConnected(3000));
        m_pClient->write(c.request);
        m_pClient->flush();
    }

    tqxtest::TempDir m_dir;
    std::unique_ptr<CModuleDlg> m_dlg;
    std::unique_ptr<CInstanceGuard> m_guard;
    std::unique_ptr<QLocalSocket> m_pClient;
    ClientCase m_case{};
    int m_opened = 0;
};

TEST_F(InstancePage, PageOpensAndClosesWhateverTheClientDoes)
{
    const ClientCase cases[] = {
        {"closes at once", "command 32805\n", {}, true, 200},
        {"sends more lines", "command 32805\n", "activate\ncommand 32805\ncommand 32810\n", true, 200},
        {"disconnects mid-line", "command 32805\n", "comm", true, 200},
        // Outlives the guard's idle limit, which drops the silent connection while the page is open.
        {"stays silent", "command 32805\n", {}, false, CInstanceGuard::kRequestIdleMs + 500},
    };
    for (const ClientCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = m_opened;
        TraceRecorder trace;
        Ask(c);
        ASSERT_TRUE(WaitFor([&] { return Count(trace, "page 80 closed") == 1; }, c.holdMs + 5000)) << Text(trace);
        m_pClient.reset();
        WaitFor([] { return false; }, 100);  // anything the page's loop left queued runs here
        EXPECT_EQ(m_opened, before + 1);
        EXPECT_TRUE(m_dlg->isVisible());
        EXPECT_FALSE(m_dlg->IsPageOpen());

        // The guard still serves: the next request opens the page again.
        Ask({"again", "command 32805\n", {}, true, 0});
        ASSERT_TRUE(WaitFor([&] { return Count(trace, "page 80 closed") == 2; }, 5000)) << Text(trace);
        EXPECT_EQ(m_opened, before + 2);
    }
}

} // namespace
