// The row loops of the 3 x 3 sharpening, the 3 x 3 median and the square
// mean, built for AVX2 and for the SSE2 baseline (the loader picks the clone
// the processor runs). Rows are runs of interleaved samples; a pixel's
// neighbours across are step samples away.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lxpic
{

// out[i] = 5 mid[i] - up[i] - down[i] - mid[i - step] - mid[i + step]
// (slight: 6 mid[i] - ..., shifted right by one), held to 0 .. top. mid[i -
// step] and mid[i + step] must lie in the row.
void SharpenRow8(uint8_t* out, const uint8_t* up, const uint8_t* mid, const uint8_t* down,
                 size_t count, size_t step, bool slight);
void SharpenRow16(uint16_t* out, const uint16_t* up, const uint16_t* mid, const uint16_t* down,
                  size_t count, size_t step, bool slight, int32_t top);

// Sorts the columns (up[i], mid[i], down[i]) of count samples into lo,
// middle and hi.
void SortColumns8(uint8_t* lo, uint8_t* middle, uint8_t* hi, const uint8_t* up,
                  const uint8_t* mid, const uint8_t* down, size_t count);
void SortColumns16(uint16_t* lo, uint16_t* middle, uint16_t* hi, const uint16_t* up,
                   const uint16_t* mid, const uint16_t* down, size_t count);
// out[i] = the median of the nine samples of columns i - step, i and i + step
// given sorted (lo, middle, hi at index i + step: the sorted rows carry step
// samples more on each side).
void MedianOfSorted8(uint8_t* out, const uint8_t* lo, const uint8_t* middle, const uint8_t* hi,
                     size_t count, size_t step);
void MedianOfSorted16(uint16_t* out, const uint16_t* lo, const uint16_t* middle,
                      const uint16_t* hi, size_t count, size_t step);

// sums[i] += add[i] - sub[i] (sub may be null).
void RunColumnSums8(uint32_t* sums, const uint8_t* add, const uint8_t* sub, size_t count);
void RunColumnSums16(uint32_t* sums, const uint16_t* add, const uint16_t* sub, size_t count);
// windows[i] = sums[i] + sums[i + step] + ... + sums[i + (k - 1) step] for
// i < count, by doubling: sums of 1, 2, 4 ... columns, each added in at its
// offset for the set bits of k, so a sample costs about 2 log2 k vector
// adds whatever k is. work holds 2 (count + (k - 1) step) values.
void WindowSumsRow(uint32_t* windows, uint32_t* work, const uint32_t* sums, size_t count,
                   size_t step, uint32_t k);
// The same in 16 bits, for byte samples whose windows stay below 2^16
// (k x k x 255 < 65536): twice the samples a vector.
void RunColumnSums8To16(uint16_t* sums, const uint8_t* add, const uint8_t* sub, size_t count);
void WindowSumsRow16(uint16_t* windows, uint16_t* work, const uint16_t* sums, size_t count,
                     size_t step, uint32_t k);
// out[i] = ((windows[i] + half) x multiplier) >> shift, held to 255.
void BoxMeanRow8From16(uint8_t* out, const uint16_t* windows, size_t count, uint32_t half,
                       uint32_t multiplier, uint32_t shift);
// out[i] = the rounded mean over the k column sums sums[i + t step], t = 0
// .. k - 1: ((total + half) x multiplier) >> shift, the exact quotient by
// k x k for totals below 2^30 (see MeanDivider).
void BoxMeanRow8(uint8_t* out, const uint32_t* sums, size_t count, size_t step, uint32_t k,
                 uint32_t half, uint32_t multiplier, uint32_t shift);
void BoxMeanRow16(uint16_t* out, const uint32_t* sums, size_t count, size_t step, uint32_t k,
                  uint32_t half, uint32_t multiplier, uint32_t shift, uint32_t top);

// The multiplier and shift that divide every value below 2^30 by n exactly
// (n from 1 to 2^31): shift = 31 + floor(log2 n), multiplier =
// floor(2^shift / n) + 1, which stays below 2^32.
struct MeanDivider {
    uint32_t multiplier, shift;
    explicit MeanDivider(uint32_t n);
};

} // namespace lxpic
