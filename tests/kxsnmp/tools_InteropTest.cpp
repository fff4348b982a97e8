// The kxsnmp client against two independent agents (net-snmp's snmpd and tqx-sim), compared with
// net-snmp's own command-line tools; its errors and exit statuses; and kxsnmp-logdump.
#include "Agents.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <filesystem>

namespace {

struct RunResult {
    int code = -1;
    QString out;
    QString err;
};

QCoreApplication* App()
{
    static int argc = 1;
    static char name[] = "tools-interop-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return app;
}

RunResult Exec(const QString& program, const QStringList& args, const QString& workDir = QString())
{
    App();
    QProcess p;
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, args);
    RunResult r;
    if (!p.waitForStarted(10000)) {
        r.err = QStringLiteral("could not start ") + program;
        return r;
    }
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished(5000);
        r.err = QStringLiteral("did not finish: ") + program;
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString Tool(const char* name)
{
    return QString::fromStdString(tqxtest::BuiltProgram(std::string("kxsnmp/tools/") + name));
}

RunResult Kx(const QStringList& args, const QString& workDir = QString())
{
    return Exec(Tool("kxsnmp"), args, workDir);
}

// net-snmp's tool, SNMPv1, numeric OIDs, numeric enumerations, raw time ticks, no MIB files.
RunResult NetSnmp(const char* tool, std::uint16_t port, const QString& community, const QStringList& args)
{
    QStringList all{QStringLiteral("-v1"), QStringLiteral("-c"), community, QStringLiteral("-On"),
                    QStringLiteral("-m"), QString(), QStringLiteral("-M"), QStringLiteral("/nonexistent"),
                    QStringLiteral("127.0.0.1:%1").arg(port)};
    return Exec(QStringLiteral("/usr/bin/") + QLatin1String(tool), all + args);
}

// Both tools' binding lines in one form: no leading dots, raw time ticks, no trailing blanks. Values of
// objects that change on their own (time ticks, counters) are left out.
QStringList Normalise(const QString& output)
{
    static const QRegularExpression ticks(QStringLiteral("Timeticks: \\((\\d+)\\).*$"));
    QStringList lines;
    for (QString line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!line.contains(QLatin1String(" = ")))
            continue;
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('.')))
            line.remove(0, 1);
        line.replace(QLatin1String(" = OID: ."), QLatin1String(" = OID: "));
        line.replace(ticks, QStringLiteral("Timeticks: \\1"));
        if (line.endsWith(QLatin1String(" = \"\"")))
            line.replace(line.size() - 2, 2, QStringLiteral("STRING: \"\""));
        for (const char* type : {"Timeticks: ", "Counter32: "}) {
            const qsizetype at = line.indexOf(QLatin1String(type));
            if (at >= 0)
                line.truncate(at + static_cast<qsizetype>(std::strlen(type)) - 1);
        }
        lines << line;
    }
    return lines;
}

// Number of message blocks in kxsnmp-logdump output.
qsizetype Blocks(const QString& dump)
{
    static const QRegularExpression header(QStringLiteral("^message \\d+$"), QRegularExpression::MultilineOption);
    qsizetype n = 0;
    for (auto it = header.globalMatch(dump); it.hasNext(); it.next())
        ++n;
    return n;
}

QString Port(std::uint16_t port) { return QString::number(port); }

