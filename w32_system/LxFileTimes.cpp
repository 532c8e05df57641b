// File times as local broken-down times.
#include <sys/stat.h>

#include "w32_system/LxFileAPI.h"
#include "w32_system/LxFileInternal.h"

int LX_TouchFile(LX_HFILE handle, const struct tm* creation, const struct tm* lastAccess,
                 const struct tm* lastWrite)
{
    struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
    struct timespec ignored;
    // Linux keeps the birth time to itself; a bad one is still a bad argument.
    if ((creation && !LX_LocalTmToTime(*creation, &ignored)) ||
        (lastAccess && !LX_LocalTmToTime(*lastAccess, &times[0])) ||
        (lastWrite && !LX_LocalTmToTime(*lastWrite, &times[1])))
        return -4;
    int fd = LX_FdOf(handle);
    if (fd < 0 || futimens(fd, times) != 0)
        return LX_FILE_E_TOUCH;
    return 0;
}

int LX_GetFileTimes(LX_HFILE handle, struct tm* creation, struct tm* lastAccess,
                    struct tm* lastWrite)
{
    int fd = LX_FdOf(handle);
    SLxFileStatus status;
    if (fd < 0 || !LX_StatFile(fd, {}, &status))
        return LX_FILE_E_GETTIMES;
    if ((creation && !LX_TimeToLocalTm(status.tsCreation, creation)) ||
        (lastAccess && !LX_TimeToLocalTm(status.tsLastAccess, lastAccess)) ||
        (lastWrite && !LX_TimeToLocalTm(status.tsLastWrite, lastWrite)))
        return -9;
    return 0;
}
