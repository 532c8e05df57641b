// CLxDateTime: a point in time, kept as signed 64-bit milliseconds since
// 1970-01-01 00:00:00.000 UTC. The value -1 is the invalid date
// (g_DefaultDateTime); a default-constructed date is invalid.
//
// Calendar: proleptic Gregorian, computed by the library itself through
// Julian day numbers. The C runtime (localtime_r, gmtime_r, mktime, strftime,
// the glibc variable `timezone`) is asked only about the local zone and only
// inside the "standard range" 0 <= seconds < 0x7FFFFFFF (1970-01-01 to
// 2038-01-19). Outside it, local time is local standard time
// (-timezone seconds east of UTC) without daylight saving.
//
// Local time: "local" always means the process's zone (TZ) as the C runtime
// sees it after tzset(). Setting components (day, month, year, hour, ...)
// interprets them as local time: when the instant lies in the standard range
// through mktime with daylight saving decided by the runtime, otherwise as
// local standard time. Reading and setting thus use the same road.
//
// Months run January 0 to December 11, weekdays Sunday 0 to Saturday 6. The
// year is the full year (2005, -44); Inv_Year (INT_MIN) stands for "the
// current local year" where a function takes a year, Inv_Month likewise.
//
// Failures: misuse is reported through DiagAssertW with the condition and a
// message (see each member), and the member then gives its neutral result:
// the object unchanged, the invalid date, false, 0 or -1. Values outside the
// range that 64-bit milliseconds can hold are refused the same way ("date out
// of range"). Nothing throws. Parsers answer text that does not fit with a
// null pointer.
//
// Threads: values are plain 64-bit copies. The country (GetCountry) and the
// runtime's zone are process-wide and meant to be set before other threads
// use them.
#pragma once

#include <climits>
#include <cstdint>
#include <ctime>

#include "gnr_system/string/LxString.h"
#include "gnr_system/time/LxTimeSpan.h"
#include "w32_system/LxExport.h"

class CLxVariant;

class LX_EXPORT CLxDateTime
{
  public:
    // The enumerations are int-based, so every int is a value of them;
    // members check the values they are given.
    enum Month : int { Jan, Feb, Mar, Apr, May, Jun, Jul, Aug, Sep, Oct, Nov, Dec, Inv_Month };
    enum WeekDay : int { Sun, Mon, Tue, Wed, Thu, Fri, Sat, Inv_WeekDay };
    enum Calendar : int { Gregorian, Julian };
    static constexpr int Inv_Year = INT_MIN;

    // The daylight-saving rules. GetCountry tells them from the local zone's
    // name: CET/CEST EEC, WET/WEST UK, MSK/MSD Russia, anything else USA.
    // EEC to UK form the west European group.
    enum Country : int {
        Country_Unknown = 0, // not yet determined
        Country_Default = 1, // the process's country, as GetCountry tells
        Country_EEC = 2,
        Country_France = 3,
        Country_Germany = 4,
        Country_UK = 5,
        Country_Russia = 6,
        Country_USA = 7,
        Country_WesternEurope_Start = Country_EEC,
        Country_WesternEurope_End = Country_UK,
    };

    // Time zones by name: Local, or whole hours from UTC-12 to UTC+12, or
    // UTC+9:30.
    enum TZ : int {
        Local = 0,
        GMT_12 = 1,
        GMT_11,
        GMT_10,
        GMT_9,
        GMT_8,
        GMT_7,
        GMT_6,
        GMT_5,
        GMT_4,
        GMT_3,
        GMT_2,
        GMT_1,
        GMT0 = 13,
        GMT1,
        GMT2,
        GMT3,
        GMT4,
        GMT5,
        GMT6,
        GMT7,
        GMT8,
        GMT9,
        GMT10,
        GMT11,
        GMT12,
        A_CST = 26, // UTC+9:30
        UTC = GMT0,
    };

