// The SDK's input document against the QX2 reader under it and libdeflate
// under that, on the same frames in the same run.
//
// InputDocument_FirstRead: GetImage of 2048 x 2048 16-bit frames (12
// significant bits, zlib-compressed) that are not in the cache, beside the
// reader's GetImageData of the same frame and libdeflate's inflate of the
// frame's stream, the three alternating frame by frame. The cache holds two
// frames of the eight the document has, so every GetImage loads its frame
// from the file into a frame the cache drops (the steady state of reading a
// document larger than the cache); argument 1 gives the cache its whole
// budget and reopens the document after each pass, so every frame is read
// into new memory. Goals: document <= 1.2 x GetImageData (doc_per_reader)
// and GetImageData <= 1.05 x libdeflate (reader_per_inflate). Times are
// medians of the alternating runs.
//
// InputDocument_Soak (one iteration, not a timing): a 1 GiB document read
// twice under a 512 MiB cache budget; counters give the peak resident size
// (VmHWM) of the reads, the limit it must stay under (resident size before +
// 512 MiB + 4 frames) and over_limit 1 when it did not.
#include <benchmark/benchmark.h>
#include <libdeflate.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_documents.h"
#include "bench_support.h"
#include "gnr_vu2ziz/LxJp2InputFile.h"
#include "gnr_vu2ziz/meta_inputfile/LxFrameCache.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"

namespace
{

using bench::SDocumentFile;

constexpr uint32_t kFirstReadFrames = 8;
constexpr uint64_t kSideFrameBytes = uint64_t(bench::kSide) * bench::kSide * 2;

const SDocumentFile& FirstReadDocument()
{
    static const bench::SShape shape = {bench::kSide, bench::kSide, kFirstReadFrames};
    static const SDocumentFile doc(shape, bench::writeQx2Document("first_read.qx2", shape));
    return doc;
}

// The zlib stream of each frame, as the file holds it after the frame's
// 8-byte time.
std::vector<std::vector<uint8_t>> FrameStreams(const SDocumentFile& doc)
{
    std::vector<std::vector<uint8_t>> streams;
    CLxFileChunker chunker;
    CLxStringA version;
    if (chunker.Open(doc.wide.c_str(), true, false, version) != 0)
        return {};
    for (uint32_t f = 0; f < doc.shape.frames; ++f) {
        CLxByteArray chunk;
        const std::string name = "ImageDataSeq|" + std::to_string(f) + "!";
        if (chunker.GetChunk(name.c_str(), chunk) != 0 || chunk.GetSize() <= 8)
            return {};
        streams.emplace_back(chunk.GetData() + 8, chunk.GetData() + chunk.GetSize());
    }
    return streams;
}

uint64_t TwoFramesPhysical()
{
    return ((2 * kSideFrameBytes + kSideFrameBytes / 2) * 100 + 32) / 33;
}

// Medians of three readings taken in turn, each after an untimed step.
class CAlternation
{
  public:
    template <typename Step, typename... Reads>
    void Run(benchmark::State& state, Step untimed, Reads... reads)
    {
        m_times.assign(sizeof...(reads), {});
        for (auto _ : state) {
            state.PauseTiming();
            untimed();
            state.ResumeTiming();
            size_t i = 0;
            (Time(reads, i++), ...);
        }
    }
    double Median(size_t read) const { return bench::median(m_times[read]); }

