// Stand-in: holds every frame, drops nothing. Replaced by the bounded cache.
#include "LxFrameCache.h"

#include <cstdlib>
#include <mutex>

namespace lx_frame_cache
{

struct SLxFrameItem {
    uint8_t* data;
    uint64_t size;
    int pins;
};

namespace
{
std::mutex g_lock;
uint32_t g_count = 0;
uint64_t g_total = 0;
} // namespace

SLxFrameItem* PinCached(FrameSlot& slot)
{
    std::lock_guard<std::mutex> hold(g_lock);
    if (slot)
        ++slot->pins;
    return slot;
}

SLxFrameItem* AllocatePinned(FrameSlot& slot, uint64_t size)
{
    std::lock_guard<std::mutex> hold(g_lock);
    auto* data = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (!data)
        return nullptr;
    slot = new SLxFrameItem{data, size, 1};
    ++g_count;
    g_total += size;
    return slot;
}

void Unpin(SLxFrameItem* item)
{
    std::lock_guard<std::mutex> hold(g_lock);
    --item->pins;
}

void Discard(FrameSlot& slot)
{
    std::lock_guard<std::mutex> hold(g_lock);
    if (!slot)
        return;
    --g_count;
    g_total -= slot->size;
    std::free(slot->data);
    delete slot;
    slot = nullptr;
}

uint8_t* Data(const SLxFrameItem* item) { return item->data; }
uint64_t Size(const SLxFrameItem* item) { return item->size; }
void SetSeams(const SLxFrameCacheSeams*) {}
uint32_t Count() { return g_count; }
uint64_t Total() { return g_total; }
uint64_t Budget() { return UINT64_MAX; }

} // namespace lx_frame_cache
