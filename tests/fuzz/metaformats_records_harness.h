// What the metadata-record fuzz target does with one input, shared with the
// replay test of the sanitizer build: read the bytes as a variant XML text
// (UTF-8), load every record of the metadata model from the root and each
// node below it as the record its run type names, then use and save what
// loaded; experiments are also checked for counts that disagree with their
// arrays. (The XML reader bounds the depth of the tree.)
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_metaformats/LxRecordArray.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/variant/LxVariant.h"
#include "w32_system/memory/LxAlloc.h"

namespace lx_fuzz
{

// Drawing tables are sized by the spectrum, within this bound.
constexpr uint32_t kMaxTabbed = 1u << 16;

inline void UseSpectrum(const CLxOpticalFilterSpectrum& s)
{
    double peak = 0, lower = 0, upper = 0;
    s.GetPeakAndFwhm(peak, lower, upper);
    const uint32_t n = std::min(s.GetTabbedPointCount(), kMaxTabbed);
    std::vector<double> wl(n + 1), val(n + 1);
    s.GetTabbedCurve(wl.data(), val.data(), n);
    uint32_t color = 0, index = 0;
    s.GetRGBColor(color);
    s.GetsRGBColor(color);
    s.FindNearestPoint(500.0, index);
    CLxOpticalFilterSpectrum combined(s);
    combined.Combine(s, true);
    CLxOpticalFilterSpectrum band;
    band.AddPoint(SLxOFSpectrumPoint(SLxOFSpectrumPoint::eSptRisingEdge, 500, 1));
    band.AddPoint(SLxOFSpectrumPoint(SLxOFSpectrumPoint::eSptFallingEdge, 550, 1));
    band.Combine(s, true);
    combined.Combine(band, false);
}

inline void UsePlanes(SLxPicturePlanes& planes)
{
    SLxPicturePlanes::FullMask(planes);
    for (uint32_t mask : {0u, 1u, 0b101u, 0xFFFFFFFFu}) {
        const uint32_t count = SLxPicturePlanes::MaskedPlaneCount(planes, mask);
        SLxPicturePlanes::MaskedCompCount(planes, mask);
        SLxPicturePlanes extracted;
        if (count <= 4096 && SLxPicturePlanes::Alloc(extracted, count) == 0)
            SLxPicturePlanes::ExtractPlanes(extracted, planes, mask);
        SLxPicturePlanes::Free(extracted);
    }
    if (planes.uiCompCount <= 4096) {
        std::vector<uint32_t> colors(planes.uiCompCount + 1);
        SLxPicturePlanes::GetPlaneColors(planes, colors.data(), planes.uiCompCount);
    }
    if (planes.uiCount > 0)
        SLxPicturePlanes::PlaneMask(planes, planes.uiCount - 1);
    SLxPicturePlanes merged;
    SLxPicturePlanes::MergePlanes(merged, planes);
    SLxPicturePlanes::MakeCompatible(merged, 3);
    SLxPicturePlanes::Free(merged);
}

// Loads a record and uses it. (Saving is left to the replay test: the
// fuzzer spends its time on the readers.)
template <class T, class Use>
void Load(const CLxVariant& v, int (*load)(T&, const CLxVariant&), Use use)
{
    T record;
    if (load(record, v) == 0)
        use(record);
}

// ---- Experiments: every count of a loaded level must agree with the
// array it counts; a disagreement ends the run.

inline void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The block of a plain array holds n elements (none: no block).
template <class T> void RequireNumbers(const T* p, uint32_t n)
{
    Require(p ? CLxAlloc::Size(p) == size_t(n) * sizeof(T) : n == 0);
}

// An array of constructed objects holds n elements.
template <class T> void RequireObjects(const T* p, uint32_t n)
{
    Require(p ? (reinterpret_cast<const lx_meta::SArrayHeader*>(p) - 1)->count == n : n == 0);
}

// A pointer array has room for n levels, each of them there.
inline void RequireLevels(SLxExperiment* const* p, uint32_t n)
{
    Require(p ? CLxAlloc::Size(p) >= size_t(n) * sizeof(void*) : n == 0);
    for (uint32_t i = 0; i < n; ++i)
        Require(p[i] != nullptr);
}

// A fixed text ends inside its array.
template <size_t N> void RequireTerminated(const char16_t (&text)[N])
{
    size_t n = 0;
    while (n < N && text[n] != 0)
        ++n;
    Require(n < N);
}

inline void CheckLevel(const SLxExperiment& e)
{
    typedef SLxExperiment E;
    const E::ULxLoopPars& u = e.uLoopPars;
    if (e.pItemValid)
        RequireNumbers(e.pItemValid, u.uiCount);
    switch (e.eType) {
    case E::eEtXYPos:
        RequireNumbers(u.sXYPosLoop.dPosX, u.uiCount);
        RequireNumbers(u.sXYPosLoop.dPosY, u.uiCount);
        RequireNumbers(u.sXYPosLoop.dPosZ, u.uiCount);
        RequireNumbers(u.sXYPosLoop.dPFSOffset, u.uiCount);
        RequireObjects(u.sXYPosLoop.pPosName, u.uiCount);
        break;
    case E::eEtXYDiscr:
        RequireNumbers(u.sXYDiscrLoop.uiRow, u.uiCount);
        RequireNumbers(u.sXYDiscrLoop.uiCol, u.uiCount);
        RequireNumbers(u.sXYDiscrLoop.dPosZ, u.uiCount);
        break;
    case E::eEtZStack:
        RequireTerminated(u.sZStackLoop.sZDevice);
        RequireTerminated(u.sZStackLoop.sCommandBeforeCapture);
        RequireTerminated(u.sZStackLoop.sCommandAfterCapture);
        break;
    case E::eEtSpect:
        RequireNumbers(u.sSpectLoop.pAutoFocus, u.uiCount);
        RequireObjects(u.sSpectLoop.szCommandBeforeCapture, u.uiCount);
        RequireObjects(u.sSpectLoop.szCommandAfterCapture, u.uiCount);
        Require((u.sSpectLoop.pPlaneDesc != nullptr) == (u.uiCount != 0));
        break;
    case E::eEtCustom:
        RequireObjects(u.sCustomLoop.wsDescription, 1);
        break;
    case E::eEtNETime: {
        const E::SLxExpNETimeLoop& ne = u.sNETimeLoop;
        RequireNumbers(ne.pPeriod, ne.uiPeriodCount);
        RequireNumbers(ne.pPeriodValid, ne.uiPeriodCount);
        RequireObjects(ne.szCommandBeforePeriod, ne.uiPeriodCount);
        RequireObjects(ne.szCommandAfterPeriod, ne.uiPeriodCount);
        uint64_t frames = 0;
        for (uint32_t i = 0; i < ne.uiPeriodCount; ++i)
            frames += ne.pPeriodValid[i] ? ne.pPeriod[i].uiCount : 0;
        Require(ne.uiCount == std::min<uint64_t>(frames, 0xFFFFFFFFu));
        if (ne.pSubLoops) {
            Require(e.bOwnsSubLoopLevels);
            RequireObjects(ne.pSubLoops, ne.uiPeriodCount);
            for (uint32_t i = 0; i < ne.uiPeriodCount; ++i) {
                const E::SLxSubLoopsDefinition& def = ne.pSubLoops[i];
                RequireLevels(def.ppNextLevelEx, def.uiNextLevelCount);
                for (uint32_t k = 0; k < def.uiNextLevelCount; ++k)
                    CheckLevel(*def.ppNextLevelEx[k]);
            }
        }
        break;
    }
    default:
        break;
    }
    RequireLevels(e.ppNextLevelEx, e.uiNextLevelCount);
    for (uint32_t i = 0; i < e.uiNextLevelCount; ++i)
        CheckLevel(*e.ppNextLevelEx[i]);
}

// An experiment in both forms: loaded, checked, copied, saved, released.
inline void LoadExperiment(const CLxVariant& v)
{
    SLxExperiment* tree = nullptr;
    if (SLxExperiment::Alloc(&tree) != 0)
        return;
    if (SLxExperiment::LoadFromVariant(*tree, v) == 0) {
        CheckLevel(*tree);
        SLxExperiment* copy = nullptr;
        if (SLxExperiment::Duplicate(&copy, *tree, true) == 0)
            CheckLevel(*copy);
        SLxExperiment::FreeRecursive(copy);
        CLxVariant saved;
        SLxExperiment::SaveToVariant(saved, *tree);
    }
    SLxExperiment::FreeRecursive(tree);
    SLxExperiment one;
    if (SLxExperiment::LoadFromVariantOld(one, v) == 0) {
        CheckLevel(one);
        CLxVariant saved;
        SLxExperiment::SaveToVariantOld(saved, one);
    }
}

// Loads the records whose run type v has.
inline void LoadRecords(const CLxVariant& v)
{
    const char* type = v.GetRunType().GetName().GetString();
    const auto is = [&](const char* name) { return strcmp(type, name) == 0; };
    const auto none = [](auto&) {};
    if (is("RLxOFSpectrumPoint"))
        Load<SLxOFSpectrumPoint>(v, SLxOFSpectrumPoint::LoadFromVariant, none);
    if (is("RLxOpticalFilterSpectrum"))
        Load<CLxOpticalFilterSpectrum>(v, CLxOpticalFilterSpectrum::LoadFromVariant, UseSpectrum);
    if (is("RLxOpticalFilter"))
        Load<CLxOpticalFilter>(v, CLxOpticalFilter::LoadFromVariant, [](CLxOpticalFilter& f) {
            f.SetPlacement(CLxOpticalFilter::eOfpEmission);
            CLxOpticalFilterPath path(f, f);
            path.GetMeanEmissionWavelength();
        });
    if (is("RLxOpticalFilterPath"))
        Load<CLxOpticalFilterPath>(v, CLxOpticalFilterPath::LoadFromVariant,
                                   [](CLxOpticalFilterPath& p) {
                                       p.GetMeanExcitationWavelength();
                                       p.GetMeanEmissionWavelength();
                                       CLxOpticalFilterPath copy;
                                       copy = p;
                                   });
    if (is("RLxFluorescentProbe"))
        Load<CLxFluorescentProbe>(v, CLxFluorescentProbe::LoadFromVariant,
                                  [](CLxFluorescentProbe& p) {
                                      const double lines[3] = {405, 488, 561};
                                      p.SelectExcitation(lines, 3);
                                      p.GetExcitationWavelength();
                                      p.GetEmissionWavelength();
                                  });
    if (is("RLxCameraSetting"))
        Load<SLxCameraSetting>(v, SLxCameraSetting::LoadFromVariant, none);
    if (is("RLxPicturePlaneDesc") || is("RLxPicturePlaneDescV1_1"))
        Load<SLxPicturePlaneDesc>(v, SLxPicturePlaneDesc::LoadFromVariant,
                                  [](SLxPicturePlaneDesc& p) {
                                      SLxPicturePlaneDesc copy;
                                      SLxPicturePlaneDesc::Copy(copy, p);
                                  });
    if (is("RLxPicturePlanes")) {
        SLxPicturePlanes planes;
        if (SLxPicturePlanes::LoadFromVariant(planes, v) == 0) {
            UsePlanes(planes);
            CLxVariant saved;
            SLxPicturePlanes::SaveToVariant(saved, planes);
        }
        SLxPicturePlanes::Free(planes);
    }
    if (is("RLxPictureMetadata"))
        Load<SLxPictureMetadata>(
            v, SLxPictureMetadata::LoadFromVariant, [](SLxPictureMetadata& md) {
                const SLxPictureMetadata copy(md);
                SLxPictureMetadata::SetCalibration(md, 0.5, 1, nullptr, 2, 2, 0, 1);
            });
    if (is("RLxExperimentEvent"))
        Load<SLxExperimentEvent>(v, SLxExperimentEvent::LoadFromVariant, none);
    if (is("RLxExperiment"))
        LoadExperiment(v);
    if (is("RLxExperimentRecord")) {
        SLxExperimentRecord record;
        SLxExperimentRecord::LoadFromVariant(record, v);
        SLxExperimentRecord copy;
        SLxExperimentRecord::Copy(copy, record);
        CLxVariant saved;
        SLxExperimentRecord::SaveToVariant(saved, copy);
        SLxExperimentRecord::Free(copy);
        SLxExperimentRecord::Free(record);
    }
}

// Every node of the tree loaded as the record its run type names.
inline void LoadTree(const CLxVariant& v)
{
    LoadRecords(v);
    for (int i = 0; i < v.GetCount(); ++i)
        LoadTree(v[i]);
}

// The whole input.
inline void LoadRecordsFromText(const uint8_t* data, size_t size)
{
    CLxVariant root;
    if (CLxXMLAPI::VariantFromXML_UTF8(root, reinterpret_cast<const char*>(data), size) != 0)
        return;
    // Each node goes to the loaders of its own run type only: a refusal
    // costs a whole assertion report and slows the fuzzer down (refusals
    // are unit-tested).
    LoadTree(root);
}

} // namespace lx_fuzz
