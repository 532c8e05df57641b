// General rotation, Savitzky-Golay smoothing, joint histograms and line and
// circle walks on 2048 x 2048 frames of 8 and 16 bits, each side by side
// with OpenCV (warpAffine, sepFilter2D, calcHist, line, circle) and libvips
// (affine) on one thread doing the same work. Ours and the peer alternate
// inside one case on the same warm buffers; the outputs are compared once
// before timing and the counter "ratio" is ours over the peer. Items are
// pixels. Names: BM_<operation>/<format>/vs_<peer>.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
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

[[maybe_unused]] std::string caseName(const char* op, uint32_t comps, uint32_t bytes,
                                      const char* peer)
{
    return std::string("BM_") + op + "/" + std::to_string(comps) + "x" + std::to_string(8 * bytes) +
           "/vs_" + peer;
}

// The largest sample difference, the percentage of samples that differ at
// all and that of those differing by more than one step of rounding, for
// peers that interpolate or round otherwise than ours.
[[maybe_unused]] void reportDifference(benchmark::State& state, const std::vector<uint8_t>& a,
                                       const std::vector<uint8_t>& b, uint32_t bytes)
{
    const size_t samples = a.size() / bytes;
    uint32_t largest = 0;
    size_t differing = 0, far = 0;
    for (size_t i = 0; i < samples; ++i) {
        uint32_t x = a[i * bytes], y = b[i * bytes];
        if (bytes == 2) {
            x |= uint32_t(a[i * 2 + 1]) << 8;
            y |= uint32_t(b[i * 2 + 1]) << 8;
        }
        const uint32_t d = x > y ? x - y : y - x;
        largest = std::max(largest, d);
        differing += d != 0;
        far += d > 1;
    }
    state.counters["max_diff"] = largest;
    state.counters["differ_pct"] = 100.0 * double(differing) / double(samples);
    state.counters["over1_pct"] = 100.0 * double(far) / double(samples);
}

// Source and both destinations of one format, touched before timing.
struct Frames {
    std::vector<uint8_t> src, ours, theirs;
    SLxPicBuf s, d;
    Frames(uint32_t c, uint32_t b)
        : src(frame(c, b)), ours(src.size()), theirs(src.size()), s(record(src, c, b)),
          d(record(ours, c, b))
    {
    }
};

constexpr double kAngle = 30.0;
constexpr double kRadians = 0.017453292519943334;
const SLxDPoint kCentre{kSide / 2.0, kSide / 2.0};

[[maybe_unused]] int rotateOurs(Frames& f)
{
    return lxpic::RotateGeneral(&f.d, &f.s, kCentre, kCentre, kAngle);
}

[[maybe_unused]] int golayOurs(Frames& f)
{
    return lxpic::golay_filter(&f.d, &f.s, 5, 0);
}

// --- OpenCV ---------------------------------------------------------------------

#ifdef QUELVIX_HAVE_OPENCV
// The same mapping: destination (x, y) reads the source at the turned
// position, pixels outside left as they were (0 in both). OpenCV
// interpolates with 5-bit fixed-point weights, ours in full precision, so
// samples may differ by a little: reported, not failed.
void rotateVsOpenCv(benchmark::State& state, uint32_t comps, uint32_t bytes)
{
    Frames f(comps, bytes);
    const int type = bench::cvType(comps, bytes);
    const cv::Mat s(kCvSide, kCvSide, type, f.src.data());
    cv::Mat d(kCvSide, kCvSide, type, f.theirs.data());
    const double a = -kAngle * kRadians, c = std::cos(a), sn = std::sin(a);
    const double h = kSide / 2.0;
    // u = c (x - h) + sn (y - h) + h, v = -sn (x - h) + c (y - h) + h
    const cv::Matx23d map(c, sn, h - c * h - sn * h, -sn, c, h + sn * h - c * h);
    const auto peer = [&] {
        cv::warpAffine(s, d, map, d.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                       cv::BORDER_TRANSPARENT);
    };
    bench::useOneCvThread();
    peer();
    if (rotateOurs(f) != 0) {
        state.SkipWithError("ours failed");
        return;
    }
    reportDifference(state, f.ours, f.theirs, bytes);
    bench::sideBySide(
        state, [&] { rotateOurs(f); }, peer);
    bench::countFramePixels(state);
}

