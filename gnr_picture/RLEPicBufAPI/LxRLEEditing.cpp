// Hit tests, appending and deleting objects in the object area, and the
// intercept counts behind perimeter estimates.
#include <cmath>
#include <cstring>

#include "gnr_picture/RLEPicBufAPI/LxRLEBytes.h"

using namespace lx_rle;

namespace
{

bool Holds(const uint8_t* obj, uint32_t x, uint32_t y)
{
    if (y < Load32(obj, kTop) || y > Load32(obj, kBottom) || x < Load32(obj, kLeft) ||
        x > Load32(obj, kRight))
        return false;
    // Rows are found by their uiY, so objects that skip rows are safe.
    SegmentWalk seg(obj);
    while (seg.Next()) {
        if (seg.y() != y)
            continue;
        for (uint32_t i = 0; i < seg.count(); ++i) {
            uint32_t start = seg.xStart(i);
            if (x >= start && uint64_t(x) < uint64_t(start) + seg.xLength(i))
                return true;
        }
    }
    return false;
}

void Store(const uint8_t* p, uint32_t position, uint32_t* index, SLxRLEObject** obj)
{
    if (index)
        *index = position;
    if (obj)
        *obj = reinterpret_cast<SLxRLEObject*>(const_cast<uint8_t*>(p));
}

enum class IdRule { kNew, kKeep };

int Append(SLxRLEPicBuf* rec, const SLxRLEObject* object, uint32_t* index, IdRule rule,
           bool allocate)
{
    if (!rec || !object || !rec->bPainted)
        return -9;
    const uint8_t* src = reinterpret_cast<const uint8_t*>(object);
    uint32_t size = Load32(src, kSize);
    if (size < kHeader)
        return -9;
    uint64_t newSize = uint64_t(rec->uiObjectSize) + size;
    if (newSize > 0xFFFFFFFFu)
        return -9;
    uint32_t id = Load32(src, kID);
    if (rule == IdRule::kNew) {
        uint32_t largest = 0;
        ObjectWalk walk(rec);
        while (const uint8_t* p = walk.Next())
            largest = Load32(p, kID) > largest ? Load32(p, kID) : largest;
        id = largest + 1;
    }
    // The source may lie in this very area, which a reallocation moves.
    bool inside = rec->pObjects && src >= rec->pObjects && src < rec->pObjects + rec->uiObjectSize;
    uint64_t srcOffset = inside ? uint64_t(src - rec->pObjects) : 0;
    if (inside && srcOffset + size > rec->uiObjectSize)
        return -9;
    if (allocate) {
        if (CLxAlloc::Size(rec->pObjects) < newSize) {
            void* block = CLxAlloc::ReAlloc(rec->pObjects, size_t(newSize), LX_HEAP_ZERO_MEMORY);
            if (!block)
                return -9;
            rec->pObjects = static_cast<uint8_t*>(block);
        }
    } else if (!rec->pObjects || CLxAlloc::Size(rec->pObjects) < newSize) {
        return -9;
    }
    if (inside)
        src = rec->pObjects + srcOffset;
    uint8_t* dst = rec->pObjects + rec->uiObjectSize;
    std::memmove(dst, src, size);
    Store32(dst, kID, id);
    if (index)
        *index = rec->uiObjectCount;
    rec->uiLastObjectOffset = rec->uiObjectSize;
    rec->uiObjectSize = uint32_t(newSize);
    rec->uiObjectCount += 1;
    return 0;
}

// Keeps the objects whose flag is 0, moving them down in order; offsets
// are those of the walk before the change.
void Compact(SLxRLEPicBuf* rec, const HeapArray<uint32_t>& offsets, const uint8_t* remove)
{
    uint32_t write = 0, count = 0, last = 0;
    for (uint64_t i = 0; i < offsets.size(); ++i) {
        uint32_t at = offsets[i];
        uint32_t size = Load32(rec->pObjects, at + kSize);
        if (remove[i])
            continue;
        if (write != at)
            std::memmove(rec->pObjects + write, rec->pObjects + at, size);
        last = write;
        write += size;
        ++count;
    }
    rec->uiObjectCount = count;
    rec->uiObjectSize = write;
    rec->uiLastObjectOffset = count > 1 ? last : 0;
}

// Removes the objects flagged by pick(position, object); -9 when the area
// cannot be walked in full.
template <class Pick> int RemoveWhere(SLxRLEPicBuf* rec, Pick pick)
{
    HeapArray<uint32_t> offsets;
    HeapArray<uint8_t> remove;
    if (!ObjectOffsets(rec, offsets) || !remove.Assign(offsets.size(), 0))
        return -9;
    bool any = false;
    for (uint64_t i = 0; i < offsets.size(); ++i) {
        remove[i] = pick(uint32_t(i), rec->pObjects + offsets[i]) ? 1 : 0;
        any = any || remove[i];
    }
    if (any)
        Compact(rec, offsets, remove.data());
    return 0;
}

bool Editable(const SLxRLEPicBuf* rec)
{
    return rec && rec->bPainted;
}

void Count(const DecodedObject& o, uint32_t counters[4], uint32_t width, uint32_t runCount)
{
    counters[0] = runCount;
    counters[1] = counters[2] = counters[3] = 0;
    HeapArray<uint8_t> flags;
    if (!flags.Assign(2 * uint64_t(width) + 2, 0)) {
        counters[0] = 0;
        return;
    }
    // previous[x] and current[x] at x + 1, so x - 1 needs no test.
    uint8_t* previous = flags.data();
    uint8_t* current = flags.data() + width + 1;
    uint64_t previousY = 0;
    bool havePrevious = false;
    for (uint64_t r = 0; r < o.rows.size(); ++r) {
        const DecodedRow& row = o.rows[r];
        if (!havePrevious || row.y != previousY + 1)
            std::memset(previous, 0, width + 1);
        for (uint32_t i = row.first; i < row.first + row.count; ++i) {
            const DecodedRun& run = o.runs[i];
            uint32_t end = run.end < width ? run.end : width - 1;
            for (uint64_t x = run.start; width && x <= end; ++x) {
                current[x + 1] = 1;
                counters[2] += previous[x + 1] == 0;
                counters[3] += x == 0 || previous[x] == 0;
                counters[1] += x == uint64_t(width) - 1 || previous[x + 2] == 0;
            }
        }
        std::memset(previous, 0, width + 1);
        uint8_t* t = previous;
        previous = current;
        current = t;
        previousY = row.y;
        havePrevious = true;
    }
}

// The object with its holes filled: the complement, inside the bounding
// box, of the background reached 4-connected from the box's border. Only
// the object's own rows are built: a row it skips is background from left
// to right, on the border, so whatever touches it lies outside. False
// without memory or for rows out of order.
bool FillObjectHoles(const DecodedObject& o, DecodedObject& filled)
{
    filled.rows.Clear();
    filled.runs.Clear();
    if (o.runs.size() == 0)
        return true;
    uint32_t left = 0xFFFFFFFFu, right = 0;
    for (uint64_t i = 0; i < o.runs.size(); ++i) {
        left = o.runs[i].start < left ? o.runs[i].start : left;
        right = o.runs[i].end > right ? o.runs[i].end : right;
    }
    const uint64_t rowCount = o.rows.size();
    for (uint64_t r = 1; r < rowCount; ++r)
        if (o.rows[r].y <= o.rows[r - 1].y)
            return false;
    // Background runs of each object row: bgRows[r] = (y, first, count).
    HeapArray<DecodedRow> bgRows;
    HeapArray<DecodedRun> bg;
    if (!bgRows.Reserve(rowCount))
        return false;
    for (uint64_t r = 0; r < rowCount; ++r) {
        const DecodedRow& row = o.rows[r];
        DecodedRow out{row.y, uint32_t(bg.size()), 0};
        uint64_t x = left;
        for (uint32_t i = row.first; i < row.first + row.count; ++i) {
            const DecodedRun& run = o.runs[i];
            if (run.start > x) {
                if (!bg.Push(DecodedRun{uint32_t(x), run.start - 1}))
                    return false;
                ++out.count;
            }
            if (uint64_t(run.end) + 1 > x)
                x = uint64_t(run.end) + 1;
        }
        if (x <= right) {
            if (!bg.Push(DecodedRun{uint32_t(x), right}))
                return false;
            ++out.count;
        }
        bgRows.Push(out);
    }
    auto joinedAbove = [&](uint64_t r) { return r > 0 && o.rows[r - 1].y + 1 == o.rows[r].y; };
    auto joinedBelow = [&](uint64_t r) {
        return r + 1 < rowCount && o.rows[r].y + 1 == o.rows[r + 1].y;
    };
    // Flood from the border over background runs sharing a column.
    HeapArray<uint8_t> outside;
    HeapArray<uint32_t> stack, rowOf;
    if (!outside.Assign(bg.size(), 0) || !stack.Reserve(bg.size()) || !rowOf.Reserve(bg.size()))
        return false;
    for (uint64_t r = 0; r < rowCount; ++r) {
        const DecodedRow& row = bgRows[r];
        bool border = !joinedAbove(r) || !joinedBelow(r);
        for (uint32_t i = row.first; i < row.first + row.count; ++i) {
            rowOf.Push(uint32_t(r));
            if (border || bg[i].start == left || bg[i].end == right) {
                outside[i] = 1;
                stack.Push(i);
            }
        }
    }
    while (stack.size()) {
        uint32_t i = stack.Pop();
        uint64_t r = rowOf[i];
        for (int dr = -1; dr <= 1; dr += 2) {
            if ((dr < 0 && !joinedAbove(r)) || (dr > 0 && !joinedBelow(r)))
                continue;
            const DecodedRow& row = bgRows[r + dr];
            for (uint32_t j = row.first; j < row.first + row.count; ++j) {
                if (bg[j].start > bg[i].end)
                    break;
                if (bg[j].end >= bg[i].start && !outside[j]) {
                    outside[j] = 1;
                    stack.Push(j);
                }
            }
        }
    }
    // Filled rows: the box minus the outside runs.
    for (uint64_t r = 0; r < rowCount; ++r) {
        const DecodedRow& row = bgRows[r];
        DecodedRow out{row.y, uint32_t(filled.runs.size()), 0};
        uint64_t x = left;
        for (uint32_t i = row.first; i < row.first + row.count; ++i) {
            if (!outside[i])
                continue;
            if (bg[i].start > x) {
                if (!filled.runs.Push(DecodedRun{uint32_t(x), bg[i].start - 1}))
                    return false;
                ++out.count;
            }
            x = uint64_t(bg[i].end) + 1;
        }
        if (x <= right) {
            if (!filled.runs.Push(DecodedRun{uint32_t(x), right}))
                return false;
            ++out.count;
        }
        if (out.count && !filled.rows.Push(out))
            return false;
    }
    return true;
}

} // namespace

