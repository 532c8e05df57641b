// Grey erosion and dilation with min or max as the policy. Where the kernel
// lies inside the picture, each output row is one sweep over the source rows
// shifted by the set elements; the clamped edges go row by row (top and
// bottom) or pixel by pixel (left and right). Full squares and the octagon
// Oct4 take separable routes with the same results.
#include <algorithm>

#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"
#include "gnr_picture/PicBufAPI/LxMinMaxRows.h"

using namespace lxfilter;

namespace
{

struct MinOp {
    static constexpr bool isMin = true;
    template <class T> static T apply(T a, T b) { return b < a ? b : a; }
};
struct MaxOp {
    static constexpr bool isMin = false;
    template <class T> static T apply(T a, T b) { return b > a ? b : a; }
};

// out[0 .. (x1 - x0) x comps) combined with the source row `in` shifted by
// dx pixels, edges clamped; the first element assigns.
template <class T, class Op>
void combineShifted(T* __restrict out, const T* __restrict in, int64_t x0, int64_t x1, int64_t dx,
                    int64_t width, int64_t comps, bool first)
{
    splitShifted(
        x0, x1, dx, width, comps,
        [&](int64_t o, int64_t s, int64_t len) {
            T* __restrict a = out + o;
            const T* __restrict b = in + s;
            if (first)
                std::copy(b, b + len, a);
            else
                CombineRow<T, Op::isMin>(a, b, size_t(len));
        },
        [&](int64_t o, int64_t s, int64_t pixels) {
            for (int64_t p = 0; p < pixels; ++p)
                for (int64_t c = 0; c < comps; ++c) {
                    T& a = out[o + p * comps + c];
                    a = first ? in[s + c] : Op::apply(a, in[s + c]);
                }
        });
}

template <class T, class Op>
void morphRegion(const Plane<T>& dst, const Plane<const T>& src, const Rect& r, const Element* el,
                 uint32_t n)
{
    for (int64_t y = r.y0; y < r.y1; ++y) {
        T* out = dst.row(y) + r.x0 * dst.comps;
        for (uint32_t e = 0; e < n; ++e)
            combineShifted<T, Op>(out, src.row(src.clampY(y + el[e].dy)), r.x0, r.x1, el[e].dx,
                                  src.width, src.comps, e == 0);
    }
}

// Where the whole kernel reads inside the picture: each output row is one
// sweep over the element rows, shifted by their displacements.
template <class T, class Op>
int morphInterior(const Plane<T>& dst, const Plane<const T>& src, const Rect& r,
                  const Element* el, uint32_t n)
{
    if (r.empty())
        return 0;
    const T** rows = scratch<const T*, 0>(n);
    if (!rows)
        return -3;
    const int64_t comps = src.comps;
    for (int64_t y = r.y0; y < r.y1; ++y) {
        for (uint32_t e = 0; e < n; ++e)
            rows[e] = src.row(y + el[e].dy) + (r.x0 + el[e].dx) * comps;
        CombineRows<T, Op::isMin>(dst.row(y) + r.x0 * comps, rows, n,
                                  size_t((r.x1 - r.x0) * comps));
    }
    return 0;
}

// A run of set elements along one kernel row: its row, first column and
// length, and the index of its length among the kernel's distinct lengths.
struct Run {
    int32_t dy, dx, length, level;
};

// The set elements (in row order, columns ascending) as runs; returns their
// number, and the distinct lengths ascending in lengths (*levels of them).
uint32_t runsOf(const Element* el, uint32_t n, Run* runs, int32_t* lengths, uint32_t* levels)
{
    uint32_t count = 0;
    for (uint32_t e = 0; e < n; ++e) {
        Run* last = count ? &runs[count - 1] : nullptr;
        if (last && last->dy == el[e].dy && last->dx + last->length == el[e].dx)
            ++last->length;
        else
            runs[count++] = Run{el[e].dy, el[e].dx, 1, 0};
    }
    *levels = 0;
    for (uint32_t i = 0; i < count; ++i)
        if (std::find(lengths, lengths + *levels, runs[i].length) == lengths + *levels)
            lengths[(*levels)++] = runs[i].length;
    std::sort(lengths, lengths + *levels);
    for (uint32_t i = 0; i < count; ++i)
        runs[i].level = int32_t(std::find(lengths, lengths + *levels, runs[i].length) - lengths);
    return count;
}

// Kernels whose rows hold long runs: each source row's extremes over every
// run length are built once (each length from the next shorter one) and
// kept for the rows of the kernel, so an output row combines one row per
// run instead of one per element. Same values: min and max do not depend
// on grouping, and inside the interior no read is clamped.
template <class T, class Op>
int morphInteriorByRuns(const Plane<T>& dst, const Plane<const T>& src, const Rect& r,
                        const Run* runs, uint32_t count, const int32_t* lengths, uint32_t levels)
{
    int32_t top = runs[0].dy, bottom = runs[0].dy;
    for (uint32_t i = 1; i < count; ++i) {
        top = std::min(top, runs[i].dy);
        bottom = std::max(bottom, runs[i].dy);
    }
    const int64_t comps = src.comps, line = src.width * comps, held = bottom - top + 1;
    T* store = scratch<T, 12>(size_t(levels * held * line));
    const T** across = scratch<const T*, 3>(size_t(lengths[levels - 1]) + 1);
    const T** down = scratch<const T*, 4>(count);
    if (!store || !across || !down)
        return -3;
    // Runs of one element read the source row itself.
    const auto extremes = [&](uint32_t level, int64_t y) -> const T* {
        if (lengths[level] == 1)
            return src.row(y);
        return store + (size_t(level) * size_t(held) + size_t(y % held)) * size_t(line);
    };
    const auto build = [&](int64_t y) {
        const T* in = src.row(y);
        for (uint32_t level = 0; level < levels; ++level) {
            const int32_t length = lengths[level];
            if (length == 1)
                continue;
            const int32_t from = level > 0 ? lengths[level - 1] : 0;
            size_t n = 0;
            if (from > 0)
                across[n++] = extremes(level - 1, y);
            for (int32_t t = from; t < length; ++t)
                across[n++] = in + t * comps;
            CombineRows<T, Op::isMin>(const_cast<T*>(extremes(level, y)), across, n,
                                      size_t((src.width - length + 1) * comps));
        }
    };
    for (int64_t y = r.y0 + top; y < r.y0 + bottom; ++y)
        build(y);
    for (int64_t y = r.y0; y < r.y1; ++y) {
        build(y + bottom);
        for (uint32_t i = 0; i < count; ++i)
            down[i] =
                extremes(uint32_t(runs[i].level), y + runs[i].dy) + (r.x0 + runs[i].dx) * comps;
        CombineRows<T, Op::isMin>(dst.row(y) + r.x0 * comps, down, count,
                                  size_t((r.x1 - r.x0) * comps));
    }
    return 0;
}

// Strips a few pixels wide beside the interior, pixel by pixel: cheaper
// than n row calls of a couple of samples each. Each element's clamped
// columns are found once a strip and its clamped row once a line.
template <class T, class Op>
int morphPixels(const Plane<T>& dst, const Plane<const T>& src, const Rect& r, const Element* el,
                uint32_t n)
{
    const int64_t width = r.x1 - r.x0, comps = src.comps;
    const T** rows = scratch<const T*, 5>(n);
    int64_t* columns = scratch<int64_t, 0>(size_t(n) * size_t(width));
    if (!rows || !columns)
        return -3;
    for (uint32_t e = 0; e < n; ++e)
        for (int64_t x = 0; x < width; ++x)
            columns[e * width + x] = src.clampX(r.x0 + x + el[e].dx) * comps;
    for (int64_t y = r.y0; y < r.y1; ++y) {
        for (uint32_t e = 0; e < n; ++e)
            rows[e] = src.row(src.clampY(y + el[e].dy));
        T* out = dst.row(y) + r.x0 * comps;
        for (int64_t x = 0; x < width; ++x)
            for (int64_t c = 0; c < comps; ++c) {
                T v = rows[0][columns[x] + c];
                for (uint32_t e = 1; e < n; ++e)
                    v = Op::apply(v, rows[e][columns[e * width + x] + c]);
                out[x * comps + c] = v;
            }
    }
    return 0;
}

template <class T, class Op>
int morphBorders(const Plane<T>& dst, const Plane<const T>& src, const SLxKernel& kernel,
                 const Element* el, uint32_t n)
{
    constexpr int64_t kNarrow = 8;
    int status = 0;
    forEachBorderStrip(src.width, src.height, kernel, [&](const Rect& r) {
        if (r.x1 - r.x0 > kNarrow)
            morphRegion<T, Op>(dst, src, r, el, n);
        else if (status == 0)
            status = morphPixels<T, Op>(dst, src, r, el, n);
    });
    return status;
}

enum class Part { whole, interior, borders };

template <class T, class Op>
int morphGeneral(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                 Part part = Part::whole)
{
    if (!picturesFit<T>(dst, src) || !IsUsableKernel(kernel))
        return -9;
    Element* el = scratch<Element, 0>(MAX_KERNEL_ELEMENTS);
    if (!el)
        return -3;
    const uint32_t n = elementsOf(*kernel, el);
    if (n == 0)
        return 0;
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    if (part != Part::borders) {
        const Rect interior = interiorOf(s.width, s.height, *kernel);
        Run* runs = scratch<Run, 0>(n);
        int32_t* lengths = scratch<int32_t, 0>(n);
        if (!runs || !lengths)
            return -3;
        uint32_t levels = 0;
        const uint32_t count = runsOf(el, n, runs, lengths, &levels);
        // Rows by runs read about one row per run plus the longest run per
        // output row, against one row per element.
        const bool byRuns = count + uint32_t(lengths[levels - 1]) < n;
        const int status =
            interior.empty() ? 0
            : byRuns ? morphInteriorByRuns<T, Op>(d, s, interior, runs, count, lengths, levels)
                     : morphInterior<T, Op>(d, s, interior, el, n);
        if (status != 0)
            return status;
    }
    return part != Part::interior ? morphBorders<T, Op>(d, s, *kernel, el, n) : 0;
}

// The named shapes: the interior over a fixed number of elements (for
// "Smooth3" the fifth is the anchor), the border strips over all of them.
template <class T, class Op, uint32_t N, bool AnchorFifth = false>
int morphNamed(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    if (!picturesFit<T>(dst, src) || !IsUsableKernel(kernel))
        return -9;
    Element* el = scratch<Element, 0>(MAX_KERNEL_ELEMENTS);
    if (!el)
        return -3;
    const uint32_t n = elementsOf(*kernel, el);
    if (n < N)
        return morphGeneral<T, Op>(dst, src, kernel);
    Element shape[N];
    std::copy(el, el + N, shape);
    if (AnchorFifth)
        shape[4] = Element{0, 0, 0};
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    if (morphInterior<T, Op>(d, s, interiorOf(s.width, s.height, *kernel), shape, N) != 0)
        return -3;
    return morphBorders<T, Op>(d, s, *kernel, el, n);
}

// Whether the kernel is the 4 x 4 octagon anchored at (1, 1): the two
// middle rows full, the outer rows without their corners.
inline bool isOctagonFour(const SLxKernel& k)
{
    if (k.uiNRows != 4 || k.uiNCols != 4 || k.uiCenterRow != 1 || k.uiCenterCol != 1)
        return false;
    for (uint32_t e = 0; e < 16; ++e) {
        const bool corner = e == 0 || e == 3 || e == 12 || e == 15;
        if ((k.ubMask[e] != 0) == corner)
            return false;
    }
    return true;
}

// The octagon is the union of a 2 x 4 and a 4 x 2 rectangle, and each is
// a 2 x 2 square widened by one pixel either way along one axis. With Q the
// clamped 2 x 2 extreme (anchor top left), the result is the extreme of Q
// one pixel left, right, up and down, each clamped: chained clamped windows
// along an axis equal one clamped window of the summed reach, so this holds
// at the borders too. Eight reads a pixel instead of twelve.
template <class T, class Op>
int morphOctagonFour(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    if (!picturesFit<T>(dst, src) || !IsUsableKernel(kernel))
        return -9;
    if (!isOctagonFour(*kernel))
        return morphNamed<T, Op, 12>(dst, src, kernel);
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    if (s.width == 0 || s.height == 0)
        return 0;
    const int64_t comps = s.comps, len = s.width * comps, padded = len + 2 * comps;
    T* ring[3] = {scratch<T, 2>(size_t(padded)), scratch<T, 3>(size_t(padded)),
                  scratch<T, 4>(size_t(padded))};
    if (!ring[0] || !ring[1] || !ring[2])
        return -3;
    // Q of line y into a row with one edge pixel on each side.
    const auto squareRow = [&](int64_t y, T* q) {
        const T* a = s.row(y);
        const T* b = s.row(s.clampY(y + 1));
        const T* rows[4] = {a, a + comps, b, b + comps};
        CombineRows<T, Op::isMin>(q + comps, rows, 4, size_t(len - comps));
        for (int64_t c = 0; c < comps; ++c) {
            const int64_t last = len - comps + c;
            q[comps + last] = Op::apply(a[last], b[last]);
            q[c] = q[comps + c];
            q[comps + len + c] = q[len + c];
        }
    };
    // Three lines of Q, each in the slot of its line number modulo 3.
    const auto qOf = [&](int64_t y) { return ring[size_t(s.clampY(y)) % 3]; };
    squareRow(0, qOf(0));
    if (s.height > 1)
        squareRow(1, qOf(1));
    for (int64_t y = 0; y < s.height; ++y) {
        if (y + 1 < s.height && y >= 1)
            squareRow(y + 1, qOf(y + 1));
        const T* mid = qOf(y);
        const T* rows[4] = {mid, mid + 2 * comps, qOf(y - 1) + comps, qOf(y + 1) + comps};
        CombineRows<T, Op::isMin>(d.row(y), rows, 4, size_t(len));
    }
    return 0;
}

// The minimum (maximum) of every window of n pixels along a padded row of
// W + n - 1 pixels, into out (W pixels), by doubling: windows of 1, 2, 4,
// ... pixels, combined for the set bits of n, so a pixel costs about
// log2(n) + popcount(n) vector steps instead of n.
template <class T, class Op>
void windowExtremes(const T* padded, int64_t width, int64_t n, int64_t comps, T* out, T* ping,
                    T* pong)
{
    const T* cur = padded;
    int64_t curLen = width + n - 1, span = 1, offset = 0;
    bool first = true;
    for (int64_t bit = 0;; ++bit) {
        if (n >> bit & 1) {
            if (first)
                std::copy(cur + offset * comps, cur + (offset + width) * comps, out);
            else
                CombineRow<T, Op::isMin>(out, cur + offset * comps, size_t(width * comps));
            first = false;
            offset += span;
        }
        if ((n >> (bit + 1)) == 0)
            break;
        T* next = cur == ping ? pong : ping;
        CombineInto<T, Op::isMin>(next, cur, cur + span * comps, size_t((curLen - span) * comps));
        cur = next;
        curLen -= span;
        span *= 2;
    }
}

// Full odd squares, separable: min/max do not depend on order, and clamping
// acts on rows and columns independently, so a column pass over the clamped
// rows and a row pass over the clamped columns give the square's result,
// borders included. Two output rows share the n - 1 rows between them.
// The square of side 2r + 1, which fits the picture.
template <class T, class Op> int morphSquareReach(SLxPicBuf* dst, const SLxPicBuf* src, int64_t r)
{
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    const int64_t n = 2 * r + 1;
    const int64_t comps = s.comps, len = s.width * comps, padded = (s.width + n - 1) * comps;
    if (n == 1) {
        for (int64_t y = 0; y < s.height; ++y)
            std::copy(s.row(y), s.row(y) + len, d.row(y));
        return 0;
    }
    // Column extremes go straight into padded rows, r edge pixels on each
    // side, so the row pass reads shifted windows without clamping.
    T* common = scratch<T, 1>(size_t(len));
    T* upper = scratch<T, 5>(size_t(padded));
    T* lower = scratch<T, 6>(size_t(padded));
    T* ping = scratch<T, 8>(size_t(padded));
    T* pong = scratch<T, 9>(size_t(padded));
    const T** rows = scratch<const T*, 1>(size_t(n));
    if (!common || !upper || !lower || !ping || !pong || !rows)
        return -3;
    constexpr int64_t kMaxFused = 9;
    const auto rowPass = [&](T* pad, T* out) {
        for (int64_t x = 0; x < r; ++x) {
            std::copy(pad + r * comps, pad + (r + 1) * comps, pad + x * comps);
            std::copy(pad + (r + s.width - 1) * comps, pad + (r + s.width) * comps,
                      pad + (r + s.width + x) * comps);
        }
        if (n > kMaxFused) {
            windowExtremes<T, Op>(pad, s.width, n, comps, out, ping, pong);
            return;
        }
        for (int64_t k = 0; k < n; ++k)
            rows[k] = pad + k * comps;
        CombineRows<T, Op::isMin>(out, rows, size_t(n), size_t(len));
    };
    const auto rowAt = [&](int64_t y) { return s.row(s.clampY(y)); };
    for (int64_t y = 0; y < s.height; y += 2) {
        // Rows y - r + 1 .. y + r serve both output rows y and y + 1.
        for (int64_t k = 0; k < n - 1; ++k)
            rows[k] = rowAt(y - r + 1 + k);
        CombineRows<T, Op::isMin>(common, rows, size_t(n - 1), size_t(len));
        CombineInto<T, Op::isMin>(upper + r * comps, common, rowAt(y - r), size_t(len));
        rowPass(upper, d.row(y));
        if (y + 1 < s.height) {
            CombineInto<T, Op::isMin>(lower + r * comps, common, rowAt(y + r + 1), size_t(len));
            rowPass(lower, d.row(y + 1));
        }
    }
    return 0;
}

template <class T, class Op>
int morphSquare(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    if (!picturesFit<T>(dst, src) || !IsUsableKernel(kernel))
        return -9;
    if (kernel->uiNRows > src->uiHeight || kernel->uiNCols > src->uiWidth)
        return 0;
    if (!IsFullSquareKernel(kernel))
        return morphGeneral<T, Op>(dst, src, kernel);
    return morphSquareReach<T, Op>(dst, src, kernel->uiCenterRow);
}

template <class T, class Op>
int morphSquareReachChecked(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t reach)
{
    const uint64_t side = 2 * uint64_t(reach) + 1;
    if (!picturesFit<T>(dst, src) || side > src->uiWidth || side > src->uiHeight)
        return -9;
    return morphSquareReach<T, Op>(dst, src, reach);
}

} // namespace

