// JPEG 2000 frames read by the JP2 reader beside bare OpenJPEG decoding the
// same codestream from memory, at the same thread count, the two alternating
// in one case: 2048 x 2048 lossless frames, one component of 12 bits (16 in
// memory) and three components of 8 bits, on one thread and on all cores.
// The reader should stay within 1.1 x the peer (counter ratio).
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench_documents.h"
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

// OpenJPEG's decoding of the codestream; null on failure.
opj_image_t* DecodeWithOpenJpeg(const Fixture& f, int threads)
{
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
        !opj_end_decompress(codec, stream)) {
        opj_image_destroy(image);
        image = nullptr;
    }
    opj_destroy_codec(codec);
    opj_stream_destroy(stream);
    return image;
}

// Whether the reader's frame holds OpenJPEG's samples: a pixel's last
// sample is component 0.
bool SameSamples(const std::vector<uint8_t>& frame, uint32_t stride, const opj_image_t* image)
{
    if (!image || image->numcomps == 0)
        return false;
    const uint32_t comps = image->numcomps, w = image->comps[0].w, h = image->comps[0].h;
    const uint32_t bytes = image->comps[0].prec > 8 ? 2 : 1;
    for (uint32_t c = 0; c < comps; ++c)
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                const uint8_t* p =
                    frame.data() + size_t(y) * stride + (size_t(x) * comps + comps - 1 - c) * bytes;
                const uint32_t ours = bytes == 2 ? uint32_t(p[0] | p[1] << 8) : p[0];
                if (int32_t(ours) != image->comps[c].data[size_t(y) * w + x])
                    return false;
            }
    return true;
}

// Arguments: components, all cores (1) or one thread (0). One thread is set
// for the case only: the all-cores cases after it run on all cores.
void BM_Jp2Reader_vs_OpenJpeg(benchmark::State& state)
{
    const Fixture& f = Frame(uint32_t(state.range(0)));
    std::unique_ptr<bench::CThreadsVariable> oneThread;
    if (state.range(1) == 0)
        oneThread = std::make_unique<bench::CThreadsVariable>(1);
    const int threads = LX_J2KDecodeThreads(uint64_t(1) << 30);
    const std::u16string wide(f.path.begin(), f.path.end());
    auto* reader = new CLxJP2InputFile(nullptr, wide.c_str());
    reader->AddRef();
    SLxImageAttributes a{};
    reader->GetImageAttributes(a);
    std::vector<uint8_t> frame(size_t(a.uiWidthBytes) * a.uiHeight, 1);
    bool ok = true;
    bench::sideBySide(
        state, [&] { ok = reader->GetImageData(0, frame.data(), 0, 0) == 0 && ok; },
        [&] {
            opj_image_t* image = DecodeWithOpenJpeg(f, threads);
            ok = image && ok;
            benchmark::DoNotOptimize(image);
            opj_image_destroy(image);
        });
    opj_image_t* image = DecodeWithOpenJpeg(f, threads);
    if (!ok || !SameSamples(frame, a.uiWidthBytes, image))
        state.SkipWithError("a decoding failed or the two differ");
    opj_image_destroy(image);
    reader->Release();
    state.counters["threads"] = threads;
    bench::countFramePixels(state);
}

// Arguments: components, all cores (1) or one thread (0).
void Cases(benchmark::internal::Benchmark* b)
{
    for (int comps : {1, 3})
        for (int all : {0, 1})
            b->Args({comps, all});
    // A fixed count: repetitions that chose different counts cannot be
    // aggregated with random interleaving.
    b->Iterations(6)->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_Jp2Reader_vs_OpenJpeg)->Apply(Cases);
