// The sRGB colour of a spectrum curve: the exact integrals of the curve
// times the CIE 1931 colour-matching functions, both linear between their
// points, then the sRGB matrix and transfer function.
#include <algorithm>
#include <cmath>

#include "gnr_metaformats/LxOpticalFilterSpectrum.h"
#include "gnr_picture/LxColorimetry.h"

namespace
{

// A piecewise-linear function walked at ascending positions: the segment
// pointer only moves forward, so a walk costs the points once; points that
// are not ascending give some value of a nearby segment, never a read
// outside them.
class CLinearWalk
{
  public:
    CLinearWalk(const double* x, const double* y, size_t stride, size_t n)
        : m_x(x), m_y(y), m_stride(stride), m_n(n)
    {
    }
    double At(double position)
    {
        while (m_k + 2 < m_n && X(m_k + 1) <= position)
            ++m_k;
        const double x0 = X(m_k), x1 = X(m_k + 1);
        const double y0 = Y(m_k), y1 = Y(m_k + 1);
        if (!(x1 != x0))
            return y0;
        return y0 + (y1 - y0) * (position - x0) / (x1 - x0);
    }

  private:
    double X(size_t i) const { return m_x[i * m_stride]; }
    double Y(size_t i) const { return m_y[i * m_stride]; }
    const double* m_x;
    const double* m_y;
    size_t m_stride;
    size_t m_n;
    size_t m_k = 0;
};

double sRGBTransf(double value)
{
    return value > 0.0031308 ? 1.055 * std::pow(value, 1.0 / 2.4) - 0.055 : 12.92 * value;
}

} // namespace

int CLxOpticalFilterSpectrum::GetsRGBColor(uint32_t& color) const
{
    if (!bPoints)
        return -2;
    color = 0;
    const SLxColorMatchingFunction& cmf = g_ColorMatchingFunction_CIE2deg;
    if (uiCount < 2 || cmf.uiRows < 2)
        return 0;

    const double lo = std::max(pPoint[0].dWavelength, cmf.pRows[0][0]);
    const double hi = std::min(pPoint[uiCount - 1].dWavelength, cmf.pRows[cmf.uiRows - 1][0]);
    double xyz[3] = {0.0, 0.0, 0.0};
    if (lo < hi) {
        // Break points of either function inside [lo, hi], ascending. On
        // each interval the product of two linear functions is a quadratic,
        // which Simpson's rule integrates exactly.
        CLinearWalk spectrum(&pPoint[0].dWavelength, &pPoint[0].dTValue,
                             sizeof(SLxOFSpectrumPoint) / sizeof(double), uiCount);
        CLinearWalk table[3] = {
            CLinearWalk(&cmf.pRows[0][0], &cmf.pRows[0][1], 4, cmf.uiRows),
            CLinearWalk(&cmf.pRows[0][0], &cmf.pRows[0][2], 4, cmf.uiRows),
            CLinearWalk(&cmf.pRows[0][0], &cmf.pRows[0][3], 4, cmf.uiRows),
        };
        uint32_t s = 0, t = 0;
        double x0 = lo;
        while (x0 < hi) {
            while (s < uiCount && !(pPoint[s].dWavelength > x0))
                ++s;
            while (t < cmf.uiRows && !(cmf.pRows[t][0] > x0))
                ++t;
            double x1 = hi;
            if (s < uiCount)
                x1 = std::min(x1, pPoint[s].dWavelength);
            if (t < cmf.uiRows)
                x1 = std::min(x1, cmf.pRows[t][0]);
            if (!(x1 > x0))
                break;
            const double xm = 0.5 * (x0 + x1);
            const double f0 = spectrum.At(x0), fm = spectrum.At(xm), f1 = spectrum.At(x1);
            for (int c = 0; c < 3; ++c) {
                // The walks move forward only, so each is asked in order.
                const double g0 = table[c].At(x0), gm = table[c].At(xm), g1 = table[c].At(x1);
                xyz[c] += (x1 - x0) / 6.0 * (f0 * g0 + 4.0 * fm * gm + f1 * g1);
            }
            x0 = x1;
        }
    }

    const double X = xyz[0], Y = xyz[1], Z = xyz[2];
    double rgb[3] = {
        sRGBTransf(3.24071 * X - 1.53726 * Y - 0.498571 * Z),
        sRGBTransf(-0.969258 * X + 1.87599 * Y + 0.0415557 * Z),
        sRGBTransf(0.0556352 * X - 0.203996 * Y + 1.05707 * Z),
    };
    const double largest = std::max({rgb[0], rgb[1], rgb[2]});
    // A curve without a visible part has no colour; never divide by it.
    if (!(largest > 0.0) || !std::isfinite(largest))
        return 0;
    for (int c = 0; c < 3; ++c) {
        double q = rgb[c] / largest;
        if (!(q > 0.0))
            q = 0.0;
        color |= uint32_t(q * 255.0 + 0.5) << (8 * c);
    }
    return 0;
}
