// Bit-depth conversions through tables and linear functions, and values
// mapped to components, against plain loops.
#include "gnr_picture/picmemAPI/LxLutConvertKernels.h"
#include "kernel_test_support.h"

namespace kerneltest
{
namespace
{

constexpr PicFormat k1x8{1, 1}, k2x8{2, 1}, k3x8{3, 1}, k4x8{4, 1}, k5x8{5, 1};
constexpr PicFormat k1x16{1, 2}, k2x16{2, 2}, k3x16{3, 2}, k4x16{4, 2}, k5x16{5, 2};
constexpr PicFormat k1x32{1, 4}, k2x32{2, 4}, k3x32{3, 4}, k5x32{5, 4};

const void* const* rows(Ctx& c)
{
    return static_cast<const void* const*>(c.lut.pTable);
}

// Sample k through the table: row[s_k][k], or flat[s_k]. With Marked, a
// pixel with any sample at or above 2^srcBits - 1 gets the colour.
template <bool Marked> int refThroughLut(Ctx& c)
{
    const bool flat = c.kc.lut.dstComps == 1;
    const uint32_t top = maxOf(c.kc.lut.srcBits);
    c.eachPixel([&](uint32_t x, uint32_t y) {
        bool over = false;
        for (uint32_t k = 0; k < c.src.comps(); ++k)
            over = over || c.src.get(x, y, k) >= top;
        for (uint32_t k = 0; k < c.dst.comps(); ++k)
            c.expected.put(x, y, k,
                           Marked && over
                               ? c.colour[k]
                               : lutEntry(0, c.src.get(x, y, k), flat ? 0 : k, c.kc.lut.dstBits));
    });
    return 0;
}

template <class Kernel, Kernel K> int runFlat(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), c.lut.pTable, c.width,
             c.count);
}
template <class Kernel, Kernel K> int runRows(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), rows(c), c.width, c.count);
}
template <class Kernel, Kernel K> int runFlatN(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), c.lut.pTable, c.dst.comps(),
             c.width, c.count);
}
template <class Kernel, Kernel K> int runRowsN(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), rows(c), c.dst.comps(),
             c.width, c.count);
}

// The members that take srcBits; 99 shows that the plain ones ignore it.
int run3x16To3x8(Ctx& c)
{
    return convertbitdepthvialuts_3x16_to_3x8(c.dst.data(), c.dst.pitch(), c.src.data(), 99,
                                              c.src.pitch(), rows(c), c.width, c.count);
}
int run3x16To3x8Lut1(Ctx& c)
{
    return convertbitdepthvialuts_3x16_to_3x8_lut1(c.dst.data(), c.dst.pitch(), c.src.data(), 99,
                                                   c.src.pitch(), c.lut.pTable, c.width, c.count);
}
template <bool WithColour> int runOverExp(Ctx& c)
{
    return convertbitdepthvialuts_3x16_to_3x8_overexp(
        c.dst.data(), c.dst.pitch(), c.src.data(), c.kc.lut.srcBits, c.src.pitch(), rows(c),
        WithColour ? c.colour : nullptr, c.width, c.count);
}
int runOverExpLut1(Ctx& c)
{
    return convertbitdepthvialuts_3x16_to_3x8_lut1_overexp(
        c.dst.data(), c.dst.pitch(), c.src.data(), c.kc.lut.srcBits, c.src.pitch(), c.lut.pTable,
        c.colour, c.width, c.count);
}

using Flat = decltype(&convertbitdepthvialuts_1x16_to_1x8);
using Rows = decltype(&convertbitdepthvialuts_4x16_to_4x8);
using FlatN = decltype(&convertbitdepthvialuts_Nx16_to_Nx8_lut1);
using RowsN = decltype(&convertbitdepthvialuts_Nx16_to_Nx8);

// (s x a - b) / c + d modulo 2^64, kept to the destination's low bits.
int refLinear(Ctx& c)
{
    c.eachPixel([&](uint32_t x, uint32_t y) {
        for (uint32_t k = 0; k < c.dst.comps(); ++k) {
            const uint64_t* p = &c.linParams[4 * k];
            const uint64_t t = uint64_t(c.src.get(x, y, k)) * p[0] - p[1];
            c.expected.put(x, y, k, uint32_t(t / p[2] + p[3]));
        }
    });
    return 0;
}

template <class Kernel, Kernel K> int runLinear(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), c.linParams.data(), c.width,
             c.count);
}
template <class Kernel, Kernel K> int runLinearN(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), c.linParams.data(),
             c.dst.comps(), c.width, c.count);
}

using Linear = decltype(&convertbitdepthvialinfunc_1x32_to_1x16);
using LinearN = decltype(&convertbitdepthvialinfunc_Mx32_to_Mx16);

