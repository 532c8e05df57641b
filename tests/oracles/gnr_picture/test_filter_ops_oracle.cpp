// The neighbourhood operations of CLxPicBufAPI against OpenCV, exactly:
// medianBlur, filter2D, blur and Sobel with replicated borders on random
// pictures of odd sizes.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <functional>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace
{

SLxPicBuf recordOf(cv::Mat& m, uint32_t bits)
{
    return SLxPicBuf{uint32_t(m.cols),         uint32_t(m.rows),        uint32_t(m.step),
                     uint8_t(bits),            uint32_t(m.channels()), uint32_t(m.step * m.rows),
                     m.data};
}

cv::Mat randomMat(int rows, int cols, int type, int top, uint64_t seed)
{
    cv::Mat m(rows, cols, type);
    cv::RNG rng(seed);
    rng.fill(m, cv::RNG::UNIFORM, 0, top + 1);
    return m;
}

// A picture format: OpenCV depth, significant bits, components.
struct Format {
    int depth;
    uint32_t bits;
    int comps;
    int type() const { return CV_MAKETYPE(depth, comps); }
    int top() const { return (1 << bits) - 1; }
};

const Format kFormats[] = {{CV_8U, 8, 1}, {CV_16U, 12, 1}, {CV_16U, 16, 1}, {CV_8U, 8, 3}};
const std::pair<int, int> kSizes[] = {{37, 23}, {7, 9}, {5, 5}};

void expectEqualMats(const cv::Mat& ours, const cv::Mat& theirs, const std::string& label)
{
    ASSERT_EQ(ours.size(), theirs.size()) << label;
    cv::Mat diff;
    cv::absdiff(ours.reshape(1), theirs.reshape(1), diff);
    double worst = 0;
    cv::Point where;
    cv::minMaxLoc(diff, nullptr, &worst, nullptr, &where);
    EXPECT_EQ(worst, 0) << label << " at " << where;
}

// Runs op over a fresh destination of the source's format.
cv::Mat run(const cv::Mat& src, uint32_t bits,
            const std::function<int(SLxPicBuf*, const SLxPicBuf*)>& op)
{
    cv::Mat in = src.clone(), out(src.size(), src.type(), cv::Scalar::all(0));
    SLxPicBuf s = recordOf(in, bits), d = recordOf(out, bits);
    EXPECT_EQ(op(&d, &s), 0);
    return out;
}

TEST(FilterOpsOracle, MedianIsMedianBlur)
{
    for (const Format& f : kFormats)
        for (auto [w, h] : kSizes) {
            const cv::Mat src = randomMat(h, w, f.type(), f.top(), 7 + w);
            cv::Mat theirs;
            cv::medianBlur(src, theirs, 3);
            expectEqualMats(run(src, f.bits, CLxPicBufAPI::Median), theirs, "median");
        }
}

TEST(FilterOpsOracle, SharpenIsFilter2DWithSharp)
{
    const cv::Mat sharp = (cv::Mat_<float>(3, 3) << 0, -1, 0, -1, 5, -1, 0, -1, 0);
    for (const Format& f : kFormats) {
        if (f.bits != 8 && f.bits != 16)
            continue; // OpenCV holds results to the sample width
        for (auto [w, h] : kSizes) {
            const cv::Mat src = randomMat(h, w, f.type(), f.top(), 3 + h);
            cv::Mat theirs;
            cv::filter2D(src, theirs, -1, sharp, cv::Point(-1, -1), 0, cv::BORDER_REPLICATE);
            expectEqualMats(run(src, f.bits, CLxPicBufAPI::Sharpen), theirs, "sharpen");
        }
    }
}

TEST(FilterOpsOracle, SharpenSlightlyInteriorIsHalfTheSixFoldFilter)
{
    const cv::Mat six = (cv::Mat_<double>(3, 3) << 0, -1, 0, -1, 6, -1, 0, -1, 0);
    for (const Format& f : kFormats)
        for (auto [w, h] : kSizes) {
            const cv::Mat src = randomMat(h, w, f.type(), f.top(), 5 + w);
            cv::Mat sums;
            cv::filter2D(src, sums, CV_64F, six, cv::Point(-1, -1), 0, cv::BORDER_REPLICATE);
            cv::Mat theirs(src.size(), src.type());
            sums = sums.reshape(1);
            cv::Mat flat = theirs.reshape(1);
            for (int y = 0; y < sums.rows; ++y)
                for (int x = 0; x < sums.cols; ++x) {
                    const int64_t v =
                        std::clamp<int64_t>(std::llround(sums.at<double>(y, x)) >> 1, 0, f.top());
                    if (f.depth == CV_8U)
                        flat.at<uint8_t>(y, x) = uint8_t(v);
                    else
                        flat.at<uint16_t>(y, x) = uint16_t(v);
                }
            const cv::Mat ours = run(src, f.bits, CLxPicBufAPI::SharpenSlightly);
            const cv::Rect inside(1, 1, w - 2, h - 2);
            expectEqualMats(ours(inside), theirs(inside), "sharpen slightly");
        }
}

TEST(FilterOpsOracle, SquareSmoothingIsBlur)
{
    std::vector<std::pair<std::string, SLxKernel*>> kernels = {
        {"Square3", &CLxPicBufAPI::Square3}, {"Square5", &CLxPicBufAPI::Square5}};
    auto smooth3 = std::make_unique<SLxKernel>(CLxPicBufAPI::Square3);
    std::u16string name = u"Smooth3";
    std::copy(name.begin(), name.end() + 1, smooth3->wszName);
    kernels.push_back({"Smooth3", smooth3.get()});
    auto seven = std::make_unique<SLxKernel>(CLxPicBufAPI::Square3);
    seven->uiNRows = seven->uiNCols = 7;
    seven->uiCenterRow = seven->uiCenterCol = 3;
    std::fill_n(seven->iValues, 49, 1);
    std::fill_n(seven->ubMask, 49, 1);
    kernels.push_back({"7x7", seven.get()});
    for (const auto& [label, k] : kernels)
        for (const Format& f : kFormats)
            for (auto [w, h] : kSizes) {
                if (int(k->uiNRows) > std::min(w, h))
                    continue;
                const cv::Mat src = randomMat(h, w, f.type(), f.top(), 11 + h);
                cv::Mat theirs;
                cv::blur(src, theirs, cv::Size(int(k->uiNCols), int(k->uiNRows)),
                         cv::Point(-1, -1), cv::BORDER_REPLICATE);
                const SLxKernel* kernel = k; // a structured binding is not capturable in C++17
                const auto ours = run(src, f.bits, [&](SLxPicBuf* d, const SLxPicBuf* s) {
                    return CLxPicBufAPI::Smooth(d, s, kernel);
                });
                expectEqualMats(ours, theirs, label);
            }
}

// filter2D's sums, rounded to integers, divided and held as the convolutions
// do (signedRange: the biased signed form).
cv::Mat convolvedByOpenCV(const cv::Mat& src, const SLxKernel& k, int32_t divisor, uint32_t bits,
                          bool signedRange)
{
    cv::Mat kernel(int(k.uiNRows), int(k.uiNCols), CV_64F);
    int64_t n = 0;
    for (uint32_t e = 0; e < k.uiNRows * k.uiNCols; ++e) {
        kernel.at<double>(int(e / k.uiNCols), int(e % k.uiNCols)) = k.ubMask[e] ? k.iValues[e] : 0;
        n += k.ubMask[e] != 0;
    }
    cv::Mat sums;
    cv::filter2D(src, sums, CV_64F, kernel, cv::Point(int(k.uiCenterCol), int(k.uiCenterRow)), 0,
                 cv::BORDER_REPLICATE);
    const int64_t d = divisor != 0 ? int64_t(divisor) : (n ? n : 1);
    const int64_t top = (int64_t(1) << bits) - 1, half = int64_t(1) << (bits - 1);
    cv::Mat out(src.size(), src.type());
    cv::Mat flatSums = sums.reshape(1), flat = out.reshape(1);
    for (int y = 0; y < flat.rows; ++y)
        for (int x = 0; x < flat.cols; ++x) {
            int64_t v = std::llround(flatSums.at<double>(y, x));
            if (d != 1)
                v = (v + d / 2) / d;
            v = signedRange ? std::clamp(v, -half, half - 1) + half : std::clamp<int64_t>(v, 0, top);
            if (src.depth() == CV_8U)
                flat.at<uint8_t>(y, x) = uint8_t(v);
            else
                flat.at<uint16_t>(y, x) = uint16_t(v);
        }
    return out;
}

struct ConvolutionCase {
    const char* label;
    const SLxKernel* kernel;
    int32_t divisor;
};

TEST(FilterOpsOracle, ConvolutionsAreFilter2D)
{
    auto odd = std::make_unique<SLxKernel>();
    *odd = SLxKernel{};
    odd->uiNRows = 3;
    odd->uiNCols = 4;
    odd->uiCenterRow = 0;
    odd->uiCenterCol = 3;
    const int32_t values[12] = {1, 2, 0, -3, 4, 0, 1, 1, -1, 2, 3, 0};
    for (int e = 0; e < 12; ++e) {
        odd->iValues[e] = values[e];
        odd->ubMask[e] = values[e] != 0;
    }
    const ConvolutionCase cases[] = {
        {"Oct4", &CLxPicBufAPI::Oct4, 0},
        {"Square2", &CLxPicBufAPI::Square2, 0},
        {"Laplace4", &CLxPicBufAPI::Laplace4, 1},
        {"Square3", &CLxPicBufAPI::Square3, 0},
        {"DetectEdge", &CLxPicBufAPI::DetectEdge, 3},
        {"PelvanFilter", &CLxPicBufAPI::PelvanFilter, 7},
        {"3x4 at (0,3)", odd.get(), 5},
    };
    auto unit = std::make_unique<SLxKernel>();
    for (const ConvolutionCase& c : cases)
        for (const Format& f : kFormats)
            for (auto [w, h] : kSizes) {
                const std::string label = std::string(c.label) + " " + std::to_string(f.bits) +
                                          "x" + std::to_string(f.comps) + " " +
                                          std::to_string(w) + "x" + std::to_string(h);
                const cv::Mat src = randomMat(h, w, f.type(), f.top(), 17 + w * h);
                const auto convolution = [&](SLxPicBuf* d, const SLxPicBuf* s) {
                    return CLxPicBufAPI::Convolution(d, s, c.kernel, c.divisor);
                };
                const auto signedConvolution = [&](SLxPicBuf* d, const SLxPicBuf* s) {
                    return CLxPicBufAPI::ConvolutionEx(d, s, c.kernel, c.divisor);
                };
                const auto smooth = [&](SLxPicBuf* d, const SLxPicBuf* s) {
                    return CLxPicBufAPI::Smooth(d, s, c.kernel);
                };
                expectEqualMats(run(src, f.bits, convolution),
                                convolvedByOpenCV(src, *c.kernel, c.divisor, f.bits, false),
                                "Convolution " + label);
                expectEqualMats(run(src, f.bits, signedConvolution),
                                convolvedByOpenCV(src, *c.kernel, c.divisor, f.bits, true),
                                "ConvolutionEx " + label);
                // A full odd centred square (PelvanFilter) smooths by the plain mean.
                SLxKernel& mean = *unit;
                mean = *c.kernel;
                bool full = mean.uiNRows == mean.uiNCols && mean.uiNRows % 2 == 1 &&
                            mean.uiCenterRow == mean.uiNRows / 2 &&
                            mean.uiCenterCol == mean.uiNCols / 2;
                for (uint32_t e = 0; e < mean.uiNRows * mean.uiNCols; ++e)
                    full = full && mean.ubMask[e];
                if (full)
                    std::fill_n(mean.iValues, mean.uiNRows * mean.uiNCols, 1);
                expectEqualMats(run(src, f.bits, smooth),
                                convolvedByOpenCV(src, mean, 0, f.bits, false),
                                "Smooth " + label);
            }
}

TEST(FilterOpsOracle, EdgesDetectIsTheSobelMagnitude)
{
    for (const Format& f : kFormats)
        for (auto [w, h] : kSizes) {
            const cv::Mat src = randomMat(h, w, f.type(), f.top(), 23 + w);
            cv::Mat gx, gy;
            cv::Sobel(src, gx, CV_64F, 1, 0, 3, 1, 0, cv::BORDER_REPLICATE);
            cv::Sobel(src, gy, CV_64F, 0, 1, 3, 1, 0, cv::BORDER_REPLICATE);
            cv::Mat magnitude = cv::abs(gx) + cv::abs(gy);
            cv::Mat theirs;
            cv::min(magnitude, double(f.top()), magnitude);
            magnitude.convertTo(theirs, src.type());
            expectEqualMats(run(src, f.bits, CLxPicBufAPI::EdgesDetect), theirs, "edges");
        }
}

} // namespace
