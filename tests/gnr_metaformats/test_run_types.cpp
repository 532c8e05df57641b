// The record run types registered at load: every prototype against the
// layout tables of the model, written out here independently of the source.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "gnr_metaformats/LxMetaformats.h"
#include "gnr_system/variant/LxVariant.h"
#include "gnr_system/variant/variant_test_support.h"

namespace
{

struct SKey {
    const char* key;
    const char* type;  // run type of the member
    std::string value; // default as text ("" for lists, records, empty text)
};

struct SLayout {
    const char* runType;
    std::vector<SKey> keys;
};

const char* const AF = "RLxExperiment.RLxExpAutoFocus";
const char* const SP = "RLxOpticalFilterSpectrum";
const char* const L = "CLxListVariant";

std::vector<SKey> PlaneDescKeys()
{
    return {{"uiCompCount", "lx_uint32", "0"},
            {"sOpticalConfigName", "CLxStringW", ""},
            {"sOpticalConfigFull", L, ""},
            {"eModality", "lx_uint32", "0"},
            {"pFluorescentProbe", "RLxFluorescentProbe", ""},
            {"pFilterPath", "RLxOpticalFilterPath", ""},
            {"sCameraSetting", "RLxCameraSetting", ""},
            {"dLampVoltage", "double", "0"},
            {"dFadingCorr", "double", "0"},
            {"uiColor", "lx_uint32", "0"},
            {"sDescription", "CLxStringW", ""}};
}

std::vector<SKey> PlaneDescV11Keys()
{
    std::vector<SKey> keys = PlaneDescKeys();
    keys.push_back({"dAcqTime", "double", "-1"});
    return keys;
}

// The 24 records in their order of registration.
const std::vector<SLayout>& Layouts()
{
    static const std::vector<SLayout> layouts = {
        {AF,
         {{"eType", "lx_uint32", "0"},
          {"dStep", "double", "1"},
          {"dRange", "double", "0"},
          {"dPrecision", "double", "0"},
          {"dSpeed", "double", "0"},
          {"dCoeff_0", "double", "0"},
          {"dCoeff_1", "double", "0"},
          {"dCoeff_2", "double", "0"},
          {"dCoeff_3", "double", "0"}}},
        {"RLxExperiment.RLxExpTimeLoop",
         {{"uiCount", "lx_uint32", "0"},
          {"dStart", "double", "0"},
          {"dPeriod", "double", "0"},
          {"dDuration", "double", "0"},
          {"dMinPeriodDiff", "double", "0"},
          {"dMaxPeriodDiff", "double", "0"},
          {"dAvgPeriodDiff", "double", "0"},
          {"sAutoFocusBeforePeriod", AF, ""},
          {"sAutoFocusBeforeCapture", AF, ""}}},
        {"RLxExperiment.RLxExpNETimeLoop",
         {{"uiCount", "lx_uint32", "0"},
          {"uiPeriodCount", "lx_uint32", "0"},
          {"pPeriod", L, ""},
          {"pSubLoops", L, ""},
          {"sAutoFocusBeforePeriod", AF, ""},
          {"sAutoFocusBeforeCapture", AF, ""},
          {"szCommandBeforePeriod", L, ""},
          {"szCommandAfterPeriod", L, ""},
          {"pPeriodValid", L, ""}}},
        {"RLxExperiment.RLxExpXYPosLoop",
         {{"uiCount", "lx_uint32", "0"},
          {"dPosX", L, ""},
          {"dPosY", L, ""},
          {"bUseZ", "bool", "false"},
          {"dPosZ", L, ""},
          {"dPFSOffset", L, ""},
          {"sAutoFocusBeforeCapture", AF, ""},
          {"pPosName", L, ""},
          {"bRelativeXY", "bool", "false"}}},
        {"RLxExperiment.RLxExpXYDiscrLoop",
         {{"uiCount", "lx_uint32", "0"},
          {"uiRow", L, ""},
          {"uiCol", L, ""},
          {"bUseZ", "bool", "false"},
          {"dPosZ", L, ""},
          {"uiLargeImageRows", "lx_uint32", "1"},
          {"uiLargeImageCols", "lx_uint32", "1"}}},
        {"RLxExperiment.RLxExpZStackLoop",
         {{"uiCount", "lx_uint32", "0"},
          {"dZLow", "double", "0"},
          {"dZLowPFSOffset", "double", "0"},
          {"dZHigh", "double", "0"},
          {"dZHighPFSOffset", "double", "0"},
          {"dZHome", "double", "0"},
          {"dZStep", "double", "-1"},
          {"bAbsolute", "bool", "false"},
          {"bTriggeredPiezo", "bool", "false"},
          {"iType", "lx_int32", "0"},
          {"bZInverted", "bool", "false"},
          {"dReferencePosition", "double", "0"},
          {"sZDevice", "CLxStringW", ""},
          {"sCommandBeforeCapture", "CLxStringW", ""},
          {"sCommandAfterCapture", "CLxStringW", ""}}},
        {"RLxExperiment.RLxExpPolarLoop",
         {{"uiCount", "lx_uint32", "0"},
          {"dAngleStart", "double", "0"},
          {"dAngleFinish", "double", "0"},
          {"bSceneRotates", "bool", "false"}}},
        {"RLxOFSpectrumPoint",
         {{"eType", "lx_uint32", "0"},
          {"uiWavelength", "lx_uint32", "0"},
          {"dWavelength", "double", "0"},
          {"dTValue", "double", "0"}}},
        {SP, {{"uiCount", "lx_uint32", "0"}, {"pPoint", L, ""}, {"bPoints", "bool", "false"}}},
        {"RLxOpticalFilter",
         {{"m_sName", "CLxStringW", ""},
          {"m_ePlacement", "lx_uint32", "0"},
          {"m_eNature", "lx_uint32", "0"},
          {"m_eSpctType", "lx_uint32", "0"},
          {"m_uiColor", "lx_uint32", "0"},
          {"m_ExcitationSpectrum", SP, ""},
          {"m_EmissionSpectrum", SP, ""},
          {"m_MirrorSpectrum", SP, ""}}},
        {"RLxOpticalFilterPath",
         {{"m_sDescr", "CLxStringW", ""}, {"m_uiCount", "lx_uint32", "0"}, {"m_pFilter", L, ""}}},
        {"RLxFluorescentProbe",
         {{"m_sName", "CLxStringW", ""},
          {"m_uiColor", "lx_uint32", "0"},
          {"m_ExcitationSpectrum", SP, ""},
          {"m_EmissionSpectrum", SP, ""}}},
        {"RLxCameraSetting",
         {{"sCameraName", "CLxStringW", ""},
          {"dExposure", "double", "0"},
          {"iOffset", "lx_int32", "0"},
          {"dGain", "double", "1"},
          {"dGamma", "double", "1"},
          {"dExposureRed", "double", "0"},
          {"iOffsetRed", "lx_int32", "0"},
          {"dGainRed", "double", "1"},
          {"dGammaRed", "double", "1"},
          {"dExposureGreen", "double", "0"},
          {"iOffsetGreen", "lx_int32", "0"},
          {"dGainGreen", "double", "1"},
          {"dGammaGreen", "double", "1"},
          {"dExposureBlue", "double", "0"},
          {"iOffsetBlue", "lx_int32", "0"},
          {"dGainBlue", "double", "1"},
          {"dGammaBlue", "double", "1"},
          {"sCameraFormatName", "CLxStringW", ""},
          {"dCamChipSizeX", "double", "0"},
          {"dCamChipSizeY", "double", "0"},
          {"uiCamPxlCountX", "lx_uint32", "0"},
          {"uiCamPxlCountY", "lx_uint32", "0"},
          {"dCamBinningX", "double", "1"},
          {"dCamBinningY", "double", "1"},
          {"rcCamChipSrc", "RLxIRect", ""},
          {"bFlippedUpDown", "bool", "false"},
          {"bFlippedLeftRight", "bool", "false"},
          {"sSpecSettings", "CLxStringW", ""}}},
        {"RLxPicturePlaneDesc", PlaneDescKeys()},
        {"RLxPicturePlaneDescV1_1", PlaneDescV11Keys()},
        {"RLxExperiment.RLxExpSpectLoop",
         {{"uiCount", "lx_uint32", "0"},
          {"pPlaneDesc", L, ""},
          {"pAutoFocus", L, ""},
          {"szCommandBeforeCapture", L, ""},
          {"szCommandAfterCapture", L, ""}}},
        {"RLxExperiment.RLxExpCustomLoop",
         {{"uiCount", "lx_uint32", "0"}, {"wsDescription", "CLxStringW", ""}}},
        {"RLxExperiment.RLxLIDesc",
         {{"iMethod", "lx_int32", "0"},
          {"iXFields", "lx_int32", "1"},
          {"iYFields", "lx_int32", "1"},
          {"dXmm", "double", "1"},
          {"dYmm", "double", "1"}}},
        {"RLxExperiment",
         {{"eType", "lx_uint32", "0"},
          {"wsApplicationDesc", "CLxStringW", ""},
          {"wsUserDesc", "CLxStringW", ""},
          {"aMeasProbesBase64", "CLxByteArray", ""},
          {"uLoopPars", L, ""},
          {"pItemValid", L, ""},
          {"sAutoFocusBeforeLoop", AF, ""},
          {"wsCommandBeforeLoop", "CLxStringW", ""},
          {"wsCommandBeforeCapture", "CLxStringW", ""},
          {"wsCommandAfterCapture", "CLxStringW", ""},
          {"wsCommandAfterLoop", "CLxStringW", ""},
          {"bControlShutter", "bool", "true"},
          {"bUsePFS", "bool", "false"},
          {"uiRepeatCount", "lx_uint32", "0"},
          {"ppNextLevelEx", L, ""},
          {"bControlLight", "bool", "false"},
          {"pLargeImage", L, ""}}},
        {"RLxPicturePlanes",
         {{"uiCount", "lx_uint32", "0"},
          {"uiCompCount", "lx_uint32", "0"},
          {"sPlane", L, ""},
          {"sDescription", "CLxStringW", ""}}},
        {"RLxPictureMetadata.RLxPictureMetadata",
         {{"wsName", "CLxStringW", ""},
          {"uiIntepretation", "lx_uint32", "0"},
          {"dValue", "double", "0"}}},
        {"RLxPictureMetadata",
         {{"dTimeMSec", "double", "0"},
          {"dTimeAbsolute", "double", "0"},
          {"dXPos", "double", "0"},
          {"dYPos", "double", "0"},
          {"uiRow", "lx_uint32", "0"},
          {"uiCol", "lx_uint32", "0"},
          {"dZPos", "double", "0"},
          {"bZPosAbsolute", "bool", "true"},
          {"dAngle", "double", "0"},
          {"sPicturePlanes", "RLxPicturePlanes", ""},
          {"sCameraSetting", "RLxCameraSetting", ""},
          {"dTemperK", "double", "0"},
          {"dCalibration", "double", "0"},
          {"dAspect", "double", "0"},
          {"bCalibrated", "bool", "false"},
          {"wsObjectiveName", "CLxStringW", ""},
          {"dObjectiveMag", "double", "1"},
          {"dObjectiveNA", "double", "1"},
          {"dRefractIndex1", "double", "1"},
          {"dRefractIndex2", "double", "1"},
          {"dPinholeRadius", "double", "0"},
          {"dZoom", "double", "1"},
          {"dProjectiveMag", "double", "1"},
          {"pPhysicalVar", L, ""},
          {"uiPhysicalVarCount", "lx_uint32", "0"},
          {"wsCustomData", "CLxStringW", ""},
          {"ePictureXAxis", "lx_int32", "0"},
          {"ePictureYAxis", "lx_int32", "1"},
          {"dStgLgCT11", "double", "1"},
          {"dStgLgCT12", "double", "0"},
          {"dStgLgCT21", "double", "0"},
          {"dStgLgCT22", "double", "1"}}},
        {"RLxExperimentEvent",
         {{"dTime", "double", "0"},
          {"eMeaning", "lx_uint32", "0"},
          {"wsDescription", "CLxStringW", ""},
          {"wsData", "CLxStringW", ""},
          {"uiID", "lx_uint32", "0"}}},
        {"RLxExperimentRecord", {{"wsNotes", "CLxStringW", ""}, {"pFirstEvent", L, ""}}},
    };
    return layouts;
}

// A default as text: numbers without trailing zeros, bools as words.
std::string DefaultText(const CLxVariant& member)
{
    if (member.GetCount() >= 0)
        return "";
    const std::string type = RunTypeOf(member);
    if (type == "double") {
        char buffer[64];
        snprintf(buffer, sizeof buffer, "%g", member.GetDouble());
        return buffer;
    }
    if (type == "CLxByteArray")
        return member.GetCLxByteArray().GetSize() == 0 ? "" : "<bytes>";
    return TextOf(member);
}

class RunTypesTest : public VariantTest
{
};

TEST_F(RunTypesTest, EveryPrototypeHasTheTabledKeysTypesAndDefaults)
{
    for (const SLayout& layout : Layouts()) {
        SCOPED_TRACE(layout.runType);
        const CLxVariant& sample = CLxVariant::GetRunTypeSample(CLxVariantRunType(layout.runType));
        ASSERT_EQ(sample.GetCount(), int(layout.keys.size()));
        for (size_t i = 0; i < layout.keys.size(); ++i) {
            const SKey& key = layout.keys[i];
            SCOPED_TRACE(key.key);
            EXPECT_EQ(NameOf(sample[int(i)]), key.key);
            EXPECT_EQ(RunTypeOf(sample[int(i)]), key.type);
            EXPECT_EQ(DefaultText(sample[int(i)]), key.value);
        }
    }
    expectNoReport();
}

TEST_F(RunTypesTest, RecordsAreRegisteredInTheirOrderAfterTheRectangle)
{
    unsigned previous = CLxVariant::GetRunTypeIndex(CLxVariantRunType("RLxIRect"), true);
    ASSERT_NE(previous, UINT_MAX);
    for (const SLayout& layout : Layouts()) {
        const unsigned index = CLxVariant::GetRunTypeIndex(CLxVariantRunType(layout.runType), true);
        EXPECT_GT(index, previous) << layout.runType;
        previous = index;
    }
    const CLxVariant& rect = CLxVariant::GetRunTypeSample(CLxVariantRunType("RLxIRect"));
    ASSERT_EQ(rect.GetCount(), 4);
    const char* const names[4] = {"left", "top", "right", "bottom"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(NameOf(rect[i]), names[i]);
        EXPECT_EQ(RunTypeOf(rect[i]), "lx_int32");
    }
}

TEST_F(RunTypesTest, AnExperimentLevelHasSeventeenMembersAndControlsTheShutter)
{
    CLxVariant level(CLxVariantRunType("RLxExperiment"), u"level");
    ASSERT_EQ(level.GetCount(), 17);
    EXPECT_TRUE(level[u"bControlShutter"].GetBool());
    EXPECT_EQ(level[u"uiRepeatCount"].GetLx_uint32(), 0u);
    EXPECT_EQ(RunTypeOf(level[u"sAutoFocusBeforeLoop"]), AF);
    EXPECT_EQ(level[u"sAutoFocusBeforeLoop"][u"dStep"].GetDouble(), 1.0);
}

TEST_F(RunTypesTest, TheNewerChannelFormAddsOnlyTheAcquisitionTime)
{
    const CLxVariant& older =
        CLxVariant::GetRunTypeSample(CLxVariantRunType("RLxPicturePlaneDesc"));
    const CLxVariant& newer =
        CLxVariant::GetRunTypeSample(CLxVariantRunType("RLxPicturePlaneDescV1_1"));
    ASSERT_EQ(newer.GetCount(), older.GetCount() + 1);
    for (int i = 0; i < older.GetCount(); ++i) {
        EXPECT_EQ(NameOf(newer[i]), NameOf(older[i]));
        EXPECT_TRUE(newer[i] == older[i]) << NameOf(older[i]);
    }
    EXPECT_EQ(NameOf(newer[older.GetCount()]), "dAcqTime");
    EXPECT_EQ(newer[older.GetCount()].GetDouble(), -1.0);
}

TEST_F(RunTypesTest, AttachingAgainAcceptsTheSameLayouts)
{
    EXPECT_EQ(LX_GnrMetaformatsAttach(), 0);
    expectNoReport();
}

TEST_F(RunTypesTest, AnotherLayoutUnderARecordNameIsRefusedAndTheFirstKept)
{
    CLxVariant impostor(CLxListVariant(), u"RLxExperimentEvent");
    impostor.Append(CLxVariant(1, u"x"));
    EXPECT_EQ(CLxVariant::RegisterRunType(impostor), -9);
    EXPECT_EQ(report().message,
              "Error: same Runtype already registered with different definition!");
    EXPECT_EQ(CLxVariant::GetRunTypeSample(CLxVariantRunType("RLxExperimentEvent")).GetCount(), 5);
}

} // namespace
