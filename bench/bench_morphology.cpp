// Grey erosion, dilation, opening, top-hat and gradient through
// CLxPicBufAPI (the worker choice and the repeated square included) side by
// side with OpenCV's morphologyEx on one thread, and the distance maps
// beside OpenCV (distanceTransform) and libvips (rank). Items are pixels.
// The OpenCV cases first check that our result equals theirs where both
// compute the same thing.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
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

// The kernels measured: the named squares, crosses and octagons, and a
// general 7 x 7 ellipse (OpenCV's own element of that size).
enum Shape { square3, square5, cross3, oct4, oct5, ellipse7 };

const SLxKernel& kernelOf(int shape)
{
    static const std::unique_ptr<SLxKernel> ellipse = [] {
        auto k = std::make_unique<SLxKernel>(CLxPicBufAPI::Square3);
        const cv::Mat e = cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(7, 7));
        std::memcpy(k->wszName, u"Ellipse7", sizeof(u"Ellipse7"));
        k->uiNRows = k->uiNCols = 7;
        k->uiCenterRow = k->uiCenterCol = 3;
        for (int i = 0; i < 49; ++i) {
            k->ubMask[i] = e.at<uint8_t>(i / 7, i % 7) != 0;
            k->iValues[i] = 1;
        }
        return k;
    }();
    switch (shape) {
    case square3:
        return CLxPicBufAPI::Square3;
    case square5:
        return CLxPicBufAPI::Square5;
    case cross3:
        return CLxPicBufAPI::Cross3;
    case oct4:
        return CLxPicBufAPI::Oct4;
    case oct5:
        return CLxPicBufAPI::Oct5;
    default:
        return *ellipse;
    }
}

cv::Mat cvElement(const SLxKernel& k)
{
    cv::Mat m(int(k.uiNRows), int(k.uiNCols), CV_8U);
    for (uint32_t i = 0; i < k.uiNRows * k.uiNCols; ++i)
        m.at<uint8_t>(int(i / k.uiNCols), int(i % k.uiNCols)) = k.ubMask[i] != 0;
    return m;
}

enum MorphOp { erode, dilate, open, peaks, gradient };

int runMorph(int op, SLxPicBuf* d, const SLxPicBuf* s, const SLxKernel& k, uint32_t count)
{
    switch (op) {
    case erode:
        return CLxPicBufAPI::Erode(d, s, &k, count);
    case dilate:
        return CLxPicBufAPI::Dilate(d, s, &k, count);
    case open:
        return CLxPicBufAPI::Open(d, s, &k, count);
    case peaks:
        return CLxPicBufAPI::DetectPeaks(d, s, &k, count);
    default:
        return CLxPicBufAPI::GradientMorpho(d, s, &k, count);
    }
}

// Args: operation, sample bytes, kernel shape, count. Ours and OpenCV
// (erode, dilate, morphologyEx with the kernel as element, anchored at its
// centre, edges replicated) alternate on the same warm frames; the outputs
// must be equal. A count above 1 repeats the square as one element of the
// summed reach, which is what our repeated square is.
void BM_GreyMorph(benchmark::State& state)
{
    const int op = int(state.range(0));
    const uint32_t bytes = uint32_t(state.range(1));
    const SLxKernel& k = kernelOf(int(state.range(2)));
    const uint32_t count = uint32_t(state.range(3));
    std::vector<uint8_t> pixels = textured(bytes), ours(pixels.size()), theirs(pixels.size());
    SLxPicBuf s = recordOver(pixels, bytes), d = recordOver(ours, bytes);
    const cv::Mat src(kCvSide, kCvSide, cvType(1, bytes), pixels.data());
    cv::Mat dst(src.size(), src.type(), theirs.data());
    const bool summed = count > 1 && (op == erode || op == dilate);
    const int side = int((k.uiNRows - 1) * count + 1);
    const cv::Mat element = summed ? cv::Mat::ones(side, side, CV_8U) : cvElement(k);
    const cv::Point anchor =
        summed ? cv::Point(-1, -1) : cv::Point(int(k.uiCenterCol), int(k.uiCenterRow));
    const int iterations = summed ? 1 : int(count);
    const int cvOp = op == erode    ? cv::MORPH_ERODE
                     : op == dilate ? cv::MORPH_DILATE
                     : op == open   ? cv::MORPH_OPEN
                     : op == peaks  ? cv::MORPH_TOPHAT
                                    : cv::MORPH_GRADIENT;
    const auto peer = [&] {
        cv::morphologyEx(src, dst, cvOp, element, anchor, iterations, cv::BORDER_REPLICATE);
    };
    peer();
    if (runMorph(op, &d, &s, k, count) != 0) {
        state.SkipWithError("ours failed");
        return;
    }
    if (cv::norm(dst, cv::Mat(src.size(), src.type(), ours.data()), cv::NORM_INF) != 0) {
        state.SkipWithError("outputs differ");
        return;
    }
    bench::sideBySide(
        state, [&] { runMorph(op, &d, &s, k, count); }, peer);
    bench::countFramePixels(state);
}
BENCHMARK(BM_GreyMorph)
    ->ArgNames({"op", "bytes", "kernel", "count"})
    ->ArgsProduct({{erode, dilate}, {1, 2}, {square3, square5, cross3, oct4, oct5, ellipse7}, {1}})
    ->Args({erode, 1, square3, 15})
    ->Args({dilate, 1, square3, 15})
    ->ArgsProduct({{open, peaks, gradient}, {1, 2}, {square3, square5}, {1, 3}})
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