int Erode_General_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint8_t, MinOp>(dst, src, kernel);
}
int Erode_General_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint16_t, MinOp>(dst, src, kernel);
}
int Dilate_General_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint8_t, MaxOp>(dst, src, kernel);
}
int Dilate_General_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint16_t, MaxOp>(dst, src, kernel);
}

int Erode_Smooth2_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint8_t, MinOp, 4>(dst, src, kernel);
}
int Erode_Smooth3_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint8_t, MinOp, 9, true>(dst, src, kernel);
}
int Erode_Oct4_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphOctagonFour<uint8_t, MinOp>(dst, src, kernel);
}
int Erode_Smooth2_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint16_t, MinOp, 4>(dst, src, kernel);
}
int Erode_Smooth3_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint16_t, MinOp, 9, true>(dst, src, kernel);
}
int Erode_Oct4_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphOctagonFour<uint16_t, MinOp>(dst, src, kernel);
}
int Dilate_Smooth2_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint8_t, MaxOp, 4>(dst, src, kernel);
}
int Dilate_Smooth3_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint8_t, MaxOp, 9, true>(dst, src, kernel);
}
int Dilate_Oct4_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphOctagonFour<uint8_t, MaxOp>(dst, src, kernel);
}
int Dilate_Smooth2_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint16_t, MaxOp, 4>(dst, src, kernel);
}
int Dilate_Smooth3_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint16_t, MaxOp, 9, true>(dst, src, kernel);
}
int Dilate_Oct4_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphOctagonFour<uint16_t, MaxOp>(dst, src, kernel);
}