    // Which day starts a week: by country (Sunday for USA, else Monday),
    // Monday or Sunday.
    enum WeekFlags : int { Default_First = 0, Monday_First = 1, Sunday_First = 2 };
    enum NameFlags : int { Name_Full = 1, Name_Abbr = 2 };

    // A zone: its offset east of UTC in seconds.
    class LX_EXPORT TimeZone
    {
      public:
        // Local: the local standard offset (-timezone, daylight saving not
        // included), read when the object is made. Another TZ value outside
        // the enumeration is reported ("unknown time zone") and gives 0.
        TimeZone(TZ tz);
        // A fixed offset in seconds east of UTC (never the local zone, even
        // when the offsets agree).
        explicit TimeZone(int offsetSeconds) : m_offset(offsetSeconds), m_local(false) {}
        int GetOffset() const { return m_offset; }
        // Made from Local: readings then go through the runtime's local time
        // (with daylight saving) inside the standard range.
        bool IsLocal() const { return m_local; }

      private:
        int m_offset;
        bool m_local;
    };

    // The broken-down form of a date in some zone.
    struct LX_EXPORT Tm {
        uint16_t msec = 0, sec = 0, min = 0, hour = 0, mday = 0;
        Month mon = Inv_Month;
        int year = 0;
        int tzOffset = 0;                    // the zone it was taken in, seconds east
        mutable uint16_t wday = Inv_WeekDay; // computed by GetWeekDay when Inv_WeekDay
        uint16_t yday = 0;                   // day of the year, 1 = 1 January

        // All zero, Inv_Month, Inv_WeekDay.
        Tm() = default;
        // From the runtime's record (year + 1900, day of year + 1), ms 0.
        Tm(const struct tm& tm, const TimeZone& tz);

        // Year not Inv_Year, month not Inv_Month, 1 <= day <= the month's
        // length, hour < 24, minute < 60, second < 62, ms < 1000.
        bool IsValid() const;
        // The weekday, computed from the date on first use.
        WeekDay GetWeekDay() const;
        // Moves the date by whole months (the day kept; may then exceed the
        // month's length), time of day unchanged.
        void AddMonths(int64_t months);
        // Moves the date by days through day numbers; false (unchanged) when
        // the result has no day number.
        bool AddDays(int64_t days);
    };

    // ---- Construction and setting. Each Set returns the object.

    // The invalid date.
    constexpr CLxDateTime() : m_value(-1) {}
    // Seconds since 1970 (t * 1000).
    CLxDateTime(long seconds) : m_value(-1) { Set(seconds); }
    // The runtime's local conversion (mktime, daylight saving as it decides).
    CLxDateTime(const struct tm& tm) : m_value(-1) { Set(tm); }
    // A Julian day number (2451544.5 is 2000-01-01 00:00 UTC).
    CLxDateTime(double jdn) : m_value(-1) { Set(jdn); }
    // Today (local) at that time.
    CLxDateTime(uint16_t hour, uint16_t minute, uint16_t second = 0, uint16_t millisecond = 0)
        : m_value(-1)
    {
        Set(hour, minute, second, millisecond);
    }
    // That local date and time.
    CLxDateTime(uint16_t day, Month month, int year = Inv_Year, uint16_t hour = 0,
                uint16_t minute = 0, uint16_t second = 0, uint16_t millisecond = 0)
        : m_value(-1)
    {
        Set(day, month, year, hour, minute, second, millisecond);
    }
    // The Tm's components as local time.
    CLxDateTime(const Tm& tm) : m_value(-1) { Set(tm); }

    // The date holding exactly these milliseconds (-1: the invalid date).
    static constexpr CLxDateTime FromValue(int64_t milliseconds)
    {
        CLxDateTime dt;
        dt.m_value = milliseconds;
        return dt;
    }

