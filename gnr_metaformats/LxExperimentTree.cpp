// Levels of the experiment tree: set-up, copies and release.
#include <cstring>
#include <new>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentBuffers.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

typedef SLxExperiment E;

// ---- Buffers. Numbers and pointers come from the heap as plain blocks;
// texts and channels as arrays of constructed objects.

using lx_meta::FreeNumbers;
using lx_meta::FreeTexts;
using lx_meta::NewNumbers;
using lx_meta::NewTexts;

// A copy of n elements of src; null for none. ok turns false when memory
// was refused.
template <class T> T* CopyNumbers(const T* src, uint32_t n, bool& ok)
{
    if (!src || n == 0)
        return nullptr;
    T* copy = NewNumbers<T>(n);
    if (!copy) {
        ok = false;
        return nullptr;
    }
    std::memcpy(copy, src, size_t(n) * sizeof(T));
    return copy;
}

CLxStringW* CopyTexts(const CLxStringW* src, uint32_t n, bool& ok)
{
    if (!src || n == 0)
        return nullptr;
    CLxStringW* copy = NewTexts(n);
    if (!copy) {
        ok = false;
        return nullptr;
    }
    for (uint32_t i = 0; i < n; ++i)
        copy[i] = src[i];
    return copy;
}

void DeleteLevel(SLxExperiment* level)
{
    if (!level)
        return;
    level->~SLxExperiment();
    CLxAlloc::Free(level);
}

// The sub-loop definitions: their pointer arrays always, the levels in them
// only when the level owns them.
void FreeSubLoops(E::SLxExpNETimeLoop& ne, bool ownsLevels)
{
    if (!ne.pSubLoops)
        return;
    for (uint32_t p = 0; p < ne.uiPeriodCount; ++p) {
        E::SLxSubLoopsDefinition& def = ne.pSubLoops[p];
        if (ownsLevels && def.ppNextLevelEx) {
            for (uint32_t i = 0; i < def.uiNextLevelCount; ++i)
                DeleteLevel(def.ppNextLevelEx[i]);
        }
        FreeNumbers(def.ppNextLevelEx);
        def.uiNextLevelCount = 0;
    }
    lx_meta::DeleteArray(ne.pSubLoops);
    ne.pSubLoops = nullptr;
}

// ---- Loop records, one function per job, switched on the type.

