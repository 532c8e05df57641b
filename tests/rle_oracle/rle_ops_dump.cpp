// Runs the run-length shifts, intersections, unions, zoomed copies and hole
// filling on pictures from stdin and writes label images to stdout, for
// check_rle_ops.py to compare with NumPy and SciPy. Pictures travel as one
// byte (0 or 1) a pixel; results as little-endian u32 label images (object
// identifiers of a painted result, 1 for the set pixels of a non-painted
// one). One command a line, each followed by its input:
//
//   shift L|R|U|D W H N PAINTED < bits       -> W x H labels
//   and W H < bits, bits                     -> W x H labels (non-painted)
//   union|inter W H K < K flags (0 = null), then the K pictures -> W x H labels
//   zoom W H ZW ZH OFFX OFFY WW WH < bits    -> ZW x ZH labels
//   fill W H PAINTED < bits                  -> W x H labels (FillHoles)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/rle_test_support.h"
#include "tests/oracle_commands.h"

namespace
{

using oracle_commands::Die;
using oracle_commands::ReadBytes;

uint32_t Number(const std::vector<std::string>& words, size_t i)
{
    if (i >= words.size())
        Die("missing argument");
    return uint32_t(std::strtoul(words[i].c_str(), nullptr, 10));
}

struct Objects {
    explicit Objects(bool painted = true) { CLxRLEPicBufAPI::Init(&rec, 0, painted); }
    ~Objects() { CLxRLEPicBufAPI::Free(&rec); }
    SLxRLEPicBuf rec;
};

void Read(SLxRLEPicBuf* rec, uint32_t w, uint32_t h, bool painted)
{
    const std::vector<uint8_t> bits = ReadBytes(size_t(w) * h);
    SLxBinPicBuf bin;
    CLxBinPicBufAPI::Init(&bin);
    if (CLxBinPicBufAPI::Reinit(&bin, w, h, 0, true) != 0)
        Die("no memory");
    auto* data = static_cast<uint8_t*>(bin.pData);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            if (bits[size_t(y) * w + x])
                data[size_t(y) * bin.uiWidthBytes + x / 8] |= uint8_t(0x80u >> (x % 8));
    const int status = painted ? CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(rec, &bin)
                               : CLxRLEPicBufAPI::ConvertBinPicBufToNonPaintedRLE(rec, &bin);
    CLxBinPicBufAPI::Free(&bin);
    if (status != 0)
        Die("conversion failed");
}

// The record's labels in a w x h image; pixels outside it are left out.
void Write(const SLxRLEPicBuf* rec, uint32_t w, uint32_t h)
{
    std::vector<uint32_t> labels(size_t(w) * h, 0);
    auto paint = [&](uint32_t y, uint32_t x, uint32_t n, uint32_t id) {
        for (uint64_t k = x; k < uint64_t(x) + n; ++k)
            if (y < h && k < w)
                labels[size_t(y) * w + k] = id;
    };
    if (rec->bPainted) {
        for (const SLxRLEObject* o : ObjectsOf(rec))
            for (auto [y, x, n] : RunsOf(o))
                paint(y, x, n, Header(o).uiID);
    } else {
        for (uint32_t i = 0; i < rec->uiRunCount; ++i)
            paint(rec->pRuns[i].uiY, rec->pRuns[i].uiXStart, rec->pRuns[i].uiXLength, 1);
    }
    std::fwrite(labels.data(), 4, labels.size(), stdout);
}

void Run(const std::vector<std::string>& words)
{
    if (words.empty())
        return;
    const std::string& what = words[0];
    const uint32_t w = Number(words, 1), h = Number(words, 2);
    if (what == "shift") {
        using Shift = int (*)(SLxRLEPicBuf*, const SLxRLEPicBuf*, uint32_t);
        const char dir = words[1][0];
        const uint32_t sw = Number(words, 2), sh = Number(words, 3), n = Number(words, 4);
        const bool painted = Number(words, 5) != 0;
        Shift shift = dir == 'L'   ? &CLxRLEPicBufAPI::ShiftRotateLeft
                      : dir == 'R' ? &CLxRLEPicBufAPI::ShiftRotateRight
                      : dir == 'U' ? &CLxRLEPicBufAPI::ShiftRotateUp
                                   : &CLxRLEPicBufAPI::ShiftRotateDown;
        Objects src(painted), dst;
        Read(&src.rec, sw, sh, painted);
        if (shift(&dst.rec, &src.rec, n) != 0)
            Die("shift failed");
        Write(&dst.rec, sw, sh);
    } else if (what == "and") {
        Objects a(false), b(false);
        Read(&a.rec, w, h, false);
        Read(&b.rec, w, h, false);
        CLxRLEPicBufAPI::And(&a.rec, &b.rec);
        Write(&a.rec, w, h);
    } else if (what == "union" || what == "inter") {
        const uint32_t k = Number(words, 3);
        const std::vector<uint8_t> present = ReadBytes(k);
        std::vector<Objects> pics(k);
        std::vector<SLxRLEPicBuf*> list(k, nullptr);
        for (uint32_t i = 0; i < k; ++i)
            if (present[i]) {
                Read(&pics[i].rec, w, h, i % 2 == 0);
                list[i] = &pics[i].rec;
            }
        Objects result;
        const int status = what == "union"
                               ? CLxRLEPicBufAPI::MakeUnion(&result.rec, list.data(), k)
                               : CLxRLEPicBufAPI::MakeIntersection(&result.rec, list.data(), k);
        if (status != 0)
            Die("union failed");
        Write(&result.rec, w, h);
    } else if (what == "zoom") {
        const uint32_t zw = Number(words, 3), zh = Number(words, 4);
        Objects src, dst;
        Read(&src.rec, w, h, true);
        if (CLxRLEPicBufAPI::StretchDisplay(&dst.rec, Number(words, 7), Number(words, 8), zw, zh,
                                            Number(words, 5), Number(words, 6), &src.rec) != 0)
            Die("zoom failed");
        Write(&dst.rec, zw, zh);
    } else if (what == "fill") {
        const bool painted = Number(words, 3) != 0;
        Objects src(painted), dst;
        Read(&src.rec, w, h, painted);
        if (CLxRLEPicBufAPI::FillHoles(&dst.rec, &src.rec) != 0)
            Die("fill failed");
        Write(&dst.rec, w, h);
    } else {
        Die("unknown command");
    }
    std::fflush(stdout);
}

} // namespace

int main()
{
    oracle_commands::ForEachLine(Run);
    return 0;
}
