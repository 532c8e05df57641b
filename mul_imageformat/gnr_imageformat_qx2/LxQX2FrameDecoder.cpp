#include "mul_imageformat/gnr_imageformat_qx2/LxQX2FrameDecoder.h"

#include <libdeflate.h>

#include <cstring>
#include <new>

namespace
{

constexpr int kNoMemory = -3;
constexpr int kFail = -9;
// Deflate expands at most about 1032:1; a frame larger than that from its
// stream is refused before any scratch memory is sized from it.
constexpr uint64_t kMaxInflateRatio = 1032;

} // namespace

bool LX_QX2FrameLayout(const SLxImageAttributes& a, SLxQX2FrameLayout* layout)
{
    if (!LX_IsCompleteImageAttributes(a) || a.uiBpcInMemory > 16)
        return false;
    const uint64_t sampleBytes = a.uiBpcInMemory > 8 ? 2 : 1;
    const uint64_t rowBytes = uint64_t(a.uiWidth) * a.uiComp * sampleBytes;
    const uint64_t stride = (rowBytes + 3) / 4 * 4;
    if (a.uiWidthBytes != 0 && a.uiWidthBytes < rowBytes)
        return false;
    // A row size of 0 (never written by a writer) reads as unpadded rows.
    const uint64_t stored = a.uiWidthBytes ? a.uiWidthBytes : rowBytes;
    if (stride > UINT32_MAX || stride * a.uiHeight > UINT32_MAX || stored * a.uiHeight > UINT32_MAX)
        return false;
    *layout = SLxQX2FrameLayout{rowBytes, stride, stored, a.uiHeight};
    return true;
}

CLxQX2FrameDecoder::~CLxQX2FrameDecoder()
{
    if (m_pInflater)
        libdeflate_free_decompressor(m_pInflater);
}

int CLxQX2FrameDecoder::Inflate(const uint8_t* bytes, uint64_t size, void* out, uint64_t outSize)
{
    if (size * kMaxInflateRatio < outSize)
        return kFail;
    if (!m_pInflater && !(m_pInflater = libdeflate_alloc_decompressor()))
        return kNoMemory;
    // The exact size and no actual-size argument: a stream that gives fewer
    // or more bytes fails.
    return libdeflate_zlib_decompress(m_pInflater, bytes, size_t(size), out, size_t(outSize),
                                      nullptr) == LIBDEFLATE_SUCCESS
               ? 0
               : kFail;
}

bool CLxQX2FrameDecoder::CanHold(uint64_t size, bool zlib, const SLxQX2FrameLayout& layout)
{
    const uint64_t stored = layout.StoredBytes();
    return zlib ? size * kMaxInflateRatio >= stored : size >= stored;
}

int CLxQX2FrameDecoder::Decode(const uint8_t* bytes, uint64_t size, bool zlib,
                               const SLxQX2FrameLayout& layout, void* out)
{
    const uint64_t stored = layout.StoredBytes();
    if (!zlib && size < stored)
        return kFail;
    auto* dst = static_cast<uint8_t*>(out);
    if (layout.qwStoredStride == layout.qwStride) {
        if (zlib)
            return Inflate(bytes, size, dst, stored);
        memcpy(dst, bytes, size_t(stored));
        return 0;
    }
    const uint8_t* rows = bytes;
    if (zlib) {
        if (size * kMaxInflateRatio < stored)
            return kFail;
        try {
            m_scratch.resize(size_t(stored));
        } catch (const std::bad_alloc&) {
            return kNoMemory;
        }
        const int rc = Inflate(bytes, size, m_scratch.data(), stored);
        if (rc != 0)
            return rc;
        rows = m_scratch.data();
    }
    for (uint64_t y = 0; y < layout.qwHeight; ++y) {
        uint8_t* row = dst + y * layout.qwStride;
        memcpy(row, rows + y * layout.qwStoredStride, size_t(layout.qwRowBytes));
        memset(row + layout.qwRowBytes, 0, size_t(layout.qwStride - layout.qwRowBytes));
    }
    return 0;
}
