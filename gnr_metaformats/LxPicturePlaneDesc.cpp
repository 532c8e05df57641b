#include "gnr_metaformats/LxPicturePlanes.h"

#include "gnr_metaformats/LxRecordArray.h"
#include "gnr_metaformats/LxRecordVariant.h"

SLxPicturePlaneDesc::SLxPicturePlaneDesc()
    : uiCompCount(1), eModality(eWidefieldFluorescence), dLampVoltage(0.0), dFadingCorr(0.0),
      uiColor(0xFFFFFFu), dAcqTime(0.0)
{
}

SLxPicturePlaneDesc::SLxPicturePlaneDesc(const SLxPicturePlaneDesc& other) = default;

SLxPicturePlaneDesc& SLxPicturePlaneDesc::operator=(SLxPicturePlaneDesc& other)
{
    if (this == &other)
        return *this;
    uiCompCount = other.uiCompCount;
    sOpticalConfigName = other.sOpticalConfigName;
    sOpticalConfigFull = other.sOpticalConfigFull;
    eModality = other.eModality;
    pFluorescentProbe = other.pFluorescentProbe;
    pFilterPath = other.pFilterPath;
    sCameraSetting = other.sCameraSetting;
    dLampVoltage = other.dLampVoltage;
    dFadingCorr = other.dFadingCorr;
    uiColor = other.uiColor;
    sDescription = other.sDescription;
    dAcqTime = other.dAcqTime;
    return *this;
}

SLxPicturePlaneDesc::~SLxPicturePlaneDesc() = default;

int SLxPicturePlaneDesc::AllocArray(SLxPicturePlaneDesc*& planes, uint32_t count)
{
    planes = lx_meta::NewArray<SLxPicturePlaneDesc>(count);
    return planes || count == 0 ? 0 : -3;
}

void SLxPicturePlaneDesc::FreeArray(SLxPicturePlaneDesc* planes)
{
    lx_meta::DeleteArray(planes);
}

int SLxPicturePlaneDesc::Copy(SLxPicturePlaneDesc& dst, const SLxPicturePlaneDesc& src)
{
    if (&dst == &src)
        return 0;
    dst.uiCompCount = src.uiCompCount;
    dst.sOpticalConfigName = src.sOpticalConfigName;
    {
        lx_meta::CTypeChangeScope scope(dst.sOpticalConfigFull);
        dst.sOpticalConfigFull = src.sOpticalConfigFull;
    }
    dst.eModality = src.eModality;
    dst.pFluorescentProbe = src.pFluorescentProbe;
    dst.pFilterPath = src.pFilterPath;
    dst.sCameraSetting = src.sCameraSetting;
    dst.dLampVoltage = src.dLampVoltage;
    dst.dFadingCorr = src.dFadingCorr;
    dst.uiColor = src.uiColor;
    dst.sDescription = src.sDescription;
    dst.dAcqTime = src.dAcqTime;
    return 0;
}

int SLxPicturePlaneDesc::CopyArray(SLxPicturePlaneDesc* dst, const SLxPicturePlaneDesc* src,
                                   uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        Copy(dst[i], src[i]);
    return 0;
}

bool SLxPicturePlaneDesc::IsEqual(const SLxPicturePlaneDesc& a, const SLxPicturePlaneDesc& b)
{
    return a.uiCompCount == b.uiCompCount && a.sOpticalConfigName == b.sOpticalConfigName &&
           a.eModality == b.eModality && a.uiColor == b.uiColor && a.sDescription == b.sDescription;
}

bool SLxPicturePlaneDesc::IsModalityMonochrome(EModality modality)
{
    return modality == eWidefieldFluorescence ||
           (modality >= eLaserScanningConfocal && modality <= eMultiPhotonFluorescence);
}

