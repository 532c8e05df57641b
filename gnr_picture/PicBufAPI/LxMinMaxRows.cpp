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

template <class T, bool Min, size_t N, bool Acc>
LX_KERNEL_INLINE void extremeOfFixedRows(T* __restrict out, const T* const* rows, size_t count)
{
    const T* r[N];
    for (size_t k = 0; k < N; ++k)
        r[k] = rows[k];
    for (size_t i = 0; i < count; ++i) {
        T v = Acc ? out[i] : r[0][i];
        for (size_t k = Acc ? 0 : 1; k < N; ++k)
            v = Min ? (r[k][i] < v ? r[k][i] : v) : (r[k][i] > v ? r[k][i] : v);
        out[i] = v;
    }
}

template <class T, bool Min, bool Acc>
LX_KERNEL_INLINE void extremeOfUpToEight(T* out, const T* const* rows, size_t n, size_t count)
{
    switch (n) {
    case 1: return extremeOfFixedRows<T, Min, 1, Acc>(out, rows, count);
    case 2: return extremeOfFixedRows<T, Min, 2, Acc>(out, rows, count);
    case 3: return extremeOfFixedRows<T, Min, 3, Acc>(out, rows, count);
    case 4: return extremeOfFixedRows<T, Min, 4, Acc>(out, rows, count);
    case 5: return extremeOfFixedRows<T, Min, 5, Acc>(out, rows, count);
    case 6: return extremeOfFixedRows<T, Min, 6, Acc>(out, rows, count);
    case 7: return extremeOfFixedRows<T, Min, 7, Acc>(out, rows, count);
    default: return extremeOfFixedRows<T, Min, 8, Acc>(out, rows, count);
    }
}

// Eight rows a sweep; later sweeps fold into what the earlier ones wrote.
template <class T, bool Min>
LX_KERNEL_INLINE void extremeOfRows(T* out, const T* const* rows, size_t n, size_t count,
                                    bool accumulate)
{
    for (size_t done = 0; done < n; done += 8, accumulate = true) {
        const size_t take = n - done < 8 ? n - done : 8;
        if (accumulate)
            extremeOfUpToEight<T, Min, true>(out, rows + done, take, count);
        else
            extremeOfUpToEight<T, Min, false>(out, rows + done, take, count);
    }
}

LX_KERNEL_CLONES void MinOfRows8(uint8_t* out, const uint8_t* const* rows, size_t n, size_t count,
                                 bool accumulate)
{
    extremeOfRows<uint8_t, true>(out, rows, n, count, accumulate);
}

LX_KERNEL_CLONES void MaxOfRows8(uint8_t* out, const uint8_t* const* rows, size_t n, size_t count,
                                 bool accumulate)
{
    extremeOfRows<uint8_t, false>(out, rows, n, count, accumulate);
}

LX_KERNEL_CLONES void MinOfRows16(uint16_t* out, const uint16_t* const* rows, size_t n,
                                  size_t count, bool accumulate)
{
    extremeOfRows<uint16_t, true>(out, rows, n, count, accumulate);
}

LX_KERNEL_CLONES void MaxOfRows16(uint16_t* out, const uint16_t* const* rows, size_t n,
                                  size_t count, bool accumulate)
{
    extremeOfRows<uint16_t, false>(out, rows, n, count, accumulate);
}
