// Plain loops the compiler vectorises, cloned for AVX2.
#include "gnr_picture/PicBufAPI/LxConvolutionRows.h"

#include "gnr_picture/picmemAPI/LxKernelClones.h"

// The row loops run over counts that are no multiple of the vector width:
// the optimiser's default at -O2 leaves such loops scalar.
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic")

namespace
{

template <class T>
inline void mulAdd(int32_t* __restrict acc, const T* __restrict row, int32_t weight, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        acc[i] += weight * int32_t(row[i]);
}

template <int N, bool Init, class T>
LX_KERNEL_INLINE void mulAddN(int32_t* __restrict acc, const T* const* rows, const int32_t* weights,
                              size_t count)
{
    const T* r[N];
    int32_t w[N];
    for (int j = 0; j < N; ++j) {
        r[j] = rows[j];
        w[j] = weights[j];
    }
    for (size_t i = 0; i < count; ++i) {
        int32_t v = 0;
#pragma GCC unroll 8
        for (int j = 0; j < N; ++j)
            v += w[j] * int32_t(r[j][i]);
        acc[i] = Init ? v : acc[i] + v;
    }
}

// Byte samples under weights whose magnitudes add up to at most 128: every
// partial sum fits 16 bits, so the products and sums run in 16-bit lanes,
// twice as many a vector.
template <int N, bool Init>
LX_KERNEL_INLINE void mulAddNarrowN(int32_t* __restrict acc, const uint8_t* const* rows,
                                    const int32_t* weights, size_t count)
{
    const uint8_t* r[N];
    int16_t w[N];
    for (int j = 0; j < N; ++j) {
        r[j] = rows[j];
        w[j] = int16_t(weights[j]);
    }
    for (size_t i = 0; i < count; ++i) {
        int16_t v = 0;
#pragma GCC unroll 8
        for (int j = 0; j < N; ++j)
            v = int16_t(v + w[j] * int16_t(r[j][i]));
        acc[i] = Init ? int32_t(v) : acc[i] + int32_t(v);
    }
}

constexpr int32_t kNarrowWeightSum = 128;

template <bool Init>
LX_KERNEL_INLINE bool mulAddNarrow(int32_t* acc, const uint8_t* const* rows, const int32_t* weights,
                                   size_t n, size_t count)
{
    int32_t sum = 0;
    for (size_t j = 0; j < n; ++j) {
        if (weights[j] < -kNarrowWeightSum || weights[j] > kNarrowWeightSum)
            return false;
        sum += weights[j] < 0 ? -weights[j] : weights[j];
    }
    if (sum > kNarrowWeightSum)
        return false;
    switch (n) {
    case 1:
        mulAddNarrowN<1, Init>(acc, rows, weights, count);
        break;
    case 2:
        mulAddNarrowN<2, Init>(acc, rows, weights, count);
        break;
    case 3:
        mulAddNarrowN<3, Init>(acc, rows, weights, count);
        break;
    case 4:
        mulAddNarrowN<4, Init>(acc, rows, weights, count);
        break;
    case 5:
        mulAddNarrowN<5, Init>(acc, rows, weights, count);
        break;
    case 6:
        mulAddNarrowN<6, Init>(acc, rows, weights, count);
        break;
    case 7:
        mulAddNarrowN<7, Init>(acc, rows, weights, count);
        break;
    default:
        mulAddNarrowN<8, Init>(acc, rows, weights, count);
    }
    return true;
}

template <bool Init, class T>
LX_KERNEL_INLINE void mulAddRows(int32_t* acc, const T* const* rows, const int32_t* weights,
                                 size_t n, size_t count)
{
    if constexpr (sizeof(T) == 1)
        if (mulAddNarrow<Init>(acc, rows, weights, n, count))
            return;
    switch (n) {
    case 1:
        return mulAddN<1, Init>(acc, rows, weights, count);
    case 2:
        return mulAddN<2, Init>(acc, rows, weights, count);
    case 3:
        return mulAddN<3, Init>(acc, rows, weights, count);
    case 4:
        return mulAddN<4, Init>(acc, rows, weights, count);
    case 5:
        return mulAddN<5, Init>(acc, rows, weights, count);
    case 6:
        return mulAddN<6, Init>(acc, rows, weights, count);
    case 7:
        return mulAddN<7, Init>(acc, rows, weights, count);
    default:
        return mulAddN<8, Init>(acc, rows, weights, count);
    }
}

// The rows are addressed from their first sample; i - step and i + step
// stay inside them.
template <class T>
inline void gradient(T* __restrict out, const T* __restrict north, const T* __restrict mid,
                     const T* __restrict south, size_t count, size_t step, int32_t top)
{
    for (size_t i = 0; i < count; ++i) {
        const size_t w = i, c = i + step, e = i + 2 * step;
        const int32_t gx = 2 * (int32_t(mid[e]) - int32_t(mid[w])) +
                           (int32_t(north[e]) - int32_t(north[w])) +
                           (int32_t(south[e]) - int32_t(south[w]));
        const int32_t gy = 2 * (int32_t(south[c]) - int32_t(north[c])) +
                           (int32_t(south[e]) - int32_t(north[e])) +
                           (int32_t(south[w]) - int32_t(north[w]));
        const int32_t m = (gx < 0 ? -gx : gx) + (gy < 0 ? -gy : gy);
        out[c] = T(m < top ? m : top);
    }
}

// Quotients truncated toward zero without integer division, which does not
// vectorise. In double: a quotient of two integers below 2^32 is never
// within a rounding step of the next integer, so truncating the rounded
// quotient gives the integer quotient.
template <class T>
inline void finish(T* __restrict out, const int32_t* __restrict acc, size_t count, int32_t divisor,
                   int32_t rounding, int32_t lowest, int32_t highest, uint32_t signFlip,
                   uint32_t shift, bool small)
{
    if (divisor == 1) {
        for (size_t i = 0; i < count; ++i) {
            const int32_t v = acc[i] < lowest ? lowest : acc[i] > highest ? highest : acc[i];
            out[i] = T((uint32_t(v) ^ signFlip) - shift);
        }
        return;
    }
    if (small) {
        // |a| x (1 / |d|) in float is off the quotient by less than one for
        // |a| below 2^24; one step of the remainder corrects it.
        const int32_t ad = divisor < 0 ? -divisor : divisor;
        const float inverse = 1.0f / float(ad);
        const bool negativeDivisor = divisor < 0;
        for (size_t i = 0; i < count; ++i) {
            const int32_t a = acc[i] + rounding;
            const int32_t ta = a < 0 ? -a : a;
            int32_t q = int32_t(float(ta) * inverse);
            const int32_t r = ta - q * ad;
            q += (r >= ad ? 1 : 0) - (r < 0 ? 1 : 0);
            q = (a < 0) != negativeDivisor ? -q : q;
            const int32_t v = q < lowest ? lowest : q > highest ? highest : q;
            out[i] = T((uint32_t(v) ^ signFlip) - shift);
        }
        return;
    }
    const double d = divisor;
    for (size_t i = 0; i < count; ++i) {
        const double q = (double(acc[i]) + double(rounding)) / d;
        const double held = q < lowest ? double(lowest) : q > highest ? double(highest) : q;
        out[i] = T((uint32_t(int32_t(held)) ^ signFlip) - shift);
    }
}

} // namespace

