// Every record with values other than its defaults survives save, the UTF-8
// variant XML text and load, field for field; xmllint takes every text.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_system/serializerxml/xml_test_support.h"
#include "test_support.h"

namespace
{

typedef SLxOFSpectrumPoint P;

bool Same(const CLxOpticalFilterSpectrum& a, const CLxOpticalFilterSpectrum& b)
{
    if (a.GetCount() != b.GetCount() || a.bPoints != b.bPoints)
        return false;
    for (uint32_t i = 0; i < a.GetCount(); ++i) {
        if (a[i].eType != b[i].eType || a[i].dWavelength != b[i].dWavelength ||
            a[i].dTValue != b[i].dTValue)
            return false;
    }
    return true;
}

bool Same(const CLxOpticalFilter& a, const CLxOpticalFilter& b)
{
    return a.m_sName == b.m_sName && a.m_ePlacement == b.m_ePlacement &&
           a.m_eNature == b.m_eNature && a.m_eSpctType == b.m_eSpctType &&
           a.m_uiColor == b.m_uiColor && Same(a.m_ExcitationSpectrum, b.m_ExcitationSpectrum) &&
           Same(a.m_EmissionSpectrum, b.m_EmissionSpectrum) &&
           Same(a.m_MirrorSpectrum, b.m_MirrorSpectrum);
}

bool Same(const CLxOpticalFilterPath& a, const CLxOpticalFilterPath& b)
{
    if (a.GetCount() != b.GetCount() || a.m_sDescr != b.m_sDescr)
        return false;
    for (uint32_t i = 0; i < a.GetCount(); ++i) {
        if (!Same(a[i], b[i]))
            return false;
    }
    return true;
}

bool Same(const CLxFluorescentProbe& a, const CLxFluorescentProbe& b)
{
    return a.m_sName == b.m_sName && a.m_uiColor == b.m_uiColor &&
           Same(a.m_ExcitationSpectrum, b.m_ExcitationSpectrum) &&
           Same(a.m_EmissionSpectrum, b.m_EmissionSpectrum);
}

bool Same(const SLxCameraSetting& a, const SLxCameraSetting& b)
{
    return a.sCameraName == b.sCameraName && a.dExposure == b.dExposure && a.iOffset == b.iOffset &&
           a.dGain == b.dGain && a.dGamma == b.dGamma && a.dExposureRed == b.dExposureRed &&
           a.iOffsetRed == b.iOffsetRed && a.dGainRed == b.dGainRed && a.dGammaRed == b.dGammaRed &&
           a.dExposureGreen == b.dExposureGreen && a.iOffsetGreen == b.iOffsetGreen &&
           a.dGainGreen == b.dGainGreen && a.dGammaGreen == b.dGammaGreen &&
           a.dExposureBlue == b.dExposureBlue && a.iOffsetBlue == b.iOffsetBlue &&
           a.dGainBlue == b.dGainBlue && a.dGammaBlue == b.dGammaBlue &&
           a.sCameraFormatName == b.sCameraFormatName && a.dCamChipSizeX == b.dCamChipSizeX &&
           a.dCamChipSizeY == b.dCamChipSizeY && a.uiCamPxlCountX == b.uiCamPxlCountX &&
           a.uiCamPxlCountY == b.uiCamPxlCountY && a.dCamBinningX == b.dCamBinningX &&
           a.dCamBinningY == b.dCamBinningY && a.rcCamChipSrc.left == b.rcCamChipSrc.left &&
           a.rcCamChipSrc.top == b.rcCamChipSrc.top &&
           a.rcCamChipSrc.right == b.rcCamChipSrc.right &&
           a.rcCamChipSrc.bottom == b.rcCamChipSrc.bottom && a.bFlippedUpDown == b.bFlippedUpDown &&
           a.bFlippedLeftRight == b.bFlippedLeftRight && a.sSpecSettings == b.sSpecSettings;
}

bool Same(const SLxPicturePlaneDesc& a, const SLxPicturePlaneDesc& b)
{
    return SLxPicturePlaneDesc::IsEqual(a, b) && a.sOpticalConfigFull == b.sOpticalConfigFull &&
           Same(a.pFluorescentProbe, b.pFluorescentProbe) && Same(a.pFilterPath, b.pFilterPath) &&
           Same(a.sCameraSetting, b.sCameraSetting) && a.dLampVoltage == b.dLampVoltage &&
           a.dFadingCorr == b.dFadingCorr && a.dAcqTime == b.dAcqTime;
}

bool Same(const SLxPicturePlanes& a, const SLxPicturePlanes& b)
{
    if (a.uiCount != b.uiCount || a.uiCompCount != b.uiCompCount ||
        a.sDescription != b.sDescription)
        return false;
    for (uint32_t i = 0; i < a.uiCount; ++i) {
        if (!Same(a.sPlane[i], b.sPlane[i]))
            return false;
    }
    return true;
}

bool Same(const SLxPictureMetadata& a, const SLxPictureMetadata& b)
{
    if (a.uiPhysicalVarCount != b.uiPhysicalVarCount)
        return false;
    for (uint32_t i = 0; i < a.uiPhysicalVarCount; ++i) {
        const SLxPhysicalVar &x = a.pPhysicalVar[i], &y = b.pPhysicalVar[i];
        if (x.wsName != y.wsName || x.uiIntepretation != y.uiIntepretation || x.dValue != y.dValue)
            return false;
    }
    return a.dTimeAbsolute == b.dTimeAbsolute && a.dTimeMSec == b.dTimeMSec && a.dXPos == b.dXPos &&
           a.dYPos == b.dYPos && a.uiRow == b.uiRow && a.uiCol == b.uiCol && a.dZPos == b.dZPos &&
           a.bZPosAbsolute == b.bZPosAbsolute && a.dAngle == b.dAngle &&
           Same(a.sPicturePlanes, b.sPicturePlanes) && a.dTemperK == b.dTemperK &&
           a.dCalibration == b.dCalibration && a.dAspect == b.dAspect &&
           a.bCalibrated == b.bCalibrated && a.wsObjectiveName == b.wsObjectiveName &&
           a.dObjectiveMag == b.dObjectiveMag && a.dObjectiveNA == b.dObjectiveNA &&
           a.dRefractIndex1 == b.dRefractIndex1 && a.dRefractIndex2 == b.dRefractIndex2 &&
           a.dPinholeRadius == b.dPinholeRadius && a.dZoom == b.dZoom &&
           a.dProjectiveMag == b.dProjectiveMag && a.wsCustomData == b.wsCustomData &&
           a.ePictureXAxis == b.ePictureXAxis && a.ePictureYAxis == b.ePictureYAxis &&
           a.dStgLgCT11 == b.dStgLgCT11 && a.dStgLgCT12 == b.dStgLgCT12 &&
           a.dStgLgCT21 == b.dStgLgCT21 && a.dStgLgCT22 == b.dStgLgCT22;
}

bool Same(const SLxExperimentEvent& a, const SLxExperimentEvent& b)
{
    return a.dTime == b.dTime && a.eMeaning == b.eMeaning && a.wsDescription == b.wsDescription &&
           a.wsData == b.wsData && a.uiID == b.uiID;
}

bool Same(const SLxExperimentRecord& a, const SLxExperimentRecord& b)
{
    const SLxExperimentEvent *x = a.pFirstEvent, *y = b.pFirstEvent;
    for (; x && y; x = x->pNext, y = y->pNext) {
        if (!Same(*x, *y))
            return false;
    }
    return !x && !y && a.wsNotes == b.wsNotes;
}

// ---- Records with values other than the defaults.

CLxOpticalFilterSpectrum SomeCurve()
{
    CLxOpticalFilterSpectrum s;
    s.AddPoint(P(P::eSptPoint, 450.25, 0.125));
    s.AddPoint(P(P::eSptPoint, 500.5, 99.75));
    s.AddPoint(P(P::eSptPoint, 551, 1e-9));
    return s;
}

CLxOpticalFilterSpectrum SomeBands()
{
    CLxOpticalFilterSpectrum s;
    s.AddPoint(P(P::eSptRisingEdge, 470, 1));
    s.AddPoint(P(P::eSptFallingEdge, 490, 1));
    s.AddPoint(P(P::eSptPeak, 561.5, 3));
    return s;
}

CLxOpticalFilter SomeFilter()
{
    return CLxOpticalFilter(u"Block \"FITC\" <&>", CLxOpticalFilter::eOfpFilterBlock,
                            CLxOpticalFilter::ELxOpticalFilterNature(4),
                            CLxOpticalFilter::ELxOpticalFilterSpctType(2), 0x00FF8000u, SomeBands(),
                            SomeCurve(), SomeBands());
}

CLxOpticalFilterPath SomePath()
{
    CLxOpticalFilterPath path(SomeFilter(), CLxOpticalFilter());
    path.m_sDescr = u"Path\ttab\nline";
    return path;
}

CLxFluorescentProbe SomeProbe()
{
    return CLxFluorescentProbe(u"Alexa Fluor\u00AE 488", 0x0000FF00u, SomeCurve(), SomeBands());
}

SLxCameraSetting SomeCamera()
{
    SLxCameraSetting s;
    s.sCameraName = u"Cam \u00E9";
    s.dExposure = 12.5;
    s.iOffset = -3;
    s.dGain = 2;
    s.dGammaRed = 0.5;
    s.iOffsetGreen = 7;
    s.dExposureBlue = 100;
    s.sCameraFormatName = u"2x2 12-bit";
    s.dCamChipSizeX = 6.45;
    s.uiCamPxlCountX = 1392;
    s.uiCamPxlCountY = 1040;
    s.dCamBinningX = 2;
    s.rcCamChipSrc = CLxRectBase<int>(-1, 2, 1391, 1039);
    s.bFlippedLeftRight = true;
    s.sSpecSettings = u"<settings mode=\"fast\"/>";
    return s;
}

void FillPlane(SLxPicturePlaneDesc& plane, uint32_t components, const char16_t* name)
{
    plane.uiCompCount = components;
    plane.sOpticalConfigName = u"Config";
    CLxVariant config(CLxListVariant(), u"config");
    config.Append(CLxVariant(5, u"turret"));
    config.Append(CLxVariant(CLxStringW(u"x"), u"label"));
    plane.sOpticalConfigFull.EnableTypeChange(true);
    plane.sOpticalConfigFull = config;
    plane.sOpticalConfigFull.EnableTypeChange(false);
    plane.eModality = SLxPicturePlaneDesc::eSpinningDiskConfocal;
    plane.pFluorescentProbe = SomeProbe();
    plane.pFilterPath = SomePath();
    plane.sCameraSetting = SomeCamera();
    plane.dLampVoltage = 11.5;
    plane.dFadingCorr = 0.75;
    plane.uiColor = 0x123456;
    plane.sDescription = name;
    plane.dAcqTime = 1234.5;
}

// A test-owned picture metadata record.
SLxPictureMetadata SomeMetadata()
{
    SLxPictureMetadata md;
    md.SetToDefault();
    md.dTimeAbsolute = 2459000.25;
    md.dTimeMSec = 10.5;
    md.dXPos = -1500.25;
    md.uiRow = 3;
    md.dZPos = 12.125;
    md.bZPosAbsolute = true;
    md.dAngle = 90;
    SLxPicturePlanes::Alloc(md.sPicturePlanes, 2);
    FillPlane(md.sPicturePlanes.sPlane[0], 1, u"DAPI");
    FillPlane(md.sPicturePlanes.sPlane[1], 3, u"RGB");
    md.sPicturePlanes.uiCompCount = 4;
    md.sPicturePlanes.sDescription = u"planes";
    SLxPictureMetadata::SetCalibration(md, 0.0645, 1.0, u"Plan Fluor 40x", 1, 1, 1.5, 1);
    md.dObjectiveNA = 0.95;
    md.dPinholeRadius = 30;
    md.wsCustomData = u"custom \u20AC";
    md.ePictureXAxis = 1;
    md.ePictureYAxis = 0;
    md.dStgLgCT11 = 0;
    md.dStgLgCT12 = -1;
    md.dStgLgCT21 = 1;
    md.dStgLgCT22 = 0;
    return md;
}

// ---- The table.

class RecordRoundTrip : public VariantTest
{
  protected:
    // Saves value, writes the text, reads it back and loads a fresh record.
    template <class T, class Save, class Load>
    void Check(const char* name, const T& value, T& loaded, Save save, Load load)
    {
        SCOPED_TRACE(name);
        CLxVariant v;
        ASSERT_EQ(save(v, value), 0);
        CLxStringA text;
        ASSERT_EQ(CLxXMLAPI::VariantToXMLDocument_UTF8(text, v), 0);
        m_documents.push_back(BytesOf(text));
        CLxVariant back;
        ASSERT_EQ(CLxXMLAPI::VariantFromXML_UTF8(back, text), 0);
        EXPECT_EQ(RunTypeOf(back), RunTypeOf(v));
        ASSERT_EQ(load(loaded, back), 0);
        EXPECT_TRUE(Same(value, loaded));
        expectNoReport();
    }

