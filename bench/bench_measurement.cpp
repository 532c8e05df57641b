// Measurement against OpenCV (one thread) on the same 2048 x 2048 frames in
// the same process. Each iteration runs the SDK side and its reference one
// after the other, so machine noise hits both alike; the counter "ratio" is
// the median SDK time over the median reference time.
#include <benchmark/benchmark.h>

#ifdef QUELVIX_HAVE_OPENCV

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "bench_support.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"

namespace colorimetry_bench
{

// Both sides convert or measure a whole frame; items are its pixels.
void sideBySide(benchmark::State& state, const std::function<void()>& sdk,
                const std::function<void()>& reference)
{
    bench::sideBySide(state, sdk, reference);
    bench::countFramePixels(state);
}

// The 8-bit colours of a textured frame and the same colours as OpenCV's
// linear float RGB on the scale 0 to 1.
struct Colours {
    std::vector<uint8_t> rgb8 = bench::texturedFrame(3, 1, 0xC01, 0.011, 0.007);
    cv::Mat rgbFloat;
    Colours()
    {
        cv::Mat(bench::kCvSide, bench::kCvSide, CV_8UC3, rgb8.data())
            .convertTo(rgbFloat, CV_32FC3, 1.0 / 255);
    }
};

SLxColorCIExy whitePoint()
{
    SLxColorCIExy white;
    CLxPicMeasAPI::RGB2Yxy(255, 255, 255, &white.Y, &white.x, &white.y);
    return white;
}

double second(const SLxColorCIELab& r)
{
    return r.a;
}
double third(const SLxColorCIELab& r)
{
    return r.b;
}
double second(const SLxColorCIELuv& r)
{
    return r.u;
}
double third(const SLxColorCIELuv& r)
{
    return r.v;
}

// Every colour through RGB2XYZ, XYZ2CIExy and the conversion to L*a*b* or
// L*u*v*, the three coordinates stored as floats like OpenCV's.
template <class Record,
          int (*Convert)(const SLxColorCIExy*, double, Record*, const SLxColorCIExy*, double)>
void sdkConversion(const std::vector<uint8_t>& rgb8, std::vector<float>& out)
{
    const SLxColorCIExy white = whitePoint();
    const size_t n = rgb8.size() / 3;
    for (size_t i = 0; i < n; ++i) {
        const SLxColRGB rgb = {double(rgb8[3 * i]), double(rgb8[3 * i + 1]),
                               double(rgb8[3 * i + 2])};
        SLxColorXYZ xyz;
        SLxColorCIExy xy;
        Record r;
        CLxPicMeasAPI::RGB2XYZ(&xyz, &rgb);
        CLxPicMeasAPI::XYZ2CIExy(&xy, &xyz);
        Convert(&xy, -1, &r, &white, white.Y);
        out[3 * i] = float(r.L);
        out[3 * i + 1] = float(second(r));
        out[3 * i + 2] = float(third(r));
    }
}

void BM_ColorimetryLab(benchmark::State& state)
{
    const Colours colours;
    std::vector<float> out(colours.rgb8.size());
    cv::Mat ref;
    sideBySide(
        state,
        [&] { sdkConversion<SLxColorCIELab, CLxPicMeasAPI::CIExy2CIELab>(colours.rgb8, out); },
        [&] { cv::cvtColor(colours.rgbFloat, ref, cv::COLOR_LRGB2Lab); });
}
BENCHMARK(BM_ColorimetryLab)->Unit(benchmark::kMillisecond);

void BM_ColorimetryLuv(benchmark::State& state)
{
    const Colours colours;
    std::vector<float> out(colours.rgb8.size());
    cv::Mat ref;
    sideBySide(
        state,
        [&] { sdkConversion<SLxColorCIELuv, CLxPicMeasAPI::CIExy2CIELuv>(colours.rgb8, out); },
        [&] { cv::cvtColor(colours.rgbFloat, ref, cv::COLOR_LRGB2Luv); });
}
BENCHMARK(BM_ColorimetryLuv)->Unit(benchmark::kMillisecond);

} // namespace colorimetry_bench

namespace measurement_bench
{

// About 4700 objects: 7800 discs of radius 1 to 10 at random on a 2048 x
// 2048 one-bit frame (touching discs merge), as an OpenCV 8-bit mask too.
struct ObjectField {
    SLxBinPicBuf bits;
    SLxPicBuf grey;
    cv::Mat mask = cv::Mat::zeros(bench::kCvSide, bench::kCvSide, CV_8UC1);
    ObjectField()
    {
        std::mt19937 rng(4343);
        for (int i = 0; i < 7800; ++i) {
            const int cx = int(rng() % bench::kSide), cy = int(rng() % bench::kSide);
            cv::circle(mask, cv::Point(cx, cy), 1 + int(rng() % 10), cv::Scalar(1), cv::FILLED);
        }
        CLxBinPicBufAPI::Init(&bits);
        CLxBinPicBufAPI::Reinit(&bits, bench::kSide, bench::kSide, 0, true);
        for (int y = 0; y < bench::kCvSide; ++y)
            for (int x = 0; x < bench::kCvSide; ++x)
                if (mask.at<uint8_t>(y, x))
                    static_cast<uint8_t*>(bits.pData)[size_t(y) * bits.uiWidthBytes + x / 8] |=
                        uint8_t(0x80u >> (x % 8));
        const std::vector<uint8_t> samples = bench::texturedFrame(1, 1, 0x43, 0.013, 0.009);
        CLxPicBufAPI::Init(&grey);
        CLxPicBufAPI::Reinit(&grey, bench::kSide, bench::kSide, bench::kSide, 8, 1, false);
        std::memcpy(grey.pData, samples.data(), samples.size());
    }
    ~ObjectField()
    {
        CLxBinPicBufAPI::Free(&bits);
        CLxPicBufAPI::Free(&grey);
    }
};

// Labelling into painted run-length objects and measuring each one's area,
// centre and box (mask 0x104), beside connectedComponentsWithStats.
void BM_MeasureAllObjectsRuns(benchmark::State& state)
{
    const ObjectField field;
    SLxObjectData data;
    cv::Mat labels, stats, centroids;
    int objects = 0;
    colorimetry_bench::sideBySide(
        state,
        [&] {
            SLxRLEPicBuf rle;
            CLxRLEPicBufAPI::Init(&rle, 0, true);
            CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(&rle, &field.bits);
            data.Free();
            CLxPicMeasAPI::MeasureAllObjects(&field.grey, &rle, nullptr, 0, false, nullptr,
                                             CLxPicMeasAPI::eFrameTouchKeep, false, nullptr,
                                             CLxPicMeasAPI::eFrameTouchKeep, 1.0, 0, 0, 0, nullptr,
                                             0, 0, 0, 0x104, &data, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, nullptr, nullptr, nullptr);
            CLxRLEPicBufAPI::Free(&rle);
        },
        [&] {
            objects =
                cv::connectedComponentsWithStats(field.mask, labels, stats, centroids, 8, CV_32S) -
                1;
        });
    state.counters["objects"] = double(data.uiCount);
    state.counters["cv_objects"] = double(objects);
}
BENCHMARK(BM_MeasureAllObjectsRuns)->Unit(benchmark::kMillisecond);

} // namespace measurement_bench

#endif // QUELVIX_HAVE_OPENCV
