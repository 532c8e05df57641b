#include "gnr_vu2ziz/meta_inputfile/LxMetaInputFile.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_system/LxByteArray.h"
#include "gnr_system/variant/LxVariant.h"
#include "gnr_vu2ziz/meta_inputfile/LxChannelMerge.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

constexpr int kBadArgument = -4;
constexpr int kNoMemory = -3;
constexpr int kFail = -9;
constexpr int kNotFound = -13;
constexpr double kUnknownTime = -1.0;

// The level `steps` children down from the root, following the positions
// (null positions: the first child); the last level reached when a level
// has no children. The levels inside the periods of a non-equidistant time
// loop are its children too.
template <typename Level>
Level* LevelAlongPath(Level* root, uint32_t steps, const uint32_t* positions)
{
    Level* level = root;
    for (uint32_t d = 0; level && d < steps; ++d) {
        if (level->uiNextLevelCount == 0 && !lx_experiment::IsBranchedNETime(*level))
            break;
        level = CLxExperimentAPI::GetNextLevelExperiment(level, positions ? positions[d] : 0);
    }
    return level;
}

} // namespace

uint32_t LX_FrameSampleBytes(const SLxImageAttributes& a)
{
    const uint32_t bits = a.uiBpcInMemory ? a.uiBpcInMemory : a.uiBpcSignificant;
    return bits <= 8 ? 1 : bits <= 16 ? 2 : 4;
}

uint64_t LX_FrameRowBytes(uint32_t sampleBytes, uint32_t components, uint32_t width)
{
    return (uint64_t(sampleBytes) * components * width + 3) / 4 * 4;
}

SLxMetaInputFileEntry::~SLxMetaInputFileEntry()
{
    frames.ForEachMade([](lx_frame_cache::FrameSlot& slot) { lx_frame_cache::Discard(slot); });
    SLxPicturePlanes::Free(spectPlanes);
    SLxExperiment::FreeRecursive(pExperiment);
}

CLxMetaInputFile::~CLxMetaInputFile()
{
    Close();
}

int CLxMetaInputFile::Close()
{
    m_entry.reset();
    if (m_pFile) {
        m_pFile->Release();
        m_pFile = nullptr;
    }
    return 0;
}

ILxInputImageFile* CLxMetaInputFile::GetFile()
{
    if (m_pFile)
        m_pFile->AddRef();
    return m_pFile;
}

int CLxMetaInputFile::Open(ILxInputImageFile* file)
{
    Close();
    if (!file)
        return 0;
    SLxImageAttributes attributes{};
    int rc = file->GetImageAttributes(attributes);
    if (rc != 0)
        return rc;
    SLxExperiment stored;
    SLxExperiment built;
    SLxExperiment frames;
    const SLxExperiment* experiment = &stored;
    // A tree whose root is no loop (as the repair of a file whose writer
    // never closed it leaves) holds no more than a file without one.
    if (file->GetExperiment(stored, 0) != 0 || stored.eType == SLxExperiment::eEtUnknown) {
        // A file without experiment: one spectral loop of frame 0's planes,
        // or of one plane of all the file's components when it has none.
        SLxPictureMetadata frame0;
        rc = file->GetImageMetadata(0, frame0, 0);
        if (rc != 0)
            return rc;
        const SLxPicturePlanes& planes = frame0.sPicturePlanes;
        const bool hasPlanes = planes.uiCount && planes.sPlane;
        const uint32_t count = hasPlanes ? planes.uiCount : 1;
        if (SLxExperiment::Init(built, SLxExperiment::eEtSpect, false, count, 0, 0) != 0)
            return kNoMemory;
        SLxPicturePlaneDesc* items = built.uLoopPars.sSpectLoop.pPlaneDesc;
        if (hasPlanes)
            SLxPicturePlaneDesc::CopyArray(items, planes.sPlane, count);
        else
            items[0].uiCompCount = attributes.uiComp ? attributes.uiComp : 1;
        experiment = &built;
        // Several frames, or none (a writer stopped before its first
        // finished): a loop over them above the channels, so that every
        // frame can be reached and none is shown that does not exist.
        if (attributes.uiSequenceCount != 1) {
            SLxExperiment* channels = nullptr;
            if (SLxExperiment::Init(frames, SLxExperiment::eEtTime, false,
                                    attributes.uiSequenceCount, 0, 1) != 0 ||
                SLxExperiment::Duplicate(&channels, built, true) != 0)
                return kNoMemory;
            frames.ppNextLevelEx[0] = channels;
            experiment = &frames;
        }
    }
    m_pFile = file;
    rc = AddEntry(attributes, *experiment);
    if (rc != 0) {
        m_entry.reset();
        m_pFile = nullptr;
        return rc;
    }
    file->AddRef();
    return 0;
}

