#include "gnr_picture/picmemAPI/LxComponentKernels.h"

#include "gnr_picture/picmemAPI/LxComponentKernelsT.h"
#include "gnr_picture/picmemAPI/LxLutKernelsT.h"

using namespace lxpic;

using u8 = uint8_t;
using u16 = uint16_t;

namespace
{

// Extracting a plane gathers strided samples into contiguous ones, which
// byte shuffles do several times faster than the baseline instruction set.
// (Scattering samples into a frame gains nothing from them: its stores bound
// it.)
template <class T>
LX_KERNEL_INLINE int extractPlane(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                                  uint32_t srcWB, uint32_t srcComp, uint32_t width,
                                  uint32_t pixelCount)
{
    return copyComponent<T>(dst, 1, dstWB, 0, src, srcComps, srcWB, srcComp, width, pixelCount);
}

LX_KERNEL_CLONES int extractPlane8(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                                   uint32_t srcWB, uint32_t srcComp, uint32_t width,
                                   uint32_t pixelCount)
{
    return extractPlane<u8>(dst, dstWB, src, srcComps, srcWB, srcComp, width, pixelCount);
}

LX_KERNEL_CLONES int extractPlane16(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                                    uint32_t srcWB, uint32_t srcComp, uint32_t width,
                                    uint32_t pixelCount)
{
    return extractPlane<u16>(dst, dstWB, src, srcComps, srcWB, srcComp, width, pixelCount);
}

} // namespace

int copycomponent_Nx8_to_Nx8(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                             const void* src, uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                             uint32_t width, uint32_t pixelCount)
{
    if (dstComps == 1 && dstComp == 0)
        return extractPlane8(dst, dstWB, src, srcComps, srcWB, srcComp, width, pixelCount);
    return copyComponent<u8>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB, srcComp, width,
                             pixelCount);
}

int copycomponent_Nx16_to_Nx16(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                               const void* src, uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                               uint32_t width, uint32_t pixelCount)
{
    if (dstComps == 1 && dstComp == 0)
        return extractPlane16(dst, dstWB, src, srcComps, srcWB, srcComp, width, pixelCount);
    return copyComponent<u16>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB, srcComp, width,
                              pixelCount);
}

int copycomponentmask_8_Nx8_in(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                               const void* src, uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                               const void* mask, uint32_t maskWB, uint32_t width,
                               uint32_t pixelCount, uint32_t value)
{
    return copyComponentMasked<u8, u8, true>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB,
                                             srcComp, mask, maskWB, width, pixelCount, value);
}

int copycomponentmask_8_Nx8_out(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                                const void* src, uint32_t srcComps, uint32_t srcWB,
                                uint32_t srcComp, const void* mask, uint32_t maskWB, uint32_t width,
                                uint32_t pixelCount, uint32_t value)
{
    return copyComponentMasked<u8, u8, false>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB,
                                              srcComp, mask, maskWB, width, pixelCount, value);
}

int copycomponentmask_8_Nx16_in(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                                const void* src, uint32_t srcComps, uint32_t srcWB,
                                uint32_t srcComp, const void* mask, uint32_t maskWB, uint32_t width,
                                uint32_t pixelCount, uint32_t value)
{
    return copyComponentMasked<u16, u8, true>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB,
                                              srcComp, mask, maskWB, width, pixelCount, value);
}

int copycomponentmask_8_Nx16_out(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                                 const void* src, uint32_t srcComps, uint32_t srcWB,
                                 uint32_t srcComp, const void* mask, uint32_t maskWB,
                                 uint32_t width, uint32_t pixelCount, uint32_t value)
{
    return copyComponentMasked<u16, u8, false>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB,
                                               srcComp, mask, maskWB, width, pixelCount, value);
}

int copycomponentmask_16_Nx8_in(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                                const void* src, uint32_t srcComps, uint32_t srcWB,
                                uint32_t srcComp, const void* mask, uint32_t maskWB, uint32_t width,
                                uint32_t pixelCount, uint32_t value)
{
    return copyComponentMasked<u8, u16, true>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB,
                                              srcComp, mask, maskWB, width, pixelCount, value);
}

int copycomponentmask_16_Nx8_out(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                                 const void* src, uint32_t srcComps, uint32_t srcWB,
                                 uint32_t srcComp, const void* mask, uint32_t maskWB,
                                 uint32_t width, uint32_t pixelCount, uint32_t value)
{
    return copyComponentMasked<u8, u16, false>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB,
                                               srcComp, mask, maskWB, width, pixelCount, value);
}

int copycomponentmask_16_Nx16_in(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                                 const void* src, uint32_t srcComps, uint32_t srcWB,
                                 uint32_t srcComp, const void* mask, uint32_t maskWB,
                                 uint32_t width, uint32_t pixelCount, uint32_t value)
{
    return copyComponentMasked<u16, u16, true>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB,
                                               srcComp, mask, maskWB, width, pixelCount, value);
}

