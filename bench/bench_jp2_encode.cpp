// JPEG 2000 frames written by the JP2 writer (into memory) beside bare
// OpenJPEG encoding the same planar samples with the same parameters and
// thread count, the two alternating in one case: 2048 x 2048 frames of one
// 16-bit component, lossless and at rate 0.07, on one thread and on all
// cores. The writer should stay within 1.1 x the peer (counter ratio).
#include <openjpeg.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench_documents.h"
#include "bench_support.h"
#include "gnr_system/LxByteArray.h"
#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_codec.h"
#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_encoder.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_output_file.h"

namespace
{

// Smooth 12-bit samples with a little noise, as uint16.
const std::vector<uint16_t>& Samples()
{
    static std::vector<uint16_t> s;
    if (s.empty()) {
        s.resize(size_t(bench::kSide) * bench::kSide);
        uint32_t noise = 1;
        for (uint32_t y = 0; y < bench::kSide; ++y)
            for (uint32_t x = 0; x < bench::kSide; ++x) {
                noise = noise * 1103515245u + 12345u;
                s[size_t(y) * bench::kSide + x] =
                    uint16_t(((x * 3 + y * 5) + (noise >> 28)) & 4095);
            }
    }
    return s;
}

SLxJ2KEncodeSettings Settings(bool lossy)
{
    SLxJ2KEncodeSettings s;
    s.uiWidth = s.uiHeight = bench::kSide;
    s.uiBits = 16;
    s.bLossy = lossy;
    s.dRate = lossy ? 0.07 : 0.0;
    return s;
}

struct Sink {
    std::vector<uint8_t> bytes;
};
OPJ_SIZE_T Write(void* buffer, OPJ_SIZE_T n, void* user)
{
    auto* s = static_cast<Sink*>(user);
    const auto* b = static_cast<const uint8_t*>(buffer);
    s->bytes.insert(s->bytes.end(), b, b + n);
    return n;
}

// The size of the writer's frame of the samples, written into memory; 0 on
// failure.
size_t EncodeWithWriter(bool lossy)
{
    CLxByteArray bytes;
    SLxImageAttributes a{};
    a.uiWidth = a.uiHeight = bench::kSide;
    a.uiComp = 1;
    a.uiBpcInMemory = 16;
    a.uiBpcSignificant = 12;
    a.eCompression = lossy ? 1 : 0;
    a.dCompressionParam = lossy ? 0.07 : 0.0;
    auto* w = new CLxJP2OutputFile(nullptr, &bytes);
    w->AddRef();
    w->SetImageAttributes(a);
    const bool ok = w->SetImageData(0, Samples().data(), nullptr, nullptr) == 0;
    const size_t size = ok ? bytes.GetSize() : 0;
    w->Abort();
    w->Release();
    return size;
}

// OpenJPEG's codestream of the samples with the writer's parameters; empty
// on failure.
std::vector<uint8_t> EncodeWithOpenJpeg(bool lossy, int threads)
{
    const std::vector<uint16_t>& px = Samples();
    const SLxJ2KEncodeSettings st = Settings(lossy);
    opj_image_cmptparm_t c;
    memset(&c, 0, sizeof c);
    c.dx = c.dy = 1;
    c.w = c.h = bench::kSide;
    c.prec = 16;
    opj_image_t* image = opj_image_tile_create(1, &c, OPJ_CLRSPC_GRAY);
    image->x1 = image->y1 = bench::kSide;
    opj_cparameters_t p;
    opj_set_default_encoder_parameters(&p);
    p.tile_size_on = OPJ_TRUE;
    p.cp_tdx = p.cp_tdy = int(bench::kSide);
    p.numresolution = int(LX_J2KResolutionCount(st));
    p.irreversible = lossy;
    const uint32_t layers = LX_J2KLayerCount(st.uiWidth, st.uiHeight);
    p.tcp_numlayers = int(layers);
    p.cp_disto_alloc = 1;
    for (uint32_t i = 0; i < layers; ++i)
        p.tcp_rates[i] = float(LX_J2KLayerRatio(st, i, layers));
    p.max_cs_size = int(LX_J2KMaxBytes(st));
    opj_codec_t* codec = opj_create_compress(OPJ_CODEC_J2K);
    opj_setup_encoder(codec, &p, image);
    if (threads > 1)
        opj_codec_set_threads(codec, threads);
    Sink sink;
    opj_stream_t* stream = opj_stream_create(1 << 20, OPJ_FALSE);
    opj_stream_set_write_function(stream, Write);
    opj_stream_set_user_data(stream, &sink, nullptr);
    if (!opj_start_compress(codec, image, stream) ||
        !opj_write_tile(codec, 0, (OPJ_BYTE*)px.data(), OPJ_UINT32(px.size() * 2), stream) ||
        !opj_end_compress(codec, stream))
        sink.bytes.clear();
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    return std::move(sink.bytes);
}

// Arguments: lossy (1) or lossless (0), all cores (1) or one thread (0). One
// thread is set for the case only: the all-cores cases after it run on all
// cores.
void BM_Jp2Writer_vs_OpenJpeg(benchmark::State& state)
{
    const bool lossy = state.range(0) != 0;
    std::unique_ptr<bench::CThreadsVariable> oneThread;
    if (state.range(1) == 0)
        oneThread = std::make_unique<bench::CThreadsVariable>(1);
    const int threads = LX_J2KDecodeThreads(uint64_t(1) << 30);
    bool ok = true;
    size_t ours = 0, peers = 0;
    bench::sideBySide(
        state,
        [&] {
            ours = EncodeWithWriter(lossy);
            ok = ours != 0 && ok;
        },
        [&] {
            const std::vector<uint8_t> bytes = EncodeWithOpenJpeg(lossy, threads);
            ok = !bytes.empty() && ok;
            peers = bytes.size();
        });
    if (!ok)
        state.SkipWithError("an encoding failed");
    state.counters["threads"] = threads;
    state.counters["ours_bytes"] = double(ours);
    state.counters["peer_bytes"] = double(peers);
    bench::countFramePixels(state);
}

// Arguments: lossy (1) or lossless (0), all cores (1) or one thread (0).
void Cases(benchmark::internal::Benchmark* b)
{
    for (int lossy : {0, 1})
        for (int all : {0, 1})
            b->Args({lossy, all});
    // A fixed count: repetitions that chose different counts cannot be
    // aggregated with random interleaving.
    b->Iterations(6)->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_Jp2Writer_vs_OpenJpeg)->Apply(Cases);
