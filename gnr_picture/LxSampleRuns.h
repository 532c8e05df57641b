// Run ends along one row of 8-bit or 16-bit samples, 16 bytes at a time:
// the seed fill spends most of its time looking for where a run of equal
// (or unequal) samples starts or stops.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lx_meas
{

#if defined(__SSE2__)
// One bit a byte of the 16 bytes at p, set where the sample equals key.
template <typename T> inline uint32_t EqualBits(const T* p, __m128i key)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i eq = sizeof(T) == 1 ? _mm_cmpeq_epi8(v, key) : _mm_cmpeq_epi16(v, key);
    return uint32_t(_mm_movemask_epi8(eq));
}

template <typename T> inline __m128i Broadcast(T key)
{
    return sizeof(T) == 1 ? _mm_set1_epi8(char(key)) : _mm_set1_epi16(short(key));
}
#endif

// The first i in [from, end) with (row[i] == key) == equal, else end.
template <typename T>
inline uint32_t FindForward(const T* row, uint32_t from, uint32_t end, T key, bool equal)
{
    constexpr uint32_t kLanes = 16 / sizeof(T);
    uint32_t i = from;
#if defined(__SSE2__)
    const __m128i k = Broadcast(key);
    const uint32_t flip = equal ? 0 : 0xFFFFu;
    for (; i + kLanes <= end; i += kLanes) {
        const uint32_t bits = EqualBits(row + i, k) ^ flip;
        if (bits)
            return i + uint32_t(__builtin_ctz(bits)) / sizeof(T);
    }
#endif
    for (; i < end; ++i)
        if ((row[i] == key) == equal)
            return i;
    return end;
}

// The last i in [begin, end) with (row[i] == key) == equal, plus one; begin
// when there is none.
template <typename T>
inline uint32_t FindBackward(const T* row, uint32_t begin, uint32_t end, T key, bool equal)
{
    constexpr uint32_t kLanes = 16 / sizeof(T);
    uint32_t i = end;
#if defined(__SSE2__)
    const __m128i k = Broadcast(key);
    const uint32_t flip = equal ? 0 : 0xFFFFu;
    for (; i >= begin + kLanes; i -= kLanes) {
        const uint32_t bits = EqualBits(row + i - kLanes, k) ^ flip;
        if (bits)
            return i - kLanes + uint32_t(31 - __builtin_clz(bits)) / sizeof(T) + 1;
    }
#endif
    for (; i > begin; --i)
        if ((row[i - 1] == key) == equal)
            return i;
    return begin;
}

// Writes value to row[first..last].
// Writes value to row[first..last]; runs are mostly short, so they are
// written in place rather than through a call.
template <typename T> inline void FillRun(T* row, uint32_t first, uint32_t last, T value)
{
    uint32_t i = first;
#if defined(__SSE2__)
    constexpr uint32_t kLanes = 16 / sizeof(T);
    if (last - first + 1 >= kLanes) {
        const __m128i v = Broadcast(value);
        for (; i + kLanes <= last + 1; i += kLanes)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), v);
        // The tail as one more store that overlaps the last one.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + last + 1 - kLanes), v);
        return;
    }
#endif
    for (; i <= last; ++i)
        row[i] = value;
}

} // namespace lx_meas
