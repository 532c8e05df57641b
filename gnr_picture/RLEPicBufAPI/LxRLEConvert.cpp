// Conversions between pixel pictures and the two forms of run-length object
// pictures, and the cut of a rectangle into connected pieces.
#include <algorithm>
#include <cstring>

#include "gnr_picture/BinPicBufAPI/LxBinPicBuf.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/LxRLELabelling.h"
#include "gnr_picture/RLEPicBufAPI/LxRLERowLabeller.h"

using namespace lx_rle;

namespace
{

// A one-component picture whose memory holds its lines, 1-16 bits.
bool UsablePicture(const SLxPicBuf* pic)
{
    if (!pic || pic->uiComps != 1 || pic->uiBpc == 0 || pic->uiBpc > 16)
        return false;
    if (pic->uiWidth == 0 || pic->uiHeight == 0)
        return true;
    uint64_t line = uint64_t(pic->uiWidth) * (pic->uiBpc > 8 ? 2 : 1);
    return pic->pData && pic->uiWidthBytes >= line &&
           uint64_t(pic->uiWidthBytes) * pic->uiHeight <= pic->uiSize;
}

bool UsableBinary(const SLxBinPicBuf* bin)
{
    if (!bin)
        return false;
    if (bin->uiWidth == 0 || bin->uiHeight == 0)
        return true;
    return bin->pData && bin->uiWidthBytes >= (uint64_t(bin->uiWidth) + 7) / 8 &&
           uint64_t(bin->uiWidthBytes) * bin->uiHeight <= bin->uiSize;
}

// The runs of a whole picture, row by row.
struct RunScan {
    HeapArray<SLxRLERun> runs;
    HeapArray<SLxRLERow> rows;
};

struct NonZero {
    template <class T> bool operator()(T v) const { return v != 0; }
};
struct EqualTo {
    uint32_t value;
    template <class T> bool operator()(T v) const { return v == value; }
};

// Calls emit(start, end) (end exclusive) for the runs of one line; with
// split, a run also ends where the value changes.
template <class T, class Pred, class Emit>
void ForEachLineRun(const T* line, uint32_t width, Pred fg, bool split, Emit emit)
{
    uint32_t x = 0;
    while (x < width) {
        if (std::is_same<Pred, NonZero>::value && sizeof(T) == 1) {
            // Background in words of eight bytes.
            while (x + 8 <= width) {
                uint64_t word;
                std::memcpy(&word, line + x, 8);
                if (word)
                    break;
                x += 8;
            }
        }
        while (x < width && !fg(line[x]))
            ++x;
        if (x >= width)
            break;
        uint32_t start = x;
        T v = line[x];
        ++x;
        if (split)
            while (x < width && line[x] == v)
                ++x;
        else
            while (x < width && fg(line[x]))
                ++x;
        emit(start, x);
    }
}

// Appends the runs of one line, labelled with their value when split.
template <class T, class Pred>
bool ScanLine(const T* line, uint32_t width, uint32_t y, Pred fg, bool split, RunScan& scan)
{
    bool ok = true;
    ForEachLineRun(line, width, fg, split, [&](uint32_t start, uint32_t end) {
        if (ok &&
            scan.runs.Push(SLxRLERun{split ? uint32_t(line[start]) : 0u, y, start, end - start}))
            ++scan.rows[y].uiCount;
        else
            ok = false;
    });
    return ok;
}

template <class T, class Pred>
bool ScanPicture(const SLxPicBuf* pic, Pred fg, bool split, RunScan& scan)
{
    if (!scan.rows.Assign(pic->uiHeight, SLxRLERow{0, 0}))
        return false;
    if (pic->uiWidth && pic->uiHeight && !scan.runs.Reserve(8192))
        return false;
    for (uint32_t y = 0; y < pic->uiHeight; ++y) {
        scan.rows[y].uiFirst = uint32_t(scan.runs.size());
        const T* line = reinterpret_cast<const T*>(static_cast<const uint8_t*>(pic->pData) +
                                                   uint64_t(y) * pic->uiWidthBytes);
        if (!ScanLine(line, pic->uiWidth, y, fg, split, scan))
            return false;
        if (scan.runs.size() > 0xFFFFFFFFu)
            return false;
    }
    return true;
}

template <class Pred> bool ScanAny(const SLxPicBuf* pic, Pred fg, bool split, RunScan& scan)
{
    return pic->uiBpc > 8 ? ScanPicture<uint16_t>(pic, fg, split, scan)
                          : ScanPicture<uint8_t>(pic, fg, split, scan);
}

bool ScanBitLine(const uint8_t* line, uint32_t width, uint32_t y, RunScan& scan)
{
    bool ok = true;
    ForEachBitRun(line, width, false, [&](uint32_t start, uint32_t end) {
        if (ok && scan.runs.Push(SLxRLERun{0, y, start, end - start}))
            ++scan.rows[y].uiCount;
        else
            ok = false;
    });
    return ok;
}

bool ScanBinary(const SLxBinPicBuf* bin, RunScan& scan)
{
    if (!scan.rows.Assign(bin->uiHeight, SLxRLERow{0, 0}))
        return false;
    if (bin->uiWidth == 0 || bin->uiHeight == 0)
        return true;
    if (!scan.runs.Reserve(8192))
        return false;
    for (uint32_t y = 0; y < bin->uiHeight; ++y) {
        scan.rows[y].uiFirst = uint32_t(scan.runs.size());
        const uint8_t* line =
            static_cast<const uint8_t*>(bin->pData) + uint64_t(y) * bin->uiWidthBytes;
        if (!ScanBitLine(line, bin->uiWidth, y, scan))
            return false;
        if (scan.runs.size() > 0xFFFFFFFFu)
            return false;
    }
    return true;
}

// Moves the scanned runs into rec as its non-painted form.
int StoreNonPainted(SLxRLEPicBuf* rec, RunScan& scan, uint32_t width, uint32_t height)
{
    CLxRLEPicBufAPI::Free(rec);
    MakeEmptyPainted(rec, 0, 0);
    CLxRLEPicBufAPI::Init(rec, 0, false);
    rec->uiWidth = width;
    rec->uiHeight = height;
    rec->uiRunCount = uint32_t(scan.runs.size());
    rec->uiRunCapacity = uint32_t(CLxAlloc::Size(scan.runs.data()));
    rec->pRuns = scan.runs.Release();
    rec->pRows = scan.rows.Release();
    return 0;
}

void EmptyNonPainted(SLxRLEPicBuf* rec, uint32_t width, uint32_t height)
{
    MakeEmptyPainted(rec, 0, 0);
    CLxRLEPicBufAPI::Init(rec, 0, false);
    rec->uiWidth = width;
    rec->uiHeight = height;
}

// Labels the runs that scanRow(y, room) writes into room for each row.
template <class ScanRow>
int LabelRows(SLxRLEPicBuf* rec, uint32_t width, uint32_t height, ScanRow scanRow)
{
    RowLabeller labeller;
    if (!labeller.Start(width, height)) {
        MakeEmptyPainted(rec, width, height);
        return -9;
    }
    for (uint32_t y = 0; y < height; ++y) {
        ScannedRun* room = labeller.Room();
        if (!room || !labeller.EndRow(scanRow(y, room))) {
            MakeEmptyPainted(rec, width, height);
            return -9;
        }
    }
    return labeller.Finish(rec);
}

template <class T, class Pred> int LabelPicture(SLxRLEPicBuf* rec, const SLxPicBuf* pic, Pred fg)
{
    return LabelRows(rec, pic->uiWidth, pic->uiHeight, [&](uint32_t y, ScannedRun* room) {
        const T* line = reinterpret_cast<const T*>(static_cast<const uint8_t*>(pic->pData) +
                                                   uint64_t(y) * pic->uiWidthBytes);
        uint32_t count = 0;
        ForEachLineRun(line, pic->uiWidth, fg, false, [&](uint32_t start, uint32_t end) {
            room[count++] = ScannedRun{start, end - start, 0};
        });
        return count;
    });
}

template <class Pred> int PictureToPainted(SLxRLEPicBuf* rec, const SLxPicBuf* pic, Pred fg)
{
    if (!rec || !UsablePicture(pic))
        return -9;
    return pic->uiBpc > 8 ? LabelPicture<uint16_t>(rec, pic, fg)
                          : LabelPicture<uint8_t>(rec, pic, fg);
}

// Every run of a painted record, sorted by row then x, as a run table.
int GatherRuns(const SLxRLEPicBuf* src, RunScan& scan)
{
    if (!scan.rows.Assign(src->uiHeight, SLxRLERow{0, 0}))
        return -9;
    ObjectWalk walk(src);
    while (const uint8_t* p = walk.Next()) {
        SegmentWalk seg(p);
        while (seg.Next()) {
            if (seg.y() >= src->uiHeight && seg.count())
                return -9;
            for (uint32_t i = 0; i < seg.count(); ++i)
                if (!scan.runs.Push(SLxRLERun{0, seg.y(), seg.xStart(i), seg.xLength(i)}))
                    return -9;
        }
    }
    if (scan.runs.size() > 0xFFFFFFFFu)
        return -9;
    std::sort(scan.runs.data(), scan.runs.data() + scan.runs.size(),
              [](const SLxRLERun& a, const SLxRLERun& b) {
                  return a.uiY != b.uiY ? a.uiY < b.uiY : a.uiXStart < b.uiXStart;
              });
    for (uint64_t i = 0; i < scan.runs.size(); ++i)
        ++scan.rows[scan.runs[i].uiY].uiCount;
    uint32_t first = 0;
    for (uint32_t y = 0; y < src->uiHeight; ++y) {
        scan.rows[y].uiFirst = first;
        first += scan.rows[y].uiCount;
    }
    return 0;
}

} // namespace

