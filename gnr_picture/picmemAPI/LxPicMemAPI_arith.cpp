// Dispatchers of the arithmetic kernels: two pictures, constants and the
// statistics.
#include "gnr_picture/picmemAPI/LxArithKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemDispatch.h"

using namespace lxpic;

namespace
{

// The members of one elementwise family; null where it has none.
template <class K> struct Members {
    K m1x8, m3x8, m4x8, mNx8, m1x16, m3x16, m4x16, mNx16, m5x32, mNx32;
};

// The member of the elementwise rule: exactly 8 bits the byte members, 9 to
// 16 the 16-bit ones, 17 to 32 the 32-bit ones (5x32 for 5 components where
// the family's dispatcher uses it); null for every other depth.
template <class K> K choose(const Members<K>& m, uint32_t comps, uint32_t bits, bool use5x32)
{
    uint32_t bytes = 0;
    if (bits == 8)
        bytes = 1;
    else if (bits >= 9 && bits <= 16)
        bytes = 2;
    else if (bits >= 17 && bits <= 32)
        bytes = 4;
    switch (formatKey(bytes == 4 ? (use5x32 && comps == 5 ? 5 : 0) : memberComps(comps, {1, 3, 4}),
                      bytes)) {
    case formatKey(1, 1):
        return m.m1x8;
    case formatKey(3, 1):
        return m.m3x8;
    case formatKey(4, 1):
        return m.m4x8;
    case formatKey(0, 1):
        return m.mNx8;
    case formatKey(1, 2):
        return m.m1x16;
    case formatKey(3, 2):
        return m.m3x16;
    case formatKey(4, 2):
        return m.m4x16;
    case formatKey(0, 2):
        return m.mNx16;
    case formatKey(5, 4):
        return m.m5x32;
    case formatKey(0, 4):
        return m.mNx32;
    default:
        return nullptr;
    }
}

using ZipKernel = int (*)(void*, uint32_t, const void*, uint32_t, const void*, uint32_t, uint32_t,
                          uint32_t, uint32_t, uint32_t);
using SubAddKernel = int (*)(void*, uint32_t, const void*, uint32_t, const void*, uint32_t,
                             const int32_t*, uint32_t, uint32_t, uint32_t, uint32_t);
using TranspKernel = int (*)(void*, uint32_t, double, const void*, uint32_t, double, const void*,
                             uint32_t, uint32_t, uint32_t, uint32_t, uint32_t);
using PixelConstKernel = int (*)(void*, uint32_t, const void*, uint32_t, const void*, uint32_t,
                                 uint32_t, uint32_t, uint32_t);
using IntConstKernel = int (*)(void*, uint32_t, const void*, uint32_t, const int32_t*, uint32_t,
                               uint32_t, uint32_t, uint32_t);
using DoubleConstKernel = int (*)(void*, uint32_t, const void*, uint32_t, const double*, uint32_t,
                                  uint32_t, uint32_t, uint32_t);
using PowKernel = int (*)(void*, uint32_t, const void*, uint32_t, const double*, const double*,
                          const double*, uint32_t, uint32_t, uint32_t, uint32_t);

#define LX_MEMBERS_8_16(family)                                                                    \
    family##_1x8, family##_3x8, family##_4x8, family##_Nx8, family##_1x16, family##_3x16,          \
        family##_4x16, family##_Nx16

const Members<ZipKernel> kAdd{LX_MEMBERS_8_16(addandclip), addandclip_5x32, addandclip_Nx32};
const Members<ZipKernel> kSub{LX_MEMBERS_8_16(subandclip), subandclip_5x32, subandclip_Nx32};
const Members<ZipKernel> kMax{LX_MEMBERS_8_16(max), nullptr, nullptr};
const Members<ZipKernel> kMin{LX_MEMBERS_8_16(min), nullptr, nullptr};
const Members<SubAddKernel> kSubAdd{LX_MEMBERS_8_16(subaddconstandclip), nullptr, nullptr};
const Members<TranspKernel> kTransp{LX_MEMBERS_8_16(addtranspandclip), nullptr, nullptr};
const Members<PixelConstKernel> kMaxConst{LX_MEMBERS_8_16(maxconstandclip), nullptr, nullptr};
const Members<PixelConstKernel> kMinConst{LX_MEMBERS_8_16(minconstandclip), nullptr, nullptr};
const Members<IntConstKernel> kAddConst{LX_MEMBERS_8_16(addconstandclip), nullptr, nullptr};
const Members<IntConstKernel> kAddRotate{LX_MEMBERS_8_16(addconstrotate), nullptr, nullptr};
const Members<IntConstKernel> kSubConst{LX_MEMBERS_8_16(subconstandclip), nullptr, nullptr};
const Members<DoubleConstKernel> kMulConst{LX_MEMBERS_8_16(mulconstandclip), nullptr, nullptr};
const Members<DoubleConstKernel> kDivConst{LX_MEMBERS_8_16(divconstandclip), nullptr,
                                           divconstandclip_Nx32};
const Members<PowKernel> kPowConst{LX_MEMBERS_8_16(addmulpowconstandclip), nullptr, nullptr};

#undef LX_MEMBERS_8_16

int zip(const Members<ZipKernel>& family, bool use5x32, void* dst, uint32_t dstWB, const void* src1,
        uint32_t src1WB, const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
        uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    const ZipKernel kernel = choose(family, comps, bits, use5x32);
    if (!kernel)
        return -2;
    if (!dst || !src1 || !src2)
        return -4;
    return kernel(dst, dstWB, src1, src1WB, src2, src2WB, comps, bits, width, count);
}

template <class K, class C>
int withConstant(const Members<K>& family, void* dst, uint32_t dstWB, const void* src,
                 uint32_t srcWB, const C* constant, uint32_t comps, uint32_t bits, uint32_t width,
                 uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    const K kernel = choose(family, comps, bits, false);
    if (!kernel)
        return -2;
    if (!dst || !src || !constant)
        return -4;
    return kernel(dst, dstWB, src, srcWB, constant, comps, bits, width, count);
}

// The statistics' rule: bits up to 8 are bytes, 9 to 16 words; 1 and 3
// components their own members, other counts N. Index 0 1x8, 1 3x8, 2 Nx8,
// 3 1x16, 4 3x16, 5 Nx16; -1 for more than 16 bits.
int statisticsMember(uint32_t comps, uint32_t bits)
{
    if (bits > 16)
        return -1;
    return (bits <= 8 ? 0 : 3) + (comps == 1 ? 0 : comps == 3 ? 1 : 2);
}

} // namespace

