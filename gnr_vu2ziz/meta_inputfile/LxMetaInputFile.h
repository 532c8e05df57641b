// The document reader behind IJp2InputFile: one open image-format reader,
// the document's shape and experiment, its frames in the process-wide frame
// cache, and each frame's metadata built from frame 0's, the frame's own
// acquisition time and the stage positions of its loops.
//
// Frames are handed out in one layout whatever the file's: rows of
// sample bytes x components x width rounded up to a multiple of 4. A frame
// that cannot be read is never handed out.
//
// A reader is used by one thread at a time; readers of different documents
// may run on different threads (the frame cache locks itself).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "gnr_metaformats/LxPicturePlanes.h"
#include "gnr_vu2ziz/meta_inputfile/LxFrameCache.h"
#include "gnr_vu2ziz/meta_inputfile/LxPagedTable.h"
#include "mul_imageformat/LxImageAttributes.h"

class CLxVariant;
class ILxInputImageFile;
struct SLxExperiment;
struct SLxPictureMetadata;

// Bytes of one sample in memory: 1 up to 8 bits, 2 up to 16, 4 beyond.
uint32_t LX_FrameSampleBytes(const SLxImageAttributes& attributes);
// Row of the frame layout: sample bytes x components x width, rounded up
// to a multiple of 4 (64 bits).
uint64_t LX_FrameRowBytes(uint32_t sampleBytes, uint32_t components, uint32_t width);

// One opened document.
struct SLxMetaInputFileEntry {
    SLxMetaInputFileEntry() = default;
    // Every frame goes back to the cache; the experiment is freed.
    ~SLxMetaInputFileEntry();
    SLxMetaInputFileEntry(const SLxMetaInputFileEntry&) = delete;
    SLxMetaInputFileEntry& operator=(const SLxMetaInputFileEntry&) = delete;

    uint32_t uiFrameCount = 0;
    uint32_t uiWidth = 0;
    uint32_t uiHeight = 0;
    uint32_t uiBits = 0; // significant
    uint32_t uiComp = 0;
    uint32_t uiSampleBytes = 0;
    uint64_t qwRowBytes = 0;   // the frame layout handed out
    uint64_t qwFrameBytes = 0; // qwRowBytes x height
    uint64_t qwFileRowBytes = 0; // rows as the image file delivers them
    bool bFileBacked = false;
    // Merging channels from several frames is still to be considered.
    bool bChannelMerge = true;
    // Whether the tree's channels differ between branches, told once: the
    // tree never changes.
    bool bChannelMergeTold = false;
    // The superset planes of the tree and their status, made at the first
    // merge.
    bool bSpectPlanesMade = false;
    int iSpectPlanesStatus = 0;
    SLxPicturePlanes spectPlanes;

    CLxPagedTable<lx_frame_cache::FrameSlot> frames;
    // One time per frame, -1.0 while not known.
    CLxPagedTable<double> acqTimes;
    std::unique_ptr<SLxPictureMetadata> baseMetadata; // frame 0's

    SLxExperiment* pExperiment = nullptr; // owned copy
    // Frame counts of pExperiment's levels: the copy is never edited.
    mutable lx_experiment::CFrameMemo frameMemo;
    uint32_t uiLoopCount = 0;
    std::vector<uint32_t> positions; // one per loop
    uint32_t uiCurrentFrame = 0;
};

class CLxMetaInputFile
{
  public:
    CLxMetaInputFile() = default;
    ~CLxMetaInputFile();
    CLxMetaInputFile(const CLxMetaInputFile&) = delete;
    CLxMetaInputFile& operator=(const CLxMetaInputFile&) = delete;

    // Opens the document of file, holding one reference on it. A null file
    // leaves the reader empty (0); a file's failure is returned unchanged
    // and leaves the reader empty.
    int Open(ILxInputImageFile* file);
    // Drops the document (its frames leave the cache) and the file. 0.
    int Close();
    // The file with one added reference; null when closed.
    ILxInputImageFile* GetFile();

    int GetAttributes(SLxImageAttributes& attributes);
    // A new copy of the experiment (release with SLxExperiment::
    // FreeRecursive); -9 without one.
    int GetExperiment(SLxExperiment** experiment);
    uint32_t GetLoopCount() const;
    // The experiment type of the loop; -13 when no level is reached.
    int GetLoopType(uint32_t loop, uint32_t* type) const;
    // The loop's size at the current positions; -13 (size 0) when no level
    // is reached.
    int GetLoopSize(uint32_t loop, uint32_t* size) const;
    // Frame index of loop positions (one per loop).
    int FrameIndexOf(const uint32_t* positions, uint32_t* frame) const;
    // -4 past the last frame (the current frame stays), -9 when the
    // experiment has no positions for it.
    int SeekFrame(uint32_t frame);
    uint32_t CurrentFrame() const;
    // The current frame, whole, into dst (the frame layout); -9 when it
    // cannot be read, dst untouched.
    int ReadFrame(void* dst);
    // Components first .. first + count - 1 of the current frame into dst,
    // count components a pixel, rows of LX_FrameRowBytes; -4 for
    // components beyond the frame's, -9 when it cannot be read (dst
    // untouched either way).
    int ReadFrameComponents(uint32_t first, uint32_t count, void* dst);
    // -9 past the last frame; extra, when given, is made null.
    int GetFrameMetadata(uint32_t frame, SLxPictureMetadata& metadata, CLxVariant* extra);
    int GetCurrentFrameMetadata(SLxPictureMetadata& metadata, CLxVariant* extra);
    // The open document's shape; null when closed.
    const SLxMetaInputFileEntry* Entry() const { return m_entry.get(); }

  private:
    int AddEntry(const SLxImageAttributes& attributes, const SLxExperiment& experiment);
    // Pins frame f (loading it when it is not in the cache) and hands its
    // data to copy; a frame that fails to load leaves the cache.
    template <typename Copy>
    int WithFrame(uint32_t f, Copy copy);
    int LoadFrame(uint32_t f, uint8_t* dst);
    int ReadFrameDirect(uint32_t f, uint8_t* dst);
    int MetadataFromLoops(uint32_t f, SLxPictureMetadata& out);

    std::unique_ptr<SLxMetaInputFileEntry> m_entry;
    ILxInputImageFile* m_pFile = nullptr;
};
