// Convex hulls of traced contours: the contour is cut at its extreme points
// and two chains collect the support points of a fan of directions. Also
// their drawing into one-bit pictures.
#include "gnr_picture/BinPicBufAPI/LxConvexHull.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufCheck.h"
#include "gnr_picture/LxContour.h"
#include "gnr_picture/LxLineDrawing.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/LxPicMeasSamples.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace lx_bin
{

namespace
{

constexpr uint32_t kNone = UINT32_MAX;

Hull* NewHull(size_t count)
{
    auto* hull = static_cast<Hull*>(
        CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, offsetof(Hull, vertices) + count * sizeof(SLxIPoint)));
    if (hull)
        hull->count = uint32_t(count);
    return hull;
}

void Measure(Hull* hull)
{
    const uint32_t n = hull->count;
    const SLxIPoint* v = hull->vertices;
    int64_t sx = 0, sy = 0;
    hull->left = hull->right = v[0].x;
    hull->top = hull->bottom = v[0].y;
    for (uint32_t i = 0; i < n; ++i) {
        sx += v[i].x;
        sy += v[i].y;
        hull->left = std::min(hull->left, v[i].x);
        hull->right = std::max(hull->right, v[i].x);
        hull->top = std::min(hull->top, v[i].y);
        hull->bottom = std::max(hull->bottom, v[i].y);
    }
    hull->centreX = int32_t(std::floor(double(sx) / n));
    hull->centreY = int32_t(std::floor(double(sy) / n));
    double area = 0, perimeter = 0;
    // Every kept vertex takes part, the closing edge included.
    for (uint32_t i = 0; i < n; ++i) {
        // In doubles: a caller's contour may span the whole int32 range.
        const double ax = v[i].x, ay = v[i].y, bx = v[(i + 1) % n].x, by = v[(i + 1) % n].y;
        const double t = (ay - hull->centreY) * (bx - ax) - (ay - by) * (hull->centreX - ax);
        area += std::fabs(std::trunc(t / 2));
        perimeter += std::hypot(bx - ax, by - ay);
    }
    hull->perimeter = perimeter;
    hull->area = area + perimeter / 2;
}

// The contour read from its rightmost topmost point backwards, so that it
// runs counter-clockwise on the screen: left along the top, down the left
// side, right along the bottom and up the right side.
class Reordered
{
  public:
    // A traced contour ends at the tracer's start; the walk from there meets
    // a pixel that it passes twice first where it belongs in the outline.
    // The points are copied in their new order to room (count of them).
    Reordered(const SLxIPoint* points, uint32_t count, SLxIPoint* room)
        : points_(room), count_(count)
    {
        uint32_t first = count - 1;
        for (uint32_t i = 0; i + 1 < count; ++i)
            if (points[i].y < points[first].y ||
                (points[i].y == points[first].y && points[i].x > points[first].x))
                first = i;
        for (uint32_t p = 0; p < count; ++p)
            room[p] = points[p <= first ? first - p : count - (p - first)];
    }
    uint32_t size() const { return count_; }
    SLxIPoint operator[](uint32_t position) const { return points_[position]; }

  private:
    const SLxIPoint* points_;
    uint32_t count_;
};

// The extreme positions, each the first one after the one before that
// holds its pixel: a pixel that a spur makes the tracer pass twice is taken
// where it lies between its neighbours on the outline. The rightmost points
// are looked for after the bottom, as the first position lies beyond the
// last chain's reach.
struct Extremes {
    uint32_t t1, l1, l2, b1, b2, r2, r1;
};

// The pixel of positions from..to that is first by the key (a, b).
template <class Key> SLxIPoint Extreme(const Reordered& c, uint32_t from, uint32_t to, Key key)
{
    SLxIPoint best = c[from];
    for (uint32_t p = from + 1; p <= to; ++p)
        if (key(c[p]) < key(best))
            best = c[p];
    return best;
}

Extremes FindExtremes(const Reordered& c)
{
    using Key = std::pair<int64_t, int64_t>;
    const uint32_t last = c.size() - 1;
    // The first position from..last holding the pixel; from itself when a
    // contour not in the tracer's order has none.
    auto next = [&](uint32_t from, SLxIPoint pixel) {
        for (uint32_t p = from; p <= last; ++p)
            if (c[p].x == pixel.x && c[p].y == pixel.y)
                return p;
        return from;
    };
    Extremes e;
    e.t1 = next(0, Extreme(c, 0, last, [](SLxIPoint q) { return Key(q.y, q.x); }));
    e.l1 = next(e.t1, Extreme(c, 0, last, [](SLxIPoint q) { return Key(q.x, q.y); }));
    e.l2 = next(e.l1, Extreme(c, 0, last, [](SLxIPoint q) { return Key(q.x, -int64_t(q.y)); }));
    e.b1 = next(e.l2, Extreme(c, 0, last, [](SLxIPoint q) { return Key(-int64_t(q.y), q.x); }));
    e.b2 = next(e.b1,
                Extreme(c, 0, last, [](SLxIPoint q) { return Key(-int64_t(q.y), -int64_t(q.x)); }));
    e.r2 = next(e.b2, Extreme(c, e.b2, last,
                              [](SLxIPoint q) { return Key(-int64_t(q.x), -int64_t(q.y)); }));
    e.r1 = next(e.r2, Extreme(c, e.b2, last, [](SLxIPoint q) { return Key(-int64_t(q.x), q.y); }));
    return e;
}

class Chain
{
  public:
    explicit Chain(uint32_t* room) : positions_(room) {}
    void push(uint32_t position) { positions_[count_++] = position; }
    uint32_t back() const { return positions_[count_ - 1]; }
    uint32_t size() const { return count_; }
    uint32_t operator[](uint32_t i) const { return positions_[i]; }

  private:
    uint32_t* positions_;
    uint32_t count_ = 0;
};

// One direction of the fan: a = 10 sin, b = -10 cos, c = cos of its angle.
// Points on one line across the direction rarely project to the very same
// double (sin 45 differs from cos 45 in the last bit), so projections closer
// than tie count as equal.
struct Direction {
    double a, b, c, tie;
    double project(SLxIPoint p) const { return p.x * a - p.y * b; }
};

// The bounds of a run of kBoxPoints consecutive positions.
constexpr uint32_t kBoxPoints = 16;
struct Box {
    int32_t left, right, top, bottom;
};

// No point of the box projects (times sign) above this. The margin is far
// above the rounding of any projection, so that a box is only passed over
// when every point in it would be.
double UpperBound(const Box& box, const Direction& d, double sign, double margin)
{
    const double ax0 = box.left * d.a, ax1 = box.right * d.a;
    const double by0 = box.top * d.b, by1 = box.bottom * d.b;
    const double high = sign > 0 ? std::max(ax0, ax1) - std::min(by0, by1)
                                 : std::max(by0, by1) - std::min(ax0, ax1);
    return high + margin;
}

// The sines and cosines of whole degrees, worked out once.
struct FanAngle {
    double sine, cosine;
};

const FanAngle* FanAngles()
{
    static const auto table = [] {
        std::array<FanAngle, 180> angles{};
        const double toRadians = 0.017453292519943334;
        for (int degrees = 0; degrees < 180; ++degrees) {
            const double theta = degrees * toRadians;
            angles[size_t(degrees)] = FanAngle{std::sin(theta), std::cos(theta)};
        }
        return angles;
    }();
    return table.data();
}

// Appends the support points of positions from..to for the smallest (or
// largest) projection: the first in contour order and, when others tie, the
// one of them farthest along the tie line in the chain's way round.
// Boxes, where given, let whole runs of positions that cannot come near
// the best point so far be passed over.
void AppendSupport(const Reordered& c, const Box* boxes, double margin, Chain& chain, uint32_t to,
                   const Direction& d, bool smallest)
{
    const uint32_t from = chain.back();
    if (from > to)
        return;
    // One pass, the largest of sign x projection; a clearly better point
    // starts the ties afresh.
    const double sign = smallest ? -1 : 1;
    double best = sign * d.project(c[from]);
    uint32_t first = from, second = kNone;
    double secondKey = 0;
    for (uint32_t p = from + 1; p <= to; ++p) {
        if (boxes && p % kBoxPoints == 0 && to - p >= kBoxPoints - 1 &&
            UpperBound(boxes[p / kBoxPoints], d, sign, margin) < best - d.tie) {
            p += kBoxPoints - 1;
            continue;
        }
        const double v = sign * d.project(c[p]);
        if (v < best - d.tie)
            continue;
        if (v > best + d.tie) {
            best = v;
            first = p;
            second = kNone;
            continue;
        }
        best = std::max(best, v);
        const double key = (double(c[p].x) - c[first].x) / d.c;
        if (second == kNone || (smallest ? key < secondKey : key > secondKey)) {
            second = p;
            secondKey = key;
        }
    }
    chain.push(first);
    if (second != kNone)
        chain.push(second);
}

Hull* FanHull(const SLxIPoint* points, uint32_t n, int step, bool boundedScan)
{
    // Each angle adds at most two vertices to each chain; the reordered
    // points follow the chains in the same block, and their boxes them.
    const uint32_t angles = step >= 180 ? 0 : uint32_t(179 / step);
    const size_t room = 4 + 2 * size_t(angles);
    const size_t boxCount = boundedScan ? n / kBoxPoints : 0;
    auto* work = static_cast<uint32_t*>(CLxAlloc::Alloc(
        0, 2 * room * sizeof(uint32_t) + size_t(n) * sizeof(SLxIPoint) + boxCount * sizeof(Box)));
    if (!work)
        return nullptr;
    auto* reordered = reinterpret_cast<SLxIPoint*>(work + 2 * room);
    const Reordered c(points, n, reordered);
    Box* boxes = boxCount ? reinterpret_cast<Box*>(reordered + n) : nullptr;
    for (size_t i = 0; i < boxCount; ++i) {
        Box box{c[uint32_t(i * kBoxPoints)].x, c[uint32_t(i * kBoxPoints)].x,
                c[uint32_t(i * kBoxPoints)].y, c[uint32_t(i * kBoxPoints)].y};
        for (uint32_t p = uint32_t(i * kBoxPoints) + 1; p < (i + 1) * kBoxPoints; ++p) {
            box.left = std::min(box.left, c[p].x);
            box.right = std::max(box.right, c[p].x);
            box.top = std::min(box.top, c[p].y);
            box.bottom = std::max(box.bottom, c[p].y);
        }
        boxes[i] = box;
    }
    const Extremes e = FindExtremes(c);
    const uint32_t t1 = e.t1, l1 = e.l1, l2 = e.l2, b1 = e.b1, b2 = e.b2, r2 = e.r2, r1 = e.r1;
    Chain chainA(work), chainB(work + room);
    chainA.push(0);
    if (t1 != 0)
        chainA.push(t1);
    chainB.push(b1);
    if (b2 != b1)
        chainB.push(b2);
    double magnitude = 0;
    for (uint32_t i = 0; i < n; ++i)
        magnitude =
            std::max(magnitude, std::fabs(double(points[i].x)) + std::fabs(double(points[i].y)));
    const double tie = 1e-12 * (1 + 10 * magnitude);
    const double margin = 1e-9 * (1 + 10 * magnitude);
    const FanAngle* fan = FanAngles();
    for (uint32_t k = 1; k <= angles; ++k) {
        const int degrees = int(k) * step;
        if (degrees == 90) {
            chainA.push(l1);
            if (l2 != l1)
                chainA.push(l2);
            chainB.push(r2);
            if (r1 != r2)
                chainB.push(r1);
            continue;
        }
        const FanAngle& angle = fan[degrees];
        const Direction d{10 * angle.sine, -10 * angle.cosine, angle.cosine, tie};
        AppendSupport(c, boxes, margin, chainA, degrees < 90 ? l2 : b2, d, true);
        AppendSupport(c, boxes, margin, chainB, degrees < 90 ? r1 : n - 1, d, false);
    }

    // Chain A then chain B, each vertex after the one kept before it: a
    // repeated position, or one behind it where a spur revisits pixels,
    // would fold the polygon back on itself.
    // Counted first, then copied into the hull block.
    auto merge = [&](SLxIPoint* out) {
        uint32_t count = 0, last = 0;
        for (const Chain* chain : {&chainA, &chainB})
            for (uint32_t i = 0; i < chain->size(); ++i) {
                const uint32_t position = (*chain)[i];
                if (count > 0 && position <= last)
                    continue;
                if (out)
                    out[count] = c[position];
                ++count;
                last = position;
            }
        return count;
    };
    Hull* hull = NewHull(merge(nullptr));
    if (hull) {
        merge(hull->vertices);
        Measure(hull);
    }
    CLxAlloc::Free(work);
    return hull;
}

} // namespace

