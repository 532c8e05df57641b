// Loading experiment levels and trees from variants of run type
// "RLxExperiment". Variants come from files: every array is sized from the
// list items that exist, never from a count key, and the counts end up equal
// to the arrays made.
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentBuffers.h"
#include "gnr_metaformats/LxExperimentVariant.h"
#include "gnr_metaformats/LxRecordVariant.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

typedef SLxExperiment E;
typedef E::SLxExpAutoFocus AF;

using lx_meta::GetItemBool;
using lx_meta::GetItemDouble;
using lx_meta::GetItemText;
using lx_meta::ItemCount;
using lx_meta::NewNumbers;
using lx_meta::NewTexts;

// The smallest item count of the lists.
int SmallestCount(std::initializer_list<const CLxVariant*> lists)
{
    int n = -1;
    for (const CLxVariant* list : lists) {
        const int count = ItemCount(*list);
        n = n < 0 ? count : std::min(n, count);
    }
    return std::max(n, 0);
}

const CLxVariant& List(const CLxVariant& record, const char16_t* key)
{
    return lx_meta::Get(record, key);
}

// Releases the loop buffers and flags of a level but keeps its next levels;
// the loop record is left cleared.
void ReleaseLoop(E& exp)
{
    E** children = exp.ppNextLevelEx;
    const uint32_t count = exp.uiNextLevelCount;
    exp.ppNextLevelEx = nullptr;
    E::Uninit(exp);
    exp.ppNextLevelEx = children;
    exp.uiNextLevelCount = count;
    std::memset(static_cast<void*>(&exp.uLoopPars), 0, sizeof exp.uLoopPars);
}

// A loop record of another run type than the level type's is reported;
// loading goes on with it.
void CheckLoopRunType(const CLxVariant& vLoopPars, const char* runType)
{
    if (vLoopPars.GetRunType() == CLxVariantRunType(runType))
        return;
    CLxStringW condition;
    condition.Format(u"vLoopPars.GetRunType() != CLxVariantRunType(L\"%S\")", runType);
    LX_DIAG_ASSERT_TEXT(condition.GetString(), nullptr);
}

// A text cut to at most max units, never between the two units of a
// surrogate pair, into a zero-terminated fixed array of max + 1 units.
template <size_t N> void CopyFixedText(char16_t (&out)[N], const CLxStringW& text)
{
    constexpr size_t max = N - 1;
    size_t n = std::min(size_t(text.GetLength()), max);
    const char16_t* units = text.GetString();
    if (n == max && size_t(text.GetLength()) > max && units[n - 1] >= 0xD800 &&
        units[n - 1] <= 0xDBFF)
        --n;
    std::memcpy(out, units, n * sizeof(char16_t));
    out[n] = 0;
}

// The text of the bytes: UTF-16 little-endian units up to the first zero
// unit or the end of the bytes.
CLxStringW ProbeText(const CLxByteArray& bytes)
{
    const uint8_t* data = bytes.GetData();
    const uint32_t units = bytes.GetSize() / 2;
    std::u16string text;
    for (uint32_t i = 0; data && i < units; ++i) {
        const char16_t unit = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
        if (unit == 0)
            break;
        text += unit;
    }
    CLxStringW out;
    out.AddChars(text.data(), int(text.size()));
    return out;
}

int LoadAutoFocus(AF& af, const CLxVariant& record, const char16_t* key)
{
    return AF::LoadFromVariant(af, lx_meta::Get(record, key));
}

void LoadTimeNumbers(E::SLxExpTimeLoop& t, const CLxVariant& v)
{
    t.uiCount = lx_meta::GetUInt(v, u"uiCount");
    t.dStart = lx_meta::GetDouble(v, u"dStart");
    t.dPeriod = lx_meta::GetDouble(v, u"dPeriod");
    t.dDuration = lx_meta::GetDouble(v, u"dDuration");
    t.dMinPeriodDiff = lx_meta::GetDouble(v, u"dMinPeriodDiff");
    t.dMaxPeriodDiff = lx_meta::GetDouble(v, u"dMaxPeriodDiff");
    t.dAvgPeriodDiff = lx_meta::GetDouble(v, u"dAvgPeriodDiff");
}

