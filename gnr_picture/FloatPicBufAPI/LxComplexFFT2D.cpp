// Radix-2 decimation in time on interleaved complex lines; the column pass
// runs each butterfly across whole lines so that it streams memory.
#include "gnr_picture/FloatPicBufAPI/LxComplexFFT2D.h"

#include <algorithm>
#include <cmath>

#include "w32_system/memory/LxAlloc.h"

namespace lxpic
{

float** AllocFloatLines(uint32_t lines, uint32_t lineFloats)
{
    float** pointers =
        static_cast<float**>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, sizeof(float*) * lines));
    float* block = static_cast<float*>(CLxAlloc::Alloc(
        LX_HEAP_ZERO_MEMORY, sizeof(float) * static_cast<size_t>(lines) * lineFloats));
    if (!pointers || !block) {
        CLxAlloc::Free(pointers);
        CLxAlloc::Free(block);
        return nullptr;
    }
    for (uint32_t i = 0; i < lines; ++i)
        pointers[i] = block + static_cast<size_t>(i) * lineFloats;
    return pointers;
}

void FreeFloatLines(float** lines)
{
    if (!lines)
        return;
    CLxAlloc::Free(lines[0]);
    CLxAlloc::Free(lines);
}

void* AllocWords(size_t n)
{
    return CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, n * 4);
}

uint32_t ComplexFFT2DIndexWords(uint32_t h, uint32_t w)
{
    return static_cast<uint32_t>(std::sqrt(std::max(h, w) + 0.5)) + 2;
}

uint32_t ComplexFFT2DTwiddleWords(uint32_t h, uint32_t w)
{
    return std::max(h, 2 * w) + std::max(h / 2, w / 2);
}

void MakeFFTTables(uint32_t nw, int32_t* ip, float* w)
{
    ip[0] = static_cast<int32_t>(nw);
    ip[1] = 1;
    // nw x 4 floats a line are nw x 2 points; half a turn of pairs serves
    // every stage.
    const uint32_t points = nw * 2;
    const double step = 2.0 * M_PI / points;
    for (uint32_t j = 0; j < points / 2; ++j) {
        w[2 * j] = static_cast<float>(std::cos(step * j));
        w[2 * j + 1] = static_cast<float>(std::sin(step * j));
    }
}

namespace
{

uint32_t nextReversed(uint32_t j, uint32_t n)
{
    uint32_t k = n / 2;
    while (k >= 1 && k <= j) {
        j -= k;
        k /= 2;
    }
    return j + k;
}

// One line of n complex numbers.
void transformLine(float* a, uint32_t n, float sgn, const float* w, uint32_t points)
{
    for (uint32_t i = 0, j = 0; i + 1 < n; ++i, j = nextReversed(j, n))
        if (i < j) {
            std::swap(a[2 * i], a[2 * j]);
            std::swap(a[2 * i + 1], a[2 * j + 1]);
        }
    for (uint32_t l1 = 1; l1 < n; l1 *= 2) {
        const uint32_t stride = points / (2 * l1);
        for (uint32_t j = 0; j < l1; ++j) {
            const float ur = w[2 * j * stride], ui = sgn * w[2 * j * stride + 1];
            for (uint32_t i = j; i < n; i += 2 * l1) {
                float* p = a + 2 * i;
                float* q = a + 2 * (i + l1);
                const float tr = ur * q[0] - ui * q[1];
                const float ti = ur * q[1] + ui * q[0];
                q[0] = p[0] - tr;
                q[1] = p[1] - ti;
                p[0] += tr;
                p[1] += ti;
            }
        }
    }
}

// Every column at once: the butterflies combine whole lines.
void transformColumns(float** lines, uint32_t h, uint32_t lineFloats, float sgn, const float* w,
                      uint32_t points)
{
    for (uint32_t i = 0, j = 0; i + 1 < h; ++i, j = nextReversed(j, h))
        if (i < j)
            std::swap_ranges(lines[i], lines[i] + lineFloats, lines[j]);
    for (uint32_t l1 = 1; l1 < h; l1 *= 2) {
        const uint32_t stride = points / (2 * l1);
        for (uint32_t j = 0; j < l1; ++j) {
            const float ur = w[2 * j * stride], ui = sgn * w[2 * j * stride + 1];
            for (uint32_t i = j; i < h; i += 2 * l1) {
                float* p = lines[i];
                float* q = lines[i + l1];
                for (uint32_t x = 0; x < lineFloats; x += 2) {
                    const float tr = ur * q[x] - ui * q[x + 1];
                    const float ti = ur * q[x + 1] + ui * q[x];
                    q[x] = p[x] - tr;
                    q[x + 1] = p[x + 1] - ti;
                    p[x] += tr;
                    p[x + 1] += ti;
                }
            }
        }
    }
}

} // namespace

void ComplexFFT2D(uint32_t h, uint32_t lineFloats, int sign, float** lines, int32_t* ip, float* w)
{
    const uint32_t n = std::max(2 * h, lineFloats);
    if (n > 4 * static_cast<uint32_t>(ip[0]))
        MakeFFTTables(n / 4, ip, w);
    const uint32_t points = 2 * static_cast<uint32_t>(ip[0]);
    const float sgn = sign >= 0 ? 1.0f : -1.0f;
    const uint32_t width = lineFloats / 2;
    if (width > 1)
        for (uint32_t y = 0; y < h; ++y)
            transformLine(lines[y], width, sgn, w, points);
    if (h > 1)
        transformColumns(lines, h, lineFloats, sgn, w, points);
}

} // namespace lxpic
