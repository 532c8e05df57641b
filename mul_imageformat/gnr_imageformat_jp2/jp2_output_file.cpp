// The writer object, its metadata setters and Close, Abort and
// DiscardLastFrames.
#include "mul_imageformat/gnr_imageformat_jp2/jp2_output_file.h"

#include <cstring>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentAPI.h"
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
#include "mul_imageformat/gnr_imageformat_jp2/jp2_unknowndata.h"
#include "w32_system/LxFileAPI.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

CLxStringA Utf8(const CLxStringW& text)
{
    CLxStringA out;
    CLxStringUtils::WtoUTF8(text, out);
    return out;
}

} // namespace

CLxJP2OutputFile::CLxJP2OutputFile(ILxImageFormat* format, const CLxStringW& path)
    : m_format(format), m_path(path)
{
    m_attributes.uiVirtualComponents = 1;
    // Writers of the QX2 document layer leave every text beside the file
    // as it is set, so that a killed writer's metadata can be recovered.
    // The side file of a document that another writer holds is that
    // writer's: this one (refused at its first frame) leaves it alone.
    CLxStringA id;
    if (format && !path.IsEmpty() && format->GetID(id) == 0 && id == "QXIM" &&
        (LX_AccessFile(path.GetString(), 0) != 0 || m_lock.acquire(path, false))) {
        m_lock.release();
        m_sidePath = path + u".endmeta";
        LX_RemoveFile(m_sidePath.GetString(), false);
    }
}

// One text and its zero byte at the end of the side file; a failure is not
// looked at (the texts are written again at Close).
void CLxJP2OutputFile::AppendSideText(const CLxStringA& text) const
{
    if (m_sidePath.IsEmpty() || text.IsEmpty())
        return;
    LX_HFILE file = LX_INVALID_HFILE;
    if (LX_OpenFile(m_sidePath.GetString(), LX_FILE_WRITE | LX_FILE_ALWAYS,
                    LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE, LX_INVALID_HFILE, &file) != 0)
        return;
    uint32_t done = 0;
    if (LX_SeekFile(file, 0, 0, 2) == 0) {
        LX_WriteFile(file, text.GetString(), uint32_t(text.GetLength()), &done, nullptr);
        LX_WriteFile(file, "", 1, &done, nullptr);
    }
    LX_CloseFile(file);
}

CLxStringA CLxJP2OutputFile::FrameMetadataText(uint32_t seq) const
{
    const auto found = m_pictureMetadata.find(seq);
    CLxVariant v;
    if (m_sidePath.IsEmpty() || found == m_pictureMetadata.end() ||
        SLxPictureMetadata::SaveToVariant(v, found->second) != 0)
        return CLxStringA();
    return LX_Jp2TextPictureMetadata(seq, v);
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
    if (m_unknown)
        m_unknown->Release();
}

uint32_t CLxJP2OutputFile::AddRef()
{
    return m_refs.Increment();
}

uint32_t CLxJP2OutputFile::Release()
{
    // A count of 0 is a writer nobody took a reference on.
    uint32_t left = 0;
    m_refs.Decrement(&left);
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
    AppendSideText(LX_Jp2TextCalibrationSeq(seq, calibration, aspect, valid, objective));
    return 0;
}

int CLxJP2OutputFile::SetReportObjects(const CLxStringW& objects)
{
    m_clean = false;
    m_reportObjectsSet = true;
    m_reportObjects = objects;
    AppendSideText(LX_Jp2TextReportObjects(Utf8(objects)));
    return 0;
}

int CLxJP2OutputFile::SetReportObjectsSeq(uint32_t seq, const CLxStringW& objects)
{
    m_clean = false;
    m_reportObjectsSeq[seq] = objects;
    AppendSideText(LX_Jp2TextReportObjectsSeq(seq, Utf8(objects)));
    return 0;
}

int CLxJP2OutputFile::SetTextInfo(const SLxImageTextInfo& textInfo)
{
    m_clean = false;
    m_textInfoSet = true;
    for (int i = 0; i < 14; ++i)
        m_textInfo[i] = textInfo.wsText[i];
    AppendSideText(LX_Jp2TextTextInfo(14, 1.0, m_textInfo, 14));
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
    AppendSideText(text);
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
    AppendSideText(text);
    return 0;
}

// ---- Close -----------------------------------------------------------------------------

