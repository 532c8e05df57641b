// The fan hull of traced contours against cv::convexHull of the same
// points: random objects, lines of every slope, single pixels.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gnr_picture/BinPicBufAPI/LxConvexHull.h"
#include "gnr_picture/BinPicBufAPI/bin_test_support.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/measure/grey_picture.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

struct FreeBlock {
    void operator()(void* p) const { CLxAlloc::Free(p); }
};
using ContourPtr = std::unique_ptr<SLxContour, FreeBlock>;
using HullPtr = std::unique_ptr<lx_bin::Hull, FreeBlock>;

// The contour of the single object of m (0/1), from our tracer.
ContourPtr Trace(const cv::Mat& m)
{
    GreyPicture grey(m.cols, m.rows);
    for (int y = 0; y < m.rows; ++y)
        for (int x = 0; x < m.cols; ++x)
            grey.set(x, y, m.at<uint8_t>(y, x));
    cv::Point start;
    for (start.y = 0; start.y < m.rows; ++start.y)
        for (start.x = 0; start.x < m.cols; ++start.x)
            if (m.at<uint8_t>(start.y, start.x))
                return ContourPtr(
                    CLxPicMeasAPI::ContourPoints(grey.get(), 1, SLxIPoint{start.x, start.y}));
    return nullptr;
}

std::vector<cv::Point> Points(const SLxContour* c)
{
    std::vector<cv::Point> out;
    for (uint32_t i = 0; i < c->uiCount; ++i)
        out.emplace_back(c->points[i].x, c->points[i].y);
    return out;
}

// The largest 8-connected object of m alone.
cv::Mat LargestObject(const cv::Mat& m)
{
    cv::Mat labels, stats, centroids;
    const int n = cv::connectedComponentsWithStats(m, labels, stats, centroids, 8, CV_32S);
    int best = 1;
    for (int i = 2; i < n; ++i)
        if (stats.at<int>(i, cv::CC_STAT_AREA) > stats.at<int>(best, cv::CC_STAT_AREA))
            best = i;
    cv::Mat one = labels == best;
    return one / 255;
}

// Random objects: filled random polygons (self-crossing ones too) and stars
// of thick and thin lines, so that spurs and revisited pixels occur.
cv::Mat RandomObject(std::mt19937& rng, int trial)
{
    std::uniform_int_distribution<int> coord(2, 77);
    std::vector<cv::Point> points;
    for (int i = 0; i < 3 + trial % 9; ++i)
        points.emplace_back(coord(rng), coord(rng));
    cv::Mat m = cv::Mat::zeros(83, 81, CV_8U);
    switch (trial % 3) {
    case 0:
        cv::fillPoly(m, std::vector<std::vector<cv::Point>>{points}, 1);
        break;
    default:
        for (size_t i = 0; i + 1 < points.size(); ++i)
            cv::line(m, points[i], points[i + 1], 1, trial % 3 == 1 ? 1 : 3,
                     trial % 2 ? cv::LINE_8 : cv::LINE_4);
        break;
    }
    return LargestObject(m);
}

double SignedArea(const std::vector<cv::Point>& poly)
{
    double twice = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        const cv::Point a = poly[i], b = poly[(i + 1) % poly.size()];
        twice += double(a.x) * b.y - double(b.x) * a.y;
    }
    return twice / 2;
}

// The fan hull is inscribed in the true hull: every vertex on its border or
// close to it.
void ExpectInscribed(const lx_bin::Hull& hull, const std::vector<cv::Point>& exact,
                     const char* what)
{
    std::vector<cv::Point> poly;
    for (uint32_t i = 0; i < hull.count; ++i)
        poly.emplace_back(hull.vertices[i].x, hull.vertices[i].y);
    // The last chain stops short of the first vertex, so vertices next to
    // the closing edge may lie a little inside.
    for (const cv::Point& v : poly)
        EXPECT_LE(cv::pointPolygonTest(exact, cv::Point2f(v), true), 1.0)
            << what << ": vertex " << v << " far inside the hull";
}

TEST(ConvexHullOracle, FanHullIsInscribedAndCloseOnRandomObjects)
{
    std::mt19937 rng(39);
    for (int trial = 0; trial < 60; ++trial) {
        const cv::Mat m = RandomObject(rng, trial);
        ContourPtr contour = Trace(m);
        ASSERT_TRUE(contour);
        std::vector<cv::Point> exact;
        cv::convexHull(Points(contour.get()), exact);
        // Tolerances hold for objects at least 20 pixels across.
        const cv::Rect box = cv::boundingRect(exact);
        const bool large = std::min(box.width, box.height) >= 20 && cv::contourArea(exact) >= 200;
        for (int step : {1, 5, 30}) {
            HullPtr hull(lx_bin::MakeHull(contour.get(), step));
            ASSERT_TRUE(hull);
            const std::string what =
                "trial " + std::to_string(trial) + " step " + std::to_string(step);
            ExpectInscribed(*hull, exact, what.c_str());
            if (step == 1 && large) {
                std::vector<cv::Point> poly;
                for (uint32_t i = 0; i < hull->count; ++i)
                    poly.emplace_back(hull->vertices[i].x, hull->vertices[i].y);
                // Counter-clockwise on the screen and not folded: a fold
                // would take its part off the signed area.
                EXPECT_GE(-SignedArea(poly), 0.95 * cv::contourArea(exact)) << what;
            }
        }
        if (large) {
            double perimeter = 0, area = 0;
            ASSERT_EQ(0,
                      CLxBinPicBufAPI::CalculateConvexityFeatures(contour.get(), perimeter, area));
            const double cvPerimeter = cv::arcLength(exact, true);
            const double cvArea = cv::contourArea(exact);
            EXPECT_NEAR(cvPerimeter, perimeter, 0.05 * cvPerimeter) << "trial " << trial;
            EXPECT_NEAR(cvArea, area - perimeter / 2, 0.05 * cvArea) << "trial " << trial;
        }
    }
}

