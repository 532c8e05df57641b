#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputOpener.h"

#include <cstring>

#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputFile.h"

namespace
{

int MakeReader(ILxImageFormat* format, const CLxStringW& fileName, CLxFileChunker& chunker,
               int opened, const CLxStringA& version, ILxInputImageFile** reader)
{
    if (opened != 0 && opened != -13)
        return opened;
    return strcmp(version, "Ver1.0") == 0
               ? CLxQX2InputFile_V01::Create(format, fileName, chunker, reader)
               : CLxQX2InputFile_V02::Create(format, fileName, chunker, reader);
}

} // namespace

int LX_OpenQX2InputFile(ILxImageFormat* format, const char16_t* fileName,
                        ILxInputImageFile** reader)
{
    if (!reader)
        return -4;
    *reader = nullptr;
    if (!fileName)
        return -4;
    CLxFileChunker chunker;
    CLxStringA version;
    const int opened = chunker.Open(fileName, true, false, version);
    const int rc = MakeReader(format, CLxStringW(fileName), chunker, opened, version, reader);
    chunker.Finalize();
    return rc;
}

int LX_OpenQX2InputMemory(ILxImageFormat* format, CLxByteArray* block, ILxInputImageFile** reader)
{
    if (!reader)
        return -4;
    *reader = nullptr;
    if (!block)
        return -4;
    CLxFileChunker chunker;
    CLxStringA version;
    const int opened = chunker.OpenMemory(block, true, false, version);
    const int rc = MakeReader(format, CLxStringW(), chunker, opened, version, reader);
    chunker.Finalize();
    return rc;
}