    CLxDateTime& Set(long seconds);
    CLxDateTime& operator=(long seconds) { return Set(seconds); }
    // mktime of a copy; a result the runtime refuses reports "mktime()
    // failed" and leaves the object unchanged.
    CLxDateTime& Set(const struct tm& tm);
    // The value is (jdn - 2440587.5) * 86400000 to the nearest millisecond.
    CLxDateTime& Set(double jdn);
    // Today's local date at that time. Hour >= 24, minute >= 60, second >= 62
    // or millisecond >= 1000 report "Invalid time in CLxDateTime::Set()".
    CLxDateTime& Set(uint16_t hour, uint16_t minute, uint16_t second = 0, uint16_t millisecond = 0);
    // A local date and time: the same time check; Inv_Year and Inv_Month are
    // the current local ones; the day must be 1 ... the month's length (else
    // "Invalid date in CLxDateTime::Set()"); dates before 24 November -4713
    // and after what 64-bit milliseconds hold are refused ("date out of
    // range"). Nothing changes on failure.
    CLxDateTime& Set(uint16_t day, Month month, int year = Inv_Year, uint16_t hour = 0,
                     uint16_t minute = 0, uint16_t second = 0, uint16_t millisecond = 0);
    CLxDateTime& Set(const Tm& tm);
    // The raw milliseconds (-1: the invalid date).
    CLxDateTime& SetValue(int64_t milliseconds)
    {
        m_value = milliseconds;
        return *this;
    }

    // Now, to the millisecond.
    static CLxDateTime Now();
    static CLxDateTime UNow();
    CLxDateTime& SetToCurrent();
    // Today at 00:00 local.
    static CLxDateTime Today();
    // time(), and the runtime's local record of now.
    static time_t GetTimeNow();
    static struct tm GetTmNow();
    // The same local date at 00:00:00.000.
    CLxDateTime& ResetTime();

    // Replace one local component and set again (the checks of the seven-part
    // Set apply). An invalid date reports "invalid CLxDateTime" and stays.
    CLxDateTime& SetYear(int year);
    CLxDateTime& SetMonth(Month month);
    CLxDateTime& SetDay(uint16_t day);
    CLxDateTime& SetHour(uint16_t hour);
    CLxDateTime& SetMinute(uint16_t minute);
    CLxDateTime& SetSecond(uint16_t second);
    // Replaces the millisecond of the second (counted from the earlier whole
    // second, also before 1970).
    CLxDateTime& SetMillisecond(uint16_t millisecond);

    // ---- Reading.

    bool IsValid() const { return m_value != -1; }
    // The milliseconds (an invalid date is reported and gives -1).
    int64_t GetValue() const;
    // Whole seconds; -1 for the invalid date (reported), a negative value or
    // one whose seconds reach 0x7FFFFFFF.
    long GetTicks() const;
    // 0 <= seconds < 0x7FFFFFFF, the range where the runtime's local time is
    // used.
    bool IsInStdRange() const;

    // The broken-down date in tz; Tm() (reported) for the invalid date.
    Tm GetTm(const TimeZone& tz = Local) const;
    int GetYear(const TimeZone& tz = Local) const { return GetTm(tz).year; }
    Month GetMonth(const TimeZone& tz = Local) const { return GetTm(tz).mon; }
    uint16_t GetDay(const TimeZone& tz = Local) const { return GetTm(tz).mday; }
    uint16_t GetHour(const TimeZone& tz = Local) const { return GetTm(tz).hour; }
    uint16_t GetMinute(const TimeZone& tz = Local) const { return GetTm(tz).min; }
    uint16_t GetSecond(const TimeZone& tz = Local) const { return GetTm(tz).sec; }
    uint16_t GetMillisecond(const TimeZone& tz = Local) const { return GetTm(tz).msec; }
    WeekDay GetWeekDay(const TimeZone& tz = Local) const { return GetTm(tz).GetWeekDay(); }
    // Fills the runtime's record (year - 1900, tm_isdst -1, tm_yday 0-based).
    void FillTmStruct(struct tm* out, const TimeZone& tz = Local) const;

