// The library's clock, periodic timers, sleeping and the processor's
// time-stamp counter.
//
// Time counter: milliseconds of the monotonic clock as a double. Usable at
// any time, also before the library's attach step has run.
//
// Timers call a routine of the caller a given number of times (0 = until it
// stops them) at a given period. The precision number chooses the carrier
// and how it waits between calls:
//
//   precision  carrier                          waiting between calls
//   1          a thread of its own              sleep, rounded to whole ms
//   2          a thread of its own              sleep whole 10 ms, then spin
//   3          a thread of its own              spin on the time counter
//   4          a tick thread (device-like)      sleep to each tick
//   5          a tick thread (device-like)      sleep to each tick
//   6          a tick thread (device-like)      sleep to each tick
//   7          a tick thread (device-like)      sleep to each tick, then spin
//                                               to align with the period grid
//   8          a thread of its own              sleep, rounded to whole ms
//
// Thread timers (1-3, 8) make their first call at once, then one per period;
// with the catch-up flag, calls missed while the routine was busy are skipped,
// without it they follow one another at once. Tick timers (4-7) make their
// first call one period after the start, on a grid of whole milliseconds;
// ticks missed while the routine was busy are dropped, as a timer device does
// not queue them, and the catch-up flag is not used. A period below 1 ms
// forces precision 3 (except for precision 8). A tick timer whose tick
// thread cannot be started runs as a thread timer of the same precision.
//
// Precision 8 stands for a timer posted to the calling thread's message
// loop. There is no message loop on this platform, so such a timer always
// runs on a thread of its own (the "window" carrier is never used, and
// LX_WaitForTimer never answers -2).
//
// Routines run on the carrier's thread without any library lock held: they
// may start, kill and look up timers, including their own. A routine must
// not wait for its own timer (LX_WaitForTimer answers -4 instead of hanging).
//
// At process exit, timers still running are told to stop but not waited for
// (a routine that never returns would hang the exit); their routines may
// run during exit. The library must not be unloaded while timers run.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

// The caller's routine: receives the caller's word; returns non-zero to go
// on, 0 to end the timer after this call.
typedef int (*LX_TIMERPROC)(void* callerWord);

// What LX_GetTimerInfo tells about a running timer.
enum ELxTimerCarrier : int {
    LX_TIMER_CARRIER_OTHER = 0,
    LX_TIMER_CARRIER_THREAD = 2,
    LX_TIMER_CARRIER_MULTIMEDIA = 3, // the tick threads of precisions 4-7
    LX_TIMER_CARRIER_WINDOW = 4,     // kept for callers; never used here
};

struct SLxTimerInfo {
    double dStartTime; // LX_GetTimeCounter at creation, in ms
    int iPrecision;    // the precision in use (3 when a short period forced it)
    int iCatchUp;      // the catch-up flag as given
    int iCarrier;      // an ELxTimerCarrier value
};

// Milliseconds since an arbitrary origin (the monotonic clock).
LX_EXPORT double LX_GetTimeCounter();
// The counter's resolution in milliseconds (the monotonic clock's).
LX_EXPORT double LX_GetTimeCounterPrecision();

// Starts a timer. periodMs: 0 to 2147483647; numCalls: 0 for no end, else
// the number of calls; precision: 1-8 (table above); catchUp: non-zero to
// skip missed calls (thread carriers only).
// Returns the timer's id (never 0), or 0 on failure: a null routine, a
// negative number of calls, a period out of range, a precision out of 1-8
// (each reported through DiagAssertW), no memory or no thread (traced).
LX_EXPORT unsigned LX_SetThreadedTimer(LX_TIMERPROC routine, void* callerWord, double periodMs,
                                       int numCalls, int precision, int catchUp);
// LX_SetThreadedTimer with precision 8 and the catch-up flag set.
LX_EXPORT unsigned LX_SetPostedTimer(LX_TIMERPROC routine, void* callerWord, double periodMs,
                                     int numCalls);

// Asks a running timer to end; returns at once. The carrier looks at the
// request before each call, so at most a call that is already starting or
// running still happens. A sleeping thread timer ends at once, a tick
// timer at its next tick; LX_WaitForTimer tells when it has ended.
// 0 when the timer was running; -4 for an unknown or already ended id.
LX_EXPORT int LX_KillTimerAsync(unsigned timerId);

// Waits, without limit, until the timer has ended. A thread timer's thread
// has then finished; a tick timer has made its last call.
// 0 when the timer has ended (also when it had already ended before the
// call); -4 for an id never given, or when called from the timer's own
// routine (which would wait forever); -2 for a window timer (not used here).
LX_EXPORT int LX_WaitForTimer(unsigned timerId);

// Sleeps ms milliseconds the way the precision asks: 1, 4, 8 sleep (rounded
// to whole ms); 2, 5 sleep whole 10 ms and spin the rest; 3, 6, 7 spin.
// 0 (also at once for ms <= 0 or NaN); -4 for another precision (reported
// through DiagAssertW).
LX_EXPORT int LX_Sleep(double ms, int precision);

// Fills info for a running timer. 0; -4 for an unknown or ended id, or a
// null info.
LX_EXPORT int LX_GetTimerInfo(unsigned timerId, SLxTimerInfo* info);

// The processor's time-stamp counter.
// Detects the counter once (later calls only answer); returns rdtsc_available().
// The other functions detect it themselves on first use.
LX_EXPORT bool rdtsc_initialize();
LX_EXPORT bool rdtsc_available();
// The counter, read after a serialising instruction; 0 without the counter.
LX_EXPORT uint64_t rdtsc_count();
// Calibrates the counter against the time counter: one measurement over
// intervalMs, then up to maxRounds more, each averaged into the estimate,
// until the mean deviation is at most *tolerance (counts per second).
// Gives the estimate (counts per second) in *countsPerSecond and the mean
// deviation in *tolerance, and keeps both for rdtsc_count2seconds.
// False without the counter, for null pointers, intervalMs < 1 or
// maxRounds < 1. Spins for (1 + rounds) × intervalMs.
LX_EXPORT bool rdtsc_cpu_freq(double* countsPerSecond, double* tolerance, unsigned intervalMs,
                              int maxRounds);
// count / counts per second. Unless rdtsc_cpu_freq has already calibrated,
// the first call calibrates with an interval of 1000 ms, at most 20 rounds
// and the kept tolerance (0 at start), which can take some 21 seconds.
// 0.0 when there is no calibration.
LX_EXPORT double rdtsc_count2seconds(uint64_t count);