int CLxPicMemAPI::AddAndClip(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                             const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                             uint32_t width, uint32_t count)
{
    return zip(kAdd, true, dst, dstWB, src1, src1WB, src2, src2WB, comps, bits, width, count);
}

int CLxPicMemAPI::SubAndClip(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                             const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                             uint32_t width, uint32_t count)
{
    return zip(kSub, true, dst, dstWB, src1, src1WB, src2, src2WB, comps, bits, width, count);
}

int CLxPicMemAPI::Max(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                      const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                      uint32_t width, uint32_t count)
{
    return zip(kMax, false, dst, dstWB, src1, src1WB, src2, src2WB, comps, bits, width, count);
}

int CLxPicMemAPI::Min(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                      const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                      uint32_t width, uint32_t count)
{
    return zip(kMin, false, dst, dstWB, src1, src1WB, src2, src2WB, comps, bits, width, count);
}

int CLxPicMemAPI::SubAddConstAndClip(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                                     const void* src2, uint32_t src2WB, const int32_t* constants,
                                     uint32_t comps, uint32_t bits, uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    const SubAddKernel kernel = choose(kSubAdd, comps, bits, false);
    if (!kernel)
        return -2;
    if (!dst || !src1 || !src2 || !constants)
        return -4;
    return kernel(dst, dstWB, src1, src1WB, src2, src2WB, constants, comps, bits, width, count);
}

int CLxPicMemAPI::AddTranspAndClip(void* dst, uint32_t dstWB, double weight1, const void* src1,
                                   uint32_t src1WB, double weight2, const void* src2,
                                   uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width,
                                   uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    const TranspKernel kernel = choose(kTransp, comps, bits, false);
    if (!kernel)
        return -2;
    if (!dst || !src1 || !src2)
        return -4;
    return kernel(dst, dstWB, weight1, src1, src1WB, weight2, src2, src2WB, comps, bits, width,
                  count);
}

