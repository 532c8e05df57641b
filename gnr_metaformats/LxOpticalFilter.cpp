#include "gnr_metaformats/LxOpticalFilter.h"

#include "gnr_metaformats/LxRecordArray.h"
#include "gnr_metaformats/LxRecordVariant.h"

// ---- CLxOpticalFilter

CLxOpticalFilter::CLxOpticalFilter()
    : m_ePlacement(eOfpExcitation), m_eNature(eOfnUnknown), m_eSpctType(eOfsDefault), m_uiColor(0)
{
}

CLxOpticalFilter::CLxOpticalFilter(const CLxStringW& name, ELxOpticalFilterPlacement placement,
                                   ELxOpticalFilterNature nature,
                                   ELxOpticalFilterSpctType spectrumType, uint32_t color,
                                   const CLxOpticalFilterSpectrum& excitation,
                                   const CLxOpticalFilterSpectrum& emission,
                                   const CLxOpticalFilterSpectrum& mirror)
    : m_sName(name), m_ePlacement(placement), m_eNature(nature), m_eSpctType(spectrumType),
      m_uiColor(color), m_ExcitationSpectrum(excitation), m_EmissionSpectrum(emission),
      m_MirrorSpectrum(mirror)
{
}

CLxOpticalFilter::CLxOpticalFilter(const CLxOpticalFilter& other) = default;
CLxOpticalFilter& CLxOpticalFilter::operator=(const CLxOpticalFilter& other) = default;
CLxOpticalFilter::~CLxOpticalFilter() = default;

const CLxOpticalFilterSpectrum* CLxOpticalFilter::GetExcitationSpectrum() const
{
    return m_ePlacement == eOfpExcitation || m_ePlacement == eOfpFilterBlock ? &m_ExcitationSpectrum
                                                                             : nullptr;
}

const CLxOpticalFilterSpectrum* CLxOpticalFilter::GetEmissionSpectrum() const
{
    return m_ePlacement == eOfpEmission || m_ePlacement == eOfpFilterBlock ? &m_EmissionSpectrum
                                                                           : nullptr;
}

const CLxOpticalFilterSpectrum* CLxOpticalFilter::GetMirrorSpectrum() const
{
    return m_ePlacement == eOfpFilterBlock ? &m_MirrorSpectrum : nullptr;
}

int CLxOpticalFilter::SetPlacement(ELxOpticalFilterPlacement placement)
{
    const CLxOpticalFilterSpectrum* from = nullptr;
    CLxOpticalFilterSpectrum* to = nullptr;
    if (m_ePlacement == eOfpExcitation && placement == eOfpEmission) {
        from = &m_ExcitationSpectrum;
        to = &m_EmissionSpectrum;
    } else if (m_ePlacement == eOfpEmission && placement == eOfpExcitation) {
        from = &m_EmissionSpectrum;
        to = &m_ExcitationSpectrum;
    } else {
        return -4;
    }
    CLxOpticalFilterSpectrum copy(*from);
    if (copy.GetCount() != from->GetCount())
        return -3;
    *to = copy;
    if (to->GetCount() != from->GetCount())
        return -3;
    m_ePlacement = placement;
    return 0;
}

namespace
{

const char16_t* const kSpectrumKeys[3] = {u"m_ExcitationSpectrum", u"m_EmissionSpectrum",
                                          u"m_MirrorSpectrum"};

} // namespace

int CLxOpticalFilter::SaveToVariant(CLxVariant& v, const CLxOpticalFilter& filter)
{
    const int begin = lx_meta::BeginSave(v, "RLxOpticalFilter");
    if (begin != 0)
        return begin;
    lx_meta::Put(v, u"m_sName", filter.m_sName);
    lx_meta::Put(v, u"m_ePlacement", lx_uint32(filter.m_ePlacement));
    lx_meta::Put(v, u"m_eNature", lx_uint32(filter.m_eNature));
    lx_meta::Put(v, u"m_eSpctType", lx_uint32(filter.m_eSpctType));
    lx_meta::Put(v, u"m_uiColor", lx_uint32(filter.m_uiColor));
    const CLxOpticalFilterSpectrum* spectra[3] = {
        &filter.m_ExcitationSpectrum, &filter.m_EmissionSpectrum, &filter.m_MirrorSpectrum};
    for (int i = 0; i < 3; ++i) {
        CLxVariant* member = lx_meta::Member(v, kSpectrumKeys[i]);
        const int res = member ? CLxOpticalFilterSpectrum::SaveToVariant(*member, *spectra[i]) : -4;
        if (res != 0)
            LX_META_REPORT_SUBRECORD();
    }
    return 0;
}

