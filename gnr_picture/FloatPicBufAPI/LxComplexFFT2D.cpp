// Radix-2 decimation in time on interleaved complex lines; the column pass
// runs each butterfly across whole lines so that it streams memory, two
// stages a sweep, and the lines go through it too, turned into columns.
#include "gnr_picture/FloatPicBufAPI/LxComplexFFT2D.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "gnr_picture/FloatPicBufAPI/LxFloatLanes.h"
#include "gnr_picture/FloatPicBufAPI/LxThreadBlock.h"
#include "w32_system/memory/LxAlloc.h"

namespace lxpic
{

float** AllocFloatLines(uint32_t lines, uint32_t lineFloats)
{
    float** pointers =
        static_cast<float**>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, sizeof(float*) * lines));
    float* block = static_cast<float*>(CLxAlloc::Alloc(
        LX_HEAP_ZERO_MEMORY, sizeof(float) * static_cast<size_t>(lines) * lineFloats));
    if (!pointers || !block) {
        CLxAlloc::Free(pointers);
        CLxAlloc::Free(block);
        return nullptr;
    }
    for (uint32_t i = 0; i < lines; ++i)
        pointers[i] = block + static_cast<size_t>(i) * lineFloats;
    return pointers;
}

void FreeFloatLines(float** lines)
{
    if (!lines)
        return;
    CLxAlloc::Free(lines[0]);
    CLxAlloc::Free(lines);
}

void* AllocWords(size_t n)
{
    return CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, n * 4);
}

uint32_t ComplexFFT2DIndexWords(uint32_t h, uint32_t w)
{
    return static_cast<uint32_t>(std::sqrt(std::max(h, w) + 0.5)) + 2;
}

uint32_t ComplexFFT2DTwiddleWords(uint32_t h, uint32_t w)
{
    return std::max(h, 2 * w) + std::max(h / 2, w / 2);
}

void MakeFFTTables(uint32_t nw, int32_t* ip, float* w)
{
    ip[0] = static_cast<int32_t>(nw);
    ip[1] = 1;
    // nw x 4 floats a line are nw x 2 points; half a turn of pairs serves
    // every stage.
    const uint32_t points = nw * 2;
    const double step = 2.0 * M_PI / points;
    for (uint32_t j = 0; j < points / 2; ++j) {
        w[2 * j] = static_cast<float>(std::cos(step * j));
        w[2 * j + 1] = static_cast<float>(std::sin(step * j));
    }
}

