// One table of kernel cases, run over a table of picture geometries: every
// kernel against a plain reference loop, in pictures whose padding and tail
// carry a marker byte so that any write outside the window shows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "gnr_picture/lut/LxLut.h"

namespace kerneltest
{

constexpr uint8_t kMarker = 0xA5;
constexpr size_t kTailBytes = 32;

struct PicFormat {
    uint32_t comps;
    uint32_t bytes; // sample storage: 1, 2 or 4
};

// Interleaved samples, (width x comps + pad) samples a line, marker bytes in
// the padding and after the last line.
class TestPicture
{
  public:
    TestPicture() = default;
    TestPicture(PicFormat format, uint32_t width, uint32_t lines, uint32_t padSamples)
        : m_format(format), m_width(width), m_lines(lines),
          m_pitch((width * format.comps + padSamples) * format.bytes),
          m_mem(size_t(m_pitch) * lines + kTailBytes, kMarker)
    {
    }

    uint8_t* data() { return m_mem.data(); }
    const uint8_t* data() const { return m_mem.data(); }
    uint32_t pitch() const { return m_pitch; }
    uint32_t comps() const { return m_format.comps; }
    uint32_t sampleBytes() const { return m_format.bytes; }
    uint32_t width() const { return m_width; }
    uint32_t lines() const { return m_lines; }
    const std::vector<uint8_t>& bytes() const { return m_mem; }

    uint32_t get(uint32_t x, uint32_t y, uint32_t c) const
    {
        uint32_t v = 0;
        std::memcpy(&v, at(x, y, c), m_format.bytes); // little-endian
        return v;
    }
    void put(uint32_t x, uint32_t y, uint32_t c, uint32_t v)
    {
        std::memcpy(const_cast<uint8_t*>(at(x, y, c)), &v, m_format.bytes);
    }
    // Random samples below 2^valueBits (all values of the storage for 32).
    void fill(std::mt19937& rng, uint32_t valueBits)
    {
        const uint32_t top = valueBits >= 32 ? 0xFFFFFFFFu : (1u << valueBits) - 1;
        std::uniform_int_distribution<uint32_t> value(0, top);
        for (uint32_t y = 0; y < m_lines; ++y)
            for (uint32_t x = 0; x < m_width; ++x)
                for (uint32_t c = 0; c < m_format.comps; ++c)
                    put(x, y, c, value(rng));
    }

  private:
    const uint8_t* at(uint32_t x, uint32_t y, uint32_t c) const
    {
        return m_mem.data() + size_t(y) * m_pitch +
               (size_t(x) * m_format.comps + c) * m_format.bytes;
    }

    PicFormat m_format{1, 1};
    uint32_t m_width = 0;
    uint32_t m_lines = 0;
    uint32_t m_pitch = 0;
    std::vector<uint8_t> m_mem;
};

// The shape of a test table (see SLxLut); lutCount 0: no table.
struct LutShape {
    uint8_t srcBits;
    uint8_t lutCount;
    uint8_t dstBits;
    uint8_t dstComps;
};

// Entry of table c, value v, component k: a spread of values that shows a
// wrong index, component or table.
inline uint32_t lutEntry(uint32_t c, uint32_t v, uint32_t k, uint32_t dstBits)
{
    const uint32_t mask = dstBits >= 32 ? 0xFFFFFFFFu : (1u << dstBits) - 1;
    return (v * 37u + k * 101u + c * 59u + 11u) & mask;
}

// Allocates lut to the shape and fills every entry with lutEntry.
void buildLut(SLxLut& lut, const LutShape& shape);

struct Geometry {
    uint32_t width;
    uint32_t lines;
    uint32_t pad;   // padding samples of the destination (the source has 2 more)
    uint32_t extra; // pixels beyond whole lines in the count (ignored)
};

struct KernelCase;

// Everything a case's run and reference see.
struct Ctx {
    Ctx(const KernelCase& c, uint32_t w, uint32_t n) : kc(c), width(w), count(n) {}

    const KernelCase& kc;
    uint32_t width;
    uint32_t count;
    TestPicture src;
    TestPicture dst;
    TestPicture expected; // dst as the reference leaves it
    TestPicture mask;     // one sample a pixel, values 0 to 2
    SLxLut lut;
    std::vector<double> weights;
    std::vector<uint64_t> linParams; // (a, b, c, d) per component
    uint8_t colour[3] = {0, 0, 0};   // over-exposure colour
    std::vector<uint8_t> blendTable; // 256 x 256

    uint32_t lines() const { return dst.lines(); }
    // Calls f(x, y) for every pixel of the window.
    template <class F> void eachPixel(F f) const
    {
        for (uint32_t y = 0; y < lines(); ++y)
            for (uint32_t x = 0; x < width; ++x)
                f(x, y);
    }
};

struct KernelCase {
    const char* name;
    PicFormat dst;
    PicFormat src;
    uint32_t srcValueBits; // random source samples stay below 2^srcValueBits
    LutShape lut;
    uint32_t maskBytes; // 0: no mask
    // Calls the kernel; its result is compared with the reference's.
    int (*run)(Ctx&);
    // Writes the expected samples into ctx.expected; returns the expected
    // result.
    int (*reference)(Ctx&);
    // The kernel works on dst in place (src is not used).
    bool inPlace = false;
};

class PicMemKernel : public ::testing::TestWithParam<std::tuple<KernelCase, Geometry>>
{
};

extern const Geometry kGeometries[5];

std::string kernelCaseName(const ::testing::TestParamInfo<std::tuple<KernelCase, Geometry>>& info);

// Helpers of the references.
constexpr uint32_t maxOf(uint32_t bits)
{
    return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
}
constexpr uint32_t lowBits(uint32_t v, uint32_t bytes)
{
    return bytes >= 4 ? v : v & ((1u << (8 * bytes)) - 1);
}

} // namespace kerneltest

#define KERNEL_CASES(family, table)                                                                \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        family, PicMemKernel,                                                                      \
        ::testing::Combine(::testing::ValuesIn(table), ::testing::ValuesIn(kGeometries)),          \
        kernelCaseName)
