// CLxDateTime: construction, setting, reading, comparison, arithmetic and
// the variant form.
#include "gnr_system/time/LxDateTime.h"

#include <cmath>
#include <sys/time.h>

#include "gnr_system/time/LxDateTimeInternal.h"
#include "gnr_system/variant/LxVariant.h"

using namespace lx_time;

const CLxDateTime g_DefaultDateTime;

namespace
{
const CLxVariantRunType& DateTimeRunType()
{
    static const CLxVariantRunType runType("RLxDateTime");
    return runType;
}

// The record run type "RLxDateTime": one member "time", "lx_int64", 0.
struct SDateTimeRecordRegistration {
    SDateTimeRecordRegistration()
    {
        const CLxVariant time(int64_t(0), u"time");
        CLxVariant::RegisterRunType(CLxVariant::CreateStruct(u"RLxDateTime", &time));
    }
};
const SDateTimeRecordRegistration s_dateTimeRecord;

bool ValidTime(int hour, int minute, int second, int millisecond)
{
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 62 &&
           millisecond >= 0 && millisecond < 1000;
}
} // namespace

// ---- Components to value

SetFault lx_time::LocalToValue(int day, CLxDateTime::Month month, int year, int hour, int minute,
                               int second, int millisecond, int64_t& value)
{
    if (!ValidTime(hour, minute, second, millisecond))
        return SetFault::Time;
    if (year == CLxDateTime::Inv_Year)
        year = CLxDateTime::GetCurrentYear();
    if (month == CLxDateTime::Inv_Month)
        month = CLxDateTime::GetCurrentMonth();
    if (unsigned(month) >= 12 || day < 1 ||
        day > kDaysInMonth[CLxDateTime::IsLeapYear(year) ? 1 : 0][month])
        return SetFault::Date;
    // The runtime's local time decides wherever the instant lies in the
    // standard range, as it does for readings (GetTm), so that a reading set
    // again gives the same instant also in the range's first and last days.
    if (year >= 1969 && year <= 2038) {
        struct tm t = {};
        t.tm_mday = day;
        t.tm_mon = month;
        t.tm_year = year - 1900;
        t.tm_hour = hour;
        t.tm_min = minute;
        t.tm_sec = second;
        t.tm_isdst = -1;
        time_t seconds = 0;
        if (MakeTime(t, seconds) && seconds >= 0 && seconds < kStdRangeEnd) {
            value = int64_t(seconds) * 1000 + millisecond;
            return SetFault::None;
        }
    }
    // Local standard time: UTC = local + timezone (seconds west). A date
    // before 24 November -4713 has no day number: DateToJDN reports it and
    // counts it as day 0.
    const int64_t msOfDay =
        ((int64_t(hour) * 60 + minute) * 60 + second + StdOffsetWest()) * 1000 + millisecond;
    return UtcToValue(CLxDateTime::DateToJDN(day, month, year), msOfDay, value) ? SetFault::None
                                                                                : SetFault::Range;
}

void lx_time::ReportSetFault(SetFault fault)
{
    switch (fault) {
    case SetFault::None:
        break;
    case SetFault::Time:
        LX_TIME_REPORT("hour < 24 && second < 62 && minute < 60 && millisec < 1000",
                       "Invalid time in CLxDateTime::Set()");
        break;
    case SetFault::Date:
        LX_TIME_REPORT("day > 0 && day <= GetNumberOfDays(month, year)",
                       "Invalid date in CLxDateTime::Set()");
        break;
    case SetFault::Range:
        LX_TIME_REPORT("date within range", "date out of range");
        break;
    case SetFault::Runtime:
        LX_TIME_REPORT("mktime() != -1", "mktime() failed");
        break;
    }
}

// ---- Zones

