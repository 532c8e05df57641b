// Fuzzed inputs fail checks by the thousand: their reports go to the debug
// outlet, which nobody hears, instead of the log file.
#pragma once

#include "w32_system/debugging/LxDiag.h"

namespace fuzzing
{

inline void QuietReports()
{
    static const bool quiet = [] {
        LX_SetFailifOptions(LX_DIAG_DEBUGOUT);
        LX_SetTraceOptions(LX_DIAG_DEBUGOUT);
        return true;
    }();
    (void)quiet;
}

} // namespace fuzzing
