// The locale's date and time formats: read from nl_langinfo (or a test
// override), taken apart into order, separators and clock, and offered as
// pictures, directive formats and formatted readings. Also the automation
// date.
#include "gnr_system/time/LxDateLocale.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <langinfo.h>
#include <mutex>
#include <vector>

#include "gnr_system/time/LxDateTimeInternal.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"

using namespace lx_time;

namespace
{
struct SOverride {
    std::mutex lock;
    bool active = false;
    SLocaleFormats formats;
};

SOverride& Override()
{
    static SOverride instance;
    return instance;
}

// One piece of a strftime pattern: a directive letter, or literal text
// (directive 0).
struct SItem {
    char directive;
    std::string literal;
};

void AddLiteral(std::vector<SItem>& items, const std::string& text)
{
    if (!items.empty() && items.back().directive == 0)
        items.back().literal += text;
    else
        items.push_back({0, text});
}

// The pieces of a pattern with the shorthands (%D %F %T %R %r %x %X) spelled
// out and glibc's flags, widths and E/O modifiers dropped.
void Expand(const std::string& format, const SLocaleFormats& formats, int depth,
            std::vector<SItem>& items)
{
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            AddLiteral(items, std::string(1, format[i]));
            continue;
        }
        ++i;
        while (i < format.size() &&
               (strchr("_-0^#", format[i]) || isdigit((unsigned char)format[i])))
            ++i;
        while (i < format.size() && (format[i] == 'E' || format[i] == 'O'))
            ++i;
        if (i >= format.size())
            break;
        std::string shorthand;
        switch (format[i]) {
        case 'D':
            shorthand = "%m/%d/%y";
            break;
        case 'F':
            shorthand = "%Y-%m-%d";
            break;
        case 'T':
            shorthand = "%H:%M:%S";
            break;
        case 'R':
            shorthand = "%H:%M";
            break;
        case 'r':
            shorthand = formats.ampm.empty() ? "%I:%M:%S %p" : formats.ampm;
            break;
        case 'x':
            shorthand = formats.date;
            break;
        case 'X':
            shorthand = formats.time;
            break;
        case 'n':
            AddLiteral(items, "\n");
            continue;
        case 't':
            AddLiteral(items, "\t");
            continue;
        case '%':
            AddLiteral(items, "%");
            continue;
        default:
            items.push_back({format[i], std::string()});
            continue;
        }
        // The locale's own texts could name each other; three levels are
        // more than any real locale uses.
        if (depth < 3)
            Expand(shorthand, formats, depth + 1, items);
    }
}

std::vector<SItem> Pieces(const std::string& format, const SLocaleFormats& formats)
{
    std::vector<SItem> items;
    Expand(format, formats, 0, items);
    return items;
}

int FindDirective(const std::vector<SItem>& items, const char* letters)
{
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].directive != 0 && strchr(letters, items[i].directive))
            return int(i);
    return -1;
}

// The literal text between two pieces, at most 3 UTF-16 units.
std::u16string SeparatorBetween(const std::vector<SItem>& items, int from, int to)
{
    std::string text;
    for (int i = from + 1; i < to; ++i)
        text += items[size_t(i)].literal;
    std::u16string wide = LX_Utf8ToUtf16(text.c_str());
    return wide.size() > 3 ? wide.substr(0, 3) : wide;
}

// The separator inside a printf pattern.
std::u16string EscapePercent(const std::u16string& text)
{
    std::u16string out;
    for (char16_t c : text) {
        out += c;
        if (c == u'%')
            out += u'%';
    }
    return out;
}

bool BadBuffer(const char16_t* buf, int len)
{
    return buf && len < 1;
}

// Copies text into a buffer that is not null: 0, or -9 (buffer emptied)
// when it does not fit.
int CopyOut(const std::u16string& text, char16_t* buf, int len)
{
    if (!buf)
        return 0;
    if (text.size() + 1 > size_t(len)) {
        buf[0] = 0;
        return -9;
    }
    text.copy(buf, text.size());
    buf[text.size()] = 0;
    return 0;
}

int Fail(char16_t* buf)
{
    if (buf)
        buf[0] = 0;
    return -9;
}

