#include <cerrno>
#include <cmath>

#include "w32_system/debugging/LxDiag.h"
#include "w32_system/timer/LxTimer.h"
#include "w32_system/timer/LxTimerEvent.h"
#include "w32_system/timer/LxTimerWait.h"

namespace
{

enum class WaitStyle { None, Sleep, CoarseSleepThenSpin, Spin };

WaitStyle waitStyleOf(int precision)
{
    switch (precision) {
    case 1:
    case 4:
    case 8:
        return WaitStyle::Sleep;
    case 2:
    case 5:
        return WaitStyle::CoarseSleepThenSpin;
    case 3:
    case 6:
    case 7:
        return WaitStyle::Spin;
    default:
        return WaitStyle::None;
    }
}

bool sleepUntil(double dueMs, CLxTimerEvent* stop)
{
    if (stop)
        return !stop->WaitUntil(dueMs);
    LX_SleepUntil(dueMs);
    return true;
}

bool spinUntil(double dueMs, CLxTimerEvent* stop)
{
    while (LX_GetTimeCounter() < dueMs) {
        if (stop && stop->IsSet())
            return false;
    }
    return !(stop && stop->IsSet());
}

} // namespace

timespec LX_CounterToTimespec(double ms)
{
    constexpr double kMaxMs = 1e15;
    if (!(ms > 0))
        ms = 0;
    if (ms > kMaxMs)
        ms = kMaxMs;
    const double seconds = std::floor(ms / 1000);
    timespec t;
    t.tv_sec = time_t(seconds);
    t.tv_nsec = long((ms - seconds * 1000) * 1e6);
    if (t.tv_nsec >= 1000000000L) // rounding at the edge of a second
        t.tv_nsec = 999999999L;
    return t;
}

void LX_SleepUntil(double dueMs)
{
    const timespec due = LX_CounterToTimespec(dueMs);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
    }
}

bool LX_WaitUntil(double dueMs, int precision, CLxTimerEvent* stop)
{
    const double now = LX_GetTimeCounter();
    const double left = dueMs - now;
    if (!(left > 0))
        return !(stop && stop->IsSet());
    switch (waitStyleOf(precision)) {
    case WaitStyle::Sleep:
        return sleepUntil(now + std::floor(left + 0.5), stop);
    case WaitStyle::CoarseSleepThenSpin:
        return sleepUntil(now + std::floor(left / 10) * 10, stop) && spinUntil(dueMs, stop);
    case WaitStyle::Spin:
        return spinUntil(dueMs, stop);
    case WaitStyle::None:
        break;
    }
    return true;
}

int LX_Sleep(double ms, int precision)
{
    if (waitStyleOf(precision) == WaitStyle::None) {
        LX_DIAG_ASSERT_TEXT(u"true", u"Wrong LX_Sleep parameter.");
        return -4;
    }
    // A negative or NaN time would be a huge unsigned sleep on the original
    // platform; here it is no sleep at all.
    if (ms > 0)
        LX_WaitUntil(LX_GetTimeCounter() + ms, precision, nullptr);
    return 0;
}
