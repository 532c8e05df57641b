#include "gnr_system/LxByteArray.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "w32_system/memory/LxAlloc.h"

namespace
{

constexpr uint32_t kDefaultIncrement = 1024;

} // namespace

void* CLxByteArrayHeapStorage::Resize(void* block, size_t size)
{
    return CLxAlloc::ReAlloc(block, size, 0);
}

void CLxByteArrayHeapStorage::Release(void* block)
{
    CLxAlloc::Free(block);
}

void* CLxByteArrayCrtStorage::Resize(void* block, size_t size)
{
    return realloc(block, size);
}

void CLxByteArrayCrtStorage::Release(void* block)
{
    free(block);
}

template <class Storage> CLxByteArrayT<Storage>::CLxByteArrayT() : CLxByteArrayT(kDefaultIncrement)
{
}

template <class Storage>
CLxByteArrayT<Storage>::CLxByteArrayT(uint32_t increment)
    : m_data(nullptr), m_currentOffset(0), m_size(0), m_allocated(0), m_increment(1)
{
    SetIncrement(increment);
}

template <class Storage>
CLxByteArrayT<Storage>::CLxByteArrayT(const void* data, uint32_t size, uint32_t increment)
    : CLxByteArrayT(increment)
{
    SetData(data, size, eLxByteArrayOpFromStart, eLxByteArrayAllocExact);
}

template <class Storage>
CLxByteArrayT<Storage>::CLxByteArrayT(const CLxByteArrayT& other)
    : CLxByteArrayT(other.m_data, other.m_size, other.m_increment)
{
}

template <class Storage>
CLxByteArrayT<Storage>& CLxByteArrayT<Storage>::operator=(const CLxByteArrayT& other)
{
    if (this != &other) {
        FreeData();
        SetData(other.m_data, other.m_size, eLxByteArrayOpFromStart, eLxByteArrayAllocExact);
    }
    return *this;
}

template <class Storage> CLxByteArrayT<Storage>::~CLxByteArrayT()
{
    FreeData();
}

template <class Storage> void CLxByteArrayT<Storage>::FreeData()
{
    Storage::Release(m_data);
    m_data = nullptr;
    m_currentOffset = 0;
    m_size = 0;
    m_allocated = 0;
}

template <class Storage> bool CLxByteArrayT<Storage>::Grow(uint64_t capacity)
{
    // Sizes are 32-bit: a capacity past that is refused, never cut short.
    if (capacity > UINT32_MAX)
        return false;
    void* grown = Storage::Resize(m_data, static_cast<size_t>(capacity));
    if (!grown)
        return false;
    m_data = static_cast<uint8_t*>(grown);
    m_allocated = static_cast<uint32_t>(capacity);
    return true;
}

template <class Storage>
int CLxByteArrayT<Storage>::SetData(const void* src, uint32_t n, ELxByteArrayModeOp op,
                                    ELxByteArrayModeAlloc alloc)
{
    const uint32_t base = op == eLxByteArrayOpAppend ? m_size : 0;
    int status = LX_BYTEARRAY_OK;
    if (n > m_allocated - base && alloc != eLxByteArrayAllocNever) {
        // The source may lie in the storage that the reallocation moves.
        const auto srcAddress = reinterpret_cast<uintptr_t>(src);
        const auto dataAddress = reinterpret_cast<uintptr_t>(m_data);
        const bool srcInside =
            m_data && srcAddress >= dataAddress && srcAddress < dataAddress + m_allocated;
        const uint64_t needed = uint64_t(base) + n;
        uint64_t capacity = needed;
        if (alloc == eLxByteArrayAllocIncrement) {
            const uint64_t steps = (needed - m_allocated) / m_increment + 1;
            capacity = m_allocated + steps * m_increment;
        }
        if (!Grow(capacity))
            status = LX_BYTEARRAY_NO_MEMORY;
        else if (srcInside)
            src = m_data + (srcAddress - dataAddress);
    }
    if (!src)
        return status;
    const uint32_t copied = std::min(n, m_allocated - base);
    if (copied == 0)
        return n > 0 ? LX_BYTEARRAY_NOTHING_COPIED : status;
    memmove(m_data + base, src, copied);
    m_size = base + copied;
    return copied < n ? LX_BYTEARRAY_PART_COPIED : status;
}

template <class Storage> void CLxByteArrayT<Storage>::SetSize(uint32_t n)
{
    if (n <= m_allocated)
        m_size = n;
}

template <class Storage> uint8_t* CLxByteArrayT<Storage>::GetData(uint32_t n)
{
    if (n > 0 && n <= m_allocated)
        m_size = n;
    return m_data;
}

template <class Storage> int CLxByteArrayT<Storage>::SetCurrentOffset(uint32_t n)
{
    if (n > m_allocated)
        return LX_BYTEARRAY_BAD_POSITION;
    m_currentOffset = n;
    return LX_BYTEARRAY_OK;
}

template <class Storage> uint32_t CLxByteArrayT<Storage>::GetCurrentOffset() const
{
    return m_currentOffset > m_allocated ? 0 : m_currentOffset;
}

template <class Storage> int CLxByteArrayT<Storage>::SetCurrentOffsetPtr(const void* p)
{
    const auto pAddress = reinterpret_cast<uintptr_t>(p);
    const auto dataAddress = reinterpret_cast<uintptr_t>(m_data);
    // Checked before narrowing: a far pointer must not wrap into range.
    if (!p || !m_data || pAddress < dataAddress || pAddress - dataAddress > m_allocated)
        return LX_BYTEARRAY_BAD_POSITION;
    return SetCurrentOffset(static_cast<uint32_t>(pAddress - dataAddress));
}

template <class Storage> uint8_t* CLxByteArrayT<Storage>::GetCurrentOffsetPtr() const
{
    return m_data ? m_data + GetCurrentOffset() : nullptr;
}

template <class Storage> bool CLxByteArrayT<Storage>::operator==(const CLxByteArrayT& other) const
{
    return m_size == other.m_size && (m_size == 0 || memcmp(m_data, other.m_data, m_size) == 0);
}

template class CLxByteArrayT<CLxByteArrayHeapStorage>;
template class CLxByteArrayT<CLxByteArrayCrtStorage>;
