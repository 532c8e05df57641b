// Thinning and zones of influence of a 2048 x 2048 field of about 1500
// blobs, beside cv::ximgproc::thinning (Zhang-Suen) and cv::watershed on
// markers from cv::connectedComponents, one thread each. The SDK works on
// packed bits, the peers on 0/255 bytes; the algorithms differ, so only the
// times compare. Items are pixels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"

#ifdef QUELVIX_HAVE_OPENCV_XIMGPROC
#include <opencv2/ximgproc.hpp>
#endif

namespace
{

using bench::kSide;

// About 1500 discs and ellipses of radius 6 to 24, overlapping now and then.
std::vector<uint8_t> blobField()
{
    std::vector<uint8_t> v(size_t(kSide) * kSide, 0);
    uint32_t state = 1500;
    const auto next = [&state](uint32_t n) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % n;
    };
    for (int k = 0; k < 1500; ++k) {
        const int cx = int(next(kSide)), cy = int(next(kSide));
        const int rx = 6 + int(next(19)), ry = 6 + int(next(19));
        for (int y = cy - ry; y <= cy + ry; ++y)
            for (int x = cx - rx; x <= cx + rx; ++x) {
                if (x < 0 || y < 0 || x >= int(kSide) || y >= int(kSide))
                    continue;
                const double dx = double(x - cx) / rx, dy = double(y - cy) / ry;
                if (dx * dx + dy * dy <= 1.0)
                    v[size_t(y) * kSide + size_t(x)] = 255;
            }
    }
    return v;
}

struct Field {
    SLxBinPicBuf src, dst;
    std::vector<uint8_t> bytes = blobField();
    Field()
    {
        CLxBinPicBufAPI::Init(&src);
        CLxBinPicBufAPI::Init(&dst);
        CLxBinPicBufAPI::Reinit(&src, kSide, kSide, 0, true);
        CLxBinPicBufAPI::Reinit(&dst, kSide, kSide, 0, true);
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x)
                if (bytes[size_t(y) * kSide + x])
                    CLxBinPicBufAPI::SetPixel(&src, int(x), int(y), true);
    }
    ~Field()
    {
        CLxBinPicBufAPI::Free(&src);
        CLxBinPicBufAPI::Free(&dst);
    }
};

void BM_Thinning(benchmark::State& state)
{
    Field f;
    for (auto _ : state) {
        if (CLxBinPicBufAPI::Thinning(&f.dst, &f.src, 3, 0, 1, 0) != 0) {
            state.SkipWithError("Thinning failed");
            return;
        }
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_Thinning)->Unit(benchmark::kMillisecond);

void BM_ZonesOfInfluence(benchmark::State& state)
{
    Field f;
    for (auto _ : state) {
        if (CLxBinPicBufAPI::CalculateZonesOfInfluence(&f.dst, &f.src) != 0) {
            state.SkipWithError("CalculateZonesOfInfluence failed");
            return;
        }
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_ZonesOfInfluence)->Unit(benchmark::kMillisecond);

void BM_Thickening(benchmark::State& state)
{
    Field f;
    for (auto _ : state) {
        if (CLxBinPicBufAPI::Thickening(&f.dst, nullptr, &f.src, 0, false) != 0) {
            state.SkipWithError("Thickening failed");
            return;
        }
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_Thickening)->Unit(benchmark::kMillisecond);

#ifdef QUELVIX_HAVE_OPENCV_XIMGPROC
void BM_CvThinning(benchmark::State& state)
{
    bench::useOneCvThread();
    Field f;
    const cv::Mat in(bench::kCvSide, bench::kCvSide, CV_8U, f.bytes.data());
    cv::Mat out;
    for (auto _ : state) {
        cv::ximgproc::thinning(in, out, cv::ximgproc::THINNING_ZHANGSUEN);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvThinning)->Unit(benchmark::kMillisecond);

// Markers from the blobs' components; the watershed floods a colour picture
// of the field, as cv::watershed asks.
void BM_CvWatershed(benchmark::State& state)
{
    bench::useOneCvThread();
    Field f;
    const cv::Mat in(bench::kCvSide, bench::kCvSide, CV_8U, f.bytes.data());
    cv::Mat colour, markers;
    cv::cvtColor(in, colour, cv::COLOR_GRAY2BGR);
    for (auto _ : state) {
        cv::connectedComponents(in, markers, 8, CV_32S);
        cv::watershed(colour, markers);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvWatershed)->Unit(benchmark::kMillisecond);
#endif

} // namespace
