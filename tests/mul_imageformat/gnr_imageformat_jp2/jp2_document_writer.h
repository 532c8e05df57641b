// Test documents: codestreams made by OpenJPEG's encoder (the library, from
// memory), wrapped into JP2 files by our own container target, with own
// metadata boxes and a box map appended by the container layer. Shared by
// the reader tests, the benchmark and the fuzz corpus generator.
#pragma once

#include <openjpeg.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_system/LxByteArray.h"
#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_header.h"

namespace jp2doc
{

struct EncodeOptions {
    int resolutions = 6;
    uint32_t tileWidth = 0; // 0: one tile
    uint32_t tileHeight = 0;
    bool irreversible = false;
    float rate = 0; // compression ratio of one layer (irreversible)
    int mct = -1;   // -1: on for three components
    OPJ_PROG_ORDER order = OPJ_LRCP;
};

// The samples of component c at (x, y) as the planar values of one image.
struct Picture {
    uint32_t width = 0, height = 0, components = 1;
    int precision = 8;
    bool isSigned = false;
    std::vector<int32_t> planes; // components x height x width

    int32_t& at(uint32_t c, uint32_t x, uint32_t y)
    {
        return planes[(size_t(c) * height + y) * width + x];
    }
};

// A deterministic picture with structure (gradients and noise).
inline Picture MakePicture(uint32_t w, uint32_t h, uint32_t comps, int precision, uint32_t seed = 1)
{
    Picture p;
    p.width = w;
    p.height = h;
    p.components = comps;
    p.precision = precision;
    p.planes.resize(size_t(comps) * w * h);
    const uint32_t top = (1u << precision) - 1;
    uint32_t r = seed * 2654435761u + 1;
    for (uint32_t c = 0; c < comps; ++c)
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                r = r * 1664525u + 1013904223u;
                const uint32_t base = uint32_t((uint64_t(x + c * 7) * top) / (w + 7) +
                                               (uint64_t(y) * top) / (2 * h + 1));
                p.at(c, x, y) = int32_t(((base + ((r >> 24) & 15)) % (top + 1)));
            }
    return p;
}

namespace detail
{
struct Sink {
    std::vector<uint8_t> bytes;
    size_t pos = 0;
};
inline OPJ_SIZE_T Write(void* buffer, OPJ_SIZE_T n, void* user)
{
    auto* s = static_cast<Sink*>(user);
    if (s->bytes.size() < s->pos + n)
        s->bytes.resize(s->pos + n);
    memcpy(s->bytes.data() + s->pos, buffer, n);
    s->pos += n;
    return n;
}
inline OPJ_OFF_T Skip(OPJ_OFF_T n, void* user)
{
    auto* s = static_cast<Sink*>(user);
    s->pos += size_t(n);
    if (s->bytes.size() < s->pos)
        s->bytes.resize(s->pos);
    return n;
}
inline OPJ_BOOL Seek(OPJ_OFF_T n, void* user)
{
    static_cast<Sink*>(user)->pos = size_t(n);
    return OPJ_TRUE;
}
inline void Quiet(const char*, void*) {}
} // namespace detail

