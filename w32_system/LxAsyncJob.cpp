// The steps of background requests: one chunk of a read, write or copy and
// the report of its outcome.
#include "w32_system/LxAsyncJob.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "w32_system/LxFileInternal.h"

namespace
{

uint32_t lowWord(uint64_t value)
{
    return uint32_t(value);
}

uint32_t highWord(uint64_t value)
{
    return uint32_t(value >> 32);
}

// Moves up to count bytes at offset, going on after short transfers and
// interruptions until all is moved or nothing more moves (the end of the
// file for a read); *moved counts the bytes moved. False on an error.
// Positioned transfers leave the file pointer alone, so a caller's own
// reads of the file are not disturbed.
template <class Byte, class Transfer>
bool transferAt(int fd, Byte* buffer, uint32_t count, uint64_t offset, uint32_t* moved,
                Transfer transfer)
{
    *moved = 0;
    while (*moved < count) {
        ssize_t n = transfer(fd, buffer + *moved, count - *moved, off_t(offset + *moved));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0;
        *moved += uint32_t(n);
    }
    return true;
}

bool stepTransfer(SLxAsyncJob& job)
{
    SLxAsyncRequest& r = job.request;
    const bool reading = r.eKind == LX_ASYNC_READ;
    auto report = [&](int status) {
        if (r.pfnReadWrite)
            r.pfnReadWrite(status, r.uiCount - job.uiRemaining, r.uiUserWord);
    };
    const uint32_t asked = std::min(kLxAsyncChunk, job.uiRemaining);
    const int fd = LX_FdOf(r.hFile);
    // Each step stands for a seek and a transfer: a handle that is not an
    // open file, or an offset beyond the file's range, is the seek's failure.
    if (fd < 0 || r.ui64Offset > uint64_t(INT64_MAX) - asked) {
        report(LX_FILE_E_SEEK);
        return false;
    }
    auto* bytes = static_cast<unsigned char*>(r.pBuffer);
    uint32_t moved = 0;
    bool ok = reading ? transferAt(fd, bytes, asked, r.ui64Offset, &moved, pread)
                      : transferAt(fd, static_cast<const unsigned char*>(bytes), asked,
                                   r.ui64Offset, &moved, pwrite);
    if (moved) {
        r.pBuffer = bytes + moved;
        r.ui64Offset += moved;
        job.uiRemaining -= moved;
    }
    if (!ok || (!reading && moved < asked)) {
        report(!ok && errno == EBADF && fcntl(fd, F_GETFD) < 0
                   ? LX_FILE_E_SEEK
                   : (reading ? LX_FILE_E_READ : LX_FILE_E_WRITE));
        return false;
    }
    // A read that comes short has met the end of the file: more steps would
    // only read nothing, so the request is done with what it got.
    if (job.uiRemaining == 0 || moved < asked) {
        report(0);
        return false;
    }
    report(LX_FILE_ASYNC_MORE);
    return true;
}

bool stepCopy(SLxAsyncJob& job)
{
    SLxAsyncRequest& r = job.request;
    uint64_t size = 0;
    auto report = [&](int status) {
        if (r.pfnCopy)
            r.pfnCopy(status, lowWord(size), highWord(size), lowWord(job.ui64Copied),
                      highWord(job.ui64Copied), r.uiUserWord);
    };
    // Every failure ends the copy: its status is the last report.
    int rc = LX_GetFileSize(r.hFile, &size);
    uint32_t got = 0;
    if (rc == 0)
        rc = LX_ReadFile(r.hFile, job.copyBuffer.get(), kLxAsyncChunk, &got, nullptr);
    if (rc == 0 && got)
        rc = LX_WriteFile(r.hTarget, job.copyBuffer.get(), got, nullptr, nullptr);
    if (rc != 0) {
        report(rc);
        return false;
    }
    job.ui64Copied += got;
    if (got < kLxAsyncChunk) {
        report(0);
        return false;
    }
    report(LX_FILE_ASYNC_MORE);
    if (r.pKeepGoing && r.pKeepGoing->load() == 0) {
        report(LX_FILE_ASYNC_CANCELLED);
        return false;
    }
    return true;
}

} // namespace

SLxAsyncJob::SLxAsyncJob(const SLxAsyncRequest& r) : request(r), uiRemaining(r.uiCount) {}

SLxAsyncJob::~SLxAsyncJob()
{
    if (bOwnsFiles) {
        LX_CloseFile(request.hFile);
        LX_CloseFile(request.hTarget);
    }
}

bool SLxAsyncJob::IsTransferOf(LX_HFILE handle) const
{
    return (request.eKind == LX_ASYNC_READ || request.eKind == LX_ASYNC_WRITE) &&
           request.hFile == handle;
}

std::unique_ptr<SLxAsyncJob> LX_MakeAsyncJob(const SLxAsyncRequest& request)
{
    if (request.eKind != LX_ASYNC_READ && request.eKind != LX_ASYNC_WRITE &&
        request.eKind != LX_ASYNC_COPY)
        return nullptr;
    std::unique_ptr<SLxAsyncJob> job(new (std::nothrow) SLxAsyncJob(request));
    if (job && request.eKind == LX_ASYNC_COPY) {
        job->copyBuffer.reset(new (std::nothrow) unsigned char[kLxAsyncChunk]);
        if (!job->copyBuffer)
            job.reset();
    }
    return job;
}

void LX_ReportAsyncCancelled(SLxAsyncJob& job)
{
    const SLxAsyncRequest& r = job.request;
    if (r.pfnReadWrite)
        r.pfnReadWrite(LX_FILE_ASYNC_CANCELLED, r.uiCount - job.uiRemaining, r.uiUserWord);
}

bool LX_RunAsyncStep(SLxAsyncJob& job)
{
    switch (job.request.eKind) {
    case LX_ASYNC_READ:
    case LX_ASYNC_WRITE:
        return stepTransfer(job);
    case LX_ASYNC_COPY:
        return stepCopy(job);
    }
    return false;
}