void LoadTime(E::SLxExpTimeLoop& aTimeLoop, const CLxVariant& vLoopPars)
{
    LoadTimeNumbers(aTimeLoop, vLoopPars);
    if (LoadAutoFocus(aTimeLoop.sAutoFocusBeforePeriod, vLoopPars, u"sAutoFocusBeforePeriod") != 0)
        LX_DIAG_ASSERT_TEXT(u"SLxExpAutoFocus::LoadFromVariant(aTimeLoop.sAutoFocusBeforePeriod, "
                            u"vLoopPars[L\"sAutoFocusBeforePeriod\"]) != LX_OK",
                            nullptr);
    if (LoadAutoFocus(aTimeLoop.sAutoFocusBeforeCapture, vLoopPars, u"sAutoFocusBeforeCapture") !=
        0)
        LX_DIAG_ASSERT_TEXT(u"SLxExpAutoFocus::LoadFromVariant(aTimeLoop.sAutoFocusBeforeCapture, "
                            u"vLoopPars[L\"sAutoFocusBeforeCapture\"]) != LX_OK",
                            nullptr);
}

// The levels of one period's list into def (owned by the level that holds
// the record). False without memory.
bool LoadSubLoops(E::SLxSubLoopsDefinition& def, const CLxVariant& list)
{
    const int count = ItemCount(list);
    if (count < 1)
        return true;
    def.ppNextLevelEx = NewNumbers<E*>(uint32_t(count));
    if (!def.ppNextLevelEx)
        return false;
    for (int i = 0; i < count; ++i) {
        E* level = nullptr;
        if (E::Alloc(&level) != 0)
            return false;
        if (E::LoadFromVariant(*level, list[i]) == 0)
            def.ppNextLevelEx[def.uiNextLevelCount++] = level;
        else
            E::FreeRecursive(level);
    }
    if (def.uiNextLevelCount == 0)
        lx_meta::FreeNumbers(def.ppNextLevelEx);
    return true;
}

