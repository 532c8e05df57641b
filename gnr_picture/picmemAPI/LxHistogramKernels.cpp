#include "gnr_picture/picmemAPI/LxHistogramKernels.h"

#include "gnr_picture/picmemAPI/LxHistogramKernelsT.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"

using namespace lxhisto;

namespace
{

uint32_t maskOf(uint32_t bits)
{
    return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
}

Walk walkOf(const void* src, uint32_t srcWB, uint32_t comps, uint32_t bits, uint32_t sample,
            uint32_t xStep, uint32_t yStep, uint32_t width, uint32_t count,
            const void* mask = nullptr, uint32_t maskWB = 0)
{
    Walk w;
    w.src = static_cast<const uint8_t*>(src);
    w.pitch = srcWB / sample * sample;
    w.comps = comps;
    w.valueMask = maskOf(sample == 1 ? (bits < 8 ? bits : 8) : bits);
    w.xStep = xStep ? xStep : 1;
    w.yStep = yStep ? yStep : 1;
    w.width = width;
    w.rows = width ? count / width : 0;
    w.mask = static_cast<const uint8_t*>(mask);
    w.maskPitch = maskWB;
    return w;
}

// The counting loops of every member in one function with one clone pair
// (clones of templates are not available everywhere); each case inlines its
// loop.
#define LX_COUNT_CASE(T, C, INT)                                                                   \
    case countKey(sizeof(T), C, INT):                                                              \
        if (wide)                                                                                  \
            countPixels<T, C, INT>(reinterpret_cast<uint64_t* const*>(hist),                       \
                                   static_cast<uint64_t*>(intensity), w);                          \
        else                                                                                       \
            countPixels<T, C, INT>(reinterpret_cast<uint32_t* const*>(hist),                       \
                                   static_cast<uint32_t*>(intensity), w);                          \
        return;

constexpr uint32_t countKey(size_t sample, int comps, bool withIntensity)
{
    return uint32_t(sample) << 8 | uint32_t(comps) << 1 | (withIntensity ? 1u : 0u);
}

LX_KERNEL_CLONES void countMember(uint32_t key, bool wide, void** hist, void* intensity,
                                  const Walk& w)
{
    switch (key) {
        LX_COUNT_CASE(uint8_t, 1, false)
        LX_COUNT_CASE(uint8_t, 3, false)
        LX_COUNT_CASE(uint8_t, 4, false)
        LX_COUNT_CASE(uint8_t, 0, false)
        LX_COUNT_CASE(uint8_t, 3, true)
        LX_COUNT_CASE(uint8_t, 4, true)
        LX_COUNT_CASE(uint8_t, 0, true)
        LX_COUNT_CASE(uint16_t, 1, false)
        LX_COUNT_CASE(uint16_t, 3, false)
        LX_COUNT_CASE(uint16_t, 4, false)
        LX_COUNT_CASE(uint16_t, 0, false)
        LX_COUNT_CASE(uint16_t, 3, true)
        LX_COUNT_CASE(uint16_t, 4, true)
        LX_COUNT_CASE(uint16_t, 0, true)
    default:
        return;
    }
}

// Byte members of 1, 3 or 4 components over every pixel without a mask:
// interleaved sub-tables (same bins).
template <int C, bool Int, class Bin>
void countSplit(Bin* const* hist, Bin* intensity, const Walk& w)
{
    if constexpr (C == 1)
        countBytesSplit(hist[0], w);
    else
        countPixelsSplit<C, Int>(hist, intensity, w);
}

template <class T, int C, bool Int>
int count(void** hist, void* intensity, uint32_t binSize, const Walk& w)
{
    if (w.rows == 0 || w.width == 0)
        return 0;
    if (binSize != 4 && binSize != 8)
        return -2;
    if constexpr (sizeof(T) == 1 && C != 0 && !(Int && C == 1)) {
        if (w.xStep == 1 && w.yStep == 1 && !w.mask) {
            if (binSize == 4)
                countSplit<C, Int>(reinterpret_cast<uint32_t* const*>(hist),
                                   static_cast<uint32_t*>(intensity), w);
            else
                countSplit<C, Int>(reinterpret_cast<uint64_t* const*>(hist),
                                   static_cast<uint64_t*>(intensity), w);
            return 0;
        }
    }
    countMember(countKey(sizeof(T), C, Int), binSize == 8, hist, intensity, w);
    return 0;
}

// Divided members: (sample AND 2^bits - 1) >> shift.
template <class T, int C, class Bin>
void countDivided(Bin* const* hist, const Walk& w, uint32_t shift)
{
    const uint32_t comps = C ? uint32_t(C) : w.comps;
    for (uint32_t y = 0; y < w.rows; ++y) {
        const uint8_t* p = w.src + y * w.pitch;
        for (uint32_t x = 0; x < w.width; ++x, p += sizeof(T) * comps)
            for (uint32_t c = 0; c < comps; ++c)
                ++hist[c][uint64_t(loadSample<T>(p + c * sizeof(T)) & w.valueMask) >> shift];
    }
}

template <class T, int C>
int countDiv(void** hist, uint32_t binSize, uint32_t histBits, const Walk& w, uint32_t bits)
{
    if (w.rows == 0 || w.width == 0)
        return 0;
    const uint32_t shift = histBits < bits ? bits - histBits : 0;
    if (binSize == 4)
        countDivided<T, C>(reinterpret_cast<uint32_t* const*>(hist), w, shift);
    else if (binSize == 8)
        countDivided<T, C>(reinterpret_cast<uint64_t* const*>(hist), w, shift);
    else
        return -2;
    return 0;
}

template <class T, class Bin>
void count2D(Bin* bins, const Walk& w, uint32_t comp1, uint32_t comp2, uint32_t bits)
{
    // 8-bit samples: v1 << bits | v2; 16-bit samples: both brought to 8 bits.
    const uint32_t shift = sizeof(T) == 1 ? 0 : bits - 8;
    const uint32_t rowShift = sizeof(T) == 1 ? (bits < 8 ? bits : 8) : 8;
    const size_t pixelBytes = sizeof(T) * w.comps;
    for (uint32_t y = 0; y < w.rows; ++y) {
        const uint8_t* p = w.src + y * w.pitch;
        for (uint32_t x = 0; x < w.width; ++x, p += pixelBytes) {
            const uint32_t v1 = (loadSample<T>(p + comp1 * sizeof(T)) & w.valueMask) >> shift;
            const uint32_t v2 = (loadSample<T>(p + comp2 * sizeof(T)) & w.valueMask) >> shift;
            ++bins[v1 << rowShift | v2];
        }
    }
}

template <class T>
int histogram2D(void* bins, uint32_t binSize, const void* src, uint32_t srcWB, uint32_t comps,
                uint32_t bits, uint32_t comp1, uint32_t comp2, uint32_t width, uint32_t count)
{
    const Walk w = walkOf(src, srcWB, comps, bits, sizeof(T), 1, 1, width, count);
    if (binSize == 4)
        count2D<T>(static_cast<uint32_t*>(bins), w, comp1, comp2, bits);
    else if (binSize == 8)
        count2D<T>(static_cast<uint64_t*>(bins), w, comp1, comp2, bits);
    return 0;
}

} // namespace

