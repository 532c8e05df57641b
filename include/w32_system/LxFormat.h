// The library's printf engine, one implementation for char and char16_t,
// with the conventions of the Windows runtime that the library's callers use:
//   %s   a string of the format's own kind     %S  the other kind
//   %hs  always narrow                         %ls / %ws  always UTF-16
//   %c / %C / %hc / %lc / %wc likewise for characters
//   I64, ll and j take 64-bit integers; l and I32 32-bit (a C++ long is never
//   passed), h 16-bit, hh 8-bit; I, z and t pointer-sized; L a long double
//   (printed with double precision).
//   d i u o x X c s S p n f F e E g G a A %, the flags - + space # 0,
//   widths and precisions, also as '*'.
// Narrow text is UTF-8; converting between kinds goes through UTF-8/UTF-16,
// and never writes half a character. Width and precision count units of the
// output's kind. A null string prints "(null)" (cut by a precision like any
// text). %p prints all the pointer's hex digits in upper case, as Windows
// does. %n consumes its pointer but never writes through it.
// Numbers never use the process locale: the decimal point is always '.',
// the exponent has at least two digits, infinities and NaNs print as
// "inf"/"nan" ("INF"/"NAN" for F, E, G, A).
#pragma once

#include <cstdarg>
#include <cstddef>

#include "w32_system/LxExport.h"

// Like C99 vsnprintf: writes at most size - 1 units and a terminator (when
// size > 0; a null buffer only counts) and returns the length the whole
// result has. A bad format (unknown conversion or length modifier, a '%' at
// the end, a width or precision over INT_MAX) or a result longer than INT_MAX
// gives -1 and leaves the buffer empty.
LX_EXPORT int LX_vsnprintfA(char* buffer, size_t size, const char* format, va_list args);
LX_EXPORT int LX_vsnprintfW(char16_t* buffer, size_t size, const char16_t* format, va_list args);
LX_EXPORT int LX_snprintfA(char* buffer, size_t size, const char* format, ...);
LX_EXPORT int LX_snwprintf(char16_t* buffer, size_t size, const char16_t* format, ...);
