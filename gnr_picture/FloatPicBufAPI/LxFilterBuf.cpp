// Weighting masks and float kernel matrices.
#include "gnr_picture/FloatPicBufAPI/LxFilterBuf.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

bool holdsLines(const SLxFilterBuf& buf)
{
    if (buf.uiWidth == 0 || buf.uiHeight == 0)
        return true;
    return buf.pData && buf.uiWidthBytes >= buf.uiWidth &&
           uint64_t(buf.uiWidthBytes) * (buf.uiHeight - 1) + buf.uiWidth <= buf.uiSize;
}

template <typename Op> int eachPixel(SLxFilterBuf* dst, const SLxFilterBuf* src, Op op)
{
    if (!CLxFilterBuf::Check(dst, src, 0) || !holdsLines(*dst) || !holdsLines(*src))
        return -9;
    for (uint32_t y = 0; y < dst->uiHeight; ++y) {
        uint8_t* d = dst->pData + size_t(y) * dst->uiWidthBytes;
        const uint8_t* s = src->pData + size_t(y) * src->uiWidthBytes;
        for (uint32_t x = 0; x < dst->uiWidth; ++x)
            d[x] = op(d[x], s[x]);
    }
    return 0;
}

int fill(SLxFilterBuf* buf, uint8_t value)
{
    if (!buf || (!buf->pData && buf->uiSize))
        return -9;
    if (buf->uiSize)
        std::memset(buf->pData, value, buf->uiSize);
    return 0;
}

} // namespace

int CLxFilterBuf::Reinit(SLxFilterBuf* buf, uint32_t width, uint32_t height, uint32_t lineBytes,
                         bool zero)
{
    if (!buf)
        return -9;
    const uint64_t line = lineBytes ? lineBytes : ((uint64_t(width) + 3) & ~uint64_t(3));
    if (line < width)
        return -9;
    const uint64_t size = line * height;
    if (line > UINT32_MAX || size > UINT32_MAX)
        return -3;
    buf->uiWidth = width;
    buf->uiHeight = height;
    buf->uiWidthBytes = static_cast<uint32_t>(line);
    buf->uiSize = static_cast<uint32_t>(size);
    void* data = size ? CLxAlloc::ReAlloc(buf->pData, size, 0) : nullptr;
    if (!data) {
        Free(buf);
        return -3;
    }
    buf->pData = static_cast<uint8_t*>(data);
    if (zero)
        std::memset(buf->pData, 0, size);
    return 0;
}

int CLxFilterBuf::Reinit(SLxFilterBuf* buf, const SLxFloatPicBuf* pic, bool zero)
{
    if (!buf || !pic)
        return -9;
    return Reinit(buf, pic->uiWidth, pic->uiHeight, 0, zero);
}

void CLxFilterBuf::Free(SLxFilterBuf* buf)
{
    if (!buf)
        return;
    CLxAlloc::Free(buf->pData);
    buf->pData = nullptr;
}

bool CLxFilterBuf::Check(const SLxFilterBuf* a, const SLxFilterBuf* b, uint32_t option)
{
    return a && b && option == 0 && a->uiWidth == b->uiWidth && a->uiHeight == b->uiHeight;
}

bool CLxFilterBuf::Check(const SLxFilterBuf* a, const SLxFloatPicBuf* b, uint32_t option)
{
    return a && b && option == 0 && a->uiWidth == b->uiWidth && a->uiHeight == b->uiHeight;
}

int CLxFilterBuf::Clear(SLxFilterBuf* buf)
{
    return fill(buf, 0);
}

int CLxFilterBuf::FulFill(SLxFilterBuf* buf)
{
    return fill(buf, 255);
}

int CLxFilterBuf::Copy(SLxFilterBuf* dst, const SLxFilterBuf* src)
{
    if (!Check(dst, src, 0)) {
        LX_DIAG_ASSERT_TEXT(u"CLxFilterBuf::Check(dst, src, 0)",
                            u"CLxFilterBuf::Copy, sour and dest must have the same format");
        return -9;
    }
    return eachPixel(dst, src, [](uint8_t, uint8_t s) { return s; });
}

int CLxFilterBuf::Complement(SLxFilterBuf* buf)
{
    if (!buf)
        return -9;
    return eachPixel(buf, buf, [](uint8_t d, uint8_t) { return uint8_t(255 - d); });
}

int CLxFilterBuf::Add(SLxFilterBuf* dst, const SLxFilterBuf* src)
{
    return eachPixel(dst, src, [](uint8_t d, uint8_t s) { return uint8_t(std::min(d + s, 255)); });
}

int CLxFilterBuf::Subtract(SLxFilterBuf* dst, const SLxFilterBuf* src)
{
    return eachPixel(dst, src, [](uint8_t d, uint8_t s) { return uint8_t(std::max(d - s, 0)); });
}

int CLxFilterBuf::Min(SLxFilterBuf* dst, const SLxFilterBuf* src)
{
    return eachPixel(dst, src, [](uint8_t d, uint8_t s) { return std::min(d, s); });
}

int CLxFilterBuf::Max(SLxFilterBuf* dst, const SLxFilterBuf* src)
{
    return eachPixel(dst, src, [](uint8_t d, uint8_t s) { return std::max(d, s); });
}

SLxFloatKernelMatrix::SLxFloatKernelMatrix()
    : uiNRows(0), uiNCols(0), uiReserved1(0), uiReserved2(0), pfValues(nullptr)
{
}

SLxFloatKernelMatrix::~SLxFloatKernelMatrix()
{
    Free(this);
}

int SLxFloatKernelMatrix::Alloc(SLxFloatKernelMatrix* m, uint32_t rows, uint32_t cols)
{
    if (!m)
        return -4;
    m->uiNRows = rows;
    m->uiNCols = cols;
    const uint64_t count = uint64_t(rows) * cols;
    if (count == 0)
        return 0;
    delete[] m->pfValues;
    m->pfValues = new (std::nothrow) float[count]();
    if (!m->pfValues) {
        Free(m);
        return -3;
    }
    return 0;
}

void SLxFloatKernelMatrix::Free(SLxFloatKernelMatrix* m)
{
    if (!m)
        return;
    delete[] m->pfValues;
    m->pfValues = nullptr;
    m->uiNRows = m->uiNCols = m->uiReserved1 = m->uiReserved2 = 0;
}

int SLxFloatKernelMatrix::CopyIntToFloat(SLxFloatKernelMatrix* m, const SLxKernelMatrix* from)
{
    if (!m || !from)
        return -4;
    Free(m);
    if (int status = Alloc(m, from->uiNRows, from->uiNCols))
        return status;
    m->uiReserved1 = from->uiReserved1;
    m->uiReserved2 = from->uiReserved2;
    const double divisor = from->iDivisor ? from->iDivisor : 1;
    const uint64_t count = uint64_t(from->uiNRows) * from->uiNCols;
    for (uint64_t i = 0; i < count && from->piValues; ++i)
        m->pfValues[i] = static_cast<float>(from->piValues[i] / divisor);
    return 0;
}
