// The dispatchers of the LUT kernels: ApplyLuts and SumValues choose their
// member by format and table and refuse what does not fit.
#include <vector>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "kernel_test_support.h"

namespace kerneltest
{
namespace
{

using API = CLxPicMemAPI;

struct ApplyFormat {
    uint32_t comps;
    uint32_t bits;
    uint8_t lutDstBits;
    uint8_t lutDstComps; // 1: every component through the same mapping
    bool colour;         // over-exposure colour on the table
};

class ApplyLutsDispatch : public ::testing::TestWithParam<ApplyFormat>
{
  protected:
    ~ApplyLutsDispatch() override { SLxLut::Free(&lut); }
    SLxLut lut;
};

TEST_P(ApplyLutsDispatch, EveryFormatReachesItsMember)
{
    const ApplyFormat& f = GetParam();
    const uint32_t bytes = f.bits <= 8 ? 1 : 2;
    buildLut(lut, {uint8_t(f.bits), 1, f.lutDstBits, f.lutDstComps});
    const uint32_t colourWord = 0x00332211;
    if (f.colour) {
        ASSERT_EQ(SLxLut::SetOverExpColor(&lut, &colourWord), 0);
    }

    const uint32_t width = 7, lines = 3;
    std::mt19937 rng(f.comps * 100 + f.bits);
    TestPicture src({f.comps, bytes}, width, lines, 1);
    src.fill(rng, f.bits);
    // Some pixels at the top of the range.
    src.put(1, 1, 0, maxOf(f.bits));
    src.put(4, 2, f.comps - 1, maxOf(f.bits));
    TestPicture dst({f.comps, bytes}, width, lines, 3);
    TestPicture expected = dst;

    // Only three 8-bit components mark over-exposure.
    const bool marks = f.colour && f.comps == 3 && bytes == 1;
    const uint8_t bgr[3] = {0x33, 0x22, 0x11};
    for (uint32_t y = 0; y < lines; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            bool over = false;
            for (uint32_t k = 0; k < f.comps; ++k)
                over = over || src.get(x, y, k) >= maxOf(f.bits);
            for (uint32_t k = 0; k < f.comps; ++k)
                expected.put(x, y, k,
                             marks && over ? bgr[k]
                                           : lutEntry(0, src.get(x, y, k),
                                                      f.lutDstComps == 1 ? 0 : k, f.lutDstBits));
        }
    ASSERT_EQ(API::ApplyLuts(dst.data(), dst.pitch(), src.data(), src.pitch(), &lut, f.comps,
                             f.bits, width, width * lines),
              0);
    EXPECT_EQ(dst.bytes(), expected.bytes());
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ApplyLutsDispatch,
    ::testing::Values(ApplyFormat{1, 8, 8, 1, false}, ApplyFormat{1, 12, 16, 1, false},
                      ApplyFormat{3, 8, 8, 1, false}, ApplyFormat{3, 16, 16, 1, false},
                      ApplyFormat{4, 6, 8, 1, false}, ApplyFormat{4, 12, 12, 1, false},
                      ApplyFormat{5, 8, 8, 1, false}, ApplyFormat{2, 10, 16, 1, false},
                      ApplyFormat{3, 8, 8, 3, false}, ApplyFormat{3, 8, 8, 3, true},
                      ApplyFormat{3, 5, 8, 3, true}, ApplyFormat{3, 12, 12, 3, true},
                      ApplyFormat{4, 8, 8, 4, false}, ApplyFormat{4, 16, 16, 4, false},
                      ApplyFormat{5, 8, 8, 5, false}, ApplyFormat{2, 12, 16, 2, false}));

// A table of more source bits than the picture serves it: samples are cut to
// the picture's bits (12-bit frames through a 16-bit table), and bytes index
// the first 256 entries of a deeper table.
TEST(ApplyLutsWiderTables, SamplesAreCutToThePictureBits)
{
    SLxLut deep, toBytes;
    buildLut(deep, {16, 1, 16, 1});
    buildLut(toBytes, {12, 1, 8, 1});
    const uint16_t words[4] = {0xF123, 0x0FFF, 0x1000, 7};
    uint16_t wordsOut[4] = {};
    ASSERT_EQ(API::ApplyLuts(wordsOut, 8, words, 8, &deep, 1, 12, 4, 4), 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(wordsOut[i], lutEntry(0, words[i] & 0xFFF, 0, 16)) << i;
    const uint8_t bytes[4] = {0, 1, 200, 255};
    uint8_t bytesOut[4] = {};
    ASSERT_EQ(API::ApplyLuts(bytesOut, 4, bytes, 4, &toBytes, 1, 8, 4, 4), 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(bytesOut[i], lutEntry(0, bytes[i], 0, 8)) << i;
    SLxLut::Free(&deep);
    SLxLut::Free(&toBytes);
}

TEST(ApplyLutsRefusals, TablesThatDoNotFitTheCall)
{
    SLxLut flat8, rows8, tables3, wide, toBytes, rows2;
    buildLut(flat8, {8, 1, 8, 1});
    buildLut(rows8, {8, 1, 8, 3});
    buildLut(tables3, {8, 3, 8, 3});
    buildLut(wide, {8, 1, 16, 1});
    buildLut(toBytes, {12, 1, 8, 1});
    buildLut(rows2, {8, 1, 8, 2});
    uint8_t px[64] = {};
    uint8_t out[64];
    std::memset(out, kMarker, sizeof out);
    const struct {
        const char* name;
        const SLxLut* lut;
        uint32_t comps, bits;
        int expected;
    } cases[] = {
        {"no table", nullptr, 1, 8, -2},
        {"three tables", &tables3, 3, 8, -2},
        {"17 bits", &flat8, 1, 17, -2},
        {"0 bits", &flat8, 1, 0, -2},
        {"fewer source bits than the picture", &flat8, 1, 12, -4},
        {"16-bit entries for bytes", &wide, 1, 8, -4},
        {"byte entries for 16-bit samples", &toBytes, 1, 12, -4},
        {"rows of 3 for 4 components", &rows8, 4, 8, -2},
        {"rows of 2 for 3 components", &rows2, 3, 8, -2},
        {"no components", &flat8, 0, 8, -4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(API::ApplyLuts(out, 16, px, 16, c.lut, c.comps, c.bits, 2, 4), c.expected)
            << c.name;
    }
    for (uint8_t b : out)
        ASSERT_EQ(b, kMarker);
    // An empty window is done before anything is looked at.
    EXPECT_EQ(API::ApplyLuts(nullptr, 0, nullptr, 0, nullptr, 3, 99, 0, 10), 0);
    EXPECT_EQ(API::ApplyLuts(nullptr, 0, nullptr, 0, nullptr, 3, 99, 10, 0), 0);
    for (SLxLut* l : {&flat8, &rows8, &tables3, &wide, &toBytes, &rows2})
        SLxLut::Free(l);
}

TEST(ApplyLutsInPlace, SameMemoryAsSourceAndDestination)
{
    SLxLut lut;
    buildLut(lut, {8, 1, 8, 1});
    uint8_t px[6] = {0, 1, 2, 3, 254, 255};
    ASSERT_EQ(API::ApplyLuts(px, 3, px, 3, &lut, 3, 8, 1, 2), 0);
    for (uint32_t i = 0; i < 6; ++i)
        EXPECT_EQ(px[i], lutEntry(0, i < 4 ? i : 250 + i, 0, 8)) << i;
    SLxLut::Free(&lut);
}

TEST(SumValuesDispatch, EveryFormatAddsItsComponents)
{
    for (uint32_t comps : {1u, 3u, 4u, 6u}) {
        for (uint32_t bits : {5u, 8u, 12u, 16u}) {
            SCOPED_TRACE(::testing::Message() << comps << " x " << bits);
            const uint32_t bytes = bits <= 8 ? 1 : 2;
            std::mt19937 rng(comps + bits);
            TestPicture p({comps, bytes}, 9, 4, 2);
            p.fill(rng, bits);
            std::vector<uint64_t> sums(comps, 5), expected(comps, 5);
            for (uint32_t y = 0; y < 4; ++y)
                for (uint32_t x = 0; x < 9; ++x)
                    for (uint32_t k = 0; k < comps; ++k)
                        expected[k] += p.get(x, y, k);
            ASSERT_EQ(API::SumValues(sums.data(), p.data(), comps, bits, p.pitch(), 9, 36), 0);
            EXPECT_EQ(sums, expected);
        }
    }
}

TEST(SumValuesDispatch, Refusals)
{
    uint8_t px[16] = {};
    uint64_t sums[3] = {7, 7, 7};
    EXPECT_EQ(API::SumValues(sums, px, 1, 17, 16, 4, 4), -2);
    EXPECT_EQ(API::SumValues(sums, px, 1, 0, 16, 4, 4), -2);
    EXPECT_EQ(API::SumValues(nullptr, px, 1, 8, 16, 4, 4), -4);
    EXPECT_EQ(API::SumValues(sums, px, 0, 8, 16, 4, 4), -4);
    EXPECT_EQ(API::SumValues(nullptr, nullptr, 3, 99, 0, 0, 4), 0);
    EXPECT_EQ(sums[0], 7u);
}

} // namespace
} // namespace kerneltest