namespace
{

uint32_t nextReversed(uint32_t j, uint32_t n)
{
    uint32_t k = n / 2;
    while (k >= 1 && k <= j) {
        j -= k;
        k /= 2;
    }
    return j + k;
}

// (re, im) pairs turned into (im, re). Vectors by reference: a by-value
// AVX vector would cross the baseline ABI.
template <class V> LX_KERNEL_INLINE void swapPairs(V& out, const V& v)
{
#if defined(__clang__)
    if constexpr (kLanes<V> == 8)
        out = __builtin_shufflevector(v, v, 1, 0, 3, 2, 5, 4, 7, 6);
    else
        out = __builtin_shufflevector(v, v, 1, 0, 3, 2);
#else
    typedef int Mask4 __attribute__((vector_size(16)));
    typedef int Mask8 __attribute__((vector_size(32)));
    if constexpr (kLanes<V> == 8)
        out = __builtin_shuffle(v, Mask8{1, 0, 3, 2, 5, 4, 7, 6});
    else
        out = __builtin_shuffle(v, Mask4{1, 0, 3, 2});
#endif
}

// One twiddle of a stage as vectors: (ur, ur, ...) and (-ui, ui, ...).
template <class V> struct Twiddle {
    float ur, ui;
    V real, imag;
    LX_KERNEL_INLINE Twiddle(const float* w, float sgn, uint32_t points, uint32_t l1, uint32_t j)
        : ur(w[2 * j * (points / (2 * l1))]), ui(sgn * w[2 * j * (points / (2 * l1)) + 1])
    {
        real = V{} + ur;
        for (uint32_t lane = 0; lane < kLanes<V>; ++lane)
            imag[lane] = lane % 2 ? ui : -ui;
    }
};

// p, q = p + t, p - t with t = u q. In vectors t = ur q + (-ui, ui)
// swapped(q) is the plain loop's ur q.re - ui q.im and ur q.im + ui q.re,
// float for float.
template <class V> LX_KERNEL_INLINE void butterfly(V& p, V& q, const Twiddle<V>& u)
{
    V swapped;
    swapPairs(swapped, q);
    const V t = u.real * q + u.imag * swapped;
    q = p - t;
    p = p + t;
}

LX_KERNEL_INLINE void butterfly(float* p, float* q, float ur, float ui)
{
    const float tr = ur * q[0] - ui * q[1];
    const float ti = ur * q[1] + ui * q[0];
    q[0] = p[0] - tr;
    q[1] = p[1] - ti;
    p[0] += tr;
    p[1] += ti;
}

// Stage l1 on floats from .. to of the lines.
template <class V>
LX_KERNEL_INLINE void columnStage(float** lines, uint32_t h, uint32_t from, uint32_t to,
                                  uint32_t whole, float sgn, const float* w, uint32_t points,
                                  uint32_t l1)
{
    constexpr uint32_t n = kLanes<V>;
    for (uint32_t j = 0; j < l1; ++j) {
        const Twiddle<V> u(w, sgn, points, l1, j);
        for (uint32_t i = j; i < h; i += 2 * l1) {
            float* p = lines[i];
            float* q = lines[i + l1];
            for (uint32_t x = from; x < whole; x += n) {
                V a, b;
                loadLanes(a, p + x);
                loadLanes(b, q + x);
                butterfly(a, b, u);
                storeLanes(p + x, a);
                storeLanes(q + x, b);
            }
            for (uint32_t x = whole; x < to; x += 2)
                butterfly(p + x, q + x, u.ur, u.ui);
        }
    }
}

// Stages l1 and 2 l1 at once: lines i, i + l1, i + 2 l1, i + 3 l1 meet only
// each other in both, so each sample goes through memory once for the two
// and gets the same butterflies, in the same order, as stage by stage.
template <class V>
LX_KERNEL_INLINE void columnStagePair(float** lines, uint32_t h, uint32_t from, uint32_t to,
                                      uint32_t whole, float sgn, const float* w, uint32_t points,
                                      uint32_t l1)
{
    constexpr uint32_t n = kLanes<V>;
    for (uint32_t j = 0; j < l1; ++j) {
        const Twiddle<V> u(w, sgn, points, l1, j), u0(w, sgn, points, 2 * l1, j),
            u1(w, sgn, points, 2 * l1, j + l1);
        for (uint32_t i = j; i < h; i += 4 * l1) {
            float* r0 = lines[i];
            float* r1 = lines[i + l1];
            float* r2 = lines[i + 2 * l1];
            float* r3 = lines[i + 3 * l1];
            for (uint32_t x = from; x < whole; x += n) {
                V a, b, c, d;
                loadLanes(a, r0 + x);
                loadLanes(b, r1 + x);
                loadLanes(c, r2 + x);
                loadLanes(d, r3 + x);
                butterfly(a, b, u);
                butterfly(c, d, u);
                butterfly(a, c, u0);
                butterfly(b, d, u1);
                storeLanes(r0 + x, a);
                storeLanes(r1 + x, b);
                storeLanes(r2 + x, c);
                storeLanes(r3 + x, d);
            }
            for (uint32_t x = whole; x < to; x += 2) {
                butterfly(r0 + x, r1 + x, u.ur, u.ui);
                butterfly(r2 + x, r3 + x, u.ur, u.ui);
                butterfly(r0 + x, r2 + x, u0.ur, u0.ui);
                butterfly(r1 + x, r3 + x, u1.ur, u1.ui);
            }
        }
    }
}

// Lines whose first stages run block by block: the stages that combine
// lines within such a block go through it while it stays cached, and only
// the later ones sweep all lines.
constexpr uint32_t kBlockLines = 128;

// Stages from l1 on, over lines lines[0 .. count), while they combine lines
// at most `count` apart, two at a time; returns the next stage's l1.
template <class V>
LX_KERNEL_INLINE uint32_t stagesWithin(float** lines, uint32_t count, uint32_t from, uint32_t to,
                                       uint32_t whole, float sgn, const float* w, uint32_t points,
                                       uint32_t l1)
{
    for (; 4 * l1 <= count; l1 *= 4)
        columnStagePair<V>(lines, count, from, to, whole, sgn, w, points, l1);
    if (2 * l1 <= count) {
        columnStage<V>(lines, count, from, to, whole, sgn, w, points, l1);
        l1 *= 2;
    }
    return l1;
}

// Every column at once: the butterflies combine whole lines, strip by
// strip of columns small enough to stay in cache over all stages. With
// reversed the lines come in bit-reversed order already. A stage meets only
// lines within blocks of twice its l1, so the first stages run block by
// block and each sample still gets its butterflies in stage order.
template <class V>
LX_KERNEL_INLINE void transformColumnsAcross(float** lines, uint32_t h, uint32_t lineFloats,
                                             float sgn, const float* w, uint32_t points,
                                             bool reversed)
{
    constexpr uint32_t n = kLanes<V>;
    constexpr uint32_t kStrip = 128;
    const uint32_t block = std::min(h, kBlockLines);
    for (uint32_t from = 0; from < lineFloats; from += kStrip) {
        const uint32_t to = std::min(lineFloats, from + kStrip);
        const uint32_t whole = from + (to - from) - (to - from) % n;
        if (!reversed)
            for (uint32_t i = 0, j = 0; i + 1 < h; ++i, j = nextReversed(j, h))
                if (i < j)
                    std::swap_ranges(lines[i] + from, lines[i] + to, lines[j] + from);
        uint32_t l1 = 1;
        for (uint32_t first = 0; first < h; first += block)
            l1 = stagesWithin<V>(lines + first, block, from, to, whole, sgn, w, points, 1);
        stagesWithin<V>(lines, h, from, to, whole, sgn, w, points, l1);
    }
}

// Twiddles of every stage laid out for vectors: stage l1 from float 2 (l1 -
// 1) on, per point j (ur, ur) in one array and (-ui, ui) in the other.
struct StageTwiddles {
    float* real = nullptr;
    float* imag = nullptr;
    StageTwiddles(uint32_t n, float sgn, const float* w, uint32_t points)
    {
        if (n < 2)
            return;
        real = static_cast<float*>(CLxAlloc::Alloc(0, sizeof(float) * 2 * size_t(n)));
        imag = static_cast<float*>(CLxAlloc::Alloc(0, sizeof(float) * 2 * size_t(n)));
        if (!real || !imag)
            return;
        for (uint32_t l1 = 1; l1 < n; l1 *= 2) {
            const uint32_t stride = points / (2 * l1);
            float* r = real + 2 * size_t(l1 - 1);
            float* m = imag + 2 * size_t(l1 - 1);
            for (uint32_t j = 0; j < l1; ++j) {
                const float ur = w[2 * j * stride], ui = sgn * w[2 * j * stride + 1];
                r[2 * j] = r[2 * j + 1] = ur;
                m[2 * j] = -ui;
                m[2 * j + 1] = ui;
            }
        }
    }
    ~StageTwiddles()
    {
        CLxAlloc::Free(real);
        CLxAlloc::Free(imag);
    }
    bool ready() const { return real && imag; }
};

// One line of n complex numbers. Stages whose butterfly groups span whole
// vectors run group by group in vectors (each point gets the plain loop's
// floats); the first stages, and lines without stage twiddles, run plain.
template <class V>
LX_KERNEL_INLINE void transformLineAcross(float* a, uint32_t n, float sgn, const float* w,
                                          uint32_t points, const StageTwiddles& tw)
{
    constexpr uint32_t lanes = kLanes<V>;
    for (uint32_t i = 0, j = 0; i + 1 < n; ++i, j = nextReversed(j, n))
        if (i < j) {
            std::swap(a[2 * i], a[2 * j]);
            std::swap(a[2 * i + 1], a[2 * j + 1]);
        }
    for (uint32_t l1 = 1; l1 < n; l1 *= 2) {
        if (tw.ready() && 2 * l1 >= lanes) {
            const float* twr = tw.real + 2 * size_t(l1 - 1);
            const float* twi = tw.imag + 2 * size_t(l1 - 1);
            for (uint32_t base = 0; base < n; base += 2 * l1) {
                float* p = a + 2 * size_t(base);
                float* q = p + 2 * size_t(l1);
                for (uint32_t f = 0; f < 2 * l1; f += lanes) {
                    V x, y, swapped, ur, ui;
                    loadLanes(x, q + f);
                    loadLanes(y, p + f);
                    loadLanes(ur, twr + f);
                    loadLanes(ui, twi + f);
                    swapPairs(swapped, x);
                    const V t = ur * x + ui * swapped;
                    storeLanes(q + f, V(y - t));
                    storeLanes(p + f, V(y + t));
                }
            }
            continue;
        }
        const uint32_t stride = points / (2 * l1);
        for (uint32_t j = 0; j < l1; ++j) {
            const float ur = w[2 * j * stride], ui = sgn * w[2 * j * stride + 1];
            for (uint32_t i = j; i < n; i += 2 * l1) {
                float* p = a + 2 * i;
                float* q = a + 2 * (i + l1);
                const float tr = ur * q[0] - ui * q[1];
                const float ti = ur * q[1] + ui * q[0];
                q[0] = p[0] - tr;
                q[1] = p[1] - ti;
                p[0] += tr;
                p[1] += ti;
            }
        }
    }
}

// Complex numbers moved as 64-bit units: a side x side block, the numbers
// from[i][0 .. side) turned into to[k][i] (moves only).
template <class V> struct TurnBlock;

template <> struct TurnBlock<Float4> {
    static constexpr uint32_t side = 2;
    static LX_KERNEL_INLINE void turn(float* const to[2], const float* const from[2])
    {
        const __m128d a = _mm_loadu_pd(reinterpret_cast<const double*>(from[0]));
        const __m128d c = _mm_loadu_pd(reinterpret_cast<const double*>(from[1]));
        _mm_storeu_pd(reinterpret_cast<double*>(to[0]), _mm_unpacklo_pd(a, c));
        _mm_storeu_pd(reinterpret_cast<double*>(to[1]), _mm_unpackhi_pd(a, c));
    }
};

#if LX_HAVE_AVX2_PATHS
template <> struct TurnBlock<Float8> {
    static constexpr uint32_t side = 4;
    LX_TARGET_AVX2 static inline void turn(float* const to[4], const float* const from[4])
    {
        const __m256d r0 = _mm256_loadu_pd(reinterpret_cast<const double*>(from[0])),
                      r1 = _mm256_loadu_pd(reinterpret_cast<const double*>(from[1])),
                      r2 = _mm256_loadu_pd(reinterpret_cast<const double*>(from[2])),
                      r3 = _mm256_loadu_pd(reinterpret_cast<const double*>(from[3]));
        const __m256d t0 = _mm256_unpacklo_pd(r0, r1), t1 = _mm256_unpackhi_pd(r0, r1),
                      t2 = _mm256_unpacklo_pd(r2, r3), t3 = _mm256_unpackhi_pd(r2, r3);
        _mm256_storeu_pd(reinterpret_cast<double*>(to[0]), _mm256_permute2f128_pd(t0, t2, 0x20));
        _mm256_storeu_pd(reinterpret_cast<double*>(to[1]), _mm256_permute2f128_pd(t1, t3, 0x20));
        _mm256_storeu_pd(reinterpret_cast<double*>(to[2]), _mm256_permute2f128_pd(t0, t2, 0x31));
        _mm256_storeu_pd(reinterpret_cast<double*>(to[3]), _mm256_permute2f128_pd(t1, t3, 0x31));
    }
};
#endif

// A block of complex numbers from rows[0 .. side) at position x into the
// scratch lines x .. x + side at position q, or (back) the other way.
template <class V>
LX_KERNEL_INLINE void turnIntoPanel(float* scratch, size_t stride, uint32_t x, uint32_t q,
                                    const float* const* rows)
{
    constexpr uint32_t b = TurnBlock<V>::side;
    float* to[b];
    const float* from[b];
    for (uint32_t i = 0; i < b; ++i) {
        to[i] = scratch + (x + i) * stride + 2 * q;
        from[i] = rows[i] + 2 * size_t(x);
    }
    TurnBlock<V>::turn(to, from);
}

template <class V>
LX_KERNEL_INLINE void turnOutOfPanel(float* const* rows, uint32_t x, const float* scratch,
                                     size_t stride, uint32_t q)
{
    constexpr uint32_t b = TurnBlock<V>::side;
    float* to[b];
    const float* from[b];
    for (uint32_t i = 0; i < b; ++i) {
        to[i] = rows[i] + 2 * size_t(x);
        from[i] = scratch + (x + i) * stride + 2 * q;
    }
    TurnBlock<V>::turn(to, from);
}

// Floats from one scratch line to the next: a cache line more than the
// panel, so that lines a power of two apart (bit-reversed neighbours) do
// not all fall into the same cache sets.
size_t panelStride(uint32_t rows)
{
    return 2 * size_t(rows) + 16;
}

// Lines as columns: panels of up to `rows` lines turned into scratch
// lines, one per complex position in order, which the column kernel
// permutes and transforms whole (read back at bit-reversed places, the
// scratch lines measured far slower). Each point gets the line transform's
// butterflies, float for float.
template <class V>
LX_KERNEL_INLINE void transformLinesAsColumns(float** lines, uint32_t h, uint32_t n, float sgn,
                                              const float* w, uint32_t points, float* scratch,
                                              float** cols, uint32_t rows, const LineSource* source,
                                              float* made)
{
    const size_t stride = panelStride(rows);
    for (uint32_t i = 0; i < n; ++i)
        cols[i] = scratch + i * stride;
    // Columns of the panel in chunks that keep their scratch lines cached,
    // turned in blocks of b x b complex numbers.
    constexpr uint32_t kChunk = 64;
    constexpr uint32_t b = TurnBlock<V>::side;
    const bool blocks = n % b == 0 && rows % b == 0;
    for (uint32_t y0 = 0; y0 < h; y0 += rows) {
        const uint32_t r = std::min(rows, h - y0);
        // Lines made on the spot go from cached lines straight into the
        // panel, never through the lines themselves.
        for (uint32_t q = 0; source && q < r; q += blocks ? b : 1) {
            const float* madeRows[b];
            for (uint32_t i = 0; i < (blocks ? b : 1); ++i) {
                madeRows[i] = made + 2 * size_t(i) * n;
                source->make(source->context, y0 + q + i, made + 2 * size_t(i) * n);
            }
            for (uint32_t x = 0; blocks && x < n; x += b)
                turnIntoPanel<V>(scratch, stride, x, q, madeRows);
            for (uint32_t x = 0; !blocks && x < n; ++x)
                std::memcpy(scratch + x * stride + 2 * q, made + 2 * size_t(x), 2 * sizeof(float));
        }
        for (uint32_t x0 = 0; !source && x0 < n; x0 += kChunk) {
            const uint32_t x1 = std::min(n, x0 + kChunk);
            for (uint32_t q = 0; blocks && q < r; q += b)
                for (uint32_t x = x0; x < x1; x += b)
                    turnIntoPanel<V>(scratch, stride, x, q, lines + y0 + q);
            for (uint32_t q = 0; !blocks && q < r; ++q) {
                const float* from = lines[y0 + q];
                for (uint32_t x = x0; x < x1; ++x)
                    std::memcpy(scratch + x * stride + 2 * q, from + 2 * size_t(x),
                                2 * sizeof(float));
            }
        }
        transformColumnsAcross<V>(cols, n, 2 * r, sgn, w, points, false);
        for (uint32_t x0 = 0; x0 < n; x0 += kChunk) {
            const uint32_t x1 = std::min(n, x0 + kChunk);
            for (uint32_t q = 0; blocks && q < r; q += b)
                for (uint32_t x = x0; x < x1; x += b)
                    turnOutOfPanel<V>(lines + y0 + q, x, scratch, stride, q);
            for (uint32_t q = 0; !blocks && q < r; ++q) {
                float* to = lines[y0 + q];
                for (uint32_t x = x0; x < x1; ++x)
                    std::memcpy(to + 2 * size_t(x), cols[x] + 2 * q, 2 * sizeof(float));
            }
        }
    }
}

#if LX_HAVE_AVX2_PATHS
LX_TARGET_AVX2 void transformLinesAvx2(float** lines, uint32_t h, uint32_t n, float sgn,
                                       const float* w, uint32_t points, const StageTwiddles& tw)
{
    for (uint32_t y = 0; y < h; ++y)
        transformLineAcross<Float8>(lines[y], n, sgn, w, points, tw);
}

LX_TARGET_AVX2 void transformLinesAsColumnsAvx2(float** lines, uint32_t h, uint32_t n, float sgn,
                                                const float* w, uint32_t points, float* scratch,
                                                float** cols, uint32_t rows,
                                                const LineSource* source, float* made)
{
    transformLinesAsColumns<Float8>(lines, h, n, sgn, w, points, scratch, cols, rows, source, made);
}
#endif

// The scratch of the line pass, kept per thread.
struct LinePanel;

void transformLines(float** lines, uint32_t h, uint32_t n, float sgn, const float* w,
                    uint32_t points, const LineSource* source)
{
    // Panels of 32 lines: 64 floats a scratch line, as the column strips.
    // The scratch line pointers first, then the lines, then four lines
    // made by the source.
    const uint32_t rows = std::min(h, 32u);
    const ThreadBlock<LinePanel> panel(sizeof(float*) * size_t(n) +
                                       sizeof(float) * (panelStride(rows) + 8) * n);
    if (float** cols = panel.as<float*>()) {
        float* scratch = reinterpret_cast<float*>(cols + n);
        float* made = scratch + panelStride(rows) * n;
#if LX_HAVE_AVX2_PATHS
        if (cpuHasAvx2())
            transformLinesAsColumnsAvx2(lines, h, n, sgn, w, points, scratch, cols, rows, source,
                                        made);
        else
#endif
            transformLinesAsColumns<Float4>(lines, h, n, sgn, w, points, scratch, cols, rows,
                                            source, made);
        return;
    }
    for (uint32_t y = 0; source && y < h; ++y)
        source->make(source->context, y, lines[y]);
    // Without room for a panel: line by line, as many floats.
    const StageTwiddles tw(n, sgn, w, points);
#if LX_HAVE_AVX2_PATHS
    if (cpuHasAvx2())
        return transformLinesAvx2(lines, h, n, sgn, w, points, tw);
#endif
    for (uint32_t y = 0; y < h; ++y)
        transformLineAcross<Float4>(lines[y], n, sgn, w, points, tw);
}

// Floats of each line in a band of the column pass: 32 complex columns.
constexpr uint32_t kBandFloats = 64;

// The column pass band by band through scratch lines that lie next to
// each other (rows, h of them, kBandFloats floats each), copied in already
// bit-reversed while the next band is fetched: the lines themselves lie a
// power of two apart, where they meet in the same cache sets and no
// prefetcher follows them.
template <class V>
LX_KERNEL_INLINE void transformColumnsInBands(float** lines, uint32_t h, uint32_t lineFloats,
                                              float sgn, const float* w, uint32_t points,
                                              float** rows, const TransformedBands* after)
{
    for (uint32_t from = 0; from < lineFloats; from += kBandFloats) {
        const uint32_t n = std::min(kBandFloats, lineFloats - from);
        const bool more = from + n < lineFloats;
        for (uint32_t y = 0, j = 0; y < h; ++y, j = nextReversed(j, h)) {
            const float* in = lines[y] + from;
            if (more)
                for (uint32_t f = 0; f < n; f += 16)
                    __builtin_prefetch(in + n + f);
            std::memcpy(rows[j], in, n * sizeof(float));
        }
        transformColumnsAcross<V>(rows, h, n, sgn, w, points, true);
        if (after)
            after->run(after->context, rows, h, from, n);
        for (uint32_t y = 0; (!after || after->keep) && y < h; ++y)
            std::memcpy(lines[y] + from, rows[y], n * sizeof(float));
    }
}

#if LX_HAVE_AVX2_PATHS
LX_TARGET_AVX2 void transformColumnsAvx2(float** lines, uint32_t h, uint32_t lineFloats, float sgn,
                                         const float* w, uint32_t points, float** rows,
                                         const TransformedBands* after)
{
    if (rows)
        transformColumnsInBands<Float8>(lines, h, lineFloats, sgn, w, points, rows, after);
    else
        transformColumnsAcross<Float8>(lines, h, lineFloats, sgn, w, points, false);
}
#endif

// The scratch of the column pass, kept per thread.
struct ColumnBand;

// Up to this many lines the column pass works in place: its strips stay
// within half of a core's second-level cache.
constexpr uint32_t kLinesInPlace = 1024;

// True when `after` (if any) has run on the bands on their way back.
bool transformColumns(float** lines, uint32_t h, uint32_t lineFloats, float sgn, const float* w,
                      uint32_t points, const TransformedBands* after)
{
    // Lines of one band are transformed where they are.
    const bool banded = lineFloats > kBandFloats && h > kLinesInPlace;
    const ThreadBlock<ColumnBand> band(
        banded ? (sizeof(float*) + sizeof(float) * kBandFloats) * size_t(h) : 0);
    float** rows = banded ? band.as<float*>() : nullptr;
    if (rows) {
        float* block = reinterpret_cast<float*>(rows + h);
        for (uint32_t i = 0; i < h; ++i)
            rows[i] = block + size_t(i) * kBandFloats;
    }
#if LX_HAVE_AVX2_PATHS
    if (cpuHasAvx2()) {
        transformColumnsAvx2(lines, h, lineFloats, sgn, w, points, rows, after);
        return rows != nullptr;
    }
#endif
    if (rows)
        transformColumnsInBands<Float4>(lines, h, lineFloats, sgn, w, points, rows, after);
    else
        transformColumnsAcross<Float4>(lines, h, lineFloats, sgn, w, points, false);
    return rows != nullptr;
}

} // namespace