namespace
{

std::vector<uint8_t> Bytes(const CLxStringA& text)
{
    const auto* p = reinterpret_cast<const uint8_t*>(text.GetString());
    return std::vector<uint8_t>(p, p + text.GetLength());
}

// Own codes in the order of the tail; uuid boxes after every xml box.
const uint32_t kTailOrder[] = {jp2_own_artt, jp2_own_acal, jp2_own_vcal, jp2_own_srob,
                               jp2_own_vrob, jp2_own_tinf, jp2_own_aim1, jp2_own_aimd,
                               jp2_own_vimd, jp2_own_ieve, jp2_own_scdv, jp2_own_vcdv,
                               jp2_own_xunk, jp2_own_scdb, jp2_own_vcdb, jp2_own_binl,
                               jp2_own_uunk};

} // namespace

CLxJP2OutputFile::Slot CLxJP2OutputFile::SlotOf(uint32_t code, uint32_t index,
                                                const CLxStringW& name)
{
    int rank = 0;
    while (rank < int(sizeof kTailOrder / sizeof kTailOrder[0]) && kTailOrder[rank] != code)
        ++rank;
    return {rank, name, index};
}

// The keeper's boxes after the foreign boxes kept from a re-closed file;
// one that is already there (the same file read into the keeper) once.
void CLxJP2OutputFile::AddForeignItems(std::map<Slot, OwnBox>& tail) const
{
    const uint32_t count = m_unknown ? m_unknown->GetChunkCount() : 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t type = m_unknown->GetChunkType(i);
        if (type != CLxJP2UnknownData::udtXMLBox && type != CLxJP2UnknownData::udtUUIDBox)
            continue;
        std::vector<uint8_t> bytes;
        uint8_t piece[4096];
        for (;;) {
            uint32_t size = sizeof piece;
            if (m_unknown->ReadChunkData(i, bytes.size(), piece, &size) != 0 || size == 0)
                break;
            bytes.insert(bytes.end(), piece, piece + size);
        }
        const bool xml = type == CLxJP2UnknownData::udtXMLBox;
        if (!xml && bytes.size() < 16)
            continue; // no identifier
        const uint32_t code = xml ? jp2_own_xunk : jp2_own_uunk;
        bool there = false;
        for (auto k = tail.lower_bound(SlotOf(code)); k != tail.end() && k->first.rank ==
                                                                             SlotOf(code).rank;
             ++k)
            there = there || k->second.bytes == bytes;
        if (there)
            continue;
        tail[SlotOf(code, 0x80000000u + i)] =
            OwnBox{xml ? jp2_xml_4cc : jp2_uuid_4cc, code, std::move(bytes)};
    }
}