// False without memory (what was made stays in the record for Uninit).
bool LoadNETime(E& exp, const CLxVariant& vLoopPars)
{
    E::SLxExpNETimeLoop& aNETimeLoop = exp.uLoopPars.sNETimeLoop;
    aNETimeLoop.uiCount = lx_meta::GetUInt(vLoopPars, u"uiCount");
    aNETimeLoop.uiPeriodCount = lx_meta::GetUInt(vLoopPars, u"uiPeriodCount");
    if (LoadAutoFocus(aNETimeLoop.sAutoFocusBeforePeriod, vLoopPars, u"sAutoFocusBeforePeriod") !=
        0)
        LX_DIAG_ASSERT_TEXT(u"SLxExpAutoFocus::LoadFromVariant(aNETimeLoop.sAutoFocusBeforePeriod, "
                            u"vLoopPars[L\"sAutoFocusBeforePeriod\"]) != LX_OK",
                            nullptr);
    if (LoadAutoFocus(aNETimeLoop.sAutoFocusBeforeCapture, vLoopPars, u"sAutoFocusBeforeCapture") !=
        0)
        LX_DIAG_ASSERT_TEXT(
            u"SLxExpAutoFocus::LoadFromVariant(aNETimeLoop.sAutoFocusBeforeCapture, "
            u"vLoopPars[L\"sAutoFocusBeforeCapture\"]) != LX_OK",
            nullptr);
    const CLxVariant& periods = List(vLoopPars, u"pPeriod");
    const CLxVariant& before = List(vLoopPars, u"szCommandBeforePeriod");
    const CLxVariant& after = List(vLoopPars, u"szCommandAfterPeriod");
    const CLxVariant& valid = List(vLoopPars, u"pPeriodValid");
    const CLxVariant& subLoops = List(vLoopPars, u"pSubLoops");
    const int n = SmallestCount({&periods, &before, &after});
    aNETimeLoop.uiPeriodCount = uint32_t(n);
    aNETimeLoop.uiCount = 0;
    if (n < 1)
        return true;
    aNETimeLoop.pPeriod = NewNumbers<E::SLxExpTimeLoop>(uint32_t(n));
    aNETimeLoop.szCommandBeforePeriod = NewTexts(uint32_t(n));
    aNETimeLoop.szCommandAfterPeriod = NewTexts(uint32_t(n));
    aNETimeLoop.pPeriodValid = NewNumbers<uint8_t>(uint32_t(n));
    if (!aNETimeLoop.pPeriod || !aNETimeLoop.szCommandBeforePeriod ||
        !aNETimeLoop.szCommandAfterPeriod || !aNETimeLoop.pPeriodValid)
        return false;
    const int validCount = ItemCount(valid);
    const int subLoopCount = std::min(ItemCount(subLoops), n);
    if (subLoopCount > 0) {
        aNETimeLoop.pSubLoops = lx_meta::NewArray<E::SLxSubLoopsDefinition>(uint32_t(n));
        if (!aNETimeLoop.pSubLoops)
            return false;
        exp.bOwnsSubLoopLevels = true;
    }
    bool keptSubLevel = false;
    uint64_t frames = 0;
    for (int i = 0; i < n; ++i) {
        // The periods' autofocus records are not stored: they stay null.
        LoadTimeNumbers(aNETimeLoop.pPeriod[i], periods[i]);
        aNETimeLoop.szCommandBeforePeriod[i] = GetItemText(before, i);
        aNETimeLoop.szCommandAfterPeriod[i] = GetItemText(after, i);
        const bool periodValid = i >= validCount || GetItemBool(valid, i);
        aNETimeLoop.pPeriodValid[i] = periodValid ? 1 : 0;
        if (periodValid)
            frames += aNETimeLoop.pPeriod[i].uiCount;
        if (i < subLoopCount) {
            E::SLxSubLoopsDefinition& def = aNETimeLoop.pSubLoops[i];
            if (!LoadSubLoops(def, subLoops[i]))
                return false;
            keptSubLevel = keptSubLevel || def.uiNextLevelCount != 0;
        }
    }
    if (aNETimeLoop.pSubLoops && !keptSubLevel) {
        lx_meta::DeleteArray(aNETimeLoop.pSubLoops);
        aNETimeLoop.pSubLoops = nullptr;
        exp.bOwnsSubLoopLevels = false;
    }
    // A count beyond 32 bits is kept at the largest one rather than wrapped.
    aNETimeLoop.uiCount = uint32_t(std::min<uint64_t>(frames, UINT32_MAX));
    return true;
}

bool LoadXYPos(E::SLxExpXYPosLoop& aExpXYPosLoop, const CLxVariant& vLoopPars)
{
    aExpXYPosLoop.uiCount = lx_meta::GetUInt(vLoopPars, u"uiCount");
    const CLxVariant& x = List(vLoopPars, u"dPosX");
    const CLxVariant& y = List(vLoopPars, u"dPosY");
    const CLxVariant& z = List(vLoopPars, u"dPosZ");
    const CLxVariant& pfs = List(vLoopPars, u"dPFSOffset");
    const CLxVariant& names = List(vLoopPars, u"pPosName");
    const uint32_t iLoopCount = uint32_t(SmallestCount({&x, &y, &z, &pfs}));
    if (iLoopCount != aExpXYPosLoop.uiCount)
        LX_DIAG_ASSERT_TEXT(u"iLoopCount != lx_int32(aExpXYPosLoop.uiCount)", nullptr);
    const uint32_t n = std::min(iLoopCount, aExpXYPosLoop.uiCount);
    aExpXYPosLoop.uiCount = 0;
    bool ok = true;
    if (n >= 1) {
        aExpXYPosLoop.dPosX = NewNumbers<double>(n);
        aExpXYPosLoop.dPosY = NewNumbers<double>(n);
        aExpXYPosLoop.dPosZ = NewNumbers<double>(n);
        aExpXYPosLoop.dPFSOffset = NewNumbers<double>(n);
        aExpXYPosLoop.pPosName = NewTexts(n);
        ok = aExpXYPosLoop.dPosX && aExpXYPosLoop.dPosY && aExpXYPosLoop.dPosZ &&
             aExpXYPosLoop.dPFSOffset && aExpXYPosLoop.pPosName;
        for (uint32_t i = 0; ok && i < n; ++i) {
            aExpXYPosLoop.dPosX[i] = GetItemDouble(x, int(i));
            aExpXYPosLoop.dPosY[i] = GetItemDouble(y, int(i));
            aExpXYPosLoop.dPosZ[i] = GetItemDouble(z, int(i));
            aExpXYPosLoop.dPFSOffset[i] = GetItemDouble(pfs, int(i));
            aExpXYPosLoop.pPosName[i] = GetItemText(names, int(i));
        }
        aExpXYPosLoop.uiCount = n;
    }
    aExpXYPosLoop.bUseZ = lx_meta::GetBool(vLoopPars, u"bUseZ");
    aExpXYPosLoop.bRelativeXY = lx_meta::GetBool(vLoopPars, u"bRelativeXY");
    if (LoadAutoFocus(aExpXYPosLoop.sAutoFocusBeforeCapture, vLoopPars,
                      u"sAutoFocusBeforeCapture") != 0)
        LX_DIAG_ASSERT_TEXT(
            u"SLxExpAutoFocus::LoadFromVariant(aExpXYPosLoop.sAutoFocusBeforeCapture, "
            u"vLoopPars[L\"sAutoFocusBeforeCapture\"]) != LX_OK",
            nullptr);
    return ok;
}

