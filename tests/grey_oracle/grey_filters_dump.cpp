// Runs the histogram record and the reconstruction passes on pictures from
// stdin and writes the results to stdout, for check_grey_filters.py to
// compare with NumPy and scikit-image. Samples travel as raw little-endian
// arrays (bytes for 8 bits, 16-bit words above), components interleaved.
//
//   histo BITS COMPS W H MASKED LOW HIGH < samples [mask bytes W x H]
//       -> per component 2^BITS uint64 counts, then (several components)
//          the mean plane, then per component the uint32 low and high of
//          GetLowHighAbs(LOW, HIGH)
//   recon BITS W H < source, marker
//       -> source - the marker after forward and backward passes until
//          neither changes, under the source
//   batch -> one command a line, each line followed by its input
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gnr_picture/LxHisto.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "tests/oracle_commands.h"

namespace
{

using oracle_commands::Die;
using oracle_commands::ReadBytes;

// A picture record holding the samples from stdin.
struct Picture {
    SLxPicBuf rec;
    Picture(uint32_t w, uint32_t h, uint32_t bits, uint32_t comps)
    {
        CLxPicBufAPI::Init(&rec);
        if (CLxPicBufAPI::Reinit(&rec, w, h, 0, bits, comps, true) != 0)
            Die("picture");
        const size_t line = size_t(w) * comps * (bits > 8 ? 2 : 1);
        const std::vector<uint8_t> samples = ReadBytes(line * h);
        for (uint32_t y = 0; y < h; ++y)
            std::memcpy(static_cast<uint8_t*>(rec.pData) + size_t(y) * rec.uiWidthBytes,
                        samples.data() + y * line, line);
    }
    ~Picture() { CLxPicBufAPI::Free(&rec); }
    uint32_t at(uint32_t x, uint32_t y) const
    {
        const uint8_t* row = static_cast<const uint8_t*>(rec.pData) + size_t(y) * rec.uiWidthBytes;
        if (rec.uiBpc > 8) {
            uint16_t v;
            std::memcpy(&v, row + size_t(x) * 2, 2);
            return v;
        }
        return row[x];
    }
};

int histo(uint32_t bits, uint32_t comps, uint32_t w, uint32_t h, bool masked, unsigned lowCount,
          unsigned highCount)
{
    Picture pic(w, h, bits, comps);
    SLxHisto record;
    CLxHistoAPI::Init(&record);
    const SLxPicBufDesc desc{pic.rec.uiWidth, pic.rec.uiHeight, pic.rec.uiWidthBytes,
                             pic.rec.uiBpc,   pic.rec.uiComps,  pic.rec.uiSize};
    if (CLxHistoAPI::Reinit64(&record, &desc) != 0)
        Die("Reinit64");
    int status;
    if (masked) {
        Picture mask(w, h, 8, 1);
        status = CLxHistoAPI::CalculateUnderBinary(&record, &pic.rec, &mask.rec, true);
    } else {
        status = CLxHistoAPI::Calculate(&record, &pic.rec, true);
    }
    if (status != 0)
        Die("Calculate");
    const size_t bins = size_t(1) << bits;
    for (uint32_t c = 0; c < comps; ++c)
        for (size_t j = 0; j < bins; ++j) {
            const uint64_t v = CLxHistoAPI::GetValue(&record, c, unsigned(j));
            std::fwrite(&v, 8, 1, stdout);
        }
    if (comps > 1)
        std::fwrite(record.pHisto, 8, bins, stdout);
    std::vector<unsigned> low(comps), high(comps);
    if (CLxHistoAPI::GetLowHighAbs(&record, low.data(), high.data(), lowCount, highCount) != 0)
        Die("GetLowHighAbs");
    for (uint32_t c = 0; c < comps; ++c) {
        const uint32_t pair[2] = {low[c], high[c]};
        std::fwrite(pair, 4, 2, stdout);
    }
    CLxHistoAPI::Free(&record);
    return 0;
}

int recon(uint32_t bits, uint32_t w, uint32_t h)
{
    Picture source(w, h, bits, 1), marker(w, h, bits, 1);
    SLxKernel forward{}, backward{};
    for (SLxKernel* k : {&forward, &backward}) {
        k->uiNRows = k->uiNCols = 3;
        k->uiCenterRow = k->uiCenterCol = 1;
    }
    for (int i = 0; i < 9; ++i) {
        forward.ubMask[i] = uint8_t(i <= 4);
        backward.ubMask[i] = uint8_t(i >= 4);
        forward.iValues[i] = forward.ubMask[i];
        backward.iValues[i] = backward.ubMask[i];
    }
    const bool eight = bits == 8;
    for (bool changed = true; changed;) {
        const int a = eight ? RegionalMaximaStep1_8(&marker.rec, &source.rec, &forward)
                            : RegionalMaximaStep1_16(&marker.rec, &source.rec, &forward);
        const int b = eight ? RegionalMaximaPass_8(&marker.rec, &source.rec, &backward)
                            : RegionalMaximaStep2_16(&marker.rec, &source.rec, &backward);
        changed = a != 0 || b != 0;
    }
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t d = source.at(x, y) - marker.at(x, y);
            if (eight) {
                const uint8_t v = uint8_t(d);
                std::fwrite(&v, 1, 1, stdout);
            } else {
                const uint16_t v = uint16_t(d);
                std::fwrite(&v, 2, 1, stdout);
            }
        }
    return 0;
}

int run(const std::vector<std::string>& a)
{
    auto n = [&](size_t i) { return i < a.size() ? uint32_t(std::strtoul(a[i].c_str(), nullptr, 10)) : 0u; };
    if (a.empty())
        Die("no command");
    if (a[0] == "histo" && a.size() == 8)
        return histo(n(1), n(2), n(3), n(4), n(5) != 0, n(6), n(7));
    if (a[0] == "recon" && a.size() == 4)
        return recon(n(1), n(2), n(3));
    Die("unknown command");
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "batch") {
        oracle_commands::ForEachLine([](const std::vector<std::string>& a) { run(a); });
        return 0;
    }
    return run(args);
}
