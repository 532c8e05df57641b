// Zoomed copies of object pictures for the screen, and the drawing of their
// objects (outlined in their own colour and style, tinted with their fill
// colour) into a 24-bit display picture.
#include <algorithm>
#include <cmath>

#include "gnr_picture/RLEPicBufAPI/LxRLEBytes.h"

using namespace lx_rle;

namespace
{

// Inclusive pixel span of one row.
struct Span {
    uint32_t start;
    uint32_t end;
};

// One axis of the zoom: source position s covers the zoomed positions
// lo[s] .. hi[s]. Each axis magnifies or reduces by its own scale.
class AxisMap
{
  public:
    // n source positions onto zn > 0 zoomed ones; false without memory.
    bool Build(uint32_t n, uint32_t zn)
    {
        m_n = n;
        m_scale = double(n) / double(zn);
        if (!m_lo.Assign(n, 0) || !m_hi.Assign(n, 0))
            return false;
        if (m_scale <= 1.0) {
            // Steps of at most one source position: every position is hit.
            // Its first zoomed position is near s / scale - 0.5, settled
            // with ToSource itself so rounding cannot make a gap.
            for (uint32_t s = 0; s < n; ++s) {
                double guess = std::ceil(double(s) / m_scale - 0.5);
                uint64_t z = guess <= 0 ? 0 : std::min<uint64_t>(uint64_t(guess), zn - 1);
                while (z > 0 && ToSource(z - 1) >= s)
                    --z;
                while (z + 1 < zn && ToSource(z) < s)
                    ++z;
                m_lo[s] = uint32_t(z);
                if (s > 0)
                    m_hi[s - 1] = uint32_t(std::max<uint64_t>(z, m_lo[s - 1] + 1) - 1);
            }
            if (n)
                m_hi[n - 1] = zn - 1;
        } else {
            for (uint32_t s = 0; s < n; ++s) {
                const double z = std::floor(double(s) / m_scale + 0.5);
                m_lo[s] = m_hi[s] = z >= double(zn - 1) ? zn - 1 : uint32_t(z);
            }
        }
        return true;
    }
    // The source position shown at zoomed position z (n > 0).
    uint32_t ToSource(uint64_t z) const
    {
        const double s = std::floor((double(z) + 0.5) * m_scale);
        return s >= double(m_n) ? m_n - 1 : uint32_t(s);
    }
    // The source positions first..last whose zoomed positions reach z0..z1;
    // false for none. (A reduced position near a window edge may be shown
    // inside it although the edge's own source position lies beyond.)
    bool Reaching(uint32_t z0, uint32_t z1, uint32_t& first, uint32_t& last) const
    {
        const uint32_t* lo = m_lo.data();
        const uint32_t* hi = m_hi.data();
        first = uint32_t(std::lower_bound(hi, hi + m_n, z0) - hi);
        last = uint32_t(std::upper_bound(lo, lo + m_n, z1) - lo);
        if (first >= last)
            return false;
        --last;
        return true;
    }
    uint32_t lo(uint32_t s) const { return m_lo[s]; }
    uint32_t hi(uint32_t s) const { return m_hi[s]; }
    uint32_t size() const { return m_n; }

  private:
    uint32_t m_n = 0;
    double m_scale = 1.0;
    HeapArray<uint32_t> m_lo, m_hi;
};

// Sorts and joins spans that overlap or touch.
void Normalise(HeapArray<Span>& spans, uint64_t from)
{
    Span* first = spans.data() + from;
    Span* last = spans.data() + spans.size();
    if (!std::is_sorted(first, last,
                        [](const Span& a, const Span& b) { return a.start < b.start; }))
        std::sort(first, last, [](const Span& a, const Span& b) { return a.start < b.start; });
    uint64_t kept = from;
    for (uint64_t i = from; i < spans.size(); ++i) {
        if (kept > from && uint64_t(spans[i].start) <= uint64_t(spans[kept - 1].end) + 1)
            spans[kept - 1].end = std::max(spans[kept - 1].end, spans[i].end);
        else
            spans[kept++] = spans[i];
    }
    while (spans.size() > kept)
        spans.Pop();
}

// The object area of the zoomed copy, grown as objects are written.
class AreaWriter
{
  public:
    explicit AreaWriter(uint32_t custom) : m_custom(custom) {}
    ~AreaWriter() { CLxAlloc::Free(m_data); }

