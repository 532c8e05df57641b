// Files: open, close, read, write, position, locks, size and access.
#include "w32_system/LxFileAPI.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "w32_system/LxAsyncIO.h"
#include "w32_system/LxFileInternal.h"

namespace {

int openFlags(uint32_t access)
{
    int flags;
    if ((access & LX_FILE_READ) && (access & LX_FILE_WRITE))
        flags = O_RDWR;
    else if (access & LX_FILE_WRITE)
        flags = O_WRONLY;
    else
        flags = O_RDONLY;
    if (access & LX_FILE_CREATE)
        flags |= (access & LX_FILE_ALWAYS) ? O_CREAT | O_TRUNC : O_CREAT | O_EXCL;
    else if (access & LX_FILE_ALWAYS)
        flags |= O_CREAT;
    else if (access & LX_FILE_TRUNCATE)
        flags |= O_TRUNC;
    return flags;
}

uint64_t joinWords(uint32_t low, uint32_t high)
{
    return (uint64_t(high) << 32) | low;
}

// Moves up to count bytes with read or write, going on after short transfers
// and interruptions until all is moved or the file ends (a read of 0);
// *done counts the bytes moved, also when a transfer fails.
template <class Transfer, class Byte>
bool moveAll(int fd, Byte* buffer, uint32_t count, uint32_t* done, Transfer transfer)
{
    while (*done < count) {
        ssize_t n = transfer(fd, buffer + *done, count - *done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0;
        *done += uint32_t(n);
    }
    return true;
}

int submitTransfer(ELxAsyncKind kind, LX_HFILE handle, void* buffer, uint32_t count,
                   const SLxAsyncIO& async)
{
    SLxAsyncRequest request{};
    request.eKind = kind;
    request.hFile = handle;
    request.pBuffer = buffer;
    request.uiCount = count;
    request.ui64Offset = joinWords(async.uiOffsetLow, async.uiOffsetHigh);
    request.uiUserWord = async.uiUserWord;
    request.pfnReadWrite = async.pfnCompletion;
    return LX_SubmitAsyncRequest(request);
}

// A byte range as fcntl takes it; false when it does not fit a signed offset.
bool toLockRange(uint32_t offsetLow, uint32_t offsetHigh, uint32_t lengthLow, uint32_t lengthHigh,
                 struct flock* range)
{
    uint64_t offset = joinWords(offsetLow, offsetHigh), length = joinWords(lengthLow, lengthHigh);
    if (offset > uint64_t(INT64_MAX) || length > uint64_t(INT64_MAX) - offset)
        return false;
    *range = {};
    range->l_whence = SEEK_SET;
    range->l_start = off_t(offset);
    range->l_len = off_t(length);
    return true;
}

bool setLock(int fd, struct flock* range)
{
    int rc;
    do
        rc = fcntl(fd, F_OFD_SETLK, range);
    while (rc < 0 && errno == EINTR);
    return rc == 0;
}

} // namespace

int LX_OpenFile(const char16_t* path, uint32_t access, uint32_t, LX_HFILE templateFile,
                LX_HFILE* handle)
{
    if (templateFile != LX_INVALID_HFILE)
        return -2;
    if (!handle || !path)
        return -4;
    int fd = LX_OpenFd(LX_SystemPath(path), openFlags(access));
    if (fd < 0)
        return LX_FILE_E_OPEN;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return LX_FILE_E_OPEN;
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    *handle = fd;
    return 0;
}

int LX_CloseFile(LX_HFILE handle)
{
    int fd = LX_FdOf(handle);
    // Queued requests must not reach the next file that gets this number.
    if (fd >= 0)
        LX_AsyncIOFileClosing(handle);
    // Linux releases the descriptor even when close is interrupted.
    if (fd < 0 || (close(fd) != 0 && errno != EINTR))
        return LX_FILE_E_CLOSE;
    return 0;
}

int LX_ReadFile(LX_HFILE handle, void* buffer, uint32_t count, uint32_t* bytesRead,
                const SLxAsyncIO* async)
{
    if (!buffer && count)
        return -4;
    if (async)
        return submitTransfer(LX_ASYNC_READ, handle, buffer, count, *async);
    int fd = LX_FdOf(handle);
    uint32_t done = 0;
    bool ok = fd >= 0 && moveAll(fd, static_cast<unsigned char*>(buffer), count, &done,
                                 [](int f, unsigned char* p, size_t n) { return read(f, p, n); });
    if (bytesRead)
        *bytesRead = done;
    return ok ? 0 : LX_FILE_E_READ;
}

int LX_WriteFile(LX_HFILE handle, const void* buffer, uint32_t count, uint32_t* bytesWritten,
                 const SLxAsyncIO* async)
{
    if (!buffer && count)
        return -4;
    if (async)
        return submitTransfer(LX_ASYNC_WRITE, handle, const_cast<void*>(buffer), count, *async);
    int fd = LX_FdOf(handle);
    uint32_t done = 0;
    bool ok =
        fd >= 0 && moveAll(fd, static_cast<const unsigned char*>(buffer), count, &done,
                           [](int f, const unsigned char* p, size_t n) { return write(f, p, n); });
    if (bytesWritten)
        *bytesWritten = done;
    // A write that moves nothing without an error is a full disk too.
    return ok && done == count ? 0 : LX_FILE_E_WRITE;
}

int LX_SeekFile(LX_HFILE handle, int32_t distanceLow, int32_t distanceHigh, int origin)
{
    static const int kWhence[3] = {SEEK_SET, SEEK_CUR, SEEK_END};
    int fd = LX_FdOf(handle);
    if (fd < 0 || origin < 0 || origin > 2)
        return LX_FILE_E_SEEK;
    int64_t distance = int64_t(joinWords(uint32_t(distanceLow), uint32_t(distanceHigh)));
    return lseek(fd, off_t(distance), kWhence[origin]) < 0 ? LX_FILE_E_SEEK : 0;
}

int LX_FilePosition(LX_HFILE handle, uint64_t* position)
{
    if (!position)
        return -4;
    int fd = LX_FdOf(handle);
    off_t at = fd < 0 ? -1 : lseek(fd, 0, SEEK_CUR);
    *position = at < 0 ? 0 : uint64_t(at);
    return at < 0 ? LX_FILE_E_POSITION : 0;
}

int LX_LockFile(LX_HFILE handle, uint32_t offsetLow, uint32_t offsetHigh, uint32_t lengthLow,
                uint32_t lengthHigh)
{
    int fd = LX_FdOf(handle);
    struct flock range;
    if (fd < 0 || !toLockRange(offsetLow, offsetHigh, lengthLow, lengthHigh, &range))
        return LX_FILE_E_LOCK;
    // fcntl reads a length of 0 as "to the end and beyond": lock nothing.
    if (range.l_len == 0)
        return 0;
    int mode = fcntl(fd, F_GETFL);
    if (mode < 0)
        return LX_FILE_E_LOCK;
    // A write lock needs a handle open for writing; a read-only handle still
    // keeps other handles from locking the range for themselves.
    range.l_type = (mode & O_ACCMODE) == O_RDONLY ? F_RDLCK : F_WRLCK;
    return setLock(fd, &range) ? 0 : LX_FILE_E_LOCK;
}

int LX_UnlockFile(LX_HFILE handle, uint32_t offsetLow, uint32_t offsetHigh, uint32_t lengthLow,
                  uint32_t lengthHigh)
{
    int fd = LX_FdOf(handle);
    struct flock range;
    if (fd < 0 || !toLockRange(offsetLow, offsetHigh, lengthLow, lengthHigh, &range))
        return LX_FILE_E_UNLOCK;
    if (range.l_len == 0)
        return 0;
    range.l_type = F_UNLCK;
    return setLock(fd, &range) ? 0 : LX_FILE_E_UNLOCK;
}

int LX_SetEOF(LX_HFILE handle)
{
    int fd = LX_FdOf(handle);
    off_t at = fd < 0 ? -1 : lseek(fd, 0, SEEK_CUR);
    if (at < 0)
        return LX_FILE_E_SETEOF;
    int rc;
    do
        rc = ftruncate(fd, at);
    while (rc < 0 && errno == EINTR);
    return rc == 0 ? 0 : LX_FILE_E_SETEOF;
}

int LX_GetFileSize(LX_HFILE handle, uint64_t* size)
{
    int fd = LX_FdOf(handle);
    struct stat st;
    bool ok = fd >= 0 && fstat(fd, &st) == 0;
    if (size)
        *size = ok ? uint64_t(st.st_size) : 0;
    return ok ? 0 : LX_FILE_E_GETSIZE;
}

int LX_GetFileSizeFromName(const char16_t* path, uint64_t* size)
{
    if (!size)
        return -4;
    *size = 0;
    LX_HFILE handle;
    int rc = LX_OpenFile(path, LX_FILE_READ, LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE,
                         LX_INVALID_HFILE, &handle);
    if (rc != 0)
        return rc;
    rc = LX_GetFileSize(handle, size);
    LX_CloseFile(handle);
    return rc;
}

int LX_AccessFile(const char16_t* path, uint32_t mode)
{
    if (!path)
        return -4;
    struct stat st;
    if (stat(LX_SystemPath(path).c_str(), &st) != 0)
        return LX_FILE_E_NOTFOUND;
    // Read-only means no write bit at all: access(W_OK) would answer for
    // the caller, and root may write anything.
    if ((mode & 2) && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        return LX_FILE_E_READONLY;
    return 0;
}
