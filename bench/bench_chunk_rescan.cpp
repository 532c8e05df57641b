// Rescanning a crash image of 40,960,000 bytes (chunks, then the zero tail a
// writer reserves with EnsureFileSize) against one sequential read of the
// same file, in the same run. Goal: the rescan takes at most twice the read.
// "Sparse": the tail as a crashed writer leaves it (a hole); "Dense": the
// tail written out as zeros, which the rescan has to read.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"

namespace
{

constexpr uint64_t kImageSize = 40960000;

// The image file, made once per process, read-only so that the rescan keeps
// its map in memory and never changes the file between iterations.
const std::string& CrashImage(bool dense)
{
    static std::string paths[2];
    std::string& path = paths[dense];
    if (!path.empty())
        return path;
    const char* tmp = getenv("TMPDIR");
    path = std::string(tmp ? tmp : "/tmp") + "/bench_chunk_rescan_" + std::to_string(getpid()) +
           (dense ? "_dense.qx2" : "_sparse.qx2");
    const std::u16string wide = LX_Utf8ToUtf16(path.c_str());
    {
        CLxFileChunker writer;
        CLxStringA version("Ver2.1");
        writer.Open(wide.c_str(), false, false, version);
        writer.EnsureFileSize(kImageSize);
        std::vector<char> data(60000);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = char(i * 7 + 3);
        for (int i = 0; i < 200; ++i) {
            const std::string name = "ImageDataSeq|" + std::to_string(i);
            writer.WriteChunk(name.c_str(), data.data(), uint32_t(data.size() - i * 97));
        }
        // Dropped without Finalize: the file keeps its tail and has no map.
    }
    if (dense) {
        const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
        struct stat st;
        fstat(fd, &st);
        const std::vector<char> zeros(1 << 20, 0);
        off_t at = 200 * 65536; // past the last chunk
        while (at < off_t(kImageSize)) {
            const size_t n = std::min<off_t>(zeros.size(), off_t(kImageSize) - at);
            if (pwrite(fd, zeros.data(), n, at) != ssize_t(n))
                break;
            at += off_t(n);
        }
        close(fd);
    }
    chmod(path.c_str(), 0444);
    atexit([] {
        for (const std::string& p : paths)
            if (!p.empty())
                unlink(p.c_str());
    });
    return path;
}

uint64_t ReadSequentially(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    static std::vector<char> buffer(1 << 20);
    uint64_t total = 0;
    ssize_t n;
    while ((n = read(fd, buffer.data(), buffer.size())) > 0)
        total += uint64_t(n);
    close(fd);
    return total;
}

int ReadEveryChunk(const uint8_t*, CLxStringA&, CLxByteArray& data, void*)
{
    benchmark::DoNotOptimize(data.GetData());
    return -8;
}

int Rescan(const std::string& path, bool withCallback)
{
    const std::u16string wide = LX_Utf8ToUtf16(path.c_str());
    CLxFileChunker reader;
    CLxStringA version;
    if (reader.Open(wide.c_str(), true, false, version) != -13)
        return -1;
    const int rc = reader.CreateMissingChunkMap(withCallback ? ReadEveryChunk : nullptr, nullptr);
    return rc == 0 ? int(reader.GetChunkCount()) : rc;
}

void BM_ChunkImageSequentialRead(benchmark::State& state)
{
    const std::string& path = CrashImage(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadSequentially(path));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kImageSize));
}
BENCHMARK(BM_ChunkImageSequentialRead)->ArgName("dense")->Arg(0)->Arg(1);

// Both in each iteration; the counter "ratio" is rescan time / read time.
void BM_ChunkRescanVsRead(benchmark::State& state)
{
    const std::string& path = CrashImage(state.range(0));
    const bool withCallback = state.range(1);
    double readSeconds = 0, rescanSeconds = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(ReadSequentially(path));
        const auto t1 = std::chrono::steady_clock::now();
        const int chunks = Rescan(path, withCallback);
        const auto t2 = std::chrono::steady_clock::now();
        if (chunks != 200)
            state.SkipWithError("the rescan did not find the 200 chunks");
        readSeconds += std::chrono::duration<double>(t1 - t0).count();
        rescanSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["ratio"] = readSeconds > 0 ? rescanSeconds / readSeconds : 0;
}
BENCHMARK(BM_ChunkRescanVsRead)
    ->ArgNames({"dense", "callback"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace
