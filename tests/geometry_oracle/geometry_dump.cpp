// Runs the Savitzky-Golay workers, the joint histogram, the general rotation
// and the rasterisers on requests from stdin and writes the results to
// stdout, for check_geometry.py. Samples travel as raw little-endian arrays
// (bytes for 8 bits, 16-bit words above), components interleaved. Every
// answer starts with its length in bytes (uint64).
//
//   golay BITS COMPS W H SIZE MODE < samples -> status (int32), samples
//   histo2d BITS COMPS W H A B < samples -> GetSize^2 uint64 counts
//   rotate BITS COMPS W H DW DH DEG DX DY SX SY < samples, destination
//       -> status (int32), destination samples
//   line X0 Y0 X1 Y1 FOUR -> int32 pairs
//   ellipse CX CY A B FOUR -> int32 pairs
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gnr_picture/LxHisto2D.h"
#include "gnr_picture/LxLineDrawing.h"
#include "gnr_picture/PicBufAPI/LxGolayFilter.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxRotateGeneral.h"
#include "tests/oracle_commands.h"

namespace
{

using oracle_commands::Die;
using oracle_commands::ReadBytes;

void answer(const std::vector<uint8_t>& bytes)
{
    const uint64_t n = bytes.size();
    std::fwrite(&n, 8, 1, stdout);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

template <class T> void append(std::vector<uint8_t>& out, T v)
{
    const size_t at = out.size();
    out.resize(at + sizeof(T));
    std::memcpy(out.data() + at, &v, sizeof(T));
}

struct Picture {
    SLxPicBuf rec;
    size_t line;
    Picture(uint32_t w, uint32_t h, uint32_t bits, uint32_t comps)
    {
        CLxPicBufAPI::Init(&rec);
        if (CLxPicBufAPI::Reinit(&rec, w, h, 0, bits, comps, true) != 0)
            Die("picture");
        line = size_t(w) * comps * (bits > 8 ? 2 : 1);
    }
    void load()
    {
        const std::vector<uint8_t> samples = ReadBytes(line * rec.uiHeight);
        for (uint32_t y = 0; y < rec.uiHeight; ++y)
            std::memcpy(static_cast<uint8_t*>(rec.pData) + size_t(y) * rec.uiWidthBytes,
                        samples.data() + y * line, line);
    }
    void store(std::vector<uint8_t>& out) const
    {
        for (uint32_t y = 0; y < rec.uiHeight; ++y) {
            const uint8_t* row =
                static_cast<const uint8_t*>(rec.pData) + size_t(y) * rec.uiWidthBytes;
            out.insert(out.end(), row, row + line);
        }
    }
    ~Picture() { CLxPicBufAPI::Free(&rec); }
};

void golay(uint32_t bits, uint32_t comps, uint32_t w, uint32_t h, int size, int mode)
{
    Picture src(w, h, bits, comps), dst(w, h, bits, comps);
    src.load();
    std::vector<uint8_t> out;
    append(out, int32_t(lxpic::golay_filter(&dst.rec, &src.rec, size, mode)));
    dst.store(out);
    answer(out);
}

void histo2d(uint32_t bits, uint32_t comps, uint32_t w, uint32_t h, uint32_t a, uint32_t b)
{
    Picture src(w, h, bits, comps);
    src.load();
    SLxHisto2D record;
    CLxHisto2DAPI::Init(&record);
    const SLxPicBufDesc desc{w, h, src.rec.uiWidthBytes, uint8_t(bits), comps, src.rec.uiSize};
    if (CLxHisto2DAPI::Reinit64(&record, &desc) != 0)
        Die("Reinit64");
    CLxHisto2DAPI::Calculate(&record, &src.rec, a, b, true);
    const uint32_t n = CLxHisto2DAPI::GetSize(bits);
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < n; ++i)
        for (uint32_t j = 0; j < n; ++j)
            append(out, CLxHisto2DAPI::GetValue(&record, i, j));
    CLxHisto2DAPI::Free(&record);
    answer(out);
}

void rotate(uint32_t bits, uint32_t comps, uint32_t w, uint32_t h, uint32_t dw, uint32_t dh,
            double degrees, SLxDPoint to, SLxDPoint from)
{
    Picture src(w, h, bits, comps), dst(dw, dh, bits, comps);
    src.load();
    dst.load();
    std::vector<uint8_t> out;
    append(out, int32_t(lxpic::RotateGeneral(&dst.rec, &src.rec, to, from, degrees)));
    dst.store(out);
    answer(out);
}

bool collect(int x, int y, void* context)
{
    auto& out = *static_cast<std::vector<uint8_t>*>(context);
    append(out, int32_t(x));
    append(out, int32_t(y));
    return true;
}

void run(const std::vector<std::string>& a)
{
    auto i = [&](size_t k) {
        return k < a.size() ? int(std::strtol(a[k].c_str(), nullptr, 10)) : 0;
    };
    auto d = [&](size_t k) { return k < a.size() ? std::strtod(a[k].c_str(), nullptr) : 0.0; };
    auto u = [&](size_t k) { return uint32_t(i(k)); };
    if (a.empty())
        Die("no command");
    if (a[0] == "golay" && a.size() == 7)
        return golay(u(1), u(2), u(3), u(4), i(5), i(6));
    if (a[0] == "histo2d" && a.size() == 7)
        return histo2d(u(1), u(2), u(3), u(4), u(5), u(6));
    if (a[0] == "rotate" && a.size() == 12)
        return rotate(u(1), u(2), u(3), u(4), u(5), u(6), d(7), SLxDPoint{d(8), d(9)},
                      SLxDPoint{d(10), d(11)});
    std::vector<uint8_t> out;
    if (a[0] == "line" && a.size() == 6) {
        CLxLineDrawingAPI::Line(i(1), i(2), i(3), i(4), i(5) != 0, collect, &out);
        return answer(out);
    }
    if (a[0] == "ellipse" && a.size() == 6) {
        CLxLineDrawingAPI::Ellipse(i(1), i(2), i(3), i(4), i(5) != 0, collect, &out);
        return answer(out);
    }
    Die("unknown command");
}

} // namespace

int main()
{
    oracle_commands::ForEachLine([](const std::vector<std::string>& a) { run(a); });
    return 0;
}