    // Room for bytes more; false without memory or past 4 GiB.
    bool Room(uint64_t bytes)
    {
        const uint64_t need = m_used + bytes;
        if (need > 0xFFFFFFFFu)
            return false;
        if (need <= m_capacity)
            return true;
        uint64_t capacity = std::max<uint64_t>(need, m_capacity * 2 + 4096);
        capacity = std::min<uint64_t>(capacity, 0xFFFFFFFFu);
        void* block = CLxAlloc::ReAlloc(m_data, size_t(capacity), 0);
        if (!block)
            return false;
        m_data = static_cast<uint8_t*>(block);
        m_capacity = capacity;
        return true;
    }

    // Starts an object with the attributes of the source object.
    bool BeginObject(const uint8_t* src)
    {
        if (!Room(kHeader))
            return false;
        m_object = m_used;
        uint8_t* p = m_data + m_object;
        std::memset(p, 0, kHeader);
        Store32(p, kID, Load32(src, kID));
        Store32(p, kStatus, Load32(src, kStatus));
        Store32(p, kFill, Load32(src, kFill));
        Store32(p, kDraw, Load32(src, kDraw));
        p[kStyle] = src[kStyle];
        m_used += kHeader;
        m_segments = 0;
        m_left = m_top = 0xFFFFFFFFu;
        m_right = m_bottom = 0;
        return true;
    }

    bool Segment(uint32_t y, const Span* spans, uint64_t count)
    {
        if (count == 0)
            return true;
        if (!Room(8 + 8 * count))
            return false;
        m_lastSegment = m_used - m_object;
        uint8_t* p = m_data + m_used;
        Store32(p, 0, y);
        Store32(p, 4, uint32_t(count));
        for (uint64_t i = 0; i < count; ++i) {
            Store32(p, 8 + 8 * i, spans[i].start);
            Store32(p, 12 + 8 * i, spans[i].end - spans[i].start + 1);
        }
        m_used += 8 + 8 * count;
        ++m_segments;
        m_left = std::min(m_left, spans[0].start);
        m_right = std::max(m_right, spans[count - 1].end);
        m_top = std::min(m_top, y);
        m_bottom = std::max(m_bottom, y);
        return true;
    }

    // Closes the object; one without segments is dropped.
    bool EndObject()
    {
        if (m_segments == 0) {
            m_used = m_object;
            return true;
        }
        if (!Room(m_custom))
            return false;
        std::memset(m_data + m_used, 0, m_custom);
        m_used += m_custom;
        uint8_t* p = m_data + m_object;
        Store32(p, kLeft, m_left);
        Store32(p, kTop, m_top);
        Store32(p, kRight, m_right);
        Store32(p, kBottom, m_bottom);
        Store32(p, kSize, uint32_t(m_used - m_object));
        Store32(p, kSegCount, m_segments);
        Store32(p, kLastSeg, uint32_t(m_lastSegment));
        m_lastObject = m_object;
        ++m_count;
        return true;
    }

    // Hands the area to rec (painted, its size and custom size set).
    void Store(SLxRLEPicBuf* rec)
    {
        if (m_used == 0) {
            CLxAlloc::Free(m_data);
        } else if (m_used < m_capacity) {
            if (void* shrunk = CLxAlloc::ReAlloc(m_data, size_t(m_used), 0))
                m_data = static_cast<uint8_t*>(shrunk);
        }
        rec->pObjects = m_used ? m_data : nullptr;
        rec->uiObjectCount = m_count;
        rec->uiObjectSize = uint32_t(m_used);
        rec->uiLastObjectOffset = uint32_t(m_lastObject);
        m_data = nullptr;
        m_used = m_capacity = 0;
    }

  private:
    uint32_t m_custom;
    uint8_t* m_data = nullptr;
    uint64_t m_used = 0;
    uint64_t m_capacity = 0;
    uint64_t m_object = 0;
    uint64_t m_lastObject = 0;
    uint64_t m_lastSegment = 0;
    uint32_t m_count = 0;
    uint32_t m_segments = 0;
    uint32_t m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;
};

// The segments of one source object clipped to its picture, each row's
// runs sorted and joined.
struct ClippedObject {
    HeapArray<DecodedRow> rows;
    HeapArray<Span> runs;
    uint32_t left = 0, top = 0, right = 0, bottom = 0;

