// Line addressing shared by the float kernels.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lxfloat
{

// Whole lines of a window; 0 for a width of 0.
inline uint32_t lineCount(uint32_t width, uint32_t count)
{
    return width == 0 ? 0 : count / width;
}

// Line r of a float picture; lines step by wb rounded down to whole floats,
// so that every line stays aligned to its samples.
inline float* floatLine(void* base, uint32_t wb, uint32_t r)
{
    return static_cast<float*>(base) + size_t(r) * (wb / 4);
}

inline const float* floatLine(const void* base, uint32_t wb, uint32_t r)
{
    return static_cast<const float*>(base) + size_t(r) * (wb / 4);
}

} // namespace lxfloat
