// Setup, release, copy and comparison of run-length object pictures, the
// object walks, the area sums and the diagnostic trace.
#include <cstring>

#include "gnr_picture/RLEPicBufAPI/LxRLEBytes.h"
#include "w32_system/debugging/LxDiag.h"

using namespace lx_rle;

namespace lx_rle
{

bool Decode(const uint8_t* obj, DecodedObject& out)
{
    out.rows.Clear();
    out.runs.Clear();
    out.area = 0;
    SegmentWalk seg(obj);
    while (seg.Next()) {
        DecodedRow row{seg.y(), uint32_t(out.runs.size()), 0};
        for (uint32_t i = 0; i < seg.count(); ++i) {
            uint32_t start = seg.xStart(i), length = seg.xLength(i);
            if (length == 0)
                continue;
            uint64_t end = uint64_t(start) + length - 1;
            if (end > 0xFFFFFFFEu) // keeps end + 1 in 32 bits
                end = 0xFFFFFFFEu;
            if (end < start)
                continue;
            if (!out.runs.Push(DecodedRun{start, uint32_t(end)}))
                return false;
            out.area += end - start + 1;
            ++row.count;
        }
        if (row.count && !out.rows.Push(row))
            return false;
    }
    return true;
}

namespace
{

bool ObjectFits(const uint8_t* obj, uint32_t width, uint32_t height)
{
    uint64_t rows = 0;
    SegmentWalk seg(obj);
    while (seg.Next()) {
        if (++rows > height)
            return false;
        uint64_t length = 0;
        for (uint32_t i = 0; i < seg.count(); ++i)
            length += seg.xLength(i);
        if (length > width)
            return false;
    }
    return true;
}

bool RunsFit(const SLxRLEPicBuf* rec)
{
    for (uint64_t i = 0; rec->pRuns && i < rec->uiRunCount; ++i)
        if (rec->pRuns[i].uiXLength > rec->uiWidth)
            return false;
    for (uint64_t y = 0; rec->pRows && rec->pRuns && y < rec->uiHeight; ++y) {
        const SLxRLERow& row = rec->pRows[y];
        if (row.uiCount > rec->uiWidth || uint64_t(row.uiFirst) + row.uiCount > rec->uiRunCount)
            return false;
        uint64_t length = 0;
        for (uint32_t i = 0; i < row.uiCount; ++i)
            length += rec->pRuns[row.uiFirst + i].uiXLength;
        if (length > rec->uiWidth)
            return false;
    }
    return true;
}

} // namespace

bool FitsPicture(const SLxRLEPicBuf* rec)
{
    if (!rec)
        return true;
    if (!rec->bPainted)
        return RunsFit(rec);
    // Both walks of the area: by the object count, and on to the last
    // object's offset.
    uint64_t offset = 0;
    for (uint64_t n = 0;
         n < rec->uiObjectCount || (rec->uiObjectCount && offset <= rec->uiLastObjectOffset); ++n) {
        const uint8_t* p = ObjectAt(rec, offset);
        if (!p)
            break;
        if (!ObjectFits(p, rec->uiWidth, rec->uiHeight))
            return false;
        offset += Load32(p, kSize);
    }
    return true;
}

bool ObjectOffsets(const SLxRLEPicBuf* rec, HeapArray<uint32_t>& offsets)
{
    offsets.Clear();
    // No more objects fit in the area than headers: a count beyond that is
    // found out by the walk, not allocated for.
    uint64_t fit = rec->uiObjectSize / kHeader;
    if (rec->uiObjectCount > fit)
        return false;
    if (!offsets.Reserve(uint64_t(rec->uiObjectCount) + 1))
        return false;
    ObjectWalk walk(rec);
    while (walk.Next())
        offsets.Push(walk.offset());
    return offsets.size() == rec->uiObjectCount;
}

} // namespace lx_rle

