// The timer table and the carriers that call the timers' routines.
//
// Ownership: LX_SetThreadedTimer makes a record, enters it in the table and
// hands it to its carrier thread; the carrier alone removes it from the
// table and frees it when the timer ends. Everyone else touches a record
// only under the table lock while it is in the table.
//
// Joining a thread timer: its thread stays joinable until it ends. A waiter
// claims the join under the table lock; the ending thread, also under the
// lock, removes its record and detaches itself unless the join was claimed.
// So a detached thread is never joined and an unjoined one never leaks.
#include <pthread.h>

#include <cerrno>
#include <cmath>
#include <map>
#include <memory>
#include <new>

#include "w32_system/LxMutexCS.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/timer/LxTimer.h"
#include "w32_system/timer/LxTimerEvent.h"
#include "w32_system/timer/LxTimerWait.h"

namespace
{

enum ETimerKind : int { kThreadTimer = 1, kTickTimer = 2, kWindowTimer = 3 };

// The longest period a window timer accepts; also keeps every due time and
// sleep far from overflow.
constexpr double kMaxPeriodMs = 2147483647.0;

struct SLxTimerRecord {
    int kind = kThreadTimer;
    pthread_t carrier{};
    void* callerWord = nullptr;
    int64_t periodNs = 0;
    int numCalls = 0; // 0 = without end
    double startTime = 0;
    double lastCallTime = 0; // carrier only
    int precision = 0;
    int catchUp = 0;
    LX_TIMERPROC routine = nullptr;
    // Set once the timer is out of the table; shared with waiters, who may
    // still wait on it after the record is gone.
    std::shared_ptr<CLxTimerEvent> ended;
    CLxTimerEvent stop;
    unsigned id = 0;
    bool joinClaimed = false; // under the table lock
};

using TimerTable = std::map<unsigned, SLxTimerRecord*>;

pthread_mutexCS_t g_tableLock = PTHREAD_MUTEXCS_INITIALIZER;
// The lock and these words are trivially destructible, so carriers may still
// use them after the exit handler has run.
TimerTable* g_timers = nullptr; // made on first use
unsigned g_nextId = 1;
bool g_idsWrapped = false;
bool g_tableClosed = false;

// At process exit (or unload) running timers are told to stop and the table
// is freed; their carriers free their own records when they end. Joining
// here could hang on a routine that never returns, so nobody is waited for:
// the library must not be unloaded while its timers run.
struct TimerTableExitHandler {
    ~TimerTableExitHandler()
    {
        CLxMutexCSLock lock(&g_tableLock);
        g_tableClosed = true;
        if (!g_timers)
            return;
        for (auto& entry : *g_timers)
            entry.second->stop.Set();
        delete g_timers;
        g_timers = nullptr;
    }
} g_exitHandler;

// Table lock held. Skips 0 and ids in use.
unsigned takeFreeId()
{
    for (;;) {
        const unsigned id = g_nextId++;
        if (g_nextId == 0) {
            g_nextId = 1;
            g_idsWrapped = true;
        }
        if (id != 0 && g_timers->find(id) == g_timers->end())
            return id;
    }
}

// Table lock held.
SLxTimerRecord* findTimer(unsigned id)
{
    if (!g_timers)
        return nullptr;
    auto it = g_timers->find(id);
    return it == g_timers->end() ? nullptr : it->second;
}

void finish(SLxTimerRecord* r)
{
    r->stop.Set();
    bool joinClaimed;
    {
        CLxMutexCSLock lock(&g_tableLock);
        if (g_timers) {
            auto it = g_timers->find(r->id);
            if (it == g_timers->end() || it->second != r)
                LX_DIAG_ASSERT_TEXT(u"it==timers.end()",
                                    u"An ending timer is missing from the table.");
            else
                g_timers->erase(it);
        }
        joinClaimed = r->joinClaimed;
    }
    // Out of the table first: a waiter that returns finds the id gone.
    r->ended->Set();
    if (r->kind == kThreadTimer && !joinClaimed)
        pthread_detach(pthread_self());
    delete r;
}

double nextDueAfter(double due, double period, double now)
{
    return due + (std::floor((now - due) / period) + 1) * period;
}

void* threadTimerMain(void* arg)
{
    auto* r = static_cast<SLxTimerRecord*>(arg);
    const double period = double(r->periodNs) / 1e6;
    double due = r->startTime;
    for (int left = r->numCalls;;) {
        // False once a stop is seen: no call starts after that.
        if (!LX_WaitUntil(due, r->precision, &r->stop))
            break;
        r->lastCallTime = LX_GetTimeCounter();
        if (!r->routine(r->callerWord))
            break;
        if (r->numCalls && --left == 0)
            break;
        due += period;
        if (r->catchUp && period > 0) {
            const double now = LX_GetTimeCounter();
            if (now > due)
                due = nextDueAfter(due, period, now);
        }
    }
    finish(r);
    return nullptr;
}

// One tick of a tick timer; false ends the timer.
bool tick(SLxTimerRecord* r, double period)
{
    double now = LX_GetTimeCounter();
    if (r->precision == 7) {
        // Align a call that comes early with respect to the last one.
        const double n = (now - r->lastCallTime) / period;
        if (n - std::floor(n) > 0.5) {
            const double aligned = r->lastCallTime + (std::floor(n) + 1) * period;
            while ((now = LX_GetTimeCounter()) < aligned) {
            }
        }
    }
    r->lastCallTime = now;
    return !r->stop.IsSet() && r->routine(r->callerWord) != 0;
}

// Stands for the platform's multimedia timer: ticks on a grid of whole
// milliseconds from the start, the first one period after it.
void* tickTimerMain(void* arg)
{
    auto* r = static_cast<SLxTimerRecord*>(arg);
    const double period = double(r->periodNs / 1000000);
    double due = r->startTime + period;
    for (int left = r->numCalls;;) {
        LX_SleepUntil(due);
        if (!tick(r, period))
            break;
        if (r->numCalls && --left == 0)
            break;
        due += period;
        const double now = LX_GetTimeCounter();
        if (now >= due) // a device does not queue the ticks missed meanwhile
            due = nextDueAfter(due, period, now);
    }
    finish(r);
    return nullptr;
}

// Table lock held, so the new thread cannot end (and look for its record)
// before the record is complete.
int startCarrier(SLxTimerRecord* r, int kind)
{
    r->kind = kind;
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    // Nobody joins a tick timer: waiters wait for its ended event.
    if (kind == kTickTimer)
        pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    const int rc =
        pthread_create(&r->carrier, &attr, kind == kTickTimer ? tickTimerMain : threadTimerMain, r);
    pthread_attr_destroy(&attr);
    return rc;
}

void traceThreadFailure(int rc)
{
    if (rc == EAGAIN)
        LX_TRACE(u"Insufficient resources for creating the thread.");
    else if (rc == EINVAL)
        LX_TRACE(u"Wrong thread attributes.");
    else
        LX_TRACE(u"Cannot create the timer's thread (error %d).", rc);
}

// Table lock held. The id, or 0 when no carrier could be started.
unsigned enterTimer(SLxTimerRecord* r)
{
    if (g_tableClosed)
        return 0;
    if (!g_timers)
        g_timers = new TimerTable;
    r->id = takeFreeId();
    auto entry = g_timers->emplace(r->id, r).first;
    // Precision 8 would be a window timer, which needs a message loop that
    // this platform does not have: it takes the fallback to a thread at once.
    int rc = EINVAL;
    if (r->precision >= 4 && r->precision <= 7)
        rc = startCarrier(r, kTickTimer);
    if (rc != 0)
        rc = startCarrier(r, kThreadTimer);
    if (rc == 0)
        return r->id;
    g_timers->erase(entry);
    traceThreadFailure(rc);
    return 0;
}

} // namespace

