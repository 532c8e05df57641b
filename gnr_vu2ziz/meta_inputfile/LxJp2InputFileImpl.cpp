#include "gnr_vu2ziz/meta_inputfile/LxJp2InputFileImpl.h"

#include <cmath>
#include <new>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/gnr_imageformat_jp2/LxImageFormatJP2.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxImageFormatQX2.h"

namespace
{

constexpr int kFail = -9;
constexpr uint32_t kSpectral = SLxExperiment::eEtSpect;

// Loop types as the interface reports them.
uint32_t ReportedLoopType(uint32_t experimentType)
{
    switch (experimentType) {
    case SLxExperiment::eEtTime:
    case SLxExperiment::eEtNETime:
    case 9:
        return 1;
    case SLxExperiment::eEtZStack:
        return 2;
    case SLxExperiment::eEtSpect:
        return 3;
    case SLxExperiment::eEtXYPos:
    case SLxExperiment::eEtXYDiscr:
        return 4;
    default:
        return 0;
    }
}

// Copies like wcsncpy: at most length units, the rest of the buffer
// zeroed, no terminator when the text fills it.
void CopyName(char16_t* dst, uint32_t length, const CLxStringW& text)
{
    const char16_t* src = text.GetString();
    uint32_t i = 0;
    for (; i < length && src && src[i]; ++i)
        dst[i] = src[i];
    for (; i < length; ++i)
        dst[i] = 0;
}

// The plane of seq in the frame's metadata, or null.
const SLxPicturePlaneDesc* PlaneOf(const SLxPictureMetadata& md, uint32_t plane)
{
    const SLxPicturePlanes& planes = md.sPicturePlanes;
    return plane < planes.uiCount && planes.sPlane ? &planes.sPlane[plane] : nullptr;
}

} // namespace

CJp2InputFile::~CJp2InputFile()
{
    delete m_pReader;
}

int CJp2InputFile::Open(const char16_t* path)
{
    if (!path || !*path)
        return kFail;
    ILxInputImageFile* file = LX_CreateQx2InputFile(path);
    if (!file)
        file = LX_CreateJp2InputFile(path);
    if (!file)
        return kFail;
    // Readers are made with count 0: hold one while the reader opens.
    file->AddRef();
    const int rc = OpenFile(file);
    file->Release();
    if (rc == 0)
        m_file = LX_FileIdentity(path);
    return rc;
}

int CJp2InputFile::OpenFile(ILxInputImageFile* file)
{
    if (!file)
        return kFail;
    if (!m_pReader && !(m_pReader = new (std::nothrow) CLxMetaInputFile))
        return kFail;
    m_uiMetadataFrame = UINT32_MAX;
    int rc = m_pReader->Open(file);
    if (rc != 0)
        return rc;
    if (m_pReader->GetLoopCount() == 0)
        return kFail;

    SLxExperiment* experiment = nullptr;
    if (m_pReader->GetExperiment(&experiment) != 0)
        return 0;
    SLxExperiment* superset = nullptr;
    rc = CLxExperimentAPI::GetSupersetSpectExp(experiment, &superset);
    SLxExperiment::FreeRecursive(experiment);
    if (rc == 0 && superset) {
        m_uiChannels = CLxExperimentAPI::GetLoopSize(superset);
        SLxExperiment::FreeRecursive(superset);
        for (uint32_t loop = 0; loop < m_pReader->GetLoopCount(); ++loop) {
            uint32_t type = 0;
            if (m_pReader->GetLoopType(loop, &type) == 0 && type == kSpectral) {
                m_uiSpectralLoop = loop;
                break;
            }
        }
    } else {
        SLxPictureMetadata md;
        if (m_pReader->GetCurrentFrameMetadata(md, nullptr) == 0)
            m_uiChannels = md.sPicturePlanes.uiCount;
    }
    // Never a document of no channels.
    if (m_uiChannels == 0)
        m_uiChannels = 1;
    return 0;
}

uint32_t CJp2InputFile::AddRef()
{
    return m_uiRefs.Increment();
}

uint32_t CJp2InputFile::Release()
{
    uint32_t left = 0;
    if (m_uiRefs.Decrement(&left) && left == 0)
        delete this;
    return left;
}