// OpenCV's float taps of the same 5-point smoothing; they round otherwise
// than ours, so differences are reported, not failed.
void golayVsOpenCv(benchmark::State& state, uint32_t comps, uint32_t bytes)
{
    Frames f(comps, bytes);
    const int type = bench::cvType(comps, bytes);
    const cv::Mat s(kCvSide, kCvSide, type, f.src.data());
    cv::Mat d(kCvSide, kCvSide, type, f.theirs.data());
    const cv::Mat taps =
        (cv::Mat_<float>(1, 5) << -3.f / 35, 12.f / 35, 17.f / 35, 12.f / 35, -3.f / 35);
    const auto peer = [&] {
        cv::sepFilter2D(s, d, -1, taps, taps, cv::Point(-1, -1), 0, cv::BORDER_REPLICATE);
    };
    bench::useOneCvThread();
    peer();
    if (golayOurs(f) != 0) {
        state.SkipWithError("ours failed");
        return;
    }
    reportDifference(state, f.ours, f.theirs, bytes);
    bench::sideBySide(
        state, [&] { golayOurs(f); }, peer);
    bench::countFramePixels(state);
}

// Components 0 and 1 of an 8-bit RGB frame into 256 x 256 bins: the counts
// must be equal.
void histo2DVsOpenCv(benchmark::State& state)
{
    std::vector<uint8_t> src = frame(3, 1);
    SLxPicBuf s = record(src, 3, 1);
    SLxHisto2D h;
    CLxHisto2DAPI::Init(&h);
    const SLxPicBufDesc desc{s.uiWidth, s.uiHeight, s.uiWidthBytes, s.uiBpc, s.uiComps, s.uiSize};
    CLxHisto2DAPI::Reinit32(&h, &desc);
    const auto ours = [&] { return CLxHisto2DAPI::Calculate(&h, &s, 0, 1, true); };

    const cv::Mat m(kCvSide, kCvSide, CV_8UC3, src.data());
    const int channels[2] = {0, 1};
    const int sizes[2] = {256, 256};
    const float range[2] = {0.f, 256.f};
    const float* ranges[2] = {range, range};
    cv::Mat hist(2, sizes, CV_32F); // calcHist reuses it
    const auto peer = [&] { cv::calcHist(&m, 1, channels, cv::Mat(), hist, 2, sizes, ranges); };

    bench::useOneCvThread();
    peer();
    bool equal = ours() == 0;
    for (unsigned a = 0; a < 256 && equal; ++a)
        for (unsigned b = 0; b < 256 && equal; ++b)
            equal = CLxHisto2DAPI::GetValue(&h, a, b) == uint64_t(hist.at<float>(int(a), int(b)));
    if (!equal)
        state.SkipWithError("histograms differ");
    else
        bench::sideBySide(
            state, [&] { ours(); }, peer);
    CLxHisto2DAPI::Free(&h);
    bench::countFramePixels(state);
}

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

// Ours walks through a pixel function, OpenCV plots directly. Both canvases
// start blank; where the two rasterisers break ties otherwise, the
// differing pixels are reported, not failed.
void walkVsOpenCv(benchmark::State& state, bool circles)
{
    Canvas ours;
    std::vector<uint8_t> theirs(ours.pixels.size());
    cv::Mat canvas(kCvSide, kCvSide, CV_8UC1, theirs.data());
    const int64_t perCircle = circlePixels();
    const int count = circles ? int(10000000 / perCircle) : kLines;
    const auto sdk = [&] {
        for (int i = 0; i < count; ++i)
            if (circles)
                CLxLineDrawingAPI::Circle(kCvSide / 2 + i % 64, kCvSide / 2, kRadius, false,
                                          Canvas::plot, &ours);
            else
                CLxLineDrawingAPI::Line(0, i % kCvSide, kCvSide - 1, lineEndY(i), false,
                                        Canvas::plot, &ours);
    };
    const auto peer = [&] {
        for (int i = 0; i < count; ++i)
            if (circles)
                cv::circle(canvas, cv::Point(kCvSide / 2 + i % 64, kCvSide / 2), kRadius,
                           cv::Scalar(255), 1, cv::LINE_8);
            else
                cv::line(canvas, cv::Point(0, i % kCvSide), cv::Point(kCvSide - 1, lineEndY(i)),
                         cv::Scalar(255), 1, cv::LINE_8);
    };
    bench::useOneCvThread();
    sdk();
    peer();
    reportDifference(state, ours.pixels, theirs, 1);
    bench::sideBySide(state, sdk, peer);
    bench::countItems(state, circles ? int64_t(count) * perCircle : int64_t(count) * kSide);
}
#endif