Hull* MakeHull(const SLxContour* contour, int step, bool boundedScan)
{
    if (!contour || contour->uiCount == 0 || step < 1)
        return nullptr;
    const uint32_t n = contour->uiCount;
    const SLxIPoint* pts = contour->points;
    if (n > 2)
        return FanHull(pts, n, step, boundedScan);
    Hull* hull = NewHull(n);
    if (!hull)
        return nullptr;
    std::copy(pts, pts + n, hull->vertices);
    hull->area = n == 1 ? 1.0 : 2.0;
    hull->perimeter = n == 1 ? 2.68 : 4.57;
    hull->centreX = pts[0].x;
    hull->centreY = pts[0].y;
    hull->left = std::min(pts[0].x, pts[n - 1].x);
    hull->right = std::max(pts[0].x, pts[n - 1].x);
    hull->top = std::min(pts[0].y, pts[n - 1].y);
    hull->bottom = std::max(pts[0].y, pts[n - 1].y);
    return hull;
}

} // namespace lx_bin

namespace
{

constexpr uint8_t kObject = 255;
constexpr uint8_t kVisited = 1;

// The 8-bit working picture: object pixels kObject, the rest 0.
class Labels
{
  public:
    explicit Labels(const SLxBinPicBuf* src)
    {
        CLxPicBufAPI::Init(&pic_);
        ok_ = CLxPicBufAPI::Reinit(&pic_, src->uiWidth, src->uiHeight, 0, 8, 1, false) == 0;
        // Eight pixels a source byte.
        uint8_t spread[256][8];
        for (uint32_t b = 0; b < 256; ++b)
            for (uint32_t i = 0; i < 8; ++i)
                spread[b][i] = (b & (0x80u >> i)) ? kObject : 0;
        const uint32_t width = src->uiWidth;
        for (uint32_t y = 0; ok_ && y < src->uiHeight; ++y) {
            const uint8_t* bits =
                static_cast<const uint8_t*>(src->pData) + size_t(y) * src->uiWidthBytes;
            uint8_t* row = this->row(y);
            uint32_t x = 0;
            for (; x + 8 <= width; x += 8)
                std::memcpy(row + x, spread[bits[x / 8]], 8);
            for (; x < width; ++x)
                row[x] = spread[bits[x / 8]][x % 8];
        }
    }
    ~Labels() { CLxPicBufAPI::Free(&pic_); }
    Labels(const Labels&) = delete;
    Labels& operator=(const Labels&) = delete;
    bool ok() const { return ok_; }
    SLxPicBuf* get() { return &pic_; }
    uint8_t* row(uint32_t y) { return lx_meas::Row<uint8_t>(&pic_, y); }

