// Spectra: points and the curve/band rule, peaks, drawing, intersection and
// colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "gnr_metaformats/LxOpticalFilterSpectrum.h"
#include "gnr_picture/LxColorimetry.h"

namespace
{

typedef SLxOFSpectrumPoint P;

CLxOpticalFilterSpectrum Band(double from, double to)
{
    CLxOpticalFilterSpectrum s;
    s.AddPoint(P(P::eSptRisingEdge, from, 1.0));
    s.AddPoint(P(P::eSptFallingEdge, to, 1.0));
    return s;
}

CLxOpticalFilterSpectrum Curve(const std::vector<std::pair<double, double>>& points)
{
    CLxOpticalFilterSpectrum s;
    for (const auto& p : points)
        EXPECT_EQ(s.AddPoint(P(P::eSptPoint, p.first, p.second)), 0);
    return s;
}

std::vector<std::pair<P::ELxOFSpectrumPointType, double>> Points(const CLxOpticalFilterSpectrum& s)
{
    std::vector<std::pair<P::ELxOFSpectrumPointType, double>> out;
    for (uint32_t i = 0; i < s.GetCount(); ++i)
        out.push_back({s[i].eType, s[i].dWavelength});
    return out;
}

TEST(Spectrum, OneBandHasItsMiddleAsPeakAndDrawsWithRamps)
{
    const CLxOpticalFilterSpectrum s = Band(500, 550);
    double peak = 0, lower = 0, upper = 0;
    ASSERT_EQ(s.GetPeakAndFwhm(peak, lower, upper), 0);
    EXPECT_EQ(peak, 525.0);
    EXPECT_EQ(lower, 500.0);
    EXPECT_EQ(upper, 550.0);

    ASSERT_EQ(s.GetTabbedPointCount(), 4u);
    double wl[4], val[4];
    ASSERT_EQ(s.GetTabbedCurve(wl, val, 4), 0);
    const double expectWl[4] = {499, 500, 550, 551}, expectVal[4] = {0, 100, 100, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(wl[i], expectWl[i]);
        EXPECT_EQ(val[i], expectVal[i]);
    }
}

TEST(Spectrum, DrawingNeverWritesPastTheCapacity)
{
    CLxOpticalFilterSpectrum s;
    s.AddPoint(P(P::eSptRisingEdge, 500, 1));
    s.AddPoint(P(P::eSptPeak, 600, 1));
    ASSERT_EQ(s.GetTabbedPointCount(), 5u);
    for (uint32_t n = 0; n <= 5; ++n) {
        std::vector<double> wl(n + 1, -7.0), val(n + 1, -7.0);
        ASSERT_EQ(s.GetTabbedCurve(wl.data(), val.data(), n), 0);
        EXPECT_EQ(wl[n], -7.0) << n;
        EXPECT_EQ(val[n], -7.0) << n;
    }
    double one = 0;
    EXPECT_EQ(s.GetTabbedCurve(nullptr, &one, 1), -4);
}

TEST(Spectrum, BandPeaksSkipBrokenEdgesAndFindLines)
{
    CLxOpticalFilterSpectrum s;
    s.AddPoint(P(P::eSptRisingEdge, 400, 1));
    s.AddPoint(P(P::eSptPeak, 420, 1)); // skipped with the edge before it
    s.AddPoint(P(P::eSptPeak, 480, 1));
    double peak = 0, lower = 0, upper = 0;
    ASSERT_EQ(s.GetPeakAndFwhm(peak, lower, upper), 0);
    EXPECT_EQ(peak, 480.0);
    EXPECT_EQ(lower, 480.0);
    EXPECT_EQ(upper, 480.0);

    CLxOpticalFilterSpectrum none;
    none.AddPoint(P(P::eSptFallingEdge, 400, 1));
    EXPECT_EQ(none.GetPeakAndFwhm(peak, lower, upper), -13);
}

TEST(Spectrum, CurvePeakIsThePlateauMiddleAndHalfPointsAreTheFirstBelowHalf)
{
    const CLxOpticalFilterSpectrum s =
        Curve({{500, 0}, {510, 40}, {520, 100}, {530, 100}, {540, 60}, {550, 10}});
    double peak = 0, lower = 0, upper = 0;
    ASSERT_EQ(s.GetPeakAndFwhm(peak, lower, upper), 0);
    EXPECT_EQ(peak, 525.0);
    EXPECT_EQ(lower, 510.0);
    EXPECT_EQ(upper, 550.0);

    // Never below half on the long side.
    const CLxOpticalFilterSpectrum open = Curve({{500, 0}, {510, 100}, {520, 80}});
    EXPECT_EQ(open.GetPeakAndFwhm(peak, lower, upper), -13);
    EXPECT_EQ(CLxOpticalFilterSpectrum().GetPeakAndFwhm(peak, lower, upper), -13);
    CLxOpticalFilterSpectrum emptyCurve(nullptr, nullptr, 0);
    emptyCurve.bPoints = true;
    EXPECT_EQ(emptyCurve.GetPeakAndFwhm(peak, lower, upper), -4);
}

TEST(Spectrum, TheKindRuleRefusesMixedPointsAndChangesNothing)
{
    CLxOpticalFilterSpectrum band = Band(500, 550);
    EXPECT_EQ(band.AddPoint(P(P::eSptPoint, 560, 1)), -4);
    EXPECT_EQ(band.InsertPoint(P(P::eSptPoint, 560, 1), 0), -4);
    EXPECT_EQ(band.GetCount(), 2u);
    EXPECT_FALSE(band.bPoints);

    CLxOpticalFilterSpectrum curve = Curve({{500, 1}});
    EXPECT_TRUE(curve.bPoints);
    EXPECT_EQ(curve.AddPoint(P(P::eSptRisingEdge, 560, 1)), -4);
    EXPECT_EQ(curve.GetCount(), 1u);

    const double wl[2] = {500, 510}, val[2] = {1, 2};
    CLxOpticalFilterSpectrum sampled(wl, val, 2);
    EXPECT_TRUE(sampled.bPoints);
    EXPECT_EQ(sampled.AddPoint(P(P::eSptNone, 520, 1)), -4);
    EXPECT_EQ(sampled.AddPoint(P(P::eSptPoint, 520, 1)), 0);
    EXPECT_EQ(sampled.GetCount(), 3u);
}

TEST(Spectrum, PointsInsertAndRemoveByIndex)
{
    CLxOpticalFilterSpectrum s = Curve({{500, 1}, {520, 3}});
    EXPECT_EQ(s.InsertPoint(P(P::eSptPoint, 510, 2), 1), 0);
    EXPECT_EQ(s.InsertPoint(P(P::eSptPoint, 530, 4), 3), 0);
    EXPECT_EQ(s.InsertPoint(P(P::eSptPoint, 540, 4), 5), -4);
    ASSERT_EQ(s.GetCount(), 4u);
    EXPECT_EQ(s[1].dWavelength, 510.0);
    EXPECT_EQ(s[3].dWavelength, 530.0);
    EXPECT_EQ(s.RemovePoint(4), -4);
    EXPECT_EQ(s.RemovePoint(0), 0);
    EXPECT_EQ(s[0].dWavelength, 510.0);
    // Past the end: a shared point of zeros, whatever was written into it.
    s[99].dWavelength = 5.0;
    EXPECT_EQ(s[99].dWavelength, 0.0);
}

TEST(Spectrum, NearestPointFavoursTheFirstAndRefusesOutside)
{
    const CLxOpticalFilterSpectrum s = Curve({{500, 1}, {510, 1}, {520, 1}});
    uint32_t index = 99;
    ASSERT_EQ(s.FindNearestPoint(500, index), 0);
    EXPECT_EQ(index, 0u);
    ASSERT_EQ(s.FindNearestPoint(505, index), 0);
    EXPECT_EQ(index, 0u);
    ASSERT_EQ(s.FindNearestPoint(516, index), 0);
    EXPECT_EQ(index, 2u);
    EXPECT_EQ(s.FindNearestPoint(499.9, index), -13);
    EXPECT_EQ(s.FindNearestPoint(520.1, index), -13);
    EXPECT_EQ(s.FindNearestPoint(NAN, index), -13);
    EXPECT_EQ(CLxOpticalFilterSpectrum().FindNearestPoint(500, index), -13);
}

TEST(Spectrum, CombiningOverlappingBandsKeepsTheOverlap)
{
    CLxOpticalFilterSpectrum s = Band(500, 550);
    s.Combine(Band(540, 600), false);
    EXPECT_EQ(Points(s), Points(Band(540, 550)));
}

TEST(Spectrum, CombiningSeparateBandsKeepsThisOneUnlessBridged)
{
    CLxOpticalFilterSpectrum s = Band(500, 550);
    s.Combine(Band(560, 600), false);
    EXPECT_EQ(Points(s), Points(Band(500, 550)));
    s.Combine(Band(560, 600), true);
    EXPECT_EQ(Points(s), Points(Band(549, 550)));
}

TEST(Spectrum, CombiningWithEmptySpectra)
{
    CLxOpticalFilterSpectrum empty;
    empty.Combine(Band(500, 550), false);
    EXPECT_EQ(Points(empty), Points(Band(500, 550)));
    CLxOpticalFilterSpectrum s = Band(500, 550);
    s.Combine(CLxOpticalFilterSpectrum(), true);
    EXPECT_EQ(Points(s), Points(Band(500, 550)));
}

TEST(Spectrum, OperationsOnUnorderedPointsEnd)
{
    const double wl[6] = {600, 400, 700, 350, 500, 450}, val[6] = {5, 50, 1, 80, 20, 3};
    CLxOpticalFilterSpectrum curve(wl, val, 6);
    double a, b, c;
    curve.GetPeakAndFwhm(a, b, c);
    uint32_t color = 0, index = 0;
    EXPECT_EQ(curve.GetsRGBColor(color), 0);
    EXPECT_EQ(curve.GetRGBColor(color), 0);
    curve.FindNearestPoint(500, index);
    CLxOpticalFilterSpectrum band;
    band.AddPoint(P(P::eSptFallingEdge, 600, 1));
    band.AddPoint(P(P::eSptRisingEdge, 400, 1));
    band.AddPoint(P(P::eSptPeak, 500, 1));
    band.AddPoint(P(P::eSptFallingEdge, 300, 1));
    CLxOpticalFilterSpectrum other = Band(450, 350);
    other.Combine(band, true);
    band.Combine(other, true);
    EXPECT_LE(band.GetCount(), 8u);
}

TEST(Spectrum, WeightedColourOfACurve)
{
    uint32_t red = 0, green = 0;
    LX_RGBFromWavelength(&red, 650);
    LX_RGBFromWavelength(&green, 520);
    uint32_t color = 1;
    ASSERT_EQ(Curve({{650, 3}, {520, 1}}).GetRGBColor(color), 0);
    for (int b = 0; b < 3; ++b) {
        const double expected = (3.0 * ((red >> (8 * b)) & 0xFF) + ((green >> (8 * b)) & 0xFF)) / 4;
        EXPECT_EQ((color >> (8 * b)) & 0xFF, uint32_t(expected)) << b;
    }
    EXPECT_EQ(Curve({{650, 0}, {520, 0}}).GetRGBColor(color), 0);
    EXPECT_EQ(color, 0u);
    EXPECT_EQ(Band(500, 550).GetRGBColor(color), -2);
    EXPECT_EQ(Band(500, 550).GetsRGBColor(color), -2);
}

// The oracle: trapezoids of 1/64 nm over the product of the two
// piecewise-linear functions, then the same sRGB steps.
double Linear(const std::vector<std::pair<double, double>>& f, double x)
{
    if (x <= f.front().first)
        return f.front().second;
    for (size_t i = 1; i < f.size(); ++i) {
        if (x <= f[i].first) {
            const double t = (x - f[i - 1].first) / (f[i].first - f[i - 1].first);
            return f[i - 1].second + t * (f[i].second - f[i - 1].second);
        }
    }
    return f.back().second;
}

// The table at x, linear between its rows (1 nm apart from 360 nm).
double TableAt(int column, double x)
{
    const SLxColorMatchingFunction& cmf = g_ColorMatchingFunction_CIE2deg;
    const double offset = x - cmf.pRows[0][0];
    const uint32_t i = std::min(uint32_t(offset), cmf.uiRows - 2);
    const double t = offset - i;
    return cmf.pRows[i][column] + t * (cmf.pRows[i + 1][column] - cmf.pRows[i][column]);
}

uint32_t OracleColor(const std::vector<std::pair<double, double>>& curve)
{
    const double lo = std::max(curve.front().first, 360.0);
    const double hi = std::min(curve.back().first, 830.0);
    double xyz[3] = {0, 0, 0};
    const double h = 1.0 / 64;
    for (double x = lo; x < hi; x += h) {
        const double x1 = std::min(x + h, hi);
        for (int c = 0; c < 3; ++c)
            xyz[c] +=
                (x1 - x) * 0.5 *
                (Linear(curve, x) * TableAt(1 + c, x) + Linear(curve, x1) * TableAt(1 + c, x1));
    }
    auto transfer = [](double v) {
        return v > 0.0031308 ? 1.055 * std::pow(v, 1 / 2.4) - 0.055 : 12.92 * v;
    };
    const double rgb[3] = {
        transfer(3.24071 * xyz[0] - 1.53726 * xyz[1] - 0.498571 * xyz[2]),
        transfer(-0.969258 * xyz[0] + 1.87599 * xyz[1] + 0.0415557 * xyz[2]),
        transfer(0.0556352 * xyz[0] - 0.203996 * xyz[1] + 1.05707 * xyz[2]),
    };
    const double m = std::max({rgb[0], rgb[1], rgb[2]});
    if (!(m > 0))
        return 0;
    uint32_t color = 0;
    for (int c = 0; c < 3; ++c)
        color |= uint32_t(std::max(rgb[c] / m, 0.0) * 255.0 + 0.5) << (8 * c);
    return color;
}

TEST(Spectrum, sRGBColourMatchesAFineIntegralOfTheSameFunctions)
{
    const std::vector<std::vector<std::pair<double, double>>> curves = {
        {{500, 0}, {510.5, 100}, {520, 0}},
        {{440, 10}, {460, 90}, {480, 30}, {600.25, 5}},
        {{300, 50}, {900, 50}},
        {{600, 0}, {620, 40}, {640, 100}, {660, 20}, {700, 0}},
        {{380, 100}, {380.7, 80}, {420, 0}},
        {{350, 1}, {365, 3}, {820, 2}, {840, 9}},
    };
    for (const auto& c : curves) {
        uint32_t color = 0;
        ASSERT_EQ(Curve(c).GetsRGBColor(color), 0);
        const uint32_t expected = OracleColor(c);
        EXPECT_NE(expected, 0u);
        for (int b = 0; b < 3; ++b) {
            const int got = int((color >> (8 * b)) & 0xFF),
                      want = int((expected >> (8 * b)) & 0xFF);
            EXPECT_LE(std::abs(got - want), 1)
                << "curve from " << c.front().first << ", byte " << b;
        }
    }
}

TEST(Spectrum, sRGBColourOfCurvesWithoutVisibleLightIsBlack)
{
    uint32_t color = 7;
    EXPECT_EQ(Curve({{550, 100}}).GetsRGBColor(color), 0);
    EXPECT_EQ(color, 0u);
    color = 7;
    EXPECT_EQ(Curve({{900, 100}, {1000, 100}}).GetsRGBColor(color), 0);
    EXPECT_EQ(color, 0u);
    color = 7;
    EXPECT_EQ(Curve({{200, 100}, {300, 100}}).GetsRGBColor(color), 0);
    EXPECT_EQ(color, 0u);
    color = 7;
    EXPECT_EQ(Curve({{500, 0}, {600, 0}}).GetsRGBColor(color), 0);
    EXPECT_EQ(color, 0u);
}

} // namespace
