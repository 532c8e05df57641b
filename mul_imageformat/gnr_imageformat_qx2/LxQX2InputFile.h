// The QX2 readers: CLxQX2InputFile_V02 for files of version 2.1 (any
// version text but "Ver1.0") and CLxQX2InputFile_V01 for "Ver1.0". Every
// operation reads the one chunk that holds its item, by name; a file whose
// chunk map cannot be read is repaired when the reader is made (in place
// when the file may be written, else in memory).
//
// What the two versions share lives in CLxQX2InputFile; each version adds
// how it finds a frame's picture metadata, the frame chunk's time header
// and its repair of an unfinished file.
#pragma once

#include <cstdint>
#include <memory>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_system/LxByteArray.h"
#include "gnr_system/LxRefCount.h"
#include "gnr_system/string/LxString.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2FrameDecoder.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2XmlChunk.h"

class CLxQX2UnknownData;
struct SLxQX2RescanContext;

class CLxQX2InputFile : public ILxInputImageFile
{
  public:
    uint32_t AddRef() override;
    uint32_t Release() override;
    ILxImageFormat* GetImageFormat() override;
    int GetExperiment(SLxExperiment& experiment, uint32_t reserved) override;
    int GetEvents(SLxExperimentRecord& events, uint32_t reserved) override;
    int Unsupported7(uint32_t) override { return -1506; }
    int GetImageBinary(uint8_t* binary) override;
    int GetImageInfo(uint32_t& width, uint32_t& height, uint32_t& bitsPerComponent,
                     uint32_t& components) override;
    int CheckPixelFormat(uint32_t pixelFormat) override;
    int GetImageAttributes(SLxImageAttributes& attributes) override;
    int GetCalibration(uint32_t seq, double& calibration, double& aspect,
                       CLxStringW& objective) override;
    int GetAcqTime(double& time) override;
    int GetReportObjectsSeq(uint32_t seq, CLxStringW& objects) override;
    int GetReportObjects(CLxStringW& objects) override;
    int GetTextInfo(SLxImageTextInfo& textInfo) override;
    int Unsupported17(uint32_t) override { return -2; }
    int GetPreviewImage(uint32_t& width, uint32_t& height, uint8_t* destination, bool keepSize,
                        uint32_t reserved1, uint32_t reserved2) override;
    int GetImageDataFirst(void* buffer, uint32_t extra1, uint32_t extra2) override;
    int GetImageData(uint32_t seq, void* buffer, uint32_t extra1, uint32_t extra2) override;
    int GetImageRegionFirst(uint32_t, uint32_t, uint32_t, uint32_t, void*, uint32_t,
                            uint32_t) override
    {
        return -2;
    }
    int GetImageRegion(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, void*, uint32_t,
                       uint32_t) override
    {
        return -2;
    }
    int GetImageRegionScaled(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                             void*, uint32_t, uint32_t) override
    {
        return -2;
    }
    int GetUnknownData(ILxImageUnknownData** keeper) override;
    int Unsupported25(uint32_t, uint32_t) override { return -2; }
    int GetImageDataComponent(uint32_t seq, uint32_t component, void* destination,
                              uint32_t destinationWidthBytes,
                              uint32_t destinationComponents) override;
    int GetCustomData(const char16_t* name, CLxByteArray& data) override;
    int GetCustomDataSeq(const char16_t* name, uint32_t seq, CLxByteArray& data) override;
    int GetCustomDataVar(const char16_t* name, CLxVariant& data) override;
    int GetCustomDataVarSeq(const char16_t* name, uint32_t seq, CLxVariant& data) override;
    ~CLxQX2InputFile() override;

  protected:
    // version1: frame chunks hold only pixels, attributes may be incomplete.
    CLxQX2InputFile(ILxImageFormat* format, const CLxStringW& fileName,
                    const CLxFileChunker& chunker, bool version1);

    // Repairs a file whose map cannot be read; 0 when there was nothing to do.
    int RepairIfNeeded();
    // A reader over a writer's file: the frame count from the highest frame
    // chunk in the map, the experiment repaired to it.
    void TakeWritersState();

