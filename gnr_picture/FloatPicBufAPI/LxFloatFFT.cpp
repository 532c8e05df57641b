// Radix-2 transforms of any power-of-two size and the 64-point transforms
// with precomputed twiddles.
#include <xmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "gnr_picture/FloatPicBufAPI/LxFloatLanes.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxThreadBlock.h"
#include "w32_system/memory/LxAlloc.h"

float FFT_u1[63];
float FFT_u2[63];
float IFFT_u1[63];
float IFFT_u2[63];

namespace
{

// The twiddles of every stage of an n-point transform in one table pair:
// twiddle j of stage l1 at entry l1 - 1 + j, as the 64-point tables hold
// them, computed by the line transform's recurrence in double; negated
// turns the sines' sign.
void fillStageTwiddles(float* u1Table, float* u2Table, uint32_t n, bool negated)
{
    double c1 = -1.0, c2 = 0.0;
    for (uint32_t l1 = 1; l1 < n; l1 *= 2) {
        double u1 = 1.0, u2 = 0.0;
        for (uint32_t j = 0; j < l1; ++j) {
            u1Table[l1 - 1 + j] = static_cast<float>(u1);
            u2Table[l1 - 1 + j] = static_cast<float>(u2);
            const double z = u1 * c1 - u2 * c2;
            u2 = u1 * c2 + u2 * c1;
            u1 = z;
        }
        c2 = std::sqrt((1.0 - c1) / 2.0);
        if (negated)
            c2 = -c2;
        c1 = std::sqrt((1.0 + c1) / 2.0);
    }
}

std::once_flag g_twiddlesOnce;

void ensureTwiddles()
{
    std::call_once(g_twiddlesOnce, [] {
        fillStageTwiddles(FFT_u1, FFT_u2, 64, false);
        fillStageTwiddles(IFFT_u1, IFFT_u2, 64, true);
    });
}

// Filled when the library loads, so no transform ever sees zero twiddles.
const struct TwiddleLoader {
    TwiddleLoader() { ensureTwiddles(); }
} g_twiddleLoader;

void bitReverse(float* re, float* im, uint32_t n)
{
    uint32_t j = 0;
    for (uint32_t i = 0; i + 1 < n; ++i) {
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
        uint32_t k = n / 2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }
}

inline void butterflies(float* re, float* im, uint32_t n, uint32_t l1, float u1, float u2,
                        uint32_t j)
{
    const uint32_t l2 = 2 * l1;
    for (uint32_t i = j; i < n; i += l2) {
        const uint32_t i1 = i + l1;
        const float t1 = u1 * re[i1] - u2 * im[i1];
        const float t2 = u1 * im[i1] + u2 * re[i1];
        re[i1] = re[i] - t1;
        im[i1] = im[i] - t2;
        re[i] += t1;
        im[i] += t2;
    }
}

bool isPowerOf2(uint32_t n)
{
    return n != 0 && (n & (n - 1)) == 0;
}

// The transform of a power-of-two n (checked by the caller).
void radix2(float* re, float* im, uint8_t direction, uint32_t n)
{
    bitReverse(re, im, n);
    double c1 = -1.0, c2 = 0.0;
    for (uint32_t l1 = 1; l1 < n; l1 *= 2) {
        double u1 = 1.0, u2 = 0.0;
        for (uint32_t j = 0; j < l1; ++j) {
            butterflies(re, im, n, l1, static_cast<float>(u1), static_cast<float>(u2), j);
            const double z = u1 * c1 - u2 * c2;
            u2 = u1 * c2 + u2 * c1;
            u1 = z;
        }
        c2 = std::sqrt((1.0 - c1) / 2.0);
        if (direction == 1)
            c2 = -c2;
        c1 = std::sqrt((1.0 + c1) / 2.0);
    }
    if (direction == 1) {
        const float scale = static_cast<float>(n);
        for (uint32_t i = 0; i < n; ++i) {
            re[i] /= scale;
            im[i] /= scale;
        }
    }
}

// One butterfly on split planes: (rp, mp), (rq, mq) = p + t, p - t with
// t = (u1 + i u2) q, written as the line transform writes it.
template <class V>
LX_KERNEL_INLINE void splitButterfly(V& rp, V& mp, V& rq, V& mq, const V& u1, const V& u2)
{
    const V t1 = u1 * rq - u2 * mq;
    const V t2 = u1 * mq + u2 * rq;
    rq = rp - t1;
    mq = mp - t2;
    rp = rp + t1;
    mp = mp + t2;
}

// A band of columns of split planes: `columns` floats of each line, lines
// `stride` floats apart, `height` lines.
struct Band {
    float* re;
    float* im;
    size_t columns, stride;
    uint32_t height;
    float* reLine(uint32_t i) const { return re + i * stride; }
    float* imLine(uint32_t i) const { return im + i * stride; }
};

// Stage l1 on whole lines of the band, twiddle j of the stage at u1[j],
// u2[j].
template <class V>
LX_KERNEL_INLINE void splitStage(const Band& band, uint32_t l1, const float* u1, const float* u2)
{
    constexpr uint32_t n = lxpic::kLanes<V>;
    const size_t w = band.columns;
    const size_t whole = w - w % n;
    for (uint32_t b = 0; b < l1; ++b) {
        const V u1v = V{} + u1[b], u2v = V{} + u2[b];
        for (uint32_t i = b; i < band.height; i += 2 * l1) {
            float* r0 = band.reLine(i);
            float* m0 = band.imLine(i);
            float* r1 = band.reLine(i + l1);
            float* m1 = band.imLine(i + l1);
            for (size_t x = 0; x < whole; x += n) {
                V p, q, a, c;
                lxpic::loadLanes(p, r0 + x);
                lxpic::loadLanes(q, m0 + x);
                lxpic::loadLanes(a, r1 + x);
                lxpic::loadLanes(c, m1 + x);
                splitButterfly(p, q, a, c, u1v, u2v);
                lxpic::storeLanes(r0 + x, p);
                lxpic::storeLanes(m0 + x, q);
                lxpic::storeLanes(r1 + x, a);
                lxpic::storeLanes(m1 + x, c);
            }
            for (size_t x = whole; x < w; ++x)
                splitButterfly(r0[x], m0[x], r1[x], m1[x], u1[b], u2[b]);
        }
    }
}

// Stages l1 and 2 l1 in one sweep: lines i .. i + 3 l1 (step l1) meet only
// each other in both, so the butterflies and their order per sample stay
// those of stage after stage. u1, u2 hold stage l1's twiddles, v1, v2 stage
// 2 l1's.
template <class V>
LX_KERNEL_INLINE void splitStagePair(const Band& band, uint32_t l1, const float* u1,
                                     const float* u2, const float* v1, const float* v2)
{
    constexpr uint32_t n = lxpic::kLanes<V>;
    const size_t w = band.columns;
    const size_t whole = w - w % n;
    for (uint32_t b = 0; b < l1; ++b) {
        const V a1 = V{} + u1[b], a2 = V{} + u2[b];
        const V b1 = V{} + v1[b], b2 = V{} + v2[b];
        const V c1 = V{} + v1[b + l1], c2 = V{} + v2[b + l1];
        for (uint32_t i = b; i < band.height; i += 4 * l1) {
            float* r0 = band.reLine(i);
            float* m0 = band.imLine(i);
            float* r1 = band.reLine(i + l1);
            float* m1 = band.imLine(i + l1);
            float* r2 = band.reLine(i + 2 * l1);
            float* m2 = band.imLine(i + 2 * l1);
            float* r3 = band.reLine(i + 3 * l1);
            float* m3 = band.imLine(i + 3 * l1);
            for (size_t x = 0; x < whole; x += n) {
                V p0, q0, p1, q1, p2, q2, p3, q3;
                lxpic::loadLanes(p0, r0 + x);
                lxpic::loadLanes(q0, m0 + x);
                lxpic::loadLanes(p1, r1 + x);
                lxpic::loadLanes(q1, m1 + x);
                lxpic::loadLanes(p2, r2 + x);
                lxpic::loadLanes(q2, m2 + x);
                lxpic::loadLanes(p3, r3 + x);
                lxpic::loadLanes(q3, m3 + x);
                splitButterfly(p0, q0, p1, q1, a1, a2);
                splitButterfly(p2, q2, p3, q3, a1, a2);
                splitButterfly(p0, q0, p2, q2, b1, b2);
                splitButterfly(p1, q1, p3, q3, c1, c2);
                lxpic::storeLanes(r0 + x, p0);
                lxpic::storeLanes(m0 + x, q0);
                lxpic::storeLanes(r1 + x, p1);
                lxpic::storeLanes(m1 + x, q1);
                lxpic::storeLanes(r2 + x, p2);
                lxpic::storeLanes(m2 + x, q2);
                lxpic::storeLanes(r3 + x, p3);
                lxpic::storeLanes(m3 + x, q3);
            }
            for (size_t x = whole; x < w; ++x) {
                splitButterfly(r0[x], m0[x], r1[x], m1[x], u1[b], u2[b]);
                splitButterfly(r2[x], m2[x], r3[x], m3[x], u1[b], u2[b]);
                splitButterfly(r0[x], m0[x], r2[x], m2[x], v1[b], v2[b]);
                splitButterfly(r1[x], m1[x], r3[x], m3[x], v1[b + l1], v2[b + l1]);
            }
        }
    }
}

// The index reached from j in the bit-reversed count of n: the line
// transform's permutation, step by step.
inline uint32_t nextReversed(uint32_t j, uint32_t n)
{
    uint32_t k = n / 2;
    while (k >= 1 && k <= j) {
        j -= k;
        k /= 2;
    }
    return j + k;
}

// Lines of a band whose first stages run block by block: the stages that
// combine lines within such a block go through it while it stays cached
// (256 lines of a 2 MB band: 256 KB), and only the later ones sweep the
// whole band. 256 measured faster than 128 or 512 at 1024 to 4096 lines.
constexpr uint32_t kBlockLines = 256;

// Stages from l1 on while they combine lines at most `lines` apart, two at
// a time; returns the next stage's l1.
template <class V>
LX_KERNEL_INLINE uint32_t stagesWithin(const Band& band, uint32_t l1, uint32_t lines,
                                       const float* u1, const float* u2)
{
    for (; 4 * l1 <= lines; l1 *= 4)
        splitStagePair<V>(band, l1, u1 + (l1 - 1), u2 + (l1 - 1), u1 + (2 * l1 - 1),
                          u2 + (2 * l1 - 1));
    if (2 * l1 <= lines) {
        splitStage<V>(band, l1, u1 + (l1 - 1), u2 + (l1 - 1));
        l1 *= 2;
    }
    return l1;
}

// The column transform of a band (height a power of two): the butterflies
// of the line transform, each applied to whole lines, so every column gets
// exactly the line transform's operations; then, for a divisor other than
// 0 (a power of two), every sample divided by it. u1, u2: the stage twiddle
// tables. With reversed the lines come in bit-reversed order already.
template <class V>
LX_KERNEL_INLINE void transformBand(const Band& band, const float* u1, const float* u2,
                                    float divisor, bool reversed)
{
    const uint32_t height = band.height;
    if (!reversed)
        for (uint32_t i = 0, j = 0; i + 1 < height; ++i, j = nextReversed(j, height))
            if (i < j) {
                std::swap_ranges(band.reLine(i), band.reLine(i) + band.columns, band.reLine(j));
                std::swap_ranges(band.imLine(i), band.imLine(i) + band.columns, band.imLine(j));
            }
    // A stage meets only lines within blocks of twice its l1: each sample
    // still gets its butterflies in stage order.
    const uint32_t block = std::min(height, kBlockLines);
    uint32_t l1 = 1;
    for (uint32_t first = 0; first < height; first += block)
        l1 = stagesWithin<V>(
            Band{band.reLine(first), band.imLine(first), band.columns, band.stride, block}, 1,
            block, u1, u2);
    stagesWithin<V>(band, l1, height, u1, u2);
    if (divisor != 0.0f) {
        // Dividing by a power of two is multiplying by its exact inverse.
        const float scale = 1.0f / divisor;
        for (uint32_t i = 0; i < height; ++i) {
            float* r = band.reLine(i);
            float* m = band.imLine(i);
            for (size_t x = 0; x < band.columns; ++x) {
                r[x] *= scale;
                m[x] *= scale;
            }
        }
    }
}

// Columns per band: at least 64 (four cache lines of each line of each
// plane), more while both planes' bands stay within 2 MB. With the first
// stages done block by block only the last few sweep the band, and wider
// bands read longer runs of each line, a page apart from the next.
size_t bandColumns(size_t width, uint32_t height)
{
    constexpr size_t kBandFloats = 512 * 1024;
    size_t columns = 64;
    while (columns < width && 4 * columns * height <= kBandFloats)
        columns *= 2;
    return std::min(columns, width);
}

// Every column of a width x height plane pair. Planes wider than a band go
// band by band through scratch (2 x bandColumns x height floats), where
// the band's lines lie next to each other, copied in already bit-reversed:
// lines a power of two apart in the planes would all meet in the same
// cache sets. reversed: the planes' lines come bit-reversed already.
template <class V>
LX_KERNEL_INLINE void transformColumnsInBands(float* re, float* im, uint32_t width, uint32_t height,
                                              const float* u1, const float* u2, float divisor,
                                              float* scratch, bool reversed)
{
    const size_t columns = bandColumns(width, height);
    if (columns == width || !scratch)
        return transformBand<V>(Band{re, im, width, width, height}, u1, u2, divisor, reversed);
    float* bre = scratch;
    float* bim = scratch + columns * height;
    const size_t bytes = columns * sizeof(float);
    for (size_t x = 0; x < width; x += columns) {
        const bool more = x + columns < width;
        for (uint32_t y = 0, j = 0; y < height; ++y, j = nextReversed(j, height)) {
            const size_t to = (reversed ? y : j) * columns;
            const float* fromRe = re + y * size_t(width) + x;
            const float* fromIm = im + y * size_t(width) + x;
            // Lines lie pages apart, where no prefetcher follows them.
            if (more)
                for (size_t f = 0; f < columns; f += 16) {
                    __builtin_prefetch(fromRe + columns + f);
                    __builtin_prefetch(fromIm + columns + f);
                }
            std::memcpy(bre + to, fromRe, bytes);
            std::memcpy(bim + to, fromIm, bytes);
        }
        transformBand<V>(Band{bre, bim, columns, columns, height}, u1, u2, divisor, true);
        for (uint32_t y = 0; y < height; ++y) {
            std::memcpy(re + y * size_t(width) + x, bre + y * columns, bytes);
            std::memcpy(im + y * size_t(width) + x, bim + y * columns, bytes);
        }
    }
}

#if LX_HAVE_AVX2_PATHS
LX_TARGET_AVX2 void transformColumnsAvx2(float* re, float* im, uint32_t width, uint32_t height,
                                         const float* u1, const float* u2, float divisor,
                                         float* scratch, bool reversed)
{
    transformColumnsInBands<lxpic::Float8>(re, im, width, height, u1, u2, divisor, scratch,
                                           reversed);
}
#endif

// Without scratch the planes are transformed in place, whole lines at once.
void transformColumnsAny(float* re, float* im, uint32_t width, uint32_t height, const float* u1,
                         const float* u2, float divisor = 0.0f, float* scratch = nullptr,
                         bool reversed = false)
{
#if LX_HAVE_AVX2_PATHS
    if (lxpic::cpuHasAvx2())
        return transformColumnsAvx2(re, im, width, height, u1, u2, divisor, scratch, reversed);
#endif
    transformColumnsInBands<lxpic::Float4>(re, im, width, height, u1, u2, divisor, scratch,
                                           reversed);
}

// The work of FFT_2Dx2pn2pm, kept per thread: the stage twiddles of the
// lines and of the columns, and a panel of lines turned into columns.
struct PlaneTransformWork;

// Lines per panel: 32, so that a panel's scratch lines span whole vectors.
constexpr uint32_t kPanelLines = 32;

// The stage twiddles, then scratch for a panel of lines or a band of
// columns, whichever is larger.
size_t planeWorkFloats(uint32_t width, uint32_t height)
{
    return 2 * size_t(width) + 2 * size_t(height) +
           std::max(2 * size_t(width) * kPanelLines, 2 * bandColumns(width, height) * height);
}

// Rows q0 .. q0 + 3 of positions x0 .. x0 + 3 of a plane (lines `width`
// apart) into the panel lines to[0 .. 3] (4 floats each, from q0).
inline void turnBlockIn(float* const to[4], const float* from, size_t width)
{
    __m128 a = _mm_loadu_ps(from), b = _mm_loadu_ps(from + width),
           c = _mm_loadu_ps(from + 2 * width), d = _mm_loadu_ps(from + 3 * width);
    _MM_TRANSPOSE4_PS(a, b, c, d);
    _mm_storeu_ps(to[0], a);
    _mm_storeu_ps(to[1], b);
    _mm_storeu_ps(to[2], c);
    _mm_storeu_ps(to[3], d);
}

// The way back: panel lines from[0 .. 3] (from q0) into rows q0 .. q0 + 3
// of the plane, each multiplied by scale unless it is 0.
inline void turnBlockOut(float* to, size_t width, const float* const from[4], float scale)
{
    __m128 a = _mm_loadu_ps(from[0]), b = _mm_loadu_ps(from[1]), c = _mm_loadu_ps(from[2]),
           d = _mm_loadu_ps(from[3]);
    _MM_TRANSPOSE4_PS(a, b, c, d);
    if (scale != 0.0f) {
        const __m128 v = _mm_set1_ps(scale);
        a = _mm_mul_ps(a, v);
        b = _mm_mul_ps(b, v);
        c = _mm_mul_ps(c, v);
        d = _mm_mul_ps(d, v);
    }
    _mm_storeu_ps(to, a);
    _mm_storeu_ps(to + width, b);
    _mm_storeu_ps(to + 2 * width, c);
    _mm_storeu_ps(to + 3 * width, d);
}

// The radix-2 transform of every line, the lines turned into columns in
// panels so that the column kernel runs them: each point gets the line
// transform's butterflies and division, float for float. Position x goes
// to the panel's line x, in order (stored at bit-reversed places the turned
// blocks measured twice as slow), and the kernel permutes the lines. u1,
// u2: the stage twiddles of width points; scratch: 2 x width x 32 floats.
void transformLinesAsColumns(float* re, float* im, uint32_t width, uint32_t height,
                             uint8_t direction, const float* u1, const float* u2, float* scratch)
{
    const uint32_t rows = std::min(height, kPanelLines);
    float* sre = scratch;
    float* sim = scratch + size_t(width) * rows;
    const float divisor = direction == 1 ? static_cast<float>(width) : 0.0f;
    // Dividing by a power of two is multiplying by its exact inverse.
    const float scale = direction == 1 ? 1.0f / divisor : 0.0f;
    const bool blocks = width % 4 == 0 && rows % 4 == 0;
    for (uint32_t y0 = 0; y0 < height; y0 += rows) {
        const uint32_t r = std::min(rows, height - y0);
        const float* planeRe = re + size_t(y0) * width;
        const float* planeIm = im + size_t(y0) * width;
        if (blocks) {
            // Four rows at a time along their whole length: the rows stream
            // from memory while the panel stays cached (more rows at a time
            // measured slower).
            for (uint32_t q = 0; q < r; q += 4)
                for (uint32_t x = 0; x < width; x += 4) {
                    float* const toRe[4] = {sre + x * r + q, sre + (x + 1) * r + q,
                                            sre + (x + 2) * r + q, sre + (x + 3) * r + q};
                    float* const toIm[4] = {sim + x * r + q, sim + (x + 1) * r + q,
                                            sim + (x + 2) * r + q, sim + (x + 3) * r + q};
                    turnBlockIn(toRe, planeRe + size_t(q) * width + x, width);
                    turnBlockIn(toIm, planeIm + size_t(q) * width + x, width);
                }
        } else {
            for (uint32_t x = 0; x < width; ++x)
                for (uint32_t q = 0; q < r; ++q) {
                    sre[x * r + q] = planeRe[size_t(q) * width + x];
                    sim[x * r + q] = planeIm[size_t(q) * width + x];
                }
        }
        transformColumnsAny(sre, sim, r, width, u1, u2);
        float* outRe = re + size_t(y0) * width;
        float* outIm = im + size_t(y0) * width;
        if (blocks) {
            for (uint32_t q = 0; q < r; q += 4)
                for (uint32_t x = 0; x < width; x += 4) {
                    const float* const fromRe[4] = {
                        sre + size_t(x) * r + q, sre + size_t(x + 1) * r + q,
                        sre + size_t(x + 2) * r + q, sre + size_t(x + 3) * r + q};
                    const float* const fromIm[4] = {
                        sim + size_t(x) * r + q, sim + size_t(x + 1) * r + q,
                        sim + size_t(x + 2) * r + q, sim + size_t(x + 3) * r + q};
                    turnBlockOut(outRe + size_t(q) * width + x, width, fromRe, scale);
                    turnBlockOut(outIm + size_t(q) * width + x, width, fromIm, scale);
                }
        } else {
            for (uint32_t q = 0; q < r; ++q)
                for (uint32_t x = 0; x < width; ++x) {
                    float vr = sre[size_t(x) * r + q], vi = sim[size_t(x) * r + q];
                    if (divisor != 0.0f) {
                        vr /= divisor;
                        vi /= divisor;
                    }
                    outRe[size_t(q) * width + x] = vr;
                    outIm[size_t(q) * width + x] = vi;
                }
        }
    }
}

// In place, in 4 x 4 blocks (moves only).
void transpose64(float* p)
{
    for (uint32_t by = 0; by < 64; by += 4)
        for (uint32_t bx = by; bx < 64; bx += 4) {
            float* a = p + by * 64 + bx;
            float* b = p + bx * 64 + by;
            __m128 a0 = _mm_loadu_ps(a), a1 = _mm_loadu_ps(a + 64), a2 = _mm_loadu_ps(a + 128),
                   a3 = _mm_loadu_ps(a + 192);
            _MM_TRANSPOSE4_PS(a0, a1, a2, a3);
            __m128 b0 = _mm_loadu_ps(b), b1 = _mm_loadu_ps(b + 64), b2 = _mm_loadu_ps(b + 128),
                   b3 = _mm_loadu_ps(b + 192);
            _MM_TRANSPOSE4_PS(b0, b1, b2, b3);
            // On the diagonal a and b are one block: b's stores win, alike.
            _mm_storeu_ps(b, a0);
            _mm_storeu_ps(b + 64, a1);
            _mm_storeu_ps(b + 128, a2);
            _mm_storeu_ps(b + 192, a3);
            _mm_storeu_ps(a, b0);
            _mm_storeu_ps(a + 64, b1);
            _mm_storeu_ps(a + 128, b2);
            _mm_storeu_ps(a + 192, b3);
        }
}

void scaleAll(float* p, size_t count, float factor)
{
    for (size_t i = 0; i < count; ++i)
        p[i] *= factor;
}

} // namespace

