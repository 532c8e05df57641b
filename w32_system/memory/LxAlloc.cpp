#include "w32_system/memory/LxAlloc.h"

#include <malloc.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "w32_system/debugging/LxDiag.h"

SLxMemoryStat* CLxAlloc::pMemoryStats = nullptr;
uint32_t CLxAlloc::uiMemoryStats = 0;

namespace
{

// Every block carries its exact requested size and a tag in front of it. The
// header is 16 bytes so the caller's pointer keeps malloc's 16-byte alignment.
struct BlockHeader {
    size_t size;
    uintptr_t tag;
};
static_assert(sizeof(BlockHeader) == 16, "the header keeps 16-byte alignment");
static_assert(alignof(std::max_align_t) >= 16, "malloc must give 16-byte alignment");

constexpr uintptr_t kMagic = 0x4C78486561704F4BULL; // "LxHeapOK"
constexpr size_t kMaxRequest = SIZE_MAX - sizeof(BlockHeader);

// Mixing in the header's address keeps a stale copy of a header elsewhere
// from looking valid.
uintptr_t tagFor(const BlockHeader* header)
{
    return kMagic ^ reinterpret_cast<uintptr_t>(header);
}

BlockHeader* headerOf(const void* block)
{
    return reinterpret_cast<BlockHeader*>(const_cast<char*>(static_cast<const char*>(block)) -
                                          sizeof(BlockHeader));
}

void* userPart(BlockHeader* header)
{
    return reinterpret_cast<char*>(header) + sizeof(BlockHeader);
}

void* stamp(BlockHeader* header, size_t size)
{
    header->size = size;
    header->tag = tagFor(header);
    return userPart(header);
}

} // namespace

void* CLxAlloc::Alloc(uint32_t flags, size_t size)
{
    if (size == 0 || size > kMaxRequest)
        return nullptr;
    const size_t total = size + sizeof(BlockHeader);
    void* raw = (flags & LX_HEAP_ZERO_MEMORY) ? calloc(1, total) : malloc(total);
    return raw ? stamp(static_cast<BlockHeader*>(raw), size) : nullptr;
}

void* CLxAlloc::ReAlloc(void* block, size_t size, uint32_t flags)
{
    if (!block)
        return Alloc(flags, size);
    if (size == 0) {
        Free(block);
        return nullptr;
    }
    if (!Valid(block)) {
        LX_DIAG_ASSERT(CLxAlloc::Valid(block), u"ReAlloc of a block that is not from this heap");
        return nullptr;
    }
    if (size > kMaxRequest)
        return nullptr;
    BlockHeader* header = headerOf(block);
    const size_t oldSize = header->size;
    // realloc may move the header: a copy of the old tag must not stay valid.
    header->tag = 0;
    auto* moved = static_cast<BlockHeader*>(realloc(header, size + sizeof(BlockHeader)));
    if (!moved) {
        header->tag = tagFor(header);
        return nullptr;
    }
    void* result = stamp(moved, size);
    if ((flags & LX_HEAP_ZERO_MEMORY) && size > oldSize)
        memset(static_cast<char*>(result) + oldSize, 0, size - oldSize);
    return result;
}

void CLxAlloc::Free(void* block)
{
    if (!block)
        return;
    // Refusing a block that is not ours (or freed twice) keeps malloc's own
    // structures intact.
    if (!Valid(block)) {
        LX_DIAG_ASSERT(CLxAlloc::Valid(block), u"Free of a block that is not from this heap");
        return;
    }
    BlockHeader* header = headerOf(block);
    header->tag = 0;
    free(header);
}

void CLxAlloc::FreeAndSetNull(void** block)
{
    if (!block || !*block)
        return;
    Free(*block);
    *block = nullptr;
}

size_t CLxAlloc::Size(const void* block)
{
    return Valid(block) ? headerOf(block)->size : 0;
}

bool CLxAlloc::Valid(const void* block)
{
    if (!block || reinterpret_cast<uintptr_t>(block) % alignof(BlockHeader) != 0 ||
        reinterpret_cast<uintptr_t>(block) < sizeof(BlockHeader))
        return false;
    const BlockHeader* header = headerOf(block);
    return header->tag == tagFor(header);
}

bool CLxAlloc::IsBadPtr(const void*, size_t)
{
    return false;
}

int CLxAlloc::CheckAllMemory()
{
    // malloc offers no cheap walk of its arenas; it aborts on corruption it
    // detects itself, so a running process reports an intact heap.
    return 1;
}

size_t CLxAlloc::Compact()
{
    malloc_trim(0);
    // malloc does not tell its largest free chunk; the free bytes it keeps
    // after trimming are an upper bound of it.
    return mallinfo2().fordblks;
}

size_t CLxAlloc::GetLargestVirtualContiguousBlock()
{
    // The top of the 47-bit user address space; the vsyscall page above it
    // is not usable memory.
    const uintptr_t kUserTop = 0x7FFFFFFFFFFFULL;
    FILE* maps = fopen("/proc/self/maps", "re");
    if (!maps)
        return 0;
    char* line = nullptr;
    size_t lineCapacity = 0;
    uintptr_t previousEnd = 0;
    size_t best = 0;
    // Each line starts "start-end " in hexadecimal, in ascending order.
    while (getline(&line, &lineCapacity, maps) > 0) {
        char* rest = nullptr;
        const unsigned long long start = strtoull(line, &rest, 16);
        if (rest == line || *rest != '-')
            continue;
        char* afterEnd = nullptr;
        const unsigned long long end = strtoull(rest + 1, &afterEnd, 16);
        if (afterEnd == rest + 1 || end < start)
            continue;
        if (start >= kUserTop)
            break;
        if (start > previousEnd)
            best = std::max<size_t>(best, start - previousEnd);
        previousEnd = std::max<uintptr_t>(previousEnd, end);
    }
    free(line);
    fclose(maps);
    if (previousEnd < kUserTop)
        best = std::max<size_t>(best, kUserTop + 1 - previousEnd);
    return best;
}

int CLxAlloc::CheckLeakBegin()
{
    return 0;
}

int CLxAlloc::CheckLeakEnd()
{
    return 0;
}

bool LX_IsDebug()
{
    return false;
}
