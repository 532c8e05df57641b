// Outer contours traced pixel by pixel, their 4-connected form, line walks
// and the start pixels and bounds that go with them.
#include <climits>
#include <cstring>

#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/LxPicMeasSamples.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

// Directions clockwise on the screen from +x.
constexpr int kStepX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr int kStepY[8] = {0, 1, 1, 1, 0, -1, -1, -1};

// What a move adds to the enclosed pixel count, by the direction that
// reached the point (row) and the one that leaves it (column): 1 adds 1,
// 2 adds x + 1, -1 subtracts x.
constexpr int kCountRule[8][8] = {
    {0, 2, 2, 2, 2, 0, 0, 0},     {0, 2, 2, 2, 2, 1, 0, 0},     {0, 2, 2, 2, 2, 1, 1, 0},
    {0, 2, 2, 2, 2, 1, 1, 1},     {-1, 0, 0, 0, 0, -1, -1, -1}, {-1, 1, 0, 0, 0, -1, -1, -1},
    {-1, 1, 1, 0, 0, -1, -1, -1}, {-1, 1, 1, 1, 0, -1, -1, -1},
};

SLxContour* NewContour(size_t capacity)
{
    return static_cast<SLxContour*>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, LxContourBytes(capacity)));
}

// Usable samples of a one-component picture of up to 16 bits, else 0.
uint32_t UsableSampleBytes(const SLxPicBuf* pic)
{
    if (!pic || pic->uiComps != 1)
        return 0;
    const uint32_t bytes = lx_meas::SampleBytes(pic);
    return bytes && lx_meas::HoldsLines(pic, bytes) ? bytes : 0;
}

// Which pixels belong to the traced object: those equal to the value, or
// different from it. Pixels outside the picture never do. Pixels inside
// the frame one pixel in from the edges have all eight neighbours inside,
// so their neighbours are read at fixed offsets without bounds checks.
template <typename T, bool Different> class Neighbours
{
  public:
    Neighbours(const SLxPicBuf* pic, uint16_t value)
        : base_(static_cast<const uint8_t*>(pic->pData)), stride_(pic->uiWidthBytes),
          width_(pic->uiWidth), height_(pic->uiHeight), value_(value)
    {
        for (int d = 0; d < 8; ++d)
            offset_[d] =
                ptrdiff_t(kStepY[d]) * ptrdiff_t(stride_) + kStepX[d] * ptrdiff_t(sizeof(T));
    }
    const uint8_t* at(int32_t x, int32_t y) const
    {
        return base_ + size_t(y) * stride_ + size_t(x) * sizeof(T);
    }
    bool matches(int64_t x, int64_t y) const
    {
        return x >= 0 && y >= 0 && x < width_ && y < height_ && holds(at(int32_t(x), int32_t(y)));
    }
    // One in from every edge; x and y lie inside the picture.
    bool framed(int32_t x, int32_t y) const
    {
        return uint64_t(int64_t(x) - 1) < innerWidth_ && uint64_t(int64_t(y) - 1) < innerHeight_;
    }
    // The first direction from..from+7 (modulo 8) whose neighbour of (x, y)
    // at p matches, or -1.
    int first(int32_t x, int32_t y, const uint8_t* p, int from) const
    {
        if (framed(x, y)) {
            for (int k = 0; k < 8; ++k) {
                const int d = (from + k) & 7;
                if (holds(p + offset_[d]))
                    return d;
            }
            return -1;
        }
        for (int k = 0; k < 8; ++k) {
            const int d = (from + k) & 7;
            if (matches(int64_t(x) + kStepX[d], int64_t(y) + kStepY[d]))
                return d;
        }
        return -1;
    }
    ptrdiff_t offset(int d) const { return offset_[d]; }

  private:
    bool holds(const uint8_t* p) const
    {
        T v;
        std::memcpy(&v, p, sizeof(T));
        return (uint32_t(v) == value_) != Different;
    }

    const uint8_t* base_;
    size_t stride_;
    int64_t width_, height_;
    uint32_t value_;
    uint64_t innerWidth_ = width_ > 2 ? uint64_t(width_ - 2) : 0;
    uint64_t innerHeight_ = height_ > 2 ? uint64_t(height_ - 2) : 0;
    ptrdiff_t offset_[8];
};

