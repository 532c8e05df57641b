// Rotation of one-bit pictures through temporary 8-bit pictures.
#include <cstdlib>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

// An 8-bit picture of width x height without padding, freed on scope exit.
class BytePicture
{
  public:
    BytePicture(uint32_t width, uint32_t height)
    {
        uint64_t size = static_cast<uint64_t>(width) * height;
        if (size != 0 && size <= UINT32_MAX)
            m_data = static_cast<uint8_t*>(CLxAlloc::Alloc(0, static_cast<size_t>(size)));
    }
    ~BytePicture() { CLxAlloc::Free(m_data); }
    BytePicture(const BytePicture&) = delete;
    BytePicture& operator=(const BytePicture&) = delete;
    uint8_t* Data() const { return m_data; }

  private:
    uint8_t* m_data = nullptr;
};

bool LineHolds(uint32_t width, uint32_t wb)
{
    return static_cast<uint64_t>(wb) * 8 >= width;
}

// Unpacks, lets turn() fill the 8-bit destination, packs (255 = set).
template <class Turn>
int ThroughBytes(void* dst, uint32_t dstW, uint32_t dstH, uint32_t dstWB, const void* src,
                 uint32_t srcW, uint32_t srcH, uint32_t srcWB, Turn turn)
{
    if (!dst || !src || !LineHolds(dstW, dstWB) || !LineHolds(srcW, srcWB))
        return -4;
    if (dstW == 0 || dstH == 0 || srcW == 0 || srcH == 0)
        return 0;
    BytePicture from(srcW, srcH), to(dstW, dstH);
    if (!from.Data() || !to.Data())
        return -3;
    uint32_t srcCount = srcW * srcH, dstCount = dstW * dstH;
    int status = CLxPicMemAPI::UnpackFromBinary(from.Data(), 1, 8, uint64_t{255}, srcW,
                                                static_cast<const uint8_t*>(src), 0, srcWB, srcW,
                                                srcCount, 0);
    if (status == 0)
        status = turn(to.Data(), dstCount, from.Data(), srcCount);
    if (status == 0)
        status = CLxPicMemAPI::PackToBinary(static_cast<uint8_t*>(dst), 0, dstWB, to.Data(), 1, 8,
                                            dstW, uint64_t{255}, 0, dstW, dstCount, 0);
    return status;
}

} // namespace

int CLxBinPicMemAPI::Rotate(void* dst, uint32_t dstW, uint32_t dstH, uint32_t dstWB,
                            const void* src, uint32_t srcW, uint32_t srcH, uint32_t srcWB,
                            double angle, bool fit)
{
    return ThroughBytes(
        dst, dstW, dstH, dstWB, src, srcW, srcH, srcWB,
        [&](uint8_t* to, uint32_t toCount, const uint8_t* from, uint32_t fromCount) {
            const uint8_t background = 0;
            return CLxPicMemAPI::Rotate(to, dstW, dstW, toCount, from, srcW, srcW, fromCount, 1, 8,
                                        angle, &background, CLxPicMemAPI::eLxStretchNearest, fit);
        });
}

int CLxBinPicMemAPI::RotateMatrix(void* dst, uint32_t dstW, uint32_t dstH, uint32_t dstWB,
                                  const void* src, uint32_t srcW, uint32_t srcH, uint32_t srcWB,
                                  double m0, double m1, double m2, double m3, double m4, double m5)
{
    return ThroughBytes(
        dst, dstW, dstH, dstWB, src, srcW, srcH, srcWB,
        [&](uint8_t* to, uint32_t toCount, const uint8_t* from, uint32_t fromCount) {
            const uint8_t background = 0;
            return CLxPicMemAPI::RotateMatrix(to, dstW, dstW, toCount, from, srcW, srcW, fromCount,
                                              1, 8, m0, m1, m2, m3, m4, m5, &background,
                                              CLxPicMemAPI::eLxStretchNearest);
        });
}
