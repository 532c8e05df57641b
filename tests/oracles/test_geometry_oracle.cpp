// General rotation, joint histograms and the rasterisers against OpenCV:
// warpAffine within 2 LSB on smooth pictures and within a pixel at the
// edges, calcHist exactly, line and circle within a pixel with the same end
// points.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <vector>

#include "gnr_picture/LxHisto2D.h"
#include "gnr_picture/LxLineDrawing.h"
#include "gnr_picture/PicBufAPI/LxRotateGeneral.h"

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

// A smooth picture from 32 to the top of its depth minus 32.
cv::Mat smoothMat(int rows, int cols, int type, double top, uint64_t seed)
{
    cv::Mat noise(rows, cols, CV_MAKETYPE(CV_32F, CV_MAT_CN(type)));
    cv::RNG(seed).fill(noise, cv::RNG::UNIFORM, 0.0, 1.0);
    cv::GaussianBlur(noise, noise, cv::Size(0, 0), 4.0, 4.0, cv::BORDER_REPLICATE);
    cv::normalize(noise.reshape(1), noise.reshape(1), 32, top - 32, cv::NORM_MINMAX);
    cv::Mat out;
    noise.convertTo(out, type);
    return out;
}

struct WarpCase {
    int type;
    double degrees;
};

class RotateGeneralVsWarpAffine : public ::testing::TestWithParam<WarpCase>
{
};

TEST_P(RotateGeneralVsWarpAffine, InteriorWithinTwoLsbCoverageWithinAPixel)
{
    const WarpCase p = GetParam();
    const bool eight = CV_MAT_DEPTH(p.type) == CV_8U;
    const uint32_t bits = eight ? 8 : 16;
    cv::Mat src = smoothMat(61, 79, p.type, eight ? 255 : 65535, 17);
    cv::Mat ours(90, 96, p.type, cv::Scalar::all(0)), theirs = ours.clone();
    const SLxDPoint to{47.3, 44.9}, from{38.6, 29.1};
    SLxPicBuf d = recordOf(ours, bits), s = recordOf(src, bits);
    ASSERT_EQ(lxpic::RotateGeneral(&d, &s, to, from, p.degrees), 0);
    const double a = p.degrees * -0.017453292519943334, c = std::cos(a), sn = std::sin(a);
    const cv::Matx23d map(c, sn, from.x - c * to.x - sn * to.y, -sn, c,
                          from.y + sn * to.x - c * to.y);
    cv::warpAffine(src, theirs, map, theirs.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                   cv::BORDER_TRANSPARENT);
    const int channels = src.channels();
    const double W = src.cols, H = src.rows;
    int compared = 0;
    for (int y = 0; y < ours.rows; ++y)
        for (int x = 0; x < ours.cols; ++x) {
            const double u = map(0, 0) * x + map(0, 1) * y + map(0, 2);
            const double v = map(1, 0) * x + map(1, 1) * y + map(1, 2);
            for (int k = 0; k < channels; ++k) {
                const double o = eight ? ours.ptr<uint8_t>(y)[x * channels + k]
                                       : ours.ptr<uint16_t>(y)[x * channels + k];
                const double t = eight ? theirs.ptr<uint8_t>(y)[x * channels + k]
                                       : theirs.ptr<uint16_t>(y)[x * channels + k];
                const bool near = u >= -1 && u <= W && v >= -1 && v <= H;
                const bool deep = u >= 1 && u <= W - 2 && v >= 1 && v <= H - 2;
                if (!near) {
                    ASSERT_EQ(o, 0) << "written outside at " << x << "," << y;
                    ASSERT_EQ(t, 0);
                } else if (deep) {
                    ASSERT_NE(o, 0) << "not written at " << x << "," << y;
                    // 2 LSB at 8 bits, the same share of the range deeper.
                    ASSERT_LE(std::fabs(o - t), eight ? 2.0 : 2.0 * 256) << x << "," << y;
                    ++compared;
                }
            }
        }
    EXPECT_GT(compared, 61 * 79 * channels / 2);
}

INSTANTIATE_TEST_SUITE_P(Turns, RotateGeneralVsWarpAffine,
                         ::testing::Values(WarpCase{CV_8UC1, 30}, WarpCase{CV_8UC1, -47.5},
                                           WarpCase{CV_8UC3, 120}, WarpCase{CV_8UC1, 90},
                                           WarpCase{CV_16UC1, 200}, WarpCase{CV_16UC3, 15}));

