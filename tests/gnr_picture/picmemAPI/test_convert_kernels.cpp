// Component-layout and bit-depth conversions against plain loops.
#include <cmath>

#include "gnr_picture/picmemAPI/LxConvertKernels.h"
#include "kernel_test_support.h"

namespace kerneltest
{
namespace
{

constexpr PicFormat k1x8{1, 1}, k2x8{2, 1}, k3x8{3, 1}, k4x8{4, 1}, k5x8{5, 1};
constexpr PicFormat k1x16{1, 2}, k2x16{2, 2}, k3x16{3, 2}, k4x16{4, 2};
constexpr PicFormat k1x32{1, 4}, k2x32{2, 4}, k3x32{3, 4};

// --- collapse to gray --------------------------------------------------------

// The rounded mean, or the weighted sum of per-component factors: the 3- and
// 4-component members give the rest of F to the last component, the N
// members to the first.
template <bool Weighted, bool RestFirst> int refCollapse(Ctx& c)
{
    const uint32_t n = c.src.comps();
    const uint32_t F = maxOf(8 * c.dst.sampleBytes());
    std::vector<uint32_t> factor(n);
    const uint32_t rest = RestFirst ? 0 : n - 1;
    uint32_t others = 0;
    for (uint32_t k = 0; k < n; ++k) {
        if (k == rest)
            continue;
        factor[k] = uint32_t(int64_t(c.weights[k] * F + 0.5)) & F;
        others += factor[k];
    }
    factor[rest] = (F - others) & F;
    c.eachPixel([&](uint32_t x, uint32_t y) {
        uint64_t g = 0;
        for (uint32_t k = 0; k < n; ++k)
            g += Weighted ? uint64_t(factor[k]) * c.src.get(x, y, k) / F : c.src.get(x, y, k);
        c.expected.put(x, y, 0, Weighted ? uint32_t(g & F) : uint32_t((g + n / 2) / n));
    });
    return 0;
}

template <class Kernel, Kernel K, bool Weighted> int runCollapse(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(),
             Weighted ? c.weights.data() : nullptr, c.width, c.count);
}
template <class Kernel, Kernel K, bool Weighted> int runCollapseN(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.comps(), c.src.pitch(),
             Weighted ? c.weights.data() : nullptr, c.width, c.count);
}

using Collapse = decltype(&convert_3x8_to_1x8);
using CollapseN = decltype(&convert_Nx8_to_1x8);

// --- expand, RGBA and RGB ----------------------------------------------------

// Gray into every component; the 4-component members end with 0.
template <bool AlphaZero> int refExpand(Ctx& c)
{
    c.eachPixel([&](uint32_t x, uint32_t y) {
        for (uint32_t k = 0; k < c.dst.comps(); ++k)
            c.expected.put(x, y, k, AlphaZero && k == 3 ? 0 : c.src.get(x, y, 0));
    });
    return 0;
}

template <class Kernel, Kernel K> int runExpand(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), c.width, c.count);
}
template <class Kernel, Kernel K> int runExpandN(Ctx& c)
{
    return K(c.dst.data(), c.dst.comps(), c.dst.pitch(), c.src.data(), c.src.pitch(), c.width,
             c.count);
}

using Expand = decltype(&convert_1x8_to_3x8);
using ExpandN = decltype(&convert_1x8_to_Nx8);

constexpr uint32_t kAlpha8 = 0x7F, kAlpha16 = 0x1234;

template <uint32_t Alpha> int refRepack(Ctx& c)
{
    c.eachPixel([&](uint32_t x, uint32_t y) {
        for (uint32_t k = 0; k < c.dst.comps(); ++k)
            c.expected.put(x, y, k, k < c.src.comps() ? c.src.get(x, y, k) : Alpha);
    });
    return 0;
}

int run3x8To4x8(Ctx& c)
{
    return convert_3x8_to_4x8(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), kAlpha8,
                              c.width, c.count);
}
int run3x16To4x16(Ctx& c)
{
    return convert_3x16_to_4x16(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), kAlpha16,
                                c.width, c.count);
}

