// Outer contours traced on runs, and the filled area summed along them.
#include <gtest/gtest.h>

#include <random>

#include "../measure/grey_picture.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "rle_test_support.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

using Points = std::vector<std::pair<int, int>>;

Points Trace(const SLxRLEObject* obj, uint64_t* area = nullptr)
{
    uint64_t a = 0;
    SLxContour* c =
        area ? CLxRLEPicBufAPI::ContourPoints(obj, a) : CLxRLEPicBufAPI::ContourPoints(obj);
    Points out;
    if (!c)
        return out;
    for (uint32_t i = 0; i < c->uiCount; ++i)
        out.emplace_back(c->points[i].x, c->points[i].y);
    CLxAlloc::Free(c);
    if (area)
        *area = a;
    return out;
}

struct ContourCase {
    const char* name;
    std::vector<RunTriple> runs;
    Points points;
    uint64_t area;
};

class RLEContourTable : public ::testing::TestWithParam<ContourCase>
{
};

TEST_P(RLEContourTable, PointsAndFilledArea)
{
    const ContourCase& c = GetParam();
    std::vector<uint8_t> obj = MakeObject(1, c.runs, 8);
    uint64_t area = 0;
    EXPECT_EQ(Trace(AsObject(obj), &area), c.points);
    EXPECT_EQ(area, c.area);
    EXPECT_EQ(Trace(AsObject(obj)), c.points);
}

const Points kSquare = {{10, 20}, {11, 20}, {12, 20}, {12, 21},
                        {12, 22}, {11, 22}, {10, 22}, {10, 21}};

INSTANTIATE_TEST_SUITE_P(
    Cases, RLEContourTable,
    ::testing::Values(ContourCase{"pixel", {{4, 3, 1}}, {{3, 4}}, 1},
                      ContourCase{"horizontal_pair", {{0, 0, 2}}, {{0, 0}, {1, 0}}, 2},
                      ContourCase{"vertical_pair", {{0, 0, 1}, {1, 0, 1}}, {{0, 0}, {0, 1}}, 2},
                      ContourCase{"square", {{20, 10, 3}, {21, 10, 3}, {22, 10, 3}}, kSquare, 9},
                      ContourCase{
                          "ring", {{20, 10, 3}, {21, 10, 1}, {21, 12, 1}, {22, 10, 3}}, kSquare, 9},
                      // A one-pixel spur to the right: its pixels come twice.
                      ContourCase{"spur",
                                  {{0, 0, 4}, {1, 0, 2}},
                                  {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {2, 0}, {1, 1}, {0, 1}},
                                  6},
                      ContourCase{"diagonal", {{0, 0, 1}, {1, 1, 1}}, {{0, 0}, {1, 1}}, 2}),
    [](const ::testing::TestParamInfo<ContourCase>& info) { return info.param.name; });

TEST(RLEContour, ObjectWithoutRunsGivesNull)
{
    std::vector<uint8_t> obj = MakeObject(1, {});
    EXPECT_EQ(CLxRLEPicBufAPI::ContourPoints(AsObject(obj)), nullptr);
    EXPECT_EQ(CLxRLEPicBufAPI::ContourPoints(nullptr), nullptr);
}

