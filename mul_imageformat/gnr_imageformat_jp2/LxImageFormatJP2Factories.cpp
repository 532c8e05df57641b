// The factories of JPEG 2000 readers and writers, each with its own format
// object for the life of the process.
#include <new>

#include "mul_imageformat/gnr_imageformat_jp2/LxImageFormatJP2.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_output_file.h"

namespace
{

// Never released: readers and writers point to it without a reference.
CLxImageFormatJP2* FactoryFormat(int which)
{
    static CLxImageFormatJP2* const formats[2] = {new CLxImageFormatJP2(), new CLxImageFormatJP2()};
    return formats[which];
}

} // namespace

ILxInputImageFile* LX_CreateJp2InputFile(const char16_t* path)
{
    if (!path)
        return nullptr;
    try {
        return new CLxJP2InputFile(FactoryFormat(0), path);
    } catch (...) {
        return nullptr;
    }
}

ILxOutputImageFile* LX_CreateJp2OutputFile(const char16_t* path)
{
    if (!path || !*path)
        return nullptr;
    try {
        return new CLxJP2OutputFile(FactoryFormat(1), CLxStringW(path));
    } catch (...) {
        return nullptr;
    }
}
