// A frame-cache hit (pin, copy the frame out, unpin) of one 1024 x 1024
// 16-bit frame against a plain memcpy of the same bytes to the same
// destination, in the same run. Goal: the hit at most 1.2 times the memcpy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "gnr_vu2ziz/meta_inputfile/LxFrameCache.h"

namespace
{

namespace fc = lx_frame_cache;

constexpr size_t kFrameBytes = size_t(1024) * 1024 * 2;

// One cached frame for the whole run; its pages are touched before timing.
struct SCachedFrame {
    fc::FrameSlot slot = nullptr;
    std::vector<uint8_t> destination = std::vector<uint8_t>(kFrameBytes, 0);

    SCachedFrame()
    {
        fc::SLxFrameItem* item = fc::AllocatePinned(slot, kFrameBytes);
        if (!item)
            return;
        uint8_t* data = fc::Data(item);
        for (size_t i = 0; i < kFrameBytes; ++i)
            data[i] = uint8_t(i * 131 >> 3);
        fc::Unpin(item);
    }
    ~SCachedFrame() { fc::Discard(slot); }
};

SCachedFrame& Frame()
{
    static SCachedFrame frame;
    return frame;
}

void BM_FrameCacheHit(benchmark::State& state)
{
    SCachedFrame& frame = Frame();
    for (auto _ : state) {
        fc::SLxFrameItem* item = fc::PinCached(frame.slot);
        if (!item) {
            state.SkipWithError("the frame is not cached");
            break;
        }
        std::memcpy(frame.destination.data(), fc::Data(item), size_t(fc::Size(item)));
        fc::Unpin(item);
        benchmark::DoNotOptimize(frame.destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}
BENCHMARK(BM_FrameCacheHit);

void BM_FrameCacheHitReferenceMemcpy(benchmark::State& state)
{
    SCachedFrame& frame = Frame();
    fc::SLxFrameItem* item = fc::PinCached(frame.slot);
    if (!item) {
        state.SkipWithError("the frame is not cached");
        return;
    }
    const uint8_t* source = fc::Data(item);
    for (auto _ : state) {
        std::memcpy(frame.destination.data(), source, kFrameBytes);
        benchmark::DoNotOptimize(frame.destination.data());
        benchmark::ClobberMemory();
    }
    fc::Unpin(item);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}
BENCHMARK(BM_FrameCacheHitReferenceMemcpy);

} // namespace
