#include "mul_imageformat/gnr_imageformat_qx2/LxImageFormatQX2.h"

#include <algorithm>

#include "gnr_system/intl/LxLocale.h"
#include "gnr_system/rtti/LxCatalogSection.h"
#include "gnr_system/rtti/LxRTTI.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/LxOutputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxImageFormatManager.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputOpener.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2OutputOpener.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxThumbnail.h"
#include "w32_system/LxFileAPI.h"
#include "w32_system/debugging/LxDiag.h"

LX_DEFINE_CONSTRUCTOR(CLxImageFormatQX2)

LX_DECLARE_CLASS(
    kQX2FormatClass,
    lx_catalog::ClassDecl("CLxImageFormatQX2").Interface("ILxImageFormat").Rank(1, "00.90.00.00"))

CLxClassInfo CLxImageFormatQX2::sm_classCLxImageFormatQX2("CLxImageFormatQX2", "ILxImageFormat",
                                                          nullptr, nullptr, nullptr, nullptr,
                                                          nullptr, nullptr, nullptr, nullptr,
                                                          int(sizeof(CLxImageFormatQX2)),
                                                          &LX_ConstructorForCLxImageFormatQX2);

namespace
{

constexpr int kBadArgument = -4;
constexpr int kFail = -9;
constexpr int kNotSupported = -1506;

struct SLxPreset {
    const char16_t* name;
    uint32_t type;
    double parameter;
};
constexpr SLxPreset kPresets[] = {{u"None", LX_COMPRESSION_NONE, 0.0},
                                  {u"Lossless", LX_COMPRESSION_LOSSLESS, 4.0}};

constexpr uint32_t kPixelFormats[] = {0, 2, 4, 5, 8, 9, 11, 12, 13, 14, 19, 20, 22};

// The openers' two format objects, made on first use, released at exit.
class CLxFormatHolder
{
  public:
    CLxFormatHolder() : m_pFormat(new (__FILE__, __LINE__) CLxImageFormatQX2()) {}
    ~CLxFormatHolder()
    {
        if (m_pFormat)
            m_pFormat->Release();
    }
    CLxImageFormatQX2* Get() { return m_pFormat; }

  private:
    CLxImageFormatQX2* m_pFormat;
};

CLxImageFormatQX2* ReadersFormat()
{
    static CLxFormatHolder holder;
    return holder.Get();
}

CLxImageFormatQX2* WritersFormat()
{
    static CLxFormatHolder holder;
    return holder.Get();
}

} // namespace

CLxImageFormatQX2::CLxImageFormatQX2()
{
    // Zeroed: dCompressionParam 0.0 lets a failing open ask the manager.
}

CLxImageFormatQX2::~CLxImageFormatQX2() = default;

CLxClassInfo* CLxImageFormatQX2::GetCLxClassInfo()
{
    return &sm_classCLxImageFormatQX2;
}

ILxInterface* CLxImageFormatQX2::QueryInterface(const char* interfaceName)
{
    if (LX_IsInterfaceName(interfaceName, "ILxImageFormat"))
        return AddRefAndReturn(static_cast<ILxImageFormat*>(this));
    return nullptr;
}

int CLxImageFormatQX2::GetID(CLxStringA& id)
{
    id = "QXIMX";
    return 0;
}

int CLxImageFormatQX2::GetDescription(CLxStringW& description)
{
    description = u"QX2 Image File Format";
    return 0;
}

int CLxImageFormatQX2::GetExtensions(CLxStringW& extensions)
{
    extensions = u".qx2";
    return 0;
}

int CLxImageFormatQX2::GetCompression(uint32_t index, CLxStringW& name, uint32_t& type,
                                      double& parameter)
{
    if (index >= GetCompressionCount())
        return kBadArgument;
    name = LX_GetTranslation(kPresets[index].name, nullptr);
    type = kPresets[index].type;
    parameter = kPresets[index].parameter;
    return 0;
}

int CLxImageFormatQX2::CheckPixelFormat(uint32_t pixelFormat)
{
    return std::find(std::begin(kPixelFormats), std::end(kPixelFormats), pixelFormat) !=
                   std::end(kPixelFormats)
               ? 0
               : kNotSupported;
}

int CLxImageFormatQX2::CheckBits(uint32_t, uint32_t, uint8_t bitsPerComponent, uint32_t)
{
    return bitsPerComponent >= 8 && bitsPerComponent <= 16 ? 0 : kNotSupported;
}

int CLxImageFormatQX2::AdjustBits(uint32_t*, uint32_t*, uint8_t* bitsPerComponent, uint32_t*)
{
    if (bitsPerComponent)
        *bitsPerComponent = std::clamp<uint8_t>(*bitsPerComponent, 8, 16);
    return 0;
}

int CLxImageFormatQX2::CheckAttributes(const SLxImageAttributes* attributes)
{
    if (!attributes)
        return kBadArgument;
    return CheckBits(0, 0, attributes->uiBpcInMemory, 0);
}

int CLxImageFormatQX2::AdjustAttributes(SLxImageAttributes* attributes)
{
    if (!attributes)
        return kBadArgument;
    m_adjusted = *attributes;
    return AdjustBits(&attributes->uiWidth, &attributes->uiHeight, &attributes->uiBpcInMemory,
                      &attributes->uiComp);
}