// The same requests through both clients give the same bindings.
void ExpectSameAsNetSnmp(std::uint16_t port, const QStringList& getOids, const QStringList& nextOids,
                         const QStringList& walkRoots)
{
    const QStringList common{QStringLiteral("-p"), Port(port), QStringLiteral("127.0.0.1")};
    struct Step { const char* command; const char* netsnmp; QStringList oids; };
    std::vector<Step> steps{{"get", "snmpget", getOids}, {"next", "snmpgetnext", nextOids}};
    for (const QString& root : walkRoots)
        steps.push_back({"walk", "snmpwalk", {root}});
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.command) + " " + s.oids.join(' ').toStdString());
        const RunResult ours = Kx(QStringList{QString::fromLatin1(s.command)} + common + s.oids);
        const RunResult theirs = NetSnmp(s.netsnmp, port, QStringLiteral("public"), s.oids);
        EXPECT_EQ(ours.code, 0) << ours.err.toStdString();
        EXPECT_EQ(theirs.code, 0) << theirs.err.toStdString();
        const QStringList a = Normalise(ours.out);
        const QStringList b = Normalise(theirs.out);
        EXPECT_FALSE(a.isEmpty());
        EXPECT_EQ(a.join('\n').toStdString(), b.join('\n').toStdString());
    }
}

} // namespace

TEST(ToolsInterop, SnmpdGivesTheSameBindingsAsNetSnmpTools)
{
    tqxtest::SnmpdAgent agent;
    ASSERT_TRUE(agent.ok()) << agent.process().output();
    ExpectSameAsNetSnmp(agent.port(),
                        {"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.2.0", "1.3.6.1.2.1.1.4.0", "1.3.6.1.2.1.1.3.0"},
                        {"1.3.6.1.2.1.1", "1.3.6.1.2.1.2.2.1.2", "1.3.6.1.2.1.4.20.1.1"},
                        {"1.3.6.1.2.1.1", "1.3.6.1.2.1.2.2.1", "1.3.6.1.2.1.4.20", "1.3.6.1.2.1.1.1.0"});
}

TEST(ToolsInterop, SetOnSnmpdIsReadBackByNetSnmp)
{
    tqxtest::SnmpdAgent agent;
    ASSERT_TRUE(agent.ok()) << agent.process().output();
    const QString sysName = QStringLiteral("1.3.6.1.2.1.1.5.0");
    struct Case { const char* type; const char* value; const char* readBack; };
    for (const Case& c : {Case{"s", "kx bench", "STRING: \"kx bench\""}, Case{"x", "6b:78", "STRING: \"kx\""}}) {
        SCOPED_TRACE(c.type);
        const RunResult set = Kx({"set", "-c", "private", "-p", Port(agent.port()), "127.0.0.1", sysName,
                            QString::fromLatin1(c.type), QString::fromLatin1(c.value)});
        EXPECT_EQ(set.code, 0) << set.err.toStdString();
        EXPECT_EQ(Normalise(set.out), QStringList{sysName + " = " + c.readBack});
        const RunResult check = NetSnmp("snmpget", agent.port(), QStringLiteral("public"), {sysName});
        EXPECT_EQ(Normalise(check.out), QStringList{sysName + " = " + c.readBack});
    }
    // A read-only community: SNMPv1 agents answer noSuchName, and the client fails with it.
    const RunResult refused = Kx({"set", "-p", Port(agent.port()), "127.0.0.1", sysName, "s", "x"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains(QLatin1String("error status 2 (noSuchName), error index 1"))) << refused.err.toStdString();
}

TEST(ToolsInterop, SimulatedSwitchGivesTheSameBindingsAsNetSnmpTools)
{
    if (!std::filesystem::exists(tqxtest::BuiltProgram("sim/tqx-sim")))
        GTEST_SKIP() << "tqx-sim is not built";
    tqxtest::SimAgent sim;
    ASSERT_TRUE(sim.ok()) << sim.process().output();
    ExpectSameAsNetSnmp(sim.port(), {"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.2.0", "1.3.6.1.2.1.2.1.0"},
                        {"1.3.6.1.2.1.2.2.1.8", "1.3.6.1.4.1.32473"}, {"1.3.6.1"});
}

TEST(ToolsErrors, FailuresReportTheLibraryTextAndExitNonZero)
{
    tqxtest::SnmpdAgent agent;
    ASSERT_TRUE(agent.ok()) << agent.process().output();
    const QString port = Port(agent.port());
    const QString silent = Port(tqxtest::FreeUdpPort());
    struct Case { const char* what; QStringList args; int code; const char* err; };
    const Case cases[] = {
        {"no such name", {"get", "-p", port, "127.0.0.1", "1.3.6.1.2.1.1.99.0"}, 1,
         "error status 2 (noSuchName), error index 1"},
        {"nothing listens", {"get", "-t", "500", "-p", silent, "127.0.0.1", "1.3.6.1.2.1.1.5.0"}, 1,
         "kxsnmp: Snmp timeout."},
        {"packet too big", {"set", "-p", port, "127.0.0.1", "1.3.6.1.2.1.1.5.0", "s", QString(600, QLatin1Char('a'))}, 1,
         "kxsnmp: Buffer overflow while snmp encoding."},
        {"no IPv4 address", {"get", "-p", port, "::1", "1.3.6.1.2.1.1.5.0"}, 1, "no IPv4 address"},
        {"bad command line", {"get", "-p", "0", "127.0.0.1", "1.3"}, 2, "usage: kxsnmp"},
        {"no arguments", {}, 2, "usage: kxsnmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RunResult r = Kx(c.args);
        EXPECT_EQ(r.code, c.code) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.err))) << r.err.toStdString();
    }
}

