// The multiply-high that stands for floor(n / d) in the 16-bit screen
// combination, against the division itself where an inexact reciprocal
// would first go wrong.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

#include "gnr_picture/picmemAPI/LxMapKernelsT.h"

namespace
{

using lxpic::DivideByReciprocal;
using lxpic::ScreenAtScale;

constexpr uint32_t kTopProduct = 65535u * 65535u; // the largest product of two colours
constexpr uint32_t kTopWord = ~uint32_t(0);

// Every 16-bit divisor at the numerators where the excess of a rounded
// reciprocal is largest (the greatest numerator of remainder d - 1, below
// the top product and below 2^32) and where a truncated one falls short
// (the multiples of d).
TEST(MapReciprocal, EveryDivisorAtItsWorstNumerators)
{
    for (uint32_t d = 1; d <= 65535; ++d) {
        const DivideByReciprocal divide(d);
        for (const uint32_t top : {kTopProduct, kTopWord}) {
            const uint32_t multiple = top - top % d;
            const uint32_t lastRemainder = top % d == d - 1 ? top : multiple - 1;
            const uint32_t ns[] = {0, d - 1, d, multiple - 1, multiple, lastRemainder, top};
            for (const uint32_t n : ns)
                ASSERT_EQ(divide(n), n / d) << "n " << n << " d " << d;
        }
    }
}

// The scales that occur (2^bits - 1) over every numerator of the lowest and
// the highest 2^20, and a few scales past 16 bits.
TEST(MapReciprocal, TheFullScalesOverBothEndsOfTheRange)
{
    const uint32_t scales[] = {1,     3,     7,     15,       31,          63,         127,
                               255,   511,   1023,  2047,     4095,        8191,       16383,
                               32767, 65535, 65537, 1u << 20, 0x7FFFFFFFu, 0xFFFFFFFFu};
    for (const uint32_t d : scales) {
        const DivideByReciprocal divide(d);
        // A plain comparison: two million assertions would dominate the run.
        for (uint32_t i = 0; i < (1u << 20); ++i) {
            for (const uint32_t n : {i, kTopWord - i})
                if (divide(n) != n / d)
                    FAIL() << "n " << n << " d " << d << ": " << divide(n) << " for " << n / d;
        }
    }
}

// The combination itself at the corners of the colour range.
TEST(MapReciprocal, ScreenAtEveryScaleMatchesTheDivision)
{
    const uint32_t colours[] = {0, 1, 2, 254, 255, 4094, 4095, 4096, 32768, 65534, 65535};
    for (uint32_t bits = 1; bits <= 16; ++bits) {
        const uint32_t full = (1u << bits) - 1;
        const ScreenAtScale screen(full);
        for (const uint32_t x : colours)
            for (const uint32_t y : colours)
                ASSERT_EQ(screen(x, y), x + y - x * y / full)
                    << "x " << x << " y " << y << " full " << full;
    }
}

} // namespace