CLxDateTime::TimeZone::TimeZone(TZ tz) : m_offset(0), m_local(false)
{
    if (tz == Local) {
        m_offset = int(-StdOffsetWest());
        m_local = true;
    } else if (tz >= GMT_12 && tz <= GMT12) {
        m_offset = (int(tz) - GMT0) * 3600;
    } else if (tz == A_CST) {
        m_offset = 34200;
    } else {
        LX_TIME_REPORT("tz is a known zone", "unknown time zone");
    }
}

// ---- Setting

bool CLxDateTime::ReportIfInvalid() const
{
    if (IsValid())
        return false;
    LX_TIME_REPORT("IsValid()", "invalid CLxDateTime");
    return true;
}

CLxDateTime& CLxDateTime::Set(long seconds)
{
    int64_t value = 0;
    if (__builtin_mul_overflow(int64_t(seconds), int64_t(1000), &value))
        ReportSetFault(SetFault::Range);
    else
        m_value = value;
    return *this;
}

CLxDateTime& CLxDateTime::Set(const struct tm& tm)
{
    time_t seconds = 0;
    int64_t value = 0;
    if (!MakeTime(tm, seconds))
        ReportSetFault(SetFault::Runtime);
    else if (__builtin_mul_overflow(int64_t(seconds), int64_t(1000), &value))
        ReportSetFault(SetFault::Range);
    else
        m_value = value;
    return *this;
}

CLxDateTime& CLxDateTime::Set(double jdn)
{
    // To the nearest millisecond: truncation would make every date before
    // 1970 a millisecond late.
    const double ms = std::floor((jdn - 2440587.5) * 86400000.0 + 0.5);
    // A double outside the 64-bit range (or NaN) has no conversion.
    if (!(ms > -9.2e18 && ms < 9.2e18))
        ReportSetFault(SetFault::Range);
    else
        m_value = int64_t(ms);
    return *this;
}

CLxDateTime& CLxDateTime::Set(uint16_t hour, uint16_t minute, uint16_t second, uint16_t millisecond)
{
    if (!ValidTime(hour, minute, second, millisecond)) {
        ReportSetFault(SetFault::Time);
        return *this;
    }
    const struct tm now = GetTmNow();
    return Set(uint16_t(now.tm_mday), Month(now.tm_mon), now.tm_year + 1900, hour, minute, second,
               millisecond);
}

CLxDateTime& CLxDateTime::Set(uint16_t day, Month month, int year, uint16_t hour, uint16_t minute,
                              uint16_t second, uint16_t millisecond)
{
    int64_t value = 0;
    const SetFault fault = LocalToValue(day, month, year, hour, minute, second, millisecond, value);
    if (fault != SetFault::None)
        ReportSetFault(fault);
    else
        m_value = value;
    return *this;
}

CLxDateTime& CLxDateTime::Set(const Tm& tm)
{
    return Set(tm.mday, tm.mon, tm.year, tm.hour, tm.min, tm.sec, tm.msec);
}

CLxDateTime CLxDateTime::Now()
{
    return FromValue(int64_t(time(nullptr)) * 1000);
}

CLxDateTime CLxDateTime::UNow()
{
    struct timeval tv = {};
    gettimeofday(&tv, nullptr);
    return FromValue(int64_t(tv.tv_sec) * 1000 + tv.tv_usec / 1000);
}

CLxDateTime& CLxDateTime::SetToCurrent()
{
    return *this = Now();
}

CLxDateTime CLxDateTime::Today()
{
    const struct tm now = GetTmNow();
    return CLxDateTime(uint16_t(now.tm_mday), Month(now.tm_mon), now.tm_year + 1900);
}

time_t CLxDateTime::GetTimeNow()
{
    return time(nullptr);
}

struct tm CLxDateTime::GetTmNow()
{
    struct tm now = {};
    LocalTm(time(nullptr), now);
    return now;
}

CLxDateTime& CLxDateTime::ResetTime()
{
    const Tm tm = GetTm();
    if (tm.hour != 0 || tm.min != 0 || tm.sec != 0 || tm.msec != 0)
        Set(tm.mday, tm.mon, tm.year);
    return *this;
}

