// The float Fourier transforms and kernel convolutions beside single-threaded
// peers in the same process: FFTW (plans made with FFTW_MEASURE before the
// timing) for the transforms, OpenCV's dft and filter2D for the transforms
// and the convolutions. Each iteration runs the SDK call and its reference
// one after the other and times both, so machine noise hits both sides
// alike; the counter "ratio" is the median SDK time over the median
// reference time (below 1: the SDK is faster).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/FloatPicBufAPI/LxComplexFFT2D.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"
#include "w32_system/memory/LxAlloc.h"

#ifdef QUELVIX_HAVE_FFTW
#include <fftw3.h>
#endif

namespace
{

using bench::sideBySide;

std::vector<float> noise(size_t count, uint32_t seed)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    std::vector<float> v(count);
    for (float& x : v)
        x = d(gen);
    return v;
}

// An n x n complex picture as ComplexFFT2D takes it: line pointers, tables.
struct ComplexLines {
    uint32_t n;
    float** lines;
    int32_t* ip;
    float* w;
    std::vector<float> input;
    explicit ComplexLines(uint32_t side)
        : n(side), lines(lxpic::AllocFloatLines(side, 2 * side)),
          ip(static_cast<int32_t*>(lxpic::AllocWords(lxpic::ComplexFFT2DIndexWords(side, side)))),
          w(static_cast<float*>(lxpic::AllocWords(lxpic::ComplexFFT2DTwiddleWords(side, side)))),
          input(noise(size_t(side) * side * 2, 1))
    {
        reload();
    }
    ~ComplexLines()
    {
        lxpic::FreeFloatLines(lines);
        CLxAlloc::Free(ip);
        CLxAlloc::Free(w);
    }
    void reload()
    {
        for (uint32_t y = 0; y < n; ++y)
            std::memcpy(lines[y], input.data() + size_t(y) * 2 * n, 2 * n * sizeof(float));
    }
    void transform() { lxpic::ComplexFFT2D(n, 2 * n, 1, lines, ip, w); }
};

// The outputs of the two sides, compared once outside the timing: the
// largest difference relative to the largest magnitude, as a counter; the
// case fails above 1e-4.
bool closeEnough(benchmark::State& state, const std::vector<float>& ours,
                 const std::vector<float>& theirs)
{
    double peak = 0, worst = 0;
    for (size_t i = 0; i < ours.size(); ++i) {
        peak = std::max(peak, std::fabs(double(theirs[i])));
        worst = std::max(worst, std::fabs(double(ours[i]) - theirs[i]));
    }
    const double relative = worst / std::max(peak, 1e-30);
    state.counters["max_rel_diff"] = std::max(state.counters["max_rel_diff"].value, relative);
    if (relative <= 1e-4)
        return true;
    state.SkipWithError("the outputs differ");
    return false;
}

// Separate real and imaginary planes, as FFT_2Dx2pn2pm and the 64-point
// transforms take them.
struct SplitPlanes {
    std::vector<float> re, im;
    explicit SplitPlanes(uint32_t side)
        : re(noise(size_t(side) * side, 2)), im(noise(size_t(side) * side, 3))
    {
    }
};

} // namespace

#ifdef QUELVIX_HAVE_FFTW