uint32_t CJp2InputFile::GetImageCount()
{
    const uint32_t n = GetLoopCount();
    if (n == 0)
        return 0;
    uint32_t last = 0;
    m_pReader->GetLoopType(n - 1, &last);
    uint64_t count = 1;
    for (uint32_t loop = 0; loop < n; ++loop) {
        uint32_t size = 0;
        if (loop == n - 1 && last == kSpectral)
            continue;
        if (m_pReader->GetLoopSize(loop, &size) == 0)
            count *= size;
        if (count > UINT32_MAX)
            return UINT32_MAX;
    }
    if (last == kSpectral)
        count *= m_uiChannels;
    return count > UINT32_MAX ? UINT32_MAX : uint32_t(count);
}

uint32_t CJp2InputFile::GetLoopCount()
{
    return m_pReader ? m_pReader->GetLoopCount() : 0;
}

uint32_t CJp2InputFile::GetLoopType(uint32_t loop)
{
    uint32_t type = 0;
    if (loop >= GetLoopCount() || m_pReader->GetLoopType(loop, &type) != 0)
        return 0;
    return ReportedLoopType(type);
}

uint32_t CJp2InputFile::GetLoopSize(uint32_t loop)
{
    uint32_t type = 0;
    if (loop >= GetLoopCount() || m_pReader->GetLoopType(loop, &type) != 0)
        return 0;
    if (type == kSpectral)
        return m_uiChannels;
    uint32_t size = 0;
    return m_pReader->GetLoopSize(loop, &size) == 0 ? size : 0;
}

uint32_t CJp2InputFile::GetSeqIndex(uint32_t* coordinates)
{
    if (!m_pReader || !coordinates || GetLoopCount() == 0)
        return 0;
    const bool spectral = m_uiSpectralLoop < GetLoopCount();
    uint32_t channel = 0;
    if (spectral) {
        channel = coordinates[m_uiSpectralLoop];
        if (channel >= m_uiChannels)
            return 0;
        coordinates[m_uiSpectralLoop] = 0;
    }
    uint32_t frame = 0;
    const int rc = m_pReader->FrameIndexOf(coordinates, &frame);
    if (spectral)
        coordinates[m_uiSpectralLoop] = channel;
    if (rc != 0)
        return 0;
    if (m_uiChannels < 2 || !spectral)
        return frame;
    const uint64_t seq = uint64_t(channel) + uint64_t(m_uiChannels) * frame;
    return seq > UINT32_MAX ? 0 : uint32_t(seq);
}

bool CJp2InputFile::IsImage(uint32_t seq)
{
    return m_pReader && seq < GetImageCount();
}

const SLxPictureMetadata* CJp2InputFile::FrameMetadata(uint32_t seq)
{
    if (!IsImage(seq))
        return nullptr;
    const uint32_t frame = seq / m_uiChannels;
    if (frame != m_uiMetadataFrame) {
        m_uiMetadataFrame = UINT32_MAX;
        if (m_pReader->GetFrameMetadata(frame, m_frameMetadata, nullptr) != 0)
            return nullptr;
        m_uiMetadataFrame = frame;
    }
    return &m_frameMetadata;
}

bool CJp2InputFile::ImageComponents(uint32_t seq, const SLxPictureMetadata& md,
                                    uint32_t frameComponents, uint32_t* first, uint32_t* count)
{
    const uint32_t p = seq % m_uiChannels;
    const SLxPicturePlaneDesc* plane = PlaneOf(md, p);
    uint64_t start = 0;
    uint64_t n = frameComponents;
    if (plane) {
        for (uint32_t i = 0; i < p; ++i)
            start += md.sPicturePlanes.sPlane[i].uiCompCount;
        n = plane->uiCompCount;
    }
    // Exactly the components the frame holds: never more bytes than
    // GetImageInfo reports, never a channel the frame lacks.
    if (n == 0 || start + n > frameComponents)
        return false;
    *first = uint32_t(start);
    *count = uint32_t(n);
    return true;
}

bool CJp2InputFile::GetImageInfo(uint32_t seq, uint32_t* width, uint32_t* widthBytes,
                                 uint32_t* height, uint32_t* components, uint32_t* bits)
{
    if (!width || !widthBytes || !height || !components || !bits || !IsImage(seq))
        return false;
    // The shape the document was opened with: the one its frames are held in.
    const SLxMetaInputFileEntry* e = m_pReader->Entry();
    const SLxPictureMetadata* md = e ? FrameMetadata(seq) : nullptr;
    uint32_t first = 0, count = 0;
    if (!md || !ImageComponents(seq, *md, e->uiComp, &first, &count))
        return false;
    const uint64_t rowBytes = LX_FrameRowBytes(e->uiSampleBytes, count, e->uiWidth);
    if (rowBytes > UINT32_MAX)
        return false;
    *width = e->uiWidth;
    *height = e->uiHeight;
    *bits = e->uiBits;
    *components = count;
    *widthBytes = uint32_t(rowBytes);
    return true;
}

