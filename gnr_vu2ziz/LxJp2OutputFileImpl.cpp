#include "gnr_vu2ziz/LxJp2OutputFileImpl.h"

#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxFluorescentProbe.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_vu2ziz/LxOutputWriter.h"
#include "gnr_vu2ziz/meta_inputfile/LxJp2InputFileImpl.h"
#include "gnr_vu2ziz/meta_inputfile/LxMetaInputFile.h"
#include "mul_imageformat/LxOutputImageFile.h"

namespace
{

constexpr uint32_t kMaxBits = 16; // what the formats store

uint32_t SampleBytes(uint32_t bits)
{
    return (bits + 7) / 8;
}

// Component srcComp of every pixel of src into component dstComp of dst,
// row by row when the frame holds more pixels than 32 bits count.
int CopyFrameComponent(uint8_t* dst, uint32_t dstComps, uint64_t dstRow, uint32_t dstComp,
                       const uint8_t* src, uint32_t srcComps, uint64_t srcRow, uint32_t srcComp,
                       uint32_t bits, uint32_t width, uint32_t height)
{
    const uint64_t pixels = uint64_t(width) * height;
    if (pixels <= UINT32_MAX)
        return CLxPicMemAPI::CopyComponent(dst, dstComps, uint32_t(dstRow), dstComp, src,
                                           srcComps, uint32_t(srcRow), srcComp, bits, width,
                                           uint32_t(pixels));
    for (uint64_t y = 0; y < height; ++y)
        if (CLxPicMemAPI::CopyComponent(dst + y * dstRow, dstComps, uint32_t(dstRow), dstComp,
                                        src + y * srcRow, srcComps, uint32_t(srcRow), srcComp,
                                        bits, width, width) != 0)
            return -9;
    return 0;
}

CLxStringW Text(const char16_t* text)
{
    return text ? CLxStringW(text) : CLxStringW();
}

} // namespace

CJp2OutputFile::CJp2OutputFile(ILxOutputImageFile* writer, CJp2InputFile* source,
                               SLxOutputReplacement replacement)
    : m_writer(writer), m_source(source), m_replacement(std::move(replacement))
{
    CLxPicBufAPI::Init(&m_work);
    m_writer->AddRef();
    m_source->AddRef();
}

CJp2OutputFile::~CJp2OutputFile()
{
    CLxPicBufAPI::Free(&m_work);
}

uint32_t CJp2OutputFile::Release()
{
    if (m_writer && m_replacement.Active() && !m_bFrameWritten) {
        // Nothing to put in the old file's place: it stays as it was.
        m_writer->Abort();
        m_writer->Release();
        m_writer = nullptr;
        LX_AbandonOutputReplacement(m_replacement);
    }
    if (m_writer) {
        SLxExperiment* experiment = nullptr;
        if (m_source->Reader() && m_source->Reader()->GetExperiment(&experiment) == 0 &&
            experiment)
            m_writer->SetExperiment(*experiment, nullptr);
        SLxExperiment::FreeRecursive(experiment);
        const int closed = m_writer->Close();
        m_writer->Release();
        m_writer = nullptr;
        // A document that did not close stays under its temporary name
        // with the frames it holds; the old file is kept.
        if (closed == 0)
            LX_CommitOutputReplacement(m_replacement);
    }
    m_source->Release();
    delete this;
    return 0;
}

uint32_t CJp2OutputFile::Channels() const
{
    const uint32_t cc = m_source->ChannelCount();
    return cc ? cc : 1;
}

uint32_t CJp2OutputFile::GetImageCount()
{
    return m_source->GetImageCount();
}

uint32_t CJp2OutputFile::GetSeqIndex(uint32_t* coordinates)
{
    return m_source->GetSeqIndex(coordinates);
}

