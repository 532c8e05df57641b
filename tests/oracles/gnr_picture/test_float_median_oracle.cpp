// The float median filter against OpenCV's medianBlur (CV_32F, sizes 3 and
// 5) where the window lies wholly inside the picture; OpenCV replicates the
// edges there, while ours clips the window, so the border is left out.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cstring>

#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"

TEST(FloatMedianOracle, InteriorIsMedianBlur)
{
    cv::RNG rng(34);
    for (int size : {3, 5})
        for (auto [w, h] : {std::pair<int, int>{61, 37}, {9, 8}, {5, 5}}) {
            cv::Mat src(h, w, CV_32F), theirs;
            rng.fill(src, cv::RNG::UNIFORM, -1000.0, 1000.0);
            cv::medianBlur(src, theirs, size);

            SLxFloatPicBuf in{}, out{};
            ASSERT_EQ(CLxFloatPicBufAPI::Reinit(&in, uint32_t(w), uint32_t(h), 0, 1, false), 0);
            ASSERT_EQ(CLxFloatPicBufAPI::Reinit(&out, uint32_t(w), uint32_t(h), 0, 1, true), 0);
            for (int y = 0; y < h; ++y)
                std::memcpy(in.pData + size_t(y) * w, src.ptr<float>(y), size_t(w) * 4);
            ASSERT_EQ(CLxFloatPicBufAPI::MedianFilter(&out, &in, uint32_t(size)), 0);
            const int half = size / 2;
            int misses = 0;
            for (int y = half; y < h - half; ++y)
                for (int x = half; x < w - half; ++x)
                    misses += out.pData[size_t(y) * w + x] != theirs.at<float>(y, x);
            EXPECT_EQ(misses, 0) << "size " << size << " " << w << "x" << h;
            CLxFloatPicBufAPI::Free(&in);
            CLxFloatPicBufAPI::Free(&out);
        }
}
