// The library's hidden object that owns the socket and runs the once-a-second time-out timer, and the
// library's entry points.
#pragma once

#include <kxsnmp/KxSnmpExport.h>
#include <kxsnmp/SnmpSocket.h>

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include <cstdint>

class KXSNMP_EXPORT CSnmpDll : public QObject
{
public:
    CSnmpDll();
    // Deletes the socket and with it every pending message, without notifying owners.
    ~CSnmpDll() override;
    CSnmpDll(const CSnmpDll&) = delete;
    CSnmpDll& operator=(const CSnmpDll&) = delete;

    // Starts timer 1 (1000 ms) and creates the socket. A socket that cannot be created is reported on
    // the debug channel; the object stays and later sends fail with code 255. Returns true.
    bool OnInitDialog();
    // One tick of timer 1: delivers the oldest expired request with code 16.
    void OnTimer(int nIDEvent);

    CSnmpSocket* m_pSnmpSocket = nullptr;
    // Response time-out in milliseconds.
    int m_nTimeout = 500;
    // Greater than 0 while a timer tick is delivering a result.
    int m_nBusy = 0;

private:
    QTimer m_timer;
};

// Creates the library's object, its timer and its socket on the calling thread; every later call
// runs on that thread. Returns 0. A second call does nothing.
KXSNMP_EXPORT int SnmpInit(QCoreApplication* pApp);
// Destroys the library's object; pending messages are released without notifying their owners.
KXSNMP_EXPORT void SnmpDone();
// Sends a message (see CSnmpSocket::SendSnmpMsg) and returns its request id. Without SnmpInit, or
// from another thread than SnmpInit's, the message is delivered at once with code 255.
KXSNMP_EXPORT std::uint32_t SendSnmpMsg(CSnmpMsg* pMsg);
// Sets the response time-out in milliseconds (500 until set).
KXSNMP_EXPORT void SetSnmpTimeout(int nTimeout);
// Sets the agents' UDP port for later sends: 1 to 65535, 161 until set; other values are ignored.
KXSNMP_EXPORT void SetSnmpPort(int nPort);
// The agents' UDP port in use.
KXSNMP_EXPORT int GetSnmpPort();
// Whole seconds on the library's clock, the base of every time-out: a monotonic clock, so that a
// wall clock stepped by NTP or by hand neither holds requests back nor expires them all at once.
KXSNMP_EXPORT std::int64_t SnmpClockSeconds();
// Replaces that clock (nullptr restores the monotonic one); for tests that step time.
KXSNMP_EXPORT void SetSnmpClock(std::int64_t (*pfnClock)());
KXSNMP_EXPORT CSnmpSocket* GetSnmpSocket();
KXSNMP_EXPORT CSnmpDll* GetSnmpDllDlg();