bool CJp2OutputFile::SetImageInfo(uint32_t width, uint32_t height, uint32_t bits)
{
    CLxMetaInputFile* reader = m_source->Reader();
    SLxImageAttributes a{};
    if (!m_writer || !reader || reader->GetAttributes(a) != 0)
        return false;
    if (width == 0 || height == 0 || bits == 0 || bits > kMaxBits || a.uiComp == 0)
        return false;
    const uint64_t row = uint64_t(SampleBytes(bits)) * a.uiComp * width;
    const uint64_t padded = LX_FrameRowBytes(SampleBytes(bits), a.uiComp, width);
    if (padded > UINT32_MAX)
        return false;
    a.uiHeight = height;
    a.uiBpcSignificant = uint8_t(bits);
    a.uiBpcInMemory = uint8_t(SampleBytes(bits) * 8);
    a.uiWidth = width;
    // The caller's rows; the writer steps by padded ones.
    a.uiWidthBytes = uint32_t(row);
    SLxImageAttributes forWriter = a;
    forWriter.uiWidthBytes = uint32_t(padded);
    // The writer counts the frames it is given: a QX2 writer then stores
    // the attributes with the first frame, so that a document whose writer
    // never closed it still opens with the frames it holds.
    forWriter.uiSequenceCount = 0;
    m_bInfoSet = false;
    const int rc = m_writer->SetImageAttributes(forWriter);
    m_writer->SetCalibration(0, 0.0, 1.0, true, CLxStringW());
    if (rc != 0)
        return false;
    m_attributes = a;
    m_qwWriterRow = padded;
    CLxPicBufAPI::Free(&m_work);
    CLxPicBufAPI::Init(&m_work);
    m_uiGathered = UINT32_MAX;
    m_bInfoSet = true;
    return true;
}

void CJp2OutputFile::Prepare(uint32_t f)
{
    if (f == m_uiPrepared)
        return;
    CLxMetaInputFile* reader = m_source->Reader();
    if (!reader || reader->GetFrameMetadata(f, m_metadata, nullptr) != 0)
        m_metadata.SetToDefault();
    m_uiPrepared = f;
}

SLxPicturePlaneDesc* CJp2OutputFile::PlaneOf(uint32_t seq)
{
    Prepare(seq / Channels());
    SLxPicturePlanes& planes = m_metadata.sPicturePlanes;
    const uint32_t p = seq % Channels();
    return p < planes.uiCount && planes.sPlane ? &planes.sPlane[p] : nullptr;
}

int CJp2OutputFile::WriteFrame(uint32_t f, const uint8_t* rows, uint64_t rowBytes)
{
    const int rc = m_writer->SetImageMetadata(f, m_metadata, 0);
    (void)rc; // the frame's data decides, as the metadata of a frame is optional
    if (rowBytes == m_qwWriterRow)
        return Written(m_writer->SetImageData(f, rows, nullptr, nullptr));
    const uint64_t frameBytes = m_qwWriterRow * m_attributes.uiHeight;
    try {
        m_padded.assign(size_t(frameBytes), 0);
    } catch (const std::bad_alloc&) {
        return -3;
    }
    for (uint64_t y = 0; y < m_attributes.uiHeight; ++y)
        std::memcpy(&m_padded[size_t(y * m_qwWriterRow)], rows + y * rowBytes, size_t(rowBytes));
    return Written(m_writer->SetImageData(f, m_padded.data(), nullptr, nullptr));
}

int CJp2OutputFile::Written(int status)
{
    m_bFrameWritten = m_bFrameWritten || status == 0;
    return status;
}

bool CJp2OutputFile::WriteImage(uint32_t seq, const void* buffer)
{
    if (!m_writer || !m_bInfoSet || !buffer || seq >= m_source->GetImageCount())
        return false;
    const uint32_t f = seq / Channels();
    Prepare(f);
    const auto* pixels = static_cast<const uint8_t*>(buffer);
    if (Channels() == 1)
        return WriteFrame(f, pixels, m_attributes.uiWidthBytes) == 0;
    return WriteChannel(seq, f, pixels);
}

