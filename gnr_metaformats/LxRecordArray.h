// Arrays of records with constructors on the private heap: the element
// count is kept in a header ahead of the elements, so that an array can be
// destroyed knowing only its address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "w32_system/memory/LxAlloc.h"

namespace lx_meta
{

// The header keeps the elements 16-byte aligned, as the heap's blocks are.
struct alignas(16) SArrayHeader {
    size_t count;
};

// count default-constructed elements, or null for a count of 0 or when
// storage is refused.
template <class T> T* NewArray(size_t count)
{
    if (count == 0 || count > (SIZE_MAX - sizeof(SArrayHeader)) / sizeof(T))
        return nullptr;
    void* block = CLxAlloc::Alloc(0, sizeof(SArrayHeader) + count * sizeof(T));
    if (!block)
        return nullptr;
    static_cast<SArrayHeader*>(block)->count = count;
    T* items = reinterpret_cast<T*>(static_cast<SArrayHeader*>(block) + 1);
    for (size_t i = 0; i < count; ++i)
        new (items + i) T();
    return items;
}

// Destroys and frees an array made by NewArray; null does nothing.
template <class T> void DeleteArray(T* items)
{
    if (!items)
        return;
    SArrayHeader* header = reinterpret_cast<SArrayHeader*>(items) - 1;
    for (size_t i = header->count; i > 0; --i)
        items[i - 1].~T();
    CLxAlloc::Free(header);
}

} // namespace lx_meta
