// The metadata records of the JPEG 2000 reader: recognised from own box
// texts, kept as text, parsed on first request.
#include <algorithm>
#include <cstring>

#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxStringUtils.h"
#include "gnr_system/variant/LxListVariant.h"
#include "mul_imageformat/LxImageFormat.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_box_walk.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_text_parsers.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_unknowndata.h"
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
        if (CLxVariant* item = items.GetAt(i))
            if (item->GetName() == name)
                return item;
    return nullptr;
}

// The inner text of a kept own text (the variant XML, or the root element).
bool Inner(const std::string& text, const char*& at, size_t& size)
{
    const SLxJP2OwnText t =
        LX_Jp2RecogniseText(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (!t.uiCode || t.uiInner > text.size() || t.uiInnerSize > text.size() - t.uiInner)
        return false;
    at = text.data() + t.uiInner;
    size = t.uiInnerSize;
    return true;
}

bool ParseVariant(const std::string& text, CLxVariant& out)
{
    const char* at = nullptr;
    size_t size = 0;
    return Inner(text, at, size) && CLxXMLAPI::VariantFromXML_UTF8(out, at, size) == 0;
}

// The caller's variant takes the stored value whatever it held before.
void CopyOut(CLxVariant& out, const CLxVariant& value)
{
    const bool enabled = out.EnableTypeChange(true);
    out = value;
    out.EnableTypeChange(enabled);
}

} // namespace

template <class T> void CLxJP2InputFile::Grow(std::vector<CLxJP2LazyRecord<T>>& v, uint32_t index)
{
    if (v.size() <= index)
        v.resize(size_t(index) + 1);
}

void CLxJP2InputFile::ReadRecord(const uint8_t* text, size_t size)
{
    const SLxJP2OwnText t = LX_Jp2RecogniseText(text, size);
    if (!t.uiCode)
        return;
    std::string kept(reinterpret_cast<const char*>(text), size);
    // Frame indices past the codestreams would only grow the vectors.
    const bool indexOk = t.uiIndex < m_codestreamCount;
    switch (t.uiCode) {
    case jp2_own_artt: {
        // The attributes are fixed once the document is open: a box found
        // later under another code must not change the frame layout.
        if (!m_opening)
            break;
        CLxVariant v;
        if (CLxXMLAPI::VariantFromXML_UTF8(v, reinterpret_cast<const char*>(text) + t.uiInner,
                                           t.uiInnerSize) != 0) {
            LX_TRACE(u"Failed to load variant with advanced attributes from xml box.");
            return;
        }
        m_arttText = std::move(kept);
        if (const CLxVariant* bits = FindItem(v, u"SignificantBits")) {
            const uint32_t b = bits->GetLx_uint32();
            if (b >= 1 && b <= 16)
                m_attributes.uiBpcSignificant = uint8_t(b);
        }
        if (const CLxVariant* virt = FindItem(v, u"VirtualComponents")) {
            const uint32_t n = virt->GetLx_uint32();
            if (n >= 1 && n <= 4096)
                m_attributes.uiVirtualComponents = n;
        }
        break;
    }
    case jp2_own_tinf:
        if (!m_textInfo.HasText())
            m_textInfo.Keep(std::move(kept));
        break;
    case jp2_own_srob:
        if (!m_reportObjects.HasText())
            m_reportObjects.Keep(std::move(kept));
        break;
    case jp2_own_aim1:
        if (!m_experiment.HasText())
            m_experiment.Keep(std::move(kept));
        break;
    case jp2_own_aimd:
        if (!m_experimentOld.HasText())
            m_experimentOld.Keep(std::move(kept));
        break;
    case jp2_own_ieve:
        if (!m_events.HasText())
            m_events.Keep(std::move(kept));
        break;
    case jp2_own_acal: {
        if (m_calibrations.empty())
            m_calibrations.resize(1);
        m_acalText = kept;
        auto& e = m_calibrations[0];
        if (e.HasText())
            break;
        double calibration = 0.0, aspect = 1.0;
        if (!LX_Jp2ParseOldCalibration(reinterpret_cast<const char*>(text) + t.uiInner,
                                       size - t.uiInner, calibration, aspect))
            LX_DIAG_ASSERT_TEXT(u"LX_Jp2ParseOldCalibration", u"Old calibration not parsed.");
        e.value.dCalibration = calibration;
        e.value.dAspect = aspect;
        e.value.bValid = calibration > 0.0;
        e.eState = eJp2RecordParsed;
        break;
    }
    case jp2_own_vcal:
        if (!indexOk)
            break;
        Grow(m_calibrations, t.uiIndex);
        if (m_calibrations[t.uiIndex].HasText() && !m_acalText.empty() && t.uiIndex == 0 &&
            m_calibrations[0].sText.empty()) {
            // Frame 0's own record replaces the old form.
            m_calibrations[0] = {};
        }
        if (!m_calibrations[t.uiIndex].HasText()) {
            m_calibrations[t.uiIndex].Keep(std::move(kept));
            if (t.uiIndex == 0) {
                SLxJP2Calibration unused;
                CalibrationOf(0, unused);
            }
        }
        break;
    case jp2_own_vrob:
        if (!indexOk)
            break;
        Grow(m_frameReports, t.uiIndex);
        if (!m_frameReports[t.uiIndex].HasText())
            m_frameReports[t.uiIndex].Keep(std::move(kept));
        break;
    case jp2_own_vimd:
        if (!indexOk)
            break;
        Grow(m_metadata, t.uiIndex);
        if (!m_metadata[t.uiIndex].HasText())
            m_metadata[t.uiIndex].Keep(std::move(kept));
        break;
    default:
        break;
    }
}

