#include "panel/Launcher.h"

#include "core/Trace.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

#include <mutex>
#include <vector>

namespace {

std::mutex g_handlerMutex;
CLauncher::Handler g_telnetHandler;
CLauncher::Handler g_browseHandler;

CLauncher::Handler Current(const CLauncher::Handler& handler)
{
    std::lock_guard lock(g_handlerMutex);
    return handler;
}

}  // namespace

bool CLauncher::IsSafeAddress(const QString& strAddress)
{
    if (strAddress.isEmpty() || strAddress.size() > 255 || strAddress.startsWith(QLatin1Char('-')))
        return false;
    for (const QChar c : strAddress) {
        const bool ok = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') || c == QLatin1Char('-')
            || c == QLatin1Char(':') || c == QLatin1Char('_') || c == QLatin1Char('%') || c == QLatin1Char('[')
            || c == QLatin1Char(']');
        if (!ok)
            return false;
    }
    return true;
}

namespace {

// Terminals in the order they are tried, with what goes before the command to run in them.
struct Terminal {
    const char* program;
    QStringList before;
};

const std::vector<Terminal>& Terminals()
{
    static const std::vector<Terminal> terminals = {
        {"x-terminal-emulator", {QStringLiteral("-e")}},
        {"xdg-terminal-exec", {}},
        {"gnome-terminal", {QStringLiteral("--")}},
        {"konsole", {QStringLiteral("-e")}},
        {"xfce4-terminal", {QStringLiteral("-x")}},
        {"mate-terminal", {QStringLiteral("-x")}},
        {"lxterminal", {QStringLiteral("-e")}},
        {"qterminal", {QStringLiteral("-e")}},
        {"terminator", {QStringLiteral("-x")}},
        {"alacritty", {QStringLiteral("-e")}},
        {"kitty", {}},
        {"foot", {}},
        {"xterm", {QStringLiteral("-e")}},
    };
    return terminals;
}

}  // namespace

CLauncher::TelnetCommand CLauncher::FindTelnetCommand(const QString& strAddress)
{
    TelnetCommand command;
    const QString telnet = QStandardPaths::findExecutable(QStringLiteral("telnet"));
    if (telnet.isEmpty()) {
        command.problem = QStringLiteral("The telnet client is not installed. Install the package telnet "
                                         "(sudo apt install telnet) and try again.");
        return command;
    }
    QStringList tail{QStringLiteral("telnet")};
    if (!strAddress.isEmpty())
        tail << strAddress;
    // $TERMINAL names the user's choice, with its own options; "-e" runs the command in it.
    QStringList chosen = QProcess::splitCommand(qEnvironmentVariable("TERMINAL").trimmed());
    if (!chosen.isEmpty()) {
        const QString program = QStandardPaths::findExecutable(chosen.first());
        if (!program.isEmpty()) {
            chosen.removeFirst();
            command.program = program;
            command.args = chosen << QStringLiteral("-e") << tail;
            return command;
        }
        TRACE() << "Telnet: the terminal of $TERMINAL is not installed:" << chosen.first();
    }
    for (const Terminal& terminal : Terminals()) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(terminal.program));
        if (program.isEmpty())
            continue;
        command.program = program;
        command.args = terminal.before + tail;
        return command;
    }
    command.problem = QStringLiteral("No terminal program was found to run telnet in. Install one, for example "
                                     "the package xterm (sudo apt install xterm), and try again.");
    return command;
}

bool CLauncher::DefaultBrowse(const QString& strAddress)
{
    if (!IsSafeAddress(strAddress)) {
        TRACE() << "Web: refused address" << strAddress;
        return false;
    }
    return QDesktopServices::openUrl(QUrl(QStringLiteral("http://") + strAddress));
}

namespace {

bool Failed(QString* pProblem, const QString& strProblem)
{
    TRACE() << "Telnet:" << strProblem;
    if (pProblem)
        *pProblem = strProblem;
    return false;
}

}  // namespace

bool CLauncher::DefaultTelnet(const QString& strAddress, QString* pProblem)
{
    if (!strAddress.isEmpty() && !IsSafeAddress(strAddress))
        return Failed(pProblem, QStringLiteral("The address %1 cannot be handed to telnet.").arg(strAddress));
    const TelnetCommand command = FindTelnetCommand(strAddress);
    if (command.program.isEmpty())
        return Failed(pProblem, command.problem);
    if (!QProcess::startDetached(command.program, command.args))
        return Failed(pProblem, QStringLiteral("The terminal %1 could not be started.").arg(command.program));
    TRACE() << "Telnet:" << command.program << command.args.join(QLatin1Char(' '));
    return true;
}

bool CLauncher::Telnet(const QString& strAddress, QString* pProblem)
{
    if (const Handler handler = Current(g_telnetHandler))
        return handler(strAddress) || Failed(pProblem, QStringLiteral("The Telnet session could not be started."));
    return DefaultTelnet(strAddress, pProblem);
}

bool CLauncher::Browse(const QString& strAddress)
{
    const Handler handler = Current(g_browseHandler);
    return handler ? handler(strAddress) : DefaultBrowse(strAddress);
}

void CLauncher::SetTelnetHandler(Handler handler)
{
    std::lock_guard lock(g_handlerMutex);
    g_telnetHandler = std::move(handler);
}

void CLauncher::SetBrowseHandler(Handler handler)
{
    std::lock_guard lock(g_handlerMutex);
    g_browseHandler = std::move(handler);
}
