#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "w32_system/timer/LxTimer.h"

namespace
{

// The routine's state: counts calls, can end the timer at a given call and
// run a hook (with the call number) inside the routine.
struct Recorder {
    std::atomic<int> calls{0};
    int returnZeroAt = 0; // 0: never
    std::function<void(int)> onCall;
};

int recordCall(void* word)
{
    auto* r = static_cast<Recorder*>(word);
    const int n = ++r->calls;
    if (r->onCall)
        r->onCall(n);
    return n == r->returnZeroAt ? 0 : 1;
}

// The id is gone and waiting answers "ended" at once.
void expectEnded(unsigned id)
{
    SLxTimerInfo info;
    EXPECT_EQ(LX_GetTimerInfo(id, &info), -4);
    EXPECT_EQ(LX_KillTimerAsync(id), -4);
    EXPECT_EQ(LX_WaitForTimer(id), 0);
}

class TimerByPrecision : public ::testing::TestWithParam<int>
{
};

TEST_P(TimerByPrecision, MakesExactlyTheGivenNumberOfCalls)
{
    Recorder r;
    const unsigned id = LX_SetThreadedTimer(recordCall, &r, 5.0, 5, GetParam(), 0);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(LX_WaitForTimer(id), 0);
    EXPECT_EQ(r.calls, 5);
    expectEnded(id);
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    EXPECT_EQ(r.calls, 5);
}

TEST_P(TimerByPrecision, RoutineReturningZeroEndsTheTimer)
{
    Recorder r;
    r.returnZeroAt = 2;
    const unsigned id = LX_SetThreadedTimer(recordCall, &r, 2.0, 0, GetParam(), 0);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(LX_WaitForTimer(id), 0);
    EXPECT_EQ(r.calls, 2);
    expectEnded(id);
}

TEST_P(TimerByPrecision, KillEndsAnEndlessTimer)
{
    Recorder r;
    const unsigned id = LX_SetThreadedTimer(recordCall, &r, 2.0, 0, GetParam(), 1);
    ASSERT_NE(id, 0u);
    while (r.calls < 2)
        std::this_thread::yield();
    EXPECT_EQ(LX_KillTimerAsync(id), 0);
    EXPECT_EQ(LX_WaitForTimer(id), 0);
    const int callsAtEnd = r.calls;
    expectEnded(id);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(r.calls, callsAtEnd);
}

TEST_P(TimerByPrecision, InfoTellsCarrierAndSettings)
{
    const int precision = GetParam();
    Recorder r;
    const double before = LX_GetTimeCounter();
    const unsigned id = LX_SetThreadedTimer(recordCall, &r, 50.0, 0, precision, 1);
    ASSERT_NE(id, 0u);
    SLxTimerInfo info;
    ASSERT_EQ(LX_GetTimerInfo(id, &info), 0);
    EXPECT_EQ(info.iPrecision, precision);
    EXPECT_EQ(info.iCatchUp, 1);
    EXPECT_GE(info.dStartTime, before);
    EXPECT_LE(info.dStartTime, LX_GetTimeCounter());
    // Precision 8 has no message loop to post to and runs on a thread.
    const bool tick = precision >= 4 && precision <= 7;
    EXPECT_EQ(info.iCarrier, tick ? LX_TIMER_CARRIER_MULTIMEDIA : LX_TIMER_CARRIER_THREAD);
    EXPECT_EQ(LX_KillTimerAsync(id), 0);
    EXPECT_EQ(LX_WaitForTimer(id), 0);
}

INSTANTIATE_TEST_SUITE_P(Timer, TimerByPrecision, ::testing::Range(1, 9));

TEST(Timer, ShortPeriodForcesSpinningExceptForPostedTimers)
{
    struct Case {
        int precision;
        int expected;
    } cases[] = {{1, 3}, {2, 3}, {4, 3}, {7, 3}, {8, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.precision);
        Recorder r;
        const unsigned id = LX_SetThreadedTimer(recordCall, &r, 0.5, 0, c.precision, 0);
        ASSERT_NE(id, 0u);
        SLxTimerInfo info;
        ASSERT_EQ(LX_GetTimerInfo(id, &info), 0);
        EXPECT_EQ(info.iPrecision, c.expected);
        EXPECT_EQ(info.iCarrier, LX_TIMER_CARRIER_THREAD);
        LX_KillTimerAsync(id);
        EXPECT_EQ(LX_WaitForTimer(id), 0);
    }
}

TEST(Timer, PostedTimerIsAThreadTimerWithCatchUp)
{
    Recorder r;
    const unsigned id = LX_SetPostedTimer(recordCall, &r, 5.0, 3);
    ASSERT_NE(id, 0u);
    SLxTimerInfo info;
    if (LX_GetTimerInfo(id, &info) == 0) { // it may already have ended
        EXPECT_EQ(info.iPrecision, 8);
        EXPECT_EQ(info.iCatchUp, 1);
        EXPECT_EQ(info.iCarrier, LX_TIMER_CARRIER_THREAD);
    }
    EXPECT_EQ(LX_WaitForTimer(id), 0);
    EXPECT_EQ(r.calls, 3);
}

TEST(Timer, RefusesBadArguments)
{
    struct Case {
        const char* what;
        LX_TIMERPROC routine;
        double period;
        int calls;
        int precision;
    } cases[] = {
        {"no routine", nullptr, 5, 1, 1},          {"negative calls", recordCall, 5, -1, 1},
        {"precision 0", recordCall, 5, 1, 0},      {"precision 9", recordCall, 5, 1, 9},
        {"negative period", recordCall, -1, 1, 1}, {"NaN period", recordCall, std::nan(""), 1, 1},
        {"huge period", recordCall, 3e9, 1, 1},
    };
    Recorder r;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LX_SetThreadedTimer(c.routine, &r, c.period, c.calls, c.precision, 0), 0u);
    }
    EXPECT_EQ(r.calls, 0);
}