bool CLxJP2InputFile::ReadXmlBoxAt(int entry)
{
    CLxJP2XMLStream xml;
    if (!xml.OpenRead(m_path.GetString(), m_map, entry))
        return false;
    std::vector<uint8_t> text;
    if (!xml.ReadRest(text))
        return false;
    ++m_boxesRead;
    ReadRecord(text.data(), text.size());
    return true;
}

void CLxJP2InputFile::LookUp(uint32_t code, ELxJP2RecordState& state)
{
    if (state != eJp2RecordNotLookedUp)
        return;
    state = eJp2RecordAbsent;
    if (!m_map)
        return;
    const int entry = LX_FindJp2BoxPosition(m_map, jp2_xml_4cc, code, 0);
    if (entry >= 0)
        ReadXmlBoxAt(entry);
}

// Reads the frame boxes of the code in file order until frame seq has its
// record or none is left; each box is read at most once.
bool CLxJP2InputFile::FindFrameRecord(uint32_t code, uint32_t seq)
{
    int& search = code == jp2_own_vcal ? m_searchCalibration : m_searchMetadata;
    auto has = [&]() {
        return code == jp2_own_vcal ? seq < m_calibrations.size() && m_calibrations[seq].HasText()
                                    : seq < m_metadata.size() && m_metadata[seq].HasText();
    };
    while (!has() && m_map && search >= 0) {
        const int entry = LX_FindJp2BoxPosition(m_map, jp2_xml_4cc, code, search);
        if (entry < 0) {
            search = -1;
            break;
        }
        search = entry + 1;
        ReadXmlBoxAt(entry);
    }
    return has();
}

int CLxJP2InputFile::CalibrationOf(uint32_t seq, SLxJP2Calibration& out)
{
    FindFrameRecord(jp2_own_vcal, seq);
    if (seq >= m_calibrations.size() || !m_calibrations[seq].HasText()) {
        if (seq == 0 && m_calibrationFromHeader) {
            out = m_headerCalibration;
            return out.bValid && out.dCalibration != 0.0 ? 0 : -1514;
        }
        return -13;
    }
    auto& e = m_calibrations[seq];
    if (e.eState == eJp2RecordText) {
        CLxVariant v;
        if (!ParseVariant(e.sText, v))
            return -13;
        if (const CLxVariant* i = FindItem(v, u"dCalibration"))
            e.value.dCalibration = i->GetDouble();
        if (const CLxVariant* i = FindItem(v, u"dAspect"))
            e.value.dAspect = i->GetDouble();
        if (const CLxVariant* i = FindItem(v, u"bValid"))
            e.value.bValid = i->GetBool();
        if (const CLxVariant* i = FindItem(v, u"sObjective"))
            e.value.wsObjective = i->GetCLxStringW();
        e.eState = eJp2RecordParsed;
    }
    out = e.value;
    return out.bValid && out.dCalibration != 0.0 ? 0 : -1514;
}

uint32_t CLxJP2InputFile::AddRef()
{
    return m_refs.Increment();
}

uint32_t CLxJP2InputFile::Release()
{
    // A count of 0 is a reader nobody took a reference on.
    uint32_t left = 0;
    m_refs.Decrement(&left);
    if (left == 0)
        delete this;
    return left;
}

ILxImageFormat* CLxJP2InputFile::GetImageFormat()
{
    if (m_format)
        m_format->GetClass()->AddRef();
    return m_format;
}