void CLxRLEPicBufAPI::Init(SLxRLEPicBuf* rec, uint32_t customDataSize, bool painted)
{
    if (!rec)
        return;
    rec->uiWidth = rec->uiHeight = 0;
    rec->uiObjectCount = rec->uiObjectSize = rec->uiLastObjectOffset = 0;
    rec->uiCustomDataSize = customDataSize;
    rec->pObjects = nullptr;
    rec->bPainted = painted ? 1 : 0;
    rec->uiRunCount = rec->uiRunCapacity = 0;
    rec->pRuns = nullptr;
    rec->pRows = nullptr;
}

int CLxRLEPicBufAPI::Reinit(SLxRLEPicBuf* rec, uint32_t width, uint32_t height)
{
    if (!rec)
        return -9;
    if (!rec->bPainted) {
        size_t oldBytes = rec->pRows ? CLxAlloc::Size(rec->pRows) : 0;
        size_t bytes = size_t(height) * sizeof(SLxRLERow);
        if (bytes == 0) {
            CLxAlloc::Free(rec->pRows);
            rec->pRows = nullptr;
        } else if (bytes != oldBytes) {
            void* block = CLxAlloc::ReAlloc(rec->pRows, bytes, LX_HEAP_ZERO_MEMORY);
            if (!block)
                return -9;
            if (bytes > oldBytes) // the zero flag is not promised for every path
                std::memset(static_cast<uint8_t*>(block) + oldBytes, 0, bytes - oldBytes);
            rec->pRows = static_cast<SLxRLERow*>(block);
        }
    }
    rec->uiWidth = width;
    rec->uiHeight = height;
    return 0;
}

void CLxRLEPicBufAPI::Free(SLxRLEPicBuf* rec)
{
    if (!rec)
        return;
    if (rec->bPainted) {
        CLxAlloc::Free(rec->pObjects);
        rec->pObjects = nullptr;
        rec->uiObjectCount = rec->uiObjectSize = rec->uiLastObjectOffset = 0;
    } else {
        CLxAlloc::Free(rec->pRuns);
        CLxAlloc::Free(rec->pRows);
        rec->pRuns = nullptr;
        rec->pRows = nullptr;
        rec->uiRunCount = rec->uiRunCapacity = 0;
    }
}

void CLxRLEPicBufAPI::ForceEqualSizeAndTypeIfDestEmpty(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src)
{
    if (!dest || !src || (dest->uiWidth != 0 && dest->uiHeight != 0))
        return;
    Free(dest);
    Init(dest, src->uiCustomDataSize, src->bPainted != 0);
    Reinit(dest, src->uiWidth, src->uiHeight);
}

int CLxRLEPicBufAPI::Copy(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src)
{
    if (!dest || !src)
        return -9;
    if (dest == src)
        return 0;
    Free(dest);
    if (!src->bPainted) {
        Init(dest, 0, false);
        dest->uiWidth = src->uiWidth;
        dest->uiHeight = src->uiHeight;
        size_t runBytes = size_t(src->uiRunCount) * sizeof(SLxRLERun);
        size_t rowBytes = size_t(src->uiHeight) * sizeof(SLxRLERow);
        void* runs = runBytes ? CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, runBytes) : nullptr;
        void* rows = rowBytes ? CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, rowBytes) : nullptr;
        if ((runBytes && (!runs || !src->pRuns)) || (rowBytes && (!rows || !src->pRows))) {
            CLxAlloc::Free(runs);
            CLxAlloc::Free(rows);
            Init(dest, 0, false);
            return -9;
        }
        if (runBytes)
            std::memcpy(runs, src->pRuns, runBytes);
        if (rowBytes)
            std::memcpy(rows, src->pRows, rowBytes);
        dest->pRuns = static_cast<SLxRLERun*>(runs);
        dest->pRows = static_cast<SLxRLERow*>(rows);
        dest->uiRunCount = src->uiRunCount;
        return 0;
    }
    Init(dest, src->uiCustomDataSize, true);
    dest->uiWidth = src->uiWidth;
    dest->uiHeight = src->uiHeight;
    if (src->uiObjectSize) {
        void* area = src->pObjects ? CLxAlloc::Alloc(0, src->uiObjectSize) : nullptr;
        if (!area) {
            Init(dest, src->uiCustomDataSize, true);
            return -9;
        }
        std::memcpy(area, src->pObjects, src->uiObjectSize);
        dest->pObjects = static_cast<uint8_t*>(area);
    }
    dest->uiObjectCount = src->uiObjectCount;
    dest->uiObjectSize = src->uiObjectSize;
    dest->uiLastObjectOffset = src->uiLastObjectOffset;
    return 0;
}

