// Wavelet denoising, one wavelet level and the k-th element search, each
// beside the OpenCV or standard-library work it is measured against, on one
// thread:
//   BM_DenoiseBlind/bytes       against BM_FastNlMeans/bytes (8 bits; 16
//                               bits with NORM_L1), with the PSNR of the
//                               noisy input and of each result as counters;
//   BM_WaveletLevel             against BM_SepFilter2D (a 14-tap kernel
//                               over the same CV_64F plane: the same
//                               multiply-adds as a Daubechies 7 level);
//   BM_KthSearch                against BM_NthElement (10^6 doubles).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/wavelets/LxWavelet2D.h"

#ifdef QUELVIX_HAVE_OPENCV_PHOTO
#include <opencv2/imgproc.hpp>
#include <opencv2/photo.hpp>
#endif

namespace
{

using bench::kSide;
constexpr double kSigma8 = 12.0; // noise in 8-bit grey levels

// A clean and a noisy picture of 8 or 16 bits (samples as uint16_t values).
struct SFrames {
    std::vector<uint16_t> clean, noisy;
    uint32_t top;
};

const SFrames& frames(uint32_t bytes)
{
    static SFrames cache[2];
    SFrames& f = cache[bytes - 1];
    if (!f.clean.empty())
        return f;
    f.top = bytes == 1 ? 255 : 65535;
    const double scale = f.top / 255.0;
    std::mt19937 gen(37);
    std::normal_distribution<double> noise(0.0, kSigma8 * scale);
    f.clean.resize(size_t(kSide) * kSide);
    f.noisy.resize(f.clean.size());
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x) {
            double v = 110.0 + 60.0 * std::sin(x / 37.0) * std::cos(y / 23.0);
            if ((x / 128 + y / 96) % 2)
                v += 50.0;
            const size_t i = size_t(y) * kSide + x;
            f.clean[i] = uint16_t(std::lround(v * scale));
            f.noisy[i] = uint16_t(std::clamp(std::lround(v * scale + noise(gen)), 0l, long(f.top)));
        }
    return f;
}

template <class Get> double psnr(const SFrames& f, Get get)
{
    double sum = 0.0;
    for (size_t i = 0; i < f.clean.size(); ++i) {
        const double d = double(get(i)) - f.clean[i];
        sum += d * d;
    }
    const double mse = sum / double(f.clean.size());
    return 10.0 * std::log10(double(f.top) * f.top / mse);
}

struct SPic {
    SLxPicBuf pic;
    SPic(uint32_t bytes)
    {
        CLxPicBufAPI::Init(&pic);
        CLxPicBufAPI::Reinit(&pic, kSide, kSide, 0, 8 * bytes, 1, true);
    }
    ~SPic() { CLxPicBufAPI::Free(&pic); }
    uint32_t get(size_t i) const
    {
        uint16_t v = 0;
        const size_t bytes = pic.uiBpc > 8 ? 2 : 1;
        const auto* line = static_cast<const uint8_t*>(pic.pData) + (i / kSide) * pic.uiWidthBytes;
        std::memcpy(&v, line + (i % kSide) * bytes, bytes);
        return v;
    }
    void set(size_t i, uint16_t v)
    {
        const size_t bytes = pic.uiBpc > 8 ? 2 : 1;
        auto* line = static_cast<uint8_t*>(pic.pData) + (i / kSide) * pic.uiWidthBytes;
        std::memcpy(line + (i % kSide) * bytes, &v, bytes);
    }
};

