// The library's private heap: every allocation of the class library goes
// through these static members.
#pragma once

#include <cstddef>
#include <cstdint>

#include "w32_system/LxExport.h"

// Flag of Alloc and ReAlloc: zero the memory (on ReAlloc only the new tail).
#define LX_HEAP_ZERO_MEMORY 0x00000008u

struct SLxMemoryStat;

class LX_EXPORT CLxAlloc
{
  public:
    // Size 0 gives null. Null when the heap refuses. Flags: 0, or
    // LX_HEAP_ZERO_MEMORY for a zeroed block; every block is 16-byte aligned.
    static void* Alloc(uint32_t flags, size_t size);
    // null + size > 0: new block; null + 0: null; block + 0: frees, null;
    // otherwise resizes (contents kept; null on failure, the old block stays).
    // A block that is not Valid is reported and left alone (null).
    static void* ReAlloc(void* block, size_t size, uint32_t flags);
    // Null is ignored; a block that is not Valid (foreign or already freed)
    // is reported and left alone.
    static void Free(void* block);
    // Frees *block and sets it to null when both pointers are set.
    static void FreeAndSetNull(void** block);
    // The exact size asked for the block; 0 for null or a block not Valid.
    static size_t Size(const void* block);
    // True for a live block of this heap (false for null and freed blocks).
    static bool Valid(const void* block);
    // Always false.
    static bool IsBadPtr(const void* block, size_t size);
    // Non-zero while the heap is intact.
    static int CheckAllMemory();
    // Gives free memory back to the system (malloc_trim). Returns the free
    // bytes the C runtime keeps afterwards: an upper bound of its largest
    // free block, which it cannot tell cheaply.
    static size_t Compact();
    // The largest gap between the mappings of the process (from address 0 to
    // the top of the user address space).
    static size_t GetLargestVirtualContiguousBlock();
    // Always 0.
    static int CheckLeakBegin();
    static int CheckLeakEnd();

    // Never filled: null and 0.
    static SLxMemoryStat* pMemoryStats;
    static uint32_t uiMemoryStats;
};

// Always false: the library is a release build.
LX_EXPORT bool LX_IsDebug();