namespace
{
// Replaces one component of the local reading and sets the date again.
template <class Change> CLxDateTime& ChangeLocal(CLxDateTime& dt, Change change)
{
    if (!dt.IsValid()) {
        LX_TIME_REPORT("IsValid()", "invalid CLxDateTime");
        return dt;
    }
    CLxDateTime::Tm tm = dt.GetTm();
    change(tm);
    return dt.Set(tm);
}
} // namespace

CLxDateTime& CLxDateTime::SetYear(int year)
{
    return ChangeLocal(*this, [year](Tm& tm) { tm.year = year; });
}

CLxDateTime& CLxDateTime::SetMonth(Month month)
{
    return ChangeLocal(*this, [month](Tm& tm) { tm.mon = month; });
}

CLxDateTime& CLxDateTime::SetDay(uint16_t day)
{
    return ChangeLocal(*this, [day](Tm& tm) { tm.mday = day; });
}

CLxDateTime& CLxDateTime::SetHour(uint16_t hour)
{
    return ChangeLocal(*this, [hour](Tm& tm) { tm.hour = hour; });
}

CLxDateTime& CLxDateTime::SetMinute(uint16_t minute)
{
    return ChangeLocal(*this, [minute](Tm& tm) { tm.min = minute; });
}

CLxDateTime& CLxDateTime::SetSecond(uint16_t second)
{
    return ChangeLocal(*this, [second](Tm& tm) { tm.sec = second; });
}

CLxDateTime& CLxDateTime::SetMillisecond(uint16_t millisecond)
{
    if (ReportIfInvalid())
        return *this;
    if (millisecond >= 1000) {
        ReportSetFault(SetFault::Time);
        return *this;
    }
    // Floor, so that a date before 1970 keeps its second.
    m_value = m_value - FloorMod(m_value, 1000) + millisecond;
    return *this;
}

// ---- Reading

int64_t CLxDateTime::GetValue() const
{
    ReportIfInvalid();
    return m_value;
}

long CLxDateTime::GetTicks() const
{
    if (ReportIfInvalid() || !IsInStdRange())
        return -1;
    return long(m_value / 1000);
}

bool CLxDateTime::IsInStdRange() const
{
    const int64_t seconds = FloorDiv(m_value, 1000);
    return IsValid() && seconds >= 0 && seconds < kStdRangeEnd;
}

CLxDateTime::Tm CLxDateTime::GetTm(const TimeZone& tz) const
{
    if (ReportIfInvalid())
        return Tm();
    const int64_t seconds = FloorDiv(m_value, 1000);
    const uint16_t msec = uint16_t(FloorMod(m_value, 1000));
    if (seconds >= 0 && seconds < kStdRangeEnd) {
        struct tm t = {};
        if (tz.IsLocal()) {
            if (!LocalTm(time_t(seconds), t)) {
                LX_TIME_REPORT("localtime() != NULL", "localtime() failed");
                return Tm();
            }
            Tm tm(t, tz);
            tm.msec = msec;
            return tm;
        }
        const int64_t shifted = seconds + tz.GetOffset();
        if (shifted >= 0) {
            if (!UtcTm(time_t(shifted), t)) {
                LX_TIME_REPORT("gmtime() != NULL", "gmtime() failed");
                return Tm();
            }
            Tm tm(t, tz);
            tm.msec = msec;
            return tm;
        }
    }
    // The library's own road: whole days since 1970 in the zone's offset.
    int64_t v = 0;
    Tm tm;
    if (__builtin_add_overflow(m_value, int64_t(tz.GetOffset()) * 1000, &v) ||
        !JDNToDate(FloorDiv(v, kMsPerDay) + kJdnOf1970, tm.mday, tm.mon, tm.year)) {
        LX_TIME_REPORT("jdn > -2", "JDN out of range");
        return Tm();
    }
    const int64_t ms = FloorMod(v, kMsPerDay);
    tm.msec = uint16_t(ms % 1000);
    tm.sec = uint16_t(ms / 1000 % 60);
    tm.min = uint16_t(ms / 60000 % 60);
    tm.hour = uint16_t(ms / 3600000);
    tm.tzOffset = tz.GetOffset();
    tm.yday = uint16_t(kDaysBeforeMonth[IsLeapYear(tm.year) ? 1 : 0][tm.mon] + tm.mday);
    return tm;
}

