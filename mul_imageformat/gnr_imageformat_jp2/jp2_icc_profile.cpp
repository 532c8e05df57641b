// The restricted ICC profiles of JP2 files: an input-device profile with one
// tone curve per colour and, for three colours, the three colorants.
#include <cmath>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_header.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_io.h"

namespace
{

constexpr uint32_t kHeaderSize = 128;
constexpr uint32_t kTagTable = 132;
constexpr uint32_t kTagEntry = 12;

} // namespace

void SLxJP2IccProfile::parse()
{
    // Everything is bounded by the bytes held, even when the profile's own
    // size word claims more.
    if (bytes.size() < 4)
        LX_RaiseJp2Error("Embedded ICC profile for JP2 file does not have a complete header.");
    uiSize = jp2_io::get_u32(bytes.data());
    if (uiSize < kTagTable || bytes.size() < kTagTable)
        LX_RaiseJp2Error("Embedded ICC profile for JP2 file does not have a complete header.");
    const uint64_t bound = uiSize < bytes.size() ? uiSize : bytes.size();
    const uint8_t* p = bytes.data();
    if (jp2_io::get_u32(p + 12) != icc_input_device)
        LX_RaiseJp2Error("Embedded ICC profile for JP2 file must contain an input device profile "
                         "(as opposed to a display profile, output profile, link profile, etc.).");
    uiColours = jp2_io::get_u32(p + 16) == icc_gray_space ? 1 : 3;
    uiTagCount = jp2_io::get_u32(p + kHeaderSize);
    if (kTagTable + uint64_t(uiTagCount) * kTagEntry > bound)
        LX_RaiseJp2Error("Embedded ICC profile for JP2 file appears to have been truncated!");
    for (int i = 0; i < 3; ++i)
        trcOffset[i] = colorantOffset[i] = 0;

    for (uint32_t t = 0; t < uiTagCount; ++t) {
        const uint8_t* entry = p + kTagTable + size_t(t) * kTagEntry;
        const uint32_t sig = jp2_io::get_u32(entry);
        const uint32_t offset = jp2_io::get_u32(entry + 4);
        const uint32_t length = jp2_io::get_u32(entry + 8);
        int curve = -1, colorant = -1;
        if (sig == icc_gray_trc || sig == icc_red_trc)
            curve = 0;
        else if (sig == icc_green_trc)
            curve = 1;
        else if (sig == icc_blue_trc)
            curve = 2;
        else if (sig == icc_red_colorant)
            colorant = 0;
        else if (sig == icc_green_colorant)
            colorant = 1;
        else if (sig == icc_blue_colorant)
            colorant = 2;
        else
            continue;
        const bool inside = uint64_t(offset) + length <= bound;
        if (curve >= 0) {
            if (!inside || length < 12)
                LX_RaiseJp2Error("Illegal tag offset or length value supplied in the JP2 embedded "
                                 "icc profile.");
            if (jp2_io::get_u32(p + offset) != icc_curve_type)
                LX_RaiseJp2Error("Did not find a valid `curv' data type in the embedded ICC "
                                 "profile's tone reproduction curve tag.");
            const uint32_t points = jp2_io::get_u32(p + offset + 8);
            if (12 + 2 * uint64_t(points) > length)
                LX_RaiseJp2Error("The `curv' data type used to represent an embedded ICC "
                                 "profile's tone reproduction curve appears to have been "
                                 "truncated.");
            trcOffset[curve] = offset;
        } else {
            if (!inside || length < 20)
                LX_RaiseJp2Error("Illegal tag offset or length value supplied in JP2 embedded icc "
                                 "profile.");
            if (jp2_io::get_u32(p + offset) != icc_xyz_type)
                LX_RaiseJp2Error("Did not find a valid `XYZ ' data type in the embedded ICC "
                                 "profile's colorant description tag.");
            colorantOffset[colorant] = offset;
        }
    }
    for (uint32_t c = 0; c < uiColours; ++c)
        if (trcOffset[c] == 0)
            LX_RaiseJp2Error("Embedded ICC profile for JP2 file does not contain a complete set of "
                             "tone reproduction curves!");
    if (uiColours == 3)
        for (int c = 0; c < 3; ++c)
            if (colorantOffset[c] == 0)
                LX_RaiseJp2Error("Embedded ICC profile for JP2 file does not contain a complete "
                                 "set of primary colorant specifications.");
}

void SLxJP2IccProfile::sample_curve(int colour, double (&curve)[1024]) const
{
    const uint8_t* tag = bytes.data() + trcOffset[colour];
    const uint32_t points = jp2_io::get_u32(tag + 8);
    auto point = [tag](uint32_t k) { return double((tag[12 + 2 * k] << 8) | tag[13 + 2 * k]); };
    for (int i = 0; i < 1024; ++i) {
        const double x = i / 1023.0;
        if (points == 0) {
            curve[i] = x;
        } else if (points == 1) {
            curve[i] = std::pow(x, point(0) / 256.0);
        } else {
            const double at = i * double(points - 1) / 1023.0;
            uint32_t k = uint32_t(at);
            if (k >= points - 1)
                k = points - 2;
            const double f = at - k;
            curve[i] = (point(k) + f * (point(k + 1) - point(k))) / 65535.0;
        }
    }
}

void SLxJP2IccProfile::colorant(int colour, double (&xyz)[3]) const
{
    const uint8_t* tag = bytes.data() + colorantOffset[colour] + 8;
    for (int i = 0; i < 3; ++i)
        xyz[i] = int32_t(jp2_io::get_u32(tag + 4 * i)) / 65536.0;
}
