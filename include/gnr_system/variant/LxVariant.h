// CLxVariant: the value type in which all metadata travels. A variant has a
// name and is null, a scalar of one built-in run type, a plain list
// ("CLxListVariant") of named member variants, or a record: a list labelled
// with a run type registered in the process-wide run-type registry, whose
// registered sample fixes its members (order, names, run types, defaults).
//
// Names: always valid (ValidateName): letters, digits, '.', '-' and '_', not
// starting with a digit, '.' or '-'; every other UTF-16 unit becomes '_', an
// empty name "no_name". Names are never refused.
//
// Type change: off after every constructor but the copy constructor (which
// copies the flag); assignments keep it. While it is off the run type is
// fixed: assignments from other run types, MakeNull, SetRunType and the
// structural operations on records (append, insert, delete, clear) are
// refused; values of the same run type change freely. Appending to a null
// variant needs no type change. With it on, everything may change the run
// type, and appending to, inserting into, deleting from or clearing a record
// first turns it into a plain list.
//
// Failures are reported through DiagAssertW with a condition text and a
// message, then answered with a neutral result (a status code -9 or -4, a
// null variant, g_UndefVariant, false, -1 or the getter's failure value).
// Nothing is thrown.
//
// Threads: the registry has its own lock, every member sequence shares the
// list lock (CLxListVariant). A variant object itself is used by one thread
// at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

#include "gnr_system/LxByteArray.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxListVariant.h"
#include "gnr_system/variant/LxVariantData.h"
#include "gnr_system/variant/LxVariantRunType.h"
#include "w32_system/LxExport.h"

class LX_EXPORT CLxVariant
{
  public:
    // ---- Construction. Every name is validated.

    // Null, named "no_name".
    CLxVariant();
    // A deep copy: value, run type, name and type-change flag.
    CLxVariant(const CLxVariant& other);
    // A variant of a registered run type: a scalar with its default, a record
    // with all members of its sample. An unregistered run type gives a null
    // variant (reported by the look-up), "unknown" a null variant.
    CLxVariant(const CLxVariantRunType& runType, const CLxStringW& name);
    // Values, with their run types:
    CLxVariant(int value, const CLxStringW& name);          // "lx_int32"
    CLxVariant(unsigned int value, const CLxStringW& name); // "lx_uint32"
    CLxVariant(lx_int64 value, const CLxStringW& name);     // "lx_int64"
    CLxVariant(lx_uint64 value, const CLxStringW& name);    // "lx_uint64"
    CLxVariant(long long value, const CLxStringW& name) : CLxVariant(lx_int64(value), name) {}
    CLxVariant(unsigned long long value, const CLxStringW& name)
        : CLxVariant(lx_uint64(value), name)
    {
    }
    CLxVariant(double value, const CLxStringW& name); // "double" (a NaN stays NaN)
    CLxVariant(bool value, const CLxStringW& name);   // "bool"
    CLxVariant(void* value, const CLxStringW& name);  // "voidPtr" (not owned)
    // "CLxStringW": narrow text is UTF-8; null is empty text.
    CLxVariant(const char* value, const CLxStringW& name);
    CLxVariant(const char16_t* value, const CLxStringW& name);
    CLxVariant(const CLxStringW& value, const CLxStringW& name);
    CLxVariant(const CLxByteArray& value, const CLxStringW& name); // "CLxByteArray"
    // A plain list holding copies of the members.
    CLxVariant(const CLxListVariant& value, const CLxStringW& name);
    // Frees the value (a list frees its members).
    ~CLxVariant();

    // ---- Identity.

    bool IsNull() const { return m_pData == nullptr; }
    // The holder's run type; "unknown" for a null variant.
    const CLxVariantRunType& GetRunType() const;
    const CLxStringW& GetName() const { return m_name; }
    // Sets the validated name.
    void SetName(const CLxStringW& name);
    // Returns the previous setting.
    bool EnableTypeChange(bool enable);
    bool IsEnabledTypeChange() const { return m_enabledTypeChange; }
    // Frees the value and leaves a null variant; refused (reported, nothing
    // changes) while type change is off.
    void MakeNull();
    // The holder (null for a null variant), for code that works on holders.
    CLxVariantData* GetData() const { return m_pData; }
    // The address of the stored value; null for a null variant.
    void* GetValueVoidPtr() const;

    // ---- Run types and records.

    // Turns the variant into the run type: 0 done or nothing to do, -9 type
    // change off, -4 run type not registered. When the present value has the
    // run type's shape (member count and member run types, recursively) it is
    // relabelled in place (values kept, members renamed to the sample's
    // names); otherwise it becomes the sample's defaults. The name stays.
    int SetRunType(const CLxVariantRunType& runType);
    // The same, but when the shapes differ the sample's members are filled
    // from the present members of the same names (recursively for non-empty
    // lists, by value for equal run types); other members are dropped.
    int SetRunTypeCompatible(const CLxVariantRunType& runType);

