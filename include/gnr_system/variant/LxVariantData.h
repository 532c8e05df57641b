// The value holders of CLxVariant: one class per built-in run type, holding
// the value and knowing its text form, equality and copy.
//
// Text forms (Write / Read), the value text of the variant XML and of the
// diagnostic dump; numbers never depend on the process locale:
//   "lx_int32"    "%ld"        Read: leading decimal, saturated at the limits
//   "lx_uint32"   "%lu"        Read: leading decimal as unsigned; a negative
//                              text wraps to its bit pattern ("-1" is
//                              4294967295), a larger one saturates
//   "lx_int64"    "%I64d"      as lx_int32, 64 bits
//   "lx_uint64"   "%I64u"      as lx_uint32, 64 bits
//   "double"      "%.15f" when that reads back the same value, else the
//                shortest text that does ("1e-20", "0.3333333333333333");
//                "nan", "inf", "-inf". Read: the leading number ('.' always),
//                also "nan" and "inf"
//   "bool"        "true" / "false"; Read: exactly "true" is true
//   "voidPtr"     lower-case hex without prefix; Read: leading hex digits
//   "CLxStringW"  the text itself
//   "CLxByteArray" Base64; an empty array writes nothing (Write returns
//                false and leaves the text as it was); Read decodes (a text
//                that is not Base64 gives an empty array)
// A Write that returns true replaces the whole text. Read never fails: text
// that does not parse gives what the conversion gives (0, 0.0, false).
#pragma once

#include <cstddef>
#include <cstdint>

#include "gnr_system/LxByteArray.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxListVariant.h"
#include "gnr_system/variant/LxVariantRunType.h"
#include "w32_system/LxExport.h"

typedef int32_t lx_int32;
typedef uint32_t lx_uint32;
typedef int64_t lx_int64;
typedef uint64_t lx_uint64;

// The abstract holder.
class LX_EXPORT CLxVariantData
{
  public:
    virtual ~CLxVariantData();

    // The value as text (see the top of this file).
    virtual bool Write(CLxStringW& text) const = 0;
    // Parses the text by this holder's run type; true (lists: false).
    virtual bool Read(const char16_t* text) = 0;
    bool Read(const CLxStringW& text) { return Read(text.GetString()); }
    // False when the run types differ, else the values compared.
    virtual bool IsEqual(const CLxVariantData& other) const = 0;
    // The address of the stored value (the number, pointer, CLxStringW,
    // CLxByteArray or CLxListVariant field).
    virtual void* GetValuePtr() = 0;
    const void* GetValuePtr() const { return const_cast<CLxVariantData*>(this)->GetValuePtr(); }
    // Copies this value into a holder of the same run type; another run
    // type is reported and nothing is copied.
    virtual void GetValueCopy(CLxVariantData& target) const = 0;
    // A new holder of the same run type with the default value (0, 0.0,
    // false, null, empty text, empty byte array; a record: copies of its
    // registered sample's members); null when the record's sample is not a
    // list or storage is refused.
    virtual CLxVariantData* CreateNew() const = 0;
    // A new holder with the same run type and value; null when storage is
    // refused.
    virtual CLxVariantData* Clone() const = 0;
    virtual const CLxVariantRunType& GetRunType() const = 0;
    // Scalars keep their run type: another one is reported and -9 returned
    // (-9 also when it is the same). Lists take any run type and return 0.
    virtual int SetRunType(const CLxVariantRunType& runType);
    // True for the list holder only.
    virtual bool IsArray() const;
    // The built-in kind; every list and record is eLxVariantList.
    virtual ELxVariantKind GetKind() const = 0;

    // Holders live on the private heap; a refused allocation gives null.
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* block) noexcept;
};

// The built-in kind of a stored value type.
template <class T> struct LxVariantKindOf;
template <> struct LxVariantKindOf<lx_int32> {
    static constexpr ELxVariantKind value = eLxVariantInt32;
};
template <> struct LxVariantKindOf<lx_uint32> {
    static constexpr ELxVariantKind value = eLxVariantUInt32;
};
template <> struct LxVariantKindOf<lx_int64> {
    static constexpr ELxVariantKind value = eLxVariantInt64;
};
template <> struct LxVariantKindOf<lx_uint64> {
    static constexpr ELxVariantKind value = eLxVariantUInt64;
};
template <> struct LxVariantKindOf<double> {
    static constexpr ELxVariantKind value = eLxVariantDouble;
};
template <> struct LxVariantKindOf<bool> {
    static constexpr ELxVariantKind value = eLxVariantBool;
};
template <> struct LxVariantKindOf<void*> {
    static constexpr ELxVariantKind value = eLxVariantVoidPtr;
};
template <> struct LxVariantKindOf<CLxStringW> {
    static constexpr ELxVariantKind value = eLxVariantStringW;
};
template <> struct LxVariantKindOf<CLxByteArray> {
    static constexpr ELxVariantKind value = eLxVariantByteArray;
};