bool CLxFloatPicMemAPI::Powerof2(uint32_t n, uint32_t* exponent, uint32_t* power)
{
    uint32_t e = 0;
    uint64_t p = 1;
    while (p < n) {
        p *= 2;
        ++e;
    }
    if (exponent)
        *exponent = e;
    if (power)
        *power = static_cast<uint32_t>(p); // 2^32 for n above 2^31 wraps to 0
    return true;
}

int CLxFloatPicMemAPI::FFT_1Dx2pn(float* re, float* im, uint8_t direction, uint32_t n)
{
    if (n == 0)
        return 0;
    if (!isPowerOf2(n))
        return -2;
    radix2(re, im, direction, n);
    return 0;
}

int CLxFloatPicMemAPI::FFT_2Dx2pn2pm(float* re, float* im, uint32_t width, uint32_t height,
                                     uint8_t direction)
{
    if (width == 0 || height == 0)
        return 0;
    // Both sizes first: a bad height must not leave the lines transformed.
    if (!isPowerOf2(width) || !isPowerOf2(height))
        return -2;
    const lxpic::ThreadBlock<PlaneTransformWork> work(planeWorkFloats(width, height) *
                                                      sizeof(float));
    float* lineU1 = work.as<float>();
    if (!lineU1)
        return -3;
    float* lineU2 = lineU1 + width;
    float* columnU1 = lineU2 + width;
    float* columnU2 = columnU1 + height;
    float* scratch = columnU2 + height;
    const bool forward = direction == 1;
    fillStageTwiddles(lineU1, lineU2, width, forward);
    fillStageTwiddles(columnU1, columnU2, height, forward);
    // Lines of one point stay as they are (divided by 1).
    if (width > 1)
        transformLinesAsColumns(re, im, width, height, direction, lineU1, lineU2, scratch);
    transformColumnsAny(re, im, width, height, columnU1, columnU2,
                        forward ? static_cast<float>(height) : 0.0f, scratch);
    return 0;
}