    // ---- Values and text. Assignments never change the name or the flag.

    // The value as text (LxVariantData.h); a null variant: false, text unchanged.
    bool Write(CLxStringW& text) const;
    // Parses the text by the variant's own run type; a null variant: false.
    bool Read(const CLxStringW& text);
    bool Read(const char16_t* text);

    // Value and run type of other. With type change off, only another value
    // of the same run type is taken; the rest is reported and refused.
    CLxVariant& operator=(const CLxVariant& other);
    // A value of the same run type is stored; another run type needs type
    // change (else reported, nothing changes).
    CLxVariant& operator=(int value);
    CLxVariant& operator=(unsigned int value);
    CLxVariant& operator=(lx_int64 value);
    CLxVariant& operator=(lx_uint64 value);
    CLxVariant& operator=(long long value) { return *this = lx_int64(value); }
    CLxVariant& operator=(unsigned long long value) { return *this = lx_uint64(value); }
    CLxVariant& operator=(double value); // a NaN is stored as NaN
    CLxVariant& operator=(bool value);
    CLxVariant& operator=(void* const value);
    CLxVariant& operator=(const CLxStringW& value);
    // Texts as "CLxStringW" (without these a text would turn into a bool).
    CLxVariant& operator=(const char16_t* value);
    CLxVariant& operator=(const char* value);
    CLxVariant& operator=(const CLxByteArray& value);
    // Copies of the members, as a plain list.
    CLxVariant& operator=(const CLxListVariant& value);

    // Equal run types and values (lists: see CLxVariantDataCLxListVariant);
    // two null variants are equal. Two NaNs are equal.
    bool operator==(const CLxVariant& other) const;
    bool operator!=(const CLxVariant& other) const { return !(*this == other); }
    // The variant converted by the getter of the value's type (false when the
    // getter fails), then compared: an "lx_int32" 7 equals the text "7".
    bool operator==(int value) const;
    bool operator==(unsigned int value) const;
    bool operator==(lx_int64 value) const;
    bool operator==(lx_uint64 value) const;
    bool operator==(long long value) const { return *this == lx_int64(value); }
    bool operator==(unsigned long long value) const { return *this == lx_uint64(value); }
    bool operator==(double value) const;
    bool operator==(bool value) const;
    bool operator==(void* const value) const;
    bool operator==(const CLxStringW& value) const;
    bool operator==(const char16_t* value) const;
    bool operator==(const CLxByteArray& value) const;
    // Only a list or record (else reported, false); a record never equals the
    // plain list.
    bool operator==(const CLxListVariant& value) const;
    template <class T> bool operator!=(const T& value) const { return !(*this == value); }
    bool operator!=(const char16_t* value) const { return !(*this == value); }

    // Typed getters. ok (may be null) tells success; a failed conversion
    // gives the failure value and, unless noted, a report "Can't convert to
    // <type>!". Conversions, in the order tried:
    //  lx_int32: lx_int32; lx_uint32 (pattern); 64-bit (low 32 bits);
    //    double (toward zero, saturated, NaN 0); bool; voidPtr (address);
    //    text (as Read); byte array >= 4 bytes (little-endian). Failure -1.
    //  lx_uint32: the same, text read as unsigned; double through its 64-bit
    //    value's low 32 bits. Failure 0.
    //  lx_int64 / lx_uint64: the integers (sign- or zero-extended, patterns),
    //    double (toward zero, saturated), bool, voidPtr, text, byte array >= 8
    //    bytes. Failure -1 / 0.
    //  double: double, the integers, bool, text, byte array >= 8 bytes (its
    //    first 8 bytes as a double); not a voidPtr. Failure 0.0.
    //  bool: bool, numbers (non-zero), voidPtr (non-null), text ("true"),
    //    byte array >= 1 byte (first byte non-zero). Failure false.
    //  voidPtr: voidPtr, byte array (the address of its bytes). Failure null.
    //  byte array: byte array (copy), lx_int32 (its 4 bytes). Failure empty.
    //  text: every non-null variant's Write (ok is Write's result); a null
    //    variant gives empty text, without a report.
    // A byte array too short fails without a report. Null variants and lists
    // fail all but GetCLxStringW and GetCLxListVariant.
    lx_int32 GetLx_int32(bool* ok = nullptr) const;
    lx_uint32 GetLx_uint32(bool* ok = nullptr) const;
    lx_int64 GetLx_int64(bool* ok = nullptr) const;
    lx_uint64 GetLx_uint64(bool* ok = nullptr) const;
    double GetDouble(bool* ok = nullptr) const;
    bool GetBool(bool* ok = nullptr) const;
    void* GetVoidPtr(bool* ok = nullptr) const;
    CLxStringW GetCLxStringW(bool* ok = nullptr) const;
    CLxByteArray GetCLxByteArray(bool* ok = nullptr) const;
    // The member sequence of a list or record; for anything else an empty
    // sequence of the calling thread (emptied again on every such return),
    // ok false, no report.
    CLxListVariant& GetCLxListVariant(bool* ok = nullptr);
    const CLxListVariant& GetCLxListVariant(bool* ok = nullptr) const;

