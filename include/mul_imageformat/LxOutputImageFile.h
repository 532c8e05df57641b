// A writer of one document, whatever its format. SetImageAttributes comes
// before frame data and the binary layer; Close ends the document.
#pragma once

#include <cstdint>

#include "gnr_system/string/LxStringFwd.h"

class CLxVariant;
class ILxImageFormat;
class ILxImageUnknownData;
class ILxInputImageFile;
struct SLxExperiment;
struct SLxExperimentRecord;
struct SLxImageAttributes;
struct SLxImageTextInfo;
struct SLxPictureMetadata;

// Progress of an encoding: the fraction done (0 to 1) and the caller's
// context; returns true to cancel.
typedef bool (*LX_PFN_PROGRESS)(double fraction, void* context);

class ILxOutputImageFile
{
  public:
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;
    // Writes what is pending and finishes the file; a second call returns 0.
    virtual int Close() = 0;
    virtual int Abort() = 0;
    virtual int DiscardLastFrames(uint32_t count) = 0;
    virtual ILxImageFormat* GetImageFormat() = 0;
    virtual int SetImageMetadata(uint32_t seq, const SLxPictureMetadata& metadata,
                                 uint32_t reserved) = 0;
    // foreignItems: JPEG 2000 takes it as a CLxVariant* list of foreign
    // experiment items ("vUnknownData", may be null); QX2 ignores it.
    virtual int SetExperiment(const SLxExperiment& experiment, const CLxVariant* foreignItems) = 0;
    virtual int SetEvents(const SLxExperimentRecord& events, uint32_t reserved) = 0;
    virtual int Unsupported10(uint32_t) = 0; // -1506
    virtual int SetImageBinary(const uint8_t* binary) = 0;
    virtual int SetImageAttributes(const SLxImageAttributes& attributes) = 0;
    virtual int SetCalibration(uint32_t seq, double calibration, double aspect, bool valid,
                               const CLxStringW& objective) = 0;
    virtual int SetAcqTime(double time) = 0;
    virtual int SetReportObjectsSeq(uint32_t seq, const CLxStringW& objects) = 0;
    virtual int SetReportObjects(const CLxStringW& objects) = 0;
    virtual int SetTextInfo(const SLxImageTextInfo& textInfo) = 0;
    virtual int Unsupported18(uint32_t) = 0; // -2
    // One frame, rows at the attributes' uiWidthBytes (see SLxImageAttributes).
    virtual int SetImageDataFirst(const void* buffer, LX_PFN_PROGRESS progress,
                                  void* context) = 0;
    virtual int SetImageData(uint32_t seq, const void* buffer, LX_PFN_PROGRESS progress,
                             void* context) = 0;
    // Tiles in raster order (JPEG 2000; QX2 -2), rows padded to 4 bytes.
    virtual int SetImageTileFirst(int32_t tileX, int32_t tileY, const void* buffer,
                                  LX_PFN_PROGRESS progress, void* context) = 0;
    virtual int SetImageTile(uint32_t seq, int32_t tileX, int32_t tileY, const void* buffer,
                             LX_PFN_PROGRESS progress, void* context) = 0;
    // The foreign items to copy into the new file; the keeper must come from
    // a reader of the same format.
    virtual int SetUnknownData(ILxImageUnknownData* keeper) = 0;
    virtual int SetCustomData(const char16_t* name, const void* data, uint32_t size) = 0;
    virtual int SetCustomDataSeq(const char16_t* name, uint32_t seq, const void* data,
                                 uint32_t size) = 0;
    virtual int SetCustomDataVar(const char16_t* name, const CLxVariant& data) = 0;
    virtual int SetCustomDataVarSeq(const char16_t* name, uint32_t seq,
                                    const CLxVariant& data) = 0;
    // A reader over the file being written, sharing its open file and map.
    virtual int CreateInputFile(uint32_t seq, ILxInputImageFile** reader, uintptr_t extra) = 0;
    virtual ~ILxOutputImageFile() = default;
};
