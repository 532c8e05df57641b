// The filtered stretch modes 2 and 3 through the operations and their pass
// kernels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "gnr_picture/picmemAPI/LxStretchFilters.h"
#include "gnr_picture/picmemAPI/LxStretchKernels.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchDispatch.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchScratch.h"
#include "stretch_test_support.h"

using namespace stretchtest;

namespace
{

const Format kFormats[] = {{1, 1}, {3, 1}, {4, 1}, {1, 2}, {3, 2}, {2, 2}};

// The whole picture, its taps held inside the picture's width as the
// picture-buffer operations hold them (the raw Stretch holds them inside the
// pitch, padding included).
int stretchWhole(Picture& dst, const Picture& src, int mode)
{
    return lxstretch::stretch(dst.data(), dst.comps(), dst.pitch(), dst.bits(), dst.width(),
                              dst.height(), src.data(), src.pitch(), src.height(), 0, 0,
                              src.width(), src.height(), mode, src.width());
}

int displayTile(Picture& dst, const Picture& src, uint32_t dispW, uint32_t dispH, uint32_t winX,
                uint32_t winY, int mode)
{
    return CLxPicMemAPI::StretchDisplay(
        dst.data(), dst.width(), dst.height(), dst.comps(), dst.pitch(), dst.bits(), dispW, dispH,
        winX, winY, src.data(), src.width(), src.height(), src.pitch(), Mode(mode));
}

struct Size {
    uint32_t w, h;
};
// Sizes around a 9 x 7 source: the same, enlargements, reductions, mixed.
const Size kSizes[] = {{9, 7}, {20, 15}, {4, 3}, {2, 1}, {1, 1}, {30, 2}, {5, 16}};

TEST(StretchFiltered, TriangleAtScaleOneReproducesTheSource)
{
    for (const Format& f : kFormats) {
        Picture src(f.comps, f.bytes, 9, 7);
        src.fillRandom(f.comps);
        Picture dst(f.comps, f.bytes, 9, 7), tile(f.comps, f.bytes, 9, 7);
        ASSERT_EQ(stretchWhole(dst, src, 3), 0);
        EXPECT_EQ(dst.differenceFrom(src), "") << formatName(f);
        EXPECT_EQ(dst.paddingDamage(), "");
        ASSERT_EQ(displayTile(tile, src, 9, 7, 0, 0, 3), 0);
        EXPECT_EQ(tile.differenceFrom(src), "") << formatName(f);
    }
}

TEST(StretchFiltered, BSplineAtScaleOneSpreadsAnImpulseOneSixOne)
{
    Picture src(1, 1, 5, 5);
    src.fillConstant(0);
    src.put(2, 2, 0, 255);
    Picture dst(1, 1, 5, 5);
    ASSERT_EQ(stretchWhole(dst, src, 2), 0);
    // Horizontal: 255 x 49152 >> 16 = 191 and 255 x 8192 >> 16 = 31; then
    // the same weights down the columns.
    const uint32_t expected[5][5] = {
        {0, 0, 0, 0, 0}, {0, 3, 23, 3, 0}, {0, 23, 143, 23, 0}, {0, 3, 23, 3, 0}, {0, 0, 0, 0, 0}};
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            EXPECT_EQ(dst.get(x, y), expected[y][x]) << x << "," << y;
}

// The lines' padding holds other values: no tap may reach it.
TEST(StretchFiltered, ConstantPicturesStayConstant)
{
    for (const Format& f : kFormats) {
        for (uint32_t value : {0u, 77u, f.bytes == 1 ? 255u : 65535u}) {
            Picture src(f.comps, f.bytes, 9, 7);
            src.fillConstant(value);
            for (const Size& s : kSizes) {
                for (int mode : {2, 3, 4}) {
                    Picture dst(f.comps, f.bytes, s.w, s.h);
                    ASSERT_EQ(stretchWhole(dst, src, mode), 0);
                    dst.forEach([&](uint32_t x, uint32_t y, uint32_t c) {
                        ASSERT_EQ(dst.get(x, y, c), value)
                            << formatName(f) << " to " << s.w << "x" << s.h << " mode " << mode;
                    });
                    EXPECT_EQ(dst.paddingDamage(), "");
                }
            }
        }
    }
}

TEST(StretchFiltered, OutputStaysWithinTheSourceRange)
{
    for (const Format& f : kFormats) {
        Picture src(f.comps, f.bytes, 9, 7);
        src.fillRandom(11 + f.bytes);
        uint32_t lo = UINT32_MAX, hi = 0;
        src.forEach([&](uint32_t x, uint32_t y, uint32_t c) {
            lo = std::min(lo, src.get(x, y, c));
            hi = std::max(hi, src.get(x, y, c));
        });
        for (const Size& s : kSizes) {
            for (int mode : {2, 3}) {
                Picture dst(f.comps, f.bytes, s.w, s.h);
                ASSERT_EQ(stretchWhole(dst, src, mode), 0);
                dst.forEach([&](uint32_t x, uint32_t y, uint32_t c) {
                    ASSERT_LE(dst.get(x, y, c), hi);
                    ASSERT_GE(dst.get(x, y, c), lo);
                });
            }
        }
    }
}

// A window is filtered with the picture's real neighbours on every side, so
// at scale 1 it equals the same part of the whole picture's result.
TEST(StretchFiltered, AWindowIsFilteredWithItsRealNeighbours)
{
    for (const Format& f : kFormats) {
        Picture src(f.comps, f.bytes, 12, 9);
        src.fillRandom(5);
        const uint32_t wx = 3, wy = 2, ww = 6, wh = 5;
        for (int mode : {2, 3}) {
            Picture whole(f.comps, f.bytes, 12, 9);
            ASSERT_EQ(stretchWhole(whole, src, mode), 0);
            Picture window(f.comps, f.bytes, ww, wh);
            ASSERT_EQ(CLxPicMemAPI::Stretch(window.data(), f.comps, window.pitch(), src.bits(), ww,
                                            wh, src.at(wx, wy), src.pitch(), 9, wx, wy, ww, wh,
                                            Mode(mode)),
                      0);
            Picture expected(f.comps, f.bytes, ww, wh);
            expected.forEach([&](uint32_t x, uint32_t y, uint32_t c) {
                expected.put(x, y, c, whole.get(wx + x, wy + y, c));
            });
            EXPECT_EQ(window.differenceFrom(expected), "") << formatName(f) << " mode " << mode;
        }
    }
}

// The raw Stretch knows no picture width: its taps are held inside the
// columns of the pitch, so a window at the picture's right edge reads the
// pitch's last columns as its neighbours (here filled like picture columns).
TEST(StretchFiltered, RawStretchHoldsTapsInsideThePitch)
{
    const Format f{1, 1};
    Picture wide(f.comps, f.bytes, 12, 4, 0);
    wide.fillRandom(9);
    Picture whole(f.comps, f.bytes, 12, 4, 0);
    ASSERT_EQ(stretchWhole(whole, wide, 3), 0);
    // The same lines as a picture of 10 columns whose pitch holds 12.
    const uint32_t wx = 6, ww = 4;
    Picture window(f.comps, f.bytes, 2 * ww, 8, 0), expected(f.comps, f.bytes, 2 * ww, 8, 0);
    Picture wholeUp(f.comps, f.bytes, 24, 8, 0);
    ASSERT_EQ(stretchWhole(wholeUp, wide, 3), 0);
    ASSERT_EQ(CLxPicMemAPI::Stretch(window.data(), 1, window.pitch(), 8, 2 * ww, 8, wide.at(wx, 0),
                                    wide.pitch(), 4, wx, 0, ww, 4, Mode(3)),
              0);
    expected.forEach([&](uint32_t x, uint32_t y, uint32_t c) {
        expected.put(x, y, c, wholeUp.get(2 * wx + x, y, c));
    });
    EXPECT_EQ(window.differenceFrom(expected), "");
}

// Tiles of a virtual picture computed one by one put together the whole
// picture, and the whole tile is the Stretch of the whole source.
TEST(StretchFiltered, DisplayTilesAssembleTheWholeStretch)
{
    const Size displays[] = {{23, 17}, {4, 3}, {9, 7}, {40, 5}};
    for (const Format& f : {Format{1, 1}, Format{3, 2}}) {
        Picture src(f.comps, f.bytes, 9, 7);
        src.fillRandom(21);
        for (const Size& d : displays) {
            for (int mode : {2, 3}) {
                Picture whole(f.comps, f.bytes, d.w, d.h);
                ASSERT_EQ(stretchWhole(whole, src, mode), 0);
                const uint32_t tileW = (d.w + 2) / 3, tileH = (d.h + 1) / 2;
                for (uint32_t ty = 0; ty < d.h; ty += tileH) {
                    for (uint32_t tx = 0; tx < d.w; tx += tileW) {
                        const uint32_t w = std::min(tileW, d.w - tx), h = std::min(tileH, d.h - ty);
                        Picture tile(f.comps, f.bytes, w, h);
                        ASSERT_EQ(displayTile(tile, src, d.w, d.h, tx, ty, mode), 0);
                        Picture expected(f.comps, f.bytes, w, h);
                        expected.forEach([&](uint32_t x, uint32_t y, uint32_t c) {
                            expected.put(x, y, c, whole.get(tx + x, ty + y, c));
                        });
                        EXPECT_EQ(tile.differenceFrom(expected), "")
                            << formatName(f) << " " << d.w << "x" << d.h << " mode " << mode
                            << " tile at " << tx << "," << ty;
                        EXPECT_EQ(tile.paddingDamage(), "");
                    }
                }
            }
        }
    }
}

// The valid data alone, exactly as large as its rectangle: any read outside
// it is a heap overflow under the sanitizer.
struct ValidSource {
    uint32_t left = 3, top = 2, width = 5, height = 4, srcW = 12, srcH = 10;
    Picture pixels;
    std::vector<uint8_t> exact;

