// Conversions between RGB pictures (stored blue, green, red) and the IHS,
// YCrCb and XYZ colour spaces.
#include "gnr_picture/LxIhsFormula.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

using namespace lxpicbuf;
using lxpic::load;
using lxpic::store;

namespace
{

// The three stored components of a pixel, in memory order.
struct Stored {
    uint32_t c0, c1, c2;
};

// The scale of the real-valued formulas: K = 2^8 or 2^16 for 8- and 16-bit
// work, O = K / 2 the centre of the chroma components.
template <class T> struct Scale {
    static constexpr double K = double(T(~T(0))) + 1.0;
    static constexpr double O = K / 2.0;
};

// Truncated toward zero and held to the sample range. The constant products
// land a round-off below whole numbers (0.299 + 0.587 + 0.114 sums to just
// under 1), so a slack far below one step keeps a gray 128 at 128.
template <class T> uint32_t clipped(double v)
{
    constexpr double kRoundOffSlack = 1e-7;
    return lxpic::storeLimited<T>(v + kRoundOffSlack);
}

struct IhsToRgb {
    template <class T> static Stored apply(uint32_t intensity, uint32_t saturation, uint32_t hue)
    {
        const lxpic::RgbValues c = lxpic::ihsToRgb<T>(intensity, saturation, hue);
        return {c.blue, c.green, c.red};
    }
};

struct RgbToIhs {
    template <class T> static Stored apply(uint32_t blue, uint32_t green, uint32_t red)
    {
        const lxpic::IhsValues v = lxpic::rgbToIhs<T>(red, green, blue);
        return {v.intensity, v.saturation, v.hue};
    }
};

struct YCrCbToRgb {
    template <class T> static Stored apply(uint32_t luma, uint32_t cr, uint32_t cb)
    {
        constexpr double K = Scale<T>::K, O = Scale<T>::O;
        const double y = luma / K;
        const double r = y + 1.402524544179523 * (cr - O) / K;             // 1 / 0.713
        const double b = y + 1.773049645390071 * (cb - O) / K;             // 1 / 0.564
        const double g = (y - 0.299 * r - 0.114 * b) * 1.7035775127768313; // 1 / 0.587
        return {clipped<T>(b * K), clipped<T>(g * K), clipped<T>(r * K)};
    }
};

struct RgbToYCrCb {
    template <class T> static Stored apply(uint32_t blue, uint32_t green, uint32_t red)
    {
        constexpr double K = Scale<T>::K, O = Scale<T>::O;
        const double r = red / K, g = green / K, b = blue / K;
        const double y = 0.299 * r + 0.587 * g + 0.114 * b;
        return {clipped<T>(y * K), clipped<T>((r - y) * 0.713 * K + O),
                clipped<T>((b - y) * 0.564 * K + O)};
    }
};

struct RgbToXyz {
    template <class T> static Stored apply(uint32_t blue, uint32_t green, uint32_t red)
    {
        constexpr double K = Scale<T>::K;
        const double r = red / K, g = green / K, b = blue / K;
        return {clipped<T>((0.412453 * r + 0.35758 * g + 0.180423 * b) * K),
                clipped<T>((0.212671 * r + 0.71516 * g + 0.072169 * b) * K),
                clipped<T>((0.019334 * r + 0.119193 * g + 0.950227 * b) * K)};
    }
};

struct XyzToRgb {
    template <class T> static Stored apply(uint32_t cx, uint32_t cy, uint32_t cz)
    {
        constexpr double K = Scale<T>::K;
        const double x = cx / K, y = cy / K, z = cz / K;
        const double r = 3.240479 * x - 1.53715 * y - 0.498535 * z;
        const double g = -0.969256 * x + 1.875992 * y + 0.041556 * z;
        const double b = 0.055648 * x - 0.204043 * y + 1.057311 * z;
        return {clipped<T>(b * K), clipped<T>(g * K), clipped<T>(r * K)};
    }
};

// The source at the work depth in dst (8 bits, or 16 for 9-16-bit
// destinations), Op on every pixel in place, and back to dst's own depth.
template <class Op> int convertColorSpace(SLxPicBuf* dst, const SLxPicBuf* src)
{
    const int status = prepare(dst, src, eLxCheckSizeComps, nullptr);
    if (status != 0)
        return status;
    if (dst->uiComps != 3)
        return -9;
    if (isEmpty(*dst))
        return 0;
    const uint32_t bits = dst->uiBpc;
    const uint32_t workBits = bits == 8 ? 8 : bits >= 9 && bits <= 16 ? 16 : 0;
    if (workBits == 0)
        return -9;
    const uint32_t width = dst->uiWidth;
    const uint32_t count = pixelCount(*dst);
    const bool alreadyThere = dst->pData == src->pData && src->uiBpc == workBits;
    if (!alreadyThere &&
        CLxPicMemAPI::ConvertBitDepthViaShifts(dst->pData, workBits, dst->uiWidthBytes, src->pData,
                                               src->uiBpc, src->uiWidthBytes, 3, width, count) != 0)
        return -9;
    const auto convert = [&](auto sample) {
        using T = decltype(sample);
        forEachPixelPair(*dst, *dst, width, dst->uiHeight, [](uint8_t* p, const uint8_t*) {
            const Stored v = Op::template apply<T>(load<T>(p), load<T>(p + sizeof(T)),
                                                   load<T>(p + 2 * sizeof(T)));
            store<T>(p, T(v.c0));
            store<T>(p + sizeof(T), T(v.c1));
            store<T>(p + 2 * sizeof(T), T(v.c2));
        });
    };
    if (workBits == 8)
        convert(uint8_t());
    else
        convert(uint16_t());
    if (bits != workBits &&
        CLxPicMemAPI::ConvertBitDepthViaShifts(dst->pData, bits, dst->uiWidthBytes, dst->pData,
                                               workBits, dst->uiWidthBytes, 3, width, count) != 0)
        return -9;
    return 0;
}

} // namespace

int CLxPicBufAPI::ConvertIHStoRGB(SLxPicBuf* dst, const SLxPicBuf* src)
{
    return convertColorSpace<IhsToRgb>(dst, src);
}

int CLxPicBufAPI::ConvertRGBtoIHS(SLxPicBuf* dst, const SLxPicBuf* src)
{
    return convertColorSpace<RgbToIhs>(dst, src);
}

int CLxPicBufAPI::ConvertYCrCbtoRGB(SLxPicBuf* dst, const SLxPicBuf* src)
{
    return convertColorSpace<YCrCbToRgb>(dst, src);
}

int CLxPicBufAPI::ConvertRGBtoYCrCb(SLxPicBuf* dst, const SLxPicBuf* src)
{
    return convertColorSpace<RgbToYCrCb>(dst, src);
}

int CLxPicBufAPI::ConvertXYZtoRGB(SLxPicBuf* dst, const SLxPicBuf* src)
{
    return convertColorSpace<XyzToRgb>(dst, src);
}

int CLxPicBufAPI::ConvertRGBtoXYZ(SLxPicBuf* dst, const SLxPicBuf* src)
{
    return convertColorSpace<RgbToXyz>(dst, src);
}
