// Keys of the dispatchers' (components x depth) switches.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxpic
{

// A case label: the member's component count (0 for the N member) and the
// sample bytes (or any second small number, such as a destination depth).
constexpr uint32_t formatKey(uint32_t comps, uint32_t bytes)
{
    return comps << 8 | bytes;
}

// comps itself when the family has a member of its own for it, else 0: the
// member for any count.
inline uint32_t memberComps(uint32_t comps, std::initializer_list<uint32_t> own)
{
    for (uint32_t c : own)
        if (c == comps)
            return c;
    return 0;
}

// A (source, destination) pair of sample sizes as the second half of a key.
constexpr uint32_t depthPair(uint32_t srcBytes, uint32_t dstBytes)
{
    return srcBytes << 4 | dstBytes;
}

// Sample bytes of the dispatch rule: 8 bits take the 8-bit member (1), 9 to
// 16 bits the 16-bit member (2); any other depth, 1 to 7 bits included, has
// none (0).
constexpr uint32_t memberBytes(uint32_t bits)
{
    return bits == 8 ? 1 : bits >= 9 && bits <= 16 ? 2 : 0;
}

// Whether a dispatcher has nothing to do: width or count 0.
inline bool emptyWindow(uint32_t width, uint32_t count)
{
    return width == 0 || count == 0;
}

} // namespace lxpic
