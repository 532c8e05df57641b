// Dispatchers of the one-bit kernels: unpack, pack and threshold.
#include "gnr_picture/picmemAPI/LxBinaryKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemDispatch.h"

using namespace lxpic;

namespace
{

// The member key: (1, 3, 4 or 0 for N, sample bytes) for exactly 8 bits and
// for 9 to 16 bits; 0 for every other depth (no member).
uint32_t oneBitKey(uint32_t comps, uint32_t bits)
{
    const uint32_t bytes = bits == 8 ? 1 : bits >= 9 && bits <= 16 ? 2 : 0;
    return bytes ? formatKey(memberComps(comps, {1, 3, 4}), bytes) : 0;
}

// Whether comps samples of the format fit the 64-bit value forms.
bool fitsValue(uint32_t comps, uint32_t bits)
{
    return uint64_t(comps) * (bits == 8 ? 8 : 16) <= 64;
}

} // namespace

int CLxPicMemAPI::UnpackFromBinary(void* dst, uint32_t comps, uint32_t bits, uint64_t value,
                                   uint32_t dstWB, const uint8_t* plane, uint32_t startBit,
                                   uint32_t planeWB, uint32_t width, uint32_t count, uint32_t mode)
{
    if (emptyWindow(width, count))
        return 0;
    if (oneBitKey(comps, bits) == 0)
        return -2;
    if (!fitsValue(comps, bits))
        return -4;
    return UnpackFromBinary(dst, comps, bits, static_cast<const void*>(&value), dstWB, plane,
                            startBit, planeWB, width, count, mode);
}

int CLxPicMemAPI::UnpackFromBinary(void* dst, uint32_t comps, uint32_t bits, const void* value,
                                   uint32_t dstWB, const uint8_t* plane, uint32_t startBit,
                                   uint32_t planeWB, uint32_t width, uint32_t count, uint32_t mode)
{
    if (emptyWindow(width, count))
        return 0;
    const uint32_t key = oneBitKey(comps, bits);
    if (key == 0)
        return -2;
    if (!dst || !value || !plane)
        return -4;
    plane += startBit / 8;
    const uint32_t b = startBit % 8;
    switch (key) {
    case formatKey(1, 1):
        return unpack_bin_to_1x8(dst, value, dstWB, plane, b, planeWB, width, count, mode);
    case formatKey(3, 1):
        return unpack_bin_to_3x8(dst, value, dstWB, plane, b, planeWB, width, count, mode);
    case formatKey(4, 1):
        return unpack_bin_to_4x8(dst, value, dstWB, plane, b, planeWB, width, count, mode);
    case formatKey(0, 1):
        return unpack_bin_to_Nx8(dst, comps, value, dstWB, plane, b, planeWB, width, count, mode);
    case formatKey(1, 2):
        return unpack_bin_to_1x16(dst, value, dstWB, plane, b, planeWB, width, count, mode);
    case formatKey(3, 2):
        return unpack_bin_to_3x16(dst, value, dstWB, plane, b, planeWB, width, count, mode);
    case formatKey(4, 2):
        return unpack_bin_to_4x16(dst, value, dstWB, plane, b, planeWB, width, count, mode);
    default:
        return unpack_bin_to_Nx16(dst, comps, value, dstWB, plane, b, planeWB, width, count, mode);
    }
}

int CLxPicMemAPI::PackToBinary(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                               uint32_t comps, uint32_t bits, uint32_t srcWB, uint64_t value,
                               uint32_t compareMode, uint32_t width, uint32_t count,
                               uint32_t combineMode)
{
    if (emptyWindow(width, count))
        return 0;
    if (oneBitKey(comps, bits) == 0)
        return -2;
    if (!fitsValue(comps, bits))
        return -4;
    return PackToBinary(plane, startBit, planeWB, src, comps, bits, srcWB,
                        static_cast<const void*>(&value), compareMode, width, count, combineMode);
}

