// What every neighbourhood operation of CLxPicBufAPI does before and around
// its worker: the argument and kernel checks, the choice by depth, a source
// apart from the destination, and the repetition of passes.
#pragma once

#include <cstdint>
#include <functional>

#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxKernel.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace lxfilter
{

// How the kernel must fit the source.
enum class KernelRule {
    none,     // no kernel
    fits,     // given, usable, rows and columns not above the source's
    sidesFit, // given, usable, each side of the centre not above the source
};

// The checks in order: Check option 2 (-9), the kernel (-9), 1 to 7 bits (0,
// nothing to do), bits above deepest (-2), each record's memory covering
// its lines (-9), an empty picture (0, nothing to do). True when the
// operation goes on; otherwise *status is its result.
bool FrameCheck(const SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                KernelRule rule, uint32_t deepest, int* status);

// Whether the two records' memory overlaps.
bool ShareMemory(const SLxPicBuf* a, const SLxPicBuf* b);

// Slots of the thread's scratch pictures: one operation's pictures apart
// from those of the operations it calls.
enum class ScratchPicture { openClose = 20, difference = 21 };

// A picture of like's geometry over memory the thread keeps between calls,
// so large temporaries are not allocated and first touched on every call.
// The record does not own its memory (never Free it). False without memory.
template <ScratchPicture Slot> bool ThreadScratchPicture(const SLxPicBuf* like, SLxPicBuf* pic)
{
    const size_t bytes = size_t(like->uiWidthBytes) * like->uiHeight;
    uint8_t* memory = scratch<uint8_t, int(Slot)>(bytes);
    if (!memory)
        return false;
    *pic =
        SLxPicBuf{like->uiWidth,   like->uiHeight, like->uiWidthBytes, like->uiBpc, like->uiComps,
                  uint32_t(bytes), memory};
    return true;
}

// Runs work with a source that does not share dst's memory: src itself, or
// a copy of it (with dst's bytes per line when samePitch). -3 when the copy
// cannot be had.
int WithDistinctSource(SLxPicBuf* dst, const SLxPicBuf* src, bool samePitch,
                       const std::function<int(const SLxPicBuf*)>& work);

using KernelPass = std::function<int(SLxPicBuf*, const SLxPicBuf*, const SLxKernel*)>;

// count passes of pass in the repetition frame: count 0 and the checks of
// FrameCheck (kernel fitting) first; one pass straight from src into dst;
// more alternate between dst and one temporary picture of the source's
// geometry so that the last writes dst, each after the first with the
// kernel's centre mirrored on a copy. -3, dst untouched, without memory for
// the temporary; the first failing pass's status ends the run.
int RepeatPasses(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t count,
                 const KernelPass& pass);

// The kernel's centre mirrored: rows - centre row - 1, columns - centre
// column - 1.
void ReflectKernelCentre(SLxKernel* kernel);

} // namespace lxfilter