// The Windows picture of a pattern: fields by their picture letters, literal
// letters quoted, other directives left out.
std::u16string Picture(const std::vector<SItem>& items)
{
    std::u16string out;
    for (const SItem& item : items) {
        if (item.directive == 0) {
            for (char16_t c : LX_Utf8ToUtf16(item.literal.c_str())) {
                const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
                out += letter ? std::u16string(u"'") + c + u"'" : std::u16string(1, c);
            }
            continue;
        }
        switch (item.directive) {
        case 'd':
            out += u"dd";
            break;
        case 'e':
            out += u"d";
            break;
        case 'a':
            out += u"ddd";
            break;
        case 'A':
            out += u"dddd";
            break;
        case 'm':
            out += u"MM";
            break;
        case 'b':
        case 'h':
            out += u"MMM";
            break;
        case 'B':
            out += u"MMMM";
            break;
        case 'y':
            out += u"yy";
            break;
        case 'Y':
            out += u"yyyy";
            break;
        case 'H':
            out += u"HH";
            break;
        case 'k':
            out += u"H";
            break;
        case 'I':
            out += u"hh";
            break;
        case 'l':
            out += u"h";
            break;
        case 'M':
            out += u"mm";
            break;
        case 'S':
            out += u"ss";
            break;
        case 'p':
        case 'P':
            out += u"tt";
            break;
        default:
            break;
        }
    }
    return out;
}

bool ValidReading(const SLxSystemTime& t)
{
    return t.wYear >= 1 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
           t.wDay <= CLxDateTime::GetNumberOfDays(CLxDateTime::Month(t.wMonth - 1), t.wYear) &&
           t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000;
}
} // namespace

// ---- The formats

SLocaleFormats lx_time::LocaleFormats()
{
    SOverride& o = Override();
    {
        std::lock_guard<std::mutex> guard(o.lock);
        if (o.active)
            return o.formats;
    }
    SLocaleFormats formats;
    formats.date = nl_langinfo(D_FMT);
    formats.time = nl_langinfo(T_FMT);
    formats.ampm = nl_langinfo(T_FMT_AMPM);
    return formats;
}

void lx_time::SetLocaleFormatsOverride(const char* date, const char* time, const char* ampm)
{
    SOverride& o = Override();
    std::lock_guard<std::mutex> guard(o.lock);
    o.active = date || time || ampm;
    o.formats.date = date ? date : "";
    o.formats.time = time ? time : "";
    o.formats.ampm = ampm ? ampm : "";
}

bool lx_time::AnalyzeDateFormat(const SLocaleFormats& formats, int& order,
                                std::u16string& separator)
{
    const std::vector<SItem> items = Pieces(formats.date, formats);
    const int day = FindDirective(items, "de");
    const int month = FindDirective(items, "mbBh");
    const int year = FindDirective(items, "yYCGg");
    if (day < 0 || month < 0 || year < 0)
        return false;
    if (month < day && day < year)
        order = 0;
    else if (day < month && month < year)
        order = 1;
    else if (year < month && month < day)
        order = 2;
    else
        return false;
    const int first = std::min(day, std::min(month, year));
    const int second = order == 0 ? day : month;
    separator = SeparatorBetween(items, first, second);
    return true;
}

bool lx_time::AnalyzeTimeFormat(const SLocaleFormats& formats, bool& clock24,
                                std::u16string& separator, bool& markFirst)
{
    const std::vector<SItem> items = Pieces(formats.time, formats);
    const int hour = FindDirective(items, "HkIl");
    if (hour < 0)
        return false;
    clock24 = strchr("Hk", items[size_t(hour)].directive) != nullptr;
    int next = hour + 1;
    while (next < int(items.size()) && items[size_t(next)].directive == 0)
        ++next;
    separator = SeparatorBetween(items, hour, next);
    const int mark = FindDirective(items, "pP");
    markFirst = mark >= 0 && mark < hour;
    return true;
}

// ---- Exported helpers

int LX_GetLocaleShortDateTimeFormat(char16_t* dateBuf, int dateLen, char16_t* timeBuf, int timeLen)
{
    if (BadBuffer(dateBuf, dateLen) || BadBuffer(timeBuf, timeLen))
        return -4;
    const SLocaleFormats formats = LocaleFormats();
    const int dateStatus = CopyOut(Picture(Pieces(formats.date, formats)), dateBuf, dateLen);
    const int timeStatus = CopyOut(Picture(Pieces(formats.time, formats)), timeBuf, timeLen);
    return dateStatus ? dateStatus : timeStatus;
}

int LX_GetLocaleDateTimeFormat(char16_t* dateBuf, int dateLen, char16_t* timeBuf, int timeLen)
{
    if (BadBuffer(dateBuf, dateLen) || BadBuffer(timeBuf, timeLen))
        return -4;
    const SLocaleFormats formats = LocaleFormats();
    int status = 0;
    if (dateBuf) {
        int order = 0;
        std::u16string sep;
        if (AnalyzeDateFormat(formats, order, sep)) {
            static const char16_t* const kFields[3][3] = {
                {u"%m", u"%d", u"%Y"}, {u"%d", u"%m", u"%Y"}, {u"%Y", u"%m", u"%d"}};
            sep = EscapePercent(sep);
            const char16_t* const* f = kFields[order];
            status = CopyOut(std::u16string(f[0]) + sep + f[1] + sep + f[2], dateBuf, dateLen);
        } else {
            status = Fail(dateBuf);
        }
    }
    if (timeBuf) {
        bool clock24 = true, markFirst = false;
        std::u16string sep;
        int timeStatus = 0;
        if (AnalyzeTimeFormat(formats, clock24, sep, markFirst)) {
            sep = EscapePercent(sep);
            const std::u16string clock = (clock24 ? u"%H" : u"%I") + sep + u"%M" + sep + u"%S";
            timeStatus = CopyOut(clock24     ? clock
                                 : markFirst ? u"%p " + clock
                                             : clock + u" %p",
                                 timeBuf, timeLen);
        } else {
            timeStatus = Fail(timeBuf);
        }
        if (status == 0)
            status = timeStatus;
    }
    return status;
}

