// Operations on the runs and objects themselves: the row intersection, the
// cyclic shifts, moving objects, unions and intersections of many pictures
// and a few whole-record helpers.
#include <algorithm>
#include <utility>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEBytes.h"

using namespace lx_rle;

namespace
{

// Half-open pixel span [start, end) of one row.
struct Span {
    uint32_t start;
    uint32_t end;
};

// Sorts spans by start and joins those that overlap or touch.
void SortAndJoin(HeapArray<Span>& spans)
{
    std::sort(spans.data(), spans.data() + spans.size(),
              [](const Span& a, const Span& b) { return a.start < b.start; });
    uint64_t kept = 0;
    for (uint64_t i = 0; i < spans.size(); ++i) {
        if (kept && spans[i].start <= spans[kept - 1].end)
            spans[kept - 1].end = std::max(spans[kept - 1].end, spans[i].end);
        else
            spans[kept++] = spans[i];
    }
    while (spans.size() > kept)
        spans.Pop();
}

// The runs of row y of a non-painted record, clipped to its width, as
// sorted spans with touching spans joined.
bool RowSpans(const SLxRLEPicBuf* rec, uint32_t y, HeapArray<Span>& out)
{
    out.Clear();
    if (!rec->pRows || !rec->pRuns)
        return true;
    const SLxRLERow& row = rec->pRows[y];
    for (uint64_t i = row.uiFirst; i < uint64_t(row.uiFirst) + row.uiCount && i < rec->uiRunCount;
         ++i) {
        const SLxRLERun& r = rec->pRuns[i];
        if (r.uiY != y || r.uiXStart >= rec->uiWidth || r.uiXLength == 0)
            continue;
        uint64_t end = std::min<uint64_t>(uint64_t(r.uiXStart) + r.uiXLength, rec->uiWidth);
        if (!out.Push(Span{r.uiXStart, uint32_t(end)}))
            return false;
    }
    SortAndJoin(out);
    return true;
}

// Builds a non-painted record row by row; Store replaces the target.
class RowBuilder
{
  public:
    explicit RowBuilder(uint32_t height) : m_height(height) {}
    bool Begin() { return m_rows.Assign(m_height, SLxRLERow{0, 0}); }
    bool AddRow(uint32_t y, const HeapArray<Span>& spans)
    {
        m_rows[y].uiFirst = uint32_t(m_runs.size());
        m_rows[y].uiCount = uint32_t(spans.size());
        for (uint64_t i = 0; i < spans.size(); ++i)
            if (!m_runs.Push(SLxRLERun{0, y, spans[i].start, spans[i].end - spans[i].start}))
                return false;
        return m_runs.size() <= 0xFFFFFFFFu;
    }
    void Store(SLxRLEPicBuf* rec, uint32_t width)
    {
        CLxRLEPicBufAPI::Free(rec);
        CLxRLEPicBufAPI::Init(rec, 0, false);
        rec->uiWidth = width;
        rec->uiHeight = m_height;
        rec->uiRunCount = uint32_t(m_runs.size());
        rec->pRuns = m_runs.Release();
        rec->pRows = m_rows.Release();
    }

