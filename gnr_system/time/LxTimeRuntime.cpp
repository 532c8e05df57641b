// The C runtime's local-time services as the date code uses them: the local
// standard offset, broken-down conversions, mktime and strftime.
#include <cerrno>
#include <mutex>
#include <string>

#include "gnr_system/time/LxDateTimeInternal.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"

using namespace lx_time;

namespace
{
// strftime's result limit, in characters.
constexpr size_t kStrftimeChars = 8192;
} // namespace

long lx_time::StdOffsetWest()
{
    // localtime_r does not read TZ itself; one tzset makes `timezone` valid.
    // Callers that change TZ later call tzset themselves.
    static std::once_flag once;
    std::call_once(once, [] { tzset(); });
    return timezone;
}

bool lx_time::LocalTm(time_t t, struct tm& out)
{
    StdOffsetWest();
    return localtime_r(&t, &out) != nullptr;
}

bool lx_time::UtcTm(time_t t, struct tm& out)
{
    return gmtime_r(&t, &out) != nullptr;
}

bool lx_time::MakeTime(const struct tm& in, time_t& out)
{
    struct tm copy = in;
    // -1 is also a real instant (one second before 1970); errno tells.
    errno = 0;
    out = mktime(&copy);
    return out != time_t(-1) || errno == 0;
}

bool lx_time::Strftime(const char* format, const struct tm& tm, CLxStringW& out)
{
    out.Empty();
    // Names and short forms fit a small buffer; only when strftime gives
    // nothing there (too small, or an empty result) is the full one tried:
    // up to four bytes of UTF-8 per character.
    char small[256];
    size_t n = strftime(small, sizeof small, format, &tm);
    std::string large;
    if (n == 0) {
        large.assign(kStrftimeChars * 4, '\0');
        n = strftime(large.data(), large.size(), format, &tm);
        if (n == 0)
            return false;
    }
    out = LX_Utf8ToUtf16(large.empty() ? small : large.data(), ptrdiff_t(n)).c_str();
    if (out.GetLength() > int(kStrftimeChars))
        out.TruncateAt(int(kStrftimeChars));
    return true;
}

bool lx_time::Strftime(const char16_t* format, const struct tm& tm, CLxStringW& out)
{
    return Strftime(LX_Utf16ToUtf8(format).c_str(), tm, out);
}

struct tm lx_time::TmForRuntime(const CLxDateTime::Tm& tm, const CLxDateTime::TimeZone& tz,
                                bool isDst)
{
    struct tm t = {};
    t.tm_sec = tm.sec;
    t.tm_min = tm.min;
    t.tm_hour = tm.hour;
    t.tm_mday = tm.mday;
    t.tm_mon = tm.mon;
    t.tm_year = int(int64_t(tm.year) - 1900);
    t.tm_wday = tm.GetWeekDay();
    t.tm_yday =
        unsigned(tm.mon) < 12
            ? kDaysBeforeMonth[CLxDateTime::IsLeapYear(tm.year) ? 1 : 0][tm.mon] + tm.mday - 1
            : 0;
    t.tm_isdst = isDst ? 1 : 0;
    if (tz.IsLocal()) {
        const long west = StdOffsetWest();
        t.tm_gmtoff = -west + (isDst ? 3600 : 0);
        t.tm_zone = tzname[isDst ? 1 : 0];
    } else {
        t.tm_gmtoff = 0;
        t.tm_zone = "GMT";
    }
    return t;
}