int Erode_Square_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphSquare<uint8_t, MinOp>(dst, src, kernel);
}
int Erode_Square_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphSquare<uint16_t, MinOp>(dst, src, kernel);
}
// The largest value only ever served to stop a search early; the result
// does not depend on it.
int Dilate_Square_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t)
{
    return morphSquare<uint8_t, MaxOp>(dst, src, kernel);
}
int Dilate_Square_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t)
{
    return morphSquare<uint16_t, MaxOp>(dst, src, kernel);
}

int ErodeBorders_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint8_t, MinOp>(dst, src, kernel, Part::borders);
}
int DilateBorders_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint8_t, MaxOp>(dst, src, kernel, Part::borders);
}
int ErodeInterior_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint8_t, MinOp>(dst, src, kernel, Part::interior);
}
int DilateInterior_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint8_t, MaxOp>(dst, src, kernel, Part::interior);
}

int ErodeSquareReach_8(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t reach)
{
    return morphSquareReachChecked<uint8_t, MinOp>(dst, src, reach);
}
int ErodeSquareReach_16(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t reach)
{
    return morphSquareReachChecked<uint16_t, MinOp>(dst, src, reach);
}
int DilateSquareReach_8(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t reach)
{
    return morphSquareReachChecked<uint8_t, MaxOp>(dst, src, reach);
}
int DilateSquareReach_16(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t reach)
{
    return morphSquareReachChecked<uint16_t, MaxOp>(dst, src, reach);
}
