// The one-bit picture record.
#pragma once

#include <cstdint>

// One bit a pixel, 1 set (object), 0 clear (background). Pixel (x, y) is the
// bit under 0x80 >> (x mod 8) of byte pData + y x uiWidthBytes + x / 8: the
// leftmost pixel of a byte is its most significant bit. The default line
// length is ((uiWidth + 7) / 8 + 3) with the two low bits cleared; bits
// after a line's last pixel are padding. Plain data owned by whoever
// declares it; the empty record is all zeros.
struct SLxBinPicBuf {
    uint32_t uiWidth;      // pixels in a line
    uint32_t uiHeight;     // lines
    uint32_t uiWidthBytes; // bytes from one line to the next
    uint32_t uiSize;       // bytes of pData: uiWidthBytes x uiHeight
    void* pData;           // the pixel block, owned by the record, or null
};
