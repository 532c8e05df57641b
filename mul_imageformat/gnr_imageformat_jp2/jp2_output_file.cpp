// The writer object, its metadata setters and Close, Abort and
// DiscardLastFrames.
#include "mul_imageformat/gnr_imageformat_jp2/jp2_output_file.h"

#include <cstring>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_metaformats/LxValueRecords.h"
#include "gnr_system/string/LxStringUtils.h"
#include "mul_imageformat/LxImageFormat.h"
#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_encoder.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "w32_system/LxFileAPI.h"

CLxJP2OutputFile::CLxJP2OutputFile(ILxImageFormat* format, const CLxStringW& path)
    : m_format(format), m_path(path)
{
    m_attributes.uiVirtualComponents = 1;
}

CLxJP2OutputFile::CLxJP2OutputFile(ILxImageFormat* format, CLxByteArray* target)
    : m_format(format), m_memory(target)
{
    m_attributes.uiVirtualComponents = 1;
    m_attributes.uiSequenceCount = 1;
}

CLxJP2OutputFile::~CLxJP2OutputFile()
{
    Close();
    m_encoder.reset();
    m_target.reset();
    if (m_map)
        LX_FreeJp2PositionsInfo(m_map);
}

uint32_t CLxJP2OutputFile::AddRef()
{
    return ++m_refs;
}

uint32_t CLxJP2OutputFile::Release()
{
    const uint32_t left = m_refs ? --m_refs : 0;
    if (left == 0)
        delete this;
    return left;
}

ILxImageFormat* CLxJP2OutputFile::GetImageFormat()
{
    if (m_format)
        m_format->GetClass()->AddRef();
    return m_format;
}

// ---- Metadata kept until Close ------------------------------------------------------

int CLxJP2OutputFile::SetCalibration(uint32_t seq, double calibration, double aspect, bool valid,
                                     const CLxStringW& objective)
{
    m_clean = false;
    if (m_calibrations.size() <= seq)
        m_calibrations.resize(size_t(seq) + 1);
    Calibration& c = m_calibrations[seq];
    c.set = true;
    c.calibration = calibration;
    c.aspect = aspect;
    c.valid = valid;
    c.objective = objective;
    return 0;
}

int CLxJP2OutputFile::SetReportObjects(const CLxStringW& objects)
{
    m_clean = false;
    m_reportObjectsSet = true;
    m_reportObjects = objects;
    return 0;
}

int CLxJP2OutputFile::SetReportObjectsSeq(uint32_t seq, const CLxStringW& objects)
{
    m_clean = false;
    m_reportObjectsSeq[seq] = objects;
    return 0;
}

int CLxJP2OutputFile::SetTextInfo(const SLxImageTextInfo& textInfo)
{
    m_clean = false;
    m_textInfoSet = true;
    for (int i = 0; i < 14; ++i)
        m_textInfo[i] = textInfo.wsText[i];
    return 0;
}

int CLxJP2OutputFile::SetImageBinary(const uint8_t* binary)
{
    // One bit per pixel, rows padded to 4 bytes.
    if (!binary)
        return -4;
    const size_t row = (size_t(m_attributes.uiWidth) + 31) / 32 * 4;
    m_binaryLayer.assign(binary, binary + row * m_attributes.uiHeight);
    return 0;
}

int CLxJP2OutputFile::SetCustomData(const char16_t* name, const void* data, uint32_t size)
{
    if (!name || !*name || !data || size == 0)
        return -4;
    const auto* b = static_cast<const uint8_t*>(data);
    m_customBinary[CLxStringW(name)].assign(b, b + size);
    return 0;
}

int CLxJP2OutputFile::SetCustomDataSeq(const char16_t* name, uint32_t seq, const void* data,
                                       uint32_t size)
{
    if (!name || !*name || !data || size == 0)
        return -4;
    const auto* b = static_cast<const uint8_t*>(data);
    m_customBinarySeq[{CLxStringW(name), seq}].assign(b, b + size);
    return 0;
}

int CLxJP2OutputFile::SetCustomDataVar(const char16_t* name, const CLxVariant& data)
{
    if (!name || !*name)
        return -4;
    CLxStringA text;
    if (!LX_Jp2TextCustomData(CLxStringW(name), data, text))
        return -4; // a name that no box can hold
    m_clean = false;
    m_customVariant[CLxStringW(name)] = text;
    return 0;
}

