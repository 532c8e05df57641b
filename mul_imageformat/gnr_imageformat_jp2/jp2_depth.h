// The depth byte of "ihdr", "bpcc" and "pclr": bits - 1, bit 7 for signed.
#pragma once

#include <cstdint>

namespace jp2_depth
{

constexpr int max_bits = 38;

inline int decode(uint8_t coded)
{
    const int bits = (coded & 0x7F) + 1;
    return (coded & 0x80) ? -bits : bits;
}

inline uint8_t encode(int depth)
{
    return depth >= 0 ? uint8_t(depth - 1) : uint8_t((-depth - 1) | 0x80);
}

} // namespace jp2_depth
