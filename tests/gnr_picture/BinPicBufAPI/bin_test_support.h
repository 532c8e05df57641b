// One-bit pictures for tests: an owning record, pixel access, random fills.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"

class BinPicture
{
  public:
    BinPicture() { CLxBinPicBufAPI::Init(&pic); }
    BinPicture(uint32_t width, uint32_t height, uint32_t widthBytes = 0) : BinPicture()
    {
        CLxBinPicBufAPI::Reinit(&pic, width, height, widthBytes, true);
    }
    ~BinPicture() { CLxBinPicBufAPI::Free(&pic); }
    BinPicture(const BinPicture&) = delete;
    BinPicture& operator=(const BinPicture&) = delete;

    SLxBinPicBuf* operator->() { return &pic; }
    SLxBinPicBuf* get() { return &pic; }
    uint8_t* line(uint32_t y) { return static_cast<uint8_t*>(pic.pData) + y * pic.uiWidthBytes; }
    bool at(uint32_t x, uint32_t y) { return (line(y)[x / 8] & (0x80u >> (x % 8))) != 0; }
    void set(uint32_t x, uint32_t y, bool v = true)
    {
        uint8_t m = static_cast<uint8_t>(0x80u >> (x % 8));
        line(y)[x / 8] = static_cast<uint8_t>(v ? line(y)[x / 8] | m : line(y)[x / 8] & ~m);
    }
    // The pixels as 0/1 bytes, line after line.
    std::vector<uint8_t> pixels()
    {
        std::vector<uint8_t> out;
        for (uint32_t y = 0; y < pic.uiHeight; ++y)
            for (uint32_t x = 0; x < pic.uiWidth; ++x)
                out.push_back(at(x, y) ? 1 : 0);
        return out;
    }
    // Every byte random (padding too), about density of the pixels set.
    void randomise(std::mt19937& rng, double density = 0.5)
    {
        std::bernoulli_distribution bit(density);
        auto* p = static_cast<uint8_t*>(pic.pData);
        for (uint32_t i = 0; i < pic.uiSize; ++i) {
            uint8_t b = 0;
            for (int k = 0; k < 8; ++k)
                b = static_cast<uint8_t>((b << 1) | (bit(rng) ? 1 : 0));
            p[i] = b;
        }
    }

    SLxBinPicBuf pic;
};

// Pictures drawn as text: one string a line, '#' for a set pixel.
using Rows = std::vector<std::string>;

inline void Draw(BinPicture& p, const Rows& rows)
{
    for (uint32_t y = 0; y < rows.size(); ++y)
        for (uint32_t x = 0; x < rows[y].size(); ++x)
            p.set(x, y, rows[y][x] == '#');
}

inline Rows Read(BinPicture& p)
{
    Rows rows(p->uiHeight, std::string(p->uiWidth, '.'));
    for (uint32_t y = 0; y < p->uiHeight; ++y)
        for (uint32_t x = 0; x < p->uiWidth; ++x)
            if (p.at(x, y))
                rows[y][x] = '#';
    return rows;
}

inline int CountSet(BinPicture& p)
{
    int n = 0;
    for (uint32_t y = 0; y < p->uiHeight; ++y)
        for (uint32_t x = 0; x < p->uiWidth; ++x)
            n += p.at(x, y);
    return n;
}
