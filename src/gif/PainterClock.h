#pragma once
// The animation painter's sense of time: the current time, a wait on the painter's wake-up
// event (asynchronous painting) and a plain sleep (synchronous painting). The engine uses the
// real clock; tests install a manual clock whose time moves only when told, so timing rules can
// be checked exactly and without sleeping.
#include "graphics/MainThreadDispatcher.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// Auto-reset event: set() releases one wait (or the next one), which resets it.
class TPainterWakeEvent
{
public:
    void set()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_signalled = true;
        }
        m_changed.notify_all();
    }
    // Waits until signalled or until deadline; true when signalled (and resets it).
    template <class Clock, class Duration>
    bool waitUntil(const std::chrono::time_point<Clock, Duration>& deadline)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_changed.wait_until(lock, deadline, [this] { return m_signalled; }))
            return false;
        m_signalled = false;
        return true;
    }
    bool wait()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_signalled; });
        m_signalled = false;
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_signalled = false;
};

class TPainterClock
{
public:
    virtual ~TPainterClock() = default;
    // Milliseconds on a monotonic scale.
    virtual int64_t now() = 0;
    // Painter thread: waits on event for at most milliseconds (negative: until signalled).
    // True when the event was signalled, false on a time-out.
    virtual bool waitForEvent(TPainterWakeEvent& event, int64_t milliseconds) = 0;
    // Synchronous painter (calling thread): sleeps milliseconds.
    virtual void sleep(int64_t milliseconds) = 0;
};

class TRealPainterClock final : public TPainterClock
{
public:
    int64_t now() override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    bool waitForEvent(TPainterWakeEvent& event, int64_t milliseconds) override
    {
        if (milliseconds < 0)
            return event.wait();
        return event.waitUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds));
    }
    void sleep(int64_t milliseconds) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max<int64_t>(milliseconds, 0)));
    }
};

// Time stands still until advance(). Waits and sleeps are recorded in order; a synchronous
// sleep advances the time itself (nobody else could). Thread-safe.
class TManualPainterClock final : public TPainterClock
{
public:
    int64_t now() override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_now;
    }
    void advance(int64_t milliseconds)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_now += milliseconds;
    }
    bool waitForEvent(TPainterWakeEvent& event, int64_t milliseconds) override
    {
        int64_t deadline;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            deadline = milliseconds < 0 ? INT64_MAX : m_now + milliseconds;
            m_waits.push_back(milliseconds);
            ++m_waiting;
        }
        bool signalled = false;
        // The event is polled in short real slices: the manual time can move at any moment.
        for (;;) {
            if (event.waitUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(1))) {
                signalled = true;
                break;
            }
            if (now() >= deadline)
                break;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_waiting;
        return signalled;
    }
    void sleep(int64_t milliseconds) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sleeps.push_back(milliseconds);
        m_now += std::max<int64_t>(milliseconds, 0);
    }

    std::vector<int64_t> waits() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_waits;
    }
    std::vector<int64_t> sleeps() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_sleeps;
    }
    // Main thread (tests): serves the painters' main-thread requests until count waits have
    // begun and a painter is blocked in one. False when that does not happen within a few
    // seconds of real time (a broken painter must fail the test, not hang it).
    bool waitForWaits(size_t count)
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < limit) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_waits.size() >= count && m_waiting > 0)
                    return true;
            }
            TMainThreadDispatcher::instance().waitAndProcess(1);
        }
        return false;
    }

private:
    mutable std::mutex m_mutex;
    int64_t m_now = 1000000;
    int m_waiting = 0;
    std::vector<int64_t> m_waits;
    std::vector<int64_t> m_sleeps;
};

// The clock new painters take (each keeps its own reference). Main thread only.
std::shared_ptr<TPainterClock> painterClock();
// Installs a clock for painters created from now on; null restores the real clock.
void setPainterClock(std::shared_ptr<TPainterClock> clock);
