// Byte-line logic and whole-byte line shifts: a 64-bit word at a time
// through memcpy (no misaligned casts), then byte by byte.
#include <cstring>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"

namespace
{

struct AndOp {
    static uint64_t Apply(uint64_t a, uint64_t b) { return a & b; }
    static uint8_t Apply(uint8_t a, uint8_t b) { return static_cast<uint8_t>(a & b); }
};
struct OrOp {
    static uint64_t Apply(uint64_t a, uint64_t b) { return a | b; }
    static uint8_t Apply(uint8_t a, uint8_t b) { return static_cast<uint8_t>(a | b); }
};
struct XorOp {
    static uint64_t Apply(uint64_t a, uint64_t b) { return a ^ b; }
    static uint8_t Apply(uint8_t a, uint8_t b) { return static_cast<uint8_t>(a ^ b); }
};

inline uint64_t Load64(const uint8_t* p)
{
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

inline void Store64(uint8_t* p, uint64_t v)
{
    std::memcpy(p, &v, 8);
}

// a op= b, and b = a when fill is set.
template <class Op, bool fill>
inline __attribute__((always_inline)) void CombineLine(uint8_t* a, uint8_t* b, uint32_t n)
{
    uint32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t v = Op::Apply(Load64(a + i), Load64(b + i));
        Store64(a + i, v);
        if (fill)
            Store64(b + i, v);
    }
    for (; i < n; ++i) {
        a[i] = Op::Apply(a[i], b[i]);
        if (fill)
            b[i] = a[i];
    }
}

// Big-endian 64-bit view so that a shift by one moves pixels across bytes.
inline uint64_t LoadBE(const uint8_t* p)
{
    return __builtin_bswap64(Load64(p));
}

template <class Put>
inline void ShiftLeftLine(uint8_t* dst, const uint8_t* src, uint32_t n, Put put)
{
    // Forward: byte i needs bytes i and i + 1, and i + 1 is not yet written.
    uint32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t carry = i + 8 < n ? src[i + 8] >> 7 : 0;
        uint64_t v = (LoadBE(src + i) << 1) | carry;
        put(dst + i, __builtin_bswap64(v));
    }
    for (; i < n; ++i) {
        uint8_t carry = i + 1 < n ? static_cast<uint8_t>(src[i + 1] >> 7) : 0;
        put(dst + i, static_cast<uint8_t>((src[i] << 1) | carry));
    }
}

template <class Put>
inline void ShiftRightLine(uint8_t* dst, const uint8_t* src, uint32_t n, Put put)
{
    // Backward: byte i needs bytes i - 1 and i, and i - 1 is not yet written.
    uint32_t i = n;
    while (i >= 8) {
        i -= 8;
        uint64_t carry = i > 0 ? static_cast<uint64_t>(src[i - 1] & 1) << 63 : 0;
        uint64_t v = (LoadBE(src + i) >> 1) | carry;
        put(dst + i, __builtin_bswap64(v));
    }
    while (i > 0) {
        --i;
        uint8_t carry = i > 0 ? static_cast<uint8_t>(src[i - 1] << 7) : 0;
        put(dst + i, static_cast<uint8_t>((src[i] >> 1) | carry));
    }
}

struct PutReplace {
    void operator()(uint8_t* p, uint64_t v) const { Store64(p, v); }
    void operator()(uint8_t* p, uint8_t v) const { *p = v; }
};
struct PutOr {
    void operator()(uint8_t* p, uint64_t v) const { Store64(p, Load64(p) | v); }
    void operator()(uint8_t* p, uint8_t v) const { *p = static_cast<uint8_t>(*p | v); }
};
struct PutAnd {
    void operator()(uint8_t* p, uint64_t v) const { Store64(p, Load64(p) & v); }
    void operator()(uint8_t* p, uint8_t v) const { *p = static_cast<uint8_t>(*p & v); }
};

template <bool left>
void ShiftLine(void* dst, const void* src, uint32_t n, CLxBinPicMemAPI::BinaryOp op)
{
    if (!dst || !src)
        return;
    auto* d = static_cast<uint8_t*>(dst);
    auto* s = static_cast<const uint8_t*>(src);
    auto run = [&](auto put) {
        if (left)
            ShiftLeftLine(d, s, n, put);
        else
            ShiftRightLine(d, s, n, put);
    };
    switch (op) {
    case CLxBinPicMemAPI::eBinReplace:
        run(PutReplace());
        break;
    case CLxBinPicMemAPI::eBinOr:
        run(PutOr());
        break;
    case CLxBinPicMemAPI::eBinAnd:
        run(PutAnd());
        break;
    default:
        break;
    }
}

} // namespace

extern "C" {

LX_KERNEL_CLONES void Memory_And(void* a, const void* b, uint32_t n)
{
    CombineLine<AndOp, false>(static_cast<uint8_t*>(a),
                              const_cast<uint8_t*>(static_cast<const uint8_t*>(b)), n);
}

LX_KERNEL_CLONES void Memory_Or(void* a, const void* b, uint32_t n)
{
    CombineLine<OrOp, false>(static_cast<uint8_t*>(a),
                             const_cast<uint8_t*>(static_cast<const uint8_t*>(b)), n);
}

LX_KERNEL_CLONES void Memory_Xor(void* a, const void* b, uint32_t n)
{
    CombineLine<XorOp, false>(static_cast<uint8_t*>(a),
                              const_cast<uint8_t*>(static_cast<const uint8_t*>(b)), n);
}

LX_KERNEL_CLONES void Memory_And_FillDestAndSource(void* a, void* b, uint32_t n)
{
    CombineLine<AndOp, true>(static_cast<uint8_t*>(a), static_cast<uint8_t*>(b), n);
}

LX_KERNEL_CLONES void Memory_Or_FillDestAndSource(void* a, void* b, uint32_t n)
{
    CombineLine<OrOp, true>(static_cast<uint8_t*>(a), static_cast<uint8_t*>(b), n);
}

void Memory_Copy_2x(void* a, void* b, const void* s, uint32_t n)
{
    if (a != s)
        std::memmove(a, s, n);
    if (b != s)
        std::memmove(b, s, n);
}

} // extern "C"

void CLxBinPicMemAPI::ShiftLineLeft(void* dst, const void* src, uint32_t n, BinaryOp op)
{
    ShiftLine<true>(dst, src, n, op);
}

void CLxBinPicMemAPI::ShiftLineRight(void* dst, const void* src, uint32_t n, BinaryOp op)
{
    ShiftLine<false>(dst, src, n, op);
}

void CLxBinPicMemAPI::ShiftLineLeftInplace(void* line, uint32_t n)
{
    ShiftLine<true>(line, line, n, eBinReplace);
}

void CLxBinPicMemAPI::ShiftLineRightInplace(void* line, uint32_t n)
{
    ShiftLine<false>(line, line, n, eBinReplace);
}
