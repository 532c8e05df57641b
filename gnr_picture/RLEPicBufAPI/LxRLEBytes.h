// The byte format of painted objects, reached through memcpy: objects lie
// back to back at any address, so no aligned pointer ever touches them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace lx_rle
{

enum : uint32_t {
    kID = 0,
    kLeft = 4,
    kTop = 8,
    kRight = 12,
    kBottom = 16,
    kSize = 20,
    kSegCount = 24,
    kLastSeg = 28,
    kStatus = 32,
    kFill = 36,
    kDraw = 40,
    kStyle = 44,
    kReserved = 45,
    kHeader = 49,
};

inline uint32_t Load32(const void* base, size_t offset)
{
    uint8_t b[4];
    std::memcpy(b, static_cast<const uint8_t*>(base) + offset, 4);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

inline void Store32(void* base, size_t offset, uint32_t v)
{
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    std::memcpy(static_cast<uint8_t*>(base) + offset, b, 4);
}

// An object as bytes; valid only for the walk that produced it.
struct Obj {
    const uint8_t* p;
    uint32_t Get(uint32_t field) const { return Load32(p, field); }
};

// The object at offset of the area when its header and its declared size
// lie inside the used bytes; null otherwise.
inline const uint8_t* ObjectAt(const SLxRLEPicBuf* rec, uint64_t offset)
{
    if (!rec || !rec->pObjects || offset + kHeader > rec->uiObjectSize)
        return nullptr;
    const uint8_t* p = rec->pObjects + offset;
    uint32_t size = Load32(p, kSize);
    if (size < kHeader || offset + size > rec->uiObjectSize)
        return nullptr;
    return p;
}

// Walks the objects in storage order within the declared bytes and count.
class ObjectWalk
{
  public:
    explicit ObjectWalk(const SLxRLEPicBuf* rec) : m_rec(rec) {}
    // The next object or null; index() is its position.
    const uint8_t* Next()
    {
        if (!m_rec || !m_rec->bPainted || m_index >= m_rec->uiObjectCount)
            return nullptr;
        const uint8_t* p = ObjectAt(m_rec, m_offset);
        if (!p)
            return nullptr;
        m_current = m_offset;
        m_offset += Load32(p, kSize);
        ++m_index;
        return p;
    }
    uint32_t index() const { return uint32_t(m_index - 1); }
    uint32_t offset() const { return uint32_t(m_current); }

  private:
    const SLxRLEPicBuf* m_rec;
    uint64_t m_offset = 0;
    uint64_t m_current = 0;
    uint64_t m_index = 0;
};

// Walks the segments of one object within its uiSize and segment count.
// Each segment's runs are (XStart, XLength) pairs from run(i).
class SegmentWalk
{
  public:
    explicit SegmentWalk(const uint8_t* obj)
        : m_obj(obj), m_size(obj ? Load32(obj, kSize) : 0), m_left(obj ? Load32(obj, kSegCount) : 0)
    {
    }
    bool Next()
    {
        if (m_left == 0)
            return false;
        uint64_t at = m_next;
        if (at + 8 > m_size)
            return false;
        uint32_t count = Load32(m_obj, at + 4);
        uint64_t end = at + 8 + uint64_t(count) * 8;
        if (end > m_size)
            return false;
        m_at = at;
        m_count = count;
        m_next = end;
        --m_left;
        return true;
    }
    uint32_t y() const { return Load32(m_obj, m_at); }
    uint32_t count() const { return m_count; }
    uint32_t xStart(uint32_t i) const { return Load32(m_obj, m_at + 8 + uint64_t(i) * 8); }
    uint32_t xLength(uint32_t i) const { return Load32(m_obj, m_at + 12 + uint64_t(i) * 8); }
    uint32_t offset() const { return uint32_t(m_at); }
    uint32_t end() const { return uint32_t(m_next); }

  private:
    const uint8_t* m_obj;
    uint64_t m_size;
    uint32_t m_left;
    uint64_t m_next = kHeader;
    uint64_t m_at = 0;
    uint32_t m_count = 0;
};

// A growable array on the private heap for plain records; Push and Reserve
// report failure instead of throwing.
template <class T> class HeapArray
{
  public:
    HeapArray() = default;
    ~HeapArray() { CLxAlloc::Free(m_data); }
    HeapArray(const HeapArray&) = delete;
    HeapArray& operator=(const HeapArray&) = delete;

    bool Reserve(uint64_t n)
    {
        if (n <= m_capacity)
            return true;
        uint64_t bytes = n * sizeof(T);
        if (n > (uint64_t(1) << 40) / sizeof(T))
            return false;
        void* block = CLxAlloc::ReAlloc(m_data, size_t(bytes), 0);
        if (!block)
            return false;
        m_data = static_cast<T*>(block);
        m_capacity = n;
        return true;
    }
    // Size n, every element value.
    bool Assign(uint64_t n, const T& value)
    {
        if (!Reserve(n))
            return false;
        for (uint64_t i = 0; i < n; ++i)
            m_data[i] = value;
        m_size = n;
        return true;
    }
    bool Push(const T& value)
    {
        if (m_size == m_capacity && !Reserve(m_capacity < 1024 ? 1024 : m_capacity * 2))
            return false;
        m_data[m_size++] = value;
        return true;
    }
    T Pop() { return m_data[--m_size]; }
    void Clear() { m_size = 0; }
    T* data() { return m_data; }
    const T* data() const { return m_data; }
    uint64_t size() const { return m_size; }
    T& operator[](uint64_t i) { return m_data[i]; }
    const T& operator[](uint64_t i) const { return m_data[i]; }
    // Hands the block over to the caller (who frees it with CLxAlloc).
    T* Release()
    {
        T* data = m_data;
        m_data = nullptr;
        m_size = m_capacity = 0;
        return data;
    }

  private:
    T* m_data = nullptr;
    uint64_t m_size = 0;
    uint64_t m_capacity = 0;
};

// The runs of one object decoded into plain arrays: segment i is row
// rows[i].y with runs[rows[i].first ..] as inclusive [start, end] pairs.
struct DecodedRow {
    uint32_t y;
    uint32_t first;
    uint32_t count;
};
struct DecodedRun {
    uint32_t start;
    uint32_t end; // inclusive
};
struct DecodedObject {
    HeapArray<DecodedRow> rows;
    HeapArray<DecodedRun> runs;
    uint64_t area = 0;
};
// False without memory. Runs of length 0, and segments left without runs,
// are dropped.
bool Decode(const uint8_t* obj, DecodedObject& out);

// Whether every object a walk can reach (by count or by the last-object
// offset) has no more rows than the picture and no row longer than it, and
// a non-painted row table indexes only stored runs of such rows. Positions
// are not checked: objects may be moved out of the picture and are clipped.
// Bounds the work of every walk by the picture's size, not by the values.
bool FitsPicture(const SLxRLEPicBuf* rec);

// Clear the one-bit picture and set the bits of rec's runs, or paint rec's
// runs into a 1-16-bit picture as ConvertRLEToPicBuf does; both clip to the
// picture and do not check rec against its own size.
void PaintBinary(SLxBinPicBuf* bin, const SLxRLEPicBuf* rec);
void PaintPicture(SLxPicBuf* pic, const SLxRLEPicBuf* rec, uint32_t value);

// Offsets of the objects a walk finds; false without memory or when the
// walk ends before uiObjectCount objects.
bool ObjectOffsets(const SLxRLEPicBuf* rec, HeapArray<uint32_t>& offsets);

} // namespace lx_rle
