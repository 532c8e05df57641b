// Every mapping-to-colour member against a plain loop written from the
// rules, over the picture geometries of the kernel suite.
#include <cmath>

#include "gnr_picture/picmemAPI/LxMapKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "kernel_test_support.h"

namespace kerneltest
{
namespace
{

constexpr PicFormat k1x8{1, 1}, k2x8{2, 1}, k3x8{3, 1}, k4x8{4, 1}, k5x8{5, 1}, k6x8{6, 1},
    k7x8{7, 1}, k40x8{40, 1};
constexpr PicFormat k1x16{1, 2}, k2x16{2, 2}, k3x16{3, 2}, k4x16{4, 2}, k5x16{5, 2}, k6x16{6, 2},
    k7x16{7, 2};

constexpr uint64_t kAll = ~uint64_t(0);

using Luts = const void* const* const*;

enum class Combine { Screen8, Root8, Screen16, Root16 };

// The combinations as the rules state them, in double where they say so.
uint32_t combine(Combine kind, uint32_t x, uint32_t y, uint32_t full)
{
    switch (kind) {
    case Combine::Screen8:
        return x + y - x * y / 255;
    case Combine::Root8:
        return uint32_t(std::trunc(double(x + y) - std::sqrt(double(x) * double(y)) + 0.5));
    case Combine::Screen16:
        return (x + y - x * y / full) & 0xFFFF;
    case Combine::Root16:
        return uint32_t(std::trunc(double(x + y) - std::sqrt(double(x) * double(y)) + 0.5)) &
               0xFFFF;
    }
    return 0;
}

// Puts over-exposed samples into the source: the level itself, and for
// 16-bit sources also a sample above the table's range.
void plantOverExposure(Ctx& c, uint32_t level)
{
    uint32_t i = 0;
    c.eachPixel([&](uint32_t x, uint32_t y) {
        const uint32_t k = i % c.src.comps();
        if (i % 3 == 1)
            c.src.put(x, y, k, level);
        else if (i % 7 == 4 && c.src.sampleBytes() == 2)
            c.src.put(x, y, k, 0xFFFF);
        ++i;
    });
}

// The mapping of every pixel as the rules describe it: with every
// component shown, c_0 combined with c_1, c_2 ... in turn; otherwise black
// combined with each shown colour. Pictures of two 8-bit components
// without a shown one stay as they are. Marked: a shown sample at or above
// the level gives the over-exposure colour, in the N-component members
// (root combinations) only when every component is shown.
template <Combine Kind, uint64_t Mask, bool Marked> int refMap(Ctx& c)
{
    const uint32_t n = c.src.comps();
    const LutShape& lut = c.kc.lut;
    const uint32_t level = c.src.sampleBytes() == 1 ? 255 : maxOf(lut.srcBits);
    const uint32_t last = maxOf(lut.srcBits);
    const uint32_t full = maxOf(lut.srcBits);
    if (Marked)
        plantOverExposure(c, level);
    auto shown = [&](uint32_t k) { return n == 1 || (k < 64 && (Mask >> k & 1)); };
    bool all = true, none = true;
    for (uint32_t k = 0; k < n; ++k) {
        all = all && shown(k);
        none = none && !shown(k);
    }
    if (none && n == 2 && c.src.sampleBytes() == 1 && c.dst.sampleBytes() == 1)
        return 0;
    c.eachPixel([&](uint32_t x, uint32_t y) {
        bool over = false;
        for (uint32_t k = 0; k < n; ++k)
            over = over || (shown(k) && c.src.get(x, y, k) >= level);
        for (uint32_t ch = 0; ch < 3; ++ch) {
            auto colour = [&](uint32_t k) {
                const uint32_t s = std::min(c.src.get(x, y, k), last);
                return lutEntry(lut.lutCount == 1 ? 0 : k, s, ch, lut.dstBits);
            };
            uint32_t out;
            const bool rootMember = Kind == Combine::Root8 || Kind == Combine::Root16;
            if (Marked && over && (all || !rootMember)) {
                out = c.colour[ch];
            } else if (all) {
                out = colour(0);
                for (uint32_t k = 1; k < n; ++k)
                    out = combine(Kind, out, colour(k), full);
            } else {
                out = 0;
                for (uint32_t k = 0; k < n; ++k)
                    if (shown(k))
                        out = combine(Kind, colour(k), out, full);
            }
            c.expected.put(x, y, ch, out);
        }
    });
    return 0;
}

// mapcomp_Iter1x8_3x8: each source byte's colour root-combined into the
// destination pixel as it stands.
int refIterate(Ctx& c)
{
    c.eachPixel([&](uint32_t x, uint32_t y) {
        for (uint32_t ch = 0; ch < 3; ++ch) {
            const uint32_t colour = lutEntry(0, c.src.get(x, y, 0), ch, 8);
            c.expected.put(x, y, ch, combine(Combine::Root8, colour, c.dst.get(x, y, ch), 0));
        }
    });
    return 0;
}

const void* const* rows(Ctx& c)
{
    return static_cast<const void* const*>(c.lut.pTable);
}
Luts luts(Ctx& c)
{
    return static_cast<Luts>(c.lut.pTable);
}
constexpr uint32_t lo(uint64_t m)
{
    return uint32_t(m);
}
constexpr uint32_t hi(uint64_t m)
{
    return uint32_t(m >> 32);
}

// Adapters from the case to each family's arguments; 99 stands for an
// argument the member does not use.
template <class K, K Kernel> int run1x8(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), rows(c), c.width,
                  c.count);
}
template <class K, K Kernel> int run1x8Over(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), rows(c), c.colour,
                  c.width, c.count);
}
template <class K, K Kernel, uint64_t M> int runKx8(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), luts(c), lo(M), hi(M),
                  c.width, c.count);
}
template <class K, K Kernel, uint64_t M> int runKx8Over(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), luts(c), lo(M), hi(M),
                  c.colour, c.width, c.count);
}
template <class K, K Kernel, uint64_t M> int runNx8(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.comps(), c.src.pitch(), luts(c),
                  lo(M), hi(M), c.width, c.count);
}
template <class K, K Kernel, uint64_t M> int runNx8Over(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.comps(), c.src.pitch(), luts(c),
                  lo(M), hi(M), c.colour, c.width, c.count);
}
template <class K, K Kernel> int run1x16To8(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), 99, c.src.pitch(), rows(c), c.width,
                  c.count);
}
template <class K, K Kernel> int run1x16To8Over(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), c.kc.lut.srcBits, c.src.pitch(),
                  rows(c), c.colour, c.width, c.count);
}
template <class K, K Kernel, uint64_t M> int runKx16To8(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), 99, c.src.pitch(), luts(c), lo(M),
                  hi(M), c.width, c.count);
}
template <class K, K Kernel, uint64_t M> int runKx16To8Over(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), c.kc.lut.srcBits, c.src.pitch(),
                  luts(c), lo(M), hi(M), c.colour, c.width, c.count);
}
template <class K, K Kernel, uint64_t M> int runNx16To8(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), c.kc.lut.srcBits, c.src.pitch(),
                  c.src.comps(), luts(c), lo(M), hi(M), c.width, c.count);
}
template <class K, K Kernel, uint64_t M> int runNx16To8Over(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), c.kc.lut.srcBits, c.src.pitch(),
                  c.src.comps(), luts(c), lo(M), hi(M), c.colour, c.width, c.count);
}
template <class K, K Kernel> int run1x16To16(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), 99, rows(c), c.width,
                  c.count);
}
template <class K, K Kernel, uint64_t M> int runKx16To16(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), c.kc.lut.srcBits,
                  luts(c), lo(M), hi(M), c.width, c.count);
}
template <class K, K Kernel, uint64_t M> int runNx16To16(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.comps(), c.src.pitch(),
                  c.kc.lut.srcBits, luts(c), lo(M), hi(M), c.width, c.count);
}
int runIterate(Ctx& c)
{
    return mapcomp_Iter1x8_3x8(c.dst.data(), c.dst.pitch(), c.src.data(), 1, c.src.pitch(), rows(c),
                               0, 0, c.width, c.count);
}

