// Line kernels of the 3 x 3 square: the horizontal step (a line combined
// with itself moved one pixel left and right, the border pixels clamped) and
// the vertical step (three lines combined), each in one pass over whole
// words. They give the pixels of the composed shifts and AND / OR.
#pragma once

#include <cstdint>

namespace lx_bin
{

// dst = src op (src moved left) op (src moved right) over n bytes holding
// width pixels; dst must not be src. Padding of dst carries no meaning.
void Row3And(uint8_t* dst, const uint8_t* src, uint32_t n, uint32_t width);
void Row3Or(uint8_t* dst, const uint8_t* src, uint32_t n, uint32_t width);
// dst = a op b op c over n bytes.
void Lines3And(uint8_t* dst, const uint8_t* a, const uint8_t* b, const uint8_t* c, uint32_t n);
void Lines3Or(uint8_t* dst, const uint8_t* a, const uint8_t* b, const uint8_t* c, uint32_t n);

} // namespace lx_bin
