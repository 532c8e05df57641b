// SmoothSquare against OpenCV's unnormalised box filter divided by the same
// filter of a ones picture (exact), and the 2-D Hilbert transform against
// a double-precision reference built on cv::dft with the directions
// compared in degrees as the operation describes them.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <complex>

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

cv::Mat randomMat(int rows, int cols, int type, int low, int top, uint64_t seed)
{
    cv::Mat m(rows, cols, type);
    cv::RNG rng(seed);
    rng.fill(m, cv::RNG::UNIFORM, low, top);
    return m;
}

TEST(SmoothSquareOracle, EqualsBoxSumsOverBoxCountsTruncated)
{
    struct Case {
        int type, bits, top;
    };
    for (const Case& p :
         {Case{CV_8UC1, 8, 256}, Case{CV_16UC1, 12, 4096}, Case{CV_16UC1, 16, 65536}})
        for (int n : {1, 2, 3, 8, 15, 37}) {
            SCOPED_TRACE(::testing::Message() << p.bits << " bits, size " << n);
            cv::Mat src = randomMat(37, 53, p.type, 0, p.top, uint64_t(n * 7 + p.bits));
            cv::Mat got(src.size(), src.type(), cv::Scalar(0));
            SLxPicBuf s = recordOf(src, uint32_t(p.bits)), d = recordOf(got, uint32_t(p.bits));
            ASSERT_EQ(CLxPicBufAPI::SmoothSquare(&d, &s, n), 0);
            // The box runs from lead = n - n / 2 before to n / 2 - 1 after; a
            // size of 1 is a copy (anchor 0).
            const int lead = n == 1 ? 0 : n - n / 2;
            cv::Mat src64, sums, counts;
            src.convertTo(src64, CV_64F);
            cv::boxFilter(src64, sums, CV_64F, cv::Size(n, n), cv::Point(lead, lead), false,
                          cv::BORDER_CONSTANT);
            cv::boxFilter(cv::Mat::ones(src.size(), CV_64F), counts, CV_64F, cv::Size(n, n),
                          cv::Point(lead, lead), false, cv::BORDER_CONSTANT);
            for (int y = 0; y < src.rows; ++y)
                for (int x = 0; x < src.cols; ++x) {
                    const int64_t want =
                        std::llround(sums.at<double>(y, x)) / std::llround(counts.at<double>(y, x));
                    const int64_t have =
                        p.type == CV_8UC1 ? got.at<uint8_t>(y, x) : got.at<uint16_t>(y, x);
                    ASSERT_EQ(have, want) << x << "," << y;
                }
        }
}

// -1 for -i, 1 for +i, 0 to leave: the direction of (du, dv) in degrees
// plus 180 against angle +- 90 (and those +- 360).
int literalSense(int du, int dv, double angle)
{
    const double a = std::atan2(double(dv), double(du)) * 180.0 / CV_PI + 180.0;
    const double lo = angle - 90.0, hi = angle + 90.0;
    for (double s : {0.0, 360.0, -360.0})
        if (std::fabs(a - (lo + s)) < 0.00001 || std::fabs(a - (hi + s)) < 0.00001)
            return 0;
    for (double s : {0.0, 360.0, -360.0})
        if (a > lo + s && a < hi + s)
            return -1;
    return 1;
}

// The picture centred in the powers of two and repeated periodically, the
// spectrum with exp(+...) (the conjugate of cv::dft's for a real plane),
// multiplied, transformed back with exp(-...) and scaled, the centre cut,
// held to 0 .. top and rounded.
cv::Mat hilbertReference(const cv::Mat& src, double angle, int top)
{
    int W = 1, H = 1;
    while (W < src.cols)
        W *= 2;
    while (H < src.rows)
        H *= 2;
    const int left = (W - src.cols) / 2, up = (H - src.rows) / 2;
    cv::Mat f, tiled, spectrum;
    src.convertTo(f, CV_64F);
    cv::copyMakeBorder(f, tiled, up, H - src.rows - up, left, W - src.cols - left, cv::BORDER_WRAP);
    cv::dft(tiled, spectrum, cv::DFT_COMPLEX_OUTPUT);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            auto& v = spectrum.at<cv::Vec2d>(y, x);
            std::complex<double> g(v[0], -v[1]);
            const int du = (x + W / 2) % W - W / 2, dv = (y + H / 2) % H - H / 2;
            if (du != 0 || dv != 0) {
                const int sense = literalSense(du, dv, angle);
                if (sense != 0)
                    g *= std::complex<double>(0, sense);
            }
            v = cv::Vec2d(g.real(), g.imag());
        }
    cv::Mat back;
    cv::dft(spectrum, back, cv::DFT_SCALE);
    cv::Mat out(src.size(), CV_64F);
    for (int y = 0; y < src.rows; ++y)
        for (int x = 0; x < src.cols; ++x) {
            const double v = back.at<cv::Vec2d>(y + up, x + left)[0];
            out.at<double>(y, x) = std::floor(std::clamp(v, 0.0, double(top)) + 0.5);
        }
    return out;
}

TEST(HilbertOracle, EqualsTheDoublePrecisionSpectrumReference)
{
    for (cv::Size size : {cv::Size(64, 32), cv::Size(50, 21)})
        for (double angle : {0.0, 30.0, 45.0, 90.0, 135.0, 200.0, 333.3, -45.0}) {
            SCOPED_TRACE(::testing::Message() << size << " angle " << angle);
            cv::Mat src = randomMat(size.height, size.width, CV_16UC1, 800, 3200, 17);
            cv::GaussianBlur(src, src, cv::Size(5, 5), 1.2);
            cv::Mat got(src.size(), src.type(), cv::Scalar(0));
            SLxPicBuf s = recordOf(src, 12), d = recordOf(got, 12);
            ASSERT_EQ(CLxPicBufAPI::Hilbert(&d, &s, angle), 0);
            const cv::Mat want = hilbertReference(src, angle < 0 ? angle + 360.0 : angle, 4095);
            for (int y = 0; y < src.rows; ++y)
                for (int x = 0; x < src.cols; ++x)
                    ASSERT_NEAR(double(got.at<uint16_t>(y, x)), want.at<double>(y, x), 1.0)
                        << x << "," << y;
        }
}

} // namespace
