// Encoding with the library tile by tile: opj_start_compress, one
// opj_write_tile per tile with planar samples filled row by row from the
// caller's interleaved rows, opj_end_compress.
#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_encoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_codec_internal.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"

namespace
{

struct SinkStream {
    jp2_byte_sink* sink;
    bool failed = false;
};

// Never throws through the library: a refused write fails the call.
OPJ_SIZE_T SinkWrite(void* buffer, OPJ_SIZE_T count, void* user)
{
    auto* s = static_cast<SinkStream*>(user);
    try {
        if (!s->failed && s->sink->Write(static_cast<const uint8_t*>(buffer), count))
            return count;
    } catch (...) {
    }
    s->failed = true;
    return OPJ_SIZE_T(-1);
}

OPJ_OFF_T SinkSkip(OPJ_OFF_T, void*)
{
    return -1;
}

OPJ_BOOL SinkSeek(OPJ_OFF_T, void*)
{
    return OPJ_FALSE;
}

// Rows of interleaved samples into planes, component c from sample
// (components - 1 - c).
template <typename T>
void FillRow(const uint8_t* src, uint32_t width, uint32_t components, uint8_t* planes,
             size_t planeBytes, uint32_t row)
{
    for (uint32_t c = 0; c < components; ++c) {
        T* dst = reinterpret_cast<T*>(planes + c * planeBytes) + size_t(row) * width;
        const uint32_t sample = components - 1 - c;
        if (!src) {
            std::fill(dst, dst + width, T(0));
            continue;
        }
        if (components == 1) {
            memcpy(dst, src, size_t(width) * sizeof(T));
            continue;
        }
        for (uint32_t x = 0; x < width; ++x)
            memcpy(dst + x, src + (size_t(x) * components + sample) * sizeof(T), sizeof(T));
    }
}

} // namespace

struct jp2_encoder::State {
    jp2_codec_errors errors;
    opj_codec_t* codec = nullptr;
    opj_stream_t* stream = nullptr;
    opj_image_t* image = nullptr;
    SinkStream sink{nullptr};
    SLxJ2KEncodeSettings settings;
    uint32_t tileW = 0, tileH = 0, across = 0, down = 0;
    uint32_t next = 0;                  // raster index of the next tile
    std::unique_ptr<uint8_t[]> samples; // planar tile, every sample written before use
    size_t sampleCapacity = 0;

    ~State()
    {
        if (codec)
            opj_destroy_codec(codec);
        if (stream)
            opj_stream_destroy(stream);
        if (image)
            opj_image_destroy(image);
    }

    // A failed write is the sink's, whatever the library said.
    void Check(OPJ_BOOL ok, const char* fallback)
    {
        if (sink.failed)
            throw CLxJP2ErrorException("Cannot write the codestream.", LX_JP2_E_WRITE_THROUGH);
        errors.Check(ok, fallback);
    }
};

jp2_encoder::jp2_encoder() = default;
jp2_encoder::~jp2_encoder() = default;

void jp2_encoder::Start(const SLxJ2KEncodeSettings& settings, jp2_byte_sink& sink, int threads)
{
    m_state.reset();
    const SLxJ2KEncodeSettings& st = settings;
    if (st.uiWidth == 0 || st.uiHeight == 0 || (st.uiComponents != 1 && st.uiComponents != 3) ||
        (st.uiBits != 8 && st.uiBits != 16))
        throw CLxJP2ErrorException("Invalid codestream parameters.", -9);
    auto s = std::make_unique<State>();
    s->settings = st;
    s->tileW = st.uiTileWidth ? std::min(st.uiTileWidth, st.uiWidth) : st.uiWidth;
    s->tileH = st.uiTileHeight ? std::min(st.uiTileHeight, st.uiHeight) : st.uiHeight;
    s->across = (st.uiWidth + s->tileW - 1) / s->tileW;
    s->down = (st.uiHeight + s->tileH - 1) / s->tileH;

    opj_image_cmptparm_t comps[3];
    memset(comps, 0, sizeof comps);
    for (uint32_t c = 0; c < st.uiComponents; ++c) {
        comps[c].dx = comps[c].dy = 1;
        comps[c].w = st.uiWidth;
        comps[c].h = st.uiHeight;
        comps[c].prec = st.uiBits;
        comps[c].sgnd = 0;
    }
    s->image = opj_image_tile_create(st.uiComponents, comps,
                                     st.uiComponents == 3 ? OPJ_CLRSPC_SRGB : OPJ_CLRSPC_GRAY);
    if (!s->image)
        throw CLxJP2ErrorException("Cannot create the codestream image.", -9);
    s->image->x0 = s->image->y0 = 0;
    s->image->x1 = st.uiWidth;
    s->image->y1 = st.uiHeight;

    opj_cparameters_t p;
    opj_set_default_encoder_parameters(&p);
    p.tile_size_on = OPJ_TRUE;
    p.cp_tdx = int(s->tileW);
    p.cp_tdy = int(s->tileH);
    p.numresolution = int(LX_J2KResolutionCount(st));
    p.irreversible = st.bLossy ? 1 : 0;
    p.tcp_mct = st.uiComponents == 3 ? 1 : 0;
    const uint32_t layers = LX_J2KLayerCount(st.uiWidth, st.uiHeight);
    p.tcp_numlayers = int(layers);
    p.cp_disto_alloc = 1;
    for (uint32_t i = 0; i < layers; ++i)
        p.tcp_rates[i] = float(LX_J2KLayerRatio(st, i, layers));
    p.max_cs_size = int(LX_J2KMaxBytes(st));

    s->codec = opj_create_compress(OPJ_CODEC_J2K);
    if (!s->codec)
        throw CLxJP2ErrorException("Cannot create the JPEG 2000 encoder.", -9);
    s->errors.Install(s->codec);
    s->errors.Check(opj_setup_encoder(s->codec, &p, s->image), "Cannot set up the encoder.");
    if (threads > 1)
        opj_codec_set_threads(s->codec, threads);

    s->sink.sink = &sink;
    s->stream = opj_stream_create(1 << 20, OPJ_FALSE);
    if (!s->stream)
        throw CLxJP2ErrorException("Cannot create the codestream stream.", -9);
    opj_stream_set_write_function(s->stream, SinkWrite);
    opj_stream_set_skip_function(s->stream, SinkSkip);
    opj_stream_set_seek_function(s->stream, SinkSeek);
    opj_stream_set_user_data(s->stream, &s->sink, nullptr);
    s->Check(opj_start_compress(s->codec, s->image, s->stream), "Cannot start the codestream.");
    m_state = std::move(s);
}

