// The record run types of the metadata model as data: one table of members
// (key, value type, default) per record, registered in the order of
// s_records, every nested record before the first record that holds it.
#include <cstddef>

#include "gnr_metaformats/LxMetaRunTypesInternal.h"
#include "gnr_system/variant/LxVariant.h"

namespace
{

enum EKind { kInt32, kUInt32, kDouble, kBool, kText, kBytes, kList, kRecord };

struct SMember {
    const char16_t* key;
    EKind kind;
    double value;           // the default of a number or bool
    const char* recordType; // kRecord only
};

#define AUTOFOCUS "RLxExperiment.RLxExpAutoFocus"
#define SPECTRUM "RLxOpticalFilterSpectrum"

const SMember s_iRect[] = {
    {u"left", kInt32, 0, nullptr},
    {u"top", kInt32, 0, nullptr},
    {u"right", kInt32, 0, nullptr},
    {u"bottom", kInt32, 0, nullptr},
};

const SMember s_autoFocus[] = {
    {u"eType", kUInt32, 0, nullptr},    {u"dStep", kDouble, 1.0, nullptr},
    {u"dRange", kDouble, 0, nullptr},   {u"dPrecision", kDouble, 0, nullptr},
    {u"dSpeed", kDouble, 0, nullptr},   {u"dCoeff_0", kDouble, 0, nullptr},
    {u"dCoeff_1", kDouble, 0, nullptr}, {u"dCoeff_2", kDouble, 0, nullptr},
    {u"dCoeff_3", kDouble, 0, nullptr},
};

const SMember s_timeLoop[] = {
    {u"uiCount", kUInt32, 0, nullptr},
    {u"dStart", kDouble, 0, nullptr},
    {u"dPeriod", kDouble, 0, nullptr},
    {u"dDuration", kDouble, 0, nullptr},
    {u"dMinPeriodDiff", kDouble, 0, nullptr},
    {u"dMaxPeriodDiff", kDouble, 0, nullptr},
    {u"dAvgPeriodDiff", kDouble, 0, nullptr},
    {u"sAutoFocusBeforePeriod", kRecord, 0, AUTOFOCUS},
    {u"sAutoFocusBeforeCapture", kRecord, 0, AUTOFOCUS},
};

const SMember s_neTimeLoop[] = {
    {u"uiCount", kUInt32, 0, nullptr},
    {u"uiPeriodCount", kUInt32, 0, nullptr},
    {u"pPeriod", kList, 0, nullptr},
    {u"pSubLoops", kList, 0, nullptr},
    {u"sAutoFocusBeforePeriod", kRecord, 0, AUTOFOCUS},
    {u"sAutoFocusBeforeCapture", kRecord, 0, AUTOFOCUS},
    {u"szCommandBeforePeriod", kList, 0, nullptr},
    {u"szCommandAfterPeriod", kList, 0, nullptr},
    {u"pPeriodValid", kList, 0, nullptr},
};

const SMember s_xyPosLoop[] = {
    {u"uiCount", kUInt32, 0, nullptr},
    {u"dPosX", kList, 0, nullptr},
    {u"dPosY", kList, 0, nullptr},
    {u"bUseZ", kBool, 0, nullptr},
    {u"dPosZ", kList, 0, nullptr},
    {u"dPFSOffset", kList, 0, nullptr},
    {u"sAutoFocusBeforeCapture", kRecord, 0, AUTOFOCUS},
    {u"pPosName", kList, 0, nullptr},
    {u"bRelativeXY", kBool, 0, nullptr},
};

const SMember s_xyDiscrLoop[] = {
    {u"uiCount", kUInt32, 0, nullptr},
    {u"uiRow", kList, 0, nullptr},
    {u"uiCol", kList, 0, nullptr},
    {u"bUseZ", kBool, 0, nullptr},
    {u"dPosZ", kList, 0, nullptr},
    {u"uiLargeImageRows", kUInt32, 1, nullptr},
    {u"uiLargeImageCols", kUInt32, 1, nullptr},
};

const SMember s_zStackLoop[] = {
    {u"uiCount", kUInt32, 0, nullptr},
    {u"dZLow", kDouble, 0, nullptr},
    {u"dZLowPFSOffset", kDouble, 0, nullptr},
    {u"dZHigh", kDouble, 0, nullptr},
    {u"dZHighPFSOffset", kDouble, 0, nullptr},
    {u"dZHome", kDouble, 0, nullptr},
    {u"dZStep", kDouble, -1.0, nullptr},
    {u"bAbsolute", kBool, 0, nullptr},
    {u"bTriggeredPiezo", kBool, 0, nullptr},
    {u"iType", kInt32, 0, nullptr},
    {u"bZInverted", kBool, 0, nullptr},
    {u"dReferencePosition", kDouble, 0, nullptr},
    {u"sZDevice", kText, 0, nullptr},
    {u"sCommandBeforeCapture", kText, 0, nullptr},
    {u"sCommandAfterCapture", kText, 0, nullptr},
};

const SMember s_polarLoop[] = {
    {u"uiCount", kUInt32, 0, nullptr},
    {u"dAngleStart", kDouble, 0, nullptr},
    {u"dAngleFinish", kDouble, 0, nullptr},
    {u"bSceneRotates", kBool, 0, nullptr},
};

const SMember s_spectrumPoint[] = {
    {u"eType", kUInt32, 0, nullptr},
    {u"uiWavelength", kUInt32, 0, nullptr},
    {u"dWavelength", kDouble, 0, nullptr},
    {u"dTValue", kDouble, 0, nullptr},
};

const SMember s_spectrum[] = {
    {u"uiCount", kUInt32, 0, nullptr},
    {u"pPoint", kList, 0, nullptr},
    {u"bPoints", kBool, 0, nullptr},
};

const SMember s_filter[] = {
    {u"m_sName", kText, 0, nullptr},
    {u"m_ePlacement", kUInt32, 0, nullptr},
    {u"m_eNature", kUInt32, 0, nullptr},
    {u"m_eSpctType", kUInt32, 0, nullptr},
    {u"m_uiColor", kUInt32, 0, nullptr},
    {u"m_ExcitationSpectrum", kRecord, 0, SPECTRUM},
    {u"m_EmissionSpectrum", kRecord, 0, SPECTRUM},
    {u"m_MirrorSpectrum", kRecord, 0, SPECTRUM},
};

const SMember s_filterPath[] = {
    {u"m_sDescr", kText, 0, nullptr},
    {u"m_uiCount", kUInt32, 0, nullptr},
    {u"m_pFilter", kList, 0, nullptr},
};

const SMember s_probe[] = {
    {u"m_sName", kText, 0, nullptr},
    {u"m_uiColor", kUInt32, 0, nullptr},
    {u"m_ExcitationSpectrum", kRecord, 0, SPECTRUM},
    {u"m_EmissionSpectrum", kRecord, 0, SPECTRUM},
};

const SMember s_cameraSetting[] = {
    {u"sCameraName", kText, 0, nullptr},       {u"dExposure", kDouble, 0, nullptr},
    {u"iOffset", kInt32, 0, nullptr},          {u"dGain", kDouble, 1.0, nullptr},
    {u"dGamma", kDouble, 1.0, nullptr},        {u"dExposureRed", kDouble, 0, nullptr},
    {u"iOffsetRed", kInt32, 0, nullptr},       {u"dGainRed", kDouble, 1.0, nullptr},
    {u"dGammaRed", kDouble, 1.0, nullptr},     {u"dExposureGreen", kDouble, 0, nullptr},
    {u"iOffsetGreen", kInt32, 0, nullptr},     {u"dGainGreen", kDouble, 1.0, nullptr},
    {u"dGammaGreen", kDouble, 1.0, nullptr},   {u"dExposureBlue", kDouble, 0, nullptr},
    {u"iOffsetBlue", kInt32, 0, nullptr},      {u"dGainBlue", kDouble, 1.0, nullptr},
    {u"dGammaBlue", kDouble, 1.0, nullptr},    {u"sCameraFormatName", kText, 0, nullptr},
    {u"dCamChipSizeX", kDouble, 0, nullptr},   {u"dCamChipSizeY", kDouble, 0, nullptr},
    {u"uiCamPxlCountX", kUInt32, 0, nullptr},  {u"uiCamPxlCountY", kUInt32, 0, nullptr},
    {u"dCamBinningX", kDouble, 1.0, nullptr},  {u"dCamBinningY", kDouble, 1.0, nullptr},
    {u"rcCamChipSrc", kRecord, 0, "RLxIRect"}, {u"bFlippedUpDown", kBool, 0, nullptr},
    {u"bFlippedLeftRight", kBool, 0, nullptr}, {u"sSpecSettings", kText, 0, nullptr},
};

// The older channel form is the first eleven members of the newer one.
const SMember s_planeDescV1_1[] = {
    {u"uiCompCount", kUInt32, 0, nullptr},
    {u"sOpticalConfigName", kText, 0, nullptr},
    {u"sOpticalConfigFull", kList, 0, nullptr},
    {u"eModality", kUInt32, 0, nullptr},
    {u"pFluorescentProbe", kRecord, 0, "RLxFluorescentProbe"},
    {u"pFilterPath", kRecord, 0, "RLxOpticalFilterPath"},
    {u"sCameraSetting", kRecord, 0, "RLxCameraSetting"},
    {u"dLampVoltage", kDouble, 0, nullptr},
    {u"dFadingCorr", kDouble, 0, nullptr},
    {u"uiColor", kUInt32, 0, nullptr},
    {u"sDescription", kText, 0, nullptr},
    {u"dAcqTime", kDouble, -1.0, nullptr},
};

const SMember s_spectLoop[] = {
    {u"uiCount", kUInt32, 0, nullptr},
    {u"pPlaneDesc", kList, 0, nullptr},
    {u"pAutoFocus", kList, 0, nullptr},
    {u"szCommandBeforeCapture", kList, 0, nullptr},
    {u"szCommandAfterCapture", kList, 0, nullptr},
};

const SMember s_customLoop[] = {
    {u"uiCount", kUInt32, 0, nullptr},
    {u"wsDescription", kText, 0, nullptr},
};

const SMember s_largeImage[] = {
    {u"iMethod", kInt32, 0, nullptr},  {u"iXFields", kInt32, 1, nullptr},
    {u"iYFields", kInt32, 1, nullptr}, {u"dXmm", kDouble, 1.0, nullptr},
    {u"dYmm", kDouble, 1.0, nullptr},
};

const SMember s_experiment[] = {
    {u"eType", kUInt32, 0, nullptr},
    {u"wsApplicationDesc", kText, 0, nullptr},
    {u"wsUserDesc", kText, 0, nullptr},
    {u"aMeasProbesBase64", kBytes, 0, nullptr},
    {u"uLoopPars", kList, 0, nullptr},
    {u"pItemValid", kList, 0, nullptr},
    {u"sAutoFocusBeforeLoop", kRecord, 0, AUTOFOCUS},
    {u"wsCommandBeforeLoop", kText, 0, nullptr},
    {u"wsCommandBeforeCapture", kText, 0, nullptr},
    {u"wsCommandAfterCapture", kText, 0, nullptr},
    {u"wsCommandAfterLoop", kText, 0, nullptr},
    {u"bControlShutter", kBool, 1, nullptr},
    {u"bUsePFS", kBool, 0, nullptr},
    {u"uiRepeatCount", kUInt32, 0, nullptr},
    {u"ppNextLevelEx", kList, 0, nullptr},
    {u"bControlLight", kBool, 0, nullptr},
    {u"pLargeImage", kList, 0, nullptr},
};

const SMember s_picturePlanes[] = {
    {u"uiCount", kUInt32, 0, nullptr},
    {u"uiCompCount", kUInt32, 0, nullptr},
    {u"sPlane", kList, 0, nullptr},
    {u"sDescription", kText, 0, nullptr},
};

const SMember s_physicalVar[] = {
    {u"wsName", kText, 0, nullptr},
    {u"uiIntepretation", kUInt32, 0, nullptr},
    {u"dValue", kDouble, 0, nullptr},
};

const SMember s_pictureMetadata[] = {
    {u"dTimeMSec", kDouble, 0, nullptr},
    {u"dTimeAbsolute", kDouble, 0, nullptr},
    {u"dXPos", kDouble, 0, nullptr},
    {u"dYPos", kDouble, 0, nullptr},
    {u"uiRow", kUInt32, 0, nullptr},
    {u"uiCol", kUInt32, 0, nullptr},
    {u"dZPos", kDouble, 0, nullptr},
    {u"bZPosAbsolute", kBool, 1, nullptr},
    {u"dAngle", kDouble, 0, nullptr},
    {u"sPicturePlanes", kRecord, 0, "RLxPicturePlanes"},
    {u"sCameraSetting", kRecord, 0, "RLxCameraSetting"},
    {u"dTemperK", kDouble, 0, nullptr},
    {u"dCalibration", kDouble, 0, nullptr},
    {u"dAspect", kDouble, 0, nullptr},
    {u"bCalibrated", kBool, 0, nullptr},
    {u"wsObjectiveName", kText, 0, nullptr},
    {u"dObjectiveMag", kDouble, 1.0, nullptr},
    {u"dObjectiveNA", kDouble, 1.0, nullptr},
    {u"dRefractIndex1", kDouble, 1.0, nullptr},
    {u"dRefractIndex2", kDouble, 1.0, nullptr},
    {u"dPinholeRadius", kDouble, 0, nullptr},
    {u"dZoom", kDouble, 1.0, nullptr},
    {u"dProjectiveMag", kDouble, 1.0, nullptr},
    {u"pPhysicalVar", kList, 0, nullptr},
    {u"uiPhysicalVarCount", kUInt32, 0, nullptr},
    {u"wsCustomData", kText, 0, nullptr},
    {u"ePictureXAxis", kInt32, 0, nullptr},
    {u"ePictureYAxis", kInt32, 1, nullptr},
    {u"dStgLgCT11", kDouble, 1.0, nullptr},
    {u"dStgLgCT12", kDouble, 0, nullptr},
    {u"dStgLgCT21", kDouble, 0, nullptr},
    {u"dStgLgCT22", kDouble, 1.0, nullptr},
};

const SMember s_event[] = {
    {u"dTime", kDouble, 0, nullptr},       {u"eMeaning", kUInt32, 0, nullptr},
    {u"wsDescription", kText, 0, nullptr}, {u"wsData", kText, 0, nullptr},
    {u"uiID", kUInt32, 0, nullptr},
};

const SMember s_experimentRecord[] = {
    {u"wsNotes", kText, 0, nullptr},
    {u"pFirstEvent", kList, 0, nullptr},
};

struct SRecord {
    const char16_t* runType;
    const SMember* members;
    size_t count;
};

template <size_t N> constexpr SRecord Record(const char16_t* runType, const SMember (&m)[N])
{
    return {runType, m, N};
}

const SRecord s_records[] = {
    Record(u"" AUTOFOCUS, s_autoFocus),
    Record(u"RLxExperiment.RLxExpTimeLoop", s_timeLoop),
    Record(u"RLxExperiment.RLxExpNETimeLoop", s_neTimeLoop),
    Record(u"RLxExperiment.RLxExpXYPosLoop", s_xyPosLoop),
    Record(u"RLxExperiment.RLxExpXYDiscrLoop", s_xyDiscrLoop),
    Record(u"RLxExperiment.RLxExpZStackLoop", s_zStackLoop),
    Record(u"RLxExperiment.RLxExpPolarLoop", s_polarLoop),
    Record(u"RLxOFSpectrumPoint", s_spectrumPoint),
    Record(u"" SPECTRUM, s_spectrum),
    Record(u"RLxOpticalFilter", s_filter),
    Record(u"RLxOpticalFilterPath", s_filterPath),
    Record(u"RLxFluorescentProbe", s_probe),
    Record(u"RLxCameraSetting", s_cameraSetting),
    {u"RLxPicturePlaneDesc", s_planeDescV1_1, sizeof(s_planeDescV1_1) / sizeof(SMember) - 1},
    Record(u"RLxPicturePlaneDescV1_1", s_planeDescV1_1),
    Record(u"RLxExperiment.RLxExpSpectLoop", s_spectLoop),
    Record(u"RLxExperiment.RLxExpCustomLoop", s_customLoop),
    Record(u"RLxExperiment.RLxLIDesc", s_largeImage),
    Record(u"RLxExperiment", s_experiment),
    Record(u"RLxPicturePlanes", s_picturePlanes),
    Record(u"RLxPictureMetadata.RLxPictureMetadata", s_physicalVar),
    Record(u"RLxPictureMetadata", s_pictureMetadata),
    Record(u"RLxExperimentEvent", s_event),
    Record(u"RLxExperimentRecord", s_experimentRecord),
};

CLxVariant MakeMember(const SMember& m)
{
    const CLxStringW key(m.key);
    switch (m.kind) {
    case kInt32:
        return CLxVariant(int(m.value), key);
    case kUInt32:
        return CLxVariant(static_cast<unsigned int>(m.value), key);
    case kDouble:
        return CLxVariant(m.value, key);
    case kBool:
        return CLxVariant(m.value != 0.0, key);
    case kText:
        return CLxVariant(CLxStringW(), key);
    case kBytes:
        return CLxVariant(CLxByteArray(1024), key);
    case kList:
        return CLxVariant(CLxVariantRunType("CLxListVariant"), key);
    case kRecord:
        return CLxVariant(CLxVariantRunType(m.recordType), key);
    }
    return CLxVariant();
}

int Register(const char16_t* runType, const SMember* members, size_t count)
{
    CLxVariant sample{CLxListVariant(), CLxStringW(runType)};
    for (size_t i = 0; i < count; ++i)
        sample.Append(MakeMember(members[i]));
    return CLxVariant::RegisterRunType(sample);
}

} // namespace

int LX_RegisterMetaRunTypes()
{
    int result = Register(u"RLxIRect", s_iRect, sizeof(s_iRect) / sizeof(SMember));
    for (const SRecord& record : s_records) {
        if (Register(record.runType, record.members, record.count) != 0)
            result = -9;
    }
    return result == 0 ? 0 : -9;
}
