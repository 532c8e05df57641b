// The picture library's start-up tables: the arc-cosine table, the bilinear
// weights, and attach and detach.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "gnr_picture/LxPicLibTables.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Detaches for the test's body and attaches again after it, so that later
// tests find the table as the library's load left it.
class DetachedTables : public ::testing::Test
{
  protected:
    void SetUp() override { LX_GnrPictureDetach(); }
    void TearDown() override { LX_GnrPictureAttach(); }
};

TEST(PicLibAcosTable, BuiltByTheLibrarysLoad)
{
    ASSERT_NE(g_pLxAcosTable, nullptr);
    EXPECT_EQ(CLxAlloc::Size(g_pLxAcosTable), 80008u);
}

TEST(PicLibAcosTable, EveryEntryIsTheArcCosineBitForBit)
{
    ASSERT_NE(g_pLxAcosTable, nullptr);
    for (uint32_t i = 0; i < kLxAcosTableEntries; ++i) {
        const double expected = std::acos(i * 0.0002 - 1);
        ASSERT_TRUE(sameBits(g_pLxAcosTable[i], expected))
            << "entry " << i << ": " << g_pLxAcosTable[i] << " instead of " << expected;
    }
}

TEST(PicLibAcosTable, EndsAndMiddle)
{
    ASSERT_NE(g_pLxAcosTable, nullptr);
    EXPECT_DOUBLE_EQ(g_pLxAcosTable[0], M_PI);
    EXPECT_DOUBLE_EQ(g_pLxAcosTable[5000], M_PI / 2);
    EXPECT_EQ(g_pLxAcosTable[10000], 0.0);
}

TEST(PicLibAcosTable, BuildGivesAFreshEqualTable)
{
    double* table = BuildAcosTable();
    ASSERT_NE(table, nullptr);
    EXPECT_NE(table, g_pLxAcosTable);
    EXPECT_EQ(std::memcmp(table, g_pLxAcosTable, kLxAcosTableEntries * sizeof(double)), 0);
    CLxAlloc::Free(table);
}

TEST(PicLibAcosTable, LookupIndexesWithTheFloorAndHoldsTheRange)
{
    struct Case {
        double cosine;
        uint32_t entry;
    } const cases[] = {
        {-1.0, 0},         {-0.99995, 0},      {-0.5, 2500}, {0.0, 5000},
        {0.00019, 5000},   {0.0002, 5001},     {1.0, 10000}, {1.0000000001, 10000},
        {7.0, 10000},      {-1.0000000001, 0}, {-7.0, 0},    {std::nan(""), 0},
        {INFINITY, 10000}, {-INFINITY, 0},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(sameBits(LX_TableAcos(c.cosine), g_pLxAcosTable[c.entry]))
            << "cosine " << c.cosine << " should read entry " << c.entry;
}

TEST_F(DetachedTables, DetachReleasesAndLookupsComputeTheSameEntries)
{
    EXPECT_EQ(g_pLxAcosTable, nullptr);
    double* reference = BuildAcosTable();
    ASSERT_NE(reference, nullptr);
    for (uint32_t i = 0; i < kLxAcosTableEntries; ++i) {
        const double cosine = (i + 0.5) / 5000.0 - 1.0;
        const uint32_t entry = uint32_t(std::floor(5000.0 * (cosine + 1.0)));
        ASSERT_TRUE(sameBits(LX_TableAcos(cosine), reference[entry])) << "entry " << i;
    }
    CLxAlloc::Free(reference);
}

TEST_F(DetachedTables, AttachBuildsAgainAndKeepsABuiltTable)
{
    EXPECT_TRUE(LX_GnrPictureAttach());
    const double* built = g_pLxAcosTable;
    ASSERT_NE(built, nullptr);
    EXPECT_TRUE(LX_GnrPictureAttach());
    EXPECT_EQ(g_pLxAcosTable, built);
    LX_GnrPictureDetach();
    LX_GnrPictureDetach(); // a second detach has nothing to release
    EXPECT_EQ(g_pLxAcosTable, nullptr);
}

TEST(PicLibBilinearWeights, NamedEntries)
{
    struct Case {
        uint32_t a, b;
        uint8_t w[4];
    } const cases[] = {
        {0, 0, {255, 0, 0, 0}},       {255, 255, {0, 0, 0, 255}}, {128, 0, {127, 128, 0, 0}},
        {0, 128, {127, 0, 128, 0}},   {255, 0, {0, 255, 0, 0}},   {0, 255, {0, 0, 255, 0}},
        {128, 128, {63, 63, 63, 66}},
    };
    for (const Case& c : cases) {
        const uint8_t* w = g_LxBilinearWeights[c.a][c.b];
        EXPECT_EQ(std::memcmp(w, c.w, 4), 0)
            << "[" << c.a << "][" << c.b << "] = " << int(w[0]) << " " << int(w[1]) << " "
            << int(w[2]) << " " << int(w[3]);
    }
}

TEST(PicLibBilinearWeights, EveryEntryFollowsTheRuleAndSumsTo255)
{
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t b = 0; b < 256; ++b) {
            const uint8_t* w = g_LxBilinearWeights[a][b];
            ASSERT_EQ(w[0], (255 - a) * (255 - b) / 255) << a << " " << b;
            ASSERT_EQ(w[1], a * (255 - b) / 255) << a << " " << b;
            ASSERT_EQ(w[2], (255 - a) * b / 255) << a << " " << b;
            ASSERT_EQ(w[0] + w[1] + w[2] + w[3], 255) << a << " " << b;
        }
    }
}

TEST(PicLibBilinearWeights, RebuildIsTheSame)
{
    uint8_t saved[256][256][4];
    std::memcpy(saved, g_LxBilinearWeights, sizeof saved);
    std::memset(g_LxBilinearWeights, 0, sizeof saved);
    BuildBilinearWeightTable();
    EXPECT_EQ(std::memcmp(saved, g_LxBilinearWeights, sizeof saved), 0);
}

} // namespace