int CLxJP2InputFile::GetImageMetadata(uint32_t seq, SLxPictureMetadata& metadata, uint32_t)
{
    if (seq >= m_frameCount)
        return -1501;
    FindFrameRecord(jp2_own_vimd, seq);
    SLxJP2Calibration calibration;
    if (seq >= m_metadata.size() || !m_metadata[seq].HasText()) {
        // A frame without picture metadata (any plain JP2 file): defaults,
        // planes for the components, the calibration where there is one.
        metadata.SetToDefault();
        if (m_attributes.uiComp == 3 && m_attributes.uiVirtualComponents == 3 &&
            m_codestreamComponents == 3)
            SLxPicturePlanes::MakeRGB(metadata.sPicturePlanes);
        else
            SLxPicturePlanes::MakeMono(metadata.sPicturePlanes);
        if (CalibrationOf(seq, calibration) == 0) {
            metadata.dCalibration = calibration.dCalibration;
            metadata.dAspect = calibration.dAspect;
            metadata.wsObjectiveName = calibration.wsObjective;
            metadata.bCalibrated = true;
        }
        return 0;
    }
    auto& e = m_metadata[seq];
    if (e.eState == eJp2RecordText) {
        CLxVariant v;
        if (!ParseVariant(e.sText, v) ||
            SLxPictureMetadata::LoadFromVariant(e.value.metadata, v) != 0) {
            LX_TRACE(u"Failed to load sequential metadata.");
            return -13;
        }
        CopyOut(e.value.variant, v);
        e.eState = eJp2RecordParsed;
    }
    metadata = e.value.metadata;
    const int status = CalibrationOf(seq, calibration);
    if (status == 0 || status == -1514) {
        metadata.dCalibration = calibration.dCalibration;
        metadata.dAspect = calibration.dAspect;
        metadata.wsObjectiveName = calibration.wsObjective;
        metadata.bCalibrated = status == 0;
    }
    return 0;
}

int CLxJP2InputFile::GetEvents(SLxExperimentRecord& events, uint32_t)
{
    LookUp(jp2_own_ieve, m_events.eState);
    if (!m_events.HasText())
        return -13;
    CLxVariant v;
    if (!ParseVariant(m_events.sText, v)) {
        LX_TRACE(u"Failed to load variant with events from xml box.");
        return -13;
    }
    m_events.eState = eJp2RecordParsed;
    return SLxExperimentRecord::LoadFromVariant(events, v);
}

int CLxJP2InputFile::GetImageBinary(uint8_t* binary)
{
    if (!m_haveImageBinary)
        return -13;
    if (binary && !m_imageBinary.empty())
        memcpy(binary, m_imageBinary.data(), m_imageBinary.size());
    return 0;
}

int CLxJP2InputFile::GetImageInfo(uint32_t& width, uint32_t& height, uint32_t& bits,
                                  uint32_t& components)
{
    width = m_attributes.uiWidth;
    height = m_attributes.uiHeight;
    bits = m_attributes.uiBpcSignificant;
    components = m_attributes.uiVirtualComponents;
    return 0;
}

int CLxJP2InputFile::CheckPixelFormat(uint32_t format)
{
    static const uint32_t kFormats[] = {0, 2, 4, 5, 6, 8, 9, 10, 12, 13, 19, 20, 22};
    return std::find(std::begin(kFormats), std::end(kFormats), format) != std::end(kFormats)
               ? 0
               : -1506;
}

int CLxJP2InputFile::GetImageAttributes(SLxImageAttributes& attributes)
{
    attributes = m_attributes;
    attributes.uiComp = m_attributes.uiVirtualComponents == m_codestreamComponents
                            ? m_attributes.uiComp
                            : m_attributes.uiVirtualComponents;
    attributes.uiWidthBytes = RowBytes(m_attributes.uiWidth);
    attributes.uiSequenceCount = m_frameCount;
    attributes.eCompression = LX_COMPRESSION_NONE;
    attributes.dCompressionParam = 0.0;
    return 0;
}

int CLxJP2InputFile::GetCalibration(uint32_t seq, double& calibration, double& aspect,
                                    CLxStringW& objective)
{
    calibration = 0.0;
    aspect = 1.0;
    objective = CLxStringW();
    if (seq >= m_frameCount)
        return -1501;
    SLxJP2Calibration c;
    const int status = CalibrationOf(seq, c);
    if (status != 0)
        return status;
    calibration = c.dCalibration;
    aspect = c.dAspect;
    objective = c.wsObjective;
    return 0;
}

int CLxJP2InputFile::GetAcqTime(double& time)
{
    SLxPictureMetadata md;
    const int status = GetImageMetadata(0, md, 0);
    if (status == 0)
        time = md.dTimeMSec;
    return status;
}