// The drawn hull stays within one pixel of the filled exact hull and, for
// large objects, covers it nearly all.
TEST(ConvexHullOracle, DrawnHullFollowsFillPoly)
{
    std::mt19937 rng(139);
    for (int trial = 0; trial < 30; ++trial) {
        cv::Mat m = cv::Mat::zeros(83, 81, CV_8U);
        for (int k = 0; k < 3; ++k)
            m |= RandomObject(rng, trial + k);
        BinPicture src(m.cols, m.rows), dst(m.cols, m.rows);
        for (int y = 0; y < m.rows; ++y)
            for (int x = 0; x < m.cols; ++x)
                src.set(x, y, m.at<uint8_t>(y, x) != 0);
        ASSERT_EQ(0, CLxBinPicBufAPI::ConvexHull(dst.get(), src.get(), false, false, 1));
        cv::Mat ours(m.size(), CV_8U);
        for (int y = 0; y < m.rows; ++y)
            for (int x = 0; x < m.cols; ++x)
                ours.at<uint8_t>(y, x) = dst.at(x, y) ? 1 : 0;

        std::vector<std::vector<cv::Point>> objects;
        cv::findContours(m.clone(), objects, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
        cv::Mat expected = cv::Mat::zeros(m.size(), CV_8U);
        for (const auto& object : objects) {
            std::vector<cv::Point> hull;
            cv::convexHull(object, hull);
            cv::fillPoly(expected, std::vector<std::vector<cv::Point>>{hull}, 1);
            cv::polylines(expected, std::vector<std::vector<cv::Point>>{hull}, true, 1);
        }
        cv::Mat near;
        cv::dilate(expected, near, cv::Mat::ones(3, 3, CV_8U));
        for (int y = 0; y < m.rows; ++y)
            for (int x = 0; x < m.cols; ++x)
                EXPECT_TRUE(!ours.at<uint8_t>(y, x) || near.at<uint8_t>(y, x))
                    << "trial " << trial << " far " << x << "," << y;
        const double both = cv::countNonZero(ours & expected);
        const double either = cv::countNonZero(ours | expected);
        EXPECT_GE(both / either, 0.9) << "trial " << trial;
    }
}

// Lines of every slope: level ones and one or two pixels come back as they
// are; others (diagonals too: hull edges are drawn 4-connected) stay between
// the line and the one-pixel margin of its hull.
TEST(ConvexHullOracle, LinesAndPixels)
{
    struct Case {
        cv::Point a, b;
        bool same;
    };
    std::vector<Case> cases = {
        {{3, 10}, {40, 10}, true}, {{20, 2}, {20, 37}, true}, {{2, 2}, {35, 35}, false},
        {{35, 3}, {3, 35}, false}, {{5, 5}, {5, 5}, true},    {{5, 5}, {6, 5}, true},
        {{5, 5}, {6, 6}, true},    {{5, 30}, {6, 29}, true},
    };
    std::mt19937 rng(239);
    std::uniform_int_distribution<int> coord(1, 38);
    for (int i = 0; i < 40; ++i)
        cases.push_back({{coord(rng), coord(rng)}, {coord(rng), coord(rng)}, false});
    for (const Case& c : cases)
        for (int type : {cv::LINE_8, cv::LINE_4}) {
            cv::Mat m = cv::Mat::zeros(41, 40, CV_8U);
            cv::line(m, c.a, c.b, 1, 1, type);
            BinPicture src(m.cols, m.rows), dst(m.cols, m.rows);
            for (int y = 0; y < m.rows; ++y)
                for (int x = 0; x < m.cols; ++x)
                    src.set(x, y, m.at<uint8_t>(y, x) != 0);
            ASSERT_EQ(0, CLxBinPicBufAPI::ConvexHull(dst.get(), src.get(), false, false, 1));
            std::vector<cv::Point> points, hull;
            cv::findNonZero(m, points);
            cv::convexHull(points, hull);
            cv::Mat near = cv::Mat::zeros(m.size(), CV_8U);
            cv::fillPoly(near, std::vector<std::vector<cv::Point>>{hull}, 1);
            cv::polylines(near, std::vector<std::vector<cv::Point>>{hull}, true, 1);
            cv::dilate(near, near, cv::Mat::ones(3, 3, CV_8U));
            for (int y = 0; y < m.rows; ++y)
                for (int x = 0; x < m.cols; ++x) {
                    const bool set = dst.at(x, y), source = m.at<uint8_t>(y, x) != 0;
                    if (c.same && type == cv::LINE_8) {
                        EXPECT_EQ(source, set) << c.a << "-" << c.b << " at " << x << "," << y;
                    } else {
                        EXPECT_TRUE(!source || set)
                            << c.a << "-" << c.b << " lost " << x << "," << y;
                        EXPECT_TRUE(!set || near.at<uint8_t>(y, x))
                            << c.a << "-" << c.b << " far " << x << "," << y;
                    }
                }
            // The features of a line: twice its length round, no inside.
            ContourPtr contour = Trace(m);
            double perimeter = 0, area = 0;
            ASSERT_EQ(0,
                      CLxBinPicBufAPI::CalculateConvexityFeatures(contour.get(), perimeter, area));
            if (contour->uiCount > 2) {
                const double length = cv::arcLength(hull, true);
                EXPECT_NEAR(length, perimeter, 0.05 * length + 1e-9) << c.a << "-" << c.b;
            }
        }
}

} // namespace
