// The stretch modes on 2048 x 2048 one-component frames of 8 and 16 bits,
// reduced by 4 and enlarged by 2, beside OpenCV's cv::resize on the same work
// when OpenCV is there. Items are destination pixels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

#ifdef QUELVIX_HAVE_OPENCV
#include <opencv2/imgproc.hpp>
#endif

namespace
{

using bench::kSide;

// Destination side: a quarter (down) or double (up).
uint32_t destinationSide(int64_t up)
{
    return up ? 2 * kSide : kSide / 4;
}

std::vector<uint8_t> frame(uint32_t bytes)
{
    std::vector<uint8_t> v(size_t(kSide) * kSide * bytes);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = uint8_t(i * 31 + (i >> 11) * 7);
    return v;
}

// Modes 1 nearest, 2 B-spline, 3 triangle, 4 area averaging (down only;
// enlarging in mode 4 is the B-spline).
void BM_Stretch(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0)), mode = uint32_t(state.range(1));
    const uint32_t side = destinationSide(state.range(2));
    const std::vector<uint8_t> src = frame(bytes);
    std::vector<uint8_t> dst(size_t(side) * side * bytes);
    for (auto _ : state) {
        const int result = CLxPicMemAPI::Stretch(dst.data(), 1, side * bytes, 8 * bytes, side, side,
                                                 src.data(), kSide * bytes, kSide, 0, 0, kSide,
                                                 kSide, CLxPicMemAPI::ELxPicStretchMode(mode));
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
    }
    bench::countItems(state, int64_t(side) * side);
}
BENCHMARK(BM_Stretch)
    ->ArgNames({"bytes", "mode", "up"})
    ->ArgsProduct({{1, 2}, {1, 2, 3}, {0, 1}})
    ->Args({1, 4, 0})
    ->Args({2, 4, 0})
    ->Unit(benchmark::kMillisecond);

#ifdef QUELVIX_HAVE_OPENCV
// cv::resize on one thread, as the stretch runs (mode 4 uses two).
void BM_OpenCvResize(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0));
    const int interpolation = int(state.range(1));
    const int side = int(destinationSide(state.range(2)));
    std::vector<uint8_t> pixels = frame(bytes);
    const int srcSide = int(kSide);
    const cv::Mat src(srcSide, srcSide, bytes == 1 ? CV_8UC1 : CV_16UC1, pixels.data());
    cv::Mat dst(side, side, src.type());
    bench::useOneCvThread();
    for (auto _ : state) {
        cv::resize(src, dst, cv::Size(side, side), 0, 0, interpolation);
        benchmark::ClobberMemory();
    }
    bench::countItems(state, int64_t(side) * side);
}
BENCHMARK(BM_OpenCvResize)
    ->ArgNames({"bytes", "interpolation", "up"})
    ->ArgsProduct({{1, 2}, {cv::INTER_NEAREST, cv::INTER_LINEAR}, {0, 1}})
    ->Args({1, cv::INTER_AREA, 0})
    ->Args({2, cv::INTER_AREA, 0})
    ->Unit(benchmark::kMillisecond);
#endif

} // namespace
