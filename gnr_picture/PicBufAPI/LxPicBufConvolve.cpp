// Convolution (unsigned and signed), the bits a convolution needs, the Sobel
// magnitude, relief and the Savitzky-Golay filter of picture buffers.
#include <memory>
#include <new>

#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"
#include "gnr_picture/PicBufAPI/LxGolayFilter.h"
#include "gnr_picture/PicBufAPI/LxPicBufFilterFrame.h"

using namespace lxfilter;

namespace
{

int convolveOnce(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, int32_t divisor)
{
    int status = 0;
    if (!FrameCheck(dst, src, kernel, KernelRule::fits, 16, &status))
        return status;
    const uint32_t top = CLxPicMemAPI::CalcUintMax(src->uiBpc);
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        if (s->uiBpc == 8) {
            const int st = ConvolveInterior_8(dst, s, kernel, divisor, top);
            return st != 0 ? st : Convolve_8(dst, s, kernel, divisor, top);
        }
        const int st = ConvolveInterior_16(dst, s, kernel, divisor, top);
        return st != 0 ? st : Convolve_16(dst, s, kernel, divisor, top);
    });
}

} // namespace

int CLxPicBufAPI::Convolution(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                              int32_t divisor)
{
    return convolveOnce(dst, src, kernel, divisor);
}

int CLxPicBufAPI::Convolution(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                              int32_t divisor, uint32_t count)
{
    return RepeatPasses(dst, src, kernel, count,
                        [divisor](SLxPicBuf* d, const SLxPicBuf* s, const SLxKernel* k) {
                            return convolveOnce(d, s, k, divisor);
                        });
}

int CLxPicBufAPI::ConvolutionEx(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                                int32_t divisor)
{
    int status = 0;
    if (!FrameCheck(dst, src, kernel, KernelRule::sidesFit, 32, &status))
        return status;
    const uint32_t bits = src->uiBpc;
    const uint32_t sampleBits = bits <= 8 ? 8 : bits <= 16 ? 16 : 32;
    const int32_t lowest = CLxPicMemAPI::CalcIntMin(bits), highest = CLxPicMemAPI::CalcIntMax(bits);
    const uint32_t signFlip = uint32_t(1) << (sampleBits - 1);
    const uint32_t shift = uint32_t(int64_t(lowest) - CLxPicMemAPI::CalcIntMin(sampleBits));
    const bool fits = kernel->uiNRows <= src->uiHeight && kernel->uiNCols <= src->uiWidth;
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        int st = 0;
        if (sampleBits == 8) {
            if (fits)
                st = ConvolveSignedInterior_8(dst, s, kernel, divisor, lowest, highest, signFlip,
                                              shift);
            return st != 0 ? st
                           : ConvolveSigned_8(dst, s, kernel, divisor, lowest, highest, signFlip,
                                              shift);
        }
        if (sampleBits == 16) {
            if (fits)
                st = ConvolveSignedInterior_16(dst, s, kernel, divisor, lowest, highest, signFlip,
                                               shift);
            return st != 0 ? st
                           : ConvolveSigned_16(dst, s, kernel, divisor, lowest, highest, signFlip,
                                               shift);
        }
        if (fits)
            st = ConvolveSigned_32A(dst, s, kernel, divisor, lowest, highest, signFlip, shift);
        return st != 0
                   ? st
                   : ConvolveSigned_32B(dst, s, kernel, divisor, lowest, highest, signFlip, shift);
    });
}

uint32_t CLxPicBufAPI::GetConvolReqBpc(const SLxKernel* kernel, uint32_t bits)
{
    if (!IsUsableKernel(kernel))
        return uint32_t(-9);
    uint64_t positive = 0, negative = 0;
    const uint32_t n = kernel->uiNRows * kernel->uiNCols;
    for (uint32_t e = 0; e < n; ++e) {
        const int64_t v = kernel->iValues[e];
        (v > 0 ? positive : negative) += uint64_t(v > 0 ? v : -v);
    }
    uint64_t m = positive > negative ? positive : negative;
    uint32_t digits = 0;
    for (; m; m >>= 1)
        ++digits;
    return bits + digits;
}

int CLxPicBufAPI::EdgesDetect(SLxPicBuf* dst, const SLxPicBuf* src)
{
    // A copy, so that a caller changing the record meanwhile changes nothing.
    thread_local std::unique_ptr<SLxKernel> kernel;
    if (!kernel)
        kernel.reset(new (std::nothrow) SLxKernel);
    if (!kernel)
        return -3;
    *kernel = CLxPicBufAPI::DetectEdge;
    int status = 0;
    if (!FrameCheck(dst, src, kernel.get(), KernelRule::fits, 16, &status))
        return status;
    if (src->uiWidth < 3 || src->uiHeight < 3)
        return -9;
    const uint32_t top = CLxPicMemAPI::CalcUintMax(src->uiBpc);
    const SLxKernel* k = kernel.get();
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        if (s->uiBpc == 8) {
            const int st = EdgesDetectInterior_8(dst, s, k, top);
            return st != 0 ? st : EdgesDetect_8(dst, s, k, top);
        }
        const int st = EdgesDetectInterior_16(dst, s, k, top);
        return st != 0 ? st : EdgesDetect_16(dst, s, k, top);
    });
}

int CLxPicBufAPI::Relief(SLxPicBuf* dst, const SLxPicBuf* src, int32_t dx, int32_t dy)
{
    if (!Check(dst, src, eLxCheckSizeBitsComps))
        return -9;
    // A shift the picture cannot hold would leave the combination reading
    // whatever dst held before.
    if (dx < 0 || dy < 0 || uint32_t(dx) >= src->uiWidth || uint32_t(dy) >= src->uiHeight)
        return -9;
    int status = 0;
    if (!FrameCheck(dst, src, nullptr, KernelRule::none, 16, &status))
        return status;
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        if (s->uiBpc == 8) {
            ReliefShiftCopy_8(dst, s, uint32_t(dx), uint32_t(dy));
            return ReliefCombine_8(dst, dst, s);
        }
        ReliefShiftCopy_16(dst, s, uint32_t(dx), uint32_t(dy));
        return ReliefCombine_16(dst, dst, s);
    });
}

int CLxPicBufAPI::GolayFilter(SLxPicBuf* dst, const SLxPicBuf* src, int32_t size, int32_t mode)
{
    if (!Check(dst, src, eLxCheckSizeBitsComps))
        return -9;
    if (mode < 0 || mode > 3 || src->uiBpc < 8 || src->uiBpc > 16)
        return -2;
    int status = 0;
    if (!FrameCheck(dst, src, nullptr, KernelRule::none, 16, &status))
        return status;
    // The workers step both pictures by one pitch.
    return WithDistinctSource(dst, src, true, [&](const SLxPicBuf* s) {
        return lxpic::golay_filter(dst, s, size, mode);
    });
}
