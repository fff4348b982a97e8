// The request lock of a session: a binary lock that any thread may release (a thread that takes it
// need not be the one that gives it back), with an optional limit and an abandon test for waiters.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

class CRequestLock {
public:
    // Takes the lock; ms < 0 waits without limit. While waiting, abandon() is checked every 20 ms;
    // when it returns true the wait gives up. True when the lock was taken.
    bool acquire(int ms = -1, const std::function<bool()>& abandon = {})
    {
        std::unique_lock lock(m_mutex);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms < 0 ? 0 : ms);
        while (m_bTaken) {
            if (abandon && abandon())
                return false;
            auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
            if (ms >= 0) {
                if (std::chrono::steady_clock::now() >= deadline)
                    return false;
                until = std::min(until, deadline);
            }
            m_cv.wait_until(lock, until);
        }
        m_bTaken = true;
        return true;
    }

    void release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_bTaken = false;
        }
        m_cv.notify_one();
    }

    bool isFree() const
    {
        std::lock_guard lock(m_mutex);
        return !m_bTaken;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bTaken = false;
};