int CLxRLEPicBufAPI::ConvertPictureToRLE(SLxRLEPicBuf* rec, const SLxPicBuf* pic)
{
    if (!rec)
        return -9;
    return rec->bPainted ? ConvertPicBufToPaintedRLE(rec, pic)
                         : ConvertPicBufToNonPaintedRLE(rec, pic);
}

int CLxRLEPicBufAPI::ConvertPictureToRLE(SLxRLEPicBuf* rec, const SLxBinPicBuf* bin)
{
    if (!rec)
        return -9;
    return rec->bPainted ? ConvertBinPicBufToPaintedRLE(rec, bin)
                         : ConvertBinPicBufToNonPaintedRLE(rec, bin);
}

int CLxRLEPicBufAPI::ConvertPicBufToNonPaintedRLE(SLxRLEPicBuf* rec, const SLxPicBuf* pic)
{
    if (!rec || !UsablePicture(pic))
        return -9;
    RunScan scan;
    if (!ScanAny(pic, NonZero(), false, scan)) {
        EmptyNonPainted(rec, pic->uiWidth, pic->uiHeight);
        return -9;
    }
    return StoreNonPainted(rec, scan, pic->uiWidth, pic->uiHeight);
}

int CLxRLEPicBufAPI::ConvertBinPicBufToNonPaintedRLE(SLxRLEPicBuf* rec, const SLxBinPicBuf* bin)
{
    if (!rec || !UsableBinary(bin))
        return -9;
    RunScan scan;
    if (!ScanBinary(bin, scan)) {
        EmptyNonPainted(rec, bin->uiWidth, bin->uiHeight);
        return -9;
    }
    return StoreNonPainted(rec, scan, bin->uiWidth, bin->uiHeight);
}

