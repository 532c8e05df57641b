// Zones and daylight saving: moving readings between zones, the country
// whose rules apply, and the rules themselves.
#include <atomic>
#include <cstring>

#include "gnr_system/time/LxDateTimeInternal.h"

using namespace lx_time;

namespace
{
// Country_Unknown until GetCountry has looked at the zone name.
std::atomic<int> s_country{CLxDateTime::Country_Unknown};

CLxDateTime::Country Resolve(CLxDateTime::Country country)
{
    return country == CLxDateTime::Country_Default ? CLxDateTime::GetCountry() : country;
}

bool UsesWestEuropeanRule(CLxDateTime::Country country)
{
    return CLxDateTime::IsWestEuropeanCountry(country) || country == CLxDateTime::Country_Russia;
}

int WeekDayOf(int day, CLxDateTime::Month month, int year)
{
    return int(FloorMod(CLxDateTime::DateToJDN(day, month, year) + 2, 7));
}

// The last Sunday of the month at 01:00 UTC: the west European switch, the
// same instant in every zone that follows it.
CLxDateTime LastSundayAt0100Utc(CLxDateTime::Month month, int year)
{
    const int last = CLxDateTime::GetNumberOfDays(month, year);
    const int day = last - WeekDayOf(last, month, year);
    int64_t value = 0;
    if (!UtcToValue(CLxDateTime::DateToJDN(day, month, year), 3600000, value))
        return CLxDateTime();
    return CLxDateTime::FromValue(value);
}

// A local date at 00:00 plus some hours; the invalid date when it has none.
CLxDateTime LocalMidnightPlus(int day, CLxDateTime::Month month, int year, int hours)
{
    int64_t value = 0;
    if (LocalToValue(day, month, year, 0, 0, 0, 0, value) != SetFault::None)
        return CLxDateTime();
    return CLxDateTime::FromValue(value) + CLxTimeSpan::Hours(hours);
}

// The n-th (or from the end, -1 the last) Sunday of a month, 00:00 local
// plus some hours.
CLxDateTime SundayPlus(int n, CLxDateTime::Month month, int year, int hours)
{
    CLxDateTime dt;
    if (!dt.SetToWeekDay(CLxDateTime::Sun, n, month, year))
        return CLxDateTime();
    return dt + CLxTimeSpan::Hours(hours);
}
} // namespace

CLxDateTime::Country CLxDateTime::GetCountry()
{
    const int known = s_country.load();
    if (known != Country_Unknown)
        return Country(known);
    struct tm now = {};
    const char* zone = LocalTm(time(nullptr), now) && now.tm_zone ? now.tm_zone : "";
    Country country = Country_USA;
    if (!strcmp(zone, "WET") || !strcmp(zone, "WEST"))
        country = Country_UK;
    else if (!strcmp(zone, "CET") || !strcmp(zone, "CEST"))
        country = Country_EEC;
    else if (!strcmp(zone, "MSK") || !strcmp(zone, "MSD"))
        country = Country_Russia;
    s_country.store(country);
    return country;
}

void CLxDateTime::SetCountry(Country country)
{
    s_country.store(country);
}

bool CLxDateTime::IsWestEuropeanCountry(Country country)
{
    country = Resolve(country);
    return country >= Country_WesternEurope_Start && country <= Country_WesternEurope_End;
}

bool CLxDateTime::IsDSTApplicable(int year, Country country)
{
    if (year == Inv_Year)
        year = GetCurrentYear();
    country = Resolve(country);
    if (country == Country_USA || country == Country_UK)
        return year >= 1966 || (year >= 1942 && year <= 1945) || year == 1918 || year == 1919;
    return year > 1950;
}

CLxDateTime CLxDateTime::GetBeginDST(int year, Country country)
{
    if (year == Inv_Year)
        year = GetCurrentYear();
    country = Resolve(country);
    if (!IsDSTApplicable(year, country))
        return CLxDateTime();
    if (UsesWestEuropeanRule(country))
        return LastSundayAt0100Utc(Mar, year);
    if (country != Country_USA)
        return LocalMidnightPlus(30, Mar, year, 0);
    switch (year) {
    case 1918:
    case 1919:
    case 1943:
    case 1944:
    case 1945:
        return LocalMidnightPlus(1, Jan, year, 0);
    case 1942:
        return LocalMidnightPlus(2, Feb, year, 0);
    case 1974:
        return LocalMidnightPlus(6, Jan, year, 0);
    case 1975:
        return LocalMidnightPlus(23, Feb, year, 0);
    default:
        return SundayPlus(year >= 1986 ? 1 : -1, Apr, year, 2);
    }
}

CLxDateTime CLxDateTime::GetEndDST(int year, Country country)
{
    if (year == Inv_Year)
        year = GetCurrentYear();
    country = Resolve(country);
    if (!IsDSTApplicable(year, country))
        return CLxDateTime();
    if (UsesWestEuropeanRule(country))
        return LastSundayAt0100Utc(Oct, year);
    if (country != Country_USA)
        return LocalMidnightPlus(26, Oct, year, 0);
    switch (year) {
    case 1918:
    case 1919:
    case 1943:
    case 1944:
        return LocalMidnightPlus(31, Dec, year, 0);
    case 1945:
        return LocalMidnightPlus(30, Sep, year, 0);
    default:
        return SundayPlus(-1, Oct, year, 2);
    }
}

int CLxDateTime::IsDST(Country country) const
{
    if (country != Country_Default) {
        LX_TIME_REPORT("country == Country_Default", "country support not implemented");
        return -1;
    }
    if (ReportIfInvalid())
        return -1;
    if (IsInStdRange()) {
        struct tm t = {};
        if (!LocalTm(time_t(FloorDiv(m_value, 1000)), t)) {
            LX_TIME_REPORT("localtime() != NULL", "localtime() failed");
            return -1;
        }
        return t.tm_isdst > 0 ? 1 : 0;
    }
    const int year = GetYear();
    if (!IsDSTApplicable(year, country))
        return -1;
    const CLxDateTime begin = GetBeginDST(year, country), end = GetEndDST(year, country);
    if (!begin.IsValid() || !end.IsValid())
        return -1;
    // The end is the first instant of standard time again.
    return m_value >= begin.m_value && m_value < end.m_value ? 1 : 0;
}

CLxDateTime& CLxDateTime::MakeTimezone(const TimeZone& tz, bool noDST)
{
    if (ReportIfInvalid())
        return *this;
    int64_t seconds = int64_t(StdOffsetWest()) + tz.GetOffset();
    // Only inside the standard range do local readings include daylight
    // saving; outside it they are standard time.
    if (!noDST && IsInStdRange() && IsDST() == 1)
        seconds -= 3600;
    int64_t value = 0;
    if (__builtin_sub_overflow(m_value, seconds * 1000, &value))
        ReportSetFault(SetFault::Range);
    else
        m_value = value;
    return *this;
}

CLxDateTime CLxDateTime::ToTimezone(const TimeZone& tz, bool noDST) const
{
    CLxDateTime dt = *this;
    return dt.MakeTimezone(tz, noDST);
}
