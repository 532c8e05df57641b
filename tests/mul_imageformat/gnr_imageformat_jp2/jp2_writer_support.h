// Helpers of the writer tests: attributes, seeded frames, the top-level
// boxes of a written file and a writer held by one reference.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "jp2_test_support.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_output_file.h"

namespace jp2writer
{

using jp2test::Bytes;

inline SLxImageAttributes Attributes(uint32_t w, uint32_t h, uint32_t comps, uint32_t bits,
                              int32_t compression = 0, double rate = 0.0, uint32_t tile = 0)
{
    SLxImageAttributes a{};
    a.uiWidth = w;
    a.uiHeight = h;
    a.uiComp = comps;
    a.uiBpcInMemory = uint8_t(bits);
    a.uiBpcSignificant = uint8_t(bits);
    a.uiVirtualComponents = comps;
    a.uiTileWidth = a.uiTileHeight = tile;
    a.eCompression = compression;
    a.dCompressionParam = rate;
    return a;
}

inline uint32_t Stride(uint32_t w, uint32_t bits, uint32_t comps)
{
    return CLxPicBufAPI::CalcWidthBytes(w, (bits + 7) / 8 * 8, comps, 4);
}

// A frame of varied samples (seeded), padding bytes zero.
inline Bytes Frame(uint32_t w, uint32_t h, uint32_t comps, uint32_t bits, uint32_t seed)
{
    const uint32_t stride = Stride(w, bits, comps), bytes = (bits + 7) / 8;
    Bytes f(size_t(stride) * h, 0);
    std::mt19937 rng(seed);
    const uint32_t most = (1u << bits) - 1;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t i = 0; i < w * comps; ++i) {
            // Smooth with noise, so that rates have something to keep.
            const uint32_t v = (((y ^ i) + rng() % 16) * 37) & most;
            uint8_t* p = f.data() + size_t(y) * stride + size_t(i) * bytes;
            p[0] = uint8_t(v);
            if (bytes == 2)
                p[1] = uint8_t(v >> 8);
        }
    return f;
}

// Counts the top-level boxes of a file by type.
inline std::vector<std::pair<std::string, uint64_t>> TopBoxes(const Bytes& b)
{
    std::vector<std::pair<std::string, uint64_t>> out;
    uint64_t at = 0;
    while (at + 8 <= b.size()) {
        uint64_t len = jp2test::GetU32(b, size_t(at));
        const std::string type(reinterpret_cast<const char*>(&b[size_t(at) + 4]), 4);
        uint64_t header = 8;
        if (len == 1) {
            len = (uint64_t(jp2test::GetU32(b, size_t(at) + 8)) << 32) |
                  jp2test::GetU32(b, size_t(at) + 12);
            header = 16;
        } else if (len == 0)
            len = b.size() - at;
        out.push_back({type, at});
        if (len < header)
            break;
        at += len;
    }
    return out;
}

inline size_t Count(const std::vector<std::pair<std::string, uint64_t>>& boxes, const char* type)
{
    size_t n = 0;
    for (const auto& b : boxes)
        n += b.first == type;
    return n;
}

struct Writer {
    CLxJP2OutputFile* w;
    explicit Writer(const std::u16string& path)
        : w(new CLxJP2OutputFile(nullptr, CLxStringW(path.c_str())))
    {
        w->AddRef();
    }
    ~Writer() { w->Release(); }
    CLxJP2OutputFile* operator->() { return w; }
};

} // namespace jp2writer