// --- gethistogram_ -----------------------------------------------------------

#define LX_DEFINE_HISTOGRAM(name, T, C)                                                            \
    int name(void** hist, uint32_t binSize, const void* src, uint32_t srcWB, uint32_t bits,        \
             uint32_t xStep, uint32_t yStep, uint32_t width, uint32_t count)                       \
    {                                                                                              \
        return ::count<T, C, false>(                                                               \
            hist, nullptr, binSize,                                                                \
            walkOf(src, srcWB, C, bits, sizeof(T), xStep, yStep, width, count));                   \
    }
#define LX_DEFINE_HISTOGRAM_N(name, T)                                                             \
    int name(void** hist, uint32_t binSize, const void* src, uint32_t srcWB, uint32_t comps,       \
             uint32_t bits, uint32_t xStep, uint32_t yStep, uint32_t width, uint32_t count)        \
    {                                                                                              \
        return ::count<T, 0, false>(                                                               \
            hist, nullptr, binSize,                                                                \
            walkOf(src, srcWB, comps, bits, sizeof(T), xStep, yStep, width, count));               \
    }
LX_DEFINE_HISTOGRAM(gethistogram_1x8, uint8_t, 1)
LX_DEFINE_HISTOGRAM(gethistogram_3x8, uint8_t, 3)
LX_DEFINE_HISTOGRAM(gethistogram_4x8, uint8_t, 4)
LX_DEFINE_HISTOGRAM_N(gethistogram_Nx8, uint8_t)
LX_DEFINE_HISTOGRAM(gethistogram_1x16, uint16_t, 1)
LX_DEFINE_HISTOGRAM(gethistogram_3x16, uint16_t, 3)
LX_DEFINE_HISTOGRAM(gethistogram_4x16, uint16_t, 4)
LX_DEFINE_HISTOGRAM_N(gethistogram_Nx16, uint16_t)

