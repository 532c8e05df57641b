// A table record that frees itself, with plain access to its entries, for
// the tests of the builders and palettes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "gnr_picture/lut/LxLut.h"

namespace luttest
{

constexpr uint32_t kUnwritten = 0xA5A5;

class Table
{
  public:
    Table(uint8_t srcBits, uint8_t lutCount, uint8_t dstBits, uint8_t dstComps)
    {
        EXPECT_EQ(SLxLut::Alloc(&lut, srcBits, lutCount, dstBits, dstComps), 0);
        fill(kUnwritten);
    }
    ~Table() { SLxLut::Free(&lut); }
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    uint32_t entries() const { return 1u << lut.uiSrcBits; }
    uint32_t bytes() const { return (lut.uiDstBits + 7u) / 8u; }

    uint8_t* row(uint32_t c, uint32_t i) const
    {
        if (lut.uiLutCount == 1 && lut.uiDstComps == 1)
            return static_cast<uint8_t*>(lut.pTable) + size_t(i) * bytes();
        if (lut.uiLutCount == 1)
            return static_cast<uint8_t**>(lut.pTable)[i];
        return static_cast<uint8_t***>(lut.pTable)[c][i];
    }
    // Sample k of entry i of table c.
    uint32_t at(uint32_t c, uint32_t i, uint32_t k = 0) const
    {
        uint32_t v = 0;
        std::memcpy(&v, row(c, i) + k * bytes(), bytes());
        return v;
    }
    uint32_t operator[](uint32_t i) const { return at(0, i, 0); }
    void put(uint32_t c, uint32_t i, uint32_t k, uint32_t v)
    {
        std::memcpy(row(c, i) + k * bytes(), &v, bytes());
    }
    // Every sample of every table (low bytes of v for byte tables).
    void fill(uint32_t v)
    {
        for (uint32_t c = 0; c < lut.uiLutCount; ++c)
            for (uint32_t i = 0; i < entries(); ++i)
                for (uint32_t k = 0; k < lut.uiDstComps; ++k)
                    put(c, i, k, v);
    }
    // Whether every sample still holds what fill wrote.
    bool untouched(uint32_t v = kUnwritten) const
    {
        const uint32_t mask = bytes() == 1 ? 0xFF : 0xFFFF;
        for (uint32_t c = 0; c < lut.uiLutCount; ++c)
            for (uint32_t i = 0; i < entries(); ++i)
                for (uint32_t k = 0; k < lut.uiDstComps; ++k)
                    if (at(c, i, k) != (v & mask))
                        return false;
        return true;
    }

    SLxLut lut;
};

} // namespace luttest
