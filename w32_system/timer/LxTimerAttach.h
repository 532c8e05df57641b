// The timer layer's part of the platform attach and detach step.
#pragma once

// Process attach: detects the time-stamp counter (rdtsc_initialize) and
// notes the time counter's frequency and resolution. Calling it is optional:
// every function of the layer also works before it.
void LX_TimerAttach();
// Process detach: nothing to release on this platform (the clock's
// resolution is never raised). Running timers are left to the exit handler.
void LX_TimerDetach();