std::atomic<FloatLinesAllocation> g_complexWorkLines{&AllocFloatLines};

struct ThreadComplexWork::Set {
    uint32_t h = 0, lineFloats = 0;
    float** lines = nullptr;
    int32_t* ip = nullptr;
    float* w = nullptr;
    bool busy = false;

    void release()
    {
        FreeFloatLines(lines);
        CLxAlloc::Free(ip);
        CLxAlloc::Free(w);
        lines = nullptr;
        ip = nullptr;
        w = nullptr;
        h = lineFloats = 0;
    }
    // True when the set holds lines of that shape, allocating on a change.
    bool shape(uint32_t lineCount, uint32_t floats)
    {
        if (lines && h == lineCount && lineFloats == floats)
            return true;
        release();
        lines = g_complexWorkLines.load()(lineCount, floats);
        if (!lines)
            return false;
        ip = static_cast<int32_t*>(AllocWords(ComplexFFT2DIndexWords(lineCount, floats / 2)));
        w = static_cast<float*>(AllocWords(ComplexFFT2DTwiddleWords(lineCount, floats / 2)));
        if (!ip || !w) {
            release();
            return false;
        }
        h = lineCount;
        lineFloats = floats;
        return true;
    }
    ~Set() { release(); }
};

namespace
{
thread_local ThreadComplexWork::Set t_complexWork;
} // namespace

