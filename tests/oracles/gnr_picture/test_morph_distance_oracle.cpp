// Grey erosion, dilation, their repetition, opening, closing, top-hats,
// gradient and the distance maps of CLxPicBufAPI against OpenCV.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <queue>
#include <string>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace
{

SLxPicBuf recordOf(cv::Mat& m, uint32_t bits)
{
    return SLxPicBuf{uint32_t(m.cols),
                     uint32_t(m.rows),
                     uint32_t(m.step),
                     uint8_t(bits),
                     uint32_t(m.channels()),
                     uint32_t(m.step * m.rows),
                     m.data};
}

cv::Mat randomMat(int rows, int cols, int type, int top, uint64_t seed)
{
    cv::Mat m(rows, cols, type);
    cv::RNG rng(seed);
    rng.fill(m, cv::RNG::UNIFORM, 0, top);
    return m;
}

cv::Mat maskOf(const SLxKernel& k)
{
    cv::Mat m(int(k.uiNRows), int(k.uiNCols), CV_8U);
    for (uint32_t i = 0; i < k.uiNRows * k.uiNCols; ++i)
        m.at<uint8_t>(int(i / k.uiNCols), int(i % k.uiNCols)) = k.ubMask[i] != 0;
    return m;
}

bool same(const cv::Mat& a, const cv::Mat& b)
{
    return cv::countNonZero(a.reshape(1) != b.reshape(1)) == 0;
}

struct Named {
    const char* label;
    const SLxKernel* kernel;
};

TEST(MorphOracle, ErodeAndDilateMatchOpenCv)
{
    const Named kernels[] = {
        {"Square3", &CLxPicBufAPI::Square3}, {"Cross3", &CLxPicBufAPI::Cross3},
        {"Lin_45", &CLxPicBufAPI::Lin_45},   {"Oct4", &CLxPicBufAPI::Oct4},
        {"Square2", &CLxPicBufAPI::Square2}, {"RegionalExtrema1", &CLxPicBufAPI::RegionalExtrema1},
    };
    for (int type : {CV_8UC1, CV_8UC3, CV_16UC1})
        for (const Named& n : kernels) {
            SCOPED_TRACE(std::string(n.label) + " type " + std::to_string(type));
            const uint32_t bits = CV_MAT_DEPTH(type) == CV_8U ? 8 : 16;
            cv::Mat src = randomMat(37, 41, type, bits == 8 ? 256 : 65536, 5);
            const cv::Point anchor(int(n.kernel->uiCenterCol), int(n.kernel->uiCenterRow));
            for (bool erode : {true, false}) {
                cv::Mat dst(src.size(), src.type(), cv::Scalar::all(0)), expected;
                SLxPicBuf s = recordOf(src, bits), d = recordOf(dst, bits);
                ASSERT_EQ(erode ? CLxPicBufAPI::Erode(&d, &s, n.kernel)
                                : CLxPicBufAPI::Dilate(&d, &s, n.kernel),
                          0);
                if (erode)
                    cv::erode(src, expected, maskOf(*n.kernel), anchor, 1, cv::BORDER_REPLICATE);
                else
                    cv::dilate(src, expected, maskOf(*n.kernel), anchor, 1, cv::BORDER_REPLICATE);
                EXPECT_TRUE(same(dst, expected));
            }
        }
}

TEST(MorphOracle, Square3FifteenTimesIsA31Rectangle)
{
    for (int type : {CV_8UC1, CV_16UC1}) {
        const uint32_t bits = type == CV_8UC1 ? 8 : 16;
        cv::Mat src = randomMat(70, 53, type, bits == 8 ? 256 : 65536, 9);
        for (bool erode : {true, false}) {
            cv::Mat dst(src.size(), src.type(), cv::Scalar::all(0)), expected;
            SLxPicBuf s = recordOf(src, bits), d = recordOf(dst, bits);
            ASSERT_EQ(erode ? CLxPicBufAPI::Erode(&d, &s, &CLxPicBufAPI::Square3, 15)
                            : CLxPicBufAPI::Dilate(&d, &s, &CLxPicBufAPI::Square3, 15),
                      0);
            const cv::Mat rect = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(31, 31));
            if (erode)
                cv::erode(src, expected, rect, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
            else
                cv::dilate(src, expected, rect, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
            EXPECT_TRUE(same(dst, expected));
        }
    }
}

TEST(MorphOracle, ChessboardDistanceMatchesOpenCv)
{
    for (int seed = 1; seed <= 4; ++seed) {
        cv::Mat objects = randomMat(45, 38, CV_8UC1, 100, uint64_t(seed));
        objects = objects > (seed == 4 ? 1 : 3); // a few zeros, fewer on the last
        objects.at<uint8_t>(20, 17) = 0;         // at least one background pixel
        cv::Mat pic;
        objects.convertTo(pic, CV_16U, 1.0 / 255.0);
        SLxPicBuf p = recordOf(pic, 16);
        ASSERT_EQ(CLxPicBufAPI::DistanceFunction(&p, 3), 0);
        cv::Mat dist, expected;
        cv::distanceTransform(objects, dist, cv::DIST_C, 3);
        cv::min(dist, 65534.0, dist);
        dist.convertTo(expected, CV_16U);
        EXPECT_TRUE(same(pic, expected)) << "seed " << seed;
    }
}

// The kernel's centre as an OpenCV anchor, and its mirror (the centre the
// passes after the first alternate with).
cv::Point anchorOf(const SLxKernel& k, bool mirrored)
{
    return mirrored ? cv::Point(int(k.uiNCols - k.uiCenterCol - 1), int(k.uiNRows - k.uiCenterRow - 1))
                    : cv::Point(int(k.uiCenterCol), int(k.uiCenterRow));
}

// passes erosions (or dilations) whose anchors alternate from the centre,
// starting mirrored when firstMirrored.
cv::Mat cvPasses(const cv::Mat& src, const SLxKernel& k, bool erode, uint32_t passes,
                 bool firstMirrored)
{
    cv::Mat m = src.clone();
    for (uint32_t i = 0; i < passes; ++i) {
        const cv::Point anchor = anchorOf(k, (i % 2 == 1) != firstMirrored);
        if (erode)
            cv::erode(m, m, maskOf(k), anchor, 1, cv::BORDER_REPLICATE);
        else
            cv::dilate(m, m, maskOf(k), anchor, 1, cv::BORDER_REPLICATE);
    }
    return m;
}

// a - b modulo 2^bits per sample.
cv::Mat wrappedDifference(const cv::Mat& a, const cv::Mat& b, uint32_t bits)
{
    cv::Mat wide, other, out;
    a.convertTo(wide, CV_32S);
    b.convertTo(other, CV_32S);
    wide -= other;
    const int top = (1 << bits) - 1;
    cv::Mat samples = wide.reshape(1);
    samples.forEach<int32_t>([top](int32_t& v, const int*) { v &= top; });
    wide.convertTo(out, a.depth());
    return out;
}

// OpenCV's erosion, dilation, opening or closing (cvOp) by the kernel, count
// times: morphologyEx where the kernel's centre is its own mirror, else the
// chain of single passes with alternating anchors (a second group going on
// where the first stopped).
cv::Mat cvMorph(const cv::Mat& src, const SLxKernel& k, int cvOp, uint32_t count)
{
    if (anchorOf(k, false) == anchorOf(k, true)) {
        cv::Mat out;
        cv::morphologyEx(src, out, cvOp, maskOf(k), anchorOf(k, false), int(count),
                         cv::BORDER_REPLICATE);
        return out;
    }
    const bool secondMirrored = count % 2 == 1;
    switch (cvOp) {
    case cv::MORPH_ERODE:
    case cv::MORPH_DILATE:
        return cvPasses(src, k, cvOp == cv::MORPH_ERODE, count, false);
    case cv::MORPH_OPEN:
        return cvPasses(cvPasses(src, k, true, count, false), k, false, count, secondMirrored);
    default:
        return cvPasses(cvPasses(src, k, false, count, false), k, true, count, secondMirrored);
    }
}

struct NamedOp {
    const char* label;
    int (*sdk)(SLxPicBuf*, const SLxPicBuf*, const SLxKernel*, uint32_t);
    // minuend - subtrahend modulo 2^bits; -1 stands for the source, and
    // no subtrahend (-2) for the result itself.
    int minuend, subtrahend;
};

TEST(MorphOracle, OpenCloseTopHatsAndGradientMatchOpenCv)
{
    using API = CLxPicBufAPI;
    // The top-hats wrap where the clamped edge lifts the opening above
    // the source (or sinks the closing below it), unlike cv::MORPH_TOPHAT,
    // which saturates: the differences are taken here.
    const NamedOp ops[] = {
        {"Open", API::Open, cv::MORPH_OPEN, -2},
        {"Close", API::Close, cv::MORPH_CLOSE, -2},
        {"DetectPeaks", API::DetectPeaks, -1, cv::MORPH_OPEN},
        {"DetectValleys", API::DetectValleys, cv::MORPH_CLOSE, -1},
        {"GradientMorpho", API::GradientMorpho, cv::MORPH_DILATE, cv::MORPH_ERODE},
    };
    const Named kernels[] = {
        {"Square3", &API::Square3}, {"Square5", &API::Square5}, {"Cross3", &API::Cross3},
        {"Lin_45", &API::Lin_45},   {"Oct4", &API::Oct4},       {"Square2", &API::Square2},
    };
    for (int type : {CV_8UC1, CV_8UC3, CV_16UC1})
        for (const Named& n : kernels)
            for (uint32_t count : {1u, 2u, 3u})
                for (const NamedOp& op : ops) {
                    SCOPED_TRACE(std::string(op.label) + " " + n.label + " x" +
                                 std::to_string(count) + " type " + std::to_string(type));
                    const uint32_t bits = CV_MAT_DEPTH(type) == CV_8U ? 8 : 16;
                    cv::Mat src = randomMat(33, 29, type, bits == 8 ? 256 : 65536, 11 + count);
                    cv::Mat dst(src.size(), src.type(), cv::Scalar::all(0));
                    SLxPicBuf s = recordOf(src, bits), d = recordOf(dst, bits);
                    ASSERT_EQ(op.sdk(&d, &s, n.kernel, count), 0);
                    const auto result = [&](int cvOp) {
                        return cvOp == -1 ? src : cvMorph(src, *n.kernel, cvOp, count);
                    };
                    const cv::Mat expected =
                        op.subtrahend == -2
                            ? result(op.minuend)
                            : wrappedDifference(result(op.minuend), result(op.subtrahend), bits);
                    EXPECT_TRUE(same(dst, expected));
                }
}

struct Mask {
    uint32_t metric;
    double worstStretch; // largest chamfer length / Euclidean length of the mask
};

// Shortest paths over the mask's steps between pixels of the picture, with
// the mask's single-precision weights: the chamfer distance the two sweeps
// are meant to reach.
std::vector<double> chamferByDijkstra(const cv::Mat& objects, uint32_t metric)
{
    const int r = metric == 15 ? 1 : metric == 16 ? 2 : 3;
    const float exact[4][4] = {{0.f, 1.f, 2.f, 3.f},
                               {1.f, 1.4142f, 2.236f, 3.1622777f},
                               {2.f, 2.236f, 2.8284f, 3.6055512f},
                               {3.f, 3.1622777f, 3.6055512f, 4.2426405f}};
    struct Step {
        int dy, dx;
        double weight;
    };
    std::vector<Step> steps;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            if (dy || dx)
                steps.push_back({dy, dx, double(exact[std::abs(dy)][std::abs(dx)])});
    const int h = objects.rows, w = objects.cols;
    std::vector<double> dist(size_t(h) * w, 1e300);
    using Item = std::pair<double, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> queue;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (objects.at<uint8_t>(y, x) == 0) {
                dist[size_t(y) * w + x] = 0;
                queue.push({0.0, y * w + x});
            }
    while (!queue.empty()) {
        const auto [d, at] = queue.top();
        queue.pop();
        if (d > dist[size_t(at)])
            continue;
        for (const Step& s : steps) {
            const int y = at / w + s.dy, x = at % w + s.dx;
            if (y < 0 || y >= h || x < 0 || x >= w)
                continue;
            // Summed in single precision, as the sweeps do.
            const double candidate = double(float(d) + float(s.weight));
            if (candidate < dist[size_t(y) * w + x]) {
                dist[size_t(y) * w + x] = candidate;
                queue.push({candidate, y * w + x});
            }
        }
    }
    return dist;
}

// Masks 15, 16 and 7 x 7: within the mask's stretch of OpenCV's exact
// Euclidean distance (DIST_MASK_PRECISE), plus the rounding to integers,
// and equal to the shortest chamfer paths wherever the rounding is clear.
TEST(MorphOracle, FloatMaskDistancesStayWithinTheirStretchOfEuclid)
{
    const Mask masks[] = {{15, 1.0824}, {16, 1.0275}, {7, 1.0132}};
    for (const Mask& mask : masks)
        for (int seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE("metric " + std::to_string(mask.metric) + " seed " + std::to_string(seed));
            cv::Mat objects = randomMat(53, 47, CV_8UC1, 1000, uint64_t(seed));
            objects = objects > (seed == 3 ? 0 : 2); // scattered background, sparse on the last
            objects.at<uint8_t>(26, 9) = 0;
            cv::Mat pic;
            objects.convertTo(pic, CV_16U, 7.0 / 255.0); // object value 7
            SLxPicBuf p = recordOf(pic, 16);
            ASSERT_EQ(CLxPicBufAPI::DistanceFunction(&p, mask.metric), 0);
            cv::Mat euclid;
            cv::distanceTransform(objects, euclid, cv::DIST_L2, cv::DIST_MASK_PRECISE, CV_32F);
            const std::vector<double> chamfer = chamferByDijkstra(objects, mask.metric);
            int unclear = 0;
            for (int y = 0; y < pic.rows; ++y)
                for (int x = 0; x < pic.cols; ++x) {
                    const double got = pic.at<uint16_t>(y, x), e = euclid.at<float>(y, x);
                    ASSERT_GE(got, e * (1 - 4e-5) - 0.5 - 1e-3) << x << "," << y;
                    ASSERT_LE(got, e * mask.worstStretch + 0.5 + 1e-3) << x << "," << y;
                    const double c = chamfer[size_t(y) * pic.cols + x];
                    if (std::abs(c - std::floor(c) - 0.5) < 1e-3) {
                        ++unclear;
                        continue;
                    }
                    ASSERT_EQ(got, std::floor(c + 0.5)) << x << "," << y << " chamfer " << c;
                }
            EXPECT_LT(unclear, 10);
        }
}

} // namespace
