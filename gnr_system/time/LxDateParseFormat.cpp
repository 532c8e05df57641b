// Parsing by directives (ParseFormat, see LxDateTime.h for the directives)
// and by the locale's formats.
#include <climits>
#include <initializer_list>

#include "gnr_system/time/LxDateLocale.h"
#include "gnr_system/time/LxDateTimeInternal.h"
#include "w32_system/LxStrHelpers.h"

using namespace lx_time;

namespace
{
struct SFields {
    int year = 0, month = 0, day = 0, yday = 0, hour = 0, minute = 0, second = 0;
    bool haveYear = false, haveMonth = false, haveDay = false, haveYDay = false;
    bool haveHour = false, haveMinute = false, haveSecond = false;
    bool hour12 = false, pm = false;
};

bool IsSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Letters of names: ASCII letters and anything from U+00C0 up but the
// general punctuation block and the ideographic space.
bool IsWordChar(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
           (c >= 0xC0 && !(c >= 0x2000 && c <= 0x206F) && c != 0x3000);
}

class CScanner
{
  public:
    explicit CScanner(const char16_t* text) : m_pos(text) {}
    const char16_t* Position() const { return m_pos; }

    // Reads the text by the format into f; false when it does not fit.
    bool Scan(const char16_t* format, SFields& f, int depth)
    {
        for (const char16_t* p = format; *p; ++p) {
            if (IsSpace(*p)) {
                while (IsSpace(*m_pos))
                    ++m_pos;
                continue;
            }
            if (*p != u'%') {
                if (*m_pos != *p)
                    return false;
                ++m_pos;
                continue;
            }
            int width = 0;
            for (++p; IsDigit(*p); ++p)
                width = width < 1000 ? width * 10 + (*p - u'0') : width;
            if (!Directive(*p, width, f, depth))
                return false;
        }
        return true;
    }

  private:
    bool Directive(char16_t directive, int width, SFields& f, int depth)
    {
        int n = 0;
        switch (directive) {
        case 0:
            LX_TIME_REPORT("format continues after '%'", "unexpected format end");
            return false;
        case u'a':
        case u'A':
            return ReadWeekDay(directive == u'a' ? CLxDateTime::Name_Abbr : CLxDateTime::Name_Full);
        case u'b':
        case u'B':
            if (!ReadMonth(directive == u'b' ? CLxDateTime::Name_Abbr : CLxDateTime::Name_Full,
                           f.month))
                return false;
            f.haveMonth = true;
            return true;
        case u'c':
            return Alternatives({u"%a %b %d %H:%M:%S %Y", u"%x %X", u"%X %x"}, f, depth);
        case u'd':
            return ReadNumber(width, 1, 31, f.day) && (f.haveDay = true);
        case u'H':
            f.hour12 = false;
            return ReadNumber(width, 0, 23, f.hour) && (f.haveHour = true);
        case u'I':
            if (!ReadNumber(width, 1, 12, n))
                return false;
            f.hour = n % 12;
            f.hour12 = f.haveHour = true;
            return true;
        case u'j':
            return ReadNumber(width, 1, 366, f.yday) && (f.haveYDay = true);
        case u'm':
            if (!ReadNumber(width, 1, 12, n))
                return false;
            f.month = n - 1;
            return f.haveMonth = true;
        case u'M':
            return ReadNumber(width, 0, 59, f.minute) && (f.haveMinute = true);
        case u'p':
            return ReadAmPm(f.pm);
        case u'R':
            return Alternatives({u"%H:%M"}, f, depth);
        case u'r':
            return Alternatives({u"%I:%M:%S %p"}, f, depth);
        case u'S':
            return ReadNumber(width, 0, 61, f.second) && (f.haveSecond = true);
        case u'T':
            return Alternatives({u"%H:%M:%S"}, f, depth);
        case u'w':
            return ReadNumber(width, 0, 6, n);
        case u'X':
            return Alternatives({u"%T", u"%r"}, f, depth);
        case u'x': {
            const CLxDateTime::Country country = CLxDateTime::GetCountry();
            const bool dayFirst = CLxDateTime::IsWestEuropeanCountry(country) ||
                                  country == CLxDateTime::Country_Russia;
            return dayFirst ? Alternatives({u"%d/%m/%y", u"%m/%d/%y"}, f, depth)
                            : Alternatives({u"%m/%d/%y", u"%d/%m/%y"}, f, depth);
        }
        case u'y':
            if (!ReadNumber(width, 0, 99, n))
                return false;
            f.year = n <= 30 ? 2000 + n : 1900 + n;
            return f.haveYear = true;
        case u'Y':
            return ReadNumber(width, 0, INT_MAX, f.year) && (f.haveYear = true);
        case u'%':
            if (*m_pos != u'%')
                return false;
            ++m_pos;
            return true;
        default:
            return false;
        }
    }

