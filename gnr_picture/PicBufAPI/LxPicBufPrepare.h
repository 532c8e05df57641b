// What every picture-buffer operation does before it touches pixels: check
// the records against each other and against their own memory, allocate a
// replacement picture, pick the sample type, and walk lines and pixels.
// The operation files hold only their loop or their dispatcher call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxpicbuf
{

// Bytes of one line's samples (width x components x sample bytes).
uint64_t lineBytes(const SLxPicBuf& pic);

// Width, height or components 0: nothing to touch.
inline bool isEmpty(const SLxPicBuf& pic)
{
    return pic.uiWidth == 0 || pic.uiHeight == 0 || pic.uiComps == 0;
}

// Pixels of the picture, width x height. Fits 32 bits for every picture that
// covers its format, as each pixel takes at least one of its uiSize bytes.
inline uint32_t pixelCount(const SLxPicBuf& pic)
{
    return pic.uiWidth * pic.uiHeight;
}

// Whether the record's memory holds every line its format declares: an
// empty picture always does; otherwise pData is set, the bits are 1 to 64,
// a line fits the pitch and uiSize covers uiWidthBytes x uiHeight.
bool coversFormat(const SLxPicBuf* pic);

// The checks of a one-picture operation: 0, or -9 (reported) for a missing
// record or one that does not cover its format.
int prepare(const SLxPicBuf* pic);

// The checks of a two-picture operation: the records agree in what the
// Check option names, else mismatchCode and, when a message is given, a
// report with it; then both cover their formats, else -9 (reported).
int prepare(const SLxPicBuf* dst, const SLxPicBuf* src, uint32_t option,
            const char16_t* mismatchMessage, int mismatchCode = -9);

// Whether the w x h rectangle at (x, y) lies inside the picture.
bool rectInside(const SLxPicBuf& pic, uint32_t x, uint32_t y, uint32_t w, uint32_t h);

// Address of sample 0 of pixel (x, y).
inline uint8_t* pixelAddress(const SLxPicBuf& pic, uint32_t x, uint32_t y)
{
    return static_cast<uint8_t*>(pic.pData) + size_t(y) * pic.uiWidthBytes +
           size_t(x) * pic.uiComps * CLxPicBufAPI::CalcCompSize(pic.uiBpc);
}

// A new picture that takes the place of the caller's record only when the
// operation built it successfully; released on every other path.
class CLxPicBufReplacement
{
  public:
    CLxPicBufReplacement();
    ~CLxPicBufReplacement();
    CLxPicBufReplacement(const CLxPicBufReplacement&) = delete;
    CLxPicBufReplacement& operator=(const CLxPicBufReplacement&) = delete;

    // Reinit with the default pitch: 0 or -3.
    int allocate(uint32_t width, uint32_t height, uint32_t bits, uint32_t comps, bool zero);
    SLxPicBuf* get() { return &m_pic; }
    // Moves the new picture into pic and releases pic's old memory.
    void commit(SLxPicBuf* pic);

  private:
    SLxPicBuf m_pic;
};

// Calls f(T()) with T the sample type of bits (uint8_t, uint16_t, uint32_t)
// and returns its result; -2 for 0 or more than 32 bits.
template <class F> int withSampleType(uint32_t bits, F&& f)
{
    switch (lxpic::sampleBytes(bits)) {
    case 1:
        return f(uint8_t());
    case 2:
        return f(uint16_t());
    case 4:
        return f(uint32_t());
    default:
        return -2;
    }
}

// Calls f(dstLine, srcLine) for the first `lines` lines of two pictures,
// each at its own pitch.
template <class F>
void forEachLinePair(const SLxPicBuf& dst, const SLxPicBuf& src, uint32_t lines, F&& f)
{
    auto* d = static_cast<uint8_t*>(dst.pData);
    const auto* s = static_cast<const uint8_t*>(src.pData);
    if (!d || !s)
        return; // an empty picture (prepare lets no other through without memory)
    for (uint32_t y = 0; y < lines; ++y)
        f(d + size_t(y) * dst.uiWidthBytes, s + size_t(y) * src.uiWidthBytes);
}

// Calls f(dstPixel, srcPixel) with the addresses of the pixels of the first
// width x lines pixels; each picture steps by its own pixel size.
template <class F>
void forEachPixelPair(const SLxPicBuf& dst, const SLxPicBuf& src, uint32_t width, uint32_t lines,
                      F&& f)
{
    const size_t dstPixel = size_t(dst.uiComps) * CLxPicBufAPI::CalcCompSize(dst.uiBpc);
    const size_t srcPixel = size_t(src.uiComps) * CLxPicBufAPI::CalcCompSize(src.uiBpc);
    forEachLinePair(dst, src, lines, [&](uint8_t* d, const uint8_t* s) {
        for (uint32_t x = 0; x < width; ++x)
            f(d + x * dstPixel, s + x * srcPixel);
    });
}

// dst sample = f(dst sample, src sample) over every line's samples (of type
// T) of two pictures of the same size and format; dst may be src.
template <class T, class F> void zipSamples(SLxPicBuf& dst, const SLxPicBuf& src, F&& f)
{
    const size_t samples = size_t(dst.uiWidth) * dst.uiComps;
    forEachLinePair(dst, src, dst.uiHeight, [&](uint8_t* d, const uint8_t* s) {
        for (size_t i = 0; i < samples; ++i) {
            uint8_t* at = d + i * sizeof(T);
            lxpic::store<T>(at, f(lxpic::load<T>(at), lxpic::load<T>(s + i * sizeof(T))));
        }
    });
}

} // namespace lxpicbuf
