// Grey filters and the histogram record on 2048 x 2048 frames of 8 and 16
// bits, beside OpenCV (erode, dilate, boxFilter, filter2D, calcHist) and
// libvips (rank, hist_find) on one thread doing the same work. The square
// morphology, box mean and 15 x 15 convolution run side by side with their
// OpenCV peer in one case. Items are pixels. Each peer's output is compared
// with ours once before timing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/LxHisto.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

#ifdef QUELVIX_HAVE_OPENCV
#include <opencv2/imgproc.hpp>
#endif

namespace
{

using bench::kCvSide;
using bench::kSide;

// A frame with texture and noise; 16-bit samples hold 12 bits.
std::vector<uint8_t> textured(uint32_t comps, uint32_t bytes)
{
    return bench::texturedFrame(comps, bytes, 777, 0.02, 0.017);
}

SLxPicBuf recordOver(std::vector<uint8_t>& v, uint32_t comps, uint32_t bytes)
{
    const uint32_t line = kSide * comps * bytes;
    return SLxPicBuf{kSide, kSide,        line,    uint8_t(bytes == 1 ? 8 : 12),
                     comps, line * kSide, v.data()};
}

std::unique_ptr<SLxKernel> square(uint32_t n)
{
    auto k = std::make_unique<SLxKernel>();
    *k = SLxKernel{};
    k->uiNRows = k->uiNCols = n;
    k->uiCenterRow = k->uiCenterCol = n / 2;
    for (uint32_t i = 0; i < n * n; ++i) {
        k->iValues[i] = 1;
        k->ubMask[i] = 1;
    }
    return k;
}

int runMorph(bool erode, uint32_t bytes, SLxPicBuf* d, const SLxPicBuf* s, const SLxKernel* k)
{
    if (erode)
        return bytes == 1 ? Erode_Square_8(d, s, k) : Erode_Square_16(d, s, k);
    return bytes == 1 ? Dilate_Square_8(d, s, k, 255) : Dilate_Square_16(d, s, k, 4095);
}

#ifdef QUELVIX_HAVE_OPENCV
// Side by side with every component's counts in one pass
// (bench::ChannelHistograms); for several components the record also
// counts the mean's histogram, which the peer has no counterpart for.
// Args: components, sample bytes.
void BM_HistoCalculate(benchmark::State& state)
{
    const uint32_t comps = uint32_t(state.range(0)), bytes = uint32_t(state.range(1));
    std::vector<uint8_t> src = textured(comps, bytes);
    SLxPicBuf s = recordOver(src, comps, bytes);
    SLxHisto h;
    CLxHistoAPI::Init(&h);
    const SLxPicBufDesc desc{s.uiWidth, s.uiHeight, s.uiWidthBytes, s.uiBpc, s.uiComps, s.uiSize};
    CLxHistoAPI::Reinit32(&h, &desc);
    bench::ChannelHistograms peer(src.data(), comps, bytes);
    int result = 0;
    bench::sideBySide(
        state, [&] { result = CLxHistoAPI::Calculate(&h, &s, true); }, [&] { peer.run(); });
    for (uint32_t c = 0; c < comps && h.ppCompHisto; ++c)
        for (uint32_t b = 0; b < (1u << h.uiBits); ++b)
            if (static_cast<const uint32_t*>(h.ppCompHisto[c])[b] != peer.at(c, b))
                result = -1;
    CLxHistoAPI::Free(&h);
    if (result != 0)
        state.SkipWithError("the histograms differ");
    bench::countFramePixels(state);
}
BENCHMARK(BM_HistoCalculate)
    ->ArgNames({"comps", "bytes"})
    ->Args({1, 1})
    ->Args({3, 1})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
#endif

// Args: sample bytes. The interior and the border strips together.
void BM_EdgesDetect(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0));
    std::vector<uint8_t> src = textured(1, bytes), dst(src.size());
    SLxPicBuf s = recordOver(src, 1, bytes), d = recordOver(dst, 1, bytes);
    const auto k = square(3);
    const uint32_t top = bytes == 1 ? 255 : 4095;
    for (auto _ : state) {
        if (bytes == 1) {
            EdgesDetectInterior_8(&d, &s, k.get(), top);
            EdgesDetect_8(&d, &s, k.get(), top);
        } else {
            EdgesDetectInterior_16(&d, &s, k.get(), top);
            EdgesDetect_16(&d, &s, k.get(), top);
        }
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_EdgesDetect)->ArgNames({"bytes"})->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