unsigned LX_SetThreadedTimer(LX_TIMERPROC routine, void* callerWord, double periodMs, int numCalls,
                             int precision, int catchUp)
{
    if (!routine) {
        LX_DIAG_ASSERT_TEXT(u"routine==NULL", u"The timer routine is missing.");
        return 0;
    }
    if (numCalls < 0) {
        LX_DIAG_ASSERT_TEXT(u"numCalls<0", u"Number of calls can not be negative");
        return 0;
    }
    if (!(periodMs >= 0 && periodMs <= kMaxPeriodMs)) {
        LX_DIAG_ASSERT_TEXT(u"periodMs<0 || periodMs>2147483647", u"Wrong timer period.");
        return 0;
    }
    if (precision < 1 || precision > 8) {
        LX_DIAG_ASSERT_TEXT(u"true", u"Wrong timer precision.");
        return 0;
    }
    if (periodMs < 1 && precision != 8)
        precision = 3;

    try {
        auto record = std::make_unique<SLxTimerRecord>();
        record->ended = std::make_shared<CLxTimerEvent>();
        record->callerWord = callerWord;
        record->periodNs = int64_t(periodMs * 1e6);
        record->numCalls = numCalls;
        record->startTime = record->lastCallTime = LX_GetTimeCounter();
        record->precision = precision;
        record->catchUp = catchUp;
        record->routine = routine;
        CLxMutexCSLock lock(&g_tableLock);
        const unsigned id = enterTimer(record.get());
        if (id != 0)
            record.release(); // the carrier owns it now
        return id;
    } catch (const std::bad_alloc&) {
        LX_TRACE(u"Not enough memory for a timer.");
        return 0;
    }
}

