// The writer of JPEG 2000 documents: one "jp2c" box per frame (or per
// virtual component of a frame whose component count is neither 1 nor 3),
// then at Close the own metadata boxes and, for more than one codestream or
// custom data, the box map.
//
// Frame buffers are interleaved, rows the attributes' uiWidthBytes apart
// (CalcWidthBytes(width, bits in memory, components, 4), the one stride of
// the reader, when it is 0); tiles always have rows padded to 4 bytes.
// Memory sample N - 1 - c becomes codestream component c. No operation
// throws.
//
// A writer that wrote no frame closes into the existing file: its own and
// foreign boxes stay unless set again. The file is held with an exclusive
// flock from its opening to the end of Close or Abort and emptied only
// under it. Made by a format whose id is "QXIM", the writer also appends
// each record's text to "<file>.endmeta" as it is set.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_system/LxByteArray.h"
#include "gnr_system/LxRefCount.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxOutputImageFile.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_write_lock.h"

class ILxImageUnknownData;
class jp2_file_target;
class jp2_encoder;
class jp2_byte_sink;
struct SLxJ2KEncodeSettings;

class CLxJP2OutputFile : public ILxOutputImageFile
{
  public:
    CLxJP2OutputFile(ILxImageFormat* format, const CLxStringW& path);
    CLxJP2OutputFile(ILxImageFormat* format, CLxByteArray* target);
    ~CLxJP2OutputFile() override;

    uint32_t AddRef() override;
    uint32_t Release() override;
    int Close() override;
    int Abort() override;
    int DiscardLastFrames(uint32_t count) override;
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
    int SetImageDataFirst(const void* buffer, LX_PFN_PROGRESS progress, void* context) override
    {
        return SetImageData(0, buffer, progress, context);
    }
    int SetImageData(uint32_t seq, const void* buffer, LX_PFN_PROGRESS progress,
                     void* context) override;
    int SetImageTileFirst(int32_t tileX, int32_t tileY, const void* buffer,
                          LX_PFN_PROGRESS progress, void* context) override
    {
        return SetImageTile(0, tileX, tileY, buffer, progress, context);
    }
    int SetImageTile(uint32_t seq, int32_t tileX, int32_t tileY, const void* buffer,
                     LX_PFN_PROGRESS progress, void* context) override;
    int SetUnknownData(ILxImageUnknownData* keeper) override;
    int SetCustomData(const char16_t* name, const void* data, uint32_t size) override;
    int SetCustomDataSeq(const char16_t* name, uint32_t seq, const void* data,
                         uint32_t size) override;
    int SetCustomDataVar(const char16_t* name, const CLxVariant& data) override;
    int SetCustomDataVarSeq(const char16_t* name, uint32_t seq, const CLxVariant& data) override;
    int CreateInputFile(uint32_t seq, ILxInputImageFile** reader, uintptr_t extra) override;

    // Rate rules shared with the format class: types 0 and 2 get 0.0, any
    // other becomes 1 with the rate held in [0.000001, 1.0].
    static void AdjustCompression(int32_t& type, double& parameter);
    // The frame buffer stride of these attributes.
    static uint32_t FrameStride(const SLxImageAttributes& attributes);

    const SLxImageAttributes& Attributes() const { return m_attributes; }
    uint32_t VirtualComponents() const { return m_virtualComponents; }

  private:
    bool ValidAttributes() const;
    SLxJ2KEncodeSettings Settings(uint32_t components) const;
    int Sequence(uint32_t seq, bool tile);
    void StartCodestream(uint32_t components);
    void NextCodestream(uint32_t components);
    int Encode(const uint8_t* buffer, size_t pitch, LX_PFN_PROGRESS progress, void* context,
               bool wholeFrame);
    bool TilesRemain() const;
    int WriteMetadata();
    int MergeFile();
    void AppendSideText(const CLxStringA& text) const;
    CLxStringA FrameMetadataText(uint32_t seq) const;

    // Where an own box goes in the tail that Close writes: boxes are written
    // in slot order (rank, then name, then frame index).
    struct Slot {
        int rank;
        CLxStringW name;
        uint32_t index;
        bool operator<(const Slot& o) const
        {
            if (rank != o.rank)
                return rank < o.rank;
            if (name != o.name)
                return name < o.name;
            return index < o.index;
        }
    };
    struct OwnBox {
        uint32_t type, code;
        std::vector<uint8_t> bytes;
    };
    void AddForeignItems(std::map<Slot, OwnBox>& tail) const;
    // Every own box Close writes, in order.
    std::map<Slot, OwnBox> BuildTail() const;
    static Slot SlotOf(uint32_t code, uint32_t index = 0, const CLxStringW& name = CLxStringW());

    CLxRefCount m_refs{0};
    ILxImageFormat* m_format = nullptr;
    CLxStringW m_path;
    CLxStringW m_sidePath; // set in side-file mode
    CLxByteArray* m_memory = nullptr;
    SLxImageAttributes m_attributes{};
    uint32_t m_virtualComponents = 1;
    uint32_t m_currentSequenceIdx = 0;
    bool m_clean = true;
    std::unique_ptr<jp2_file_target> m_target;
    std::unique_ptr<jp2_encoder> m_encoder;
    std::unique_ptr<jp2_byte_sink> m_sink;
    uint32_t m_codestreams = 0;  // codestream boxes begun in the target
    bool m_frameStarted = false; // the current frame has codestream bytes
    bool m_resume = false;       // frames were cut off: the next goes on at the cut
    bool m_wroteFile = false;    // this writer made the file (Abort removes only that)
    SLxJP2PositionsInfo* m_map = nullptr;
    jp2_write_lock m_lock; // from opening the file to the end of Close or Abort

    // Metadata kept until Close.
    struct Calibration {
        bool set = false;
        double calibration = 0.0, aspect = 1.0;
        bool valid = false;
        CLxStringW objective;
    };
    std::vector<Calibration> m_calibrations;
    bool m_reportObjectsSet = false;
    CLxStringW m_reportObjects;
    std::map<uint32_t, CLxStringW> m_reportObjectsSeq;
    bool m_experimentSet = false;
    CLxStringA m_experiment, m_experimentOld; // box texts, built when set
    bool m_eventsSet = false;
    CLxStringA m_events;
    std::map<uint32_t, SLxPictureMetadata> m_pictureMetadata;
    bool m_textInfoSet = false;
    CLxStringW m_textInfo[14];
    std::vector<uint8_t> m_binaryLayer;
    std::map<CLxStringW, CLxStringA> m_customVariant; // box texts, built when set
    std::map<std::pair<CLxStringW, uint32_t>, CLxStringA> m_customVariantSeq;
    std::map<CLxStringW, std::vector<uint8_t>> m_customBinary;
    std::map<std::pair<CLxStringW, uint32_t>, std::vector<uint8_t>> m_customBinarySeq;
    // Boxes of the file being re-closed, written back unless set again.
    std::map<Slot, OwnBox> m_kept;
    ILxImageUnknownData* m_unknown = nullptr; // foreign boxes to copy, one reference
};
