// Measures every object of fields read from stdin in both forms (labels of
// a one-bit picture, painted run-length objects) and writes the feature
// rows to stdout, for check_measurement.py to compare with scikit-image
// and NumPy.
//
//   measure W H BITS CAL < bits (one byte a pixel), intensity samples
//     -> set pixels (uint64), then for the label form and the run-length
//        form: count (uint32), count rows of 86 doubles
// One command a line, each followed by its input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gnr_picture/BinPicBufAPI/bin_test_support.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/RLEPicBufAPI/rle_test_support.h"
#include "gnr_picture/measure/grey_picture.h"
#include "tests/oracle_commands.h"

namespace
{

using oracle_commands::Die;
using oracle_commands::ReadBytes;

void writeRows(const SLxObjectData& d)
{
    std::fwrite(&d.uiCount, 4, 1, stdout);
    if (d.uiCount)
        std::fwrite(d.pFeatures, sizeof(double) * LX_OBJECT_FEATURES, d.uiCount, stdout);
}

// Features asked for: filled area, perimeter, centre, intensity, 1-degree
// Ferets, box; convexity in the run-length form.
constexpr uint32_t kMask = 0x1 | 0x2 | 0x4 | 0x8 | 0x80 | 0x100;

void run(const std::vector<std::string>& a)
{
    if (a.size() != 5 || a[0] != "measure")
        Die("unknown command");
    const uint32_t w = uint32_t(std::strtoul(a[1].c_str(), nullptr, 10));
    const uint32_t h = uint32_t(std::strtoul(a[2].c_str(), nullptr, 10));
    const uint32_t bits = uint32_t(std::strtoul(a[3].c_str(), nullptr, 10));
    const double cal = std::strtod(a[4].c_str(), nullptr);
    BinPicture bin(w, h);
    const std::vector<uint8_t> set = ReadBytes(size_t(w) * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            bin.set(x, y, set[size_t(y) * w + x] != 0);
    GreyPicture intensity(w, h, bits);
    const size_t bytes = bits > 8 ? 2 : 1;
    const std::vector<uint8_t> samples = ReadBytes(size_t(w) * h * bytes);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* s = samples.data() + (size_t(y) * w + x) * bytes;
            intensity.set(x, y, bytes == 2 ? uint32_t(s[0] | s[1] << 8) : s[0]);
        }
    const uint64_t size = CLxPicMeasAPI::GetBinarySize(bin.get(), nullptr);
    std::fwrite(&size, 8, 1, stdout);

    const uint32_t flags[1] = {0x8};
    SLxObjectData labels;
    if (CLxPicMeasAPI::MeasureAllObjects(intensity.get(), bin.get(), false, nullptr, false, nullptr,
                                         cal, 0, 0, 0, nullptr, 0, 0, 0, kMask, &labels, nullptr,
                                         flags, nullptr, nullptr, nullptr, nullptr) != 1)
        Die("MeasureAllObjects (binary)");
    writeRows(labels);

    RLEPicture objects;
    if (CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(objects.get(), bin.get()) != 0)
        Die("ConvertBinPicBufToPaintedRLE");
    SLxObjectData runs;
    if (CLxPicMeasAPI::MeasureAllObjects(intensity.get(), objects.get(), nullptr, 0, false, nullptr,
                                         CLxPicMeasAPI::eFrameTouchKeep, false, nullptr,
                                         CLxPicMeasAPI::eFrameTouchKeep, cal, 0, 0, 0, nullptr, 0,
                                         0, 0, kMask | 0x2000, &runs, nullptr, flags, nullptr,
                                         nullptr, nullptr, nullptr, nullptr, nullptr) != 1)
        Die("MeasureAllObjects (run-length)");
    writeRows(runs);
    std::fflush(stdout);
}

} // namespace

int main()
{
    oracle_commands::ForEachLine(run);
    return 0;
}
