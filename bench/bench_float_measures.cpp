// Float resampling, value thresholds and tone maps on 2048 x 2048 frames,
// beside OpenCV (resize, inRange with setTo, createTonemapDrago) and libvips
// (reduceh and reducev) doing the same work on one thread. Items are
// destination pixels for the stretches, source pixels otherwise.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/picmemAPI/LxFloatKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxStretchFilters.h"

#ifdef QUELVIX_HAVE_OPENCV
#include <opencv2/imgproc.hpp>
#endif
#ifdef QUELVIX_HAVE_OPENCV_PHOTO
#include <opencv2/photo.hpp>
#endif

namespace
{

using bench::kCvSide;
using bench::kSide;

// A smooth float frame with some noise, all values above 0.
std::vector<float> floatFrame(uint32_t comps)
{
    std::vector<float> v(size_t(kSide) * kSide * comps);
    uint32_t state = 777;
    for (size_t i = 0; i < v.size(); ++i) {
        state = state * 1103515245u + 12345u;
        const uint32_t pixel = uint32_t(i / comps);
        const uint32_t x = pixel % kSide, y = pixel / kSide;
        v[i] =
            float(1.0 + 500.0 * (1.0 + std::sin(x * 0.01) * std::cos(y * 0.013)) + (state >> 24));
    }
    return v;
}

// Destination size for the scale argument: 0 half, 1 double, 2 quarter.
uint32_t scaled(int64_t scale)
{
    return scale == 0 ? kSide / 2 : scale == 1 ? kSide * 2 : kSide / 4;
}

void BM_FloatStretchNearest(benchmark::State& state)
{
    const uint32_t d = scaled(state.range(0));
    const std::vector<float> src = floatFrame(1);
    std::vector<float> dst(size_t(d) * d);
    for (auto _ : state) {
        stretch_nn_1xfloat(dst.data(), 1, d * 4, d, d, src.data(), kSide * 4, kSide, 0, 0, kSide,
                           kSide);
        benchmark::ClobberMemory();
    }
    bench::countItems(state, int64_t(d) * d);
}
BENCHMARK(BM_FloatStretchNearest)->ArgName("scale")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Both passes; filter 0 triangle, 1 quadratic B-spline.
void BM_FloatStretchFiltered(benchmark::State& state)
{
    const uint32_t d = scaled(state.range(0));
    const bool bspline = state.range(1) == 1;
    const std::vector<float> src = floatFrame(1);
    std::vector<float> tmp(size_t(d) * kSide), dst(size_t(d) * d);
    for (auto _ : state) {
        stretch_filter_horz_1xfloat(
            tmp.data(), 1, d * 4, d, kSide, src.data(), kSide * 4, kSide, 0, 0, kSide, kSide,
            bspline ? filter_quadratic_bspline : filter_triangle, bspline ? 3 : 2);
        stretch_filter_vert_1xfloat(dst.data(), 1, d * 4, d, d, tmp.data(), d * 4, kSide, 0, 0, d,
                                    kSide, bspline ? filter_quadratic_bspline : filter_triangle,
                                    bspline ? 3 : 2);
        benchmark::ClobberMemory();
    }
    bench::countItems(state, int64_t(d) * d);
}
BENCHMARK(BM_FloatStretchFiltered)
    ->ArgNames({"scale", "bspline"})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond);

std::vector<uint8_t> byteFrame()
{
    std::vector<uint8_t> v(size_t(kSide) * kSide);
    uint32_t state = 5;
    for (auto& b : v) {
        state = state * 1103515245u + 12345u;
        b = uint8_t(state >> 24);
    }
    return v;
}