bool InitRecord(E& exp, uint32_t count, uint32_t periods)
{
    E::ULxLoopPars& u = exp.uLoopPars;
    switch (uint32_t(exp.eType)) {
    case E::eEtTime:
    case E::eEtPolar:
    case 9:
        u.uiCount = count;
        return true;
    case E::eEtXYPos: {
        E::SLxExpXYPosLoop& r = u.sXYPosLoop;
        r.uiCount = count;
        r.dPosX = NewNumbers<double>(count);
        r.dPosY = NewNumbers<double>(count);
        r.dPosZ = NewNumbers<double>(count);
        r.dPFSOffset = NewNumbers<double>(count);
        r.pPosName = NewTexts(count);
        E::SLxExpAutoFocus::SetToNull(r.sAutoFocusBeforeCapture);
        return count == 0 || (r.dPosX && r.dPosY && r.dPosZ && r.dPFSOffset && r.pPosName);
    }
    case E::eEtXYDiscr: {
        E::SLxExpXYDiscrLoop& r = u.sXYDiscrLoop;
        r.uiCount = count;
        r.uiRow = NewNumbers<uint32_t>(count);
        r.uiCol = NewNumbers<uint32_t>(count);
        r.dPosZ = NewNumbers<double>(count);
        r.bUseZ = false;
        return count == 0 || (r.uiRow && r.uiCol && r.dPosZ);
    }
    case E::eEtZStack: {
        E::SLxExpZStackLoop& r = u.sZStackLoop;
        r.uiCount = count;
        r.dZLow = r.dZLowPFSOffset = r.dZHigh = r.dZHighPFSOffset = r.dZHome = 0.0;
        r.dZStep = -1.0;
        r.bAbsolute = r.bTriggeredPiezo = r.bZInverted = false;
        r.iType = 0;
        r.dReferencePosition = 0.0;
        r.sZDevice[0] = r.sCommandBeforeCapture[0] = r.sCommandAfterCapture[0] = 0;
        return true;
    }
    case E::eEtSpect: {
        E::SLxExpSpectLoop& r = u.sSpectLoop;
        r.uiCount = count;
        SLxPicturePlaneDesc::AllocArray(r.pPlaneDesc, count);
        r.pAutoFocus = NewNumbers<E::SLxExpAutoFocus>(count);
        r.szCommandBeforeCapture = NewTexts(count);
        r.szCommandAfterCapture = NewTexts(count);
        return count == 0 || (r.pPlaneDesc && r.pAutoFocus && r.szCommandBeforeCapture &&
                              r.szCommandAfterCapture);
    }
    case E::eEtCustom: {
        E::SLxExpCustomLoop& r = u.sCustomLoop;
        r.uiCount = count;
        r.wsDescription = NewTexts(1);
        return r.wsDescription != nullptr;
    }
    case E::eEtNETime: {
        E::SLxExpNETimeLoop& r = u.sNETimeLoop;
        r.uiCount = count;
        r.uiPeriodCount = periods;
        r.pSubLoops = nullptr;
        E::SLxExpAutoFocus::SetToNull(r.sAutoFocusBeforePeriod);
        E::SLxExpAutoFocus::SetToNull(r.sAutoFocusBeforeCapture);
        r.pPeriod = NewNumbers<E::SLxExpTimeLoop>(periods);
        r.szCommandBeforePeriod = NewTexts(periods);
        r.szCommandAfterPeriod = NewTexts(periods);
        r.pPeriodValid = NewNumbers<uint8_t>(periods);
        if (r.pPeriodValid)
            std::memset(r.pPeriodValid, 1, periods);
        return periods == 0 ||
               (r.pPeriod && r.szCommandBeforePeriod && r.szCommandAfterPeriod && r.pPeriodValid);
    }
    default:
        return true;
    }
}

void UninitRecord(E& exp)
{
    E::ULxLoopPars& u = exp.uLoopPars;
    switch (exp.eType) {
    case E::eEtXYPos: {
        E::SLxExpXYPosLoop& r = u.sXYPosLoop;
        FreeNumbers(r.dPosX);
        FreeNumbers(r.dPosY);
        FreeNumbers(r.dPosZ);
        FreeNumbers(r.dPFSOffset);
        FreeTexts(r.pPosName);
        break;
    }
    case E::eEtXYDiscr: {
        E::SLxExpXYDiscrLoop& r = u.sXYDiscrLoop;
        FreeNumbers(r.uiRow);
        FreeNumbers(r.uiCol);
        FreeNumbers(r.dPosZ);
        break;
    }
    case E::eEtSpect: {
        E::SLxExpSpectLoop& r = u.sSpectLoop;
        SLxPicturePlaneDesc::FreeArray(r.pPlaneDesc);
        r.pPlaneDesc = nullptr;
        FreeNumbers(r.pAutoFocus);
        FreeTexts(r.szCommandBeforeCapture);
        FreeTexts(r.szCommandAfterCapture);
        break;
    }
    case E::eEtCustom:
        FreeTexts(u.sCustomLoop.wsDescription);
        break;
    case E::eEtNETime: {
        E::SLxExpNETimeLoop& r = u.sNETimeLoop;
        FreeSubLoops(r, exp.bOwnsSubLoopLevels);
        FreeNumbers(r.pPeriod);
        FreeTexts(r.szCommandBeforePeriod);
        FreeTexts(r.szCommandAfterPeriod);
        FreeNumbers(r.pPeriodValid);
        r.uiPeriodCount = 0;
        break;
    }
    default:
        break;
    }
    exp.bOwnsSubLoopLevels = false;
    if (exp.eType != E::eEtUnknown)
        u.uiCount = 0;
}

