// Typed getters of CLxVariant and the comparisons with plain values.
#include <cstring>

#include "gnr_system/variant/LxVariantInternal.h"
#include "w32_system/LxWideCrt.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{
template <class T> const T& ValueOf(const CLxVariantData& data)
{
    return static_cast<const CLxVariantDataValue<T>&>(data).m_value;
}

// The first sizeof(T) bytes of the array, little-endian; false when it is
// shorter.
template <class T> bool FromBytes(const CLxByteArray& bytes, T& out)
{
    if (bytes.GetSize() < sizeof(T))
        return false;
    std::memcpy(&out, bytes.GetData(), sizeof(T));
    return true;
}

// Per-target rules of the integer getters.
template <class T> struct SLxIntegerTarget;
template <> struct SLxIntegerTarget<lx_int32> {
    static constexpr lx_int32 failure = -1;
    static constexpr const char16_t* message = u"Can't convert to lx_int32!";
    static lx_int32 FromDouble(double v) { return LX_VariantDoubleToInt32(v); }
    static lx_int32 FromText(const CLxStringW& t) { return lx_wtoi(t.GetString()); }
};
template <> struct SLxIntegerTarget<lx_uint32> {
    static constexpr lx_uint32 failure = 0;
    static constexpr const char16_t* message = u"Can't convert to lx_uint32!";
    static lx_uint32 FromDouble(double v) { return LX_VariantDoubleToUInt32(v); }
    static lx_uint32 FromText(const CLxStringW& t)
    {
        return lx_uint32(LX_VariantParseUnsigned(t.GetString(), UINT32_MAX));
    }
};
template <> struct SLxIntegerTarget<lx_int64> {
    static constexpr lx_int64 failure = -1;
    static constexpr const char16_t* message = u"Can't convert to lx_int64!";
    static lx_int64 FromDouble(double v) { return LX_VariantDoubleToInt64(v); }
    static lx_int64 FromText(const CLxStringW& t) { return lx_wtoi64(t.GetString()); }
};
template <> struct SLxIntegerTarget<lx_uint64> {
    static constexpr lx_uint64 failure = 0;
    static constexpr const char16_t* message = u"Can't convert to lx_uint64!";
    static lx_uint64 FromDouble(double v) { return LX_VariantDoubleToUInt64(v); }
    static lx_uint64 FromText(const CLxStringW& t)
    {
        return LX_VariantParseUnsigned(t.GetString(), UINT64_MAX);
    }
};

// Sets *ok and returns value, or reports message (when given) and returns
// the failure value.
template <class T> T Succeed(bool* ok, T value)
{
    if (ok)
        *ok = true;
    return value;
}
template <class T> T Fail(bool* ok, T failure, const char16_t* message)
{
    if (ok)
        *ok = false;
    if (message)
        LX_DIAG_ASSERT_TEXT(u"true", message);
    return failure;
}

template <class T> T GetInteger(const CLxVariantData* data, bool* ok)
{
    typedef SLxIntegerTarget<T> Target;
    switch (data ? data->GetKind() : eLxVariantUnknown) {
    case eLxVariantInt32:
        return Succeed(ok, T(ValueOf<lx_int32>(*data)));
    case eLxVariantUInt32:
        return Succeed(ok, T(ValueOf<lx_uint32>(*data)));
    case eLxVariantInt64:
        return Succeed(ok, T(ValueOf<lx_int64>(*data)));
    case eLxVariantUInt64:
        return Succeed(ok, T(ValueOf<lx_uint64>(*data)));
    case eLxVariantDouble:
        return Succeed(ok, Target::FromDouble(ValueOf<double>(*data)));
    case eLxVariantBool:
        return Succeed(ok, T(ValueOf<bool>(*data) ? 1 : 0));
    case eLxVariantVoidPtr:
        return Succeed(ok, T(reinterpret_cast<intptr_t>(ValueOf<void*>(*data))));
    case eLxVariantStringW:
        return Succeed(ok, Target::FromText(ValueOf<CLxStringW>(*data)));
    case eLxVariantByteArray: {
        T value = 0;
        if (!FromBytes(ValueOf<CLxByteArray>(*data), value))
            return Fail(ok, Target::failure, nullptr);
        return Succeed(ok, value);
    }
    default:
        return Fail(ok, Target::failure, Target::message);
    }
}

template <class T> bool ValueEquals(const T& a, const T& b)
{
    return a == b;
}
bool ValueEquals(const double& a, const double& b)
{
    return LX_VariantDoublesEqual(a, b);
}
} // namespace

lx_int32 CLxVariant::GetLx_int32(bool* ok) const
{
    return GetInteger<lx_int32>(m_pData, ok);
}

lx_uint32 CLxVariant::GetLx_uint32(bool* ok) const
{
    return GetInteger<lx_uint32>(m_pData, ok);
}

lx_int64 CLxVariant::GetLx_int64(bool* ok) const
{
    return GetInteger<lx_int64>(m_pData, ok);
}

lx_uint64 CLxVariant::GetLx_uint64(bool* ok) const
{
    return GetInteger<lx_uint64>(m_pData, ok);
}

