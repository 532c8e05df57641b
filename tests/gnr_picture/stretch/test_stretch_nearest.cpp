// Nearest-neighbour stretch: every member against the rule
// floor((x + 0.5) x scale) with its clamps, the display tiles and the valid
// rectangle of StretchDisplayEx.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxStretchKernels.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchScratch.h"
#include "stretch_test_support.h"

using namespace stretchtest;

namespace
{

uint32_t nearestIndex(uint64_t i, uint32_t srcSize, uint32_t dstSize, uint64_t last)
{
    return uint32_t(std::min<uint64_t>(
        uint64_t(std::floor((double(i) + 0.5) * double(srcSize) / dstSize)), last));
}

// The three kernels of one format; comps is what the N member is given.
struct Members {
    const char* name;
    Format format;
    LxStretchFn* stretch;
    LxStretchDisplayFn* display;
    LxStretchDisplayExFn* displayEx;
};

const Members kMembers[] = {
    {"1x8", {1, 1}, stretch_1x8, stretchdisplay_1x8, stretchdisplayex_1x8},
    {"3x8", {3, 1}, stretch_3x8, stretchdisplay_3x8, stretchdisplayex_3x8},
    {"N1x8", {1, 1}, stretch_Nx8, stretchdisplay_Nx8, stretchdisplayex_Nx8},
    {"N3x8", {3, 1}, stretch_Nx8, stretchdisplay_Nx8, stretchdisplayex_Nx8},
    {"N5x8", {5, 1}, stretch_Nx8, stretchdisplay_Nx8, stretchdisplayex_Nx8},
    {"1x16", {1, 2}, stretch_1x16, stretchdisplay_1x16, stretchdisplayex_1x16},
    {"3x16", {3, 2}, stretch_3x16, stretchdisplay_3x16, stretchdisplayex_3x16},
    {"N2x16", {2, 2}, stretch_Nx16, stretchdisplay_Nx16, stretchdisplayex_Nx16},
    {"N5x16", {5, 2}, stretch_Nx16, stretchdisplay_Nx16, stretchdisplayex_Nx16},
};

// A source window and the destination size.
struct WindowCase {
    uint32_t picW, picH; // the whole source picture
    uint32_t srcX, srcY, srcW, srcH;
    uint32_t dstW, dstH;
};

const WindowCase kWindows[] = {
    {1, 1, 0, 0, 1, 1, 1, 1},     // one pixel
    {1, 1, 0, 0, 1, 1, 5, 3},     // one pixel everywhere
    {2, 2, 0, 0, 2, 2, 4, 4},     // doubling
    {9, 7, 2, 1, 5, 4, 13, 9},    // enlarging a window
    {9, 7, 2, 1, 5, 4, 2, 3},     // reducing a window
    {16, 12, 0, 0, 16, 12, 7, 5}, // odd reduction
    {9, 7, 3, 4, 5, 6, 7, 11},    // window reaching below the picture: lines clamped
};

class NearestMembers : public ::testing::TestWithParam<Members>
{
};

TEST_P(NearestMembers, StretchFollowsTheRuleWithItsClamps)
{
    const Members& m = GetParam();
    for (const WindowCase& w : kWindows) {
        Picture src(m.format.comps, m.format.bytes, w.picW, w.picH);
        src.fillRandom(w.picW * 31 + w.dstW);
        Picture dst(m.format.comps, m.format.bytes, w.dstW, w.dstH);
        ASSERT_EQ(m.stretch(dst.data(), m.format.comps, dst.pitch(), w.dstW, w.dstH,
                            src.at(w.srcX, w.srcY), src.pitch(), w.picH, w.srcX, w.srcY, w.srcW,
                            w.srcH),
                  0);
        const uint32_t lineWidth = src.pitch() / m.format.bytes / m.format.comps;
        Picture expected(m.format.comps, m.format.bytes, w.dstW, w.dstH);
        expected.forEach([&](uint32_t x, uint32_t y, uint32_t c) {
            const uint32_t sx = w.srcX + nearestIndex(x, w.srcW, w.dstW, lineWidth - w.srcX - 1);
            const uint32_t sy = w.srcY + nearestIndex(y, w.srcH, w.dstH, w.picH - w.srcY - 1);
            expected.put(x, y, c, src.get(sx, sy, c));
        });
        EXPECT_EQ(dst.differenceFrom(expected), "") << w.picW << "x" << w.picH << " to " << w.dstW;
        EXPECT_EQ(dst.paddingDamage(), "");
    }
}

// Tiles of a virtual picture; the tile may reach beyond it.
struct TileCase {
    uint32_t srcW, srcH, dispW, dispH, winX, winY, winW, winH;
};

const TileCase kTiles[] = {
    {4, 3, 4, 3, 0, 0, 4, 3},   // the whole picture at its size
    {5, 4, 17, 13, 3, 2, 6, 5}, // enlarged
    {11, 9, 4, 3, 1, 1, 3, 2},  // reduced
    {5, 4, 10, 8, 7, 5, 6, 6},  // reaching past the right and bottom edges
};

TEST_P(NearestMembers, DisplayTilesFollowTheRule)
{
    const Members& m = GetParam();
    for (const TileCase& t : kTiles) {
        Picture src(m.format.comps, m.format.bytes, t.srcW, t.srcH);
        src.fillRandom(t.dispW);
        Picture dst(m.format.comps, m.format.bytes, t.winW, t.winH);
        ASSERT_EQ(m.display(dst.data(), t.winW, t.winH, m.format.comps, dst.pitch(), t.dispW,
                            t.dispH, t.winX, t.winY, src.data(), t.srcW, t.srcH, src.pitch()),
                  0);
        Picture expected(m.format.comps, m.format.bytes, t.winW, t.winH);
        expected.forEach([&](uint32_t x, uint32_t y, uint32_t c) {
            expected.put(x, y, c,
                         src.get(nearestIndex(t.winX + x, t.srcW, t.dispW, t.srcW - 1),
                                 nearestIndex(t.winY + y, t.srcH, t.dispH, t.srcH - 1), c));
        });
        EXPECT_EQ(dst.differenceFrom(expected), "") << "tile at " << t.winX << "," << t.winY;
        EXPECT_EQ(dst.paddingDamage(), "");
    }
}

// The valid data is a picture of its own, exactly as large as the
// rectangle: a read outside it is a heap overflow under the sanitizer.
TEST_P(NearestMembers, DisplayExShowsTheBackgroundOutsideTheValidRectangle)
{
    const Members& m = GetParam();
    const uint32_t srcW = 12, srcH = 10;
    const uint32_t validLeft = 3, validTop = 2, validWidth = 5, validHeight = 4;
    Picture valid(m.format.comps, m.format.bytes, validWidth, validHeight, 0);
    valid.fillRandom(7);
    std::vector<uint8_t> validExact(valid.data(), valid.data() + valid.pitch() * validHeight);
    uint8_t background[10];
    for (uint32_t i = 0; i < sizeof background; ++i)
        background[i] = uint8_t(0xE0 + i);

    // Tiles that straddle the valid columns on both sides, in several scales.
    const TileCase tiles[] = {
        {srcW, srcH, srcW, srcH, 0, 0, srcW, srcH},
        {srcW, srcH, 2 * srcW, 2 * srcH, 4, 3, 15, 11},
        {srcW, srcH, 7, 6, 0, 0, 7, 6},
        {srcW, srcH, 3 * srcW, srcH, 11, 0, 20, srcH},
    };
    for (const TileCase& t : tiles) {
        Picture dst(m.format.comps, m.format.bytes, t.winW, t.winH);
        ASSERT_EQ(m.displayEx(dst.data(), t.winW, t.winH, m.format.comps, dst.pitch(), t.dispW,
                              t.dispH, t.winX, t.winY, validExact.data(), validLeft, validTop,
                              validWidth, validHeight, srcW, srcH, valid.pitch(), background),
                  0);
        Picture expected(m.format.comps, m.format.bytes, t.winW, t.winH);
        expected.forEach([&](uint32_t x, uint32_t y, uint32_t c) {
            const uint32_t s = nearestIndex(t.winX + x, srcW, t.dispW, srcW - 1);
            const uint32_t r = nearestIndex(t.winY + y, srcH, t.dispH, srcH - 1);
            const bool inside = s >= validLeft && s < validLeft + validWidth && r >= validTop &&
                                r < validTop + validHeight;
            uint32_t bg = 0;
            std::memcpy(&bg, background + c * m.format.bytes, m.format.bytes);
            expected.put(x, y, c, inside ? valid.get(s - validLeft, r - validTop, c) : bg);
        });
        EXPECT_EQ(dst.differenceFrom(expected), "") << "tile at " << t.winX << "," << t.winY;
        EXPECT_EQ(dst.paddingDamage(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Stretch, NearestMembers, ::testing::ValuesIn(kMembers),
                         [](const auto& info) { return std::string(info.param.name); });

// Lines of one-byte pixels wide enough for the strided gathers of reductions
// by 2 and 4, with the vector paths and with the baseline alone: windows,
// ratios near 4 whose columns are strided only in part, and columns clamped
// to the line.
class NearestStrided : public ::testing::TestWithParam<bool>
{
  protected:
    void SetUp() override { lxpic::avx2PathsAllowed() = GetParam(); }
    void TearDown() override { lxpic::avx2PathsAllowed() = true; }
};

TEST_P(NearestStrided, WideReductionsFollowTheRule)
{
    const WindowCase cases[] = {
        {512, 9, 0, 0, 512, 9, 128, 2},   // by 4
        {512, 9, 0, 0, 512, 9, 256, 5},   // by 2
        {700, 9, 37, 1, 600, 8, 150, 2},  // a window by 4
        {1001, 5, 0, 0, 1001, 5, 250, 5}, // nearly 4
        {515, 5, 0, 0, 515, 5, 256, 3},   // nearly 2
        {300, 5, 100, 0, 400, 5, 100, 2}, // a window reaching past the line
        {300, 5, 44, 0, 256, 5, 64, 2},   // a window ending with the line
        {300, 5, 43, 0, 256, 5, 128, 2},  // the same by 2, one column short
    };
    for (LxStretchFn* member : {stretch_1x8, stretch_Nx8}) {
        for (const WindowCase& w : cases) {
            Picture src(1, 1, w.picW, w.picH, 0);
            src.fillRandom(w.picW + w.dstW);
            Picture dst(1, 1, w.dstW, w.dstH);
            ASSERT_EQ(member(dst.data(), 1, dst.pitch(), w.dstW, w.dstH, src.at(w.srcX, w.srcY),
                             src.pitch(), w.picH, w.srcX, w.srcY, w.srcW, w.srcH),
                      0);
            Picture expected(1, 1, w.dstW, w.dstH);
            expected.forEach([&](uint32_t x, uint32_t y, uint32_t) {
                const uint32_t sx = w.srcX + nearestIndex(x, w.srcW, w.dstW, w.picW - w.srcX - 1);
                const uint32_t sy = w.srcY + nearestIndex(y, w.srcH, w.dstH, w.picH - w.srcY - 1);
                expected.put(x, y, 0, src.get(sx, sy));
            });
            EXPECT_EQ(dst.differenceFrom(expected), "")
                << w.picW << " from " << w.srcX << " to " << w.dstW;
            EXPECT_EQ(dst.paddingDamage(), "");
        }
    }
    // A window ending with the last line of a picture without padding: the
    // gathers read no byte past it.
    for (uint32_t dstW : {64u, 128u}) {
        std::vector<uint8_t> src(300 * 4);
        for (size_t i = 0; i < src.size(); ++i)
            src[i] = uint8_t(i * 7 + i / 300);
        std::vector<uint8_t> dst(dstW);
        ASSERT_EQ(stretch_1x8(dst.data(), 1, dstW, dstW, 1, src.data() + 3 * 300 + 44, 300, 4, 44,
                              3, 256, 1),
                  0);
        for (uint32_t x = 0; x < dstW; ++x)
            ASSERT_EQ(dst[x], src[3 * 300 + 44 + nearestIndex(x, 256, dstW, 255)]) << x;
    }
    const TileCase tiles[] = {
        {512, 8, 128, 2, 0, 0, 128, 2},
        {512, 8, 256, 4, 16, 1, 200, 3},
        {1001, 8, 250, 2, 3, 0, 240, 2},
    };
    for (const TileCase& t : tiles) {
        Picture src(1, 1, t.srcW, t.srcH, 0);
        src.fillRandom(t.dispW);
        Picture dst(1, 1, t.winW, t.winH);
        ASSERT_EQ(stretchdisplay_1x8(dst.data(), t.winW, t.winH, 1, dst.pitch(), t.dispW, t.dispH,
                                     t.winX, t.winY, src.data(), t.srcW, t.srcH, src.pitch()),
                  0);
        Picture expected(1, 1, t.winW, t.winH);
        expected.forEach([&](uint32_t x, uint32_t y, uint32_t) {
            expected.put(x, y, 0,
                         src.get(nearestIndex(t.winX + x, t.srcW, t.dispW, t.srcW - 1),
                                 nearestIndex(t.winY + y, t.srcH, t.dispH, t.srcH - 1)));
        });
        EXPECT_EQ(dst.differenceFrom(expected), "") << "tile of " << t.srcW << " at " << t.winX;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, NearestStrided, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "Vector" : "Plain";
                         });

// Known answers of the rule, through the operation.
TEST(StretchNearest, DoublingRepeatsEachPixelInABlock)
{
    const uint8_t src[4] = {1, 2, 3, 4};
    uint8_t dst[16];
    ASSERT_EQ(CLxPicMemAPI::Stretch(dst, 1, 4, 8, 4, 4, src, 2, 2, 0, 0, 2, 2, Mode(1)), 0);
    const uint8_t expected[16] = {1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4};
    EXPECT_EQ(std::vector<uint8_t>(dst, dst + 16), std::vector<uint8_t>(expected, expected + 16));
}

TEST(StretchNearest, HalvingTakesTheOddColumns)
{
    const uint8_t src[4] = {10, 11, 12, 13};
    uint8_t dst[2] = {0, 0};
    ASSERT_EQ(CLxPicMemAPI::Stretch(dst, 1, 2, 8, 2, 1, src, 4, 1, 0, 0, 4, 1, Mode(1)), 0);
    EXPECT_EQ(dst[0], 11);
    EXPECT_EQ(dst[1], 13);
}

TEST(StretchNearest, ColumnsAreClampedToTheSourceLine)
{
    // A window wider than its line (pitch 3 pixels, window 6 wide from
    // column 1): the columns past the line repeat its last pixel.
    const uint8_t src[3] = {1, 2, 3};
    uint8_t dst[6];
    ASSERT_EQ(stretch_1x8(dst, 1, 6, 6, 1, src + 1, 3, 1, 1, 0, 6, 1), 0);
    const uint8_t expected[6] = {2, 3, 3, 3, 3, 3};
    EXPECT_EQ(std::vector<uint8_t>(dst, dst + 6), std::vector<uint8_t>(expected, expected + 6));
}

TEST(StretchNearest, ModesOutsideOneToFourAreNearest)
{
    Picture src(3, 1, 7, 5);
    src.fillRandom(3);
    Picture nearest(3, 1, 11, 4);
    ASSERT_EQ(CLxPicMemAPI::Stretch(nearest.data(), 3, nearest.pitch(), 8, 11, 4, src.data(),
                                    src.pitch(), 5, 0, 0, 7, 5, Mode(1)),
              0);
    for (int mode : {0, 5, -1, 1000}) {
        Picture dst(3, 1, 11, 4);
        ASSERT_EQ(CLxPicMemAPI::Stretch(dst.data(), 3, dst.pitch(), 8, 11, 4, src.data(),
                                        src.pitch(), 5, 0, 0, 7, 5, Mode(mode)),
                  0);
        EXPECT_EQ(dst.differenceFrom(nearest), "") << "mode " << mode;
    }
}

TEST(StretchNearest, WholeTileEqualsStretchAndDisplayMode4IsNearest)
{
    Picture src(1, 2, 9, 6);
    src.fillRandom(9);
    Picture whole(1, 2, 20, 14);
    ASSERT_EQ(CLxPicMemAPI::Stretch(whole.data(), 1, whole.pitch(), 12, 20, 14, src.data(),
                                    src.pitch(), 6, 0, 0, 9, 6, Mode(1)),
              0);
    for (int mode : {1, 4}) {
        Picture tile(1, 2, 20, 14);
        ASSERT_EQ(CLxPicMemAPI::StretchDisplay(tile.data(), 20, 14, 1, tile.pitch(), 12, 20, 14, 0,
                                               0, src.data(), 9, 6, src.pitch(), Mode(mode)),
                  0);
        EXPECT_EQ(tile.differenceFrom(whole), "") << "mode " << mode;
    }
}

TEST(StretchNearest, DisplayExLinesOutsideTheValidLinesAreBackground)
{
    const uint8_t valid[2] = {7, 8}; // one line, columns 0 and 1, at line 1
    const uint8_t background = 99;
    uint8_t dst[3 * 2];
    ASSERT_EQ(CLxPicMemAPI::StretchDisplayEx(dst, 2, 3, 1, 2, 8, 2, 3, 0, 0, valid, 0, 1, 2, 1, 2,
                                             3, 2, Mode(1), &background),
              0);
    const uint8_t expected[6] = {99, 99, 7, 8, 99, 99};
    EXPECT_EQ(std::vector<uint8_t>(dst, dst + 6), std::vector<uint8_t>(expected, expected + 6));
}

// Refusals: nothing is written.
TEST(StretchNearest, BadArgumentsAreRefusedWithoutWriting)
{
    Picture src(1, 1, 4, 4);
    src.fillRandom(1);
    const uint8_t bg = 0;
    struct Case {
        const char* what;
        int expected;
        int (*call)(Picture& dst, const Picture& src, const uint8_t* bg);
    };
    const Case cases[] = {
        {"depth 17", -2,
         [](Picture& d, const Picture& s, const uint8_t*) {
             return CLxPicMemAPI::Stretch(d.data(), 1, d.pitch(), 17, 4, 4, s.data(), s.pitch(), 4,
                                          0, 0, 4, 4, Mode(1));
         }},
        {"depth 0", -2,
         [](Picture& d, const Picture& s, const uint8_t*) {
             return CLxPicMemAPI::StretchDisplay(d.data(), 4, 4, 1, d.pitch(), 0, 4, 4, 0, 0,
                                                 s.data(), 4, 4, s.pitch(), Mode(1));
         }},
        {"no components", -9,
         [](Picture& d, const Picture& s, const uint8_t*) {
             return CLxPicMemAPI::Stretch(d.data(), 0, d.pitch(), 8, 4, 4, s.data(), s.pitch(), 4,
                                          0, 0, 4, 4, Mode(2));
         }},
        {"empty source window", -9,
         [](Picture& d, const Picture& s, const uint8_t*) {
             return CLxPicMemAPI::Stretch(d.data(), 1, d.pitch(), 8, 4, 4, s.data(), s.pitch(), 4,
                                          0, 0, 0, 4, Mode(1));
         }},
        {"window below the picture", -9,
         [](Picture& d, const Picture& s, const uint8_t*) {
             return CLxPicMemAPI::Stretch(d.data(), 1, d.pitch(), 8, 4, 4, s.data(), s.pitch(), 4,
                                          0, 4, 4, 4, Mode(3));
         }},
        {"window right of the line", -9,
         [](Picture& d, const Picture& s, const uint8_t*) {
             return stretch_1x8(d.data(), 1, d.pitch(), 4, 4, s.data(), s.pitch(), 4, 7, 0, 4, 4);
         }},
        {"display width 0", -9,
         [](Picture& d, const Picture& s, const uint8_t*) {
             return CLxPicMemAPI::StretchDisplay(d.data(), 4, 4, 1, d.pitch(), 8, 0, 4, 0, 0,
                                                 s.data(), 4, 4, s.pitch(), Mode(1));
         }},
        {"display height 0", -9,
         [](Picture& d, const Picture& s, const uint8_t* b) {
             return CLxPicMemAPI::StretchDisplayEx(d.data(), 4, 4, 1, d.pitch(), 8, 4, 0, 0, 0,
                                                   s.data(), 0, 0, 4, 4, 4, 4, s.pitch(), Mode(3),
                                                   b);
         }},
        {"no background", -4,
         [](Picture& d, const Picture& s, const uint8_t*) {
             return CLxPicMemAPI::StretchDisplayEx(d.data(), 4, 4, 1, d.pitch(), 8, 4, 4, 0, 0,
                                                   s.data(), 0, 0, 4, 4, 4, 4, s.pitch(), Mode(1),
                                                   nullptr);
         }},
    };
    for (const Case& c : cases) {
        Picture dst(1, 1, 4, 4);
        EXPECT_EQ(c.call(dst, src, &bg), c.expected) << c.what;
        dst.forEach(
            [&](uint32_t x, uint32_t y, uint32_t) { ASSERT_EQ(dst.get(x, y), kMarker) << c.what; });
    }
}

TEST(StretchNearest, EmptyDestinationsWriteNothing)
{
    uint8_t src[4] = {1, 2, 3, 4};
    uint8_t dst[4] = {kMarker, kMarker, kMarker, kMarker};
    // Zero height with a depth no member serves: the empty window wins.
    EXPECT_EQ(CLxPicMemAPI::Stretch(dst, 1, 4, 99, 4, 0, src, 4, 1, 0, 0, 4, 1, Mode(1)), 0);
    EXPECT_EQ(CLxPicMemAPI::Stretch(dst, 1, 4, 8, 0, 1, src, 4, 1, 0, 0, 4, 1, Mode(2)), 0);
    EXPECT_EQ(CLxPicMemAPI::StretchDisplay(dst, 4, 0, 1, 4, 8, 0, 0, 0, 0, src, 4, 1, 4, Mode(1)),
              0);
    EXPECT_EQ(CLxPicMemAPI::StretchDisplayEx(dst, 0, 1, 1, 4, 8, 4, 1, 0, 0, src, 0, 0, 4, 1, 4, 1,
                                             4, Mode(3), nullptr),
              0);
    EXPECT_EQ(std::vector<uint8_t>(dst, dst + 4), std::vector<uint8_t>(4, kMarker));
}

TEST(StretchNearest, FailedColumnTableReturnsMinus3)
{
    uint8_t src[4] = {1, 2, 3, 4};
    uint8_t dst[4] = {kMarker, kMarker, kMarker, kMarker};
    lxstretch::failScratchAfter(0);
    EXPECT_EQ(stretch_1x8(dst, 1, 4, 4, 1, src, 4, 1, 0, 0, 4, 1), -3);
    lxstretch::failScratchAfter(0);
    EXPECT_EQ(stretchdisplay_1x8(dst, 4, 1, 1, 4, 4, 1, 0, 0, src, 4, 1, 4), -3);
    lxstretch::failScratchAfter(-1);
    EXPECT_EQ(std::vector<uint8_t>(dst, dst + 4), std::vector<uint8_t>(4, kMarker));
}

} // namespace