    // Julian day number of the instant (UTC), 2451544.5 at 2000-01-01 00:00.
    double GetJulianDayNumber() const;
    double GetJDN() const { return GetJulianDayNumber(); }
    // JDN - 2400000.5.
    double GetModifiedJulianDayNumber() const;
    double GetMJD() const { return GetModifiedJulianDayNumber(); }
    // Rata Die: JDN - 1721119.5 - 306.0, 0.0 at 0001-01-01 00:00 UTC.
    double GetRataDie() const;

    // 1 = 1 January.
    uint16_t GetDayOfYear(const TimeZone& tz = Local) const;
    // Week of the year: Monday first (flag 1) (yday - (wday + 6) % 7 + 7) / 7,
    // Sunday first (flag 2) (yday - wday + 7) / 7, plus 1 when 1 January falls
    // on a Wednesday or Thursday. Flag 0 chooses by GetCountry.
    int GetWeekOfYear(WeekFlags flags = Monday_First, const TimeZone& tz = Local) const;
    // Week of year of the date - that of the 1st of its month + 1.
    int GetWeekOfMonth(WeekFlags flags = Monday_First, const TimeZone& tz = Local) const;

    // ---- Comparison. Both dates must be valid: otherwise "invalid
    // CLxDateTime" is reported and the answer is false.

    bool IsEqualTo(const CLxDateTime& dt) const;
    bool IsEarlierThan(const CLxDateTime& dt) const;
    bool IsLaterThan(const CLxDateTime& dt) const;
    // t1 < this < t2.
    bool IsStrictlyBetween(const CLxDateTime& t1, const CLxDateTime& t2) const;
    // t1 <= this <= t2.
    bool IsBetween(const CLxDateTime& t1, const CLxDateTime& t2) const;
    // Within span of dt, both ends included.
    bool IsEqualUpTo(const CLxDateTime& dt, const CLxTimeSpan& span) const;
    // Less than 86,400,000 ms apart, whatever their calendar days.
    bool IsSameDate(const CLxDateTime& dt) const;
    // Equal local hour, minute, second and millisecond.
    bool IsSameTime(const CLxDateTime& dt) const;

    // ---- Arithmetic. An invalid date is reported and stays unchanged; a
    // result beyond 64-bit milliseconds is reported and not taken.

    CLxDateTime& Add(const CLxTimeSpan& span);
    CLxDateTime& Subtract(const CLxTimeSpan& span) { return Add(span.Negate()); }
    CLxDateTime& operator+=(const CLxTimeSpan& span) { return Add(span); }
    CLxDateTime& operator-=(const CLxTimeSpan& span) { return Subtract(span); }
    // this - dt; a null span (reported) when either is invalid.
    CLxTimeSpan Subtract(const CLxDateTime& dt) const;
    // Local calendar arithmetic: years and months first (the day clamped to
    // the new month's length: 31 January + 1 month = 28/29 February), then
    // weeks and days; the local time of day stays.
    CLxDateTime& Add(const CLxDateSpan& span);
    CLxDateTime& Subtract(const CLxDateSpan& span) { return Add(span.Negate()); }
    CLxDateTime& operator+=(const CLxDateSpan& span) { return Add(span); }
    CLxDateTime& operator-=(const CLxDateSpan& span) { return Subtract(span); }

    // ---- Zones. MakeTimezone takes the local reading of this value as a
    // reading in tz: value -= (timezone + offset of tz) seconds, and one hour
    // less when noDST is false and local daylight saving is in force (inside
    // the standard range, where local readings include it).

    CLxDateTime& MakeTimezone(const TimeZone& tz, bool noDST = false);
    CLxDateTime ToTimezone(const TimeZone& tz, bool noDST = false) const;
    CLxDateTime& MakeGMT(bool noDST = false) { return MakeTimezone(UTC, noDST); }
    CLxDateTime ToGMT(bool noDST = false) const { return ToTimezone(UTC, noDST); }

    // ---- Calendar helpers.

