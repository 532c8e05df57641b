// Exact comparison of experiment levels and trees.
#include "gnr_metaformats/LxExperiment.h"

namespace
{

typedef SLxExperiment E;
typedef E::SLxExpAutoFocus AF;

bool SameText(const CLxStringW* a, const CLxStringW* b, uint32_t i)
{
    const CLxStringW empty;
    return (a ? a[i] : empty) == (b ? b[i] : empty);
}

template <class T> bool SameNumber(const T* a, const T* b, uint32_t i)
{
    return (a ? a[i] : T()) == (b ? b[i] : T());
}

bool SameWide(const char16_t* a, const char16_t* b, size_t capacity)
{
    for (size_t i = 0; i < capacity; ++i) {
        if (a[i] != b[i])
            return false;
        if (a[i] == 0)
            return true;
    }
    return true;
}

bool SameTimeLoop(const E::SLxExpTimeLoop& a, const E::SLxExpTimeLoop& b)
{
    return a.uiCount == b.uiCount && a.dStart == b.dStart && a.dPeriod == b.dPeriod &&
           a.dDuration == b.dDuration && a.dMinPeriodDiff == b.dMinPeriodDiff &&
           a.dMaxPeriodDiff == b.dMaxPeriodDiff && a.dAvgPeriodDiff == b.dAvgPeriodDiff;
}

bool Valid(const E& e, uint32_t i)
{
    return !e.pItemValid || e.pItemValid[i] != 0;
}

bool SameRecord(const E& a, const E& b)
{
    const E::ULxLoopPars &x = a.uLoopPars, &y = b.uLoopPars;
    if (a.eType != E::eEtNETime && x.uiCount != y.uiCount)
        return false;
    const uint32_t n = x.uiCount;
    switch (a.eType) {
    case E::eEtTime:
        if ((a.pItemValid == nullptr) != (b.pItemValid == nullptr))
            return false;
        for (uint32_t i = 0; a.pItemValid && i < n; ++i) {
            if (a.pItemValid[i] != b.pItemValid[i])
                return false;
        }
        return SameTimeLoop(x.sTimeLoop, y.sTimeLoop);
    case E::eEtXYPos: {
        const E::SLxExpXYPosLoop &p = x.sXYPosLoop, &q = y.sXYPosLoop;
        if (p.bRelativeXY != q.bRelativeXY || p.bUseZ != q.bUseZ ||
            !AF::IsEqual(p.sAutoFocusBeforeCapture, q.sAutoFocusBeforeCapture))
            return false;
        for (uint32_t i = 0; i < n; ++i) {
            if (Valid(a, i) != Valid(b, i) || !SameNumber(p.dPosX, q.dPosX, i) ||
                !SameNumber(p.dPosY, q.dPosY, i) || !SameNumber(p.dPosZ, q.dPosZ, i) ||
                !SameNumber(p.dPFSOffset, q.dPFSOffset, i) || !SameText(p.pPosName, q.pPosName, i))
                return false;
        }
        return true;
    }
    case E::eEtXYDiscr: {
        const E::SLxExpXYDiscrLoop &p = x.sXYDiscrLoop, &q = y.sXYDiscrLoop;
        if (p.bUseZ != q.bUseZ)
            return false;
        for (uint32_t i = 0; i < n; ++i) {
            if (Valid(a, i) != Valid(b, i) || !SameNumber(p.uiRow, q.uiRow, i) ||
                !SameNumber(p.uiCol, q.uiCol, i) || !SameNumber(p.dPosZ, q.dPosZ, i))
                return false;
        }
        return true;
    }
    case E::eEtZStack: {
        const E::SLxExpZStackLoop &p = x.sZStackLoop, &q = y.sZStackLoop;
        return p.dZLow == q.dZLow && p.dZLowPFSOffset == q.dZLowPFSOffset && p.dZHigh == q.dZHigh &&
               p.dZHighPFSOffset == q.dZHighPFSOffset && p.dZHome == q.dZHome &&
               p.dZStep == q.dZStep && p.bAbsolute == q.bAbsolute &&
               p.bTriggeredPiezo == q.bTriggeredPiezo && p.iType == q.iType &&
               p.bZInverted == q.bZInverted && p.dReferencePosition == q.dReferencePosition &&
               SameWide(p.sZDevice, q.sZDevice, 128) &&
               SameWide(p.sCommandBeforeCapture, q.sCommandBeforeCapture, 500) &&
               SameWide(p.sCommandAfterCapture, q.sCommandAfterCapture, 500);
    }
    case E::eEtPolar: {
        const E::SLxExpPolarLoop &p = x.sPolarLoop, &q = y.sPolarLoop;
        return p.dAngleStart == q.dAngleStart && p.dAngleFinish == q.dAngleFinish &&
               p.bSceneRotates == q.bSceneRotates;
    }
    case E::eEtSpect: {
        const E::SLxExpSpectLoop &p = x.sSpectLoop, &q = y.sSpectLoop;
        const SLxPicturePlaneDesc plain;
        const AF none{};
        for (uint32_t i = 0; i < n; ++i) {
            if (Valid(a, i) != Valid(b, i) ||
                !SLxPicturePlaneDesc::IsEqual(p.pPlaneDesc ? p.pPlaneDesc[i] : plain,
                                              q.pPlaneDesc ? q.pPlaneDesc[i] : plain) ||
                !AF::IsEqual(p.pAutoFocus ? p.pAutoFocus[i] : none,
                             q.pAutoFocus ? q.pAutoFocus[i] : none) ||
                !SameText(p.szCommandBeforeCapture, q.szCommandBeforeCapture, i) ||
                !SameText(p.szCommandAfterCapture, q.szCommandAfterCapture, i))
                return false;
        }
        return true;
    }
    case E::eEtCustom:
        return SameText(x.sCustomLoop.wsDescription, y.sCustomLoop.wsDescription, 0);
    case E::eEtNETime: {
        const E::SLxExpNETimeLoop &p = x.sNETimeLoop, &q = y.sNETimeLoop;
        if (a.pItemValid || b.pItemValid || p.uiPeriodCount != q.uiPeriodCount ||
            !AF::IsEqual(p.sAutoFocusBeforePeriod, q.sAutoFocusBeforePeriod) ||
            !AF::IsEqual(p.sAutoFocusBeforeCapture, q.sAutoFocusBeforeCapture))
            return false;
        for (uint32_t i = 0; i < p.uiPeriodCount; ++i) {
            const bool validP = !p.pPeriodValid || p.pPeriodValid[i] != 0;
            const bool validQ = !q.pPeriodValid || q.pPeriodValid[i] != 0;
            const E::SLxExpTimeLoop none{};
            if (validP != validQ ||
                !SameText(p.szCommandBeforePeriod, q.szCommandBeforePeriod, i) ||
                !SameText(p.szCommandAfterPeriod, q.szCommandAfterPeriod, i) ||
                !SameTimeLoop(p.pPeriod ? p.pPeriod[i] : none, q.pPeriod ? q.pPeriod[i] : none))
                return false;
        }
        return true;
    }
    default:
        return false;
    }
}

bool SameLargeImage(const E::SLxLIDesc* a, const E::SLxLIDesc* b)
{
    if (a == b)
        return true;
    if (!a || !b)
        return false;
    return a->iMethod == b->iMethod && a->iXFields == b->iXFields && a->iYFields == b->iYFields &&
           a->dXmm == b->dXmm && a->dYmm == b->dYmm;
}

} // namespace

