// The picture-memory kernels against OpenCV (one thread) doing the same work
// on the same 2048 x 2048 frames in the same process. Each iteration runs the
// SDK call and its reference one after the other and times both, so machine
// noise hits both sides alike; the counter "ratio" is the median SDK time
// over the median reference time (below 1: the SDK is faster).
#include <benchmark/benchmark.h>

#ifdef QUELVIX_HAVE_OPENCV

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "bench_support.h"
#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

constexpr int kSide = 2048;
constexpr uint32_t kPixels = uint32_t(kSide) * kSide;

// A frame of side x side pixels of comps samples, 8 bits (depth CV_8U) or
// 12 significant bits in 16-bit words (CV_16U).
cv::Mat frame(int side, int comps, int depth)
{
    cv::Mat m(side, side, CV_MAKETYPE(depth, comps));
    cv::RNG rng(0x5eed);
    rng.fill(m, cv::RNG::UNIFORM, 0, depth == CV_8U ? 256 : 4096);
    return m;
}

using bench::sideBySide;

int depthOf(int64_t bytes)
{
    return bytes == 1 ? CV_8U : CV_16U;
}

uint32_t bitsOf(int depth)
{
    return depth == CV_8U ? 8 : 12;
}

uint32_t pitch(const cv::Mat& m)
{
    return uint32_t(m.step[0]);
}

// FlipHor, comps x bytes, against cv::flip around the vertical axis.
void BM_FlipHor(benchmark::State& state)
{
    const int comps = int(state.range(0)), depth = depthOf(state.range(1));
    const cv::Mat src = frame(kSide, comps, depth);
    cv::Mat dst(src.size(), src.type()), ref(src.size(), src.type());
    sideBySide(
        state,
        [&] {
            CLxPicMemAPI::FlipHor(dst.data, src.data, bitsOf(depth), comps, pitch(src), kSide,
                                  kSide);
        },
        [&] { cv::flip(src, ref, 1); });
}
BENCHMARK(BM_FlipHor)->ArgNames({"comps", "bytes"})->Args({1, 1})->Args({3, 1})->Args({1, 2});

// FlipVert (two pictures) against cv::flip around the horizontal axis.
void BM_FlipVert(benchmark::State& state)
{
    const cv::Mat src = frame(kSide, 3, CV_8U);
    cv::Mat dst(src.size(), src.type()), ref(src.size(), src.type());
    sideBySide(
        state,
        [&] { CLxPicMemAPI::FlipVert(dst.data, pitch(dst), src.data, pitch(src), kSide, kPixels); },
        [&] { cv::flip(src, ref, 0); });
}
BENCHMARK(BM_FlipVert);

// An 8-bit picture through a flat 8-to-8 table, against cv::LUT.
void BM_ApplyLut1x8(benchmark::State& state)
{
    const cv::Mat src = frame(kSide, 1, CV_8U);
    cv::Mat dst(src.size(), src.type()), ref(src.size(), src.type());
    SLxLut lut;
    SLxLut::Alloc(&lut, 8, 1, 8, 1);
    cv::Mat table(1, 256, CV_8U);
    for (int v = 0; v < 256; ++v)
        table.data[v] = static_cast<uint8_t*>(lut.pTable)[v] = uint8_t(255 - v / 2);
    sideBySide(
        state,
        [&] {
            CLxPicMemAPI::ApplyLuts(dst.data, pitch(dst), src.data, pitch(src), &lut, 1, 8, kSide,
                                    kPixels);
        },
        [&] { cv::LUT(src, table, ref); });
    SLxLut::Free(&lut);
}
BENCHMARK(BM_ApplyLut1x8);

// 12-bit gray to 8 bits through a 4096-entry table, against the plain loop
// over the same table.
void BM_ConvertBitDepthViaLuts(benchmark::State& state)
{
    const cv::Mat src = frame(kSide, 1, CV_16U);
    cv::Mat dst(src.size(), CV_8U), ref(src.size(), CV_8U);
    SLxLut lut;
    SLxLut::Alloc(&lut, 12, 1, 8, 1);
    auto* table = static_cast<uint8_t*>(lut.pTable);
    for (int v = 0; v < 4096; ++v)
        table[v] = uint8_t(v >> 4);
    sideBySide(
        state,
        [&] {
            CLxPicMemAPI::ConvertBitDepthViaLuts(dst.data, 8, pitch(dst), src.data, 12, pitch(src),
                                                 &lut, 1, kSide, kPixels);
        },
        [&] {
            const auto* s = reinterpret_cast<const uint16_t*>(src.data);
            uint8_t* d = ref.data;
            for (size_t i = 0; i < kPixels; ++i)
                d[i] = table[s[i]];
        });
    SLxLut::Free(&lut);
}
BENCHMARK(BM_ConvertBitDepthViaLuts);

// Per-component sums against cv::sum.
void BM_SumValues(benchmark::State& state)
{
    const int comps = int(state.range(0)), depth = depthOf(state.range(1));
    const cv::Mat src = frame(kSide, comps, depth);
    uint64_t sums[3];
    cv::Scalar ref;
    sideBySide(
        state,
        [&] {
            sums[0] = sums[1] = sums[2] = 0;
            CLxPicMemAPI::SumValues(sums, src.data, comps, bitsOf(depth), pitch(src), kSide,
                                    kPixels);
            benchmark::DoNotOptimize(sums);
        },
        [&] {
            ref = cv::sum(src);
            benchmark::DoNotOptimize(ref);
        });
}
BENCHMARK(BM_SumValues)->ArgNames({"comps", "bytes"})->Args({1, 2})->Args({3, 1});