bool LoadXYDiscr(E::SLxExpXYDiscrLoop& aExpXYDiscrLoop, const CLxVariant& vLoopPars)
{
    aExpXYDiscrLoop.uiCount = lx_meta::GetUInt(vLoopPars, u"uiCount");
    const CLxVariant& rows = List(vLoopPars, u"uiRow");
    const CLxVariant& cols = List(vLoopPars, u"uiCol");
    const CLxVariant& z = List(vLoopPars, u"dPosZ");
    const uint32_t iLoopCount = uint32_t(SmallestCount({&rows, &cols}));
    if (iLoopCount != aExpXYDiscrLoop.uiCount)
        LX_DIAG_ASSERT_TEXT(u"iLoopCount != lx_int32(aExpXYDiscrLoop.uiCount)", nullptr);
    const uint32_t n = std::min(iLoopCount, aExpXYDiscrLoop.uiCount);
    aExpXYDiscrLoop.uiCount = 0;
    bool ok = true;
    if (n >= 1) {
        aExpXYDiscrLoop.uiRow = NewNumbers<uint32_t>(n);
        aExpXYDiscrLoop.uiCol = NewNumbers<uint32_t>(n);
        aExpXYDiscrLoop.dPosZ = NewNumbers<double>(n);
        ok = aExpXYDiscrLoop.uiRow && aExpXYDiscrLoop.uiCol && aExpXYDiscrLoop.dPosZ;
        for (uint32_t i = 0; ok && i < n; ++i) {
            aExpXYDiscrLoop.uiRow[i] = lx_meta::GetItemUInt(rows, int(i));
            aExpXYDiscrLoop.uiCol[i] = lx_meta::GetItemUInt(cols, int(i));
            aExpXYDiscrLoop.dPosZ[i] = GetItemDouble(z, int(i));
        }
        aExpXYDiscrLoop.uiCount = n;
    }
    aExpXYDiscrLoop.bUseZ = lx_meta::GetBool(vLoopPars, u"bUseZ");
    return ok;
}

