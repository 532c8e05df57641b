// Nearest-neighbour thumbnails and their windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "mul_imageformat/gnr_imageformat_qx2/LxThumbnail.h"

namespace
{

struct HalvingCase {
    uint32_t W, H, FW, FH, max;
    uint32_t factor, GW, GH;
};

TEST(ChooseHalvingFactor, LargestHalvingThatStaysAtLeastTheTarget)
{
    const HalvingCase cases[] = {
        {100, 100, 1024, 1024, 6, 8, 128, 128},
        {100, 100, 50, 50, 6, 1, 50, 50},     // already below: the full size
        {100, 10, 1024, 40, 6, 4, 256, 10},   // both sides must stay at least the target
        {1, 1, 1 << 20, 1 << 20, 6, 64, 1 << 14, 1 << 14}, // capped
        {128, 128, 1024, 1024, 6, 8, 128, 128},            // equal counts
        {100, 100, 1024, 1024, 0, 1, 1024, 1024},
    };
    for (const auto& c : cases) {
        uint32_t w = c.W, h = c.H;
        EXPECT_EQ(c.factor, ChooseHalvingFactor(w, h, c.FW, c.FH, c.max)) << c.FW << " " << c.W;
        EXPECT_EQ(c.GW, w);
        EXPECT_EQ(c.GH, h);
    }
}

// A source whose sample at (x, y, k) tells where it came from.
template <class Sample>
std::vector<Sample> gridSource(uint32_t w, uint32_t h, uint32_t comps, uint32_t strideSamples)
{
    std::vector<Sample> s(size_t(strideSamples) * h, 0);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t k = 0; k < comps; ++k)
                s[size_t(y) * strideSamples + x * comps + k] =
                    static_cast<Sample>(sizeof(Sample) == 1 ? (x * 3 + y * 5 + k) : (x + y * 1024 + k * 7));
    return s;
}

TEST(MakeThumbnail, ThreeHalvingsTakeEveryEighthColumn)
{
    const uint32_t n = 1024;
    auto src = gridSource<uint16_t>(n, n, 1, n);
    std::vector<uint16_t> dst(100 * 100, 0xDEAD);
    ASSERT_EQ(0, MakeThumbnail(dst.data(), 100, 100, 200, 100, 100, 0, 0, src.data(), n, n,
                               2 * n, 1, 12, n, n));
    auto column = [](uint16_t v) { return v % 1024u; };
    EXPECT_EQ(0u, column(dst[0]));
    EXPECT_EQ(8u, column(dst[1]));
    EXPECT_EQ(1008u, column(dst[99]));
    for (uint32_t c = 0; c < 100; ++c)
        EXPECT_EQ(8u * (c * 128 / 100), column(dst[c])) << c;
}

TEST(MakeThumbnail, ThreeHalvingsTakeEveryEighthRow)
{
    const uint32_t n = 1024;
    std::vector<uint16_t> src(size_t(n) * n);
    for (uint32_t y = 0; y < n; ++y)
        std::fill_n(&src[size_t(y) * n], n, static_cast<uint16_t>(y));
    std::vector<uint16_t> dst(100 * 100);
    ASSERT_EQ(0, MakeThumbnail(dst.data(), 100, 100, 200, 100, 100, 0, 0, src.data(), n, n,
                               2 * n, 1, 16, n, n));
    for (uint32_t r = 0; r < 100; ++r)
        EXPECT_EQ(8u * (r * 128 / 100), dst[r * 100]) << r;
}

TEST(MakeThumbnail, SmallFullSizeRepeatsColumns)
{
    const uint32_t n = 50;
    auto src = gridSource<uint8_t>(n, n, 1, 52);
    std::vector<uint8_t> dst(100 * 100);
    ASSERT_EQ(0, MakeThumbnail(dst.data(), 100, 100, 100, 100, 100, 0, 0, src.data(), n, n, 52,
                               1, 8, n, n));
    // Grid = full size: column c takes source column c / 2 (plus the offset).
    for (uint32_t c = 0; c + 1 < 100; c += 2)
        EXPECT_EQ(dst[c], dst[c + 1]) << c;
}