int CLxOpticalFilter::LoadFromVariant(CLxOpticalFilter& filter, const CLxVariant& v)
{
    if (!LX_META_CHECK_RUNTYPE(v, "RLxOpticalFilter", u"'RLxOpticalFilter'"))
        return -4;
    filter.m_sName = lx_meta::GetText(v, u"m_sName");
    filter.m_ePlacement = ELxOpticalFilterPlacement(lx_meta::GetUInt(v, u"m_ePlacement"));
    filter.m_eNature = ELxOpticalFilterNature(lx_meta::GetUInt(v, u"m_eNature"));
    filter.m_eSpctType = ELxOpticalFilterSpctType(lx_meta::GetUInt(v, u"m_eSpctType"));
    filter.m_uiColor = lx_meta::GetUInt(v, u"m_uiColor");
    CLxOpticalFilterSpectrum* spectra[3] = {&filter.m_ExcitationSpectrum,
                                            &filter.m_EmissionSpectrum, &filter.m_MirrorSpectrum};
    for (int i = 0; i < 3; ++i) {
        const int res = CLxOpticalFilterSpectrum::LoadFromVariant(
            *spectra[i], lx_meta::Get(v, kSpectrumKeys[i]));
        if (res != 0)
            LX_META_REPORT_SUBRECORD();
    }
    return 0;
}

// ---- CLxOpticalFilterPath

CLxOpticalFilterPath::CLxOpticalFilterPath() : m_uiCount(0), m_pFilter(nullptr) {}

CLxOpticalFilterPath::CLxOpticalFilterPath(const CLxOpticalFilter& f1)
    : CLxOpticalFilterPath(&f1, 1)
{
}

CLxOpticalFilterPath::CLxOpticalFilterPath(const CLxOpticalFilter& f1, const CLxOpticalFilter& f2)
    : CLxOpticalFilterPath()
{
    if (AllocFilters(2)) {
        m_pFilter[0] = f1;
        m_pFilter[1] = f2;
    }
}

CLxOpticalFilterPath::CLxOpticalFilterPath(const CLxOpticalFilter& f1, const CLxOpticalFilter& f2,
                                           const CLxOpticalFilter& f3)
    : CLxOpticalFilterPath()
{
    if (AllocFilters(3)) {
        m_pFilter[0] = f1;
        m_pFilter[1] = f2;
        m_pFilter[2] = f3;
    }
}

CLxOpticalFilterPath::CLxOpticalFilterPath(const CLxOpticalFilter* filters, uint32_t count)
    : CLxOpticalFilterPath()
{
    if (filters && AllocFilters(count)) {
        for (uint32_t i = 0; i < count; ++i)
            m_pFilter[i] = filters[i];
    }
}

CLxOpticalFilterPath::CLxOpticalFilterPath(const CLxOpticalFilterPath& other)
    : CLxOpticalFilterPath(other.m_pFilter, other.m_uiCount)
{
    m_sDescr = other.m_sDescr;
}

CLxOpticalFilterPath& CLxOpticalFilterPath::operator=(const CLxOpticalFilterPath& other)
{
    if (this == &other)
        return *this;
    if (m_pFilter && m_uiCount != other.m_uiCount)
        FreeFilters();
    if (!m_pFilter && !AllocFilters(other.m_uiCount))
        FreeFilters();
    for (uint32_t i = 0; i < m_uiCount; ++i)
        m_pFilter[i] = other.m_pFilter[i];
    m_sDescr = other.m_sDescr;
    return *this;
}

CLxOpticalFilterPath::~CLxOpticalFilterPath()
{
    FreeFilters();
}

bool CLxOpticalFilterPath::AllocFilters(uint32_t count)
{
    FreeFilters();
    if (count == 0)
        return true;
    m_pFilter = lx_meta::NewArray<CLxOpticalFilter>(count);
    if (!m_pFilter)
        return false;
    m_uiCount = count;
    return true;
}

void CLxOpticalFilterPath::FreeFilters()
{
    lx_meta::DeleteArray(m_pFilter);
    m_pFilter = nullptr;
    m_uiCount = 0;
}

namespace
{

typedef const CLxOpticalFilterSpectrum* (CLxOpticalFilter::*SpectrumGetter)() const;

// A spectrum of exactly one point (its wavelength) or of one band, a kind-2
// and a kind-3 point (their middle).
bool SimpleWavelength(const CLxOpticalFilterSpectrum& s, double& wavelength)
{
    if (s.GetCount() == 1) {
        wavelength = s[0].dWavelength;
        return true;
    }
    if (s.GetCount() == 2 && s[0].eType == SLxOFSpectrumPoint::eSptRisingEdge &&
        s[1].eType == SLxOFSpectrumPoint::eSptFallingEdge) {
        wavelength = (s[0].dWavelength + s[1].dWavelength) * 0.5;
        return true;
    }
    return false;
}

// The tries of the mean wavelengths: filters of the placement with a
// one-point spectrum, then with a one-band spectrum.
bool MeanOfPlacement(const CLxOpticalFilterPath& path, uint32_t placement, SpectrumGetter get,
                     double& wavelength)
{
    for (int pass = 0; pass < 2; ++pass) {
        for (uint32_t i = 0; i < path.GetCount(); ++i) {
            const CLxOpticalFilter& filter = path[i];
            const CLxOpticalFilterSpectrum* s = (filter.*get)();
            if (filter.GetPlacement() != placement || !s)
                continue;
            const bool onePoint = s->GetCount() == 1;
            if (onePoint == (pass == 0) && SimpleWavelength(*s, wavelength))
                return true;
        }
    }
    return false;
}

} // namespace

