#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputFile.h"

#include <cstring>
#include <new>
#include <vector>

#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_metaformats/LxValueRecords.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_system/rtti/LxRTTI.h"
#include "gnr_system/string/LxStringUtils.h"
#include "mul_imageformat/LxImageFormat.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxPreviewFitting.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ChunkNames.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ExperimentLink.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2Preview.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2Rescan.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2UnknownData.h"
#include "w32_system/debugging/LxDiag.h"

using namespace LxQX2Names;

namespace
{

constexpr int kBadArgument = -4;
constexpr int kFail = -9;
constexpr int kNotFound = -13;

// A variant item of the list read as a double, a bool or a text; false when
// it is missing or does not convert.
bool ReadItem(const CLxVariant& v, const char16_t* key, double* out)
{
    const CLxVariant* item = v.SearchFixedOneLevel(key);
    bool ok = false;
    const double d = item ? item->GetDouble(&ok) : 0.0;
    if (ok)
        *out = d;
    return ok;
}

bool ReadItem(const CLxVariant& v, const char16_t* key, CLxStringW* out)
{
    const CLxVariant* item = v.SearchFixedOneLevel(key);
    bool ok = false;
    CLxStringW text = item ? item->GetCLxStringW(&ok) : CLxStringW();
    if (ok)
        *out = text;
    return ok;
}

void Assign(CLxVariant& target, const CLxVariant& value)
{
    const bool previous = target.EnableTypeChange(true);
    target = value;
    target.EnableTypeChange(previous);
}

} // namespace

CLxQX2InputFile::CLxQX2InputFile(ILxImageFormat* format, const CLxStringW& fileName,
                                 const CLxFileChunker& chunker, bool version1)
    : m_pFormat(format), m_fileName(fileName), m_chunker(chunker), m_bVersion1(version1),
      m_frameChunk(1u << 16)
{
}

CLxQX2InputFile::~CLxQX2InputFile()
{
    if (m_pKeeper)
        m_pKeeper->Release();
    m_chunker.Finalize();
}

uint32_t CLxQX2InputFile::AddRef()
{
    return m_refCount.Increment();
}

uint32_t CLxQX2InputFile::Release()
{
    // A count of 0 is a reader or writer nobody took a reference on.
    uint32_t left = 0;
    m_refCount.Decrement(&left);
    if (left == 0)
        delete this;
    return left;
}

ILxImageFormat* CLxQX2InputFile::GetImageFormat()
{
    if (m_pFormat)
        CLxRTTI::AddRef(m_pFormat);
    return m_pFormat;
}

int CLxQX2InputFile::RepairIfNeeded()
{
    if (!m_chunker.IsMapUnreadable())
        return 0;
    SLxQX2RescanContext context(m_bVersion1, &m_serializer);
    return m_chunker.CreateMissingChunkMap(&LX_QX2RescanCallback, &context);
}

uint32_t CLxQX2InputFile::FrameCountFromMap()
{
    bool any = false;
    uint32_t highest = 0, index = 0;
    CLxStringA name;
    int rc = m_chunker.GetNextChunkName(name, nullptr);
    while (rc == 0) {
        if (ParseIndexed(name, kFramePrefix, &index)) {
            highest = any && highest > index ? highest : index;
            any = true;
        }
        CLxStringA next;
        rc = m_chunker.GetNextChunkName(next, name);
        name = next;
    }
    return any ? highest + 1 : 0;
}

void CLxQX2InputFile::RepairExperimentCopy()
{
    if (!m_pExperiment) {
        CLxVariant v;
        std::unique_ptr<SLxExperiment> loaded(new SLxExperiment);
        if (ReadVariant(kExperiment, v) != 0 || LX_QX2LoadExperiment(*loaded, v) != 0)
            return;
        m_pExperiment = std::move(loaded);
    }
    LX_QX2RepairExperiment(*m_pExperiment, m_frameCount, nullptr);
}

void CLxQX2InputFile::TakeWritersState()
{
    m_bFromWriter = true;
    m_frameCount = FrameCountFromMap();
    RepairExperimentCopy();
}

int CLxQX2InputFile::ReadChunk(const char* name, CLxByteArray& data)
{
    return m_chunker.GetChunk(name, data);
}

int CLxQX2InputFile::ReadVariant(const char* name, CLxVariant& v)
{
    CLxByteArray data;
    const int rc = ReadChunk(name, data);
    return rc != 0 ? rc : m_serializer.Load(data, v);
}

