// Calendar arithmetic: leap years, month lengths, day numbers both ways and
// the broken-down form's own operations. Nothing here asks the runtime but
// the current year and month.
#include <climits>

#include "gnr_system/time/LxDateTimeInternal.h"

using namespace lx_time;

const uint16_t lx_time::kDaysInMonth[2][12] = {
    {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};
const uint16_t lx_time::kDaysBeforeMonth[2][12] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335},
};

bool lx_time::UtcToValue(int64_t jdn, int64_t msOfDay, int64_t& value)
{
    int64_t ms = 0;
    return !__builtin_mul_overflow(jdn - kJdnOf1970, kMsPerDay, &ms) &&
           !__builtin_add_overflow(ms, msOfDay, &value);
}

bool CLxDateTime::IsLeapYear(int year, Calendar cal)
{
    if (year == Inv_Year)
        year = GetCurrentYear();
    switch (cal) {
    case Gregorian:
        return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    case Julian:
        return year % 4 == 0;
    }
    LX_TIME_REPORT("cal == Gregorian || cal == Julian", "unknown calendar");
    return false;
}

int CLxDateTime::GetCentury(int year)
{
    return year > 0 ? year / 100 : year / 100 - 1;
}

int CLxDateTime::ConvertYearToBC(int year)
{
    return year < 1 ? year - 1 : year;
}

int CLxDateTime::GetCurrentYear(Calendar cal)
{
    if (cal != Gregorian) {
        LX_TIME_REPORT("cal == Gregorian", "unsupported calendar");
        return Inv_Year;
    }
    struct tm now = GetTmNow();
    return now.tm_year + 1900;
}

CLxDateTime::Month CLxDateTime::GetCurrentMonth(Calendar cal)
{
    if (cal != Gregorian) {
        LX_TIME_REPORT("cal == Gregorian", "unsupported calendar");
        return Inv_Month;
    }
    struct tm now = GetTmNow();
    return Month(now.tm_mon);
}

uint16_t CLxDateTime::GetNumberOfDays(int year, Calendar)
{
    return IsLeapYear(year) ? 366 : 365;
}

uint16_t CLxDateTime::GetNumberOfDays(Month month, int year, Calendar cal)
{
    if (unsigned(month) >= 12) {
        LX_TIME_REPORT("month < 12", "invalid month");
        return 0;
    }
    if (cal != Gregorian) {
        LX_TIME_REPORT("cal == Gregorian", "unsupported calendar");
        return 0;
    }
    return kDaysInMonth[IsLeapYear(year) ? 1 : 0][month];
}

int64_t CLxDateTime::DateToJDN(int day, Month month, int year)
{
    // The formula counts from 1 March -4800; 24 November -4713 is day -1.
    if (year < -4713 || (year == -4713 && (month < Nov || (month == Nov && day < 24)))) {
        LX_TIME_REPORT("date >= JDN_0", "date out of range - can't convert to JDN");
        return 0;
    }
    const int64_t a = int64_t(year) + 4800 - (month < Mar ? 1 : 0);
    const int64_t m = month < Mar ? month + 10 : month - 2;
    return day + (153 * m + 2) / 5 + 1461 * (a % 100) / 4 + 146097 * (a / 100) / 4 - 32046;
}

bool CLxDateTime::JDNToDate(int64_t jdn, uint16_t& day, Month& month, int& year)
{
    // Below -1 the divisions would meet negative numbers; above this the
    // year leaves int.
    if (jdn < -1 || jdn > int64_t(INT_MAX) * 366)
        return false;
    const int64_t c = 4 * jdn + 128183;
    const int64_t century = c / 146097;
    const int64_t d = (c % 146097) / 4 * 4 + 3;
    int64_t y = century * 100 + d / 1461;
    const int64_t e = (d % 1461) / 4 * 5 + 2;
    int64_t m = e / 153;
    const int64_t mday = (e % 153) / 5 + 1;
    if (m >= 10) {
        y += 1;
        m -= 9;
    } else {
        m += 3;
    }
    y -= 4800;
    if (y > INT_MAX || m < 1 || m > 12 || mday < 1 || mday > 31)
        return false;
    day = uint16_t(mday);
    month = Month(m - 1);
    year = int(y);
    return true;
}

