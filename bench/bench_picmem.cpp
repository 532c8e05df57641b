// The raw-memory picture layer on 2048 x 2048 frames against memcpy of the
// same bytes. Every case counts the bytes of the frame it works on (for the
// component paths the multi-component frame, which is read or written
// whole), so its bytes per second stand next to the memcpy line of that size.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using bench::kSide;
constexpr uint32_t kPixels = kSide * kSide;

std::vector<uint8_t> pattern(size_t bytes)
{
    std::vector<uint8_t> v(bytes);
    for (size_t i = 0; i < bytes; ++i)
        v[i] = uint8_t(i * 31 + (i >> 12));
    return v;
}

void finish(benchmark::State& state, size_t bytes)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

// memcpy of a frame of comps samples of sampleBytes each.
void BM_Memcpy(benchmark::State& state)
{
    const size_t bytes = size_t(kPixels) * state.range(0) * state.range(1);
    const std::vector<uint8_t> src = pattern(bytes);
    std::vector<uint8_t> dst(bytes);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), bytes);
        benchmark::ClobberMemory();
    }
    finish(state, bytes);
}
BENCHMARK(BM_Memcpy)->ArgNames({"comps", "bytes"})->Args({1, 2})->Args({3, 1})->Args({3, 2});

// Copy of a whole frame, its lines contiguous (pad 0) or padded.
void BM_Copy(benchmark::State& state)
{
    const uint32_t comps = uint32_t(state.range(0)), sample = uint32_t(state.range(1));
    const uint32_t pad = uint32_t(state.range(2));
    const uint32_t line = kSide * comps * sample, pitch = line + pad;
    const std::vector<uint8_t> src = pattern(size_t(pitch) * kSide);
    std::vector<uint8_t> dst(src.size());
    for (auto _ : state) {
        CLxPicMemAPI::Copy(dst.data(), pitch, src.data(), pitch, comps, 8 * sample, kSide, kPixels);
        benchmark::ClobberMemory();
    }
    finish(state, size_t(line) * kSide);
}
BENCHMARK(BM_Copy)
    ->ArgNames({"comps", "bytes", "pad"})
    ->Args({3, 2, 0})
    ->Args({3, 2, 64})
    ->Args({3, 1, 0});

// One component of a comps-component frame into a plane.
void BM_ExtractComponent(benchmark::State& state)
{
    const uint32_t comps = uint32_t(state.range(0)), sample = uint32_t(state.range(1));
    const std::vector<uint8_t> frame = pattern(size_t(kPixels) * comps * sample);
    std::vector<uint8_t> plane(size_t(kPixels) * sample);
    for (auto _ : state) {
        CLxPicMemAPI::ExtractComponent(plane.data(), kSide * sample, frame.data(), comps,
                                       kSide * comps * sample, comps - 1, 8 * sample, kSide,
                                       kPixels);
        benchmark::ClobberMemory();
    }
    finish(state, frame.size());
}
BENCHMARK(BM_ExtractComponent)->ArgNames({"comps", "bytes"})->Args({3, 2})->Args({3, 1});

// A plane into one component of a comps-component frame.
void BM_StoreComponent(benchmark::State& state)
{
    const uint32_t comps = uint32_t(state.range(0)), sample = uint32_t(state.range(1));
    std::vector<uint8_t> frame = pattern(size_t(kPixels) * comps * sample);
    const std::vector<uint8_t> plane = pattern(size_t(kPixels) * sample);
    for (auto _ : state) {
        CLxPicMemAPI::StoreComponent(frame.data(), comps, kSide * comps * sample, 1, plane.data(),
                                     kSide * sample, 8 * sample, kSide, kPixels);
        benchmark::ClobberMemory();
    }
    finish(state, frame.size());
}
BENCHMARK(BM_StoreComponent)->ArgNames({"comps", "bytes"})->Args({3, 2})->Args({3, 1});

// One component of a frame into a component of another frame.
void BM_CopyComponent(benchmark::State& state)
{
    const uint32_t comps = uint32_t(state.range(0)), sample = uint32_t(state.range(1));
    const std::vector<uint8_t> src = pattern(size_t(kPixels) * comps * sample);
    std::vector<uint8_t> dst(src.size());
    const uint32_t pitch = kSide * comps * sample;
    for (auto _ : state) {
        CLxPicMemAPI::CopyComponent(dst.data(), comps, pitch, 0, src.data(), comps, pitch, 2,
                                    8 * sample, kSide, kPixels);
        benchmark::ClobberMemory();
    }
    finish(state, src.size());
}
BENCHMARK(BM_CopyComponent)->ArgNames({"comps", "bytes"})->Args({3, 2})->Args({3, 1});

// 12-bit samples to 8 bits by shifts; the 16-bit source frame counts.
void BM_Convert16To8(benchmark::State& state)
{
    const uint32_t comps = uint32_t(state.range(0));
    const std::vector<uint8_t> src = pattern(size_t(kPixels) * comps * 2);
    std::vector<uint8_t> dst(size_t(kPixels) * comps);
    for (auto _ : state) {
        CLxPicMemAPI::ConvertBitDepthViaShifts(dst.data(), 8, kSide * comps, src.data(), 12,
                                               kSide * comps * 2, comps, kSide, kPixels);
        benchmark::ClobberMemory();
    }
    finish(state, src.size());
}
BENCHMARK(BM_Convert16To8)->ArgNames({"comps"})->Arg(1)->Arg(3);

} // namespace