// Copies the loop record of src into dst (whose type is already src's).
// False when memory was refused.
bool CopyRecord(E& dst, const E& src)
{
    E::ULxLoopPars& d = dst.uLoopPars;
    const E::ULxLoopPars& s = src.uLoopPars;
    bool ok = true;
    switch (uint32_t(src.eType)) {
    case E::eEtTime:
        d.sTimeLoop = s.sTimeLoop;
        break;
    case E::eEtZStack:
        d.sZStackLoop = s.sZStackLoop;
        break;
    case E::eEtPolar:
        d.sPolarLoop = s.sPolarLoop;
        break;
    case 9:
        d.uiCount = s.uiCount;
        break;
    case E::eEtXYPos: {
        E::SLxExpXYPosLoop& r = d.sXYPosLoop;
        const E::SLxExpXYPosLoop& f = s.sXYPosLoop;
        r.uiCount = f.uiCount;
        r.dPosX = CopyNumbers(f.dPosX, f.uiCount, ok);
        r.dPosY = CopyNumbers(f.dPosY, f.uiCount, ok);
        r.dPosZ = CopyNumbers(f.dPosZ, f.uiCount, ok);
        r.dPFSOffset = CopyNumbers(f.dPFSOffset, f.uiCount, ok);
        r.pPosName = CopyTexts(f.pPosName, f.uiCount, ok);
        r.bUseZ = f.bUseZ;
        r.bRelativeXY = f.bRelativeXY;
        r.sAutoFocusBeforeCapture = f.sAutoFocusBeforeCapture;
        break;
    }
    case E::eEtXYDiscr: {
        E::SLxExpXYDiscrLoop& r = d.sXYDiscrLoop;
        const E::SLxExpXYDiscrLoop& f = s.sXYDiscrLoop;
        r.uiCount = f.uiCount;
        r.uiRow = CopyNumbers(f.uiRow, f.uiCount, ok);
        r.uiCol = CopyNumbers(f.uiCol, f.uiCount, ok);
        r.dPosZ = CopyNumbers(f.dPosZ, f.uiCount, ok);
        r.bUseZ = f.bUseZ;
        break;
    }
    case E::eEtSpect: {
        E::SLxExpSpectLoop& r = d.sSpectLoop;
        const E::SLxExpSpectLoop& f = s.sSpectLoop;
        r.uiCount = f.uiCount;
        r.pPlaneDesc = nullptr;
        if (f.pPlaneDesc && f.uiCount) {
            if (SLxPicturePlaneDesc::AllocArray(r.pPlaneDesc, f.uiCount) == 0)
                SLxPicturePlaneDesc::CopyArray(r.pPlaneDesc, f.pPlaneDesc, f.uiCount);
            else
                ok = false;
        }
        r.pAutoFocus = CopyNumbers(f.pAutoFocus, f.uiCount, ok);
        r.szCommandBeforeCapture = CopyTexts(f.szCommandBeforeCapture, f.uiCount, ok);
        r.szCommandAfterCapture = CopyTexts(f.szCommandAfterCapture, f.uiCount, ok);
        break;
    }
    case E::eEtCustom: {
        d.sCustomLoop.uiCount = s.sCustomLoop.uiCount;
        d.sCustomLoop.wsDescription = NewTexts(1);
        if (!d.sCustomLoop.wsDescription)
            ok = false;
        else if (s.sCustomLoop.wsDescription)
            *d.sCustomLoop.wsDescription = *s.sCustomLoop.wsDescription;
        break;
    }
    case E::eEtNETime: {
        E::SLxExpNETimeLoop& r = d.sNETimeLoop;
        const E::SLxExpNETimeLoop& f = s.sNETimeLoop;
        r.uiCount = f.uiCount;
        r.uiPeriodCount = f.uiPeriodCount;
        r.sAutoFocusBeforePeriod = f.sAutoFocusBeforePeriod;
        r.sAutoFocusBeforeCapture = f.sAutoFocusBeforeCapture;
        r.pSubLoops = nullptr;
        if (f.pSubLoops && f.uiPeriodCount) {
            r.pSubLoops = lx_meta::NewArray<E::SLxSubLoopsDefinition>(f.uiPeriodCount);
            if (!r.pSubLoops) {
                ok = false;
            } else {
                // Shared levels: each period gets its own pointer array.
                for (uint32_t p = 0; p < f.uiPeriodCount; ++p) {
                    const E::SLxSubLoopsDefinition& from = f.pSubLoops[p];
                    E::SLxSubLoopsDefinition& to = r.pSubLoops[p];
                    to.ppNextLevelEx = CopyNumbers(from.ppNextLevelEx, from.uiNextLevelCount, ok);
                    to.uiNextLevelCount = to.ppNextLevelEx ? from.uiNextLevelCount : 0;
                }
            }
        }
        r.pPeriod = CopyNumbers(f.pPeriod, f.uiPeriodCount, ok);
        r.szCommandBeforePeriod = CopyTexts(f.szCommandBeforePeriod, f.uiPeriodCount, ok);
        r.szCommandAfterPeriod = CopyTexts(f.szCommandAfterPeriod, f.uiPeriodCount, ok);
        r.pPeriodValid = CopyNumbers(f.pPeriodValid, f.uiPeriodCount, ok);
        break;
    }
    default:
        break;
    }
    return ok;
}