// B,G,R to gray with the luminance weights, against cv::cvtColor.
void BM_ColorToGrayWeighted(benchmark::State& state)
{
    const int depth = depthOf(state.range(0));
    const cv::Mat src = frame(kSide, 3, depth);
    cv::Mat dst(src.size(), CV_MAKETYPE(depth, 1)), ref(src.size(), CV_MAKETYPE(depth, 1));
    const double weights[3] = {0.114, 0.587, 0.299};
    sideBySide(
        state,
        [&] {
            CLxPicMemAPI::CollapseComponents(dst.data, pitch(dst), src.data, 3, pitch(src), weights,
                                             depth == CV_8U ? 8 : 16, kSide, kPixels);
        },
        [&] { cv::cvtColor(src, ref, cv::COLOR_BGR2GRAY); });
}
BENCHMARK(BM_ColorToGrayWeighted)->ArgNames({"bytes"})->Arg(1)->Arg(2);

// Stretch of a side x side frame to dstSide in mode, against cv::resize
// with interpolation (or cv::pyrDown for -1).
void stretchRow(benchmark::State& state, int side, int dstSide, int comps, int depth, int mode,
                int interpolation)
{
    const cv::Mat src = frame(side, comps, depth);
    cv::Mat dst(dstSide, dstSide, src.type()), ref(dstSide, dstSide, src.type());
    sideBySide(
        state,
        [&] {
            CLxPicMemAPI::Stretch(dst.data, comps, pitch(dst), bitsOf(depth), dstSide, dstSide,
                                  src.data, pitch(src), side, 0, 0, side, side,
                                  CLxPicMemAPI::ELxPicStretchMode(mode));
        },
        [&] {
            if (interpolation < 0)
                cv::pyrDown(src, ref, ref.size());
            else
                cv::resize(src, ref, ref.size(), 0, 0, interpolation);
        });
}

// Triangle (mode 3) enlargement by 2 against bilinear resizing.
void BM_StretchTriangleUp2(benchmark::State& state)
{
    stretchRow(state, kSide, 2 * kSide, int(state.range(0)), depthOf(state.range(1)), 3,
               cv::INTER_LINEAR);
}
BENCHMARK(BM_StretchTriangleUp2)
    ->ArgNames({"comps", "bytes"})
    ->Args({1, 1})
    ->Args({1, 2})
    ->Args({3, 1})
    ->Unit(benchmark::kMillisecond);

// Triangle reduction by 2 against cv::pyrDown.
void BM_StretchTriangleDown2(benchmark::State& state)
{
    stretchRow(state, kSide, kSide / 2, 1, CV_8U, 3, -1);
}
BENCHMARK(BM_StretchTriangleDown2)->Unit(benchmark::kMillisecond);

// Mode 4 on a 512 x 512 picture reduced by 4 (below a million pixels: the
// B-spline reduction) against area resizing.
void BM_StretchMode4Small(benchmark::State& state)
{
    stretchRow(state, 512, 128, 1, CV_8U, 4, cv::INTER_AREA);
}
BENCHMARK(BM_StretchMode4Small);

// The fast group: copy, shifts, component extract and store.
void BM_CopyRow(benchmark::State& state)
{
    const cv::Mat src = frame(kSide, 3, CV_16U);
    cv::Mat dst(src.size(), src.type()), ref(src.size(), src.type());
    sideBySide(
        state,
        [&] {
            CLxPicMemAPI::Copy(dst.data, pitch(dst), src.data, pitch(src), 3, 12, kSide, kPixels);
        },
        [&] { src.copyTo(ref); });
}
BENCHMARK(BM_CopyRow);

// 12 to 8 bits by shifts against convertTo with the same scale.
void BM_ShiftRow(benchmark::State& state)
{
    const cv::Mat src = frame(kSide, 1, CV_16U);
    cv::Mat dst(src.size(), CV_8U), ref(src.size(), CV_8U);
    sideBySide(
        state,
        [&] {
            CLxPicMemAPI::ConvertBitDepthViaShifts(dst.data, 8, pitch(dst), src.data, 12,
                                                   pitch(src), 1, kSide, kPixels);
        },
        [&] { src.convertTo(ref, CV_8U, 1.0 / 16); });
}
BENCHMARK(BM_ShiftRow);

void BM_ExtractRow(benchmark::State& state)
{
    const int depth = depthOf(state.range(0));
    const cv::Mat src = frame(kSide, 3, depth);
    cv::Mat dst(src.size(), CV_MAKETYPE(depth, 1)), ref(src.size(), CV_MAKETYPE(depth, 1));
    sideBySide(
        state,
        [&] {
            CLxPicMemAPI::ExtractComponent(dst.data, pitch(dst), src.data, 3, pitch(src), 2,
                                           bitsOf(depth), kSide, kPixels);
        },
        [&] { cv::extractChannel(src, ref, 2); });
}
BENCHMARK(BM_ExtractRow)->ArgNames({"bytes"})->Arg(1)->Arg(2);

void BM_StoreRow(benchmark::State& state)
{
    const int depth = depthOf(state.range(0));
    const cv::Mat plane = frame(kSide, 1, depth);
    cv::Mat dst = frame(kSide, 3, depth), ref = dst.clone();
    sideBySide(
        state,
        [&] {
            CLxPicMemAPI::StoreComponent(dst.data, 3, pitch(dst), 1, plane.data, pitch(plane),
                                         bitsOf(depth), kSide, kPixels);
        },
        [&] { cv::insertChannel(plane, ref, 1); });
}
BENCHMARK(BM_StoreRow)->ArgNames({"bytes"})->Arg(1)->Arg(2);

} // namespace

#endif
