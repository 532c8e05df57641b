// Ultimate erosion of 16-bit maps: regional maxima, plateaus, borders,
// merging over shallow saddles and bad input.
#include <gtest/gtest.h>

#include <vector>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace
{

using Grid = std::vector<std::vector<uint16_t>>;

struct Map {
    SLxPicBuf pic;
    explicit Map(const Grid& g, uint32_t bits = 16)
    {
        CLxPicBufAPI::Init(&pic);
        CLxPicBufAPI::Reinit(&pic, uint32_t(g[0].size()), uint32_t(g.size()), 0, bits, 1, true);
        if (bits == 16)
            for (uint32_t y = 0; y < g.size(); ++y)
                for (uint32_t x = 0; x < g[y].size(); ++x)
                    row(y)[x] = g[y][x];
    }
    ~Map() { CLxPicBufAPI::Free(&pic); }
    uint16_t* row(uint32_t y)
    {
        return reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(pic.pData) +
                                           size_t(y) * pic.uiWidthBytes);
    }
    Grid grid()
    {
        Grid g(pic.uiHeight, std::vector<uint16_t>(pic.uiWidth));
        for (uint32_t y = 0; y < pic.uiHeight; ++y)
            for (uint32_t x = 0; x < pic.uiWidth; ++x)
                g[y][x] = row(y)[x];
        return g;
    }
};

TEST(BinUltimateErosion, WorkedExamples)
{
    struct Case {
        const char* what;
        uint16_t passes;
        Grid in, out;
    } cases[] = {
        {"maxima, corner and plateau beside a higher pixel",
         1,
         {{9, 1, 1, 1, 1}, {1, 1, 5, 5, 6}, {1, 1, 1, 1, 1}, {3, 3, 1, 0, 4}},
         {{1, 0, 0, 0, 0}, {0, 0, 0, 0, 1}, {0, 0, 0, 0, 0}, {1, 1, 0, 0, 1}}},
        {"plateau on the border", 1, {{2, 2, 2}, {1, 1, 1}}, {{1, 1, 1}, {0, 0, 0}}},
        {"flat map is one maximum", 1, {{4, 4}, {4, 4}}, {{1, 1}, {1, 1}}},
        {"zero is never a maximum", 1, {{0, 0}, {0, 0}}, {{0, 0}, {0, 0}}},
        {"no passes", 0, {{1, 2}, {3, 4}}, {{0, 0}, {0, 0}}},
        {"shallow saddle merges", 2, {{1, 3, 2, 3, 1}}, {{0, 2, 2, 2, 0}}},
        {"deep saddle keeps both", 2, {{1, 5, 2, 5, 1}}, {{0, 2, 0, 2, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Map s(c.in), d(Grid(c.in.size(), std::vector<uint16_t>(c.in[0].size(), 77)));
        ASSERT_EQ(0, CLxBinPicBufAPI::UltimateErosion(&d.pic, &s.pic, c.passes));
        EXPECT_EQ(c.out, d.grid());
        if (c.passes <= 1) {
            EXPECT_EQ(c.in, s.grid());
        }
    }
}

TEST(BinUltimateErosion, BadInputChangesNothing)
{
    const Grid g = {{1, 2}, {3, 4}};
    Map s(g), d(Grid{{7, 7}, {7, 7}}), small(Grid{{7}}), bytes(g, 8);
    EXPECT_EQ(-9, CLxBinPicBufAPI::UltimateErosion(&small.pic, &s.pic, 1));
    EXPECT_EQ(-9, CLxBinPicBufAPI::UltimateErosion(&bytes.pic, &bytes.pic, 1));
    EXPECT_EQ(-9, CLxBinPicBufAPI::UltimateErosion(&s.pic, &s.pic, 1));
    EXPECT_EQ(-9, CLxBinPicBufAPI::UltimateErosion(nullptr, &s.pic, 1));
    EXPECT_EQ((Grid{{7, 7}, {7, 7}}), d.grid());
    EXPECT_EQ(g, s.grid());
}

} // namespace
