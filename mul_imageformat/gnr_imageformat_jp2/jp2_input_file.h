// The reader of JPEG 2000 documents: standard JP2 files with this system's
// own metadata boxes and box map after the codestreams, or plain JP2 files
// of any other program.
//
// Opening reads the box map (or walks the boxes), the codestream headers,
// the advanced attributes, the side file and the custom binary data; every
// other record is found and parsed on its first request and kept. A file
// left by a writer that stopped (side file, open-ended or cut last
// codestream) is repaired on open where it may be written; otherwise it is
// read as repaired in memory only.
//
// Frame f is codestream f, or codestreams f x V .. f x V + V - 1 when the
// document has V virtual components. Frame buffers are interleaved, rows
// CalcWidthBytes(width, bits in memory, components, 4) apart; codestream
// component c goes to memory sample N - 1 - c (B, G, R order), virtual
// components are not reversed. No operation throws.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_metaformats/LxValueRecords.h"
#include "gnr_system/LxByteArray.h"
#include "gnr_system/LxRefCount.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_lazy_record.h"

class CLxJP2UnknownData;
class jp2_file_source;
struct SLxJ2KArea;
struct SLxJP2OwnBox;
struct SLxJP2OwnText;

// One frame's calibration.
struct SLxJP2Calibration {
    double dCalibration = 0.0;
    double dAspect = 1.0;
    bool bValid = false;
    CLxStringW wsObjective;
};

// One parsed picture metadata record.
struct SLxJP2FrameMetadata {
    SLxPictureMetadata metadata;
    CLxVariant variant;
};

class CLxJP2InputFile : public ILxInputImageFile
{
  public:
    // Opens the file; throws CLxJP2ErrorException ("Invalid file", -9) when
    // it is not a readable JPEG 2000 document. The format may be null.
    CLxJP2InputFile(ILxImageFormat* format, const char16_t* path);
    // A document held in the caller's bytes, which must outlive the reader:
    // no box map, side file or UUID boxes.
    CLxJP2InputFile(ILxImageFormat* format, CLxByteArray* bytes);
    // The frames a writer has written so far, its records given as the own
    // boxes its Close would write. Throws as above.
    CLxJP2InputFile(ILxImageFormat* format, const char16_t* path,
                    const std::vector<SLxJP2OwnBox>& writerBoxes);
    ~CLxJP2InputFile() override;

    uint32_t AddRef() override;
    uint32_t Release() override;
    ILxImageFormat* GetImageFormat() override;
    int GetImageMetadata(uint32_t seq, SLxPictureMetadata& metadata, uint32_t reserved) override;
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
    int GetImageRegionFirst(uint32_t tileX, uint32_t tileY, uint32_t width, uint32_t height,
                            void* buffer, uint32_t extra1, uint32_t extra2) override;
    int GetImageRegion(uint32_t seq, uint32_t tileX, uint32_t tileY, uint32_t width,
                       uint32_t height, void* buffer, uint32_t extra1, uint32_t extra2) override;
    int GetImageRegionScaled(uint32_t seq, uint32_t viewWidth, uint32_t viewHeight, uint32_t x,
                             uint32_t y, uint32_t width, uint32_t height, void* buffer,
                             uint32_t extra1, uint32_t extra2) override;
    int GetUnknownData(ILxImageUnknownData** keeper) override;
    int Unsupported25(uint32_t, uint32_t) override { return -2; }
    int GetImageDataComponent(uint32_t seq, uint32_t component, void* destination,
                              uint32_t destinationWidthBytes,
                              uint32_t destinationComponents) override;
    int GetCustomData(const char16_t* name, CLxByteArray& data) override;
    int GetCustomDataSeq(const char16_t* name, uint32_t seq, CLxByteArray& data) override;
    int GetCustomDataVar(const char16_t* name, CLxVariant& data) override;
    int GetCustomDataVarSeq(const char16_t* name, uint32_t seq, CLxVariant& data) override;

    // For tests: the number of own XML boxes read after the open.
    uint32_t GetBoxesReadCount() const { return m_boxesRead; }
    // Whether the open repaired the file in place.
    bool WasRepairedInPlace() const { return m_repairedInPlace; }

