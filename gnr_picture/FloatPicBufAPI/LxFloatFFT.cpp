// Radix-2 transforms of any power-of-two size and the 64-point transforms
// with precomputed twiddles.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

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

// Columns of a plane through two scratch columns.
template <typename Transform>
void transformColumns(float* re, float* im, uint32_t width, uint32_t height, float* colRe,
                      float* colIm, Transform transform)
{
    for (uint32_t x = 0; x < width; ++x) {
        for (uint32_t y = 0; y < height; ++y) {
            colRe[y] = re[static_cast<size_t>(y) * width + x];
            colIm[y] = im[static_cast<size_t>(y) * width + x];
        }
        transform(colRe, colIm);
        for (uint32_t y = 0; y < height; ++y) {
            re[static_cast<size_t>(y) * width + x] = colRe[y];
            im[static_cast<size_t>(y) * width + x] = colIm[y];
        }
    }
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
    float* colRe = static_cast<float*>(CLxAlloc::Alloc(0, sizeof(float) * height));
    float* colIm = static_cast<float*>(CLxAlloc::Alloc(0, sizeof(float) * height));
    if (!colRe || !colIm) {
        CLxAlloc::Free(colRe);
        CLxAlloc::Free(colIm);
        return -3;
    }
    for (uint32_t y = 0; y < height; ++y)
        radix2(re + static_cast<size_t>(y) * width, im + static_cast<size_t>(y) * width, direction,
               width);
    transformColumns(re, im, width, height, colRe, colIm,
                     [&](float* r, float* i) { radix2(r, i, direction, height); });
    CLxAlloc::Free(colRe);
    CLxAlloc::Free(colIm);
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
    constexpr uint32_t n = 64;
    float colRe[n], colIm[n];
    for (uint32_t y = 0; y < n; ++y)
        FFT_1D_ConstSize(re + y * n, im + y * n, inverse);
    transformColumns(re, im, n, n, colRe, colIm,
                     [&](float* r, float* i) { FFT_1D_ConstSize(r, i, inverse); });
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
