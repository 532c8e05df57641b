// Kernels on one component against plain loops.
#include "gnr_picture/picmemAPI/LxComponentKernels.h"
#include "kernel_test_support.h"

namespace kerneltest
{
namespace
{

constexpr PicFormat k1x8{1, 1}, k2x8{2, 1}, k3x8{3, 1}, k4x8{4, 1}, k5x8{5, 1};
constexpr PicFormat k1x16{1, 2}, k2x16{2, 2}, k3x16{3, 2}, k4x16{4, 2};

// Component S of every selected source pixel, through f, into component D.
template <uint32_t D, uint32_t S, class Pick, class F> int refTransfer(Ctx& c, Pick pick, F f)
{
    c.eachPixel([&](uint32_t x, uint32_t y) {
        if (pick(x, y))
            c.expected.put(x, y, D, f(c.src.get(x, y, S)));
    });
    return 0;
}

template <uint32_t D, uint32_t S> int refCopyComponent(Ctx& c)
{
    return refTransfer<D, S>(
        c, [](uint32_t, uint32_t) { return true; }, [](uint32_t v) { return v; });
}

template <class Kernel, Kernel K, uint32_t D, uint32_t S> int runCopyComponent(Ctx& c)
{
    return K(c.dst.data(), c.dst.comps(), c.dst.pitch(), D, c.src.data(), c.src.comps(),
             c.src.pitch(), S, c.width, c.count);
}

template <uint32_t D, uint32_t S, bool In> int refCopyComponentMask(Ctx& c)
{
    return refTransfer<D, S>(
        c, [&](uint32_t x, uint32_t y) { return (c.mask.get(x, y, 0) == 1) == In; },
        [](uint32_t v) { return v; });
}

template <class Kernel, Kernel K, uint32_t D, uint32_t S> int runCopyComponentMask(Ctx& c)
{
    return K(c.dst.data(), c.dst.comps(), c.dst.pitch(), D, c.src.data(), c.src.comps(),
             c.src.pitch(), S, c.mask.data(), c.mask.pitch(), c.width, c.count, 1);
}

template <uint32_t DstBits, uint32_t SrcBits> int refConvertComponent(Ctx& c)
{
    return refTransfer<0, 1>(
        c, [](uint32_t, uint32_t) { return true; },
        [&](uint32_t v) {
            return lowBits(DstBits <= SrcBits ? v >> (SrcBits - DstBits) : v << (DstBits - SrcBits),
                           c.dst.sampleBytes());
        });
}

template <class Kernel, Kernel K, uint32_t DstBits, uint32_t SrcBits>
int runConvertComponent(Ctx& c)
{
    return K(c.dst.data(), c.dst.comps(), c.dst.pitch(), 0, DstBits, c.src.data(), c.src.comps(),
             c.src.pitch(), 1, SrcBits, c.width, c.count);
}

using Copy = decltype(&copycomponent_Nx8_to_Nx8);
using CopyMask = decltype(&copycomponentmask_8_Nx8_in);
using Convert = decltype(&convertcomponent_8_to_8);

// --- through tables ------------------------------------------------------------
// Source component 1 indexes the table; flat tables put their value into
// every destination component.

template <bool Marked> int refComponentLut(Ctx& c)
{
    const bool flat = c.kc.lut.dstComps == 1;
    const uint32_t top = maxOf(c.kc.lut.srcBits);
    if (Marked) {
        // Samples at and above the level are rare in random pictures.
        c.eachPixel([&](uint32_t x, uint32_t y) {
            if (x % 3 == 1)
                c.src.put(x, y, 1, top + (y % 2));
        });
    }
    c.eachPixel([&](uint32_t x, uint32_t y) {
        const uint32_t s = c.src.get(x, y, 1);
        for (uint32_t k = 0; k < c.dst.comps(); ++k)
            c.expected.put(x, y, k,
                           Marked && s >= top ? c.colour[k]
                                              : lutEntry(0, s, flat ? 0 : k, c.kc.lut.dstBits));
    });
    return 0;
}

const void* const* rows(Ctx& c)
{
    return static_cast<const void* const*>(c.lut.pTable);
}

int runLut1Nx8To1x8(Ctx& c)
{
    return component_lut1_Nx8_to_1x8(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.comps(),
                                     c.src.pitch(), 1, c.lut.pTable, c.width, c.count);
}
int runLut1Nx16To1x8(Ctx& c)
{
    return component_lut1_Nx16_to_1x8(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.comps(),
                                      c.src.pitch(), 1, c.lut.pTable, c.width, c.count);
}
int runLut1Nx8To3x8(Ctx& c)
{
    return component_lut1_Nx8_to_3x8(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.comps(),
                                     c.src.pitch(), 1, c.lut.pTable, c.width, c.count);
}
int runLut1Nx16To3x8(Ctx& c)
{
    return component_lut1_Nx16_to_3x8(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.comps(), 99,
                                      c.src.pitch(), 1, c.lut.pTable, c.width, c.count);
}
int runLut1Nx8ToNx8(Ctx& c)
{
    return component_lut1_Nx8_to_Nx8(c.dst.data(), c.dst.comps(), c.dst.pitch(), c.src.data(),
                                     c.src.comps(), c.src.pitch(), 1, c.lut.pTable, c.width,
                                     c.count);
}
int runLut1Nx16ToNx8(Ctx& c)
{
    return component_lut1_Nx16_to_Nx8(c.dst.data(), c.dst.comps(), c.dst.pitch(), c.src.data(),
                                      c.src.comps(), c.src.pitch(), 1, c.lut.pTable, c.width,
                                      c.count);
}
int runLut3Mx8To3x8(Ctx& c)
{
    return component_lut3_Mx8_to_3x8(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.comps(),
                                     c.src.pitch(), 1, rows(c), c.width, c.count);
}
int runLut3Mx16To3x8(Ctx& c)
{
    return component_lut3_Mx16_to_3x8(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.comps(), 99,
                                      c.src.pitch(), 1, rows(c), c.width, c.count);
}
int runLutNMx8ToNx8(Ctx& c)
{
    return component_lutN_Mx8_to_Nx8(c.dst.data(), c.dst.comps(), c.dst.pitch(), c.src.data(),
                                     c.src.comps(), c.src.pitch(), 1, rows(c), c.width, c.count);
}
int runLutNMx16ToNx8(Ctx& c)
{
    return component_lutN_Mx16_to_Nx8(c.dst.data(), c.dst.comps(), c.dst.pitch(), c.src.data(),
                                      c.src.comps(), c.src.pitch(), 1, rows(c), c.width, c.count);
}
int runLut1Nx8To3x8Over(Ctx& c)
{
    return component_lut1_Nx8_to_3x8_overexp(c.dst.data(), c.dst.pitch(), c.src.data(),
                                             c.src.comps(), c.src.pitch(), 1, c.lut.pTable,
                                             c.colour, c.width, c.count);
}
int runLut3Mx8To3x8Over(Ctx& c)
{
    return component_lut3_Mx8_to_3x8_overexp(c.dst.data(), c.dst.pitch(), c.src.data(),
                                             c.src.comps(), c.src.pitch(), 1, rows(c), c.colour,
                                             c.width, c.count);
}
int runLut1Nx16To3x8Over(Ctx& c)
{
    return component_lut1_Nx16_to_3x8_overexp(c.dst.data(), c.dst.pitch(), c.src.data(),
                                              c.src.comps(), c.kc.lut.srcBits, c.src.pitch(), 1,
                                              c.lut.pTable, c.colour, c.width, c.count);
}
int runLut3Mx16To3x8Over(Ctx& c)
{
    return component_lut3_Mx16_to_3x8_overexp(c.dst.data(), c.dst.pitch(), c.src.data(),
                                              c.src.comps(), c.kc.lut.srcBits, c.src.pitch(), 1,
                                              rows(c), c.colour, c.width, c.count);
}

// --- constant and comparison ---------------------------------------------------

int runSet8(Ctx& c)
{
    return setcomponent_Nx8(c.dst.data(), c.dst.comps(), c.dst.pitch(), 2, 0x5A, c.width, c.count);
}
int runSet16(Ctx& c)
{
    return setcomponent_Nx16(c.dst.data(), c.dst.comps(), c.dst.pitch(), 0, 0xBEEF, c.width,
                             c.count);
}
template <uint32_t Comp, uint32_t Value> int refSet(Ctx& c)
{
    c.eachPixel([&](uint32_t x, uint32_t y) { c.expected.put(x, y, Comp, Value); });
    return 0;
}

// dst component 0 equals src component 1 but at the last pixel.
int refCompareComponent(Ctx& c)
{
    refCopyComponent<0, 1>(c);
    c.dst = c.expected;
    const uint32_t x = c.width - 1, y = c.lines() - 1;
    const uint32_t v = c.src.get(x, y, 1);
    const uint32_t other = v == 0 ? 1 : v - 1;
    c.dst.put(x, y, 0, other);
    c.expected = c.dst;
    return int(other) - int(v);
}

template <class Kernel, Kernel K> int runCompareComponent(Ctx& c)
{
    return K(c.dst.data(), c.dst.comps(), c.dst.pitch(), 0, c.src.data(), c.src.comps(),
             c.src.pitch(), 1, c.width, c.count);
}

using Compare = decltype(&comparecomponent_Nx8_to_Nx8);

const KernelCase kComponentCases[] = {
    {"copycomponent_Nx8_4to3",
     k3x8,
     k4x8,
     8,
     {},
     0,
     runCopyComponent<Copy, copycomponent_Nx8_to_Nx8, 1, 2>,
     refCopyComponent<1, 2>},
    {"copycomponent_Nx8_extract",
     k1x8,
     k3x8,
     8,
     {},
     0,
     runCopyComponent<Copy, copycomponent_Nx8_to_Nx8, 0, 2>,
     refCopyComponent<0, 2>},
    {"copycomponent_Nx8_store",
     k3x8,
     k1x8,
     8,
     {},
     0,
     runCopyComponent<Copy, copycomponent_Nx8_to_Nx8, 0, 0>,
     refCopyComponent<0, 0>},
    {"copycomponent_Nx8_5to5",
     k5x8,
     k5x8,
     8,
     {},
     0,
     runCopyComponent<Copy, copycomponent_Nx8_to_Nx8, 4, 0>,
     refCopyComponent<4, 0>},
    {"copycomponent_Nx16_extract",
     k1x16,
     k3x16,
     16,
     {},
     0,
     runCopyComponent<Copy, copycomponent_Nx16_to_Nx16, 0, 2>,
     refCopyComponent<0, 2>},
    {"copycomponent_Nx16_store",
     k4x16,
     k1x16,
     16,
     {},
     0,
     runCopyComponent<Copy, copycomponent_Nx16_to_Nx16, 3, 0>,
     refCopyComponent<3, 0>},
    {"copycomponent_Nx16_2to2",
     k2x16,
     k2x16,
     16,
     {},
     0,
     runCopyComponent<Copy, copycomponent_Nx16_to_Nx16, 0, 1>,
     refCopyComponent<0, 1>},

    {"copycomponentmask_8_Nx8_in",
     k3x8,
     k2x8,
     8,
     {},
     1,
     runCopyComponentMask<CopyMask, copycomponentmask_8_Nx8_in, 2, 1>,
     refCopyComponentMask<2, 1, true>},
    {"copycomponentmask_8_Nx8_out",
     k1x8,
     k3x8,
     8,
     {},
     1,
     runCopyComponentMask<CopyMask, copycomponentmask_8_Nx8_out, 0, 2>,
     refCopyComponentMask<0, 2, false>},
    {"copycomponentmask_8_Nx16_in",
     k2x16,
     k3x16,
     16,
     {},
     1,
     runCopyComponentMask<CopyMask, copycomponentmask_8_Nx16_in, 1, 0>,
     refCopyComponentMask<1, 0, true>},
    {"copycomponentmask_8_Nx16_out",
     k1x16,
     k1x16,
     16,
     {},
     1,
     runCopyComponentMask<CopyMask, copycomponentmask_8_Nx16_out, 0, 0>,
     refCopyComponentMask<0, 0, false>},
    {"copycomponentmask_16_Nx8_in",
     k4x8,
     k1x8,
     8,
     {},
     2,
     runCopyComponentMask<CopyMask, copycomponentmask_16_Nx8_in, 3, 0>,
     refCopyComponentMask<3, 0, true>},
    {"copycomponentmask_16_Nx8_out",
     k2x8,
     k2x8,
     8,
     {},
     2,
     runCopyComponentMask<CopyMask, copycomponentmask_16_Nx8_out, 1, 1>,
     refCopyComponentMask<1, 1, false>},
    {"copycomponentmask_16_Nx16_in",
     k3x16,
     k2x16,
     16,
     {},
     2,
     runCopyComponentMask<CopyMask, copycomponentmask_16_Nx16_in, 0, 1>,
     refCopyComponentMask<0, 1, true>},
    {"copycomponentmask_16_Nx16_out",
     k1x16,
     k2x16,
     16,
     {},
     2,
     runCopyComponentMask<CopyMask, copycomponentmask_16_Nx16_out, 0, 1>,
     refCopyComponentMask<0, 1, false>},

    {"convertcomponent_8_to_8_down",
     k2x8,
     k2x8,
     8,
     {},
     0,
     runConvertComponent<Convert, convertcomponent_8_to_8, 6, 8>,
     refConvertComponent<6, 8>},
    {"convertcomponent_8_to_8_up",
     k1x8,
     k3x8,
     5,
     {},
     0,
     runConvertComponent<Convert, convertcomponent_8_to_8, 8, 5>,
     refConvertComponent<8, 5>},
    {"convertcomponent_8_to_16",
     k1x16,
     k2x8,
     8,
     {},
     0,
     runConvertComponent<Convert, convertcomponent_8_to_16, 12, 8>,
     refConvertComponent<12, 8>},
    {"convertcomponent_16_to_8",
     k3x8,
     k2x16,
     12,
     {},
     0,
     runConvertComponent<Convert, convertcomponent_16_to_8, 8, 12>,
     refConvertComponent<8, 12>},
    {"convertcomponent_16_to_16_up",
     k2x16,
     k3x16,
     12,
     {},
     0,
     runConvertComponent<Convert, convertcomponent_16_to_16, 16, 12>,
     refConvertComponent<16, 12>},
    {"convertcomponent_16_to_16_down",
     k1x16,
     k2x16,
     16,
     {},
     0,
     runConvertComponent<Convert, convertcomponent_16_to_16, 12, 16>,
     refConvertComponent<12, 16>},

    {"component_lut1_Nx8_to_1x8",
     k1x8,
     k2x8,
     8,
     {8, 1, 8, 1},
     0,
     runLut1Nx8To1x8,
     refComponentLut<false>},
    {"component_lut1_Nx16_to_1x8",
     k1x8,
     k3x16,
     12,
     {12, 1, 8, 1},
     0,
     runLut1Nx16To1x8,
     refComponentLut<false>},
    {"component_lut1_Nx8_to_3x8",
     k3x8,
     k2x8,
     8,
     {8, 1, 8, 1},
     0,
     runLut1Nx8To3x8,
     refComponentLut<false>},
    {"component_lut1_Nx16_to_3x8",
     k3x8,
     k2x16,
     12,
     {12, 1, 8, 1},
     0,
     runLut1Nx16To3x8,
     refComponentLut<false>},
    {"component_lut1_Nx8_to_Nx8",
     k2x8,
     k3x8,
     8,
     {8, 1, 8, 1},
     0,
     runLut1Nx8ToNx8,
     refComponentLut<false>},
    {"component_lut1_Nx16_to_Nx8",
     k5x8,
     k2x16,
     12,
     {12, 1, 8, 1},
     0,
     runLut1Nx16ToNx8,
     refComponentLut<false>},
    {"component_lut3_Mx8_to_3x8",
     k3x8,
     k4x8,
     8,
     {8, 1, 8, 3},
     0,
     runLut3Mx8To3x8,
     refComponentLut<false>},
    {"component_lut3_Mx16_to_3x8",
     k3x8,
     k2x16,
     12,
     {12, 1, 8, 3},
     0,
     runLut3Mx16To3x8,
     refComponentLut<false>},
    {"component_lutN_Mx8_to_Nx8",
     k2x8,
     k2x8,
     8,
     {8, 1, 8, 2},
     0,
     runLutNMx8ToNx8,
     refComponentLut<false>},
    {"component_lutN_Mx16_to_Nx8",
     k4x8,
     k3x16,
     12,
     {12, 1, 8, 4},
     0,
     runLutNMx16ToNx8,
     refComponentLut<false>},
    {"component_lut1_Nx8_to_3x8_overexp",
     k3x8,
     k2x8,
     8,
     {8, 1, 8, 1},
     0,
     runLut1Nx8To3x8Over,
     refComponentLut<true>},
    {"component_lut3_Mx8_to_3x8_overexp",
     k3x8,
     k3x8,
     8,
     {8, 1, 8, 3},
     0,
     runLut3Mx8To3x8Over,
     refComponentLut<true>},
    {"component_lut1_Nx16_to_3x8_overexp",
     k3x8,
     k2x16,
     12,
     {12, 1, 8, 1},
     0,
     runLut1Nx16To3x8Over,
     refComponentLut<true>},
    {"component_lut3_Mx16_to_3x8_overexp",
     k3x8,
     k4x16,
     12,
     {12, 1, 8, 3},
     0,
     runLut3Mx16To3x8Over,
     refComponentLut<true>},

    {"setcomponent_Nx8", k3x8, k3x8, 8, {}, 0, runSet8, refSet<2, 0x5A>},
    {"setcomponent_Nx16", k2x16, k2x16, 16, {}, 0, runSet16, refSet<0, 0xBEEF>},
    {"comparecomponent_Nx8",
     k1x8,
     k3x8,
     8,
     {},
     0,
     runCompareComponent<Compare, comparecomponent_Nx8_to_Nx8>,
     refCompareComponent},
    {"comparecomponent_Nx16",
     k2x16,
     k2x16,
     16,
     {},
     0,
     runCompareComponent<Compare, comparecomponent_Nx16_to_Nx16>,
     refCompareComponent},
};

} // namespace

KERNEL_CASES(Component, kComponentCases);

} // namespace kerneltest