int CLxMetaInputFile::AddEntry(const SLxImageAttributes& a, const SLxExperiment& experiment)
{
    if (!LX_IsCompleteImageAttributes(a))
        return kFail;
    auto entry = std::unique_ptr<SLxMetaInputFileEntry>(new (std::nothrow) SLxMetaInputFileEntry);
    if (!entry)
        return kNoMemory;
    SLxMetaInputFileEntry& e = *entry;
    e.bFileBacked = true;
    e.uiFrameCount = a.uiSequenceCount;
    e.uiWidth = a.uiWidth;
    e.uiHeight = a.uiHeight;
    e.uiBits = a.uiBpcSignificant;
    e.uiComp = a.uiComp;
    e.uiSampleBytes = LX_FrameSampleBytes(a);
    e.qwRowBytes = LX_FrameRowBytes(e.uiSampleBytes, e.uiComp, e.uiWidth);
    e.qwFrameBytes = e.qwRowBytes * e.uiHeight;
    // A file that reports no row size delivers the frame layout.
    e.qwFileRowBytes = a.uiWidthBytes ? a.uiWidthBytes : e.qwRowBytes;
    if (e.qwFileRowBytes < uint64_t(e.uiSampleBytes) * e.uiComp * e.uiWidth)
        return kFail;

    if (SLxExperiment::Duplicate(&e.pExperiment, experiment, true) != 0)
        return kNoMemory;
    e.uiLoopCount = CLxExperimentAPI::GetExperimentCount(e.pExperiment);
    try {
        e.positions.assign(e.uiLoopCount, 0);
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
    uint32_t current = 0;
    if (lx_experiment::CalcIdxFromPos(e.pExperiment, e.positions.data(), e.uiLoopCount, &current,
                                      e.frameMemo) == 0)
        e.uiCurrentFrame = current;

    // Times of the frames, when the file keeps them; the others are read
    // from each frame's metadata on first use.
    e.acqTimes.Reset(e.uiFrameCount, kUnknownTime);
    e.frames.Reset(e.uiFrameCount, nullptr);
    CLxByteArray times;
    if (m_pFile->GetCustomData(LX_CUSTOM_ACQ_TIMES_CACHE, times) == 0 &&
        uint64_t(times.GetSize()) == uint64_t(e.uiFrameCount) * sizeof(double)) {
        const uint8_t* bytes = times.GetData();
        for (uint32_t f = 0; f < e.uiFrameCount; ++f) {
            uint64_t bits = 0;
            for (int k = 7; k >= 0; --k)
                bits = bits << 8 | bytes[size_t(f) * 8 + size_t(k)];
            double t;
            std::memcpy(&t, &bits, sizeof t);
            double* slot = e.acqTimes.At(f);
            if (!slot)
                return kNoMemory;
            *slot = t;
        }
    }
    m_entry = std::move(entry);
    return 0;
}

int CLxMetaInputFile::GetAttributes(SLxImageAttributes& attributes)
{
    if (m_pFile)
        return m_pFile->GetImageAttributes(attributes);
    if (!m_entry)
        return kFail;
    const SLxMetaInputFileEntry& e = *m_entry;
    attributes = SLxImageAttributes{};
    attributes.uiWidth = attributes.uiTileWidth = e.uiWidth;
    attributes.uiHeight = attributes.uiTileHeight = e.uiHeight;
    attributes.uiWidthBytes = uint32_t(e.qwRowBytes);
    attributes.uiComp = e.uiComp;
    attributes.uiBpcSignificant = uint8_t(e.uiBits);
    attributes.uiBpcInMemory = uint8_t(e.uiSampleBytes * 8);
    attributes.uiSequenceCount = e.uiFrameCount;
    attributes.uiVirtualComponents = 1;
    attributes.eCompression = LX_COMPRESSION_NONE;
    attributes.dCompressionParam = 1.0;
    return 0;
}

int CLxMetaInputFile::GetExperiment(SLxExperiment** experiment)
{
    if (!experiment)
        return kBadArgument;
    *experiment = nullptr;
    if (!m_entry || !m_entry->pExperiment) {
        LX_DIAG_ASSERT_TEXT(u"pExperiment == NULL", nullptr);
        return kFail;
    }
    return SLxExperiment::Duplicate(experiment, *m_entry->pExperiment, true);
}

uint32_t CLxMetaInputFile::GetLoopCount() const
{
    return m_entry ? m_entry->uiLoopCount : 0;
}

int CLxMetaInputFile::GetLoopType(uint32_t loop, uint32_t* type) const
{
    if (!type)
        return kBadArgument;
    const SLxExperiment* level =
        m_entry ? LevelAlongPath<const SLxExperiment>(m_entry->pExperiment, loop, nullptr) : nullptr;
    if (!level)
        return kNotFound;
    *type = level->eType;
    return 0;
}

int CLxMetaInputFile::GetLoopSize(uint32_t loop, uint32_t* size) const
{
    if (!size)
        return kBadArgument;
    *size = 0;
    if (!m_entry)
        return kNotFound;
    const SLxMetaInputFileEntry& e = *m_entry;
    const uint32_t steps = loop < e.uiLoopCount ? loop : e.uiLoopCount;
    const SLxExperiment* level = e.pExperiment;
    for (uint32_t d = 0; level && d < steps; ++d)
        level = CLxExperimentAPI::GetNextLevelExperiment(level, e.positions[d]);
    if (!level)
        return kNotFound;
    *size = lx_experiment::Clamp32(lx_experiment::LoopSize64(level, e.frameMemo));
    return 0;
}

int CLxMetaInputFile::FrameIndexOf(const uint32_t* positions, uint32_t* frame) const
{
    if (!m_entry || !positions || !frame)
        return kBadArgument;
    return lx_experiment::CalcIdxFromPos(m_entry->pExperiment, positions, m_entry->uiLoopCount,
                                         frame, m_entry->frameMemo);
}

int CLxMetaInputFile::SeekFrame(uint32_t frame)
{
    if (!m_entry || frame >= m_entry->uiFrameCount)
        return kBadArgument;
    SLxMetaInputFileEntry& e = *m_entry;
    std::vector<uint32_t> positions;
    try {
        positions.assign(e.uiLoopCount ? e.uiLoopCount : 1, 0);
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
    uint32_t count = uint32_t(positions.size());
    if (lx_experiment::CalcPosFromIdx(e.pExperiment, frame, positions.data(), &count,
                                      e.frameMemo) != 0)
        return kFail;
    std::copy(positions.begin(), positions.begin() + e.uiLoopCount, e.positions.begin());
    e.uiCurrentFrame = frame;
    return 0;
}

uint32_t CLxMetaInputFile::CurrentFrame() const
{
    return m_entry ? m_entry->uiCurrentFrame : 0;
}

template <typename Copy>
int CLxMetaInputFile::WithFrame(uint32_t f, Copy copy)
{
    if (!m_entry || f >= m_entry->uiFrameCount)
        return kFail;
    lx_frame_cache::FrameSlot* slot = m_entry->frames.At(f);
    if (!slot)
        return kNoMemory;
    lx_frame_cache::SLxFrameItem* item = lx_frame_cache::PinCached(*slot);
    if (!item) {
        if (!m_pFile || !m_entry->bFileBacked)
            return kFail;
        item = lx_frame_cache::AllocatePinned(*slot, m_entry->qwFrameBytes);
        if (!item)
            return kNoMemory;
        const int rc = LoadFrame(f, lx_frame_cache::Data(item));
        if (rc != 0) {
            // Never kept: a later read tries the file again.
            lx_frame_cache::Unpin(item);
            lx_frame_cache::Discard(*slot);
            return rc;
        }
    }
    const int rc = copy(lx_frame_cache::Data(item));
    lx_frame_cache::Unpin(item);
    return rc;
}

int CLxMetaInputFile::LoadFrame(uint32_t f, uint8_t* dst)
{
    SLxMetaInputFileEntry& e = *m_entry;
    if (!e.bChannelMergeTold) {
        e.bChannelMerge = e.bChannelMerge && e.uiComp != 1 &&
                          !CLxExperimentAPI::HasSameLambdaChannels(e.pExperiment);
        e.bChannelMergeTold = true;
    }
    if (e.bChannelMerge) {
        bool readDirect = false;
        const int rc = LX_MergeChannels(e, m_pFile, f, dst, &readDirect);
        if (rc != 0 || !readDirect)
            return rc == 0 ? 0 : kFail;
        return ReadFrameDirect(f, dst);
    }
    e.bChannelMerge = false;
    return ReadFrameDirect(f, dst);
}

int CLxMetaInputFile::ReadFrameDirect(uint32_t f, uint8_t* dst)
{
    const SLxMetaInputFileEntry& e = *m_entry;
    const uint64_t pixels = uint64_t(e.uiSampleBytes) * e.uiComp * e.uiWidth;
    if (e.qwFileRowBytes == e.qwRowBytes) {
        if (m_pFile->GetImageData(f, dst, 0, 0) != 0)
            return kFail;
        // Readers may leave the padding as they found it.
        if (pixels != e.qwRowBytes)
            for (uint64_t y = 0; y < e.uiHeight; ++y)
                std::memset(dst + y * e.qwRowBytes + pixels, 0, size_t(e.qwRowBytes - pixels));
        return 0;
    }
    // The file's rows differ from the frame layout: read them aside and
    // copy them row by row, padding zeroed.
    const uint64_t scratchBytes = e.qwFileRowBytes * e.uiHeight;
    auto* scratch = static_cast<uint8_t*>(std::malloc(size_t(scratchBytes ? scratchBytes : 1)));
    if (!scratch)
        return kNoMemory;
    const int rc = m_pFile->GetImageData(f, scratch, 0, 0) == 0 ? 0 : kFail;
    if (rc == 0)
        for (uint64_t y = 0; y < e.uiHeight; ++y) {
            uint8_t* row = dst + y * e.qwRowBytes;
            std::memcpy(row, scratch + y * e.qwFileRowBytes, size_t(pixels));
            std::memset(row + pixels, 0, size_t(e.qwRowBytes - pixels));
        }
    std::free(scratch);
    return rc;
}

int CLxMetaInputFile::ReadFrame(void* dst)
{
    if (!dst)
        return kBadArgument;
    const uint64_t bytes = m_entry ? m_entry->qwFrameBytes : 0;
    const int rc = WithFrame(CurrentFrame(), [&](const uint8_t* data) {
        std::memcpy(dst, data, size_t(bytes));
        return 0;
    });
    return rc == kBadArgument ? rc : rc ? kFail : 0;
}

int CLxMetaInputFile::ReadFrameComponents(uint32_t first, uint32_t count, void* dst)
{
    if (!dst || !m_entry || count == 0 || first >= m_entry->uiComp ||
        count > m_entry->uiComp - first)
        return kBadArgument;
    const SLxMetaInputFileEntry& e = *m_entry;
    const uint64_t dstRow = LX_FrameRowBytes(e.uiSampleBytes, count, e.uiWidth);
    const uint32_t bits = e.uiSampleBytes * 8;
    if (e.qwRowBytes > UINT32_MAX || dstRow > UINT32_MAX)
        return kFail;
    const int rc = WithFrame(e.uiCurrentFrame, [&](const uint8_t* data) {
        auto* out = static_cast<uint8_t*>(dst);
        const uint64_t pixels = uint64_t(e.uiSampleBytes) * count * e.uiWidth;
        // Row by row: a frame may hold more than 2^32 pixels.
        for (uint64_t y = 0; y < e.uiHeight; ++y) {
            uint8_t* row = out + y * dstRow;
            const uint8_t* src = data + y * e.qwRowBytes;
            for (uint32_t k = 0; k < count; ++k)
                if (CLxPicMemAPI::CopyComponent(row, count, uint32_t(dstRow), k, src, e.uiComp,
                                                uint32_t(e.qwRowBytes), first + k, bits,
                                                e.uiWidth, e.uiWidth) != 0)
                    return kFail;
            std::memset(row + pixels, 0, size_t(dstRow - pixels));
        }
        return 0;
    });
    return rc ? kFail : 0;
}

int CLxMetaInputFile::GetFrameMetadata(uint32_t frame, SLxPictureMetadata& metadata,
                                       CLxVariant* extra)
{
    if (!m_entry || frame >= m_entry->uiFrameCount)
        return kFail;
    if (extra)
        extra->MakeNull();
    SLxMetaInputFileEntry& e = *m_entry;
    if (!e.baseMetadata) {
        if (!m_pFile || !e.bFileBacked)
            return kFail;
        e.baseMetadata.reset(new (std::nothrow) SLxPictureMetadata);
        if (!e.baseMetadata)
            return kNoMemory;
        m_pFile->GetImageMetadata(0, *e.baseMetadata, 0);
    }
    double* time = e.acqTimes.At(frame);
    if (!time)
        return kNoMemory;
    if (*time == kUnknownTime && m_pFile) {
        SLxPictureMetadata own;
        own.dTimeMSec = 0.0;
        m_pFile->GetImageMetadata(frame, own, 0);
        *time = own.dTimeMSec;
    }
    return MetadataFromLoops(frame, metadata);
}

int CLxMetaInputFile::GetCurrentFrameMetadata(SLxPictureMetadata& metadata, CLxVariant* extra)
{
    return GetFrameMetadata(CurrentFrame(), metadata, extra);
}

int CLxMetaInputFile::MetadataFromLoops(uint32_t f, SLxPictureMetadata& out)
{
    SLxMetaInputFileEntry& e = *m_entry;
    out = *e.baseMetadata;
    out.dTimeMSec = e.acqTimes.Peek(f);

    std::vector<uint32_t> positions;
    try {
        positions.assign(e.uiLoopCount ? e.uiLoopCount : 1, 0);
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
    uint32_t count = uint32_t(positions.size());
    if (lx_experiment::CalcPosFromIdx(e.pExperiment, f, positions.data(), &count,
                                      e.frameMemo) != 0)
        return 0; // no loop positions: frame 0's
    SLxExperiment* level = e.pExperiment;
    for (uint32_t d = 0; level && d < positions.size(); ++d) {
        const uint32_t p = positions[d];
        if (level->eType == SLxExperiment::eEtXYPos) {
            const SLxExperiment::SLxExpXYPosLoop& xy = level->uLoopPars.sXYPosLoop;
            // Positions count valid points only.
            uint32_t point = p;
            if (level->pItemValid) {
                uint32_t seen = 0;
                for (point = 0; point < xy.uiCount; ++point)
                    if (level->pItemValid[point] && seen++ == p)
                        break;
            }
            if (point < xy.uiCount && xy.dPosX && xy.dPosY) {
                out.dXPos = xy.dPosX[point];
                out.dYPos = xy.dPosY[point];
            }
        } else if (level->eType == SLxExperiment::eEtZStack) {
            SLxExperiment::SLxExpZStackLoop& z = level->uLoopPars.sZStackLoop;
            uint32_t home = 0;
            CLxExperimentAPI::GetZStackSizeMax(e.pExperiment, &home);
            if (!(z.dZStep > 0.0) && z.uiCount > 1)
                z.dZStep = std::fabs(z.dZHigh - z.dZLow) / double(z.uiCount - 1);
            out.dZPos = z.dZHome - (double(int64_t(p) - int64_t(home))) * z.dZStep;
        }
        level = CLxExperimentAPI::GetNextLevelExperiment(level, p);
    }
    return 0;
}