int LX_GetLocaleUserDateTimeFormat(char16_t* buf, int len)
{
    if (BadBuffer(buf, len))
        return -4;
    const SLocaleFormats formats = LocaleFormats();
    int order = 0;
    bool clock24 = true, markFirst = false;
    std::u16string dateSep, timeSep;
    if (!AnalyzeDateFormat(formats, order, dateSep) ||
        !AnalyzeTimeFormat(formats, clock24, timeSep, markFirst))
        return Fail(buf);
    static const char16_t* const kFields[3][3] = {
        {u"MM", u"DD", u"YYYY"}, {u"DD", u"MM", u"YYYY"}, {u"YYYY", u"MM", u"DD"}};
    const char16_t* const* f = kFields[order];
    const std::u16string date = std::u16string(f[0]) + dateSep + f[1] + dateSep + f[2];
    const std::u16string clock = (clock24 ? u"HH" : u"hh") + timeSep + u"MM" + timeSep + u"SS";
    const std::u16string time = clock24     ? u" " + clock
                                : markFirst ? u" pm " + clock
                                            : u" " + clock + u" pm";
    return CopyOut(date + time, buf, len);
}

int LX_FormatLocaleDateTime(const SLxSystemTime* time, char16_t* dateBuf, int dateLen,
                            char16_t* timeBuf, int timeLen)
{
    if (BadBuffer(dateBuf, dateLen) || BadBuffer(timeBuf, timeLen))
        return -4;
    if (!time || !ValidReading(*time)) {
        Fail(timeBuf);
        return Fail(dateBuf);
    }
    struct tm t = {};
    t.tm_year = time->wYear - 1900;
    t.tm_mon = time->wMonth - 1;
    t.tm_mday = time->wDay;
    t.tm_hour = time->wHour;
    t.tm_min = time->wMinute;
    t.tm_sec = time->wSecond;
    t.tm_wday = int(FloorMod(
        CLxDateTime::DateToJDN(t.tm_mday, CLxDateTime::Month(t.tm_mon), time->wYear) + 2, 7));
    t.tm_yday =
        kDaysBeforeMonth[CLxDateTime::IsLeapYear(time->wYear) ? 1 : 0][t.tm_mon] + t.tm_mday - 1;
    t.tm_isdst = -1;
    const SLocaleFormats formats = LocaleFormats();
    int status = 0;
    CLxStringW text;
    if (dateBuf)
        status = Strftime(formats.date.c_str(), t, text)
                     ? CopyOut(text.GetString(), dateBuf, dateLen)
                     : Fail(dateBuf);
    if (timeBuf) {
        const int timeStatus = Strftime(formats.time.c_str(), t, text)
                                   ? CopyOut(text.GetString(), timeBuf, timeLen)
                                   : Fail(timeBuf);
        if (status == 0)
            status = timeStatus;
    }
    return status;
}

int LX_TmToVariantTime(const struct tm* tm, double* out)
{
    if (!tm || !out)
        return -4;
    const int64_t year = int64_t(tm->tm_year) + 1900;
    if (year < 100 || year > 9999 || tm->tm_mon < 0 || tm->tm_mon > 11 || tm->tm_mday < 1 ||
        tm->tm_hour < 0 || tm->tm_hour > 23 || tm->tm_min < 0 || tm->tm_min > 59 ||
        tm->tm_sec < 0 || tm->tm_sec > 59)
        return -9;
    int64_t value = 0;
    if (LocalToValue(tm->tm_mday, CLxDateTime::Month(tm->tm_mon), int(year), tm->tm_hour,
                     tm->tm_min, tm->tm_sec, 0, value) != SetFault::None)
        return -9;
    // 1899-12-30 is day 0, 1970-01-01 day 25569. Before day 0 the whole part
    // counts back while the fraction still counts forward from midnight.
    const int64_t day = FloorDiv(value, kMsPerDay) + 25569;
    const double fraction = double(FloorMod(value, kMsPerDay)) / double(kMsPerDay);
    *out = day >= 0 ? double(day) + fraction : double(day) - fraction;
    return 0;
}
