// Picture metadata, the picture sequence and camera settings.
#include <gtest/gtest.h>

#include <ctime>

#include "gnr_metaformats/LxCameraSettings.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_system/time/LxDateTime.h"
#include "gnr_system/variant/variant_test_support.h"

namespace
{

typedef SLxPictureMetadata MD;

TEST(PictureMetadata, ConstructedValuesAreUnknown)
{
    const MD md;
    EXPECT_EQ(md.dTimeAbsolute, -1.0);
    EXPECT_EQ(md.uiRow, 0xFFFFFFFFu);
    EXPECT_EQ(md.dTemperK, -1.0);
    EXPECT_EQ(md.ePictureYAxis, 1);
    EXPECT_EQ(md.dStgLgCT11, 1.0);
    EXPECT_EQ(md.dStgLgCT21, 0.0);
    EXPECT_EQ(md.sPicturePlanes.sPlane, nullptr);
}

TEST(PictureMetadata, SetToDefaultGivesAFreshPictureAndKeepsCustomData)
{
    MD md;
    md.wsCustomData = u"custom";
    md.dCalibration = 0.25;
    md.bCalibrated = true;
    SLxPicturePlanes::MakeMono(md.sPicturePlanes);
    md.sPicturePlanes.sDescription = u"planes";
    const double before = CLxDateTime::Now().GetJulianDayNumber();
    md.SetToDefault();
    const double after = CLxDateTime::Now().GetJulianDayNumber();
    EXPECT_EQ(md.dTemperK, 293.0);
    EXPECT_EQ(md.dXPos, 0.0);
    EXPECT_EQ(md.dYPos, 0.0);
    EXPECT_EQ(md.dZPos, 0.0);
    EXPECT_EQ(md.uiRow, 0u);
    EXPECT_EQ(md.uiCol, 0u);
    EXPECT_EQ(md.dCalibration, -1.0);
    EXPECT_FALSE(md.bCalibrated);
    EXPECT_EQ(md.dObjectiveMag, -1.0);
    EXPECT_EQ(md.sPicturePlanes.uiCount, 0u);
    EXPECT_TRUE(md.sPicturePlanes.sDescription == u"planes");
    EXPECT_TRUE(md.wsCustomData == u"custom");
    // The Julian day number of now, to within a second.
    EXPECT_GE(md.dTimeAbsolute, before - 1.0 / 86400);
    EXPECT_LE(md.dTimeAbsolute, after + 1.0 / 86400);
}

TEST(PictureMetadata, SetCalibration)
{
    MD md;
    SLxPicturePlanes::MakeMono(md.sPicturePlanes);
    ASSERT_EQ(MD::SetCalibration(md, 0.5, 1.25, u"Plan Apo 60x", 2.0, 2.0, 0.0, 2.0), 0);
    EXPECT_EQ(md.dCalibration, 0.5);
    EXPECT_TRUE(md.bCalibrated);
    EXPECT_EQ(md.dProjectiveMag, 1.0);
    EXPECT_EQ(md.dZoom, 2.0);
    EXPECT_EQ(md.dAspect, 1.25);
    EXPECT_TRUE(md.wsObjectiveName == u"Plan Apo 60x");
    EXPECT_EQ(md.sPicturePlanes.sPlane[0].sCameraSetting.dCamBinningX, 2.0);

    ASSERT_EQ(MD::SetCalibration(md, 0.0, 1.0, nullptr, -1.0, 4.0, 1.0, 0.0), 0);
    EXPECT_FALSE(md.bCalibrated);
    EXPECT_EQ(md.dAspect, 4.0);
    EXPECT_EQ(md.dZoom, 1.0);
    EXPECT_TRUE(md.wsObjectiveName.IsEmpty());
}

TEST(PictureMetadata, CopiesAreDeep)
{
    MD src;
    SLxPicturePlanes::MakeMono(src.sPicturePlanes);
    src.dZPos = 7.0;
    MD withVars;
    CLxVariant v;
    // Physical variables come in through a load.
    {
        MD tmp;
        SLxPicturePlanes::MakeMono(tmp.sPicturePlanes);
        MD::SaveToVariant(v, tmp);
        CLxVariant& list = v[u"pPhysicalVar"];
        CLxVariant item(CLxVariantRunType("RLxPictureMetadata.RLxPictureMetadata"), u"no_name");
        item[u"wsName"] = CLxStringW(u"pressure");
        item[u"dValue"] = 3.5;
        list.Append(item);
        v[u"uiPhysicalVarCount"] = 1u;
        ASSERT_EQ(MD::LoadFromVariant(src, v), 0);
    }
    const MD copy(src);
    EXPECT_NE(copy.sPicturePlanes.sPlane, src.sPicturePlanes.sPlane);
    ASSERT_EQ(copy.uiPhysicalVarCount, 1u);
    EXPECT_NE(copy.pPhysicalVar, src.pPhysicalVar);
    EXPECT_TRUE(copy.pPhysicalVar[0].wsName == u"pressure");
    MD assigned;
    assigned = copy;
    EXPECT_EQ(assigned.pPhysicalVar[0].dValue, 3.5);

    MD target;
    SLxPicturePlanes::MakeRGB(target.sPicturePlanes);
    EXPECT_EQ(MD::Copy(target, MD()), -4);
    EXPECT_EQ(target.sPicturePlanes.sPlane, nullptr);
    EXPECT_EQ(target.pPhysicalVar, nullptr);
    EXPECT_EQ(target.dZPos, -1.0);
}

class MetadataVariantTest : public VariantTest
{
};

TEST_F(MetadataVariantTest, AMissingAbsoluteTimeKeepsTheRecordsValue)
{
    MD md;
    SLxPicturePlanes::MakeMono(md.sPicturePlanes);
    md.dTimeAbsolute = 2451544.5;
    CLxVariant v;
    ASSERT_EQ(MD::SaveToVariant(v, md), 0);
    // A record without the member: deleting makes a plain list, which is
    // labelled with the record's run type again.
    v.EnableTypeChange(true);
    ASSERT_TRUE(v.Delete(unsigned(v.IndexOf(CLxStringW(u"dTimeAbsolute")))));
    v.GetData()->SetRunType(CLxVariantRunType("RLxPictureMetadata"));
    const CLxVariant& record = v;
    MD loaded;
    loaded.dTimeAbsolute = 42.0;
    ASSERT_EQ(MD::LoadFromVariant(loaded, record), 0);
    EXPECT_EQ(loaded.dTimeAbsolute, 42.0);
    expectNoReport();
}

TEST_F(MetadataVariantTest, PhysicalVariablesAreCountedByTheItems)
{
    MD md;
    CLxVariant v;
    ASSERT_EQ(MD::SaveToVariant(v, md), 0);
    CLxVariant& list = v[u"pPhysicalVar"];
    for (const char16_t* name : {u"a", u"b"}) {
        CLxVariant item(CLxVariantRunType("RLxPictureMetadata.RLxPictureMetadata"), u"no_name");
        item[u"wsName"] = CLxStringW(name);
        list.Append(item);
    }
    v[u"uiPhysicalVarCount"] = 3u;
    MD loaded;
    ASSERT_EQ(MD::LoadFromVariant(loaded, v), 0);
    ASSERT_EQ(loaded.uiPhysicalVarCount, 2u);
    EXPECT_TRUE(loaded.pPhysicalVar[1].wsName == u"b");
    EXPECT_EQ(report().expression,
              "vDest[L\"uiPhysicalVarCount\"].GetLx_int32() != vPhysicalVarList.GetCount()");
}

TEST_F(MetadataVariantTest, WrongRunTypeLeavesTheRecordAlone)
{
    MD md;
    md.dZPos = 3.0;
    EXPECT_EQ(MD::LoadFromVariant(md, CLxVariant(CLxVariantRunType("RLxPicturePlanes"), u"x")), -4);
    EXPECT_EQ(report().message,
              "Wrong variant runtype('RLxPicturePlanes'), expected 'RLxPictureMetadata'.");
    EXPECT_EQ(md.dZPos, 3.0);
}

TEST(PictureSequence, AllocAndFree)
{
    SLxPictureSequence sequence;
    EXPECT_EQ(SLxPictureSequence::Alloc(nullptr, 3), -4);
    ASSERT_EQ(SLxPictureSequence::Alloc(&sequence, 0), 0);
    EXPECT_EQ(sequence.pPictureMetadata, nullptr);
    ASSERT_EQ(SLxPictureSequence::Alloc(&sequence, 3), 0);
    EXPECT_EQ(sequence.pPictureMetadata[2].dTimeMSec, -1.0);
    SLxPicturePlanes::MakeMono(sequence.pPictureMetadata[1].sPicturePlanes);
    SLxPictureSequence::Free(&sequence);
    EXPECT_EQ(sequence.uiCount, 0u);
    EXPECT_EQ(sequence.pPictureMetadata, nullptr);
    SLxPictureSequence::Free(&sequence); // a second Free does nothing
}

TEST(CameraSetting, ConstructedAndDefaultValues)
{
    SLxCameraSetting s;
    EXPECT_EQ(s.dExposure, -1.0);
    EXPECT_EQ(s.iOffsetGreen, -1);
    EXPECT_EQ(s.uiCamPxlCountX, 0xFFFFFFFFu);
    EXPECT_EQ(s.dCamBinningY, 1.0);
    s.sCameraName = u"cam";
    s.SetToDefault();
    const double gains[8] = {s.dGain,      s.dGamma,      s.dGainRed,  s.dGammaRed,
                             s.dGainGreen, s.dGammaGreen, s.dGainBlue, s.dGammaBlue};
    for (double g : gains)
        EXPECT_EQ(g, 1.0);
    const double exposures[4] = {s.dExposure, s.dExposureRed, s.dExposureGreen, s.dExposureBlue};
    for (double e : exposures)
        EXPECT_EQ(e, 0.0);
    EXPECT_EQ(s.iOffsetBlue, 0);
    EXPECT_EQ(s.uiCamPxlCountY, 0u);
    EXPECT_EQ(s.dCamChipSizeX, 0.0);
    EXPECT_TRUE(s.sCameraName.IsEmpty());
}

class CameraVariantTest : public VariantTest
{
};

TEST_F(CameraVariantTest, ANewSettingSurvivesSaveAndLoad)
{
    const SLxCameraSetting fresh;
    CLxVariant v;
    ASSERT_EQ(SLxCameraSetting::SaveToVariant(v, fresh), 0);
    SLxCameraSetting loaded;
    loaded.SetToDefault();
    ASSERT_EQ(SLxCameraSetting::LoadFromVariant(loaded, v), 0);
    EXPECT_EQ(loaded.dCamBinningX, 1.0);
    EXPECT_EQ(loaded.uiCamPxlCountX, 0xFFFFFFFFu);
    EXPECT_EQ(loaded.uiCamPxlCountY, 0xFFFFFFFFu);
    EXPECT_EQ(loaded.iOffsetRed, -1);
    expectNoReport();
}

TEST_F(CameraVariantTest, TheChipRectangleIsAnIntegerRectangle)
{
    SLxCameraSetting s;
    s.rcCamChipSrc = CLxRectBase<int>(1, 2, 3, 4);
    CLxVariant v;
    ASSERT_EQ(SLxCameraSetting::SaveToVariant(v, s), 0);
    const CLxVariant& rect = v[u"rcCamChipSrc"];
    EXPECT_EQ(RunTypeOf(rect), "RLxIRect");
    EXPECT_EQ(rect[u"left"].GetLx_int32(), 1);
    EXPECT_EQ(rect[u"top"].GetLx_int32(), 2);
    EXPECT_EQ(rect[u"right"].GetLx_int32(), 3);
    EXPECT_EQ(rect[u"bottom"].GetLx_int32(), 4);
}

TEST_F(CameraVariantTest, LoadingAPlaneListIsRefused)
{
    SLxCameraSetting s;
    EXPECT_EQ(SLxCameraSetting::LoadFromVariant(
                  s, CLxVariant(CLxVariantRunType("RLxPicturePlanes"), u"x")),
              -4);
    EXPECT_EQ(report().message,
              "Wrong variant runtype('RLxPicturePlanes'), expected 'RLxCameraSetting'.");
    EXPECT_EQ(s.dExposure, -1.0);
}

} // namespace