bool CLxRLEPicBufAPI::IsEqual(const SLxRLEPicBuf* a, const SLxRLEPicBuf* b)
{
    if (!a || !b || a->bPainted != b->bPainted)
        return false;
    if (!a->bPainted) {
        if (a->uiHeight != b->uiHeight || a->uiWidth != b->uiWidth ||
            a->uiRunCount != b->uiRunCount)
            return false;
        size_t runBytes = size_t(a->uiRunCount) * sizeof(SLxRLERun);
        size_t rowBytes = size_t(a->uiHeight) * sizeof(SLxRLERow);
        if (runBytes && (!a->pRuns || !b->pRuns || std::memcmp(a->pRuns, b->pRuns, runBytes)))
            return false;
        return !rowBytes || (a->pRows && b->pRows && !std::memcmp(a->pRows, b->pRows, rowBytes));
    }
    if (a->uiCustomDataSize != b->uiCustomDataSize || a->uiHeight != b->uiHeight ||
        a->uiLastObjectOffset != b->uiLastObjectOffset || a->uiObjectCount != b->uiObjectCount ||
        a->uiObjectSize != b->uiObjectSize || a->uiWidth != b->uiWidth)
        return false;
    return !a->uiObjectSize ||
           (a->pObjects && b->pObjects && !std::memcmp(a->pObjects, b->pObjects, a->uiObjectSize));
}

bool CLxRLEPicBufAPI::IsEqualSize(const SLxRLEPicBuf* a, const SLxRLEPicBuf* b)
{
    return a && b && a->uiWidth == b->uiWidth && a->uiHeight == b->uiHeight;
}

bool CLxRLEPicBufAPI::IsEqualType(const SLxRLEPicBuf* a, const SLxRLEPicBuf* b)
{
    return a && b && a->bPainted == b->bPainted;
}

SLxRLEObject* CLxRLEPicBufAPI::GetNextRLEObject(const SLxRLEPicBuf* rec, const SLxRLEObject* obj)
{
    if (!rec || !rec->pObjects || rec->uiObjectCount == 0)
        return nullptr;
    uint64_t offset = 0;
    if (obj) {
        const uint8_t* p = reinterpret_cast<const uint8_t*>(obj);
        if (p < rec->pObjects || p >= rec->pObjects + rec->uiObjectSize)
            return nullptr;
        offset = uint64_t(p - rec->pObjects);
        if (offset >= rec->uiLastObjectOffset || !ObjectAt(rec, offset))
            return nullptr;
        offset += Load32(p, kSize);
    }
    return reinterpret_cast<SLxRLEObject*>(const_cast<uint8_t*>(ObjectAt(rec, offset)));
}

SLxRowSegment* CLxRLEPicBufAPI::GetNextRowSegment(const SLxRLEObject* obj, const SLxRowSegment* seg)
{
    if (!obj)
        return nullptr;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(obj);
    uint32_t size = Load32(p, kSize);
    uint64_t offset = kHeader;
    if (seg) {
        const uint8_t* s = reinterpret_cast<const uint8_t*>(seg);
        if (s < p + kHeader || s + 8 > p + size)
            return nullptr;
        offset = uint64_t(s - p);
        if (offset >= Load32(p, kLastSeg))
            return nullptr;
        offset += 8 + uint64_t(Load32(s, 4)) * 8;
    }
    if (offset + 8 > size && seg)
        return nullptr;
    return reinterpret_cast<SLxRowSegment*>(const_cast<uint8_t*>(p + offset));
}

