// Channels: masks, extraction, merging, standard lists, sharing copies and
// loading lists from variants.
#include <gtest/gtest.h>

#include "gnr_metaformats/LxPicturePlanes.h"
#include "gnr_system/variant/variant_test_support.h"

namespace
{

typedef SLxPicturePlanes PL;

// A list of planes with those component counts; uiCompCount their sum.
struct SOwnedPlanes : SLxPicturePlanes {
    explicit SOwnedPlanes(std::initializer_list<uint32_t> counts)
    {
        EXPECT_EQ(PL::Alloc(*this, uint32_t(counts.size())), 0);
        uint32_t i = 0;
        for (uint32_t c : counts) {
            sPlane[i++].uiCompCount = c;
            uiCompCount += c;
        }
    }
    SOwnedPlanes() = default;
    SOwnedPlanes(SOwnedPlanes&& other) : SLxPicturePlanes(other)
    {
        other.sPlane = nullptr;
        other.uiCount = other.uiCompCount = 0;
    }
    SOwnedPlanes(const SOwnedPlanes&) = delete;
    ~SOwnedPlanes() { PL::Free(*this); }
};

SOwnedPlanes MonoPlanes(uint32_t n)
{
    SOwnedPlanes planes;
    EXPECT_EQ(PL::Alloc(planes, n), 0);
    planes.uiCompCount = n;
    return planes;
}

std::string Description(const SLxPicturePlaneDesc& plane)
{
    return U8(plane.sDescription.GetString());
}

TEST(PicturePlanes, FullMasks)
{
    const struct {
        uint32_t components, mask;
    } cases[] = {{0, 0}, {1, 1}, {3, 7}, {31, 0x7FFFFFFF}, {32, 0xFFFFFFFF}, {40, 0xFF}};
    for (const auto& c : cases) {
        PL planes;
        planes.uiCompCount = c.components;
        EXPECT_EQ(PL::FullMask(planes), c.mask) << c.components;
    }
}

TEST(PicturePlanes, PlaneMasksAndStartingComponents)
{
    const SOwnedPlanes planes{1, 3, 1};
    EXPECT_EQ(PL::PlaneMask(planes, 0), 0b1u);
    EXPECT_EQ(PL::PlaneMask(planes, 1), 0b1110u);
    EXPECT_EQ(PL::PlaneMask(planes, 2), 0b10000u);
    EXPECT_EQ(PL::PlaneMask(planes, 3), 0u);
    EXPECT_EQ(PL::PlaneStartingComp(planes, 0), 0u);
    EXPECT_EQ(PL::PlaneStartingComp(planes, 2), 4u);
    EXPECT_EQ(PL::PlaneStartingComp(planes, 9), 5u);
}

TEST(PicturePlanes, FortyMonoPlanesWrapTheirMasksWithoutUndefinedShifts)
{
    const SOwnedPlanes planes = MonoPlanes(40);
    EXPECT_EQ(PL::PlaneMask(planes, 33), 0b10u);
    EXPECT_EQ(PL::PlaneMask(planes, 39), 1u << 7);
    // Components 0 and 32 share bit 0.
    EXPECT_EQ(PL::MaskedPlaneCount(planes, 1), 2u);
    EXPECT_EQ(PL::MaskedCompCount(planes, 0xFFFFFFFF), 40u);
    SOwnedPlanes dst;
    ASSERT_EQ(PL::Alloc(dst, PL::MaskedPlaneCount(planes, 1)), 0);
    EXPECT_EQ(PL::ExtractPlanes(dst, planes, 1), 2u);
}

TEST(PicturePlanes, PartOfAColourPlaneBecomesSingleColourPlanes)
{
    SOwnedPlanes rgb{3};
    rgb.sPlane[0].sOpticalConfigName = u"Brightfield config";
    EXPECT_EQ(PL::MaskedPlaneCount(rgb, 0b101), 2u);
    EXPECT_EQ(PL::MaskedCompCount(rgb, 0b101), 2u);
    EXPECT_EQ(PL::MaskedPlaneCount(rgb, 0b111), 1u);
    EXPECT_EQ(PL::MaskedCompCount(rgb, 0b111), 3u);

    SOwnedPlanes dst;
    ASSERT_EQ(PL::Alloc(dst, 2), 0);
    ASSERT_EQ(PL::ExtractPlanes(dst, rgb, 0b101), 2u);
    EXPECT_EQ(dst.uiCompCount, 2u);
    EXPECT_EQ(Description(dst.sPlane[0]), "Blue");
    EXPECT_EQ(dst.sPlane[0].uiColor, 0xFF0000u);
    EXPECT_EQ(dst.sPlane[0].uiCompCount, 1u);
    EXPECT_TRUE(dst.sPlane[0].sOpticalConfigName == u"Brightfield config");
    EXPECT_EQ(Description(dst.sPlane[1]), "Red");
    EXPECT_EQ(dst.sPlane[1].uiColor, 0x0000FFu);
}

TEST(PicturePlanes, ExtractionStopsAtTheDestinationsCount)
{
    const SOwnedPlanes planes{1, 3, 1};
    SOwnedPlanes dst;
    ASSERT_EQ(PL::Alloc(dst, 1), 0);
    EXPECT_EQ(PL::ExtractPlanes(dst, planes, 0b11111), 1u);
    EXPECT_EQ(dst.uiCompCount, 1u);
    SOwnedPlanes whole;
    ASSERT_EQ(PL::Alloc(whole, PL::MaskedPlaneCount(planes, 0b10001)), 0);
    EXPECT_EQ(PL::ExtractPlanes(whole, planes, 0b10001), 2u);
}

TEST(PicturePlanes, MergingDescribesLoneMonoPlanes)
{
    SOwnedPlanes dst;
    const SOwnedPlanes mono{1};
    EXPECT_EQ(PL::MergePlanes(dst, mono), 1u);
    EXPECT_EQ(Description(dst.sPlane[0]), "Mono");
    EXPECT_EQ(dst.uiCompCount, 1u);

    SOwnedPlanes rgb{3};
    EXPECT_EQ(PL::MergePlanes(rgb, dst), 2u);
    EXPECT_EQ(rgb.uiCompCount, 4u);
    EXPECT_EQ(rgb.sPlane[1].uiCompCount, 1u);

    SOwnedPlanes self{1};
    EXPECT_EQ(PL::MergePlanes(self, self), 2u);
    EXPECT_EQ(Description(self.sPlane[0]), "Mono");
    EXPECT_EQ(self.uiCompCount, 2u);
}

TEST(PicturePlanes, StandardListsAndMakeCompatible)
{
    SOwnedPlanes planes;
    ASSERT_EQ(PL::MakeRGB(planes), 0);
    EXPECT_EQ(planes.uiCompCount, 3u);
    EXPECT_EQ(Description(planes.sPlane[0]), "Brightfield");
    EXPECT_EQ(PL::MakeCompatible(planes, 3), 2);
    EXPECT_EQ(Description(planes.sPlane[0]), "Brightfield");
    ASSERT_EQ(PL::MakeMono(planes), 0);
    EXPECT_EQ(Description(planes.sPlane[0]), "Mono");
    EXPECT_EQ(PL::MakeCompatible(planes, 1), 1);

    SOwnedPlanes three = MonoPlanes(3);
    EXPECT_EQ(PL::MakeCompatible(three, 3), 4);
    EXPECT_EQ(three.uiCount, 3u);
    EXPECT_EQ(PL::MakeCompatible(three, 1), 1);
    EXPECT_EQ(three.uiCount, 1u);
    EXPECT_EQ(PL::MakeCompatible(three, 5), 4);
    EXPECT_EQ(three.uiCount, 5u);
    EXPECT_EQ(three.uiCompCount, 5u);
    EXPECT_EQ(PL::MakeCompatible(three, 0), 4);
    EXPECT_EQ(three.uiCount, 0u);
}

TEST(PicturePlanes, ColoursPerComponent)
{
    SOwnedPlanes planes{1, 3};
    planes.sPlane[0].uiColor = 0x123456;
    planes.sPlane[1].uiColor = 0xABCDEF;
    uint32_t colors[4] = {};
    ASSERT_EQ(PL::GetPlaneColors(planes, colors, 4), 4u);
    EXPECT_EQ(colors[0], 0x123456u);
    EXPECT_EQ(colors[1], 0xAB0000u);
    EXPECT_EQ(colors[2], 0x00CD00u);
    EXPECT_EQ(colors[3], 0x0000EFu);
    EXPECT_EQ(PL::GetPlaneColors(planes, colors, 3), 0u);
    // A component count that disagrees with the planes never overflows.
    planes.uiCompCount = 2;
    uint32_t two[2] = {};
    EXPECT_EQ(PL::GetPlaneColors(planes, two, 2), 2u);
}

TEST(PicturePlanes, CopiesShareTheArrayAndCopyDuplicatesIt)
{
    SOwnedPlanes planes{1, 3};
    {
        const SLxPicturePlanes shared(planes);
        EXPECT_EQ(shared.sPlane, planes.sPlane);
    } // the copy's destructor leaves the array alone
    EXPECT_EQ(planes.sPlane[1].uiCompCount, 3u);

    SOwnedPlanes copy{1};
    ASSERT_EQ(PL::Copy(copy, planes), 0);
    EXPECT_NE(copy.sPlane, planes.sPlane);
    EXPECT_TRUE(PL::IsCompatible(copy, planes));
    const SLxPicturePlanes empty;
    EXPECT_EQ(PL::Copy(copy, empty), -4);
    EXPECT_EQ(copy.uiCount, 2u);
    EXPECT_FALSE(PL::IsCompatible(copy, empty));
    EXPECT_TRUE(PL::IsCompatible(empty, SLxPicturePlanes()));
}

TEST(PicturePlaneDesc, DefaultsEqualityAndModalities)
{
    const SLxPicturePlaneDesc plane;
    EXPECT_EQ(plane.uiCompCount, 1u);
    EXPECT_EQ(plane.uiColor, 0xFFFFFFu);
    EXPECT_EQ(plane.dAcqTime, 0.0);
    SLxPicturePlaneDesc other;
    other.dLampVoltage = 5;
    EXPECT_TRUE(SLxPicturePlaneDesc::IsEqual(plane, other));
    other.sDescription = u"x";
    EXPECT_FALSE(SLxPicturePlaneDesc::IsEqual(plane, other));
    const bool mono[7] = {true, false, true, true, true, true, false};
    for (uint32_t m = 0; m < 7; ++m)
        EXPECT_EQ(SLxPicturePlaneDesc::IsModalityMonochrome(SLxPicturePlaneDesc::EModality(m)),
                  mono[m])
            << m;
}

TEST(PicturePlaneDesc, CopyTakesAConfigurationOfAnyRunType)
{
    SLxPicturePlaneDesc src;
    src.sOpticalConfigFull.EnableTypeChange(true);
    src.sOpticalConfigFull = CLxVariant(CLxVariantRunType("RLxCameraSetting"), u"config");
    src.sOpticalConfigFull.EnableTypeChange(false);
    SLxPicturePlaneDesc dst;
    EXPECT_EQ(SLxPicturePlaneDesc::Copy(dst, src), 0);
    EXPECT_EQ(RunTypeOf(dst.sOpticalConfigFull), "RLxCameraSetting");
    EXPECT_FALSE(dst.sOpticalConfigFull.IsEnabledTypeChange());
}

class PlanesVariantTest : public VariantTest
{
};

TEST_F(PlanesVariantTest, ACountThatDisagreesWithTheItemsLoadsAnEmptyList)
{
    SOwnedPlanes planes = MonoPlanes(3);
    CLxVariant v;
    ASSERT_EQ(PL::SaveToVariant(v, planes), 0);
    v[u"sPlane"].EnableTypeChange(true);
    ASSERT_TRUE(v[u"sPlane"].Delete(2));
    SOwnedPlanes loaded;
    EXPECT_EQ(PL::LoadFromVariant(loaded, v), 0);
    EXPECT_EQ(loaded.uiCount, 0u);
    EXPECT_EQ(loaded.uiCompCount, 0u);
    EXPECT_EQ(loaded.sPlane, nullptr);
    expectNoReport();
}

TEST_F(PlanesVariantTest, PlanesAreFoundByNameBeforePosition)
{
    SOwnedPlanes planes{1, 3};
    CLxVariant v;
    ASSERT_EQ(PL::SaveToVariant(v, planes), 0);
    CLxVariant& list = v[u"sPlane"];
    EXPECT_EQ(NameOf(list[0]), "a0");
    // Swap the two items: the names still tell which is which.
    CLxVariant first(list[0]);
    list.EnableTypeChange(true);
    list.Delete(0);
    list.Append(first);
    SOwnedPlanes loaded;
    ASSERT_EQ(PL::LoadFromVariant(loaded, v), 0);
    ASSERT_EQ(loaded.uiCount, 2u);
    EXPECT_EQ(loaded.sPlane[0].uiCompCount, 1u);
    EXPECT_EQ(loaded.sPlane[1].uiCompCount, 3u);
}

TEST_F(PlanesVariantTest, TheOlderChannelFormLoadsWithoutAnAcquisitionTime)
{
    SLxPicturePlaneDesc plane;
    plane.dAcqTime = 12.5;
    plane.sDescription = u"DAPI";
    CLxVariant v;
    ASSERT_EQ(SLxPicturePlaneDesc::SaveToVariant(v, plane), 0);
    EXPECT_EQ(RunTypeOf(v), "RLxPicturePlaneDescV1_1");
    v.EnableTypeChange(true);
    ASSERT_EQ(v.SetRunTypeCompatible(CLxVariantRunType("RLxPicturePlaneDesc")), 0);
    SLxPicturePlaneDesc loaded;
    ASSERT_EQ(SLxPicturePlaneDesc::LoadFromVariant(loaded, v), 0);
    EXPECT_EQ(loaded.dAcqTime, -1.0);
    EXPECT_EQ(Description(loaded), "DAPI");
    expectNoReport();
}

TEST_F(PlanesVariantTest, WrongRunTypesAreReportedAndChangeNothing)
{
    CLxVariant wrong(CLxVariantRunType("RLxCameraSetting"), u"x");
    SLxPicturePlaneDesc plane;
    plane.sDescription = u"kept";
    EXPECT_EQ(SLxPicturePlaneDesc::LoadFromVariant(plane, wrong), -4);
    EXPECT_EQ(report().message, "Wrong variant runtype('RLxCameraSetting'), expected "
                                "'RLxPicturePlaneDesc' or 'RLxPicturePlaneDescV1_1'.");
    EXPECT_EQ(Description(plane), "kept");
    SOwnedPlanes planes{3};
    EXPECT_EQ(PL::LoadFromVariant(planes, wrong), -4);
    EXPECT_EQ(report().message,
              "Wrong variant runtype('RLxCameraSetting'), expected 'RLxPicturePlanes'.");
    EXPECT_EQ(planes.uiCount, 1u);
}

} // namespace
