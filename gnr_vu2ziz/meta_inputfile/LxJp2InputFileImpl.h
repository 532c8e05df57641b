// The input document of the SDK over one document reader: SDK images are
// the channels of the stored frames (cc per frame).
#pragma once

#include <cstdint>

#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_system/LxRefCount.h"
#include "gnr_vu2ziz/LxJp2InputFile.h"
#include "gnr_vu2ziz/meta_inputfile/LxFileIdentity.h"
#include "gnr_vu2ziz/meta_inputfile/LxMetaInputFile.h"

class ILxInputImageFile;

class CJp2InputFile final : public IJp2InputFile
{
  public:
    CJp2InputFile() = default;
    virtual ~CJp2InputFile();

    // Opens path as QX2, else as JPEG 2000; -9 when neither opens it.
    int Open(const char16_t* path);
    // Opens the document of an image-format reader (count 0 or more); the
    // object takes its own reference.
    int OpenFile(ILxInputImageFile* file);
    // The reader below, for the output side and tests.
    CLxMetaInputFile* Reader() { return m_pReader; }
    uint32_t ChannelCount() const { return m_uiChannels; }
    // The file opened by path (unknown when opened from a reader).
    const SLxFileIdentity& File() const { return m_file; }

    uint32_t AddRef() override;
    uint32_t Release() override;
    uint32_t GetImageCount() override;
    uint32_t GetLoopCount() override;
    uint32_t GetLoopType(uint32_t loop) override;
    uint32_t GetLoopSize(uint32_t loop) override;
    uint32_t GetSeqIndex(uint32_t* coordinates) override;
    bool GetImageInfo(uint32_t seq, uint32_t* width, uint32_t* widthBytes, uint32_t* height,
                      uint32_t* components, uint32_t* bits) override;
    bool GetImage(uint32_t seq, void* dst) override;
    bool GetTime(uint32_t seq, double* time) override;
    bool GetPosition(uint32_t seq, double* x, double* y, double* z) override;
    bool GetWavelength(uint32_t seq, double* wavelength, char16_t* name, uint32_t nameLength,
                       uint8_t* r, uint8_t* g, uint8_t* b) override;
    bool GetCalibration(uint32_t seq, double* calibration, double* aspect) override;
    bool GetObjective(uint32_t seq, char16_t* name, uint32_t nameLength, double* magnification,
                      double* numericalAperture, double* refractiveIndex) override;
    bool GetModality(uint32_t seq, uint32_t* modality) override;

  private:
    // The metadata of seq's frame, null for a seq past the images. The last
    // frame's is kept: the getters of one image ask for it in turn.
    const SLxPictureMetadata* FrameMetadata(uint32_t seq);
    bool IsImage(uint32_t seq);
    // The components of image seq among the frame's: its plane's, or all
    // of them when the frame's metadata has no such plane.
    bool ImageComponents(uint32_t seq, const SLxPictureMetadata& md, uint32_t frameComponents,
                         uint32_t* first, uint32_t* count);

    CLxRefCount m_uiRefs{1};
    CLxMetaInputFile* m_pReader = nullptr;
    uint32_t m_uiChannels = 1;
    uint32_t m_uiSpectralLoop = UINT32_MAX; // none
    SLxFileIdentity m_file;
    SLxPictureMetadata m_frameMetadata;
    uint32_t m_uiMetadataFrame = UINT32_MAX; // none kept
};