  private:
    struct CustomVar {
        ELxJP2RecordState eState = eJp2RecordNotLookedUp;
        std::string sText;
        CLxVariant variant;
    };

    // Opening.
    void OpenPath();
    void OpenBytes();
    void ReadCodestreamFacts(jp2_file_source& source);
    uint32_t CountCodestreamsByWalking(bool& lastIncomplete);
    void ReadAllXmlBoxes();
    bool ReadSideFile();
    void ReadUuidBoxes();
    void ReadUuidContents(const uint8_t* id, std::vector<uint8_t>& data);
    void ReadCustomVarText(uint32_t code, const uint8_t* text, size_t size);
    void FinishFrameCount();
    void RepairOrRecord(bool sideFile, bool lastIncomplete);
    bool WriteMetadataIntoFile(uint32_t keepCodestreams);
    bool RepairExperimentRecord();
    // The AIM1 text to write back (repaired when it was).
    std::string ExperimentTextForRewrite() const;

    // Records.
    void ReadRecord(const uint8_t* text, size_t size);
    bool ReadXmlBoxAt(int entry);
    void LookUp(uint32_t code, ELxJP2RecordState& state);
    bool FindFrameRecord(uint32_t code, uint32_t seq);
    template <class T> void Grow(std::vector<CLxJP2LazyRecord<T>>& v, uint32_t index);
    int CalibrationOf(uint32_t seq, SLxJP2Calibration& out);
    int FindCustomVar(uint32_t code, const CLxStringW& name, uint32_t seq, CustomVar*& found);

    // Pixels.
    int DecodeFrame(uint32_t seq, void* buffer, uint32_t stride, uint32_t reduce,
                    const SLxJ2KArea& area, uint32_t outWidth, uint32_t outHeight);
    bool OpenCodestream(jp2_file_source& source, uint32_t index);
    uint32_t RowBytes(uint32_t width) const;
    uint32_t PreviewFrame();

    CLxRefCount m_refs{0};
    ILxImageFormat* m_format = nullptr;
    CLxStringW m_path;
    CLxByteArray* m_bytes = nullptr;

    uint32_t m_frameCount = 0;
    uint32_t m_codestreamCount = 0;
    SLxImageAttributes m_attributes{};
    uint32_t m_codestreamComponents = 0;
    uint32_t m_minLevels = 0; // wavelet levels of codestream 0
    SLxJP2PositionsInfo* m_map = nullptr;
    bool m_sideFileUsed = false;
    bool m_opening = true; // the advanced attributes may still be read
    bool m_repairedInPlace = false;
    uint32_t m_boxesRead = 0;

    CLxJP2LazyRecord<CLxVariant> m_experiment;    // AIM1
    CLxJP2LazyRecord<CLxVariant> m_experimentOld; // AIMD
    CLxJP2LazyRecord<int> m_events;               // IEVE
    CLxJP2LazyRecord<SLxImageTextInfo> m_textInfo;
    CLxJP2LazyRecord<int> m_reportObjects; // SROB
    std::vector<CLxJP2LazyRecord<SLxJP2Calibration>> m_calibrations;
    std::vector<CLxJP2LazyRecord<SLxJP2FrameMetadata>> m_metadata;
    std::vector<CLxJP2LazyRecord<int>> m_frameReports; // VROB
    int m_searchCalibration = 0;
    int m_searchMetadata = 0;
    int m_searchCustom = 0;
    int m_searchCustomSeq = 0;
    bool m_calibrationFromHeader = false;
    SLxJP2Calibration m_headerCalibration;
    std::string m_arttText;
    std::string m_acalText;

    std::map<CLxStringW, CLxByteArray> m_binary;
    std::map<std::pair<CLxStringW, uint32_t>, CLxByteArray> m_binarySeq;
    std::vector<uint8_t> m_imageBinary;
    bool m_haveImageBinary = false;
    std::map<CLxStringW, CustomVar> m_customVars;
    std::map<std::pair<CLxStringW, uint32_t>, CustomVar> m_customVarsSeq;

    CLxJP2UnknownData* m_unknown = nullptr;
};
