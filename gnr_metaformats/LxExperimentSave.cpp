// Saving experiment levels and trees to variants of run type "RLxExperiment".
#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentVariant.h"
#include "gnr_metaformats/LxRecordVariant.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

typedef SLxExperiment E;
typedef E::SLxExpAutoFocus AF;

// A saved record starts null and then takes its run type, so that every
// member exists with its default before the values are written.
int BeginRecord(CLxVariant& v, const char* runType)
{
    lx_meta::CTypeChangeScope scope(v);
    v.MakeNull();
    return v.SetRunType(CLxVariantRunType(runType));
}

template <class T> void AppendValue(CLxVariant& list, const T& value, const CLxStringW& name)
{
    list.Append(CLxVariant(value, name));
}

// Element i of an array the level may lack (read as the type's zero).
template <class T> T At(const T* array, uint32_t i)
{
    return array ? array[i] : T();
}

const CLxStringW& TextAt(const CLxStringW* array, uint32_t i)
{
    static const CLxStringW empty;
    return array ? array[i] : empty;
}

// A fixed text of the Z-stack record; an array without its terminator ends
// at its capacity.
template <size_t N> CLxStringW FixedText(const char16_t (&text)[N])
{
    size_t n = 0;
    while (n < N && text[n] != 0)
        ++n;
    CLxStringW out;
    out.AddChars(text, int(n));
    return out;
}

int SaveAutoFocus(CLxVariant& record, const char16_t* key, const AF& af)
{
    CLxVariant* member = lx_meta::Member(record, key);
    return member ? AF::SaveToVariant(*member, af) : -4;
}

void PutTimeNumbers(CLxVariant& v, const E::SLxExpTimeLoop& t)
{
    lx_meta::Put(v, u"uiCount", lx_uint32(t.uiCount));
    lx_meta::Put(v, u"dStart", t.dStart);
    lx_meta::Put(v, u"dPeriod", t.dPeriod);
    lx_meta::Put(v, u"dDuration", t.dDuration);
    lx_meta::Put(v, u"dMinPeriodDiff", t.dMinPeriodDiff);
    lx_meta::Put(v, u"dMaxPeriodDiff", t.dMaxPeriodDiff);
    lx_meta::Put(v, u"dAvgPeriodDiff", t.dAvgPeriodDiff);
}

void SaveTime(CLxVariant& vLoopPars, const E::SLxExpTimeLoop& aTimeLoop)
{
    PutTimeNumbers(vLoopPars, aTimeLoop);
    if (SaveAutoFocus(vLoopPars, u"sAutoFocusBeforePeriod", aTimeLoop.sAutoFocusBeforePeriod) != 0)
        LX_DIAG_ASSERT_TEXT(
            u"SLxExpAutoFocus::SaveToVariant(vLoopPars[L\"sAutoFocusBeforePeriod\"], "
            u"aTimeLoop.sAutoFocusBeforePeriod) != LX_OK",
            nullptr);
    if (SaveAutoFocus(vLoopPars, u"sAutoFocusBeforeCapture", aTimeLoop.sAutoFocusBeforeCapture) !=
        0)
        LX_DIAG_ASSERT_TEXT(
            u"SLxExpAutoFocus::SaveToVariant(vLoopPars[L\"sAutoFocusBeforeCapture\"], "
            u"aTimeLoop.sAutoFocusBeforeCapture) != LX_OK",
            nullptr);
}