// A raw J2K codestream of the picture; empty on failure.
inline std::vector<uint8_t> Encode(const Picture& p, const EncodeOptions& o = {})
{
    std::vector<opj_image_cmptparm_t> params(p.components);
    for (auto& c : params) {
        memset(&c, 0, sizeof c);
        c.dx = c.dy = 1;
        c.w = p.width;
        c.h = p.height;
        c.prec = OPJ_UINT32(p.precision);
        c.sgnd = p.isSigned;
    }
    opj_image_t* image = opj_image_create(p.components, params.data(),
                                          p.components == 3 ? OPJ_CLRSPC_SRGB : OPJ_CLRSPC_GRAY);
    if (!image)
        return {};
    image->x1 = p.width;
    image->y1 = p.height;
    for (uint32_t c = 0; c < p.components; ++c)
        memcpy(image->comps[c].data, p.planes.data() + size_t(c) * p.width * p.height,
               size_t(p.width) * p.height * 4);
    opj_cparameters_t cp;
    opj_set_default_encoder_parameters(&cp);
    // The encoder refuses more levels than the smallest side (or tile) has.
    uint32_t side = std::min(p.width, p.height);
    if (o.tileWidth)
        side = std::min(side, std::min(o.tileWidth, o.tileHeight));
    int resolutions = o.resolutions;
    while (resolutions > 1 && (side >> (resolutions - 1)) == 0)
        --resolutions;
    cp.numresolution = resolutions;
    cp.prog_order = o.order;
    cp.irreversible = o.irreversible;
    cp.tcp_numlayers = 1;
    cp.tcp_rates[0] = o.irreversible ? o.rate : 0;
    cp.cp_disto_alloc = 1;
    cp.tcp_mct = char(o.mct >= 0 ? o.mct : (p.components == 3 ? 1 : 0));
    if (o.tileWidth) {
        cp.tile_size_on = OPJ_TRUE;
        cp.cp_tdx = int(o.tileWidth);
        cp.cp_tdy = int(o.tileHeight);
    }
    std::vector<uint8_t> out;
    opj_codec_t* codec = opj_create_compress(OPJ_CODEC_J2K);
    opj_set_error_handler(codec, detail::Quiet, nullptr);
    opj_set_warning_handler(codec, detail::Quiet, nullptr);
    opj_set_info_handler(codec, detail::Quiet, nullptr);
    detail::Sink sink;
    opj_stream_t* stream = opj_stream_create(1 << 16, OPJ_FALSE);
    opj_stream_set_write_function(stream, detail::Write);
    opj_stream_set_skip_function(stream, detail::Skip);
    opj_stream_set_seek_function(stream, detail::Seek);
    opj_stream_set_user_data(stream, &sink, nullptr);
    if (opj_setup_encoder(codec, &cp, image) && opj_start_compress(codec, image, stream) &&
        opj_encode(codec, stream) && opj_end_compress(codec, stream))
        out = sink.bytes;
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    return out;
}

// A JP2 file of the codestreams (all of the picture's geometry) in the
// array or at the path; the standard boxes go into the list when given.
template <class Where>
inline bool WriteJp2(Where where, const Picture& p,
                     const std::vector<std::vector<uint8_t>>& codestreams,
                     SLxJP2PositionsInfo* list = nullptr, double calibration = 0.0)
{
    jp2_file_target target;
    if constexpr (std::is_same_v<Where, CLxByteArray*>)
        target.open(where);
    else
        target.open(where, list);
    target.access_dimensions()->init(p.height, p.width, p.components, false);
    for (uint32_t c = 0; c < p.components; ++c)
        target.access_dimensions()->set_precision(c, p.precision, p.isSigned);
    target.access_colour()->init(p.components == 3 ? eJp2sRGB : eJp2sLUM);
    target.access_resolution()->init(1.0f);
    if (calibration > 0)
        target.access_resolution()->set_resolution(float(calibration), false);
    for (size_t i = 0; i < codestreams.size(); ++i) {
        if (i && !target.next_codestream())
            return false;
        if (!target.write(codestreams[i].data(), int32_t(codestreams[i].size())))
            return false;
    }
    return target.close();
}

// One own box to append.
struct OwnBox {
    uint32_t type;
    uint32_t code;
    std::vector<uint8_t> bytes;
};

inline OwnBox Xml(uint32_t code, const CLxStringA& text)
{
    return {jp2_xml_4cc, code,
            std::vector<uint8_t>(text.GetString(), text.GetString() + text.GetLength())};
}

// Appends the boxes (and a box map of the list) to the file at the path.
inline int AppendOwn(const char16_t* path, const std::vector<OwnBox>& boxes,
                     SLxJP2PositionsInfo* list, bool map)
{
    std::vector<SLxJP2OwnBox> own;
    for (const OwnBox& b : boxes)
        own.push_back({b.type, b.code, b.bytes.data(), b.bytes.size()});
    return LX_AppendJp2OwnBoxes(path, own.data(), own.size(), list, map);
}

// What a test document holds besides its frames.
struct DocumentOptions {
    uint32_t frames = 3;
    uint32_t virtualComponents = 0; // 0: none (one codestream per frame)
    bool ownBoxes = true;           // records, custom data, box map
    bool map = true;
    EncodeOptions encode;
};