int copycomponentmask_16_Nx16_out(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                                  const void* src, uint32_t srcComps, uint32_t srcWB,
                                  uint32_t srcComp, const void* mask, uint32_t maskWB,
                                  uint32_t width, uint32_t pixelCount, uint32_t value)
{
    return copyComponentMasked<u16, u16, false>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB,
                                                srcComp, mask, maskWB, width, pixelCount, value);
}

int convertcomponent_8_to_8(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                            uint32_t dstBits, const void* src, uint32_t srcComps, uint32_t srcWB,
                            uint32_t srcComp, uint32_t srcBits, uint32_t width, uint32_t pixelCount)
{
    return convertComponent<u8, u8>(dst, dstComps, dstWB, dstComp, dstBits, src, srcComps, srcWB,
                                    srcComp, srcBits, width, pixelCount);
}

int convertcomponent_8_to_16(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                             uint32_t dstBits, const void* src, uint32_t srcComps, uint32_t srcWB,
                             uint32_t srcComp, uint32_t srcBits, uint32_t width,
                             uint32_t pixelCount)
{
    return transferComponent<u8, u16>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB, srcComp,
                                      width, pixelCount, shiftUp(dstBits, srcBits));
}

int convertcomponent_16_to_8(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                             uint32_t dstBits, const void* src, uint32_t srcComps, uint32_t srcWB,
                             uint32_t srcComp, uint32_t srcBits, uint32_t width,
                             uint32_t pixelCount)
{
    return transferComponent<u16, u8>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB, srcComp,
                                      width, pixelCount, shiftDown(dstBits, srcBits));
}

int convertcomponent_16_to_16(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                              uint32_t dstBits, const void* src, uint32_t srcComps, uint32_t srcWB,
                              uint32_t srcComp, uint32_t srcBits, uint32_t width,
                              uint32_t pixelCount)
{
    return convertComponent<u16, u16>(dst, dstComps, dstWB, dstComp, dstBits, src, srcComps, srcWB,
                                      srcComp, srcBits, width, pixelCount);
}

int component_lut1_Nx8_to_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                              uint32_t srcWB, uint32_t srcComp, const void* flat, uint32_t width,
                              uint32_t pixelCount)
{
    return lookupComponent<u8, u8, 1, false>(dst, 1, dstWB, src, srcComps, srcWB, srcComp,
                                             wholeTable<u8>(flat), width, pixelCount);
}

int component_lut1_Nx16_to_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                               uint32_t srcWB, uint32_t srcComp, const void* flat, uint32_t width,
                               uint32_t pixelCount)
{
    return lookupComponent<u16, u8, 1, false>(dst, 1, dstWB, src, srcComps, srcWB, srcComp,
                                              wholeTable<u16>(flat), width, pixelCount);
}

int component_lut1_Nx8_to_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                              uint32_t srcWB, uint32_t srcComp, const void* flat, uint32_t width,
                              uint32_t pixelCount)
{
    return lookupComponent<u8, u8, 3, false>(dst, 3, dstWB, src, srcComps, srcWB, srcComp,
                                             wholeTable<u8>(flat), width, pixelCount);
}

int component_lut1_Nx16_to_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                               uint32_t, uint32_t srcWB, uint32_t srcComp, const void* flat,
                               uint32_t width, uint32_t pixelCount)
{
    return lookupComponent<u16, u8, 3, false>(dst, 3, dstWB, src, srcComps, srcWB, srcComp,
                                              wholeTable<u16>(flat), width, pixelCount);
}

int component_lut1_Nx8_to_Nx8(void* dst, uint32_t dstComps, uint32_t dstWB, const void* src,
                              uint32_t srcComps, uint32_t srcWB, uint32_t srcComp, const void* flat,
                              uint32_t width, uint32_t pixelCount)
{
    return lookupComponent<u8, u8, 0, false>(dst, dstComps, dstWB, src, srcComps, srcWB, srcComp,
                                             wholeTable<u8>(flat), width, pixelCount);
}

int component_lut1_Nx16_to_Nx8(void* dst, uint32_t dstComps, uint32_t dstWB, const void* src,
                               uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                               const void* flat, uint32_t width, uint32_t pixelCount)
{
    return lookupComponent<u16, u8, 0, false>(dst, dstComps, dstWB, src, srcComps, srcWB, srcComp,
                                              wholeTable<u16>(flat), width, pixelCount);
}

int component_lut3_Mx8_to_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                              uint32_t srcWB, uint32_t srcComp, const void* const* rows,
                              uint32_t width, uint32_t pixelCount)
{
    return lookupComponent<u8, u8, 3, true>(dst, 3, dstWB, src, srcComps, srcWB, srcComp,
                                            wholeTable<u8>(rows), width, pixelCount);
}

