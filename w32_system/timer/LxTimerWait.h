// Waiting to a point of the time counter the way a timer precision asks;
// shared by LX_Sleep and the timer carriers.
#pragma once

#include <ctime>

class CLxTimerEvent;

// A point of the time counter as a monotonic-clock time, clamped to
// [0, about 30000 years] so that no conversion overflows.
timespec LX_CounterToTimespec(double ms);

// Sleeps until the time counter reaches dueMs, whatever signals arrive.
void LX_SleepUntil(double dueMs);

// Waits until dueMs with the precision's style (see LX_Sleep); 1-8 only.
// With a stop event, returns false as soon as it is set, else true.
bool LX_WaitUntil(double dueMs, int precision, CLxTimerEvent* stop);
