// Focus criteria: how sharp a picture is, from the differences of
// horizontally adjacent pixels.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxMeasureKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

// The signal and gradient sums of n pairs (p[x], p[x + 1]) of one row of
// single samples under mask, in chunks of at most chunk pairs whose sums
// stay in 32 bits, so that the loop vectorises at 32 bits.
template <class T>
LX_KERNEL_INLINE void addRowPairs(const T* p, uint32_t n, uint32_t mask, uint32_t chunk,
                                  uint64_t& signal, uint64_t& gradient)
{
    for (uint32_t from = 0; from < n; from += chunk) {
        const uint32_t to = n - from < chunk ? n : from + chunk;
        uint32_t s = 0, d = 0;
        for (uint32_t x = from; x < to; ++x) {
            const int32_t v = int32_t(p[x] & mask), w = int32_t(p[x + 1] & mask);
            s += uint32_t(v * v);
            d += uint32_t((w - v) * (w - v));
        }
        signal += s;
        gradient += d;
    }
}

LX_KERNEL_CLONES void addRowPairs8(const uint8_t* p, uint32_t n, uint32_t chunk, uint64_t& signal,
                                   uint64_t& gradient)
{
    addRowPairs(p, n, 0xFFu, chunk, signal, gradient);
}

LX_KERNEL_CLONES void addRowPairs16(const uint16_t* p, uint32_t n, uint32_t mask, uint32_t chunk,
                                    uint64_t& signal, uint64_t& gradient)
{
    addRowPairs(p, n, mask, chunk, signal, gradient);
}

// C the compile-time component count (0: runtime); Masked for the 9 to 15
// bit members.
template <class T, uint32_t C, bool Masked>
int focusCriterium(double* result, int component, const void* pixels, uint32_t wb,
                   uint32_t compsArg, uint32_t bits, uint32_t xStep, uint32_t yStep, uint32_t width,
                   uint32_t count, int criterion)
{
    const uint32_t comps = C ? C : compsArg;
    if (component < -1 || (component >= 0 && uint32_t(component) >= comps) || comps == 0)
        return -4;
    if (result == nullptr || pixels == nullptr || xStep == 0 || yStep == 0)
        return -4;
    const uint32_t mask = Masked ? (1u << bits) - 1 : 0xFFFFFFFFu;
    const uint32_t rows = width == 0 ? 0 : count / width;
    auto value = [&](const T* p) -> uint64_t {
        if (component >= 0)
            return p[component] & mask;
        uint64_t sum = 0;
        for (uint32_t c = 0; c < comps; ++c)
            sum += p[c] & mask;
        return sum / comps;
    };
    uint64_t n = 0, S = 0;
    double D = 0.0;
    // One component at every pixel: the gradient sum in integers as well,
    // where its every partial sum stays below 2^53, so that it equals the
    // sum of doubles term by term.
    const uint64_t largest = Masked ? mask : std::numeric_limits<T>::max();
    const uint64_t largestSquare = largest * largest;
    if (comps == 1 && xStep == 1 && width >= 2 && largestSquare <= 0xFFFFFFFFu / 64 &&
        uint64_t(count) * largestSquare < (uint64_t(1) << 53)) {
        const uint32_t chunk = uint32_t(0xFFFFFFFFu / largestSquare);
        uint64_t gradient = 0;
        for (uint64_t y = 0; y < rows; y += yStep) {
            if (criterion != 0 && criterion != 1)
                return -2;
            const uint8_t* line = static_cast<const uint8_t*>(pixels) + size_t(y) * wb;
            if constexpr (sizeof(T) == 1)
                addRowPairs8(line, width - 1, chunk, S, gradient);
            else
                addRowPairs16(reinterpret_cast<const T*>(line), width - 1, mask, chunk, S,
                              gradient);
            n += width - 1;
        }
        D = double(gradient);
    } else {
        for (uint64_t y = 0; y < rows; y += yStep) {
            if (criterion != 0 && criterion != 1)
                return -2;
            const T* line =
                reinterpret_cast<const T*>(static_cast<const uint8_t*>(pixels) + size_t(y) * wb);
            for (uint64_t x = 0; x + 1 < width; x += xStep) {
                const int64_t v = int64_t(value(line + x * comps));
                const int64_t w = int64_t(value(line + (x + 1) * comps));
                ++n;
                S += uint64_t(v * v);
                D += double(uint64_t((w - v) * (w - v)));
            }
        }
    }
    if (n == 0 || S == 0)
        *result = 0.0;
    else
        *result = criterion == 0 ? std::sqrt(D / double(S)) : std::sqrt(D / double(n));
    return 0;
}

} // namespace

#define LX_FOCUS_MEMBER(name, T, C, Masked)                                                        \
    int name(double* result, int component, const void* pixels, uint32_t wb, uint32_t comps,       \
             uint32_t bits, uint32_t xStep, uint32_t yStep, uint32_t width, uint32_t count,        \
             int criterion)                                                                        \
    {                                                                                              \
        return focusCriterium<T, C, Masked>(result, component, pixels, wb, comps, bits, xStep,     \
                                            yStep, width, count, criterion);                       \
    }

LX_FOCUS_MEMBER(getfocuscriterium_1x8, uint8_t, 1, false)
LX_FOCUS_MEMBER(getfocuscriterium_1x9_15, uint16_t, 1, true)
LX_FOCUS_MEMBER(getfocuscriterium_1x16, uint16_t, 1, false)
LX_FOCUS_MEMBER(getfocuscriterium_3x8, uint8_t, 3, false)
LX_FOCUS_MEMBER(getfocuscriterium_3x9_15, uint16_t, 3, true)
LX_FOCUS_MEMBER(getfocuscriterium_3x16, uint16_t, 3, false)
LX_FOCUS_MEMBER(getfocuscriterium_Nx8, uint8_t, 0, false)
LX_FOCUS_MEMBER(getfocuscriterium_Nx9_15, uint16_t, 0, true)
LX_FOCUS_MEMBER(getfocuscriterium_Nx16, uint16_t, 0, false)

int CLxPicMemAPI::GetFocusCriterium(double* result, int component, const void* pixels, uint32_t wb,
                                    uint32_t comps, uint32_t bits, uint32_t xStep, uint32_t yStep,
                                    uint32_t width, uint32_t count, ELxFocusCriterium criterion)
{
    if (width == 0 || count == 0)
        return 0;
    static LxFocusCriteriumFn* const members[3][3] = {
        {getfocuscriterium_1x8, getfocuscriterium_1x9_15, getfocuscriterium_1x16},
        {getfocuscriterium_3x8, getfocuscriterium_3x9_15, getfocuscriterium_3x16},
        {getfocuscriterium_Nx8, getfocuscriterium_Nx9_15, getfocuscriterium_Nx16}};
    const int row = comps == 1 ? 0 : comps == 3 ? 1 : 2;
    int depth = -1;
    if (bits == 8)
        depth = 0;
    else if (bits >= 9 && bits <= 15)
        depth = 1;
    else if (bits == 16)
        depth = 2;
    if (depth < 0)
        return -2;
    return members[row][depth](result, component, pixels, wb, comps, bits, xStep, yStep, width,
                               count, int(criterion));
}