int CLxImageFormatQX2::CreateOutput(const char16_t* fileName, CLxByteArray* memory, bool append,
                                    ILxOutputImageFile** writer)
{
    if (!writer)
        return kBadArgument;
    *writer = nullptr;
    const int rc = fileName ? LX_OpenQX2OutputFile(this, fileName, append, writer)
                            : LX_OpenQX2OutputMemory(this, memory, append, writer);
    if (rc != 0 || !*writer) {
        LX_TRACE(u"CLxImageFormatQX2::createOutputImageFile_low() : Error.");
        *writer = nullptr;
        return kFail;
    }
    (*writer)->AddRef();
    return 0;
}

int CLxImageFormatQX2::CreateOutputImageFile(CLxByteArray* memory, ILxOutputImageFile** writer)
{
    return CreateOutput(nullptr, memory, false, writer);
}

int CLxImageFormatQX2::CreateOutputImageFile(CLxStringW fileName, ILxOutputImageFile** writer)
{
    const bool present = LX_AccessFile(fileName.GetString(), 0) == 0;
    return CreateOutput(fileName.GetString(), nullptr, present, writer);
}

int CLxImageFormatQX2::CreateOutputImageFileAppend(CLxByteArray* memory,
                                                   ILxOutputImageFile** writer)
{
    return CreateOutput(nullptr, memory, true, writer);
}

int CLxImageFormatQX2::CreateOutputImageFileAppend(CLxStringW fileName, ILxOutputImageFile** writer)
{
    return CreateOutput(fileName.GetString(), nullptr, true, writer);
}

int CLxImageFormatQX2::FallBack(const char16_t* fileName, CLxByteArray* memory,
                                ILxInputImageFile** reader)
{
    ILxInterface* found = CLxRTTI::CreateAndQuery("CLxImageFormatManagerImpl",
                                                  "ILxImageFormatManager", "no file", unsigned(-1));
    if (!found)
        return kFail;
    ILxImageFormatManager* manager = static_cast<ILxImageFormatManager*>(found);
    ILxImageFormat* other = nullptr;
    if (manager->GetFormat(CLxStringA("QXIM"), &other) == 0 && other) {
        SLxImageAttributes guard{};
        guard.dCompressionParam = -1.5;
        other->AdjustAttributes(&guard);
        if (fileName)
            other->CreateInputImageFile(CLxStringW(fileName), reader);
        else
            other->CreateInputImageFile(memory, reader);
        other->GetClass()->Release();
    }
    manager->GetClass()->Release();
    return *reader ? 0 : kFail;
}

int CLxImageFormatQX2::CreateInputImageFile(CLxByteArray* memory, ILxInputImageFile** reader)
{
    if (!reader)
        return kBadArgument;
    *reader = nullptr;
    bool ours = LX_OpenQX2InputMemory(this, memory, reader) == 0 && *reader;
    if (!ours && m_adjusted.dCompressionParam >= 0.0)
        FallBack(nullptr, memory, reader);
    if (!*reader) {
        LX_TRACE(u"CLxImageFormatQX2::CreateInputImageFile() : Error.");
        return kFail;
    }
    if (ours)
        (*reader)->AddRef();
    return 0;
}

int CLxImageFormatQX2::CreateInputImageFile(CLxStringW fileName, ILxInputImageFile** reader)
{
    if (!reader)
        return kBadArgument;
    *reader = nullptr;
    bool ours = LX_OpenQX2InputFile(this, fileName.GetString(), reader) == 0 && *reader;
    if (!ours && m_adjusted.dCompressionParam >= 0.0)
        FallBack(fileName.GetString(), nullptr, reader);
    if (!*reader) {
        LX_TRACE(u"CLxImageFormatQX2::CreateInputImageFile() : Error.");
        return kFail;
    }
    if (ours)
        (*reader)->AddRef();
    return 0;
}

int CLxImageFormatQX2::MakeThumbnail(void* dst, uint32_t dstW, uint32_t dstH, uint32_t dstStride,
                                     uint32_t W, uint32_t H, uint32_t X0, uint32_t Y0,
                                     const void* src, uint32_t srcW, uint32_t srcH,
                                     uint32_t srcStride, uint32_t components, uint32_t bits,
                                     uint32_t FW, uint32_t FH)
{
    return ::MakeThumbnail(dst, dstW, dstH, dstStride, W, H, X0, Y0, src, srcW, srcH, srcStride,
                           components, bits, FW, FH);
}

int CLxImageFormatQX2::CopyFile(const char16_t* source, const char16_t* target, bool failIfExists,
                                const std::atomic<int>* keepGoing, LX_PFN_ASYNC_COPY completion,
                                uintptr_t userWord)
{
    return LX_CopyFile(source, target, failIfExists, keepGoing, completion, userWord);
}

int CLxImageFormatQX2::MoveFile(const char16_t* source, const char16_t* target, bool failIfExists,
                                const std::atomic<int>* keepGoing, LX_PFN_ASYNC_COPY completion,
                                uintptr_t userWord)
{
    return LX_MoveFile(source, target, failIfExists, keepGoing, completion, userWord);
}

int CLxImageFormatQX2::RemoveFile(const char16_t* fileName, bool strict)
{
    return LX_RemoveFile(fileName, strict);
}

int CLxImageFormatQX2::GetFileSize(const char16_t* fileName, uint64_t* size)
{
    return LX_GetFileSizeFromName(fileName, size);
}

ILxInputImageFile* LX_CreateQx2InputFile(const char16_t* fileName)
{
    ILxInputImageFile* reader = nullptr;
    LX_OpenQX2InputFile(ReadersFormat(), fileName, &reader);
    return reader;
}

ILxOutputImageFile* LX_CreateQx2OutputFile(const char16_t* fileName, bool append)
{
    ILxOutputImageFile* writer = nullptr;
    LX_OpenQX2OutputFile(WritersFormat(), fileName, append, &writer);
    return writer;
}
