// The framed 16-bit working picture of thinning, thickening, pruning and
// zones of influence, and heap arrays that live for one call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gnr_picture/BinPicBufAPI/LxBinPicBuf.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace lx_bin
{

// (W + 2) x (H + 2) one-component 16-bit samples, lines of exactly
// (W + 2) x 2 bytes, zeroed: working pixel (x + 1, y + 1) is picture pixel
// (x, y), the outer ring is the frame.
class Work16
{
  public:
    Work16() { CLxPicBufAPI::Init(&pic_); }
    ~Work16() { CLxPicBufAPI::Free(&pic_); }
    Work16(const Work16&) = delete;
    Work16& operator=(const Work16&) = delete;

    bool Make(uint32_t width, uint32_t height)
    {
        const uint64_t w = uint64_t(width) + 2, h = uint64_t(height) + 2;
        if (w * 2 > 0xFFFFFFFFu || h > 0xFFFFFFFFu)
            return false;
        return CLxPicBufAPI::Reinit(&pic_, uint32_t(w), uint32_t(h), uint32_t(w * 2), 16, 1, true) ==
               0;
    }
    SLxPicBuf* get() { return &pic_; }
    uint16_t* data() { return static_cast<uint16_t*>(pic_.pData); }
    uint32_t width() const { return pic_.uiWidth; }
    uint32_t height() const { return pic_.uiHeight; }
    ptrdiff_t stride() const { return ptrdiff_t(pic_.uiWidth); }
    size_t samples() const { return size_t(pic_.uiWidth) * pic_.uiHeight; }

  private:
    SLxPicBuf pic_;
};

// A block of n values from the private heap, freed with the object.
template <class T> class HeapArray
{
  public:
    HeapArray() = default;
    ~HeapArray() { CLxAlloc::Free(data_); }
    HeapArray(const HeapArray&) = delete;
    HeapArray& operator=(const HeapArray&) = delete;

    bool Make(size_t count, bool zero)
    {
        CLxAlloc::Free(data_);
        data_ = nullptr;
        if (count == 0 || count > SIZE_MAX / sizeof(T))
            return false;
        data_ = static_cast<T*>(CLxAlloc::Alloc(zero ? LX_HEAP_ZERO_MEMORY : 0, count * sizeof(T)));
        return data_ != nullptr;
    }
    T* get() { return data_; }
    T& operator[](size_t i) { return data_[i]; }

  private:
    T* data_ = nullptr;
};

} // namespace lx_bin