// --- shifts and storage width ------------------------------------------------

// Every sample of the window through f; the store keeps the destination's
// low bits.
template <class F> int refMap(Ctx& c, F f)
{
    c.eachPixel([&](uint32_t x, uint32_t y) {
        for (uint32_t k = 0; k < c.dst.comps(); ++k)
            c.expected.put(x, y, k, f(c.src.get(x, y, k)));
    });
    return 0;
}

template <uint32_t SrcBits> int run16To8(Ctx& c)
{
    return convert_Nx16_to_Nx8(c.dst.data(), c.dst.pitch(), c.src.data(), SrcBits, c.src.pitch(),
                               c.dst.comps(), c.width, c.count);
}
template <uint32_t SrcBits> int ref16To8(Ctx& c)
{
    return refMap(c, [](uint32_t v) { return (v >> (SrcBits - 8)) & 0xFF; });
}

template <uint32_t DstBits> int run8To16(Ctx& c)
{
    return convert_Nx8_to_Nx16(c.dst.data(), DstBits, c.dst.pitch(), c.src.data(), c.src.pitch(),
                               c.dst.comps(), c.width, c.count);
}
template <uint32_t DstBits> int ref8To16(Ctx& c)
{
    return refMap(c, [](uint32_t v) { return (v << (DstBits - 8)) & 0xFFFF; });
}

template <uint32_t DstBits, uint32_t SrcBits> int run16To16(Ctx& c)
{
    return convert_Nx16_to_Nx16(c.dst.data(), DstBits, c.dst.pitch(), c.src.data(), SrcBits,
                                c.src.pitch(), c.dst.comps(), c.width, c.count);
}
template <uint32_t DstBits, uint32_t SrcBits> int ref16To16(Ctx& c)
{
    return refMap(c, [](uint32_t v) {
        return DstBits < SrcBits ? v >> (SrcBits - DstBits) : (v << (DstBits - SrcBits)) & 0xFFFF;
    });
}

template <int Shift> int runShiftInPlace(Ctx& c)
{
    return _shift_Nx16_to_Nx16(c.dst.data(), c.dst.comps(), c.dst.pitch(), Shift, c.width, c.count);
}
template <int Shift> int refShiftInPlace(Ctx& c)
{
    c.eachPixel([&](uint32_t x, uint32_t y) {
        for (uint32_t k = 0; k < c.dst.comps(); ++k) {
            const uint32_t v = c.dst.get(x, y, k);
            c.expected.put(x, y, k, Shift >= 0 ? v >> Shift : (v << -Shift) & 0xFFFF);
        }
    });
    return 0;
}

// The value kept: zero-extended, or its low bits.
int refKeepValue(Ctx& c)
{
    return refMap(c, [&](uint32_t v) { return lowBits(v, c.dst.sampleBytes()); });
}
int refNothing(Ctx&)
{
    return 0;
}

template <class Kernel, Kernel K, uint32_t SrcBits> int runStorage(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), SrcBits, c.width, c.count);
}
template <class Kernel, Kernel K, uint32_t SrcBits> int runStorageN(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), SrcBits, c.dst.comps(),
             c.width, c.count);
}

using Storage = decltype(&changebitdepth_1xN_to_1x08);
using StorageN = decltype(&changebitdepth_NxM_to_Nx08);