  private:
    uint32_t m_height;
    HeapArray<SLxRLERun> m_runs;
    HeapArray<SLxRLERow> m_rows;
};

// Owns a record for the length of a call.
struct TempRLE {
    SLxRLEPicBuf rec;
    TempRLE() { CLxRLEPicBufAPI::Init(&rec, 0, false); }
    ~TempRLE() { CLxRLEPicBufAPI::Free(&rec); }
};

struct TempBin {
    SLxBinPicBuf pic;
    TempBin() { CLxBinPicBufAPI::Init(&pic); }
    ~TempBin() { CLxBinPicBufAPI::Free(&pic); }
};

// The spans of a row moved cyclically left by s of width (0 < s < width).
bool RotateSpans(const HeapArray<Span>& in, uint32_t s, uint32_t width, HeapArray<Span>& out)
{
    out.Clear();
    for (uint64_t i = 0; i < in.size(); ++i) {
        Span r = in[i];
        bool ok = true;
        if (r.start >= s) {
            ok = out.Push(Span{r.start - s, r.end - s});
        } else if (r.end <= s) {
            ok = out.Push(Span{r.start + (width - s), r.end + (width - s)});
        } else {
            ok = out.Push(Span{0, r.end - s}) && out.Push(Span{r.start + (width - s), width});
        }
        if (!ok)
            return false;
    }
    SortAndJoin(out);
    return true;
}

// The destination as a non-painted copy of the source; -9 on failure.
int NonPaintedCopy(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src)
{
    if (dest == src)
        return src->bPainted ? CLxRLEPicBufAPI::ConvertRLEToNonPaintedRLE(dest) : 0;
    return src->bPainted ? CLxRLEPicBufAPI::ConvertRLEToNonPaintedRLE(dest, src)
                         : CLxRLEPicBufAPI::Copy(dest, src);
}

// Rows of the non-painted picture moved by the row function, then
// labelled when the source was painted.
enum class Axis { Horizontal, Vertical };

int ShiftRotate(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src, uint32_t s, Axis axis)
{
    if (!dest || !src || !FitsPicture(src))
        return -9;
    bool painted = src->bPainted != 0;
    TempRLE work;
    if (NonPaintedCopy(&work.rec, src) != 0)
        return -9;
    uint32_t width = work.rec.uiWidth, height = work.rec.uiHeight;
    bool identity = (axis == Axis::Horizontal ? width : height) == 0 || s == 0;
    if (!identity) {
        RowBuilder builder(height);
        HeapArray<Span> spans, moved;
        if (!builder.Begin())
            return -9;
        for (uint32_t y = 0; y < height; ++y) {
            if (axis == Axis::Vertical) {
                uint32_t r = uint32_t((uint64_t(y) + s) % height);
                if (!RowSpans(&work.rec, r, spans) || !builder.AddRow(y, spans))
                    return -9;
            } else if (!RowSpans(&work.rec, y, spans) || !RotateSpans(spans, s, width, moved) ||
                       !builder.AddRow(y, moved)) {
                return -9;
            }
        }
        builder.Store(&work.rec, width);
    }
    if (CLxRLEPicBufAPI::Copy(dest, &work.rec) != 0)
        return -9;
    if (painted) {
        int status = CLxRLEPicBufAPI::ConvertRLEToPaintedRLE(dest);
        if (status != 0 && axis == Axis::Horizontal)
            return -9;
    }
    return 0;
}

// Lays every non-null picture out in turn and folds it into the result.
template <class Combine>
int Fold(SLxBinPicBuf* result, SLxRLEPicBuf* const* pictures, uint32_t count, Combine combine)
{
    if (count == 0 || !result)
        return 0;
    for (uint32_t i = 0; pictures && i < count; ++i)
        if (!FitsPicture(pictures[i]))
            return -9;
    TempBin acc, next;
    bool first = true;
    for (uint32_t i = 0; pictures && i < count; ++i) {
        const SLxRLEPicBuf* pic = pictures[i];
        if (!pic)
            continue;
        SLxBinPicBuf* into = first ? &acc.pic : &next.pic;
        if (CLxBinPicBufAPI::Reinit(into, pic->uiWidth, pic->uiHeight, 0, false) == 0)
            CLxRLEPicBufAPI::ConvertRLEToBinPicBuf(into, pic);
        if (!first)
            combine(&acc.pic, &next.pic);
        first = false;
    }
    CLxBinPicBufAPI::Swap(result, &acc.pic);
    return 0;
}

} // namespace

void CLxRLEPicBufAPI::And(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src)
{
    if (!dest || !src || !FitsPicture(dest) || !FitsPicture(src))
        return;
    ForceEqualSizeAndTypeIfDestEmpty(dest, src);
    if (!IsEqualSize(dest, src) || !IsEqualType(dest, src) || src->bPainted)
        return;
    uint32_t height = src->uiHeight;
    RowBuilder builder(height);
    HeapArray<Span> a, b, common;
    if (!builder.Begin())
        return;
    for (uint32_t y = 0; y < height; ++y) {
        common.Clear();
        if (!RowSpans(dest, y, a) || !RowSpans(src, y, b))
            return;
        uint64_t i = 0, j = 0;
        while (i < a.size() && j < b.size()) {
            uint32_t start = std::max(a[i].start, b[j].start);
            uint32_t end = std::min(a[i].end, b[j].end);
            if (start < end && !common.Push(Span{start, end}))
                return;
            if (a[i].end < b[j].end)
                ++i;
            else
                ++j;
        }
        if (!builder.AddRow(y, common))
            return;
    }
    builder.Store(dest, src->uiWidth);
}

namespace
{

// The forward shift of a cyclic shift by n, forward or back, over size
// positions (0 for an empty axis).
uint32_t CyclicShift(uint32_t size, uint32_t n, bool back)
{
    if (size == 0)
        return 0;
    const uint32_t s = n % size;
    return back ? (size - s) % size : s;
}

} // namespace

int CLxRLEPicBufAPI::ShiftRotateLeft(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src, uint32_t n)
{
    if (!dest || !src)
        return -9;
    return ShiftRotate(dest, src, CyclicShift(src->uiWidth, n, false), Axis::Horizontal);
}

