// RFC 822 dates: "[Wdy, ]d Mon yy[yy] hh:mm[:ss] zone". The zone fixes the
// instant, so the result is computed in UTC without asking the local zone.
#include <cstring>

#include "gnr_system/time/LxDateTimeInternal.h"
#include "w32_system/LxWideCrt.h"

using namespace lx_time;

namespace
{
bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Exactly count digits.
bool ReadDigits(const char16_t*& p, int count, int& value)
{
    value = 0;
    for (int i = 0; i < count; ++i, ++p) {
        if (!IsDigit(*p))
            return false;
        value = value * 10 + (*p - u'0');
    }
    return true;
}

bool Expect(const char16_t*& p, char16_t c)
{
    if (*p != c)
        return false;
    ++p;
    return true;
}

int MonthOf(const char16_t* p)
{
    static const char16_t* const kMonths[] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                              u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
    for (int m = 0; m < 12; ++m)
        if (lx_wcsncmp(p, kMonths[m], 3) == 0)
            return m;
    return -1;
}

// The military zones: A-I are -1 to -9 hours, K-M -10 to -12, N-Y +1 to +12,
// Z 0; J (local time) has no offset. Minutes east, or false.
bool MilitaryZone(char16_t letter, int& minutes)
{
    if (letter >= u'A' && letter <= u'I')
        minutes = -(letter - u'A' + 1) * 60;
    else if (letter >= u'K' && letter <= u'M')
        minutes = -(letter - u'K' + 10) * 60;
    else if (letter >= u'N' && letter <= u'Y')
        minutes = (letter - u'N' + 1) * 60;
    else if (letter == u'Z')
        minutes = 0;
    else
        return false;
    return true;
}

bool NamedZone(const char16_t* name, size_t length, int& minutes)
{
    static const struct {
        const char16_t* name;
        int hours;
    } kZones[] = {{u"UT", 0},   {u"UTC", 0},  {u"GMT", 0},  {u"AST", -4}, {u"ADT", -3},
                  {u"EST", -5}, {u"EDT", -4}, {u"CST", -6}, {u"CDT", -5}, {u"MST", -7},
                  {u"MDT", -6}, {u"PST", -8}, {u"PDT", -7}};
    for (const auto& zone : kZones)
        if (lx_wcslen(zone.name) == length && lx_wcsncmp(name, zone.name, length) == 0) {
            minutes = zone.hours * 60;
            return true;
        }
    return false;
}

// The zone after the time: its offset in minutes east; p moves past it.
bool ReadZone(const char16_t*& p, int& minutes)
{
    if (*p == u'+' || *p == u'-') {
        const int sign = *p++ == u'-' ? -1 : 1;
        int hours = 0, mins = 0;
        if (!ReadDigits(p, 2, hours) || !ReadDigits(p, 2, mins) || mins > 59)
            return false;
        minutes = sign * (hours * 60 + mins);
        return true;
    }
    const char16_t* start = p;
    while ((*p >= u'A' && *p <= u'Z') || (*p >= u'a' && *p <= u'z'))
        ++p;
    const size_t length = size_t(p - start);
    if (length == 1) {
        if (MilitaryZone(*start, minutes))
            return true;
        LX_TRACE(u"Invalid military timezone %c", *start);
        return false;
    }
    if (length > 0 && NamedZone(start, length, minutes))
        return true;
    CLxStringW name;
    name.AddChars(start, int(length));
    LX_TRACE(u"Unknown RFC 822 timezone %s", name.GetString());
    return false;
}
} // namespace

const char16_t* CLxDateTime::ParseRfc822Date(const char16_t* date)
{
    if (!date) {
        LX_TIME_REPORT("date==NULL", "NULL pointer in CLxDateTime::Parse");
        return nullptr;
    }
    const char16_t* p = date;
    // The weekday before the comma is not checked.
    if (const char16_t* comma = lx_wcschr(p, u',')) {
        if (comma[1] != u' ')
            return nullptr;
        p = comma + 2;
    }
    int day = 0, year = 0, hour = 0, minute = 0, second = 0, zoneMinutes = 0;
    if (!ReadDigits(p, 1, day))
        return nullptr;
    if (IsDigit(*p))
        day = day * 10 + (*p++ - u'0');
    if (!Expect(p, u' '))
        return nullptr;
    const int month = MonthOf(p);
    if (month < 0)
        return nullptr;
    p += 3;
    if (!Expect(p, u' '))
        return nullptr;
    const char16_t* yearStart = p;
    while (IsDigit(*p) && p - yearStart < 5)
        ++p;
    const int yearDigits = int(p - yearStart);
    if (yearDigits != 2 && yearDigits != 4)
        return nullptr;
    p = yearStart;
    ReadDigits(p, yearDigits, year);
    // Two-digit years: 00-49 are 2000-2049, 50-99 1950-1999.
    if (yearDigits == 2)
        year += year < 50 ? 2000 : 1900;
    if (!Expect(p, u' ') || !ReadDigits(p, 2, hour) || !Expect(p, u':') ||
        !ReadDigits(p, 2, minute))
        return nullptr;
    if (*p == u':' && (++p, !ReadDigits(p, 2, second)))
        return nullptr;
    if (!Expect(p, u' ') || !ReadZone(p, zoneMinutes))
        return nullptr;
    // A leap second (60) runs into the next minute.
    if (day < 1 || day > GetNumberOfDays(Month(month), year) || hour > 23 || minute > 59 ||
        second > 60)
        return nullptr;
    const int64_t msOfDay =
        ((int64_t(hour) * 60 + minute - zoneMinutes) * 60 + second) * int64_t(1000);
    int64_t value = 0;
    if (!UtcToValue(DateToJDN(day, Month(month), year), msOfDay, value))
        return nullptr;
    m_value = value;
    return p;
}
