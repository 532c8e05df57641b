// Runs CLxPicBufAPI::Hilbert or Hilbert_OLD on requests from stdin and
// writes the results to stdout, for check_hilbert.py. One request a line,
//   BITS W H ANGLE OLD
// followed by W x H one-component samples (bytes for 8 bits, little-endian
// 16-bit words above); the answer is its length in bytes (uint64), the
// status (int32) and the destination's samples.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "tests/oracle_commands.h"

namespace
{

using oracle_commands::Die;

struct Picture {
    SLxPicBuf rec;
    size_t line;
    Picture(uint32_t w, uint32_t h, uint32_t bits)
    {
        CLxPicBufAPI::Init(&rec);
        if (CLxPicBufAPI::Reinit(&rec, w, h, 0, bits, 1, true) != 0)
            Die("picture");
        line = size_t(w) * (bits > 8 ? 2 : 1);
    }
    ~Picture() { CLxPicBufAPI::Free(&rec); }
    uint8_t* row(uint32_t y)
    {
        return static_cast<uint8_t*>(rec.pData) + size_t(y) * rec.uiWidthBytes;
    }
};

} // namespace

int main()
{
    unsigned bits = 0, w = 0, h = 0, old = 0;
    double angle = 0;
    while (std::scanf("%u %u %u %lf %u", &bits, &w, &h, &angle, &old) == 5) {
        if (std::fgetc(stdin) != '\n')
            Die("request line");
        Picture src(w, h, bits), dst(w, h, bits);
        for (uint32_t y = 0; y < h; ++y)
            if (std::fread(src.row(y), 1, src.line, stdin) != src.line)
                Die("short input");
        const int32_t status = old ? CLxPicBufAPI::Hilbert_OLD(&dst.rec, &src.rec, angle)
                                   : CLxPicBufAPI::Hilbert(&dst.rec, &src.rec, angle);
        const uint64_t n = sizeof(status) + dst.line * h;
        std::fwrite(&n, 8, 1, stdout);
        std::fwrite(&status, sizeof(status), 1, stdout);
        for (uint32_t y = 0; y < h; ++y)
            std::fwrite(dst.row(y), 1, dst.line, stdout);
    }
    return 0;
}