    bool Load(const uint8_t* obj, uint32_t width, uint32_t height)
    {
        rows.Clear();
        runs.Clear();
        left = top = 0xFFFFFFFFu;
        right = bottom = 0;
        SegmentWalk seg(obj);
        while (seg.Next()) {
            if (seg.y() >= height)
                continue;
            const uint64_t first = runs.size();
            for (uint32_t i = 0; i < seg.count(); ++i) {
                const uint64_t start = seg.xStart(i), length = seg.xLength(i);
                if (length == 0 || start >= width)
                    continue;
                const uint64_t end = std::min<uint64_t>(start + length, width) - 1;
                if (!runs.Push(Span{uint32_t(start), uint32_t(end)}))
                    return false;
            }
            Normalise(runs, first);
            if (runs.size() == first)
                continue;
            if (!rows.Push(DecodedRow{seg.y(), uint32_t(first), uint32_t(runs.size() - first)}))
                return false;
            left = std::min(left, runs[first].start);
            right = std::max(right, runs[runs.size() - 1].end);
            top = std::min(top, seg.y());
            bottom = std::max(bottom, seg.y());
        }
        return true;
    }
};

// Zooms one object's rows; rows that land on the zoomed row of the row
// before are merged into it.
class ObjectZoomer
{
  public:
    ObjectZoomer(const AxisMap& x, const AxisMap& y, AreaWriter& out) : m_x(x), m_y(y), m_out(out)
    {
    }

    bool Zoom(const ClippedObject& obj)
    {
        m_pending.Clear();
        m_hasPending = false;
        for (uint64_t r = 0; r < obj.rows.size(); ++r) {
            const DecodedRow& row = obj.rows[r];
            const uint32_t lo = m_y.lo(row.y), hi = m_y.hi(row.y);
            const bool merge = m_hasPending && lo == m_rowHi && m_rowLo == m_rowHi;
            if (!merge) {
                if (!Flush())
                    return false;
                m_rowLo = lo;
                m_rowHi = hi;
                m_hasPending = true;
            }
            for (uint32_t i = 0; i < row.count; ++i) {
                const Span& s = obj.runs[row.first + i];
                if (!m_pending.Push(Span{m_x.lo(s.start), m_x.hi(s.end)}))
                    return false;
            }
            Normalise(m_pending, 0);
        }
        return Flush();
    }

  private:
    bool Flush()
    {
        if (!m_hasPending)
            return true;
        for (uint64_t y = m_rowLo; y <= m_rowHi; ++y)
            if (!m_out.Segment(uint32_t(y), m_pending.data(), m_pending.size()))
                return false;
        m_pending.Clear();
        m_hasPending = false;
        return true;
    }

    const AxisMap& m_x;
    const AxisMap& m_y;
    AreaWriter& m_out;
    HeapArray<Span> m_pending;
    bool m_hasPending = false;
    uint32_t m_rowLo = 0, m_rowHi = 0;
};

// Owns a record for the length of a call.
struct TempRLE {
    SLxRLEPicBuf rec;
    explicit TempRLE(bool painted = true) { CLxRLEPicBufAPI::Init(&rec, 0, painted); }
    ~TempRLE() { CLxRLEPicBufAPI::Free(&rec); }
};

// The zoomed copy into out (painted, zw x zh) of the objects that reach the
// window; src painted.
int ZoomObjects(SLxRLEPicBuf* out, uint32_t w, uint32_t h, uint32_t zw, uint32_t zh, uint32_t offX,
                uint32_t offY, const SLxRLEPicBuf* src)
{
    AxisMap xs, ys;
    if (!xs.Build(src->uiWidth, zw) || !ys.Build(src->uiHeight, zh))
        return -9;
    CLxRLEPicBufAPI::Init(out, src->uiCustomDataSize, true);
    out->uiWidth = zw;
    out->uiHeight = zh;
    // The window in source positions; a window beyond the zoomed picture
    // keeps only what overlaps it.
    const uint64_t x1 = std::min<uint64_t>(uint64_t(offX) + w, zw);
    const uint64_t y1 = std::min<uint64_t>(uint64_t(offY) + h, zh);
    if (offX >= x1 || offY >= y1 || xs.size() == 0 || ys.size() == 0)
        return 0;
    uint32_t left, right, top, bottom;
    if (!xs.Reaching(offX, uint32_t(x1 - 1), left, right) ||
        !ys.Reaching(offY, uint32_t(y1 - 1), top, bottom))
        return 0;

    AreaWriter area(src->uiCustomDataSize);
    ObjectZoomer zoomer(xs, ys, area);
    ClippedObject obj;
    ObjectWalk walk(src);
    while (const uint8_t* p = walk.Next()) {
        if (!obj.Load(p, src->uiWidth, src->uiHeight))
            return -9;
        if (obj.rows.size() == 0 || obj.right < left || obj.left > right || obj.bottom < top ||
            obj.top > bottom)
            continue;
        if (!area.BeginObject(p) || !zoomer.Zoom(obj) || !area.EndObject())
            return -9;
    }
    area.Store(out);
    return 0;
}

} // namespace

