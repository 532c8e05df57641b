// Grey erosion and dilation through CLxPicBufAPI (the worker choice and the
// repeated square included) and the distance maps, on 2048 x 2048 frames,
// beside OpenCV (erode, dilate, distanceTransform) and libvips (rank) on one
// thread. Items are pixels. The OpenCV cases first check that our result
// equals theirs where both compute the same thing.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

#ifdef QUELVIX_HAVE_OPENCV
#include <opencv2/imgproc.hpp>
#endif

namespace
{

using bench::kCvSide;
using bench::kSide;

std::vector<uint8_t> textured(uint32_t bytes)
{
    return bench::texturedFrame(1, bytes, 3303, 0.013, 0.021);
}

SLxPicBuf recordOver(std::vector<uint8_t>& v, uint32_t bytes)
{
    const uint32_t line = kSide * bytes;
    return SLxPicBuf{kSide, kSide, line, uint8_t(bytes * 8), 1, line * kSide, v.data()};
}

struct MorphCase {
    const char* label;
    const SLxKernel* kernel;
    uint32_t count;
};

const MorphCase kMorphCases[] = {
    {"Square3", &CLxPicBufAPI::Square3, 1}, {"Square5", &CLxPicBufAPI::Square5, 1},
    {"Cross3", &CLxPicBufAPI::Cross3, 1},   {"Oct4", &CLxPicBufAPI::Oct4, 1},
    {"Square3x15", &CLxPicBufAPI::Square3, 15},
};

int runMorph(bool erode, SLxPicBuf* d, const SLxPicBuf* s, const MorphCase& c)
{
    if (c.count == 1)
        return erode ? CLxPicBufAPI::Erode(d, s, c.kernel) : CLxPicBufAPI::Dilate(d, s, c.kernel);
    return erode ? CLxPicBufAPI::Erode(d, s, c.kernel, c.count)
                 : CLxPicBufAPI::Dilate(d, s, c.kernel, c.count);
}

// Args: erode (1) or dilate (0), sample bytes, case of kMorphCases.
void BM_GreyMorph(benchmark::State& state)
{
    const bool erode = state.range(0) != 0;
    const uint32_t bytes = uint32_t(state.range(1));
    const MorphCase& c = kMorphCases[state.range(2)];
    std::vector<uint8_t> src = textured(bytes), dst(src.size());
    SLxPicBuf s = recordOver(src, bytes), d = recordOver(dst, bytes);
    state.SetLabel(c.label);
    for (auto _ : state) {
        benchmark::DoNotOptimize(runMorph(erode, &d, &s, c));
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_GreyMorph)
    ->ArgNames({"erode", "bytes", "case"})
    ->ArgsProduct({{1, 0}, {1, 2}, {0, 1, 2, 3, 4}})
    ->Unit(benchmark::kMillisecond);

// Objects where the frame is above a level, background below: blobs with
// distances up to a few dozen pixels.
std::vector<uint8_t> objectFrame()
{
    const std::vector<uint8_t> grey = textured(1);
    std::vector<uint8_t> objects(grey.size());
    for (size_t i = 0; i < grey.size(); ++i)
        objects[i] = grey[i] > 70 ? 1 : 0;
    return objects;
}

std::vector<uint8_t> distancePicture(const std::vector<uint8_t>& objects)
{
    std::vector<uint8_t> v(objects.size() * 2, 0);
    for (size_t i = 0; i < objects.size(); ++i)
        v[2 * i] = objects[i];
    return v;
}

// Arg: the metric selector. Each iteration restores the objects (untimed)
// and makes the map in place.
void BM_DistanceFunction(benchmark::State& state)
{
    const uint32_t metric = uint32_t(state.range(0));
    const std::vector<uint8_t> start = distancePicture(objectFrame());
    std::vector<uint8_t> pic(start.size());
    SLxPicBuf p = recordOver(pic, 2);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(pic.data(), start.data(), pic.size());
        state.ResumeTiming();
        benchmark::DoNotOptimize(CLxPicBufAPI::DistanceFunction(&p, metric));
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_DistanceFunction)
    ->ArgNames({"metric"})
    ->Arg(3)
    ->Arg(5)
    ->Arg(15)
    ->Arg(16)
    ->Arg(7)
    ->Unit(benchmark::kMillisecond);

// Reconstruction until settled, for its cost beside one erosion.
void BM_RegionalMaxima(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0));
    std::vector<uint8_t> src = textured(bytes), dst(src.size());
    SLxPicBuf s = recordOver(src, bytes), d = recordOver(dst, bytes);
    for (auto _ : state) {
        benchmark::DoNotOptimize(CLxPicBufAPI::RegionalMaxima(&d, &s, &CLxPicBufAPI::Square3));
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_RegionalMaxima)->ArgNames({"bytes"})->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

#ifdef QUELVIX_HAVE_OPENCV
using bench::cvType;

cv::Mat cvElement(const MorphCase& c)
{
    if (c.count > 1) {
        const int side = int((c.kernel->uiNRows - 1) * c.count + 1);
        return cv::Mat::ones(side, side, CV_8U);
    }
    cv::Mat m(int(c.kernel->uiNRows), int(c.kernel->uiNCols), CV_8U);
    for (uint32_t i = 0; i < c.kernel->uiNRows * c.kernel->uiNCols; ++i)
        m.at<uint8_t>(int(i / c.kernel->uiNCols), int(i % c.kernel->uiNCols)) =
            c.kernel->ubMask[i] != 0;
    return m;
}

// The same erosion or dilation by cv::erode / cv::dilate with the kernel as
// element, anchored at its centre, edges replicated.
void BM_CvGreyMorph(benchmark::State& state)
{
    const bool erode = state.range(0) != 0;
    const uint32_t bytes = uint32_t(state.range(1));
    const MorphCase& c = kMorphCases[state.range(2)];
    std::vector<uint8_t> pixels = textured(bytes), ours(pixels.size());
    const cv::Mat src(kCvSide, kCvSide, cvType(1, bytes), pixels.data());
    cv::Mat dst(src.size(), src.type());
    const cv::Mat element = cvElement(c);
    const cv::Point anchor = c.count > 1 ? cv::Point(-1, -1)
                                         : cv::Point(int(c.kernel->uiCenterCol),
                                                     int(c.kernel->uiCenterRow));
    bench::useOneCvThread();
    state.SetLabel(c.label);
    const auto run = [&] {
        if (erode)
            cv::erode(src, dst, element, anchor, 1, cv::BORDER_REPLICATE);
        else
            cv::dilate(src, dst, element, anchor, 1, cv::BORDER_REPLICATE);
    };
    run();
    SLxPicBuf s = recordOver(pixels, bytes), d = recordOver(ours, bytes);
    runMorph(erode, &d, &s, c);
    if (cv::norm(dst, cv::Mat(src.size(), src.type(), ours.data()), cv::NORM_INF) != 0) {
        state.SkipWithError("outputs differ");
        return;
    }
    for (auto _ : state) {
        run();
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvGreyMorph)
    ->ArgNames({"erode", "bytes", "case"})
    ->ArgsProduct({{1, 0}, {1, 2}, {0, 1, 2, 3, 4}})
    ->Unit(benchmark::kMillisecond);

// The nearest OpenCV map of each metric: chessboard for 3 (equal to ours),
// the 3 x 3 L2 mask for 15, the 5 x 5 L2 mask for 5 and 16, and the exact
// Euclidean map for the 7 x 7 mask.
void BM_CvDistanceTransform(benchmark::State& state)
{
    const uint32_t metric = uint32_t(state.range(0));
    std::vector<uint8_t> objects = objectFrame();
    const cv::Mat src(kCvSide, kCvSide, CV_8UC1, objects.data());
    cv::Mat dist;
    const int type = metric == 3 ? cv::DIST_C : cv::DIST_L2;
    const int mask = metric == 3 || metric == 15 ? 3
                     : metric == 5 || metric == 16 ? 5
                                                   : cv::DIST_MASK_PRECISE;
    bench::useOneCvThread();
    if (metric == 3) {
        std::vector<uint8_t> ours = distancePicture(objects);
        SLxPicBuf p = recordOver(ours, 2);
        CLxPicBufAPI::DistanceFunction(&p, 3);
        cv::distanceTransform(src, dist, type, mask, CV_32F);
        cv::Mat expected;
        dist.convertTo(expected, CV_16U);
        if (cv::norm(expected, cv::Mat(src.size(), CV_16UC1, ours.data()), cv::NORM_INF) != 0) {
            state.SkipWithError("outputs differ");
            return;
        }
    }
    for (auto _ : state) {
        cv::distanceTransform(src, dist, type, mask, CV_32F);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvDistanceTransform)
    ->ArgNames({"metric"})
    ->Arg(3)
    ->Arg(5)
    ->Arg(15)
    ->Arg(16)
    ->Arg(7)
    ->Unit(benchmark::kMillisecond);
#endif

#ifdef QUELVIX_HAVE_VIPS
// The n x n minimum by vips_rank (index 0).
void BM_VipsRankMinimum(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0));
    const int n = int(state.range(1));
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
BENCHMARK(BM_VipsRankMinimum)
    ->ArgNames({"bytes", "n"})
    ->ArgsProduct({{1, 2}, {3, 5, 31}})
    ->Unit(benchmark::kMillisecond);
#endif

} // namespace
