// The scalar value holders: their texts, equality and copies.
#include "gnr_system/LxBase64.h"
#include "gnr_system/variant/LxVariantInternal.h"
#include "w32_system/LxWideCrt.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

// ---- The abstract holder.

CLxVariantData::~CLxVariantData() = default;

int CLxVariantData::SetRunType(const CLxVariantRunType& runType)
{
    if (runType != GetRunType())
        LX_DIAG_ASSERT_TEXT(u"arg != GetRunType()",
                            u"Error: CLxVariantData::SetRunType(), can't set runtype!");
    return -9;
}

bool CLxVariantData::IsArray() const
{
    return false;
}

void* CLxVariantData::operator new(size_t size) noexcept
{
    return CLxAlloc::Alloc(0, size);
}

void CLxVariantData::operator delete(void* block) noexcept
{
    CLxAlloc::Free(block);
}

// ---- Per-type behaviour of the scalar holders.

namespace
{
const char16_t* Text(const char16_t* text)
{
    return text ? text : u"";
}

bool WriteValue(lx_int32 value, CLxStringW& text)
{
    text.Format(u"%ld", value);
    return true;
}
bool WriteValue(lx_uint32 value, CLxStringW& text)
{
    text.Format(u"%lu", value);
    return true;
}
bool WriteValue(lx_int64 value, CLxStringW& text)
{
    text.Format(u"%I64d", value);
    return true;
}
bool WriteValue(lx_uint64 value, CLxStringW& text)
{
    text.Format(u"%I64u", value);
    return true;
}
bool WriteValue(double value, CLxStringW& text)
{
    LX_VariantDoubleToTextF(value, text);
    return true;
}
bool WriteValue(bool value, CLxStringW& text)
{
    text = value ? u"true" : u"false";
    return true;
}
bool WriteValue(void* value, CLxStringW& text)
{
    text.Format(u"%Ix", reinterpret_cast<uintptr_t>(value));
    return true;
}
bool WriteValue(const CLxStringW& value, CLxStringW& text)
{
    text = value;
    return true;
}
bool WriteValue(const CLxByteArray& value, CLxStringW& text)
{
    if (value.GetSize() == 0)
        return false;
    Base64Coder coder;
    if (!coder.Encode(value.GetData(), value.GetSize()))
        return false;
    text = coder.EncodedBuffer();
    return true;
}

void ReadValue(const char16_t* text, lx_int32& value)
{
    value = lx_wtoi(Text(text));
}
void ReadValue(const char16_t* text, lx_uint32& value)
{
    value = lx_uint32(LX_VariantParseUnsigned(text, UINT32_MAX));
}
void ReadValue(const char16_t* text, lx_int64& value)
{
    value = lx_wtoi64(Text(text));
}
void ReadValue(const char16_t* text, lx_uint64& value)
{
    value = LX_VariantParseUnsigned(text, UINT64_MAX);
}
void ReadValue(const char16_t* text, double& value)
{
    value = LX_VariantParseDouble(text);
}
void ReadValue(const char16_t* text, bool& value)
{
    value = lx_wcscmp(Text(text), u"true") == 0;
}
void ReadValue(const char16_t* text, void*& value)
{
    value = LX_VariantParseHexPointer(text);
}
void ReadValue(const char16_t* text, CLxStringW& value)
{
    value = Text(text);
}
void ReadValue(const char16_t* text, CLxByteArray& value)
{
    Base64Coder coder;
    unsigned size = 0;
    const unsigned char* bytes = nullptr;
    if (coder.DecodeW(Text(text)))
        bytes = coder.DecodedBuffer(&size);
    // Text that is not Base64, or storage that is refused, leaves an empty
    // array rather than part of the bytes.
    if (!bytes || size == 0 ||
        value.SetData(bytes, size, eLxByteArrayOpFromStart, eLxByteArrayAllocExact) != 0)
        value.SetSize(0);
}

template <class T> bool EqualValues(const T& a, const T& b)
{
    return a == b;
}
bool EqualValues(const double& a, const double& b)
{
    return LX_VariantDoublesEqual(a, b);
}
bool EqualValues(const CLxByteArray& a, const CLxByteArray& b)
{
    if (b != a) {
        LX_DIAG_ASSERT_TEXT(u"otherData.m_value != m_value", nullptr);
        return false;
    }
    return true;
}

template <class T> const char16_t* CopyMessage();
template <> const char16_t* CopyMessage<lx_int32>()
{
    return u"Error: CLxVariantDataLx_int32::GetValueCopy(), incompatible types!";
}
template <> const char16_t* CopyMessage<lx_uint32>()
{
    return u"Error: CLxVariantDataLx_uint32::GetValueCopy, incompatible types!";
}
template <> const char16_t* CopyMessage<lx_int64>()
{
    return u"Error: CLxVariantDataLx_int64::GetValueCopy, incompatible types!";
}
template <> const char16_t* CopyMessage<lx_uint64>()
{
    return u"Error: CLxVariantDataLx_uint64::GetValueCopy, incompatible types!";
}
template <> const char16_t* CopyMessage<double>()
{
    return u"Error: CLxVariantDataDouble::GetValueCopy, incompatible types!";
}
template <> const char16_t* CopyMessage<bool>()
{
    return u"Error: CLxVariantDataBool::GetValueCopy, incompatible types!";
}
template <> const char16_t* CopyMessage<void*>()
{
    return u"Error: CLxVariantVoidPtr::GetValueCopy, incompatible types!";
}
template <> const char16_t* CopyMessage<CLxStringW>()
{
    return u"Error: CLxVariantCLxStringW::GetValueCopy, incompatible types!";
}
template <> const char16_t* CopyMessage<CLxByteArray>()
{
    return u"Error: CLxVariantCLxByteAray::GetValueCopy, incompatible types!";
}
} // namespace

