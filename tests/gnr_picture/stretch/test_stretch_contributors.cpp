// Weight functions and the contributor lists of the filtered stretch.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "gnr_picture/picmemAPI/LxStretchFilters.h"
#include "gnr_picture/picmemAPI/stretch/LxContributors.h"

using lxstretch::ContributorLists;
using lxstretch::ListShape;
using lxstretch::Tap;

namespace
{

TEST(StretchFilters, WeightsOfTheTriangleAndTheBSpline)
{
    struct Case {
        double (*f)(double);
        double t, weight;
    };
    const Case cases[] = {
        {filter_triangle, 0.0, 1.0},     {filter_triangle, 0.5, 0.5},
        {filter_triangle, -0.25, 0.75},  {filter_triangle, 1.0, 0.0},
        {filter_triangle, -3.0, 0.0},    {filter_bspline2, 0.0, 0.75},
        {filter_bspline2, 0.25, 0.6875}, {filter_bspline2, 0.5, 0.5},
        {filter_bspline2, -1.0, 0.125},  {filter_bspline2, 1.25, 0.03125},
        {filter_bspline2, 1.5, 0.0},     {filter_bspline2, -7.0, 0.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(c.f(c.t), c.weight) << c.t;
}

ListShape wholeLine(uint32_t in, uint32_t out, double (*f)(double), uint32_t radius)
{
    return lxstretch::clampedShape(in, out, 0, out, 0.0, 0, int64_t(in) - 1, f, radius);
}

std::vector<Tap> listOf(const ContributorLists& lists, uint32_t i)
{
    return std::vector<Tap>(lists.taps(i), lists.taps(i) + lists.count(i));
}

std::string describe(const std::vector<Tap>& taps)
{
    std::string s;
    for (const Tap& t : taps)
        s += "{" + std::to_string(t.index) + "," + std::to_string(t.weight) + "}";
    return s;
}

TEST(StretchContributors, TriangleAtScaleOneIsTheIdentity)
{
    const ContributorLists lists(wholeLine(9, 9, filter_triangle, 2));
    ASSERT_TRUE(lists.valid());
    for (uint32_t i = 0; i < 9; ++i)
        EXPECT_EQ(describe(listOf(lists, i)), "{" + std::to_string(i) + ",65536}");
}

TEST(StretchContributors, BSplineAtScaleOneSmoothsOneSixOne)
{
    const ContributorLists lists(wholeLine(6, 6, filter_bspline2, 3));
    ASSERT_TRUE(lists.valid());
    EXPECT_EQ(describe(listOf(lists, 3)), "{2,8192}{3,49152}{4,8192}");
    // At the edges the outer tap is clamped onto the edge sample.
    EXPECT_EQ(describe(listOf(lists, 0)), "{0,8192}{0,49152}{1,8192}");
    EXPECT_EQ(describe(listOf(lists, 5)), "{4,8192}{5,49152}{5,8192}");
}

// The lists as the rule gives them, computed here tap by tap.
std::vector<Tap> expectedList(uint32_t in, uint32_t out, uint32_t i, double (*f)(double),
                              uint32_t radius)
{
    const double scale = double(in) / out;
    const double support = out < in ? std::ceil(radius * scale) : radius;
    const double centre = (i + 0.5) * scale - 0.5;
    std::vector<Tap> taps;
    for (int64_t j = int64_t(std::floor(centre - support / 2 - 2));
         j <= int64_t(std::ceil(centre + support / 2 + 2)); ++j) {
        const double d = double(j) - centre;
        const double w = scale <= 1.0 ? f(d) : f(d / scale) / scale;
        if (w != 0.0)
            taps.push_back(
                {std::min<int64_t>(std::max<int64_t>(j, 0), in - 1), uint32_t(int(w * 65536.0))});
    }
    uint32_t sum = 0, scaled = 0;
    for (const Tap& t : taps)
        sum += t.weight;
    for (Tap& t : taps) {
        t.weight = uint32_t(uint64_t(t.weight) * 65536 / sum);
        scaled += t.weight;
    }
    taps[taps.size() / 2].weight += 65536 - scaled;
    return taps;
}

// Among them whole and half ratios, whose lists of one phase repeat along
// the line.
struct ScaleCase {
    uint32_t in, out;
    double (*f)(double);
    uint32_t radius;
};

const ScaleCase kScales[] = {
    {10, 3, filter_triangle, 2},   {10, 3, filter_bspline2, 3},    {3, 17, filter_triangle, 2},
    {3, 17, filter_bspline2, 3},   {16, 4, filter_triangle, 2},    {1000, 7, filter_bspline2, 3},
    {7, 6, filter_bspline2, 3},    {1, 5, filter_triangle, 2},     {5, 1, filter_bspline2, 3},
    {64, 16, filter_bspline2, 3},  {200, 100, filter_triangle, 2}, {96, 64, filter_bspline2, 3},
    {150, 50, filter_triangle, 2},
};

TEST(StretchContributors, EveryListSumsTo65536WithTheRemainderInTheMiddle)
{
    for (const ScaleCase& c : kScales) {
        const ContributorLists lists(wholeLine(c.in, c.out, c.f, c.radius));
        ASSERT_TRUE(lists.valid());
        for (uint32_t i = 0; i < c.out; ++i) {
            const std::vector<Tap> taps = listOf(lists, i);
            uint64_t sum = 0;
            for (const Tap& t : taps) {
                sum += t.weight;
                EXPECT_GE(t.index, 0);
                EXPECT_LT(t.index, int64_t(c.in));
            }
            EXPECT_EQ(sum, 65536u) << c.in << " to " << c.out << ", list " << i;
            EXPECT_EQ(describe(taps), describe(expectedList(c.in, c.out, i, c.f, c.radius)))
                << c.in << " to " << c.out << ", list " << i;
        }
    }
}

TEST(StretchContributors, ReductionByFourStretchesTheTriangleOverEightTaps)
{
    const ContributorLists lists(wholeLine(64, 16, filter_triangle, 2));
    ASSERT_TRUE(lists.valid());
    // Centre of output 5: 21.5; taps 18 to 25 at distances 3.5 ... 3.5,
    // weights (1 - |d| / 4) / 4: 1/32, 3/32, 5/32, 7/32, 7/32, ...
    EXPECT_EQ(describe(listOf(lists, 5)),
              "{18,2048}{19,6144}{20,10240}{21,14336}{22,14336}{23,10240}{24,6144}{25,2048}");
}

// Weights below 1/65536 all truncate to 0: the list falls back to the tap
// nearest the centre.
double tinyEverywhere(double)
{
    return 1e-6;
}

TEST(StretchContributors, AZeroWeightSumTakesTheCentreTap)
{
    const ContributorLists lists(wholeLine(10, 4, tinyEverywhere, 3));
    ASSERT_TRUE(lists.valid());
    for (uint32_t i = 0; i < 4; ++i) {
        const double centre = (i + 0.5) * 2.5 - 0.5;
        EXPECT_EQ(describe(listOf(lists, i)),
                  "{" + std::to_string(int64_t(std::floor(centre + 0.5))) + ",65536}");
    }
}

TEST(StretchContributors, TapsOutsideTheUseRangeAreNotConsidered)
{
    // Output 0..5 at scale 1 over source columns of which only 2..3 hold
    // data: columns without a tap there get an empty list.
    ListShape shape = wholeLine(6, 6, filter_bspline2, 3);
    shape.useLo = shape.clampLo = 2;
    shape.useHi = shape.clampHi = 3;
    shape.emptyWhenUnused = true;
    const ContributorLists lists(shape);
    ASSERT_TRUE(lists.valid());
    EXPECT_EQ(lists.count(0), 0u);
    EXPECT_EQ(describe(listOf(lists, 1)), "{2,65536}");
    EXPECT_EQ(describe(listOf(lists, 2)), "{2,56173}{3,9363}"); // 0.75 : 0.125, renormalised
    EXPECT_EQ(describe(listOf(lists, 4)), "{3,65536}");
    EXPECT_EQ(lists.count(5), 0u);
}

} // namespace