bool CJp2InputFile::GetImage(uint32_t seq, void* dst)
{
    if (!dst || !IsImage(seq))
        return false;
    const SLxMetaInputFileEntry* e = m_pReader->Entry();
    const SLxPictureMetadata* md = e ? FrameMetadata(seq) : nullptr;
    uint32_t first = 0, count = 0;
    if (!md || !ImageComponents(seq, *md, e->uiComp, &first, &count))
        return false;
    if (m_pReader->SeekFrame(seq / m_uiChannels) != 0)
        return false;
    if (first == 0 && count == e->uiComp)
        return m_pReader->ReadFrame(dst) == 0;
    return m_pReader->ReadFrameComponents(first, count, dst) == 0;
}

bool CJp2InputFile::GetTime(uint32_t seq, double* time)
{
    const SLxPictureMetadata* md = nullptr;
    if (!time || !(md = FrameMetadata(seq)))
        return false;
    *time = md->dTimeMSec;
    return true;
}

bool CJp2InputFile::GetPosition(uint32_t seq, double* x, double* y, double* z)
{
    const SLxPictureMetadata* md = nullptr;
    if (!x || !y || !z || !(md = FrameMetadata(seq)))
        return false;
    *x = md->dXPos;
    *y = md->dYPos;
    *z = md->dZPos;
    return true;
}

bool CJp2InputFile::GetWavelength(uint32_t seq, double* wavelength, char16_t* name,
                                  uint32_t nameLength, uint8_t* r, uint8_t* g, uint8_t* b)
{
    const SLxPictureMetadata* md = nullptr;
    if (!wavelength || (!name && nameLength) || !r || !g || !b || !(md = FrameMetadata(seq)))
        return false;
    const SLxPicturePlaneDesc* plane = PlaneOf(*md, seq % m_uiChannels);
    if (!plane)
        return false;
    double w = plane->pFluorescentProbe.GetEmissionWavelength();
    if (w == 0.0 || std::isnan(w))
        w = plane->pFilterPath.GetMeanEmissionWavelength();
    *wavelength = w;
    CopyName(name, nameLength, plane->sDescription);
    *r = uint8_t(plane->uiColor);
    *g = uint8_t(plane->uiColor >> 8);
    *b = uint8_t(plane->uiColor >> 16);
    return true;
}

bool CJp2InputFile::GetCalibration(uint32_t seq, double* calibration, double* aspect)
{
    const SLxPictureMetadata* md = nullptr;
    if (!calibration || !aspect || !(md = FrameMetadata(seq)))
        return false;
    *calibration = md->bCalibrated ? md->dCalibration : 0.0;
    *aspect = md->bCalibrated ? md->dAspect : 0.0;
    return true;
}

bool CJp2InputFile::GetObjective(uint32_t seq, char16_t* name, uint32_t nameLength,
                                 double* magnification, double* numericalAperture,
                                 double* refractiveIndex)
{
    const SLxPictureMetadata* md = nullptr;
    if ((!name && nameLength) || !magnification || !numericalAperture || !refractiveIndex ||
        !(md = FrameMetadata(seq)))
        return false;
    CopyName(name, nameLength, md->wsObjectiveName);
    *magnification = md->dObjectiveMag;
    *numericalAperture = md->dObjectiveNA;
    *refractiveIndex = md->dRefractIndex1;
    return true;
}

bool CJp2InputFile::GetModality(uint32_t seq, uint32_t* modality)
{
    const SLxPictureMetadata* md = nullptr;
    if (!modality || !(md = FrameMetadata(seq)))
        return false;
    const SLxPicturePlaneDesc* plane = PlaneOf(*md, seq % m_uiChannels);
    if (!plane)
        return false;
    const uint32_t m = plane->eModality;
    *modality = m <= 4 ? m : m <= 10 ? 5 : 0;
    return true;
}

extern "C" LX_EXPORT IJp2InputFile* CreateJp2InputFile(const char16_t* path)
{
    auto* made = new (std::nothrow) CJp2InputFile;
    if (!made)
        return nullptr;
    if (made->Open(path) != 0) {
        made->Release();
        return nullptr;
    }
    return made;
}
