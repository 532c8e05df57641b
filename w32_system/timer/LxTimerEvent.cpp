#include "w32_system/timer/LxTimerEvent.h"

#include <cerrno>

#include "w32_system/timer/LxTimerWait.h"

CLxTimerEvent::CLxTimerEvent()
{
    // Timed waits count on the same clock as LX_GetTimeCounter.
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    pthread_cond_init(&m_cond, &attr);
    pthread_condattr_destroy(&attr);
}

CLxTimerEvent::~CLxTimerEvent()
{
    pthread_cond_destroy(&m_cond);
    pthread_mutex_destroy(&m_mutex);
}

void CLxTimerEvent::Set()
{
    pthread_mutex_lock(&m_mutex);
    m_set.store(true, std::memory_order_release);
    pthread_cond_broadcast(&m_cond);
    pthread_mutex_unlock(&m_mutex);
}

void CLxTimerEvent::Wait()
{
    pthread_mutex_lock(&m_mutex);
    while (!IsSet())
        pthread_cond_wait(&m_cond, &m_mutex);
    pthread_mutex_unlock(&m_mutex);
}

bool CLxTimerEvent::WaitUntil(double dueMs)
{
    const timespec due = LX_CounterToTimespec(dueMs);
    pthread_mutex_lock(&m_mutex);
    while (!IsSet() && pthread_cond_timedwait(&m_cond, &m_mutex, &due) != ETIMEDOUT) {
    }
    pthread_mutex_unlock(&m_mutex);
    return IsSet();
}
