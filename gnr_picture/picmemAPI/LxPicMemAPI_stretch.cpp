// Dispatchers of the stretch kernels; the mode and format choice lives with
// the kernels (stretch/LxStretchDispatch.cpp).
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchDispatch.h"

int CLxPicMemAPI::Stretch(void* dst, uint32_t comps, uint32_t dstWB, uint32_t bits, uint32_t dstW,
                          uint32_t dstH, const void* src, uint32_t srcWB, uint32_t srcHeight,
                          uint32_t srcX, uint32_t srcY, uint32_t srcW, uint32_t srcH,
                          ELxPicStretchMode mode)
{
    return lxstretch::stretch(dst, comps, dstWB, bits, dstW, dstH, src, srcWB, srcHeight, srcX,
                              srcY, srcW, srcH, int(mode));
}

int CLxPicMemAPI::StretchDisplay(void* dst, uint32_t winW, uint32_t winH, uint32_t comps,
                                 uint32_t dstWB, uint32_t bits, uint32_t dispW, uint32_t dispH,
                                 uint32_t winX, uint32_t winY, const void* src, uint32_t srcW,
                                 uint32_t srcH, uint32_t srcWB, ELxPicStretchMode mode)
{
    return lxstretch::stretchDisplay(dst, winW, winH, comps, dstWB, bits, dispW, dispH, winX, winY,
                                     src, srcW, srcH, srcWB, int(mode));
}

int CLxPicMemAPI::StretchDisplayEx(void* dst, uint32_t winW, uint32_t winH, uint32_t comps,
                                   uint32_t dstWB, uint32_t bits, uint32_t dispW, uint32_t dispH,
                                   uint32_t winX, uint32_t winY, const void* src,
                                   uint32_t validLeft, uint32_t validTop, uint32_t validWidth,
                                   uint32_t validHeight, uint32_t srcW, uint32_t srcH,
                                   uint32_t srcWB, ELxPicStretchMode mode, const void* background)
{
    return lxstretch::stretchDisplayEx(dst, winW, winH, comps, dstWB, bits, dispW, dispH, winX,
                                       winY, src, validLeft, validTop, validWidth, validHeight,
                                       srcW, srcH, srcWB, int(mode), background);
}