int CLxJP2InputFile::GetReportObjectsSeq(uint32_t seq, CLxStringW& objects)
{
    if (seq >= m_frameCount)
        return -1501;
    if (seq >= m_frameReports.size() || !m_frameReports[seq].HasText()) {
        // Frame report boxes are read in file order, like the other frame
        // records.
        for (int entry = LX_FindJp2BoxPosition(m_map, jp2_xml_4cc, jp2_own_vrob, 0);
             entry >= 0 && !(seq < m_frameReports.size() && m_frameReports[seq].HasText());
             entry = LX_FindJp2BoxPosition(m_map, jp2_xml_4cc, jp2_own_vrob, entry + 1))
            ReadXmlBoxAt(entry);
    }
    if (seq >= m_frameReports.size() || !m_frameReports[seq].HasText())
        return -13;
    const char* at = nullptr;
    size_t size = 0;
    if (!Inner(m_frameReports[seq].sText, at, size))
        return -13;
    std::string inner(at, size);
    CLxStringW wide;
    if (!CLxStringUtils::UTF8toW(inner.c_str(), wide)) {
        LX_TRACE(u"CLxStringUtils::UTF8toW failed on %S.", "ReportObjectsSeq");
        return -13;
    }
    objects = wide;
    return 0;
}

int CLxJP2InputFile::GetReportObjects(CLxStringW& objects)
{
    LookUp(jp2_own_srob, m_reportObjects.eState);
    if (!m_reportObjects.HasText())
        return -13;
    const char* at = nullptr;
    size_t size = 0;
    if (!Inner(m_reportObjects.sText, at, size))
        return -13;
    std::string inner(at, size);
    CLxStringW wide;
    if (!CLxStringUtils::UTF8toW(inner.c_str(), wide)) {
        LX_TRACE(u"CLxStringUtils::UTF8toW failed on %S.", "ReportObjects");
        return -13;
    }
    objects = wide;
    return 0;
}

int CLxJP2InputFile::GetTextInfo(SLxImageTextInfo& textInfo)
{
    LookUp(jp2_own_tinf, m_textInfo.eState);
    if (!m_textInfo.HasText())
        return -13;
    if (m_textInfo.eState == eJp2RecordText) {
        const char* at = nullptr;
        size_t size = 0;
        if (!Inner(m_textInfo.sText, at, size) || !LX_Jp2ParseTextInfo(at, size, m_textInfo.value))
            return -13;
        m_textInfo.eState = eJp2RecordParsed;
    }
    textInfo = m_textInfo.value;
    return 0;
}

int CLxJP2InputFile::GetCustomData(const char16_t* name, CLxByteArray& data)
{
    if (!name)
        return -4;
    auto it = m_binary.find(CLxStringW(name));
    if (it == m_binary.end())
        return -13;
    data = it->second;
    return 0;
}

int CLxJP2InputFile::GetCustomDataSeq(const char16_t* name, uint32_t seq, CLxByteArray& data)
{
    if (!name)
        return -4;
    auto it = m_binarySeq.find({CLxStringW(name), seq});
    if (it == m_binarySeq.end())
        return -13;
    data = it->second;
    return 0;
}

// Custom data variants are looked up by name through the map, in file order.
// A custom data variant text handed over whole (not through the map).
void CLxJP2InputFile::ReadCustomVarText(uint32_t code, const uint8_t* text, size_t size)
{
    if (code != jp2_own_scdv && code != jp2_own_vcdv)
        return;
    const bool framed = code == jp2_own_vcdv;
    const SLxJP2OwnText t = framed ? LX_Jp2RecogniseCustomDataSeq(text, size)
                                   : LX_Jp2RecogniseCustomData(text, size);
    if (!t.uiCode)
        return;
    CustomVar& v = framed ? m_customVarsSeq[{t.wsName, t.uiIndex}] : m_customVars[t.wsName];
    v.sText.assign(reinterpret_cast<const char*>(text) + t.uiInner, t.uiInnerSize);
    v.eState = eJp2RecordText;
}