TEST(Timer, UnknownIdsAreRefused)
{
    SLxTimerInfo info;
    for (unsigned id : {0u, 0xFFFFFFF0u}) {
        EXPECT_EQ(LX_WaitForTimer(id), -4);
        EXPECT_EQ(LX_KillTimerAsync(id), -4);
        EXPECT_EQ(LX_GetTimerInfo(id, &info), -4);
    }
    Recorder r;
    const unsigned id = LX_SetThreadedTimer(recordCall, &r, 50.0, 0, 1, 0);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(LX_GetTimerInfo(id, nullptr), -4);
    LX_KillTimerAsync(id);
    LX_WaitForTimer(id);
}

TEST(Timer, KillWakesASleepingThreadTimer)
{
    // Without waking, this wait would last the whole 10 s period.
    Recorder r;
    const unsigned id = LX_SetThreadedTimer(recordCall, &r, 10000.0, 0, 1, 0);
    ASSERT_NE(id, 0u);
    while (r.calls < 1)
        std::this_thread::yield();
    const double start = LX_GetTimeCounter();
    EXPECT_EQ(LX_KillTimerAsync(id), 0);
    EXPECT_EQ(LX_WaitForTimer(id), 0);
    EXPECT_LT(LX_GetTimeCounter() - start, 5000.0);
    EXPECT_EQ(r.calls, 1);
}

// Call start and end times, for the catch-up behaviour.
struct CallTimes {
    std::mutex lock;
    std::vector<double> starts, ends;
};

int slowSecondCall(void* word)
{
    auto* t = static_cast<CallTimes*>(word);
    const double start = LX_GetTimeCounter();
    size_t n;
    {
        std::lock_guard<std::mutex> g(t->lock);
        t->starts.push_back(start);
        n = t->starts.size();
    }
    if (n == 2)
        LX_Sleep(130.0, 1); // over three periods of 40 ms
    std::lock_guard<std::mutex> g(t->lock);
    t->ends.push_back(LX_GetTimeCounter());
    return 1;
}

TEST(Timer, CatchUpSkipsCallsMissedByASlowRoutine)
{
    CallTimes t;
    const double before = LX_GetTimeCounter();
    const unsigned id = LX_SetThreadedTimer(slowSecondCall, &t, 40.0, 4, 1, 1);
    ASSERT_NE(id, 0u);
    ASSERT_EQ(LX_WaitForTimer(id), 0);
    ASSERT_EQ(t.starts.size(), 4u);
    // Due times 80, 120 and 160 passed during the slow call; the next calls
    // wait for 200 and 240 on the grid (less half a millisecond of sleep
    // rounding). A late wake-up may shorten the gap between them, never
    // move a call before its due time.
    EXPECT_GE(t.starts[2] - before, 200.0 - 0.5);
    EXPECT_GE(t.starts[3] - before, 240.0 - 0.5);
}

TEST(Timer, WithoutCatchUpMissedCallsFollowAtOnce)
{
    CallTimes t;
    const unsigned id = LX_SetThreadedTimer(slowSecondCall, &t, 40.0, 4, 1, 0);
    ASSERT_NE(id, 0u);
    ASSERT_EQ(LX_WaitForTimer(id), 0);
    ASSERT_EQ(t.starts.size(), 4u);
    // Calls 3 and 4 were due long ago and need no waiting (generous bound:
    // the period is 40 ms).
    EXPECT_LT(t.starts[2] - t.ends[1], 20.0);
    EXPECT_LT(t.starts[3] - t.ends[2], 20.0);
}