// --- libvips --------------------------------------------------------------------

#ifdef QUELVIX_HAVE_VIPS
// libvips' bilinear affine over the destination's area, background 0,
// written to memory that libvips allocates each call, as it does. Its
// interpolation rounds otherwise than ours: differences are reported.
void rotateVsVips(benchmark::State& state, uint32_t comps, uint32_t bytes)
{
    if (!bench::startVipsOnOneThread()) {
        state.SkipWithError("libvips did not start");
        return;
    }
    Frames f(comps, bytes);
    VipsImage* image =
        vips_image_new_from_memory(f.src.data(), f.src.size(), kCvSide, kCvSide, int(comps),
                                   bytes == 1 ? VIPS_FORMAT_UCHAR : VIPS_FORMAT_USHORT);
    VipsInterpolate* bilinear = vips_interpolate_new("bilinear");
    VipsArrayInt* area = vips_array_int_newv(4, 0, 0, kCvSide, kCvSide);
    const double a = kAngle * kRadians, c = std::cos(a), s = std::sin(a);
    const double h = kSide / 2.0;
    bool keep = true, failed = false;
    const auto peer = [&] {
        VipsImage* out = nullptr;
        size_t size = 0;
        void* memory = nullptr;
        if (!vips_affine(image, &out, c, s, -s, c, "interpolate", bilinear, "oarea", area, "odx",
                         h - c * h - s * h, "ody", h + s * h - c * h, nullptr)) {
            memory = vips_image_write_to_memory(out, &size);
            g_object_unref(out);
        }
        if (!memory || size != f.theirs.size())
            failed = true;
        else if (keep)
            std::memcpy(f.theirs.data(), memory, size);
        g_free(memory);
    };
    peer();
    keep = false;
    if (rotateOurs(f) != 0 || failed) {
        state.SkipWithError(failed ? "affine failed" : "ours failed");
    } else {
        reportDifference(state, f.ours, f.theirs, bytes);
        bench::sideBySide(
            state, [&] { rotateOurs(f); }, peer);
        if (failed)
            state.SkipWithError("affine failed");
    }
    vips_area_unref(VIPS_AREA(area));
    g_object_unref(bilinear);
    g_object_unref(image);
    bench::countFramePixels(state);
}
#endif

const bool kRegistered = [] {
    const struct {
        uint32_t comps, bytes;
        bool golay, vips;
    } formats[] = {
        {1, 1, true, true}, {3, 1, true, true}, {1, 2, true, true}, {3, 2, false, false}};
    for (const auto& f : formats) {
        (void)f;
#ifdef QUELVIX_HAVE_OPENCV
        benchmark::RegisterBenchmark(
            caseName("RotateGeneral30", f.comps, f.bytes, "opencv").c_str(), rotateVsOpenCv,
            f.comps, f.bytes)
            ->Unit(benchmark::kMillisecond);
        if (f.golay)
            benchmark::RegisterBenchmark(
                caseName("GolaySmooth5", f.comps, f.bytes, "opencv").c_str(), golayVsOpenCv,
                f.comps, f.bytes)
                ->Unit(benchmark::kMillisecond);
#endif
#ifdef QUELVIX_HAVE_VIPS
        if (f.vips)
            benchmark::RegisterBenchmark(
                caseName("RotateGeneral30", f.comps, f.bytes, "vips").c_str(), rotateVsVips,
                f.comps, f.bytes)
                ->Unit(benchmark::kMillisecond);
#endif
    }
#ifdef QUELVIX_HAVE_OPENCV
    benchmark::RegisterBenchmark("BM_Histo2D/3x8/vs_opencv", histo2DVsOpenCv)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_LineWalk/1x8/vs_opencv", walkVsOpenCv, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_CircleWalk/1x8/vs_opencv", walkVsOpenCv, true)
        ->Unit(benchmark::kMillisecond);
#endif
    return true;
}();

} // namespace