int CLxPicMemAPI::PackToBinary(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                               uint32_t comps, uint32_t bits, uint32_t srcWB, const void* value,
                               uint32_t compareMode, uint32_t width, uint32_t count,
                               uint32_t combineMode)
{
    if (emptyWindow(width, count))
        return 0;
    const uint32_t key = oneBitKey(comps, bits);
    if (key == 0)
        return -2;
    if (!plane || !src || !value)
        return -4;
    plane += startBit / 8;
    const uint32_t b = startBit % 8;
    const uint32_t cm = compareMode, n = count, w = width, mode = combineMode;
    switch (key) {
    case formatKey(1, 1):
        return pack_1x8_to_bin(plane, b, planeWB, src, srcWB, value, cm, w, n, mode);
    case formatKey(3, 1):
        return pack_3x8_to_bin(plane, b, planeWB, src, srcWB, value, cm, w, n, mode);
    case formatKey(4, 1):
        return pack_4x8_to_bin(plane, b, planeWB, src, srcWB, value, cm, w, n, mode);
    case formatKey(0, 1):
        return pack_Nx8_to_bin(plane, b, planeWB, src, comps, srcWB, value, cm, w, n, mode);
    case formatKey(1, 2):
        return pack_1x16_to_bin(plane, b, planeWB, src, srcWB, value, cm, w, n, mode);
    case formatKey(3, 2):
        return pack_3x16_to_bin(plane, b, planeWB, src, srcWB, value, cm, w, n, mode);
    case formatKey(4, 2):
        return pack_4x16_to_bin(plane, b, planeWB, src, srcWB, value, cm, w, n, mode);
    default:
        return pack_Nx16_to_bin(plane, b, planeWB, src, comps, srcWB, value, cm, w, n, mode);
    }
}

int CLxPicMemAPI::ThresholdToBinary(uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                    const void* src, uint32_t comps, uint32_t bits, uint32_t srcWB,
                                    uint64_t low, uint64_t high, bool inside, uint32_t width,
                                    uint32_t count, uint32_t combineMode)
{
    if (emptyWindow(width, count))
        return 0;
    if (oneBitKey(comps, bits) == 0)
        return -2;
    if (!fitsValue(comps, bits))
        return -4;
    return ThresholdToBinary(plane, startBit, planeWB, src, comps, bits, srcWB,
                             static_cast<const void*>(&low), static_cast<const void*>(&high),
                             inside, width, count, combineMode);
}

int CLxPicMemAPI::ThresholdToBinary(uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                    const void* src, uint32_t comps, uint32_t bits, uint32_t srcWB,
                                    const void* low, const void* high, bool inside, uint32_t width,
                                    uint32_t count, uint32_t combineMode)
{
    if (emptyWindow(width, count))
        return 0;
    const uint32_t key = oneBitKey(comps, bits);
    if (key == 0)
        return -2;
    if (!plane || !src || !low || !high)
        return -4;
    plane += startBit / 8;
    const uint32_t b = startBit % 8;
    const uint32_t n = count, w = width, mode = combineMode;
    switch (key) {
    case formatKey(1, 1):
        return threshold_1x8_to_bin(plane, b, planeWB, src, srcWB, low, high, inside, w, n, mode);
    case formatKey(3, 1):
        return threshold_3x8_to_bin(plane, b, planeWB, src, srcWB, low, high, inside, w, n, mode);
    case formatKey(4, 1):
        return threshold_4x8_to_bin(plane, b, planeWB, src, srcWB, low, high, inside, w, n, mode);
    case formatKey(0, 1):
        return threshold_Nx8_to_bin(plane, b, planeWB, src, comps, srcWB, low, high, inside, w, n,
                                    mode);
    case formatKey(1, 2):
        return threshold_1x16_to_bin(plane, b, planeWB, src, srcWB, low, high, inside, w, n, mode);
    case formatKey(3, 2):
        return threshold_3x16_to_bin(plane, b, planeWB, src, srcWB, low, high, inside, w, n, mode);
    case formatKey(4, 2):
        return threshold_4x16_to_bin(plane, b, planeWB, src, srcWB, low, high, inside, w, n, mode);
    default:
        return threshold_Nx16_to_bin(plane, b, planeWB, src, comps, srcWB, low, high, inside, w, n,
                                     mode);
    }
}