bool CLxRLEPicBufAPI::HitTest(const SLxRLEPicBuf* rec, uint32_t x, uint32_t y, uint32_t* index,
                              SLxRLEObject** obj)
{
    if (!FitsPicture(rec))
        return false;
    ObjectWalk walk(rec);
    while (const uint8_t* p = walk.Next())
        if (Holds(p, x, y)) {
            Store(p, walk.index(), index, obj);
            return true;
        }
    return false;
}

bool CLxRLEPicBufAPI::HitTestVisible(const SLxRLEPicBuf* rec, uint32_t x, uint32_t y,
                                     uint32_t* index, SLxRLEObject** obj)
{
    if (!FitsPicture(rec))
        return false;
    bool hit = false;
    ObjectWalk walk(rec);
    while (const uint8_t* p = walk.Next()) {
        uint32_t status = Load32(p, kStatus);
        if ((status & 0x40) || (hit && !(status & 0x01)) || !Holds(p, x, y))
            continue;
        Store(p, walk.index(), index, obj);
        hit = true;
        if (status & 0x01)
            return true;
    }
    return hit;
}

bool CLxRLEPicBufAPI::HitTestVisibleEx(const SLxRLEPicBuf* rec, uint32_t x, uint32_t y,
                                       uint32_t* index, SLxRLEObject** obj, double scale)
{
    if (!rec || !FitsPicture(rec))
        return false;
    if (std::fabs(scale) < 0.00001 || std::isnan(scale))
        scale = 0.00001;
    double radius = 10.0 / scale + 0.5;
    int64_t r = radius <= 0 ? 0 : radius > 1e9 ? int64_t(1e9) : int64_t(radius);
    int64_t best = r + 1;
    bool found = false;
    ObjectWalk walk(rec);
    while (const uint8_t* p = walk.Next()) {
        if (Load32(p, kStatus) & 0x40)
            continue;
        if (int64_t(x) < int64_t(Load32(p, kLeft)) - r ||
            int64_t(x) > int64_t(Load32(p, kRight)) + r ||
            int64_t(y) < int64_t(Load32(p, kTop)) - r ||
            int64_t(y) > int64_t(Load32(p, kBottom)) + r)
            continue;
        SLxContour* contour = ContourPoints(reinterpret_cast<const SLxRLEObject*>(p));
        if (!contour)
            continue;
        for (uint32_t i = 0; i < contour->uiCount; ++i) {
            int64_t dx = int64_t(contour->points[i].x) - x;
            int64_t dy = int64_t(contour->points[i].y) - y;
            int64_t d2 = dx * dx + dy * dy;
            if (d2 >= best * best)
                continue;
            best = int64_t(std::sqrt(double(d2)));
            Store(p, walk.index(), index, obj);
            found = true;
            if (best == 0) {
                CLxAlloc::Free(contour);
                return true;
            }
        }
        CLxAlloc::Free(contour);
    }
    return found;
}