    operator int() const { return GetLx_int32(); }
    operator unsigned int() const { return GetLx_uint32(); }
    operator lx_int64() const { return GetLx_int64(); }
    operator lx_uint64() const { return GetLx_uint64(); }
    operator long long() const { return GetLx_int64(); }
    operator unsigned long long() const { return GetLx_uint64(); }
    operator bool() const { return GetBool(); }
    operator double() const { return GetDouble(); }
    operator void*() const { return GetVoidPtr(); }
    operator CLxStringW() const { return GetCLxStringW(); }
    operator CLxByteArray() const { return GetCLxByteArray(); }
    operator CLxListVariant&() { return GetCLxListVariant(); }

    // ---- Members of lists and records. Names are exact, case-sensitive
    // UTF-16; look-ups by name take the first match in member order.

    // Members of a list or record (0 when empty); -1 for a null variant or a
    // scalar. This is how a container is told from a value.
    int GetCount() const;
    // The member at index, or null outside 0..count-1; a non-list is
    // reported and gives null.
    CLxVariant* IndexPtr(int index);
    const CLxVariant* IndexPtr(int index) const;
    // IndexPtr, or g_UndefVariant.
    CLxVariant& operator[](int index);
    const CLxVariant& operator[](int index) const;
    // The first direct member of that name, or null (also for a non-list,
    // without a report).
    CLxVariant* SearchFixedOneLevel(const char16_t* name);
    const CLxVariant* SearchFixedOneLevel(const char16_t* name) const;
    // SearchFixedOneLevel, or g_UndefVariant. A missing name never adds a
    // member.
    CLxVariant& operator[](const char16_t* name);
    const CLxVariant& operator[](const char16_t* name) const;

    // A path of names, one level per name: the first direct member with the
    // first name, of that the first direct member with the second name, ...;
    // null when a step finds nothing or no name is given. A null name ends
    // the path (callers may close the list with nullptr).
    template <class... Names> CLxVariant* SearchFixed(const char16_t* name, Names... more)
    {
        const char16_t* names[] = {name, more...};
        return SearchFixedPath(names, sizeof...(more) + 1);
    }
    template <class... Names>
    const CLxVariant* SearchFixed(const char16_t* name, Names... more) const
    {
        const char16_t* names[] = {name, more...};
        return const_cast<CLxVariant*>(this)->SearchFixedPath(names, sizeof...(more) + 1);
    }
    // The same, but each name is searched breadth-first at any depth below
    // the variant found so far, starting with that variant itself.
    template <class... Names> CLxVariant* Search(const char16_t* name, Names... more)
    {
        const char16_t* names[] = {name, more...};
        return SearchPath(names, sizeof...(more) + 1);
    }
    template <class... Names> const CLxVariant* Search(const char16_t* name, Names... more) const
    {
        const char16_t* names[] = {name, more...};
        return const_cast<CLxVariant*>(this)->SearchPath(names, sizeof...(more) + 1);
    }
    // The forms under the templates: count names, a null one ending early.
    CLxVariant* SearchFixedPath(const char16_t* const* names, size_t count);
    CLxVariant* SearchPath(const char16_t* const* names, size_t count);

    // The position of the first member of that name; -9 when there is none;
    // -1 when the variant is not a list.
    int IndexOf(const CLxStringW& name) const;
    // Whether some member equals value (run type and value; names ignored).
    // A non-list is reported and gives false.
    bool Member(const CLxVariant& value) const;

    // Appends a copy of item (name, value, flag) and returns it. A null
    // variant becomes a plain list first; a scalar or record needs type
    // change (else reported, g_UndefVariant) and then becomes a plain list.
    CLxVariant& Append(const CLxVariant& item);
    // The same, with the copy put before the member at index (count appends).
    // A negative index is reported, one above the count ignored: nothing is
    // inserted and g_UndefVariant returned.
    CLxVariant& Insert(const CLxVariant& item, int index);
    // Assigns value to the first member of that name and returns its
    // position; otherwise value takes the name, is appended, and -9 (or -1
    // for a non-list) is returned.
    int SetOrAppend(const CLxStringW& name, CLxVariant& value);
    // Frees the member at index. False (reported) for a record or scalar with
    // type change off, or an index outside the members; with type change on,
    // a record becomes a plain list.
    bool Delete(unsigned int index);
    // A plain list loses its members; anything else needs type change (else
    // reported, unchanged) and becomes an empty plain list.
    void ClearList();