    std::vector<std::string> m_documents;
};

TEST_F(RecordRoundTrip, EveryRecordSurvivesTheXmlText)
{
    {
        CLxOpticalFilterSpectrum a = SomeCurve(), b;
        Check("curve", a, b, CLxOpticalFilterSpectrum::SaveToVariant,
              CLxOpticalFilterSpectrum::LoadFromVariant);
        CLxOpticalFilterSpectrum c = SomeBands(), d;
        Check("bands", c, d, CLxOpticalFilterSpectrum::SaveToVariant,
              CLxOpticalFilterSpectrum::LoadFromVariant);
        CLxOpticalFilterSpectrum e, f;
        Check("empty spectrum", e, f, CLxOpticalFilterSpectrum::SaveToVariant,
              CLxOpticalFilterSpectrum::LoadFromVariant);
    }
    {
        CLxOpticalFilter a = SomeFilter(), b;
        Check("filter", a, b, CLxOpticalFilter::SaveToVariant, CLxOpticalFilter::LoadFromVariant);
        CLxOpticalFilterPath c = SomePath(), d;
        Check("path", c, d, CLxOpticalFilterPath::SaveToVariant,
              CLxOpticalFilterPath::LoadFromVariant);
        CLxFluorescentProbe e = SomeProbe(), f;
        Check("probe", e, f, CLxFluorescentProbe::SaveToVariant,
              CLxFluorescentProbe::LoadFromVariant);
    }
    {
        SLxCameraSetting a = SomeCamera(), b;
        Check("camera", a, b, SLxCameraSetting::SaveToVariant, SLxCameraSetting::LoadFromVariant);
        SLxPicturePlaneDesc c, d;
        FillPlane(c, 3, u"Brightfield");
        Check("plane", c, d, SLxPicturePlaneDesc::SaveToVariant,
              SLxPicturePlaneDesc::LoadFromVariant);
    }
    {
        SLxPictureMetadata a = SomeMetadata(), b;
        Check("metadata", a, b, SLxPictureMetadata::SaveToVariant,
              SLxPictureMetadata::LoadFromVariant);
        SLxPicturePlanes c, d;
        SLxPicturePlanes::Copy(c, a.sPicturePlanes);
        Check("planes", c, d, SLxPicturePlanes::SaveToVariant, SLxPicturePlanes::LoadFromVariant);
        SLxPicturePlanes::Free(c);
        SLxPicturePlanes::Free(d);
    }
    {
        SLxExperimentRecord a, b;
        a.wsNotes = u"notes\r\nsecond line";
        SLxExperimentEvent e;
        e.dTime = 1.5;
        e.eMeaning = 9;
        e.wsData = u"data";
        SLxExperimentRecord::AddEvent(a, e);
        e.eMeaning = 15;
        e.wsDescription = u"stimulus";
        SLxExperimentRecord::AddEvent(a, e);
        Check("events", a, b, SLxExperimentRecord::SaveToVariant,
              SLxExperimentRecord::LoadFromVariant);
        SLxExperimentRecord::Free(a);
        SLxExperimentRecord::Free(b);
    }
    if (!HaveXmllint())
        LXTEST_SKIP_WITHOUT_TOOL() << "no xmllint";
    EXPECT_EQ(XmllintComplaints(m_documents), "");
}

TEST_F(RecordRoundTrip, AnEmptySpectrumSavesOnePointOfZeros)
{
    CLxVariant v;
    ASSERT_EQ(CLxOpticalFilterSpectrum::SaveToVariant(v, CLxOpticalFilterSpectrum()), 0);
    const CLxVariant& points = v[u"pPoint"];
    ASSERT_EQ(points.GetCount(), 1);
    EXPECT_EQ(NameOf(points[0]), "Point0");
    EXPECT_EQ(RunTypeOf(points[0]), "RLxOFSpectrumPoint");
    EXPECT_EQ(points[0][u"dWavelength"].GetDouble(), 0.0);
    // The order of the point keys and the items of a curve.
    ASSERT_EQ(CLxOpticalFilterSpectrum::SaveToVariant(v, SomeCurve()), 0);
    EXPECT_EQ(NameOf(v[u"pPoint"][2]), "Point2");
}

TEST_F(RecordRoundTrip, PointsFallBackToTheOlderWavelengthKey)
{
    CLxVariant v(CLxVariantRunType("RLxOFSpectrumPoint"), u"p");
    v[u"uiWavelength"] = 488u;
    v[u"eType"] = 4u;
    SLxOFSpectrumPoint p;
    ASSERT_EQ(SLxOFSpectrumPoint::LoadFromVariant(p, v), 0);
    EXPECT_EQ(p.dWavelength, 488.0);
    EXPECT_EQ(p.eType, P::eSptPeak);
    v[u"dWavelength"] = 489.5;
    ASSERT_EQ(SLxOFSpectrumPoint::LoadFromVariant(p, v), 0);
    EXPECT_EQ(p.dWavelength, 489.5);
}

TEST_F(RecordRoundTrip, ListsAreSizedByTheirItemsNotByTheirCounts)
{
    CLxVariant v;
    ASSERT_EQ(CLxOpticalFilterSpectrum::SaveToVariant(v, SomeCurve()), 0);
    v[u"uiCount"] = 1000000u;
    CLxOpticalFilterSpectrum s;
    ASSERT_EQ(CLxOpticalFilterSpectrum::LoadFromVariant(s, v), 0);
    EXPECT_EQ(s.GetCount(), 3u);

    CLxVariant path;
    ASSERT_EQ(CLxOpticalFilterPath::SaveToVariant(path, SomePath()), 0);
    path[u"m_uiCount"] = 7u;
    CLxOpticalFilterPath loaded;
    ASSERT_EQ(CLxOpticalFilterPath::LoadFromVariant(loaded, path), 0);
    EXPECT_EQ(loaded.GetCount(), 2u);
    expectNoReport();
}

TEST_F(RecordRoundTrip, WrongRunTypesAreReportedWithTheExpectedNames)
{
    const CLxVariant wrong(CLxVariantRunType("RLxIRect"), u"x");
    const struct {
        std::function<int()> load;
        const char* expected;
    } cases[] = {
        {[&] {
             SLxOFSpectrumPoint p;
             return SLxOFSpectrumPoint::LoadFromVariant(p, wrong);
         },
         "'RLxOFSpectrumPoint'"},
        {[&] {
             CLxOpticalFilterSpectrum s;
             return CLxOpticalFilterSpectrum::LoadFromVariant(s, wrong);
         },
         "'RLxOpticalFilterSpectrum'"},
        {[&] {
             CLxOpticalFilter f;
             return CLxOpticalFilter::LoadFromVariant(f, wrong);
         },
         "'RLxOpticalFilter'"},
        {[&] {
             CLxOpticalFilterPath p;
             return CLxOpticalFilterPath::LoadFromVariant(p, wrong);
         },
         "'RLxOpticalFilterPath'"},
        {[&] {
             CLxFluorescentProbe p;
             return CLxFluorescentProbe::LoadFromVariant(p, wrong);
         },
         "'RLxFluorescentProbe'"},
        {[&] {
             SLxExperimentEvent e;
             return SLxExperimentEvent::LoadFromVariant(e, wrong);
         },
         "'RLxExperimentEvent'"},
        {[&] {
             SLxExperimentRecord r;
             return SLxExperimentRecord::LoadFromVariant(r, wrong);
         },
         "'RLxExperimentRecord'"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.load(), -4) << c.expected;
        EXPECT_EQ(report().message,
                  std::string("Wrong variant runtype('RLxIRect'), expected ") + c.expected + ".");
    }
}

TEST_F(RecordRoundTrip, FailingSubRecordsAreReportedAndSkipped)
{
    CLxVariant v;
    ASSERT_EQ(CLxFluorescentProbe::SaveToVariant(v, SomeProbe()), 0);
    CLxVariant& emission = v[u"m_EmissionSpectrum"];
    emission.EnableTypeChange(true);
    emission = 3;
    CLxFluorescentProbe probe;
    ASSERT_EQ(CLxFluorescentProbe::LoadFromVariant(probe, v), 0);
    EXPECT_TRUE(Same(probe.m_ExcitationSpectrum, SomeCurve()));
    EXPECT_EQ(probe.m_EmissionSpectrum.GetCount(), 0u);
    const std::vector<SReport> all = reports();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].expression, "res != LX_OK");
}

} // namespace
