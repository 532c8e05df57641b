// Samples of a picture to a plane of doubles: the first component of each
// pixel, bytes for pictures of up to 8 bits, 16-bit words for deeper ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lxwavelet
{

// plane[y x w + x] = component 0 of pixel (x, y) for the top-left w x h
// pixels; pixels step by comps samples, lines by widthBytes.
inline void readPlane(double* plane, size_t w, size_t h, const void* data, uint32_t widthBytes,
                      uint32_t comps, uint32_t bits)
{
    const auto* base = static_cast<const uint8_t*>(data);
    for (size_t y = 0; y < h; ++y) {
        const uint8_t* line = base + y * widthBytes;
        double* row = plane + y * w;
        if (bits <= 8) {
            for (size_t x = 0; x < w; ++x)
                row[x] = line[x * comps];
        } else {
            for (size_t x = 0; x < w; ++x) {
                uint16_t v;
                std::memcpy(&v, line + 2 * x * comps, sizeof v);
                row[x] = v;
            }
        }
    }
}

} // namespace lxwavelet