void LoadZStack(E::SLxExpZStackLoop& z, const CLxVariant& vLoopPars)
{
    z.uiCount = lx_meta::GetUInt(vLoopPars, u"uiCount");
    z.dZLow = lx_meta::GetDouble(vLoopPars, u"dZLow");
    z.dZLowPFSOffset = lx_meta::GetDouble(vLoopPars, u"dZLowPFSOffset");
    z.dZHigh = lx_meta::GetDouble(vLoopPars, u"dZHigh");
    z.dZHighPFSOffset = lx_meta::GetDouble(vLoopPars, u"dZHighPFSOffset");
    z.dZHome = lx_meta::GetDouble(vLoopPars, u"dZHome");
    z.dZStep = lx_meta::GetDouble(vLoopPars, u"dZStep");
    z.bAbsolute = lx_meta::GetBool(vLoopPars, u"bAbsolute");
    z.bTriggeredPiezo = lx_meta::GetBool(vLoopPars, u"bTriggeredPiezo");
    z.iType = lx_meta::GetInt(vLoopPars, u"iType");
    z.bZInverted = lx_meta::GetBool(vLoopPars, u"bZInverted");
    z.dReferencePosition = lx_meta::GetDouble(vLoopPars, u"dReferencePosition");
    CopyFixedText(z.sZDevice, lx_meta::GetText(vLoopPars, u"sZDevice"));
    CopyFixedText(z.sCommandBeforeCapture, lx_meta::GetText(vLoopPars, u"sCommandBeforeCapture"));
    CopyFixedText(z.sCommandAfterCapture, lx_meta::GetText(vLoopPars, u"sCommandAfterCapture"));
}

void LoadPolar(E::SLxExpPolarLoop& polar, const CLxVariant& vLoopPars)
{
    polar.uiCount = lx_meta::GetUInt(vLoopPars, u"uiCount");
    polar.dAngleStart = lx_meta::GetDouble(vLoopPars, u"dAngleStart");
    polar.dAngleFinish = lx_meta::GetDouble(vLoopPars, u"dAngleFinish");
    polar.bSceneRotates = lx_meta::GetBool(vLoopPars, u"bSceneRotates");
}

bool LoadSpect(E::SLxExpSpectLoop& spect, const CLxVariant& vLoopPars)
{
    const CLxVariant& planes = List(vLoopPars, u"pPlaneDesc");
    const CLxVariant& focus = List(vLoopPars, u"pAutoFocus");
    const CLxVariant& before = List(vLoopPars, u"szCommandBeforeCapture");
    const CLxVariant& after = List(vLoopPars, u"szCommandAfterCapture");
    const uint32_t n = uint32_t(SmallestCount({&planes, &focus}));
    spect.uiCount = 0;
    if (n < 1)
        return true;
    SLxPicturePlaneDesc::AllocArray(spect.pPlaneDesc, n);
    spect.pAutoFocus = NewNumbers<AF>(n);
    spect.szCommandBeforeCapture = NewTexts(n);
    spect.szCommandAfterCapture = NewTexts(n);
    if (!spect.pPlaneDesc || !spect.pAutoFocus || !spect.szCommandBeforeCapture ||
        !spect.szCommandAfterCapture)
        return false;
    spect.uiCount = n;
    for (uint32_t i = 0; i < n; ++i) {
        int res = SLxPicturePlaneDesc::LoadFromVariant(spect.pPlaneDesc[i], planes[int(i)]);
        if (res != 0)
            LX_META_REPORT_SUBRECORD();
        res = AF::LoadFromVariant(spect.pAutoFocus[i], focus[int(i)]);
        if (res != 0)
            LX_META_REPORT_SUBRECORD();
        spect.szCommandBeforeCapture[i] = GetItemText(before, int(i));
        spect.szCommandAfterCapture[i] = GetItemText(after, int(i));
    }
    return true;
}

bool LoadCustom(E::SLxExpCustomLoop& custom, const CLxVariant& vLoopPars)
{
    custom.uiCount = lx_meta::GetUInt(vLoopPars, u"uiCount");
    custom.wsDescription = NewTexts(1);
    if (!custom.wsDescription)
        return false;
    *custom.wsDescription = lx_meta::GetText(vLoopPars, u"wsDescription");
    return true;
}

