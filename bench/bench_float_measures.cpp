// Float resampling, value thresholds and tone maps on 2048 x 2048 frames,
// each side by side with a peer doing the same work on one thread: OpenCV's
// resize (nearest, linear), libvips' reduceh and reducev (linear, cubic),
// OpenCV's inRange with setTo, and a plain loop of the same tone map
// (OpenCV's tone maps compute something else). Items are destination pixels
// for the stretches, source pixels otherwise.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/picmemAPI/LxFloatKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxStretchFilters.h"

#ifdef QUELVIX_HAVE_OPENCV
#include <opencv2/imgproc.hpp>
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

// The largest absolute difference of two float pictures of n values.
double largestDifference(const float* a, const float* b, size_t n)
{
    double most = 0;
    for (size_t i = 0; i < n; ++i)
        most = std::max(most, std::fabs(double(a[i]) - double(b[i])));
    return most;
}

// Both passes of the filtered float stretch through a reused intermediate.
struct FilteredStretch {
    uint32_t side;
    bool bspline;
    std::vector<float> tmp;

    FilteredStretch(uint32_t d, bool b) : side(d), bspline(b), tmp(size_t(d) * kSide, 0.f) {}

    void run(float* dst, const float* src)
    {
        const LxFloatWeightFn weight = bspline ? filter_quadratic_bspline : filter_triangle;
        const uint32_t support = bspline ? 3 : 2;
        stretch_filter_horz_1xfloat(tmp.data(), 1, side * 4, side, kSide, src, kSide * 4, kSide, 0,
                                    0, kSide, kSide, weight, support);
        stretch_filter_vert_1xfloat(dst, 1, side * 4, side, side, tmp.data(), side * 4, kSide, 0, 0,
                                    side, kSide, weight, support);
    }
};

#ifdef QUELVIX_HAVE_OPENCV
// Args: scale (0 half, 1 double).
void BM_FloatStretchNearest(benchmark::State& state)
{
    const uint32_t d = scaled(state.range(0));
    std::vector<float> pixels = floatFrame(1);
    const cv::Mat src(kCvSide, kCvSide, CV_32F, pixels.data());
    const int side = int(d);
    cv::Mat ours(side, side, CV_32F, cv::Scalar(0)), theirs(side, side, CV_32F, cv::Scalar(0));
    bench::sideBySide(
        state,
        [&] {
            stretch_nn_1xfloat(ours.data, 1, d * 4, d, d, src.data, kSide * 4, kSide, 0, 0, kSide,
                               kSide);
        },
        [&] { cv::resize(src, theirs, theirs.size(), 0, 0, cv::INTER_NEAREST); });
    // Both pick whole source samples; they differ where the rounding of a
    // column's position does.
    state.counters["max_diff"] =
        largestDifference(ours.ptr<float>(), theirs.ptr<float>(), size_t(d) * d);
    bench::countItems(state, int64_t(d) * d);
}
BENCHMARK(BM_FloatStretchNearest)
    ->ArgName("scale")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Triangle doubling against the linear resize: the same two-tap weights.
void BM_FloatStretchTriangleDouble(benchmark::State& state)
{
    const uint32_t d = scaled(1);
    std::vector<float> pixels = floatFrame(1);
    const cv::Mat src(kCvSide, kCvSide, CV_32F, pixels.data());
    const int side = int(d);
    cv::Mat ours(side, side, CV_32F, cv::Scalar(0)), theirs(side, side, CV_32F, cv::Scalar(0));
    FilteredStretch stretch(d, false);
    bench::sideBySide(
        state, [&] { stretch.run(ours.ptr<float>(), pixels.data()); },
        [&] { cv::resize(src, theirs, theirs.size(), 0, 0, cv::INTER_LINEAR); });
    // 16.16 weights against OpenCV's: within a fraction of a grey level.
    state.counters["max_diff"] =
        largestDifference(ours.ptr<float>(), theirs.ptr<float>(), size_t(d) * d);
    bench::countItems(state, int64_t(d) * d);
}
BENCHMARK(BM_FloatStretchTriangleDouble)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Threshold(benchmark::State& state)
{
    std::vector<uint8_t> pixels(size_t(kSide) * kSide);
    uint32_t seed = 5;
    for (auto& b : pixels) {
        seed = seed * 1103515245u + 12345u;
        b = uint8_t(seed >> 24);
    }
    const cv::Mat src(kCvSide, kCvSide, CV_8U, pixels.data());
    cv::Mat ours = src.clone(), theirs = src.clone(), mask = src.clone();
    bench::sideBySide(
        state,
        [&] {
            CLxPicMemAPI::Threshold(ours.data, kSide, src.data, 8, kSide, 60, 180, true, 255, kSide,
                                    kSide * kSide);
        },
        [&] {
            cv::inRange(src, cv::Scalar(60), cv::Scalar(180), mask);
            theirs.setTo(cv::Scalar(255), mask);
        });
    if (cv::norm(ours, theirs, cv::NORM_INF) != 0)
        state.SkipWithError("the thresholds differ");
    bench::countFramePixels(state);
}
BENCHMARK(BM_Threshold)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