// Points are 32-bit signed: an object reaching past them gives null at
// once rather than tracing billions of pixels; one ending on the last
// coordinate is traced, its area whole.
TEST(RLEContour, CoordinatesPastThePointRangeGiveNull)
{
    const uint32_t kLast = 0x7FFFFFFFu;
    struct Case {
        const char* name;
        RunTriple run;
        bool traced;
    } cases[] = {
        {"run_of_4278190081_pixels", {1, 0, 4278190081u}, false},
        {"run_ending_past_the_range", {0, kLast - 1, 3}, false},
        {"row_past_the_range", {kLast + 1u, 0, 1}, false},
        {"run_ending_on_the_last_x", {0, kLast - 2, 3}, true},
        {"pixel_on_the_last_row", {kLast, 5, 1}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> obj = MakeObject(1, {c.run});
        uint64_t area = 0;
        SLxContour* contour = CLxRLEPicBufAPI::ContourPoints(AsObject(obj), area);
        EXPECT_EQ(contour != nullptr, c.traced);
        if (contour)
            EXPECT_EQ(area, std::get<2>(c.run));
        CLxAlloc::Free(contour);
    }
}

// An object that skips a row is traced over its first connected part only,
// without reading outside the object.
TEST(RLEContour, SkippedRowsEndTheTrace)
{
    std::vector<uint8_t> obj = MakeObject(1, {{0, 0, 2}, {2, 0, 2}});
    EXPECT_EQ(Trace(AsObject(obj)), (Points{{0, 0}, {1, 0}}));
}

// The run tracer begins at the first run's start, the pixel tracer one step
// on; the cycles and the filled counts are the same.
TEST(RLEContour, SquareBesideThePixelTracer)
{
    GreyPicture pic(16, 24);
    for (uint32_t y = 20; y < 23; ++y)
        for (uint32_t x = 10; x < 13; ++x)
            pic.set(x, y, 255);
    uint64_t count = 0;
    SLxContour* px = CLxPicMeasAPI::ContourPoints(pic.get(), 255, SLxIPoint{10, 20}, &count);
    ASSERT_NE(px, nullptr);
    Points pixelTrace;
    for (uint32_t i = 0; i < px->uiCount; ++i)
        pixelTrace.emplace_back(px->points[i].x, px->points[i].y);
    CLxAlloc::Free(px);
    Points expected(kSquare.begin() + 1, kSquare.end());
    expected.push_back(kSquare.front());
    EXPECT_EQ(pixelTrace, expected);
    EXPECT_EQ(count, 9u);
}

// The run tracer agrees with the pixel tracer, which starts one step on,
// and with its filled count, on random blobs.
TEST(RLEContour, AgreesWithThePixelTracer)
{
    std::mt19937 rng(41);
    for (int round = 0; round < 40; ++round) {
        uint32_t w = 3 + rng() % 30, h = 3 + rng() % 30;
        GreyPicture pic(w, h);
        std::bernoulli_distribution bit(0.55);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                pic.set(x, y, bit(rng) ? 255 : 0);
        RLEPicture rle;
        ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(rle.get(), pic.get()), 0);
        for (const SLxRLEObject* o : ObjectsOf(rle.get())) {
            uint64_t area = 0;
            Points runTrace = Trace(o, &area);
            SLxRLEObject h0 = Header(o);
            auto first = RunsOf(o).front();
            SLxIPoint start{int32_t(std::get<1>(first)), int32_t(std::get<0>(first))};
            GreyPicture only(w, h);
            CLxRLEPicBufAPI::ConvertRLEToPicBuf(only.get(), rle.get(), 0);
            uint64_t count = 0;
            SLxContour* px =
                CLxPicMeasAPI::ContourPoints(only.get(), uint16_t(h0.uiID), start, &count);
            ASSERT_NE(px, nullptr);
            Points pixelTrace;
            for (uint32_t i = 0; i < px->uiCount; ++i)
                pixelTrace.emplace_back(px->points[i].x, px->points[i].y);
            CLxAlloc::Free(px);
            ASSERT_EQ(pixelTrace.size(), runTrace.size()) << round;
            // Same cycle up to its start.
            bool same = false;
            for (size_t s = 0; s < runTrace.size() && !same; ++s) {
                same = true;
                for (size_t i = 0; i < runTrace.size() && same; ++i)
                    same = runTrace[(i + s) % runTrace.size()] == pixelTrace[i];
            }
            EXPECT_TRUE(same) << "round " << round << " object " << h0.uiID;
            EXPECT_EQ(area, count) << "round " << round << " object " << h0.uiID;
        }
    }
}

} // namespace
