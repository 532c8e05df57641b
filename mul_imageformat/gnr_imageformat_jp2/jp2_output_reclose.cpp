// Closing a writer that wrote no frame over an existing document: the
// file's own boxes are kept as their bytes unless set again (by record, name
// and frame), foreign boxes are kept too, and Close then writes the whole
// tail and the box map anew after the codestreams.
#include <cstring>

#include "gnr_system/variant/LxListVariant.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_output_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_top_boxes.h"
#include "w32_system/LxFileAPI.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

const CLxVariant* FindItem(const CLxVariant& list, const char16_t* name)
{
    bool ok = false;
    const CLxListVariant& items = list.GetCLxListVariant(&ok);
    if (!ok)
        return nullptr;
    for (int i = 0; i < items.Number(); ++i)
        if (const CLxVariant* item = items.GetAt(i))
            if (item->GetName() == name)
                return item;
    return nullptr;
}

uint32_t OwnCodeAt(const SLxJP2PositionsInfo* map, uint64_t offset)
{
    for (uint32_t i = 0; map && i < map->uiCount; ++i)
        if (map->pEntries[i].uiOffset == offset)
            return map->pEntries[i].uiOwnCode;
    return 0;
}

bool IsFrameRecord(uint32_t code)
{
    return code == jp2_own_vcal || code == jp2_own_vrob || code == jp2_own_vimd;
}

} // namespace

