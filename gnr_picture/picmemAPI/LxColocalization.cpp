// Colocalization of two channels.
#include <cmath>
#include <cstddef>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

struct Sums {
    double a = 0, b = 0, aa = 0, bb = 0, ab = 0, ma = 0, mb = 0;
};

// A sample below its background counts as 0 rather than wrapping round.
inline uint32_t lessBackground(uint32_t v, uint32_t background)
{
    return v > background ? v - background : 0;
}

template <class T>
Sums sums(const void* src1, uint32_t wb1, const void* src2, uint32_t wb2, uint32_t step,
          uint32_t width, uint32_t rows, uint32_t bg1, uint32_t bg2)
{
    Sums s;
    for (uint32_t r = 0; r < rows; ++r) {
        const T* p =
            reinterpret_cast<const T*>(static_cast<const uint8_t*>(src1) + size_t(r) * wb1);
        const T* q =
            reinterpret_cast<const T*>(static_cast<const uint8_t*>(src2) + size_t(r) * wb2);
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t a = lessBackground(p[size_t(x) * step], bg1);
            const uint32_t b = lessBackground(q[size_t(x) * step], bg2);
            s.a += a;
            s.b += b;
            s.aa += double(a * a);
            s.bb += double(b * b);
            s.ab += double(a * b);
            if (b != 0)
                s.ma += a;
            if (a != 0)
                s.mb += b;
        }
    }
    return s;
}

} // namespace

int CLxPicMemAPI::Colocalization(const void* src1, uint32_t src1WB, const void* src2,
                                 uint32_t src2WB, uint32_t step, uint32_t bits, uint32_t width,
                                 uint32_t count, uint32_t background1, uint32_t background2,
                                 double& pearson, double& overlap, double& k1, double& k2,
                                 double& m1, double& m2, double& meanA, double& meanB,
                                 double& denominator)
{
    if (bits > 16)
        return -2;
    if (src1 == nullptr || src2 == nullptr)
        return -4;
    const uint32_t rows = width == 0 ? 0 : count / width;
    const Sums s = bits <= 8 ? sums<uint8_t>(src1, src1WB, src2, src2WB, step, width, rows,
                                             background1, background2)
                             : sums<uint16_t>(src1, src1WB, src2, src2WB, step, width, rows,
                                              background1, background2);
    // The pixels walked, not the count passed: a partial line adds nothing.
    const double n = double(uint64_t(rows) * width);
    meanA = s.a / n;
    meanB = s.b / n;
    denominator = std::sqrt((s.bb - meanB * s.b) * (s.aa - s.a * meanA));
    pearson = (s.ab - s.b * meanA - s.a * meanB + s.a * s.b / n) / denominator;
    overlap = s.ab / std::sqrt(s.bb * s.aa);
    k1 = s.ab / s.aa;
    k2 = s.ab / s.bb;
    m1 = s.ma / s.a;
    m2 = s.mb / s.b;
    return 0;
}