  private:
    template <typename Read> void Time(Read read, size_t i)
    {
        const auto t0 = std::chrono::steady_clock::now();
        read();
        benchmark::ClobberMemory();
        m_times[i].push_back(bench::secondsSince(t0));
    }
    std::vector<std::vector<double>> m_times;
};

void InputDocument_FirstRead(benchmark::State& state)
{
    const bool growing = state.range(0) != 0;
    const SDocumentFile& doc = FirstReadDocument();
    const std::vector<std::vector<uint8_t>> streams = FrameStreams(doc);
    if (doc.path.empty() || streams.size() != doc.shape.frames) {
        state.SkipWithError("the document could not be written");
        return;
    }
    static const lx_frame_cache::SLxFrameCacheSeams twoFrames = {TwoFramesPhysical, nullptr,
                                                                 nullptr, nullptr};
    lx_frame_cache::SetSeams(growing ? nullptr : &twoFrames);
    ILxInputImageFile* reader = LX_CreateQx2InputFile(doc.wide.c_str());
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    IJp2InputFile* document = CreateJp2InputFile(doc.wide.c_str());
    if (!reader || !inflater || !document) {
        state.SkipWithError("open failed");
    } else {
        reader->AddRef();
        // Touched before timing, the same on every side.
        std::vector<uint8_t> fromDocument(kSideFrameBytes, 1), fromReader(kSideFrameBytes, 2),
            inflated(kSideFrameBytes, 3);
        uint32_t f = 0;
        bool ok = true;
        CAlternation runs;
        runs.Run(
            state,
            [&] {
                f = (f + 1) % doc.shape.frames;
                if (growing && f == 0) {
                    document->Release();
                    document = CreateJp2InputFile(doc.wide.c_str());
                    ok = ok && document;
                }
            },
            [&] { ok = ok && document->GetImage(f, fromDocument.data()); },
            [&] { ok = ok && reader->GetImageData(f, fromReader.data(), 0, 0) == 0; },
            [&] {
                const std::vector<uint8_t>& s = streams[f];
                ok = ok &&
                     libdeflate_zlib_decompress(inflater, s.data(), s.size(), inflated.data(),
                                                inflated.size(), nullptr) == LIBDEFLATE_SUCCESS;
            });
        if (!ok || fromDocument != fromReader || fromReader != inflated)
            state.SkipWithError("a read failed or the three reads differ");
        const double d = runs.Median(0), r = runs.Median(1), z = runs.Median(2);
        state.counters["document_ms"] = d * 1e3;
        state.counters["reader_ms"] = r * 1e3;
        state.counters["inflate_ms"] = z * 1e3;
        state.counters["doc_per_reader"] = d / r;
        state.counters["reader_per_inflate"] = r / z;
    }
    if (document)
        document->Release();
    if (reader)
        reader->Release();
    libdeflate_free_decompressor(inflater);
    lx_frame_cache::SetSeams(nullptr);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kSideFrameBytes));
}
// A fixed count: repetitions that chose different counts cannot be
// aggregated with random interleaving.
BENCHMARK(InputDocument_FirstRead)->Arg(0)->Arg(1)->Iterations(48)->Unit(benchmark::kMillisecond);

// A field of /proc/self/status in bytes.
uint64_t StatusBytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':')
            return std::stoull(line.substr(n + 1)) * 1024;
    return 0;
}

constexpr uint64_t kMiB = 1024 * 1024;
constexpr uint64_t kBudget = 512 * kMiB;

uint64_t SoakPhysical()
{
    return (kBudget * 100 + 32) / 33;
}

void InputDocument_Soak(benchmark::State& state)
{
    // 64 frames of 4096 x 2048 x 16 bits: 1 GiB.
    const bench::SShape shape = {4096, 2048, 64};
    const SDocumentFile doc(shape, bench::writeQx2Document("soak.qx2", shape));
    if (doc.path.empty()) {
        state.SkipWithError("the document could not be written");
        return;
    }
    const uint64_t frameBytes = uint64_t(doc.shape.width) * doc.shape.height * 2;
    std::vector<uint8_t> image(frameBytes);
    static const lx_frame_cache::SLxFrameCacheSeams seams = {SoakPhysical, nullptr, nullptr,
                                                             nullptr};
    lx_frame_cache::SetSeams(&seams);
    // Peak resident size from here on.
    std::ofstream("/proc/self/clear_refs") << "5";
    const uint64_t before = StatusBytes("VmRSS");
    bool ok = true;
    for (auto _ : state) {
        IJp2InputFile* in = CreateJp2InputFile(doc.wide.c_str());
        ok = in != nullptr;
        for (int pass = 0; ok && pass < 2; ++pass)
            for (uint32_t f = 0; ok && f < doc.shape.frames; ++f)
                ok = in->GetImage(f, image.data());
        if (in)
            in->Release();
    }
    const uint64_t peak = StatusBytes("VmHWM");
    lx_frame_cache::SetSeams(nullptr);
    if (!ok)
        state.SkipWithError("a read failed");
    const uint64_t limit = before + kBudget + 4 * frameBytes;
    state.counters["peak_rss_mib"] = double(peak) / kMiB;
    state.counters["limit_mib"] = double(limit) / kMiB;
    state.counters["over_limit"] = peak > limit ? 1 : 0;
}
BENCHMARK(InputDocument_Soak)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
