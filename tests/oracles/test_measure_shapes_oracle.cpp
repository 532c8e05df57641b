// Seed fill, labelling, contours, hole filling and the 3 x 3 majority
// against OpenCV on random pictures and blobs of odd sizes.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "gnr_picture/BinPicBufAPI/bin_test_support.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/measure/grey_picture.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

struct Size {
    int width, height;
};
const Size kSizes[] = {{1, 1}, {7, 5}, {33, 17}, {61, 43}, {128, 9}};

// Random 0/1 pixels, smoothed into blobs with holes when blobs is true.
cv::Mat RandomBits(std::mt19937& rng, Size size, bool blobs)
{
    cv::Mat m(size.height, size.width, CV_8U);
    std::bernoulli_distribution bit(0.45);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            m.at<uint8_t>(y, x) = bit(rng) ? 1 : 0;
    if (blobs) {
        cv::Mat sums;
        cv::boxFilter(m, sums, CV_8U, cv::Size(3, 3), cv::Point(-1, -1), false,
                      cv::BORDER_REPLICATE);
        m = sums >= 5;
        m /= 255;
    }
    return m;
}

void ToGrey(GreyPicture& p, const cv::Mat& m)
{
    for (int y = 0; y < m.rows; ++y)
        for (int x = 0; x < m.cols; ++x)
            p.set(x, y, m.at<uint8_t>(y, x));
}

void ToBits(BinPicture& p, const cv::Mat& m)
{
    for (int y = 0; y < m.rows; ++y)
        for (int x = 0; x < m.cols; ++x)
            p.set(x, y, m.at<uint8_t>(y, x) != 0);
}

cv::Mat FromBits(BinPicture& p)
{
    cv::Mat m(int(p->uiHeight), int(p->uiWidth), CV_8U);
    for (int y = 0; y < m.rows; ++y)
        for (int x = 0; x < m.cols; ++x)
            m.at<uint8_t>(y, x) = p.at(x, y) ? 1 : 0;
    return m;
}

bool Same(const cv::Mat& a, const cv::Mat& b)
{
    return cv::countNonZero(a != b) == 0;
}

TEST(MeasureShapesOracle, PaintMatchesFloodFill)
{
    std::mt19937 rng(11);
    for (const Size& size : kSizes)
        for (int connectivity : {4, 8})
            for (int trial = 0; trial < 6; ++trial) {
                cv::Mat m = RandomBits(rng, size, trial % 2 == 1);
                const int x = int(rng() % size.width), y = int(rng() % size.height);
                GreyPicture p(size.width, size.height);
                ToGrey(p, m);
                const unsigned old = m.at<uint8_t>(y, x);
                uint64_t painted = 0;
                ASSERT_EQ(0, CLxPicMeasAPI::Paint(p.get(), x, y, old, 7, connectivity, painted));
                const int area = cv::floodFill(m, cv::Point(x, y), 7, nullptr, 0, 0, connectivity);
                EXPECT_EQ(uint64_t(area), painted);
                for (int yy = 0; yy < m.rows; ++yy)
                    for (int xx = 0; xx < m.cols; ++xx)
                        ASSERT_EQ(m.at<uint8_t>(yy, xx), p.at(xx, yy)) << xx << "," << yy;
            }
}

TEST(MeasureShapesOracle, LabelsMatchConnectedComponents)
{
    std::mt19937 rng(12);
    for (const Size& size : kSizes)
        for (int connectivity : {4, 8}) {
            cv::Mat m = RandomBits(rng, size, false);
            GreyPicture p(size.width, size.height, 16);
            for (int y = 0; y < m.rows; ++y)
                for (int x = 0; x < m.cols; ++x)
                    p.set(x, y, m.at<uint8_t>(y, x) ? 65535 : 0);
            ASSERT_EQ(0, CLxPicMeasAPI::PaintAllObjects(p.get(), connectivity));
            cv::Mat labels;
            const int n = cv::connectedComponents(m, labels, connectivity, CV_16U);
            // The same partition; our labels count up in raster order.
            std::map<int, uint32_t> ours;
            uint32_t next = 1;
            for (int y = 0; y < m.rows; ++y)
                for (int x = 0; x < m.cols; ++x) {
                    const int theirs = labels.at<uint16_t>(y, x);
                    if (theirs == 0) {
                        ASSERT_EQ(0u, p.at(x, y));
                        continue;
                    }
                    auto it = ours.find(theirs);
                    if (it == ours.end())
                        it = ours.emplace(theirs, next++).first;
                    ASSERT_EQ(it->second, p.at(x, y)) << x << "," << y;
                }
            EXPECT_EQ(uint32_t(n - 1), next - 1);
        }
}

