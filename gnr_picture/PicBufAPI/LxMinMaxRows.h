// Element-wise minimum and maximum of two sample rows into the first: the
// inner loop of every grey erosion and dilation, built for AVX2 and for the
// SSE2 baseline (the loader picks the clone the processor runs).
#pragma once

#include <cstddef>
#include <cstdint>

void MinRow8(uint8_t* acc, const uint8_t* row, size_t count);
void MaxRow8(uint8_t* acc, const uint8_t* row, size_t count);
void MinRow16(uint16_t* acc, const uint16_t* row, size_t count);
void MaxRow16(uint16_t* acc, const uint16_t* row, size_t count);

// The row function of a sample type and an order.
template <class T, bool Min> inline void CombineRow(T* acc, const T* row, size_t count)
{
    if constexpr (sizeof(T) == 1)
        Min ? MinRow8(acc, row, count) : MaxRow8(acc, row, count);
    else
        Min ? MinRow16(acc, row, count) : MaxRow16(acc, row, count);
}

// out = element-wise minimum (maximum) of a and b; out overlaps neither.
void MinOf8(uint8_t* out, const uint8_t* a, const uint8_t* b, size_t count);
void MaxOf8(uint8_t* out, const uint8_t* a, const uint8_t* b, size_t count);
void MinOf16(uint16_t* out, const uint16_t* a, const uint16_t* b, size_t count);
void MaxOf16(uint16_t* out, const uint16_t* a, const uint16_t* b, size_t count);

template <class T, bool Min> inline void CombineInto(T* out, const T* a, const T* b, size_t count)
{
    if constexpr (sizeof(T) == 1)
        Min ? MinOf8(out, a, b, count) : MaxOf8(out, a, b, count);
    else
        Min ? MinOf16(out, a, b, count) : MaxOf16(out, a, b, count);
}

// out[i] = minimum (maximum) of rows[k][i] over the n rows, with out[i]
// itself among them when accumulate is set. One sweep for up to eight
// rows, so a kernel's shifted rows meet in registers instead of in memory.
// out overlaps none of the rows.
void MinOfRows8(uint8_t* out, const uint8_t* const* rows, size_t n, size_t count, bool accumulate);
void MaxOfRows8(uint8_t* out, const uint8_t* const* rows, size_t n, size_t count, bool accumulate);
void MinOfRows16(uint16_t* out, const uint16_t* const* rows, size_t n, size_t count,
                 bool accumulate);
void MaxOfRows16(uint16_t* out, const uint16_t* const* rows, size_t n, size_t count,
                 bool accumulate);

template <class T, bool Min>
inline void CombineRows(T* out, const T* const* rows, size_t n, size_t count,
                        bool accumulate = false)
{
    if constexpr (sizeof(T) == 1)
        Min ? MinOfRows8(out, rows, n, count, accumulate)
            : MaxOfRows8(out, rows, n, count, accumulate);
    else
        Min ? MinOfRows16(out, rows, n, count, accumulate)
            : MaxOfRows16(out, rows, n, count, accumulate);
}
