// Growable byte buffers. CLxByteArray keeps its bytes on the private heap;
// CLxByteArrayW32 is the same buffer on the C runtime heap (it carries
// resource data). Sizes are unsigned 32-bit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "w32_system/LxExport.h"

// Where SetData writes: append after the used size; any other value writes
// from offset 0.
enum ELxByteArrayModeOp {
    eLxByteArrayOpFromStart = 0,
    eLxByteArrayOpAppend = 1,
};

// How SetData grows the storage: never (the copy is cut to the capacity), in
// whole increments, or (any other value) to the exact size needed.
enum ELxByteArrayModeAlloc {
    eLxByteArrayAllocExact = 0,
    eLxByteArrayAllocNever = 1,
    eLxByteArrayAllocIncrement = 2,
};

// Status codes of the byte arrays.
enum : int {
    LX_BYTEARRAY_OK = 0,
    LX_BYTEARRAY_NO_MEMORY = -3, // the storage could not grow
    LX_BYTEARRAY_BAD_POSITION = -4,
    LX_BYTEARRAY_PART_COPIED = -8, // only part of the bytes fitted
    LX_BYTEARRAY_NOTHING_COPIED = -9,
};

// Storage of CLxByteArray: the private heap.
class LX_EXPORT CLxByteArrayHeapStorage
{
  public:
    static void* Resize(void* block, size_t size);
    static void Release(void* block);
};

// Storage of CLxByteArrayW32: the C runtime heap.
class LX_EXPORT CLxByteArrayCrtStorage
{
  public:
    static void* Resize(void* block, size_t size);
    static void Release(void* block);
};

// The buffer itself; use it through CLxByteArray or CLxByteArrayW32.
// Invariants: size <= capacity, current offset <= capacity, increment >= 1.
template <class Storage> class LX_EXPORT CLxByteArrayT
{
  public:
    // Empty; increment 1024.
    CLxByteArrayT();
    // Empty with that increment (0 is taken as 1).
    explicit CLxByteArrayT(uint32_t increment);
    // A copy of size bytes (written from 0, exact growth), with that increment.
    CLxByteArrayT(const void* data, uint32_t size, uint32_t increment);
    // The other's increment and a copy of its used bytes.
    CLxByteArrayT(const CLxByteArrayT& other);
    // Frees the own storage (the increment stays) and copies the other's used
    // bytes. Assigning an array to itself changes nothing.
    CLxByteArrayT& operator=(const CLxByteArrayT& other);
    ~CLxByteArrayT();

    // Frees the storage; data, offset, size and capacity become 0, the
    // increment stays.
    void FreeData();

    // Copies n bytes from src to the used size (append) or to 0 (from
    // start), growing the storage by the alloc mode first. A null src only
    // reserves. Writing from 0 also shortens the array to n.
    // Returns 0; -3 when the storage could not grow (also when the size would
    // pass 4 GiB), which the copy's result replaces when src is set; -8 when
    // only part of the bytes fitted; -9 when none did.
    // src may point into the array itself.
    int SetData(const void* src, uint32_t n, ELxByteArrayModeOp op, ELxByteArrayModeAlloc alloc);

    // n, or 1 when n is 0.
    void SetIncrement(uint32_t n) { m_increment = n ? n : 1; }
    uint32_t GetIncrement() const { return m_increment; }

    // The used size becomes n when n <= capacity; otherwise nothing.
    void SetSize(uint32_t n);
    uint32_t GetSize() const { return m_size; }
    // The capacity.
    uint32_t GetAllocated() const { return m_allocated; }

    // The storage (null while nothing is allocated).
    const uint8_t* GetData() const { return m_data; }
    // The storage for writing; when 0 < n <= capacity the used size becomes n
    // first, so a caller can reserve with SetData(nullptr, n, ...), write, and
    // set the size in this call.
    uint8_t* GetData(uint32_t n);

    // -4 when n > capacity; otherwise the offset becomes n and 0 is returned.
    int SetCurrentOffset(uint32_t n);
    // The offset, or 0 when it lies past the capacity.
    uint32_t GetCurrentOffset() const;
    // -4 for a null p, a null storage, or p outside [data, data + capacity];
    // otherwise SetCurrentOffset(p - data).
    int SetCurrentOffsetPtr(const void* p);
    // data + GetCurrentOffset(); null while nothing is allocated.
    uint8_t* GetCurrentOffsetPtr() const;

    // Equal used sizes and bytes; two empty arrays are equal.
    bool operator==(const CLxByteArrayT& other) const;
    bool operator!=(const CLxByteArrayT& other) const { return !(*this == other); }

  private:
    bool Grow(uint64_t capacity);

    uint8_t* m_data;
    uint32_t m_currentOffset;
    uint32_t m_size;
    uint32_t m_allocated;
    uint32_t m_increment;
};

extern template class CLxByteArrayT<CLxByteArrayHeapStorage>;
extern template class CLxByteArrayT<CLxByteArrayCrtStorage>;

// The library's byte buffer, on the private heap.
class LX_EXPORT CLxByteArray : public CLxByteArrayT<CLxByteArrayHeapStorage>
{
  public:
    using CLxByteArrayT::CLxByteArrayT;
};

// The same buffer on the C runtime heap.
class LX_EXPORT CLxByteArrayW32 : public CLxByteArrayT<CLxByteArrayCrtStorage>
{
  public:
    using CLxByteArrayT::CLxByteArrayT;
};