void SaveNETime(CLxVariant& vLoopPars, const E::SLxExpNETimeLoop& aNETimeLoop)
{
    lx_meta::Put(vLoopPars, u"uiCount", lx_uint32(aNETimeLoop.uiCount));
    lx_meta::Put(vLoopPars, u"uiPeriodCount", lx_uint32(aNETimeLoop.uiPeriodCount));
    if (SaveAutoFocus(vLoopPars, u"sAutoFocusBeforePeriod", aNETimeLoop.sAutoFocusBeforePeriod) !=
        0)
        LX_DIAG_ASSERT_TEXT(
            u"SLxExpAutoFocus::SaveToVariant(vLoopPars[L\"sAutoFocusBeforePeriod\"], "
            u"aNETimeLoop.sAutoFocusBeforePeriod) != LX_OK",
            nullptr);
    if (SaveAutoFocus(vLoopPars, u"sAutoFocusBeforeCapture", aNETimeLoop.sAutoFocusBeforeCapture) !=
        0)
        LX_DIAG_ASSERT_TEXT(
            u"SLxExpAutoFocus::SaveToVariant(vLoopPars[L\"sAutoFocusBeforeCapture\"], "
            u"aNETimeLoop.sAutoFocusBeforeCapture) != LX_OK",
            nullptr);
    CLxVariant* periods = lx_meta::ResetList(vLoopPars, u"pPeriod");
    CLxVariant* before = lx_meta::ResetList(vLoopPars, u"szCommandBeforePeriod");
    CLxVariant* after = lx_meta::ResetList(vLoopPars, u"szCommandAfterPeriod");
    CLxVariant* valid = lx_meta::ResetList(vLoopPars, u"pPeriodValid");
    CLxVariant* subLoops =
        aNETimeLoop.pSubLoops ? lx_meta::ResetList(vLoopPars, u"pSubLoops") : nullptr;
    if (!periods || !before || !after || !valid)
        return;
    for (uint32_t i = 0; i < aNETimeLoop.uiPeriodCount; ++i) {
        const CLxStringW name = lx_meta::NumberName(i);
        CLxVariant& period = lx_meta::AppendItem(*periods, name.GetString());
        if (BeginRecord(period, lx_meta::kTimeLoopRunType) == 0)
            PutTimeNumbers(period, At(aNETimeLoop.pPeriod, i));
        AppendValue(*before, TextAt(aNETimeLoop.szCommandBeforePeriod, i), name);
        AppendValue(*after, TextAt(aNETimeLoop.szCommandAfterPeriod, i), name);
        // Without flags every period is valid.
        const bool periodValid = !aNETimeLoop.pPeriodValid || aNETimeLoop.pPeriodValid[i] != 0;
        AppendValue(*valid, periodValid, name);
        if (!subLoops)
            continue;
        CLxVariant& vSubLoopsItem = subLoops->Append(CLxVariant(CLxListVariant(), name));
        const E::SLxSubLoopsDefinition& def = aNETimeLoop.pSubLoops[i];
        for (uint32_t k = 0; def.ppNextLevelEx && k < def.uiNextLevelCount; ++k) {
            const E* pSubExp = def.ppNextLevelEx[k];
            if (pSubExp &&
                E::SaveToVariant(lx_meta::AppendItem(vSubLoopsItem, nullptr), *pSubExp) != 0)
                LX_DIAG_ASSERT_TEXT(u"LX_OK != SLxExperiment::SaveToVariant(vSubLoopsItem.Append("
                                    u"CLxVariant()), *pSubExp)",
                                    nullptr);
        }
    }
}

void SaveXYPos(CLxVariant& vLoopPars, const E::SLxExpXYPosLoop& aExpXYPosLoop)
{
    const uint32_t n = aExpXYPosLoop.uiCount;
    lx_meta::Put(vLoopPars, u"uiCount", lx_uint32(n));
    struct SList {
        const char16_t* key;
        const double* values;
    };
    const SList lists[] = {{u"dPosX", aExpXYPosLoop.dPosX},
                           {u"dPosY", aExpXYPosLoop.dPosY},
                           {u"dPosZ", aExpXYPosLoop.dPosZ},
                           {u"dPFSOffset", aExpXYPosLoop.dPFSOffset}};
    for (const SList& list : lists) {
        if (CLxVariant* items = lx_meta::ResetList(vLoopPars, list.key)) {
            for (uint32_t i = 0; i < n; ++i)
                AppendValue(*items, At(list.values, i), lx_meta::ItemName(i));
        }
    }
    if (CLxVariant* names = lx_meta::ResetList(vLoopPars, u"pPosName")) {
        for (uint32_t i = 0; i < n; ++i)
            AppendValue(*names, TextAt(aExpXYPosLoop.pPosName, i), lx_meta::ItemName(i));
    }
    lx_meta::Put(vLoopPars, u"bUseZ", aExpXYPosLoop.bUseZ);
    lx_meta::Put(vLoopPars, u"bRelativeXY", aExpXYPosLoop.bRelativeXY);
    if (SaveAutoFocus(vLoopPars, u"sAutoFocusBeforeCapture",
                      aExpXYPosLoop.sAutoFocusBeforeCapture) != 0)
        LX_DIAG_ASSERT_TEXT(
            u"SLxExpAutoFocus::SaveToVariant(vLoopPars[L\"sAutoFocusBeforeCapture\"], "
            u"aExpXYPosLoop.sAutoFocusBeforeCapture) != LX_OK",
            nullptr);
}

