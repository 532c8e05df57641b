// The direct kernel-matrix convolution of sample pictures against OpenCV:
// filter2D in float with replicated borders (a correlation, as ours), then
// rounded half up and held to the depth. Float sums in another order may
// land on the other side of a .5 tie, so there 1 step is allowed.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <vector>

#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"

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

double stored(double v, double top)
{
    return std::min(std::max(std::trunc(v + 0.5), 0.0), top);
}

struct Case {
    int depth;
    uint32_t bits;
    int comps, k, divisorKind; // 0: the sum, 1: 1, 2: 0 (counts as 1)
};

} // namespace

TEST(FloatKernelConvolutionOracle, DirectIsFilter2D)
{
    const Case cases[] = {{CV_8U, 8, 1, 3, 0},   {CV_8U, 8, 3, 5, 0},    {CV_16U, 12, 1, 7, 0},
                          {CV_16U, 12, 3, 9, 0}, {CV_8U, 8, 1, 11, 1},   {CV_16U, 12, 1, 13, 2},
                          {CV_8U, 8, 3, 15, 0},  {CV_16U, 12, 3, 15, 0}, {CV_8U, 8, 1, 3, 2}};
    cv::RNG rng(34);
    for (const Case& c : cases)
        for (auto [w, h] : {std::pair<int, int>{53, 41}, {9, 7}, {4, 3}}) {
            const double top = double((1 << c.bits) - 1);
            cv::Mat src(h, w, CV_MAKETYPE(c.depth, c.comps));
            rng.fill(src, cv::RNG::UNIFORM, 0, top + 1);
            SLxKernelMatrix kernel;
            ASSERT_EQ(SLxKernelMatrix::Alloc(&kernel, c.k, c.k), 0);
            int64_t sum = 0;
            for (int i = 0; i < c.k * c.k; ++i)
                sum += kernel.piValues[i] = rng.uniform(-3, 11);
            kernel.iDivisor = c.divisorKind == 0   ? int32_t(std::max<int64_t>(sum, 1))
                              : c.divisorKind == 1 ? 1
                                                   : 0;
            const double divisor = kernel.iDivisor ? kernel.iDivisor : 1;
            cv::Mat weights(c.k, c.k, CV_32F);
            for (int i = 0; i < c.k * c.k; ++i)
                weights.at<float>(i / c.k, i % c.k) = float(kernel.piValues[i] / divisor);

            cv::Mat srcF, theirs;
            src.convertTo(srcF, CV_MAKETYPE(CV_32F, c.comps));
            cv::filter2D(srcF, theirs, CV_32F, weights, cv::Point(-1, -1), 0, cv::BORDER_REPLICATE);

            cv::Mat in = src.clone(), out(src.size(), src.type(), cv::Scalar::all(0));
            SLxPicBuf s = recordOf(in, c.bits), d = recordOf(out, c.bits);
            ASSERT_EQ(CLxFloatPicBufAPI::Convolution(&d, &s, &kernel, false), 0);

            const cv::Mat oursFlat = out.reshape(1), theirsFlat = theirs.reshape(1);
            cv::Mat ours64;
            oursFlat.convertTo(ours64, CV_64F);
            int exactMisses = 0, tieSteps = 0;
            for (int y = 0; y < oursFlat.rows; ++y)
                for (int x = 0; x < oursFlat.cols; ++x) {
                    const double f = theirsFlat.at<float>(y, x);
                    const double diff = std::abs(ours64.at<double>(y, x) - stored(f, top));
                    const double fromTie = std::abs(f + 0.5 - std::round(f + 0.5));
                    if (diff == 0)
                        continue;
                    if (diff == 1 && fromTie < 1e-2)
                        ++tieSteps;
                    else
                        ++exactMisses;
                }
            EXPECT_EQ(exactMisses, 0) << "bits " << c.bits << " comps " << c.comps << " k " << c.k
                                      << " " << w << "x" << h;
            EXPECT_LE(tieSteps, w * h * c.comps / 50 + 1) << "k " << c.k;
        }
}