int CLxJP2OutputFile::SetCustomDataVarSeq(const char16_t* name, uint32_t seq,
                                          const CLxVariant& data)
{
    if (!name || !*name)
        return -4;
    CLxStringA text;
    if (!LX_Jp2TextCustomDataSeq(CLxStringW(name), seq, data, text))
        return -4;
    m_clean = false;
    m_customVariantSeq[{CLxStringW(name), seq}] = text;
    return 0;
}

// ---- Close -----------------------------------------------------------------------------

namespace
{

struct PendingBoxes {
    std::vector<std::vector<uint8_t>> data;
    std::vector<SLxJP2OwnBox> boxes;

    void Add(uint32_t type, uint32_t code, std::vector<uint8_t> bytes)
    {
        data.push_back(std::move(bytes));
        boxes.push_back({type, code, nullptr, 0});
    }
    void Xml(uint32_t code, const CLxStringA& text)
    {
        const auto* p = reinterpret_cast<const uint8_t*>(text.GetString());
        Add(jp2_xml_4cc, code, std::vector<uint8_t>(p, p + text.GetLength()));
    }
    // Pointers are taken once every box is in.
    void Bind()
    {
        for (size_t i = 0; i < boxes.size(); ++i) {
            boxes[i].pData = data[i].data();
            boxes[i].uiSize = data[i].size();
        }
    }
};

CLxStringA Utf8(const CLxStringW& text)
{
    CLxStringA out;
    CLxStringUtils::WtoUTF8(text, out);
    return out;
}

} // namespace

int CLxJP2OutputFile::WriteMetadata()
{
    PendingBoxes p;
    const SLxImageAttributes& a = m_attributes;
    if (a.uiComp != m_virtualComponents || a.uiBpcInMemory != a.uiBpcSignificant)
        p.Xml(jp2_own_artt, LX_Jp2TextAdvancedAttributes(a.uiBpcSignificant, m_virtualComponents));
    if (!m_calibrations.empty()) {
        const Calibration& c = m_calibrations[0];
        p.Xml(jp2_own_acal, c.set ? LX_Jp2TextCalibration(c.calibration, c.aspect) : CLxStringA());
        for (size_t i = 0; i < m_calibrations.size(); ++i) {
            const Calibration& e = m_calibrations[i];
            if (e.set)
                p.Xml(jp2_own_vcal, LX_Jp2TextCalibrationSeq(uint32_t(i), e.calibration, e.aspect,
                                                             e.valid, e.objective));
        }
    }
    if (m_reportObjectsSet && !m_reportObjects.IsEmpty())
        p.Xml(jp2_own_srob, LX_Jp2TextReportObjects(Utf8(m_reportObjects)));
    for (const auto& r : m_reportObjectsSeq)
        if (!r.second.IsEmpty())
            p.Xml(jp2_own_vrob, LX_Jp2TextReportObjectsSeq(r.first, Utf8(r.second)));
    if (m_textInfoSet) {
        bool any = false;
        for (const CLxStringW& t : m_textInfo)
            any = any || !t.IsEmpty();
        if (any)
            p.Xml(jp2_own_tinf, LX_Jp2TextTextInfo(14, 1.0, m_textInfo, 14));
    }
    if (m_experimentSet || !m_pictureMetadata.empty()) {
        // The group: current form (empty without one), old form, frames.
        p.Xml(jp2_own_aim1, m_experimentSet ? m_experiment : CLxStringA());
        if (m_experimentSet)
            p.Xml(jp2_own_aimd, m_experimentOld);
        for (const auto& m : m_pictureMetadata) {
            CLxVariant v;
            if (SLxPictureMetadata::SaveToVariant(v, m.second) == 0)
                p.Xml(jp2_own_vimd, LX_Jp2TextPictureMetadata(m.first, v));
        }
    }
    if (m_eventsSet)
        p.Xml(jp2_own_ieve, m_events);
    for (const auto& v : m_customVariant)
        p.Xml(jp2_own_scdv, v.second);
    for (const auto& v : m_customVariantSeq)
        p.Xml(jp2_own_vcdv, v.second);
    const size_t xmlBoxes = p.boxes.size();
    if (!m_memory) {
        std::vector<uint8_t> bytes;
        for (const auto& b : m_customBinary) {
            LX_Jp2UuidCustomBinary(b.first, b.second.data(), b.second.size(), bytes);
            p.Add(jp2_uuid_4cc, jp2_own_scdb, bytes);
        }
        for (const auto& b : m_customBinarySeq) {
            LX_Jp2UuidCustomBinarySeq(b.first.first, b.first.second, b.second.data(),
                                      b.second.size(), bytes);
            p.Add(jp2_uuid_4cc, jp2_own_vcdb, bytes);
        }
        if (!m_binaryLayer.empty()) {
            LX_Jp2UuidImageBinary(m_binaryLayer.data(), m_binaryLayer.size(), bytes);
            p.Add(jp2_uuid_4cc, jp2_own_binl, bytes);
        }
    } else if (!m_customBinary.empty() || !m_customBinarySeq.empty() || !m_binaryLayer.empty()) {
        return -1512; // no UUID boxes in memory
    }
    p.Bind();
    if (m_memory)
        return LX_AppendJp2OwnBoxes(LX_INVALID_HFILE, m_memory, p.boxes.data(), xmlBoxes, nullptr,
                                    false) == 0
                   ? 0
                   : -1512;

    uint32_t codestreams = 0;
    for (uint32_t i = 0; m_map && i < m_map->uiCount; ++i)
        codestreams += m_map->pEntries[i].uiBoxType == jp2_codestream_4cc;
    const bool writeMap =
        m_map && (codestreams >= 2 || !m_customVariant.empty() || !m_customVariantSeq.empty() ||
                  !m_customBinary.empty() || !m_customBinarySeq.empty());
    // The tail goes after the codestreams: whatever a failed Close left is cut.
    if (LX_TruncateJp2Metadata(m_path.GetString()) != 0)
        return -1512;
    if (m_map) {
        // Entries past the cut belong to a previous attempt.
        uint32_t keep = 0;
        while (keep < m_map->uiCount && m_map->pEntries[keep].uiOwnCode == jp2_own_lunk)
            ++keep;
        m_map->uiCount = keep;
    }
    if (p.boxes.empty() && !writeMap)
        return 0;
    const int status =
        LX_AppendJp2OwnBoxes(m_path.GetString(), p.boxes.data(), p.boxes.size(), m_map, writeMap);
    return status == 0 ? 0 : status == -1 ? -9 : -1512;
}