    // Gregorian: divisible by 4 and (not by 100 or by 400); Julian: by 4.
    // Another calendar is reported ("unknown calendar") and gives false.
    static bool IsLeapYear(int year = Inv_Year, Calendar cal = Gregorian);
    // year / 100 for year > 0, else year / 100 - 1.
    static int GetCentury(int year);
    // year - 1 for year < 1 (1 BC is year 0).
    static int ConvertYearToBC(int year);
    // Gregorian only; another calendar reports "unsupported calendar" and
    // gives Inv_Year / Inv_Month.
    static int GetCurrentYear(Calendar cal = Gregorian);
    static Month GetCurrentMonth(Calendar cal = Gregorian);
    // 365 or 366 (Gregorian rule).
    static uint16_t GetNumberOfDays(int year, Calendar cal = Gregorian);
    // Days of the month (Gregorian rule); 0 for another calendar
    // ("unsupported calendar") or a month >= 12 ("invalid month").
    static uint16_t GetNumberOfDays(Month month, int year = Inv_Year, Calendar cal = Gregorian);
    // Day number of a date: the Julian day at 00:00 of it minus 0.5
    // (2451544 for 1 January 2000). Before 24 November -4713 it reports
    // "date out of range - can't convert to JDN" and gives 0.
    static int64_t DateToJDN(int day, Month month, int year);
    // The date of a day number; false for a day number below -1.
    static bool JDNToDate(int64_t jdn, uint16_t& day, Month& month, int& year);
    // Names in the process locale (strftime %B/%b, %A/%a); an empty text
    // for Inv_Month / Inv_WeekDay ("invalid month", "invalid weekday").
    static CLxStringW GetMonthName(Month month, NameFlags flags = Name_Full);
    static CLxStringW GetWeekDayName(WeekDay wday, NameFlags flags = Name_Full);
    // strftime %p at hour 0 and at hour 13; either pointer may be null.
    static void GetAmPmStrings(CLxStringW* am, CLxStringW* pm);

    // ---- Navigation. Set... changes this date, Get... returns a changed
    // copy. An Inv_WeekDay argument reports "invalid weekday" and changes
    // nothing.

    // Within the Sunday-to-Saturday week.
    CLxDateTime& SetToWeekDayInSameWeek(WeekDay wd);
    CLxDateTime GetWeekDayInSameWeek(WeekDay wd) const;
    // The next or previous such weekday, this one when it is one already.
    CLxDateTime& SetToNextWeekDay(WeekDay wd);
    CLxDateTime GetNextWeekDay(WeekDay wd) const;
    CLxDateTime& SetToPrevWeekDay(WeekDay wd);
    CLxDateTime GetPrevWeekDay(WeekDay wd) const;
    // The n-th such weekday of the month at 00:00 local (n >= 1 from the
    // start, n <= 0 from the end, -1 the last). False, unchanged, when the
    // month has no such day.
    bool SetToWeekDay(WeekDay wd, int n = 1, Month month = Inv_Month, int year = Inv_Year);
    CLxDateTime GetWeekDay(WeekDay wd, int n = 1, Month month = Inv_Month,
                           int year = Inv_Year) const;
    bool SetToLastWeekDay(WeekDay wd, Month month = Inv_Month, int year = Inv_Year);
    CLxDateTime GetLastWeekDay(WeekDay wd, Month month = Inv_Month, int year = Inv_Year) const;
    // The month's last day at 00:00 local.
    CLxDateTime& SetToLastMonthDay(Month month = Inv_Month, int year = Inv_Year);
    CLxDateTime GetLastMonthDay(Month month = Inv_Month, int year = Inv_Year) const;
    // Weekday wd of week numWeek of this local year, 00:00 local, in the
    // Monday-first numbering of GetWeekOfYear (week 1 holds 4 January).
    // False, unchanged, when that day lies in another year.
    bool SetToTheWeek(uint16_t numWeek, WeekDay wd = Mon);
    CLxDateTime GetWeek(uint16_t numWeek, WeekDay wd = Mon) const;
    // Day yday (1 ... the year's length) of this local year at 00:00 local;
    // another day reports "invalid year day".
    CLxDateTime& SetToYearDay(uint16_t yday);
    CLxDateTime GetYearDay(uint16_t yday) const;