void SaveXYDiscr(CLxVariant& vLoopPars, const E::SLxExpXYDiscrLoop& grid)
{
    const uint32_t n = grid.uiCount;
    lx_meta::Put(vLoopPars, u"uiCount", lx_uint32(n));
    CLxVariant* rows = lx_meta::ResetList(vLoopPars, u"uiRow");
    CLxVariant* cols = lx_meta::ResetList(vLoopPars, u"uiCol");
    for (uint32_t i = 0; rows && cols && i < n; ++i) {
        AppendValue(*rows, lx_uint32(At(grid.uiRow, i)), lx_meta::ItemName(i));
        AppendValue(*cols, lx_uint32(At(grid.uiCol, i)), lx_meta::ItemName(i));
    }
    lx_meta::Put(vLoopPars, u"bUseZ", grid.bUseZ);
    if (CLxVariant* z = lx_meta::ResetList(vLoopPars, u"dPosZ")) {
        for (uint32_t i = 0; i < n; ++i)
            AppendValue(*z, At(grid.dPosZ, i), lx_meta::NumberName(i));
    }
}

void SaveZStack(CLxVariant& vLoopPars, const E::SLxExpZStackLoop& z)
{
    lx_meta::Put(vLoopPars, u"uiCount", lx_uint32(z.uiCount));
    lx_meta::Put(vLoopPars, u"dZLow", z.dZLow);
    lx_meta::Put(vLoopPars, u"dZLowPFSOffset", z.dZLowPFSOffset);
    lx_meta::Put(vLoopPars, u"dZHigh", z.dZHigh);
    lx_meta::Put(vLoopPars, u"dZHighPFSOffset", z.dZHighPFSOffset);
    lx_meta::Put(vLoopPars, u"dZHome", z.dZHome);
    lx_meta::Put(vLoopPars, u"dZStep", z.dZStep);
    lx_meta::Put(vLoopPars, u"bTriggeredPiezo", z.bTriggeredPiezo);
    lx_meta::Put(vLoopPars, u"iType", lx_int32(z.iType));
    lx_meta::Put(vLoopPars, u"bAbsolute", z.bAbsolute);
    lx_meta::Put(vLoopPars, u"bZInverted", z.bZInverted);
    lx_meta::Put(vLoopPars, u"dReferencePosition", z.dReferencePosition);
    lx_meta::Put(vLoopPars, u"sZDevice", FixedText(z.sZDevice));
    lx_meta::Put(vLoopPars, u"sCommandBeforeCapture", FixedText(z.sCommandBeforeCapture));
    lx_meta::Put(vLoopPars, u"sCommandAfterCapture", FixedText(z.sCommandAfterCapture));
}

void SavePolar(CLxVariant& vLoopPars, const E::SLxExpPolarLoop& polar)
{
    lx_meta::Put(vLoopPars, u"uiCount", lx_uint32(polar.uiCount));
    lx_meta::Put(vLoopPars, u"dAngleStart", polar.dAngleStart);
    lx_meta::Put(vLoopPars, u"dAngleFinish", polar.dAngleFinish);
    lx_meta::Put(vLoopPars, u"bSceneRotates", polar.bSceneRotates);
}

