// One pixel of an 8-bit gray or colour picture as a colour word 0x00BBGGRR.
#include <cstddef>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

bool hasColorWordFormat(uint32_t comps, uint32_t bits)
{
    return bits == 8 && (comps == 1 || comps == 3);
}

size_t pixelOffset(uint32_t x, uint32_t y, uint32_t comps, uint32_t pitch)
{
    return size_t(y) * pitch + size_t(x) * comps;
}

} // namespace

int CLxPicMemAPI::SetColor(void* data, uint32_t x, uint32_t y, uint32_t comps, uint32_t bits,
                           uint32_t pitch, uint32_t color)
{
    if (!hasColorWordFormat(comps, bits))
        return -2;
    if (!data)
        return -4;
    uint8_t* p = static_cast<uint8_t*>(data) + pixelOffset(x, y, comps, pitch);
    if (comps == 1) {
        p[0] = uint8_t(color);
    } else {
        p[0] = uint8_t(color >> 16); // blue
        p[1] = uint8_t(color >> 8);
        p[2] = uint8_t(color); // red
    }
    return 0;
}

int CLxPicMemAPI::GetColor(const void* data, uint32_t x, uint32_t y, uint32_t comps, uint32_t bits,
                           uint32_t pitch, uint32_t* color)
{
    if (!hasColorWordFormat(comps, bits))
        return -2;
    if (!data || !color)
        return -4;
    const uint8_t* p = static_cast<const uint8_t*>(data) + pixelOffset(x, y, comps, pitch);
    *color = comps == 1 ? p[0] : uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    return 0;
}
