// Display conversion and mapping to colour on 2048 x 2048 frames, beside
// OpenCV's cv::LUT and cv::merge on the nearest work when OpenCV is there
// (OpenCV has no look-up of 16-bit samples: its 16-bit case first scales to
// 8 bits). Items are frame pixels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using bench::kSide;
constexpr uint32_t kPixels = kSide * kSide;

// comps samples a pixel of 8 or 12 significant bits.
std::vector<uint8_t> frame(uint32_t comps, uint32_t bits)
{
    std::vector<uint8_t> v(size_t(kPixels) * comps * (bits <= 8 ? 1 : 2));
    if (bits <= 8) {
        for (size_t i = 0; i < v.size(); ++i)
            v[i] = uint8_t(i * 31 + (i >> 11) * 7);
    } else {
        auto* w = reinterpret_cast<uint16_t*>(v.data());
        for (size_t i = 0; i < v.size() / 2; ++i)
            w[i] = uint16_t((i * 31 + (i >> 11) * 7) & ((1u << bits) - 1));
    }
    return v;
}

// A table of lutCount colour tables (or one flat table for dstComps 1)
// from srcBits to 8 bits, every component shown.
struct Table {
    SLxLut lut;
    Table(uint8_t srcBits, uint8_t lutCount, uint8_t dstComps)
    {
        SLxLut::Alloc(&lut, srcBits, lutCount, 8, dstComps);
        lut.uiCompMask = ~uint64_t(0);
        const uint32_t n = 1u << srcBits;
        for (uint32_t c = 0; c < lutCount; ++c) {
            for (uint32_t v = 0; v < n; ++v) {
                uint8_t* row = dstComps == 1   ? static_cast<uint8_t*>(lut.pTable) + v
                               : lutCount == 1 ? static_cast<uint8_t**>(lut.pTable)[v]
                                               : static_cast<uint8_t***>(lut.pTable)[c][v];
                for (uint32_t k = 0; k < dstComps; ++k)
                    row[k] = uint8_t((v * 255 / (n - 1)) * (c == k ? 1 : 0) + c * 20);
            }
        }
    }
    ~Table() { SLxLut::Free(&lut); }
};

void finish(benchmark::State& state)
{
    bench::countItems(state, kPixels);
}

// ConvertToTrueColor by its ways: 0 gray of 8 bits, 1 gray of 12 bits, 2
// colour of 16 bits shifted, 3 colour of 8 bits through one colour table,
// 4 gray of 12 bits through a colour table, 5 three 12-bit components mixed
// through their own tables, 6 colour of 12 bits through one colour table.
void BM_ConvertToTrueColor(benchmark::State& state)
{
    struct Way {
        uint32_t comps, bits;
        uint8_t lutCount; // 0: no table
    };
    const Way ways[] = {{1, 8, 0},  {1, 12, 0}, {3, 16, 0}, {3, 8, 1},
                        {1, 12, 1}, {3, 12, 3}, {3, 12, 1}};
    const Way& way = ways[state.range(0)];
    const std::vector<uint8_t> src = frame(way.comps, way.bits);
    const uint32_t srcWB = kSide * way.comps * (way.bits <= 8 ? 1 : 2);
    std::vector<uint8_t> dst(size_t(kPixels) * 3);
    Table table(uint8_t(way.bits), way.lutCount ? way.lutCount : 1, 3);
    const SLxLut* lut = way.lutCount ? &table.lut : nullptr;
    for (auto _ : state) {
        const int result = CLxPicMemAPI::ConvertToTrueColor(
            dst.data(), kSide * 3, src.data(), way.comps, way.bits, srcWB, kSide, kPixels, lut);
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
    }
    finish(state);
}
BENCHMARK(BM_ConvertToTrueColor)->ArgName("way")->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