TEST(MakeThumbnail, WindowPastTheRightEdgeWritesOnlyWhatIsInside)
{
    const uint32_t n = 64;
    auto src = gridSource<uint8_t>(n, n, 3, n * 3);
    const uint32_t stride = 40 * 3;
    std::vector<uint8_t> dst(stride * 20, 0xEE);
    ASSERT_EQ(0, MakeThumbnail(dst.data(), 40, 20, stride, 64, 64, 50, 50, src.data(), n, n,
                               n * 3, 3, 8, n, n));
    // At full size the half-pixel offset rounds up to one pixel; the last
    // column and row repeat.
    for (uint32_t r = 0; r < 20; ++r) {
        const uint32_t y = std::min(51 + std::min(r, 13u), 63u);
        for (uint32_t b = 0; b < stride; ++b) {
            if (b < 14 * 3)
                EXPECT_EQ(src[y * n * 3 + std::min(51 + b / 3, 63u) * 3 + b % 3],
                          dst[r * stride + b]) << r << " " << b;
            else
                EXPECT_EQ(0xEE, dst[r * stride + b]) << r << " " << b;
        }
    }
}

TEST(MakeThumbnail, WindowsLineUpWithTheWholeThumbnail)
{
    const uint32_t n = 300;
    auto src = gridSource<uint8_t>(n, n, 1, 300);
    std::vector<uint8_t> whole(97 * 61);
    ASSERT_EQ(0, MakeThumbnail(whole.data(), 97, 61, 97, 97, 61, 0, 0, src.data(), n, n, 300, 1,
                               8, n, n));
    std::vector<uint8_t> window(20 * 10);
    ASSERT_EQ(0, MakeThumbnail(window.data(), 20, 10, 20, 97, 61, 33, 17, src.data(), n, n, 300,
                               1, 8, n, n));
    for (uint32_t r = 0; r < 10; ++r)
        for (uint32_t c = 0; c < 20; ++c)
            EXPECT_EQ(whole[(17 + r) * 97 + 33 + c], window[r * 20 + c]);
}

TEST(MakeThumbnail, ReducedSourceLinesUpWithTheFullOne)
{
    // The full image and its half-resolution copy give the same thumbnail
    // when the grid is coarse enough for both.
    const uint32_t n = 512;
    std::vector<uint8_t> full(n * n), half((n / 2) * (n / 2));
    for (uint32_t y = 0; y < n; ++y)
        for (uint32_t x = 0; x < n; ++x)
            full[y * n + x] = static_cast<uint8_t>((x / 2) * 7 + (y / 2) * 3);
    for (uint32_t y = 0; y < n / 2; ++y)
        for (uint32_t x = 0; x < n / 2; ++x)
            half[y * (n / 2) + x] = full[2 * y * n + 2 * x];
    std::vector<uint8_t> a(50 * 50), b(50 * 50);
    ASSERT_EQ(0, MakeThumbnail(a.data(), 50, 50, 50, 50, 50, 0, 0, full.data(), n, n, n, 1, 8, n, n));
    ASSERT_EQ(0, MakeThumbnail(b.data(), 50, 50, 50, 50, 50, 0, 0, half.data(), n / 2, n / 2,
                               n / 2, 1, 8, n, n));
    EXPECT_EQ(a, b);
}

TEST(MakeThumbnail, RepeatedSourceRowsGiveIdenticalRows)
{
    const uint32_t n = 10;
    auto src = gridSource<uint16_t>(n, n, 3, n * 3 + 1);
    const uint32_t stride = 41 * 3 * 2; // odd number of samples, even bytes
    std::vector<uint16_t> dst(stride / 2 * 40, 0);
    ASSERT_EQ(0, MakeThumbnail(dst.data(), 40, 40, stride, 40, 40, 0, 0, src.data(), n, n,
                               (n * 3 + 1) * 2 + 1, 3, 16, n, n));
    int repeats = 0;
    for (uint32_t r = 1; r < 40; ++r)
        if (std::memcmp(&dst[r * stride / 2], &dst[(r - 1) * stride / 2], 40 * 3 * 2) == 0)
            ++repeats;
    // 40 rows from the 9 source rows past the half-pixel offset.
    EXPECT_EQ(31, repeats);
}

