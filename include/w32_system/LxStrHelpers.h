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

LX_EXPORT int LX_stricmp(const char* a, const char* b);
LX_EXPORT int LX_strnicmp(const char* a, const char* b, size_t n);
LX_EXPORT int LX_wcsicmp(const char16_t* a, const char16_t* b);
LX_EXPORT int LX_wcsnicmp(const char16_t* a, const char16_t* b, size_t n);

// Writes the digits of value in radix 2..36 (a minus sign for negative
// values in radix 10, the two's complement bit pattern in the others).
LX_EXPORT char16_t* LX_itow(int value, char16_t* buffer, int radix);
LX_EXPORT int LX_wtoi(const char16_t* text);
LX_EXPORT double LX_wstrtod(const char16_t* text, char16_t** end);

// Unbounded formatting, kept for callers outside the library; the library
// itself only uses the bounded LX_snwprintf (LxFormat.h).
LX_EXPORT int LX_swprintf(char16_t* buffer, const char16_t* format, ...);

// UTF-16 to narrow (UTF-8). length is in units, -1 for zero-terminated (the
// terminator is then written and counted). bufferSize 0 asks for the bytes
// needed. Returns the bytes written, 0 on failure (buffer too small).
LX_EXPORT int LX_WChar2Char(const char16_t* text, int length, char* buffer, int bufferSize);
// Narrow (UTF-8) to UTF-16, the same way in units.
LX_EXPORT int LX_Char2WChar(const char* text, int length, char16_t* buffer, int bufferSize);

// Replace every "ll" by "I64" in place (the buffer needs one more character
// per replacement). True when the text held "I64" or "ll".
LX_EXPORT bool LX_Conv64FmtSpecA(char* format);
LX_EXPORT bool LX_Conv64FmtSpecW(char16_t* format);

// Reads a number written with the user's decimal separator (or '.').
LX_EXPORT bool LX_StringToDouble(const char16_t* text, double* value);
// Fixed notation with the given decimals, trailing zeros trimmed; a value too
// small for the decimals is written with an exponent when that is shorter.
LX_EXPORT bool LX_DoubleToString(double value, int decimals, char16_t* buffer, int size);
LX_EXPORT bool LX_DoubleToStringEx(double value, int decimals, char16_t* buffer, int size,
                                   bool trim);

// Library-internal conveniences over the two conversions above.
std::string LX_Utf16ToUtf8(const char16_t* text, ptrdiff_t length = -1);
std::u16string LX_Utf8ToUtf16(const char* text, ptrdiff_t length = -1);
