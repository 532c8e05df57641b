// The background request layer: reads, writes and copies carried out in
// steps of 4096 bytes by worker threads, each with a queue of its own.
// LX_ReadFile, LX_WriteFile and LX_CopyFile hand their asynchronous forms
// over here; LX_CancelAsyncIO (declared in LxFileAPI.h) lives here too.
//
// Workers: a request goes to a worker whose queue is empty, else a new
// worker is started (there is no upper limit). A worker retires by itself
// after more than 20 idle polls in a row (5 microseconds apart).
//
// Completion routines run on the worker thread without any lock of this
// layer held, so a routine may submit the next request or cancel requests.
#pragma once

#include <atomic>
#include <cstdint>

#include "w32_system/LxFileAPI.h"

enum ELxAsyncKind : int {
    LX_ASYNC_READ = 1,
    LX_ASYNC_WRITE = 2,
    LX_ASYNC_COPY = 3,
};

// Everything one request needs. Read and write use hFile, pBuffer, uiCount,
// ui64Offset and pfnReadWrite; a copy uses hFile (source), hTarget,
// pKeepGoing and pfnCopy. Both carry the caller's word.
struct SLxAsyncRequest {
    ELxAsyncKind eKind;
    LX_HFILE hFile;
    LX_HFILE hTarget;
    void* pBuffer;
    uint32_t uiCount;
    uint64_t ui64Offset;
    uintptr_t uiUserWord;
    LX_PFN_ASYNC_RW pfnReadWrite;
    LX_PFN_ASYNC_COPY pfnCopy;
    const std::atomic<int>* pKeepGoing;
};

// Queues the request: 0, or -9 when it cannot be queued (no memory, no
// thread, or the layer is detached). Nothing runs then; for a copy the
// caller still owns both files and closes them. Once queued, a copy's files
// belong to the layer, which closes them when the copy ends.
int LX_SubmitAsyncRequest(const SLxAsyncRequest& request);

// Called by LX_CloseFile before the descriptor is released (the system
// hands the same number to the next file opened): the queued reads and
// writes of the handle are removed and their routines called with -1104
// (cancelled) and the bytes done; a step of one of them that is running is
// waited for (unless the caller is a worker's routine). Afterwards no byte
// of these requests moves.
void LX_AsyncIOFileClosing(LX_HFILE handle);

// Process attach: opens the layer for submissions and makes sure its lock
// exists. False when the lock cannot be created. Calling it again is
// harmless; the layer also works before the first call.
bool LX_AsyncIOAttach();
// Process detach: refuses further submissions, has every worker drop its
// queued requests (closing the copies' files, without routine calls) and
// waits up to 3 seconds for the workers to end. LX_AsyncIOAttach opens the
// layer again.
void LX_AsyncIODetach();

// Number of live worker threads.
int LX_AsyncWorkerCount();