int component_lut3_Mx16_to_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                               uint32_t, uint32_t srcWB, uint32_t srcComp, const void* const* rows,
                               uint32_t width, uint32_t pixelCount)
{
    return lookupComponent<u16, u8, 3, true>(dst, 3, dstWB, src, srcComps, srcWB, srcComp,
                                             wholeTable<u16>(rows), width, pixelCount);
}

int component_lutN_Mx8_to_Nx8(void* dst, uint32_t dstComps, uint32_t dstWB, const void* src,
                              uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                              const void* const* rows, uint32_t width, uint32_t pixelCount)
{
    return lookupComponent<u8, u8, 0, true>(dst, dstComps, dstWB, src, srcComps, srcWB, srcComp,
                                            wholeTable<u8>(rows), width, pixelCount);
}

int component_lutN_Mx16_to_Nx8(void* dst, uint32_t dstComps, uint32_t dstWB, const void* src,
                               uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                               const void* const* rows, uint32_t width, uint32_t pixelCount)
{
    return lookupComponent<u16, u8, 0, true>(dst, dstComps, dstWB, src, srcComps, srcWB, srcComp,
                                             wholeTable<u16>(rows), width, pixelCount);
}

int component_lut1_Nx8_to_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                                      uint32_t srcWB, uint32_t srcComp, const void* flat,
                                      const uint8_t* overExpColor, uint32_t width,
                                      uint32_t pixelCount)
{
    return lookupComponent<u8, u8, 3, false>(dst, 3, dstWB, src, srcComps, srcWB, srcComp,
                                             tableOfBits<u8>(flat, 8, overExpColor), width,
                                             pixelCount);
}

int component_lut3_Mx8_to_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                                      uint32_t srcWB, uint32_t srcComp, const void* const* rows,
                                      const uint8_t* overExpColor, uint32_t width,
                                      uint32_t pixelCount)
{
    return lookupComponent<u8, u8, 3, true>(dst, 3, dstWB, src, srcComps, srcWB, srcComp,
                                            tableOfBits<u8>(rows, 8, overExpColor), width,
                                            pixelCount);
}

int component_lut1_Nx16_to_3x8_overexp(void* dst, uint32_t dstWB, const void* src,
                                       uint32_t srcComps, uint32_t srcBits, uint32_t srcWB,
                                       uint32_t srcComp, const void* flat,
                                       const uint8_t* overExpColor, uint32_t width,
                                       uint32_t pixelCount)
{
    return lookupComponent<u16, u8, 3, false>(dst, 3, dstWB, src, srcComps, srcWB, srcComp,
                                              tableOfBits<u16>(flat, srcBits, overExpColor), width,
                                              pixelCount);
}

int component_lut3_Mx16_to_3x8_overexp(void* dst, uint32_t dstWB, const void* src,
                                       uint32_t srcComps, uint32_t srcBits, uint32_t srcWB,
                                       uint32_t srcComp, const void* const* rows,
                                       const uint8_t* overExpColor, uint32_t width,
                                       uint32_t pixelCount)
{
    return lookupComponent<u16, u8, 3, true>(dst, 3, dstWB, src, srcComps, srcWB, srcComp,
                                             tableOfBits<u16>(rows, srcBits, overExpColor), width,
                                             pixelCount);
}

int setcomponent_Nx8(void* dst, uint32_t comps, uint32_t dstWB, uint32_t comp, uint8_t value,
                     uint32_t width, uint32_t pixelCount)
{
    return setComponent<u8>(dst, comps, dstWB, comp, value, width, pixelCount);
}

int setcomponent_Nx16(void* dst, uint32_t comps, uint32_t dstWB, uint32_t comp, uint16_t value,
                      uint32_t width, uint32_t pixelCount)
{
    return setComponent<u16>(dst, comps, dstWB, comp, value, width, pixelCount);
}

int comparecomponent_Nx8_to_Nx8(const void* p1, uint32_t comps1, uint32_t wb1, uint32_t comp1,
                                const void* p2, uint32_t comps2, uint32_t wb2, uint32_t comp2,
                                uint32_t width, uint32_t pixelCount)
{
    return compareComponent<u8>(p1, comps1, wb1, comp1, p2, comps2, wb2, comp2, width, pixelCount);
}

int comparecomponent_Nx16_to_Nx16(const void* p1, uint32_t comps1, uint32_t wb1, uint32_t comp1,
                                  const void* p2, uint32_t comps2, uint32_t wb2, uint32_t comp2,
                                  uint32_t width, uint32_t pixelCount)
{
    return compareComponent<u16>(p1, comps1, wb1, comp1, p2, comps2, wb2, comp2, width, pixelCount);
}
