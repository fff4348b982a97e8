#include "app/InstanceGuard.h"

#include "Agents.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>

#include <gtest/gtest.h>

#include <set>

namespace {

// Runs the event loop until pred holds or 5 s have passed.
template <class Pred>
bool Pump(Pred pred)
{
    QDeadlineTimer deadline(5000);
    while (!pred() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return pred();
}

struct GuardTest : ::testing::Test {
    int argc = 1;
    char arg0[16] = "guardtest";
    char* argv[2] = {arg0, nullptr};
    QCoreApplication app{argc, argv};
    tqxtest::TempDir dir;
    QString folder = QString::fromStdString(dir.path().string());
};

TEST(InstanceName, NameRunsTogetherAndSocketNameIsSafeAndDistinct)
{
    EXPECT_EQ(CInstanceGuard::InstanceName("TQX-8800", "10.90.90.90"), "Module:TQX-880010.90.90.90");
    EXPECT_EQ(CInstanceGuard::SocketName("Module:TQX-880010.90.90.90"), "tqx-Module_3aTQX-880010.90.90.90");

    const QString names[] = {"Module:a/b1.1.1.1", "Module:a_2fb1.1.1.1", "Module:a b1.1.1.1", "Module:\xc3\xa9",
                             "Module:" + QString(300, 'x') + "1.1.1.1", "Module:" + QString(300, 'x') + "1.1.1.2", "Module:"};
    std::set<QString> seen;
    for (const QString& n : names) {
        const QString s = CInstanceGuard::SocketName(n);
        EXPECT_LE(s.size(), 80) << n.toStdString();
        for (QChar c : s)
            EXPECT_TRUE(c.isLetterOrNumber() || c == '.' || c == '-' || c == '_') << s.toStdString();
        EXPECT_TRUE(seen.insert(s).second) << "collision for " << n.toStdString();
    }
}

TEST_F(GuardTest, SecondClaimHandsItsRequestToTheFirst)
{
    CInstanceGuard first("Module:TQX-8800127.0.0.1", folder);
    ASSERT_EQ(first.claim(), CInstanceGuard::Claim::Primary);
    ASSERT_TRUE(first.listening());
    int activations = 0;
    std::vector<int> commands;
    QObject::connect(&first, &CInstanceGuard::activateRequested, [&] { ++activations; });
    QObject::connect(&first, &CInstanceGuard::commandRequested, [&](int id) { commands.push_back(id); });

    CInstanceGuard second("Module:TQX-8800127.0.0.1", folder);
    EXPECT_EQ(second.claim(), CInstanceGuard::Claim::Secondary);
    EXPECT_FALSE(second.listening());
    EXPECT_TRUE(Pump([&] { return activations == 1; }));

    CInstanceGuard third("Module:TQX-8800127.0.0.1", folder);
    EXPECT_EQ(third.claim("command 32774"), CInstanceGuard::Claim::Secondary);
    EXPECT_TRUE(Pump([&] { return commands.size() == 1; }));
    EXPECT_EQ(commands, std::vector<int>{32774});

    // Another address is another instance.
    CInstanceGuard other("Module:TQX-8800127.0.0.2", folder);
    EXPECT_EQ(other.claim(), CInstanceGuard::Claim::Primary);
    EXPECT_TRUE(other.listening());
    EXPECT_EQ(activations, 1);
}

TEST_F(GuardTest, HostileClientsAreDroppedAndUnknownLinesIgnored)
{
    CInstanceGuard first("Module:X1.1.1.1", folder);
    ASSERT_EQ(first.claim(), CInstanceGuard::Claim::Primary);
    int activations = 0, commands = 0;
    QObject::connect(&first, &CInstanceGuard::activateRequested, [&] { ++activations; });
    QObject::connect(&first, &CInstanceGuard::commandRequested, [&](int) { ++commands; });

    QLocalSocket flood;
    flood.connectToServer(first.socketPath());
    ASSERT_TRUE(flood.waitForConnected(2000));
    flood.write(QByteArray(4000, 'a'));  // no line end: dropped once past the line limit
    flood.flush();
    EXPECT_TRUE(Pump([&] { return flood.state() == QLocalSocket::UnconnectedState; }));

    QLocalSocket mixed;
    mixed.connectToServer(first.socketPath());
    ASSERT_TRUE(mixed.waitForConnected(2000));
    mixed.write("hello\ncommand x\ncommand\nactivate\n");
    mixed.flush();
    EXPECT_TRUE(Pump([&] { return activations == 1; }));
    EXPECT_EQ(commands, 0);
}

TEST_F(GuardTest, ReleasedOrStaleInstanceIsTakenOver)
{
    QString path;
    {
        CInstanceGuard first("Module:Y1.1.1.1", folder);
        ASSERT_EQ(first.claim(), CInstanceGuard::Claim::Primary);
        path = first.socketPath();
        EXPECT_TRUE(QFile::exists(path));
    }
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(path + ".lock"));

    // A socket file nobody listens on (left by a crash) is removed and listened on again.
    QFile stale(path);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    CInstanceGuard next("Module:Y1.1.1.1", folder);
    EXPECT_EQ(next.claim(), CInstanceGuard::Claim::Primary);
    EXPECT_TRUE(next.listening());
}

} // namespace
