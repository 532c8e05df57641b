// The built-in probe table, generated at build time from
// fluoprobe/builtin_probes.tsv (see fluoprobe/make_builtin_probes.cpp).
#pragma once

#include <cstdint>

// One built-in probe. Its spectra's values are g_LxBuiltinProbeValues[
// uiValueOffset ...], the excitation's uiExcCount values first, then the
// emission's uiEmsCount; each is the relative value times 10^6. Point i of
// the excitation lies at uiExcFirst + i nm for i < uiExcRun, and at
// uiExcResume + (i - uiExcRun) nm after that run; emission point i at
// uiEmsFirst + i nm.
struct SLxBuiltinProbeRow {
    const char16_t* pwsName;
    const char16_t* pwsAbbrev;
    uint32_t uiGroup;
    uint32_t uiColor; // 0x00BBGGRR
    uint32_t uiExcFirst;
    uint32_t uiExcCount;
    uint32_t uiExcRun;
    uint32_t uiExcResume;
    uint32_t uiEmsFirst;
    uint32_t uiEmsCount;
    uint32_t uiValueOffset;
};

extern const SLxBuiltinProbeRow g_LxBuiltinProbeRows[];
extern const uint32_t g_uiLxBuiltinProbeRows;
extern const int32_t g_LxBuiltinProbeValues[];
extern const uint32_t g_uiLxBuiltinProbeValues;

// Excitation point i of a row, in nm.
inline uint32_t LX_BuiltinExcitationNm(const SLxBuiltinProbeRow& row, uint32_t i)
{
    return i < row.uiExcRun ? row.uiExcFirst + i : row.uiExcResume + (i - row.uiExcRun);
}