TEST(MeasureShapesOracle, ContoursMatchFindContours)
{
    std::mt19937 rng(13);
    for (const Size& size : kSizes)
        for (int trial = 0; trial < 3; ++trial) {
            cv::Mat m = RandomBits(rng, size, true);
            cv::Mat labels;
            const int n = cv::connectedComponents(m, labels, 8, CV_16U);
            GreyPicture p(size.width, size.height, 16);
            for (int y = 0; y < m.rows; ++y)
                for (int x = 0; x < m.cols; ++x)
                    p.set(x, y, labels.at<uint16_t>(y, x));
            for (int label = 1; label < n; ++label) {
                cv::Mat object = labels == label;
                std::vector<std::vector<cv::Point>> contours;
                cv::findContours(object.clone(), contours, cv::RETR_EXTERNAL,
                                 cv::CHAIN_APPROX_NONE);
                ASSERT_EQ(1u, contours.size());
                cv::Point first;
                for (int i = 0; i < object.rows * object.cols; ++i)
                    if (object.at<uint8_t>(i / object.cols, i % object.cols)) {
                        first = cv::Point(i % object.cols, i / object.cols);
                        break;
                    }
                uint64_t count = 0;
                SLxContour* c = CLxPicMeasAPI::ContourPoints(p.get(), uint16_t(label),
                                                             SLxIPoint{first.x, first.y}, &count);
                ASSERT_NE(nullptr, c);
                std::set<std::pair<int, int>> ours, theirs;
                for (uint32_t i = 0; i < c->uiCount; ++i)
                    ours.insert({c->points[i].x, c->points[i].y});
                CLxAlloc::Free(c);
                for (const cv::Point& q : contours[0])
                    theirs.insert({q.x, q.y});
                EXPECT_EQ(theirs, ours) << "object " << label;
                cv::Mat filled = cv::Mat::zeros(object.size(), CV_8U);
                cv::drawContours(filled, contours, 0, 1, cv::FILLED);
                EXPECT_EQ(uint64_t(cv::countNonZero(filled)), count) << "object " << label;
            }
        }
}

TEST(MeasureShapesOracle, FillHolesMatchesBorderFloodFill)
{
    std::mt19937 rng(14);
    for (const Size& size : kSizes)
        for (int trial = 0; trial < 4; ++trial) {
            cv::Mat m = RandomBits(rng, size, trial % 2 == 0);
            BinPicture src(size.width, size.height), dst(size.width, size.height);
            ToBits(src, m);
            ASSERT_EQ(0, CLxBinPicBufAPI::FillHoles(dst.get(), src.get()));
            // The background reached from a frame around the picture.
            cv::Mat framed;
            cv::copyMakeBorder(m, framed, 1, 1, 1, 1, cv::BORDER_CONSTANT, 0);
            cv::floodFill(framed, cv::Point(0, 0), 2, nullptr, 0, 0, 4);
            cv::Mat inner = framed(cv::Rect(1, 1, size.width, size.height));
            cv::Mat expected = inner != 2;
            expected /= 255;
            EXPECT_TRUE(Same(expected, FromBits(dst)));
        }
}

TEST(MeasureShapesOracle, SmoothMatchesBoxFilterMajority)
{
    std::mt19937 rng(15);
    for (const Size& size : kSizes) {
        if (size.width < 3 || size.height < 3)
            continue;
        cv::Mat m = RandomBits(rng, size, false);
        BinPicture src(size.width, size.height), dst(size.width, size.height);
        ToBits(src, m);
        ASSERT_EQ(0, CLxBinPicBufAPI::Smooth(dst.get(), src.get()));
        cv::Mat sums;
        cv::boxFilter(m, sums, CV_8U, cv::Size(3, 3), cv::Point(-1, -1), false,
                      cv::BORDER_REPLICATE);
        cv::Mat expected = sums >= 5;
        expected /= 255;
        EXPECT_TRUE(Same(expected, FromBits(dst)));
    }
}

// The 8-connected components of mask that hold a set pixel of marker.
cv::Mat Reconstruct(const cv::Mat& marker, const cv::Mat& mask)
{
    cv::Mat labels;
    const int n = cv::connectedComponents(mask, labels, 8, CV_32S);
    std::vector<uint8_t> keep(size_t(n), 0);
    for (int y = 0; y < mask.rows; ++y)
        for (int x = 0; x < mask.cols; ++x)
            if (marker.at<uint8_t>(y, x) && labels.at<int>(y, x) > 0)
                keep[size_t(labels.at<int>(y, x))] = 1;
    cv::Mat out = cv::Mat::zeros(mask.size(), CV_8U);
    for (int y = 0; y < mask.rows; ++y)
        for (int x = 0; x < mask.cols; ++x)
            out.at<uint8_t>(y, x) = keep[size_t(labels.at<int>(y, x))];
    return out;
}

