#include "mul_imageformat/gnr_imageformat_qx2/LxQX2OutputFile.h"

#include <cstring>
#include <new>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_metaformats/LxValueRecords.h"
#include "gnr_system/string/LxStringUtils.h"
#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/LxImageFormat.h"
#include "mul_imageformat/LxImageUnknownData.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ChunkNames.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ExperimentLink.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2UnknownData.h"
#include "w32_system/debugging/LxDiag.h"

using namespace LxQX2Names;

namespace
{

constexpr int kNoMemory = -3;
constexpr int kBadArgument = -4;
constexpr int kFail = -9;
constexpr int kNotFound = -13;
constexpr uint32_t kRefreshReader = 0xFFFFFFFFu;
constexpr uint32_t kMaxChunkName = 511;
constexpr uint64_t kMinReservation = 40960000;
constexpr uint32_t kForeignPiece = 4096;

void PutDouble(uint8_t* out, double d)
{
    uint64_t bits;
    memcpy(&bits, &d, 8);
    for (int i = 0; i < 8; ++i)
        out[i] = uint8_t(bits >> (8 * i));
}

template <class T> void Item(CLxVariant& list, const char16_t* key, T value)
{
    list.Append(CLxVariant(value, CLxStringW(key)));
}

} // namespace

uint64_t LX_QX2ReservationSize(const SLxImageAttributes& a, uint64_t frameCount)
{
    const uint64_t frame =
        uint64_t(a.uiHeight) * a.uiComp * a.uiWidth * ((uint64_t(a.uiBpcInMemory) + 7) / 8);
    // A product past 2^62 bytes has no disk to go to: keep the minimum.
    if (frameCount == 0 || frame == 0 || frameCount > (uint64_t(1) << 62) / frame)
        return kMinReservation;
    return std::max((frame * frameCount + 4095) / 4096 * 4096, kMinReservation);
}

CLxQX2OutputFile::CLxQX2OutputFile(ILxImageFormat* format, const CLxStringW& fileName,
                                   std::unique_ptr<CLxFileChunker> chunker, bool version1)
    : m_pFileFormat(format), m_fileName(fileName), m_fileChunker(std::move(chunker)),
      m_bVersion1(version1)
{
    m_attributes.uiVirtualComponents = 1;
    m_attributes.dCompressionParam = 1.0;
}

CLxQX2OutputFile::~CLxQX2OutputFile()
{
    Close();
    if (m_pUnknownData)
        m_pUnknownData->Release();
}

uint32_t CLxQX2OutputFile::AddRef()
{
    return m_refCount.Increment();
}

uint32_t CLxQX2OutputFile::Release()
{
    // A count of 0 is a reader or writer nobody took a reference on.
    uint32_t left = 0;
    m_refCount.Decrement(&left);
    if (left == 0)
        delete this;
    return left;
}

ILxImageFormat* CLxQX2OutputFile::GetImageFormat()
{
    if (m_pFileFormat)
        m_pFileFormat->GetClass()->AddRef();
    return m_pFileFormat;
}

// --- chunks ---

int CLxQX2OutputFile::WriteXml(const char* name, const CLxVariant& v)
{
    CLxByteArray xml;
    const int rc = m_serializer.Save(v, xml);
    if (rc != 0)
        return rc;
    return m_fileChunker->WriteChunkBytes(name, xml);
}

int CLxQX2OutputFile::WriteText(const char* name, const CLxStringW& text)
{
    CLxStringA utf8;
    if (!CLxStringUtils::WtoUTF8(text.GetString(), utf8))
        return kFail;
    return m_fileChunker->WriteChunk(name, utf8.GetString(), uint32_t(utf8.GetLength()));
}

int CLxQX2OutputFile::WriteAttributes()
{
    SLxImageAttributes& a = m_attributes;
    a.uiBpcInMemory = uint8_t((a.uiBpcInMemory + 7) & ~7);
    if (a.uiTileWidth == 0)
        a.uiTileWidth = a.uiWidth;
    if (a.uiTileHeight == 0)
        a.uiTileHeight = a.uiHeight;
    const uint64_t rowBytes = uint64_t(a.uiBpcInMemory / 8) * a.uiWidth * a.uiComp;
    // Row sizes past 32 bits never reach a frame: SetImageData refuses them.
    const uint32_t row = uint32_t(rowBytes);
    a.uiWidthBytes = m_bVersion1 ? row : std::max(a.uiWidthBytes, row);
    return WriteXml(kAttributes, LX_QX2AttributesToVariant(a));
}