int CLxJP2OutputFile::MergeFile()
{
    LX_HFILE file = LX_INVALID_HFILE;
    if (LX_OpenFile(m_path.GetString(), LX_FILE_READ, LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE,
                    LX_INVALID_HFILE, &file) != 0)
        return -9;
    const std::vector<SLxJP2TopBox> top = LX_WalkJp2TopBoxes(file);
    SLxJP2PositionsInfo* fileMap = nullptr;
    LX_ReadJp2BoxMapFrom(file, nullptr, &fileMap);

    // The tail is cut at its first own box: codestreams after one would go
    // with it, so such a file is left alone.
    size_t lastCodestream = top.size();
    for (size_t i = 0; i < top.size(); ++i)
        if (top[i].type == jp2_codestream_4cc)
            lastCodestream = i;
    bool usable = top.size() >= 4 && top[0].type == jp2_signature_4cc &&
                  lastCodestream < top.size();
    for (size_t i = 0; usable && i < lastCodestream; ++i)
        usable = top[i].type != jp2_xml_4cc && top[i].type != jp2_uuid_4cc;

    std::map<Slot, OwnBox> kept;
    uint32_t foreign = 0;
    uint32_t significant = 0, virtualComponents = 0; // from the advanced attributes
    for (size_t i = lastCodestream + 1; usable && i < top.size(); ++i) {
        const SLxJP2TopBox& b = top[i];
        if (b.type != jp2_xml_4cc && b.type != jp2_uuid_4cc)
            continue;
        std::vector<uint8_t> contents;
        if (!LX_ReadJp2Range(file, b.contentsStart, b.contentsEnd, contents) || contents.empty())
            continue;
        const uint32_t mapped = OwnCodeAt(fileMap, b.offset);
        if (b.type == jp2_uuid_4cc) {
            if (contents.size() < 16 || !memcmp(contents.data(), jp2_uuid_pmap, 16))
                continue;
            const uint8_t* body = contents.data() + 16;
            const size_t size = contents.size() - 16;
            CLxStringW name;
            uint32_t index = 0;
            size_t at = 0;
            Slot slot = SlotOf(jp2_own_uunk, foreign);
            uint32_t code = jp2_own_uunk;
            if (!memcmp(contents.data(), jp2_uuid_scdb, 16) &&
                LX_Jp2ParseCustomBinary(body, size, name, at))
                slot = SlotOf(code = jp2_own_scdb, 0, name);
            else if (!memcmp(contents.data(), jp2_uuid_vcdb, 16) &&
                     LX_Jp2ParseCustomBinarySeq(body, size, name, index, at))
                slot = SlotOf(code = jp2_own_vcdb, index, name);
            else if (!memcmp(contents.data(), jp2_uuid_binl, 16))
                slot = SlotOf(code = jp2_own_binl);
            else
                ++foreign;
            kept[slot] = OwnBox{jp2_uuid_4cc, code, std::move(contents)};
            continue;
        }
        SLxJP2OwnText t;
        if (mapped != jp2_own_scdv && mapped != jp2_own_vcdv && mapped != jp2_own_xunk)
            t = LX_Jp2RecogniseText(contents.data(), contents.size());
        if (!t.uiCode && mapped != jp2_own_scdv && mapped != jp2_own_xunk)
            t = LX_Jp2RecogniseCustomDataSeq(contents.data(), contents.size());
        if (!t.uiCode && mapped != jp2_own_vcdv && mapped != jp2_own_xunk)
            t = LX_Jp2RecogniseCustomData(contents.data(), contents.size());
        if (t.uiCode == jp2_own_artt) {
            // Read, never kept: the box is written from the attributes.
            CLxVariant v;
            if (CLxXMLAPI::VariantFromXML_UTF8(
                    v, reinterpret_cast<const char*>(contents.data()) + t.uiInner,
                    t.uiInnerSize) == 0) {
                if (const CLxVariant* bits = FindItem(v, u"SignificantBits"))
                    significant = bits->GetLx_uint32();
                if (const CLxVariant* virt = FindItem(v, u"VirtualComponents"))
                    virtualComponents = virt->GetLx_uint32();
            } else {
                LX_TRACE(u"Failed to load variant with advanced attributes from xml box.");
            }
            continue;
        }
        if (!t.uiCode || (IsFrameRecord(t.uiCode) && !t.bIndexFound)) {
            kept[SlotOf(jp2_own_xunk, foreign++)] =
                OwnBox{jp2_xml_4cc, jp2_own_xunk, std::move(contents)};
            continue;
        }
        kept[SlotOf(t.uiCode, t.uiIndex, t.wsName)] =
            OwnBox{jp2_xml_4cc, t.uiCode, std::move(contents)};
    }

    // A last codestream without its end marker is what a stopped writer
    // left: it is cut off rather than listed as a frame.
    uint64_t cutAt = 0;
    if (usable && lastCodestream > 0) {
        const SLxJP2TopBox& last = top[lastCodestream];
        std::vector<uint8_t> eoc;
        const bool complete = last.contentsEnd >= last.contentsStart + 2 &&
                              LX_ReadJp2Range(file, last.contentsEnd - 2, last.contentsEnd, eoc) &&
                              eoc[0] == 0xFF && eoc[1] == 0xD9;
        if (!complete && top[lastCodestream - 1].type == jp2_codestream_4cc) {
            cutAt = last.offset;
            --lastCodestream;
        }
    }

    // The standard boxes and codestreams stay where they are.
    SLxJP2PositionsInfo* map = usable ? LX_NewJp2PositionsInfo() : nullptr;
    for (size_t i = 0; map && i <= lastCodestream; ++i) {
        const uint32_t type = top[i].type;
        if ((type == jp2_signature_4cc || type == jp2_file_type_4cc || type == jp2_header_4cc ||
             type == jp2_codestream_4cc) &&
            !jp2_add_position(map, type, jp2_own_lunk, top[i].offset)) {
            LX_FreeJp2PositionsInfo(map);
            map = nullptr;
        }
    }
    LX_FreeJp2PositionsInfo(fileMap);
    LX_CloseFile(file);
    if (!map)
        return -9;
    if (cutAt) {
        LX_HFILE rw = LX_INVALID_HFILE;
        const bool cut = LX_OpenFile(m_path.GetString(), LX_FILE_READ | LX_FILE_WRITE,
                                     LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE, LX_INVALID_HFILE,
                                     &rw) == 0 &&
                         LX_SeekFile(rw, int32_t(uint32_t(cutAt)), int32_t(cutAt >> 32), 0) == 0 &&
                         LX_SetEOF(rw) == 0;
        if (rw != LX_INVALID_HFILE)
            LX_CloseFile(rw);
        if (!cut) {
            LX_FreeJp2PositionsInfo(map);
            return -9;
        }
    }

    // The attributes of the document when none were given.
    SLxImageAttributes& a = m_attributes;
    bool rewriteResolution = false;
    const bool calibrated = !m_calibrations.empty() && m_calibrations[0].set &&
                            m_calibrations[0].valid && m_calibrations[0].calibration > 0.0;
    try {
        jp2_file_source source;
        if (source.open(m_path.GetString(), 0)) {
            if (calibrated) {
                const jp2_resolution_info& r = *source.access_resolution();
                rewriteResolution =
                    r.get_resolution(false) != float(m_calibrations[0].calibration) ||
                    r.get_aspect_ratio(false) != float(m_calibrations[0].aspect);
            }
            const jp2_dimensions& d = *source.access_dimensions();
            const uint32_t bits = uint32_t(d.get_bit_depth(0));
            if (!a.uiWidth && !a.uiHeight && !a.uiBpcInMemory && !a.uiComp) {
                a.uiWidth = d.get_width();
                a.uiHeight = d.get_height();
                a.uiComp = d.get_num_components();
                a.uiBpcInMemory = a.uiBpcSignificant = uint8_t(bits);
                a.uiTileWidth = a.uiWidth;
                a.uiTileHeight = a.uiHeight;
                m_virtualComponents = a.uiComp;
            } else if (a.uiWidth != d.get_width() || a.uiHeight != d.get_height() ||
                       a.uiComp != d.get_num_components() || a.uiBpcInMemory != bits) {
                LX_DIAG_ASSERT_TEXT(u"attributes == codestream",
                                    u"Wrong dimensions supplied during image information change.");
            }
        }
    } catch (const CLxJP2ErrorException&) {
    }
    if (significant >= 1 && significant <= 16)
        a.uiBpcSignificant = uint8_t(significant);
    if (virtualComponents >= 1 && virtualComponents <= 4096)
        m_virtualComponents = virtualComponents;

    m_kept = std::move(kept);
    m_map = map;
    // The header's capture resolution follows a new calibration of frame 0.
    if (rewriteResolution &&
        LX_WriteJp2CaptureResolution(m_path.GetString(), m_calibrations[0].calibration) != 0)
        return -1512;
    return 0;
}