int CLxRLEPicBufAPI::ConvertRLEToNonPaintedRLE(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src)
{
    if (!dest || !src || !FitsPicture(src))
        return -9;
    if (!src->bPainted)
        return dest == src ? 0 : Copy(dest, src);
    RunScan scan;
    uint32_t width = src->uiWidth, height = src->uiHeight;
    if (GatherRuns(src, scan) != 0) {
        EmptyNonPainted(dest, width, height);
        return -9;
    }
    return StoreNonPainted(dest, scan, width, height);
}

int CLxRLEPicBufAPI::ConvertRLEToNonPaintedRLE(SLxRLEPicBuf* rec)
{
    return ConvertRLEToNonPaintedRLE(rec, rec);
}

int CLxRLEPicBufAPI::ConvertRLEToPaintedRLE(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src)
{
    if (!dest || !src || !FitsPicture(src))
        return -9;
    if (dest != src) {
        int status = Copy(dest, src);
        if (status != 0)
            return status;
    }
    return ConvertRLEToPaintedRLE(dest);
}

int CLxRLEPicBufAPI::ConvertRLEToPaintedRLE(SLxRLEPicBuf* rec)
{
    if (!rec || !FitsPicture(rec))
        return -9;
    if (rec->bPainted)
        return 0;
    uint32_t width = rec->uiWidth, height = rec->uiHeight;
    if (height && !rec->pRows) {
        MakeEmptyPainted(rec, width, height);
        return -9;
    }
    uint32_t labels = 0;
    if (!LabelRuns(rec->pRuns, rec->uiRunCount, rec->pRows, height, labels)) {
        MakeEmptyPainted(rec, width, height);
        return -9;
    }
    HeapArray<uint32_t> slotOf;
    HeapArray<uint8_t> isRoot;
    if (!slotOf.Assign(uint64_t(labels) + 1, 0) || !isRoot.Assign(uint64_t(labels) + 1, 0)) {
        MakeEmptyPainted(rec, width, height);
        return -9;
    }
    // Only the runs the row table reaches were labelled.
    for (uint32_t y = 0; y < height; ++y)
        for (uint64_t i = rec->pRows[y].uiFirst;
             i < uint64_t(rec->pRows[y].uiFirst) + rec->pRows[y].uiCount; ++i)
            isRoot[rec->pRuns[i].uiLabel] = 1;
    uint32_t slots = 0;
    for (uint32_t l = 1; l <= labels; ++l)
        if (isRoot[l])
            slotOf[l] = slots++;
    ObjectPlan plan{slotOf.data(), slots, nullptr, nullptr};
    return BuildObjects(rec, rec->pRuns, rec->pRows, height, plan, width, height);
}

int CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(SLxRLEPicBuf* rec, const SLxPicBuf* pic)
{
    return PictureToPainted(rec, pic, NonZero());
}

int CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(SLxRLEPicBuf* rec, const SLxPicBuf* pic,
                                               uint32_t value)
{
    return PictureToPainted(rec, pic, EqualTo{value});
}

int CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(SLxRLEPicBuf* rec, const SLxBinPicBuf* bin)
{
    if (!rec || !UsableBinary(bin))
        return -9;
    return LabelRows(rec, bin->uiWidth, bin->uiHeight, [&](uint32_t y, ScannedRun* room) {
        const uint8_t* line =
            static_cast<const uint8_t*>(bin->pData) + uint64_t(y) * bin->uiWidthBytes;
        uint32_t count = 0;
        ForEachBitRun(line, bin->uiWidth, false, [&](uint32_t start, uint32_t end) {
            room[count++] = ScannedRun{start, end - start, 0};
        });
        return count;
    });
}

int CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(SLxRLEPicBuf* rec, const SLxPicBuf* pic,
                                               const SLxPicBuf* sizePic, int32_t id, uint32_t x0,
                                               uint32_t y0, uint32_t value)
{
    if (!rec || !pic)
        return -9;
    DeleteObjectWithID(rec, uint32_t(id));
    if (!UsablePicture(pic))
        return -9;
    RunScan scan;
    if (!ScanAny(pic, EqualTo{value}, false, scan))
        return -9;
    // Moved runs must stay in 32 bits.
    for (uint64_t i = 0; i < scan.runs.size(); ++i) {
        SLxRLERun& run = scan.runs[i];
        if (uint64_t(run.uiXStart) + x0 + run.uiXLength > 0xFFFFFFFFu ||
            uint64_t(run.uiY) + y0 > 0xFFFFFFFFu)
            return -9;
        run.uiXStart += x0;
        run.uiY += y0;
    }
    const SLxPicBuf* size = sizePic ? sizePic : pic;
    if (!rec->bPainted) {
        Free(rec);
        uint32_t custom = rec->uiCustomDataSize;
        Init(rec, custom, true);
    }
    rec->uiWidth = size->uiWidth;
    rec->uiHeight = size->uiHeight;
    if (scan.runs.size() == 0)
        return 0;
    // The object is built alone, then appended under the next number.
    SLxRLEPicBuf piece;
    Init(&piece, rec->uiCustomDataSize, true);
    uint32_t zero = 0;
    ObjectPlan plan{&zero, 1, nullptr, nullptr};
    int status = BuildObjects(&piece, scan.runs.data(), scan.rows.data(), pic->uiHeight, plan,
                              rec->uiWidth, rec->uiHeight);
    if (status == 0) {
        Store32(piece.pObjects, kID, rec->uiObjectCount + 1);
        status =
            AddObjectKeepID(rec, reinterpret_cast<const SLxRLEObject*>(piece.pObjects), nullptr);
    }
    Free(&piece);
    return status;
}

