// Bit-depth change, blue/red swap and the conversions from colour to gray.
#include <array>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

using namespace lxpicbuf;
using lxpic::load;
using lxpic::store;

namespace
{

// Destination components 0, 1, 2 from source components 2, 1, 0. The three
// are read before any is written, so dst may be src.
int swapBlueRed(SLxPicBuf& dst, const SLxPicBuf& src)
{
    if (dst.uiComps < 3 || src.uiComps < 3)
        return -9;
    return withSampleType(dst.uiBpc, [&](auto sample) {
        using T = decltype(sample);
        forEachPixelPair(dst, src, dst.uiWidth, dst.uiHeight, [](uint8_t* d, const uint8_t* s) {
            const T c0 = load<T>(s);
            const T c1 = load<T>(s + sizeof(T));
            const T c2 = load<T>(s + 2 * sizeof(T));
            store<T>(d, c2);
            store<T>(d + sizeof(T), c1);
            store<T>(d + 2 * sizeof(T), c0);
        });
        return 0;
    });
}

// T_c[v] = weight_c x v / 255 for the weights 76, 148, 31, which sum to 255.
// T_2[192] takes what the pixel (192, 192, 192) needs to map to exactly 192.
using GrayBitmapTables = std::array<std::array<uint8_t, 256>, 3>;

GrayBitmapTables buildGrayBitmapTables()
{
    constexpr uint32_t weights[3] = {76, 148, 31};
    GrayBitmapTables t{};
    for (uint32_t c = 0; c < 3; ++c)
        for (uint32_t v = 0; v < 256; ++v)
            t[c][v] = uint8_t(weights[c] * v / 255);
    t[2][192] = uint8_t(192 - t[0][192] - t[1][192]);
    return t;
}

} // namespace

int CLxPicBufAPI::ChangeBitDepth(SLxPicBuf* pic, uint32_t newBits)
{
    int status = prepare(pic);
    if (status != 0)
        return status;
    if (newBits == 0 || newBits > 32)
        return -2;
    CLxPicBufReplacement converted;
    status = converted.allocate(pic->uiWidth, pic->uiHeight, newBits, pic->uiComps, false);
    if (status == 0)
        status = CLxPicMemAPI::ChangeBitDepth(
            converted.get()->pData, newBits, converted.get()->uiWidthBytes, pic->pData, pic->uiBpc,
            pic->uiWidthBytes, pic->uiComps, pic->uiWidth, pixelCount(*pic));
    if (status == 0)
        converted.commit(pic);
    return status;
}

int CLxPicBufAPI::ConvertBGRtoRGB(SLxPicBuf* pic)
{
    const int status = prepare(pic);
    return status != 0 ? status : swapBlueRed(*pic, *pic);
}

int CLxPicBufAPI::ConvertBGRtoRGB(SLxPicBuf* dst, const SLxPicBuf* src)
{
    const int status = prepare(dst, src, eLxCheckSizeBits, nullptr);
    return status != 0 ? status : swapBlueRed(*dst, *src);
}

int CLxPicBufAPI::ColorToGray(SLxPicBuf* dst, const SLxPicBuf* src)
{
    const int status =
        prepare(dst, src, eLxCheckSizeBits,
                u"K3LxBinPicBuf::ColorToGray, sour and dest sizes or BPCs are different");
    if (status != 0)
        return status;
    if (dst->uiComps != 1)
        return -9;
    if (isEmpty(*src))
        return 0;
    return CLxPicMemAPI::CollapseComponents(dst->pData, dst->uiWidthBytes, src->pData, src->uiComps,
                                            src->uiWidthBytes, nullptr, src->uiBpc, src->uiWidth,
                                            pixelCount(*src));
}

int CLxPicBufAPI::ColorToGrayBitmap(SLxPicBuf* dst, const SLxPicBuf* src)
{
    const int status =
        prepare(dst, src, eLxCheckSizeBits,
                u"K3LxBinPicBuf::ColorToGrayBitmap, sour and dest sizes are different");
    if (status != 0)
        return status;
    if (src->uiBpc != 8 || src->uiComps != 3 || dst->uiComps != 1)
        return -2;
    static const GrayBitmapTables t = buildGrayBitmapTables();
    forEachPixelPair(*dst, *src, dst->uiWidth, dst->uiHeight, [](uint8_t* d, const uint8_t* s) {
        const uint8_t gray = uint8_t(t[0][s[0]] + t[1][s[1]] + t[2][s[2]]);
        // The gray 192 belongs to the pixel (192, 192, 192) alone.
        const bool exact192 = s[0] == 192 && s[1] == 192 && s[2] == 192;
        *d = gray == 192 && !exact192 ? 191 : gray;
    });
    return 0;
}