    explicit ValidSource(const Format& f) : pixels(f.comps, f.bytes, 5, 4, 0)
    {
        pixels.fillRandom(17);
        exact.assign(pixels.data(), pixels.data() + size_t(pixels.pitch()) * height);
    }
    int tile(Picture& dst, uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY, int mode,
             const void* background) const
    {
        return CLxPicMemAPI::StretchDisplayEx(dst.data(), dst.width(), dst.height(), dst.comps(),
                                              dst.pitch(), dst.bits(), dispW, dispH, winX, winY,
                                              exact.data(), left, top, width, height, srcW, srcH,
                                              pixels.pitch(), Mode(mode), background);
    }
};

TEST(StretchFiltered, DisplayExTriangleAtScaleOneIsTheNearestResult)
{
    const uint8_t background[8] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};
    for (const Format& f : kFormats) {
        const ValidSource valid(f);
        Picture filtered(f.comps, f.bytes, 12, 10), nearest(f.comps, f.bytes, 12, 10);
        ASSERT_EQ(valid.tile(filtered, 12, 10, 0, 0, 3, background), 0);
        ASSERT_EQ(valid.tile(nearest, 12, 10, 0, 0, 1, background), 0);
        EXPECT_EQ(filtered.differenceFrom(nearest), "") << formatName(f);
    }
}