double CLxOpticalFilterPath::GetMeanExcitationWavelength() const
{
    double wavelength = 0.0;
    if (MeanOfPlacement(*this, CLxOpticalFilter::eOfpExcitation,
                        &CLxOpticalFilter::GetExcitationSpectrum, wavelength) ||
        MeanOfPlacement(*this, CLxOpticalFilter::eOfpFilterBlock,
                        &CLxOpticalFilter::GetExcitationSpectrum, wavelength))
        return wavelength;
    return 0.0;
}

double CLxOpticalFilterPath::GetMeanEmissionWavelength() const
{
    double wavelength = 0.0;
    if (MeanOfPlacement(*this, CLxOpticalFilter::eOfpEmission,
                        &CLxOpticalFilter::GetEmissionSpectrum, wavelength) ||
        MeanOfPlacement(*this, CLxOpticalFilter::eOfpFilterBlock,
                        &CLxOpticalFilter::GetEmissionSpectrum, wavelength))
        return wavelength;

    CLxOpticalFilterSpectrum excitation, emission;
    for (uint32_t i = 0; i < m_uiCount; ++i) {
        const CLxOpticalFilterSpectrum* ex = m_pFilter[i].GetExcitationSpectrum();
        if (ex && ex->GetCount() > 0)
            excitation.Combine(*ex, true);
        const CLxOpticalFilterSpectrum* em = m_pFilter[i].GetEmissionSpectrum();
        if (em && em->GetCount() > 0)
            emission.Combine(*em, true);
    }
    uint32_t e = 0;
    while (e < excitation.GetCount() &&
           excitation[e].eType != SLxOFSpectrumPoint::eSptFallingEdge &&
           excitation[e].eType != SLxOFSpectrumPoint::eSptPeak)
        ++e;
    if (e == excitation.GetCount())
        return 0.0;
    const double end = excitation[e].dWavelength;
    for (uint32_t m = 0; m < emission.GetCount(); ++m) {
        const SLxOFSpectrumPoint& p = emission[m];
        if ((p.eType != SLxOFSpectrumPoint::eSptRisingEdge &&
             p.eType != SLxOFSpectrumPoint::eSptPeak) ||
            !(p.dWavelength > end))
            continue;
        if (p.eType == SLxOFSpectrumPoint::eSptRisingEdge && m + 1 < emission.GetCount() &&
            emission[m + 1].eType == SLxOFSpectrumPoint::eSptFallingEdge)
            return (p.dWavelength + emission[m + 1].dWavelength) * 0.5;
        return p.dWavelength;
    }
    return 0.0;
}

int CLxOpticalFilterPath::SaveToVariant(CLxVariant& v, const CLxOpticalFilterPath& path)
{
    const int begin = lx_meta::BeginSave(v, "RLxOpticalFilterPath");
    if (begin != 0)
        return begin;
    lx_meta::Put(v, u"m_sDescr", path.m_sDescr);
    lx_meta::Put(v, u"m_uiCount", lx_uint32(path.m_uiCount));
    if (CLxVariant* list = lx_meta::ResetList(v, u"m_pFilter")) {
        for (uint32_t i = 0; i < path.m_uiCount; ++i) {
            const int res = CLxOpticalFilter::SaveToVariant(lx_meta::AppendItem(*list, nullptr),
                                                            path.m_pFilter[i]);
            if (res != 0)
                LX_META_REPORT_SUBRECORD();
        }
    }
    return 0;
}

int CLxOpticalFilterPath::LoadFromVariant(CLxOpticalFilterPath& path, const CLxVariant& v)
{
    if (!LX_META_CHECK_RUNTYPE(v, "RLxOpticalFilterPath", u"'RLxOpticalFilterPath'"))
        return -4;
    path.m_sDescr = lx_meta::GetText(v, u"m_sDescr");
    const CLxVariant& list = lx_meta::Get(v, u"m_pFilter");
    const uint32_t n = uint32_t(lx_meta::ItemCount(list));
    if (!path.AllocFilters(n))
        return -3;
    for (uint32_t i = 0; i < n; ++i) {
        const int res = CLxOpticalFilter::LoadFromVariant(path.m_pFilter[i], list[int(i)]);
        if (res != 0)
            LX_META_REPORT_SUBRECORD();
    }
    return 0;
}