// The contour of the start pixel alone.
SLxContour* SinglePoint(SLxContour* contour, SLxIPoint start, uint64_t* count)
{
    contour->uiCount = 1;
    contour->points[0] = start;
    if (count)
        *count = 1;
    return contour;
}

template <typename T, bool Different>
SLxContour* Trace(const SLxPicBuf* pic, uint16_t value, SLxIPoint start, uint64_t* count)
{
    const Neighbours<T, Different> near(pic, value);
    size_t capacity = 513;
    SLxContour* contour = NewContour(capacity);
    if (!contour)
        return nullptr;

    const int firstDir = near.first(start.x, start.y, near.at(start.x, start.y), 5);
    if (firstDir < 0)
        return SinglePoint(contour, start, count);

    // A trace that never comes back to its first move (a start that is no
    // left seed can cause it) is cut off once it has made more moves than
    // there are (pixel, direction) states.
    const uint64_t maxPoints = uint64_t(pic->uiWidth) * pic->uiHeight * 8 + 2;
    SLxIPoint* pts = contour->points;
    pts[0] = SLxIPoint{start.x + kStepX[firstDir], start.y + kStepY[firstDir]};
    const SLxIPoint origin = pts[0];
    const uint8_t* p = near.at(origin.x, origin.y);
    size_t n = 1;
    int lastDir = firstDir;
    int64_t enclosed = 1;
    SLxIPoint cur = origin;
    for (;;) {
        if (n > 1 && cur.x == origin.x && cur.y == origin.y && lastDir == firstDir) {
            --n;
            break;
        }
        if (n >= maxPoints)
            break;
        const int dir = near.first(cur.x, cur.y, p, ((lastDir & ~1) + 7) & 7);
        if (dir < 0)
            break; // only for a start that is not next to the object
        if (count) {
            switch (kCountRule[lastDir][dir]) {
            case 1:
                enclosed += 1;
                break;
            case 2:
                enclosed += int64_t(cur.x) + 1;
                break;
            case -1:
                enclosed -= cur.x;
                break;
            default:
                break;
            }
        }
        cur = SLxIPoint{cur.x + kStepX[dir], cur.y + kStepY[dir]};
        pts[n++] = cur;
        p += near.offset(dir);
        lastDir = dir;
        if (n + 2 == capacity) {
            capacity = n + 514;
            auto* grown = static_cast<SLxContour*>(
                CLxAlloc::ReAlloc(contour, LxContourBytes(capacity), LX_HEAP_ZERO_MEMORY));
            if (!grown) {
                CLxAlloc::Free(contour);
                return nullptr;
            }
            contour = grown;
            pts = contour->points;
        }
    }
    if (n >= 2)
        enclosed -= 1;
    contour->uiCount = uint32_t(n);
    if (count)
        *count = enclosed > 0 ? uint64_t(enclosed) : 0;
    return contour;
}

SLxContour* Trace(const SLxPicBuf* pic, uint16_t value, SLxIPoint start, bool different,
                  uint64_t* count)
{
    if (!pic || !lx_meas::Inside(pic, start.x, start.y))
        return nullptr;
    switch (UsableSampleBytes(pic) * 2 + (different ? 1 : 0)) {
    case 2:
        return Trace<uint8_t, false>(pic, value, start, count);
    case 3:
        return Trace<uint8_t, true>(pic, value, start, count);
    case 4:
        return Trace<uint16_t, false>(pic, value, start, count);
    case 5:
        return Trace<uint16_t, true>(pic, value, start, count);
    default: {
        // Nothing matches in pictures of other depths.
        SLxContour* contour = NewContour(513);
        return contour ? SinglePoint(contour, start, count) : nullptr;
    }
    }
}

} // namespace

