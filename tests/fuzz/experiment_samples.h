// Experiment trees of every loop type with values other than their
// defaults, for the persistence tests and the seeds of the metadata fuzz
// target. Each tree belongs to the caller, who releases it with
// SLxExperiment::FreeRecursive.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxRecordArray.h"
#include "w32_system/memory/LxAlloc.h"

namespace lx_samples
{

typedef SLxExperiment E;

// A heap level set up with Init (null without memory).
inline E* NewLevel(E::ELxExperimentType type, uint32_t count, uint32_t children = 0,
                   bool flags = false, uint32_t periods = 0)
{
    E* level = nullptr;
    if (E::Alloc(&level) != 0)
        return nullptr;
    if (E::Init(*level, type, flags, count, periods, children) != 0) {
        E::FreeRecursive(level);
        return nullptr;
    }
    return level;
}

inline E::SLxExpAutoFocus AutoFocus(uint32_t type, double step)
{
    E::SLxExpAutoFocus af;
    af.eType = type;
    af.dStep = step;
    af.dRange = step * 40;
    af.dPrecision = 0.125;
    af.dSpeed = 2.5;
    af.dCoeff_0 = -1.5;
    af.dCoeff_1 = 1e-7;
    af.dCoeff_2 = 3.25;
    af.dCoeff_3 = 1e300;
    return af;
}

template <size_t N> void SetFixed(char16_t (&out)[N], const char16_t* text)
{
    size_t n = 0;
    for (; n + 1 < N && text[n]; ++n)
        out[n] = text[n];
    out[n] = 0;
}

// The fields every level has, varied by k.
inline void FillCommon(E& e, int k)
{
    e.wsApplicationDesc = k % 2 ? u"acquired \u00b5" : u"acquired";
    e.wsUserDesc = u"user <notes> & \"quotes\"";
    e.aMeasProbesBase64 = k % 3 ? u"QUJD" : u"";
    e.sAutoFocusBeforeLoop = AutoFocus(uint32_t(k), 0.5 + k);
    e.wsCommandBeforeLoop = u"before loop";
    e.wsCommandBeforeCapture = k % 2 ? u"" : u"before capture";
    e.wsCommandAfterCapture = u"after\tcapture\r\n";
    e.wsCommandAfterLoop = u"after loop";
    e.bControlShutter = k % 2 == 0;
    e.bControlLight = k % 2 == 1;
    e.bUsePFS = k % 3 == 0;
    if (k % 2) {
        e.pLargeImage =
            static_cast<E::SLxLIDesc*>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, sizeof(E::SLxLIDesc)));
        if (e.pLargeImage)
            *e.pLargeImage = E::SLxLIDesc{2, 3, -4, 0.75, 1.25};
    }
}

inline E* TimeLevel()
{
    E* e = NewLevel(E::eEtTime, 5, 0, true);
    if (!e)
        return nullptr;
    FillCommon(*e, 1);
    e->pItemValid[3] = 0;
    E::SLxExpTimeLoop& t = e->uLoopPars.sTimeLoop;
    t.dStart = 12.5;
    t.dPeriod = 100;
    t.dDuration = 500.25;
    t.dMinPeriodDiff = 99.5;
    t.dMaxPeriodDiff = 100.75;
    t.dAvgPeriodDiff = 100.1;
    t.sAutoFocusBeforePeriod = AutoFocus(1, 0.1);
    t.sAutoFocusBeforeCapture = AutoFocus(2, 0.2);
    return e;
}

inline E* ZLevel(uint32_t count = 11)
{
    E* e = NewLevel(E::eEtZStack, count);
    if (!e)
        return nullptr;
    FillCommon(*e, 4);
    E::SLxExpZStackLoop& z = e->uLoopPars.sZStackLoop;
    z.dZLow = -5.5;
    z.dZLowPFSOffset = 0.3;
    z.dZHigh = 4.5;
    z.dZHighPFSOffset = -0.3;
    z.dZHome = 0.25;
    z.dZStep = 1.0;
    z.bAbsolute = true;
    z.bTriggeredPiezo = true;
    z.iType = 2;
    z.bZInverted = true;
    z.dReferencePosition = 3.5;
    SetFixed(z.sZDevice, u"Piezo \U0001F600 Z");
    SetFixed(z.sCommandBeforeCapture, u"z before");
    SetFixed(z.sCommandAfterCapture, u"z after");
    return e;
}

inline E* SpectLevel()
{
    E* e = NewLevel(E::eEtSpect, 3, 0, true);
    if (!e)
        return nullptr;
    FillCommon(*e, 6);
    e->pItemValid[1] = 0;
    E::SLxExpSpectLoop& s = e->uLoopPars.sSpectLoop;
    const char16_t* names[] = {u"DAPI", u"GFP", u"mCherry"};
    for (uint32_t i = 0; i < 3; ++i) {
        SLxPicturePlaneDesc& p = s.pPlaneDesc[i];
        p.uiCompCount = i == 2 ? 3 : 1;
        p.sOpticalConfigName = names[i];
        p.eModality = SLxPicturePlaneDesc::EModality(i + 1);
        p.uiColor = 0x0000FFu << (8 * i);
        p.sDescription = names[i];
        s.pAutoFocus[i] = AutoFocus(i, 0.5 * i);
        s.szCommandBeforeCapture[i] = names[i];
        s.szCommandAfterCapture[i] = i ? u"after" : u"";
    }
    return e;
}

inline E* CustomLevel()
{
    E* e = NewLevel(E::eEtCustom, 4);
    if (!e)
        return nullptr;
    FillCommon(*e, 7);
    *e->uLoopPars.sCustomLoop.wsDescription = u"custom steps";
    return e;
}