std::map<CLxJP2OutputFile::Slot, CLxJP2OutputFile::OwnBox> CLxJP2OutputFile::BuildTail() const
{
    // Kept boxes of a re-closed file first; what was set replaces them.
    std::map<Slot, OwnBox> tail = m_kept;
    auto put = [&tail](uint32_t code, uint32_t index, const CLxStringW& name, uint32_t type,
                       std::vector<uint8_t> bytes) {
        tail[SlotOf(code, index, name)] = OwnBox{type, code, std::move(bytes)};
    };
    auto xml = [&put](uint32_t code, uint32_t index, const CLxStringA& text,
                      const CLxStringW& name = CLxStringW()) {
        put(code, index, name, jp2_xml_4cc, Bytes(text));
    };
    // An empty box where nothing else stands.
    auto placeholder = [&tail](uint32_t code) {
        tail.emplace(SlotOf(code), OwnBox{jp2_xml_4cc, code, {}});
    };
    auto drop = [&tail](uint32_t code, uint32_t index = 0) { tail.erase(SlotOf(code, index)); };

    const SLxImageAttributes& a = m_attributes;
    if (a.uiComp != m_virtualComponents || a.uiBpcInMemory != a.uiBpcSignificant)
        xml(jp2_own_artt, 0,
            LX_Jp2TextAdvancedAttributes(a.uiBpcSignificant, m_virtualComponents));
    if (!m_calibrations.empty()) {
        const Calibration& c = m_calibrations[0];
        if (c.set)
            xml(jp2_own_acal, 0, LX_Jp2TextCalibration(c.calibration, c.aspect));
        else
            placeholder(jp2_own_acal);
        for (size_t i = 0; i < m_calibrations.size(); ++i) {
            const Calibration& e = m_calibrations[i];
            if (e.set)
                xml(jp2_own_vcal, uint32_t(i),
                    LX_Jp2TextCalibrationSeq(uint32_t(i), e.calibration, e.aspect, e.valid,
                                             e.objective));
        }
    }
    if (m_reportObjectsSet) {
        if (m_reportObjects.IsEmpty())
            drop(jp2_own_srob);
        else
            xml(jp2_own_srob, 0, LX_Jp2TextReportObjects(Utf8(m_reportObjects)));
    }
    for (const auto& r : m_reportObjectsSeq) {
        if (r.second.IsEmpty())
            drop(jp2_own_vrob, r.first);
        else
            xml(jp2_own_vrob, r.first, LX_Jp2TextReportObjectsSeq(r.first, Utf8(r.second)));
    }
    if (m_textInfoSet) {
        bool any = false;
        for (const CLxStringW& t : m_textInfo)
            any = any || !t.IsEmpty();
        if (any)
            xml(jp2_own_tinf, 0, LX_Jp2TextTextInfo(14, 1.0, m_textInfo, 14));
        else
            drop(jp2_own_tinf);
    }
    if (m_experimentSet) {
        xml(jp2_own_aim1, 0, m_experiment);
        // The old form of another experiment would contradict the new one.
        if (m_experimentOld.IsEmpty())
            drop(jp2_own_aimd);
        else
            xml(jp2_own_aimd, 0, m_experimentOld);
    }
    for (const auto& m : m_pictureMetadata) {
        CLxVariant v;
        if (SLxPictureMetadata::SaveToVariant(v, m.second) == 0)
            xml(jp2_own_vimd, m.first, LX_Jp2TextPictureMetadata(m.first, v));
    }
    // The experiment group begins with the current form, empty without one.
    const bool group = tail.count(SlotOf(jp2_own_aimd)) ||
                       tail.lower_bound(SlotOf(jp2_own_vimd)) !=
                           tail.lower_bound(SlotOf(jp2_own_ieve));
    if (group)
        placeholder(jp2_own_aim1);
    if (m_eventsSet)
        xml(jp2_own_ieve, 0, m_events);
    for (const auto& v : m_customVariant)
        xml(jp2_own_scdv, 0, v.second, v.first);
    for (const auto& v : m_customVariantSeq)
        xml(jp2_own_vcdv, v.first.second, v.second, v.first.first);
    std::vector<uint8_t> bytes;
    for (const auto& b : m_customBinary) {
        LX_Jp2UuidCustomBinary(b.first, b.second.data(), b.second.size(), bytes);
        put(jp2_own_scdb, 0, b.first, jp2_uuid_4cc, bytes);
    }
    for (const auto& b : m_customBinarySeq) {
        LX_Jp2UuidCustomBinarySeq(b.first.first, b.first.second, b.second.data(),
                                  b.second.size(), bytes);
        put(jp2_own_vcdb, b.first.second, b.first.first, jp2_uuid_4cc, bytes);
    }
    if (!m_binaryLayer.empty()) {
        LX_Jp2UuidImageBinary(m_binaryLayer.data(), m_binaryLayer.size(), bytes);
        put(jp2_own_binl, 0, CLxStringW(), jp2_uuid_4cc, bytes);
    }

    AddForeignItems(tail);
    return tail;
}

int CLxJP2OutputFile::WriteMetadata()
{
    const std::map<Slot, OwnBox> tail = BuildTail();
    std::vector<SLxJP2OwnBox> boxes;
    size_t xmlBoxes = 0;
    bool custom = false;
    for (const auto& t : tail) {
        const OwnBox& b = t.second;
        boxes.push_back({b.type, b.code, b.bytes.data(), b.bytes.size()});
        xmlBoxes += b.type == jp2_xml_4cc;
        custom = custom || b.code == jp2_own_scdv || b.code == jp2_own_vcdv ||
                 b.code == jp2_own_scdb || b.code == jp2_own_vcdb;
    }
    if (m_memory) {
        if (xmlBoxes != boxes.size()) {
            // Binary items and the box map need a file.
            LX_TRACE(u"gnr_imageformat_jp2: Failed to create memory UUIDStream.");
            return -1512;
        }
        return LX_AppendJp2OwnBoxes(LX_INVALID_HFILE, m_memory, boxes.data(), boxes.size(),
                                    nullptr, false) == 0
                   ? 0
                   : -1512;
    }

    uint32_t codestreams = 0;
    for (uint32_t i = 0; m_map && i < m_map->uiCount; ++i)
        codestreams += m_map->pEntries[i].uiBoxType == jp2_codestream_4cc;
    const bool writeMap = m_map && (codestreams >= 2 || custom);
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
    if (boxes.empty() && !writeMap)
        return 0;
    const int status =
        LX_AppendJp2OwnBoxes(m_path.GetString(), boxes.data(), boxes.size(), m_map, writeMap);
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
    if (!m_memory && !m_lock.held() && !m_lock.acquire(m_path, false))
        return -9; // missing, or held by another writer
    int status = 0;
    if (!m_memory && !m_map) {
        // No frame was written: the metadata goes into the existing file.
        status = MergeFile();
    }
    if (status == 0)
        status = WriteMetadata();
    m_lock.release();
    if (status != 0)
        return status;
    if (!m_sidePath.IsEmpty())
        LX_RemoveFile(m_sidePath.GetString(), false);
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
    else if (m_wroteFile)
        LX_RemoveFile(m_path.GetString(), false);
    m_wroteFile = false;
    m_lock.release();
    if (!m_sidePath.IsEmpty())
        LX_RemoveFile(m_sidePath.GetString(), false);
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
    m_kept.clear();
    if (m_unknown)
        m_unknown->Release();
    m_unknown = nullptr;
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
    AppendSideText(FrameMetadataText(seq));
    return 0;
}

