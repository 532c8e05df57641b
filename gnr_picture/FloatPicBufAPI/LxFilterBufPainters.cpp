// Disc and rectangle masks, softened by repeated smoothing.
#include <cmath>
#include <cstring>

#include "gnr_picture/FloatPicBufAPI/LxFilterBuf.h"

namespace
{

struct PatchHolder {
    SLxPicBuf pic{};
    ~PatchHolder() { CLxPicBufAPI::Free(&pic); }
};

// Softens the painted patch and puts it into the otherwise cleared mask.
int place(SLxFilterBuf* buf, SLxPicBuf& patch, uint32_t x, uint32_t y, uint32_t softening)
{
    if (softening) {
        PatchHolder copy;
        if (CLxPicBufAPI::ReinitAndCopy(&copy.pic, &patch) != 0)
            return -3;
        if (CLxPicBufAPI::Smooth(&patch, &copy.pic, &CLxPicBufAPI::Square2, softening) != 0)
            return -3;
    }
    CLxFilterBuf::Clear(buf);
    const uint8_t* src = static_cast<const uint8_t*>(patch.pData);
    for (uint32_t line = 0; line < patch.uiHeight; ++line)
        std::memcpy(buf->pData + size_t(y + line) * buf->uiWidthBytes + x,
                    src + size_t(line) * patch.uiWidthBytes, patch.uiWidth);
    return 0;
}

bool usable(const SLxFilterBuf* buf)
{
    return buf && buf->pData && buf->uiWidthBytes >= buf->uiWidth &&
           uint64_t(buf->uiWidthBytes) * buf->uiHeight <= buf->uiSize;
}

} // namespace

int CLxFilterBuf::Circle(SLxFilterBuf* buf, uint32_t x, uint32_t y, uint32_t radius,
                         uint32_t softening)
{
    if (!usable(buf))
        return -9;
    const int64_t r = radius;
    if (int64_t(x) - r < 0 || int64_t(y) - r < 0 || int64_t(x) + r > int64_t(buf->uiWidth) - 1 ||
        int64_t(y) + r > int64_t(buf->uiHeight) - 1)
        return -9;
    if (radius == 0)
        return Clear(buf);
    PatchHolder patch;
    if (CLxPicBufAPI::Reinit(&patch.pic, 2 * radius, 2 * radius, 0, 8, 1, true) != 0)
        return -3;
    const int64_t c = radius; // patch width / 2
    for (uint32_t j = 0; j < 2 * radius; ++j) {
        uint8_t* line = static_cast<uint8_t*>(patch.pic.pData) + size_t(j) * patch.pic.uiWidthBytes;
        for (uint32_t i = 0; i < 2 * radius; ++i)
            line[i] =
                std::sqrt(double((i - c) * (i - c) + (j - c) * (j - c))) <= double(r) ? 255 : 0;
    }
    return place(buf, patch.pic, x - radius, y - radius, softening);
}

int CLxFilterBuf::Rectangle(SLxFilterBuf* buf, uint32_t left, uint32_t top, uint32_t right,
                            uint32_t bottom, uint32_t softening)
{
    if (!usable(buf))
        return -9;
    if (right < left || bottom < top || int64_t(right) > int64_t(buf->uiWidth) - 1 ||
        int64_t(bottom) > int64_t(buf->uiHeight) - 1)
        return -9;
    const uint32_t w = right - left, h = bottom - top;
    if (w == 0 || h == 0)
        return Clear(buf);
    PatchHolder patch;
    if (CLxPicBufAPI::Reinit(&patch.pic, w, h, 0, 8, 1, true) != 0)
        return -3;
    const uint32_t m = softening >= 2 ? softening / 2 - 1 : 0;
    if (2 * uint64_t(m) < w && 2 * uint64_t(m) < h)
        for (uint32_t j = m; j < h - m; ++j)
            std::memset(static_cast<uint8_t*>(patch.pic.pData) +
                            size_t(j) * patch.pic.uiWidthBytes + m,
                        255, w - 2 * m);
    return place(buf, patch.pic, left, top, softening);
}
