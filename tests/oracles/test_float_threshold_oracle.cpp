// Float resampling and value thresholds against OpenCV: nearest against
// cv::resize(INTER_NEAREST), the triangle enlargement against INTER_LINEAR,
// Threshold against cv::inRange with setTo.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cstdint>
#include <vector>

#include "gnr_picture/picmemAPI/LxFloatKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxStretchFilters.h"

namespace
{

cv::Mat randomFloats(int rows, int cols, int channels, cv::RNG& rng)
{
    cv::Mat m(rows, cols, CV_32FC(channels));
    rng.fill(m, cv::RNG::UNIFORM, -1000.0, 1000.0);
    return m;
}

void expectSame(const cv::Mat& a, const cv::Mat& b, double tolerance, const std::string& what)
{
    ASSERT_EQ(a.size(), b.size()) << what;
    EXPECT_LE(cv::norm(a, b, cv::NORM_INF), tolerance) << what;
}

TEST(FloatStretchOracle, NearestMatchesResizeNearest)
{
    cv::RNG rng(29);
    struct Size {
        int w, h, dw, dh;
    };
    const Size sizes[] = {{40, 30, 20, 15}, {40, 30, 10, 10}, {36, 27, 12, 9}, {40, 30, 13, 7},
                          {7, 5, 14, 10},   {7, 5, 28, 15},   {9, 4, 9, 4}};
    for (int comps : {1, 3, 5})
        for (const Size& s : sizes) {
            const cv::Mat src = randomFloats(s.h, s.w, comps, rng);
            cv::Mat expected;
            cv::resize(src, expected, cv::Size(s.dw, s.dh), 0, 0, cv::INTER_NEAREST);
            cv::Mat ours(s.dh, s.dw, CV_32FC(comps));
            auto member = comps == 1   ? stretch_nn_1xfloat
                          : comps == 3 ? stretch_nn_3xfloat
                                       : stretch_nn_Nxfloat;
            ASSERT_EQ(0, member(ours.data, uint32_t(comps), uint32_t(ours.step[0]), s.dw, s.dh,
                                src.data, uint32_t(src.step[0]), s.h, 0, 0, s.w, s.h));
            expectSame(ours, expected, 0.0,
                       std::to_string(comps) + " comps " + std::to_string(s.w) + " to " +
                           std::to_string(s.dw));
        }
}

TEST(FloatStretchOracle, TriangleEnlargingMatchesLinear)
{
    cv::RNG rng(2929);
    for (int comps : {1, 3})
        for (auto [w, h, dw, dh] : {std::tuple{20, 15, 40, 30}, {9, 7, 36, 21}, {16, 16, 24, 40}}) {
            const cv::Mat src = randomFloats(h, w, comps, rng);
            cv::Mat expected;
            cv::resize(src, expected, cv::Size(dw, dh), 0, 0, cv::INTER_LINEAR);
            cv::Mat tmp(h, dw, CV_32FC(comps)), ours(dh, dw, CV_32FC(comps));
            ASSERT_EQ(0, stretch_filter_horz_Nxfloat(tmp.data, comps, uint32_t(tmp.step[0]), dw, h,
                                                     src.data, uint32_t(src.step[0]), h, 0, 0, w, h,
                                                     filter_triangle, 2));
            ASSERT_EQ(0, stretch_filter_vert_Nxfloat(ours.data, comps, uint32_t(ours.step[0]), dw,
                                                     dh, tmp.data, uint32_t(tmp.step[0]), h, 0, 0,
                                                     dw, h, filter_triangle, 2));
            expectSame(ours, expected, 2000.0 * 1e-4, "linear " + std::to_string(dw));
        }
}

struct Depths {
    uint32_t srcBits, dstBits;
};

cv::Mat randomSamples(uint32_t bits, int rows, int cols, cv::RNG& rng)
{
    cv::Mat wide(rows, cols + 3, bits <= 8 ? CV_8U : CV_16U);
    rng.fill(wide, cv::RNG::UNIFORM, 0, double(1u << bits));
    return wide(cv::Rect(0, 0, cols, rows));
}

TEST(ThresholdOracle, MatchesInRangeAndSetTo)
{
    cv::RNG rng(99);
    const Depths depths[] = {{8, 8}, {12, 12}, {16, 16}, {8, 12}, {8, 16}, {12, 8}, {16, 8}};
    for (const Depths& d : depths)
        for (bool inside : {true, false})
            for (bool twoDepths : {false, true}) {
                if (!twoDepths && (d.srcBits > 8) != (d.dstBits > 8))
                    continue;
                const cv::Mat src = randomSamples(d.srcBits, 19, 33, rng);
                cv::Mat dst = randomSamples(d.dstBits, 19, 33, rng);
                const uint32_t top = (1u << d.srcBits) - 1;
                const uint32_t low = top / 5, high = top / 2, value = 0x12345;
                cv::Mat mask;
                cv::inRange(src, cv::Scalar(low), cv::Scalar(high), mask);
                if (!inside)
                    cv::bitwise_not(mask, mask);
                cv::Mat expected = dst.clone();
                expected.setTo(cv::Scalar(d.dstBits <= 8 ? (value & 0xFF) : (value & 0xFFFF)),
                               mask);
                const int rc =
                    twoDepths ? CLxPicMemAPI::Threshold(dst.data, d.dstBits, uint32_t(dst.step[0]),
                                                        src.data, d.srcBits, uint32_t(src.step[0]),
                                                        low, high, inside, value, 33, 19 * 33)
                              : CLxPicMemAPI::Threshold(dst.data, uint32_t(dst.step[0]), src.data,
                                                        d.srcBits, uint32_t(src.step[0]), low, high,
                                                        inside, value, 33, 19 * 33);
                ASSERT_EQ(0, rc);
                EXPECT_EQ(0.0, cv::norm(dst, expected, cv::NORM_INF))
                    << d.srcBits << "->" << d.dstBits << " inside " << inside;
            }
}

} // namespace