// Three 12-bit components through their own colour tables, combined to 8-
// or 16-bit colour; shown 0b111 (all) or 0b101.
void BM_MapComponents3x16(benchmark::State& state)
{
    const uint32_t dstBits = uint32_t(state.range(0));
    const std::vector<uint8_t> src = frame(3, 12);
    std::vector<uint8_t> dst(size_t(kPixels) * 3 * (dstBits <= 8 ? 1 : 2));
    SLxLut lut;
    SLxLut::Alloc(&lut, 12, 3, uint8_t(dstBits), 3);
    const uint32_t rowBytes = 3 * (dstBits <= 8 ? 1 : 2);
    for (uint32_t c = 0; c < 3; ++c)
        for (uint32_t v = 0; v < 4096; ++v)
            for (uint32_t b = 0; b < rowBytes; ++b)
                static_cast<uint8_t***>(lut.pTable)[c][v][b] = uint8_t(v * (c + 1) + b);
    lut.uiCompMask = uint64_t(state.range(1));
    for (auto _ : state) {
        const int result =
            CLxPicMemAPI::MapComponentsMToN(dst.data(), 3, dstBits, kSide * rowBytes, src.data(), 3,
                                            12, kSide * 6, &lut, kSide, kPixels);
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
    }
    finish(state);
    SLxLut::Free(&lut);
}
BENCHMARK(BM_MapComponents3x16)
    ->ArgNames({"dstBits", "mask"})
    ->Args({8, 0b111})
    ->Args({8, 0b101})
    ->Args({12, 0b111})
    ->Unit(benchmark::kMillisecond);

#ifdef QUELVIX_HAVE_OPENCV

// An 8-bit colour frame through one colour table: cv::LUT with a
// three-channel table (way 3 above).
void BM_OpenCV_Lut3x8(benchmark::State& state)
{
    std::vector<uint8_t> bytes = frame(3, 8);
    const cv::Mat src(kSide, kSide, CV_8UC3, bytes.data());
    cv::Mat table(1, 256, CV_8UC3), dst;
    for (int v = 0; v < 256; ++v)
        table.at<cv::Vec3b>(0, v) = cv::Vec3b(uint8_t(v), uint8_t(v / 2), uint8_t(255 - v));
    for (auto _ : state) {
        cv::LUT(src, table, dst);
        benchmark::ClobberMemory();
    }
    finish(state);
}
BENCHMARK(BM_OpenCV_Lut3x8)->Unit(benchmark::kMillisecond);

// Three 12-bit components to colour (BM_MapComponents3x16 with 8 bits and
// every component shown): scaled to 8 bits, split, each channel repeated
// into three (merge) and coloured by its table (LUT), the colours combined
// by screen, 255 - (255 - a)(255 - b) / 255.
void BM_OpenCV_Map3x16(benchmark::State& state)
{
    std::vector<uint8_t> bytes = frame(3, 12);
    const cv::Mat src(kSide, kSide, CV_16UC3, bytes.data());
    cv::Mat tables[3];
    for (int c = 0; c < 3; ++c) {
        tables[c].create(1, 256, CV_8UC3);
        for (int v = 0; v < 256; ++v)
            tables[c].at<cv::Vec3b>(0, v) =
                cv::Vec3b(uint8_t(v * (c + 1)), uint8_t(v * (c + 1) + 1), uint8_t(v * (c + 1) + 2));
    }
    cv::Mat scaled, planes[3], grey3, colour, inverse, out;
    for (auto _ : state) {
        src.convertTo(scaled, CV_8U, 1.0 / 16);
        cv::split(scaled, planes);
        for (int c = 0; c < 3; ++c) {
            const cv::Mat repeated[3] = {planes[c], planes[c], planes[c]};
            cv::merge(repeated, 3, grey3);
            cv::LUT(grey3, tables[c], colour);
            if (c == 0) {
                cv::subtract(cv::Scalar::all(255), colour, inverse);
                continue;
            }
            cv::subtract(cv::Scalar::all(255), colour, colour);
            cv::multiply(inverse, colour, inverse, 1.0 / 255);
        }
        cv::subtract(cv::Scalar::all(255), inverse, out);
        benchmark::ClobberMemory();
    }
    finish(state);
}
BENCHMARK(BM_OpenCV_Map3x16)->Unit(benchmark::kMillisecond);

#endif

} // namespace
