// Fused line kernels of the 3 x 3 square (see LxBinFusedLines.h).
#include "LxBinFusedLines.h"

#include <cstring>

#include "gnr_picture/picmemAPI/LxKernelClones.h"

namespace
{

inline uint64_t LoadBE(const uint8_t* p)
{
    uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
}

inline void StoreBE(uint8_t* p, uint64_t v)
{
    v = __builtin_bswap64(v);
    std::memcpy(p, &v, 8);
}

inline bool Bit(const uint8_t* line, uint32_t x)
{
    return (line[x / 8] & (0x80u >> (x % 8))) != 0;
}

inline void PutBit(uint8_t* line, uint32_t x, bool v)
{
    uint8_t m = static_cast<uint8_t>(0x80u >> (x % 8));
    line[x / 8] = static_cast<uint8_t>(v ? line[x / 8] | m : line[x / 8] & ~m);
}

template <bool erode> inline uint64_t Op3(uint64_t a, uint64_t b, uint64_t c)
{
    return erode ? (a & b & c) : (a | b | c);
}

template <bool erode>
inline __attribute__((always_inline)) void Row3(uint8_t* dst, const uint8_t* src, uint32_t n,
                                                uint32_t width)
{
    uint32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t v = LoadBE(src + i);
        uint64_t next = i + 8 < n ? src[i + 8] >> 7 : 0;
        uint64_t prev = i > 0 ? static_cast<uint64_t>(src[i - 1] & 1) << 63 : 0;
        StoreBE(dst + i, Op3<erode>(v, (v << 1) | next, (v >> 1) | prev));
    }
    for (; i < n; ++i) {
        uint32_t v = src[i];
        uint32_t next = i + 1 < n ? src[i + 1] >> 7 : 0;
        uint32_t prev = i > 0 ? (src[i - 1] & 1u) << 7 : 0;
        dst[i] = static_cast<uint8_t>(Op3<erode>(v, ((v << 1) | next) & 0xFF, (v >> 1) | prev));
    }
    // The border pixels see themselves outside the picture.
    uint32_t last = width - 1;
    bool first = Bit(src, 0), second = Bit(src, width > 1 ? 1 : 0);
    bool end = Bit(src, last), before = Bit(src, last > 0 ? last - 1 : 0);
    PutBit(dst, 0, erode ? (first && second) : (first || second));
    PutBit(dst, last, erode ? (end && before) : (end || before));
}

template <bool erode>
inline __attribute__((always_inline)) void Lines3(uint8_t* dst, const uint8_t* a, const uint8_t* b,
                                                  const uint8_t* c, uint32_t n)
{
    uint32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t x, y, z;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        std::memcpy(&z, c + i, 8);
        uint64_t r = Op3<erode>(x, y, z);
        std::memcpy(dst + i, &r, 8);
    }
    for (; i < n; ++i)
        dst[i] = static_cast<uint8_t>(Op3<erode>(a[i], b[i], c[i]));
}

} // namespace

namespace lx_bin
{

LX_KERNEL_CLONES void Row3And(uint8_t* dst, const uint8_t* src, uint32_t n, uint32_t width)
{
    Row3<true>(dst, src, n, width);
}

LX_KERNEL_CLONES void Row3Or(uint8_t* dst, const uint8_t* src, uint32_t n, uint32_t width)
{
    Row3<false>(dst, src, n, width);
}

LX_KERNEL_CLONES void Lines3And(uint8_t* dst, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                                uint32_t n)
{
    Lines3<true>(dst, a, b, c, n);
}

LX_KERNEL_CLONES void Lines3Or(uint8_t* dst, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                               uint32_t n)
{
    Lines3<false>(dst, a, b, c, n);
}

} // namespace lx_bin
