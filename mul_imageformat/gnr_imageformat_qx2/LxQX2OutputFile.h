// The QX2 writer: CLxQX2OutputFile_V02 writes every new file ("Ver2.1"),
// CLxQX2OutputFile_V01 adds to files of "Ver1.0". One writer with the
// version as its policy: version 1.0 stores picture metadata and
// calibration per frame, frame chunks without a time header, no time cache,
// no space reservation, and always recomputes the row size.
//
// Each setter writes its chunk at once; the attributes, the time cache and
// the kept foreign chunks are written at Close, which then writes the map.
// The chunk layer holds the file's write lock from open to Close.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gnr_system/LxByteArray.h"
#include "gnr_system/LxRefCount.h"
#include "gnr_system/string/LxString.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxOutputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2FrameEncoder.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2XmlChunk.h"

// The disk space a version 2.1 writer reserves for frameCount frames of
// these attributes: their raw bytes rounded up to 4096, at least 40,960,000.
uint64_t LX_QX2ReservationSize(const SLxImageAttributes& attributes, uint64_t frameCount);

class CLxQX2OutputFile : public ILxOutputImageFile
{
  public:
    uint32_t AddRef() override;
    uint32_t Release() override;
    int Close() override;
    int Abort() override { return 0; }
    int DiscardLastFrames(uint32_t) override { return 0; }
    ILxImageFormat* GetImageFormat() override;
    int SetImageMetadata(uint32_t seq, const SLxPictureMetadata& metadata,
                         uint32_t reserved) override;
    int SetExperiment(const SLxExperiment& experiment, const CLxVariant* foreignItems) override;
    int SetEvents(const SLxExperimentRecord& events, uint32_t reserved) override;
    int Unsupported10(uint32_t) override { return -1506; }
    int SetImageBinary(const uint8_t* binary) override;
    int SetImageAttributes(const SLxImageAttributes& attributes) override;
    int SetCalibration(uint32_t seq, double calibration, double aspect, bool valid,
                       const CLxStringW& objective) override;
    int SetAcqTime(double time) override;
    int SetReportObjectsSeq(uint32_t seq, const CLxStringW& objects) override;
    int SetReportObjects(const CLxStringW& objects) override;
    int SetTextInfo(const SLxImageTextInfo& textInfo) override;
    int Unsupported18(uint32_t) override { return -2; }
    int SetImageDataFirst(const void* buffer, LX_PFN_PROGRESS progress, void* context) override;
    int SetImageData(uint32_t seq, const void* buffer, LX_PFN_PROGRESS progress,
                     void* context) override;
    int SetImageTileFirst(int32_t, int32_t, const void*, LX_PFN_PROGRESS, void*) override
    {
        return -2;
    }
    int SetImageTile(uint32_t, int32_t, int32_t, const void*, LX_PFN_PROGRESS, void*) override
    {
        return -2;
    }
    int SetUnknownData(ILxImageUnknownData* keeper) override;
    int SetCustomData(const char16_t* name, const void* data, uint32_t size) override;
    int SetCustomDataSeq(const char16_t* name, uint32_t seq, const void* data,
                         uint32_t size) override;
    int SetCustomDataVar(const char16_t* name, const CLxVariant& data) override;
    int SetCustomDataVarSeq(const char16_t* name, uint32_t seq, const CLxVariant& data) override;
    int CreateInputFile(uint32_t seq, ILxInputImageFile** reader, uintptr_t extra) override;
    ~CLxQX2OutputFile() override;

    // Adding to a version 2.1 file: its stored time cache is kept as the
    // start of this writer's, so Close does not drop earlier frames' times.
    void KeepStoredTimes();

    bool IsVersion1() const { return m_bVersion1; }
    // The disk space SetExperiment asked the chunk layer to reserve (0: none).
    uint64_t GetReservedSize() const { return m_qwReserved; }

  protected:
    // Takes over a chunker opened for writing.
    CLxQX2OutputFile(ILxImageFormat* format, const CLxStringW& fileName,
                     std::unique_ptr<CLxFileChunker> chunker, bool version1);

  private:
    int WriteAttributes();
    int WriteXml(const char* name, const CLxVariant& v);
    int WriteText(const char* name, const CLxStringW& text);
    int WriteCustom(const CLxStringA& name, const void* data, uint32_t size);
    int CustomName(int kind, const char16_t* name, uint32_t seq, CLxStringA& out);
    void WriteForeignChunks();

    int SetFrameTime(uint32_t seq, double time, int state);
    int GetFrameTime(uint32_t seq, double* time);
    int MarkFrameWritten(uint32_t seq);
    // The time cache as stored: one little-endian double per frame.
    CLxByteArray TimesBytes() const;

    CLxRefCount m_refCount{0};
    ILxImageFormat* m_pFileFormat;
    CLxStringW m_fileName;
    std::unique_ptr<CLxFileChunker> m_fileChunker;
    CLxQX2Serializer m_serializer;
    ILxImageUnknownData* m_pUnknownData = nullptr;
    bool m_bClosed = false;
    std::vector<double> m_times;   // ms per sequence index, -1.0 unknown
    std::vector<uint8_t> m_states; // 0 no time, 1 time set, 2 time set and frame written
    SLxImageAttributes m_attributes{};
    // The stride of the caller's frame buffers, as declared: the attributes
    // chunk replaces m_attributes' with the stored one.
    uint32_t m_callerStride = 0;
    // Whether an attributes chunk precedes this writer's first frame.
    bool m_bAttributesAhead = false;
    bool m_bMetadataWritten = false;
    uint64_t m_qwExpectedFrames = 0;
    uint64_t m_qwReserved = 0;
    CLxQX2FrameEncoder m_encoder;
    const bool m_bVersion1;
};

class CLxQX2OutputFile_V02 : public CLxQX2OutputFile
{
  public:
    CLxQX2OutputFile_V02(ILxImageFormat* format, const CLxStringW& fileName,
                         std::unique_ptr<CLxFileChunker> chunker)
        : CLxQX2OutputFile(format, fileName, std::move(chunker), false)
    {
    }
};

class CLxQX2OutputFile_V01 : public CLxQX2OutputFile
{
  public:
    CLxQX2OutputFile_V01(ILxImageFormat* format, const CLxStringW& fileName,
                         std::unique_ptr<CLxFileChunker> chunker)
        : CLxQX2OutputFile(format, fileName, std::move(chunker), true)
    {
    }
};
