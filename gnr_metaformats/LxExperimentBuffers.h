// The buffers of an experiment level's loop records, made and released the
// one way that SLxExperiment::Uninit expects: numbers and pointers as plain
// zero-filled heap blocks, texts as arrays of constructed CLxStringW.
#pragma once

#include <cstdint>

#include "gnr_metaformats/LxRecordArray.h"
#include "gnr_system/string/LxString.h"
#include "w32_system/memory/LxAlloc.h"

namespace lx_meta
{

// n zeros, or null for 0 or without memory.
template <class T> T* NewNumbers(uint32_t n)
{
    return n ? static_cast<T*>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, size_t(n) * sizeof(T)))
             : nullptr;
}

template <class T> void FreeNumbers(T*& p)
{
    CLxAlloc::Free(p);
    p = nullptr;
}

// n empty texts, or null for 0 or without memory.
inline CLxStringW* NewTexts(uint32_t n)
{
    return NewArray<CLxStringW>(n);
}

inline void FreeTexts(CLxStringW*& p)
{
    DeleteArray(p);
    p = nullptr;
}

} // namespace lx_meta