// Replaces dst's child slots by copies of src's pointers (shared children).
bool CopyChildPointers(E& dst, const E& src)
{
    bool ok = true;
    CLxAlloc::Free(dst.ppNextLevelEx);
    dst.ppNextLevelEx = CopyNumbers(src.ppNextLevelEx, src.uiNextLevelCount, ok);
    dst.uiNextLevelCount = dst.ppNextLevelEx ? src.uiNextLevelCount : 0;
    return ok;
}

} // namespace

// ---- Autofocus

void SLxExperiment::SLxExpAutoFocus::SetToNull(SLxExpAutoFocus& af)
{
    af.eType = 0;
    af.dStep = af.dRange = af.dPrecision = af.dSpeed = 0.0;
    af.dCoeff_0 = af.dCoeff_1 = af.dCoeff_2 = af.dCoeff_3 = 0.0;
}

bool SLxExperiment::SLxExpAutoFocus::IsEqual(const SLxExpAutoFocus& a, const SLxExpAutoFocus& b)
{
    return a.eType == b.eType && a.dStep == b.dStep && a.dRange == b.dRange &&
           a.dPrecision == b.dPrecision && a.dSpeed == b.dSpeed && a.dCoeff_0 == b.dCoeff_0 &&
           a.dCoeff_1 == b.dCoeff_1 && a.dCoeff_2 == b.dCoeff_2 && a.dCoeff_3 == b.dCoeff_3;
}

// ---- Life of a level

SLxExperiment::SLxExperiment()
    : eType(eEtUnknown), pItemValid(nullptr), bControlShutter(true), bControlLight(false),
      bUsePFS(false), pLargeImage(nullptr), ppNextLevelEx(nullptr), uiNextLevelCount(0),
      uiRepeatCount(0), bOwnsSubLoopLevels(false)
{
    std::memset(static_cast<void*>(&uLoopPars), 0, sizeof uLoopPars);
    SLxExpAutoFocus::SetToNull(sAutoFocusBeforeLoop);
}

SLxExperiment::~SLxExperiment()
{
    if (ppNextLevelEx) {
        for (uint32_t i = 0; i < uiNextLevelCount; ++i)
            DeleteLevel(ppNextLevelEx[i]);
    }
    Uninit(*this);
    CLxAlloc::Free(pLargeImage);
    pLargeImage = nullptr;
}

