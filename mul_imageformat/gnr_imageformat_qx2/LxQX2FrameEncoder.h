// Turns a caller's frame buffer (rows of the layout's qwStride, the
// caller's) into the bytes of a frame chunk: rows of the stored row size,
// then a zlib stream (libdeflate) or the raw rows.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "mul_imageformat/gnr_imageformat_qx2/LxQX2FrameDecoder.h"

struct libdeflate_compressor;

// The zlib level a compression parameter stands for: truncated, below 1 is
// 6, above 9 is 9.
int LX_QX2ZlibLevel(double compressionParam);
// The libdeflate level that takes the place of a zlib level.
int LX_QX2DeflateLevel(int zlibLevel);

class CLxQX2FrameEncoder
{
  public:
    CLxQX2FrameEncoder() = default;
    ~CLxQX2FrameEncoder();
    CLxQX2FrameEncoder(const CLxQX2FrameEncoder&) = delete;
    CLxQX2FrameEncoder& operator=(const CLxQX2FrameEncoder&) = delete;

    // The stored bytes of the frame in buffer: *out points at them (the
    // caller's buffer itself when the rows need no change and no
    // compression), *size is their count. -3 without memory or when the
    // compressor gives nothing, -9 for stored bytes of 4 GiB or more.
    int Encode(const void* buffer, const SLxQX2FrameLayout& layout, bool zlib,
               double compressionParam, const uint8_t** out, uint64_t* size);

  private:
    libdeflate_compressor* m_pCompressor = nullptr;
    int m_level = 0;
    std::vector<uint8_t> m_rows;
    // Compressed output; not zero-filled, as the stream overwrites it.
    std::unique_ptr<uint8_t[]> m_packed;
    uint64_t m_packedSize = 0;
};
