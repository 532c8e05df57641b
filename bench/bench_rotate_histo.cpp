// Histograms and rotations of 2048 x 2048 frames of 8 and 16 bits, beside
// OpenCV (calcHist, rotate, warpAffine) and libvips (hist_find, rot, affine)
// on one thread doing the same work. Items are pixels.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

#ifdef QUELVIX_HAVE_OPENCV
#include <opencv2/imgproc.hpp>
#endif

namespace
{

using bench::kCvSide;
using bench::kSide;
constexpr double kDegree = 0.017453292519943334;

// A frame with texture and noise; 16-bit samples hold 12 bits.
std::vector<uint8_t> frame(uint32_t comps, uint32_t bytes)
{
    return bench::texturedFrame(comps, bytes, 12345, 0.01, 0.013);
}

// The transform of a turn by deg about the centre, same size.
struct Turn {
    double m0, m1, m2, m3, m4, m5;
};
Turn turn(double deg)
{
    const double a = deg * kDegree, c = std::cos(a), s = std::sin(a), h = kSide / 2.0;
    return {c, s, -s, c, h + s * h - c * h, h - c * h - s * h};
}

// --- Histograms ---------------------------------------------------------------

#ifdef QUELVIX_HAVE_OPENCV
// Every component's bins, cleared and counted, side by side with the same
// counts in one pass (bench::ChannelHistograms). Args: components, sample
// bytes.
void BM_GetHistogram(benchmark::State& state)
{
    const uint32_t comps = uint32_t(state.range(0)), bytes = uint32_t(state.range(1));
    const uint32_t bits = bytes == 1 ? 8 : 12;
    const std::vector<uint8_t> src = frame(comps, bytes);
    std::vector<std::vector<uint32_t>> bins(comps, std::vector<uint32_t>(1u << bits));
    std::vector<void*> hist;
    for (auto& b : bins)
        hist.push_back(b.data());
    bench::ChannelHistograms peer(src.data(), comps, bytes);
    int result = 0;
    bench::sideBySide(
        state,
        [&] {
            for (auto& b : bins)
                std::fill(b.begin(), b.end(), 0u);
            result = CLxPicMemAPI::GetHistogram(hist.data(), 4, src.data(), kSide * comps * bytes,
                                                comps, bits, kSide, kSide * kSide);
        },
        [&] { peer.run(); });
    for (uint32_t c = 0; c < comps; ++c)
        for (uint32_t b = 0; b < (1u << bits); ++b)
            if (bins[c][b] != peer.at(c, b))
                result = -1;
    if (result != 0)
        state.SkipWithError("the histograms differ");
    bench::countFramePixels(state);
}
BENCHMARK(BM_GetHistogram)
    ->ArgNames({"comps", "bytes"})
    ->Args({1, 1})
    ->Args({3, 1})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
#endif

// --- Rotations ------------------------------------------------------------------

void BM_Rotate90(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0));
    const std::vector<uint8_t> src = frame(1, bytes);
    std::vector<uint8_t> dst(src.size());
    for (auto _ : state) {
        const int r = CLxPicMemAPI::Rotate(
            dst.data(), kSide * bytes, kSide, kSide * kSide, src.data(), kSide * bytes, kSide,
            kSide * kSide, 1, 8 * bytes, 90.0, nullptr, CLxPicMemAPI::eLxStretchNearest, false);
        benchmark::DoNotOptimize(r);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_Rotate90)->ArgNames({"bytes"})->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Args: sample bytes, mode (1 nearest, 2 bilinear).
void BM_Rotate30(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0));
    const auto mode = CLxPicMemAPI::ELxPicStretchMode(state.range(1));
    const std::vector<uint8_t> src = frame(1, bytes);
    std::vector<uint8_t> dst(src.size());
    const uint16_t background = 0;
    const Turn t = turn(30);
    for (auto _ : state) {
        const int r = CLxPicMemAPI::RotateMatrix(
            dst.data(), kSide * bytes, kSide, kSide * kSide, src.data(), kSide * bytes, kSide,
            kSide * kSide, 1, 8 * bytes, t.m0, t.m1, t.m2, t.m3, t.m4, t.m5, &background, mode);
        benchmark::DoNotOptimize(r);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_Rotate30)
    ->ArgNames({"bytes", "mode"})
    ->ArgsProduct({{1, 2}, {1, 2}})
    ->Unit(benchmark::kMillisecond);

#ifdef QUELVIX_HAVE_OPENCV
using bench::cvType;

