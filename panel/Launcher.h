// Starting the device's Telnet session and web page: one place, replaceable by tests.
#pragma once

#include <QString>

#include <functional>

class CLauncher {
public:
    using Handler = std::function<bool(const QString& strAddress)>;

    // "telnet ADDRESS" in the desktop's terminal ($TERMINAL, else x-terminal-emulator -e), detached.
    // False when the address is unsafe or nothing could be started.
    static bool Telnet(const QString& strAddress);
    // "http://ADDRESS" in the desktop's browser. False when no handler opened it.
    static bool Browse(const QString& strAddress);

    // Replace the handlers (an empty function restores the default one).
    static void SetTelnetHandler(Handler handler);
    static void SetBrowseHandler(Handler handler);

    static bool DefaultTelnet(const QString& strAddress);
    static bool DefaultBrowse(const QString& strAddress);

    // An address handed to another program: host names, IPv4 and IPv6 text only, never an option.
    static bool IsSafeAddress(const QString& strAddress);
};
