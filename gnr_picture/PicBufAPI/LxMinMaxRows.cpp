// Plain loops the compiler vectorises; cloned because 16-bit unsigned
// minimum and maximum need more than SSE2 offers in one instruction.
#include "gnr_picture/PicBufAPI/LxMinMaxRows.h"

#include "gnr_picture/picmemAPI/LxKernelClones.h"

LX_KERNEL_CLONES void MinRow8(uint8_t* __restrict acc, const uint8_t* __restrict row, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        acc[i] = row[i] < acc[i] ? row[i] : acc[i];
}

LX_KERNEL_CLONES void MaxRow8(uint8_t* __restrict acc, const uint8_t* __restrict row, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        acc[i] = row[i] > acc[i] ? row[i] : acc[i];
}

LX_KERNEL_CLONES void MinRow16(uint16_t* __restrict acc, const uint16_t* __restrict row,
                               size_t count)
{
    for (size_t i = 0; i < count; ++i)
        acc[i] = row[i] < acc[i] ? row[i] : acc[i];
}

LX_KERNEL_CLONES void MaxRow16(uint16_t* __restrict acc, const uint16_t* __restrict row,
                               size_t count)
{
    for (size_t i = 0; i < count; ++i)
        acc[i] = row[i] > acc[i] ? row[i] : acc[i];
}

LX_KERNEL_CLONES void MinOf8(uint8_t* __restrict out, const uint8_t* __restrict a,
                             const uint8_t* __restrict b, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        out[i] = b[i] < a[i] ? b[i] : a[i];
}

LX_KERNEL_CLONES void MaxOf8(uint8_t* __restrict out, const uint8_t* __restrict a,
                             const uint8_t* __restrict b, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        out[i] = b[i] > a[i] ? b[i] : a[i];
}

LX_KERNEL_CLONES void MinOf16(uint16_t* __restrict out, const uint16_t* __restrict a,
                              const uint16_t* __restrict b, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        out[i] = b[i] < a[i] ? b[i] : a[i];
}

LX_KERNEL_CLONES void MaxOf16(uint16_t* __restrict out, const uint16_t* __restrict a,
                              const uint16_t* __restrict b, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        out[i] = b[i] > a[i] ? b[i] : a[i];
}

// Three rows at once: the 3-wide row pass of a 3 x 3 square in one sweep.
template <class T, bool Min>
LX_KERNEL_INLINE void extremeOfThree(T* __restrict out, const T* a, const T* b, const T* c,
                                     size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const T ab = Min ? (b[i] < a[i] ? b[i] : a[i]) : (b[i] > a[i] ? b[i] : a[i]);
        out[i] = Min ? (c[i] < ab ? c[i] : ab) : (c[i] > ab ? c[i] : ab);
    }
}

LX_KERNEL_CLONES void MinOf3_8(uint8_t* out, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                               size_t count)
{
    extremeOfThree<uint8_t, true>(out, a, b, c, count);
}

LX_KERNEL_CLONES void MaxOf3_8(uint8_t* out, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                               size_t count)
{
    extremeOfThree<uint8_t, false>(out, a, b, c, count);
}

LX_KERNEL_CLONES void MinOf3_16(uint16_t* out, const uint16_t* a, const uint16_t* b,
                                const uint16_t* c, size_t count)
{
    extremeOfThree<uint16_t, true>(out, a, b, c, count);
}

LX_KERNEL_CLONES void MaxOf3_16(uint16_t* out, const uint16_t* a, const uint16_t* b,
                                const uint16_t* c, size_t count)
{
    extremeOfThree<uint16_t, false>(out, a, b, c, count);
}
