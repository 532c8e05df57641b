#include <atomic>
#include <cmath>
#include <mutex>

#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/LxLogFile.h"
#include "w32_system/timer/LxTimer.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define LX_HAVE_TSC_INSTRUCTIONS 1
#endif

namespace
{

std::once_flag g_detectOnce;
std::atomic<bool> g_available{false};

// The calibration kept for rdtsc_count2seconds; also serialises its
// first-use calibration.
std::mutex g_calibrationLock;
double g_countsPerSecond = 0;
double g_tolerance = 0;
bool g_firstUseCalibrationTried = false;

#ifdef LX_HAVE_TSC_INSTRUCTIONS
// cpuid waits for every earlier instruction, so the read is not moved ahead.
uint64_t serialisedRead()
{
    unsigned a, b, c, d;
    __cpuid(0, a, b, c, d);
    return __rdtsc();
}

// Bit 4 of the feature flags (EDX) of leaf 1.
constexpr unsigned kTimeStampCounterBit = 1u << 4;

bool detect()
{
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return false;
    unsigned family = (eax >> 8) & 0xF;
    if (family == 0xF)
        family += (eax >> 20) & 0xFF;
    if (family < 5 || !(edx & kTimeStampCounterBit))
        return false;
    // Some emulators report the bit without a counting counter.
    const uint64_t first = serialisedRead();
    const uint64_t second = serialisedRead();
    return second > first;
}
#else
uint64_t serialisedRead()
{
    return 0;
}

bool detect()
{
    return false;
}
#endif

// Counts per second over at least intervalMs, timed by spinning on the time
// counter; divides by the time that really passed, which preemption can
// stretch beyond the interval.
double measure(unsigned intervalMs)
{
    const double start = LX_GetTimeCounter();
    const uint64_t first = serialisedRead();
    double now;
    do {
        now = LX_GetTimeCounter();
    } while (now - start < intervalMs);
    const uint64_t last = serialisedRead();
    return double(last - first) * 1000 / (now - start);
}

bool calibrate(double* countsPerSecond, double* tolerance, unsigned intervalMs, int maxRounds)
{
    if (!countsPerSecond || !tolerance || intervalMs < 1 || maxRounds < 1 || !rdtsc_available())
        return false;
    double estimate = measure(intervalMs);
    double deviationSum = 0;
    double meanDeviation = 0;
    for (int round = 1; round <= maxRounds; ++round) {
        const double measured = measure(intervalMs);
        estimate = (estimate + measured) / 2;
        deviationSum += std::fabs(measured - estimate);
        meanDeviation = deviationSum / round;
        if (meanDeviation <= *tolerance)
            break;
    }
    *countsPerSecond = estimate;
    *tolerance = meanDeviation;
    return true;
}

} // namespace

bool rdtsc_initialize()
{
    std::call_once(g_detectOnce, [] {
        const bool present = detect();
        g_available = present;
        if (CLxLogFile::Detail())
            LX_TRACE(present ? u"RDTSC instruction probably present."
                             : u"RDTSC instruction NOT present.");
    });
    return g_available;
}

bool rdtsc_available()
{
    return rdtsc_initialize();
}

uint64_t rdtsc_count()
{
    return rdtsc_available() ? serialisedRead() : 0;
}

bool rdtsc_cpu_freq(double* countsPerSecond, double* tolerance, unsigned intervalMs, int maxRounds)
{
    if (!calibrate(countsPerSecond, tolerance, intervalMs, maxRounds))
        return false;
    std::lock_guard<std::mutex> lock(g_calibrationLock);
    g_countsPerSecond = *countsPerSecond;
    g_tolerance = *tolerance;
    return true;
}

double rdtsc_count2seconds(uint64_t count)
{
    std::lock_guard<std::mutex> lock(g_calibrationLock);
    if (g_countsPerSecond <= 0 && !g_firstUseCalibrationTried) {
        // Tried once only: a failed calibration would fail again, slowly.
        g_firstUseCalibrationTried = true;
        double countsPerSecond = 0;
        double tolerance = g_tolerance;
        if (calibrate(&countsPerSecond, &tolerance, 1000, 20)) {
            g_countsPerSecond = countsPerSecond;
            g_tolerance = tolerance;
        }
    }
    return g_countsPerSecond > 0 ? double(count) / g_countsPerSecond : 0.0;
}
