// The kernel offset list and the kernel shape tests.
#include "gnr_picture/PicBufAPI/LxKernelOffsets.h"

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

bool IsUsableKernel(const SLxKernel* kernel)
{
    return kernel && kernel->uiNRows > 0 && kernel->uiNCols > 0 &&
           uint64_t(kernel->uiNRows) * kernel->uiNCols <= MAX_KERNEL_ELEMENTS &&
           kernel->uiCenterRow < kernel->uiNRows && kernel->uiCenterCol < kernel->uiNCols;
}

uint32_t CalcKernelOffsets(const SLxPicBuf* pic, const SLxKernel* kernel, ptrdiff_t* offsets,
                           int32_t* weights, int32_t* divisor, int32_t* rounding, bool windowMode)
{
    if (!pic || !IsUsableKernel(kernel) || !offsets)
        return 0;
    const ptrdiff_t comps = pic->uiComps;
    const uint32_t sampleBytes = CLxPicBufAPI::CalcCompSize(pic->uiBpc);
    const ptrdiff_t stride = windowMode
                                 ? ptrdiff_t(kernel->uiNCols) * comps
                                 : ptrdiff_t(sampleBytes ? pic->uiWidthBytes / sampleBytes : 0);
    uint32_t n = 0;
    for (uint32_t r = 0; r < kernel->uiNRows; ++r)
        for (uint32_t c = 0; c < kernel->uiNCols; ++c) {
            const uint32_t e = r * kernel->uiNCols + c;
            if (!kernel->ubMask[e])
                continue;
            offsets[n] = (ptrdiff_t(c) - ptrdiff_t(kernel->uiCenterCol)) * comps +
                         (ptrdiff_t(r) - ptrdiff_t(kernel->uiCenterRow)) * stride;
            if (weights)
                weights[n] = kernel->iValues[e];
            ++n;
        }
    if (divisor && rounding) {
        if (*divisor == 0)
            *divisor = n ? int32_t(n) : 1;
        *rounding = *divisor / 2;
    }
    return n;
}

bool IsFullSquareKernel(const SLxKernel* kernel)
{
    if (!IsUsableKernel(kernel) || kernel->uiNRows != kernel->uiNCols ||
        kernel->uiCenterRow != kernel->uiCenterCol ||
        kernel->uiNRows != 2 * kernel->uiCenterRow + 1)
        return false;
    const uint32_t n = kernel->uiNRows * kernel->uiNCols;
    for (uint32_t e = 0; e < n; ++e)
        if (!kernel->ubMask[e])
            return false;
    return true;
}

bool KernelNameIs(const SLxKernel* kernel, const char16_t* name)
{
    if (!kernel || !name)
        return false;
    for (uint32_t i = 0; i < 64; ++i) {
        if (kernel->wszName[i] != name[i])
            return false;
        if (name[i] == 0)
            return true;
    }
    return false;
}