// The pixel's one value v: flat[v] in every component, or row[v][k].
int refMapValue(Ctx& c)
{
    const bool flat = c.kc.lut.dstComps == 1;
    c.eachPixel([&](uint32_t x, uint32_t y) {
        for (uint32_t k = 0; k < c.dst.comps(); ++k)
            c.expected.put(x, y, k,
                           lutEntry(0, c.src.get(x, y, 0), flat ? 0 : k, c.kc.lut.dstBits));
    });
    return 0;
}

template <class Kernel, Kernel K> int runMapN(Ctx& c)
{
    return K(c.dst.data(), c.dst.comps(), c.dst.pitch(), c.src.data(), c.src.pitch(), rows(c),
             c.width, c.count);
}

using MapRows = decltype(&mapvialuts_val8_to_3x8_lut3);
using MapRowsN = decltype(&mapvialuts_val8_to_Nx8);

const KernelCase kLutConvertCases[] = {
    {"vialuts_1x16_to_1x8",
     k1x8,
     k1x16,
     12,
     {12, 1, 8, 1},
     0,
     runFlat<Flat, convertbitdepthvialuts_1x16_to_1x8>,
     refThroughLut<false>},
    {"vialuts_1x8_to_1x16",
     k1x16,
     k1x8,
     8,
     {8, 1, 12, 1},
     0,
     runFlat<Flat, convertbitdepthvialuts_1x8_to_1x16>,
     refThroughLut<false>},
    {"vialuts_1x16_to_1x16",
     k1x16,
     k1x16,
     12,
     {12, 1, 16, 1},
     0,
     runFlat<Flat, convertbitdepthvialuts_1x16_to_1x16>,
     refThroughLut<false>},
    {"vialuts_3x16_to_3x8", k3x8, k3x16, 12, {12, 1, 8, 3}, 0, run3x16To3x8, refThroughLut<false>},
    {"vialuts_3x16_to_3x8_lut1",
     k3x8,
     k3x16,
     12,
     {12, 1, 8, 1},
     0,
     run3x16To3x8Lut1,
     refThroughLut<false>},
    {"vialuts_4x16_to_4x8",
     k4x8,
     k4x16,
     12,
     {12, 1, 8, 4},
     0,
     runRows<Rows, convertbitdepthvialuts_4x16_to_4x8>,
     refThroughLut<false>},
    {"vialuts_3x8_to_3x16",
     k3x16,
     k3x8,
     8,
     {8, 1, 16, 3},
     0,
     runRows<Rows, convertbitdepthvialuts_3x8_to_3x16>,
     refThroughLut<false>},
    {"vialuts_4x8_to_4x16",
     k4x16,
     k4x8,
     8,
     {8, 1, 12, 4},
     0,
     runRows<Rows, convertbitdepthvialuts_4x8_to_4x16>,
     refThroughLut<false>},
    {"vialuts_3x16_to_3x16",
     k3x16,
     k3x16,
     12,
     {12, 1, 16, 3},
     0,
     runRows<Rows, convertbitdepthvialuts_3x16_to_3x16>,
     refThroughLut<false>},
    {"vialuts_4x16_to_4x16",
     k4x16,
     k4x16,
     10,
     {10, 1, 14, 4},
     0,
     runRows<Rows, convertbitdepthvialuts_4x16_to_4x16>,
     refThroughLut<false>},
    {"vialuts_4x16_to_4x8_lut1",
     k4x8,
     k4x16,
     12,
     {12, 1, 8, 1},
     0,
     runFlat<Flat, convertbitdepthvialuts_4x16_to_4x8_lut1>,
     refThroughLut<false>},
    {"vialuts_3x8_to_3x16_lut1",
     k3x16,
     k3x8,
     8,
     {8, 1, 16, 1},
     0,
     runFlat<Flat, convertbitdepthvialuts_3x8_to_3x16_lut1>,
     refThroughLut<false>},
    {"vialuts_4x8_to_4x16_lut1",
     k4x16,
     k4x8,
     8,
     {8, 1, 12, 1},
     0,
     runFlat<Flat, convertbitdepthvialuts_4x8_to_4x16_lut1>,
     refThroughLut<false>},
    {"vialuts_3x16_to_3x16_lut1",
     k3x16,
     k3x16,
     12,
     {12, 1, 16, 1},
     0,
     runFlat<Flat, convertbitdepthvialuts_3x16_to_3x16_lut1>,
     refThroughLut<false>},
    {"vialuts_4x16_to_4x16_lut1",
     k4x16,
     k4x16,
     12,
     {12, 1, 16, 1},
     0,
     runFlat<Flat, convertbitdepthvialuts_4x16_to_4x16_lut1>,
     refThroughLut<false>},
    {"vialuts_Nx16_to_Nx8",
     k2x8,
     k2x16,
     12,
     {12, 1, 8, 2},
     0,
     runRowsN<RowsN, convertbitdepthvialuts_Nx16_to_Nx8>,
     refThroughLut<false>},
    {"vialuts_Nx8_to_Nx16",
     k2x16,
     k2x8,
     8,
     {8, 1, 16, 2},
     0,
     runRowsN<RowsN, convertbitdepthvialuts_Nx8_to_Nx16>,
     refThroughLut<false>},
    {"vialuts_Nx16_to_Nx16",
     k2x16,
     k2x16,
     12,
     {12, 1, 16, 2},
     0,
     runRowsN<RowsN, convertbitdepthvialuts_Nx16_to_Nx16>,
     refThroughLut<false>},
    {"vialuts_Nx16_to_Nx8_lut1",
     k5x8,
     k5x16,
     12,
     {12, 1, 8, 1},
     0,
     runFlatN<FlatN, convertbitdepthvialuts_Nx16_to_Nx8_lut1>,
     refThroughLut<false>},
    {"vialuts_Nx8_to_Nx16_lut1",
     k2x16,
     k2x8,
     8,
     {8, 1, 16, 1},
     0,
     runFlatN<FlatN, convertbitdepthvialuts_Nx8_to_Nx16_lut1>,
     refThroughLut<false>},
    {"vialuts_Nx16_to_Nx16_lut1",
     k2x16,
     k2x16,
     12,
     {12, 1, 12, 1},
     0,
     runFlatN<FlatN, convertbitdepthvialuts_Nx16_to_Nx16_lut1>,
     refThroughLut<false>},
    // Three source bits, so that samples at the top (7) are common.
    {"vialuts_3x16_to_3x8_overexp",
     k3x8,
     k3x16,
     3,
     {3, 1, 8, 3},
     0,
     runOverExp<true>,
     refThroughLut<true>},
    {"vialuts_3x16_to_3x8_overexp_nocolour",
     k3x8,
     k3x16,
     3,
     {3, 1, 8, 3},
     0,
     runOverExp<false>,
     refThroughLut<false>},
    {"vialuts_3x16_to_3x8_lut1_overexp",
     k3x8,
     k3x16,
     3,
     {3, 1, 8, 1},
     0,
     runOverExpLut1,
     refThroughLut<true>},

    {"vialinfunc_1x32_to_1x16",
     k1x16,
     k1x32,
     32,
     {},
     0,
     runLinear<Linear, convertbitdepthvialinfunc_1x32_to_1x16>,
     refLinear},
    {"vialinfunc_3x32_to_3x16",
     k3x16,
     k3x32,
     32,
     {},
     0,
     runLinear<Linear, convertbitdepthvialinfunc_3x32_to_3x16>,
     refLinear},
    {"vialinfunc_1x32_to_1x8",
     k1x8,
     k1x32,
     32,
     {},
     0,
     runLinear<Linear, convertbitdepthvialinfunc_1x32_to_1x8>,
     refLinear},
    {"vialinfunc_3x32_to_3x8",
     k3x8,
     k3x32,
     32,
     {},
     0,
     runLinear<Linear, convertbitdepthvialinfunc_3x32_to_3x8>,
     refLinear},
    {"vialinfunc_Mx32_to_Mx16",
     k5x16,
     k5x32,
     32,
     {},
     0,
     runLinearN<LinearN, convertbitdepthvialinfunc_Mx32_to_Mx16>,
     refLinear},
    {"vialinfunc_Mx32_to_Mx8",
     k2x8,
     k2x32,
     20,
     {},
     0,
     runLinearN<LinearN, convertbitdepthvialinfunc_Mx32_to_Mx8>,
     refLinear},

    {"mapvialuts_val8_to_3x8_lut1",
     k3x8,
     k1x8,
     8,
     {8, 1, 8, 1},
     0,
     runFlat<Flat, mapvialuts_val8_to_3x8_lut1>,
     refMapValue},
    {"mapvialuts_val8_to_3x8_lut3",
     k3x8,
     k1x8,
     8,
     {8, 1, 8, 3},
     0,
     runRows<MapRows, mapvialuts_val8_to_3x8_lut3>,
     refMapValue},
    {"mapvialuts_val16_to_3x8",
     k3x8,
     k1x16,
     12,
     {12, 1, 8, 3},
     0,
     runRows<MapRows, mapvialuts_val16_to_3x8>,
     refMapValue},
    {"mapvialuts_val16_to_3x16",
     k3x16,
     k1x16,
     12,
     {12, 1, 16, 3},
     0,
     runRows<MapRows, mapvialuts_val16_to_3x16>,
     refMapValue},
    {"mapvialuts_val8_to_Nx8",
     k5x8,
     k1x8,
     8,
     {8, 1, 8, 5},
     0,
     runMapN<MapRowsN, mapvialuts_val8_to_Nx8>,
     refMapValue},
    {"mapvialuts_val16_to_Nx16",
     k2x16,
     k1x16,
     12,
     {12, 1, 16, 2},
     0,
     runMapN<MapRowsN, mapvialuts_val16_to_Nx16>,
     refMapValue},
};

} // namespace

KERNEL_CASES(LutConvert, kLutConvertCases);

} // namespace kerneltest
