// Text forms of a date: month and weekday names, Format with its two roads,
// and the locale's date and time.
#include <algorithm>

#include "gnr_system/time/LxDateLocale.h"
#include "gnr_system/time/LxDateTimeInternal.h"
#include "w32_system/LxFormat.h"
#include "w32_system/LxWideCrt.h"

using namespace lx_time;

namespace
{
CLxStringW RuntimeName(const char* format, const struct tm& t)
{
    CLxStringW name;
    if (!Strftime(format, t, name))
        LX_TIME_REPORT("strftime() != 0", "strftime() failed");
    return name;
}

// A number by a printf pattern for int ("%02d", "%5d", ...).
void AppendNumber(CLxStringW& out, const char16_t* pattern, int64_t value)
{
    char16_t text[64];
    // Patterns come from the caller's format; a bad one gives nothing.
    if (LX_snwprintf(text, 64, pattern, int(value)) > 0)
        out += text;
}

bool IsPatternChar(char16_t c)
{
    return c == u'-' || c == u'+' || c == u' ' || (c >= u'0' && c <= u'9');
}

// The longest run of flags and width digits taken after '%'.
constexpr int kMaxPatternRun = 16;
} // namespace

CLxStringW CLxDateTime::GetMonthName(Month month, NameFlags flags)
{
    if (unsigned(month) >= 12) {
        LX_TIME_REPORT("month != Inv_Month", "invalid month");
        return CLxStringW();
    }
    struct tm t = {};
    t.tm_mday = 1;
    t.tm_mon = month;
    t.tm_year = 76;
    return RuntimeName(flags == Name_Abbr ? "%b" : "%B", t);
}

CLxStringW CLxDateTime::GetWeekDayName(WeekDay wday, NameFlags flags)
{
    if (unsigned(wday) >= 7) {
        LX_TIME_REPORT("wday != Inv_WeekDay", "invalid weekday");
        return CLxStringW();
    }
    // 28 November 1999 was a Sunday.
    struct tm t = {};
    t.tm_mday = 28 + wday;
    t.tm_mon = Nov;
    t.tm_year = 99;
    t.tm_wday = wday;
    return RuntimeName(flags == Name_Abbr ? "%a" : "%A", t);
}

void CLxDateTime::GetAmPmStrings(CLxStringW* am, CLxStringW* pm)
{
    // A locale without AM/PM marks gives empty texts, which is no fault.
    struct tm t = {};
    if (am)
        Strftime("%p", t, *am);
    t.tm_hour = 13;
    if (pm)
        Strftime("%p", t, *pm);
}

