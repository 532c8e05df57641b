// A manual-reset event on the monotonic clock: once set it stays set and
// every waiter, present or later, passes.
#pragma once

#include <pthread.h>

#include <atomic>

class CLxTimerEvent
{
  public:
    CLxTimerEvent();
    ~CLxTimerEvent();
    CLxTimerEvent(const CLxTimerEvent&) = delete;
    CLxTimerEvent& operator=(const CLxTimerEvent&) = delete;

    void Set();
    // Lock-free, so spinning loops may poll it.
    bool IsSet() const { return m_set.load(std::memory_order_acquire); }
    void Wait();
    // Waits until the event is set or the time counter reaches dueMs;
    // returns whether the event is set.
    bool WaitUntil(double dueMs);

  private:
    std::atomic<bool> m_set{false};
    pthread_mutex_t m_mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t m_cond;
};