unsigned LX_SetPostedTimer(LX_TIMERPROC routine, void* callerWord, double periodMs, int numCalls)
{
    return LX_SetThreadedTimer(routine, callerWord, periodMs, numCalls, 8, 1);
}

int LX_KillTimerAsync(unsigned timerId)
{
    CLxMutexCSLock lock(&g_tableLock);
    SLxTimerRecord* r = findTimer(timerId);
    if (!r)
        return -4;
    r->stop.Set();
    return 0;
}

int LX_WaitForTimer(unsigned timerId)
{
    pthread_t joinThread{};
    std::shared_ptr<CLxTimerEvent> ended;
    {
        CLxMutexCSLock lock(&g_tableLock);
        SLxTimerRecord* r = findTimer(timerId);
        if (!r)
            return timerId != 0 && (g_idsWrapped || timerId < g_nextId) ? 0 : -4;
        if (r->kind == kWindowTimer)
            return -2;
        if (pthread_equal(r->carrier, pthread_self())) {
            LX_DIAG_ASSERT_TEXT(u"carrier==self",
                                u"A timer routine cannot wait for its own timer.");
            return -4;
        }
        if (r->kind == kThreadTimer && !r->joinClaimed) {
            r->joinClaimed = true;
            joinThread = r->carrier;
        } else {
            ended = r->ended;
        }
    }
    if (ended)
        ended->Wait();
    else
        pthread_join(joinThread, nullptr);
    return 0;
}

int LX_GetTimerInfo(unsigned timerId, SLxTimerInfo* info)
{
    if (!info)
        return -4;
    CLxMutexCSLock lock(&g_tableLock);
    const SLxTimerRecord* r = findTimer(timerId);
    if (!r)
        return -4;
    info->dStartTime = r->startTime;
    info->iPrecision = r->precision;
    info->iCatchUp = r->catchUp;
    info->iCarrier = r->kind == kThreadTimer   ? LX_TIMER_CARRIER_THREAD
                     : r->kind == kTickTimer   ? LX_TIMER_CARRIER_MULTIMEDIA
                     : r->kind == kWindowTimer ? LX_TIMER_CARRIER_WINDOW
                                               : LX_TIMER_CARRIER_OTHER;
    return 0;
}
