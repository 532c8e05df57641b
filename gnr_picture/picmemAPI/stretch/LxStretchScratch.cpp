#include "gnr_picture/picmemAPI/stretch/LxStretchScratch.h"

#include <cstdint>

namespace lxstretch
{

namespace
{
// Per thread, so that a test's injected failure never reaches another
// thread's call.
thread_local int t_allocationsBeforeFailure = -1;
} // namespace

void failScratchAfter(int skip)
{
    t_allocationsBeforeFailure = skip;
}

void* allocScratch(size_t count, size_t size)
{
    if (t_allocationsBeforeFailure >= 0 && t_allocationsBeforeFailure-- == 0)
        return nullptr;
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
    const size_t bytes = count * size;
    return CLxAlloc::Alloc(0, bytes ? bytes : 1);
}

} // namespace lxstretch
