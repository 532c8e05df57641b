// Vertical and horizontal flips, in place and between two pictures.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using API = CLxPicMemAPI;

// Bytes 0, 1, 2, ... so every moved byte shows where it came from.
std::vector<uint8_t> counting(size_t n)
{
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), uint8_t(0));
    return v;
}

struct FlipVertCase {
    uint32_t lines;
    uint32_t dstWB, srcWB;
};

TEST(PicMemFlip, FlipVertCopiesTheSmallerPitchBottomUp)
{
    const FlipVertCase cases[] = {{1, 6, 6}, {4, 6, 8}, {5, 9, 7}};
    for (const FlipVertCase& c : cases) {
        const std::vector<uint8_t> src = counting(size_t(c.srcWB) * c.lines);
        std::vector<uint8_t> dst(size_t(c.dstWB) * c.lines + 4, 0xEE);
        ASSERT_EQ(API::FlipVert(dst.data(), c.dstWB, src.data(), c.srcWB, 3, 3 * c.lines), 0);
        const uint32_t bytes = std::min(c.dstWB, c.srcWB);
        for (uint32_t i = 0; i < c.lines; ++i)
            for (uint32_t b = 0; b < c.dstWB; ++b)
                ASSERT_EQ(dst[i * c.dstWB + b],
                          b < bytes ? src[(c.lines - 1 - i) * c.srcWB + b] : 0xEE)
                    << c.lines << " lines, line " << i << " byte " << b;
        EXPECT_EQ(dst.back(), 0xEE);
    }
}

TEST(PicMemFlip, FlipVertInPlaceExchangesLines)
{
    for (uint32_t lines : {1u, 2u, 5u, 6u}) {
        const std::vector<uint8_t> before = counting(size_t(lines) * 7);
        std::vector<uint8_t> data = before;
        ASSERT_EQ(API::FlipVert(data.data(), 7, 2, 2 * lines), 0);
        for (uint32_t i = 0; i < lines; ++i)
            for (uint32_t b = 0; b < 7; ++b)
                ASSERT_EQ(data[i * 7 + b], before[(lines - 1 - i) * 7 + b]) << lines;
        // The same memory given twice flips in place too.
        ASSERT_EQ(API::FlipVert(data.data(), 7, data.data(), 7, 2, 2 * lines), 0);
        EXPECT_EQ(data, before);
    }
}

struct FlipHorCase {
    const char* name;
    uint32_t bits, comps, width;
};

void checkFlipHor(const FlipHorCase& c)
{
    const uint32_t pixelBytes = (c.bits <= 8 ? 1 : c.bits <= 16 ? 2 : 4) * c.comps;
    const uint32_t pitch = c.width * pixelBytes + 3, lines = 2;
    const std::vector<uint8_t> src = counting(size_t(pitch) * lines);
    auto expectMirrored = [&](const std::vector<uint8_t>& dst, const char* how) {
        for (uint32_t y = 0; y < lines; ++y) {
            for (uint32_t x = 0; x < c.width; ++x)
                for (uint32_t b = 0; b < pixelBytes; ++b)
                    ASSERT_EQ(dst[y * pitch + x * pixelBytes + b],
                              src[y * pitch + (c.width - 1 - x) * pixelBytes + b])
                        << c.name << " " << how << " line " << y << " pixel " << x;
            for (uint32_t b = c.width * pixelBytes; b < pitch; ++b)
                ASSERT_EQ(dst[y * pitch + b], src[y * pitch + b]) << c.name << " padding";
        }
    };
    std::vector<uint8_t> dst = src;
    ASSERT_EQ(API::FlipHor(dst.data(), src.data(), c.bits, c.comps, pitch, c.width, lines), 0);
    expectMirrored(dst, "copied");
    std::vector<uint8_t> inPlace = src;
    ASSERT_EQ(API::FlipHor(inPlace.data(), inPlace.data(), c.bits, c.comps, pitch, c.width, lines),
              0);
    expectMirrored(inPlace, "in place");
}

TEST(PicMemFlip, FlipHorMovesWholePixels)
{
    const FlipHorCase cases[] = {
        {"gray 8", 8, 1, 5},
        {"BGR 8", 8, 3, 4},
        {"BGR 12", 12, 3, 3},
        {"24-bit words", 24, 1, 5},
        {"2 x 32", 32, 2, 2},
        {"one pixel", 16, 4, 1},
        // Lines long enough for the vector loops, odd so that a tail remains.
        {"gray 8 long", 8, 1, 77},
        {"gray 16 long", 16, 1, 53},
        {"BGR 8 long", 8, 3, 67},
        {"2 x 16 long", 16, 2, 33},
        {"BGR 16 long", 16, 3, 21},
        {"5 x 8 long", 8, 5, 19},
    };
    // With the vector loops, and with the plain loops alone.
    for (bool vector : {true, false}) {
        lxpic::avx2PathsAllowed() = vector;
        for (const FlipHorCase& c : cases)
            checkFlipHor(c);
    }
    lxpic::avx2PathsAllowed() = true;
}

} // namespace
