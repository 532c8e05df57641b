// Text and number helpers of the platform layer: one name per C runtime text
// operation, conversion between UTF-16 and the narrow code page, 64-bit format
// specifiers, and numbers as user-facing text.
//
// The narrow "code page" of this library is always UTF-8, whatever the
// process locale says; invalid bytes read as U+FFFD.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

#include "w32_system/LxExport.h"
#include "w32_system/LxWideCrt.h"

// Compares without regard to case (ASCII letters for narrow text, as in the
// C locale; Unicode simple lower-case mapping for UTF-16): negative, 0,
// positive. A null pointer sorts before any text.
LX_EXPORT int LX_stricmp(const char* a, const char* b);
LX_EXPORT int LX_strnicmp(const char* a, const char* b, size_t n);
LX_EXPORT int LX_wcsicmp(const char16_t* a, const char16_t* b);
LX_EXPORT int LX_wcsnicmp(const char16_t* a, const char16_t* b, size_t n);

// Writes the digits of value in radix 2..36, lower-case letters (a minus sign
// for negative values in radix 10, the 32-bit two's complement pattern in the
// others) and returns buffer, which needs room for 33 units. Another radix
// gives an empty text.
LX_EXPORT char16_t* LX_itow(int value, char16_t* buffer, int radix);
// Leading decimal integer after white space and a sign; 0 when none or for a
// null text; saturates at the 32-bit limits.
LX_EXPORT int LX_wtoi(const char16_t* text);
// Leading floating-point number as strtod reads it in the C locale ('.' as
// decimal point, also hex, "inf" and "nan"). *end (when not null) points
// after the number, or at text when there is none.
LX_EXPORT double LX_wstrtod(const char16_t* text, char16_t** end);

// Unbounded formatting, kept for callers outside the library; the library
// itself only uses the bounded LX_snwprintf (LxFormat.h). Returns the units
// written, -1 for a bad format or a null buffer.
LX_EXPORT int LX_swprintf(char16_t* buffer, const char16_t* format, ...);

// UTF-16 to narrow (UTF-8). length is in units, -1 for zero-terminated (the
// terminator is then written and counted). bufferSize 0 asks for the bytes
// needed. Returns the bytes written, 0 on failure (buffer too small).
LX_EXPORT int LX_WChar2Char(const char16_t* text, int length, char* buffer, int bufferSize);
// Narrow (UTF-8) to UTF-16, the same way in units.
LX_EXPORT int LX_Char2WChar(const char* text, int length, char16_t* buffer, int bufferSize);

// Replaces the length modifier "ll" of every conversion by
// "I64" in place ("%lld" becomes "%I64d"; "ll" in the literal text stays).
// Bounded form: size is the buffer's capacity in units, terminator included.
// Returns 1 when the format has 64-bit conversions ("I64" or "ll"), 0 when
// it has none, -4 for a null format or when the result would not fit (the
// text is then unchanged).
LX_EXPORT int LX_Conv64FmtSpecExA(char* format, size_t size);
LX_EXPORT int LX_Conv64FmtSpecExW(char16_t* format, size_t size);
// Unbounded forms: the buffer needs one more unit per replacement. True when
// the format has 64-bit conversions.
LX_EXPORT bool LX_Conv64FmtSpecA(char* format);
LX_EXPORT bool LX_Conv64FmtSpecW(char16_t* format);

// Reads the leading number of a text written with the user's decimal
// separator (or '.'); white space before it is skipped, text after it
// ignored. False (value unchanged) when no number starts the text.
LX_EXPORT bool LX_StringToDouble(const char16_t* text, double* value);
// LX_DoubleToStringEx with trimming.
LX_EXPORT bool LX_DoubleToString(double value, int decimals, char16_t* buffer, int size);
// Fixed notation with the given decimals and the user's decimal separator,
// minus sign in front, no digit grouping. With trim, trailing zeros and a
// bare separator go ("2.5" for 2.5 with 3 decimals; untrimmed "2.500"). 0 is
// "0". A value too small for the decimals gets one significant digit: as
// "1e-5" when that is shorter than the fixed form, else fixed ("0.05").
// size is the buffer's capacity in units. False, with an empty text, for
// negative decimals, an infinity or NaN, or a buffer too small for the fixed
// form with all the decimals or for the result.
LX_EXPORT bool LX_DoubleToStringEx(double value, int decimals, char16_t* buffer, int size,
                                   bool trim);
