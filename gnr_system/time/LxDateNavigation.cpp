// Moving a date to weekdays, weeks, month ends and days of the year. Moves
// are calendar moves of the local reading: the local time of day stays
// across daylight-saving changes.
#include "gnr_system/time/LxDateTimeInternal.h"

using namespace lx_time;

namespace
{
bool ReportIfBadWeekDay(CLxDateTime::WeekDay wd)
{
    if (unsigned(wd) < CLxDateTime::Inv_WeekDay)
        return false;
    LX_TIME_REPORT("wd != Inv_WeekDay", "invalid weekday");
    return true;
}

int WeekDayOf(int day, CLxDateTime::Month month, int year)
{
    return int(FloorMod(CLxDateTime::DateToJDN(day, month, year) + 2, 7));
}

// Copies the date, applies a move and returns the copy.
template <class Move> CLxDateTime Moved(const CLxDateTime& dt, Move move)
{
    CLxDateTime copy = dt;
    move(copy);
    return copy;
}
} // namespace

int lx_time::WeekOfYear(const CLxDateTime::Tm& tm, CLxDateTime::WeekFlags flags)
{
    if (flags == CLxDateTime::Default_First)
        flags = CLxDateTime::GetCountry() == CLxDateTime::Country_USA ? CLxDateTime::Sunday_First
                                                                      : CLxDateTime::Monday_First;
    const int yday = kDaysBeforeMonth[CLxDateTime::IsLeapYear(tm.year) ? 1 : 0][tm.mon] + tm.mday;
    const int wday = tm.GetWeekDay();
    int week = flags == CLxDateTime::Sunday_First ? (yday - wday + 7) / 7
                                                  : (yday - (wday + 6) % 7 + 7) / 7;
    const int jan1 = WeekDayOf(1, CLxDateTime::Jan, tm.year);
    if (jan1 == CLxDateTime::Wed || jan1 == CLxDateTime::Thu)
        ++week;
    return week;
}

CLxDateTime& CLxDateTime::SetToWeekDayInSameWeek(WeekDay wd)
{
    if (ReportIfBadWeekDay(wd) || ReportIfInvalid())
        return *this;
    return AddDays(int(wd) - GetWeekDay());
}

CLxDateTime CLxDateTime::GetWeekDayInSameWeek(WeekDay wd) const
{
    return Moved(*this, [wd](CLxDateTime& dt) { dt.SetToWeekDayInSameWeek(wd); });
}

CLxDateTime& CLxDateTime::SetToNextWeekDay(WeekDay wd)
{
    if (ReportIfBadWeekDay(wd) || ReportIfInvalid())
        return *this;
    return AddDays(FloorMod(int(wd) - GetWeekDay(), 7));
}

CLxDateTime CLxDateTime::GetNextWeekDay(WeekDay wd) const
{
    return Moved(*this, [wd](CLxDateTime& dt) { dt.SetToNextWeekDay(wd); });
}

CLxDateTime& CLxDateTime::SetToPrevWeekDay(WeekDay wd)
{
    if (ReportIfBadWeekDay(wd) || ReportIfInvalid())
        return *this;
    return AddDays(-FloorMod(int(GetWeekDay()) - wd, 7));
}

CLxDateTime CLxDateTime::GetPrevWeekDay(WeekDay wd) const
{
    return Moved(*this, [wd](CLxDateTime& dt) { dt.SetToPrevWeekDay(wd); });
}

bool CLxDateTime::SetToWeekDay(WeekDay wd, int n, Month month, int year)
{
    if (ReportIfBadWeekDay(wd))
        return false;
    if (year == Inv_Year)
        year = GetCurrentYear();
    if (month == Inv_Month)
        month = GetCurrentMonth();
    const int length = GetNumberOfDays(month, year);
    if (length == 0)
        return false;
    int64_t day = 0;
    if (n >= 1)
        day = 1 + (int64_t(n) - 1) * 7 + FloorMod(int(wd) - WeekDayOf(1, month, year), 7);
    else
        day = length - FloorMod(WeekDayOf(length, month, year) - int(wd), 7) + (int64_t(n) + 1) * 7;
    if (day < 1 || day > length)
        return false;
    int64_t value = 0;
    if (LocalToValue(int(day), month, year, 0, 0, 0, 0, value) != SetFault::None)
        return false;
    m_value = value;
    return true;
}

CLxDateTime CLxDateTime::GetWeekDay(WeekDay wd, int n, Month month, int year) const
{
    CLxDateTime dt = *this;
    return dt.SetToWeekDay(wd, n, month, year) ? dt : CLxDateTime();
}

bool CLxDateTime::SetToLastWeekDay(WeekDay wd, Month month, int year)
{
    return SetToWeekDay(wd, -1, month, year);
}

CLxDateTime CLxDateTime::GetLastWeekDay(WeekDay wd, Month month, int year) const
{
    return GetWeekDay(wd, -1, month, year);
}

CLxDateTime& CLxDateTime::SetToLastMonthDay(Month month, int year)
{
    if (year == Inv_Year)
        year = GetCurrentYear();
    if (month == Inv_Month)
        month = GetCurrentMonth();
    const uint16_t length = GetNumberOfDays(month, year);
    return length ? Set(length, month, year) : *this;
}

CLxDateTime CLxDateTime::GetLastMonthDay(Month month, int year) const
{
    return Moved(*this, [month, year](CLxDateTime& dt) { dt.SetToLastMonthDay(month, year); });
}

bool CLxDateTime::SetToTheWeek(uint16_t numWeek, WeekDay wd)
{
    if (ReportIfBadWeekDay(wd) || ReportIfInvalid())
        return false;
    const int year = GetYear();
    // 4 January always lies in week 1 of the Monday-first numbering
    // (GetWeekOfYear); week n begins n - 1 weeks after that week's Monday.
    CLxDateTime dt(4, Jan, year);
    if (!dt.IsValid())
        return false;
    const int fromMonday = (WeekDayOf(4, Jan, year) + 6) % 7;
    dt.AddDays(-fromMonday + (int(wd) + 6) % 7 + (int64_t(numWeek) - 1) * 7);
    if (!dt.IsValid() || dt.GetYear() != year)
        return false;
    *this = dt;
    return true;
}

CLxDateTime CLxDateTime::GetWeek(uint16_t numWeek, WeekDay wd) const
{
    CLxDateTime dt = *this;
    return dt.SetToTheWeek(numWeek, wd) ? dt : CLxDateTime();
}

CLxDateTime& CLxDateTime::SetToYearDay(uint16_t yday)
{
    if (ReportIfInvalid())
        return *this;
    const int year = GetYear();
    if (yday < 1 || yday > GetNumberOfDays(year)) {
        LX_TIME_REPORT("yday > 0 && yday <= GetNumberOfDays(year)", "invalid year day");
        return *this;
    }
    const uint16_t* before = kDaysBeforeMonth[IsLeapYear(year) ? 1 : 0];
    int month = 0;
    while (month < Dec && before[month + 1] < yday)
        ++month;
    return Set(uint16_t(yday - before[month]), Month(month), year);
}

CLxDateTime CLxDateTime::GetYearDay(uint16_t yday) const
{
    return Moved(*this, [yday](CLxDateTime& dt) { dt.SetToYearDay(yday); });
}