int CLxQX2InputFile::ReadMetadata(const char* name, SLxPictureMetadata& md)
{
    CLxVariant v;
    int rc = ReadVariant(name, v);
    if (rc != 0)
        return rc;
    SLxPictureMetadata loaded;
    rc = SLxPictureMetadata::LoadFromVariant(loaded, v);
    if (rc == 0)
        md = loaded;
    return rc;
}

int CLxQX2InputFile::ReadAttributes(SLxImageAttributes& attributes)
{
    // A finished file's attributes never change; a writer's may, until it
    // closes.
    if (!m_bAttributesKnown || m_bFromWriter) {
        CLxVariant v;
        const int rc = ReadVariant(kAttributes, v);
        if (rc != 0)
            return rc;
        m_attributes = SLxImageAttributes{};
        LX_QX2AttributesFromVariant(v, m_attributes);
        m_bAttributesKnown = true;
    }
    attributes = m_attributes;
    m_compression = m_attributes.eCompression;
    return 0;
}

int CLxQX2InputFile::FrameLayout(SLxQX2FrameLayout* layout)
{
    if (!m_bLayoutKnown) {
        SLxImageAttributes a{};
        const int rc = ReadAttributes(a);
        if (rc != 0)
            return rc;
        if (!LX_QX2FrameLayout(a, &m_layout))
            return kFail;
        m_bLayoutKnown = true;
    }
    *layout = m_layout;
    return 0;
}

int CLxQX2InputFile::GetImageAttributes(SLxImageAttributes& attributes)
{
    SLxImageAttributes a{};
    int rc = ReadAttributes(a);
    if (rc != 0)
        return rc;
    if (m_bFromWriter)
        a.uiSequenceCount = m_frameCount;
    else
        m_frameCount = a.uiSequenceCount;
    SLxQX2FrameLayout layout{};
    if (LX_QX2FrameLayout(a, &layout))
        a.uiWidthBytes = uint32_t(layout.qwStride);
    else if (!m_bVersion1)
        rc = kFail; // incomplete, or no frame this format can hold
    attributes = a;
    return rc;
}

int CLxQX2InputFile::GetImageInfo(uint32_t& width, uint32_t& height, uint32_t& bitsPerComponent,
                                  uint32_t& components)
{
    SLxImageAttributes a{};
    const int rc = GetImageAttributes(a);
    if (rc != 0)
        return rc;
    width = a.uiWidth;
    height = a.uiHeight;
    bitsPerComponent = a.uiBpcInMemory;
    components = a.uiComp;
    return 0;
}

int CLxQX2InputFile::CheckPixelFormat(uint32_t pixelFormat)
{
    return m_pFormat ? m_pFormat->CheckPixelFormat(pixelFormat) : -1506;
}

int CLxQX2InputFile::GetExperiment(SLxExperiment& experiment, uint32_t)
{
    // A deep copy: the caller releases its tree without touching ours.
    if (m_pExperiment)
        return SLxExperiment::CopyRecursive(&experiment, *m_pExperiment, true);
    CLxVariant v;
    int rc = ReadVariant(kExperiment, v);
    if (rc != 0)
        return rc;
    SLxExperiment loaded;
    rc = LX_QX2LoadExperiment(loaded, v);
    return rc != 0 ? rc : SLxExperiment::CopyRecursive(&experiment, loaded, true);
}

int CLxQX2InputFile::GetEvents(SLxExperimentRecord& events, uint32_t)
{
    CLxVariant v;
    const int rc = ReadVariant(kEvents, v);
    return rc != 0 ? rc : SLxExperimentRecord::LoadFromVariant(events, v);
}

int CLxQX2InputFile::GetImageBinary(uint8_t* binary)
{
    if (!binary)
        return kBadArgument;
    CLxByteArray data;
    int rc = ReadChunk(kBinary, data);
    if (rc != 0)
        return rc;
    if (data.GetSize() == 0)
        return kNotFound;
    SLxImageAttributes a{};
    rc = ReadAttributes(a);
    if (rc != 0)
        return rc;
    // Exactly the layer: one bit a pixel, rows padded to 4 bytes.
    const uint64_t row = (uint64_t(a.uiWidth) + 31) / 32 * 4;
    if (row * a.uiHeight != data.GetSize())
        return kFail;
    memcpy(binary, data.GetData(), data.GetSize());
    return 0;
}