int CLxRLEPicBufAPI::AddObject(SLxRLEPicBuf* rec, const SLxRLEObject* obj, uint32_t* index)
{
    return Append(rec, obj, index, IdRule::kNew, true);
}

int CLxRLEPicBufAPI::AddObjectKeepID(SLxRLEPicBuf* rec, const SLxRLEObject* obj, uint32_t* index)
{
    return Append(rec, obj, index, IdRule::kKeep, true);
}

int CLxRLEPicBufAPI::AddObjectNoAllocate(SLxRLEPicBuf* rec, const SLxRLEObject* obj)
{
    return Append(rec, obj, nullptr, IdRule::kKeep, false);
}

namespace
{

int AppendAll(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src, IdRule rule)
{
    if (!dest || !src || !FitsPicture(src))
        return -9;
    if (dest == src) {
        // Appending a record to itself walks a copy of it.
        SLxRLEPicBuf copy;
        CLxRLEPicBufAPI::Init(&copy, 0, true);
        if (CLxRLEPicBufAPI::Copy(&copy, src) != 0)
            return -9;
        AppendAll(dest, &copy, rule);
        CLxRLEPicBufAPI::Free(&copy);
        return 0;
    }
    ObjectWalk walk(src);
    while (const uint8_t* p = walk.Next())
        Append(dest, reinterpret_cast<const SLxRLEObject*>(p), nullptr, rule, true);
    return 0;
}

} // namespace

