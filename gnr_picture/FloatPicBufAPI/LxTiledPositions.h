// Where TilePad's periodic tiling takes each work position from: a source
// side centred in a longer work side and repeated around it.
#pragma once

#include <cstdint>
#include <vector>

namespace lxpic
{

// For each of n work positions, the position in a source side of `size`
// (1 <= size <= n). May throw std::bad_alloc.
inline std::vector<uint32_t> tiledPositions(uint32_t n, uint32_t size)
{
    std::vector<uint32_t> from(n);
    const uint32_t offset = (n - size) / 2;
    for (uint32_t d = 0; d < n; ++d)
        from[d] = uint32_t((int64_t(d) - offset + int64_t(size) * (offset / size + 1)) % size);
    return from;
}

} // namespace lxpic