void BM_DenoiseBlind(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0));
    const SFrames& f = frames(bytes);
    SPic src(bytes), dst(bytes);
    for (size_t i = 0; i < f.noisy.size(); ++i)
        src.set(i, f.noisy[i]);
    for (auto _ : state) {
        const int status = CLxPicBufAPI::DenoiseBlind(&dst.pic, &src.pic, 3, false, false, 0, 0);
        benchmark::DoNotOptimize(status);
        benchmark::ClobberMemory();
    }
    state.counters["psnr_noisy"] = psnr(f, [&](size_t i) { return f.noisy[i]; });
    state.counters["psnr"] = psnr(f, [&](size_t i) { return dst.get(i); });
    bench::countFramePixels(state);
}
BENCHMARK(BM_DenoiseBlind)->ArgName("bytes")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// One Daubechies 7 level of a double plane.
void BM_WaveletLevel(benchmark::State& state)
{
    std::vector<double> plane(size_t(kSide) * kSide);
    for (size_t i = 0; i < plane.size(); ++i)
        plane[i] = double((i * 2654435761u) >> 20 & 1023);
    double *low = nullptr, *high = nullptr;
    int taps = 0;
    CLxDaubechies2DWave::GetMotherWavelet(low, &taps, 7);
    CLxDaubechies2DWave::GetFatherWavelet(high, &taps, 7);
    std::vector<double> out[4];
    for (auto& o : out)
        o.resize(plane.size() / 4);
    for (auto _ : state) {
        double* o[4] = {out[0].data(), out[1].data(), out[2].data(), out[3].data()};
        uint32_t hw = 0, hh = 0;
        const int status = CLxWavelet2D::WaveletDecompositionImage(
            o[0], o[1], o[2], o[3], hw, hh, plane.data(), kSide, kSide, low, high, uint32_t(taps));
        benchmark::DoNotOptimize(status);
        benchmark::ClobberMemory();
    }
    CLxDaubechies2DWave::FreeWavelet(low);
    CLxDaubechies2DWave::FreeWavelet(high);
    bench::countFramePixels(state);
}
BENCHMARK(BM_WaveletLevel)->Unit(benchmark::kMillisecond);

std::vector<double> randomDoubles(size_t n)
{
    std::mt19937_64 gen(5);
    std::uniform_real_distribution<double> d(-1e6, 1e6);
    std::vector<double> v(n);
    for (double& x : v)
        x = d(gen);
    return v;
}

void BM_KthSearch(benchmark::State& state)
{
    const std::vector<double> values = randomDoubles(1000000);
    std::vector<double> work(values.size());
    for (auto _ : state) {
        work = values;
        double result = 0.0;
        const int status = CLxMedianSearch::KthSearch(&result, uint32_t(work.size() / 2),
                                                      work.data(), uint32_t(work.size()));
        benchmark::DoNotOptimize(status);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_KthSearch)->Unit(benchmark::kMillisecond);

void BM_NthElement(benchmark::State& state)
{
    const std::vector<double> values = randomDoubles(1000000);
    std::vector<double> work(values.size());
    for (auto _ : state) {
        work = values;
        std::nth_element(work.begin(), work.begin() + work.size() / 2, work.end());
        benchmark::DoNotOptimize(work[work.size() / 2]);
    }
}
BENCHMARK(BM_NthElement)->Unit(benchmark::kMillisecond);

#ifdef QUELVIX_HAVE_OPENCV_PHOTO
void BM_FastNlMeans(benchmark::State& state)
{
    bench::useOneCvThread();
    const uint32_t bytes = uint32_t(state.range(0));
    const SFrames& f = frames(bytes);
    cv::Mat src(kSide, kSide, bytes == 1 ? CV_8UC1 : CV_16UC1), dst;
    for (size_t i = 0; i < f.noisy.size(); ++i) {
        if (bytes == 1)
            src.data[i] = uint8_t(f.noisy[i]);
        else
            src.ptr<uint16_t>()[i] = f.noisy[i];
    }
    const float h = float(kSigma8 * f.top / 255.0);
    for (auto _ : state) {
        if (bytes == 1)
            cv::fastNlMeansDenoising(src, dst, h);
        else
            cv::fastNlMeansDenoising(src, dst, std::vector<float>{h}, 7, 21, cv::NORM_L1);
        benchmark::ClobberMemory();
    }
    state.counters["psnr"] = psnr(f, [&](size_t i) {
        return bytes == 1 ? uint32_t(dst.data[i]) : uint32_t(dst.ptr<uint16_t>()[i]);
    });
    bench::countFramePixels(state);
}
BENCHMARK(BM_FastNlMeans)->ArgName("bytes")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_SepFilter2D(benchmark::State& state)
{
    bench::useOneCvThread();
    cv::Mat plane(kSide, kSide, CV_64FC1), dst;
    for (size_t i = 0; i < size_t(kSide) * kSide; ++i)
        plane.ptr<double>()[i] = double((i * 2654435761u) >> 20 & 1023);
    double* low = nullptr;
    int taps = 0;
    CLxDaubechies2DWave::GetMotherWavelet(low, &taps, 7);
    const cv::Mat kernel(1, taps, CV_64FC1, low);
    for (auto _ : state) {
        cv::sepFilter2D(plane, dst, CV_64F, kernel, kernel);
        benchmark::ClobberMemory();
    }
    CLxDaubechies2DWave::FreeWavelet(low);
    bench::countFramePixels(state);
}
BENCHMARK(BM_SepFilter2D)->Unit(benchmark::kMillisecond);
#endif

} // namespace