int CLxRLEPicBufAPI::AppendObjects(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src)
{
    return AppendAll(dest, src, IdRule::kNew);
}

int CLxRLEPicBufAPI::AppendObjectsKeepID(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src)
{
    return AppendAll(dest, src, IdRule::kKeep);
}

int CLxRLEPicBufAPI::DeleteObjectWithID(SLxRLEPicBuf* rec, uint32_t id)
{
    if (!Editable(rec) || !rec->pObjects)
        return -9;
    int64_t position = -1;
    ObjectWalk walk(rec);
    while (const uint8_t* p = walk.Next())
        if (Load32(p, kID) == id) {
            position = walk.index();
            break;
        }
    if (position < 0)
        return -9;
    return RemoveWhere(rec, [&](uint32_t i, const uint8_t*) { return i == position; });
}

int CLxRLEPicBufAPI::DeleteObject(SLxRLEPicBuf* rec, uint32_t index)
{
    if (!Editable(rec) || !rec->pObjects || index >= rec->uiObjectCount)
        return -9;
    return RemoveWhere(rec, [&](uint32_t i, const uint8_t*) { return i == index; });
}

int CLxRLEPicBufAPI::DeleteObject(SLxRLEPicBuf* rec, uint32_t first, uint32_t count,
                                  const int32_t* offsets)
{
    if (!Editable(rec) || !offsets || uint64_t(first) + count > rec->uiObjectCount)
        return -9;
    HeapArray<uint32_t> actual;
    if (!ObjectOffsets(rec, actual))
        return -9;
    // The table must describe the area as it is now.
    for (uint64_t i = first; i <= uint64_t(first) + count; ++i) {
        int64_t expected = i < actual.size() ? int64_t(actual[i]) : -1;
        if (offsets[i] != expected)
            return -9;
    }
    if (count == 0)
        return 0;
    return RemoveWhere(rec, [&](uint32_t i, const uint8_t*) {
        return i >= first && uint64_t(i) < uint64_t(first) + count;
    });
}