void SaveSpect(CLxVariant& vLoopPars, const E::SLxExpSpectLoop& spect)
{
    lx_meta::Put(vLoopPars, u"uiCount", lx_uint32(spect.uiCount));
    CLxVariant* planes = lx_meta::ResetList(vLoopPars, u"pPlaneDesc");
    CLxVariant* focus = lx_meta::ResetList(vLoopPars, u"pAutoFocus");
    CLxVariant* before = lx_meta::ResetList(vLoopPars, u"szCommandBeforeCapture");
    CLxVariant* after = lx_meta::ResetList(vLoopPars, u"szCommandAfterCapture");
    if (!planes || !focus || !before || !after)
        return;
    const SLxPicturePlaneDesc plainPlane;
    for (uint32_t i = 0; i < spect.uiCount; ++i) {
        const CLxStringW name = lx_meta::NumberName(i);
        int res =
            SLxPicturePlaneDesc::SaveToVariant(lx_meta::AppendItem(*planes, name.GetString()),
                                               spect.pPlaneDesc ? spect.pPlaneDesc[i] : plainPlane);
        if (res != 0)
            LX_META_REPORT_SUBRECORD();
        res = AF::SaveToVariant(lx_meta::AppendItem(*focus, name.GetString()),
                                At(spect.pAutoFocus, i));
        if (res != 0)
            LX_META_REPORT_SUBRECORD();
        AppendValue(*before, TextAt(spect.szCommandBeforeCapture, i), name);
        AppendValue(*after, TextAt(spect.szCommandAfterCapture, i), name);
    }
}

void SaveCustom(CLxVariant& vLoopPars, const E::SLxExpCustomLoop& custom)
{
    lx_meta::Put(vLoopPars, u"uiCount", lx_uint32(custom.uiCount));
    lx_meta::Put(vLoopPars, u"wsDescription",
                 custom.wsDescription ? *custom.wsDescription : CLxStringW());
}

// The loop record into the one item of "uLoopPars"; a level type without a
// stored record leaves the item empty.
void SaveLoopRecord(CLxVariant& item, const E& aExperiment)
{
    const char* runType = lx_meta::LoopRunType(aExperiment.eType);
    if (!runType) {
        if (aExperiment.eType != E::eEtUnknown)
            LX_META_REPORT_UNKNOWN_LOOP();
        return;
    }
    if (BeginRecord(item, runType) != 0)
        return;
    const E::ULxLoopPars& u = aExperiment.uLoopPars;
    switch (aExperiment.eType) {
    case E::eEtTime:
        SaveTime(item, u.sTimeLoop);
        break;
    case E::eEtNETime:
        SaveNETime(item, u.sNETimeLoop);
        break;
    case E::eEtXYPos:
        SaveXYPos(item, u.sXYPosLoop);
        break;
    case E::eEtXYDiscr:
        SaveXYDiscr(item, u.sXYDiscrLoop);
        break;
    case E::eEtZStack:
        SaveZStack(item, u.sZStackLoop);
        break;
    case E::eEtPolar:
        SavePolar(item, u.sPolarLoop);
        break;
    case E::eEtSpect:
        SaveSpect(item, u.sSpectLoop);
        break;
    case E::eEtCustom:
        SaveCustom(item, u.sCustomLoop);
        break;
    default:
        break;
    }
}

// The UTF-16 units of the text, little-endian, and one zero unit.
CLxByteArray ProbeBytes(const CLxStringW& text)
{
    const int length = text.GetLength();
    CLxByteArray bytes;
    if (uint32_t(length) > (UINT32_MAX - 2) / 2)
        return bytes;
    uint8_t* out = nullptr;
    const uint32_t size = uint32_t(length) * 2 + 2;
    if (bytes.SetData(nullptr, size, eLxByteArrayOpFromStart, eLxByteArrayAllocExact) != 0 ||
        !(out = bytes.GetData(size)))
        return CLxByteArray();
    const char16_t* units = text.GetString();
    for (int i = 0; i <= length; ++i) {
        const char16_t unit = i < length ? units[i] : 0;
        out[2 * i] = uint8_t(unit & 0xFF);
        out[2 * i + 1] = uint8_t(unit >> 8);
    }
    return bytes;
}

} // namespace

