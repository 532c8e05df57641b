// Grey erosion and dilation workers on random pictures, masks and sizes
// against the per-pixel rule with edge replication: widths around the
// vector lengths, one-pixel-wide and one-line pictures, masks of more than
// eight elements, every member that serves the mask.
#include <gtest/gtest.h>

#include <random>

#include "filter_test_support.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

using namespace filtertest;

namespace
{

using Worker = int (*)(SLxPicBuf*, const SLxPicBuf*, const SLxKernel*);

struct Member {
    const char* label;
    Worker erode8, dilate8, erode16, dilate16;
    bool (*serves)(const SLxKernel&);
};

bool always(const SLxKernel&) { return true; }
bool fullSquare(const SLxKernel& k) { return IsFullSquareKernel(&k); }
bool named4(const SLxKernel& k) { return KernelNameIs(&k, u"Smooth2"); }
bool named9(const SLxKernel& k) { return KernelNameIs(&k, u"Smooth3"); }
bool named12(const SLxKernel& k) { return KernelNameIs(&k, u"Oct4"); }

const Member kMembers[] = {
    {"General", Erode_General_8, Dilate_General_8, Erode_General_16, Dilate_General_16, always},
    {"Square", Erode_Square_8, [](SLxPicBuf* d, const SLxPicBuf* s,
                                  const SLxKernel* k) { return Dilate_Square_8(d, s, k, 255); },
     Erode_Square_16,
     [](SLxPicBuf* d, const SLxPicBuf* s, const SLxKernel* k) {
         return Dilate_Square_16(d, s, k, 65535);
     },
     fullSquare},
    {"Smooth2", Erode_Smooth2_8, Dilate_Smooth2_8, Erode_Smooth2_16, Dilate_Smooth2_16, named4},
    {"Smooth3", Erode_Smooth3_8, Dilate_Smooth3_8, Erode_Smooth3_16, Dilate_Smooth3_16, named9},
    {"Oct4", Erode_Oct4_8, Dilate_Oct4_8, Erode_Oct4_16, Dilate_Oct4_16, named12},
};

std::unique_ptr<SLxKernel> randomMask(std::mt19937& rng)
{
    const uint32_t rows = 1 + rng() % 6, cols = 1 + rng() % 6;
    std::vector<int32_t> v(size_t(rows) * cols);
    const uint32_t density = 1 + rng() % 4; // a quarter to all elements set
    for (int32_t& e : v)
        e = rng() % 4 < density ? 1 : 0;
    v[rng() % v.size()] = 1; // never empty
    return makeKernel(rows, cols, rng() % rows, rng() % cols, v);
}

std::unique_ptr<SLxKernel> someMask(std::mt19937& rng)
{
    switch (rng() % 8) {
    case 0: return squareKernel(1 + 2 * (rng() % 6)); // 1 .. 11: shifted and doubled rows
    case 1: return makeKernel(3, 3, 1, 1, {0, 1, 0, 1, 1, 1, 0, 1, 0}, u"Cross3");
    case 2:
        return makeKernel(4, 4, 1, 1, {0, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 0}, u"Oct4");
    case 3: return makeKernel(2, 2, 0, 0, {1, 1, 1, 1}, u"Smooth2");
    case 4: return squareKernel(3, u"Smooth3");
    case 5: return squareKernel(5);
    default: return randomMask(rng);
    }
}

void fillRandom(TestPic& p, std::mt19937& rng)
{
    const SLxPicBuf& r = p.rec();
    // Sometimes few levels, so equal neighbours and plateaus occur.
    const uint32_t levels = rng() % 2 ? 4 : (1u << r.uiBpc);
    for (uint32_t y = 0; y < r.uiHeight; ++y)
        for (uint32_t x = 0; x < r.uiWidth; ++x)
            for (uint32_t c = 0; c < r.uiComps; ++c)
                p.set(x, y, c, uint32_t(rng() % levels) * ((1u << r.uiBpc) - 1) / (levels - 1));
}

TEST(MorphologyRandom, EveryMemberEqualsTheClampedWindowRule)
{
    std::mt19937 rng(3303);
    const uint32_t widths[] = {1, 2, 3, 4, 5, 7, 15, 17, 31, 33, 63, 65, 70, 97};
    const uint32_t heights[] = {1, 2, 3, 4, 5, 9, 12};
    for (int trial = 0; trial < 400; ++trial) {
        const auto k = someMask(rng);
        const uint32_t bits = rng() % 3 == 0 ? 8 : (rng() % 2 ? 16 : 12);
        const uint32_t comps = rng() % 4 == 0 ? 3 : 1;
        const uint32_t w = widths[rng() % std::size(widths)];
        const uint32_t h = heights[rng() % std::size(heights)];
        TestPic src(w, h, bits, comps, 4);
        fillRandom(src, rng);
        const bool eight = bits == 8;
        for (const Member& m : kMembers) {
            if (!m.serves(*k))
                continue;
            const bool tooLarge = IsFullSquareKernel(k.get()) && m.serves == fullSquare &&
                                  (k->uiNRows > h || k->uiNCols > w);
            for (bool erode : {true, false}) {
                SCOPED_TRACE(::testing::Message()
                             << "trial " << trial << " " << m.label << (erode ? " erode " : " dilate ")
                             << k->uiNRows << "x" << k->uiNCols << "@" << k->uiCenterRow << ","
                             << k->uiCenterCol << " " << w << "x" << h << "x" << comps << " " << bits
                             << " bits");
                const Worker worker = eight ? (erode ? m.erode8 : m.dilate8)
                                            : (erode ? m.erode16 : m.dilate16);
                TestPic dst(w, h, bits, comps, 4);
                const auto before = dst.bytes();
                ASSERT_EQ(worker(dst.p(), src.p(), k.get()), 0);
                ASSERT_TRUE(dst.paddingIntact());
                if (tooLarge) {
                    ASSERT_EQ(dst.bytes(), before);
                    continue;
                }
                for (uint32_t y = 0; y < h; ++y)
                    for (uint32_t x = 0; x < w; ++x)
                        for (uint32_t c = 0; c < comps; ++c) {
                            const int64_t want = morphAt(src, *k, x, y, c, erode);
                            ASSERT_EQ(dst.get(x, y, c), want) << "at " << x << "," << y << "," << c;
                        }
            }
        }
    }
}

// Masks whose rows hold long runs (several runs in a row, runs of one,
// off-centre anchors) through the general member, whose interior combines
// the runs' extremes.
TEST(MorphologyRandom, LongRunMasksEqualTheClampedWindowRule)
{
    const std::vector<std::unique_ptr<SLxKernel>> masks = [] {
        std::vector<std::unique_ptr<SLxKernel>> m;
        m.push_back(makeKernel(5, 5, 2, 2, {0, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1,
                                            1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 0}));
        m.push_back(makeKernel(7, 7, 3, 3, {0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 1, 1, 1,
                                            1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                            1, 0, 1, 1, 1, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0}));
        m.push_back(makeKernel(3, 7, 0, 6,
                               {1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 1, 1, 1, 0}));
        m.push_back(makeKernel(
            4, 6, 3, 1, {1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
        return m;
    }();
    std::mt19937 rng(5505);
    for (const auto& k : masks)
        for (const uint32_t w : {7u, 33u, 70u})
            for (const auto& [bits, comps] : {std::pair{8u, 1u}, {8u, 3u}, {16u, 1u}, {12u, 2u}})
                for (const bool erode : {true, false}) {
                    SCOPED_TRACE(::testing::Message()
                                 << k->uiNRows << "x" << k->uiNCols << " " << w << " " << bits
                                 << "x" << comps << (erode ? " erode" : " dilate"));
                    const uint32_t h = 11;
                    TestPic src(w, h, bits, comps, 4), dst(w, h, bits, comps, 4);
                    fillRandom(src, rng);
                    const bool eight = bits == 8;
                    const Worker worker = erode ? (eight ? Erode_General_8 : Erode_General_16)
                                                : (eight ? Dilate_General_8 : Dilate_General_16);
                    ASSERT_EQ(worker(dst.p(), src.p(), k.get()), 0);
                    ASSERT_TRUE(dst.paddingIntact());
                    for (uint32_t y = 0; y < h; ++y)
                        for (uint32_t x = 0; x < w; ++x)
                            for (uint32_t c = 0; c < comps; ++c)
                                ASSERT_EQ(dst.get(x, y, c), morphAt(src, *k, x, y, c, erode))
                                    << "at " << x << "," << y << "," << c;
                }
}

// The 8-bit interior and border members write their own part only, each
// by the clamped rule; together they make the whole picture.
TEST(MorphologyRandom, InteriorAndBordersEachWriteTheirPart)
{
    std::mt19937 rng(4404);
    const uint32_t sides[] = {1, 2, 3, 5, 8, 33, 66};
    for (int trial = 0; trial < 200; ++trial) {
        const auto k = someMask(rng);
        const uint32_t w = sides[rng() % std::size(sides)], h = sides[rng() % std::size(sides)];
        const uint32_t comps = rng() % 4 == 0 ? 3 : 1;
        TestPic src(w, h, 8, comps, 4);
        fillRandom(src, rng);
        const int64_t rows = int64_t(h) - k->uiNRows + 1, cols = int64_t(w) - k->uiNCols + 1;
        const auto inside = [&](uint32_t x, uint32_t y) {
            return rows > 0 && cols > 0 && y >= k->uiCenterRow && y < k->uiCenterRow + rows &&
                   x >= k->uiCenterCol && x < k->uiCenterCol + cols;
        };
        for (bool erode : {true, false}) {
            SCOPED_TRACE(::testing::Message()
                         << "trial " << trial << (erode ? " erode " : " dilate ") << k->uiNRows
                         << "x" << k->uiNCols << "@" << k->uiCenterRow << "," << k->uiCenterCol
                         << " " << w << "x" << h << "x" << comps);
            TestPic borders(w, h, 8, comps, 4), interior(w, h, 8, comps, 4);
            ASSERT_EQ((erode ? ErodeBorders_8 : DilateBorders_8)(borders.p(), src.p(), k.get()), 0);
            ASSERT_EQ((erode ? ErodeInterior_8 : DilateInterior_8)(interior.p(), src.p(), k.get()),
                      0);
            ASSERT_TRUE(borders.paddingIntact() && interior.paddingIntact());
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x)
                    for (uint32_t c = 0; c < comps; ++c) {
                        const int64_t want = morphAt(src, *k, x, y, c, erode);
                        const bool in = inside(x, y);
                        ASSERT_EQ(borders.get(x, y, c), in ? picbuftest::kMarker : want)
                            << "borders at " << x << "," << y << "," << c;
                        ASSERT_EQ(interior.get(x, y, c), in ? want : picbuftest::kMarker)
                            << "interior at " << x << "," << y << "," << c;
                    }
        }
    }
}

} // namespace