void CLxDateTime::FillTmStruct(struct tm* out, const TimeZone& tz) const
{
    if (!out) {
        LX_TIME_REPORT("out != NULL", "NULL pointer in CLxDateTime::FillTmStruct");
        return;
    }
    const Tm tm = GetTm(tz);
    *out = TmForRuntime(tm, tz, false);
    out->tm_isdst = -1;
}

double CLxDateTime::GetJulianDayNumber() const
{
    if (ReportIfInvalid())
        return 0;
    const int64_t day = FloorDiv(m_value, kMsPerDay) + kJdnOf1970;
    return double(day) + 0.5 + double(FloorMod(m_value, kMsPerDay)) * 1.1574074074074074e-8;
}

double CLxDateTime::GetModifiedJulianDayNumber() const
{
    return GetJulianDayNumber() - 2400000.5;
}

double CLxDateTime::GetRataDie() const
{
    return GetJulianDayNumber() - 1721119.5 - 306.0;
}

uint16_t CLxDateTime::GetDayOfYear(const TimeZone& tz) const
{
    const Tm tm = GetTm(tz);
    if (unsigned(tm.mon) >= 12)
        return 0;
    return uint16_t(kDaysBeforeMonth[IsLeapYear(tm.year) ? 1 : 0][tm.mon] + tm.mday);
}

int CLxDateTime::GetWeekOfYear(WeekFlags flags, const TimeZone& tz) const
{
    const Tm tm = GetTm(tz);
    return unsigned(tm.mon) < 12 ? WeekOfYear(tm, flags) : 0;
}

int CLxDateTime::GetWeekOfMonth(WeekFlags flags, const TimeZone& tz) const
{
    const Tm tm = GetTm(tz);
    if (unsigned(tm.mon) >= 12)
        return 0;
    Tm first = tm;
    first.mday = 1;
    first.wday = Inv_WeekDay;
    int week = WeekOfYear(tm, flags) - WeekOfYear(first, flags) + 1;
    if (week < 0)
        week += IsLeapYear(tm.year - 1) ? 53 : 52;
    return week;
}

// ---- Comparison

bool CLxDateTime::IsEqualTo(const CLxDateTime& dt) const
{
    return !ReportIfInvalid() && !dt.ReportIfInvalid() && m_value == dt.m_value;
}

bool CLxDateTime::IsEarlierThan(const CLxDateTime& dt) const
{
    return !ReportIfInvalid() && !dt.ReportIfInvalid() && m_value < dt.m_value;
}

bool CLxDateTime::IsLaterThan(const CLxDateTime& dt) const
{
    return !ReportIfInvalid() && !dt.ReportIfInvalid() && m_value > dt.m_value;
}

bool CLxDateTime::IsStrictlyBetween(const CLxDateTime& t1, const CLxDateTime& t2) const
{
    return IsLaterThan(t1) && IsEarlierThan(t2);
}

bool CLxDateTime::IsBetween(const CLxDateTime& t1, const CLxDateTime& t2) const
{
    return IsEqualTo(t1) || IsEqualTo(t2) || IsStrictlyBetween(t1, t2);
}

bool CLxDateTime::IsEqualUpTo(const CLxDateTime& dt, const CLxTimeSpan& span) const
{
    if (ReportIfInvalid() || dt.ReportIfInvalid())
        return false;
    // In 128 bits: neither the difference nor |span| can overflow.
    const __int128 diff = __int128(m_value) - dt.m_value;
    const __int128 limit = span.GetValue() < 0 ? -__int128(span.GetValue()) : span.GetValue();
    return diff <= limit && -diff <= limit;
}

