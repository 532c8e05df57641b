#include "gnr_metaformats/LxPictureMetadata.h"

#include <ctime>

#include "gnr_metaformats/LxRecordArray.h"
#include "gnr_metaformats/LxRecordVariant.h"
#include "gnr_system/time/LxDateTime.h"

namespace
{

// The plain number fields, keyed, in the order of the keys up to the
// planes ("dTimeMSec" to "dAngle") and after them ("dTemperK" to
// "dProjectiveMag").
struct SDoubleField {
    const char16_t* key;
    double SLxPictureMetadata::*member;
};

const SDoubleField kPositions[] = {
    {u"dXPos", &SLxPictureMetadata::dXPos},
    {u"dYPos", &SLxPictureMetadata::dYPos},
};

const SDoubleField kOptics[] = {
    {u"dObjectiveMag", &SLxPictureMetadata::dObjectiveMag},
    {u"dObjectiveNA", &SLxPictureMetadata::dObjectiveNA},
    {u"dRefractIndex1", &SLxPictureMetadata::dRefractIndex1},
    {u"dRefractIndex2", &SLxPictureMetadata::dRefractIndex2},
    {u"dPinholeRadius", &SLxPictureMetadata::dPinholeRadius},
    {u"dZoom", &SLxPictureMetadata::dZoom},
    {u"dProjectiveMag", &SLxPictureMetadata::dProjectiveMag},
};

// The stage matrix in key order; memory holds 11, 21, 12, 22.
const SDoubleField kMatrix[] = {
    {u"dStgLgCT11", &SLxPictureMetadata::dStgLgCT11},
    {u"dStgLgCT12", &SLxPictureMetadata::dStgLgCT12},
    {u"dStgLgCT21", &SLxPictureMetadata::dStgLgCT21},
    {u"dStgLgCT22", &SLxPictureMetadata::dStgLgCT22},
};

double LocalNowJulianDay()
{
    const time_t now = time(nullptr);
    struct tm local = {};
    localtime_r(&now, &local);
    CLxDateTime dt;
    dt.Set(local);
    return dt.GetJulianDayNumber();
}

// Copies everything but the two arrays.
void CopyPlainFields(SLxPictureMetadata& dst, const SLxPictureMetadata& src)
{
    dst.dTimeAbsolute = src.dTimeAbsolute;
    dst.dTimeMSec = src.dTimeMSec;
    dst.dXPos = src.dXPos;
    dst.dYPos = src.dYPos;
    dst.uiRow = src.uiRow;
    dst.uiCol = src.uiCol;
    dst.dZPos = src.dZPos;
    dst.bZPosAbsolute = src.bZPosAbsolute;
    dst.dAngle = src.dAngle;
    dst.dTemperK = src.dTemperK;
    dst.dCalibration = src.dCalibration;
    dst.dAspect = src.dAspect;
    dst.bCalibrated = src.bCalibrated;
    dst.wsObjectiveName = src.wsObjectiveName;
    for (const SDoubleField& f : kOptics)
        dst.*f.member = src.*f.member;
    dst.wsCustomData = src.wsCustomData;
    dst.ePictureXAxis = src.ePictureXAxis;
    dst.ePictureYAxis = src.ePictureYAxis;
    for (const SDoubleField& f : kMatrix)
        dst.*f.member = src.*f.member;
}

} // namespace

SLxPictureMetadata::SLxPictureMetadata()
    : dTimeAbsolute(-1.0), dTimeMSec(-1.0), dXPos(-1.0), dYPos(-1.0), uiRow(0xFFFFFFFFu),
      uiCol(0xFFFFFFFFu), dZPos(-1.0), bZPosAbsolute(false), dAngle(-1.0), dTemperK(-1.0),
      dCalibration(-1.0), dAspect(-1.0), bCalibrated(false), dObjectiveMag(-1.0),
      dObjectiveNA(-1.0), dRefractIndex1(-1.0), dRefractIndex2(-1.0), dPinholeRadius(-1.0),
      dZoom(-1.0), dProjectiveMag(-1.0), pPhysicalVar(nullptr), uiPhysicalVarCount(0),
      ePictureXAxis(0), ePictureYAxis(1), dStgLgCT11(1.0), dStgLgCT21(0.0), dStgLgCT12(0.0),
      dStgLgCT22(1.0)
{
}

SLxPictureMetadata::SLxPictureMetadata(const SLxPictureMetadata& other) : SLxPictureMetadata()
{
    Copy(*this, other);
}

SLxPictureMetadata& SLxPictureMetadata::operator=(const SLxPictureMetadata& other)
{
    if (this != &other)
        Copy(*this, other);
    return *this;
}

SLxPictureMetadata::~SLxPictureMetadata()
{
    FreePhysicalVars();
    SLxPicturePlanes::Free(sPicturePlanes);
}

void SLxPictureMetadata::FreePhysicalVars()
{
    lx_meta::DeleteArray(pPhysicalVar);
    pPhysicalVar = nullptr;
    uiPhysicalVarCount = 0;
}

