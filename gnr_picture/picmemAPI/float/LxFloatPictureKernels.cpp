// Copies, fills, component moves and the Float2 conversions of float
// pictures.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "gnr_picture/picmemAPI/LxFloatKernels.h"
#include "gnr_picture/picmemAPI/float/LxFloatLines.h"

using namespace lxfloat;

namespace
{

// Integer picture line r of samples T.
template <class T> const T* sampleLine(const void* base, uint32_t wb, uint32_t r)
{
    return reinterpret_cast<const T*>(static_cast<const uint8_t*>(base) + size_t(r) * wb);
}

template <class T> T* sampleLine(void* base, uint32_t wb, uint32_t r)
{
    return reinterpret_cast<T*>(static_cast<uint8_t*>(base) + size_t(r) * wb);
}

// First plane: the mean of each pixel's samples; second plane cleared.
template <class T>
int extractMean(float* re, float* im, uint32_t floatComps, uint32_t floatWB, const void* src,
                uint32_t srcWB, uint32_t srcComps, uint32_t width, uint32_t count)
{
    const uint32_t rows = lineCount(width, count);
    if (rows == 0 || srcComps == 0 || floatComps == 0)
        return 0;
    for (uint32_t r = 0; r < rows; ++r) {
        const T* s = sampleLine<T>(src, srcWB, r);
        float* a = floatLine(re, floatWB, r);
        for (uint32_t x = 0; x < width; ++x) {
            double sum = 0.0;
            for (uint32_t c = 0; c < srcComps; ++c)
                sum += s[size_t(x) * srcComps + c];
            a[size_t(x) * floatComps] = float(sum / srcComps);
        }
        std::memset(floatLine(im, floatWB, r), 0, size_t(width) * floatComps * sizeof(float));
    }
    return 0;
}

// First plane: the three samples of each pixel as floats.
template <class T>
int extractThree(float* re, float* im, uint32_t floatComps, uint32_t floatWB, const void* src,
                 uint32_t srcWB, uint32_t srcComps, uint32_t width, uint32_t count)
{
    const uint32_t rows = lineCount(width, count);
    if (rows == 0 || srcComps < 3 || floatComps < 3)
        return 0;
    for (uint32_t r = 0; r < rows; ++r) {
        const T* s = sampleLine<T>(src, srcWB, r);
        float* a = floatLine(re, floatWB, r);
        for (uint32_t x = 0; x < width; ++x)
            for (uint32_t c = 0; c < 3; ++c)
                a[size_t(x) * floatComps + c] = float(s[size_t(x) * srcComps + c]);
        std::memset(floatLine(im, floatWB, r), 0, size_t(width) * floatComps * sizeof(float));
    }
    return 0;
}

// trunc(v + 0.5) held to 0 .. top; NaN gives 0.
template <class T> T roundedSample(float v, uint32_t top)
{
    const float u = v + 0.5f;
    if (!(u > 0.0f))
        return 0;
    if (u >= float(top))
        return T(top);
    return T(u);
}

template <class T>
int extractBack(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t top, const float* re,
                uint32_t floatComps, uint32_t floatWB, uint32_t width, uint32_t count)
{
    const uint32_t rows = lineCount(width, count);
    const uint32_t comps = dstComps < floatComps ? dstComps : floatComps;
    if (rows == 0 || comps == 0)
        return 0;
    for (uint32_t r = 0; r < rows; ++r) {
        T* d = sampleLine<T>(dst, dstWB, r);
        const float* a = floatLine(re, floatWB, r);
        for (uint32_t x = 0; x < width; ++x)
            for (uint32_t c = 0; c < comps; ++c)
                d[size_t(x) * dstComps + c] = roundedSample<T>(a[size_t(x) * floatComps + c], top);
    }
    return 0;
}

uint32_t wordTop(uint32_t bits)
{
    return bits >= 9 && bits <= 16 ? (1u << bits) - 1 : 65535u;
}

} // namespace

