// The JPEG 2000 format class: presets, depth and attribute rules, and the
// readers and writers it makes.
#include "mul_imageformat/gnr_imageformat_jp2/LxImageFormatJP2.h"

#include <new>

#include "gnr_system/intl/LxLocale.h"
#include "gnr_system/string/LxString.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_output_file.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxThumbnail.h"
#include "w32_system/debugging/LxDiag.h"

LX_DEFINE_CONSTRUCTOR(CLxImageFormatJP2)

CLxClassInfo CLxImageFormatJP2::sm_classCLxImageFormatJP2("CLxImageFormatJP2", "ILxImageFormat",
                                                          nullptr, nullptr, nullptr, nullptr,
                                                          nullptr, nullptr, nullptr, nullptr,
                                                          int(sizeof(CLxImageFormatJP2)),
                                                          &LX_ConstructorForCLxImageFormatJP2);

namespace
{

struct Preset {
    const char16_t* name;
    uint32_t type;
    double parameter;
};
const Preset kPresets[6] = {{u"Lossless", 0, 1.0}, {u"Lowest", 1, 0.5}, {u"Low", 1, 0.15},
                            {u"Medium", 1, 0.07},  {u"High", 1, 0.04},  {u"Highest", 1, 0.02}};

bool FileExists(const CLxStringW& name)
{
    return LX_AccessFile(name.GetString(), 0) == 0;
}

void Trace(const CLxJP2ErrorException& e)
{
    CLxStringW text;
    for (const char* p = e.GetText(); *p; ++p)
        text += char16_t(uint8_t(*p));
    DiagOutputExW_hlp(__FILE__, __LINE__);
    DiagOutputExW(u"%S", text.GetString());
}

} // namespace

CLxClassInfo* CLxImageFormatJP2::GetCLxClassInfo()
{
    return &sm_classCLxImageFormatJP2;
}

ILxInterface* CLxImageFormatJP2::QueryInterface(const char* interfaceName)
{
    if (LX_IsInterfaceName(interfaceName, "ILxImageFormat"))
        return AddRefAndReturn(static_cast<ILxImageFormat*>(this));
    return nullptr;
}

int CLxImageFormatJP2::GetID(CLxStringA& id)
{
    id = "JPEG2000";
    return 0;
}

int CLxImageFormatJP2::GetDescription(CLxStringW& description)
{
    description = u"JPEG2000";
    return 0;
}

int CLxImageFormatJP2::GetExtensions(CLxStringW& extensions)
{
    extensions = u".jp2;.j2k";
    return 0;
}

int CLxImageFormatJP2::GetCompression(uint32_t index, CLxStringW& name, uint32_t& type,
                                      double& parameter)
{
    if (index >= 6)
        return -4;
    const char16_t* translated = LX_GetTranslation(kPresets[index].name, __FILE__);
    name = translated ? translated : kPresets[index].name;
    type = kPresets[index].type;
    parameter = kPresets[index].parameter;
    return 0;
}

int CLxImageFormatJP2::CheckPixelFormat(uint32_t pixelFormat)
{
    static const uint32_t kStorable[] = {0, 2, 4, 5, 6, 8, 9, 10, 12, 13, 19, 20, 22};
    for (uint32_t f : kStorable)
        if (f == pixelFormat)
            return 0;
    return -1506;
}

int CLxImageFormatJP2::CheckBits(uint32_t, uint32_t, uint8_t bits, uint32_t)
{
    return bits >= 8 && bits <= 16 ? 0 : -1506;
}

int CLxImageFormatJP2::AdjustBits(uint32_t*, uint32_t*, uint8_t* bits, uint32_t*)
{
    if (bits) {
        const uint32_t up = (uint32_t(*bits) + 7) / 8 * 8;
        *bits = uint8_t(up > 16 ? 16 : up);
    }
    return 0;
}

int CLxImageFormatJP2::CheckAttributes(const SLxImageAttributes* a)
{
    return a && a->uiBpcInMemory >= 8 && a->uiBpcInMemory <= 16 ? 0 : -1506;
}