TEST(MeasureShapesOracle, CleanAndReconstructionMatchLabelling)
{
    std::mt19937 rng(17);
    for (const Size& size : kSizes)
        for (bool objects : {true, false})
            for (uint32_t count : {1u, 2u}) {
                cv::Mat m = RandomBits(rng, size, true);
                BinPicture src(size.width, size.height), dst(size.width, size.height);
                ToBits(src, m);
                ASSERT_EQ(0, CLxBinPicBufAPI::Clean3x3(dst.get(), src.get(), count, objects));
                const uint32_t cap = uint32_t(std::max(size.width, size.height)) / 2;
                const int n = int(std::min(count, cap));
                cv::Mat cleaned = objects ? m.clone() : (1 - m);
                cv::Mat eroded = cleaned.clone();
                for (int i = 0; i < n; ++i)
                    cv::erode(eroded, eroded, cv::Mat::ones(3, 3, CV_8U), cv::Point(-1, -1), 1,
                              cv::BORDER_REPLICATE);
                cv::Mat expected = Reconstruct(eroded, cleaned);
                if (!objects)
                    expected = 1 - expected;
                EXPECT_TRUE(Same(expected, FromBits(dst)))
                    << size.width << "x" << size.height << " " << objects << " " << count;

                cv::Mat marker = RandomBits(rng, size, false);
                BinPicture markerBits(size.width, size.height);
                ToBits(markerBits, marker);
                ASSERT_EQ(
                    0, CLxBinPicBufAPI::ConditionalDilate(dst.get(), markerBits.get(), src.get()));
                EXPECT_TRUE(Same(Reconstruct(marker, m), FromBits(dst)));
            }
}

TEST(MeasureShapesOracle, ConvexHullCloseToOpenCVHull)
{
    std::mt19937 rng(16);
    std::uniform_int_distribution<int> coord(5, 74);
    for (int trial = 0; trial < 12; ++trial) {
        // One star-like object at least 20 pixels across.
        std::vector<cv::Point> star;
        for (int i = 0; i < 7; ++i)
            star.emplace_back(coord(rng), coord(rng));
        star.emplace_back(5, 5);
        star.emplace_back(40, 40);
        cv::Mat m = cv::Mat::zeros(81, 79, CV_8U);
        for (size_t i = 0; i < star.size(); ++i)
            cv::line(m, star[i], star[(i + 1) % star.size()], 1, 3);
        std::vector<std::vector<cv::Point>> contours;
        cv::findContours(m.clone(), contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
        ASSERT_EQ(1u, contours.size());
        std::vector<cv::Point> hull;
        cv::convexHull(contours[0], hull);
        cv::Mat expected = cv::Mat::zeros(m.size(), CV_8U);
        cv::fillPoly(expected, std::vector<std::vector<cv::Point>>{hull}, 1);

        BinPicture src(m.cols, m.rows), dst(m.cols, m.rows);
        ToBits(src, m);
        ASSERT_EQ(0, CLxBinPicBufAPI::ConvexHull(dst.get(), src.get(), false, false, 1));
        const cv::Mat ours = FromBits(dst);
        const double both = cv::countNonZero(ours & expected);
        const double either = cv::countNonZero(ours | expected);
        EXPECT_GE(both / either, 0.95) << "trial " << trial;

        // Our own tracer's contour: the hull expects its order.
        GreyPicture grey(m.cols, m.rows);
        ToGrey(grey, m);
        SLxIPoint start{0, 0};
        while (!m.at<uint8_t>(start.y, start.x))
            if (++start.x == m.cols)
                start = SLxIPoint{0, start.y + 1};
        SLxContour* contour = CLxPicMeasAPI::ContourPoints(grey.get(), 1, start);
        ASSERT_NE(nullptr, contour);
        double perimeter = 0, area = 0;
        ASSERT_EQ(0, CLxBinPicBufAPI::CalculateConvexityFeatures(contour, perimeter, area));
        CLxAlloc::Free(contour);
        const double cvPerimeter = cv::arcLength(hull, true);
        const double cvArea = cv::contourArea(hull);
        EXPECT_NEAR(cvPerimeter, perimeter, 0.05 * cvPerimeter) << "trial " << trial;
        EXPECT_NEAR(cvArea, area - perimeter / 2, 0.05 * cvArea) << "trial " << trial;
    }
}

} // namespace