// A plain build of the library's tone maps: each component's range, then
// the formula in double precision, truncated and held inside 0 .. 255.
enum class ToneMap { Drago, Tumblin };

void plainToneMap(uint8_t* dst, const float* src, size_t pixels, uint32_t comps, ToneMap kind)
{
    const double M = 255.0;
    for (uint32_t c = 0; c < comps; ++c) {
        float lo = 1e30f, hi = 0.0f;
        for (size_t i = 0; i < pixels; ++i) {
            const float v = src[i * comps + c];
            hi = v > hi ? v : hi;
            lo = v < lo && v > 0.0f ? v : lo;
        }
        const double X = hi;
        const double e = double(float(std::log(0.85) / std::log(0.5)));
        const double s = M / std::log10(X + 1.0);
        const float p0 = float(30.0 / M) * hi / lo;
        const double g = double(std::sqrt(lo * hi));
        for (size_t i = 0; i < pixels; ++i) {
            const float x = src[i * comps + c];
            double y = 0.0;
            if (x >= hi)
                y = M;
            else if (x > 0.0f && kind == ToneMap::Drago)
                y = std::log(x + 1.0) * s / std::log(2.0 + 8.0 * std::pow(x / X, e));
            else if (x > 0.0f) {
                const double p = (x / g + 1.0) * 0.5 * p0;
                y = x * p * M / (x * p - x + X);
            }
            dst[i * comps + c] = y > 0.0 ? (y >= M ? 255 : uint8_t(y)) : 0;
        }
    }
}

// 3 components; arg: 0 Drago, 1 Tumblin.
void BM_ToneMap(benchmark::State& state)
{
    const ToneMap kind = state.range(0) == 0 ? ToneMap::Drago : ToneMap::Tumblin;
    const std::vector<float> src = floatFrame(3);
    std::vector<uint8_t> ours(src.size()), theirs(src.size());
    bench::sideBySide(
        state,
        [&] {
            (kind == ToneMap::Drago ? map_float_to_Nx8_Drago : map_float_to_Nx8_Tumblin)(
                ours.data(), 8, src.data(), kSide, kSide, 3);
        },
        [&] { plainToneMap(theirs.data(), src.data(), size_t(kSide) * kSide, 3, kind); });
    if (std::memcmp(ours.data(), theirs.data(), ours.size()) != 0)
        state.SkipWithError("the tone maps differ");
    bench::countFramePixels(state);
}
BENCHMARK(BM_ToneMap)
    ->ArgName("tumblin")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

#ifdef QUELVIX_HAVE_VIPS
// Reduction by 4 against reduceh then reducev with the same kernel (linear
// is the triangle; cubic stands in for the quadratic B-spline), to a reused
// one thread. Arg: 0 triangle, 1 B-spline.
void BM_FloatStretchQuarter(benchmark::State& state)
{
    const bool bspline = state.range(0) == 1;
    const uint32_t d = scaled(2);
    std::vector<float> pixels = floatFrame(1);
    VipsImage* image =
        bench::startVipsOnOneThread()
            ? vips_image_new_from_memory(pixels.data(), pixels.size() * 4, int(kSide), int(kSide),
                                         1, VIPS_FORMAT_FLOAT)
            : nullptr;
    if (!image) {
        state.SkipWithError("libvips did not start");
        return;
    }
    std::vector<float> ours(size_t(d) * d, 0.f);
    FilteredStretch stretch(d, bspline);
    const VipsKernel kernel = bspline ? VIPS_KERNEL_CUBIC : VIPS_KERNEL_LINEAR;
    // libvips allocates its result; the last one is kept for the comparison.
    void* theirs = nullptr;
    size_t theirBytes = 0;
    bool failed = false;
    bench::sideBySide(
        state, [&] { stretch.run(ours.data(), pixels.data()); },
        [&] {
            VipsImage *h = nullptr, *v = nullptr;
            g_free(theirs);
            theirs = nullptr;
            failed |= vips_reduceh(image, &h, 4.0, "kernel", kernel, nullptr) ||
                      vips_reducev(h, &v, 4.0, "kernel", kernel, nullptr) ||
                      !(theirs = vips_image_write_to_memory(v, &theirBytes));
            if (v)
                g_object_unref(v);
            if (h)
                g_object_unref(h);
        });
    g_object_unref(image);
    if (failed || theirBytes != ours.size() * 4) {
        g_free(theirs);
        state.SkipWithError("reduce failed");
        return;
    }
    state.counters["max_diff"] =
        largestDifference(ours.data(), static_cast<const float*>(theirs), ours.size());
    g_free(theirs);
    bench::countItems(state, int64_t(d) * d);
}
BENCHMARK(BM_FloatStretchQuarter)
    ->ArgName("bspline")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
#endif

} // namespace
