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
#include "w32_system/memory/LxAlloc.h"

float FFT_u1[63];
float FFT_u2[63];
float IFFT_u1[63];
float IFFT_u2[63];

namespace
{

void fillTwiddles(float* u1Table, float* u2Table, bool inverse)
{
    double c1 = -1.0, c2 = 0.0;
    for (uint32_t s = 0; s < 6; ++s) {
        const uint32_t l1 = 1u << s;
        double u1 = 1.0, u2 = 0.0;
        for (uint32_t j = 0; j < l1; ++j) {
            u1Table[l1 - 1 + j] = static_cast<float>(u1);
            u2Table[l1 - 1 + j] = static_cast<float>(u2);
            const double z = u1 * c1 - u2 * c2;
            u2 = u1 * c2 + u2 * c1;
            u1 = z;
        }
        c2 = std::sqrt((1.0 - c1) / 2.0);
        if (inverse)
            c2 = -c2;
        c1 = std::sqrt((1.0 + c1) / 2.0);
    }
}

std::once_flag g_twiddlesOnce;

void ensureTwiddles()
{
    std::call_once(g_twiddlesOnce, [] {
        fillTwiddles(FFT_u1, FFT_u2, false);
        fillTwiddles(IFFT_u1, IFFT_u2, true);
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

// Twiddles of the 64-point transforms from their tables.
struct TableTwiddles {
    const float* u1Table;
    const float* u2Table;
    uint32_t at = 0;
    void stage(uint32_t l1) { at = l1 - 1; }
    void next(float* u1, float* u2)
    {
        *u1 = u1Table[at];
        *u2 = u2Table[at];
        ++at;
    }
};

// Twiddles of the radix-2 transforms by the recurrence in double.
struct RecurrenceTwiddles {
    bool forward; // direction 1
    double c1 = -1.0, c2 = 0.0, u1 = 1.0, u2 = 0.0;
    uint32_t l1Seen = 0;
    void stage(uint32_t l1)
    {
        if (l1Seen) {
            c2 = std::sqrt((1.0 - c1) / 2.0);
            if (forward)
                c2 = -c2;
            c1 = std::sqrt((1.0 + c1) / 2.0);
        }
        l1Seen = l1;
        u1 = 1.0;
        u2 = 0.0;
    }
    void next(float* f1, float* f2)
    {
        *f1 = static_cast<float>(u1);
        *f2 = static_cast<float>(u2);
        const double z = u1 * c1 - u2 * c2;
        u2 = u1 * c2 + u2 * c1;
        u1 = z;
    }
};

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

// Stage l1 on whole lines, twiddle j of the stage at u1[j], u2[j].
template <class V>
LX_KERNEL_INLINE void splitStage(float* re, float* im, size_t w, uint32_t height, uint32_t l1,
                                 const float* u1, const float* u2)
{
    constexpr uint32_t n = lxpic::kLanes<V>;
    const size_t whole = w - w % n;
    for (uint32_t b = 0; b < l1; ++b) {
        const V u1v = V{} + u1[b], u2v = V{} + u2[b];
        for (uint32_t i = b; i < height; i += 2 * l1) {
            float* r0 = re + i * w;
            float* m0 = im + i * w;
            float* r1 = re + (i + l1) * w;
            float* m1 = im + (i + l1) * w;
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
LX_KERNEL_INLINE void splitStagePair(float* re, float* im, size_t w, uint32_t height, uint32_t l1,
                                     const float* u1, const float* u2, const float* v1,
                                     const float* v2)
{
    constexpr uint32_t n = lxpic::kLanes<V>;
    const size_t whole = w - w % n;
    for (uint32_t b = 0; b < l1; ++b) {
        const V a1 = V{} + u1[b], a2 = V{} + u2[b];
        const V b1 = V{} + v1[b], b2 = V{} + v2[b];
        const V c1 = V{} + v1[b + l1], c2 = V{} + v2[b + l1];
        for (uint32_t i = b; i < height; i += 4 * l1) {
            float* r0 = re + i * w;
            float* m0 = im + i * w;
            float* r1 = r0 + l1 * w;
            float* m1 = m0 + l1 * w;
            float* r2 = r1 + l1 * w;
            float* m2 = m1 + l1 * w;
            float* r3 = r2 + l1 * w;
            float* m3 = m2 + l1 * w;
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

// The twiddles of stage l1, in the order the line transform takes them.
template <class Twiddles>
LX_KERNEL_INLINE void stageTwiddles(Twiddles& tw, uint32_t l1, float* u1, float* u2)
{
    tw.stage(l1);
    for (uint32_t b = 0; b < l1; ++b)
        tw.next(&u1[b], &u2[b]);
}

// The transform of every column of a width x height plane (height a power
// of two): the butterflies of the line transform, each applied to whole
// lines, so every column gets exactly the line transform's operations.
// twiddles holds 3 x height floats.
template <class V, class Twiddles>
LX_KERNEL_INLINE void transformColumnsAcross(float* re, float* im, uint32_t width, uint32_t height,
                                             Twiddles tw, float* twiddles)
{
    const size_t w = width;
    uint32_t j = 0;
    for (uint32_t i = 0; i + 1 < height; ++i) {
        if (i < j) {
            std::swap_ranges(re + i * w, re + (i + 1) * w, re + j * w);
            std::swap_ranges(im + i * w, im + (i + 1) * w, im + j * w);
        }
        uint32_t k = height / 2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }
    float* u1 = twiddles;
    float* u2 = u1 + height / 2;
    float* v1 = u2 + height / 2;
    float* v2 = v1 + height;
    uint32_t l1 = 1;
    for (; 2 * l1 < height; l1 *= 4) {
        stageTwiddles(tw, l1, u1, u2);
        stageTwiddles(tw, 2 * l1, v1, v2);
        splitStagePair<V>(re, im, w, height, l1, u1, u2, v1, v2);
    }
    if (l1 < height) {
        stageTwiddles(tw, l1, u1, u2);
        splitStage<V>(re, im, w, height, l1, u1, u2);
    }
}

#if LX_HAVE_AVX2_PATHS
template <class Twiddles>
LX_TARGET_AVX2 void transformColumnsAvx2(float* re, float* im, uint32_t width, uint32_t height,
                                         Twiddles tw, float* twiddles)
{
    transformColumnsAcross<lxpic::Float8>(re, im, width, height, tw, twiddles);
}
#endif

// Room for the stage twiddles of a column pass: 3 x height floats, the
// constant size's 64 lines in the object itself.
class ColumnTwiddleRoom
{
  public:
    explicit ColumnTwiddleRoom(uint32_t height)
        : m_floats(height <= 64 ? m_local
                                : static_cast<float*>(
                                      CLxAlloc::Alloc(0, sizeof(float) * 3 * size_t(height))))
    {
    }
    ~ColumnTwiddleRoom()
    {
        if (m_floats != m_local)
            CLxAlloc::Free(m_floats);
    }
    ColumnTwiddleRoom(const ColumnTwiddleRoom&) = delete;
    ColumnTwiddleRoom& operator=(const ColumnTwiddleRoom&) = delete;
    float* floats() const { return m_floats; }

  private:
    float m_local[3 * 64];
    float* m_floats;
};

template <class Twiddles>
void transformColumnsAny(float* re, float* im, uint32_t width, uint32_t height, Twiddles tw,
                         const ColumnTwiddleRoom& room)
{
#if LX_HAVE_AVX2_PATHS
    if (lxpic::cpuHasAvx2())
        return transformColumnsAvx2(re, im, width, height, tw, room.floats());
#endif
    transformColumnsAcross<lxpic::Float4>(re, im, width, height, tw, room.floats());
}

// The radix-2 transform of every line, the lines turned into columns in
// panels so that the column kernel runs them: each point gets the line
// transform's butterflies and division, float for float. False, nothing
// done, without room for a panel.
bool transformLinesAsColumns(float* re, float* im, uint32_t width, uint32_t height,
                             uint8_t direction, const ColumnTwiddleRoom& room)
{
    const uint32_t rows = std::min(height, 32u);
    if (!room.floats() || width < 2)
        return false;
    float* scratch =
        static_cast<float*>(CLxAlloc::Alloc(0, sizeof(float) * 2 * size_t(width) * rows));
    if (!scratch)
        return false;
    float* sre = scratch;
    float* sim = scratch + size_t(width) * rows;
    const float scale = static_cast<float>(width);
    // Chunks of positions whose scratch lines stay cached while turning.
    constexpr uint32_t kChunk = 256;
    for (uint32_t y0 = 0; y0 < height; y0 += rows) {
        const uint32_t r = std::min(rows, height - y0);
        for (uint32_t x0 = 0; x0 < width; x0 += kChunk) {
            const uint32_t x1 = std::min(width, x0 + kChunk);
            for (uint32_t q = 0; q < r; ++q) {
                const float* fromRe = re + size_t(y0 + q) * width;
                const float* fromIm = im + size_t(y0 + q) * width;
                for (uint32_t x = x0; x < x1; ++x) {
                    sre[size_t(x) * r + q] = fromRe[x];
                    sim[size_t(x) * r + q] = fromIm[x];
                }
            }
        }
        transformColumnsAny(sre, sim, r, width, RecurrenceTwiddles{direction == 1}, room);
        for (uint32_t x0 = 0; x0 < width; x0 += kChunk) {
            const uint32_t x1 = std::min(width, x0 + kChunk);
            for (uint32_t q = 0; q < r; ++q) {
                float* toRe = re + size_t(y0 + q) * width;
                float* toIm = im + size_t(y0 + q) * width;
                for (uint32_t x = x0; x < x1; ++x) {
                    toRe[x] = sre[size_t(x) * r + q];
                    toIm[x] = sim[size_t(x) * r + q];
                    if (direction == 1) {
                        toRe[x] /= scale;
                        toIm[x] /= scale;
                    }
                }
            }
        }
    }
    CLxAlloc::Free(scratch);
    return true;
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
    const ColumnTwiddleRoom room(height), lineRoom(width);
    if (!room.floats())
        return -3;
    if (!transformLinesAsColumns(re, im, width, height, direction, lineRoom))
        for (uint32_t y = 0; y < height; ++y)
            radix2(re + static_cast<size_t>(y) * width, im + static_cast<size_t>(y) * width,
                   direction, width);
    transformColumnsAny(re, im, width, height, RecurrenceTwiddles{direction == 1}, room);
    if (direction == 1) {
        const float scale = static_cast<float>(height);
        const size_t count = static_cast<size_t>(width) * height;
        for (size_t i = 0; i < count; ++i) {
            re[i] /= scale;
            im[i] /= scale;
        }
    }
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
    const TableTwiddles tw{inverse ? IFFT_u1 : FFT_u1, inverse ? IFFT_u2 : FFT_u2};
    const ColumnTwiddleRoom room(n);
    // Lines first, as columns of the turned planes, then the columns.
    transpose64(re);
    transpose64(im);
    transformColumnsAny(re, im, n, n, tw, room);
    if (inverse) {
        scaleAll(re, n * n, 0.015625f);
        scaleAll(im, n * n, 0.015625f);
    }
    transpose64(re);
    transpose64(im);
    transformColumnsAny(re, im, n, n, tw, room);
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