// The loop record of the level's type from the first item of "uLoopPars".
// False without memory.
bool LoadLoopRecord(E& aExperiment, const CLxVariant& v)
{
    const CLxVariant& vLoopPars = lx_meta::GetItem(List(v, u"uLoopPars"), 0);
    const char* runType = lx_meta::LoopRunType(aExperiment.eType);
    if (!runType) {
        if (aExperiment.eType != E::eEtUnknown)
            LX_META_REPORT_UNKNOWN_LOOP();
        return true;
    }
    CheckLoopRunType(vLoopPars, runType);
    E::ULxLoopPars& u = aExperiment.uLoopPars;
    switch (aExperiment.eType) {
    case E::eEtTime:
        LoadTime(u.sTimeLoop, vLoopPars);
        return true;
    case E::eEtNETime:
        return LoadNETime(aExperiment, vLoopPars);
    case E::eEtXYPos:
        return LoadXYPos(u.sXYPosLoop, vLoopPars);
    case E::eEtXYDiscr:
        return LoadXYDiscr(u.sXYDiscrLoop, vLoopPars);
    case E::eEtZStack:
        LoadZStack(u.sZStackLoop, vLoopPars);
        return true;
    case E::eEtPolar:
        LoadPolar(u.sPolarLoop, vLoopPars);
        return true;
    case E::eEtSpect:
        return LoadSpect(u.sSpectLoop, vLoopPars);
    case E::eEtCustom:
        return LoadCustom(u.sCustomLoop, vLoopPars);
    default:
        return true;
    }
}

// One flag per loop item. A longer list is cut to the loop's count; a
// shorter one cannot tell which items it means and is dropped (all items
// valid). False without memory.
bool LoadItemFlags(E& aExperiment, const CLxVariant& v)
{
    const CLxVariant& flags = List(v, u"pItemValid");
    const uint32_t listCount = uint32_t(ItemCount(flags));
    const uint32_t count = aExperiment.uLoopPars.uiCount;
    if (listCount == 0)
        return true;
    if (listCount < count) {
        LX_DIAG_ASSERT_TEXT(u"iValidCount >= lx_int32(aExperiment.uLoopPars.uiCount)", nullptr);
        return true;
    }
    if (count == 0)
        return true;
    aExperiment.pItemValid = NewNumbers<uint8_t>(count);
    if (!aExperiment.pItemValid)
        return false;
    for (uint32_t i = 0; i < count; ++i)
        aExperiment.pItemValid[i] = GetItemBool(flags, int(i)) ? 1 : 0;
    return true;
}

// The large-image descriptor from the first item of "pLargeImage"; none
// when the list is empty. False without memory.
bool LoadLargeImage(E& exp, const CLxVariant& v)
{
    const CLxVariant& list = List(v, u"pLargeImage");
    if (ItemCount(list) < 1) {
        lx_meta::FreeNumbers(exp.pLargeImage);
        return true;
    }
    if (!exp.pLargeImage)
        exp.pLargeImage = NewNumbers<E::SLxLIDesc>(1);
    if (!exp.pLargeImage)
        return false;
    const CLxVariant& item = list[0];
    exp.pLargeImage->iMethod = lx_meta::GetInt(item, u"iMethod");
    exp.pLargeImage->iXFields = lx_meta::GetInt(item, u"iXFields");
    exp.pLargeImage->iYFields = lx_meta::GetInt(item, u"iYFields");
    exp.pLargeImage->dXmm = lx_meta::GetDouble(item, u"dXmm");
    exp.pLargeImage->dYmm = lx_meta::GetDouble(item, u"dYmm");
    return true;
}

} // namespace

int SLxExperiment::SLxExpAutoFocus::LoadFromVariant(SLxExpAutoFocus& af, const CLxVariant& v)
{
    if (v.GetRunType() != CLxVariantRunType(lx_meta::kAutoFocusRunType))
        return -4;
    af.eType = lx_meta::GetUInt(v, u"eType");
    af.dStep = lx_meta::GetDouble(v, u"dStep");
    af.dRange = lx_meta::GetDouble(v, u"dRange");
    af.dPrecision = lx_meta::GetDouble(v, u"dPrecision");
    af.dSpeed = lx_meta::GetDouble(v, u"dSpeed");
    af.dCoeff_0 = lx_meta::GetDouble(v, u"dCoeff_0");
    af.dCoeff_1 = lx_meta::GetDouble(v, u"dCoeff_1");
    af.dCoeff_2 = lx_meta::GetDouble(v, u"dCoeff_2");
    af.dCoeff_3 = lx_meta::GetDouble(v, u"dCoeff_3");
    return 0;
}

