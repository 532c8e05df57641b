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

// Runs sdk and reference alternately and reports their median times, their
// ratio and the ratio of their fastest runs, so the machine's load weighs
// on both alike. referenceThreads: the
// OpenCV threads of the reference, as many as the sdk call runs on.
inline void sideBySide(benchmark::State& state, const std::function<void()>& sdk,
                       const std::function<void()>& reference, int referenceThreads = 1)
{
#ifdef QUELVIX_HAVE_OPENCV
    cv::setNumThreads(referenceThreads);
#else
    (void)referenceThreads;
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
    // The fastest runs, least touched by other work on a shared machine.
    state.counters["ratio_min"] = *std::min_element(sdkTimes.begin(), sdkTimes.end()) /
                                  *std::min_element(refTimes.begin(), refTimes.end());
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

// Every channel's histogram of a frame (256 bins at 8 bits, 4096 at 12) in
// one pass over the samples: calcHist for one channel; for several a plain
// counting loop, since calcHist counts one channel a call and would read the
// frame once per channel.
class ChannelHistograms
{
  public:
    ChannelHistograms(const uint8_t* pixels, uint32_t comps, uint32_t bytes)
        : m_pixels(pixels), m_comps(comps), m_bytes(bytes), m_bins(bytes == 1 ? 256 : 4096),
          m_counts(size_t(comps) * m_bins, 0)
    {
    }

    void run()
    {
        if (m_comps == 1)
            return calcHist();
        if (m_bytes == 1)
            count(m_pixels);
        else
            count(reinterpret_cast<const uint16_t*>(m_pixels));
    }

    // Bin b of channel c.
    uint32_t at(uint32_t c, uint32_t b) const
    {
        return m_comps == 1 ? uint32_t(m_hist.at<float>(int(b))) : m_counts[size_t(c) * m_bins + b];
    }

  private:
    void calcHist()
    {
        const cv::Mat src(kCvSide, kCvSide, cvType(1, m_bytes), const_cast<uint8_t*>(m_pixels));
        const int bins = int(m_bins), channel = 0;
        const float range[2] = {0.f, float(bins)};
        const float* ranges[1] = {range};
        cv::calcHist(&src, 1, &channel, cv::Mat(), m_hist, 1, &bins, ranges);
    }

    // Four tables a channel, taken in turn by the pixels, so that
    // neighbours of equal value do not wait on each other's counts (as
    // calcHist does); added up at the end.
    template <class S> void count(const S* p)
    {
        if (m_comps == 3)
            return count<S, 3>(p);
        count<S, 0>(p);
    }

    template <class S, uint32_t C> void count(const S* p)
    {
        const size_t pixels = size_t(kSide) * kSide;
        const uint32_t comps = C ? C : m_comps, bins = m_bins;
        m_quarters.assign(4 * size_t(comps) * bins, 0u);
        uint32_t* q = m_quarters.data();
        const size_t table = size_t(comps) * bins;
        for (size_t i = 0; i < pixels; ++i) {
            uint32_t* counts = q + (i & 3) * table;
            for (uint32_t c = 0; c < comps; ++c)
                ++counts[c * bins + p[i * comps + c]];
        }
        for (size_t b = 0; b < table; ++b)
            m_counts[b] = q[b] + q[table + b] + q[2 * table + b] + q[3 * table + b];
    }

    const uint8_t* m_pixels;
    uint32_t m_comps, m_bytes, m_bins;
    std::vector<uint32_t> m_counts, m_quarters;
    cv::Mat m_hist;
};
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