void BM_Threshold(benchmark::State& state)
{
    const std::vector<uint8_t> src = byteFrame();
    std::vector<uint8_t> dst = src;
    for (auto _ : state) {
        CLxPicMemAPI::Threshold(dst.data(), kSide, src.data(), 8, kSide, 60, 180, true, 255, kSide,
                                kSide * kSide);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_Threshold)->Unit(benchmark::kMillisecond);

// 3 components, as OpenCV's tone maps take.
void BM_ToneMap(benchmark::State& state)
{
    const std::vector<float> src = floatFrame(3);
    std::vector<uint8_t> dst(src.size());
    for (auto _ : state) {
        if (state.range(0) == 0)
            map_float_to_Nx8_Drago(dst.data(), 8, src.data(), kSide, kSide, 3);
        else
            map_float_to_Nx8_Tumblin(dst.data(), 8, src.data(), kSide, kSide, 3);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_ToneMap)->ArgName("tumblin")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

#ifdef QUELVIX_HAVE_OPENCV
void BM_CvResize(benchmark::State& state)
{
    bench::useOneCvThread();
    const uint32_t d = scaled(state.range(0));
    std::vector<float> pixels = floatFrame(1);
    const cv::Mat src(kCvSide, kCvSide, CV_32F, pixels.data());
    const int side = int(d);
    cv::Mat dst(side, side, CV_32F);
    const int mode = state.range(1) == 0 ? cv::INTER_NEAREST : cv::INTER_LINEAR;
    for (auto _ : state) {
        cv::resize(src, dst, dst.size(), 0, 0, mode);
        benchmark::ClobberMemory();
    }
    bench::countItems(state, int64_t(d) * d);
}
BENCHMARK(BM_CvResize)
    ->ArgNames({"scale", "linear"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

void BM_CvInRangeSetTo(benchmark::State& state)
{
    bench::useOneCvThread();
    std::vector<uint8_t> pixels = byteFrame();
    const cv::Mat src(kCvSide, kCvSide, CV_8U, pixels.data());
    cv::Mat dst = src.clone(), mask;
    for (auto _ : state) {
        cv::inRange(src, cv::Scalar(60), cv::Scalar(180), mask);
        dst.setTo(cv::Scalar(255), mask);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvInRangeSetTo)->Unit(benchmark::kMillisecond);
#endif

#ifdef QUELVIX_HAVE_OPENCV_PHOTO
void BM_CvTonemapDrago(benchmark::State& state)
{
    bench::useOneCvThread();
    std::vector<float> pixels = floatFrame(3);
    const cv::Mat src(kCvSide, kCvSide, CV_32FC3, pixels.data());
    cv::Mat out;
    const cv::Ptr<cv::TonemapDrago> drago = cv::createTonemapDrago();
    for (auto _ : state) {
        drago->process(src, out);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvTonemapDrago)->Unit(benchmark::kMillisecond);
#endif

#ifdef QUELVIX_HAVE_VIPS
// reduceh then reducev by 4 with the linear kernel, to memory, one thread.
void BM_VipsReduceQuarter(benchmark::State& state)
{
    const bool started = bench::startVipsOnOneThread();
    std::vector<float> pixels = floatFrame(1);
    VipsImage* image =
        started ? vips_image_new_from_memory(pixels.data(), pixels.size() * 4, int(kSide),
                                             int(kSide), 1, VIPS_FORMAT_FLOAT)
                : nullptr;
    if (!image) {
        state.SkipWithError("libvips did not start");
        return;
    }
    const VipsKernel kernel = state.range(0) == 0 ? VIPS_KERNEL_LINEAR : VIPS_KERNEL_CUBIC;
    for (auto _ : state) {
        VipsImage *h = nullptr, *v = nullptr;
        if (vips_reduceh(image, &h, 4.0, "kernel", kernel, nullptr) ||
            vips_reducev(h, &v, 4.0, "kernel", kernel, nullptr)) {
            state.SkipWithError("reduce failed");
            break;
        }
        bench::evaluateVips(v);
        g_object_unref(h);
    }
    g_object_unref(image);
    bench::countItems(state, int64_t(kSide / 4) * (kSide / 4));
}
BENCHMARK(BM_VipsReduceQuarter)->ArgName("cubic")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
#endif

} // namespace