int CLxPicMemAPI::MaxConstAndClip(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const void* constant, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t count)
{
    return withConstant(kMaxConst, dst, dstWB, src, srcWB, constant, comps, bits, width, count);
}

int CLxPicMemAPI::MinConstAndClip(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const void* constant, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t count)
{
    return withConstant(kMinConst, dst, dstWB, src, srcWB, constant, comps, bits, width, count);
}

int CLxPicMemAPI::AddConstAndClip(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const int32_t* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t count)
{
    return withConstant(kAddConst, dst, dstWB, src, srcWB, constants, comps, bits, width, count);
}

int CLxPicMemAPI::SubConstAndClip(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const int32_t* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t count)
{
    return withConstant(kSubConst, dst, dstWB, src, srcWB, constants, comps, bits, width, count);
}

int CLxPicMemAPI::AddConstRotate(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 const int32_t* constants, uint32_t comps, uint32_t bits,
                                 uint32_t width, uint32_t count)
{
    return withConstant(kAddRotate, dst, dstWB, src, srcWB, constants, comps, bits, width, count);
}

int CLxPicMemAPI::MulConstAndClip(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const double* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t count)
{
    return withConstant(kMulConst, dst, dstWB, src, srcWB, constants, comps, bits, width, count);
}

int CLxPicMemAPI::DivConstAndClip(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const double* divisors, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t count)
{
    return withConstant(kDivConst, dst, dstWB, src, srcWB, divisors, comps, bits, width, count);
}

int CLxPicMemAPI::AddMulPowConstAndClip(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                        const double* add, const double* mul, const double* pow,
                                        uint32_t comps, uint32_t bits, uint32_t width,
                                        uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    const PowKernel kernel = choose(kPowConst, comps, bits, false);
    if (!kernel)
        return -2;
    if (!dst || !src || !add || !mul || !pow)
        return -4;
    return kernel(dst, dstWB, src, srcWB, add, mul, pow, comps, bits, width, count);
}

int CLxPicMemAPI::LinearCorrelation(const void* src1, uint32_t src1WB, const void* src2,
                                    uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width,
                                    uint32_t count, double& result)
{
    switch (statisticsMember(comps, bits)) {
    case 0:
        return linar_correlation_1x8(src1, src1WB, src2, src2WB, width, count, &result);
    case 1:
        return linar_correlation_3x8(src1, src1WB, src2, src2WB, width, count, &result);
    case 2:
        return linar_correlation_Nx8(src1, src1WB, src2, src2WB, comps, width, count, &result);
    case 3:
        return linar_correlation_1x16(src1, src1WB, src2, src2WB, width, count, &result);
    case 4:
        return linar_correlation_3x16(src1, src1WB, src2, src2WB, width, count, &result);
    case 5:
        return linar_correlation_Nx16(src1, src1WB, src2, src2WB, comps, width, count, &result);
    default:
        return -2;
    }
}

int CLxPicMemAPI::AverageUpdate(void* avg, uint32_t avgWB, void* avgWeights, uint32_t avgWeightsWB,
                                const void* src, uint32_t srcWB, const void* srcWeights,
                                uint32_t srcWeightsWB, uint32_t comps, uint32_t bits,
                                uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    switch (statisticsMember(comps, bits)) {
    case 0:
        return average_update_1x8(avg, avgWB, avgWeights, avgWeightsWB, src, srcWB, srcWeights,
                                  srcWeightsWB, width, count);
    case 1:
        return average_update_3x8(avg, avgWB, avgWeights, avgWeightsWB, src, srcWB, srcWeights,
                                  srcWeightsWB, width, count);
    case 2:
        return average_update_Nx8(avg, avgWB, avgWeights, avgWeightsWB, src, srcWB, srcWeights,
                                  srcWeightsWB, comps, width, count);
    case 3:
        return average_update_1x16(avg, avgWB, avgWeights, avgWeightsWB, src, srcWB, srcWeights,
                                   srcWeightsWB, width, count);
    case 4:
        return average_update_3x16(avg, avgWB, avgWeights, avgWeightsWB, src, srcWB, srcWeights,
                                   srcWeightsWB, width, count);
    case 5:
        return average_update_Nx16(avg, avgWB, avgWeights, avgWeightsWB, src, srcWB, srcWeights,
                                   srcWeightsWB, comps, width, count);
    default:
        return -2;
    }
}