int CLxRLEPicBufAPI::DeleteObject(SLxRLEPicBuf* rec, const uint32_t* indices, uint32_t n)
{
    if (!Editable(rec) || (n && !indices))
        return -9;
    for (uint32_t k = 0; k < n; ++k)
        if (indices[k] >= rec->uiObjectCount || (k && indices[k] <= indices[k - 1]))
            return -9;
    if (n == 0)
        return 0;
    uint32_t k = 0;
    return RemoveWhere(rec, [&](uint32_t i, const uint8_t*) {
        if (k < n && indices[k] == i) {
            ++k;
            return true;
        }
        return false;
    });
}

int CLxRLEPicBufAPI::DeleteObjectsWithStatus(SLxRLEPicBuf* rec, uint32_t status)
{
    if (!Editable(rec))
        return -9;
    if (rec->uiObjectCount == 0)
        return 0;
    return RemoveWhere(rec,
                       [&](uint32_t, const uint8_t* p) { return Load32(p, kStatus) == status; });
}

void CLxRLEPicBufAPI::Projections(const SLxRLEObject* obj, uint32_t counters[4], uint32_t width)
{
    if (!counters)
        return;
    counters[0] = counters[1] = counters[2] = counters[3] = 0;
    DecodedObject o;
    if (!obj || !Decode(reinterpret_cast<const uint8_t*>(obj), o))
        return;
    uint32_t runs = 0;
    SegmentWalk seg(reinterpret_cast<const uint8_t*>(obj));
    while (seg.Next())
        runs += seg.count();
    Count(o, counters, width, runs);
}

void CLxRLEPicBufAPI::OuterProjections(const SLxRLEObject* obj, uint32_t counters[4],
                                       uint32_t width)
{
    if (!counters)
        return;
    counters[0] = counters[1] = counters[2] = counters[3] = 0;
    DecodedObject o, filled;
    if (!obj || !Decode(reinterpret_cast<const uint8_t*>(obj), o) || !FillObjectHoles(o, filled))
        return;
    Count(filled, counters, width, uint32_t(filled.runs.size()));
}