    // The first format that fits, read into f; nothing changes when none
    // does.
    bool Alternatives(std::initializer_list<const char16_t*> formats, SFields& f, int depth)
    {
        // The formats here are fixed and nest at most three deep.
        if (depth > 4)
            return false;
        for (const char16_t* format : formats) {
            SFields trial = f;
            const char16_t* start = m_pos;
            if (Scan(format, trial, depth + 1)) {
                f = trial;
                return true;
            }
            m_pos = start;
        }
        return false;
    }

    // A run of digits (at least one, at most width when width > 0) within
    // min ... max.
    bool ReadNumber(int width, int64_t min, int64_t max, int& out)
    {
        const char16_t* p = m_pos;
        int64_t value = 0;
        while (IsDigit(*p) && (width == 0 || p - m_pos < width)) {
            if (value <= INT_MAX)
                value = value * 10 + (*p - u'0');
            ++p;
        }
        if (p == m_pos || value < min || value > max)
            return false;
        out = int(value);
        m_pos = p;
        return true;
    }

    CLxStringW ReadWord()
    {
        const char16_t* p = m_pos;
        while (IsWordChar(*p))
            ++p;
        CLxStringW word;
        word.AddChars(m_pos, int(p - m_pos));
        return word;
    }

    bool ReadMonth(CLxDateTime::NameFlags flags, int& month)
    {
        const CLxStringW word = ReadWord();
        for (int m = 0; m < 12 && !word.IsEmpty(); ++m)
            if (LX_wcsicmp(word, CLxDateTime::GetMonthName(CLxDateTime::Month(m), flags)) == 0) {
                month = m;
                m_pos += word.GetLength();
                return true;
            }
        return false;
    }

    bool ReadWeekDay(CLxDateTime::NameFlags flags)
    {
        const CLxStringW word = ReadWord();
        for (int d = 0; d < 7 && !word.IsEmpty(); ++d)
            if (LX_wcsicmp(word, CLxDateTime::GetWeekDayName(CLxDateTime::WeekDay(d), flags)) ==
                0) {
                m_pos += word.GetLength();
                return true;
            }
        return false;
    }

    // The marks may hold dots ("a.m."), so they are matched as prefixes that
    // end a word.
    bool ReadAmPm(bool& pm)
    {
        CLxStringW marks[2];
        CLxDateTime::GetAmPmStrings(&marks[0], &marks[1]);
        for (int i = 0; i < 2; ++i) {
            const int n = marks[i].GetLength();
            if (n > 0 && LX_wcsnicmp(m_pos, marks[i], size_t(n)) == 0 && !IsWordChar(m_pos[n])) {
                pm = i == 1;
                m_pos += n;
                return true;
            }
        }
        return false;
    }

    const char16_t* m_pos;
};
} // namespace

