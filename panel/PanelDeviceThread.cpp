#include "panel/PanelDeviceThread.h"

#include "core/Settings.h"
#include "core/Trace.h"

#include <chrono>

CPanelDeviceThread::CPanelDeviceThread(CPanelPollTarget* pDlg) : m_pDlg(pDlg) {}

CPanelDeviceThread::~CPanelDeviceThread()
{
    Stop();
    if (m_thread.joinable())
        m_thread.join();
}

void CPanelDeviceThread::Resume()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] {
            Run();
            m_bEnded = true;
        });
}

void CPanelDeviceThread::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_cv.notify_all();
}

bool CPanelDeviceThread::Join(int ms)
{
    if (!m_thread.joinable())
        return true;
    if (!m_pDlg || m_pDlg->PollDone().wait(ms) || m_bEnded.load()) {
        m_thread.join();
        return true;
    }
    return false;
}

bool CPanelDeviceThread::SleepOrStop(int ms)
{
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_bStop.load(); });
}

int CPanelDeviceThread::Run()
{
    if (!m_pDlg)
        return -1;
    const bool bFast = g_strSnmpVersion == QLatin1String("1");
    const QString strName = m_pDlg->PollDeviceName();
    const bool bPoe = strName.contains(QLatin1Char('P')) || strName.contains(QLatin1Char('p'));
    int rc = 0;
    while (!m_bStop) {
        const int nOverrideMs = g_nPollStepMs.load();
        const int nStepMs = nOverrideMs > 0 ? nOverrideMs : bFast ? 500 : 1000;
        if (SleepOrStop(nOverrideMs > 0 ? nOverrideMs : 500))
            break;
        if (!m_pDlg->IsPageOpen()) {
            if (g_bIsHasFan)
                m_pDlg->GetGetFanStatus();
            if (m_bStop)
                break;
            if (bPoe)
                rc = m_pDlg->Get10PPOEOrLinkStatus();
            else
                rc = m_pDlg->PollLinkStatus();
        }
        const int nSteps = rc == -1 ? 2 : 10;
        for (int i = 0; i < nSteps && !m_bStop; ++i)
            SleepOrStop(nStepMs);
    }
    TRACE() << "poller stopped";
    m_pDlg->PollDone().set();
    return 0;
}
