// The one door from the file layer to the background request layer:
// LX_ReadFile, LX_WriteFile and LX_CopyFile hand their asynchronous forms
// over here.
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

// Queues the request: 0, or -9 when it cannot be queued (nothing runs then;
// for a copy the caller still owns both files and closes them).
int LX_SubmitAsyncRequest(const SLxAsyncRequest& request);