int CLxJP2OutputFile::Close()
{
    if (m_clean)
        return 0;
    try {
        if (m_encoder) {
            // Missing tiles of a tiled frame are encoded from zero samples.
            while (m_encoder && m_encoder->IsStarted())
                Encode(nullptr, 0, nullptr, nullptr, false);
        }
        m_encoder.reset();
        if (m_target) {
            const bool ok = m_target->close();
            m_target.reset();
            if (!ok)
                return LX_JP2_E_WRITE_THROUGH;
        }
    } catch (const CLxJP2ErrorException& e) {
        m_encoder.reset();
        m_target.reset();
        return e.GetCode();
    }
    if (!m_memory && m_path.IsEmpty())
        return -9;
    if (!m_memory && !m_map) {
        // Re-closing an existing file would have to merge its own boxes;
        // until that is written the file is left untouched.
        return -2;
    }
    const int status = WriteMetadata();
    if (status != 0)
        return status;
    m_clean = true;
    return 0;
}

int CLxJP2OutputFile::Abort()
{
    m_encoder.reset();
    if (m_target) {
        try {
            m_target->close();
        } catch (const CLxJP2ErrorException&) {
        }
        m_target.reset();
    }
    if (m_memory)
        m_memory->SetSize(0);
    else if (!m_path.IsEmpty())
        LX_RemoveFile(m_path.GetString(), false);
    m_virtualComponents = 0;
    m_currentSequenceIdx = 0;
    m_codestreams = 0;
    m_frameStarted = false;
    m_calibrations.clear();
    m_reportObjectsSet = false;
    m_reportObjects = CLxStringW();
    m_reportObjectsSeq.clear();
    m_textInfoSet = false;
    m_experimentSet = false;
    m_eventsSet = false;
    m_pictureMetadata.clear();
    m_binaryLayer.clear();
    m_clean = true;
    return 0;
}

// ---- Records that need the experiment persistence (not yet available) ------------------