SLxRLEObject* CLxRLEPicBufAPI::FindObjectByIndex(const SLxRLEPicBuf* rec, uint32_t index)
{
    ObjectWalk walk(rec);
    while (const uint8_t* p = walk.Next())
        if (walk.index() == index)
            return reinterpret_cast<SLxRLEObject*>(const_cast<uint8_t*>(p));
    return nullptr;
}

SLxRLEObject* CLxRLEPicBufAPI::FindObjectByObjectID(const SLxRLEPicBuf* rec, uint32_t id)
{
    ObjectWalk walk(rec);
    while (const uint8_t* p = walk.Next())
        if (Load32(p, kID) == id)
            return reinterpret_cast<SLxRLEObject*>(const_cast<uint8_t*>(p));
    return nullptr;
}

uint8_t* CLxRLEPicBufAPI::GetCustomDataPtr(const SLxRLEObject* obj)
{
    if (!obj)
        return nullptr;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(obj);
    uint32_t end = kHeader;
    SegmentWalk seg(p);
    while (seg.Next())
        end = seg.end();
    return const_cast<uint8_t*>(p + end);
}

uint32_t CLxRLEPicBufAPI::GetRLEObjectArea(const SLxRLEObject* obj)
{
    uint32_t area = 0;
    SegmentWalk seg(reinterpret_cast<const uint8_t*>(obj));
    while (seg.Next())
        for (uint32_t i = 0; i < seg.count(); ++i)
            area += seg.xLength(i);
    return area;
}

namespace
{

uint32_t AreaOf(const SLxRLEPicBuf* rec, bool visibleOnly)
{
    if (!FitsPicture(rec))
        return 0;
    uint32_t area = 0;
    ObjectWalk walk(rec);
    while (const uint8_t* p = walk.Next())
        if (!visibleOnly || !(Load32(p, kStatus) & 0x40))
            area += CLxRLEPicBufAPI::GetRLEObjectArea(reinterpret_cast<const SLxRLEObject*>(p));
    return area;
}

} // namespace

uint32_t CLxRLEPicBufAPI::GetPictureArea(const SLxRLEPicBuf* rec)
{
    return AreaOf(rec, false);
}

uint32_t CLxRLEPicBufAPI::GetPictureVisibleArea(const SLxRLEPicBuf* rec)
{
    return AreaOf(rec, true);
}

int CLxRLEPicBufAPI::TraceRLE(const SLxRLEPicBuf* rec)
{
    if (!rec)
        return 0;
    DiagOutputExW(u"Height = %i", int(rec->uiHeight));
    DiagOutputExW(u"Width = %i", int(rec->uiWidth));
    DiagOutputExW(u"Object Count = %i", int(rec->uiObjectCount));
    DiagOutputExW(u"Object Size = %i", int(rec->uiObjectSize));
    ObjectWalk walk(rec);
    while (const uint8_t* p = walk.Next()) {
        DiagOutputExW(u"  Object ID = %i", int(Load32(p, kID)));
        DiagOutputExW(u"  Row Segment Count = %i", int(Load32(p, kSegCount)));
        SegmentWalk seg(p);
        while (seg.Next()) {
            DiagOutputExW(u"     Segment Count = %i", int(seg.count()));
            DiagOutputExW(u"     Y = %i", int(seg.y()));
            for (uint32_t i = 0; i < seg.count(); ++i) {
                DiagOutputExW(u"        XStart = %i", int(seg.xStart(i)));
                DiagOutputExW(u"        XLength = %i", int(seg.xLength(i)));
            }
        }
    }
    return 0;
}
