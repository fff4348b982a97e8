// An event that threads wait on with a time-out: manual reset (stays signalled until reset) or
// automatic reset (one waiter consumes the signal). Settable and resettable from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class Event {
public:
    enum class Reset { Manual, Automatic };

    explicit Event(Reset reset = Reset::Manual, bool signalled = false)
        : m_reset(reset), m_signalled(signalled) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set()
    {
        {
            std::lock_guard lock(m_mutex);
            m_signalled = true;
        }
        if (m_reset == Reset::Manual)
            m_cv.notify_all();
        else
            m_cv.notify_one();
    }

    void reset()
    {
        std::lock_guard lock(m_mutex);
        m_signalled = false;
    }

    // True when signalled within ms milliseconds (a negative value waits without limit).
    bool wait(int ms)
    {
        std::unique_lock lock(m_mutex);
        const auto ready = [this] { return m_signalled; };
        if (ms < 0)
            m_cv.wait(lock, ready);
        else if (!m_cv.wait_for(lock, std::chrono::milliseconds(ms), ready))
            return false;
        if (m_reset == Reset::Automatic)
            m_signalled = false;
        return true;
    }

    bool isSet() const
    {
        std::lock_guard lock(m_mutex);
        return m_signalled;
    }

private:
    const Reset m_reset;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_signalled;
};
