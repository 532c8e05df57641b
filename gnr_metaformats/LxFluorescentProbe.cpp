#include "gnr_metaformats/LxFluorescentProbe.h"

#include <cmath>

#include "gnr_metaformats/LxRecordVariant.h"
#include "gnr_picture/LxColorimetry.h"

namespace
{

uint32_t EmissionColor(uint32_t emissionNm)
{
    uint32_t color = 0;
    return LX_RGBFromWavelength(&color, double(emissionNm)) == 0 ? color : 0xFFFFFFu;
}

double WeightedWavelength(const CLxOpticalFilterSpectrum& s)
{
    if (s.GetCount() == 0)
        return 0.0;
    if (s.GetCount() == 1)
        return s[0].dWavelength;
    double sum = 0.0, weight = 0.0;
    for (uint32_t i = 0; i < s.GetCount(); ++i) {
        sum += s[i].dWavelength * s[i].dTValue;
        weight += s[i].dTValue;
    }
    if (!(weight > 0.0))
        return 0.0;
    return std::trunc(sum / weight + 0.5);
}

const SLxOFSpectrumPoint::ELxOFSpectrumPointType kLine = SLxOFSpectrumPoint::eSptPeak;

} // namespace

CLxFluorescentProbe::CLxFluorescentProbe() : m_uiColor(0xFFFFFFu) {}

CLxFluorescentProbe::CLxFluorescentProbe(const CLxStringW& name, uint32_t color,
                                         const CLxOpticalFilterSpectrum& excitation,
                                         const CLxOpticalFilterSpectrum& emission)
    : m_sName(name), m_uiColor(color), m_ExcitationSpectrum(excitation),
      m_EmissionSpectrum(emission)
{
}

CLxFluorescentProbe::CLxFluorescentProbe(const CLxStringW& name, uint32_t color,
                                         uint32_t excitationNm, uint32_t emissionNm)
    : m_sName(name), m_uiColor(color), m_ExcitationSpectrum(double(excitationNm), kLine),
      m_EmissionSpectrum(double(emissionNm), kLine)
{
}

CLxFluorescentProbe::CLxFluorescentProbe(const CLxStringW& name, uint32_t excitationNm,
                                         uint32_t emissionNm)
    : CLxFluorescentProbe(name, EmissionColor(emissionNm), excitationNm, emissionNm)
{
}

CLxFluorescentProbe::CLxFluorescentProbe(const CLxFluorescentProbe& other) = default;
CLxFluorescentProbe& CLxFluorescentProbe::operator=(const CLxFluorescentProbe& other) = default;
CLxFluorescentProbe::~CLxFluorescentProbe() = default;

double CLxFluorescentProbe::GetExcitationWavelength() const
{
    return WeightedWavelength(m_ExcitationSpectrum);
}

double CLxFluorescentProbe::GetEmissionWavelength() const
{
    return WeightedWavelength(m_EmissionSpectrum);
}

int CLxFluorescentProbe::GetExcitationPeakAndFwhm(double& peak, double& lower, double& upper) const
{
    return m_ExcitationSpectrum.GetPeakAndFwhm(peak, lower, upper);
}

int CLxFluorescentProbe::GetEmissionPeakAndFwhm(double& peak, double& lower, double& upper) const
{
    return m_EmissionSpectrum.GetPeakAndFwhm(peak, lower, upper);
}

int CLxFluorescentProbe::SelectExcitation(const double* wavelengths, int n) const
{
    if (!wavelengths || n <= 0)
        return -1;
    int best = -1;
    double bestValue = 0.0;
    for (int i = 0; i < n; ++i) {
        uint32_t nearest = 0;
        if (m_ExcitationSpectrum.FindNearestPoint(wavelengths[i], nearest) != 0)
            continue;
        const double value = m_ExcitationSpectrum[nearest].dTValue;
        if (best < 0 || value > bestValue) {
            best = i;
            bestValue = value;
        }
    }
    return best;
}

int CLxFluorescentProbe::SaveToVariant(CLxVariant& v, const CLxFluorescentProbe& probe)
{
    const int begin = lx_meta::BeginSave(v, "RLxFluorescentProbe");
    if (begin != 0)
        return begin;
    lx_meta::Put(v, u"m_sName", probe.m_sName);
    lx_meta::Put(v, u"m_uiColor", lx_uint32(probe.m_uiColor));
    CLxVariant* excitation = lx_meta::Member(v, u"m_ExcitationSpectrum");
    int res = excitation
                  ? CLxOpticalFilterSpectrum::SaveToVariant(*excitation, probe.m_ExcitationSpectrum)
                  : -4;
    if (res != 0)
        LX_META_REPORT_SUBRECORD();
    CLxVariant* emission = lx_meta::Member(v, u"m_EmissionSpectrum");
    res = emission ? CLxOpticalFilterSpectrum::SaveToVariant(*emission, probe.m_EmissionSpectrum)
                   : -4;
    if (res != 0)
        LX_META_REPORT_SUBRECORD();
    return 0;
}

int CLxFluorescentProbe::LoadFromVariant(CLxFluorescentProbe& probe, const CLxVariant& v)
{
    if (!LX_META_CHECK_RUNTYPE(v, "RLxFluorescentProbe", u"'RLxFluorescentProbe'"))
        return -4;
    probe.m_sName = lx_meta::GetText(v, u"m_sName");
    probe.m_uiColor = lx_meta::GetUInt(v, u"m_uiColor");
    int res = CLxOpticalFilterSpectrum::LoadFromVariant(probe.m_ExcitationSpectrum,
                                                        lx_meta::Get(v, u"m_ExcitationSpectrum"));
    if (res != 0)
        LX_META_REPORT_SUBRECORD();
    res = CLxOpticalFilterSpectrum::LoadFromVariant(probe.m_EmissionSpectrum,
                                                    lx_meta::Get(v, u"m_EmissionSpectrum"));
    if (res != 0)
        LX_META_REPORT_SUBRECORD();
    return 0;
}