void SLxPictureMetadata::SetToDefault()
{
    dTimeAbsolute = LocalNowJulianDay();
    dTimeMSec = 0.0;
    dXPos = dYPos = 0.0;
    uiRow = uiCol = 0;
    dZPos = 0.0;
    bZPosAbsolute = false;
    dAngle = 0.0;
    SLxPicturePlanes::Free(sPicturePlanes);
    dTemperK = 293.0;
    dCalibration = -1.0;
    dAspect = -1.0;
    bCalibrated = false;
    wsObjectiveName.Empty();
    for (const SDoubleField& f : kOptics)
        this->*f.member = -1.0;
    FreePhysicalVars();
    ePictureXAxis = 0;
    ePictureYAxis = 1;
    dStgLgCT11 = dStgLgCT22 = 1.0;
    dStgLgCT12 = dStgLgCT21 = 0.0;
}

int SLxPictureMetadata::Copy(SLxPictureMetadata& dst, const SLxPictureMetadata& src)
{
    if (&dst == &src)
        return 0;
    dst.FreePhysicalVars();
    SLxPicturePlanes::Free(dst.sPicturePlanes);
    CopyPlainFields(dst, src);
    const int planes = SLxPicturePlanes::Copy(dst.sPicturePlanes, src.sPicturePlanes);
    if (planes != 0)
        return planes;
    if (src.pPhysicalVar && src.uiPhysicalVarCount != 0) {
        dst.pPhysicalVar = lx_meta::NewArray<SLxPhysicalVar>(src.uiPhysicalVarCount);
        if (!dst.pPhysicalVar)
            return -3;
        dst.uiPhysicalVarCount = src.uiPhysicalVarCount;
        for (uint32_t i = 0; i < src.uiPhysicalVarCount; ++i)
            dst.pPhysicalVar[i] = src.pPhysicalVar[i];
    }
    return 0;
}

int SLxPictureMetadata::SetCalibration(SLxPictureMetadata& md, double cal, double aspect,
                                       const char16_t* objective, double binX, double binY,
                                       double projMag, double zoom)
{
    if (projMag == 0.0)
        projMag = 1.0;
    if (zoom == 0.0)
        zoom = 1.0;
    if (!(binX > 0.0))
        binX = 1.0;
    if (!(binY > 0.0))
        binY = 1.0;
    md.dCalibration = cal * binX / projMag / zoom;
    md.bCalibrated = cal != 0.0;
    md.dAspect = binY / binX * aspect;
    md.wsObjectiveName = objective ? CLxStringW(objective) : CLxStringW();
    if (md.sPicturePlanes.sPlane && md.sPicturePlanes.uiCount != 0) {
        md.sPicturePlanes.sPlane[0].sCameraSetting.dCamBinningX = binX;
        md.sPicturePlanes.sPlane[0].sCameraSetting.dCamBinningY = binY;
    }
    md.dProjectiveMag = projMag;
    md.dZoom = zoom;
    return 0;
}

int SLxPictureMetadata::SaveToVariant(CLxVariant& v, const SLxPictureMetadata& md)
{
    const int begin = lx_meta::BeginSave(v, "RLxPictureMetadata");
    if (begin != 0)
        return begin;
    lx_meta::Put(v, u"dTimeMSec", md.dTimeMSec);
    lx_meta::Put(v, u"dTimeAbsolute", md.dTimeAbsolute);
    for (const SDoubleField& f : kPositions)
        lx_meta::Put(v, f.key, md.*f.member);
    lx_meta::Put(v, u"uiRow", lx_uint32(md.uiRow));
    lx_meta::Put(v, u"uiCol", lx_uint32(md.uiCol));
    lx_meta::Put(v, u"dZPos", md.dZPos);
    lx_meta::Put(v, u"bZPosAbsolute", md.bZPosAbsolute);
    lx_meta::Put(v, u"dAngle", md.dAngle);
    CLxVariant* planes = lx_meta::Member(v, u"sPicturePlanes");
    const int res = planes ? SLxPicturePlanes::SaveToVariant(*planes, md.sPicturePlanes) : -4;
    if (res != 0)
        LX_META_REPORT_SUBRECORD();
    lx_meta::Put(v, u"dTemperK", md.dTemperK);
    lx_meta::Put(v, u"dCalibration", md.dCalibration);
    lx_meta::Put(v, u"dAspect", md.dAspect);
    lx_meta::Put(v, u"bCalibrated", md.bCalibrated);
    lx_meta::Put(v, u"wsObjectiveName", md.wsObjectiveName);
    for (const SDoubleField& f : kOptics)
        lx_meta::Put(v, f.key, md.*f.member);
    const uint32_t varCount = md.pPhysicalVar ? md.uiPhysicalVarCount : 0;
    lx_meta::Put(v, u"uiPhysicalVarCount", lx_uint32(varCount));
    if (CLxVariant* list = lx_meta::ResetList(v, u"pPhysicalVar")) {
        for (uint32_t i = 0; i < varCount; ++i) {
            CLxVariant& item = lx_meta::AppendItem(*list, nullptr);
            if (lx_meta::BeginSave(item, "RLxPictureMetadata.RLxPictureMetadata") != 0)
                continue;
            lx_meta::Put(item, u"wsName", md.pPhysicalVar[i].wsName);
            lx_meta::Put(item, u"uiIntepretation", lx_uint32(md.pPhysicalVar[i].uiIntepretation));
            lx_meta::Put(item, u"dValue", md.pPhysicalVar[i].dValue);
        }
    }
    lx_meta::Put(v, u"wsCustomData", md.wsCustomData);
    lx_meta::Put(v, u"ePictureXAxis", lx_int32(md.ePictureXAxis));
    lx_meta::Put(v, u"ePictureYAxis", lx_int32(md.ePictureYAxis));
    for (const SDoubleField& f : kMatrix)
        lx_meta::Put(v, f.key, md.*f.member);
    return 0;
}

