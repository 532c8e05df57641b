// Runs the seed fill, labelling, hole filling, cleaning, reconstruction and
// ultimate erosion on pictures from stdin and writes the results to stdout,
// for check_measure_shapes.py to compare with SciPy and scikit-image.
// Grey samples travel as raw little-endian arrays (bytes for 8 bits, 16-bit
// words above); one-bit pictures as one byte (0 or 1) a pixel.
//
//   paint BITS W H X Y CONN NEW < samples -> status (int32), count (uint64),
//                                            samples
//   label W H CONN < 16-bit samples        -> status (int32), samples
//   fillholes W H < bits                   -> bits
//   clean W H COUNT OBJECTS < bits         -> bits (Clean3x3)
//   cleanby SHAPE W H COUNT OBJECTS < bits -> bits (Clean2x2, Clean3x3,
//                                            Clean4x4Oct, Clean5x5Oct by
//                                            SHAPE 2x2, 3x3, 4x4oct, 5x5oct)
//   dilate W H < mask bits, marker bits    -> bits (ConditionalDilate)
//   ultimate W H PASSES < 16-bit samples   -> 16-bit marks
//   hull W H STEP < bits                   -> bits (ConvexHull)
//   batch -> one command a line, each line followed by its input
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gnr_picture/BinPicBufAPI/bin_test_support.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/measure/grey_picture.h"
#include "tests/oracle_commands.h"

namespace
{

using oracle_commands::Die;
using oracle_commands::ReadBytes;

void readGrey(GreyPicture& pic)
{
    const uint32_t w = pic.pic.uiWidth, h = pic.pic.uiHeight;
    const size_t bytes = pic.pic.uiBpc > 8 ? 2 : 1;
    const std::vector<uint8_t> samples = ReadBytes(size_t(w) * h * bytes);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* s = samples.data() + (size_t(y) * w + x) * bytes;
            pic.set(x, y, bytes == 2 ? uint32_t(s[0] | s[1] << 8) : s[0]);
        }
}

void writeGrey(const GreyPicture& pic)
{
    for (uint32_t y = 0; y < pic.pic.uiHeight; ++y)
        for (uint32_t x = 0; x < pic.pic.uiWidth; ++x) {
            const uint32_t v = pic.at(x, y);
            const uint8_t le[2] = {uint8_t(v), uint8_t(v >> 8)};
            std::fwrite(le, pic.pic.uiBpc > 8 ? 2 : 1, 1, stdout);
        }
}

void readBits(BinPicture& pic)
{
    const uint32_t w = pic->uiWidth, h = pic->uiHeight;
    const std::vector<uint8_t> bits = ReadBytes(size_t(w) * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            pic.set(x, y, bits[size_t(y) * w + x] != 0);
}

void writeBits(BinPicture& pic)
{
    const std::vector<uint8_t> bits = pic.pixels();
    std::fwrite(bits.data(), 1, bits.size(), stdout);
}

void writeStatus(int32_t status)
{
    std::fwrite(&status, 4, 1, stdout);
}

int run(const std::vector<std::string>& a)
{
    auto n = [&](size_t i) {
        return i < a.size() ? uint32_t(std::strtoul(a[i].c_str(), nullptr, 10)) : 0u;
    };
    if (a.empty())
        Die("no command");
    if (a[0] == "paint" && a.size() == 8) {
        GreyPicture pic(n(2), n(3), n(1));
        readGrey(pic);
        const unsigned x = n(4), y = n(5);
        uint64_t count = 0;
        writeStatus(CLxPicMeasAPI::Paint(pic.get(), x, y, pic.at(x, y), n(7), n(6), count));
        std::fwrite(&count, 8, 1, stdout);
        writeGrey(pic);
    } else if (a[0] == "label" && a.size() == 4) {
        GreyPicture pic(n(1), n(2), 16);
        readGrey(pic);
        writeStatus(CLxPicMeasAPI::PaintAllObjects(pic.get(), n(3)));
        writeGrey(pic);
    } else if (a[0] == "fillholes" && a.size() == 3) {
        BinPicture src(n(1), n(2)), dst(n(1), n(2));
        readBits(src);
        if (CLxBinPicBufAPI::FillHoles(dst.get(), src.get()) != 0)
            Die("FillHoles");
        writeBits(dst);
    } else if (a[0] == "clean" && a.size() == 5) {
        BinPicture src(n(1), n(2)), dst(n(1), n(2));
        readBits(src);
        if (CLxBinPicBufAPI::Clean3x3(dst.get(), src.get(), n(3), n(4) != 0) != 0)
            Die("Clean3x3");
        writeBits(dst);
    } else if (a[0] == "cleanby" && a.size() == 6) {
        using Clean = int (*)(SLxBinPicBuf*, const SLxBinPicBuf*, uint32_t, bool);
        const struct {
            const char* shape;
            Clean clean;
        } shapes[] = {{"2x2", CLxBinPicBufAPI::Clean2x2},
                      {"3x3", CLxBinPicBufAPI::Clean3x3},
                      {"4x4oct", CLxBinPicBufAPI::Clean4x4Oct},
                      {"5x5oct", CLxBinPicBufAPI::Clean5x5Oct}};
        Clean clean = nullptr;
        for (const auto& s : shapes)
            if (a[1] == s.shape)
                clean = s.clean;
        if (!clean)
            Die("unknown shape");
        BinPicture src(n(2), n(3)), dst(n(2), n(3));
        readBits(src);
        if (clean(dst.get(), src.get(), n(4), n(5) != 0) != 0)
            Die("Clean");
        writeBits(dst);
    } else if (a[0] == "dilate" && a.size() == 3) {
        BinPicture mask(n(1), n(2)), marker(n(1), n(2)), dst(n(1), n(2));
        readBits(mask);
        readBits(marker);
        if (CLxBinPicBufAPI::ConditionalDilate(dst.get(), marker.get(), mask.get()) != 0)
            Die("ConditionalDilate");
        writeBits(dst);
    } else if (a[0] == "ultimate" && a.size() == 4) {
        GreyPicture src(n(1), n(2), 16), dst(n(1), n(2), 16);
        readGrey(src);
        if (CLxBinPicBufAPI::UltimateErosion(dst.get(), src.get(), uint16_t(n(3))) != 0)
            Die("UltimateErosion");
        writeGrey(dst);
    } else if (a[0] == "hull" && a.size() == 4) {
        BinPicture src(n(1), n(2)), dst(n(1), n(2));
        readBits(src);
        if (CLxBinPicBufAPI::ConvexHull(dst.get(), src.get(), false, false, int(n(3))) != 0)
            Die("ConvexHull");
        writeBits(dst);
    } else {
        Die("unknown command");
    }
    return 0;
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
