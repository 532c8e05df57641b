// Copy, compare, fill, blend, masked copy and pixel replacement against
// plain loops.
#include "gnr_picture/picmemAPI/LxCopyKernels.h"
#include "gnr_picture/picmemAPI/LxCopyKernelsT.h"
#include "kernel_test_support.h"

namespace kerneltest
{
namespace
{

constexpr PicFormat k1x8{1, 1}, k3x8{3, 1}, k5x8{5, 1}, k2x16{2, 2}, k3x16{3, 2}, k1x32{1, 4};

// Every sample of the destination's components from the same place in the
// source.
int refCopy(Ctx& c)
{
    c.eachPixel([&](uint32_t x, uint32_t y) {
        for (uint32_t k = 0; k < c.dst.comps(); ++k)
            c.expected.put(x, y, k, c.src.get(x, y, k));
    });
    return 0;
}

template <uint32_t Bits> int runCopy(Ctx& c)
{
    return copy(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), c.dst.comps(), Bits,
                c.width, c.count);
}

// The copy past the cache, taken whatever the picture's size.
template <uint32_t Bits> int runStreamedCopy(Ctx& c)
{
    return lxpic::copyLines(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(),
                            c.dst.comps(), Bits, c.width, c.count, 0);
}

template <uint32_t Bits> int runCompare(Ctx& c)
{
    return compare(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), c.dst.comps(), Bits,
                   c.width, c.count);
}

// Equal windows (the padding differs) but for the last sample.
int refCompare(Ctx& c)
{
    refCopy(c);
    c.dst = c.expected;
    const uint32_t x = c.width - 1, y = c.lines() - 1, k = c.dst.comps() - 1;
    const uint32_t v = c.src.get(x, y, k);
    c.dst.put(x, y, k, v ^ 1); // the low byte differs
    c.expected = c.dst;
    return (v & 1) ? -1 : 1;
}

// Equal in every sample of the window.
int refCompareEqual(Ctx& c)
{
    refCopy(c);
    c.dst = c.expected;
    return 0;
}

template <uint32_t Bits> int runSet(Ctx& c)
{
    return set(c.dst.data(), c.dst.pitch(), 0x1C7, c.dst.comps(), Bits, c.width, c.count);
}

template <uint32_t Bytes> int refSet(Ctx& c)
{
    c.eachPixel([&](uint32_t x, uint32_t y) {
        for (uint32_t k = 0; k < c.dst.comps(); ++k)
            c.expected.put(x, y, k, Bytes == 1 ? 0xC7 : 0xC7C7);
    });
    return 0;
}

template <uint32_t Bits> int runBlend(Ctx& c)
{
    return blend_two(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), c.blendTable.data(),
                     c.dst.comps(), Bits, c.width, c.count);
}

// Byte by byte, whatever the sample width.
int refBlend(Ctx& c)
{
    c.eachPixel([&](uint32_t x, uint32_t y) {
        for (uint32_t k = 0; k < c.dst.comps(); ++k) {
            const uint32_t d = c.dst.get(x, y, k), s = c.src.get(x, y, k);
            uint32_t out = 0;
            for (uint32_t b = 0; b < 8 * c.dst.sampleBytes(); b += 8) {
                const uint32_t db = (d >> b) & 255, sb = (s >> b) & 255;
                out |= uint32_t(c.blendTable[db * 256 + sb]) << b;
            }
            c.expected.put(x, y, k, out);
        }
    });
    return 0;
}

template <bool In> int refCopyMask(Ctx& c)
{
    c.eachPixel([&](uint32_t x, uint32_t y) {
        if ((c.mask.get(x, y, 0) == 1) == In)
            for (uint32_t k = 0; k < c.dst.comps(); ++k)
                c.expected.put(x, y, k, c.src.get(x, y, k));
    });
    return 0;
}

template <class Kernel, Kernel K, uint32_t Bits> int runCopyMask(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), c.dst.comps(), Bits,
             c.mask.data(), c.mask.pitch(), c.width, c.count, 1);
}

template <class Kernel, Kernel K> int runCopyMask3x8(Ctx& c)
{
    return K(c.dst.data(), c.dst.pitch(), c.src.data(), c.src.pitch(), c.mask.data(),
             c.mask.pitch(), c.width, c.count, 1);
}

const uint8_t kPixel8[3] = {0x12, 0x34, 0x56};
const uint16_t kPixel16[2] = {0x1234, 0xABCD};

int runSet8(Ctx& c)
{
    return set_Nx8(c.dst.data(), 3, c.dst.pitch(), kPixel8, c.width, c.count);
}
int runSet16(Ctx& c)
{
    return set_Nx16(c.dst.data(), 2, c.dst.pitch(), kPixel16, c.width, c.count);
}
template <class T, const T* Pixel> int refSetPixel(Ctx& c)
{
    c.eachPixel([&](uint32_t x, uint32_t y) {
        for (uint32_t k = 0; k < c.dst.comps(); ++k)
            c.expected.put(x, y, k, Pixel[k]);
    });
    return 0;
}

// Samples are 0 or 1 (in place), so many pixels match the old value.
const uint8_t kOld8[3] = {1, 0, 1}, kNew8[3] = {7, 8, 9};
const uint16_t kOld16[2] = {0, 1}, kNew16[2] = {0x7007, 0x8008};

