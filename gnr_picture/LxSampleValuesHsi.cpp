// Hue, saturation and intensity of single colours and of pixel rows.
#include "gnr_picture/LxIhsFormula.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

using namespace lxpic;

namespace
{

template <class T> void storeIfGiven(T* out, uint32_t v)
{
    if (out)
        *out = T(v);
}

// Pixels of blue, green, red samples to three planes.
template <class T>
void rowToHsi(T* intensity, T* saturation, T* hue, const T* pixels, uint32_t count)
{
    if (!pixels)
        return;
    for (uint32_t i = 0; i < count; ++i) {
        const T* p = pixels + size_t(i) * 3;
        const IhsValues v = rgbToIhs<T>(p[2], p[1], p[0]);
        if (intensity)
            intensity[i] = T(v.intensity);
        if (saturation)
            saturation[i] = T(v.saturation);
        if (hue)
            hue[i] = T(v.hue);
    }
}

} // namespace

void CLxPicMemAPI::ConvertColorRGB8toHSI8(uint8_t* hue, uint8_t* saturation, uint8_t* intensity,
                                          uint8_t red, uint8_t green, uint8_t blue)
{
    const IhsValues v = rgbToIhs<uint8_t>(red, green, blue);
    storeIfGiven(hue, v.hue);
    storeIfGiven(saturation, v.saturation);
    storeIfGiven(intensity, v.intensity);
}

void CLxPicMemAPI::ConvertColorHSI8toRGB8(uint8_t* red, uint8_t* green, uint8_t* blue, uint8_t hue,
                                          uint8_t saturation, uint8_t intensity)
{
    const RgbValues v = ihsToRgb<uint8_t>(intensity, saturation, hue);
    storeIfGiven(red, v.red);
    storeIfGiven(green, v.green);
    storeIfGiven(blue, v.blue);
}

void CLxPicMemAPI::ConvertRGB8toHSI8(uint8_t* intensity, uint8_t* saturation, uint8_t* hue,
                                     const uint8_t* pixels, uint32_t count)
{
    rowToHsi(intensity, saturation, hue, pixels, count);
}

void CLxPicMemAPI::ConvertRGB16toHSI16(uint16_t* intensity, uint16_t* saturation, uint16_t* hue,
                                       const uint16_t* pixels, uint32_t count)
{
    rowToHsi(intensity, saturation, hue, pixels, count);
}
