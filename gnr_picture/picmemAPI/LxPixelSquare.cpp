// The pixels of a square around a centre.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

uint32_t CLxPicMemAPI::GetDataInCircle(void* dst, uint32_t dstSize, const void* pixels, uint32_t wb,
                                       uint32_t bits, uint32_t comps, uint32_t width,
                                       uint32_t count, uint32_t radius, uint32_t cx, uint32_t cy)
{
    if (pixels == nullptr || (dst == nullptr && dstSize != 0))
        return 0xFFFFFFFCu;
    if (bits == 0 || bits > 32)
        return 0xFFFFFFFEu;
    const uint32_t rows = width == 0 ? 0 : count / width;
    if (cx >= width || cy >= rows)
        return 0;
    const size_t pixelBytes = size_t((bits + 7) / 8) * comps;
    const uint8_t* base = static_cast<const uint8_t*>(pixels);
    uint8_t* out = static_cast<uint8_t*>(dst);
    if (radius == 0) {
        std::memcpy(out, base + size_t(cy) * wb + cx * pixelBytes,
                    std::min<size_t>(pixelBytes, dstSize));
        return 1;
    }
    // The square, cut to the picture.
    const uint32_t left = cx > radius ? cx - radius : 0;
    const uint32_t top = cy > radius ? cy - radius : 0;
    const uint32_t right = uint32_t(std::min<uint64_t>(uint64_t(cx) + radius, width));
    const uint32_t bottom = uint32_t(std::min<uint64_t>(uint64_t(cy) + radius, rows));
    const size_t lineBytes = size_t(right - left) * pixelBytes;
    size_t room = dstSize;
    for (uint32_t y = top; y < bottom && room != 0; ++y) {
        const size_t n = std::min(lineBytes, room);
        std::memcpy(out, base + size_t(y) * wb + left * pixelBytes, n);
        out += n;
        room -= n;
    }
    return (right - left) * (bottom - top);
}