ThreadComplexWork::ThreadComplexWork(uint32_t h, uint32_t lineFloats)
{
    m_own = t_complexWork.busy;
    m_set = m_own ? new (std::nothrow) Set : &t_complexWork;
    if (!m_set || !m_set->shape(h, lineFloats))
        return;
    m_set->busy = true;
    m_lines = m_set->lines;
}

ThreadComplexWork::~ThreadComplexWork()
{
    if (m_own) {
        delete m_set;
        return;
    }
    if (m_set)
        m_set->busy = false;
}

void ThreadComplexWork::transform(int sign) const
{
    ComplexFFT2D(m_set->h, m_set->lineFloats, sign, m_set->lines, m_set->ip, m_set->w);
}

void ThreadComplexWork::transform(int sign, const TransformedBands& after) const
{
    ComplexFFT2D(m_set->h, m_set->lineFloats, sign, m_set->lines, m_set->ip, m_set->w, after);
}

void ThreadComplexWork::transform(int sign, const LineSource& before,
                                  const TransformedBands& after) const
{
    ComplexFFT2D(m_set->h, m_set->lineFloats, sign, m_set->lines, m_set->ip, m_set->w, before,
                 after);
}

namespace
{

void transform2D(uint32_t h, uint32_t lineFloats, int sign, float** lines, int32_t* ip, float* w,
                 const LineSource* before, const TransformedBands* after)
{
    const uint32_t n = std::max(2 * h, lineFloats);
    if (n > 4 * static_cast<uint32_t>(ip[0]))
        MakeFFTTables(n / 4, ip, w);
    const uint32_t points = 2 * static_cast<uint32_t>(ip[0]);
    const float sgn = sign >= 0 ? 1.0f : -1.0f;
    const uint32_t width = lineFloats / 2;
    if (width > 1)
        transformLines(lines, h, width, sgn, w, points, before);
    else
        for (uint32_t y = 0; before && y < h; ++y)
            before->make(before->context, y, lines[y]);
    const bool done = h > 1 && transformColumns(lines, h, lineFloats, sgn, w, points, after);
    if (after && !done)
        after->run(after->context, lines, h, 0, lineFloats);
}

} // namespace

void ComplexFFT2D(uint32_t h, uint32_t lineFloats, int sign, float** lines, int32_t* ip, float* w)
{
    transform2D(h, lineFloats, sign, lines, ip, w, nullptr, nullptr);
}

void ComplexFFT2D(uint32_t h, uint32_t lineFloats, int sign, float** lines, int32_t* ip, float* w,
                  const TransformedBands& after)
{
    transform2D(h, lineFloats, sign, lines, ip, w, nullptr, &after);
}

void ComplexFFT2D(uint32_t h, uint32_t lineFloats, int sign, float** lines, int32_t* ip, float* w,
                  const LineSource& before, const TransformedBands& after)
{
    transform2D(h, lineFloats, sign, lines, ip, w, &before, &after);
}

} // namespace lxpic
