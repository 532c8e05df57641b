// Decoding with the library: whole images tile by tile through
// opj_read_tile_header / opj_decode_tile_data (planar samples of 1, 2 or 4
// bytes, transform, level shift and clamping done), areas through
// opj_set_decode_area and opj_decode (int32 samples of the area only).
#include <algorithm>

#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_codec.h"
#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_codec_internal.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"

namespace
{

// The tile grid of the SIZ marker segment at the start of a codestream must
// fit the bytes there are: every tile has at least one tile-part (SOT and
// SOD, 14 bytes). The library would otherwise set up every tile a hostile
// header declares before reading any of them.
void CheckTileCount(const uint8_t* head, size_t size, uint64_t length)
{
    auto u32 = [head](size_t at) {
        return (uint32_t(head[at]) << 24) | (uint32_t(head[at + 1]) << 16) |
               (uint32_t(head[at + 2]) << 8) | head[at + 3];
    };
    if (size < 42 || head[0] != 0xFF || head[1] != 0x4F || head[2] != 0xFF || head[3] != 0x51)
        return; // the library reports what is wrong
    const uint64_t x1 = u32(8), y1 = u32(12), xt = u32(24), yt = u32(28), xto = u32(32),
                   yto = u32(36);
    if (!xt || !yt || x1 <= xto || y1 <= yto)
        return;
    const uint64_t tiles = ((x1 - xto + xt - 1) / xt) * ((y1 - yto + yt - 1) / yt);
    if (tiles > length / 14)
        throw CLxJP2ErrorException("More tiles than the codestream can hold.", -9);
}

} // namespace

struct jp2_decoder::State {
    jp2_codec_errors errors;
    opj_codec_t* codec = nullptr;
    opj_stream_t* stream = nullptr;
    opj_image_t* image = nullptr;
    SLxJ2KHeader header;
    int threads = 1;
    bool decoded = false;

    ~State()
    {
        if (image)
            opj_image_destroy(image);
        if (codec)
            opj_destroy_codec(codec);
        if (stream)
            opj_stream_destroy(stream);
    }
};

jp2_decoder::jp2_decoder() = default;
jp2_decoder::~jp2_decoder() = default;

void jp2_decoder::Open(jp2_file_source& source, int threads)
{
    m_state = std::make_unique<State>();
    m_state->threads = threads;
    uint8_t head[42] = {};
    const uint64_t length = source.codestream_length();
    if (source.set_origin(int64_t(source.codestream_start())) && source.seek(0)) {
        const int32_t got = source.read(head, int32_t(sizeof head));
        CheckTileCount(head, got > 0 ? size_t(got) : 0, length);
    }
    m_state->stream = jp2_make_source_stream(source);
    if (!m_state->stream)
        throw CLxJP2ErrorException("Cannot read the codestream.", -9);
    ReadHeader();
}

void jp2_decoder::Open(const uint8_t* bytes, uint64_t size, int threads)
{
    m_state = std::make_unique<State>();
    m_state->threads = threads;
    if (bytes)
        CheckTileCount(bytes, size_t(std::min<uint64_t>(size, 42)), size);
    m_state->stream = jp2_make_memory_stream(bytes, size);
    if (!m_state->stream)
        throw CLxJP2ErrorException("Cannot read the codestream.", -9);
    ReadHeader();
}