SLxContour* CLxPicMeasAPI::ContourPoints(const SLxPicBuf* pic, uint16_t value, SLxIPoint start)
{
    return Trace(pic, value, start, false, nullptr);
}

SLxContour* CLxPicMeasAPI::ContourPoints(const SLxPicBuf* pic, uint16_t value, SLxIPoint start,
                                         uint64_t* count)
{
    return Trace(pic, value, start, false, count);
}

SLxContour* CLxPicMeasAPI::ContourPointsEx(const SLxPicBuf* pic, uint16_t background,
                                           SLxIPoint start)
{
    return Trace(pic, background, start, true, nullptr);
}

SLxContour* CLxPicMeasAPI::ContourPointsEx8To4(const SLxPicBuf* pic, uint16_t background,
                                               const SLxContour* contour)
{
    if (!contour || contour->uiCount == 0)
        return nullptr;
    SLxContour* out = NewContour(size_t(contour->uiCount) * 2 + 1);
    if (!out)
        return nullptr;
    const uint32_t bytes = UsableSampleBytes(pic);
    // Outside the picture counts as background.
    auto isBackground = [&](int32_t x, int32_t y) {
        return !lx_meas::Inside(pic, x, y) ||
               lx_meas::Sample(pic, bytes, uint32_t(x), uint32_t(y)) == background;
    };
    SLxIPoint* pts = out->points;
    size_t n = 0;
    pts[n++] = contour->points[0];
    for (uint32_t i = 1; i < contour->uiCount; ++i) {
        const SLxIPoint last = pts[n - 1];
        const SLxIPoint next = contour->points[i];
        if (last.x != next.x && last.y != next.y) {
            const bool offBackground = bytes != 0 && isBackground(next.x, last.y);
            pts[n++] = offBackground ? SLxIPoint{last.x, next.y} : SLxIPoint{next.x, last.y};
        }
        pts[n++] = next;
    }
    out->uiCount = uint32_t(n);
    return out;
}

SLxContour* CLxPicMeasAPI::LinePoints(SLxPicBuf* pic, uint16_t value, SLxIPoint start)
{
    if (!pic || !lx_meas::Inside(pic, start.x, start.y))
        return nullptr;
    const uint32_t bytes = UsableSampleBytes(pic);
    if (bytes == 0 || lx_meas::Sample(pic, bytes, start.x, start.y) != value)
        return nullptr;
    // Visited pixels are cleared so that the walk never comes back; a line
    // of 0 is marked with 1 instead.
    const uint16_t mark = value == 0 ? 1 : 0;
    auto put = [pic, bytes](SLxIPoint p, uint16_t v) {
        if (bytes == 1)
            lx_meas::Row<uint8_t>(pic, p.y)[p.x] = uint8_t(v);
        else
            lx_meas::Row<uint16_t>(pic, p.y)[p.x] = v;
    };
    static constexpr int kNextX[8] = {1, 0, -1, 0, 1, -1, -1, 1};
    static constexpr int kNextY[8] = {0, 1, 0, -1, 1, 1, -1, -1};

    size_t capacity = 512;
    SLxContour* path = NewContour(capacity);
    if (!path)
        return nullptr;
    size_t n = 0;
    SLxIPoint cur = start;
    bool failed = false;
    for (;;) {
        if (n == capacity) {
            capacity *= 2;
            auto* grown =
                static_cast<SLxContour*>(CLxAlloc::ReAlloc(path, LxContourBytes(capacity), 0));
            if (!grown) {
                failed = true;
                break;
            }
            path = grown;
        }
        path->points[n++] = cur;
        put(cur, mark);
        int k = 0;
        for (; k < 8; ++k) {
            const int64_t x = int64_t(cur.x) + kNextX[k];
            const int64_t y = int64_t(cur.y) + kNextY[k];
            if (lx_meas::Inside(pic, x, y) &&
                lx_meas::Sample(pic, bytes, uint32_t(x), uint32_t(y)) == value)
                break;
        }
        if (k == 8)
            break;
        cur = SLxIPoint{cur.x + kNextX[k], cur.y + kNextY[k]};
    }
    for (size_t i = 0; i < n; ++i)
        put(path->points[i], value);
    if (failed) {
        CLxAlloc::Free(path);
        return nullptr;
    }
    path->uiCount = uint32_t(n);
    return path;
}

