// The built-in probes, from the table generated out of
// fluoprobe/builtin_probes.tsv.
#include <new>

#include "gnr_metaformats/LxFluoProbeBase.h"
#include "gnr_metaformats/LxFluoProbeBaseVector.h"
#include "gnr_metaformats/LxFluoProbeBuiltin.h"

namespace
{

// Longest spectrum of the table; checked per row below.
constexpr uint32_t kMaxPoints = 512;

} // namespace

void CLxFluoProbeBase::InitPredefined()
{
    CLxFluoProbeBaseVector* v = m_sVector;
    v->aItems.reserve(v->aItems.size() + g_uiLxBuiltinProbeRows);
    double wavelengths[kMaxPoints];
    double values[kMaxPoints];
    CLxFluoProbeBaseItem item;
    for (uint32_t r = 0; r < g_uiLxBuiltinProbeRows; ++r) {
        const SLxBuiltinProbeRow& row = g_LxBuiltinProbeRows[r];
        const int32_t* micro = g_LxBuiltinProbeValues + row.uiValueOffset;
        if (row.uiExcCount > kMaxPoints || row.uiEmsCount > kMaxPoints)
            continue; // the generated table never has such a row

        for (uint32_t i = 0; i < row.uiExcCount; ++i) {
            wavelengths[i] = double(LX_BuiltinExcitationNm(row, i));
            values[i] = double(micro[i]) / 1e6;
        }
        CLxOpticalFilterSpectrum excitation(wavelengths, values, row.uiExcCount);
        micro += row.uiExcCount;
        for (uint32_t i = 0; i < row.uiEmsCount; ++i) {
            wavelengths[i] = double(row.uiEmsFirst + i);
            values[i] = double(micro[i]) / 1e6;
        }
        CLxOpticalFilterSpectrum emission(wavelengths, values, row.uiEmsCount);
        if (excitation.GetCount() != row.uiExcCount || emission.GetCount() != row.uiEmsCount)
            throw std::bad_alloc();

        item.sProbe =
            CLxFluorescentProbe(CLxStringW(row.pwsName), row.uiColor, excitation, emission);
        if (item.sProbe.m_ExcitationSpectrum.GetCount() != row.uiExcCount ||
            item.sProbe.m_EmissionSpectrum.GetCount() != row.uiEmsCount)
            throw std::bad_alloc();
        item.szAbbrev[0] = 0;
        CLxStringW(row.pwsAbbrev).CopyToBufferW(item.szAbbrev, 64);
        item.uiGroup = row.uiGroup;
        v->aItems.push_back(item);
    }
}