int CLxRLEPicBufAPI::ConvertPaintedPicBufToRLE(SLxRLEPicBuf* rec, const SLxPicBuf* pic)
{
    if (!rec || !UsablePicture(pic))
        return -9;
    RunScan scan;
    if (!ScanAny(pic, NonZero(), true, scan)) {
        MakeEmptyPainted(rec, pic->uiWidth, pic->uiHeight);
        return -9;
    }
    // Labels are the sample values: one object per value present, in
    // ascending order.
    uint32_t maxValue = pic->uiBpc > 8 ? 0xFFFF : 0xFF;
    HeapArray<uint32_t> slotOf, ids;
    if (!slotOf.Assign(uint64_t(maxValue) + 1, 0xFFFFFFFFu) || !ids.Reserve(maxValue + 1)) {
        MakeEmptyPainted(rec, pic->uiWidth, pic->uiHeight);
        return -9;
    }
    for (uint64_t i = 0; i < scan.runs.size(); ++i)
        slotOf[scan.runs[i].uiLabel] = 0;
    uint32_t slots = 0;
    for (uint32_t v = 1; v <= maxValue; ++v)
        if (slotOf[v] == 0) {
            slotOf[v] = slots++;
            ids.Push(v);
        }
    ObjectPlan plan{slotOf.data(), slots, ids.data(), nullptr};
    return BuildObjects(rec, scan.runs.data(), scan.rows.data(), pic->uiHeight, plan, pic->uiWidth,
                        pic->uiHeight);
}

namespace
{

// Calls paint(y, start, end) (end exclusive) for every run part inside
// width x height, with the object's identifier (0 for stored runs).
template <class Paint>
void ForEachRun(const SLxRLEPicBuf* rec, uint32_t width, uint32_t height, Paint paint)
{
    auto clip = [&](uint32_t id, uint32_t y, uint32_t start, uint32_t length) {
        if (y >= height || start >= width || length == 0)
            return;
        uint64_t end = uint64_t(start) + length;
        paint(id, y, start, uint32_t(end < width ? end : width));
    };
    if (!rec->bPainted) {
        for (uint64_t i = 0; rec->pRuns && i < rec->uiRunCount; ++i)
            clip(0, rec->pRuns[i].uiY, rec->pRuns[i].uiXStart, rec->pRuns[i].uiXLength);
        return;
    }
    ObjectWalk walk(rec);
    while (const uint8_t* p = walk.Next()) {
        uint32_t id = Load32(p, kID);
        SegmentWalk seg(p);
        while (seg.Next())
            for (uint32_t i = 0; i < seg.count(); ++i)
                clip(id, seg.y(), seg.xStart(i), seg.xLength(i));
    }
}

template <class T> void PaintRuns(SLxPicBuf* pic, const SLxRLEPicBuf* rec, uint32_t value)
{
    uint8_t* data = static_cast<uint8_t*>(pic->pData);
    T fixed = T(value ? value : (sizeof(T) == 1 ? 255 : 65535));
    ForEachRun(rec, pic->uiWidth, pic->uiHeight,
               [&](uint32_t id, uint32_t y, uint32_t start, uint32_t end) {
                   T v = (rec->bPainted && value == 0) ? T(id) : fixed;
                   T* line = reinterpret_cast<T*>(data + uint64_t(y) * pic->uiWidthBytes);
                   std::fill(line + start, line + end, v);
               });
}

} // namespace

void lx_rle::PaintPicture(SLxPicBuf* pic, const SLxRLEPicBuf* rec, uint32_t value)
{
    if (pic->uiBpc > 8)
        PaintRuns<uint16_t>(pic, rec, value);
    else
        PaintRuns<uint8_t>(pic, rec, value);
}

