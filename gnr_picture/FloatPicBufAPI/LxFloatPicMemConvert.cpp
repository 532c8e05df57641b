// Conversions between samples and float planes, and tone mapping.
#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxFloatKernels.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

enum class Depth { Bytes, Words, None };

Depth depthOf(uint32_t bits)
{
    if (bits >= 1 && bits <= 8)
        return Depth::Bytes;
    if (bits >= 9 && bits <= 16)
        return Depth::Words;
    return Depth::None;
}

} // namespace

int CLxFloatPicMemAPI::ExtractRGBtoFloatAP(float* first, float* second, uint32_t planeComps,
                                           uint32_t planeWB, const void* samples, uint32_t sampleWB,
                                           uint32_t bits, uint32_t sampleComps, uint32_t width,
                                           uint32_t count)
{
    if (width == 0 || count == 0)
        return 0;
    if (planeComps > sampleComps || (planeComps == 3 && sampleComps > 3))
        return -4;
    const Depth depth = depthOf(bits);
    if (depth == Depth::None || (planeComps != 1 && planeComps != 3))
        return -2;
    if (planeComps == 1)
        return depth == Depth::Bytes
                   ? extract_Nx8_to_1xFloat2(first, second, planeComps, planeWB, samples, sampleWB,
                                             bits, sampleComps, width, count)
                   : extract_Nx16_to_1xFloat2(first, second, planeComps, planeWB, samples, sampleWB,
                                              bits, sampleComps, width, count);
    return depth == Depth::Bytes
               ? extract_Nx8_to_3xFloat2(first, second, planeComps, planeWB, samples, sampleWB,
                                         bits, sampleComps, width, count)
               : extract_Nx16_to_3xFloat2(first, second, planeComps, planeWB, samples, sampleWB,
                                          bits, sampleComps, width, count);
}

int CLxFloatPicMemAPI::ExtractRGBtoFloatRI(float* re, float* im, uint32_t planeComps,
                                           uint32_t planeWB, const void* samples, uint32_t sampleWB,
                                           uint32_t bits, uint32_t sampleComps, uint32_t width,
                                           uint32_t count)
{
    return ExtractRGBtoFloatAP(re, im, planeComps, planeWB, samples, sampleWB, bits, sampleComps,
                               width, count);
}

int CLxFloatPicMemAPI::ExtractFloatAPtoRGB(void* samples, uint32_t sampleComps, uint32_t sampleWB,
                                           uint32_t bits, const float* first, const float* second,
                                           uint32_t planeComps, uint32_t planeWB, uint32_t width,
                                           uint32_t count)
{
    if (width == 0 || count == 0)
        return 0;
    if (sampleComps != planeComps)
        return -4;
    if (bits == 8)
        return extract_Float2_to_Nx8(samples, sampleComps, sampleWB, bits, first, second,
                                     planeComps, planeWB, width, count);
    if (bits >= 9 && bits <= 16)
        return extract_Float2_to_Nx16(samples, sampleComps, sampleWB, bits, first, second,
                                      planeComps, planeWB, width, count);
    return -2;
}

int CLxFloatPicMemAPI::ExtractFloatRItoRGB(void* samples, uint32_t sampleComps, uint32_t sampleWB,
                                           uint32_t bits, const float* re, const float* im,
                                           uint32_t planeComps, uint32_t planeWB, uint32_t width,
                                           uint32_t count)
{
    if (width == 0 || count == 0)
        return 0;
    if (sampleComps != planeComps)
        return -4;
    const size_t lines = count / width;
    const size_t lineFloats = static_cast<size_t>(width) * planeComps;
    float* amp = static_cast<float*>(CLxAlloc::Alloc(0, lines * lineFloats * sizeof(float)));
    float* phase = static_cast<float*>(CLxAlloc::Alloc(0, lines * lineFloats * sizeof(float)));
    if (!amp || !phase) {
        CLxAlloc::Free(amp);
        CLxAlloc::Free(phase);
        return -3;
    }
    for (size_t y = 0; y < lines; ++y) {
        const size_t offset = y * planeWB / sizeof(float);
        RealnImag_to_AmpnPhase(amp + y * lineFloats, phase + y * lineFloats, re + offset,
                               im + offset, planeComps, width, width);
    }
    const int status =
        ExtractFloatAPtoRGB(samples, sampleComps, sampleWB, bits, amp, phase, planeComps,
                            static_cast<uint32_t>(lineFloats * sizeof(float)), width, count);
    CLxAlloc::Free(amp);
    CLxAlloc::Free(phase);
    return status;
}

int CLxFloatPicMemAPI::MaskFloatWithGray(float* dst, uint32_t dstComps, const float* src,
                                         uint32_t srcComps, const uint8_t* mask, uint32_t width,
                                         uint32_t count, uint8_t full)
{
    if (width == 0 || count == 0)
        return 0;
    if (dstComps != srcComps)
        return -4;
    const size_t pixels = static_cast<size_t>(count / width) * width;
    const float fullValue = full;
    for (size_t p = 0; p < pixels; ++p)
        for (uint32_t c = 0; c < dstComps; ++c)
            dst[p * dstComps + c] = static_cast<float>(mask[p]) * src[p * dstComps + c] / fullValue;
    return 0;
}

int CLxFloatPicMemAPI::Map_Tumblin(void* samples, uint32_t bits, const float* data, uint32_t width,
                                   uint32_t height, uint32_t comps)
{
    switch (depthOf(bits)) {
    case Depth::Bytes:
        return map_float_to_Nx8_Tumblin(samples, bits, data, width, height, comps);
    case Depth::Words:
        return map_float_to_Nx16_Tumblin(samples, bits, data, width, height, comps);
    default:
        return -2;
    }
}

int CLxFloatPicMemAPI::MapParam_Tumblin(void* samples, uint32_t bits, const float* data,
                                        uint32_t width, uint32_t height, uint32_t comps,
                                        uint32_t param)
{
    switch (depthOf(bits)) {
    case Depth::Bytes:
        return map_float_to_Nx8_param_Tumblin(samples, bits, data, width, height, comps, param);
    case Depth::Words:
        return map_float_to_Nx16_param_Tumblin(samples, bits, data, width, height, comps, param);
    default:
        return -2;
    }
}

int CLxFloatPicMemAPI::Map_Drago(void* samples, uint32_t bits, const float* data, uint32_t width,
                                 uint32_t height, uint32_t comps)
{
    switch (depthOf(bits)) {
    case Depth::Bytes:
        return map_float_to_Nx8_Drago(samples, bits, data, width, height, comps);
    case Depth::Words:
        return map_float_to_Nx16_Drago(samples, bits, data, width, height, comps);
    default:
        return -2;
    }
}

int CLxFloatPicMemAPI::MapParam_Drago(void* samples, uint32_t bits, const float* data,
                                      uint32_t width, uint32_t height, uint32_t comps, uint32_t)
{
    return Map_Drago(samples, bits, data, width, height, comps);
}