int SLxExperiment::Alloc(SLxExperiment** ppExp)
{
    if (!ppExp)
        return -4;
    void* block = CLxAlloc::Alloc(0, sizeof(SLxExperiment));
    *ppExp = block ? new (block) SLxExperiment() : nullptr;
    return *ppExp ? 0 : -3;
}

void SLxExperiment::Free(SLxExperiment* pExp)
{
    if (!pExp)
        return;
    // Detach the children so the destructor leaves them alone.
    FreeNumbers(pExp->ppNextLevelEx);
    pExp->uiNextLevelCount = 0;
    DeleteLevel(pExp);
}

void SLxExperiment::FreeRecursive(SLxExperiment* pExp)
{
    DeleteLevel(pExp);
}

int SLxExperiment::Init(SLxExperiment& exp, ELxExperimentType type, bool bItemValid,
                        uint32_t uiCount, uint32_t uiPeriodCount, uint32_t uiNextLevelCount)
{
    SLxExpAutoFocus::SetToNull(exp.sAutoFocusBeforeLoop);
    exp.eType = type;
    exp.pItemValid = nullptr;
    exp.bOwnsSubLoopLevels = false;
    exp.ppNextLevelEx = NewNumbers<SLxExperiment*>(uiNextLevelCount);
    exp.uiNextLevelCount = exp.ppNextLevelEx ? uiNextLevelCount : 0;
    exp.uiRepeatCount = 1;
    bool ok = InitRecord(exp, uiCount, uiPeriodCount) && exp.uiNextLevelCount == uiNextLevelCount;
    if (ok && bItemValid && uiCount != 0) {
        exp.pItemValid = NewNumbers<uint8_t>(uiCount);
        if (exp.pItemValid)
            std::memset(exp.pItemValid, 1, uiCount);
        ok = exp.pItemValid != nullptr;
    }
    if (!ok) {
        Uninit(exp);
        return -3;
    }
    return 0;
}

void SLxExperiment::Uninit(SLxExperiment& exp)
{
    UninitRecord(exp);
    FreeNumbers(exp.pItemValid);
    FreeNumbers(exp.ppNextLevelEx);
    exp.uiNextLevelCount = 0;
    exp.eType = eEtUnknown;
}

SLxExperiment& SLxExperiment::Copy(SLxExperiment& dst, const SLxExperiment& src)
{
    if (&dst == &src)
        return dst;
    // Buffers the destination still holds are its own: release them rather
    // than lose them.
    UninitRecord(dst);
    FreeNumbers(dst.pItemValid);
    dst.sAutoFocusBeforeLoop = src.sAutoFocusBeforeLoop;
    dst.bControlShutter = src.bControlShutter;
    dst.bControlLight = src.bControlLight;
    dst.bUsePFS = src.bUsePFS;
    dst.uiRepeatCount = src.uiRepeatCount;
    dst.wsApplicationDesc = src.wsApplicationDesc;
    dst.wsUserDesc = src.wsUserDesc;
    dst.aMeasProbesBase64 = src.aMeasProbesBase64;
    dst.wsCommandBeforeLoop = src.wsCommandBeforeLoop;
    dst.wsCommandBeforeCapture = src.wsCommandBeforeCapture;
    dst.wsCommandAfterCapture = src.wsCommandAfterCapture;
    dst.wsCommandAfterLoop = src.wsCommandAfterLoop;
    if (src.pLargeImage) {
        if (!dst.pLargeImage)
            dst.pLargeImage = NewNumbers<SLxLIDesc>(1);
        if (dst.pLargeImage)
            *dst.pLargeImage = *src.pLargeImage;
    } else {
        FreeNumbers(dst.pLargeImage);
    }
    bool ok = true;
    dst.pItemValid = CopyNumbers(src.pItemValid, src.uLoopPars.uiCount, ok);
    ok = CopyChildPointers(dst, src) && ok;
    // A copy never owns the sub-loop levels it shares.
    dst.bOwnsSubLoopLevels = false;

    if (uint32_t(src.eType) > 9) {
        FreeNumbers(dst.pItemValid);
        dst.eType = eEtUnknown;
        LX_DIAG_ASSERT_TEXT(u"aSrc.eType != eEtUnknown", u"Unknown experiment type");
        return dst;
    }
    dst.eType = src.eType;
    std::memset(static_cast<void*>(&dst.uLoopPars), 0, sizeof dst.uLoopPars);
    ok = CopyRecord(dst, src) && ok;
    if (!ok) {
        // Counts and arrays must agree: without memory nothing of the loop
        // is kept.
        Uninit(dst);
    }
    return dst;
}

