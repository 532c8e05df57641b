#include "mul_imageformat/gnr_imageformat_qx2/LxQX2OutputOpener.h"

#include <cstring>
#include <memory>
#include <new>

#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputOpener.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2OutputFile.h"
#include "w32_system/LxFileAPI.h"

namespace
{

constexpr char kNewVersion[] = "Ver2.1";

int MakeWriter(ILxImageFormat* format, const CLxStringW& fileName,
               std::unique_ptr<CLxFileChunker> chunker, int opened, const CLxStringA& version,
               ILxOutputImageFile** writer)
{
    if (opened != 0 && opened != -13)
        return -9;
    CLxQX2OutputFile* made =
        strcmp(version, "Ver1.0") == 0
            ? static_cast<CLxQX2OutputFile*>(
                  new (std::nothrow) CLxQX2OutputFile_V01(format, fileName, std::move(chunker)))
            : new (std::nothrow) CLxQX2OutputFile_V02(format, fileName, std::move(chunker));
    if (!made)
        return -3;
    made->KeepStoredTimes();
    *writer = made;
    return 0;
}

} // namespace

int LX_OpenQX2OutputFile(ILxImageFormat* format, const char16_t* fileName, bool append,
                         ILxOutputImageFile** writer)
{
    if (!writer)
        return -4;
    *writer = nullptr;
    if (!fileName)
        return -4;
    uint64_t size = 0;
    if (append && LX_GetFileSizeFromName(fileName, &size) == 0 && size > 0) {
        // The reader's repair brings an unfinished file back first; a file
        // it does not take is no QX2 file and is left alone.
        ILxInputImageFile* reader = nullptr;
        if (LX_OpenQX2InputFile(format, fileName, &reader) != 0)
            return -9;
        reader->AddRef();
        reader->Release();
    }
    std::unique_ptr<CLxFileChunker> chunker(new (std::nothrow) CLxFileChunker());
    if (!chunker)
        return -3;
    CLxStringA version(kNewVersion);
    const int opened = chunker->Open(fileName, false, append, version);
    return MakeWriter(format, CLxStringW(fileName), std::move(chunker), opened, version, writer);
}

int LX_OpenQX2OutputMemory(ILxImageFormat* format, CLxByteArray* block, bool append,
                           ILxOutputImageFile** writer)
{
    if (!writer)
        return -4;
    *writer = nullptr;
    if (!block)
        return -4;
    std::unique_ptr<CLxFileChunker> chunker(new (std::nothrow) CLxFileChunker());
    if (!chunker)
        return -3;
    CLxStringA version(kNewVersion);
    const int opened = chunker->OpenMemory(block, false, append, version);
    return MakeWriter(format, CLxStringW(), std::move(chunker), opened, version, writer);
}