int CLxQX2InputFile::GetCalibration(uint32_t seq, double& calibration, double& aspect,
                                    CLxStringW& objective)
{
    CLxVariant v;
    const int rc = ReadVariant(Indexed(kCalibrationPrefix, seq), v);
    if (rc != 0)
        return rc;
    ReadItem(v, u"dCalibration", &calibration);
    ReadItem(v, u"dAspect", &aspect);
    ReadItem(v, u"sObjective", &objective);
    return 0;
}

int CLxQX2InputFile::GetAcqTime(double& time)
{
    CLxVariant v;
    const int rc = GetCustomDataVar(LX_CUSTOM_ACQ_TIME, v);
    if (rc != 0)
        return rc;
    bool ok = false;
    const double t = v.GetDouble(&ok);
    if (!ok)
        return kFail;
    time = t;
    return 0;
}

int CLxQX2InputFile::GetReportObjectsSeq(uint32_t seq, CLxStringW& objects)
{
    CLxByteArray data;
    const int rc = ReadChunk(Indexed(kReportObjectsPrefix, seq), data);
    if (rc != 0)
        return rc;
    objects.Empty();
    CLxStringUtils::UTF8toWn(reinterpret_cast<const char*>(data.GetData()), objects,
                             data.GetSize());
    return 0;
}

int CLxQX2InputFile::GetReportObjects(CLxStringW& objects)
{
    CLxByteArray data;
    const int rc = ReadChunk(kReportObjects, data);
    if (rc != 0)
        return rc;
    objects.Empty();
    CLxStringUtils::UTF8toWn(reinterpret_cast<const char*>(data.GetData()), objects,
                             data.GetSize());
    return 0;
}

int CLxQX2InputFile::GetTextInfo(SLxImageTextInfo& textInfo)
{
    CLxVariant v;
    const int rc = ReadVariant(kTextInfo, v);
    if (rc != 0)
        return rc;
    for (int i = 0; i < SLxImageTextInfo::eTextCount; ++i) {
        CLxStringW key;
        key.Format(u"TextInfoItem_%i", i);
        ReadItem(v, key, &textInfo.wsText[i]);
    }
    return 0;
}

int CLxQX2InputFile::GetImageDataFirst(void* buffer, uint32_t extra1, uint32_t extra2)
{
    return GetImageData(0, buffer, extra1, extra2);
}

// The chunk of frame seq into m_frameChunk, its time header (version 2)
// present.
int CLxQX2InputFile::ReadFrameChunk(uint32_t seq, SLxQX2FrameLayout* layout)
{
    int rc = ReadChunk(Indexed(kFramePrefix, seq), m_frameChunk);
    if (rc != 0)
        return rc;
    rc = FrameLayout(layout);
    if (rc != 0)
        return rc == kNotFound ? kFail : rc;
    return m_frameChunk.GetSize() < FrameHeaderBytes() ? kFail : 0;
}

int CLxQX2InputFile::GetImageData(uint32_t seq, void* buffer, uint32_t, uint32_t)
{
    if (!buffer)
        return kBadArgument;
    SLxQX2FrameLayout layout{};
    const int rc = ReadFrameChunk(seq, &layout);
    if (rc != 0)
        return rc;
    const uint32_t header = FrameHeaderBytes();
    return m_decoder.Decode(m_frameChunk.GetData() + header, m_frameChunk.GetSize() - header,
                            m_compression == LX_COMPRESSION_LOSSLESS, layout, buffer);
}

// Frame seq into a buffer of the reader's own, sized only once the chunk
// can hold what the attributes announce.
int CLxQX2InputFile::ReadFrame(uint32_t seq, std::vector<uint8_t>* frame)
{
    SLxQX2FrameLayout layout{};
    const int rc = ReadFrameChunk(seq, &layout);
    if (rc != 0)
        return rc;
    const uint32_t header = FrameHeaderBytes();
    const bool zlib = m_compression == LX_COMPRESSION_LOSSLESS;
    if (!CLxQX2FrameDecoder::CanHold(m_frameChunk.GetSize() - header, zlib, layout))
        return kFail;
    try {
        frame->resize(size_t(layout.FrameBytes()));
    } catch (const std::bad_alloc&) {
        return -3;
    }
    return m_decoder.Decode(m_frameChunk.GetData() + header, m_frameChunk.GetSize() - header, zlib,
                            layout, frame->data());
}

