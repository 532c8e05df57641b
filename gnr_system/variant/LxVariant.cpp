// CLxVariant: construction, names, the type-change flag, text, assignment
// and equality of variants.
#include "gnr_system/variant/LxVariantInternal.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{
template <class T> CLxVariantData* NewValue(const T& value)
{
    return new CLxVariantDataValue<T>(value);
}

const char16_t* const kAssignRefused = u"Error: can't do assignment, type change not enabled";
} // namespace

// ---- Construction.

CLxVariant::CLxVariant() : m_pData(nullptr), m_name(u"no_name"), m_enabledTypeChange(false) {}

CLxVariant::CLxVariant(const CLxVariant& other)
    : m_pData(other.m_pData ? other.m_pData->Clone() : nullptr), m_name(other.m_name),
      m_enabledTypeChange(other.m_enabledTypeChange)
{
}

CLxVariant::CLxVariant(const CLxVariantRunType& runType, const CLxStringW& name)
    : m_pData(nullptr), m_name(name), m_enabledTypeChange(false)
{
    ValidateName(m_name);
    const CLxVariant& sample = GetRunTypeSample(runType);
    if (sample.m_pData)
        m_pData = sample.m_pData->CreateNew();
}

#define LX_VARIANT_VALUE_CONSTRUCTOR(Type, Stored)                                                 \
    CLxVariant::CLxVariant(Type value, const CLxStringW& name)                                     \
        : m_pData(NewValue<Stored>(static_cast<Stored>(value))), m_name(name),                     \
          m_enabledTypeChange(false)                                                               \
    {                                                                                              \
        ValidateName(m_name);                                                                      \
    }

LX_VARIANT_VALUE_CONSTRUCTOR(int, lx_int32)
LX_VARIANT_VALUE_CONSTRUCTOR(unsigned int, lx_uint32)
LX_VARIANT_VALUE_CONSTRUCTOR(lx_int64, lx_int64)
LX_VARIANT_VALUE_CONSTRUCTOR(lx_uint64, lx_uint64)
LX_VARIANT_VALUE_CONSTRUCTOR(double, double)
LX_VARIANT_VALUE_CONSTRUCTOR(bool, bool)
LX_VARIANT_VALUE_CONSTRUCTOR(void*, void*)
LX_VARIANT_VALUE_CONSTRUCTOR(const char*, CLxStringW)
LX_VARIANT_VALUE_CONSTRUCTOR(const char16_t*, CLxStringW)
LX_VARIANT_VALUE_CONSTRUCTOR(const CLxStringW&, CLxStringW)
LX_VARIANT_VALUE_CONSTRUCTOR(const CLxByteArray&, CLxByteArray)
#undef LX_VARIANT_VALUE_CONSTRUCTOR

CLxVariant::CLxVariant(const CLxListVariant& value, const CLxStringW& name)
    : m_pData(new CLxVariantDataCLxListVariant(value)), m_name(name), m_enabledTypeChange(false)
{
    ValidateName(m_name);
}

CLxVariant::~CLxVariant()
{
    delete m_pData;
}

void* CLxVariant::operator new(size_t size) noexcept
{
    return CLxAlloc::Alloc(0, size);
}

void CLxVariant::operator delete(void* block) noexcept
{
    CLxAlloc::Free(block);
}

// ---- Identity.

const CLxVariantRunType& CLxVariant::GetRunType() const
{
    return m_pData ? m_pData->GetRunType() : CLxVariantRunType::m_unknown;
}

void CLxVariant::SetName(const CLxStringW& name)
{
    if (RefuseUndefChange())
        return;
    m_name = name;
    ValidateName(m_name);
}

bool CLxVariant::EnableTypeChange(bool enable)
{
    bool previous = m_enabledTypeChange;
    if (enable && RefuseUndefChange())
        return previous;
    m_enabledTypeChange = enable;
    return previous;
}

void CLxVariant::MakeNull()
{
    if (!m_enabledTypeChange) {
        LX_DIAG_ASSERT_TEXT(u"!m_enabledTypeChange",
                            u"Error: CLxVariant::MakeNull()), type change not enabled!");
        return;
    }
    SetData(nullptr);
}

void* CLxVariant::GetValueVoidPtr() const
{
    return m_pData ? m_pData->GetValuePtr() : nullptr;
}

bool CLxVariant::ValidateName(CLxStringW& name)
{
    if (name.IsEmpty()) {
        name = u"no_name";
        return true;
    }
    auto isLetter = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    bool changed = false;
    for (int i = 0; i < name.GetLength(); ++i) {
        char16_t c = name[i];
        bool valid = isLetter(c) || c == u'_' ||
                     (i > 0 && ((c >= u'0' && c <= u'9') || c == u'.' || c == u'-'));
        if (!valid) {
            name.SetAt(i, u'_');
            changed = true;
        }
    }
    return changed;
}