bool CJp2OutputFile::WriteChannel(uint32_t seq, uint32_t f, const uint8_t* buffer)
{
    const SLxImageAttributes& a = m_attributes;
    const uint32_t p = seq % Channels();
    // The channel's components among the frame's, as the input side hands
    // them out; one component p when the frame does not describe them.
    const SLxPicturePlanes& planes = m_metadata.sPicturePlanes;
    uint64_t first = p;
    uint32_t count = 1;
    if (p < planes.uiCount && planes.sPlane && planes.sPlane[p].uiCompCount) {
        first = 0;
        for (uint32_t i = 0; i < p; ++i)
            first += planes.sPlane[i].uiCompCount;
        count = planes.sPlane[p].uiCompCount;
    }
    if (first + count > a.uiComp)
        return false;
    if (!m_work.pData &&
        CLxPicBufAPI::Reinit(&m_work, a.uiWidth, a.uiHeight, uint32_t(m_qwWriterRow),
                             a.uiBpcSignificant, a.uiComp, true) != 0)
        return false;
    // A frame never takes channels of another: one left incomplete is
    // dropped, which this write reports.
    const bool dropped = m_uiGathered != UINT32_MAX && m_uiGathered != f;
    if (m_uiGathered != f) {
        try {
            m_arrived.assign(Channels(), false);
        } catch (const std::bad_alloc&) {
            m_uiGathered = UINT32_MAX;
            return false;
        }
        CLxPicBufAPI::Clear(&m_work);
        m_uiGathered = f;
        m_uiMissing = Channels();
    }
    const uint32_t bits = a.uiBpcInMemory;
    const uint64_t callerRow = uint64_t(a.uiBpcInMemory / 8) * count * a.uiWidth;
    auto* work = static_cast<uint8_t*>(m_work.pData);
    for (uint32_t k = 0; k < count; ++k)
        if (CopyFrameComponent(work, a.uiComp, m_work.uiWidthBytes, uint32_t(first) + k, buffer,
                               count, callerRow, k, bits, a.uiWidth, a.uiHeight) != 0) {
            m_uiGathered = UINT32_MAX;
            return false;
        }
    if (!m_arrived[p]) {
        m_arrived[p] = true;
        --m_uiMissing;
    }
    if (m_uiMissing != 0)
        return !dropped;
    m_uiGathered = UINT32_MAX;
    return WriteFrame(f, work, m_work.uiWidthBytes) == 0 && !dropped;
}

bool CJp2OutputFile::SetTime(uint32_t seq, double time)
{
    Prepare(seq / Channels());
    m_metadata.dTimeMSec = time;
    return true;
}

bool CJp2OutputFile::SetPosition(uint32_t seq, double x, double y, double z)
{
    Prepare(seq / Channels());
    m_metadata.dXPos = x;
    m_metadata.dYPos = y;
    m_metadata.dZPos = z;
    return true;
}

bool CJp2OutputFile::SetWavelength(uint32_t seq, double wavelength, const char16_t* name,
                                   uint8_t r, uint8_t g, uint8_t b)
{
    SLxPicturePlaneDesc* plane = PlaneOf(seq);
    if (!plane)
        return false;
    // Whole nanometres; what no wavelength can be becomes 0.
    const double nm = std::trunc(wavelength);
    const uint32_t emission = nm >= 0.0 && nm <= double(UINT32_MAX) ? uint32_t(nm) : 0;
    const uint32_t color = uint32_t(b) << 16 | uint32_t(g) << 8 | r;
    plane->pFluorescentProbe = CLxFluorescentProbe(Text(name), color, 0u, emission);
    return true;
}

bool CJp2OutputFile::SetCalibration(uint32_t seq, double calibration, double aspect)
{
    Prepare(seq / Channels());
    m_metadata.dCalibration = calibration;
    m_metadata.dAspect = aspect;
    return true;
}

bool CJp2OutputFile::SetObjective(uint32_t seq, const char16_t* name, double magnification,
                                  double numericalAperture, double refractiveIndex)
{
    Prepare(seq / Channels());
    m_metadata.wsObjectiveName = Text(name);
    m_metadata.dObjectiveMag = magnification;
    m_metadata.dObjectiveNA = numericalAperture;
    m_metadata.dRefractIndex1 = refractiveIndex;
    m_metadata.dRefractIndex2 = refractiveIndex;
    return true;
}

bool CJp2OutputFile::SetModality(uint32_t seq, uint32_t modality)
{
    SLxPicturePlaneDesc* plane = PlaneOf(seq);
    if (!plane)
        return false;
    plane->eModality = SLxPicturePlaneDesc::EModality(modality);
    return true;
}

extern "C" LX_EXPORT IJp2OutputFile* CreateJp2OutputFile(const char16_t* path,
                                                         IJp2InputFile* source)
{
    // The output reads its source's document reader: only our own inputs.
    auto* input = dynamic_cast<CJp2InputFile*>(source);
    if (!path || !input || !input->Reader())
        return nullptr;
    SLxOutputReplacement replacement;
    ILxOutputImageFile* writer = LX_OpenOutputWriter(path, input->File(), replacement);
    if (!writer)
        return nullptr;
    auto* made = new (std::nothrow) CJp2OutputFile(writer, input, replacement);
    if (!made) {
        writer->AddRef();
        writer->Abort();
        writer->Release();
        LX_AbandonOutputReplacement(replacement);
        return nullptr;
    }
    return made;
}
