// The bodies of the JPEG 2000 container fuzz targets, shared with the test
// that replays their seed corpora in the sanitizer build. Any bytes must
// give a status, a false or a CLxJP2ErrorException, never a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "gnr_system/LxByteArray.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"

namespace jp2fuzz
{

inline bool ToArray(const uint8_t* data, size_t size, CLxByteArray& array)
{
    return size <= 0x7FFFFFFF &&
           (size == 0 || array.SetData(data, uint32_t(size), eLxByteArrayOpFromStart,
                                       eLxByteArrayAllocExact) == 0);
}

// The header objects written back into a "jp2h" box.
inline void SaveHeader(jp2_file_source& source)
{
    CLxByteArray out;
    jp2_box_writer jp2h;
    jp2h.box_type = jp2_header_4cc;
    jp2h.bytes = &out;
    source.access_dimensions()->save(jp2h);
    source.access_colour()->save(jp2h);
    source.access_palette()->save(jp2h);
    source.access_channels()->save(jp2h);
    source.access_resolution()->save(jp2h);
    jp2h.close();
}

// Source and header objects over the bytes: codestream 0 to 3 (chosen by
// the last byte, so that one input opens one codestream), the codestream
// read and sought, finalising again, one ICC line converted, the header
// written back.
inline void Source(const uint8_t* data, size_t size)
{
    CLxByteArray array;
    if (!ToArray(data, size, array))
        return;
    const int n = size ? data[size - 1] & 3 : 0;
    jp2_file_source source;
    try {
        if (!source.open(&array, n))
            return;
        uint8_t buffer[512];
        while (source.read(buffer, sizeof buffer) > 0) {
        }
        source.set_origin(source.get_pos(true));
        source.seek(3);
        source.read(buffer, 7);
        source.seek(-100);
        int16_t lines[3][16];
        for (int i = 0; i < 48; ++i)
            lines[i / 16][i % 16] = int16_t(data[i % size] * 37 - 4500);
        jp2_colour* colour = source.access_colour();
        colour->convert_icc_to_srgb(lines[0], 16);
        colour->convert_icc_to_srgb(lines[0], lines[1], lines[2], 16);
        source.access_dimensions()->finalize();
        source.access_palette()->finalize();
        source.access_channels()->finalize(colour->get_num_colours(),
                                           source.access_dimensions()->get_num_components(),
                                           source.access_palette()->get_num_luts());
        SaveHeader(source);
    } catch (const CLxJP2ErrorException&) {
    }
}

inline void Recognise(const std::vector<uint8_t>& text)
{
    LX_Jp2RecogniseText(text.data(), text.size());
    LX_Jp2RecogniseCustomData(text.data(), text.size());
    LX_Jp2RecogniseCustomDataSeq(text.data(), text.size());
}

// The box map, the XML and UUID stream walks (with and without the map) and
// the recognisers of their contents.
inline void BoxMap(const uint8_t* data, size_t size)
{
    CLxByteArray array;
    if (!ToArray(data, size, array))
        return;
    SLxJP2PositionsInfo* map = nullptr;
    LX_ReadJp2BoxMapFrom(LX_INVALID_HFILE, &array, &map);
    const auto walk = [&array](const SLxJP2PositionsInfo* m) {
        std::vector<uint8_t> bytes;
        CLxJP2XMLStream xml;
        int start = m ? LX_FindJp2BoxPosition(m, jp2_xml_4cc, jp2_own_ieve, 0) : 0;
        if (xml.OpenRead(&array, m, start < 0 ? 0 : start)) {
            int boxes = 0;
            do {
                if (xml.ReadRest(bytes))
                    Recognise(bytes);
            } while (++boxes < 256 && xml.Next());
        }
        CLxJP2UUIDStream uuid;
        start = m ? LX_FindJp2BoxPosition(m, jp2_uuid_4cc, jp2_own_vcdb, 0) : 0;
        if (uuid.OpenRead(&array, m, start < 0 ? 0 : start)) {
            int boxes = 0;
            do {
                uint8_t id[16];
                CLxStringW name;
                size_t at = 0;
                uint32_t index = 0;
                if (uuid.ReadBox(id, bytes)) {
                    LX_Jp2ParseCustomBinary(bytes.data(), bytes.size(), name, at);
                    LX_Jp2ParseCustomBinarySeq(bytes.data(), bytes.size(), name, index, at);
                }
            } while (++boxes < 256 && uuid.Next());
        }
    };
    if (map)
        walk(map);
    walk(nullptr);
    LX_FreeJp2PositionsInfo(map);
    Recognise(std::vector<uint8_t>(data, data + size));
}

} // namespace jp2fuzz