void CLxVariant::SetData(CLxVariantData* data)
{
    CLxVariantData* old = m_pData;
    m_pData = data;
    delete old;
}

bool CLxVariant::RefuseUndefChange() const
{
    if (this != &g_UndefVariant)
        return false;
    LX_DIAG_ASSERT_TEXT(u"this == &g_UndefVariant", u"Error: g_UndefVariant can't be changed!");
    return true;
}

// ---- Text.

bool CLxVariant::Write(CLxStringW& text) const
{
    return m_pData && m_pData->Write(text);
}

bool CLxVariant::Read(const CLxStringW& text)
{
    return Read(text.GetString());
}

bool CLxVariant::Read(const char16_t* text)
{
    return m_pData && m_pData->Read(text);
}

// ---- Assignment.

CLxVariant& CLxVariant::operator=(const CLxVariant& other)
{
    if (&other == this)
        return *this;
    if (!other.m_pData) {
        if (!m_pData)
            return *this;
        if (!m_enabledTypeChange) {
            LX_DIAG_ASSERT_TEXT(u"m_pData && !m_enabledTypeChange",
                                u"Error: can't do assignment, type change not enabled!");
            return *this;
        }
        SetData(nullptr);
        return *this;
    }
    if (m_pData && LX_VariantSameRunType(*m_pData, *other.m_pData)) {
        other.m_pData->GetValueCopy(*m_pData);
        return *this;
    }
    if (!m_enabledTypeChange) {
        CLxStringW message;
        message.Format(
            u"Error: can't do assignment from type: %hs to: %hs, type change not enabled!",
            other.GetRunType().GetName().GetString(), GetRunType().GetName().GetString());
        LX_DIAG_ASSERT_TEXT(u"!m_enabledTypeChange", message.GetString());
        return *this;
    }
    // The clone is made before the old value goes: other may live inside it.
    if (CLxVariantData* copy = other.m_pData->Clone())
        SetData(copy);
    return *this;
}

template <class T> CLxVariant& CLxVariant::AssignValue(const T& value, const char16_t* message)
{
    if (m_pData && m_pData->GetKind() == LxVariantKindOf<T>::value) {
        static_cast<CLxVariantDataValue<T>*>(m_pData)->m_value = value;
        return *this;
    }
    if (!m_enabledTypeChange) {
        LX_DIAG_ASSERT_TEXT(u"!m_enabledTypeChange", message);
        return *this;
    }
    if (CLxVariantData* data = NewValue(value))
        SetData(data);
    return *this;
}

CLxVariant& CLxVariant::operator=(int value)
{
    return AssignValue<lx_int32>(
        value, u"Error: CLxVariant::operator=, can't do assignment - type change not enabled");
}

CLxVariant& CLxVariant::operator=(unsigned int value)
{
    return AssignValue<lx_uint32>(value, kAssignRefused);
}

CLxVariant& CLxVariant::operator=(lx_int64 value)
{
    return AssignValue<lx_int64>(value, u"Error: can't do assignment, type change not enabled.");
}

CLxVariant& CLxVariant::operator=(lx_uint64 value)
{
    return AssignValue<lx_uint64>(value, kAssignRefused);
}

CLxVariant& CLxVariant::operator=(double value)
{
    return AssignValue<double>(value, kAssignRefused);
}

CLxVariant& CLxVariant::operator=(bool value)
{
    return AssignValue<bool>(value, kAssignRefused);
}

CLxVariant& CLxVariant::operator=(void* const value)
{
    return AssignValue<void*>(value, kAssignRefused);
}

CLxVariant& CLxVariant::operator=(const CLxStringW& value)
{
    return AssignValue<CLxStringW>(value, kAssignRefused);
}

CLxVariant& CLxVariant::operator=(const char16_t* value)
{
    return AssignValue<CLxStringW>(CLxStringW(value), kAssignRefused);
}

CLxVariant& CLxVariant::operator=(const char* value)
{
    return AssignValue<CLxStringW>(CLxStringW(value), kAssignRefused);
}

CLxVariant& CLxVariant::operator=(const CLxByteArray& value)
{
    return AssignValue<CLxByteArray>(value, kAssignRefused);
}

CLxVariant& CLxVariant::operator=(const CLxListVariant& value)
{
    CLxVariantDataCLxListVariant* list = ListData();
    if (list && list->GetRunType() == CLxVariantDataCLxListVariant::m_runTypeOrig) {
        list->m_value = value;
        return *this;
    }
    if (!m_enabledTypeChange) {
        LX_DIAG_ASSERT_TEXT(u"!m_enabledTypeChange", kAssignRefused);
        return *this;
    }
    if (CLxVariantData* data = new CLxVariantDataCLxListVariant(value))
        SetData(data);
    return *this;
}

// ---- Equality.

bool CLxVariant::operator==(const CLxVariant& other) const
{
    if (m_pData && other.m_pData)
        return m_pData->IsEqual(*other.m_pData);
    return !m_pData && !other.m_pData;
}
