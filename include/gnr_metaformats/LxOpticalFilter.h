// The optical filters of a channel's light path.
#pragma once

#include <cstdint>

#include "gnr_metaformats/LxOpticalFilterSpectrum.h"
#include "gnr_system/string/LxString.h"
#include "w32_system/LxExport.h"

class CLxVariant;

// One filter: an excitation filter, an emission filter or a filter block
// (excitation filter, dichroic mirror and emission filter). Which spectra
// it shows follows from its placement (see the getters).
class LX_EXPORT CLxOpticalFilter
{
  public:
    enum ELxOpticalFilterPlacement : uint32_t {
        eOfpExcitation = 1,
        eOfpEmission = 2,
        eOfpFilterBlock = 3,
    };
    // Kept and stored, not interpreted here.
    enum ELxOpticalFilterNature : uint32_t { eOfnUnknown = 0 };
    enum ELxOpticalFilterSpctType : uint32_t { eOfsDefault = 7 };

    // Empty name, placement 1, nature 0, spectrum type 7, colour 0, empty spectra.
    CLxOpticalFilter();
    CLxOpticalFilter(const CLxStringW& name, ELxOpticalFilterPlacement placement,
                     ELxOpticalFilterNature nature, ELxOpticalFilterSpctType spectrumType,
                     uint32_t color, const CLxOpticalFilterSpectrum& excitation,
                     const CLxOpticalFilterSpectrum& emission,
                     const CLxOpticalFilterSpectrum& mirror);
    CLxOpticalFilter(const CLxOpticalFilter& other);
    CLxOpticalFilter& operator=(const CLxOpticalFilter& other);
    virtual ~CLxOpticalFilter();

    void GetName(CLxStringW& name) const { name = m_sName; }
    CLxStringW GetName() const { return m_sName; }
    ELxOpticalFilterPlacement GetPlacement() const { return m_ePlacement; }
    ELxOpticalFilterNature GetNature() const { return m_eNature; }
    ELxOpticalFilterSpctType GetSpectrumType() const { return m_eSpctType; }
    uint32_t GetColor() const { return m_uiColor; }
    bool IsFilterBlock() const { return m_ePlacement == eOfpFilterBlock; }
    // The excitation spectrum for placements 1 and 3, else null.
    const CLxOpticalFilterSpectrum* GetExcitationSpectrum() const;
    // The emission spectrum for placements 2 and 3, else null.
    const CLxOpticalFilterSpectrum* GetEmissionSpectrum() const;
    // The mirror spectrum of a filter block, else null.
    const CLxOpticalFilterSpectrum* GetMirrorSpectrum() const;

    // Only 1 -> 2 (the emission spectrum becomes a copy of the excitation
    // spectrum) and 2 -> 1 (the reverse). Anything else, the same placement
    // included, gives -4 and changes nothing; -3 without memory.
    int SetPlacement(ELxOpticalFilterPlacement placement);

    // Writes "RLxOpticalFilter" (name, placement, nature, spectrum type,
    // colour, the three spectra). 0.
    static int SaveToVariant(CLxVariant& v, const CLxOpticalFilter& filter);
    // -4 (reported) for another run type; failing spectra are reported and
    // skipped. 0.
    static int LoadFromVariant(CLxOpticalFilter& filter, const CLxVariant& v);

    CLxStringW m_sName;
    ELxOpticalFilterPlacement m_ePlacement;
    ELxOpticalFilterNature m_eNature;
    ELxOpticalFilterSpctType m_eSpctType;
    uint32_t m_uiColor; // 0x00BBGGRR
    CLxOpticalFilterSpectrum m_ExcitationSpectrum;
    CLxOpticalFilterSpectrum m_EmissionSpectrum;
    CLxOpticalFilterSpectrum m_MirrorSpectrum;
};

// The ordered filters of one channel with a description.
class LX_EXPORT CLxOpticalFilterPath
{
  public:
    CLxOpticalFilterPath();
    explicit CLxOpticalFilterPath(const CLxOpticalFilter& f1);
    CLxOpticalFilterPath(const CLxOpticalFilter& f1, const CLxOpticalFilter& f2);
    CLxOpticalFilterPath(const CLxOpticalFilter& f1, const CLxOpticalFilter& f2,
                         const CLxOpticalFilter& f3);
    // count copies of filters (none for 0 or a null array).
    CLxOpticalFilterPath(const CLxOpticalFilter* filters, uint32_t count);
    CLxOpticalFilterPath(const CLxOpticalFilterPath& other);
    // A path that gets no memory for its filters is left empty.
    CLxOpticalFilterPath& operator=(const CLxOpticalFilterPath& other);
    virtual ~CLxOpticalFilterPath();

    uint32_t GetCount() const { return m_uiCount; }
    // Filter i; i must be below the count.
    CLxOpticalFilter& operator[](uint32_t i) { return m_pFilter[i]; }
    const CLxOpticalFilter& operator[](uint32_t i) const { return m_pFilter[i]; }

    // The first excitation filter (placement 1, then 3) whose excitation
    // spectrum is one point (its wavelength) or one band (its middle);
    // 0.0 when there is none.
    double GetMeanExcitationWavelength() const;
    // The same on the emission side (placement 2, then 3); failing that,
    // the first emission band or line above the first excitation band's end,
    // from the intersections of all excitation and of all emission spectra;
    // 0.0 when there is none.
    double GetMeanEmissionWavelength() const;

    // Writes "RLxOpticalFilterPath": "m_sDescr", "m_uiCount", "m_pFilter"
    // (one unnamed item per filter). 0.
    static int SaveToVariant(CLxVariant& v, const CLxOpticalFilterPath& path);
    // Loads into an empty path: one filter per item of "m_pFilter". -4
    // (reported) for another run type, -3 (left empty) without memory; 0.
    static int LoadFromVariant(CLxOpticalFilterPath& path, const CLxVariant& v);

    uint32_t m_uiCount;
    CLxOpticalFilter* m_pFilter; // m_uiCount filters, owned; null when empty
    CLxStringW m_sDescr;

  private:
    // A new array of count default filters (null for 0); false without memory.
    bool AllocFilters(uint32_t count);
    void FreeFilters();
};