// Each thumbnail pixel computed on its own, without the column table and the
// row copies.
uint64_t roundedDiv(uint64_t a, uint64_t b)
{
    return a / b + (a % b >= b / 2);
}

template <class Sample>
void naiveThumbnail(std::vector<uint8_t>& dst, uint32_t dstW, uint32_t dstH, uint32_t dstStride,
                    uint32_t W, uint32_t H, uint32_t X0, uint32_t Y0,
                    const std::vector<uint8_t>& src, uint32_t srcW, uint32_t srcH,
                    uint32_t srcStride, uint32_t comps, uint32_t FW, uint32_t FH)
{
    uint32_t GW = W, GH = H;
    ChooseHalvingFactor(GW, GH, FW, FH, 6);
    const uint64_t offX = roundedDiv(GW, 2ull * srcW) + roundedDiv(GW, std::min(FW, W)) / 2;
    const uint64_t offY = roundedDiv(GH, 2ull * srcH) + roundedDiv(GH, std::min(FH, H)) / 2;
    const uint64_t CW = GW / srcW > 1 ? GW / (GW / srcW) * (GW / srcW) : GW;
    const uint64_t CH = GH / srcH > 1 ? GH / (GH / srcH) * (GH / srcH) : GH;
    const uint32_t cols = std::min(dstW, W - X0), rows = std::min(dstH, H - Y0);
    for (uint32_t r = 0; r < dstH; ++r) {
        const uint64_t y = std::min(Y0 + r, Y0 + rows - 1);
        const uint64_t v = std::min<uint64_t>(y * GH / H + offY, CH - 1);
        const uint64_t sy = srcH * v / CH;
        for (uint32_t c = 0; c < cols; ++c) {
            const uint64_t u = std::min<uint64_t>((uint64_t(c) + X0) * GW / W + offX, CW - 1);
            const uint64_t sx = srcW * u / CW;
            for (uint32_t k = 0; k < comps; ++k)
                std::memcpy(&dst[r * (dstStride & ~(sizeof(Sample) - 1)) + (c * comps + k) * sizeof(Sample)],
                            &src[sy * (srcStride & ~(sizeof(Sample) - 1)) + (sx * comps + k) * sizeof(Sample)],
                            sizeof(Sample));
        }
    }
}

struct KernelCase {
    uint32_t dstW, dstH, W, H, X0, Y0, srcW, srcH, FW, FH, extraStride;
};

TEST(MakeThumbnail, AllFourFormatsEqualAPixelByPixelReference)
{
    const KernelCase cases[] = {
        {100, 100, 100, 100, 0, 0, 1024, 1024, 1024, 1024, 0},
        {33, 21, 97, 61, 40, 30, 300, 200, 300, 200, 3},
        {64, 64, 64, 64, 0, 0, 64, 64, 64, 64, 1},
        {50, 40, 120, 80, 100, 70, 256, 128, 1024, 512, 5}, // reduced source, clipped window
        {7, 9, 200, 150, 0, 0, 37, 23, 37, 23, 2},           // enlarging
        {10, 10, 10, 10, 10, 10, 16, 16, 16, 16, 0},         // window at the far corner
    };
    std::mt19937 random(7);
    for (uint32_t comps : {1u, 3u}) {
        for (uint32_t bits : {8u, 12u}) {
            const uint32_t bytes = bits > 8 ? 2 : 1;
            for (const auto& c : cases) {
                const uint32_t srcStride = c.srcW * comps * bytes + c.extraStride;
                const uint32_t dstStride = c.dstW * comps * bytes + c.extraStride;
                std::vector<uint8_t> src(size_t(srcStride) * c.srcH);
                for (auto& b : src)
                    b = static_cast<uint8_t>(random());
                std::vector<uint8_t> expected(size_t(dstStride) * c.dstH, 0xA5), got = expected;
                if (bytes == 1)
                    naiveThumbnail<uint8_t>(expected, c.dstW, c.dstH, dstStride, c.W, c.H, c.X0,
                                            c.Y0, src, c.srcW, c.srcH, srcStride, comps, c.FW, c.FH);
                else
                    naiveThumbnail<uint16_t>(expected, c.dstW, c.dstH, dstStride, c.W, c.H, c.X0,
                                             c.Y0, src, c.srcW, c.srcH, srcStride, comps, c.FW, c.FH);
                ASSERT_EQ(0, MakeThumbnail(got.data(), c.dstW, c.dstH, dstStride, c.W, c.H, c.X0,
                                           c.Y0, src.data(), c.srcW, c.srcH, srcStride, comps,
                                           bits, c.FW, c.FH));
                EXPECT_EQ(expected, got) << comps << "x" << bits << " " << c.W << "x" << c.H
                                         << " at " << c.X0 << "," << c.Y0;
            }
        }
    }
}

