// One background request as the workers hold it, and the step that moves it
// on by one chunk.
#pragma once

#include <cstdint>
#include <memory>

#include "w32_system/LxAsyncIO.h"

constexpr uint32_t kLxAsyncChunk = 4096;

struct SLxAsyncJob {
    explicit SLxAsyncJob(const SLxAsyncRequest& request);
    // Closes the copy's files when the job owns them.
    ~SLxAsyncJob();
    SLxAsyncJob(const SLxAsyncJob&) = delete;
    SLxAsyncJob& operator=(const SLxAsyncJob&) = delete;

    // True for a read or write of the given file (what LX_CancelAsyncIO
    // removes; copies are left alone).
    bool IsTransferOf(LX_HFILE handle) const;

    SLxAsyncRequest request;                     // pBuffer and ui64Offset advance
    uint32_t uiRemaining;                        // read and write
    uint64_t ui64Copied = 0;                     // copy
    std::unique_ptr<unsigned char[]> copyBuffer; // copy: one chunk
    bool bOwnsFiles = false;                     // copy: set once queued
    bool bCancelled = false;                     // set under the worker's lock
    bool bReportCancel = false;                  // its file was closed: report -1104
    SLxAsyncJob* pNext = nullptr;                // queue link
};

// A job for the request, or null for an unknown kind or when out of memory.
std::unique_ptr<SLxAsyncJob> LX_MakeAsyncJob(const SLxAsyncRequest& request);

// Tells a read or write job's routine (if any) that the job was cancelled:
// -1104 with the bytes done.
void LX_ReportAsyncCancelled(SLxAsyncJob& job);

// Moves the job on by one chunk and reports to its routine (if any).
// True when the job wants another step; false when it has ended (finished,
// failed or stopped by its continue flag).
bool LX_RunAsyncStep(SLxAsyncJob& job);
