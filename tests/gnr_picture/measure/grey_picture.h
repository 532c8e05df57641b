// One-component grey pictures for the measurement tests, drawn from rows of
// characters: '.' is 0, '#' is 255 (65535 at 16 bits), digits their value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

class GreyPicture
{
  public:
    GreyPicture(uint32_t width, uint32_t height, uint32_t bits = 8)
    {
        CLxPicBufAPI::Init(&pic);
        CLxPicBufAPI::Reinit(&pic, width, height, 0, bits, 1, true);
    }
    GreyPicture(const std::vector<std::string>& rows, uint32_t bits = 8)
        : GreyPicture(uint32_t(rows.empty() ? 0 : rows[0].size()), uint32_t(rows.size()), bits)
    {
        const uint32_t full = bits > 8 ? 65535 : 255;
        for (uint32_t y = 0; y < rows.size(); ++y)
            for (uint32_t x = 0; x < rows[y].size(); ++x) {
                const char c = rows[y][x];
                set(x, y, c == '#' ? full : c >= '0' && c <= '9' ? uint32_t(c - '0') : 0);
            }
    }
    ~GreyPicture() { CLxPicBufAPI::Free(&pic); }
    GreyPicture(const GreyPicture&) = delete;
    GreyPicture& operator=(const GreyPicture&) = delete;

    SLxPicBuf* get() { return &pic; }
    uint32_t at(uint32_t x, uint32_t y) const
    {
        const uint8_t* line = static_cast<const uint8_t*>(pic.pData) + size_t(y) * pic.uiWidthBytes;
        return pic.uiBpc > 8 ? reinterpret_cast<const uint16_t*>(line)[x] : line[x];
    }
    void set(uint32_t x, uint32_t y, uint32_t v)
    {
        uint8_t* line = static_cast<uint8_t*>(pic.pData) + size_t(y) * pic.uiWidthBytes;
        if (pic.uiBpc > 8)
            reinterpret_cast<uint16_t*>(line)[x] = uint16_t(v);
        else
            line[x] = uint8_t(v);
    }
    std::vector<uint32_t> pixels() const
    {
        std::vector<uint32_t> out;
        for (uint32_t y = 0; y < pic.uiHeight; ++y)
            for (uint32_t x = 0; x < pic.uiWidth; ++x)
                out.push_back(at(x, y));
        return out;
    }

    SLxPicBuf pic;
};