  private:
    SLxPicBuf pic_;
    bool ok_ = false;
};

// The union of the hulls, one bit a pixel, copied to the destination only
// when every hull is drawn.
class HullBits
{
  public:
    HullBits(uint32_t width, uint32_t height)
    {
        CLxBinPicBufAPI::Init(&pic_);
        ok_ = CLxBinPicBufAPI::Reinit(&pic_, width, height, 0, true) == 0;
    }
    ~HullBits() { CLxBinPicBufAPI::Free(&pic_); }
    HullBits(const HullBits&) = delete;
    HullBits& operator=(const HullBits&) = delete;
    bool ok() const { return ok_; }
    SLxBinPicBuf* get() { return &pic_; }
    uint32_t width() const { return pic_.uiWidth; }
    // Sets pixels first..last of row y.
    void set(uint32_t y, uint32_t first, uint32_t last)
    {
        uint8_t* line = static_cast<uint8_t*>(pic_.pData) + size_t(y) * pic_.uiWidthBytes;
        const uint32_t a = first / 8, b = last / 8;
        const uint8_t head = uint8_t(0xFFu >> (first % 8)),
                      tail = uint8_t(0xFF00u >> (last % 8 + 1));
        if (a == b) {
            line[a] |= uint8_t(head & tail);
            return;
        }
        line[a] |= head;
        std::memset(line + a + 1, 0xFF, b - a - 1);
        line[b] |= tail;
    }