int CLxPicMeasAPI::FindLeftSeed(const SLxPicBuf* pic, unsigned& x, unsigned& y, uint16_t value)
{
    if (!pic || pic->uiWidth == 0 || x >= pic->uiWidth - 1 || y >= pic->uiHeight || !pic->pData)
        return -4;
    const uint32_t bytes = pic->uiBpc <= 8 ? 1 : 2;
    if (!lx_meas::HoldsLines(pic, bytes))
        return -4;
    if (lx_meas::Sample(pic, bytes, 0, y) == value) {
        x = 0;
        return 0;
    }
    for (uint32_t i = 0; i < x; ++i) {
        if (lx_meas::Sample(pic, bytes, i, y) != value &&
            lx_meas::Sample(pic, bytes, i + 1, y) == value) {
            x = i + 1;
            break;
        }
    }
    return 0;
}

namespace
{

template <typename N> int FindLeftSeedSigned(const SLxPicBuf* pic, N& x, N& y, uint16_t value)
{
    if (x < 0 || y < 0 || uint64_t(x) > UINT_MAX || uint64_t(y) > UINT_MAX)
        return -4;
    unsigned ux = unsigned(x), uy = unsigned(y);
    const int status = CLxPicMeasAPI::FindLeftSeed(pic, ux, uy, value);
    x = N(ux);
    return status;
}

} // namespace

int CLxPicMeasAPI::FindLeftSeed(const SLxPicBuf* pic, int32_t& x, int32_t& y, uint16_t value)
{
    return FindLeftSeedSigned(pic, x, y, value);
}

int CLxPicMeasAPI::FindLeftSeed(const SLxPicBuf* pic, long& x, long& y, uint16_t value)
{
    return FindLeftSeedSigned(pic, x, y, value);
}

int CLxPicMeasAPI::FindLeftSeed(const SLxPicBuf* pic, SLxIPoint& point, uint16_t value)
{
    return FindLeftSeedSigned(pic, point.x, point.y, value);
}

int CLxPicMeasAPI::FindLeftSeed2(const SLxPicBuf* pic, SLxIPoint& point, uint16_t value)
{
    if (!pic || !pic->pData || pic->uiWidth == 0 || point.x < 0 || point.y < 0 ||
        uint32_t(point.x) >= pic->uiWidth - 1 || uint32_t(point.y) >= pic->uiHeight)
        return -4;
    const uint32_t bytes = pic->uiBpc <= 8 ? 1 : 2;
    if (!lx_meas::HoldsLines(pic, bytes))
        return -4;
    const uint32_t y = uint32_t(point.y);
    for (uint32_t x = uint32_t(point.x); x >= 1; --x) {
        if (lx_meas::Sample(pic, bytes, x, y) == value &&
            lx_meas::Sample(pic, bytes, x - 1, y) != value) {
            point.x = int32_t(x);
            return 0;
        }
    }
    point.x = 0;
    return 0;
}

void CLxPicMeasAPI::FindBoundingRect(uint32_t count, const SLxIPoint* points, SLxIRect& rect)
{
    rect = SLxIRect{INT32_MAX, INT32_MAX, -INT32_MAX, -INT32_MAX};
    if (!points)
        return;
    for (uint32_t i = 0; i < count; ++i) {
        const SLxIPoint p = points[i];
        if (p.x < rect.left)
            rect.left = p.x;
        if (p.y < rect.top)
            rect.top = p.y;
        // The point past INT32_MAX cannot be held; the edge stays there.
        const int32_t pastX = p.x == INT32_MAX ? INT32_MAX : p.x + 1;
        const int32_t pastY = p.y == INT32_MAX ? INT32_MAX : p.y + 1;
        if (pastX > rect.right)
            rect.right = pastX;
        if (pastY > rect.bottom)
            rect.bottom = pastY;
    }
}
