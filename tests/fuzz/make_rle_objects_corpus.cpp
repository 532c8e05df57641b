// Writes the seed corpus of fuzz_rle_objects into the folder given (made
// when missing): pictures labelled by the library, with their object areas
// in the target's input layout.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"

namespace
{

void Put32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(char(v >> (8 * i)));
}

// One painted object of a single run: header, one segment, no custom data.
std::string OneRunObject(uint32_t id, uint32_t y, uint32_t x, uint32_t length)
{
    std::string o;
    for (uint32_t word : {id, x, y, x + length - 1, y, 65u, 1u, 49u, 0u, 0u, 0u})
        Put32(o, word);
    o.push_back('\0'); // draw style
    Put32(o, 0);       // reserved
    for (uint32_t word : {y, 1u, x, length})
        Put32(o, word);
    return o;
}

// Labels a random picture of that size and density; false on failure.
bool Save(const std::filesystem::path& file, uint32_t w, uint32_t h, double density,
          uint32_t custom, uint32_t seed)
{
    SLxPicBuf pic;
    CLxPicBufAPI::Init(&pic);
    if (CLxPicBufAPI::Reinit(&pic, w, h, 0, 8, 1, true) != 0)
        return false;
    std::mt19937 rng(seed);
    std::bernoulli_distribution bit(density);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            static_cast<uint8_t*>(pic.pData)[size_t(y) * pic.uiWidthBytes + x] = bit(rng) ? 255 : 0;
    SLxRLEPicBuf rle;
    CLxRLEPicBufAPI::Init(&rle, custom, true);
    bool ok = CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(&rle, &pic) == 0;
    std::string bytes;
    bytes.push_back(char((w - 1) & 0xFF));
    bytes.push_back(char((w - 1) >> 8));
    bytes.push_back(char((h - 1) & 0xFF));
    bytes.push_back(char((h - 1) >> 8));
    Put32(bytes, rle.uiObjectCount);
    Put32(bytes, rle.uiLastObjectOffset);
    bytes.append(reinterpret_cast<const char*>(rle.pObjects), rle.uiObjectSize);
    CLxRLEPicBufAPI::Free(&rle);
    CLxPicBufAPI::Free(&pic);
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return ok && bool(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::filesystem::path folder(argv[1]);
    std::filesystem::create_directories(folder);
    int failures = 0;
    uint32_t seed = 1;
    for (uint32_t w : {1u, 5u, 17u, 64u})
        for (double density : {0.1, 0.5, 0.9})
            for (uint32_t custom : {0u, 8u}) {
                std::string name = "labelled_w" + std::to_string(w) + "_d" +
                                   std::to_string(int(density * 10)) + "_c" +
                                   std::to_string(custom);
                failures += !Save(folder / name, w, 3 + seed % 20, density, custom, seed);
                ++seed;
            }
    // Headers that lie: a count no area holds, a last offset past the end,
    // an object claiming more bytes and segments than there are.
    std::string liar("\x00\x00\x03\x00", 4);
    Put32(liar, 0xFFFF0000u);
    Put32(liar, 0xFFFFFFFFu);
    liar.append(72, '\xFF');
    liar.append(6, '\0');
    std::ofstream(folder / "count_beyond_area", std::ios::binary) << liar;
    std::string big("\x07\x00\x07\x00", 4);
    Put32(big, 1);
    Put32(big, 0);
    for (uint32_t word : {1u, 0u, 0u, 3u, 0u, 0x7FFFFFFFu, 1000u, 49u, 0u, 0u, 0u})
        Put32(big, word);
    big.push_back('\0');
    Put32(big, 0);
    Put32(big, 1);
    Put32(big, 0);
    Put32(big, 4);
    std::ofstream(folder / "sizes_beyond_object", std::ios::binary) << big;
    // A run of 4,278,190,081 pixels in a 64 x 3 picture, in an object past
    // the object count that the last-object offset still reaches.
    std::string longRun("\x3F\x00\x02\x00", 4);
    Put32(longRun, 1);
    Put32(longRun, 65);
    longRun += OneRunObject(1, 0, 0, 3) + OneRunObject(2, 1, 0, 0xFF000001u);
    std::ofstream(folder / "run_longer_than_picture", std::ios::binary) << longRun;
    return failures ? 1 : 0;
}