int SLxPicturePlaneDesc::SaveToVariant(CLxVariant& v, const SLxPicturePlaneDesc& plane)
{
    const int begin = lx_meta::BeginSave(v, "RLxPicturePlaneDescV1_1");
    if (begin != 0)
        return begin;
    lx_meta::Put(v, u"uiCompCount", lx_uint32(plane.uiCompCount));
    lx_meta::Put(v, u"sOpticalConfigName", plane.sOpticalConfigName);
    if (CLxVariant* config = lx_meta::ResetList(v, u"sOpticalConfigFull"))
        config->Append(plane.sOpticalConfigFull);
    lx_meta::Put(v, u"eModality", lx_uint32(plane.eModality));
    CLxVariant* member = lx_meta::Member(v, u"pFluorescentProbe");
    int res = member ? CLxFluorescentProbe::SaveToVariant(*member, plane.pFluorescentProbe) : -4;
    if (res != 0)
        LX_META_REPORT_SUBRECORD();
    member = lx_meta::Member(v, u"pFilterPath");
    res = member ? CLxOpticalFilterPath::SaveToVariant(*member, plane.pFilterPath) : -4;
    if (res != 0)
        LX_META_REPORT_SUBRECORD();
    member = lx_meta::Member(v, u"sCameraSetting");
    res = member ? SLxCameraSetting::SaveToVariant(*member, plane.sCameraSetting) : -4;
    if (res != 0)
        LX_META_REPORT_SUBRECORD();
    lx_meta::Put(v, u"dLampVoltage", plane.dLampVoltage);
    lx_meta::Put(v, u"dFadingCorr", plane.dFadingCorr);
    lx_meta::Put(v, u"uiColor", lx_uint32(plane.uiColor));
    lx_meta::Put(v, u"sDescription", plane.sDescription);
    lx_meta::Put(v, u"dAcqTime", plane.dAcqTime);
    return 0;
}

int SLxPicturePlaneDesc::LoadFromVariant(SLxPicturePlaneDesc& plane, const CLxVariant& v)
{
    if (!LX_META_CHECK_RUNTYPE2(v, "RLxPicturePlaneDescV1_1", "RLxPicturePlaneDesc",
                                u"'RLxPicturePlaneDesc' or 'RLxPicturePlaneDescV1_1'"))
        return -4;
    const bool older = v.GetRunType() == CLxVariantRunType("RLxPicturePlaneDesc");
    plane.uiCompCount = lx_meta::GetUInt(v, u"uiCompCount");
    plane.sOpticalConfigName = lx_meta::GetText(v, u"sOpticalConfigName");
    {
        lx_meta::CTypeChangeScope scope(plane.sOpticalConfigFull);
        plane.sOpticalConfigFull.MakeNull();
        const CLxVariant& config = lx_meta::Get(v, u"sOpticalConfigFull");
        if (config.GetCount() == 1)
            plane.sOpticalConfigFull = config[0];
    }
    plane.eModality = EModality(lx_meta::GetUInt(v, u"eModality"));
    int res = CLxFluorescentProbe::LoadFromVariant(plane.pFluorescentProbe,
                                                   lx_meta::Get(v, u"pFluorescentProbe"));
    if (res != 0)
        LX_META_REPORT_SUBRECORD();
    res = CLxOpticalFilterPath::LoadFromVariant(plane.pFilterPath, lx_meta::Get(v, u"pFilterPath"));
    if (res != 0)
        LX_META_REPORT_SUBRECORD();
    res =
        SLxCameraSetting::LoadFromVariant(plane.sCameraSetting, lx_meta::Get(v, u"sCameraSetting"));
    if (res != 0)
        LX_META_REPORT_SUBRECORD();
    plane.dLampVoltage = lx_meta::GetDouble(v, u"dLampVoltage");
    plane.dFadingCorr = lx_meta::GetDouble(v, u"dFadingCorr");
    plane.uiColor = lx_meta::GetUInt(v, u"uiColor");
    plane.sDescription = lx_meta::GetText(v, u"sDescription");
    plane.dAcqTime = older ? -1.0 : lx_meta::GetDouble(v, u"dAcqTime");
    return 0;
}