    // ---- Daylight saving.

    static Country GetCountry();
    // Country_Unknown makes GetCountry decide again.
    static void SetCountry(Country country);
    // EEC ... UK (Country_Default: GetCountry()).
    static bool IsWestEuropeanCountry(Country country = Country_Default);
    // USA and UK: from 1966, 1942-1945, 1918, 1919; others: after 1950.
    static bool IsDSTApplicable(int year = Inv_Year, Country country = Country_Default);
    // Start and end of daylight saving; the invalid date when it does not
    // apply. West European group and Russia: the last Sunday of March /
    // October at 01:00 UTC. USA: from 1986 the first Sunday of April, before
    // the last one, to the last Sunday of October, 02:00 local (war-time
    // years whole years). Others: 30 March and 26 October, 00:00 local.
    static CLxDateTime GetBeginDST(int year = Inv_Year, Country country = Country_Default);
    static CLxDateTime GetEndDST(int year = Inv_Year, Country country = Country_Default);
    // 1 in daylight saving, 0 not, -1 unknown. Inside the standard range the
    // runtime's local flag; outside the rules above, begin included, end
    // excluded. Only Country_Default is served (else "country support not
    // implemented", -1).
    int IsDST(Country country = Country_Default) const;

    // ---- Variant form: a record "RLxDateTime" with the member "time"
    // ("lx_int64").

    // 0, or the error of turning v into the record.
    int SaveToVariant(CLxVariant& v) const;
    // -4 when v is not an "RLxDateTime" record; else 0.
    int LoadFromVariant(const CLxVariant& v);

    // ---- Text.

    // Directives: a A weekday name (abbreviated, full), b B month name, c x X
    // the locale's date and time, date, time, d day, H hour 00-23, I hour
    // 01-12, j day of year (3 digits), l millisecond (3 digits), m month, M
    // minute, p AM/PM, S second, U W week of year (Sunday / Monday first), w
    // weekday 0-6, y year of the century, Y year (4 digits), Z zone name, %%
    // a percent sign. A run of '-', '+', ' ' and digits after '%' is the
    // printf flags and width of the number ("%5Y": " 1850").
    // Inside the standard range and without %l the runtime's strftime
    // formats the whole text (its own directives then work too); otherwise
    // the library does, with names, c x X p Z from the runtime's locale and
    // the real year. An unknown directive is reported ("unknown format
    // specificator") and its letter copied. A null format ("NULL format in
    // CLxDateTime::Format") or an invalid date is reported: empty text.
    CLxStringW Format(const char16_t* format = u"%c", const TimeZone& tz = Local) const;
    CLxStringW FormatDate(const TimeZone& tz = Local) const { return Format(u"%x", tz); }
    CLxStringW FormatTime(const TimeZone& tz = Local) const { return Format(u"%X", tz); }
    CLxStringW FormatISODate(const TimeZone& tz = Local) const { return Format(u"%Y-%m-%d", tz); }
    CLxStringW FormatISOTime(const TimeZone& tz = Local) const { return Format(u"%H:%M:%S", tz); }
    // The locale's short date and time (LX_FormatLocaleDateTime), joined by
    // two spaces; only the time on 1 January 9999, only the date at 00:00:00.
    CLxStringW FormatDateTime(const TimeZone& tz = Local) const;

    // Parsers: each returns the position just after what it read, or null
    // when the text does not fit; the object changes only on success. A
    // null text is reported ("NULL pointer in CLxDateTime::Parse").