// --- time cache ---

int CLxQX2OutputFile::SetFrameTime(uint32_t seq, double time, int state)
{
    if (seq > kMaxFrameIndex)
        return kBadArgument;
    if (seq < m_times.size()) {
        m_times[seq] = time;
        m_states[seq] = 1;
        return 0;
    }
    try {
        m_times.resize(size_t(seq) + 1, -1.0);
        m_states.resize(size_t(seq) + 1, 0);
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
    m_times[seq] = time;
    m_states[seq] = state ? 1 : 0;
    return 0;
}

int CLxQX2OutputFile::GetFrameTime(uint32_t seq, double* time)
{
    if (seq > kMaxFrameIndex)
        return kBadArgument;
    if (seq >= m_times.size())
        return kNotFound;
    *time = m_times[seq];
    return 0;
}

int CLxQX2OutputFile::MarkFrameWritten(uint32_t seq)
{
    if (seq > kMaxFrameIndex)
        return kBadArgument;
    if (seq >= m_states.size())
        return kNotFound;
    if (m_states[seq] == 1)
        m_states[seq] = 2;
    return 0;
}

CLxByteArray CLxQX2OutputFile::TimesBytes() const
{
    CLxByteArray bytes(1024);
    const uint32_t size = uint32_t(m_times.size() * 8);
    if (size &&
        bytes.SetData(nullptr, size, eLxByteArrayOpFromStart, eLxByteArrayAllocExact) == 0) {
        uint8_t* out = bytes.GetData(size);
        for (size_t i = 0; i < m_times.size(); ++i)
            PutDouble(out + 8 * i, m_times[i]);
    }
    return bytes;
}

void CLxQX2OutputFile::KeepStoredTimes()
{
    CLxByteArray stored;
    if (m_bVersion1 || m_fileChunker->GetChunk(kTimeCache, stored) != 0)
        return;
    const uint32_t count = stored.GetSize() / 8;
    if (count == 0 || count > kMaxFrameIndex + 1)
        return;
    try {
        m_times.resize(count);
        m_states.assign(count, 2);
    } catch (const std::bad_alloc&) {
        m_times.clear();
        m_states.clear();
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t bits = 0;
        for (int b = 7; b >= 0; --b)
            bits = bits << 8 | stored.GetData()[8 * i + uint32_t(b)];
        memcpy(&m_times[i], &bits, 8);
    }
}

// --- setters ---

int CLxQX2OutputFile::SetImageAttributes(const SLxImageAttributes& attributes)
{
    m_attributes = attributes;
    m_callerStride = attributes.uiWidthBytes;
    return 0;
}

int CLxQX2OutputFile::SetImageMetadata(uint32_t seq, const SLxPictureMetadata& metadata, uint32_t)
{
    if (seq > kMaxFrameIndex)
        return kBadArgument;
    if (m_bVersion1 || !m_bMetadataWritten) {
        if (SetCalibration(seq, metadata.dCalibration, metadata.dAspect, metadata.bCalibrated,
                           metadata.wsObjectiveName) != 0)
            LX_TRACE(m_bVersion1 ? u"CLxQX2OutputFile_V01::SetImageMetadata() : Error, failed to "
                                   u"synchronize metadata and calibration!"
                                 : u"CLxQX2OutputFile_V02::SetImageMetadata() : Error, failed to "
                                   u"synchronize metadata and calibration!");
        CLxVariant v;
        v.EnableTypeChange(true);
        int rc = SLxPictureMetadata::SaveToVariant(v, metadata);
        CLxByteArray xml;
        if (rc == 0)
            rc = m_serializer.Save(v, xml);
        if (rc != 0)
            return rc;
        rc = m_fileChunker->WriteChunkBytes(Indexed(kMetadataPrefix, seq), xml);
        if (m_bVersion1)
            return rc;
        m_bMetadataWritten = true;
        if (rc != 0)
            return rc;
    }
    return SetFrameTime(seq, metadata.dTimeMSec, 1);
}

int CLxQX2OutputFile::SetExperiment(const SLxExperiment& experiment, const CLxVariant*)
{
    CLxVariant v;
    v.EnableTypeChange(true);
    int rc = LX_QX2SaveExperiment(v, experiment);
    if (rc != 0)
        return rc;
    if (!m_bVersion1) {
        m_qwExpectedFrames = CLxExperimentAPI::GetAllImagesCount(&experiment);
        const uint64_t size = LX_QX2ReservationSize(m_attributes, m_qwExpectedFrames);
        m_qwReserved = size;
        m_fileChunker->ReserveSpace(size);
    }
    return WriteXml(kExperiment, v);
}

int CLxQX2OutputFile::SetEvents(const SLxExperimentRecord& events, uint32_t)
{
    CLxVariant v;
    v.EnableTypeChange(true);
    const int rc = SLxExperimentRecord::SaveToVariant(v, events);
    return rc != 0 ? rc : WriteXml(kEvents, v);
}

int CLxQX2OutputFile::SetImageBinary(const uint8_t* binary)
{
    if (!binary)
        return kBadArgument;
    const SLxImageAttributes& a = m_attributes;
    if (!a.uiWidth || !a.uiHeight)
        return kBadArgument;
    const uint64_t size = (uint64_t(a.uiWidth) + 31) / 32 * 4 * a.uiHeight;
    if (size > UINT32_MAX)
        return kFail;
    return m_fileChunker->WriteChunk(kBinary, binary, uint32_t(size));
}

int CLxQX2OutputFile::SetCalibration(uint32_t seq, double calibration, double aspect, bool valid,
                                     const CLxStringW& objective)
{
    if (seq > kMaxFrameIndex)
        return kBadArgument;
    CLxVariant v(CLxListVariant(), CLxStringW(u"ImageCalibration"));
    Item(v, u"dCalibration", valid ? calibration : 0.0);
    Item(v, u"dAspect", valid ? aspect : 1.0);
    Item(v, u"bValid", valid);
    Item(v, u"sObjective", objective);
    return WriteXml(Indexed(kCalibrationPrefix, seq), v);
}

int CLxQX2OutputFile::SetAcqTime(double time)
{
    SetCustomDataVar(LX_CUSTOM_ACQ_TIME, CLxVariant(time, CLxStringW()));
    return 0;
}

int CLxQX2OutputFile::SetReportObjectsSeq(uint32_t seq, const CLxStringW& objects)
{
    if (seq > kMaxFrameIndex)
        return kBadArgument;
    return WriteText(Indexed(kReportObjectsPrefix, seq), objects);
}

int CLxQX2OutputFile::SetReportObjects(const CLxStringW& objects)
{
    return WriteText(kReportObjects, objects);
}

int CLxQX2OutputFile::SetTextInfo(const SLxImageTextInfo& textInfo)
{
    CLxVariant v(CLxListVariant(), CLxStringW(u"ImageTextInfo"));
    for (int i = 0; i < SLxImageTextInfo::eTextCount; ++i) {
        CLxStringW key;
        key.Format(u"TextInfoItem_%i", i);
        v.Append(CLxVariant(textInfo.wsText[i], key));
    }
    return WriteXml(kTextInfo, v);
}

int CLxQX2OutputFile::SetImageDataFirst(const void* buffer, LX_PFN_PROGRESS progress, void* context)
{
    return SetImageData(0, buffer, progress, context);
}

int CLxQX2OutputFile::SetImageData(uint32_t seq, const void* buffer, LX_PFN_PROGRESS, void*)
{
    const SLxImageAttributes& given = m_attributes;
    if (!buffer || seq > kMaxFrameIndex || !given.uiWidth || !given.uiHeight || !given.uiComp ||
        !given.uiBpcInMemory || given.uiBpcInMemory > 16 || !given.uiBpcSignificant)
        return kBadArgument;
    // The layout the attributes chunk will state, checked before any write.
    SLxImageAttributes normal = given;
    normal.uiBpcInMemory = uint8_t((normal.uiBpcInMemory + 7) & ~7);
    const uint64_t rowBytes = uint64_t(normal.uiBpcInMemory / 8) * normal.uiWidth * normal.uiComp;
    if (rowBytes > UINT32_MAX)
        return kFail;
    // The caller's rows overlap below a row's pixels.
    if (m_callerStride != 0 && m_callerStride < rowBytes)
        return kBadArgument;
    normal.uiWidthBytes =
        m_bVersion1 ? uint32_t(rowBytes) : std::max(normal.uiWidthBytes, uint32_t(rowBytes));
    SLxQX2FrameLayout layout;
    if (!LX_QX2FrameLayout(normal, &layout))
        return kFail;
    // Read at the caller's stride; none declared is rows padded to 4 bytes.
    if (m_callerStride != 0)
        layout.qwStride = m_callerStride;
    const uint8_t* bytes = nullptr;
    uint64_t size = 0;
    int rc = m_encoder.Encode(buffer, layout, given.eCompression == LX_COMPRESSION_LOSSLESS,
                              given.dCompressionParam, &bytes, &size);
    if (rc != 0)
        return rc;
    const uint32_t header = m_bVersion1 ? 0 : 8;
    if (size + header > UINT32_MAX)
        return kFail;

    // Ahead of the first frame also when the caller counted its frames in
    // advance: a file cut before Close needs them to read its frames.
    if (m_attributes.uiSequenceCount == 0 || !m_bAttributesAhead)
        WriteAttributes();
    m_bAttributesAhead = true;
    m_attributes.uiSequenceCount = std::max(m_attributes.uiSequenceCount, seq + 1);
    const CLxStringA name = Indexed(kFramePrefix, seq);
    if (m_bVersion1)
        return m_fileChunker->WriteChunk(name, bytes, uint32_t(size));

    double time = 0.0;
    uint8_t timeBytes[8];
    if (GetFrameTime(seq, &time) == 0) {
        MarkFrameWritten(seq);
    } else {
        time = 0.0;
        SetFrameTime(seq, -1.0, 0);
    }
    PutDouble(timeBytes, time);
    return m_fileChunker->WriteChunk2(name, timeBytes, 8, bytes, uint32_t(size));
}

int CLxQX2OutputFile::SetUnknownData(ILxImageUnknownData* keeper)
{
    if (!keeper)
        return kBadArgument;
    CLxStringA mine, theirs;
    if (!m_pFileFormat || m_pFileFormat->GetID(mine) != 0 || keeper->GetFormatID(theirs) != 0)
        return kFail;
    if (strcmp(mine, theirs) != 0)
        return kBadArgument;
    keeper->AddRef();
    if (m_pUnknownData)
        m_pUnknownData->Release();
    m_pUnknownData = keeper;
    return 0;
}

// --- custom items ---

int CLxQX2OutputFile::CustomName(int kind, const char16_t* name, uint32_t seq, CLxStringA& out)
{
    if (!name || !*name || seq > kMaxFrameIndex)
        return kBadArgument;
    // The map ends a name at its first '!'.
    for (const char16_t* c = name; *c; ++c)
        if (*c == u'!')
            return kBadArgument;
    CLxStringA utf8;
    if (!CLxStringUtils::WtoUTF8(name, utf8))
        return kBadArgument;
    out = Custom(ECustomKind(kind), name, seq);
    return uint32_t(out.GetLength()) > kMaxChunkName ? kBadArgument : 0;
}

int CLxQX2OutputFile::WriteCustom(const CLxStringA& name, const void* data, uint32_t size)
{
    return m_fileChunker->WriteChunk(name, data, size);
}

int CLxQX2OutputFile::SetCustomData(const char16_t* name, const void* data, uint32_t size)
{
    CLxStringA chunk;
    const int rc = CustomName(eCustomBytes, name, 0, chunk);
    if (rc != 0 || !data || size == 0)
        return kBadArgument;
    return WriteCustom(chunk, data, size);
}

int CLxQX2OutputFile::SetCustomDataSeq(const char16_t* name, uint32_t seq, const void* data,
                                       uint32_t size)
{
    CLxStringA chunk;
    const int rc = CustomName(eCustomBytesSeq, name, seq, chunk);
    if (rc != 0 || !data || size == 0)
        return kBadArgument;
    return WriteCustom(chunk, data, size);
}

int CLxQX2OutputFile::SetCustomDataVar(const char16_t* name, const CLxVariant& data)
{
    CLxStringA chunk;
    if (CustomName(eCustomVar, name, 0, chunk) != 0)
        return kBadArgument;
    return WriteXml(chunk, data);
}

int CLxQX2OutputFile::SetCustomDataVarSeq(const char16_t* name, uint32_t seq,
                                          const CLxVariant& data)
{
    CLxStringA chunk;
    if (CustomName(eCustomVarSeq, name, seq, chunk) != 0)
        return kBadArgument;
    return WriteXml(chunk, data);
}

// --- closing ---

void CLxQX2OutputFile::WriteForeignChunks()
{
    CLxQX2UnknownData* keeper = dynamic_cast<CLxQX2UnknownData*>(m_pUnknownData);
    if (!keeper)
        return;
    const uint32_t count = keeper->GetChunkCount();
    for (uint32_t i = 0; i < count; ++i) {
        CLxStringA name;
        if (keeper->GetChunkName(i, name) != 0)
            continue;
        CLxByteArray data(kForeignPiece);
        uint8_t piece[kForeignPiece];
        for (uint64_t offset = 0;;) {
            uint32_t got = kForeignPiece;
            if (keeper->ReadChunkData(i, offset, piece, &got) != 0 || got == 0)
                break;
            if (data.SetData(piece, got, eLxByteArrayOpAppend, eLxByteArrayAllocIncrement) != 0)
                break;
            offset += got;
        }
        m_fileChunker->WriteChunkBytes(name, data);
    }
}

int CLxQX2OutputFile::Close()
{
    if (m_bClosed)
        return 0;
    if (m_attributes.uiSequenceCount > 0) {
        const int rc = WriteAttributes();
        if (rc != 0)
            return rc;
    }
    if (!m_bVersion1) {
        bool anyWritten = false;
        const size_t n = std::min(m_times.size(), m_states.size());
        for (size_t i = 0; i < n; ++i) {
            if (m_states[i] == 2)
                anyWritten = true;
            else
                m_times[i] = -1.0;
        }
        if (anyWritten)
            m_fileChunker->WriteChunkBytes(kTimeCache, TimesBytes());
    }
    WriteForeignChunks();
    const int rc = m_fileChunker->Finalize();
    if (rc != 0)
        return rc;
    m_bClosed = true;
    return 0;
}

// --- readers over the file ---

int CLxQX2OutputFile::CreateInputFile(uint32_t seq, ILxInputImageFile** reader, uintptr_t)
{
    if (!reader)
        return kBadArgument;
    if (m_bVersion1) {
        CLxQX2InputFile_V01* made = nullptr;
        const int rc =
            CLxQX2InputFile_V01::CreateFromWriter(m_pFileFormat, m_fileName, *m_fileChunker, &made);
        *reader = rc == 0 ? made : nullptr;
        if (!made)
            return kFail;
        made->AddRef();
        return 0;
    }
    if (seq == kRefreshReader && *reader) {
        // Only a reader of this kind can be brought up to date.
        CLxQX2InputFile_V02* own = dynamic_cast<CLxQX2InputFile_V02*>(*reader);
        if (!own)
            return kBadArgument;
        return own->RefreshFromWriter(m_attributes.uiSequenceCount, TimesBytes(), *m_fileChunker);
    }
    CLxQX2InputFile_V02* made = nullptr;
    const int rc = CLxQX2InputFile_V02::CreateFromWriter(m_pFileFormat, m_fileName, *m_fileChunker,
                                                         TimesBytes(), &made);
    *reader = rc == 0 ? made : nullptr;
    if (!made)
        return kFail;
    made->AddRef();
    return 0;
}