int SLxExperiment::SLxExpAutoFocus::SaveToVariant(CLxVariant& v, const SLxExpAutoFocus& af)
{
    const int begin = BeginRecord(v, lx_meta::kAutoFocusRunType);
    if (begin != 0)
        return begin;
    lx_meta::Put(v, u"eType", lx_uint32(af.eType));
    lx_meta::Put(v, u"dStep", af.dStep);
    lx_meta::Put(v, u"dRange", af.dRange);
    lx_meta::Put(v, u"dPrecision", af.dPrecision);
    lx_meta::Put(v, u"dSpeed", af.dSpeed);
    lx_meta::Put(v, u"dCoeff_0", af.dCoeff_0);
    lx_meta::Put(v, u"dCoeff_1", af.dCoeff_1);
    lx_meta::Put(v, u"dCoeff_2", af.dCoeff_2);
    lx_meta::Put(v, u"dCoeff_3", af.dCoeff_3);
    return 0;
}

int SLxExperiment::SaveToVariantOld(CLxVariant& v, const SLxExperiment& aExperiment)
{
    BeginRecord(v, lx_meta::kExperimentRunType);
    lx_meta::Put(v, u"eType", lx_uint32(aExperiment.eType));
    lx_meta::Put(v, u"wsApplicationDesc", aExperiment.wsApplicationDesc);
    lx_meta::Put(v, u"wsUserDesc", aExperiment.wsUserDesc);
    if (CLxVariant* probes = lx_meta::Member(v, u"aMeasProbesBase64")) {
        lx_meta::CTypeChangeScope scope(*probes);
        *probes = ProbeBytes(aExperiment.aMeasProbesBase64);
    }
    if (CLxVariant* flags = lx_meta::ResetList(v, u"pItemValid")) {
        for (uint32_t i = 0; aExperiment.pItemValid && i < aExperiment.uLoopPars.uiCount; ++i)
            AppendValue(*flags, aExperiment.pItemValid[i] != 0, lx_meta::NumberName(i));
    }
    if (CLxVariant* loop = lx_meta::ResetList(v, u"uLoopPars"))
        SaveLoopRecord(lx_meta::AppendItem(*loop, nullptr), aExperiment);
    lx_meta::Put(v, u"wsCommandBeforeLoop", aExperiment.wsCommandBeforeLoop);
    lx_meta::Put(v, u"wsCommandBeforeCapture", aExperiment.wsCommandBeforeCapture);
    lx_meta::Put(v, u"wsCommandAfterCapture", aExperiment.wsCommandAfterCapture);
    lx_meta::Put(v, u"wsCommandAfterLoop", aExperiment.wsCommandAfterLoop);
    lx_meta::Put(v, u"bControlShutter", aExperiment.bControlShutter);
    lx_meta::Put(v, u"bControlLight", aExperiment.bControlLight);
    lx_meta::Put(v, u"bUsePFS", aExperiment.bUsePFS);
    CLxVariant* large = lx_meta::ResetList(v, u"pLargeImage");
    if (large && aExperiment.pLargeImage) {
        CLxVariant& item = lx_meta::AppendItem(*large, nullptr);
        if (BeginRecord(item, lx_meta::kLargeImageRunType) == 0) {
            const SLxLIDesc& li = *aExperiment.pLargeImage;
            lx_meta::Put(item, u"iMethod", lx_int32(li.iMethod));
            lx_meta::Put(item, u"iXFields", lx_int32(li.iXFields));
            lx_meta::Put(item, u"iYFields", lx_int32(li.iYFields));
            lx_meta::Put(item, u"dXmm", li.dXmm);
            lx_meta::Put(item, u"dYmm", li.dYmm);
        }
    }
    return SaveAutoFocus(v, u"sAutoFocusBeforeLoop", aExperiment.sAutoFocusBeforeLoop);
}

int SLxExperiment::SaveToVariant(CLxVariant& v, const SLxExperiment& exp)
{
    const int res = SaveToVariantOld(v, exp);
    if (res != 0)
        return res;
    lx_meta::Put(v, u"uiRepeatCount", lx_uint32(exp.uiRepeatCount));
    CLxVariant* next = lx_meta::ResetList(v, u"ppNextLevelEx");
    for (uint32_t i = 0; next && exp.ppNextLevelEx && i < exp.uiNextLevelCount; ++i) {
        const SLxExperiment* child = exp.ppNextLevelEx[i];
        if (!child)
            continue;
        const int childRes = SaveToVariant(lx_meta::AppendItem(*next, nullptr), *child);
        if (childRes != 0)
            return childRes;
    }
    return 0;
}
