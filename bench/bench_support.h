// What the benchmark cases share: the frame side, a textured test frame,
// counting pixels as items, and the single-threaded OpenCV and libvips peers
// the cases are measured beside.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#ifdef QUELVIX_HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>
#endif
#ifdef QUELVIX_HAVE_VIPS
#include <vips/vips.h>
#endif

namespace bench
{

// Every case works on square frames of this side.
constexpr uint32_t kSide = 2048;
constexpr int kCvSide = int(kSide);

// Items per iteration are pixels; this records them for the whole run.
inline void countItems(benchmark::State& state, int64_t perIteration)
{
    state.SetItemsProcessed(int64_t(state.iterations()) * perIteration);
}

inline void countFramePixels(benchmark::State& state)
{
    countItems(state, int64_t(kSide) * kSide);
}

inline double secondsSince(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

inline double median(std::vector<double> v)
{
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// Runs sdk and reference alternately and reports their median times and
// ratio, so the machine's load weighs on both alike.
inline void sideBySide(benchmark::State& state, const std::function<void()>& sdk,
                       const std::function<void()>& reference)
{
#ifdef QUELVIX_HAVE_OPENCV
    cv::setNumThreads(1);
#endif
    sdk();
    reference();
    std::vector<double> sdkTimes, refTimes;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        sdk();
        benchmark::ClobberMemory();
        sdkTimes.push_back(secondsSince(t0));
        t0 = std::chrono::steady_clock::now();
        reference();
        benchmark::ClobberMemory();
        refTimes.push_back(secondsSince(t0));
    }
    const double s = median(sdkTimes), r = median(refTimes);
    state.counters["sdk_ms"] = s * 1e3;
    state.counters["ref_ms"] = r * 1e3;
    state.counters["ratio"] = s / r;
}

// A frame with a smooth wave plus noise; 16-bit samples hold 12 bits. Each
// file keeps its own seed and wave so its figures stay comparable over time.
inline std::vector<uint8_t> texturedFrame(uint32_t comps, uint32_t bytes, uint32_t seed,
                                          double waveX, double waveY)
{
    std::vector<uint8_t> v(size_t(kSide) * kSide * comps * bytes);
    uint32_t state = seed;
    for (size_t i = 0; i < v.size(); ++i) {
        state = state * 1103515245u + 12345u;
        const uint32_t pixel = uint32_t(i / (comps * bytes));
        const uint32_t x = pixel % kSide, y = pixel / kSide;
        const uint32_t smooth = uint32_t(128 + 100 * std::sin(x * waveX) * std::cos(y * waveY));
        v[i] =
            bytes == 2 && i % 2 ? uint8_t((smooth >> 4) & 0x0F) : uint8_t(smooth + (state >> 28));
    }
    return v;
}

#ifdef QUELVIX_HAVE_OPENCV
// OpenCV's matrix type for unsigned samples of 1 or 2 bytes.
inline int cvType(uint32_t comps, uint32_t bytes)
{
    return CV_MAKETYPE(bytes == 1 ? CV_8U : CV_16U, int(comps));
}

// The peers run on one thread, as ours do.
inline void useOneCvThread()
{
    cv::setNumThreads(1);
}

// Times calcHist of every channel of a frame (256 bins at 8 bits, 4096 at 12).
inline void timeCvCalcHist(benchmark::State& state, std::vector<uint8_t> pixels, uint32_t comps,
                           uint32_t bytes)
{
    const cv::Mat src(kCvSide, kCvSide, cvType(comps, bytes), pixels.data());
    const int bins = bytes == 1 ? 256 : 4096;
    const float range[2] = {0.f, float(bins)};
    const float* ranges[1] = {range};
    useOneCvThread();
    cv::Mat hist;
    for (auto _ : state) {
        for (int c = 0; c < int(comps); ++c)
            cv::calcHist(&src, 1, &c, cv::Mat(), hist, 1, &bins, ranges);
        benchmark::ClobberMemory();
    }
    countFramePixels(state);
}
#endif

#ifdef QUELVIX_HAVE_VIPS
// Starts libvips once, on one thread and without its operation cache (which
// would otherwise hand back the previous iteration's result).
inline bool startVipsOnOneThread()
{
    static const bool started = [] {
        if (VIPS_INIT("quelvix_bench"))
            return false;
        vips_concurrency_set(1);
        vips_cache_set_max(0);
        return true;
    }();
    return started;
}

// Runs a lazy pipeline out to memory and drops the result and out.
inline bool evaluateVips(VipsImage* out)
{
    size_t size = 0;
    void* memory = vips_image_write_to_memory(out, &size);
    g_object_unref(out);
    g_free(memory);
    return memory != nullptr;
}
#endif

} // namespace bench
