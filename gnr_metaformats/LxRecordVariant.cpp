#include "gnr_metaformats/LxRecordVariant.h"

namespace lx_meta
{

namespace
{

// The variant when it holds a value (not a list, not null).
const CLxVariant* Value(const CLxVariant* member)
{
    if (!member || member->IsNull() || member->GetCount() >= 0)
        return nullptr;
    return member;
}

// A member that holds a value.
const CLxVariant* ValueMember(const CLxVariant& v, const char16_t* key)
{
    return Value(v.SearchFixedOneLevel(key));
}

// An item of a list that holds a value.
const CLxVariant* ValueItem(const CLxVariant& list, int index)
{
    return index >= 0 && index < list.GetCount() ? Value(list.IndexPtr(index)) : nullptr;
}

// Reads through the getter, giving the type's zero when it fails. Variants
// that the getter would refuse with a report (pointers for numbers) are
// passed over first.
template <class T, class Getter> T ReadValue(const CLxVariant* member, Getter get)
{
    if (!member || member->GetData()->GetKind() == eLxVariantVoidPtr)
        return T();
    bool ok = false;
    const T value = get(*member, &ok);
    return ok ? value : T();
}

template <class T, class Getter> T Read(const CLxVariant& v, const char16_t* key, Getter get)
{
    return ReadValue<T>(ValueMember(v, key), get);
}

lx_uint32 AsUInt(const CLxVariant& m, bool* ok)
{
    return m.GetLx_uint32(ok);
}
double AsDouble(const CLxVariant& m, bool* ok)
{
    return m.GetDouble(ok);
}
bool AsBool(const CLxVariant& m, bool* ok)
{
    return m.GetBool(ok);
}

CLxStringW TextOf(const CLxVariant* member)
{
    if (!member)
        return CLxStringW();
    bool ok = false;
    CLxStringW text = member->GetCLxStringW(&ok);
    return ok ? text : CLxStringW();
}

template <class T> void PutValue(CLxVariant& v, const char16_t* key, const T& value)
{
    CLxVariant* member = v.SearchFixedOneLevel(key);
    if (!member)
        return;
    CTypeChangeScope scope(*member);
    *member = value;
}

} // namespace

int BeginSave(CLxVariant& v, const char* runType)
{
    CTypeChangeScope scope(v);
    return v.SetRunType(CLxVariantRunType(runType));
}

bool CheckRunType(const CLxVariant& v, const char* runType, const char* alt,
                  const char16_t* expected, const char* file, int line)
{
    const CLxVariantRunType& found = v.GetRunType();
    if (found == CLxVariantRunType(runType) || (alt && found == CLxVariantRunType(alt)))
        return true;
    CLxStringW message;
    message.Format(u"Wrong variant runtype('%S'), expected %s.", found.GetName().GetString(),
                   expected);
    DiagAssertW(0, u"vSource.GetRunType() == expected", message.GetString(), file, line);
    return false;
}

void Put(CLxVariant& v, const char16_t* key, lx_uint32 value)
{
    PutValue(v, key, value);
}
void Put(CLxVariant& v, const char16_t* key, lx_int32 value)
{
    PutValue(v, key, value);
}
void Put(CLxVariant& v, const char16_t* key, double value)
{
    PutValue(v, key, value);
}
void Put(CLxVariant& v, const char16_t* key, bool value)
{
    PutValue(v, key, value);
}
void Put(CLxVariant& v, const char16_t* key, const CLxStringW& value)
{
    PutValue(v, key, value);
}

CLxVariant* ResetList(CLxVariant& v, const char16_t* key)
{
    CLxVariant* member = v.SearchFixedOneLevel(key);
    if (!member)
        return nullptr;
    CTypeChangeScope scope(*member);
    *member = CLxListVariant();
    return member;
}

CLxVariant& AppendItem(CLxVariant& list, const char16_t* name)
{
    CLxVariant& item = list.Append(CLxVariant());
    if (name && &item != &g_UndefVariant)
        item.SetName(CLxStringW(name));
    return item;
}

CLxVariant* Member(CLxVariant& v, const char16_t* key)
{
    return v.SearchFixedOneLevel(key);
}

lx_uint32 GetUInt(const CLxVariant& v, const char16_t* key)
{
    return Read<lx_uint32>(v, key,
                           [](const CLxVariant& m, bool* ok) { return m.GetLx_uint32(ok); });
}

lx_int32 GetInt(const CLxVariant& v, const char16_t* key)
{
    return Read<lx_int32>(v, key, [](const CLxVariant& m, bool* ok) { return m.GetLx_int32(ok); });
}

double GetDouble(const CLxVariant& v, const char16_t* key)
{
    bool ok = false;
    return GetDouble(v, key, ok);
}

double GetDouble(const CLxVariant& v, const char16_t* key, bool& ok)
{
    ok = false;
    const CLxVariant* member = ValueMember(v, key);
    if (!member || member->GetData()->GetKind() == eLxVariantVoidPtr)
        return 0.0;
    const double value = member->GetDouble(&ok);
    return ok ? value : 0.0;
}

bool GetBool(const CLxVariant& v, const char16_t* key)
{
    return Read<bool>(v, key, [](const CLxVariant& m, bool* ok) { return m.GetBool(ok); });
}

CLxStringW GetText(const CLxVariant& v, const char16_t* key)
{
    return TextOf(ValueMember(v, key));
}

lx_uint32 GetItemUInt(const CLxVariant& list, int index)
{
    return ReadValue<lx_uint32>(ValueItem(list, index), AsUInt);
}

double GetItemDouble(const CLxVariant& list, int index)
{
    return ReadValue<double>(ValueItem(list, index), AsDouble);
}

bool GetItemBool(const CLxVariant& list, int index)
{
    return ReadValue<bool>(ValueItem(list, index), AsBool);
}

CLxStringW GetItemText(const CLxVariant& list, int index)
{
    return TextOf(ValueItem(list, index));
}

const CLxVariant& GetItem(const CLxVariant& list, int index)
{
    const CLxVariant* item = index >= 0 && index < list.GetCount() ? list.IndexPtr(index) : nullptr;
    return item ? *item : g_UndefVariant;
}

bool Has(const CLxVariant& v, const char16_t* key)
{
    return v.SearchFixedOneLevel(key) != nullptr;
}

const CLxVariant& Get(const CLxVariant& v, const char16_t* key)
{
    const CLxVariant* member = v.SearchFixedOneLevel(key);
    return member ? *member : g_UndefVariant;
}

int ItemCount(const CLxVariant& list)
{
    const int count = list.GetCount();
    return count > 0 ? count : 0;
}

} // namespace lx_meta