uint32_t jp2_encoder::TilesAcross() const
{
    return m_state ? m_state->across : 0;
}
uint32_t jp2_encoder::TilesDown() const
{
    return m_state ? m_state->down : 0;
}
uint32_t jp2_encoder::NextTileX() const
{
    return m_state ? m_state->next % m_state->across : 0;
}
uint32_t jp2_encoder::NextTileY() const
{
    return m_state ? m_state->next / m_state->across : 0;
}
uint32_t jp2_encoder::TileWidth(uint32_t x) const
{
    const State& s = *m_state;
    return std::min(s.tileW, s.settings.uiWidth - x * s.tileW);
}
uint32_t jp2_encoder::TileHeight(uint32_t y) const
{
    const State& s = *m_state;
    return std::min(s.tileH, s.settings.uiHeight - y * s.tileH);
}

void jp2_encoder::WriteTile(const uint8_t* rows, size_t pitch,
                            const std::function<bool(uint32_t)>& onRow)
{
    if (!m_state || m_state->next >= m_state->across * m_state->down)
        throw CLxJP2ErrorException("No tile left to encode.", -9);
    State& s = *m_state;
    const uint32_t w = TileWidth(NextTileX()), h = TileHeight(NextTileY());
    const uint32_t comps = s.settings.uiComponents, bytes = s.settings.uiBits / 8;
    const size_t planeBytes = size_t(w) * h * bytes;
    s.errors.Clear();
    if (rows && comps == 1 && pitch == size_t(w) * bytes) {
        // One component in contiguous rows is the library's planar layout:
        // no copy.
        for (uint32_t r = 0; onRow && r < h; ++r)
            onRow(r + 1);
        s.Check(opj_write_tile(s.codec, s.next, const_cast<uint8_t*>(rows),
                               OPJ_UINT32(planeBytes), s.stream),
                "Cannot encode the tile.");
        ++s.next;
        return;
    }
    if (s.sampleCapacity < planeBytes * comps) {
        s.samples.reset(new uint8_t[planeBytes * comps]);
        s.sampleCapacity = planeBytes * comps;
    }
    for (uint32_t r = 0; r < h; ++r) {
        const uint8_t* src = rows ? rows + r * pitch : nullptr;
        if (bytes == 1)
            FillRow<uint8_t>(src, w, comps, s.samples.get(), planeBytes, r);
        else
            FillRow<uint16_t>(src, w, comps, s.samples.get(), planeBytes, r);
        if (onRow)
            onRow(r + 1);
    }
    s.errors.Clear();
    s.Check(
        opj_write_tile(s.codec, s.next, s.samples.get(), OPJ_UINT32(planeBytes * comps), s.stream),
        "Cannot encode the tile.");
    ++s.next;
    if (s.next == s.across * s.down) {
        s.samples.reset();
        s.sampleCapacity = 0;
    }
}

void jp2_encoder::Finish()
{
    if (!m_state)
        return;
    State& s = *m_state;
    if (s.next != s.across * s.down)
        throw CLxJP2ErrorException("Tiles of the codestream are missing.", -9);
    s.errors.Clear();
    s.Check(opj_end_compress(s.codec, s.stream), "Cannot end the codestream.");
    m_state.reset();
}