// The dispatcher with the case's table, its mask set to M and, when
// Marked, its over-exposure colour.
template <uint64_t M, bool Marked> int runDispatcher(Ctx& c)
{
    c.lut.uiCompMask = M;
    if (Marked && SLxLut::SetOverExpColorArr(&c.lut, c.colour, 8) != 0)
        return 1;
    return CLxPicMemAPI::MapComponentsMToN(c.dst.data(), 3, c.kc.lut.dstBits, c.dst.pitch(),
                                           c.src.data(), c.src.comps(), c.kc.lut.srcBits,
                                           c.src.pitch(), &c.lut, c.width, c.count);
}

using One8 = decltype(&mapcomp_1x8_3x8);
using One8Over = decltype(&mapcomp_1x8_3x8_overexp);
using K8 = decltype(&mapcomp_2x8_3x8);
using K8Over = decltype(&mapcomp_2x8_3x8_overexp);
using N8 = decltype(&mapcomp_Nx8_3x8);
using N8Over = decltype(&mapcomp_Nx8_3x8_overexp);
using One16 = decltype(&mapcomp_1x16_3x8);
using One16Over = decltype(&mapcomp_1x16_3x8_overexp);
using K16 = decltype(&mapcomp_2x16_3x8);
using K16Over = decltype(&mapcomp_2x16_3x8_overexp);
using N16 = decltype(&mapcomp_Nx16_3x8);
using N16Over = decltype(&mapcomp_Nx16_3x8_overexp);
using One16To16 = decltype(&mapcomp_1x16_3x16);
using K16To16 = decltype(&mapcomp_2x16_3x16);
using N16To16 = decltype(&mapcomp_Nx16_3x16);