const char16_t* CLxDateTime::ParseFormat(const char16_t* date, const char16_t* format,
                                         const CLxDateTime& dateDef)
{
    if (!date || !format) {
        LX_TIME_REPORT("date==NULL || format==NULL", "NULL pointer in CLxDateTime::ParseFormat()");
        return nullptr;
    }
    SFields f;
    CScanner scanner(date);
    if (!scanner.Scan(format, f, 0))
        return nullptr;

    Tm def;
    if (dateDef.IsValid()) {
        def = dateDef.GetTm();
    } else {
        const struct tm now = GetTmNow();
        def = Tm(now, Local);
        def.hour = def.min = def.sec = def.msec = 0;
    }
    const int year = f.haveYear ? f.year : def.year;
    int month = f.haveMonth ? f.month : def.mon;
    int day = f.haveDay ? f.day : def.mday;
    if (f.haveDay) {
        if (day > GetNumberOfDays(Month(month), year)) {
            LX_TIME_REPORT("day <= GetNumberOfDays(month, year)",
                           "bad month day in CLxDateTime::ParseFormat");
            return nullptr;
        }
    } else if (f.haveYDay && !f.haveMonth) {
        if (f.yday > GetNumberOfDays(year)) {
            LX_TIME_REPORT("yday <= GetNumberOfDays(year)",
                           "bad year day in CLxDateTime::ParseFormat");
            return nullptr;
        }
        const uint16_t* before = kDaysBeforeMonth[IsLeapYear(year) ? 1 : 0];
        for (month = 0; month < Dec && before[month + 1] < f.yday; ++month) {
        }
        day = f.yday - before[month];
    }
    const int hour = f.haveHour ? f.hour + (f.hour12 && f.pm ? 12 : 0) : def.hour;
    int64_t value = 0;
    if (LocalToValue(day, Month(month), year, hour, f.haveMinute ? f.minute : def.min,
                     f.haveSecond ? f.second : def.sec, def.msec, value) != SetFault::None)
        return nullptr;
    m_value = value;
    return scanner.Position();
}

const char16_t* CLxDateTime::ParseLocaleDate(const char16_t* date)
{
    if (!date) {
        LX_TIME_REPORT("date==NULL", "NULL pointer in CLxDateTime::Parse");
        return nullptr;
    }
    char16_t format[64];
    if (LX_GetLocaleDateTimeFormat(format, 64, nullptr, 0) != 0)
        return nullptr;
    return ParseFormat(date, format, CLxDateTime());
}

namespace
{
// Parses a time by the locale's time format, then by that format without
// its seconds (the %S and the one separator character before it).
const char16_t* ParseLocaleTimeOn(CLxDateTime& dt, const char16_t* time, const CLxDateTime& dateDef)
{
    char16_t format[64];
    if (LX_GetLocaleDateTimeFormat(nullptr, 0, format, 64) != 0)
        return nullptr;
    if (const char16_t* end = dt.ParseFormat(time, format, dateDef))
        return end;
    CLxStringW shorter(format);
    const int seconds = shorter.Find(u"%S");
    if (seconds < 1)
        return nullptr;
    shorter.Delete(seconds - 1, 3);
    return dt.ParseFormat(time, shorter, dateDef);
}
} // namespace

const char16_t* CLxDateTime::ParseLocaleTime(const char16_t* time)
{
    if (!time) {
        LX_TIME_REPORT("time==NULL", "NULL pointer in CLxDateTime::Parse");
        return nullptr;
    }
    return ParseLocaleTimeOn(*this, time, CLxDateTime());
}

const char16_t* CLxDateTime::ParseDateTime(const char16_t* datetime)
{
    if (!datetime) {
        LX_TIME_REPORT("date==NULL", "NULL pointer in CLxDateTime::Parse");
        return nullptr;
    }
    const char16_t* end = ParseLocaleDate(datetime);
    if (!end)
        return ParseLocaleTime(datetime);
    const char16_t* rest = end;
    while (*rest && *rest < 33)
        ++rest;
    // The time belongs to the date just read; without one the date stands.
    const CLxDateTime date = *this;
    if (const char16_t* timeEnd = ParseLocaleTimeOn(*this, rest, date))
        return timeEnd;
    *this = date;
    return end;
}