int CLxRLEPicBufAPI::StretchDisplay(SLxRLEPicBuf* dest, uint32_t w, uint32_t h, uint32_t zw,
                                    uint32_t zh, uint32_t offX, uint32_t offY,
                                    const SLxRLEPicBuf* src)
{
    if (!dest || !src || zw == 0 || zh == 0 || !FitsPicture(src))
        return -9;
    // A non-painted source shows its labelled objects.
    TempRLE labelled;
    if (!src->bPainted) {
        if (ConvertRLEToPaintedRLE(&labelled.rec, src) != 0)
            return -9;
        src = &labelled.rec;
    }
    // Built aside, so that dest may be src.
    TempRLE zoomed;
    int status;
    if (src->uiWidth == w && w == zw && src->uiHeight == h && h == zh && offX == 0 && offY == 0)
        status = Copy(&zoomed.rec, src);
    else
        status = ZoomObjects(&zoomed.rec, w, h, zw, zh, offX, offY, src);
    if (status != 0)
        return -9;
    Swap(dest, &zoomed.rec);
    return 0;
}

namespace
{

// Entry k of a channel: the fill colour's channel at the opacity over k.
struct BlendTable {
    uint8_t channel[3][256]; // blue, green, red: the display's byte order

    void Build(uint32_t fill, uint8_t opacity)
    {
        const uint32_t a = fill == 0xFFFFFFFFu ? 0 : opacity;
        const uint32_t colour[3] = {(fill >> 16) & 255, (fill >> 8) & 255, fill & 255};
        for (int c = 0; c < 3; ++c)
            for (uint32_t k = 0; k < 256; ++k)
                channel[c][k] = uint8_t((colour[c] * a + k * (255 - a)) / 255);
    }
};

// Outline strokes: the stamp's reach round each outline pixel.
int StampRadius(uint8_t style)
{
    return style == 0 ? 0 : style == 1 ? 0 : style <= 4 ? 1 : 2;
}

// Everything one drawing call works with; nothing of it outlives the call,
// so displays may run at the same time.
class Painter
{
  public:
    static constexpr int kMargin = 2;

    Painter(uint8_t* display, uint64_t bpl, uint32_t w, uint32_t h, int64_t offX, int64_t offY,
            uint32_t zw, uint32_t zh)
        : m_display(display), m_bpl(bpl), m_w(w), m_h(h), m_offX(offX), m_offY(offY), m_zw(zw),
          m_zh(zh), m_workW(uint64_t(w) + 2 * kMargin), m_workH(uint64_t(h) + 2 * kMargin)
    {
    }
    ~Painter() { CLxAlloc::Free(m_work); }

