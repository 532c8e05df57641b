// Helpers shared by the variant sources: value text conversions, the run-type
// registry's storage and the start-up order of the variant globals.
#pragma once

#include <map>

#include "gnr_system/variant/LxVariant.h"
#include "w32_system/LxMutexCS.h"

// The variant globals (run types, g_UndefVariant, the registry and its
// built-in samples) are made before the static initialisers of the rest of
// the library and of its callers, which register record types.
#define LX_VARIANT_INIT_PRIORITY 1000

// ---- Value texts (locale-independent).

// Leading decimal number after white space and a sign, as unsigned of
// maxValue's width: a negative number wraps to its bit pattern, a magnitude
// above maxValue saturates.
lx_uint64 LX_VariantParseUnsigned(const char16_t* text, lx_uint64 maxValue);
// Leading hexadecimal number (an optional "0x"), saturating.
void* LX_VariantParseHexPointer(const char16_t* text);
// Leading floating-point number, '.' as decimal point, also "nan" and "inf".
double LX_VariantParseDouble(const char16_t* text);

// Double to integer, truncated toward zero; NaN gives 0, values beyond the
// target's range saturate (an unsigned 32-bit target takes the low 32 bits
// of the 64-bit value).
lx_int32 LX_VariantDoubleToInt32(double value);
lx_uint32 LX_VariantDoubleToUInt32(double value);
lx_int64 LX_VariantDoubleToInt64(double value);
lx_uint64 LX_VariantDoubleToUInt64(double value);

// Doubles compare equal also when both are NaN: a variant compares values
// by identity, so a NaN survives a round trip as equal.
inline bool LX_VariantDoublesEqual(double a, double b)
{
    return a == b || (a != a && b != b);
}

// Whether two holders have the same run type.
bool LX_VariantSameRunType(const CLxVariantData& a, const CLxVariantData& b);

// ---- The run-type registry.

struct SLxRunTypeEntry {
    CLxVariant* sample; // owned
    unsigned index;
};

struct SLxRunTypeRegistry {
    SLxRunTypeRegistry() = default;
    ~SLxRunTypeRegistry();
    SLxRunTypeRegistry(const SLxRunTypeRegistry&) = delete;
    SLxRunTypeRegistry& operator=(const SLxRunTypeRegistry&) = delete;

    std::map<CLxVariantRunType, SLxRunTypeEntry> entries;
    unsigned nextIndex = 0;

    static pthread_mutexCS_t ms_cs;
};

extern SLxRunTypeRegistry g_lxRunTypeRegistry;
