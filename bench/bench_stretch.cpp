// The stretch modes on 2048 x 2048 frames of 8 and 16 bits, 1 and 3
// components, reduced by 2 and 4 and enlarged by 2, side by side with the
// OpenCV call doing the nearest work: resize (nearest, linear, cubic, area)
// and pyrDown. Items are destination pixels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

#ifdef QUELVIX_HAVE_OPENCV
#include <opencv2/imgproc.hpp>

namespace
{

using bench::kCvSide;
using bench::kSide;

enum Scale { kHalf, kDouble, kQuarter };

uint32_t destinationSide(int64_t scale)
{
    return scale == kHalf ? kSide / 2 : scale == kDouble ? 2 * kSide : kSide / 4;
}

// Mean absolute difference of two pictures of equal size, in samples.
template <class T> double meanDifference(const cv::Mat& a, const cv::Mat& b)
{
    const T* p = a.ptr<T>();
    const T* q = b.ptr<T>();
    const size_t n = a.total() * a.channels();
    double sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += std::abs(double(p[i]) - double(q[i]));
    return sum / double(n);
}

// OpenCV's counterpart of a stretch mode: nearest for 1, the pyramid for the
// filtered reductions (twice for a quarter), linear enlarging for the
// triangle, cubic for the B-spline and the area average for mode 4. Mode 4
// runs on two threads, as the average does.
struct Peer {
    int mode;
    Scale scale;
    cv::Mat half; // the pyramid's first level of a quarter

    int threads() const { return mode == 4 ? 2 : 1; }

    void run(const cv::Mat& src, cv::Mat& dst)
    {
        const cv::Size size = dst.size();
        if (mode == 1)
            cv::resize(src, dst, size, 0, 0, cv::INTER_NEAREST);
        else if (mode == 4)
            cv::resize(src, dst, size, 0, 0, cv::INTER_AREA);
        else if (scale == kDouble)
            cv::resize(src, dst, size, 0, 0, mode == 3 ? cv::INTER_LINEAR : cv::INTER_CUBIC);
        else if (scale == kHalf)
            cv::pyrDown(src, dst, size);
        else {
            cv::pyrDown(src, half, cv::Size(src.cols / 2, src.rows / 2));
            cv::pyrDown(half, dst, size);
        }
    }
};

// Args: sample bytes, components, mode (1 nearest, 2 B-spline, 3 triangle,
// 4 area averaging), scale.
void BM_Stretch(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0)), comps = uint32_t(state.range(1));
    const int mode = int(state.range(2));
    const Scale scale = Scale(state.range(3));
    const uint32_t side = destinationSide(scale);
    std::vector<uint8_t> pixels = bench::texturedFrame(comps, bytes, 4242, 0.02, 0.017);
    const int type = bench::cvType(comps, bytes);
    const cv::Mat src(kCvSide, kCvSide, type, pixels.data());
    const int cvSide = int(side);
    cv::Mat ours(cvSide, cvSide, type, cv::Scalar::all(0));
    cv::Mat theirs(cvSide, cvSide, type, cv::Scalar::all(0));
    Peer peer{mode, scale, cv::Mat(kCvSide / 2, kCvSide / 2, type, cv::Scalar::all(0))};
    const uint32_t sampleBytes = comps * bytes;
    int result = 0;
    bench::sideBySide(
        state,
        [&] {
            result = CLxPicMemAPI::Stretch(ours.data, comps, side * sampleBytes, 8 * bytes, side,
                                           side, src.data, kSide * sampleBytes, kSide, 0, 0, kSide,
                                           kSide, CLxPicMemAPI::ELxPicStretchMode(mode));
        },
        [&] { peer.run(src, theirs); }, peer.threads());
    if (result != 0) {
        state.SkipWithError("Stretch failed");
        return;
    }
    // The peers filter differently; a difference beyond a tenth of the
    // range would mean they do not make the same picture.
    const double difference =
        bytes == 1 ? meanDifference<uint8_t>(ours, theirs) : meanDifference<uint16_t>(ours, theirs);
    state.counters["mean_diff"] = difference;
    if (difference > (bytes == 1 ? 25.5 : 409.5))
        state.SkipWithError("the peer's picture differs");
    bench::countItems(state, int64_t(side) * side);
}
BENCHMARK(BM_Stretch)
    ->ArgNames({"bytes", "comps", "mode", "scale"})
    ->ArgsProduct({{1, 2}, {1}, {1, 2, 3}, {kQuarter, kDouble}})
    ->Args({1, 1, 3, kHalf})
    ->Args({2, 1, 3, kHalf})
    ->Args({1, 3, 3, kHalf})
    ->Args({1, 1, 4, kQuarter})
    ->Args({2, 1, 4, kQuarter})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

#endif // QUELVIX_HAVE_OPENCV