TEST(MakeThumbnail, UnsupportedFormatsAndBadSizesWriteNothing)
{
    std::vector<uint8_t> src(16 * 16, 1), dst(16 * 16 * 4, 0x55);
    const auto before = dst;
    struct Case {
        uint32_t comps, bits, W, srcW, X0;
        int result;
    } cases[] = {
        {4, 8, 8, 16, 0, -2}, {1, 17, 8, 16, 0, -2}, {2, 8, 8, 16, 0, -2},
        {1, 8, 0, 16, 0, -4}, {1, 8, 8, 0, 0, -4},  {1, 8, 8, 16, 9, -4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, MakeThumbnail(dst.data(), 8, 8, 64, c.W, 8, c.X0, 0, src.data(),
                                          c.srcW, 16, 16, c.comps, c.bits, 16, 16));
        EXPECT_EQ(before, dst);
    }
}

// Every divisor and the window's start, one at a time: -4 and nothing
// written; a window that starts at the thumbnail's edge writes nothing.
TEST(MakeThumbnail, EachBadSizeOrStartIsRefused)
{
    struct Args {
        uint32_t W, H, X0, Y0, srcW, srcH, FW, FH;
        int result;
    };
    const Args good{8, 8, 0, 0, 16, 16, 16, 16, 0};
    const Args cases[] = {
        {0, 8, 0, 0, 16, 16, 16, 16, -4},
        {8, 0, 0, 0, 16, 16, 16, 16, -4},
        {8, 8, 9, 0, 16, 16, 16, 16, -4},
        {8, 8, 0, 9, 16, 16, 16, 16, -4},
        {8, 8, 0, 0, 0, 16, 16, 16, -4},
        {8, 8, 0, 0, 16, 0, 16, 16, -4},
        {8, 8, 0, 0, 16, 16, 0, 16, -4},
        {8, 8, 0, 0, 16, 16, 16, 0, -4},
        {8, 8, 8, 0, 16, 16, 16, 16, 0}, // X0 = W: no column to write
        {8, 8, 0xFFFFFFFFu, 0, 16, 16, 16, 16, -4},
    };
    std::vector<uint8_t> src(16 * 16, 1);
    for (const Args& c : cases) {
        std::vector<uint8_t> dst(8 * 8, 0x55);
        EXPECT_EQ(c.result, MakeThumbnail(dst.data(), 8, 8, 8, c.W, c.H, c.X0, c.Y0, src.data(),
                                          c.srcW, c.srcH, 16, 1, 8, c.FW, c.FH))
            << c.W << " " << c.H << " " << c.X0 << " " << c.Y0;
        EXPECT_EQ(std::vector<uint8_t>(8 * 8, 0x55), dst);
    }
    std::vector<uint8_t> dst(8 * 8, 0x55);
    EXPECT_EQ(good.result,
              MakeThumbnail(dst.data(), 8, 8, 8, good.W, good.H, good.X0, good.Y0, src.data(),
                            good.srcW, good.srcH, 16, 1, 8, good.FW, good.FH));
    EXPECT_EQ(std::vector<uint8_t>(8 * 8, 1), dst);
}

} // namespace
