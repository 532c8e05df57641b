// The seed documents of the metadata-record fuzz target, written by the
// records' own savers and the variant XML writer: every record with values
// in it, and a few damaged forms (a count that disagrees with its list, a
// member of the wrong type, the older channel form).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "experiment_samples.h"
#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/variant/LxVariant.h"

namespace lx_fuzz
{

inline std::string Document(const CLxVariant& v)
{
    CLxStringA text;
    CLxXMLAPI::VariantToXMLDocument_UTF8(text, v);
    return std::string(text.GetString(), size_t(text.GetLength()));
}

template <class T> CLxVariant Saved(int (*save)(CLxVariant&, const T&), const T& record)
{
    CLxVariant v;
    save(v, record);
    return v;
}

// Named seed documents.
inline std::vector<std::pair<std::string, std::string>> MetaformatsSeedDocuments()
{
    typedef SLxOFSpectrumPoint P;
    std::vector<std::pair<std::string, std::string>> docs;
    auto add = [&](const char* name, const CLxVariant& v) { docs.push_back({name, Document(v)}); };

    CLxOpticalFilterSpectrum curve, bands;
    for (double w : {480.0, 500.0, 520.0, 540.0})
        curve.AddPoint(P(P::eSptPoint, w, 100.0 - (w - 510) * (w - 510) / 10));
    bands.AddPoint(P(P::eSptRisingEdge, 470, 1));
    bands.AddPoint(P(P::eSptFallingEdge, 490, 1));
    bands.AddPoint(P(P::eSptPeak, 561, 1));
    add("point", Saved(SLxOFSpectrumPoint::SaveToVariant, curve[1]));
    add("curve", Saved(CLxOpticalFilterSpectrum::SaveToVariant, curve));
    add("bands", Saved(CLxOpticalFilterSpectrum::SaveToVariant, bands));
    add("empty_spectrum",
        Saved(CLxOpticalFilterSpectrum::SaveToVariant, CLxOpticalFilterSpectrum()));

    const CLxOpticalFilter block(u"block", CLxOpticalFilter::eOfpFilterBlock,
                                 CLxOpticalFilter::eOfnUnknown, CLxOpticalFilter::eOfsDefault,
                                 0xFF00, bands, bands, curve);
    const CLxOpticalFilter emission(u"em", CLxOpticalFilter::eOfpEmission,
                                    CLxOpticalFilter::eOfnUnknown, CLxOpticalFilter::eOfsDefault,
                                    0xFF, CLxOpticalFilterSpectrum(), bands,
                                    CLxOpticalFilterSpectrum());
    CLxOpticalFilterPath path(block, emission);
    path.m_sDescr = u"path";
    add("filter", Saved(CLxOpticalFilter::SaveToVariant, block));
    add("path", Saved(CLxOpticalFilterPath::SaveToVariant, path));
    const CLxFluorescentProbe probe(u"probe", 0xFF00, curve, bands);
    add("probe", Saved(CLxFluorescentProbe::SaveToVariant, probe));
    SLxCameraSetting camera;
    camera.sCameraName = u"camera";
    camera.rcCamChipSrc = CLxRectBase<int>(1, 2, 3, 4);
    add("camera", Saved(SLxCameraSetting::SaveToVariant, camera));

    SLxPictureMetadata md;
    md.SetToDefault();
    SLxPicturePlanes::Alloc(md.sPicturePlanes, 2);
    md.sPicturePlanes.sPlane[1].uiCompCount = 3;
    md.sPicturePlanes.uiCompCount = 4;
    // The full channel alone; the lists hold plain ones, so that the seeds
    // stay small and the fuzzer fast.
    SLxPicturePlaneDesc full;
    full.pFluorescentProbe = probe;
    full.pFilterPath = path;
    add("plane", Saved(SLxPicturePlaneDesc::SaveToVariant, full));
    add("planes", Saved(SLxPicturePlanes::SaveToVariant, md.sPicturePlanes));
    CLxVariant mdVariant = Saved(SLxPictureMetadata::SaveToVariant, md);
    CLxVariant var(CLxVariantRunType("RLxPictureMetadata.RLxPictureMetadata"), u"no_name");
    var[u"wsName"] = CLxStringW(u"pressure");
    mdVariant[u"pPhysicalVar"].Append(var);
    mdVariant[u"uiPhysicalVarCount"] = 1u;
    add("metadata", mdVariant);

    SLxExperimentRecord events;
    events.wsNotes = u"notes";
    SLxExperimentEvent event;
    event.eMeaning = 1;
    SLxExperimentRecord::AddEvent(events, event);
    SLxExperimentRecord::AddEvent(events, event);
    add("event", Saved(SLxExperimentEvent::SaveToVariant, *events.pFirstEvent));
    add("events", Saved(SLxExperimentRecord::SaveToVariant, events));
    SLxExperimentRecord::Free(events);

    // Damaged forms.
    CLxVariant planes = Saved(SLxPicturePlanes::SaveToVariant, md.sPicturePlanes);
    planes[u"uiCount"] = 7u;
    add("planes_bad_count", planes);
    CLxVariant older = Saved(SLxPicturePlaneDesc::SaveToVariant, md.sPicturePlanes.sPlane[1]);
    older.EnableTypeChange(true);
    older.SetRunTypeCompatible(CLxVariantRunType("RLxPicturePlaneDesc"));
    add("plane_older", older);
    CLxVariant wrongList = Saved(SLxExperimentRecord::SaveToVariant, SLxExperimentRecord());
    wrongList[u"pFirstEvent"].EnableTypeChange(true);
    wrongList[u"pFirstEvent"] = CLxStringW(u"not a list");
    add("events_not_a_list", wrongList);
    CLxVariant wrongPoint = Saved(CLxOpticalFilterSpectrum::SaveToVariant, curve);
    wrongPoint[u"pPoint"][1].EnableTypeChange(true);
    wrongPoint[u"pPoint"][1] = 5;
    add("spectrum_bad_point", wrongPoint);

    // Experiments: a tree of every loop type, one level alone, and damaged
    // forms (counts beside their lists, a flag list too short, a period
    // list cut, a long Z-stack text, a next level of another run type).
    auto saveTree = [](lx_samples::TreeMaker make, bool tree) {
        CLxVariant v;
        if (SLxExperiment* e = make()) {
            tree ? SLxExperiment::SaveToVariant(v, *e) : SLxExperiment::SaveToVariantOld(v, *e);
            SLxExperiment::FreeRecursive(e);
        }
        return v;
    };
    for (const auto& sample : lx_samples::SampleTrees())
        add((std::string("experiment_") + sample.first).c_str(), saveTree(sample.second, true));
    add("experiment_one_level", saveTree(lx_samples::Branches, false));
    CLxVariant xy = saveTree([] { return lx_samples::XYLevel(); }, true);
    xy[u"uLoopPars"][0][u"uiCount"] = 5u;
    add("experiment_xy_bad_count", xy);
    CLxVariant flags = saveTree(lx_samples::TimeLevel, true);
    flags[u"uLoopPars"][0][u"uiCount"] = 9u;
    add("experiment_few_flags", flags);
    CLxVariant periods = saveTree(lx_samples::NETimeLevel, true);
    periods[u"uLoopPars"][0][u"pPeriodValid"].Delete(2);
    periods[u"uLoopPars"][0][u"pPeriodValid"].Delete(1);
    periods[u"uLoopPars"][0][u"szCommandBeforePeriod"].Delete(2);
    add("experiment_periods_cut", periods);
    CLxVariant z = saveTree([] { return lx_samples::ZLevel(); }, true);
    z[u"uLoopPars"][0][u"sZDevice"] = CLxStringW(std::u16string(200, u'd').c_str());
    add("experiment_long_device", z);
    CLxVariant chain = saveTree(lx_samples::Chain, true);
    chain[u"ppNextLevelEx"][0].EnableTypeChange(true);
    chain[u"ppNextLevelEx"][0].SetRunTypeCompatible(CLxVariantRunType("RLxPicturePlanes"));
    add("experiment_foreign_level", chain);

    // Several records under one list.
    CLxVariant all(CLxListVariant(), u"all");
    all.Append(Saved(SLxCameraSetting::SaveToVariant, camera));
    all.Append(Saved(CLxFluorescentProbe::SaveToVariant, probe));
    add("list_of_records", all);
    return docs;
}

} // namespace lx_fuzz
