// What every raw-memory kernel shares: sample sizes, unaligned sample access
// and the addressing of picture lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "gnr_picture/picmemAPI/LxKernelClones.h"

namespace lxpic
{

// Storage bytes of one sample: 1 to 8 bits a byte, 9 to 16 a 16-bit word,
// 17 to 32 a 32-bit word, 33 to 64 a 64-bit word; 0 for 0 or more than 64.
constexpr uint32_t sampleBytes(uint32_t bits)
{
    return bits == 0 ? 0 : bits <= 8 ? 1 : bits <= 16 ? 2 : bits <= 32 ? 4 : bits <= 64 ? 8 : 0;
}

// 2^bits - 1 without the undefined shifts (bits 32 and more give all ones).
constexpr uint32_t maxOfBits(uint32_t bits)
{
    return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
}

// Pictures may start at any byte and lines may have any pitch, so samples are
// read and written through memcpy (plain moves on x86-64).
template <class T> inline T load(const uint8_t* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T> inline void store(uint8_t* p, T v)
{
    std::memcpy(p, &v, sizeof v);
}

// Line y of a picture with samples of type T. The pitch is rounded down to
// whole samples, as the 16- and 32-bit kernels have always addressed lines.
template <class T, class Byte = uint8_t> struct Lines {
    Byte* base;
    size_t pitch;

    Lines(void* p, uint32_t widthBytes)
        : base(static_cast<Byte*>(p)), pitch(widthBytes / sizeof(T) * sizeof(T))
    {
    }
    Lines(const void* p, uint32_t widthBytes)
        : base(static_cast<Byte*>(p)), pitch(widthBytes / sizeof(T) * sizeof(T))
    {
    }
    Byte* operator[](uint32_t y) const { return base + y * pitch; }
};
template <class T> using ConstLines = Lines<T, const uint8_t>;

// Kernels work count / width whole lines; a remainder is ignored.
inline uint32_t lineCount(uint32_t width, uint32_t pixelCount)
{
    return width ? pixelCount / width : 0;
}

} // namespace lxpic