    // By directives, after '%' and an optional width (the most digits a
    // number may take):
    //   a A weekday name, abbreviated only / full only (read, not used)
    //   b B month name, abbreviated only / full only
    //   c   "%a %b %d %H:%M:%S %Y", else "%x %X", else "%X %x"
    //   d day 1-31   H hour 0-23   I hour 1-12   j day of year 1-366
    //   m month 1-12   M minute 0-59   S second 0-61   w weekday 0-6
    //   p   the locale's AM/PM mark (PM adds 12 to an %I hour)
    //   R "%H:%M"   r "%I:%M:%S %p"   T "%H:%M:%S"   X "%T", else "%r"
    //   x   "%m/%d/%y" and "%d/%m/%y", day first for the west European
    //       group and Russia (GetCountry), month first otherwise
    //   y   0-30 are 2000-2030, 31-99 1931-1999   Y any year   %% percent
    // White space in the format skips any white space of the text (also
    // none); any other character must match. Names ignore case. Fields the
    // format does not give come from dateDef's local reading when it is
    // valid, else from today at 00:00:00.000. A day beyond its month ("bad
    // month day in CLxDateTime::ParseFormat"), a day of year beyond its year
    // ("bad year day ...") and a format ending in '%' ("unexpected format
    // end") are reported.
    const char16_t* ParseFormat(const char16_t* date, const char16_t* format = u"%c",
                                const CLxDateTime& dateDef = CLxDateTime());
    // "[Wdy, ]d Mon yy[yy] hh:mm[:ss] zone" (month names in English, case as
    // written), zone "+hhmm"/"-hhmm", UT UTC GMT AST ADT EST EDT CST CDT MST
    // MDT PST PDT, or a military letter (J is refused). Two-digit years
    // 00-49 are 2000-2049, 50-99 1950-1999. The zone fixes the instant.
    const char16_t* ParseRfc822Date(const char16_t* date);
    // Free-form dates: "today", "yesterday", "tomorrow" (translated), or
    // tokens between . , / - tab, line feed and space: numbers (a month when
    // 1-12 and no month is known, else a day when it fits the month, else
    // the year), month and weekday names, "first" ... "twentieth". A day is
    // needed, or a weekday alone (this week's). "1 Feb 2005", "2005-02-01",
    // "01/02/2005" (2 January), "Tue, 1 Feb 2005", "Friday".
    const char16_t* ParseDate(const char16_t* date);
    // "noon", "midnight" (translated) or the longest fit of %X, %H:%M:%S,
    // %I:%M:%S %p, %H:%M, %I:%M %p, %H, %I %p; today's date.
    const char16_t* ParseTime(const char16_t* time);
    // By the locale's date or time format (LX_GetLocaleDateTimeFormat), the
    // time also without its seconds.
    const char16_t* ParseLocaleDate(const char16_t* date);
    const char16_t* ParseLocaleTime(const char16_t* time);
    // A locale date, then after white space a locale time of that date when
    // one follows; or a locale time of today.
    const char16_t* ParseDateTime(const char16_t* datetime);

  private:
    // Moves by calendar days, keeping the local time of day.
    CLxDateTime& AddDays(int64_t days);
    bool ReportIfInvalid() const;

    int64_t m_value;
};

// The invalid date, -1.
LX_EXPORT extern const CLxDateTime g_DefaultDateTime;

inline CLxDateTime operator+(CLxDateTime dt, const CLxTimeSpan& span)
{
    return dt.Add(span);
}
inline CLxDateTime operator-(CLxDateTime dt, const CLxTimeSpan& span)
{
    return dt.Subtract(span);
}
inline CLxTimeSpan operator-(const CLxDateTime& a, const CLxDateTime& b)
{
    return a.Subtract(b);
}
inline CLxDateTime operator+(CLxDateTime dt, const CLxDateSpan& span)
{
    return dt.Add(span);
}
inline CLxDateTime operator-(CLxDateTime dt, const CLxDateSpan& span)
{
    return dt.Subtract(span);
}

// Step to the next or previous month or weekday, wrapping around; an
// argument that is already Inv_Month / Inv_WeekDay reports "invalid month" /
// "invalid week day" and stays.
LX_EXPORT void lxNextMonth(CLxDateTime::Month& m);
LX_EXPORT void lxPrevMonth(CLxDateTime::Month& m);
LX_EXPORT void lxNextWDay(CLxDateTime::WeekDay& wd);
LX_EXPORT void lxPrevWDay(CLxDateTime::WeekDay& wd);
