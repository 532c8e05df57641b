// PLACEHOLDER: replaced by the diagnostics work.
#include "w32_system/debugging/LxDiag.h"

int LX_SetFailifOptions(unsigned) { return 0; }
int LX_SetTraceOptions(unsigned) { return 0; }
unsigned DiagAssertA(unsigned, const char*, const char*, const char*, int) { return 0; }
unsigned DiagAssertW(unsigned, const char16_t*, const char16_t*, const char*, int) { return 1; }
unsigned DiagAssertReport(unsigned, const char16_t*, unsigned) { return 0; }
void DiagOutputA(const char*, ...) {}
void DiagOutputW(const char16_t*, ...) {}
void DiagOutputExW_hlp(const char*, int) {}
void DiagOutputExW(const char16_t*, ...) {}