    // ---- The dump: the tree in the shape of the variant XML, one element a
    // line, without escaping.

    // out = the dump, lines ended by CR LF; returns out.
    static CLxStringW& Trace(CLxStringW& out, const CLxVariant& v);
    // Sends each line of the dump as one trace record.
    static void Trace(const CLxVariant& v);

    // ---- The run-type registry (process-wide, locked).

    // Registers the built-in samples with the indices 0 to 10 (start-up
    // does it); 0.
    static int RegisterKnownTypes();
    // Registers the sample under its name (as narrow text) as a run type: a
    // list sample becomes a record type. 0 when new or when the same shape
    // is already registered (member count and member run types; names do not
    // count); -9, keeping the first definition, when the shape differs.
    static int RegisterRunType(const CLxVariant& sample);
    // The registered sample, valid while the library is loaded; an
    // unregistered run type is reported and gives a null variant.
    static const CLxVariant& GetRunTypeSample(const CLxVariantRunType& runType);
    // The registration index (in order of registration, from 0), or UINT_MAX
    // when unregistered (reported only when report is true).
    static unsigned int GetRunTypeIndex(const CLxVariantRunType& runType, bool report);
    // 0 when a and b have the same shape, else -1: the member counts
    // (GetCount) must agree; then for a non-list or deep false the run types,
    // for lists with deep true the members pairwise by position.
    static int CompareStructure(const CLxVariant& a, const CLxVariant& b, bool deep);
    // A plain list named name holding copies of the members in order (each
    // keeps name, run type and value). The first null variant or null
    // pointer ends the members.
    template <class... Members>
    static CLxVariant CreateStruct(const CLxStringW& name, const CLxVariant* member,
                                   Members... more)
    {
        static_assert((std::is_convertible<Members, const CLxVariant*>::value && ...),
                      "members are pointers to CLxVariant");
        const CLxVariant* members[] = {member, more...};
        return CreateStructFrom(name, members, sizeof...(more) + 1);
    }
    // A record of the run type named name; each given member is assigned to
    // the record's member of the same name (a name the record lacks is
    // reported and skipped).
    template <class... Members>
    static CLxVariant CreateStructNamed(const CLxVariantRunType& runType, const CLxStringW& name,
                                        const CLxVariant* member, Members... more)
    {
        static_assert((std::is_convertible<Members, const CLxVariant*>::value && ...),
                      "members are pointers to CLxVariant");
        const CLxVariant* members[] = {member, more...};
        return CreateStructNamedFrom(runType, name, members, sizeof...(more) + 1);
    }
    static CLxVariant CreateStructFrom(const CLxStringW& name, const CLxVariant* const* members,
                                       size_t count);
    static CLxVariant CreateStructNamedFrom(const CLxVariantRunType& runType,
                                            const CLxStringW& name,
                                            const CLxVariant* const* members, size_t count);
    // Makes name valid; true when it was changed.
    static bool ValidateName(CLxStringW& name);

    // Variants live on the private heap; a refused allocation gives null.
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* block) noexcept;
    static void* operator new(size_t, void* place) noexcept { return place; }
    static void operator delete(void*, void*) noexcept {}

  private:
    // Replaces the holder (the old one is freed).
    void SetData(CLxVariantData* data);
    // Stores a value of kind T: in place when the run type matches, else a
    // new holder when type change is on, else the report with message.
    template <class T> CLxVariant& AssignValue(const T& value, const char16_t* message);
    // Whether the variant is g_UndefVariant (reported as a refused change).
    bool RefuseUndefChange() const;
    // The holder as a list holder, or null.
    CLxVariantDataCLxListVariant* ListData() const;
    // Makes the variant a plain list for Append and Insert; false when
    // storage is refused.
    bool MakeAppendable();
    // The "!g_UndefVariant.IsNull()" report, then g_UndefVariant.
    static CLxVariant& Undef();

    CLxVariantData* m_pData; // owned; null: a null variant
    CLxStringW m_name;
    bool m_enabledTypeChange;
};

// The process-wide null variant that failed look-ups and refused list
// operations return by reference. It cannot be changed: every attempt (an
// assignment, a name, an append, type change) is refused and reported.
LX_EXPORT extern CLxVariant g_UndefVariant;