int CLxRLEPicBufAPI::ConvertRLEToPicBuf(SLxPicBuf* pic, const SLxRLEPicBuf* rec)
{
    return ConvertRLEToPicBuf(pic, rec, 0);
}

int CLxRLEPicBufAPI::ConvertRLEToPicBuf(SLxPicBuf* pic, const SLxRLEPicBuf* rec, uint32_t value)
{
    if (!rec || !UsablePicture(pic) || !pic->pData || pic->uiWidth < rec->uiWidth ||
        pic->uiHeight < rec->uiHeight || !FitsPicture(rec))
        return -9;
    PaintPicture(pic, rec, value);
    return 0;
}

void lx_rle::PaintBinary(SLxBinPicBuf* bin, const SLxRLEPicBuf* rec)
{
    uint8_t* data = static_cast<uint8_t*>(bin->pData);
    std::memset(data, 0, size_t(bin->uiWidthBytes) * bin->uiHeight);
    ForEachRun(rec, bin->uiWidth, bin->uiHeight,
               [&](uint32_t, uint32_t y, uint32_t start, uint32_t end) {
                   uint8_t* line = data + uint64_t(y) * bin->uiWidthBytes;
                   uint32_t first = start / 8, last = (end - 1) / 8;
                   uint8_t head = uint8_t(0xFFu >> (start % 8));
                   uint8_t tail = uint8_t(0xFFu << (7 - (end - 1) % 8));
                   if (first == last) {
                       line[first] |= uint8_t(head & tail);
                       return;
                   }
                   line[first] |= head;
                   if (last > first + 1)
                       std::memset(line + first + 1, 0xFF, last - first - 1);
                   line[last] |= tail;
               });
}

int CLxRLEPicBufAPI::ConvertRLEToBinPicBuf(SLxBinPicBuf* bin, const SLxRLEPicBuf* rec)
{
    if (!rec || !UsableBinary(bin) || !bin->pData || bin->uiWidth < rec->uiWidth ||
        bin->uiHeight < rec->uiHeight || !FitsPicture(rec))
        return -9;
    PaintBinary(bin, rec);
    return 0;
}

namespace
{

struct CutRun {
    SLxRLERun run;
    uint32_t object; // position of the source object
    uint32_t id;     // its identifier
};

struct IdPair {
    uint32_t id;
    uint32_t label;
    uint32_t object;
};

} // namespace

