// Helpers shared by the files of the file layer: path conversion, handle
// checks, bounded text copies, status snapshots and time conversions.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <ctime>
#include <string>

#include "w32_system/LxTypes.h"

// UTF-16 path to the UTF-8 path the system takes, '\' turned into '/'.
std::string LX_SystemPath(const char16_t* path);
std::u16string LX_WidePath(const std::string& systemPath);

// The descriptor behind a handle, or -1 when it cannot be one.
int LX_FdOf(LX_HFILE handle);

// Copies text into a buffer of `size` units, cut to size - 1 (never between
// the two halves of a surrogate pair) and terminated; *complete (may be null)
// tells whether all of it fitted. False when buffer is null or size is 0.
bool LX_CopyText(const std::u16string& text, char16_t* buffer, size_t size,
                 bool* complete = nullptr);

// Copies a whole path into a buffer of `size` units: 0, or -1102 when it
// does not fit, the buffer then holding an empty text (a cut path could name
// another, existing folder).
int LX_CopyWholePath(const std::u16string& path, char16_t* buffer, size_t size);

// open() with O_CLOEXEC that retries EINTR; -1 with errno set on failure.
int LX_OpenFd(const std::string& systemPath, int flags, mode_t mode = 0666);

// Writes all count bytes, going on after short writes and interruptions.
// False when a write fails.
bool LX_WriteAll(int fd, const void* data, size_t count);

// What the file layer needs to know of a file.
struct SLxFileStatus {
    uint64_t ui64Size;
    struct timespec tsCreation; // birth time, else last write time
    struct timespec tsLastAccess;
    struct timespec tsLastWrite;
    mode_t mode;
};
// fd >= 0: the open file; otherwise the path, following links.
bool LX_StatFile(int fd, const std::string& systemPath, SLxFileStatus* status);

// Days before the date in its year: the month lengths of the months before
// it plus the day minus 1, and one more after February in a leap year.
int LX_DayOfYear(int year, int month0, int day);
// System time to local broken-down time with the weekday, the day of the
// year and tm_isdst = -1. False when the time has no local form.
bool LX_TimeToLocalTm(const struct timespec& time, struct tm* out);
// Local broken-down time (whole seconds) to system time. False for fields out
// of range (see LX_TouchFile) or a time the system cannot represent.
bool LX_LocalTmToTime(const struct tm& local, struct timespec* out);

// A path folder + pattern (see LX_GetTempFileName) that names nothing yet,
// trying each of numberCount numbers (a power of two) at most once; with
// create the file is made. 0, or -1000 when no candidate is left.
int LX_FindTempName(const std::string& folder, const std::u16string& pattern, bool create,
                    unsigned numberCount, std::string* path);