  private:
    SLxBinPicBuf pic_;
    bool ok_ = false;
};

// The first and last column that the outline of one hull reaches on each
// picture row. Rows are filled between them rather than between any hull
// pixels of the row, which an earlier hull nearby would widen.
class RowSpans
{
  public:
    explicit RowSpans(uint32_t height)
        : spans_(static_cast<int32_t*>(CLxAlloc::Alloc(0, 2 * size_t(height) * sizeof(int32_t)))),
          height_(height)
    {
        for (uint32_t y = 0; spans_ && y < height; ++y)
            clear(y);
    }
    ~RowSpans() { CLxAlloc::Free(spans_); }
    RowSpans(const RowSpans&) = delete;
    RowSpans& operator=(const RowSpans&) = delete;
    bool ok() const { return spans_ != nullptr || height_ == 0; }
    void add(int32_t x, uint32_t y)
    {
        spans_[2 * y] = std::min(spans_[2 * y], x);
        spans_[2 * y + 1] = std::max(spans_[2 * y + 1], x);
    }
    int32_t first(uint32_t y) const { return spans_[2 * y]; }
    int32_t last(uint32_t y) const { return spans_[2 * y + 1]; }
    void clear(uint32_t y)
    {
        spans_[2 * y] = INT32_MAX;
        spans_[2 * y + 1] = INT32_MIN;
    }

