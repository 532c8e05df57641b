// General rotation, Savitzky-Golay smoothing, joint histograms and line and
// circle walks on 2048 x 2048 frames of 8 and 16 bits, beside OpenCV
// (warpAffine, sepFilter2D, calcHist, line, circle) and libvips (affine) on
// one thread doing the same work. Items are pixels.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/LxHisto2D.h"
#include "gnr_picture/LxLineDrawing.h"
#include "gnr_picture/PicBufAPI/LxGolayFilter.h"
#include "gnr_picture/PicBufAPI/LxRotateGeneral.h"

namespace
{

using bench::kCvSide;
using bench::kSide;

std::vector<uint8_t> frame(uint32_t comps, uint32_t bytes)
{
    return bench::texturedFrame(comps, bytes, 4711, 0.012, 0.009);
}

// A picture record over a vector's bytes (no padding).
SLxPicBuf record(std::vector<uint8_t>& pixels, uint32_t comps, uint32_t bytes)
{
    const uint32_t wb = kSide * comps * bytes;
    return SLxPicBuf{kSide, kSide,      wb,           uint8_t(bytes == 1 ? 8 : 12),
                     comps, wb * kSide, pixels.data()};
}

constexpr double kAngle = 30.0;
const SLxDPoint kCentre{kSide / 2.0, kSide / 2.0};

// --- Rotation -----------------------------------------------------------------

// Args: components, sample bytes.
void BM_RotateGeneral30(benchmark::State& state)
{
    const uint32_t comps = uint32_t(state.range(0)), bytes = uint32_t(state.range(1));
    std::vector<uint8_t> src = frame(comps, bytes), dst(src.size());
    SLxPicBuf s = record(src, comps, bytes), d = record(dst, comps, bytes);
    for (auto _ : state) {
        const int r = lxpic::RotateGeneral(&d, &s, kCentre, kCentre, kAngle);
        benchmark::DoNotOptimize(r);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_RotateGeneral30)
    ->ArgNames({"comps", "bytes"})
    ->Args({1, 1})
    ->Args({3, 1})
    ->Args({1, 2})
    ->Args({3, 2})
    ->Unit(benchmark::kMillisecond);

#ifdef QUELVIX_HAVE_OPENCV
// The same mapping: destination (x, y) reads the source at the turned
// position, pixels outside left as they were.
void BM_CvWarpAffine30(benchmark::State& state)
{
    const uint32_t comps = uint32_t(state.range(0)), bytes = uint32_t(state.range(1));
    std::vector<uint8_t> src = frame(comps, bytes), dst(src.size());
    const int type = bench::cvType(comps, bytes);
    const cv::Mat s(kCvSide, kCvSide, type, src.data());
    cv::Mat d(kCvSide, kCvSide, type, dst.data());
    const double a = -kAngle * 0.017453292519943334, c = std::cos(a), sn = std::sin(a);
    const double h = kSide / 2.0;
    // u = c (x - h) + sn (y - h) + h, v = -sn (x - h) + c (y - h) + h
    const cv::Matx23d map(c, sn, h - c * h - sn * h, -sn, c, h + sn * h - c * h);
    bench::useOneCvThread();
    for (auto _ : state) {
        cv::warpAffine(s, d, map, d.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                       cv::BORDER_TRANSPARENT);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvWarpAffine30)
    ->ArgNames({"comps", "bytes"})
    ->Args({1, 1})
    ->Args({3, 1})
    ->Args({1, 2})
    ->Args({3, 2})
    ->Unit(benchmark::kMillisecond);
#endif

#ifdef QUELVIX_HAVE_VIPS
void BM_VipsAffineBilinear30(benchmark::State& state)
{
    const uint32_t comps = uint32_t(state.range(0)), bytes = uint32_t(state.range(1));
    std::vector<uint8_t> src = frame(comps, bytes);
    if (!bench::startVipsOnOneThread()) {
        state.SkipWithError("libvips did not start");
        return;
    }
    VipsImage* image =
        vips_image_new_from_memory(src.data(), src.size(), kCvSide, kCvSide, int(comps),
                                   bytes == 1 ? VIPS_FORMAT_UCHAR : VIPS_FORMAT_USHORT);
    VipsInterpolate* bilinear = vips_interpolate_new("bilinear");
    VipsArrayInt* area = vips_array_int_newv(4, 0, 0, kCvSide, kCvSide);
    const double a = kAngle * 0.017453292519943334, c = std::cos(a), s = std::sin(a);
    const double h = kSide / 2.0;
    for (auto _ : state) {
        VipsImage* out = nullptr;
        if (vips_affine(image, &out, c, s, -s, c, "interpolate", bilinear, "oarea", area, "odx",
                        h - c * h - s * h, "ody", h + s * h - c * h, nullptr) ||
            !bench::evaluateVips(out)) {
            state.SkipWithError("affine failed");
            break;
        }
    }
    vips_area_unref(VIPS_AREA(area));
    g_object_unref(bilinear);
    g_object_unref(image);
    bench::countFramePixels(state);
}
BENCHMARK(BM_VipsAffineBilinear30)
    ->ArgNames({"comps", "bytes"})
    ->Args({1, 1})
    ->Args({3, 1})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond);
#endif

// --- Savitzky-Golay -------------------------------------------------------------

// Args: components, sample bytes.
void BM_GolaySmooth5(benchmark::State& state)
{
    const uint32_t comps = uint32_t(state.range(0)), bytes = uint32_t(state.range(1));
    std::vector<uint8_t> src = frame(comps, bytes), dst(src.size());
    SLxPicBuf s = record(src, comps, bytes), d = record(dst, comps, bytes);
    for (auto _ : state) {
        const int r = lxpic::golay_filter(&d, &s, 5, 0);
        benchmark::DoNotOptimize(r);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_GolaySmooth5)
    ->ArgNames({"comps", "bytes"})
    ->Args({1, 1})
    ->Args({3, 1})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond);

#ifdef QUELVIX_HAVE_OPENCV
void BM_CvSepFilter5(benchmark::State& state)
{
    const uint32_t comps = uint32_t(state.range(0)), bytes = uint32_t(state.range(1));
    std::vector<uint8_t> src = frame(comps, bytes), dst(src.size());
    const int type = bench::cvType(comps, bytes);
    const cv::Mat s(kCvSide, kCvSide, type, src.data());
    cv::Mat d(kCvSide, kCvSide, type, dst.data());
    const cv::Mat taps =
        (cv::Mat_<float>(1, 5) << -3.f / 35, 12.f / 35, 17.f / 35, 12.f / 35, -3.f / 35);
    bench::useOneCvThread();
    for (auto _ : state) {
        cv::sepFilter2D(s, d, -1, taps, taps, cv::Point(-1, -1), 0, cv::BORDER_REPLICATE);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvSepFilter5)
    ->ArgNames({"comps", "bytes"})
    ->Args({1, 1})
    ->Args({3, 1})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond);
#endif

// --- Joint histograms -----------------------------------------------------------

void BM_Histo2D(benchmark::State& state)
{
    std::vector<uint8_t> src = frame(3, 1);
    SLxPicBuf s = record(src, 3, 1);
    SLxHisto2D h;
    CLxHisto2DAPI::Init(&h);
    const SLxPicBufDesc desc{s.uiWidth, s.uiHeight, s.uiWidthBytes, s.uiBpc, s.uiComps, s.uiSize};
    CLxHisto2DAPI::Reinit32(&h, &desc);
    for (auto _ : state) {
        const int r = CLxHisto2DAPI::Calculate(&h, &s, 0, 1, true);
        benchmark::DoNotOptimize(r);
        benchmark::ClobberMemory();
    }
    CLxHisto2DAPI::Free(&h);
    bench::countFramePixels(state);
}
BENCHMARK(BM_Histo2D)->Unit(benchmark::kMillisecond);

#ifdef QUELVIX_HAVE_OPENCV
void BM_CvCalcHist2D(benchmark::State& state)
{
    std::vector<uint8_t> src = frame(3, 1);
    const cv::Mat s(kCvSide, kCvSide, CV_8UC3, src.data());
    const int channels[2] = {0, 1};
    const int sizes[2] = {256, 256};
    const float range[2] = {0.f, 256.f};
    const float* ranges[2] = {range, range};
    bench::useOneCvThread();
    cv::Mat hist;
    for (auto _ : state) {
        cv::calcHist(&s, 1, channels, cv::Mat(), hist, 2, sizes, ranges);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvCalcHist2D)->Unit(benchmark::kMillisecond);
#endif

// --- Line and circle walks ------------------------------------------------------

// Plots into an 8-bit frame; every walk stays inside it.
struct Canvas {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(size_t(kSide) * kSide);
    static bool plot(int x, int y, void* context)
    {
        static_cast<Canvas*>(context)->pixels[size_t(y) * kSide + size_t(x)] = 255;
        return true;
    }
};

// Lines from the left to the right edge at every slope up to 45 degrees:
// 2048 pixels each, 4883 lines about 10^7 pixels.
constexpr int kLines = 4883;
int lineEndY(int i)
{
    return (i * 7) % kCvSide;
}

void BM_LineWalk(benchmark::State& state)
{
    Canvas canvas;
    for (auto _ : state) {
        for (int i = 0; i < kLines; ++i)
            CLxLineDrawingAPI::Line(0, i % kCvSide, kCvSide - 1, lineEndY(i), false, Canvas::plot,
                                    &canvas);
        benchmark::ClobberMemory();
    }
    bench::countItems(state, int64_t(kLines) * kSide);
}
BENCHMARK(BM_LineWalk)->Unit(benchmark::kMillisecond);

// Circles of radius 700 about the centre: about 8 x 700 / sqrt(2) pixels
// each, counted as walked.
constexpr int kRadius = 700;
int64_t circlePixels()
{
    int64_t n = 0;
    CLxLineDrawingAPI::Circle(
        0, 0, kRadius, false,
        [](int, int, void* c) {
            ++*static_cast<int64_t*>(c);
            return true;
        },
        &n);
    return n;
}

void BM_CircleWalk(benchmark::State& state)
{
    Canvas canvas;
    const int64_t perCircle = circlePixels();
    const int circles = int(10000000 / perCircle);
    for (auto _ : state) {
        for (int i = 0; i < circles; ++i)
            CLxLineDrawingAPI::Circle(kCvSide / 2 + i % 64, kCvSide / 2, kRadius, false,
                                      Canvas::plot, &canvas);
        benchmark::ClobberMemory();
    }
    bench::countItems(state, int64_t(circles) * perCircle);
}
BENCHMARK(BM_CircleWalk)->Unit(benchmark::kMillisecond);

#ifdef QUELVIX_HAVE_OPENCV
void BM_CvLine(benchmark::State& state)
{
    cv::Mat canvas(kCvSide, kCvSide, CV_8UC1, cv::Scalar(0));
    for (auto _ : state) {
        for (int i = 0; i < kLines; ++i)
            cv::line(canvas, cv::Point(0, i % kCvSide), cv::Point(kCvSide - 1, lineEndY(i)),
                     cv::Scalar(255), 1, cv::LINE_8);
        benchmark::ClobberMemory();
    }
    bench::countItems(state, int64_t(kLines) * kSide);
}
BENCHMARK(BM_CvLine)->Unit(benchmark::kMillisecond);

void BM_CvCircle(benchmark::State& state)
{
    cv::Mat canvas(kCvSide, kCvSide, CV_8UC1, cv::Scalar(0));
    const int64_t perCircle = circlePixels();
    const int circles = int(10000000 / perCircle);
    for (auto _ : state) {
        for (int i = 0; i < circles; ++i)
            cv::circle(canvas, cv::Point(kCvSide / 2 + i % 64, kCvSide / 2), kRadius,
                       cv::Scalar(255), 1, cv::LINE_8);
        benchmark::ClobberMemory();
    }
    bench::countItems(state, int64_t(circles) * perCircle);
}
BENCHMARK(BM_CvCircle)->Unit(benchmark::kMillisecond);
#endif

} // namespace
