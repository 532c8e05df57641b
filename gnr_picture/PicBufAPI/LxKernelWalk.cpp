// The interior walk of a kernel and the clamped sample access of the border
// strips.
#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

using namespace lxfilter;

namespace
{

template <class T>
bool walkParams(const SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                const T** firstSrc, T** firstDst, uint32_t* rows, uint32_t* rowSamples,
                ptrdiff_t* srcRowSkip, ptrdiff_t* dstRowSkip)
{
    if (!picturesFit<T>(dst, src) || !IsUsableKernel(kernel))
        return false;
    const Rect in = interiorOf(src->uiWidth, src->uiHeight, *kernel);
    if (in.empty())
        return false;
    const Plane<const T> s = planeOf<const T>(*src);
    const Plane<T> d = planeOf<T>(*dst);
    const int64_t samples = (in.x1 - in.x0) * s.comps;
    if (firstSrc)
        *firstSrc = s.row(in.y0) + in.x0 * s.comps;
    if (firstDst)
        *firstDst = d.row(in.y0) + in.x0 * d.comps;
    if (rows)
        *rows = uint32_t(in.y1 - in.y0);
    if (rowSamples)
        *rowSamples = uint32_t(samples);
    if (srcRowSkip)
        *srcRowSkip = ptrdiff_t(s.stride) - samples;
    if (dstRowSkip)
        *dstRowSkip = ptrdiff_t(d.stride) - samples;
    return true;
}

template <class T> T* clampedAddress(const SLxPicBuf* pic, int64_t row, int64_t col, uint32_t comp)
{
    const int64_t y = std::clamp<int64_t>(row, 0, int64_t(pic->uiHeight) - 1);
    const int64_t x = std::clamp<int64_t>(col, 0, int64_t(pic->uiWidth) - 1);
    return reinterpret_cast<T*>(static_cast<uint8_t*>(pic->pData) + size_t(y) * pic->uiWidthBytes +
                                (size_t(x) * pic->uiComps + comp) * sizeof(T));
}

} // namespace

bool KernelWalkParams8(const SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                       const uint8_t** firstSrc, uint8_t** firstDst, uint32_t* rows,
                       uint32_t* rowSamples, ptrdiff_t* srcRowSkip, ptrdiff_t* dstRowSkip)
{
    return walkParams(dst, src, kernel, firstSrc, firstDst, rows, rowSamples, srcRowSkip,
                      dstRowSkip);
}

bool KernelWalkParams16(const SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                        const uint16_t** firstSrc, uint16_t** firstDst, uint32_t* rows,
                        uint32_t* rowSamples, ptrdiff_t* srcRowSkip, ptrdiff_t* dstRowSkip)
{
    return walkParams(dst, src, kernel, firstSrc, firstDst, rows, rowSamples, srcRowSkip,
                      dstRowSkip);
}

uint8_t GetSampleClamped8(const SLxPicBuf* pic, int64_t row, int64_t col, uint32_t comp)
{
    return *clampedAddress<uint8_t>(pic, row, col, comp);
}

uint16_t GetSampleClamped16(const SLxPicBuf* pic, int64_t row, int64_t col, uint32_t comp)
{
    return *clampedAddress<uint16_t>(pic, row, col, comp);
}

void SetSample_8(SLxPicBuf* pic, uint32_t row, uint32_t col, uint32_t comp, uint8_t value)
{
    *clampedAddress<uint8_t>(pic, row, col, comp) = value;
}

void SetSample_16(SLxPicBuf* pic, uint32_t row, uint32_t col, uint32_t comp, uint16_t value)
{
    *clampedAddress<uint16_t>(pic, row, col, comp) = value;
}

void SetSampleClamped8(SLxPicBuf* pic, int64_t row, int64_t col, uint32_t comp, uint8_t value)
{
    *clampedAddress<uint8_t>(pic, row, col, comp) = value;
}

void SetSampleClamped16(SLxPicBuf* pic, int64_t row, int64_t col, uint32_t comp, uint16_t value)
{
    *clampedAddress<uint16_t>(pic, row, col, comp) = value;
}