    bool Begin()
    {
        const uint64_t bytes = m_workW * m_workH * 3;
        m_work = static_cast<uint8_t*>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, size_t(bytes)));
        return m_work != nullptr;
    }

    // Zoomed rows worth walking: the window and the stamps' reach.
    int64_t firstRow() const { return m_offY - kMargin; }
    int64_t lastRow() const { return m_offY + int64_t(m_h) - 1 + kMargin; }

    void Object(const uint8_t* obj, const DecodedObject& runs, uint8_t opacity)
    {
        const uint32_t fill = Load32(obj, kFill);
        if (!m_tableSet || fill != m_tableFill) {
            m_table.Build(fill, opacity);
            m_tableFill = fill;
            m_tableSet = true;
        }
        const uint32_t draw = Load32(obj, kDraw);
        m_draw[0] = uint8_t(draw >> 16);
        m_draw[1] = uint8_t(draw >> 8);
        m_draw[2] = uint8_t(draw);
        if (draw == 0)
            m_draw[0] = m_draw[1] = m_draw[2] = 1; // black would read as "nothing drawn"
        const uint8_t style = obj[kStyle];
        m_radius = StampRadius(style);

        const uint64_t rows = runs.rows.size();
        for (uint64_t r = 0; r < rows; ++r) {
            const DecodedRow& row = runs.rows[r];
            if (int64_t(row.y) < firstRow() || int64_t(row.y) > lastRow())
                continue;
            const DecodedRun* spans = runs.runs.data() + row.first;
            if (style == 0) {
                for (uint32_t i = 0; i < row.count; ++i)
                    Blend(row.y, spans[i].start, spans[i].end);
                continue;
            }
            if (r == 0 || r + 1 == rows) {
                for (uint32_t i = 0; i < row.count; ++i)
                    Stamp(row.y, spans[i].start, spans[i].end);
                continue;
            }
            const DecodedRow* above = Neighbour(runs, r - 1, int64_t(row.y) - 1);
            const DecodedRow* below = Neighbour(runs, r + 1, int64_t(row.y) + 1);
            for (uint32_t i = 0; i < row.count; ++i)
                MiddleRun(runs, row.y, spans[i], above, below);
        }
    }

    // Strokes over the blended pixels, where something was drawn.
    void Finish()
    {
        for (uint32_t y = 0; y < m_h; ++y) {
            const uint8_t* from = m_work + ((uint64_t(y) + kMargin) * m_workW + kMargin) * 3;
            uint8_t* to = m_display + uint64_t(y) * m_bpl;
            for (uint32_t x = 0; x < m_w; ++x, from += 3, to += 3)
                if (from[0] | from[1] | from[2]) {
                    to[0] = from[0];
                    to[1] = from[1];
                    to[2] = from[2];
                }
        }
    }

  private:
    static const DecodedRow* Neighbour(const DecodedObject& runs, uint64_t r, int64_t y)
    {
        const DecodedRow& row = runs.rows[r];
        return int64_t(row.y) == y ? &row : nullptr;
    }

    // A run of a middle row: its inner pixels are those between its ends
    // that have the object directly above and below; the rest is outline.
    void MiddleRun(const DecodedObject& runs, uint32_t y, const DecodedRun& run,
                   const DecodedRow* above, const DecodedRow* below)
    {
        if (uint64_t(run.end) - run.start < 2 || !above || !below) {
            Stamp(y, run.start, run.end);
            return;
        }
        const DecodedRun* a = runs.runs.data() + above->first;
        const DecodedRun* b = runs.runs.data() + below->first;
        uint32_t ia = 0, ib = 0;
        uint64_t outlineFrom = run.start; // first pixel not yet classified
        const uint32_t lo = run.start + 1, hi = run.end - 1;
        while (ia < above->count && ib < below->count) {
            const uint32_t start = std::max({a[ia].start, b[ib].start, lo});
            const uint32_t end = std::min({a[ia].end, b[ib].end, hi});
            if (start <= end) {
                if (start > outlineFrom)
                    Stamp(y, uint32_t(outlineFrom), start - 1);
                Blend(y, start, end);
                outlineFrom = uint64_t(end) + 1;
            }
            if (a[ia].end < b[ib].end)
                ++ia;
            else
                ++ib;
        }
        if (outlineFrom <= run.end)
            Stamp(y, uint32_t(outlineFrom), run.end);
    }

    // Blends the window part of zoomed pixels x0..x1 of row y.
    void Blend(uint32_t y, uint32_t x0, uint32_t x1)
    {
        const int64_t dy = int64_t(y) - m_offY;
        if (dy < 0 || dy >= int64_t(m_h) || y >= m_zh)
            return;
        x1 = std::min(x1, m_zw - 1);
        const int64_t from = std::max<int64_t>(int64_t(x0) - m_offX, 0);
        const int64_t to = std::min<int64_t>(int64_t(x1) - m_offX, int64_t(m_w) - 1);
        if (from > to)
            return;
        uint8_t* p = m_display + uint64_t(dy) * m_bpl + uint64_t(from) * 3;
        for (int64_t x = from; x <= to; ++x, p += 3) {
            p[0] = m_table.channel[0][p[0]];
            p[1] = m_table.channel[1][p[1]];
            p[2] = m_table.channel[2][p[2]];
        }
    }

    // Outline pixels x0..x1 of row y with the stroke's stamp: a diamond of
    // the radius, so row y +- d takes the span widened by radius - d.
    void Stamp(uint32_t y, uint32_t x0, uint32_t x1)
    {
        for (int d = -m_radius; d <= m_radius; ++d) {
            const int64_t widen = m_radius - std::abs(d);
            Fill(int64_t(y) + d, int64_t(x0) - widen, int64_t(x1) + widen);
        }
    }

    // Sets zoomed pixels x0..x1 of row y in the work picture, clipped to it
    // and to the zoomed picture (a window past its edge shows no strokes
    // there, as a window inside it shows none beyond the edge).
    void Fill(int64_t y, int64_t x0, int64_t x1)
    {
        const int64_t wy = y - m_offY + kMargin;
        if (wy < 0 || wy >= int64_t(m_workH) || y < 0 || y >= int64_t(m_zh))
            return;
        x0 = std::max<int64_t>(x0, 0);
        x1 = std::min<int64_t>(x1, int64_t(m_zw) - 1);
        const int64_t from = std::max<int64_t>(x0 - m_offX + kMargin, 0);
        const int64_t to = std::min<int64_t>(x1 - m_offX + kMargin, int64_t(m_workW) - 1);
        if (from > to)
            return;
        uint8_t* p = m_work + (uint64_t(wy) * m_workW + uint64_t(from)) * 3;
        for (int64_t x = from; x <= to; ++x, p += 3) {
            p[0] = m_draw[0];
            p[1] = m_draw[1];
            p[2] = m_draw[2];
        }
    }

    uint8_t* m_display;
    uint64_t m_bpl;
    uint32_t m_w, m_h;
    int64_t m_offX, m_offY;
    uint32_t m_zw, m_zh;
    uint64_t m_workW, m_workH;
    uint8_t* m_work = nullptr;
    BlendTable m_table;
    uint32_t m_tableFill = 0;
    bool m_tableSet = false;
    uint8_t m_draw[3] = {1, 1, 1};
    int m_radius = 0;
};

} // namespace

