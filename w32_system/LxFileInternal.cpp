#include "w32_system/LxFileInternal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "w32_system/LxFileAPI.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"

std::string LX_SystemPath(const char16_t* path)
{
    std::string out = LX_Utf16ToUtf8(path);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

std::u16string LX_WidePath(const std::string& systemPath)
{
    return LX_Utf8ToUtf16(systemPath.c_str(), ptrdiff_t(systemPath.size()));
}

int LX_FdOf(LX_HFILE handle)
{
    return handle >= 0 && handle <= INT_MAX ? int(handle) : -1;
}

bool LX_CopyText(const std::u16string& text, char16_t* buffer, size_t size, bool* complete)
{
    if (!buffer || !size)
        return false;
    size_t n = text.size() < size ? text.size() : size - 1;
    if (n < text.size() && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF)
        --n;
    text.copy(buffer, n);
    buffer[n] = 0;
    if (complete)
        *complete = n == text.size();
    return true;
}

int LX_CopyWholePath(const std::u16string& path, char16_t* buffer, size_t size)
{
    if (path.size() >= size) {
        buffer[0] = 0;
        return LX_FILE_E_BUFFER_TOO_SMALL;
    }
    LX_CopyText(path, buffer, size);
    return 0;
}

int LX_OpenFd(const std::string& systemPath, int flags, mode_t mode)
{
    int fd;
    do
        fd = open(systemPath.c_str(), flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool LX_WriteAll(int fd, const void* data, size_t count)
{
    auto p = static_cast<const char*>(data);
    while (count) {
        ssize_t n = write(fd, p, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        count -= size_t(n);
    }
    return true;
}

bool LX_StatFile(int fd, const std::string& systemPath, SLxFileStatus* status)
{
    struct statx sx;
    int rc = fd >= 0 ? statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx)
                     : statx(AT_FDCWD, systemPath.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx);
    if (rc != 0)
        return false;
    auto toTimespec = [](const struct statx_timestamp& t) {
        struct timespec ts;
        ts.tv_sec = t.tv_sec;
        ts.tv_nsec = long(t.tv_nsec);
        return ts;
    };
    status->ui64Size = sx.stx_size;
    status->tsLastAccess = toTimespec(sx.stx_atime);
    status->tsLastWrite = toTimespec(sx.stx_mtime);
    status->tsCreation =
        (sx.stx_mask & STATX_BTIME) ? toTimespec(sx.stx_btime) : status->tsLastWrite;
    status->mode = sx.stx_mode;
    return true;
}

namespace {

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int daysInMonth(int year, int month0)
{
    return kDays[month0] + (month0 == 1 && isLeapYear(year) ? 1 : 0);
}

// The years a file time can carry for this layer's callers.
constexpr int kFirstYear = 1601, kLastYear = 30827;

} // namespace

int LX_DayOfYear(int year, int month0, int day)
{
    int days = day - 1;
    for (int m = 0; m < month0 && m < 12; ++m)
        days += kDays[m];
    if (month0 > 1 && isLeapYear(year))
        ++days;
    return days;
}

bool LX_TimeToLocalTm(const struct timespec& time, struct tm* out)
{
    time_t seconds = time.tv_sec;
    struct tm local;
    if (!localtime_r(&seconds, &local))
        return false;
    int year = local.tm_year + 1900;
    if (year < kFirstYear || year > kLastYear)
        return false;
    local.tm_yday = LX_DayOfYear(year, local.tm_mon, local.tm_mday);
    local.tm_isdst = -1;
    *out = local;
    return true;
}

bool LX_LocalTmToTime(const struct tm& local, struct timespec* out)
{
    int year = local.tm_year + 1900;
    if (year < kFirstYear || year > kLastYear || local.tm_mon < 0 || local.tm_mon > 11 ||
        local.tm_mday < 1 || local.tm_mday > daysInMonth(year, local.tm_mon) || local.tm_hour < 0 ||
        local.tm_hour > 23 || local.tm_min < 0 || local.tm_min > 59 || local.tm_sec < 0 ||
        local.tm_sec > 59)
        return false;
    struct tm copy = local;
    copy.tm_isdst = -1;
    time_t seconds = mktime(&copy);
    // -1 is also one second before the epoch; only then do the fields agree.
    if (seconds == time_t(-1) && !(copy.tm_year == local.tm_year && copy.tm_mon == local.tm_mon &&
                                   copy.tm_mday == local.tm_mday && copy.tm_hour == local.tm_hour &&
                                   copy.tm_min == local.tm_min && copy.tm_sec == local.tm_sec))
        return false;
    out->tv_sec = seconds;
    out->tv_nsec = 0;
    return true;
}
