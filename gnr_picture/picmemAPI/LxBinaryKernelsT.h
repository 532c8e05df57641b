// The one-bit kernels: unpacking a plane into samples, and writing a plane
// from a per-pixel decision (packing by comparison, thresholding by range).
// CN is a member's fixed component count, 0 for the member of any count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "gnr_picture/picmemAPI/LxBitLineT.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxpic
{

// The per-thread heap buffer of the decision tables (up to 256 KiB); null
// when it cannot grow to bytes.
uint8_t* decisionTableBuffer(size_t bytes);

// ---- Unpacking ------------------------------------------------------------------

// Writes one pixel of nc samples T by the unpack mode.
template <class T, uint32_t CN, uint32_t Mode> struct UnpackPixel {
    const uint8_t* value;
    uint32_t nc;
    size_t pixelBytes;

    void operator()(uint8_t* px, bool set) const
    {
        if constexpr (Mode == kCombineStore) {
            if (set)
                std::memcpy(px, value, CN ? CN * sizeof(T) : pixelBytes);
            else
                std::memset(px, 0, CN ? CN * sizeof(T) : pixelBytes);
        } else if constexpr (Mode == kCombineOr) {
            if (set)
                for (uint32_t c = 0; c < (CN ? CN : nc); ++c)
                    store<T>(px + c * sizeof(T),
                             T(load<T>(px + c * sizeof(T)) | load<T>(value + c * sizeof(T))));
        } else {
            if (set)
                for (uint32_t c = 0; c < (CN ? CN : nc); ++c)
                    store<T>(px + c * sizeof(T),
                             T(load<T>(px + c * sizeof(T)) & load<T>(value + c * sizeof(T))));
            else
                std::memset(px, 0, CN ? CN * sizeof(T) : pixelBytes);
        }
    }
};

// Unpacks n plane bytes into the 8 n one-byte pixels at px by the mode with
// the AVX2 lines; returns the plane bytes done (0 without AVX2), the caller
// does the rest.
uint32_t unpackBytesAvx2(uint8_t* px, const uint8_t* bytes, uint32_t n, uint8_t value,
                         uint32_t mode);

// Eight pixels of one byte, from one plane byte at once: value holds the
// pixel value in each of its bytes.
template <uint32_t Mode> struct UnpackEightBytes {
    uint64_t value;

    void operator()(uint8_t* px, uint32_t bits) const
    {
        const uint64_t set = byteMaskOfBits(bits) & value;
        if constexpr (Mode == kCombineStore)
            store<uint64_t>(px, set);
        else if constexpr (Mode == kCombineOr)
            store<uint64_t>(px, load<uint64_t>(px) | set);
        else
            store<uint64_t>(px, load<uint64_t>(px) & set);
    }
};

template <class T, uint32_t CN, uint32_t Mode>
void unpackLines(uint8_t* dst, uint32_t dstWB, const uint8_t* value, uint32_t nc,
                 const uint8_t* plane, uint32_t b, uint32_t planeWB, uint32_t width, uint32_t lines)
{
    const size_t pixelBytes = size_t(nc) * sizeof(T);
    const UnpackPixel<T, CN, Mode> pixel{value, nc, pixelBytes};
    Lines<T> d(dst, dstWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* line = d[y];
        const auto write = [&](uint32_t x, bool set) { pixel(line + x * pixelBytes, set); };
        if constexpr (CN == 1 && sizeof(T) == 1) {
            const UnpackEightBytes<Mode> eight{*value * 0x0101010101010101ull};
            readBitLine(plane + size_t(y) * planeWB, b, width, write,
                        [&](uint32_t x, const uint8_t* bytes, uint32_t n) {
                            uint32_t j = unpackBytesAvx2(line + x, bytes, n, *value, Mode);
                            for (; j < n; ++j)
                                eight(line + x + 8 * j, bytes[j]);
                        });
        } else {
            readBitLine(plane + size_t(y) * planeWB, b, width, write);
        }
    }
}

template <class T, uint32_t CN>
int unpackBin(void* dst, uint32_t comps, const void* value, uint32_t dstWB, const uint8_t* plane,
              uint32_t startBit, uint32_t planeWB, uint32_t width, uint32_t count, uint32_t mode)
{
    if (mode > kCombineAnd)
        return -2;
    const uint32_t lines = lineCount(width, count);
    if (lines == 0)
        return 0;
    if (!dst || !value || !plane)
        return -4;
    const uint32_t nc = CN ? CN : comps;
    if (nc == 0)
        return 0;
    auto* d = static_cast<uint8_t*>(dst);
    const auto* v = static_cast<const uint8_t*>(value);
    plane += startBit / 8;
    const uint32_t b = startBit % 8;
    switch (mode) {
    case kCombineStore:
        unpackLines<T, CN, kCombineStore>(d, dstWB, v, nc, plane, b, planeWB, width, lines);
        break;
    case kCombineOr:
        unpackLines<T, CN, kCombineOr>(d, dstWB, v, nc, plane, b, planeWB, width, lines);
        break;
    default:
        unpackLines<T, CN, kCombineAnd>(d, dstWB, v, nc, plane, b, planeWB, width, lines);
        break;
    }
    return 0;
}

// ---- Writing planes ------------------------------------------------------------

// Writes every line of the plane from decide(pixel) (0 or 0xFF) over a
// source of pixelBytes a pixel and samples T (for its pitch).
template <class T, class Decide>
LX_KERNEL_INLINE int writePlane(uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                const void* src, uint32_t srcWB, size_t pixelBytes, uint32_t width,
                                uint32_t lines, uint32_t combine, const Decide& decide)
{
    plane += startBit / 8;
    const uint32_t b = startBit % 8;
    ConstLines<T> s(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* out = plane + size_t(y) * planeWB;
        switch (combine) {
        case kCombineStore:
            writeBitLine<kCombineStore>(out, b, width, s[y], pixelBytes, decide);
            break;
        case kCombineOr:
            writeBitLine<kCombineOr>(out, b, width, s[y], pixelBytes, decide);
            break;
        default:
            writeBitLine<kCombineAnd>(out, b, width, s[y], pixelBytes, decide);
            break;
        }
    }
    return 0;
}

inline uint8_t decision(bool set)
{
    return set ? 0xFF : 0x00;
}

// Tables of 2^(8 sizeof(T)) entries a component, 0xFF where the component
// alone passes: the decision is the AND of the pixel's entries.
template <class T, uint32_t CN> struct TableDecision {
    const uint8_t* table;
    static constexpr size_t kEntries = size_t(1) << (8 * sizeof(T));

    uint8_t operator()(const uint8_t* px) const
    {
        uint8_t r = table[load<T>(px)];
        for (uint32_t c = 1; c < CN; ++c)
            r = uint8_t(r & table[c * kEntries + load<T>(px + c * sizeof(T))]);
        return r;
    }
};

// Fills the CN tables of samples T by pass(c, v).
template <class T, uint32_t CN, class Pass> uint8_t* buildTables(Pass pass)
{
    constexpr size_t n = TableDecision<T, CN>::kEntries;
    uint8_t* table = decisionTableBuffer(n * CN);
    if (!table)
        return nullptr;
    for (uint32_t c = 0; c < CN; ++c)
        for (size_t v = 0; v < n; ++v)
            table[c * n + v] = decision(pass(c, T(v)));
    return table;
}

// Every component c equal to value[c] (equal) or every one different
// (!equal), compared directly.
template <class T, uint32_t CN> struct EachComponentDecision {
    const uint8_t* value;
    uint32_t nc;
    bool equal;

    uint8_t operator()(const uint8_t* px) const
    {
        for (uint32_t c = 0; c < (CN ? CN : nc); ++c)
            if ((load<T>(px + c * sizeof(T)) == load<T>(value + c * sizeof(T))) != equal)
                return 0;
        return 0xFF;
    }
};

// A pixel taken as W 32-bit words: equal when every word equals the
// value's; !equal when every word differs (4x8: the one word differs; 4x16:
// each pair of components differs).
template <uint32_t W> struct WordDecision {
    uint32_t value[W];
    bool equal;

    uint8_t operator()(const uint8_t* px) const
    {
        for (uint32_t i = 0; i < W; ++i)
            if ((load<uint32_t>(px + 4 * i) == value[i]) != equal)
                return 0;
        return 0xFF;
    }
};

// Every component inside its range (inside) or outside it (!inside).
template <class T> struct RangeDecision {
    const uint8_t* low;
    const uint8_t* high;
    uint32_t nc;
    bool inside;

    uint8_t operator()(const uint8_t* px) const
    {
        for (uint32_t c = 0; c < nc; ++c) {
            const T v = load<T>(px + c * sizeof(T));
            const bool in = load<T>(low + c * sizeof(T)) <= v && v <= load<T>(high + c * sizeof(T));
            if (in != inside)
                return 0;
        }
        return 0xFF;
    }
};

// Packs the bits of bytes whole plane bytes of one-byte pixels, set where
// a pixel lies inside lo..hi, flipped by flip, with the AVX2 lines; returns
// the bytes done (0 without AVX2).
uint32_t packByteRangeAvx2(const uint8_t* px, uint32_t bytes, uint8_t lo, uint8_t hi, uint8_t flip,
                           uint8_t* out);

// One byte component inside lo..hi (inside) or outside it, compared
// directly: a run of pixels is one plain loop.
struct ByteRangeDecision {
    uint8_t lo, hi, flip; // flip 0xFF for the outside test

    uint8_t operator()(const uint8_t* px) const
    {
        return uint8_t((*px >= lo && *px <= hi ? 0xFF : 0) ^ flip);
    }
    void run(const uint8_t* px, uint32_t n, uint8_t* out) const
    {
        for (uint32_t i = 0; i < n; ++i)
            out[i] = uint8_t((px[i] >= lo && px[i] <= hi ? 0xFF : 0) ^ flip);
    }
    uint32_t packRun(const uint8_t* px, uint32_t bytes, uint8_t* out) const
    {
        return packByteRangeAvx2(px, bytes, lo, hi, flip, out);
    }
};

// Packs the bits of bytes whole plane bytes of three-byte pixels, set where
// every component c lies inside lo[c]..hi[c] (flip 0) or every one outside
// (flip 0xFF), with the AVX2 lines; returns the bytes done (0 without AVX2).
uint32_t packThreeByteRangeAvx2(const uint8_t* px, uint32_t bytes, const uint8_t* lo,
                                const uint8_t* hi, uint8_t flip, uint8_t* out);

// Three byte components by their tables, whose whole bytes of pixels the
// AVX2 lines pack from the ranges directly.
struct ThreeByteRangeDecision : TableDecision<uint8_t, 3> {
    uint8_t lo[3], hi[3], flip;

    uint32_t packRun(const uint8_t* px, uint32_t bytes, uint8_t* out) const
    {
        return packThreeByteRangeAvx2(px, bytes, lo, hi, flip, out);
    }
};

} // namespace lxpic
