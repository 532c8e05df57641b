// Pictures for the stretch tests: interleaved samples of 1 or 2 bytes, lines
// padded with marker bytes (and a marker tail) so that a write outside the
// picture shows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace stretchtest
{

constexpr uint8_t kMarker = 0xA5;

// Modes by number, as callers pass them.
using Mode = CLxPicMemAPI::ELxPicStretchMode;

class Picture
{
  public:
    Picture() = default;
    // Lines of 16-bit samples are whole words apart, as the kernels step
    // them: the default padding is 3 samples.
    Picture(uint32_t comps, uint32_t bytes, uint32_t width, uint32_t height,
            uint32_t padSamples = 3)
        : m_comps(comps), m_bytes(bytes), m_width(width), m_height(height),
          m_pitch((width * comps + padSamples) * bytes),
          m_mem(size_t(m_pitch) * height + 16, kMarker)
    {
    }

    uint8_t* data() { return m_mem.data(); }
    const uint8_t* data() const { return m_mem.data(); }
    // Sample (x, y, c) 's address.
    uint8_t* at(uint32_t x, uint32_t y, uint32_t c = 0)
    {
        return m_mem.data() + size_t(y) * m_pitch + (size_t(x) * m_comps + c) * m_bytes;
    }
    const uint8_t* at(uint32_t x, uint32_t y, uint32_t c = 0) const
    {
        return const_cast<Picture*>(this)->at(x, y, c);
    }
    uint32_t pitch() const { return m_pitch; }
    uint32_t comps() const { return m_comps; }
    uint32_t bits() const { return m_bytes == 1 ? 8 : 12; }
    uint32_t width() const { return m_width; }
    uint32_t height() const { return m_height; }

    uint32_t get(uint32_t x, uint32_t y, uint32_t c = 0) const
    {
        uint32_t v = 0;
        std::memcpy(&v, at(x, y, c), m_bytes);
        return v;
    }
    void put(uint32_t x, uint32_t y, uint32_t c, uint32_t v)
    {
        std::memcpy(at(x, y, c), &v, m_bytes);
    }

    void fillRandom(uint32_t seed)
    {
        std::mt19937 rng(seed);
        std::uniform_int_distribution<uint32_t> value(0, m_bytes == 1 ? 255 : 4095);
        forEach([&](uint32_t x, uint32_t y, uint32_t c) { put(x, y, c, value(rng)); });
    }
    void fillConstant(uint32_t v)
    {
        forEach([&](uint32_t x, uint32_t y, uint32_t c) { put(x, y, c, v); });
    }
    template <class F> void forEach(F f) const
    {
        for (uint32_t y = 0; y < m_height; ++y)
            for (uint32_t x = 0; x < m_width; ++x)
                for (uint32_t c = 0; c < m_comps; ++c)
                    f(x, y, c);
    }

    // "" when every padding and tail byte still holds the marker.
    std::string paddingDamage() const
    {
        const size_t lineBytes = size_t(m_width) * m_comps * m_bytes;
        for (size_t i = 0; i < m_mem.size(); ++i) {
            const size_t y = i / m_pitch, b = i % m_pitch;
            const bool inside = y < m_height && b < lineBytes;
            if (!inside && m_mem[i] != kMarker)
                return "byte " + std::to_string(b) + " of line " + std::to_string(y) + " written";
        }
        return {};
    }
    // "" when both hold the same samples, else the first difference.
    std::string differenceFrom(const Picture& o) const
    {
        if (o.m_width != m_width || o.m_height != m_height || o.m_comps != m_comps)
            return "different sizes";
        for (uint32_t y = 0; y < m_height; ++y)
            for (uint32_t x = 0; x < m_width; ++x)
                for (uint32_t c = 0; c < m_comps; ++c)
                    if (get(x, y, c) != o.get(x, y, c))
                        return "(" + std::to_string(x) + ", " + std::to_string(y) + ")[" +
                               std::to_string(c) + "]: " + std::to_string(get(x, y, c)) +
                               " instead of " + std::to_string(o.get(x, y, c));
        return {};
    }

  private:
    uint32_t m_comps = 1, m_bytes = 1, m_width = 0, m_height = 0, m_pitch = 0;
    std::vector<uint8_t> m_mem;
};

// The picture formats of the stretch kernels, with the N member exercised by
// component counts 1, 3 and 5.
struct Format {
    uint32_t comps;
    uint32_t bytes;
};
inline std::string formatName(const Format& f)
{
    return std::to_string(f.comps) + "x" + std::to_string(8 * f.bytes);
}

} // namespace stretchtest
