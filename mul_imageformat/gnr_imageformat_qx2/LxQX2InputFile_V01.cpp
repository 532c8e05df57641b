#include <new>

#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ChunkNames.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputFile.h"

CLxQX2InputFile_V01::CLxQX2InputFile_V01(ILxImageFormat* format, const CLxStringW& fileName,
                                         const CLxFileChunker& chunker)
    : CLxQX2InputFile(format, fileName, chunker, true)
{
}

int CLxQX2InputFile_V01::Create(ILxImageFormat* format, const CLxStringW& fileName,
                                const CLxFileChunker& chunker, ILxInputImageFile** reader)
{
    if (!reader)
        return -4;
    *reader = nullptr;
    CLxQX2InputFile_V01* made = new (std::nothrow) CLxQX2InputFile_V01(format, fileName, chunker);
    if (!made)
        return -3;
    const int rc = made->RepairIfNeeded();
    if (rc != 0) {
        delete made;
        return rc;
    }
    *reader = made;
    return 0;
}

int CLxQX2InputFile_V01::CreateFromWriter(ILxImageFormat* format, const CLxStringW& fileName,
                                          const CLxFileChunker& writerChunker,
                                          CLxQX2InputFile_V01** reader)
{
    if (!reader)
        return -4;
    *reader = nullptr;
    CLxQX2InputFile_V01* made =
        new (std::nothrow) CLxQX2InputFile_V01(format, fileName, writerChunker);
    if (!made)
        return -3;
    made->TakeWritersState();
    *reader = made;
    return 0;
}

int CLxQX2InputFile_V01::GetImageMetadata(uint32_t seq, SLxPictureMetadata& metadata, uint32_t)
{
    return ReadMetadata(LxQX2Names::Indexed(LxQX2Names::kMetadataPrefix, seq), metadata);
}
