// Run-length object pictures for tests: an owning record, objects read
// back as plain values, and objects written from lists of runs.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"

class RLEPicture
{
  public:
    explicit RLEPicture(bool painted = true, uint32_t custom = 0)
    {
        CLxRLEPicBufAPI::Init(&rec, custom, painted);
    }
    ~RLEPicture() { CLxRLEPicBufAPI::Free(&rec); }
    RLEPicture(const RLEPicture&) = delete;
    RLEPicture& operator=(const RLEPicture&) = delete;

    SLxRLEPicBuf* get() { return &rec; }
    SLxRLEPicBuf* operator->() { return &rec; }

    SLxRLEPicBuf rec;
};

// (y, xStart, xLength)
using RunTriple = std::tuple<uint32_t, uint32_t, uint32_t>;

inline SLxRLEObject Header(const SLxRLEObject* obj)
{
    SLxRLEObject h;
    std::memcpy(&h, obj, sizeof h);
    return h;
}

inline uint32_t Word(const void* p, size_t offset)
{
    uint32_t v;
    std::memcpy(&v, static_cast<const uint8_t*>(p) + offset, 4);
    return v;
}

// The runs of an object through the public segment walk.
inline std::vector<RunTriple> RunsOf(const SLxRLEObject* obj)
{
    std::vector<RunTriple> runs;
    uint32_t segments = Header(obj).uiRowSegmentCount;
    const SLxRowSegment* seg = nullptr;
    for (uint32_t s = 0; s < segments; ++s) {
        seg = CLxRLEPicBufAPI::GetNextRowSegment(obj, seg);
        if (!seg)
            break;
        uint32_t y = Word(seg, 0), count = Word(seg, 4);
        for (uint32_t i = 0; i < count; ++i)
            runs.emplace_back(y, Word(seg, 8 + 8 * i), Word(seg, 12 + 8 * i));
    }
    return runs;
}

inline std::vector<const SLxRLEObject*> ObjectsOf(const SLxRLEPicBuf* rec)
{
    std::vector<const SLxRLEObject*> out;
    for (const SLxRLEObject* o = CLxRLEPicBufAPI::GetNextRLEObject(rec, nullptr); o;
         o = CLxRLEPicBufAPI::GetNextRLEObject(rec, o))
        out.push_back(o);
    return out;
}

inline std::vector<uint32_t> IdsOf(const SLxRLEPicBuf* rec)
{
    std::vector<uint32_t> ids;
    for (const SLxRLEObject* o : ObjectsOf(rec))
        ids.push_back(Header(o).uiID);
    return ids;
}

// Writes one object of the given runs (sorted by row, then x) as bytes,
// bounding box exact, with custom bytes of zero at its end.
inline std::vector<uint8_t> MakeObject(uint32_t id, const std::vector<RunTriple>& runs,
                                       uint32_t custom = 0, uint32_t status = 0)
{
    std::vector<uint8_t> bytes(49, 0);
    auto put = [&](size_t at, uint32_t v) {
        if (bytes.size() < at + 4)
            bytes.resize(at + 4);
        std::memcpy(bytes.data() + at, &v, 4);
    };
    uint32_t left = UINT32_MAX, top = UINT32_MAX, right = 0, bottom = 0, segments = 0, last = 0;
    size_t segAt = 0;
    for (size_t i = 0; i < runs.size(); ++i) {
        auto [y, x, n] = runs[i];
        if (i == 0 || std::get<0>(runs[i - 1]) != y) {
            segAt = bytes.size();
            put(segAt, y);
            put(segAt + 4, 0);
            last = uint32_t(segAt);
            ++segments;
        }
        put(segAt + 4, Word(bytes.data(), segAt + 4) + 1);
        size_t at = bytes.size();
        put(at, x);
        put(at + 4, n);
        left = std::min(left, x);
        right = std::max(right, x + n - 1);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    bytes.resize(bytes.size() + custom, 0);
    put(0, id);
    put(4, runs.empty() ? 0 : left);
    put(8, runs.empty() ? 0 : top);
    put(12, right);
    put(16, bottom);
    put(20, uint32_t(bytes.size()));
    put(24, segments);
    put(28, last);
    put(32, status);
    return bytes;
}

inline const SLxRLEObject* AsObject(const std::vector<uint8_t>& bytes)
{
    return reinterpret_cast<const SLxRLEObject*>(bytes.data());
}

// Pixel set of the runs.
inline std::vector<std::pair<uint32_t, uint32_t>> PixelsOf(const std::vector<RunTriple>& runs)
{
    std::vector<std::pair<uint32_t, uint32_t>> px;
    for (auto [y, x, n] : runs)
        for (uint32_t i = 0; i < n; ++i)
            px.emplace_back(x + i, y);
    return px;
}