void CLxFloatPicMemAPI::Init_ConstSizeFFT()
{
    ensureTwiddles();
}

int CLxFloatPicMemAPI::FFT_1D_ConstSize(float* re, float* im, bool inverse)
{
    ensureTwiddles();
    constexpr uint32_t n = 64;
    bitReverse(re, im, n);
    const float* u1Table = inverse ? IFFT_u1 : FFT_u1;
    const float* u2Table = inverse ? IFFT_u2 : FFT_u2;
    for (uint32_t l1 = 1; l1 < n; l1 *= 2)
        for (uint32_t j = 0; j < l1; ++j)
            butterflies(re, im, n, l1, u1Table[l1 - 1 + j], u2Table[l1 - 1 + j], j);
    if (inverse)
        for (uint32_t i = 0; i < n; ++i) {
            re[i] *= 0.015625f;
            im[i] *= 0.015625f;
        }
    return 0;
}

int CLxFloatPicMemAPI::FFT_2D_ConstSize(float* re, float* im, bool inverse)
{
    ensureTwiddles();
    constexpr uint32_t n = 64;
    const float* u1 = inverse ? IFFT_u1 : FFT_u1;
    const float* u2 = inverse ? IFFT_u2 : FFT_u2;
    // Lines first, as columns of the turned planes, then the columns.
    transpose64(re);
    transpose64(im);
    transformColumnsAny(re, im, n, n, u1, u2);
    if (inverse) {
        scaleAll(re, n * n, 0.015625f);
        scaleAll(im, n * n, 0.015625f);
    }
    transpose64(re);
    transpose64(im);
    transformColumnsAny(re, im, n, n, u1, u2);
    if (inverse) {
        scaleAll(re, n * n, 0.015625f);
        scaleAll(im, n * n, 0.015625f);
    }
    return 0;
}

void CLxFloatPicMemAPI::FrequencyConvolution(float* re, float* im, const float* kre,
                                             const float* kim, uint32_t width, uint32_t height)
{
    const size_t count = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < count; ++i) {
        const float r = re[i], m = im[i];
        re[i] = r * kre[i] - m * kim[i];
        im[i] = r * kim[i] + m * kre[i];
    }
}
