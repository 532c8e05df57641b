// Writing a document's metadata into its file after the codestreams: for a
// file without a box map, and for one a writer left behind (side file, an
// open-ended or cut last codestream). Foreign boxes of the old tail are kept.
#include <cstring>
#include <string>
#include <vector>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_io.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_top_boxes.h"
#include "w32_system/LxFileAPI.h"

namespace
{

struct Tail {
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> boxes; // (box type, contents)
};

} // namespace

bool CLxJP2InputFile::WriteMetadataIntoFile(uint32_t keep)
{
    // The foreign boxes of the present tail, before anything changes.
    Tail foreign;
    {
        LX_HFILE file = LX_INVALID_HFILE;
        if (LX_OpenFile(m_path.GetString(), LX_FILE_READ, LX_FILE_SHARE_READ, LX_INVALID_HFILE,
                        &file) != 0)
            return false;
        const std::vector<SLxJP2TopBox> boxes = LX_WalkJp2TopBoxes(file);
        uint32_t seen = 0;
        bool ok = true;
        for (const SLxJP2TopBox& b : boxes) {
            if (b.type == jp2_codestream_4cc) {
                ++seen;
                continue;
            }
            if (b.type != jp2_xml_4cc && b.type != jp2_uuid_4cc)
                continue;
            // Cutting the tail would take codestreams with it.
            if (seen < keep) {
                ok = false;
                break;
            }
            std::vector<uint8_t> contents;
            if (!LX_ReadJp2Range(file, b.contentsStart, b.contentsEnd, contents))
                continue;
            if (b.type == jp2_xml_4cc) {
                if (LX_Jp2RecogniseText(contents.data(), contents.size()).uiCode)
                    continue;
            } else if (contents.size() >= 16 && (!memcmp(contents.data(), jp2_uuid_scdb, 16) ||
                                                 !memcmp(contents.data(), jp2_uuid_vcdb, 16) ||
                                                 !memcmp(contents.data(), jp2_uuid_binl, 16) ||
                                                 !memcmp(contents.data(), jp2_uuid_pmap, 16))) {
                continue;
            }
            foreign.boxes.emplace_back(b.type, std::move(contents));
        }
        LX_CloseFile(file);
        if (!ok || seen < keep)
            return false;
    }

    // The whole new tail, in the writer's order.
    std::vector<std::vector<uint8_t>> store;
    std::vector<SLxJP2OwnBox> own;
    auto add = [&](uint32_t type, uint32_t code, const std::string& text) {
        if (text.empty())
            return;
        store.emplace_back(text.begin(), text.end());
        own.push_back({type, code, nullptr, store.back().size()});
    };
    auto addBytes = [&](uint32_t type, uint32_t code, std::vector<uint8_t> bytes) {
        store.push_back(std::move(bytes));
        own.push_back({type, code, nullptr, store.back().size()});
    };
    add(jp2_xml_4cc, jp2_own_artt, m_arttText);
    add(jp2_xml_4cc, jp2_own_acal, m_acalText);
    for (uint32_t i = 0; i < m_calibrations.size() && i < m_frameCount; ++i)
        add(jp2_xml_4cc, jp2_own_vcal, m_calibrations[i].sText);
    add(jp2_xml_4cc, jp2_own_srob, m_reportObjects.sText);
    for (uint32_t i = 0; i < m_frameReports.size() && i < m_frameCount; ++i)
        add(jp2_xml_4cc, jp2_own_vrob, m_frameReports[i].sText);
    add(jp2_xml_4cc, jp2_own_tinf, m_textInfo.sText);
    add(jp2_xml_4cc, jp2_own_aim1, ExperimentTextForRewrite());
    add(jp2_xml_4cc, jp2_own_aimd, m_experimentOld.sText);
    for (uint32_t i = 0; i < m_metadata.size() && i < m_frameCount; ++i)
        add(jp2_xml_4cc, jp2_own_vimd, m_metadata[i].sText);
    add(jp2_xml_4cc, jp2_own_ieve, m_events.sText);
    for (auto& f : foreign.boxes)
        if (f.first == jp2_xml_4cc)
            addBytes(jp2_xml_4cc, jp2_own_xunk, f.second);
    for (const auto& b : m_binary) {
        std::vector<uint8_t> bytes;
        LX_Jp2UuidCustomBinary(b.first, b.second.GetData(), b.second.GetSize(), bytes);
        addBytes(jp2_uuid_4cc, jp2_own_scdb, std::move(bytes));
    }
    for (const auto& b : m_binarySeq) {
        std::vector<uint8_t> bytes;
        LX_Jp2UuidCustomBinarySeq(b.first.first, b.first.second, b.second.GetData(),
                                  b.second.GetSize(), bytes);
        addBytes(jp2_uuid_4cc, jp2_own_vcdb, std::move(bytes));
    }
    if (m_haveImageBinary) {
        std::vector<uint8_t> bytes;
        LX_Jp2UuidImageBinary(m_imageBinary.data(), m_imageBinary.size(), bytes);
        addBytes(jp2_uuid_4cc, jp2_own_binl, std::move(bytes));
    }
    for (auto& f : foreign.boxes)
        if (f.first == jp2_uuid_4cc)
            addBytes(jp2_uuid_4cc, jp2_own_uunk, f.second);
    for (size_t i = 0; i < own.size(); ++i)
        own[i].pData = store[i].data();

    // Cut the old tail (an open-ended last codestream gets its length
    // first), then whatever follows the codestreams kept.
    if (LX_TruncateJp2Metadata(m_path.GetString(), nullptr) != 0)
        return false;
    LX_HFILE file = LX_INVALID_HFILE;
    if (LX_OpenFile(m_path.GetString(), LX_FILE_READ | LX_FILE_WRITE,
                    LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE, LX_INVALID_HFILE, &file) != 0)
        return false;
    const std::vector<SLxJP2TopBox> boxes = LX_WalkJp2TopBoxes(file);
    SLxJP2PositionsInfo* map = LX_NewJp2PositionsInfo();
    bool ok = map != nullptr;
    uint32_t seen = 0;
    for (const SLxJP2TopBox& b : boxes) {
        if (!ok)
            break;
        if (b.type == jp2_codestream_4cc && seen == keep) {
            // The codestreams of a frame the writer did not finish.
            ok = jp2_io::seek(file, nullptr, b.offset) && LX_SetEOF(file) == 0;
            break;
        }
        if (b.type == jp2_signature_4cc || b.type == jp2_file_type_4cc ||
            b.type == jp2_header_4cc || b.type == jp2_codestream_4cc)
            ok = jp2_add_position(map, b.type, jp2_own_lunk, b.offset);
        seen += b.type == jp2_codestream_4cc;
    }
    ok = ok && seen == keep &&
         LX_AppendJp2OwnBoxes(file, nullptr, own.data(), own.size(), map, true) == 0;
    LX_CloseFile(file);
    if (!ok) {
        LX_FreeJp2PositionsInfo(map);
        return false;
    }
    if (m_map)
        LX_FreeJp2PositionsInfo(m_map);
    m_map = map;
    m_codestreamCount = keep;
    return true;
}
