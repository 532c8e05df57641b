// The checks, the distinct source and the repetition frame of the
// neighbourhood operations.
#include "gnr_picture/PicBufAPI/LxPicBufFilterFrame.h"

#include <memory>
#include <new>

#include "gnr_picture/PicBufAPI/LxKernelOffsets.h"

namespace lxfilter
{

namespace
{

bool kernelFits(const SLxKernel* k, const SLxPicBuf* src, KernelRule rule)
{
    if (rule == KernelRule::none)
        return true;
    if (!IsUsableKernel(k))
        return false;
    if (rule == KernelRule::fits)
        return k->uiNRows <= src->uiHeight && k->uiNCols <= src->uiWidth;
    return k->uiCenterRow <= src->uiHeight && k->uiNRows - k->uiCenterRow - 1 <= src->uiHeight &&
           k->uiCenterCol <= src->uiWidth && k->uiNCols - k->uiCenterCol - 1 <= src->uiWidth;
}

bool memoryCoversLines(const SLxPicBuf* p)
{
    const uint32_t bytes = CLxPicBufAPI::CalcCompSize(p->uiBpc);
    return p->pData && bytes && p->uiWidthBytes % bytes == 0 &&
           uint64_t(p->uiWidth) * p->uiComps * bytes <= p->uiWidthBytes &&
           uint64_t(p->uiWidthBytes) * p->uiHeight <= p->uiSize;
}

} // namespace

bool FrameCheck(const SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                KernelRule rule, uint32_t deepest, int* status)
{
    *status = -9;
    if (!CLxPicBufAPI::Check(dst, src, eLxCheckSizeBitsComps) || !kernelFits(kernel, src, rule))
        return false;
    *status = 0;
    if (src->uiBpc < 8)
        return false;
    *status = -2;
    if (src->uiBpc > deepest)
        return false;
    *status = -9;
    if (!memoryCoversLines(dst) || !memoryCoversLines(src))
        return false;
    *status = 0;
    return src->uiWidth != 0 && src->uiHeight != 0 && src->uiComps != 0;
}

bool ShareMemory(const SLxPicBuf* a, const SLxPicBuf* b)
{
    const auto* a0 = static_cast<const uint8_t*>(a->pData);
    const auto* b0 = static_cast<const uint8_t*>(b->pData);
    return a0 && b0 && a0 < b0 + b->uiSize && b0 < a0 + a->uiSize;
}

int WithDistinctSource(SLxPicBuf* dst, const SLxPicBuf* src, bool samePitch,
                       const std::function<int(const SLxPicBuf*)>& work)
{
    if (!ShareMemory(dst, src) && (!samePitch || dst->uiWidthBytes == src->uiWidthBytes))
        return work(src);
    SLxPicBuf copy;
    CLxPicBufAPI::Init(&copy);
    const uint32_t pitch = samePitch ? dst->uiWidthBytes : src->uiWidthBytes;
    if (CLxPicBufAPI::Reinit(&copy, src->uiWidth, src->uiHeight, pitch, src->uiBpc, src->uiComps,
                             false) != 0)
        return -3;
    int status = CLxPicBufAPI::Copy(&copy, src);
    if (status == 0)
        status = work(&copy);
    CLxPicBufAPI::Free(&copy);
    return status;
}

void ReflectKernelCentre(SLxKernel* kernel)
{
    kernel->uiCenterRow = kernel->uiNRows - kernel->uiCenterRow - 1;
    kernel->uiCenterCol = kernel->uiNCols - kernel->uiCenterCol - 1;
}

int RepeatPasses(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t count,
                 const KernelPass& pass)
{
    if (count == 0)
        return -9;
    int status = 0;
    if (!FrameCheck(dst, src, kernel, KernelRule::fits, 16, &status))
        return status;
    if (count == 1)
        return pass(dst, src, kernel);
    // The record is 50 KB: the copy whose centre moves lives on the heap.
    std::unique_ptr<SLxKernel> k(new (std::nothrow) SLxKernel(*kernel));
    if (!k)
        return -3;
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        SLxPicBuf temp;
        CLxPicBufAPI::Init(&temp);
        if (CLxPicBufAPI::Reinit(&temp, s->uiWidth, s->uiHeight, s->uiWidthBytes, s->uiBpc,
                                 s->uiComps, false) != 0)
            return -3;
        const SLxPicBuf* from = s;
        int result = 0;
        for (uint32_t i = 0; i < count && result == 0; ++i) {
            // The last pass (count - 1) writes dst, the one before it temp.
            SLxPicBuf* to = (count - i) % 2 == 1 ? dst : &temp;
            if (i > 0)
                ReflectKernelCentre(k.get());
            result = pass(to, from, k.get());
            from = to;
        }
        CLxPicBufAPI::Free(&temp);
        return result;
    });
}

} // namespace lxfilter
