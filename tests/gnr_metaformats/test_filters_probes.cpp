// Filters, filter paths and fluorescent probes.
#include <gtest/gtest.h>

#include "gnr_metaformats/LxFluorescentProbe.h"
#include "gnr_metaformats/LxOpticalFilter.h"
#include "gnr_picture/LxColorimetry.h"

namespace
{

typedef SLxOFSpectrumPoint P;
typedef CLxOpticalFilter F;

CLxOpticalFilterSpectrum Band(double from, double to)
{
    CLxOpticalFilterSpectrum s;
    s.AddPoint(P(P::eSptRisingEdge, from, 1.0));
    s.AddPoint(P(P::eSptFallingEdge, to, 1.0));
    return s;
}

CLxOpticalFilterSpectrum Line(double at)
{
    return CLxOpticalFilterSpectrum(at, P::eSptPeak);
}

CLxOpticalFilterSpectrum Curve(std::initializer_list<std::pair<double, double>> points)
{
    CLxOpticalFilterSpectrum s;
    for (const auto& p : points)
        s.AddPoint(P(P::eSptPoint, p.first, p.second));
    return s;
}

F Filter(F::ELxOpticalFilterPlacement placement, const CLxOpticalFilterSpectrum& excitation,
         const CLxOpticalFilterSpectrum& emission,
         const CLxOpticalFilterSpectrum& mirror = CLxOpticalFilterSpectrum())
{
    return F(u"f", placement, F::eOfnUnknown, F::eOfsDefault, 0, excitation, emission, mirror);
}

TEST(OpticalFilter, DefaultsAndTheSpectraEachPlacementShows)
{
    const F plain;
    EXPECT_EQ(plain.GetPlacement(), F::eOfpExcitation);
    EXPECT_EQ(plain.GetSpectrumType(), 7u);
    EXPECT_EQ(plain.GetNature(), 0u);

    const CLxOpticalFilterSpectrum band = Band(500, 550);
    struct {
        uint32_t placement;
        bool excitation, emission, mirror, block;
    } cases[] = {{1, true, false, false, false},
                 {2, false, true, false, false},
                 {3, true, true, true, true},
                 {0, false, false, false, false},
                 {9, false, false, false, false}};
    for (const auto& c : cases) {
        const F f = Filter(F::ELxOpticalFilterPlacement(c.placement), band, band, band);
        EXPECT_EQ(f.GetExcitationSpectrum() != nullptr, c.excitation) << c.placement;
        EXPECT_EQ(f.GetEmissionSpectrum() != nullptr, c.emission) << c.placement;
        EXPECT_EQ(f.GetMirrorSpectrum() != nullptr, c.mirror) << c.placement;
        EXPECT_EQ(f.IsFilterBlock(), c.block) << c.placement;
    }
}

TEST(OpticalFilter, PlacementChangesOnlyBetweenExcitationAndEmission)
{
    F f = Filter(F::eOfpExcitation, Band(480, 500), CLxOpticalFilterSpectrum());
    EXPECT_EQ(f.SetPlacement(F::eOfpFilterBlock), -4);
    EXPECT_EQ(f.SetPlacement(F::eOfpExcitation), -4);
    EXPECT_EQ(f.GetPlacement(), F::eOfpExcitation);
    ASSERT_EQ(f.SetPlacement(F::eOfpEmission), 0);
    EXPECT_EQ(f.GetPlacement(), F::eOfpEmission);
    EXPECT_EQ(f.m_EmissionSpectrum.GetCount(), 2u);
    EXPECT_EQ(f.m_EmissionSpectrum[1].dWavelength, 500.0);
    EXPECT_EQ(f.m_ExcitationSpectrum.GetCount(), 2u);
    EXPECT_EQ(f.GetExcitationSpectrum(), nullptr);
    ASSERT_EQ(f.SetPlacement(F::eOfpExcitation), 0);
    EXPECT_EQ(f.SetPlacement(F::eOfpFilterBlock), -4);

    F fresh;
    EXPECT_EQ(fresh.SetPlacement(F::eOfpEmission), 0);
    EXPECT_EQ(fresh.m_EmissionSpectrum.GetCount(), 0u);
}

TEST(OpticalFilterPath, MeanWavelengthsFromLinesAndBands)
{
    const CLxOpticalFilterPath emission(
        Filter(F::eOfpEmission, CLxOpticalFilterSpectrum(), Band(500, 550)));
    EXPECT_EQ(emission.GetMeanEmissionWavelength(), 525.0);
    EXPECT_EQ(emission.GetMeanExcitationWavelength(), 0.0);

    // A one-point spectrum wins over an earlier band; placement 1 over 3.
    const CLxOpticalFilterPath path(
        Filter(F::eOfpFilterBlock, Line(405), Band(600, 640)),
        Filter(F::eOfpExcitation, Band(470, 490), CLxOpticalFilterSpectrum()),
        Filter(F::eOfpExcitation, Line(488), CLxOpticalFilterSpectrum()));
    EXPECT_EQ(path.GetMeanExcitationWavelength(), 488.0);
    EXPECT_EQ(path.GetMeanEmissionWavelength(), 620.0);
}

TEST(OpticalFilterPath, EmissionFromIntersectedSpectra)
{
    // Two excitation bands intersect to 470-490; the first emission band
    // starting above 490 is 495-540.
    CLxOpticalFilterSpectrum ex1 = Band(460, 490), ex2 = Band(470, 520);
    CLxOpticalFilterSpectrum em1;
    em1.AddPoint(P(P::eSptRisingEdge, 495, 1));
    em1.AddPoint(P(P::eSptFallingEdge, 540, 1));
    em1.AddPoint(P(P::eSptPeak, 600, 1));
    const CLxOpticalFilterPath path(Filter(F::eOfpExcitation, ex1, CLxOpticalFilterSpectrum()),
                                    Filter(F::eOfpExcitation, ex2, CLxOpticalFilterSpectrum()),
                                    Filter(F::eOfpEmission, CLxOpticalFilterSpectrum(), em1));
    EXPECT_EQ(path.GetMeanEmissionWavelength(), 517.5);
}

TEST(OpticalFilterPath, CurvesOfMoreThanTwoPointsGiveNoWavelength)
{
    const CLxOpticalFilterSpectrum curve = Curve({{450, 0}, {500, 100}, {550, 0}});
    const CLxOpticalFilterPath path(Filter(F::eOfpExcitation, curve, curve),
                                    Filter(F::eOfpEmission, curve, curve),
                                    Filter(F::eOfpFilterBlock, curve, curve));
    EXPECT_EQ(path.GetMeanExcitationWavelength(), 0.0);
    EXPECT_EQ(path.GetMeanEmissionWavelength(), 0.0);
    EXPECT_EQ(CLxOpticalFilterPath().GetMeanEmissionWavelength(), 0.0);
}

TEST(OpticalFilterPath, AssignmentReplacesTheFilters)
{
    const F a = Filter(F::eOfpExcitation, Line(405), CLxOpticalFilterSpectrum());
    const F b = Filter(F::eOfpEmission, CLxOpticalFilterSpectrum(), Line(520));
    CLxOpticalFilterPath three(a, a, a);
    three.m_sDescr = u"three";
    CLxOpticalFilterPath two(b, b);
    two.m_sDescr = u"two";
    three = two;
    ASSERT_EQ(three.GetCount(), 2u);
    EXPECT_EQ(three[1].GetPlacement(), F::eOfpEmission);
    EXPECT_TRUE(three.m_sDescr == u"two");
    three = CLxOpticalFilterPath();
    EXPECT_EQ(three.GetCount(), 0u);
    EXPECT_EQ(three.m_pFilter, nullptr);
    const CLxOpticalFilterPath copy(two);
    EXPECT_EQ(copy.GetCount(), 2u);
    EXPECT_NE(copy.m_pFilter, two.m_pFilter);
    EXPECT_EQ(CLxOpticalFilterPath(nullptr, 3).GetCount(), 0u);
}

TEST(FluorescentProbe, LinesGiveTheirWavelengthsAndTheEmissionColour)
{
    const CLxFluorescentProbe probe(u"GFP", 488, 520);
    EXPECT_EQ(probe.GetExcitationWavelength(), 488.0);
    EXPECT_EQ(probe.GetEmissionWavelength(), 520.0);
    EXPECT_TRUE(probe.IsValid());
    uint32_t color = 0;
    LX_RGBFromWavelength(&color, 520);
    EXPECT_EQ(probe.GetColor(), color);
    EXPECT_EQ(CLxFluorescentProbe().GetColor(), 0xFFFFFFu);
    EXPECT_FALSE(CLxFluorescentProbe().IsValid());
    EXPECT_EQ(CLxFluorescentProbe().GetEmissionWavelength(), 0.0);
}

TEST(FluorescentProbe, CurvesGiveTheWeightedMeanRounded)
{
    CLxFluorescentProbe probe(u"p", 0xFF, CLxOpticalFilterSpectrum(),
                              Curve({{500, 0}, {510, 100}, {520, 0}}));
    EXPECT_EQ(probe.GetEmissionWavelength(), 510.0);
    probe.m_EmissionSpectrum = Curve({{500, 1}, {511, 1}});
    EXPECT_EQ(probe.GetEmissionWavelength(), 506.0); // 505.5 rounds up
    probe.m_EmissionSpectrum = Curve({{500, 0}, {511, 0}});
    EXPECT_EQ(probe.GetEmissionWavelength(), 0.0);
    double peak = 0, lower = 0, upper = 0;
    probe.m_EmissionSpectrum = Curve({{500, 0}, {510, 100}, {520, 0}});
    ASSERT_EQ(probe.GetEmissionPeakAndFwhm(peak, lower, upper), 0);
    EXPECT_EQ(peak, 510.0);
    EXPECT_EQ(probe.GetExcitationPeakAndFwhm(peak, lower, upper), -13);
}

TEST(FluorescentProbe, SelectExcitationTakesTheStrongestLineInside)
{
    const CLxFluorescentProbe probe(u"p", 0, Curve({{400, 10}, {450, 40}, {490, 90}, {560, 20}}),
                                    Line(520));
    const double lines[3] = {405, 488, 561};
    EXPECT_EQ(probe.SelectExcitation(lines, 3), 1);
    const double outside[2] = {350, 640};
    EXPECT_EQ(probe.SelectExcitation(outside, 2), -1);
    EXPECT_EQ(probe.SelectExcitation(nullptr, 3), -1);
    EXPECT_EQ(probe.SelectExcitation(lines, 0), -1);
    // A first value of 0 is still taken.
    const CLxFluorescentProbe dark(u"d", 0, Curve({{400, 0}, {500, 0}}), Line(520));
    EXPECT_EQ(dark.SelectExcitation(lines, 3), 0);
}

} // namespace