const KernelCase kConvertCases[] = {
    {"convert_3x8_to_1x8_mean",
     k1x8,
     k3x8,
     8,
     {},
     0,
     runCollapse<Collapse, convert_3x8_to_1x8, false>,
     refCollapse<false, false>},
    {"convert_3x8_to_1x8_weighted",
     k1x8,
     k3x8,
     8,
     {},
     0,
     runCollapse<Collapse, convert_3x8_to_1x8, true>,
     refCollapse<true, false>},
    {"convert_4x8_to_1x8_mean",
     k1x8,
     k4x8,
     8,
     {},
     0,
     runCollapse<Collapse, convert_4x8_to_1x8, false>,
     refCollapse<false, false>},
    {"convert_4x8_to_1x8_weighted",
     k1x8,
     k4x8,
     8,
     {},
     0,
     runCollapse<Collapse, convert_4x8_to_1x8, true>,
     refCollapse<true, false>},
    {"convert_3x16_to_1x16_mean",
     k1x16,
     k3x16,
     16,
     {},
     0,
     runCollapse<Collapse, convert_3x16_to_1x16, false>,
     refCollapse<false, false>},
    {"convert_3x16_to_1x16_weighted",
     k1x16,
     k3x16,
     16,
     {},
     0,
     runCollapse<Collapse, convert_3x16_to_1x16, true>,
     refCollapse<true, false>},
    {"convert_4x16_to_1x16_mean",
     k1x16,
     k4x16,
     16,
     {},
     0,
     runCollapse<Collapse, convert_4x16_to_1x16, false>,
     refCollapse<false, false>},
    {"convert_4x16_to_1x16_weighted",
     k1x16,
     k4x16,
     16,
     {},
     0,
     runCollapse<Collapse, convert_4x16_to_1x16, true>,
     refCollapse<true, false>},
    {"convert_Nx8_to_1x8_mean",
     k1x8,
     k5x8,
     8,
     {},
     0,
     runCollapseN<CollapseN, convert_Nx8_to_1x8, false>,
     refCollapse<false, true>},
    {"convert_Nx8_to_1x8_weighted",
     k1x8,
     k5x8,
     8,
     {},
     0,
     runCollapseN<CollapseN, convert_Nx8_to_1x8, true>,
     refCollapse<true, true>},
    {"convert_Nx16_to_1x16_mean",
     k1x16,
     k2x16,
     16,
     {},
     0,
     runCollapseN<CollapseN, convert_Nx16_to_1x16, false>,
     refCollapse<false, true>},
    {"convert_Nx16_to_1x16_weighted",
     k1x16,
     k2x16,
     16,
     {},
     0,
     runCollapseN<CollapseN, convert_Nx16_to_1x16, true>,
     refCollapse<true, true>},

    {"convert_1x8_to_3x8",
     k3x8,
     k1x8,
     8,
     {},
     0,
     runExpand<Expand, convert_1x8_to_3x8>,
     refExpand<false>},
    {"convert_1x16_to_3x16",
     k3x16,
     k1x16,
     16,
     {},
     0,
     runExpand<Expand, convert_1x16_to_3x16>,
     refExpand<false>},
    {"convert_1x8_to_4x8",
     k4x8,
     k1x8,
     8,
     {},
     0,
     runExpand<Expand, convert_1x8_to_4x8>,
     refExpand<true>},
    {"convert_1x16_to_4x16",
     k4x16,
     k1x16,
     16,
     {},
     0,
     runExpand<Expand, convert_1x16_to_4x16>,
     refExpand<true>},
    {"convert_1x8_to_Nx8",
     k5x8,
     k1x8,
     8,
     {},
     0,
     runExpandN<ExpandN, convert_1x8_to_Nx8>,
     refExpand<false>},
    {"convert_1x16_to_Nx16",
     k2x16,
     k1x16,
     16,
     {},
     0,
     runExpandN<ExpandN, convert_1x16_to_Nx16>,
     refExpand<false>},
    {"convert_4x8_to_3x8",
     k3x8,
     k4x8,
     8,
     {},
     0,
     runExpand<Expand, convert_4x8_to_3x8>,
     refRepack<0>},
    {"convert_4x16_to_3x16",
     k3x16,
     k4x16,
     16,
     {},
     0,
     runExpand<Expand, convert_4x16_to_3x16>,
     refRepack<0>},
    {"convert_3x8_to_4x8", k4x8, k3x8, 8, {}, 0, run3x8To4x8, refRepack<kAlpha8>},
    {"convert_3x16_to_4x16", k4x16, k3x16, 16, {}, 0, run3x16To4x16, refRepack<kAlpha16>},

    // 16-bit values in 12-bit pictures show the wrap of the shifts.
    {"convert_Nx16_to_Nx8_12", k3x8, k3x16, 16, {}, 0, run16To8<12>, ref16To8<12>},
    {"convert_Nx16_to_Nx8_16", k1x8, k1x16, 16, {}, 0, run16To8<16>, ref16To8<16>},
    {"convert_Nx8_to_Nx16_12", k2x16, k2x8, 8, {}, 0, run8To16<12>, ref8To16<12>},
    {"convert_Nx8_to_Nx16_16", k1x16, k1x8, 8, {}, 0, run8To16<16>, ref8To16<16>},
    {"convert_Nx16_to_Nx16_12_to_16",
     k3x16,
     k3x16,
     16,
     {},
     0,
     run16To16<16, 12>,
     ref16To16<16, 12>},
    {"convert_Nx16_to_Nx16_16_to_10",
     k2x16,
     k2x16,
     16,
     {},
     0,
     run16To16<10, 16>,
     ref16To16<10, 16>},
    {"shift_Nx16_to_Nx16_right",
     k2x16,
     k2x16,
     16,
     {},
     0,
     runShiftInPlace<3>,
     refShiftInPlace<3>,
     true},
    {"shift_Nx16_to_Nx16_left",
     k3x16,
     k3x16,
     16,
     {},
     0,
     runShiftInPlace<-2>,
     refShiftInPlace<-2>,
     true},
    {"shift_Nx16_to_Nx16_none",
     k1x16,
     k1x16,
     16,
     {},
     0,
     runShiftInPlace<0>,
     refShiftInPlace<0>,
     true},

    {"changebitdepth_1xN_to_1x08_from16",
     k1x8,
     k1x16,
     16,
     {},
     0,
     runStorage<Storage, changebitdepth_1xN_to_1x08, 16>,
     refKeepValue},
    {"changebitdepth_1xN_to_1x16_from8",
     k1x16,
     k1x8,
     8,
     {},
     0,
     runStorage<Storage, changebitdepth_1xN_to_1x16, 8>,
     refKeepValue},
    {"changebitdepth_1xN_to_1x32_from12",
     k1x32,
     k1x16,
     12,
     {},
     0,
     runStorage<Storage, changebitdepth_1xN_to_1x32, 12>,
     refKeepValue},
    {"changebitdepth_3xN_to_3x08_from20",
     k3x8,
     k3x32,
     20,
     {},
     0,
     runStorage<Storage, changebitdepth_3xN_to_3x08, 20>,
     refKeepValue},
    {"changebitdepth_3xN_to_3x16_from24",
     k3x16,
     k3x32,
     24,
     {},
     0,
     runStorage<Storage, changebitdepth_3xN_to_3x16, 24>,
     refKeepValue},
    {"changebitdepth_3xN_to_3x32_from8",
     k3x32,
     k3x8,
     8,
     {},
     0,
     runStorage<Storage, changebitdepth_3xN_to_3x32, 8>,
     refKeepValue},
    {"changebitdepth_NxM_to_Nx08_from8",
     k2x8,
     k2x8,
     8,
     {},
     0,
     runStorageN<StorageN, changebitdepth_NxM_to_Nx08, 8>,
     refKeepValue},
    {"changebitdepth_NxM_to_Nx16_from16",
     k2x16,
     k2x16,
     16,
     {},
     0,
     runStorageN<StorageN, changebitdepth_NxM_to_Nx16, 16>,
     refKeepValue},
    {"changebitdepth_NxM_to_Nx32_from32",
     k2x32,
     k2x32,
     32,
     {},
     0,
     runStorageN<StorageN, changebitdepth_NxM_to_Nx32, 32>,
     refKeepValue},
    {"changebitdepth_NxM_to_Nx16_from40",
     k2x16,
     k2x32,
     32,
     {},
     0,
     runStorageN<StorageN, changebitdepth_NxM_to_Nx16, 40>,
     refNothing},
};

} // namespace

KERNEL_CASES(Convert, kConvertCases);

} // namespace kerneltest
