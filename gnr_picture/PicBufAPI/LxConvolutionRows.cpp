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

template <class T>
inline void mulAdd4(int32_t* __restrict acc, const T* const* rows, const int32_t* weights,
                    size_t count)
{
    const T* __restrict r0 = rows[0];
    const T* __restrict r1 = rows[1];
    const T* __restrict r2 = rows[2];
    const T* __restrict r3 = rows[3];
    const int32_t w0 = weights[0], w1 = weights[1], w2 = weights[2], w3 = weights[3];
    for (size_t i = 0; i < count; ++i)
        acc[i] += w0 * int32_t(r0[i]) + w1 * int32_t(r1[i]) + w2 * int32_t(r2[i]) +
                  w3 * int32_t(r3[i]);
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

// Quotients truncated toward zero in floating point, which vectorises: a
// quotient of two integers is never within a rounding step of the next
// integer when the dividend is below 2^24 (float) or 2^53 (double), so
// truncating the rounded quotient gives the integer quotient.
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
        const float d = float(divisor);
        for (size_t i = 0; i < count; ++i) {
            const int32_t q = int32_t(float(acc[i] + rounding) / d);
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

LX_KERNEL_CLONES void MulAddRows4x8(int32_t* acc, const uint8_t* const* rows,
                                    const int32_t* weights, size_t count)
{
    mulAdd4(acc, rows, weights, count);
}

LX_KERNEL_CLONES void MulAddRows4x16(int32_t* acc, const uint16_t* const* rows,
                                     const int32_t* weights, size_t count)
{
    mulAdd4(acc, rows, weights, count);
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
