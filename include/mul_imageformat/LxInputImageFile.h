// A reader of one document, whatever its format. "seq" is the 0-based
// sequence index of a frame. Out-records are filled by the reader; an item
// that the file lacks leaves its out-record as it was. No operation throws.
#pragma once

#include <cstdint>

#include "gnr_system/string/LxStringFwd.h"

class CLxByteArray;
class CLxVariant;
class ILxImageFormat;
class ILxImageUnknownData;
struct SLxExperiment;
struct SLxExperimentRecord;
struct SLxImageAttributes;
struct SLxImageTextInfo;
struct SLxPictureMetadata;

class ILxInputImageFile
{
  public:
    // A new reader starts at 0 and is handed out after one AddRef; at 0 the
    // reader destroys itself.
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;
    // The format that made the reader, with a reference for the caller.
    virtual ILxImageFormat* GetImageFormat() = 0;
    virtual int GetImageMetadata(uint32_t seq, SLxPictureMetadata& metadata, uint32_t reserved) = 0;
    virtual int GetExperiment(SLxExperiment& experiment, uint32_t reserved) = 0;
    virtual int GetEvents(SLxExperimentRecord& events, uint32_t reserved) = 0;
    virtual int Unsupported7(uint32_t) = 0; // -1506
    // The binary layer into `binary`, sized by the caller from the attributes.
    virtual int GetImageBinary(uint8_t* binary) = 0;
    virtual int GetImageInfo(uint32_t& width, uint32_t& height, uint32_t& bitsPerComponent,
                             uint32_t& components) = 0;
    virtual int CheckPixelFormat(uint32_t pixelFormat) = 0;
    virtual int GetImageAttributes(SLxImageAttributes& attributes) = 0;
    virtual int GetCalibration(uint32_t seq, double& calibration, double& aspect,
                               CLxStringW& objective) = 0;
    virtual int GetAcqTime(double& time) = 0;
    virtual int GetReportObjectsSeq(uint32_t seq, CLxStringW& objects) = 0;
    virtual int GetReportObjects(CLxStringW& objects) = 0;
    virtual int GetTextInfo(SLxImageTextInfo& textInfo) = 0;
    virtual int Unsupported17(uint32_t) = 0; // -2
    // Fits (width, height) to the document's aspect unless keepSize; with a
    // null destination only fits. Else renders the preview frame in true
    // colour, 3 bytes a pixel, rows padded to 4 bytes.
    virtual int GetPreviewImage(uint32_t& width, uint32_t& height, uint8_t* destination,
                                bool keepSize, uint32_t reserved1, uint32_t reserved2) = 0;
    virtual int GetImageDataFirst(void* buffer, uint32_t extra1, uint32_t extra2) = 0;
    // Frame seq, decompressed, into the caller's frame buffer.
    virtual int GetImageData(uint32_t seq, void* buffer, uint32_t extra1, uint32_t extra2) = 0;
    // One tile of a frame scaled to width x height (JPEG 2000; QX2 -2).
    virtual int GetImageRegionFirst(uint32_t tileX, uint32_t tileY, uint32_t width,
                                    uint32_t height, void* buffer, uint32_t extra1,
                                    uint32_t extra2) = 0;
    virtual int GetImageRegion(uint32_t seq, uint32_t tileX, uint32_t tileY, uint32_t width,
                               uint32_t height, void* buffer, uint32_t extra1,
                               uint32_t extra2) = 0;
    // The rectangle (x, y, width, height) of the frame scaled to
    // viewWidth x viewHeight (JPEG 2000; QX2 -2).
    virtual int GetImageRegionScaled(uint32_t seq, uint32_t viewWidth, uint32_t viewHeight,
                                     uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                                     void* buffer, uint32_t extra1, uint32_t extra2) = 0;
    // The keeper of the items the reader did not understand, with a
    // reference for the caller.
    virtual int GetUnknownData(ILxImageUnknownData** keeper) = 0;
    virtual int Unsupported25(uint32_t, uint32_t) = 0; // -2
    // Component `component` of every pixel of frame seq into component 0 of
    // the destination, whose layout the last two values give.
    virtual int GetImageDataComponent(uint32_t seq, uint32_t component, void* destination,
                                      uint32_t destinationWidthBytes,
                                      uint32_t destinationComponents) = 0;
    virtual int GetCustomData(const char16_t* name, CLxByteArray& data) = 0;
    virtual int GetCustomDataSeq(const char16_t* name, uint32_t seq, CLxByteArray& data) = 0;
    virtual int GetCustomDataVar(const char16_t* name, CLxVariant& data) = 0;
    virtual int GetCustomDataVarSeq(const char16_t* name, uint32_t seq, CLxVariant& data) = 0;
    virtual ~ILxInputImageFile() = default;
};
