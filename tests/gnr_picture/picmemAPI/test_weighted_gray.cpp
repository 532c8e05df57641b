// The weighted collapse to gray computes floor(c x s / F) by arithmetic and
// vector loops; it must give exactly the sums of the per-component tables
// that the rules describe, for every format, weight set and line length.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "gnr_picture/picmemAPI/LxConvertKernels.h"
#include "gnr_picture/picmemAPI/LxConvertKernelsT.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"

namespace
{

TEST(WeightedGray, DivisionByTheLargestSampleIsExact)
{
    for (uint32_t c = 0; c <= 255; ++c)
        for (uint32_t i = 0; i <= 255; ++i)
            ASSERT_EQ(lxpic::divideByMax<uint8_t>(c * i), c * i / 255) << c << " " << i;
    // Every sample with factors across the range, and random products.
    const uint32_t factors[] = {0, 1, 2, 255, 256, 7471, 19595, 38470, 32767, 32768, 65534, 65535};
    for (uint32_t c : factors)
        for (uint32_t i = 0; i <= 65535; ++i)
            ASSERT_EQ(lxpic::divideByMax<uint16_t>(c * i), c * i / 65535) << c << " " << i;
    std::mt19937 rng(3);
    for (int n = 0; n < 1000000; ++n) {
        const uint32_t x = rng() % (65535u * 65535u + 1u);
        ASSERT_EQ(lxpic::divideByMax<uint16_t>(x), x / 65535) << x;
    }
}

// The factors and the table sums exactly as the rules state them.
template <class T>
std::vector<T> expectedGray(const std::vector<T>& px, uint32_t n, const double* w, bool restLast)
{
    const uint64_t F = std::numeric_limits<T>::max();
    std::vector<T> c(n);
    const uint32_t rest = restLast ? n - 1 : 0;
    T others = 0;
    for (uint32_t k = 0; k < n; ++k) {
        if (k == rest)
            continue;
        const double v = w[k] * double(F) + 0.5;
        c[k] = std::fabs(v) < 9.0e18 ? T(int64_t(v)) : T(0);
        others = T(others + c[k]);
    }
    c[rest] = T(F - others);
    std::vector<T> out(px.size() / n);
    for (size_t p = 0; p < out.size(); ++p) {
        T g = 0;
        for (uint32_t k = 0; k < n; ++k)
            g = T(g + T(uint64_t(c[k]) * px[p * n + k] / F));
        out[p] = g;
    }
    return out;
}

template <class T> void checkFormat(uint32_t n)
{
    const double weightSets[][5] = {
        {0.114, 0.587, 0.299, 0.2, 0.3}, // the luminance weights
        {1.0, 1.0, 1.0, 1.0, 1.0},       // sums past 1 wrap
        {0.0, 0.0, 0.0, 0.0, 0.0},          {-0.25, 0.75, 0.5, -1.0, 0.1},
        {0.3333, 0.3333, 0.3334, 0.5, 0.5},
    };
    const uint32_t widths[] = {1, 15, 16, 17, 31, 32, 33, 64, 77};
    std::mt19937 rng(n * 10 + sizeof(T));
    for (const auto& w : weightSets) {
        for (uint32_t width : widths) {
            const uint32_t lines = 3, pad = 5;
            const uint32_t srcWB = (width * n + pad) * sizeof(T), dstWB = (width + 3) * sizeof(T);
            std::vector<T> src(size_t(srcWB / sizeof(T)) * lines),
                dst(size_t(dstWB / sizeof(T)) * lines, 0x5A);
            for (T& v : src)
                v = T(rng());
            // Extremes on the first pixels of each line.
            for (uint32_t y = 0; y < lines; ++y)
                for (uint32_t k = 0; k < n && k < width * n; ++k)
                    src[y * (srcWB / sizeof(T)) + k] = y == 0 ? std::numeric_limits<T>::max() : 0;
            const uint32_t count = width * lines;
            int result = -99;
            if (sizeof(T) == 1)
                result =
                    n == 3
                        ? convert_3x8_to_1x8(dst.data(), dstWB, src.data(), srcWB, w, width, count)
                    : n == 4
                        ? convert_4x8_to_1x8(dst.data(), dstWB, src.data(), srcWB, w, width, count)
                        : convert_Nx8_to_1x8(dst.data(), dstWB, src.data(), n, srcWB, w, width,
                                             count);
            else
                result = n == 3   ? convert_3x16_to_1x16(dst.data(), dstWB, src.data(), srcWB, w,
                                                         width, count)
                         : n == 4 ? convert_4x16_to_1x16(dst.data(), dstWB, src.data(), srcWB, w,
                                                         width, count)
                                  : convert_Nx16_to_1x16(dst.data(), dstWB, src.data(), n, srcWB, w,
                                                         width, count);
            ASSERT_EQ(result, 0);
            for (uint32_t y = 0; y < lines; ++y) {
                const std::vector<T> line(src.begin() + y * (srcWB / sizeof(T)),
                                          src.begin() + y * (srcWB / sizeof(T)) + width * n);
                const std::vector<T> expected = expectedGray<T>(line, n, w, n == 3 || n == 4);
                for (uint32_t x = 0; x < width; ++x)
                    ASSERT_EQ(dst[y * (dstWB / sizeof(T)) + x], expected[x])
                        << n << "x" << 8 * sizeof(T) << " width " << width << " x " << x << " y "
                        << y << " weights " << w[0];
                for (uint32_t x = width; x < dstWB / sizeof(T); ++x)
                    ASSERT_EQ(dst[y * (dstWB / sizeof(T)) + x], T(0x5A)) << "padding";
            }
        }
    }
}

TEST(WeightedGray, EveryFormatEqualsTheTableSums)
{
    // With the vector loops, and with the plain loops alone.
    for (bool vector : {true, false}) {
        lxpic::avx2PathsAllowed() = vector;
        for (uint32_t n : {3u, 4u, 5u, 2u}) {
            checkFormat<uint8_t>(n);
            checkFormat<uint16_t>(n);
        }
    }
    lxpic::avx2PathsAllowed() = true;
}

} // namespace
