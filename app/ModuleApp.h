// The application object: the module's whole start-up, from the command line to the main window.
#pragma once

#include <QApplication>

class CInstanceGuard;

class CModuleApp : public QApplication {
    Q_OBJECT
public:
    CModuleApp(int& argc, char** argv);
    ~CModuleApp() override;

    // Runs the start-up and the main window; returns false when the process should end, which is
    // always: after the main window closes or at an early exit (empty command line, second start).
    bool InitInstance();

private:
    CInstanceGuard* m_pGuard = nullptr;  // lives until the process ends
};

// Initialises the SNMP message library on this thread with the application object and sets its
// request time-out to 5000 ms.
void InitMessageLibrary(QApplication* app);

// Ends the main window cleanly on SIGTERM, SIGINT and SIGHUP, so no lock or socket is left behind.
void InstallTerminationHandler();