    int ReadChunk(const char* name, CLxByteArray& data);
    int ReadVariant(const char* name, CLxVariant& v);
    // Any chunk of a picture metadata record into md (unchanged on failure).
    int ReadMetadata(const char* name, SLxPictureMetadata& md);
    // The stored record, compression remembered; completeness not checked.
    int ReadAttributes(SLxImageAttributes& attributes);
    // 1 + the highest frame index in the map (0 without frame chunks).
    uint32_t FrameCountFromMap();
    void RepairExperimentCopy();

    CLxRefCount m_refCount{0};
    ILxImageFormat* m_pFormat;
    CLxStringW m_fileName;
    CLxFileChunker m_chunker;
    CLxQX2Serializer m_serializer;
    uint32_t m_frameCount = 0;
    int32_t m_compression = -1;
    CLxQX2UnknownData* m_pKeeper = nullptr;
    bool m_bFromWriter = false;
    std::unique_ptr<SLxExperiment> m_pExperiment; // the copy of a writer's reader
    const bool m_bVersion1;

  private:
    int FrameLayout(SLxQX2FrameLayout* layout);
    int ReadFrameChunk(uint32_t seq, SLxQX2FrameLayout* layout);
    int ReadFrame(uint32_t seq, std::vector<uint8_t>* frame);
    // Version 2 frames start with their time.
    uint32_t FrameHeaderBytes() const { return m_bVersion1 ? 0 : 8; }

    bool m_bAttributesKnown = false;
    SLxImageAttributes m_attributes{};
    CLxQX2FrameDecoder m_decoder;
    CLxByteArray m_frameChunk;
    bool m_bLayoutKnown = false;
    SLxQX2FrameLayout m_layout{};
};

class CLxQX2InputFile_V02 : public CLxQX2InputFile
{
  public:
    // A reader over the opened chunker (a file, or a memory block with an
    // empty name), repairing the file when its map cannot be read. Count 0.
    static int Create(ILxImageFormat* format, const CLxStringW& fileName,
                      const CLxFileChunker& chunker, ILxInputImageFile** reader);
    // The reader a writer hands out: its chunker (shared file, copied map)
    // and time cache. Count 0.
    static int CreateFromWriter(ILxImageFormat* format, const CLxStringW& fileName,
                                const CLxFileChunker& writerChunker, const CLxByteArray& times,
                                CLxQX2InputFile_V02** reader);
    // The writer brings its reader up to date: frame count, times and map.
    // The experiment copy is repaired to the frame count, whose result is
    // returned.
    int RefreshFromWriter(uint32_t frameCount, const CLxByteArray& times,
                          const CLxFileChunker& writerChunker);

    // Picture metadata is stored once; each frame gets its own time from the
    // time cache.
    int GetImageMetadata(uint32_t seq, SLxPictureMetadata& metadata, uint32_t reserved) override;
    int GetCustomDataSeq(const char16_t* name, uint32_t seq, CLxByteArray& data) override;

  private:
    CLxQX2InputFile_V02(ILxImageFormat* format, const CLxStringW& fileName,
                        const CLxFileChunker& chunker);
    const CLxByteArray& Times();

    SLxPictureMetadata m_metadata;
    bool m_bMetadataLoaded = false;
    CLxByteArray m_times;     // the writer's, when it made the reader
    CLxByteArray m_fileTimes; // "CustomData|AcqTimesCache!"
    bool m_bFileTimesRead = false;
};

class CLxQX2InputFile_V01 : public CLxQX2InputFile
{
  public:
    static int Create(ILxImageFormat* format, const CLxStringW& fileName,
                      const CLxFileChunker& chunker, ILxInputImageFile** reader);
    static int CreateFromWriter(ILxImageFormat* format, const CLxStringW& fileName,
                                const CLxFileChunker& writerChunker, CLxQX2InputFile_V01** reader);

    // Each frame's own record.
    int GetImageMetadata(uint32_t seq, SLxPictureMetadata& metadata, uint32_t reserved) override;

  private:
    CLxQX2InputFile_V01(ILxImageFormat* format, const CLxStringW& fileName,
                        const CLxFileChunker& chunker);
};