int CLxQX2InputFile::GetImageDataComponent(uint32_t seq, uint32_t component, void* destination,
                                           uint32_t destinationWidthBytes,
                                           uint32_t destinationComponents)
{
    SLxImageAttributes a{};
    int rc = GetImageAttributes(a);
    if (rc != 0)
        return rc;
    SLxQX2FrameLayout layout{};
    if (!LX_QX2FrameLayout(a, &layout))
        return kFail;
    const uint64_t sampleBytes = a.uiBpcInMemory > 8 ? 2 : 1;
    if (!destination || component >= a.uiComp || destinationComponents == 0 ||
        destinationWidthBytes < uint64_t(a.uiWidth) * destinationComponents * sampleBytes)
        return kBadArgument;
    std::vector<uint8_t> frame;
    rc = ReadFrame(seq, &frame);
    if (rc != 0)
        return rc;
    return CLxPicMemAPI::CopyComponent(destination, destinationComponents, destinationWidthBytes, 0,
                                       frame.data(), a.uiComp, uint32_t(layout.qwStride), component,
                                       a.uiBpcInMemory, a.uiWidth, a.uiWidth * a.uiHeight);
}

int CLxQX2InputFile::GetPreviewImage(uint32_t& width, uint32_t& height, uint8_t* destination,
                                     bool keepSize, uint32_t, uint32_t)
{
    SLxImageAttributes a{};
    int rc = GetImageAttributes(a);
    if (rc != 0)
        return rc;
    LX_FitPreviewSize(width, height, a, keepSize);
    if (!destination)
        return 0;
    SLxQX2FrameLayout layout{};
    if (!LX_QX2FrameLayout(a, &layout))
        return kFail;
    uint32_t seq = 0;
    SLxExperiment experiment;
    if (GetExperiment(experiment, 0) != 0 || LX_QX2PreviewFrame(experiment, &seq) != 0)
        seq = 0;
    std::vector<uint8_t> frame;
    rc = ReadFrame(seq, &frame);
    if (rc != 0)
        return rc;
    SLxPictureMetadata md;
    const bool haveMetadata = GetImageMetadata(seq, md, 0) == 0;
    return LX_QX2RenderPreview(frame.data(), uint32_t(layout.qwStride), a,
                               haveMetadata ? &md : nullptr, width, height, destination);
}

int CLxQX2InputFile::GetUnknownData(ILxImageUnknownData** keeper)
{
    if (!keeper)
        return kBadArgument;
    if (!m_pKeeper) {
        CLxStringA formatId;
        if (!m_pFormat || m_pFormat->GetID(formatId) != 0) {
            LX_DIAG_ASSERT_TEXT(u"m_pFileFormat->GetID(asFormatID) != LX_OK", nullptr);
            return kFail;
        }
        CLxQX2UnknownData* made = new (std::nothrow) CLxQX2UnknownData(formatId);
        if (!made)
            return -3;
        made->AddRef();
        CLxStringA name;
        int rc = m_chunker.GetNextChunkName(name, nullptr);
        while (rc == 0) {
            CLxByteArray data;
            // A foreign chunk that cannot be read cannot be kept either.
            if (!IsKnown(name) && ReadChunk(name, data) == 0) {
                const int added = made->AppendNamedChunk(name, data.GetData(), data.GetSize());
                if (added != 0) {
                    made->Release();
                    return added;
                }
            }
            CLxStringA next;
            rc = m_chunker.GetNextChunkName(next, name);
            name = next;
        }
        m_pKeeper = made;
    }
    m_pKeeper->AddRef();
    *keeper = m_pKeeper;
    return 0;
}

int CLxQX2InputFile::GetCustomData(const char16_t* name, CLxByteArray& data)
{
    if (!name)
        return kBadArgument;
    return ReadChunk(Custom(eCustomBytes, name), data);
}

int CLxQX2InputFile::GetCustomDataSeq(const char16_t* name, uint32_t seq, CLxByteArray& data)
{
    if (!name)
        return kBadArgument;
    return ReadChunk(Custom(eCustomBytesSeq, name, seq), data);
}

int CLxQX2InputFile::GetCustomDataVar(const char16_t* name, CLxVariant& data)
{
    if (!name || !*name)
        return kBadArgument;
    CLxVariant v;
    const int rc = ReadVariant(Custom(eCustomVar, name), v);
    if (rc == 0)
        Assign(data, v);
    return rc;
}

int CLxQX2InputFile::GetCustomDataVarSeq(const char16_t* name, uint32_t seq, CLxVariant& data)
{
    if (!name || !*name)
        return kBadArgument;
    CLxVariant v;
    const int rc = ReadVariant(Custom(eCustomVarSeq, name, seq), v);
    if (rc == 0)
        Assign(data, v);
    return rc;
}