TEST(Histo2DVsCalcHist, TwoChannelsExactly)
{
    for (int type : {CV_8UC3, CV_16UC2}) {
        const bool eight = CV_MAT_DEPTH(type) == CV_8U;
        const uint32_t bits = eight ? 8 : 12;
        cv::Mat src(53, 47, type);
        cv::RNG(3).fill(src, cv::RNG::UNIFORM, 0, eight ? 256 : 4096);
        SLxPicBuf s = recordOf(src, bits);
        SLxHisto2D h;
        CLxHisto2DAPI::Init(&h);
        const SLxPicBufDesc desc{s.uiWidth, s.uiHeight, s.uiWidthBytes,
                                 s.uiBpc,   s.uiComps,  s.uiSize};
        ASSERT_EQ(CLxHisto2DAPI::Reinit32(&h, &desc), 0);
        ASSERT_EQ(CLxHisto2DAPI::Calculate(&h, &s, 1, 0, true), 0);
        const int channels[2] = {1, 0};
        const int sizes[2] = {256, 256};
        const float range[2] = {0.f, eight ? 256.f : 4096.f};
        const float* ranges[2] = {range, range};
        cv::Mat hist;
        cv::calcHist(&src, 1, channels, cv::Mat(), hist, 2, sizes, ranges);
        for (int a = 0; a < 256; ++a)
            for (int b = 0; b < 256; ++b)
                ASSERT_EQ(double(CLxHisto2DAPI::GetValue(&h, unsigned(a), unsigned(b))),
                          hist.at<float>(a, b))
                    << a << "," << b;
        CLxHisto2DAPI::Free(&h);
    }
}

using Pixels = std::vector<cv::Point>;

bool collect(int x, int y, void* context)
{
    static_cast<Pixels*>(context)->emplace_back(x, y);
    return true;
}

// The set pixels of a drawing shifted by the offset back into our frame.
Pixels setPixels(const cv::Mat& canvas, cv::Point offset)
{
    Pixels out;
    for (int y = 0; y < canvas.rows; ++y)
        for (int x = 0; x < canvas.cols; ++x)
            if (canvas.at<uint8_t>(y, x))
                out.emplace_back(x - offset.x, y - offset.y);
    return out;
}

bool withinOnePixel(const Pixels& a, const Pixels& b)
{
    for (const cv::Point& p : a) {
        bool found = false;
        for (const cv::Point& q : b)
            if (std::abs(p.x - q.x) <= 1 && std::abs(p.y - q.y) <= 1) {
                found = true;
                break;
            }
        if (!found)
            return false;
    }
    return true;
}

TEST(LineDrawingVsOpenCv, LinesWithinAPixelSameEnds)
{
    const cv::Point offset(100, 100);
    const int ends[][2] = {{17, 5},   {-9, 31}, {40, -40}, {0, 12},
                           {-25, -3}, {7, 7},   {60, 1},   {1, 60}};
    for (const auto& e : ends)
        for (bool four : {false, true}) {
            Pixels ours;
            ASSERT_TRUE(CLxLineDrawingAPI::Line(0, 0, e[0], e[1], four, collect, &ours));
            cv::Mat canvas(220, 220, CV_8UC1, cv::Scalar(0));
            cv::line(canvas, offset, offset + cv::Point(e[0], e[1]), cv::Scalar(255), 1,
                     four ? cv::LINE_4 : cv::LINE_8);
            const Pixels theirs = setPixels(canvas, offset);
            EXPECT_EQ(ours.front(), cv::Point(0, 0));
            EXPECT_EQ(ours.back(), cv::Point(e[0], e[1]));
            EXPECT_TRUE(withinOnePixel(ours, theirs) && withinOnePixel(theirs, ours))
                << e[0] << "," << e[1] << " four " << four;
            if (!four) {
                EXPECT_EQ(ours.size(), theirs.size()) << e[0] << "," << e[1];
            }
        }
}

TEST(LineDrawingVsOpenCv, CirclesWithinAPixel)
{
    const cv::Point offset(150, 150);
    for (int radius : {1, 3, 5, 12, 40, 100})
        for (bool four : {false, true}) {
            Pixels ours;
            ASSERT_TRUE(CLxLineDrawingAPI::Circle(0, 0, radius, four, collect, &ours));
            cv::Mat canvas(300, 300, CV_8UC1, cv::Scalar(0));
            cv::circle(canvas, offset, radius, cv::Scalar(255), 1, four ? cv::LINE_4 : cv::LINE_8);
            const Pixels theirs = setPixels(canvas, offset);
            EXPECT_TRUE(withinOnePixel(ours, theirs) && withinOnePixel(theirs, ours))
                << radius << " four " << four;
        }
}

} // namespace
