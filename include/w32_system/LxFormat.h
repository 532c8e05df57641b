// The library's printf engine, one implementation for char and char16_t,
// with the conventions of the Windows runtime that the library's callers use:
//   %s   a string of the format's own kind     %S  the other kind
//   %hs  always narrow                         %ls / %ws  always UTF-16
//   %c / %C / %hc / %lc likewise for characters
//   I64 and ll take 64-bit integers, l and h are 32- and 16-bit, I32 32-bit
//   d i u o x X c s S p n f F e E g G a A %, the flags - + space # 0,
//   widths and precisions, also as '*'.
// Narrow text is UTF-8; converting between kinds goes through UTF-8/UTF-16.
// Numbers never use the process locale: the decimal point is always '.'.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "w32_system/LxExport.h"

// Like C99 vsnprintf: writes at most size - 1 units and a terminator (when
// size > 0) and returns the length the whole result has, or -1 for a bad
// format.
LX_EXPORT int LX_vsnprintfA(char* buffer, size_t size, const char* format, va_list args);
LX_EXPORT int LX_vsnprintfW(char16_t* buffer, size_t size, const char16_t* format, va_list args);
LX_EXPORT int LX_snprintfA(char* buffer, size_t size, const char* format, ...);
LX_EXPORT int LX_snwprintf(char16_t* buffer, size_t size, const char16_t* format, ...);
