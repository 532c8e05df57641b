// One-bit stretch: known answers, and the scatter-table enlargement against
// the pixel-by-pixel build.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "gnr_picture/picmemAPI/LxStretchKernels.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchScratch.h"

namespace
{

constexpr uint8_t kMarker = 0xA5;

// A one-bit picture; lines of pitch bytes, the bytes past (w + 7) / 8 hold
// the marker.
struct BitPicture {
    uint32_t w, h, pitch;
    std::vector<uint8_t> bytes;

    BitPicture(uint32_t width, uint32_t height, uint32_t extra = 2)
        : w(width), h(height), pitch((width + 7) / 8 + extra),
          bytes(size_t(pitch) * height, kMarker)
    {
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                set(x, y, 0);
    }
    uint32_t get(uint32_t x, uint32_t y) const
    {
        return bytes[size_t(y) * pitch + x / 8] >> (7 - x % 8) & 1u;
    }
    void set(uint32_t x, uint32_t y, uint32_t v)
    {
        uint8_t& b = bytes[size_t(y) * pitch + x / 8];
        b = uint8_t((b & ~(0x80u >> x % 8)) | (v ? 0x80u >> x % 8 : 0));
    }
    void fillRandom(uint32_t seed)
    {
        std::mt19937 rng(seed);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                set(x, y, rng() & 1u);
    }
    std::string line(uint32_t y) const
    {
        std::string s;
        for (uint32_t x = 0; x < w; ++x)
            s += char('0' + get(x, y));
        return s;
    }
    // The written bytes' bits beyond the width are 0 and the padding keeps
    // its marker.
    std::string tailDamage() const
    {
        for (uint32_t y = 0; y < h; ++y) {
            for (uint32_t x = w; x < (w + 7) / 8 * 8; ++x)
                if (get(x, y))
                    return "bit " + std::to_string(x) + " of line " + std::to_string(y);
            for (uint32_t b = (w + 7) / 8; b < pitch; ++b)
                if (bytes[size_t(y) * pitch + b] != kMarker)
                    return "padding of line " + std::to_string(y);
        }
        return {};
    }
};

int stretchWhole(BitPicture& dst, const BitPicture& src,
                 LxStretchBinFn* kernel = stretch_bin_to_bin)
{
    return kernel(dst.bytes.data(), dst.pitch, dst.w, dst.h, src.bytes.data(), src.pitch, src.h, 0,
                  0, src.w, src.h);
}

BitPicture fromText(const char* text)
{
    BitPicture p(uint32_t(std::string(text).size()), 1);
    for (uint32_t x = 0; x < p.w; ++x)
        p.set(x, 0, text[x] == '1');
    return p;
}

TEST(StretchBin, DoublingALine)
{
    const BitPicture src = fromText("10110001");
    BitPicture dst(16, 2);
    ASSERT_EQ(stretchWhole(dst, src), 0);
    EXPECT_EQ(dst.line(0), "1100111100000011");
    EXPECT_EQ(dst.line(1), "1100111100000011");
}

TEST(StretchBin, HalvingTakesTheOddColumns)
{
    const BitPicture src = fromText("1100110011001100");
    BitPicture dst(8, 1);
    ASSERT_EQ(stretchWhole(dst, src), 0);
    EXPECT_EQ(dst.line(0), "10101010");
}

TEST(StretchBin, WindowFromColumnFiveAndSameSizeCopy)
{
    BitPicture src(21, 4);
    src.fillRandom(3);
    // The window (5, 1) 11 x 3 at its own size is an exact copy of it.
    BitPicture dst(11, 3);
    ASSERT_EQ(stretch_bin_to_bin(dst.bytes.data(), dst.pitch, 11, 3, &src.bytes[src.pitch + 0],
                                 src.pitch, 4, 5, 1, 11, 3),
              0);
    for (uint32_t y = 0; y < 3; ++y)
        EXPECT_EQ(dst.line(y), src.line(y + 1).substr(5, 11));
    EXPECT_EQ(dst.tailDamage(), "");
}

TEST(StretchBin, ColumnsAndLinesAreClampedToTheSource)
{
    // Line of one byte: the window of 4 columns from column 6 reads columns
    // 6 and 7 and then repeats column 7; its 3 lines from line 1 of a
    // 2-line picture repeat line 1.
    BitPicture src(8, 2, 0);
    src.set(6, 1, 1);
    BitPicture dst(4, 3);
    ASSERT_EQ(
        stretch_bin_to_bin(dst.bytes.data(), dst.pitch, 4, 3, &src.bytes[1], 1, 2, 6, 1, 4, 3), 0);
    for (uint32_t y = 0; y < 3; ++y)
        EXPECT_EQ(dst.line(y), "1000");
}

// The enlarging build against the direct one (every ratio, window offset
// and width that is not a multiple of 8), including horizontal enlargements
// much larger than the vertical one.
TEST(StretchBin, ScatterTablesGiveThePixelByPixelResult)
{
    struct Case {
        uint32_t srcW, srcH, srcX, dstW, dstH;
    };
    const Case cases[] = {
        {8, 1, 0, 16, 2},   {13, 5, 0, 29, 11},   {8, 1, 0, 64, 2},  {3, 2, 0, 200, 3},
        {40, 3, 5, 7, 9},   {21, 4, 3, 21, 5},    {17, 6, 1, 9, 13}, {64, 2, 0, 5, 3},
        {1, 1, 0, 2049, 2}, {30, 10, 7, 111, 17},
    };
    for (const Case& c : cases) {
        BitPicture src(c.srcX + c.srcW, c.srcH);
        src.fillRandom(c.dstW);
        for (auto* kernel : {stretch_bin_to_bin, stretchexpand_bin_to_bin}) {
            BitPicture dst(c.dstW, c.dstH);
            ASSERT_EQ(kernel(dst.bytes.data(), dst.pitch, c.dstW, c.dstH, &src.bytes[c.srcX / 8],
                             src.pitch, c.srcH, c.srcX, 0, c.srcW, c.srcH),
                      0);
            for (uint32_t y = 0; y < c.dstH; ++y) {
                const uint32_t r = std::min<uint32_t>(
                    uint32_t(std::floor((y + 0.5) * c.srcH / c.dstH)), c.srcH - 1);
                std::string expected;
                for (uint32_t x = 0; x < c.dstW; ++x)
                    expected += char(
                        '0' +
                        src.get(c.srcX + uint32_t(std::floor((x + 0.5) * c.srcW / c.dstW)), r));
                ASSERT_EQ(dst.line(y), expected) << c.srcW << " to " << c.dstW << ", line " << y;
            }
            EXPECT_EQ(dst.tailDamage(), "") << c.srcW << " to " << c.dstW;
        }
    }
}

TEST(StretchBin, DisplayTilesEqualTheWholeStretch)
{
    BitPicture src(19, 7);
    src.fillRandom(8);
    for (uint32_t dispW : {19u, 50u, 6u}) {
        for (uint32_t dispH : {7u, 23u, 3u}) {
            BitPicture whole(dispW, dispH);
            ASSERT_EQ(stretchWhole(whole, src), 0);
            const uint32_t winX = dispW / 3, winY = dispH / 2;
            const uint32_t winW = dispW - winX, winH = dispH - winY;
            for (auto* kernel : {stretchdisplay_bin_to_bin, stretchdisplayexpand_bin_to_bin}) {
                BitPicture tile(winW, winH);
                ASSERT_EQ(kernel(tile.bytes.data(), winW, winH, tile.pitch, dispW, dispH, winX,
                                 winY, src.bytes.data(), 19, 7, src.pitch),
                          0);
                for (uint32_t y = 0; y < winH; ++y)
                    ASSERT_EQ(tile.line(y), whole.line(winY + y).substr(winX))
                        << dispW << "x" << dispH << ", line " << y;
                EXPECT_EQ(tile.tailDamage(), "");
            }
        }
    }
}

TEST(StretchBin, RefusalsAndEmptyDestinations)
{
    BitPicture src(8, 2), dst(8, 2);
    const std::vector<uint8_t> untouched = dst.bytes;
    EXPECT_EQ(stretch_bin_to_bin(dst.bytes.data(), dst.pitch, 8, 0, src.bytes.data(), src.pitch, 2,
                                 0, 0, 8, 2),
              0);
    EXPECT_EQ(stretch_bin_to_bin(dst.bytes.data(), dst.pitch, 8, 2, src.bytes.data(), src.pitch, 2,
                                 0, 0, 0, 2),
              -9);
    EXPECT_EQ(stretch_bin_to_bin(dst.bytes.data(), dst.pitch, 8, 2, src.bytes.data(), src.pitch, 2,
                                 0, 2, 8, 2),
              -9);
    EXPECT_EQ(stretchdisplay_bin_to_bin(dst.bytes.data(), 8, 2, dst.pitch, 0, 2, 0, 0,
                                        src.bytes.data(), 8, 2, src.pitch),
              -9);
    for (int skip : {0, 1, 2, 3}) {
        lxstretch::failScratchAfter(skip);
        EXPECT_EQ(stretchexpand_bin_to_bin(dst.bytes.data(), dst.pitch, 8, 2, src.bytes.data(),
                                           src.pitch, 2, 0, 0, 8, 1),
                  -3)
            << skip;
        lxstretch::failScratchAfter(-1);
    }
    EXPECT_EQ(dst.bytes, untouched);
}

} // namespace