double CLxVariant::GetDouble(bool* ok) const
{
    const CLxVariantData* data = m_pData;
    switch (data ? data->GetKind() : eLxVariantUnknown) {
    case eLxVariantDouble:
        return Succeed(ok, ValueOf<double>(*data));
    case eLxVariantInt32:
        return Succeed(ok, double(ValueOf<lx_int32>(*data)));
    case eLxVariantUInt32:
        return Succeed(ok, double(ValueOf<lx_uint32>(*data)));
    case eLxVariantInt64:
        return Succeed(ok, double(ValueOf<lx_int64>(*data)));
    case eLxVariantUInt64:
        return Succeed(ok, double(ValueOf<lx_uint64>(*data)));
    case eLxVariantBool:
        return Succeed(ok, ValueOf<bool>(*data) ? 1.0 : 0.0);
    case eLxVariantStringW:
        return Succeed(ok, LX_VariantParseDouble(ValueOf<CLxStringW>(*data).GetString()));
    case eLxVariantByteArray: {
        double value = 0;
        if (!FromBytes(ValueOf<CLxByteArray>(*data), value))
            return Fail(ok, 0.0, nullptr);
        return Succeed(ok, value);
    }
    default:
        return Fail(ok, 0.0, u"Can't convert to double!");
    }
}

bool CLxVariant::GetBool(bool* ok) const
{
    const CLxVariantData* data = m_pData;
    switch (data ? data->GetKind() : eLxVariantUnknown) {
    case eLxVariantBool:
        return Succeed(ok, ValueOf<bool>(*data));
    case eLxVariantInt32:
        return Succeed(ok, ValueOf<lx_int32>(*data) != 0);
    case eLxVariantUInt32:
        return Succeed(ok, ValueOf<lx_uint32>(*data) != 0);
    case eLxVariantInt64:
        return Succeed(ok, ValueOf<lx_int64>(*data) != 0);
    case eLxVariantUInt64:
        return Succeed(ok, ValueOf<lx_uint64>(*data) != 0);
    case eLxVariantDouble:
        return Succeed(ok, ValueOf<double>(*data) != 0);
    case eLxVariantVoidPtr:
        return Succeed(ok, ValueOf<void*>(*data) != nullptr);
    case eLxVariantStringW:
        return Succeed(ok, ValueOf<CLxStringW>(*data) == u"true");
    case eLxVariantByteArray: {
        uint8_t first = 0;
        if (!FromBytes(ValueOf<CLxByteArray>(*data), first))
            return Fail(ok, false, nullptr);
        return Succeed(ok, first != 0);
    }
    default:
        return Fail(ok, false, u"Can't convert to bool!");
    }
}

void* CLxVariant::GetVoidPtr(bool* ok) const
{
    const CLxVariantData* data = m_pData;
    switch (data ? data->GetKind() : eLxVariantUnknown) {
    case eLxVariantVoidPtr:
        return Succeed(ok, ValueOf<void*>(*data));
    case eLxVariantByteArray:
        return Succeed(
            ok, static_cast<void*>(const_cast<uint8_t*>(ValueOf<CLxByteArray>(*data).GetData())));
    default:
        return Fail(ok, static_cast<void*>(nullptr), u"Can't convert to void*!");
    }
}

CLxStringW CLxVariant::GetCLxStringW(bool* ok) const
{
    CLxStringW text;
    bool written = Write(text);
    if (ok)
        *ok = written;
    return text;
}

CLxByteArray CLxVariant::GetCLxByteArray(bool* ok) const
{
    const CLxVariantData* data = m_pData;
    switch (data ? data->GetKind() : eLxVariantUnknown) {
    case eLxVariantByteArray:
        return Succeed(ok, ValueOf<CLxByteArray>(*data));
    case eLxVariantInt32: {
        lx_int32 value = ValueOf<lx_int32>(*data);
        return Succeed(ok, CLxByteArray(&value, sizeof value, 1024));
    }
    default:
        return Fail(ok, CLxByteArray(1024), u"Can't convert to CLxByteArray!");
    }
}

// ---- Comparisons with plain values: the getter of the value's type, then ==.

namespace
{
template <class T, class Getter> bool ConvertedEquals(Getter get, const T& value)
{
    bool ok = false;
    T converted = get(&ok);
    return ok && ValueEquals(converted, value);
}
} // namespace

bool CLxVariant::operator==(int value) const
{
    return ConvertedEquals<lx_int32>([this](bool* ok) { return GetLx_int32(ok); }, value);
}

bool CLxVariant::operator==(unsigned int value) const
{
    return ConvertedEquals<lx_uint32>([this](bool* ok) { return GetLx_uint32(ok); }, value);
}

bool CLxVariant::operator==(lx_int64 value) const
{
    return ConvertedEquals<lx_int64>([this](bool* ok) { return GetLx_int64(ok); }, value);
}

bool CLxVariant::operator==(lx_uint64 value) const
{
    return ConvertedEquals<lx_uint64>([this](bool* ok) { return GetLx_uint64(ok); }, value);
}

bool CLxVariant::operator==(double value) const
{
    return ConvertedEquals<double>([this](bool* ok) { return GetDouble(ok); }, value);
}

bool CLxVariant::operator==(bool value) const
{
    return ConvertedEquals<bool>([this](bool* ok) { return GetBool(ok); }, value);
}

bool CLxVariant::operator==(void* const value) const
{
    return ConvertedEquals<void*>([this](bool* ok) { return GetVoidPtr(ok); }, value);
}

bool CLxVariant::operator==(const CLxStringW& value) const
{
    return ConvertedEquals<CLxStringW>([this](bool* ok) { return GetCLxStringW(ok); }, value);
}

bool CLxVariant::operator==(const char16_t* value) const
{
    return *this == CLxStringW(value);
}

bool CLxVariant::operator==(const CLxByteArray& value) const
{
    return ConvertedEquals<CLxByteArray>([this](bool* ok) { return GetCLxByteArray(ok); }, value);
}

bool CLxVariant::operator==(const CLxListVariant& value) const
{
    if (!ListData()) {
        LX_DIAG_ASSERT_TEXT(u"(!m_pData || !m_pData->IsArray())",
                            u"Error: invalid variant type for array operation.");
        return false;
    }
    CLxVariantDataCLxListVariant plain(value);
    return m_pData->IsEqual(plain);
}