// The current form ("vMetadata", "vUnknownData") always; the old form of
// one level per loop only when the tree is a simple chain.
int CLxJP2OutputFile::SetExperiment(const SLxExperiment& experiment, const CLxVariant* unknown)
{
    CLxVariant current;
    LX_NormalizeJp2ExperimentVariant(current);
    CLxVariant* metadata = current.SearchFixedOneLevel(u"vMetadata");
    CLxVariant* foreign = current.SearchFixedOneLevel(u"vUnknownData");
    if (!metadata || !foreign)
        return -3;
    int status = SLxExperiment::SaveToVariant(*metadata, experiment);
    if (status != 0)
        return status;
    metadata->SetName(CLxStringW(u"vMetadata"));
    if (unknown) {
        // The item is a list by now: taking another run type needs the change allowed.
        const bool previous = foreign->EnableTypeChange(true);
        *foreign = *unknown;
        foreign->SetName(CLxStringW(u"vUnknownData"));
        foreign->EnableTypeChange(previous);
    }
    CLxVariant old;
    if (CLxExperimentAPI::IsSimpleExperiment(&experiment)) {
        for (const SLxExperiment* level = &experiment; level;
             level = CLxExperimentAPI::GetNextLevelExperiment(level, 0)) {
            status = SLxExperiment::SaveToVariantOld(old.Append(CLxVariant()), *level);
            if (status != 0)
                return status;
        }
    }
    m_clean = false;
    m_experimentSet = true;
    m_experiment = LX_Jp2TextExperiment(current);
    m_experimentOld = old.GetCount() > 0 ? LX_Jp2TextExperimentOld(old) : CLxStringA();
    AppendSideText(m_experiment);
    if (!m_experimentOld.IsEmpty())
        AppendSideText(m_experimentOld);
    return 0;
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
    AppendSideText(m_events);
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
    AppendSideText(FrameMetadataText(0));
    return 0;
}

int CLxJP2OutputFile::SetUnknownData(ILxImageUnknownData* keeper)
{
    if (!keeper)
        return -4;
    CLxStringA mine("JPEG2000"), theirs;
    if ((m_format && m_format->GetID(mine) != 0) || keeper->GetFormatID(theirs) != 0)
        return -9;
    if (mine != theirs)
        return -4;
    keeper->AddRef();
    if (m_unknown)
        m_unknown->Release();
    m_unknown = keeper;
    return 0;
}

// ---- Readers and discarding ----------------------------------------------------------

int CLxJP2OutputFile::CreateInputFile(uint32_t, ILxInputImageFile** reader, uintptr_t)
{
    if (!reader)
        return -4;
    *reader = nullptr;
    try {
        CLxJP2InputFile* in = nullptr;
        if (m_target && !m_memory) {
            // Mid-write: the frames in the file with the records set so far.
            const std::map<Slot, OwnBox> tail = BuildTail();
            std::vector<SLxJP2OwnBox> boxes;
            for (const auto& t : tail)
                boxes.push_back({t.second.type, t.second.code, t.second.bytes.data(),
                                 t.second.bytes.size()});
            in = new CLxJP2InputFile(m_format, m_path.GetString(), boxes);
        } else if (m_target) {
            return -9; // a memory document is readable once closed
        } else {
            in = m_memory ? new CLxJP2InputFile(m_format, m_memory)
                          : new CLxJP2InputFile(m_format, m_path.GetString());
        }
        in->AddRef();
        *reader = in;
        return 0;
    } catch (const CLxJP2ErrorException& e) {
        LX_TRACE(u"%S", e.GetText());
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
