// Enlarging a float picture 2x with the triangle filter against OpenCV's
// bilinear resize: the two place their samples alike, so away from the
// border the mean difference stays within 1 % of the value range.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstring>

#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"

TEST(FloatPicBufStretchOracle, TriangleEnlargingIsLinearResize)
{
    cv::RNG rng(34);
    for (auto [w, h] : {std::pair<int, int>{40, 30}, {17, 23}}) {
        // A smooth picture: noise blurred, so that both interpolations see
        // the same shape between samples.
        cv::Mat noise(h, w, CV_32F), src, theirs;
        rng.fill(noise, cv::RNG::UNIFORM, 0.0, 1000.0);
        cv::GaussianBlur(noise, src, cv::Size(5, 5), 1.5, 1.5, cv::BORDER_REFLECT);
        cv::resize(src, theirs, cv::Size(2 * w, 2 * h), 0, 0, cv::INTER_LINEAR);

        SLxFloatPicBuf in{}, out{};
        ASSERT_EQ(CLxFloatPicBufAPI::Reinit(&in, uint32_t(w), uint32_t(h), 0, 1, false), 0);
        ASSERT_EQ(CLxFloatPicBufAPI::Reinit(&out, uint32_t(2 * w), uint32_t(2 * h), 0, 1, true), 0);
        for (int y = 0; y < h; ++y)
            std::memcpy(in.pData + size_t(y) * w, src.ptr<float>(y), size_t(w) * 4);
        ASSERT_EQ(CLxFloatPicBufAPI::Stretch(&out, &in, CLxPicMemAPI::eLxStretchTriangle), 0);

        double lo, hi;
        cv::minMaxLoc(src, &lo, &hi);
        double sum = 0;
        int count = 0;
        for (int y = 2; y < 2 * h - 2; ++y)
            for (int x = 2; x < 2 * w - 2; ++x, ++count)
                sum += std::abs(out.pData[size_t(y) * 2 * w + x] - theirs.at<float>(y, x));
        EXPECT_LE(sum / count, 0.01 * (hi - lo)) << w << "x" << h;
        CLxFloatPicBufAPI::Free(&in);
        CLxFloatPicBufAPI::Free(&out);
    }
}