void jp2_decoder::ReadHeader()
{
    State& s = *m_state;
    s.codec = opj_create_decompress(OPJ_CODEC_J2K);
    if (!s.codec)
        throw CLxJP2ErrorException("Cannot create the JPEG 2000 decoder.", -9);
    s.errors.Install(s.codec);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    s.errors.Check(opj_setup_decoder(s.codec, &parameters), "Cannot set up the decoder.");
    s.errors.Check(opj_decoder_set_strict_mode(s.codec, OPJ_TRUE), "Cannot set up the decoder.");
    if (s.threads > 1)
        opj_codec_set_threads(s.codec, s.threads);
    s.errors.Check(opj_read_header(s.stream, s.codec, &s.image),
                   "Cannot read the codestream header.");
    if (!s.image || s.image->numcomps == 0 || s.image->x1 <= s.image->x0 ||
        s.image->y1 <= s.image->y0)
        throw CLxJP2ErrorException("Invalid codestream header.", -9);

    SLxJ2KHeader& h = s.header;
    h.uiX0 = s.image->x0;
    h.uiY0 = s.image->y0;
    h.uiX1 = s.image->x1;
    h.uiY1 = s.image->y1;
    opj_codestream_info_v2_t* info = opj_get_cstr_info(s.codec);
    if (!info)
        throw CLxJP2ErrorException("Cannot read the codestream header.", -9);
    h.uiTileX0 = info->tx0;
    h.uiTileY0 = info->ty0;
    h.uiTileWidth = info->tdx;
    h.uiTileHeight = info->tdy;
    h.uiTilesAcross = info->tw;
    h.uiTilesDown = info->th;
    h.bMct = info->m_default_tile_info.mct != 0;
    h.components.resize(s.image->numcomps);
    for (uint32_t c = 0; c < s.image->numcomps; ++c) {
        const opj_image_comp_t& comp = s.image->comps[c];
        SLxJ2KComponent& out = h.components[c];
        out.uiDx = comp.dx ? comp.dx : 1;
        out.uiDy = comp.dy ? comp.dy : 1;
        out.iPrecision = int(comp.prec);
        out.bSigned = comp.sgnd != 0;
        out.uiResolutions = info->m_default_tile_info.tccp_info && c < info->nbcomps
                                ? info->m_default_tile_info.tccp_info[c].numresolutions
                                : 1;
        if (out.uiResolutions == 0)
            out.uiResolutions = 1;
    }
    opj_destroy_cstr_info(&info);
    if (h.uiTileWidth == 0 || h.uiTileHeight == 0 || h.uiTilesAcross == 0 || h.uiTilesDown == 0)
        throw CLxJP2ErrorException("Invalid codestream header.", -9);
}

const SLxJ2KHeader& jp2_decoder::Header() const
{
    static const SLxJ2KHeader none;
    return m_state ? m_state->header : none;
}

namespace
{

uint32_t BytesPerSample(int precision)
{
    const uint32_t b = uint32_t(precision + 7) >> 3;
    return b == 3 ? 4 : b;
}

} // namespace

