// The nearest-neighbour rule shared by the byte and the one-bit stretch.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace lxstretch
{

// Source position of destination position i: floor((i + 0.5) x scale) with
// scale = source size / destination size, at most last.
inline uint64_t nearestSource(uint64_t i, double scale, uint64_t last)
{
    return std::min(uint64_t(std::floor((double(i) + 0.5) * scale)), last);
}

} // namespace lxstretch
