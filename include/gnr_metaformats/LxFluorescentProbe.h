// A fluorescent dye or protein as a channel uses it.
#pragma once

#include <cstdint>

#include "gnr_metaformats/LxOpticalFilterSpectrum.h"
#include "gnr_system/string/LxString.h"
#include "w32_system/LxExport.h"

class CLxVariant;

class LX_EXPORT CLxFluorescentProbe
{
  public:
    // Empty name, white (0xFFFFFF), empty spectra.
    CLxFluorescentProbe();
    CLxFluorescentProbe(const CLxStringW& name, uint32_t color,
                        const CLxOpticalFilterSpectrum& excitation,
                        const CLxOpticalFilterSpectrum& emission);
    // Each spectrum one line (kind 4, value 1.0) at its wavelength (nm).
    CLxFluorescentProbe(const CLxStringW& name, uint32_t color, uint32_t excitationNm,
                        uint32_t emissionNm);
    // The same, coloured as the emission wavelength (LX_RGBFromWavelength).
    CLxFluorescentProbe(const CLxStringW& name, uint32_t excitationNm, uint32_t emissionNm);
    CLxFluorescentProbe(const CLxFluorescentProbe& other);
    CLxFluorescentProbe& operator=(const CLxFluorescentProbe& other);
    virtual ~CLxFluorescentProbe();

    void GetName(CLxStringW& name) const { name = m_sName; }
    CLxStringW GetName() const { return m_sName; }
    uint32_t GetColor() const { return m_uiColor; }
    const CLxOpticalFilterSpectrum* GetExcitationSpectrum() const { return &m_ExcitationSpectrum; }
    const CLxOpticalFilterSpectrum* GetEmissionSpectrum() const { return &m_EmissionSpectrum; }
    CLxOpticalFilterSpectrum* GetExcitationSpectrum() { return &m_ExcitationSpectrum; }
    CLxOpticalFilterSpectrum* GetEmissionSpectrum() { return &m_EmissionSpectrum; }

    // A one-point spectrum gives its wavelength, an empty one 0.0; else the
    // mean wavelength weighted by the values, rounded to whole nanometres
    // (0.0 when the values sum to 0.0 or less).
    double GetExcitationWavelength() const;
    double GetEmissionWavelength() const;
    // CLxOpticalFilterSpectrum::GetPeakAndFwhm of either spectrum.
    int GetExcitationPeakAndFwhm(double& peak, double& lower, double& upper) const;
    int GetEmissionPeakAndFwhm(double& peak, double& lower, double& upper) const;
    // The index of the wavelength (of n) at whose nearest excitation point
    // the probe is excited most (the first of equal ones); wavelengths
    // outside the excitation spectrum are passed over. -1 for none, a null
    // list or n of 0 or less.
    int SelectExcitation(const double* wavelengths, int n) const;
    // The emission spectrum has a point.
    bool IsValid() const { return m_EmissionSpectrum.GetCount() > 0; }

    // Writes "RLxFluorescentProbe": "m_sName", "m_uiColor", the two spectra. 0.
    static int SaveToVariant(CLxVariant& v, const CLxFluorescentProbe& probe);
    // -4 (reported) for another run type, the probe unchanged; failing
    // spectra are reported and skipped. 0.
    static int LoadFromVariant(CLxFluorescentProbe& probe, const CLxVariant& v);

    CLxStringW m_sName;
    uint32_t m_uiColor; // 0x00BBGGRR
    CLxOpticalFilterSpectrum m_ExcitationSpectrum;
    CLxOpticalFilterSpectrum m_EmissionSpectrum;
};
