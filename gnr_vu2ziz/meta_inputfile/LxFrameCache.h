// The process-wide cache of loaded frames, shared by every open document.
//
// It bounds the memory frames take by a third of the physical memory and by
// 8000 frames, and makes room by dropping the frame loaded earliest (a read
// does not refresh it); a document loads a dropped frame again from its
// file. A document holds one slot per frame: null, or the frame's item.
//
// One process-wide lock guards the table, the totals and every slot, so
// documents on different threads may share the cache. A frame being loaded
// or copied out is pinned and is never dropped; when every frame is pinned a
// new one is admitted over the budget.
#pragma once

#include <cstdint>

namespace lx_frame_cache
{

struct SLxFrameItem;
using FrameSlot = SLxFrameItem*;

// The frame in slot, pinned, or null when it is not in the cache.
SLxFrameItem* PinCached(FrameSlot& slot);
// A new pinned frame of size bytes (contents undefined) stored in the empty
// slot, after dropping earlier frames as the limits ask; null when no memory
// can be had even after dropping every unpinned frame. Null at once, nothing
// dropped, when the slot is not empty or the size is beyond the machine's
// physical memory and swap together.
SLxFrameItem* AllocatePinned(FrameSlot& slot, uint64_t size);
void Unpin(SLxFrameItem* item);
// Frees the frame in slot, if any, and clears the slot (a failed load, a
// closing document). The frame should not be pinned; if it is, it is freed
// by its last Unpin.
void Discard(FrameSlot& slot);

uint8_t* Data(const SLxFrameItem* item);
uint64_t Size(const SLxFrameItem* item);
// The clock's reading when the frame was allocated.
double LoadTime(const SLxFrameItem* item);

// What the cache asks of the machine, replaceable for tests; a null member
// keeps the system's own. Setting them (or null for all) recomputes the
// budget on the next request.
struct SLxFrameCacheSeams {
    uint64_t (*physicalMemory)(); // total physical bytes
    double (*clock)();            // load time, in ms
    bool (*memoryOverflow)();     // the single-document size probe
    bool (*allocationFails)(uint64_t size);
};
void SetSeams(const SLxFrameCacheSeams* seams);

uint32_t Count();
uint64_t Total();
uint64_t Budget(); // computes it when not yet known

} // namespace lx_frame_cache