namespace
{

// An in-place complex n x n plan, measured once before the timing; with
// exp(+...) unless told otherwise, on data of its own unless given some.
struct FftwPlan {
    fftwf_complex* data;
    fftwf_plan plan;
    bool owned;
    explicit FftwPlan(int n, int sign = FFTW_BACKWARD, fftwf_complex* on = nullptr)
    {
        owned = on == nullptr;
        data = owned ? fftwf_alloc_complex(size_t(n) * n) : on;
        // Planning may overwrite the data: fill it afterwards.
        plan = fftwf_plan_dft_2d(n, n, data, data, sign, FFTW_MEASURE);
        if (owned) {
            const std::vector<float> v = noise(size_t(n) * n * 2, 1);
            std::memcpy(data, v.data(), v.size() * sizeof(float));
        }
    }
    ~FftwPlan()
    {
        fftwf_destroy_plan(plan);
        if (owned)
            fftwf_free(data);
    }
    void run() { fftwf_execute(plan); }
};

void BM_ComplexFFT2DVsFftw(benchmark::State& state)
{
    const uint32_t n = uint32_t(state.range(0));
    ComplexLines ours(n);
    FftwPlan theirs{int(n)};
    sideBySide(
        state, [&] { ours.transform(); }, [&] { theirs.run(); });
    bench::countItems(state, int64_t(n) * n);
}
BENCHMARK(BM_ComplexFFT2DVsFftw)->ArgNames({"side"})->Arg(1024)->UseRealTime();

void BM_FFT2Dx2pn2pmVsFftw(benchmark::State& state)
{
    const uint32_t n = uint32_t(state.range(0));
    SplitPlanes ours(n);
    FftwPlan theirs{int(n)}, back{int(n), FFTW_FORWARD, theirs.data};
    // Once on the same input before the timing: both compute the unscaled
    // sum with exp(+...).
    for (size_t i = 0; i < ours.re.size(); ++i) {
        theirs.data[i][0] = ours.re[i];
        theirs.data[i][1] = ours.im[i];
    }
    CLxFloatPicMemAPI::FFT_2Dx2pn2pm(ours.re.data(), ours.im.data(), n, n, 0);
    theirs.run();
    std::vector<float> fftwRe(ours.re.size()), fftwIm(ours.im.size());
    for (size_t i = 0; i < ours.re.size(); ++i) {
        fftwRe[i] = theirs.data[i][0];
        fftwIm[i] = theirs.data[i][1];
    }
    if (!closeEnough(state, ours.re, fftwRe) || !closeEnough(state, ours.im, fftwIm))
        return;
    // Forward and back by turns, so that the values neither grow out of
    // range nor vanish; the way back scales by 1 / n^2 on both sides.
    const float scale = 1.0f / (float(n) * float(n));
    bool oursBack = false, theirsBack = false;
    sideBySide(
        state,
        [&] {
            CLxFloatPicMemAPI::FFT_2Dx2pn2pm(ours.re.data(), ours.im.data(), n, n,
                                             oursBack ? 1 : 0);
            oursBack = !oursBack;
        },
        [&] {
            if (theirsBack) {
                back.run();
                float* v = &theirs.data[0][0];
                for (size_t i = 0; i < 2 * size_t(n) * n; ++i)
                    v[i] *= scale;
            } else {
                theirs.run();
            }
            theirsBack = !theirsBack;
        });
    bench::countItems(state, int64_t(n) * n);
}
BENCHMARK(BM_FFT2Dx2pn2pmVsFftw)->ArgNames({"side"})->Arg(1024)->Arg(2048)->UseRealTime();

void BM_FFT2DConstSizeVsFftw(benchmark::State& state)
{
    SplitPlanes ours(64);
    FftwPlan theirs(64);
    sideBySide(
        state, [&] { CLxFloatPicMemAPI::FFT_2D_ConstSize(ours.re.data(), ours.im.data(), false); },
        [&] { theirs.run(); });
    bench::countItems(state, 64 * 64);
}
BENCHMARK(BM_FFT2DConstSizeVsFftw);

} // namespace

#endif // QUELVIX_HAVE_FFTW

#ifdef QUELVIX_HAVE_OPENCV