int SLxPictureMetadata::LoadFromVariant(SLxPictureMetadata& md, const CLxVariant& v)
{
    if (!LX_META_CHECK_RUNTYPE(v, "RLxPictureMetadata", u"'RLxPictureMetadata'"))
        return -4;
    md.dTimeMSec = lx_meta::GetDouble(v, u"dTimeMSec");
    if (lx_meta::Has(v, u"dTimeAbsolute"))
        md.dTimeAbsolute = lx_meta::GetDouble(v, u"dTimeAbsolute");
    for (const SDoubleField& f : kPositions)
        md.*f.member = lx_meta::GetDouble(v, f.key);
    md.uiRow = lx_meta::GetUInt(v, u"uiRow");
    md.uiCol = lx_meta::GetUInt(v, u"uiCol");
    md.dZPos = lx_meta::GetDouble(v, u"dZPos");
    md.bZPosAbsolute = lx_meta::GetBool(v, u"bZPosAbsolute");
    md.dAngle = lx_meta::GetDouble(v, u"dAngle");
    md.dTemperK = lx_meta::GetDouble(v, u"dTemperK");
    md.dCalibration = lx_meta::GetDouble(v, u"dCalibration");
    md.dAspect = lx_meta::GetDouble(v, u"dAspect");
    md.bCalibrated = lx_meta::GetBool(v, u"bCalibrated");
    md.wsObjectiveName = lx_meta::GetText(v, u"wsObjectiveName");
    for (const SDoubleField& f : kOptics)
        md.*f.member = lx_meta::GetDouble(v, f.key);

    int res =
        SLxPicturePlanes::LoadFromVariant(md.sPicturePlanes, lx_meta::Get(v, u"sPicturePlanes"));
    if (res != 0)
        LX_META_REPORT_SUBRECORD();

    int result = 0;
    md.FreePhysicalVars();
    const CLxVariant& list = lx_meta::Get(v, u"pPhysicalVar");
    const int items = lx_meta::ItemCount(list);
    if (lx_meta::GetInt(v, u"uiPhysicalVarCount") != items)
        LX_DIAG_ASSERT_TEXT(
            u"vDest[L\"uiPhysicalVarCount\"].GetLx_int32() != vPhysicalVarList.GetCount()",
            nullptr);
    if (items > 0) {
        md.pPhysicalVar = lx_meta::NewArray<SLxPhysicalVar>(size_t(items));
        if (md.pPhysicalVar) {
            md.uiPhysicalVarCount = uint32_t(items);
            for (int i = 0; i < items; ++i) {
                const CLxVariant& item = list[i];
                md.pPhysicalVar[i].wsName = lx_meta::GetText(item, u"wsName");
                md.pPhysicalVar[i].uiIntepretation = lx_meta::GetUInt(item, u"uiIntepretation");
                md.pPhysicalVar[i].dValue = lx_meta::GetDouble(item, u"dValue");
            }
        } else {
            result = -3;
        }
    }

    md.wsCustomData = lx_meta::GetText(v, u"wsCustomData");
    md.ePictureXAxis = lx_meta::GetInt(v, u"ePictureXAxis");
    md.ePictureYAxis = lx_meta::GetInt(v, u"ePictureYAxis");
    for (const SDoubleField& f : kMatrix)
        md.*f.member = lx_meta::GetDouble(v, f.key);
    return result;
}

int SLxPictureSequence::Alloc(SLxPictureSequence* sequence, uint32_t count)
{
    if (!sequence)
        return -4;
    sequence->uiCount = count;
    sequence->pPictureMetadata = nullptr;
    if (count == 0)
        return 0;
    sequence->pPictureMetadata = lx_meta::NewArray<SLxPictureMetadata>(count);
    if (!sequence->pPictureMetadata) {
        sequence->uiCount = 0;
        return -3;
    }
    return 0;
}

void SLxPictureSequence::Free(SLxPictureSequence* sequence)
{
    if (!sequence)
        return;
    if (sequence->pPictureMetadata && sequence->uiCount != 0)
        lx_meta::DeleteArray(sequence->pPictureMetadata);
    sequence->pPictureMetadata = nullptr;
    sequence->uiCount = 0;
}
