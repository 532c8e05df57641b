// The locale's date and time forms, and the automation (OLE) date.
//
// The locale is the process's C locale (setlocale): its date format
// nl_langinfo(D_FMT) and time format nl_langinfo(T_FMT) decide the order of
// day, month and year, the separators, the 12- or 24-hour clock and where the
// AM/PM mark goes. Buffer lengths count UTF-16 units, terminator included.
//
// Status codes: 0 done; -4 a buffer with a length below 1; -9 the locale's
// format cannot be read that way (no day, month and year in one of the three
// orders, no hour), a result that does not fit its buffer, or a date that
// cannot be formatted. A buffer is left empty when its part fails.
#pragma once

#include <cstdint>
#include <ctime>

#include "w32_system/LxExport.h"

// A calendar reading in the layout of the Windows SYSTEMTIME: month 1-12,
// weekday 0 (Sunday) - 6 (not read by the functions here).
struct SLxSystemTime {
    uint16_t wYear;
    uint16_t wMonth;
    uint16_t wDayOfWeek;
    uint16_t wDay;
    uint16_t wHour;
    uint16_t wMinute;
    uint16_t wSecond;
    uint16_t wMilliseconds;
};

// The locale's short-date and time pictures in the Windows picture language
// ("MM/dd/yy", "HH:mm:ss", "h:mm:ss tt"), into the buffers that are not null.
LX_EXPORT int LX_GetLocaleShortDateTimeFormat(char16_t* dateBuf, int dateLen, char16_t* timeBuf,
                                              int timeLen);
// Directive formats for CLxDateTime::Format and ParseFormat built from the
// locale: the date "%m/%d/%Y", "%d/%m/%Y" or "%Y/%m/%d" with the locale's
// separator (at most 3 characters), the time "%H:%M:%S", "%I:%M:%S %p" or
// "%p %I:%M:%S" with its separator.
LX_EXPORT int LX_GetLocaleDateTimeFormat(char16_t* dateBuf, int dateLen, char16_t* timeBuf,
                                         int timeLen);
// The same choice as a picture for people: "MM/DD/YYYY", "DD/MM/YYYY" or
// "YYYY/MM/DD", then " HH:MM:SS", " pm hh:MM:SS" or " hh:MM:SS pm".
LX_EXPORT int LX_GetLocaleUserDateTimeFormat(char16_t* buf, int len);
// The locale's short date (strftime %x) and time (%X) of a reading into the
// buffers that are not null; -9 for a null or impossible reading.
LX_EXPORT int LX_FormatLocaleDateTime(const SLxSystemTime* time, char16_t* dateBuf, int dateLen,
                                      char16_t* timeBuf, int timeLen);
// The automation date (days since 1899-12-30 00:00 UTC, the fraction the time
// of day, before that date the time counted forward from the negative day)
// of a local reading (tm_year + 1900, tm_mon + 1, tm_mday, tm_hour, tm_min,
// tm_sec; tm_isdst and tm_wday are not read; daylight saving as CLxDateTime
// decides it). -4 for a null argument, -9 for fields out of range or a year
// outside 100 ... 9999, 0 done.
LX_EXPORT int LX_TmToVariantTime(const struct tm* tm, double* out);