TEST(ToolsHexAndLog, HexShowsThePacketAsSentAndTheLogDumpShowsEveryMessage)
{
    tqxtest::SnmpdAgent agent;
    ASSERT_TRUE(agent.ok()) << agent.process().output();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The first request of a process has id 1.
    const RunResult get = Kx({"get", "--hex", "--log", "-p", Port(agent.port()), "127.0.0.1", "1.3.6.1.2.1.1.5.0"}, dir.path());
    ASSERT_EQ(get.code, 0) << get.err.toStdString();
    EXPECT_TRUE(get.out.contains(QLatin1String(
        "sent 40 bytes to 127.0.0.1:" + Port(agent.port()).toLatin1() +
        ": 30 26 02 01 00 04 06 70 75 62 6C 69 63 A0 19 02 01 01 02 01 00 02 01 00 30 0E 30 0C 06 08 2B 06 01 02 01 "
        "01 05 00 05 00\n"))) << get.out.toStdString();

    const RunResult dump = Exec(Tool("kxsnmp-logdump"), {}, dir.path());
    EXPECT_EQ(dump.code, 0) << dump.err.toStdString();
    EXPECT_EQ(Blocks(dump.out), 2);
    EXPECT_TRUE(dump.out.contains(QLatin1String("pdu type: 0xa0 (GetRequest)\n  request id: 1\n")));
    EXPECT_TRUE(dump.out.contains(QLatin1String("pdu type: 0xa2 (GetResponse)\n  request id: 1\n")));
    EXPECT_TRUE(dump.out.contains(QLatin1String("    1.3.6.1.2.1.1.5.0 = NULL\n")));
    EXPECT_TRUE(dump.out.contains(QLatin1String("    1.3.6.1.2.1.1.5.0 = STRING: \"")));

    // A damaged log: the intact messages, then where it broke.
    QFile log(dir.filePath(QStringLiteral("snmp.log")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray bytes = log.readAll();
    log.close();
    QFile cut(dir.filePath(QStringLiteral("cut.log")));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() - 5));
    cut.close();
    const RunResult damaged = Exec(Tool("kxsnmp-logdump"), {QStringLiteral("cut.log")}, dir.path());
    EXPECT_EQ(damaged.code, 1);
    EXPECT_EQ(Blocks(damaged.out), 1);
    EXPECT_TRUE(damaged.out.contains(QLatin1String("log damaged at byte"))) << damaged.out.toStdString();

    const RunResult missing = Exec(Tool("kxsnmp-logdump"), {QStringLiteral("none.log")}, dir.path());
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(QLatin1String("no such file")));
}
