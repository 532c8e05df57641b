// The QX2 container's format class, registered as "CLxImageFormatQX2", and
// the two openers through which the document reader opens every document
// first: they read the file's version text and make the reader or writer
// of that version ("Ver1.0": the version 1.0 ones, any other: 2.1).
#pragma once

#include <cstdint>

#include "gnr_system/LxInterface.h"
#include "gnr_system/string/LxString.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxImageFormat.h"
#include "w32_system/LxExport.h"

class LX_EXPORT CLxImageFormatQX2 : public ILxImageFormat, public CLxClass
{
  public:
    CLxImageFormatQX2();
    ~CLxImageFormatQX2() override;

    CLxClass* GetClass() override { return this; }
    CLxClassInfo* GetCLxClassInfo() override;
    ILxInterface* QueryInterface(const char* interfaceName) override;

    int GetID(CLxStringA& id) override;
    int GetDescription(CLxStringW& description) override;
    int GetExtensions(CLxStringW& extensions) override;
    int GetOptions() override { return 0; }
    int Unsupported6(uint32_t, uint32_t) override { return -1506; }
    int Unsupported7(uint32_t) override { return -1506; }
    int Unsupported8(uint32_t) override { return -1506; }
    uint32_t GetCompressionCount() override { return 2; }
    int GetCompression(uint32_t index, CLxStringW& name, uint32_t& type,
                       double& parameter) override;
    int CheckPixelFormat(uint32_t pixelFormat) override;
    int CheckBits(uint32_t width, uint32_t height, uint8_t bitsPerComponent,
                  uint32_t components) override;
    int AdjustBits(uint32_t* width, uint32_t* height, uint8_t* bitsPerComponent,
                   uint32_t* components) override;
    int CheckAttributes(const SLxImageAttributes* attributes) override;
    // Keeps a copy of the record as given: a negative dCompressionParam
    // stops CreateInputImageFile from asking the format manager.
    int AdjustAttributes(SLxImageAttributes* attributes) override;
    int CreateOutputImageFile(CLxByteArray* memory, ILxOutputImageFile** writer) override;
    // Adds to the file when it exists, else creates it.
    int CreateOutputImageFile(CLxStringW fileName, ILxOutputImageFile** writer) override;
    int CreateOutputImageFileAppend(CLxByteArray* memory, ILxOutputImageFile** writer) override;
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
    int GetMaxTileSize(uint32_t, uint32_t, uint32_t*, uint32_t*) override { return -1506; }

    static CLxClassInfo sm_classCLxImageFormatQX2;

  private:
    int CreateOutput(const char16_t* fileName, CLxByteArray* memory, bool append,
                     ILxOutputImageFile** writer);
    int FallBack(const char16_t* fileName, CLxByteArray* memory, ILxInputImageFile** reader);

    SLxImageAttributes m_adjusted{};
};

extern "C" LX_EXPORT ILxInterface* LX_ConstructorForCLxImageFormatQX2(const char* file,
                                                                      unsigned line);

// A reader of the file (count 0: the caller adds the first reference), or
// null when it is no QX2 file or cannot be opened.
LX_EXPORT ILxInputImageFile* LX_CreateQx2InputFile(const char16_t* fileName);
// A writer of the file, new or adding to it (count 0), or null: the file
// cannot be opened, another writer holds it, or (adding) it is a file of
// another kind, which stays untouched.
LX_EXPORT ILxOutputImageFile* LX_CreateQx2OutputFile(const char16_t* fileName, bool append);
