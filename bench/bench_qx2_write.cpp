// Writing 2048 x 2048 16-bit QX2 frames (12 significant bits, a smooth
// background plus Gaussian noise of sigma 20, fixed seed) through the QX2
// writer at compression parameters 4 and 6, against compress2 at the same
// level writing the same frames to a plain file, in the same run, both in
// $TMPDIR. Goals: at least 2.5 times compress2's throughput at level 4 and
// 3 times at level 6, streams at most 1.01 times compress2's size. Before
// timing, each written frame is read back and uncompress-ed to its input.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxOutputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2OutputOpener.h"
#include "w32_system/LxUtf.h"

namespace
{

constexpr uint32_t kSide = bench::kSide;
constexpr size_t kFrameBytes = size_t(kSide) * kSide * 2;
constexpr uint32_t kFrames = 4;

std::vector<uint8_t> NoisyFrame(uint32_t seed)
{
    std::vector<uint8_t> frame(kFrameBytes);
    std::mt19937 random(20260 + seed);
    std::normal_distribution<double> noise(0.0, 20.0);
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x) {
            const double smooth = 2048.0 + 1200.0 * std::sin(x * 0.004) * std::cos(y * 0.006);
            const long v = std::lround(smooth + noise(random));
            const uint16_t sample = uint16_t(std::min(4095L, std::max(0L, v)));
            frame[(size_t(y) * kSide + x) * 2] = uint8_t(sample);
            frame[(size_t(y) * kSide + x) * 2 + 1] = uint8_t(sample >> 8);
        }
    return frame;
}

const std::vector<std::vector<uint8_t>>& Frames()
{
    static const std::vector<std::vector<uint8_t>> frames = [] {
        std::vector<std::vector<uint8_t>> made;
        for (uint32_t f = 0; f < kFrames; ++f)
            made.push_back(NoisyFrame(f));
        return made;
    }();
    return frames;
}

std::string TempName(const char* name)
{
    const char* tmp = getenv("TMPDIR");
    return std::string(tmp ? tmp : "/tmp") + "/" + name + "-" + std::to_string(getpid());
}

SLxImageAttributes Attributes(int level)
{
    SLxImageAttributes a{};
    a.uiWidth = a.uiHeight = kSide;
    a.uiComp = 1;
    a.uiBpcInMemory = 16;
    a.uiBpcSignificant = 12;
    a.eCompression = LX_COMPRESSION_LOSSLESS;
    a.dCompressionParam = level;
    return a;
}

// Writes every frame; the stream bytes of the frames when asked.
bool WriteQX2(const std::string& path, int level, uint64_t* streamBytes)
{
    const std::u16string wide = LX_Utf8ToUtf16(path.c_str());
    ILxOutputImageFile* w = nullptr;
    if (LX_OpenQX2OutputFile(nullptr, wide.c_str(), false, &w) != 0)
        return false;
    w->AddRef();
    bool ok = w->SetImageAttributes(Attributes(level)) == 0;
    for (uint32_t f = 0; ok && f < kFrames; ++f)
        ok = w->SetImageData(f, Frames()[f].data(), nullptr, nullptr) == 0;
    ok = w->Close() == 0 && ok;
    w->Release();
    if (ok && streamBytes) {
        CLxFileChunker reader;
        CLxStringA version;
        *streamBytes = 0;
        ok = reader.Open(wide.c_str(), true, false, version) == 0;
        for (uint32_t f = 0; ok && f < kFrames; ++f) {
            CLxByteArray chunk;
            ok = reader.GetChunk(("ImageDataSeq|" + std::to_string(f) + "!").c_str(), chunk) == 0;
            std::vector<uint8_t> back(kFrameBytes);
            uLongf size = uLongf(back.size());
            ok = ok &&
                 uncompress(back.data(), &size, chunk.GetData() + 8, uLong(chunk.GetSize() - 8)) ==
                     Z_OK &&
                 size == kFrameBytes && back == Frames()[f];
            *streamBytes += chunk.GetSize() - 8;
        }
        reader.Finalize();
    }
    return ok;
}

bool WriteZlib(const std::string& path, int level, uint64_t* streamBytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    std::vector<uint8_t> out(compressBound(uLong(kFrameBytes)));
    bool ok = true;
    uint64_t total = 0;
    for (uint32_t f = 0; ok && f < kFrames; ++f) {
        uLongf size = uLongf(out.size());
        ok = compress2(out.data(), &size, Frames()[f].data(), uLong(kFrameBytes), level) == Z_OK &&
             write(fd, out.data(), size) == ssize_t(size);
        total += size;
    }
    close(fd);
    if (streamBytes)
        *streamBytes = total;
    return ok;
}

void BM_QX2WriteFrames(benchmark::State& state)
{
    const int level = int(state.range(0));
    const std::string path = TempName("bench-qx2-write.qx2");
    uint64_t qx2 = 0, zlib = 0;
    if (!WriteQX2(path, level, &qx2) || !WriteZlib(path + ".z", level, &zlib)) {
        state.SkipWithError("a frame does not read back");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteQX2(path, level, nullptr));
    remove(path.c_str());
    remove((path + ".z").c_str());
    state.SetBytesProcessed(int64_t(state.iterations()) * kFrames * kFrameBytes);
    state.counters["size_vs_compress2"] = double(qx2) / double(zlib);
}

void BM_Compress2WriteFrames(benchmark::State& state)
{
    const int level = int(state.range(0));
    const std::string path = TempName("bench-compress2.z");
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteZlib(path, level, nullptr));
    remove(path.c_str());
    state.SetBytesProcessed(int64_t(state.iterations()) * kFrames * kFrameBytes);
}

BENCHMARK(BM_QX2WriteFrames)->Arg(4)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compress2WriteFrames)->Arg(4)->Arg(6)->Unit(benchmark::kMillisecond);

} // namespace
