// GetImageData of one 2048 x 2048 16-bit QX2 frame (12 significant bits, a
// smooth background plus Gaussian noise of sigma 20, fixed seed, zlib
// compress2 at level 4) against zlib's uncompress of the same stream, in the
// same run. Goal: the reader at least 1.6 times the throughput of
// uncompress. The document is a memory block, so the figures measure the
// decoding and the chunk read, not a disk.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputOpener.h"

namespace
{

constexpr uint32_t kSide = bench::kSide;
constexpr size_t kFrameBytes = size_t(kSide) * kSide * 2;

std::vector<uint8_t> NoisyFrame()
{
    std::vector<uint8_t> frame(kFrameBytes);
    std::mt19937 random(20260);
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

struct SDocument {
    std::string stream;
    CLxByteArray block;
};

SDocument& Document()
{
    static SDocument doc = [] {
        SDocument made;
        const std::vector<uint8_t> frame = NoisyFrame();
        uLongf size = compressBound(uLong(frame.size()));
        made.stream.resize(size);
        compress2(reinterpret_cast<Bytef*>(&made.stream[0]), &size, frame.data(),
                  uLong(frame.size()), 4);
        made.stream.resize(size);

        CLxFileChunker writer;
        CLxStringA version("Ver2.1");
        writer.OpenMemory(&made.block, false, false, version);
        CLxVariant a(CLxListVariant(), CLxStringW(u"a"));
        const unsigned values[] = {kSide, kSide * 2, kSide, 1, 16, 12, 1, kSide, kSide};
        const char16_t* keys[] = {u"uiWidth",         u"uiWidthBytes",  u"uiHeight",
                                  u"uiComp",          u"uiBpcInMemory", u"uiBpcSignificant",
                                  u"uiSequenceCount", u"uiTileWidth",   u"uiTileHeight"};
        for (int i = 0; i < 9; ++i)
            a.Append(CLxVariant(values[i], CLxStringW(keys[i])));
        a.Append(CLxVariant(0, CLxStringW(u"eCompression")));
        a.Append(CLxVariant(4.0, CLxStringW(u"dCompressionParam")));
        CLxStringA xml;
        CLxXMLAPI::VariantToXMLDocument_UTF8(xml, a);
        writer.WriteChunk("ImageAttributes!", xml.GetString(), uint32_t(xml.GetLength()));
        const double time = 0.0;
        writer.WriteChunk2("ImageDataSeq|0!", &time, 8, made.stream.data(),
                           uint32_t(made.stream.size()));
        writer.Finalize();
        return made;
    }();
    return doc;
}

void BM_QX2GetImageData(benchmark::State& state)
{
    SDocument& doc = Document();
    ILxInputImageFile* reader = nullptr;
    if (LX_OpenQX2InputMemory(nullptr, &doc.block, &reader) != 0) {
        state.SkipWithError("the document does not open");
        return;
    }
    reader->AddRef();
    std::vector<uint8_t> frame(kFrameBytes);
    for (auto _ : state) {
        if (reader->GetImageData(0, frame.data(), 0, 0) != 0) {
            state.SkipWithError("GetImageData failed");
            break;
        }
        benchmark::DoNotOptimize(frame.data());
    }
    reader->Release();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}
BENCHMARK(BM_QX2GetImageData)->Unit(benchmark::kMillisecond);

void BM_ZlibUncompressSameStream(benchmark::State& state)
{
    const SDocument& doc = Document();
    std::vector<uint8_t> frame(kFrameBytes);
    for (auto _ : state) {
        uLongf size = uLongf(frame.size());
        if (uncompress(frame.data(), &size, reinterpret_cast<const Bytef*>(doc.stream.data()),
                       uLong(doc.stream.size())) != Z_OK) {
            state.SkipWithError("uncompress failed");
            break;
        }
        benchmark::DoNotOptimize(frame.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}
BENCHMARK(BM_ZlibUncompressSameStream)->Unit(benchmark::kMillisecond);

} // namespace
