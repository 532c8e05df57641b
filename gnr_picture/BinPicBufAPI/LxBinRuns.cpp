// Raw one-bit runs: copy, compare and complement at any bit offset, pixel
// reads, and the stretch forwarders.
#include <cstring>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxStretchKernels.h"

namespace
{

// One line of a run seen from the destination's bytes: reads the eight
// source bits that fall on destination byte j, touching no source byte
// outside the run.
class RealignedLine
{
  public:
    RealignedLine(const uint8_t* src, uint32_t srcBit, uint32_t dstBit, uint32_t width)
        : m_src(src), m_srcBit(srcBit), m_dstBit(dstBit),
          m_lastByte((static_cast<int64_t>(srcBit) + width - 1) / 8)
    {
    }

    uint8_t Byte(uint32_t j) const
    {
        int64_t pos = static_cast<int64_t>(j) * 8 - m_dstBit + m_srcBit;
        int64_t index = pos >= 0 ? pos / 8 : -((-pos + 7) / 8);
        uint32_t shift = static_cast<uint32_t>(pos - index * 8);
        uint32_t window = (Read(index) << 8) | Read(index + 1);
        return static_cast<uint8_t>((window << shift) >> 8);
    }

  private:
    uint32_t Read(int64_t index) const
    {
        return index >= 0 && index <= m_lastByte ? m_src[index] : 0u;
    }

    const uint8_t* m_src;
    int64_t m_srcBit;
    int64_t m_dstBit;
    int64_t m_lastByte;
};

// The bits of destination byte j that belong to the run [bit, bit + width).
inline uint8_t RunMask(uint32_t j, uint32_t bit, uint32_t width)
{
    uint64_t first = bit, end = static_cast<uint64_t>(bit) + width;
    uint64_t lo = static_cast<uint64_t>(j) * 8, hi = lo + 8;
    uint64_t a = first > lo ? first : lo, b = end < hi ? end : hi;
    if (a >= b)
        return 0;
    uint32_t bits = static_cast<uint32_t>(b - a);
    return static_cast<uint8_t>(((0xFFu << (8 - bits)) & 0xFFu) >> (a - lo));
}

inline uint8_t Put(uint8_t old, uint8_t value, int op)
{
    switch (op) {
    case CLxBinPicMemAPI::eBinOr:
        return static_cast<uint8_t>(old | value);
    case CLxBinPicMemAPI::eBinAnd:
        return static_cast<uint8_t>(old & value);
    default:
        return value;
    }
}

// Moves the pointer by whole bytes of the start bit.
template <class P> inline void Normalise(P*& p, uint32_t& bit)
{
    p += bit / 8;
    bit %= 8;
}

// Puts (NOT) source pixels into the destination run line by line; only the
// width pixels of each line change.
template <bool negate>
void PutRun(uint8_t* dst, uint32_t dstBit, uint32_t dstWB, const uint8_t* src, uint32_t srcBit,
            uint32_t srcWB, uint32_t width, uint32_t count, int op)
{
    Normalise(dst, dstBit);
    Normalise(src, srcBit);
    uint32_t lines = count / width;
    uint32_t bytes = static_cast<uint32_t>((static_cast<uint64_t>(dstBit) + width + 7) / 8);
    bool whole = dstBit == 0 && srcBit == 0 && width % 8 == 0;
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* d = dst + static_cast<size_t>(y) * dstWB;
        const uint8_t* s = src + static_cast<size_t>(y) * srcWB;
        if (whole && !negate && op == CLxBinPicMemAPI::eBinReplace) {
            std::memmove(d, s, bytes);
            continue;
        }
        if (whole) {
            for (uint32_t j = 0; j < bytes; ++j)
                d[j] = Put(d[j], negate ? static_cast<uint8_t>(~s[j]) : s[j], op);
            continue;
        }
        RealignedLine line(s, srcBit, dstBit, width);
        for (uint32_t j = 0; j < bytes; ++j) {
            uint8_t mask = RunMask(j, dstBit, width);
            uint8_t v = line.Byte(j);
            if (negate)
                v = static_cast<uint8_t>(~v);
            uint8_t put = Put(d[j], v, op);
            d[j] = static_cast<uint8_t>((d[j] & ~mask) | (put & mask));
        }
    }
}

} // namespace

