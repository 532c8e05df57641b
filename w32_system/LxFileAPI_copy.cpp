// Copying, moving and replacing files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "w32_system/LxAsyncIO.h"
#include "w32_system/LxFileAPI.h"
#include "w32_system/LxFileInternal.h"

namespace {

// Copying a file onto itself would empty it before the first byte is read.
bool namesSameFile(const struct stat& source, const std::string& target)
{
    struct stat st;
    return stat(target.c_str(), &st) == 0 && st.st_dev == source.st_dev &&
           st.st_ino == source.st_ino;
}

// From both files' positions to the end of the source: in the kernel where
// the file systems allow it, else through a buffer.
bool copyContents(int in, int out)
{
    bool inKernel = true;
    char buffer[65536];
    for (;;) {
        ssize_t n;
        if (inKernel) {
            n = copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
            if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                          errno == EOPNOTSUPP || errno == EBADF)) {
                inKernel = false;
                continue;
            }
        } else {
            n = read(in, buffer, sizeof buffer);
            if (n > 0 && !LX_WriteAll(out, buffer, size_t(n)))
                return false;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0;
    }
}

int copyNow(const std::string& source, const std::string& target, bool failIfExists)
{
    int in = LX_OpenFd(source, O_RDONLY);
    if (in < 0)
        return LX_FILE_E_COPY;
    struct stat st;
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode) ||
        (!failIfExists && namesSameFile(st, target))) {
        close(in);
        return LX_FILE_E_COPY;
    }
    mode_t mode = st.st_mode & 07777;
    int out = LX_OpenFd(target, O_WRONLY | O_CREAT | (failIfExists ? O_EXCL : O_TRUNC), mode);
    if (out < 0) {
        int rc = failIfExists && errno == EEXIST ? LX_FILE_E_EXISTS : LX_FILE_E_COPY;
        close(in);
        return rc;
    }
    const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    bool ok = copyContents(in, out) && fchmod(out, mode) == 0 && futimens(out, times) == 0;
    close(in);
    ok = close(out) == 0 && ok;
    if (!ok)
        unlink(target.c_str());
    return ok ? 0 : LX_FILE_E_COPY;
}

int copyInBackground(const char16_t* source, const char16_t* target, bool failIfExists,
                     const std::atomic<int>* keepGoing, LX_PFN_ASYNC_COPY completion,
                     uintptr_t userWord)
{
    const uint32_t share = LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE;
    LX_HFILE in, out;
    int rc = LX_OpenFile(source, LX_FILE_READ, share, LX_INVALID_HFILE, &in);
    if (rc != 0)
        return rc;
    struct stat st;
    if (fstat(int(in), &st) != 0 || (!failIfExists && namesSameFile(st, LX_SystemPath(target)))) {
        LX_CloseFile(in);
        return LX_FILE_E_COPY;
    }
    uint32_t access = LX_FILE_WRITE | LX_FILE_CREATE;
    if (!failIfExists)
        access |= LX_FILE_ALWAYS;
    rc = LX_OpenFile(target, access, share, LX_INVALID_HFILE, &out);
    if (rc != 0) {
        LX_CloseFile(in);
        return rc;
    }
    SLxAsyncRequest request{};
    request.eKind = LX_ASYNC_COPY;
    request.hFile = in;
    request.hTarget = out;
    request.uiUserWord = userWord;
    request.pfnCopy = completion;
    request.pKeepGoing = keepGoing;
    rc = LX_SubmitAsyncRequest(request);
    // A request that was not queued leaves both files with us.
    if (rc != 0) {
        LX_CloseFile(in);
        LX_CloseFile(out);
    }
    return rc;
}

} // namespace

int LX_CopyFile(const char16_t* source, const char16_t* target, bool failIfExists,
                const std::atomic<int>* keepGoing, LX_PFN_ASYNC_COPY completion, uintptr_t userWord)
{
    if (!source || !target)
        return -4;
    if (keepGoing || completion)
        return copyInBackground(source, target, failIfExists, keepGoing, completion, userWord);
    return copyNow(LX_SystemPath(source), LX_SystemPath(target), failIfExists);
}

int LX_MoveFile(const char16_t* source, const char16_t* target, bool failIfExists,
                const std::atomic<int>* keepGoing, LX_PFN_ASYNC_COPY completion, uintptr_t userWord)
{
    if (!source || !target)
        return -4;
    std::string from = LX_SystemPath(source), to = LX_SystemPath(target);
    int rc;
    if (failIfExists) {
        rc = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
        // File systems without the no-replace rename: check, then rename.
        if (rc != 0 && errno == EINVAL) {
            struct stat st;
            if (lstat(to.c_str(), &st) == 0)
                return LX_FILE_E_MOVE;
            rc = rename(from.c_str(), to.c_str());
        }
    } else {
        rc = rename(from.c_str(), to.c_str());
    }
    if (rc == 0)
        return 0;
    if (errno == EXDEV)
        return LX_CopyFile(source, target, failIfExists, keepGoing, completion, userWord);
    return errno == EBUSY ? LX_FILE_E_SHARING : LX_FILE_E_MOVE;
}

int LX_ReplaceFile(const char16_t* replacement, const char16_t* target, const char16_t* backup,
                   const std::atomic<int>* keepGoing, LX_PFN_ASYNC_COPY completion,
                   uintptr_t userWord)
{
    if (!replacement || !target)
        return -4;
    if (backup && *backup) {
        int rc = LX_MoveFile(target, backup, false, keepGoing, completion, userWord);
        if (rc != 0)
            return rc;
    }
    return LX_MoveFile(replacement, target, false, keepGoing, completion, userWord);
}