int CLxJP2InputFile::FindCustomVar(uint32_t code, const CLxStringW& name, uint32_t seq,
                                   CustomVar*& found)
{
    const bool framed = code == jp2_own_vcdv;
    auto lookup = [&]() -> CustomVar* {
        if (framed) {
            auto it = m_customVarsSeq.find({name, seq});
            return it == m_customVarsSeq.end() ? nullptr : &it->second;
        }
        auto it = m_customVars.find(name);
        return it == m_customVars.end() ? nullptr : &it->second;
    };
    found = lookup();
    int& search = framed ? m_searchCustomSeq : m_searchCustom;
    while (!found && m_map && search >= 0) {
        const int entry = LX_FindJp2BoxPosition(m_map, jp2_xml_4cc, code, search);
        if (entry < 0) {
            search = -1;
            break;
        }
        search = entry + 1;
        CLxJP2XMLStream xml;
        std::vector<uint8_t> text;
        if (!xml.OpenRead(m_path.GetString(), m_map, entry) || !xml.ReadRest(text))
            continue;
        ++m_boxesRead;
        const SLxJP2OwnText t = framed ? LX_Jp2RecogniseCustomDataSeq(text.data(), text.size())
                                       : LX_Jp2RecogniseCustomData(text.data(), text.size());
        if (!t.uiCode)
            continue;
        CustomVar& v = framed ? m_customVarsSeq[{t.wsName, t.uiIndex}] : m_customVars[t.wsName];
        if (v.eState == eJp2RecordNotLookedUp) {
            v.sText.assign(reinterpret_cast<const char*>(text.data()) + t.uiInner, t.uiInnerSize);
            v.eState = eJp2RecordText;
        }
        found = lookup();
    }
    if (!found)
        return -13;
    if (found->eState == eJp2RecordText) {
        if (CLxXMLAPI::VariantFromXML_UTF8(found->variant, found->sText.data(),
                                           found->sText.size()) != 0) {
            LX_TRACE(u"Failed to load variant with CustomDataVar from xml box.");
            return -13;
        }
        found->eState = eJp2RecordParsed;
    }
    return 0;
}

int CLxJP2InputFile::GetCustomDataVar(const char16_t* name, CLxVariant& data)
{
    if (!name || !*name)
        return -4;
    CustomVar* found = nullptr;
    const int status = FindCustomVar(jp2_own_scdv, CLxStringW(name), 0, found);
    if (status == 0)
        CopyOut(data, found->variant);
    return status;
}

int CLxJP2InputFile::GetCustomDataVarSeq(const char16_t* name, uint32_t seq, CLxVariant& data)
{
    if (!name || !*name)
        return -4;
    CustomVar* found = nullptr;
    const int status = FindCustomVar(jp2_own_vcdv, CLxStringW(name), seq, found);
    if (status == 0)
        CopyOut(data, found->variant);
    return status;
}

int CLxJP2InputFile::GetUnknownData(ILxImageUnknownData** keeper)
{
    if (!keeper)
        return -4;
    if (!m_unknown) {
        CLxStringA id("JPEG2000");
        if (m_format && m_format->GetID(id) != 0)
            LX_DIAG_ASSERT_TEXT(u"m_format->GetID(id) == LX_OK", u"No format identifier.");
        m_unknown = new CLxJP2UnknownData(id);
        m_unknown->AddRef();
        if (!m_bytes) {
            CLxJP2XMLStream xml;
            if (xml.OpenRead(m_path.GetString(), nullptr, 0)) {
                CLxJP2BoxWalk walk(xml);
                do {
                    std::vector<uint8_t> text;
                    if (!xml.ReadRest(text))
                        continue;
                    if (LX_Jp2RecogniseText(text.data(), text.size()).uiCode)
                        continue;
                    if (text.size() >= jp2_generator_comment_size &&
                        memcmp(text.data(), jp2_generator_comment, jp2_generator_comment_size) == 0)
                        continue; // custom data variants: ours
                    m_unknown->AppendChunk(CLxJP2UnknownData::udtXMLBox, text.data(),
                                           uint32_t(text.size()));
                } while (walk.Next());
            }
            CLxJP2UUIDStream uuid;
            if (uuid.OpenRead(m_path.GetString(), nullptr, 0)) {
                CLxJP2BoxWalk walk(uuid);
                do {
                    uint8_t id[16];
                    std::vector<uint8_t> data;
                    if (!uuid.ReadBox(id, data))
                        continue;
                    if (!memcmp(id, jp2_uuid_scdb, 16) || !memcmp(id, jp2_uuid_vcdb, 16) ||
                        !memcmp(id, jp2_uuid_binl, 16) || !memcmp(id, jp2_uuid_pmap, 16))
                        continue;
                    const uint32_t index = m_unknown->GetChunkCount();
                    m_unknown->AppendChunk(CLxJP2UnknownData::udtUUIDBox, id, 16);
                    for (size_t at = 0; at < data.size(); at += 10240)
                        m_unknown->AppendChunkData(
                            index, data.data() + at,
                            uint32_t(std::min<size_t>(10240, data.size() - at)));
                } while (walk.Next());
            }
        }
    }
    m_unknown->AddRef();
    *keeper = m_unknown;
    return 0;
}