int SLxExperiment::Duplicate(SLxExperiment** ppDst, const SLxExperiment& src, bool bRecursive)
{
    if (!ppDst)
        return -4;
    if (Alloc(ppDst) != 0)
        return -3;
    if (bRecursive)
        return CopyRecursive(*ppDst, src, true);
    Copy(**ppDst, src);
    return 0;
}

int SLxExperiment::CopyRecursive(SLxExperiment* pDst, const SLxExperiment& src, bool bRecursive)
{
    if (!pDst)
        return -4;
    if (pDst == &src)
        return 0;
    Copy(*pDst, src);
    if (!bRecursive) {
        FreeNumbers(pDst->ppNextLevelEx);
        pDst->uiNextLevelCount = 0;
        return 0;
    }
    int result = 0;
    // The copied slots point at src's children: replace each by a deep copy.
    for (uint32_t i = 0; pDst->ppNextLevelEx && i < pDst->uiNextLevelCount; ++i) {
        const SLxExperiment* child = src.ppNextLevelEx[i];
        pDst->ppNextLevelEx[i] = nullptr;
        if (child && Duplicate(&pDst->ppNextLevelEx[i], *child, true) != 0)
            result = -3;
    }
    if (pDst->eType == eEtNETime && pDst->uLoopPars.sNETimeLoop.pSubLoops) {
        SLxExpNETimeLoop& ne = pDst->uLoopPars.sNETimeLoop;
        for (uint32_t p = 0; p < ne.uiPeriodCount; ++p) {
            SLxSubLoopsDefinition& def = ne.pSubLoops[p];
            const SLxSubLoopsDefinition& from = src.uLoopPars.sNETimeLoop.pSubLoops[p];
            for (uint32_t i = 0; def.ppNextLevelEx && i < def.uiNextLevelCount; ++i) {
                def.ppNextLevelEx[i] = nullptr;
                if (from.ppNextLevelEx[i] &&
                    Duplicate(&def.ppNextLevelEx[i], *from.ppNextLevelEx[i], true) != 0)
                    result = -3;
            }
        }
        pDst->bOwnsSubLoopLevels = true;
    }
    return result;
}

int SLxExperiment::ExtractValidPlanes(SLxPicturePlanes& planes, const SLxExperiment* pExp)
{
    if (!pExp || pExp->eType != eEtSpect)
        return -4;
    const SLxExpSpectLoop& spect = pExp->uLoopPars.sSpectLoop;
    const auto valid = [&](uint32_t i) { return !pExp->pItemValid || pExp->pItemValid[i] != 0; };
    uint32_t count = 0;
    for (uint32_t i = 0; i < spect.uiCount; ++i)
        count += valid(i) ? 1 : 0;
    if (pExp->pItemValid && count == 0)
        LX_DIAG_ASSERT_TEXT(u"uiValidCount == NULL", nullptr);
    if (!spect.pPlaneDesc)
        count = 0;
    if (SLxPicturePlanes::Alloc(planes, count) != 0)
        return -3;
    planes.uiCompCount = 0;
    uint32_t out = 0;
    for (uint32_t i = 0; i < spect.uiCount && out < count; ++i) {
        if (!valid(i))
            continue;
        SLxPicturePlaneDesc::Copy(planes.sPlane[out++], spect.pPlaneDesc[i]);
        planes.uiCompCount += spect.pPlaneDesc[i].uiCompCount;
    }
    return 0;
}
