// Float picture records, copies and element-wise arithmetic.
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"

#include <cstring>

#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufLines.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

template <typename A, typename B> bool checkFields(const A* a, const B* b, uint32_t option)
{
    if (!a || !b)
        return false;
    const bool size = a->uiWidth == b->uiWidth && a->uiHeight == b->uiHeight;
    const bool bits = a->uiBpc == b->uiBpc;
    const bool comps = a->uiComps == b->uiComps;
    switch (option) {
    case 0:
        return size;
    case 1:
        return size && bits;
    case 2:
        return size && bits && comps;
    case 3:
        return size && comps;
    case 4:
        return comps;
    case 5:
        return bits;
    case 6:
        return bits && comps;
    default:
        return false;
    }
}

template <typename A>
bool checkEx(const A* a, const SLxFloatPicBuf* b, uint32_t maxWidth, uint32_t maxHeight)
{
    return a && b && a->uiWidth <= b->uiWidth && b->uiWidth <= maxWidth &&
           a->uiHeight <= b->uiHeight && b->uiHeight <= maxHeight;
}

template <typename Op>
int combine(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a, const SLxFloatPicBuf* b, Op op)
{
    if (!CLxFloatPicBufAPI::Check(dst, a, 2) || !CLxFloatPicBufAPI::Check(dst, b, 2) ||
        !lxpic::holdsLines(*dst) || !lxpic::holdsLines(*a) || !lxpic::holdsLines(*b))
        return -9;
    const size_t run = static_cast<size_t>(dst->uiWidth) * dst->uiComps;
    for (uint32_t y = 0; y < dst->uiHeight; ++y) {
        float* d = lxpic::line(*dst, y);
        const float* p = lxpic::line(*a, y);
        const float* q = lxpic::line(*b, y);
        for (size_t i = 0; i < run; ++i)
            d[i] = op(p[i], q[i]);
    }
    return 0;
}

} // namespace

void CLxFloatPicBufAPI::Init(SLxFloatPicBuf* pic)
{
    if (pic)
        *pic = SLxFloatPicBuf{};
}

int CLxFloatPicBufAPI::Reinit(SLxFloatPicBuf* pic, uint32_t width, uint32_t height,
                              uint32_t lineBytes, uint32_t comps, bool zero)
{
    if (!pic)
        return -9;
    const uint64_t defaultLine = static_cast<uint64_t>(width) * comps * sizeof(float);
    const uint64_t line = lineBytes ? lineBytes : defaultLine;
    const uint64_t size = line * height;
    if (line < defaultLine || line > UINT32_MAX || size > UINT32_MAX)
        return -3;
    pic->uiWidth = width;
    pic->uiHeight = height;
    pic->uiWidthBytes = static_cast<uint32_t>(line);
    pic->uiBpc = 32;
    pic->uiComps = comps;
    pic->uiSize = static_cast<uint32_t>(size);
    if (size == 0) {
        Free(pic);
        return -3;
    }
    void* data = CLxAlloc::ReAlloc(pic->pData, size, 0);
    if (!data) {
        Free(pic);
        return -3;
    }
    pic->pData = static_cast<float*>(data);
    if (zero)
        std::memset(pic->pData, 0, size);
    return 0;
}

void CLxFloatPicBufAPI::Free(SLxFloatPicBuf* pic)
{
    if (!pic)
        return;
    CLxAlloc::Free(pic->pData);
    pic->pData = nullptr;
}

bool CLxFloatPicBufAPI::Check(const SLxFloatPicBuf* a, const SLxFloatPicBuf* b, uint32_t option)
{
    return checkFields(a, b, option);
}

bool CLxFloatPicBufAPI::Check(const SLxFloatPicBuf* a, const SLxPicBuf* b, uint32_t option)
{
    return checkFields(a, b, option);
}

bool CLxFloatPicBufAPI::Check_Ex(const SLxFloatPicBuf* a, const SLxFloatPicBuf* b,
                                 uint32_t maxWidth, uint32_t maxHeight)
{
    return checkEx(a, b, maxWidth, maxHeight);
}

bool CLxFloatPicBufAPI::Check_Ex(const SLxPicBuf* a, const SLxFloatPicBuf* b, uint32_t maxWidth,
                                 uint32_t maxHeight)
{
    return checkEx(a, b, maxWidth, maxHeight);
}

int CLxFloatPicBufAPI::Clear(SLxFloatPicBuf* pic)
{
    if (!pic || (!pic->pData && pic->uiSize))
        return -9;
    if (pic->uiSize)
        std::memset(pic->pData, 0, pic->uiSize);
    return 0;
}

int CLxFloatPicBufAPI::Copy(SLxFloatPicBuf* dst, const SLxFloatPicBuf* src)
{
    if (!Check(dst, src, 2)) {
        LX_DIAG_ASSERT_TEXT(u"CLxFloatPicBufAPI::Check(dst, src, 2)",
                            u"CLxPicBufAPI::Copy, sour and dest must have the same format");
        return -9;
    }
    if (!lxpic::holdsLines(*dst) || !lxpic::holdsLines(*src))
        return -9;
    const size_t bytes = static_cast<size_t>(lxpic::lineFloatBytes(*src));
    for (uint32_t y = 0; y < src->uiHeight && bytes; ++y)
        std::memcpy(lxpic::line(*dst, y), lxpic::line(*src, y), bytes);
    return 0;
}

int CLxFloatPicBufAPI::Plus(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a, const SLxFloatPicBuf* b)
{
    return combine(dst, a, b, [](float x, float y) { return x + y; });
}

int CLxFloatPicBufAPI::Minus(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a, const SLxFloatPicBuf* b)
{
    return combine(dst, a, b, [](float x, float y) { return x - y; });
}

int CLxFloatPicBufAPI::Multiplication(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a,
                                      const SLxFloatPicBuf* b)
{
    return combine(dst, a, b, [](float x, float y) { return x * y; });
}

int CLxFloatPicBufAPI::Division(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a,
                                const SLxFloatPicBuf* b)
{
    return combine(dst, a, b, [](float x, float y) { return y == 0.0f ? 0.0f : x / y; });
}
