// Limits and scale factors of a bit depth, and the conversion of a sample
// between its integer form and the 0 to 255 real scale.
#include <cmath>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace
{

// The exponent of the real-scale divisor: max(b - 8, 0), held to 64 (no
// sample is wider) so that every scale stays a finite double.
int scaleExponent(uint32_t b)
{
    return b <= 8 ? 0 : b - 8 < 64 ? int(b - 8) : 64;
}

// Shifts whose count is taken modulo 32, as the conversions have always
// counted them, without shifting by 32 or more.
uint32_t shiftLeft(uint32_t v, uint32_t n)
{
    return v << (n & 31u);
}
uint32_t shiftRight(uint32_t v, uint32_t n)
{
    return v >> (n & 31u);
}

} // namespace

uint32_t CLxPicMemAPI::CalcUintMax(uint32_t b)
{
    return lxpic::maxOfBits(b);
}

uint16_t CLxPicBufAPI::GetBitMask(uint32_t bits)
{
    return uint16_t(CLxPicMemAPI::CalcUintMax(bits) & 0xFFFFu);
}

int32_t CLxPicMemAPI::CalcIntMax(uint32_t b)
{
    if (b == 0)
        return 0;
    return int32_t((uint64_t(1) << (b < 32 ? b - 1 : 31)) - 1);
}

int32_t CLxPicMemAPI::CalcIntMin(uint32_t b)
{
    if (b == 0)
        return 0;
    return int32_t(-(int64_t(1) << (b < 32 ? b - 1 : 31)));
}

double CLxPicMemAPI::CalcUintToDbl(uint32_t value, uint32_t b)
{
    return std::ldexp(double(value), -scaleExponent(b));
}

uint32_t CLxPicMemAPI::CalcDblToUint(double real, uint32_t b)
{
    const double v = std::ldexp(real, scaleExponent(b));
    if (!(v > 0.0)) // negative, zero and NaN
        return 0;
    if (v >= 4294967295.0)
        return 0xFFFFFFFFu;
    return uint32_t(v);
}

double CLxPicMemAPI::CalcDblMax(uint32_t b)
{
    const double s = std::ldexp(1.0, scaleExponent(b));
    return 255.0 + (s - 1.0) / s;
}

uint32_t CLxPicMemAPI::CalcDecimalPrecision(uint32_t b)
{
    const int e = scaleExponent(b);
    uint64_t largest = e >= 64 ? UINT64_MAX : (uint64_t(1) << e) - 1;
    uint32_t digits = 0;
    for (; largest != 0; largest /= 10)
        ++digits;
    return digits;
}

uint32_t CLxPicMemAPI::CalcConvertBpc(uint32_t toBits, uint32_t value, uint32_t fromBits)
{
    if (toBits == fromBits)
        return value;
    if (toBits < fromBits)
        return shiftRight(value, fromBits - toBits);
    // 2 x fromBits - toBits may be negative: its unsigned wrap, modulo 32, is
    // the count.
    return shiftLeft(value, toBits - fromBits) + shiftRight(value, 2 * fromBits - toBits);
}