LX_KERNEL_CLONES void FinishRow8(uint8_t* out, const int32_t* acc, size_t count, int32_t divisor,
                                 int32_t rounding, int32_t lowest, int32_t highest,
                                 uint32_t signFlip, uint32_t shift, bool small)
{
    finish(out, acc, count, divisor, rounding, lowest, highest, signFlip, shift, small);
}

LX_KERNEL_CLONES void FinishRow16(uint16_t* out, const int32_t* acc, size_t count, int32_t divisor,
                                  int32_t rounding, int32_t lowest, int32_t highest,
                                  uint32_t signFlip, uint32_t shift, bool small)
{
    finish(out, acc, count, divisor, rounding, lowest, highest, signFlip, shift, small);
}

LX_KERNEL_CLONES void MulAddRow8(int32_t* acc, const uint8_t* row, int32_t weight, size_t count)
{
    mulAdd(acc, row, weight, count);
}

LX_KERNEL_CLONES void MulAddRows8(int32_t* acc, const uint8_t* const* rows,
                                   const int32_t* weights, size_t n, size_t count, bool init)
{
    if (init)
        mulAddRows<true>(acc, rows, weights, n, count);
    else
        mulAddRows<false>(acc, rows, weights, n, count);
}

LX_KERNEL_CLONES void MulAddRows16(int32_t* acc, const uint16_t* const* rows,
                                    const int32_t* weights, size_t n, size_t count, bool init)
{
    if (init)
        mulAddRows<true>(acc, rows, weights, n, count);
    else
        mulAddRows<false>(acc, rows, weights, n, count);
}

LX_KERNEL_CLONES void MulAddRow16(int32_t* acc, const uint16_t* row, int32_t weight, size_t count)
{
    mulAdd(acc, row, weight, count);
}

LX_KERNEL_CLONES void GradientRow8(uint8_t* out, const uint8_t* north, const uint8_t* mid,
                                   const uint8_t* south, size_t count, size_t step, int32_t top)
{
    gradient(out, north, mid, south, count, step, top);
}

LX_KERNEL_CLONES void GradientRow16(uint16_t* out, const uint16_t* north, const uint16_t* mid,
                                    const uint16_t* south, size_t count, size_t step, int32_t top)
{
    gradient(out, north, mid, south, count, step, top);
}