  private:
    int32_t* spans_;
    uint32_t height_;
};

struct Outline {
    uint32_t width, height;
    RowSpans* rows;
};

bool PlotHull(int x, int y, void* context)
{
    auto* outline = static_cast<Outline*>(context);
    if (x >= 0 && y >= 0 && uint32_t(x) < outline->width && uint32_t(y) < outline->height)
        outline->rows->add(x, uint32_t(y));
    return true;
}

void DrawHull(HullBits& bits, RowSpans& rows, const lx_bin::Hull* hull)
{
    Outline outline{bits.get()->uiWidth, bits.get()->uiHeight, &rows};
    const uint32_t n = hull->count;
    for (uint32_t i = 0; i < n; ++i) {
        const SLxIPoint a = hull->vertices[i], b = hull->vertices[(i + 1) % n];
        CLxLineDrawingAPI::Line(a.x, a.y, b.x, b.y, true, PlotHull, &outline);
    }
    // Vertices are object pixels, so the rows lie inside the picture.
    for (int32_t y = hull->top; y <= hull->bottom; ++y) {
        if (rows.first(uint32_t(y)) <= rows.last(uint32_t(y)))
            bits.set(uint32_t(y), uint32_t(rows.first(uint32_t(y))),
                     uint32_t(rows.last(uint32_t(y))));
        rows.clear(uint32_t(y));
    }
}

} // namespace

int CLxBinPicBufAPI::ConvexHull(SLxBinPicBuf* dst, const SLxBinPicBuf* src, bool, bool, int step)
{
    if (!lx_bin::SameSize(dst, src))
        return -9;
    if (step < 1)
        return -4;
    const uint32_t width = src->uiWidth, height = src->uiHeight;
    Labels labels(src);
    HullBits hulls(width, height);
    RowSpans rows(height);
    if (!labels.ok() || !hulls.ok() || !rows.ok())
        return -3;
    // Each object is painted kVisited and traced over that value: objects
    // are never 8-neighbours, so the tracer stays on its own one, and the
    // number of objects is not limited by labels.
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = labels.row(y);
        for (uint32_t x = 0; x < width; ++x) {
            const void* found = std::memchr(row + x, kObject, width - x);
            if (!found)
                break;
            x = uint32_t(static_cast<const uint8_t*>(found) - row);
            int status = CLxPicMeasAPI::Paint(labels.get(), x, y, kObject, kVisited, 8);
            if (status != 0)
                return status;
            // (x, y) is the object's first pixel in raster order: its left
            // neighbour is no part of it.
            SLxContour* contour = CLxPicMeasAPI::ContourPoints(labels.get(), kVisited,
                                                               SLxIPoint{int32_t(x), int32_t(y)});
            if (!contour)
                return -3;
            if (contour->uiCount <= 2) {
                for (uint32_t i = 0; i < contour->uiCount; ++i)
                    hulls.set(uint32_t(contour->points[i].y), uint32_t(contour->points[i].x),
                              uint32_t(contour->points[i].x));
            } else {
                lx_bin::Hull* hull = lx_bin::MakeHull(contour, step);
                if (!hull) {
                    CLxAlloc::Free(contour);
                    return -3;
                }
                DrawHull(hulls, rows, hull);
                CLxAlloc::Free(hull);
            }
            CLxAlloc::Free(contour);
        }
    }
    CLxBinPicBufAPI::Copy(dst, hulls.get());
    return 0;
}
int CLxBinPicBufAPI::CalculateConvexityFeatures(const SLxContour* contour, double& perimeter,
                                                double& area)
{
    lx_bin::Hull* hull = lx_bin::MakeHull(contour, 5);
    if (!hull) {
        perimeter = area = 0;
        return -9;
    }
    perimeter = hull->perimeter;
    area = hull->area;
    CLxAlloc::Free(hull);
    return 0;
}