TEST(StretchFiltered, DisplayExReadsOnlyTheValidRectangle)
{
    const uint8_t background[8] = {200, 0, 200, 0, 200, 0, 200, 0};
    for (const Format& f : kFormats) {
        const ValidSource valid(f);
        const Size displays[] = {{12, 10}, {31, 23}, {5, 4}, {3, 40}};
        for (const Size& d : displays) {
            for (int mode : {2, 3}) {
                Picture dst(f.comps, f.bytes, d.w, d.h);
                ASSERT_EQ(valid.tile(dst, d.w, d.h, 0, 0, mode, background), 0);
                EXPECT_EQ(dst.paddingDamage(), "");
            }
        }
        // A tile wholly left of the valid columns is background.
        Picture left(f.comps, f.bytes, 2, 3);
        ASSERT_EQ(valid.tile(left, 24, 20, 0, 4, 2, background), 0);
        left.forEach([&](uint32_t x, uint32_t y, uint32_t c) {
            uint32_t bg = 0;
            std::memcpy(&bg, background + c * f.bytes, f.bytes);
            ASSERT_EQ(left.get(x, y, c), bg) << formatName(f);
        });
    }
}

// The 1- and 3-component members compute what the N member computes.
TEST(StretchFiltered, MembersOfAFamilyAgree)
{
    struct Pair {
        uint32_t comps, bytes;
        LxStretchFilterHFn *own, *any;
        LxStretchDisplayFilterHFn *displayOwn, *displayAny;
        LxStretchDisplayFilterVFn *verticalOwn, *verticalAny;
    };
    const Pair pairs[] = {
        {1, 1, stretchfilterh_1x8, stretchfilterh_Nx8, stretchdisplayfilterh_1x8,
         stretchdisplayfilterh_Nx8, stretchdisplayfilterv_1x8, stretchdisplayfilterv_Nx8},
        {3, 1, stretchfilterh_3x8, stretchfilterh_Nx8, stretchdisplayfilterh_3x8,
         stretchdisplayfilterh_Nx8, stretchdisplayfilterv_3x8, stretchdisplayfilterv_Nx8},
        {1, 2, stretchfilterh_1x16, stretchfilterh_Nx16, stretchdisplayfilterh_1x16,
         stretchdisplayfilterh_Nx16, stretchdisplayfilterv_1x16, stretchdisplayfilterv_Nx16},
        {3, 2, stretchfilterh_3x16, stretchfilterh_Nx16, stretchdisplayfilterh_3x16,
         stretchdisplayfilterh_Nx16, stretchdisplayfilterv_3x16, stretchdisplayfilterv_Nx16},
    };
    for (const Pair& p : pairs) {
        Picture src(p.comps, p.bytes, 11, 6);
        src.fillRandom(p.comps * 10 + p.bytes);
        Picture a(p.comps, p.bytes, 7, 6), b(p.comps, p.bytes, 7, 6);
        ASSERT_EQ(p.own(a.data(), a.pitch(), p.comps, 7, 6, src.at(2, 0), src.pitch(), 2, 8,
                        filter_bspline2, 3),
                  0);
        ASSERT_EQ(p.any(b.data(), b.pitch(), p.comps, 7, 6, src.at(2, 0), src.pitch(), 2, 8,
                        filter_bspline2, 3),
                  0);
        EXPECT_EQ(a.differenceFrom(b), "");
        const SLxStretchRect rect{3, 1, 10, 5};
        Picture c(p.comps, p.bytes, 7, 4), d(p.comps, p.bytes, 7, 4);
        ASSERT_EQ(p.displayOwn(c.data(), c.pitch(), p.comps, src.data(), src.pitch(), 11, 25, &rect,
                               filter_triangle, 2),
                  0);
        ASSERT_EQ(p.displayAny(d.data(), d.pitch(), p.comps, src.data(), src.pitch(), 11, 25, &rect,
                               filter_triangle, 2),
                  0);
        EXPECT_EQ(c.differenceFrom(d), "");
        Picture e(p.comps, p.bytes, 7, 9), g(p.comps, p.bytes, 7, 9);
        ASSERT_EQ(p.verticalOwn(e.data(), e.pitch(), p.comps, 9, c.data(), c.pitch(), 6, 13, 2,
                                &rect, filter_bspline2, 3),
                  0);
        ASSERT_EQ(p.verticalAny(g.data(), g.pitch(), p.comps, 9, c.data(), c.pitch(), 6, 13, 2,
                                &rect, filter_bspline2, 3),
                  0);
        EXPECT_EQ(e.differenceFrom(g), "");
    }
}

