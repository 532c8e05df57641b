// The neighbourhood operations of CLxPicBufAPI on 2048 x 2048 frames of 8
// and 16 bits (12 significant), side by side with OpenCV (medianBlur, blur,
// filter2D, sepFilter2D) on one thread, and libvips (rank, conv) doing the
// same work. Items are pixels. Where the peer's result is exact, it is
// compared with ours once before timing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace
{

using bench::kCvSide;
using bench::kSide;

std::vector<uint8_t> textured(uint32_t bytes)
{
    return bench::texturedFrame(1, bytes, 4242, 0.013, 0.021);
}

SLxPicBuf recordOver(std::vector<uint8_t>& v, uint32_t bytes)
{
    const uint32_t line = kSide * bytes;
    return SLxPicBuf{kSide, kSide, line, uint8_t(bytes == 1 ? 8 : 12), 1, line * kSide, v.data()};
}

// The operations measured, by index.
enum Op {
    median,
    square3,
    square5,
    smooth3,
    sharpen,
    laplace4,
    pelvan,
    oct4,
    square15,
    user5,
    golay5,
    opCount
};

const SLxKernel& smooth3Kernel()
{
    static const std::unique_ptr<SLxKernel> k = [] {
        auto r = std::make_unique<SLxKernel>(CLxPicBufAPI::Square3);
        std::memcpy(r->wszName, u"Smooth3", sizeof(u"Smooth3"));
        return r;
    }();
    return *k;
}

// A full square of side n, every weight 1.
std::unique_ptr<SLxKernel> fullSquare(uint32_t n)
{
    auto k = std::make_unique<SLxKernel>(CLxPicBufAPI::Square3);
    std::memcpy(k->wszName, u"Square", sizeof(u"Square"));
    k->uiNRows = k->uiNCols = n;
    k->uiCenterRow = k->uiCenterCol = n / 2;
    for (uint32_t e = 0; e < n * n; ++e) {
        k->iValues[e] = 1;
        k->ubMask[e] = 1;
    }
    return k;
}

const SLxKernel& square15Kernel()
{
    static const std::unique_ptr<SLxKernel> k = fullSquare(15);
    return *k;
}

// A user's 5 x 5 sharpening kernel whose weights sum to 13.
constexpr int32_t kUser5[25] = {0, 0,  -1, 0, 0, 0, 1, 2, 1, 0,  -1, 2, 5,
                                2, -1, 0,  1, 2, 1, 0, 0, 0, -1, 0,  0};

const SLxKernel& user5Kernel()
{
    static const std::unique_ptr<SLxKernel> k = [] {
        auto r = fullSquare(5);
        std::memcpy(r->wszName, u"User", sizeof(u"User"));
        std::copy(kUser5, kUser5 + 25, r->iValues);
        return r;
    }();
    return *k;
}

int runOurs(int op, SLxPicBuf* d, const SLxPicBuf* s)
{
    switch (op) {
    case median:
        return CLxPicBufAPI::Median(d, s);
    case square3:
        return CLxPicBufAPI::Smooth(d, s, &CLxPicBufAPI::Square3);
    case square5:
        return CLxPicBufAPI::Smooth(d, s, &CLxPicBufAPI::Square5);
    case smooth3:
        return CLxPicBufAPI::Smooth(d, s, &smooth3Kernel());
    case sharpen:
        return CLxPicBufAPI::Sharpen(d, s);
    case laplace4:
        return CLxPicBufAPI::Convolution(d, s, &CLxPicBufAPI::Laplace4, 1);
    case pelvan:
        return CLxPicBufAPI::Convolution(d, s, &CLxPicBufAPI::PelvanFilter, 7);
    case oct4:
        return CLxPicBufAPI::Convolution(d, s, &CLxPicBufAPI::Oct4, 0);
    case square15:
        return CLxPicBufAPI::Smooth(d, s, &square15Kernel());
    case user5:
        return CLxPicBufAPI::Convolution(d, s, &user5Kernel(), 13);
    default:
        return CLxPicBufAPI::GolayFilter(d, s, 5, 0);
    }
}

#ifdef QUELVIX_HAVE_OPENCV
using bench::cvType;

cv::Mat cvKernelOf(const SLxKernel& k, double divisor)
{
    cv::Mat m(int(k.uiNRows), int(k.uiNCols), CV_32F);
    for (uint32_t e = 0; e < k.uiNRows * k.uiNCols; ++e)
        m.at<float>(int(e / k.uiNCols), int(e % k.uiNCols)) =
            float((k.ubMask[e] ? k.iValues[e] : 0) / divisor);
    return m;
}

// Args: operation, sample bytes. Ours and OpenCV (medianBlur, blur,
// filter2D, sepFilter2D) alternate on the same warm frames. Where both
// round alike the outputs must be equal; elsewhere the largest difference
// is reported as "max_diff".
void BM_Filter(benchmark::State& state)
{
    const int op = int(state.range(0));
    const uint32_t bytes = uint32_t(state.range(1));
    std::vector<uint8_t> pixels = textured(bytes), ours(pixels.size()), theirs(pixels.size());
    SLxPicBuf s = recordOver(pixels, bytes), d = recordOver(ours, bytes);
    const cv::Mat src(kCvSide, kCvSide, cvType(1, bytes), pixels.data());
    cv::Mat dst(src.size(), src.type(), theirs.data());
    const cv::Mat golayTaps =
        (cv::Mat_<float>(1, 5) << -3.f / 35, 12.f / 35, 17.f / 35, 12.f / 35, -3.f / 35);
    const auto filter = [&](const SLxKernel& k, double divisor) {
        cv::filter2D(src, dst, -1, cvKernelOf(k, divisor),
                     cv::Point(int(k.uiCenterCol), int(k.uiCenterRow)), 0, cv::BORDER_REPLICATE);
    };
    const auto blur = [&](int n) {
        cv::blur(src, dst, cv::Size(n, n), cv::Point(-1, -1), cv::BORDER_REPLICATE);
    };
    const auto peer = [&] {
        switch (op) {
        case median:
            return cv::medianBlur(src, dst, 3);
        case square3:
        case smooth3:
            return blur(3);
        case square5:
            return blur(5);
        case square15:
            return blur(15);
        case sharpen:
            return filter(CLxPicBufAPI::Sharp, 1);
        case laplace4:
            return filter(CLxPicBufAPI::Laplace4, 1);
        case pelvan:
            return filter(CLxPicBufAPI::PelvanFilter, 7);
        case oct4:
            return filter(CLxPicBufAPI::Oct4, 12);
        case user5:
            return filter(user5Kernel(), 13);
        default:
            return cv::sepFilter2D(src, dst, -1, golayTaps, golayTaps, cv::Point(-1, -1), 0,
                                   cv::BORDER_REPLICATE);
        }
    };
    peer();
    if (runOurs(op, &d, &s) != 0) {
        state.SkipWithError("ours failed");
        return;
    }
    // Sharpening saturates at 65535 in OpenCV, at 4095 here; the divided
    // kernels and the Golay taps round their float weights.
    const bool exact =
        op != pelvan && op != oct4 && op != user5 && op != golay5 && !(bytes == 2 && op == sharpen);
    const double diff = cv::norm(dst, cv::Mat(src.size(), src.type(), ours.data()), cv::NORM_INF);
    if (exact && diff != 0) {
        state.SkipWithError("outputs differ");
        return;
    }
    bench::sideBySide(
        state, [&] { runOurs(op, &d, &s); }, peer);
    state.counters["max_diff"] = diff;
    bench::countFramePixels(state);
}
BENCHMARK(BM_Filter)
    ->ArgNames({"op", "bytes"})
    ->ArgsProduct({{median, square3, square5, smooth3, sharpen, laplace4, pelvan, oct4, square15,
                    user5, golay5},
                   {1, 2}})
    ->Unit(benchmark::kMillisecond);
#endif

#ifdef QUELVIX_HAVE_VIPS
// The 3 x 3 median (rank 4 of 9) and the integer convolutions of libvips.
void BM_VipsFilter(benchmark::State& state)
{
    const int op = int(state.range(0));
    const uint32_t bytes = uint32_t(state.range(1));
    const bool started = bench::startVipsOnOneThread();
    std::vector<uint8_t> pixels = textured(bytes);
    VipsImage* image =
        started ? vips_image_new_from_memory(pixels.data(), pixels.size(), int(kSide), int(kSide),
                                             1, bytes == 1 ? VIPS_FORMAT_UCHAR : VIPS_FORMAT_USHORT)
                : nullptr;
    if (!image) {
        state.SkipWithError("libvips did not start");
        return;
    }
    const SLxKernel& k = op == laplace4  ? CLxPicBufAPI::Laplace4
                         : op == pelvan  ? CLxPicBufAPI::PelvanFilter
                         : op == oct4    ? CLxPicBufAPI::Oct4
                         : op == sharpen ? CLxPicBufAPI::Sharp
                                         : CLxPicBufAPI::Square5;
    VipsImage* mask = vips_image_new_matrix(int(k.uiNCols), int(k.uiNRows));
    for (uint32_t e = 0; e < k.uiNRows * k.uiNCols; ++e)
        *VIPS_MATRIX(mask, int(e % k.uiNCols), int(e / k.uiNCols)) = k.iValues[e];
    const double scale = op == pelvan ? 7 : op == oct4 ? 12 : op == square5 ? 25 : 1;
    vips_image_set_double(mask, "scale", scale);
    for (auto _ : state) {
        VipsImage* out = nullptr;
        const int status = op == median ? vips_rank(image, &out, 3, 3, 4, nullptr)
                                        : vips_conv(image, &out, mask, "precision",
                                                    VIPS_PRECISION_INTEGER, nullptr);
        if (status != 0 || !bench::evaluateVips(out)) {
            state.SkipWithError("libvips failed");
            break;
        }
    }
    g_object_unref(mask);
    g_object_unref(image);
    bench::countFramePixels(state);
}
BENCHMARK(BM_VipsFilter)
    ->ArgNames({"op", "bytes"})
    ->ArgsProduct({{median, square5, sharpen, laplace4, pelvan, oct4}, {1, 2}})
    ->Unit(benchmark::kMillisecond);
#endif

} // namespace
