// Labelling by union-find over runs, and packing runs into objects.
#include "gnr_picture/RLEPicBufAPI/LxRLELabelling.h"

#include <cstring>

namespace lx_rle
{

namespace
{

inline uint32_t Find(uint32_t* parent, uint32_t a)
{
    while (parent[a] != a) {
        parent[a] = parent[parent[a]];
        a = parent[a];
    }
    return a;
}

} // namespace

bool LabelRuns(SLxRLERun* runs, uint64_t runCount, const SLxRLERow* rows, uint32_t height,
               uint32_t& labels)
{
    labels = 0;
    // Rows must take their runs in order without sharing one, as a stored
    // picture does; then there is one label at most per run.
    uint64_t end = 0;
    for (uint32_t y = 0; y < height; ++y) {
        if (rows[y].uiCount == 0)
            continue;
        if (rows[y].uiFirst < end || uint64_t(rows[y].uiFirst) + rows[y].uiCount > runCount)
            return false;
        end = uint64_t(rows[y].uiFirst) + rows[y].uiCount;
    }
    if (runCount >= 0xFFFFFFFFu) // labels are 32-bit
        return false;
    HeapArray<uint32_t> parentArray;
    if (!parentArray.Reserve(runCount + 1))
        return false;
    uint32_t* parent = parentArray.data();
    parent[0] = 0;
    uint32_t next = 1;
    for (uint32_t y = 0; y < height; ++y) {
        const SLxRLERow& cur = rows[y];
        uint64_t j = 0, jEnd = 0;
        if (y > 0) {
            j = rows[y - 1].uiFirst;
            jEnd = j + rows[y - 1].uiCount;
        }
        for (uint64_t i = cur.uiFirst; i < uint64_t(cur.uiFirst) + cur.uiCount; ++i) {
            SLxRLERun& r = runs[i];
            uint64_t start = r.uiXStart, end1 = uint64_t(r.uiXStart) + r.uiXLength; // one past
            // Runs above that end left of start - 1 touch no later run either.
            while (j < jEnd && uint64_t(runs[j].uiXStart) + runs[j].uiXLength < start)
                ++j;
            uint32_t label = 0;
            for (uint64_t k = j; k < jEnd && runs[k].uiXStart <= end1; ++k) {
                if (uint64_t(runs[k].uiXStart) + runs[k].uiXLength < start)
                    continue;
                uint32_t root = Find(parent, runs[k].uiLabel);
                if (label == 0) {
                    label = root;
                } else if (root != label) {
                    // The smaller label stays the root: it is the older one.
                    if (root < label) {
                        parent[label] = root;
                        label = root;
                    } else {
                        parent[root] = label;
                    }
                }
            }
            if (label == 0) {
                label = next++;
                parent[label] = label;
            }
            r.uiLabel = label;
        }
    }
    for (uint32_t y = 0; y < height; ++y)
        for (uint64_t i = rows[y].uiFirst; i < uint64_t(rows[y].uiFirst) + rows[y].uiCount; ++i)
            runs[i].uiLabel = Find(parent, runs[i].uiLabel);
    labels = next - 1;
    return true;
}

void MakeEmptyPainted(SLxRLEPicBuf* rec, uint32_t width, uint32_t height)
{
    CLxAlloc::Free(rec->pObjects);
    CLxAlloc::Free(rec->pRuns);
    CLxAlloc::Free(rec->pRows);
    uint32_t custom = rec->uiCustomDataSize;
    CLxRLEPicBufAPI::Init(rec, custom, true);
    rec->uiWidth = width;
    rec->uiHeight = height;
}

namespace
{

struct Slot {
    uint64_t offset;  // of the object in the area
    uint32_t cursor;  // next free byte, from the object's start
    uint32_t segment; // offset of the open segment
    uint32_t lastY;
    uint32_t segments;
    uint32_t runs;
    uint32_t left, top, right, bottom;
    bool started;
};

} // namespace

int BuildObjects(SLxRLEPicBuf* rec, const SLxRLERun* runs, const SLxRLERow* rows, uint32_t height,
                 const ObjectPlan& plan, uint32_t width, uint32_t recHeight)
{
    HeapArray<Slot> slotArray;
    if (!slotArray.Assign(plan.slotCount,
                          Slot{0, 0, 0, 0, 0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0, false})) {
        MakeEmptyPainted(rec, width, recHeight);
        return -9;
    }
    Slot* slots = slotArray.data();
    // Sizes first, so that the area is allocated once.
    for (uint32_t y = 0; y < height; ++y)
        for (uint64_t i = rows[y].uiFirst; i < uint64_t(rows[y].uiFirst) + rows[y].uiCount; ++i) {
            Slot& s = slots[plan.slotOfLabel[runs[i].uiLabel]];
            if (!s.started || s.lastY != runs[i].uiY) {
                ++s.segments;
                s.lastY = runs[i].uiY;
                s.started = true;
            }
            ++s.runs;
        }
    uint64_t total = 0;
    uint32_t custom = rec->uiCustomDataSize;
    for (uint32_t k = 0; k < plan.slotCount; ++k) {
        slots[k].offset = total;
        slots[k].cursor = kHeader;
        slots[k].started = false;
        total += kHeader + 8 * uint64_t(slots[k].segments) + 8 * uint64_t(slots[k].runs) + custom;
        if (total > 0xFFFFFFFFu) {
            MakeEmptyPainted(rec, width, recHeight);
            return -9;
        }
    }
    uint8_t* area =
        total ? static_cast<uint8_t*>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, total)) : nullptr;
    if (total && !area) {
        MakeEmptyPainted(rec, width, recHeight);
        return -9;
    }
    for (uint32_t y = 0; y < height; ++y)
        for (uint64_t i = rows[y].uiFirst; i < uint64_t(rows[y].uiFirst) + rows[y].uiCount; ++i) {
            const SLxRLERun& run = runs[i];
            Slot& s = slots[plan.slotOfLabel[run.uiLabel]];
            uint8_t* obj = area + s.offset;
            if (!s.started || s.lastY != run.uiY) {
                s.segment = s.cursor;
                Store32(obj, s.segment, run.uiY);
                s.cursor += 8;
                s.lastY = run.uiY;
                s.started = true;
            }
            Store32(obj, s.segment + 4, Load32(obj, s.segment + 4) + 1);
            Store32(obj, s.cursor, run.uiXStart);
            Store32(obj, s.cursor + 4, run.uiXLength);
            s.cursor += 8;
            uint32_t right = run.uiXLength ? run.uiXStart + run.uiXLength - 1 : run.uiXStart;
            s.left = run.uiXStart < s.left ? run.uiXStart : s.left;
            s.right = right > s.right ? right : s.right;
            s.top = run.uiY < s.top ? run.uiY : s.top;
            s.bottom = run.uiY > s.bottom ? run.uiY : s.bottom;
        }
    for (uint32_t k = 0; k < plan.slotCount; ++k) {
        const Slot& s = slots[k];
        uint8_t* obj = area + s.offset;
        Store32(obj, kID, plan.ids ? plan.ids[k] : k + 1);
        Store32(obj, kLeft, s.runs ? s.left : 0);
        Store32(obj, kTop, s.runs ? s.top : 0);
        Store32(obj, kRight, s.right);
        Store32(obj, kBottom, s.bottom);
        Store32(obj, kSize, s.cursor + custom);
        Store32(obj, kSegCount, s.segments);
        Store32(obj, kLastSeg, s.segments ? s.segment : 0);
        if (plan.sources && plan.sources[k]) {
            const uint8_t* src = plan.sources[k];
            Store32(obj, kStatus, Load32(src, kStatus));
            Store32(obj, kFill, Load32(src, kFill));
            Store32(obj, kDraw, Load32(src, kDraw));
            obj[kStyle] = src[kStyle];
        }
    }
    // Only now is the old content (which sources may point into) released.
    MakeEmptyPainted(rec, width, recHeight);
    rec->pObjects = area;
    rec->uiObjectCount = plan.slotCount;
    rec->uiObjectSize = uint32_t(total);
    rec->uiLastObjectOffset = plan.slotCount ? uint32_t(slots[plan.slotCount - 1].offset) : 0;
    return 0;
}

} // namespace lx_rle
