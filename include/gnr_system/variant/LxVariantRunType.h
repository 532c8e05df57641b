// The run type of a variant: the name of its value type ("lx_int32",
// "CLxStringW", "CLxListVariant", a record type such as "RLxDateTime", or
// "unknown" for a null variant).
#pragma once

#include "gnr_system/string/LxString.h"
#include "w32_system/LxExport.h"

// The built-in run types with their fixed registry indices.
enum ELxVariantKind : int {
    eLxVariantUnknown = 0,   // "unknown": a null variant
    eLxVariantInt32 = 1,     // "lx_int32"
    eLxVariantUInt32 = 2,    // "lx_uint32"
    eLxVariantInt64 = 3,     // "lx_int64"
    eLxVariantUInt64 = 4,    // "lx_uint64"
    eLxVariantDouble = 5,    // "double"
    eLxVariantBool = 6,      // "bool"
    eLxVariantVoidPtr = 7,   // "voidPtr"
    eLxVariantStringW = 8,   // "CLxStringW"
    eLxVariantByteArray = 9, // "CLxByteArray"
    eLxVariantList = 10,     // "CLxListVariant", also every record
    eLxVariantKindCount = 11,
};

class LX_EXPORT CLxVariantRunType
{
  public:
    // "unknown".
    CLxVariantRunType();
    explicit CLxVariantRunType(const CLxStringA& name);
    explicit CLxVariantRunType(const char* name);

    // Names compared as exact text; < is CLxStringA::Less, the registry's order.
    bool operator==(const CLxVariantRunType& other) const { return m_name.Equals(other.m_name); }
    bool operator!=(const CLxVariantRunType& other) const { return !m_name.Equals(other.m_name); }
    bool operator<(const CLxVariantRunType& other) const { return m_name.Less(other.m_name); }

    const CLxStringA& GetName() const { return m_name; }

    // The run type of a null variant, "unknown".
    static const CLxVariantRunType& m_unknown;
    // The process-wide object of a built-in run type.
    static const CLxVariantRunType& Builtin(ELxVariantKind kind);

  private:
    CLxStringA m_name;
};
