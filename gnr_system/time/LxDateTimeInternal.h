// Helpers shared by the date and time sources: constants, the runtime's
// local-time services and the locale's date and time formats.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "gnr_system/string/LxString.h"
#include "gnr_system/time/LxDateTime.h"
#include "w32_system/debugging/LxDiag.h"

namespace lx_time
{
constexpr int64_t kMsPerDay = 86400000;
// Day number of 1970-01-01.
constexpr int64_t kJdnOf1970 = 2440587;
// The last second of the standard range (exclusive).
constexpr int64_t kStdRangeEnd = 0x7FFFFFFF;
// Domain of the translated words ("today", "noon", ...).
constexpr const char* kDomain = "qvx\\gnr_system\\time\\LxDateTime";

// Days per month and days before each month, normal and leap years.
extern const uint16_t kDaysInMonth[2][12];
extern const uint16_t kDaysBeforeMonth[2][12];

// Floor division and the matching non-negative remainder.
constexpr int64_t FloorDiv(int64_t a, int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}
constexpr int64_t FloorMod(int64_t a, int64_t b)
{
    const int64_t r = a % b;
    return r != 0 && ((r < 0) != (b < 0)) ? r + b : r;
}

// Milliseconds of a UTC reading; false when they do not fit 64 bits.
bool UtcToValue(int64_t jdn, int64_t msOfDay, int64_t& value);

// The seven-part Set without reports. Inv_Year and Inv_Month become the
// current local ones. A reading whose instant lies in the standard range
// goes through mktime (daylight saving as the runtime decides), any other is
// local standard time.
enum class SetFault { None, Time, Date, Range, Runtime };
SetFault LocalToValue(int day, CLxDateTime::Month month, int year, int hour, int minute, int second,
                      int millisecond, int64_t& value);
// Reports a fault of LocalToValue as the seven-part Set does.
void ReportSetFault(SetFault fault);

// Week of the year of a reading (see CLxDateTime::GetWeekOfYear).
int WeekOfYear(const CLxDateTime::Tm& tm, CLxDateTime::WeekFlags flags);

// ---- The runtime's local time.

// The local standard offset, seconds west of UTC (glibc's `timezone`); the
// runtime's zone is read once before the first use.
long StdOffsetWest();
// localtime_r / gmtime_r; false when the runtime refuses.
bool LocalTm(time_t t, struct tm& out);
bool UtcTm(time_t t, struct tm& out);
// mktime of a copy; false when the runtime refuses.
bool MakeTime(const struct tm& in, time_t& out);
// strftime into at most 8192 characters (a UTF-16 format goes through
// UTF-8); false when nothing was written (an empty or too long result), out
// then empty.
bool Strftime(const char* format, const struct tm& tm, CLxStringW& out);
bool Strftime(const char16_t* format, const struct tm& tm, CLxStringW& out);
// The runtime's record of a reading, for strftime: weekday and day of year
// filled, the zone name for %Z the local one for the local zone (standard
// or daylight-saving as isDst says), else "GMT".
struct tm TmForRuntime(const CLxDateTime::Tm& tm, const CLxDateTime::TimeZone& tz, bool isDst);

// ---- The locale's date and time formats (strftime patterns).

struct SLocaleFormats {
    std::string date; // nl_langinfo(D_FMT)
    std::string time; // nl_langinfo(T_FMT)
    std::string ampm; // nl_langinfo(T_FMT_AMPM), what %r stands for
};
// The override when one is set, else the process locale's.
SLocaleFormats LocaleFormats();
// Replaces the process locale's formats until called with null formats
// (tests use it to play other locales). Not locked: set it before other
// threads format.
void SetLocaleFormatsOverride(const char* date, const char* time, const char* ampm);

// What a date format tells: the order of day, month and year (0 month-day-
// year, 1 day-month-year, 2 year-month-day) and the separator after the
// first field (at most 3 characters). False when the order is another one
// or a field is missing.
bool AnalyzeDateFormat(const SLocaleFormats& formats, int& order, std::u16string& separator);
// What a time format tells: 24-hour or 12-hour clock, the separator after
// the hour, and whether the AM/PM mark comes before the hour. False without
// an hour directive.
bool AnalyzeTimeFormat(const SLocaleFormats& formats, bool& clock24, std::u16string& separator,
                       bool& markFirst);
} // namespace lx_time

// Reports through the assertion layer; the expression and message are
// literal texts.
#define LX_TIME_REPORT(expression, message) LX_DIAG_ASSERT_TEXT(u"" expression, u"" message)
