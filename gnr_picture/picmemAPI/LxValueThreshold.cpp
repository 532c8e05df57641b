// Value thresholds: samples inside (or outside) a range take one value.
#include <cstddef>

#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxMeasureKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

template <class D, class S>
LX_KERNEL_INLINE void thresholdLine(D* d, const S* s, uint32_t low, uint32_t high, bool inside,
                                    D value, uint32_t width)
{
    // The range cut to the source's values, so that the comparison runs in
    // the sample's own width; unsigned wrap makes it one comparison.
    const uint32_t top = S(~S(0));
    const bool empty = high < low || low > top;
    if (empty) {
        if (!inside)
            for (uint32_t x = 0; x < width; ++x)
                d[x] = value;
        return;
    }
    const S lo = S(low), span = S((high < top ? high : top) - low);
    for (uint32_t x = 0; x < width; ++x) {
        const bool in = S(s[x] - lo) <= span;
        d[x] = in == inside ? value : d[x];
    }
}

#define LX_THRESHOLD_LINE(name, D, S)                                                              \
    LX_KERNEL_CLONES void name(D* d, const S* s, uint32_t low, uint32_t high, bool inside,         \
                               D value, uint32_t width)                                            \
    {                                                                                              \
        thresholdLine(d, s, low, high, inside, value, width);                                      \
    }

LX_THRESHOLD_LINE(line8to8, uint8_t, uint8_t)
LX_THRESHOLD_LINE(line16to16, uint16_t, uint16_t)
LX_THRESHOLD_LINE(line8to16, uint16_t, uint8_t)
LX_THRESHOLD_LINE(line16to8, uint8_t, uint16_t)

template <class D, class S>
int threshold(void (*line)(D*, const S*, uint32_t, uint32_t, bool, D, uint32_t), void* dst,
              uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t low, uint32_t high,
              bool inside, uint32_t value, uint32_t width, uint32_t count)
{
    const uint32_t rows = width == 0 ? 0 : count / width;
    for (uint32_t r = 0; r < rows; ++r)
        line(reinterpret_cast<D*>(static_cast<uint8_t*>(dst) + size_t(r) * dstWB),
             reinterpret_cast<const S*>(static_cast<const uint8_t*>(src) + size_t(r) * srcWB), low,
             high, inside, D(value), width);
    return 0;
}

} // namespace

int threshold_8(void* dst, uint32_t dstWB, const void* src, uint32_t, uint32_t srcWB, uint32_t low,
                uint32_t high, bool inside, uint32_t value, uint32_t width, uint32_t count)
{
    return threshold(line8to8, dst, dstWB, src, srcWB, low, high, inside, value, width, count);
}

int threshold_16(void* dst, uint32_t dstWB, const void* src, uint32_t, uint32_t srcWB, uint32_t low,
                 uint32_t high, bool inside, uint32_t value, uint32_t width, uint32_t count)
{
    return threshold(line16to16, dst, dstWB, src, srcWB, low, high, inside, value, width, count);
}

int threshold_8_to_16(void* dst, uint32_t, uint32_t dstWB, const void* src, uint32_t,
                      uint32_t srcWB, uint32_t low, uint32_t high, bool inside, uint32_t value,
                      uint32_t width, uint32_t count)
{
    return threshold(line8to16, dst, dstWB, src, srcWB, low, high, inside, value, width, count);
}

int threshold_16_to_8(void* dst, uint32_t, uint32_t dstWB, const void* src, uint32_t,
                      uint32_t srcWB, uint32_t low, uint32_t high, bool inside, uint32_t value,
                      uint32_t width, uint32_t count)
{
    return threshold(line16to8, dst, dstWB, src, srcWB, low, high, inside, value, width, count);
}

int CLxPicMemAPI::Threshold(void* dst, uint32_t dstWB, const void* src, uint32_t bits,
                            uint32_t srcWB, uint32_t low, uint32_t high, bool inside,
                            uint32_t value, uint32_t width, uint32_t count)
{
    if (width == 0 || count == 0)
        return 0;
    if (bits > 16)
        return -2;
    if (dst == nullptr || src == nullptr)
        return -4;
    return (bits <= 8 ? threshold_8 : threshold_16)(dst, dstWB, src, bits, srcWB, low, high, inside,
                                                    value, width, count);
}

int CLxPicMemAPI::Threshold(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                            uint32_t srcBits, uint32_t srcWB, uint32_t low, uint32_t high,
                            bool inside, uint32_t value, uint32_t width, uint32_t count)
{
    if (width == 0 || count == 0)
        return 0;
    if (dstBits > 16 || srcBits > 16)
        return -2;
    if (dst == nullptr || src == nullptr)
        return -4;
    const bool dstWords = dstBits > 8, srcWords = srcBits > 8;
    if (dstWords == srcWords)
        return Threshold(dst, dstWB, src, srcBits, srcWB, low, high, inside, value, width, count);
    return (srcWords ? threshold_16_to_8 : threshold_8_to_16)(
        dst, dstBits, dstWB, src, srcBits, srcWB, low, high, inside, value, width, count);
}
