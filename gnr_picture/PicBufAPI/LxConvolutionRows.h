// The inner row loops of convolution and gradients, built for AVX2 and for
// the SSE2 baseline (the loader picks the clone the processor runs).
#pragma once

#include <cstddef>
#include <cstdint>

// acc[i] += weight x row[i] in 32 bits; callers keep every sum inside 32 bits.
void MulAddRow8(int32_t* acc, const uint8_t* row, int32_t weight, size_t count);
void MulAddRow16(int32_t* acc, const uint16_t* row, int32_t weight, size_t count);
// acc[i] += (init: =) the sum of weights[j] x rows[j][i] over n rows (1 to
// 8): one pass over the accumulator for up to eight kernel elements.
void MulAddRows8(int32_t* acc, const uint8_t* const* rows, const int32_t* weights, size_t n,
                 size_t count, bool init);
void MulAddRows16(int32_t* acc, const uint16_t* const* rows, const int32_t* weights, size_t n,
                  size_t count, bool init);

// out[i] = (v XOR signFlip) - shift with v = acc[i], or (acc[i] + rounding)
// / divisor truncated toward zero when the divisor is not 1, held to lowest
// .. highest. signFlip and shift 0 store v itself. small: every |acc[i]| +
// |rounding| is below 2^24.
void FinishRow8(uint8_t* out, const int32_t* acc, size_t count, int32_t divisor, int32_t rounding,
                int32_t lowest, int32_t highest, uint32_t signFlip, uint32_t shift, bool small);
void FinishRow16(uint16_t* out, const int32_t* acc, size_t count, int32_t divisor,
                 int32_t rounding, int32_t lowest, int32_t highest, uint32_t signFlip,
                 uint32_t shift, bool small);

// out[i] = min(|gx| + |gy|, top) of sample i of a row whose neighbours
// across are step samples away: rows north, mid, south.
void GradientRow8(uint8_t* out, const uint8_t* north, const uint8_t* mid, const uint8_t* south,
                  size_t count, size_t step, int32_t top);
void GradientRow16(uint16_t* out, const uint16_t* north, const uint16_t* mid, const uint16_t* south,
                   size_t count, size_t step, int32_t top);