int runChange8(Ctx& c)
{
    return change_Nx8(c.dst.data(), 3, c.dst.pitch(), kNew8, kOld8, c.width, c.count);
}
int runChange16(Ctx& c)
{
    return change_Nx16(c.dst.data(), 2, c.dst.pitch(), kNew16, kOld16, c.width, c.count);
}
template <class T, const T* Old, const T* New> int refChange(Ctx& c)
{
    c.eachPixel([&](uint32_t x, uint32_t y) {
        bool same = true;
        for (uint32_t k = 0; k < c.dst.comps(); ++k)
            same = same && c.dst.get(x, y, k) == Old[k];
        if (same)
            for (uint32_t k = 0; k < c.dst.comps(); ++k)
                c.expected.put(x, y, k, New[k]);
    });
    return 0;
}

using MaskKernel = decltype(&copymask_8_in);
using Mask3x8Kernel = decltype(&copymask_16_3x8_in);

const KernelCase kCopyCases[] = {
    {"copy_1x8", k1x8, k1x8, 8, {}, 0, runCopy<8>, refCopy},
    {"copy_5x6", k5x8, k5x8, 6, {}, 0, runCopy<6>, refCopy},
    {"copy_3x12", k3x16, k3x16, 16, {}, 0, runCopy<12>, refCopy},
    {"copy_1x24", k1x32, k1x32, 32, {}, 0, runCopy<24>, refCopy},
    {"copy_streamed_5x8", k5x8, k5x8, 8, {}, 0, runStreamedCopy<8>, refCopy},
    {"copy_streamed_3x12", k3x16, k3x16, 16, {}, 0, runStreamedCopy<12>, refCopy},
    {"compare_3x8", k3x8, k3x8, 8, {}, 0, runCompare<8>, refCompare},
    {"compare_2x16", k2x16, k2x16, 16, {}, 0, runCompare<16>, refCompare},
    {"compare_equal_1x24", k1x32, k1x32, 32, {}, 0, runCompare<24>, refCompareEqual},
    {"set_3x8", k3x8, k3x8, 8, {}, 0, runSet<8>, refSet<1>},
    {"set_2x16", k2x16, k2x16, 16, {}, 0, runSet<16>, refSet<2>},
    {"blend_two_3x8", k3x8, k3x8, 8, {}, 0, runBlend<8>, refBlend},
    {"blend_two_2x16", k2x16, k2x16, 16, {}, 0, runBlend<16>, refBlend},
    {"copymask_8_in_3x8",
     k3x8,
     k3x8,
     8,
     {},
     1,
     runCopyMask<MaskKernel, copymask_8_in, 8>,
     refCopyMask<true>},
    {"copymask_8_out_2x16",
     k2x16,
     k2x16,
     16,
     {},
     1,
     runCopyMask<MaskKernel, copymask_8_out, 16>,
     refCopyMask<false>},
    {"copymask_16_in_5x8",
     k5x8,
     k5x8,
     8,
     {},
     2,
     runCopyMask<MaskKernel, copymask_16_in, 8>,
     refCopyMask<true>},
    {"copymask_16_out_1x24",
     k1x32,
     k1x32,
     32,
     {},
     2,
     runCopyMask<MaskKernel, copymask_16_out, 24>,
     refCopyMask<false>},
    {"copymask_16_3x8_in",
     k3x8,
     k3x8,
     8,
     {},
     2,
     runCopyMask3x8<Mask3x8Kernel, copymask_16_3x8_in>,
     refCopyMask<true>},
    {"copymask_16_3x8_out",
     k3x8,
     k3x8,
     8,
     {},
     2,
     runCopyMask3x8<Mask3x8Kernel, copymask_16_3x8_out>,
     refCopyMask<false>},
    {"set_Nx8", k3x8, k3x8, 8, {}, 0, runSet8, refSetPixel<uint8_t, kPixel8>},
    {"set_Nx16", k2x16, k2x16, 16, {}, 0, runSet16, refSetPixel<uint16_t, kPixel16>},
    {"change_Nx8", k3x8, k3x8, 1, {}, 0, runChange8, refChange<uint8_t, kOld8, kNew8>, true},
    {"change_Nx16", k2x16, k2x16, 1, {}, 0, runChange16, refChange<uint16_t, kOld16, kNew16>, true},
};

} // namespace

KERNEL_CASES(Copy, kCopyCases);

// The streamed copy aligns the destination itself and copies the ends
// bytewise: lines of any length at any address, the bytes around untouched.
TEST(StreamedCopy, AnyLengthAtAnyAddress)
{
    const uint32_t lengths[] = {1, 15, 16, 17, 31, 33, 100, 1001};
    const size_t dstOffsets[] = {0, 1, 7, 15};
    const size_t srcOffsets[] = {0, 5};
    constexpr uint32_t kLines = 3;
    for (uint32_t len : lengths)
        for (size_t dstOff : dstOffsets)
            for (size_t srcOff : srcOffsets) {
                SCOPED_TRACE(testing::Message()
                             << "length " << len << ", dst +" << dstOff << ", src +" << srcOff);
                // Odd pitches move every line to another alignment.
                const uint32_t dstPitch = len + 3, srcPitch = len + 6;
                std::vector<uint8_t> src(srcOff + size_t(srcPitch) * kLines);
                for (size_t i = 0; i < src.size(); ++i)
                    src[i] = uint8_t(i * 7 + 1);
                std::vector<uint8_t> dst(dstOff + size_t(dstPitch) * kLines + kTailBytes, kMarker);
                std::vector<uint8_t> expected = dst;
                for (uint32_t y = 0; y < kLines; ++y)
                    std::memcpy(&expected[dstOff + size_t(y) * dstPitch],
                                &src[srcOff + size_t(y) * srcPitch], len);

                EXPECT_EQ(lxpic::copyLines(dst.data() + dstOff, dstPitch, src.data() + srcOff,
                                           srcPitch, 1, 8, len, len * kLines, 0),
                          0);
                EXPECT_EQ(dst, expected);
            }
}

} // namespace kerneltest
