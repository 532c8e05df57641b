// Radix-2 transforms of any power-of-two size and the 64-point transforms
// with precomputed twiddles.
#include <xmmintrin.h>

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

// The transform of every column of a width x height plane (height a power
// of two): the butterflies of the line transform, each applied to whole
// lines, so every column gets exactly the line transform's operations.
template <class V, class Twiddles>
LX_KERNEL_INLINE void transformColumnsAcross(float* re, float* im, uint32_t width, uint32_t height,
                                             Twiddles tw)
{
    constexpr uint32_t n = lxpic::kLanes<V>;
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
    for (uint32_t l1 = 1; l1 < height; l1 *= 2) {
        tw.stage(l1);
        for (uint32_t b = 0; b < l1; ++b) {
            float u1, u2;
            tw.next(&u1, &u2);
            const V u1v = V{} + u1, u2v = V{} + u2;
            for (uint32_t i = b; i < height; i += 2 * l1) {
                float* r0 = re + i * w;
                float* m0 = im + i * w;
                float* r1 = re + (i + l1) * w;
                float* m1 = im + (i + l1) * w;
                const size_t whole = w - w % n;
                for (size_t x = 0; x < whole; x += n) {
                    V a, c, p, q;
                    lxpic::loadLanes(a, r1 + x);
                    lxpic::loadLanes(c, m1 + x);
                    lxpic::loadLanes(p, r0 + x);
                    lxpic::loadLanes(q, m0 + x);
                    const V t1 = u1v * a - u2v * c;
                    const V t2 = u1v * c + u2v * a;
                    lxpic::storeLanes(r1 + x, V(p - t1));
                    lxpic::storeLanes(m1 + x, V(q - t2));
                    lxpic::storeLanes(r0 + x, V(p + t1));
                    lxpic::storeLanes(m0 + x, V(q + t2));
                }
                for (size_t x = whole; x < w; ++x) {
                    const float t1 = u1 * r1[x] - u2 * m1[x];
                    const float t2 = u1 * m1[x] + u2 * r1[x];
                    r1[x] = r0[x] - t1;
                    m1[x] = m0[x] - t2;
                    r0[x] += t1;
                    m0[x] += t2;
                }
            }
        }
    }
}

#if LX_HAVE_AVX2_PATHS
template <class Twiddles>
LX_TARGET_AVX2 void transformColumnsAvx2(float* re, float* im, uint32_t width, uint32_t height,
                                         Twiddles tw)
{
    transformColumnsAcross<lxpic::Float8>(re, im, width, height, tw);
}
#endif

template <class Twiddles>
void transformColumnsAny(float* re, float* im, uint32_t width, uint32_t height, Twiddles tw)
{
#if LX_HAVE_AVX2_PATHS
    if (lxpic::cpuHasAvx2())
        return transformColumnsAvx2(re, im, width, height, tw);
#endif
    transformColumnsAcross<lxpic::Float4>(re, im, width, height, tw);
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
    for (uint32_t y = 0; y < height; ++y)
        radix2(re + static_cast<size_t>(y) * width, im + static_cast<size_t>(y) * width, direction,
               width);
    transformColumnsAny(re, im, width, height, RecurrenceTwiddles{direction == 1});
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
    // Lines first, as columns of the turned planes, then the columns.
    transpose64(re);
    transpose64(im);
    transformColumnsAny(re, im, n, n, tw);
    if (inverse) {
        scaleAll(re, n * n, 0.015625f);
        scaleAll(im, n * n, 0.015625f);
    }
    transpose64(re);
    transpose64(im);
    transformColumnsAny(re, im, n, n, tw);
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