int CLxRLEPicBufAPI::BlendColorWithStretchedRLE(uint8_t* pixels, uint32_t bytesPerLine, uint32_t w,
                                                uint32_t h, uint32_t zw, uint32_t zh, int32_t offX,
                                                uint32_t offY, SLxRLEPicBuf* rec,
                                                uint32_t /*reserved*/, uint8_t opacity)
{
    if (!pixels || !rec || zw == 0 || zh == 0 || uint64_t(bytesPerLine) < uint64_t(w) * 3 ||
        !FitsPicture(rec))
        return -9;
    if (!rec->bPainted && ConvertRLEToPaintedRLE(rec) != 0)
        return -9;
    if (w == 0 || h == 0)
        return 0;

    // Strokes of objects just outside the window reach into it.
    const int64_t margin = Painter::kMargin;
    const int64_t x0 = std::max<int64_t>(int64_t(offX) - margin, 0);
    const int64_t x1 = std::min<int64_t>(int64_t(offX) + w + margin, zw);
    const int64_t y0 = std::max<int64_t>(int64_t(offY) - margin, 0);
    const int64_t y1 = std::min<int64_t>(int64_t(offY) + h + margin, zh);
    if (x0 >= x1 || y0 >= y1)
        return 0;

    TempRLE zoomed;
    const SLxRLEPicBuf* shown = rec;
    if (zw != rec->uiWidth || zh != rec->uiHeight) {
        if (ZoomObjects(&zoomed.rec, uint32_t(x1 - x0), uint32_t(y1 - y0), zw, zh, uint32_t(x0),
                        uint32_t(y0), rec) != 0)
            return -9;
        shown = &zoomed.rec;
    }

    Painter painter(pixels, bytesPerLine, w, h, offX, offY, zw, zh);
    if (!painter.Begin())
        return -9;
    DecodedObject runs;
    ObjectWalk walk(shown);
    while (const uint8_t* obj = walk.Next()) {
        if (Load32(obj, kStatus) & 0x40)
            continue;
        if (!Decode(obj, runs))
            return -9;
        painter.Object(obj, runs, opacity);
    }
    painter.Finish();
#ifndef NDEBUG
    CLxAlloc::CheckAllMemory();
#endif
    return 0;
}
