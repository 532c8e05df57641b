// The bounded frame cache: a flat table of items in load order, emptied from
// the earliest-loaded frame. Frames are dropped in load order on purpose (a
// read does not refresh them): cheap to keep and predictable for a viewer that
// walks a document once.
#include "LxFrameCache.h"

#include <cstddef>
#include <cstring>
#include <mutex>
#include <new>

#include "w32_system/LxSysInfo.h"
#include "w32_system/memory/LxAlloc.h"
#include "w32_system/timer/LxTimer.h"

namespace lx_frame_cache
{

// The item heads the block that holds its frame; the alignment keeps the
// pixels on the heap's 16-byte boundary.
struct alignas(16) SLxFrameItem {
    double loadTime;
    uint64_t size;
    FrameSlot* owner; // null once discarded while pinned
    uint32_t pins;
    SLxFrameItem* nextDropped; // out of the table, waiting to be freed
};

namespace
{

constexpr uint32_t kMaxItems = 8000;
constexpr uint32_t kTableGrowth = 32;
constexpr uint32_t kNone = UINT32_MAX;

// A function-local std::mutex is constant-initialised and never destroyed
// (its destructor is trivial), so the cache works from other static
// initialisers and destructors and after a late dlopen.
std::mutex& cacheLock()
{
    static std::mutex lock;
    return lock;
}

// Everything below is guarded by cacheLock() and zero at load.
SLxFrameItem** g_items;
uint32_t g_count;
uint32_t g_capacity;
uint64_t g_total;
uint64_t g_budget;
uint64_t g_largestFrame;
bool g_limitsKnown;
SLxFrameCacheSeams g_seams;

uint8_t* pixelsOf(const SLxFrameItem* item)
{
    return reinterpret_cast<uint8_t*>(const_cast<SLxFrameItem*>(item)) + sizeof(SLxFrameItem);
}

double now()
{
    return g_seams.clock ? g_seams.clock() : LX_GetTimeCounter();
}

// The probe reads the system's figures from files: asked without the lock,
// so that threads loading frames never queue behind it.
bool memoryOverflow()
{
    bool (*probe)() = nullptr;
    {
        std::lock_guard<std::mutex> hold(cacheLock());
        probe = g_seams.memoryOverflow;
    }
    return probe ? probe() : LX_CheckSingleDocumentSizeOverflow(0, nullptr, false);
}

bool allocationFails(uint64_t size)
{
    return g_seams.allocationFails && g_seams.allocationFails(size);
}

// 33 percent of the physical memory, exact for any 64-bit total.
uint64_t budgetOf(uint64_t physical)
{
    return physical / 100 * 33 + physical % 100 * 33 / 100;
}

void computeLimits()
{
    if (g_limitsKnown)
        return;
    uint64_t physical = 0, swap = 0;
    LX_GetMemoryStatus(&physical, nullptr, nullptr, nullptr, &swap, nullptr);
    // No system can give a frame beyond its memory and swap; refusing one at
    // once keeps the cache from dropping every frame for nothing.
    g_largestFrame = physical ? physical + swap : UINT64_MAX;
    if (g_largestFrame > SIZE_MAX - sizeof(SLxFrameItem))
        g_largestFrame = SIZE_MAX - sizeof(SLxFrameItem);
    if (g_seams.physicalMemory)
        physical = g_seams.physicalMemory();
    g_budget = budgetOf(physical);
    g_limitsKnown = true;
}

bool mustMakeRoom(uint64_t size, bool overflow)
{
    if (g_count == 0)
        return false;
    const bool fits =
        g_count + 1 < kMaxItems && g_total < g_budget && size < g_budget - g_total && !overflow;
    return !fits;
}

// The earliest-loaded unpinned frame; among equal times the earlier one in
// the table. kNone when every frame is pinned.
uint32_t evictionCandidate()
{
    double best = now();
    uint32_t earliest = kNone, firstUnpinned = kNone;
    for (uint32_t i = 0; i < g_count; ++i) {
        const SLxFrameItem* item = g_items[i];
        if (item->pins)
            continue;
        if (firstUnpinned == kNone)
            firstUnpinned = i;
        if (item->loadTime < best) {
            best = item->loadTime;
            earliest = i;
        }
    }
    return earliest != kNone ? earliest : firstUnpinned;
}

// Takes the item out of the table and the total; the block stays.
SLxFrameItem* detachAt(uint32_t index)
{
    SLxFrameItem* item = g_items[index];
    g_total -= item->size;
    std::memmove(g_items + index, g_items + index + 1, (g_count - index - 1) * sizeof(*g_items));
    --g_count;
    return item;
}

// Frames dropped under the lock, freed once it is released (declared before
// the lock guard): giving a large block back to the system takes about as
// long as filling it, and other threads should not wait for that.
class CDroppedBlocks
{
  public:
    CDroppedBlocks() = default;
    ~CDroppedBlocks() { FreeAll(); }
    CDroppedBlocks(const CDroppedBlocks&) = delete;
    CDroppedBlocks& operator=(const CDroppedBlocks&) = delete;

    void Add(SLxFrameItem* item)
    {
        item->nextDropped = m_first;
        m_first = item;
    }
    bool Empty() const { return !m_first; }
    void FreeAll()
    {
        while (SLxFrameItem* item = m_first) {
            m_first = item->nextDropped;
            item->~SLxFrameItem();
            CLxAlloc::Free(item);
        }
    }

