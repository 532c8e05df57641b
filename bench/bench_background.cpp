// Background subtraction on 2048 x 2048 frames of 8 and 16 bits (12
// significant), side by side with a plain build of the same algorithm: the
// four slope-bounded lower envelopes each in a whole-frame array (allocated
// and touched once, before timing), the mean of their two middle values
// subtracted. Both run on one thread; the outputs must be equal.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bench_support.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using bench::kSide;

SLxPicBuf recordOver(std::vector<uint8_t>& v, uint32_t bytes)
{
    const uint32_t line = kSide * bytes;
    return SLxPicBuf{kSide, kSide, line, uint8_t(bytes == 1 ? 8 : 12), 1, line * kSide, v.data()};
}

// The envelope's next value: up by step while below the sample, else the
// sample.
inline uint32_t follow(uint32_t previous, uint32_t v, uint32_t step)
{
    return previous < v ? previous + step : v;
}

template <class T> struct PlainBackground {
    std::vector<uint32_t> left, right, up, down;
    explicit PlainBackground(size_t n) : left(n, 1), right(n, 1), up(n, 1), down(n, 1) {}

    void run(T* out, const T* in, size_t w, size_t h, uint32_t step)
    {
        for (size_t y = 0; y < h; ++y) {
            const T* s = in + y * w;
            uint32_t* l = &left[y * w];
            uint32_t* r = &right[y * w];
            l[0] = 100u * s[0];
            for (size_t x = 1; x < w; ++x)
                l[x] = follow(l[x - 1], 100u * s[x], step);
            r[w - 1] = 100u * s[w - 1];
            for (size_t x = w - 1; x-- > 0;)
                r[x] = follow(r[x + 1], 100u * s[x], step);
        }
        for (size_t x = 0; x < w; ++x)
            up[x] = 100u * in[x];
        for (size_t y = 1; y < h; ++y)
            for (size_t x = 0; x < w; ++x)
                up[y * w + x] = follow(up[(y - 1) * w + x], 100u * in[y * w + x], step);
        for (size_t x = 0; x < w; ++x)
            down[(h - 1) * w + x] = 100u * in[(h - 1) * w + x];
        for (size_t y = h - 1; y-- > 0;)
            for (size_t x = 0; x < w; ++x)
                down[y * w + x] = follow(down[(y + 1) * w + x], 100u * in[y * w + x], step);
        for (size_t i = 0; i < w * h; ++i) {
            const uint32_t a = left[i], b = right[i], c = up[i], d = down[i];
            const uint32_t middle = a + b + c + d - std::max({a, b, c, d}) - std::min({a, b, c, d});
            out[i] = T(in[i] - std::min<uint32_t>(middle / 200, in[i]));
        }
    }
};

// Args: sample bytes. Slope 0.5 (in sample units per pixel).
void BM_BackgroundSubtraction(benchmark::State& state)
{
    const uint32_t bytes = uint32_t(state.range(0));
    const double slope = 0.5;
    std::vector<uint8_t> pixels = bench::texturedFrame(1, bytes, 5151, 0.011, 0.017);
    std::vector<uint8_t> ours(pixels.size()), theirs(pixels.size());
    SLxPicBuf s = recordOver(pixels, bytes), d = recordOver(ours, bytes);
    const uint32_t step =
        bytes == 1 ? uint32_t(slope * 100) : CLxPicMemAPI::CalcDblToUint(slope, 12) * 100;
    const size_t n = size_t(kSide) * kSide;
    PlainBackground<uint8_t> plain8(bytes == 1 ? n : 0);
    PlainBackground<uint16_t> plain16(bytes == 2 ? n : 0);
    const auto peer = [&] {
        if (bytes == 1)
            plain8.run(theirs.data(), pixels.data(), kSide, kSide, step);
        else
            plain16.run(reinterpret_cast<uint16_t*>(theirs.data()),
                        reinterpret_cast<const uint16_t*>(pixels.data()), kSide, kSide, step);
    };
    const auto sdk = [&] { CLxPicBufAPI::BackgroundSubtraction(&d, &s, slope, 0); };
    peer();
    if (CLxPicBufAPI::BackgroundSubtraction(&d, &s, slope, 0) != 0 || ours != theirs) {
        state.SkipWithError("outputs differ");
        return;
    }
    bench::sideBySide(state, sdk, peer);
    bench::countFramePixels(state);
}
BENCHMARK(BM_BackgroundSubtraction)
    ->ArgNames({"bytes"})
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);

} // namespace
