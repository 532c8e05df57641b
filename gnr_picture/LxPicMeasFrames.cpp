// Removal of the objects that a measurement frame or a set of regions of
// interest excludes, and the count of set pixels in a rectangle.
#include <algorithm>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/LxPicMeasSamples.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEBytes.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

constexpr uint32_t kExcluded = 0x10;
constexpr uint32_t kSkippedRoi = 0x40;

// The rectangle (whole picture when null) clipped to width x height; false
// when nothing is left.
bool Clip(const SLxIRect* rect, uint32_t width, uint32_t height, SLxIRect& out)
{
    out = rect ? *rect : SLxIRect{0, 0, int32_t(width), int32_t(height)};
    out.left = std::max(out.left, 0);
    out.top = std::max(out.top, 0);
    out.right = int32_t(std::min<int64_t>(out.right, width));
    out.bottom = int32_t(std::min<int64_t>(out.bottom, height));
    return out.left < out.right && out.top < out.bottom;
}

void SetStatus(uint8_t* obj, uint32_t bits)
{
    lx_rle::Store32(obj, lx_rle::kStatus, lx_rle::Load32(obj, lx_rle::kStatus) | bits);
}

// Whether any run of the object on a row from top (inclusive) to bottom
// (exclusive) overlaps the columns left..right (inclusive).
bool RowInsideMeetsColumns(const uint8_t* obj, int64_t top, int64_t bottom, int64_t left,
                           int64_t right)
{
    for (lx_rle::SegmentWalk walk(obj); walk.Next();) {
        const int64_t y = walk.y();
        if (y < top || y >= bottom)
            continue;
        for (uint32_t i = 0; i < walk.count(); ++i) {
            const int64_t start = walk.xStart(i), end = start + int64_t(walk.xLength(i)) - 1;
            if (walk.xLength(i) && start <= right && end >= left)
                return true;
        }
    }
    return false;
}

// The counting-frame rule: the object crosses the frame's bottom line
// within its columns, having met them on or below its top.
bool CrossesBottom(const uint8_t* obj, const SLxIRect& f)
{
    const int64_t left = f.left, right = int64_t(f.right) - 1;
    bool metInside = false;
    for (lx_rle::SegmentWalk walk(obj); walk.Next();) {
        const int64_t y = walk.y();
        bool meets = false;
        for (uint32_t i = 0; i < walk.count() && !meets; ++i) {
            const int64_t start = walk.xStart(i), end = start + int64_t(walk.xLength(i)) - 1;
            if (start > right)
                break;
            meets = walk.xLength(i) && end >= left;
        }
        if (!meets || y < f.top)
            continue;
        if (metInside && y >= f.bottom)
            return true;
        metInside = true;
    }
    return false;
}

// The runs of every ROI without status 0x40, decoded once.
struct Roi {
    uint32_t id;
    uint32_t left, top, right, bottom;
    lx_rle::DecodedObject runs;
};

class RoiList
{
  public:
    explicit RoiList(const SLxRLEPicBuf* rois)
    {
        if (!rois)
            return;
        uint32_t count = 0;
        for (lx_rle::ObjectWalk walk(rois); walk.Next();)
            ++count;
        items_ = static_cast<Roi*>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, sizeof(Roi) * count));
        if (!items_)
            return;
        for (lx_rle::ObjectWalk walk(rois); const uint8_t* p = walk.Next();) {
            if (lx_rle::Load32(p, lx_rle::kStatus) & kSkippedRoi)
                continue;
            Roi* roi = new (&items_[size_]) Roi;
            ++size_;
            roi->id = lx_rle::Load32(p, lx_rle::kID);
            roi->left = lx_rle::Load32(p, lx_rle::kLeft);
            roi->top = lx_rle::Load32(p, lx_rle::kTop);
            roi->right = lx_rle::Load32(p, lx_rle::kRight);
            roi->bottom = lx_rle::Load32(p, lx_rle::kBottom);
            lx_rle::Decode(p, roi->runs);
        }
    }
    ~RoiList()
    {
        for (uint32_t i = 0; i < size_; ++i)
            items_[i].~Roi();
        CLxAlloc::Free(items_);
    }
    RoiList(const RoiList&) = delete;
    RoiList& operator=(const RoiList&) = delete;

    uint32_t size() const { return size_; }
    const Roi& operator[](uint32_t i) const { return items_[i]; }

  private:
    Roi* items_ = nullptr;
    uint32_t size_ = 0;
};