// Every scratch allocation of a filtered call, failed in turn: -3 and the
// destination untouched.
TEST(StretchFiltered, FailedAllocationsReturnMinus3WithoutWriting)
{
    Picture src(3, 1, 9, 7);
    src.fillRandom(2);
    const uint8_t background[3] = {1, 2, 3};
    const ValidSource valid(Format{3, 1});
    struct Call {
        const char* what;
        std::function<int(Picture&)> run;
    };
    const Call calls[] = {
        {"Stretch", [&](Picture& d) { return stretchWhole(d, src, 2); }},
        {"StretchDisplay", [&](Picture& d) { return displayTile(d, src, 20, 15, 3, 2, 3); }},
        {"StretchDisplayEx",
         [&](Picture& d) { return valid.tile(d, 20, 15, 3, 2, 2, background); }},
    };
    for (const Call& call : calls) {
        int failing = 0;
        for (;; ++failing) {
            Picture dst(3, 1, 6, 5);
            lxstretch::failScratchAfter(failing);
            const int result = call.run(dst);
            lxstretch::failScratchAfter(-1);
            if (result == 0)
                break;
            EXPECT_EQ(result, -3) << call.what << ", allocation " << failing;
            dst.forEach([&](uint32_t x, uint32_t y, uint32_t c) {
                ASSERT_EQ(dst.get(x, y, c), kMarker) << call.what << ", allocation " << failing;
            });
        }
        // At least the buffer, both passes' lists and the vertical sums.
        EXPECT_GE(failing, 4) << call.what;
    }
}

} // namespace