int CLxJP2OutputFile::SetImageMetadata(uint32_t seq, const SLxPictureMetadata& metadata, uint32_t)
{
    // The calibration follows the frame's metadata.
    SetCalibration(seq, metadata.dCalibration, metadata.dAspect, metadata.bCalibrated,
                   metadata.wsObjectiveName);
    m_clean = false;
    m_pictureMetadata[seq] = metadata;
    return 0;
}

// Experiments need the two-form layout of the current form ("vMetadata",
// "vUnknownData"); not written yet.
int CLxJP2OutputFile::SetExperiment(const SLxExperiment&, const CLxVariant*)
{
    return -2;
}

int CLxJP2OutputFile::SetEvents(const SLxExperimentRecord& events, uint32_t)
{
    CLxVariant v;
    const int status = SLxExperimentRecord::SaveToVariant(v, events);
    if (status != 0)
        return status;
    m_clean = false;
    m_eventsSet = true;
    m_events = LX_Jp2TextEvents(v);
    return 0;
}

// Frame 0's time; its record is written even when only the time was set.
int CLxJP2OutputFile::SetAcqTime(double time)
{
    auto found = m_pictureMetadata.find(0);
    if (found == m_pictureMetadata.end()) {
        SLxPictureMetadata md;
        md.SetToDefault();
        if (!m_calibrations.empty() && m_calibrations[0].set) {
            md.dCalibration = m_calibrations[0].calibration;
            md.dAspect = m_calibrations[0].aspect;
            md.bCalibrated = m_calibrations[0].valid;
            md.wsObjectiveName = m_calibrations[0].objective;
        }
        found = m_pictureMetadata.emplace(0, md).first;
    }
    found->second.dTimeMSec = time;
    m_clean = false;
    return 0;
}

int CLxJP2OutputFile::SetUnknownData(ILxImageUnknownData*)
{
    return -2;
}

// ---- Readers and discarding ----------------------------------------------------------

int CLxJP2OutputFile::CreateInputFile(uint32_t, ILxInputImageFile** reader, uintptr_t)
{
    if (!reader)
        return -4;
    *reader = nullptr;
    // Only a finished document is read: a reader made while codestreams are
    // being written could repair the file under the writer.
    if (m_target)
        return -9;
    try {
        CLxJP2InputFile* in = m_memory ? new CLxJP2InputFile(m_format, m_memory)
                                       : new CLxJP2InputFile(m_format, m_path.GetString());
        in->AddRef();
        *reader = in;
        return 0;
    } catch (const CLxJP2ErrorException&) {
        return -9;
    } catch (const std::bad_alloc&) {
        return -9;
    }
}

// The kept frames stay; the next frame is the first discarded one, written
// at the cut.
int CLxJP2OutputFile::DiscardLastFrames(uint32_t count)
{
    const uint32_t frames = m_currentSequenceIdx + 1;
    if (count > frames)
        return -4;
    if (!m_map || count == 0)
        return 0;
    const uint64_t keep =
        uint64_t(frames - count) * (m_virtualComponents ? m_virtualComponents : 1);
    uint64_t seen = 0;
    uint32_t cut = m_map->uiCount;
    for (uint32_t i = 0; i < m_map->uiCount; ++i)
        if (m_map->pEntries[i].uiBoxType == jp2_codestream_4cc && seen++ == keep) {
            cut = i;
            break;
        }
    if (cut == m_map->uiCount)
        return 0;
    const uint64_t offset = m_map->pEntries[cut].uiOffset;
    try {
        m_encoder.reset();
        if (m_target) {
            m_target->close();
            m_target.reset();
        }
    } catch (const CLxJP2ErrorException&) {
        m_target.reset();
    }
    LX_HFILE file = LX_INVALID_HFILE;
    if (m_path.IsEmpty() ||
        LX_OpenFile(m_path.GetString(), LX_FILE_READ | LX_FILE_WRITE,
                    LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE, LX_INVALID_HFILE, &file) != 0)
        return -9;
    const bool ok = LX_SeekFile(file, int32_t(uint32_t(offset)), int32_t(offset >> 32), 0) == 0 &&
                    LX_SetEOF(file) == 0;
    LX_CloseFile(file);
    if (!ok)
        return -9;
    m_map->uiCount = cut;
    // The next frame reopens the file at the cut.
    m_codestreams = 0;
    m_resume = true;
    m_currentSequenceIdx = frames - count;
    m_frameStarted = false;
    m_clean = false;
    return 0;
}
