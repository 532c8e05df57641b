// Wavelet denoising, one wavelet level and the k-th element search, each
// side by side with the OpenCV or standard-library work it is measured
// against, on one thread; ours and the peer alternate inside one case on the
// same warm buffers and the counter "ratio" is ours over the peer:
//   BM_DenoiseBlind/<format>/vs_opencv  fastNlMeansDenoising (8 bits; 16
//       bits with NORM_L1), with the PSNR of the noisy input and of each
//       result as counters;
//   BM_WaveletLevel/1x64f/vs_opencv     sepFilter2D (a 14-tap kernel over
//       the same CV_64F plane: the same multiply-adds as a Daubechies 7
//       level);
//   BM_KthSearch/1x64f/vs_std           std::nth_element (10^6 doubles).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
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

using bench::kCvSide;
using bench::kSide;
constexpr double kSigma8 = 12.0; // noise in 8-bit grey levels

// A clean and a noisy picture of 8 or 16 bits (samples as uint16_t values).
struct SFrames {
    std::vector<uint16_t> clean, noisy;
    uint32_t top;
};

[[maybe_unused]] const SFrames& frames(uint32_t bytes)
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

#ifdef QUELVIX_HAVE_OPENCV_PHOTO
// A different method (non-local means against wavelet shrinkage): the
// outputs are not compared sample by sample; the PSNR of each against the
// clean frame says how well each denoised.
void denoiseVsOpenCv(benchmark::State& state, uint32_t bytes)
{
    const SFrames& f = frames(bytes);
    SPic src(bytes), ours(bytes), theirs(bytes);
    for (size_t i = 0; i < f.noisy.size(); ++i)
        src.set(i, f.noisy[i]);
    const int type = bytes == 1 ? CV_8UC1 : CV_16UC1;
    const cv::Mat s(kCvSide, kCvSide, type, src.pic.pData, src.pic.uiWidthBytes);
    cv::Mat d(kCvSide, kCvSide, type, theirs.pic.pData, theirs.pic.uiWidthBytes);
    const std::vector<float> h{float(kSigma8 * f.top / 255.0)};
    const auto peer = [&] {
        if (bytes == 1)
            cv::fastNlMeansDenoising(s, d, h[0]);
        else
            cv::fastNlMeansDenoising(s, d, h, 7, 21, cv::NORM_L1);
    };
    const auto sdk = [&] {
        return CLxPicBufAPI::DenoiseBlind(&ours.pic, &src.pic, 3, false, false, 0, 0);
    };
    bench::useOneCvThread();
    peer();
    if (sdk() != 0 || d.data != theirs.pic.pData) {
        state.SkipWithError(d.data != theirs.pic.pData ? "peer moved its output" : "ours failed");
        return;
    }
    bench::sideBySide(
        state, [&] { sdk(); }, peer);
    state.counters["psnr_noisy"] = psnr(f, [&](size_t i) { return f.noisy[i]; });
    state.counters["psnr"] = psnr(f, [&](size_t i) { return ours.get(i); });
    state.counters["psnr_peer"] = psnr(f, [&](size_t i) { return theirs.get(i); });
    bench::countFramePixels(state);
}
#endif

#ifdef QUELVIX_HAVE_OPENCV
// One Daubechies 7 level of a double plane against one 14-tap separable
// filter of the same plane at full size: the same multiply-adds, but four
// half-size bands against one full-size plane, so nothing to compare.
void waveletLevelVsOpenCv(benchmark::State& state)
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
    int status = 0;
    const auto sdk = [&] {
        double* o[4] = {out[0].data(), out[1].data(), out[2].data(), out[3].data()};
        uint32_t hw = 0, hh = 0;
        status |= CLxWavelet2D::WaveletDecompositionImage(
            o[0], o[1], o[2], o[3], hw, hh, plane.data(), kSide, kSide, low, high, uint32_t(taps));
    };
    const cv::Mat src(kCvSide, kCvSide, CV_64FC1, plane.data());
    cv::Mat dst(kCvSide, kCvSide, CV_64FC1, cv::Scalar(0));
    const cv::Mat kernel(1, taps, CV_64FC1, low);
    const auto peer = [&] { cv::sepFilter2D(src, dst, CV_64F, kernel, kernel); };
    bench::sideBySide(state, sdk, peer);
    if (status != 0)
        state.SkipWithError("ours failed");
    CLxDaubechies2DWave::FreeWavelet(low);
    CLxDaubechies2DWave::FreeWavelet(high);
    bench::countFramePixels(state);
}
#endif

std::vector<double> randomDoubles(size_t n)
{
    std::mt19937_64 gen(5);
    std::uniform_real_distribution<double> d(-1e6, 1e6);
    std::vector<double> v(n);
    for (double& x : v)
        x = d(gen);
    return v;
}

// Both searches destroy their input's order, so each side copies the values
// into its own work buffer inside its timing. The medians must be equal.
void kthSearchVsStd(benchmark::State& state)
{
    const std::vector<double> values = randomDoubles(1000000);
    std::vector<double> ours(values.size()), theirs(values.size());
    const uint32_t k = uint32_t(values.size() / 2);
    double result = 0.0;
    int status = 0;
    const auto sdk = [&] {
        ours = values;
        status |= CLxMedianSearch::KthSearch(&result, k, ours.data(), uint32_t(ours.size()));
        benchmark::DoNotOptimize(result);
    };
    const auto peer = [&] {
        theirs = values;
        std::nth_element(theirs.begin(), theirs.begin() + k, theirs.end());
        benchmark::DoNotOptimize(theirs[k]);
    };
    sdk();
    peer();
    if (status != 0 || result != theirs[k]) {
        state.SkipWithError(status != 0 ? "ours failed" : "medians differ");
        return;
    }
    bench::sideBySide(state, sdk, peer);
    bench::countItems(state, int64_t(values.size()));
}

const bool kRegistered = [] {
#ifdef QUELVIX_HAVE_OPENCV_PHOTO
    for (const uint32_t bytes : {1u, 2u})
        benchmark::RegisterBenchmark(
            ("BM_DenoiseBlind/1x" + std::to_string(8 * bytes) + "/vs_opencv").c_str(),
            denoiseVsOpenCv, bytes)
            ->Unit(benchmark::kMillisecond);
#endif
#ifdef QUELVIX_HAVE_OPENCV
    benchmark::RegisterBenchmark("BM_WaveletLevel/1x64f/vs_opencv", waveletLevelVsOpenCv)
        ->Unit(benchmark::kMillisecond);
#endif
    benchmark::RegisterBenchmark("BM_KthSearch/1x64f/vs_std", kthSearchVsStd)
        ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
