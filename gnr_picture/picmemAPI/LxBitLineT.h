// One line of a one-bit plane, written from per-pixel decisions or read into
// per-pixel writes: a head byte when the line starts inside a byte, whole
// middle bytes of 8 pixels, and a tail byte. Bit 0 of a byte is its most
// significant bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxpic
{

// How decided bits go into the plane.
enum : uint32_t { kCombineStore = 0, kCombineOr = 1, kCombineAnd = 2 };

// A byte of which only the bits outside keep belong to the call: r holds the
// new bits there and 0 elsewhere.
template <uint32_t Mode> inline void combinePartial(uint8_t* p, uint8_t r, uint8_t keep)
{
    const uint8_t old = *p;
    if constexpr (Mode == kCombineStore)
        *p = uint8_t((old & keep) | r);
    else if constexpr (Mode == kCombineOr)
        *p = uint8_t(old | r);
    else
        *p = uint8_t((old & keep) | (old & r));
}

template <uint32_t Mode> inline void combineWhole(uint8_t* p, uint8_t r)
{
    if constexpr (Mode == kCombineStore)
        *p = r;
    else if constexpr (Mode == kCombineOr)
        *p = uint8_t(*p | r);
    else
        *p = uint8_t(*p & r);
}

// Eight decisions (0 or 0xFF, first pixel first) as one byte, the first
// pixel in the most significant bit: each decision keeps its own bit, and
// the multiply adds the eight bytes (no carries, the bits differ) into the
// top byte.
inline uint8_t packDecisions(const uint8_t* d)
{
    uint64_t v;
    std::memcpy(&v, d, sizeof v);
    return uint8_t(((v & 0x0102040810204080ull) * 0x0101010101010101ull) >> 56);
}

// Whether a decision also decides whole runs of contiguous pixels at once
// (run(px, n, out), a loop the compiler vectorises).
template <class D, class = void> struct DecidesRuns : std::false_type {
};
template <class D> struct DecidesRuns<D, std::void_t<decltype(&D::run)>> : std::true_type {
};

// Whether a decision also packs whole bytes of contiguous pixels itself
// (packRun(px, bytes, out) returns the bytes it packed, from the first).
template <class D, class = void> struct PacksRuns : std::false_type {
};
template <class D> struct PacksRuns<D, std::void_t<decltype(&D::packRun)>> : std::true_type {
};

// The decisions of n pixels into out, 0 or 0xFF each.
template <class Decide>
LX_KERNEL_INLINE void decideRun(const Decide& decide, const uint8_t* px, size_t stride, uint32_t n,
                                uint8_t* out)
{
    if constexpr (DecidesRuns<Decide>::value) {
        decide.run(px, n, out);
    } else {
        for (uint32_t i = 0; i < n; ++i)
            out[i] = decide(px + i * stride);
    }
}

// Writes the decisions of width pixels (decide(pixel address) gives 0 or
// 0xFF; pixels stride bytes apart) into the plane line starting at bit b
// (0 to 7) of out. Bits outside the pixels keep their values.
template <uint32_t Mode, class Decide>
LX_KERNEL_INLINE void writeBitLine(uint8_t* out, uint32_t b, uint32_t width, const uint8_t* px,
                                   size_t stride, const Decide& decide)
{
    uint32_t head = 0;
    if (b != 0) {
        head = width < 8 - b ? width : 8 - b;
        uint8_t r = 0;
        for (uint32_t i = 0; i < head; ++i)
            r = uint8_t(r | (decide(px + i * stride) & (0x80u >> (b + i))));
        uint8_t keep = uint8_t(0xFFu << (8 - b));
        if (width < 8 - b)
            keep = uint8_t(keep | (0xFFu >> (b + width)));
        combinePartial<Mode>(out++, r, keep);
        px += head * stride;
    }
    // Middle bytes: those the decision packs itself (stored straight into
    // the line), then runs of decisions, 8 to a byte.
    constexpr uint32_t kRunBytes = 32;
    uint8_t d[8 * kRunBytes];
    uint32_t whole = (width - head) / 8;
    if constexpr (PacksRuns<Decide>::value && Mode == kCombineStore) {
        const uint32_t packed = decide.packRun(px, whole, out);
        out += packed;
        px += 8 * size_t(packed) * stride;
        whole -= packed;
    }
    while (whole > 0) {
        const uint32_t bytes = whole < kRunBytes ? whole : kRunBytes;
        uint32_t j = 0;
        if constexpr (PacksRuns<Decide>::value) {
            j = decide.packRun(px, bytes, d);
            for (uint32_t k = 0; k < j; ++k)
                combineWhole<Mode>(out + k, d[k]);
        }
        if (j < bytes) {
            decideRun(decide, px + 8 * j * stride, stride, 8 * (bytes - j), d);
            for (uint32_t k = j; k < bytes; ++k)
                combineWhole<Mode>(out + k, packDecisions(d + 8 * (k - j)));
        }
        out += bytes;
        px += 8 * bytes * stride;
        whole -= bytes;
    }
    const uint32_t tail = (width - head) % 8;
    if (tail != 0) {
        uint8_t r = 0;
        for (uint32_t i = 0; i < tail; ++i)
            r = uint8_t(r | (decide(px + i * stride) & (0x80u >> i)));
        combinePartial<Mode>(out, r, uint8_t(0xFFu >> tail));
    }
}

// Calls write(x, set) for the head and tail pixels of the plane line
// starting at bit b (0 to 7) of in, and writeBytes(x, bytes, n) once for the
// n whole bytes of 8 pixels from pixel x on (each byte's first pixel in its
// most significant bit), left to right. No byte after the one of the last
// pixel is read.
template <class Write, class WriteBytes>
LX_KERNEL_INLINE void readBitLine(const uint8_t* in, uint32_t b, uint32_t width, Write&& write,
                                  WriteBytes&& writeBytes)
{
    uint32_t x = 0;
    if (b != 0) {
        const uint32_t head = width < 8 - b ? width : 8 - b;
        const uint32_t v = *in++;
        for (uint32_t i = 0; i < head; ++i)
            write(x++, ((v >> (7 - b - i)) & 1u) != 0);
    }
    const uint32_t whole = (width - x) / 8;
    if (whole != 0) {
        writeBytes(x, in, whole);
        in += whole;
        x += 8 * whole;
    }
    const uint32_t tail = width - x;
    if (tail != 0) {
        const uint32_t v = *in;
        for (uint32_t i = 0; i < tail; ++i)
            write(x++, ((v >> (7 - i)) & 1u) != 0);
    }
}

// Calls write(x, set) for the width pixels of the plane line starting at
// bit b (0 to 7) of in, left to right.
template <class Write>
LX_KERNEL_INLINE void readBitLine(const uint8_t* in, uint32_t b, uint32_t width, Write&& write)
{
    readBitLine(in, b, width, write, [&](uint32_t x, const uint8_t* bytes, uint32_t n) {
        for (uint32_t j = 0; j < n; ++j)
            for (uint32_t k = 0; k < 8; ++k)
                write(x + 8 * j + k, ((bytes[j] >> (7 - k)) & 1u) != 0);
    });
}

// The 8 pixels of a plane byte as 8 bytes, 0xFF under a set bit and 0
// under a clear one, the first pixel (most significant bit) at the lowest
// address: each byte keeps its own bit of the repeated byte, adding 0x7F
// carries any set bit into the byte's top bit, and the multiply spreads it.
inline uint64_t byteMaskOfBits(uint32_t bits)
{
    const uint64_t own = (uint64_t(bits) * 0x0101010101010101ull) & 0x0102040810204080ull;
    const uint64_t top = (own + 0x7F7F7F7F7F7F7F7Full) & 0x8080808080808080ull;
    return (top >> 7) * 0xFF;
}

} // namespace lxpic
