// The grey filter workers and the histogram record against OpenCV:
// morphology, convolution, gradients, box means and histograms exactly, the
// local contrast envelopes within a tolerance.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "gnr_picture/LxHisto.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

namespace
{

// A record over the matrix's own memory.
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

struct KernelSpec {
    const char* label;
    int rows, cols, cR, cC;
    std::vector<int> values;
    std::u16string name;
};

std::unique_ptr<SLxKernel> kernelOf(const KernelSpec& s)
{
    auto k = std::make_unique<SLxKernel>();
    *k = SLxKernel{};
    std::copy(s.name.begin(), s.name.end(), k->wszName);
    k->uiNRows = uint32_t(s.rows);
    k->uiNCols = uint32_t(s.cols);
    k->uiCenterRow = uint32_t(s.cR);
    k->uiCenterCol = uint32_t(s.cC);
    for (size_t i = 0; i < s.values.size(); ++i) {
        k->iValues[i] = s.values[i];
        k->ubMask[i] = s.values[i] != 0;
    }
    return k;
}

cv::Mat maskOf(const KernelSpec& s)
{
    cv::Mat m(s.rows, s.cols, CV_8U);
    for (int i = 0; i < s.rows * s.cols; ++i)
        m.at<uint8_t>(i / s.cols, i % s.cols) = s.values[size_t(i)] != 0;
    return m;
}

std::vector<int> ones(int n)
{
    return std::vector<int>(size_t(n), 1);
}

const std::vector<KernelSpec>& morphKernels()
{
    static const std::vector<KernelSpec> k = {
        {"Square3", 3, 3, 1, 1, ones(9), u""},
        {"Square5", 5, 5, 2, 2, ones(25), u""},
        {"Square21", 21, 21, 10, 10, ones(441), u""},
        {"Cross3", 3, 3, 1, 1, {0, 1, 0, 1, 1, 1, 0, 1, 0}, u""},
        {"Lin_45", 3, 3, 1, 1, {0, 0, 1, 0, 1, 0, 1, 0, 0}, u""},
        {"Oct4", 4, 4, 1, 1, {0, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 0}, u"Oct4"},
        {"Square2", 2, 2, 0, 0, ones(4), u"Smooth2"},
        {"Mask3x5", 3, 5, 0, 3, {1, 0, 1, 1, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 1}, u""},
    };
    return k;
}

struct PictureSpec {
    int type, top, rows, cols;
    uint32_t bits;
};

const PictureSpec kPictures[] = {
    {CV_8UC1, 256, 53, 71, 8},
    {CV_8UC3, 256, 29, 33, 8},
    {CV_16UC1, 4096, 41, 37, 12},
    {CV_16UC1, 65536, 23, 45, 16},
};

using Worker = int (*)(SLxPicBuf*, const SLxPicBuf*, const SLxKernel*);

Worker memberFor(const SLxKernel& k, bool erode, bool eight)
{
    if (KernelNameIs(&k, u"Smooth2"))
        return eight ? (erode ? Erode_Smooth2_8 : Dilate_Smooth2_8)
                     : (erode ? Erode_Smooth2_16 : Dilate_Smooth2_16);
    if (KernelNameIs(&k, u"Oct4"))
        return eight ? (erode ? Erode_Oct4_8 : Dilate_Oct4_8)
                     : (erode ? Erode_Oct4_16 : Dilate_Oct4_16);
    if (IsFullSquareKernel(&k) && erode)
        return eight ? Erode_Square_8 : Erode_Square_16;
    if (IsFullSquareKernel(&k))
        return eight ? [](SLxPicBuf* d, const SLxPicBuf* s,
                          const SLxKernel* k) { return Dilate_Square_8(d, s, k, 255); }
                     : [](SLxPicBuf* d, const SLxPicBuf* s, const SLxKernel* k) {
                           return Dilate_Square_16(d, s, k, 65535);
                       };
    return eight ? (erode ? Erode_General_8 : Dilate_General_8)
                 : (erode ? Erode_General_16 : Dilate_General_16);
}

class MorphologyOracle : public ::testing::TestWithParam<std::tuple<size_t, size_t>>
{
};

TEST_P(MorphologyOracle, EqualsErodeAndDilateWithReplicatedBorders)
{
    const KernelSpec& spec = morphKernels()[std::get<0>(GetParam())];
    const PictureSpec& p = kPictures[std::get<1>(GetParam())];
    cv::Mat src = randomMat(p.rows, p.cols, p.type, p.top, 11);
    const auto k = kernelOf(spec);
    SLxPicBuf s = recordOf(src, p.bits);
    for (bool erode : {true, false}) {
        cv::Mat want;
        if (erode)
            cv::erode(src, want, maskOf(spec), cv::Point(spec.cC, spec.cR), 1,
                      cv::BORDER_REPLICATE);
        else
            cv::dilate(src, want, maskOf(spec), cv::Point(spec.cC, spec.cR), 1,
                       cv::BORDER_REPLICATE);
        cv::Mat got(src.size(), src.type(), cv::Scalar::all(0));
        SLxPicBuf d = recordOf(got, p.bits);
        ASSERT_EQ(memberFor(*k, erode, p.bits == 8)(&d, &s, k.get()), 0);
        EXPECT_EQ(cv::norm(got, want, cv::NORM_INF), 0.0)
            << spec.label << (erode ? " erode" : " dilate");
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, MorphologyOracle,
                         ::testing::Combine(::testing::Range<size_t>(0, 8),
                                            ::testing::Range<size_t>(0, 4)));

// filter2D in doubles, then the divisor, rounding and clamp (or offset).
cv::Mat weightedSums(const cv::Mat& src, const KernelSpec& spec)
{
    cv::Mat kernel(spec.rows, spec.cols, CV_64F);
    for (int i = 0; i < spec.rows * spec.cols; ++i)
        kernel.at<double>(i / spec.cols, i % spec.cols) = spec.values[size_t(i)];
    cv::Mat src64, sums;
    src.convertTo(src64, CV_64F);
    cv::filter2D(src64, sums, CV_64F, kernel, cv::Point(spec.cC, spec.cR), 0, cv::BORDER_REPLICATE);
    return sums;
}

TEST(ConvolutionOracle, EqualsFilter2DWithTheDivisorRule)
{
    const std::vector<std::pair<KernelSpec, int>> kernels = {
        {{"Square3", 3, 3, 1, 1, ones(9), u""}, 0},
        {{"Laplace8", 3, 3, 1, 1, {-1, -1, -1, -1, 8, -1, -1, -1, -1}, u""}, 1},
        {{"Pelvan",
          5,
          5,
          2,
          2,
          {-2, -1, -1, -1, -2, -1, 2,  2,  2,  -1, -1, 2, 5,
           2,  -1, -1, 2,  2,  2,  -1, -2, -1, -1, -1, -2},
          u""},
         3},
        {{"3x5", 3, 5, 0, 3, {2, 0, -3, 1, 0, 0, 4, 0, 0, -1, 1, 0, 0, 5, 1}, u""}, -4},
        {{"Square15", 15, 15, 7, 7, ones(225), u""}, 0},
    };
    for (const auto& [spec, divisor] : kernels)
        for (const PictureSpec& p : kPictures) {
            cv::Mat src = randomMat(p.rows, p.cols, p.type, p.top, 5);
            const auto k = kernelOf(spec);
            SLxPicBuf s = recordOf(src, p.bits);
            cv::Mat u(src.size(), src.type()), g(src.size(), src.type());
            SLxPicBuf du = recordOf(u, p.bits), dg = recordOf(g, p.bits);
            const bool eight = p.bits == 8;
            const int64_t top = (int64_t(1) << p.bits) - 1;
            const int64_t lo = -(int64_t(1) << (p.bits - 1)), hi = -lo - 1;
            const uint32_t flip = eight ? 0x80 : 0x8000;
            const uint32_t shift = uint32_t(lo + (eight ? 128 : 32768));
            if (eight) {
                ASSERT_EQ(ConvolveInterior_8(&du, &s, k.get(), divisor, uint32_t(top)), 0);
                ASSERT_EQ(Convolve_8(&du, &s, k.get(), divisor, uint32_t(top)), 0);
                ASSERT_EQ(ConvolveSignedInterior_8(&dg, &s, k.get(), divisor, int32_t(lo),
                                                   int32_t(hi), flip, shift),
                          0);
                ASSERT_EQ(ConvolveSigned_8(&dg, &s, k.get(), divisor, int32_t(lo), int32_t(hi),
                                           flip, shift),
                          0);
            } else {
                ASSERT_EQ(ConvolveInterior_16(&du, &s, k.get(), divisor, uint32_t(top)), 0);
                ASSERT_EQ(Convolve_16(&du, &s, k.get(), divisor, uint32_t(top)), 0);
                ASSERT_EQ(ConvolveSignedInterior_16(&dg, &s, k.get(), divisor, int32_t(lo),
                                                    int32_t(hi), flip, shift),
                          0);
                ASSERT_EQ(ConvolveSigned_16(&dg, &s, k.get(), divisor, int32_t(lo), int32_t(hi),
                                            flip, shift),
                          0);
            }
            const cv::Mat sums = weightedSums(src, spec);
            int64_t count = 0;
            for (int v : spec.values)
                count += v != 0;
            const int64_t d = divisor != 0 ? divisor : count;
            const int ch = src.channels();
            for (int y = 0; y < src.rows; ++y)
                for (int i = 0; i < src.cols * ch; ++i) {
                    int64_t v = int64_t(std::llround(sums.ptr<double>(y)[i]));
                    if (d != 1)
                        v = (v + d / 2) / d;
                    const int64_t wantU = std::clamp(v, int64_t(0), top);
                    const int64_t wantS = std::clamp(v, lo, hi) - lo;
                    const int64_t gotU = eight ? u.ptr<uint8_t>(y)[i] : u.ptr<uint16_t>(y)[i];
                    const int64_t gotS = eight ? g.ptr<uint8_t>(y)[i] : g.ptr<uint16_t>(y)[i];
                    ASSERT_EQ(gotU, wantU)
                        << spec.label << " " << p.bits << " at " << i << "," << y;
                    ASSERT_EQ(gotS, wantS)
                        << spec.label << " " << p.bits << " at " << i << "," << y;
                }
        }
}

TEST(EdgesOracle, EqualsSobelMagnitude)
{
    const auto k = kernelOf({"DetectEdge", 3, 3, 1, 1, {-1, -2, 1, -2, 0, 2, -1, 2, 1}, u""});
    for (const PictureSpec& p : kPictures) {
        cv::Mat src = randomMat(p.rows, p.cols, p.type, p.top, 3);
        cv::Mat got(src.size(), src.type());
        SLxPicBuf s = recordOf(src, p.bits), d = recordOf(got, p.bits);
        const uint32_t top = (1u << p.bits) - 1;
        if (p.bits == 8) {
            ASSERT_EQ(EdgesDetectInterior_8(&d, &s, k.get(), top), 0);
            ASSERT_EQ(EdgesDetect_8(&d, &s, k.get(), top), 0);
        } else {
            ASSERT_EQ(EdgesDetectInterior_16(&d, &s, k.get(), top), 0);
            ASSERT_EQ(EdgesDetect_16(&d, &s, k.get(), top), 0);
        }
        cv::Mat gx, gy, want;
        cv::Sobel(src, gx, CV_64F, 1, 0, 3, 1, 0, cv::BORDER_REPLICATE);
        cv::Sobel(src, gy, CV_64F, 0, 1, 3, 1, 0, cv::BORDER_REPLICATE);
        want = cv::min(cv::abs(gx) + cv::abs(gy), double(top));
        cv::Mat got64;
        got.convertTo(got64, CV_64F);
        EXPECT_EQ(cv::norm(got64, want, cv::NORM_INF), 0.0) << p.bits;
    }
}

TEST(BoxOracle, EqualsBoxSumsOverTheClippedCount)
{
    for (const PictureSpec& p : kPictures) {
        if (p.type != CV_8UC1 && p.type != CV_16UC1)
            continue;
        for (int n : {2, 3, 8, 15}) {
            cv::Mat src = randomMat(p.rows, p.cols, p.type, p.top, uint64_t(n));
            cv::Mat got(src.size(), src.type());
            SLxPicBuf s = recordOf(src, p.bits), d = recordOf(got, p.bits);
            ASSERT_EQ((p.bits == 8 ? smoothsquare_box_8 : smoothsquare_box_16)(&d, &s, n), 0);
            const int lead = n - n / 2;
            cv::Mat src64, sums, counts;
            src.convertTo(src64, CV_64F);
            cv::boxFilter(src64, sums, CV_64F, cv::Size(n, n), cv::Point(lead, lead), false,
                          cv::BORDER_CONSTANT);
            cv::boxFilter(cv::Mat::ones(src.size(), CV_64F), counts, CV_64F, cv::Size(n, n),
                          cv::Point(lead, lead), false, cv::BORDER_CONSTANT);
            for (int y = 0; y < src.rows; ++y)
                for (int x = 0; x < src.cols; ++x) {
                    const int64_t want = int64_t(std::llround(sums.at<double>(y, x))) /
                                         int64_t(std::llround(counts.at<double>(y, x)));
                    const int64_t have =
                        p.bits == 8 ? got.at<uint8_t>(y, x) : got.at<uint16_t>(y, x);
                    ASSERT_EQ(have, want) << n << " at " << x << "," << y;
                }
        }
    }
}

TEST(HistogramRecordOracle, EqualsCalcHistWithAndWithoutMask)
{
    for (const PictureSpec& p : kPictures) {
        cv::Mat src = randomMat(p.rows, p.cols, p.type, p.top, 21);
        cv::Mat mask = randomMat(p.rows, p.cols, CV_8UC1, 2, 22);
        SLxPicBuf s = recordOf(src, p.bits), m = recordOf(mask, 8);
        std::vector<cv::Mat> planes;
        cv::split(src, planes);
        for (bool masked : {false, true}) {
            SLxHisto h;
            CLxHistoAPI::Init(&h);
            const SLxPicBufDesc desc{s.uiWidth, s.uiHeight, s.uiWidthBytes,
                                     s.uiBpc,   s.uiComps,  s.uiSize};
            ASSERT_EQ(CLxHistoAPI::Reinit64(&h, &desc), 0);
            ASSERT_EQ(masked ? CLxHistoAPI::CalculateUnderBinary(&h, &s, &m, true)
                             : CLxHistoAPI::Calculate(&h, &s, true),
                      0);
            const int bins = 1 << p.bits;
            for (size_t c = 0; c < planes.size(); ++c) {
                cv::Mat hist;
                const int channels[1] = {0};
                const int sizes[1] = {bins};
                const float range[2] = {0.f, float(bins)};
                const float* ranges[1] = {range};
                cv::calcHist(&planes[c], 1, channels, masked ? mask : cv::Mat(), hist, 1, sizes,
                             ranges);
                uint64_t total = 0;
                for (int j = 0; j < bins; ++j) {
                    ASSERT_EQ(CLxHistoAPI::GetValue(&h, unsigned(c), unsigned(j)),
                              uint64_t(hist.at<float>(j)))
                        << p.bits << " comp " << c << " bin " << j;
                    total += uint64_t(hist.at<float>(j));
                }
                // The cumulative searches against the running sum.
                unsigned low[4] = {}, high[4] = {};
                const unsigned quarter = unsigned(total / 4);
                ASSERT_EQ(CLxHistoAPI::GetLowHighAbs(&h, low, high, quarter, quarter), 0);
                uint64_t run = 0;
                int j = 0;
                for (; j < bins; ++j)
                    if ((run += uint64_t(hist.at<float>(j))) >= quarter)
                        break;
                EXPECT_EQ(low[c], unsigned(std::min(j, bins - 1)));
            }
            CLxHistoAPI::Free(&h);
        }
    }
}

// The mapping over exact envelopes: the n x n minimum and maximum of the
// window the tailed envelopes cover. The envelopes are exact on every
// fourth column and row and interpolated between, so the difference grows
// with the field's curvature in sample steps.
TEST(LocalContrastOracle, CloseToTheMappingOverExactEnvelopes)
{
    struct Field {
        int type, levels, rows, cols;
        uint32_t bits;
        double sigma, lsb; // blur; the tolerance's unit in samples
    };
    const Field fields[] = {
        {CV_8UC1, 256, 97, 131, 8, 25.0, 1.0},
        // Smooth at its own depth: a 12-bit camera's range, widely blurred.
        {CV_16UC1, 4096, 257, 321, 16, 60.0, 1.0},
        // The 8-bit field stretched over 256 times the steps: 256 times the
        // difference.
        {CV_16UC1, 65536, 97, 131, 16, 25.0, 256.0},
    };
    for (const Field& p : fields) {
        cv::Mat noise = randomMat(p.rows, p.cols, CV_64F, p.levels - 1, 31), smooth, src;
        cv::GaussianBlur(noise, smooth, cv::Size(0, 0), p.sigma);
        cv::normalize(smooth, smooth, 0, p.levels - 1, cv::NORM_MINMAX);
        smooth.convertTo(src, p.type);
        const int n = 8;
        const double amount = 1.5;
        cv::Mat got(src.size(), src.type());
        SLxPicBuf s = recordOf(src, p.bits), d = recordOf(got, p.bits);
        ASSERT_EQ((p.bits == 8 ? localcontrast_tailed_8 : localcontrast_tailed_16)(&d, &s, n,
                                                                                   amount, false),
                  0);
        cv::Mat lo, hi;
        const cv::Mat box = cv::Mat::ones(n, n, CV_8U);
        cv::erode(src, lo, box, cv::Point(n / 2 - 1, n / 2), 1, cv::BORDER_REPLICATE);
        cv::dilate(src, hi, box, cv::Point(n / 2 - 1, n / 2), 1, cv::BORDER_REPLICATE);
        const int64_t gain = int64_t(amount * 1024), top = (int64_t(1) << p.bits) - 1;
        std::vector<double> diffs;
        for (int y = 0; y < src.rows; ++y)
            for (int x = 0; x < src.cols; ++x) {
                const auto at = [&](const cv::Mat& m) {
                    return int64_t(p.bits == 8 ? m.at<uint8_t>(y, x) : m.at<uint16_t>(y, x));
                };
                const int64_t mid = (at(lo) + at(hi)) >> 1;
                const int64_t want =
                    std::clamp((((at(src) - mid) * gain) >> 10) + mid, int64_t(0), top);
                diffs.push_back(std::abs(double(at(got) - want)));
            }
        std::sort(diffs.begin(), diffs.end());
        double mean = 0;
        for (double v : diffs)
            mean += v;
        mean /= double(diffs.size());
        const double p99 = diffs[size_t(double(diffs.size()) * 0.99)];
        EXPECT_LE(mean, 1.0 * p.lsb) << p.bits << " bits, " << p.levels << " levels";
        EXPECT_LE(p99, 3.0 * p.lsb) << p.bits << " bits, " << p.levels << " levels";
        std::printf("local contrast %u bits over %d levels: mean |diff| %.3f, 99th %.1f\n",
                    p.bits, p.levels, mean, p99);
    }
}

} // namespace
