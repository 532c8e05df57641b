// The operations without kernels of their own: flips and changes of storage
// width.
#include <algorithm>
#include <cstring>

#include "gnr_picture/picmemAPI/LxComponentKernelsT.h"
#include "gnr_picture/picmemAPI/LxConvertKernelsT.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemDispatch.h"

using namespace lxpic;

namespace
{

// comps x width samples a line from the storage of srcBytes to that of
// dstBytes through op.
template <class Op>
int changeSampleStorage(void* dst, uint32_t dstBytes, uint32_t dstWB, const void* src,
                        uint32_t srcBytes, uint32_t srcWB, uint32_t comps, uint32_t width,
                        uint32_t count, Op op)
{
    const size_t samples = size_t(comps) * width;
    const uint32_t lines = lineCount(width, count);
    switch (depthPair(srcBytes, dstBytes)) {
    case depthPair(1, 1):
        mapSamples<uint8_t, uint8_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(1, 2):
        mapSamples<uint8_t, uint16_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(1, 4):
        mapSamples<uint8_t, uint32_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(2, 1):
        mapSamples<uint16_t, uint8_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(2, 2):
        mapSamples<uint16_t, uint16_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(2, 4):
        mapSamples<uint16_t, uint32_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(4, 1):
        mapSamples<uint32_t, uint8_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(4, 2):
        mapSamples<uint32_t, uint16_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(4, 4):
        mapSamples<uint32_t, uint32_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    default:
        return -2;
    }
}

} // namespace

int CLxPicMemAPI::FlipVert(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                           uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (dst == src && dstWB == srcWB)
        return FlipVert(dst, dstWB, width, count);
    const uint32_t lines = lineCount(width, count);
    const size_t bytes = std::min(dstWB, srcWB);
    Lines<uint8_t> d(dst, dstWB);
    ConstLines<uint8_t> s(src, srcWB);
    for (uint32_t i = 0; i < lines; ++i)
        std::memmove(d[i], s[lines - 1 - i], bytes);
    return 0;
}

int CLxPicMemAPI::FlipVert(void* data, uint32_t dataWB, uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    const uint32_t lines = lineCount(width, count);
    Lines<uint8_t> d(data, dataWB);
    // Exchanging in place needs no scratch line (and so cannot fail).
    for (uint32_t i = 0; i < lines / 2; ++i)
        std::swap_ranges(d[i], d[i] + dataWB, d[lines - 1 - i]);
    return 0;
}

int CLxPicMemAPI::FlipHor(void* dst, const void* src, uint32_t bits, uint32_t comps, uint32_t pitch,
                          uint32_t width, uint32_t lines)
{
    if (width == 0 || lines == 0)
        return 0;
    // Pixels move whole, so samples of any storage width keep their bytes.
    const size_t pixelBytes = size_t(sampleBytes(bits)) * comps;
    if (pixelBytes == 0)
        return -2;
    Lines<uint8_t> d(dst, pitch);
    ConstLines<uint8_t> s(src, pitch);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        if (dst == src) {
            for (uint32_t x = 0; x < width / 2; ++x)
                std::swap_ranges(dl + x * pixelBytes, dl + (x + 1) * pixelBytes,
                                 dl + (width - 1 - x) * pixelBytes);
        } else {
            const uint8_t* sl = s[y];
            for (uint32_t x = 0; x < width; ++x)
                std::memcpy(dl + x * pixelBytes, sl + (width - 1 - x) * pixelBytes, pixelBytes);
        }
    }
    return 0;
}

int CLxPicMemAPI::FlipVertExtractComp(uint32_t srcComp, void* dst, uint32_t dstWB, const void* src,
                                      uint32_t srcWB, uint32_t srcComps, uint32_t bits,
                                      uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (srcComp >= srcComps)
        return -4;
    const uint32_t lines = lineCount(width, count);
    auto flip = [&](auto sample) {
        using T = decltype(sample);
        Lines<T> d(dst, dstWB);
        ConstLines<T> s(src, srcWB);
        for (uint32_t i = 0; i < lines; ++i)
            copyComponent<T>(d[i], 1, dstWB, 0, s[lines - 1 - i], srcComps, srcWB, srcComp, width,
                             width);
        return 0;
    };
    switch (sampleBytes(bits)) {
    case 1:
        return flip(uint8_t());
    case 2:
        return flip(uint16_t());
    default:
        return -2;
    }
}

int CLxPicMemAPI::ExpandBits(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                             uint32_t srcBits, uint32_t srcWB, uint32_t comps, uint32_t width,
                             uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (srcBits == 0 || dstBits < srcBits || dstBits > 32)
        return -2;
    return changeSampleStorage(dst, sampleBytes(dstBits), dstWB, src, sampleBytes(srcBits), srcWB,
                               comps, width, count, KeepValue());
}

int CLxPicMemAPI::CollapseBits(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                               uint32_t srcBits, uint32_t srcWB, uint32_t comps, uint32_t width,
                               uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (dstBits == 0 || dstBits > srcBits || srcBits > 32)
        return -2;
    return changeSampleStorage(dst, sampleBytes(dstBits), dstWB, src, sampleBytes(srcBits), srcWB,
                               comps, width, count, LimitValue{maxOfBits(dstBits)});
}
