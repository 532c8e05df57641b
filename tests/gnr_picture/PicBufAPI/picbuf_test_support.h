// Pictures for the picture-buffer operation tests: records that free
// themselves, sample access by value, a deterministic pattern and padding
// bytes filled with a marker that the operations must leave alone.
#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace picbuftest
{

constexpr uint8_t kMarker = 0xA5;

struct Format {
    uint32_t bits;
    uint32_t comps;
};
inline std::ostream& operator<<(std::ostream& os, const Format& f)
{
    return os << f.comps << "x" << f.bits;
}

inline uint32_t maxOf(uint32_t bits)
{
    return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
}

// Whether two records hold the same seven fields.
inline bool sameFields(const SLxPicBuf& a, const SLxPicBuf& b)
{
    return a.uiWidth == b.uiWidth && a.uiHeight == b.uiHeight && a.uiWidthBytes == b.uiWidthBytes &&
           a.uiBpc == b.uiBpc && a.uiComps == b.uiComps && a.uiSize == b.uiSize &&
           a.pData == b.pData;
}

// A record passed through Init and freed at the end. With padding, each
// line carries that many extra bytes (keep it a multiple of 4: kernels of
// wide samples address lines by whole samples); every byte starts as the
// marker.
class TestPic
{
  public:
    TestPic() { CLxPicBufAPI::Init(&m_pic); }
    TestPic(uint32_t width, uint32_t height, uint32_t bits, uint32_t comps, uint32_t padding = 0)
        : TestPic()
    {
        const uint32_t line = width * comps * CLxPicBufAPI::CalcCompSize(bits);
        if (CLxPicBufAPI::Reinit(&m_pic, width, height, padding ? line + padding : 0, bits, comps,
                                 false) == 0)
            std::memset(m_pic.pData, kMarker, m_pic.uiSize);
    }
    ~TestPic() { CLxPicBufAPI::Free(&m_pic); }
    TestPic(const TestPic&) = delete;
    TestPic& operator=(const TestPic&) = delete;

    SLxPicBuf* p() { return &m_pic; }
    SLxPicBuf* operator->() { return &m_pic; }
    const SLxPicBuf& rec() const { return m_pic; }

    uint32_t sampleBytes() const { return CLxPicBufAPI::CalcCompSize(m_pic.uiBpc); }
    uint8_t* at(uint32_t x, uint32_t y, uint32_t c) const
    {
        return static_cast<uint8_t*>(m_pic.pData) + size_t(y) * m_pic.uiWidthBytes +
               (size_t(x) * m_pic.uiComps + c) * sampleBytes();
    }
    uint32_t get(uint32_t x, uint32_t y, uint32_t c) const
    {
        uint32_t v = 0;
        std::memcpy(&v, at(x, y, c), sampleBytes()); // little-endian
        return v;
    }
    void set(uint32_t x, uint32_t y, uint32_t c, uint32_t v)
    {
        std::memcpy(at(x, y, c), &v, sampleBytes());
    }
    // Sets a pixel from its stored components in order.
    void setPixel(uint32_t x, uint32_t y, std::vector<uint32_t> values)
    {
        for (uint32_t c = 0; c < values.size(); ++c)
            set(x, y, c, values[c]);
    }
    std::vector<uint32_t> pixel(uint32_t x, uint32_t y) const
    {
        std::vector<uint32_t> v;
        for (uint32_t c = 0; c < m_pic.uiComps; ++c)
            v.push_back(get(x, y, c));
        return v;
    }

    // Sample (x, y, c) of pattern `seed`, within the picture's bits.
    static uint32_t patternValue(uint32_t x, uint32_t y, uint32_t c, uint32_t bits,
                                 uint32_t seed = 0)
    {
        return ((x * 31u + y * 17u + c * 7u + seed * 101u + 3u) * 2654435761u) >> 5 & maxOf(bits);
    }
    void fillPattern(uint32_t seed = 0)
    {
        for (uint32_t y = 0; y < m_pic.uiHeight; ++y)
            for (uint32_t x = 0; x < m_pic.uiWidth; ++x)
                for (uint32_t c = 0; c < m_pic.uiComps; ++c)
                    set(x, y, c, patternValue(x, y, c, m_pic.uiBpc, seed));
    }

    // Whether every byte past the line's samples still holds the marker.
    bool paddingIntact() const
    {
        const size_t line = size_t(m_pic.uiWidth) * m_pic.uiComps * sampleBytes();
        const auto* bytes = static_cast<const uint8_t*>(m_pic.pData);
        for (uint32_t y = 0; y < m_pic.uiHeight; ++y)
            for (size_t i = line; i < m_pic.uiWidthBytes; ++i)
                if (bytes[size_t(y) * m_pic.uiWidthBytes + i] != kMarker)
                    return false;
        return true;
    }
    // All bytes, padding included.
    std::vector<uint8_t> bytes() const
    {
        const auto* p = static_cast<const uint8_t*>(m_pic.pData);
        return std::vector<uint8_t>(p, p + m_pic.uiSize);
    }

  private:
    SLxPicBuf m_pic;
};

} // namespace picbuftest