// Mode 0: some run of the object overlaps or adjoins a run of the ROI on
// the same row.
bool Touches(const lx_rle::DecodedObject& obj, const Roi& roi)
{
    const auto& a = obj.rows;
    const auto& b = roi.runs.rows;
    uint64_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].y < b[j].y) {
            ++i;
            continue;
        }
        if (b[j].y < a[i].y) {
            ++j;
            continue;
        }
        for (uint32_t r = 0; r < a[i].count; ++r) {
            const lx_rle::DecodedRun& u = obj.runs[a[i].first + r];
            for (uint32_t s = 0; s < b[j].count; ++s) {
                const lx_rle::DecodedRun& v = roi.runs.runs[b[j].first + s];
                if (u.start <= uint64_t(v.end) + 1 && v.start <= uint64_t(u.end) + 1)
                    return true;
            }
        }
        ++i, ++j;
    }
    return false;
}

// Mode 1: every row of the object is a row of the ROI and each of its runs
// lies within one run of the ROI.
bool Within(const lx_rle::DecodedObject& obj, const Roi& roi)
{
    const auto& b = roi.runs.rows;
    uint64_t j = 0;
    for (uint64_t i = 0; i < obj.rows.size(); ++i) {
        const lx_rle::DecodedRow& row = obj.rows[i];
        while (j < b.size() && b[j].y < row.y)
            ++j;
        if (j == b.size() || b[j].y != row.y)
            return false;
        for (uint32_t r = 0; r < row.count; ++r) {
            const lx_rle::DecodedRun& u = obj.runs[row.first + r];
            bool inside = false;
            for (uint32_t s = 0; s < b[j].count && !inside; ++s) {
                const lx_rle::DecodedRun& v = roi.runs.runs[b[j].first + s];
                inside = v.start <= u.start && u.end <= v.end;
            }
            if (!inside)
                return false;
        }
    }
    return obj.rows.size() != 0;
}

// roiOf, where given, has an entry for each of the first entries objects.
void TestAgainstRois(SLxRLEPicBuf* objects, const RoiList& rois, bool wholly, int32_t* roiOf,
                     uint64_t entries)
{
    uint32_t index = 0;
    for (lx_rle::ObjectWalk walk(objects); const uint8_t* p = walk.Next(); ++index) {
        uint8_t* obj = const_cast<uint8_t*>(p);
        const uint32_t left = lx_rle::Load32(p, lx_rle::kLeft),
                       top = lx_rle::Load32(p, lx_rle::kTop);
        const uint32_t right = lx_rle::Load32(p, lx_rle::kRight);
        const uint32_t bottom = lx_rle::Load32(p, lx_rle::kBottom);
        lx_rle::DecodedObject decoded;
        bool taken = false;
        if (lx_rle::Decode(p, decoded))
            for (uint32_t r = 0; r < rois.size() && !taken; ++r) {
                const Roi& roi = rois[r];
                // Boxes apart (by more than one column) cannot meet.
                if (top > roi.bottom || bottom < roi.top ||
                    uint64_t(left) > uint64_t(roi.right) + 1 ||
                    uint64_t(roi.left) > uint64_t(right) + 1)
                    continue;
                taken = wholly ? Within(decoded, roi) : Touches(decoded, roi);
                if (taken && roiOf && index < entries)
                    roiOf[index] = int32_t(roi.id);
            }
        if (!taken)
            SetStatus(obj, kExcluded);
    }
}

