#include <ctime>

#include "w32_system/timer/LxTimer.h"
#include "w32_system/timer/LxTimerAttach.h"

namespace
{

// The monotonic clock stands for the performance counter: it always exists
// and counts at 10^9 ticks per second; only its resolution varies.
double resolutionMs()
{
    static const double resolution = [] {
        timespec res;
        if (clock_getres(CLOCK_MONOTONIC, &res) != 0 || (!res.tv_sec && !res.tv_nsec))
            return 1e-6;
        return double(res.tv_sec) * 1e3 + double(res.tv_nsec) * 1e-6;
    }();
    return resolution;
}

} // namespace

double LX_GetTimeCounter()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) * 1e-6;
}

double LX_GetTimeCounterPrecision()
{
    return resolutionMs();
}

void LX_TimerAttach()
{
    rdtsc_initialize();
    resolutionMs();
}

void LX_TimerDetach() {}
