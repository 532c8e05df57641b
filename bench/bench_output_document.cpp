// Writing a document through the SDK's output document against the QX2
// writer under it, in the same run.
//
// OutputDocument_WriteImage: a 3-channel spectral document of 64 frames of
// 1024 x 1024 16-bit samples, zlib-compressed (eCompression 0), written
// channel by channel through IJp2OutputFile (each frame gathered from its
// three channel images, with its metadata, the loops at the end).
// Reference: Qx2Writer_SetImageData, the QX2 writer's SetImageData of the
// same 64 frames, already interleaved. Goal: at most 1.15 times the
// reference's time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_system/string/LxString.h"
#include "gnr_vu2ziz/LxJp2InputFile.h"
#include "gnr_vu2ziz/LxJp2OutputFile.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxOutputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxImageFormatQX2.h"

namespace
{

constexpr uint32_t kWidth = 1024, kHeight = 1024, kChannels = 3, kFrames = 64;

std::string TempPath(const char* name)
{
    return "/tmp/quelvix_bench_" + std::to_string(getpid()) + "_" + name;
}

std::u16string Wide(const std::string& path)
{
    return std::u16string(path.begin(), path.end());
}

// Textured 12-bit samples of one channel, so zlib has work to do.
std::vector<uint16_t> ChannelImage(uint32_t c)
{
    std::vector<uint16_t> image(size_t(kWidth) * kHeight);
    uint32_t state = 2024 + c;
    for (size_t i = 0; i < image.size(); ++i) {
        state = state * 1103515245u + 12345u;
        const uint32_t x = uint32_t(i % kWidth), y = uint32_t(i / kWidth);
        image[i] = uint16_t((((x * 3 + y * 5 + c * 7) & 0x3FF) + (state >> 26)) & 0xFFF);
    }
    return image;
}

struct SData {
    std::vector<std::vector<uint16_t>> channels; // one image each
    std::vector<uint16_t> frame;                 // the three interleaved
    SLxImageAttributes attributes{};

    SData()
    {
        for (uint32_t c = 0; c < kChannels; ++c)
            channels.push_back(ChannelImage(c));
        frame.resize(size_t(kWidth) * kHeight * kChannels);
        for (size_t i = 0; i < size_t(kWidth) * kHeight; ++i)
            for (uint32_t c = 0; c < kChannels; ++c)
                frame[i * kChannels + c] = channels[c][i];
        attributes.uiWidth = kWidth;
        attributes.uiHeight = kHeight;
        attributes.uiWidthBytes = kWidth * 2 * kChannels;
        attributes.uiComp = kChannels;
        attributes.uiBpcInMemory = 16;
        attributes.uiBpcSignificant = 12;
        attributes.uiSequenceCount = kFrames;
        attributes.eCompression = LX_COMPRESSION_LOSSLESS;
        attributes.dCompressionParam = 1.0;
    }
};

const SData& Data()
{
    static const SData data;
    return data;
}

// Writes the 64 frames with the QX2 writer (the experiment when given).
int WriteFrames(const std::string& path, const SLxExperiment* experiment,
                const SLxPictureMetadata* metadata)
{
    const SData& data = Data();
    ILxOutputImageFile* out = LX_CreateQx2OutputFile(Wide(path).c_str(), false);
    if (!out)
        return -9;
    out->AddRef();
    int rc = out->SetImageAttributes(data.attributes);
    if (rc == 0 && experiment)
        rc = out->SetExperiment(*experiment, nullptr);
    for (uint32_t f = 0; rc == 0 && f < kFrames; ++f) {
        if (metadata)
            rc = out->SetImageMetadata(f, *metadata, 0);
        if (rc == 0)
            rc = out->SetImageData(f, data.frame.data(), nullptr, nullptr);
    }
    const int closed = out->Close();
    out->Release();
    return rc ? rc : closed;
}

// The source document: 64 time points of 3 channels.
struct SSource {
    std::string path = TempPath("output_source.qx2");
    bool written = false;

    SSource()
    {
        SLxExperiment time;
        SLxExperiment::Init(time, SLxExperiment::eEtTime, false, kFrames, 0, 1);
        SLxExperiment* spect = nullptr;
        SLxExperiment::Alloc(&spect);
        SLxExperiment::Init(*spect, SLxExperiment::eEtSpect, false, kChannels, 0, 0);
        SLxPictureMetadata md;
        md.SetToDefault();
        SLxPicturePlanes::Alloc(md.sPicturePlanes, kChannels);
        md.sPicturePlanes.uiCompCount = kChannels;
        const char16_t* names[kChannels] = {u"DAPI", u"FITC", u"TRITC"};
        for (uint32_t c = 0; c < kChannels; ++c) {
            md.sPicturePlanes.sPlane[c].uiCompCount = 1;
            md.sPicturePlanes.sPlane[c].sDescription = names[c];
            SLxPicturePlaneDesc::Copy(spect->uLoopPars.sSpectLoop.pPlaneDesc[c],
                                      md.sPicturePlanes.sPlane[c]);
        }
        time.ppNextLevelEx[0] = spect;
        written = WriteFrames(path, &time, &md) == 0;
    }
    ~SSource() { std::remove(path.c_str()); }
};

const SSource& Source()
{
    static const SSource source;
    return source;
}

void OutputDocument_WriteImage(benchmark::State& state)
{
    const SData& data = Data();
    const SSource& source = Source();
    IJp2InputFile* in = source.written ? CreateJp2InputFile(Wide(source.path).c_str()) : nullptr;
    if (!in || in->GetImageCount() != kFrames * kChannels) {
        if (in)
            in->Release();
        state.SkipWithError("the source document could not be made");
        return;
    }
    const std::string path = TempPath("output_copy.qx2");
    for (auto _ : state) {
        IJp2OutputFile* out = CreateJp2OutputFile(Wide(path).c_str(), in);
        bool ok = out && out->SetImageInfo(kWidth, kHeight, 12);
        for (uint32_t seq = 0; ok && seq < kFrames * kChannels; ++seq)
            ok = out->WriteImage(seq, data.channels[seq % kChannels].data());
        if (out)
            out->Release();
        if (!ok)
            state.SkipWithError("writing failed");
        state.PauseTiming();
        std::remove(path.c_str());
        state.ResumeTiming();
    }
    in->Release();
    state.SetBytesProcessed(int64_t(state.iterations()) * kFrames *
                            int64_t(data.frame.size() * 2));
}
// One iteration each (seconds long): repetitions with different counts
// cannot be aggregated with random interleaving.
BENCHMARK(OutputDocument_WriteImage)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void Qx2Writer_SetImageData(benchmark::State& state)
{
    const SData& data = Data();
    const std::string path = TempPath("output_reference.qx2");
    for (auto _ : state) {
        if (WriteFrames(path, nullptr, nullptr) != 0)
            state.SkipWithError("writing failed");
        state.PauseTiming();
        std::remove(path.c_str());
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kFrames *
                            int64_t(data.frame.size() * 2));
}
BENCHMARK(Qx2Writer_SetImageData)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