int CLxRLEPicBufAPI::CutRectangle(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src, uint32_t x,
                                  uint32_t y, uint32_t width, uint32_t height)
{
    if (!dest || !src || !FitsPicture(src))
        return -9;
    // The rectangle is clipped to the source picture.
    if (x >= src->uiWidth || y >= src->uiHeight)
        width = height = 0;
    width = uint32_t(std::min<uint64_t>(width, uint64_t(src->uiWidth) - std::min(x, src->uiWidth)));
    height =
        uint32_t(std::min<uint64_t>(height, uint64_t(src->uiHeight) - std::min(y, src->uiHeight)));
    if (width == 0 || height == 0) {
        MakeEmptyPainted(dest, width, height);
        return 0;
    }
    HeapArray<CutRun> cut;
    HeapArray<const uint8_t*> objects;
    uint32_t largestId = 0;
    bool ok = true;
    ObjectWalk walk(src);
    while (const uint8_t* p = walk.Next()) {
        uint32_t id = Load32(p, kID);
        largestId = std::max(largestId, id);
        ok = ok && objects.Push(p);
        SegmentWalk seg(p);
        while (ok && seg.Next()) {
            if (seg.y() < y || seg.y() - y >= height)
                continue;
            for (uint32_t i = 0; ok && i < seg.count(); ++i) {
                uint64_t start = std::max(seg.xStart(i), x);
                uint64_t end =
                    std::min(uint64_t(seg.xStart(i)) + seg.xLength(i), uint64_t(x) + width);
                if (start >= end)
                    continue;
                ok = cut.Push(CutRun{{0, seg.y() - y, uint32_t(start - x), uint32_t(end - start)},
                                     walk.index(),
                                     id});
            }
        }
    }
    if (!ok || cut.size() > 0xFFFFFFFFu) {
        MakeEmptyPainted(dest, width, height);
        return -9;
    }
    std::stable_sort(cut.data(), cut.data() + cut.size(), [](const CutRun& a, const CutRun& b) {
        return a.run.uiY != b.run.uiY ? a.run.uiY < b.run.uiY : a.run.uiXStart < b.run.uiXStart;
    });
    uint64_t n = cut.size();
    HeapArray<SLxRLERun> runs;
    HeapArray<SLxRLERow> rows;
    if (!runs.Reserve(n + 1) || !rows.Assign(height, SLxRLERow{0, 0})) {
        MakeEmptyPainted(dest, width, height);
        return -9;
    }
    for (uint64_t i = 0; i < n; ++i) {
        runs.Push(cut[i].run);
        ++rows[cut[i].run.uiY].uiCount;
    }
    for (uint32_t r = 1; r < height; ++r)
        rows[r].uiFirst = rows[r - 1].uiFirst + rows[r - 1].uiCount;
    uint32_t labels = 0;
    if (!LabelRuns(runs.data(), n, rows.data(), height, labels)) {
        MakeEmptyPainted(dest, width, height);
        return -9;
    }
    // Each source identifier goes to the smallest label among its pieces;
    // the other labels get new identifiers in raster order.
    HeapArray<IdPair> pairs;
    HeapArray<uint64_t> idOf; // label -> identifier + 1, 0 for none yet
    HeapArray<uint32_t> sourceOf;
    if (!pairs.Reserve(n + 1) || !idOf.Assign(uint64_t(labels) + 1, 0) ||
        !sourceOf.Assign(uint64_t(labels) + 1, 0)) {
        MakeEmptyPainted(dest, width, height);
        return -9;
    }
    for (uint64_t i = 0; i < n; ++i)
        pairs.Push(IdPair{cut[i].id, runs[i].uiLabel, cut[i].object});
    std::sort(pairs.data(), pairs.data() + n, [](const IdPair& a, const IdPair& b) {
        if (a.id != b.id)
            return a.id < b.id;
        return a.label != b.label ? a.label < b.label : a.object < b.object;
    });
    for (uint64_t i = 0; i < n; ++i) {
        if (i > 0 && pairs[i].id == pairs[i - 1].id)
            continue;
        if (idOf[pairs[i].label] == 0) {
            idOf[pairs[i].label] = uint64_t(pairs[i].id) + 1;
            sourceOf[pairs[i].label] = pairs[i].object;
        }
    }
    uint64_t nextId = uint64_t(largestId) + 1;
    for (uint64_t i = 0; i < n; ++i) {
        uint32_t label = runs[i].uiLabel;
        if (idOf[label] != 0)
            continue;
        if (nextId > 0xFFFFFFFFu) {
            MakeEmptyPainted(dest, width, height);
            return -9;
        }
        idOf[label] = nextId + 1;
        sourceOf[label] = cut[i].object;
        ++nextId;
    }
    // Storage order is ascending identifier.
    HeapArray<uint32_t> order, slotOf, ids;
    HeapArray<const uint8_t*> sources;
    if (!order.Reserve(uint64_t(labels) + 1) || !slotOf.Assign(uint64_t(labels) + 1, 0) ||
        !ids.Reserve(uint64_t(labels) + 1) || !sources.Reserve(uint64_t(labels) + 1)) {
        MakeEmptyPainted(dest, width, height);
        return -9;
    }
    for (uint32_t l = 1; l <= labels; ++l)
        if (idOf[l])
            order.Push(l);
    std::sort(order.data(), order.data() + order.size(),
              [&](uint32_t a, uint32_t b) { return idOf[a] < idOf[b]; });
    for (uint64_t k = 0; k < order.size(); ++k) {
        slotOf[order[k]] = uint32_t(k);
        ids.Push(uint32_t(idOf[order[k]] - 1));
        sources.Push(objects[sourceOf[order[k]]]);
    }
    ObjectPlan plan{slotOf.data(), uint32_t(order.size()), ids.data(), sources.data()};
    return BuildObjects(dest, runs.data(), rows.data(), height, plan, width, height);
}