int CLxRLEPicBufAPI::ShiftRotateRight(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src, uint32_t n)
{
    if (!dest || !src)
        return -9;
    return ShiftRotate(dest, src, CyclicShift(src->uiWidth, n, true), Axis::Horizontal);
}

int CLxRLEPicBufAPI::ShiftRotateUp(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src, uint32_t n)
{
    if (!dest || !src)
        return -9;
    return ShiftRotate(dest, src, CyclicShift(src->uiHeight, n, false), Axis::Vertical);
}

int CLxRLEPicBufAPI::ShiftRotateDown(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src, uint32_t n)
{
    if (!dest || !src)
        return -9;
    return ShiftRotate(dest, src, CyclicShift(src->uiHeight, n, true), Axis::Vertical);
}

int CLxRLEPicBufAPI::MoveObjects(SLxRLEPicBuf* rec, int dx, int dy)
{
    if (!rec || !rec->bPainted)
        return 0;
    if (!FitsPicture(rec))
        return -9;
    uint32_t ux = uint32_t(dx), uy = uint32_t(dy);
    ObjectWalk walk(rec);
    while (const uint8_t* cp = walk.Next()) {
        uint8_t* p = const_cast<uint8_t*>(cp);
        SegmentWalk seg(p);
        while (seg.Next()) {
            Store32(p, seg.offset(), seg.y() + uy);
            for (uint32_t i = 0; i < seg.count(); ++i)
                Store32(p, seg.offset() + 8 + uint64_t(i) * 8, seg.xStart(i) + ux);
        }
        Store32(p, kLeft, Load32(p, kLeft) + ux);
        Store32(p, kRight, Load32(p, kRight) + ux);
        Store32(p, kTop, Load32(p, kTop) + uy);
        Store32(p, kBottom, Load32(p, kBottom) + uy);
    }
    return 0;
}

int CLxRLEPicBufAPI::MakeUnionToBinPicBuf(SLxBinPicBuf* result, SLxRLEPicBuf* const* pictures,
                                          uint32_t count)
{
    return Fold(result, pictures, count,
                [](SLxBinPicBuf* a, const SLxBinPicBuf* b) { CLxBinPicBufAPI::Or(a, b); });
}

int CLxRLEPicBufAPI::MakeIntersectionToBinPicBuf(SLxBinPicBuf* result,
                                                 SLxRLEPicBuf* const* pictures, uint32_t count)
{
    return Fold(result, pictures, count,
                [](SLxBinPicBuf* a, const SLxBinPicBuf* b) { CLxBinPicBufAPI::And(a, b); });
}

namespace
{

int ToPainted(SLxRLEPicBuf* result, SLxRLEPicBuf* const* pictures, uint32_t count,
              int (*make)(SLxBinPicBuf*, SLxRLEPicBuf* const*, uint32_t))
{
    if (!result)
        return 0;
    TempBin bin;
    if (make(&bin.pic, pictures, count) != 0)
        return -9;
    CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(result, &bin.pic);
    return 0;
}

} // namespace

int CLxRLEPicBufAPI::MakeUnion(SLxRLEPicBuf* result, SLxRLEPicBuf* const* pictures, uint32_t count)
{
    return ToPainted(result, pictures, count, &MakeUnionToBinPicBuf);
}

int CLxRLEPicBufAPI::MakeIntersection(SLxRLEPicBuf* result, SLxRLEPicBuf* const* pictures,
                                      uint32_t count)
{
    return ToPainted(result, pictures, count, &MakeIntersectionToBinPicBuf);
}

void CLxRLEPicBufAPI::Swap(SLxRLEPicBuf* a, SLxRLEPicBuf* b)
{
    if (a && b)
        std::swap(*a, *b);
}

bool CLxRLEPicBufAPI::IsEmpty(const SLxRLEPicBuf* rec)
{
    if (!rec)
        return true;
    return rec->bPainted ? rec->uiObjectCount == 0 : rec->uiRunCount == 0;
}

void CLxRLEPicBufAPI::Copy_2x(SLxRLEPicBuf* a, SLxRLEPicBuf* b, const SLxRLEPicBuf* src)
{
    Copy(a, src);
    Copy(b, src);
}

int CLxRLEPicBufAPI::Stretch(SLxRLEPicBuf* dest, const SLxRLEPicBuf* src)
{
    if (!dest || !src || !FitsPicture(src))
        return -9;
    const uint32_t width = dest->uiWidth, height = dest->uiHeight;
    StretchDisplay(dest, width, height, width, height, 0, 0, src);
    return 0;
}
