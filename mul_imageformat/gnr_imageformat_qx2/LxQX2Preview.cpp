#include "mul_imageformat/gnr_imageformat_qx2/LxQX2Preview.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

uint64_t TrueColorStride(uint32_t width)
{
    return (uint64_t(width) * 3 + 3) / 4 * 4;
}

// One colour (0x00BBGGRR) per component; false when the channels do not
// account for the components.
bool ChannelColors(const SLxPictureMetadata* md, uint32_t components, std::vector<uint32_t>* out)
{
    static const uint32_t kBgr[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    out->clear();
    if (md) {
        const SLxPicturePlanes& planes = md->sPicturePlanes;
        for (uint32_t p = 0; p < planes.uiCount && planes.sPlane; ++p) {
            const SLxPicturePlaneDesc& plane = planes.sPlane[p];
            if (plane.uiCompCount == 3)
                out->insert(out->end(), kBgr, kBgr + 3);
            else
                out->insert(out->end(), plane.uiCompCount, plane.uiColor);
        }
        if (out->size() == components)
            return true;
    }
    out->clear();
    if (components == 3)
        out->assign(kBgr, kBgr + 3);
    else if (components == 1)
        out->assign(1, 0xFFFFFF);
    return out->size() == components;
}

int ToTrueColor(const uint8_t* frame, uint32_t frameStride, const SLxImageAttributes& a,
                const SLxPictureMetadata* md, uint8_t* dst)
{
    const uint32_t dstStride = uint32_t(TrueColorStride(a.uiWidth));
    const uint32_t count = a.uiWidth * a.uiHeight;
    const bool oneColourChannel = md && md->sPicturePlanes.uiCount == 1 &&
                                  md->sPicturePlanes.sPlane &&
                                  md->sPicturePlanes.sPlane[0].uiCompCount == 3;
    if (a.uiComp == 3 && a.uiBpcInMemory == 8 && (oneColourChannel || !md)) {
        for (uint32_t y = 0; y < a.uiHeight; ++y)
            memcpy(dst + size_t(y) * dstStride, frame + size_t(y) * frameStride,
                   size_t(a.uiWidth) * 3);
        return 0;
    }
    std::vector<uint32_t> colors;
    if (a.uiComp > 64 || !ChannelColors(md, a.uiComp, &colors))
        return -2;
    const uint32_t bits = std::min<uint32_t>(a.uiBpcSignificant, a.uiBpcInMemory);
    std::vector<uint8_t> masked;
    try {
        masked.assign(frame, frame + size_t(frameStride) * a.uiHeight);
    } catch (const std::bad_alloc&) {
        return -3;
    }
    int rc = CLxPicMemAPI::MaskOut(masked.data(), frameStride, (1u << bits) - 1, a.uiComp,
                                   a.uiBpcInMemory, a.uiWidth, count);
    if (rc != 0)
        return rc;
    SLxLut lut;
    rc = SLxLut::Alloc(&lut, uint8_t(bits), uint8_t(colors.size()), 8, 3);
    if (rc == 0) {
        lut.uiCompMask = a.uiComp >= 64 ? ~0ull : (1ull << a.uiComp) - 1;
        rc = SLxLut::CreateMultiColorTable(&lut, colors.data(), uint8_t(colors.size()));
    }
    if (rc == 0)
        rc = CLxPicMemAPI::ConvertToTrueColor(dst, dstStride, masked.data(), a.uiComp,
                                              a.uiBpcInMemory, frameStride, a.uiWidth, count, &lut);
    SLxLut::Free(&lut);
    return rc;
}

} // namespace

void LX_QX2StretchTrueColor(uint8_t* dst, uint32_t dstW, uint32_t dstH, const uint8_t* src,
                            uint32_t srcW, uint32_t srcH)
{
    const uint64_t dstStride = TrueColorStride(dstW), srcStride = TrueColorStride(srcW);
    std::vector<uint32_t> column(dstW);
    for (uint32_t x = 0; x < dstW; ++x)
        column[x] = uint32_t((2ull * x + 1) * srcW / (2ull * dstW)) * 3;
    for (uint32_t y = 0; y < dstH; ++y) {
        const uint8_t* in = src + (2ull * y + 1) * srcH / (2ull * dstH) * srcStride;
        uint8_t* out = dst + y * dstStride;
        for (uint32_t x = 0; x < dstW; ++x)
            memcpy(out + size_t(x) * 3, in + column[x], 3);
    }
}

int LX_QX2RenderPreview(const uint8_t* frame, uint32_t frameStride, const SLxImageAttributes& a,
                        const SLxPictureMetadata* md, uint32_t width, uint32_t height,
                        uint8_t* destination)
{
    if (width == a.uiWidth && height == a.uiHeight)
        return ToTrueColor(frame, frameStride, a, md, destination);
    std::vector<uint8_t> picture;
    try {
        picture.resize(size_t(TrueColorStride(a.uiWidth) * a.uiHeight));
    } catch (const std::bad_alloc&) {
        return -3;
    }
    const int rc = ToTrueColor(frame, frameStride, a, md, picture.data());
    if (rc == 0)
        LX_QX2StretchTrueColor(destination, width, height, picture.data(), a.uiWidth, a.uiHeight);
    return rc;
}
