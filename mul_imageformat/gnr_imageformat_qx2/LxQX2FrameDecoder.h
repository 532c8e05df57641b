// Turns the pixel bytes of a frame chunk into a frame buffer with rows of
// the interface's stride, CalcWidthBytes(width, bits, components, 4): zlib
// streams (eCompression 0) through libdeflate, anything else as raw rows.
// Stored rows of another length (version 1.0, and writers given a row size
// of 0, store unpadded rows) are re-strided, the padding zero.
#pragma once

#include <cstdint>
#include <vector>

#include "mul_imageformat/LxImageAttributes.h"

struct libdeflate_decompressor;

// The frame layout of a document, all sizes in 64 bits.
struct SLxQX2FrameLayout {
    uint64_t qwRowBytes;     // the pixels of one row
    uint64_t qwStride;       // rows of the frame buffers handed out
    uint64_t qwStoredStride; // rows as stored
    uint64_t qwHeight;

    uint64_t FrameBytes() const { return qwStride * qwHeight; }
    uint64_t StoredBytes() const { return qwStoredStride * qwHeight; }
};

// False for an incomplete record, more than 16 bits, a stored row shorter
// than its pixels or a frame of 4 GiB or more.
bool LX_QX2FrameLayout(const SLxImageAttributes& attributes, SLxQX2FrameLayout* layout);

class CLxQX2FrameDecoder
{
  public:
    CLxQX2FrameDecoder() = default;
    ~CLxQX2FrameDecoder();
    CLxQX2FrameDecoder(const CLxQX2FrameDecoder&) = delete;
    CLxQX2FrameDecoder& operator=(const CLxQX2FrameDecoder&) = delete;

    // The frame of bytes[0, size) into out (layout.FrameBytes() bytes).
    // -9 for a stream that is bad or gives more or fewer bytes than the
    // stored frame, or raw bytes that do not hold it; -3 without memory.
    int Decode(const uint8_t* bytes, uint64_t size, bool zlib, const SLxQX2FrameLayout& layout,
               void* out);

    // Whether size bytes can hold the stored frame (a zlib stream expands
    // at most about 1032:1), asked before a buffer is sized from the layout.
    static bool CanHold(uint64_t size, bool zlib, const SLxQX2FrameLayout& layout);

  private:
    int Inflate(const uint8_t* bytes, uint64_t size, void* out, uint64_t outSize);

    libdeflate_decompressor* m_pInflater = nullptr;
    std::vector<uint8_t> m_scratch;
};