  private:
    SLxFrameItem* m_first = nullptr;
};

void removeAt(uint32_t index, CDroppedBlocks& dropped)
{
    dropped.Add(detachAt(index));
}

void remove(SLxFrameItem* item, CDroppedBlocks& dropped)
{
    for (uint32_t i = g_count; i-- > 0;)
        if (g_items[i] == item) {
            removeAt(i, dropped);
            return;
        }
}

void evict(uint32_t index, CDroppedBlocks& dropped)
{
    if (FrameSlot* owner = g_items[index]->owner)
        *owner = nullptr;
    removeAt(index, dropped);
}

// Drops the frame at index but keeps its block for the next frame.
SLxFrameItem* evictKeepingBlock(uint32_t index)
{
    if (FrameSlot* owner = g_items[index]->owner)
        *owner = nullptr;
    return detachAt(index);
}

bool growTable()
{
    const uint32_t capacity = g_capacity + kTableGrowth;
    const size_t bytes = size_t(capacity) * sizeof(*g_items);
    if (allocationFails(bytes))
        return false;
    auto** grown = static_cast<SLxFrameItem**>(CLxAlloc::Alloc(0, bytes));
    if (!grown)
        return false;
    if (g_count)
        std::memcpy(grown, g_items, g_count * sizeof(*g_items));
    CLxAlloc::Free(g_items);
    g_items = grown;
    g_capacity = capacity;
    return true;
}

// The new frame in block (null: a new block); null when the table or the
// block cannot be had.
SLxFrameItem* add(FrameSlot& slot, uint64_t size, void* block)
{
    if (g_count == g_capacity && !growTable())
        return nullptr;
    if (!block) {
        if (allocationFails(size))
            return nullptr;
        block = CLxAlloc::Alloc(0, sizeof(SLxFrameItem) + size_t(size));
        if (!block)
            return nullptr;
    }
    auto* item = new (block) SLxFrameItem{now(), size, &slot, 1, nullptr};
    g_items[g_count++] = item;
    g_total += size;
    slot = item;
    return item;
}

} // namespace

SLxFrameItem* PinCached(FrameSlot& slot)
{
    std::lock_guard<std::mutex> hold(cacheLock());
    if (slot)
        ++slot->pins;
    return slot;
}

SLxFrameItem* AllocatePinned(FrameSlot& slot, uint64_t size)
{
    const bool overflow = memoryOverflow();
    CDroppedBlocks dropped;
    std::lock_guard<std::mutex> hold(cacheLock());
    computeLimits();
    if (slot || size > g_largestFrame)
        return nullptr;
    // A dropped frame of the same size lends its block to the new one: its
    // pages are already mapped, and a fresh block would fault every page in.
    SLxFrameItem* reused = nullptr;
    while (mustMakeRoom(size, overflow)) {
        const uint32_t candidate = evictionCandidate();
        if (candidate == kNone)
            break; // every frame is in use: admit over the limits
        if (!reused && g_items[candidate]->size == size)
            reused = evictKeepingBlock(candidate);
        else
            evict(candidate, dropped);
    }
    if (reused) {
        if (SLxFrameItem* item = add(slot, size, reused))
            return item;
        dropped.Add(reused);
    }
    // Out of memory: free what was dropped, else drop one more frame, and
    // try again.
    for (;;) {
        if (SLxFrameItem* item = add(slot, size, nullptr))
            return item;
        if (dropped.Empty()) {
            const uint32_t candidate = evictionCandidate();
            if (candidate == kNone)
                return nullptr;
            evict(candidate, dropped);
        }
        dropped.FreeAll();
    }
}

void Unpin(SLxFrameItem* item)
{
    CDroppedBlocks dropped;
    std::lock_guard<std::mutex> hold(cacheLock());
    if (!item || item->pins == 0)
        return;
    if (--item->pins == 0 && !item->owner)
        remove(item, dropped);
}

void Discard(FrameSlot& slot)
{
    CDroppedBlocks dropped;
    std::lock_guard<std::mutex> hold(cacheLock());
    SLxFrameItem* item = slot;
    if (!item)
        return;
    slot = nullptr;
    item->owner = nullptr;
    if (item->pins == 0)
        remove(item, dropped);
}

uint8_t* Data(const SLxFrameItem* item)
{
    return pixelsOf(item);
}

uint64_t Size(const SLxFrameItem* item)
{
    return item->size;
}

double LoadTime(const SLxFrameItem* item)
{
    return item->loadTime;
}

void SetSeams(const SLxFrameCacheSeams* seams)
{
    std::lock_guard<std::mutex> hold(cacheLock());
    g_seams = seams ? *seams : SLxFrameCacheSeams{};
    g_limitsKnown = false;
}

uint32_t Count()
{
    std::lock_guard<std::mutex> hold(cacheLock());
    return g_count;
}

uint64_t Total()
{
    std::lock_guard<std::mutex> hold(cacheLock());
    return g_total;
}

uint64_t Budget()
{
    std::lock_guard<std::mutex> hold(cacheLock());
    computeLimits();
    return g_budget;
}

} // namespace lx_frame_cache