// ---- The scalar holder template.

template <class T> CLxVariantDataValue<T>::CLxVariantDataValue() : m_value() {}

template <class T> CLxVariantDataValue<T>::CLxVariantDataValue(const T& value) : m_value(value) {}

template <class T> bool CLxVariantDataValue<T>::Write(CLxStringW& text) const
{
    return WriteValue(m_value, text);
}

template <class T> bool CLxVariantDataValue<T>::Read(const char16_t* text)
{
    ReadValue(text, m_value);
    return true;
}

template <class T> bool CLxVariantDataValue<T>::IsEqual(const CLxVariantData& other) const
{
    if (other.GetKind() != GetKind())
        return false;
    return EqualValues(m_value, static_cast<const CLxVariantDataValue&>(other).m_value);
}

template <class T> void CLxVariantDataValue<T>::GetValueCopy(CLxVariantData& target) const
{
    if (target.GetKind() != GetKind()) {
        LX_DIAG_ASSERT_TEXT(u"(data.GetRunType() != GetRunType())", CopyMessage<T>());
        return;
    }
    static_cast<CLxVariantDataValue&>(target).m_value = m_value;
}

template <class T> CLxVariantData* CLxVariantDataValue<T>::CreateNew() const
{
    return new CLxVariantDataValue();
}

template <class T> CLxVariantData* CLxVariantDataValue<T>::Clone() const
{
    return new CLxVariantDataValue(m_value);
}

template class CLxVariantDataValue<lx_int32>;
template class CLxVariantDataValue<lx_uint32>;
template class CLxVariantDataValue<lx_int64>;
template class CLxVariantDataValue<lx_uint64>;
template class CLxVariantDataValue<double>;
template class CLxVariantDataValue<bool>;
template class CLxVariantDataValue<void*>;
template class CLxVariantDataValue<CLxStringW>;
template class CLxVariantDataValue<CLxByteArray>;
