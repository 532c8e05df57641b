// Grey erosion, dilation, their repetition and the chessboard distance map
// of CLxPicBufAPI against OpenCV.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <string>

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

} // namespace