int CLxImageFormatJP2::AdjustAttributes(SLxImageAttributes* a)
{
    if (!a)
        return -4;
    AdjustBits(&a->uiWidth, &a->uiHeight, &a->uiBpcInMemory, &a->uiComp);
    // The stride the writer and the reader step by.
    a->uiWidthBytes = CLxJP2OutputFile::FrameStride(*a);
    CLxJP2OutputFile::AdjustCompression(a->eCompression, a->dCompressionParam);
    return 0;
}

int CLxImageFormatJP2::CreateOutputImageFile(CLxByteArray* memory, ILxOutputImageFile** writer)
{
    if (!writer)
        return -4;
    *writer = nullptr;
    auto* w = new (std::nothrow) CLxJP2OutputFile(this, memory);
    if (!w)
        return -9;
    w->AddRef();
    *writer = w;
    return 0;
}

int CLxImageFormatJP2::CreateOutputImageFile(CLxStringW fileName, ILxOutputImageFile** writer)
{
    if (!writer)
        return -4;
    *writer = nullptr;
    if (FileExists(fileName) && LX_AccessFile(fileName.GetString(), 2) != 0)
        return -10;
    auto* w = new (std::nothrow) CLxJP2OutputFile(this, fileName);
    if (!w)
        return -9;
    w->AddRef();
    *writer = w;
    return 0;
}

int CLxImageFormatJP2::CreateOutputImageFileAppend(CLxStringW fileName, ILxOutputImageFile** writer)
{
    return CreateOutputImageFile(fileName, writer);
}

int CLxImageFormatJP2::CreateInputImageFile(CLxByteArray* memory, ILxInputImageFile** reader)
{
    if (!reader)
        return -4;
    try {
        auto* r = new CLxJP2InputFile(this, memory);
        r->AddRef();
        *reader = r;
        return 0;
    } catch (const CLxJP2ErrorException& e) {
        Trace(e);
        return -9;
    } catch (const std::bad_alloc&) {
        return -9;
    }
}

int CLxImageFormatJP2::CreateInputImageFile(CLxStringW fileName, ILxInputImageFile** reader)
{
    if (!reader)
        return -4;
    *reader = nullptr;
    if (!FileExists(fileName))
        return -9;
    try {
        auto* r = new CLxJP2InputFile(this, fileName.GetString());
        r->AddRef();
        *reader = r;
        return 0;
    } catch (const CLxJP2ErrorException& e) {
        Trace(e);
        return -9;
    } catch (const std::bad_alloc&) {
        return -9;
    }
}

int CLxImageFormatJP2::MakeThumbnail(void* dst, uint32_t dstW, uint32_t dstH, uint32_t dstStride,
                                     uint32_t W, uint32_t H, uint32_t X0, uint32_t Y0,
                                     const void* src, uint32_t srcW, uint32_t srcH,
                                     uint32_t srcStride, uint32_t components, uint32_t bits,
                                     uint32_t FW, uint32_t FH)
{
    return ::MakeThumbnail(dst, dstW, dstH, dstStride, W, H, X0, Y0, src, srcW, srcH, srcStride,
                           components, bits, FW, FH);
}

int CLxImageFormatJP2::CopyFile(const char16_t* source, const char16_t* target, bool failIfExists,
                                const std::atomic<int>* keepGoing, LX_PFN_ASYNC_COPY completion,
                                uintptr_t userWord)
{
    return LX_CopyFile(source, target, failIfExists, keepGoing, completion, userWord);
}

int CLxImageFormatJP2::MoveFile(const char16_t* source, const char16_t* target, bool failIfExists,
                                const std::atomic<int>* keepGoing, LX_PFN_ASYNC_COPY completion,
                                uintptr_t userWord)
{
    return LX_MoveFile(source, target, failIfExists, keepGoing, completion, userWord);
}

int CLxImageFormatJP2::RemoveFile(const char16_t* fileName, bool strict)
{
    return LX_RemoveFile(fileName, strict);
}

int CLxImageFormatJP2::GetFileSize(const char16_t* fileName, uint64_t* size)
{
    return LX_GetFileSizeFromName(fileName, size);
}

int CLxImageFormatJP2::GetMaxTileSize(uint32_t, uint32_t, uint32_t* width, uint32_t* height)
{
    if (width)
        *width = 2048;
    if (height)
        *height = 2048;
    return 0;
}