int copyfloat(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
              uint32_t width, uint32_t count)
{
    const uint32_t rows = lineCount(width, count);
    for (uint32_t r = 0; r < rows; ++r)
        std::memmove(floatLine(dst, dstWB, r), floatLine(src, srcWB, r),
                     size_t(width) * comps * sizeof(float));
    return 0;
}

int set_Nxfloat(void* dst, uint32_t comps, uint32_t wb, const float* values, uint32_t width,
                uint32_t count)
{
    const uint32_t rows = lineCount(width, count);
    if (rows == 0 || comps == 0 || values == nullptr)
        return 0;
    for (uint32_t r = 0; r < rows; ++r) {
        float* d = floatLine(dst, wb, r);
        for (uint32_t x = 0; x < width; ++x, d += comps)
            for (uint32_t c = 0; c < comps; ++c)
                d[c] = values[c];
    }
    return 0;
}

int setcomponent_Nxfloat(void* dst, uint32_t comps, uint32_t wb, uint32_t comp, float value,
                         uint32_t width, uint32_t count)
{
    const uint32_t rows = lineCount(width, count);
    if (comp >= comps)
        return 0;
    for (uint32_t r = 0; r < rows; ++r) {
        float* d = floatLine(dst, wb, r) + comp;
        for (uint32_t x = 0; x < width; ++x)
            d[size_t(x) * comps] = value;
    }
    return 0;
}

int copycomponent_Nxfloat_to_Nxfloat(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                                     const void* src, uint32_t srcComps, uint32_t srcWB,
                                     uint32_t srcComp, uint32_t width, uint32_t count)
{
    const uint32_t rows = lineCount(width, count);
    if (dstComp >= dstComps || srcComp >= srcComps)
        return 0;
    for (uint32_t r = 0; r < rows; ++r) {
        float* d = floatLine(dst, dstWB, r) + dstComp;
        const float* s = floatLine(src, srcWB, r) + srcComp;
        for (uint32_t x = 0; x < width; ++x)
            d[size_t(x) * dstComps] = s[size_t(x) * srcComps];
    }
    return 0;
}

int extract_Nx8_to_1xFloat2(float* re, float* im, uint32_t floatComps, uint32_t floatWB,
                            const void* src, uint32_t srcWB, uint32_t, uint32_t srcComps,
                            uint32_t width, uint32_t count)
{
    return extractMean<uint8_t>(re, im, floatComps, floatWB, src, srcWB, srcComps, width, count);
}

int extract_Nx16_to_1xFloat2(float* re, float* im, uint32_t floatComps, uint32_t floatWB,
                             const void* src, uint32_t srcWB, uint32_t, uint32_t srcComps,
                             uint32_t width, uint32_t count)
{
    return extractMean<uint16_t>(re, im, floatComps, floatWB, src, srcWB, srcComps, width, count);
}

int extract_Nx8_to_3xFloat2(float* re, float* im, uint32_t floatComps, uint32_t floatWB,
                            const void* src, uint32_t srcWB, uint32_t, uint32_t srcComps,
                            uint32_t width, uint32_t count)
{
    return extractThree<uint8_t>(re, im, floatComps, floatWB, src, srcWB, srcComps, width, count);
}

int extract_Nx16_to_3xFloat2(float* re, float* im, uint32_t floatComps, uint32_t floatWB,
                             const void* src, uint32_t srcWB, uint32_t, uint32_t srcComps,
                             uint32_t width, uint32_t count)
{
    return extractThree<uint16_t>(re, im, floatComps, floatWB, src, srcWB, srcComps, width, count);
}

int extract_Float2_to_Nx8(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t, const float* re,
                          const float*, uint32_t floatComps, uint32_t floatWB, uint32_t width,
                          uint32_t count)
{
    return extractBack<uint8_t>(dst, dstComps, dstWB, 255u, re, floatComps, floatWB, width, count);
}

int extract_Float2_to_Nx16(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t bits,
                           const float* re, const float*, uint32_t floatComps, uint32_t floatWB,
                           uint32_t width, uint32_t count)
{
    return extractBack<uint16_t>(dst, dstComps, dstWB, wordTop(bits), re, floatComps, floatWB,
                                 width, count);
}