int SLxExperiment::LoadFromVariantOld(SLxExperiment& aExperiment, const CLxVariant& v)
{
    if (v.GetRunType() != CLxVariantRunType(lx_meta::kExperimentRunType)) {
        LX_TRACE(u"Wrong variant runtype('%S'), expected 'RLxExperiment'.",
                 v.GetRunType().GetName().GetString());
        return -4;
    }
    ReleaseLoop(aExperiment);
    aExperiment.eType = ELxExperimentType(lx_meta::GetUInt(v, u"eType"));
    aExperiment.wsApplicationDesc = lx_meta::GetText(v, u"wsApplicationDesc");
    aExperiment.wsUserDesc = lx_meta::GetText(v, u"wsUserDesc");
    const CLxVariant& probes = lx_meta::Get(v, u"aMeasProbesBase64");
    if (!probes.IsNull() && probes.GetData()->GetKind() == eLxVariantByteArray) {
        const CLxByteArray bytes = probes.GetCLxByteArray();
        // An empty array leaves the text as it was.
        if (bytes.GetSize() != 0)
            aExperiment.aMeasProbesBase64 = ProbeText(bytes);
    }
    if (!LoadLoopRecord(aExperiment, v) || !LoadItemFlags(aExperiment, v)) {
        ReleaseLoop(aExperiment);
        return -3;
    }
    const int res = AF::LoadFromVariant(aExperiment.sAutoFocusBeforeLoop,
                                        lx_meta::Get(v, u"sAutoFocusBeforeLoop"));
    if (res != 0) {
        ReleaseLoop(aExperiment);
        return res;
    }
    aExperiment.wsCommandBeforeLoop = lx_meta::GetText(v, u"wsCommandBeforeLoop");
    aExperiment.wsCommandBeforeCapture = lx_meta::GetText(v, u"wsCommandBeforeCapture");
    aExperiment.wsCommandAfterCapture = lx_meta::GetText(v, u"wsCommandAfterCapture");
    aExperiment.wsCommandAfterLoop = lx_meta::GetText(v, u"wsCommandAfterLoop");
    aExperiment.bControlShutter = lx_meta::GetBool(v, u"bControlShutter");
    aExperiment.bControlLight = lx_meta::GetBool(v, u"bControlLight");
    aExperiment.bUsePFS = lx_meta::GetBool(v, u"bUsePFS");
    if (!LoadLargeImage(aExperiment, v)) {
        ReleaseLoop(aExperiment);
        return -3;
    }
    return 0;
}

int SLxExperiment::LoadFromVariant(SLxExperiment& aExperiment, const CLxVariant& v)
{
    const int res = LoadFromVariantOld(aExperiment, v);
    if (res != 0)
        return res;
    aExperiment.uiRepeatCount = lx_meta::GetUInt(v, u"uiRepeatCount");
    lx_meta::FreeNumbers(aExperiment.ppNextLevelEx);
    aExperiment.uiNextLevelCount = 0;
    const CLxVariant& next = List(v, u"ppNextLevelEx");
    const int count = ItemCount(next);
    if (count < 1)
        return 0;
    aExperiment.ppNextLevelEx = NewNumbers<SLxExperiment*>(uint32_t(count));
    if (!aExperiment.ppNextLevelEx) {
        ReleaseLoop(aExperiment);
        return -3;
    }
    const CLxVariantRunType levelType(lx_meta::kExperimentRunType);
    for (int i = 0; i < count; ++i) {
        const CLxVariant& item = next[i];
        if (item.GetRunType() != levelType)
            continue;
        SLxExperiment*& slot = aExperiment.ppNextLevelEx[aExperiment.uiNextLevelCount];
        if (Alloc(&slot) != 0) {
            LX_DIAG_ASSERT_TEXT(u"SLxExperiment::Alloc(&(aExperiment.ppNextLevelEx[aExperiment."
                                u"uiNextLevelCount])) != LX_OK",
                                nullptr);
            continue;
        }
        if (LoadFromVariant(*slot, item) == 0) {
            ++aExperiment.uiNextLevelCount;
        } else {
            FreeRecursive(slot);
            slot = nullptr;
        }
    }
    if (aExperiment.uiNextLevelCount == 0)
        lx_meta::FreeNumbers(aExperiment.ppNextLevelEx);
    return 0;
}