// --- gethistogramint_ --------------------------------------------------------

#define LX_DEFINE_HISTOGRAM_INT(name, T, C)                                                        \
    int name(void** hist, void* intensity, uint32_t binSize, const void* src, uint32_t srcWB,      \
             uint32_t bits, uint32_t xStep, uint32_t yStep, uint32_t width, uint32_t count)        \
    {                                                                                              \
        return ::count<T, C, true>(                                                                \
            hist, intensity, binSize,                                                              \
            walkOf(src, srcWB, C, bits, sizeof(T), xStep, yStep, width, count));                   \
    }
#define LX_DEFINE_HISTOGRAM_INT_N(name, T)                                                         \
    int name(void** hist, void* intensity, uint32_t binSize, const void* src, uint32_t srcWB,      \
             uint32_t comps, uint32_t bits, uint32_t xStep, uint32_t yStep, uint32_t width,        \
             uint32_t count)                                                                       \
    {                                                                                              \
        return ::count<T, 0, true>(                                                                \
            hist, intensity, binSize,                                                              \
            walkOf(src, srcWB, comps, bits, sizeof(T), xStep, yStep, width, count));               \
    }
LX_DEFINE_HISTOGRAM_INT(gethistogramint_3x8, uint8_t, 3)
LX_DEFINE_HISTOGRAM_INT(gethistogramint_4x8, uint8_t, 4)
LX_DEFINE_HISTOGRAM_INT_N(gethistogramint_Nx8, uint8_t)
LX_DEFINE_HISTOGRAM_INT(gethistogramint_3x16, uint16_t, 3)
LX_DEFINE_HISTOGRAM_INT(gethistogramint_4x16, uint16_t, 4)
LX_DEFINE_HISTOGRAM_INT_N(gethistogramint_Nx16, uint16_t)

// --- gethistogramdiv_ --------------------------------------------------------

#define LX_DEFINE_HISTOGRAM_DIV(name, T, C)                                                        \
    int name(void** hist, uint32_t binSize, uint32_t histBits, const void* src, uint32_t srcWB,    \
             uint32_t bits, uint32_t width, uint32_t count)                                        \
    {                                                                                              \
        return countDiv<T, C>(hist, binSize, histBits,                                             \
                              walkOf(src, srcWB, C, bits, sizeof(T), 1, 1, width, count), bits);   \
    }
#define LX_DEFINE_HISTOGRAM_DIV_N(name, T)                                                         \
    int name(void** hist, uint32_t binSize, uint32_t histBits, const void* src, uint32_t srcWB,    \
             uint32_t comps, uint32_t bits, uint32_t width, uint32_t count)                        \
    {                                                                                              \
        return countDiv<T, 0>(hist, binSize, histBits,                                             \
                              walkOf(src, srcWB, comps, bits, sizeof(T), 1, 1, width, count),      \
                              bits);                                                               \
    }
