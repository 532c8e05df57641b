#include <gtest/gtest.h>

#include <cmath>

#include "w32_system/timer/LxTimer.h"
#include "w32_system/timer/LxTimerAttach.h"

namespace
{

TEST(TimeCounter, AdvancesInMillisecondsWithAFineResolution)
{
    const double precision = LX_GetTimeCounterPrecision();
    EXPECT_GT(precision, 0.0);
    EXPECT_LE(precision, 1.0);
    const double first = LX_GetTimeCounter();
    EXPECT_LE(first, LX_GetTimeCounter());
    LX_Sleep(20.0, 1);
    EXPECT_GE(LX_GetTimeCounter() - first, 20.0);
}

TEST(TimeCounter, AttachAndDetachLeaveTheCounterWorking)
{
    const double before = LX_GetTimeCounter();
    LX_TimerAttach();
    EXPECT_EQ(rdtsc_initialize(), rdtsc_available());
    EXPECT_GE(LX_GetTimeCounter(), before);
    LX_TimerDetach();
    EXPECT_GT(LX_GetTimeCounterPrecision(), 0.0);
}

TEST(Sleep, LastsAtLeastTheTimeAskedForInEveryPrecision)
{
    struct Case {
        double ms;
        int precision;
    } cases[] = {{12.0, 1}, {12.0, 2}, {3.0, 3}, {12.0, 4},
                 {12.0, 5}, {3.0, 6},  {3.0, 7}, {12.0, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.precision);
        const double start = LX_GetTimeCounter();
        EXPECT_EQ(LX_Sleep(c.ms, c.precision), 0);
        EXPECT_GE(LX_GetTimeCounter() - start, c.ms);
    }
}

TEST(Sleep, RefusesUnknownPrecisionsAndIgnoresNonPositiveTimes)
{
    for (int precision : {0, 9, -1})
        EXPECT_EQ(LX_Sleep(1.0, precision), -4) << precision;
    // On the original platform these became sleeps of about 49 days.
    EXPECT_EQ(LX_Sleep(-5.0, 1), 0);
    EXPECT_EQ(LX_Sleep(std::nan(""), 2), 0);
    EXPECT_EQ(LX_Sleep(0.0, 3), 0);
}

TEST(Rdtsc, CountsAndCalibratesWhenPresent)
{
    if (!rdtsc_initialize()) {
        EXPECT_EQ(rdtsc_count(), 0u);
        double f = 0, tol = 0;
        EXPECT_FALSE(rdtsc_cpu_freq(&f, &tol, 20, 3));
        GTEST_SKIP() << "no time-stamp counter";
    }
    const uint64_t first = rdtsc_count();
    EXPECT_GT(rdtsc_count(), first);

    double countsPerSecond = 0;
    double tolerance = 0; // never met: all three rounds run
    ASSERT_TRUE(rdtsc_cpu_freq(&countsPerSecond, &tolerance, 20, 3));
    EXPECT_GT(countsPerSecond, 1e8);
    EXPECT_LT(countsPerSecond, 1e11);
    EXPECT_GE(tolerance, 0.0);

    // Uses the calibration just made instead of a slow one of its own.
    const double start = LX_GetTimeCounter();
    const double seconds = rdtsc_count2seconds(uint64_t(countsPerSecond * 2));
    EXPECT_NEAR(seconds, 2.0, 1e-9);
    EXPECT_LT(LX_GetTimeCounter() - start, 500.0);
}

TEST(Rdtsc, CalibrationRefusesBadArguments)
{
    double f = 0, tol = 0;
    EXPECT_FALSE(rdtsc_cpu_freq(nullptr, &tol, 20, 3));
    EXPECT_FALSE(rdtsc_cpu_freq(&f, nullptr, 20, 3));
    EXPECT_FALSE(rdtsc_cpu_freq(&f, &tol, 0, 3));
    EXPECT_FALSE(rdtsc_cpu_freq(&f, &tol, 20, 0));
}

} // namespace