namespace
{

void BM_ComplexFFT2DVsCvDft(benchmark::State& state)
{
    const uint32_t n = uint32_t(state.range(0));
    ComplexLines ours(n);
    cv::Mat in{int(n), int(n), CV_32FC2, ours.input.data()}, out;
    sideBySide(
        state, [&] { ours.transform(); },
        [&] { cv::dft(in, out, cv::DFT_INVERSE | cv::DFT_COMPLEX_OUTPUT); });
    bench::countItems(state, int64_t(n) * n);
}
BENCHMARK(BM_ComplexFFT2DVsCvDft)->ArgNames({"side"})->Arg(1024)->UseRealTime();

// The centred amplitude and phase of a float frame against the plain
// spectrum and cartToPolar; the amplitudes compared once, shifted back.
void BM_FFTImageVsCvDftCartToPolar(benchmark::State& state)
{
    const int n = int(state.range(0));
    SLxFloatPicBuf src{}, amplitude{}, phase{};
    CLxFloatPicBufAPI::Reinit(&src, uint32_t(n), uint32_t(n), 0, 1, false);
    CLxFloatPicBufAPI::Reinit(&amplitude, uint32_t(n), uint32_t(n), 0, 1, true);
    CLxFloatPicBufAPI::Reinit(&phase, uint32_t(n), uint32_t(n), 0, 1, true);
    const std::vector<float> v = noise(size_t(n) * n, 9);
    std::memcpy(src.pData, v.data(), v.size() * sizeof(float));
    const cv::Mat in(n, n, CV_32F, src.pData);
    cv::Mat spectrum, planes[2], magnitude, angle;
    const auto ours = [&] { CLxFloatPicBufAPI::FFT_Image(&amplitude, &phase, &src); };
    const auto theirs = [&] {
        cv::dft(in, spectrum, cv::DFT_COMPLEX_OUTPUT);
        cv::split(spectrum, planes);
        cv::cartToPolar(planes[0], planes[1], magnitude, angle);
    };
    ours();
    theirs();
    std::vector<float> centred(size_t(n) * n), plain(size_t(n) * n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            centred[size_t(y) * n + x] = amplitude.pData[size_t(y) * n + x];
            plain[size_t(y) * n + x] = magnitude.at<float>((y + n / 2) % n, (x + n / 2) % n);
        }
    if (closeEnough(state, centred, plain))
        sideBySide(state, ours, theirs);
    CLxFloatPicBufAPI::Free(&src);
    CLxFloatPicBufAPI::Free(&amplitude);
    CLxFloatPicBufAPI::Free(&phase);
    bench::countItems(state, int64_t(n) * n);
}
BENCHMARK(BM_FFTImageVsCvDftCartToPolar)->ArgNames({"side"})->Arg(1024)->Arg(2048)->UseRealTime();

SLxPicBuf recordOf(cv::Mat& m, uint32_t bits)
{
    return SLxPicBuf{uint32_t(m.cols),
                     uint32_t(m.rows),
                     uint32_t(m.step),
                     uint8_t(bits),
                     uint32_t(m.channels()),
                     uint32_t(m.step * m.rows),
                     m.data};
}

// The same work on the reference side: samples to float, filter2D with
// replicated edges, rounded back to samples.
void kernelConvolution(benchmark::State& state, bool tiled)
{
    const int k = int(state.range(0));
    const int bytes = int(state.range(1));
    const int depth = bytes == 1 ? CV_8U : CV_16U;
    const uint32_t bits = bytes == 1 ? 8 : 12;
    cv::Mat src(bench::kCvSide, bench::kCvSide, depth), ours(src.size(), depth),
        theirs(src.size(), depth);
    cv::RNG rng(34);
    rng.fill(src, cv::RNG::UNIFORM, 0, 1 << bits);
    SLxKernelMatrix kernel;
    SLxKernelMatrix::Alloc(&kernel, uint32_t(k), uint32_t(k));
    SLxKernelMatrix::GeneratorGaussian(&kernel);
    cv::Mat weights(k, k, CV_32F);
    for (int i = 0; i < k * k; ++i)
        weights.at<float>(i / k, i % k) = float(double(kernel.piValues[i]) / kernel.iDivisor);
    SLxPicBuf s = recordOf(src, bits), d = recordOf(ours, bits);
    cv::Mat srcF, resultF;
    sideBySide(
        state,
        [&] {
            if (tiled)
                CLxFloatPicBufAPI::ConvolutionWithFFT(&d, &s, &kernel, false);
            else
                CLxFloatPicBufAPI::Convolution(&d, &s, &kernel, false);
        },
        [&] {
            src.convertTo(srcF, CV_32F);
            cv::filter2D(srcF, resultF, CV_32F, weights, cv::Point(-1, -1), 0,
                         cv::BORDER_REPLICATE);
            resultF.convertTo(theirs, depth);
        });
    bench::countFramePixels(state);
}

void BM_KernelConvolutionVsFilter2D(benchmark::State& state)
{
    kernelConvolution(state, false);
}
BENCHMARK(BM_KernelConvolutionVsFilter2D)
    ->ArgNames({"k", "bytes"})
    ->Args({15, 1})
    ->Args({15, 2})
    ->UseRealTime();

void BM_KernelConvolutionWithFFTVsFilter2D(benchmark::State& state)
{
    kernelConvolution(state, true);
}
BENCHMARK(BM_KernelConvolutionWithFFTVsFilter2D)
    ->ArgNames({"k", "bytes"})
    ->Args({31, 1})
    ->Args({31, 2})
    ->UseRealTime();

// A float picture of the frame size and one wrapping it for OpenCV.
struct FloatFrame {
    SLxFloatPicBuf pic{};
    FloatFrame(uint32_t w, uint32_t h, uint32_t seed)
    {
        CLxFloatPicBufAPI::Reinit(&pic, w, h, 0, 1, false);
        const std::vector<float> v = noise(size_t(w) * h, seed);
        std::memcpy(pic.pData, v.data(), v.size() * sizeof(float));
    }
    ~FloatFrame() { CLxFloatPicBufAPI::Free(&pic); }
    cv::Mat mat() { return cv::Mat(int(pic.uiHeight), int(pic.uiWidth), CV_32F, pic.pData); }
};

void BM_FloatMedianFilterVsMedianBlur(benchmark::State& state)
{
    const uint32_t size = uint32_t(state.range(0));
    FloatFrame src(bench::kSide, bench::kSide, 5), dst(bench::kSide, bench::kSide, 6);
    const cv::Mat in = src.mat();
    cv::Mat out;
    sideBySide(
        state, [&] { CLxFloatPicBufAPI::MedianFilter(&dst.pic, &src.pic, size); },
        [&] { cv::medianBlur(in, out, int(size)); });
    bench::countFramePixels(state);
}
BENCHMARK(BM_FloatMedianFilterVsMedianBlur)->ArgNames({"size"})->Arg(5)->UseRealTime();

// Enlarging 2x with the triangle filter against bilinear resize.
void BM_FloatStretchVsResize(benchmark::State& state)
{
    const uint32_t side = bench::kSide / 2;
    FloatFrame src(side, side, 7), dst(2 * side, 2 * side, 8);
    const cv::Mat in = src.mat();
    cv::Mat out;
    sideBySide(
        state,
        [&] { CLxFloatPicBufAPI::Stretch(&dst.pic, &src.pic, CLxPicMemAPI::eLxStretchTriangle); },
        [&] {
            cv::resize(in, out, cv::Size(2 * int(side), 2 * int(side)), 0, 0, cv::INTER_LINEAR);
        });
    bench::countFramePixels(state);
}
BENCHMARK(BM_FloatStretchVsResize)->UseRealTime();

} // namespace

#endif // QUELVIX_HAVE_OPENCV
