// Rotation and histograms against OpenCV: the right angles and the counts
// exactly, the resampling within the stated tolerances.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstring>
#include <vector>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxRotateKernels.h"

namespace
{

cv::Mat randomMat(int rows, int cols, int type, int top, uint64_t seed)
{
    cv::Mat m(rows, cols, type);
    cv::RNG rng(seed);
    rng.fill(m, cv::RNG::UNIFORM, 0, top);
    return m;
}

uint32_t bitsOf(const cv::Mat& m)
{
    return m.depth() == CV_8U ? 8 : 16;
}

// --- Right angles ---------------------------------------------------------------

struct RightAngleCase {
    int type, rows, cols;
};

class RightAngleOracle : public ::testing::TestWithParam<RightAngleCase>
{
};

TEST_P(RightAngleOracle, EqualsCvRotate)
{
    const RightAngleCase c = GetParam();
    const cv::Mat src =
        randomMat(c.rows, c.cols, c.type, c.type == CV_8UC1 || c.type == CV_8UC3 ? 256 : 65536, 7);
    struct Turn {
        int (*kernel)(void*, uint32_t, uint32_t, uint32_t, const void*, uint32_t, uint32_t,
                      uint32_t, uint32_t, uint32_t);
        int code;
    };
    for (const Turn t :
         {Turn{rotate_90, cv::ROTATE_90_COUNTERCLOCKWISE}, Turn{rotate_180, cv::ROTATE_180},
          Turn{rotate_270, cv::ROTATE_90_CLOCKWISE}}) {
        cv::Mat expected;
        cv::rotate(src, expected, t.code);
        cv::Mat actual(expected.rows, expected.cols, expected.type(), cv::Scalar::all(0));
        ASSERT_EQ(t.kernel(actual.data, uint32_t(actual.step), uint32_t(actual.cols),
                           uint32_t(actual.rows), src.data, uint32_t(src.step), uint32_t(src.cols),
                           uint32_t(src.rows), uint32_t(src.channels()), bitsOf(src)),
                  0);
        EXPECT_EQ(cv::norm(actual, expected, cv::NORM_INF), 0.0) << t.code;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Types, RightAngleOracle,
    ::testing::Values(RightAngleCase{CV_8UC1, 37, 53}, RightAngleCase{CV_8UC1, 131, 7},
                      RightAngleCase{CV_16UC1, 29, 31}, RightAngleCase{CV_8UC3, 65, 33},
                      RightAngleCase{CV_16UC4, 17, 71}, RightAngleCase{CV_16UC4, 1, 1}));

// --- Histograms ---------------------------------------------------------------------

std::vector<uint32_t> calcHist1D(const cv::Mat& plane, int bins, float top,
                                 const cv::Mat& mask = cv::Mat())
{
    cv::Mat hist;
    const int channels[1] = {0};
    const int sizes[1] = {bins};
    const float range[2] = {0.f, top};
    const float* ranges[1] = {range};
    cv::calcHist(&plane, 1, channels, mask, hist, 1, sizes, ranges);
    std::vector<uint32_t> out(static_cast<size_t>(bins));
    for (int i = 0; i < bins; ++i)
        out[size_t(i)] = uint32_t(hist.at<float>(i));
    return out;
}

// Every xStep-th pixel of every yStep-th line.
cv::Mat subsample(const cv::Mat& m, int xStep, int yStep)
{
    cv::Mat out((m.rows + yStep - 1) / yStep, (m.cols + xStep - 1) / xStep, m.type());
    const size_t pixel = m.elemSize();
    for (int y = 0; y < out.rows; ++y)
        for (int x = 0; x < out.cols; ++x)
            std::memcpy(out.ptr(y) + x * pixel, m.ptr(y * yStep) + x * xStep * pixel, pixel);
    return out;
}

// The truncated mean of the channels.
cv::Mat intensityOf(const cv::Mat& m)
{
    cv::Mat out(m.rows, m.cols, m.depth() == CV_8U ? CV_8UC1 : CV_16UC1);
    std::vector<cv::Mat> planes;
    cv::split(m, planes);
    for (int y = 0; y < m.rows; ++y)
        for (int x = 0; x < m.cols; ++x) {
            uint32_t sum = 0;
            for (const cv::Mat& p : planes)
                sum += m.depth() == CV_8U ? p.at<uint8_t>(y, x) : p.at<uint16_t>(y, x);
            if (m.depth() == CV_8U)
                out.at<uint8_t>(y, x) = uint8_t(sum / planes.size());
            else
                out.at<uint16_t>(y, x) = uint16_t(sum / planes.size());
        }
    return out;
}

struct HistCase {
    int type;
    uint32_t bits;
};

class HistogramOracle : public ::testing::TestWithParam<HistCase>
{
};

TEST_P(HistogramOracle, EqualsCalcHist)
{
    const HistCase c = GetParam();
    const uint32_t nbins = 1u << c.bits;
    const cv::Mat src = randomMat(67, 45, c.type, int(nbins), c.bits);
    const uint32_t comps = uint32_t(src.channels());
    std::vector<cv::Mat> planes;
    cv::split(src, planes);
    const uint32_t count = uint32_t(src.rows * src.cols);

    std::vector<std::vector<uint32_t>> bins(comps, std::vector<uint32_t>(nbins));
    std::vector<uint32_t> intensity(nbins);
    std::vector<void*> hist;
    for (auto& b : bins)
        hist.push_back(b.data());
    ASSERT_EQ(CLxPicMemAPI::GetHistogram(hist.data(), 4, src.data, uint32_t(src.step), comps,
                                         c.bits, uint32_t(src.cols), count),
              0);
    for (uint32_t k = 0; k < comps; ++k)
        EXPECT_EQ(bins[k], calcHist1D(planes[k], int(nbins), float(nbins))) << k;

    // Steps 3 and 2, with the intensity.
    for (auto& b : bins)
        std::fill(b.begin(), b.end(), 0);
    ASSERT_EQ(CLxPicMemAPI::GetHistogramEx(hist.data(), intensity.data(), 4, src.data,
                                           uint32_t(src.step), comps, c.bits, 3, 2,
                                           uint32_t(src.cols), count),
              0);
    const cv::Mat stepped = subsample(src, 3, 2);
    EXPECT_EQ(intensity, calcHist1D(intensityOf(stepped), int(nbins), float(nbins)));
    std::vector<cv::Mat> steppedPlanes;
    cv::split(stepped, steppedPlanes);
    for (uint32_t k = 0; k < comps && comps > 1; ++k)
        EXPECT_EQ(bins[k], calcHist1D(steppedPlanes[k], int(nbins), float(nbins))) << k;

    // Under a mask.
    cv::Mat mask = randomMat(src.rows, src.cols, CV_8UC1, 2, 99);
    for (auto& b : bins)
        std::fill(b.begin(), b.end(), 0);
    std::fill(intensity.begin(), intensity.end(), 0);
    ASSERT_EQ(CLxPicMemAPI::GetHistogramUnderBinary(
                  hist.data(), intensity.data(), 4, src.data, uint32_t(src.step), comps, c.bits,
                  mask.data, uint32_t(mask.step), 1, 1, uint32_t(src.cols), count),
              0);
    EXPECT_EQ(intensity, calcHist1D(intensityOf(src), int(nbins), float(nbins), mask));
    for (uint32_t k = 0; k < comps && comps > 1; ++k)
        EXPECT_EQ(bins[k], calcHist1D(planes[k], int(nbins), float(nbins), mask)) << k;
}

INSTANTIATE_TEST_SUITE_P(Formats, HistogramOracle,
                         ::testing::Values(HistCase{CV_8UC1, 8}, HistCase{CV_8UC3, 8},
                                           HistCase{CV_8UC4, 8}, HistCase{CV_16UC1, 12},
                                           HistCase{CV_16UC3, 10}, HistCase{CV_16UC4, 16}));

TEST(HistogramOracle2D, EqualsTwoChannelCalcHist)
{
    for (uint32_t bits : {8u, 12u}) {
        const cv::Mat src = randomMat(53, 41, bits == 8 ? CV_8UC3 : CV_16UC3, 1 << bits, bits);
        std::vector<uint32_t> bins(256 * 256);
        ASSERT_EQ(CLxPicMemAPI::GetHistogram2DEx(bins.data(), 4, src.data, uint32_t(src.step), 3,
                                                 bits, 2, 0, 1, 1, uint32_t(src.cols),
                                                 uint32_t(src.rows * src.cols)),
                  0);
        cv::Mat hist;
        const int channels[2] = {2, 0};
        const int sizes[2] = {256, 256};
        const float range[2] = {0.f, float(1u << bits)};
        const float* ranges[2] = {range, range};
        cv::calcHist(&src, 1, channels, cv::Mat(), hist, 2, sizes, ranges);
        for (int i = 0; i < 256; ++i)
            for (int j = 0; j < 256; ++j)
                ASSERT_EQ(bins[size_t(i) * 256 + size_t(j)], uint32_t(hist.at<float>(i, j)))
                    << bits << ": " << i << ", " << j;
    }
}

TEST(HistogramOracleDiv, EqualsCalcHistOfFewerBins)
{
    for (uint32_t histBits : {4u, 8u, 11u}) {
        const cv::Mat src = randomMat(61, 33, CV_16UC1, 1 << 14, histBits);
        std::vector<uint64_t> bins(size_t(1) << histBits);
        void* hist[1] = {bins.data()};
        ASSERT_EQ(CLxPicMemAPI::GetHistogramDiv(hist, 8, histBits, src.data, uint32_t(src.step), 1,
                                                14, uint32_t(src.cols),
                                                uint32_t(src.rows * src.cols)),
                  0);
        const std::vector<uint32_t> expected = calcHist1D(src, 1 << histBits, float(1 << 14));
        for (size_t i = 0; i < bins.size(); ++i)
            ASSERT_EQ(bins[i], expected[i]) << histBits << ": " << i;
    }
}

// --- Resampling ----------------------------------------------------------------------

struct Transform {
    double m0, m1, m2, m3, m4, m5;
};

// Rotate's transform about the centres.
Transform turnAbout(double deg, int srcW, int srcH, int dstW, int dstH)
{
    const double a = deg * 0.017453292519943334, c = std::cos(a), s = std::sin(a);
    return {c,
            s,
            -s,
            c,
            srcW / 2.0 + s * dstH / 2.0 - c * dstW / 2.0,
            srcH / 2.0 - c * dstH / 2.0 - s * dstW / 2.0};
}

cv::Mat smoothMat(int rows, int cols)
{
    cv::Mat m(rows, cols, CV_8UC1);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < cols; ++x)
            m.at<uint8_t>(y, x) = uint8_t(128 + 120 * std::sin(x * 0.09) * std::cos(y * 0.05));
    return m;
}

class ResampleOracle : public ::testing::TestWithParam<double>
{
};

TEST_P(ResampleOracle, NearestDiffersInFewPixels)
{
    const cv::Mat src = randomMat(150, 200, CV_8UC3, 256, 3);
    uint32_t dw = 0, dh = 0;
    ASSERT_EQ(CLxPicMemAPI::RotateGetDestSize(&dw, &dh, 200, 150, GetParam()), 0);
    const Transform t = turnAbout(GetParam(), 200, 150, int(dw), int(dh));
    cv::Mat ours(int(dh), int(dw), CV_8UC3);
    const uint8_t background[3] = {1, 2, 3};
    ASSERT_EQ(CLxPicMemAPI::RotateMatrix(ours.data, uint32_t(ours.step), dw, dw * dh, src.data,
                                         uint32_t(src.step), 200, 200 * 150, 3, 8, t.m0, t.m1, t.m2,
                                         t.m3, t.m4, t.m5, background,
                                         CLxPicMemAPI::eLxStretchNearest),
              0);
    const cv::Mat m = (cv::Mat_<double>(2, 3) << t.m0, t.m2, t.m4 - 0.5, t.m1, t.m3, t.m5 - 0.5);
    cv::Mat theirs;
    cv::warpAffine(src, theirs, m, ours.size(), cv::INTER_NEAREST | cv::WARP_INVERSE_MAP,
                   cv::BORDER_CONSTANT, cv::Scalar(1, 2, 3));
    const cv::Mat unequal = ours != theirs;
    cv::Mat differs;
    cv::reduce(unequal.reshape(1, ours.rows * ours.cols), differs, 1, cv::REDUCE_MAX);
    EXPECT_LE(cv::countNonZero(differs), int(dw * dh * 3 / 100));
}

TEST_P(ResampleOracle, BilinearWithinTwoInside)
{
    const cv::Mat src = smoothMat(150, 200);
    uint32_t dw = 0, dh = 0;
    ASSERT_EQ(CLxPicMemAPI::RotateGetDestSize(&dw, &dh, 200, 150, GetParam()), 0);
    const Transform t = turnAbout(GetParam(), 200, 150, int(dw), int(dh));
    cv::Mat ours(int(dh), int(dw), CV_8UC1, cv::Scalar(0));
    ASSERT_EQ(CLxPicMemAPI::RotateMatrix(ours.data, uint32_t(ours.step), dw, dw * dh, src.data,
                                         uint32_t(src.step), 200, 200 * 150, 1, 8, t.m0, t.m1, t.m2,
                                         t.m3, t.m4, t.m5, nullptr,
                                         CLxPicMemAPI::eLxStretchBSpline),
              0);
    const double tx = t.m4 - 0.5 + 0.5 * (t.m0 + t.m2);
    const double ty = t.m5 - 0.5 + 0.5 * (t.m1 + t.m3);
    const cv::Mat m = (cv::Mat_<double>(2, 3) << t.m0, t.m2, tx, t.m1, t.m3, ty);
    cv::Mat theirs;
    cv::warpAffine(src, theirs, m, ours.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP);
    int inside = 0;
    for (int y = 0; y < ours.rows; ++y)
        for (int x = 0; x < ours.cols; ++x) {
            const double sx = t.m0 * x + t.m2 * y + tx, sy = t.m1 * x + t.m3 * y + ty;
            if (sx < 1 || sy < 1 || sx > 200 - 2 || sy > 150 - 2)
                continue;
            ++inside;
            ASSERT_LE(std::abs(int(ours.at<uint8_t>(y, x)) - int(theirs.at<uint8_t>(y, x))), 2)
                << x << ", " << y;
        }
    EXPECT_GT(inside, 10000);
}

INSTANTIATE_TEST_SUITE_P(Angles, ResampleOracle, ::testing::Values(30.0, 45.0, 137.0));

} // namespace