// Objects cut at the ROI borders: the parts inside ROIs, then the parts
// outside every ROI with status 0x10. Null without memory.
SLxRLEPicBuf* CutAtRois(SLxRLEPicBuf* objects, const SLxRLEPicBuf* rois)
{
    SLxRLEPicBuf* cut =
        static_cast<SLxRLEPicBuf*>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, sizeof(SLxRLEPicBuf)));
    if (!cut)
        return nullptr;
    CLxRLEPicBufAPI::Init(cut, 0, true);
    SLxRLEPicBuf* both[2] = {objects, const_cast<SLxRLEPicBuf*>(rois)};
    CLxRLEPicBufAPI::MakeIntersection(cut, both, 2);

    const uint32_t w = std::max(objects->uiWidth, rois->uiWidth);
    const uint32_t h = std::max(objects->uiHeight, rois->uiHeight);
    SLxBinPicBuf outside, roiBits;
    CLxBinPicBufAPI::Init(&outside);
    CLxBinPicBufAPI::Init(&roiBits);
    SLxRLEPicBuf rest;
    CLxRLEPicBufAPI::Init(&rest, 0, true);
    if (w && h && CLxBinPicBufAPI::Reinit(&outside, w, h, 0, true) == 0 &&
        CLxBinPicBufAPI::Reinit(&roiBits, w, h, 0, true) == 0 &&
        CLxRLEPicBufAPI::ConvertRLEToBinPicBuf(&outside, objects) == 0 &&
        CLxRLEPicBufAPI::ConvertRLEToBinPicBuf(&roiBits, rois) == 0) {
        CLxBinPicBufAPI::Complement(&roiBits);
        CLxBinPicBufAPI::And(&outside, &roiBits);
        if (CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(&rest, &outside) == 0) {
            const uint32_t before = cut->uiObjectCount;
            if (cut->uiWidth == 0)
                CLxRLEPicBufAPI::Reinit(cut, objects->uiWidth, objects->uiHeight);
            CLxRLEPicBufAPI::AppendObjects(cut, &rest);
            uint32_t index = 0;
            for (lx_rle::ObjectWalk walk(cut); const uint8_t* p = walk.Next(); ++index)
                if (index >= before)
                    SetStatus(const_cast<uint8_t*>(p), kExcluded);
        }
    }
    CLxRLEPicBufAPI::Free(&rest);
    CLxBinPicBufAPI::Free(&outside);
    CLxBinPicBufAPI::Free(&roiBits);
    return cut;
}

} // namespace

void CLxPicMeasAPI::RemoveOutOfFrameObjects(SLxPicBuf* labels, const SLxIRect* frame,
                                            LxContourCallback callback, void* user)
{
    if (!labels || labels->uiComps != 1 || labels->uiBpc <= 8 || labels->uiBpc > 16 ||
        !lx_meas::HoldsLines(labels, 2))
        return;
    SLxIRect f;
    if (!Clip(frame, labels->uiWidth, labels->uiHeight, f))
        return;
    auto erase = [&](int32_t x, int32_t y) {
        if (lx_meas::Row<uint16_t>(labels, uint32_t(y))[x] != 65535)
            return;
        if (!callback) {
            Paint(labels, uint32_t(x), uint32_t(y), 65535, 0, 8);
            return;
        }
        Paint(labels, uint32_t(x), uint32_t(y), 65535, 65534, 8);
        const uint16_t* line = lx_meas::Row<uint16_t>(labels, uint32_t(y));
        int32_t start = 0;
        while (start < x && line[start] != 65534)
            ++start;
        SLxContour* contour = ContourPoints(labels, 65534, SLxIPoint{start, y});
        callback(contour, 4, 0.0, user);
        CLxAlloc::Free(contour);
        Paint(labels, uint32_t(x), uint32_t(y), 65534, 0, 8);
    };
    const int32_t last = f.bottom - 1, rightColumn = f.right - 1;
    for (int32_t y = 0; y <= last; ++y)
        erase(f.left, y);
    for (int32_t x = f.left; x < f.right; ++x)
        erase(x, last);
    for (int32_t y = f.bottom; y < int32_t(labels->uiHeight); ++y)
        erase(rightColumn, y);
}

