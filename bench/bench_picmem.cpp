// The raw-memory picture layer on 2048 x 2048 frames, each side by side with
// a peer doing the same work on one thread: memcpy for the copies, OpenCV's
// channel operations and conversion for the component paths and the depth
// conversion. Ours and the peer alternate inside one case on the same warm
// buffers; the outputs are compared once before timing (a mismatch fails the
// case) and the counter "ratio" is ours over the peer. Bytes per second count
// the frame a case works on (for the component paths the multi-component
// frame). Names: BM_PicMem/<operation>/<format>/vs_<peer>.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
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

std::string formatName(uint32_t comps, uint32_t sampleBytes)
{
    return std::to_string(comps) + "x" + std::to_string(8 * sampleBytes);
}

// Ours, the peer, and whether their outputs agree (run once before timing).
struct Case {
    std::function<void()> ours, peer;
    std::function<bool()> agree;
};

void run(benchmark::State& state, const Case& c, size_t bytes)
{
    c.ours();
    c.peer();
    if (!c.agree()) {
        state.SkipWithError("outputs differ");
        return;
    }
    bench::sideBySide(state, c.ours, c.peer);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void registerCase(const std::string& name, std::function<void(benchmark::State&)> body)
{
    benchmark::RegisterBenchmark(("BM_PicMem/" + name).c_str(), std::move(body))
        ->Unit(benchmark::kMicrosecond);
}

// Copy of a whole frame, its lines contiguous (pad 0) or padded; memcpy of
// the frame, or of each line when padded.
void copy(benchmark::State& state, uint32_t comps, uint32_t sample, uint32_t pad)
{
    const uint32_t line = kSide * comps * sample, pitch = line + pad;
    const std::vector<uint8_t> src = pattern(size_t(pitch) * kSide);
    std::vector<uint8_t> dst(src.size(), 1), ref(src.size(), 2);
    Case c;
    c.ours = [&] {
        CLxPicMemAPI::Copy(dst.data(), pitch, src.data(), pitch, comps, 8 * sample, kSide, kPixels);
    };
    c.peer = [&] {
        if (pad == 0) {
            std::memcpy(ref.data(), src.data(), src.size());
            return;
        }
        for (uint32_t y = 0; y < kSide; ++y)
            std::memcpy(ref.data() + size_t(y) * pitch, src.data() + size_t(y) * pitch, line);
    };
    c.agree = [&] {
        return CLxPicMemAPI::Compare(dst.data(), pitch, ref.data(), pitch, comps, 8 * sample, kSide,
                                     kPixels) == 0;
    };
    run(state, c, size_t(line) * kSide);
}

#ifdef QUELVIX_HAVE_OPENCV
// One component of a 3-component frame (the last) into a plane.
void extractComponent(benchmark::State& state, uint32_t sample)
{
    const uint32_t comps = 3;
    const int type = bench::cvType(comps, sample);
    std::vector<uint8_t> frame = pattern(size_t(kPixels) * comps * sample);
    std::vector<uint8_t> plane(size_t(kPixels) * sample, 1), ref(plane.size(), 2);
    const cv::Mat src(bench::kCvSide, bench::kCvSide, type, frame.data());
    cv::Mat out(bench::kCvSide, bench::kCvSide, bench::cvType(1, sample), ref.data());
    Case c;
    c.ours = [&] {
        CLxPicMemAPI::ExtractComponent(plane.data(), kSide * sample, frame.data(), comps,
                                       kSide * comps * sample, comps - 1, 8 * sample, kSide,
                                       kPixels);
    };
    c.peer = [&] { cv::extractChannel(src, out, int(comps - 1)); };
    c.agree = [&] { return plane == ref; };
    run(state, c, frame.size());
}

// A plane into component 1 of a 3-component frame.
void storeComponent(benchmark::State& state, uint32_t sample)
{
    const uint32_t comps = 3;
    const int type = bench::cvType(comps, sample);
    std::vector<uint8_t> frame = pattern(size_t(kPixels) * comps * sample), ref = frame;
    std::vector<uint8_t> plane = pattern(size_t(kPixels) * sample);
    std::reverse(plane.begin(), plane.end());
    const cv::Mat in(bench::kCvSide, bench::kCvSide, bench::cvType(1, sample), plane.data());
    cv::Mat out(bench::kCvSide, bench::kCvSide, type, ref.data());
    Case c;
    c.ours = [&] {
        CLxPicMemAPI::StoreComponent(frame.data(), comps, kSide * comps * sample, 1, plane.data(),
                                     kSide * sample, 8 * sample, kSide, kPixels);
    };
    c.peer = [&] { cv::insertChannel(in, out, 1); };
    c.agree = [&] { return frame == ref; };
    run(state, c, frame.size());
}

// Component 2 of a 3-component frame into component 0 of another.
void copyComponent(benchmark::State& state, uint32_t sample)
{
    const uint32_t comps = 3, pitch = kSide * comps * sample;
    const int type = bench::cvType(comps, sample);
    std::vector<uint8_t> src = pattern(size_t(kPixels) * comps * sample);
    std::vector<uint8_t> dst(src.size(), 1), ref(src.size(), 1);
    const cv::Mat in(bench::kCvSide, bench::kCvSide, type, src.data());
    cv::Mat out(bench::kCvSide, bench::kCvSide, type, ref.data());
    const int fromTo[2] = {2, 0};
    Case c;
    c.ours = [&] {
        CLxPicMemAPI::CopyComponent(dst.data(), comps, pitch, 0, src.data(), comps, pitch, 2,
                                    8 * sample, kSide, kPixels);
    };
    c.peer = [&] { cv::mixChannels(&in, 1, &out, 1, fromTo, 1); };
    c.agree = [&] { return dst == ref; };
    run(state, c, src.size());
}

// 12-bit samples to 8 bits by shifts; the 16-bit source frame counts.
// OpenCV has no shift of a matrix: convertTo with scale 1/16 and offset
// -15/32 rounds every v / 16 - 15/32 to v >> 4 (exact in float), the same
// samples by a multiply-add.
void convert16To8(benchmark::State& state, uint32_t comps)
{
    std::vector<uint8_t> src = pattern(size_t(kPixels) * comps * 2);
    for (size_t i = 1; i < src.size(); i += 2)
        src[i] &= 0x0F;
    std::vector<uint8_t> dst(size_t(kPixels) * comps, 1), ref(dst.size(), 2);
    const cv::Mat in(bench::kCvSide, bench::kCvSide, bench::cvType(comps, 2), src.data());
    cv::Mat out(bench::kCvSide, bench::kCvSide, bench::cvType(comps, 1), ref.data());
    Case c;
    c.ours = [&] {
        CLxPicMemAPI::ConvertBitDepthViaShifts(dst.data(), 8, kSide * comps, src.data(), 12,
                                               kSide * comps * 2, comps, kSide, kPixels);
    };
    c.peer = [&] { in.convertTo(out, out.type(), 1.0 / 16, -15.0 / 32); };
    c.agree = [&] { return dst == ref; };
    run(state, c, src.size());
}
#endif

const bool kRegistered = [] {
    const struct {
        uint32_t comps, sample, pad;
    } copies[] = {{3, 2, 0}, {3, 2, 64}, {3, 1, 0}};
    for (const auto& k : copies)
        registerCase("Copy/" + formatName(k.comps, k.sample) + "/pad" + std::to_string(k.pad) +
                         "/vs_memcpy",
                     [k](benchmark::State& s) { copy(s, k.comps, k.sample, k.pad); });
#ifdef QUELVIX_HAVE_OPENCV
    for (const uint32_t sample : {2u, 1u}) {
        const std::string format = formatName(3, sample);
        registerCase("ExtractComponent/" + format + "/vs_opencv",
                     [sample](benchmark::State& s) { extractComponent(s, sample); });
        registerCase("StoreComponent/" + format + "/vs_opencv",
                     [sample](benchmark::State& s) { storeComponent(s, sample); });
        registerCase("CopyComponent/" + format + "/vs_opencv",
                     [sample](benchmark::State& s) { copyComponent(s, sample); });
    }
    for (const uint32_t comps : {1u, 3u})
        registerCase("Convert16To8/" + formatName(comps, 2) + "/vs_opencv",
                     [comps](benchmark::State& s) { convert16To8(s, comps); });
#endif
    return true;
}();

} // namespace