// The holder of one scalar run type; T is the stored type.
template <class T> class LX_EXPORT CLxVariantDataValue : public CLxVariantData
{
  public:
    // The default value (0, 0.0, false, null, empty; byte arrays grow by 1024).
    CLxVariantDataValue();
    explicit CLxVariantDataValue(const T& value);

    bool Write(CLxStringW& text) const override;
    bool Read(const char16_t* text) override;
    using CLxVariantData::Read;
    bool IsEqual(const CLxVariantData& other) const override;
    void* GetValuePtr() override { return &m_value; }
    using CLxVariantData::GetValuePtr;
    void GetValueCopy(CLxVariantData& target) const override;
    CLxVariantData* CreateNew() const override;
    CLxVariantData* Clone() const override;
    const CLxVariantRunType& GetRunType() const override { return RunType(); }
    ELxVariantKind GetKind() const override { return LxVariantKindOf<T>::value; }

    static const CLxVariantRunType& RunType()
    {
        return CLxVariantRunType::Builtin(LxVariantKindOf<T>::value);
    }

    T m_value;
};

extern template class LX_EXPORT CLxVariantDataValue<lx_int32>;
extern template class LX_EXPORT CLxVariantDataValue<lx_uint32>;
extern template class LX_EXPORT CLxVariantDataValue<lx_int64>;
extern template class LX_EXPORT CLxVariantDataValue<lx_uint64>;
extern template class LX_EXPORT CLxVariantDataValue<double>;
extern template class LX_EXPORT CLxVariantDataValue<bool>;
extern template class LX_EXPORT CLxVariantDataValue<void*>;
extern template class LX_EXPORT CLxVariantDataValue<CLxStringW>;
extern template class LX_EXPORT CLxVariantDataValue<CLxByteArray>;

typedef CLxVariantDataValue<lx_int32> CLxVariantDataLx_int32;
typedef CLxVariantDataValue<lx_uint32> CLxVariantDataLx_uint32;
typedef CLxVariantDataValue<lx_int64> CLxVariantDataLx_int64;
typedef CLxVariantDataValue<lx_uint64> CLxVariantDataLx_uint64;
typedef CLxVariantDataValue<double> CLxVariantDataDouble;
typedef CLxVariantDataValue<bool> CLxVariantDataBool;
typedef CLxVariantDataValue<void*> CLxVariantVoidPtr;
typedef CLxVariantDataValue<CLxStringW> CLxVariantCLxStringW;
typedef CLxVariantDataValue<CLxByteArray> CLxVariantCLxByteAray;

// The holder of lists and records: the members and the holder's own run
// type, "CLxListVariant" for a plain list or the record's run type.
//
// Write: the members' texts in order, joined by one blank (a member that
// writes nothing adds an empty text); true. Read is not offered: reported,
// false. IsEqual: the same run type and member count, and each member of
// this list equal to its partner: the member at the same position when its
// name is "no_name", else the first member of the other list with the same
// name.
class LX_EXPORT CLxVariantDataCLxListVariant : public CLxVariantData
{
  public:
    // An empty plain list.
    CLxVariantDataCLxListVariant();
    // An empty list of that run type.
    explicit CLxVariantDataCLxListVariant(const CLxVariantRunType& runType);
    // A plain list holding copies of the members.
    explicit CLxVariantDataCLxListVariant(const CLxListVariant& value);

    bool Write(CLxStringW& text) const override;
    bool Read(const char16_t* text) override;
    using CLxVariantData::Read;
    bool IsEqual(const CLxVariantData& other) const override;
    void* GetValuePtr() override { return &m_value; }
    using CLxVariantData::GetValuePtr;
    void GetValueCopy(CLxVariantData& target) const override;
    CLxVariantData* CreateNew() const override;
    CLxVariantData* Clone() const override;
    const CLxVariantRunType& GetRunType() const override { return m_runType; }
    int SetRunType(const CLxVariantRunType& runType) override;
    bool IsArray() const override;
    ELxVariantKind GetKind() const override { return eLxVariantList; }

    // "CLxListVariant".
    static const CLxVariantRunType& m_runTypeOrig;

    CLxListVariant m_value;

  private:
    CLxVariantRunType m_runType;
};

// Text forms of doubles for writers of other texts (the XML's UTF-8 form):
// "%.15g" when it reads back the same value, else the shortest text that
// does; "nan", "inf", "-inf". The "%.15f" form is that of Write.
LX_EXPORT void LX_VariantDoubleToTextG(double value, CLxStringA& text);
LX_EXPORT void LX_VariantDoubleToTextF(double value, CLxStringW& text);
