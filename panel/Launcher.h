// Starting the device's Telnet session and web page: one place, replaceable by tests.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class CLauncher {
public:
    using Handler = std::function<bool(const QString& strAddress)>;

    // What starts "telnet ADDRESS" here: the desktop's terminal ($TERMINAL, x-terminal-emulator,
    // xdg-terminal-exec, then the common terminals, the first one installed) with the telnet client
    // in it. When nothing can, program is empty and problem says what to install.
    struct TelnetCommand {
        QString program;
        QStringList args;
        QString problem;
    };
    static TelnetCommand FindTelnetCommand(const QString& strAddress);

    // Starts that command, detached. False when the address is unsafe or nothing could be started;
    // then *pProblem (when given) says why, in words for the user.
    static bool Telnet(const QString& strAddress, QString* pProblem = nullptr);
    // "http://ADDRESS" in the desktop's browser. False when no handler opened it.
    static bool Browse(const QString& strAddress);

    // Replace the handlers (an empty function restores the default one).
    static void SetTelnetHandler(Handler handler);
    static void SetBrowseHandler(Handler handler);

    static bool DefaultTelnet(const QString& strAddress, QString* pProblem = nullptr);
    static bool DefaultBrowse(const QString& strAddress);

    // An address handed to another program: host names, IPv4 and IPv6 text only, never an option.
    static bool IsSafeAddress(const QString& strAddress);
};