TEST(Timer, RoutineCanKillItsOwnTimer)
{
    std::atomic<unsigned> ownId{0};
    Recorder r;
    r.onCall = [&](int n) {
        if (n == 3) {
            while (ownId == 0)
                std::this_thread::yield();
            EXPECT_EQ(LX_KillTimerAsync(ownId), 0);
        }
    };
    ownId = LX_SetThreadedTimer(recordCall, &r, 1.0, 0, 1, 0);
    ASSERT_NE(ownId.load(), 0u);
    EXPECT_EQ(LX_WaitForTimer(ownId), 0);
    EXPECT_EQ(r.calls, 3);
}

TEST(Timer, RoutineCanStartAndLookUpTimersButNotWaitForItself)
{
    for (int precision : {1, 4}) {
        SCOPED_TRACE(precision);
        std::atomic<unsigned> ownId{0};
        std::atomic<unsigned> childId{0};
        std::atomic<int> ownWait{1}, ownInfo{1};
        Recorder child;
        Recorder r;
        r.onCall = [&](int) {
            while (ownId == 0)
                std::this_thread::yield();
            SLxTimerInfo info;
            ownInfo = LX_GetTimerInfo(ownId, &info);
            ownWait = LX_WaitForTimer(ownId);
            childId = LX_SetThreadedTimer(recordCall, &child, 1.0, 2, precision, 0);
        };
        ownId = LX_SetThreadedTimer(recordCall, &r, 1.0, 1, precision, 0);
        ASSERT_NE(ownId.load(), 0u);
        EXPECT_EQ(LX_WaitForTimer(ownId), 0);
        EXPECT_EQ(ownInfo, 0);
        EXPECT_EQ(ownWait, -4);
        ASSERT_NE(childId.load(), 0u);
        EXPECT_EQ(LX_WaitForTimer(childId), 0);
        EXPECT_EQ(child.calls, 2);
    }
}

TEST(Timer, SeveralWaitersAllReturnWhenTheTimerEnds)
{
    for (int precision : {1, 5}) {
        SCOPED_TRACE(precision);
        Recorder r;
        const unsigned id = LX_SetThreadedTimer(recordCall, &r, 2.0, 0, precision, 0);
        ASSERT_NE(id, 0u);
        std::atomic<int> returned{0};
        std::vector<std::thread> waiters;
        for (int i = 0; i < 3; ++i)
            waiters.emplace_back([&] {
                EXPECT_EQ(LX_WaitForTimer(id), 0);
                ++returned;
            });
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(returned, 0);
        EXPECT_EQ(LX_KillTimerAsync(id), 0);
        for (auto& w : waiters)
            w.join();
        EXPECT_EQ(returned, 3);
    }
}

// Many short timers whose ends race with waits, kills and lookups; run under
// the sanitizers this shows joins of detached threads, leaks and lost wakeups.
TEST(Timer, ManyShortTimersEndWaitAndKillCleanly)
{
    constexpr int kTimers = 120;
    const int precisions[] = {1, 2, 4, 8};
    std::vector<Recorder> recorders(kTimers);
    std::vector<unsigned> ids(kTimers);
    for (int i = 0; i < kTimers; ++i) {
        ids[i] = LX_SetThreadedTimer(recordCall, &recorders[i], 1.0, 1 + i % 3, precisions[i % 4],
                                     i % 2);
        ASSERT_NE(ids[i], 0u);
        if (i % 5 == 0)
            LX_KillTimerAsync(ids[i]); // may be too late: -4 is fine
    }
    std::vector<std::thread> waiters;
    for (int part = 0; part < 3; ++part)
        waiters.emplace_back([&, part] {
            for (int i = part; i < kTimers; i += 3)
                EXPECT_EQ(LX_WaitForTimer(ids[i]), 0);
        });
    for (int i = kTimers - 1; i >= 0; --i) {
        SLxTimerInfo info;
        LX_GetTimerInfo(ids[i], &info);
        EXPECT_EQ(LX_WaitForTimer(ids[i]), 0);
    }
    for (auto& w : waiters)
        w.join();
    for (int i = 0; i < kTimers; ++i) {
        if (i % 5 == 0)
            EXPECT_LE(recorders[i].calls, 1 + i % 3);
        else
            EXPECT_EQ(recorders[i].calls, 1 + i % 3) << "timer " << i;
    }
}

TEST(TimerDeathTest, ExitWithRunningTimersIsClean)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // Never destroyed: the routines may still run during exit.
            static Recorder* r = new Recorder;
            for (int precision : {1, 3, 4, 7, 8})
                LX_SetThreadedTimer(recordCall, r, 1.0, 0, precision, 0);
            while (r->calls < 10)
                std::this_thread::yield();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