// Table shapes: one table per source component, B, G, R colours.
constexpr LutShape bytes(uint8_t comps)
{
    return {8, comps, 8, 3};
}
constexpr LutShape wordsToBytes(uint8_t comps)
{
    return {12, comps, 8, 3};
}
constexpr LutShape words(uint8_t comps)
{
    return {12, comps, 12, 3};
}

KernelCase mapCase(const char* name, PicFormat dst, PicFormat src, uint32_t valueBits, LutShape lut,
                   int (*run)(Ctx&), int (*reference)(Ctx&))
{
    return {name, dst, src, valueBits, lut, 0, run, reference};
}

constexpr Combine S8 = Combine::Screen8, R8 = Combine::Root8, S16 = Combine::Screen16,
                  R16 = Combine::Root16;
constexpr uint64_t k40 = (uint64_t(1) << 40) - 1;
constexpr uint64_t k40Without35 = k40 & ~(uint64_t(1) << 35);

const KernelCase kMapCases[] = {
    // 8-bit sources.
    mapCase("mapcomp_1x8", k3x8, k1x8, 8, bytes(1), run1x8<One8, mapcomp_1x8_3x8>,
            refMap<S8, kAll, false>),
    mapCase("mapcomp_1x8_overexp", k3x8, k1x8, 8, bytes(1),
            run1x8Over<One8Over, mapcomp_1x8_3x8_overexp>, refMap<S8, kAll, true>),
    mapCase("mapcomp_2x8_all", k3x8, k2x8, 8, bytes(2), runKx8<K8, mapcomp_2x8_3x8, kAll>,
            refMap<S8, kAll, false>),
    mapCase("mapcomp_2x8_second", k3x8, k2x8, 8, bytes(2), runKx8<K8, mapcomp_2x8_3x8, 2>,
            refMap<S8, 2, false>),
    mapCase("mapcomp_2x8_none", k3x8, k2x8, 8, bytes(2), runKx8<K8, mapcomp_2x8_3x8, 0>,
            refMap<S8, 0, false>),
    mapCase("mapcomp_2x8_overexp_all", k3x8, k2x8, 8, bytes(2),
            runKx8Over<K8Over, mapcomp_2x8_3x8_overexp, 3>, refMap<S8, 3, true>),
    mapCase("mapcomp_2x8_overexp_first", k3x8, k2x8, 8, bytes(2),
            runKx8Over<K8Over, mapcomp_2x8_3x8_overexp, 1>, refMap<S8, 1, true>),
    mapCase("mapcomp_2x8_overexp_none", k3x8, k2x8, 8, bytes(2),
            runKx8Over<K8Over, mapcomp_2x8_3x8_overexp, 0>, refMap<S8, 0, true>),
    mapCase("mapcomp_3x8_all", k3x8, k3x8, 8, bytes(3), runKx8<K8, mapcomp_3x8_3x8, 7>,
            refMap<S8, 7, false>),
    mapCase("mapcomp_3x8_middle", k3x8, k3x8, 8, bytes(3), runKx8<K8, mapcomp_3x8_3x8, 2>,
            refMap<S8, 2, false>),
    mapCase("mapcomp_3x8_none", k3x8, k3x8, 8, bytes(3), runKx8<K8, mapcomp_3x8_3x8, 0>,
            refMap<S8, 0, false>),
    mapCase("mapcomp_3x8_overexp_all", k3x8, k3x8, 8, bytes(3),
            runKx8Over<K8Over, mapcomp_3x8_3x8_overexp, kAll>, refMap<S8, kAll, true>),
    mapCase("mapcomp_3x8_overexp_first_two", k3x8, k3x8, 8, bytes(3),
            runKx8Over<K8Over, mapcomp_3x8_3x8_overexp, 3>, refMap<S8, 3, true>),
    mapCase("mapcomp_4x8_all", k3x8, k4x8, 8, bytes(4), runKx8<K8, mapcomp_4x8_3x8, kAll>,
            refMap<S8, kAll, false>),
    mapCase("mapcomp_4x8_some", k3x8, k4x8, 8, bytes(4), runKx8<K8, mapcomp_4x8_3x8, 0b1010>,
            refMap<S8, 0b1010, false>),
    mapCase("mapcomp_4x8_overexp_some", k3x8, k4x8, 8, bytes(4),
            runKx8Over<K8Over, mapcomp_4x8_3x8_overexp, 0b1010>, refMap<S8, 0b1010, true>),
    mapCase("mapcomp_5x8_all", k3x8, k5x8, 8, bytes(5), runKx8<K8, mapcomp_5x8_3x8, 0b11111>,
            refMap<S8, 0b11111, false>),
    mapCase("mapcomp_5x8_some", k3x8, k5x8, 8, bytes(5), runKx8<K8, mapcomp_5x8_3x8, 0b10011>,
            refMap<S8, 0b10011, false>),
    mapCase("mapcomp_5x8_overexp_all", k3x8, k5x8, 8, bytes(5),
            runKx8Over<K8Over, mapcomp_5x8_3x8_overexp, kAll>, refMap<S8, kAll, true>),
    mapCase("mapcomp_6x8_all", k3x8, k6x8, 8, bytes(6), runKx8<K8, mapcomp_6x8_3x8, kAll>,
            refMap<S8, kAll, false>),
    mapCase("mapcomp_6x8_some", k3x8, k6x8, 8, bytes(6), runKx8<K8, mapcomp_6x8_3x8, 0b100001>,
            refMap<S8, 0b100001, false>),
    mapCase("mapcomp_6x8_overexp_some", k3x8, k6x8, 8, bytes(6),
            runKx8Over<K8Over, mapcomp_6x8_3x8_overexp, 0b011110>, refMap<S8, 0b011110, true>),
    mapCase("mapcomp_Nx8_all", k3x8, k7x8, 8, bytes(7), runNx8<N8, mapcomp_Nx8_3x8, 0x7F>,
            refMap<R8, 0x7F, false>),
    mapCase("mapcomp_Nx8_some", k3x8, k7x8, 8, bytes(7), runNx8<N8, mapcomp_Nx8_3x8, 0b1011001>,
            refMap<R8, 0b1011001, false>),
    mapCase("mapcomp_Nx8_none", k3x8, k7x8, 8, bytes(7), runNx8<N8, mapcomp_Nx8_3x8, 0>,
            refMap<R8, 0, false>),
    mapCase("mapcomp_Nx8_40", k3x8, k40x8, 8, bytes(40), runNx8<N8, mapcomp_Nx8_3x8, k40>,
            refMap<R8, k40, false>),
    mapCase("mapcomp_Nx8_40_without_35", k3x8, k40x8, 8, bytes(40),
            runNx8<N8, mapcomp_Nx8_3x8, k40Without35>, refMap<R8, k40Without35, false>),
    mapCase("mapcomp_Nx8_overexp_all", k3x8, k7x8, 8, bytes(7),
            runNx8Over<N8Over, mapcomp_Nx8_3x8_overexp, kAll>, refMap<R8, kAll, true>),
    mapCase("mapcomp_Nx8_overexp_some", k3x8, k7x8, 8, bytes(7),
            runNx8Over<N8Over, mapcomp_Nx8_3x8_overexp, 0b0110110>, refMap<R8, 0b0110110, true>),

    // 9- to 16-bit sources, 8-bit colour.
    mapCase("mapcomp_1x16", k3x8, k1x16, 12, wordsToBytes(1), run1x16To8<One16, mapcomp_1x16_3x8>,
            refMap<S8, kAll, false>),
    mapCase("mapcomp_1x16_overexp", k3x8, k1x16, 12, wordsToBytes(1),
            run1x16To8Over<One16Over, mapcomp_1x16_3x8_overexp>, refMap<S8, kAll, true>),
    mapCase("mapcomp_2x16_all", k3x8, k2x16, 12, wordsToBytes(2),
            runKx16To8<K16, mapcomp_2x16_3x8, kAll>, refMap<S8, kAll, false>),
    mapCase("mapcomp_2x16_none", k3x8, k2x16, 12, wordsToBytes(2),
            runKx16To8<K16, mapcomp_2x16_3x8, 0>, refMap<S8, 0, false>),
    mapCase("mapcomp_2x16_overexp_second", k3x8, k2x16, 12, wordsToBytes(2),
            runKx16To8Over<K16Over, mapcomp_2x16_3x8_overexp, 2>, refMap<S8, 2, true>),
    mapCase("mapcomp_3x16_all", k3x8, k3x16, 12, wordsToBytes(3),
            runKx16To8<K16, mapcomp_3x16_3x8, kAll>, refMap<S8, kAll, false>),
    mapCase("mapcomp_3x16_some", k3x8, k3x16, 12, wordsToBytes(3),
            runKx16To8<K16, mapcomp_3x16_3x8, 0b101>, refMap<S8, 0b101, false>),
    mapCase("mapcomp_3x16_overexp_all", k3x8, k3x16, 12, wordsToBytes(3),
            runKx16To8Over<K16Over, mapcomp_3x16_3x8_overexp, kAll>, refMap<S8, kAll, true>),
    mapCase("mapcomp_4x16_all", k3x8, k4x16, 12, wordsToBytes(4),
            runKx16To8<K16, mapcomp_4x16_3x8, kAll>, refMap<S8, kAll, false>),
    mapCase("mapcomp_4x16_overexp_some", k3x8, k4x16, 12, wordsToBytes(4),
            runKx16To8Over<K16Over, mapcomp_4x16_3x8_overexp, 0b0110>, refMap<S8, 0b0110, true>),
    mapCase("mapcomp_5x16_some", k3x8, k5x16, 12, wordsToBytes(5),
            runKx16To8<K16, mapcomp_5x16_3x8, 0b11101>, refMap<S8, 0b11101, false>),
    mapCase("mapcomp_5x16_overexp_all", k3x8, k5x16, 12, wordsToBytes(5),
            runKx16To8Over<K16Over, mapcomp_5x16_3x8_overexp, kAll>, refMap<S8, kAll, true>),
    mapCase("mapcomp_6x16_all", k3x8, k6x16, 12, wordsToBytes(6),
            runKx16To8<K16, mapcomp_6x16_3x8, kAll>, refMap<S8, kAll, false>),
    mapCase("mapcomp_6x16_overexp_some", k3x8, k6x16, 12, wordsToBytes(6),
            runKx16To8Over<K16Over, mapcomp_6x16_3x8_overexp, 0b110000>,
            refMap<S8, 0b110000, true>),
    // The N members look samples above the table up at its last entry.
    mapCase("mapcomp_Nx16_all", k3x8, k7x16, 13, wordsToBytes(7),
            runNx16To8<N16, mapcomp_Nx16_3x8, kAll>, refMap<R8, kAll, false>),
    mapCase("mapcomp_Nx16_some", k3x8, k7x16, 13, wordsToBytes(7),
            runNx16To8<N16, mapcomp_Nx16_3x8, 0b1000110>, refMap<R8, 0b1000110, false>),
    mapCase("mapcomp_Nx16_overexp_all", k3x8, k7x16, 12, wordsToBytes(7),
            runNx16To8Over<N16Over, mapcomp_Nx16_3x8_overexp, kAll>, refMap<R8, kAll, true>),
    mapCase("mapcomp_Nx16_overexp_some", k3x8, k7x16, 12, wordsToBytes(7),
            runNx16To8Over<N16Over, mapcomp_Nx16_3x8_overexp, 0b0101011>,
            refMap<R8, 0b0101011, true>),

    // 9- to 16-bit sources, 16-bit colour.
    mapCase("mapcomp_1x16_3x16", k3x16, k1x16, 12, words(1),
            run1x16To16<One16To16, mapcomp_1x16_3x16>, refMap<S16, kAll, false>),
    mapCase("mapcomp_2x16_3x16_all", k3x16, k2x16, 13, words(2),
            runKx16To16<K16To16, mapcomp_2x16_3x16, kAll>, refMap<S16, kAll, false>),
    mapCase("mapcomp_3x16_3x16_all", k3x16, k3x16, 12, words(3),
            runKx16To16<K16To16, mapcomp_3x16_3x16, kAll>, refMap<S16, kAll, false>),
    mapCase("mapcomp_3x16_3x16_some", k3x16, k3x16, 12, words(3),
            runKx16To16<K16To16, mapcomp_3x16_3x16, 0b110>, refMap<S16, 0b110, false>),
    mapCase("mapcomp_4x16_3x16_some", k3x16, k4x16, 12, words(4),
            runKx16To16<K16To16, mapcomp_4x16_3x16, 0b1001>, refMap<S16, 0b1001, false>),
    mapCase("mapcomp_5x16_3x16_all", k3x16, k5x16, 12, words(5),
            runKx16To16<K16To16, mapcomp_5x16_3x16, kAll>, refMap<S16, kAll, false>),
    mapCase("mapcomp_6x16_3x16_none", k3x16, k6x16, 12, words(6),
            runKx16To16<K16To16, mapcomp_6x16_3x16, 0>, refMap<S16, 0, false>),
    mapCase("mapcomp_6x16_3x16_some", k3x16, k6x16, 12, words(6),
            runKx16To16<K16To16, mapcomp_6x16_3x16, 0b010111>, refMap<S16, 0b010111, false>),
    mapCase("mapcomp_Nx16_3x16_all", k3x16, k7x16, 13, words(7),
            runNx16To16<N16To16, mapcomp_Nx16_3x16, kAll>, refMap<R16, kAll, false>),
    mapCase("mapcomp_Nx16_3x16_some", k3x16, k7x16, 12, words(7),
            runNx16To16<N16To16, mapcomp_Nx16_3x16, 0b0111010>, refMap<R16, 0b0111010, false>),

    mapCase("mapcomp_Iter1x8", k3x8, k1x8, 8, bytes(1), runIterate, refIterate),

    // Through CLxPicMemAPI::MapComponentsMToN, which finds the rows of an
    // SLxLut without their pointers and looks samples above the table up at
    // its last entry (a 6-bit table for byte samples, 12-bit tables for
    // 13-bit samples).
    mapCase("dispatch_1x8", k3x8, k1x8, 8, bytes(1), runDispatcher<0, true>,
            refMap<S8, kAll, true>),
    mapCase("dispatch_2x8_none", k3x8, k2x8, 8, bytes(2), runDispatcher<0, false>,
            refMap<S8, 0, false>),
    mapCase("dispatch_3x8_all", k3x8, k3x8, 8, bytes(3), runDispatcher<kAll, false>,
            refMap<S8, kAll, false>),
    mapCase("dispatch_3x8_6bit_table", k3x8, k3x8, 8, {6, 3, 8, 3}, runDispatcher<0b011, true>,
            refMap<S8, 0b011, true>),
    mapCase("dispatch_7x8_some", k3x8, k7x8, 8, bytes(7), runDispatcher<0b1100101, true>,
            refMap<R8, 0b1100101, true>),
    mapCase("dispatch_1x16", k3x8, k1x16, 13, wordsToBytes(1), runDispatcher<0, true>,
            refMap<S8, kAll, true>),
    mapCase("dispatch_4x16_some", k3x8, k4x16, 13, wordsToBytes(4), runDispatcher<0b1101, true>,
            refMap<S8, 0b1101, true>),
    mapCase("dispatch_6x16_all", k3x8, k6x16, 13, wordsToBytes(6), runDispatcher<kAll, false>,
            refMap<S8, kAll, false>),
    mapCase("dispatch_7x16_all", k3x8, k7x16, 13, wordsToBytes(7), runDispatcher<kAll, true>,
            refMap<R8, kAll, true>),
    mapCase("dispatch_1x16_3x16", k3x16, k1x16, 13, words(1), runDispatcher<0, false>,
            refMap<S16, kAll, false>),
    mapCase("dispatch_3x16_3x16_all", k3x16, k3x16, 13, words(3), runDispatcher<kAll, false>,
            refMap<S16, kAll, false>),
    mapCase("dispatch_5x16_3x16_some", k3x16, k5x16, 13, words(5), runDispatcher<0b01110, false>,
            refMap<S16, 0b01110, false>),
    mapCase("dispatch_7x16_3x16_some", k3x16, k7x16, 13, words(7), runDispatcher<0b1010101, false>,
            refMap<R16, 0b1010101, false>),
};

} // namespace

KERNEL_CASES(MapComp, kMapCases);

} // namespace kerneltest
