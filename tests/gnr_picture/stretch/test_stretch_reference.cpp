// The filtered stretch against a plain reference written from the rules
// (contributor lists, 16.16 weights, horizontal then vertical pass), over
// formats, enlargements and reductions wide enough for the vector loops,
// and windows of larger pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxStretchFilters.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchDispatch.h"
#include "stretch_test_support.h"

using namespace stretchtest;

namespace
{

uint32_t sampleBytesOf(const Picture& p)
{
    return p.bits() <= 8 ? 1 : 2;
}

struct RefTap {
    int64_t index;
    uint32_t weight;
};

// The list of every output position: taps clamped into [lo, hi].
std::vector<std::vector<RefTap>> refLists(uint32_t inSize, uint32_t outSize, int mode, int64_t lo,
                                          int64_t hi)
{
    const double radius = mode == 3 ? 2 : 3;
    const double scale = double(inSize) / outSize;
    const double support = outSize < inSize ? std::ceil(radius * scale) : radius;
    std::vector<std::vector<RefTap>> lists(outSize);
    for (uint32_t i = 0; i < outSize; ++i) {
        const double centre = (i + 0.5) * scale - 0.5;
        std::vector<RefTap>& list = lists[i];
        for (int64_t j = int64_t(std::floor(centre - support / 2 - 2.0));
             j <= int64_t(std::ceil(centre + support / 2 + 2.0)); ++j) {
            const double d = double(j) - centre;
            const double w =
                scale <= 1.0
                    ? (mode == 3 ? filter_triangle(d) : filter_bspline2(d))
                    : (mode == 3 ? filter_triangle(d / scale) : filter_bspline2(d / scale)) / scale;
            if (w == 0.0)
                continue;
            list.push_back({std::min(std::max(j, lo), hi), uint32_t(w * 65536.0)});
        }
        uint32_t sum = 0, scaled = 0;
        for (const RefTap& t : list)
            sum += t.weight;
        for (RefTap& t : list) {
            t.weight = uint32_t(uint64_t(t.weight) * 65536 / sum);
            scaled += t.weight;
        }
        list[list.size() / 2].weight += 65536 - scaled;
    }
    return lists;
}

// The window srcW x srcH at (srcX, srcY) of src, taps held inside the
// picture's lineWidth columns and its lines.
Picture refStretch(const Picture& src, uint32_t lineWidth, uint32_t srcX, uint32_t srcY,
                   uint32_t srcW, uint32_t srcH, uint32_t dstW, uint32_t dstH, int mode)
{
    const uint32_t n = src.comps();
    const auto columns = refLists(srcW, dstW, mode, -int64_t(srcX), int64_t(lineWidth) - srcX - 1);
    const auto rows = refLists(srcH, dstH, mode, -int64_t(srcY), int64_t(src.height()) - srcY - 1);
    // Horizontal pass over every line of the picture (those not read by the
    // vertical pass do no harm).
    std::vector<std::vector<uint32_t>> buffer(src.height(), std::vector<uint32_t>(dstW * n));
    for (uint32_t y = 0; y < src.height(); ++y)
        for (uint32_t x = 0; x < dstW; ++x)
            for (uint32_t c = 0; c < n; ++c) {
                uint32_t acc = 0;
                for (const RefTap& t : columns[x]) {
                    uint32_t v = 0;
                    std::memcpy(&v, src.at(0, y) + ((srcX + t.index) * n + c) * sampleBytesOf(src),
                                sampleBytesOf(src));
                    acc += v * t.weight;
                }
                buffer[y][x * n + c] = acc >> 16;
            }
    Picture dst(n, sampleBytesOf(src), dstW, dstH);
    for (uint32_t y = 0; y < dstH; ++y)
        for (uint32_t k = 0; k < dstW * n; ++k) {
            uint32_t acc = 0;
            for (const RefTap& t : rows[y])
                acc += buffer[srcY + t.index][k] * t.weight;
            dst.put(k / n, y, k % n, acc >> 16);
        }
    return dst;
}

struct Resize {
    uint32_t srcW, srcH, dstW, dstH;
};

// The whole picture stretched by the B-spline and the triangle equals the
// plain passes, and leaves the line padding alone.
void expectPlainPasses(const Picture& src, const Format& f, const Resize& r)
{
    for (int mode : {2, 3}) {
        const Picture expected =
            refStretch(src, r.srcW, 0, 0, r.srcW, r.srcH, r.dstW, r.dstH, mode);
        Picture dst(f.comps, f.bytes, r.dstW, r.dstH);
        ASSERT_EQ(lxstretch::stretch(dst.data(), f.comps, dst.pitch(), dst.bits(), r.dstW, r.dstH,
                                     src.data(), src.pitch(), r.srcH, 0, 0, r.srcW, r.srcH, mode,
                                     r.srcW),
                  0);
        EXPECT_EQ(dst.differenceFrom(expected), "")
            << formatName(f) << " " << r.srcW << "x" << r.srcH << " to " << r.dstW << "x" << r.dstH
            << " mode " << mode;
        EXPECT_EQ(dst.paddingDamage(), "");
    }
}

// Every case with the vector paths and with the plain loops alone.
class StretchReference : public ::testing::TestWithParam<bool>
{
  protected:
    void SetUp() override { lxpic::avx2PathsAllowed() = GetParam(); }
    void TearDown() override { lxpic::avx2PathsAllowed() = true; }
};

TEST_P(StretchReference, WholePicturesEqualThePlainPasses)
{
    const Format formats[] = {{1, 1}, {3, 1}, {4, 1}, {1, 2}, {3, 2}, {2, 2}};
    const Resize resizes[] = {
        {37, 23, 74, 46}, // enlargement by 2
        {38, 24, 19, 12}, // reduction by 2
        {300, 6, 150, 3}, // long lines reduced by 2
        {52, 44, 13, 11}, // reduction by 4
        {400, 9, 100, 2}, // long lines reduced by 4
        {37, 23, 37, 23}, // same size
        {41, 9, 67, 31},  // other ratios
        {90, 7, 23, 5},
    };
    for (const Format& f : formats) {
        for (const Resize& r : resizes) {
            Picture src(f.comps, f.bytes, r.srcW, r.srcH);
            src.fillRandom(r.srcW * 3 + f.comps);
            expectPlainPasses(src, f, r);
        }
    }
}

// Word samples over their whole range (the vector paths take them as signed
// words) and byte samples, in lines wide enough for every vector path of a
// reduction by 2 or 4; the last lines hold the largest sample, whose sums
// come nearest to 2^32.
TEST_P(StretchReference, FullRangeSamplesEqualThePlainPasses)
{
    const Format formats[] = {{1, 1}, {1, 2}, {3, 2}};
    const Resize resizes[] = {{600, 24, 300, 12}, {608, 24, 152, 6}, {301, 13, 75, 7}};
    for (const Format& f : formats) {
        for (const Resize& r : resizes) {
            Picture src(f.comps, f.bytes, r.srcW, r.srcH);
            std::mt19937 rng(r.srcW + f.bytes);
            const uint32_t top = f.bytes == 1 ? 255 : 65535;
            src.forEach([&](uint32_t x, uint32_t y, uint32_t c) {
                src.put(x, y, c, y + 4 >= r.srcH ? top : rng() % (top + 1));
            });
            expectPlainPasses(src, f, r);
        }
    }
}

// Windows through the raw Stretch, whose taps reach every column of the
// pitch (here filled like picture columns, the picture having no padding).
TEST_P(StretchReference, WindowsEqualThePlainPasses)
{
    const Format formats[] = {{1, 1}, {3, 1}, {1, 2}, {3, 2}};
    const Resize windows[] = {{40, 20, 80, 40}, {40, 20, 20, 10}, {33, 17, 9, 30}};
    for (const Format& f : formats) {
        Picture src(f.comps, f.bytes, 60, 30, 0);
        src.fillRandom(f.comps * 7 + f.bytes);
        for (const Resize& r : windows) {
            for (int mode : {2, 3}) {
                const uint32_t srcX = 7, srcY = 5;
                const Picture expected =
                    refStretch(src, 60, srcX, srcY, r.srcW, r.srcH, r.dstW, r.dstH, mode);
                Picture dst(f.comps, f.bytes, r.dstW, r.dstH);
                ASSERT_EQ(CLxPicMemAPI::Stretch(dst.data(), f.comps, dst.pitch(), dst.bits(),
                                                r.dstW, r.dstH, src.at(srcX, srcY), src.pitch(),
                                                src.height(), srcX, srcY, r.srcW, r.srcH,
                                                Mode(mode)),
                          0);
                EXPECT_EQ(dst.differenceFrom(expected), "")
                    << formatName(f) << " window " << r.srcW << "x" << r.srcH << " to " << r.dstW
                    << "x" << r.dstH << " mode " << mode;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, StretchReference, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "Vector" : "Plain";
                         });

} // namespace
