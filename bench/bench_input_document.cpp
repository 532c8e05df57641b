// The SDK's input document against the QX2 reader under it, in the same run.
//
// InputDocument_GetImage: GetImage of every frame of a 64-frame 1024 x 1024
// 16-bit document of zlib-compressed frames (eCompression 0), the document
// open over the run with a cache budget of 2 frames, so that every GetImage
// loads its frame from the file (the steady state of reading through a
// document larger than the cache). Reference: Qx2Reader_GetImageData, the
// reader's GetImageData of the same frames into one buffer. Goal: at most
// 1.15 times the reference's time.
//
// InputDocument_Soak (one iteration, not a timing): a 1 GiB document read
// twice under a 512 MiB cache budget; counters give the peak resident size
// (VmHWM) of the reads, the limit it must stay under (resident size before +
// 512 MiB + 4 frames) and over_limit 1 when it did not.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_system/string/LxString.h"
#include "gnr_vu2ziz/LxJp2InputFile.h"
#include "gnr_vu2ziz/meta_inputfile/LxFrameCache.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/LxOutputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxImageFormatQX2.h"

namespace
{

struct SShape {
    uint32_t width, height, frames;
};

// Textured 12-bit samples: a wave plus noise, so zlib has work to do.
void FillFrame(std::vector<uint16_t>& frame, uint32_t width, uint32_t f)
{
    uint32_t state = 2024 + f;
    for (size_t i = 0; i < frame.size(); ++i) {
        state = state * 1103515245u + 12345u;
        const uint32_t x = uint32_t(i % width), y = uint32_t(i / width);
        frame[i] = uint16_t((((x * 3 + y * 5 + f * 7) & 0x3FF) + (state >> 26)) & 0xFFF);
    }
}

// Writes the document once per process; its path, empty on failure.
std::string WriteDocument(const char* name, SShape shape)
{
    const std::string path = "/tmp/quelvix_bench_" + std::to_string(getpid()) + "_" + name;
    const CLxStringW wide(CLxStringA(path.c_str()));
    ILxOutputImageFile* out = LX_CreateQx2OutputFile(wide.GetString(), false);
    if (!out)
        return {};
    out->AddRef();
    SLxImageAttributes a{};
    a.uiWidth = shape.width;
    a.uiHeight = shape.height;
    a.uiWidthBytes = shape.width * 2;
    a.uiComp = 1;
    a.uiBpcInMemory = 16;
    a.uiBpcSignificant = 12;
    a.uiSequenceCount = shape.frames;
    a.eCompression = LX_COMPRESSION_LOSSLESS;
    a.dCompressionParam = 1.0;
    int rc = out->SetImageAttributes(a);
    SLxExperiment* time = nullptr;
    SLxExperiment::Alloc(&time);
    SLxExperiment::Init(*time, SLxExperiment::eEtTime, false, shape.frames, 0, 0);
    if (rc == 0)
        rc = out->SetExperiment(*time, nullptr);
    SLxExperiment::FreeRecursive(time);
    std::vector<uint16_t> frame(size_t(shape.width) * shape.height);
    for (uint32_t f = 0; rc == 0 && f < shape.frames; ++f) {
        FillFrame(frame, shape.width, f);
        rc = out->SetImageData(f, frame.data(), nullptr, nullptr);
    }
    if (rc == 0)
        rc = out->Close();
    out->Release();
    if (rc != 0) {
        std::remove(path.c_str());
        return {};
    }
    return path;
}

struct SDocumentFile {
    SShape shape;
    std::string path;
    std::u16string wide;

    SDocumentFile(const char* name, SShape s) : shape(s), path(WriteDocument(name, s))
    {
        wide.assign(path.begin(), path.end());
    }
    ~SDocumentFile()
    {
        if (!path.empty())
            std::remove(path.c_str());
    }
};

const SDocumentFile& ReadCaseDocument()
{
    static const SDocumentFile doc("read.qx2", {1024, 1024, 64});
    return doc;
}

uint64_t TwoFramesPhysical()
{
    const uint64_t frame = 1024 * 1024 * 2;
    return ((2 * frame + frame / 2) * 100 + 32) / 33;
}

void InputDocument_GetImage(benchmark::State& state)
{
    const SDocumentFile& doc = ReadCaseDocument();
    if (doc.path.empty()) {
        state.SkipWithError("the document could not be written");
        return;
    }
    static const lx_frame_cache::SLxFrameCacheSeams seams = {TwoFramesPhysical, nullptr,
                                                             nullptr, nullptr};
    lx_frame_cache::SetSeams(&seams);
    IJp2InputFile* in = CreateJp2InputFile(doc.wide.c_str());
    if (!in) {
        lx_frame_cache::SetSeams(nullptr);
        state.SkipWithError("open failed");
        return;
    }
    std::vector<uint8_t> image(size_t(doc.shape.width) * doc.shape.height * 2);
    for (auto _ : state) {
        for (uint32_t f = 0; f < doc.shape.frames; ++f)
            if (!in->GetImage(f, image.data()))
                state.SkipWithError("GetImage failed");
        benchmark::DoNotOptimize(image.data());
    }
    in->Release();
    lx_frame_cache::SetSeams(nullptr);
    state.SetBytesProcessed(int64_t(state.iterations()) * doc.shape.frames * int64_t(image.size()));
}
// A fixed count: repetitions that chose different counts cannot be
// aggregated with random interleaving.
BENCHMARK(InputDocument_GetImage)->Iterations(4)->Unit(benchmark::kMillisecond)->UseRealTime();

void Qx2Reader_GetImageData(benchmark::State& state)
{
    const SDocumentFile& doc = ReadCaseDocument();
    if (doc.path.empty()) {
        state.SkipWithError("the document could not be written");
        return;
    }
    ILxInputImageFile* in = LX_CreateQx2InputFile(doc.wide.c_str());
    if (!in) {
        state.SkipWithError("open failed");
        return;
    }
    in->AddRef();
    std::vector<uint8_t> image(size_t(doc.shape.width) * doc.shape.height * 2);
    for (auto _ : state) {
        for (uint32_t f = 0; f < doc.shape.frames; ++f)
            if (in->GetImageData(f, image.data(), 0, 0) != 0)
                state.SkipWithError("GetImageData failed");
        benchmark::DoNotOptimize(image.data());
    }
    in->Release();
    state.SetBytesProcessed(int64_t(state.iterations()) * doc.shape.frames * int64_t(image.size()));
}
BENCHMARK(Qx2Reader_GetImageData)->Iterations(4)->Unit(benchmark::kMillisecond)->UseRealTime();

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
    const SDocumentFile doc("soak.qx2", {4096, 2048, 64});
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
