// Screen blend of a fluorescence channel over a DIC picture.
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <memory>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

inline const uint8_t* lineOf(const void* p, uint32_t wb, uint32_t r)
{
    return static_cast<const uint8_t*>(p) + size_t(r) * wb;
}

// A sample of bits depth at pixel x, component c.
inline uint32_t sampleAt(const uint8_t* line, uint32_t bits, uint32_t comps, uint32_t x, uint32_t c)
{
    const size_t i = size_t(x) * comps + c;
    return bits <= 8 ? line[i] : reinterpret_cast<const uint16_t*>(line)[i];
}

inline double screen(double a, double b)
{
    return a + b - a * b;
}

struct Picture {
    const void* data;
    uint32_t wb, comps, bits;
};

// Each source over its own maximum, the result over the destination's.
int mixByFormula(void* dst, uint32_t dstWB, uint32_t dstComps, uint32_t dstBits, uint32_t dstComp,
                 const Picture& s1, uint32_t comp1, const Picture& s2, double gamma, uint32_t width,
                 uint32_t rows)
{
    const double max1 = double((1u << s1.bits) - 1), max2 = double((1u << s2.bits) - 1);
    const double maxD = double((1u << dstBits) - 1);
    for (uint32_t r = 0; r < rows; ++r) {
        const uint8_t* l1 = lineOf(s1.data, s1.wb, r);
        const uint8_t* l2 = lineOf(s2.data, s2.wb, r);
        uint8_t* d = static_cast<uint8_t*>(dst) + size_t(r) * dstWB;
        for (uint32_t x = 0; x < width; ++x) {
            const double a = std::pow(
                std::fmin(sampleAt(l1, s1.bits, s1.comps, x, comp1) / max1, 1.0), 1.0 / gamma);
            const double b = std::fmin(sampleAt(l2, s2.bits, s2.comps, x, 0) / max2, 1.0);
            const double y = std::floor(std::fmin(screen(a, b), 1.0) * maxD);
            const size_t i = size_t(x) * dstComps + dstComp;
            if (dstBits <= 8)
                d[i] = uint8_t(y);
            else
                reinterpret_cast<uint16_t*>(d)[i] = uint16_t(y);
        }
    }
    return 0;
}

int mixByTable(uint8_t* dst, uint32_t dstWB, uint32_t dstComps, uint32_t dstComp, const Picture& s1,
               uint32_t comp1, const Picture& s2, double gamma, uint32_t width, uint32_t rows)
{
    struct Free {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint8_t, Free> table(static_cast<uint8_t*>(std::malloc(256 * 256)));
    if (!table)
        return -3;
    uint8_t* t = table.get();
    for (uint32_t v1 = 0; v1 < 256; ++v1) {
        const double a = std::pow(v1 / 255.0, 1.0 / gamma);
        for (uint32_t v2 = 0; v2 < 256; ++v2)
            t[v1 * 256 + v2] = uint8_t(std::floor(std::fmin(screen(a, v2 / 255.0), 1.0) * 255.0));
    }
    for (uint32_t r = 0; r < rows; ++r) {
        const uint8_t* l1 = lineOf(s1.data, s1.wb, r);
        const uint8_t* l2 = lineOf(s2.data, s2.wb, r);
        uint8_t* d = dst + size_t(r) * dstWB;
        for (uint32_t x = 0; x < width; ++x)
            d[size_t(x) * dstComps + dstComp] =
                t[l1[size_t(x) * s1.comps + comp1] * 256 + l2[size_t(x) * s2.comps]];
    }
    return 0;
}

} // namespace

int CLxPicMemAPI::MixDicAndFluo(void* dst, uint32_t dstWB, uint32_t dstComps, uint32_t dstBits,
                                const void* src1, uint32_t src1WB, uint32_t src1Comps,
                                uint32_t src1Bits, const void* src2, uint32_t src2WB,
                                uint32_t src2Comps, uint32_t src2Bits, uint32_t component,
                                double gamma, uint32_t width, uint32_t count)
{
    if (width == 0 || count == 0)
        return 0;
    if (dst == nullptr || src1 == nullptr || src2 == nullptr || !(gamma > 0.0) ||
        component >= src1Comps || src2Comps == 0 || dstComps == 0)
        return -4;
    if (dstBits > 16 || src1Bits > 16 || src2Bits > 16 || dstBits == 0 || src1Bits == 0 ||
        src2Bits == 0)
        return -2;
    const uint32_t dstComp = component < dstComps ? component : 0;
    const uint32_t rows = count / width;
    const Picture s1{src1, src1WB, src1Comps, src1Bits}, s2{src2, src2WB, src2Comps, src2Bits};
    if (dstBits > 8) {
        if (src1Bits <= 8 || src2Bits <= 8)
            return -2;
        return mixByFormula(dst, dstWB, dstComps, dstBits, dstComp, s1, component, s2, gamma, width,
                            rows);
    }
    if (src1Bits <= 8 && src2Bits <= 8)
        return mixByTable(static_cast<uint8_t*>(dst), dstWB, dstComps, dstComp, s1, component, s2,
                          gamma, width, rows);
    return mixByFormula(dst, dstWB, dstComps, 8, dstComp, s1, component, s2, gamma, width, rows);
}