void jp2_decoder::Decode(uint32_t reduce, const SLxJ2KArea& requested, jp2_block_sink& sink)
{
    if (!m_state || m_state->decoded)
        throw CLxJP2ErrorException("The codestream cannot be decoded twice.", -9);
    State& s = *m_state;
    s.decoded = true;
    const SLxJ2KHeader& h = s.header;
    SLxJ2KArea area = requested;
    if (area.uiX >= h.Width() || area.uiY >= h.Height())
        return;
    area.uiWidth = std::min(area.uiWidth, h.Width() - area.uiX);
    area.uiHeight = std::min(area.uiHeight, h.Height() - area.uiY);
    if (!area.uiWidth || !area.uiHeight)
        return;
    reduce = std::min(reduce, h.MaxReduce());
    s.errors.Clear();
    s.errors.Check(opj_set_decoded_resolution_factor(s.codec, reduce),
                   "Cannot set the resolution.");

    const uint32_t n = uint32_t(h.components.size());
    std::vector<SLxJ2KWindow> windows(n);
    for (uint32_t c = 0; c < n; ++c)
        windows[c] = LX_J2KComponentWindow(h, c, area, reduce);
    std::vector<SLxJ2KPlane> planes(n);

    const bool whole = area.uiWidth == h.Width() && area.uiHeight == h.Height();
    if (!whole) {
        s.errors.Check(opj_set_decode_area(s.codec, s.image, int32_t(h.uiX0 + area.uiX),
                                           int32_t(h.uiY0 + area.uiY),
                                           int32_t(h.uiX0 + area.uiX + area.uiWidth),
                                           int32_t(h.uiY0 + area.uiY + area.uiHeight)),
                       "Cannot set the decoded area.");
        s.errors.Check(opj_decode(s.codec, s.stream, s.image), "Cannot decode the codestream.");
        s.errors.Check(opj_end_decompress(s.codec, s.stream), "Cannot decode the codestream.");
        for (uint32_t c = 0; c < n; ++c) {
            const opj_image_comp_t& comp = s.image->comps[c];
            if (!comp.data)
                throw CLxJP2ErrorException("Cannot decode the codestream.", -9);
            planes[c].pData = reinterpret_cast<const uint8_t*>(comp.data);
            planes[c].uiBytes = 4;
            planes[c].bSigned = true;
            planes[c].uiX = 0;
            planes[c].uiY = 0;
            // Rows are comp.w apart; the sink clips to the window.
            planes[c].uiWidth = comp.w;
            planes[c].uiHeight = comp.h;
        }
        sink.Block(planes);
        return;
    }

    std::vector<uint8_t> buffer;
    for (;;) {
        OPJ_UINT32 index = 0, size = 0, comps = 0;
        OPJ_INT32 tx0 = 0, ty0 = 0, tx1 = 0, ty1 = 0;
        OPJ_BOOL goOn = OPJ_FALSE;
        s.errors.Check(opj_read_tile_header(s.codec, s.stream, &index, &size, &tx0, &ty0, &tx1,
                                            &ty1, &comps, &goOn),
                       "Cannot read a tile header.");
        if (!goOn)
            break;
        if (comps != n || index >= h.uiTilesAcross * h.uiTilesDown)
            throw CLxJP2ErrorException("Invalid tile.", -9);
        // The tile on the reference grid, clipped to the image.
        const uint32_t p = index % h.uiTilesAcross, q = index / h.uiTilesAcross;
        const uint64_t x0 = std::max<uint64_t>(h.uiTileX0 + uint64_t(p) * h.uiTileWidth, h.uiX0);
        const uint64_t y0 = std::max<uint64_t>(h.uiTileY0 + uint64_t(q) * h.uiTileHeight, h.uiY0);
        const uint64_t x1 =
            std::min<uint64_t>(h.uiTileX0 + uint64_t(p + 1) * h.uiTileWidth, h.uiX1);
        const uint64_t y1 =
            std::min<uint64_t>(h.uiTileY0 + uint64_t(q + 1) * h.uiTileHeight, h.uiY1);
        if (x1 <= x0 || y1 <= y0)
            throw CLxJP2ErrorException("Invalid tile.", -9);
        const SLxJ2KArea tile{uint32_t(x0 - h.uiX0), uint32_t(y0 - h.uiY0), uint32_t(x1 - x0),
                              uint32_t(y1 - y0)};
        uint64_t needed = 0;
        for (uint32_t c = 0; c < n; ++c) {
            const SLxJ2KWindow w = LX_J2KComponentWindow(h, c, tile, reduce);
            SLxJ2KPlane& plane = planes[c];
            plane.uiBytes = BytesPerSample(h.components[c].iPrecision);
            plane.bSigned = h.components[c].bSigned;
            plane.uiX = w.uiX0 - windows[c].uiX0;
            plane.uiY = w.uiY0 - windows[c].uiY0;
            plane.uiWidth = w.Width();
            plane.uiHeight = w.Height();
            needed += uint64_t(w.Width()) * w.Height() * plane.uiBytes;
        }
        // The library's size is the most it writes; our planes must fit.
        if (needed > size)
            throw CLxJP2ErrorException("Unexpected tile size.", -9);
        buffer.resize(size);
        s.errors.Check(opj_decode_tile_data(s.codec, index, buffer.data(), size, s.stream),
                       "Cannot decode a tile.");
        uint64_t offset = 0;
        for (uint32_t c = 0; c < n; ++c) {
            planes[c].pData = buffer.data() + offset;
            offset += uint64_t(planes[c].uiWidth) * planes[c].uiHeight * planes[c].uiBytes;
        }
        sink.Block(planes);
    }
    s.errors.Check(opj_end_decompress(s.codec, s.stream), "Cannot decode the codestream.");
}