#ifdef QUELVIX_HAVE_OPENCV
using bench::cvType;

// Args: erode (1) or dilate (0), sample bytes, side of the square. Ours
// and cv::erode / cv::dilate alternate on the same warm frames.
void BM_MorphSquare(benchmark::State& state)
{
    const bool erode = state.range(0) != 0;
    const uint32_t bytes = uint32_t(state.range(1));
    const int n = int(state.range(2));
    std::vector<uint8_t> pixels = textured(1, bytes), ours(pixels.size()), theirs(pixels.size());
    const cv::Mat src(kCvSide, kCvSide, cvType(1, bytes), pixels.data());
    cv::Mat dst(src.size(), src.type(), theirs.data());
    const cv::Mat kernel = cv::Mat::ones(n, n, CV_8U);
    const auto peer = [&] {
        if (erode)
            cv::erode(src, dst, kernel, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
        else
            cv::dilate(src, dst, kernel, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
    };
    SLxPicBuf s = recordOver(pixels, 1, bytes), d = recordOver(ours, 1, bytes);
    const auto k = square(uint32_t(n));
    peer();
    runMorph(erode, bytes, &d, &s, k.get());
    if (cv::norm(dst, cv::Mat(src.size(), src.type(), ours.data()), cv::NORM_INF) != 0) {
        state.SkipWithError("outputs differ");
        return;
    }
    bench::sideBySide(
        state, [&] { runMorph(erode, bytes, &d, &s, k.get()); }, peer);
    bench::countFramePixels(state);
}
BENCHMARK(BM_MorphSquare)
    ->ArgNames({"erode", "bytes", "n"})
    ->ArgsProduct({{1, 0}, {1, 2}, {3, 21}})
    ->Unit(benchmark::kMillisecond);

// Args: side of the box, sample bytes. Our box mean (truncated, the box
// from x - n + n / 2 to x + n / 2 - 1, clipped to the picture) beside
// cv::boxFilter anchored alike, which rounds and repeats the edges:
// "max_diff" is the largest difference.
void BM_BoxMean(benchmark::State& state)
{
    const int n = int(state.range(0));
    const uint32_t bytes = uint32_t(state.range(1));
    std::vector<uint8_t> pixels = textured(1, bytes), ours(pixels.size()), theirs(pixels.size());
    const cv::Mat src(kCvSide, kCvSide, cvType(1, bytes), pixels.data());
    cv::Mat dst(src.size(), src.type(), theirs.data());
    const cv::Point anchor(n - n / 2, n - n / 2);
    const auto peer = [&] {
        cv::boxFilter(src, dst, -1, cv::Size(n, n), anchor, true, cv::BORDER_REPLICATE);
    };
    SLxPicBuf s = recordOver(pixels, 1, bytes), d = recordOver(ours, 1, bytes);
    const auto sdk = [&] {
        return bytes == 1 ? smoothsquare_box_8(&d, &s, n) : smoothsquare_box_16(&d, &s, n);
    };
    peer();
    if (sdk() != 0) {
        state.SkipWithError("ours failed");
        return;
    }
    const double diff = cv::norm(dst, cv::Mat(src.size(), src.type(), ours.data()), cv::NORM_INF);
    bench::sideBySide(state, sdk, peer);
    state.counters["max_diff"] = diff;
    bench::countFramePixels(state);
}
BENCHMARK(BM_BoxMean)
    ->ArgNames({"n", "bytes"})
    ->Args({15, 1})
    ->Args({15, 2})
    ->Unit(benchmark::kMillisecond);

void BM_CvSobelAdd(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0));
    std::vector<uint8_t> pixels = textured(1, bytes);
    const cv::Mat src(kCvSide, kCvSide, cvType(1, bytes), pixels.data());
    cv::Mat gx, gy, ax, ay, sum, dst;
    bench::useOneCvThread();
    const int depth = bytes == 1 ? CV_16S : CV_32F;
    for (auto _ : state) {
        cv::Sobel(src, gx, depth, 1, 0, 3, 1, 0, cv::BORDER_REPLICATE);
        cv::Sobel(src, gy, depth, 0, 1, 3, 1, 0, cv::BORDER_REPLICATE);
        ax = cv::abs(gx);
        ay = cv::abs(gy);
        cv::add(ax, ay, sum);
        sum.convertTo(dst, src.type());
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvSobelAdd)->ArgNames({"bytes"})->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// A 15 x 15 mean (divisor 0), the interior and the border strips, beside
// cv::filter2D with weights 1/225 (float weights: "max_diff" is the
// largest difference).
void BM_Convolution15(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0));
    std::vector<uint8_t> pixels = textured(1, bytes), ours(pixels.size()), theirs(pixels.size());
    const cv::Mat src(kCvSide, kCvSide, cvType(1, bytes), pixels.data());
    cv::Mat dst(src.size(), src.type(), theirs.data());
    const cv::Mat kernel = cv::Mat::ones(15, 15, CV_32F) / 225.0f;
    const auto peer = [&] {
        cv::filter2D(src, dst, -1, kernel, cv::Point(-1, -1), 0, cv::BORDER_REPLICATE);
    };
    SLxPicBuf s = recordOver(pixels, 1, bytes), d = recordOver(ours, 1, bytes);
    const auto k = square(15);
    const uint32_t top = bytes == 1 ? 255 : 4095;
    const auto sdk = [&] {
        if (bytes == 1) {
            ConvolveInterior_8(&d, &s, k.get(), 0, top);
            Convolve_8(&d, &s, k.get(), 0, top);
        } else {
            ConvolveInterior_16(&d, &s, k.get(), 0, top);
            Convolve_16(&d, &s, k.get(), 0, top);
        }
    };
    peer();
    sdk();
    const double diff = cv::norm(dst, cv::Mat(src.size(), src.type(), ours.data()), cv::NORM_INF);
    bench::sideBySide(state, sdk, peer);
    state.counters["max_diff"] = diff;
    bench::countFramePixels(state);
}
BENCHMARK(BM_Convolution15)->ArgNames({"bytes"})->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
#endif

#ifdef QUELVIX_HAVE_VIPS
void BM_VipsRank(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0));
    const int n = int(state.range(1));
    const bool started = bench::startVipsOnOneThread();
    std::vector<uint8_t> pixels = textured(1, bytes);
    VipsImage* image =
        started ? vips_image_new_from_memory(pixels.data(), pixels.size(), int(kSide), int(kSide),
                                             1, bytes == 1 ? VIPS_FORMAT_UCHAR : VIPS_FORMAT_USHORT)
                : nullptr;
    if (!image) {
        state.SkipWithError("libvips did not start");
        return;
    }
    for (auto _ : state) {
        VipsImage* out = nullptr;
        if (vips_rank(image, &out, n, n, 0, nullptr) != 0 || !bench::evaluateVips(out)) {
            state.SkipWithError("rank failed");
            break;
        }
    }
    g_object_unref(image);
    bench::countFramePixels(state);
}
BENCHMARK(BM_VipsRank)
    ->ArgNames({"bytes", "n"})
    ->ArgsProduct({{1, 2}, {3, 21}})
    ->Unit(benchmark::kMillisecond);
#endif

} // namespace