CLxStringW CLxDateTime::Format(const char16_t* format, const TimeZone& tz) const
{
    if (!format) {
        LX_TIME_REPORT("format==NULL", "NULL format in CLxDateTime::Format");
        return CLxStringW();
    }
    if (ReportIfInvalid())
        return CLxStringW();

    // The runtime's road: it formats the whole text.
    const int64_t seconds = FloorDiv(m_value, 1000);
    if (seconds >= 0 && seconds < kStdRangeEnd && !lx_wcsstr(format, u"%l")) {
        struct tm t = {};
        bool converted = true;
        if (tz.IsLocal()) {
            if (!LocalTm(time_t(seconds), t)) {
                LX_TIME_REPORT("localtime() != NULL", "localtime() failed");
                return CLxStringW();
            }
        } else if (seconds + tz.GetOffset() >= 0) {
            if (!UtcTm(time_t(seconds + tz.GetOffset()), t)) {
                LX_TIME_REPORT("gmtime() != NULL", "gmtime() failed");
                return CLxStringW();
            }
        } else {
            converted = false;
        }
        if (converted) {
            CLxStringW out;
            Strftime(format, t, out);
            return out;
        }
    }

    // The library's own road.
    const Tm tm = GetTm(tz);
    if (unsigned(tm.mon) >= 12)
        return CLxStringW();
    const bool isDst = tz.IsLocal() && IsInStdRange() && IsDST() == 1;
    const struct tm runtime = TmForRuntime(tm, tz, isDst);
    CLxStringW out, piece;
    for (const char16_t* p = format; *p; ++p) {
        if (*p != u'%') {
            out += *p;
            continue;
        }
        // An optional run of flags and width digits becomes the pattern of
        // the numbers.
        const char16_t* run = ++p;
        while (IsPatternChar(*p) && p - run < kMaxPatternRun)
            ++p;
        char16_t custom[kMaxPatternRun + 3] = u"%";
        const bool haveRun = p > run;
        if (haveRun) {
            std::copy(run, p, custom + 1);
            custom[p - run + 1] = u'd';
            custom[p - run + 2] = 0;
        }
        auto number = [&](int64_t value, const char16_t* defaultPattern) {
            AppendNumber(out, haveRun ? custom : defaultPattern, value);
        };
        auto runtimeText = [&](const char* directive) {
            if (Strftime(directive, runtime, piece))
                out += piece;
        };
        switch (*p) {
        case u'a':
            out += GetWeekDayName(tm.GetWeekDay(), Name_Abbr);
            break;
        case u'A':
            out += GetWeekDayName(tm.GetWeekDay(), Name_Full);
            break;
        case u'b':
            out += GetMonthName(tm.mon, Name_Abbr);
            break;
        case u'B':
            out += GetMonthName(tm.mon, Name_Full);
            break;
        // The runtime formats any year itself, so the real year goes in.
        case u'c':
            runtimeText("%c");
            break;
        case u'x':
            runtimeText("%x");
            break;
        case u'X':
            runtimeText("%X");
            break;
        case u'p':
            runtimeText("%p");
            break;
        case u'Z':
            runtimeText("%Z");
            break;
        case u'd':
            number(tm.mday, u"%02d");
            break;
        case u'H':
            number(tm.hour, u"%02d");
            break;
        case u'I':
            number(tm.hour % 12 == 0 ? 12 : tm.hour % 12, u"%02d");
            break;
        case u'j':
            number(tm.yday, u"%03d");
            break;
        case u'l':
            number(tm.msec, u"%03d");
            break;
        case u'm':
            number(tm.mon + 1, u"%02d");
            break;
        case u'M':
            number(tm.min, u"%02d");
            break;
        case u'S':
            number(tm.sec, u"%02d");
            break;
        case u'U':
            number(WeekOfYear(tm, Sunday_First), u"%02d");
            break;
        // A single digit, as strftime writes it.
        case u'w':
            number(tm.GetWeekDay(), u"%d");
            break;
        case u'W':
            number(WeekOfYear(tm, Monday_First), u"%02d");
            break;
        case u'y':
            number(FloorMod(tm.year, 100), u"%02d");
            break;
        case u'Y':
            number(tm.year, u"%04d");
            break;
        case u'%':
            out += u'%';
            break;
        case 0:
            LX_TIME_REPORT("known directive", "unknown format specificator");
            return out;
        default:
            LX_TIME_REPORT("known directive", "unknown format specificator");
            out += *p;
            break;
        }
    }
    return out;
}

CLxStringW CLxDateTime::FormatDateTime(const TimeZone& tz) const
{
    const Tm tm = GetTm(tz);
    if (!tm.IsValid())
        return CLxStringW();
    const bool timeOnly = tm.year == 9999 && tm.mon == Jan && tm.mday == 1;
    const bool dateOnly = !timeOnly && tm.hour == 0 && tm.min == 0 && tm.sec == 0;

    constexpr int kLen = 80;
    char16_t date[kLen] = u"", time[kLen] = u"";
    if (tm.year >= 1 && tm.year <= 0xFFFF) {
        const SLxSystemTime st = {uint16_t(tm.year),
                                  uint16_t(tm.mon + 1),
                                  uint16_t(tm.GetWeekDay()),
                                  tm.mday,
                                  tm.hour,
                                  tm.min,
                                  tm.sec,
                                  0};
        if (LX_FormatLocaleDateTime(&st, timeOnly ? nullptr : date, kLen, dateOnly ? nullptr : time,
                                    kLen) == 0) {
            if (timeOnly)
                return CLxStringW(time);
            if (dateOnly)
                return CLxStringW(date);
            return CLxStringW(date) + u"  " + time;
        }
    }
    // The locale could not format it: the same parts by Format.
    char16_t datePattern[kLen] = u"", timePattern[kLen] = u"";
    LX_GetLocaleDateTimeFormat(datePattern, kLen, timePattern, kLen);
    if (timeOnly)
        return Format(timePattern, tz);
    if (dateOnly)
        return Format(datePattern, tz);
    return Format(datePattern, tz) + u"  " + Format(timePattern, tz);
}