// ---- Tm

CLxDateTime::Tm::Tm(const struct tm& tm, const TimeZone& tz)
    : sec(uint16_t(tm.tm_sec)), min(uint16_t(tm.tm_min)), hour(uint16_t(tm.tm_hour)),
      mday(uint16_t(tm.tm_mday)), mon(unsigned(tm.tm_mon) < 12 ? Month(tm.tm_mon) : Inv_Month),
      year(tm.tm_year + 1900), tzOffset(tz.GetOffset()), wday(uint16_t(tm.tm_wday)),
      yday(uint16_t(tm.tm_yday + 1))
{
}

bool CLxDateTime::Tm::IsValid() const
{
    // Day 0 is refused too: no month has one.
    return year != Inv_Year && unsigned(mon) < 12 && mday >= 1 &&
           mday <= kDaysInMonth[IsLeapYear(year) ? 1 : 0][mon] && hour < 24 && min < 60 &&
           sec < 62 && msec < 1000;
}

CLxDateTime::WeekDay CLxDateTime::Tm::GetWeekDay() const
{
    if (wday == Inv_WeekDay && unsigned(mon) < 12)
        wday = uint16_t(FloorMod(DateToJDN(mday, mon, year) + 2, 7));
    return WeekDay(wday);
}

void CLxDateTime::Tm::AddMonths(int64_t months)
{
    const int64_t total = int64_t(mon) + months;
    const int64_t y = int64_t(year) + FloorDiv(total, 12);
    year = y > INT_MAX ? INT_MAX : y < INT_MIN + 1 ? INT_MIN + 1 : int(y);
    mon = Month(FloorMod(total, 12));
    wday = Inv_WeekDay;
}

bool CLxDateTime::Tm::AddDays(int64_t days)
{
    if (unsigned(mon) >= 12)
        return false;
    int64_t jdn = 0;
    if (__builtin_add_overflow(DateToJDN(mday, mon, year), days, &jdn) ||
        !JDNToDate(jdn, mday, mon, year))
        return false;
    wday = Inv_WeekDay;
    yday = uint16_t(kDaysBeforeMonth[IsLeapYear(year) ? 1 : 0][mon] + mday);
    return true;
}

// ---- Stepping months and weekdays

void lxNextMonth(CLxDateTime::Month& m)
{
    if (unsigned(m) >= CLxDateTime::Inv_Month) {
        LX_TIME_REPORT("m != Inv_Month", "invalid month");
        return;
    }
    m = m == CLxDateTime::Dec ? CLxDateTime::Jan : CLxDateTime::Month(m + 1);
}

void lxPrevMonth(CLxDateTime::Month& m)
{
    if (unsigned(m) >= CLxDateTime::Inv_Month) {
        LX_TIME_REPORT("m != Inv_Month", "invalid month");
        return;
    }
    m = m == CLxDateTime::Jan ? CLxDateTime::Dec : CLxDateTime::Month(m - 1);
}

void lxNextWDay(CLxDateTime::WeekDay& wd)
{
    if (unsigned(wd) >= CLxDateTime::Inv_WeekDay) {
        LX_TIME_REPORT("wd != Inv_WeekDay", "invalid week day");
        return;
    }
    wd = wd == CLxDateTime::Sat ? CLxDateTime::Sun : CLxDateTime::WeekDay(wd + 1);
}

void lxPrevWDay(CLxDateTime::WeekDay& wd)
{
    if (unsigned(wd) >= CLxDateTime::Inv_WeekDay) {
        LX_TIME_REPORT("wd != Inv_WeekDay", "invalid week day");
        return;
    }
    wd = wd == CLxDateTime::Sun ? CLxDateTime::Sat : CLxDateTime::WeekDay(wd - 1);
}
