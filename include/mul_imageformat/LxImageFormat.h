// A file format: one object per format, made by class name through the
// class registry, that makes the format's readers and writers and answers
// what the format can store.
#pragma once

#include <atomic>
#include <cstdint>

#include "gnr_system/LxInterface.h"
#include "gnr_system/string/LxStringFwd.h"
#include "w32_system/LxFileAPI.h"

class CLxByteArray;
class ILxInputImageFile;
class ILxOutputImageFile;
struct SLxImageAttributes;

class ILxImageFormat : public ILxInterface
{
  public:
    // ILxInterface::GetClass comes first.
    virtual int GetID(CLxStringA& id) = 0; // "QXIMX", "JPEG2000"
    virtual int GetDescription(CLxStringW& description) = 0;
    // With their dot, several joined by ';'.
    virtual int GetExtensions(CLxStringW& extensions) = 0;
    virtual int GetOptions() = 0; // 0
    virtual int Unsupported6(uint32_t, uint32_t) = 0; // -1506
    virtual int Unsupported7(uint32_t) = 0;           // -1506
    virtual int Unsupported8(uint32_t) = 0;           // -1506
    virtual uint32_t GetCompressionCount() = 0;
    // A preset: translated name, eCompression and dCompressionParam.
    virtual int GetCompression(uint32_t index, CLxStringW& name, uint32_t& type,
                               double& parameter) = 0;
    virtual int CheckPixelFormat(uint32_t pixelFormat) = 0;
    virtual int CheckBits(uint32_t width, uint32_t height, uint8_t bitsPerComponent,
                          uint32_t components) = 0;
    virtual int AdjustBits(uint32_t* width, uint32_t* height, uint8_t* bitsPerComponent,
                           uint32_t* components) = 0;
    virtual int CheckAttributes(const SLxImageAttributes* attributes) = 0;
    virtual int AdjustAttributes(SLxImageAttributes* attributes) = 0;
    // Writers into the caller's memory block or the named file.
    virtual int CreateOutputImageFile(CLxByteArray* memory, ILxOutputImageFile** writer) = 0;
    virtual int CreateOutputImageFile(CLxStringW fileName, ILxOutputImageFile** writer) = 0;
    virtual int CreateOutputImageFileAppend(CLxByteArray* memory,
                                            ILxOutputImageFile** writer) = 0;
    virtual int CreateOutputImageFileAppend(CLxStringW fileName,
                                            ILxOutputImageFile** writer) = 0;
    virtual int Unsupported20(uint32_t, uint32_t, uint32_t) = 0; // -2
    virtual int CreateInputImageFile(CLxByteArray* memory, ILxInputImageFile** reader) = 0;
    virtual int CreateInputImageFile(CLxStringW fileName, ILxInputImageFile** reader) = 0;
    virtual int MakeThumbnail(void* dst, uint32_t dstW, uint32_t dstH, uint32_t dstStride,
                              uint32_t W, uint32_t H, uint32_t X0, uint32_t Y0,
                              const void* src, uint32_t srcW, uint32_t srcH, uint32_t srcStride,
                              uint32_t components, uint32_t bits, uint32_t FW, uint32_t FH) = 0;
    virtual int CopyFile(const char16_t* source, const char16_t* target, bool failIfExists,
                         const std::atomic<int>* keepGoing, LX_PFN_ASYNC_COPY completion,
                         uintptr_t userWord) = 0;
    virtual int MoveFile(const char16_t* source, const char16_t* target, bool failIfExists,
                         const std::atomic<int>* keepGoing, LX_PFN_ASYNC_COPY completion,
                         uintptr_t userWord) = 0;
    virtual int RemoveFile(const char16_t* fileName, bool strict) = 0;
    virtual int GetFileSize(const char16_t* fileName, uint64_t* size) = 0;
    virtual int GetMaxTileSize(uint32_t reserved1, uint32_t reserved2, uint32_t* width,
                               uint32_t* height) = 0;

  protected:
    ~ILxImageFormat() = default;
};
