// Constants a component and single pixels of picture buffers. The
// arithmetic hands the whole picture to the constant dispatchers of
// CLxPicMemAPI; the accessors copy raw sample bytes after checking the
// position against the picture.
#include <cstring>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"

using lxpicbuf::prepare;

namespace
{

// The two-picture checks: same size, bits and components, both records
// covering their memory, constants given.
int prepareConst(const SLxPicBuf* dst, const SLxPicBuf* src, const void* values)
{
    const int checked = prepare(dst, src, eLxCheckSizeBitsComps, nullptr);
    if (checked != 0)
        return checked;
    return values ? 0 : -9;
}

// The window arguments shared by every dispatcher call.
struct Window {
    uint32_t width, count;
    explicit Window(const SLxPicBuf& pic)
        : width(pic.uiWidth), count(lxpicbuf::isEmpty(pic) ? 0 : lxpicbuf::pixelCount(pic))
    {
    }
};

// values[c] cut to the sample size (bytes up to 8 bits, 16-bit words for 9
// to 16), one sample a component: the pixel the bound and fill dispatchers
// take.
std::vector<uint8_t> cutToSamples(const uint32_t* values, uint32_t comps, uint32_t bits)
{
    const uint32_t bytes = bits <= 8 ? 1 : 2;
    std::vector<uint8_t> pixel(size_t(comps) * bytes);
    for (uint32_t c = 0; c < comps; ++c) {
        if (bytes == 1) {
            pixel[c] = uint8_t(values[c]);
        } else {
            const uint16_t v = uint16_t(values[c]);
            std::memcpy(&pixel[size_t(c) * 2], &v, 2);
        }
    }
    return pixel;
}

using BoundDispatcher = int (*)(void*, uint32_t, const void*, uint32_t, const void*, uint32_t,
                                uint32_t, uint32_t, uint32_t);

int boundConst(BoundDispatcher dispatcher, SLxPicBuf* dst, const SLxPicBuf* src,
               const uint32_t* values)
{
    const int checked = prepareConst(dst, src, values);
    if (checked != 0)
        return checked;
    if (dst->uiBpc > 16)
        return 0; // no bound for deep samples: left as they are
    const std::vector<uint8_t> pixel = cutToSamples(values, dst->uiComps, dst->uiBpc);
    const Window w(*dst);
    return dispatcher(dst->pData, dst->uiWidthBytes, src->pData, src->uiWidthBytes, pixel.data(),
                      dst->uiComps, dst->uiBpc, w.width, w.count);
}

template <class K>
using ConstDispatcher = int (*)(void*, uint32_t, const void*, uint32_t, const K*, uint32_t,
                                uint32_t, uint32_t, uint32_t);

template <class K>
int withConst(ConstDispatcher<K> dispatcher, SLxPicBuf* dst, const SLxPicBuf* src, const K* values)
{
    const int checked = prepareConst(dst, src, values);
    if (checked != 0)
        return checked;
    const Window w(*dst);
    return dispatcher(dst->pData, dst->uiWidthBytes, src->pData, src->uiWidthBytes, values,
                      dst->uiComps, dst->uiBpc, w.width, w.count);
}

// Where pixel (x, y) of a covered picture starts, or null when the record is
// missing or unusable or the position lies outside it.
uint8_t* pixelAt(const SLxPicBuf* pic, uint32_t x, uint32_t y)
{
    if (!pic || !pic->pData || !lxpicbuf::coversFormat(pic) || lxpicbuf::isEmpty(*pic) ||
        x >= pic->uiWidth || y >= pic->uiHeight)
        return nullptr;
    return lxpicbuf::pixelAddress(*pic, x, y);
}

size_t pixelBytes(const SLxPicBuf& pic)
{
    return size_t(pic.uiComps) * CLxPicBufAPI::CalcCompSize(pic.uiBpc);
}

} // namespace

int CLxPicBufAPI::AssignConst(SLxPicBuf* pic, const uint32_t* values)
{
    const int checked = prepare(pic);
    if (checked != 0)
        return checked;
    if (!values)
        return -9;
    if (pic->uiBpc > 16)
        return 0;
    const std::vector<uint8_t> pixel = cutToSamples(values, pic->uiComps, pic->uiBpc);
    const Window w(*pic);
    return CLxPicMemAPI::SetValue(pic->pData, pic->uiComps, pic->uiBpc, pic->uiWidthBytes,
                                  pixel.data(), w.width, w.count);
}

int CLxPicBufAPI::AddConst(SLxPicBuf* dst, const SLxPicBuf* src, const int32_t* values)
{
    return withConst<int32_t>(CLxPicMemAPI::AddConstAndClip, dst, src, values);
}

int CLxPicBufAPI::AddConstRotate(SLxPicBuf* dst, const SLxPicBuf* src, const int32_t* values)
{
    return withConst<int32_t>(CLxPicMemAPI::AddConstRotate, dst, src, values);
}

int CLxPicBufAPI::SubConst(SLxPicBuf* dst, const SLxPicBuf* src, const int32_t* values)
{
    return withConst<int32_t>(CLxPicMemAPI::SubConstAndClip, dst, src, values);
}

int CLxPicBufAPI::MinConst(SLxPicBuf* dst, const SLxPicBuf* src, const uint32_t* values)
{
    return boundConst(CLxPicMemAPI::MinConstAndClip, dst, src, values);
}

int CLxPicBufAPI::MaxConst(SLxPicBuf* dst, const SLxPicBuf* src, const uint32_t* values)
{
    return boundConst(CLxPicMemAPI::MaxConstAndClip, dst, src, values);
}

int CLxPicBufAPI::MultConst(SLxPicBuf* dst, const SLxPicBuf* src, const double* values)
{
    return withConst<double>(CLxPicMemAPI::MulConstAndClip, dst, src, values);
}

int CLxPicBufAPI::DivConst(SLxPicBuf* dst, const SLxPicBuf* src, const double* values)
{
    return withConst<double>(CLxPicMemAPI::DivConstAndClip, dst, src, values);
}

int CLxPicBufAPI::SetPixel(SLxPicBuf* pic, uint32_t x, uint32_t y, uint32_t color)
{
    if (!pixelAt(pic, x, y))
        return -4;
    return CLxPicMemAPI::SetColor(pic->pData, x, y, pic->uiComps, pic->uiBpc, pic->uiWidthBytes,
                                  color);
}

int CLxPicBufAPI::GetPoint(const SLxPicBuf* pic, uint32_t x, uint32_t y, void* pixel)
{
    const uint8_t* at = pixelAt(pic, x, y);
    if (!at || !pixel)
        return -4;
    std::memcpy(pixel, at, pixelBytes(*pic));
    return 0;
}

int CLxPicBufAPI::SetPoint(SLxPicBuf* pic, uint32_t x, uint32_t y, const void* pixel)
{
    uint8_t* at = pixelAt(pic, x, y);
    if (!at || !pixel)
        return -4;
    std::memcpy(at, pixel, pixelBytes(*pic));
    return 0;
}

int CLxPicBufAPI::SetPointComponent(SLxPicBuf* pic, uint32_t x, uint32_t y, const void* pixel,
                                    uint32_t comp)
{
    uint8_t* at = pixelAt(pic, x, y);
    if (!at || !pixel || comp >= pic->uiComps)
        return -4;
    const size_t bytes = CLxPicBufAPI::CalcCompSize(pic->uiBpc);
    std::memcpy(at + comp * bytes, static_cast<const uint8_t*>(pixel) + comp * bytes, bytes);
    return 0;
}
