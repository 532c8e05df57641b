// The system library's start-up step, for the library's entry.
#pragma once

// Run on process attach after the platform layer's: sets up the string
// utilities and the unit table. Returns 1.
int GnrSystem_DllAttach();
