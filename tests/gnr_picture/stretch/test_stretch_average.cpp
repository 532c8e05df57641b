// Area-averaging reduction of mode 4: block starts, the thresholds that pick
// it, and the threaded result against a single-threaded reference.
#include <gtest/gtest.h>

#include <vector>

#include "gnr_picture/picmemAPI/LxStretchKernels.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchAverage.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchScratch.h"
#include "stretch_test_support.h"

using namespace stretchtest;

namespace
{

std::vector<uint32_t> blockStarts(uint32_t src, uint32_t dst)
{
    const uint32_t step = uint32_t(double(src) / dst + 0.5), sub = step / 5 + 1;
    std::vector<uint32_t> starts(dst);
    lxstretch::averageBlockStarts(src, dst, step, (step - 1) / sub * sub, starts.data());
    return starts;
}

TEST(StretchAverage, BlockStartsSpreadARemainderOfOne)
{
    // 1000 to 333: step 3 leaves one column; the single shift falls where
    // the running fraction first passes one half, in the middle of the row.
    const std::vector<uint32_t> starts = blockStarts(1000, 333);
    EXPECT_EQ(starts[0], 0u);
    for (uint32_t i = 1; i < starts.size(); ++i)
        ASSERT_EQ(starts[i] - starts[i - 1], i == 167 ? 4u : 3u) << i;
    EXPECT_EQ(starts.back(), 997u);
}

TEST(StretchAverage, BlockStartsSpreadAnOvershootEvenly)
{
    // 1000 to 222: step 5 would reach 1110; 110 shifts of -1 go to every
    // other block, and the last block (samples at +0, +2, +4) ends inside.
    const std::vector<uint32_t> starts = blockStarts(1000, 222);
    EXPECT_EQ(starts[0], 0u);
    for (uint32_t i = 1; i < starts.size(); ++i) {
        const uint32_t gap = starts[i] - starts[i - 1];
        ASSERT_TRUE(gap == 4 || gap == 5) << i;
        if (i > 1) {
            ASSERT_NE(gap + (starts[i - 1] - starts[i - 2]), 8u) << "two shifts in a row at " << i;
        }
    }
    EXPECT_EQ(starts.back(), 995u);
}

TEST(StretchAverage, NoBlockReachesPastTheEdge)
{
    // Short rows whose overshoot the even spreading cannot give out in full.
    for (uint32_t src = 3; src < 200; ++src) {
        for (uint32_t dst = 1; dst <= src / 3; ++dst) {
            const uint32_t step = uint32_t(double(src) / dst + 0.5), sub = step / 5 + 1;
            const std::vector<uint32_t> starts = blockStarts(src, dst);
            ASSERT_LE(starts.back() + (step - 1) / sub * sub, src - 1) << src << " to " << dst;
            for (uint32_t i = 1; i < dst; ++i)
                ASSERT_GE(starts[i], starts[i - 1]) << src << " to " << dst;
        }
    }
}

// The reduction computed on one thread, pixel by pixel.
template <class T> Picture averageReference(const Picture& src, uint32_t dstW, uint32_t dstH)
{
    const uint32_t stepX = uint32_t(double(src.width()) / dstW + 0.5);
    const uint32_t stepY = uint32_t(double(src.height()) / dstH + 0.5);
    const uint32_t subX = stepX / 5 + 1, subY = stepY / 5 + 1;
    const std::vector<uint32_t> cols = blockStarts(src.width(), dstW);
    const std::vector<uint32_t> rows = blockStarts(src.height(), dstH);
    Picture dst(1, sizeof(T), dstW, dstH);
    dst.forEach([&](uint32_t i, uint32_t j, uint32_t) {
        uint32_t sum = 0, count = 0;
        for (uint32_t ry = 0; ry < stepY; ry += subY)
            for (uint32_t rx = 0; rx < stepX; rx += subX, ++count)
                sum += src.get(cols[i] + rx, rows[j] + ry);
        dst.put(i, j, 0, sum / count);
    });
    return dst;
}

int stretchMode4(Picture& dst, const Picture& src)
{
    return CLxPicMemAPI::Stretch(dst.data(), 1, dst.pitch(), dst.bits(), dst.width(), dst.height(),
                                 src.data(), src.pitch(), src.height(), 0, 0, src.width(),
                                 src.height(), Mode(4));
}

struct AverageCase {
    uint32_t srcW, srcH, dstW, dstH;
};

const AverageCase kAveraging[] = {
    {3000, 3000, 1000, 1000}, // step 3: every pixel of 3 x 3 blocks
    {1000, 1000, 333, 333},   // exactly a million pixels
    {1000, 1001, 222, 91},    // overshoot across, steps 5 and 11
    {2001, 999, 77, 1},       // one destination row: the worker's
    {1100, 1000, 5, 2},       // steps 220 and 500: 5 x 5 samples of each block
    {2003, 1000, 500, 250},   // step 4, three shifts spread over each row
};

TEST(StretchAverage, ThreadedResultEqualsTheSingleThreadedReference)
{
    for (uint32_t bytes : {1u, 2u}) {
        for (const AverageCase& c : kAveraging) {
            Picture src(1, bytes, c.srcW, c.srcH);
            src.fillRandom(c.dstW);
            Picture dst(1, bytes, c.dstW, c.dstH);
            ASSERT_EQ(stretchMode4(dst, src), 0);
            const Picture expected = bytes == 1 ? averageReference<uint8_t>(src, c.dstW, c.dstH)
                                                : averageReference<uint16_t>(src, c.dstW, c.dstH);
            EXPECT_EQ(dst.differenceFrom(expected), "")
                << c.srcW << "x" << c.srcH << " to " << c.dstW << "x" << c.dstH;
            EXPECT_EQ(dst.paddingDamage(), "");
        }
    }
}

TEST(StretchAverage, ThreeByThreeBlocksGiveTheirTruncatedMean)
{
    Picture src(1, 1, 3000, 3000);
    src.forEach([&](uint32_t x, uint32_t y, uint32_t) { src.put(x, y, 0, (x + 2 * y) % 7); });
    Picture dst(1, 1, 1000, 1000);
    ASSERT_EQ(stretchMode4(dst, src), 0);
    for (uint32_t j : {0u, 499u, 500u, 999u}) {
        for (uint32_t i : {0u, 1u, 998u, 999u}) {
            uint32_t sum = 0;
            for (uint32_t y = 3 * j; y < 3 * j + 3; ++y)
                for (uint32_t x = 3 * i; x < 3 * i + 3; ++x)
                    sum += src.get(x, y);
            EXPECT_EQ(dst.get(i, j), sum / 9) << i << "," << j;
        }
    }
}

// Pictures that miss a threshold take the B-spline resampling of mode 2.
TEST(StretchAverage, PicturesOutsideTheThresholdsTakeTheBSpline)
{
    struct Case {
        const char* what;
        uint32_t picW, picH, srcX, srcY, srcW, srcH, dstW, dstH, comps;
    };
    const Case cases[] = {
        {"999,999 pixels", 999, 1001, 0, 0, 999, 1001, 333, 333, 1},
        {"a reduction by 2 across", 2000, 1000, 0, 0, 2000, 1000, 1000, 300, 1},
        {"a window from column 1", 1201, 1000, 1, 0, 1200, 1000, 300, 300, 1},
        {"a window from line 1", 1200, 1001, 0, 1, 1200, 1000, 300, 300, 1},
        {"a window shorter than the picture", 1200, 1001, 0, 0, 1200, 1000, 300, 300, 1},
        {"three components", 1200, 1000, 0, 0, 1200, 1000, 300, 300, 3},
    };
    for (const Case& c : cases) {
        Picture src(c.comps, 1, c.picW, c.picH);
        src.fillRandom(c.picW);
        Picture mode4(c.comps, 1, c.dstW, c.dstH), mode2(c.comps, 1, c.dstW, c.dstH);
        for (auto [dst, mode] : {std::pair<Picture*, int>{&mode4, 4}, {&mode2, 2}})
            ASSERT_EQ(CLxPicMemAPI::Stretch(dst->data(), c.comps, dst->pitch(), 8, c.dstW, c.dstH,
                                            src.at(c.srcX, c.srcY), src.pitch(), c.picH, c.srcX,
                                            c.srcY, c.srcW, c.srcH, Mode(mode)),
                      0)
                << c.what;
        EXPECT_EQ(mode4.differenceFrom(mode2), "") << c.what;
    }
}

TEST(StretchAverage, ConstantPicturesStayConstant)
{
    Picture src(1, 2, 1500, 1000);
    src.fillConstant(4000);
    Picture dst(1, 2, 101, 77);
    ASSERT_EQ(stretchMode4(dst, src), 0);
    dst.forEach([&](uint32_t x, uint32_t y, uint32_t) { ASSERT_EQ(dst.get(x, y), 4000u); });
}

TEST(StretchAverage, KernelRefusals)
{
    std::vector<uint8_t> src(64, 1), dst(16, kMarker);
    EXPECT_EQ(stretch_average_1x8(dst.data(), 4, 4, 4, src.data(), 8, 8, 8, 3, 8), -2);
    EXPECT_EQ(stretch_average_1x8(dst.data(), 4, 4, 4, src.data(), 8, 1, 8, 1, 8), -9);
    EXPECT_EQ(stretch_average_1x16(dst.data(), 4, 0, 4, src.data(), 8, 8, 8, 3, 16), 0);
    lxstretch::failScratchAfter(1);
    EXPECT_EQ(stretch_average_1x8(dst.data(), 4, 4, 4, src.data(), 8, 8, 8, 1, 8), -3);
    lxstretch::failScratchAfter(-1);
    EXPECT_EQ(dst, std::vector<uint8_t>(16, kMarker));
}

} // namespace