void CLxPicMeasAPI::RemoveOutOfFrameObjects(SLxRLEPicBuf* objects, const SLxIRect* frame,
                                            EFrameTouch mode)
{
    if (!objects || !frame || !lx_rle::FitsPicture(objects))
        return;
    const SLxIRect f = *frame;
    const int64_t lastColumn = int64_t(f.right) - 1, lastRow = int64_t(f.bottom) - 1;
    for (lx_rle::ObjectWalk walk(objects); const uint8_t* p = walk.Next();) {
        const int64_t left = lx_rle::Load32(p, lx_rle::kLeft),
                      top = lx_rle::Load32(p, lx_rle::kTop);
        const int64_t right = lx_rle::Load32(p, lx_rle::kRight);
        const int64_t bottom = lx_rle::Load32(p, lx_rle::kBottom);
        bool excluded = right < f.left || left > lastColumn || bottom < f.top || top > lastRow;
        if (!excluded) {
            switch (mode) {
            case eFrameTouchKeep:
                excluded = !RowInsideMeetsColumns(p, f.top, f.bottom, f.left, lastColumn);
                break;
            case eFrameTouchRemove:
                excluded =
                    left <= f.left || top <= f.top || bottom >= lastRow || right >= lastColumn;
                break;
            case eFrameTouchCountingFrame:
                excluded = left <= f.left || CrossesBottom(p, f);
                break;
            default:
                break;
            }
        }
        if (excluded)
            SetStatus(const_cast<uint8_t*>(p), kExcluded);
    }
}

void CLxPicMeasAPI::RemoveOutOfROIObjects(SLxRLEPicBuf* objects, SLxRLEPicBuf** result,
                                          const SLxRLEPicBuf* rois, EFrameTouch mode,
                                          int32_t*& roiOfObject)
{
    if (result)
        *result = nullptr;
    if (!objects || !rois || !lx_rle::FitsPicture(objects) || !lx_rle::FitsPicture(rois))
        return;
    const RoiList list(rois);
    switch (mode) {
    case eFrameTouchKeep:
    case eFrameTouchRemove:
        TestAgainstRois(objects, list, mode == eFrameTouchRemove, roiOfObject, UINT64_MAX);
        return;
    case eFrameTouchCut: {
        if (!result)
            return;
        SLxRLEPicBuf* cut = CutAtRois(objects, rois);
        if (!cut)
            return;
        *result = cut;
        uint64_t entries = roiOfObject ? objects->uiObjectCount : 0;
        if (cut->uiObjectCount > entries) {
            void* grown = CLxAlloc::ReAlloc(
                roiOfObject, sizeof(int32_t) * (uint64_t(cut->uiObjectCount) + 1), 0);
            if (grown) {
                roiOfObject = static_cast<int32_t*>(grown);
                entries = cut->uiObjectCount;
                for (uint32_t i = 0; i < cut->uiObjectCount; ++i)
                    roiOfObject[i] = -1;
            }
        }
        TestAgainstRois(cut, list, false, roiOfObject, entries);
        return;
    }
    default:
        return;
    }
}

uint64_t CLxPicMeasAPI::GetBinarySize(const SLxBinPicBuf* binary, const SLxIRect* rect)
{
    if (!binary || !binary->pData ||
        uint64_t(binary->uiWidthBytes) * binary->uiHeight > binary->uiSize ||
        uint64_t(binary->uiWidthBytes) * 8 < binary->uiWidth)
        return 0;
    SLxIRect r;
    if (!Clip(rect, binary->uiWidth, binary->uiHeight, r))
        return 0;
    static const struct Bits {
        uint8_t count[256];
        Bits()
        {
            for (int i = 0; i < 256; ++i)
                count[i] = uint8_t(__builtin_popcount(unsigned(i)));
        }
    } bits;
    const uint32_t first = uint32_t(r.left) / 8, last = uint32_t(r.right - 1) / 8;
    const uint8_t head = uint8_t(0xFFu >> (r.left % 8));
    const uint8_t tail = uint8_t(0xFFu << (7 - (r.right - 1) % 8));
    uint64_t total = 0;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const uint8_t* line =
            static_cast<const uint8_t*>(binary->pData) + size_t(y) * binary->uiWidthBytes;
        if (first == last) {
            total += bits.count[line[first] & head & tail];
            continue;
        }
        total += bits.count[line[first] & head] + bits.count[line[last] & tail];
        for (uint32_t i = first + 1; i < last; ++i)
            total += bits.count[line[i]];
    }
    return total;
}
