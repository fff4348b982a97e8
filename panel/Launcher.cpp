#include "panel/Launcher.h"

#include "core/Trace.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include <mutex>

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

bool CLauncher::DefaultTelnet(const QString& strAddress)
{
    QStringList args;
    if (!strAddress.isEmpty()) {
        if (!IsSafeAddress(strAddress)) {
            TRACE() << "Telnet: refused address" << strAddress;
            return false;
        }
    }
    QString program = QStringLiteral("x-terminal-emulator");
    const QString terminal = qEnvironmentVariable("TERMINAL");
    if (!terminal.trimmed().isEmpty()) {
        args = QProcess::splitCommand(terminal);
        program = args.takeFirst();
    }
    args << QStringLiteral("-e") << QStringLiteral("telnet");
    if (!strAddress.isEmpty())
        args << strAddress;
    return QProcess::startDetached(program, args);
}

bool CLauncher::DefaultBrowse(const QString& strAddress)
{
    if (!IsSafeAddress(strAddress)) {
        TRACE() << "Web: refused address" << strAddress;
        return false;
    }
    return QDesktopServices::openUrl(QUrl(QStringLiteral("http://") + strAddress));
}

bool CLauncher::Telnet(const QString& strAddress)
{
    const Handler handler = Current(g_telnetHandler);
    return handler ? handler(strAddress) : DefaultTelnet(strAddress);
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