// The texts of frame f's records as the writer stores them.
inline std::vector<OwnBox> FrameRecords(uint32_t frames)
{
    std::vector<OwnBox> boxes;
    for (uint32_t f = 0; f < frames; ++f)
        boxes.push_back(Xml(jp2_own_vcal, LX_Jp2TextCalibrationSeq(f, 0.5 + f, 1.25, true,
                                                                   CLxStringW(u"Obj 10x"))));
    boxes.push_back(
        Xml(jp2_own_srob, LX_Jp2TextReportObjects(CLxStringA(
                              "<ReportObjects version=\"1.0\"><o id=\"1\"/></ReportObjects>"))));
    if (frames > 1)
        boxes.push_back(
            Xml(jp2_own_vrob, LX_Jp2TextReportObjectsSeq(1, CLxStringA("<o id=\"2\"/>"))));
    CLxStringW texts[14];
    texts[0] = u"Title 1";
    texts[13] = u"Last";
    boxes.push_back(Xml(jp2_own_tinf, LX_Jp2TextTextInfo(14, 1.0, texts, 14)));
    for (uint32_t f = 0; f < frames; ++f) {
        SLxPictureMetadata md;
        md.SetToDefault();
        md.dTimeMSec = 100.0 * (f + 1);
        md.dXPos = 7.0 + f;
        CLxVariant v;
        SLxPictureMetadata::SaveToVariant(v, md);
        boxes.push_back(Xml(jp2_own_vimd, LX_Jp2TextPictureMetadata(f, v)));
    }
    SLxExperimentRecord events;
    CLxVariant ev;
    SLxExperimentRecord::SaveToVariant(ev, events);
    boxes.push_back(Xml(jp2_own_ieve, LX_Jp2TextEvents(ev)));
    CLxStringA custom;
    if (LX_Jp2TextCustomData(CLxStringW(u"Answer"), CLxVariant(42, CLxStringW(u"Answer")), custom))
        boxes.push_back(Xml(jp2_own_scdv, custom));
    if (LX_Jp2TextCustomDataSeq(CLxStringW(u"Step"), 1, CLxVariant(7.5, CLxStringW(u"Step")),
                                custom))
        boxes.push_back(Xml(jp2_own_vcdv, custom));
    OwnBox binary{jp2_uuid_4cc, jp2_own_scdb, {}};
    const uint8_t blob[] = {1, 2, 3, 4, 5};
    LX_Jp2UuidCustomBinary(CLxStringW(u"Blob"), blob, sizeof blob, binary.bytes);
    boxes.push_back(binary);
    OwnBox layer{jp2_uuid_4cc, jp2_own_binl, {}};
    LX_Jp2UuidImageBinary(blob, 3, layer.bytes);
    boxes.push_back(layer);
    return boxes;
}

// A document of the picture's frames (frame f is the picture with its
// samples shifted by f) at the path; false on failure.
inline bool WriteDocument(const char16_t* path, const Picture& picture, const DocumentOptions& o,
                          std::vector<std::vector<uint8_t>>* codestreamsOut = nullptr)
{
    std::vector<std::vector<uint8_t>> codestreams;
    Picture plane = picture;
    if (o.virtualComponents) {
        plane.components = 1;
        plane.planes.resize(size_t(picture.width) * picture.height);
    }
    const int32_t top = (1 << picture.precision) - 1;
    for (uint32_t f = 0; f < o.frames; ++f) {
        const uint32_t parts = o.virtualComponents ? o.virtualComponents : 1;
        for (uint32_t k = 0; k < parts; ++k) {
            Picture p = plane;
            for (size_t i = 0; i < p.planes.size(); ++i) {
                const size_t src = o.virtualComponents
                                       ? (size_t(k % picture.components) * p.planes.size() + i)
                                       : i;
                p.planes[i] = (picture.planes[src] + int32_t(f * 3 + k)) & top;
            }
            codestreams.push_back(Encode(p, o.encode));
            if (codestreams.back().empty())
                return false;
        }
    }
    SLxJP2PositionsInfo* list = LX_NewJp2PositionsInfo();
    bool ok = WriteJp2(path, plane, codestreams, list);
    if (ok && o.ownBoxes) {
        std::vector<OwnBox> boxes;
        if (o.virtualComponents)
            boxes.push_back(
                Xml(jp2_own_artt, LX_Jp2TextAdvancedAttributes(uint32_t(picture.precision),
                                                               o.virtualComponents)));
        const std::vector<OwnBox> records = FrameRecords(o.frames);
        boxes.insert(boxes.end(), records.begin(), records.end());
        ok = AppendOwn(path, boxes, list, o.map) == 0;
    }
    LX_FreeJp2PositionsInfo(list);
    if (codestreamsOut)
        *codestreamsOut = codestreams;
    return ok;
}

} // namespace jp2doc
