// The SDK's output document over one format writer, shaped as its source
// input document.
#pragma once

#include <cstdint>
#include <vector>

#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_vu2ziz/LxJp2OutputFile.h"
#include "gnr_vu2ziz/LxOutputReplacement.h"
#include "mul_imageformat/LxImageAttributes.h"

class CJp2InputFile;
class ILxOutputImageFile;

class CJp2OutputFile final : public IJp2OutputFile
{
  public:
    // Takes one reference on the writer (made with count 0) and on the
    // source. With an active replacement the writer writes its temporary
    // file, which Release puts in the target's place once a frame is in it
    // and removes otherwise.
    CJp2OutputFile(ILxOutputImageFile* writer, CJp2InputFile* source,
                   SLxOutputReplacement replacement = SLxOutputReplacement());
    virtual ~CJp2OutputFile();
    CJp2OutputFile(const CJp2OutputFile&) = delete;
    CJp2OutputFile& operator=(const CJp2OutputFile&) = delete;

    // The record as SetImageInfo made it (unpadded rows); the writer is
    // given the same with padded rows.
    const SLxImageAttributes& Attributes() const { return m_attributes; }

    uint32_t Release() override;
    uint32_t GetImageCount() override;
    uint32_t GetSeqIndex(uint32_t* coordinates) override;
    bool SetImageInfo(uint32_t width, uint32_t height, uint32_t bits) override;
    bool WriteImage(uint32_t seq, const void* buffer) override;
    bool SetTime(uint32_t seq, double time) override;
    bool SetPosition(uint32_t seq, double x, double y, double z) override;
    bool SetWavelength(uint32_t seq, double wavelength, const char16_t* name, uint8_t r,
                       uint8_t g, uint8_t b) override;
    bool SetCalibration(uint32_t seq, double calibration, double aspect) override;
    bool SetObjective(uint32_t seq, const char16_t* name, double magnification,
                      double numericalAperture, double refractiveIndex) override;
    bool SetModality(uint32_t seq, uint32_t modality) override;

  private:
    uint32_t Channels() const;
    // The metadata record holds frame f (edits of another frame dropped).
    void Prepare(uint32_t f);
    // The plane of seq in the prepared record, or null.
    SLxPicturePlaneDesc* PlaneOf(uint32_t seq);
    // Unpadded caller rows into the writer's padded ones.
    int WriteFrame(uint32_t f, const uint8_t* rows, uint64_t rowBytes);
    // Notes a frame the writer took; the status unchanged.
    int Written(int status);
    bool WriteChannel(uint32_t seq, uint32_t f, const uint8_t* buffer);

    ILxOutputImageFile* m_writer;
    CJp2InputFile* m_source;
    SLxImageAttributes m_attributes{};
    bool m_bInfoSet = false;
    uint64_t m_qwWriterRow = 0; // padded to 4
    SLxPictureMetadata m_metadata;
    uint32_t m_uiPrepared = UINT32_MAX;
    SLxPicBuf m_work{}; // a frame being gathered channel by channel
    uint32_t m_uiGathered = UINT32_MAX; // the frame in m_work, none
    std::vector<bool> m_arrived;        // its channels given so far
    uint32_t m_uiMissing = 0;
    std::vector<uint8_t> m_padded; // one frame in the writer's rows
    SLxOutputReplacement m_replacement;
    bool m_bFrameWritten = false;
};
