// The picture record and the static operations that set it up, check two
// records against each other and copy one into another.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

// A rectangle of pixels with uiComps interleaved components of one sample
// width. Component c of pixel (x, y) lies at
//   pData + y x uiWidthBytes + (x x uiComps + c) x CalcCompSize(uiBpc).
// Colour pictures hold blue, green, red in components 0, 1, 2. The bytes
// between a line's last pixel and uiWidthBytes are padding.
// Plain data owned by whoever declares it: pass it through
// CLxPicBufAPI::Init once, and Free it before it goes away.
struct SLxPicBuf {
    uint32_t uiWidth;      // pixels per line
    uint32_t uiHeight;     // lines
    uint32_t uiWidthBytes; // bytes from one line start to the next
    uint8_t uiBpc;         // significant bits per component
    uint32_t uiComps;      // components per pixel
    uint32_t uiSize;       // bytes of pData: uiWidthBytes x uiHeight
    void* pData;           // from the private heap, owned by the record
};

// What Check compares besides the pointers being set.
enum ELxPicBufCheckOptions {
    eLxCheckSize = 0,          // width and height
    eLxCheckSizeBits = 1,      // width, height, bits per component
    eLxCheckSizeBitsComps = 2, // width, height, bits, components
    eLxCheckSizeComps = 3,     // width, height, components
    eLxCheckComps = 4,         // components
    eLxCheckBits = 5,          // bits per component
    eLxCheckBitsComps = 6,     // bits and components: the same format
};

class LX_EXPORT CLxPicBufAPI
{
  public:
    // All fields 0; allocates nothing.
    static void Init(SLxPicBuf* pic);
    // (Re)allocates the record for the format; widthBytes 0 takes
    // CalcWidthBytes(width, bits, comps, 4), a given pitch must cover a line.
    // With zero set all bytes (padding too) are 0, else the contents are
    // undefined (old contents are not promised to survive).
    // 0, or -3 with the record empty (all fields 0, old memory released) for
    // a zero size, a line that does not fit 32 bits, a given pitch shorter
    // than a line, a picture of 2^31 - 1 bytes or more, or no memory.
    static int Reinit(SLxPicBuf* pic, uint32_t width, uint32_t height, uint32_t widthBytes,
                      uint32_t bits, uint32_t comps, bool zero);
    // Reinit to the source's size and format, then Copy; the first failure.
    static int ReinitAndCopy(SLxPicBuf* dst, const SLxPicBuf* src);
    // Releases pData and sets it to null; the other fields keep their values.
    static void Free(SLxPicBuf* pic);
    // Both pointers set, option 0 to 6, and the fields the option names equal.
    static bool Check(const SLxPicBuf* a, const SLxPicBuf* b, uint32_t option);
    // Sample bytes x width x comps rounded up to a multiple of alignment,
    // computed in 64 bits. 0 when the result does not fit 32 bits, for an
    // alignment of 0, or for bits 0 or above 64.
    static uint32_t CalcWidthBytes(uint32_t width, uint32_t bits, uint32_t comps,
                                   uint32_t alignment);
    // Bytes of one sample: 1-8 bits 1, 9-16 bits 2, 17-32 bits 4 (24-bit
    // samples take 4), 33-64 bits 8; 0 for 0 or more than 64 bits.
    static uint32_t CalcCompSize(uint32_t bits);
    // Copies the overlap (smaller width x smaller height) line by line; the
    // rest of the destination stays. -9 with the report "CLxPicBufAPI::Copy,
    // sour and dest must have the same format" when bits or components
    // differ; -9 for a missing record or memory.
    static int Copy(SLxPicBuf* dst, const SLxPicBuf* src);
};
