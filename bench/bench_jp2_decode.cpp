// JPEG 2000 frames read by the JP2 reader against bare OpenJPEG decoding the
// same codestream from memory, at the same thread count: 2048 x 2048
// lossless frames, one component of 12 bits (16 in memory) and three
// components of 8 bits. The reader should stay within 1.1 x the peer.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench_support.h"
#include "jp2_document_writer.h"
#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_codec.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"

namespace
{

struct Fixture {
    std::string path;
    std::vector<uint8_t> codestream;
    uint32_t comps;
};

const Fixture& Frame(uint32_t comps)
{
    static std::unique_ptr<Fixture> fixtures[4];
    std::unique_ptr<Fixture>& f = fixtures[comps];
    if (!f) {
        f = std::make_unique<Fixture>();
        f->comps = comps;
        const jp2doc::Picture p =
            jp2doc::MakePicture(bench::kSide, bench::kSide, comps, comps == 1 ? 12 : 8, 3);
        f->codestream = jp2doc::Encode(p, {});
        f->path = "/tmp/quelvix_bench_jp2_" + std::to_string(getpid()) + "_" +
                  std::to_string(comps) + ".jp2";
        const std::u16string wide(f->path.begin(), f->path.end());
        jp2doc::WriteJp2(wide.c_str(), p, {f->codestream});
    }
    return *f;
}

int Threads(benchmark::State& state)
{
    const int threads = state.range(1) ? LX_J2KDecodeThreads(uint64_t(1) << 30) : 1;
    setenv("QUELVIX_THREADS", std::to_string(threads).c_str(), 1);
    return threads;
}

void BM_Jp2Reader_GetImageData(benchmark::State& state)
{
    const Fixture& f = Frame(uint32_t(state.range(0)));
    Threads(state);
    const std::u16string wide(f.path.begin(), f.path.end());
    auto* reader = new CLxJP2InputFile(nullptr, wide.c_str());
    reader->AddRef();
    SLxImageAttributes a{};
    reader->GetImageAttributes(a);
    std::vector<uint8_t> frame(size_t(a.uiWidthBytes) * a.uiHeight);
    for (auto _ : state)
        if (reader->GetImageData(0, frame.data(), 0, 0) != 0)
            state.SkipWithError("GetImageData failed");
    reader->Release();
    bench::countFramePixels(state);
}

struct Memory {
    const uint8_t* p;
    size_t size, pos;
};

OPJ_SIZE_T Read(void* buffer, OPJ_SIZE_T n, void* user)
{
    auto* m = static_cast<Memory*>(user);
    if (m->pos >= m->size)
        return OPJ_SIZE_T(-1);
    n = std::min(n, m->size - m->pos);
    memcpy(buffer, m->p + m->pos, n);
    m->pos += n;
    return n;
}
OPJ_OFF_T Skip(OPJ_OFF_T n, void* user)
{
    auto* m = static_cast<Memory*>(user);
    m->pos += size_t(n);
    return n;
}
OPJ_BOOL Seek(OPJ_OFF_T n, void* user)
{
    static_cast<Memory*>(user)->pos = size_t(n);
    return OPJ_TRUE;
}

void BM_OpenJpeg_Decode(benchmark::State& state)
{
    const Fixture& f = Frame(uint32_t(state.range(0)));
    const int threads = Threads(state);
    for (auto _ : state) {
        Memory m{f.codestream.data(), f.codestream.size(), 0};
        opj_stream_t* stream = opj_stream_create(1 << 20, OPJ_TRUE);
        opj_stream_set_read_function(stream, Read);
        opj_stream_set_skip_function(stream, Skip);
        opj_stream_set_seek_function(stream, Seek);
        opj_stream_set_user_data(stream, &m, nullptr);
        opj_stream_set_user_data_length(stream, m.size);
        opj_codec_t* codec = opj_create_decompress(OPJ_CODEC_J2K);
        opj_dparameters_t dp;
        opj_set_default_decoder_parameters(&dp);
        opj_setup_decoder(codec, &dp);
        if (threads > 1)
            opj_codec_set_threads(codec, threads);
        opj_image_t* image = nullptr;
        if (!opj_read_header(stream, codec, &image) || !opj_decode(codec, stream, image) ||
            !opj_end_decompress(codec, stream))
            state.SkipWithError("opj_decode failed");
        benchmark::DoNotOptimize(image);
        opj_image_destroy(image);
        opj_destroy_codec(codec);
        opj_stream_destroy(stream);
    }
    bench::countFramePixels(state);
}

// Arguments: components, all cores (1) or one thread (0).
void Cases(benchmark::internal::Benchmark* b)
{
    for (int comps : {1, 3})
        for (int all : {0, 1})
            b->Args({comps, all});
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_Jp2Reader_GetImageData)->Apply(Cases);
BENCHMARK(BM_OpenJpeg_Decode)->Apply(Cases);