LX_DEFINE_HISTOGRAM_DIV(gethistogramdiv_1x16, uint16_t, 1)
LX_DEFINE_HISTOGRAM_DIV(gethistogramdiv_3x16, uint16_t, 3)
LX_DEFINE_HISTOGRAM_DIV_N(gethistogramdiv_Nx16, uint16_t)
LX_DEFINE_HISTOGRAM_DIV(gethistogramdiv_1x32, uint32_t, 1)
LX_DEFINE_HISTOGRAM_DIV(gethistogramdiv_3x32, uint32_t, 3)
LX_DEFINE_HISTOGRAM_DIV_N(gethistogramdiv_Nx32, uint32_t)

// --- gethistogrambin_ --------------------------------------------------------

#define LX_DEFINE_HISTOGRAM_BIN(name, T, C)                                                        \
    int name(void** hist, void* intensity, uint32_t binSize, const void* src, uint32_t srcWB,      \
             uint32_t bits, const void* mask, uint32_t maskWB, uint32_t xStep, uint32_t yStep,     \
             uint32_t width, uint32_t count)                                                       \
    {                                                                                              \
        return ::count<T, C, (C > 1)>(                                                             \
            hist, intensity, binSize,                                                              \
            walkOf(src, srcWB, C, bits, sizeof(T), xStep, yStep, width, count, mask, maskWB));     \
    }
#define LX_DEFINE_HISTOGRAM_BIN_N(name, T)                                                         \
    int name(void** hist, void* intensity, uint32_t binSize, const void* src, uint32_t srcWB,      \
             uint32_t comps, uint32_t bits, const void* mask, uint32_t maskWB, uint32_t xStep,     \
             uint32_t yStep, uint32_t width, uint32_t count)                                       \
    {                                                                                              \
        return ::count<T, 0, true>(                                                                \
            hist, intensity, binSize,                                                              \
            walkOf(src, srcWB, comps, bits, sizeof(T), xStep, yStep, width, count, mask, maskWB)); \
    }
LX_DEFINE_HISTOGRAM_BIN(gethistogrambin_1x8, uint8_t, 1)
LX_DEFINE_HISTOGRAM_BIN(gethistogrambin_3x8, uint8_t, 3)
LX_DEFINE_HISTOGRAM_BIN(gethistogrambin_4x8, uint8_t, 4)
LX_DEFINE_HISTOGRAM_BIN_N(gethistogrambin_Nx8, uint8_t)
LX_DEFINE_HISTOGRAM_BIN(gethistogrambin_1x16, uint16_t, 1)
LX_DEFINE_HISTOGRAM_BIN(gethistogrambin_3x16, uint16_t, 3)
LX_DEFINE_HISTOGRAM_BIN(gethistogrambin_4x16, uint16_t, 4)
LX_DEFINE_HISTOGRAM_BIN_N(gethistogrambin_Nx16, uint16_t)

// --- gethistogram2d_ ---------------------------------------------------------

int gethistogram2d_8(void* bins, uint32_t binSize, const void* src, uint32_t srcWB, uint32_t comps,
                     uint32_t bits, uint32_t comp1, uint32_t comp2, uint32_t, uint32_t,
                     uint32_t width, uint32_t count)
{
    return histogram2D<uint8_t>(bins, binSize, src, srcWB, comps, bits, comp1, comp2, width, count);
}

int gethistogram2d_16(void* bins, uint32_t binSize, const void* src, uint32_t srcWB, uint32_t comps,
                      uint32_t bits, uint32_t comp1, uint32_t comp2, uint32_t, uint32_t,
                      uint32_t width, uint32_t count)
{
    return histogram2D<uint16_t>(bins, binSize, src, srcWB, comps, bits, comp1, comp2, width,
                                 count);
}
