// The platform layer's attach and detach step. The library runs it on its own
// when it is loaded and unloaded; callers never need to.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"
#include "w32_system/LxTypes.h"

// Notification reasons.
enum : uint32_t {
    LX_PROCESS_DETACH = 0,
    LX_PROCESS_ATTACH = 1,
    LX_THREAD_ATTACH = 2,
    LX_THREAD_DETACH = 3,
};

// In this order:
//  1. the background request layer: attach opens it for requests; detach
//     refuses new requests, drops the queued ones (closing the files of
//     copies, without routine calls) and waits up to 3 seconds for its
//     workers to end;
//  2. detach: the timers' detach step;
//  3. attach: the timers' attach step (the processor's time-stamp counter is
//     detected, the time counter's resolution noted).
// Thread notifications do nothing. Running it again is harmless: attach
// after detach opens the request layer again.
// module and reserved are not used. True; false when the request layer's
// lock cannot be created at process attach.
LX_EXPORT bool LX_W32SystemAttachDetach(LX_HMODULE module, uint32_t reason, void* reserved);