bool CLxDateTime::IsSameDate(const CLxDateTime& dt) const
{
    if (ReportIfInvalid() || dt.ReportIfInvalid())
        return false;
    // Less than a day apart, whatever the calendar days (23:00 and 01:00
    // the next day count as the same date). In 128 bits: no overflow.
    const __int128 diff = __int128(m_value) - dt.m_value;
    return diff < kMsPerDay && -diff < kMsPerDay;
}

bool CLxDateTime::IsSameTime(const CLxDateTime& dt) const
{
    if (ReportIfInvalid() || dt.ReportIfInvalid())
        return false;
    const Tm a = GetTm(), b = dt.GetTm();
    return a.hour == b.hour && a.min == b.min && a.sec == b.sec && a.msec == b.msec;
}

// ---- Arithmetic

CLxDateTime& CLxDateTime::Add(const CLxTimeSpan& span)
{
    if (ReportIfInvalid())
        return *this;
    int64_t value = 0;
    if (__builtin_add_overflow(m_value, span.GetValue(), &value))
        ReportSetFault(SetFault::Range);
    else
        m_value = value;
    return *this;
}

CLxTimeSpan CLxDateTime::Subtract(const CLxDateTime& dt) const
{
    if (ReportIfInvalid() || dt.ReportIfInvalid())
        return CLxTimeSpan();
    const __int128 diff = __int128(m_value) - dt.m_value;
    const __int128 top = INT64_MAX, bottom = INT64_MIN;
    return CLxTimeSpan::Milliseconds(int64_t(diff > top ? top : diff < bottom ? bottom : diff));
}

CLxDateTime& CLxDateTime::Add(const CLxDateSpan& span)
{
    if (ReportIfInvalid())
        return *this;
    Tm tm = GetTm();
    const int64_t year = int64_t(tm.year) + span.GetYears();
    if (year <= INT_MIN || year > INT_MAX) {
        ReportSetFault(SetFault::Range);
        return *this;
    }
    tm.year = int(year);
    tm.AddMonths(span.GetMonths());
    const uint16_t length = kDaysInMonth[IsLeapYear(tm.year) ? 1 : 0][tm.mon];
    if (tm.mday > length)
        tm.mday = length;
    if (!tm.AddDays(span.GetTotalDays())) {
        ReportSetFault(SetFault::Range);
        return *this;
    }
    int64_t value = 0;
    const SetFault fault =
        LocalToValue(tm.mday, tm.mon, tm.year, tm.hour, tm.min, tm.sec, tm.msec, value);
    if (fault != SetFault::None) {
        ReportSetFault(fault);
        return *this;
    }
    m_value = value;
    // A local time of day that does not exist on the new date (a daylight-
    // saving gap) comes out shifted.
    const Tm now = GetTm();
    if (now.hour != tm.hour || now.min != tm.min || now.sec != tm.sec)
        LX_TIME_REPORT("time of day unchanged", "Add(CLxTimeSpan) shouldn't modify time");
    return *this;
}

CLxDateTime& CLxDateTime::AddDays(int64_t days)
{
    if (days > INT_MAX || days < -INT_MAX) {
        ReportSetFault(SetFault::Range);
        return *this;
    }
    return Add(CLxDateSpan::Days(int(days)));
}

// ---- Variant form

int CLxDateTime::SaveToVariant(CLxVariant& v) const
{
    const bool enabled = v.EnableTypeChange(true);
    const int status = v.SetRunType(DateTimeRunType());
    v.EnableTypeChange(enabled);
    if (status != 0)
        return status;
    v[u"time"] = m_value;
    return 0;
}

int CLxDateTime::LoadFromVariant(const CLxVariant& v)
{
    if (v.GetRunType() != DateTimeRunType())
        return -4;
    m_value = v[u"time"].GetLx_int64();
    return 0;
}
