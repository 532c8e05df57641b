// Thinning and thickening by distance-ordered peeling and growth on framed
// 16-bit working pictures. The visiting orders (raster order within a
// level, even list positions before odd ones, sweeps until nothing
// changes) are part of the result and stay sequential.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "gnr_picture/BinPicBufAPI/LxBinNeighbourTables.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufCheck.h"
#include "gnr_picture/BinPicBufAPI/LxBinWorkPicture16.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace
{

using namespace lx_bin;

constexpr uint16_t kOn = 65535;
constexpr uint32_t kMaxLevels = 1000;

bool OneBit(uint32_t code)
{
    return code != 0 && (code & (code - 1)) == 0;
}

// The neighbour bit that points back from the pixel at `bit` to p.
uint32_t Opposite(uint32_t bit)
{
    return ((bit << 4) | (bit >> 4)) & 0xFF;
}

// Every pixel inside the frame with distance 1 ... maxLevel, grouped by
// distance, raster order within a group: the candidates of all levels,
// collected with two passes over the distance picture.
class LevelLists
{
  public:
    bool Make(Work16& distance, uint32_t maxLevel)
    {
        maxLevel_ = maxLevel;
        if (!index_.Make(distance.samples(), false) || !start_.Make(size_t(maxLevel) + 2, true))
            return false;
        const uint16_t* d = distance.data();
        const ptrdiff_t s = distance.stride();
        const uint32_t w = distance.width(), h = distance.height();
        for (uint32_t y = 1; y + 1 < h; ++y)
            for (uint32_t x = 1; x + 1 < w; ++x) {
                const uint32_t v = d[y * s + x];
                if (v >= 1 && v <= maxLevel)
                    ++start_[v + 1];
            }
        for (uint32_t k = 1; k <= maxLevel; ++k)
            start_[k + 1] += start_[k];
        // start_[k] is where level k begins; fill moves it to where it ends.
        for (uint32_t y = 1; y + 1 < h; ++y)
            for (uint32_t x = 1; x + 1 < w; ++x) {
                const uint32_t v = d[y * s + x];
                if (v >= 1 && v <= maxLevel)
                    index_[start_[v]++] = uint32_t(y * s + x);
            }
        for (uint32_t k = maxLevel; k >= 1; --k)
            start_[k] = start_[k - 1];
        start_[0] = start_[1] = 0;
        return true;
    }
    const uint32_t* Begin(uint32_t k) { return index_.get() + start_[k]; }
    size_t Count(uint32_t k) { return start_[k + 1] - start_[k]; }
    uint32_t* Storage() { return index_.get(); }

  private:
    HeapArray<uint32_t> index_;
    HeapArray<uint32_t> start_;
    uint32_t maxLevel_ = 0;
};

// Sweeps over one level's candidates, even positions then odd ones, until a
// sweep changes nothing; act changes a pixel at once and says whether it did.
template <class Act> bool RunLevel(uint16_t* pic, const uint32_t* list, size_t count, Act act)
{
    bool any = false;
    for (;;) {
        bool changed = false;
        for (size_t parity = 0; parity < 2; ++parity)
            for (size_t i = parity; i < count; i += 2)
                changed |= act(pic + list[i]);
        if (!changed)
            return any;
        any = true;
    }
}

template <class Act> void RunLevels(Work16& pic, LevelLists& levels, uint32_t limit, Act act)
{
    for (uint32_t k = 1; k <= limit; ++k)
        if (!RunLevel(pic.data(), levels.Begin(k), levels.Count(k), act))
            return;
}

void SetFrame(Work16& pic, uint16_t value)
{
    uint16_t* d = pic.data();
    const ptrdiff_t s = pic.stride();
    const uint32_t w = pic.width(), h = pic.height();
    for (uint32_t x = 0; x < w; ++x)
        d[x] = d[(h - 1) * s + x] = value;
    for (uint32_t y = 0; y < h; ++y)
        d[y * s] = d[y * s + w - 1] = value;
}

template <class Visit> void ForInside(Work16& pic, Visit visit)
{
    const uint32_t w = pic.width(), h = pic.height();
    const ptrdiff_t s = pic.stride();
    for (uint32_t y = 1; y + 1 < h; ++y)
        for (uint32_t x = 1; x + 1 < w; ++x)
            visit(x, y, size_t(y * s + x));
}

void RemoveCornerSteps(Work16& b)
{
    uint16_t* d = b.data();
    const ptrdiff_t s = b.stride();
    ForInside(b, [&](uint32_t, uint32_t, size_t i) {
        if (d[i] && kCornerStep[NonZeroCode(d + i, s)])
            d[i] = 0;
    });
}

// Eats side branches back from their ends while the distance does not fall.
// T holds each listed end's state: 4 fresh, 2 and 1 on a plateau, 8 done.
void RemoveSpurs(Work16& b, Work16& distance, uint32_t* ends, uint8_t* t, int spurMode)
{
    uint16_t* p = b.data();
    const uint16_t* d = distance.data();
    const ptrdiff_t s = b.stride();
    size_t count = 0;
    ForInside(b, [&](uint32_t, uint32_t, size_t i) {
        if (!p[i])
            return;
        const uint32_t code = NonZeroCode(p + i, s);
        if (code & kLineEnd[code]) {
            t[i] = 4;
            ends[count++] = uint32_t(i);
        }
    });
    const uint8_t plateauNext = spurMode == 2 ? 1 : 2;
    for (int sweep = 0; sweep < 500; ++sweep) {
        bool acted = false;
        for (size_t k = 0; k < count; ++k) {
            const uint32_t e = ends[k];
            const uint8_t state = t[e];
            if (state != 4 && state != 2 && state != 1)
                continue;
            if (!p[e]) { // taken as another end's successor
                t[e] = 8;
                continue;
            }
            const uint32_t code = NonZeroCode(p + e, s);
            uint32_t toN = 0;
            if (OneBit(code)) {
                toN = code;
            } else {
                for (const Step& step : kSuccessorOrder)
                    if ((code & step.bit) && kJunction[NonZeroCode(p + e + BitOffset(step.bit, s), s)]) {
                        toN = step.bit;
                        break;
                    }
            }
            if (!toN)
                continue;
            acted = true;
            const uint32_t n = uint32_t(ptrdiff_t(e) + BitOffset(toN, s));
            const uint32_t nCode = NonZeroCode(p + n, s);
            if (nCode == Opposite(toN)) {
                t[e] = 8; // a lone pair stays
            } else if (kJunction[nCode]) {
                p[e] = 0;
                t[e] = 8;
            } else if (d[n] > d[e]) {
                p[e] = 0;
                t[n] = 4;
                ends[k] = n;
            } else if (d[n] < d[e]) {
                p[e] = 0;
                t[e] = 8;
            } else if (d[e] == 1 || state == 4) {
                p[e] = 0;
                t[n] = plateauNext;
                ends[k] = n;
            } else if (state == 2) {
                p[e] = 0;
                t[n] = 1;
                ends[k] = n;
            } else {
                p[e] = 0;
                p[n] = 0;
                t[e] = 8;
            }
        }
        if (!acted)
            return;
    }
}

// Moves a one-pixel bump on a straight line back into the line.
void StraightenBumps(Work16& b)
{
    const uint32_t w = b.width(), h = b.height();
    if (w < 5 || h < 5)
        return;
    uint16_t* d = b.data();
    const ptrdiff_t s = b.stride();
    for (uint32_t y = 2; y + 2 < h; ++y)
        for (uint32_t x = 2; x + 2 < w; ++x) {
            uint16_t* p = d + y * s + x;
            if (*p)
                continue;
            const uint32_t code = NonZeroCode(p, s);
            for (const Bump& bump : kBumps) {
                if (code != bump.code)
                    continue;
                bool clear = true;
                for (const auto& at : bump.extra)
                    clear = clear && p[at[1] * s + at[0]] == 0;
                if (clear) {
                    *p = 1;
                    p[bump.bumpDy * s + bump.bumpDx] = 0;
                }
                break;
            }
        }
}

// The angle in degrees of the main axis of an outline: the rotation by a
// whole degree whose bounding box has the smallest area.
int AxisOfOutline(const SLxContour* outline)
{
    SLxIRect box;
    CLxPicMeasAPI::FindBoundingRect(outline->uiCount, outline->points, box);
    const int64_t spanX = int64_t(box.right) - 1 - box.left, spanY = int64_t(box.bottom) - 1 - box.top;
    if (spanX == 0 || spanY == 0)
        return 0;
    const int64_t cx = box.left + spanX / 2, cy = box.top + spanY / 2;
    uint64_t best = UINT64_MAX;
    int bestAngle = 0;
    bool wider = false;
    for (int a = 0; a < 360; ++a) {
        const double rad = a * (1.0 / 360) * 6.2831853071796;
        const double c = std::cos(rad), sn = std::sin(rad);
        int64_t minX = INT64_MAX, maxX = INT64_MIN, minY = INT64_MAX, maxY = INT64_MIN;
        for (uint32_t i = 0; i < outline->uiCount; ++i) {
            const double dx = double(outline->points[i].x - cx), dy = double(outline->points[i].y - cy);
            const int64_t x = cx + int64_t(std::trunc(dx * c - dy * sn + 0.5));
            const int64_t y = cy + int64_t(std::trunc(dx * sn + dy * c + 0.5));
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
        const uint32_t area = uint32_t(maxX - minX) * uint32_t(maxY - minY);
        if (area < best) {
            best = area;
            bestAngle = a;
            wider = maxX - minX > maxY - minY;
        }
    }
    if (wider)
        return 180 - bestAngle;
    return bestAngle > 270 ? 270 - bestAngle + 360 : 270 - bestAngle;
}

// The main axis of each source object, found once per object: the source is
// unpacked once per call and each object painted with a label of its own.
class ObjectAxes
{
  public:
    explicit ObjectAxes(const SLxBinPicBuf* src) : src_(src) {}

    // The axis angle of the object under working pixel (x, y), or of a
    // source neighbour's object when (x, y) lies outside the source; 0 for
    // none. -3 without memory.
    int Axis(uint32_t x, uint32_t y, int& angle)
    {
        if (!ready_) {
            if (!pic_.Make(src_->uiWidth, src_->uiHeight) || !axes_.Make(kTemporary, true))
                return -3;
            CLxBinPicBufAPI::Unpack1to16Expand(pic_.get(), src_, 1);
            ready_ = true;
        }
        const ptrdiff_t s = pic_.stride();
        const uint16_t* d = pic_.data();
        if (!d[y * s + x]) {
            const uint32_t code = NonZeroCode(d + y * s + x, s);
            angle = 0;
            if (!code)
                return 0;
            const uint32_t bit = code & (~code + 1);
            const ptrdiff_t at = ptrdiff_t(y * s + x) + BitOffset(bit, s);
            x = uint32_t(at % s);
            y = uint32_t(at / s);
        }
        const uint16_t value = d[y * s + x];
        if (value != kOn && value != kTemporary) {
            angle = axes_[value];
            return 0;
        }
        const bool keep = next_ < kTemporary;
        const uint16_t label = keep ? next_++ : kTemporary;
        int status = CLxPicMeasAPI::Paint(pic_.get(), x, y, kOn, label, 8);
        if (status != 0)
            return status;
        SLxIPoint start{int32_t(x), int32_t(y)};
        status = CLxPicMeasAPI::FindLeftSeed(pic_.get(), start, label);
        SLxContour* outline = status == 0 ? CLxPicMeasAPI::ContourPoints(pic_.get(), label, start) : nullptr;
        if (!outline)
            return status != 0 ? status : -3;
        angle = AxisOfOutline(outline);
        CLxAlloc::Free(outline);
        if (keep)
            axes_[label] = int16_t(angle);
        else // labels ran out: this object is traced again when met again
            status = CLxPicMeasAPI::Paint(pic_.get(), x, y, label, kOn, 8);
        return status;
    }

  private:
    static constexpr uint16_t kTemporary = 65534;
    const SLxBinPicBuf* src_;
    Work16 pic_;
    HeapArray<int16_t> axes_;
    uint16_t next_ = 1;
    bool ready_ = false;
};

// Draws from (ex, ey) along the whole-pixel vector (dx, dy), value 1, until
// the next pixel is background in the distance picture (whose frame is 0)
// or 1000 pixels are drawn.
void Draw(Work16& b, Work16& distance, int64_t ex, int64_t ey, int64_t dx, int64_t dy)
{
    uint16_t* p = b.data();
    const uint16_t* d = distance.data();
    const ptrdiff_t s = b.stride();
    const int64_t w = b.width(), h = b.height();
    for (int64_t i = 1; i <= 1000; ++i) {
        int64_t x, y;
        if (dx == 0) {
            x = ex;
            y = ey + (dy > 0 ? i : -i);
        } else if (std::llabs(dy) <= std::llabs(dx)) {
            x = ex + (dx > 0 ? i : -i);
            y = ey + int64_t(std::trunc(double(x - ex) * double(dy) / double(dx)));
        } else {
            y = ey + (dy > 0 ? i : -i);
            x = ex + int64_t(std::trunc(double(y - ey) * double(dx) / double(dy)));
        }
        if (x < 0 || y < 0 || x >= w || y >= h || d[y * s + x] == 0)
            return;
        p[y * s + x] = 1;
    }
}

// Prolongs every line end of the skeleton b to the object's border.
int ExtendLineEnds(Work16& b, Work16& distance, const SLxBinPicBuf* src, int length,
                   uint32_t* marked)
{
    uint16_t* p = b.data();
    const uint16_t* d = distance.data();
    const ptrdiff_t s = b.stride();
    for (size_t i = 0; i < b.samples(); ++i)
        if (p[i])
            p[i] = kOn;
    ObjectAxes axes(src);
    bool exactlyNinety = false; // the next difference of 90 counts as 89
    int status = 0;
    ForInside(b, [&](uint32_t x, uint32_t y, size_t i) {
        if (status != 0 || p[i] != kOn)
            return;
        const uint32_t any = NonZeroCode(p + i, s), full = FullCode(p + i, s);
        const bool lone = any == 0;
        if (!lone && !(full & kLineEnd[any]))
            return;
        if (!lone) {
            if (d[i] == 1)
                return;
            size_t cur = i, steps = 0;
            bool early = false;
            while (steps < size_t(length)) {
                const uint32_t code = FullCode(p + cur, s);
                uint32_t toNext = 0;
                if (OneBit(code)) {
                    toNext = code;
                } else {
                    for (const Step& step : kSuccessorOrder)
                        if ((code & step.bit) &&
                            kJunction[FullCode(p + cur + BitOffset(step.bit, s), s)]) {
                            toNext = step.bit;
                            break;
                        }
                }
                if (!toNext) {
                    early = true;
                    break;
                }
                const size_t next = size_t(ptrdiff_t(cur) + BitOffset(toNext, s));
                const bool junction = kJunction[FullCode(p + next, s)];
                p[cur] = 1;
                marked[steps++] = uint32_t(cur);
                cur = next;
                if (junction) {
                    early = true;
                    break;
                }
            }
            for (size_t k = 0; k < steps; ++k)
                p[marked[k]] = kOn;
            if (!early || steps + 1 >= size_t(length)) {
                const int64_t lx = int64_t(cur % s), ly = int64_t(cur / s);
                Draw(b, distance, x, y, int64_t(x) - lx, int64_t(y) - ly);
                return;
            }
        }
        int axis = 0;
        status = axes.Axis(x, y, axis);
        if (status != 0)
            return;
        if (axis >= 180)
            axis -= 180;
        const double theta = axis * (1.0 / 360) * 6.2831852;
        const int64_t vx = int64_t(std::trunc(100 * std::cos(theta)));
        const int64_t vy = int64_t(std::trunc(100 * std::sin(theta)));
        if (lone) {
            Draw(b, distance, x, y, -vx, -vy);
            Draw(b, distance, x, y, vx, vy);
            return;
        }
        int own = 0;
        for (const EndDirection& dir : kEndDirections)
            if (full & dir.bit)
                own = dir.degrees;
        int diff = std::abs(axis - own) % 360;
        diff = std::min(diff, 360 - diff);
        if (diff == 90) {
            diff = exactlyNinety ? 89 : 90;
            exactlyNinety = !exactlyNinety;
        }
        if (diff < 90)
            Draw(b, distance, x, y, vx, vy);
        else
            Draw(b, distance, x, y, -vx, -vy);
    });
    return status;
}

uint32_t ThinningMetric(int metric)
{
    return metric == 3 || metric == 15 || metric == 16 || metric == 17 ? uint32_t(metric) : 17;
}

} // namespace

int CLxBinPicBufAPI::Thinning(SLxBinPicBuf* dst, const SLxBinPicBuf* src, int metric, int spurMode,
                              int extensionLength, int extend)
{
    if (!lx_bin::SameSize(dst, src))
        return -9;
    Work16 distance, b;
    LevelLists levels;
    HeapArray<uint8_t> ends;
    if (!distance.Make(src->uiWidth, src->uiHeight) || !b.Make(src->uiWidth, src->uiHeight))
        return -3;
    Unpack1to16Expand(distance.get(), src, 1);
    Unpack1to16Expand(b.get(), src, 1);
    SetFrame(distance, kOn);
    int status = CLxPicBufAPI::DistanceFunction(distance.get(), ThinningMetric(metric));
    if (status != 0)
        return status;
    if (!levels.Make(distance, kMaxLevels) || !ends.Make(b.samples(), true))
        return -3;

    const ptrdiff_t s = b.stride();
    RunLevels(b, levels, kMaxLevels, [s](uint16_t* p) {
        if (!*p || !kRemovable[NonZeroCode(p, s)])
            return false;
        *p = 0;
        return true;
    });
    RemoveCornerSteps(b);
    // The candidate list is done with: it holds the line ends from here on.
    RemoveSpurs(b, distance, levels.Storage(), ends.get(), spurMode);
    RemoveCornerSteps(b);
    StraightenBumps(b);
    SetFrame(distance, 0);
    if (extend) {
        status = ExtendLineEnds(b, distance, src, extensionLength < 1 ? 1 : extensionLength,
                                levels.Storage());
        if (status != 0)
            return status;
    }
    RemoveCornerSteps(b);
    return Pack16NZto1DExpand(dst, b.get(), 1);
}

int CLxBinPicBufAPI::Thickening(SLxBinPicBuf* dst, const SLxBinPicBuf* mask,
                                const SLxBinPicBuf* src, int passes, bool useMask)
{
    if (!lx_bin::SameSize(dst, src) || (useMask && !lx_bin::HasPixels(mask)))
        return -9;
    Work16 grow, distance;
    if (!grow.Make(src->uiWidth, src->uiHeight) || !distance.Make(src->uiWidth, src->uiHeight))
        return -3;
    Unpack1to16Expand(grow.get(), src, 1);
    // The complement goes straight into the working picture: the caller's
    // source is never written.
    {
        const uint16_t* g = grow.data();
        uint16_t* d = distance.data();
        ForInside(distance, [&](uint32_t, uint32_t, size_t i) { d[i] = uint16_t(g[i] ^ kOn); });
    }
    SetFrame(distance, kOn);
    int status = CLxPicBufAPI::DistanceFunction(distance.get(), 3);
    if (status != 0)
        return status;
    if (useMask) {
        SLxBinPicBuf fitted;
        Init(&fitted);
        Work16 m;
        const bool ok = Reinit(&fitted, src->uiWidth, src->uiHeight, 0, true) == 0 &&
                        m.Make(src->uiWidth, src->uiHeight);
        if (ok) {
            Copy_FitToDest(&fitted, mask);
            Unpack1to16Expand(m.get(), &fitted, 1);
        }
        Free(&fitted);
        if (!ok)
            return -3;
        CLxPicBufAPI::And(distance.get(), m.get());
        CLxPicBufAPI::And(grow.get(), m.get());
    }
    const uint32_t limit = passes < 0 ? 0 : passes == 0 ? kMaxLevels : std::min<uint32_t>(passes, 65534);
    if (limit > 0) {
        LevelLists levels;
        if (!levels.Make(distance, limit))
            return -3;
        const ptrdiff_t s = grow.stride();
        RunLevels(grow, levels, limit, [s](uint16_t* p) {
            if (*p || !kAddable[NonZeroCode(p, s)])
                return false;
            *p = kOn;
            return true;
        });
    }
    return Pack16NZto1DExpand(dst, grow.get(), 1);
}