inline E* PolarLevel()
{
    E* e = NewLevel(E::eEtPolar, 8);
    if (!e)
        return nullptr;
    FillCommon(*e, 5);
    E::SLxExpPolarLoop& p = e->uLoopPars.sPolarLoop;
    p.dAngleStart = -45;
    p.dAngleFinish = 270.5;
    p.bSceneRotates = true;
    return e;
}

inline E* NETimeLevel()
{
    E* e = NewLevel(E::eEtNETime, 40, 0, false, 3);
    if (!e)
        return nullptr;
    FillCommon(*e, 8);
    E::SLxExpNETimeLoop& ne = e->uLoopPars.sNETimeLoop;
    ne.sAutoFocusBeforePeriod = AutoFocus(3, 1.5);
    ne.sAutoFocusBeforeCapture = AutoFocus(4, 2.5);
    const uint32_t frames[] = {10, 20, 30};
    for (uint32_t i = 0; i < 3; ++i) {
        E::SLxExpTimeLoop& p = ne.pPeriod[i];
        p.uiCount = frames[i];
        p.dStart = 1000.0 * i;
        p.dPeriod = 10.0 * (i + 1);
        p.dDuration = p.dPeriod * frames[i];
        p.dMinPeriodDiff = p.dPeriod - 0.5;
        p.dMaxPeriodDiff = p.dPeriod + 0.5;
        p.dAvgPeriodDiff = p.dPeriod;
        ne.szCommandBeforePeriod[i] = i == 1 ? u"" : u"period start";
        ne.szCommandAfterPeriod[i] = u"period end";
    }
    ne.pPeriodValid[1] = 0;
    // Period 0 runs a Z stack, period 2 a polar loop and a custom loop.
    ne.pSubLoops = lx_meta::NewArray<E::SLxSubLoopsDefinition>(3);
    if (ne.pSubLoops) {
        e->bOwnsSubLoopLevels = true;
        E::SLxSubLoopsDefinition& first = ne.pSubLoops[0];
        first.ppNextLevelEx = static_cast<E**>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, sizeof(E*)));
        if (first.ppNextLevelEx) {
            first.ppNextLevelEx[0] = ZLevel(3);
            first.uiNextLevelCount = first.ppNextLevelEx[0] ? 1 : 0;
        }
        E::SLxSubLoopsDefinition& last = ne.pSubLoops[2];
        last.ppNextLevelEx = static_cast<E**>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, 2 * sizeof(E*)));
        if (last.ppNextLevelEx) {
            last.ppNextLevelEx[0] = PolarLevel();
            last.ppNextLevelEx[1] = CustomLevel();
            last.uiNextLevelCount = 2;
        }
    }
    return e;
}

inline E* XYLevel(uint32_t children = 0)
{
    E* e = NewLevel(E::eEtXYPos, 3, children);
    if (!e)
        return nullptr;
    FillCommon(*e, 2);
    E::SLxExpXYPosLoop& xy = e->uLoopPars.sXYPosLoop;
    const char16_t* names[] = {u"A1", u"Well \u00b5 2", u""};
    for (uint32_t i = 0; i < 3; ++i) {
        xy.dPosX[i] = 100.5 * i - 3;
        xy.dPosY[i] = -20000.25 + i;
        xy.dPosZ[i] = 1.0 / 3 + i;
        xy.dPFSOffset[i] = 7.0 * i;
        xy.pPosName[i] = names[i];
    }
    xy.bUseZ = true;
    xy.bRelativeXY = true;
    xy.sAutoFocusBeforeCapture = AutoFocus(5, 0.75);
    return e;
}

inline E* GridLevel()
{
    E* e = NewLevel(E::eEtXYDiscr, 4);
    if (!e)
        return nullptr;
    FillCommon(*e, 3);
    E::SLxExpXYDiscrLoop& g = e->uLoopPars.sXYDiscrLoop;
    for (uint32_t i = 0; i < 4; ++i) {
        g.uiRow[i] = i / 2;
        g.uiCol[i] = i % 2 ? 4000000000u : i;
        g.dPosZ[i] = 0.5 * i;
    }
    g.bUseZ = true;
    return e;
}

// time 3 > XY 3 > Z 11.
inline E* Chain()
{
    E* time = NewLevel(E::eEtTime, 3, 1);
    if (!time)
        return nullptr;
    time->uLoopPars.sTimeLoop.dPeriod = 250;
    time->ppNextLevelEx[0] = XYLevel(1);
    if (time->ppNextLevelEx[0])
        time->ppNextLevelEx[0]->ppNextLevelEx[0] = ZLevel();
    return time;
}

// XY 3 whose points run a Z stack (2 points) and a custom loop (1).
inline E* Branches()
{
    E* xy = XYLevel(2);
    if (!xy)
        return nullptr;
    xy->ppNextLevelEx[0] = ZLevel(5);
    xy->ppNextLevelEx[1] = CustomLevel();
    if (xy->ppNextLevelEx[0])
        xy->ppNextLevelEx[0]->uiRepeatCount = 2;
    return xy;
}

typedef E* (*TreeMaker)();

// Every loop type, a chain and a branching tree, by name.
inline std::vector<std::pair<const char*, TreeMaker>> SampleTrees()
{
    return {{"time", TimeLevel},
            {"netime", NETimeLevel},
            {"xypos", [] { return XYLevel(); }},
            {"grid", GridLevel},
            {"zstack", [] { return ZLevel(); }},
            {"polar", PolarLevel},
            {"spectral", SpectLevel},
            {"custom", CustomLevel},
            {"chain", Chain},
            {"branches", Branches}};
}

} // namespace lx_samples
