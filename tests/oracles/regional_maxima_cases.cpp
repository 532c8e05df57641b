// Writes the pictures of the regional-extrema cases and what RegionalMaxima,
// RegionalMinima and the erosion under them give, for regional_maxima.py to
// check against scikit-image's reconstruction.
//
//   make_regional_maxima_cases DIR
//
// DIR/cases.txt has one line a case:
//   NAME OP BITS WIDTH HEIGHT COUNT ROWS COLS CENTRE_ROW CENTRE_COL MASK
// OP is max or min, MASK the kernel's elements as 0/1 row by row. Beside it
// NAME.src (the source), NAME.ero (the SDK's erosion of the source, for min
// of its complement, by the kernel count times) and NAME.out (the result),
// each as packed little-endian samples: bytes at 8 bits, 16-bit words above.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace
{

struct Picture {
    SLxPicBuf rec;
    Picture(uint32_t w, uint32_t h, uint32_t bits)
    {
        CLxPicBufAPI::Init(&rec);
        if (CLxPicBufAPI::Reinit(&rec, w, h, 0, bits, 1, true) != 0) {
            std::fprintf(stderr, "no memory for a %ux%u picture\n", w, h);
            std::exit(1);
        }
    }
    ~Picture() { CLxPicBufAPI::Free(&rec); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    uint8_t* row(uint32_t y) const
    {
        return static_cast<uint8_t*>(rec.pData) + size_t(y) * rec.uiWidthBytes;
    }
    void set(uint32_t x, uint32_t y, uint32_t v)
    {
        if (rec.uiBpc == 8) {
            row(y)[x] = uint8_t(v);
        } else {
            const uint16_t w = uint16_t(v);
            std::memcpy(row(y) + size_t(x) * 2, &w, 2);
        }
    }
    bool write(const std::string& path) const
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            return false;
        const size_t line = size_t(rec.uiWidth) * (rec.uiBpc == 8 ? 1 : 2);
        bool ok = true;
        for (uint32_t y = 0; y < rec.uiHeight && ok; ++y)
            ok = std::fwrite(row(y), 1, line, f) == line; // samples are little-endian here
        return std::fclose(f) == 0 && ok;
    }
};

using Fill = std::function<void(Picture&, uint32_t top)>;

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

Fill randomFill(uint32_t seed)
{
    return [seed](Picture& p, uint32_t top) {
        uint32_t state = seed;
        for (uint32_t y = 0; y < p.rec.uiHeight; ++y)
            for (uint32_t x = 0; x < p.rec.uiWidth; ++x)
                p.set(x, y, nextRandom(state) % (top + 1));
    };
}

// Coarse steps with noise on some: hills, plateaus and flat valleys.
Fill terracedFill(uint32_t seed)
{
    return [seed](Picture& p, uint32_t top) {
        uint32_t state = seed;
        const uint32_t step = (top + 1) / 8;
        for (uint32_t y = 0; y < p.rec.uiHeight; ++y)
            for (uint32_t x = 0; x < p.rec.uiWidth; ++x) {
                const uint32_t level = ((x / 5) * 3 + (y / 4) * 5 + (x * y) / 37) % 8;
                const uint32_t noise = nextRandom(state) % 4 == 0 ? nextRandom(state) % step : 0;
                p.set(x, y, level * step + noise);
            }
    };
}

// Raised blocks on a flat floor, one of them with a dimple.
void plateauFill(Picture& p, uint32_t top)
{
    for (uint32_t y = 0; y < p.rec.uiHeight; ++y)
        for (uint32_t x = 0; x < p.rec.uiWidth; ++x) {
            uint32_t v = top / 5;
            if (x >= 3 && x < 11 && y >= 2 && y < 9)
                v = top / 2;
            if (x >= 15 && x < 19 && y >= 12 && y < 20)
                v = top - 1;
            if (x == 6 && y == 5)
                v = top / 3;
            p.set(x, y, v);
        }
}

// A block in the top-left corner that survives the erosion, continued by a
// one-pixel ridge winding right, down, left, down ... through the picture.
void serpentineFill(Picture& p, uint32_t top)
{
    const uint32_t w = p.rec.uiWidth, h = p.rec.uiHeight;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            p.set(x, y, top / 20);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            p.set(x, y, top - 3);
    bool right = true;
    for (uint32_t y = 4; y + 2 < h; y += 2) {
        for (uint32_t x = 2; x + 2 < w; ++x)
            p.set(x, y, top - 3);
        if (y + 4 < h)
            p.set(right ? w - 3 : 2, y + 1, top - 3);
        right = !right;
    }
}

struct Case {
    const char* name;
    bool maxima;
    uint32_t bits, width, height;
    const SLxKernel* kernel;
    uint32_t count;
    Fill fill;
};

std::string maskText(const SLxKernel& k)
{
    std::string s;
    for (uint32_t i = 0; i < k.uiNRows * k.uiNCols; ++i)
        s += k.ubMask[i] ? '1' : '0';
    return s;
}

bool runCase(const Case& c, const std::string& dir, FILE* list)
{
    const uint32_t top = (1u << c.bits) - 1;
    Picture src(c.width, c.height, c.bits), ero(c.width, c.height, c.bits),
        out(c.width, c.height, c.bits), inverse(c.width, c.height, c.bits);
    c.fill(src, top);
    for (uint32_t y = 0; y < c.height; ++y)
        for (uint32_t x = 0; x < c.width; ++x) {
            const uint32_t v = c.bits == 8 ? src.row(y)[x]
                                           : uint32_t(src.row(y)[2 * x] | src.row(y)[2 * x + 1] << 8);
            inverse.set(x, y, top - v);
        }
    const SLxPicBuf* eroded = c.maxima ? &src.rec : &inverse.rec;
    if (CLxPicBufAPI::Erode(&ero.rec, eroded, c.kernel, c.count) != 0) {
        std::fprintf(stderr, "%s: Erode failed\n", c.name);
        return false;
    }
    const int status = c.maxima ? CLxPicBufAPI::RegionalMaxima(&out.rec, &src.rec, c.kernel, c.count)
                                : CLxPicBufAPI::RegionalMinima(&out.rec, &src.rec, c.kernel, c.count);
    if (status != 0) {
        std::fprintf(stderr, "%s: status %d\n", c.name, status);
        return false;
    }
    const std::string base = dir + "/" + c.name;
    if (!src.write(base + ".src") || !ero.write(base + ".ero") || !out.write(base + ".out")) {
        std::fprintf(stderr, "%s: cannot write under %s\n", c.name, dir.c_str());
        return false;
    }
    const SLxKernel& k = *c.kernel;
    std::fprintf(list, "%s %s %u %u %u %u %u %u %u %u %s\n", c.name, c.maxima ? "max" : "min",
                 c.bits, c.width, c.height, c.count, k.uiNRows, k.uiNCols, k.uiCenterRow,
                 k.uiCenterCol, maskText(k).c_str());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    mkdir(dir.c_str(), 0755); // may exist from an earlier run
    const SLxKernel* square3 = &CLxPicBufAPI::Square3;
    const SLxKernel* cross3 = &CLxPicBufAPI::Cross3;
    const SLxKernel* square2 = &CLxPicBufAPI::Square2;
    const SLxKernel* oct4 = &CLxPicBufAPI::Oct4;
    const Case cases[] = {
        {"random8", true, 8, 47, 39, square3, 1, randomFill(1)},
        {"random8_cross", true, 8, 33, 41, cross3, 1, randomFill(2)},
        {"random16", true, 16, 51, 29, square3, 1, randomFill(3)},
        {"random16_square2", true, 16, 23, 31, square2, 1, randomFill(4)},
        {"terraced8", true, 8, 64, 48, square3, 1, terracedFill(5)},
        {"terraced8_twice", true, 8, 64, 48, square3, 2, terracedFill(6)},
        {"terraced16_oct4", true, 16, 57, 45, oct4, 1, terracedFill(7)},
        {"terraced12_min", false, 12, 61, 37, square3, 1, terracedFill(8)},
        {"terraced8_min_cross", false, 8, 40, 40, cross3, 2, terracedFill(9)},
        {"plateau8", true, 8, 24, 22, square3, 1, plateauFill},
        {"plateau16_min", false, 16, 24, 22, square3, 1, plateauFill},
        {"serpentine8", true, 8, 64, 64, square3, 1, serpentineFill},
        {"serpentine16", true, 16, 64, 64, square3, 1, serpentineFill},
        {"serpentine16_min", false, 16, 63, 61, square3, 1, serpentineFill},
        {"narrow8", true, 8, 2, 17, square2, 1, randomFill(10)},
        {"random16_min", false, 16, 30, 3, square3, 1, randomFill(11)},
    };
    FILE* list = std::fopen((dir + "/cases.txt").c_str(), "w");
    if (!list) {
        std::fprintf(stderr, "cannot write %s/cases.txt\n", dir.c_str());
        return 1;
    }
    bool ok = true;
    for (const Case& c : cases)
        ok = runCase(c, dir, list) && ok;
    return std::fclose(list) == 0 && ok ? 0 : 1;
}