void BM_CvRotate90(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0));
    std::vector<uint8_t> pixels = frame(1, bytes);
    const cv::Mat src(kCvSide, kCvSide, cvType(1, bytes), pixels.data());
    cv::Mat dst(src.size(), src.type());
    bench::useOneCvThread();
    for (auto _ : state) {
        cv::rotate(src, dst, cv::ROTATE_90_COUNTERCLOCKWISE);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvRotate90)->ArgNames({"bytes"})->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Args: sample bytes, interpolation.
void BM_CvWarpAffine30(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0));
    const int interpolation = int(state.range(1));
    std::vector<uint8_t> pixels = frame(1, bytes);
    const cv::Mat src(kCvSide, kCvSide, cvType(1, bytes), pixels.data());
    cv::Mat dst(src.size(), src.type());
    const Turn t = turn(30);
    const cv::Mat m = (cv::Mat_<double>(2, 3) << t.m0, t.m2, t.m4, t.m1, t.m3, t.m5);
    bench::useOneCvThread();
    for (auto _ : state) {
        cv::warpAffine(src, dst, m, src.size(), interpolation | cv::WARP_INVERSE_MAP);
        benchmark::ClobberMemory();
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_CvWarpAffine30)
    ->ArgNames({"bytes", "interpolation"})
    ->ArgsProduct({{1, 2}, {cv::INTER_NEAREST, cv::INTER_LINEAR}})
    ->Unit(benchmark::kMillisecond);
#endif

#ifdef QUELVIX_HAVE_VIPS
// One libvips image over the frame, computed on one thread.
struct VipsFrame {
    std::vector<uint8_t> pixels;
    VipsImage* image = nullptr;

    VipsFrame(uint32_t comps, uint32_t bytes) : pixels(frame(comps, bytes))
    {
        if (bench::startVipsOnOneThread())
            image = vips_image_new_from_memory(pixels.data(), pixels.size(), int(kSide), int(kSide),
                                               int(comps),
                                               bytes == 1 ? VIPS_FORMAT_UCHAR : VIPS_FORMAT_USHORT);
    }
    ~VipsFrame()
    {
        if (image)
            g_object_unref(image);
    }
};

using bench::evaluateVips;

void BM_VipsHistFind(benchmark::State& state)
{
    VipsFrame f(uint32_t(state.range(0)), uint32_t(state.range(1)));
    if (!f.image) {
        state.SkipWithError("libvips did not start");
        return;
    }
    for (auto _ : state) {
        VipsImage* out = nullptr;
        if (vips_hist_find(f.image, &out, nullptr) || !evaluateVips(out)) {
            state.SkipWithError("hist_find failed");
            break;
        }
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_VipsHistFind)
    ->ArgNames({"comps", "bytes"})
    ->Args({1, 1})
    ->Args({3, 1})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond);

void BM_VipsRot90(benchmark::State& state)
{
    VipsFrame f(1, uint32_t(state.range(0)));
    if (!f.image) {
        state.SkipWithError("libvips did not start");
        return;
    }
    for (auto _ : state) {
        VipsImage* out = nullptr;
        if (vips_rot(f.image, &out, VIPS_ANGLE_D270, nullptr) || !evaluateVips(out)) {
            state.SkipWithError("rot failed");
            break;
        }
    }
    bench::countFramePixels(state);
}
BENCHMARK(BM_VipsRot90)->ArgNames({"bytes"})->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Args: sample bytes, 1 nearest or 2 bilinear. The forward matrix of the
// same turn (libvips maps source to destination), output 2048 x 2048.
void BM_VipsAffine30(benchmark::State& state)
{
    VipsFrame f(1, uint32_t(state.range(0)));
    if (!f.image) {
        state.SkipWithError("libvips did not start");
        return;
    }
    VipsInterpolate* interpolate =
        vips_interpolate_new(state.range(1) == 1 ? "nearest" : "bilinear");
    VipsArrayInt* area = vips_array_int_newv(4, 0, 0, int(kSide), int(kSide));
    const double a = 30 * kDegree, c = std::cos(a), s = std::sin(a), h = kSide / 2.0;
    for (auto _ : state) {
        VipsImage* out = nullptr;
        if (vips_affine(f.image, &out, c, -s, s, c, "interpolate", interpolate, "oarea", area,
                        "odx", h - c * h - s * h, "ody", h + s * h - c * h, nullptr) ||
            !evaluateVips(out)) {
            state.SkipWithError("affine failed");
            break;
        }
    }
    vips_area_unref(VIPS_AREA(area));
    g_object_unref(interpolate);
    bench::countFramePixels(state);
}
BENCHMARK(BM_VipsAffine30)
    ->ArgNames({"bytes", "mode"})
    ->ArgsProduct({{1, 2}, {1, 2}})
    ->Unit(benchmark::kMillisecond);
#endif

} // namespace
