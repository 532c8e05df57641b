// The counting loops behind the histogram kernels: one template over the
// sample type, the component count (0: any), the intensity bin, the mask and
// the counter type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#define LX_HISTO_INLINE __attribute__((always_inline)) inline

namespace lxhisto
{

template <class T> LX_HISTO_INLINE T loadSample(const uint8_t* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// A picture window and the walk over it.
struct Walk {
    const uint8_t* src;
    size_t pitch;
    uint32_t comps;
    uint32_t valueMask; // 2^bits - 1
    uint32_t xStep, yStep;
    uint32_t width, rows;
    const uint8_t* mask; // null: every pixel
    size_t maskPitch;
};

// Counts each visited pixel: component c into hist[c], the intensity into
// intensity when Int.
template <class T, int C, bool Int, class Bin>
LX_HISTO_INLINE void countPixels(Bin* const* hist, Bin* intensity, const Walk& w)
{
    const uint32_t comps = C ? uint32_t(C) : w.comps;
    const size_t pixelBytes = sizeof(T) * comps;
    const size_t stride = pixelBytes * w.xStep;
    // 64-bit positions: a step cannot wrap around past the end.
    for (uint64_t y = 0; y < w.rows; y += w.yStep) {
        const uint8_t* p = w.src + y * w.pitch;
        const uint8_t* m = w.mask ? w.mask + y * w.maskPitch : nullptr;
        for (uint64_t x = 0; x < w.width; x += w.xStep, p += stride) {
            if (m && m[x] == 0)
                continue;
            uint32_t sum = 0;
            for (uint32_t c = 0; c < comps; ++c) {
                const uint32_t v = loadSample<T>(p + c * sizeof(T)) & w.valueMask;
                ++hist[c][v];
                sum += v;
            }
            if (Int)
                ++intensity[sum / comps];
        }
    }
}

// Byte samples of one component, every pixel: four interleaved tables take
// runs of equal values without each increment waiting for the one before;
// their sums go into the bins at the end, so the bins are the same.
template <class Bin> LX_HISTO_INLINE void countBytesSplit(Bin* hist, const Walk& w)
{
    uint32_t part[4][256];
    std::memset(part, 0, sizeof part);
    // Eight samples a load, their bits above the depth dropped at once.
    const uint64_t mask = uint64_t(w.valueMask & 0xFF) * 0x0101010101010101ull;
    for (uint32_t y = 0; y < w.rows; ++y) {
        const uint8_t* p = w.src + y * w.pitch;
        uint64_t x = 0; // 64 bits: x + 8 cannot wrap
        for (; x + 8 <= w.width; x += 8) {
            uint64_t v;
            std::memcpy(&v, p + x, 8);
            v &= mask;
            ++part[0][v & 0xFF];
            ++part[1][(v >> 8) & 0xFF];
            ++part[2][(v >> 16) & 0xFF];
            ++part[3][(v >> 24) & 0xFF];
            ++part[0][(v >> 32) & 0xFF];
            ++part[1][(v >> 40) & 0xFF];
            ++part[2][(v >> 48) & 0xFF];
            ++part[3][v >> 56];
        }
        for (; x < w.width; ++x)
            ++part[0][p[x] & w.valueMask];
    }
    for (uint32_t v = 0; v < 256; ++v)
        hist[v] += Bin(part[0][v]) + part[1][v] + part[2][v] + part[3][v];
}

// Byte samples of C (3 or 4) components, every pixel: even and odd pixels
// count into tables of their own, summed into the bins at the end. With Int
// the component mean (rounded down, below 256 for bytes) too.
template <int C, bool Int, class Bin>
LX_HISTO_INLINE void countPixelsSplit(Bin* const* hist, Bin* intensity, const Walk& w)
{
    uint32_t part[2][C + 1][256];
    std::memset(part, 0, sizeof part);
    const uint32_t m = w.valueMask & 0xFF;
    for (uint32_t y = 0; y < w.rows; ++y) {
        const uint8_t* p = w.src + y * w.pitch;
        uint64_t x = 0;
        for (; x + 2 <= w.width; x += 2, p += 2 * C) {
            uint32_t even = 0, odd = 0;
            for (int c = 0; c < C; ++c) {
                const uint32_t a = p[c] & m, b = p[C + c] & m;
                ++part[0][c][a];
                ++part[1][c][b];
                even += a;
                odd += b;
            }
            if (Int) {
                ++part[0][C][even / C];
                ++part[1][C][odd / C];
            }
        }
        if (x < w.width) {
            uint32_t sum = 0;
            for (int c = 0; c < C; ++c) {
                ++part[0][c][p[c] & m];
                sum += p[c] & m;
            }
            if (Int)
                ++part[0][C][sum / C];
        }
    }
    for (int c = 0; c < C; ++c)
        for (uint32_t v = 0; v < 256; ++v)
            hist[c][v] += Bin(part[0][c][v]) + part[1][c][v];
    if (Int)
        for (uint32_t v = 0; v < 256; ++v)
            intensity[v] += Bin(part[0][C][v]) + part[1][C][v];
}

} // namespace lxhisto
