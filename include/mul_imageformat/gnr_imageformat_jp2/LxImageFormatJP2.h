// The JPEG 2000 file format: its format class, made by class name
// ("CLxImageFormatJP2") through the class registry, and the two factories
// that the document reader calls for JPEG 2000 files.
#pragma once

#include "gnr_system/LxInterface.h"
#include "mul_imageformat/LxImageFormat.h"
#include "w32_system/LxExport.h"

class ILxInputImageFile;
class ILxOutputImageFile;

class LX_EXPORT CLxImageFormatJP2 : public ILxImageFormat, public CLxClass
{
  public:
    CLxImageFormatJP2() = default;
    ~CLxImageFormatJP2() override = default;

    CLxClass* GetClass() override { return this; }
    CLxClassInfo* GetCLxClassInfo() override;
    // Answers only "ILxImageFormat" (with one more reference).
    ILxInterface* QueryInterface(const char* interfaceName) override;

    int GetID(CLxStringA& id) override;
    int GetDescription(CLxStringW& description) override;
    int GetExtensions(CLxStringW& extensions) override;
    int GetOptions() override { return 0; }
    int Unsupported6(uint32_t, uint32_t) override { return -1506; }
    int Unsupported7(uint32_t) override { return -1506; }
    int Unsupported8(uint32_t) override { return -1506; }
    uint32_t GetCompressionCount() override { return 6; }
    int GetCompression(uint32_t index, CLxStringW& name, uint32_t& type,
                       double& parameter) override;
    int CheckPixelFormat(uint32_t pixelFormat) override;
    int CheckBits(uint32_t width, uint32_t height, uint8_t bitsPerComponent,
                  uint32_t components) override;
    int AdjustBits(uint32_t* width, uint32_t* height, uint8_t* bitsPerComponent,
                   uint32_t* components) override;
    int CheckAttributes(const SLxImageAttributes* attributes) override;
    // Bits to 8 or 16, the frame stride CalcWidthBytes(w, bits, comps, 4),
    // the compression held to what the writer stores.
    int AdjustAttributes(SLxImageAttributes* attributes) override;
    int CreateOutputImageFile(CLxByteArray* memory, ILxOutputImageFile** writer) override;
    int CreateOutputImageFile(CLxStringW fileName, ILxOutputImageFile** writer) override;
    // JPEG 2000 files are always written anew.
    int CreateOutputImageFileAppend(CLxByteArray* memory, ILxOutputImageFile** writer) override
    {
        return CreateOutputImageFile(memory, writer);
    }
    int CreateOutputImageFileAppend(CLxStringW fileName, ILxOutputImageFile** writer) override;
    int Unsupported20(uint32_t, uint32_t, uint32_t) override { return -2; }
    int CreateInputImageFile(CLxByteArray* memory, ILxInputImageFile** reader) override;
    int CreateInputImageFile(CLxStringW fileName, ILxInputImageFile** reader) override;
    int MakeThumbnail(void* dst, uint32_t dstW, uint32_t dstH, uint32_t dstStride, uint32_t W,
                      uint32_t H, uint32_t X0, uint32_t Y0, const void* src, uint32_t srcW,
                      uint32_t srcH, uint32_t srcStride, uint32_t components, uint32_t bits,
                      uint32_t FW, uint32_t FH) override;
    int CopyFile(const char16_t* source, const char16_t* target, bool failIfExists,
                 const std::atomic<int>* keepGoing, LX_PFN_ASYNC_COPY completion,
                 uintptr_t userWord) override;
    int MoveFile(const char16_t* source, const char16_t* target, bool failIfExists,
                 const std::atomic<int>* keepGoing, LX_PFN_ASYNC_COPY completion,
                 uintptr_t userWord) override;
    int RemoveFile(const char16_t* fileName, bool strict) override;
    int GetFileSize(const char16_t* fileName, uint64_t* size) override;
    int GetMaxTileSize(uint32_t, uint32_t, uint32_t* width, uint32_t* height) override;

    static CLxClassInfo sm_classCLxImageFormatJP2;
};

extern "C" LX_EXPORT ILxInterface* LX_ConstructorForCLxImageFormatJP2(const char* file,
                                                                      unsigned line);

// A reader (writer) of the file with a reference count of 0 (the caller
// adds the first), pointing to the factory's own format object; null on any
// failure. Nothing is thrown.
LX_EXPORT ILxInputImageFile* LX_CreateJp2InputFile(const char16_t* path);
LX_EXPORT ILxOutputImageFile* LX_CreateJp2OutputFile(const char16_t* path);