bool SLxExperiment::IsEqual(const SLxExperiment& a, const SLxExperiment& b, bool bRecursive)
{
    if (a.wsApplicationDesc != b.wsApplicationDesc || a.wsUserDesc != b.wsUserDesc ||
        a.aMeasProbesBase64 != b.aMeasProbesBase64 ||
        !AF::IsEqual(a.sAutoFocusBeforeLoop, b.sAutoFocusBeforeLoop) ||
        a.wsCommandBeforeLoop != b.wsCommandBeforeLoop ||
        a.wsCommandBeforeCapture != b.wsCommandBeforeCapture ||
        a.wsCommandAfterCapture != b.wsCommandAfterCapture ||
        a.wsCommandAfterLoop != b.wsCommandAfterLoop || a.bControlShutter != b.bControlShutter ||
        a.bControlLight != b.bControlLight || a.bUsePFS != b.bUsePFS)
        return false;
    if (!SameLargeImage(a.pLargeImage, b.pLargeImage))
        return false;
    if (a.eType != b.eType || a.eType < eEtTime || a.eType > eEtNETime)
        return false;
    if (!SameRecord(a, b))
        return false;
    if (!bRecursive)
        return true;
    if (a.uiRepeatCount != b.uiRepeatCount || a.uiNextLevelCount != b.uiNextLevelCount ||
        (a.ppNextLevelEx == nullptr) != (b.ppNextLevelEx == nullptr))
        return false;
    if (!a.ppNextLevelEx || a.uiNextLevelCount == 0)
        return true;
    for (uint32_t i = 0; i < a.uiNextLevelCount; ++i) {
        const SLxExperiment *x = a.ppNextLevelEx[i], *y = b.ppNextLevelEx[i];
        if (!x || !y || !IsEqual(*x, *y, true))
            return false;
    }
    return true;
}
