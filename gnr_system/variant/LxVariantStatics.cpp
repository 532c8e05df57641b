// The variant globals, in their start-up order: the built-in run types,
// g_UndefVariant, the registry and its built-in samples. They are destroyed
// in the reverse order when the library unloads.
#include "gnr_system/variant/LxVariantInternal.h"

#define LX_VARIANT_EARLY __attribute__((init_priority(LX_VARIANT_INIT_PRIORITY)))

namespace
{
const CLxVariantRunType s_builtinRunTypes[eLxVariantKindCount] LX_VARIANT_EARLY = {
    CLxVariantRunType("unknown"),        CLxVariantRunType("lx_int32"),
    CLxVariantRunType("lx_uint32"),      CLxVariantRunType("lx_int64"),
    CLxVariantRunType("lx_uint64"),      CLxVariantRunType("double"),
    CLxVariantRunType("bool"),           CLxVariantRunType("voidPtr"),
    CLxVariantRunType("CLxStringW"),     CLxVariantRunType("CLxByteArray"),
    CLxVariantRunType("CLxListVariant"),
};
} // namespace

// References to objects of static storage are bound before any initialiser
// runs, so these are usable from every other initialiser.
const CLxVariantRunType& CLxVariantRunType::m_unknown = s_builtinRunTypes[eLxVariantUnknown];
const CLxVariantRunType& CLxVariantDataCLxListVariant::m_runTypeOrig =
    s_builtinRunTypes[eLxVariantList];

const CLxVariantRunType& CLxVariantRunType::Builtin(ELxVariantKind kind)
{
    return unsigned(kind) < unsigned(eLxVariantKindCount) ? s_builtinRunTypes[kind]
                                                          : s_builtinRunTypes[eLxVariantUnknown];
}

CLxVariant g_UndefVariant LX_VARIANT_EARLY;

pthread_mutexCS_t SLxRunTypeRegistry::ms_cs = PTHREAD_MUTEXCS_INITIALIZER;
SLxRunTypeRegistry g_lxRunTypeRegistry LX_VARIANT_EARLY;

namespace
{
struct SLxKnownTypesRegistration {
    SLxKnownTypesRegistration() { CLxVariant::RegisterKnownTypes(); }
};
const SLxKnownTypesRegistration s_knownTypes LX_VARIANT_EARLY;
} // namespace
