// CPanelDeviceThread: the worker thread that keeps the front-panel picture current. It runs the
// polling cycle and calls the window's polling operations (fan read, PoE mode and budget read, link
// and PoE walks), which talk to the device synchronously or start a walk that chains itself.
#pragma once

#include "snmp/Event.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// What the poller needs of the window it serves. Every call is made on the poller's thread.
class CPanelPollTarget {
public:
    virtual ~CPanelPollTarget() = default;
    // True while a page opened from the menu is shown: the cycle sends nothing then.
    virtual bool IsPageOpen() const = 0;
    // The device name as read at initialisation (a copy is kept for the poller).
    virtual QString PollDeviceName() const = 0;
    virtual void GetGetFanStatus() = 0;
    // The cycle's read of a PoE model and of any other: -1 when it was skipped because a walk is
    // still running, else 0.
    virtual int Get10PPOEOrLinkStatus() = 0;
    virtual int PollLinkStatus() = 0;
    // Signalled when the thread ends.
    virtual Event& PollDone() = 0;
};

// The pause unit of the polling cycle in milliseconds; 0 (the default) keeps the device timing: 500 ms
// with SNMPv1, 1000 ms with SNMPv3. Tests set a shorter unit to run more cycles in less time.
inline std::atomic<int> g_nPollStepMs{0};

class CPanelDeviceThread {
public:
    // Created suspended: nothing runs until Resume.
    explicit CPanelDeviceThread(CPanelPollTarget* pDlg);
    ~CPanelDeviceThread();  // stops and joins
    CPanelDeviceThread(const CPanelDeviceThread&) = delete;
    CPanelDeviceThread& operator=(const CPanelDeviceThread&) = delete;

    void Resume();
    // Sets the stop flag and wakes the thread from its waits.
    void Stop();
    bool IsStopping() const { return m_bStop.load(); }
    // Waits for the thread to end after Stop; true when it has ended (it is then joined).
    bool Join(int ms);
    bool IsRunning() const { return m_thread.joinable() && !m_bEnded.load(); }

    // The polling loop; returns -1 without a window.
    int Run();

    // Sleeps ms or until Stop; true when stopped.
    bool SleepOrStop(int ms);

    CPanelPollTarget* m_pDlg = nullptr;
    std::atomic<bool> m_bStop{false};

private:
    std::thread m_thread;
    std::atomic<bool> m_bEnded{false};
    std::mutex m_mutex;
    std::condition_variable m_cv;
};