bool CLxBinPicMemAPI::IsEqual(const void* a, uint32_t aBit, uint32_t aWB, const void* b,
                              uint32_t bBit, uint32_t bWB, uint32_t width, uint32_t count)
{
    if (!a || !b || width == 0 || count / width == 0)
        return false;
    auto* pa = static_cast<const uint8_t*>(a);
    auto* pb = static_cast<const uint8_t*>(b);
    Normalise(pa, aBit);
    Normalise(pb, bBit);
    uint32_t lines = count / width;
    uint32_t bytes = static_cast<uint32_t>((static_cast<uint64_t>(aBit) + width + 7) / 8);
    bool whole = aBit == 0 && bBit == 0 && width % 8 == 0;
    for (uint32_t y = 0; y < lines; ++y) {
        const uint8_t* la = pa + static_cast<size_t>(y) * aWB;
        const uint8_t* lb = pb + static_cast<size_t>(y) * bWB;
        if (whole) {
            if (std::memcmp(la, lb, bytes) != 0)
                return false;
            continue;
        }
        RealignedLine line(lb, bBit, aBit, width);
        for (uint32_t j = 0; j < bytes; ++j) {
            uint8_t mask = RunMask(j, aBit, width);
            if (((la[j] ^ line.Byte(j)) & mask) != 0)
                return false;
        }
    }
    return true;
}

int CLxBinPicMemAPI::Copy(void* dst, uint32_t dstBit, uint32_t dstWB, const void* src,
                          uint32_t srcBit, uint32_t srcWB, uint32_t width, uint32_t count,
                          BinaryOp op)
{
    if (op != eBinReplace && op != eBinOr && op != eBinAnd)
        return -2;
    if (width == 0 || count / width == 0)
        return 0;
    if (!dst || !src)
        return -4;
    PutRun<false>(static_cast<uint8_t*>(dst), dstBit, dstWB, static_cast<const uint8_t*>(src),
                  srcBit, srcWB, width, count, op);
    return 0;
}

int CLxBinPicMemAPI::Complement(void* dst, uint32_t dstBit, uint32_t dstWB, const void* src,
                                uint32_t srcBit, uint32_t srcWB, uint32_t width, uint32_t count)
{
    return neg_bin_to_bin(static_cast<uint8_t*>(dst), dstBit, dstWB,
                          static_cast<const uint8_t*>(src), srcBit, srcWB, width, count);
}

int CLxBinPicMemAPI::Complement(void* data, uint32_t bit, uint32_t wb, uint32_t width,
                                uint32_t count)
{
    return neg_on_bin(static_cast<uint8_t*>(data), bit, wb, width, count);
}

int CLxBinPicMemAPI::GetValue(bool* result, uint32_t x, uint32_t y, const void* data, uint32_t wb,
                              uint32_t width, uint32_t count)
{
    if (!result || !data || width == 0 || x >= width || y >= count / width)
        return -4;
    const uint8_t* line = static_cast<const uint8_t*>(data) + static_cast<size_t>(y) * wb;
    *result = (line[x / 8] & (0x80u >> (x % 8))) != 0;
    return 0;
}

int CLxBinPicMemAPI::Stretch(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                             const void* src, uint32_t srcWB, uint32_t srcHeight, uint32_t srcX,
                             uint32_t srcY, uint32_t srcW, uint32_t srcH)
{
    return stretch_bin_to_bin(dst, dstWB, dstW, dstH, src, srcWB, srcHeight, srcX, srcY, srcW,
                              srcH);
}

int CLxBinPicMemAPI::StretchDisplay(void* dst, uint32_t winW, uint32_t winH, uint32_t dstWB,
                                    uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY,
                                    const void* src, uint32_t srcW, uint32_t srcH, uint32_t srcWB)
{
    return stretchdisplay_bin_to_bin(dst, winW, winH, dstWB, dispW, dispH, winX, winY, src, srcW,
                                     srcH, srcWB);
}

extern "C" {

int neg_bin_to_bin(uint8_t* dst, uint32_t dstBit, uint32_t dstWB, const uint8_t* src,
                   uint32_t srcBit, uint32_t srcWB, uint32_t width, uint32_t count)
{
    if (width == 0 || count / width == 0)
        return 0;
    if (!dst || !src)
        return -4;
    PutRun<true>(dst, dstBit, dstWB, src, srcBit, srcWB, width, count,
                 CLxBinPicMemAPI::eBinReplace);
    return 0;
}

int neg_on_bin(uint8_t* data, uint32_t bit, uint32_t wb, uint32_t width, uint32_t count)
{
    if (width == 0 || count / width == 0)
        return 0;
    if (!data)
        return -4;
    Normalise(data, bit);
    uint32_t lines = count / width;
    uint32_t bytes = static_cast<uint32_t>((static_cast<uint64_t>(bit) + width + 7) / 8);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* line = data + static_cast<size_t>(y) * wb;
        for (uint32_t j = 0; j < bytes; ++j)
            line[j] ^= RunMask(j, bit, width);
    }
    return 0;
}

} // extern "C"
