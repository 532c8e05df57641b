// Documents read on several threads at once, each thread with its own
// document object on the same file: 200 frames split over 1, 2, 4 or 8
// threads, beside the same 200 frames read on one thread, the two runs
// alternating. A run opens its documents, reads every frame once (none is in
// the cache yet) and closes them. QX2: 1024 x 1024 16-bit zlib frames; JP2:
// 512 x 512 12-bit lossless codestreams, decoded on one thread each
// (QUELVIX_THREADS=1) so that only the documents run in parallel.
// speedup = one-thread time / threads' time; ideal is the thread count, on a
// machine with that many idle cores. On a shared machine compare it with
// cores_busy, the process's processor time over the run's wall time (both
// medians of the threads' runs): a speedup near cores_busy means the threads
// lost no time waiting for each other.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "bench_documents.h"
#include "bench_support.h"
#include "gnr_vu2ziz/LxJp2InputFile.h"

namespace
{

using bench::SDocumentFile;

constexpr uint32_t kFrames = 200;

const SDocumentFile& Document(bool jp2)
{
    static const bench::SShape qx2Shape = {1024, 1024, kFrames};
    static const bench::SShape jp2Shape = {512, 512, kFrames};
    if (jp2) {
        static const SDocumentFile doc(jp2Shape,
                                       bench::writeJp2Document("threads.jp2", jp2Shape, 4));
        return doc;
    }
    static const SDocumentFile doc(qx2Shape, bench::writeQx2Document("threads.qx2", qx2Shape));
    return doc;
}

// User and system time of the whole process.
double ProcessSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// Thread t reads frames t, t + threads, ... into its own buffer, through its
// own document.
bool ReadOnThreads(const SDocumentFile& doc, uint32_t threads,
                   std::vector<std::vector<uint8_t>>& buffers)
{
    std::atomic<bool> ok{true};
    std::vector<std::thread> pool;
    for (uint32_t t = 0; t < threads; ++t)
        pool.emplace_back([&, t] {
            IJp2InputFile* in = CreateJp2InputFile(doc.wide.c_str());
            if (!in) {
                ok = false;
                return;
            }
            for (uint32_t f = t; f < doc.shape.frames; f += threads)
                if (!in->GetImage(f, buffers[t].data()))
                    ok = false;
            in->Release();
        });
    for (std::thread& thread : pool)
        thread.join();
    return ok;
}

// Arguments: format (0 QX2, 1 JP2), threads.
void Documents_ReadOnThreads(benchmark::State& state)
{
    const bool jp2 = state.range(0) != 0;
    const uint32_t threads = uint32_t(state.range(1));
    const SDocumentFile& doc = Document(jp2);
    if (doc.path.empty()) {
        state.SkipWithError("the document could not be written");
        return;
    }
    std::unique_ptr<bench::CThreadsVariable> oneDecodeThread;
    if (jp2)
        oneDecodeThread = std::make_unique<bench::CThreadsVariable>(1);
    const size_t frameBytes = size_t(doc.shape.width) * doc.shape.height * 2;
    // Touched before timing; the one-thread run uses the first.
    std::vector<std::vector<uint8_t>> buffers(threads, std::vector<uint8_t>(frameBytes, 1));
    bool ok = true;
    std::vector<double> coresBusy;
    bench::sideBySide(
        state,
        [&] {
            const double cpu0 = ProcessSeconds();
            const auto t0 = std::chrono::steady_clock::now();
            ok = ReadOnThreads(doc, threads, buffers) && ok;
            coresBusy.push_back((ProcessSeconds() - cpu0) / bench::secondsSince(t0));
        },
        [&] { ok = ReadOnThreads(doc, 1, buffers) && ok; });
    if (!ok)
        state.SkipWithError("a read failed");
    state.counters["speedup"] = 1.0 / state.counters["ratio"];
    state.counters["cores_busy"] = bench::median(coresBusy);
    state.SetItemsProcessed(int64_t(state.iterations()) * kFrames);
}
BENCHMARK(Documents_ReadOnThreads)
    ->ArgsProduct({{0, 1}, {1, 2, 4, 8}})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
